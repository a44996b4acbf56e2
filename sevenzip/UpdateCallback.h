#pragma once
// The three reference-counted objects an add hands to the 7-Zip library: the
// update callback (item properties, progress, password, source streams), the
// source-file reader and the archive writer (one file, numbered volumes, or
// appended to a copy of the SFX module).
#include <atomic>
#include <ctime>
#include <exception>
#include <mutex>
#include <utility>
#include <vector>

#include "sevenzip/SevenZipIntf.h"
#include "sevenzip/WideStrings.h"

namespace sevenzip {

class TSevenZip;

// Base of our library-facing objects. A new instance counts 1 until
// NewInterfaced lowers it to 0, so a release during construction cannot free
// it; the first reference taken afterwards keeps it alive. Counts change only
// atomically: the library takes and drops references from its own threads.
class TInterfacedObject {
 public:
  TInterfacedObject() = default;
  TInterfacedObject(const TInterfacedObject&) = delete;
  TInterfacedObject& operator=(const TInterfacedObject&) = delete;
  virtual ~TInterfacedObject() = default;

  void AfterConstruction() { RefCount.fetch_sub(1); }
  ULONG DoAddRef() { return static_cast<ULONG>(RefCount.fetch_add(1) + 1); }
  ULONG DoRelease() {
    const int32_t n = RefCount.fetch_sub(1) - 1;
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

 protected:
  std::atomic<int32_t> RefCount{1};
};

// Creates an object with count 0; hand it straight to a TComPtr.
template <class T, class... A>
T* NewInterfaced(A&&... args) {
  T* object = new T(std::forward<A>(args)...);
  object->AfterConstruction();
  return object;
}

struct TFiles {
  WideString Name;
  HANDLE Handle = win::INVALID_HANDLE_VALUE;
  int64_t Size = 0;
};
using TArrayOfFiles = std::vector<TFiles>;

class TMyArchiveUpdateCallback : public TInterfacedObject,
                                 public IArchiveUpdateCallback,
                                 public ICryptoGetTextPassword2 {
 public:
  // Copies the owner's password and BSTR allocator.
  explicit TMyArchiveUpdateCallback(TSevenZip* AOwner);

  HRESULT QueryInterface(const IID& iid, void** outObject) override;
  ULONG AddRef() override { return DoAddRef(); }
  ULONG Release() override { return DoRelease(); }

  HRESULT SetTotal(uint64_t total) override;
  HRESULT SetCompleted(const uint64_t* completeValue) override;
  HRESULT GetUpdateItemInfo(uint32_t index, int32_t* newData, int32_t* newProps,
                            uint32_t* indexInArchive) override;
  HRESULT GetProperty(uint32_t index, PROPID propID, PROPVARIANT* value) override;
  HRESULT GetStream(uint32_t index, ISequentialInStream** inStream) override;
  HRESULT SetOperationResult(int32_t operationResult) override;
  HRESULT CryptoGetTextPassword2(int32_t* passwordIsDefined, BSTR* password) override;

  // Name under which item Index is stored: relative to RootDir, without a drive
  // prefix, '/' between directories as the 7z format wants.
  WideString ArchiveName(uint32_t Index);
  // An exception an event handler raised while the library was running; the add
  // raises it again once the library has returned.
  void RethrowPending();

  TSevenZip* Owner;
  TWideStringArray ItemNames;
  std::vector<int64_t> ItemSizes;
  std::vector<FILETIME> ItemTimes;
  std::vector<uint32_t> ItemAttrs;
  WideString RootDir;
  WideString PasswordText;

 private:
  bool ValidIndex(uint32_t Index) const { return Index < ItemNames.size(); }
  void KeepException(std::exception_ptr e);

  // The library asks for streams and reports progress from different threads:
  // the current item's fields are read and written under this lock, events are
  // raised outside it.
  std::mutex FLock;
  WideString CurrentName;
  int64_t FileDone = 0;
  int64_t CurrentSize = 0;
  int64_t LastCompleted = 0;
  TBstrFunctions FBstr;
  std::exception_ptr FPending;
};

class TMyStreamReader : public TInterfacedObject, public IInStream, public IStreamGetSize {
 public:
  TMyStreamReader(TSevenZip* AOwner, const WideString& AFileName);
  ~TMyStreamReader() override;

  HRESULT QueryInterface(const IID& iid, void** outObject) override;
  ULONG AddRef() override { return DoAddRef(); }
  ULONG Release() override { return DoRelease(); }

  HRESULT Read(void* data, uint32_t size, uint32_t* processedSize) override;
  HRESULT Seek(int64_t offset, uint32_t seekOrigin, uint64_t* newPosition) override;
  HRESULT GetSize(uint64_t* size) override;

  TSevenZip* Owner;
  WideString FileName;
  int64_t Position = 0;
  int64_t StreamSize = 0;
  TArrayOfFiles Volumes;
  win::DWORD LastError = 0;
};

class TMyStreamWriter : public TInterfacedObject, public IOutStream {
 public:
  // Opens the first output file (appends to FileName, the SFX module copy, in
  // append mode); raises EAbort, with the reason in *AErrorTarget, when it
  // cannot be created or stamped.
  TMyStreamWriter(std::atomic<win::DWORD>* AErrorTarget, const WideString& AFileName,
                  std::time_t AFileDate, uint32_t AFileAttributes, uint32_t AVolumeSize,
                  bool AAppendMode);
  ~TMyStreamWriter() override;

  HRESULT QueryInterface(const IID& iid, void** outObject) override;
  ULONG AddRef() override { return DoAddRef(); }
  ULONG Release() override { return DoRelease(); }

  HRESULT Write(const void* data, uint32_t size, uint32_t* processedSize) override;
  HRESULT Seek(int64_t offset, uint32_t seekOrigin, uint64_t* newPosition) override;
  HRESULT SetSize(uint64_t newSize) override;

  // A later volume could not be created while the library was writing: the add
  // raises the silent abort once the library has returned.
  bool AbortPending() const { return FAbortPending; }

  WideString FileName;
  std::time_t FileDate;
  uint32_t FileAttributes;
  bool AppendMode;
  uint32_t VolumeSize;
  int64_t Position = 0;
  int64_t HighWater = 0;
  std::atomic<win::DWORD>* ErrorTarget;
  win::DWORD LastError = 0;
  TArrayOfFiles Volumes;

 private:
  void NewVolume();
  void CloseAll();
  bool FAbortPending = false;
};

}  // namespace sevenzip
