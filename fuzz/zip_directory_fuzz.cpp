// libFuzzer target: opening an archive and listing its directory from any bytes.
// The first byte picks what to do when no end record is found; the rest is the
// archive. Every outcome must be a directory or one of the reader's exceptions.
//
// Build by hand (clang with libFuzzer, e.g. Debian's clang-14 and
// libclang-rt-14-dev), from the source root, against a built libvcl.so:
//   clang++-14 -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     fuzz/zip_directory_fuzz.cpp zip/kp*.cpp zip/KpLib.cpp zip/ZipUI.cpp \
//     zip/VCLUnZip.cpp build/zip/S_Stream_table.cpp -Lbuild/bin -lvcl \
//     -Wl,-rpath,$PWD/build/bin -o zip_directory_fuzz
//   ./zip_directory_fuzz -max_total_time=300 -max_len=70000
// (fuzz/CMakeLists.txt builds the same target when the compiler is clang.)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzDrive.h"
#include "zip/VCLUnZip.h"

using namespace kp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const std::string host = FuzzDriveC() + "/fuzz.zip";
  FILE* f = std::fopen(host.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(Data + 1, 1, Size - 1, f);
  std::fclose(f);

  TVCLUnZip z(nullptr);
  z.SetDoProcessMessages(false);
  z.SetIncompleteZipMode((Data[0] & 1) ? izAssumeBad : izAssumeMulti);
  z.SetSortMode(static_cast<TZipSortMode>((Data[0] >> 1) % 8));
  z.SetZipName((Data[0] & 0x10) ? "C:\\fuzz.EXE" : "C:\\fuzz.zip");
  if (Data[0] & 0x10) std::rename(host.c_str(), (FuzzDriveC() + "/fuzz.EXE").c_str());
  try {
    z.OpenArchive();
    size_t total = 0;
    for (int i = 0; i < z.EntryCount(); ++i) {
      const TZipHeaderInfo& e = z.Entry(i);
      total += e.Directory().size() + e.FileName().size() + z.EntryName(i).size();
      total += z.EntryComment(i).size();
    }
    total += z.ArchiveComment().size();
    z.ApplySortMode(ByName);
    if (total == SIZE_MAX) std::abort();
  } catch (const EIncompleteZip&) {
  } catch (const EBadZipFile&) {
  } catch (const EUserCanceled&) {
  } catch (const EListError&) {
  }
  return 0;
}
