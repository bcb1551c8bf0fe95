// The tree styles: a tidy layered tree (each level one band, parents centred
// over their children, subtrees as close as their outlines allow) and the
// snowflake, a radial tree: the root in the middle, each level on a ring
// around it, each subtree in a wedge as wide as its leaves ask. Both run in
// time linear in the graph. A tree too broad for the drawing area stacks the
// leaves of a node in columns, and, when that is not enough, hangs its
// broadest subtrees as lists (the children one under another beside a
// column from their parent), growing deep rather than broad. A snowflake
// ring too crowded for the area splits in two, its nodes alternating
// between them; a parent whose children spread so far that straight links
// would cut across its neighbours' runs its links out along its ray, round
// an arc between the rings and in along each child's ray.
//
// Any graph is taken: each connected component gets a spanning tree, rooted
// at its first node that no link enters (its first node when every node is
// entered), grown breadth first along the links in the graph's order, links
// leaving a node before links entering it. Links outside the trees (cycles,
// second roots, repeated links) are routed around the symbols as ordinary
// links; self-links and routes the person keeps are left alone; the trees
// are set side by side in rows. Deterministic: ties go by the graph's order.
#pragma once

#include <vector>

#include "kvlayout/engine/lgraph.h"

namespace kvl {

// The spanning forest over the nodes that may move (fixed nodes are in no
// tree). `order` holds each tree's nodes breadth first, tree after tree, so
// a node's children stand together in it and after their parent.
struct LForest {
  std::vector<int> order;
  std::vector<int> parent;      // per node: its parent, -1 for a root or a fixed node
  std::vector<int> parentEdge;  // per node: the edge joining it to its parent, or -1
  std::vector<int> depth;       // per node: 0 for a root
};
LForest SpanningForest(const LGraph& graph);

struct LTreeOptions {
  LSpacing spacing;
  // Where the roots go: the tree grows away from that side.
  LOrientation orientation = LOrientation::TopToBottom;
};

// The tidy tree: levels `spacing.layer` apart, neighbours in a level at
// least `spacing.node` apart. Tree links leave the parent's side that faces
// its children and bend once in the gap between the levels. BadInput for a
// graph that fails Validate or spacings that are negative or not finite;
// on failure the result is left as it was.
LStatus LayoutTree(const LGraph& graph, const LTreeOptions& options, LResult& result);

// The snowflake: rings at least `spacing.layer` apart, nodes of a ring at
// least `spacing.node` apart; tree links straight, from border to border.
// Links of a wide wedge may cut a little inside their parent's ring and so
// cross a neighbour's link. Errors as LayoutTree.
LStatus LayoutSnowflake(const LGraph& graph, const LSpacing& spacing, LResult& result);

}  // namespace kvl
