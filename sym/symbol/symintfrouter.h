// ISSymEdgeRouter: the link router as the symbol core calls it, to bring a
// moved or resized symbol's links in step. The layout subsystem's router
// implements it and installs itself when the library loads; without one,
// nothing is routed.
#pragma once

#include "kvcore/scomwrap.h"
#include "kvcore/stable.h"
#include "sym/foundation/symlistpt.h"
#include "sym/foundation/symweighted.h"
#include "sym/symbol/symintfsymbol.h"

// The crossings of one link: each point with its position along the link.
using SSymCrossings = STable<SWeighted<SSymPoint, double>>;

// Receives the crossings the layout engine computed, one table per link
// (replacing an earlier one).
class ISWeightedSymPointTableMap {
 public:
  virtual void SetAt(ISSymbol* link, const SSymCrossings& crossings) = 0;

 protected:
  ~ISWeightedSymPointTableMap() = default;
};

class ISSymEdgeRouter {
 public:
  virtual ~ISSymEdgeRouter() = default;
  // Adds the symbol once to the symbols to bring in step.
  virtual void AddSymbol(const SComWrap<ISSymbol>& symbol) = 0;
  // The crossings of a link ordered by their position along it; empty when
  // none are known.
  virtual SSymCrossings GetIntersections(ISSymbol* link) = 0;
  // The bridge points the link's drawing last computed (empty when none).
  virtual SSymListPt GetBridges(ISSymbol* link) = 0;
  virtual void UpdateBridgesIndex(ISSymbol* link, const SSymListPt& points) = 0;
  // The radius of a line bridge in diagram units.
  virtual LONG GetBridgeRadius() = 0;
  // Computes and keeps the crossings of the links among the symbols, which
  // the links then draw their bridges with (a diagram window asks before it
  // draws them).
  virtual void ComputeBridges(SComBag<ISSymbol>& symbols) = 0;
};

// The installed router, or null.
ISSymEdgeRouter* SSymGetEdgeRouter();
void SSymSetEdgeRouter(ISSymEdgeRouter* router);
// Adds the symbol to the installed router's symbols to bring in step.
void SSymAddToEdgeRouter(const SComWrap<ISSymbol>& symbol);
