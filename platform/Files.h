#pragma once
// File and directory operations with Windows semantics: Windows paths in
// (ANSI CP1251, or wide), bool results, the reason in GetLastError(). The
// read-only attribute is the owner's write permission and is enforced here
// (deleting, overwriting or opening for writing a read-only file fails with
// ERROR_ACCESS_DENIED), also for root.
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace win {

VCL_API bool FileExists(std::string_view path);  // a file, not a directory
VCL_API bool DirExists(std::string_view path);
// True when the file exists and its owner may not write it (for streams that
// open files themselves and must refuse writing as CreateFile does).
VCL_API bool IsReadOnly(std::string_view path);
VCL_API bool CopyFileA(std::string_view from, std::string_view to, bool failIfExists);
VCL_API bool CopyFileW(std::wstring_view from, std::wstring_view to, bool failIfExists);

enum : DWORD { MOVEFILE_REPLACE_EXISTING = 1, MOVEFILE_COPY_ALLOWED = 2 };
// Renames, or copies and deletes when the target is on another file system and
// MOVEFILE_COPY_ALLOWED is given.
VCL_API bool MoveFileExA(std::string_view from, std::string_view to, DWORD flags);
VCL_API bool DeleteFileA(std::string_view path);
VCL_API bool CreateDirectoryA(std::string_view path);
VCL_API bool RemoveDirectoryA(std::string_view path);
// Creates the directory and every missing parent; true when it exists afterwards.
VCL_API bool ForceDirectories(std::string_view path);
// Removes the directory with everything in it, read-only files included.
VCL_API bool ClearDir(std::string_view path);

VCL_API DWORD GetFileAttributesA(std::string_view path);
VCL_API DWORD GetFileAttributesW(std::wstring_view path);
// Only FILE_ATTRIBUTE_READONLY has an effect (the owner's write permission).
VCL_API bool SetFileAttributesA(std::string_view path, DWORD attributes);
// POSIX permission bits (masked to 0777).
VCL_API bool SetFilePermissions(std::string_view path, unsigned mode);

// Last-write time; false when the file cannot be queried.
VCL_API bool GetFileLastWriteTime(std::string_view path, FILETIME& lastWrite);
VCL_API bool SetFileLastWriteTime(std::string_view path, const FILETIME& lastWrite);
// Last-write time as a DOS date-time (local time; date high word), -1 when absent.
VCL_API int32_t FileAge(std::string_view path);
VCL_API bool FileSetDate(std::string_view path, int32_t dosDateTime);
VCL_API bool FileSetDate(std::wstring_view path, int32_t dosDateTime);

}  // namespace win
