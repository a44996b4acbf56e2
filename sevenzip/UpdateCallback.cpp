#include "sevenzip/UpdateCallback.h"

#include <algorithm>
#include <cstring>

#include "platform/CodePages.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Times.h"
#include "rtl/Exceptions.h"
#include "sevenzip/SevenZipVCL.h"

namespace sevenzip {

// ---------------------------------------------------------------- callback

TMyArchiveUpdateCallback::TMyArchiveUpdateCallback(TSevenZip* AOwner) : Owner(AOwner) {
  if (Owner) {
    PasswordText = Owner->Password;
    FBstr.Alloc = reinterpret_cast<TSysAllocStringFunc>(Owner->SysAllocStringProc);
    FBstr.Free = reinterpret_cast<TSysFreeStringFunc>(Owner->SysFreeStringProc);
  }
}

HRESULT TMyArchiveUpdateCallback::QueryInterface(const IID& iid, void** outObject) {
  if (!outObject) return E_INVALIDARG;
  if (iid == IID_IUnknown || iid == IID_IProgress || iid == IID_IArchiveUpdateCallback) {
    *outObject = static_cast<IArchiveUpdateCallback*>(this);
  } else if (iid == IID_ICryptoGetTextPassword2) {
    *outObject = static_cast<ICryptoGetTextPassword2*>(this);
  } else {
    *outObject = nullptr;
    return E_NOINTERFACE;
  }
  DoAddRef();
  return S_OK;
}

HRESULT TMyArchiveUpdateCallback::SetTotal(uint64_t) { return S_OK; }

HRESULT TMyArchiveUpdateCallback::SetCompleted(const uint64_t* completeValue) {
  try {
    WideString name;
    int64_t size, done, arc;
    bool starting;
    {
      std::lock_guard<std::mutex> lock(FLock);
      const int64_t v = completeValue ? static_cast<int64_t>(*completeValue) : LastCompleted;
      starting = FileDone == 0;
      name = CurrentName;
      size = CurrentSize;
      FileDone += v - LastCompleted;
      LastCompleted = v;
      done = FileDone;
      arc = v;
    }
    if (!Owner) return S_OK;
    // Fires while the current item has no processed bytes yet, also before the
    // first stream is handed out (empty name, size 0).
    if (starting && Owner->OnAddfile) Owner->OnAddfile(Owner, name, size);
    if (Owner->OnProgress) Owner->OnProgress(Owner, name, arc, done);
    if (Owner->CancelRequested) {
      Owner->ReportError(6, name);
      return S_FALSE;
    }
    return S_OK;
  } catch (...) {
    KeepException(std::current_exception());
    return E_ABORT;
  }
}

HRESULT TMyArchiveUpdateCallback::GetUpdateItemInfo(uint32_t, int32_t* newData, int32_t* newProps,
                                                    uint32_t* indexInArchive) {
  // Every item is new: there is no old archive.
  if (newData) *newData = 1;
  if (newProps) *newProps = 1;
  if (indexInArchive) *indexInArchive = 0xFFFFFFFFu;
  return S_OK;
}

WideString TMyArchiveUpdateCallback::ArchiveName(uint32_t Index) {
  WideString name = ItemNames[Index];
  if (!RootDir.empty() && name.size() >= RootDir.size() &&
      WideUpperCase(name.substr(0, RootDir.size())) == RootDir)
    name.erase(0, RootDir.size());
  if (Owner && Owner->OnSetAddName) Owner->OnSetAddName(Owner, Index, name);
  const AddOpts options = Owner ? Owner->AddOptions : AddOpts();
  if (name.size() >= 2 && name[1] == L':') {
    const unsigned c = static_cast<unsigned>(name[0]) & 0xFF;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      if (options.Contains(AddIncludeDriveLetter))
        name.erase(1, 1);
      else
        name.erase(0, 3);
    }
  }
  if (options.Contains(AddStoreOnlyFilename)) StripDirectory(name);
  // The Linux library takes '\' as part of a name.
  std::replace(name.begin(), name.end(), L'\\', L'/');
  return name;
}

HRESULT TMyArchiveUpdateCallback::GetProperty(uint32_t index, PROPID propID, PROPVARIANT* value) {
  if (!value) return E_INVALIDARG;
  if (!ValidIndex(index)) return E_INVALIDARG;
  try {
    PROPVARIANT v{};
    switch (propID) {
      case kpidPath: {
        if (!FBstr.Alloc) return E_FAIL;
        const WideString name = ArchiveName(index);
        v.vt = VT_BSTR;
        v.bstrVal = FBstr.Alloc(name.c_str());  // the library's from now on
        if (!v.bstrVal) return E_FAIL;
        break;
      }
      case kpidIsDir:
        v.vt = VT_BOOL;
        v.boolVal = (ItemAttrs[index] & win::FILE_ATTRIBUTE_DIRECTORY) ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case kpidSize:
        v.vt = VT_UI8;
        v.uhVal = static_cast<uint64_t>(ItemSizes[index]);
        break;
      case kpidAttrib:
        v.vt = VT_UI4;
        v.ulVal = ItemAttrs[index];
        break;
      case kpidCTime:
      case kpidATime:
        v.vt = VT_FILETIME;
        v.filetime = FILETIME{0, 0};
        break;
      case kpidMTime:
        v.vt = VT_FILETIME;
        v.filetime = ItemTimes[index];
        break;
      case kpidIsAnti:
        v.vt = VT_BOOL;
        v.boolVal = VARIANT_FALSE;
        break;
      default:
        return S_FALSE;
    }
    *value = v;
    return S_OK;
  } catch (...) {
    KeepException(std::current_exception());
    return E_ABORT;
  }
}

HRESULT TMyArchiveUpdateCallback::GetStream(uint32_t index, ISequentialInStream** inStream) {
  if (!inStream) return E_INVALIDARG;
  *inStream = nullptr;
  if (!ValidIndex(index)) return E_INVALIDARG;
  try {
    {
      std::lock_guard<std::mutex> lock(FLock);
      CurrentName = ItemNames[index];
      CurrentSize = ItemSizes[index];
      FileDone = 0;
    }
    TMyStreamReader* reader = NewInterfaced<TMyStreamReader>(Owner, ItemNames[index]);
    *inStream = static_cast<ISequentialInStream*>(static_cast<IInStream*>(reader));
    reader->DoAddRef();  // the caller's reference
    return S_OK;
  } catch (...) {
    KeepException(std::current_exception());
    return E_ABORT;
  }
}

HRESULT TMyArchiveUpdateCallback::SetOperationResult(int32_t) { return S_OK; }

HRESULT TMyArchiveUpdateCallback::CryptoGetTextPassword2(int32_t* passwordIsDefined, BSTR* password) {
  if (PasswordText.empty()) {
    if (passwordIsDefined) *passwordIsDefined = 0;
    return S_OK;
  }
  if (!FBstr.Alloc) return E_FAIL;
  if (passwordIsDefined) *passwordIsDefined = -1;
  if (password) *password = FBstr.Alloc(PasswordText.c_str());  // the library's from now on
  return S_OK;
}

void TMyArchiveUpdateCallback::KeepException(std::exception_ptr e) {
  std::lock_guard<std::mutex> lock(FLock);
  if (!FPending) FPending = e;
}

void TMyArchiveUpdateCallback::RethrowPending() {
  std::exception_ptr e;
  {
    std::lock_guard<std::mutex> lock(FLock);
    std::swap(e, FPending);
  }
  if (e) std::rethrow_exception(e);
}

// ---------------------------------------------------------------- reader

TMyStreamReader::TMyStreamReader(TSevenZip* AOwner, const WideString& AFileName)
    : Owner(AOwner), FileName(AFileName) {
  TFiles file;
  file.Name = AFileName;
  file.Handle = WideCreateFile(AFileName, win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING, 0);
  if (file.Handle == win::INVALID_HANDLE_VALUE) {
    // Reads of this file deliver nothing; its size counts as 0.
    LastError = win::GetLastError();
    file.Size = 0;
  } else {
    file.Size = std::max<int64_t>(win::FileSeek64(file.Handle, 0, win::FILE_END), 0);
  }
  StreamSize = file.Size;
  Volumes.push_back(std::move(file));
}

TMyStreamReader::~TMyStreamReader() {
  if (LastError != 0 && Owner) Owner->LastOSError = LastError;
  for (TFiles& f : Volumes)
    if (f.Handle != win::INVALID_HANDLE_VALUE) win::CloseHandle(f.Handle);
}

HRESULT TMyStreamReader::QueryInterface(const IID& iid, void** outObject) {
  if (!outObject) return E_INVALIDARG;
  if (iid == IID_IUnknown || iid == IID_ISequentialInStream || iid == IID_IInStream) {
    *outObject = static_cast<IInStream*>(this);
  } else if (iid == IID_IStreamGetSize) {
    *outObject = static_cast<IStreamGetSize*>(this);
  } else {
    *outObject = nullptr;
    return E_NOINTERFACE;
  }
  DoAddRef();
  return S_OK;
}

HRESULT TMyStreamReader::Read(void* data, uint32_t size, uint32_t* processedSize) {
  win::DWORD read = 0;
  const HANDLE h = Volumes[0].Handle;
  if (h == win::INVALID_HANDLE_VALUE) {
    read = 0;
  } else {
    win::FileSeek64(h, Position, win::FILE_BEGIN);
    if (!win::ReadFile(h, data, size, &read)) {
      LastError = win::GetLastError();
      read = 0;
    }
  }
  // A failed read looks like the end of the data: the item keeps what was read.
  Position += read;
  if (processedSize) *processedSize = read;
  return S_OK;
}

HRESULT TMyStreamReader::Seek(int64_t offset, uint32_t seekOrigin, uint64_t* newPosition) {
  HRESULT result = S_OK;
  switch (seekOrigin) {
    case 0: Position = offset; break;
    case 1: Position += offset; break;
    case 2:
      if (StreamSize > 0)
        Position = StreamSize + offset;
      else
        result = S_FALSE;
      break;
    default: break;
  }
  if (newPosition) *newPosition = static_cast<uint64_t>(Position);
  return result;
}

HRESULT TMyStreamReader::GetSize(uint64_t* size) {
  if (StreamSize <= 0) return S_FALSE;
  if (size) *size = static_cast<uint64_t>(StreamSize);
  return S_OK;
}

// ---------------------------------------------------------------- writer

TMyStreamWriter::TMyStreamWriter(std::atomic<win::DWORD>* AErrorTarget, const WideString& AFileName,
                                 std::time_t AFileDate, uint32_t AFileAttributes,
                                 uint32_t AVolumeSize, bool AAppendMode)
    : FileName(AFileName),
      FileDate(AFileDate),
      FileAttributes(AFileAttributes),
      AppendMode(AAppendMode),
      VolumeSize(AVolumeSize),
      ErrorTarget(AErrorTarget) {
  try {
    NewVolume();
  } catch (...) {
    // The partly built writer goes at once and hands its error on.
    CloseAll();
    throw;
  }
}

TMyStreamWriter::~TMyStreamWriter() { CloseAll(); }

void TMyStreamWriter::CloseAll() {
  if (ErrorTarget && LastError != 0) *ErrorTarget = LastError;
  for (TFiles& f : Volumes) {
    if (f.Handle != win::INVALID_HANDLE_VALUE) win::CloseHandle(f.Handle);
    f.Handle = win::INVALID_HANDLE_VALUE;
  }
}

static WideString VolumeNumber(size_t n) {
  WideString digits = std::to_wstring(n);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), L'0');
  return digits;
}

void TMyStreamWriter::NewVolume() {
  const size_t n = Volumes.size();
  Volumes.emplace_back();
  TFiles& file = Volumes.back();
  if (AppendMode && n == 0) {
    file.Name = FileName;
    file.Handle = WideCreateFile(FileName, win::GENERIC_READ | win::GENERIC_WRITE, 0,
                                 win::OPEN_EXISTING, FileAttributes);
    if (file.Handle != win::INVALID_HANDLE_VALUE)
      Position = win::FileSeek64(file.Handle, 0, win::FILE_END);  // the end of the module
  } else {
    file.Name = VolumeSize != 0 ? FileName + L"." + VolumeNumber(n + 1) : FileName;
    file.Handle = WideCreateFile(file.Name, win::GENERIC_READ | win::GENERIC_WRITE, 0,
                                 win::CREATE_ALWAYS, FileAttributes);
  }
  if (file.Handle == win::INVALID_HANDLE_VALUE) {
    LastError = win::GetLastError();
    Abort();
  }
  // Stamp the new file with the add's date; the stamp's result is the writer's
  // error state from now on.
  LastError = win::FileSetDate(std::wstring_view(file.Name), win::UnixTimeToDosDateTime(FileDate))
                  ? 0
                  : win::GetLastError();
  if (LastError != 0) Abort();
}

HRESULT TMyStreamWriter::QueryInterface(const IID& iid, void** outObject) {
  if (!outObject) return E_INVALIDARG;
  if (iid == IID_IUnknown || iid == IID_ISequentialOutStream || iid == IID_IOutStream) {
    *outObject = static_cast<IOutStream*>(this);
  } else {
    *outObject = nullptr;
    return E_NOINTERFACE;
  }
  DoAddRef();
  return S_OK;
}

HRESULT TMyStreamWriter::Write(const void* data, uint32_t size, uint32_t* processedSize) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  win::DWORD written = 0;
  if (VolumeSize == 0) {
    const HANDLE h = Volumes[0].Handle;
    win::FileSeek64(h, Position, win::FILE_BEGIN);
    if (!win::WriteFile(h, bytes, size, &written)) {
      LastError = win::GetLastError();
      written = 0;
    }
  } else {
    try {
      // A write that ends exactly on a boundary also opens the next volume.
      while (static_cast<int64_t>(Volumes.size()) < (Position + size) / VolumeSize + 1) NewVolume();
    } catch (...) {
      // Unwinding through the library is not possible: stop it here, and let
      // the add raise the abort once the library has returned.
      FAbortPending = true;
      if (processedSize) *processedSize = 0;
      return E_ABORT;
    }
    size_t k = static_cast<size_t>(Position / VolumeSize);
    int64_t offset = Position % VolumeSize;
    while (written < size) {
      win::FileSeek64(Volumes[k].Handle, offset, win::FILE_BEGIN);
      const win::DWORD chunk =
          static_cast<win::DWORD>(std::min<int64_t>(size - written, VolumeSize - offset));
      win::DWORD done = 0;
      if (!win::WriteFile(Volumes[k].Handle, bytes + written, chunk, &done)) {
        LastError = win::GetLastError();
        written = 0;
        break;
      }
      written += done;
      ++k;
      offset = 0;
    }
  }
  Position += written;
  HighWater = std::max(HighWater, Position);
  if (processedSize) *processedSize = written;
  return LastError != 0 ? S_FALSE : S_OK;
}

HRESULT TMyStreamWriter::Seek(int64_t offset, uint32_t seekOrigin, uint64_t* newPosition) {
  switch (seekOrigin) {
    case 0: Position = offset; break;
    case 1: Position += offset; break;
    case 2: Position = HighWater + offset; break;
    default: break;
  }
  HighWater = std::max(HighWater, Position);
  if (newPosition) *newPosition = static_cast<uint64_t>(Position);
  return S_OK;
}

HRESULT TMyStreamWriter::SetSize(uint64_t) { return S_FALSE; }

}  // namespace sevenzip
