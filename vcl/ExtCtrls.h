#pragma once
// TTimer: calls OnTimer every Interval milliseconds on the UI thread, from the
// message loop (headless: whenever messages are processed and the time is due).
#include <cstdint>

#include "rtl/Classes.h"

namespace vcl {

class VCL_API TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  TNotifyEvent OnTimer;

  // Tick count of the last start or firing; used by the back end.
  uint32_t LastTick() const { return FLastTick; }
  // Fires OnTimer and restarts the interval.
  void Fire();

 private:
  void Restart();
  unsigned FInterval = 1000;
  bool FEnabled = true;
  uint32_t FLastTick = 0;
};

}  // namespace vcl
