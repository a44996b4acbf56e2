// upd-unzip: lists or extracts a ZIP archive through TVCLUnZip, in the unzip
// tool's option style:
//   upd-unzip [-l] [-P PASSWORD] [-d DESTDIR] [-r] [-R ROOTDIR] [-o | -n] [-q]
//             ARCHIVE [PATTERN...]
// Exit status: 0 when every selected entry was extracted (or listed), 1 when
// some were skipped or failed, 2 when the archive could not be read or the
// usage was wrong.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/CodePages.h"
#include "platform/Paths.h"
#include "rtl/Exceptions.h"
#include "tools/ProgressLine.h"
#include "tools/upd-unzip-list.h"
#include "zip/VCLUnZip.h"
#include "zip/ZipUI.h"
#include "zip/kpMatch.h"

namespace {

using namespace kp;

const char* const kUsage =
    "usage: upd-unzip [-l] [-P PASSWORD] [-d DESTDIR] [-r] [-R ROOTDIR] [-o | -n] [-q]\n"
    "                 ARCHIVE [PATTERN...]\n";

struct TOptions {
  bool List = false;
  bool HavePassword = false;
  std::string Password;  // as given (UTF-8)
  bool HaveDest = false;
  std::string Dest;
  bool Recreate = false;
  bool HaveRoot = false;
  std::string Root;
  bool Always = false;
  bool Never = false;
  bool Quiet = false;
  std::string Archive;
  std::vector<std::string> Patterns;
};

// Returns false on bad usage. Options may follow the archive, as with unzip;
// "--" ends them. Flags may be bundled (-qo); a value follows its letter
// directly (-Psecret) or as the next argument.
bool ParseArguments(int argc, char** argv, TOptions& o) {
  std::vector<std::string> positional;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (!options || a.size() < 2 || a[0] != '-') {
      positional.push_back(a);
      continue;
    }
    if (a == "--") {
      options = false;
      continue;
    }
    for (size_t k = 1; k < a.size(); ++k) {
      const char letter = a[k];
      if (letter == 'P' || letter == 'd' || letter == 'R') {
        std::string value;
        if (k + 1 < a.size()) value = a.substr(k + 1);
        else if (i + 1 < argc) value = argv[++i];
        else return false;
        if (letter == 'P') {
          o.HavePassword = true;
          o.Password = value;
        } else if (letter == 'd') {
          if (value.empty()) return false;  // an empty DestDir would mean the drive's root
          o.HaveDest = true;
          o.Dest = value;
        } else {
          o.HaveRoot = true;
          o.Root = value;
        }
        break;
      }
      switch (letter) {
        case 'l': o.List = true; break;
        case 'r': o.Recreate = true; break;
        case 'o': o.Always = true; break;
        case 'n': o.Never = true; break;
        case 'q': o.Quiet = true; break;
        default: return false;
      }
    }
  }
  if (positional.empty() || (o.Always && o.Never)) return false;
  o.Archive = positional[0];
  o.Patterns.assign(positional.begin() + 1, positional.end());
  return true;
}

// A path from the command line in Windows form; a relative one is made
// absolute, so that the component never sees a path it would put under the
// drive's root.
AnsiString WindowsPath(const std::string& outside) {
  const bool drive = outside.size() >= 2 && outside[1] == ':';
  return drive ? win::ToWindowsPath(outside) : win::FromHostPath(outside);
}

std::string Shown(const AnsiString& storedPath) { return updunzip::ShownPath(storedPath); }

// The progress line: percent of the whole extraction and the file being written.
class TProgressLine {
 public:
  explicit TProgressLine(bool enabled) : FLine(enabled) {}
  void File(const AnsiString& name) {
    FName = Shown(name);
    FLine.Show(FPercent, FName);
  }
  void Percent(int percent) {
    if (percent == FPercent) return;
    FPercent = percent;
    FLine.Show(FPercent, FName);
  }
  // Clears the line before other output.
  void End() { FLine.End(); }

 private:
  tools::TTerminalLine FLine;
  int FPercent = -1;
  std::string FName;
};

// The component's message boxes ("Unknown Compression Method", the inflate
// out-of-memory box) become lines on stderr naming the entry at hand.
class TConsoleUI : public TZipUI {
 public:
  explicit TConsoleUI(TProgressLine& line) : FLine(line) {}
  int MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) override {
    FLine.End();
    std::fprintf(stderr, "upd-unzip: %s%s: %s\n", Entry.empty() ? "" : (Shown(Entry) + ": ").c_str(),
                 win::AnsiToUtf8(Caption).c_str(), win::AnsiToUtf8(Text).c_str());
    return (Flags & 0x0F) == MB_YESNO ? IDNO : (Flags & 0x0F) == MB_OKCANCEL ? IDCANCEL : IDOK;
  }
  AnsiString Entry;

 private:
  TProgressLine& FLine;
};

// Asks on the terminal whether to replace an existing file: yes, no, all, none.
class TOverwriteQuestion {
 public:
  bool Ask(const AnsiString& path) {
    if (FAnswerAll) return FAll;
    for (;;) {
      std::fprintf(stderr, "replace %s? [y]es, [n]o, [A]ll, [N]one: ", win::ToHostPath(path).c_str());
      std::fflush(stderr);
      char line[64];
      if (!std::fgets(line, sizeof line, stdin)) {  // end of input: keep what exists
        std::fputc('\n', stderr);
        FAnswerAll = true;
        FAll = false;
        return false;
      }
      switch (line[0]) {
        case 'y': return true;
        case 'n': return false;
        case 'A': FAnswerAll = FAll = true; return true;
        case 'N': FAnswerAll = true; FAll = false; return false;
        default: break;
      }
    }
  }

 private:
  bool FAnswerAll = false;
  bool FAll = false;
};

// The password as given is tried in the ANSI code page first (as the station
// itself would type it); should an entry refuse it and the UTF-8 bytes differ,
// they are offered once for that entry.
class TPasswords {
 public:
  explicit TPasswords(const std::string& utf8) {
    FCandidates.push_back(win::Utf8ToAnsi(utf8));
    if (utf8 != FCandidates[0]) FCandidates.push_back(utf8);
  }
  const AnsiString& First() const { return FCandidates[0]; }
  void BadPassword(int index, AnsiString& password) {
    if (index != FIndex) {
      FIndex = index;
      FTried.clear();
    }
    FTried.push_back(password);
    for (const AnsiString& c : FCandidates)
      if (std::find(FTried.begin(), FTried.end(), c) == FTried.end()) {
        password = c;
        return;
      }
  }

 private:
  std::vector<AnsiString> FCandidates;
  std::vector<AnsiString> FTried;
  int FIndex = -1;
};

AnsiString LowerAscii(AnsiString s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Patterns no entry answers to are worth a line of their own: the operator
// otherwise sees nothing happen.
int ReportUnmatched(TVCLUnZip& zip, const TStringList& patterns) {
  int unmatched = 0;
  for (int p = 0; p < patterns.Count(); ++p) {
    const AnsiString pattern = LowerAscii(patterns.Get(p));
    bool found = false;
    for (int i = 0; i < zip.EntryCount() && !found; ++i) {
      const TZipHeaderInfo& e = zip.Entry(i);
      found = WildcardMatch(pattern, LowerAscii(e.Directory() + e.FileName()));
    }
    if (!found) {
      std::fprintf(stderr, "upd-unzip: no entry matches %s\n", win::AnsiToUtf8(patterns.Get(p)).c_str());
      ++unmatched;
    }
  }
  return unmatched;
}

int Extract(TVCLUnZip& zip, const TOptions& o) {
  TProgressLine line(!o.Quiet && isatty(STDERR_FILENO));
  TConsoleUI ui(line);
  SetZipUI(&ui);
  struct TRestoreUI {
    ~TRestoreUI() { SetZipUI(nullptr); }
  } restoreUI;

  zip.SetDestDir(o.HaveDest ? WindowsPath(o.Dest) : AnsiString(win::GetCurrentDir()));
  if (zip.DestDir().empty()) zip.SetDestDir("\\.");  // "/" given: the root, spelled non-empty
  zip.SetRecreateDirs(o.Recreate);
  if (o.HaveRoot) zip.SetRootDir(win::ToWindowsPath(o.Root));
  TStringList patterns;
  for (const std::string& p : o.Patterns) patterns.Add(win::ToWindowsPath(p));
  zip.SetDoAll(patterns.Count() == 0);
  zip.SetFilesList(&patterns);

  TOverwriteQuestion question;
  if (o.Always) {
    zip.SetOverwriteMode(Always);
  } else if (o.Never || !isatty(STDIN_FILENO)) {
    zip.SetOverwriteMode(Never);
  } else {
    zip.SetOverwriteMode(Prompt);
    zip.OnPromptForOverwrite = [&](TObject*, bool& overWriteIt, int, AnsiString& name) {
      line.End();
      overWriteIt = question.Ask(name);
    };
  }

  TPasswords passwords(o.Password);
  zip.SetPassword(passwords.First());
  zip.OnBadPassword = [&](TObject*, int index, AnsiString& password) {
    passwords.BadPassword(index, password);
  };

  int selected = 0;
  zip.OnStartUnZipInfo = [&](TObject*, int numFiles, Comp, bool&) { selected = numFiles; };
  zip.OnStartUnZip = [&](TObject*, int index, const AnsiString&, bool&) {
    const TZipHeaderInfo& e = zip.Entry(index);
    ui.Entry = e.Directory() + e.FileName();
    line.File(ui.Entry);
  };
  zip.OnTotalPercentDone = [&](TObject*, int percent) { line.Percent(percent); };
  zip.OnSkippingFile = [&](TObject*, TSkipReason reason, const AnsiString& name, int) {
    line.End();
    const char* why = reason == srNoOverwrite ? "exists, not replaced"
                      : reason == srBadPassword
                          ? (o.HavePassword ? "wrong password" : "encrypted, no password given (-P)")
                          : "path leads outside the destination";
    std::fprintf(stderr, "upd-unzip: skipped %s: %s\n", Shown(name).c_str(), why);
  };
  zip.OnBadCRC = [&](TObject*, int calc, int stored, int index) {
    line.End();
    const TZipHeaderInfo& e = zip.Entry(index);
    std::fprintf(stderr, "upd-unzip: failed %s: CRC error (computed %08x, stored %08x), file removed\n",
                 Shown(e.Directory() + e.FileName()).c_str(), static_cast<unsigned>(calc),
                 static_cast<unsigned>(stored));
  };

  int extracted;
  try {
    extracted = zip.UnZip();
  } catch (...) {
    line.End();
    throw;
  }
  line.End();
  const int unmatched = ReportUnmatched(zip, patterns);
  return extracted == selected && unmatched == 0 ? 0 : 1;
}

int Run(const TOptions& o) {
  TVCLUnZip zip(nullptr);
  zip.SetDoProcessMessages(false);
  zip.SetZipName(WindowsPath(o.Archive));
  if (o.List) {
    zip.OpenArchive();
    updunzip::PrintListing(zip, stdout);
    zip.CloseArchive();
    return 0;
  }
  return Extract(zip, o);
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
    std::fflush(stdout);
    std::fprintf(stderr, "upd-unzip: %s: %s\n", options.Archive.c_str(), win::AnsiToUtf8(e.Message()).c_str());
    return 2;
  }
}
