// The sample sheet's row of free texts: plain and rich texts of the
// library's text symbol, each fitted to its text.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Appends a titled row of free texts below what `diagram` holds: a short
// and a wrapped plain text, rich texts in their own fonts and colours, a
// text filled with a gradient and one with a shadow, each fitted to its
// text by the symbol itself. Answers the texts (the title first), in
// drawing order.
std::vector<ISSymbol*> SBuildFreeTextRow(SHostDiagram& diagram);
