#include "vcl/ExtCtrls.h"

#include "platform/Times.h"
#include "vcl/Application.h"
#include "vcl/BackEnd.h"

namespace vcl {

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) { Restart(); }

TTimer::~TTimer() { Application->BackEnd().TimerGone(this); }

void TTimer::SetInterval(unsigned Value) {
  FInterval = Value;
  Restart();
}

void TTimer::SetEnabled(bool Value) {
  FEnabled = Value;
  Restart();
}

void TTimer::Restart() {
  FLastTick = win::GetTickCount();
  Application->BackEnd().TimerChanged(this);
}

void TTimer::Fire() {
  FLastTick = win::GetTickCount();
  if (FEnabled && FInterval > 0 && OnTimer) OnTimer(this);
}

}  // namespace vcl
