#include "kvlayout/engine/route.h"

#include "kvlayout/engine/routecache.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <queue>
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

// What a route was made from among the obstacles: every box meeting
// `exact`; and of each window whose grid was too large to search, only
// that it was (a box that moves, comes or goes adds or takes at most two
// lines each way).
struct RouteReach {
  struct Sized {
    LBox window;
    double nx, ny;  // at least this many grid lines
  };
  LBox exact{kInf, kInf, -kInf, -kInf};
  std::vector<Sized> sized;

  void Widen(const LBox& area) {
    exact = {std::min(exact.x0, area.x0), std::min(exact.y0, area.y0), std::max(exact.x1, area.x1),
             std::max(exact.y1, area.y1)};
  }
  // Whether boxes that changed may change what was made (lowering what is
  // known of the large windows' grids when they may not).
  bool MetBy(const std::vector<LBox>& changed) {
    auto meets = [](const LBox& o, const LBox& r) {
      return r.x0 <= r.x1 && !(o.x1 < r.x0 || o.x0 > r.x1 || o.y1 < r.y0 || o.y0 > r.y1);
    };
    for (const LBox& o : changed)
      if (meets(o, exact)) return true;
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
  bool Clear(const LPoint& a, const LPoint& b) const {
    const LBox seg{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    bool clear = true;
    Visit(seg, [&](int i) {
      const LBox& o = m_boxes[std::size_t(i)];
      const bool blocked = seg.y0 == seg.y1 ? (o.y0 < seg.y0 && seg.y0 < o.y1 && seg.x0 < o.x1 && seg.x1 > o.x0)
                                            : (o.x0 < seg.x0 && seg.x0 < o.x1 && seg.y0 < o.y1 && seg.y1 > o.y0);
      if (blocked) clear = false;
      return clear;
    });
    return clear;
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

// A* over the sparse grid of the coordinates that matter inside a window:
// the borders of the inflated boxes and the ports' stubs. A state is a grid
// point and the direction it was reached in; a bend costs extra.
class Search {
 public:
  Search(const Obstacles& obstacles, double bendCost) : m_obs(obstacles), m_bend(bendCost) {}

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
    if (reach) reach->Widen(window);
    auto index = [](const std::vector<double>& v, double c) {
      return std::size_t(std::lower_bound(v.begin(), v.end(), c) - v.begin());
    };
    // Every coordinate of a box's sides is a grid line, so a grid step is
    // either wholly inside a box or wholly outside: mark the steps inside.
    m_blockedH.assign(nx * ny, 0);  // (i, j) -> (i + 1, j)
    m_blockedV.assign(nx * ny, 0);  // (i, j) -> (i, j + 1)
    auto above = [](const std::vector<double>& v, double c) {
      return std::size_t(std::upper_bound(v.begin(), v.end(), c) - v.begin());
    };
    for (int b : m_inWindow) {
      const LBox& o = m_obs.Box(b);
      // Steps along lines strictly inside the box, between its sides.
      const std::size_t i0 = index(m_xs, o.x0), i1 = index(m_xs, o.x1);
      const std::size_t j0 = index(m_ys, o.y0), j1 = index(m_ys, o.y1);
      for (std::size_t j = above(m_ys, o.y0); j < j1 && j < ny; ++j)
        for (std::size_t i = i0; i < i1 && i + 1 < nx; ++i) m_blockedH[i * ny + j] = 1;
      for (std::size_t i = above(m_xs, o.x0); i < i1 && i < nx; ++i)
        for (std::size_t j = j0; j < j1 && j + 1 < ny; ++j) m_blockedV[i * ny + j] = 1;
    }
    const std::size_t states = nx * ny * 4;
    m_cost.assign(states, kInf);
    m_parent.assign(states, kNone);
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
    // Manhattan distance to the nearest goal, and one bend when the goal is
    // on neither line through the point.
    auto heuristic = [&](double x, double y) {
      double h = kInf;
      for (const Port& p : to) {
        const double dx = std::abs(p.stub.x - x), dy = std::abs(p.stub.y - y);
        h = std::min(h, dx + dy + (dx != 0 && dy != 0 ? m_bend : 0));
      }
      return h;
    };
    std::vector<int> startOf(from.size());
    for (std::size_t f = 0; f < from.size(); ++f) {
      const Port& p = from[f];
      if (m_obs.Inside(p.stub)) continue;
      const std::int64_t s = key(index(m_xs, p.stub.x), index(m_ys, p.stub.y), p.side);
      const double g = std::abs(p.stub.x - p.at.x) + std::abs(p.stub.y - p.at.y);
      if (m_cost[std::size_t(s)] <= g) continue;
      m_cost[std::size_t(s)] = g;
      m_parent[std::size_t(s)] = kStart - std::int32_t(f);
      open.push({g + heuristic(p.stub.x, p.stub.y), g, order++, s});
    }
    // The ports to arrive at, by grid point.
    std::vector<std::pair<std::size_t, int>> goals;
    for (std::size_t t = 0; t < to.size(); ++t)
      if (!m_obs.Inside(to[t].stub)) goals.push_back({index(m_xs, to[t].stub.x) * ny + index(m_ys, to[t].stub.y), int(t)});
    double bestFinish = kInf;
    std::int64_t finishFrom = -1;
    int finishPort = -1;
    for (int steps = 0; !open.empty() && steps < budget; ++steps) {
      const Item item = open.top();
      open.pop();
      if (item.state == kFinish || item.f >= bestFinish) break;
      const double g = item.g;
      if (m_cost[std::size_t(item.state)] < g) continue;  // reached more cheaply since
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
      for (int d = 0; d < 4; ++d) {
        if (d == Opposite(dir)) continue;
        std::size_t jx = ix, jy = iy;
        bool blocked;
        switch (d) {
          case kLeft: blocked = ix == 0 || m_blockedH[(ix - 1) * ny + iy]; jx = ix - 1; break;
          case kRight: blocked = ix + 1 >= nx || m_blockedH[ix * ny + iy]; jx = ix + 1; break;
          case kBottom: blocked = iy == 0 || m_blockedV[ix * ny + iy - 1]; jy = iy - 1; break;
          default: blocked = iy + 1 >= ny || m_blockedV[ix * ny + iy]; jy = iy + 1; break;
        }
        if (blocked) continue;
        const double ng = g + std::abs(m_xs[jx] - m_xs[ix]) + std::abs(m_ys[jy] - m_ys[iy]) + (d == dir ? 0 : m_bend);
        const std::int64_t s = key(jx, jy, d);
        if (m_cost[std::size_t(s)] <= ng) continue;
        m_cost[std::size_t(s)] = ng;
        m_parent[std::size_t(s)] = std::int32_t(item.state);
        open.push({ng + heuristic(m_xs[jx], m_ys[jy]), ng, order++, s});
      }
    }
    if (finishFrom < 0) return false;
    std::vector<LPoint> back;
    const Port& end = to[std::size_t(finishPort)];
    back.push_back(end.at);
    std::int64_t s = finishFrom;
    int startPort = -1;
    while (true) {
      const std::size_t cell = std::size_t(s / 4);
      back.push_back({m_xs[cell / ny], m_ys[cell % ny]});
      const std::int32_t p = m_parent[std::size_t(s)];
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
  static constexpr std::int32_t kNone = -1, kStart = -2;  // parents: none; kStart - i = start port i
  std::vector<double> m_xs, m_ys;
  std::vector<int> m_inWindow;
  std::vector<char> m_blockedH, m_blockedV;
  std::vector<double> m_cost;
  std::vector<std::int32_t> m_parent;
  int m_startSide = -1, m_endSide = -1;
};

// The cost of a whole route: its length and a price per bend.
double RouteCost(const std::vector<LPoint>& path, double bendCost) {
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
// an empty path.
std::vector<LPoint> SimpleRoute(const Obstacles& obs, const std::vector<Port>& from, const std::vector<Port>& to,
                                double bendCost, std::pair<int, int>& sides) {
  std::vector<LPoint> best;
  double bestCost = kInf;
  std::vector<double> middles;
  auto consider = [&](const Port& f, const Port& t, std::initializer_list<LPoint> inner) {
    std::vector<LPoint> path{f.at, f.stub};
    path.insert(path.end(), inner.begin(), inner.end());
    path.push_back(t.stub);
    path.push_back(t.at);
    const double cost = RouteCost(path, bendCost);
    if (!(cost < bestCost)) return;
    for (std::size_t i = 2; i + 2 <= path.size(); ++i)
      if (!obs.Clear(path[i - 1], path[i])) return;
    bestCost = cost;
    best = std::move(path);
    sides = {f.side, t.side};
  };
  for (const Port& f : from) {
    if (obs.Inside(f.stub)) continue;
    for (const Port& t : to) {
      if (obs.Inside(t.stub)) continue;
      const LPoint a = f.stub, b = t.stub;
      consider(f, t, {});
      consider(f, t, {LPoint{b.x, a.y}});
      consider(f, t, {LPoint{a.x, b.y}});
      for (int vertical = 0; vertical < 2; ++vertical) {
        const double lo = vertical ? std::min(a.y, b.y) : std::min(a.x, b.x);
        const double hi = vertical ? std::max(a.y, b.y) : std::max(a.x, b.x);
        const double mid = std::round((lo + hi) / 2);
        middles.assign({mid});
        obs.Visit({std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)}, [&](int i) {
          const LBox& o = obs.Box(i);
          const double edges[2] = {vertical ? o.y0 : o.x0, vertical ? o.y1 : o.x1};
          for (double c : edges)
            if (c > lo && c < hi) middles.push_back(c);
          return middles.size() < 64;
        });
        std::sort(middles.begin() + 1, middles.end(),
                  [&](double p, double q) { return std::abs(p - mid) < std::abs(q - mid) || (std::abs(p - mid) == std::abs(q - mid) && p < q); });
        for (std::size_t m = 0; m < middles.size() && m < 8; ++m) {
          const double c = middles[m];
          if (vertical)
            consider(f, t, {LPoint{a.x, c}, LPoint{b.x, c}});
          else
            consider(f, t, {LPoint{c, a.y}, LPoint{c, b.y}});
        }
      }
    }
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
        m_bendCost(2 * margin + options.spacing.edgeEdge), m_search(m_obstacles, m_bendCost),
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
    std::map<std::pair<int, int>, std::vector<std::pair<double, int>>> sides;  // (node, side) -> (order key, link end)
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
      sides[{e.from, en.fromSide}].push_back({keyFor(en.fromSide, n0, p.back()), 2 * k});
      sides[{e.to, en.toSide}].push_back({keyFor(en.toSide, n1, p.front()), 2 * k + 1});
    }
    place.assign(m_graph.edges.size() * 2, kInf);
    for (auto& [where, list] : sides) {
      if (list.size() < 2) continue;
      std::sort(list.begin(), list.end());
      const LBox& b = m_graph.nodes[std::size_t(where.first)].box;
      const bool h = Horizontal(where.second);
      const double lo = h ? b.y0 : b.x0, hi = h ? b.y1 : b.x1;
      for (std::size_t i = 0; i < list.size(); ++i)
        place[std::size_t(list[i].second)] = std::round(lo + (hi - lo) * double(i + 1) / double(list.size() + 1));
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
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (attempt == 2) window = m_whole;
      window = {std::max(window.x0, m_whole.x0), std::max(window.y0, m_whole.y0), std::min(window.x1, m_whole.x1),
                std::min(window.y1, m_whole.y1)};
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
