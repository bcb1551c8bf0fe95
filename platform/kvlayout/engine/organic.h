// The organic style: a first placement from graph distances (pivot MDS,
// optionally evened by stress), untangled by springs and charges, then
// pushed apart until no two symbols overlap; last, nodes step to nearby
// free places where their links cross fewer others.
#pragma once

#include <cstdint>
#include <vector>

#include "kvlayout/engine/lgraph.h"

namespace kvl {

struct LOrganicOptions {
  LSpacing spacing;
  // Stress sweeps per component after the first placement: they even out
  // link lengths, but on models with busy hubs they add crossings, so the
  // default keeps the first placement as it is.
  int iterations = 0;
  // Spring-electrical sweeps that follow: they untangle what the distances
  // alone leave crossed.
  int refinements = 80;
  int pivots = 50;      // distance sources of the sparse stress model
  // Rounds of local moves at the end, each node once per round to the
  // nearby free place where its links cross the fewest others.
  int untangle = 1;
  // A run over a graph that already looks laid out (no two boxes nearer
  // than half a gap, links about as long as a layout makes them, only a
  // few far longer) starts from where the nodes stand: only the ends of the
  // stretched links and their neighbours move, the others stay, so a small
  // edit followed by a layout moves little of what the person arranged.
  bool keepLaidOut = true;
};

// Places every node that is not fixed; fixed nodes keep their place and the
// placed ones keep clear of them (see `keepLaidOut` for a graph already laid
// out). Routes are straight, from border to border
// (self-links and routes the person keeps are left alone). Deterministic:
// the same graph gives the same result.
LStatus LayoutOrganic(const LGraph& graph, const LOrganicOptions& options, LResult& result);

// Moves boxes (centres given, sizes fixed) the least this method can so that
// no two overlap by less than `gap`: pushes along the axis of least overlap
// for a few rounds, then spreads the whole set from its centre by the one
// factor that separates what still overlaps. Centres that coincide are told
// apart by their order.
void RemoveOverlaps(std::vector<LPoint>& centres, const std::vector<LPoint>& sizes, double gap);

// Where the straight line from a box's centre `from` towards `towards`
// leaves the box (of the size of `box`, centred on `from`).
LPoint BorderPoint(const LPoint& from, const LPoint& towards, const LBox& box);
// Straight routes between the nodes at the given centres, border to border;
// self-links and routes the person keeps get none (they are left alone).
std::vector<std::vector<LPoint>> StraightRoutes(const LGraph& graph, const std::vector<LPoint>& centres);

// The number of pairs of boxes that overlap by more than `tolerance`
// (sweep over x; n log n plus the pairs found).
std::int64_t CountOverlaps(const std::vector<LPoint>& centres, const std::vector<LPoint>& sizes,
                           double tolerance = 0);

}  // namespace kvl
