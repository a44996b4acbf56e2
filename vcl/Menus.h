#pragma once
// Main menus and menu items. An item holds child items (a submenu); freeing an
// item takes it out of its parent and frees its children.
#include <vector>

#include "rtl/Classes.h"

namespace vcl {

class TForm;
class TMenu;

class VCL_API EMenuError : public Exception { using Exception::Exception; };

// Caption without its hot-key markers: "&Файл" -> "Файл", "&&" -> "&".
VCL_API AnsiString StripHotkey(const AnsiString& Caption);

class VCL_API TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // "-" makes the item a separator line.
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool IsLine() const { return FCaption == "-"; }

  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const;  // EMenuError when out of range
  TMenuItem* Parent() const { return FParent; }
  int IndexOf(const TMenuItem* Item) const;
  // Appends or inserts a child; EMenuError when the item already has a parent.
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Takes a child out without freeing it.
  void Remove(TMenuItem* Item);
  // The first child whose caption equals ACaption with "&" removed and letter
  // case ignored (Cyrillic included); null when none.
  TMenuItem* Find(const AnsiString& ACaption) const;

  TNotifyEvent OnClick;
  virtual void Click();

  // The menu whose item tree holds this item, or null.
  TMenu* GetParentMenu() const;

 private:
  friend class TMenu;
  void Changed();
  AnsiString FCaption;
  bool FEnabled = true;
  bool FVisible = true;
  bool FChecked = false;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on a menu's root item only
  std::vector<TMenuItem*> FItems;
};

class VCL_API TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  // The root item; its children are the top-level entries.
  TMenuItem* Items() const { return FItems; }
  // An item below the root changed.
  virtual void ItemsChanged() {}

 private:
  TMenuItem* FItems;  // owned by this menu
};

// The menu bar of a form (assigned with TForm::SetMenu).
class VCL_API TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;
  TForm* Window() const { return FWindow; }
  void ItemsChanged() override;

 private:
  friend class TForm;
  TForm* FWindow = nullptr;
};

}  // namespace vcl
