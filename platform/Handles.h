#pragma once
// Handle-based file access for the 7z side (wide Windows paths).
#include <string>

#include "platform/WinTypes.h"

namespace win {

enum : DWORD { GENERIC_READ = 0x80000000u, GENERIC_WRITE = 0x40000000u };
enum : DWORD { FILE_SHARE_READ = 1, FILE_SHARE_WRITE = 2 };
enum : DWORD { CREATE_NEW = 1, CREATE_ALWAYS = 2, OPEN_EXISTING = 3, OPEN_ALWAYS = 4,
               TRUNCATE_EXISTING = 5 };
enum : DWORD { FILE_BEGIN = 0, FILE_CURRENT = 1, FILE_END = 2 };

VCL_API HANDLE CreateFileW(std::wstring_view name, DWORD access, DWORD share, DWORD creation,
                           DWORD flagsAndAttributes);
VCL_API HANDLE CreateFileA(std::string_view name, DWORD access, DWORD share, DWORD creation,
                           DWORD flagsAndAttributes);
VCL_API bool ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* read);
// A short write (disk full, file-size limit) returns false with the reason.
VCL_API bool WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written);
// New position, or -1 with GetLastError().
VCL_API int64_t FileSeek64(HANDLE h, int64_t offset, DWORD origin);
VCL_API bool SetEndOfFile(HANDLE h);
VCL_API bool CloseHandle(HANDLE h);

}  // namespace win
