// The headless back end: dialogs, message boxes, modal forms and timers
// answered by the scripted operator.
#include <gtest/gtest.h>

#include <thread>

#include "platform/Times.h"
#include "tests/support/TempDrive.h"
#include "vcl/Application.h"
#include "vcl/Dialogs.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/Operator.h"

using namespace vcl;
using namespace win;

namespace {

class Headless : public ::testing::Test {
 protected:
  void SetUp() override { op->Reset(); }
  void TearDown() override {
    Application->DestroyComponents();
    op->Reset();
  }
  testing_support::TempDrive drive;
  THeadlessOperator* op = Application->Operator();
};

// A check box as the operator sees it: takes "1"/"0".
class TTestCheck : public TControl {
 public:
  using TControl::TControl;
  bool Checked = false;
  bool SetOperatorValue(const AnsiString& v) override {
    Checked = v == "1";
    return true;
  }
};

// A button with a modal result, set on the form before OnClick runs.
class TTestButton : public TControl {
 public:
  using TControl::TControl;
  TModalResult Result = mrNone;
  bool Default = false, Cancel = false;
  void Click() override {
    if (Result != mrNone) ParentForm()->SetModalResult(Result);
    TControl::Click();
  }
  bool IsDefaultButton() const override { return Default; }
  bool IsCancelButton() const override { return Cancel; }
};

TEST_F(Headless, MessageBoxButtonsDefaultsAndAnswers) {
  struct Case {
    unsigned flags;
    int scripted;  // 0: no answer
    int result;
    bool scripted_used;
  } cases[] = {
      {MB_OK, 0, IDOK, false},
      {MB_OKCANCEL, 0, IDOK, false},
      {MB_OKCANCEL | MB_DEFBUTTON2, 0, IDCANCEL, false},
      {MB_YESNO | MB_ICONQUESTION, IDNO, IDNO, true},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, 0, IDCANCEL, false},
      {MB_YESNO, IDOK, IDYES, false},  // OK is not offered: the default
      {MB_OK | MB_TASKMODAL | MB_TOPMOST, IDOK, IDOK, true},
  };
  for (const Case& c : cases) {
    op->Reset();
    if (c.scripted) op->AnswerMessage(c.scripted);
    EXPECT_EQ(MessageBoxA(nullptr, "text", "cap", c.flags), c.result) << c.flags;
    ASSERT_EQ(op->Shown().size(), 1u);
    TShown s = op->Shown()[0];
    EXPECT_EQ(s.Kind, TShownKind::skMessageBox);
    EXPECT_EQ(s.Text, "text");
    EXPECT_EQ(s.Caption, "cap");
    EXPECT_EQ(s.Flags, c.flags);
    EXPECT_EQ(s.Scripted, c.scripted_used);
  }
}

TEST_F(Headless, MessageBoxFromAnotherThreadIsAnswered) {
  op->AnswerMessage(IDNO);
  int result = 0;
  std::thread worker([&] { result = Application->MessageBox("from worker", "", MB_YESNO); });
  worker.join();
  EXPECT_EQ(result, IDNO);
  EXPECT_EQ(op->Shown().at(0).Text, "from worker");
}

TEST_F(Headless, FileDialogsTakeAnswersByKindAndAddTheDefaultExtension) {
  TSaveDialog save(nullptr);
  save.DefaultExt = "7z";
  save.Title = "T";
  TOpenDialog open(nullptr);
  open.DefaultExt = "Ov9";
  open.Filter = "U|*.Ov9";
  struct Case {
    const char* answer;  // null: cancel
    bool confirmed;
    const char* name;
  } cases[] = {
      {"C:\\r\\ErrorReport", true, "C:\\r\\ErrorReport.7z"},
      {"C:\\r\\x.zip", true, "C:\\r\\x.zip"},
      {"C:\\r.d\\x", true, "C:\\r.d\\x.7z"},  // a dot in the directory is no extension
      {"", true, ""},                          // confirmed with an empty name
      {nullptr, false, "kept"},
  };
  for (const Case& c : cases) {
    save.FileName = "kept";
    if (c.answer) op->AnswerSave(c.answer);
    else op->CancelSave();
    EXPECT_EQ(save.Execute(), c.confirmed);
    EXPECT_EQ(save.FileName, c.name);
  }
  // The open dialog's answer was not taken by the save dialog.
  op->AnswerOpen("\\tmp\\pkg");
  EXPECT_FALSE(save.Execute());  // no answer for a save dialog: cancelled
  EXPECT_TRUE(open.Execute());
  EXPECT_EQ(open.FileName, "\\tmp\\pkg.Ov9");
  EXPECT_FALSE(open.Execute());
  AnsiString dir = "C:\\";
  op->AnswerDirectory("C:\\KORA");
  EXPECT_TRUE(SelectDirectory("pick", "", dir));
  EXPECT_EQ(dir, "C:\\KORA");
  EXPECT_FALSE(SelectDirectory("pick", "", dir));
  EXPECT_EQ(dir, "C:\\KORA");
  EXPECT_TRUE(op->UnusedAnswers().empty());
}

TEST_F(Headless, ModalFormTakesStepsUntilAButtonEndsIt) {
  auto* form = new TForm(nullptr);
  std::unique_ptr<TForm> owner(form);
  form->SetCaption("Dlg");
  auto* check = new TTestCheck(form);
  check->SetName("cbDB");
  check->SetParent(form);
  auto* ok = new TTestButton(form);
  ok->SetName("BitBtn1");
  ok->SetParent(form);
  ok->Result = mrOk;
  int okClicks = 0;
  // The first press is refused by its handler (as a cancelled save dialog does).
  ok->OnClick = [&](TObject*) {
    if (++okClicks == 1) form->SetModalResult(mrNone);
  };
  op->SetControl("cbDB", "1");
  op->PressButton("BitBtn1");
  op->PressButton("BitBtn1");
  // The first press ended the steps of the first form; the second press
  // belongs to the next modal form.
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_TRUE(check->Checked);
  EXPECT_EQ(okClicks, 1);
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(okClicks, 2);
  EXPECT_EQ(form->ShowModal(), mrCancel);  // no steps: closed
  EXPECT_EQ(op->Shown()[0].Kind, TShownKind::skForm);
  EXPECT_EQ(op->Shown()[0].Caption, "Dlg");
}

TEST_F(Headless, ModalFormThatRefusesToCloseStillEnds) {
  TForm form(nullptr);
  form.OnCloseQuery = [](TObject*, bool& can) { can = false; };
  EXPECT_EQ(form.ShowModal(), mrCancel);
}

TEST_F(Headless, UnknownControlOrDisabledButtonIsAnError) {
  TForm form(nullptr);
  auto* b = new TTestButton(&form);
  b->SetName("b");
  b->SetParent(&form);
  b->SetEnabled(false);
  op->PressButton("nothere");
  EXPECT_THROW(form.ShowModal(), Exception);
  op->PressButton("b");
  EXPECT_THROW(form.ShowModal(), Exception);
  EXPECT_FALSE(form.Visible());
}

TEST_F(Headless, EnterAndEscapePressDefaultAndCancelButtons) {
  TForm form(nullptr);
  auto* ok = new TTestButton(&form);
  ok->SetParent(&form);
  ok->Default = true;
  ok->Result = mrOk;
  auto* cancel = new TTestButton(&form);
  cancel->SetParent(&form);
  cancel->Cancel = true;
  cancel->Result = mrCancel;
  form.SetModalResult(mrNone);
  // Not modal here: the buttons set the result all the same.
  EXPECT_TRUE(form.DialogKey(VK_RETURN));
  EXPECT_EQ(form.ModalResult(), mrOk);
  EXPECT_TRUE(form.DialogKey(VK_ESCAPE));
  EXPECT_EQ(form.ModalResult(), mrCancel);
}

TEST_F(Headless, ClientSizeExcludesCaptionFrameAndMenu) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsToolWindow);
  form.SetClientWidth(307);
  form.SetClientHeight(507);
  EXPECT_EQ(form.ClientWidth(), 307);
  EXPECT_EQ(form.ClientHeight(), 507);
  EXPECT_EQ(form.Height(), 507 + form.CaptionHeight() + 2 * form.FrameWidth());
  auto* menu = new TMainMenu(&form);
  form.SetMenu(menu);
  auto* item = new TMenuItem(menu);
  menu->Items()->Add(item);
  EXPECT_EQ(form.ClientHeight(), 507 - form.MenuHeight());
  EXPECT_GT(form.MenuHeight(), 0);
}

TEST_F(Headless, FontSizeAndHeight) {
  TFont f;
  f.SetSize(8);
  EXPECT_EQ(f.Height(), -11);
  f.SetHeight(-16);
  EXPECT_EQ(f.Size(), 12);
}

TEST_F(Headless, TimerFiresFromProcessMessagesWhenDue) {
  TTimer timer(nullptr);
  timer.SetInterval(1);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) { ++ticks; };
  TTimer disabled(nullptr);
  disabled.SetInterval(1);
  disabled.SetEnabled(false);
  int never = 0;
  disabled.OnTimer = [&](TObject*) { ++never; };
  win::Sleep(5);
  Application->ProcessMessages();
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(never, 0);
  // A handler that frees another timer that is due at the same time.
  auto* other = new TTimer(nullptr);
  other->SetInterval(1);
  timer.OnTimer = [&](TObject*) { delete other; other = nullptr; ++ticks; };
  other->OnTimer = [&](TObject*) { ++never; };
  win::Sleep(5);
  Application->ProcessMessages();
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(other, nullptr);
}

TEST_F(Headless, ScriptRecordsTranscriptAndReportsBadLines) {
  auto* form = new TForm(Application);
  auto* menu = new TMainMenu(form);
  form->SetMenu(menu);
  auto* top = new TMenuItem(form);
  top->SetCaption("&\xD4\xE0\xE9\xEB");  // "&Файл"
  menu->Items()->Add(top);
  auto* item = new TMenuItem(form);
  item->SetCaption("&Open");
  top->Add(item);
  TOpenDialog dialog(nullptr);
  dialog.Title = "\xCF\xE0\xEA\xE5\xF2";  // "Пакет"
  item->OnClick = [&](TObject*) {
    if (dialog.Execute())
      Application->MessageBox(("\xCF\xF3\xF2\xFC:\r\n" + dialog.FileName).c_str(), "", MB_OKCANCEL);  // "Путь:"
  };
  op->RunScript(
      "# comment\n"
      "open /tmp/a.Ov9\n"
      "button Cancel\n"
      "click файл|open\n"
      "click Файл|Open\n");
  EXPECT_EQ(op->Transcript(),
            "click &Файл|&Open\n"
            "open dialog \"Пакет\" -> \\tmp\\a.Ov9\n"
            "message \"\" [OK Cancel]\n"
            "  | Путь:\n"
            "  | \\tmp\\a.Ov9\n"
            "  -> Cancel\n"
            "click &Файл|&Open\n"
            "open dialog \"Пакет\" -> cancelled (no answer)\n");
  struct Bad {
    const char* script;
    const char* message;
  } bad[] = {
      {"\n\nfrobnicate\n", "line 3: unknown command \"frobnicate\""},
      {"button Maybe", "line 1: unknown button \"Maybe\""},
      {"click Файл|Nothing", "line 1: No menu item \"Nothing\""},
      {"cancel file", "line 1: cancel takes open, save or dir"},
  };
  for (const Bad& b : bad) {
    try {
      op->RunScript(b.script);
      ADD_FAILURE() << b.script;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), b.message);
    }
  }
}

}  // namespace
