#include "sym/foundation/symgeom.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "kvcore/spicture.h"
#include "win/gdiplus.h"
#include "win/wingdi.h"

namespace {
using i64 = std::int64_t;
using i128 = __int128;

LONG Clamp32(i64 v) {
  return static_cast<LONG>(std::clamp<i64>(v, INT32_MIN, INT32_MAX));
}
i64 Abs64(i64 v) { return v < 0 ? -v : v; }
// Midpoint or centre: integer division by 2, toward zero.
LONG Mid(LONG a, LONG b) { return static_cast<LONG>((static_cast<i64>(a) + b) / 2); }
// Floor division by 2.
LONG MidFloor(LONG a, LONG b) {
  const i64 s = static_cast<i64>(a) + b;
  return static_cast<LONG>(s >= 0 ? s / 2 : -((-s + 1) / 2));
}
}  // namespace

LONG SSymRoundAway(double v) {
  if (std::isnan(v)) return 0;
  const double r = v >= 0 ? v + 0.5 : v - 0.5;
  if (r >= 2147483647.0) return INT32_MAX;
  if (r <= -2147483648.0) return INT32_MIN;
  return static_cast<LONG>(r);
}

LONG SSymTruncate(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<LONG>(v);
}

LONG SSymSnapToStep(LONG v, LONG step) {
  if (step <= 0) return v;
  // In 64 bits: v plus half a step may leave the 32-bit range.
  const long long g = step;
  long long w = static_cast<long long>(v) + (g >> 1);
  const long long r = w % g;  // the sign of w
  if (r > 0) w -= r;
  else if (r < 0) w = w - r - g;
  return static_cast<LONG>(std::clamp<long long>(w, INT32_MIN, INT32_MAX));
}

// ---- points, rectangles -----------------------------------------------------------

DWORD SSymPoint::Distance(const SSymPoint& o) const {
  const double dx = static_cast<double>(x) - o.x, dy = static_cast<double>(y) - o.y;
  const double d = std::sqrt(dx * dx + dy * dy);
  return d >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<DWORD>(d);
}

LONG SSymRect::Width() const { return Clamp32(Abs64(static_cast<i64>(x2) - x1) + 1); }
LONG SSymRect::Height() const { return Clamp32(Abs64(static_cast<i64>(y1) - y2) + 1); }
SSymPoint SSymRect::GetCenter() const { return {Mid(x1, x2), Mid(y1, y2)}; }

SSymRect& SSymRect::Normalize() {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 < y2) std::swap(y1, y2);
  return *this;
}

bool SSymRect::PtInRect(const SSymPoint& pt) const {
  return pt.x >= GetMinX() && pt.x <= GetMaxX() && pt.y >= GetMinY() && pt.y <= GetMaxY();
}

namespace {
// Resizes one axis: lo is the edge with the smaller coordinate.
void SetExtent(LONG& lo, LONG& hi, LONG extent) {
  const i64 target = Abs64(extent);
  const i64 old = static_cast<i64>(hi) - lo + 1;
  const i64 d = target - old;
  if (d == 0) return;
  const i64 half = d / 2;
  lo = Clamp32(lo - half);
  hi = target == 0 ? lo : Clamp32(hi + (d - half));
}
}  // namespace

void SSymRect::SetWidth(LONG w) {
  if (x1 <= x2)
    SetExtent(x1, x2, w);
  else
    SetExtent(x2, x1, w);
}

void SSymRect::SetHeight(LONG h) {
  if (y2 <= y1)
    SetExtent(y2, y1, h);
  else
    SetExtent(y1, y2, h);
}

void SSymRect::SetCenter(const SSymPoint& pt) {
  const SSymPoint c = GetCenter();
  if (c == pt) return;
  OffsetRect(Clamp32(static_cast<i64>(pt.x) - c.x), Clamp32(static_cast<i64>(pt.y) - c.y));
}

void SSymRect::OffsetRect(LONG dx, LONG dy) {
  x1 = Clamp32(static_cast<i64>(x1) + dx);
  x2 = Clamp32(static_cast<i64>(x2) + dx);
  y1 = Clamp32(static_cast<i64>(y1) + dy);
  y2 = Clamp32(static_cast<i64>(y2) + dy);
}

SSymRect& SSymRect::Inflate(LONG dx, LONG dy) {
  const bool failX = Abs64(static_cast<i64>(x2) - x1) + 1 <= -2 * static_cast<i64>(dx);
  const bool failY = Abs64(static_cast<i64>(y1) - y2) + 1 <= -2 * static_cast<i64>(dy);
  if (!failX && !failY) {
    const i64 ddx = x1 > x2 ? -static_cast<i64>(dx) : dx;
    x2 = Clamp32(x2 + ddx);
    x1 = Clamp32(x1 - ddx);
    const i64 ddy = y2 > y1 ? -static_cast<i64>(dy) : dy;
    y1 = Clamp32(y1 + ddy);
    y2 = Clamp32(y2 - ddy);
    return *this;
  }
  if (failX) x1 = x2 = MidFloor(x1, x2);
  if (failY) y1 = y2 = MidFloor(y1, y2);
  return *this;
}

SSymPoint SSymRect::GetPoint(int i) {
  Normalize();
  const LONG cx = Mid(x1, x2), cy = Mid(y1, y2);
  switch (i) {
    case 1: return {cx, y1};
    case 2: return {x2, y1};
    case 3: return {x2, cy};
    case 4: return {x2, y2};
    case 5: return {cx, y2};
    case 6: return {x1, y2};
    case 7: return {x1, cy};
    case 8: return {cx, cy};
    default: return {x1, y1};
  }
}

SSymRect& SSymRect::operator&=(const SSymRect& o) { return *this = Intersect(*this, o); }
SSymRect& SSymRect::operator|=(const SSymRect& o) { return *this = Union(*this, o); }

bool SSymRect::ContainsRect(const SSymRect& r) const {
  SSymRect n(r);
  n.Normalize();
  return Intersect(*this, r) == n;
}

bool SSymRect::Intersects(const SSymRect& o) const { return !Intersect(*this, o).IsDegenerate(); }

SSymRect Union(const SSymRect& a, const SSymRect& b) {
  if (a.IsDegenerate()) return b;
  if (b.IsDegenerate()) return a;
  return {std::min(a.GetMinX(), b.GetMinX()), std::max(a.GetMaxY(), b.GetMaxY()), std::max(a.GetMaxX(), b.GetMaxX()),
          std::min(a.GetMinY(), b.GetMinY())};
}

SSymRect Intersect(const SSymRect& a, const SSymRect& b) {
  const LONG left = std::max(a.GetMinX(), b.GetMinX());
  const LONG right = std::min(a.GetMaxX(), b.GetMaxX());
  const LONG bottom = std::max(a.GetMinY(), b.GetMinY());
  const LONG top = std::min(a.GetMaxY(), b.GetMaxY());
  if (left <= right && bottom <= top) return {left, top, right, bottom};
  return {};
}

// ---- matrices -----------------------------------------------------------------

const SSymMatrix SSymMatrix::identity;

namespace {
double SignedExtent(LONG a, LONG b) {
  const double d = static_cast<double>(b) - a;
  return d >= 0 ? d + 1 : d - 1;
}
}  // namespace

void SSymMatrix::SetTransform(const SSymRect& from, const SSymRect& to) {
  SetIdentity();
  m_m[0][0] = SignedExtent(to.x1, to.x2) / SignedExtent(from.x1, from.x2);
  m_m[1][1] = SignedExtent(to.y2, to.y1) / SignedExtent(from.y2, from.y1);
  const SSymPoint cf = from.GetCenter(), ct = to.GetCenter();
  m_m[0][2] = ct.x - m_m[0][0] * cf.x;
  m_m[1][2] = ct.y - m_m[1][1] * cf.y;
}

void SSymMatrix::SetRotatePt(const SSymPoint& c, const SSymPoint& p, const SSymPoint& q) {
  auto theta = [&](const SSymPoint& v) {
    if (v.x == c.x) return v.y < c.y ? 4.71238898025 : 1.57079632675;
    double t = std::atan((static_cast<double>(v.y) - c.y) / (static_cast<double>(v.x) - c.x));
    if (v.x < c.x) t += 3.1415926535;
    return t;
  };
  const double a = theta(q) - theta(p);
  const double cs = std::cos(a), sn = std::sin(a);
  m_m[0][0] = cs;
  m_m[0][1] = -sn;
  m_m[0][2] = c.y * sn - c.x * cs + c.x;
  m_m[1][0] = sn;
  m_m[1][1] = cs;
  m_m[1][2] = c.y - (cs * c.y + sn * c.x);
}

SSymPoint SSymMatrix::Transform(const SSymPoint& pt) const {
  const S2DVector v = S2DMatrix::Transform(S2DVector(pt.x, pt.y, 1.0));
  const double w = v.w != 0.0 ? v.w : 1.0;
  return {SSymRoundAway(v.x / w), SSymRoundAway(v.y / w)};
}

SSymRect SSymMatrix::Transform(const SSymRect& r) const {
  const SSymPoint a = Transform(SSymPoint(r.x1, r.y2));
  const SSymPoint b = Transform(SSymPoint(r.x2, r.y1));
  SSymRect out;
  out.x1 = a.x;
  out.y2 = a.y;
  out.x2 = b.x;
  out.y1 = b.y;
  return out;
}

// ---- region tests (1/72 resolution, exact integer maths) -----------------------

namespace {
// A device rectangle [l, r) x [t, b) in the region's grid.
struct DevRect {
  i64 l, t, r, b;
  bool Empty() const { return l >= r || t >= b; }
};
DevRect DivRect(const SSymRect& rc) {
  i64 l = rc.x1 / 72, r = rc.x2 / 72, t = rc.y1 / 72, b = rc.y2 / 72;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  return {l, t, r, b};
}
// Pixel (px, py) lies in the ellipse inscribed in the box [l, r) x [t, b):
// its centre, doubled, against the doubled ellipse.
bool PixelInEllipse(i64 px, i64 py, i64 l, i64 t, i64 r, i64 b) {
  const i64 a2 = r - l, b2 = b - t;  // doubled semi-axes
  if (a2 <= 0 || b2 <= 0) return false;
  const i64 X = 2 * px + 1 - (l + r), Y = 2 * py + 1 - (t + b);
  const i128 lhs = static_cast<i128>(X) * X * b2 * b2 + static_cast<i128>(Y) * Y * a2 * a2;
  const i128 rhs = static_cast<i128>(a2) * a2 * b2 * b2;
  return lhs <= rhs;
}
}  // namespace

bool IsPtInEllipse(const SSymPoint& pt, const SSymRect& rect) {
  const DevRect d = DivRect(rect);
  if (d.Empty()) return false;
  const i64 px = pt.x / 72, py = pt.y / 72;
  if (px < d.l || px >= d.r || py < d.t || py >= d.b) return false;
  return PixelInEllipse(px, py, d.l, d.t, d.r, d.b);
}

bool IsPtInRoundRect(const SSymPoint& pt, const SSymRect& rect, const SSymSize& corner) {
  const DevRect d = DivRect(rect);
  if (d.Empty()) return false;
  i64 cw, ch;
  if (corner.cx != 0) {
    cw = corner.cx / 72;
    ch = corner.cy / 72;
  } else {
    const i64 w = d.r - d.l + 1, h = d.b - d.t + 1;
    cw = ch = std::min((w + 1) / 4, (h + 1) / 4);
  }
  cw = std::clamp<i64>(Abs64(cw), 0, d.r - d.l);
  ch = std::clamp<i64>(Abs64(ch), 0, d.b - d.t);
  const i64 px = pt.x / 72, py = pt.y / 72;
  if (px < d.l || px >= d.r || py < d.t || py >= d.b) return false;
  if (cw < 2 || ch < 2) return true;
  // In a corner zone, the pixel must lie in that corner's ellipse.
  const bool left = 2 * px + 1 < 2 * d.l + cw, right = 2 * px + 1 > 2 * d.r - cw;
  const bool top = 2 * py + 1 < 2 * d.t + ch, bottom = 2 * py + 1 > 2 * d.b - ch;
  if ((left || right) && (top || bottom)) {
    const i64 bl = left ? d.l : d.r - cw, bt = top ? d.t : d.b - ch;
    return PixelInEllipse(px, py, bl, bt, bl + cw, bt + ch);
  }
  return true;
}

bool IsPtInPolygon(const SSymPoint& pt, std::span<const SSymPoint> points) {
  if (points.size() < 3) return false;
  // Winding number of the pixel centre (doubled coordinates).
  const i64 X = 2 * static_cast<i64>(pt.x / 72) + 1, Y = 2 * static_cast<i64>(pt.y / 72) + 1;
  int winding = 0;
  const std::size_t n = points.size();
  for (std::size_t i = 0; i < n; ++i) {
    const SSymPoint& a = points[i];
    const SSymPoint& b = points[(i + 1) % n];
    const i64 ax = 2 * static_cast<i64>(a.x / 72), ay = 2 * static_cast<i64>(a.y / 72);
    const i64 bx = 2 * static_cast<i64>(b.x / 72), by = 2 * static_cast<i64>(b.y / 72);
    const i128 cross = static_cast<i128>(bx - ax) * (Y - ay) - static_cast<i128>(X - ax) * (by - ay);
    if (ay <= Y) {
      if (by > Y && cross > 0) ++winding;
    } else if (by <= Y && cross < 0) {
      --winding;
    }
  }
  return winding != 0;
}

bool IsPtOnBezier(const SSymPoint& pt, std::span<const SSymPoint> p, const SSymRect& hitRect, int* index) {
  const int n = static_cast<int>(p.size());
  if (n < 3) return false;
  for (int i = 0; i <= n - 3; ++i) {
    const SSymPoint start = i == 0 ? p[0] : SSymPoint(Mid(p[i].x, p[i + 1].x), Mid(p[i].y, p[i + 1].y));
    const SSymPoint ctl = p[i + 1];
    const SSymPoint end =
        i == n - 3 ? p[n - 1] : SSymPoint(Mid(p[i + 1].x, p[i + 2].x), Mid(p[i + 1].y, p[i + 2].y));
    const LONG minX = std::min({start.x, ctl.x, end.x}), maxX = std::max({start.x, ctl.x, end.x});
    const LONG minY = std::min({start.y, ctl.y, end.y}), maxY = std::max({start.y, ctl.y, end.y});
    if (pt.x < minX || pt.x > maxX || pt.y < minY || pt.y > maxY) continue;
    SSymPoint prev = start;
    for (int k = 0;; ++k) {
      const double t = 0.2 + 0.02 * k;
      if (!(t < 1.001)) break;
      const double u = 1.0 - t;
      const double a = u * u * u, c = 3.0 * t * u, e = t * t * t;
      const SSymPoint cur(SSymTruncate(a * start.x + c * ctl.x + e * end.x),
                          SSymTruncate(a * start.y + c * ctl.y + e * end.y));
      if (Intersects(SSymSegment(prev, cur), hitRect, nullptr)) {
        if (index) *index = n + i;
        return true;
      }
      prev = cur;
    }
  }
  return false;
}

// ---- crossings ------------------------------------------------------------------

bool Intersects(const SSymSegment& a0, const SSymSegment& b0, SSymPoint* out) {
  SSymSegment a(a0), b(b0);
  for (SSymSegment* s : {&a, &b}) {
    if (Abs64(static_cast<i64>(s->x1) - s->x2) < 6) s->x1 = s->x2;
    if (Abs64(static_cast<i64>(s->y1) - s->y2) < 6) s->y1 = s->y2;
  }
  const bool va = a.x1 == a.x2, vb = b.x1 == b.x2;
  double ma = 0, ca = 0, mb = 0, cb = 0;
  if (!va) {
    ma = (static_cast<double>(a.y2) - a.y1) / (static_cast<double>(a.x2) - a.x1);
    ca = a.y1 - a.x1 * ma;
  }
  if (!vb) {
    mb = (static_cast<double>(b.y2) - b.y1) / (static_cast<double>(b.x2) - b.x1);
    cb = b.y1 - b.x1 * mb;
  }
  LONG x, y;
  if (va && vb) return false;
  if (va) {
    x = a.x1;
    y = SSymRoundAway(cb + mb * x);
  } else if (vb) {
    x = b.x1;
    y = SSymRoundAway(ca + ma * x);
  } else {
    if (ma == mb) return false;
    x = SSymRoundAway((cb - ca) / (ma - mb));
    if (ma == 0)
      y = a.y1;
    else if (mb == 0)
      y = b.y1;
    else
      y = SSymRoundAway(ca + ma * x);
  }
  if (out) *out = {x, y};
  auto within = [](i64 v, LONG p, LONG q) { return v >= std::min(p, q) - 5LL && v <= std::max(p, q) + 5LL; };
  return within(x, a.x1, a.x2) && within(x, b.x1, b.x2) && within(y, a.y1, a.y2) && within(y, b.y1, b.y2);
}

bool Intersects(const SSymSegment& seg, const SSymRect& rect, SSymPoint* out) {
  const LONG left = rect.GetMinX(), right = rect.GetMaxX(), bottom = rect.GetMinY(), top = rect.GetMaxY();
  auto code = [&](LONG x, LONG y) {
    return (x <= left ? 1 : 0) | (x >= right ? 2 : 0) | (y <= bottom ? 4 : 0) | (y >= top ? 8 : 0);
  };
  const int c1 = code(seg.x1, seg.y1), c2 = code(seg.x2, seg.y2);
  if (c1 & c2) return false;
  if (c1 == 0 && c2 == 0) return false;
  const SSymSegment sides[4] = {{left, bottom, right, bottom}, {right, bottom, right, top}, {left, top, right, top},
                                {left, bottom, left, top}};
  for (const auto& s : sides)
    if (Intersects(seg, s, out)) return true;
  return false;
}

namespace {
// Snaps a nearly flat or nearly upright segment (factor 1024).
void SnapFlat(SSymSegment& s) {
  i64 dx = static_cast<i64>(s.x2) - s.x1, dy = static_cast<i64>(s.y2) - s.y1;
  if (Abs64(dx) >= 1024 * Abs64(dy)) s.y2 = s.y1;
  dy = static_cast<i64>(s.y2) - s.y1;
  if (Abs64(dy) >= 1024 * Abs64(dx)) s.x2 = s.x1;
}
}  // namespace

bool IntersectsEllipse(const SSymSegment& seg0, const SSymRect& rect, SSymPoint* out) {
  const LONG left = rect.GetMinX(), right = rect.GetMaxX(), bottom = rect.GetMinY(), top = rect.GetMaxY();
  const LONG cx = Mid(left, right), cy = Mid(top, bottom);
  i64 a = static_cast<i64>(right) - cx, b = static_cast<i64>(top) - cy;
  if (a == 0) a = 1;
  if (b == 0) b = 1;
  SSymSegment s(seg0);
  SnapFlat(s);
  auto inside = [&](LONG x, LONG y) {
    const double u = (static_cast<double>(x) - cx) / static_cast<double>(a);
    const double v = (static_cast<double>(y) - cy) / static_cast<double>(b);
    return u * u + v * v < 1.0;
  };
  if (inside(s.x1, s.y1) == inside(s.x2, s.y2)) return false;
  if (a < 3 || b < 3) {
    if (out) *out = {cx, cy};
    return true;
  }
  LONG x, y;
  const float fa = static_cast<float>(a), fb = static_cast<float>(b);
  if (s.x1 != s.x2) {
    const float m = static_cast<float>(static_cast<double>(s.y2 - static_cast<i64>(s.y1)) /
                                       static_cast<double>(s.x2 - static_cast<i64>(s.x1)));
    const float k = static_cast<float>(static_cast<double>(s.y1) - cy) - static_cast<float>(static_cast<double>(s.x1) - cx) * m;
    const float A = m * m * fa * fa + fb * fb;
    const float B = 2 * m * fa * fa * k;
    const float C = (k * k - fb * fb) * fa * fa;
    const float D = B * B - 4 * A * C;
    if (!(D >= 0) || A == 0) return false;
    float u = (std::sqrt(D) - B) / (2 * A);
    x = SSymTruncate(static_cast<double>(u) + cx);
    if (x < std::min(s.x1, s.x2) || x > std::max(s.x1, s.x2)) {
      u = (-std::sqrt(D) - B) / (2 * A);
      x = SSymTruncate(static_cast<double>(u) + cx);
    }
    y = SSymTruncate(static_cast<double>(u) * m + k + cy);
  } else {
    const double u = static_cast<double>(s.x1) - cx;
    const double r = std::sqrt(std::max(0.0, static_cast<double>(a) * a - u * u));
    x = s.x1;
    y = SSymTruncate(cy + static_cast<double>(b) * r / static_cast<double>(a));
    if (y < std::min(s.y1, s.y2) || y > std::max(s.y1, s.y2))
      y = SSymTruncate(cy - static_cast<double>(b) * r / static_cast<double>(a));
  }
  if (x < std::min(s.x1, s.x2) || x > std::max(s.x1, s.x2) || y < std::min(s.y1, s.y2) || y > std::max(s.y1, s.y2))
    return false;
  if (out) *out = {x, y};
  return true;
}

bool IntersectsEllipse(const SSymRect& r, const SSymRect& e, SSymPoint* out) {
  const SSymSegment sides[4] = {{r.x1, r.y2, r.x1, r.y1}, {r.x1, r.y2, r.x2, r.y2}, {r.x1, r.y1, r.x2, r.y1},
                                {r.x2, r.y2, r.x2, r.y1}};
  for (const auto& s : sides)
    if (IntersectsEllipse(s, e, out)) return true;
  return false;
}

bool IntersectsEllipse(const SSymRect& r, const SSymRect& e, SSymPoint* out, const SSymPoint& start,
                       const SSymPoint& end) {
  SSymPoint p;
  if (!IntersectsEllipse(r, e, &p)) return false;
  const SSymPoint c = e.GetCenter();
  auto angle = [&](const SSymPoint& v) {
    return std::atan2(static_cast<double>(v.y) - c.y, static_cast<double>(v.x) - c.x);
  };
  // Differences are brought into [0, 2 pi).
  auto norm = [](double d) { return d < 0 ? d + 6.283185306 : d; };
  const double d = norm(angle(p) - angle(start));
  const double en = norm(angle(end) - angle(start));
  if (!(d < en)) return false;
  if (out) *out = p;
  return true;
}

bool IntersectsPolygon(const SSymSegment& seg, std::span<const SSymPoint> pts, SSymPoint* out) {
  const std::size_t n = pts.size();
  if (n < 2) return false;
  SSymSegment s(seg);
  bool found = false;
  SSymPoint hit;
  auto tryEdge = [&](const SSymPoint& a, const SSymPoint& b) {
    SSymPoint p;
    if (Intersects(s, SSymSegment(a, b), &p)) {
      found = true;
      hit = p;
      s.x2 = p.x;
      s.y2 = p.y;
    }
  };
  tryEdge(pts[n - 1], pts[0]);
  for (std::size_t i = 0; i + 1 < n; ++i) tryEdge(pts[i], pts[i + 1]);
  if (found && out) *out = hit;
  return found;
}

bool IntersectsRoundRect(const SSymSegment& seg0, const SSymRect& rect, SSymPoint* out, const SSymSize& corner) {
  const LONG w = rect.Width(), h = rect.Height();
  const LONG dflt = Clamp32((static_cast<i64>(std::min(w, h)) + 1) / 4);
  const LONG cw = corner.cx < 1 ? dflt : corner.cx;
  const LONG ch = corner.cy < 1 ? dflt : corner.cy;
  SSymSegment seg(seg0);
  if (IsPtInRoundRect(seg.Start(), rect, corner)) seg = SSymSegment(seg0.End(), seg0.Start());

  SSymRect ry(rect);
  ry.Inflate(0, -(ch / 2));
  SSymRect rx(rect);
  rx.Inflate(-(cw / 2), 0);
  const SSymSegment edges[4] = {{ry.x1, ry.y2, ry.x1, ry.y1}, {ry.x2, ry.y2, ry.x2, ry.y1},
                                {rx.x1, rx.y2, rx.x2, rx.y2}, {rx.x1, rx.y1, rx.x2, rx.y1}};
  for (const auto& e : edges)
    if (Intersects(seg, e, out)) return true;

  const LONG L = rect.GetMinX(), R = rect.GetMaxX(), B = rect.GetMinY(), T = rect.GetMaxY();
  struct Corner {
    LONG x, y;
    int sx, sy;  // direction into the rectangle
  };
  const Corner corners[4] = {{L, T, 1, -1}, {R, T, -1, -1}, {R, B, -1, 1}, {L, B, 1, 1}};
  for (const auto& c : corners) {
    const SSymRect box(std::min<LONG>(c.x, Clamp32(c.x + static_cast<i64>(c.sx) * cw)),
                       std::max<LONG>(c.y, Clamp32(c.y + static_cast<i64>(c.sy) * ch)),
                       std::max<LONG>(c.x, Clamp32(c.x + static_cast<i64>(c.sx) * cw)),
                       std::min<LONG>(c.y, Clamp32(c.y + static_cast<i64>(c.sy) * ch)));
    SSymSegment s(seg);
    if (!IsPtInEllipse(s.End(), box)) {
      const SSymSegment chord(c.x, Clamp32(c.y + static_cast<i64>(c.sy) * (ch / 2)),
                              Clamp32(c.x + static_cast<i64>(c.sx) * (cw / 2)), c.y);
      SSymPoint cut;
      if (Intersects(s, chord, &cut)) {
        s.x2 = cut.x;
        s.y2 = cut.y;
      }
    }
    if (box.IsDegenerate()) continue;
    SSymPoint p;
    if (IntersectsEllipse(s, box, &p) && Abs64(static_cast<i64>(p.x) - c.x) <= cw / 2 &&
        Abs64(static_cast<i64>(p.y) - c.y) <= ch / 2) {
      if (out) *out = p;
      return true;
    }
  }
  return false;
}

// ---- segments ---------------------------------------------------------------------

bool SSymSegment::Contains(const SSymPoint& pt) const {
  const SSymRect square(Clamp32(pt.x - 32LL), Clamp32(pt.y + 32LL), Clamp32(pt.x + 32LL), Clamp32(pt.y - 32LL));
  return Intersects(*this, square, nullptr);
}

DWORD SSymSegment::Distance(const SSymPoint& pt) const {
  SSymSegment s(*this);
  SnapFlat(s);
  SSymPoint foot;
  i64 axis;
  if (s.x1 == s.x2) {
    foot = {s.x1, pt.y};
    axis = Abs64(static_cast<i64>(pt.x) - s.x1);
  } else if (s.y1 == s.y2) {
    foot = {pt.x, s.y1};
    axis = Abs64(static_cast<i64>(pt.y) - s.y1);
  } else {
    const float m = static_cast<float>((static_cast<double>(s.y2) - s.y1) / (static_cast<double>(s.x2) - s.x1));
    const float c = static_cast<float>(s.y1) - static_cast<float>(s.x1) * m;
    // The perpendicular through pt: y = -x / m + c2.
    const float c2 = static_cast<float>(pt.y) + static_cast<float>(pt.x) / m;
    const float fx = (c2 - c) / (m + 1.0f / m);
    foot = {SSymTruncate(fx), SSymTruncate(m * fx + c)};
    axis = 0;
  }
  const bool within = foot.x >= std::min(s.x1, s.x2) && foot.x <= std::max(s.x1, s.x2) &&
                      foot.y >= std::min(s.y1, s.y2) && foot.y <= std::max(s.y1, s.y2);
  if (within) {
    if (axis != 0) return static_cast<DWORD>(std::min<i64>(axis, 0xFFFFFFFFLL));
    const float dx = static_cast<float>(static_cast<double>(pt.x) - foot.x);
    const float dy = static_cast<float>(static_cast<double>(pt.y) - foot.y);
    const float d = std::sqrt(dx * dx + dy * dy);
    return d >= 4294967295.0f ? 0xFFFFFFFFu : static_cast<DWORD>(d);
  }
  return std::min(pt.Distance(s.Start()), pt.Distance(s.End()));
}

// ---- pictures -----------------------------------------------------------------------

namespace {
bool InInflated(const SSymRect& rect, const SSymPoint& pt) {
  SSymRect r(rect);
  r.Normalize();
  return pt.x >= r.x1 - 75LL && pt.x <= r.x2 + 75LL && pt.y >= r.y2 - 75LL && pt.y <= r.y1 + 75LL;
}

bool Hits(std::uint32_t pixel, bool alpha) { return alpha ? (pixel >> 24) >= 128 : pixel != 0xFFFFFFFFu; }

bool PixelTest(const SSymPixelImage& img, const SSymRect& rect, const SSymPoint& pt, bool alpha) {
  const i64 w = rect.Width(), h = rect.Height();
  const i64 dx = static_cast<i64>(pt.x) - rect.GetMinX(), dy = static_cast<i64>(rect.GetMaxY()) - pt.y;
  if (dx < 0 || dy < 0 || w <= 0 || h <= 0) return false;
  const i64 col = dx * img.width / w, row = dy * img.height / h;
  if (col < 0 || row < 0 || col >= img.width || row >= img.height) return false;
  return Hits(img.GetPixel(static_cast<int>(col), static_cast<int>(row)), alpha);
}

// Steps the device line of a segment over an image placed on the device
// rectangle, and finds the last passage from an opaque pixel outward.
bool StepImage(const ISSymHitCanvas* canvas, const SSymPixelImage& img, const SSymRect& rect, const SSymSegment& seg,
               SSymPoint* out, bool alpha) {
  if (!canvas || img.width <= 0 || img.height <= 0) return false;
  const RECT dr = canvas->ToDevice(rect);
  const i64 dw = static_cast<i64>(dr.right) - dr.left, dh = static_cast<i64>(dr.bottom) - dr.top;
  if (dw <= 0 || dh <= 0) return false;
  const POINT p1 = canvas->ToDevice(seg.Start()), p2 = canvas->ToDevice(seg.End());
  auto inRect = [&](const POINT& p) { return p.x >= dr.left && p.x < dr.right && p.y >= dr.top && p.y < dr.bottom; };
  auto opaque = [&](int x, int y) {
    const i64 col = (static_cast<i64>(x) - dr.left) * img.width / dw;
    const i64 row = (static_cast<i64>(y) - dr.top) * img.height / dh;
    if (x < dr.left || y < dr.top || col < 0 || row < 0 || col >= img.width || row >= img.height) return false;
    return Hits(img.GetPixel(static_cast<int>(col), static_cast<int>(row)), alpha);
  };
  const bool o1 = opaque(p1.x, p1.y), o2 = opaque(p2.x, p2.y);
  POINT from, to;
  if (o1 && o2) return false;
  if (o1 || o2) {
    from = o1 ? p1 : p2;
    to = o1 ? p2 : p1;
  } else if (inRect(p1)) {
    from = p1;
    to = p2;
  } else if (inRect(p2)) {
    from = p2;
    to = p1;
  } else {
    return false;
  }
  struct Walk {
    decltype(opaque)* test;
    bool first = true;
    bool prevOpaque = false;
    bool found = false;
    POINT last{};
  } walk{&opaque};
  auto step = [](int x, int y, LPARAM data) {
    Walk& w = *reinterpret_cast<Walk*>(data);
    const bool op = (*w.test)(x, y);
    if ((w.first && !op) || (!w.first && w.prevOpaque && !op)) {
      w.found = true;
      w.last = {x, y};
    }
    w.first = false;
    w.prevOpaque = op;
  };
  LineDDA(from.x, from.y, to.x, to.y, step, reinterpret_cast<LPARAM>(&walk));
  if (!walk.found) return false;
  SSymPoint r = canvas->ToDiagram(walk.last);
  if (walk.last.x == p1.x) r.x = seg.x1;
  else if (walk.last.x == p2.x) r.x = seg.x2;
  if (walk.last.y == p1.y) r.y = seg.y1;
  else if (walk.last.y == p2.y) r.y = seg.y2;
  if (out) *out = r;
  return true;
}

bool Large(const SSymRect& rect) { return rect.Width() > 150 && rect.Height() > 150; }
}  // namespace

bool IsPtInBitmap(const SSymPixelImage& bitmap, const SSymRect& rect, const SSymPoint& pt, bool alpha) {
  return PixelTest(bitmap, rect, pt, alpha);
}

bool IsPtInBitmap(const ISSymHitPicture* picture, const SSymRect& rect, const SSymPoint& pt, bool alpha) {
  SSymPixelImage img;
  if (picture && picture->GetKind() == ISSymHitPicture::Bitmap && picture->GetBitmap(img))
    return PixelTest(img, rect, pt, alpha);
  return InInflated(rect, pt);
}

bool IsPtInIcon(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                const SSymPoint& pt) {
  if (!picture || (picture->GetKind() != ISSymHitPicture::Icon && picture->GetKind() != ISSymHitPicture::Cursor))
    return false;
  int w = 0, h = 0;
  if (canvas) {
    const RECT d = canvas->ToDevice(rect);
    w = d.right - d.left;
    h = d.bottom - d.top;
  }
  SSymPixelImage img;
  if (!picture->GetMask(w, h, img)) return false;
  return PixelTest(img, rect, pt, false);
}

bool IsPtInMetaFile(const ISSymHitPicture* picture, const SSymRect& rect, const SSymPoint& pt) {
  if (!picture || picture->GetKind() != ISSymHitPicture::MetaFile) return false;
  SSymPixelImage img;
  if (!picture->GetMask(0, 0, img)) return false;
  return PixelTest(img, rect, pt, true);
}

bool IsPtInPicture(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                   const SSymPoint& pt) {
  if (picture && Large(rect)) {
    switch (picture->GetKind()) {
      case ISSymHitPicture::Bitmap: return IsPtInBitmap(picture, rect, pt, true);
      case ISSymHitPicture::Icon:
      case ISSymHitPicture::Cursor: return IsPtInIcon(canvas, picture, rect, pt);
      case ISSymHitPicture::MetaFile: return IsPtInMetaFile(picture, rect, pt);
      default: break;
    }
  }
  return InInflated(rect, pt);
}

bool IntersectsBitmap(const ISSymHitCanvas* canvas, const SSymPixelImage& bitmap, const SSymRect& rect,
                      const SSymSegment& seg, SSymPoint* out) {
  return StepImage(canvas, bitmap, rect, seg, out, true);
}

bool IntersectsBitmap(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                      const SSymSegment& seg, SSymPoint* out) {
  SSymPixelImage img;
  if (picture && picture->GetKind() == ISSymHitPicture::Bitmap && picture->GetBitmap(img))
    return StepImage(canvas, img, rect, seg, out, true);
  return Intersects(seg, rect, out);
}

bool IntersectsIcon(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                    const SSymSegment& seg, SSymPoint* out) {
  if (!canvas || !picture ||
      (picture->GetKind() != ISSymHitPicture::Icon && picture->GetKind() != ISSymHitPicture::Cursor))
    return false;
  const RECT d = canvas->ToDevice(rect);
  SSymPixelImage img;
  if (!picture->GetMask(d.right - d.left, d.bottom - d.top, img)) return false;
  return StepImage(canvas, img, rect, seg, out, false);
}

bool IntersectsMetaFile(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                        const SSymSegment& seg, SSymPoint* out) {
  if (!canvas || !picture || picture->GetKind() != ISSymHitPicture::MetaFile) return false;
  SSymPixelImage img;
  if (!picture->GetMask(0, 0, img)) return false;
  return StepImage(canvas, img, rect, seg, out, true);
}

bool IntersectsPicture(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                       const SSymSegment& seg, SSymPoint* out) {
  if (!canvas) return false;
  if (picture && Large(rect)) {
    switch (picture->GetKind()) {
      case ISSymHitPicture::Bitmap: return IntersectsBitmap(canvas, picture, rect, seg, out);
      case ISSymHitPicture::Icon:
      case ISSymHitPicture::Cursor: return IntersectsIcon(canvas, picture, rect, seg, out);
      case ISSymHitPicture::MetaFile: return IntersectsMetaFile(canvas, picture, rect, seg, out);
      default: break;
    }
  }
  return Intersects(seg, rect, out);
}

// ---- picture records ------------------------------------------------------------------

namespace {
SSymPixelImage PixelsOf(Gdiplus::Bitmap* bitmap) {
  SSymPixelImage img;
  img.width = static_cast<int>(bitmap->GetWidth());
  img.height = static_cast<int>(bitmap->GetHeight());
  img.reader = [bitmap](int x, int y) {
    Gdiplus::Color c;
    return bitmap->GetPixel(x, y, &c) == Gdiplus::Ok ? c.GetValue() : 0xFF000000u;
  };
  return img;
}

// A picture record seen through the hit tests' face.
class PictureRecordFace : public ISSymHitPicture {
 public:
  explicit PictureRecordFace(SPictureInfo* info) : m_info(info) {}
  int GetKind() const override { return m_info->GetType(); }
  bool GetBitmap(SSymPixelImage& out) const override {
    Gdiplus::Bitmap* bitmap = m_info->GetBitmap(1);
    if (!bitmap || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) return false;
    out = PixelsOf(bitmap);
    return true;
  }
  bool GetMask(int width, int height, SSymPixelImage& out) const override {
    KvImage mask;
    if (!m_info->GetMask(width, height, mask)) return false;
    out.width = mask.width;
    out.height = mask.height;
    out.argb.resize(mask.px.size());
    // Drawn pixels keep their alpha; the others read as opaque white.
    for (std::size_t i = 0; i < mask.px.size(); ++i)
      out.argb[i] = (mask.px[i] >> 24) >= 128 ? (mask.px[i] & 0xFF000000u) : 0xFFFFFFFFu;
    return true;
  }

 private:
  SPictureInfo* m_info;
};
}  // namespace

bool IsPtInPicture(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect, const SSymPoint& pt) {
  if (!picture) return IsPtInPicture(canvas, static_cast<const ISSymHitPicture*>(nullptr), rect, pt);
  const PictureRecordFace face(picture);
  return IsPtInPicture(canvas, &face, rect, pt);
}

bool IsPtInBitmap(SPictureInfo* picture, const SSymRect& rect, const SSymPoint& pt, bool alpha) {
  if (!picture) return IsPtInBitmap(static_cast<const ISSymHitPicture*>(nullptr), rect, pt, alpha);
  const PictureRecordFace face(picture);
  return IsPtInBitmap(&face, rect, pt, alpha);
}

bool IsPtInBitmap(Gdiplus::Bitmap* bitmap, const SSymRect& rect, const SSymPoint& pt, bool alpha) {
  if (!bitmap || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) return InInflated(rect, pt);
  return PixelTest(PixelsOf(bitmap), rect, pt, alpha);
}

bool IsPtInIcon(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect, const SSymPoint& pt) {
  if (!picture) return false;
  const PictureRecordFace face(picture);
  return IsPtInIcon(canvas, &face, rect, pt);
}

bool IsPtInMetaFile(SPictureInfo* picture, const SSymRect& rect, const SSymPoint& pt) {
  if (!picture) return false;
  const PictureRecordFace face(picture);
  return IsPtInMetaFile(&face, rect, pt);
}

bool IntersectsPicture(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect,
                       const SSymSegment& seg, SSymPoint* out) {
  if (!picture) return IntersectsPicture(canvas, static_cast<const ISSymHitPicture*>(nullptr), rect, seg, out);
  const PictureRecordFace face(picture);
  return IntersectsPicture(canvas, &face, rect, seg, out);
}

bool IntersectsBitmap(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect,
                      const SSymSegment& seg, SSymPoint* out) {
  if (!picture) return IntersectsBitmap(canvas, static_cast<const ISSymHitPicture*>(nullptr), rect, seg, out);
  const PictureRecordFace face(picture);
  return IntersectsBitmap(canvas, &face, rect, seg, out);
}

bool IntersectsBitmap(const ISSymHitCanvas* canvas, Gdiplus::Bitmap* bitmap, const SSymRect& rect,
                      const SSymSegment& seg, SSymPoint* out) {
  if (!bitmap || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) return false;
  return StepImage(canvas, PixelsOf(bitmap), rect, seg, out, true);
}

bool IntersectsIcon(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect,
                    const SSymSegment& seg, SSymPoint* out) {
  if (!picture) return false;
  const PictureRecordFace face(picture);
  return IntersectsIcon(canvas, &face, rect, seg, out);
}

bool IntersectsMetaFile(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect,
                        const SSymSegment& seg, SSymPoint* out) {
  if (!picture) return false;
  const PictureRecordFace face(picture);
  return IntersectsMetaFile(canvas, &face, rect, seg, out);
}

// ---- picture symbol size ----------------------------------------------------------

SSymSize ComputePictureSymbolSize(const ISSymPixelScale& scale, const SSymSize& size, const SSymSize& pictureSize) {
  if (pictureSize.cx < 1 || pictureSize.cy < 1 || size.cx < 1 || size.cy < 1) return size;
  const SSymSize pic = scale.PixelsToUnits(pictureSize);
  if (pic.cx <= 4800 && pic.cy <= 4800) return pic;
  if (pic.cx < 1 || pic.cy < 1) return size;
  i64 bw, bh;
  if (size.cx <= 4800 && size.cy <= 4800) {
    bw = bh = 4800;
  } else {
    bw = std::max<i64>(size.cx, 2400);
    bh = std::max<i64>(size.cy, 2400);
    // The picture's aspect against the box's; far apart, the box is capped.
    const double ratio = (static_cast<double>(pic.cx) * bh) / (static_cast<double>(pic.cy) * bw);
    if (ratio > 4.0 || ratio < 0.25) {
      const i64 cap = static_cast<i64>(std::sqrt(2.0 * static_cast<double>(bw) * static_cast<double>(bh)));
      bw = std::min(bw, cap);
      bh = std::min(bh, cap);
    }
  }
  const double fw = static_cast<double>(bw) / pic.cx, fh = static_cast<double>(bh) / pic.cy;
  if (fw < fh) return {Clamp32(static_cast<i64>(pic.cx) * bh / pic.cy), Clamp32(bh)};
  return {Clamp32(bw), Clamp32(static_cast<i64>(pic.cy) * bw / pic.cx)};
}
