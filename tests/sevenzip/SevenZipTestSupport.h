#pragma once
// Helpers shared by the 7z writer's tests: the 7z tool as the judge, the
// recording stand-in library, scoped environment variables.
#include <fcntl.h>
#include <sys/stat.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/CodePages.h"
#include "tests/support/TempDrive.h"

namespace sztest {

using testing_support::RunCommand;

// Sets (or, with nullopt, removes) an environment variable for the scope.
class TEnvVar {
 public:
  TEnvVar(const char* name, std::optional<std::string> value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    if (value) setenv(name, value->c_str(), 1); else unsetenv(name);
  }
  ~TEnvVar() {
    if (FOld) setenv(FName.c_str(), FOld->c_str(), 1); else unsetenv(FName.c_str());
  }
  TEnvVar(const TEnvVar&) = delete;
  TEnvVar& operator=(const TEnvVar&) = delete;

 private:
  std::string FName;
  std::optional<std::string> FOld;
};

inline std::wstring W(const std::string& utf8) { return win::Utf8ToWide(utf8); }

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

// One entry of `7z l -slt`, keyed by the tool's own field names.
using TSltEntry = std::map<std::string, std::string>;

// Entries of an archive as the 7z tool lists them (times in UTC).
inline std::vector<TSltEntry> ListArchive(const std::string& hostArchive, const std::string& password) {
  std::string out;
  RunCommand("TZ=UTC 7z l -slt -p" + Quote(password) + " " + Quote(hostArchive) + " 2>&1", &out);
  std::vector<TSltEntry> entries;
  const size_t start = out.find("\n----------\n");
  if (start == std::string::npos) return entries;
  size_t pos = start + 12;
  TSltEntry current;
  while (pos <= out.size()) {
    size_t end = out.find('\n', pos);
    if (end == std::string::npos) end = out.size();
    const std::string line = out.substr(pos, end - pos);
    pos = end + 1;
    if (line.empty()) {
      if (!current.empty()) entries.push_back(current);
      current.clear();
      continue;
    }
    const size_t eq = line.find(" = ");
    if (eq != std::string::npos) current[line.substr(0, eq)] = line.substr(eq + 3);
    else if (!line.empty() && line.back() == '=') current[line.substr(0, line.size() - 2)] = "";
  }
  if (!current.empty()) entries.push_back(current);
  return entries;
}

// `7z t` with the given password: the tool's exit status (0 = all good).
inline int TestArchive(const std::string& hostArchive, const std::string& password) {
  return RunCommand("7z t -p" + Quote(password) + " " + Quote(hostArchive) + " >/dev/null 2>&1");
}

inline void SetModified(const std::string& hostPath, time_t t) {
  const timespec times[2] = {{t, 0}, {t, 0}};
  utimensat(AT_FDCWD, hostPath.c_str(), times, 0);
}

inline std::string StubLibrary() { return STUB_LIBRARY; }
inline std::string StubLibraryWithoutModuleProp() { return STUB_LIBRARY_NO_MODULE_PROP; }

}  // namespace sztest
