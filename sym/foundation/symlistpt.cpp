// The split of a point list at its crossings.
#include "sym/foundation/symlistpt.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
double SegLen(const SSymPoint& a, const SSymPoint& b) {
  return std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
}
}  // namespace

void SSymListPt::Split(const STable<SWeighted<SSymPoint, double>>& crossings, STable<SSymListPt>& out, int radius,
                       int flags) const {
  (void)flags;
  const int n = GetCount();
  if (n == 0) return;
  // Cumulative lengths along the list.
  std::vector<double> at(static_cast<std::size_t>(n), 0.0);
  for (int i = 1; i < n; ++i) at[static_cast<std::size_t>(i)] = at[static_cast<std::size_t>(i - 1)] + SegLen(GetAt(i - 1), GetAt(i));
  // Each crossing's position along the list: its projection on the nearest segment.
  std::vector<double> cuts;
  for (int k = 0; k < crossings.GetCount(); ++k) {
    const SSymPoint& p = crossings[k].m_value;
    double best = -1.0, bestD = 0.0;
    for (int i = 0; i + 1 < n; ++i) {
      const SSymPoint &a = GetAt(i), &b = GetAt(i + 1);
      const double len = SegLen(a, b);
      double t = 0.0;
      if (len > 0)
        t = std::clamp(((p.x - static_cast<double>(a.x)) * (b.x - a.x) + (p.y - static_cast<double>(a.y)) * (b.y - a.y)) /
                           (len * len),
                       0.0, 1.0);
      const double qx = a.x + t * (b.x - a.x), qy = a.y + t * (b.y - a.y);
      const double d = std::hypot(qx - p.x, qy - p.y);
      if (best < 0 || d < bestD) {
        best = at[static_cast<std::size_t>(i)] + t * len;
        bestD = d;
      }
    }
    if (best >= 0) cuts.push_back(best);
  }
  std::sort(cuts.begin(), cuts.end());
  // The point at a distance along the list.
  auto pointAt = [&](double s) {
    for (int i = 0; i + 1 < n; ++i) {
      const double a0 = at[static_cast<std::size_t>(i)], a1 = at[static_cast<std::size_t>(i + 1)];
      if (s <= a1 || i + 2 == n) {
        const double t = a1 > a0 ? (s - a0) / (a1 - a0) : 0.0;
        const SSymPoint &a = GetAt(i), &b = GetAt(i + 1);
        return SSymPoint(SSymRoundAway(a.x + t * (b.x - a.x)), SSymRoundAway(a.y + t * (b.y - a.y)));
      }
    }
    return GetAt(n - 1);
  };
  const double total = at[static_cast<std::size_t>(n - 1)];
  double start = 0.0;
  auto piece = [&](double from, double to) {
    if (to < from) return;
    SSymListPt p;
    p.Add(pointAt(from));
    for (int i = 1; i + 1 < n; ++i) {
      const double s = at[static_cast<std::size_t>(i)];
      if (s > from && s < to) p.Add(GetAt(i));
    }
    p.Add(pointAt(to));
    out.Add(p);
  };
  for (double c : cuts) {
    const double end = std::max(start, c - radius);
    piece(start, end);
    start = std::min(total, c + radius);
  }
  piece(start, total);
}
