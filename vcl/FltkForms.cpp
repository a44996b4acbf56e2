// Forms as FLTK windows, their main menus as a menu bar.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Menu_Bar.H>

#include <cstdlib>
#include <deque>
#include <vector>

#include "platform/CodePages.h"
#include "vcl/Fltk.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"

namespace vcl {

std::string FltkLabel(const AnsiString& Ansi, bool Literal) {
  std::string out;
  for (char c : win::AnsiToUtf8(Ansi)) {
    if (c == '\r') continue;
    if (c == '@' || (Literal && c == '&')) out += c;
    out += c;
  }
  return out;
}

Fl_Color FltkColor(TColor Color) {
  uint32_t rgb = ColorToRGB(Color);
  return fl_rgb_color(static_cast<uchar>(rgb >> 16), static_cast<uchar>(rgb >> 8), static_cast<uchar>(rgb));
}

Fl_Font FltkFont(const TFont& Font) {
  int face = FL_HELVETICA;
  if (Font.Style() & fsBold) face += FL_BOLD;
  if (Font.Style() & fsItalic) face += FL_ITALIC;
  return face;
}

int TFltkPeer::ClientX() const { return Widget()->x(); }
int TFltkPeer::ClientY() const { return Widget()->y(); }

namespace {

// The window of a form: Enter and Escape go to the form's buttons, the close
// box to its Close.
class TFormWindow : public Fl_Double_Window {
 public:
  TFormWindow(TForm* Form) : Fl_Double_Window(Form->ClientWidth(), Form->ClientHeight() + Form->MenuHeight()), FForm(Form) {
    end();
    callback([](Fl_Widget*, void* form) { static_cast<TForm*>(form)->Close(); }, Form);
  }

  int handle(int event) override {
    if (event == FL_SHORTCUT || event == FL_KEYBOARD) {
      int key = Fl::event_key();
      // Escape never closes a window by itself here: only a cancel button does.
      if (key == FL_Escape) return FForm->DialogKey(VK_ESCAPE), 1;
      if (key == FL_Enter || key == FL_KP_Enter) {
        if (Fl_Double_Window::handle(event)) return 1;
        return FForm->DialogKey(VK_RETURN) ? 1 : 0;
      }
    }
    return Fl_Double_Window::handle(event);
  }

 private:
  TForm* FForm;
};

class TFormPeer : public TFltkPeer {
 public:
  explicit TFormPeer(TForm* Form) : FForm(Form) {
    Fl_Group::current(nullptr);
    FWindow = new TFormWindow(Form);
    FMenuBar = new Fl_Menu_Bar(0, 0, FWindow->w(), 20);
    FMenuBar->box(FL_FLAT_BOX);
    FMenuBar->textsize(13);
    FWindow->add(FMenuBar);
    Update();
  }

  ~TFormPeer() override {
    FMenuBar->menu(nullptr);
    delete FWindow;
  }

  Fl_Widget* Widget() const override { return FWindow; }
  Fl_Group* Group() const override { return FWindow; }
  int ClientX() const override { return 0; }
  int ClientY() const override { return FForm->MenuHeight(); }
  Fl_Window* Window() const { return FWindow; }

  void Update() override {
    FWindow->copy_label(FltkLabel(FForm->Caption(), true).c_str());
    FWindow->color(FltkColor(FForm->Color()));
    int w = FForm->ClientWidth(), h = FForm->ClientHeight() + FForm->MenuHeight();
    int x = FForm->Left(), y = FForm->Top();
    if (FForm->Position() == TPosition::poScreenCenter || FForm->Position() == TPosition::poDesktopCenter ||
        FForm->Position() == TPosition::poMainFormCenter) {
      x = (Fl::w() - w) / 2;
      y = (Fl::h() - h) / 2;
    }
    FWindow->resize(x, y, w, h);
    bool sizeable = FForm->BorderStyle() == TFormBorderStyle::bsSizeable ||
                    FForm->BorderStyle() == TFormBorderStyle::bsSizeToolWin;
    if (sizeable) FWindow->size_range(100, 50);
    else FWindow->size_range(w, h, w, h);
    if (FForm->BorderStyle() == TFormBorderStyle::bsNone) FWindow->border(0);
    RebuildMenu();
  }

 private:
  // The menu bar's items, rebuilt from the form's menu on every change. The
  // previous array is kept until the next rebuild: FLTK may still hold it
  // while the callback of one of its items runs.
  void RebuildMenu() {
    FOldItems = std::move(FItems);
    FOldLabels = std::move(FLabels);
    FItems.clear();
    FLabels.clear();
    TMainMenu* menu = FForm->Menu();
    bool show = menu && menu->Items()->Count() > 0;
    if (show) {
      AddItems(menu->Items());
      FItems.push_back(Fl_Menu_Item{});
      FMenuBar->menu(FItems.data());
    } else {
      FMenuBar->menu(nullptr);
    }
    FMenuBar->resize(0, 0, FWindow->w(), show ? FForm->MenuHeight() : 0);
    if (show) FMenuBar->show();
    else FMenuBar->hide();
    FMenuBar->redraw();
  }

  void AddItems(const TMenuItem* Parent) {
    size_t last = SIZE_MAX;  // the previous item of this level, for a separator
    for (int i = 0; i < Parent->Count(); ++i) {
      TMenuItem* item = Parent->Items(i);
      if (!item->Visible()) continue;
      if (item->IsLine()) {
        if (last != SIZE_MAX) FItems[last].flags |= FL_MENU_DIVIDER;
        continue;
      }
      FLabels.push_back(FltkLabel(item->Caption(), false));
      Fl_Menu_Item m{};
      m.text = FLabels.back().c_str();
      m.labelsize_ = 13;
      if (!item->Enabled()) m.flags |= FL_MENU_INACTIVE;
      if (item->Checked()) m.flags |= FL_MENU_TOGGLE | FL_MENU_VALUE;
      last = FItems.size();
      if (item->Count() > 0) {
        m.flags |= FL_SUBMENU;
        FItems.push_back(m);
        AddItems(item);
        FItems.push_back(Fl_Menu_Item{});
      } else {
        m.callback_ = [](Fl_Widget*, void* data) { static_cast<TMenuItem*>(data)->Click(); };
        m.user_data_ = item;
        FItems.push_back(m);
      }
    }
  }

  TForm* FForm;
  TFormWindow* FWindow;
  Fl_Menu_Bar* FMenuBar;
  std::vector<Fl_Menu_Item> FItems, FOldItems;
  std::deque<std::string> FLabels, FOldLabels;  // deque: labels do not move
};

// Any other control, until its kind gets a widget of its own: a box with its
// caption (a frame holding its children for group boxes and panels).
class TControlPeerBox : public TFltkPeer {
 public:
  explicit TControlPeerBox(TControl* Control) : FControl(Control) {
    Fl_Group::current(nullptr);
    bool container = Control->WidgetKind() == TWidgetKind::wkGroupBox || Control->WidgetKind() == TWidgetKind::wkPanel;
    if (container) {
      auto* g = new Fl_Group(0, 0, 1, 1);
      g->end();
      g->box(FL_ENGRAVED_FRAME);
      g->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
      FGroup = g;
      FWidget = g;
    } else {
      FWidget = new Fl_Box(0, 0, 1, 1);
      FWidget->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    }
    if (auto* parent = dynamic_cast<TFltkPeer*>(Control->Parent() ? Control->Parent()->Peer() : nullptr))
      if (parent->Group()) parent->Group()->add(FWidget);
    Update();
  }

  ~TControlPeerBox() override {
    if (FWidget->parent()) FWidget->parent()->remove(FWidget);
    delete FWidget;
  }

  Fl_Widget* Widget() const override { return FWidget; }
  Fl_Group* Group() const override { return FGroup; }

  void Update() override {
    int x = FControl->Left(), y = FControl->Top();
    if (auto* parent = dynamic_cast<TFltkPeer*>(FControl->Parent() ? FControl->Parent()->Peer() : nullptr)) {
      x += parent->ClientX();
      y += parent->ClientY();
    }
    FWidget->resize(x, y, FControl->Width(), FControl->Height());
    FWidget->copy_label(FltkLabel(FControl->Caption(), false).c_str());
    FWidget->labelfont(FltkFont(FControl->Font()));
    FWidget->labelsize(std::abs(FControl->Font().Height()));
    FWidget->labelcolor(FltkColor(FControl->Font().Color()));
    if (FControl->Visible()) FWidget->show();
    else FWidget->hide();
    if (FControl->Enabled()) FWidget->activate();
    else FWidget->deactivate();
    if (FWidget->window()) FWidget->window()->redraw();
  }

 private:
  TControl* FControl;
  Fl_Widget* FWidget;
  Fl_Group* FGroup = nullptr;
};

}  // namespace

std::unique_ptr<TControlPeer> CreateFltkFormPeer(TForm* Form) { return std::make_unique<TFormPeer>(Form); }
std::unique_ptr<TControlPeer> CreateFltkControlPeer(TControl* Control) { return std::make_unique<TControlPeerBox>(Control); }

Fl_Window* FltkWindow(TForm* Form) {
  auto* peer = dynamic_cast<TFormPeer*>(Form->Peer());
  return peer ? peer->Window() : nullptr;
}

}  // namespace vcl
