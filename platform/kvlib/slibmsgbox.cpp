#include "kvlib/slibmsgbox.h"

#include "win/winmsgbox.h"

int SLibMsgBox::Error(const SString& text, HWND owner) {
  return MessageBoxW(owner, text.c_str(), nullptr, MB_OK | MB_ICONERROR);
}
