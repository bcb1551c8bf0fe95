// The main job's layout sheet: the host's sample model laid out
// automatically, one titled panel per layout style. The first panel is the
// library's own layout ("Basic").
#pragma once

#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/samplediagram.h"

// One panel of the sheet: its title (the style's name), its frame and the
// model's symbols it holds, laid out.
struct SHostLayoutPanel {
  LONG style = 0;
  ISSymbol* title = nullptr;
  ISSymbol* frame = nullptr;
  std::vector<ISSymbol*> symbols;
  bool laidOut = false;  // the diagram's layout ran
};

// Fills `diagram` with the sheet: builds the sample model, lays out its
// symbols but the heading through the model diagram's AutoLayout with the
// Basic style, puts the heading above the result, frames them and titles
// the frame with the style's name. Answers the panels, in order.
std::vector<SHostLayoutPanel> SBuildLayoutSheet(SHostDiagram& diagram);
// Builds the sheet and writes it into `folder` as <base>.svg, .png, .emf and
// .pdf (all or none), appending the files to `written`. False with the
// reason in `error` when the layout did not run or a file could not be written.
bool SHostWriteLayoutSheet(const std::string& folder, const std::string& base,
                           std::vector<SHostExportedFile>& written, std::string& error);
