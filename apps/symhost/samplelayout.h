// The automatic layout row of the sample sheet: boxes made scattered and
// then laid out by the diagram (its own layout places them in a row below
// the rest of the sheet).
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Appends the titled row below what `diagram` holds, lays its boxes out
// through the model diagram's AutoLayout, and answers the row's symbols
// (the title first, then the boxes in the order they were made).
std::vector<ISSymbol*> SBuildLayoutRow(SHostDiagram& diagram);
