#pragma once
// The few dialogs, boxes and cursors the ZIP reader shows go through this
// interface, which the user-interface library implements. Without one
// installed, the defaults below answer as a user who cancels would.
#include "rtl/SysUtils.h"

namespace kp {
using namespace vcl;

// Message box buttons and answers, with the Windows values.
enum : unsigned { MB_OK = 0x00, MB_OKCANCEL = 0x01, MB_YESNO = 0x04, MB_ICONQUESTION = 0x20 };
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class TZipUI {
 public:
  virtual ~TZipUI() = default;
  // Lets the user interface handle its pending messages once.
  virtual void ProcessMessages() {}
  // Busy (hourglass) or normal cursor.
  virtual void SetBusyCursor(bool /*Busy*/) {}
  // File-open dialog owned by the application; false when cancelled.
  virtual bool OpenFileDialog(const AnsiString& /*Title*/, const AnsiString& /*Filter*/,
                              const AnsiString& /*InitialDir*/, AnsiString& /*FileName*/) {
    return false;
  }
  // Directory chooser that lets the user type and create a new directory
  // (confirming before creating); false when cancelled.
  virtual bool SelectDirectory(AnsiString& /*Directory*/) { return false; }
  // The application's message box; returns IDOK/IDCANCEL/IDYES/IDNO.
  virtual int MessageBox(const AnsiString& /*Text*/, const AnsiString& /*Caption*/,
                         unsigned Flags) {
    if ((Flags & 0x0F) == MB_YESNO) return IDNO;
    if ((Flags & 0x0F) == MB_OKCANCEL) return IDCANCEL;
    return IDOK;
  }
};

// The installed interface, or the cancelling default.
TZipUI& ZipUI();
// Installs UI (not owned); null restores the default.
void SetZipUI(TZipUI* UI);

}  // namespace kp
