#include "zip/KpLib.h"

#include <cmath>
#include <cstring>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/System.h"

namespace kp {

namespace {

// A negative count (a size past 2 GB read as signed) gives 0, not a value
// outside the integer range.
int LimitPercent(long double Percent) {
  if (Percent > 100.0L) return 100;
  if (Percent < 0.0L) return 0;
  return static_cast<int>(Percent);
}

}  // namespace

int PercentOf(int32_t Total, int32_t Done) {
  if (Total <= 0) return 0;
  return LimitPercent(std::nearbyint(static_cast<long double>(Done) * 100.0L / Total));
}

int PercentOf64(int64_t Total, int64_t Done) {
  if (Total <= 0) return 0;
  return LimitPercent(std::nearbyint(static_cast<long double>(Done) * 100.0L / Total));
}

uint32_t RepairDosDateTime(uint32_t DosDateTime) {
  uint32_t time = DosDateTime & 0xFFFF;
  uint32_t date = DosDateTime >> 16;
  uint32_t hour = time >> 11, minute = (time >> 5) & 0x3F, second = (time & 0x1F) * 2;
  uint32_t year = 1980 + (date >> 9), month = (date >> 5) & 0x0F, day = date & 0x1F;
  bool changed = false;
  auto limit = [&changed](uint32_t& field, uint32_t most) {
    if (field > most) {
      field = most;
      changed = true;
    }
  };
  limit(hour, 24);
  limit(minute, 59);
  limit(second, 59);
  limit(year, 2099);
  limit(month, 12);
  if (month == 0) {
    month = 1;
    changed = true;
  }
  if (day == 0) {
    day = 1;
    changed = true;
  }
  if (!changed) return DosDateTime;
  time = (hour << 11) | (minute << 5) | (second / 2);
  date = ((year - 1980) << 9) | (month << 5) | day;
  return (date << 16) | time;
}

char* SlashesToBackslashes(char* S) {
  for (char* c = S; *c != '\0'; ++c)
    if (*c == '/') *c = '\\';
  return S;
}

AnsiString LeftPart(const AnsiString& S, int N) {
  if (N <= 0) return AnsiString();
  return S.substr(0, static_cast<size_t>(N));
}

AnsiString RightPart(const AnsiString& S, int N) {
  if (N <= 0) return AnsiString();
  size_t n = static_cast<size_t>(N);
  return n >= S.size() ? S : S.substr(S.size() - n);
}

void MakeDirectories(const AnsiString& Path) { win::ForceDirectories(Path); }

bool FileExists(const AnsiString& Path) { return win::FileExists(Path); }

bool DirExists(const AnsiString& Path) { return win::DirExists(Path); }

AnsiString CurrentDirOfDrive(int Drive) {
  AnsiString current = win::GetCurrentDir();
  if (Drive <= 0) return current;
  char letter = static_cast<char>('A' + Drive - 1);
  if (current.size() >= 2 && current[1] == ':' && (current[0] & ~0x20) == letter) return current;
  return AnsiString(1, letter) + ":\\";
}

std::unique_ptr<char[]> NewCString(const AnsiString& S) {
  std::unique_ptr<char[]> copy(new char[S.size() + 1]);
  std::memcpy(copy.get(), S.data(), S.size());
  copy[S.size()] = '\0';
  return copy;
}

AnsiString StringFromCString(const char* S) { return S == nullptr ? AnsiString() : AnsiString(S); }

AnsiString VolumeLabelOf(const AnsiString& RootPath) {
  std::string label;
  if (!win::GetVolumeLabel(RootPath, label)) return AnsiString();
  return label.substr(0, 13);
}

// The file is opened after the buffer exists, so that neither leaks when the
// other cannot be had.
TLFNFileStream::TLFNFileStream(const AnsiString& FileName, uint16_t Mode)
    : TS_BufferStream(nullptr), FFileStream(std::make_unique<TFileStream>(FileName, Mode)) {
  FInnerStream = FFileStream.get();
}

TLFNFileStream::~TLFNFileStream() {
  // The file goes before the base class would flush into it.
  if (FBufferMode == bmWriting) FlushBuffer();
}

int TLFNFileStream::FileHandle() const { return FFileStream->Handle(); }

const AnsiString& TLFNFileStream::FileName() const { return FFileStream->FileName(); }

}  // namespace kp
