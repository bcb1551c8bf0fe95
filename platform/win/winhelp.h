// Help requests, headless: there is no help viewer, so every request a
// window makes (a context topic, the contents, quitting) is kept in a
// process-wide log for a test to read.
#pragma once

#include <string>
#include <vector>

#include "win/windef.h"

constexpr UINT HELP_CONTEXT = 0x0001;
constexpr UINT HELP_QUIT = 0x0002;
constexpr UINT HELP_CONTENTS = 0x0003;
constexpr UINT HELP_FINDER = 0x000B;

// Logs the request; TRUE (a viewer would have been asked).
BOOL WinHelpW(HWND owner, LPCWSTR helpFile, UINT command, ULONG_PTR data);

struct KvHelpRequest {
  HWND owner = nullptr;
  std::u16string file;
  UINT command = 0;
  ULONG_PTR data = 0;
};
const std::vector<KvHelpRequest>& KvHelpRequests();
void KvClearHelpRequests();
