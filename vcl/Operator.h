#pragma once
// The scripted operator of the headless back end. A test or a script queues
// answers (a path for the next file dialog, a button for the next message box,
// values and a button press for the next modal form) and clicks menu items;
// every text the program shows is recorded. Without an answer a dialog is
// cancelled, a message box gets its default button and a modal form is closed:
// nothing ever waits. Texts are CP1251 except the script and the transcript,
// which are UTF-8. Thread-safe: a worker thread's message box is answered too.
#include <deque>
#include <mutex>
#include <vector>

#include "rtl/Classes.h"

namespace vcl {

class TForm;

// What was shown; skStep is what the operator did on a modal form.
enum class TShownKind { skMenuClick, skForm, skStep, skOpenDialog, skSaveDialog, skDirectoryDialog, skMessageBox };

// One thing the operator saw, and what was answered.
struct TShown {
  TShownKind Kind;
  AnsiString Caption;   // box, form or dialog title; for a click the menu path
  AnsiString Text;      // box text; dialog filter
  unsigned Flags = 0;   // message box flags
  int Result = 0;       // box: the ID of the button; dialogs: 1 confirmed, 0 cancelled
  AnsiString Answer;    // dialogs: the path given
  bool Scripted = false;  // the answer came from the script, not a default
};

class VCL_API THeadlessOperator {
 public:
  // Clicks the item reached by Path from the main form's menu bar, captions
  // separated by '|', each found as TMenuItem::Find does. EMenuError when an
  // item is missing or disabled.
  void ClickMenu(const AnsiString& Path);

  // Answers for the next dialog of each kind: a path (confirmed as typed, so
  // the default extension is added when it has none) or a cancel.
  void AnswerOpen(const AnsiString& Path);
  void AnswerSave(const AnsiString& Path);
  void AnswerDirectory(const AnsiString& Path);
  void CancelOpen();
  void CancelSave();
  void CancelDirectory();
  // The button (IDOK, IDYES, ...) for the next message box.
  void AnswerMessage(int Button);

  // Steps for the next modal form, taken in order while it is shown: set a
  // control's value by name, press a button by name (Click), or close the form.
  // A press or a close ends the steps of that form; steps after it belong to
  // the next modal form.
  void SetControl(const AnsiString& Name, const AnsiString& Value);
  void PressButton(const AnsiString& Name);
  void CloseForm();

  // Runs a script (UTF-8, one command a line; see the README's "Host scripts").
  // Exception with the line number for a line it cannot read or run.
  void RunScript(const std::string& Utf8Script);

  std::vector<TShown> Shown() const;
  // Everything shown, as readable UTF-8 lines.
  std::string Transcript() const;
  // Answers queued but never used, described in UTF-8; empty when all were used.
  std::vector<std::string> UnusedAnswers() const;
  // Forgets answers and records.
  void Reset();

  // Back end side.
  enum class TStepKind { Set, Press, Close };
  struct TFormStep { TStepKind Kind; AnsiString Name; AnsiString Value; };
  bool HasFileAnswer(TShownKind Kind) const;
  bool NextFileAnswer(TShownKind Kind, AnsiString& Path);
  // The button for a box with Flags: the scripted one, or the default (the
  // scripted one is used up also when the box does not offer it; Note says so).
  int NextMessageAnswer(unsigned Flags, bool& Scripted, AnsiString& Note);
  void Record(const TShown& Shown);
  // The steps queued for the modal form now being shown (possibly none).
  std::deque<TFormStep> TakeFormSteps();
  // Carries out one step on Form; Exception when the control is missing or
  // cannot take the step.
  void DoStep(TForm* Form, const TFormStep& Step);

 private:
  struct TFileAnswer { TShownKind Kind; bool Cancel; AnsiString Path; };
  void AddStep(TFormStep Step);

  mutable std::recursive_mutex FLock;
  std::deque<TFileAnswer> FFileAnswers;
  std::deque<int> FMessageAnswers;
  std::deque<std::deque<TFormStep>> FFormSteps;  // one group per modal form
  bool FGroupOpen = false;                       // the last group takes more steps
  std::vector<TShown> FShown;
};

}  // namespace vcl
