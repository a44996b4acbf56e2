// Split sets written by `zip -s`, renamed to the numbered form name.001,
// name.002, ..., last part name.zip; checked against the joined archive.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "tests/zip/ZipOracle.h"
#include "zip/VCLUnZip.h"

using namespace kp;
using namespace zip_oracle;
using testing_support::RunCommand;
using testing_support::TempDrive;

namespace {

// Opens the disk switch to the test.
class PartsUnZip : public TVCLUnZip {
 public:
  using TVCLUnZip::TVCLUnZip;
  using TVCLUnZip::SwitchToDisk;
};

// 1500 small files and one incompressible one: the set has six parts and its
// central directory starts on part 5 and goes on in the last part.
void MakeSplitSet(const TempDrive& drive) {
  ASSERT_EQ(RunCommand("cd '" + drive.Root() + "' && mkdir d && "
                       "for i in $(seq 1 1500); do echo \"file $i\" > d/f$i.txt; done && "
                       "head -c 150000 /dev/urandom > d/big.bin && "
                       "zip -q -r -s 64k set.zip d && zip -q -s 0 set.zip --out joined.zip && "
                       "for i in 1 2 3 4 5; do mv set.z0$i set.00$i; done"),
            0);
}

TEST(MultiPart, DirectoryOfANumberedSet) {
  TempDrive drive;
  MakeSplitSet(drive);
  std::vector<std::string> parts;
  for (const char* part : {"set.001", "set.002", "set.003", "set.004", "set.005", "set.zip"})
    parts.push_back(drive.ReadFile(part));
  std::map<std::string, OracleEntry> oracle;
  for (const OracleEntry& o : PythonDirectory(drive.Host("joined.zip"))) oracle[o.Name] = o;
  ASSERT_EQ(oracle.size(), 1502u);

  PartsUnZip z(nullptr);
  z.SetDoProcessMessages(false);
  z.SetZipName("C:\\set.zip");
  z.OpenArchive();
  EXPECT_EQ(z.MultiPartMode(), mpNumbered);
  ASSERT_EQ(z.EntryCount(), 1502);
  std::set<int> disks;
  for (int i = 0; i < z.EntryCount(); ++i) {
    const TZipHeaderInfo& e = z.Entry(i);
    std::string stored = e.Directory() + e.FileName();
    for (char& c : stored)
      if (c == '\\') c = '/';
    ASSERT_TRUE(oracle.count(stored)) << stored;
    const OracleEntry& o = oracle[stored];
    EXPECT_EQ(e.CRC32, o.CRC) << stored;
    EXPECT_EQ(static_cast<uint32_t>(e.UncompressedSize), o.UncompressedSize) << stored;
    EXPECT_EQ(e.LastModFileDateTime, o.DosDateTime) << stored;
    // The entry's local header is where the record says: on its part, at its offset.
    ASSERT_LT(e.DiskNumberStart, parts.size());
    const std::string& part = parts[e.DiskNumberStart];
    ASSERT_LE(e.LocalHeaderOffset + 30 + o.Name.size(), part.size()) << stored;
    EXPECT_EQ(part.substr(e.LocalHeaderOffset, 4), "PK\x03\x04") << stored;
    EXPECT_EQ(part.substr(e.LocalHeaderOffset + 30, o.Name.size()), o.Name) << stored;
    disks.insert(e.DiskNumberStart);
    if (i > 0) {
      const TZipHeaderInfo& p = z.Entry(i - 1);
      EXPECT_TRUE(p.DiskNumberStart < e.DiskNumberStart ||
                  (p.DiskNumberStart == e.DiskNumberStart && p.LocalHeaderOffset < e.LocalHeaderOffset));
    }
  }
  EXPECT_GE(disks.size(), 3u);  // entries start on several parts
  // Reading the directory went through parts 5 and 6.
  EXPECT_EQ(z.ZipName(), "C:\\set.zip");

  // Disk 2 is set.002; a part that is not there ends the request.
  z.SwitchToDisk(2);
  EXPECT_EQ(z.ZipName(), "C:\\set.002");
  try {
    z.SwitchToDisk(9);
    FAIL() << "no exception";
  } catch (const EUserCanceled& e) {
    EXPECT_EQ(e.Message(), "User canceled loading new disk.");
  }
}

TEST(MultiPart, AMissingPartEndsTheRead) {
  TempDrive drive;
  MakeSplitSet(drive);
  ASSERT_EQ(RunCommand("rm '" + drive.Host("set.005") + "'"), 0);
  TVCLUnZip z(nullptr);
  std::vector<int> asked;
  z.OnGetNextDisk = [&asked, &z](TObject* Sender, int NextDisk, AnsiString& FName) {
    asked.push_back(NextDisk);
    z.DefaultNextDiskPrompt(Sender, NextDisk, FName);
  };
  z.SetZipName("C:\\set.zip");
  try {
    z.OpenArchive();
    FAIL() << "no exception";
  } catch (const EUserCanceled& e) {
    EXPECT_EQ(e.Message(), "User canceled loading new disk.");
  }
  EXPECT_EQ(asked, std::vector<int>{5});
}

}  // namespace
