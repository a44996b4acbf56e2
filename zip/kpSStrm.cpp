#include "zip/kpSStrm.h"

#include <cstdlib>
#include <cstring>

#include "zip/kpStrRes.h"

namespace kp {

namespace {

// Texts of the "S_Stream" message table.
enum { sSeekError = 1, sInvalidOrigin = 2, sPutbackOverflow = 3 };

AnsiString StreamText(int Id) {
  AnsiString text;
  GetResourceString("S_Stream", Id, text);
  return text;
}

}  // namespace

TS_BufferStream::TS_BufferStream(TStream* AStream)
    : FInnerStream(AStream), FBufferStart(new uint8_t[DefaultBufferSize]) {
  FBufferLimit = FBufferStart.get() + FBufferSize;
}

TS_BufferStream::~TS_BufferStream() {
  if (FBufferMode == bmWriting) FlushBuffer();
}

int32_t TS_BufferStream::BufferedOffset() const {
  if (FBufferCursor == nullptr) return 0;
  if (FBufferMode == bmReading) return static_cast<int32_t>(FBufferCursor - FBufferLimit);
  if (FBufferMode == bmWriting) return static_cast<int32_t>(FBufferCursor - FBufferStart.get());
  return 0;
}

int32_t TS_BufferStream::LogicalSize() {
  int32_t position = FInnerStream->Position() + BufferedOffset();
  int32_t size = FInnerStream->Size();
  return size > position ? size : position;
}

bool TS_BufferStream::FillBuffer() {
  int32_t got = FInnerStream->Read(FBufferStart.get(), FBufferSize);
  if (got < 0) got = 0;
  FBufferCursor = FBufferStart.get();
  FBufferLimit = FBufferStart.get() + got;
  FBufferMode = got > 0 ? bmReading : bmIdle;
  AfterFill();
  return got > 0;
}

bool TS_BufferStream::FlushBuffer() {
  int32_t pending = 0;
  if (FBufferCursor != nullptr) pending = static_cast<int32_t>(FBufferCursor - FBufferStart.get());
  int32_t written = pending > 0 ? FInnerStream->Write(FBufferStart.get(), pending) : 0;
  FBufferCursor = FBufferStart.get();
  FBufferMode = bmIdle;
  AfterFlush();
  return written == pending;
}

void TS_BufferStream::PutBack(uint8_t B) {
  if (FBufferCursor == nullptr || FBufferCursor <= FBufferStart.get())
    throw EStreamError(StreamText(sPutbackOverflow));
  --FBufferCursor;
  *FBufferCursor = B;
}

void TS_BufferStream::AfterFill() {
  if (OnAfterFill) OnAfterFill(this);
}

void TS_BufferStream::AfterFlush() {
  if (OnAfterFlush) OnAfterFlush(this);
}

int32_t TS_BufferStream::Read(void* Buffer, int32_t Count) {
  if (FBufferMode != bmReading) {
    // Pending writes go out first, so the read goes on from the logical
    // position; then the buffer starts empty.
    if (FBufferMode == bmWriting) FlushBuffer();
    FBufferCursor = FBufferStart.get();
    FBufferLimit = FBufferCursor;
  }
  auto* out = static_cast<uint8_t*>(Buffer);
  int32_t done = 0;
  while (done < Count) {
    if (FBufferCursor >= FBufferLimit && !FillBuffer()) break;
    int32_t chunk = static_cast<int32_t>(FBufferLimit - FBufferCursor);
    if (chunk > Count - done) chunk = Count - done;
    std::memcpy(out + done, FBufferCursor, chunk);
    FBufferCursor += chunk;
    done += chunk;
  }
  return done;
}

int32_t TS_BufferStream::Write(const void* Buffer, int32_t Count) {
  if (FBufferMode == bmReading) {
    // Switching from reading to writing: put the file position where the
    // caller sees it, so the bytes land there and not after the read-ahead.
    int32_t position = FInnerStream->Position() + BufferedOffset();
    FInnerStream->Seek(position, soFromBeginning);
    FBufferMode = bmIdle;
  }
  if (FBufferMode != bmWriting) {
    FBufferCursor = FBufferStart.get();
    FBufferLimit = FBufferStart.get() + FBufferSize;
  }
  const auto* in = static_cast<const uint8_t*>(Buffer);
  int32_t done = 0;
  while (done < Count) {
    int32_t chunk = static_cast<int32_t>(FBufferLimit - FBufferCursor);
    if (chunk > Count - done) chunk = Count - done;
    std::memcpy(FBufferCursor, in + done, chunk);
    FBufferCursor += chunk;
    done += chunk;
    if (FBufferCursor >= FBufferLimit) {
      FBufferMode = bmWriting;
      if (!FlushBuffer()) break;
    }
  }
  if (FBufferCursor > FBufferStart.get()) FBufferMode = bmWriting;
  return done;
}

int32_t TS_BufferStream::Seek(int32_t Offset, uint16_t Origin) {
  int64_t current = int64_t{FInnerStream->Position()} + BufferedOffset();
  int64_t target = 0;
  switch (Origin) {
    case soFromBeginning: target = Offset; break;
    case soFromCurrent: target = current + Offset; break;
    case soFromEnd: target = int64_t{LogicalSize()} - std::llabs(Offset); break;
    default: throw Exception(Format(StreamText(sInvalidOrigin).c_str(), static_cast<int>(Origin)));
  }
  if (target == current) return static_cast<int32_t>(target);
  if (FBufferMode == bmWriting && !FlushBuffer()) throw EStreamError(StreamText(sSeekError));
  FBufferCursor = nullptr;
  FBufferMode = bmIdle;
  // A target the file cannot take (before its start) leaves the position where
  // the file put it; the caller learns the real one.
  int32_t reached = FInnerStream->Seek(static_cast<int32_t>(target), soFromBeginning);
  return reached >= 0 ? reached : FInnerStream->Position();
}

}  // namespace kp
