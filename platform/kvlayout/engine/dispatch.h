// The engine's styles behind one call: the plug-in reads the diagram into
// an LGraph, asks Lay (or Route) for a result and writes it back. A style
// this build does not have answers Unsupported and computes nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "kvlayout/engine/lgraph.h"

namespace kvl {

// The styles, numbered as the layout parameters number them.
enum class LStyle : int { Hierarchic = 0, Organic = 1, Orthogonal = 2, Circular = 3, Tree = 4, Snowflake = 5 };

struct LRequest {
  LStyle style = LStyle::Hierarchic;
  LOrientation orientation = LOrientation::TopToBottom;
  LSpacing spacing;
  // The nodes stay where they stand: only whole components are packed.
  bool keepNodes = false;
  // The circular style: every node on one circle ("Cycle") rather than a
  // circle for each biconnected part or group ("Radiation").
  bool oneCircle = false;
  // The seed of any randomised step (derived from the graph by the reader).
  std::uint64_t seed = 0;
};

// Whether this build has the style (the others answer Unsupported).
bool HasStyle(LStyle style);

// Lays the graph out: checks it (Validate), runs the style (or keeps the
// nodes where they stand), then packs the components inside the drawing
// area. On anything but Ok the result is to be ignored.
LStatus Lay(const LGraph& graph, const LRequest& request, LResult& result);

// Routes the edges around the nodes, the nodes staying where they stand.
// Only the edges listed in `which` get a route (none when it is empty).
LStatus Route(const LGraph& graph, const LRequest& request, const std::vector<int>& which, LResult& result);
// Whether this build routes at all: reading a diagram only to hear
// Unsupported would cost every change of a diagram that asks for routing.
bool Routes();

}  // namespace kvl
