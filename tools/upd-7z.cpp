// upd-7z: writes a 7z archive through TSevenZip, for maintenance and scripts.
// Options in the 7z tool's style, values attached:
//   upd-7z a [-p{PASSWORD}] [-mx{0|3|5|7|9}] [-ms=on|off] [-r] [-root DIR]
//            [-v{BYTES}] [-sfx[{MODULE}]] [-mhe=on] [-q] ARCHIVE MASK...
// Exit status: 0 when the add returned 0, 1 otherwise, 2 for bad usage.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/CodePages.h"
#include "platform/Paths.h"
#include "rtl/Exceptions.h"
#include "sevenzip/SevenZipVCL.h"
#include "tools/ProgressLine.h"

namespace {

using namespace sevenzip;

const char* const kUsage =
    "usage: upd-7z a [-p{PASSWORD}] [-mx{0|3|5|7|9}] [-ms=on|off] [-r] [-root DIR]\n"
    "                [-v{BYTES}] [-sfx[{MODULE}]] [-mhe=on] [-q] ARCHIVE MASK...\n";

struct TOptions {
  WideString Password;
  TCompressStrength Strength = NORMAL;
  bool Solid = false;
  bool Recurse = false;
  bool HaveRoot = false;
  WideString Root;
  int32_t VolumeSize = 0;
  bool Sfx = false;
  WideString SfxModule;
  bool EncryptNames = false;
  bool Quiet = false;
  WideString Archive;
  std::vector<WideString> Masks;
};

// A path from the command line in Windows form, kept wide so that no character is lost.
WideString WindowsPath(const std::string& outside) { return win::ToWindowsPathW(outside); }

bool ParseVolumeSize(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0 || digits > 12) return false;
  uint64_t n = std::stoull(text.substr(0, digits));
  const std::string unit = text.substr(digits);
  if (unit == "k" || unit == "K") n <<= 10;
  else if (unit == "m" || unit == "M") n <<= 20;
  else if (unit == "g" || unit == "G") n <<= 30;
  else if (!unit.empty() && unit != "b" && unit != "B") return false;
  if (n == 0 || n > 0x7FFFFFFFu) return false;
  value = static_cast<int32_t>(n);
  return true;
}

// Returns false on bad usage.
bool ParseArguments(int argc, char** argv, TOptions& o) {
  if (argc < 2 || std::string(argv[1]) != "a") return false;
  std::vector<std::string> positional;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.size() < 2 || a[0] != '-') {
      positional.push_back(a);
    } else if (a == "-root") {
      if (++i >= argc) return false;
      o.HaveRoot = true;
      o.Root = WindowsPath(argv[i]);
    } else if (a.rfind("-p", 0) == 0) {
      o.Password = win::Utf8ToWide(a.substr(2));
    } else if (a.rfind("-mx", 0) == 0) {
      const std::string level = a.substr(3);
      if (level == "0") o.Strength = SAVE;
      else if (level == "3") o.Strength = FAST;
      else if (level == "5") o.Strength = NORMAL;
      else if (level == "7") o.Strength = MAXIMUM;
      else if (level == "9") o.Strength = ULTRA;
      else return false;
    } else if (a == "-ms=on" || a == "-ms=off") {
      o.Solid = a == "-ms=on";
    } else if (a == "-r") {
      o.Recurse = true;
    } else if (a.rfind("-v", 0) == 0) {
      if (!ParseVolumeSize(a.substr(2), o.VolumeSize)) return false;
    } else if (a.rfind("-sfx", 0) == 0) {
      o.Sfx = true;
      o.SfxModule = WindowsPath(a.substr(4));
    } else if (a == "-mhe=on") {
      o.EncryptNames = true;
    } else if (a == "-q") {
      o.Quiet = true;
    } else {
      return false;
    }
  }
  if (positional.size() < 2) return false;
  o.Archive = WindowsPath(positional[0]);
  for (size_t i = 1; i < positional.size(); ++i) o.Masks.push_back(WindowsPath(positional[i]));
  if (!o.HaveRoot) {
    // Entries are stored relative to the first mask's directory.
    const size_t slash = o.Masks[0].rfind(L'\\');
    if (slash != WideString::npos) o.Root = o.Masks[0].substr(0, slash + 1);
  }
  return true;
}

std::string Utf8(const WideString& s) { return win::WideToUtf8(s); }

// The progress line; the library reports from its own threads. The
// percentage is of the whole add, so a file that starts keeps the last one.
class TProgressLine {
 public:
  explicit TProgressLine(bool Enabled) : FLine(Enabled) {}
  void SetTotal(int64_t total) { FTotal = total; }
  void Start(const WideString& name) {
    std::lock_guard<std::mutex> lock(FLock);
    Show(name);
  }
  void Advance(const WideString& name, int64_t done) {
    std::lock_guard<std::mutex> lock(FLock);
    FDone = done;
    Show(name);
  }
  void End() {
    std::lock_guard<std::mutex> lock(FLock);
    FLine.End();
  }

 private:
  void Show(const WideString& name) {
    const int percent = FTotal > 0 ? static_cast<int>(std::min<int64_t>(FDone * 100 / FTotal, 100)) : 0;
    if (percent == FLastPercent && name == FLastName) return;
    FLastPercent = percent;
    FLastName = name;
    FLine.Show(percent, Utf8(name));
  }
  std::mutex FLock;
  tools::TTerminalLine FLine;
  int64_t FTotal = 0;
  int64_t FDone = 0;
  int FLastPercent = -1;
  WideString FLastName;
};

int Run(const TOptions& o) {
  TSevenZip zip(nullptr);
  const bool showProgress = !o.Quiet && isatty(STDERR_FILENO);
  TProgressLine line(showProgress);

  zip.SZFileName = o.Archive;
  zip.Password = o.Password;
  zip.LZMACompressType = LZMA;
  zip.LZMACompressStrength = o.Strength;
  zip.AddRootDir = o.Root;
  if (o.Solid) zip.AddOptions.Include(AddSolid);
  if (o.Recurse) zip.AddOptions.Include(AddRecurseDirs);
  if (o.EncryptNames) zip.AddOptions.Include(AddEncryptFilename);
  zip.SetVolumeSize(o.VolumeSize);
  if (o.Sfx) {
    if (!o.SfxModule.empty()) zip.SFXModule = o.SfxModule;
    zip.SetSFXCreate(true);
    if (!zip.SFXCreate()) {
      std::fprintf(stderr, "upd-7z: SFX module not found or empty: %s\n", Utf8(zip.SFXModule).c_str());
      return 1;
    }
  }
  for (const WideString& mask : o.Masks) zip.Files.Add(mask);

  bool reported = false;  // a message already said why the add failed
  zip.OnMessage = [&](TObject*, int32_t, const AnsiString& message, const WideString& name) {
    reported = true;
    line.End();
    if (name.empty())
      std::fprintf(stderr, "upd-7z: %s\n", win::AnsiToUtf8(message).c_str());
    else
      std::fprintf(stderr, "upd-7z: %s: %s\n", win::AnsiToUtf8(message).c_str(), Utf8(name).c_str());
  };
  if (showProgress) {
    zip.OnPreProgress = [&](TObject*, int64_t total) { line.SetTotal(total); };
    zip.OnAddfile = [&](TObject*, const WideString& name, int64_t) { line.Start(name); };
    zip.OnProgress = [&](TObject*, const WideString& name, int64_t arc, int64_t) { line.Advance(name, arc); };
  }

  int32_t result;
  try {
    result = zip.Add();
  } catch (const EAbort&) {
    line.End();
    std::fprintf(stderr, "upd-7z: cannot write %s: %s\n", Utf8(zip.SZFileName).c_str(),
                 win::AnsiToUtf8(win::SysErrorMessage(zip.LastOSError)).c_str());
    return 1;
  }
  line.End();
  if (result != 0 && !reported)
    std::fprintf(stderr, "upd-7z: the 7-Zip library failed (result 0x%08X)%s\n",
                 static_cast<unsigned>(result),
                 zip.LastOSError ? (": " + win::AnsiToUtf8(win::SysErrorMessage(zip.LastOSError))).c_str() : "");
  return result == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  if (!ParseArguments(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  try {
    return Run(options);
  } catch (const vcl::Exception& e) {
    std::fprintf(stderr, "upd-7z: %s\n", win::AnsiToUtf8(e.Message()).c_str());
    return 1;
  }
}
