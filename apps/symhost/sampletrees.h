// The row of trees and format previews on the sample sheet: a tree whose
// branch line hangs its children beside the parent, the same tree dragged
// out and collapsed, and the two demonstration symbols of format previews.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Appends the titled row below what `diagram` holds; answers its symbols.
std::vector<ISSymbol*> SBuildTreeRow(SHostDiagram& diagram);
