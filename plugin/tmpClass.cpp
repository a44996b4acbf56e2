#include "plugin/tmpClass.h"

#include "plugin/Texts.h"
#include "vcl/Application.h"
#include "vcl/Forms.h"

namespace plugin {

using namespace vcl;

TtmpClass* tmpClass = nullptr;

TMenuItem* AddMenuItem(TMenuItem* Parent, const AnsiString& Caption, TMenuHandler Handler, TtmpClass* Receiver) {
  if (!Parent) return nullptr;
  if (Caption != "-")
    if (TMenuItem* old = Parent->Find(Caption)) delete old;  // freeing takes it out of the menu
  auto* item = new TMenuItem(Parent);
  item->SetCaption(Caption);
  item->OnClick = BindMethod(Receiver, Handler);
  Parent->Add(item);
  return item;
}

void InstallMenuItems(TtmpClass* State) {
  const char* formName = State->FFlag == 0 ? "MainFrm" : "AppBuilder";
  auto* form = dynamic_cast<TForm*>(Application->FindComponent(formName));
  if (!form || !form->Menu()) return;
  TMenuItem* settings = form->Menu()->Items()->Find(SSettingsMenu);
  if (!settings) return;
  if (TMenuItem* existing = settings->Find(SUpdateItem)) State->FUpdateItem = existing;
  else State->FUpdateItem = AddMenuItem(settings, SUpdateItem, &TtmpClass::UpdateItemClick, State);
  if (State->FFlag == 0) State->FReportItem = AddMenuItem(settings, SReportItem, &TtmpClass::ReportItemClick, State);
}

void DoLoad(int32_t Flag) {
  // A second Load without UnLoad would leak the first state and duplicate the
  // report item; it is refused and changes nothing.
  if (tmpClass) return;
  tmpClass = new TtmpClass;
  tmpClass->FFlag = Flag;
  InstallMenuItems(tmpClass);
  tmpClass->FOpenDialog = std::make_unique<TOpenDialog>(nullptr);
  tmpClass->FOpenDialog->Filter = SPackageFilter;
  tmpClass->FOpenDialog->DefaultExt = SPackageExt;
}

void DoUnLoad() {
  if (!tmpClass) return;
  delete tmpClass->FReportItem;
  tmpClass->FReportItem = nullptr;
  tmpClass->FOpenDialog.reset();
  delete tmpClass->FUpdateItem;
  tmpClass->FUpdateItem = nullptr;
  delete tmpClass;
  tmpClass = nullptr;
}

}  // namespace plugin
