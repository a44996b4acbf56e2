#pragma once
// The directory listing of upd-unzip -l, and how it shows stored paths.
#include <cstdio>
#include <string>

#include "zip/VCLUnZip.h"

namespace updunzip {

// A stored path (ANSI, '\' separators) as the operator reads it: UTF-8 with '/'.
std::string ShownPath(const kp::AnsiString& StoredPath);
// One line per entry of the open archive's ordered view (length, size,
// method, CRC-32, date and time, encrypted mark, stored path) and a total line.
void PrintListing(const kp::TVCLUnZip& Zip, std::FILE* Out);

}  // namespace updunzip
