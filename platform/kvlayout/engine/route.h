// Orthogonal link routing around symbols: every route is made of horizontal
// and vertical segments, leaves its symbols perpendicular to a side, and
// keeps a margin from every other symbol. Links that share a side of a
// symbol get their own places along it.
#pragma once

#include <cstdint>
#include <vector>

#include "kvlayout/engine/lgraph.h"

namespace kvl {

struct LRouteOptions {
  LSpacing spacing;
  // Search steps per link before its search window grows; the last window
  // is the whole drawing. A link that still finds no way gets the simplest
  // orthogonal route.
  int stepsPerWindow = 20000;
};

// Routes the edges listed in `which` (every edge when empty) around all
// nodes of the graph. Edges whose route the person keeps are left empty;
// those whose ends the person keeps start and end where they do now.
// `routes` gets one entry per edge of the graph (empty = leave as it is).
// Coordinates are whole units.
LStatus RouteOrthogonal(const LGraph& graph, const std::vector<int>& which, const LRouteOptions& options,
                        std::vector<std::vector<LPoint>>& routes);

// Routes the edges listed in `which` (none when it is empty) around the
// nodes of the graph moved to `centres`, as a style does after placing
// them: the ends the person set lay on the symbols where they were, so those
// edges are routed afresh. Only the listed entries of `routes` change; on
// anything but Ok none does.
LStatus RouteMoved(const LGraph& graph, const std::vector<LPoint>& centres, const std::vector<int>& which,
                   const LSpacing& spacing, std::vector<std::vector<LPoint>>& routes);

}  // namespace kvl
