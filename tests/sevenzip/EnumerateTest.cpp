// Mask expansion into the item table, and the wide path routines under it.
#include <gtest/gtest.h>

#include "sevenzip/Enumerate.h"
#include "sevenzip/SevenZipVCL.h"
#include "sevenzip/UpdateCallback.h"
#include "tests/sevenzip/SevenZipTestSupport.h"

using namespace sevenzip;
using namespace sztest;
using testing_support::TempDrive;

namespace {

struct TExpansion {
  std::vector<std::wstring> Names;
  int64_t TotalSize = 0;
};

TExpansion Expand(TSevenZip& zip, const std::vector<std::wstring>& masks) {
  TComPtr<TMyArchiveUpdateCallback> cb(NewInterfaced<TMyArchiveUpdateCallback>(&zip));
  TItemTableBuilder builder(zip, *cb.Get());
  for (const std::wstring& m : masks) builder.ExpandMask(m);
  builder.Finish();
  EXPECT_EQ(cb->ItemNames.size(), builder.NumItems);
  EXPECT_EQ(cb->ItemAttrs.size(), builder.NumItems);
  return {cb->ItemNames, builder.TotalSize};
}

// C:\r with files, a sub-directory with its own sub-directory.
void MakeTree(const TempDrive& drive) {
  drive.WriteFile("r/a.txt", "aa");
  drive.WriteFile("r/b.TXT", "b");
  drive.WriteFile("r/noext", "nnn");
  drive.WriteFile("r/long.abcdefghij", "l");
  drive.WriteFile("r/long.abcdefg", "g");
  drive.WriteFile("r/.hidden", "h");
  drive.WriteFile("r/logs/x.log", "xxxx");
  drive.WriteFile("r/logs/deep/y.log", "y");
}

}  // namespace

TEST(Enumerate, MasksIntoRows) {
  TempDrive drive;
  MakeTree(drive);
  struct Case {
    const char* What;
    AddOpts Options;
    std::vector<std::wstring> Masks;
    std::vector<std::wstring> Expected;
  };
  const std::wstring r = L"C:\\r\\";
  const Case cases[] = {
      {"root walk: the root is no row, sub-directories are, not entered",
       {},
       {r + L"*.*"},
       {r + L".hidden", r + L"a.txt", r + L"b.TXT", r + L"logs", r + L"long.abcdefg", r + L"long.abcdefghij",
        r + L"noext"}},
      {"recursion: a sub-directory's rows follow its own row",
       {AddRecurseDirs},
       {r + L"logs\\*.*"},
       {L"logs", r + L"logs\\deep", r + L"logs\\deep\\y.log", r + L"logs\\x.log"}},
      {"store only file names: no directory rows",
       {AddStoreOnlyFilename, AddRecurseDirs},
       {r + L"logs\\*.*"},
       {L"logs", r + L"logs\\deep\\y.log", r + L"logs\\x.log"}},
      {"nothing after the star: files without extension", {}, {r + L"*"}, {r + L"logs", r + L"noext"}},
      {"filters compare case-sensitively", {}, {r + L"*.TXT"}, {r + L"b.TXT", r + L"logs"}},
      {"a filter is cut to 8 characters", {}, {r + L"*.abcdefghij"}, {r + L"logs", r + L"long.abcdefg"}},
      {"the report's masks list sub-directories twice",
       {},
       {r + L"*.txt", r + L"LOGS\\*.*"},
       {r + L"a.txt", r + L"logs", L"LOGS", r + L"LOGS\\deep", r + L"LOGS\\x.log"}},
      {"without a star: the entry itself, directory or file; nothing for no match",
       {},
       {r + L"logs", r + L"a.txt", r + L"none.txt", r + L"?.txt"},
       {r + L"logs", r + L"a.txt", r + L"?.txt"}},
      {"a missing directory yields nothing", {}, {r + L"gone\\*.*"}, {}},
  };
  for (const Case& c : cases) {
    TSevenZip zip(nullptr);
    zip.AddRootDir = L"C:\\R\\";
    zip.AddOptions = c.Options;
    EXPECT_EQ(Expand(zip, c.Masks).Names, c.Expected) << c.What;
  }
}

TEST(Enumerate, DriveCutWithoutRootAndSizes) {
  TempDrive drive;
  MakeTree(drive);
  TSevenZip zip(nullptr);
  // Without a root the directory of a mask loses a drive prefix of three characters.
  const TExpansion e = Expand(zip, {L"C:\\r\\logs\\*.log"});
  EXPECT_EQ(e.Names, (std::vector<std::wstring>{L"r\\logs", L"C:\\r\\logs\\deep", L"C:\\r\\logs\\x.log"}));
  EXPECT_EQ(e.TotalSize, 4);
}

TEST(Enumerate, CancelEndsTheWalk) {
  TempDrive drive;
  MakeTree(drive);
  TSevenZip zip(nullptr);
  zip.Cancel();
  // The mask's own directory ("r", no root set), then the listing stops after
  // its first entry.
  EXPECT_EQ(Expand(zip, {L"C:\\r\\*.*"}).Names, (std::vector<std::wstring>{L"r", L"C:\\r\\.hidden"}));
}

TEST(Enumerate, GrowthInStepsOf100) {
  TempDrive drive;
  for (int i = 0; i < 150; ++i) drive.WriteFile("many/f" + std::to_string(i), "");
  TSevenZip zip(nullptr);
  TComPtr<TMyArchiveUpdateCallback> cb(NewInterfaced<TMyArchiveUpdateCallback>(&zip));
  TItemTableBuilder builder(zip, *cb.Get());
  builder.ExpandMask(L"C:\\many\\*");
  EXPECT_EQ(builder.NumItems, 151u);  // the directory row and 150 files
  EXPECT_EQ(builder.ItemRoom, 200u);
  builder.Finish();
  EXPECT_EQ(cb->ItemNames.size(), 151u);
}

TEST(WidePaths, Routines) {
  struct Case {
    std::wstring Input, Ext, Changed, Stripped;
  };
  const Case cases[] = {
      {L"C:\\d\\a.txt", L".txt", L"C:\\d\\a.exe", L"a.txt"},
      {L"C:\\d.x\\a", L"", L"C:\\d.x\\a.exe", L"a"},
      {L"C:a.b", L".b", L"C:a.exe", L"C:a.b"},
      {L"a.", L".", L"a.exe", L"a."},
      {L"", L"", L".exe", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WideExtractFileExt(c.Input), c.Ext);
    EXPECT_EQ(WideChangeFileExt(c.Input, L".exe"), c.Changed);
    std::wstring s = c.Input;
    StripDirectory(s);
    EXPECT_EQ(s, c.Stripped);
  }
  EXPECT_EQ(WideIncludeTrailingBackslash(L"C:\\d"), L"C:\\d\\");
  EXPECT_EQ(WideIncludeTrailingBackslash(L"C:\\d\\"), L"C:\\d\\");
  EXPECT_EQ(WideIncludeTrailingBackslash(L""), L"");
  EXPECT_EQ(WideExcludeTrailingBackslash(L"C:\\d\\"), L"C:\\d");
  EXPECT_EQ(WideExcludeTrailingBackslash(L""), L"");
  EXPECT_EQ(WideLastDelimiter(L"\\:", L"C:\\a\\b"), 5);
  EXPECT_EQ(WideLastDelimiter(L".", L"abc"), 0);
  EXPECT_EQ(WideUpperCase(L"c:\\отчет\\a"), L"C:\\ОТЧЕТ\\A");

  TWideStringList_ list;
  list.Add(L"a");
  list.Add(L"a");
  EXPECT_EQ(list.Count, 2);
  EXPECT_EQ(list.Strings.size(), 2u);
  list.Clear();
  EXPECT_EQ(list.Count, 0);
}

TEST(WidePaths, FileQueries) {
  TempDrive drive;
  drive.WriteFile("f.bin", std::string(1234, 'f'));
  drive.WriteFile("d/x", "");
  int64_t size = 0;
  FILETIME time{};
  uint32_t attributes = 0;
  EXPECT_EQ(WideFindFileInfo(L"C:\\f.bin", size, time, attributes), 1234);
  EXPECT_EQ(attributes & 0x10u, 0u);
  EXPECT_EQ(WideFindFileInfo(L"C:\\none", size, time, attributes), -1);
  EXPECT_EQ(size, -1);
  EXPECT_EQ(attributes, 0xFFFFFFFFu);
  EXPECT_EQ(time.dwLowDateTime | time.dwHighDateTime, 0u);
  EXPECT_TRUE(WideFileExists(L"C:\\d"));
  EXPECT_TRUE(WideDirectoryExists(L"C:\\D"));
  EXPECT_FALSE(WideDirectoryExists(L"C:\\f.bin"));
  EXPECT_EQ(WideFileSize(L"C:\\f.bin"), 1234u);
  EXPECT_EQ(WideFileSize(L"C:\\none"), 0u);
}
