// The extraction driver: selection, destinations, overwriting, events and
// attributes, on archives made by zip and Python's zipfile.
#include <sys/stat.h>

#include "tests/zip/ExtractTestSupport.h"
#include "vcl/Application.h"
#include "vcl/Operator.h"

namespace extract_test {
namespace {

// src/ holds readme.txt, a/readme.txt, a/b/readme.txt, a/data.bin (40000
// bytes, incompressible) and an empty directory e/; pkg.zip is zip -r of it:
// four files and the directory entries a/, a/b/ and e/.
class ExtractDriver : public ExtractTest {
 protected:
  void MakePackage(const std::string& zipOptions = "") {
    Drive.WriteFile("src/readme.txt", "root readme\n");
    Drive.WriteFile("src/a/readme.txt", "a readme\n");
    Drive.WriteFile("src/a/b/readme.txt", std::string(5000, 'b'));
    Sh("mkdir -p src/e && head -c 40000 /dev/urandom > src/a/data.bin");
    Sh("cd src && zip -q -r " + zipOptions + " ../pkg.zip readme.txt a e");
    Open("pkg.zip");
  }
};

TEST_F(ExtractDriver, InstallerSettingsPutEveryFileIntoDestDir) {
  MakePackage();
  Zip->SetDoAll(true);
  LogEvents();
  // readme.txt thrice: each later one overwrites (OverwriteMode Always).
  Zip->SetOverwriteMode(Always);
  EXPECT_EQ(Zip->UnZip(), 4);  // the directory entries a/, a/b/, e/ are not counted
  EXPECT_EQ(Out("data.bin"), Drive.ReadFile("src/a/data.bin"));
  EXPECT_TRUE(OutExists("readme.txt"));
  EXPECT_FALSE(OutExists("a"));
  EXPECT_FALSE(OutExists("e"));
  EXPECT_EQ(Log.front(), "info 4 45021");
  EXPECT_TRUE(UI.Boxes.empty());
}

TEST_F(ExtractDriver, DestDirAndRootDirSetters) {
  const struct {
    const char* Value;
    const char* DestDir;
    const char* RootDir;
  } cases[] = {{"C:\\out\\", "C:\\out", "C:\\out\\"}, {"C:\\x", "C:\\x", "C:\\x\\"}, {"", "", ""},
               {"C:\\out\\\\", "C:\\out\\", "C:\\out\\\\"}};
  for (const auto& c : cases) {
    Zip->SetDestDir(c.Value);
    Zip->SetRootDir(c.Value);
    EXPECT_EQ(Zip->DestDir(), c.DestDir);
    EXPECT_EQ(Zip->RootDir(), c.RootDir);
  }
  // "?" asks; a cancelled chooser keeps the old value.
  try {
    Zip->SetDestDir("?");
    FAIL() << "no exception";
  } catch (const EUserCanceled& e) {
    EXPECT_EQ(e.Message(), "User canceled Set Desination Directory");
  }
  EXPECT_EQ(Zip->DestDir(), "C:\\out\\");
}

TEST_F(ExtractDriver, DirectoryChooserCreatesATypedDirectoryOnlyWhenConfirmed) {
  THeadlessOperator* op = Application->Operator();
  ASSERT_NE(op, nullptr);
  const struct {
    const char* Typed;  // what the user chose or typed in the chooser
    int Box;            // the answer to "Create it?"
    const char* DestDir;  // afterwards; null: cancelled
    bool Asked;
  } cases[] = {
      {"C:\\new\\deeper", IDYES, "C:\\new\\deeper", true},
      {"C:\\refused", IDNO, nullptr, true},  // the chooser comes back and is cancelled
      {"C:\\", IDNO, "C:", false},           // an existing directory needs no question
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Typed);
    op->Reset();
    UI.Boxes.clear();
    UI.Answer = c.Box;
    Zip->SetDestDir("C:\\before");
    op->AnswerDirectory(c.Typed);
    if (c.DestDir) {
      Zip->SetDestDir("?");
      EXPECT_EQ(Zip->DestDir(), c.DestDir);
    } else {
      EXPECT_THROW(Zip->SetDestDir("?"), EUserCanceled);
      EXPECT_EQ(Zip->DestDir(), "C:\\before");
    }
    EXPECT_EQ(DirExists(c.Typed), c.DestDir != nullptr);
    std::vector<std::string> asked;
    if (c.Asked) asked.push_back("Confirm: The specified directory does not exist. Create it? [Yes/No]");
    EXPECT_EQ(UI.Boxes, asked);
  }
  op->Reset();
}

TEST_F(ExtractDriver, RecreateDirsAndRootDir) {
  Py("build('dirs.zip', [entry(n, b'x') for n in "
     "['data/f1.txt', '/data/f2.txt', 'C:/data/f3.txt', 'UPDATE/AUTO/f4.txt', 'f5.txt', 'Other/f6.txt']])");
  Open("dirs.zip");
  Zip->SetDoAll(true);
  Zip->SetRecreateDirs(true);
  Zip->SetRootDir("Update");
  LogEvents();
  EXPECT_EQ(Zip->UnZip(), 6);
  for (const char* path : {"data/f1.txt", "data/f2.txt", "data/f3.txt", "AUTO/f4.txt", "f5.txt",
                           "Other/f6.txt"})
    EXPECT_EQ(Out(path), "x") << path;
  EXPECT_EQ(Log[1], "start 0 C:\\out\\data\\f1.txt");
  EXPECT_EQ(Log[3], "start 1 C:\\out\\data\\f2.txt");
  EXPECT_EQ(Log[7], "start 3 C:\\out\\AUTO\\f4.txt");
}

TEST_F(ExtractDriver, DirectoryEntriesWithRecreateDirs) {
  MakePackage();
  Zip->SetDoAll(true);
  Zip->SetRecreateDirs(true);
  LogEvents();
  EXPECT_EQ(Zip->UnZip(), 7);  // 4 files, 3 directories
  EXPECT_TRUE(OutExists("e"));
  EXPECT_EQ(Out("a/b/readme.txt"), std::string(5000, 'b'));
  // A directory entry reports its directory path as FName.
  const int e = static_cast<int>(Zip->EntryCount()) - 1;  // e/ was added last
  EXPECT_EQ(Zip->Entry(e).Directory(), "e\\");
  EXPECT_EQ(Log.back(), "start " + std::to_string(e) + " C:\\out\\e\\");
}

TEST_F(ExtractDriver, SelectionByPatterns) {
  MakePackage();
  LogEvents();
  Zip->SetOverwriteMode(Always);  // the readme.txt files meet in DestDir
  const struct {
    std::vector<std::string> Patterns;
    int Count;
    std::vector<std::string> Files;  // in DestDir afterwards
  } cases[] = {
      {{"*\\readme.txt"}, 2, {"readme.txt"}},  // a\ and a\b\, not the root one
      {{"README.TXT"}, 1, {"readme.txt"}},
      {{"a\\d*", "nothing"}, 1, {"data.bin"}},
      {{}, 0, {}},
  };
  for (const auto& c : cases) {
    Sh("rm -rf out");
    Log.clear();
    TStringList list;
    for (const auto& p : c.Patterns) list.Add(p);
    Zip->SetFilesList(&list);
    EXPECT_EQ(Zip->UnZip(), c.Count) << c.Patterns.size();
    EXPECT_EQ(Log.front().substr(0, 6), "info " + std::to_string(c.Count));
    for (const auto& f : c.Files) EXPECT_TRUE(OutExists(f)) << f;
  }
}

TEST_F(ExtractDriver, StopNowExtractsNothing) {
  MakePackage();
  Zip->SetDoAll(true);
  Zip->OnStartUnZipInfo = [](TObject*, int, Comp, bool& StopNow) { StopNow = true; };
  EXPECT_EQ(Zip->UnZip(), 4);
  EXPECT_FALSE(Drive.Exists("out/readme.txt"));
}

TEST_F(ExtractDriver, EventsInOrderWithTheirArguments) {
  Drive.WriteFile("src/one.txt", "one");
  Sh("head -c 40000 /dev/urandom > src/big.bin && cd src && zip -q -0 ../pkg.zip one.txt big.bin");
  Open("pkg.zip");
  Zip->SetDoAll(true);
  LogEvents();
  Zip->OnFilePercentDone = [this](TObject*, int P) { Log.push_back("file% " + std::to_string(P)); };
  Zip->OnTotalPercentDone = [this](TObject*, int P) { Log.push_back("total% " + std::to_string(P)); };
  EXPECT_EQ(Zip->UnZip(), 2);
  // The stored 40000 bytes go out in chunks of 16000, 16000 and 8000.
  const std::vector<std::string> expected = {
      "info 2 40003",      "start 0 C:\\out\\one.txt", "file% 100", "total% 0",
      "end 0 C:\\out\\one.txt", "start 1 C:\\out\\big.bin", "file% 40", "total% 40",
      "file% 80",          "total% 80",               "file% 100", "total% 100",
      "end 1 C:\\out\\big.bin"};
  EXPECT_EQ(Log, expected);
  EXPECT_EQ(Out("big.bin"), Drive.ReadFile("src/big.bin"));
}

TEST_F(ExtractDriver, OverwriteModes) {
  MakePackage();
  TStringList list;
  list.Add("readme.txt");
  Zip->SetFilesList(&list);
  LogEvents();
  const struct {
    TUZOverwriteMode Mode;
    int Handler;  // -1 none, 0 answers No, 1 Yes, 2 Yes to another name
    int BoxAnswer;
    int Count;
    std::string Old, Other, Box;
  } cases[] = {
      {Always, -1, IDNO, 1, "root readme\n", "", ""},
      {Never, -1, IDNO, 0, "old", "", ""},
      {Prompt, -1, IDNO, 0, "old", "", "File Exists Alert: Replace existing file readme.txt? [Yes/No]"},
      {Prompt, -1, IDYES, 1, "root readme\n", "", "File Exists Alert: Replace existing file readme.txt? [Yes/No]"},
      {Prompt, 0, IDYES, 0, "old", "", ""},
      {Prompt, 1, IDNO, 1, "root readme\n", "", ""},
      {Prompt, 2, IDNO, 1, "old", "root readme\n", ""},
  };
  for (const auto& c : cases) {
    Drive.WriteFile("out/readme.txt", "old");
    Sh("rm -f out/other.txt");
    UI.Boxes.clear();
    UI.Answer = c.BoxAnswer;
    Log.clear();
    Zip->SetOverwriteMode(c.Mode);
    Zip->OnPromptForOverwrite = nullptr;
    if (c.Handler >= 0)
      Zip->OnPromptForOverwrite = [h = c.Handler](TObject*, bool& OverWriteIt, int FileIndex,
                                                  AnsiString& FName) {
        EXPECT_FALSE(OverWriteIt);
        EXPECT_EQ(FileIndex, 0);
        EXPECT_EQ(FName, "C:\\out\\readme.txt");
        OverWriteIt = h > 0;
        if (h == 2) FName = "C:\\out\\other.txt";
      };
    EXPECT_EQ(Zip->UnZip(), c.Count) << c.Mode << c.Handler;
    EXPECT_EQ(Out("readme.txt"), c.Old) << c.Mode << c.Handler;
    if (!c.Other.empty()) {
      EXPECT_EQ(Out("other.txt"), c.Other);
    }
    EXPECT_EQ(UI.Boxes, c.Box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.Box});
    if (c.Count == 0) {
      EXPECT_EQ(Log.back(), "skip 1 readme.txt 0");
    }
  }
}

TEST_F(ExtractDriver, SkipInStartUnZipLeavesAnExistingFileAlone) {
  MakePackage();
  TStringList list;
  list.Add("readme.txt");
  Zip->SetFilesList(&list);
  Zip->SetOverwriteMode(Always);
  Drive.WriteFile("out/readme.txt", "keep me");
  Zip->OnStartUnZip = [](TObject*, int, const AnsiString&, bool& Skip) { Skip = true; };
  EXPECT_EQ(Zip->UnZip(), 1);  // a skipped entry counts as extracted
  EXPECT_EQ(Out("readme.txt"), "keep me");
}

TEST_F(ExtractDriver, DateAndAttributes) {
  // DOS entries (made_by 0) with the read-only bit, and Unix entries with modes.
  Py("build('attr.zip', ["
     "entry('ro.txt', b'r', ext_attr=0x21, made_by=0, dos_time=0x7A3C, dos_date=0x4E7D),"
     "entry('rw.txt', b'w', ext_attr=0x20, made_by=0),"
     "entry('exec.sh', b'x', ext_attr=(0o100755 << 16), made_by=0x317),"
     "entry('setuid', b's', ext_attr=(0o104755 << 16), made_by=0x317),"
     "entry('link', b'target', ext_attr=(0o120777 << 16), made_by=0x317),"
     "entry('unixro', b'u', ext_attr=(0o100644 << 16) | 1, made_by=0x317)])");
  Open("attr.zip");
  Zip->SetDoAll(true);
  EXPECT_EQ(Zip->UnZip(), 6);
  const struct {
    const char* Name;
    unsigned Mode;
  } cases[] = {{"ro.txt", 0444}, {"rw.txt", 0644}, {"exec.sh", 0755},
               {"setuid", 0755}, {"link", 0644},  {"unixro", 0444}};
  for (const auto& c : cases) {
    struct stat st;
    ASSERT_EQ(lstat(Drive.Host("out/" + std::string(c.Name)).c_str(), &st), 0) << c.Name;
    EXPECT_TRUE(S_ISREG(st.st_mode)) << c.Name;
    // Only the owner's write bit follows the DOS read-only attribute; group
    // and others keep the umask's choice, so compare what the test controls.
    EXPECT_EQ(st.st_mode & 07700, c.Mode & 07700) << c.Name;
  }
  EXPECT_EQ(Out("link"), "target");
  // The stored date and time, 2019-03-29 15:17:56, as local time.
  struct stat st;
  ASSERT_EQ(stat(Drive.Host("out/ro.txt").c_str(), &st), 0);
  struct tm t;
  localtime_r(&st.st_mtime, &t);
  EXPECT_EQ((t.tm_year - 80) << 25 | (t.tm_mon + 1) << 21 | t.tm_mday << 16 | t.tm_hour << 11 |
                t.tm_min << 5 | t.tm_sec / 2,
            0x4E7D7A3C);
  // RetainAttributes off: the read-only entry is writable.
  Sh("chmod -R u+w out && rm -rf out");
  Zip->SetRetainAttributes(false);
  EXPECT_EQ(Zip->UnZip(), 6);
  ASSERT_EQ(stat(Drive.Host("out/ro.txt").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
}

TEST_F(ExtractDriver, ZipSlipIsRefused) {
  Py("build('slip.zip', [entry(n, b'evil') for n in "
     "['../../etc/x.txt', 'a/../../x/f.txt', '..\\\\up.txt', 'C:/../y.txt', '../', 'ok/../in.txt',"
     " 'good.txt']])");
  Open("slip.zip");
  Zip->SetDoAll(true);
  Zip->SetRecreateDirs(true);
  std::vector<std::string> skipped;
  Zip->OnSkippingFile = [&](TObject*, TSkipReason R, const AnsiString& F, int) {
    EXPECT_EQ(R, srFileOpenError);
    skipped.push_back(F);
  };
  Sh("mkdir -p deep/er");
  Zip->SetDestDir("C:\\deep\\er\\out");
  EXPECT_EQ(Zip->UnZip(), 2);
  EXPECT_EQ(skipped, (std::vector<std::string>{"..\\..\\etc\\x.txt", "a\\..\\..\\x\\f.txt",
                                                "..\\up.txt", "C:\\..\\y.txt", "..\\"}));
  EXPECT_EQ(Drive.ReadFile("deep/er/out/in.txt"), "evil");
  EXPECT_EQ(Drive.ReadFile("deep/er/out/good.txt"), "evil");
  // Nothing was created outside the destination.
  std::string listing;
  RunCommand("cd '" + Drive.Root() + "' && find . -not -path './deep/er/out*' | sort", &listing);
  EXPECT_EQ(listing, ".\n./deep\n./deep/er\n./slip.zip\n");
}

}  // namespace
}  // namespace extract_test
