#pragma once
// The application object shared by host and plug-in: owns the host's forms,
// runs the message loop and shows message boxes. One per process, inside
// libvcl.so. The back end (headless or FLTK) is chosen once at start-up;
// nothing outside vcl/ needs to know which runs.
#include <memory>
#include <thread>

#include "rtl/Classes.h"
#include "vcl/MessageBox.h"

namespace vcl {

class TForm;
class TBackEnd;
class THeadlessOperator;

enum class TBackEndKind { Headless, Fltk };

class VCL_API TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  // Chooses the back end and makes the calling thread the UI thread. Until it
  // is called the application is headless. FLTK needs a display: EOutOfResources
  // when none can be opened.
  void Initialize(TBackEndKind Kind);
  TBackEndKind BackEndKind() const { return FKind; }
  // The scripted operator of the headless back end; null with FLTK.
  THeadlessOperator* Operator() const;

  // The first form created with the application as owner.
  TForm* MainForm() const { return FMainForm; }
  AnsiString Title;

  // Shows the main form and runs the message loop until Terminate or the main
  // form closes. Headless: returns at once (nothing waits for an operator).
  void Run();
  // Handles every pending message (and due timers), then returns.
  void ProcessMessages();
  // Waits for and handles at least one message (headless: the operator's next step).
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // A message box (Win32 flags MB_xxx, result IDxxx); callable from any thread.
  int MessageBox(const char* Text, const char* Caption, unsigned Flags = win::MB_OK);

  // Frees every owned component (the host's forms), last created first.
  void DestroyComponents();

  bool InUiThread() const { return std::this_thread::get_id() == FUiThread; }
  TBackEnd& BackEnd() const { return *FBackEnd; }

 private:
  friend class TForm;
  TBackEndKind FKind = TBackEndKind::Headless;
  std::unique_ptr<TBackEnd> FBackEnd;
  TForm* FMainForm = nullptr;
  bool FTerminated = false;
  std::thread::id FUiThread;
};

// Created when libvcl.so is loaded; lives as long as the process.
VCL_API extern TApplication* Application;

using TCursor = int;
constexpr TCursor crDefault = 0, crArrow = -2, crHourGlass = -11, crSQLWait = -17;

// The screen: the mouse cursor shown over every form of the application.
class VCL_API TScreen : public TComponent {
 public:
  TScreen() : TComponent(nullptr) {}
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);

 private:
  TCursor FCursor = crDefault;
};

VCL_API extern TScreen* Screen;

}  // namespace vcl
