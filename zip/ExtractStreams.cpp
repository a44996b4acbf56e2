// The data path under the entry step: compressed input from the archive (also
// across the parts of a split set), output to the entry's file with CRC and
// progress, the encryption header and the stored method.
#include <algorithm>

#include "zip/Crc32.h"
#include "zip/ExtractDriver.h"
#include "zip/ExtractFile.h"
#include "zip/ExtractReadAhead.h"
#include "zip/ZipUI.h"

namespace kp {

namespace {

// The entries the driver is expected to extract after E (the selected files
// that follow it in the view, up to the first not encrypted), for the
// read-ahead to go on with.
std::vector<TEntryReadAhead::TNext> NextEntries(TReadAheadPair& Ahead, const TSortedZip& View,
                                                const TZipHeaderInfo& E, bool DoAll) {
  std::vector<TEntryReadAhead::TNext> next;
  const int count = View.ItemCount();
  int at = -1;
  for (int k = 0; k < count && at < 0; ++k) {
    const int i = (Ahead.SearchFrom + k) % count;
    if (View.Entry(i)->LocalHeaderOffset == E.LocalHeaderOffset) at = i;
  }
  if (at < 0) return next;
  Ahead.SearchFrom = at + 1;
  for (int i = at + 1; i < count && next.size() < TEntryReadAhead::MaxNext; ++i) {
    const TZipHeaderInfo& entry = *View.Entry(i);
    if ((!DoAll && !entry.Selected) || entry.FileName().empty()) continue;
    if (!entry.IsEncrypted()) break;
    next.push_back({entry.LocalHeaderOffset, entry.CompressedSize});
  }
  return next;
}

// What the read-ahead needs to know of the extraction in progress.
struct TReadAheadScope {
  std::shared_ptr<TReadAheadPair>& Held;
  const TZipKeys& Keys;
  const TZipHeaderInfo& E;
  bool MultiPart;
  TLFNFileStream& Archive;
  const TSortedZip& View;
  bool DoAll;
  const AnsiString& Password;
};

// The read-ahead that delivers the rest of an encrypted entry of a one-file
// archive, started at the archive's position with the keys as they are when
// the entry's data is first wanted, or carried on from the entry before when
// it went on with exactly that; null when none runs, and the data is read and
// decrypted as before.
TEntryReadAhead* ReadAheadFor(const TReadAheadScope& S) {
  std::shared_ptr<TReadAheadPair>& held = S.Held;
  if (!S.E.IsEncrypted() || S.MultiPart) {
    if (held) held->Stop();
    return nullptr;
  }
  if (!held) held = std::make_shared<TReadAheadPair>();
  TReadAheadPair& ahead = *held;
  const int32_t left = S.E.CompressedSize;
  const bool newEntry = ahead.NewEntry;
  ahead.NewEntry = false;
  if ((newEntry || !ahead.Active()) && left > 0) {
    const int64_t at = S.Archive.Position();
    if (!newEntry || !ahead.Resume(at, left, S.Keys.Keys))
      ahead.Start(S.Archive.FileHandle(), at, left, S.Keys.Keys, NextEntries(ahead, S.View, S.E, S.DoAll),
                  S.Password);
  } else if (newEntry) {
    ahead.Stop();
  }
  return ahead.Active() ? &ahead.Current() : nullptr;
}

}  // namespace

int32_t ExtractionDriver::ReadArchive(uint8_t* Buffer, int32_t Count) {
  int32_t got = Archive()->Read(Buffer, Count);
  // An entry's data, and its encryption header, may continue on the next part.
  while (got < Count && MultiPart() && Z.OnGetNextDisk &&
         Z.FCurrentDisk < Z.FEndCentral->ThisDiskNumber) {
    Z.SwitchToDisk(Z.FCurrentDisk + 2);
    FWork->ArchiveStream = Archive();
    got += Archive()->Read(Buffer + got, Count - got);
  }
  return got;
}

bool ExtractionDriver::FillInput(ExtractionWorkArea& W) {
  if (Z.FDoProcessMessages) ZipUI().ProcessMessages();
  const int32_t n = std::clamp(E.CompressedSize, int32_t{0}, int32_t{ExtractionWorkArea::ChunkSize});
  TEntryReadAhead* ahead =
      ReadAheadFor({FReadAhead, FKeys, E, MultiPart(), *Archive(), *Z.FSortedView, Z.FDoAll, Z.FPassword});
  E.CompressedSize -= n;
  const int32_t got = ahead ? ahead->Read(W.InBuffer, n) : ReadArchive(W.InBuffer, n);
  if (got < n) throw EFatalUnzipError("Premature end of file reached");
  if (!ahead && E.IsEncrypted()) FKeys.DecryptBuffer(W.InBuffer, static_cast<uint32_t>(got));
  W.InCount = static_cast<uint16_t>(got);
  W.InPos = W.InBuffer;
  return got > 0;
}

void ExtractionDriver::WriteOutput(ExtractionWorkArea& W) {
  if (int64_t{W.BytesWritten} + W.OutCount > int64_t{E.UncompressedSize})
    throw EBiggerThanUncompressed("File is larger than uncompressed size!");
  // A full disk must not pass as success: the CRC below is computed over the
  // buffer, not over what reached the file.
  if (FOut->Write(W.OutBuffer, W.OutCount) != W.OutCount || FOut->Failed()) WriteFailed();
  Z.FRunningCRC = UpdateCRC(Z.FRunningCRC, W.OutBuffer, W.OutCount);
  W.BytesWritten += W.OutCount;
  if (Z.OnFilePercentDone) Z.OnFilePercentDone(&Z, PercentOf(E.UncompressedSize, W.BytesWritten));
  if (Z.OnTotalPercentDone) {
    Z.FBytesDone += W.OutCount;
    Z.OnTotalPercentDone(&Z, PercentOf64(Z.FTotalBytes, Z.FBytesDone));
  }
}

void ExtractionDriver::WriteFailed() {
  FWriteFailed = true;
  const win::DWORD error = FOut->Failed() ? FOut->Error() : win::GetLastError();
  throw EStreamError(Format("Cannot write to file \"%s\". %s", FOutName.c_str(),
                            win::SysErrorMessage(error).c_str()));
}

uint8_t ExtractionDriver::DecryptHeader(const AnsiString& Password) {
  if (FReadAhead) FReadAhead->NewEntry = true;  // a new entry, or the same one again
  FHeaderDisk = Z.FCurrentDisk;
  FHeaderPos = Archive()->Position();
  uint8_t header[EncryptionHeaderSize] = {};
  ReadArchive(header, EncryptionHeaderSize);
  E.CompressedSize -= EncryptionHeaderSize;
  return DecryptHeaderBytes(FKeys, Password, header);
}

void ExtractionDriver::RewindHeader() {
  if (Z.FCurrentDisk != FHeaderDisk) {
    Z.SwitchToDisk(FHeaderDisk + 1);
    FWork->ArchiveStream = Archive();
  }
  Archive()->Seek(FHeaderPos, soFromBeginning);
  E.CompressedSize += EncryptionHeaderSize;
}

void ExtractionDriver::CopyStored() {
  ExtractionWorkArea& W = *FWork;
  int32_t n = std::min(E.CompressedSize, int32_t{ExtractionWorkArea::ChunkSize});
  TEntryReadAhead* ahead =
      ReadAheadFor({FReadAhead, FKeys, E, MultiPart(), *Archive(), *Z.FSortedView, Z.FDoAll, Z.FPassword});
  while (E.CompressedSize > 0) {
    const int32_t got = ahead ? ahead->Read(W.OutBuffer, n) : ReadArchive(W.OutBuffer, n);
    if (!ahead && E.IsEncrypted()) FKeys.DecryptBuffer(W.OutBuffer, static_cast<uint32_t>(got));
    E.CompressedSize -= n;
    W.OutCount = static_cast<uint16_t>(got);
    FlushOutput(W);
    // The archive ended early: what came is written and the CRC test rejects
    // the entry. Going on would only fill the disk with stale buffer bytes up
    // to whatever size the entry claims.
    if (got < n) break;
    n = std::min(E.CompressedSize, int32_t{ExtractionWorkArea::ChunkSize});
  }
}

}  // namespace kp
