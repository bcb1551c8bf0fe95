// Seeded graph families for the layout engine's tests and benchmarks: the
// same seed gives the same graph on every machine (own generator, no
// standard distributions).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "kvlayout/engine/lgraph.h"

namespace kvtest {

class LayoutRng {
 public:
  explicit LayoutRng(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ULL + 1) {}
  std::uint64_t Next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 7;
    m_state ^= m_state << 17;
    return m_state;
  }
  int Below(int n) { return n <= 0 ? 0 : int(Next() % std::uint64_t(n)); }

 private:
  std::uint64_t m_state;
};

enum class LayoutFamily { Dag, Tree, DataModel, Components, MixedSizes };

inline const char* FamilyName(LayoutFamily f) {
  switch (f) {
    case LayoutFamily::Dag: return "dag";
    case LayoutFamily::Tree: return "tree";
    case LayoutFamily::DataModel: return "datamodel";
    case LayoutFamily::Components: return "components";
    case LayoutFamily::MixedSizes: return "mixedsizes";
  }
  return "?";
}

// A box of w x h units with its lower left corner at (x, y).
inline kvl::LNode LayoutBox(double x, double y, double w, double h) { return kvl::LNode{{x, y, x + w, y + h}}; }

// Node i's box moved to where the result puts its centre.
inline kvl::LBox PlacedBox(const kvl::LGraph& g, const kvl::LResult& r, std::size_t i) {
  const kvl::LBox& b = g.nodes[i].box;
  const kvl::LPoint c = r.centres[i];
  return {c.x - b.Width() / 2, c.y - b.Height() / 2, c.x + b.Width() / 2, c.y + b.Height() / 2};
}

// How many fixed nodes the result moved, plus how many pairs of a fixed
// node and a placed one overlap: 0 when the nodes that stay are respected.
inline int FixedNodesMovedOrCovered(const kvl::LGraph& g, const kvl::LResult& r) {
  int faults = 0;
  for (std::size_t i = 0; i < g.nodes.size(); ++i) {
    if (!g.nodes[i].fixed) continue;
    faults += !(r.centres[i] == g.nodes[i].box.Centre());
    const kvl::LBox a = PlacedBox(g, r, i);
    for (std::size_t j = 0; j < g.nodes.size(); ++j) {
      if (g.nodes[j].fixed) continue;
      const kvl::LBox b = PlacedBox(g, r, j);
      faults += a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
    }
  }
  return faults;
}

// Positive when a node moves forward along the placement from a to b.
inline double Along(kvl::LOrientation o, const kvl::LPoint& a, const kvl::LPoint& b) {
  switch (o) {
    case kvl::LOrientation::TopToBottom: return a.y - b.y;
    case kvl::LOrientation::BottomToTop: return b.y - a.y;
    case kvl::LOrientation::LeftToRight: return b.x - a.x;
    case kvl::LOrientation::RightToLeft: return a.x - b.x;
  }
  return 0;
}

// Whether p lies on the border of b (within `e` units).
inline bool OnBorder(const kvl::LPoint& p, const kvl::LBox& b, double e = 1) {
  const bool inside = p.x >= b.x0 - e && p.x <= b.x1 + e && p.y >= b.y0 - e && p.y <= b.y1 + e;
  const bool edge =
      std::abs(p.x - b.x0) <= e || std::abs(p.x - b.x1) <= e || std::abs(p.y - b.y0) <= e || std::abs(p.y - b.y1) <= e;
  return inside && edge;
}

// The graph with every node's box where the result puts it.
inline kvl::LGraph PlacedGraph(const kvl::LGraph& g, const kvl::LResult& r) {
  kvl::LGraph placed = g;
  for (std::size_t i = 0; i < g.nodes.size(); ++i) placed.nodes[i].box = PlacedBox(g, r, i);
  return placed;
}

// True when the axis-parallel segment ab enters the interior of o.
inline bool Enters(const kvl::LPoint& a, const kvl::LPoint& b, const kvl::LBox& o) {
  const double x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x), y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
  return x0 < o.x1 && x1 > o.x0 && y0 < o.y1 && y1 > o.y0 && (x0 == x1 ? (o.x0 < x0 && x0 < o.x1) : (o.y0 < y0 && y0 < o.y1));
}

// What is wrong with the route of edge k in a graph whose boxes stand where
// they were placed: "" when it starts and ends on its nodes' borders (within
// `tolerance`), every segment is horizontal or vertical, and no segment
// comes nearer than `margin` to another node or enters its own nodes.
inline std::string OrthogonalRouteFault(const kvl::LGraph& placed, std::size_t k, const std::vector<kvl::LPoint>& r,
                                        double margin, double tolerance) {
  const kvl::LEdge& e = placed.edges[k];
  if (r.size() < 2) return "fewer than two points";
  if (!OnBorder(r.front(), placed.nodes[std::size_t(e.from)].box, tolerance)) return "starts off its symbol";
  if (!OnBorder(r.back(), placed.nodes[std::size_t(e.to)].box, tolerance)) return "ends off its symbol";
  for (std::size_t i = 1; i < r.size(); ++i) {
    if (!(r[i - 1].x == r[i].x || r[i - 1].y == r[i].y)) return "segment " + std::to_string(i) + " is slanted";
    for (std::size_t n = 0; n < placed.nodes.size(); ++n) {
      const kvl::LBox& b = placed.nodes[n].box;
      const bool own = int(n) == e.from || int(n) == e.to;
      const kvl::LBox keep = own ? b : kvl::LBox{b.x0 - margin + 1, b.y0 - margin + 1, b.x1 + margin - 1, b.y1 + margin - 1};
      if (Enters(r[i - 1], r[i], keep)) return "segment " + std::to_string(i) + " meets symbol " + std::to_string(n);
    }
  }
  return "";
}

// n nodes of 7200 x 3600 (mixed sizes: 0 to 20000 wide), all at the origin
// or spread on a line, and the family's links:
// - Dag: about 1.5 n links from lower to higher index (a few back links make cycles);
// - Tree: each node below a random earlier one;
// - DataModel: each table refers to one or two earlier ones, preferring the
//   referred-to, plus n / 10 links between random tables;
// - Components: chains of 1 to 8 nodes, and lone nodes;
// - MixedSizes: a Dag of boxes of every size, some of size 0.
inline kvl::LGraph MakeLayoutGraph(LayoutFamily family, int n, std::uint64_t seed) {
  LayoutRng rng(seed);
  kvl::LGraph g;
  for (int i = 0; i < n; ++i) {
    double w = 7200, h = 3600;
    if (family == LayoutFamily::MixedSizes) {
      w = (i % 7 == 0) ? 0 : 720.0 * (1 + rng.Below(28));
      h = (i % 7 == 0) ? 0 : 720.0 * (1 + rng.Below(10));
    }
    g.nodes.push_back(LayoutBox(double(i % 50) * 100, double(i / 50) * 100, w, h));
  }
  auto link = [&](int a, int b) { g.edges.push_back(kvl::LEdge{a, b}); };
  switch (family) {
    case LayoutFamily::Dag:
    case LayoutFamily::MixedSizes:
      for (int i = 1; i < n; ++i) link(rng.Below(i), i);
      for (int k = 0; k < n / 2; ++k) {
        const int a = rng.Below(n), b = rng.Below(n);
        if (a != b) link(std::min(a, b), std::max(a, b));
      }
      for (int k = 0; k < n / 50; ++k) {
        // Drawn one after the other: as two arguments of one call, compilers
        // draw them in different orders and make different graphs.
        const int to = rng.Below(n / 2 + 1);
        link(n - 1 - rng.Below(n / 2 + 1), to);
      }
      break;
    case LayoutFamily::Tree:
      for (int i = 1; i < n; ++i) link(rng.Below(i), i);
      break;
    case LayoutFamily::DataModel: {
      std::vector<int> targets{0};
      for (int i = 1; i < n; ++i) {
        const int refs = 1 + rng.Below(2);
        for (int r = 0; r < refs; ++r) {
          const int t = targets[std::size_t(rng.Below(int(targets.size())))];
          if (t != i) link(i, t);
          targets.push_back(t);
        }
        targets.push_back(i);
      }
      for (int k = 0; k < n / 10; ++k) {
        const int a = rng.Below(n), b = rng.Below(n);
        if (a != b) link(a, b);
      }
      break;
    }
    case LayoutFamily::Components:
      for (int i = 0; i < n;) {
        const int len = 1 + rng.Below(8);
        for (int k = 1; k < len && i + k < n; ++k) link(i + k - 1, i + k);
        i += len;
      }
      break;
  }
  return g;
}

// The nodes' sizes, as the overlap counters take them.
inline std::vector<kvl::LPoint> LayoutSizes(const kvl::LGraph& g) {
  std::vector<kvl::LPoint> s;
  for (const kvl::LNode& n : g.nodes) s.push_back({n.box.Width(), n.box.Height()});
  return s;
}

// Nodes whose placed box passes the drawing area (±kLimit).
inline int PlacedOutsideTheArea(const kvl::LGraph& g, const kvl::LResult& r) {
  int count = 0;
  for (std::size_t i = 0; i < g.nodes.size(); ++i) {
    const kvl::LBox b = PlacedBox(g, r, i);
    count += !(b.x0 >= -kvl::kLimit && b.x1 <= kvl::kLimit && b.y0 >= -kvl::kLimit && b.y1 <= kvl::kLimit);
  }
  return count;
}

// Graphs every style must refuse, with the answer: a link to a node that
// does not exist, a box that is not finite, and a chain of 400 boxes of
// 200,000 units that cannot fit inside the drawing area.
struct BadLayoutCase {
  const char* what;
  kvl::LGraph graph;
  kvl::LStatus want;
};
inline std::vector<BadLayoutCase> BadLayoutGraphs() {
  kvl::LGraph outOfRange = MakeLayoutGraph(LayoutFamily::Tree, 5, 1);
  outOfRange.edges.push_back({0, 5});
  kvl::LGraph notFinite = MakeLayoutGraph(LayoutFamily::Tree, 5, 1);
  notFinite.nodes[2].box.x1 = std::nan("");
  kvl::LGraph huge;
  for (int i = 0; i < 400; ++i) huge.nodes.push_back(LayoutBox(0, 0, 200000, 200000));
  for (int i = 1; i < 400; ++i) huge.edges.push_back({i - 1, i});
  return {{"edge to a missing node", outOfRange, kvl::LStatus::BadInput},
          {"box not finite", notFinite, kvl::LStatus::BadInput},
          {"larger than the drawing area", huge, kvl::LStatus::TooLarge}};
}

}  // namespace kvtest
