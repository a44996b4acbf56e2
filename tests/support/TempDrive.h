#pragma once
// Each test gets its own temporary directory standing for C:\ (and HOME), so
// tests never touch the user's files or each other.
#include <string>

namespace testing_support {

class TempDrive {
 public:
  TempDrive();
  ~TempDrive();
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;

  // The host directory standing for C:\ (no trailing '/').
  const std::string& Root() const { return FRoot; }
  // Root() + "/" + relative host path.
  std::string Host(const std::string& relative) const;
  // Writes a file (creating parent directories) with the given bytes.
  void WriteFile(const std::string& relative, const std::string& bytes) const;
  std::string ReadFile(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

 private:
  std::string FRoot;
  std::string FOldDriveC;
  std::string FOldHome;
  bool FHadDriveC = false;
  bool FHadHome = false;
};

// Runs a shell command, returns its exit status; output goes to *out when given.
int RunCommand(const std::string& command, std::string* out = nullptr);
// Bytes of a host file; empty when it cannot be read.
std::string ReadHostFile(const std::string& hostPath);
// Source-tree and binary-tree paths, fixed at build time.
std::string SourceDir();
std::string BinDir();

}  // namespace testing_support
