// The orthogonal style over graph families, through the engine's entry
// point: what a person relies on, checked as properties.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "kvlayout/engine/dispatch.h"
#include "kvlayout/engine/organic.h"
#include "kvlayout/engine/orthogonal.h"
#include "support/layout_graphs.h"

namespace {

using kvl::LGraph;
using kvl::LOrientation;
using kvl::LPoint;
using kvl::LResult;
using kvl::LStatus;
using kvtest::LayoutFamily;

LStatus LayOrthogonal(const LGraph& g, LResult& r, LOrientation o = LOrientation::TopToBottom) {
  kvl::LRequest request;
  request.style = kvl::LStyle::Orthogonal;
  request.orientation = o;
  return kvl::Lay(g, request, r);
}

// Every link with two ends, one of them moved, gets a route that is axis-parallel, ends on its
// symbols and keeps clear of the others (half the router's margin, as the
// router's own tests ask).
void ExpectRoutesSound(const LGraph& g, const LResult& r) {
  ASSERT_EQ(r.routes.size(), g.edges.size());
  const LGraph placed = kvtest::PlacedGraph(g, r);
  int faults = 0;
  for (std::size_t k = 0; k < g.edges.size(); ++k) {
    const kvl::LEdge& e = g.edges[k];
    const bool moved = !g.nodes[std::size_t(e.from)].fixed || !g.nodes[std::size_t(e.to)].fixed;
    if (e.from == e.to || e.keep == kvl::LRouteKeep::Route || !moved) continue;
    const std::string fault = kvtest::OrthogonalRouteFault(placed, k, r.routes[k], 300, 1);
    if (!fault.empty() && ++faults <= 5) ADD_FAILURE() << "link " << k << ": " << fault;
  }
  EXPECT_EQ(faults, 0);
}

struct FamilyCase {
  LayoutFamily family;
  int n;
};

class OrthogonalFamilies : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(OrthogonalFamilies, NoOverlapsInsideTheAreaRoutesSoundAndRepeatable) {
  const FamilyCase c = GetParam();
  const LGraph g = kvtest::MakeLayoutGraph(c.family, c.n, 7);
  LResult r, again;
  ASSERT_EQ(LayOrthogonal(g, r), LStatus::Ok);
  ASSERT_EQ(r.centres.size(), g.nodes.size());
  EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
  EXPECT_EQ(kvtest::PlacedOutsideTheArea(g, r), 0);
  ExpectRoutesSound(g, r);
  ASSERT_EQ(LayOrthogonal(g, again), LStatus::Ok);
  EXPECT_EQ(again.centres, r.centres);
  EXPECT_EQ(again.routes, r.routes);
}

INSTANTIATE_TEST_SUITE_P(Families, OrthogonalFamilies,
                         ::testing::Values(FamilyCase{LayoutFamily::Dag, 40}, FamilyCase{LayoutFamily::Dag, 300},
                                           FamilyCase{LayoutFamily::Tree, 200},
                                           FamilyCase{LayoutFamily::DataModel, 300},
                                           FamilyCase{LayoutFamily::DataModel, 1000},
                                           FamilyCase{LayoutFamily::Components, 200},
                                           FamilyCase{LayoutFamily::MixedSizes, 150}),
                         [](const auto& info) {
                           return std::string(kvtest::FamilyName(info.param.family)) + std::to_string(info.param.n);
                         });

// Both ways of placing a component give sound drawings: the shape for small
// ones, the grid for large ones (forced here by a bound of no nodes).
TEST(Orthogonal, TheGridPlacementIsSoundToo) {
  const LGraph g = kvtest::MakeLayoutGraph(LayoutFamily::MixedSizes, 120, 3);
  for (int bound : {300, 0}) {
    SCOPED_TRACE(bound);
    LResult r;
    ASSERT_EQ(kvl::LayoutOrthogonal(g, {.spacing = {}, .orientation = LOrientation::TopToBottom, .shapeNodes = bound}, r),
              LStatus::Ok);
    EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
    ExpectRoutesSound(g, r);
    // Snapped to rows and columns: nodes share them.
    std::set<double> xs, ys;
    for (const LPoint& p : r.centres) {
      xs.insert(p.x);
      ys.insert(p.y);
    }
    EXPECT_LT(xs.size() + ys.size(), g.nodes.size());
  }
}

// A grid of 6 x 6 nodes read in a scrambled order, each linked to the node
// below it and, below the first row, to its right neighbour: a planar graph
// of degree 4 whose links can all be straight with the rows across the
// placement; the shape keeps almost all of them so.
TEST(Orthogonal, AGridGraphComesOutWithFewBends) {
  LGraph g;
  constexpr int side = 6;
  auto id = [](int i) { return (i * 13) % (side * side); };  // 13 is prime to 36: a permutation
  for (int i = 0; i < side * side; ++i) g.nodes.push_back(kvtest::LayoutBox(0, 0, 7200, 3600));
  for (int row = 0; row < side; ++row)
    for (int col = 0; col < side; ++col) {
      const int here = row * side + col;
      if (col + 1 < side && row > 0) g.edges.push_back({id(here), id(here + 1)});
      if (row + 1 < side) g.edges.push_back({id(here), id(here + side)});
    }
  LResult r;
  ASSERT_EQ(LayOrthogonal(g, r), LStatus::Ok);
  ExpectRoutesSound(g, r);
  int bends = 0;
  for (const auto& route : r.routes) bends += int(route.size()) - 2;
  EXPECT_LE(bends, int(g.edges.size()) / 5);
}

// The placement decides which way most links go.
TEST(Orthogonal, MostLinksPointAlongThePlacement) {
  const LGraph g = kvtest::MakeLayoutGraph(LayoutFamily::Tree, 60, 5);
  for (LOrientation o : {LOrientation::TopToBottom, LOrientation::BottomToTop, LOrientation::LeftToRight,
                         LOrientation::RightToLeft}) {
    SCOPED_TRACE(int(o));
    LResult r;
    ASSERT_EQ(LayOrthogonal(g, r, o), LStatus::Ok);
    int forward = 0, backward = 0;
    for (const kvl::LEdge& e : g.edges) {
      const double along = kvtest::Along(o, r.centres[std::size_t(e.from)], r.centres[std::size_t(e.to)]);
      forward += along > 0;
      backward += along < 0;
    }
    EXPECT_GT(forward, 2 * backward);
  }
}

TEST(Orthogonal, FixedNodesStayAndTheOthersKeepClear) {
  LGraph g = kvtest::MakeLayoutGraph(LayoutFamily::Dag, 60, 2);
  for (std::size_t i = 0; i < g.nodes.size(); i += 4) {
    g.nodes[i].box = {double(i) * 9000, 0, double(i) * 9000 + 7200, 3600};
    g.nodes[i].fixed = true;
  }
  LResult r;
  ASSERT_EQ(LayOrthogonal(g, r), LStatus::Ok);
  EXPECT_EQ(kvtest::FixedNodesMovedOrCovered(g, r), 0);
  EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
  ExpectRoutesSound(g, r);
}

TEST(Orthogonal, OddGraphsGiveACleanResult) {
  LGraph g;
  g.nodes = {kvtest::LayoutBox(0, 0, 7200, 3600), kvtest::LayoutBox(0, 0, 7200, 3600), kvtest::LayoutBox(0, 0, 0, 0),
             kvtest::LayoutBox(0, 0, 0, 0), kvtest::LayoutBox(0, 0, 90000, 500)};
  g.edges = {{0, 0}, {0, 1}, {0, 1}, {1, 0}, {2, 3}, {1, 2}, {4, 1}};
  g.edges[0].points = {{3600, 3600}, {3600, 7000}, {7200, 7000}, {7200, 1800}};
  g.edges[3].keep = kvl::LRouteKeep::Route;
  g.edges[5].keep = kvl::LRouteKeep::Ends;
  g.edges[5].points = {{1, 1}, {2, 2}};
  LResult r;
  ASSERT_EQ(LayOrthogonal(g, r), LStatus::Ok);
  EXPECT_TRUE(r.routes[0].empty());  // a self-link keeps its own loop
  EXPECT_TRUE(r.routes[3].empty());  // the person's route stays
  EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
  ExpectRoutesSound(g, r);  // the person's ends lay on the symbols where they were
  LResult empty;
  EXPECT_EQ(LayOrthogonal(LGraph{}, empty), LStatus::Ok);
  EXPECT_TRUE(empty.centres.empty());
}

TEST(Orthogonal, BadOrOversizedInputWritesNothing) {
  for (const kvtest::BadLayoutCase& c : kvtest::BadLayoutGraphs()) {
    SCOPED_TRACE(c.what);
    LResult r;
    r.centres = {{1, 2}};
    EXPECT_EQ(kvl::LayoutOrthogonal(c.graph, {}, r), c.want);
    EXPECT_EQ(r.centres, (std::vector<LPoint>{{1, 2}}));
  }
  const LGraph g = kvtest::MakeLayoutGraph(LayoutFamily::Tree, 5, 1);
  for (double bad : {-1.0, std::nan("")}) {
    kvl::LOrthogonalOptions options;
    options.spacing.edgeNode = bad;
    LResult r;
    EXPECT_EQ(kvl::LayoutOrthogonal(g, options, r), LStatus::BadInput);
    EXPECT_TRUE(r.centres.empty());
  }
}

// Small random graphs with everything at once: self-links, repeated links,
// boxes of every size down to none, fixed nodes scattered among the others,
// every placement, and both the shaped and the grid placement.
TEST(Orthogonal, RandomSmallGraphsGiveSoundDrawings) {
  for (std::uint64_t seed = 1; seed <= 200; ++seed) {
    SCOPED_TRACE(seed);
    kvtest::LayoutRng rng(seed);
    LGraph g;
    const int n = 1 + rng.Below(25);
    for (int i = 0; i < n; ++i) {
      const double w = 720.0 * rng.Below(12), h = 720.0 * rng.Below(6);
      g.nodes.push_back(kvtest::LayoutBox(20000.0 * (i % 8), 20000.0 * (i / 8), w, h));  // apart, should they stay
      g.nodes.back().fixed = rng.Below(6) == 0;
    }
    for (int k = rng.Below(2 * n + 1); k > 0; --k) g.edges.push_back({rng.Below(n), rng.Below(n)});
    kvl::LOrthogonalOptions options;
    options.orientation = static_cast<LOrientation>(rng.Below(4));
    options.shapeNodes = seed % 2 ? 300 : 0;
    LResult r;
    ASSERT_EQ(kvl::LayoutOrthogonal(g, options, r), LStatus::Ok);
    EXPECT_EQ(kvtest::FixedNodesMovedOrCovered(g, r), 0);
    EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
    EXPECT_EQ(kvtest::PlacedOutsideTheArea(g, r), 0);
    ExpectRoutesSound(g, r);
  }
}

TEST(Orthogonal, TheEngineOffersTheStyle) { EXPECT_TRUE(kvl::HasStyle(kvl::LStyle::Orthogonal)); }

}  // namespace
