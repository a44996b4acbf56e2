// upd-unzip run as a program: what it extracts is compared with the files the
// archives were made from, what it lists with the names the tools stored.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempDrive.h"

namespace {

using testing_support::RunCommand;
using testing_support::TempDrive;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs upd-unzip in the drive's root; Out gets stdout, Err stderr.
int UpdUnzip(const TempDrive& drive, const std::string& args, std::string* out = nullptr,
             std::string* err = nullptr) {
  const std::string errFile = drive.Host("stderr.txt");
  const int rc = RunCommand("cd " + Quote(drive.Root()) + " && " + testing_support::BinDir() + "/upd-unzip " +
                                args + " </dev/null 2>" + Quote(errFile),
                            out);
  if (err) *err = drive.ReadFile("stderr.txt");
  return rc;
}

int Sh(const TempDrive& drive, const std::string& command) {
  return RunCommand("cd " + Quote(drive.Root()) + " && (" + command + "\n) >/dev/null 2>&1");
}

// A small tree: text across several 16000-byte chunks and a 32 KiB window,
// random bytes that deflate cannot shrink, a long run, an empty file, and
// directories two deep.
void MakeSources(const TempDrive& drive) {
  ASSERT_EQ(Sh(drive, R"(python3 - <<'EOF'
import os, random
r = random.Random(7)
os.makedirs('src/data/deep', exist_ok=True)
words = ['pump', 'tank', 'shift', 'receipt', 'litre', 'price', 'card', 'cash']
with open('src/readme.txt', 'w') as f:
    for i in range(9000):
        f.write(' '.join(r.choice(words) for _ in range(8)) + '\n')
with open('src/data/random.bin', 'wb') as f:
    f.write(bytes(r.getrandbits(8) for _ in range(70000)))
with open('src/data/deep/run.bin', 'wb') as f:
    f.write(b'\x00' * 40000 + b'end')
open('src/empty.txt', 'w').close()
EOF)"), 0);
}

struct TMaker {
  const char* Name;
  const char* Command;  // run in src/, writes ../a.zip
  const char* Options;  // for upd-unzip
};

const TMaker Makers[] = {
    {"zip -P", "zip -qr -P secret ../a.zip .", "-P secret"},
    {"zip -0", "zip -qr0 ../a.zip .", ""},
    {"7z a -tzip -p", "7z a -tzip -psecret ../a.zip .", "-P secret"},
    {"python zipfile", R"(python3 -c "
import os, zipfile
with zipfile.ZipFile('../a.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    for d, _, fs in sorted(os.walk('.')):
        for f in sorted(fs):
            z.write(os.path.join(d, f))
")",
     ""},
};

TEST(UpdUnzip, ExtractsWhatTheToolsPackedByteForByte) {
  for (const TMaker& m : Makers) {
    TempDrive drive;
    MakeSources(drive);
    ASSERT_EQ(Sh(drive, std::string("cd src && ") + m.Command), 0) << m.Name;
    std::string err;
    EXPECT_EQ(UpdUnzip(drive, std::string(m.Options) + " -r -d out a.zip", nullptr, &err), 0) << m.Name << err;
    EXPECT_EQ(err, "") << m.Name;
    EXPECT_EQ(Sh(drive, "diff -r src out"), 0) << m.Name;
    // Without -r every file lands directly in the destination.
    EXPECT_EQ(UpdUnzip(drive, std::string(m.Options) + " -d flat a.zip"), 0) << m.Name;
    EXPECT_EQ(Sh(drive, "cmp src/data/deep/run.bin flat/run.bin && cmp src/readme.txt flat/readme.txt"), 0)
        << m.Name;
  }
}

TEST(UpdUnzip, ExtractsIntoTheCurrentDirectoryWithoutD) {
  TempDrive drive;
  MakeSources(drive);
  ASSERT_EQ(Sh(drive, "cd src && zip -qr -P secret ../a.zip . && mkdir ../here"), 0);
  ASSERT_EQ(RunCommand("cd " + Quote(drive.Host("here")) + " && " + testing_support::BinDir() +
                       "/upd-unzip -r -P secret ../a.zip </dev/null"),
            0);
  EXPECT_EQ(Sh(drive, "diff -r src here"), 0);
}

// A CP866 name as DOS-era tools store it, and a name flagged as UTF-8 (Python
// sets the flag for any name outside ASCII), both listed in UTF-8.
TEST(UpdUnzip, ListsStoredPathsInUtf8) {
  TempDrive drive;
  ASSERT_EQ(Sh(drive, R"(python3 - <<'EOF'
import zipfile
with zipfile.ZipFile('n.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr(zipfile.ZipInfo('dir/XXXXXX.txt', (2021, 3, 4, 5, 6, 8)), b'oem name')
    z.writestr(zipfile.ZipInfo('Цены/прайс.txt', (2022, 12, 31, 23, 59, 58)), b'utf-8 name ' * 10,
               compress_type=zipfile.ZIP_DEFLATED)
data = open('n.zip', 'rb').read().replace(b'XXXXXX', 'Отчет'.encode('cp866') + b'1')
open('n.zip', 'wb').write(data)
EOF)"), 0);
  ASSERT_EQ(Sh(drive, "mkdir s && echo secret-data > s/p.txt && cd s && zip -q -P pw ../e.zip p.txt"), 0);

  std::string out;
  ASSERT_EQ(UpdUnzip(drive, "-l n.zip", &out), 0);
  EXPECT_NE(out.find("2021-03-04 05:06:08       dir/Отчет1.txt\n"), std::string::npos) << out;
  EXPECT_NE(out.find("2022-12-31 23:59:58       Цены/прайс.txt\n"), std::string::npos) << out;
  EXPECT_NE(out.find("       110"), std::string::npos) << out;  // the uncompressed size
  EXPECT_NE(out.find("Deflate"), std::string::npos) << out;

  ASSERT_EQ(UpdUnzip(drive, "-l e.zip", &out), 0);
  // Length, size with the 12-byte encryption header, method, CRC-32, mark.
  EXPECT_NE(out.find("        12         24  Stored    "), std::string::npos) << out;
  EXPECT_NE(out.find("    *  p.txt\n"), std::string::npos) << out;
  std::string crc;
  ASSERT_EQ(RunCommand("python3 -c \"import zlib; print('%08x' % zlib.crc32(b'secret-data\\n'))\"", &crc), 0);
  EXPECT_NE(out.find(crc.substr(0, 8)), std::string::npos) << out;

  // Extracted, the names are the same characters on disk.
  ASSERT_EQ(UpdUnzip(drive, "-r -d x n.zip"), 0);
  EXPECT_EQ(drive.ReadFile("x/dir/Отчет1.txt"), "oem name");
  EXPECT_TRUE(drive.Exists("x/Цены/прайс.txt"));
}

TEST(UpdUnzip, ExitStatusTellsWhatHappened) {
  TempDrive drive;
  ASSERT_EQ(Sh(drive, R"(mkdir s && cd s && printf 'a%.0s' $(seq 1 3000) > a.txt && echo b > b.txt &&
      zip -q -P pw ../enc.zip a.txt b.txt && zip -q -0 ../plain.zip a.txt b.txt &&
      echo junk > ../junk.zip && head -c 200 ../plain.zip > ../cut.zip)"),
            0);
  // plain.zip with one data byte of a.txt changed: its CRC-32 no longer fits.
  ASSERT_EQ(Sh(drive, R"PY(python3 -c "
d = bytearray(open('plain.zip', 'rb').read()); d[30 + 5 + 100] ^= 1; open('bad.zip', 'wb').write(d)")PY"),
            0);
  ASSERT_EQ(Sh(drive, "mkdir pre && echo old > pre/b.txt"), 0);

  struct Case {
    std::string Args;
    int Status;
    std::string ErrHas;  // a piece of stderr ("" for none at all)
  };
  const Case cases[] = {
      {"-P pw -d ok enc.zip", 0, ""},
      {"-q -d ok2 plain.zip", 0, ""},
      {"-P wrong -d w enc.zip", 1, "skipped a.txt: wrong password"},
      {"-d w2 enc.zip", 1, "skipped b.txt: encrypted, no password given (-P)"},
      {"-n -d pre plain.zip", 1, "skipped b.txt: exists, not replaced"},
      {"-d pre plain.zip", 1, "skipped b.txt: exists, not replaced"},  // stdin is no terminal
      {"-d bad bad.zip", 1, "failed a.txt: CRC error"},
      {"-d nm plain.zip nothing.txt", 1, "no entry matches nothing.txt"},
      {"-d j junk.zip", 2, "upd-unzip: junk.zip: "},
      {"-d m missing.zip", 2, "upd-unzip: missing.zip: "},
      {"-d c cut.zip", 2, "upd-unzip: cut.zip: "},
      {"-o -n plain.zip", 2, "usage:"},
      {"-d x", 2, "usage:"},
      {"-x plain.zip", 2, "usage:"},
      {"-d '' plain.zip", 2, "usage:"},
  };
  for (const Case& c : cases) {
    std::string err;
    EXPECT_EQ(UpdUnzip(drive, c.Args, nullptr, &err), c.Status) << c.Args << "\n" << err;
    if (c.ErrHas.empty())
      EXPECT_EQ(err, "") << c.Args;
    else
      EXPECT_NE(err.find(c.ErrHas), std::string::npos) << c.Args << "\n" << err;
  }
  EXPECT_EQ(drive.ReadFile("ok/b.txt"), "b\n");
  EXPECT_EQ(drive.ReadFile("pre/b.txt"), "old\n");  // never replaced without -o
  EXPECT_FALSE(drive.Exists("bad/a.txt"));          // a failed entry leaves no file
  EXPECT_EQ(drive.ReadFile("bad/b.txt"), "b\n");
  EXPECT_EQ(UpdUnzip(drive, "-o -d pre plain.zip"), 0);
  EXPECT_EQ(drive.ReadFile("pre/b.txt"), "b\n");
}

TEST(UpdUnzip, PatternsSelectByStoredPath) {
  TempDrive drive;
  ASSERT_EQ(Sh(drive, "mkdir -p s/docs/old && cd s && echo r > README.TXT && echo d > docs/a.txt && "
                      "echo o > docs/old/b.txt && echo c > docs/c.cfg && zip -qr ../p.zip ."),
            0);
  struct Case {
    std::string Patterns;
    std::string Expected;  // files found under the destination, sorted
  };
  const Case cases[] = {
      {"'*.txt'", "./README.TXT ./docs/a.txt ./docs/old/b.txt"},  // case-blind, across directories
      {"'*/*.txt'", "./docs/a.txt ./docs/old/b.txt"},  // '/' as the separator, nothing at the root
      {"'docs\\*'", "./docs/a.txt ./docs/c.cfg ./docs/old/b.txt"},
      {"readme.txt 'docs/?.cfg'", "./README.TXT ./docs/c.cfg"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string dir = "o" + std::to_string(n++);
    EXPECT_EQ(UpdUnzip(drive, "-r -d " + dir + " p.zip " + c.Patterns), 0) << c.Patterns;
    std::string found;
    RunCommand("cd " + Quote(drive.Host(dir)) + " && find . -type f | sort | tr '\\n' ' '", &found);
    EXPECT_EQ(found, c.Expected + " ") << c.Patterns;
  }
}

}  // namespace
