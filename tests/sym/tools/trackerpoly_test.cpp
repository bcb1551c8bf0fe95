// The point-list trackers: the part of a line a vertex or segment drag
// draws and moves, the list written back, a link's end segment held on its
// symbol, the line drawn vertex by vertex with its take-back, and feedback
// that leaves the window's pixels as they were.
#include <gtest/gtest.h>

#include <memory>

#include "support/link_fixture.h"
#include "support/tools_fixture.h"
#include "sym/tools/symtrackerpoly.h"

namespace {

SSymListPt Pts(std::initializer_list<SSymPoint> pts) { return SSymListPt(pts); }
std::vector<SSymPoint> Vec(const SSymListPt& l) { return std::vector<SSymPoint>(l.begin(), l.end()); }

const SSymPoint P0(0, 0), P1(1000, 0), P2(1000, 1000), P3(0, 1000);

struct BandCase {
  const char* name;
  SSymListPt points;
  int index;
  int closed;
  std::vector<SSymPoint> band;
  int endPoint;
};

TEST(TrackerPoly, DrawsTheDraggedPointsWithTheirNeighbours) {
  const BandCase cases[] = {
      {"first vertex of an open line", Pts({P0, P1, P2}), 0, 0, {P0, P1}, 1},
      {"last vertex of an open line", Pts({P0, P1, P2}), 2, 0, {P1, P2}, 1},
      {"inner vertex", Pts({P0, P1, P2}), 1, 0, {P0, P1, P2}, 0},
      {"first vertex of a triangle", Pts({P0, P1, P2}), 0, 1, {P2, P0, P1}, 1},
      {"first segment of an open line", Pts({P0, P1, P2}), 3, 0, {P0, P1, P2}, 0},
      {"last segment of an open line", Pts({P0, P1, P2}), 4, 0, {P0, P1, P2}, 0},
      {"third segment of a closed square", Pts({P0, P1, P2, P3}), 6, 1, {P1, P2, P3, P0}, 0},
      {"closing segment of a closed square", Pts({P0, P1, P2, P3}), 7, 1, {P2, P3, P0, P1}, 0},
      {"an index past the segments", Pts({P0, P1, P2}), 9, 0, {}, 0},
  };
  for (const BandCase& c : cases) {
    SCOPED_TRACE(c.name);
    SSymTrackerPoly t(nullptr, c.points, c.index, SSymPoint(), nullptr, c.closed, 0);
    EXPECT_EQ(Vec(t.GetBand()), c.band);
    EXPECT_EQ(t.IsEndPoint(), c.endPoint);
    EXPECT_EQ(t.GetAxisLock(), 0);
  }
}

TEST(TrackerPoly, WritesTheMovedPointsBack) {
  // Segment 2 of a closed square: points 2 and 3 move by the pointer's way.
  SSymTrackerPoly segment(nullptr, Pts({P0, P1, P2, P3}), 6, SSymPoint(500, 1000), nullptr, 1, 0);
  EXPECT_EQ(segment.TrackTo(SSymPoint(600, 1300), SMouseFlags(0)), SSymPoint(600, 1300));
  EXPECT_EQ(segment.TrackTo(SSymPoint(600, 1300), SMouseFlags(0)), SSymPoint(600, 1300));
  EXPECT_EQ(Vec(segment.GetFinalListPt()),
            (std::vector<SSymPoint>{P0, P1, SSymPoint(1100, 1300), SSymPoint(100, 1300)}));
  // The first vertex of an open line: the band starts with it.
  SSymTrackerPoly first(nullptr, Pts({P0, P1, P2}), 0, P0, nullptr, 0, 0);
  EXPECT_EQ(first.TrackTo(SSymPoint(-50, 70), SMouseFlags(0)), SSymPoint(-50, 70));
  EXPECT_EQ(Vec(first.GetFinalListPt()), (std::vector<SSymPoint>{SSymPoint(-50, 70), P1, P2}));
  // The closing vertex of a triangle sits after its predecessor.
  SSymTrackerPoly closing(nullptr, Pts({P0, P1, P2}), 0, P0, nullptr, 1, 0);
  closing.TrackTo(SSymPoint(10, 20), SMouseFlags(0));
  EXPECT_EQ(Vec(closing.GetFinalListPt()), (std::vector<SSymPoint>{SSymPoint(10, 20), P1, P2}));
}

TEST(TrackerPolyline, TakesBackTheVertexJustAdded) {
  SSymTrackerPolyline line(nullptr, SSymPoint(100, 100));
  EXPECT_EQ(Vec(line.GetPoints()), (std::vector<SSymPoint>{SSymPoint(100, 100), SSymPoint(100, 100)}));
  EXPECT_EQ(line.IsPending(), 1);
  line.TrackTo(SSymPoint(500, 100), SMouseFlags(0));
  line.CommitHandle();
  EXPECT_EQ(line.IsPending(), 0);
  const std::vector<SSymPoint> before = Vec(line.GetPoints());
  line.AddLastHandle();
  EXPECT_EQ(line.GetMovingIndex(), 2);
  EXPECT_EQ(line.IsPending(), 1);
  EXPECT_EQ(line.GetPoints().GetCount(), 3);
  line.RollbackHandle();
  EXPECT_EQ(Vec(line.GetPoints()), before);
  EXPECT_EQ(line.GetMovingIndex(), 1);
  EXPECT_EQ(line.IsPending(), 0);
  // The first vertex is never taken back.
  line.RollbackHandle();
  line.RollbackHandle();
  EXPECT_EQ(line.GetPoints().GetCount(), 1);
  line.RollbackHandle();
  EXPECT_EQ(line.GetPoints().GetCount(), 1);
  EXPECT_EQ(line.TrackTo(SSymPoint(1, 1), SMouseFlags(0)), SSymPoint(1, 1));
}

// ---- on a window, with real lines ----------------------------------------------------------------

class TrackerPolyOnWindow : public LinkFixtureOf<ToolsFixture> {};

TEST_F(TrackerPolyOnWindow, DrawingTwiceRestoresTheSurfaceExactly) {
  SSymViewEdit* v = OpenEdit();
  SSymView::LockCanvas lock(v);
  SSymCanvas* canvas = &v->GetCanvas();
  const SSymPoint a = Logical(v, {40, 40}), b = Logical(v, {200, 60}), c = Logical(v, {220, 200});
  const std::vector<unsigned char> before = SurfaceBytes(v->GetSafeHwnd());
  {
    SSymTrackerPolyline line(canvas, a);
    line.TrackTo(b, SMouseFlags(0));
    line.AddLastHandle();
    line.TrackTo(c, SMouseFlags(0));
    EXPECT_NE(SurfaceBytes(v->GetSafeHwnd()), before);
    line.RollbackHandle();
    line.Hide();
    EXPECT_EQ(SurfaceBytes(v->GetSafeHwnd()), before);
  }
  {
    SSymTrackerPoly poly(canvas, Pts({a, b, c}), 4, b, nullptr, 1, 0);
    poly.TrackTo(Logical(v, {230, 90}), SMouseFlags(0));
    EXPECT_NE(SurfaceBytes(v->GetSafeHwnd()), before);
    poly.Hide();
    EXPECT_EQ(SurfaceBytes(v->GetSafeHwnd()), before);
  }
}

TEST_F(TrackerPolyOnWindow, ALinksEndSegmentKeepsItsEndOnTheSymbol) {
  SSymViewEdit* v = OpenEdit();
  SSymRectangle* from = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* to = Box(SSymRect(5000, 1000, 6000, 0));
  SSymLinkBase* link = Link(from, to, Pts({SSymPoint(500, 500), SSymPoint(3000, 500), SSymPoint(5500, 500)}));
  std::unique_ptr<SSymTrackerPoly> t(v->CreateTrackerPoly(link, 3, SSymPoint(1500, 500), 0));
  ASSERT_NE(t, nullptr);
  // Within the box both points follow; off it the end stays where it was.
  EXPECT_EQ(t->TrackTo(SSymPoint(1500, 700), SMouseFlags(0)), SSymPoint(1500, 700));
  EXPECT_EQ(Vec(t->GetBand()), (std::vector<SSymPoint>{SSymPoint(500, 700), SSymPoint(3000, 700), SSymPoint(5500, 500)}));
  EXPECT_EQ(t->TrackTo(SSymPoint(1500, 2700), SMouseFlags(0)), SSymPoint(1500, 2700));
  EXPECT_EQ(Vec(t->GetBand()), (std::vector<SSymPoint>{SSymPoint(500, 700), SSymPoint(3000, 2700), SSymPoint(5500, 500)}));
  // A vertex drag of a link is never axis-locked.
  std::unique_ptr<SSymTrackerPoly> end(v->CreateTrackerPoly(link, 2, SSymPoint(5500, 500), 0));
  EXPECT_EQ(end->IsEndPoint(), 1);
  EXPECT_EQ(end->TrackTo(SSymPoint(9000, 9000), SMouseFlags(0)), SSymPoint(9000, 9000));
  EXPECT_EQ(v->CreateTrackerPoly(nullptr, 0, SSymPoint(), 0), nullptr);
}

}  // namespace
