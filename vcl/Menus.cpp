#include "vcl/Menus.h"

#include <algorithm>

#include "platform/CodePages.h"
#include "vcl/Forms.h"

namespace vcl {

AnsiString StripHotkey(const AnsiString& Caption) {
  AnsiString result;
  for (size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == '&') {
      if (++i >= Caption.size()) break;  // the marker's own character stays: "&&" is "&"
    }
    result += Caption[i];
  }
  return result;
}

// --- TMenuItem ---

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  if (FParent) FParent->Remove(this);
  while (!FItems.empty()) delete FItems.front();
  FMenu = nullptr;
}

void TMenuItem::SetCaption(const AnsiString& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Changed();
}

void TMenuItem::SetEnabled(bool Value) { FEnabled = Value; Changed(); }
void TMenuItem::SetVisible(bool Value) { FVisible = Value; Changed(); }
void TMenuItem::SetChecked(bool Value) { FChecked = Value; Changed(); }

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
  return FItems[static_cast<size_t>(Index)];
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent) throw EMenuError("Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
  int i = IndexOf(Item);
  if (i < 0) throw EMenuError("Sub-menu is not in menu");
  FItems.erase(FItems.begin() + i);
  Item->FParent = nullptr;
  Changed();
}

TMenuItem* TMenuItem::Find(const AnsiString& ACaption) const {
  AnsiString wanted = StripHotkey(ACaption);
  for (TMenuItem* item : FItems)
    if (win::AnsiSameText(wanted, StripHotkey(item->FCaption))) return item;
  return nullptr;
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) OnClick(this);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->FParent) item = item->FParent;
  return item->FMenu;
}

void TMenuItem::Changed() {
  if (TMenu* menu = GetParentMenu()) menu->ItemsChanged();
}

// --- TMenu, TMainMenu ---

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(this)) { FItems->FMenu = this; }

TMenu::~TMenu() {
  // The root item (and with it the tree) goes first, while the menu can still
  // be told; then nothing refers back to the menu.
  FItems->FMenu = nullptr;
  delete FItems;
}

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

TMainMenu::~TMainMenu() {
  if (FWindow) {
    TForm* form = FWindow;
    FWindow = nullptr;
    form->SetMenu(nullptr);
  }
}

void TMainMenu::ItemsChanged() {
  if (FWindow) FWindow->MenuChanged();
}

}  // namespace vcl
