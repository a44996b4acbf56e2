#include "tests/support/TempDrive.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

namespace fs = std::filesystem;

TempDrive::TempDrive() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/station-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  FRoot = pattern;
  if (const char* c = std::getenv("STATION_DRIVE_C")) { FHadDriveC = true; FOldDriveC = c; }
  if (const char* h = std::getenv("HOME")) { FHadHome = true; FOldHome = h; }
  setenv("STATION_DRIVE_C", FRoot.c_str(), 1);
  setenv("HOME", FRoot.c_str(), 1);
}

TempDrive::~TempDrive() {
  if (FHadDriveC) setenv("STATION_DRIVE_C", FOldDriveC.c_str(), 1); else unsetenv("STATION_DRIVE_C");
  if (FHadHome) setenv("HOME", FOldHome.c_str(), 1); else unsetenv("HOME");
  // Read-only files and directories must not keep the tree alive.
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(FRoot, ec); !ec && it != fs::end(it); it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(FRoot, ec);
}

std::string TempDrive::Host(const std::string& relative) const { return FRoot + "/" + relative; }

void TempDrive::WriteFile(const std::string& relative, const std::string& bytes) const {
  fs::path p = Host(relative);
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string TempDrive::ReadFile(const std::string& relative) const { return ReadHostFile(Host(relative)); }

bool TempDrive::Exists(const std::string& relative) const { return fs::exists(Host(relative)); }

int RunCommand(const std::string& command, std::string* out) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  int status = pclose(p);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadHostFile(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string SourceDir() { return STATION_SOURCE_DIR; }
std::string BinDir() { return STATION_BIN_DIR; }

}  // namespace testing_support
