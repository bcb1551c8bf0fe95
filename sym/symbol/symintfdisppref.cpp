#include "sym/symbol/symintfdisppref.h"

namespace {
using Finder = ISSymDispPref* (*)(ISSymDiagram*);
constinit Finder g_dispPrefFinder = nullptr;
}  // namespace

ISSymDispPref* SSymGetDispPrefPtr(ISSymDiagram* diagram) {
  return diagram && g_dispPrefFinder ? g_dispPrefFinder(diagram) : nullptr;
}

SSymDispPrefFinder SSymSetDispPrefFinder(SSymDispPrefFinder finder) {
  const Finder former = g_dispPrefFinder;
  g_dispPrefFinder = finder;
  return former;
}
