// The hierarchic (layered) style: nodes in layers, links pointing along the
// placement, few crossings, routes as polylines that bend only between layers.
//
// The run: cycles broken by reversing a few edges (greedy, Eades-Lin-Smyth);
// layers by network simplex and by the longest path balanced towards short
// edges, bounded in width so the drawing fits the drawing area; long edges
// split into chains of dummies; layer sweeps with barycentres or medians and
// adjacent exchanges under an operation budget, the fewest crossings of the
// tries kept; coordinates by priority (straight chains first) with the
// nodes' sizes and the spacings honoured; routes through the dummies. A layer
// too wide for the drawing area gets fewer nodes when its nodes overflow, and
// routes closer together than the spacings ask when its routes do. Each
// connected component is laid out on its own and the components are set in
// rows; fixed nodes keep their places and the drawing goes beside them.
//
// Deterministic: ties are broken by the graph's order, never by address, and
// work is bounded by operations, never by time.
#pragma once

#include "kvlayout/engine/lgraph.h"

namespace kvl {

struct LLayeredOptions {
  LSpacing spacing;
  LOrientation orientation = LOrientation::TopToBottom;
  // Operations the crossing reduction may spend (about one per edge visited);
  // when they run out the best order found so far is kept.
  long long budget = 60'000'000;
};

// Ok with one centre per node and one route per edge (empty for an edge
// between two fixed nodes, which nothing moves); BadInput for a graph that
// fails Validate or spacings that are negative or not finite; TooLarge when
// the drawing cannot fit inside the drawing area beside the fixed nodes.
// On failure the result is left empty.
LStatus LayoutLayered(const LGraph& graph, const LLayeredOptions& options, LResult& result);

}  // namespace kvl
