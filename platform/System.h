#pragma once
// Loading libraries, the system version, and the facilities Linux lacks.
#include <string>

#include "platform/WinTypes.h"

namespace win {

// "7za.dll" finds the 7-Zip library: exactly $SEVENZIP_LIB when set, else
// 7za.dll or 7z.so beside the program, /usr/lib/p7zip/7z.so, /usr/lib/7zip/7z.so.
// Other names are loaded as given (a Windows path is converted). RTLD_NOW|RTLD_LOCAL.
VCL_API HMODULE LoadLibraryA(std::string_view name);
VCL_API void* GetProcAddress(HMODULE module, const char* name);
VCL_API bool FreeLibrary(HMODULE module);
// The loader's text for the last failed LoadLibraryA on this thread.
VCL_API std::string LastLoadError();

enum : DWORD { VER_PLATFORM_WIN32_WINDOWS = 1, VER_PLATFORM_WIN32_NT = 2 };
struct OSVERSIONINFOA {
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
};
// Always the NT family.
VCL_API bool GetVersionExA(OSVERSIONINFOA& info);

enum : unsigned { DRIVE_UNKNOWN = 0, DRIVE_REMOVABLE = 2, DRIVE_FIXED = 3 };
// Never removable here.
VCL_API unsigned GetDriveTypeA(std::string_view rootPath);
// No volume labels here: false.
VCL_API bool GetVolumeLabel(std::string_view rootPath, std::string& label);
// Saving a registry key is not possible here: false with ERROR_NOT_SUPPORTED.
VCL_API bool RegSaveKey(std::string_view key, std::string_view fileName);

}  // namespace win
