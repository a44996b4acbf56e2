#pragma once
// Windows paths on Linux. Inside the system every path is in Windows form
// (CP1251, '\' separators, drive letters); only this layer turns it into a
// host path. Drive X: is the directory named by STATION_DRIVE_X; C: defaults to
// $HOME/.local/share/mirsal-station/drive_c. A path with a leading '\' and no
// drive letter is the POSIX root. Existing entries are matched without regard
// to case, component by component: the exact name first, then a case-blind
// match (the exact one wins; otherwise the first in byte order). A new entry
// keeps the case written.
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace win {

// A path from outside (command line, dialog, POSIX path), UTF-8 -> Windows form:
// '/' becomes '\', text becomes CP1251. "/tmp/r.7z" -> "\tmp\r.7z".
VCL_API std::string ToWindowsPath(std::string_view outside);
// The same into a wide Windows path, so that no character is lost.
VCL_API std::wstring ToWindowsPathW(std::string_view outside);
// The host path (UTF-8) for a Windows path, resolved case-blind against the disk.
VCL_API std::string ToHostPath(std::string_view windowsPath);
VCL_API std::string ToHostPath(std::wstring_view windowsPath);
// A host path (UTF-8) back to Windows form: a path under a drive's directory
// gets its drive letter, any other becomes "\..." from the POSIX root.
VCL_API std::string FromHostPath(std::string_view hostPath);

// The directory standing for drive Letter ('C', 'D', ...), without trailing '/'.
VCL_API std::string DriveDirectory(char Letter);
// "C:\WINDOWS".
VCL_API std::string GetWindowsDir();
// Directory (host form, no trailing '/') of the running program, and of the
// shared object that holds Address.
VCL_API std::string ProgramDirectory();
VCL_API std::string ModuleDirectory(const void* Address);
// The current directory in Windows form, with trailing '\' only for a root.
VCL_API std::string GetCurrentDir();

}  // namespace win
