#include "host/HostForm.h"

#include "platform/CodePages.h"
#include "vcl/Application.h"
#include "vcl/Menus.h"

namespace host {

using namespace vcl;

namespace {

// "Мирсал"
constexpr char SCaption[] = "\xCC\xE8\xF0\xF1\xE0\xEB";
// "&Файл", "&Выход"
constexpr char SFileMenu[] = "&\xD4\xE0\xE9\xEB";
constexpr char SExitItem[] = "&\xC2\xFB\xF5\xEE\xE4";
// "&Настройка", "Параметры станции..."
constexpr char SSettingsMenu[] = "&\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0";
constexpr char SStationItem[] = "\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB \xF1\xF2\xE0\xED\xF6\xE8\xE8...";
// "Параметры станции", "Здесь настраивается станция (команда хоста)."
constexpr char SStationCaption[] = "\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB \xF1\xF2\xE0\xED\xF6\xE8\xE8";
constexpr char SStationText[] =
    "\xC7\xE4\xE5\xF1\xFC \xED\xE0\xF1\xF2\xF0\xE0\xE8\xE2\xE0\xE5\xF2\xF1\xFF \xF1\xF2\xE0\xED\xF6\xE8\xFF "
    "(\xEA\xEE\xEC\xE0\xED\xE4\xE0 \xF5\xEE\xF1\xF2\xE0).";

TMenuItem* AddItem(TMenuItem* Parent, TComponent* Owner, const char* Caption, TNotifyEvent OnClick = {}) {
  auto* item = new TMenuItem(Owner);
  item->SetCaption(Caption);
  item->OnClick = std::move(OnClick);
  Parent->Add(item);
  return item;
}

void AddTree(const TMenuItem* Item, int Depth, std::string& Out) {
  for (int i = 0; i < Item->Count(); ++i) {
    const TMenuItem* child = Item->Items(i);
    Out += std::string(static_cast<size_t>(2 * Depth), ' ') + win::AnsiToUtf8(child->Caption()) + "\n";
    AddTree(child, Depth + 1, Out);
  }
}

}  // namespace

TForm* CreateMainForm(int Flag) {
  auto* form = new TForm(Application);
  form->SetName(Flag == 0 ? "MainFrm" : "AppBuilder");
  form->SetCaption(SCaption);
  form->SetPosition(TPosition::poScreenCenter);
  form->SetBounds(0, 0, 640, 420);

  auto* menu = new TMainMenu(form);
  form->SetMenu(menu);
  TMenuItem* file = AddItem(menu->Items(), form, SFileMenu);
  AddItem(file, form, SExitItem, [form](TObject*) { form->Close(); });
  TMenuItem* settings = AddItem(menu->Items(), form, SSettingsMenu);
  AddItem(settings, form, SStationItem, [](TObject*) {
    Application->MessageBox(SStationText, SStationCaption, win::MB_OK | win::MB_ICONINFORMATION);
  });
  return form;
}

std::string MenuTree(const TForm* Form) {
  std::string out;
  if (Form && Form->Menu()) AddTree(Form->Menu()->Items(), 0, out);
  return out;
}

}  // namespace host
