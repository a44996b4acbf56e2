#include "rtl/SysUtils.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace vcl {

AnsiString Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  AnsiString out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, args);
    out.resize(static_cast<size_t>(n));
  }
  va_end(args);
  return out;
}

AnsiString IntToStr(int64_t value) { return std::to_string(value); }

AnsiString IntToHex(uint64_t value, int digits) {
  return Format("%0*llX", digits, static_cast<unsigned long long>(value));
}

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool TryStrToInt(std::string_view text, int32_t& value) {
  size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) i++;
  while (n > i && IsBlank(text[n - 1])) n--;
  bool negative = false;
  if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i < n && text[i] == '$') {
    base = 16;
    i++;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= n) return false;
  int64_t result = 0;
  for (; i < n; i++) {
    char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    result = result * base + digit;
    // Hexadecimal may use the full 32 bits ($FFFFFFFF is -1), decimal may not.
    if (result > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return false;
  }
  if (base == 10) {
    const int64_t v = negative ? -result : result;
    if (v > INT32_MAX) return false;
    value = static_cast<int32_t>(v);
  } else {
    // Hexadecimal is a 32-bit pattern: $FFFFFFFF and -$1 are both -1.
    const uint32_t bits = static_cast<uint32_t>(result);
    value = static_cast<int32_t>(negative ? 0u - bits : bits);
  }
  return true;
}

int32_t StrToIntDef(std::string_view text, int32_t defaultValue) {
  int32_t v;
  return TryStrToInt(text, v) ? v : defaultValue;
}

AnsiString Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') b++;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') e--;
  return AnsiString(s.substr(b, e - b));
}

static size_t LastDelimiter(std::string_view path, std::string_view delims) {
  size_t p = path.find_last_of(delims);
  return p == std::string_view::npos ? 0 : p + 1;  // index just past it
}

AnsiString ExtractFileName(std::string_view path) {
  return AnsiString(path.substr(LastDelimiter(path, "\\:")));
}

AnsiString ExtractFilePath(std::string_view path) {
  return AnsiString(path.substr(0, LastDelimiter(path, "\\:")));
}

AnsiString ExtractFileDir(std::string_view path) {
  size_t i = LastDelimiter(path, "\\:");
  // Keep the separator of a root ("C:\", "\").
  if (i > 0 && path[i - 1] == '\\' && i > 1 && path[i - 2] != ':' && path[i - 2] != '\\') i--;
  else if (i == 1 && path[0] == '\\') return "\\";
  return AnsiString(path.substr(0, i));
}

AnsiString ExtractFileExt(std::string_view path) {
  size_t p = path.find_last_of(".\\:");
  if (p == std::string_view::npos || path[p] != '.') return "";
  return AnsiString(path.substr(p));
}

AnsiString ChangeFileExt(std::string_view path, std::string_view ext) {
  size_t p = path.find_last_of(".\\:");
  if (p == std::string_view::npos || path[p] != '.') p = path.size();
  return AnsiString(path.substr(0, p)) + AnsiString(ext);
}

AnsiString IncludeTrailingBackslash(std::string_view path) {
  AnsiString s(path);
  if (s.empty() || s.back() != '\\') s += '\\';
  return s;
}

AnsiString ExcludeTrailingBackslash(std::string_view path) {
  AnsiString s(path);
  if (!s.empty() && s.back() == '\\') s.pop_back();
  return s;
}

}  // namespace vcl
