#pragma once
// TVCLUnZip: the ZIP extraction component. Setting ZipName only records the
// name; the archive is opened and its directory read the first time an
// operation needs it (UnZip, comments). Single-threaded: one thread at a time.
#include <cstdint>
#include <functional>
#include <memory>

#include "rtl/Classes.h"
#include "rtl/StringList.h"
#include "zip/KpLib.h"
#include "zip/kpZipObj.h"

namespace kp {
using namespace vcl;

enum TUZOverwriteMode : uint8_t { Prompt = 0, Always = 1, Never = 2 };
enum TIncompleteZipMode : uint8_t { izAssumeMulti = 0, izAssumeBad = 1 };
enum TMultiPartMode : uint8_t { mpNone = 0, mpRemovable = 1, mpNumbered = 2 };
enum TSkipReason : uint8_t { srBadPassword = 0, srNoOverwrite = 1, srFileOpenError = 2 };

using Comp = int64_t;

// Events: empty means "not assigned" and the default behaviour applies.
using TStartUnzipInfo =
    std::function<void(TObject* Sender, int NumFiles, Comp TotalBytes, bool& StopNow)>;
using TStartUnZipEvent =
    std::function<void(TObject* Sender, int FileIndex, const AnsiString& FName, bool& Skip)>;
using TEndUnZipEvent =
    std::function<void(TObject* Sender, int FileIndex, const AnsiString& FName)>;
using TPromptForOverwrite =
    std::function<void(TObject* Sender, bool& OverWriteIt, int FileIndex, AnsiString& FName)>;
using TSkippingFile = std::function<void(TObject* Sender, TSkipReason Reason,
                                         const AnsiString& FName, int FileIndex)>;
using TBadPassword =
    std::function<void(TObject* Sender, int FileIndex, AnsiString& NewPassword)>;
using TBadCRC =
    std::function<void(TObject* Sender, int CalcCRC, int StoredCRC, int FileIndex)>;
using TFilePercentDone = std::function<void(TObject* Sender, int Percent)>;
using TTotalPercentDone = std::function<void(TObject* Sender, int Percent)>;
using TIncompleteZip =
    std::function<void(TObject* Sender, TIncompleteZipMode& IncompleteMode)>;
// Asked for the path of disk NextDisk (1-based); an empty FName cancels.
using TGetNextDisk = std::function<void(TObject* Sender, int NextDisk, AnsiString& FName)>;

// The extraction side's private helpers (zip/Extract*): the work area of one
// UnZip call and the driver that walks the entries.
struct ExtractionWorkArea;
class ExtractionDriver;

class TVCLUnZip : public TComponent {
 public:
  explicit TVCLUnZip(TComponent* AOwner);
  ~TVCLUnZip() override;
  void Loaded() override;

  // --- Archive side ---
  int ThisVersion() const { return FThisVersion; }
  void SetThisVersion(int) { FThisVersion = 217; }
  const AnsiString& ZipName() const { return FZipName; }
  // Records the name and forgets the directory read so far. A name ending in
  // "?" asks the user (EUserCanceled "User canceled setting zip file name."
  // when cancelled); the same name in other letter case changes nothing.
  virtual void SetZipName(const AnsiString& Value);
  TZipSortMode SortMode() const { return FSortMode; }
  // Applied when the directory is next read.
  void SetSortMode(TZipSortMode Value) { FSortMode = Value; }
  TIncompleteZipMode IncompleteZipMode() const { return FIncompleteZipMode; }
  void SetIncompleteZipMode(TIncompleteZipMode Value) { FIncompleteZipMode = Value; }
  bool KeepZipOpen() const { return FKeepZipOpen; }
  void SetKeepZipOpen(bool Value) { FKeepZipOpen = Value; }
  bool DoProcessMessages() const { return FDoProcessMessages; }
  void SetDoProcessMessages(bool Value) { FDoProcessMessages = Value; }
  virtual bool VerifyVolumeLabels() const { return FVerifyVolumeLabels; }
  virtual void SetVerifyVolumeLabels(bool Value) { FVerifyVolumeLabels = Value; }
  virtual TMultiPartMode MultiPartMode() const { return FMultiPartMode; }
  virtual void SetMultiPartMode(TMultiPartMode Value) { FMultiPartMode = Value; }

  // Opens the archive if needed and reads its directory when it has none or the
  // file changed since. Raises EIncompleteZip / EBadZipFile / the open error.
  void OpenArchive();
  // Closes the archive file unless KeepZipOpen.
  void CloseArchive();
  // Forgets the archive completely, ZipName included.
  void ResetArchive();
  // Rebuilds the ordered view for Mode and stores Mode.
  void ApplySortMode(TZipSortMode Mode);
  // Default OnGetNextDisk: numbered parts name.001, name.002, ..., and the last
  // part under the name the archive was opened with (name.zip).
  void DefaultNextDiskPrompt(TObject* Sender, int NextDisk, AnsiString& FName);

  // Entries read so far (0 before the directory is read; does not read it).
  int EntryCount() const;
  // Name part of entry Index of the ordered view. Out of range: EListError
  // "Index %d is out of range" (also for the accessors below).
  AnsiString EntryName(int Index) const;
  // The record of entry Index of the ordered view (read-only).
  const TZipHeaderInfo& Entry(int Index) const;
  // Comments are read from the archive on first demand; setting one only
  // replaces the text held in memory.
  AnsiString EntryComment(int Index);
  void SetEntryComment(int Index, const AnsiString& Value);
  AnsiString ArchiveComment();
  void SetArchiveComment(const AnsiString& Value);

  // --- Extraction side (zip/Extract*) ---
  // Extracts the selected entries; returns how many were selected less those
  // skipped or failed.
  int UnZip();
  const AnsiString& DestDir() const { return FDestDir; }
  // "?" asks the user (EUserCanceled "User canceled Set Desination Directory");
  // one trailing '\' is dropped.
  void SetDestDir(const AnsiString& Value);
  const AnsiString& RootDir() const { return FRootDir; }
  // Stored with a trailing '\' when not empty.
  void SetRootDir(const AnsiString& Value);
  bool RecreateDirs() const { return FRecreateDirs; }
  void SetRecreateDirs(bool Value) { FRecreateDirs = Value; }
  TUZOverwriteMode OverwriteMode() const { return FOverwriteMode; }
  void SetOverwriteMode(TUZOverwriteMode Value) { FOverwriteMode = Value; }
  // The component's own list of patterns; the setter copies Value's strings.
  TStrings* FilesList() const { return FFilesList.get(); }
  void SetFilesList(TStrings* Value);
  bool DoAll() const { return FDoAll; }
  void SetDoAll(bool Value) { FDoAll = Value; }
  bool RetainAttributes() const { return FRetainAttributes; }
  void SetRetainAttributes(bool Value) { FRetainAttributes = Value; }
  const AnsiString& Password() const { return FPassword; }
  void SetPassword(const AnsiString& Value) { FPassword = Value; }

  TStartUnzipInfo OnStartUnZipInfo;
  TFilePercentDone OnFilePercentDone;
  TTotalPercentDone OnTotalPercentDone;
  TStartUnZipEvent OnStartUnZip;
  TEndUnZipEvent OnEndUnZip;
  TPromptForOverwrite OnPromptForOverwrite;
  TSkippingFile OnSkippingFile;
  TBadPassword OnBadPassword;
  TBadCRC OnBadCRC;
  TIncompleteZip OnInCompleteZip;
  TGetNextDisk OnGetNextDisk;

 protected:
  // Reads the directory of the open archive; only OpenArchive calls it.
  void LoadDirectory();
  // Builds DirectoryList by scanning for local headers; false when none is found.
  bool RebuildFromLocalHeaders();
  // Closes the archive stream and opens disk N (1-based) of a multi-part set.
  // EUserCanceled "User canceled loading new disk." when no part is given.
  TLFNFileStream* SwitchToDisk(int N);
  // The central-record reader's disk switch: the disk after the current one.
  void NextDiskForRecord(TZipHeaderInfo* Info, TStream*& Stream);

 private:
  friend struct ExtractionWorkArea;
  friend class ExtractionDriver;

  void CheckIndex(int Index) const;
  void FreeDirectory();
  int64_t FileTimeStamp(const AnsiString& Name) const;
  void ReadEntryCommentNow(TZipHeaderInfo* Entry);
  void ReadArchiveCommentNow();

  // Archive side.
  int FThisVersion = 217;
  AnsiString FZipName;
  TZipSortMode FSortMode = ByNone;
  TIncompleteZipMode FIncompleteZipMode = izAssumeMulti;
  bool FKeepZipOpen = false;
  bool FDoProcessMessages = true;
  bool FVerifyVolumeLabels = true;
  TMultiPartMode FMultiPartMode = mpNone;
  std::unique_ptr<TLFNFileStream> FArchiveStream;
  std::unique_ptr<TSortedZip> FDirectoryList;  // physical order, owns the entries
  TSortedZip* FSortedView = nullptr;           // FDirectoryList or FSeparateView
  std::unique_ptr<TSortedZip> FSeparateView;   // a re-sorted view; owns no entry
  std::unique_ptr<TEndCentral> FEndCentral;
  int32_t FCurrentDisk = 0;                    // 0-based disk of FArchiveStream
  int64_t FArchiveTimeStamp = 0;               // file time (100 ns) when read; 0 none
  AnsiString FLastPartName;                    // name of a set's last part, holding the end record

  // Extraction side.
  AnsiString FDestDir;
  AnsiString FRootDir;
  bool FRecreateDirs = false;
  TUZOverwriteMode FOverwriteMode = Prompt;
  std::unique_ptr<TStringList> FFilesList;
  bool FDoAll = false;
  bool FRetainAttributes = true;
  AnsiString FPassword;
  std::unique_ptr<TZipHeaderInfo> FWorkEntry;  // work copy of the entry being extracted
  uint8_t FLocalHeader[LocalHeaderSize] = {};  // local header of the entry being extracted
  Comp FTotalBytes = 0;
  Comp FBytesDone = 0;
  uint32_t FRunningCRC = 0xFFFFFFFF;
  ExtractionWorkArea* FWorkArea = nullptr;     // during UnZip only; the driver owns it
};

}  // namespace kp
