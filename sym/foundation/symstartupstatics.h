// Start-up statics that the library frame builds for the views: the number
// of the mouse-wheel message the views handle, made once by the start-up
// initialisers before any view exists. (The filter id text that asks the
// content preferences for a new id is SPrefShowColl::g_szNewCodeRequest,
// sym/diagram/symprefshowcoll.h.)
#pragma once

#include "kvcore/sstring.h"
#include "win/windef.h"

// The mouse-wheel message: 522 (WM_MOUSEWHEEL) on NT-family systems of major
// version 4 or more and on any system of major version 5 or more; otherwise
// the registered message "MSWHEEL_ROLLMSG" of older systems.
inline constexpr UINT SSymWmMouseWheel = 522;
UINT SSymMouseWheelMessageFor(DWORD platformId, DWORD majorVersion);
// The number kept at start-up for this platform.
UINT SSymGetMouseWheelMessage();
