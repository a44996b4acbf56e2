// Traditional decryption against entries that zip and 7z encrypted.
#include "zip/Crypt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "tests/support/TempDrive.h"
#include "zip/ExtractWork.h"
#include "zip/Inflate.h"

namespace {

using testing_support::RunCommand;
using testing_support::TempDrive;

uint32_t Le(const std::string& s, size_t at, int width) {
  uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}

// The first entry of a one-entry archive without comment, read by hand from
// its central record.
struct TRawEntry {
  uint16_t Flag, Method;
  uint32_t DosTime, Crc;
  std::string Data;  // the entry's bytes, encryption header included
};

TRawEntry FirstEntry(const std::string& zip) {
  const size_t end = zip.size() - 22;
  const size_t central = Le(zip, end + 16, 4);
  TRawEntry e;
  e.Flag = static_cast<uint16_t>(Le(zip, central + 8, 2));
  e.Method = static_cast<uint16_t>(Le(zip, central + 10, 2));
  e.DosTime = Le(zip, central + 12, 4);
  e.Crc = Le(zip, central + 16, 4);
  const uint32_t size = Le(zip, central + 20, 4);
  const size_t local = Le(zip, central + 42, 4);
  const size_t data = local + 30 + Le(zip, local + 26, 2) + Le(zip, local + 28, 2);
  e.Data = zip.substr(data, size);
  return e;
}

class TMemoryPipe : public kp::TEntryPipe {
 public:
  TMemoryPipe(std::string in, kp::TZipKeys keys) : In(std::move(in)), Keys(keys) {}
  bool FillInput(kp::ExtractionWorkArea& W) override {
    const size_t n = std::min<size_t>(In.size() - Offset, kp::ExtractionWorkArea::ChunkSize);
    std::memcpy(W.InBuffer, In.data() + Offset, n);
    Keys.DecryptBuffer(W.InBuffer, static_cast<uint32_t>(n));
    Offset += n;
    W.InPos = W.InBuffer;
    W.InCount = static_cast<uint16_t>(n);
    return n > 0;
  }
  void WriteOutput(kp::ExtractionWorkArea& W) override {
    Out.append(reinterpret_cast<const char*>(W.OutBuffer), W.OutCount);
  }
  std::string In;
  size_t Offset = 0;
  kp::TZipKeys Keys;
  std::string Out;
};

// Decrypts (and inflates) the entry with Password; returns the plain data or
// "<bad check byte>".
std::string Decrypt(const TRawEntry& e, const std::string& password) {
  uint8_t header[kp::EncryptionHeaderSize];
  std::memcpy(header, e.Data.data(), sizeof header);
  kp::TZipKeys keys;
  const uint8_t check = kp::DecryptHeaderBytes(keys, password, header);
  // The check byte: the time's high byte when a data descriptor follows the
  // data, otherwise the CRC's.
  const uint8_t expected = (e.Flag & 8) ? static_cast<uint8_t>(e.DosTime >> 8)
                                        : static_cast<uint8_t>(e.Crc >> 24);
  if (check != expected) return "<bad check byte>";
  std::string rest = e.Data.substr(kp::EncryptionHeaderSize);
  if (e.Method == 0) {
    keys.DecryptBuffer(reinterpret_cast<uint8_t*>(rest.data()), static_cast<uint32_t>(rest.size()));
    return rest;
  }
  auto work = std::make_unique<kp::ExtractionWorkArea>();
  TMemoryPipe pipe(rest, keys);
  work->Pipe = &pipe;
  work->StartEntry(static_cast<int32_t>(rest.size()), 1 << 30);
  try {
    if (kp::Inflate(*work) != kp::inflateOk) return "<bad data>";
  } catch (...) {  // a wrong password that passed the check gives garbage
    return "<bad data>";
  }
  return pipe.Out;
}

TEST(Crypt, DecryptsWhatRealToolsEncrypted) {
  TempDrive drive;
  std::string content;
  for (int i = 0; i < 3000; ++i) content += "line " + std::to_string(i * 7919 % 1000) + "\n";
  drive.WriteFile("src/data.txt", content);
  const std::string src = drive.Host("src");
  const struct {
    const char* Name;
    std::string Command;  // makes the archive out.zip in the drive's root
    uint16_t Flag;        // expected general purpose flag bits 0 and 3
  } cases[] = {
      {"zip -P stored", "cd " + src + " && zip -q -0 -P 'Pa$$1' ../out.zip data.txt", 9},
      {"zip -P deflated", "cd " + src + " && zip -q -P 'Pa$$1' ../out.zip data.txt", 9},
      {"7z ZipCrypto deflated",
       "cd " + src + " && 7z a -bd -tzip -mem=ZipCrypto '-pPa$$1' ../out.zip data.txt >/dev/null", 1},
      {"7z ZipCrypto stored",
       "cd " + src + " && 7z a -bd -tzip -mx=0 -mem=ZipCrypto '-pPa$$1' ../out.zip data.txt >/dev/null",
       1},
  };
  for (const auto& c : cases) {
    std::remove(drive.Host("out.zip").c_str());
    ASSERT_EQ(RunCommand(c.Command), 0) << c.Name;
    const TRawEntry e = FirstEntry(drive.ReadFile("out.zip"));
    EXPECT_EQ(e.Flag & 9, c.Flag) << c.Name;
    EXPECT_TRUE(Decrypt(e, "Pa$$1") == content) << c.Name;
    // A wrong password fails the check byte (or, one time in 256, gives garbage).
    EXPECT_TRUE(Decrypt(e, "pa$$1") != content) << c.Name;
  }
}

TEST(Crypt, KeysFollowTheApplicationNote) {
  kp::TZipKeys keys;
  EXPECT_EQ(keys.Keys[0], 0x12345678u);
  keys.InitKeys("");
  EXPECT_EQ(keys.Keys[1], 0x23456789u);
  EXPECT_EQ(keys.Keys[2], 0x34567890u);
  // Decrypting byte by byte and in one buffer give the same keystream.
  kp::TZipKeys a, b;
  a.InitKeys("secret");
  b.InitKeys("secret");
  uint8_t buf[100], one[100];
  for (int i = 0; i < 100; ++i) buf[i] = one[i] = static_cast<uint8_t>(i * 13);
  a.DecryptBuffer(buf, 100);
  for (uint8_t& x : one) {
    x ^= b.DecryptByte();
    b.UpdateKeys(x);
  }
  EXPECT_EQ(std::memcmp(buf, one, 100), 0);
  EXPECT_EQ(a.Keys[2], b.Keys[2]);
}

}  // namespace
