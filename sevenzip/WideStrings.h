#pragma once
// Wide strings for the 7z writer: the mask list and the path and file routines
// the whole subsystem shares. Paths are Windows paths ('\' separators).
#include <atomic>
#include <vector>

#include "platform/WinTypes.h"
#include "rtl/SysUtils.h"

namespace sevenzip {

using namespace vcl;
using win::FILETIME;
using win::HANDLE;

using TWideStringArray = std::vector<WideString>;

// A plain growing list of wide strings (the masks of an add).
class TWideStringList_ {
 public:
  TWideStringArray Strings;
  int32_t Count = 0;

  void Add(const WideString& S);
  void Clear();
};

// True unless the system is of the 9x family; written by every TSevenZip
// constructor. Only the wide file functions exist here, so it stays true.
extern std::atomic<bool> UseWideFileApi;

// Copy upper-cased by the system's rules.
WideString WideUpperCase(const WideString& S);
WideString WideIncludeTrailingBackslash(const WideString& S);
WideString WideExcludeTrailingBackslash(const WideString& S);
// 1-based position of the last character of S found in Delimiters, 0 if none.
int WideLastDelimiter(const WideString& Delimiters, const WideString& S);
// ".ext" with the dot, or empty.
WideString WideExtractFileExt(const WideString& S);
WideString WideChangeFileExt(const WideString& S, const WideString& Extension);
// Keeps the part after the last '\' (':' does not count).
void StripDirectory(WideString& S);

bool WideFileExists(const WideString& S);
bool WideDirectoryExists(const WideString& S);
// Size of the entry S names (file or directory) and its time and attributes;
// -1, size -1, attributes all bits and time 0 when nothing is found.
int64_t WideFindFileInfo(const WideString& S, int64_t& Size, FILETIME& Time, uint32_t& Attributes);
// The handle, or INVALID_HANDLE_VALUE with GetLastError().
HANDLE WideCreateFile(const WideString& Name, uint32_t Access, uint32_t Share,
                      uint32_t Disposition, uint32_t Flags);
// Low 32 bits of the file's size; 0 when it cannot be opened.
uint32_t WideFileSize(const WideString& Name);

}  // namespace sevenzip
