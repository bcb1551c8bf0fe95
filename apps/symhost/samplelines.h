// The row of polygons and polylines of the sample sheet.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Appends, below what `diagram` holds, a titled row of polygons (filled with
// straight and Bezier outlines, and transparent) and of polylines with their
// centre, source and destination labels. Answers the lines, in drawing order.
std::vector<ISSymbol*> SBuildLineRow(SHostDiagram& diagram);
