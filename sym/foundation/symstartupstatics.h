// Start-up statics that the library frame builds for the views and the
// display preferences: the number of the mouse-wheel message the views
// handle, and the filter id text that asks the display preferences for a
// new id. Both are made once, by the start-up initialisers, before any view
// or preference exists.
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

// The collection filters of the display preferences.
class SPrefShowColl {
 public:
  // Passed as a filter id, asks for a new id to be made: "<NewOIDRequested>".
  static const SString g_szNewCodeRequest;
};
