// The package of the model picture: a sub-package of the sample model drawn
// as a composite that holds the symbols of its entities and of the relation
// between them, all made by completing the package's symbol from the model.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Adds the package "Shipping" (two entities and a relation) to `model` and
// its symbol, completed from the model, to the diagram with its top left
// corner at (x, y); appends the symbol to `made`. Nothing when the diagram
// has no model diagram or the model is null.
void SAddModelPackage(SHostDiagram& diagram, ISRepObject* model, LONG x, LONG y, std::vector<ISSymbol*>& made);
