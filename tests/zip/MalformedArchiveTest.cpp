// Archives whose records are broken on purpose. The bytes are built by hand
// here; each case says what is wrong in them. Opening must give the specified
// exception or a usable directory, and never read outside its buffers or hang.
#include <gtest/gtest.h>

#include "tests/support/TempDrive.h"
#include "zip/VCLUnZip.h"

using namespace kp;
using testing_support::TempDrive;

namespace {

std::string Le16(unsigned v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A well-formed local header plus Data for a stored entry (CRC not checked here).
std::string Local(const std::string& Name, const std::string& Data, uint32_t CompressedSize) {
  return "PK\x03\x04" + Le16(10) + Le16(0) + Le16(0) + Le32(0x21000000) + Le32(0x12345678) +
         Le32(CompressedSize) + Le32(static_cast<uint32_t>(Data.size())) + Le16(static_cast<unsigned>(Name.size())) +
         Le16(0) + Name + Data;
}

std::string Central(const std::string& Name, uint32_t Offset, unsigned NameLength, unsigned ExtraLength = 0,
                    unsigned CommentLength = 0) {
  return "PK\x01\x02" + Le16(20) + Le16(10) + Le16(0) + Le16(0) + Le32(0x21000000) + Le32(0x12345678) +
         Le32(3) + Le32(3) + Le16(NameLength) + Le16(ExtraLength) + Le16(CommentLength) + Le16(0) + Le16(0) +
         Le32(0x20) + Le32(Offset) + Name;
}

std::string End(unsigned Entries, uint32_t Size, uint32_t Offset, unsigned CommentLength = 0) {
  return "PK\x05\x06" + Le16(0) + Le16(0) + Le16(Entries) + Le16(Entries) + Le32(Size) + Le32(Offset) +
         Le16(CommentLength);
}

struct Opened {
  std::string error;  // exception class and message, empty when it opened
  int entries = 0;
  std::string firstName;
};

Opened Open(const TempDrive& drive, const std::string& Bytes, TIncompleteZipMode Mode = izAssumeMulti) {
  drive.WriteFile("bad.zip", Bytes);
  TVCLUnZip z(nullptr);
  z.SetDoProcessMessages(false);
  z.SetIncompleteZipMode(Mode);
  z.SetZipName("C:\\bad.zip");
  Opened r;
  try {
    z.OpenArchive();
    r.entries = z.EntryCount();
    if (r.entries > 0) r.firstName = z.Entry(0).Directory() + z.Entry(0).FileName();
    z.ArchiveComment();
    for (int i = 0; i < r.entries; ++i) z.EntryComment(i);
  } catch (const EIncompleteZip& e) {
    r.error = "EIncompleteZip: " + e.Message();
  } catch (const EBadZipFile& e) {
    r.error = "EBadZipFile: " + e.Message();
  } catch (const EListError& e) {
    r.error = "EListError: " + e.Message();
  }
  return r;
}

TEST(MalformedArchive, TableOfCases) {
  const std::string a = Local("a.txt", "abc", 3);  // 38 bytes at offset 0
  const std::string b = Local("b.txt", "xyz", 3);  // 38 bytes at offset 38
  const std::string dirAB = Central("a.txt", 0, 5) + Central("b.txt", 38, 5);
  const uint32_t dirAt = 76;
  const uint32_t dirSize = static_cast<uint32_t>(dirAB.size());
  const struct {
    const char* what;
    std::string bytes;
    TIncompleteZipMode mode;
    std::string error;
    int entries;
  } cases[] = {
      {"well-formed, for reference", a + b + dirAB + End(2, dirSize, dirAt), izAssumeMulti, "", 2},
      {"fewer than 22 bytes", "PK\x05\x06" + std::string(10, '\0'), izAssumeMulti,
       "EIncompleteZip: Incomplete Zip File", 0},
      {"end record cut short: its signature 21 bytes before the end", a + b + dirAB + End(2, dirSize, dirAt).substr(0, 21),
       izAssumeMulti, "EIncompleteZip: Incomplete Zip File", 0},
      {"end record cut short, rebuilt from the local headers", a + b + dirAB + End(2, dirSize, dirAt).substr(0, 21),
       izAssumeBad, "", 2},
      {"no end record and no local header", std::string(5000, 'x'), izAssumeBad,
       "EBadZipFile: Not a valid zip file!", 0},
      {"empty archive", End(0, 0, 0), izAssumeMulti, "", 0},
      {"archive comment length past the end of the file", a + b + dirAB + End(2, dirSize, dirAt, 60000) + "tail",
       izAssumeMulti, "", 2},
      {"name length past the end of the file: the record is skipped",
       a + b + Central("a.txt", 0, 5) + Central("b.txt", 38, 65000) + End(2, dirSize, dirAt), izAssumeMulti, "", 1},
      {"extra and comment lengths past the end", a + b + dirAB.substr(0, 51) + Central("b.txt", 38, 5, 65535, 65535) +
       End(2, dirSize, dirAt), izAssumeMulti, "", 2},
      {"65535 entries claimed, two records present", a + b + dirAB + End(65535, dirSize, dirAt), izAssumeMulti, "", 2},
      {"central directory offset past the end: rebuilt from local headers", a + b + dirAB + End(2, dirSize, 0xFFFFFFF0u),
       izAssumeMulti, "", 2},
      {"central offset into the middle of an entry", a + b + dirAB + End(2, dirSize, 7), izAssumeMulti, "", 2},
      {"two records with the same disk and offset", a + b + Central("a.txt", 0, 5) + Central("b.txt", 0, 5) +
       End(2, dirSize, dirAt), izAssumeMulti, "EListError: Duplicate Object index", 1},
      {"local offsets past the end of the file", a + b + Central("a.txt", 0xFFFFFF00u, 5) + Central("b.txt", 38, 5) +
       End(2, dirSize, dirAt), izAssumeMulti, "", 2},
      {"a local header whose size points back before it ends the scan",
       Local("a.txt", "abc", static_cast<uint32_t>(-200)) + End(1, 46, 0xFFFF), izAssumeMulti, "", 1},
      {"a local header cut inside its name", "PK\x03\x04" + std::string(22, '\0') + Le16(50) + Le16(0) + "ab",
       izAssumeBad, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDrive drive;
    Opened r = Open(drive, c.bytes, c.mode);
    EXPECT_EQ(r.error, c.error);
    if (c.error.empty()) {
      EXPECT_EQ(r.entries, c.entries);
    }
  }
}

TEST(MalformedArchive, RecordReadersRestoreThePosition) {
  // A central record cut after 40 bytes, then a wrong signature: both give false
  // and leave the stream where it was.
  const std::string good = Central("dir/sub/", 0, 8);
  const struct { const char* what; std::string bytes; } cases[] = {
      {"short record", "xx" + good.substr(0, 40)},
      {"wrong signature", "xxPK\x01\x03" + good.substr(4)},
      {"name cut short", "xx" + good.substr(0, 50)},
  };
  for (const auto& c : cases) {
    TMemoryStream m;
    m.Write(c.bytes.data(), static_cast<int32_t>(c.bytes.size()));
    m.Seek(2, soFromBeginning);
    TStream* s = &m;
    TZipHeaderInfo info;
    EXPECT_FALSE(info.ReadCentralRecord(s, nullptr)) << c.what;
    EXPECT_EQ(m.Position(), 2) << c.what;
    EXPECT_EQ(info.CRC32, 0xFFFFFFFFu) << c.what;  // untouched
    EXPECT_FALSE(info.ReadLocalRecord(&m)) << c.what;
    EXPECT_EQ(m.Position(), 2) << c.what;
  }
  // The same record whole: a directory entry, and a stored month 13, day 0.
  std::string whole = "xx" + good;
  // Stored date 2013, month 13, day 0: (33 << 9) | (13 << 5) | 0 = 0x43A0.
  whole[2 + 14] = '\xA0';
  whole[2 + 15] = '\x43';
  TMemoryStream m;
  m.Write(whole.data(), static_cast<int32_t>(whole.size()));
  m.Seek(2, soFromBeginning);
  TStream* s = &m;
  TZipHeaderInfo info;
  ASSERT_TRUE(info.ReadCentralRecord(s, nullptr));
  EXPECT_EQ(info.Directory(), "dir\\sub\\");
  EXPECT_EQ(info.FileName(), "");
  EXPECT_EQ(info.CentralRecordPos, 2u);
  const uint32_t date = info.LastModFileDateTime >> 16;
  EXPECT_EQ((date >> 5) & 0x0F, 12u);  // month 13 read as 12
  EXPECT_EQ(date & 0x1F, 1u);          // day 0 read as 1
}

TEST(MalformedArchive, EndRecordSearch) {
  TEndCentral end;
  const struct { const char* what; std::string bytes; bool found; unsigned entries; } cases[] = {
      {"21 bytes", std::string(21, '\0'), false, 0},
      {"exactly a record", End(3, 0, 0), true, 3},
      {"the record nearest the end wins", End(1, 0, 0) + End(2, 0, 0), true, 2},
      {"a signature fewer than 22 bytes before the end is not a record", End(4, 0, 0) + std::string("PK\x05\x06", 4),
       true, 4},
      {"a record more than 65528 bytes before the end", End(5, 0, 0) + std::string(65528 - 21, 'c'), false, 0},
      {"a record just within the window", End(6, 0, 0) + std::string(65528 - 22, 'c'), true, 6},
  };
  for (const auto& c : cases) {
    TMemoryStream m;
    m.Write(c.bytes.data(), static_cast<int32_t>(c.bytes.size()));
    end.Clear();
    EXPECT_EQ(end.LocateInStream(&m), c.found) << c.what;
    EXPECT_EQ(end.TotalEntries, c.entries) << c.what;
  }
}

}  // namespace
