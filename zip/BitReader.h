#pragma once
// The bit reader of inflate and explode: bits arrive least significant first
// from ReadNextByte. Once the entry's compressed bytes are used up it supplies
// zero bits, so a decoder reading garbage still comes to an end, an end
// marker or an error; a decoder that keeps asking long after the data ended
// is stopped with TInputExhausted.
#include <bit>
#include <cstdint>
#include <cstring>

#include "zip/ExtractWork.h"

namespace kp {

static_assert(std::endian::native == std::endian::little, "NeedBits loads input words little-endian");

// Raised by NeedBits when far more bytes were wanted than the entry holds.
// Every decoder that uses TBitReader catches it and ends as for bad data.
struct TInputExhausted {};

class TBitReader {
 public:
  explicit TBitReader(ExtractionWorkArea& W) : FWork(W) {}

  uint64_t BitBuf = 0;  // the next bit in the least significant position
  unsigned BitCnt = 0;

  void NeedBits(unsigned N) {
    if (BitCnt >= N) return;
    // Bytes already in the input buffer are taken several at a time; this
    // moves nothing earlier than ReadNextByte would: a refill still happens
    // only once the decoder wants a bit the buffer does not hold.
    ExtractionWorkArea& W = FWork;
    if (W.InCount >= 8 && W.BytesToDecode >= 8) {
      const unsigned taken = (63 - BitCnt) >> 3;  // whole bytes that fit
      uint64_t next;
      std::memcpy(&next, W.InPos, 8);  // little-endian: the first byte lowest
      BitBuf |= (next & ((uint64_t{1} << (taken * 8)) - 1)) << BitCnt;
      W.InPos += taken;
      W.InCount = static_cast<uint16_t>(W.InCount - taken);
      W.BytesToDecode -= static_cast<int32_t>(taken);
      BitCnt += taken * 8;
      return;
    }
    while (BitCnt < N) {
      uint8_t b;
      if (!ReadNextByte(FWork, b)) b = PastEnd();
      BitBuf |= static_cast<uint64_t>(b) << BitCnt;
      BitCnt += 8;
    }
  }
  void DumpBits(unsigned N) {
    BitBuf >>= N;
    BitCnt -= N;
  }
  uint32_t Peek(unsigned N) const { return static_cast<uint32_t>(BitBuf & ((uint64_t{1} << N) - 1)); }
  // NeedBits, Peek and DumpBits in one.
  uint32_t GetBits(unsigned N) {
    NeedBits(N);
    const uint32_t v = Peek(N);
    DumpBits(N);
    return v;
  }

 private:
  // A valid stream reads at most two bytes past its end (a short final code
  // looked up with the full table width); allow a little more.
  static constexpr int MaxBytesPastEnd = 16;

  uint8_t PastEnd() {
    if (++FPastEnd > MaxBytesPastEnd) throw TInputExhausted{};
    return 0;
  }

  ExtractionWorkArea& FWork;
  int FPastEnd = 0;
};

}  // namespace kp
