// upd-7z, the command-line front end, judged by the 7z tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/sevenzip/SevenZipTestSupport.h"

using namespace sztest;
using testing_support::TempDrive;
namespace fs = std::filesystem;

namespace {

int Upd7z(const std::string& args, std::string* err = nullptr) {
  return RunCommand(testing_support::BinDir() + "/upd-7z " + args + " 2>&1 >/dev/null", err);
}

std::vector<std::string> Paths(const std::string& archive, const std::string& password) {
  std::vector<std::string> paths;
  for (const TSltEntry& e : ListArchive(archive, password)) paths.push_back(e.at("Path"));
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

TEST(UpdTool, AddsRelativeToTheRoot) {
  TempDrive drive;
  drive.WriteFile("stage/info.txt", "i");
  drive.WriteFile("stage/sub/deep.txt", "d");
  const std::string stage = drive.Host("stage");
  struct Case {
    std::string Args;
    std::vector<std::string> Expected;
  };
  const Case cases[] = {
      {"-p914 -mx5 -root " + Quote(stage + "/") + " out.7z " + Quote(stage + "/*.*"), {"info.txt", "sub"}},
      {"-p914 out.7z " + Quote(stage + "/*.*"), {"info.txt", "sub"}},  // root from the first mask
      {"-p914 -r -q out.7z " + Quote(stage + "/*.*"), {"info.txt", "sub", "sub/deep.txt"}},
  };
  for (const Case& c : cases) {
    fs::remove(drive.Host("out.7z"));
    EXPECT_EQ(RunCommand("cd " + Quote(drive.Root()) + " && " + testing_support::BinDir() + "/upd-7z a " + c.Args +
                         " >/dev/null 2>&1"),
              0)
        << c.Args;
    EXPECT_EQ(TestArchive(drive.Host("out.7z"), "914"), 0) << c.Args;
    EXPECT_EQ(Paths(drive.Host("out.7z"), "914"), c.Expected) << c.Args;
  }
}

TEST(UpdTool, OptionsReachTheArchive) {
  TempDrive drive;
  drive.WriteFile("stage/a.bin", std::string(20000, 'a'));
  drive.WriteFile("stage/b.bin", std::string(20000, 'b'));
  const std::string mask = Quote(drive.Host("stage") + "/*.*");
  const std::string out = drive.Host("o.7z");

  ASSERT_EQ(Upd7z("a -p914 -mx0 " + Quote(out) + " " + mask), 0);
  const std::vector<TSltEntry> stored = ListArchive(out, "914");
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].at("Method").rfind("Copy", 0), 0u);

  fs::remove(out);
  ASSERT_EQ(Upd7z("a -p914 -ms=on " + Quote(out) + " " + mask), 0);
  std::string listing;
  RunCommand("7z l -slt -p914 " + Quote(out), &listing);
  EXPECT_NE(listing.find("Solid = +"), std::string::npos);

  fs::remove(out);
  ASSERT_EQ(Upd7z("a -p914 -mhe=on " + Quote(out) + " " + mask), 0);
  EXPECT_EQ(TestArchive(out, "914"), 0);
  EXPECT_TRUE(ListArchive(out, "wrong").empty());  // names are encrypted too

  ASSERT_EQ(Upd7z("a -p914 -mx0 -v15k " + Quote(drive.Host("v.7z")) + " " + mask), 0);
  EXPECT_EQ(fs::file_size(drive.Host("v.7z.001")), 15360u);
  EXPECT_TRUE(drive.Exists("v.7z.003"));
  EXPECT_EQ(TestArchive(drive.Host("v.7z.001"), "914"), 0);

  ASSERT_EQ(Upd7z("a -p914 -sfx " + Quote(drive.Host("s.7z")) + " " + mask), 0);
  EXPECT_TRUE(fs::status(drive.Host("s.exe")).permissions() != fs::perms::none);
  EXPECT_EQ(RunCommand(Quote(drive.Host("s.exe")) + " t -p914 >/dev/null 2>&1"), 0);
}

TEST(UpdTool, ProgressLineOnATerminal) {
  TempDrive drive;
  drive.WriteFile("stage/a.bin", std::string(3000000, 'a'));
  drive.WriteFile("stage/b.bin", std::string(3000000, 'b'));
  std::wstring longName(70, L'\x434');  // "д" x 70: two bytes each on the terminal
  drive.WriteFile("stage/" + win::WideToUtf8(longName) + ".txt", "z");
  // stderr on a pseudo-terminal, as a person running the tool sees it.
  const char* const pty =
      "import os, subprocess, sys\n"
      "m, s = os.openpty()\n"
      "p = subprocess.Popen(sys.argv[1:], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=s)\n"
      "os.close(s)\n"
      "out = bytearray()\n"
      "while True:\n"
      "    try: d = os.read(m, 65536)\n"
      "    except OSError: break\n"
      "    if not d: break\n"
      "    out += d\n"
      "sys.stdout.buffer.write(out)\n"
      "sys.exit(p.wait())\n";
  std::string screen;
  ASSERT_EQ(RunCommand("python3 -c " + Quote(pty) + " " + testing_support::BinDir() + "/upd-7z a -p914 -mx0 " +
                           Quote(drive.Host("p.7z")) + " " + Quote(drive.Host("stage") + "/*.*") + " </dev/null",
                       &screen),
            0);
  std::vector<int> percents;
  for (size_t pos = 0; (pos = screen.find('\r', pos)) != std::string::npos; ++pos)
    if (pos + 4 < screen.size() && screen[pos + 4] == '%') percents.push_back(std::stoi(screen.substr(pos + 1, 3)));
  ASSERT_GE(percents.size(), 3u) << screen;
  // A file that starts keeps the add's percentage.
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end())) << screen;
  EXPECT_EQ(percents.back(), 100);
  // A long name is cut by characters, never inside one.
  EXPECT_NE(screen.find("..." + win::WideToUtf8(std::wstring(53, L'\x434')) + ".txt"), std::string::npos);
  EXPECT_EQ(win::WideToUtf8(win::Utf8ToWide(screen)), screen);
  EXPECT_EQ(TestArchive(drive.Host("p.7z"), "914"), 0);
}

TEST(UpdTool, ExitStatus) {
  TempDrive drive;
  std::string err;
  for (const char* bad : {"", "x out.7z m", "a out.7z", "a -mx4 out.7z m", "a -zz out.7z m", "a -v out.7z m",
                          "a -root"}) {
    EXPECT_EQ(Upd7z(bad, &err), 2) << bad;
    EXPECT_NE(err.find("usage:"), std::string::npos) << bad;
  }
  EXPECT_EQ(Upd7z("a " + Quote(drive.Host("e.7z")) + " " + Quote(drive.Host("none") + "/*.*"), &err), 1);
  EXPECT_NE(err.find("No files to add"), std::string::npos);
  EXPECT_EQ(Upd7z("a " + Quote(drive.Host("no/dir/e.7z")) + " " + Quote(drive.Host("*.*")), &err), 1);
  EXPECT_NE(err.find("cannot write"), std::string::npos);
  // The SFX copy fails before the library is called: only the component's message.
  drive.WriteFile("s.exe", "old");
  EXPECT_EQ(Upd7z("a -p1 -sfx " + Quote(drive.Host("s.7z")) + " " + Quote(drive.Host("*.*")), &err), 1);
  EXPECT_NE(err.find("upd-7z: Could not create SFX: "), std::string::npos) << err;
  EXPECT_EQ(err.find("library"), std::string::npos) << err;
  EXPECT_EQ(drive.ReadFile("s.exe"), "old");
}
