// SSymListPt: the ordered point list of polylines, polygons and links, with
// the path algorithms of the line family: removal of redundant points,
// orthogonal routing between two symbol rectangles, self loops, ordering of
// points along the path, cutting at crossings for line bridges, comparison
// of two routes and the anchor of a centre label.
//
// Every coordinate is in diagram units, y growing upward. Halves of sums
// truncate toward zero and are taken in 64 bits, so points anywhere in the
// 32-bit range give defined results.
#pragma once

#include <initializer_list>

#include "kvcore/stable.h"
#include "sym/foundation/symgeom.h"
#include "sym/foundation/symweighted.h"

// The corner style of a line.
struct SSymLineStyle {
  enum LineStyle : LONG {
    Normal = 0,
    Corner = 1,
    RoundCorner = 2,
    Bezier = 3,
    NormalPerpendicularArrow = 8,
    BezierPerpendicularArrow = 11,
  };
};

class SSymListPt : public STableDumb<SSymPoint> {
 public:
  SSymListPt() = default;
  SSymListPt(std::initializer_list<SSymPoint> pts) {
    for (const auto& p : pts) Add(p);
  }
  // Cuts the list at the crossings (points lying on its segments), leaving a
  // gap of `radius` on each side of each crossing; the pieces go to `out` in
  // the order of the list. No crossing gives one piece, the list itself.
  void Split(const STable<SWeighted<SSymPoint, double>>& crossings, STable<SSymListPt>& out, int radius,
             int flags) const;

  // Removes repeated inner points and inner points in line with both
  // neighbours; the ends always stay.
  void Trim();
  // Reverses the order of the points.
  void Invert() { Reverse(); }
  // Orthogonal route between the rectangles of the two end symbols. An end
  // whose flag is set does not move when the link is straightened; with both
  // set the link is never straightened. Lists under two points are left.
  void FormatLink(int srcFixed, int dstFixed, const SSymRect& src, const SSymRect& dst);
  // Orthogonal route without rectangles: a link shorter than 1000 units both
  // ways becomes straight.
  void FormatLink();
  // The loop of a link whose two ends lie on the symbol of rectangle r, on
  // the side that the inner points (or the centre) face.
  void FormatLoop(const SSymRect& r);
  // The loop on a given side: above or below (sideY), left or right
  // (sideX), around the corner facing anchor (neither).
  void FormatLoop(int sideX, int sideY, const SSymRect& r, const SSymPoint& anchor);
  // The points of pts that lie on this path, in path order; they are removed
  // from pts, which keeps those lying on no segment.
  SSymListPt Sort(SSymListPt& pts) const;
  // The pieces of the path between bridges of the given radius over the
  // clusters of crossings (crossings nearer each other than 2 x radius + gap
  // share a bridge). The pieces run from the end of the path to its start;
  // the crossings used are removed from the table. No bridges for a radius
  // that is not positive.
  STable<SSymListPt> Split(STable<SWeighted<SSymPoint, double>>& crossings, int radius, int gap) const;
  // Which parts of this route differ from the former route other: 1 the
  // source end, 2 the destination end, 4 the middle. 0 when either list has
  // fewer than two points.
  unsigned long GetDiff(const SSymListPt& other) const;
  // The anchor of a centre label; (0, 0) for an empty list.
  SSymPoint GetLineCenter(SSymLineStyle::LineStyle style) const;
  // Appends the two halves of the path to first and second; both get the
  // split point. Nothing for fewer than two points or a null output.
  void GetSplitList(SSymListPt* first, SSymListPt* second) const;
  // The normalised bounding rectangle (min x, max y, max x, min y); the
  // empty rectangle at the origin for an empty list.
  SSymRect GetBoundRect() const;
  static SSymRect GetBoundRect(const SSymListPt& points) { return points.GetBoundRect(); }

 protected:
  // Removes the inner points that lie inside a or inside b.
  void CleanExtraPoints(const SSymRect& a, const SSymRect& b);

 private:
  void FormatLinkRouted(bool oneRect, const SSymRect* rect);
};
