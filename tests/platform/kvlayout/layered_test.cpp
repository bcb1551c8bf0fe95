// The layered style on seeded graph families, checked by properties rather
// than coordinates: no overlaps, all inside the drawing area, routes that
// start and end on their nodes' borders, edges pointing along the placement
// unless reversed, fixed nodes left alone, the same result for the same
// input; and bad input refused with nothing written.
#include "kvlayout/engine/layered.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "support/layout_graphs.h"

namespace kvl {
namespace {

using kvtest::Along;
using kvtest::LayoutFamily;
using kvtest::MakeLayoutGraph;

void AddNode(LGraph& g, double w, double h, double x = 0, double y = 0) {
  g.nodes.push_back({{x - w / 2, y - h / 2, x + w / 2, y + h / 2}, false, -1});
}
void AddEdge(LGraph& g, int a, int b) { g.edges.push_back({a, b, {}, LRouteKeep::Nothing}); }

// Mixed sizes (some of size 0) with self-links, multi-links and links both
// ways added.
LGraph MixedSizesSelfAndMultiLinks(int n, std::uint64_t seed) {
  LGraph g = MakeLayoutGraph(LayoutFamily::MixedSizes, n, seed);
  kvtest::LayoutRng r(seed + 1);
  for (int i = 1; i < n; ++i) {
    const int a = r.Below(i);
    if (r.Below(4) == 0) {  // multi-link
      AddEdge(g, a, i);
      AddEdge(g, a, i);
    }
    if (r.Below(5) == 0) AddEdge(g, i, a);  // both ways
    if (r.Below(6) == 0) AddEdge(g, i, i);  // self-link
  }
  AddEdge(g, 0, 0);
  AddEdge(g, 0, 0);
  return g;
}

// One node with hundreds of wide children: a layer far wider than the
// drawing area unless it is bounded.
LGraph WideStar(int n) {
  LGraph g;
  AddNode(g, 8000, 3000);
  for (int i = 1; i < n; ++i) {
    AddNode(g, 8000, 3000);
    AddEdge(g, 0, i);
  }
  return g;
}

// A chain and thousands of links from its first node to its last: the
// layers between are crowded by routes, not by nodes.
LGraph CrowdedRoutes() {
  LGraph g;
  for (int i = 0; i < 8; ++i) {
    AddNode(g, 3000, 1000);
    if (i) AddEdge(g, i - 1, i);
  }
  for (int k = 0; k < 3500; ++k) AddEdge(g, 0, 7);
  return g;
}

// Fixed obstacles among moving nodes, links between both kinds.
LGraph WithFixedNodes(int n, std::uint64_t seed) {
  LGraph g = MakeLayoutGraph(LayoutFamily::Dag, n, seed);
  kvtest::LayoutRng r(seed + 7);
  for (int i = 0; i < n; i += 5) g.nodes[i].fixed = true;
  for (int i = 0; i < 3; ++i) AddEdge(g, 0, 5);  // fixed to fixed
  AddEdge(g, 5, 5);                               // self-link of a fixed node
  for (int i = 0; i < 4; ++i) {
    const int to = 1 + r.Below(n - 1);  // drawn first, in a statement of its own
    AddEdge(g, 5 * r.Below(n / 5), to);
  }
  return g;
}

LBox BoxAt(const LBox& b, const LPoint& c) {
  return {c.x - b.Width() / 2, c.y - b.Height() / 2, c.x + b.Width() / 2, c.y + b.Height() / 2};
}

bool OnBorder(const LBox& b, const LPoint& p) {
  constexpr double eps = 1e-6;
  const bool inside = p.x >= b.x0 - eps && p.x <= b.x1 + eps && p.y >= b.y0 - eps && p.y <= b.y1 + eps;
  const double toSide = std::min({p.x - b.x0, b.x1 - p.x, p.y - b.y0, b.y1 - p.y});
  return inside && toSide <= eps;
}

bool Inside(const LPoint& p) { return std::abs(p.x) <= kLimit && std::abs(p.y) <= kLimit; }

void ExpectSoundLayout(const LGraph& g, LOrientation o, const LResult& r) {
  ASSERT_EQ(r.centres.size(), g.nodes.size());
  ASSERT_EQ(r.routes.size(), g.edges.size());
  ASSERT_EQ(r.reversed.size(), g.edges.size());
  std::vector<LBox> boxes;
  for (std::size_t i = 0; i < g.nodes.size(); ++i) {
    boxes.push_back(BoxAt(g.nodes[i].box, r.centres[i]));
    if (g.nodes[i].fixed) {
      EXPECT_EQ(r.centres[i], g.nodes[i].box.Centre()) << "fixed node " << i << " moved";
    }
    EXPECT_TRUE(Inside({boxes.back().x0, boxes.back().y0}) && Inside({boxes.back().x1, boxes.back().y1}))
        << "node " << i << " outside the drawing area";
  }
  // No two nodes touch (size-0 nodes included), fixed ones among themselves
  // aside: they are where the person put them.
  std::vector<int> order(g.nodes.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return boxes[a].x0 < boxes[b].x0; });
  for (std::size_t i = 0; i < order.size(); ++i)
    for (std::size_t j = i + 1; j < order.size() && boxes[order[j]].x0 <= boxes[order[i]].x1; ++j) {
      const int a = order[i], b = order[j];
      if (g.nodes[a].fixed && g.nodes[b].fixed) continue;
      const LBox &p = boxes[a], &q = boxes[b];
      const double apart = std::max({p.x0 - q.x1, q.x0 - p.x1, p.y0 - q.y1, q.y0 - p.y1});
      EXPECT_GT(apart, 0.0) << "nodes " << a << " and " << b << " overlap";
    }
  for (std::size_t i = 0; i < g.edges.size(); ++i) {
    const LEdge& e = g.edges[i];
    const auto& route = r.routes[i];
    if (g.nodes[e.from].fixed && g.nodes[e.to].fixed) {
      EXPECT_TRUE(route.empty()) << "edge " << i << " between fixed nodes rerouted";
      continue;
    }
    ASSERT_GE(route.size(), 2u) << "edge " << i;
    EXPECT_TRUE(OnBorder(boxes[e.from], route.front())) << "edge " << i << " starts off its node";
    EXPECT_TRUE(OnBorder(boxes[e.to], route.back())) << "edge " << i << " ends off its node";
    for (const LPoint& p : route) EXPECT_TRUE(Inside(p)) << "edge " << i << " leaves the drawing area";
    if (e.from == e.to || g.nodes[e.from].fixed || g.nodes[e.to].fixed) continue;
    const double along = Along(o, r.centres[e.from], r.centres[e.to]);
    if (r.reversed[i]) {
      EXPECT_LT(along, 0.0) << "reversed edge " << i << " points along the placement";
    } else {
      EXPECT_GT(along, 0.0) << "edge " << i << " points against the placement";
    }
  }
}

struct Family {
  std::string name;
  std::function<LGraph(std::uint64_t)> make;
  bool seeded = true;  // false: the same graph for every seed, laid out once
};

const std::vector<Family>& Families() {
  static const std::vector<Family> families = {
      {"random DAG with cycles", [](std::uint64_t s) { return MakeLayoutGraph(LayoutFamily::Dag, 150, s); }},
      {"tree", [](std::uint64_t s) { return MakeLayoutGraph(LayoutFamily::Tree, 150, s); }},
      {"data model", [](std::uint64_t s) { return MakeLayoutGraph(LayoutFamily::DataModel, 120, s); }},
      {"many components", [](std::uint64_t s) { return MakeLayoutGraph(LayoutFamily::Components, 300, s); }},
      {"mixed sizes, self- and multi-links", [](std::uint64_t s) { return MixedSizesSelfAndMultiLinks(80, s); }},
      {"thousands of components", [](std::uint64_t s) { return MakeLayoutGraph(LayoutFamily::Components, 2000, s); }},
      {"routes crowding the layers", [](std::uint64_t) { return CrowdedRoutes(); }, false},
      {"wide star", [](std::uint64_t) { return WideStar(400); }, false},
      {"fixed nodes", [](std::uint64_t s) { return WithFixedNodes(60, s); }},
      {"nodes near the drawing area's size", [](std::uint64_t) {
         LGraph g;
         for (int i = 0; i < 4; ++i) AddNode(g, 550000, 100000 + 50000 * i);
         AddEdge(g, 0, 1);
         AddEdge(g, 1, 2);
         AddEdge(g, 2, 0);
         return g;
       }, false},
      {"all nodes fixed", [](std::uint64_t s) {
         LGraph g = MakeLayoutGraph(LayoutFamily::Tree, 20, s);
         for (int i = 0; i < 20; ++i) g.nodes[i].fixed = true;
         return g;
       }},
      {"one node", [](std::uint64_t) {
         LGraph g;
         AddNode(g, 1000, 1000, 5000, 5000);
         return g;
       }, false},
      {"empty", [](std::uint64_t) { return LGraph{}; }, false},
  };
  return families;
}

constexpr LOrientation kOrientations[] = {LOrientation::TopToBottom, LOrientation::BottomToTop,
                                          LOrientation::LeftToRight, LOrientation::RightToLeft};

TEST(LayeredLayout, FamiliesInEveryPlacementAreSoundAndRepeatable) {
  for (const Family& f : Families())
    for (std::uint64_t seed : {1u, 2u, 3u})
      for (LOrientation o : kOrientations) {
        if (!f.seeded && seed > 1) continue;
        SCOPED_TRACE(f.name + ", seed " + std::to_string(seed) + ", placement " + std::to_string(static_cast<int>(o)));
        const LGraph g = f.make(seed);
        LLayeredOptions options;
        options.orientation = o;
        LResult first, second;
        ASSERT_EQ(LayoutLayered(g, options, first), LStatus::Ok);
        ExpectSoundLayout(g, o, first);
        ASSERT_EQ(LayoutLayered(g, options, second), LStatus::Ok);
        EXPECT_EQ(first.centres, second.centres);
        EXPECT_EQ(first.routes, second.routes);
        EXPECT_EQ(first.reversed, second.reversed);
      }
}

// A tree has a drawing without crossings and the sweeps find it: between
// two layers, edges keep the order of their parents.
TEST(LayeredLayout, TreesAreDrawnWithoutCrossings) {
  for (std::uint64_t seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const LGraph g = MakeLayoutGraph(LayoutFamily::Tree, 200, seed);
    LResult r;
    ASSERT_EQ(LayoutLayered(g, {}, r), LStatus::Ok);
    int crossings = 0;
    for (const LEdge& e : g.edges)
      for (const LEdge& f : g.edges) {
        const LPoint &a = r.centres[e.from], &b = r.centres[e.to], &c = r.centres[f.from], &d = r.centres[f.to];
        if (a.y == c.y && b.y == d.y && a.x < c.x && b.x > d.x) ++crossings;
      }
    EXPECT_EQ(crossings, 0);
  }
}

TEST(LayeredLayout, ABudgetOfNothingStillGivesASoundLayout) {
  const LGraph g = MakeLayoutGraph(LayoutFamily::Dag, 200, 9);
  LLayeredOptions options;
  options.budget = 0;
  LResult r;
  ASSERT_EQ(LayoutLayered(g, options, r), LStatus::Ok);
  ExpectSoundLayout(g, options.orientation, r);
}

// Laid out again after a small edit, a drawing keeps what the person saw:
// the nodes stay in their layers and places, only the edit's ends and what
// must follow them move, and a run with no edit moves nothing.
TEST(LayeredLayout, ASmallEditLaidOutAgainMovesLittle) {
  struct Case {
    const char* name;
    LayoutFamily family;
    int n;
  };
  const Case cases[] = {{"random DAG", LayoutFamily::Dag, 400},
                        {"tree", LayoutFamily::Tree, 300},
                        {"data model", LayoutFamily::DataModel, 200},
                        {"many components", LayoutFamily::Components, 300}};
  for (const Case& c : cases)
    for (LOrientation o : kOrientations)
      for (int edit = 0; edit < 3; ++edit) {
        SCOPED_TRACE(std::string(c.name) + ", placement " + std::to_string(static_cast<int>(o)) + ", edit " +
                     std::to_string(edit));
        LGraph g = MakeLayoutGraph(c.family, c.n, 5);
        LLayeredOptions options;
        options.orientation = o;
        LResult first;
        ASSERT_EQ(LayoutLayered(g, options, first), LStatus::Ok);
        for (std::size_t i = 0; i < g.nodes.size(); ++i) g.nodes[i].box = kvtest::PlacedBox(g, first, i);
        // 0: no edit; 1: a link between two nodes of one layer; 2: a link
        // from a node to one far above it.
        if (edit) {
          int a = 0, b = -1;
          for (std::size_t i = 0; i < g.nodes.size() && b < 0; ++i)
            for (std::size_t j = i + 1; j < g.nodes.size() && b < 0; ++j) {
              const double along = Along(o, first.centres[i], first.centres[j]);
              if (edit == 1 ? along == 0 : along > 5000) a = int(j), b = int(i);
            }
          ASSERT_GE(b, 0);
          AddEdge(g, a, b);
        }
        LResult second;
        ASSERT_EQ(LayoutLayered(g, options, second), LStatus::Ok);
        ExpectSoundLayout(g, o, second);
        int moved = 0;
        for (std::size_t i = 0; i < g.nodes.size(); ++i)
          moved += std::hypot(second.centres[i].x - first.centres[i].x, second.centres[i].y - first.centres[i].y) > 1;
        if (edit == 0)
          EXPECT_EQ(moved, 0);
        else
          EXPECT_LE(moved * 10, int(g.nodes.size())) << moved << " nodes moved";
      }
}

TEST(LayeredLayout, CyclesAreBrokenByReversingFewEdges) {
  struct Case {
    const char* name;
    int nodes;
    std::vector<std::pair<int, int>> edges;
    int reversed;
  };
  const Case cases[] = {
      {"triangle", 3, {{0, 1}, {1, 2}, {2, 0}}, 1},
      {"two-cycle", 2, {{0, 1}, {1, 0}}, 1},
      {"chain", 4, {{0, 1}, {1, 2}, {2, 3}}, 0},
      {"two triangles sharing a node", 5, {{0, 1}, {1, 2}, {2, 0}, {2, 3}, {3, 4}, {4, 2}}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LGraph g;
    for (int i = 0; i < c.nodes; ++i) AddNode(g, 1000, 1000);
    for (const auto& [a, b] : c.edges) AddEdge(g, a, b);
    LResult r;
    ASSERT_EQ(LayoutLayered(g, {}, r), LStatus::Ok);
    EXPECT_EQ(std::count(r.reversed.begin(), r.reversed.end(), 1), c.reversed);
    ExpectSoundLayout(g, LOrientation::TopToBottom, r);
  }
}

TEST(LayeredLayout, BadInputAndDrawingsTooLargeWriteNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    std::function<void(LGraph&, LLayeredOptions&)> spoil;
    LStatus want;
  };
  const Case cases[] = {
      {"edge to a missing node", [](LGraph& g, LLayeredOptions&) { AddEdge(g, 0, 99); }, LStatus::BadInput},
      {"edge from index -1", [](LGraph& g, LLayeredOptions&) { AddEdge(g, -1, 0); }, LStatus::BadInput},
      {"box corner not a number", [&](LGraph& g, LLayeredOptions&) { g.nodes[1].box.x1 = nan; }, LStatus::BadInput},
      {"box corners reversed", [](LGraph& g, LLayeredOptions&) { std::swap(g.nodes[2].box.y0, g.nodes[2].box.y1); },
       LStatus::BadInput},
      {"route point infinite", [&](LGraph& g, LLayeredOptions&) { g.edges[0].points = {{0, 0}, {inf, 0}}; },
       LStatus::BadInput},
      {"negative spacing", [](LGraph&, LLayeredOptions& o) { o.spacing.layer = -1; }, LStatus::BadInput},
      {"spacing not a number", [&](LGraph&, LLayeredOptions& o) { o.spacing.edgeEdge = nan; }, LStatus::BadInput},
      {"node larger than the drawing area",
       [](LGraph& g, LLayeredOptions&) { g.nodes[0].box = {0, 0, 2 * kLimit, 10}; }, LStatus::TooLarge},
      {"spacing larger than the drawing area", [](LGraph&, LLayeredOptions& o) { o.spacing.node = 1e12; },
       LStatus::TooLarge},
      {"chain too long for the drawing area",
       [](LGraph& g, LLayeredOptions&) {
         for (int i = 0; i < 200; ++i) {
           AddNode(g, 1000, 10000);
           AddEdge(g, static_cast<int>(g.nodes.size()) - 2, static_cast<int>(g.nodes.size()) - 1);
         }
       },
       LStatus::TooLarge},
      {"no room beside the fixed nodes",
       [](LGraph& g, LLayeredOptions&) {
         g.nodes.push_back({{-kLimit, -kLimit, kLimit, kLimit}, true, -1});
       },
       LStatus::TooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LGraph g = MakeLayoutGraph(LayoutFamily::Tree, 10, 4);
    LLayeredOptions options;
    c.spoil(g, options);
    LResult r;
    r.centres = {{1, 2}};
    EXPECT_EQ(LayoutLayered(g, options, r), c.want);
    EXPECT_TRUE(r.centres.empty() && r.routes.empty() && r.reversed.empty());
  }
}

}  // namespace
}  // namespace kvl
