#include "sevenzip/SevenZipVCL.h"

#include <ctime>

#include "platform/CodePages.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/System.h"
#include "rtl/Exceptions.h"
#include "sevenzip/Enumerate.h"
#include "sevenzip/SevenZipIntf.h"
#include "sevenzip/UpdateCallback.h"

namespace sevenzip {

const char* const ErrorMessages[12] = {
    "Success",
    "File not found",
    "Data Error",
    "CRC Error",
    "Unsupported Method",
    "Index out of Range",
    "User canceled operation",
    "File is not an 7z SFX archive",
    "SFXModule error ( Not found )",
    "Could not create SFX",
    "No files to add",
    "Could not create file",
};

namespace {

const char* const kLibraryNotFound =
    "Could not load CreateObject function from 7za.dll\r\nPerhaps 7za.dll not found";
// The system's console self-extractor, standing in for the default "7z.sfx".
const wchar_t* const kSystemSFXModule = L"\\usr\\lib\\p7zip\\7zCon.sfx";

// The property list of an add. Names are literals; BSTR values come from the
// library's allocator and stay ours: the library copies them.
class TPropertyList {
 public:
  explicit TPropertyList(const TBstrFunctions& Bstr) : FBstr(Bstr) {}
  TPropertyList(const TPropertyList&) = delete;
  TPropertyList& operator=(const TPropertyList&) = delete;
  ~TPropertyList() {
    for (uint32_t i = 0; i < FCount; ++i)
      if (FValues[i].vt == VT_BSTR && FValues[i].bstrVal) FBstr.Free(FValues[i].bstrVal);
  }
  void AddUInt32(const wchar_t* Name, uint32_t Value) {
    PROPVARIANT& v = Next(Name);
    v.vt = VT_UI4;
    v.ulVal = Value;
  }
  void AddString(const wchar_t* Name, const wchar_t* Value) {
    PROPVARIANT& v = Next(Name);
    v.bstrVal = FBstr.Alloc(Value);
    v.vt = VT_BSTR;
  }
  const wchar_t* const* Names() const { return FNames; }
  const PROPVARIANT* Values() const { return FValues; }
  uint32_t Count() const { return FCount; }

 private:
  PROPVARIANT& Next(const wchar_t* Name) {
    FNames[FCount] = Name;
    FValues[FCount] = PROPVARIANT{};
    return FValues[FCount++];
  }
  // Three for the method plus "he".
  static constexpr uint32_t kRoom = 4;
  const wchar_t* FNames[kRoom] = {};
  PROPVARIANT FValues[kRoom] = {};
  uint32_t FCount = 0;
  TBstrFunctions FBstr;
};

uint32_t LevelOf(TCompressStrength Strength) {
  switch (Strength) {
    case SAVE: return 0;
    case FAST: return 3;
    case NORMAL: return 5;
    case MAXIMUM: return 7;
    case ULTRA: return 9;
  }
  return 5;
}

}  // namespace

TSevenZip::TSevenZip(TComponent* AOwner) : TComponent(AOwner) {
  CancelRequested = false;
  NumberOfFiles = -1;
  Password.clear();
  SFXModule = L"7z.sfx";
  try {
    LoadSevenZipLibrary();
  } catch (...) {
    ReleaseLibrary();
    throw;
  }
  FCreateObjectResult = reinterpret_cast<TCreateObjectFunc>(CreateObjectProc)(
      &CLSID_CFormat7z, &IID_IOutArchive, reinterpret_cast<void**>(&OutArchive));
  if (FCreateObjectResult != S_OK) OutArchive = nullptr;
  win::OSVERSIONINFOA version;
  win::GetVersionExA(version);
  UseWideFileApi = version.dwPlatformId != win::VER_PLATFORM_WIN32_WINDOWS;
}

TSevenZip::~TSevenZip() {
  ReleaseLibrary();
  Files.Clear();
}

void TSevenZip::LoadSevenZipLibrary() {
  LibHandle = win::LoadLibraryA("7za.dll");
  if (LibHandle) CreateObjectProc = win::GetProcAddress(LibHandle, "CreateObject");
  if (!LibHandle || !CreateObjectProc) throw Exception(kLibraryNotFound);
  // Calling through a vtable of another shape would crash somewhere inside the
  // library; ask how it lays out IUnknown and refuse anything but plain slots.
  auto getModuleProp = reinterpret_cast<TGetModulePropFunc>(win::GetProcAddress(LibHandle, "GetModuleProp"));
  if (!getModuleProp)
    throw Exception(
        "7za.dll does not tell its interface layout (no GetModuleProp export); "
        "refusing to use it");
  PROPVARIANT layout{};
  const HRESULT hr = getModuleProp(kModulePropInterfaceType, &layout);
  if (hr != S_OK || layout.vt != VT_UI4 || layout.ulVal != kInterfaceTypeNoVirtualDestructor)
    throw Exception(Format(
        "7za.dll lays out its interfaces differently from this program (interface type: "
        "result 0x%08X, type %u, value %u; expected type 19, value 0); refusing to use it",
        static_cast<unsigned>(hr), static_cast<unsigned>(layout.vt),
        layout.vt == VT_UI4 ? static_cast<unsigned>(layout.ulVal) : 0u));
  SysAllocStringProc = win::GetProcAddress(LibHandle, "SysAllocString");
  SysFreeStringProc = win::GetProcAddress(LibHandle, "SysFreeString");
  if (!SysAllocStringProc || !SysFreeStringProc)
    throw Exception("7za.dll lacks the SysAllocString/SysFreeString exports; refusing to use it");
}

__attribute__((no_sanitize("vptr"))) void TSevenZip::ReleaseLibrary() {
  if (OutArchive) {
    OutArchive->Release();
    OutArchive = nullptr;
  }
  if (LibHandle) win::FreeLibrary(LibHandle);
  LibHandle = nullptr;
  CreateObjectProc = nullptr;
  SysAllocStringProc = nullptr;
  SysFreeStringProc = nullptr;
}

void TSevenZip::ReportError(int32_t Code, const WideString& Filename) {
  if (Code == 9) LastOSError = win::GetLastError();
  LastErrCode = Code;
  if (OnMessage) OnMessage(this, Code, ErrorMessages[Code], Filename);
}

WideString TSevenZip::ResolvedSFXModule() const {
  const WideString& module = SFXModule;
  if (module.empty() || module.find_first_of(L"\\:/") != WideString::npos) return module;
  if (WideFileExists(module)) return module;
  const WideString beside =
      WideIncludeTrailingBackslash(win::AnsiToWide(win::FromHostPath(win::ProgramDirectory()))) + module;
  if (WideFileExists(beside)) return beside;
  if (WideUpperCase(module) == L"7Z.SFX") return kSystemSFXModule;
  return module;
}

void TSevenZip::SetVolumeSize(int32_t Value) {
  if (FSFXCreate && Value > 0 && static_cast<uint64_t>(Value) < SFXModuleSize)
    FVolumeSize = static_cast<int32_t>(SFXModuleSize + 7);
  else
    FVolumeSize = Value;
}

void TSevenZip::SetSFXCreate(bool Value) {
  FSFXCreate = false;
  if (!Value) return;
  const uint32_t s = WideFileSize(ResolvedSFXModule());
  if (s == 0) return;
  if (FVolumeSize > 0 && static_cast<uint64_t>(FVolumeSize) < static_cast<uint64_t>(s) + 7)
    FVolumeSize = static_cast<int32_t>(s + 7);
  SFXModuleSize = s;
  FSFXCreate = true;
}

__attribute__((no_sanitize("vptr"))) int32_t TSevenZip::Add() {
  CancelRequested = false;
  struct TClearCancel {
    TSevenZip& Z;
    ~TClearCancel() { Z.CancelRequested = false; }
  } clearCancel{*this};

  TComPtr<TMyArchiveUpdateCallback> callback(NewInterfaced<TMyArchiveUpdateCallback>(this));
  AddRootDir = WideUpperCase(AddRootDir);
  callback->RootDir = WideIncludeTrailingBackslash(AddRootDir);

  TItemTableBuilder items(*this, *callback.Get());
  for (const WideString& mask : Files.Strings) items.ExpandMask(mask);
  items.Finish();
  if (OnPreProgress) OnPreProgress(this, items.TotalSize);

  bool appendMode = false;
  if (FSFXCreate) {
    const WideString module = ResolvedSFXModule();
    if (WideFileExists(module)) {
      SZFileName = WideChangeFileExt(SZFileName, L".exe");
      if (!win::CopyFileW(module, SZFileName, true)) {
        ReportError(9, SZFileName);
        return E_FAIL;  // no archive written, the library not called
      }
      appendMode = true;
    }
  }
  // A negative size is taken as "one file" rather than as 4 GiB volumes.
  const uint32_t volumeSize = FVolumeSize > 0 ? static_cast<uint32_t>(FVolumeSize) : 0;
  TComPtr<TMyStreamWriter> writer(NewInterfaced<TMyStreamWriter>(
      &LastOSError, SZFileName, std::time(nullptr), win::FILE_ATTRIBUTE_ARCHIVE, volumeSize, appendMode));

  // Without a handler there is nothing to call; the (empty) output stays.
  if (!OutArchive) return FCreateObjectResult != S_OK ? FCreateObjectResult : E_FAIL;

  {
    TComPtr<ISetProperties> setProperties;
    if (OutArchive->QueryInterface(IID_ISetProperties, reinterpret_cast<void**>(setProperties.Receive())) ==
            S_OK &&
        setProperties) {
      TPropertyList list(TBstrFunctions{reinterpret_cast<TSysAllocStringFunc>(SysAllocStringProc),
                                        reinterpret_cast<TSysFreeStringFunc>(SysFreeStringProc)});
      if (LZMACompressType == LZMA) {
        list.AddUInt32(L"X", LevelOf(LZMACompressStrength));
        list.AddString(L"s", AddOptions.Contains(AddSolid) ? L"on" : L"off");
        if (LZMAStrength > 0) list.AddUInt32(L"d", static_cast<uint32_t>(LZMAStrength));
      } else if (LZMACompressType == PPMD) {
        list.AddString(L"0", L"PPMd");
        if (LPPMDsize > 0) list.AddUInt32(L"o", 10);
        if (LPPMDmem > 0) list.AddUInt32(L"mem", 30);
      }
      if (!Password.empty() && AddOptions.Contains(AddEncryptFilename)) list.AddString(L"he", L"on");
      setProperties->SetProperties(list.Names(), list.Values(), list.Count());
    }
  }

  int32_t result;
  if (items.NumItems > 0) {
    result = OutArchive->UpdateItems(static_cast<IOutStream*>(writer.Get()), items.NumItems,
                                     static_cast<IArchiveUpdateCallback*>(callback.Get()));
  } else {
    ReportError(10, WideString());
    result = -1;
  }
  const bool abortPending = writer->AbortPending();
  writer.Reset();  // closes every output file
  callback->RethrowPending();
  callback.Reset();
  if (abortPending) Abort();
  return result;
}

}  // namespace sevenzip
