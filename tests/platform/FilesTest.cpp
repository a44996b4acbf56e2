// File operations with Windows semantics; the read-only attribute holds even for root.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/Find.h"
#include "platform/Handles.h"
#include "platform/Paths.h"
#include "platform/Times.h"
#include "tests/support/TempDrive.h"

using testing_support::TempDrive;

namespace {

unsigned Mode(const std::string& host) {
  struct stat st;
  return stat(host.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

std::vector<std::string> Find(const std::string& mask, int32_t attr) {
  std::vector<std::string> names;
  win::TSearchRec f;
  for (int rc = win::FindFirst(mask, attr, f); rc == 0; rc = win::FindNext(f)) names.push_back(f.Name);
  win::FindClose(f);
  return names;
}

}  // namespace

TEST(Files, ReadOnlyFilesCannotBeDeletedOrOverwritten) {
  TempDrive drive;
  drive.WriteFile("ro.txt", "keep");
  drive.WriteFile("src.txt", "new");
  ASSERT_TRUE(win::SetFileAttributesA("C:\\RO.TXT", win::FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Mode(drive.Host("ro.txt")) & 0222, 0u);
  EXPECT_EQ(win::GetFileAttributesA("C:\\ro.txt"), win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_TRUE(win::IsReadOnly("C:\\ro.txt"));

  EXPECT_FALSE(win::DeleteFileA("C:\\ro.txt"));
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
  EXPECT_FALSE(win::CopyFileA("C:\\src.txt", "C:\\ro.txt", false));
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
  EXPECT_FALSE(win::MoveFileExA("C:\\src.txt", "C:\\ro.txt", win::MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
  EXPECT_EQ(win::CreateFileA("C:\\ro.txt", win::GENERIC_WRITE, 0, win::OPEN_EXISTING, 0), win::INVALID_HANDLE_VALUE);
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
  EXPECT_EQ(drive.ReadFile("ro.txt"), "keep");

  win::HANDLE h = win::CreateFileA("C:\\ro.txt", win::GENERIC_READ, 0, win::OPEN_EXISTING, 0);
  ASSERT_NE(h, win::INVALID_HANDLE_VALUE);
  win::CloseHandle(h);
  ASSERT_TRUE(win::SetFileAttributesA("C:\\ro.txt", 0));
  EXPECT_TRUE(win::DeleteFileA("C:\\ro.txt"));
  EXPECT_FALSE(drive.Exists("ro.txt"));
}

TEST(Files, FailuresCarryWindowsCodes) {
  TempDrive drive;
  drive.WriteFile("file", "x");
  drive.WriteFile("dir/a", "x");
  const struct { std::function<bool()> call; win::DWORD error; const char* what; } cases[] = {
      {[] { return win::DeleteFileA("C:\\missing"); }, win::ERROR_FILE_NOT_FOUND, "missing file"},
      {[] { return win::DeleteFileA("C:\\nodir\\missing"); }, win::ERROR_PATH_NOT_FOUND, "missing directory"},
      {[] { return win::DeleteFileA("C:\\file\\x"); }, win::ERROR_PATH_NOT_FOUND, "path through a file"},
      {[] { return win::DeleteFileA("C:\\dir"); }, win::ERROR_ACCESS_DENIED, "a directory"},
      {[] { return win::CopyFileA("C:\\file", "C:\\dir\\a", true); }, win::ERROR_FILE_EXISTS, "fail if exists"},
      {[] { return win::CopyFileA("C:\\file", "C:\\FILE", false); }, win::ERROR_SHARING_VIOLATION, "onto itself"},
      {[] { return win::CopyFileA("C:\\missing", "C:\\f2", false); }, win::ERROR_FILE_NOT_FOUND, "missing source"},
      {[] { return win::CopyFileA("C:\\file", "C:\\nodir\\f", false); }, win::ERROR_PATH_NOT_FOUND, "missing target dir"},
      {[] { return win::MoveFileExA("C:\\file", "C:\\dir\\a", 0); }, win::ERROR_ALREADY_EXISTS, "move onto a file"},
      {[] { return win::MoveFileExA("C:\\missing", "C:\\m", 3); }, win::ERROR_FILE_NOT_FOUND, "move a missing file"},
      {[] { return win::CreateDirectoryA("C:\\dir"); }, win::ERROR_ALREADY_EXISTS, "existing directory"},
      {[] { return win::CreateDirectoryA("C:\\nodir\\sub"); }, win::ERROR_PATH_NOT_FOUND, "missing parent"},
      {[] { return win::RemoveDirectoryA("C:\\dir"); }, win::ERROR_DIR_NOT_EMPTY, "not empty"},
      {[] { return win::RemoveDirectoryA("C:\\file"); }, win::ERROR_DIRECTORY, "not a directory"},
      {[] { return win::ForceDirectories("C:\\file\\sub"); }, win::ERROR_PATH_NOT_FOUND, "below a file"},
      {[] { return win::ClearDir("C:\\nodir"); }, win::ERROR_FILE_NOT_FOUND, "clear a missing directory"},
      {[] { return win::CreateFileA("C:\\file", win::GENERIC_WRITE, 0, win::CREATE_NEW, 0) != win::INVALID_HANDLE_VALUE; },
       win::ERROR_FILE_EXISTS, "create new"},
      {[] { return win::CreateFileA("C:\\nodir\\f", win::GENERIC_WRITE, 0, win::CREATE_ALWAYS, 0) != win::INVALID_HANDLE_VALUE; },
       win::ERROR_PATH_NOT_FOUND, "create in a missing directory"},
  };
  for (const auto& c : cases) {
    win::SetLastError(0);
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(win::GetLastError(), c.error) << c.what;
  }
  EXPECT_EQ(drive.ReadFile("file"), "x");
  EXPECT_EQ(win::SysErrorMessage(win::ERROR_ACCESS_DENIED), "Access is denied");
}

TEST(Files, LastErrorBelongsToTheThread) {
  win::SetLastError(win::ERROR_ACCESS_DENIED);
  win::DWORD seen = 1;
  std::thread([&] { seen = win::GetLastError(); }).join();
  EXPECT_EQ(seen, 0u);
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
}

TEST(Files, CopyKeepsPermissionsAndLastWriteTime) {
  TempDrive drive;
  drive.WriteFile("bin/tool", "#!/bin/sh\necho ran\n");
  ASSERT_TRUE(win::SetFilePermissions("C:\\bin\\tool", 0750));
  ASSERT_TRUE(win::FileSetDate("C:\\bin\\tool", (40 << 25) | (3 << 21) | (15 << 16) | (10 << 11) | (20 << 5) | 7));
  ASSERT_TRUE(win::ForceDirectories("C:\\Out\\Deep\\er"));
  ASSERT_TRUE(win::CopyFileA("C:\\BIN\\TOOL", "C:\\out\\deep\\er\\tool", true));
  EXPECT_EQ(Mode(drive.Host("Out/Deep/er/tool")), 0750u);
  EXPECT_EQ(win::FileAge("C:\\Out\\Deep\\er\\tool"), (40 << 25) | (3 << 21) | (15 << 16) | (10 << 11) | (20 << 5) | 7);
  std::string out;
  EXPECT_EQ(testing_support::RunCommand(drive.Host("Out/Deep/er/tool"), &out), 0);
  EXPECT_EQ(out, "ran\n");
  EXPECT_TRUE(win::CopyFileW(L"C:\\bin\\tool", L"C:\\Out\\日本", false));
  EXPECT_EQ(drive.ReadFile("Out/日本"), "#!/bin/sh\necho ran\n");
}

TEST(Files, MoveAcrossFileSystemsCopiesAndDeletes) {
  TempDrive drive;
  char shm[] = "/dev/shm/station-move-XXXXXX";
  ASSERT_NE(mkdtemp(shm), nullptr);
  struct stat a, b;
  ASSERT_EQ(stat(shm, &a), 0);
  ASSERT_EQ(stat(drive.Root().c_str(), &b), 0);
  if (a.st_dev == b.st_dev) {
    rmdir(shm);
    GTEST_SKIP() << "/dev/shm and the work disk are one file system here";
  }
  setenv("STATION_DRIVE_D", shm, 1);
  drive.WriteFile("KORA/pkg.bin", std::string(300000, 'z'));
  ASSERT_TRUE(win::SetFilePermissions("C:\\KORA\\pkg.bin", 0751));
  win::FILETIME before{};
  ASSERT_TRUE(win::GetFileLastWriteTime("C:\\KORA\\pkg.bin", before));

  EXPECT_FALSE(win::MoveFileExA("C:\\KORA\\pkg.bin", "D:\\pkg.bin", win::MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(win::GetLastError(), win::ERROR_NOT_SAME_DEVICE);
  ASSERT_TRUE(win::MoveFileExA("C:\\KORA\\pkg.bin", "D:\\pkg.bin", 3));
  EXPECT_FALSE(drive.Exists("KORA/pkg.bin"));
  EXPECT_EQ(testing_support::ReadHostFile(std::string(shm) + "/pkg.bin"), std::string(300000, 'z'));
  EXPECT_EQ(Mode(std::string(shm) + "/pkg.bin"), 0751u);
  win::FILETIME after{};
  ASSERT_TRUE(win::GetFileLastWriteTime("D:\\pkg.bin", after));
  EXPECT_EQ(win::FileTimeToUnixTime(after), win::FileTimeToUnixTime(before));
  // And back onto an existing file.
  drive.WriteFile("KORA/pkg.bin", "old");
  ASSERT_TRUE(win::MoveFileExA("D:\\pkg.bin", "C:\\kora\\PKG.BIN", 3));
  EXPECT_EQ(drive.ReadFile("KORA/pkg.bin").size(), 300000u);
  EXPECT_TRUE(win::ClearDir("D:\\"));
  unsetenv("STATION_DRIVE_D");
}

TEST(Files, ClearDirRemovesReadOnlyContent) {
  TempDrive drive;
  drive.WriteFile("Stage/a/ro.txt", "x");
  drive.WriteFile("Stage/.hidden", "x");
  ASSERT_TRUE(win::SetFileAttributesA("C:\\Stage\\a\\ro.txt", win::FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(win::SetFilePermissions("C:\\Stage\\a", 0500));
  EXPECT_TRUE(win::ClearDir("C:\\stage\\"));
  EXPECT_FALSE(drive.Exists("Stage"));
  EXPECT_FALSE(win::DirExists("C:\\Stage"));
}

TEST(Files, FindUsesWindowsWildcardsAndAttributes) {
  TempDrive drive;
  drive.WriteFile("d/README", "1");
  drive.WriteFile("d/a.txt", "22");
  drive.WriteFile("d/B.TXT", "333");
  drive.WriteFile("d/.profile", "");
  drive.WriteFile("d/sub/x", "");
  drive.WriteFile("d/ro", "");
  win::SetFileAttributesA("C:\\d\\ro", win::FILE_ATTRIBUTE_READONLY);
  using V = std::vector<std::string>;
  EXPECT_EQ(Find("C:\\d\\*.*", 0), (V{"a.txt", "B.TXT", "README", "ro"}));
  EXPECT_EQ(Find("C:\\D\\*.*", win::faAnyFile), (V{".profile", "a.txt", "B.TXT", "README", "ro", "sub"}));
  EXPECT_EQ(Find("C:\\d\\*.txt", 0), (V{"a.txt", "B.TXT"}));
  EXPECT_EQ(Find("C:\\d\\readme", 0), (V{"README"}));
  EXPECT_EQ(Find("C:\\d\\*.", win::faDirectory), (V{"README", "ro", "sub"}));

  win::TSearchRec f;
  ASSERT_EQ(win::FindFirst("C:\\d\\s*", win::faDirectory, f), 0);
  EXPECT_EQ(f.Attr, win::faDirectory);
  EXPECT_EQ(win::FindNext(f), static_cast<int>(win::ERROR_NO_MORE_FILES));
  ASSERT_EQ(win::FindFirst("C:\\d\\b.txt", 0, f), 0);
  EXPECT_EQ(f.Size, 3);
  EXPECT_EQ(f.Attr, win::faArchive);
  EXPECT_EQ(f.Time, win::FileAge("C:\\d\\B.TXT"));
  ASSERT_EQ(win::FindFirst("C:\\d\\ro", 0, f), 0);
  EXPECT_EQ(f.Attr, win::faArchive | win::faReadOnly);
  ASSERT_EQ(win::FindFirst("C:\\d\\.profile", win::faAnyFile, f), 0);
  EXPECT_EQ(f.Attr, win::faArchive | win::faHidden);
  EXPECT_EQ(win::FindFirst("C:\\d\\*.zip", win::faAnyFile, f), static_cast<int>(win::ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(win::FindFirst("C:\\nodir\\*.*", win::faAnyFile, f), static_cast<int>(win::ERROR_PATH_NOT_FOUND));
  win::FindClose(f);

  drive.WriteFile("w/日本.txt", "abc");
  win::WIN32_FIND_DATAW data;
  win::HANDLE h = win::FindFirstFileW(L"C:\\W\\*.*", data);
  ASSERT_NE(h, win::INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.cFileName, L"日本.txt");
  EXPECT_EQ(data.nFileSizeLow, 3u);
  EXPECT_FALSE(win::FindNextFileW(h, data));
  EXPECT_EQ(win::GetLastError(), win::ERROR_NO_MORE_FILES);
  EXPECT_TRUE(win::FindClose(h));
}

TEST(Files, WindowsMaskRules) {
  const struct { const char* name; const char* mask; bool matches; } cases[] = {
      {"README", "*.*", true},       {"a.b.c", "*.*", true},     {"x.TXT", "*.txt", true},
      {"x.txt1", "*.txt", false},    {"abc", "a?c", true},       {"ac", "a?c", false},
      {"abc", "a*.*", true},         {"abc.d", "*.", false},     {"abc", "*.", true},
      {"\xC0\xE1\xE2.doc", "\xE0*.DOC", true},  // Cyrillic ignores case too
      {"data.7z", "*.zip", false},   {"", "*", true},            {"x", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(win::MatchesWindowsMask(c.name, c.mask), c.matches) << c.name << " " << c.mask;
}

TEST(Files, HandlesReadWriteSeekAndTruncate) {
  TempDrive drive;
  win::HANDLE h = win::CreateFileW(L"C:\\h.bin", win::GENERIC_READ | win::GENERIC_WRITE, 0, win::CREATE_ALWAYS, 0);
  ASSERT_NE(h, win::INVALID_HANDLE_VALUE);
  win::DWORD n = 0;
  EXPECT_TRUE(win::WriteFile(h, "0123456789", 10, &n));
  EXPECT_EQ(n, 10u);
  EXPECT_EQ(win::FileSeek64(h, -4, win::FILE_END), 6);
  char buf[16] = {};
  EXPECT_TRUE(win::ReadFile(h, buf, sizeof buf, &n));
  EXPECT_EQ(std::string(buf, n), "6789");
  EXPECT_EQ(win::FileSeek64(h, -20, win::FILE_CURRENT), -1);
  EXPECT_EQ(win::GetLastError(), win::ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(win::FileSeek64(h, 3, win::FILE_BEGIN), 3);
  EXPECT_TRUE(win::SetEndOfFile(h));
  EXPECT_TRUE(win::CloseHandle(h));
  EXPECT_EQ(drive.ReadFile("h.bin"), "012");
  EXPECT_FALSE(win::CloseHandle(h));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
}

// Past the file-size limit, with SIGXFSZ ignored, write() fails with EFBIG: a
// short write that must read as a full disk. In a child, so the limit stays there.
TEST(Files, WriteBeyondTheSizeLimitReportsDiskFull) {
  TempDrive drive;
  auto writePastLimit = [] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    win::HANDLE h = win::CreateFileA("C:\\big", win::GENERIC_WRITE, 0, win::CREATE_ALWAYS, 0);
    std::string data(4096, 'b');
    win::DWORD n = 0;
    bool ok = win::WriteFile(h, data.data(), 4096, &n);
    _exit(!ok && n == 1000 && win::GetLastError() == win::ERROR_DISK_FULL ? 0 : 1);
  };
  EXPECT_EXIT(writePastLimit(), testing::ExitedWithCode(0), "");
}

TEST(Files, TimesConvert) {
  win::FILETIME epoch = win::UnixTimeToFileTime(0);
  EXPECT_EQ((static_cast<uint64_t>(epoch.dwHighDateTime) << 32) | epoch.dwLowDateTime, 116444736000000000ull);
  EXPECT_EQ(win::FileTimeToUnixTime(win::UnixTimeToFileTime(1700000000, 123456789)), 1700000000);
  // 2024-02-29 13:45:58 local time.
  int32_t dos = (44 << 25) | (2 << 21) | (29 << 16) | (13 << 11) | (45 << 5) | 29;
  time_t t = win::DosDateTimeToUnixTime(dos);
  struct tm tm {};
  localtime_r(&t, &tm);
  EXPECT_EQ(tm.tm_year, 124);
  EXPECT_EQ(tm.tm_mday, 29);
  EXPECT_EQ(tm.tm_sec, 58);
  EXPECT_EQ(win::UnixTimeToDosDateTime(t), dos);
  EXPECT_EQ(win::UnixTimeToDosDateTime(0), (0 << 25) | (1 << 21) | (1 << 16));  // before 1980: the first DOS day
}
