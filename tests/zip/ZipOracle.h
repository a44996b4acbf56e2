#pragma once
// Test helpers for the ZIP reader: archives made by real tools inside a test's
// temporary drive, and Python's zipfile as the oracle for what a directory holds.
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempDrive.h"

namespace zip_oracle {

// One entry as Python's zipfile reads it from the central directory.
struct OracleEntry {
  std::string Name;  // as stored, '/' separators (ASCII names only)
  uint32_t Offset = 0;
  uint32_t CRC = 0;
  uint32_t CompressedSize = 0;
  uint32_t UncompressedSize = 0;
  uint32_t DosDateTime = 0;
  uint16_t Method = 0;
  uint16_t Flags = 0;
  uint32_t ExternalAttributes = 0;
};

// Runs a Python script (fed on standard input) in directory Dir; fails the
// test through the returned status.
inline int RunPython(const std::string& Dir, const std::string& Script, std::string* Out = nullptr) {
  return testing_support::RunCommand("cd '" + Dir + "' && python3 - <<'PYEOF'\n" + Script + "\nPYEOF", Out);
}

// The entries of the archive at HostPath, in central directory order.
inline std::vector<OracleEntry> PythonDirectory(const std::string& HostPath) {
  std::string out;
  RunPython("/", R"(
import zipfile
for i in zipfile.ZipFile(')" + HostPath + R"(').infolist():
    y, mo, d, h, mi, s = i.date_time
    dos = ((y - 1980) << 25) | (mo << 21) | (d << 16) | (h << 11) | (mi << 5) | (s // 2)
    print('\t'.join(str(v) for v in (i.orig_filename, i.header_offset, i.CRC, i.compress_size,
          i.file_size, dos, i.compress_type, i.flag_bits, i.external_attr))))",
            &out);
  std::vector<OracleEntry> entries;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream f(line);
    OracleEntry e;
    std::getline(f, e.Name, '\t');
    f >> e.Offset >> e.CRC >> e.CompressedSize >> e.UncompressedSize >> e.DosDateTime >> e.Method >>
        e.Flags >> e.ExternalAttributes;
    entries.push_back(e);
  }
  return entries;
}

// "a/b/c.txt" -> directory "a\b\" and name "c.txt", as the reader splits it.
inline void SplitStored(const std::string& Stored, std::string& Directory, std::string& Name) {
  std::string s = Stored;
  for (char& c : s)
    if (c == '/') c = '\\';
  size_t cut = s.find_last_of('\\');
  Directory = cut == std::string::npos ? "" : s.substr(0, cut + 1);
  Name = cut == std::string::npos ? s : s.substr(cut + 1);
}

}  // namespace zip_oracle
