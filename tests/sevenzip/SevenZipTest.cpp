// TSevenZip against the real 7-Zip library, with the 7z tool as the judge.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/WinTypes.h"
#include "rtl/Exceptions.h"
#include "sevenzip/SevenZipVCL.h"
#include "tests/sevenzip/SevenZipTestSupport.h"

using namespace sevenzip;
using namespace sztest;
using testing_support::TempDrive;
namespace fs = std::filesystem;

namespace {

constexpr time_t kStamp = 1588748889;  // 2020-05-06 07:08:09 UTC
const char* const kStampText = "2020-05-06 07:08:09";

// The staging directory of an error report, with its two sub-directories.
void MakeStaging(const TempDrive& drive) {
  drive.WriteFile("KORA/Office/ErrorReport/info.txt", "fault");
  drive.WriteFile("KORA/Office/ErrorReport/LogFiles/a.log", std::string(5000, 'a'));
  drive.WriteFile("KORA/Office/ErrorReport/LogFiles/b.log", "");
  drive.WriteFile("KORA/Office/ErrorReport/RORADAD/RORADAD.FDB", std::string(70000, 'r'));
  for (const char* p : {"info.txt", "LogFiles/a.log", "LogFiles/b.log", "RORADAD/RORADAD.FDB", "LogFiles",
                        "RORADAD"})
    SetModified(drive.Host(std::string("KORA/Office/ErrorReport/") + p), kStamp);
}

// The error report's settings and masks.
void SetReportSettings(TSevenZip& zip, const std::wstring& archive) {
  zip.SZFileName = archive;
  zip.Password = L"914";
  zip.LZMACompressStrength = NORMAL;
  zip.SetVolumeSize(0);
  zip.AddRootDir = L"C:\\KORA\\Office\\ErrorReport\\";
  zip.Files.Add(L"C:\\KORA\\Office\\ErrorReport\\*.*");
  zip.Files.Add(L"C:\\KORA\\Office\\ErrorReport\\logfiles\\*.*");
  zip.Files.Add(L"C:\\KORA\\Office\\ErrorReport\\RORADAD\\*.*");
}

std::vector<std::string> Row(const TSltEntry& e) {
  return {e.at("Path"), e.at("Size"), e.at("Attributes"), e.at("Modified").substr(0, 19), e.at("Encrypted")};
}

}  // namespace

TEST(SevenZip, ReportSettingsGiveTheExpectedEncryptedArchive) {
  TempDrive drive;
  MakeStaging(drive);
  TSevenZip zip(nullptr);
  SetReportSettings(zip, L"C:\\report.7z");
  int messages = 0;
  zip.OnMessage = [&](TObject*, int32_t, const AnsiString&, const std::wstring&) { ++messages; };

  ASSERT_EQ(zip.Add(), 0);
  EXPECT_EQ(messages, 0);
  const std::string archive = drive.Host("report.7z");
  EXPECT_EQ(TestArchive(archive, "914"), 0);
  EXPECT_NE(TestArchive(archive, "wrong"), 0);

  std::vector<std::vector<std::string>> rows;
  for (const TSltEntry& e : ListArchive(archive, "914")) rows.push_back(Row(e));
  std::sort(rows.begin(), rows.end());
  // Sub-directories come twice: from the top-level walk and from their own mask.
  const std::vector<std::vector<std::string>> expected = {
      {"LogFiles", "0", "D", kStampText, "-"},
      {"RORADAD", "0", "D", kStampText, "-"},
      {"RORADAD", "0", "D", kStampText, "-"},
      {"RORADAD/RORADAD.FDB", "70000", "A", kStampText, "+"},
      {"info.txt", "5", "A", kStampText, "+"},
      {"logfiles", "0", "D", kStampText, "-"},
      {"logfiles/a.log", "5000", "A", kStampText, "+"},
      {"logfiles/b.log", "0", "A", kStampText, "-"},
  };
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(zip.AddRootDir, L"C:\\KORA\\OFFICE\\ERRORREPORT\\");
  EXPECT_EQ(zip.LastOSError, 0u);
}

TEST(SevenZip, VolumesFormOneSetThatTheToolReads) {
  TempDrive drive;
  MakeStaging(drive);
  TSevenZip zip(nullptr);
  SetReportSettings(zip, L"C:\\vol.7z");
  zip.LZMACompressStrength = SAVE;  // stored: the volumes' count is known in advance
  zip.SetVolumeSize(30000);
  ASSERT_EQ(zip.Add(), 0);

  EXPECT_FALSE(drive.Exists("vol.7z"));
  std::vector<uintmax_t> sizes;
  for (int n = 1; drive.Exists("vol.7z.00" + std::to_string(n)); ++n)
    sizes.push_back(fs::file_size(drive.Host("vol.7z.00" + std::to_string(n))));
  ASSERT_EQ(sizes.size(), 3u);  // 75005 bytes of data and the headers
  EXPECT_EQ(sizes[0], 30000u);
  EXPECT_EQ(sizes[1], 30000u);
  EXPECT_GT(sizes[2], 15000u);
  EXPECT_EQ(TestArchive(drive.Host("vol.7z.001"), "914"), 0);
}

TEST(SevenZip, SfxExecutableExtractsItself) {
  TempDrive drive;
  MakeStaging(drive);
  TSevenZip zip(nullptr);
  SetReportSettings(zip, L"C:\\out\\rep.7z");
  fs::create_directories(drive.Host("out"));
  zip.SetSFXCreate(true);  // the default module: the system's console SFX
  ASSERT_TRUE(zip.SFXCreate());
  ASSERT_EQ(zip.Add(), 0);

  EXPECT_EQ(zip.SZFileName, L"C:\\out\\rep.exe");
  EXPECT_FALSE(drive.Exists("out/rep.7z"));
  const std::string exe = drive.Host("out/rep.exe");
  const std::string module = testing_support::ReadHostFile("/usr/lib/p7zip/7zCon.sfx");
  EXPECT_EQ(zip.SFXModuleSize, module.size());
  EXPECT_EQ(testing_support::ReadHostFile(exe).substr(0, module.size()), module);
  EXPECT_EQ(RunCommand("cd " + Quote(drive.Host("out")) + " && mkdir x && cd x && ../rep.exe -p914 -y >/dev/null 2>&1"), 0);
  EXPECT_EQ(drive.ReadFile("out/x/info.txt"), "fault");
  EXPECT_EQ(drive.ReadFile("out/x/RORADAD/RORADAD.FDB"), std::string(70000, 'r'));
}

TEST(SevenZip, SfxSettersKeepVolumesAboveTheModule) {
  TempDrive drive;
  drive.WriteFile("mod.sfx", std::string(1000, 'm'));
  struct Case {
    int32_t Before;  // VolumeSize set before SFX mode
    int32_t After;   // VolumeSize set in SFX mode, 0 for none
    int32_t Expected;
  };
  for (const Case& c : {Case{0, 999, 1007}, Case{0, 1003, 1003}, Case{1003, 0, 1007}, Case{2000, 0, 2000},
                        Case{0, 1, 1007}}) {
    TSevenZip zip(nullptr);
    zip.SFXModule = L"C:\\mod.sfx";
    zip.SetVolumeSize(c.Before);
    zip.SetSFXCreate(true);
    if (c.After) zip.SetVolumeSize(c.After);
    EXPECT_EQ(zip.VolumeSize(), c.Expected) << c.Before << " " << c.After;
    EXPECT_EQ(zip.SFXModuleSize, 1000u);
  }
  TSevenZip zip(nullptr);
  zip.SFXModule = L"C:\\missing.sfx";
  zip.SetSFXCreate(true);
  EXPECT_FALSE(zip.SFXCreate());
}

TEST(SevenZip, SfxCopyOntoAnExistingExeReportsError9) {
  TempDrive drive;
  MakeStaging(drive);
  drive.WriteFile("mod.sfx", std::string(1000, 'm'));
  drive.WriteFile("rep.exe", "old");
  TSevenZip zip(nullptr);
  SetReportSettings(zip, L"C:\\rep.7z");
  zip.SFXModule = L"C:\\mod.sfx";
  zip.SetSFXCreate(true);
  std::vector<std::pair<int32_t, std::string>> seen;
  zip.OnMessage = [&](TObject* sender, int32_t code, const AnsiString& text, const std::wstring& name) {
    EXPECT_EQ(sender, &zip);
    seen.emplace_back(code, text + "|" + win::WideToUtf8(name));
  };
  EXPECT_NE(zip.Add(), 0);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], std::make_pair(9, std::string("Could not create SFX|C:\\rep.exe")));
  EXPECT_EQ(zip.LastErrCode, 9);
  EXPECT_NE(zip.LastOSError, 0u);
  EXPECT_EQ(drive.ReadFile("rep.exe"), "old");
}

TEST(SevenZip, MasksMatchingNothingGiveCode10AndAnEmptyFile) {
  TempDrive drive;
  for (const std::vector<std::wstring>& masks :
       {std::vector<std::wstring>{}, {L"C:\\nothing\\*.*", L"C:\\none.txt"}}) {
    TSevenZip zip(nullptr);
    zip.SZFileName = L"C:\\empty.7z";
    for (const std::wstring& m : masks) zip.Files.Add(m);
    std::vector<std::string> seen;
    zip.OnMessage = [&](TObject*, int32_t code, const AnsiString& text, const std::wstring& name) {
      seen.push_back(std::to_string(code) + " " + text + "|" + win::WideToUtf8(name));
    };
    EXPECT_EQ(zip.Add(), -1);
    EXPECT_EQ(seen, std::vector<std::string>{"10 No files to add|"});
    EXPECT_EQ(zip.LastErrCode, 10);
    EXPECT_TRUE(drive.Exists("empty.7z"));
    EXPECT_EQ(fs::file_size(drive.Host("empty.7z")), 0u);
  }
}

TEST(SevenZip, UncreatableOutputEndsWithTheSilentAbort) {
  TempDrive drive;
  MakeStaging(drive);
  TSevenZip zip(nullptr);
  SetReportSettings(zip, L"C:\\no\\such\\dir\\r.7z");
  bool message = false;
  zip.OnMessage = [&](TObject*, int32_t, const AnsiString&, const std::wstring&) { message = true; };
  EXPECT_THROW(zip.Add(), EAbort);
  EXPECT_EQ(zip.LastOSError, win::ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(message);
  EXPECT_FALSE(zip.CancelRequested);
}

TEST(SevenZip, CancelFromAnEventStopsTheAddWithCode6) {
  TempDrive drive;
  MakeStaging(drive);
  TSevenZip zip(nullptr);
  SetReportSettings(zip, L"C:\\c.7z");
  std::vector<int32_t> codes;
  zip.OnAddfile = [&](TObject*, const std::wstring&, int64_t) { zip.Cancel(); };
  zip.OnMessage = [&](TObject*, int32_t code, const AnsiString& text, const std::wstring&) {
    codes.push_back(code);
    EXPECT_EQ(text, "User canceled operation");
  };
  EXPECT_NE(zip.Add(), 0);
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes[0], 6);
  EXPECT_EQ(zip.LastErrCode, 6);
  EXPECT_FALSE(zip.CancelRequested);  // cleared at the end of the add
}

TEST(SevenZip, ComponentWorksFromAnotherThread) {
  TempDrive drive;
  MakeStaging(drive);
  int32_t result = -2;
  std::thread worker([&] {
    TSevenZip zip(nullptr);
    SetReportSettings(zip, L"C:\\t.7z");
    result = zip.Add();
  });
  worker.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(TestArchive(drive.Host("t.7z"), "914"), 0);
}

TEST(SevenZip, EventsReportEachItemAndTheTotal) {
  TempDrive drive;
  MakeStaging(drive);
  TSevenZip zip(nullptr);
  SetReportSettings(zip, L"C:\\e.7z");
  int64_t total = -1;
  std::vector<std::wstring> started;
  std::mutex lock;
  zip.OnPreProgress = [&](TObject*, int64_t max) { total = max; };
  zip.OnAddfile = [&](TObject*, const std::wstring& name, int64_t) {
    std::lock_guard<std::mutex> g(lock);
    started.push_back(name);
  };
  ASSERT_EQ(zip.Add(), 0);
  EXPECT_EQ(total, 75005);
  EXPECT_NE(std::find(started.begin(), started.end(), L"C:\\KORA\\Office\\ErrorReport\\logfiles\\a.log"),
            started.end());
}
