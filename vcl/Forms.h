#pragma once
// TForm: a top-level window with caption, border, main menu and modal display.
#include "vcl/Controls.h"

namespace vcl {

class TMainMenu;

class VCL_API EInvalidOperation : public Exception { using Exception::Exception; };

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
                       mrIgnore = 5, mrYes = 6, mrNo = 7;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                       poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// Virtual keys a form reacts to itself.
constexpr int VK_RETURN = 0x0D, VK_ESCAPE = 0x1B;

class VCL_API TForm : public TWinControl {
 public:
  // A form owned by Application becomes the main form when it is the first.
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; Changed(); }
  int PixelsPerInch() const { return 96; }

  // Width and Height are the outer size (caption and borders included); the
  // client area is what lies inside, below the menu bar.
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetClientWidth(int Value) override;
  void SetClientHeight(int Value) override;
  // Caption height, frame width and menu bar height of this form.
  int CaptionHeight() const;
  int FrameWidth() const;
  int MenuHeight() const;

  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* Value);
  // The menu tells its form of changes to its items.
  void MenuChanged();

  void SetVisible(bool Value) override;
  // Shows the form and runs the message loop until ModalResult is set; hides
  // it again and returns that result. The form must not be visible already.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool Modal() const { return FModal; }
  // A close request (close box, Escape without a cancel button, Close()):
  // a modal form ends with mrCancel; otherwise OnCloseQuery and OnClose
  // decide, and closing the main form ends the application.
  void Close();
  // Once ModalResult is set: OnCloseQuery and OnClose may keep the form open,
  // which sets ModalResult back to mrNone and returns false.
  bool CloseModal();
  // Enter and Escape: press the default or cancel button; false when the
  // form has none (Escape then does nothing).
  bool DialogKey(int Key);

  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnShow;

  TWidgetKind WidgetKind() const override { return TWidgetKind::wkForm; }

 private:
  bool CloseQuery();
  TControl* FindButton(bool Default) const;
  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
  TPosition FPosition = TPosition::poDesigned;
  TMainMenu* FMenu = nullptr;
  TModalResult FModalResult = mrNone;
  bool FModal = false;
};

}  // namespace vcl
