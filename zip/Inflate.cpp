#include "zip/Inflate.h"

#include <cstring>

#include "zip/BitReader.h"
#include "zip/HuftBuild.h"

namespace kp {

namespace {

constexpr unsigned WSize = 32768;  // the sliding window

// RFC 1951 3.2.5: base lengths and extra bits of the length symbols 257 ...
// 285; 286 and 287 exist only in the fixed code and are invalid.
const uint16_t LengthBase[31] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27, 31,
                                 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258, 0,  0};
const uint8_t LengthExtra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,  2, 2,
                                 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 99, 99};
const uint16_t DistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                   33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t DistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                   6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// Order in which a dynamic block sends the code lengths of the code-length code.
const uint8_t CodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

constexpr unsigned MaxLiteralCodes = 286;
constexpr unsigned MaxDistanceCodes = 30;

class TInflater {
 public:
  explicit TInflater(ExtractionWorkArea& W) : FWork(W), FIn(W) {}

  int Run() {
    bool last = false;
    do {
      const int r = Block(last);
      if (r != inflateOk) return r;
    } while (!last);
    FlushWindow(FWork, FWinPos);
    FlushOutput(FWork);
    return inflateOk;
  }

 private:
  int Block(bool& Last) {
    Last = FIn.GetBits(1) != 0;
    switch (FIn.GetBits(2)) {
      case 0: return StoredBlock();
      case 1: return FixedBlock();
      case 2: return DynamicBlock();
      default: return inflateBadBlock;
    }
  }

  void PutWindowByte(uint8_t b) {
    FWork.Window[FWinPos++] = b;
    if (FWinPos == WSize) {
      FlushWindow(FWork, WSize);
      FWinPos = 0;
    }
  }

  // Stored block: byte-aligned LEN, its complement NLEN, then LEN raw bytes.
  int StoredBlock() {
    FIn.DumpBits(FIn.BitCnt & 7);
    const unsigned length = FIn.GetBits(16);
    const unsigned complement = FIn.GetBits(16);
    if (length != (~complement & 0xFFFF)) return inflateBadData;
    for (unsigned n = length; n > 0;) {
      // The bit buffer holds whole bytes now. Once it is empty, bytes already
      // in the input buffer go to the window in blocks; the rest (a refill,
      // or the zero bytes past the entry's end) one at a time as before.
      ExtractionWorkArea& W = FWork;
      if (FIn.BitCnt == 0 && W.InCount > 0 && W.BytesToDecode > 0) {
        unsigned block = n;
        if (block > W.InCount) block = W.InCount;
        if (block > static_cast<unsigned>(W.BytesToDecode)) block = static_cast<unsigned>(W.BytesToDecode);
        if (block > WSize - FWinPos) block = WSize - FWinPos;
        std::memcpy(W.Window + FWinPos, W.InPos, block);
        W.InPos += block;
        W.InCount = static_cast<uint16_t>(W.InCount - block);
        W.BytesToDecode -= static_cast<int32_t>(block);
        n -= block;
        FWinPos += block;
        if (FWinPos == WSize) {
          FlushWindow(FWork, WSize);
          FWinPos = 0;
        }
        continue;
      }
      PutWindowByte(static_cast<uint8_t>(FIn.GetBits(8)));
      --n;
    }
    return inflateOk;
  }

  // Fixed codes (RFC 1951 3.2.6).
  int FixedBlock() {
    uint8_t lengths[288];
    std::memset(lengths, 8, 144);
    std::memset(lengths + 144, 9, 112);
    std::memset(lengths + 256, 7, 24);
    std::memset(lengths + 280, 8, 8);
    THuftTable literals, distances;
    int literalWidth = 7;
    int r = BuildHuffmanTables(lengths, 288, 257, LengthBase, LengthExtra, literals, literalWidth);
    if (r != huftComplete) return r;
    std::memset(lengths, 5, 30);
    int distanceWidth = 5;
    // Thirty 5-bit codes leave two unused: incomplete, and that is allowed here.
    r = BuildHuffmanTables(lengths, 30, 0, DistanceBase, DistanceExtra, distances, distanceWidth);
    if (r > huftIncomplete) return r;
    return Codes(literals.get(), distances.get(), literalWidth, distanceWidth);
  }

  int DynamicBlock() {
    const unsigned literalCount = 257 + FIn.GetBits(5);
    const unsigned distanceCount = 1 + FIn.GetBits(5);
    const unsigned lengthCodeCount = 4 + FIn.GetBits(4);
    if (literalCount > MaxLiteralCodes || distanceCount > MaxDistanceCodes) return inflateBadData;

    // The code-length code: 3 bits per length, in the order of the format.
    uint8_t lengths[MaxLiteralCodes + MaxDistanceCodes] = {};
    for (unsigned i = 0; i < lengthCodeCount; ++i)
      lengths[CodeLengthOrder[i]] = static_cast<uint8_t>(FIn.GetBits(3));
    THuftTable lengthCode;
    int lengthWidth = 7;
    int r = BuildHuffmanTables(lengths, 19, 19, nullptr, nullptr, lengthCode, lengthWidth);
    if (r != huftComplete) return r;
    if (!lengthCode) return inflateBadData;  // no code-length code at all

    // The literal/length and distance code lengths, sent as one run.
    const unsigned total = literalCount + distanceCount;
    unsigned previous = 0;
    for (unsigned i = 0; i < total;) {
      FIn.NeedBits(lengthWidth);
      const THuft& e = lengthCode.get()[FIn.Peek(lengthWidth)];
      FIn.DumpBits(e.Bits);
      const unsigned symbol = e.Value;
      unsigned repeat, value;
      if (symbol < 16) {  // a length
        lengths[i++] = static_cast<uint8_t>(symbol);
        previous = symbol;
        continue;
      } else if (symbol == 16) {  // the previous length 3 to 6 times
        repeat = 3 + FIn.GetBits(2);
        value = previous;
      } else if (symbol == 17) {  // 3 to 10 zeros
        repeat = 3 + FIn.GetBits(3);
        value = previous = 0;
      } else {  // 11 to 138 zeros
        repeat = 11 + FIn.GetBits(7);
        value = previous = 0;
      }
      if (i + repeat > total) return inflateBadData;
      std::memset(lengths + i, static_cast<int>(value), repeat);
      i += repeat;
    }
    lengthCode.reset();

    THuftTable literals, distances;
    int literalWidth = 9;
    r = BuildHuffmanTables(lengths, literalCount, 257, LengthBase, LengthExtra, literals,
                           literalWidth);
    if (r != huftComplete) return r == huftIncomplete ? inflateBadData : r;
    int distanceWidth = 6;
    r = BuildHuffmanTables(lengths + literalCount, distanceCount, 0, DistanceBase, DistanceExtra,
                           distances, distanceWidth);
    if (r != huftComplete) return r == huftIncomplete ? inflateBadData : r;
    return Codes(literals.get(), distances.get(), literalWidth, distanceWidth) == inflateOk
               ? inflateOk
               : inflateBadData;
  }

  // The bit buffer and count of the hot loop, kept in locals: were they
  // members, every byte stored into the window could change them as far as
  // the compiler knows, and it would reload them after each one.
  struct TBits {
    uint64_t Buf;
    unsigned Cnt;
  };

  // Hands the bits back to the bit reader for a refill, and takes them again.
  [[gnu::noinline]] TBits Refill(TBits B, unsigned N) {
    FIn.BitBuf = B.Buf;
    FIn.BitCnt = B.Cnt;
    FIn.NeedBits(N);
    return {FIn.BitBuf, FIn.BitCnt};
  }

  // Follows links into sub-tables until an entry with a symbol; null for an
  // invalid code or an empty code set.
  const THuft* Decode(const THuft* Table, unsigned Width, TBits& B) {
    if (!Table) return nullptr;
    if (B.Cnt < Width) B = Refill(B, Width);
    const THuft* e = Table + (B.Buf & ((uint64_t{1} << Width) - 1));
    while (e->Op > huftLink) {
      if (e->Op == huftInvalid) return nullptr;
      B.Buf >>= e->Bits;
      B.Cnt -= e->Bits;
      const unsigned bits = e->Op - huftLink;
      if (B.Cnt < bits) B = Refill(B, bits);
      e = e->Next + (B.Buf & ((uint64_t{1} << bits) - 1));
    }
    B.Buf >>= e->Bits;
    B.Cnt -= e->Bits;
    return e;
  }

  uint32_t ExtraBits(unsigned N, TBits& B) {
    if (B.Cnt < N) B = Refill(B, N);
    const uint32_t v = static_cast<uint32_t>(B.Buf & ((uint64_t{1} << N) - 1));
    B.Buf >>= N;
    B.Cnt -= N;
    return v;
  }

  int Codes(const THuft* Literals, const THuft* Distances, unsigned LiteralWidth,
            unsigned DistanceWidth) {
    uint8_t* const window = FWork.Window;
    TBits b{FIn.BitBuf, FIn.BitCnt};
    unsigned pos = FWinPos;
    struct TWriteBack {  // also when the output side raises
      TInflater& I;
      const TBits& Bits;
      const unsigned& Pos;
      ~TWriteBack() {
        I.FIn.BitBuf = Bits.Buf;
        I.FIn.BitCnt = Bits.Cnt;
        I.FWinPos = Pos;
      }
    } writeBack{*this, b, pos};
    for (;;) {
      const THuft* e = Decode(Literals, LiteralWidth, b);
      if (!e) return inflateBadData;
      if (e->Op == huftLiteral) {
        window[pos++] = static_cast<uint8_t>(e->Value);
        if (pos == WSize) {
          FlushWindow(FWork, WSize);
          pos = 0;
        }
        continue;
      }
      if (e->Op == huftEndOfBlock) return inflateOk;

      // A length, then its distance.
      const unsigned length = e->Value + ExtraBits(e->Op, b);
      const THuft* d = Decode(Distances, DistanceWidth, b);
      if (!d) return inflateBadData;
      const unsigned distance = d->Value + ExtraBits(d->Op, b);

      // Copy from WinPos - distance (within the window's ring) in pieces
      // that stop at the window's end on either side. A distance is not
      // checked against the data produced so far.
      unsigned from = (pos - distance) & (WSize - 1);
      for (unsigned left = length; left > 0;) {
        unsigned piece = WSize - (from > pos ? from : pos);
        if (piece > left) piece = left;
        left -= piece;
        if (from + 1 == pos) {  // a distance of 1 repeats the byte before
          std::memset(window + pos, window[from], piece);
          pos += piece;
          from += piece;
        } else if (from < pos && pos - from < 8 && pos - from < piece) {
          // The source runs into the copy closer than a word: byte by byte,
          // front to back, so that a distance of 1 repeats one byte.
          do window[pos++] = window[from++];
          while (--piece);
        } else {
          // Eight bytes at a time, each word read whole before it is
          // stored: the same bytes as a copy front to back, also where the
          // source runs into the copy (at least a word behind it) or lies
          // just ahead of it.
          for (; piece >= 8; piece -= 8) {
            uint64_t word;
            std::memcpy(&word, window + from, 8);
            std::memcpy(window + pos, &word, 8);
            pos += 8;
            from += 8;
          }
          for (; piece > 0; --piece) window[pos++] = window[from++];
        }
        from &= WSize - 1;
        if (pos == WSize) {
          FlushWindow(FWork, WSize);
          pos = 0;
        }
      }
    }
  }

  ExtractionWorkArea& FWork;
  TBitReader FIn;
  unsigned FWinPos = 0;
};

}  // namespace

int Inflate(ExtractionWorkArea& W) {
  TInflater inflater(W);
  try {
    return inflater.Run();
  } catch (const TInputExhausted&) {
    return inflateBadData;
  }
}

}  // namespace kp
