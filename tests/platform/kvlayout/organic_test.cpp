// The organic style over graph families: what a person relies on, checked
// as properties rather than coordinates.
#include <gtest/gtest.h>

#include <cmath>

#include "kvlayout/engine/organic.h"
#include "support/layout_graphs.h"

namespace {

using kvl::LGraph;
using kvl::LPoint;
using kvl::LResult;
using kvl::LStatus;
using kvtest::LayoutFamily;

struct FamilyCase {
  LayoutFamily family;
  int n;
  int stressSweeps = 0;
};

class OrganicFamilies : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(OrganicFamilies, NoOverlapsInsideTheAreaLinksOnTheirNodesAndRepeatable) {
  const FamilyCase c = GetParam();
  const LGraph g = kvtest::MakeLayoutGraph(c.family, c.n, 7);
  kvl::LOrganicOptions options;
  options.iterations = c.stressSweeps;
  LResult r, again;
  ASSERT_EQ(kvl::LayoutOrganic(g, options, r), LStatus::Ok);
  ASSERT_EQ(r.centres.size(), g.nodes.size());
  ASSERT_EQ(r.routes.size(), g.edges.size());
  EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
  EXPECT_EQ(kvtest::PlacedOutsideTheArea(g, r), 0);
  double linked = 0;
  for (std::size_t k = 0; k < g.edges.size(); ++k) {
    const kvl::LEdge& e = g.edges[k];
    if (e.from == e.to) continue;
    ASSERT_EQ(r.routes[k].size(), 2u);
    EXPECT_TRUE(kvtest::OnBorder(r.routes[k].front(), kvtest::PlacedBox(g, r, std::size_t(e.from)))) << k;
    EXPECT_TRUE(kvtest::OnBorder(r.routes[k].back(), kvtest::PlacedBox(g, r, std::size_t(e.to)))) << k;
    linked += std::hypot(r.centres[std::size_t(e.from)].x - r.centres[std::size_t(e.to)].x,
                         r.centres[std::size_t(e.from)].y - r.centres[std::size_t(e.to)].y);
  }
  // Linked nodes stand closer than nodes taken at random.
  if (!g.edges.empty() && c.family != LayoutFamily::Components) {
    kvtest::LayoutRng rng(3);
    double random = 0;
    const int samples = 2000;
    for (int s = 0; s < samples; ++s) {
      const LPoint a = r.centres[std::size_t(rng.Below(c.n))], b = r.centres[std::size_t(rng.Below(c.n))];
      random += std::hypot(a.x - b.x, a.y - b.y);
    }
    EXPECT_LT(linked / double(g.edges.size()), 0.6 * random / samples);
  }
  ASSERT_EQ(kvl::LayoutOrganic(g, options, again), LStatus::Ok);
  EXPECT_EQ(again.centres, r.centres);
  EXPECT_EQ(again.routes, r.routes);
}

INSTANTIATE_TEST_SUITE_P(Families, OrganicFamilies,
                         ::testing::Values(FamilyCase{LayoutFamily::Dag, 40}, FamilyCase{LayoutFamily::Dag, 300},
                                           FamilyCase{LayoutFamily::DataModel, 300, 40},
                                           FamilyCase{LayoutFamily::Tree, 200, 40},
                                           FamilyCase{LayoutFamily::DataModel, 300},
                                           FamilyCase{LayoutFamily::Components, 200},
                                           FamilyCase{LayoutFamily::MixedSizes, 150}),
                         [](const auto& info) {
                           return std::string(kvtest::FamilyName(info.param.family)) + std::to_string(info.param.n) +
                                  (info.param.stressSweeps ? "stress" : "");
                         });

// Crossings of the straight lines between linked centres, pair by pair
// (lines that share an end or only touch do not cross).
std::int64_t CentreCrossings(const LGraph& g, const std::vector<LPoint>& c) {
  auto side = [](const LPoint& p, const LPoint& q, const LPoint& r) {
    return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
  };
  std::int64_t count = 0;
  for (std::size_t i = 0; i < g.edges.size(); ++i)
    for (std::size_t j = i + 1; j < g.edges.size(); ++j) {
      const kvl::LEdge &e = g.edges[i], &f = g.edges[j];
      const LPoint a = c[std::size_t(e.from)], b = c[std::size_t(e.to)], p = c[std::size_t(f.from)],
                   q = c[std::size_t(f.to)];
      const double d1 = side(p, q, a), d2 = side(p, q, b), d3 = side(a, b, p), d4 = side(a, b, q);
      if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) ++count;
    }
  return count;
}

// The closing local moves only ever take crossings away, and on a busy
// model they take some; the boxes stay apart.
TEST(Organic, LocalMovesRemoveCrossingsAndKeepBoxesApart) {
  const struct {
    LayoutFamily family;
    int n;
    bool fewer;  // the moves must find something to better
  } cases[] = {{LayoutFamily::DataModel, 300, true},
               {LayoutFamily::Dag, 300, true},
               {LayoutFamily::MixedSizes, 150, false},
               {LayoutFamily::Tree, 120, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(kvtest::FamilyName(c.family));
    const LGraph g = kvtest::MakeLayoutGraph(c.family, c.n, 5);
    kvl::LOrganicOptions without, with;
    without.untangle = 0;
    with.untangle = 2;
    LResult before, after;
    ASSERT_EQ(kvl::LayoutOrganic(g, without, before), LStatus::Ok);
    ASSERT_EQ(kvl::LayoutOrganic(g, with, after), LStatus::Ok);
    const std::int64_t was = CentreCrossings(g, before.centres), now = CentreCrossings(g, after.centres);
    EXPECT_LE(now, was);
    if (c.fewer) {
      EXPECT_LT(now, was);
    }
    EXPECT_EQ(kvl::CountOverlaps(after.centres, kvtest::LayoutSizes(g), 0.5), 0);
  }
}

TEST(Organic, FixedNodesStayAndThePlacedOnesKeepClearOfThem) {
  LGraph g = kvtest::MakeLayoutGraph(LayoutFamily::Tree, 60, 2);
  for (std::size_t i = 0; i < g.nodes.size(); i += 3) g.nodes[i].fixed = true;
  LResult r;
  ASSERT_EQ(kvl::LayoutOrganic(g, {}, r), LStatus::Ok);
  EXPECT_EQ(kvtest::FixedNodesMovedOrCovered(g, r), 0);
}

TEST(Organic, OddGraphsGiveACleanResult) {
  LGraph g;
  g.nodes = {kvtest::LayoutBox(0, 0, 7200, 3600), kvtest::LayoutBox(0, 0, 7200, 3600), kvtest::LayoutBox(0, 0, 0, 0),
             kvtest::LayoutBox(0, 0, 0, 0)};
  g.edges = {{0, 0}, {0, 1}, {0, 1}, {1, 0}, {2, 3}, {1, 2}};
  g.edges[3].keep = kvl::LRouteKeep::Route;
  LResult r;
  ASSERT_EQ(kvl::LayoutOrganic(g, {}, r), LStatus::Ok);
  EXPECT_TRUE(r.routes[0].empty());  // a self-link keeps its own loop
  EXPECT_TRUE(r.routes[3].empty());  // the person's route stays
  EXPECT_EQ(r.routes[1], r.routes[2]);
  EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
  LResult empty;
  EXPECT_EQ(kvl::LayoutOrganic(LGraph{}, {}, empty), LStatus::Ok);
  EXPECT_TRUE(empty.centres.empty());
}

TEST(Organic, BadOrOversizedInputWritesNothing) {
  for (const kvtest::BadLayoutCase& c : kvtest::BadLayoutGraphs()) {
    SCOPED_TRACE(c.what);
    LResult r;
    r.centres = {{1, 2}};
    EXPECT_EQ(kvl::LayoutOrganic(c.graph, {}, r), c.want);
    EXPECT_EQ(r.centres, (std::vector<LPoint>{{1, 2}}));
  }
}

// A person lays a graph out, adds one link and lays it out again: the
// second run starts from where the first put the nodes, so few of them move,
// the boxes stay apart and inside the area, and the run repeats exactly. A
// graph that does not look laid out (boxes on top of each other, links
// spread far by hand) still gets a layout of its own.
TEST(Organic, ASecondRunAfterOneNewLinkMovesFewNodes) {
  const struct {
    LayoutFamily family;
    int n;
    int a, b;  // the new link
  } cases[] = {{LayoutFamily::Dag, 300, 3, 250},
               {LayoutFamily::DataModel, 300, 17, 290},
               {LayoutFamily::Tree, 200, 0, 199},
               {LayoutFamily::MixedSizes, 150, 10, 140},
               {LayoutFamily::Components, 200, 5, 190}};
  for (const auto& c : cases) {
    SCOPED_TRACE(kvtest::FamilyName(c.family));
    const LGraph g = kvtest::MakeLayoutGraph(c.family, c.n, 13);
    LResult first;
    ASSERT_EQ(kvl::LayoutOrganic(g, {}, first), LStatus::Ok);
    LGraph placed = kvtest::PlacedGraph(g, first);
    placed.edges.push_back({c.a, c.b});
    LResult second, again;
    ASSERT_EQ(kvl::LayoutOrganic(placed, {}, second), LStatus::Ok);
    int moved = 0;
    for (std::size_t i = 0; i < g.nodes.size(); ++i)
      moved += std::hypot(second.centres[i].x - first.centres[i].x, second.centres[i].y - first.centres[i].y) > 1;
    EXPECT_LE(moved, c.n / 10);
    EXPECT_EQ(kvl::CountOverlaps(second.centres, kvtest::LayoutSizes(g), 0.5), 0);
    EXPECT_EQ(kvtest::PlacedOutsideTheArea(g, second), 0);
    ASSERT_EQ(second.routes.size(), placed.edges.size());
    EXPECT_EQ(second.routes.back().size(), 2u);
    ASSERT_EQ(kvl::LayoutOrganic(placed, {}, again), LStatus::Ok);
    EXPECT_EQ(again.centres, second.centres);

    // Nodes outside the subset stay and the freed ones keep clear of them.
    LGraph someFixed = placed;
    for (std::size_t i = 0; i < someFixed.nodes.size(); i += 7) someFixed.nodes[i].fixed = true;
    LResult withFixed;
    ASSERT_EQ(kvl::LayoutOrganic(someFixed, {}, withFixed), LStatus::Ok);
    EXPECT_EQ(kvtest::FixedNodesMovedOrCovered(someFixed, withFixed), 0);
    EXPECT_EQ(kvl::CountOverlaps(withFixed.centres, kvtest::LayoutSizes(g), 0.5), 0);

    // The same graph scattered over the area, linked nodes far apart, gets
    // a fresh layout.
    LGraph spread = placed;
    for (std::size_t i = 0; i < spread.nodes.size(); ++i) {
      const std::size_t at = (i * 7919) % spread.nodes.size();
      spread.nodes[i] = kvtest::LayoutBox(-800000 + 80000.0 * double(at % 20), -800000 + 100000.0 * double(at / 20),
                                          g.nodes[i].box.Width(), g.nodes[i].box.Height());
    }
    LResult fresh;
    ASSERT_EQ(kvl::LayoutOrganic(spread, {}, fresh), LStatus::Ok);
    int still = 0;
    for (std::size_t i = 0; i < g.nodes.size(); ++i) still += fresh.centres[i] == spread.nodes[i].box.Centre();
    EXPECT_LT(still, c.n / 2);
  }
}

TEST(OverlapRemoval, BoxesStackedOnOnePointEndApart) {
  std::vector<LPoint> centres(50, LPoint{100, 100});
  std::vector<LPoint> sizes(50, LPoint{7200, 3600});
  kvl::RemoveOverlaps(centres, sizes, 600);
  EXPECT_EQ(kvl::CountOverlaps(centres, sizes, 0), 0);
  for (const LPoint& p : centres) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

}  // namespace
