// The main job's picture of the host's sample model: the entities of an
// order-handling model with their attributes, and the relations between
// them as links with arrowheads and labels, bridging where they cross.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Builds the sample model in the diagram's session and its picture in the
// diagram, through the diagram's host operations. Answers the symbols, in
// drawing order (heading, entities, links). With `entitiesOnly` the picture
// stops at the entities and their relations (no package, tree, lanes or
// merged block): a diagram may hold that part more than once, while the
// lanes join the one pool a diagram has.
std::vector<ISSymbol*> SBuildModelSheet(SHostDiagram& diagram, bool entitiesOnly = false);
