// Stands in for the error report command until report/ReportCommand.cpp
// defines TtmpClass::ReportItemClick; the build leaves this file out from then on.
#include "plugin/Texts.h"
#include "plugin/tmpClass.h"
#include "vcl/MessageBox.h"

namespace plugin {

void TtmpClass::ReportItemClick(vcl::TObject*) { win::MessageBoxA(nullptr, SNotAvailable, "", win::MB_OK); }

}  // namespace plugin
