#include "platform/Handles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Host.h"
#include "platform/Paths.h"

namespace win {

namespace {

int Descriptor(HANDLE h) { return h < 0 || h > 0x7FFFFFFF ? -1 : static_cast<int>(h); }

HANDLE OpenHost(const std::string& h, DWORD access, DWORD creation) {
  int flags = O_CLOEXEC;
  bool write = (access & GENERIC_WRITE) != 0;
  flags |= write ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
  switch (creation) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    default: host::Fail(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
  }
  struct stat st;
  bool existed = stat(h.c_str(), &st) == 0;
  if (existed) {
    if (creation == CREATE_NEW) {
      host::Fail(ERROR_FILE_EXISTS);
      return INVALID_HANDLE_VALUE;
    }
    // A directory is no file; a read-only file is refused for writing even
    // where the kernel would allow it (root).
    bool changes = write || creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING;
    if (S_ISDIR(st.st_mode) || (changes && host::IsReadOnlyMode(st.st_mode))) {
      host::Fail(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
  }
  int fd = open(h.c_str(), flags, 0666);
  if (fd < 0) {
    host::Fail(errno == EEXIST ? ERROR_FILE_EXISTS : host::ErrorFor(errno, h));
    return INVALID_HANDLE_VALUE;
  }
  if (!existed && (flags & O_CREAT)) host::NoteCreated(h);
  // As Windows does: success, but "already exists" tells the caller it was there.
  SetLastError(existed && (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                  : ERROR_SUCCESS);
  return fd;
}

}  // namespace

HANDLE CreateFileW(std::wstring_view name, DWORD access, DWORD, DWORD creation, DWORD) {
  return OpenHost(ToHostPath(name), access, creation);
}

HANDLE CreateFileA(std::string_view name, DWORD access, DWORD, DWORD creation, DWORD) {
  return OpenHost(ToHostPath(name), access, creation);
}

bool ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* read) {
  int fd = Descriptor(h);
  DWORD done = 0;
  auto* p = static_cast<char*>(buffer);
  bool ok = true;
  while (done < count) {
    ssize_t n = ::read(fd, p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = host::Fail(ErrorFromErrno(errno));
      break;
    }
    if (n == 0) break;  // end of file: success with what there was
    done += static_cast<DWORD>(n);
  }
  if (read) *read = done;
  return ok;
}

bool WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written) {
  int fd = Descriptor(h);
  DWORD done = 0;
  const auto* p = static_cast<const char*>(buffer);
  bool ok = true;
  while (done < count) {
    ssize_t n = ::write(fd, p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // ENOSPC, or EFBIG past the file-size limit: both read as a full disk.
      ok = host::Fail(n == 0 ? ERROR_DISK_FULL : ErrorFromErrno(errno));
      break;
    }
    done += static_cast<DWORD>(n);
  }
  if (written) *written = done;
  return ok;
}

int64_t FileSeek64(HANDLE h, int64_t offset, DWORD origin) {
  int whence = origin == FILE_BEGIN ? SEEK_SET : origin == FILE_CURRENT ? SEEK_CUR : origin == FILE_END ? SEEK_END : -1;
  if (whence < 0) {
    host::Fail(ERROR_INVALID_PARAMETER);
    return -1;
  }
  off_t pos = lseek(Descriptor(h), static_cast<off_t>(offset), whence);
  if (pos < 0) {
    host::Fail(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ErrorFromErrno(errno));
    return -1;
  }
  return pos;
}

bool SetEndOfFile(HANDLE h) {
  int fd = Descriptor(h);
  off_t pos = lseek(fd, 0, SEEK_CUR);
  if (pos < 0 || ftruncate(fd, pos) != 0) return host::Fail(ErrorFromErrno(errno));
  return true;
}

bool CloseHandle(HANDLE h) {
  if (close(Descriptor(h)) != 0 && errno != EINTR) return host::Fail(ErrorFromErrno(errno));
  return true;
}

}  // namespace win
