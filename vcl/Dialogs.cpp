#include "vcl/Dialogs.h"

#include "vcl/Application.h"
#include "vcl/BackEnd.h"

namespace vcl {

AnsiString AddDefaultExt(const AnsiString& Name, const AnsiString& DefaultExt) {
  if (Name.empty() || DefaultExt.empty() || !ExtractFileExt(Name).empty()) return Name;
  return Name + "." + DefaultExt;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TOpenDialog::Execute() {
  AnsiString chosen;
  if (!Application->BackEnd().FileDialog(Kind(), *this, chosen)) return false;
  FileName = AddDefaultExt(chosen, DefaultExt);
  return true;
}

bool SelectDirectory(const AnsiString& Caption, const AnsiString& Root, AnsiString& Directory) {
  AnsiString chosen = Directory;
  if (!Application->BackEnd().DirectoryDialog(Caption, Root, chosen)) return false;
  Directory = chosen;
  return true;
}

}  // namespace vcl
