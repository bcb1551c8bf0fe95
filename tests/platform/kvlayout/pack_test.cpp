// The engine's packing and its dispatch on plain arrays: components are
// found in node order, packed without overlaps inside the drawing area
// (thousands of them, mixed sizes, nodes of size 0), under the nodes that
// stay, the same way every time; what cannot fit, does not match or is not
// built yet is refused with the result untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "kvlayout/engine/dispatch.h"
#include "kvlayout/engine/pack.h"

namespace {

using kvl::LBox;
using kvl::LGraph;
using kvl::LPoint;
using kvl::LResult;
using kvl::LStatus;

kvl::LNode Node(double x, double y, double w, double h, bool fixed = false) {
  kvl::LNode n;
  n.box = {x, y, x + w, y + h};
  n.fixed = fixed;
  return n;
}

kvl::LEdge Edge(int from, int to) {
  kvl::LEdge e;
  e.from = from;
  e.to = to;
  return e;
}

LResult AsTheyStand(const LGraph& g) {
  LResult r;
  for (const kvl::LNode& n : g.nodes) r.centres.push_back(n.box.Centre());
  return r;
}

LBox Placed(const LGraph& g, const LResult& r, size_t i) {
  const LBox& b = g.nodes[i].box;
  const LPoint c = r.centres[i];
  return {c.x - b.Width() / 2, c.y - b.Height() / 2, c.x + b.Width() / 2, c.y + b.Height() / 2};
}

bool Overlap(const LBox& a, const LBox& b) { return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1; }

// No two nodes of different components overlap, all inside the area.
void ExpectPacked(const LGraph& g, const LResult& r) {
  int count = 0;
  const std::vector<int> comp = kvl::Components(g, count);
  std::vector<LBox> extent(size_t(count), LBox{1e18, 1e18, -1e18, -1e18});
  for (size_t i = 0; i < g.nodes.size(); ++i) {
    const LBox b = Placed(g, r, i);
    EXPECT_GE(b.x0, -kvl::kLimit);
    EXPECT_LE(b.x1, kvl::kLimit);
    EXPECT_GE(b.y0, -kvl::kLimit);
    EXPECT_LE(b.y1, kvl::kLimit);
    if (comp[i] < 0) continue;
    LBox& e = extent[size_t(comp[i])];
    e = {std::min(e.x0, b.x0), std::min(e.y0, b.y0), std::max(e.x1, b.x1), std::max(e.y1, b.y1)};
  }
  for (size_t i = 0; i < g.nodes.size(); ++i) {
    for (size_t j = 0; j < extent.size(); ++j) {
      if (comp[i] == int(j)) continue;
      EXPECT_FALSE(Overlap(Placed(g, r, i), extent[j])) << i << " " << j;
    }
  }
}

TEST(EnginePack, ComponentsFollowNodeOrderAndLeaveFixedNodesOut) {
  LGraph g;
  for (int i = 0; i < 6; ++i) g.nodes.push_back(Node(i * 100, 0, 10, 10, i == 5));
  g.edges = {Edge(3, 1), Edge(4, 4), Edge(2, 5), Edge(0, 0), Edge(1, 3)};  // a multi-link, self-links, a fixed end
  int count = 0;
  EXPECT_EQ(kvl::Components(g, count), (std::vector<int>{0, 1, 2, 1, 3, -1}));
  EXPECT_EQ(count, 4);
}

TEST(EnginePack, GraphFamiliesPackWithoutOverlapsInsideTheArea) {
  struct {
    const char* name;
    int nodes, edges;
    double minSize, maxSize;
    int fixed;
  } cases[] = {
      {"lone nodes", 3000, 0, 500, 3000, 0},
      {"many small components, mixed sizes", 2000, 1500, 0, 20000, 0},
      {"size-0 nodes", 200, 100, 0, 0, 0},
      {"under nodes that stay", 300, 200, 1000, 4000, 20},
  };
  for (const auto& c : cases) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> size(c.minSize, c.maxSize), at(-200000, 200000);
    LGraph g;
    for (int i = 0; i < c.nodes; ++i) g.nodes.push_back(Node(at(rng), at(rng), size(rng), size(rng), i < c.fixed));
    // Neighbours in node order are linked: components of a few nodes each,
    // spread over the whole input.
    std::uniform_int_distribution<int> pick(0, c.nodes - 2);
    std::vector<int> froms;
    for (int k = 0; k < c.edges; ++k) froms.push_back(pick(rng));
    std::sort(froms.begin(), froms.end());
    for (int from : froms) {
      g.edges.push_back(Edge(from, from + 1));
      g.nodes[size_t(from + 1)].box = g.nodes[size_t(from)].box;  // neighbours stand together
    }
    LResult r = AsTheyStand(g);
    ASSERT_EQ(kvl::Pack(g, kvl::LSpacing(), r), LStatus::Ok) << c.name;
    ExpectPacked(g, r);
    for (int i = 0; i < c.fixed; ++i) EXPECT_EQ(r.centres[size_t(i)], g.nodes[size_t(i)].box.Centre()) << c.name;
    if (c.fixed) {
      double lowestFixed = 1e18, highestMoved = -1e18;
      for (size_t i = 0; i < g.nodes.size(); ++i) {
        if (int(i) < c.fixed)
          lowestFixed = std::min(lowestFixed, g.nodes[i].box.y0);
        else
          highestMoved = std::max(highestMoved, Placed(g, r, i).y1);
      }
      EXPECT_LE(highestMoved, lowestFixed - kvl::LSpacing().layer) << c.name;
    }
    // The same input packs the same way.
    LResult again = AsTheyStand(g);
    ASSERT_EQ(kvl::Pack(g, kvl::LSpacing(), again), LStatus::Ok);
    EXPECT_EQ(again.centres, r.centres) << c.name;
  }
}

TEST(EnginePack, AComponentKeepsItsShapeAndItsRoutesMoveWithIt) {
  LGraph g;
  g.nodes = {Node(0, 0, 100, 100), Node(1000, 500, 100, 100), Node(5000, 0, 100, 100, true)};
  g.edges = {Edge(0, 1), Edge(1, 2)};
  LResult r = AsTheyStand(g);
  r.routes = {{{50, 50}, {1050, 50}, {1050, 550}}, {{1050, 550}, {5050, 50}}};
  ASSERT_EQ(kvl::Pack(g, kvl::LSpacing(), r), LStatus::Ok);
  const double dx = r.centres[0].x - 50, dy = r.centres[0].y - 50;
  EXPECT_EQ(r.centres[1], (LPoint{1050 + dx, 550 + dy}));
  EXPECT_EQ(r.routes[0][1], (LPoint{1050 + dx, 50 + dy}));
  EXPECT_TRUE(r.routes[1].empty()) << "to a node that stays: the router's";
}

TEST(EnginePack, WhatCannotFitOrDoesNotMatchIsRefusedUntouched) {
  struct {
    const char* name;
    LGraph graph;
    size_t centres;
    LStatus status;
  } cases[] = {
      {"a node wider than the area", {{Node(0, 0, 2e6, 10)}, {}}, 1, LStatus::TooLarge},
      {"too many too big", {std::vector<kvl::LNode>(400, Node(0, 0, 90000, 90000)), {}}, 400, LStatus::TooLarge},
      {"centres missing", {{Node(0, 0, 10, 10), Node(50, 0, 10, 10)}, {}}, 1, LStatus::BadInput},
  };
  for (auto& c : cases) {
    LResult r = AsTheyStand(c.graph);
    r.centres.resize(c.centres);
    const LResult before = r;
    EXPECT_EQ(kvl::Pack(c.graph, kvl::LSpacing(), r), c.status) << c.name;
    EXPECT_EQ(r.centres, before.centres) << c.name;
  }
  // Below nodes that stay at the bottom of the area there is no room.
  LGraph low{{Node(0, -899000, 10, 10, true), Node(0, 0, 10, 10)}, {}};
  LResult r = AsTheyStand(low);
  EXPECT_EQ(kvl::Pack(low, kvl::LSpacing(), r), LStatus::TooLarge);
}

TEST(EngineDispatch, StylesNotBuiltAreUnsupportedKeepingNodesOnlyPacksAndRoutingIsAsked) {
  LGraph g{{Node(0, 0, 100, 100), Node(300, 0, 100, 100), Node(0, 0, 100, 100)}, {Edge(0, 1)}};
  for (int style = 0; style <= 5; ++style) {
    kvl::LRequest request;
    request.style = static_cast<kvl::LStyle>(style);
    LResult r;
    EXPECT_EQ(kvl::Lay(g, request, r), kvl::HasStyle(request.style) ? LStatus::Ok : LStatus::Unsupported) << style;
    request.keepNodes = true;
    ASSERT_EQ(kvl::Lay(g, request, r), LStatus::Ok) << style;
    ExpectPacked(g, r);
    EXPECT_EQ(r.centres[1].x - r.centres[0].x, 300) << style;
  }
  kvl::LRequest request;
  request.style = static_cast<kvl::LStyle>(9);
  request.keepNodes = false;
  LResult r;
  EXPECT_EQ(kvl::Lay(g, request, r), LStatus::BadInput);
  // Input the checks refuse never reaches a style.
  LGraph bad{{Node(0, 0, 10, 10)}, {Edge(0, 3)}};
  request.keepNodes = true;
  EXPECT_EQ(kvl::Lay(bad, request, r), LStatus::BadInput);
  // Routing touches only the edges asked for.
  EXPECT_EQ(kvl::Route(g, request, {}, r), LStatus::Ok);
  EXPECT_TRUE(r.routes[0].empty());
  ASSERT_EQ(kvl::Route(g, request, {0}, r), LStatus::Ok);
  EXPECT_GE(r.routes[0].size(), 2u);
  EXPECT_EQ(kvl::Route(bad, request, {0}, r), LStatus::BadInput);
}

}  // namespace
