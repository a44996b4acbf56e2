// Code page facts, checked against Python's codecs where it has them.
#include <gtest/gtest.h>

#include "platform/CodePages.h"
#include "tests/support/TempDrive.h"

using testing_support::RunCommand;

namespace {

// Python's answer for each byte 0x80..0xFF as one hex code point per line
// ("-" when the code page leaves the byte undefined).
std::vector<std::string> PythonLines(const std::string& program) {
  std::string out;
  EXPECT_EQ(RunCommand("python3 -c '" + program + "'", &out), 0);
  std::vector<std::string> lines;
  for (size_t pos = 0; pos < out.size();) {
    size_t nl = out.find('\n', pos);
    lines.push_back(out.substr(pos, nl - pos));
    pos = nl == std::string::npos ? out.size() : nl + 1;
  }
  return lines;
}

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (unsigned char c : bytes) s += {digits[c >> 4], digits[c & 15]};
  return s;
}

}  // namespace

TEST(CodePages, Cp1251AndCp866TablesAgreeWithPython) {
  auto cp1251 = PythonLines(
      "for b in range(128,256):\n"
      "  try: print(\"%x\" % ord(bytes([b]).decode(\"cp1251\")))\n"
      "  except UnicodeDecodeError: print(\"-\")");
  auto cp866 = PythonLines("for b in range(128,256): print(\"%x\" % ord(bytes([b]).decode(\"cp866\")))");
  ASSERT_EQ(cp1251.size(), 128u);
  ASSERT_EQ(cp866.size(), 128u);
  for (int b = 0x80; b < 0x100; ++b) {
    std::wstring w = win::AnsiToWide(std::string(1, static_cast<char>(b)));
    ASSERT_EQ(w.size(), 1u);
    if (cp1251[b - 0x80] != "-") {
      EXPECT_EQ(static_cast<unsigned>(w[0]), std::stoul(cp1251[b - 0x80], nullptr, 16)) << b;
    }
    // Every byte survives ANSI -> wide -> ANSI and ANSI -> UTF-8 -> ANSI.
    EXPECT_EQ(win::WideToAnsi(w), std::string(1, static_cast<char>(b)));
    EXPECT_EQ(win::Utf8ToAnsi(win::AnsiToUtf8(std::string(1, static_cast<char>(b)))), std::string(1, static_cast<char>(b)));
    // CP866 via CP1251 where CP1251 has the character.
    wchar_t oem = static_cast<wchar_t>(std::stoul(cp866[b - 0x80], nullptr, 16));
    std::string viaWide = win::WideToAnsi(std::wstring(1, oem));
    std::string mine = win::OemToAnsi(std::string(1, static_cast<char>(b)));
    if (viaWide != "?") {
      EXPECT_EQ(Hex(mine), Hex(viaWide)) << b;
    } else {
      EXPECT_NE(std::string("+-|#?\xB7").find(mine[0]), std::string::npos) << b;
    }
  }
}

TEST(CodePages, OemToAnsiKeepsLengthAndDrawsBoxesInAscii) {
  const struct { unsigned char oem; unsigned char ansi; } cases[] = {
      {0x80, 0xC0},  // А
      {0xA0, 0xE0},  // а
      {0xAF, 0xEF},  // п
      {0xE0, 0xF0},  // р
      {0xF0, 0xA8},  // Ё
      {0xF1, 0xB8},  // ё
      {0xFC, 0xB9},  // №
      {0xC4, '-'},   // ─
      {0xCD, '-'},   // ═
      {0xB3, '|'},   // │
      {0xBA, '|'},   // ║
      {0xDA, '+'},   // ┌
      {0xBC, '+'},   // ╝
      {0xC5, '+'},   // ┼
      {0xCE, '+'},   // ╬
      {0xB0, '#'},   // ░
      {0xB2, '#'},   // ▓
      {0xDB, '#'},   // █
      {0xDF, '#'},   // ▀
      {0xFE, '#'},   // ■
      {'A', 'A'},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Hex(win::OemToAnsi(std::string(1, static_cast<char>(c.oem)))), Hex(std::string(1, static_cast<char>(c.ansi))))
        << std::hex << int(c.oem);
  std::string frame("\xC9\xCD\xBB\x80\x00\xBA", 6);  // "╔═╗А", NUL, "║"
  EXPECT_EQ(win::OemToAnsi(frame), std::string("+-+\xC0\0|", 6));
  char inPlace[] = "\x8F\xE0\xA8\xA2\xA5\xE2 \xB3";  // "Привет │"
  win::OemToCharA(inPlace, inPlace);
  EXPECT_STREQ(inPlace, "\xCF\xF0\xE8\xE2\xE5\xF2 |");
}

TEST(CodePages, Utf8RoundTripsAndQuestionMarks) {
  const std::string privet = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in CP1251
  EXPECT_EQ(win::AnsiToUtf8(privet), "Привет");
  EXPECT_EQ(win::Utf8ToAnsi("Привет, Ёж №5 «€»"), privet + ", \xA8\xE6 \xB9" "5 \xAB\x88\xBB");
  EXPECT_EQ(win::Utf8ToWide("日本 😀"), L"日本 😀");
  EXPECT_EQ(win::WideToUtf8(L"日本 😀"), "日本 😀");
  EXPECT_EQ(win::WideToAnsi(L"Ж日"), "\xC6?");
  EXPECT_EQ(win::Utf8ToAnsi("ß日本😀"), "????");
  EXPECT_EQ(win::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "?");

  // Broken UTF-8: one '?' per broken sequence, the way Python's decoder counts them.
  const std::string broken[] = {"\xFF", "a\x80z", "\xC0\x80", "\xE2\x82", "\xE2\x82x", "\xED\xA0\x80",
                                "\xF4\x90\x80\x80", "\xF0\x9F\x98", "\xC3", "ok\xD0\x9F\xD0"};
  std::string args;
  for (const auto& b : broken) args += " " + Hex(b);
  std::string out;
  ASSERT_EQ(RunCommand("python3 -c 'import sys\n"
                       "for a in sys.argv[1:]:\n"
                       "  print(bytes.fromhex(a).decode(\"utf-8\",\"replace\").replace(\"\\ufffd\",\"?\")"
                       ".encode(\"cp1251\",\"replace\").hex())' " + args, &out), 0);
  std::string expected;
  for (const auto& b : broken) expected += Hex(win::Utf8ToAnsi(b)) + "\n";
  EXPECT_EQ(expected, out);
  EXPECT_EQ(win::Utf8ToWide("\xE2\x82x"), L"?x");
}

TEST(CodePages, CaseMappingAgreesWithPython) {
  std::string out;
  ASSERT_EQ(RunCommand("python3 -c '"
                       "for b in range(256):\n"
                       "  c = bytes([b]).decode(\"cp1251\", \"ignore\") or \"?\"\n"
                       "  def m(x):\n"
                       "    try:\n"
                       "      e = x.encode(\"cp1251\")\n"
                       "      return e[0] if len(e) == 1 else b\n"
                       "    except UnicodeEncodeError: return b\n"
                       "  print(m(c.upper()) if b != 0x98 else b, m(c.lower()) if b != 0x98 else b)'", &out), 0);
  std::string mine;
  for (int b = 0; b < 256; ++b) {
    char c = static_cast<char>(b);
    mine += std::to_string(static_cast<unsigned char>(win::AnsiUpperChar(c))) + " " +
            std::to_string(static_cast<unsigned char>(win::AnsiLowerChar(c))) + "\n";
  }
  EXPECT_EQ(mine, out);
  EXPECT_TRUE(win::AnsiSameText("\xB8\xEB\xEA\xE0 Tree", "\xA8\xCB\xCA\xC0 TREE"));  // "ёлка"
  EXPECT_LT(win::AnsiCompareText("\xE0", "\xC1"), 0);  // а < Б
  EXPECT_GT(win::AnsiCompareText("ab", "A"), 0);
  EXPECT_EQ(win::WideUpperCase(L"ёжик straße ωμεγας ґ"), L"ЁЖИК STRAßE ΩΜΕΓΑΣ Ґ");
}
