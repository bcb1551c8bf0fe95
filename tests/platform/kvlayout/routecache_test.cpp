// What the engine keeps between calls: routes made again only where an edit
// can change them must equal routes made from nothing, and the crossing
// index must equal a count over every pair of links, after any edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "kvlayout/engine/routecache.h"
#include "support/layout_graphs.h"

namespace {

using kvl::LBox;
using kvl::LEdge;
using kvl::LGraph;
using kvl::LPoint;
using kvl::LStatus;
using kvtest::LayoutRng;
using Routes = std::vector<std::vector<LPoint>>;

// A diagram being edited: its graph and the keys of its symbols and links.
struct Scene {
  LGraph graph;
  std::vector<std::uint64_t> nodeKeys, edgeKeys;
  std::uint64_t nextKey = 1;

  void AddNode(const LBox& box) {
    graph.nodes.push_back({box, true, -1});
    nodeKeys.push_back(nextKey++);
  }
  void AddEdge(int from, int to, kvl::LRouteKeep keep = kvl::LRouteKeep::Nothing) {
    LEdge e;
    e.from = from;
    e.to = to;
    e.keep = keep;
    graph.edges.push_back(e);
    edgeKeys.push_back(nextKey++);
  }
  void RemoveEdge(std::size_t k) {
    graph.edges.erase(graph.edges.begin() + std::ptrdiff_t(k));
    edgeKeys.erase(edgeKeys.begin() + std::ptrdiff_t(k));
  }
  void RemoveNode(int i) {
    for (std::size_t k = graph.edges.size(); k-- > 0;)
      if (graph.edges[k].from == i || graph.edges[k].to == i) RemoveEdge(k);
    for (LEdge& e : graph.edges) {
      if (e.from > i) --e.from;
      if (e.to > i) --e.to;
    }
    graph.nodes.erase(graph.nodes.begin() + i);
    nodeKeys.erase(nodeKeys.begin() + i);
  }
};

LBox BoxAt(LayoutRng& rng, double x, double y) {
  const double w = 1200 + 300 * rng.Below(6), h = 800 + 200 * rng.Below(6);
  return {x, y, x + w, y + h};
}

// Boxes on a jittered grid inside a fixed frame (its corners never move,
// so most edits leave the drawing's extent alone), linked mostly to near
// neighbours.
Scene MakeScene(std::uint64_t seed, int side) {
  LayoutRng rng(seed);
  Scene s;
  const double step = 6000, far = step * side;
  s.AddNode({-2000, -2000, -1000, -1000});
  s.AddNode({far + 1000, far + 1000, far + 2000, far + 2000});
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j) {
      // One draw a statement: the order of draws within one expression is
      // the compiler's, and would make another scene under another compiler.
      const double y = j * step + rng.Below(1500);
      const double x = i * step + rng.Below(1500);
      s.AddNode(BoxAt(rng, x, y));
    }
  const int n = int(s.graph.nodes.size());
  for (int k = 0; k < n * 3 / 2; ++k) {
    const int a = 2 + rng.Below(n - 2);
    int b = 0;
    if (rng.Below(4) == 0) {
      b = 2 + rng.Below(n - 2);
    } else {
      const int across = rng.Below(5) - 2;
      b = std::clamp(a + across + side * (rng.Below(3) - 1), 2, n - 1);
    }
    s.AddEdge(a, b, rng.Below(12) == 0 ? kvl::LRouteKeep::Ends : kvl::LRouteKeep::Nothing);
  }
  for (LEdge& e : s.graph.edges) {
    const LBox& a = s.graph.nodes[std::size_t(e.from)].box;
    const LBox& b = s.graph.nodes[std::size_t(e.to)].box;
    e.points = {{a.x1, a.Centre().y}, {b.x0, b.Centre().y}};
  }
  return s;
}

// One random edit of the scene: moves and resizes of boxes, boxes and links
// that come and go, links whose kept state changes.
void Edit(Scene& s, LayoutRng& rng) {
  const int n = int(s.graph.nodes.size());
  const int i = 2 + rng.Below(n - 2);
  LBox& b = s.graph.nodes[std::size_t(i)].box;
  switch (rng.Below(7)) {
    case 0:
    case 1: {  // a move
      const double dx = 500.0 * (rng.Below(13) - 6), dy = 500.0 * (rng.Below(13) - 6);
      b = {b.x0 + dx, b.y0 + dy, b.x1 + dx, b.y1 + dy};
      break;
    }
    case 2:  // a resize
      b = {b.x0, b.y0, b.x1 + 400.0 * (rng.Below(5) - 2 + 3), b.y1 + 200.0 * rng.Below(4)};
      break;
    case 3: {  // a new box with a link to an old one
      const double y = b.y0 - 2000 + rng.Below(4000);
      const double x = b.x1 + 1500 + rng.Below(2000);
      s.AddNode(BoxAt(rng, x, y));
      s.AddEdge(int(s.graph.nodes.size()) - 1, i);
      break;
    }
    case 4:
      if (n > 10) s.RemoveNode(i);
      break;
    case 5:
      if (!s.graph.edges.empty() && rng.Below(2)) s.RemoveEdge(std::size_t(rng.Below(int(s.graph.edges.size()))));
      else s.AddEdge(i, 2 + rng.Below(n - 2));
      break;
    default: {  // what the person did to a route changes
      if (s.graph.edges.empty()) break;
      LEdge& e = s.graph.edges[std::size_t(rng.Below(int(s.graph.edges.size())))];
      e.keep = static_cast<kvl::LRouteKeep>(rng.Below(3) == 0 ? 4 : rng.Below(2));
      break;
    }
  }
}

Routes Full(const Scene& s) {
  Routes routes;
  EXPECT_EQ(kvl::RouteOrthogonal(s.graph, {}, {}, routes), LStatus::Ok);
  return routes;
}

TEST(RouteCache, RoutesAfterRandomEditsEqualAFreshRouting) {
  for (std::uint64_t seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE(seed);
    Scene s = MakeScene(seed, 7);
    LayoutRng rng(seed + 100);
    kvl::RouteCache cache;
    Routes routes;
    int reused = 0;
    for (int round = 0; round < 40; ++round) {
      ASSERT_EQ(cache.Route(s.graph, s.nodeKeys, s.edgeKeys, {}, routes), LStatus::Ok);
      ASSERT_EQ(routes, Full(s)) << "round " << round;
      if (!cache.LastStats().full && cache.LastStats().secondPasses < int(s.graph.edges.size())) ++reused;
      for (int e = 0, edits = 1 + rng.Below(3); e < edits; ++e) Edit(s, rng);
    }
    // The point of the cache: most calls made only some routes again.
    EXPECT_GT(reused, 30);
  }
}

TEST(RouteCache, AnUntouchedDiagramIsAnsweredFromTheCache) {
  Scene s = MakeScene(9, 5);
  kvl::RouteCache cache;
  Routes first, second;
  ASSERT_EQ(cache.Route(s.graph, s.nodeKeys, s.edgeKeys, {}, first), LStatus::Ok);
  EXPECT_TRUE(cache.LastStats().full);
  ASSERT_EQ(cache.Route(s.graph, s.nodeKeys, s.edgeKeys, {}, second), LStatus::Ok);
  EXPECT_EQ(cache.LastStats().firstPasses + cache.LastStats().secondPasses, 0);
  EXPECT_TRUE(cache.Moved().empty());
  EXPECT_EQ(first, second);
}

// Keys that come back for other symbols and links (the address of a deleted
// symbol, reused), options that change, a cache that was cleared: always
// the routes a fresh routing gives.
TEST(RouteCache, ReusedKeysChangedOptionsAndClearingGiveFreshRoutes) {
  Scene s = MakeScene(5, 5);
  kvl::RouteCache cache;
  Routes routes;
  ASSERT_EQ(cache.Route(s.graph, s.nodeKeys, s.edgeKeys, {}, routes), LStatus::Ok);
  // Every key now names another symbol or link.
  std::rotate(s.nodeKeys.begin(), s.nodeKeys.begin() + 3, s.nodeKeys.end());
  std::rotate(s.edgeKeys.begin(), s.edgeKeys.begin() + 5, s.edgeKeys.end());
  ASSERT_EQ(cache.Route(s.graph, s.nodeKeys, s.edgeKeys, {}, routes), LStatus::Ok);
  EXPECT_EQ(routes, Full(s));

  kvl::LRouteOptions wide;
  wide.spacing.edgeNode = 1400;
  ASSERT_EQ(cache.Route(s.graph, s.nodeKeys, s.edgeKeys, wide, routes), LStatus::Ok);
  Routes fresh;
  ASSERT_EQ(kvl::RouteOrthogonal(s.graph, {}, wide, fresh), LStatus::Ok);
  EXPECT_EQ(routes, fresh);

  cache.Clear();
  s.graph.nodes[4].box.x0 -= 700;
  ASSERT_EQ(cache.Route(s.graph, s.nodeKeys, s.edgeKeys, {}, routes), LStatus::Ok);
  EXPECT_TRUE(cache.LastStats().full);
  EXPECT_EQ(routes, Full(s));
}

TEST(RouteCache, BadKeysAreRefusedAndChangeNothing) {
  Scene s = MakeScene(6, 3);
  kvl::RouteCache cache;
  Routes routes;
  ASSERT_EQ(cache.Route(s.graph, s.nodeKeys, s.edgeKeys, {}, routes), LStatus::Ok);
  const Routes before = routes;
  struct Case {
    const char* what;
    std::vector<std::uint64_t> nodes, edges;
  };
  std::vector<std::uint64_t> twiceNode = s.nodeKeys, twiceEdge = s.edgeKeys;
  twiceNode[1] = twiceNode[0];
  twiceEdge[2] = twiceEdge[0];
  const Case cases[] = {
      {"a node key too few", {s.nodeKeys.begin() + 1, s.nodeKeys.end()}, s.edgeKeys},
      {"an edge key too many", s.nodeKeys, [&] { auto k = s.edgeKeys; k.push_back(999999); return k; }()},
      {"two nodes alike", twiceNode, s.edgeKeys},
      {"two edges alike", s.nodeKeys, twiceEdge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Routes out;
    EXPECT_EQ(cache.Route(s.graph, c.nodes, c.edges, {}, out), LStatus::BadInput);
  }
  ASSERT_EQ(cache.Route(s.graph, s.nodeKeys, s.edgeKeys, {}, routes), LStatus::Ok);
  EXPECT_EQ(cache.LastStats().secondPasses, 0);
  EXPECT_EQ(routes, before);
}

// ---- the crossing index ---------------------------------------------------

std::vector<LPoint> RandomLine(LayoutRng& rng) {
  std::vector<LPoint> p{{double(rng.Below(60000)), double(rng.Below(60000))}};
  const bool slanted = rng.Below(5) == 0;
  for (int i = 0, n = 1 + rng.Below(5); i < n; ++i) {
    LPoint q = p.back();
    const double d = double(rng.Below(30000) - 15000);
    if (slanted) q = {q.x + d, q.y + double(rng.Below(20000) - 10000)};
    else if (i % 2) q.y += d;
    else q.x += d;
    p.push_back(q);
  }
  return p;
}

// Every crossing of a line with the others, pair by pair.
std::vector<kvl::LCrossing> BruteForce(const std::vector<LPoint>& line, const std::vector<std::vector<LPoint>>& others) {
  std::vector<kvl::LCrossing> out;
  double start = 0;
  for (std::size_t s = 0; s + 1 < line.size(); ++s) {
    const double len = std::hypot(line[s + 1].x - line[s].x, line[s + 1].y - line[s].y);
    for (const auto& o : others)
      for (std::size_t t = 0; t + 1 < o.size(); ++t) {
        LPoint at;
        double share;
        if (!(line[s] == line[s + 1]) && !(o[t] == o[t + 1]) && kvl::SegmentsCross(line[s], line[s + 1], o[t], o[t + 1], at, share))
          out.push_back({at, start + share * len});
      }
    start += len;
  }
  std::sort(out.begin(), out.end(), [](const kvl::LCrossing& a, const kvl::LCrossing& b) {
    return std::tie(a.along, a.at.x, a.at.y) < std::tie(b.along, b.at.x, b.at.y);
  });
  return out;
}

TEST(CrossingIndex, EqualsACountOverEveryPairAfterRandomEdits) {
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    LayoutRng rng(seed);
    std::vector<std::vector<LPoint>> lines(80);
    std::vector<char> present(lines.size(), 0);
    kvl::CrossingIndex index;
    for (int round = 0; round < 300; ++round) {
      const std::size_t k = std::size_t(rng.Below(int(lines.size())));
      if (present[k] && rng.Below(4) == 0) {
        index.Remove(k);
        present[k] = 0;
      } else {
        lines[k] = RandomLine(rng);
        index.Set(k, lines[k]);
        present[k] = 1;
      }
      if (round % 50 != 49) continue;
      for (std::size_t a = 0; a < lines.size(); ++a) {
        ASSERT_EQ(index.Has(a), bool(present[a]));
        if (!present[a]) continue;
        // Each link against the links before it.
        std::vector<std::vector<LPoint>> under;
        for (std::size_t b = 0; b < a; ++b)
          if (present[b]) under.push_back(lines[b]);
        const auto got = index.CrossingsOf(a, [&](std::uint64_t other) { return other < a; });
        ASSERT_EQ(got, BruteForce(lines[a], under)) << "link " << a << " round " << round;
      }
    }
  }
}

TEST(CrossingIndex, SettingTheSamePointsReindexesNothing) {
  kvl::CrossingIndex index;
  const std::vector<LPoint> h{{0, 0}, {100, 0}}, v{{50, -50}, {50, 50}};
  index.Set(1, h);
  index.Set(2, v);
  EXPECT_EQ(index.Reindexed(), 2u);
  index.Set(1, h);
  EXPECT_EQ(index.Reindexed(), 2u);
  const auto all = [](std::uint64_t) { return true; };
  ASSERT_EQ(index.CrossingsOf(1, all).size(), 1u);
  EXPECT_EQ(index.CrossingsOf(1, all)[0], (kvl::LCrossing{{50, 0}, 50}));
  EXPECT_EQ(index.CrossingsOf(2, all)[0], (kvl::LCrossing{{50, 0}, 50}));
  // Keeping only other links takes a link and its crossings out.
  index.Set(3, {{20, -50}, {20, 50}});
  index.KeepOnly({1, 2});
  EXPECT_FALSE(index.Has(3));
  EXPECT_EQ(index.CrossingsOf(1, all).size(), 1u);
  // Points that are not finite take the link out; it crosses nothing.
  index.Set(2, {{50, -50}, {50, std::nan("")}});
  EXPECT_FALSE(index.Has(2));
  EXPECT_TRUE(index.CrossingsOf(1, all).empty());
}

}  // namespace
