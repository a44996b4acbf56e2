// libFuzzer target: extracting every entry of an archive made of any bytes,
// with directories recreated and a password set. Every outcome must be a
// count or one of the reader's and streams' exceptions, and nothing may be
// written outside the destination directory.
//
// Build by hand like zip_directory_fuzz (see there), adding the extraction
// sources:
//   clang++-14 -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     fuzz/zip_extract_fuzz.cpp zip/*.cpp build/zip/S_Stream_table.cpp \
//     -Lbuild/bin -lvcl -Wl,-rpath,$PWD/build/bin -o zip_extract_fuzz
//   ./zip_extract_fuzz -max_total_time=300 -max_len=70000
// (fuzz/CMakeLists.txt builds the same target when the compiler is clang.)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/FuzzDrive.h"
#include "zip/VCLUnZip.h"
#include "zip/ZipUI.h"

using namespace kp;

namespace {

// Answers every box with its first button and cancels every dialog, quietly.
class TQuietUI : public TZipUI {
 public:
  void ProcessMessages() override {}
  void SetBusyCursor(bool) override {}
  bool OpenFileDialog(const AnsiString&, const AnsiString&, const AnsiString&, AnsiString&) override {
    return false;
  }
  bool SelectDirectory(AnsiString&) override { return false; }
  int MessageBox(const AnsiString&, const AnsiString&, unsigned Flags) override {
    return (Flags & 0x0F) == MB_YESNO ? IDYES : IDOK;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  namespace fs = std::filesystem;
  static TQuietUI ui;
  SetZipUI(&ui);
  // C:\out\in\ is the destination; C:\out\ must stay empty but for in\.
  const std::string root = FuzzDriveC();
  std::error_code ec;
  fs::remove_all(root + "/out", ec);
  fs::create_directories(root + "/out/in", ec);
  FILE* f = std::fopen((root + "/fuzz.zip").c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(Data, 1, Size, f);
  std::fclose(f);

  {
    TVCLUnZip z(nullptr);
    z.SetDoProcessMessages(false);
    z.SetZipName("C:\\fuzz.zip");
    z.SetDestDir("C:\\out\\in");
    z.SetRecreateDirs(true);
    z.SetDoAll(true);
    z.SetOverwriteMode(Always);
    z.SetPassword("pw");
    try {
      z.UnZip();
    } catch (const vcl::Exception&) {
      // Archive-level failures end the call; that is an answer too.
    }
  }
  // Nothing may have left the destination.
  for (const auto& e : fs::directory_iterator(root + "/out", ec))
    if (e.path().filename() != "in") std::abort();
  return 0;
}
