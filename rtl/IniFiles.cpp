#include "rtl/IniFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/CodePages.h"
#include "platform/Host.h"
#include "platform/Paths.h"

namespace vcl {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// One line of the file: [Start, TextEnd) is its text, [TextEnd, End) its line end.
struct Line {
  size_t Start = 0, TextEnd = 0, End = 0;
  bool Header = false;    // "[name]"
  bool KeyLine = false;   // "key=value" (not a comment)
  std::string_view Name;  // section name or key, trimmed
  std::string_view Value; // trimmed, one pair of enclosing quotes removed
};

// The file's bytes split into lines. Nothing is normalised: a write edits
// the bytes of its own line and leaves all others as they are.
struct Profile {
  std::string Bytes;
  std::vector<Line> Lines;

  void Parse() {
    Lines.clear();
    for (size_t pos = 0; pos < Bytes.size();) {
      size_t nl = Bytes.find('\n', pos);
      size_t end = nl == std::string::npos ? Bytes.size() : nl + 1;
      size_t textEnd = nl == std::string::npos ? end : nl;
      if (textEnd > pos && Bytes[textEnd - 1] == '\r') --textEnd;
      Line line;
      line.Start = pos;
      line.TextEnd = textEnd;
      line.End = end;
      std::string_view text = TrimBlanks(std::string_view(Bytes).substr(pos, textEnd - pos));
      if (!text.empty() && text.front() == '[') {
        size_t close = text.find(']');
        line.Header = true;
        line.Name = TrimBlanks(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
      } else if (size_t eq = text.find('='); eq != std::string_view::npos && text.front() != ';') {
        line.KeyLine = true;
        line.Name = TrimBlanks(text.substr(0, eq));
        std::string_view v = TrimBlanks(text.substr(eq + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
          v = v.substr(1, v.size() - 2);
        line.Value = v;
      }
      Lines.push_back(line);
      pos = end;
    }
  }

  // Index of the section's header line, or -1; the section's lines follow it
  // up to End(header).
  int FindSection(std::string_view section, int from = 0) const {
    section = TrimBlanks(section);
    for (int i = from; i < static_cast<int>(Lines.size()); ++i)
      if (Lines[i].Header && win::AnsiSameText(Lines[i].Name, section)) return i;
    return -1;
  }
  int SectionEnd(int header) const {
    int i = header + 1;
    while (i < static_cast<int>(Lines.size()) && !Lines[i].Header) ++i;
    return i;
  }
  int FindKey(int header, std::string_view key) const {
    if (header < 0) return -1;
    key = TrimBlanks(key);
    for (int i = header + 1, end = SectionEnd(header); i < end; ++i)
      if (Lines[i].KeyLine && win::AnsiSameText(Lines[i].Name, key)) return i;
    return -1;
  }
  void Erase(size_t from, size_t to) { Bytes.erase(from, to - from); }
};

Profile Load(const AnsiString& fileName) {
  Profile p;
  std::ifstream in(win::ToHostPath(fileName), std::ios::binary);
  if (in) {
    std::ostringstream s;
    s << in.rdbuf();
    p.Bytes = s.str();
  }
  p.Parse();
  return p;
}

[[noreturn]] void WriteError(const AnsiString& fileName) { throw Exception("Unable to write to " + fileName); }

bool WriteAll(int fd, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Replaces the file in one step: the new content goes to a temporary file
// beside it, reaches the disk, and is renamed over the old one. A crash at any
// moment leaves either the old or the new file, never a torn one.
void Save(const AnsiString& fileName, const std::string& bytes) {
  std::string target = win::ToHostPath(fileName);
  struct stat st;
  bool existed = stat(target.c_str(), &st) == 0;
  if (existed && (S_ISDIR(st.st_mode) || (st.st_mode & S_IWUSR) == 0)) WriteError(fileName);
  // Write through a link to the file it names, not over the link.
  char real[PATH_MAX];
  if (existed && realpath(target.c_str(), real)) target = real;
  size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = dir + "/." + name + "." + std::to_string(getpid()) + "." + std::to_string(counter++) + ".tmp";
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) WriteError(fileName);
  bool ok = WriteAll(fd, bytes);
  if (ok && existed) {
    ok = fchmod(fd, st.st_mode & 07777) == 0;
    if (fchown(fd, st.st_uid, st.st_gid) != 0) {
      // Another owner cannot be kept without privileges; the content matters more.
    }
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    WriteError(fileName);
  }
  win::host::NoteCreated(target);
  // The rename itself must reach the disk too.
  if (int d = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); d >= 0) {
    fsync(d);
    close(d);
  }
}

}  // namespace

TIniFile::TIniFile(const AnsiString& FileName) : FFileName(FileName) {}

AnsiString TIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                const AnsiString& Default) const {
  Profile p = Load(FFileName);
  int key = p.FindKey(p.FindSection(Section), Ident);
  return key < 0 ? Default : AnsiString(p.Lines[key].Value);
}

int32_t TIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, int32_t Default) const {
  int32_t value = Default;
  return TryStrToInt(ReadString(Section, Ident, ""), value) ? value : Default;
}

bool TIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  Profile p = Load(FFileName);
  std::string_view section = TrimBlanks(Section), ident = TrimBlanks(Ident);
  int header = p.FindSection(section);
  int key = p.FindKey(header, ident);
  if (key >= 0) {
    // The line keeps the key as written there and its own line end.
    const Line& l = p.Lines[key];
    std::string text = std::string(l.Name) + "=" + Value;
    p.Bytes.replace(l.Start, l.TextEnd - l.Start, text);
  } else if (header >= 0) {
    // After the section's last non-blank line, so a blank line before the next
    // section stays where it is.
    int last = header;
    for (int i = header + 1, end = p.SectionEnd(header); i < end; ++i)
      if (!TrimBlanks(std::string_view(p.Bytes).substr(p.Lines[i].Start, p.Lines[i].TextEnd - p.Lines[i].Start)).empty())
        last = i;
    const Line& l = p.Lines[last];
    std::string text = std::string(ident) + "=" + Value + "\r\n";
    if (l.End == l.TextEnd) text.insert(0, "\r\n");  // the last line of the file had no line end
    p.Bytes.insert(l.End, text);
  } else {
    if (!p.Bytes.empty() && p.Bytes.back() != '\n') p.Bytes += "\r\n";
    p.Bytes += "[" + std::string(section) + "]\r\n" + std::string(ident) + "=" + Value + "\r\n";
  }
  Save(FFileName, p.Bytes);
}

void TIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int32_t Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

void TIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

void TIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) const {
  Strings->Clear();
  Profile p = Load(FFileName);
  int header = p.FindSection(Section);
  if (header < 0) return;
  for (int i = header + 1, end = p.SectionEnd(header); i < end; ++i)
    if (p.Lines[i].KeyLine) Strings->Add(AnsiString(p.Lines[i].Name));
}

void TIniFile::ReadSections(TStrings* Strings) const {
  Strings->Clear();
  Profile p = Load(FFileName);
  for (const Line& l : p.Lines)
    if (l.Header) Strings->Add(AnsiString(l.Name));
}

void TIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) const {
  Strings->Clear();
  Profile p = Load(FFileName);
  int header = p.FindSection(Section);
  if (header < 0) return;
  for (int i = header + 1, end = p.SectionEnd(header); i < end; ++i)
    if (p.Lines[i].KeyLine) Strings->Add(AnsiString(p.Lines[i].Name) + "=" + AnsiString(p.Lines[i].Value));
}

bool TIniFile::SectionExists(const AnsiString& Section) const {
  Profile p = Load(FFileName);
  int header = p.FindSection(Section);
  if (header < 0) return false;
  for (int i = header + 1, end = p.SectionEnd(header); i < end; ++i)
    if (p.Lines[i].KeyLine) return true;
  return false;
}

bool TIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) const {
  Profile p = Load(FFileName);
  return p.FindKey(p.FindSection(Section), Ident) >= 0;
}

void TIniFile::EraseSection(const AnsiString& Section) {
  Profile p = Load(FFileName);
  bool changed = false;
  // Every section of that name goes, from the last one backwards.
  std::vector<int> headers;
  for (int h = p.FindSection(Section); h >= 0; h = p.FindSection(Section, h + 1)) headers.push_back(h);
  for (auto it = headers.rbegin(); it != headers.rend(); ++it) {
    int end = p.SectionEnd(*it);
    size_t to = end < static_cast<int>(p.Lines.size()) ? p.Lines[end].Start : p.Bytes.size();
    p.Erase(p.Lines[*it].Start, to);
    changed = true;
  }
  if (changed) Save(FFileName, p.Bytes);
}

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  Profile p = Load(FFileName);
  int header = p.FindSection(Section);
  int key = p.FindKey(header, Ident);
  if (key < 0) return;
  p.Erase(p.Lines[key].Start, p.Lines[key].End);
  Save(FFileName, p.Bytes);
}

}  // namespace vcl
