// One crossing counter for every drawing the benchmarks compare, ours and the
// yardsticks' alike: the proper crossings between segments of different
// polylines (touching ends and overlapping collinear pieces do not count).
// Segments are walked through a uniform grid; a pair met in several cells is
// counted once.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "kvlayout/engine/lgraph.h"

namespace bench {

using Polyline = std::vector<kvl::LPoint>;

namespace detail {

inline double Cross(const kvl::LPoint& o, const kvl::LPoint& a, const kvl::LPoint& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

inline bool ProperlyCross(const kvl::LPoint& a, const kvl::LPoint& b, const kvl::LPoint& c, const kvl::LPoint& d) {
  const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

}  // namespace detail

inline long long CountCrossings(const std::vector<Polyline>& lines) {
  struct Seg {
    kvl::LPoint a, b;
    int line;
  };
  std::vector<Seg> segs;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  for (std::size_t l = 0; l < lines.size(); ++l)
    for (std::size_t i = 0; i + 1 < lines[l].size(); ++i) {
      const kvl::LPoint a = lines[l][i], b = lines[l][i + 1];
      if (a == b) continue;
      if (segs.empty()) x0 = x1 = a.x, y0 = y1 = a.y;
      for (const kvl::LPoint& p : {a, b}) {
        x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
      }
      segs.push_back({a, b, static_cast<int>(l)});
    }
  if (segs.size() < 2) return 0;
  const int grid = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(segs.size()))));
  const double cw = std::max((x1 - x0) / grid, 1e-9), ch = std::max((y1 - y0) / grid, 1e-9);
  auto cellX = [&](double x) { return std::clamp(static_cast<int>((x - x0) / cw), 0, grid - 1); };
  auto cellY = [&](double y) { return std::clamp(static_cast<int>((y - y0) / ch), 0, grid - 1); };
  std::vector<std::vector<int>> cells(static_cast<std::size_t>(grid) * grid);
  for (int s = 0; s < static_cast<int>(segs.size()); ++s) {
    // Every cell the segment passes (Amanatides and Woo), with the cells
    // around each one so that a crossing on a cell border is not missed.
    const Seg& g = segs[s];
    int cx = cellX(g.a.x), cy = cellY(g.a.y);
    const int ex = cellX(g.b.x), ey = cellY(g.b.y);
    const double dx = g.b.x - g.a.x, dy = g.b.y - g.a.y;
    const int sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
    double tx = dx != 0 ? ((cx + (sx > 0)) * cw + x0 - g.a.x) / dx : INFINITY;
    double ty = dy != 0 ? ((cy + (sy > 0)) * ch + y0 - g.a.y) / dy : INFINITY;
    const double stepX = dx != 0 ? cw / std::abs(dx) : INFINITY, stepY = dy != 0 ? ch / std::abs(dy) : INFINITY;
    std::vector<std::pair<int, int>> path;
    for (int steps = std::abs(ex - cx) + std::abs(ey - cy) + 1; steps > 0; --steps) {
      path.emplace_back(cx, cy);
      if (cx == ex && cy == ey) break;
      if ((tx < ty && cx != ex) || cy == ey) {
        cx += sx;
        tx += stepX;
      } else {
        cy += sy;
        ty += stepY;
      }
    }
    std::vector<int> touched;
    for (const auto& [px, py] : path)
      for (int ax = std::max(0, px - 1); ax <= std::min(grid - 1, px + 1); ++ax)
        for (int ay = std::max(0, py - 1); ay <= std::min(grid - 1, py + 1); ++ay) touched.push_back(ay * grid + ax);
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    for (int c : touched) cells[c].push_back(s);
  }
  std::vector<std::uint64_t> pairs;
  for (const auto& cell : cells)
    for (std::size_t i = 0; i < cell.size(); ++i)
      for (std::size_t j = i + 1; j < cell.size(); ++j) {
        const Seg &p = segs[cell[i]], &q = segs[cell[j]];
        if (p.line == q.line || !detail::ProperlyCross(p.a, p.b, q.a, q.b)) continue;
        const auto lo = static_cast<std::uint64_t>(std::min(cell[i], cell[j]));
        const auto hi = static_cast<std::uint64_t>(std::max(cell[i], cell[j]));
        pairs.push_back(lo << 32 | hi);
      }
  std::sort(pairs.begin(), pairs.end());
  return static_cast<long long>(std::unique(pairs.begin(), pairs.end()) - pairs.begin());
}

}  // namespace bench
