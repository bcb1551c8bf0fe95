#include "kvlayout/engine/routecache.h"

#include <cmath>

namespace kvl {

bool SegmentsCross(const LPoint& a, const LPoint& b, const LPoint& c, const LPoint& d, LPoint& at, double& t) {
  const double dxa = b.x - a.x, dya = b.y - a.y, dxb = d.x - c.x, dyb = d.y - c.y;
  const double den = dxa * dyb - dya * dxb;
  if (den == 0) return false;
  const double ta = ((c.x - a.x) * dyb - (c.y - a.y) * dxb) / den;
  const double u = ((c.x - a.x) * dya - (c.y - a.y) * dxa) / den;
  constexpr double eps = 1e-9;
  if (ta <= eps || ta >= 1 - eps || u <= eps || u >= 1 - eps) return false;
  at = {a.x + ta * dxa, a.y + ta * dya};
  t = ta;
  return true;
}

template <class F>
void CrossingIndex::ForCells(const LPoint& a, const LPoint& b, F&& f) {
  // Coordinates beyond the drawing area share the outermost cells.
  auto cell = [](double v) {
    return static_cast<std::int64_t>(std::floor(std::clamp(v, -2 * kLimit, 2 * kLimit) / kCellSize));
  };
  const std::int64_t x0 = cell(std::min(a.x, b.x)), x1 = cell(std::max(a.x, b.x));
  const std::int64_t y0 = cell(std::min(a.y, b.y)), y1 = cell(std::max(a.y, b.y));
  for (std::int64_t x = x0; x <= x1; ++x)
    for (std::int64_t y = y0; y <= y1; ++y) f(Cell(x * (std::int64_t(1) << 20) + y));
}

void CrossingIndex::Set(std::uint64_t link, const std::vector<LPoint>& points) {
  for (const LPoint& p : points)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
      Remove(link);
      return;
    }
  if (auto it = m_links.find(link); it != m_links.end() && it->second.points == points) return;
  Remove(link);
  ++m_reindexed;
  Link& me = m_links[link];
  me.points = points;
  me.start.assign(points.size(), 0);
  for (std::size_t i = 1; i < points.size(); ++i)
    me.start[i] = me.start[i - 1] + std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y);
  std::vector<std::pair<std::uint64_t, int>> near;
  for (std::size_t s = 0; s + 1 < points.size(); ++s) {
    const LPoint& a = points[s];
    const LPoint& b = points[s + 1];
    if (a == b) continue;
    near.clear();
    ForCells(a, b, [&](Cell c) {
      if (auto it = m_cells.find(c); it != m_cells.end()) near.insert(near.end(), it->second.begin(), it->second.end());
    });
    std::sort(near.begin(), near.end());
    near.erase(std::unique(near.begin(), near.end()), near.end());
    for (const auto& [other, seg] : near) {
      Link& them = m_links.at(other);
      const LPoint& c = them.points[std::size_t(seg)];
      const LPoint& d = them.points[std::size_t(seg) + 1];
      LPoint at, atThem;
      double t, u;
      if (!SegmentsCross(a, b, c, d, at, t)) continue;
      // Each link sees the point as its own segment puts it.
      if (!SegmentsCross(c, d, a, b, atThem, u)) {
        atThem = at;
        u = std::hypot(at.x - c.x, at.y - c.y) / std::hypot(d.x - c.x, d.y - c.y);
      }
      me.hits.push_back({other, at, me.start[s] + t * std::hypot(b.x - a.x, b.y - a.y)});
      them.hits.push_back({link, atThem, them.start[std::size_t(seg)] + u * std::hypot(d.x - c.x, d.y - c.y)});
    }
  }
  for (std::size_t s = 0; s + 1 < points.size(); ++s)
    if (!(points[s] == points[s + 1])) ForCells(points[s], points[s + 1], [&](Cell c) { m_cells[c].push_back({link, int(s)}); });
}

void CrossingIndex::Remove(std::uint64_t link) {
  auto it = m_links.find(link);
  if (it == m_links.end()) return;
  const Link& me = it->second;
  for (const Hit& h : me.hits) {
    if (h.other == link) continue;
    auto them = m_links.find(h.other);
    if (them != m_links.end()) std::erase_if(them->second.hits, [link](const Hit& x) { return x.other == link; });
  }
  for (std::size_t s = 0; s + 1 < me.points.size(); ++s) {
    if (me.points[s] == me.points[s + 1]) continue;
    ForCells(me.points[s], me.points[s + 1], [&](Cell c) {
      auto cell = m_cells.find(c);
      if (cell == m_cells.end()) return;
      std::erase_if(cell->second, [link](const std::pair<std::uint64_t, int>& e) { return e.first == link; });
      if (cell->second.empty()) m_cells.erase(cell);
    });
  }
  m_links.erase(it);
}

void CrossingIndex::KeepOnly(std::vector<std::uint64_t> links) {
  std::sort(links.begin(), links.end());
  std::vector<std::uint64_t> gone;
  for (const auto& [key, link] : m_links)
    if (!std::binary_search(links.begin(), links.end(), key)) gone.push_back(key);
  for (std::uint64_t key : gone) Remove(key);
}

void CrossingIndex::Clear() {
  m_links.clear();
  m_cells.clear();
}

}  // namespace kvl
