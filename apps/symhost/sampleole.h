// The OLE row of the sample sheet: a document of another program embedded
// in the diagram, shown by the picture stored with it (no server for its
// class runs here), once as it shows normally and once hatched as an item
// that is open in its server's window.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Appends a titled row of two OLE items below what `diagram` holds; answers
// the items.
std::vector<ISSymbol*> SBuildOleRow(SHostDiagram& diagram);
