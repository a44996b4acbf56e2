#pragma once
// The stand-in host's main form: "MainFrm" (or "AppBuilder") owned by
// Application, with the menus "&Файл" and "&Настройка".
#include "vcl/Forms.h"

namespace host {

// Creates the form and its menu; the application owns both.
vcl::TForm* CreateMainForm(int Flag);

// The menu tree, one item per line, two spaces of indent per level, captions
// as stored ("&" included), UTF-8.
std::string MenuTree(const vcl::TForm* Form);

}  // namespace host
