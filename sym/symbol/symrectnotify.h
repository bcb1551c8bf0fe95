// The one place a symbol's rectangle changes: setting the rectangle
// attribute, moving, sizing and transforming, undo and redo records (which
// go through those) and owners refitting their members all end in
// SSymBase::PutRect, which tells every observer here. A diagram keeps its
// spatial index with it; a paint loop culls by the invalid rectangle.
#pragma once

#include "sym/foundation/symgeom.h"

struct ISSymbol;

class ISSymRectObserver {
 public:
  // `from` and `to` as stored (not normalised); called after the change.
  virtual void OnSymbolRectChanged(ISSymbol* symbol, const SSymRect& from, const SSymRect& to) = 0;

 protected:
  ~ISSymRectObserver() = default;
};

// Observers are told in the order they were added; adding one twice adds it once.
void SSymAddRectObserver(ISSymRectObserver* observer);
void SSymRemoveRectObserver(ISSymRectObserver* observer);
void SSymNotifyRectChanged(ISSymbol* symbol, const SSymRect& from, const SSymRect& to);
