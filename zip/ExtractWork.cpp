#include "zip/ExtractWork.h"

#include <algorithm>
#include <cstring>

namespace kp {

void FlushWindow(ExtractionWorkArea& W, unsigned Count) {
  const uint8_t* from = W.Window;
  while (Count > 0) {
    const unsigned room = ExtractionWorkArea::ChunkSize - W.OutCount;
    const unsigned n = std::min(Count, room);
    std::memcpy(W.OutPos, from, n);
    W.OutPos += n;
    W.OutCount = static_cast<uint16_t>(W.OutCount + n);
    from += n;
    Count -= n;
    if (W.OutCount == ExtractionWorkArea::ChunkSize) FlushOutput(W);
  }
}

}  // namespace kp
