#pragma once
// Traditional PKWARE encryption of ZIP entries (decryption side), as the ZIP
// application note describes it: three keys driven by the password and by
// every plaintext byte.
#include <cstdint>
#include <string_view>

namespace kp {

struct TZipKeys {
  uint32_t Keys[3] = {0x12345678u, 0x23456789u, 0x34567890u};

  // Restarts the keys and runs them over the password's bytes as stored
  // (no code-page conversion).
  void InitKeys(std::string_view Password);
  void UpdateKeys(uint8_t Plain);
  // The next keystream byte, from the low 16 bits of the third key.
  uint8_t DecryptByte() const {
    const uint32_t t = (Keys[2] | 2) & 0xFFFF;
    return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
  }
  // Decrypts in place, advancing the keys with each plaintext byte.
  void DecryptBuffer(uint8_t* Buffer, uint32_t Count);
};

// The encryption header that precedes an encrypted entry's data.
constexpr int EncryptionHeaderSize = 12;

// Starts Keys from Password, decrypts the 12 header bytes in place and returns
// the last one, the check byte. The keys then continue into the entry's data.
uint8_t DecryptHeaderBytes(TZipKeys& Keys, std::string_view Password,
                           uint8_t (&Header)[EncryptionHeaderSize]);

}  // namespace kp
