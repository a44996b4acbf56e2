// Encrypted entries are decrypted ahead on a second thread; what comes out
// must not tell: the bytes, the count, the events and the errors are those of
// reading the archive in place. Entries larger than the read-ahead's buffer,
// runs of entries it goes on with, and the cases it must give up on (another
// password, an entry not encrypted, an archive that ends early).
#include <algorithm>

#include "tests/zip/ExtractTestSupport.h"

namespace extract_test {
namespace {

class ExtractReadAhead : public ExtractTest {
 protected:
  // Large parts: 3 MiB of random bytes then 3 MiB of text, more than the
  // read-ahead holds at a time.
  void MakeSources() {
    Sh("mkdir -p src");
    Py("import random\n"
       "r = random.Random(7)\n"
       "open('src/big.bin', 'wb').write(r.randbytes(3 << 20) +"
       " b''.join(b'%d line of text\\r\\n' % i for i in range(200000))[:3 << 20])\n"
       "open('src/a.txt', 'wb').write(b'first entry\\n' * 100)\n"
       "open('src/g.txt', 'wb').write(r.randbytes(70000))\n"
       "open('src/h.txt', 'wb').write(b'tail' * 5000)\n"
       "open('src/e.txt', 'wb').write(b'other password')\n"
       "open('src/f.txt', 'wb').write(b'not encrypted')\n");
  }
  void LogPercents() {
    Zip->OnTotalPercentDone = [this](TObject*, int Percent) {
      if (Log.empty() || Log.back() != "total " + std::to_string(Percent))
        Log.push_back("total " + std::to_string(Percent));
    };
  }
};

TEST_F(ExtractReadAhead, MixedArchiveComesOutAsWritten) {
  MakeSources();
  struct {
    const char* Method;
  } cases[] = {{"-0"}, {"-6"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Method);
    const std::string flags = c.Method;
    Sh("rm -f pkg.zip && cd src && zip -q " + flags + " -P pw ../pkg.zip a.txt big.bin &&"
       " zip -q " + flags + " -P other ../pkg.zip e.txt && zip -q " + flags + " ../pkg.zip f.txt &&"
       " zip -q " + flags + " -P pw ../pkg.zip g.txt h.txt");
    Sh("rm -rf out");
    Zip = std::make_unique<TVCLUnZip>(nullptr);
    Zip->SetDoProcessMessages(false);
    Zip->SetDestDir("C:\\out");
    Log.clear();
    Open("pkg.zip");
    Zip->SetDoAll(true);
    Zip->SetPassword("pw");
    LogEvents();
    LogPercents();
    // e.txt has another password; f.txt none, so it needs none.
    EXPECT_EQ(Zip->UnZip(), 5);
    for (const char* name : {"a.txt", "big.bin", "f.txt", "g.txt", "h.txt"})
      EXPECT_TRUE(Out(name) == Drive.ReadFile(std::string("src/") + name)) << name;
    EXPECT_FALSE(OutExists("e.txt"));
    std::vector<std::string> events;
    std::vector<int> totals;
    for (const std::string& line : Log)
      if (line.rfind("total ", 0) == 0)
        totals.push_back(std::stoi(line.substr(6)));
      else
        events.push_back(line);
    EXPECT_TRUE(std::is_sorted(totals.begin(), totals.end()));
    EXPECT_EQ(totals.back(), 100);
    EXPECT_EQ(events, (std::vector<std::string>{
                          "info 6 6382683", "start 0 C:\\out\\a.txt", "end 0 C:\\out\\a.txt",
                          "start 1 C:\\out\\big.bin", "end 1 C:\\out\\big.bin",
                          "skip 0 e.txt 2", "start 3 C:\\out\\f.txt", "end 3 C:\\out\\f.txt",
                          "start 4 C:\\out\\g.txt", "end 4 C:\\out\\g.txt",
                          "start 5 C:\\out\\h.txt", "end 5 C:\\out\\h.txt"}));
  }
}

TEST_F(ExtractReadAhead, ArchiveThatEndsInsideALargeEntry) {
  // The last entry's compressed size in its central record reaches 100000
  // bytes past the end of the file: deflated, the decoder asks for bytes that
  // are not there; stored, what came is written and the CRC rejects it.
  MakeSources();
  struct {
    const char* Method;
    bool Throws;
  } cases[] = {{"-0", false}, {"-6", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Method);
    Sh(std::string("rm -rf out short.zip && cd src && zip -q ") + c.Method + " -P pw ../short.zip a.txt big.bin");
    Py("import struct\n"
       "z = bytearray(open('short.zip', 'rb').read())\n"
       "c = z.rfind(b'PK\\x01\\x02')\n"
       "struct.pack_into('<I', z, c + 20, struct.unpack_from('<I', z, c + 20)[0] + 100000)\n"
       "open('short.zip', 'wb').write(z)\n");
    Zip = std::make_unique<TVCLUnZip>(nullptr);
    Zip->SetDoProcessMessages(false);
    Zip->SetDestDir("C:\\out");
    Log.clear();
    Open("short.zip");
    Zip->SetDoAll(true);
    Zip->SetPassword("pw");
    LogEvents();
    if (c.Throws) {
      try {
        Zip->UnZip();
        ADD_FAILURE() << "no exception";
      } catch (const EFatalUnzipError& e) {
        EXPECT_EQ(e.Message(), "Premature end of file reached");
      }
      EXPECT_EQ(Log.back(), "start 1 C:\\out\\big.bin");
    } else {
      EXPECT_EQ(Zip->UnZip(), 1);
      EXPECT_EQ(Log.back(), "skip 0 big.bin 1");
      EXPECT_FALSE(OutExists("big.bin"));
    }
    EXPECT_EQ(Out("a.txt"), Drive.ReadFile("src/a.txt"));
  }
}

}  // namespace
}  // namespace extract_test
