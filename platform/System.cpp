#include "platform/System.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "platform/CodePages.h"
#include "platform/Host.h"
#include "platform/Paths.h"

namespace win {

namespace {

thread_local std::string tLoadError;

HMODULE Open(const std::string& file) {
  dlerror();
  HMODULE m = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (m) return m;
  const char* why = dlerror();
  tLoadError = why ? why : file + ": cannot be loaded";
  return nullptr;
}

// The places the 7-Zip library is looked for, in order.
HMODULE LoadSevenZip() {
  if (const char* exact = std::getenv("SEVENZIP_LIB"); exact && *exact)
    return Open(exact);  // exactly this file: a wrong value fails as a missing library
  std::string dir = ProgramDirectory();
  const std::string candidates[] = {dir + "/7za.dll", dir + "/7z.so", "/usr/lib/p7zip/7z.so",
                                    "/usr/lib/7zip/7z.so"};
  std::string firstError;
  for (const std::string& file : candidates) {
    if (access(file.c_str(), F_OK) != 0) continue;
    if (HMODULE m = Open(file)) return m;
    if (firstError.empty()) firstError = tLoadError;
  }
  tLoadError = firstError.empty() ? "7za.dll: no 7-Zip library found (set SEVENZIP_LIB or install p7zip-full)"
                                  : firstError;
  return nullptr;
}

}  // namespace

HMODULE LoadLibraryA(std::string_view name) {
  tLoadError.clear();
  std::string_view base = name.substr(name.find_last_of("\\/:") + 1);
  HMODULE m;
  if (AnsiSameText(base, "7za.dll"))
    m = LoadSevenZip();
  else if (name.find_first_of("\\:") != std::string_view::npos)
    m = Open(ToHostPath(name));
  else
    m = Open(AnsiToUtf8(name));
  if (!m) host::Fail(ERROR_MOD_NOT_FOUND);
  return m;
}

void* GetProcAddress(HMODULE module, const char* name) {
  void* p = module ? dlsym(module, name) : nullptr;
  if (!p) host::Fail(ERROR_PROC_NOT_FOUND);
  return p;
}

bool FreeLibrary(HMODULE module) {
  if (!module || dlclose(module) != 0) return host::Fail(ERROR_INVALID_HANDLE);
  return true;
}

std::string LastLoadError() { return tLoadError; }

bool GetVersionExA(OSVERSIONINFOA& info) {
  info.dwMajorVersion = 5;
  info.dwMinorVersion = 1;
  info.dwBuildNumber = 2600;
  info.dwPlatformId = VER_PLATFORM_WIN32_NT;
  return true;
}

unsigned GetDriveTypeA(std::string_view) { return DRIVE_FIXED; }

bool GetVolumeLabel(std::string_view, std::string& label) {
  label.clear();
  return host::Fail(ERROR_NOT_SUPPORTED);
}

bool RegSaveKey(std::string_view, std::string_view) { return host::Fail(ERROR_NOT_SUPPORTED); }

}  // namespace win
