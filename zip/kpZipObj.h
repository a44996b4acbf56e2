#pragma once
// The ZIP records as the reader understands them: one directory entry
// (TZipHeaderInfo), the end-of-central-directory record (TEndCentral), the
// directory list in eight orders (TSortedZip), and the reader's exceptions.
#include <cstdint>
#include <functional>
#include <memory>

#include "rtl/Streams.h"
#include "zip/kpCntn.h"

namespace kp {
using namespace vcl;

class EBadZipFile : public Exception { using Exception::Exception; };
class EIncompleteZip : public Exception { using Exception::Exception; };
class EFatalUnzipError : public Exception { using Exception::Exception; };
class EUserCanceled : public Exception { using Exception::Exception; };
class EBiggerThanUncompressed : public Exception { using Exception::Exception; };

constexpr uint32_t LocalFileHeaderSig = 0x04034B50;
constexpr uint32_t CentralFileHeaderSig = 0x02014B50;
constexpr uint32_t EndCentralSig = 0x06054B50;
constexpr int LocalHeaderSize = 30;
constexpr int CentralHeaderSize = 46;
constexpr int EndCentralSize = 22;

class TZipHeaderInfo;
// Replaces Stream with the stream of the following disk (the component's
// disk switch); what it raises passes through the reader.
using TNeedNextDisk = std::function<void(TZipHeaderInfo* Info, TStream*& Stream)>;

// One archive entry, filled from a central record or a local header.
class TZipHeaderInfo : public TPersistent {
 public:
  TZipHeaderInfo();
  ~TZipHeaderInfo() override;
  TZipHeaderInfo(const TZipHeaderInfo&) = delete;
  TZipHeaderInfo& operator=(const TZipHeaderInfo&) = delete;

  void Clear();
  // Reads the central record at Stream's position and leaves Stream at the next
  // record. False (position restored, record unchanged) on a short read or a
  // wrong signature. NeedNextDisk, when given, continues a record cut by the
  // end of a disk; Stream is then the new disk's.
  bool ReadCentralRecord(TStream*& Stream, const TNeedNextDisk& NeedNextDisk);
  // Reads the local header at Stream's position and leaves Stream after the
  // name (before the extra field); LocalHeaderOffset becomes that position.
  bool ReadLocalRecord(TStream* Stream);
  void FillFromCentral(const uint8_t* Raw, const AnsiString& Name);
  void FillFromLocal(const uint8_t* Raw, const AnsiString& Name);

  bool IsEncrypted() const { return (BitFlag & 1) != 0; }
  bool HasDataDescriptor() const { return (BitFlag & 8) != 0; }
  bool HasFileComment() const { return FileCommentLength != 0; }

  // Name part of the stored path; empty for a directory entry.
  const AnsiString& FileName() const { return FFileName; }
  // Path part, ending in '\' when not empty.
  const AnsiString& Directory() const { return FDirectory; }
  void SetFileName(const AnsiString& S);
  void SetDirectory(const AnsiString& S);
  // Null until loaded or set.
  const char* FileComment() const { return FFileComment.get(); }
  // Keeps a private copy (FileCommentLength follows); null clears.
  void SetFileComment(const char* Text);

  void Assign(TPersistent* Source) override;

  uint16_t VersionMadeBy;
  uint16_t VersionNeeded;
  uint16_t BitFlag;
  uint16_t CompressionMethod;
  uint32_t LastModFileDateTime;  // DOS: time low word, date high word
  uint32_t CRC32;
  int32_t CompressedSize;
  int32_t UncompressedSize;
  uint16_t FileNameLength;
  uint16_t ExtraFieldLength;
  uint16_t FileCommentLength;
  uint16_t DiskNumberStart;  // 0-based
  uint16_t InternalAttributes;
  uint32_t ExternalAttributes;
  uint32_t LocalHeaderOffset;
  uint32_t CentralRecordPos;
  bool Selected;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  void SetStoredPath(const AnsiString& Path);
  AnsiString FFileName;
  AnsiString FDirectory;
  std::unique_ptr<char[]> FFileComment;
};

// The archive's end-of-central-directory record.
class TEndCentral : public TPersistent {
 public:
  TEndCentral();
  ~TEndCentral() override;
  TEndCentral(const TEndCentral&) = delete;
  TEndCentral& operator=(const TEndCentral&) = delete;

  void Clear();
  // Finds the record nearest to the end within the last 65528 bytes.
  bool LocateInStream(TStream* Stream);
  bool HasZipComment() const { return ZipCommentLength != 0; }
  const char* ZipComment() const { return FZipComment.get(); }
  // Keeps a private copy (ZipCommentLength follows); null clears.
  void SetZipComment(const char* Text);

  void Assign(TPersistent* Source) override;

  uint32_t Signature;
  uint16_t ThisDiskNumber;
  uint16_t StartDiskNumber;
  uint16_t EntriesThisDisk;
  uint16_t TotalEntries;
  uint32_t CentralDirSize;
  uint32_t CentralDirOffset;
  uint16_t ZipCommentLength;
  uint32_t ZipCommentPos;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  std::unique_ptr<char[]> FZipComment;
};

enum TZipSortMode : uint8_t {
  ByName = 0,
  ByFileName = 1,
  ByDirectoryName = 2,
  ByDate = 3,
  ByCompressedSize = 4,
  ByUnCompressedSize = 5,
  ByRate = 6,
  ByNone = 7
};

// Entries in one of the eight orders; ByNone is physical order (disk, offset).
class TSortedZip : public TSortedObjectList {
 public:
  explicit TSortedZip(TDuplicateMode ADuplicateMode);
  int Compare(TObject* Key1, TObject* Key2) override;
  TZipHeaderInfo* Entry(int32_t Index) const {
    return static_cast<TZipHeaderInfo*>(GetItem(Index));
  }

  TZipSortMode SortMode;
};

}  // namespace kp
