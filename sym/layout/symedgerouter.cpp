#include "sym/layout/symedgerouter.h"

SSymEdgeRouter& SSymEdgeRouter::Instance() {
  static SSymEdgeRouter router;
  return router;
}

void SSymEdgeRouter::AddSymbol(const SComWrap<ISSymbol>& symbol) {
  if (!symbol.IsNull()) m_symbols.Add(symbol.Get());
}

bool SSymEdgeRouter::Contains(ISSymbol* symbol) const { return m_symbols.Contains(symbol); }

namespace {
// Installs the router for the symbol core at load and takes it back before
// the router itself is destroyed (it was made first, so it dies last).
struct RouterInstaller {
  RouterInstaller() { SSymSetEdgeRouter(&SSymEdgeRouter::Instance()); }
  ~RouterInstaller() { SSymSetEdgeRouter(nullptr); }
} g_routerInstaller;
}  // namespace
