#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "platform/CodePages.h"
#include "platform/Host.h"
#include "platform/Paths.h"
#include "platform/Times.h"

namespace win {

namespace host {

bool Fail(DWORD code) {
  SetLastError(code);
  return false;
}

DWORD ErrorFor(int err, const std::string& hostPath) {
  if (err == ENOENT) {
    struct stat st;
    std::string parent = ParentOf(hostPath);
    if (stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return ERROR_PATH_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
  }
  return ErrorFromErrno(err);
}

bool FailErrno(int err, const std::string& hostPath) { return Fail(ErrorFor(err, hostPath)); }

bool IsReadOnlyMode(unsigned mode) { return (mode & S_IWUSR) == 0; }

DWORD AttributesFor(unsigned mode, std::string_view name) {
  DWORD attr = S_ISDIR(mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (IsReadOnlyMode(mode)) attr |= FILE_ATTRIBUTE_READONLY;
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") attr |= FILE_ATTRIBUTE_HIDDEN;
  return attr;
}

namespace {

struct Fd {
  int fd;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

bool CopyHostFile(const std::string& hostFrom, const std::string& hostTo, bool failIfExists) {
  Fd in(open(hostFrom.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.fd < 0) return FailErrno(errno, hostFrom);
  struct stat src;
  if (fstat(in.fd, &src) != 0) return FailErrno(errno, hostFrom);
  if (S_ISDIR(src.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  struct stat dst;
  if (stat(hostTo.c_str(), &dst) == 0) {
    if (failIfExists) return Fail(ERROR_FILE_EXISTS);
    if (S_ISDIR(dst.st_mode) || IsReadOnlyMode(dst.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    // Truncating the target would destroy the source.
    if (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) return Fail(ERROR_SHARING_VIOLATION);
  }
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
  Fd out(open(hostTo.c_str(), flags, 0600));
  if (out.fd < 0) return FailErrno(errno, hostTo);
  NoteCreated(hostTo);
  std::vector<char> buf(1 << 20);
  int err = 0;
  for (;;) {
    ssize_t n = read(in.fd, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (n > 0 && !WriteAll(out.fd, buf.data(), static_cast<size_t>(n)))) {
      err = errno;
      break;
    }
    if (n == 0) break;
  }
  // Like Windows: the copy keeps the source's last-write time and its
  // permission bits (an executable stays executable, read-only stays so).
  if (!err) {
    struct timespec times[2] = {src.st_atim, src.st_mtim};
    futimens(out.fd, times);
    if (fchmod(out.fd, src.st_mode & 0777) != 0) err = errno;
  }
  int fd = out.fd;
  out.fd = -1;
  if (close(fd) != 0 && !err) err = errno;
  if (err) {
    unlink(hostTo.c_str());  // no half-written copy stays behind
    return Fail(ErrorFromErrno(err));
  }
  return true;
}

}  // namespace host

using host::Fail;
using host::FailErrno;
using host::IsReadOnlyMode;

bool FileExists(std::string_view path) {
  struct stat st;
  return stat(ToHostPath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirExists(std::string_view path) {
  struct stat st;
  return stat(ToHostPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsReadOnly(std::string_view path) {
  struct stat st;
  return stat(ToHostPath(path).c_str(), &st) == 0 && IsReadOnlyMode(st.st_mode);
}

bool CopyFileA(std::string_view from, std::string_view to, bool failIfExists) {
  return host::CopyHostFile(ToHostPath(from), ToHostPath(to), failIfExists);
}

bool CopyFileW(std::wstring_view from, std::wstring_view to, bool failIfExists) {
  return host::CopyHostFile(ToHostPath(from), ToHostPath(to), failIfExists);
}

bool MoveFileExA(std::string_view from, std::string_view to, DWORD flags) {
  std::string f = ToHostPath(from), t = ToHostPath(to);
  struct stat fs, ts;
  if (lstat(f.c_str(), &fs) != 0) return FailErrno(errno, f);
  if (lstat(t.c_str(), &ts) == 0) {
    if (fs.st_dev == ts.st_dev && fs.st_ino == ts.st_ino) {
      if (f == t) return true;  // the same entry, written in another case
    } else {
      if (!(flags & MOVEFILE_REPLACE_EXISTING)) return Fail(ERROR_ALREADY_EXISTS);
      if (S_ISDIR(ts.st_mode) || S_ISDIR(fs.st_mode) || (S_ISREG(ts.st_mode) && IsReadOnlyMode(ts.st_mode)))
        return Fail(ERROR_ACCESS_DENIED);
    }
  }
  if (rename(f.c_str(), t.c_str()) == 0) {
    host::NoteCreated(t);
    return true;
  }
  if (errno != EXDEV) return FailErrno(errno, t);
  if (!(flags & MOVEFILE_COPY_ALLOWED) || S_ISDIR(fs.st_mode)) return Fail(ERROR_NOT_SAME_DEVICE);
  if (!host::CopyHostFile(f, t, false)) return false;
  if (unlink(f.c_str()) != 0) {
    int err = errno;
    unlink(t.c_str());  // a move either happens or leaves the source alone
    return Fail(ErrorFromErrno(err));
  }
  return true;
}

bool DeleteFileA(std::string_view path) {
  std::string h = ToHostPath(path);
  struct stat st;
  if (lstat(h.c_str(), &st) != 0) return FailErrno(errno, h);
  if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  if (S_ISREG(st.st_mode) && IsReadOnlyMode(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  if (unlink(h.c_str()) != 0) return FailErrno(errno, h);
  return true;
}

bool CreateDirectoryA(std::string_view path) {
  std::string h = ToHostPath(path);
  if (mkdir(h.c_str(), 0777) == 0) {
    host::NoteCreated(h);
    return true;
  }
  return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : host::ErrorFor(errno, h));
}

bool RemoveDirectoryA(std::string_view path) {
  std::string h = ToHostPath(path);
  struct stat st;
  if (lstat(h.c_str(), &st) != 0) return FailErrno(errno, h);
  if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
  if (rmdir(h.c_str()) == 0) return true;
  return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrorFromErrno(errno));
}

bool ForceDirectories(std::string_view path) {
  if (path.empty()) return Fail(ERROR_INVALID_NAME);
  std::string h = ToHostPath(path);
  int err = 0;
  for (size_t slash = h.find('/', 1);; slash = h.find('/', slash + 1)) {
    std::string prefix = h.substr(0, slash);
    if (mkdir(prefix.c_str(), 0777) == 0) host::NoteCreated(prefix);
    else if (errno != EEXIST) err = errno;
    if (slash == std::string::npos) break;
  }
  struct stat st;
  if (stat(h.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  return Fail(err ? ErrorFromErrno(err) : ERROR_ACCESS_DENIED);
}

namespace {

// Removes name (under dirFd) with everything below it, without following
// links; directories the owner cannot enter or change are opened up first.
bool RemoveTreeAt(int dirFd, const char* name) {
  struct stat st;
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return unlinkat(dirFd, name, 0) == 0 || errno == ENOENT;
  if ((st.st_mode & S_IRWXU) != S_IRWXU) fchmodat(dirFd, name, (st.st_mode | S_IRWXU) & 07777, 0);
  int fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  std::unique_ptr<DIR, int (*)(DIR*)> d(fdopendir(fd), closedir);
  if (!d) {
    close(fd);
    return false;
  }
  std::vector<std::string> names;
  while (const dirent* e = readdir(d.get())) {
    std::string_view n = e->d_name;
    if (n != "." && n != "..") names.emplace_back(n);
  }
  bool ok = true;
  for (const std::string& n : names) ok = RemoveTreeAt(fd, n.c_str()) && ok;
  d.reset();
  return unlinkat(dirFd, name, AT_REMOVEDIR) == 0 && ok;
}

}  // namespace

bool ClearDir(std::string_view path) {
  if (path.empty()) return Fail(ERROR_INVALID_NAME);
  std::string h = ToHostPath(path);
  if (h == "/") return Fail(ERROR_ACCESS_DENIED);  // never the whole system
  struct stat st;
  if (lstat(h.c_str(), &st) != 0) return FailErrno(errno, h);
  if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
  if (!RemoveTreeAt(AT_FDCWD, h.c_str())) return Fail(ErrorFromErrno(errno));
  return true;
}

namespace {

DWORD HostAttributes(const std::string& h) {
  struct stat st;
  if (stat(h.c_str(), &st) != 0) {
    host::FailErrno(errno, h);
    return INVALID_FILE_ATTRIBUTES;
  }
  size_t slash = h.rfind('/');
  return host::AttributesFor(st.st_mode, slash == std::string::npos ? h : h.substr(slash + 1));
}

bool SetMode(const std::string& h, unsigned mode) {
  if (chmod(h.c_str(), mode) != 0) return FailErrno(errno, h);
  return true;
}

}  // namespace

DWORD GetFileAttributesA(std::string_view path) { return HostAttributes(ToHostPath(path)); }
DWORD GetFileAttributesW(std::wstring_view path) { return HostAttributes(ToHostPath(path)); }

bool SetFileAttributesA(std::string_view path, DWORD attributes) {
  std::string h = ToHostPath(path);
  struct stat st;
  if (stat(h.c_str(), &st) != 0) return FailErrno(errno, h);
  unsigned mode = st.st_mode & 07777;
  unsigned want = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~0222u) : (mode | S_IWUSR);
  return want == mode || SetMode(h, want);
}

bool SetFilePermissions(std::string_view path, unsigned mode) {
  return SetMode(ToHostPath(path), mode & 0777);
}

bool GetFileLastWriteTime(std::string_view path, FILETIME& lastWrite) {
  std::string h = ToHostPath(path);
  struct stat st;
  if (stat(h.c_str(), &st) != 0) return FailErrno(errno, h);
  lastWrite = UnixTimeToFileTime(st.st_mtim.tv_sec, static_cast<uint32_t>(st.st_mtim.tv_nsec));
  return true;
}

namespace {

bool SetModificationTime(const std::string& h, time_t seconds, long nanoseconds) {
  struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, nanoseconds}};
  if (utimensat(AT_FDCWD, h.c_str(), times, 0) != 0) return FailErrno(errno, h);
  return true;
}

}  // namespace

bool SetFileLastWriteTime(std::string_view path, const FILETIME& lastWrite) {
  uint64_t ticks = (static_cast<uint64_t>(lastWrite.dwHighDateTime) << 32) | lastWrite.dwLowDateTime;
  long ns = static_cast<long>(ticks % 10000000u) * 100;
  return SetModificationTime(ToHostPath(path), FileTimeToUnixTime(lastWrite), ns);
}

int32_t FileAge(std::string_view path) {
  struct stat st;
  if (stat(ToHostPath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  return UnixTimeToDosDateTime(st.st_mtime);
}

bool FileSetDate(std::string_view path, int32_t dosDateTime) {
  return SetModificationTime(ToHostPath(path), DosDateTimeToUnixTime(dosDateTime), 0);
}

bool FileSetDate(std::wstring_view path, int32_t dosDateTime) {
  return SetModificationTime(ToHostPath(path), DosDateTimeToUnixTime(dosDateTime), 0);
}

}  // namespace win
