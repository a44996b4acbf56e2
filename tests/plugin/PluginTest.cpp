// The real UpDate.so loaded into a headless host: what Load adds to the host's
// menu, what UnLoad takes away, and a scripted click on each item.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>

#include "plugin/Texts.h"
#include "plugin/tmpClass.h"
#include "tests/support/TempDrive.h"
#include "vcl/Application.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/Operator.h"

using namespace vcl;
using testing_support::BinDir;
using testing_support::RunCommand;

namespace {

const AnsiString kSettings = plugin::SSettingsMenu;
const AnsiString kUpdate = plugin::SUpdateItem;
const AnsiString kReport = plugin::SReportItem;
const AnsiString kHostItem = "\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB";  // "Параметры"

// The plug-in library, loaded as the host loads it.
class PluginLib {
 public:
  PluginLib() {
    FHandle = dlopen((BinDir() + "/UpDate.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!FHandle) throw std::runtime_error(dlerror());
    Load = reinterpret_cast<void (*)(int32_t)>(dlsym(FHandle, "Load"));
    UnLoad = reinterpret_cast<void (*)()>(dlsym(FHandle, "UnLoad"));
  }
  ~PluginLib() { dlclose(FHandle); }
  void (*Load)(int32_t) = nullptr;
  void (*UnLoad)() = nullptr;

 private:
  void* FHandle;
};

TMenuItem* AddItem(TMenuItem* parent, TComponent* owner, const AnsiString& caption) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

// A host form named Name with the menus "&Файл" and (when Settings) "&Настройка"
// holding one host item.
TForm* MakeHost(const AnsiString& name, bool withMenu = true, bool settings = true) {
  auto* form = new TForm(Application);
  form->SetName(name);
  if (!withMenu) return form;
  auto* menu = new TMainMenu(form);
  form->SetMenu(menu);
  AddItem(AddItem(menu->Items(), form, "&\xD4\xE0\xE9\xEB"), form, "&\xC2\xFB\xF5\xEE\xE4");
  if (settings) AddItem(AddItem(menu->Items(), form, kSettings), form, kHostItem);
  return form;
}

// An item that says when it is freed.
class TProbeItem : public TMenuItem {
 public:
  TProbeItem(TComponent* owner, bool& freed) : TMenuItem(owner), FFreed(freed) {}
  ~TProbeItem() override { FFreed = true; }

 private:
  bool& FFreed;
};

std::vector<AnsiString> Captions(const TMenuItem* item) {
  std::vector<AnsiString> out;
  for (int i = 0; item && i < item->Count(); ++i) out.push_back(item->Items(i)->Caption());
  return out;
}

TMenuItem* Settings(TForm* form) { return form->Menu() ? form->Menu()->Items()->Find(kSettings) : nullptr; }

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override { Application->Operator()->Reset(); }
  void TearDown() override {
    Application->DestroyComponents();
    Application->Operator()->Reset();
  }
  testing_support::TempDrive drive;
  PluginLib lib;
};

TEST_F(PluginTest, FlagChoosesFormAndItems) {
  struct Case {
    int32_t flag;
    const char* formName;
    std::vector<AnsiString> items;
  } cases[] = {
      {0, "MainFrm", {kHostItem, kUpdate, kReport}},
      {1, "AppBuilder", {kHostItem, kUpdate}},
      {-7, "AppBuilder", {kHostItem, kUpdate}},
      {1, "MainFrm", {kHostItem}},  // flag 1 looks for AppBuilder only
      {0, "AppBuilder", {kHostItem}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.formName) + " flag " + std::to_string(c.flag));
    TForm* form = MakeHost(c.formName);
    lib.Load(c.flag);
    EXPECT_EQ(Captions(Settings(form)), c.items);
    lib.UnLoad();
    EXPECT_EQ(Captions(Settings(form)), std::vector<AnsiString>{kHostItem});
    delete form;
  }
}

TEST_F(PluginTest, ExistingInstallItemIsAdoptedAndFreedByUnLoad) {
  TForm* form = MakeHost("MainFrm");
  // Differs in case and hot-key marker; keeps its own handler.
  TMenuItem* own = AddItem(Settings(form), form, "&\xF3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xFC \xCE\xC1\xCD\xCE\xC2\xCB\xC5\xCD\xC8\xC5 "
                                                 "\xEC\xE8\xF0\xF1\xE0\xEB \xE8\xE7 \xF4\xE0\xE9\xEB\xE0");
  int ownClicks = 0;
  own->OnClick = [&](TObject*) { ++ownClicks; };
  lib.Load(0);
  ASSERT_EQ(Settings(form)->Count(), 3);
  EXPECT_EQ(Settings(form)->Items(1), own);
  EXPECT_EQ(Settings(form)->Items(2)->Caption(), kReport);
  Application->Operator()->ClickMenu(kSettings + "|" + kUpdate);
  EXPECT_EQ(ownClicks, 1);
  int before = form->ComponentCount();
  lib.UnLoad();
  EXPECT_EQ(Captions(Settings(form)), std::vector<AnsiString>{kHostItem});
  EXPECT_EQ(form->ComponentCount(), before - 1);  // the adopted item was freed
}

TEST_F(PluginTest, ExistingReportItemIsReplacedAtTheEnd) {
  TForm* form = MakeHost("MainFrm");
  bool oldFreed = false;
  auto* old = new TProbeItem(form, oldFreed);
  old->SetCaption("\xF1\xEE\xE7\xE4\xE0\xF2\xFC \xEE\xF2\xF7\xE5\xF2 \xEE\xE1 \xEE\xF8\xE8\xE1\xEA\xE5");
  Settings(form)->Add(old);
  AddItem(Settings(form), form, "-");
  int before = form->ComponentCount();
  lib.Load(0);
  EXPECT_EQ(form->ComponentCount(), before - 1);  // the old item was freed
  EXPECT_EQ(Captions(Settings(form)), (std::vector<AnsiString>{kHostItem, "-", kUpdate, kReport}));
  EXPECT_TRUE(oldFreed);
  lib.UnLoad();
  EXPECT_EQ(Captions(Settings(form)), (std::vector<AnsiString>{kHostItem, "-"}));
}

TEST_F(PluginTest, NoFormMenuOrSettingsAddsNothingAndUnLoadStillWorks) {
  struct Case {
    const char* what;
    bool form, menu, settings;
  } cases[] = {{"no form", false, false, false}, {"no menu", true, false, false}, {"no settings", true, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TForm* form = c.form ? MakeHost("MainFrm", c.menu, c.settings) : nullptr;
    std::vector<AnsiString> top = form && form->Menu() ? Captions(form->Menu()->Items()) : std::vector<AnsiString>{};
    lib.Load(0);
    if (form && form->Menu()) {
      EXPECT_EQ(Captions(form->Menu()->Items()), top);
    }
    lib.UnLoad();
    delete form;
  }
  // Loaded again afterwards, it works normally.
  TForm* form = MakeHost("MainFrm");
  lib.Load(0);
  EXPECT_EQ(Settings(form)->Count(), 3);
  lib.UnLoad();
}

TEST_F(PluginTest, SecondLoadWithoutUnLoadChangesNothing) {
  TForm* form = MakeHost("MainFrm");
  lib.Load(0);
  TMenuItem* update = Settings(form)->Items(1);
  TMenuItem* report = Settings(form)->Items(2);
  int components = Settings(form)->ComponentCount();
  lib.Load(0);
  lib.Load(1);
  EXPECT_EQ(Captions(Settings(form)), (std::vector<AnsiString>{kHostItem, kUpdate, kReport}));
  EXPECT_EQ(Settings(form)->Items(1), update);
  EXPECT_EQ(Settings(form)->Items(2), report);
  EXPECT_EQ(Settings(form)->ComponentCount(), components);
  lib.UnLoad();
  EXPECT_EQ(Captions(Settings(form)), std::vector<AnsiString>{kHostItem});
  lib.UnLoad();  // a second UnLoad has nothing left to free
}

TEST_F(PluginTest, UnLoadLeavesHostItemsUntouched) {
  TForm* form = MakeHost("MainFrm");
  TMenuItem* host = Settings(form)->Items(0);
  int clicks = 0;
  host->OnClick = [&](TObject*) { ++clicks; };
  lib.Load(0);
  lib.UnLoad();
  ASSERT_EQ(Settings(form)->Count(), 1);
  EXPECT_EQ(Settings(form)->Items(0), host);
  EXPECT_EQ(Captions(form->Menu()->Items()), (std::vector<AnsiString>{"&\xD4\xE0\xE9\xEB", kSettings}));
  Application->Operator()->ClickMenu(kSettings + "|" + kHostItem);
  EXPECT_EQ(clicks, 1);
}

TEST_F(PluginTest, ScriptClicksBothItemsAndAnswersTheirBoxes) {
  MakeHost("MainFrm");
  lib.Load(0);
  THeadlessOperator* op = Application->Operator();
  op->RunScript(
      "button OK\n"
      "click настройка|установить обновление мирсал из файла\n"
      "click &Настройка|Создать &отчет об ошибке\n");
  std::vector<TShown> shown = op->Shown();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].Kind, TShownKind::skMenuClick);
  EXPECT_EQ(shown[0].Caption, kSettings + "|" + kUpdate);
  EXPECT_EQ(shown[1].Kind, TShownKind::skMessageBox);
  EXPECT_EQ(shown[1].Text, plugin::SNotAvailable);
  EXPECT_EQ(shown[1].Caption, "");
  EXPECT_EQ(shown[1].Result, win::IDOK);
  EXPECT_TRUE(shown[1].Scripted);
  EXPECT_EQ(shown[3].Text, plugin::SNotAvailable);
  EXPECT_FALSE(shown[3].Scripted);  // no answer left: the default button
  EXPECT_TRUE(op->UnusedAnswers().empty());
  lib.UnLoad();
}

// The frame's own operations, linked in directly.
TEST_F(PluginTest, AddMenuItemReplacesByCaptionButAlwaysAddsSeparators) {
  TMenuItem root(nullptr);
  plugin::TtmpClass state;
  EXPECT_EQ(plugin::AddMenuItem(nullptr, "x", &plugin::TtmpClass::ReportItemClick, &state), nullptr);
  bool aFreed = false;
  auto* a = new TProbeItem(nullptr, aFreed);
  a->SetCaption("&Abc");
  root.Add(a);
  plugin::AddMenuItem(&root, "-", &plugin::TtmpClass::ReportItemClick, &state);
  plugin::AddMenuItem(&root, "-", &plugin::TtmpClass::ReportItemClick, &state);
  TMenuItem* b = plugin::AddMenuItem(&root, "aBC", &plugin::TtmpClass::ReportItemClick, &state);
  EXPECT_EQ(Captions(&root), (std::vector<AnsiString>{"-", "-", "aBC"}));
  EXPECT_TRUE(aFreed);
  EXPECT_EQ(b->Owner(), &root);
}

TEST(PluginExports, OnlyLoadAndUnLoad) {
  std::string out;
  ASSERT_EQ(RunCommand("nm -D --defined-only '" + BinDir() + "/UpDate.so'", &out), 0);
  std::vector<std::string> names;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::string addr, type, name;
    std::istringstream(line) >> addr >> type >> name;
    if (!name.empty()) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Load", "UnLoad"}));
}

}  // namespace
