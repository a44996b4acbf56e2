#pragma once
// TSevenZip: writes a new 7z archive from a list of file masks by driving the
// 7-Zip library ("7za.dll", the system's 7z.so here). Set the properties, add
// masks to Files, call Add. One thread at a time uses an instance; its events
// run on whichever thread the library calls back on, without synchronisation.
#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>

#include "platform/WinTypes.h"
#include "rtl/Classes.h"
#include "sevenzip/WideStrings.h"

namespace sevenzip {

using namespace vcl;

struct IOutArchive;

enum TCompressType : uint8_t { LZMA, PPMD };
enum TCompressStrength : uint8_t { SAVE, FAST, NORMAL, MAXIMUM, ULTRA };
using TLZMAStrength = int32_t;  // 0..27
using TPPMDSize = int32_t;      // 2..32
using TPPMDMem = int32_t;       // 1..31

// A set of up to eight enumeration values, one bit per ordinal.
template <class E>
class TByteSet {
 public:
  constexpr TByteSet() = default;
  constexpr TByteSet(std::initializer_list<E> values) {
    for (E v : values) Include(v);
  }
  constexpr bool Contains(E v) const { return (Bits >> static_cast<unsigned>(v)) & 1u; }
  constexpr void Include(E v) { Bits = static_cast<uint8_t>(Bits | (1u << static_cast<unsigned>(v))); }
  constexpr void Exclude(E v) { Bits = static_cast<uint8_t>(Bits & ~(1u << static_cast<unsigned>(v))); }
  constexpr bool operator==(const TByteSet&) const = default;
  uint8_t Bits = 0;
};

enum AddOptsEnum : uint8_t {
  AddRecurseDirs,
  AddSolid,
  AddStoreOnlyFilename,
  AddIncludeDriveLetter,
  AddEncryptFilename
};
using AddOpts = TByteSet<AddOptsEnum>;
enum ExtractOptsEnum : uint8_t { ExtractNoPath, ExtractOverwrite };
using ExtractOpts = TByteSet<ExtractOptsEnum>;

using T7zPreProgressEvent = std::function<void(TObject* Sender, int64_t MaxProgress)>;
using T7zProgressEvent = std::function<void(TObject* Sender, const WideString& Filename,
                                            int64_t FilePosArc, int64_t FilePosFile)>;
using T7zAddFileEvent =
    std::function<void(TObject* Sender, const WideString& Filename, int64_t Filesize)>;
using T7zMessageEvent = std::function<void(TObject* Sender, int32_t ErrCode,
                                           const AnsiString& Message, const WideString& Filename)>;
using T7zSetNewNameEvent =
    std::function<void(TObject* Sender, uint32_t FileIndex, WideString& OldFileName)>;
using T7zListfileEvent = std::function<void(
    TObject* Sender, const WideString& Filename, int64_t Fileindex, int64_t FileSizeU,
    int64_t FileSizeP, int64_t Fileattr, int64_t Filecrc, const WideString& Filemethod,
    double FileTime)>;
using T7zExtractfileEvent =
    std::function<void(TObject* Sender, const WideString& Filename, int64_t Filesize)>;
using T7zExtractOverwrite =
    std::function<void(TObject* Sender, const WideString& FileName, bool& DoOverwrite)>;
using TOpenVolume = std::function<void(WideString& arcFileName, bool Removable, bool& Cancel)>;

// The component's message table, indexed by error code (0..11).
extern const char* const ErrorMessages[12];

class TSevenZip : public TComponent {
 public:
  // Loads the library; raises Exception when it is missing, lacks CreateObject
  // ("Could not load CreateObject function from 7za.dll\r\nPerhaps 7za.dll not
  // found") or lays out its interfaces otherwise than this program does.
  explicit TSevenZip(TComponent* AOwner);
  // Releases the library's objects, then unloads it.
  ~TSevenZip() override;

  // Writes the archive. Returns what the library's UpdateItems returned (0 on
  // success), or -1 when the masks yield nothing (error 10; the empty output
  // file stays). An output file that cannot be created raises EAbort with
  // LastOSError set.
  int32_t Add();

  // Setters with their thresholds against the SFX module's size.
  void SetVolumeSize(int32_t Value);
  void SetSFXCreate(bool Value);
  int32_t VolumeSize() const { return FVolumeSize; }
  bool SFXCreate() const { return FSFXCreate; }
  // Asks a running add to stop (any thread): the directory walk ends, and the
  // next progress report reports error 6 and stops the library.
  void Cancel() { CancelRequested = true; }

  // Published properties.
  WideString SZFileName;
  WideString Password;
  WideString AddRootDir;
  AddOpts AddOptions;
  TCompressType LZMACompressType = LZMA;
  TCompressStrength LZMACompressStrength = SAVE;
  TLZMAStrength LZMAStrength = 0;
  TPPMDSize LPPMDsize = 0;
  TPPMDMem LPPMDmem = 0;
  // A plain name (the default "7z.sfx") is looked for in the current directory,
  // then beside the program; failing both, the default means the system's
  // console module /usr/lib/p7zip/7zCon.sfx.
  WideString SFXModule = L"7z.sfx";
  int32_t NumberOfFiles = -1;
  WideString ExtrBaseDir;
  ExtractOpts ExtractOptions;

  // Published events.
  T7zPreProgressEvent OnPreProgress;
  T7zProgressEvent OnProgress;
  T7zAddFileEvent OnAddfile;
  T7zMessageEvent OnMessage;
  T7zSetNewNameEvent OnSetAddName;
  T7zListfileEvent OnListfile;
  T7zExtractfileEvent OnExtractfile;
  T7zSetNewNameEvent OnSetExtractName;
  T7zExtractOverwrite OnExtractOverwrite;
  TOpenVolume OnOpenVolume;

  // State.
  TWideStringList_ Files;
  std::atomic<int32_t> LastErrCode{0};
  std::atomic<win::DWORD> LastOSError{0};
  std::atomic<bool> CancelRequested{false};
  uint64_t SFXModuleSize = 0;
  win::HMODULE LibHandle = nullptr;
  void* CreateObjectProc = nullptr;
  IOutArchive* OutArchive = nullptr;

  // Sets LastErrCode (and for code 9 LastOSError) and raises OnMessage.
  void ReportError(int32_t Code, const WideString& Filename);
  // The library's BSTR allocator and release, for strings handed to it.
  void* SysAllocStringProc = nullptr;
  void* SysFreeStringProc = nullptr;

 private:
  void LoadSevenZipLibrary();
  void ReleaseLibrary();
  // SFXModule as the file to copy (see SFXModule).
  WideString ResolvedSFXModule() const;

  int32_t FVolumeSize = 0;
  bool FSFXCreate = false;
  win::HRESULT FCreateObjectResult = 0;
};

}  // namespace sevenzip
