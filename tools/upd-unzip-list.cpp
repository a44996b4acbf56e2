#include "tools/upd-unzip-list.h"

#include "platform/CodePages.h"

namespace updunzip {

namespace {

std::string MethodName(unsigned method) {
  switch (method) {
    case 0: return "Stored";
    case 1: return "Shrunk";
    case 2: case 3: case 4: case 5: return "Reduce" + std::to_string(method - 1);
    case 6: return "Implode";
    case 8: return "Deflate";
    case 9: return "Deflat64";
    case 12: return "BZip2";
    case 14: return "LZMA";
    case 99: return "AES";
    default: return "Unk:" + std::to_string(method);
  }
}

}  // namespace

std::string ShownPath(const kp::AnsiString& StoredPath) {
  std::string s = win::AnsiToUtf8(StoredPath);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

void PrintListing(const kp::TVCLUnZip& Zip, std::FILE* Out) {
  std::fprintf(Out, "    Length       Size  Method    CRC-32    Date       Time      Enc  Name\n");
  std::fprintf(Out, "----------  ---------  --------  --------  ---------- --------  ---  ----\n");
  uint64_t length = 0, size = 0;
  const int count = Zip.EntryCount();
  for (int i = 0; i < count; ++i) {
    const kp::TZipHeaderInfo& e = Zip.Entry(i);
    const uint32_t dos = e.LastModFileDateTime;  // time in the low word, date in the high
    std::fprintf(Out, "%10u %10u  %-8s  %08x  %04u-%02u-%02u %02u:%02u:%02u  %3s  %s\n",
                 static_cast<uint32_t>(e.UncompressedSize), static_cast<uint32_t>(e.CompressedSize),
                 MethodName(e.CompressionMethod).c_str(), e.CRC32, 1980 + (dos >> 25), (dos >> 21) & 15,
                 (dos >> 16) & 31, (dos >> 11) & 31, (dos >> 5) & 63, (dos & 31) * 2,
                 e.IsEncrypted() ? "*" : "", ShownPath(e.Directory() + e.FileName()).c_str());
    length += static_cast<uint32_t>(e.UncompressedSize);
    size += static_cast<uint32_t>(e.CompressedSize);
  }
  std::fprintf(Out, "----------  ---------                                               ----\n");
  std::fprintf(Out, "%10llu %10llu  %d %s\n", static_cast<unsigned long long>(length),
               static_cast<unsigned long long>(size), count, count == 1 ? "entry" : "entries");
}

}  // namespace updunzip
