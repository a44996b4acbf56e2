// Entry data through UnZip: Python's zipfile as a producer, damaged deflate
// streams, sizes that lie, a truncated archive, an unknown method and a disk
// that fills up.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/zip/ExtractTestSupport.h"

namespace extract_test {
namespace {

using ExtractData = ExtractTest;

TEST_F(ExtractData, PythonZipfileArchive) {
  Py("import zipfile, random\n"
     "random.seed(5)\n"
     "z = zipfile.ZipFile('py.zip', 'w')\n"
     "z.writestr('empty.txt', b'', zipfile.ZIP_STORED)\n"
     "z.writestr('one.txt', b'1', zipfile.ZIP_DEFLATED)\n"
     "z.writestr('exact.bin', bytes(random.getrandbits(2) for _ in range(32768)), zipfile.ZIP_DEFLATED)\n"
     "z.writestr('plus1.bin', bytes(random.getrandbits(2) for _ in range(32769)), zipfile.ZIP_DEFLATED)\n"
     "z.writestr('run.bin', b'a' * 259 + b'b' * 100000, zipfile.ZIP_DEFLATED)\n"
     "z.writestr('stored.bin', random.randbytes(40000), zipfile.ZIP_STORED)\n"
     "z.close()\n"
     "zipfile.ZipFile('py.zip').extractall('expected')\n");
  Open("py.zip");
  Zip->SetDoAll(true);
  EXPECT_EQ(Zip->UnZip(), 6);
  for (const char* name : {"empty.txt", "one.txt", "exact.bin", "plus1.bin", "run.bin", "stored.bin"}) {
    EXPECT_TRUE(OutExists(name)) << name;
    EXPECT_TRUE(Out(name) == Drive.ReadFile(std::string("expected/") + name)) << name;
  }
}

TEST_F(ExtractData, DamagedEntriesFailTheirCRCAndLeaveNoFile) {
  // Each entry claims the CRC and size of "hello world" but its data is broken
  // as the name says (oversubscribed: a dynamic block whose code-length code
  // has four 1-bit codes; stored_past_the_end claims 2 GB that the archive
  // does not hold, and must not write them); the last one is sound.
  Py("plain = b'hello world'\n"
     "build('bad.zip', [\n"
     "  entry('block_type_3', bytes([0x07]), method=8, plain=plain),\n"
     "  entry('stored_complement', b'\\x01\\x0b\\x00\\xf4\\xfe' + plain, method=8, plain=plain),\n"
     "  entry('oversubscribed', bytes([0x05, 0x00, 0x92, 0x04]), method=8, plain=plain),\n"
     "  entry('bigger_than_stated', raw_deflate(b'x' * 50000), method=8, plain=b'x' * 50000, usize=30000),\n"
     "  entry('truncated_stream', raw_deflate(bytes(range(256)) * 200)[:300], method=8, plain=bytes(range(256)) * 200),\n"
     "  entry('wrong_crc', plain, crc=0x12345678),\n"
     "  entry('stored_past_the_end', plain, csize=2000000000, usize=2000000000),\n"
     "  entry('sound', raw_deflate(plain), method=8, plain=plain)])");
  Open("bad.zip");
  Zip->SetDoAll(true);
  std::vector<int> badCRC;
  Zip->OnBadCRC = [&](TObject*, int CalcCRC, int StoredCRC, int FileIndex) {
    EXPECT_NE(CalcCRC, StoredCRC);
    badCRC.push_back(FileIndex);
  };
  EXPECT_EQ(Zip->UnZip(), 1);
  EXPECT_EQ(badCRC, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  for (const char* name : {"block_type_3", "stored_complement", "oversubscribed", "bigger_than_stated",
                           "truncated_stream", "wrong_crc", "stored_past_the_end"})
    EXPECT_FALSE(OutExists(name)) << name;
  EXPECT_EQ(Out("sound"), "hello world");
}

TEST_F(ExtractData, UnknownMethodIsReportedAndFails) {
  Drive.WriteFile("src/t.txt", std::string(3000, 't'));
  Sh("cd src && 7z a -bd -tzip -mm=BZip2 ../bz.zip t.txt >/dev/null");
  Open("bz.zip");
  Zip->SetDoAll(true);
  LogEvents();
  EXPECT_EQ(Zip->UnZip(), 0);
  EXPECT_EQ(UI.Boxes, std::vector<std::string>{"Zip Error: Unknown Compression Method"});
  EXPECT_EQ(Log.back(), "badcrc 0");
  EXPECT_FALSE(OutExists("t.txt"));
}

TEST_F(ExtractData, ArchiveThatEndsEarly) {
  // The last entry's compressed size in its central record reaches past the
  // end of the file.
  Drive.WriteFile("src/a.txt", "first");
  std::string text;
  for (int i = 0; i < 30000; ++i) text += std::to_string(i * 7 % 1013) + ",";
  Drive.WriteFile("src/b.txt", text);
  Sh("cd src && zip -q ../short.zip a.txt b.txt");
  Py("import struct\n"
     "z = bytearray(open('short.zip', 'rb').read())\n"
     "c = z.rfind(b'PK\\x01\\x02')\n"
     "struct.pack_into('<I', z, c + 20, struct.unpack_from('<I', z, c + 20)[0] + 100000)\n"
     "open('short.zip', 'wb').write(z)\n");
  Open("short.zip");
  Zip->SetDoAll(true);
  try {
    Zip->UnZip();
    FAIL() << "no exception";
  } catch (const EFatalUnzipError& e) {
    EXPECT_EQ(e.Message(), "Premature end of file reached");
  }
  EXPECT_EQ(Out("a.txt"), "first");
}

// Runs UnZip in a child process whose files may not grow past Limit bytes
// (a full disk); returns what the child saw as one line.
std::string UnZipWithFileSizeLimit(TVCLUnZip& zip, rlim_t limit) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    signal(SIGXFSZ, SIG_IGN);
    rlimit r{limit, limit};
    setrlimit(RLIMIT_FSIZE, &r);
    std::string seen;
    try {
      seen = "returned " + std::to_string(zip.UnZip());
    } catch (const EStreamError& e) {
      seen = "EStreamError " + e.Message();
    } catch (const std::exception& e) {
      seen = std::string("other ") + e.what();
    }
    (void)!write(fds[1], seen.data(), seen.size());
    _exit(0);
  }
  close(fds[1]);
  std::string seen;
  char buf[512];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) seen.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return seen;
}

TEST_F(ExtractData, FullDiskFailsTheCallAndLeavesNoPartialFile) {
  // 300000 bytes fail in a chunk write; 100100 bytes only in the buffered
  // stream's last flush.
  for (int size : {300000, 100100}) {
    Sh("rm -rf out big.zip && head -c " + std::to_string(size) +
       " /dev/urandom > big.bin && zip -q -0 big.zip big.bin");
    Zip->SetZipName("");
    Open("big.zip");
    Zip->SetDoAll(true);
    EXPECT_EQ(UnZipWithFileSizeLimit(*Zip, 100000),
              "EStreamError Cannot write to file \"C:\\out\\big.bin\". "
              "There is not enough space on the disk")
        << size;
    EXPECT_FALSE(OutExists("big.bin")) << size;
    // Without the limit the same call succeeds.
    EXPECT_EQ(UnZipWithFileSizeLimit(*Zip, RLIM_INFINITY), "returned 1") << size;
    EXPECT_EQ(Out("big.bin"), Drive.ReadFile("big.bin"));
  }
}

}  // namespace
}  // namespace extract_test
