#include "sym/symbol/symintfdisppref.h"

namespace {
using Finder = ISSymDispPref* (*)(ISSymDiagram*);
constinit Finder g_dispPrefFinder = nullptr;
}  // namespace

ISSymDispPref* SSymGetDispPrefPtr(ISSymDiagram* diagram) {
  return diagram && g_dispPrefFinder ? g_dispPrefFinder(diagram) : nullptr;
}

void SSymSetDispPrefFinder(ISSymDispPref* (*finder)(ISSymDiagram*)) { g_dispPrefFinder = finder; }
