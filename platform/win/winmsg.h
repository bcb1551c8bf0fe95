// MSG: one message of a window's queue, as verbs and message hooks receive it.
#pragma once

#include "win/windef.h"

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
using LPMSG = MSG*;
