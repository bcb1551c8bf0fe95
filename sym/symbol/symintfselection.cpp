#include "sym/symbol/symintfselection.h"

#include <algorithm>
#include <vector>

namespace {
std::vector<const ISSymSelection*>& LiveSelections() {
  static std::vector<const ISSymSelection*> live;
  return live;
}
ISSymSelection* g_activeSelection = nullptr;
bool g_bSelChangeNotify = true;
}  // namespace

bool SSymGetSelChangeNotify() { return g_bSelChangeNotify; }
void SSymSetSelChangeNotify(bool on) { g_bSelChangeNotify = on; }

ISSymSelection::ISSymSelection() { LiveSelections().push_back(this); }

ISSymSelection::~ISSymSelection() {
  auto& live = LiveSelections();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (g_activeSelection == this) g_activeSelection = nullptr;
}

bool ISSymSelection::IsAlive(const ISSymSelection* selection) {
  if (!selection) return false;
  const auto& live = LiveSelections();
  return std::find(live.begin(), live.end(), selection) != live.end();
}

ISSymSelection* SSymGetActiveSelection() {
  return ISSymSelection::IsAlive(g_activeSelection) ? g_activeSelection : nullptr;
}
void SSymSetActiveSelection(ISSymSelection* selection) { g_activeSelection = selection; }
