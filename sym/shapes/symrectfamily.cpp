#include "sym/shapes/symrectfamily.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "sym/foundation/sympropmap.h"
#include "sym/render/symcanv.h"

// ---- the filled figures ------------------------------------------------------------------
HRESULT SSymFilledFigure::DrawSymbol(SSymCanvas& canvas) {
  SSymPen pen = m_pen;
  SSymBrush brush = m_brush;
  if (OutlineInFillColor()) pen.m_color = brush.m_color;
  canvas.SetPen(pen);
  if ((Flags & FlagTransparent) && brush.m_style != SSymBrush::Hollow) brush.m_style = SSymBrush::Hollow;
  canvas.SetBrush(brush, 0);
  SSymRect r = m_rect;
  DrawFigure(canvas, r.Normalize());
  DrawTextW(canvas);
  return S_OK;
}

void SSymFilledFigure::DrawSymbolShape(SSymCanvas& canvas) {
  if (IsHidden()) return;
  SSymBrush brush = m_brush;
  if ((Flags & FlagTransparent) && brush.m_style != SSymBrush::Hollow) brush.m_style = SSymBrush::Hollow;
  canvas.SetBrush(brush, 0);
  SSymStd::DrawSymbolShape(canvas);
}

HRESULT SSymFilledFigure::DrawShadow(SSymCanvas& canvas) {
  canvas.SetPen(m_shadowPen);
  canvas.SetBrush(m_shadowBrush, 0);
  SSymRect r = m_rect;
  DrawFigure(canvas, r.Normalize());
  return S_OK;
}

void SSymFilledFigure::DrawFigure(SSymCanvas& canvas, const SSymRect& r) { canvas.Rectangle(r); }
void SSymRoundRect::DrawFigure(SSymCanvas& canvas, const SSymRect& r) { canvas.RoundRect(r, SSymSize(-1, -1)); }
void SSymEllipse::DrawFigure(SSymCanvas& canvas, const SSymRect& r) { canvas.Ellipse(r); }

void SSymPie::DrawFigure(SSymCanvas& canvas, const SSymRect& r) {
  // The ellipse reaches as far below the bottom edge as the rectangle is
  // high, so its upper half stands on that edge.
  const LONG h = r.y1 - r.y2;
  const SSymRect ellipse(r.x1, r.y1, r.x2, static_cast<LONG>(static_cast<long long>(r.y2) - h - 1));
  canvas.Pie(ellipse, SSymPoint(r.x2, r.y2), SSymPoint(r.x1, r.y2), r);
}

// ---- intersections ---------------------------------------------------------------------------
namespace {
// A crossing written to out only when there is one: a miss keeps the
// caller's point, which link routing relies on.
template <class F>
BOOL KeepUnlessCrossed(SSymPoint* out, F crossing) {
  SSymPoint at = out ? *out : SSymPoint();
  if (!crossing(&at)) return 0;
  if (out) *out = at;
  return 1;
}
}  // namespace

// ---- hit tests of the rounded figures -------------------------------------------------------
namespace {
// The handle index of a press, corrected by the keep word: a locked pair of
// handles answers -1 (the symbol is still hit).
int KeepCorrected(int index, DWORD display) {
  if (!(display & (SSymBase::DispLockHandlesA | SSymBase::DispLockHandlesB))) return index;
  if (index % 2 == 0) return -1;
  if (index % 4 == 1 && (display & SSymBase::DispLockHandlesB)) return -1;
  if (index % 4 == 3 && (display & SSymBase::DispLockHandlesA)) return -1;
  return index;
}
}  // namespace

BOOL SSymRoundFigure::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  if (IsHidden()) return 0;
  if (GetHasCustomPicture()) return SSymBase::IsPtInSym(canvas, pt, handle, sub);
  if (handle) {
    int index = -1;
    if (canvas.HitTestHandles(Sym()->GetClipRect(1, 0), &index, pt)) {
      *handle = KeepCorrected(index, m_display);
      return 1;
    }
  }
  SSymRect r = m_rect;
  r.Normalize();
  if (!(Flags & FlagTransparent)) return InFigure(pt, r) ? 1 : 0;
  // Transparent: only near the outline, on either side of it.
  SSymRect outer = r;
  outer.Inflate(HitBand, HitBand);
  if (!InFigure(pt, outer)) return 0;
  if (r.Width() <= 2 * HitBand || r.Height() <= 2 * HitBand) return 1;
  SSymRect inner = r;
  inner.Inflate(-HitBand, -HitBand);
  return InFigure(pt, inner) ? 0 : 1;
}

BOOL SSymRoundFigure::IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink*, int) {
  if (GetHasCustomPicture() && (Flags & FlagHidden)) return 0;
  return IsPtInSym(const_cast<SSymCanvas&>(canvas), pt, nullptr, nullptr);
}

bool SSymRoundRect::InFigure(const SSymPoint& pt, const SSymRect& r) { return IsPtInRoundRect(pt, r, SSymSize(0, 0)); }

BOOL SSymRoundRect::GetIntersection(const SSymSegment& segment, SSymPoint* out) {
  if (GetHasCustomPicture()) return SSymBase::GetIntersection(segment, out);
  const SSymRect r = GetClipRectWithBorder();
  return KeepUnlessCrossed(out, [&](SSymPoint* at) { return IntersectsRoundRect(segment, r, at, SSymSize(0, 0)); });
}

BOOL SSymEllipse::GetIntersection(const SSymSegment& segment, SSymPoint* out) {
  if (GetHasCustomPicture()) return SSymBase::GetIntersection(segment, out);
  const SSymRect r = GetClipRectWithBorder();
  return KeepUnlessCrossed(out, [&](SSymPoint* at) { return IntersectsEllipse(segment, r, at); });
}

// ---- text margins -------------------------------------------------------------------------
SSymRect SSymRoundRect::GetMargin() {
  const long long w = std::llabs(static_cast<long long>(m_rect.x2) - m_rect.x1);
  const long long h = std::llabs(static_cast<long long>(m_rect.y2) - m_rect.y1);
  const long long r = (std::min(w + 2, h + 2) >> 2) / 2;
  const LONG m = static_cast<LONG>(r + 150 - static_cast<long long>(std::sqrt(2.0) * static_cast<double>(r) * 0.5));
  return SSymRect(m, m, m, m);
}

SSymRect SSymEllipse::GetMargin() {
  const SSymRect c = Sym()->GetClipRect(0, 0);
  const long long a = (std::llabs(static_cast<long long>(c.x2) - c.x1) + 1) / 2;
  const long long b = (std::llabs(static_cast<long long>(c.y1) - c.y2) + 1) / 2;
  long long d = 1200;
  if (b > 0 && a > b) d = (a / b) * 1200;
  // The side margins reach d into the ellipse; the top and bottom ones stop
  // at the ellipse's height y at that distance from its side.
  // A half width of 0, or a d beyond the far side (d > 2a), leaves the
  // height without a real value: such a degenerate ellipse keeps its margins
  // within half its size, and at least 150.
  if (a == 0 || d > 2 * a) {
    auto keep = [](long long m, long long half) {
      return static_cast<LONG>(std::max<long long>(150, std::min(m, half)));
    };
    const LONG side = keep(d + 150, a), vertical = keep(b + 150, b);
    return SSymRect(side, vertical, side, vertical);
  }
  const double ad = static_cast<double>(a - d);
  const double t = std::max(0.0, 1.0 - ad * ad / (static_cast<double>(a) * static_cast<double>(a)));
  const long long y = static_cast<long long>(static_cast<double>(b) * std::sqrt(t));
  const LONG side = static_cast<LONG>(d + 150), vertical = static_cast<LONG>(b - y + 150);
  return SSymRect(side, vertical, side, vertical);
}

// ---- the arc ------------------------------------------------------------------------------
SSymArc::Quarter SSymArc::GetQuarter() const {
  const long long x1 = m_rect.x1, y1 = m_rect.y1, x2 = m_rect.x2, y2 = m_rect.y2;
  const long long dx = x2 - x1, dy = y1 - y2;
  Quarter q;
  q.onSecondCorner = (dx < 0 && dy >= 0) || (dx > 0 && dy < 0);
  const long long cx = q.onSecondCorner ? x2 : x1, cy = q.onSecondCorner ? y2 : y1;
  const long long ax = std::llabs(dx), ay = std::llabs(dy);
  auto sat = [](long long v) {
    return static_cast<LONG>(std::clamp<long long>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
  };
  q.ellipse = SSymRect(sat(cx - ax), sat(cy + ay), sat(cx + ax), sat(cy - ay));
  q.start = SSymPoint(m_rect.x1, m_rect.y2);
  q.end = SSymPoint(m_rect.x2, m_rect.y1);
  return q;
}

HRESULT SSymArc::DrawSymbol(SSymCanvas& canvas) {
  canvas.SetPen(m_pen);
  if (m_start != m_end) {
    canvas.Arc(m_rect, m_start, m_end);
    return S_OK;
  }
  const Quarter q = GetQuarter();
  canvas.Arc(q.ellipse, q.start, q.end);
  return S_OK;
}

HRESULT SSymArc::DrawShadow(SSymCanvas& canvas) {
  canvas.SetPen(m_shadowPen);
  const Quarter q = GetQuarter();
  // The arcs centred on the second corner open the other way: their shadow
  // falls to the lower left.
  if (q.onSecondCorner) canvas.OffsetViewport(SSymSize(-600, 0));
  canvas.Arc(q.ellipse, q.start, q.end);
  if (q.onSecondCorner) canvas.OffsetViewport(SSymSize(600, 0));
  return S_OK;
}

HRESULT SSymArc::MoveBy(const SSymSize& offset, int redraw) {
  const SSymRect before = m_rect;
  const HRESULT hr = SSymStd::MoveBy(offset, redraw);
  // The points follow only a move the base made (a declined move keeps both).
  if (m_start != m_end && m_rect != before) {
    m_start = SSymPoint(m_start.x + offset.cx, m_start.y + offset.cy);
    m_end = SSymPoint(m_end.x + offset.cx, m_end.y + offset.cy);
  }
  return hr;
}

HRESULT SSymArc::Transform(const SSymMatrix& matrix, int redraw) {
  if (!matrix.IsFinite()) return E_INVALIDARG;
  const SSymRect before = m_rect;
  const HRESULT hr = SSymStd::Transform(matrix, redraw);
  if (m_start != m_end && m_rect != before) {
    m_start = matrix.Transform(m_start);
    m_end = matrix.Transform(m_end);
  }
  return hr;
}

BOOL SSymArc::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol**) {
  if (IsHidden()) return 0;
  SSymRect r = Sym()->GetClipRect(0, 0);
  if (handle) {
    int index = -1;
    if (canvas.HitTestHandles(r, &index, pt)) {
      *handle = index;
      return 1;
    }
  }
  r.Normalize();
  r.Inflate(-1, -1);
  return IsPtInRoundRect(pt, r, SSymSize(0, 0)) ? 1 : 0;
}

BOOL SSymArc::IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink*, int) {
  return IsPtInSym(const_cast<SSymCanvas&>(canvas), pt, nullptr, nullptr);
}

BOOL SSymArc::GetIntersection(const SSymSegment& segment, SSymPoint* out) {
  const SSymRect r = GetClipRectWithBorder();
  return KeepUnlessCrossed(out, [&](SSymPoint* at) { return IntersectsRoundRect(segment, r, at, SSymSize(0, 0)); });
}

// ---- class tables, pools and registration -----------------------------------------------------
// None of the six declares attributes of its own (see their descriptions in
// symdescshapes.h): each property map is empty and chains to its base's, so
// registration binds nothing and gives the creation function.
#define KV_SHAPE_CLASS(cls)                                              \
  KV_SYM_DEFINE_CLASS_TABLES(cls)                                        \
  KV_SYM_IMPLEMENT_POOL(cls, g_symClasses[SYMCLS_##cls].poolBlocks);     \
  KV_SYM_REGISTER(cls, &SSymCreateStd<cls>);

KV_SHAPE_CLASS(SSymRectangle)
KV_SHAPE_CLASS(SSymBlankRectangle)
KV_SHAPE_CLASS(SSymRoundRect)
KV_SHAPE_CLASS(SSymEllipse)
KV_SHAPE_CLASS(SSymPie)
KV_SHAPE_CLASS(SSymArc)
#undef KV_SHAPE_CLASS
