#pragma once
// The buffers and counters one extraction call shares between the entry step
// and the decoders, and the two ways data leaves and enters them: ReadNextByte
// for compressed input, FlushOutput / FlushWindow for decoded output.
#include <cstdint>

namespace kp {

class TLFNFileStream;
struct ExtractionWorkArea;

// What a decoder needs from whoever runs it: more compressed bytes and a place
// for decoded ones. The component implements it over the archive and the
// entry's file; tests implement it over memory.
class TEntryPipe {
 public:
  virtual ~TEntryPipe() = default;
  // Refills InBuffer, setting InPos and InCount; false when no byte came.
  virtual bool FillInput(ExtractionWorkArea& W) = 0;
  // Takes the OutCount bytes of OutBuffer (never called with OutCount 0). May
  // raise EBiggerThanUncompressed when they would pass the entry's size.
  virtual void WriteOutput(ExtractionWorkArea& W) = 0;
};

struct ExtractionWorkArea {
  static constexpr int WindowSize = 0x800C;  // 32780: 32 KiB window, or unshrink's tables
  static constexpr int BufferSize = 0x3E81;  // 16001
  static constexpr int ChunkSize = 16000;    // what is read or written at a time

  uint8_t Window[WindowSize] = {};
  uint8_t InBuffer[BufferSize] = {};
  uint8_t OutBuffer[BufferSize] = {};
  uint8_t* InPos = InBuffer;
  uint16_t InCount = 0;
  uint8_t* OutPos = OutBuffer;
  uint16_t OutCount = 0;
  // Compressed bytes the decoder may still take; below 0 once it asks beyond the end.
  int32_t BytesToDecode = 0;
  int32_t EntrySize = 0;
  int32_t BytesWritten = 0;
  TLFNFileStream* OutputStream = nullptr;
  TLFNFileStream* ArchiveStream = nullptr;
  // Bit state of the shrink and reduce decoders.
  uint32_t BitBuffer = 0;
  uint16_t BitCount = 0;
  uint32_t EndOfInput = 0;
  TEntryPipe* Pipe = nullptr;

  // The state every entry starts from: no buffered input or output, no bits.
  void StartEntry(int32_t CompressedBytes, int32_t UncompressedBytes) {
    InPos = InBuffer;
    InCount = 0;
    OutPos = OutBuffer;
    OutCount = 0;
    BytesToDecode = CompressedBytes;
    EntrySize = UncompressedBytes;
    BytesWritten = 0;
    BitBuffer = 0;
    BitCount = 0;
    EndOfInput = 0;
  }
};

// Next compressed byte of the entry; false once the entry's bytes are used up
// (or the archive had no more), and BytesToDecode then keeps counting down.
inline bool ReadNextByte(ExtractionWorkArea& W, uint8_t& Byte) {
  if (W.BytesToDecode <= 0) {
    --W.BytesToDecode;
    return false;
  }
  --W.BytesToDecode;
  if (W.InCount == 0 && !W.Pipe->FillInput(W)) return false;
  Byte = *W.InPos++;
  --W.InCount;
  return true;
}

// Hands OutBuffer to the pipe and empties it.
inline void FlushOutput(ExtractionWorkArea& W) {
  if (W.OutCount == 0) return;
  W.Pipe->WriteOutput(W);
  W.OutCount = 0;
  W.OutPos = W.OutBuffer;
}

// Moves Window[0 .. Count) to OutBuffer, flushing it whenever it holds a full chunk.
void FlushWindow(ExtractionWorkArea& W, unsigned Count);

}  // namespace kp
