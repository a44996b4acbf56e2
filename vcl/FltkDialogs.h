#pragma once
// Internal to the FLTK back end: the dialogs it shows on the UI thread.
#include "vcl/Dialogs.h"

namespace vcl {

int FltkMessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags);
// Chosen is the host path in Windows form (a drive letter where a drive maps it).
bool FltkFileDialog(TFileDialogKind Kind, const TOpenDialog& Dialog, AnsiString& Chosen);
bool FltkDirectoryDialog(const AnsiString& Caption, const AnsiString& Root, AnsiString& Directory);

}  // namespace vcl
