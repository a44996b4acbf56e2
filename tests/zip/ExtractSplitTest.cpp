// Split sets: entries whose data, and whose encryption header, continue on
// the next part.
#include "tests/zip/ExtractTestSupport.h"

namespace extract_test {
namespace {

class ExtractSplit : public ExtractTest {
 protected:
  // src/ holds a.bin and c.bin (incompressible, stored) and b.txt (base64
  // text, deflated to about three quarters, so that it spans parts too).
  void MakeSources() {
    Sh("mkdir -p src && head -c 100000 /dev/urandom > src/a.bin && "
       "head -c 70001 /dev/urandom > src/c.bin && head -c 120000 /dev/urandom | base64 > src/b.txt");
  }
  void ExpectExtracted() {
    for (const char* name : {"a.bin", "b.txt", "c.bin"})
      EXPECT_TRUE(Out(name) == Drive.ReadFile(std::string("src/") + name)) << name;
  }
};

TEST_F(ExtractSplit, ZipSplitSetWithEncryptedEntries) {
  MakeSources();
  // zip -s: parts set.z01, set.z02, ..., set.zip; renamed to set.001, ...
  Sh("cd src && zip -q -s 64k -n .bin -P secret ../set.zip c.bin a.bin b.txt && cd .. && "
     "for f in set.z0*; do mv $f set.0${f#set.z}; done && ls set.004 set.zip >/dev/null");
  Open("set.zip");
  Zip->SetDoAll(true);
  Zip->SetPassword("secret");
  Zip->SetSortMode(ByName);
  LogEvents();
  EXPECT_EQ(Zip->UnZip(), 3);
  ExpectExtracted();
  // Visited in physical order (the order zip wrote them), FileIndex counting
  // in it; the order by name holds again afterwards.
  EXPECT_EQ(Log[1], "start 0 C:\\out\\c.bin");
  EXPECT_EQ(Log[3], "start 1 C:\\out\\a.bin");
  EXPECT_EQ(Log[5], "start 2 C:\\out\\b.txt");
  EXPECT_EQ(Zip->SortMode(), ByName);
  EXPECT_EQ(Zip->EntryName(0), "a.bin");
  EXPECT_EQ(Zip->EntryName(2), "c.bin");
}

TEST_F(ExtractSplit, EncryptionHeaderAndDataAcrossParts) {
  MakeSources();
  // A zip -P archive cut so that a stored entry's data, a deflated entry's
  // data and the 12-byte encryption header of the third entry each continue
  // on the next part (zip -s itself never cuts a header).
  Sh("cd src && zip -q -n .bin -P secret ../one.zip a.bin b.txt c.bin");
  Py("import zipfile\n"
     "starts = []\n"
     "for i in zipfile.ZipFile('one.zip').infolist():\n"
     "    z = open('one.zip', 'rb').read()\n"
     "    n, m = struct.unpack_from('<HH', z, i.header_offset + 26)\n"
     "    starts.append(i.header_offset + 30 + n + m)\n"
     "resplit('one.zip', 'cut', [starts[0] + 20000, starts[1] + 1000, starts[2] + 5])\n");
  Open("cut.zip");
  // The third entry alone with a wrong password first: the retry goes back
  // to where its header started, on the part before.
  TStringList list;
  list.Add("c.bin");
  Zip->SetFilesList(&list);
  Zip->SetPassword("wrong");
  Zip->OnBadPassword = [](TObject*, int, AnsiString& NewPassword) { NewPassword = "secret"; };
  EXPECT_EQ(Zip->UnZip(), 1);
  EXPECT_TRUE(Out("c.bin") == Drive.ReadFile("src/c.bin"));
  Zip->SetZipName("C:\\cut.zip");  // the disk switches moved ZipName to a part
  Zip->SetDoAll(true);
  Zip->SetOverwriteMode(Always);
  EXPECT_EQ(Zip->UnZip(), 3);
  ExpectExtracted();
}

}  // namespace
}  // namespace extract_test
