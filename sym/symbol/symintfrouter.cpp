#include "sym/symbol/symintfrouter.h"

namespace {
constinit ISSymEdgeRouter* g_edgeRouter = nullptr;
}  // namespace

ISSymEdgeRouter* SSymGetEdgeRouter() { return g_edgeRouter; }
void SSymSetEdgeRouter(ISSymEdgeRouter* router) { g_edgeRouter = router; }

void SSymAddToEdgeRouter(const SComWrap<ISSymbol>& symbol) {
  if (g_edgeRouter) g_edgeRouter->AddSymbol(symbol);
}
