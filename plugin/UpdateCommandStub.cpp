// Stands in for the install command until update/UpdateCommand.cpp defines
// TtmpClass::UpdateItemClick; the build leaves this file out from then on.
#include "plugin/Texts.h"
#include "plugin/tmpClass.h"
#include "vcl/MessageBox.h"

namespace plugin {

void TtmpClass::UpdateItemClick(vcl::TObject*) { win::MessageBoxA(nullptr, SNotAvailable, "", win::MB_OK); }

}  // namespace plugin
