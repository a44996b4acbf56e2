#include "vcl/MessageBox.h"

#include <cctype>

#include "vcl/Application.h"
#include "vcl/BackEnd.h"

namespace win {

int MessageBoxA(HWND, const char* Text, const char* Caption, UINT Type) {
  return vcl::Application->MessageBox(Text, Caption, Type);
}

}  // namespace win

namespace vcl {

using namespace win;

std::vector<int> MessageBoxButtons(unsigned Flags) {
  switch (Flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

int MessageBoxDefault(unsigned Flags) {
  std::vector<int> buttons = MessageBoxButtons(Flags);
  size_t index = (Flags & MB_DEFMASK) >> 8;
  return buttons[index < buttons.size() ? index : 0];
}

const char* ButtonName(int Id) {
  switch (Id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "?";
  }
}

int ButtonId(const AnsiString& Name) {
  for (int id = IDOK; id <= IDNO; ++id) {
    AnsiString n = ButtonName(id);
    if (n.size() == Name.size()) {
      bool same = true;
      for (size_t i = 0; i < n.size(); ++i)
        same = same && std::tolower(static_cast<unsigned char>(n[i])) == std::tolower(static_cast<unsigned char>(Name[i]));
      if (same) return id;
    }
  }
  return 0;
}

}  // namespace vcl
