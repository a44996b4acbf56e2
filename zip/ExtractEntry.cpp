// The per-entry step: locate the entry's data, decide where it goes, check the
// password and the overwrite, decode, and judge the result by its CRC-32.
#include "platform/CodePages.h"
#include "platform/Files.h"
#include "zip/ExtractDriver.h"
#include "zip/ExtractFile.h"
#include "zip/Inflate.h"
#include "zip/ZipUI.h"

namespace kp {

namespace {

// Whether Path stays at or below Base ("" for the root of its drive) when
// read component by component, "." staying and ".." climbing one level.
bool StaysUnder(const AnsiString& Base, const AnsiString& Path) {
  size_t at = 0;
  if (!Base.empty()) {
    if (Path.compare(0, Base.size(), Base) != 0 || Path.size() <= Base.size() ||
        Path[Base.size()] != '\\')
      return false;
    at = Base.size() + 1;
  } else if (Path.size() >= 2 && Path[1] == ':') {
    at = 2;
  }
  int depth = 0;
  while (at < Path.size()) {
    size_t end = Path.find('\\', at);
    if (end == AnsiString::npos) end = Path.size();
    const std::string_view part(Path.data() + at, end - at);
    if (part == "..") {
      if (--depth < 0) return false;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
    at = end + 1;
  }
  return true;
}

}  // namespace

bool ExtractionDriver::Destination(AnsiString& D, AnsiString& F) const {
  const AnsiString& dest = Z.FDestDir;
  AnsiString S = E.Directory();
  if (Z.FRecreateDirs && !S.empty()) {
    const AnsiString& root = Z.FRootDir;
    if (!root.empty() && win::AnsiSameText(LeftPart(S, static_cast<int>(root.size())), root))
      S.erase(0, root.size());
    const bool relative = S.empty() || (S[0] != '\\' && (S.size() < 2 || S[1] != ':'));
    if (relative)
      D = dest + "\\" + S;
    else if (dest.empty())
      D = S;
    else if (S[0] == '\\')
      D = dest + S;
    else
      D = dest + S.substr(2);  // without the drive letter and ':'
  } else {
    D = dest + "\\";
  }
  F = D + E.FileName();
  // A stored path such as ..\..\etc\ must not lead outside DestDir.
  return StaysUnder(dest, IncludeTrailingBackslash(D)) && StaysUnder(dest, F);
}

void ExtractionDriver::Skipping(TSkipReason Reason, int Index) {
  if (Z.OnSkippingFile) Z.OnSkippingFile(&Z, Reason, E.Directory() + E.FileName(), Index);
}

bool ExtractionDriver::AcceptPassword(int Index) {
  for (;;) {
    const uint8_t check = E.HasDataDescriptor() ? static_cast<uint8_t>(E.LastModFileDateTime >> 8)
                                                : static_cast<uint8_t>(E.CRC32 >> 24);
    // Any password whose check byte fits is accepted, the empty one included.
    if (DecryptHeader(Z.FPassword) == check) return true;
    AnsiString newPassword = Z.FPassword;
    if (Z.OnBadPassword) Z.OnBadPassword(&Z, Index, newPassword);
    if (newPassword == Z.FPassword) {
      Skipping(srBadPassword, Index);
      --FResult;
      return false;
    }
    Z.FPassword = newPassword;
    RewindHeader();
  }
}

void ExtractionDriver::Decode() {
  try {
    switch (E.CompressionMethod) {
      case 0: CopyStored(); break;
      case 8: Inflate(*FWork); break;
      // Shrunk, reduced and imploded entries (1 to 6) have no decoder yet and
      // end like an unknown method.
      default: ZipUI().MessageBox("Unknown Compression Method", "Zip Error", MB_OK); break;
    }
  } catch (const EBiggerThanUncompressed&) {
    // The chunk that would pass the size was not written; the CRC decides.
  }
}

void ExtractionDriver::ApplyFileInfo(const AnsiString& F) {
  win::FileSetDate(F, static_cast<int32_t>(E.LastModFileDateTime));  // DOS time is local time
  if (!Z.FRetainAttributes) return;
  const uint32_t attributes = E.ExternalAttributes;
  // Made on Unix (host byte 3) with a mode in the high half: its permission
  // bits, never set-id bits, and only for a regular file (a link or device
  // becomes an ordinary file with the DOS bits alone).
  const unsigned mode = attributes >> 16;
  const unsigned type = mode & 0170000;
  if ((E.VersionMadeBy >> 8) == 3 && mode != 0 && (type == 0 || type == 0100000)) {
    unsigned permissions = mode & 0777;
    if (attributes & win::FILE_ATTRIBUTE_READONLY) permissions &= ~0222u;
    win::SetFilePermissions(F, permissions);
    return;
  }
  // Of the DOS bits only read-only means something here.
  win::SetFileAttributesA(F, attributes);
}

void ExtractionDriver::ExtractEntry(int Index) {
  FRetry = false;
  E.Assign(Z.FSortedView->Entry(Index));

  if (!E.FileName().empty()) {
    if (MultiPart() && E.DiskNumberStart != Z.FCurrentDisk) Z.SwitchToDisk(E.DiskNumberStart + 1);
    FWork->ArchiveStream = Archive();
    // The local header's own name and extra lengths say where the data starts;
    // every other value comes from the central record.
    Archive()->Seek(static_cast<int32_t>(E.LocalHeaderOffset), soFromBeginning);
    uint8_t* local = Z.FLocalHeader;
    Archive()->Read(local, LocalHeaderSize);
    const int32_t nameLength = local[26] | local[27] << 8;
    const int32_t extraLength = local[28] | local[29] << 8;
    Archive()->Seek(nameLength + extraLength, soFromCurrent);
  }

  AnsiString D, F;
  if (!Destination(D, F)) {
    Skipping(srFileOpenError, Index);
    --FResult;
    return;
  }
  if (Z.FRecreateDirs && !E.Directory().empty() && !DirExists(D)) MakeDirectories(D);
  if (E.FileName().empty()) {  // a directory entry
    if (Z.FRecreateDirs && Z.OnStartUnZip) {
      bool skip = false;
      Z.OnStartUnZip(&Z, Index, D, skip);
    }
    return;
  }

  if (E.IsEncrypted() && !AcceptPassword(Index)) return;
  FWork->StartEntry(E.CompressedSize, E.UncompressedSize);

  if (Z.FOverwriteMode != Always && FileExists(F)) {
    bool overwrite = false;
    if (Z.FOverwriteMode == Prompt) {
      if (Z.OnPromptForOverwrite)
        Z.OnPromptForOverwrite(&Z, overwrite, Index, F);
      else
        overwrite = ZipUI().MessageBox("Replace existing file " + Z.EntryName(Index) + "?",
                                       "File Exists Alert", MB_YESNO) == IDYES;
    }
    if (!overwrite) {
      Skipping(srNoOverwrite, Index);
      --FResult;
      return;
    }
  }

  Z.FRunningCRC = 0xFFFFFFFF;
  bool skip = false;
  if (Z.OnStartUnZip) Z.OnStartUnZip(&Z, Index, F, skip);
  // Skipped: counts as extracted. The file is created only after the event,
  // so an existing one is left as it was.
  if (skip) return;

  FOutName = F;
  FWriteFailed = false;
  FOut = std::make_unique<TExtractFileStream>(F);
  FWork->OutputStream = FOut.get();
  try {
    Decode();
    if (!FOut->FlushBuffer() || FOut->Failed()) WriteFailed();  // the buffered tail
  } catch (...) {
    FOut.reset();
    FWork->OutputStream = nullptr;
    // A file the disk did not take whole must not stay behind as if extracted.
    if (FWriteFailed) win::DeleteFileA(F);
    throw;
  }
  FOut.reset();
  FWork->OutputStream = nullptr;
  ApplyFileInfo(F);

  Z.FRunningCRC = ~Z.FRunningCRC;
  if (Z.FRunningCRC == E.CRC32) {
    if (Z.OnEndUnZip) Z.OnEndUnZip(&Z, Index, F);
    return;
  }
  if (E.IsEncrypted()) {
    // A wrong password whose check byte happened to fit: ask for another.
    if (Z.OnBadPassword) {
      AnsiString newPassword = Z.FPassword;
      Z.OnBadPassword(&Z, Index, newPassword);
      if (newPassword != Z.FPassword) {
        Z.FPassword = newPassword;
        FRetry = true;
      }
    }
    if (!FRetry) Skipping(srBadPassword, Index);
  } else if (Z.OnBadCRC) {
    Z.OnBadCRC(&Z, static_cast<int>(Z.FRunningCRC), static_cast<int>(E.CRC32), Index);
  }
  win::SetFileAttributesA(F, win::FILE_ATTRIBUTE_NORMAL);  // a read-only file would not go
  win::DeleteFileA(F);
  if (!FRetry) --FResult;
}

}  // namespace kp
