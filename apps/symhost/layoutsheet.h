// The main job's layout sheet: models laid out automatically, one titled
// panel per run, the panels in a grid. The first panel is the library's own
// layout ("Basic") of the host's sample model; then the same model laid out
// by the layout engine, hierarchic in each of its four placements, organic,
// tree, snowflake, circular in both its placements and orthogonal; last a
// generated data model of 300 tables laid out hierarchic.
// Every run goes through the model diagram's AutoLayout, as a user's would;
// under each title the panel tells how long the run took, how many of its
// links cross and how much room it took.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/samplediagram.h"

// The number of tables of the generated data model's panel.
inline constexpr int kHostLayoutDataTables = 300;

// One panel of the sheet: its title (the style's name, with the placement
// where the style has placements), the line of figures under it, its
// frame, the model's symbols it holds (laid out) and the model's links.
struct SHostLayoutPanel {
  LONG style = 0;
  LONG placement = 0;  // SSymAutoLayoutPlacement::None for styles without placements
  bool dataModel = false;  // the generated data model rather than the host's model
  ISSymbol* title = nullptr;
  ISSymbol* figures = nullptr;
  ISSymbol* frame = nullptr;
  std::vector<ISSymbol*> symbols;
  std::vector<ISSymbol*> links;
  bool laidOut = false;  // the diagram's layout ran
  double milliseconds = 0;
  std::int64_t crossings = -1;  // -1 until counted
  LONG width = 0, height = 0;  // the laid-out symbols' extent, diagram units
};

// Fills `diagram` with the sheet and answers the panels, in order: Basic,
// hierarchic top to bottom, bottom to top, left to right, right to left,
// organic, tree top to bottom, snowflake, circular radiation and cycle,
// orthogonal top to bottom, and the data model hierarchic top to bottom. A panel whose run
// failed is answered with laidOut false (its symbols stay where they were).
std::vector<SHostLayoutPanel> SBuildLayoutSheet(SHostDiagram& diagram);
// The title of a panel: the style's name, and its placement's.
SString SHostLayoutPanelTitle(const SHostLayoutPanel& panel);
// Builds the sheet and writes it into `folder` as <base>.svg, .png, .emf and
// .pdf (all or none), appending the files to `written`. False with the
// reason in `error` when a layout did not run or a file could not be written.
bool SHostWriteLayoutSheet(const std::string& folder, const std::string& base, std::vector<SHostExportedFile>& written,
                           std::string& error);
