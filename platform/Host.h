#pragma once
// Internal helpers of the platform layer (not exported).
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace win::host {

// Host path for a Windows path already converted to UTF-8.
std::string Resolve(std::string_view utf8WindowsPath);
// The entry of host directory dir whose name equals name without regard to
// case (the first in byte order when several do); empty when none.
std::string FindCaseVariant(const std::string& dir, std::string_view name);
// Tells the lookup above that this process created hostPath (a file or a
// directory), so that the directory's names need not be read again.
void NoteCreated(const std::string& hostPath);
// The directory part of a host path ("." or "/" at the top).
std::string ParentOf(const std::string& path);
// Attributes as FindFirst and GetFileAttributes report them.
DWORD AttributesFor(unsigned mode, std::string_view name);
// Sets the last error and returns false.
bool Fail(DWORD code);
// The last error for a failed call on hostPath: ENOENT becomes "path not
// found" when the parent directory is missing too, as Windows tells them apart.
bool FailErrno(int err, const std::string& hostPath);
DWORD ErrorFor(int err, const std::string& hostPath);
// Read-only as Windows sees it: the owner may not write.
bool IsReadOnlyMode(unsigned mode);
// Copies the bytes, permission bits and last-write time of hostFrom to hostTo,
// as CopyFile does; a read-only or (with failIfExists) any existing target is refused.
bool CopyHostFile(const std::string& hostFrom, const std::string& hostTo, bool failIfExists);

}  // namespace win::host
