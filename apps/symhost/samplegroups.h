// The row of groups and composites on the sample sheet.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Appends the titled row below what `diagram` holds; answers its symbols
// (the groups and the composite draw their members).
std::vector<ISSymbol*> SBuildGroupRow(SHostDiagram& diagram);
