#include "vcl/Controls.h"

#include <algorithm>
#include <cstdlib>

#include "vcl/Application.h"
#include "vcl/BackEnd.h"
#include "vcl/Forms.h"

namespace vcl {

uint32_t ColorToRGB(TColor Color) {
  if (Color >= 0) {
    uint32_t bgr = static_cast<uint32_t>(Color);
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
  }
  switch (static_cast<uint32_t>(Color)) {
    case static_cast<uint32_t>(clBtnFace): return 0xF0F0F0;
    case static_cast<uint32_t>(clWindow): return 0xFFFFFF;
    default: return 0x000000;
  }
}

// --- TFont ---

void TFont::Changed() {
  if (FControl) FControl->Changed();
}
void TFont::SetName(const AnsiString& Value) { FName = Value; Changed(); }
void TFont::SetHeight(int Value) { FHeight = Value; Changed(); }
namespace {
// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
  long long p = static_cast<long long>(a) * b;
  long long q = (std::llabs(p) * 2 + c) / (2LL * c);
  return static_cast<int>(p < 0 ? -q : q);
}
}  // namespace

// Points and pixels at 96 dpi.
int TFont::Size() const { return -MulDiv(FHeight, 72, 96); }
void TFont::SetSize(int Points) { SetHeight(-MulDiv(Points, 96, 72)); }
void TFont::SetColor(TColor Value) { FColor = Value; Changed(); }
void TFont::SetStyle(TFontStyles Value) { FStyle = Value; Changed(); }

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    FName = f->FName;
    FHeight = f->FHeight;
    FColor = f->FColor;
    FStyle = f->FStyle;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

TControlPeer::~TControlPeer() = default;

// --- TControl ---

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) { FFont.FControl = this; }

TControl::~TControl() {
  FFont.FControl = nullptr;
  SetParent(nullptr);
  FPeer.reset();
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (FParent) {
    auto& list = FParent->FControls;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    DestroyPeers();
  }
  FParent = AParent;
  if (FParent) {
    FParent->FControls.push_back(this);
    if (FParent->Peer()) CreatePeers();
  }
}

TForm* TControl::ParentForm() {
  TControl* c = this;
  while (c->FParent) c = c->FParent;
  return dynamic_cast<TForm*>(c);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FLeft = ALeft;
  FTop = ATop;
  FWidth = std::max(0, AWidth);
  FHeight = std::max(0, AHeight);
  Changed();
}

void TControl::SetCaption(const AnsiString& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Changed();
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Changed();
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Changed();
}

void TControl::SetColor(TColor Value) {
  FColor = Value;
  Changed();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

bool TControl::SetOperatorValue(const AnsiString&) { return false; }

void TControl::CreatePeers() {
  if (!FPeer) FPeer = Application->BackEnd().CreatePeer(this);
}

void TControl::DestroyPeers() {
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (int i = 0; i < w->ControlCount(); ++i) w->Controls(i)->DestroyPeers();
  FPeer.reset();
}

void TControl::Changed() {
  if (FPeer) FPeer->Update();
}

// --- TWinControl ---

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  // The controls inside go first, each taking itself out of this list and of
  // its owner's; their widgets leave ours before ours is destroyed.
  while (!FControls.empty()) delete FControls.back();
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount()) throw EListError(Format("Control index out of bounds (%d)", Index));
  return FControls[static_cast<size_t>(Index)];
}

void TWinControl::CreatePeers() {
  TControl::CreatePeers();
  for (TControl* c : FControls) c->CreatePeers();
}

}  // namespace vcl
