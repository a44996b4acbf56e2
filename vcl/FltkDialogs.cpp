// Message boxes, file dialogs and the directory chooser with FLTK.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/CodePages.h"
#include "platform/Paths.h"
#include "vcl/BackEnd.h"
#include "vcl/Fltk.h"
#include "vcl/FltkDialogs.h"
#include "vcl/MessageBox.h"

namespace vcl {

using namespace win;

namespace {

const char* IconSymbol(unsigned Flags) {
  switch (Flags & MB_ICONMASK) {
    case MB_ICONERROR: return "X";
    case MB_ICONQUESTION: return "?";
    case MB_ICONWARNING: return "!";
    case MB_ICONINFORMATION: return "i";
    default: return nullptr;
  }
}

// Escape and the close box give Cancel where there is one, OK for a lone OK.
int EscapeResult(const std::vector<int>& Buttons) {
  if (std::find(Buttons.begin(), Buttons.end(), IDCANCEL) != Buttons.end()) return IDCANCEL;
  if (Buttons.size() == 1 && Buttons[0] == IDOK) return IDOK;
  return 0;
}

struct TBoxState {
  int Result = 0;
  int Escape = 0;
};

class TBoxWindow : public Fl_Double_Window {
 public:
  TBoxWindow(int w, int h, TBoxState& State) : Fl_Double_Window(w, h), FState(State) {}
  int handle(int event) override {
    if (event == FL_SHORTCUT && Fl::event_key() == FL_Escape) {
      if (FState.Escape) FState.Result = FState.Escape;
      return 1;
    }
    return Fl_Double_Window::handle(event);
  }

 private:
  TBoxState& FState;
};

}  // namespace

int FltkMessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) {
  std::vector<int> buttons = MessageBoxButtons(Flags);
  int def = MessageBoxDefault(Flags);
  TBoxState state;
  state.Escape = EscapeResult(buttons);

  std::string text = FltkLabel(Text, true);
  fl_font(FL_HELVETICA, 13);
  int tw = 0, th = 0;
  fl_measure(text.c_str(), tw, th, 0);
  const char* icon = IconSymbol(Flags);
  int iconW = icon ? 50 : 0;
  int buttonsW = static_cast<int>(buttons.size()) * 90;
  int w = std::max(iconW + tw + 30, buttonsW + 20);
  w = std::max(w, 200);
  int h = std::max(th, icon ? 40 : 0) + 70;

  Fl_Group::current(nullptr);
  TBoxWindow window(w, h, state);
  window.copy_label(FltkLabel(Caption, true).c_str());
  if (icon) {
    auto* box = new Fl_Box(10, 12, 36, 36, icon);
    box->box(FL_OVAL_BOX);
    box->labelsize(22);
    box->labelfont(FL_HELVETICA_BOLD);
  }
  auto* message = new Fl_Box(10 + iconW, 10, tw + 10, std::max(th, icon ? 40 : 0));
  message->copy_label(text.c_str());
  message->labelsize(13);
  message->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
  int x = (w - buttonsW) / 2 + 5;
  for (int id : buttons) {
    Fl_Button* b = id == def ? new Fl_Return_Button(x, h - 40, 80, 28) : new Fl_Button(x, h - 40, 80, 28);
    b->copy_label(ButtonName(id));
    b->callback([](Fl_Widget* w, void* data) {
      auto* s = static_cast<TBoxState*>(w->window()->user_data());
      s->Result = static_cast<int>(reinterpret_cast<intptr_t>(data));
    }, reinterpret_cast<void*>(static_cast<intptr_t>(id)));
    if (id == def) b->take_focus();
    x += 90;
  }
  window.end();
  window.user_data(&state);
  window.callback([](Fl_Widget* w, void*) {
    auto* s = static_cast<TBoxState*>(w->user_data());
    if (s->Escape) s->Result = s->Escape;
  });
  window.set_modal();
  window.position((Fl::w() - w) / 2, (Fl::h() - h) / 2);
  window.show();
  while (!state.Result && window.shown()) Fl::wait();
  return state.Result ? state.Result : def;
}

namespace {

// "Desc|*.a;*.b|Desc2|*.c" -> FLTK's "Desc\t*.{a,b}\nDesc2\t*.c", with masks
// made case-blind as they are on Windows ("*.Ov9" also finds "x.ov9").
std::string FltkFilter(const AnsiString& Filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= Filter.size()) {
    size_t bar = Filter.find('|', start);
    if (bar == AnsiString::npos) bar = Filter.size();
    parts.push_back(win::AnsiToUtf8(Filter.substr(start, bar - start)));
    start = bar + 1;
  }
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string masks;
    size_t count = 0;
    std::string mask;
    for (size_t p = 0; p <= parts[i + 1].size(); ++p) {
      char c = p < parts[i + 1].size() ? parts[i + 1][p] : ';';
      if (c != ';') {
        mask += c;
        continue;
      }
      if (mask.empty()) continue;
      std::string blind;
      for (char m : mask) {
        unsigned char u = static_cast<unsigned char>(m);
        if (std::isalpha(u)) blind += std::string("[") + static_cast<char>(std::toupper(u)) + static_cast<char>(std::tolower(u)) + "]";
        else blind += m;
      }
      masks += (count++ ? "," : "") + blind;
      mask.clear();
    }
    if (!out.empty()) out += "\n";
    out += parts[i] + "\t" + (count > 1 ? "{" + masks + "}" : masks);
  }
  return out;
}

}  // namespace

bool FltkFileDialog(TFileDialogKind Kind, const TOpenDialog& Dialog, AnsiString& Chosen) {
  Fl_Native_File_Chooser chooser(Kind == TFileDialogKind::fdSave ? Fl_Native_File_Chooser::BROWSE_SAVE_FILE
                                                                 : Fl_Native_File_Chooser::BROWSE_FILE);
  std::string title = win::AnsiToUtf8(Dialog.Title.empty() ? AnsiString(Kind == TFileDialogKind::fdSave ? "Save As" : "Open")
                                                           : Dialog.Title);
  chooser.title(title.c_str());
  std::string filter = FltkFilter(Dialog.Filter);
  if (!filter.empty()) {
    chooser.filter(filter.c_str());
    chooser.filter_value(std::max(0, Dialog.FilterIndex - 1));
  }
  if (Kind == TFileDialogKind::fdSave && (Dialog.Options & ofOverwritePrompt))
    chooser.options(Fl_Native_File_Chooser::SAVEAS_CONFIRM);
  std::string dir = Dialog.InitialDir.empty() ? std::string() : win::ToHostPath(Dialog.InitialDir);
  std::string preset = win::AnsiToUtf8(ExtractFileName(Dialog.FileName));
  if (!Dialog.FileName.empty() && Dialog.InitialDir.empty() && !ExtractFilePath(Dialog.FileName).empty())
    dir = win::ToHostPath(ExtractFilePath(Dialog.FileName));
  if (!dir.empty()) chooser.directory(dir.c_str());
  if (!preset.empty()) chooser.preset_file(preset.c_str());
  if (chooser.show() != 0 || !chooser.filename()) return false;
  Chosen = win::FromHostPath(chooser.filename());
  return true;
}

bool FltkDirectoryDialog(const AnsiString& Caption, const AnsiString& Root, AnsiString& Directory) {
  Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_DIRECTORY);
  std::string title = win::AnsiToUtf8(Caption);
  chooser.title(title.c_str());
  AnsiString start = !Directory.empty() ? Directory : Root;
  std::string dir = start.empty() ? std::string() : win::ToHostPath(start);
  if (!dir.empty()) chooser.directory(dir.c_str());
  if (chooser.show() != 0 || !chooser.filename()) return false;
  Directory = win::FromHostPath(chooser.filename());
  return true;
}

}  // namespace vcl
