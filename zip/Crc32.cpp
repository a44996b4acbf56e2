#include "zip/Crc32.h"

#include <array>
#include <bit>
#include <cstring>

namespace kp {

namespace {

// Sixteen tables let the bulk loop take sixteen bytes per step ("slicing by
// 16"): table k gives the effect of a byte followed by k zero bytes.
using TSlices = std::array<std::array<uint32_t, 256>, 16>;

constexpr TSlices MakeSlices() {
  TSlices t{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][n] = c;
  }
  for (int k = 1; k < 16; ++k)
    for (uint32_t n = 0; n < 256; ++n) t[k][n] = t[0][t[k - 1][n] & 0xFF] ^ (t[k - 1][n] >> 8);
  return t;
}

constexpr TSlices Slices = MakeSlices();

}  // namespace

static_assert(std::endian::native == std::endian::little, "the sliced CRC loop reads words little-endian");

const uint32_t CRCTable[256] = {
#define ROW(i) Slices[0][i], Slices[0][i + 1], Slices[0][i + 2], Slices[0][i + 3]
#define ROW16(i) ROW(i), ROW(i + 4), ROW(i + 8), ROW(i + 12)
    ROW16(0),   ROW16(16),  ROW16(32),  ROW16(48),  ROW16(64),  ROW16(80),
    ROW16(96),  ROW16(112), ROW16(128), ROW16(144), ROW16(160), ROW16(176),
    ROW16(192), ROW16(208), ROW16(224), ROW16(240),
#undef ROW16
#undef ROW
};

uint32_t UpdateCRC(uint32_t Reg, const uint8_t* Buffer, size_t Count) {
  while (Count >= 16) {
    uint32_t w0, w1, w2, w3;
    std::memcpy(&w0, Buffer, 4);
    std::memcpy(&w1, Buffer + 4, 4);
    std::memcpy(&w2, Buffer + 8, 4);
    std::memcpy(&w3, Buffer + 12, 4);
    w0 ^= Reg;  // little-endian host: the register meets the first four bytes
    Reg = Slices[15][w0 & 0xFF] ^ Slices[14][(w0 >> 8) & 0xFF] ^ Slices[13][(w0 >> 16) & 0xFF] ^
          Slices[12][w0 >> 24] ^ Slices[11][w1 & 0xFF] ^ Slices[10][(w1 >> 8) & 0xFF] ^
          Slices[9][(w1 >> 16) & 0xFF] ^ Slices[8][w1 >> 24] ^ Slices[7][w2 & 0xFF] ^
          Slices[6][(w2 >> 8) & 0xFF] ^ Slices[5][(w2 >> 16) & 0xFF] ^ Slices[4][w2 >> 24] ^
          Slices[3][w3 & 0xFF] ^ Slices[2][(w3 >> 8) & 0xFF] ^ Slices[1][(w3 >> 16) & 0xFF] ^
          Slices[0][w3 >> 24];
    Buffer += 16;
    Count -= 16;
  }
  while (Count--) Reg = CRCStep(Reg, *Buffer++);
  return Reg;
}

}  // namespace kp
