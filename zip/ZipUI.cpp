#include "zip/ZipUI.h"

#include <memory>

#include "platform/Files.h"
#include "vcl/Application.h"
#include "vcl/Dialogs.h"

namespace kp {

namespace {
TZipUI ApplicationUI;
TZipUI* InstalledUI = nullptr;
}  // namespace

void TZipUI::ProcessMessages() { Application->ProcessMessages(); }

void TZipUI::SetBusyCursor(bool Busy) { Screen->SetCursor(Busy ? crHourGlass : crDefault); }

bool TZipUI::OpenFileDialog(const AnsiString& Title, const AnsiString& Filter,
                            const AnsiString& InitialDir, AnsiString& FileName) {
  auto dialog = std::make_unique<TOpenDialog>(nullptr);
  dialog->Title = Title;
  dialog->Filter = Filter;
  dialog->InitialDir = InitialDir;
  dialog->FileName = FileName;
  if (!dialog->Execute()) return false;
  FileName = dialog->FileName;
  return true;
}

bool TZipUI::SelectDirectory(AnsiString& Directory) {
  AnsiString chosen = Directory;
  for (;;) {
    if (!vcl::SelectDirectory("Select Directory", "", chosen)) return false;
    if (win::DirExists(chosen)) break;
    // A typed name that does not exist yet is created once the user agrees;
    // otherwise (or when it cannot be made) the chooser comes back.
    if (MessageBox("The specified directory does not exist. Create it?", "Confirm",
                   MB_YESNO | MB_ICONQUESTION) == IDYES &&
        win::ForceDirectories(chosen))
      break;
  }
  Directory = chosen;
  return true;
}

int TZipUI::MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) {
  return Application->MessageBox(Text.c_str(), Caption.c_str(), Flags);
}

TZipUI& ZipUI() { return InstalledUI != nullptr ? *InstalledUI : ApplicationUI; }

void SetZipUI(TZipUI* UI) { InstalledUI = UI; }

}  // namespace kp
