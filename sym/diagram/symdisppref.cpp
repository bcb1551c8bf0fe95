#include "sym/diagram/symdisppref.h"

#include <map>

namespace {
std::map<ISSymDiagram*, SSymDispPref*>& DispPrefs() {
  static std::map<ISSymDiagram*, SSymDispPref*> map;
  return map;
}

ISSymDispPref* FindDispPref(ISSymDiagram* diagram) {
  auto it = DispPrefs().find(diagram);
  return it == DispPrefs().end() ? nullptr : it->second;
}

struct DispPrefInstaller {
  DispPrefInstaller() { SSymSetDispPrefFinder(&FindDispPref); }
  ~DispPrefInstaller() { SSymSetDispPrefFinder(nullptr); }
} g_dispPrefInstaller;
}  // namespace

void SSymAttachDispPref(ISSymDiagram* diagram, SSymDispPref* prefs) {
  if (!diagram) return;
  if (prefs) DispPrefs()[diagram] = prefs;
  else DispPrefs().erase(diagram);
}
