#pragma once
// Directory enumeration with Windows wildcard rules: '*' and '?', and "*.*"
// matches every name, also names without a dot; matching ignores case.
// Attributes: 0x10 directory, 0x01 read-only (owner cannot write), 0x02 hidden
// (name starts with a dot), 0x20 archive (files). "." and ".." are not reported.
#include <memory>
#include <string>

#include "platform/WinTypes.h"

namespace win {

struct FindState;

// The run-time library's form (ANSI names).
struct TSearchRec {
  int32_t Time = 0;  // DOS date-time, local
  int64_t Size = 0;
  int32_t Attr = 0;
  std::string Name;  // CP1251
  DWORD ExcludeAttr = 0;
  FILETIME LastWrite{};
  std::shared_ptr<FindState> State;
};
enum : int32_t { faReadOnly = 0x01, faHidden = 0x02, faSysFile = 0x04, faDirectory = 0x10,
                 faArchive = 0x20, faAnyFile = 0x3F };
// 0 on success, else a Win32 error code. Entries with attributes outside Attr
// (among hidden, system, directory) are skipped.
VCL_API int FindFirst(std::string_view pathMask, int32_t Attr, TSearchRec& F);
VCL_API int FindNext(TSearchRec& F);
VCL_API void FindClose(TSearchRec& F);

// The Win32 wide form.
struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes = 0;
  FILETIME ftCreationTime{};
  FILETIME ftLastAccessTime{};
  FILETIME ftLastWriteTime{};
  DWORD nFileSizeHigh = 0;
  DWORD nFileSizeLow = 0;
  std::wstring cFileName;
};
// Returns a handle (not a file handle) or INVALID_HANDLE_VALUE with GetLastError().
VCL_API HANDLE FindFirstFileW(std::wstring_view pathMask, WIN32_FIND_DATAW& data);
VCL_API bool FindNextFileW(HANDLE h, WIN32_FIND_DATAW& data);  // false + ERROR_NO_MORE_FILES at the end
VCL_API bool FindClose(HANDLE h);

// Windows wildcard match of one name (case-blind, "*.*" matches all).
VCL_API bool MatchesWindowsMask(std::string_view name, std::string_view mask);

}  // namespace win
