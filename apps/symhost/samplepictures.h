// The pictures row of the sample sheet: a bitmap, an icon and a metafile
// symbol, their pictures given to the model through picture files.
#pragma once

#include <vector>

#include "win/windef.h"

#include "apps/symhost/samplediagram.h"

// Appends a titled row of picture symbols below what `diagram` holds: a
// bitmap and an icon shown by reference to picture files of the session,
// and a metafile symbol with its own metafile. Answers the three symbols.
std::vector<ISSymbol*> SBuildPictureRow(SHostDiagram& diagram);

class SPictureInfo;
// A picture file of the diagram's session holding `content` (a picture of
// SPictureInfo's `type`) under `name`; its picture record, which the
// session keeps, or null when the file cannot be made or refuses the content.
SPictureInfo* SHostAddPictureFile(SHostDiagram& diagram, int type, const char* name, const std::vector<BYTE>& content);
