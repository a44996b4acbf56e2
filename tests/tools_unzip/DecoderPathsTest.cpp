// Data chosen to drive every path of the inflate loop and the decryption
// through upd-unzip: stored blocks inside deflated entries at every bit
// alignment and across input refills, matches at distances 1 to 10 (byte
// runs, short overlaps, word copies), matches reaching back across the
// window's wrap, and entries that follow each other in one window. The files
// that come out must be the files that went in, whichever tool packed them.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempDrive.h"

namespace {

using testing_support::RunCommand;
using testing_support::TempDrive;

int Sh(const TempDrive& drive, const std::string& command) {
  return RunCommand("cd '" + drive.Root() + "' && (" + command + "\n) >/dev/null 2>&1");
}

TEST(DecoderPaths, EveryCopyPathGivesTheSourceBytes) {
  TempDrive drive;
  ASSERT_EQ(Sh(drive, R"(python3 - <<'EOF'
import os, random
r = random.Random(11)
os.makedirs('src', exist_ok=True)
text = b''.join(b'line %d of the shift journal\n' % i for i in range(3000))
# Incompressible stretches make the compressor emit stored blocks between
# coded ones, so their lengths start at assorted bit positions.
with open('src/mixed.bin', 'wb') as f:
    for i in range(6):
        f.write(text[:r.randrange(1000, 20000)])
        f.write(r.randbytes(r.randrange(20000, 70000)))
        f.write(b'\0' * r.randrange(100, 5000))
# Repeats with periods 1 to 10, each a few hundred bytes long.
with open('src/periods.bin', 'wb') as f:
    for _ in range(40):
        for p in range(1, 11):
            f.write(r.randbytes(p) * r.randrange(30, 400))
            f.write(r.randbytes(3))
# A random block met again 30000 bytes later: matches near the window's
# reach, across the ring's end.
with open('src/far.bin', 'wb') as f:
    for _ in range(5):
        block = r.randbytes(30000)
        f.write(block + block[:25000] + text[:5000])
EOF)"), 0);

  const std::string makers[] = {
      "cd src && zip -q -9 -P pw ../a.zip *",
      "cd src && zip -q -1 ../a.zip *",
      R"(python3 -c "
import zipfile
with zipfile.ZipFile('a.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    for n in ('mixed.bin', 'periods.bin', 'far.bin'):
        z.write('src/' + n, n)
")",
  };
  for (const std::string& maker : makers) {
    ASSERT_EQ(Sh(drive, "rm -rf a.zip out && " + maker), 0) << maker;
    EXPECT_EQ(RunCommand("cd '" + drive.Root() + "' && " + testing_support::BinDir() +
                         "/upd-unzip -q -P pw -d out a.zip </dev/null"),
              0)
        << maker;
    EXPECT_EQ(Sh(drive, "diff -r src out"), 0) << maker;
  }
}

}  // namespace
