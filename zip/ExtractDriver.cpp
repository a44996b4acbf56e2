// UnZip, the extraction properties' setters and the driver that selects the
// entries and walks them.
#include "zip/ExtractDriver.h"

#include "platform/CodePages.h"
#include "zip/ExtractFile.h"
#include "zip/KpLib.h"
#include "zip/ZipUI.h"
#include "zip/kpMatch.h"

namespace kp {

namespace {

AnsiString LowerAscii(AnsiString S) {
  for (char& c : S)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return S;
}

}  // namespace

int TVCLUnZip::UnZip() {
  OpenArchive();
  int count;
  {
    ExtractionDriver driver(*this);
    count = driver.Run();
  }
  CloseArchive();
  return count;
}

void TVCLUnZip::SetDestDir(const AnsiString& Value) {
  AnsiString dir = Value;
  if (Value == "?") {
    dir = FDestDir;
    if (!DirExists(dir)) dir = CurrentDirOfDrive(0);
    if (!ZipUI().SelectDirectory(dir)) throw EUserCanceled("User canceled Set Desination Directory");
  }
  if (!dir.empty() && dir.back() == '\\') dir.pop_back();
  FDestDir = dir;
}

void TVCLUnZip::SetRootDir(const AnsiString& Value) {
  FRootDir = Value;
  if (!FRootDir.empty() && FRootDir.back() != '\\') FRootDir += '\\';
}

void TVCLUnZip::SetFilesList(TStrings* Value) {
  FFilesList->Clear();
  if (Value) FFilesList->AddStrings(*Value);
}

ExtractionDriver::ExtractionDriver(TVCLUnZip& Owner)
    : Z(Owner), E(*Owner.FWorkEntry), FWork(std::make_unique<ExtractionWorkArea>()) {
  FWork->Pipe = this;
  Z.FWorkArea = FWork.get();
}

ExtractionDriver::~ExtractionDriver() { Z.FWorkArea = nullptr; }

int ExtractionDriver::Run() {
  if (!Z.FDestDir.empty() && !DirExists(Z.FDestDir)) MakeDirectories(Z.FDestDir);

  // A split set is visited disk by disk; the caller's order comes back at the
  // end, also when an exception leaves.
  struct TSortRestore {
    TVCLUnZip& Z;
    bool Active = false;
    TZipSortMode Mode = ByNone;
    ~TSortRestore() {
      if (Active) Z.ApplySortMode(Mode);
    }
  } restore{Z};
  if (MultiPart() && Z.FSortMode != ByNone) {
    restore.Mode = Z.FSortMode;
    restore.Active = true;
    Z.ApplySortMode(ByNone);
  }

  Z.FTotalBytes = 0;
  Z.FBytesDone = 0;
  FResult = Z.EntryCount();

  // Selection, with the totals for the progress events, in one pass.
  TSortedZip& view = *Z.FSortedView;
  const int count = view.ItemCount();
  for (int i = 0; i < count; ++i) {
    TZipHeaderInfo* entry = view.Entry(i);
    entry->Selected = Z.FDoAll;
    if (entry->FileName().empty() && !Z.FRecreateDirs) {
      entry->Selected = false;
      --FResult;
      continue;
    }
    const AnsiString path = LowerAscii(entry->Directory() + entry->FileName());
    for (int p = 0; p < Z.FFilesList->Count(); ++p)
      if (WildcardMatch(LowerAscii(Z.FFilesList->Get(p)), path)) {
        entry->Selected = true;
        break;
      }
    if (entry->Selected)
      Z.FTotalBytes += entry->UncompressedSize;
    else
      --FResult;
  }

  bool stopNow = false;
  if (Z.OnStartUnZipInfo) Z.OnStartUnZipInfo(&Z, FResult, Z.FTotalBytes, stopNow);
  if (FResult > 0 && !stopNow)
    for (int i = 0; i < count; ++i) {
      if (!Z.FDoAll && !view.Entry(i)->Selected) continue;
      do ExtractEntry(i);
      while (FRetry);
    }
  return FResult;
}

}  // namespace kp
