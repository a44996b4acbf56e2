#pragma once
// Internal to the FLTK back end: peers hold FLTK widgets; text crosses the
// widget boundary as UTF-8 and is always copied (FLTK 1.3's label() keeps the
// caller's pointer).
#include <FL/Fl_Group.H>
#include <FL/Fl_Widget.H>

#include <string>

#include "vcl/Controls.h"

namespace vcl {

// CP1251 caption -> UTF-8 label. Literal: '&' and '@' shown as themselves
// (FLTK would take them as hot-key and symbol markers).
std::string FltkLabel(const AnsiString& Ansi, bool Literal);
Fl_Color FltkColor(TColor Color);
Fl_Font FltkFont(const TFont& Font);

class TFltkPeer : public TControlPeer {
 public:
  virtual Fl_Widget* Widget() const = 0;
  // Where child controls' widgets go (null for simple controls), and the
  // offset of the control's client origin in window coordinates.
  virtual Fl_Group* Group() const { return nullptr; }
  virtual int ClientX() const;
  virtual int ClientY() const;
};

// The peer of a form and of any other control (until a control kind has its own).
std::unique_ptr<TControlPeer> CreateFltkFormPeer(TForm* Form);
std::unique_ptr<TControlPeer> CreateFltkControlPeer(TControl* Control);
// The window of a form that has a peer, or null.
class Fl_Window* FltkWindow(TForm* Form);

}  // namespace vcl
