// The tree and snowflake styles, run as the bridge runs them (through Lay),
// on seeded graph families in every placement: checked by properties rather
// than coordinates.
#include "kvlayout/engine/tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "kvlayout/engine/dispatch.h"
#include "kvlayout/engine/organic.h"
#include "support/layout_graphs.h"

namespace kvl {
namespace {

using kvtest::Along;
using kvtest::LayoutFamily;
using kvtest::OnBorder;
using kvtest::PlacedBox;

std::vector<LPoint> Sizes(const LGraph& g) {
  std::vector<LPoint> s;
  for (const LNode& n : g.nodes) s.push_back({n.box.Width(), n.box.Height()});
  return s;
}

LRequest Request(LStyle style, LOrientation o = LOrientation::TopToBottom) {
  LRequest q;
  q.style = style;
  q.orientation = o;
  return q;
}

// Proper crossings between the routes of the listed edges.
int RouteCrossings(const LResult& r, const std::vector<int>& edges) {
  auto side = [](const LPoint& p, const LPoint& q, const LPoint& s) {
    const double v = (q.x - p.x) * (s.y - p.y) - (q.y - p.y) * (s.x - p.x);
    return (v > 1e-6) - (v < -1e-6);
  };
  int count = 0;
  for (std::size_t i = 0; i < edges.size(); ++i)
    for (std::size_t j = i + 1; j < edges.size(); ++j) {
      const auto &a = r.routes[std::size_t(edges[i])], &b = r.routes[std::size_t(edges[j])];
      for (std::size_t s = 1; s < a.size(); ++s)
        for (std::size_t t = 1; t < b.size(); ++t)
          if (side(a[s - 1], a[s], b[t - 1]) * side(a[s - 1], a[s], b[t]) < 0 &&
              side(b[t - 1], b[t], a[s - 1]) * side(b[t - 1], b[t], a[s]) < 0)
            ++count;
    }
  return count;
}

struct Case {
  LayoutFamily family;
  int n;
  LStyle style;
  LOrientation orientation;
};

std::string Name(const Case& c) {
  static const char* const kO[] = {"TopToBottom", "BottomToTop", "LeftToRight", "RightToLeft"};
  return std::string(kvtest::FamilyName(c.family)) + std::to_string(c.n) +
         (c.style == LStyle::Tree ? std::string("Tree") + kO[int(c.orientation)] : std::string("Snowflake"));
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  const std::pair<LayoutFamily, int> families[] = {{LayoutFamily::Tree, 300},      {LayoutFamily::Dag, 150},
                                                   {LayoutFamily::DataModel, 150}, {LayoutFamily::Components, 150},
                                                   {LayoutFamily::MixedSizes, 120}};
  for (const auto& [family, n] : families) {
    for (int o = 0; o < 4; ++o) cases.push_back({family, n, LStyle::Tree, LOrientation(o)});
    cases.push_back({family, n, LStyle::Snowflake, LOrientation::TopToBottom});
  }
  return cases;
}

// Lays g out as q asks and checks what a person relies on: no overlaps,
// inside the area, links on their symbols, tree links along the placement
// (and for the tidy tree: without crossings, parents centred over their
// children, children in order), the same result a second time.
void ExpectSoundAndRepeatable(const LGraph& g, const LRequest& q, bool tidy = true) {
  const struct {
    LStyle style;
    LOrientation orientation;
  } c{q.style, q.orientation};
  LResult r, again;
  ASSERT_EQ(Lay(g, q, r), LStatus::Ok);
  ASSERT_EQ(r.centres.size(), g.nodes.size());
  ASSERT_EQ(r.routes.size(), g.edges.size());
  EXPECT_EQ(CountOverlaps(r.centres, Sizes(g), 0.5), 0);
  for (std::size_t i = 0; i < g.nodes.size(); ++i) {
    const LBox b = PlacedBox(g, r, i);
    EXPECT_TRUE(b.x0 >= -kLimit && b.x1 <= kLimit && b.y0 >= -kLimit && b.y1 <= kLimit) << i;
  }
  for (std::size_t k = 0; k < g.edges.size(); ++k) {
    const LEdge& e = g.edges[k];
    if (e.from == e.to) continue;
    ASSERT_GE(r.routes[k].size(), 2u) << k;
    EXPECT_TRUE(OnBorder(r.routes[k].front(), PlacedBox(g, r, std::size_t(e.from)))) << k;
    EXPECT_TRUE(OnBorder(r.routes[k].back(), PlacedBox(g, r, std::size_t(e.to)))) << k;
    for (const LPoint& p : r.routes[k]) EXPECT_TRUE(std::abs(p.x) <= kLimit && std::abs(p.y) <= kLimit) << k;
  }
  const LForest f = SpanningForest(g);
  std::vector<int> treeEdges;
  std::vector<std::vector<int>> children(g.nodes.size());
  for (const int v : f.order) {
    if (f.parent[std::size_t(v)] < 0) continue;
    treeEdges.push_back(f.parentEdge[std::size_t(v)]);
    children[std::size_t(f.parent[std::size_t(v)])].push_back(v);
  }
  EXPECT_EQ(RouteCrossings(r, treeEdges), 0);
  if (c.style == LStyle::Snowflake) {
    // Each child on a ring further out from its tree's root.
    std::vector<int> root(g.nodes.size(), -1);
    for (const int v : f.order) {
      const int p = f.parent[std::size_t(v)];
      root[std::size_t(v)] = p < 0 ? v : root[std::size_t(p)];
      if (p < 0) continue;
      const LPoint o = r.centres[std::size_t(root[std::size_t(v)])];
      const LPoint a = r.centres[std::size_t(p)], b = r.centres[std::size_t(v)];
      EXPECT_GT(std::hypot(b.x - o.x, b.y - o.y), std::hypot(a.x - o.x, a.y - o.y) + q.spacing.layer) << v;
    }
  } else {
    for (std::size_t v = 0; v < g.nodes.size(); ++v) {
      const std::vector<int>& kids = children[v];
      if (kids.empty()) continue;
      // Each child a level further along, the children in order across the
      // level, the parent centred over the outer two.
      const LBox p = PlacedBox(g, r, v);
      for (const int w : kids) {
        const LBox b = PlacedBox(g, r, std::size_t(w));
        const LPoint pc = p.Centre(), wc = b.Centre();
        const double reach = (c.orientation == LOrientation::TopToBottom || c.orientation == LOrientation::BottomToTop)
                                 ? (p.Height() + b.Height()) / 2
                                 : (p.Width() + b.Width()) / 2;
        EXPECT_GE(Along(c.orientation, pc, wc), reach + q.spacing.layer - 1) << v << " " << w;
      }
      if (!tidy) continue;
      // Across the level, in the order of the children (leaves stacked in
      // one column share their place).
      const bool vertical = c.orientation == LOrientation::TopToBottom || c.orientation == LOrientation::BottomToTop;
      std::vector<double> across;
      for (const int w : kids) across.push_back(vertical ? r.centres[std::size_t(w)].x : -r.centres[std::size_t(w)].y);
      const auto [lo, hi] = std::minmax_element(across.begin(), across.end());
      EXPECT_NEAR(vertical ? r.centres[v].x : -r.centres[v].y, (*lo + *hi) / 2, 1e-6) << v;
      std::vector<double> sorted = across;
      std::sort(sorted.begin(), sorted.end());
      if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) {
        EXPECT_EQ(across, sorted) << v;
      }
    }
  }
  ASSERT_EQ(Lay(g, q, again), LStatus::Ok);
  EXPECT_EQ(again.centres, r.centres);
  EXPECT_EQ(again.routes, r.routes);
}

class TreeFamilies : public ::testing::TestWithParam<Case> {};

TEST_P(TreeFamilies, SoundRepeatableAndGrowingAlongThePlacement) {
  const Case c = GetParam();
  ExpectSoundAndRepeatable(kvtest::MakeLayoutGraph(c.family, c.n, 7), Request(c.style, c.orientation));
}

INSTANTIATE_TEST_SUITE_P(Families, TreeFamilies, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return Name(info.param); });

// Trees too broad for the drawing area in one row: the leaves of a node
// stand in stacks, as few as make it fit.
TEST(TreeLayout, BroadTreesStackTheirLeavesToFit) {
  LGraph star, bushy;
  for (int i = 0; i < 400; ++i) star.nodes.push_back(kvtest::LayoutBox(0, 0, 7200, 3600));
  for (int i = 1; i < 400; ++i) star.edges.push_back({0, i});
  for (int i = 0; i < 421; ++i) bushy.nodes.push_back(kvtest::LayoutBox(0, 0, 7200, 3600));
  for (int i = 1; i < 21; ++i) bushy.edges.push_back({0, i});
  for (int i = 21; i < 421; ++i) bushy.edges.push_back({1 + (i * 7) % 20, i});
  for (const LGraph* g : {&star, &bushy}) {
    for (const LOrientation o : {LOrientation::TopToBottom, LOrientation::RightToLeft}) {
      SCOPED_TRACE(int(o));
      ExpectSoundAndRepeatable(*g, Request(LStyle::Tree, o));
    }
  }
}

// A random tree of 1,000 nodes is too broad for the area even with its
// leaves stacked: its broadest subtrees hang as lists, and it fits, still
// without crossings.
TEST(TreeLayout, TreesTooBroadForStacksHangTheirBroadestPartsAsLists) {
  const LGraph g = kvtest::MakeLayoutGraph(LayoutFamily::Tree, 1000, 11);
  for (const LOrientation o : {LOrientation::TopToBottom, LOrientation::BottomToTop}) {
    SCOPED_TRACE(int(o));
    ExpectSoundAndRepeatable(g, Request(LStyle::Tree, o), false);
  }
}

// Snowflakes of 1,000 nodes: a balanced tree crowds its outer rings (they
// split in two, alternate nodes on each), a random one has parents whose
// children spread so far that straight links would cut across their
// neighbours' (those links bend round an arc between the rings). Both fit,
// without crossings.
TEST(TreeLayout, CrowdedSnowflakesSplitTheirRingsAndBendTheirWideLinks) {
  LGraph random = kvtest::MakeLayoutGraph(LayoutFamily::Tree, 1000, 11), balanced = random;
  for (int i = 1; i < 1000; ++i) balanced.edges[std::size_t(i - 1)].from = (i - 1) / 4;
  for (const LGraph* g : {&random, &balanced}) ExpectSoundAndRepeatable(*g, Request(LStyle::Snowflake));
}

// Laid out again, a tree stands where it stood: with no edit nothing moves;
// after a link is added (a second parent, a link across) only the part of
// the tree it touches moves.
TEST(TreeLayout, LaidOutAgainAfterASmallEditMovesLittle) {
  for (const LStyle style : {LStyle::Tree, LStyle::Snowflake})
    for (int edit = 0; edit < 2; ++edit) {
      SCOPED_TRACE(std::to_string(int(style)) + ", edit " + std::to_string(edit));
      LGraph g = kvtest::MakeLayoutGraph(LayoutFamily::Tree, 400, 3);
      LResult first, second;
      ASSERT_EQ(Lay(g, Request(style), first), LStatus::Ok);
      for (std::size_t i = 0; i < g.nodes.size(); ++i) g.nodes[i].box = PlacedBox(g, first, i);
      if (edit) g.edges.push_back({350, 390});
      ASSERT_EQ(Lay(g, Request(style), second), LStatus::Ok);
      EXPECT_EQ(CountOverlaps(second.centres, Sizes(g), 0.5), 0);
      int moved = 0;
      for (std::size_t i = 0; i < g.nodes.size(); ++i)
        moved += std::hypot(second.centres[i].x - first.centres[i].x, second.centres[i].y - first.centres[i].y) > 1;
      if (edit == 0)
        EXPECT_EQ(moved, 0);
      else
        EXPECT_LE(moved * 10, int(g.nodes.size())) << moved << " nodes moved";
    }
}

// Cycles, a second root, a self-link, repeated links, a lone node and a
// second component: one tree per component, the other links routed.
TEST(TreeLayout, AnyGraphGetsASpanningForestAndEveryLinkARoute) {
  LGraph g;
  for (int i = 0; i < 7; ++i) g.nodes.push_back(kvtest::LayoutBox(0, 0, 7200, 3600));
  g.edges = {{0, 1}, {1, 2}, {2, 0}, {3, 1}, {1, 1}, {0, 1}, {5, 6}};
  const LForest f = SpanningForest(g);
  EXPECT_EQ(f.parent, (std::vector<int>{1, 3, 1, -1, -1, -1, 5}));
  EXPECT_EQ(f.parentEdge, (std::vector<int>{0, 3, 1, -1, -1, -1, 6}));
  EXPECT_EQ(f.order, (std::vector<int>{3, 1, 2, 0, 4, 5, 6}));
  for (const LStyle style : {LStyle::Tree, LStyle::Snowflake}) {
    SCOPED_TRACE(int(style));
    LResult r;
    ASSERT_EQ(Lay(g, Request(style), r), LStatus::Ok);
    EXPECT_TRUE(r.routes[4].empty());  // a self-link keeps its own loop
    for (const std::size_t k : {0u, 1u, 2u, 3u, 5u, 6u}) {
      ASSERT_GE(r.routes[k].size(), 2u) << k;
      EXPECT_TRUE(OnBorder(r.routes[k].front(), PlacedBox(g, r, std::size_t(g.edges[k].from)))) << k;
      EXPECT_TRUE(OnBorder(r.routes[k].back(), PlacedBox(g, r, std::size_t(g.edges[k].to)))) << k;
    }
    EXPECT_EQ(CountOverlaps(r.centres, Sizes(g), 0.5), 0);
  }
}

TEST(TreeLayout, FixedNodesStayAndThePlacedOnesKeepClearOfThem) {
  LGraph g = kvtest::MakeLayoutGraph(LayoutFamily::Tree, 60, 2);
  for (std::size_t i = 0; i < g.nodes.size(); i += 5) g.nodes[i].fixed = true;
  for (const LStyle style : {LStyle::Tree, LStyle::Snowflake}) {
    SCOPED_TRACE(int(style));
    LResult r;
    ASSERT_EQ(Lay(g, Request(style), r), LStatus::Ok);
    EXPECT_EQ(kvtest::FixedNodesMovedOrCovered(g, r), 0);
  }
}

// Deep trees are placed without recursion; one too deep for the drawing
// area is refused rather than drawn past its edge.
TEST(TreeLayout, DeepChainsArePlacedOrRefusedWhole) {
  auto chain = [](int n, double size) {
    LGraph g;
    for (int i = 0; i < n; ++i) g.nodes.push_back(kvtest::LayoutBox(0, 0, size, size));
    for (int i = 1; i < n; ++i) g.edges.push_back({i - 1, i});
    return g;
  };
  LRequest thin = Request(LStyle::Tree);
  thin.spacing.layer = 10;
  thin.spacing.node = 10;
  const LGraph deep = chain(50000, 0);
  for (const LStyle style : {LStyle::Tree, LStyle::Snowflake}) {
    SCOPED_TRACE(int(style));
    thin.style = style;
    LResult r;
    ASSERT_EQ(Lay(deep, thin, r), LStatus::Ok);
    EXPECT_EQ(CountOverlaps(r.centres, Sizes(deep), 0.5), 0);
    LResult big;
    EXPECT_EQ(Lay(chain(400, 7200), Request(style), big), LStatus::TooLarge);
  }
}

TEST(TreeLayout, BadInputWritesNothing) {
  LGraph outOfRange = kvtest::MakeLayoutGraph(LayoutFamily::Tree, 5, 1);
  outOfRange.edges.push_back({0, 5});
  LGraph fine = kvtest::MakeLayoutGraph(LayoutFamily::Tree, 5, 1);
  LSpacing negative;
  negative.layer = -1;
  LSpacing notFinite;
  notFinite.node = std::nan("");
  const struct {
    const char* what;
    const LGraph& graph;
    LSpacing spacing;
  } cases[] = {{"edge to a missing node", outOfRange, {}},
               {"negative spacing", fine, negative},
               {"spacing not finite", fine, notFinite}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LResult r;
    r.centres = {{1, 2}};
    EXPECT_EQ(LayoutTree(c.graph, {c.spacing, LOrientation::LeftToRight}, r), LStatus::BadInput);
    EXPECT_EQ(LayoutSnowflake(c.graph, c.spacing, r), LStatus::BadInput);
    EXPECT_EQ(r.centres, (std::vector<LPoint>{{1, 2}}));
  }
  LResult empty;
  EXPECT_EQ(LayoutTree(LGraph{}, {}, empty), LStatus::Ok);
  EXPECT_TRUE(empty.centres.empty());
}

}  // namespace
}  // namespace kvl
