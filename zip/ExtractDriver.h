#pragma once
// The extraction side of TVCLUnZip behind one UnZip call: the driver that
// selects and walks the entries, the per-entry step, and the input and output
// side that the decoders use (TEntryPipe). Internal to the ZIP reader.
#include <cstdint>
#include <memory>

#include "zip/Crypt.h"
#include "zip/ExtractWork.h"
#include "zip/VCLUnZip.h"

namespace kp {

struct TReadAheadPair;

class TExtractFileStream;

class ExtractionDriver : public TEntryPipe {
 public:
  explicit ExtractionDriver(TVCLUnZip& Owner);
  ~ExtractionDriver() override;
  ExtractionDriver(const ExtractionDriver&) = delete;
  ExtractionDriver& operator=(const ExtractionDriver&) = delete;

  // Extracts the selected entries of the open archive; returns the count of
  // selected entries less those skipped or failed. Exceptions end the call.
  int Run();

 private:
  // Input side: the refill behind ReadNextByte.
  bool FillInput(ExtractionWorkArea& W) override;
  // Output side: FlushOutput's write, CRC and progress.
  void WriteOutput(ExtractionWorkArea& W) override;

  // The per-entry step for position Index of the sorted view.
  void ExtractEntry(int Index);
  // Where the entry goes: its directory D and file F (F = D for a directory
  // entry); false when either would lead outside DestDir.
  bool Destination(AnsiString& D, AnsiString& F) const;
  // Checks the password; false when the entry is skipped for it.
  bool AcceptPassword(int Index);
  // Decodes the entry into the open output file by its method.
  void Decode();
  // Date, time and attributes of the extracted file.
  void ApplyFileInfo(const AnsiString& F);
  void Skipping(TSkipReason Reason, int Index);

  // Reads Count archive bytes, continuing onto the following parts of a
  // split set; returns the bytes read (fewer only at the end of the last part).
  int32_t ReadArchive(uint8_t* Buffer, int32_t Count);
  // Reads and decrypts the 12-byte encryption header; returns its last byte.
  uint8_t DecryptHeader(const AnsiString& Password);
  // Back to the start of the encryption header, for another password.
  void RewindHeader();
  // Method 0.
  void CopyStored();
  // Raises EStreamError naming the output file and the system's reason.
  [[noreturn]] void WriteFailed();

  TLFNFileStream* Archive() const { return Z.FArchiveStream.get(); }
  bool MultiPart() const { return Z.FEndCentral->ThisDiskNumber > 0; }

  TVCLUnZip& Z;
  TZipHeaderInfo& E;  // the component's work copy of the entry being extracted
  std::unique_ptr<ExtractionWorkArea> FWork;
  std::unique_ptr<TExtractFileStream> FOut;
  AnsiString FOutName;
  TZipKeys FKeys;
  // Decrypts the rest of an encrypted entry (and the next ones) on further
  // threads with a copy of FKeys, which then stay where the encryption header
  // left them (zip/ExtractReadAhead.h). Stopped when the driver ends.
  std::shared_ptr<TReadAheadPair> FReadAhead;
  // Where the encryption header starts, for a retry with another password.
  int32_t FHeaderDisk = 0;
  int32_t FHeaderPos = 0;
  int FResult = 0;
  bool FRetry = false;
  bool FWriteFailed = false;
};

}  // namespace kp
