// Reading the directories of archives that real tools made (zip, 7z, Python's
// zipfile), checked entry by entry against Python's own reading of them.
#include <gtest/gtest.h>

#include "tests/zip/ZipOracle.h"
#include "zip/VCLUnZip.h"

using namespace kp;
using namespace zip_oracle;
using testing_support::RunCommand;
using testing_support::TempDrive;

namespace {

// Makes a small tree in the drive: text that deflates, random bytes that do not,
// an empty file and an empty directory, with fixed dates.
void MakeTree(const TempDrive& drive) {
  ASSERT_EQ(RunCommand("cd '" + drive.Root() + "' && mkdir -p src/sub/deeper src/emptydir && "
                       "seq 1 3000 > src/a.txt && head -c 5000 /dev/urandom > src/sub/b.bin && "
                       ": > src/sub/deeper/empty.txt && "
                       "touch -d '2019-03-04 05:06:08' src/a.txt && "
                       "touch -d '2023-11-30 23:58:02' src/sub/b.bin"),
            0);
}

// Every entry of Z, in physical order, equals Python's reading; local header
// offsets are shifted by Shift (a self-extractor's stub).
void ExpectDirectoryMatches(TVCLUnZip& z, const std::string& HostPath, bool FromCentral = true) {
  std::vector<OracleEntry> oracle = PythonDirectory(HostPath);
  ASSERT_FALSE(oracle.empty());
  std::sort(oracle.begin(), oracle.end(),
            [](const OracleEntry& a, const OracleEntry& b) { return a.Offset < b.Offset; });
  ASSERT_EQ(z.EntryCount(), static_cast<int>(oracle.size()));
  for (int i = 0; i < z.EntryCount(); ++i) {
    const OracleEntry& o = oracle[static_cast<size_t>(i)];
    const TZipHeaderInfo& e = z.Entry(i);
    std::string dir, name;
    SplitStored(o.Name, dir, name);
    SCOPED_TRACE(o.Name);
    EXPECT_EQ(e.Directory(), dir);
    EXPECT_EQ(e.FileName(), name);
    EXPECT_EQ(z.EntryName(i), name);
    EXPECT_EQ(e.FileNameLength, dir.size() + name.size());
    EXPECT_EQ(e.LocalHeaderOffset, o.Offset);
    EXPECT_EQ(e.CRC32, o.CRC);
    EXPECT_EQ(static_cast<uint32_t>(e.CompressedSize), o.CompressedSize);
    EXPECT_EQ(static_cast<uint32_t>(e.UncompressedSize), o.UncompressedSize);
    EXPECT_EQ(e.LastModFileDateTime, o.DosDateTime);
    EXPECT_EQ(e.CompressionMethod, o.Method);
    EXPECT_EQ(e.BitFlag, o.Flags);
    if (FromCentral) {
      EXPECT_EQ(e.ExternalAttributes, o.ExternalAttributes);
      EXPECT_NE(e.CentralRecordPos, 0u);
    }
    EXPECT_EQ(e.DiskNumberStart, 0);
    EXPECT_FALSE(e.Selected);
  }
}

TEST(Directory, ArchivesOfRealTools) {
  const struct { const char* tool; const char* command; } makers[] = {
      {"zip", "cd src && zip -q -r ../t.zip ."},
      {"zip -D", "cd src && zip -q -r -D ../t.zip a.txt sub"},
      {"7z", "cd src && 7z a -tzip -bd ../t.zip . >/dev/null"},
      {"7z stored", "cd src && 7z a -tzip -mx=0 -bd ../t.zip . >/dev/null"},
      {"python", "python3 -c \"import zipfile\n"
                 "z = zipfile.ZipFile('t.zip', 'w')\n"
                 "z.write('src/a.txt', 'a.txt', zipfile.ZIP_DEFLATED)\n"
                 "z.write('src/sub/b.bin', 'sub/b.bin', zipfile.ZIP_STORED)\n"
                 "z.writestr(zipfile.ZipInfo('dir/', (2001, 2, 3, 4, 5, 6)), '')\n"
                 "z.writestr(zipfile.ZipInfo('dir/x/y.txt', (2099, 12, 31, 23, 59, 58)), 'y' * 100)\n"
                 "z.close()\""},
  };
  for (const auto& m : makers) {
    SCOPED_TRACE(m.tool);
    TempDrive drive;
    MakeTree(drive);
    ASSERT_EQ(RunCommand("cd '" + drive.Root() + "' && " + m.command), 0);
    TVCLUnZip z(nullptr);
    z.SetZipName("C:\\t.zip");
    EXPECT_EQ(z.EntryCount(), 0);  // nothing is read before it is needed
    z.OpenArchive();
    EXPECT_EQ(z.MultiPartMode(), mpNone);
    ExpectDirectoryMatches(z, drive.Host("t.zip"));
    z.CloseArchive();
  }
}

TEST(Directory, NamesInOemAndUtf8ComeOutInAnsi) {
  TempDrive drive;
  // Python writes a non-ASCII name as UTF-8 with bit 11 set. The OEM names are
  // written under placeholders of the same length whose bytes are then replaced
  // by the CP866 form, as a DOS archiver would have stored them.
  ASSERT_EQ(RunPython(drive.Root(), R"(
import zipfile
z = zipfile.ZipFile('names.zip', 'w')
z.writestr('Привет/файл.txt', 'u')
z.writestr('QQQQQQ/WWWW.txt', 'o')
z.writestr('日本.txt', 'x')
z.close()
data = open('names.zip', 'rb').read()
data = data.replace(b'QQQQQQ/WWWW', 'Привет/файл'.encode('cp866'))
open('names.zip', 'wb').write(data)
)"),
            0);
  TVCLUnZip z(nullptr);
  z.SetZipName("C:\\names.zip");
  z.OpenArchive();
  ASSERT_EQ(z.EntryCount(), 3);
  const std::string privet = "\xCF\xF0\xE8\xE2\xE5\xF2\\";  // "Привет\" in CP1251
  const std::string fail = "\xF4\xE0\xE9\xEB.txt";          // "файл.txt"
  EXPECT_EQ(z.Entry(0).Directory(), privet);
  EXPECT_EQ(z.Entry(0).FileName(), fail);
  EXPECT_NE(z.Entry(0).BitFlag & 0x800, 0);
  EXPECT_EQ(z.Entry(1).Directory(), privet);
  EXPECT_EQ(z.Entry(1).FileName(), fail);
  EXPECT_EQ(z.Entry(1).BitFlag & 0x800, 0);
  EXPECT_EQ(z.Entry(2).FileName(), "??.txt");  // no CP1251 form
  EXPECT_EQ(z.Entry(2).Directory(), "");
}

TEST(Directory, CommentsLoadOnDemand) {
  TempDrive drive;
  ASSERT_EQ(RunPython(drive.Root(), R"(
import zipfile
z = zipfile.ZipFile('c.zip', 'w')
a = zipfile.ZipInfo('a.txt'); a.comment = b'first entry comment'
z.writestr(a, 'aaa')
z.writestr('b.txt', 'bbb')
c = zipfile.ZipInfo('c.txt'); c.comment = b'third PK\x05\x06 in a comment'
z.writestr(c, 'ccc')
z.comment = b'archive comment with PK\x05\x06 inside'
z.close()
)"),
            0);
  TVCLUnZip z(nullptr);
  z.SetZipName("C:\\c.zip");
  z.OpenArchive();
  z.CloseArchive();
  ASSERT_EQ(z.EntryCount(), 3);
  EXPECT_EQ(z.Entry(0).FileComment(), nullptr);  // not read yet
  EXPECT_EQ(z.Entry(0).FileCommentLength, 19);
  EXPECT_EQ(z.EntryComment(0), "first entry comment");
  EXPECT_STREQ(z.Entry(0).FileComment(), "first entry comment");
  EXPECT_EQ(z.EntryComment(1), "");
  EXPECT_EQ(z.EntryComment(2), "third PK\x05\x06 in a comment");
  EXPECT_EQ(z.ArchiveComment(), "archive comment with PK\x05\x06 inside");
  // Setting only replaces the text in memory.
  z.SetEntryComment(1, "new");
  EXPECT_EQ(z.EntryComment(1), "new");
  z.SetArchiveComment("changed");
  EXPECT_EQ(z.ArchiveComment(), "changed");
  EXPECT_EQ(RunCommand("cd '" + drive.Root() + "' && unzip -z c.zip | grep -q 'archive comment'"), 0);
}

TEST(Directory, SelfExtractorIsRebuiltFromLocalHeaders) {
  TempDrive drive;
  MakeTree(drive);
  // A 15000-byte stub without any "PK", then an archive whose offsets count
  // from its own start, as a plain concatenation leaves them.
  ASSERT_EQ(RunCommand("cd '" + drive.Root() + "' && cd src && zip -q -r ../plain.zip a.txt sub && cd .. && "
                       "head -c 15000 /dev/zero | tr '\\0' 'M' > setup.EXE && cat plain.zip >> setup.EXE && "
                       "cp setup.EXE lower.exe"),
            0);
  std::vector<OracleEntry> oracle = PythonDirectory(drive.Host("plain.zip"));
  for (const char* name : {"C:\\setup.EXE", "C:\\lower.exe"}) {
    SCOPED_TRACE(name);
    TVCLUnZip z(nullptr);
    z.SetDoProcessMessages(false);
    z.SetZipName(name);
    z.OpenArchive();
    ASSERT_EQ(z.EntryCount(), static_cast<int>(oracle.size()));
    for (int i = 0; i < z.EntryCount(); ++i) {
      const OracleEntry& o = oracle[static_cast<size_t>(i)];
      const TZipHeaderInfo& e = z.Entry(i);
      std::string dir, file;
      SplitStored(o.Name, dir, file);
      EXPECT_EQ(e.Directory() + e.FileName(), dir + file);
      EXPECT_EQ(e.LocalHeaderOffset, o.Offset + 15000);
      EXPECT_EQ(e.CRC32, o.CRC);
      EXPECT_EQ(static_cast<uint32_t>(e.CompressedSize), o.CompressedSize);
      EXPECT_EQ(e.LastModFileDateTime, o.DosDateTime);
      EXPECT_EQ(e.VersionMadeBy, 0);  // from the local header
      EXPECT_EQ(e.CentralRecordPos, 0u);
    }
  }
}

TEST(Directory, TruncatedArchive) {
  TempDrive drive;
  MakeTree(drive);
  ASSERT_EQ(RunCommand("cd '" + drive.Root() + "' && cd src && zip -q -r ../full.zip a.txt sub"), 0);
  std::vector<OracleEntry> oracle = PythonDirectory(drive.Host("full.zip"));
  std::sort(oracle.begin(), oracle.end(),
            [](const OracleEntry& a, const OracleEntry& b) { return a.Offset < b.Offset; });
  ASSERT_GE(oracle.size(), 3u);
  // Cut inside the data of the last entry: every local header is still whole.
  const std::string full = drive.ReadFile("full.zip");
  const OracleEntry& last = oracle.back();
  const size_t cut = last.Offset + 30 + last.Name.size() + 1;
  drive.WriteFile("cut.zip", full.substr(0, cut));

  {
    TVCLUnZip z(nullptr);
    z.SetZipName("C:\\cut.zip");
    try {
      z.OpenArchive();
      FAIL() << "no exception";
    } catch (const EIncompleteZip& e) {
      EXPECT_EQ(e.Message(), "Incomplete Zip File");
    }
    EXPECT_EQ(z.ZipName(), "");
    EXPECT_EQ(z.EntryCount(), 0);
  }
  for (bool byHandler : {false, true}) {
    TVCLUnZip z(nullptr);
    int asked = 0;
    if (byHandler) {
      z.OnInCompleteZip = [&asked](TObject*, TIncompleteZipMode& mode) {
        ++asked;
        mode = izAssumeBad;
      };
    } else {
      z.SetIncompleteZipMode(izAssumeBad);
    }
    z.SetZipName("C:\\cut.zip");
    z.OpenArchive();
    EXPECT_EQ(asked, byHandler ? 1 : 0);
    EXPECT_EQ(z.IncompleteZipMode(), izAssumeBad);
    ASSERT_EQ(z.EntryCount(), static_cast<int>(oracle.size()));
    for (int i = 0; i < z.EntryCount(); ++i) {
      EXPECT_EQ(z.Entry(i).LocalHeaderOffset, oracle[static_cast<size_t>(i)].Offset);
      EXPECT_EQ(z.Entry(i).CRC32, oracle[static_cast<size_t>(i)].CRC);
    }
  }
}

TEST(Directory, SortOrdersOfTheView) {
  TempDrive drive;
  ASSERT_EQ(RunPython(drive.Root(), R"(
import zipfile
z = zipfile.ZipFile('s.zip', 'w', zipfile.ZIP_DEFLATED)
z.writestr(zipfile.ZipInfo('m/old.txt', (1999, 1, 1, 0, 0, 0)), 'x' * 1000)
z.writestr(zipfile.ZipInfo('a/newest.txt', (2022, 6, 1, 12, 0, 0)), 'abc' * 3)
z.writestr(zipfile.ZipInfo('z/mid.txt', (2010, 5, 5, 5, 5, 4)), 'q' * 50)
z.close()
)"),
            0);
  const struct { TZipSortMode mode; const char* first; const char* last; } cases[] = {
      {ByNone, "old.txt", "mid.txt"},
      {ByName, "newest.txt", "mid.txt"},
      {ByFileName, "mid.txt", "old.txt"},
      {ByDirectoryName, "newest.txt", "mid.txt"},
      {ByDate, "newest.txt", "old.txt"},
      {ByUnCompressedSize, "old.txt", "newest.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    TVCLUnZip z(nullptr);
    z.SetSortMode(c.mode);
    z.SetZipName("C:\\s.zip");
    z.OpenArchive();
    ASSERT_EQ(z.EntryCount(), 3);
    EXPECT_EQ(z.EntryName(0), c.first);
    EXPECT_EQ(z.EntryName(2), c.last);
    // Setting the order after the read changes nothing until the next read.
    z.SetSortMode(ByNone);
    EXPECT_EQ(z.EntryName(0), c.first);
    z.ApplySortMode(ByNone);
    EXPECT_EQ(z.EntryName(0), "old.txt");
  }
}

TEST(Directory, ChoosingTheArchive) {
  TempDrive drive;
  ASSERT_EQ(RunCommand("cd '" + drive.Root() + "' && seq 1 10 > f.txt && zip -q one.zip f.txt && "
                       "seq 1 20 > g.txt && zip -q two.zip f.txt g.txt"),
            0);
  TVCLUnZip z(nullptr);
  z.SetZipName("C:\\one.zip");
  z.OpenArchive();
  EXPECT_EQ(z.EntryCount(), 1);
  z.SetZipName("c:\\ONE.ZIP");  // the same name: the directory stays
  EXPECT_EQ(z.ZipName(), "C:\\one.zip");
  EXPECT_EQ(z.EntryCount(), 1);
  // Without a user interface the file-open dialog is cancelled.
  try {
    z.SetZipName("C:\\?");
    FAIL() << "no exception";
  } catch (const EUserCanceled& e) {
    EXPECT_EQ(e.Message(), "User canceled setting zip file name.");
  }
  EXPECT_EQ(z.ZipName(), "C:\\one.zip");
  EXPECT_EQ(z.EntryCount(), 1);
  z.SetZipName("C:\\two.zip");
  EXPECT_EQ(z.EntryCount(), 0);
  z.OpenArchive();
  EXPECT_EQ(z.EntryCount(), 2);
  try {
    z.EntryName(2);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "Index 2 is out of range");
  }
  EXPECT_THROW(z.Entry(-1), EListError);
  EXPECT_THROW(z.EntryComment(5), EListError);
  EXPECT_EQ(z.ThisVersion(), 217);
  z.SetThisVersion(5);
  EXPECT_EQ(z.ThisVersion(), 217);
  z.SetZipName("C:\\missing.zip");
  EXPECT_THROW(z.OpenArchive(), EFOpenError);
}

TEST(Directory, AReplacedArchiveIsReadAgain) {
  // zip writes the new archive beside the old one and renames it over it: a
  // stream kept open would still read the old file.
  for (bool keepOpen : {false, true}) {
    SCOPED_TRACE(keepOpen);
    TempDrive drive;
    ASSERT_EQ(RunCommand("cd '" + drive.Root() + "' && seq 1 10 > f.txt && seq 1 20 > g.txt && "
                         "zip -q r.zip f.txt && touch -d '2020-01-01' r.zip"),
              0);
    TVCLUnZip z(nullptr);
    z.SetKeepZipOpen(keepOpen);
    z.SetZipName("C:\\r.zip");
    z.OpenArchive();
    z.CloseArchive();
    EXPECT_EQ(z.EntryCount(), 1);
    ASSERT_EQ(RunCommand("cd '" + drive.Root() + "' && zip -q r.zip g.txt"), 0);
    z.OpenArchive();
    ASSERT_EQ(z.EntryCount(), 2);
    EXPECT_EQ(z.Entry(1).FileName(), "g.txt");
    z.SetDestDir("C:\\out");
    z.SetDoAll(true);
    EXPECT_EQ(z.UnZip(), 2);
    EXPECT_EQ(drive.ReadFile("out/g.txt"), drive.ReadFile("g.txt"));
  }
}

}  // namespace
