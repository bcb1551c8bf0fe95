// The reference sheet of the arrowhead catalogue: every arrowhead type drawn
// once at the end of a horizontal line and once at the end of a diagonal
// line, with its type number above, so that anyone can look at them. The
// types without a figure show their bare lines.
#pragma once

#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/samplediagram.h"

// Fills `diagram` with the sheet; answers its lines, two per type in type
// order (the horizontal one first).
std::vector<ISSymbol*> SBuildArrowheadSheet(SHostDiagram& diagram);
// Builds the sheet and writes it into `folder` as arrowheads.svg, .png, .emf
// and .pdf (all or none), appending the files to `written`. On failure the
// reason is printed and the answer is false.
bool SHostWriteArrowheadSheet(const std::string& folder, std::vector<SHostExportedFile>& written);
