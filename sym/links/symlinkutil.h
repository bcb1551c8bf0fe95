// The tests over a symbol's chain of owners that lines and links share (is
// it inside a swimlane; is it, or an owner, part of a selection being moved;
// is a link end cut off by a composite owner's border) and the near-point
// predicate that finds a point of a list. They work through the symbol
// interfaces only.
#pragma once

#include "sym/foundation/symgeom.h"
#include "win/windef.h"

struct ISSymbol;

// 1 when an owner of the symbol, at any depth, is a swimlane; 0 for a null
// symbol or when the chain ends first.
int IsSymInSwimlane(ISSymbol* symbol);
// 1 while the editing view showing the symbol moves its selection and that
// selection holds the symbol or one of its owners; else 0.
int IsSymInMovingSelection(ISSymbol* symbol);
// 1 when point falls into the border zone (75 units inside the children's
// rectangle) of a composite owner up to the first swimlane, or for a null
// symbol; a port answers for its centre on its owner.
int IsPtClippedByComposite(ISSymbol* symbol, SSymPoint point);
// True when point lies within 45 units of reference on both axes (45 itself
// is not near).
bool IsPointNear(const SSymPoint& reference, const SSymPoint& point);
