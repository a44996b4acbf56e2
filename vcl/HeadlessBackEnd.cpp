// The headless back end: the same objects without widgets. The scripted
// operator answers every dialog and box at once, so nothing ever waits.
#include <algorithm>

#include "platform/Times.h"
#include "vcl/Application.h"
#include "vcl/BackEnd.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Operator.h"

namespace vcl {

namespace {

class THeadlessBackEnd : public TBackEnd {
 public:
  std::unique_ptr<TControlPeer> CreatePeer(TControl*) override { return nullptr; }

  void FormShown(TForm* Form) override {
    FOperator.Record({TShownKind::skForm, Form->Caption(), "", 0, 0, "", false});
  }
  void FormHidden(TForm*) override {}

  void ModalLoop(TForm* Form) override {
    std::deque<THeadlessOperator::TFormStep> steps = FOperator.TakeFormSteps();
    bool closeAsked = false;
    while (true) {
      ProcessMessages();
      if (Application->Terminated() && Form->ModalResult() == mrNone) Form->SetModalResult(mrCancel);
      if (Form->ModalResult() != mrNone && Form->CloseModal()) return;
      if (!steps.empty()) {
        THeadlessOperator::TFormStep step = steps.front();
        steps.pop_front();
        FOperator.DoStep(Form, step);
      } else if (!closeAsked) {
        // No steps left: the operator closes the form, as with the close box.
        closeAsked = true;
        Form->Close();
      } else {
        // The form refused to close; the operator does not wait for it.
        Form->SetModalResult(mrCancel);
        return;
      }
    }
  }

  void RunLoop() override { ProcessMessages(); }

  void ProcessMessages() override {
    // A handler may free timers, so each one is looked up again before it fires.
    std::vector<TTimer*> due;
    win::DWORD now = win::GetTickCount();
    for (TTimer* t : FTimers)
      if (t->Enabled() && t->Interval() > 0 && now - t->LastTick() >= t->Interval()) due.push_back(t);
    for (TTimer* t : due)
      if (std::find(FTimers.begin(), FTimers.end(), t) != FTimers.end()) t->Fire();
  }

  void HandleMessage() override { ProcessMessages(); }

  bool FileDialog(TFileDialogKind Kind, const TOpenDialog& Dialog, AnsiString& Chosen) override {
    TShownKind kind = Kind == TFileDialogKind::fdOpen ? TShownKind::skOpenDialog : TShownKind::skSaveDialog;
    TShown shown{kind, Dialog.Title, Dialog.Filter, 0, 0, "", false};
    return Answer(shown, Chosen, Dialog.DefaultExt);
  }

  bool DirectoryDialog(const AnsiString& Caption, const AnsiString&, AnsiString& Directory) override {
    TShown shown{TShownKind::skDirectoryDialog, Caption, "", 0, 0, "", false};
    return Answer(shown, Directory, "");
  }

  int MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) override {
    TShown shown{TShownKind::skMessageBox, Caption, Text, Flags, 0, "", false};
    shown.Result = FOperator.NextMessageAnswer(Flags, shown.Scripted, shown.Answer);
    FOperator.Record(shown);
    return shown.Result;
  }

  // The operator's answer does not depend on the UI thread, so the worker gets
  // it at once; the operator's lock keeps the record in order.
  int MessageBoxFromThread(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) override {
    return MessageBox(Text, Caption, Flags);
  }

  void TimerChanged(TTimer* Timer) override {
    if (std::find(FTimers.begin(), FTimers.end(), Timer) == FTimers.end()) FTimers.push_back(Timer);
  }
  void TimerGone(TTimer* Timer) override { FTimers.erase(std::remove(FTimers.begin(), FTimers.end(), Timer), FTimers.end()); }
  void CursorChanged(int) override {}

  THeadlessOperator* Operator() override { return &FOperator; }

 private:

  bool Answer(TShown& Shown, AnsiString& Chosen, const AnsiString& DefaultExt) {
    AnsiString path;
    Shown.Scripted = FOperator.HasFileAnswer(Shown.Kind);
    bool confirmed = FOperator.NextFileAnswer(Shown.Kind, path);
    if (confirmed) {
      Chosen = path;
      Shown.Result = 1;
      Shown.Answer = AddDefaultExt(path, DefaultExt);
    }
    FOperator.Record(Shown);
    return confirmed;
  }

  THeadlessOperator FOperator;
  std::vector<TTimer*> FTimers;
};

}  // namespace

std::unique_ptr<TBackEnd> CreateHeadlessBackEnd() { return std::make_unique<THeadlessBackEnd>(); }

}  // namespace vcl
