#include "win/winversion.h"

namespace {
struct Version {
  DWORD platform = VER_PLATFORM_WIN32_NT;
  DWORD major = 10;
  DWORD minor = 0;
};
Version& Current() {
  static Version v;
  return v;
}
}  // namespace

BOOL GetVersionExW(OSVERSIONINFOW* info) {
  if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW)) return FALSE;
  const Version& v = Current();
  info->dwMajorVersion = v.major;
  info->dwMinorVersion = v.minor;
  info->dwBuildNumber = 0;
  info->dwPlatformId = v.platform;
  info->szCSDVersion[0] = 0;
  return TRUE;
}

void KvSetVersion(DWORD platformId, DWORD major, DWORD minor) { Current() = Version{platformId, major, minor}; }

void KvResetVersion() { Current() = Version{}; }
