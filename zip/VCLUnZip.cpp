// TVCLUnZip, archive side: choosing the archive, opening it, reading its
// directory (also of numbered multi-part sets), rebuilding it from local
// headers, the ordered views and the comments read on demand.
#include "zip/VCLUnZip.h"

#include <climits>
#include <vector>

#include "platform/CodePages.h"
#include "platform/Files.h"
#include "zip/ZipUI.h"

namespace kp {

namespace {

// Shows the busy cursor for as long as it lives.
class BusyCursor {
 public:
  BusyCursor() { ZipUI().SetBusyCursor(true); }
  ~BusyCursor() { ZipUI().SetBusyCursor(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// The first Count bytes at Stream's position that can be read, as text.
AnsiString ReadText(TStream* Stream, int32_t Count) {
  std::vector<char> text(static_cast<size_t>(Count) + 1, '\0');
  int32_t got = Count > 0 ? Stream->Read(text.data(), Count) : 0;
  if (got < 0) got = 0;
  return AnsiString(text.data(), static_cast<size_t>(got));
}

uint16_t Get16(const uint8_t* P) { return static_cast<uint16_t>(P[0] | (P[1] << 8)); }

const char* const SCanceledZipName = "User canceled setting zip file name.";
const char* const SCanceledNewDisk = "User canceled loading new disk.";
const char* const SNotValidZip = "Not a valid zip file!";
const char* const SIncompleteZip = "Incomplete Zip File";
// Where a self-extractor's archive data can start at the earliest.
constexpr int32_t SfxStubSize = 14000;
// Skipped bytes between two looks at the message queue during the scan.
constexpr int32_t ScanMessageInterval = 10240;

}  // namespace

TVCLUnZip::TVCLUnZip(TComponent* AOwner)
    : TComponent(AOwner),
      FEndCentral(std::make_unique<TEndCentral>()),
      FFilesList(std::make_unique<TStringList>()),
      FWorkEntry(std::make_unique<TZipHeaderInfo>()) {
  OnGetNextDisk = BindMethod(this, &TVCLUnZip::DefaultNextDiskPrompt);
}

TVCLUnZip::~TVCLUnZip() { ResetArchive(); }

void TVCLUnZip::Loaded() {
  TComponent::Loaded();
  FThisVersion = 217;
  if (!OnGetNextDisk) OnGetNextDisk = BindMethod(this, &TVCLUnZip::DefaultNextDiskPrompt);
}

void TVCLUnZip::SetZipName(const AnsiString& Value) {
  if (Designing()) {
    FZipName = Value;
    return;
  }
  if (win::AnsiSameText(Value, FZipName)) return;
  AnsiString name = Value;
  if (!Value.empty() && Value.back() == '?') {
    AnsiString dir = ExtractFileDir(Value.substr(0, Value.size() - 1));
    if (dir.empty() || !win::DirExists(dir)) dir = "C:\\";
    AnsiString chosen;
    if (!ZipUI().OpenFileDialog(
            "Open a Zip File",
            "Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|All Files (*.*)|*.*",
            dir, chosen))
      throw EUserCanceled(SCanceledZipName);
    name = chosen;
  }
  FZipName = name;
  FreeDirectory();
  FArchiveTimeStamp = 0;
  FEndCentral->Clear();
  FArchiveStream.reset();
}

int64_t TVCLUnZip::FileTimeStamp(const AnsiString& Name) const {
  win::FILETIME ft{};
  if (!win::GetFileLastWriteTime(Name, ft)) return 0;
  return static_cast<int64_t>((uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime);
}

void TVCLUnZip::FreeDirectory() {
  FSeparateView.reset();
  FSortedView = nullptr;
  FDirectoryList.reset();
}

void TVCLUnZip::OpenArchive() {
  if (FArchiveStream && FDirectoryList && FileTimeStamp(FZipName) != FArchiveTimeStamp) {
    // A stream kept open (KeepZipOpen) still reads the file that was replaced.
    FArchiveStream.reset();
  }
  if (!FArchiveStream) FArchiveStream = std::make_unique<TLFNFileStream>(FZipName, fmOpenRead | fmShareDenyWrite);
  if (!FDirectoryList || FileTimeStamp(FZipName) != FArchiveTimeStamp) LoadDirectory();
}

void TVCLUnZip::CloseArchive() {
  if (!FKeepZipOpen) FArchiveStream.reset();
}

void TVCLUnZip::ResetArchive() {
  FArchiveStream.reset();
  FreeDirectory();
  FEndCentral->Clear();
  FArchiveTimeStamp = 0;
  FMultiPartMode = mpNone;
  FLastPartName.clear();
  FZipName.clear();
}

void TVCLUnZip::LoadDirectory() {
  FArchiveTimeStamp = FileTimeStamp(FZipName);
  FreeDirectory();
  bool rebuilt = false;
  auto rebuildOrFail = [this, &rebuilt]() {
    bool ok;
    {
      BusyCursor busy;
      ok = RebuildFromLocalHeaders();
    }
    if (!ok) {
      ResetArchive();
      throw EBadZipFile(SNotValidZip);
    }
    rebuilt = true;
  };

  if (FEndCentral->LocateInStream(FArchiveStream.get())) {
    FCurrentDisk = FEndCentral->ThisDiskNumber;
    // Parts of a set are numbered files here; there are no removable disks.
    FMultiPartMode = FEndCentral->ThisDiskNumber > 0 ? mpNumbered : mpNone;
    FLastPartName = FMultiPartMode == mpNone ? AnsiString() : FZipName;
    if (FEndCentral->TotalEntries > 0) {
      if (FMultiPartMode != mpNone && FEndCentral->StartDiskNumber != FCurrentDisk)
        SwitchToDisk(FEndCentral->StartDiskNumber + 1);
      uint8_t sig[4] = {0, 0, 0, 0};
      FArchiveStream->Seek(static_cast<int32_t>(FEndCentral->CentralDirOffset), soFromBeginning);
      int32_t got = FArchiveStream->Read(sig, 4);
      if (got == 4 && Get16(sig) == 0x4B50 && Get16(sig + 2) == 0x0201) {
        FArchiveStream->Seek(-4, soFromCurrent);
      } else {
        // The offsets do not fit the file, as in a self-extractor whose offsets
        // count from the start of the archive data.
        rebuildOrFail();
      }
    }
  } else {
    TIncompleteZipMode mode = FIncompleteZipMode;
    if (OnInCompleteZip) {
      OnInCompleteZip(this, mode);
      FIncompleteZipMode = mode;
    }
    if (FIncompleteZipMode == izAssumeMulti) {
      ResetArchive();
      throw EIncompleteZip(SIncompleteZip);
    }
    rebuildOrFail();
  }

  if (!rebuilt) {
    FDirectoryList = std::make_unique<TSortedZip>(dmError);
    FSortedView = FDirectoryList.get();
  }
  const bool multi = FEndCentral->ThisDiskNumber > 0;
  TStream* stream = FArchiveStream.get();
  TNeedNextDisk nextDisk;
  if (!rebuilt && FMultiPartMode != mpNone)
    nextDisk = [this](TZipHeaderInfo* Info, TStream*& Stream) { NextDiskForRecord(Info, Stream); };
  const int total = FEndCentral->TotalEntries;
  for (int i = 0; i < total; ++i) {
    auto record = std::make_unique<TZipHeaderInfo>();
    const int32_t diskBefore = FCurrentDisk;
    if (!record->ReadCentralRecord(stream, nextDisk)) {
      // A failed read leaves the stream where it was, so every later read on
      // the same stream would fail the same way: skip them all at once.
      if (FCurrentDisk == diskBefore) break;
      continue;
    }
    if (rebuilt) {
      int32_t index = 0;
      if (FDirectoryList->Search(record.get(), index)) {
        TZipHeaderInfo* found = FDirectoryList->Entry(index);
        uint32_t ownOffset = found->LocalHeaderOffset;
        found->Assign(record.get());
        found->LocalHeaderOffset = ownOffset;
      }
      continue;
    }
    TZipHeaderInfo* entry = record.get();
    FDirectoryList->Add(entry);
    record.release();
    // The disk holding a comment may be gone when it is asked for later.
    if (multi && entry->HasFileComment()) ReadEntryCommentNow(entry);
  }
  if (multi && FEndCentral->HasZipComment()) {
    if (FCurrentDisk != FEndCentral->ThisDiskNumber) SwitchToDisk(FEndCentral->ThisDiskNumber + 1);
    ReadArchiveCommentNow();
  }
  // FCurrentDisk stays the disk the open stream belongs to, so that the
  // extraction switches disks whenever an entry lies elsewhere.
  ApplySortMode(FSortMode);
}

bool TVCLUnZip::RebuildFromLocalHeaders() {
  FreeDirectory();
  TLFNFileStream* stream = FArchiveStream.get();
  const int32_t start = ExtractFileExt(FZipName) == ".EXE" ? SfxStubSize : 0;
  stream->Seek(start, soFromBeginning);
  // A window over the last four bytes read, compared with "PK\3\4".
  uint32_t window = 0;
  int32_t seen = 0;
  int32_t skipped = 0;
  for (;;) {
    uint8_t b = 0;
    if (stream->Read(&b, 1) != 1) return false;
    window = (window >> 8) | (uint32_t{b} << 24);
    if (++seen >= 4 && window == LocalFileHeaderSig) break;
    if (b != 'P' && ++skipped % ScanMessageInterval == 0 && FDoProcessMessages) ZipUI().ProcessMessages();
  }
  stream->Seek(-4, soFromCurrent);
  FDirectoryList = std::make_unique<TSortedZip>(dmError);
  FSortedView = FDirectoryList.get();
  for (;;) {
    auto entry = std::make_unique<TZipHeaderInfo>();
    if (!entry->ReadLocalRecord(stream)) break;
    const int64_t here = stream->Position();
    int64_t next = here + int64_t{entry->CompressedSize} + entry->ExtraFieldLength +
                   (entry->HasDataDescriptor() ? 16 : 0);
    FDirectoryList->Add(entry.get());
    entry.release();
    // A size that would lead back to this header or before it, or past what a
    // 32-bit position can hold, ends the scan instead of looping.
    if (next <= here - LocalHeaderSize || next > INT32_MAX) break;
    stream->Seek(static_cast<int32_t>(next), soFromBeginning);
  }
  FEndCentral->ThisDiskNumber = 0;
  FCurrentDisk = 0;
  FEndCentral->CentralDirOffset = static_cast<uint32_t>(stream->Position());
  FEndCentral->TotalEntries = static_cast<uint16_t>(FDirectoryList->ItemCount());
  return true;
}

TLFNFileStream* TVCLUnZip::SwitchToDisk(int N) {
  FArchiveStream.reset();
  AnsiString name = FZipName;
  for (;;) {
    if (OnGetNextDisk)
      OnGetNextDisk(this, N, name);
    else
      DefaultNextDiskPrompt(this, N, name);
    if (!name.empty() && FMultiPartMode == mpRemovable && FVerifyVolumeLabels) {
      AnsiString label = VolumeLabelOf(name.substr(0, 3)).substr(0, 11);
      if (RightPart(label, 3) != Format("%3.3d", N)) continue;
    }
    if (name.empty()) throw EUserCanceled(SCanceledNewDisk);
    if (win::FileExists(name)) break;
    // A numbered part that is not there will not appear by asking again.
    if (FMultiPartMode != mpRemovable) throw EUserCanceled(SCanceledNewDisk);
  }
  FArchiveStream = std::make_unique<TLFNFileStream>(name, fmOpenRead);
  FCurrentDisk = N - 1;
  FArchiveTimeStamp = FileTimeStamp(name);
  FZipName = name;
  return FArchiveStream.get();
}

void TVCLUnZip::NextDiskForRecord(TZipHeaderInfo*, TStream*& Stream) {
  Stream = SwitchToDisk(FCurrentDisk + 2);
}

void TVCLUnZip::DefaultNextDiskPrompt(TObject*, int NextDisk, AnsiString& FName) {
  if (FMultiPartMode == mpRemovable) {
    ZipUI().SetBusyCursor(false);
    int answer = ZipUI().MessageBox(
        Format("Please insert disk %d of the multi-disk set.", NextDisk), "Confirm",
        MB_OKCANCEL | MB_ICONQUESTION);
    if (answer != IDOK) FName.clear();
    ZipUI().SetBusyCursor(true);
    return;
  }
  // The last part keeps the archive's own name: asking for name.006 of a set
  // whose last part is name.zip could never find it.
  if (NextDisk == FEndCentral->ThisDiskNumber + 1 && !FLastPartName.empty())
    FName = FLastPartName;
  else
    FName = ChangeFileExt(FName, Format(".%3.3d", NextDisk));
}

void TVCLUnZip::ApplySortMode(TZipSortMode Mode) {
  FSeparateView.reset();
  FSortedView = FDirectoryList.get();
  if (Mode != ByNone && FDirectoryList) {
    auto view = std::make_unique<TSortedZip>(dmAccept);
    view->SortMode = Mode;
    view->SetOwnsItems(false);
    for (int32_t i = 0; i < FDirectoryList->ItemCount(); ++i) view->Add(FDirectoryList->GetItem(i));
    FSeparateView = std::move(view);
    FSortedView = FSeparateView.get();
  }
  FSortMode = Mode;
}

void TVCLUnZip::CheckIndex(int Index) const {
  if (Index < 0 || Index >= EntryCount()) throw EListError(Format("Index %d is out of range", Index));
}

int TVCLUnZip::EntryCount() const { return FDirectoryList ? FDirectoryList->ItemCount() : 0; }

AnsiString TVCLUnZip::EntryName(int Index) const {
  CheckIndex(Index);
  return FSortedView->Entry(Index)->FileName();
}

const TZipHeaderInfo& TVCLUnZip::Entry(int Index) const {
  CheckIndex(Index);
  return *FSortedView->Entry(Index);
}

void TVCLUnZip::ReadEntryCommentNow(TZipHeaderInfo* Entry) {
  TStream* stream = FArchiveStream.get();
  const int32_t back = stream->Position();
  AnsiString text;
  uint8_t raw[CentralHeaderSize];
  stream->Seek(static_cast<int32_t>(Entry->CentralRecordPos), soFromBeginning);
  if (stream->Read(raw, CentralHeaderSize) == CentralHeaderSize &&
      Get16(raw) == 0x4B50 && Get16(raw + 2) == 0x0201) {
    stream->Seek(int32_t{Get16(raw + 28)} + Get16(raw + 30), soFromCurrent);
    text = ReadText(stream, Entry->FileCommentLength);
  }
  Entry->SetFileComment(text.c_str());
  stream->Seek(back, soFromBeginning);
}

void TVCLUnZip::ReadArchiveCommentNow() {
  TStream* stream = FArchiveStream.get();
  const int32_t back = stream->Position();
  stream->Seek(static_cast<int32_t>(FEndCentral->ZipCommentPos), soFromBeginning);
  AnsiString text = ReadText(stream, FEndCentral->ZipCommentLength);
  FEndCentral->SetZipComment(text.c_str());
  stream->Seek(back, soFromBeginning);
}

AnsiString TVCLUnZip::EntryComment(int Index) {
  CheckIndex(Index);
  TZipHeaderInfo* entry = FSortedView->Entry(Index);
  if (!entry->HasFileComment()) return AnsiString();
  if (entry->FileComment() != nullptr) return entry->FileComment();
  OpenArchive();
  // Opening may have read the directory again (the file changed).
  CheckIndex(Index);
  entry = FSortedView->Entry(Index);
  if (entry->FileComment() == nullptr && entry->HasFileComment()) ReadEntryCommentNow(entry);
  CloseArchive();
  return StringFromCString(entry->FileComment());
}

void TVCLUnZip::SetEntryComment(int Index, const AnsiString& Value) {
  CheckIndex(Index);
  TZipHeaderInfo* entry = FSortedView->Entry(Index);
  if (entry->FileComment() != nullptr && Value == entry->FileComment()) return;
  entry->SetFileComment(Value.c_str());
}

AnsiString TVCLUnZip::ArchiveComment() {
  if (FEndCentral->ZipCommentLength == 0) return AnsiString();
  if (FEndCentral->ZipComment() != nullptr) return FEndCentral->ZipComment();
  OpenArchive();
  if (FEndCentral->ZipComment() == nullptr && FEndCentral->ZipCommentLength != 0) ReadArchiveCommentNow();
  CloseArchive();
  return StringFromCString(FEndCentral->ZipComment());
}

void TVCLUnZip::SetArchiveComment(const AnsiString& Value) {
  if (FEndCentral->ZipComment() != nullptr && Value == FEndCentral->ZipComment()) return;
  FEndCentral->SetZipComment(Value.c_str());
}

}  // namespace kp
