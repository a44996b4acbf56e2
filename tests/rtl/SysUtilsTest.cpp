#include <gtest/gtest.h>

#include "rtl/SysUtils.h"

using namespace vcl;

TEST(SysUtils, TryStrToInt) {
  struct Case { const char* text; bool ok; int32_t value; };
  const Case cases[] = {
      {"31", true, 31},        {"0x1F", true, 31},     {"$1F", true, 31},      {"0X1f", true, 31},
      {" 7 ", true, 7},        {"-12", true, -12},     {"12abc", false, 0},    {"", false, 0},
      {"$", false, 0},         {"0x", false, 0},       {"2147483647", true, 2147483647},
      {"2147483648", false, 0}, {"-2147483648", true, INT32_MIN}, {"$FFFFFFFF", true, -1},
      {"$100000000", false, 0}, {"1.5", false, 0},
  };
  for (const Case& c : cases) {
    int32_t v = 0;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  EXPECT_EQ(StrToIntDef("12abc", 5), 5);
}

TEST(SysUtils, WindowsPathHelpers) {
  EXPECT_EQ(ExtractFileName("C:\\KORA\\Update\\a.Ov9"), "a.Ov9");
  EXPECT_EQ(ExtractFileName("C:a.txt"), "a.txt");
  EXPECT_EQ(ExtractFilePath("C:\\KORA\\a.txt"), "C:\\KORA\\");
  EXPECT_EQ(ExtractFileDir("C:\\KORA\\a.txt"), "C:\\KORA");
  EXPECT_EQ(ExtractFileDir("C:\\a.txt"), "C:\\");
  EXPECT_EQ(ExtractFileDir("\\a.txt"), "\\");
  EXPECT_EQ(ExtractFileExt("\\tmp\\x.d\\file"), "");
  EXPECT_EQ(ExtractFileExt("C:\\r.tar.7z"), ".7z");
  EXPECT_EQ(ChangeFileExt("C:\\x.d\\r", ".7z"), "C:\\x.d\\r.7z");
  EXPECT_EQ(ChangeFileExt("C:\\r.txt", ".7z"), "C:\\r.7z");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\KORA"), "C:\\KORA\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\KORA\\"), "C:\\KORA");
}

TEST(SysUtils, FormatAndTrim) {
  EXPECT_EQ(Format("Invalid seek origin (%d)", 3), "Invalid seek origin (3)");
  EXPECT_EQ(IntToHex(0x1F, 4), "001F");
  EXPECT_EQ(Trim("  a b \t"), "a b");
}
