#pragma once
// TS_BufferStream: turns many small reads and writes into 8192-byte ones on an
// inner stream while keeping the usual Read/Write/Seek contract.
#include <cstdint>
#include <functional>
#include <memory>

#include "rtl/Streams.h"

namespace kp {
using namespace vcl;

enum TBufferMode : uint8_t { bmIdle = 0, bmReading = 1, bmWriting = 2 };

// The one library-wide buffer size.
constexpr int32_t DefaultBufferSize = 8192;

class TS_BufferStream;
using TBufferStreamHook = std::function<void(TS_BufferStream* Stream)>;

class TS_BufferStream : public TStream {
 public:
  // AStream is buffered, not owned.
  explicit TS_BufferStream(TStream* AStream);
  // Flushes pending writes (a failure is not reported); the inner stream stays.
  ~TS_BufferStream() override;
  TS_BufferStream(const TS_BufferStream&) = delete;
  TS_BufferStream& operator=(const TS_BufferStream&) = delete;

  // Fewer bytes than asked only at the end of the data; never raises.
  int32_t Read(void* Buffer, int32_t Count) override;
  // Returns the bytes taken; stops early only when a flush fails.
  int32_t Write(const void* Buffer, int32_t Count) override;
  // Origin 2 counts |Offset| back from the end. A seek to the current position
  // keeps the buffer. Raises Exception "Invalid seek origin (%d)", or
  // EStreamError "Seek error" when pending writes cannot be flushed.
  int32_t Seek(int32_t Offset, uint16_t Origin) override;

  virtual bool FillBuffer();
  virtual bool FlushBuffer();
  // Steps back one byte and stores B there; EStreamError "Putback overflow"
  // when nothing can be stepped back over.
  virtual void PutBack(uint8_t B);
  virtual void AfterFill();
  virtual void AfterFlush();

  TStream* InnerStream() const { return FInnerStream; }
  TBufferMode BufferMode() const { return FBufferMode; }

  TBufferStreamHook OnAfterFill;
  TBufferStreamHook OnAfterFlush;

 protected:
  int32_t BufferedOffset() const;
  int32_t LogicalSize();

  TStream* FInnerStream;
  std::unique_ptr<uint8_t[]> FBufferStart;
  uint8_t* FBufferCursor = nullptr;
  uint8_t* FBufferLimit = nullptr;
  int32_t FBufferSize = DefaultBufferSize;
  TBufferMode FBufferMode = bmIdle;
};

}  // namespace kp
