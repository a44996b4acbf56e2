#pragma once
// The binary interface between us and the 7-Zip library, as the library sees it
// on this platform: plain vtables (QueryInterface, AddRef, Release, then the
// interface's own methods), no virtual destructor, 32-bit HRESULT and ULONG,
// 4-byte wchar_t, the 16-byte PROPVARIANT. Our copies of the interfaces and
// their IDs live in this namespace: the library exports C symbols of the same
// names, which must not meet ours.
#include <cstdint>
#include <cstring>

#include "platform/WinTypes.h"

namespace sevenzip {

using win::FILETIME;
using win::HRESULT;
using win::ULONG;
using PROPID = uint32_t;
using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
using BSTR = wchar_t*;

static_assert(sizeof(wchar_t) == 4, "the library's strings are UTF-32 here");

enum : HRESULT {
  S_OK = 0,
  S_FALSE = 1,
  E_NOTIMPL = static_cast<HRESULT>(0x80004001u),
  E_NOINTERFACE = static_cast<HRESULT>(0x80004002u),
  E_ABORT = static_cast<HRESULT>(0x80004004u),
  E_FAIL = static_cast<HRESULT>(0x80004005u),
  E_INVALIDARG = static_cast<HRESULT>(0x80070057u),
};

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
inline bool operator==(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

// Every 7-Zip ID is {23170F69-40C1-278A-gggg-00yy00xx0000}.
constexpr GUID SevenZipGuid(uint16_t group, uint8_t yy, uint8_t xx) {
  return GUID{0x23170F69, 0x40C1, 0x278A,
              {static_cast<uint8_t>(group >> 8), static_cast<uint8_t>(group), 0x00, yy, 0x00, xx,
               0x00, 0x00}};
}

// Handler classes are {23170F69-40C1-278A-1000-000110xx0000}, xx the format
// number: 07 for 7z.
inline constexpr CLSID CLSID_CFormat7z =
    GUID{0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};

inline constexpr IID IID_IUnknown =
    GUID{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_ISequentialInStream = SevenZipGuid(0, 0x03, 0x01);
inline constexpr IID IID_ISequentialOutStream = SevenZipGuid(0, 0x03, 0x02);
inline constexpr IID IID_IInStream = SevenZipGuid(0, 0x03, 0x03);
inline constexpr IID IID_IOutStream = SevenZipGuid(0, 0x03, 0x04);
inline constexpr IID IID_IStreamGetSize = SevenZipGuid(0, 0x03, 0x06);
inline constexpr IID IID_IProgress = SevenZipGuid(0, 0x00, 0x05);
inline constexpr IID IID_ICryptoGetTextPassword2 = SevenZipGuid(0, 0x05, 0x11);
inline constexpr IID IID_ISetProperties = SevenZipGuid(0, 0x06, 0x03);
inline constexpr IID IID_IArchiveUpdateCallback = SevenZipGuid(0, 0x06, 0x80);
inline constexpr IID IID_IOutArchive = SevenZipGuid(0, 0x06, 0xA0);

enum : VARTYPE {
  VT_EMPTY = 0,
  VT_BSTR = 8,
  VT_BOOL = 11,
  VT_UI4 = 19,
  VT_UI8 = 21,
  VT_FILETIME = 64,
};
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct PROPVARIANT {
  VARTYPE vt;
  uint16_t wReserved1;
  uint16_t wReserved2;
  uint16_t wReserved3;
  union {
    uint32_t ulVal;
    uint64_t uhVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    FILETIME filetime;
  };
};
static_assert(sizeof(PROPVARIANT) == 16 && sizeof(FILETIME) == 8);

// Item property IDs the update callback answers.
enum : PROPID {
  kpidPath = 3,
  kpidIsDir = 6,
  kpidSize = 7,
  kpidAttrib = 9,
  kpidCTime = 10,
  kpidATime = 11,
  kpidMTime = 12,
  kpidIsAnti = 21,
};

// GetModuleProp's property 0: how the library lays out IUnknown.
enum : PROPID { kModulePropInterfaceType = 0 };
enum : uint32_t { kInterfaceTypeNoVirtualDestructor = 0 };

// Interfaces. Destructors are protected and not virtual: an interface pointer
// is never deleted, only released, and the vtable must hold exactly the slots
// the library expects.
struct IUnknown {
  virtual HRESULT QueryInterface(const IID& iid, void** outObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct ISequentialInStream : IUnknown {
  virtual HRESULT Read(void* data, uint32_t size, uint32_t* processedSize) = 0;

 protected:
  ~ISequentialInStream() = default;
};

struct IInStream : ISequentialInStream {
  virtual HRESULT Seek(int64_t offset, uint32_t seekOrigin, uint64_t* newPosition) = 0;

 protected:
  ~IInStream() = default;
};

struct IStreamGetSize : IUnknown {
  virtual HRESULT GetSize(uint64_t* size) = 0;

 protected:
  ~IStreamGetSize() = default;
};

struct ISequentialOutStream : IUnknown {
  virtual HRESULT Write(const void* data, uint32_t size, uint32_t* processedSize) = 0;

 protected:
  ~ISequentialOutStream() = default;
};

struct IOutStream : ISequentialOutStream {
  virtual HRESULT Seek(int64_t offset, uint32_t seekOrigin, uint64_t* newPosition) = 0;
  virtual HRESULT SetSize(uint64_t newSize) = 0;

 protected:
  ~IOutStream() = default;
};

struct IProgress : IUnknown {
  virtual HRESULT SetTotal(uint64_t total) = 0;
  virtual HRESULT SetCompleted(const uint64_t* completeValue) = 0;

 protected:
  ~IProgress() = default;
};

struct IArchiveUpdateCallback : IProgress {
  virtual HRESULT GetUpdateItemInfo(uint32_t index, int32_t* newData, int32_t* newProps,
                                    uint32_t* indexInArchive) = 0;
  virtual HRESULT GetProperty(uint32_t index, PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT GetStream(uint32_t index, ISequentialInStream** inStream) = 0;
  virtual HRESULT SetOperationResult(int32_t operationResult) = 0;

 protected:
  ~IArchiveUpdateCallback() = default;
};

struct ICryptoGetTextPassword2 : IUnknown {
  virtual HRESULT CryptoGetTextPassword2(int32_t* passwordIsDefined, BSTR* password) = 0;

 protected:
  ~ICryptoGetTextPassword2() = default;
};

struct ISetProperties : IUnknown {
  // The library copies names and values; they stay the caller's.
  virtual HRESULT SetProperties(const wchar_t* const* names, const PROPVARIANT* values,
                                uint32_t numProps) = 0;

 protected:
  ~ISetProperties() = default;
};

struct IOutArchive : IUnknown {
  virtual HRESULT UpdateItems(ISequentialOutStream* outStream, uint32_t numItems,
                              IArchiveUpdateCallback* updateCallback) = 0;
  virtual HRESULT GetFileTimeType(uint32_t* type) = 0;

 protected:
  ~IOutArchive() = default;
};

// The library's exports we use.
using TCreateObjectFunc = HRESULT (*)(const GUID* clsid, const GUID* iid, void** outObject);
using TGetModulePropFunc = HRESULT (*)(PROPID propID, PROPVARIANT* value);
using TSysAllocStringFunc = BSTR (*)(const wchar_t* s);
using TSysFreeStringFunc = void (*)(BSTR s);

// The library's BSTR allocator: strings it will free must come from it.
struct TBstrFunctions {
  TSysAllocStringFunc Alloc = nullptr;
  TSysFreeStringFunc Free = nullptr;
};

// Calls into the library's objects carry __attribute__((no_sanitize("vptr"))):
// their dynamic types are the library's classes, which the sanitizer's type
// check cannot know, and the call is by vtable slot as the layout check agreed.

// Holds one reference to an interface (or to one of our objects, which counts
// the same way) and releases it when it goes.
template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  explicit TComPtr(T* p) : FPtr(p) {
    if (FPtr) FPtr->AddRef();
  }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  TComPtr(TComPtr&& other) noexcept : FPtr(other.FPtr) { other.FPtr = nullptr; }
  ~TComPtr() { Reset(); }
  __attribute__((no_sanitize("vptr"))) void Reset() {
    if (FPtr) {
      T* p = FPtr;
      FPtr = nullptr;
      p->Release();
    }
  }
  // For out-parameters that hand over a reference already taken.
  T** Receive() {
    Reset();
    return &FPtr;
  }
  T* Get() const { return FPtr; }
  T* operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }

 private:
  T* FPtr = nullptr;
};

}  // namespace sevenzip
