#include "platform/Find.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <vector>

#include "platform/CodePages.h"
#include "platform/Host.h"
#include "platform/Paths.h"
#include "platform/Times.h"

namespace win {

struct FindState {
  std::string Dir;                 // host directory
  std::vector<std::string> Names;  // matching host names, in listing order
  size_t Next = 0;
};

namespace {

// '*' any run, '?' one character; both sides already folded to one case.
template <class Ch>
bool Glob(std::basic_string_view<Ch> name, std::basic_string_view<Ch> mask) {
  size_t n = 0, m = 0, starM = std::basic_string_view<Ch>::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == Ch('?') || mask[m] == name[n])) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == Ch('*')) {
      starM = m++;
      starN = n;
    } else if (starM != std::basic_string_view<Ch>::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == Ch('*')) ++m;
  return m == mask.size();
}

// The Windows extras: "x.*" also matches what "x" matches (so "*.*" matches
// names without a dot), and "x." matches names without a dot that "x" matches.
template <class Ch>
bool WindowsMatch(std::basic_string_view<Ch> name, std::basic_string_view<Ch> mask) {
  if (Glob(name, mask)) return true;
  size_t k = mask.size();
  if (k >= 2 && mask[k - 2] == Ch('.') && mask[k - 1] == Ch('*')) return Glob(name, mask.substr(0, k - 2));
  if (k >= 2 && mask[k - 1] == Ch('.') && name.find(Ch('.')) == std::basic_string_view<Ch>::npos)
    return Glob(name, mask.substr(0, k - 1));
  return false;
}

// Splits "dir\mask" at the last separator; "C:mask" and "mask" look in the
// drive's root and the current directory.
template <class Ch>
void SplitMask(std::basic_string_view<Ch> pathMask, std::basic_string<Ch>& dir, std::basic_string<Ch>& mask) {
  size_t cut = std::basic_string_view<Ch>::npos;
  for (size_t i = pathMask.size(); i-- > 0;)
    if (pathMask[i] == Ch('\\') || pathMask[i] == Ch('/') || (i == 1 && pathMask[i] == Ch(':'))) {
      cut = i;
      break;
    }
  if (cut == std::basic_string_view<Ch>::npos) {
    dir = {Ch('.')};
    mask = pathMask;
  } else {
    dir = pathMask.substr(0, cut + 1);
    mask = pathMask.substr(cut + 1);
  }
}

// Lists dir's entries whose names match; false (with the last error) when the
// directory cannot be read.
template <class Match>
bool List(const std::string& hostDir, Match matches, FindState& state) {
  std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(hostDir.c_str()), closedir);
  if (!d) return host::Fail(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
  state.Dir = hostDir;
  while (const dirent* e = readdir(d.get())) {
    std::string_view n = e->d_name;
    if (n != "." && n != ".." && matches(n)) state.Names.emplace_back(n);
  }
  // The order NTFS lists in: case-blind, then by bytes.
  std::vector<std::pair<std::wstring, std::string>> keyed;
  for (auto& n : state.Names) keyed.emplace_back(WideUpperCase(Utf8ToWide(n)), std::move(n));
  std::sort(keyed.begin(), keyed.end());
  state.Names.clear();
  for (auto& k : keyed) state.Names.push_back(std::move(k.second));
  return true;
}

struct Entry {
  std::string Name;
  struct stat St;
  DWORD Attr;
};

// The next listed entry that still exists; false at the end.
bool NextEntry(FindState& state, Entry& e) {
  while (state.Next < state.Names.size()) {
    e.Name = state.Names[state.Next++];
    std::string full = state.Dir == "/" ? "/" + e.Name : state.Dir + "/" + e.Name;
    if (stat(full.c_str(), &e.St) != 0 && lstat(full.c_str(), &e.St) != 0) continue;
    e.Attr = host::AttributesFor(e.St.st_mode, e.Name);
    return true;
  }
  return false;
}

FILETIME TimeOf(const struct timespec& ts) {
  return UnixTimeToFileTime(ts.tv_sec, static_cast<uint32_t>(ts.tv_nsec));
}

int FillNext(TSearchRec& F) {
  Entry e;
  while (F.State && NextEntry(*F.State, e)) {
    if (static_cast<DWORD>(e.Attr) & F.ExcludeAttr) continue;
    F.Name = Utf8ToAnsi(e.Name);
    F.Attr = static_cast<int32_t>(e.Attr);
    F.Size = S_ISDIR(e.St.st_mode) ? 0 : e.St.st_size;
    F.LastWrite = TimeOf(e.St.st_mtim);
    F.Time = UnixTimeToDosDateTime(e.St.st_mtime);
    return 0;
  }
  SetLastError(ERROR_NO_MORE_FILES);
  return ERROR_NO_MORE_FILES;
}

std::mutex gHandlesLock;
std::map<HANDLE, FindState> gHandles;
HANDLE gNextHandle = 0x100000;  // far from descriptor numbers

void Fill(const Entry& e, WIN32_FIND_DATAW& data) {
  data.dwFileAttributes = e.Attr;
  data.ftCreationTime = TimeOf(e.St.st_mtim);
  data.ftLastAccessTime = TimeOf(e.St.st_atim);
  data.ftLastWriteTime = TimeOf(e.St.st_mtim);
  uint64_t size = S_ISDIR(e.St.st_mode) ? 0 : static_cast<uint64_t>(e.St.st_size);
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size);
  data.cFileName = Utf8ToWide(e.Name);
}

}  // namespace

bool MatchesWindowsMask(std::string_view name, std::string_view mask) {
  std::string n = AnsiUpperCase(name), m = AnsiUpperCase(mask);
  return WindowsMatch<char>(n, m);
}

int FindFirst(std::string_view pathMask, int32_t Attr, TSearchRec& F) {
  F.ExcludeAttr = static_cast<DWORD>(~Attr & (faHidden | faSysFile | 0x08 | faDirectory));
  F.State.reset();
  std::string dir, mask;
  SplitMask<char>(pathMask, dir, mask);
  auto state = std::make_shared<FindState>();
  if (!List(ToHostPath(dir), [&](std::string_view n) { return MatchesWindowsMask(Utf8ToAnsi(n), mask); },
            *state))
    return static_cast<int>(GetLastError());
  if (state->Names.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return ERROR_FILE_NOT_FOUND;
  }
  F.State = std::move(state);
  int rc = FillNext(F);
  if (rc != 0) F.State.reset();
  return rc;
}

int FindNext(TSearchRec& F) { return FillNext(F); }

void FindClose(TSearchRec& F) { F.State.reset(); }

HANDLE FindFirstFileW(std::wstring_view pathMask, WIN32_FIND_DATAW& data) {
  std::wstring dir, mask;
  SplitMask<wchar_t>(pathMask, dir, mask);
  std::wstring foldedMask = WideUpperCase(mask);
  FindState state;
  auto matches = [&](std::string_view n) {
    std::wstring w = WideUpperCase(Utf8ToWide(n));
    return WindowsMatch<wchar_t>(w, foldedMask);
  };
  if (!List(ToHostPath(std::wstring_view(dir)), matches, state)) return INVALID_HANDLE_VALUE;
  Entry e;
  if (!NextEntry(state, e)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  Fill(e, data);
  std::lock_guard<std::mutex> lock(gHandlesLock);
  HANDLE h = gNextHandle++;
  gHandles.emplace(h, std::move(state));
  return h;
}

bool FindNextFileW(HANDLE h, WIN32_FIND_DATAW& data) {
  std::lock_guard<std::mutex> lock(gHandlesLock);
  auto it = gHandles.find(h);
  if (it == gHandles.end()) return host::Fail(ERROR_INVALID_HANDLE);
  Entry e;
  if (!NextEntry(it->second, e)) return host::Fail(ERROR_NO_MORE_FILES);
  Fill(e, data);
  return true;
}

bool FindClose(HANDLE h) {
  std::lock_guard<std::mutex> lock(gHandlesLock);
  if (gHandles.erase(h) == 0) return host::Fail(ERROR_INVALID_HANDLE);
  return true;
}

}  // namespace win
