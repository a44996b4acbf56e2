#pragma once
// The control base: every visual element (form, label, button, edit, ...) is a
// TControl placed in a TWinControl parent. A control is a plain object holding
// its properties; the running back end gives it a peer (a real widget with
// FLTK, nothing when headless) and is told of every change through it.
#include <cstdint>
#include <memory>
#include <vector>

#include "rtl/Classes.h"

namespace vcl {

// Colour values hold blue, green, red from the high byte down; negative values
// name system colours.
using TColor = int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = static_cast<TColor>(0x8000000F);
constexpr TColor clWindow = static_cast<TColor>(0x80000005);
constexpr TColor clWindowText = static_cast<TColor>(0x80000008);
// RGB of a colour, system colours resolved to their usual values.
VCL_API uint32_t ColorToRGB(TColor Color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

class TControl;

// A control's font. Height in pixels is negative for a character height
// (Tahoma 8 pt at 96 dpi is -11); Size is in points.
class VCL_API TFont : public TPersistent {
 public:
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  int Size() const;
  void SetSize(int Points);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  void Assign(TPersistent* Source) override;

 private:
  friend class TControl;
  void Changed();
  TControl* FControl = nullptr;  // told of changes
  AnsiString FName = "Tahoma";
  int FHeight = -11;
  TColor FColor = clWindowText;
  TFontStyles FStyle = 0;
};

// What kind of widget a control needs; the back end builds its peer from it.
enum class TWidgetKind {
  wkForm, wkPanel, wkLabel, wkButton, wkSpeedButton, wkCheckBox, wkRadioButton,
  wkGroupBox, wkBevel, wkMemo, wkEdit, wkGauge, wkOther
};

// The back end's side of one control. Update brings the widget in line with
// the control's properties; the control owns its peer.
class VCL_API TControlPeer {
 public:
  virtual ~TControlPeer();
  virtual void Update() = 0;
};

class TWinControl;
class TForm;

class VCL_API TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  // Leaves its parent first.
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  // Moves the control into AParent's list of controls (null: out of any).
  virtual void SetParent(TWinControl* AParent);
  // The form the control is on (itself for a form), or null.
  TForm* ParentForm();

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  // The inner area; the same as the outer size except for forms.
  virtual int ClientWidth() const { return FWidth; }
  virtual int ClientHeight() const { return FHeight; }
  virtual void SetClientWidth(int Value) { SetWidth(Value); }
  virtual void SetClientHeight(int Value) { SetHeight(Value); }

  // Caption and Text are the same string (a label's caption, an edit's text).
  const AnsiString& Caption() const { return FCaption; }
  virtual void SetCaption(const AnsiString& Value);
  const AnsiString& Text() const { return FCaption; }
  void SetText(const AnsiString& Value) { SetCaption(Value); }

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int Value) { FTabOrder = Value; }
  int Tag = 0;

  TNotifyEvent OnClick;
  // What a click does: runs OnClick. Buttons also set their form's modal result.
  virtual void Click();

  // The headless operator sets a control's value by name: a check box takes
  // "1"/"0", an edit its text, a memo its lines (separated by "\n"). False when
  // the control has no value to set.
  virtual bool SetOperatorValue(const AnsiString& Value);
  // Enter presses the form's default button, Escape its cancel button.
  virtual bool IsDefaultButton() const { return false; }
  virtual bool IsCancelButton() const { return false; }

  virtual TWidgetKind WidgetKind() const { return TWidgetKind::wkOther; }
  TControlPeer* Peer() const { return FPeer.get(); }
  // Creates the peers of this control and everything inside it, once its
  // parent has one (forms: when first shown).
  virtual void CreatePeers();

  // Tells the peer that a property changed.
  void Changed();

 protected:
  void DestroyPeers();

 private:
  friend class TWinControl;
  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  AnsiString FCaption;
  bool FVisible = true;
  bool FEnabled = true;
  TFont FFont;
  TColor FColor = clBtnFace;
  int FTabOrder = -1;
  std::unique_ptr<TControlPeer> FPeer;
};

// A control that holds other controls. Freeing it frees the controls inside.
class VCL_API TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const;
  void CreatePeers() override;

 private:
  friend class TControl;
  std::vector<TControl*> FControls;
};

}  // namespace vcl
