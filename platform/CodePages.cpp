#include "platform/CodePages.h"

#include <array>

namespace win {

namespace {

// Windows-1251, bytes 0x80..0xFF, as published in the code page chart.
// 0x98 is unassigned; like Windows we pass it through as the C1 control U+0098
// so that every byte survives a round trip.
constexpr char16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    // C0..FF: А..Я, а..я (U+0410..U+044F) follow in order.
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Code page 866 (DOS Cyrillic), bytes 0x80..0xFF, as published.
constexpr char16_t kCp866High[128] = {
    // 80..AF: А..Я, а..п (U+0410..U+043F).
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    // B0..DF: shades, box drawing and blocks.
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    // E0..EF: р..я (U+0440..U+044F).
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    // F0..FF: Ё ё Є є Ї ї Ў ў ° ∙ · √ № ¤ ■ NBSP.
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

char32_t AnsiToUnicode(unsigned char b) { return b < 0x80 ? b : kCp1251High[b - 0x80]; }

// Byte in CP1251 for a code point, or -1.
int UnicodeToAnsi(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
  for (int i = 0; i < 64; ++i)
    if (kCp1251High[i] == cp) return 0x80 + i;
  return -1;
}

// Our own stand-ins for CP866 characters CP1251 lacks: lines and corners keep
// their shape in ASCII, shades and blocks become '#'.
char OemFallback(char32_t cp) {
  switch (cp) {
    case 0x2500: case 0x2550:  // ─ ═
      return '-';
    case 0x2502: case 0x2551:  // │ ║
      return '|';
    case 0x2219:  // ∙ bullet operator: the middle dot of CP1251
      return static_cast<char>(0xB7);
    case 0x25A0:  // ■
      return '#';
    default:
      break;
  }
  if (cp >= 0x2500 && cp <= 0x257F) return '+';  // corners, tees and crossings
  if (cp >= 0x2580 && cp <= 0x259F) return '#';  // blocks and shades
  return '?';                                    // √
}

struct OemTable {
  std::array<char, 256> map{};
  OemTable() {
    for (int b = 0; b < 256; ++b) {
      char32_t cp = b < 0x80 ? static_cast<char32_t>(b) : kCp866High[b - 0x80];
      int a = UnicodeToAnsi(cp);
      map[b] = a >= 0 ? static_cast<char>(a) : OemFallback(cp);
    }
  }
};
const OemTable& Oem() {
  static const OemTable table;
  return table;
}

// Upper-case partner of a Cyrillic or Latin code point within CP1251's repertoire.
char32_t UpperOf(char32_t cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 0x20;
  if (cp >= 0x0430 && cp <= 0x044F) return cp - 0x20;  // а..я
  if (cp >= 0x0450 && cp <= 0x045F) return cp - 0x50;  // ѐ..џ
  if (cp == 0x0491) return 0x0490;                     // ґ
  return cp;
}
char32_t LowerOf(char32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 0x20;
  if (cp >= 0x0410 && cp <= 0x042F) return cp + 0x20;
  if (cp >= 0x0400 && cp <= 0x040F) return cp + 0x50;
  if (cp == 0x0490) return 0x0491;
  return cp;
}

struct CaseTables {
  std::array<char, 256> upper{}, lower{};
  CaseTables() {
    for (int b = 0; b < 256; ++b) {
      char32_t cp = AnsiToUnicode(static_cast<unsigned char>(b));
      int u = UnicodeToAnsi(UpperOf(cp)), l = UnicodeToAnsi(LowerOf(cp));
      upper[b] = static_cast<char>(u >= 0 ? u : b);
      lower[b] = static_cast<char>(l >= 0 ? l : b);
    }
  }
};
const CaseTables& Cases() {
  static const CaseTables tables;
  return tables;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsScalar(char32_t cp) { return cp < 0xD800 || (cp > 0xDFFF && cp <= 0x10FFFF); }

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one code point at s[i], advancing i. A malformed sequence yields
// kInvalid and consumes its longest valid-looking prefix (at least one byte),
// so each broken sequence turns into a single '?'.
char32_t NextUtf8(std::string_view s, size_t& i) {
  unsigned char b = static_cast<unsigned char>(s[i++]);
  if (b < 0x80) return b;
  int extra;
  char32_t cp;
  char32_t min;
  if (b >= 0xC2 && b <= 0xDF) { extra = 1; cp = b & 0x1F; min = 0x80; }
  else if (b >= 0xE0 && b <= 0xEF) { extra = 2; cp = b & 0x0F; min = 0x800; }
  else if (b >= 0xF0 && b <= 0xF4) { extra = 3; cp = b & 0x07; min = 0x10000; }
  else return kInvalid;
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size()) return kInvalid;
    unsigned char c = static_cast<unsigned char>(s[i]);
    if ((c & 0xC0) != 0x80) return kInvalid;
    char32_t next = (cp << 6) | (c & 0x3F);
    // Reject overlong forms, surrogates and values past U+10FFFF as early as
    // the second byte tells, so the rest stays for the next character.
    if (k == 0) {
      char32_t lo = next << (6 * (extra - 1)), hi = lo | ((1u << (6 * (extra - 1))) - 1);
      if (hi < min || lo > 0x10FFFF || (lo >= 0xD800 && hi <= 0xDFFF)) return kInvalid;
    }
    cp = next;
    ++i;
  }
  if (cp < min || !IsScalar(cp)) return kInvalid;
  return cp;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() * 2);
  for (char c : ansi) AppendUtf8(out, AnsiToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = NextUtf8(utf8, i);
    int a = cp == kInvalid ? -1 : UnicodeToAnsi(cp);
    out += a >= 0 ? static_cast<char>(a) : '?';
  }
  return out;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = NextUtf8(utf8, i);
    out += cp == kInvalid ? L'?' : static_cast<wchar_t>(cp);
  }
  return out;
}

std::string WideToUtf8(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (wchar_t w : wide) {
    char32_t cp = static_cast<char32_t>(w);
    AppendUtf8(out, IsScalar(cp) ? cp : U'?');
  }
  return out;
}

std::wstring AnsiToWide(std::string_view ansi) {
  std::wstring out;
  out.reserve(ansi.size());
  for (char c : ansi) out += static_cast<wchar_t>(AnsiToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string WideToAnsi(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (wchar_t w : wide) {
    int a = UnicodeToAnsi(static_cast<char32_t>(w));
    out += a >= 0 ? static_cast<char>(a) : '?';
  }
  return out;
}

std::string OemToAnsi(std::string_view oem) {
  std::string out(oem.size(), '\0');
  const auto& map = Oem().map;
  for (size_t i = 0; i < oem.size(); ++i) out[i] = map[static_cast<unsigned char>(oem[i])];
  return out;
}

void OemToCharA(const char* src, char* dst) {
  const auto& map = Oem().map;
  for (;; ++src, ++dst) {
    *dst = map[static_cast<unsigned char>(*src)];
    if (*src == '\0') break;
  }
}

char AnsiUpperChar(char c) { return Cases().upper[static_cast<unsigned char>(c)]; }
char AnsiLowerChar(char c) { return Cases().lower[static_cast<unsigned char>(c)]; }

std::string AnsiUpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AnsiUpperChar(c);
  return out;
}

std::string AnsiLowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AnsiLowerChar(c);
  return out;
}

int AnsiCompareText(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int x = static_cast<unsigned char>(AnsiUpperChar(a[i]));
    int y = static_cast<unsigned char>(AnsiUpperChar(b[i]));
    if (x != y) return x - y;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AnsiCompareText(a, b) == 0;
}

static wchar_t WideUpperChar(wchar_t w) {
  char32_t c = static_cast<char32_t>(w);
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? static_cast<wchar_t>(c - 0x20) : w;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<wchar_t>(c - 0x20);  // Latin-1
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {  // Latin Extended-A: pairs, odd ones lower case
    bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (c == 0x131) return L'I';
    if (c == 0x17F) return L'S';
    if (oddPairs ? (c % 2 == 0) : (c % 2 == 1 && c != 0x138 && c != 0x149))
      return static_cast<wchar_t>(c - 1);
    return w;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<wchar_t>(c - 0x20);  // Greek
  if (c == 0x3C2) return 0x3A3;
  if (c >= 0x430 && c <= 0x44F) return static_cast<wchar_t>(c - 0x20);  // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 0x50);
  if (c >= 0x460 && c <= 0x4BF && c % 2 == 1 && !(c >= 0x482 && c <= 0x489))
    return static_cast<wchar_t>(c - 1);
  if (c >= 0x4D0 && c <= 0x4FF && c % 2 == 1) return static_cast<wchar_t>(c - 1);
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<wchar_t>(c - 0x20);  // full-width
  return w;
}

std::wstring WideUpperCase(std::wstring_view s) {
  std::wstring out(s);
  for (wchar_t& w : out) w = WideUpperChar(w);
  return out;
}

}  // namespace win
