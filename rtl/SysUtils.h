#pragma once
// Strings and small helpers of the run-time library.
#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/Export.h"

namespace vcl {

// 8-bit text in the ANSI code page (Windows-1251).
using AnsiString = std::string;
// Wide text, as the 7-Zip side uses it.
using WideString = std::wstring;

// printf-style formatting into an AnsiString.
VCL_API AnsiString Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

VCL_API AnsiString IntToStr(int64_t value);
VCL_API AnsiString IntToHex(uint64_t value, int digits);
// Decimal, or hexadecimal with "$" or "0x"; surrounding blanks allowed.
// Returns false (value untouched) for anything else or an overflow.
VCL_API bool TryStrToInt(std::string_view text, int32_t& value);
VCL_API int32_t StrToIntDef(std::string_view text, int32_t defaultValue);
VCL_API AnsiString Trim(std::string_view s);

// Windows path helpers on ANSI paths (separators '\' and ':').
VCL_API AnsiString ExtractFileName(std::string_view path);   // after the last '\' or ':'
VCL_API AnsiString ExtractFilePath(std::string_view path);   // up to and including it
VCL_API AnsiString ExtractFileDir(std::string_view path);    // without the trailing '\'
VCL_API AnsiString ExtractFileExt(std::string_view path);    // from the last '.' of the name
VCL_API AnsiString ChangeFileExt(std::string_view path, std::string_view ext);
VCL_API AnsiString IncludeTrailingBackslash(std::string_view path);
VCL_API AnsiString ExcludeTrailingBackslash(std::string_view path);

}  // namespace vcl
