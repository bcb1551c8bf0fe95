// The circular style over graph families, in both placements, through the
// engine's entry point: what a person relies on, checked as properties.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "kvlayout/engine/circular.h"
#include "kvlayout/engine/dispatch.h"
#include "kvlayout/engine/organic.h"
#include "support/layout_graphs.h"

namespace {

using kvl::LGraph;
using kvl::LPoint;
using kvl::LResult;
using kvl::LStatus;
using kvtest::LayoutFamily;

LStatus LayCircular(const LGraph& g, bool oneCircle, LResult& r) {
  kvl::LRequest request;
  request.style = kvl::LStyle::Circular;
  request.oneCircle = oneCircle;
  return kvl::Lay(g, request, r);
}

// The centre of the circle through the first three points, and whether all
// points lie on it (to a unit).
bool OnOneCircle(const std::vector<LPoint>& p) {
  if (p.size() < 4) return true;
  const LPoint a = p[0], b = p[1], c = p[2];
  const double d = 2 * (a.x * (b.y - c.y) + b.x * (c.y - a.y) + c.x * (a.y - b.y));
  if (std::abs(d) < 1e-9) return false;
  auto sq = [](const LPoint& q) { return q.x * q.x + q.y * q.y; };
  const LPoint o{(sq(a) * (b.y - c.y) + sq(b) * (c.y - a.y) + sq(c) * (a.y - b.y)) / d,
                 (sq(a) * (c.x - b.x) + sq(b) * (a.x - c.x) + sq(c) * (b.x - a.x)) / d};
  const double r = std::hypot(a.x - o.x, a.y - o.y);
  for (const LPoint& q : p)
    if (std::abs(std::hypot(q.x - o.x, q.y - o.y) - r) > 1) return false;
  return true;
}

struct FamilyCase {
  LayoutFamily family;
  int n;
  bool oneCircle;
};

class CircularFamilies : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(CircularFamilies, NoOverlapsInsideTheAreaLinksOnTheirNodesAndRepeatable) {
  const FamilyCase c = GetParam();
  const LGraph g = kvtest::MakeLayoutGraph(c.family, c.n, 7);
  LResult r, again;
  ASSERT_EQ(LayCircular(g, c.oneCircle, r), LStatus::Ok);
  ASSERT_EQ(r.centres.size(), g.nodes.size());
  ASSERT_EQ(r.routes.size(), g.edges.size());
  EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
  EXPECT_EQ(kvtest::PlacedOutsideTheArea(g, r), 0);
  for (std::size_t k = 0; k < g.edges.size(); ++k) {
    const kvl::LEdge& e = g.edges[k];
    if (e.from == e.to) continue;
    ASSERT_EQ(r.routes[k].size(), 2u);
    EXPECT_TRUE(kvtest::OnBorder(r.routes[k].front(), kvtest::PlacedBox(g, r, std::size_t(e.from)))) << k;
    EXPECT_TRUE(kvtest::OnBorder(r.routes[k].back(), kvtest::PlacedBox(g, r, std::size_t(e.to)))) << k;
  }
  ASSERT_EQ(LayCircular(g, c.oneCircle, again), LStatus::Ok);
  EXPECT_EQ(again.centres, r.centres);
  EXPECT_EQ(again.routes, r.routes);
}

std::vector<FamilyCase> AllCases() {
  const std::pair<LayoutFamily, int> families[] = {{LayoutFamily::Dag, 40},        {LayoutFamily::Dag, 300},
                                                   {LayoutFamily::Tree, 200},      {LayoutFamily::DataModel, 300},
                                                   {LayoutFamily::DataModel, 1000}, {LayoutFamily::DataModel, 3000},
                                                   {LayoutFamily::Components, 200},
                                                   {LayoutFamily::MixedSizes, 150}};
  std::vector<FamilyCase> cases;
  for (const auto& [family, n] : families)
    for (bool one : {false, true}) cases.push_back({family, n, one});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Families, CircularFamilies, ::testing::ValuesIn(AllCases()), [](const auto& info) {
  return std::string(kvtest::FamilyName(info.param.family)) + std::to_string(info.param.n) +
         (info.param.oneCircle ? "Cycle" : "Radiation");
});

// A ring of nodes read in a scrambled order, optionally with chords that
// nest: both drawable on a circle without a crossing.
LGraph ScrambledRing(int n, bool chords) {
  LGraph g;
  for (int i = 0; i < n; ++i) g.nodes.push_back(kvtest::LayoutBox(0, 0, 7200, 3600));
  auto id = [n](int i) { return (i * 7) % n; };  // 7 is prime to n: a permutation
  for (int i = 0; i < n; ++i) g.edges.push_back({id(i), id((i + 1) % n)});
  if (chords)
    for (int i = 1; i < n / 2 - 1; ++i) g.edges.push_back({id(i), id(n - i)});
  return g;
}

// The crossings of the links as chords of the circle the nodes stand on.
long long ChordCrossings(const LGraph& g, const std::vector<LPoint>& centres) {
  const std::size_t n = centres.size();
  LPoint mid{};
  for (const LPoint& p : centres) mid = {mid.x + p.x / double(n), mid.y + p.y / double(n)};
  std::vector<std::pair<double, int>> around;
  for (std::size_t i = 0; i < n; ++i) around.push_back({std::atan2(centres[i].y - mid.y, centres[i].x - mid.x), int(i)});
  std::sort(around.begin(), around.end());
  std::vector<int> place(n);
  for (std::size_t p = 0; p < n; ++p) place[std::size_t(around[p].second)] = int(p);
  std::vector<std::pair<int, int>> chords;
  for (const kvl::LEdge& e : g.edges) chords.push_back({place[std::size_t(e.from)], place[std::size_t(e.to)]});
  return kvl::CircleCrossings(chords, int(n));
}

TEST(Circular, CycleGivesOneCircleOrderedToCrossFew) {
  const struct {
    bool chords;
    long long most;  // crossings allowed: the order is a heuristic's
  } cases[] = {{false, 0}, {true, 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chords ? "nested chords" : "ring");
    const LGraph g = ScrambledRing(24, c.chords);
    LResult r;
    ASSERT_EQ(LayCircular(g, true, r), LStatus::Ok);
    EXPECT_TRUE(OnOneCircle(r.centres));
    std::vector<LPoint> asRead;
    for (int i = 0; i < 24; ++i) asRead.push_back({std::cos(i * 0.26), std::sin(i * 0.26)});
    EXPECT_LE(ChordCrossings(g, r.centres), c.most);
    EXPECT_GT(ChordCrossings(g, asRead), 20);  // the order as read crosses many
  }
}

TEST(Circular, CircleCrossingsCountsChordPairsThatInterleave) {
  const struct {
    std::vector<std::pair<int, int>> chords;
    long long want;
  } cases[] = {{{{0, 2}, {1, 3}}, 1},          {{{0, 3}, {1, 2}}, 0},           {{{0, 1}, {1, 2}}, 0},
               {{{2, 0}, {3, 1}}, 1},          {{{0, 4}, {1, 5}, {2, 6}}, 3},   {{{0, 2}, {0, 2}, {1, 3}}, 2},
               {{{0, 5}, {1, 2}, {3, 4}}, 0},  {{}, 0},                         {{{0, 9}, {1, 12}}, 1},
               {{{-1, 3}, {2, 2}, {0, 3}}, 0}};
  for (const auto& c : cases) EXPECT_EQ(kvl::CircleCrossings(c.chords, 8), c.want);
}

// Two rings sharing one node and a tail hanging from the second: in the
// radiation each ring has a circle of its own, no circle shares a node.
TEST(Circular, RadiationPutsEachBiconnectedPartOnItsOwnCircle) {
  LGraph g;
  for (int i = 0; i < 15; ++i) g.nodes.push_back(kvtest::LayoutBox(0, 0, 7200, 3600));
  for (int i = 0; i < 8; ++i) g.edges.push_back({i, (i + 1) % 8});         // ring 0..7
  for (int i = 7; i < 12; ++i) g.edges.push_back({i, i + 1 == 12 ? 7 : i + 1});  // ring 7..11
  g.edges.push_back({12, 3});
  g.edges.push_back({13, 3});
  g.edges.push_back({14, 3});
  LResult r;
  ASSERT_EQ(LayCircular(g, false, r), LStatus::Ok);
  auto pick = [&](std::initializer_list<int> ids) {
    std::vector<LPoint> p;
    for (int i : ids) p.push_back(r.centres[std::size_t(i)]);
    return p;
  };
  EXPECT_TRUE(OnOneCircle(pick({0, 1, 2, 3, 4, 5, 6, 7})));
  EXPECT_FALSE(OnOneCircle(pick({0, 1, 2, 3, 4, 5, 6, 7, 8, 9})));
  EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
  // The same graph in the cycle placement: one circle for all.
  ASSERT_EQ(LayCircular(g, true, r), LStatus::Ok);
  EXPECT_TRUE(OnOneCircle(r.centres));
}

// Composite groups: in the cycle their members follow each other around the
// circle; in the radiation each group is a circle of its own.
TEST(Circular, GroupsStayTogether) {
  LGraph g = kvtest::MakeLayoutGraph(LayoutFamily::DataModel, 30, 4);
  for (int i = 0; i < 30; ++i) g.nodes[std::size_t(i)].group = i % 3 == 0 ? (i % 2) : -1;
  for (bool one : {true, false}) {
    SCOPED_TRACE(one ? "cycle" : "radiation");
    LResult r;
    ASSERT_EQ(LayCircular(g, one, r), LStatus::Ok);
    EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
    if (one) {
      LPoint mid{};
      for (const LPoint& p : r.centres) mid = {mid.x + p.x / 30, mid.y + p.y / 30};
      std::vector<std::pair<double, int>> around;
      for (int i = 0; i < 30; ++i)
        around.push_back({std::atan2(r.centres[std::size_t(i)].y - mid.y, r.centres[std::size_t(i)].x - mid.x), i});
      std::sort(around.begin(), around.end());
      // Around the circle the group changes at most twice per group.
      int changes = 0;
      for (std::size_t p = 0; p < around.size(); ++p) {
        const int a = g.nodes[std::size_t(around[p].second)].group;
        const int b = g.nodes[std::size_t(around[(p + 1) % around.size()].second)].group;
        changes += a != b;
      }
      EXPECT_LE(changes, 4);
    } else {
      for (int group : {0, 1}) {
        std::vector<LPoint> p;
        for (int i = 0; i < 30; ++i)
          if (g.nodes[std::size_t(i)].group == group) p.push_back(r.centres[std::size_t(i)]);
        EXPECT_TRUE(OnOneCircle(p)) << group;
      }
    }
  }
}

TEST(Circular, FixedNodesStayAndTheOthersKeepClear) {
  LGraph g = kvtest::MakeLayoutGraph(LayoutFamily::Dag, 60, 2);
  for (std::size_t i = 0; i < g.nodes.size(); i += 4) g.nodes[i].fixed = true;
  for (bool one : {false, true}) {
    LResult r;
    ASSERT_EQ(LayCircular(g, one, r), LStatus::Ok);
    EXPECT_EQ(kvtest::FixedNodesMovedOrCovered(g, r), 0);
  }
}

TEST(Circular, OddGraphsGiveACleanResult) {
  LGraph g;
  g.nodes = {kvtest::LayoutBox(0, 0, 7200, 3600), kvtest::LayoutBox(0, 0, 7200, 3600), kvtest::LayoutBox(0, 0, 0, 0),
             kvtest::LayoutBox(0, 0, 0, 0), kvtest::LayoutBox(0, 0, 90000, 500)};
  g.edges = {{0, 0}, {0, 1}, {0, 1}, {1, 0}, {2, 3}, {1, 2}, {4, 1}};
  g.edges[3].keep = kvl::LRouteKeep::Route;
  for (bool one : {false, true}) {
    LResult r;
    ASSERT_EQ(LayCircular(g, one, r), LStatus::Ok);
    EXPECT_TRUE(r.routes[0].empty());  // a self-link keeps its own loop
    EXPECT_TRUE(r.routes[3].empty());  // the person's route stays
    EXPECT_EQ(r.routes[1], r.routes[2]);
    EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
  }
  LResult empty;
  EXPECT_EQ(LayCircular(LGraph{}, false, empty), LStatus::Ok);
  EXPECT_TRUE(empty.centres.empty());
}

// One circle of 1,500 tables would pass the drawing area: its nodes go on
// rings inside one another, still apart and inside.
TEST(Circular, ACircleTooLargeForTheAreaBecomesRings) {
  LGraph g;
  for (int i = 0; i < 1500; ++i) g.nodes.push_back(kvtest::LayoutBox(0, 0, 7200, 3600));
  for (int i = 0; i < 1500; ++i) g.edges.push_back({i, (i + 1) % 1500});
  LResult r;
  ASSERT_EQ(LayCircular(g, true, r), LStatus::Ok);
  EXPECT_FALSE(OnOneCircle(r.centres));
  EXPECT_EQ(kvl::CountOverlaps(r.centres, kvtest::LayoutSizes(g), 0.5), 0);
  EXPECT_EQ(kvtest::PlacedOutsideTheArea(g, r), 0);
}

// Laid out again, the nodes that stand round their circles (or rings)
// keep their places: with no edit nothing moves, and a link added inside a
// circle moves nothing either (a link that joins parts redraws them: at
// 300 nodes {3, 297} does, so only the 1,000-node graph takes the edit).
TEST(Circular, LaidOutAgainAfterASmallEditMovesLittle) {
  for (const bool one : {false, true})
    for (const int n : {300, 1000})
      for (int edit = 0; edit < (n == 1000 ? 2 : 1); ++edit) {
        SCOPED_TRACE(std::to_string(one) + " " + std::to_string(n) + " edit " + std::to_string(edit));
        LGraph g = kvtest::MakeLayoutGraph(LayoutFamily::Dag, n, 11);
        LResult first, second;
        ASSERT_EQ(LayCircular(g, one, first), LStatus::Ok);
        for (std::size_t i = 0; i < g.nodes.size(); ++i) g.nodes[i].box = kvtest::PlacedBox(g, first, i);
        if (edit) g.edges.push_back({3, n - 3});
        ASSERT_EQ(LayCircular(g, one, second), LStatus::Ok);
        EXPECT_EQ(kvl::CountOverlaps(second.centres, kvtest::LayoutSizes(g), 0.5), 0);
        int moved = 0;
        for (std::size_t i = 0; i < g.nodes.size(); ++i)
          moved += std::hypot(second.centres[i].x - first.centres[i].x, second.centres[i].y - first.centres[i].y) > 1;
        if (one || !edit)
          EXPECT_EQ(moved, 0);
        else
          EXPECT_LE(moved * 10, n) << moved << " nodes moved";
      }
}

// With no edit nothing moves whatever the graph: circles whose order comes
// back starting from another node (a circle hanging from another turns to
// face it), and boxes of mixed sizes standing unevenly round one circle.
TEST(Circular, LaidOutAgainWithNoEditMovesNothing) {
  for (const LayoutFamily family : {LayoutFamily::Dag, LayoutFamily::DataModel, LayoutFamily::Tree, LayoutFamily::MixedSizes})
    for (const std::uint64_t seed : {3u, 11u})
      for (const bool one : {false, true}) {
        SCOPED_TRACE(std::string(kvtest::FamilyName(family)) + " seed " + std::to_string(seed) + " " + std::to_string(one));
        LGraph g = kvtest::MakeLayoutGraph(family, 300, seed);
        LResult first, second;
        ASSERT_EQ(LayCircular(g, one, first), LStatus::Ok);
        for (std::size_t i = 0; i < g.nodes.size(); ++i) g.nodes[i].box = kvtest::PlacedBox(g, first, i);
        ASSERT_EQ(LayCircular(g, one, second), LStatus::Ok);
        int moved = 0;
        for (std::size_t i = 0; i < g.nodes.size(); ++i)
          moved += std::hypot(second.centres[i].x - first.centres[i].x, second.centres[i].y - first.centres[i].y) > 1;
        EXPECT_EQ(moved, 0);
      }
}

TEST(Circular, BadOrOversizedInputWritesNothing) {
  for (const kvtest::BadLayoutCase& c : kvtest::BadLayoutGraphs())
    for (bool one : {false, true}) {
      SCOPED_TRACE(c.what);
      LResult r;
      r.centres = {{1, 2}};
      EXPECT_EQ(kvl::LayoutCircular(c.graph, {.spacing = {}, .oneCircle = one}, r), c.want);
      EXPECT_EQ(r.centres, (std::vector<LPoint>{{1, 2}}));
    }
}

TEST(Circular, TheEngineOffersTheStyle) { EXPECT_TRUE(kvl::HasStyle(kvl::LStyle::Circular)); }

}  // namespace
