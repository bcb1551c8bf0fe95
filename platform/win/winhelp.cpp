// The help request log.
#include "win/winhelp.h"

namespace {
std::vector<KvHelpRequest>& Log() {
  static std::vector<KvHelpRequest> log;
  return log;
}
}  // namespace

BOOL WinHelpW(HWND owner, LPCWSTR helpFile, UINT command, ULONG_PTR data) {
  Log().push_back({owner, helpFile ? std::u16string(helpFile) : std::u16string(), command, data});
  return TRUE;
}

const std::vector<KvHelpRequest>& KvHelpRequests() { return Log(); }
void KvClearHelpRequests() { Log().clear(); }
