// The main job's picture of the host's sample model: the entities of an
// order-handling model with their attributes, and the relations between
// them as links with arrowheads and labels, bridging where they cross.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Builds the sample model in the diagram's session and its picture in the
// diagram, through the diagram's host operations. Answers the symbols, in
// drawing order (heading, entities, links).
std::vector<ISSymbol*> SBuildModelSheet(SHostDiagram& diagram);
