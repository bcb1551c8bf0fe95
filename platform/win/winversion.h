// The platform's version as GetVersionEx reports it. This platform presents
// itself as the NT family, major version 10; tests may set another version
// (KvSetVersion) to see how callers treat older systems.
#pragma once

#include "win/windef.h"

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};

// Fills the record; FALSE (and nothing written) for a null record or one
// whose size field is not sizeof(OSVERSIONINFOW).
BOOL GetVersionExW(OSVERSIONINFOW* info);

// ---- helpers of this platform layer ------------------------------------------
// Sets the version GetVersionExW reports (until set again).
void KvSetVersion(DWORD platformId, DWORD major, DWORD minor);
// Back to the platform's own version.
void KvResetVersion();
