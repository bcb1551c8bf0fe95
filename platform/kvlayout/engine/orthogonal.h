// The orthogonal style: symbols on rows and columns, links made of
// horizontal and vertical segments with few bends.
//
// A component of up to `shapeNodes` nodes goes through three steps:
// - topology: nodes along the placement in bands by their depth along the
//   links, across it in the order of a placement that crosses few links
//   (the organic style's, turned so that most links point along the
//   placement) evened by sweeps towards their neighbours' mean, then made
//   planar by a dummy node at every crossing of two straight links;
// - shape: each link end takes the side of its node nearest its direction,
//   the two links through a crossing one horizontal and one vertical; a
//   link whose both ends are the best of their sides is to be straight, and
//   its ends share a row (or a column) unless that would put two nodes on
//   one spot;
// - metrics: rows and columns are compacted, first the rows keeping apart
//   the nodes that share columns, then the columns keeping apart the nodes
//   that then share rows, so no two symbols overlap and the drawing stays
//   small; each band stands wholly beyond the bands before it.
// A larger component (or one whose bands would not fit the drawing area) is
// placed without bands, planarization and shape: each node is snapped to the nearest free cell of a grid as
// wide and high as its largest node, and the rows and columns compacted.
// Then the components are packed and every link is routed around the
// symbols by the orthogonal router. Deterministic: ties go by the graph's
// order.
#pragma once

#include "kvlayout/engine/lgraph.h"

namespace kvl {

struct LOrthogonalOptions {
  LSpacing spacing;
  // Where most links go: from their source towards that side's opposite.
  LOrientation orientation = LOrientation::TopToBottom;
  // Components with more nodes are snapped to a grid instead (planarizing
  // and compacting cost the square of the nodes and crossings).
  int shapeNodes = 300;
};

// Places every node that is not fixed and routes every link that has a
// moved end (self-links and routes the person keeps are left alone); fixed
// nodes keep their place and the drawing goes below them. BadInput for a
// graph Validate refuses or spacings that are negative or not finite,
// TooLarge when the drawing cannot fit inside ±kLimit; the result is
// untouched on anything but Ok.
LStatus LayoutOrthogonal(const LGraph& graph, const LOrthogonalOptions& options, LResult& result);

}  // namespace kvl
