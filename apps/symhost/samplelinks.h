// The links row of the sample sheet: shapes joined by links of every corner
// style, a self loop, a double line and two crossing links drawn with a
// bridge.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Appends the links row below what `diagram` holds and asks the link router
// for the crossings of its links. Answers the shapes and links, in drawing
// order (links last, over the shapes).
std::vector<ISSymbol*> SBuildLinkRow(SHostDiagram& diagram);
