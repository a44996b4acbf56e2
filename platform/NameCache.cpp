// Case-blind lookup of names in a directory, as Windows resolves them, with a
// memory of each directory's names: extracting thousands of new files into one
// directory must not read the directory once per file.
//
// A directory's remembered names are used while its identity and last-change
// time are those seen when they were read, or when this process last created
// an entry in it (NoteCreated). A listing read while the directory had just
// changed is used for that one lookup only, since a further change within the
// file system's time granularity would not move the time. Only hashes of the
// folded names are kept (memory stays small for huge directories); a hit is
// confirmed by reading the directory.
#include <dirent.h>
#include <sys/stat.h>

#include <ctime>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "platform/CodePages.h"
#include "platform/Host.h"

namespace win::host {

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; }

// The name as compared without regard to case: ASCII folded in place, any
// other text through the wide upper case.
std::string FoldKey(std::string_view name) {
  for (char c : name)
    if (c & 0x80) return WideToUtf8(WideUpperCase(Utf8ToWide(name)));
  std::string key(name);
  for (char& c : key) c = AsciiUpper(c);
  return key;
}

uint64_t Hash(std::string_view name) { return std::hash<std::string>{}(FoldKey(name)); }

// The entry of dir whose name equals name without regard to case: the first
// in byte order when several do. Empty when none. Reads the whole directory.
std::string ScanDirectory(const std::string& dir, std::string_view name) {
  std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(dir.c_str()), closedir);
  if (!d) return {};
  const std::string want = FoldKey(name);
  std::string best;
  while (const dirent* e = readdir(d.get())) {
    std::string_view n = e->d_name;
    if (n == "." || n == "..") continue;
    if ((best.empty() || n < best) && FoldKey(n) == want) best = n;
  }
  return best;
}

struct TListing {
  dev_t Device = 0;
  ino_t Inode = 0;
  timespec Changed{};
  bool Trusted = false;
  std::unordered_set<uint64_t> Names;  // hashes of the folded names
};

// Directories with more names are read per lookup rather than remembered.
constexpr size_t MaxNames = 1 << 16;
// Remembered directories; all are forgotten when there would be more.
constexpr size_t MaxListings = 64;

std::mutex Lock;
std::unordered_map<std::string, TListing> Listings;

bool SameState(const TListing& l, const struct stat& st) {
  return l.Device == st.st_dev && l.Inode == st.st_ino && l.Changed.tv_sec == st.st_mtim.tv_sec &&
         l.Changed.tv_nsec == st.st_mtim.tv_nsec;
}

void Record(TListing& l, const struct stat& st) {
  l.Device = st.st_dev;
  l.Inode = st.st_ino;
  l.Changed = st.st_mtim;
}

// Reads dir's names into l; false when it has too many to remember.
bool ReadListing(const std::string& dir, TListing& l) {
  l.Names.clear();
  std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(dir.c_str()), closedir);
  if (!d) return false;
  while (const dirent* e = readdir(d.get())) {
    std::string_view n = e->d_name;
    if (n == "." || n == "..") continue;
    if (l.Names.size() >= MaxNames) return false;
    l.Names.insert(Hash(n));
  }
  return true;
}

}  // namespace

std::string FindCaseVariant(const std::string& dir, std::string_view name) {
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) return {};
  bool mayExist = true;
  {
    std::lock_guard<std::mutex> guard(Lock);
    auto it = Listings.find(dir);
    if (it == Listings.end()) {
      if (Listings.size() >= MaxListings) Listings.clear();
      it = Listings.emplace(dir, TListing{}).first;
    }
    TListing& l = it->second;
    if (!l.Trusted || !SameState(l, st)) {
      if (!ReadListing(dir, l)) {
        Listings.erase(it);
        return ScanDirectory(dir, name);
      }
      Record(l, st);
      timespec now{};
      clock_gettime(CLOCK_REALTIME, &now);
      l.Trusted = now.tv_sec - st.st_mtim.tv_sec > 1;
    }
    mayExist = l.Names.count(Hash(name)) != 0;
  }
  return mayExist ? ScanDirectory(dir, name) : std::string();
}

void NoteCreated(const std::string& hostPath) {
  const std::string dir = ParentOf(hostPath);
  const size_t slash = hostPath.rfind('/');
  const std::string_view name = slash == std::string::npos ? std::string_view(hostPath)
                                                           : std::string_view(hostPath).substr(slash + 1);
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) return;
  std::lock_guard<std::mutex> guard(Lock);
  auto it = Listings.find(dir);
  if (it == Listings.end()) return;
  TListing& l = it->second;
  if (l.Names.size() >= MaxNames) {
    Listings.erase(it);
    return;
  }
  // Our own change: the names stay known, with the directory's new time.
  l.Names.insert(Hash(name));
  Record(l, st);
  l.Trusted = true;
}

}  // namespace win::host
