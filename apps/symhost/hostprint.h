// The model diagram printed as the library prints a diagram: tiled over
// pages of the diagram's paper at its print scale, each page with its
// header and its footer ("1 / 2"), on the spooler's PDF printer. The host
// first places the model inside the page cells it prints.
#pragma once

#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/samplediagram.h"

// The rectangles a print should not cut (SHostBoxesOf) of the diagram's
// own symbols.
std::vector<SSymRect> SHostPrintedBoxes(SHostModelDiagram& model);

// Moves every symbol of the model diagram by one offset so that the diagram
// lies in the fewest cells of the print's page grid that hold it at the
// print scale (SSymDiagramImpl::GetPrintPageExtent), in the paper
// orientation that needs fewer, with the page edges between those cells
// placed where they cut the fewest symbols, nearest the middle of the free
// room (a diagram on one page is centred on it). When those pages would cut
// a symbol, the diagram's print scale is lowered to fit it on one page
// instead, unless that would halve it. The orientation and the scale are
// left as chosen (the caller puts them back after printing). Answers the
// offset; (0, 0) when there is nothing to place or no page.
SSymSize SHostPlaceForPrint(SHostModelDiagram& model);

// Prints the model diagram through the print dialog (confirmed as it
// opens, with the user's last choices) and keeps the printed document
// as <folder>/<base>.pdf: the model is placed for the print (above) and put
// back afterwards. The printer spools into `folder` under a working name of
// its own, which is then renamed to the document's name in one step (an
// earlier document of that name stays whole until then). False with a
// message in `error` that says in words why the diagram did not print or
// the document could not be kept.
bool SHostPrintDiagram(SHostDiagram& diagram, const std::string& folder, const std::string& base,
                       std::vector<SHostExportedFile>& written, std::string& error);
