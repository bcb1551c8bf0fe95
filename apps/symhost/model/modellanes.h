// The swimlanes of the model picture: a pool of three lanes of the host
// ("Sales", "Billing", "Shipping"), side by side, each holding the symbols
// of entities of a sub-package, with the relations between them drawn as
// links across the lanes.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Adds the sub-package "Fulfilment" (entities and relations) to `model`,
// and to the diagram a pool with its top left corner at (x, y) whose three
// lanes hold the entities' symbols; the relations become links. Appends the
// pool to `made`. Nothing when the diagram has no model diagram or the
// model is null.
void SAddModelLanes(SHostDiagram& diagram, ISRepObject* model, LONG x, LONG y, std::vector<ISSymbol*>& made);
