// The reference sheet of compartments: symbols whose texts are stacked, set
// side by side and nested in layouts, with the separator lines of each kind
// (pulled in to rounded and elliptic outlines), rich text, icon and
// metafile pictures in compartments and an empty text that takes no room.
#pragma once

#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/samplediagram.h"

// Fills `diagram` with the sheet; answers the symbols that hold compartments.
std::vector<ISSymbol*> SBuildCompartmentSheet(SHostDiagram& diagram);
// Builds the sheet and writes it into `folder` as compartments.svg, .png,
// .emf and .pdf (all or none), appending the files to `written`. On failure
// the reason is printed and the answer is false.
bool SHostWriteCompartmentSheet(const std::string& folder, std::vector<SHostExportedFile>& written);
