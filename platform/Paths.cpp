#include "platform/Paths.h"

#include <dlfcn.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "platform/CodePages.h"
#include "platform/Host.h"

namespace win {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string StripTrailingSlashes(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

namespace host {

std::string ParentOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Resolve(std::string_view p) {
  // The prefix built so far, without trailing '/'; "" stands for the root (or
  // for the current directory while relative is set).
  std::string out;
  bool relative = false;
  size_t pos = 0;
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
    out = DriveDirectory(p[0]);
    if (out == "/") out.clear();
    pos = 2;
  } else if (p.empty() || !IsSeparator(p[0])) {
    relative = true;
  }
  bool resolving = true;  // the prefix exists on disk, so the next name may be matched
  while (pos < p.size()) {
    while (pos < p.size() && IsSeparator(p[pos])) ++pos;
    size_t end = pos;
    while (end < p.size() && !IsSeparator(p[end])) ++end;
    if (end == pos) break;
    std::string_view name = p.substr(pos, end - pos);
    pos = end;
    std::string candidate = relative && out.empty() ? std::string(name) : out + "/" + std::string(name);
    if (resolving && name != "." && name != "..") {
      struct stat st;
      if (lstat(candidate.c_str(), &st) != 0) {
        if (errno == ENOENT) {
          std::string dir = out.empty() ? (relative ? "." : "/") : out;
          std::string match = FindCaseVariant(dir, name);
          if (!match.empty())
            candidate = relative && out.empty() ? match : out + "/" + match;
          else
            resolving = false;
        } else {
          resolving = false;
        }
      }
    }
    out = std::move(candidate);
  }
  if (out.empty()) return relative ? "." : "/";
  return out;
}

}  // namespace host

std::string ToWindowsPath(std::string_view outside) {
  std::string s = Utf8ToAnsi(outside);
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

std::wstring ToWindowsPathW(std::string_view outside) {
  std::wstring s = Utf8ToWide(outside);
  for (wchar_t& c : s)
    if (c == L'/') c = L'\\';
  return s;
}

std::string ToHostPath(std::string_view windowsPath) { return host::Resolve(AnsiToUtf8(windowsPath)); }

std::string ToHostPath(std::wstring_view windowsPath) { return host::Resolve(WideToUtf8(windowsPath)); }

std::string FromHostPath(std::string_view hostPath) {
  std::string path(hostPath);
  if (path.empty() || path[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) path = StripTrailingSlashes(cwd) + "/" + path;
  }
  path = StripTrailingSlashes(path);
  // The drive whose directory holds the path; the deepest one when drives nest.
  char letter = 0;
  size_t best = 0;
  for (char l = 'A'; l <= 'Z'; ++l) {
    std::string var = std::string("STATION_DRIVE_") + l;
    if (l != 'C' && !std::getenv(var.c_str())) continue;
    std::string dir = DriveDirectory(l);
    if (dir == "/" || dir.size() <= best) continue;
    if (path == dir || (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
                        path[dir.size()] == '/')) {
      letter = l;
      best = dir.size();
    }
  }
  std::string rest = letter ? path.substr(best) : path;
  std::string out = letter ? std::string(1, letter) + ":" : std::string();
  out += ToWindowsPath(rest.empty() ? "/" : rest);
  return out;
}

std::string DriveDirectory(char Letter) {
  char l = static_cast<char>(std::toupper(static_cast<unsigned char>(Letter)));
  std::string var = std::string("STATION_DRIVE_") + l;
  if (const char* v = std::getenv(var.c_str()); v && *v) return StripTrailingSlashes(v);
  // Unmapped drives sit beside C:'s default directory, so that a path on them
  // never lands somewhere unexpected.
  std::string dir = HomeDirectory() + "/.local/share/mirsal-station/drive_";
  dir += static_cast<char>(std::tolower(static_cast<unsigned char>(l)));
  return StripTrailingSlashes(dir);
}

std::string GetWindowsDir() { return "C:\\WINDOWS"; }

std::string ProgramDirectory() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  return host::ParentOf(std::string(buf, static_cast<size_t>(n)));
}

std::string ModuleDirectory(const void* Address) {
  Dl_info info{};
  if (!dladdr(Address, &info) || !info.dli_fname || !*info.dli_fname) return ProgramDirectory();
  char real[PATH_MAX];
  if (!realpath(info.dli_fname, real)) return host::ParentOf(info.dli_fname);
  return host::ParentOf(real);
}

std::string GetCurrentDir() {
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return "\\";
  return FromHostPath(cwd);
}

}  // namespace win
