#pragma once
// The drive C: of a fuzz target: a fresh temporary directory, made once per
// process and named by STATION_DRIVE_C.
#include <cstdlib>
#include <string>

inline const std::string& FuzzDriveC() {
  static const std::string dir = [] {
    char pattern[] = "/tmp/zip-fuzz-XXXXXX";
    std::string d = mkdtemp(pattern);
    setenv("STATION_DRIVE_C", d.c_str(), 1);
    return d;
  }();
  return dir;
}
