#include "kvlayout/engine/pack.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kvl {

namespace {
int Root(std::vector<int>& parent, int i) {
  while (parent[i] != i) {
    parent[i] = parent[parent[i]];
    i = parent[i];
  }
  return i;
}

bool Valid(const LGraph& graph, const LEdge& e) {
  const auto n = static_cast<int>(graph.nodes.size());
  return e.from >= 0 && e.to >= 0 && e.from < n && e.to < n;
}

struct Extent {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool empty = true;
  void Add(double xa, double ya, double xb, double yb) {
    if (empty) {
      x0 = xa, y0 = ya, x1 = xb, y1 = yb;
      empty = false;
      return;
    }
    x0 = std::min(x0, xa), y0 = std::min(y0, ya), x1 = std::max(x1, xb), y1 = std::max(y1, yb);
  }
  double Width() const { return x1 - x0; }
  double Height() const { return y1 - y0; }
};
}  // namespace

std::vector<int> Components(const LGraph& graph, int& count) {
  const auto n = static_cast<int>(graph.nodes.size());
  std::vector<int> parent(static_cast<size_t>(n));
  std::iota(parent.begin(), parent.end(), 0);
  for (const LEdge& e : graph.edges) {
    if (!Valid(graph, e) || graph.nodes[size_t(e.from)].fixed || graph.nodes[size_t(e.to)].fixed) continue;
    const int a = Root(parent, e.from), b = Root(parent, e.to);
    // The smaller index is the root, so that numbering follows node order.
    if (a != b) parent[size_t(std::max(a, b))] = std::min(a, b);
  }
  std::vector<int> of(static_cast<size_t>(n), -1), number(static_cast<size_t>(n), -1);
  count = 0;
  for (int i = 0; i < n; ++i) {
    if (graph.nodes[size_t(i)].fixed) continue;
    int& id = number[size_t(Root(parent, i))];
    if (id < 0) id = count++;
    of[size_t(i)] = id;
  }
  return of;
}

LRows PackRows(const std::vector<LPoint>& sizes, double gap, double widthFactor, double maxWidth, bool tallestFirst) {
  std::vector<int> order(sizes.size());
  std::iota(order.begin(), order.end(), 0);
  if (tallestFirst)
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return sizes[size_t(a)].y > sizes[size_t(b)].y; });
  double area = 0, widest = 0;
  for (const LPoint& s : sizes) {
    area += (s.x + gap) * (s.y + gap);
    widest = std::max(widest, s.x);
  }
  const double rowWidth = std::min(maxWidth, std::max(widest, widthFactor * std::sqrt(area)));
  LRows rows;
  rows.corner.resize(sizes.size());
  double x = 0, y = 0, rowHeight = 0;
  for (int i : order) {
    const LPoint& s = sizes[size_t(i)];
    if (x > 0 && x + s.x > rowWidth) {
      y -= rowHeight + gap;
      x = 0;
      rowHeight = 0;
    }
    rows.corner[size_t(i)] = {x, y};
    rows.width = std::max(rows.width, x + s.x);
    x += s.x + gap;
    rowHeight = std::max(rowHeight, s.y);
  }
  rows.height = rowHeight - y;
  return rows;
}

LStatus Pack(const LGraph& graph, const LSpacing& spacing, LResult& result) {
  const size_t n = graph.nodes.size();
  if (result.centres.size() != n || result.routes.size() > graph.edges.size()) return LStatus::BadInput;
  result.routes.resize(graph.edges.size());
  int count = 0;
  const std::vector<int> comp = Components(graph, count);

  // The extent of each component where the style put it, and of the fixed nodes.
  std::vector<Extent> extents(static_cast<size_t>(count));
  Extent fixed;
  for (size_t i = 0; i < n; ++i) {
    const LBox& b = graph.nodes[i].box;
    const LPoint c = comp[i] < 0 ? b.Centre() : result.centres[i];
    if (!std::isfinite(c.x) || !std::isfinite(c.y)) return LStatus::BadInput;
    Extent& e = comp[i] < 0 ? fixed : extents[size_t(comp[i])];
    e.Add(c.x - b.Width() / 2, c.y - b.Height() / 2, c.x + b.Width() / 2, c.y + b.Height() / 2);
  }
  for (size_t k = 0; k < graph.edges.size(); ++k) {
    const LEdge& e = graph.edges[k];
    if (!Valid(graph, e) || comp[size_t(e.from)] < 0 || comp[size_t(e.to)] < 0) continue;
    for (const LPoint& p : result.routes[k]) {
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) return LStatus::BadInput;
      extents[size_t(comp[size_t(e.from)])].Add(p.x, p.y, p.x, p.y);
    }
  }
  if (count == 0) return LStatus::Ok;

  // Rows, the tallest components first (ties in node order), about as wide
  // as the whole is tall.
  const double gap = std::max(0.0, spacing.node);
  std::vector<LPoint> sizes;
  double widest = 0;
  for (const Extent& e : extents) {
    sizes.push_back({e.Width(), e.Height()});
    widest = std::max(widest, e.Width());
  }
  if (widest > 2 * kLimit) return LStatus::TooLarge;
  const LRows rows = PackRows(sizes, gap, 1.0, 2 * kLimit, true);
  const std::vector<LPoint>& at = rows.corner;
  const double width = rows.width, height = rows.height;

  // Where the whole goes: on the origin, or under the symbols that stay.
  double left = -width / 2, top = height / 2;
  if (!fixed.empty) {
    left = (fixed.x0 + fixed.x1) / 2 - width / 2;
    top = fixed.y0 - std::max(0.0, spacing.layer);
  }
  left = std::round(left);
  top = std::floor(top);  // never above where it was asked to go
  if (left < -kLimit || left + width > kLimit || top > kLimit || top - height < -kLimit) return LStatus::TooLarge;

  std::vector<LPoint> shift(static_cast<size_t>(count));
  for (int c = 0; c < count; ++c) {
    const Extent& e = extents[size_t(c)];
    shift[size_t(c)] = {std::round(left + at[size_t(c)].x - e.x0), std::floor(top + at[size_t(c)].y - e.y1)};
  }
  for (size_t i = 0; i < n; ++i) {
    if (comp[i] < 0) continue;
    result.centres[i].x += shift[size_t(comp[i])].x;
    result.centres[i].y += shift[size_t(comp[i])].y;
  }
  for (size_t k = 0; k < graph.edges.size(); ++k) {
    const LEdge& e = graph.edges[k];
    if (!Valid(graph, e)) continue;
    const int a = comp[size_t(e.from)], b = comp[size_t(e.to)];
    if (a < 0 && b < 0) continue;
    if (a < 0 || b < 0) {
      result.routes[k].clear();  // between a fixed node and a moved one: the router's
      continue;
    }
    for (LPoint& p : result.routes[k]) {
      p.x += shift[size_t(a)].x;
      p.y += shift[size_t(a)].y;
    }
  }
  return LStatus::Ok;
}

}  // namespace kvl
