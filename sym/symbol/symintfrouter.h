// ISSymEdgeRouter: the link router as the symbol core calls it, to bring a
// moved or resized symbol's links in step. The layout subsystem's router
// implements it and installs itself when the library loads; without one,
// nothing is routed.
#pragma once

#include "kvcore/scomwrap.h"
#include "sym/symbol/symintfsymbol.h"

class ISSymEdgeRouter {
 public:
  virtual ~ISSymEdgeRouter() = default;
  // Adds the symbol once to the symbols to bring in step.
  virtual void AddSymbol(const SComWrap<ISSymbol>& symbol) = 0;
};

// The installed router, or null.
ISSymEdgeRouter* SSymGetEdgeRouter();
void SSymSetEdgeRouter(ISSymEdgeRouter* router);
// Adds the symbol to the installed router's symbols to bring in step.
void SSymAddToEdgeRouter(const SComWrap<ISSymbol>& symbol);
