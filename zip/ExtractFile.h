#pragma once
// The output file of one entry. The buffered stream reports a flush that the
// file did not take whole (a full disk) only through return values, some of
// which its callers cannot see; this stream remembers the first such failure
// and the system's reason for it.
#include "platform/WinTypes.h"
#include "zip/KpLib.h"

namespace kp {

class TExtractFileStream : public TLFNFileStream {
 public:
  // Creates (or truncates) FileName; the open error passes through.
  explicit TExtractFileStream(const AnsiString& FileName) : TLFNFileStream(FileName, fmCreate) {}

  bool FlushBuffer() override {
    const bool ok = TLFNFileStream::FlushBuffer();
    if (!ok && !FFailed) {
      FFailed = true;
      FError = win::GetLastError();
    }
    return ok;
  }
  bool Failed() const { return FFailed; }
  win::DWORD Error() const { return FError; }

 private:
  bool FFailed = false;
  win::DWORD FError = 0;
};

}  // namespace kp
