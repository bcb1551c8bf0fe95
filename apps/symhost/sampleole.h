// The OLE items of the sample sheet: a document of another program embedded
// in the diagram, shown by the picture stored with it (no server for its
// class runs here), once as it shows normally and once hatched as an item
// that is open in its server's window. They stand with their own title to
// the right of a row (the pictures row), so the sheet grows no taller.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Adds two titled OLE items level with `last`, the last symbol of a row of
// cells, two cells to its right; answers the items (none without `last`).
std::vector<ISSymbol*> SBuildOleItems(SHostDiagram& diagram, ISSymbol* last);
