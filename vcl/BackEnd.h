#pragma once
// What the application needs of a back end. Internal to libvcl.so: forms,
// menus, dialogs and timers call it; the headless and FLTK back ends implement it.
#include <memory>

#include "vcl/Controls.h"
#include "vcl/Dialogs.h"

namespace vcl {

class TForm;
class TTimer;
class THeadlessOperator;

class TBackEnd {
 public:
  virtual ~TBackEnd() = default;

  // A widget for Control, or null (headless). Called on the UI thread.
  virtual std::unique_ptr<TControlPeer> CreatePeer(TControl* Control) = 0;
  // A form became visible or hidden (its peer exists when it has one).
  virtual void FormShown(TForm* Form) = 0;
  virtual void FormHidden(TForm* Form) = 0;
  // Runs until Form->ModalResult() is set and its closing is allowed.
  virtual void ModalLoop(TForm* Form) = 0;
  // The main loop of Application::Run.
  virtual void RunLoop() = 0;
  virtual void ProcessMessages() = 0;
  virtual void HandleMessage() = 0;
  virtual void Terminated() {}

  // Runs a file dialog: true and Chosen (Windows form, as typed) when confirmed.
  virtual bool FileDialog(TFileDialogKind Kind, const TOpenDialog& Dialog, AnsiString& Chosen) = 0;
  virtual bool DirectoryDialog(const AnsiString& Caption, const AnsiString& Root, AnsiString& Directory) = 0;
  // A message box; called on the UI thread.
  virtual int MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) = 0;
  // A message box asked for by another thread: shown on the UI thread, waited for.
  virtual int MessageBoxFromThread(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) = 0;

  virtual void TimerChanged(TTimer* Timer) = 0;
  virtual void TimerGone(TTimer* Timer) = 0;
  virtual void CursorChanged(int Cursor) = 0;

  virtual THeadlessOperator* Operator() { return nullptr; }
};

std::unique_ptr<TBackEnd> CreateHeadlessBackEnd();
std::unique_ptr<TBackEnd> CreateFltkBackEnd();

// Button IDs of a message box's buttons, left to right, and the default one.
std::vector<int> MessageBoxButtons(unsigned Flags);
int MessageBoxDefault(unsigned Flags);
// "OK", "Cancel", "Yes", ... for an ID.
const char* ButtonName(int Id);
int ButtonId(const AnsiString& Name);  // 0 when unknown, case ignored

}  // namespace vcl
