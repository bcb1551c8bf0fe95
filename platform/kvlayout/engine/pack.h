// Packing: the connected components of a graph, each kept as its style laid
// it out, put side by side in rows so that no two overlap, the whole inside
// the drawing area. Every style ends with it; a run that keeps the nodes
// where they stand does nothing else.
#pragma once

#include <vector>

#include "kvlayout/engine/lgraph.h"

namespace kvl {

// The component of each node: nodes joined by edges between nodes that may
// move share one; a fixed node is in none (-1). Components are numbered in
// the order of their first node.
std::vector<int> Components(const LGraph& graph, int& count);

// Moves each component of the result (centres, and the routes of its edges)
// as a whole: components in rows, the tallest first, rows about as wide as
// the whole is tall, `spacing.node` apart. Without fixed nodes the whole is
// centred on the origin; with them it goes below them, `spacing.layer`
// apart, centred under them, and routes of edges to fixed nodes are left to
// the router (emptied). TooLarge, with the result untouched, when the whole
// does not fit inside ±kLimit; BadInput when the result does not match the
// graph.
LStatus Pack(const LGraph& graph, const LSpacing& spacing, LResult& result);

// The row packing every style shares: boxes of the given sizes left to
// right in rows going down, `gap` apart. A row is as wide as the widest box
// or `widthFactor` times the square root of the whole's area (each box
// grown by the gap), whichever is more, and no wider than `maxWidth`; a box
// that would pass that starts a new row. With `tallestFirst` the tallest
// boxes go first (ties in the given order), else the given order stands.
// Where the whole then goes stays the caller's: the organic and hierarchic
// styles put it where the moving nodes were (a selection laid out stays
// where the person was working) and try the sides of the fixed nodes in
// their own ways, while Pack centres it on the origin or under the fixed
// nodes; making these one would move the results people already have.
struct LRows {
  std::vector<LPoint> corner;  // top-left corner of each box: x from 0, the first row's top at 0, y up
  double width = 0, height = 0;
};
LRows PackRows(const std::vector<LPoint>& sizes, double gap, double widthFactor, double maxWidth, bool tallestFirst);

}  // namespace kvl
