// What the engine keeps of a diagram between calls, so that a small edit
// costs little: the routes of its links (RouteCache) and the crossings of
// their segments (CrossingIndex).
//
// Both are keyed by numbers the caller chooses for its symbols and links,
// and both remember what every result was made from and check it again on
// each call. A number that comes back for another symbol (say, the address
// of a deleted one, reused) therefore finds an entry that no longer matches
// and is computed afresh: the answer is always the one a fresh cache would
// give, and nothing the cache holds is ever followed back to a symbol.
#pragma once

#include <cstdint>
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "kvlayout/engine/lgraph.h"
#include "kvlayout/engine/route.h"

namespace kvl {

// Routes every link of a graph as RouteOrthogonal(graph, {}, options) would,
// recomputing only what the edit since the last call can have changed: a
// link whose ends moved, resized or whose kept state changed, a link whose
// route looked at the place a symbol left or now takes, and a link whose
// place along a shared side of a symbol moved.
class RouteCache {
 public:
  RouteCache();
  ~RouteCache();
  RouteCache(RouteCache&&) noexcept;
  RouteCache& operator=(RouteCache&&) noexcept;

  // `nodeKeys` and `edgeKeys` name the graph's nodes and edges (one each,
  // no two alike; BadInput otherwise). `routes` gets one route per edge.
  LStatus Route(const LGraph& graph, const std::vector<std::uint64_t>& nodeKeys,
                const std::vector<std::uint64_t>& edgeKeys, const LRouteOptions& options,
                std::vector<std::vector<LPoint>>& routes);
  void Clear();

  // The symbols whose box changed (or that appeared) since the last call;
  // empty after a call that started from nothing.
  const std::vector<std::uint64_t>& Moved() const { return m_moved; }

  struct Stats {
    bool full = false;     // nothing was reused
    int firstPasses = 0;   // links whose sides were looked for again
    int secondPasses = 0;  // links whose final route was made again
  };
  const Stats& LastStats() const { return m_stats; }

 private:
  struct State;
  std::unique_ptr<State> m_state;
  std::vector<std::uint64_t> m_moved;
  Stats m_stats;
  bool m_valid = false;
};

// One crossing on a link: where, and how far along the link from its start.
struct LCrossing {
  LPoint at;
  double along = 0;
  friend bool operator==(const LCrossing&, const LCrossing&) = default;
};

// The crossing point of segments a-b and c-d strictly inside both (ends
// that touch do not cross); false for parallel segments. `t` is the share
// of a-b before the point.
bool SegmentsCross(const LPoint& a, const LPoint& b, const LPoint& c, const LPoint& d, LPoint& at, double& t);

// The links' segments in a grid of cells, and every pair of crossing links
// with its crossing points. Setting a link's points re-indexes that link
// alone (nothing when they did not change) and finds its crossings against
// the others through the grid.
class CrossingIndex {
 public:
  void Set(std::uint64_t link, const std::vector<LPoint>& points);
  void Remove(std::uint64_t link);
  // Removes every link not listed (the links a diagram no longer has).
  void KeepOnly(std::vector<std::uint64_t> links);
  void Clear();
  bool Has(std::uint64_t link) const { return m_links.count(link) != 0; }

  // The crossings of `link` with the links `over` says it passes over, in
  // order along it.
  template <class Over>
  std::vector<LCrossing> CrossingsOf(std::uint64_t link, Over&& over) const {
    std::vector<LCrossing> out;
    auto it = m_links.find(link);
    if (it == m_links.end()) return out;
    for (const Hit& h : it->second.hits)
      if (over(h.other)) out.push_back({h.at, h.along});
    std::sort(out.begin(), out.end(), [](const LCrossing& a, const LCrossing& b) {
      return a.along < b.along || (a.along == b.along && (a.at.x < b.at.x || (a.at.x == b.at.x && a.at.y < b.at.y)));
    });
    return out;
  }
  // Links re-indexed since the index was made (for the benchmark and tests).
  std::uint64_t Reindexed() const { return m_reindexed; }

 private:
  struct Hit {
    std::uint64_t other;
    LPoint at;
    double along;  // along this link
  };
  struct Link {
    std::vector<LPoint> points;
    std::vector<double> start;  // distance from the link's start to each point
    std::vector<Hit> hits;
  };
  using Cell = std::int64_t;
  static constexpr double kCellSize = 8192;
  template <class F>
  static void ForCells(const LPoint& a, const LPoint& b, F&& f);

  std::unordered_map<std::uint64_t, Link> m_links;
  std::unordered_map<Cell, std::vector<std::pair<std::uint64_t, int>>> m_cells;  // (link, segment)
  std::uint64_t m_reindexed = 0;
};

}  // namespace kvl
