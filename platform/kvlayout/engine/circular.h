// The circular style: nodes on circles, in an order around each circle that
// crosses few links.
// - Radiation (the default): each group of composite symbols, and else each
//   biconnected part of a component, gets a circle of its own; the first
//   part's circle stands in the middle and the others stand on a ring
//   around it, each turned so that its link to the middle faces it.
// - Cycle (`oneCircle`): every node of a component on one circle.
// A circle is made just large enough that no two boxes overlap. When one
// circle would not fit inside the drawing area its nodes go on rings inside
// one another, in the same order; when the ring of circles would not fit,
// the circles are packed in rows instead. Members of one group stay next to
// each other around their circle. Nodes that already stand round their
// circle (or its rings), as a run of this style left them, keep their order
// there, so that a layout after a small edit moves little.
#pragma once

#include "kvlayout/engine/lgraph.h"

namespace kvl {

struct LCircularOptions {
  LSpacing spacing;
  bool oneCircle = false;
  // Rounds in which each node moves to the place around its circle where
  // its links cross the fewest (fewer when a round changes nothing or the
  // work budget runs out).
  int siftRounds = 3;
  // Passes of neighbour swaps around a circle after the ordering by
  // neighbours' mean angle.
  int swapPasses = 12;
};

// Places every node that is not fixed, component by component around the
// origin (packing the components is the caller's); fixed nodes keep their
// place. Routes are straight, from border to border (self-links and routes
// the person keeps are left alone). Deterministic. BadInput for a graph
// Validate refuses, TooLarge when a component cannot fit inside ±kLimit;
// the result is untouched on anything but Ok.
LStatus LayoutCircular(const LGraph& graph, const LCircularOptions& options, LResult& result);

// Crossings of the chords between the nodes of a circle, nodes given by
// their places 0..k-1 around it; chords sharing an end do not cross, a
// chord with a negative place or from a place to itself is no chord.
long long CircleCrossings(const std::vector<std::pair<int, int>>& chords, int places);

}  // namespace kvl
