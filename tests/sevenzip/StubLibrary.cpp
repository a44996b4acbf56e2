// A recording stand-in for the 7-Zip library: its 7z "handler" writes what it
// is told (properties, item names, the password) as lines to the file named by
// $STUB_RECORD, and counts its BSTRs to check who frees them. $STUB_INTERFACE_TYPE
// sets its GetModuleProp answer; built with STUB_NO_MODULE_PROP it lacks that
// export altogether.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/CodePages.h"
#include "sevenzip/SevenZipIntf.h"

using namespace sevenzip;

namespace {

std::atomic<int> LiveBstrs{0};

void Record(const std::string& line) {
  const char* path = std::getenv("STUB_RECORD");
  if (!path) return;
  if (FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

std::string Utf8(const wchar_t* s) { return s ? win::WideToUtf8(s) : std::string("(null)"); }

BSTR StubAlloc(const wchar_t* s) {
  // Length prefix as the real allocator keeps one; the test only needs a count.
  const size_t n = std::wcslen(s);
  auto* block = static_cast<wchar_t*>(std::malloc((n + 2) * sizeof(wchar_t)));
  block[0] = static_cast<wchar_t>(n);
  std::wmemcpy(block + 1, s, n + 1);
  ++LiveBstrs;
  return block + 1;
}

void StubFree(BSTR s) {
  if (!s) return;
  --LiveBstrs;
  std::free(s - 1);
}

class THandler : public IOutArchive, public ISetProperties {
 public:
  HRESULT QueryInterface(const IID& iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IOutArchive) {
      *out = static_cast<IOutArchive*>(this);
    } else if (iid == IID_ISetProperties) {
      *out = static_cast<ISetProperties*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++FRefs; }
  ULONG Release() override {
    const ULONG n = --FRefs;
    if (n == 0) {
      Record("released");
      delete this;
    }
    return n;
  }

  HRESULT SetProperties(const wchar_t* const* names, const PROPVARIANT* values, uint32_t n) override {
    std::string line = "properties";
    for (uint32_t i = 0; i < n; ++i) {
      line += " " + Utf8(names[i]) + "=";
      if (values[i].vt == VT_UI4)
        line += std::to_string(values[i].ulVal);
      else if (values[i].vt == VT_BSTR)
        line += "'" + Utf8(values[i].bstrVal) + "'";
      else
        line += "vt" + std::to_string(values[i].vt);
    }
    Record(line);
    return S_OK;
  }

  // Our callback's types are the caller's, unknown to the sanitizer here.
  __attribute__((no_sanitize("vptr"))) HRESULT UpdateItems(ISequentialOutStream* out, uint32_t numItems, IArchiveUpdateCallback* callback) override {
    Record("update " + std::to_string(numItems) + " live-bstrs " + std::to_string(LiveBstrs.load()));
    for (uint32_t i = 0; i < numItems; ++i) {
      PROPVARIANT v{};
      if (callback->GetProperty(i, kpidPath, &v) == S_OK && v.vt == VT_BSTR) {
        Record("path " + Utf8(v.bstrVal));
        StubFree(v.bstrVal);  // handed over: ours to free
      }
    }
    ICryptoGetTextPassword2* password = nullptr;
    if (callback->QueryInterface(IID_ICryptoGetTextPassword2, reinterpret_cast<void**>(&password)) == S_OK) {
      int32_t defined = 7;
      BSTR text = nullptr;
      password->CryptoGetTextPassword2(&defined, &text);
      Record("password " + std::to_string(defined) + " " + Utf8(text));
      StubFree(text);
      password->Release();
    }
    uint32_t written = 0;
    out->Write("stub", 4, &written);
    Record("end live-bstrs " + std::to_string(LiveBstrs.load()));
    return S_OK;
  }
  HRESULT GetFileTimeType(uint32_t* type) override {
    *type = 0;
    return S_OK;
  }

 private:
  virtual ~THandler() = default;
  std::atomic<ULONG> FRefs{0};
};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) HRESULT CreateObject(const GUID* clsid, const GUID* iid, void** out) {
  if (!(*clsid == CLSID_CFormat7z) || !(*iid == IID_IOutArchive)) return E_NOINTERFACE;
  auto* handler = new THandler;
  handler->AddRef();
  *out = static_cast<IOutArchive*>(handler);
  return S_OK;
}

#ifndef STUB_NO_MODULE_PROP
__attribute__((visibility("default"))) HRESULT GetModuleProp(PROPID id, PROPVARIANT* value) {
  if (id != kModulePropInterfaceType) return S_OK;
  const char* type = std::getenv("STUB_INTERFACE_TYPE");
  value->vt = VT_UI4;
  value->ulVal = type ? static_cast<uint32_t>(std::atoi(type)) : 0;
  return S_OK;
}
#endif

__attribute__((visibility("default"))) BSTR SysAllocString(const wchar_t* s) { return StubAlloc(s); }
__attribute__((visibility("default"))) void SysFreeString(BSTR s) { StubFree(s); }
}
