// TS_BufferStream over a stream that counts what reaches it, TLFNFileStream on
// real files, and the "S_Stream" message table its errors come from.
#include <gtest/gtest.h>

#include "tests/support/TempDrive.h"
#include "zip/KpLib.h"
#include "zip/kpSStrm.h"
#include "zip/kpStrRes.h"

using namespace kp;

namespace {

// A memory stream that counts the reads and writes the buffer passes on.
class CountingStream : public TMemoryStream {
 public:
  explicit CountingStream(int32_t Size = 0) {
    std::string bytes(static_cast<size_t>(Size), '\0');
    for (int32_t i = 0; i < Size; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(i * 7);
    if (Size > 0) TMemoryStream::Write(bytes.data(), Size);
    TMemoryStream::Seek(0, soFromBeginning);
  }
  int32_t Read(void* Buffer, int32_t Count) override {
    ++Reads;
    return TMemoryStream::Read(Buffer, Count);
  }
  int32_t Write(const void* Buffer, int32_t Count) override {
    ++Writes;
    return TMemoryStream::Write(Buffer, Count);
  }
  int Reads = 0;
  int Writes = 0;
};

TEST(BufferStream, ShortReadsAtTheEndOnly) {
  CountingStream inner(10000);
  TS_BufferStream s(&inner);
  std::vector<char> buf(20000);
  EXPECT_EQ(s.Read(buf.data(), 20000), 10000);
  EXPECT_EQ(buf[9999], static_cast<char>(9999 * 7));
  EXPECT_EQ(s.Read(buf.data(), 20000), 0);
}

TEST(BufferStream, AFullBufferFlushesOnceDuringTheWrite) {
  CountingStream inner;
  {
    TS_BufferStream s(&inner);
    std::vector<char> block(8192, 'x');
    EXPECT_EQ(s.Write(block.data(), 8192), 8192);
    EXPECT_EQ(inner.Writes, 1);
    EXPECT_EQ(s.Write("y", 1), 1);
    EXPECT_EQ(inner.Writes, 1);  // stays buffered
    EXPECT_EQ(s.BufferMode(), bmWriting);
  }
  EXPECT_EQ(inner.Writes, 2);  // flushed by the destructor
  EXPECT_EQ(inner.Size(), 8193);
}

TEST(BufferStream, SeekFromEndTakesTheDistanceEitherWay) {
  CountingStream inner(100);
  TS_BufferStream s(&inner);
  EXPECT_EQ(s.Seek(10, soFromEnd), 90);
  EXPECT_EQ(s.Seek(-10, soFromEnd), 90);
  EXPECT_EQ(s.Seek(5, soFromCurrent), 95);
  char c = 0;
  EXPECT_EQ(s.Read(&c, 1), 1);
  EXPECT_EQ(c, static_cast<char>(95 * 7));
}

TEST(BufferStream, UnflushedWritesCountInTheSize) {
  CountingStream inner(100);
  TS_BufferStream s(&inner);
  s.Seek(0, soFromEnd);
  EXPECT_EQ(s.Write("12345", 5), 5);
  EXPECT_EQ(inner.Writes, 0);
  EXPECT_EQ(s.Size(), 105);
}

TEST(BufferStream, PositionQueriesKeepTheReadBuffer) {
  CountingStream inner(20000);
  TS_BufferStream s(&inner);
  char buf[10];
  s.Read(buf, 10);
  EXPECT_EQ(inner.Reads, 1);
  EXPECT_EQ(s.Position(), 10);
  s.Read(buf, 10);
  EXPECT_EQ(inner.Reads, 1);
  EXPECT_EQ(s.Position(), 20);
  EXPECT_EQ(s.Seek(20, soFromBeginning), 20);  // to where it is: no refill
  s.Read(buf, 1);
  EXPECT_EQ(inner.Reads, 1);
  EXPECT_EQ(buf[0], static_cast<char>(20 * 7));
}

TEST(BufferStream, ErrorsCarryTheTableTexts) {
  CountingStream inner(100);
  TS_BufferStream s(&inner);
  try {
    s.PutBack('a');
    FAIL() << "no exception";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), "Putback overflow");
  }
  try {
    s.Seek(0, 3);
    FAIL() << "no exception";
  } catch (const EStreamError&) {
    FAIL() << "the plain exception class is expected";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Invalid seek origin (3)");
  }
  char c;
  s.Read(&c, 1);
  s.PutBack('Q');
  s.Read(&c, 1);
  EXPECT_EQ(c, 'Q');
}

TEST(BufferStream, SwitchingBetweenReadingAndWritingKeepsTheLogicalPosition) {
  CountingStream inner(100);
  {
    TS_BufferStream s(&inner);
    char buf[10];
    s.Read(buf, 10);
    s.Write("AB", 2);  // lands at 10, not after the read-ahead
    EXPECT_EQ(s.Position(), 12);
    EXPECT_EQ(s.Read(buf, 1), 1);
    EXPECT_EQ(buf[0], static_cast<char>(12 * 7));
  }
  const uint8_t* data = inner.Memory();
  EXPECT_EQ(data[10], 'A');
  EXPECT_EQ(data[11], 'B');
  EXPECT_EQ(inner.Size(), 100);
}

TEST(StringResource, TheS_StreamTable) {
  const struct { int id; const char* text; } cases[] = {
      {1, "Seek error"},
      {2, "Invalid seek origin (%d)"},
      {3, "Putback overflow"},
      {4, "Cannot find resource"},
      {7, "Cannot write to a resource stream"},
      {8, ""},
      {0, ""},
      {-1, ""},
  };
  for (const auto& c : cases) {
    AnsiString text = "untouched";
    GetResourceString("S_Stream", c.id, text);
    EXPECT_EQ(text, c.text) << "id " << c.id;
  }
  AnsiString text;
  GetResourceString("s_stream", 3, text);  // resource names ignore case
  EXPECT_EQ(text, "Putback overflow");
  try {
    GetResourceString("NoTable", 1, text);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "No such string resource: NoTable");
  }
}

TEST(LFNFileStream, CreatesWritesAndReadsBackAFile) {
  testing_support::TempDrive drive;
  {
    TLFNFileStream out("C:\\dir-less.bin", fmCreate);
    std::string data(20000, 'z');
    EXPECT_EQ(out.Write(data.data(), 20000), 20000);
  }
  EXPECT_EQ(drive.ReadFile("dir-less.bin"), std::string(20000, 'z'));
  TLFNFileStream in("C:\\dir-less.bin", fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(in.Size(), 20000);
  EXPECT_GE(in.FileHandle(), 0);
  EXPECT_THROW(TLFNFileStream("C:\\missing.bin", fmOpenRead), EFOpenError);
}

}  // namespace
