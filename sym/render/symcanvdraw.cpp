// Drawing primitives of the canvas: the pen, brush and font caches, colour
// rules for black-and-white and shadow drawing, the GDI or GDI+ line rule,
// fill effects, and the library's own curves (ovals, rounded polylines,
// smoothed Béziers, line bridges).
#include <algorithm>
#include <cmath>
#include <new>

#include "kvcore/sexception.h"
#include "kvlib/scounthelper.h"
#include "kvlib/suserregistry.h"
#include "sym/render/symcanv.h"
#include "sym/render/symshapedraw.h"

namespace {

// Device points for the smooth (GDI+) drawing.
std::vector<Gdiplus::PointF> PointsF(const POINT* p, int n) {
  std::vector<Gdiplus::PointF> f(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    f[static_cast<std::size_t>(i)] =
        Gdiplus::PointF(static_cast<Gdiplus::REAL>(p[i].x), static_cast<Gdiplus::REAL>(p[i].y));
  return f;
}

int Cmp(long long a, long long b) { return a < b ? -1 : (a > b ? 1 : 0); }
int CmpU(unsigned long long a, unsigned long long b) { return a < b ? -1 : (a > b ? 1 : 0); }

int g_disableGDIDraw = -1;  // -1: not read yet

// Keeps the precise-rounding flag set for the life of the scope.
struct PreciseScope {
  int old;
  PreciseScope() : old(SSymCanvas::SetPreciseMode(1)) {}
  ~PreciseScope() { SSymCanvas::SetPreciseMode(old); }
};

// Selects the stock null brush for the life of the scope.
struct NullBrushScope {
  SDC& dc;
  HGDIOBJ old;
  explicit NullBrushScope(SDC& d) : dc(d), old(d.SelectStockObject(NULL_BRUSH)) {}
  ~NullBrushScope() {
    if (old) dc.SelectObject(old);
  }
};

// Saturated to the 32-bit range.
LONG Sat(long long v) { return v > 0x7FFFFFFFLL ? 0x7FFFFFFF : (v < -0x80000000LL ? static_cast<LONG>(-0x7FFFFFFF - 1) : static_cast<LONG>(v)); }

double Angle(double x, double y, double cx, double cy) {
  double a = std::atan2(y - cy, x - cx) * 180.0 / M_PI;  // clockwise on the device (y down)
  while (a < 0) a += 360.0;
  while (a >= 360.0) a -= 360.0;
  return a;
}

}  // namespace

// ---- cache orders -------------------------------------------------------------------

int SSymPenOrder::operator()(const SSymPen& a, const SSymPen& b) const {
  if (int c = Cmp(a.m_style, b.m_style)) return c;
  if (int c = Cmp(a.m_width, b.m_width)) return c;
  return CmpU(a.m_color.GetColor(), b.m_color.GetColor());
}

int SSymBrushOrder::operator()(const SSymBrush& a, const SSymBrush& b) const {
  if (int c = Cmp(a.m_style, b.m_style)) return c;
  if (int c = Cmp(a.m_hatch, b.m_hatch)) return c;
  if (int c = CmpU(a.m_color.GetColor(), b.m_color.GetColor())) return c;
  if (int c = CmpU(a.GetPictureIdentity(), b.GetPictureIdentity())) return c;
  if (int c = Cmp(a.m_bitmapMode, b.m_bitmapMode)) return c;
  if (int c = Cmp(a.m_gradientMode, b.m_gradientMode)) return c;
  return CmpU(a.m_endColor.GetColor(), b.m_endColor.GetColor());
}

int SSymFontOrder::operator()(const SSymFont& a, const SSymFont& b) const {
  if (int c = a.m_faceName.Compare(b.m_faceName)) return c < 0 ? -1 : 1;
  if (int c = Cmp(a.m_size, b.m_size)) return c;
  if (int c = Cmp(a.m_style, b.m_style)) return c;
  if (int c = Cmp(a.m_family, b.m_family)) return c;
  if (int c = Cmp(a.m_pitch, b.m_pitch)) return c;
  if (int c = Cmp(a.m_option, b.m_option)) return c;
  return Cmp(a.m_angle, b.m_angle);
}

// ---- caches ---------------------------------------------------------------------------

SPen* SSymCanvas::LookupPen(const SSymPen& pen) {
  if (SPen* found = m_penCache.Find(pen)) return found;
  SHandleCountHelper counter("AddPenInCanvasCache");
  LOGPEN lp = pen.GetLOGPEN();
  const LONG px = VPtoDP(SSymSize(lp.lopnWidth.x, 0)).cx;
  auto* made = new SPen();
  const DWORD style = lp.lopnStyle;
  if (px > 1 && (style & PS_STYLE_MASK) != PS_NULL) {
    DWORD s = style | PS_GEOMETRIC;
    if (!(style & PS_ENDCAP_SQUARE)) s |= PS_ENDCAP_FLAT;
    if (!(style & PS_JOIN_BEVEL)) s |= PS_JOIN_MITER;
    LOGBRUSH lb{BS_SOLID, lp.lopnColor, 0};
    made->ExtCreatePen(s, static_cast<DWORD>(px), &lb);
  } else {
    lp.lopnWidth.x = px < 0 ? 0 : px;
    lp.lopnWidth.y = 0;
    made->CreatePenIndirect(&lp);
  }
  m_penCache.SetAt(pen, made);
  return made;
}

SBrush* SSymCanvas::LookupBrush(const SSymBrush& brush) {
  if (SBrush* found = m_brushCache.Find(brush)) return found;
  SHandleCountHelper counter("AddBrushInCanvasCache");
  LOGBRUSH lb = brush.GetLOGBRUSH();
  auto* made = new SBrush();
  made->CreateBrushIndirect(&lb);
  m_brushCache.SetAt(brush, made);
  return made;
}

void SSymCanvas::ClearCaches() {
  SHandleCountHelper counter("ClearCanvasCache");
  // Objects selected into the context cannot be deleted: put stock ones in first.
  if (m_pDC && m_pDC->IsValid()) {
    m_pDC->SelectStockObject(BLACK_PEN);
    m_pDC->SelectStockObject(WHITE_BRUSH);
    m_pDC->SelectStockObject(SYSTEM_FONT);
  }
  m_penCache.RemoveAll();
  m_fontCache.RemoveAll();
  m_brushCache.RemoveAll();
  m_pFontLine = nullptr;
  m_pSelPen = nullptr;
  m_pSelBrush = nullptr;
}

SGdiPen* SSymCanvas::GetGdiPen(SPen& pen) {
  EXTLOGPEN elp{};
  pen.GetExtLogPen(&elp);
  if (m_pGdiPen && !m_pGdiPen->IsSame(elp)) {
    delete m_pGdiPen;
    m_pGdiPen = nullptr;
  }
  if (!m_pGdiPen) m_pGdiPen = new SGdiPen(elp);
  return m_pGdiPen;
}

SGdiPen* SSymCanvas::CurrentGdiPen() {
  SPen current(m_pDC->GetCurrentPen());
  SGdiPen* p = GetGdiPen(current);
  current.Detach();
  return p;
}

int SSymCanvas::GetDisableGDIDraw() {
  if (g_disableGDIDraw < 0) {
    SUserRegistry reg(SUserRegistry::sApplicationGeneral);
    long value = 0;
    reg.GetProfile(SString(u"DisableGDIDraw"), &value, 0);
    g_disableGDIDraw = value ? 1 : 0;
  }
  return g_disableGDIDraw;
}

void SSymCanvas::ResetDisableGDIDraw() { g_disableGDIDraw = -1; }

bool SSymCanvas::UseGdiPlus() {
  return m_pDC && !GetDisableGDIDraw() && m_pDC->GetROP2() != R2_XORPEN && !m_bDrawingPath;
}

void SSymCanvas::TransformLstPt(const SSymListPt& pts) {
  const int n = pts.GetCount();
  try {
    if (static_cast<int>(m_points.size()) < n) m_points.resize(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    throw SEOutOfMemory("void __thiscall SSymCanvas::TransformLstPt(const class SSymListPt &)", "sym/src/symcanv",
                        4154);
  }
  for (int i = 0; i < n; ++i) m_points[static_cast<std::size_t>(i)] = VPtoDP(pts[i]);
}

// ---- pens, brushes, colours -------------------------------------------------------------------

void SSymCanvas::SetPen(const SSymPen& pen) {
  if (m_pDC) {
    SPen* selected = nullptr;
    if (pen.m_style == SSymPen::NoLine) {
      m_pDC->SelectStockObject(NULL_PEN);
    } else if (m_bColor) {
      // Shapes set the same pen one after another: while it is still the one
      // in the context there is nothing to look up or select again.
      if (m_pSelPen && pen == m_pen && m_pDC->GetCurrentPen() == HPEN(*m_pSelPen)) return;
      selected = LookupPen(pen);
      m_pDC->SelectObject(selected);
    } else if (pen.m_style == SSymPen::Solid && pen.m_width == 0) {
      m_pDC->SelectStockObject(BLACK_PEN);
    } else {
      m_pDC->SelectObject(LookupPen(SSymPen(pen.m_style, pen.m_width, SSymColor(0))));
    }
    m_pSelPen = selected;
  }
  m_pen = pen;
}

int SSymCanvas::GetPen(SSymPen& pen) const {
  pen = m_pen;
  return 1;
}

void SSymCanvas::SetBrush(const SSymBrush& brush, int dark) {
  if (m_pDC) {
    const LONG style = brush.m_style;
    SBrush* selected = nullptr;
    if (style == SSymBrush::Hollow) {
      m_pDC->SelectStockObject(NULL_BRUSH);
    } else if (!m_bColor && m_bBlackFill) {
      m_pDC->SelectStockObject(BLACK_BRUSH);
    } else if (m_bColor) {
      if (m_pSelBrush && brush == m_brush && m_pDC->GetCurrentBrush() == HBRUSH(*m_pSelBrush)) return;
      selected = LookupBrush(brush);
      m_pDC->SelectObject(selected);
    } else if (m_bDrawShadow) {
      m_pDC->SelectStockObject(BLACK_BRUSH);
    } else if (dark) {
      if (style == SSymBrush::Solid) {
        m_pDC->SelectStockObject(BLACK_BRUSH);
      } else {
        SSymBrush b(brush);
        b.m_color = SSymColor(0);
        m_pDC->SelectObject(LookupBrush(b));
      }
    } else if (style == SSymBrush::Solid) {
      m_pDC->SelectStockObject(WHITE_BRUSH);
    } else if (style == SSymBrush::Hatched) {
      m_pDC->SetBkColor(0xFFFFFF);
      m_pDC->SelectObject(LookupBrush(brush));
    } else {
      SSymBrush b(brush);
      b.m_color = SSymColor(0xFFFFFF);
      m_pDC->SelectObject(LookupBrush(b));
    }
    m_pSelBrush = selected;
  }
  m_brush = brush;
}

int SSymCanvas::GetBrush(SSymBrush& brush) const {
  brush = m_brush;
  return 1;
}

void SSymCanvas::SetFontColor(SSymColor color) {
  if (m_pDC) m_pDC->SetTextColor(m_bColor ? color.GetColor() : 0);
}

int SSymCanvas::UseFillEffect() {
  return m_bColor && !m_bDrawShadow && !m_bDrawingPath && (m_brush.UsePicture() || m_brush.UseGradient()) ? 1 : 0;
}

// ---- fill effects and backgrounds ---------------------------------------------------------------

bool SSymCanvas::FillEffect(int shape, const RECT& rc, const RECT& test, const POINT* pts, int count, SIZE corner,
                            POINT ps, POINT pe) {
  if (!m_pDC || !UseFillEffect() || SDrawBackground::IsRectTooSmall(test)) return false;
  SDrawBackground painter(nullptr, 12);
  m_brush.GetBackgroundInfo(painter);
  painter.SetShape(shape);
  switch (shape) {
    case SDrawBackground::shapeRoundRect: painter.SetRoundCorner(corner); break;
    case SDrawBackground::shapePie: painter.SetPie(ps, pe, test); break;
    case SDrawBackground::shapePolygon: {
      painter.SetPolygon(pts, count, m_pDC->GetPolyFillMode());
      painter.SetGradientRects(test, test);
      break;
    }
    case SDrawBackground::shapePath: painter.SetGradientRects(rc, rc); break;
    default: break;
  }
  DrawBackground(painter, rc, 1, 1);
  return true;
}

void SSymCanvas::DrawBackground(SDrawBackground& painter, const RECT& r, int erase, int picture) {
  if (!m_pDC) return;
  RECT area = r;
  if (GetCanvasType() == 2) {
    RECT clip{};
    m_pDC->GetClipBox(&clip);
    if (!::IsRectEmpty(&clip)) {
      RECT meet{};
      if (!::IntersectRect(&meet, &r, &clip)) return;
      area = clip;
    }
  }
  RECT shape = r;
  const int kind = painter.GetShape();
  if (m_pDC->m_nFlag && kind >= 1 && kind <= 3) {
    --shape.right;
    --shape.bottom;
  }
  painter.SetZoom(m_dZoom, m_dZoom);
  painter.DrawBackground(m_pDC, shape, area, erase, picture);
}

void SSymCanvas::DrawBackground(SDrawBackground& painter, const SSymRect& shape, const SSymRect& clip, int erase,
                                int picture) {
  if (!m_pDC) return;
  SSymRect a(shape), b(clip);
  a.Normalize();
  b.Normalize();
  if (!a.Intersects(b)) return;
  RECT rs = VPtoDP(a), rc = VPtoDP(b);
  ::InflateRect(&rs, -1, -1);
  painter.SetZoom(m_dZoom, m_dZoom);
  RECT s = rs;
  const int kind = painter.GetShape();
  if (m_pDC->m_nFlag && kind >= 1 && kind <= 3) {
    --s.right;
    --s.bottom;
  }
  painter.DrawBackground(m_pDC, s, rc, erase, picture);
}

// ---- primitives ------------------------------------------------------------------------------------

void SSymCanvas::SetPixel(const SSymPoint& p, unsigned long color) {
  if (!m_pDC) return;
  const POINT d = VPtoDP(p);
  m_pDC->SetPixel(d.x, d.y, static_cast<COLORREF>(color));
}

void SSymCanvas::Line(const SSymPoint& a, const SSymPoint& b) {
  if (!m_pDC) return;
  m_pDC->SetBkMode(TRANSPARENT);
  const POINT pa = VPtoDP(a), pb = VPtoDP(b);
  if (UseGdiPlus()) {
    Gdiplus::Graphics g(m_pDC->GetSafeHdc());
    g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    g.DrawLine(CurrentGdiPen(), static_cast<Gdiplus::REAL>(pa.x), static_cast<Gdiplus::REAL>(pa.y),
               static_cast<Gdiplus::REAL>(pb.x), static_cast<Gdiplus::REAL>(pb.y));
  } else {
    m_pDC->MoveTo(pa.x, pa.y);
    m_pDC->LineTo(pb.x, pb.y);
  }
}

void SSymCanvas::Polyline(const SSymListPt& pts, int to) {
  const int n = pts.GetCount();
  if (!m_pDC || n == 0) return;
  TransformLstPt(pts);
  if (m_pDC->GetROP2() == R2_COPYPEN) m_pDC->SetBkMode(TRANSPARENT);
  POINT* p = GetListPoints();
  if (UseGdiPlus()) {
    const std::vector<Gdiplus::PointF> f = PointsF(p, n);
    Gdiplus::Graphics g(m_pDC->GetSafeHdc());
    g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    g.DrawLines(CurrentGdiPen(), f.data(), n);
  } else if (to) {
    m_pDC->MoveTo(p[0].x, p[0].y);
    m_pDC->PolylineTo(p, n);
  } else {
    m_pDC->Polyline(p, n);
  }
}

void SSymCanvas::PolyBezier(const SSymListPt& pts, int to, int exact) {
  const int n = pts.GetCount();
  if (!m_pDC || n == 0) return;
  if (n == 2) {
    Line(pts[0], pts[1]);
    return;
  }
  SSymListPt curve;
  if (exact) {
    curve = pts;
  } else {
    curve.Add(pts[0]);
    for (int i = 1; i <= n - 2; ++i) {
      curve.Add(pts[i]);
      curve.Add(pts[i]);
      if (i < n - 2)
        curve.Add(SSymPoint(static_cast<LONG>((static_cast<long long>(pts[i].x) + pts[i + 1].x) / 2),
                            static_cast<LONG>((static_cast<long long>(pts[i].y) + pts[i + 1].y) / 2)));
    }
    if (n > 1) curve.Add(pts[n - 1]);
  }
  const int m = curve.GetCount();
  TransformLstPt(curve);
  POINT* p = GetListPoints();
  if (UseGdiPlus()) {
    const std::vector<Gdiplus::PointF> f = PointsF(p, m);
    Gdiplus::Graphics g(m_pDC->GetSafeHdc());
    g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    g.DrawBeziers(CurrentGdiPen(), f.data(), m);
  } else if (to) {
    m_pDC->MoveTo(p[0].x, p[0].y);
    m_pDC->PolyBezierTo(p + 1, m - 1);
  } else {
    m_pDC->PolyBezier(p, m);
  }
}

void SSymCanvas::GdiArc(const RECT& rc, POINT s, POINT e) {
  const double cx = (rc.left + rc.right) / 2.0, cy = (rc.top + rc.bottom) / 2.0;
  const double start = Angle(e.x, e.y, cx, cy);
  double sweep = Angle(s.x, s.y, cx, cy) - start;
  if (sweep < 0) sweep += 360.0;
  Gdiplus::Graphics g(m_pDC->GetSafeHdc());
  g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
  g.DrawArc(CurrentGdiPen(), static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
            static_cast<Gdiplus::REAL>(rc.right - rc.left), static_cast<Gdiplus::REAL>(rc.bottom - rc.top),
            static_cast<Gdiplus::REAL>(start), static_cast<Gdiplus::REAL>(sweep));
}

void SSymCanvas::Arc(const SSymRect& r, const SSymPoint& start, const SSymPoint& end) {
  if (!m_pDC) return;
  const POINT s = VPtoDP(start), e = VPtoDP(end);
  if (UseGdiPlus()) {
    GdiArc(VPtoDP(r), s, e);
  } else {
    m_pDC->Arc(VPtoDPRect(r), s, e);
  }
}

void SSymCanvas::Pie(const SSymRect& r, const SSymPoint& start, const SSymPoint& end, const SSymRect& area) {
  if (!m_pDC) return;
  const RECT rc = VPtoDPRect(r), ra = VPtoDPRect(area);
  const POINT s = VPtoDP(start), e = VPtoDP(end);
  if (FillEffect(SDrawBackground::shapePie, rc, ra, nullptr, 0, {0, 0}, s, e)) {
    NullBrushScope nb(*m_pDC);
    m_pDC->Pie(rc, s, e);
    return;
  }
  m_pDC->Pie(rc, s, e);
}

void SSymCanvas::Ellipse(const SSymRect& r) {
  if (!m_pDC) return;
  const RECT rc = VPtoDPRect(r);
  if (FillEffect(SDrawBackground::shapeEllipse, rc, rc)) {
    NullBrushScope nb(*m_pDC);
    m_pDC->Ellipse(rc);
    return;
  }
  m_pDC->Ellipse(rc);
}

void SSymCanvas::Rectangle(const SSymRect& r) {
  if (!m_pDC) return;
  const RECT rc = VPtoDPRect(r);
  if (FillEffect(SDrawBackground::shapeRect, rc, rc)) {
    NullBrushScope nb(*m_pDC);
    m_pDC->Rectangle(rc);
    return;
  }
  m_pDC->Rectangle(rc);
}

void SSymCanvas::RoundRect(const SSymRect& r, const SSymSize& corner) {
  if (!m_pDC) return;
  const RECT rc = VPtoDPRect(r);
  SIZE c{0, 0};
  if (corner.cx > 0 || corner.cy > 0) c = VPtoDP(corner);
  const LONG w = rc.right - rc.left, h = rc.bottom - rc.top;
  const LONG dflt = (std::min(w, h) + 1) >> 2;
  if (c.cx <= 0) c.cx = dflt;
  if (c.cy <= 0) c.cy = dflt;
  if (FillEffect(SDrawBackground::shapeRoundRect, rc, rc, nullptr, 0, c)) {
    NullBrushScope nb(*m_pDC);
    m_pDC->RoundRect(rc.left, rc.top, rc.right, rc.bottom, c.cx, c.cy);
    return;
  }
  m_pDC->RoundRect(rc.left, rc.top, rc.right, rc.bottom, c.cx, c.cy);
}

void SSymCanvas::Oval(const SSymRect& r) {
  if (!m_pDC) return;
  const RECT rc = VPtoDPRect(r);
  const LONG h = rc.bottom - rc.top;
  const LONG cw = static_cast<LONG>(0.75 * h);
  if (UseFillEffect()) {
    const long long hh = std::llabs(static_cast<long long>(r.y1) - r.y2) + 1;
    const LONG H = hh > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(hh);
    if (cw && h)
      RoundRect(r, SSymSize(static_cast<LONG>(0.75 * H), H));
    else
      Rectangle(r);
    return;
  }
  if (cw && h)
    m_pDC->RoundRect(rc.left, rc.top, rc.right, rc.bottom, cw, h);
  else
    m_pDC->Rectangle(rc);
}

void SSymCanvas::FillRect(const SSymRect& r, const SSymBrush& brush) {
  if (!m_pDC) return;
  const RECT rc = VPtoDPRect(r);
  if (m_bColor && !m_bDrawShadow && !m_bDrawingPath && (brush.UsePicture() || brush.UseGradient()) &&
      !SDrawBackground::IsRectTooSmall(rc)) {
    SDrawBackground painter(nullptr, 12);
    brush.GetBackgroundInfo(painter);
    painter.SetShape(SDrawBackground::shapeRect);
    DrawBackground(painter, rc, 1, 1);
    return;
  }
  if (m_bColor) {
    if (SBrush* b = LookupBrush(brush)) m_pDC->FillRect(&rc, b);
  } else {
    m_pDC->FillRect(&rc, KvHandleCast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  }
}

void SSymCanvas::FocusRect(const SSymRect& r) {
  if (!m_pDC) return;
  const RECT rc = VPtoDPRect(r);
  m_pDC->DrawFocusRect(&rc);
}

void SSymCanvas::Polygon(const SSymListPt& pts) {
  const int n = pts.GetCount();
  if (!m_pDC || n == 0) return;
  TransformLstPt(pts);
  POINT* p = GetListPoints();
  const RECT box = KvPointsBounds(p, n);
  if (FillEffect(SDrawBackground::shapePolygon, box, box, p, n)) {
    NullBrushScope nb(*m_pDC);
    m_pDC->Polygon(p, n);
    return;
  }
  if (SmoothWidePolygon(p, n)) return;
  m_pDC->Polygon(p, n);
}

bool SSymCanvas::SmoothWidePolygon(const POINT* p, int n) {
  // An outline several pixels wide drawn without smoothing shows its
  // slanted edges as stairs (the arrowheads of a double line): a coloured
  // polygon with a wide pen and a plain fill goes through GDI+ as lines do.
  // Contexts that only record keep the GDI polygon.
  if (n < 3 || !m_bColor || m_bDrawShadow || m_bBlackFill || !UseGdiPlus()) return false;
  if (m_pen.m_style == SSymPen::NoLine || VPtoDP(SSymSize(m_pen.m_width, 0)).cx <= 1) return false;
  if (m_brush.m_style != SSymBrush::Solid && m_brush.m_style != SSymBrush::Hollow) return false;
  const std::vector<Gdiplus::PointF> f = PointsF(p, n);
  Gdiplus::Graphics g(m_pDC->GetSafeHdc());
  g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
  if (m_brush.m_style == SSymBrush::Solid) {
    const COLORREF c = m_brush.m_color.GetColor();
    const Gdiplus::SolidBrush fill(Gdiplus::Color(255, GetRValue(c), GetGValue(c), GetBValue(c)));
    if (g.FillPolygon(&fill, f.data(), n) != Gdiplus::Ok) return false;
  }
  // The context's mitre limit holds for the smooth outline too.
  SGdiPen* pen = CurrentGdiPen();
  FLOAT limit = 10.0f;
  if (::GetMiterLimit(m_pDC->GetSafeHdc(), &limit)) pen->SetMiterLimit(limit);
  return g.DrawPolygon(pen, f.data(), n) == Gdiplus::Ok;
}

int SSymCanvas::FillPath(const SSymRect& r) {
  if (!m_pDC) return 0;
  if (UseFillEffect()) {
    const RECT rc = VPtoDPRect(r);
    if (FillEffect(SDrawBackground::shapePath, rc, rc)) return 1;
  }
  return m_pDC->FillPath();
}

int SSymCanvas::StrokeAndFillPath(const SSymRect& r) {
  if (!m_pDC) return 0;
  if (UseFillEffect()) {
    FillPath(r);
    return m_pDC->StrokePath();
  }
  return m_pDC->StrokeAndFillPath();
}

// ---- pictures ------------------------------------------------------------------------------------------

void SSymCanvas::DrawPicture(const SSymRect& r, SPictureInfo* pic, int flag) {
  (void)flag;
  if (!m_pDC || !pic) return;
  switch (pic->GetType()) {
    case 3:
      if (Gdiplus::Bitmap* b = pic->GetBitmap()) DrawImage(r, b, pic);
      break;
    case 2:
      if (SMetaFile* mf = pic->GetMetaFileW()) DrawMetaFile(r, *mf);
      break;
    case 4:
      if (SIconFile* icon = pic->GetIcon()) DrawIcon(r, icon, pic);
      break;
    case 5:
      if (SCursorFile* cursor = pic->GetCursor()) DrawCursor(r, cursor, pic);
      break;
    case 1:
      // A symbol shape: the predefined shape of the record's symbol type.
      SSymDrawShapePicture(*this, r, pic->GetSymbolType());
      break;
    default:
      break;
  }
}

void SSymCanvas::DrawImage(const SSymRect& r, Gdiplus::Image* image, SPictureInfo* pic) {
  if (!m_pDC || !image) return;
  RECT rc;
  {
    PreciseScope precise;
    rc = VPtoDP(r);
  }
  m_pDC->DrawImage(rc, image, pic);
}

void SSymCanvas::DrawIcon(const SSymRect& r, SIconFile* icon, SPictureInfo* pic) {
  if (!m_pDC || !icon) return;
  RECT rc;
  {
    PreciseScope precise;
    rc = VPtoDP(r);
  }
  m_pDC->DrawIcon(rc, icon, pic);
}

void SSymCanvas::DrawIcon(const SSymRect& r, HICON icon, unsigned flags) {
  (void)flags;
  if (!m_pDC || !icon) return;
  RECT rc;
  {
    PreciseScope precise;
    rc = VPtoDP(r);
  }
  m_pDC->SetBkColor(m_bkBrush.GetColor().GetColor());
  SIconFile file(icon);
  m_pDC->DrawIcon(rc, &file, nullptr);
}

void SSymCanvas::DrawCursor(const SSymRect& r, SCursorFile* cursor, SPictureInfo* pic) {
  if (!m_pDC || !cursor) return;
  RECT rc;
  {
    PreciseScope precise;
    rc = VPtoDP(r);
  }
  m_pDC->DrawCursor(rc, cursor, pic);
}

void SSymCanvas::DrawBitmap(const SSymRect& r, SBitmap* bitmap) {
  if (!m_pDC || !bitmap) return;
  RECT rc;
  {
    PreciseScope precise;
    rc = VPtoDP(r);
  }
  m_pDC->DrawBitmap(rc, bitmap);
}

void SSymCanvas::DrawMetaFile(const SSymRect& r, const SMetaFile& mf) {
  if (!m_pDC) return;
  RECT rc;
  {
    PreciseScope precise;
    rc = VPtoDPRect(r);
  }
  m_pDC->PlayMetaFile(mf, rc);
}

// ---- rounded polylines -------------------------------------------------------------------------------

void SSymCanvas::RoundPolyline(const SSymListPt& pts) {
  const int n = pts.GetCount();
  if (!m_pDC || n < 2) return;
  if (n == 2) {
    Line(pts[0], pts[1]);
    return;
  }
  SSymPoint from = pts[0];
  for (int i = 1; i <= n - 2; ++i) {
    const SSymPoint P = pts[i - 1], C = pts[i], N = pts[i + 1];
    const bool vh = P.x == C.x && P.y != C.y && C.y == N.y && C.x != N.x;
    const bool hv = P.y == C.y && P.x != C.x && C.x == N.x && C.y != N.y;
    long long r = 0;
    if (vh || hv) {
      const long long l1 = std::llabs(static_cast<long long>(P.x) - C.x) + std::llabs(static_cast<long long>(P.y) - C.y);
      const long long l2 = std::llabs(static_cast<long long>(N.x) - C.x) + std::llabs(static_cast<long long>(N.y) - C.y);
      r = std::min(l1 / 2, l2 / 2);
      if (r < 300) r = 0;
      if (r > 600) r = 600;
    }
    if (r == 0) {
      Line(from, C);
      from = C;
      continue;
    }
    auto toward = [&](const SSymPoint& target) {
      const long long dx = (target.x > C.x) - (target.x < C.x), dy = (target.y > C.y) - (target.y < C.y);
      return SSymPoint(Sat(C.x + dx * r), Sat(C.y + dy * r));
    };
    const SSymPoint A = toward(P), B = toward(N);
    Line(from, A);
    const long long ox = static_cast<long long>(A.x) + B.x - C.x, oy = static_cast<long long>(A.y) + B.y - C.y;
    const SSymPoint O(Sat(ox), Sat(oy));
    const RECT rc = VPtoDPRect(SSymRect(Sat(ox - r), Sat(oy + r), Sat(ox + r), Sat(oy - r)));
    // The platform arc runs counterclockwise as seen on the screen.
    const long long cross = (static_cast<long long>(A.x) - O.x) * (static_cast<long long>(B.y) - O.y) -
                            (static_cast<long long>(A.y) - O.y) * (static_cast<long long>(B.x) - O.x);
    POINT s = VPtoDP(cross > 0 ? A : B), e = VPtoDP(cross > 0 ? B : A);
    if (s.x > e.x) {
      if (s.y > e.y)
        --e.x;
      else
        ++e.y;
    } else {
      if (s.y < e.y)
        ++e.x;
      else
        --e.y;
    }
    m_pDC->Arc(rc, s, e);
    from = B;
  }
  Line(from, pts[n - 1]);
}

// ---- line bridges ------------------------------------------------------------------------------------------

SSymListPt SSymCanvas::PolylineWithBridges(const SSymListPt& pts, const STable<SWeighted<SSymPoint, double>>& crossings,
                                           int radius, int rounded) {
  SSymListPt result;
  if (crossings.GetCount() == 0) {
    Polyline(pts, 0);
    return result;
  }
  STable<SSymListPt> pieces;
  pts.Split(crossings, pieces, radius, 0);
  for (int k = 0; k < pieces.GetCount(); ++k) {
    if (rounded)
      RoundPolyline(pieces[k]);
    else
      Polyline(pieces[k], 0);
  }
  for (int k = 0; k + 1 < pieces.GetCount(); ++k) {
    const SSymListPt& a = pieces[k];
    const SSymListPt& b = pieces[k + 1];
    if (a.GetCount() == 0 || b.GetCount() == 0) continue;
    const SSymPoint Ae = a[a.GetCount() - 1], Bs = b[0];
    const long long dx = static_cast<long long>(Bs.x) - Ae.x, dy = static_cast<long long>(Bs.y) - Ae.y;
    bool swap;
    if (dx == 0)
      swap = Bs.y < Ae.y;
    else {
      const bool steep = std::llabs(dy) > std::llabs(dx);
      swap = (steep && dx < 0) || (!steep && dx > 0);
    }
    const SSymPoint A = swap ? Bs : Ae, B = swap ? Ae : Bs;
    const double len = std::hypot(static_cast<double>(B.x) - A.x, static_cast<double>(B.y) - A.y);
    if (len <= 0.0) continue;
    const double ux = (B.x - static_cast<double>(A.x)) / len, uy = (B.y - static_cast<double>(A.y)) / len;
    const SSymPoint I1(SSymRoundAway(A.x + ux * radius), SSymRoundAway(A.y + uy * radius));
    const SSymPoint I2(SSymRoundAway(B.x - ux * radius), SSymRoundAway(B.y - uy * radius));
    using LL = long long;
    const SSymPoint Q1(Sat(LL(I1.x) + (LL(I1.y) - A.y)), Sat(LL(I1.y) + (LL(A.x) - I1.x)));
    const SSymPoint Q2(Sat(LL(I2.x) + (LL(B.y) - I2.y)), Sat(LL(I2.y) + (LL(I2.x) - B.x)));
    Arc(SSymRect(Sat(LL(I1.x) - radius), Sat(LL(I1.y) + radius), Sat(LL(I1.x) + radius), Sat(LL(I1.y) - radius)), A, Q1);
    Line(Q1, Q2);
    Arc(SSymRect(Sat(LL(I2.x) - radius), Sat(LL(I2.y) + radius), Sat(LL(I2.x) + radius), Sat(LL(I2.y) - radius)), Q2, B);
    result.Add(A);
    result.Add(Q1);
    result.Add(Q2);
    result.Add(B);
  }
  return result;
}

namespace {
SSymShapePictureDrawer& ShapeDrawer() {
  static SSymShapePictureDrawer drawer;
  return drawer;
}
}  // namespace

void SSymSetShapePictureDrawer(SSymShapePictureDrawer drawer) { ShapeDrawer() = std::move(drawer); }

void SSymDrawShapePicture(SSymCanvas& canvas, const SSymRect& rect, int shapeType) {
  if (ShapeDrawer()) ShapeDrawer()(canvas, rect, shapeType);
}
