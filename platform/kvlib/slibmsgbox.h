// SLibMsgBox: the user-interface library's message boxes over the window
// system's MessageBoxW (headless here: logged, answered from a script).
#pragma once

#include "kvcore/sstring.h"
#include "win/windef.h"

class SLibMsgBox {
 public:
  // An error box with an OK button; answers the button pressed.
  static int Error(const SString& text, HWND owner = nullptr);
};
