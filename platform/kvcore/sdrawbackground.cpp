#include "kvcore/sdrawbackground.h"

#include <algorithm>
#include <cmath>

namespace {

int Channel(COLORREF c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

COLOR16 C16(int v) { return static_cast<COLOR16>(std::clamp(v, 0, 255) << 8); }

TRIVERTEX Vertex(LONG x, LONG y, COLORREF c) {
  return {x, y, C16(Channel(c, 0)), C16(Channel(c, 8)), C16(Channel(c, 16)), 0};
}

void Fill(HDC hdc, const RECT& rc, COLORREF color) {
  HBRUSH b = CreateSolidBrush(color);
  FillRect(hdc, &rc, b);
  DeleteObject(KvHandleCast<HGDIOBJ>(b));
}

BOOL LinearRect(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, bool vertical) {
  TRIVERTEX v[2] = {Vertex(rc.left, rc.top, c1), Vertex(rc.right, rc.bottom, c2)};
  GRADIENT_RECT r = {0, 1};
  return GradientFill(hdc, v, 2, &r, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

// Two triangles whose corner colours interpolate along a diagonal.
BOOL Diagonal(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, bool down) {
  const COLORREF mid = SDrawGradient::GetMediumColor(c1, c2, 1, 2);
  TRIVERTEX v[4];
  if (down) {  // top-left c1 .. bottom-right c2
    v[0] = Vertex(rc.left, rc.top, c1);
    v[1] = Vertex(rc.right, rc.top, mid);
    v[2] = Vertex(rc.right, rc.bottom, c2);
    v[3] = Vertex(rc.left, rc.bottom, mid);
  } else {  // bottom-left c1 .. top-right c2
    v[0] = Vertex(rc.left, rc.top, mid);
    v[1] = Vertex(rc.right, rc.top, c2);
    v[2] = Vertex(rc.right, rc.bottom, mid);
    v[3] = Vertex(rc.left, rc.bottom, c1);
  }
  GRADIENT_TRIANGLE t[2] = {{0, 1, 2}, {0, 2, 3}};
  return GradientFill(hdc, v, 4, t, 2, GRADIENT_FILL_TRIANGLE);
}

// Concentric ellipses from the outside (`outer`) in to the focus (`inner`).
// The outer ellipse circumscribes the rectangle (times `scale`); the
// centres move from the rectangle's centre to the focus point.
BOOL Radial(HDC hdc, const RECT& rc, COLORREF inner, COLORREF outer, int corner) {
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  const int steps = std::clamp(std::max(w, h) / 2, 1, 64);
  const double scale = corner >= 0 ? 1.5 : 1.0;
  const double rx = w / 2.0 * std::sqrt(2.0) * scale, ry = h / 2.0 * std::sqrt(2.0) * scale;
  const double cx = rc.left + w / 2.0, cy = rc.top + h / 2.0;
  double fx = cx, fy = cy;
  if (corner >= 0) {
    fx = (cx + ((corner == 0 || corner == 3) ? rc.left : rc.right)) / 2.0;
    fy = (cy + ((corner == 0 || corner == 1) ? rc.top : rc.bottom)) / 2.0;
  }
  // On paper one smooth gradient of the same ellipses: ring i (of `steps`,
  // from the outside) covers the sizes 1 - i / steps down to the next, so the
  // middle of the first ring is the outer colour and the middle of the last
  // the inner one. A document then holds one shading instead of up to 64
  // ellipses.
  if (steps > 1) {
    KvRadialGradient g;
    g.fx = fx, g.fy = fy, g.cx = cx, g.cy = cy, g.rx = rx, g.ry = ry;
    g.inner = inner, g.outer = outer;
    g.innerAt = 0.5 / steps, g.outerAt = 1 - 0.5 / steps;
    if (KvRadialGradientFill(hdc, &rc, g)) return TRUE;
  }
  Fill(hdc, rc, outer);
  HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(NULL_PEN));
  for (int i = 0; i < steps; ++i) {
    const double f = 1.0 - static_cast<double>(i) / steps;
    const double ex = fx + (cx - fx) * f, ey = fy + (cy - fy) * f;
    HBRUSH b = CreateSolidBrush(SDrawGradient::GetMediumColor(outer, inner, i, steps - 1 > 0 ? steps - 1 : 1));
    HGDIOBJ oldBrush = SelectObject(hdc, KvHandleCast<HGDIOBJ>(b));
    Ellipse(hdc, static_cast<int>(std::lround(ex - rx * f)), static_cast<int>(std::lround(ey - ry * f)),
            static_cast<int>(std::lround(ex + rx * f)) + 1, static_cast<int>(std::lround(ey + ry * f)) + 1);
    SelectObject(hdc, oldBrush);
    DeleteObject(KvHandleCast<HGDIOBJ>(b));
  }
  SelectObject(hdc, oldPen);
  return TRUE;
}

BOOL Linear(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, SGradientForm::Direction d) {
  switch (d) {
    case SGradientForm::gdTopToBottom: return LinearRect(hdc, rc, c1, c2, true);
    case SGradientForm::gdLeftToRight: return LinearRect(hdc, rc, c1, c2, false);
    case SGradientForm::gdDiagonalDown: return Diagonal(hdc, rc, c1, c2, true);
    case SGradientForm::gdDiagonalUp: return Diagonal(hdc, rc, c1, c2, false);
  }
  return FALSE;
}

// Mirrored: c1 at both ends, c2 in the middle along the direction.
BOOL Mirrored(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, SGradientForm::Direction d) {
  const LONG mx = rc.left + (rc.right - rc.left) / 2, my = rc.top + (rc.bottom - rc.top) / 2;
  switch (d) {
    case SGradientForm::gdTopToBottom:
      return LinearRect(hdc, {rc.left, rc.top, rc.right, my}, c1, c2, true) &&
             LinearRect(hdc, {rc.left, my, rc.right, rc.bottom}, c2, c1, true);
    case SGradientForm::gdLeftToRight:
      return LinearRect(hdc, {rc.left, rc.top, mx, rc.bottom}, c1, c2, false) &&
             LinearRect(hdc, {mx, rc.top, rc.right, rc.bottom}, c2, c1, false);
    case SGradientForm::gdDiagonalDown:
    case SGradientForm::gdDiagonalUp: {
      // Corner colours along the diagonal: c1 at both ends, c2 on the other diagonal.
      const bool down = d == SGradientForm::gdDiagonalDown;
      TRIVERTEX v[5] = {Vertex(rc.left, rc.top, down ? c1 : c2), Vertex(rc.right, rc.top, down ? c2 : c1),
                        Vertex(rc.right, rc.bottom, down ? c1 : c2), Vertex(rc.left, rc.bottom, down ? c2 : c1),
                        Vertex(mx, my, c2)};
      GRADIENT_TRIANGLE t[4] = {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}};
      return GradientFill(hdc, v, 5, t, 4, GRADIENT_FILL_TRIANGLE);
    }
  }
  return FALSE;
}

}  // namespace

// ---- SDrawGradient ------------------------------------------------------------------

COLORREF SDrawGradient::GetMediumColor(COLORREF c1, COLORREF c2, int num, int den) {
  if (den == 0) return c1 & 0xFFFFFF;
  auto mix = [&](int shift) {
    const long long a = Channel(c1, shift), b = Channel(c2, shift);
    return static_cast<BYTE>(std::clamp<long long>(a + (b - a) * num / den, 0, 255));
  };
  return RGB(mix(0), mix(8), mix(16));
}

void SDrawGradient::SetGradient(const RECT& start, const RECT& end, COLORREF c1, COLORREF c2, int mode, int frame) {
  m_start = start;
  m_end = end;
  m_c1 = c1;
  m_c2 = c2;
  m_mode = mode;
  m_frame = frame;
}

SGradientForm SDecodeGradient(int mode) {
  static const int kOlder[][2] = {{0x100, 0x40},  {0x101, 0x81},  {0x102, 0x41},  {0x103, 0x80},
                                  {0x1001, 0x21}, {0x1002, 0x20}, {0x1003, 0x11}, {0x1004, 0x10},
                                  {0x1005, 0x41}, {0x1006, 0x40}, {0x1007, 0x81}, {0x1008, 0x80}};
  for (const auto& m : kOlder)
    if (mode == m[0]) {
      mode = m[1];
      break;
    }
  using F = SGradientForm;
  F f;
  const int family = mode & 0xFFF0, variant = mode & 0xF;
  auto linear = [&](F::Direction d, bool swap, bool mirrored) {
    f.kind = F::gfLinear;
    f.direction = d;
    f.swap = swap;
    f.mirrored = mirrored;
  };
  switch (family) {
    case 0x10:
    case 0x20:
    case 0x40:
    case 0x80: {
      const F::Direction d = family == 0x10   ? F::gdTopToBottom
                             : family == 0x20 ? F::gdLeftToRight
                             : family == 0x40 ? F::gdDiagonalDown
                                              : F::gdDiagonalUp;
      linear(d, variant == 1 || variant == 3, variant == 2 || variant == 3);
      break;
    }
    case 0x200:
      f.kind = F::gfRadial;
      f.swap = mode == 0x201;
      break;
    case 0x800:
      f.kind = F::gfRadial;
      if (variant <= 3) f.corner = variant;
      break;
    default: break;
  }
  return f;
}

BOOL SDrawGradient::Paint(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, int mode) {
  if (!hdc || rc.right <= rc.left || rc.bottom <= rc.top) return FALSE;
  const SGradientForm f = SDecodeGradient(mode);
  if (f.swap) std::swap(c1, c2);
  switch (f.kind) {
    case SGradientForm::gfLinear:
      return f.mirrored ? Mirrored(hdc, rc, c1, c2, f.direction) : Linear(hdc, rc, c1, c2, f.direction);
    case SGradientForm::gfRadial: return Radial(hdc, rc, c2, c1, f.corner);
    case SGradientForm::gfPlain: break;
  }
  Fill(hdc, rc, c1);
  return TRUE;
}

BOOL SDrawGradient::Draw(SDC* dc) const {
  if (!dc || !dc->IsValid()) return FALSE;
  const RECT& rc = m_end;
  if (!Paint(dc->GetSafeHdc(), rc, m_c1, m_c2, IsGradient() ? m_mode : 0)) return FALSE;
  if (m_frame == 1) {
    HBRUSH b = CreateSolidBrush(GetMediumColor(m_c1, m_c2, 1, 2));
    FrameRect(dc->GetSafeHdc(), &rc, b);
    DeleteObject(KvHandleCast<HGDIOBJ>(b));
  }
  return TRUE;
}

// ---- SDrawBackground ----------------------------------------------------------------

SDrawBackground::SDrawBackground(HWND hwnd, int drawMode, int border)
    : m_hWnd(hwnd), m_nDrawMode(drawMode), m_nBorder(border) {}

void SDrawBackground::SetPolygon(const POINT* pts, int count, int fillMode) {
  m_points.assign(pts, pts + (pts && count > 0 ? count : 0));
  m_nFillMode = fillMode;
}

bool SDrawBackground::IsRectTooSmall(const RECT& rc) {
  return std::abs(static_cast<long long>(rc.right) - rc.left) < 2 ||
         std::abs(static_cast<long long>(rc.bottom) - rc.top) < 2;
}

HRGN SDrawBackground::MakeShapeRegion(HDC hdc, const RECT& s) const {
  switch (m_nShape) {
    case shapeEllipse:
      return CreateEllipticRgn(s.left, s.top, s.right + 1, s.bottom + 1);
    case shapeRoundRect: {
      const int w = m_corner.cx > 0 ? m_corner.cx : (std::min(s.right - s.left, s.bottom - s.top) + 1) / 4;
      const int h = m_corner.cy > 0 ? m_corner.cy : w;
      return CreateRoundRectRgn(s.left, s.top, s.right + 1, s.bottom + 1, w, h);
    }
    case shapePie: {
      // The pie's outline recorded as a path, then taken as a region.
      SaveDC(hdc);
      SetViewportOrgEx(hdc, 0, 0, nullptr);
      SetWindowOrgEx(hdc, 0, 0, nullptr);
      BeginPath(hdc);
      Pie(hdc, m_pieRect.left, m_pieRect.top, m_pieRect.right, m_pieRect.bottom, m_pieStart.x, m_pieStart.y,
          m_pieEnd.x, m_pieEnd.y);
      EndPath(hdc);
      HRGN r = PathToRegion(hdc);
      RestoreDC(hdc, -1);
      return r;
    }
    case shapePolygon:
      if (m_points.size() >= 3)
        return CreatePolygonRgn(m_points.data(), static_cast<int>(m_points.size()), m_nFillMode);
      return CreateRectRgn(0, 0, 0, 0);
    case shapePath:
      return nullptr;  // the context's own path clips
    default:
      return CreateRectRgn(s.left, s.top, s.right, s.bottom);
  }
}

void SDrawBackground::DrawPicture(SDC* dc, const RECT& s) {
  SPictureInfo* pic = GetPicture();
  if (!pic || m_nDrawMode == pfmNone) return;
  SIZE size = pic->GetPictureSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  const int w = s.right - s.left, h = s.bottom - s.top;
  // Picture pixels follow the zoom.
  size.cx = std::max(1, static_cast<int>(size.cx * m_zoomX / 100.0));
  size.cy = std::max(1, static_cast<int>(size.cy * m_zoomY / 100.0));
  auto draw = [&](const RECT& r) {
    if (SMetaFile* mf = pic->GetMetaFileW(1)) dc->PlayMetaFile(*mf, r);
    else if (Gdiplus::Bitmap* bm = pic->GetBitmap(1)) dc->DrawImage(r, bm, pic);
    else if (SIconFile* ic = pic->GetIcon(1)) dc->DrawIcon(r, ic, pic);
    else if (SCursorFile* cu = pic->GetCursor(1)) dc->DrawCursor(r, cu, pic);
  };
  // Tiles are clipped by the shape; too many of them are drawn stretched.
  if (m_nDrawMode == pfmTiled && static_cast<long long>(w / size.cx + 1) * (h / size.cy + 1) > 10000) {
    draw(s);
    return;
  }
  SPlacePicture(m_nDrawMode, s, size.cx, size.cy, draw);
}

BOOL SDrawBackground::DrawBackground(SDC* dc, const RECT& shape, const RECT& area, int erase, int picture) {
  if (!dc || !dc->IsValid()) return FALSE;
  HDC hdc = dc->GetSafeHdc();
  RECT s = shape;
  // Report targets draw shapes 1 to 3 one pixel smaller.
  if (dc->m_nFlag && m_nShape >= shapeRect && m_nShape <= shapeRoundRect) --s.right, --s.bottom;
  RECT paint;
  if (!IntersectRect(&paint, &s, &area)) return TRUE;  // nothing to paint

  SSaveDCScope save(*dc);
  if (m_nShape == shapePath) {
    if (!SelectClipPath(hdc, RGN_AND)) return FALSE;
  } else if (HRGN rgn = MakeShapeRegion(hdc, s)) {
    // Regions are in device units: move the shape by the context's mapping.
    POINT org = {0, 0};
    LPtoDP(hdc, &org, 1);
    OffsetRgn(rgn, org.x, org.y);
    ExtSelectClipRgn(hdc, rgn, RGN_AND);
    DeleteObject(KvHandleCast<HGDIOBJ>(rgn));
  }
  IntersectClipRect(hdc, paint.left, paint.top, paint.right, paint.bottom);

  if (erase && !m_bTransparent && !UseGradient()) Fill(hdc, s, m_crBack);
  if (UseGradient()) {
    const RECT g = m_bRects ? m_end : s;
    SDrawGradient::Paint(hdc, g, m_crStart, m_crEnd, m_nGradientMode);
  }
  if (picture && UsePicture()) DrawPicture(dc, s);
  return TRUE;
}
