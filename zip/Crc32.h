#pragma once
// CRC-32 of the ZIP format (reflected polynomial 0xEDB88320). The register is
// kept by the caller: start with 0xFFFFFFFF and complement at the end.
#include <cstddef>
#include <cstdint>

namespace kp {

// The 256-entry table of the byte-wise step; the decryption keys use it too.
extern const uint32_t CRCTable[256];

inline uint32_t CRCStep(uint32_t Reg, uint8_t Byte) {
  return CRCTable[(Reg ^ Byte) & 0xFF] ^ (Reg >> 8);
}

// Runs the register over Count bytes; the same result as CRCStep byte by byte.
uint32_t UpdateCRC(uint32_t Reg, const uint8_t* Buffer, size_t Count);

}  // namespace kp
