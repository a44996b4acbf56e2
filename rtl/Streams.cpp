#include "rtl/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/Files.h"
#include "platform/Host.h"
#include "platform/Paths.h"

namespace vcl {

void TStream::SetSize(int32_t) {}

int32_t TStream::Size() {
  int32_t pos = Seek(0, soFromCurrent);
  int32_t size = Seek(0, soFromEnd);
  Seek(pos, soFromBeginning);
  return size;
}

void TStream::ReadBuffer(void* Buffer, int32_t Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int32_t Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

int32_t TStream::CopyFrom(TStream* Source, int32_t Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  int32_t result = Count;
  std::vector<uint8_t> buffer(std::min<int32_t>(Count, 61440));
  while (Count > 0) {
    int32_t n = std::min<int32_t>(Count, static_cast<int32_t>(buffer.size()));
    Source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    Count -= n;
  }
  return result;
}

int32_t THandleStream::Read(void* Buffer, int32_t Count) {
  int32_t done = 0;
  while (done < Count) {
    ssize_t n = ::read(FHandle, static_cast<char*>(Buffer) + done, static_cast<size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int32_t>(n);
  }
  return done;
}

int32_t THandleStream::Write(const void* Buffer, int32_t Count) {
  int32_t done = 0;
  while (done < Count) {
    ssize_t n = ::write(FHandle, static_cast<const char*>(Buffer) + done, static_cast<size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      win::SetLastError(win::ErrorFromErrno(n < 0 ? errno : ENOSPC));
      break;
    }
    done += static_cast<int32_t>(n);
  }
  return done;
}

int32_t THandleStream::Seek(int32_t Offset, uint16_t Origin) {
  int whence = Origin == soFromCurrent ? SEEK_CUR : Origin == soFromEnd ? SEEK_END : SEEK_SET;
  off_t r = ::lseek(FHandle, Offset, whence);
  return r < 0 ? -1 : static_cast<int32_t>(r);
}

void THandleStream::SetSize(int32_t NewSize) {
  if (::ftruncate(FHandle, NewSize) != 0) throw EStreamError("Stream write error");
}

static AnsiString Reason(int err) { return win::SysErrorMessage(win::ErrorFromErrno(err)); }

TFileStream::TFileStream(const AnsiString& FileName, uint16_t Mode) : THandleStream(-1), FFileName(FileName) {
  std::string host = win::ToHostPath(FileName);
  bool create = Mode == fmCreate;
  bool writing = create || (Mode & 3) != fmOpenRead;
  struct stat st;
  // Read-only is enforced here, as Windows does, also for root.
  if (writing && win::IsReadOnly(FileName)) {
    win::SetLastError(win::ERROR_ACCESS_DENIED);
    AnsiString reason = win::SysErrorMessage(win::ERROR_ACCESS_DENIED);
    if (create) throw EFCreateError(Format("Cannot create file \"%s\". %s", FileName.c_str(), reason.c_str()));
    throw EFOpenError(Format("Cannot open file \"%s\". %s", FileName.c_str(), reason.c_str()));
  }
  int flags = O_CLOEXEC;
  if (create) flags |= O_RDWR | O_CREAT | O_TRUNC;
  else if ((Mode & 3) == fmOpenWrite) flags |= O_WRONLY;
  else if ((Mode & 3) == fmOpenReadWrite) flags |= O_RDWR;
  else flags |= O_RDONLY;
  FHandle = ::open(host.c_str(), flags, 0666);
  if (FHandle >= 0 && ::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(FHandle);
    FHandle = -1;
    errno = EISDIR;
  }
  if (FHandle >= 0 && create) win::host::NoteCreated(host);
  if (FHandle < 0) {
    int err = errno;
    win::SetLastError(win::ErrorFromErrno(err));
    if (create) throw EFCreateError(Format("Cannot create file \"%s\". %s", FileName.c_str(), Reason(err).c_str()));
    throw EFOpenError(Format("Cannot open file \"%s\". %s", FileName.c_str(), Reason(err).c_str()));
  }
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

int32_t TMemoryStream::Read(void* Buffer, int32_t Count) {
  int32_t n = std::max(0, std::min<int32_t>(Count, static_cast<int32_t>(FData.size()) - FPosition));
  if (n > 0) std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int32_t TMemoryStream::Write(const void* Buffer, int32_t Count) {
  if (Count <= 0) return 0;
  size_t end = static_cast<size_t>(FPosition) + static_cast<size_t>(Count);
  if (end > FData.size()) FData.resize(end);
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition += Count;
  return Count;
}

int32_t TMemoryStream::Seek(int32_t Offset, uint16_t Origin) {
  int64_t base = Origin == soFromCurrent ? FPosition : Origin == soFromEnd ? static_cast<int64_t>(FData.size()) : 0;
  int64_t target = base + Offset;
  if (target < 0) target = 0;
  FPosition = static_cast<int32_t>(target);
  return FPosition;
}

void TMemoryStream::SetSize(int32_t NewSize) {
  FData.resize(static_cast<size_t>(std::max(0, NewSize)));
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  int32_t size = file.Size();
  FData.resize(static_cast<size_t>(size));
  FPosition = 0;
  file.ReadBuffer(FData.data(), size);
}

void TMemoryStream::SaveToFile(const AnsiString& FileName) {
  TFileStream file(FileName, fmCreate);
  file.WriteBuffer(FData.data(), static_cast<int32_t>(FData.size()));
}

}  // namespace vcl
