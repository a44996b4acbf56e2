#include "zip/kpZipObj.h"

#include <cstring>
#include <vector>

#include "platform/CodePages.h"
#include "zip/KpLib.h"

namespace kp {

namespace {

uint16_t Get16(const uint8_t* P) { return static_cast<uint16_t>(P[0] | (P[1] << 8)); }

uint32_t Get32(const uint8_t* P) {
  return uint32_t{P[0]} | (uint32_t{P[1]} << 8) | (uint32_t{P[2]} << 16) | (uint32_t{P[3]} << 24);
}

// General purpose bit 11: the name is UTF-8.
constexpr uint16_t Utf8NameFlag = 0x0800;

// A stored name in the system's terms: '/' becomes '\', then the text goes from
// the OEM code page to ANSI, or from UTF-8 when the entry says it is UTF-8 (a
// UTF-8 name read as CP866 would be plainly wrong). A NUL ends the name.
AnsiString ConvertName(AnsiString Raw, uint16_t BitFlag) {
  size_t nul = Raw.find('\0');
  if (nul != AnsiString::npos) Raw.resize(nul);
  for (char& c : Raw)
    if (c == '/') c = '\\';
  if (BitFlag & Utf8NameFlag) return win::Utf8ToAnsi(Raw);
  return win::OemToAnsi(Raw);
}

// Reads Count bytes of a name; false on a short read.
bool ReadName(TStream* Stream, uint16_t Count, AnsiString& Name) {
  Name.assign(Count, '\0');
  return Count == 0 || Stream->Read(Name.data(), Count) == Count;
}

// Letters a-z without regard to case, every other byte by its value.
int CompareText(const AnsiString& A, const AnsiString& B) {
  size_t n = A.size() < B.size() ? A.size() : B.size();
  for (size_t i = 0; i < n; ++i) {
    int a = static_cast<unsigned char>(A[i]);
    int b = static_cast<unsigned char>(B[i]);
    if (a >= 'a' && a <= 'z') a -= 32;
    if (b >= 'a' && b <= 'z') b -= 32;
    if (a != b) return a - b;
  }
  return static_cast<int>(A.size()) - static_cast<int>(B.size());
}

// Days since 1899-12-30 plus the fraction of the day; 0 for a value that is
// no calendar date-time (such as 30 February or hour 24).
double DosToDateTime(uint32_t DosDateTime) {
  uint32_t time = DosDateTime & 0xFFFF;
  uint32_t date = DosDateTime >> 16;
  int hour = time >> 11, minute = (time >> 5) & 0x3F, second = (time & 0x1F) * 2;
  int year = 1980 + (date >> 9), month = (date >> 5) & 0x0F, day = date & 0x1F;
  if (hour > 23 || minute > 59 || second > 59 || month < 1 || month > 12 || day < 1) return 0.0;
  static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int last = monthDays[month - 1] + (month == 2 && leap ? 1 : 0);
  if (day > last) return 0.0;
  // Days from civil (proleptic Gregorian), then shifted to the 1899-12-30 epoch.
  int y = year - (month <= 2 ? 1 : 0);
  int era = y / 400;
  int yoe = y - era * 400;
  int mp = (month + 9) % 12;
  int doy = (153 * mp + 2) / 5 + day - 1;
  int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  long days = static_cast<long>(era) * 146097 + doe - 719468;  // since 1970-01-01
  days += 25569;
  return static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

std::unique_ptr<char[]> CopyText(const char* Text, size_t Length) {
  std::unique_ptr<char[]> copy(new char[Length + 1]);
  std::memcpy(copy.get(), Text, Length);
  copy[Length] = '\0';
  return copy;
}

}  // namespace

// ---- TZipHeaderInfo ----

TZipHeaderInfo::TZipHeaderInfo() { Clear(); }

TZipHeaderInfo::~TZipHeaderInfo() = default;

void TZipHeaderInfo::Clear() {
  VersionMadeBy = 20;
  VersionNeeded = 20;
  BitFlag = 0;
  CompressionMethod = 8;
  LastModFileDateTime = 0;
  CRC32 = 0xFFFFFFFF;
  CompressedSize = 0;
  UncompressedSize = 0;
  FileNameLength = 0;
  ExtraFieldLength = 0;
  FileCommentLength = 0;
  DiskNumberStart = 0;
  InternalAttributes = 1;
  ExternalAttributes = 0x20;
  LocalHeaderOffset = 0;
  CentralRecordPos = 0;
  FFileName.clear();
  FDirectory.clear();
  FFileComment.reset();
  Selected = false;
}

void TZipHeaderInfo::SetFileName(const AnsiString& S) {
  if (S == FFileName) return;
  FFileName = S;
  FileNameLength = static_cast<uint16_t>(FDirectory.size() + FFileName.size());
}

void TZipHeaderInfo::SetDirectory(const AnsiString& S) {
  AnsiString value = S;
  if (!value.empty() && value.back() != '\\') value += '\\';
  if (value == FDirectory) return;
  FDirectory = value;
  FileNameLength = static_cast<uint16_t>(FDirectory.size() + FFileName.size());
}

void TZipHeaderInfo::SetStoredPath(const AnsiString& Path) {
  size_t cut = Path.find_last_of("\\:");
  if (cut == AnsiString::npos) {
    SetDirectory(AnsiString());
    SetFileName(Path);
  } else {
    SetDirectory(Path.substr(0, cut + 1));
    SetFileName(Path.substr(cut + 1));
  }
  FileNameLength = static_cast<uint16_t>(FDirectory.size() + FFileName.size());
}

void TZipHeaderInfo::SetFileComment(const char* Text) {
  if (Text == nullptr) {
    FFileComment.reset();
    FileCommentLength = 0;
    return;
  }
  size_t length = std::strlen(Text);
  FFileComment = CopyText(Text, length);
  FileCommentLength = static_cast<uint16_t>(length);
}

void TZipHeaderInfo::FillFromCentral(const uint8_t* Raw, const AnsiString& Name) {
  VersionMadeBy = Get16(Raw + 4);
  VersionNeeded = Get16(Raw + 6);
  BitFlag = Get16(Raw + 8);
  CompressionMethod = Get16(Raw + 10);
  LastModFileDateTime = RepairDosDateTime(Get32(Raw + 12));
  CRC32 = Get32(Raw + 16);
  CompressedSize = static_cast<int32_t>(Get32(Raw + 20));
  UncompressedSize = static_cast<int32_t>(Get32(Raw + 24));
  FileNameLength = Get16(Raw + 28);
  ExtraFieldLength = Get16(Raw + 30);
  FileCommentLength = Get16(Raw + 32);
  DiskNumberStart = Get16(Raw + 34);
  InternalAttributes = Get16(Raw + 36);
  ExternalAttributes = Get32(Raw + 38);
  LocalHeaderOffset = Get32(Raw + 42);
  SetStoredPath(Name);
  FFileComment.reset();
  Selected = false;
}

void TZipHeaderInfo::FillFromLocal(const uint8_t* Raw, const AnsiString& Name) {
  VersionMadeBy = 0;
  VersionNeeded = Get16(Raw + 4);
  BitFlag = Get16(Raw + 6);
  CompressionMethod = Get16(Raw + 8);
  LastModFileDateTime = RepairDosDateTime(Get32(Raw + 10));
  CRC32 = Get32(Raw + 14);
  CompressedSize = static_cast<int32_t>(Get32(Raw + 18));
  UncompressedSize = static_cast<int32_t>(Get32(Raw + 22));
  FileNameLength = Get16(Raw + 26);
  ExtraFieldLength = Get16(Raw + 28);
  FileCommentLength = 0;
  DiskNumberStart = 0;
  InternalAttributes = 0;
  ExternalAttributes = 0;
  LocalHeaderOffset = 0;
  CentralRecordPos = 0;
  SetStoredPath(Name);
  FFileComment.reset();
  Selected = false;
}

bool TZipHeaderInfo::ReadCentralRecord(TStream*& Stream, const TNeedNextDisk& NeedNextDisk) {
  const int32_t start = Stream->Position();
  uint8_t raw[CentralHeaderSize];
  int32_t got = Stream->Read(raw, CentralHeaderSize);
  if (got < 0) got = 0;
  bool switched = false;
  if (NeedNextDisk && (got == 0 || (got >= 4 && got < CentralHeaderSize && Get32(raw) == CentralFileHeaderSig))) {
    // The record continues on the next disk.
    NeedNextDisk(this, Stream);
    switched = true;
    int32_t more = Stream->Read(raw + got, CentralHeaderSize - got);
    if (more > 0) got += more;
  }
  auto fail = [&]() {
    if (!switched) Stream->Seek(start, soFromBeginning);
    return false;
  };
  if (got != CentralHeaderSize || Get32(raw) != CentralFileHeaderSig) return fail();
  const uint16_t nameLength = Get16(raw + 28);
  AnsiString name;
  if (!ReadName(Stream, nameLength, name)) return fail();
  Stream->Seek(int32_t{Get16(raw + 30)} + Get16(raw + 32), soFromCurrent);
  FillFromCentral(raw, ConvertName(std::move(name), Get16(raw + 8)));
  CentralRecordPos = static_cast<uint32_t>(start);
  return true;
}

bool TZipHeaderInfo::ReadLocalRecord(TStream* Stream) {
  const int32_t start = Stream->Position();
  uint8_t raw[LocalHeaderSize];
  if (Stream->Read(raw, LocalHeaderSize) != LocalHeaderSize || Get32(raw) != LocalFileHeaderSig) {
    Stream->Seek(start, soFromBeginning);
    return false;
  }
  AnsiString name;
  if (!ReadName(Stream, Get16(raw + 26), name)) {
    Stream->Seek(start, soFromBeginning);
    return false;
  }
  FillFromLocal(raw, ConvertName(std::move(name), Get16(raw + 6)));
  LocalHeaderOffset = static_cast<uint32_t>(start);
  return true;
}

void TZipHeaderInfo::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TZipHeaderInfo*>(Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  VersionMadeBy = source->VersionMadeBy;
  VersionNeeded = source->VersionNeeded;
  BitFlag = source->BitFlag;
  CompressionMethod = source->CompressionMethod;
  LastModFileDateTime = source->LastModFileDateTime;
  CRC32 = source->CRC32;
  CompressedSize = source->CompressedSize;
  UncompressedSize = source->UncompressedSize;
  FileNameLength = source->FileNameLength;
  ExtraFieldLength = source->ExtraFieldLength;
  FileCommentLength = source->FileCommentLength;
  DiskNumberStart = source->DiskNumberStart;
  InternalAttributes = source->InternalAttributes;
  ExternalAttributes = source->ExternalAttributes;
  LocalHeaderOffset = source->LocalHeaderOffset;
  CentralRecordPos = source->CentralRecordPos;
  SetFileName(source->FFileName);
  SetDirectory(source->FDirectory);
  Selected = source->Selected;
  if (source->FileCommentLength != 0 && source->FFileComment) {
    size_t length = ::strnlen(source->FFileComment.get(), source->FileCommentLength);
    FFileComment = CopyText(source->FFileComment.get(), length);
  }
}

void TZipHeaderInfo::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TZipHeaderInfo*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

// ---- TEndCentral ----

TEndCentral::TEndCentral() { Clear(); }

TEndCentral::~TEndCentral() = default;

void TEndCentral::Clear() {
  Signature = EndCentralSig;
  ThisDiskNumber = 0;
  StartDiskNumber = 0;
  EntriesThisDisk = 0;
  TotalEntries = 0;
  CentralDirSize = 0;
  CentralDirOffset = 0;
  ZipCommentLength = 0;
  FZipComment.reset();
  ZipCommentPos = 0;
}

void TEndCentral::SetZipComment(const char* Text) {
  if (Text == nullptr) {
    FZipComment.reset();
    ZipCommentLength = 0;
    return;
  }
  size_t length = std::strlen(Text);
  FZipComment = CopyText(Text, length);
  ZipCommentLength = static_cast<uint16_t>(length);
}

bool TEndCentral::LocateInStream(TStream* Stream) {
  const int32_t size = Stream->Size();
  if (size < EndCentralSize) return false;
  const int32_t window = size < 0xFFF8 ? size : 0xFFF8;
  std::vector<uint8_t> buffer(static_cast<size_t>(window));
  Stream->Seek(size - window, soFromBeginning);
  if (Stream->Read(buffer.data(), window) != window) return false;
  for (int32_t i = window - EndCentralSize; i >= 0; --i) {
    if (buffer[i] != 'P' || Get32(&buffer[i]) != EndCentralSig) continue;
    const uint8_t* record = &buffer[i];
    ThisDiskNumber = Get16(record + 4);
    StartDiskNumber = Get16(record + 6);
    EntriesThisDisk = Get16(record + 8);
    TotalEntries = Get16(record + 10);
    CentralDirSize = Get32(record + 12);
    CentralDirOffset = Get32(record + 16);
    ZipCommentLength = Get16(record + 20);
    // Counted from the end of the file. A length that claims more than follows
    // the record would start the comment inside it or before the file: the
    // comment then starts right after the record and is cut by the file's end.
    const int32_t recordEnd = size - window + i + EndCentralSize;
    const int32_t commentPos = size - int32_t{ZipCommentLength};
    ZipCommentPos = static_cast<uint32_t>(commentPos < recordEnd ? recordEnd : commentPos);
    return true;
  }
  return false;
}

void TEndCentral::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TEndCentral*>(Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  Signature = source->Signature;
  ThisDiskNumber = source->ThisDiskNumber;
  StartDiskNumber = source->StartDiskNumber;
  EntriesThisDisk = source->EntriesThisDisk;
  TotalEntries = source->TotalEntries;
  CentralDirSize = source->CentralDirSize;
  CentralDirOffset = source->CentralDirOffset;
  ZipCommentLength = source->ZipCommentLength;
  ZipCommentPos = source->ZipCommentPos;
  if (source->FZipComment) SetZipComment(source->FZipComment.get());
}

void TEndCentral::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TEndCentral*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

// ---- TSortedZip ----

TSortedZip::TSortedZip(TDuplicateMode ADuplicateMode)
    : TSortedObjectList(ADuplicateMode), SortMode(ByNone) {}

int TSortedZip::Compare(TObject* Key1, TObject* Key2) {
  auto* a = static_cast<TZipHeaderInfo*>(Key1);
  auto* b = static_cast<TZipHeaderInfo*>(Key2);
  auto later = [](int32_t A, int32_t B) {
    // The difference as the signed 32-bit value it was.
    return static_cast<int32_t>(static_cast<uint32_t>(B) - static_cast<uint32_t>(A)) > 0 ? 1 : -1;
  };
  switch (SortMode) {
    case ByName:
      return CompareText(a->Directory() + a->FileName(), b->Directory() + b->FileName());
    case ByFileName:
      return CompareText(a->FileName(), b->FileName());
    case ByDirectoryName:
      return CompareText(a->Directory(), b->Directory());
    case ByDate:
      return DosToDateTime(b->LastModFileDateTime) > DosToDateTime(a->LastModFileDateTime) ? 1 : -1;
    case ByCompressedSize:
      return later(a->CompressedSize, b->CompressedSize);
    case ByUnCompressedSize:
      return later(a->UncompressedSize, b->UncompressedSize);
    case ByRate:
      return PercentOf(b->UncompressedSize, b->CompressedSize) -
             PercentOf(a->UncompressedSize, a->CompressedSize);
    case ByNone: {
      if (a->DiskNumberStart != b->DiskNumberStart)
        return int{a->DiskNumberStart} - int{b->DiskNumberStart};
      int32_t offsetA = static_cast<int32_t>(a->LocalHeaderOffset);
      int32_t offsetB = static_cast<int32_t>(b->LocalHeaderOffset);
      return offsetA > offsetB ? 1 : (offsetA == offsetB ? 0 : -1);
    }
  }
  return -1;
}

}  // namespace kp
