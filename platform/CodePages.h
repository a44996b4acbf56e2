#pragma once
// Code pages: ANSI is Windows-1251, OEM is 866, the operating system speaks
// UTF-8, wide strings are wchar_t (UTF-32 on Linux). A character with no form in
// the target code page, or an invalid UTF-8 sequence, becomes '?'.
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace win {

VCL_API std::string AnsiToUtf8(std::string_view ansi);
VCL_API std::string Utf8ToAnsi(std::string_view utf8);
VCL_API std::wstring Utf8ToWide(std::string_view utf8);
VCL_API std::string WideToUtf8(std::wstring_view wide);
VCL_API std::wstring AnsiToWide(std::string_view ansi);
VCL_API std::string WideToAnsi(std::wstring_view wide);

// CP866 -> CP1251, byte for byte (the length is kept). Box drawing and shades,
// which CP1251 lacks, become '+', '-', '|' and '#'.
VCL_API std::string OemToAnsi(std::string_view oem);
// In place, as OemToCharA does with equal source and destination.
VCL_API void OemToCharA(const char* src, char* dst);

// Case mapping and comparison in CP1251, Cyrillic included.
VCL_API char AnsiUpperChar(char c);
VCL_API char AnsiLowerChar(char c);
VCL_API std::string AnsiUpperCase(std::string_view s);
VCL_API std::string AnsiLowerCase(std::string_view s);
// <0, 0, >0 comparing upper-cased bytes.
VCL_API int AnsiCompareText(std::string_view a, std::string_view b);
VCL_API bool AnsiSameText(std::string_view a, std::string_view b);
// Wide upper case, as CharUpperBuffW.
VCL_API std::wstring WideUpperCase(std::wstring_view s);

}  // namespace win
