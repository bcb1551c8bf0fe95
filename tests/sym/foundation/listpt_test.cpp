// The path algorithms of the point list, on routes worked out by hand from
// the routing rules.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "sym/foundation/symlistpt.h"

namespace {
using Pts = std::vector<SSymPoint>;

SSymListPt L(const Pts& pts) {
  SSymListPt l;
  for (const auto& p : pts) l.Add(p);
  return l;
}
Pts V(const SSymListPt& l) { return Pts(l.begin(), l.end()); }

}  // namespace

static void PrintTo(const SSymPoint& p, std::ostream* os) { *os << "(" << p.x << "," << p.y << ")"; }
static std::ostream& operator<<(std::ostream& os, const SSymPoint& p) { return os << "(" << p.x << "," << p.y << ")"; }
static std::ostream& operator<<(std::ostream& os, const SSymRect& r) {
  return os << "(" << r.x1 << "," << r.y1 << "," << r.x2 << "," << r.y2 << ")";
}
static std::ostream& operator<<(std::ostream& os, const Pts& pts) {
  for (const auto& p : pts) os << p;
  return os;
}

TEST(ListPtTrim, RemovesRepeatedAndCollinearInnerPoints) {
  struct {
    Pts in, out;
  } cases[] = {
      {{{0, 0}, {0, 100}, {0, 200}, {100, 200}}, {{0, 0}, {0, 200}, {100, 200}}},
      {{{0, 0}, {50, 50}, {50, 50}, {100, 0}}, {{0, 0}, {50, 50}, {100, 0}}},
      {{{0, 0}, {0, 0}, {100, 0}}, {{0, 0}, {100, 0}}},
      {{{0, 0}, {100, 100}, {100, 100}}, {{0, 0}, {100, 100}}},
      {{{0, 0}, {10, 0}, {20, 0}, {30, 0}, {30, 5}}, {{0, 0}, {30, 0}, {30, 5}}},
      {{{0, 0}, {0, 0}}, {{0, 0}, {0, 0}}},
      {{{7, 7}}, {{7, 7}}},
      {{}, {}},
  };
  for (const auto& c : cases) {
    SSymListPt l = L(c.in);
    l.Trim();
    EXPECT_EQ(V(l), c.out) << c.in;
  }
}

// The straightening band: 999 units across straightens through the middle
// (or onto the fixed end), 1000 routes orthogonally.
TEST(ListPtFormatLink, StraightensOnlyWithinTheBandAndBothAlignedPointsInside) {
  const SSymRect src(0, 1000, 2000, -1000), dst(8000, 2000, 10000, -1000);
  struct {
    Pts in;
    int srcFixed, dstFixed;
    Pts out;
  } cases[] = {
      {{{1000, 0}, {9000, 999}}, 0, 0, {{1000, 499}, {9000, 499}}},
      {{{1000, 0}, {9000, 999}}, 1, 0, {{1000, 0}, {9000, 0}}},
      {{{1000, 0}, {9000, 999}}, 0, 1, {{1000, 999}, {9000, 999}}},
      // inner points inside an end rectangle go before routing
      {{{1000, 0}, {1500, 500}, {9500, 500}, {9000, 999}}, 0, 0, {{1000, 499}, {9000, 499}}},
      // 1000 across: the middle segment half way between the facing borders (2000 and 8000)
      {{{1000, 0}, {9000, 1000}}, 0, 0, {{1000, 0}, {5000, 0}, {5000, 1000}, {9000, 1000}}},
      // both ends fixed: never straightened
      {{{1000, 0}, {9000, 999}}, 1, 1, {{1000, 0}, {5000, 0}, {5000, 999}, {9000, 999}}},
  };
  for (const auto& c : cases) {
    SSymListPt l = L(c.in);
    l.FormatLink(c.srcFixed, c.dstFixed, src, dst);
    EXPECT_EQ(V(l), c.out) << c.in << " flags " << c.srcFixed << c.dstFixed;
  }
}

TEST(ListPtFormatLink, RoutesAreOrthogonalWithTheEndsKept) {
  const SSymRect src(0, 1000, 2000, -1000), dst(20000, 16000, 24000, 12000);
  SSymListPt l = L({{2000, 0}, {3000, 7000}, {21000, 9000}, {22000, 12000}});
  l.FormatLink(1, 1, src, dst);
  ASSERT_GE(l.GetCount(), 3);
  EXPECT_EQ(l.GetAt(0), SSymPoint(2000, 0));
  EXPECT_EQ(l.GetAt(l.GetCount() - 1), SSymPoint(22000, 12000));
  for (int i = 0; i + 1 < l.GetCount(); ++i)
    EXPECT_TRUE(l.GetAt(i).x == l.GetAt(i + 1).x || l.GetAt(i).y == l.GetAt(i + 1).y) << V(l);
}

TEST(ListPtFormatLink, WithoutRectanglesOnlyShortLinksStraighten) {
  struct {
    Pts in, out;
  } cases[] = {
      {{{0, 0}, {5000, 300}}, {{0, 0}, {0, 300}, {5000, 300}}},
      {{{0, 0}, {800, 700}}, {{0, 350}, {800, 350}}},
      {{{0, 0}, {300, 900}, {700, 800}}, {{350, 0}, {350, 800}}},
  };
  for (const auto& c : cases) {
    SSymListPt l = L(c.in);
    l.FormatLink();
    EXPECT_EQ(V(l), c.out) << c.in;
  }
}

TEST(ListPtFormatLoop, LoopsAboveBesideAndAroundTheCorner) {
  struct {
    const char* what;
    SSymRect r;
    Pts in, out;
  } cases[] = {
      {"tall symbol, inner points above: 4 points, 2400 over the top",
       {0, 5000, 3000, 0},
       {{1000, 5000}, {1500, 8000}, {2000, 5000}},
       {{1000, 5000}, {1000, 7400}, {2000, 7400}, {2000, 5000}}},
      {"short symbol: 6 points reaching 2000 beyond both sides",
       {0, 3000, 3000, 0},
       {{1000, 3000}, {1500, 8000}, {2000, 3000}},
       {{1000, 3000}, {-2000, 3000}, {-2000, 5400}, {5000, 5400}, {5000, 3000}, {2000, 3000}}},
      {"a new self link (no inner point) loops above the symbol",
       {0, 3000, 3000, 0},
       {{3000, 1500}, {1500, 3000}},
       {{1000, 1500}, {-2000, 1500}, {-2000, 5400}, {5000, 5400}, {5000, 1500}, {2000, 1500}}},
      {"anchor diagonal to the symbol: around the nearest corner",
       {0, 3000, 3000, 0},
       {{3000, 1500}, {6000, 6000}, {1500, 3000}},
       {{3000, 1500}, {5400, 1500}, {5400, 5400}, {3000, 5400}, {3000, 1500}}},
      {"anchor to the right of a wide symbol: 4 points at the side",
       {0, 5000, 5000, 0},
       {{5000, 4000}, {9000, 2500}, {5000, 1000}},
       {{5000, 1000}, {7400, 1000}, {7400, 4000}, {5000, 4000}}},
  };
  for (const auto& c : cases) {
    SSymListPt l = L(c.in);
    l.FormatLoop(c.r);
    EXPECT_EQ(V(l), c.out) << c.what;
  }
}

TEST(ListPtSort, OrdersPointsAlongThePathAndLeavesTheOthers) {
  const SSymListPt path = L({{0, 0}, {1000, 0}, {1000, 1000}});
  SSymListPt pts = L({{500, 0}, {1000, 500}, {5000, 5000}, {200, 10}, {1000, 900}});
  const SSymListPt sorted = path.Sort(pts);
  EXPECT_EQ(V(sorted), (Pts{{200, 10}, {500, 0}, {1000, 500}, {1000, 900}}));
  EXPECT_EQ(V(pts), (Pts{{5000, 5000}}));

  SSymListPt none = L({{7, 7}});
  EXPECT_EQ(SSymListPt().Sort(none).GetCount(), 0);
  EXPECT_EQ(none.GetCount(), 1);
}

TEST(ListPtSplit, BridgesOverClustersOfCrossings) {
  using Crossings = STable<SWeighted<SSymPoint, double>>;
  const SSymListPt line = L({{0, 0}, {10000, 0}});
  struct {
    const char* what;
    Pts crossings;
    int gap;
    size_t pieces;
  } cases[] = {
      {"no crossing", {}, 0, 1},
      {"one crossing", {{5000, 0}}, 0, 2},
      {"500 apart share a bridge", {{5000, 0}, {5500, 0}}, 0, 2},
      {"1000 apart get two bridges", {{5000, 0}, {6000, 0}}, 0, 3},
      {"1000 apart within the gap", {{5000, 0}, {6000, 0}}, 300, 2},
      {"a crossing off the line is left", {{5000, 3000}}, 0, 1},
  };
  for (const auto& c : cases) {
    Crossings crossings;
    for (size_t i = 0; i < c.crossings.size(); ++i) crossings.Add(SWeighted<SSymPoint, double>(c.crossings[i], i));
    const STable<SSymListPt> pieces = line.Split(crossings, 400, c.gap);
    EXPECT_EQ(static_cast<size_t>(pieces.GetCount()), c.pieces) << c.what;
    const bool onLine = c.crossings.empty() || c.crossings[0].y == 0;
    EXPECT_EQ(crossings.GetCount(), onLine ? 0 : 1) << c.what;
  }
}

TEST(ListPtSplit, PiecesRunBackwardAndCrossingsNearACornerMoveOut) {
  using Crossings = STable<SWeighted<SSymPoint, double>>;
  const SSymListPt line = L({{0, 0}, {10000, 0}, {10000, 10000}});
  Crossings none;
  const auto whole = line.Split(none, 400, 0);
  ASSERT_EQ(whole.GetCount(), 1);
  EXPECT_EQ(V(whole.GetAt(0)), (Pts{{10000, 10000}, {10000, 0}, {0, 0}}));

  // 1 unit from the end: moved to 400 from it, the bridge from 10000 to 9200.
  Crossings one;
  one.Add(SWeighted<SSymPoint, double>(SSymPoint(9999, 0), 0.5));
  const auto pieces = L({{0, 0}, {10000, 0}}).Split(one, 400, 0);
  ASSERT_EQ(pieces.GetCount(), 2);
  const SSymListPt& tail = pieces.GetAt(1);
  ASSERT_EQ(tail.GetCount(), 2);
  EXPECT_NEAR(tail.GetAt(0).x, 9200, 1);
  EXPECT_EQ(tail.GetAt(0).y, 0);
  EXPECT_EQ(tail.GetAt(1), SSymPoint(0, 0));
  EXPECT_EQ(pieces.GetAt(0).GetAt(0), SSymPoint(10000, 0));
  EXPECT_EQ(one.GetCount(), 0);
}

TEST(ListPtGetDiff, BitsForTheEndsAndTheMiddle) {
  const Pts four = {{0, 0}, {0, 1000}, {3000, 1000}, {3000, 2000}};
  struct {
    const char* what;
    Pts now, before;
    unsigned long diff;
  } cases[] = {
      {"equal", four, four, 0},
      {"first point moved", {{5, 0}, {0, 1000}, {3000, 1000}, {3000, 2000}}, four, 1},
      {"second point moved", {{0, 0}, {5, 1000}, {3000, 1000}, {3000, 2000}}, four, 1},
      {"both inner points moved", {{0, 0}, {5, 1000}, {3005, 1000}, {3000, 2000}}, four, 7},
      {"different counts", {{0, 0}, {3000, 2000}}, four, 4},
      {"different counts and a new end", {{0, 0}, {3000, 2005}}, four, 6},
      {"3 points, middle nearer the source", {{0, 0}, {1000, 500}, {5000, 0}}, {{0, 0}, {1000, 0}, {5000, 0}}, 1},
      {"3 points, middle nearer the destination", {{0, 0}, {4000, 500}, {5000, 0}}, {{0, 0}, {4000, 0}, {5000, 0}}, 2},
      {"3 points, middle half way", {{0, 0}, {2500, 500}, {5000, 0}}, {{0, 0}, {2500, 0}, {5000, 0}}, 2},
      {"5 points, a middle point", {{0, 0}, {0, 1}, {9, 9}, {2, 2}, {3, 3}}, {{0, 0}, {0, 1}, {1, 1}, {2, 2}, {3, 3}}, 4},
      {"2 points, second and second-to-last are the ends", {{0, 0}, {1, 1}}, {{0, 0}, {1, 2}}, 3},
      {"a list too short", {{0, 0}}, four, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(L(c.now).GetDiff(L(c.before)), c.diff) << c.what;
}

TEST(ListPtGetLineCenter, MiddleOfTheLineAndOfTheCurve) {
  struct {
    Pts pts;
    SSymLineStyle::LineStyle style;
    SSymPoint centre;
  } cases[] = {
      {{{0, 0}, {800, 0}, {800, 800}}, SSymLineStyle::Bezier, {700, 100}},
      {{{0, 0}, {800, 0}, {800, 800}}, SSymLineStyle::Normal, {800, 0}},
      {{{0, 0}, {800, 0}, {800, 800}}, SSymLineStyle::BezierPerpendicularArrow, {800, 0}},
      {{{0, 0}, {0, 800}, {800, 800}, {800, 0}, {1600, 0}}, SSymLineStyle::Bezier, {750, 750}},
      {{{0, 0}, {-7, 0}, {-7, -1}}, SSymLineStyle::Bezier, {-6, 0}},
      {{{0, 0}, {100, 0}, {300, 0}, {1000, 0}}, SSymLineStyle::Bezier, {200, 0}},
      {{{0, 0}, {-3, 0}}, SSymLineStyle::Normal, {-1, 0}},
      {{{4, 4}}, SSymLineStyle::Bezier, {4, 4}},
      {{}, SSymLineStyle::Normal, {0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(L(c.pts).GetLineCenter(c.style), c.centre) << c.pts;
}

TEST(ListPtGetSplitList, HalvesShareTheSplitPointAndAreAppended) {
  struct {
    Pts pts, first, second;
  } cases[] = {
      {{{0, 0}, {100, 0}, {300, 0}, {1000, 0}}, {{9, 9}, {0, 0}, {100, 0}, {200, 0}}, {{200, 0}, {300, 0}, {1000, 0}}},
      {{{0, 0}, {100, 0}, {300, 0}}, {{9, 9}, {0, 0}, {100, 0}}, {{100, 0}, {300, 0}}},
      {{{0, 0}, {10, 0}}, {{9, 9}, {0, 0}, {5, 0}}, {{5, 0}, {10, 0}}},
      {{{0, 0}}, {{9, 9}}, {}},
  };
  for (const auto& c : cases) {
    SSymListPt first = L({{9, 9}}), second;
    L(c.pts).GetSplitList(&first, &second);
    EXPECT_EQ(V(first), c.first) << c.pts;
    EXPECT_EQ(V(second), c.second) << c.pts;
  }
  SSymListPt first;
  L({{0, 0}, {1, 1}}).GetSplitList(&first, nullptr);
  EXPECT_EQ(first.GetCount(), 0);
}

TEST(ListPtGetBoundRect, NormalisedBounds) {
  EXPECT_EQ(L({{5, -3}, {-2, 7}, {1, 1}}).GetBoundRect(), SSymRect(-2, 7, 5, -3));
  EXPECT_EQ(SSymListPt::GetBoundRect(L({{5, 6}})), SSymRect(5, 6, 5, 6));
  EXPECT_EQ(SSymListPt().GetBoundRect(), SSymRect());
}

// Short lists, coincident points and the edge of the coordinate range give a
// defined answer (the sanitizer build checks for overflow on the way).
TEST(ListPtBadInput, ShortListsCoincidentPointsAndTheEdgeOfTheRange) {
  const SSymRect r(0, 3000, 3000, 0);
  for (const Pts& pts : {Pts{}, Pts{{5, 5}}}) {
    SSymListPt l = L(pts);
    l.FormatLink(0, 0, r, r);
    l.FormatLink();
    l.FormatLoop(r);
    l.Trim();
    EXPECT_EQ(V(l), pts);
    STable<SWeighted<SSymPoint, double>> crossings;
    EXPECT_LE(L(pts).Split(crossings, 400, 0).GetCount(), 1);
  }
  // Coincident ends.
  SSymListPt same = L({{100, 100}, {100, 100}});
  same.FormatLink();
  EXPECT_EQ(V(same), (Pts{{100, 100}, {100, 100}}));
  SSymListPt sameR = L({{100, 100}, {100, 100}});
  sameR.FormatLink(0, 0, r, r);
  EXPECT_GE(sameR.GetCount(), 2);

  // The extremes of the coordinate range.
  const SSymRect lo(INT_MIN, INT_MIN + 1000, INT_MIN + 1000, INT_MIN);
  const SSymRect hi(INT_MAX - 1000, INT_MAX, INT_MAX, INT_MAX - 1000);
  SSymListPt far = L({{INT_MIN + 500, INT_MIN + 500}, {INT_MAX - 500, INT_MAX - 500}});
  far.FormatLink(0, 0, lo, hi);
  EXPECT_EQ(far.GetAt(0), SSymPoint(INT_MIN + 500, INT_MIN + 500));
  EXPECT_EQ(far.GetAt(far.GetCount() - 1), SSymPoint(INT_MAX - 500, INT_MAX - 500));
  SSymListPt farNoRect = L({{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}});
  farNoRect.FormatLink();
  EXPECT_GE(farNoRect.GetCount(), 2);
  SSymListPt loop = L({{INT_MAX - 500, INT_MAX}, {INT_MAX, INT_MAX - 500}});
  loop.FormatLoop(hi);
  for (const SSymPoint& p : loop) EXPECT_GE(p.x, INT_MAX - 4000);
  EXPECT_EQ(L({{INT_MIN, INT_MAX}, {INT_MAX, INT_MIN}}).GetLineCenter(SSymLineStyle::Normal), SSymPoint(0, 0));
  EXPECT_EQ(L({{INT_MIN, INT_MAX}, {INT_MAX, INT_MIN}}).GetBoundRect(), SSymRect(INT_MIN, INT_MAX, INT_MAX, INT_MIN));
}
