#include "vcl/Operator.h"

#include <algorithm>

#include "platform/CodePages.h"
#include "vcl/Application.h"
#include "vcl/BackEnd.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"

namespace vcl {

using Lock = std::lock_guard<std::recursive_mutex>;

void THeadlessOperator::ClickMenu(const AnsiString& Path) {
  TForm* form = Application->MainForm();
  if (!form || !form->Menu()) throw EMenuError("The main form has no menu");
  TMenuItem* item = form->Menu()->Items();
  AnsiString reached;
  size_t start = 0;
  while (true) {
    size_t bar = Path.find('|', start);
    AnsiString part = Path.substr(start, bar == AnsiString::npos ? AnsiString::npos : bar - start);
    TMenuItem* child = item->Find(part);
    if (!child || !child->Visible()) throw EMenuError("No menu item \"" + part + "\"");
    if (!child->Enabled()) throw EMenuError("Menu item \"" + part + "\" is disabled");
    reached += (reached.empty() ? "" : "|") + child->Caption();
    item = child;
    if (bar == AnsiString::npos) break;
    start = bar + 1;
  }
  Record({TShownKind::skMenuClick, reached, "", 0, 0, "", true});
  item->Click();
}

void THeadlessOperator::AnswerOpen(const AnsiString& Path) {
  Lock lock(FLock);
  FFileAnswers.push_back({TShownKind::skOpenDialog, false, Path});
}
void THeadlessOperator::AnswerSave(const AnsiString& Path) {
  Lock lock(FLock);
  FFileAnswers.push_back({TShownKind::skSaveDialog, false, Path});
}
void THeadlessOperator::AnswerDirectory(const AnsiString& Path) {
  Lock lock(FLock);
  FFileAnswers.push_back({TShownKind::skDirectoryDialog, false, Path});
}
void THeadlessOperator::CancelOpen() {
  Lock lock(FLock);
  FFileAnswers.push_back({TShownKind::skOpenDialog, true, ""});
}
void THeadlessOperator::CancelSave() {
  Lock lock(FLock);
  FFileAnswers.push_back({TShownKind::skSaveDialog, true, ""});
}
void THeadlessOperator::CancelDirectory() {
  Lock lock(FLock);
  FFileAnswers.push_back({TShownKind::skDirectoryDialog, true, ""});
}

void THeadlessOperator::AnswerMessage(int Button) {
  Lock lock(FLock);
  FMessageAnswers.push_back(Button);
}

void THeadlessOperator::AddStep(TFormStep Step) {
  Lock lock(FLock);
  if (!FGroupOpen) FFormSteps.emplace_back();
  FGroupOpen = Step.Kind == TStepKind::Set;
  FFormSteps.back().push_back(std::move(Step));
}

void THeadlessOperator::SetControl(const AnsiString& Name, const AnsiString& Value) {
  AddStep({TStepKind::Set, Name, Value});
}
void THeadlessOperator::PressButton(const AnsiString& Name) { AddStep({TStepKind::Press, Name, ""}); }
void THeadlessOperator::CloseForm() { AddStep({TStepKind::Close, "", ""}); }

bool THeadlessOperator::HasFileAnswer(TShownKind Kind) const {
  Lock lock(FLock);
  return std::any_of(FFileAnswers.begin(), FFileAnswers.end(), [&](const TFileAnswer& a) { return a.Kind == Kind; });
}

bool THeadlessOperator::NextFileAnswer(TShownKind Kind, AnsiString& Path) {
  Lock lock(FLock);
  auto it = std::find_if(FFileAnswers.begin(), FFileAnswers.end(), [&](const TFileAnswer& a) { return a.Kind == Kind; });
  if (it == FFileAnswers.end()) return false;
  bool confirmed = !it->Cancel;
  Path = it->Path;
  FFileAnswers.erase(it);
  return confirmed;
}

int THeadlessOperator::NextMessageAnswer(unsigned Flags, bool& Scripted, AnsiString& Note) {
  Lock lock(FLock);
  Scripted = false;
  if (FMessageAnswers.empty()) return MessageBoxDefault(Flags);
  int wanted = FMessageAnswers.front();
  FMessageAnswers.pop_front();
  std::vector<int> offered = MessageBoxButtons(Flags);
  if (std::find(offered.begin(), offered.end(), wanted) == offered.end()) {
    Note = AnsiString("scripted ") + ButtonName(wanted) + " is not offered";
    return MessageBoxDefault(Flags);
  }
  Scripted = true;
  return wanted;
}

void THeadlessOperator::Record(const TShown& Shown) {
  Lock lock(FLock);
  FShown.push_back(Shown);
}

std::deque<THeadlessOperator::TFormStep> THeadlessOperator::TakeFormSteps() {
  Lock lock(FLock);
  std::deque<TFormStep> steps;
  if (!FFormSteps.empty()) {
    steps = std::move(FFormSteps.front());
    FFormSteps.pop_front();
    if (FFormSteps.empty()) FGroupOpen = false;
  }
  return steps;
}

void THeadlessOperator::DoStep(TForm* Form, const TFormStep& Step) {
  if (Step.Kind == TStepKind::Close) {
    Record({TShownKind::skStep, "close", "", 0, 0, "", true});
    Form->Close();
    return;
  }
  auto* control = dynamic_cast<TControl*>(Form->FindComponent(Step.Name));
  if (!control) throw Exception("No control \"" + Step.Name + "\" on form \"" + Form->Caption() + "\"");
  if (Step.Kind == TStepKind::Set) {
    Record({TShownKind::skStep, "set " + Step.Name, Step.Value, 0, 0, "", true});
    if (!control->SetOperatorValue(Step.Value)) throw Exception("Control \"" + Step.Name + "\" takes no value");
    return;
  }
  Record({TShownKind::skStep, "press " + Step.Name, "", 0, 0, "", true});
  if (!control->Enabled()) throw Exception("Control \"" + Step.Name + "\" is disabled");
  control->Click();
}

std::vector<TShown> THeadlessOperator::Shown() const {
  Lock lock(FLock);
  return FShown;
}

void THeadlessOperator::Reset() {
  Lock lock(FLock);
  FFileAnswers.clear();
  FMessageAnswers.clear();
  FFormSteps.clear();
  FGroupOpen = false;
  FShown.clear();
}

namespace {

const char* DialogName(TShownKind Kind) {
  switch (Kind) {
    case TShownKind::skOpenDialog: return "open";
    case TShownKind::skSaveDialog: return "save";
    default: return "dir";
  }
}

std::string U(const AnsiString& Ansi) { return win::AnsiToUtf8(Ansi); }

// Text lines split at CR LF, LF or CR, each written as "  | line".
std::string Lines(const AnsiString& Text) {
  std::string out;
  size_t start = 0;
  while (start <= Text.size()) {
    size_t end = Text.find_first_of("\r\n", start);
    if (end == AnsiString::npos) end = Text.size();
    out += "  | " + U(Text.substr(start, end - start)) + "\n";
    if (end == Text.size()) break;
    start = end + (Text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return out;
}

}  // namespace

std::string THeadlessOperator::Transcript() const {
  Lock lock(FLock);
  std::string out;
  for (const TShown& s : FShown) {
    switch (s.Kind) {
      case TShownKind::skMenuClick: out += "click " + U(s.Caption) + "\n"; break;
      case TShownKind::skForm: out += "form \"" + U(s.Caption) + "\"\n"; break;
      case TShownKind::skStep:
        out += "  " + U(s.Caption) + (s.Text.empty() ? "" : " " + U(s.Text)) + "\n";
        break;
      case TShownKind::skOpenDialog:
      case TShownKind::skSaveDialog:
      case TShownKind::skDirectoryDialog:
        out += std::string(DialogName(s.Kind)) + " dialog \"" + U(s.Caption) + "\"";
        if (!s.Text.empty()) out += " [" + U(s.Text) + "]";
        out += s.Result ? " -> " + U(s.Answer) : std::string(" -> cancelled");
        out += s.Scripted ? "\n" : " (no answer)\n";
        break;
      case TShownKind::skMessageBox: {
        out += "message \"" + U(s.Caption) + "\" [";
        std::vector<int> buttons = MessageBoxButtons(s.Flags);
        for (size_t i = 0; i < buttons.size(); ++i) out += std::string(i ? " " : "") + ButtonName(buttons[i]);
        out += "]\n" + Lines(s.Text) + "  -> " + ButtonName(s.Result);
        if (!s.Scripted) out += " (default" + (s.Answer.empty() ? "" : "; " + U(s.Answer)) + ")";
        out += "\n";
        break;
      }
    }
  }
  return out;
}

std::vector<std::string> THeadlessOperator::UnusedAnswers() const {
  Lock lock(FLock);
  std::vector<std::string> out;
  for (const TFileAnswer& a : FFileAnswers)
    out.push_back(std::string(DialogName(a.Kind)) + (a.Cancel ? " cancel" : " " + U(a.Path)));
  for (int b : FMessageAnswers) out.push_back(std::string("button ") + ButtonName(b));
  for (const auto& group : FFormSteps)
    for (const TFormStep& step : group)
      out.push_back(step.Kind == TStepKind::Set     ? "set " + U(step.Name) + " " + U(step.Value)
                    : step.Kind == TStepKind::Press ? "press " + U(step.Name)
                                                    : std::string("close"));
  return out;
}

}  // namespace vcl
