#pragma once
// The few dialogs, boxes and cursors the ZIP reader shows go through this
// interface. The base class shows them with the application's user interface;
// a front end (a console tool, a test) installs its own.
#include "rtl/SysUtils.h"
#include "vcl/MessageBox.h"

namespace kp {
using namespace vcl;
using win::IDCANCEL;
using win::IDNO;
using win::IDOK;
using win::IDYES;
using win::MB_ICONQUESTION;
using win::MB_OK;
using win::MB_OKCANCEL;
using win::MB_YESNO;

class TZipUI {
 public:
  virtual ~TZipUI() = default;
  // Lets the user interface handle its pending messages once.
  virtual void ProcessMessages();
  // Busy (hourglass) or normal cursor.
  virtual void SetBusyCursor(bool Busy);
  // File-open dialog; false when cancelled.
  virtual bool OpenFileDialog(const AnsiString& Title, const AnsiString& Filter,
                              const AnsiString& InitialDir, AnsiString& FileName);
  // Directory chooser that lets the user type and create a new directory
  // (confirming before creating); false when cancelled.
  virtual bool SelectDirectory(AnsiString& Directory);
  // The application's message box; returns IDOK/IDCANCEL/IDYES/IDNO.
  virtual int MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags);
};

// The installed interface, or the application's.
TZipUI& ZipUI();
// Installs UI (not owned); null restores the application's.
void SetZipUI(TZipUI* UI);

}  // namespace kp
