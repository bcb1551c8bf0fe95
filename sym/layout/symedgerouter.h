// SSymEdgeRouter: the link router, in its least form until the layout
// subsystem brings the real one: the set of symbols to bring in step. It
// answers the symbol core's ISSymEdgeRouter, installed when the library loads.
#pragma once

#include "kvcore/scomds.h"
#include "sym/symbol/symintfrouter.h"
#include "sym/symbol/symintfsymbol.h"

class SSymEdgeRouter : public ISSymEdgeRouter {
 public:
  static SSymEdgeRouter& Instance();
  // Adds the symbol once to the symbols to bring in step.
  void AddSymbol(const SComWrap<ISSymbol>& symbol) override;
  bool Contains(ISSymbol* symbol) const;
  int GetCount() const { return m_symbols.GetCount(); }
  void Clear() { m_symbols.RemoveAll(); }

 private:
  SComBag<ISSymbol> m_symbols;
};
