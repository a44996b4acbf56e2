#include "zip/Crypt.h"

#include "zip/Crc32.h"

namespace kp {

void TZipKeys::InitKeys(std::string_view Password) {
  Keys[0] = 0x12345678u;
  Keys[1] = 0x23456789u;
  Keys[2] = 0x34567890u;
  for (char c : Password) UpdateKeys(static_cast<uint8_t>(c));
}

void TZipKeys::UpdateKeys(uint8_t Plain) {
  Keys[0] = CRCStep(Keys[0], Plain);
  Keys[1] = (Keys[1] + (Keys[0] & 0xFF)) * 134775813u + 1;
  Keys[2] = CRCStep(Keys[2], static_cast<uint8_t>(Keys[1] >> 24));
}

void TZipKeys::DecryptBuffer(uint8_t* Buffer, uint32_t Count) {
  // Local copies keep the keys in registers over a whole input chunk.
  uint32_t k0 = Keys[0], k1 = Keys[1], k2 = Keys[2];
  // Each byte waits for the one before it, so the loop is as fast as its
  // chain of dependent steps is short. Bits 8 to 15 of the product depend
  // only on the low 16 bits of the third key, so it needs no mask; the first
  // key meets the ciphertext byte before the keystream byte is known (the
  // table index is the same); the second key's product is split so that its
  // larger half is ready before the plaintext byte is; and the third key's
  // low byte is taken before the second key's top byte arrives, so the two
  // meet as a ready index.
  for (uint32_t i = 0; i < Count; ++i) {
    const uint32_t t = k2 | 2;
    const uint8_t cipher = Buffer[i];
    const uint32_t stream = (t * (t ^ 1)) >> 8;
    Buffer[i] = static_cast<uint8_t>(cipher ^ stream);
    const uint32_t early0 = k0 ^ cipher;
    uint32_t k1Ahead = k1 * 134775813u + 1;
    asm("" : "+r"(k1Ahead));  // keeps the compiler from folding the split back
    uint32_t low2 = k2 & 0xFF;
    asm("" : "+r"(low2));  // and from folding the mask into the index
    k0 = CRCTable[(early0 ^ stream) & 0xFF] ^ (k0 >> 8);
    k1 = k1Ahead + (k0 & 0xFF) * 134775813u;
    k2 = CRCTable[(k1 >> 24) ^ low2] ^ (k2 >> 8);
  }
  Keys[0] = k0;
  Keys[1] = k1;
  Keys[2] = k2;
}

uint8_t DecryptHeaderBytes(TZipKeys& Keys, std::string_view Password,
                           uint8_t (&Header)[EncryptionHeaderSize]) {
  Keys.InitKeys(Password);
  Keys.DecryptBuffer(Header, EncryptionHeaderSize);
  return Header[EncryptionHeaderSize - 1];
}

}  // namespace kp
