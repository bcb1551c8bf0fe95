// Placing a drawing on printed pages: the fewest page cells that hold it,
// with the edges between them put where they cut the fewest symbols. The
// host's print of the model diagram and its PDF pictures share it.
#pragma once

#include <cstddef>
#include <vector>

#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintfsymbol.h"

// The room left before a drawing on one axis of its block of pages, and
// how many symbols the page edges then cut.
struct SHostPageShift {
  LONG room = 0;
  std::size_t cuts = 0;
};

// A drawing placed on a block of `across` x `down` pages: it starts x.room
// after the block's left edge and y.room below its top edge.
struct SHostPagePlacement {
  long long across = 0, down = 0;
  SHostPageShift x, y;
  long long Pages() const { return across * down; }
  std::size_t Cuts() const { return x.cuts + y.cuts; }
};

// The fewest pages of `page` units that hold `used` (normalised), and the
// room before it on each axis whose page edges cut the fewest of `boxes`
// (normalised rectangles), the nearest to the middle of the free room among
// those: a drawing on one page is centred on it.
SHostPagePlacement SHostPlaceOnPages(const SSymSize& page, const SSymRect& used, const std::vector<SSymRect>& boxes);

// The rectangles (normalised, with shadows) that a page edge should not
// cut: each visible symbol of `symbols` but links, with the children of
// composites and trees.
std::vector<SSymRect> SHostBoxesOf(const std::vector<ISSymbol*>& symbols);
