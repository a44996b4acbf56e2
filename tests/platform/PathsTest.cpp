// Windows paths onto the host: drive letters, the POSIX root, names matched
// without regard to case.
#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "rtl/Streams.h"
#include "tests/support/TempDrive.h"

using testing_support::TempDrive;

TEST(Paths, ExistingNamesAreFoundWhateverTheCase) {
  TempDrive drive;
  drive.WriteFile("KORA/LogFiles/x", "log");
  drive.WriteFile("Mixed/Data/a", "");
  drive.WriteFile("Mixed/DATA/b", "");
  drive.WriteFile("Mixed/data/c", "");
  drive.WriteFile("\xD0\x9F\xD0\xA0\xD0\x98\xD0\x9C\xD0\x95\xD0\xA0/f", "");  // "ПРИМЕР"
  const std::string R = drive.Root();
  const struct { const char* windows; std::string host; } cases[] = {
      {"C:\\KORA\\logfiles\\x", R + "/KORA/LogFiles/x"},
      {"c:/kora/LOGFILES/X", R + "/KORA/LogFiles/x"},
      {"C:\\Mixed\\Data", R + "/Mixed/Data"},    // the exact one wins
      {"C:\\Mixed\\data", R + "/Mixed/data"},
      {"C:\\Mixed\\dAtA", R + "/Mixed/DATA"},    // else the first in byte order
      {"C:\\kora\\NewDir\\New.TXT", R + "/KORA/NewDir/New.TXT"},  // new names keep their case
      {"C:\\\xEF\xF0\xE8\xEC\xE5\xF0\\F", R + "/ПРИМЕР/f"},      // CP1251 "пример", case-blind
      {"C:\\", R},
      {"C:\\KORA\\", R + "/KORA"},
      {"\\tmp\\r.7z", "/tmp/r.7z"},
  };
  for (const auto& c : cases) EXPECT_EQ(win::ToHostPath(c.windows), c.host) << c.windows;
  EXPECT_EQ(win::ToHostPath(std::wstring(L"C:\\KORA\\日本.txt")), R + "/KORA/日本.txt");
}

TEST(Paths, DrivesFollowTheEnvironmentAtEachCall) {
  TempDrive drive;
  setenv("STATION_DRIVE_D", "/srv/d/", 1);
  EXPECT_EQ(win::ToHostPath("D:\\x\\y"), "/srv/d/x/y");
  EXPECT_EQ(win::DriveDirectory('d'), "/srv/d");
  setenv("STATION_DRIVE_D", "/srv/other", 1);
  EXPECT_EQ(win::ToHostPath("d:\\x"), "/srv/other/x");
  EXPECT_EQ(win::FromHostPath("/srv/other/x/y"), "D:\\x\\y");
  unsetenv("STATION_DRIVE_D");
  unsetenv("STATION_DRIVE_C");
  EXPECT_EQ(win::DriveDirectory('C'), drive.Root() + "/.local/share/mirsal-station/drive_c");
}

TEST(Paths, WindowsFormOfOutsidePaths) {
  TempDrive drive;
  EXPECT_EQ(win::ToWindowsPath("/tmp/r.7z"), "\\tmp\\r.7z");
  EXPECT_EQ(win::ToWindowsPath("/tmp/Отчет 日.7z"), "\\tmp\\\xCE\xF2\xF7\xE5\xF2 ?.7z");
  EXPECT_EQ(win::ToWindowsPathW("/tmp/Отчет 日.7z"), L"\\tmp\\Отчет 日.7z");
  EXPECT_EQ(win::FromHostPath(drive.Root() + "/KORA/Update"), "C:\\KORA\\Update");
  EXPECT_EQ(win::FromHostPath(drive.Root()), "C:\\");
  EXPECT_EQ(win::FromHostPath(drive.Root() + "-other/x"), win::ToWindowsPath(drive.Root()) + "-other\\x");
  EXPECT_EQ(win::GetWindowsDir(), "C:\\WINDOWS");
}

TEST(Paths, ProgramAndModuleDirectories) {
  struct stat a, b;
  ASSERT_EQ(stat(win::ProgramDirectory().c_str(), &a), 0);
  ASSERT_EQ(stat(testing_support::BinDir().c_str(), &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);
  // libvcl.so lies beside the programs.
  EXPECT_EQ(win::ModuleDirectory(reinterpret_cast<const void*>(&win::GetWindowsDir)), win::ProgramDirectory());
}

// Lookups of names not on disk remember a directory's names; what this process
// creates, and what others change, must still be found by the case rules.
TEST(Paths, NamesCreatedSinceALookupAreFoundWhateverTheCase) {
  TempDrive drive;
  drive.WriteFile("d/Old.txt", "");
  const std::string R = drive.Root();
  EXPECT_EQ(win::ToHostPath("C:\\d\\first.txt"), R + "/d/first.txt");  // reads d's names
  // Files this process creates, one after another, keep their written case
  // and are found in any case.
  for (int i = 0; i < 300; ++i) {
    const std::string name = "File" + std::to_string(i) + ".Dat";
    vcl::TFileStream("C:\\d\\" + name, vcl::fmCreate);
  }
  EXPECT_EQ(win::ToHostPath("C:\\D\\FILE7.DAT"), R + "/d/File7.Dat");
  EXPECT_EQ(win::ToHostPath("C:\\d\\file299.dat"), R + "/d/File299.Dat");
  EXPECT_EQ(win::ToHostPath("C:\\d\\old.TXT"), R + "/d/Old.txt");
  // Another program adds a name later: the directory's time moves on.
  drive.WriteFile("d/Other.txt", "");
  struct timespec later[2] = {{0, UTIME_OMIT}, {time(nullptr) + 5, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (R + "/d").c_str(), later, 0), 0);
  EXPECT_EQ(win::ToHostPath("C:\\d\\OTHER.TXT"), R + "/d/Other.txt");
  // Directories made by the platform count as created names too.
  ASSERT_TRUE(win::ForceDirectories("C:\\d\\Sub\\Deeper"));
  EXPECT_EQ(win::ToHostPath("C:\\d\\sub\\DEEPER\\x"), R + "/d/Sub/Deeper/x");
}
