#include "sym/foundation/symstartupstatics.h"

#include "win/winloader.h"
#include "win/winversion.h"

UINT SSymMouseWheelMessageFor(DWORD platformId, DWORD majorVersion) {
  if ((platformId == VER_PLATFORM_WIN32_NT && majorVersion >= 4) || majorVersion >= 5) return SSymWmMouseWheel;
  return RegisterWindowMessageW(u"MSWHEEL_ROLLMSG");
}

namespace {
UINT MouseWheelAtStartUp() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  // Without an answer the platform is taken as the oldest kind.
  if (!GetVersionExW(&info)) return SSymMouseWheelMessageFor(VER_PLATFORM_WIN32s, 0);
  return SSymMouseWheelMessageFor(info.dwPlatformId, info.dwMajorVersion);
}
const UINT s_mouseWheelMessage = MouseWheelAtStartUp();
}  // namespace

UINT SSymGetMouseWheelMessage() { return s_mouseWheelMessage; }
