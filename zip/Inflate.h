#pragma once
// Inflate: decodes a deflated entry (method 8, RFC 1951) from ReadNextByte
// into the work area's window and on through FlushWindow / FlushOutput.
#include "zip/ExtractWork.h"

namespace kp {

enum : int {
  inflateOk = 0,
  inflateBadData = 1,     // bad stored length, code lengths, codes or code sets
  inflateBadBlock = 2,    // block type 3
  inflateNoMemory = 3,
};

// Decodes the current entry. On an error, decoding stops at once and nothing
// more is written for the entry (the CRC test then rejects it); the result
// tells which error. Exceptions of the pipe (EBiggerThanUncompressed, read
// failures) pass through with every table released.
int Inflate(ExtractionWorkArea& W);

}  // namespace kp
