// The layout graph on its own: how links join nodes, the classification of
// nodes by the shape of the graph around them, the shift of a structure at
// the edge of the drawing area, the packing of structures, and the placement
// of one structure (rows, levels, the radial star, the layered graph).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <set>
#include <vector>

#include "support/symtest.h"
#include "sym/layout/symlayoutgraph.h"

namespace {

class LayoutGraph : public SymFixture {
 protected:
  void TearDown() override {
    Reset();
    SymFixture::TearDown();
  }
  // Forgets the graph made so far (for the next case of a table).
  void Reset() {
    m_structs.clear();
    m_links.clear();
    m_nodes.clear();
  }
  // A node on a symbol of 1000 x 1000 at the origin (unless told).
  SSymAutoLayoutNode* Node(SSymRect r = SSymRect(0, 999, 999, 0)) {
    m_nodes.push_back(std::make_unique<SSymAutoLayoutNode>(Make<TSym>(r)->Sym()));
    return m_nodes.back().get();
  }
  std::vector<SSymAutoLayoutNode*> Nodes(int n) {
    std::vector<SSymAutoLayoutNode*> out;
    for (int i = 0; i < n; ++i) out.push_back(Node());
    return out;
  }
  SSymAutoLayoutLink* Join(SSymAutoLayoutNode* from, SSymAutoLayoutNode* to) {
    m_links.push_back(std::make_unique<SSymAutoLayoutLink>(Make<TLink>()->Sym()));
    m_links.back()->SetSourceNode(from);
    m_links.back()->SetDestNode(to);
    return m_links.back().get();
  }
  // A structure holding every node made so far, classified.
  SSymAutoLayoutStruct* Structure() {
    m_structs.push_back(std::make_unique<SSymAutoLayoutStruct>(nullptr));
    SSymAutoLayoutStruct* s = m_structs.back().get();
    for (auto& n : m_nodes)
      if (!n->m_pStruct) {
        n->m_pStruct = s;
        s->m_pending.Add(n.get());
      }
    s->DetectGraphType();
    return s;
  }
  static SSymPoint CentreOf(SSymAutoLayoutNode* n) {
    const SSymRect r = n->GetClipRect();
    return SSymPoint((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);
  }
  std::vector<std::unique_ptr<SSymAutoLayoutNode>> m_nodes;
  std::vector<std::unique_ptr<SSymAutoLayoutLink>> m_links;
  std::vector<std::unique_ptr<SSymAutoLayoutStruct>> m_structs;
};

// ---- classification --------------------------------------------------------------------------------

TEST_F(LayoutGraph, SmallShapesAreClassified) {
  struct Case {
    const char* name;
    int nodes;
    std::vector<std::pair<int, int>> links;
    std::vector<int> styles;
    std::vector<int> degrees;
  } cases[] = {
      {"a lone node", 1, {}, {GraphStyleIsolated}, {0}},
      {"a linked pair", 2, {{0, 1}}, {GraphStyleEnd, GraphStyleEnd}, {1, 1}},
      {"a self-link adds no adjacency", 1, {{0, 0}}, {GraphStyleIsolated}, {0}},
      {"two links between one pair", 2, {{0, 1}, {1, 0}}, {GraphStyleEnd, GraphStyleEnd}, {1, 1}},
      {"a star of a centre and four leaves",
       5,
       {{0, 1}, {0, 2}, {0, 3}, {0, 4}},
       {GraphStyleHierarchy, GraphStyleEnd, GraphStyleEnd, GraphStyleEnd, GraphStyleEnd},
       {4, 1, 1, 1, 1}},
      // A four-clique 0-3 of graph nodes; a ring 4-5-6 closes on node 0.
      {"a ring that closes on a graph node",
       7,
       {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}, {0, 4}, {4, 5}, {5, 6}, {6, 0}},
       {GraphStyleGraph, GraphStyleGraph, GraphStyleGraph, GraphStyleGraph, GraphStyleLoop, GraphStyleLoop,
        GraphStyleLoop},
       {5, 3, 3, 3, 2, 2, 2}},
      // Two four-cliques joined by a chain 8-9: the chain stays a chain of links.
      {"a chain between two graph nodes",
       10,
       {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}, {4, 5}, {4, 6}, {4, 7}, {5, 6}, {5, 7}, {6, 7}, {0, 8},
        {8, 9}, {9, 4}},
       {GraphStyleGraph, GraphStyleGraph, GraphStyleGraph, GraphStyleGraph, GraphStyleGraph, GraphStyleGraph,
        GraphStyleGraph, GraphStyleGraph, GraphStyleLink, GraphStyleLink},
       {4, 3, 3, 3, 4, 3, 3, 3, 2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    std::vector<SSymAutoLayoutNode*> n = Nodes(c.nodes);
    for (auto [a, b] : c.links) Join(n[a], n[b]);
    Structure();
    for (int i = 0; i < c.nodes; ++i) {
      EXPECT_EQ(n[i]->m_nGraphStyle, c.styles[i]) << i;
      EXPECT_EQ(n[i]->GetDegree(), c.degrees[i]) << i;
    }
  }
}

TEST_F(LayoutGraph, RepointingOneOfTwoParallelLinksKeepsTheOtherJoining) {
  std::vector<SSymAutoLayoutNode*> n = Nodes(3);
  SSymAutoLayoutLink* first = Join(n[0], n[1]);
  SSymAutoLayoutLink* second = Join(n[0], n[1]);
  first->SetDestNode(n[2]);
  EXPECT_TRUE(n[0]->m_adjacent.Contains(n[1])) << "the second link still joins them";
  EXPECT_TRUE(n[1]->m_adjacent.Contains(n[0]));
  EXPECT_TRUE(n[0]->m_adjacent.Contains(n[2]));
  EXPECT_FALSE(n[1]->m_links.Contains(first));
  second->SetDestNode(n[2]);
  EXPECT_FALSE(n[0]->m_adjacent.Contains(n[1])) << "no link joins them any more";
  EXPECT_FALSE(n[1]->m_adjacent.Contains(n[0]));
  EXPECT_EQ(n[0]->GetDegree(), 1);
}

// A hub joined to every member of a ring: all are graph nodes, and the hub
// has as many distinct graph neighbours as the ring has members.
TEST_F(LayoutGraph, ComplexGraphThresholdIsSixGraphNeighbours) {
  for (int ring : {5, 6}) {
    SCOPED_TRACE(ring);
    Reset();
    SSymAutoLayoutNode* hub = Node();
    std::vector<SSymAutoLayoutNode*> r = Nodes(ring);
    for (int i = 0; i < ring; ++i) {
      Join(hub, r[i]);
      Join(r[i], r[(i + 1) % ring]);
    }
    SSymAutoLayoutStruct* s = Structure();
    ASSERT_EQ(hub->m_nGraphStyle, GraphStyleGraph);
    EXPECT_EQ(hub->CountGraphNeighbours(), ring);
    EXPECT_EQ(s->ShouldIsolateComplexGraphs(hub), ring >= 6);
    EXPECT_EQ(s->GetBestMovableNode(0), hub) << "the most connected graph node starts";
  }
}

// ---- the shift of a structure ------------------------------------------------------------------------

TEST_F(LayoutGraph, MoveStructStopsAtTheEdgeOfTheDrawingArea) {
  struct Case {
    const char* name;
    SSymRect rect;
    LONG dx, dy;
    SSymRect want;
  } cases[] = {
      {"right", SSymRect(0, 1000, 1000, 0), 2000000, 0, SSymRect(899000, 1000, 900000, 0)},
      {"left", SSymRect(0, 1000, 1000, 0), -2000000, 0, SSymRect(-900000, 1000, -899000, 0)},
      {"up", SSymRect(0, 1000, 1000, 0), 0, 1000000, SSymRect(0, 900000, 1000, 899000)},
      {"down", SSymRect(0, 1000, 1000, 0), 0, -1000000, SSymRect(0, -899000, 1000, -900000)},
      {"within", SSymRect(0, 1000, 1000, 0), 5000, -5000, SSymRect(5000, -4000, 6000, -5000)},
      {"a single point is not limited", SSymRect(10, 10, 10, 10), 2000000, 0, SSymRect(2000010, 10, 2000010, 10)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymAutoLayoutStruct s(nullptr);
    SSymAutoLayoutNode* n = Node();
    s.m_placed.Add(n);
    s.m_rect = c.rect;
    s.MoveStruct(c.dx, c.dy);
    EXPECT_EQ(s.GetClipRect(), c.want);
    EXPECT_EQ(n->m_dx, c.want.x1 - c.rect.x1) << "the node takes the limited shift";
    EXPECT_EQ(n->m_dy, c.want.y1 - c.rect.y1);
    EXPECT_TRUE(s.m_bMoved);
  }
}

// ---- packing --------------------------------------------------------------------------------------------

TEST_F(LayoutGraph, PackingStartsFromAnAreaOfOneAndAHalfTimesTheStructures) {
  struct Case {
    const char* name;
    LONG side;         // two square structures of this side
    LONG firstCorner;  // the first one's upper-left corner (-c, c)
  } cases[] = {
      {"two of 1000: the area's side is 1732", 1000, 867},
      // 2 x 100000^2 overflows 32 bits: the side is sqrt(3e10) = 173205.
      {"two of 100000", 100000, 86603},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymAutoLayoutStruct a(nullptr), b(nullptr);
    a.m_rect = b.m_rect = SSymRect(0, c.side - 1, c.side - 1, 0);
    std::vector<SSymAutoLayoutStruct*> all{&a, &b};
    SSymAutoLayoutPacking::PackStructures(all, 0, 0, 0, 0, 0);
    EXPECT_EQ(a.GetClipRect().GetMinX(), -c.firstCorner);
    EXPECT_EQ(a.GetClipRect().GetMaxY(), c.firstCorner);
    EXPECT_TRUE(b.m_bPlacedInPack);
    const SSymRect ra = a.GetClipRect(), rb = b.GetClipRect();
    EXPECT_TRUE(rb.GetMinX() > ra.GetMaxX() || rb.GetMaxY() < ra.GetMinY()) << "side by side, not over each other";
  }
}

// ---- placement -------------------------------------------------------------------------------------------

TEST_F(LayoutGraph, ALevelOfMoreThanTwentyNodesIsCutIntoColumns) {
  struct Case {
    int nodes;
    std::size_t columns, rows;
  } cases[] = {{20, 20, 1}, {21, 11, 2}, {41, 14, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nodes);
    Reset();
    std::vector<SSymAutoLayoutNode*> level = Nodes(c.nodes);
    SSymAutoLayoutStruct* s = Structure();
    LONG y = 0;
    s->FixHierarchyLevel(level, 1, 0, y);
    std::set<LONG> xs, ys;
    for (SSymAutoLayoutNode* n : level) {
      EXPECT_TRUE(n->m_bPlaced);
      xs.insert(n->GetClipRect().GetMinX());
      ys.insert(n->GetClipRect().GetMaxY());
    }
    EXPECT_EQ(xs.size(), c.columns);
    EXPECT_EQ(ys.size(), c.rows);
  }
}

TEST_F(LayoutGraph, ADiamondIsLaidOutInThreeLevels) {
  std::vector<SSymAutoLayoutNode*> n = Nodes(4);  // a, b, c, d
  Join(n[0], n[1]);
  Join(n[0], n[2]);
  Join(n[1], n[3]);
  Join(n[2], n[3]);
  SSymAutoLayoutStruct* s = Structure();
  ASSERT_EQ(s->PerformAutoLayout(), 1);
  auto top = [&](int i) { return n[i]->GetClipRect().GetMaxY(); };
  EXPECT_EQ(top(1), top(2)) << "b and c share a level";
  EXPECT_GT(top(0), top(1)) << "a above them";
  EXPECT_GT(top(1), top(3)) << "d below them";
  EXPECT_NE(n[1]->GetClipRect().GetMinX(), n[2]->GetClipRect().GetMinX());
  EXPECT_EQ(s->m_placed.GetCount(), 4);
  EXPECT_EQ(s->m_pending.GetCount(), 0);
}

TEST_F(LayoutGraph, ATreeComesOutWithItsRootAtTheTopWhicheverWayItsLinksPoint) {
  for (bool childToParent : {true, false}) {
    SCOPED_TRACE(childToParent ? "child to parent" : "parent to child");
    Reset();
    std::vector<SSymAutoLayoutNode*> n = Nodes(4);  // root, two children, a grandchild
    auto tie = [&](SSymAutoLayoutNode* parent, SSymAutoLayoutNode* child) {
      childToParent ? Join(child, parent) : Join(parent, child);
    };
    tie(n[0], n[1]);
    tie(n[0], n[2]);
    tie(n[1], n[3]);
    SSymAutoLayoutStruct* s = Structure();
    ASSERT_EQ(s->PerformAutoLayout(), 1);
    auto top = [&](int i) { return n[i]->GetClipRect().GetMaxY(); };
    EXPECT_GT(top(0), top(1));
    EXPECT_EQ(top(1), top(2));
    EXPECT_GT(top(1), top(3));
  }
}

TEST_F(LayoutGraph, ASixNodeStarIsLaidOutRadially) {
  SSymAutoLayoutNode* centre = Node(SSymRect(5000, 7000, 6999, 5000));
  std::vector<SSymAutoLayoutNode*> leaves = Nodes(5);
  for (SSymAutoLayoutNode* l : leaves) Join(centre, l);
  SSymAutoLayoutStruct* s = Structure();
  ASSERT_EQ(centre->m_nGraphStyle, GraphStyleHierarchy);
  ASSERT_EQ(s->PerformAutoLayout(), 1);
  EXPECT_EQ(CentreOf(centre), SSymPoint(0, 0)) << "the centre on the origin";
  // Each leaf's outline touches one circle: its centre stands the radius
  // plus its own reach towards the centre away from the origin.
  auto radius = [&](SSymAutoLayoutNode* leaf, double angle) {
    const SSymPoint p = CentreOf(leaf);
    const double ux = std::abs(std::cos(angle)), uy = std::abs(std::sin(angle));
    const double reach = std::min(ux > 1e-9 ? 499.5 / ux : 1e18, uy > 1e-9 ? 499.5 / uy : 1e18);
    return std::hypot(p.x, p.y) - reach;
  };
  const double r0 = radius(leaves[0], 0);
  EXPECT_NEAR(r0, 2000 + 2500, 3) << "sqrt((w^2 + h^2) / 2) of the centre plus the horizontal spacing";
  for (std::size_t i = 0; i < leaves.size(); ++i) {
    SCOPED_TRACE(i);
    const SSymPoint p = CentreOf(leaves[i]);
    double angle = std::atan2(p.y, p.x) * 180 / std::numbers::pi;
    if (angle < -1) angle += 360;
    EXPECT_NEAR(angle, 72.0 * static_cast<double>(i), 1.0) << "one leaf every fifth of a turn";
    EXPECT_NEAR(radius(leaves[i], angle * std::numbers::pi / 180), r0, 3.0) << "all touch one circle";
  }
  // With a leaf that has a second neighbour the star is no longer radial.
  Reset();
  SSymAutoLayoutNode* c2 = Node();
  std::vector<SSymAutoLayoutNode*> l2 = Nodes(5);
  for (SSymAutoLayoutNode* l : l2) Join(c2, l);
  Join(l2[0], Node());
  SSymAutoLayoutStruct* s2 = Structure();
  s2->PerformAutoLayout();
  EXPECT_NE(CentreOf(c2), SSymPoint(0, 0));
}

TEST_F(LayoutGraph, UnlinkedNodesFillRowsThatWrapPastTheLimit) {
  // 60 nodes of 10000 x 10000: the row limit is sqrt(1.5 x 59 x 2e8), the
  // sum taken when the first node has left the pending ones.
  std::vector<SSymAutoLayoutNode*> n;
  for (int i = 0; i < 60; ++i) n.push_back(Node(SSymRect(0, 9999, 9999, 0)));
  SSymAutoLayoutStruct* s = Structure();
  ASSERT_EQ(s->PerformAutoLayout(), 1);
  EXPECT_EQ(s->m_nRowLimit, static_cast<LONG>(std::sqrt(1.5 * 59 * 2e8)));
  EXPECT_EQ(n[1]->GetClipRect().GetMinX(), 10000 + 2500);
  // Each node moves the cursor 12,500: the eleventh passes the limit and
  // stays; the twelfth starts the next row, one vertical spacing lower.
  EXPECT_EQ(n[10]->GetClipRect().GetMaxY(), 0);
  EXPECT_EQ(n[11]->GetClipRect().GetMinX(), 0);
  EXPECT_EQ(n[11]->GetClipRect().GetMaxY(), -10000 - 5000);
}

}  // namespace
