// The package hierarchy of the model picture: a tree whose root shows the
// model and whose nodes show its packages, completed from the model through
// the diagram, laid out below the root with branch lines and connectors;
// one subtree is collapsed to show the expand box's plus.
#pragma once

#include <vector>

#include "apps/symhost/samplediagram.h"

// Adds the packages "Sales" (with "Quotes" and "Returns") and "Billing"
// (with "Payments") to `model`, then the tree of the model's packages to the
// diagram with the root's top at y and the tree's left edge at x; appends
// its symbols to `made`. Nothing when the diagram has no model diagram or
// the model is null.
void SAddModelTree(SHostDiagram& diagram, ISRepObject* model, LONG x, LONG y, std::vector<ISSymbol*>& made);
