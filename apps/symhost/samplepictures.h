// The pictures row of the sample sheet: a bitmap, an icon and a metafile
// symbol, their pictures given to the model through picture files.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Appends a titled row of picture symbols below what `diagram` holds: a
// bitmap and an icon shown by reference to picture files of the session,
// and a metafile symbol with its own metafile. Answers the three symbols.
std::vector<ISSymbol*> SBuildPictureRow(SHostDiagram& diagram);
