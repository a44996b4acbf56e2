#include "zip/ZipUI.h"

namespace kp {

namespace {
TZipUI DefaultUI;
TZipUI* InstalledUI = nullptr;
}  // namespace

TZipUI& ZipUI() { return InstalledUI != nullptr ? *InstalledUI : DefaultUI; }

void SetZipUI(TZipUI* UI) { InstalledUI = UI; }

}  // namespace kp
