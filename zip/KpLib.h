#pragma once
// Small routines shared by the ZIP reader, and TLFNFileStream, the buffered file
// stream through which it reads archives and writes extracted files.
#include <cstdint>
#include <memory>

#include "rtl/Streams.h"
#include "zip/kpSStrm.h"

namespace kp {
using namespace vcl;

// Done as a whole percentage of Total, halves to even, at most 100; 0 when Total <= 0.
int PercentOf(int32_t Total, int32_t Done);
int PercentOf64(int64_t Total, int64_t Done);
// Clamps out-of-range fields of a DOS date-time (date in the high word); a valid
// value comes back bit for bit.
uint32_t RepairDosDateTime(uint32_t DosDateTime);
// Every '/' up to the terminating NUL becomes '\'; returns S.
char* SlashesToBackslashes(char* S);
AnsiString LeftPart(const AnsiString& S, int N);
AnsiString RightPart(const AnsiString& S, int N);
// Creates Path and every missing parent.
void MakeDirectories(const AnsiString& Path);
bool FileExists(const AnsiString& Path);
bool DirExists(const AnsiString& Path);
// Current directory of drive Drive (1 = A:, 3 = C:; 0 = the current drive).
AnsiString CurrentDirOfDrive(int Drive);
// A heap copy with a NUL; the caller owns it.
std::unique_ptr<char[]> NewCString(const AnsiString& S);
AnsiString StringFromCString(const char* S);
// Volume label of a drive root, at most 13 characters; empty when it cannot be read.
AnsiString VolumeLabelOf(const AnsiString& RootPath);
inline int32_t kpmin(int32_t A, int32_t B) { return A < B ? A : B; }
inline int32_t kpmax(int32_t A, int32_t B) { return A > B ? A : B; }

// A buffered stream that owns the file it buffers. Mode 0xFFFF (fmCreate) creates
// or truncates; other values are open and share flags. Open failures are the file
// stream's own exceptions.
class TLFNFileStream : public TS_BufferStream {
 public:
  TLFNFileStream(const AnsiString& FileName, uint16_t Mode);
  // Flushes, then closes the file.
  ~TLFNFileStream() override;
  int FileHandle() const;
  const AnsiString& FileName() const;

 private:
  // Freed after this class has flushed into it.
  std::unique_ptr<TFileStream> FFileStream;
};

}  // namespace kp
