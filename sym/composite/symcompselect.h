// The children of composites a selection takes: when a composite is
// selected as a whole (by a rectangle, by select-all), the children that lie
// within the inner areas of the composites above them are selected with it,
// at every depth. Children close to or beyond a composite's edge stay out:
// they are hidden by the outline or drawn outside, and a user who did not see
// them should not move or delete them.
#pragma once

#include "sym/symbol/symintfselection.h"
#include "sym/symbol/symintfsymbol.h"

// Adds to the selection (Add with redraw 1, so the selection's view has the
// last word) every child of the composite that lies within its composite
// ancestors' inner areas (IsSymInCompAncestors), and the children of the
// composites among those, recursively. A symbol that is not a composite adds
// nothing; a composite met twice (children lists that loop) is walked once.
void AddCompChildrenToSel(ISSymbol* composite, ISSymSelection& selection);
