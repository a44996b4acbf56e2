#include "vcl/Application.h"

#include "vcl/BackEnd.h"
#include "vcl/Forms.h"

namespace vcl {

TApplication::TApplication()
    : TComponent(nullptr), FBackEnd(CreateHeadlessBackEnd()), FUiThread(std::this_thread::get_id()) {}

TApplication::~TApplication() = default;

void TApplication::Initialize(TBackEndKind Kind) {
  FUiThread = std::this_thread::get_id();
  if (Kind == FKind) return;
  FBackEnd = Kind == TBackEndKind::Fltk ? CreateFltkBackEnd() : CreateHeadlessBackEnd();
  FKind = Kind;
}

THeadlessOperator* TApplication::Operator() const { return FBackEnd->Operator(); }

void TApplication::Run() {
  if (FMainForm && !FTerminated) FMainForm->Show();
  FBackEnd->RunLoop();
}

void TApplication::ProcessMessages() {
  if (InUiThread()) FBackEnd->ProcessMessages();
}

void TApplication::HandleMessage() {
  if (InUiThread()) FBackEnd->HandleMessage();
}

void TApplication::Terminate() {
  FTerminated = true;
  FBackEnd->Terminated();
}

int TApplication::MessageBox(const char* Text, const char* Caption, unsigned Flags) {
  AnsiString text = Text ? Text : "";
  AnsiString caption = Caption ? Caption : "";
  return InUiThread() ? FBackEnd->MessageBox(text, caption, Flags)
                      : FBackEnd->MessageBoxFromThread(text, caption, Flags);
}

void TApplication::DestroyComponents() {
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
}

void TScreen::SetCursor(TCursor Value) {
  FCursor = Value;
  Application->BackEnd().CursorChanged(Value);
}

// Both exist from the loading of the library to the end of the process, as the
// host and every plug-in expect them to.
TApplication* Application = new TApplication;
TScreen* Screen = new TScreen;

}  // namespace vcl
