#include "vcl/Forms.h"

#include <algorithm>

#include "vcl/Application.h"
#include "vcl/BackEnd.h"
#include "vcl/Menus.h"

namespace vcl {

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
  TControl::SetVisible(false);
  SetBounds(0, 0, 320, 240);
  if (AOwner == Application && !Application->FMainForm) Application->FMainForm = this;
}

TForm::~TForm() {
  if (FMenu) FMenu->FWindow = nullptr;
  if (Application->FMainForm == this) Application->FMainForm = nullptr;
  if (Visible()) Application->BackEnd().FormHidden(this);
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
  // Keep the client area: the frame grows or shrinks around it.
  int cw = ClientWidth(), ch = ClientHeight();
  FBorderStyle = Value;
  SetBounds(Left(), Top(), cw + 2 * FrameWidth(), ch + CaptionHeight() + 2 * FrameWidth() + MenuHeight());
}

// Frame sizes as the classic Windows theme draws them.
int TForm::CaptionHeight() const {
  switch (FBorderStyle) {
    case TFormBorderStyle::bsNone: return 0;
    case TFormBorderStyle::bsToolWindow:
    case TFormBorderStyle::bsSizeToolWin: return 16;
    default: return 19;
  }
}

int TForm::FrameWidth() const {
  switch (FBorderStyle) {
    case TFormBorderStyle::bsNone: return 0;
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsSizeToolWin: return 4;
    default: return 3;
  }
}

int TForm::MenuHeight() const { return FMenu && FMenu->Items()->Count() > 0 ? 20 : 0; }

int TForm::ClientWidth() const { return std::max(0, Width() - 2 * FrameWidth()); }
int TForm::ClientHeight() const { return std::max(0, Height() - CaptionHeight() - 2 * FrameWidth() - MenuHeight()); }
void TForm::SetClientWidth(int Value) { SetWidth(Value + 2 * FrameWidth()); }
void TForm::SetClientHeight(int Value) { SetHeight(Value + CaptionHeight() + 2 * FrameWidth() + MenuHeight()); }

void TForm::SetMenu(TMainMenu* Value) {
  if (Value == FMenu) return;
  if (FMenu) FMenu->FWindow = nullptr;
  FMenu = Value;
  if (FMenu) {
    if (FMenu->FWindow) FMenu->FWindow->FMenu = nullptr;
    FMenu->FWindow = this;
  }
  MenuChanged();
}

void TForm::MenuChanged() { Changed(); }

void TForm::SetVisible(bool Value) {
  if (Value == Visible()) return;
  if (Value && !Peer()) CreatePeers();
  TControl::SetVisible(Value);
  if (Value) {
    Application->BackEnd().FormShown(this);
    if (OnShow) OnShow(this);
  } else {
    Application->BackEnd().FormHidden(this);
  }
}

TModalResult TForm::ShowModal() {
  if (Visible() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  FModal = true;
  FModalResult = mrNone;
  struct EndModal {
    TForm* Form;
    ~EndModal() {
      Form->Hide();
      Form->FModal = false;
    }
  } endModal{this};
  Show();
  Application->BackEnd().ModalLoop(this);
  return FModalResult;
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

bool TForm::CloseModal() {
  TCloseAction action = TCloseAction::caNone;
  if (CloseQuery()) {
    action = TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
  }
  if (action == TCloseAction::caNone) {
    FModalResult = mrNone;
    return false;
  }
  return true;
}

void TForm::Close() {
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = this == Application->MainForm() ? TCloseAction::caFree : TCloseAction::caHide;
  if (OnClose) OnClose(this, action);
  if (action == TCloseAction::caNone) return;
  if (this == Application->MainForm()) Application->Terminate();
  else Hide();
}

TControl* TForm::FindButton(bool Default) const {
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* c = dynamic_cast<TControl*>(Components(i));
    if (c && (Default ? c->IsDefaultButton() : c->IsCancelButton()) && c->Visible() && c->Enabled()) return c;
  }
  return nullptr;
}

bool TForm::DialogKey(int Key) {
  if (Key == VK_RETURN) {
    if (TControl* b = FindButton(true)) {
      b->Click();
      return true;
    }
    return false;
  }
  if (Key == VK_ESCAPE) {
    if (TControl* b = FindButton(false)) {
      b->Click();
      return true;
    }
  }
  return false;
}

}  // namespace vcl
