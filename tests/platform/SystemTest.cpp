// Loading the 7-Zip library and the facilities Linux answers for Windows.
#include <gtest/gtest.h>

#include "platform/System.h"
#include "tests/support/TempDrive.h"

namespace {

// Keeps SEVENZIP_LIB as the test found it.
struct SevenZipLib {
  std::string old;
  bool had;
  SevenZipLib() : had(std::getenv("SEVENZIP_LIB") != nullptr) {
    if (had) old = std::getenv("SEVENZIP_LIB");
  }
  ~SevenZipLib() {
    if (had) setenv("SEVENZIP_LIB", old.c_str(), 1); else unsetenv("SEVENZIP_LIB");
  }
};

}  // namespace

TEST(System, SevenZipLibIsTakenExactly) {
  SevenZipLib keep;
  setenv("SEVENZIP_LIB", "/nowhere/7z.so", 1);
  EXPECT_EQ(win::LoadLibraryA("7za.dll"), nullptr);  // no fall-back to the installed library
  EXPECT_EQ(win::GetLastError(), win::ERROR_MOD_NOT_FOUND);
  EXPECT_NE(win::LastLoadError().find("/nowhere/7z.so"), std::string::npos);

  setenv("SEVENZIP_LIB", "/usr/lib/p7zip/7z.so", 1);
  win::HMODULE m = win::LoadLibraryA("7ZA.DLL");
  ASSERT_NE(m, nullptr) << win::LastLoadError();
  EXPECT_NE(win::GetProcAddress(m, "CreateObject"), nullptr);
  EXPECT_TRUE(win::FreeLibrary(m));
}

TEST(System, InstalledSevenZipIsFound) {
  SevenZipLib keep;
  unsetenv("SEVENZIP_LIB");
  win::HMODULE m = win::LoadLibraryA("7za.dll");
  ASSERT_NE(m, nullptr) << win::LastLoadError();
  EXPECT_NE(win::GetProcAddress(m, "CreateObject"), nullptr);
  EXPECT_EQ(win::GetProcAddress(m, "NoSuchEntry"), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_PROC_NOT_FOUND);
  EXPECT_TRUE(win::FreeLibrary(m));
}

TEST(System, WindowsOnlyFacilitiesAnswerAsAllowed) {
  win::OSVERSIONINFOA v;
  EXPECT_TRUE(win::GetVersionExA(v));
  EXPECT_EQ(v.dwPlatformId, win::VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(win::GetDriveTypeA("A:\\"), win::DRIVE_FIXED);
  std::string label = "x";
  EXPECT_FALSE(win::GetVolumeLabel("C:\\", label));
  EXPECT_EQ(label, "");
  EXPECT_FALSE(win::RegSaveKey("SOFTWARE\\Velmont\\Mirsal", "C:\\reg.dat"));
  EXPECT_EQ(win::GetLastError(), win::ERROR_NOT_SUPPORTED);
}
