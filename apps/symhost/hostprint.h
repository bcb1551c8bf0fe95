// The model diagram printed as the library prints a diagram: tiled over
// pages of the diagram's paper at its print scale, each page with its
// header and its footer ("1 / 6"), on the spooler's PDF printer.
#pragma once

#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/samplediagram.h"

// Prints the model diagram without a dialog and keeps the printed document
// as <folder>/<base>.pdf. False with a message in `error` when the diagram
// does not print or the document cannot be kept.
bool SHostPrintDiagram(SHostDiagram& diagram, const std::string& folder, const std::string& base,
                       std::vector<SHostExportedFile>& written, std::string& error);
