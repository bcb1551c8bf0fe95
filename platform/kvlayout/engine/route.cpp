#include "kvlayout/engine/route.h"

#include "kvlayout/engine/routecache.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <queue>
#include <span>
#include <tuple>
#include <unordered_map>

namespace kvl {

// A link's route after the first pass, and the sides it took.
struct FirstRoute {
  std::vector<LPoint> path;
  int fromSide = -1, toSide = -1;
  bool kept = false;  // the person's end points
  friend bool operator==(const FirstRoute&, const FirstRoute&) = default;
};

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The sides of a box by their outward normal.
enum Side : int { kLeft = 0, kRight = 1, kBottom = 2, kTop = 3 };
constexpr int kDx[4] = {-1, 1, 0, 0};
constexpr int kDy[4] = {0, 0, -1, 1};
constexpr int Opposite(int side) { return side ^ 1; }

bool Horizontal(int side) { return side == kLeft || side == kRight; }

// A window's search grid is at most this many points (a few megabytes of
// search state); a larger one is not searched.
constexpr std::size_t kMaxGridPoints = std::size_t(1) << 20;

// How far from a box, in margins, its sides are lines a route may turn on.
constexpr double kNearLines = 2;

// What a route was made from among the obstacles: every box meeting one
// of the `exact` areas; of each window searched, the boxes near the part of its grid the
// search looked at (a box's sides are lines of the grid only near the box)
// and how many lines the window had; and of each window whose grid was too
// large to search, only that it was (a box that moves, comes or goes adds
// or takes at most two lines each way).
struct RouteReach {
  struct Sized {
    LBox window;
    double nx, ny;  // at least this many grid lines
  };
  struct Searched {
    LBox window;
    double nx, ny;  // this many grid lines
    LBox looked;    // the part of the grid looked at
    double near;    // how far from a box its sides are lines
  };
  std::vector<LBox> exact;
  LBox bound{kInf, kInf, -kInf, -kInf};  // of `exact`
  std::vector<Sized> sized;
  std::vector<Searched> searched;

  void Widen(const LBox& area) {
    if (!exact.empty() && exact.back() == area) return;
    exact.push_back(area);
    bound = {std::min(bound.x0, area.x0), std::min(bound.y0, area.y0), std::max(bound.x1, area.x1),
             std::max(bound.y1, area.y1)};
  }
  // Whether boxes that changed may change what was made (lowering what is
  // known of the large windows' grids when they may not).
  bool MetBy(const std::vector<LBox>& changed) {
    auto meets = [](const LBox& o, const LBox& r) {
      return r.x0 <= r.x1 && !(o.x1 < r.x0 || o.x0 > r.x1 || o.y1 < r.y0 || o.y0 > r.y1);
    };
    for (const LBox& o : changed)
      if (meets(o, bound))
        for (const LBox& area : exact)
          if (meets(o, area)) return true;
    for (Searched& w : searched) {
      double c = 0;
      for (const LBox& o : changed) {
        if (!meets(o, w.window)) continue;
        if (meets({o.x0 - w.near, o.y0 - w.near, o.x1 + w.near, o.y1 + w.near}, w.looked)) return true;
        ++c;
      }
      // What is known of the window's lines after the change.
      w.nx += 2 * c;
      w.ny += 2 * c;
      if (w.nx * w.ny > double(kMaxGridPoints)) return true;
    }
    for (Sized& w : sized) {
      const double c = double(std::count_if(changed.begin(), changed.end(), [&](const LBox& o) { return meets(o, w.window); }));
      w.nx -= 2 * c;
      w.ny -= 2 * c;
      if (w.nx <= 0 || w.ny <= 0 || w.nx * w.ny <= double(kMaxGridPoints)) return true;
    }
    return false;
  }
};

// The inflated boxes of the symbols, found by a grid of cells.
class Obstacles {
 public:
  Obstacles(const std::vector<LBox>& boxes) : m_boxes(boxes) {
    m_extent = {kInf, kInf, -kInf, -kInf};
    double span = 0;
    for (const LBox& b : boxes) {
      m_extent = {std::min(m_extent.x0, b.x0), std::min(m_extent.y0, b.y0), std::max(m_extent.x1, b.x1),
                  std::max(m_extent.y1, b.y1)};
      span += b.Width() + b.Height();
    }
    if (boxes.empty()) m_extent = {0, 0, 1, 1};
    m_cell = std::max(1.0, boxes.empty() ? 1.0 : span / double(boxes.size()));
    m_nx = std::clamp(int(m_extent.Width() / m_cell) + 1, 1, 4096);
    m_ny = std::clamp(int(m_extent.Height() / m_cell) + 1, 1, 4096);
    m_cellW = std::max(1.0, m_extent.Width() / m_nx);
    m_cellH = std::max(1.0, m_extent.Height() / m_ny);
    m_cells.resize(std::size_t(m_nx) * std::size_t(m_ny));
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const auto [cx0, cy0, cx1, cy1] = Cells(boxes[i]);
      for (int cx = cx0; cx <= cx1; ++cx)
        for (int cy = cy0; cy <= cy1; ++cy) m_cells[std::size_t(cx) * std::size_t(m_ny) + std::size_t(cy)].push_back(int(i));
    }
    m_stamp.assign(boxes.size(), 0);
  }

  const LBox& Box(int i) const { return m_boxes[std::size_t(i)]; }
  const LBox& Extent() const { return m_extent; }

  // True when the axis-parallel segment enters no box's interior (running
  // along a border is allowed).
  bool Clear(const LPoint& a, const LPoint& b) const { return FirstBlockers(a, b, nullptr); }

  // Whether the axis-parallel segment from `a` to `b` enters no box's
  // interior; if it does, `first` (when given) gets the boxes it enters
  // first. What the answer depends on is recorded: the whole segment when
  // it is clear, the part up to where it first enters a box otherwise.
  bool FirstBlockers(const LPoint& a, const LPoint& b, std::vector<int>* first) const {
    const LBox seg{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    const bool across = seg.y0 == seg.y1;
    const double start = across ? a.x : a.y;
    const double dir = (across ? b.x - a.x : b.y - a.y) < 0 ? -1 : 1;
    double nearest = kInf;  // distance from `a` to the first entry
    if (first) first->clear();
    RouteReach* reach = m_reach;
    m_reach = nullptr;
    Visit(seg, [&](int i) {
      const LBox& o = m_boxes[std::size_t(i)];
      const bool blocked = across ? (o.y0 < seg.y0 && seg.y0 < o.y1 && seg.x0 < o.x1 && seg.x1 > o.x0)
                                  : (o.x0 < seg.x0 && seg.x0 < o.x1 && seg.y0 < o.y1 && seg.y1 > o.y0);
      if (!blocked) return true;
      const double lo = across ? o.x0 : o.y0, hi = across ? o.x1 : o.y1;
      const double entry = std::max(0.0, dir > 0 ? lo - start : start - hi);
      if (entry < nearest) {
        nearest = entry;
        if (first) first->clear();
      }
      if (entry == nearest && first) first->push_back(i);
      return true;
    });
    m_reach = reach;
    if (m_reach) {
      if (nearest == kInf) {
        m_reach->Widen(seg);
      } else {
        const double end = start + dir * nearest;
        m_reach->Widen(across ? LBox{std::min(start, end), seg.y0, std::max(start, end), seg.y1}
                              : LBox{seg.x0, std::min(start, end), seg.x1, std::max(start, end)});
      }
    }
    return nearest == kInf;
  }
  // True when the point lies inside some box's interior.
  bool Inside(const LPoint& p) const {
    bool inside = false;
    Visit({p.x, p.y, p.x, p.y}, [&](int i) {
      const LBox& o = m_boxes[std::size_t(i)];
      if (o.x0 < p.x && p.x < o.x1 && o.y0 < p.y && p.y < o.y1) inside = true;
      return !inside;
    });
    return inside;
  }
  // The boxes meeting an area, each once.
  template <class F>
  void Visit(const LBox& area, F&& f) const {
    if (m_reach) m_reach->Widen(area);
    ++m_round;
    const auto [cx0, cy0, cx1, cy1] = Cells(area);
    for (int cx = cx0; cx <= cx1; ++cx)
      for (int cy = cy0; cy <= cy1; ++cy)
        for (int i : m_cells[std::size_t(cx) * std::size_t(m_ny) + std::size_t(cy)]) {
          if (m_stamp[std::size_t(i)] == m_round) continue;
          m_stamp[std::size_t(i)] = m_round;
          const LBox& o = m_boxes[std::size_t(i)];
          if (o.x1 < area.x0 || o.x0 > area.x1 || o.y1 < area.y0 || o.y0 > area.y1) continue;
          if (!f(i)) return;
        }
  }

 private:
  std::tuple<int, int, int, int> Cells(const LBox& b) const {
    auto cx = [&](double x) { return std::clamp(int(std::floor((x - m_extent.x0) / m_cellW)), 0, m_nx - 1); };
    auto cy = [&](double y) { return std::clamp(int(std::floor((y - m_extent.y0) / m_cellH)), 0, m_ny - 1); };
    return {cx(b.x0), cy(b.y0), cx(b.x1), cy(b.y1)};
  }

  std::vector<LBox> m_boxes;
  LBox m_extent;
  double m_cell, m_cellW = 1, m_cellH = 1;
  int m_nx = 1, m_ny = 1;
  std::vector<std::vector<int>> m_cells;
  mutable std::vector<std::uint32_t> m_stamp;
  mutable std::uint32_t m_round = 0;
  mutable RouteReach* m_reach = nullptr;

 public:
  // While set, every area looked at widens `reach`: what a route was made
  // of depends on no box outside it.
  void Record(RouteReach* reach) const { m_reach = reach; }
  RouteReach* Recording() const { return m_reach; }
};

// Where a link leaves or enters a symbol: a point on a side, and the stub
// point one margin out from it.
struct Port {
  int side = -1;
  LPoint at, stub;
};

Port MakePort(const LBox& box, int side, double along, double margin) {
  Port p;
  p.side = side;
  switch (side) {
    case kLeft: p.at = {box.x0, along}; break;
    case kRight: p.at = {box.x1, along}; break;
    case kBottom: p.at = {along, box.y0}; break;
    default: p.at = {along, box.y1}; break;
  }
  p.stub = {p.at.x + kDx[side] * margin, p.at.y + kDy[side] * margin};
  return p;
}

Port MidPort(const LBox& box, int side, double margin) {
  const double along = Horizontal(side) ? std::round((box.y0 + box.y1) / 2) : std::round((box.x0 + box.x1) / 2);
  return MakePort(box, side, along, margin);
}

// The side of a box a point lies on (the nearest), for ends a person keeps.
int SideOf(const LBox& box, const LPoint& p) {
  const double d[4] = {std::abs(p.x - box.x0), std::abs(p.x - box.x1), std::abs(p.y - box.y0), std::abs(p.y - box.y1)};
  return int(std::min_element(d, d + 4) - d);
}

// The fewest bends of an axis-parallel route from a point reached heading
// `dir` to a point `t` away from it, arriving there heading `arrive` or
// paying one bend more at the end (what a search pays for a wrong
// direction into a symbol). A route may turn where it stands but never
// reverses.
int BendsNeeded(int dir, double tx, double ty, int arrive) {
  // Along the heading (f) and across it (s), in the heading's own frame.
  const double f = kDx[dir] * tx + kDy[dir] * ty;
  const double s = -kDy[dir] * tx + kDx[dir] * ty;
  const int any = s == 0 ? (f >= 0 ? 0 : 3) : (f >= 0 ? 1 : 2);
  const int along = kDx[dir] * kDx[arrive] + kDy[dir] * kDy[arrive];
  int exact;
  if (along == 1) {
    exact = s == 0 && f >= 0 ? 0 : (s != 0 && f > 0 ? 2 : 4);
  } else if (along == -1) {
    exact = s != 0 ? 2 : 4;
  } else {
    const int sigma = -kDy[dir] * kDx[arrive] + kDx[dir] * kDy[arrive];
    exact = f >= 0 && sigma * s > 0 ? 1 : 3;
  }
  return std::min(exact, any + 1);
}

// The states a search has reached, with their cost and where they were
// reached from: an open-addressed table by state number, emptied for the
// next search by moving to a new round (a search reaches few of its grid's
// states).
class StateTable {
 public:
  void Start() {
    if (m_slots.empty()) m_slots.resize(1024);
    m_live = 0;
    if (++m_round == 0) {
      for (Slot& slot : m_slots) slot.round = 0;
      m_round = 1;
    }
  }
  double Cost(std::int64_t state) const {
    const Slot* slot = Find(state);
    return slot ? slot->g : kInf;
  }
  std::int32_t Parent(std::int64_t state) const { return Find(state)->parent; }
  void Set(std::int64_t state, double g, std::int32_t parent) {
    if (2 * (m_live + 1) > m_slots.size()) Grow();
    Slot& slot = Place(m_slots, state);
    if (slot.round != m_round) ++m_live;
    slot = {state, g, parent, m_round};
  }

 private:
  struct Slot {
    std::int64_t state = 0;
    double g = 0;
    std::int32_t parent = 0;
    std::uint32_t round = 0;
  };
  static std::size_t Home(std::int64_t state, std::size_t size) {
    return std::size_t((std::uint64_t(state) * 0x9E3779B97F4A7C15ULL) >> 20) & (size - 1);
  }
  const Slot* Find(std::int64_t state) const {
    for (std::size_t i = Home(state, m_slots.size());; i = (i + 1) & (m_slots.size() - 1)) {
      const Slot& slot = m_slots[i];
      if (slot.round != m_round) return nullptr;
      if (slot.state == state) return &slot;
    }
  }
  Slot& Place(std::vector<Slot>& slots, std::int64_t state) const {
    for (std::size_t i = Home(state, slots.size());; i = (i + 1) & (slots.size() - 1)) {
      Slot& slot = slots[i];
      if (slot.round != m_round || slot.state == state) return slot;
    }
  }
  void Grow() {
    std::vector<Slot> bigger(m_slots.size() * 2);
    for (const Slot& slot : m_slots)
      if (slot.round == m_round) Place(bigger, slot.state) = slot;
    m_slots = std::move(bigger);
  }

  std::vector<Slot> m_slots;
  std::size_t m_live = 0;
  std::uint32_t m_round = 0;
};

// A* over the sparse grid of the coordinates that matter inside a window:
// the borders of the inflated boxes and the ports' stubs. A state is a grid
// point and the direction it was reached in; a bend costs extra.
class Search {
 public:
  Search(const Obstacles& obstacles, double bendCost, double near) : m_obs(obstacles), m_bend(bendCost), m_near(near) {}

  bool Run(const std::vector<Port>& from, const std::vector<Port>& to, const LBox& window, int budget,
           std::vector<LPoint>& path) {
    m_xs.clear();
    m_ys.clear();
    m_inWindow.clear();
    // A window too large to search depends only on how many lines it has.
    RouteReach* reach = m_obs.Recording();
    m_obs.Record(nullptr);
    m_obs.Visit(window, [&](int i) {
      const LBox& b = m_obs.Box(i);
      m_inWindow.push_back(i);
      m_xs.push_back(b.x0);
      m_xs.push_back(b.x1);
      m_ys.push_back(b.y0);
      m_ys.push_back(b.y1);
      return true;
    });
    for (const auto* ports : {&from, &to})
      for (const Port& p : *ports) {
        m_xs.push_back(p.stub.x);
        m_ys.push_back(p.stub.y);
      }
    m_xs.push_back(window.x0);
    m_xs.push_back(window.x1);
    m_ys.push_back(window.y0);
    m_ys.push_back(window.y1);
    auto tidy = [](std::vector<double>& v, double lo, double hi) {
      std::erase_if(v, [&](double c) { return c < lo || c > hi; });
      std::sort(v.begin(), v.end());
      v.erase(std::unique(v.begin(), v.end()), v.end());
    };
    tidy(m_xs, window.x0, window.x1);
    tidy(m_ys, window.y0, window.y1);
    const std::size_t nx = m_xs.size(), ny = m_ys.size();
    m_obs.Record(reach);
    if (nx * ny > kMaxGridPoints) {
      if (reach) reach->sized.push_back({window, double(nx), double(ny)});
      return false;
    }
    auto index = [](const std::vector<double>& v, double c) {
      return std::size_t(std::lower_bound(v.begin(), v.end(), c) - v.begin());
    };
    // Where each line is one a route may turn on: a box's sides near the
    // box, the ports' stubs and the window's borders everywhere. Lines of far
    // boxes pass a route by, so that what a search finds depends only on
    // the boxes near where it looked.
    m_colSpans.clear();
    m_rowSpans.clear();
    for (int b : m_inWindow) {
      const LBox& o = m_obs.Box(b);
      for (double x : {o.x0, o.x1})
        if (x >= window.x0 && x <= window.x1) m_colSpans.push_back({index(m_xs, x), o.y0 - m_near, o.y1 + m_near});
      for (double y : {o.y0, o.y1})
        if (y >= window.y0 && y <= window.y1) m_rowSpans.push_back({index(m_ys, y), o.x0 - m_near, o.x1 + m_near});
    }
    for (const auto* ports : {&from, &to})
      for (const Port& p : *ports) {
        if (p.stub.x >= window.x0 && p.stub.x <= window.x1) m_colSpans.push_back({index(m_xs, p.stub.x), -kInf, kInf});
        if (p.stub.y >= window.y0 && p.stub.y <= window.y1) m_rowSpans.push_back({index(m_ys, p.stub.y), -kInf, kInf});
      }
    for (std::size_t i : {std::size_t(0), nx - 1}) m_colSpans.push_back({i, -kInf, kInf});
    for (std::size_t j : {std::size_t(0), ny - 1}) m_rowSpans.push_back({j, -kInf, kInf});
    Spans(m_colSpans, nx, m_colStart);
    Spans(m_rowSpans, ny, m_rowStart);
    auto turnsAt = [](const std::vector<Span>& spans, const std::vector<std::size_t>& start, std::size_t line, double at) {
      for (std::size_t k = start[line]; k < start[line + 1]; ++k)
        if (spans[k].lo <= at && at <= spans[k].hi) return true;
      return false;
    };
    // The part of the grid looked at, by line.
    std::size_t lookX0 = nx, lookX1 = 0, lookY0 = ny, lookY1 = 0;
    auto look = [&](std::size_t ix, std::size_t iy) {
      lookX0 = std::min(lookX0, ix);
      lookX1 = std::max(lookX1, ix);
      lookY0 = std::min(lookY0, iy);
      lookY1 = std::max(lookY1, iy);
    };
    // Every coordinate of a box's sides is a grid line, so a grid step is
    // either wholly inside a box or wholly outside: the steps inside are
    // marked a line at a time, when a search first runs along it.
    // Marks carry the search's number, so that nothing needs clearing.
    if (++m_search == 0) {
      m_blockedH.clear();
      m_blockedV.clear();
      m_rowMarked.clear();
      m_colMarked.clear();
      m_search = 1;
    }
    auto atLeast = [](std::vector<std::uint32_t>& v, std::size_t n) {
      if (v.size() < n) v.resize(n, 0);
    };
    atLeast(m_blockedH, nx * ny);  // (i, j) -> (i + 1, j)
    atLeast(m_blockedV, nx * ny);  // (i, j) -> (i, j + 1)
    atLeast(m_rowMarked, ny);
    atLeast(m_colMarked, nx);
    // Marks the steps along a row (`across`) or a column that lie inside a box.
    auto mark = [&](bool across, std::size_t line) {
      std::vector<std::uint32_t>& marked = across ? m_rowMarked : m_colMarked;
      if (marked[line] == m_search) return;
      marked[line] = m_search;
      const double at = across ? m_ys[line] : m_xs[line];
      const std::vector<double>& along = across ? m_xs : m_ys;
      const std::size_t count = across ? nx : ny;
      for (int b : m_inWindow) {
        const LBox& o = m_obs.Box(b);
        if (!(across ? o.y0 < at && at < o.y1 : o.x0 < at && at < o.x1)) continue;
        for (std::size_t k = index(along, across ? o.x0 : o.y0), k1 = index(along, across ? o.x1 : o.y1);
             k < k1 && k + 1 < count; ++k)
          (across ? m_blockedH[k * ny + line] : m_blockedV[line * ny + k]) = m_search;
      }
    };
    m_states.Start();
    auto cost = [&](std::int64_t s) { return m_states.Cost(s); };
    auto settle = [&](std::int64_t s, double g, std::int32_t parent) { m_states.Set(s, g, parent); };
    auto key = [&](std::size_t ix, std::size_t iy, int dir) { return std::int64_t((ix * ny + iy) * 4 + std::size_t(dir)); };

    struct Item {
      double f, g;
      std::uint64_t order;
      std::int64_t state;
      // Among equal estimates the deeper state first: on the wide plateaus of
      // equally long staircases this walks towards the goal instead of
      // flooding the rectangle between the ends.
      bool operator>(const Item& o) const {
        return f > o.f || (f == o.f && (g < o.g || (g == o.g && order > o.order)));
      }
    };
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    std::uint64_t order = 0;
    constexpr std::int64_t kFinish = -2;
    // A lower bound of what is left from a point reached in a direction:
    // for the cheapest goal, the Manhattan distance, the bends that any
    // route from there needs, and the stub into the symbol.
    auto heuristic = [&](double x, double y, int dir) {
      double h = kInf;
      for (const Port& p : to) {
        const double tx = p.stub.x - x, ty = p.stub.y - y;
        h = std::min(h, std::abs(tx) + std::abs(ty) + m_bend * BendsNeeded(dir, tx, ty, Opposite(p.side)) +
                            std::abs(p.stub.x - p.at.x) + std::abs(p.stub.y - p.at.y));
      }
      return h;
    };
    std::vector<int> startOf(from.size());
    for (std::size_t f = 0; f < from.size(); ++f) {
      const Port& p = from[f];
      if (m_obs.Inside(p.stub)) continue;
      const std::int64_t s = key(index(m_xs, p.stub.x), index(m_ys, p.stub.y), p.side);
      const double g = std::abs(p.stub.x - p.at.x) + std::abs(p.stub.y - p.at.y);
      if (cost(s) <= g) continue;
      settle(s, g, kStart - std::int32_t(f));
      open.push({g + heuristic(p.stub.x, p.stub.y, p.side), g, order++, s});
    }
    // The ports to arrive at, by grid point.
    std::vector<std::pair<std::size_t, int>> goals;
    for (std::size_t t = 0; t < to.size(); ++t)
      if (!m_obs.Inside(to[t].stub)) goals.push_back({index(m_xs, to[t].stub.x) * ny + index(m_ys, to[t].stub.y), int(t)});
    double bestFinish = kInf;
    std::int64_t finishFrom = -1;
    int finishPort = -1;
    int steps = 0;
    for (; !open.empty() && steps < budget; ++steps) {
      const Item item = open.top();
      open.pop();
      if (item.state == kFinish || item.f >= bestFinish) break;
      const double g = item.g;
      if (cost(item.state) < g) continue;  // reached more cheaply since
      const int dir = int(item.state % 4);
      const std::size_t cell = std::size_t(item.state / 4);
      const std::size_t ix = cell / ny, iy = cell % ny;
      for (const auto& [goalCell, t] : goals) {
        if (goalCell != cell) continue;
        const Port& p = to[std::size_t(t)];
        const double total = g + std::abs(p.stub.x - p.at.x) + std::abs(p.stub.y - p.at.y) +
                             (dir == Opposite(p.side) ? 0 : m_bend);
        if (total < bestFinish) {
          bestFinish = total;
          finishFrom = item.state;
          finishPort = t;
          open.push({total, total, order++, kFinish});
        }
      }
      look(ix, iy);
      for (int d = 0; d < 4; ++d) {
        if (d == Opposite(dir)) continue;
        // Straight on to the next line to turn on, unless a box is in the way.
        std::size_t jx = ix, jy = iy;
        bool found = false;
        if (Horizontal(d)) {
          mark(true, iy);
          while (d == kLeft ? jx > 0 : jx + 1 < nx) {
            const std::size_t next = d == kLeft ? jx - 1 : jx + 1;
            look(next, iy);
            if (m_blockedH[std::min(jx, next) * ny + iy] == m_search) break;
            jx = next;
            if ((found = turnsAt(m_colSpans, m_colStart, jx, m_ys[iy]))) break;
          }
        } else {
          mark(false, ix);
          while (d == kBottom ? jy > 0 : jy + 1 < ny) {
            const std::size_t next = d == kBottom ? jy - 1 : jy + 1;
            look(ix, next);
            if (m_blockedV[ix * ny + std::min(jy, next)] == m_search) break;
            jy = next;
            if ((found = turnsAt(m_rowSpans, m_rowStart, jy, m_xs[ix]))) break;
          }
        }
        if (!found) continue;
        const double ng = g + std::abs(m_xs[jx] - m_xs[ix]) + std::abs(m_ys[jy] - m_ys[iy]) + (d == dir ? 0 : m_bend);
        const std::int64_t s = key(jx, jy, d);
        if (cost(s) <= ng) continue;
        settle(s, ng, std::int32_t(item.state));
        open.push({ng + heuristic(m_xs[jx], m_ys[jy], d), ng, order++, s});
      }
    }
    if (reach && lookX0 <= lookX1)
      reach->searched.push_back({window, double(nx), double(ny), {m_xs[lookX0], m_ys[lookY0], m_xs[lookX1], m_ys[lookY1]}, m_near});
    if (finishFrom < 0) return false;
    std::vector<LPoint> back;
    const Port& end = to[std::size_t(finishPort)];
    back.push_back(end.at);
    std::int64_t s = finishFrom;
    int startPort = -1;
    while (true) {
      const std::size_t cell = std::size_t(s / 4);
      back.push_back({m_xs[cell / ny], m_ys[cell % ny]});
      const std::int32_t p = m_states.Parent(s);
      if (p <= kStart) {
        startPort = int(kStart - p);
        break;
      }
      s = p;
    }
    back.push_back(from[std::size_t(startPort)].at);
    path.assign(back.rbegin(), back.rend());
    m_startSide = from[std::size_t(startPort)].side;
    m_endSide = end.side;
    return true;
  }

  int StartSide() const { return m_startSide; }
  int EndSide() const { return m_endSide; }

 private:
  const Obstacles& m_obs;
  double m_bend;
  double m_near;
  static constexpr std::int32_t kStart = -2;  // parents: kStart - i = start port i
  std::vector<double> m_xs, m_ys;
  std::vector<int> m_inWindow;
  std::vector<std::uint32_t> m_blockedH, m_blockedV, m_rowMarked, m_colMarked;
  std::uint32_t m_search = 0;
  struct Span {
    std::size_t line;
    double lo, hi;  // the stretch of the line that may be turned on
    bool operator<(const Span& o) const { return line < o.line; }
  };
  // Sorts the spans by line and gives where each line's spans start.
  static void Spans(std::vector<Span>& spans, std::size_t lines, std::vector<std::size_t>& start) {
    std::stable_sort(spans.begin(), spans.end());
    start.assign(lines + 1, 0);
    for (const Span& sp : spans) ++start[sp.line + 1];
    for (std::size_t i = 0; i < lines; ++i) start[i + 1] += start[i];
  }
  std::vector<Span> m_colSpans, m_rowSpans;
  std::vector<std::size_t> m_colStart, m_rowStart;
  StateTable m_states;
  int m_startSide = -1, m_endSide = -1;
};

// The cost of a whole route: its length and a price per bend.
double RouteCost(std::span<const LPoint> path, double bendCost) {
  double cost = 0;
  int lastDir = -1;
  for (std::size_t i = 1; i < path.size(); ++i) {
    const double dx = path[i].x - path[i - 1].x, dy = path[i].y - path[i - 1].y;
    if (dx == 0 && dy == 0) continue;
    if (dx != 0 && dy != 0) return kInf;  // slanted
    cost += std::abs(dx) + std::abs(dy);
    const int dir = dx != 0 ? (dx < 0 ? kLeft : kRight) : (dy < 0 ? kBottom : kTop);
    if (lastDir >= 0 && dir != lastDir) cost += dir == Opposite(lastDir) ? kInf : bendCost;
    lastDir = dir;
  }
  return cost;
}

// Most links need no search: a straight line, one bend, or two bends in a
// free channel between their symbols. The cheapest clear one of these, or
// an empty path. The channels tried are the middle between the ends, then
// beside the first boxes that block the channels tried, nearest the middle
// first, so that what is found depends only on the boxes along the routes
// tried up to where they are blocked.
std::vector<LPoint> SimpleRoute(const Obstacles& obs, const std::vector<Port>& from, const std::vector<Port>& to,
                                double bendCost, std::pair<int, int>& sides) {
  std::vector<LPoint> best;
  double bestCost = kInf;
  enum class Tried { Dearer, Clear, Blocked };
  std::vector<int> blockers;
  auto consider = [&](const Port& f, const Port& t, std::initializer_list<LPoint> inner) {
    std::vector<LPoint> path{f.at, f.stub};
    path.insert(path.end(), inner.begin(), inner.end());
    path.push_back(t.stub);
    path.push_back(t.at);
    const double cost = RouteCost(path, bendCost);
    if (!(cost < bestCost)) return Tried::Dearer;
    for (std::size_t i = 2; i + 2 <= path.size(); ++i)
      if (!obs.FirstBlockers(path[i - 1], path[i], &blockers)) return Tried::Blocked;
    bestCost = cost;
    best = std::move(path);
    sides = {f.side, t.side};
    return Tried::Clear;
  };
  // The shapes, cheapest first (in this order among equal costs); the
  // first clear one is the route.
  struct Shape {
    double cost;
    std::size_t f, t;
    int kind;  // 0 straight, 1 and 2 one bend, 3 and 4 two bends (across, along)
  };
  std::vector<Shape> shapes;
  for (std::size_t fi = 0; fi < from.size(); ++fi) {
    if (obs.Inside(from[fi].stub)) continue;
    for (std::size_t ti = 0; ti < to.size(); ++ti) {
      if (obs.Inside(to[ti].stub)) continue;
      const Port& f = from[fi];
      const Port& t = to[ti];
      const LPoint a = f.stub, b = t.stub;
      const LPoint mid{std::round((a.x + b.x) / 2), std::round((a.y + b.y) / 2)};
      const LPoint inner[5][2] = {{}, {{b.x, a.y}}, {{a.x, b.y}}, {{mid.x, a.y}, {mid.x, b.y}}, {{a.x, mid.y}, {b.x, mid.y}}};
      const std::size_t bends[5] = {0, 1, 1, 2, 2};
      for (int kind = 0; kind < 5; ++kind) {
        LPoint path[6] = {f.at, f.stub};
        std::size_t n = 2;
        for (std::size_t i = 0; i < bends[kind]; ++i) path[n++] = inner[kind][i];
        path[n++] = t.stub;
        path[n++] = t.at;
        const double cost = RouteCost({path, n}, bendCost);
        if (cost < kInf) shapes.push_back({cost, fi, ti, kind});
      }
    }
  }
  std::stable_sort(shapes.begin(), shapes.end(), [](const Shape& p, const Shape& q) { return p.cost < q.cost; });
  std::vector<double> channels, tried;
  for (const Shape& shape : shapes) {
    const Port& f = from[shape.f];
    const Port& t = to[shape.t];
    const LPoint a = f.stub, b = t.stub;
    if (shape.kind == 0) consider(f, t, {});
    else if (shape.kind == 1) consider(f, t, {LPoint{b.x, a.y}});
    else if (shape.kind == 2) consider(f, t, {LPoint{a.x, b.y}});
    else {
      const bool vertical = shape.kind == 4;
      const double lo = vertical ? std::min(a.y, b.y) : std::min(a.x, b.x);
      const double hi = vertical ? std::max(a.y, b.y) : std::max(a.x, b.x);
      const double mid = std::round((lo + hi) / 2);
      auto nearer = [mid](double p, double q) {
        return std::abs(p - mid) < std::abs(q - mid) || (std::abs(p - mid) == std::abs(q - mid) && p < q);
      };
      channels.assign({mid});
      tried.clear();
      for (int attempt = 0; attempt < 8 && !channels.empty(); ++attempt) {
        const auto next = std::min_element(channels.begin(), channels.end(), nearer);
        const double c = *next;
        channels.erase(next);
        tried.push_back(c);
        const Tried r = vertical ? consider(f, t, {LPoint{a.x, c}, LPoint{b.x, c}})
                                 : consider(f, t, {LPoint{c, a.y}, LPoint{c, b.y}});
        if (r != Tried::Blocked) break;
        for (int i : blockers) {
          const LBox& o = obs.Box(i);
          for (double e : {vertical ? o.y0 : o.x0, vertical ? o.y1 : o.x1})
            if (e > lo && e < hi && std::find(tried.begin(), tried.end(), e) == tried.end() &&
                std::find(channels.begin(), channels.end(), e) == channels.end())
              channels.push_back(e);
        }
      }
    }
    if (!best.empty()) break;
  }
  return best;
}

// Drops repeated points and the middle points of straight runs.
void Simplify(std::vector<LPoint>& path) {
  std::vector<LPoint> out;
  for (const LPoint& p : path) {
    if (!out.empty() && out.back() == p) continue;
    if (out.size() >= 2) {
      const LPoint& a = out[out.size() - 2];
      const LPoint& b = out.back();
      if ((a.x == b.x && b.x == p.x) || (a.y == b.y && b.y == p.y)) out.pop_back();
    }
    out.push_back(p);
  }
  path = std::move(out);
}

// Moves a route's ends along their sides to new places when the route
// stays clear: the first and last segments move with them, and the
// segments next to those, which run along the move, only change length.
// False (route untouched) when the move does not fit.
bool ShiftEnds(const Obstacles& obs, const Port& start, const Port& end, double margin, std::vector<LPoint>& path) {
  const std::size_t n = path.size();
  if (n < 2) return false;
  std::vector<LPoint> moved = path;
  const LPoint ds{start.at.x - path.front().x, start.at.y - path.front().y};
  const LPoint de{end.at.x - path.back().x, end.at.y - path.back().y};
  if (n == 2 && !(ds == de)) return false;  // a straight link moves as a whole or not at all
  auto shift = [](LPoint& p, const LPoint& d) { p = {p.x + d.x, p.y + d.y}; };
  shift(moved[0], ds);
  if (n > 2) shift(moved[1], ds);
  shift(moved[n - 1], de);
  if (n > 2) shift(moved[n - 2], de);
  for (std::size_t i = 1; i < n; ++i)
    if (moved[i - 1].x != moved[i].x && moved[i - 1].y != moved[i].y) return false;
  // The first and last segments are checked from their stubs on (their
  // start lies within the symbol's own margin); the others whole.
  const LPoint first = {moved[0].x + kDx[start.side] * margin, moved[0].y + kDy[start.side] * margin};
  const LPoint last = {moved[n - 1].x + kDx[end.side] * margin, moved[n - 1].y + kDy[end.side] * margin};
  if (n == 2) {
    if (!obs.Clear(first, last)) return false;
  } else {
    if (!obs.Clear(first, moved[1]) || !obs.Clear(moved[n - 2], last)) return false;
    if (!obs.Clear(moved[1], moved[2]) || !obs.Clear(moved[n - 3], moved[n - 2])) return false;
  }
  path = std::move(moved);
  return true;
}

LBox Grow(const LBox& b, double by) { return {b.x0 - by, b.y0 - by, b.x1 + by, b.y1 + by}; }
LBox Union(const LBox& a, const LBox& b) {
  return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

// The simplest orthogonal route when no clear one is found: out of the
// source's side facing the target, then one bend into the target.
std::vector<LPoint> FallbackRoute(const LBox& a, const LBox& b) {
  const LPoint ca = a.Centre(), cb = b.Centre();
  const double y = std::round(std::clamp(cb.y, a.y0, a.y1));
  const double x = std::round(std::clamp(ca.x, b.x0, b.x1));
  if (cb.x >= a.x0 && cb.x <= a.x1) {  // one above the other
    const double mx = std::round(std::clamp(cb.x, std::max(a.x0, b.x0), std::min(a.x1, b.x1)));
    return cb.y > ca.y ? std::vector<LPoint>{{mx, a.y1}, {mx, b.y0}} : std::vector<LPoint>{{mx, a.y0}, {mx, b.y1}};
  }
  const double sx = cb.x > ca.x ? a.x1 : a.x0;
  if (y >= b.y0 && y <= b.y1) return {{sx, y}, {cb.x > ca.x ? b.x0 : b.x1, y}};
  return {{sx, std::round(ca.y)}, {x, std::round(ca.y)}, {x, cb.y > ca.y ? b.y0 : b.y1}};
}

std::vector<LPoint> SelfLoop(const LBox& b, double margin) {
  const double y = std::round(b.y1 - b.Height() / 4), x = std::round(b.x1 - b.Width() / 4);
  return {{b.x1, y}, {b.x1 + margin, y}, {b.x1 + margin, b.y1 + margin}, {x, b.y1 + margin}, {x, b.y1}};
}

// A link's route in two passes. The first picks the sides from the middles
// of the symbols' sides; the second spreads the links that share a side of
// a symbol along it and routes them again from their places. Each pass
// records the reach of what it asked the obstacles, so that a cache can tell
// which routes a moved symbol may change.
class Router {
 public:
  using First = FirstRoute;

  Router(const LGraph& graph, const LRouteOptions& options, double margin)
      : m_graph(graph), m_options(options), m_margin(margin), m_obstacles(Inflate(graph, margin)),
        m_bendCost(2 * margin + options.spacing.edgeEdge), m_search(m_obstacles, m_bendCost, kNearLines * margin),
        m_whole(Grow(m_obstacles.Extent(), 4 * margin)) {}

  const LBox& Whole() const { return m_whole; }

  First FirstPass(int k, RouteReach& reach) {
    const Recording recording(m_obstacles, reach);
    First out;
    const LEdge& e = m_graph.edges[std::size_t(k)];
    if (e.keep == LRouteKeep::Route) return out;
    const LBox& a = m_graph.nodes[std::size_t(e.from)].box;
    const LBox& b = m_graph.nodes[std::size_t(e.to)].box;
    if (e.from == e.to) {
      out.path = SelfLoop(a, m_margin);
      return out;
    }
    std::vector<Port> from, to;
    if (e.keep == LRouteKeep::Ends && e.points.size() >= 2) {
      const int fs = SideOf(a, e.points.front()), ts = SideOf(b, e.points.back());
      const LPoint pf{std::round(e.points.front().x), std::round(e.points.front().y)};
      const LPoint pt{std::round(e.points.back().x), std::round(e.points.back().y)};
      from.push_back(MakePort(a, fs, Horizontal(fs) ? pf.y : pf.x, m_margin));
      to.push_back(MakePort(b, ts, Horizontal(ts) ? pt.y : pt.x, m_margin));
      out.kept = true;
    } else {
      for (int s = 0; s < 4; ++s) {
        from.push_back(MidPort(a, s, m_margin));
        to.push_back(MidPort(b, s, m_margin));
      }
    }
    std::pair<int, int> sides;
    if (RouteBetween(k, from, to, out.path, sides)) {
      Simplify(out.path);
      out.fromSide = sides.first;
      out.toSide = sides.second;
    } else {
      out.path = FallbackRoute(a, b);
    }
    return out;
  }

  // The places along their sides of the ends of the listed links (2k: the
  // start of link k, 2k + 1: its end); kInf where a link has a side to itself.
  void Places(const std::vector<int>& todo, const std::vector<First>& first, std::vector<double>& place) const {
    struct End {
      int node, side;
      double key;  // the order along the side
      int end;     // 2k: the start of link k, 2k + 1: its end
      auto Order() const { return std::tie(node, side, key, end); }
    };
    std::vector<End> ends;
    ends.reserve(2 * todo.size());
    for (int k : todo) {
      const First& en = first[std::size_t(k)];
      if (en.kept || en.fromSide < 0) continue;
      const LEdge& e = m_graph.edges[std::size_t(k)];
      const std::vector<LPoint>& p = en.path;
      auto keyFor = [&](int side, const LPoint& next, const LPoint& far) {
        const double a = Horizontal(side) ? next.y : next.x;
        return a + 1e-6 * (Horizontal(side) ? far.y : far.x);
      };
      const LPoint& n0 = p.size() > 2 ? p[2] : p.back();
      const LPoint& n1 = p.size() > 2 ? p[p.size() - 3] : p.front();
      ends.push_back({e.from, en.fromSide, keyFor(en.fromSide, n0, p.back()), 2 * k});
      ends.push_back({e.to, en.toSide, keyFor(en.toSide, n1, p.front()), 2 * k + 1});
    }
    std::sort(ends.begin(), ends.end(), [](const End& a, const End& b) { return a.Order() < b.Order(); });
    place.assign(m_graph.edges.size() * 2, kInf);
    for (std::size_t begin = 0, last = 0; begin < ends.size(); begin = last) {
      for (last = begin + 1; last < ends.size() && ends[last].node == ends[begin].node && ends[last].side == ends[begin].side; ++last) {}
      const std::size_t count = last - begin;
      if (count < 2) continue;
      const LBox& b = m_graph.nodes[std::size_t(ends[begin].node)].box;
      const bool h = Horizontal(ends[begin].side);
      const double lo = h ? b.y0 : b.x0, hi = h ? b.y1 : b.x1;
      for (std::size_t i = 0; i < count; ++i)
        place[std::size_t(ends[begin + i].end)] = std::round(lo + (hi - lo) * double(i + 1) / double(count + 1));
    }
  }

  std::vector<LPoint> SecondPass(int k, const First& en, double pf, double pt, RouteReach& reach) {
    if (en.kept || en.fromSide < 0 || (pf == kInf && pt == kInf)) return en.path;
    const Recording recording(m_obstacles, reach);
    const LEdge& e = m_graph.edges[std::size_t(k)];
    const LBox& a = m_graph.nodes[std::size_t(e.from)].box;
    const LBox& b = m_graph.nodes[std::size_t(e.to)].box;
    const std::vector<Port> from{pf == kInf ? MidPort(a, en.fromSide, m_margin) : MakePort(a, en.fromSide, pf, m_margin)};
    const std::vector<Port> to{pt == kInf ? MidPort(b, en.toSide, m_margin) : MakePort(b, en.toSide, pt, m_margin)};
    std::vector<LPoint> path = en.path;
    if (ShiftEnds(m_obstacles, from.front(), to.front(), m_margin, path)) return path;
    std::pair<int, int> sides;
    if (RouteBetween(k, from, to, path, sides)) {
      Simplify(path);
      return path;
    }
    return en.path;
  }

 private:
  class Recording {
   public:
    Recording(const Obstacles& obs, RouteReach& reach) : m_obs(obs) { m_obs.Record(&reach); }
    ~Recording() { m_obs.Record(nullptr); }
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

   private:
    const Obstacles& m_obs;
  };

  static std::vector<LBox> Inflate(const LGraph& graph, double margin) {
    std::vector<LBox> inflated;
    inflated.reserve(graph.nodes.size());
    for (const LNode& n : graph.nodes) inflated.push_back(Grow(n.box, margin));
    return inflated;
  }

  // Routes one link between any of its start and end ports; `sides` tells
  // which were taken.
  bool RouteBetween(int k, const std::vector<Port>& from, const std::vector<Port>& to, std::vector<LPoint>& path,
                    std::pair<int, int>& sides) {
    const LEdge& e = m_graph.edges[std::size_t(k)];
    const LBox& a = m_graph.nodes[std::size_t(e.from)].box;
    const LBox& b = m_graph.nodes[std::size_t(e.to)].box;
    const double reach = std::max({a.Width(), a.Height(), b.Width(), b.Height()}) + 4 * m_margin;
    path = SimpleRoute(m_obstacles, from, to, m_bendCost, sides);
    if (!path.empty()) return true;
    LBox window = Grow(Union(a, b), reach);
    LBox searched{kInf, kInf, -kInf, -kInf};
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (attempt == 2) window = m_whole;
      window = {std::max(window.x0, m_whole.x0), std::max(window.y0, m_whole.y0), std::min(window.x1, m_whole.x1),
                std::min(window.y1, m_whole.y1)};
      // A window that grew no further would fail the same way again.
      if (window == searched) continue;
      searched = window;
      if (m_search.Run(from, to, window, m_options.stepsPerWindow, path)) {
        sides = {m_search.StartSide(), m_search.EndSide()};
        return true;
      }
      window = Grow(window, 3 * std::max(window.Width(), window.Height()));
    }
    return false;
  }

  const LGraph& m_graph;
  const LRouteOptions& m_options;
  double m_margin;
  Obstacles m_obstacles;
  double m_bendCost;
  Search m_search;
  LBox m_whole;
};

double MarginOf(const LRouteOptions& options) { return std::max(1.0, std::round(options.spacing.edgeNode / 2)); }

}  // namespace

LStatus RouteOrthogonal(const LGraph& graph, const std::vector<int>& which, const LRouteOptions& options,
                        std::vector<std::vector<LPoint>>& routes) {
  if (const LStatus s = Validate(graph); s != LStatus::Ok) return s;
  const double margin = MarginOf(options);
  if (!std::isfinite(margin)) return LStatus::BadInput;
  std::vector<int> todo = which;
  if (todo.empty())
    for (std::size_t k = 0; k < graph.edges.size(); ++k) todo.push_back(int(k));
  for (int k : todo)
    if (k < 0 || std::size_t(k) >= graph.edges.size()) return LStatus::BadInput;
  std::sort(todo.begin(), todo.end());
  todo.erase(std::unique(todo.begin(), todo.end()), todo.end());

  Router router(graph, options, margin);
  std::vector<Router::First> first(graph.edges.size());
  RouteReach reach;
  for (int k : todo) first[std::size_t(k)] = router.FirstPass(k, reach);
  std::vector<double> place;
  router.Places(todo, first, place);
  std::vector<std::vector<LPoint>> out(graph.edges.size());
  for (int k : todo)
    out[std::size_t(k)] =
        router.SecondPass(k, first[std::size_t(k)], place[std::size_t(2 * k)], place[std::size_t(2 * k + 1)], reach);
  routes = std::move(out);
  return LStatus::Ok;
}

LStatus RouteMoved(const LGraph& graph, const std::vector<LPoint>& centres, const std::vector<int>& which,
                   const LSpacing& spacing, std::vector<std::vector<LPoint>>& routes) {
  if (which.empty()) return LStatus::Ok;
  if (centres.size() != graph.nodes.size() || routes.size() != graph.edges.size()) return LStatus::BadInput;
  LGraph placed = graph;
  for (std::size_t i = 0; i < placed.nodes.size(); ++i) {
    LBox& b = placed.nodes[i].box;
    const LPoint c = centres[i];
    const double hw = b.Width() / 2, hh = b.Height() / 2;
    b = {c.x - hw, c.y - hh, c.x + hw, c.y + hh};
  }
  for (const int k : which) {
    if (k < 0 || std::size_t(k) >= placed.edges.size()) return LStatus::BadInput;
    placed.edges[std::size_t(k)].points.clear();
    placed.edges[std::size_t(k)].keep = LRouteKeep::Nothing;
  }
  LRouteOptions options;
  options.spacing = spacing;
  std::vector<std::vector<LPoint>> out;
  if (const LStatus s = RouteOrthogonal(placed, which, options, out); s != LStatus::Ok) return s;
  for (const int k : which) routes[std::size_t(k)] = std::move(out[std::size_t(k)]);
  return LStatus::Ok;
}

// ---- RouteCache -----------------------------------------------------------

namespace {
struct CacheEntry {
  // What the route was made from, besides the obstacles within reach.
  LBox fromBox, toBox;
  bool self = false;
  LRouteKeep keep = LRouteKeep::Nothing;
  LPoint frontKept, backKept;
  // The passes' results and reaches.
  Router::First first;
  RouteReach firstReach;
  double placeFrom = kInf, placeTo = kInf;
  std::vector<LPoint> route;
  RouteReach secondReach;
};
}  // namespace

struct RouteCache::State {
  std::unordered_map<std::uint64_t, CacheEntry> entries;  // by link
  std::unordered_map<std::uint64_t, LBox> boxes;          // by symbol
  double margin = 0, edgeEdge = 0;
  int steps = 0;
  LBox whole;
};

RouteCache::RouteCache() : m_state(std::make_unique<State>()) {}
RouteCache::~RouteCache() = default;
RouteCache::RouteCache(RouteCache&&) noexcept = default;
RouteCache& RouteCache::operator=(RouteCache&&) noexcept = default;

void RouteCache::Clear() {
  *m_state = State();
  m_moved.clear();
  m_valid = false;
}

LStatus RouteCache::Route(const LGraph& graph, const std::vector<std::uint64_t>& nodeKeys,
                          const std::vector<std::uint64_t>& edgeKeys, const LRouteOptions& options,
                          std::vector<std::vector<LPoint>>& routes) {
  if (const LStatus s = Validate(graph); s != LStatus::Ok) return s;
  const double margin = MarginOf(options);
  if (!std::isfinite(margin) || !std::isfinite(options.spacing.edgeEdge)) return LStatus::BadInput;
  if (nodeKeys.size() != graph.nodes.size() || edgeKeys.size() != graph.edges.size()) return LStatus::BadInput;
  auto unique = [](std::vector<std::uint64_t> keys) {
    std::sort(keys.begin(), keys.end());
    return std::adjacent_find(keys.begin(), keys.end()) == keys.end();
  };
  if (!unique(nodeKeys) || !unique(edgeKeys)) return LStatus::BadInput;

  Router router(graph, options, margin);
  // A change of the options or of the drawing's extent (which bounds the
  // widest search) may change any route.
  if (!m_valid || margin != m_state->margin || options.spacing.edgeEdge != m_state->edgeEdge ||
      options.stepsPerWindow != m_state->steps || !(router.Whole() == m_state->whole))
    Clear();
  m_stats = {};
  m_stats.full = !m_valid;

  // The symbols that moved, appeared or went: their old and new margins.
  std::vector<LBox> changed;
  std::unordered_map<std::uint64_t, LBox> boxes;
  boxes.reserve(graph.nodes.size());
  m_moved.clear();
  for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
    const LBox& box = graph.nodes[i].box;
    boxes.emplace(nodeKeys[i], box);
    auto it = m_state->boxes.find(nodeKeys[i]);
    if (it != m_state->boxes.end() && it->second == box) continue;
    if (it != m_state->boxes.end()) changed.push_back(Grow(it->second, margin));
    changed.push_back(Grow(box, margin));
    if (m_valid) m_moved.push_back(nodeKeys[i]);
  }
  for (const auto& [key, box] : m_state->boxes)
    if (!boxes.count(key)) changed.push_back(Grow(box, margin));
  auto touched = [&changed](RouteReach& reach) { return !changed.empty() && reach.MetBy(changed); };

  const std::size_t n = graph.edges.size();
  std::unordered_map<std::uint64_t, CacheEntry> entries;
  entries.reserve(n);
  std::vector<CacheEntry*> at(n);
  std::vector<char> redo(n, 0);
  std::vector<Router::First> first(n);
  for (std::size_t k = 0; k < n; ++k) {
    const LEdge& e = graph.edges[k];
    CacheEntry fresh;
    fresh.fromBox = graph.nodes[std::size_t(e.from)].box;
    fresh.toBox = graph.nodes[std::size_t(e.to)].box;
    fresh.self = e.from == e.to;
    fresh.keep = e.keep;
    if (e.keep == LRouteKeep::Ends && e.points.size() >= 2) {
      fresh.frontKept = {std::round(e.points.front().x), std::round(e.points.front().y)};
      fresh.backKept = {std::round(e.points.back().x), std::round(e.points.back().y)};
    }
    auto old = m_state->entries.find(edgeKeys[k]);
    const bool same = old != m_state->entries.end() && old->second.fromBox == fresh.fromBox &&
                      old->second.toBox == fresh.toBox && old->second.self == fresh.self &&
                      old->second.keep == fresh.keep && old->second.frontKept == fresh.frontKept &&
                      old->second.backKept == fresh.backKept;
    CacheEntry& entry = entries.emplace(edgeKeys[k], same ? std::move(old->second) : std::move(fresh)).first->second;
    at[k] = &entry;
    if (!same) {
      redo[k] = 1;
    } else if (touched(entry.firstReach)) {
      entry.firstReach = {};
      Router::First again = router.FirstPass(int(k), entry.firstReach);
      ++m_stats.firstPasses;
      if (!(again == entry.first)) redo[k] = 1;
      entry.first = std::move(again);
    }
    if (redo[k] && !same) {
      entry.firstReach = {};
      entry.first = router.FirstPass(int(k), entry.firstReach);
      ++m_stats.firstPasses;
    }
    first[k] = entry.first;
  }

  std::vector<int> all(n);
  for (std::size_t k = 0; k < n; ++k) all[k] = int(k);
  std::vector<double> place;
  router.Places(all, first, place);
  routes.assign(n, {});
  for (std::size_t k = 0; k < n; ++k) {
    CacheEntry& entry = *at[k];
    const double pf = place[2 * k], pt = place[2 * k + 1];
    if (redo[k] || pf != entry.placeFrom || pt != entry.placeTo || touched(entry.secondReach)) {
      entry.placeFrom = pf;
      entry.placeTo = pt;
      entry.secondReach = {};
      entry.route = router.SecondPass(int(k), entry.first, pf, pt, entry.secondReach);
      ++m_stats.secondPasses;
    }
    routes[k] = entry.route;
  }
  m_state->entries = std::move(entries);
  m_state->boxes = std::move(boxes);
  m_state->margin = margin;
  m_state->edgeEdge = options.spacing.edgeEdge;
  m_state->steps = options.stepsPerWindow;
  m_state->whole = router.Whole();
  m_valid = true;
  return LStatus::Ok;
}

}  // namespace kvl
