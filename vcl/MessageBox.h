#pragma once
// The system message box (user32's MessageBoxA) with its Win32 flag and result
// values. Texts are CP1251. Callable from any thread: a box asked for from
// another thread is shown on the UI thread and the caller waits for the answer.
#include "platform/WinTypes.h"

namespace win {

using UINT = unsigned int;
using HWND = void*;

enum : UINT {
  // Buttons (low four bits).
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_TYPEMASK = 0xF,
  // Icons.
  MB_ICONHAND = 0x10,
  MB_ICONERROR = 0x10,
  MB_ICONSTOP = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONWARNING = 0x30,
  MB_ICONASTERISK = 0x40,
  MB_ICONINFORMATION = 0x40,
  MB_ICONMASK = 0xF0,
  // Which button is the default (Enter): first, second, third.
  MB_DEFBUTTON1 = 0x000,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
  MB_DEFMASK = 0xF00,
  // Modality and placement.
  MB_APPLMODAL = 0x0000,
  MB_SYSTEMMODAL = 0x1000,
  MB_TASKMODAL = 0x2000,
  MB_SETFOREGROUND = 0x10000,
  MB_TOPMOST = 0x40000,
};

enum : int {
  IDOK = 1,
  IDCANCEL = 2,
  IDABORT = 3,
  IDRETRY = 4,
  IDIGNORE = 5,
  IDYES = 6,
  IDNO = 7,
};

// Shows a box with Text, Caption and the buttons and icon of Type; returns the
// ID of the button chosen. hWnd is accepted for the Win32 signature and ignored
// (every box here is owned by no window).
VCL_API int MessageBoxA(HWND hWnd, const char* Text, const char* Caption, UINT Type);

}  // namespace win
