// The split of a point list at its crossings.
#include "sym/foundation/symlistpt.h"

#include <algorithm>
#include <cmath>
#include <limits>
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

// ---- the path algorithms -----------------------------------------------------------------
namespace {
using i64 = long long;

i64 Abs(i64 v) { return v < 0 ? -v : v; }
// v held to the coordinate range: routes near the edge of the drawing area
// stop at the edge instead of wrapping around.
LONG Sat(i64 v) {
  return static_cast<LONG>(std::clamp<i64>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}
LONG Half(i64 a, i64 b) { return static_cast<LONG>((a + b) / 2); }
SSymPoint MidPt(const SSymPoint& a, const SSymPoint& b) { return {Half(a.x, b.x), Half(a.y, b.y)}; }
double Dist(const SSymPoint& a, const SSymPoint& b) {
  return std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
}
// The square of side 2 x radius centred on pt: the circle of that radius.
SSymRect Circle(const SSymPoint& pt, int radius) {
  return {pt.x - radius, pt.y + radius, pt.x + radius, pt.y - radius};
}
}  // namespace

void SSymListPt::Trim() {
  if (GetCount() < 3) return;
  SSymPoint prev = GetAt(0), cur = GetAt(1);
  int i = 2;
  while (i < GetCount()) {
    const SSymPoint next = GetAt(i);
    const bool redundant = prev == cur || cur == next || (prev.x == cur.x && cur.x == next.x) ||
                           (prev.y == cur.y && cur.y == next.y);
    if (redundant) {
      Remove(i - 1);
      cur = next;
    } else {
      ++i;
      prev = cur;
      cur = next;
    }
  }
}

void SSymListPt::CleanExtraPoints(const SSymRect& a, const SSymRect& b) {
  int i = 1;
  while (i < GetCount() - 1) {
    const SSymPoint& p = GetAt(i);
    if (a.PtInRect(p) || b.PtInRect(p))
      Remove(i);
    else
      ++i;
  }
}

// Steps shared by both forms of FormatLink: a middle point for a two-point
// list, squaring of the inner points, the last corner, Trim. With one
// rectangle (a self link) the last corner keeps out of it.
void SSymListPt::FormatLinkRouted(bool oneRect, const SSymRect* rect) {
  if (GetCount() == 2) Insert(1, MidPt(GetAt(0), GetAt(1)));
  bool reversed = false;
  if (GetAt(0).x != GetAt(1).x && GetAt(0).y != GetAt(1).y) {
    Reverse();
    reversed = true;
  }
  SSymPoint prev = GetAt(0);
  for (int i = 1; i <= GetCount() - 2; ++i) {
    SSymPoint& p = GetAt(i);
    if (Abs(static_cast<i64>(p.x) - prev.x) > Abs(static_cast<i64>(p.y) - prev.y))
      p.y = prev.y;
    else
      p.x = prev.x;
    prev = p;
  }
  const int n = GetCount();
  const SSymPoint a = GetAt(n - 3), c = GetAt(n - 1);
  SSymPoint& b = GetAt(n - 2);
  if (!oneRect) {
    if (a.y != b.y)
      b = {b.x, c.y};
    else
      b = {c.x, b.y};
  } else if (a.y != b.y && b.y != c.y) {
    const SSymPoint t(c.x, b.y);
    if (!rect->PtInRect(t))
      Insert(n - 1, t);
    else
      b = {b.x, c.y};
  } else if (a.y == b.y && b.x != c.x) {
    const SSymPoint t(b.x, c.y);
    if (!rect->PtInRect(t))
      Insert(n - 1, t);
    else
      b = {c.x, b.y};
  }
  if (reversed) Reverse();
  Trim();
}

void SSymListPt::FormatLink(int srcFixed, int dstFixed, const SSymRect& src, const SSymRect& dst) {
  if (GetCount() < 2) return;
  CleanExtraPoints(src, dst);
  if (GetCount() <= 3 && !(srcFixed && dstFixed)) {
    const SSymPoint p = GetAt(0), q = GetAt(GetCount() - 1);
    const i64 dx = static_cast<i64>(q.x) - p.x, dy = static_cast<i64>(q.y) - p.y;
    const bool horizontal = Abs(dx) > Abs(dy);
    if ((horizontal ? Abs(dy) : Abs(dx)) < 1000) {
      const SSymPoint m = MidPt(p, q);
      const SSymPoint qAligned = horizontal ? SSymPoint(q.x, p.y) : SSymPoint(p.x, q.y);
      const SSymPoint pAligned = horizontal ? SSymPoint(p.x, q.y) : SSymPoint(q.x, p.y);
      bool possible;
      if (srcFixed)
        possible = dst.PtInRect(qAligned);
      else if (dstFixed)
        possible = src.PtInRect(pAligned);
      else
        possible = src.PtInRect(pAligned) && dst.PtInRect(qAligned);
      if (possible) {
        if (GetCount() > 2) Remove(1, GetCount() - 2);
        SSymPoint &first = GetAt(0), &last = GetAt(1);
        LONG& firstCross = horizontal ? first.y : first.x;
        LONG& lastCross = horizontal ? last.y : last.x;
        if (srcFixed)
          lastCross = firstCross;
        else if (dstFixed)
          firstCross = lastCross;
        else
          firstCross = lastCross = horizontal ? m.y : m.x;
        return;
      }
    }
  }
  const bool oneRect = src == dst;
  FormatLinkRouted(oneRect, &src);

  // The middle point of a short route must not lie inside an end symbol.
  bool centre = false;
  if (GetCount() == 3 || GetCount() == 4) {
    const SSymPoint m = GetAt(1);
    if (src.PtInRect(m) || dst.PtInRect(m)) {
      if (GetCount() == 4) {
        centre = true;
      } else {
        const SSymPoint c = MidPt(GetAt(0), GetAt(2));
        if (!oneRect || !src.PtInRect(c)) {
          Insert(1, c);
        } else {
          // One rectangle holding the midpoint: two points pushed out of it.
          const SSymPoint a = GetAt(0), d = GetAt(2);
          const i64 dx = static_cast<i64>(a.x) - d.x, dy = static_cast<i64>(a.y) - d.y;
          SSymPoint u, w;
          if (Abs(dx) <= Abs(dy)) {
            u = {Sat(a.x + dx), a.y};
            w = {Sat(d.x + dx), d.y};
            if (src.PtInRect(u)) u.x = w.x = dx > 0 ? Sat(src.GetMaxX() + 2000LL) : Sat(src.GetMinX() - 2000LL);
          } else {
            u = {a.x, Sat(a.y + dy)};
            w = {d.x, Sat(d.y + dy)};
            if (src.PtInRect(u)) u.y = w.y = dy > 0 ? Sat(src.GetMaxY() + 2000LL) : Sat(src.GetMinY() - 2000LL);
          }
          GetAt(1) = u;
          Insert(2, w);
        }
        centre = true;
      }
    } else if (GetCount() == 4 && (src.PtInRect(GetAt(2)) || dst.PtInRect(GetAt(2)))) {
      centre = true;
    }
  }
  if (!centre || GetCount() != 4) return;

  // The middle segment half way between the facing borders.
  const SSymPoint a = GetAt(0), d = GetAt(3);
  if (src.PtInRect(d) || dst.PtInRect(a)) return;
  const i64 dx = static_cast<i64>(d.x) - a.x, dy = static_cast<i64>(d.y) - a.y;
  SSymPoint e1 = d, e2 = a;
  if (Abs(dx) > Abs(dy)) {
    Intersects(SSymSegment(d, SSymPoint(a.x, d.y)), dst, &e1);
    Intersects(SSymSegment(a, SSymPoint(d.x, a.y)), src, &e2);
    const LONG mx = Half(e1.x, e2.x);
    GetAt(1) = {mx, a.y};
    GetAt(2) = {mx, d.y};
  } else {
    Intersects(SSymSegment(d, SSymPoint(d.x, a.y)), dst, &e1);
    Intersects(SSymSegment(a, SSymPoint(a.x, d.y)), src, &e2);
    const LONG my = Half(e1.y, e2.y);
    GetAt(1) = {a.x, my};
    GetAt(2) = {d.x, my};
  }
}

void SSymListPt::FormatLink() {
  if (GetCount() < 2) return;
  if (GetCount() <= 4) {
    const SSymPoint p = GetAt(0), q = GetAt(GetCount() - 1);
    const i64 dx = static_cast<i64>(q.x) - p.x, dy = static_cast<i64>(q.y) - p.y;
    const bool horizontal = Abs(dx) > Abs(dy);
    if ((horizontal ? Abs(dx) : Abs(dy)) < 1000) {
      const SSymPoint m = MidPt(p, q);
      if (GetCount() > 2) Remove(1, GetCount() - 2);
      for (int i = 0; i < 2; ++i) (horizontal ? GetAt(i).y : GetAt(i).x) = horizontal ? m.y : m.x;
      return;
    }
  }
  FormatLinkRouted(false, nullptr);
}

void SSymListPt::FormatLoop(const SSymRect& r) {
  if (GetCount() < 2) return;
  CleanExtraPoints(r, r);
  SSymPoint anchor;
  const int n = GetCount();
  if (n < 3) {
    anchor = {Half(r.x1, r.x2), Half(r.y1, r.y2)};
  } else {
    i64 sx = 0, sy = 0;
    for (int i = 1; i <= n - 2; ++i) {
      sx += GetAt(i).x;
      sy += GetAt(i).y;
    }
    anchor = {static_cast<LONG>(sx / (n - 2)), static_cast<LONG>(sy / (n - 2))};
  }
  if (anchor.x >= r.GetMinX() && anchor.x <= r.GetMaxX())
    FormatLoop(0, 1, r, anchor);
  else if (anchor.y >= r.GetMinY() && anchor.y <= r.GetMaxY())
    FormatLoop(1, 0, r, anchor);
  else
    FormatLoop(0, 0, r, anchor);
}

void SSymListPt::FormatLoop(int sideX, int sideY, const SSymRect& r, const SSymPoint& anchor) {
  if (GetCount() < 1) return;
  const LONG left = r.GetMinX(), right = r.GetMaxX(), bottom = r.GetMinY(), top = r.GetMaxY();
  const LONG cx = Half(r.x1, r.x2), cy = Half(r.y1, r.y2);
  const LONG outX = anchor.x < cx ? Sat(left - 2400LL) : Sat(right + 2400LL);
  const LONG outY = anchor.y < cy ? Sat(bottom - 2400LL) : Sat(top + 2400LL);
  // A side loop of a short side goes around the two corners (6 points).
  int want = 5;
  if (sideY)
    want = static_cast<i64>(top) - bottom + 1 < 4000 ? 6 : 4;
  else if (sideX)
    want = static_cast<i64>(right) - left + 1 < 4000 ? 6 : 4;
  while (GetCount() > want) Remove(1);
  while (GetCount() < want) Add(SSymPoint(GetAt(0)));
  auto at = [this](int i) -> SSymPoint& { return GetAt(i); };
  const SSymPoint first = at(0), last = at(want - 1);
  bool reversed = false;
  if (sideY) {
    reversed = Abs(static_cast<i64>(last.x) - left) < Abs(static_cast<i64>(first.x) - left);
    if (reversed) Reverse();
    at(0).x = Sat(left + 1000LL);
    if (want == 6) {
      at(1) = {Sat(left - 2000LL), at(0).y};
      at(2) = {Sat(left - 2000LL), outY};
      at(3) = {Sat(right + 2000LL), outY};
      at(4) = {Sat(right + 2000LL), at(5).y};
      at(5).x = Sat(right - 1000LL);
    } else {
      at(1) = {Sat(left + 1000LL), outY};
      at(2) = {Sat(right - 1000LL), outY};
      at(3).x = Sat(right - 1000LL);
    }
  } else if (sideX) {
    reversed = Abs(static_cast<i64>(last.y) - bottom) < Abs(static_cast<i64>(first.y) - bottom);
    if (reversed) Reverse();
    at(0).y = Sat(bottom + 1000LL);
    if (want == 6) {
      at(1) = {at(0).x, Sat(bottom - 2000LL)};
      at(2) = {outX, Sat(bottom - 2000LL)};
      at(3) = {outX, Sat(top + 2000LL)};
      at(4) = {at(5).x, Sat(top + 2000LL)};
      at(5).y = Sat(top - 1000LL);
    } else {
      at(1) = {outX, Sat(bottom + 1000LL)};
      at(2) = {outX, Sat(top - 1000LL)};
      at(3).y = Sat(top - 1000LL);
    }
  } else {
    reversed = Abs(static_cast<i64>(last.x) - outX) < Abs(static_cast<i64>(first.x) - outX) ||
               Abs(static_cast<i64>(last.y) - outY) > Abs(static_cast<i64>(first.y) - outY);
    if (reversed) Reverse();
    at(1) = {outX, at(0).y};
    at(2) = {outX, outY};
    at(3) = {at(4).x, outY};
  }
  if (reversed) Reverse();
}

SSymListPt SSymListPt::Sort(SSymListPt& pts) const {
  SSymListPt result;
  const int n = GetCount();
  for (int k = pts.GetCount() - 1; k >= 0; --k) {
    if (k >= pts.GetCount()) continue;
    const SSymPoint p = pts.GetAt(k);
    SSymListPt prefix;
    for (int i = 0; i + 1 < n; ++i) {
      prefix.Add(GetAt(i));
      if (!SSymSegment(GetAt(i), GetAt(i + 1)).Contains(p)) continue;
      pts.Remove(k);
      prefix.Add(p);
      SSymListPt suffix;
      suffix.Add(p);
      for (int j = i + 1; j < n; ++j) suffix.Add(GetAt(j));
      // Every point of pts on this path lies on the prefix or the suffix.
      SSymListPt before = prefix.Sort(pts);
      SSymListPt after = suffix.Sort(pts);
      for (const SSymPoint& b : before) result.Add(b);
      result.Add(p);
      for (const SSymPoint& a : after) result.Add(a);
      return result;
    }
  }
  return result;
}

STable<SSymListPt> SSymListPt::Split(STable<SWeighted<SSymPoint, double>>& crossings, int radius, int gap) const {
  STable<SSymListPt> result;
  SSymListPt piece;
  const int n = GetCount();
  if (n == 0) return result;
  for (int i = n - 2; i >= 0; --i) {
    const SSymPoint a = GetAt(i + 1), b = GetAt(i);
    piece.Add(a);
    if (radius <= 0 || Dist(a, b) < 2.0 * radius) continue;
    const SSymSegment ab(a, b);
    SSymPoint pa = a, pb = b;
    IntersectsEllipse(ab, Circle(a, radius), &pa);
    IntersectsEllipse(ab, Circle(b, radius), &pb);
    // A crossing nearer an end than the radius is moved out to the radius.
    auto place = [&](SSymPoint c) {
      if (SSymSegment(a, pa).Contains(c)) return pa;
      if (SSymSegment(b, pb).Contains(c)) return pb;
      return c;
    };
    std::vector<std::pair<SSymPoint, SSymPoint>> clusters;
    int k = crossings.GetCount() - 1;
    while (k >= 0) {
      const SSymPoint c0 = crossings.GetAt(k).m_value;
      if (!ab.Contains(c0)) {
        --k;
        continue;
      }
      const SSymPoint first = place(c0);
      SSymPoint lastPt = first;
      crossings.Remove(k);
      --k;
      while (k >= 0) {
        const SSymPoint c = crossings.GetAt(k).m_value;
        if (!ab.Contains(c) || Dist(c, lastPt) >= 2.0 * radius + gap) break;
        lastPt = place(c);
        crossings.Remove(k);
        --k;
      }
      clusters.emplace_back(first, lastPt);
    }
    for (const auto& [first, lastPt] : clusters) {
      SSymPoint enter;
      if (IntersectsEllipse(SSymSegment(a, first), Circle(first, radius), &enter)) piece.Add(enter);
      result.Add(piece);
      piece.Clear();
      SSymPoint leave;
      if (IntersectsEllipse(SSymSegment(lastPt, b), Circle(lastPt, radius), &leave)) piece.Add(leave);
    }
  }
  piece.Add(GetAt(0));
  result.Add(piece);
  return result;
}

unsigned long SSymListPt::GetDiff(const SSymListPt& other) const {
  const int n = GetCount();
  if (n < 2 || other.GetCount() < 2) return 0;
  unsigned long diff = 0;
  if (GetAt(0) != other.GetAt(0)) diff |= 1;
  if (GetAt(n - 1) != other.GetAt(other.GetCount() - 1)) diff |= 2;
  if (n != other.GetCount()) return diff | 4;
  if (n == 3) {
    if (GetAt(1) == other.GetAt(1)) return diff;
    // The moved middle point belongs to the nearer end of the former route.
    const double d1 = Dist(other.GetAt(0), other.GetAt(1)), d2 = Dist(other.GetAt(2), other.GetAt(1));
    return diff | (d2 <= d1 ? 2 : 1);
  }
  if (GetAt(1) != other.GetAt(1)) diff |= 1;
  if (GetAt(n - 2) != other.GetAt(n - 2)) diff |= 2;
  if (n == 4 && GetAt(1) != other.GetAt(1) && GetAt(2) != other.GetAt(2)) diff |= 4;
  for (int i = 2; n >= 5 && i <= n - 3; ++i)
    if (GetAt(i) != other.GetAt(i)) {
      diff |= 4;
      break;
    }
  return diff;
}

SSymPoint SSymListPt::GetLineCenter(SSymLineStyle::LineStyle style) const {
  const int n = GetCount();
  if (n == 0) return {};
  const int h = n / 2;
  if (style == SSymLineStyle::Bezier && n % 2 == 1 && n >= 3) {
    SSymPoint p0, p1 = GetAt(h), p2;
    if (n == 3) {
      p0 = GetAt(0);
      p2 = GetAt(2);
    } else {
      p0 = MidPt(GetAt(h - 1), p1);
      p2 = MidPt(p1, GetAt(h + 1));
    }
    // The middle of the cubic curve whose inner control points are both p1.
    return {SSymTruncate((static_cast<double>(p0.x) + 6.0 * p1.x + p2.x) / 8.0),
            SSymTruncate((static_cast<double>(p0.y) + 6.0 * p1.y + p2.y) / 8.0)};
  }
  if (n % 2 == 1) return GetAt(h);
  return MidPt(GetAt(h - 1), GetAt(h));
}

void SSymListPt::GetSplitList(SSymListPt* first, SSymListPt* second) const {
  const int n = GetCount();
  if (n < 2 || !first || !second) return;
  const int h = n / 2;
  for (int i = 0; i < h; ++i) first->Add(GetAt(i));
  const bool even = n % 2 == 0;
  const SSymPoint split = even ? MidPt(GetAt(h - 1), GetAt(h)) : GetAt(h);
  first->Add(split);
  second->Add(split);
  for (int i = even ? h : h + 1; i < n; ++i) second->Add(GetAt(i));
}

SSymRect SSymListPt::GetBoundRect() const {
  if (GetCount() == 0) return {};
  SSymRect r(GetAt(0).x, GetAt(0).y, GetAt(0).x, GetAt(0).y);
  for (const SSymPoint& p : *this) {
    r.x1 = std::min(r.x1, p.x);
    r.x2 = std::max(r.x2, p.x);
    r.y1 = std::max(r.y1, p.y);
    r.y2 = std::min(r.y2, p.y);
  }
  return r;
}
