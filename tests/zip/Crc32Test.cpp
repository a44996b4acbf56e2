#include "zip/Crc32.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempDrive.h"

namespace {

uint32_t Crc(const std::string& s) {
  return ~kp::UpdateCRC(0xFFFFFFFFu, reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

TEST(Crc32, KnownValues) {
  testing_support::TempDrive drive;
  std::string pattern;
  for (int i = 0; i < 25600; ++i) pattern += static_cast<char>(i & 0xFF);
  const struct {
    std::string Data;
    uint32_t Crc;
  } cases[] = {
      {"", 0},
      {"a", 0xE8B7BE43u},
      {"123456789", 0xCBF43926u},  // the check value of CRC-32/ISO-HDLC
      {pattern, 0x130F4D3Bu},      // Python: zlib.crc32(bytes(range(256)) * 100)
  };
  for (const auto& c : cases) EXPECT_EQ(Crc(c.Data), c.Crc) << c.Data.size();
}

TEST(Crc32, BulkEqualsByteSteps) {
  // Every length and alignment around the eight-byte steps of the bulk loop.
  std::string data;
  for (int i = 0; i < 64; ++i) data += static_cast<char>(i * 37 + 11);
  for (size_t start = 0; start < 9; ++start)
    for (size_t len = 0; start + len <= data.size(); ++len) {
      uint32_t reg = 0x12345678u;
      for (size_t i = start; i < start + len; ++i) reg = kp::CRCStep(reg, static_cast<uint8_t>(data[i]));
      EXPECT_EQ(kp::UpdateCRC(0x12345678u, reinterpret_cast<const uint8_t*>(data.data()) + start, len),
                reg);
    }
}

}  // namespace
