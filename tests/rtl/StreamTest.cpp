#include <gtest/gtest.h>

#include "rtl/Streams.h"
#include "tests/support/TempDrive.h"

using namespace vcl;
using testing_support::TempDrive;

TEST(FileStream, CreatesWritesAndReadsThroughWindowsPaths) {
  TempDrive drive;
  {
    TFileStream out("C:\\data.bin", fmCreate);
    out.WriteBuffer("hello", 5);
    EXPECT_EQ(out.Size(), 5);
  }
  EXPECT_EQ(drive.ReadFile("data.bin"), "hello");
  TFileStream in("c:\\DATA.BIN", fmOpenRead | fmShareDenyWrite);
  char buf[8] = {};
  EXPECT_EQ(in.Read(buf, 8), 5);
  EXPECT_STREQ(buf, "hello");
  EXPECT_EQ(in.Seek(-2, soFromEnd), 3);
  EXPECT_THROW(in.ReadBuffer(buf, 3), EReadError);
}

TEST(FileStream, OpenFailuresNameTheFile) {
  TempDrive drive;
  try {
    TFileStream in("C:\\missing.zip", fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"C:\\missing.zip\". ", 0), 0u) << e.what();
  }
  EXPECT_THROW(TFileStream("C:\\no\\such\\dir\\x", fmCreate), EFCreateError);
}

TEST(MemoryStream, ReadWriteSeek) {
  TMemoryStream m;
  m.WriteBuffer("abcdef", 6);
  EXPECT_EQ(m.Position(), 6);
  m.SetPosition(2);
  char buf[4] = {};
  EXPECT_EQ(m.Read(buf, 3), 3);
  EXPECT_STREQ(buf, "cde");
  EXPECT_EQ(m.Read(buf, 3), 1);
  EXPECT_EQ(m.Size(), 6);
}
