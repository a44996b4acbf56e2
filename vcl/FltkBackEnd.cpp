// The FLTK back end: real windows on an X display. Everything FLTK runs on
// the UI thread; another thread's message box is queued for it (Fl::awake
// wakes the loop) and the asking thread waits for the answer.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <deque>
#include <mutex>

#include "vcl/Application.h"
#include "vcl/BackEnd.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Fltk.h"
#include "vcl/FltkDialogs.h"
#include "vcl/Forms.h"

#include <FL/x.H>  // fl_open_display; last, for its X11 macros

namespace vcl {

namespace {

[[noreturn]] void ThrowFatal(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  throw EOutOfResources(text);
}

// A message box asked for by another thread, answered on the UI thread.
struct TBoxRequest {
  AnsiString Text, Caption;
  unsigned Flags = 0;
  int Result = 0;
  bool Done = false;
};

class TFltkBackEnd : public TBackEnd {
 public:
  TFltkBackEnd() {
    // FLTK ends the process when the display cannot be opened; the caller is
    // told instead.
    Fl::fatal = ThrowFatal;
    fl_open_display();
    Fl::lock();  // makes Fl::awake work
    Fl::scheme("gtk+");
  }

  std::unique_ptr<TControlPeer> CreatePeer(TControl* Control) override {
    if (auto* form = dynamic_cast<TForm*>(Control)) return CreateFltkFormPeer(form);
    return CreateFltkControlPeer(Control);
  }

  void FormShown(TForm* Form) override {
    Fl_Window* window = FltkWindow(Form);
    if (!window) return;
    if (Form->Modal()) window->set_modal();
    else window->set_non_modal();
    window->show();
  }

  void FormHidden(TForm* Form) override {
    if (Fl_Window* window = FltkWindow(Form)) window->hide();
  }

  void ModalLoop(TForm* Form) override {
    while (true) {
      if (Application->Terminated() && Form->ModalResult() == mrNone) Form->SetModalResult(mrCancel);
      if (Form->ModalResult() != mrNone && Form->CloseModal()) return;
      Fl_Window* window = FltkWindow(Form);
      if (!window || !window->shown()) {
        Form->SetModalResult(mrCancel);
        return;
      }
      Fl::wait();
      AnswerQueuedBoxes();
    }
  }

  void RunLoop() override {
    while (!Application->Terminated() && Fl::first_window()) {
      Fl::wait();
      AnswerQueuedBoxes();
    }
  }

  void ProcessMessages() override {
    Fl::check();
    AnswerQueuedBoxes();
  }

  void HandleMessage() override {
    Fl::wait();
    AnswerQueuedBoxes();
  }

  void Terminated() override {
    while (Fl_Window* w = Fl::first_window()) w->hide();
  }

  bool FileDialog(TFileDialogKind Kind, const TOpenDialog& Dialog, AnsiString& Chosen) override {
    return FltkFileDialog(Kind, Dialog, Chosen);
  }

  bool DirectoryDialog(const AnsiString& Caption, const AnsiString& Root, AnsiString& Directory) override {
    return FltkDirectoryDialog(Caption, Root, Directory);
  }

  int MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) override {
    return FltkMessageBox(Text, Caption, Flags);
  }

  int MessageBoxFromThread(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) override {
    TBoxRequest request{Text, Caption, Flags, 0, false};
    std::unique_lock<std::mutex> lock(FLock);
    FRequests.push_back(&request);
    Fl::awake();
    FAnswered.wait(lock, [&] { return request.Done; });
    return request.Result;
  }

  // Timers are FLTK timeouts with the timer as their data.
  void TimerChanged(TTimer* Timer) override {
    Fl::remove_timeout(OnTimeout, Timer);
    if (Timer->Enabled() && Timer->Interval() > 0) Fl::add_timeout(Timer->Interval() / 1000.0, OnTimeout, Timer);
  }
  void TimerGone(TTimer* Timer) override { Fl::remove_timeout(OnTimeout, Timer); }

  void CursorChanged(int Cursor) override {
    Fl_Cursor c = Cursor == crHourGlass || Cursor == crSQLWait ? FL_CURSOR_WAIT : FL_CURSOR_DEFAULT;
    for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) w->cursor(c);
    Fl::flush();
  }

 private:
  static void OnTimeout(void* data) {
    auto* timer = static_cast<TTimer*>(data);
    // Re-armed first: the handler may change or free the timer, which
    // removes or replaces this timeout.
    Fl::repeat_timeout(timer->Interval() / 1000.0, OnTimeout, timer);
    timer->Fire();
  }

  void AnswerQueuedBoxes() {
    while (true) {
      TBoxRequest* request;
      {
        std::lock_guard<std::mutex> lock(FLock);
        if (FRequests.empty()) return;
        request = FRequests.front();
        FRequests.pop_front();
      }
      int result = FltkMessageBox(request->Text, request->Caption, request->Flags);
      std::lock_guard<std::mutex> lock(FLock);
      request->Result = result;
      request->Done = true;
      FAnswered.notify_all();
    }
  }

  std::mutex FLock;
  std::condition_variable FAnswered;
  std::deque<TBoxRequest*> FRequests;
};

}  // namespace

std::unique_ptr<TBackEnd> CreateFltkBackEnd() { return std::make_unique<TFltkBackEnd>(); }

}  // namespace vcl
