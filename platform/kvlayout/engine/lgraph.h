// The layout engine's own picture of a diagram: plain arrays, no symbols.
// The bridge reads the diagram into an LGraph once, the algorithms compute an
// LResult from it, and only then does the bridge write the result back, so a
// failing algorithm writes nothing.
//
// Units are the diagram's: 1/7200 inch, y pointing up. Every coordinate an
// algorithm hands back lies inside the drawing area (±kLimit).
#pragma once

#include <cstdint>
#include <vector>

namespace kvl {

inline constexpr double kLimit = 900000.0;

struct LPoint {
  double x = 0, y = 0;
  friend bool operator==(const LPoint&, const LPoint&) = default;
};

struct LBox {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // x0 <= x1, y0 <= y1
  double Width() const { return x1 - x0; }
  double Height() const { return y1 - y0; }
  LPoint Centre() const { return {(x0 + x1) / 2, (y0 + y1) / 2}; }
  friend bool operator==(const LBox&, const LBox&) = default;
};

struct LNode {
  LBox box;            // where the symbol is now
  bool fixed = false;  // outside the subset: an obstacle that does not move
  int group = -1;      // composite group id (value map key 1), -1 for none
};

// What a person did to a link's route, and so what a router may change.
enum class LRouteKeep : int {
  Nothing = 0,  // route freely
  Ends = 1,     // keep the person's end points (states 1 to 3)
  Route = 4,    // keep the whole route
};

struct LEdge {
  int from = -1, to = -1;      // node indices; from == to is a self-link
  std::vector<LPoint> points;  // the route now, ends included (may be empty)
  LRouteKeep keep = LRouteKeep::Nothing;
};

// Nodes and edges in the order the bridge read them (the subset's order);
// ties are broken by that order, never by address.
struct LGraph {
  std::vector<LNode> nodes;
  std::vector<LEdge> edges;
};

// Spacings in diagram units; the defaults are the engine's numbers that the
// layout parameters carry.
struct LSpacing {
  double node = 600;       // between two nodes of one layer or row
  double layer = 1650;     // between two layers
  double edgeNode = 600;   // between a route and a node it passes
  double edgeEdge = 600;   // between parallel route segments
};

// The placements of the layered and tree styles: where the first layer goes.
enum class LOrientation : int { TopToBottom = 0, BottomToTop = 1, LeftToRight = 2, RightToLeft = 3 };

enum class LStatus : int {
  Ok = 0,
  BadInput = 1,      // indices out of range, non-finite or negative sizes
  TooLarge = 2,      // cannot fit inside the drawing area
  OutOfBudget = 3,   // the work budget ran out before a result was found
};

// One result per node and edge of the graph, in the graph's order.
struct LResult {
  std::vector<LPoint> centres;               // new centre of each node (fixed nodes keep theirs)
  std::vector<std::vector<LPoint>> routes;   // new route of each edge, ends included; empty = leave it
  std::vector<char> reversed;                // edges a layered run turned round to break cycles
};

}  // namespace kvl

namespace kvl {
// BadInput for edges naming nodes that do not exist, boxes with non-finite
// or reversed corners and route points that are not finite; Ok otherwise.
LStatus Validate(const LGraph& graph);
}  // namespace kvl
