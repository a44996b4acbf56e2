#pragma once
// The plug-in's state object and its menu integration. One TtmpClass exists
// between Load and UnLoad; it owns the package open dialog and is the receiver
// of both menu commands.
#include <cstdint>
#include <memory>

#include "vcl/Dialogs.h"
#include "vcl/Menus.h"

namespace plugin {

class TtmpClass : public vcl::TObject {
 public:
  int32_t FFlag = 0;
  std::unique_ptr<vcl::TOpenDialog> FOpenDialog;
  // Owned by the host's settings item; freed by UnLoad.
  vcl::TMenuItem* FUpdateItem = nullptr;
  vcl::TMenuItem* FReportItem = nullptr;

  // The install command ("update/") and the error report command ("report/").
  void UpdateItemClick(vcl::TObject* Sender);
  void ReportItemClick(vcl::TObject* Sender);
};

using TMenuHandler = void (TtmpClass::*)(vcl::TObject* Sender);

// The instance between Load and UnLoad; null otherwise.
extern TtmpClass* tmpClass;

// Finds the host form and its settings menu and adds the items.
void InstallMenuItems(TtmpClass* State);
// Appends an item to Parent (after freeing a child of the same caption, unless
// the caption is the separator "-"); null without a parent.
vcl::TMenuItem* AddMenuItem(vcl::TMenuItem* Parent, const vcl::AnsiString& Caption, TMenuHandler Handler,
                            TtmpClass* Receiver);

// What the exports do.
void DoLoad(int32_t Flag);
void DoUnLoad();

}  // namespace plugin
