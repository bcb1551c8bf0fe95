// Drawing: outlines of the GDI shapes in device space, pens and brushes as
// cairo sources, mix modes, paths, block transfers and gradient fills.
//
// Pixel rules: an outline runs through pixel centres (device point p is the
// pixel whose centre is p + 0.5). Strokes follow the outline; fills cover the
// pixels whose centres lie inside the outline moved by just under half a
// pixel, which leaves out the right and bottom edges as GDI does.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "win/gdi_internal.h"

namespace kvgdi {

std::vector<std::uint32_t> GetPixels(cairo_surface_t* s, int x0, int y0, int w, int h);
void PutPixels(cairo_surface_t* s, int x0, int y0, int w, int h, const std::uint32_t* px);
bool DecodeDib(const BITMAPINFO* bmi, const void* bits, std::vector<std::uint32_t>* out, int* w, int* h);

constexpr double kFillOffset = 0.5 - 1.0 / 256;
constexpr double kStrokeOffset = 0.5;

unsigned RopPixel(int rop2, unsigned p, unsigned d) {
  switch (rop2) {
    case R2_BLACK: return 0;
    case R2_NOTMERGEPEN: return ~(p | d) & 0xFFFFFF;
    case R2_MASKNOTPEN: return ~p & d & 0xFFFFFF;
    case R2_NOTCOPYPEN: return ~p & 0xFFFFFF;
    case R2_MASKPENNOT: return p & ~d & 0xFFFFFF;
    case R2_NOT: return ~d & 0xFFFFFF;
    case R2_XORPEN: return (p ^ d) & 0xFFFFFF;
    case R2_NOTMASKPEN: return ~(p & d) & 0xFFFFFF;
    case R2_MASKPEN: return p & d;
    case R2_NOTXORPEN: return ~(p ^ d) & 0xFFFFFF;
    case R2_NOP: return d;
    case R2_MERGENOTPEN: return (~p | d) & 0xFFFFFF;
    case R2_MERGEPENNOT: return (p | ~d) & 0xFFFFFF;
    case R2_MERGEPEN: return p | d;
    case R2_WHITE: return 0xFFFFFF;
    default: return p;
  }
}

static bool IsRaster(Dc* dc) { return dc->surface && dc->sink && dc->sink->Kind() == KvSinkKind::Raster; }

void RenderRop(Dc* dc, int rop2, void (*fn)(Dc*, cairo_t*, void*), void* ctx, const RECT* bounds, bool inSession) {
  if (!dc->cr || rop2 == R2_NOP) return;
  HealDc(dc);
  bool raster = IsRaster(dc);
  if ((rop2 == R2_COPYPEN || !raster) && inSession) {
    cairo_t* cr = dc->cr;
    Dc::CairoSession& s = dc->session;
    if (!s.open) {
      cairo_save(cr);
      cairo_set_matrix(cr, &dc->base);
      s.open = true;
      s.antialias = -1;
      s.penSet = false;
    }
    cairo_new_path(cr);
    if (raster) SetDcAntialias(dc, cr, CAIRO_ANTIALIAS_NONE);
    fn(dc, cr, ctx);
    cairo_new_path(cr);
    return;
  }
  EndCairoSession(dc);
  if (rop2 == R2_COPYPEN || !raster) {
    cairo_t* cr = dc->cr;
    cairo_save(cr);
    cairo_set_matrix(cr, &dc->base);
    cairo_new_path(cr);
    if (raster) cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    fn(dc, cr, ctx);
    cairo_new_path(cr);
    cairo_restore(cr);
    return;
  }
  // Exact mix: render the figure opaque into a layer, then combine bitwise.
  int W = cairo_image_surface_get_width(dc->surface), H = cairo_image_surface_get_height(dc->surface);
  RECT box{0, 0, W, H};
  if (dc->st.clip) {
    RECT c = dc->st.clip->Box();
    IntersectRect(&box, &box, &c);
  }
  if (bounds) {
    RECT b{ToLong(bounds->left - 2.0), ToLong(bounds->top - 2.0), ToLong(bounds->right + 2.0), ToLong(bounds->bottom + 2.0)};
    IntersectRect(&box, &box, &b);
  }
  if (IsRectEmpty(&box)) return;
  int lw = box.right - box.left, lh = box.bottom - box.top;
  cairo_surface_t* layer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, lw, lh);
  cairo_t* lcr = cairo_create(layer);
  cairo_translate(lcr, -box.left, -box.top);
  if (dc->st.clip) {
    dc->st.clip->AddToCairo(lcr);
    cairo_clip(lcr);
  }
  cairo_set_antialias(lcr, CAIRO_ANTIALIAS_NONE);
  fn(dc, lcr, ctx);
  cairo_destroy(lcr);
  cairo_surface_flush(layer);
  cairo_surface_flush(dc->surface);
  const unsigned char* ld = cairo_image_surface_get_data(layer);
  int ls = cairo_image_surface_get_stride(layer);
  unsigned char* dd = cairo_image_surface_get_data(dc->surface);
  int ds = cairo_image_surface_get_stride(dc->surface);
  for (int y = 0; y < lh; ++y) {
    const std::uint32_t* lrow = reinterpret_cast<const std::uint32_t*>(ld + std::ptrdiff_t(y) * ls);
    std::uint32_t* drow = reinterpret_cast<std::uint32_t*>(dd + std::ptrdiff_t(y + box.top) * ds) + box.left;
    for (int x = 0; x < lw; ++x) {
      std::uint32_t v = lrow[x];
      if ((v >> 24) < 128) continue;
      unsigned a = v >> 24;
      unsigned r = ((v >> 16) & 0xFF) * 255 / a, g = ((v >> 8) & 0xFF) * 255 / a, b = (v & 0xFF) * 255 / a;
      unsigned src = (std::min(r, 255u) << 16) | (std::min(g, 255u) << 8) | std::min(b, 255u);
      drow[x] = (drow[x] & 0xFF000000u) | RopPixel(rop2, src, drow[x] & 0xFFFFFF);
    }
  }
  cairo_surface_mark_dirty(dc->surface);
  cairo_surface_destroy(layer);
}


void AddOutlineToCairo(cairo_t* cr, const std::vector<PathPoint>& pts, double off) {
  std::size_t i = 0;
  while (i < pts.size()) {
    const PathPoint& p = pts[i];
    BYTE t = p.type & ~PT_CLOSEFIGURE;
    if (t == PT_MOVETO) {
      cairo_move_to(cr, p.x + off, p.y + off);
      ++i;
    } else if (t == PT_BEZIERTO && i + 2 < pts.size()) {
      cairo_curve_to(cr, p.x + off, p.y + off, pts[i + 1].x + off, pts[i + 1].y + off, pts[i + 2].x + off,
                     pts[i + 2].y + off);
      i += 2;
      if (pts[i].type & PT_CLOSEFIGURE) cairo_close_path(cr);
      ++i;
      continue;
    } else {
      cairo_line_to(cr, p.x + off, p.y + off);
      ++i;
    }
    if (p.type & PT_CLOSEFIGURE) cairo_close_path(cr);
  }
}

// ---- pens and brushes as sources ----------------------------------------------------------
static double DeviceScale(Dc* dc) {
  cairo_matrix_t m = dc->Matrix();
  return std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
}

static bool PenIsWide(const Pen* p) { return p->Geometric() || p->width > 1; }

// The source of a solid colour, made once per colour while it stays the one
// in use (the pattern is the one cairo_set_source_rgb would make).
static void SetCachedColor(cairo_t* cr, COLORREF c, COLORREF* key, cairo_pattern_t** kept) {
  if (*kept && *key == c) {
    cairo_set_source(cr, *kept);
    return;
  }
  SetColor(cr, c);
  if (*kept) cairo_pattern_destroy(*kept);
  *kept = cairo_pattern_reference(cairo_get_source(cr));
  *key = c;
}

bool SetPenSource(Dc* dc, cairo_t* cr, bool* cosmetic, double* width) {
  Pen* p = GetPen(dc->st.pen);
  if (!p || p->Null()) return false;
  COLORREF c = Same(dc->st.pen, GetStockObject(DC_PEN)) ? dc->st.dcPenColor : p->color;
  Dc::CairoSession& s = dc->session;
  const double scale = DeviceScale(dc);
  // Within a session the line settings of the last pen are still in the
  // context: only the source is set again.
  const bool inSession = s.open && cr == dc->cr;
  if (inSession && s.penSet && s.pen == dc->st.pen && s.penDcColor == c && s.penScale == scale &&
      s.penMiter == double(dc->st.miter)) {
    SetCachedColor(cr, c, &s.penDcColor, &s.penSource);
    *cosmetic = s.penCosmetic;
    *width = s.penWidth;
    return true;
  }
  if (inSession) {
    COLORREF key = s.penDcColor;
    SetCachedColor(cr, c, &key, &s.penSource);
  } else {
    SetColor(cr, c);
  }
  bool wide = PenIsWide(p);
  double w = wide ? std::max(1.0, p->width * scale) : 1.0;
  if (wide && p->ext && p->width <= 1 && p->Geometric()) w = std::max(1.0, p->width * scale);
  *cosmetic = !wide;
  *width = w;
  cairo_set_line_width(cr, w);
  DWORD style = p->style & PS_STYLE_MASK;
  // Pens of CreatePen wider than a pixel draw solid, with round ends.
  if (wide && !p->ext && style != PS_INSIDEFRAME) style = PS_SOLID;
  if (wide && p->ext) {
    DWORD cap = p->style & PS_ENDCAP_MASK, join = p->style & PS_JOIN_MASK;
    cairo_set_line_cap(cr, cap == PS_ENDCAP_FLAT ? CAIRO_LINE_CAP_BUTT : cap == PS_ENDCAP_SQUARE ? CAIRO_LINE_CAP_SQUARE
                                                                                                : CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, join == PS_JOIN_BEVEL ? CAIRO_LINE_JOIN_BEVEL : join == PS_JOIN_MITER ? CAIRO_LINE_JOIN_MITER
                                                                                                 : CAIRO_LINE_JOIN_ROUND);
    cairo_set_miter_limit(cr, dc->st.miter);
  } else if (wide) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  } else {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  }
  std::vector<double> dash;
  double u = wide ? w : 1.0;
  switch (style) {
    case PS_DASH: dash = wide ? std::vector<double>{3 * u, u} : std::vector<double>{18, 6}; break;
    case PS_DOT: dash = wide ? std::vector<double>{u, u} : std::vector<double>{3, 3}; break;
    case PS_DASHDOT: dash = wide ? std::vector<double>{3 * u, u, u, u} : std::vector<double>{9, 6, 3, 6}; break;
    case PS_DASHDOTDOT:
      dash = wide ? std::vector<double>{3 * u, u, u, u, u, u} : std::vector<double>{9, 3, 3, 3, 3, 3};
      break;
    case PS_ALTERNATE: dash = {1, 1}; break;
    case PS_USERSTYLE:
      for (DWORD e : p->user) dash.push_back(std::max(0.0, double(e) * u));
      if (std::all_of(dash.begin(), dash.end(), [](double d) { return d == 0; })) dash.clear();
      break;
    default: break;
  }
  if (!dash.empty() && wide && p->ext && (p->style & PS_ENDCAP_MASK) != PS_ENDCAP_FLAT) {
    // Round and square caps grow each dash: shorten dashes, lengthen gaps.
    for (std::size_t i = 0; i < dash.size(); ++i) dash[i] += (i % 2 ? w : -w) * 0.5 * (dash[i] > w ? 1 : 0);
  }
  cairo_set_dash(cr, dash.data(), int(dash.size()), 0);
  if (inSession) {
    s.penSet = true;
    s.pen = dc->st.pen;
    s.penDcColor = c;
    s.penScale = scale;
    s.penMiter = dc->st.miter;
    s.penCosmetic = *cosmetic;
    s.penWidth = w;
  }
  return true;
}

static bool PenStyled(Dc* dc) {
  Pen* p = GetPen(dc->st.pen);
  if (!p || (!p->ext && PenIsWide(p))) return false;
  DWORD s = p->style & PS_STYLE_MASK;
  return s != PS_SOLID && s != PS_NULL && s != PS_INSIDEFRAME;
}

static cairo_surface_t* HatchSurface(int hatch, COLORREF fg, COLORREF bg, bool opaque) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_surface_flush(s);
  unsigned char* d = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  std::uint32_t f = 0xFF000000u | ToRgb(fg), b = opaque ? 0xFF000000u | ToRgb(bg) : 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      switch (hatch) {
        case HS_HORIZONTAL: on = y == 7; break;
        case HS_VERTICAL: on = x == 7; break;
        case HS_FDIAGONAL: on = x == y; break;
        case HS_BDIAGONAL: on = x == 7 - y; break;
        case HS_CROSS: on = x == 7 || y == 7; break;
        case HS_DIAGCROSS: on = x == y || x == 7 - y; break;
      }
      reinterpret_cast<std::uint32_t*>(d + y * stride)[x] = on ? f : b;
    }
  cairo_surface_mark_dirty(s);
  return s;
}

// The context's tile of a hatch in these colours, made the first time it
// is asked for (a few are kept: a drawing uses a handful of hatches).
static cairo_surface_t* HatchTileOf(Dc* dc, int hatch, COLORREF fg, COLORREF bg, bool opaque) {
  if (!opaque) bg = 0;
  std::vector<Dc::HatchTile>& tiles = dc->hatchTiles;
  for (const Dc::HatchTile& t : tiles)
    if (t.hatch == hatch && t.fg == fg && t.bg == bg && t.opaque == opaque) return t.surface;
  constexpr std::size_t kMaxTiles = 32;
  if (tiles.size() == kMaxTiles) {
    cairo_surface_destroy(tiles.front().surface);
    tiles.erase(tiles.begin());
  }
  tiles.push_back({hatch, fg, bg, opaque, HatchSurface(hatch, fg, bg, opaque)});
  return tiles.back().surface;
}

static void SetSurfaceSource(Dc* dc, cairo_t* cr, cairo_surface_t* s) {
  cairo_pattern_t* pat = cairo_pattern_create_for_surface(s);
  cairo_pattern_set_extend(pat, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pat, CAIRO_FILTER_NEAREST);
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, -dc->st.brushOrg.x, -dc->st.brushOrg.y);
  cairo_pattern_set_matrix(pat, &m);
  cairo_set_source(cr, pat);
  cairo_pattern_destroy(pat);
}

bool SetBrushSource(Dc* dc, cairo_t* cr, HBRUSH h) {
  Brush* b = GetBrush(h);
  if (!b) return false;
  switch (b->style) {
    case BS_SOLID:
      SetCachedColor(cr, Same(h, GetStockObject(DC_BRUSH)) ? dc->st.dcBrushColor : b->color, &dc->session.brushDcColor,
                     &dc->session.brushSource);
      return true;
    case BS_HATCHED: {
      SetSurfaceSource(dc, cr, HatchTileOf(dc, b->hatch, b->color, dc->st.bkColor, dc->st.bkMode == OPAQUE));
      return true;
    }
    case BS_PATTERN:
    case BS_DIBPATTERNPT: {
      if (!b->pattern) return false;
      if (!b->monoPattern) {
        SetSurfaceSource(dc, cr, b->pattern);
        return true;
      }
      int w = cairo_image_surface_get_width(b->pattern), hh = cairo_image_surface_get_height(b->pattern);
      auto px = GetPixels(b->pattern, 0, 0, w, hh);
      for (auto& v : px) v = v ? ToRgb(dc->st.bkColor) : ToRgb(dc->st.textColor);
      cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, hh);
      PutPixels(s, 0, 0, w, hh, px.data());
      SetSurfaceSource(dc, cr, s);
      cairo_surface_destroy(s);
      return true;
    }
    default: return false;
  }
}

// ---- outlines of the calls ------------------------------------------------------------------
static bool AxisAligned(const cairo_matrix_t& m) { return m.xy == 0 && m.yx == 0; }

// Device box of a logical box: normalised, right and bottom exclusive.
static RECT DevBox(Dc* dc, int l, int t, int r, int b) {
  POINT a = dc->LpToDpPt(l, t), c = dc->LpToDpPt(r, b);
  return {std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
}

static void Pt(Dc* dc, const POINT& p, double* x, double* y) {
  double dx, dy;
  dc->LpToDp(p.x, p.y, &dx, &dy);
  *x = ToLong(dx);
  *y = ToLong(dy);
}

static void EllipseArc(Outline* o, double cx, double cy, double rx, double ry, double a0, double sweep, bool move) {
  int n = std::max(1, int(std::ceil(std::fabs(sweep) / (M_PI / 2) - 1e-9)));
  double step = sweep / n;
  double k = 4.0 / 3.0 * std::tan(step / 4);
  double x0 = cx + rx * std::cos(a0), y0 = cy + ry * std::sin(a0);
  if (move)
    o->Move(x0, y0);
  else
    o->Line(x0, y0);
  for (int i = 0; i < n; ++i) {
    double s = a0 + step * i, e = s + step;
    double x1 = cx + rx * (std::cos(s) - k * std::sin(s)), y1 = cy + ry * (std::sin(s) + k * std::cos(s));
    double x2 = cx + rx * (std::cos(e) + k * std::sin(e)), y2 = cy + ry * (std::sin(e) - k * std::cos(e));
    o->Curve(x1, y1, x2, y2, cx + rx * std::cos(e), cy + ry * std::sin(e));
  }
}

// The device frame of a shape: its box through pixel centres, shrunk for
// inside-frame pens.
struct Frame {
  double l, t, r, b;
};
static Frame ShapeFrame(Dc* dc, int l, int t, int r, int b) {
  RECT d = DevBox(dc, l, t, r, b);
  Frame f{double(d.left), double(d.top), double(d.right - 1), double(d.bottom - 1)};
  Pen* p = GetPen(dc->st.pen);
  if (p && (p->style & PS_STYLE_MASK) == PS_INSIDEFRAME && PenIsWide(p)) {
    double h = std::floor(p->width * DeviceScale(dc) / 2);
    f = {f.l + h, f.t + h, f.r - h, f.b - h};
  }
  if (f.r < f.l) f.r = f.l;
  if (f.b < f.t) f.b = f.t;
  return f;
}

// Arc angle of a device point seen from the ellipse centre (parametric).
static double ArcAngle(double cx, double cy, double rx, double ry, double x, double y) {
  return std::atan2((y - cy) / std::max(ry, 1e-9), (x - cx) / std::max(rx, 1e-9));
}

static void ArcOutline(Dc* dc, const int* a, Outline* o, int kind /*0 arc,1 arcto,2 pie,3 chord*/) {
  Frame f = ShapeFrame(dc, a[0], a[1], a[2], a[3]);
  double cx = (f.l + f.r) / 2, cy = (f.t + f.b) / 2, rx = (f.r - f.l) / 2, ry = (f.b - f.t) / 2;
  double sx, sy, ex, ey;
  dc->LpToDp(a[4], a[5], &sx, &sy);
  dc->LpToDp(a[6], a[7], &ex, &ey);
  double a0 = ArcAngle(cx, cy, rx, ry, sx, sy), a1 = ArcAngle(cx, cy, rx, ry, ex, ey);
  // Counter-clockwise on the screen is toward smaller angles with y down.
  cairo_matrix_t m = dc->Matrix();
  // The direction holds in device space in the compatible mode, in world
  // space in the advanced mode (where a mirroring transform turns it).
  bool flipped = dc->st.graphicsMode == GM_ADVANCED && (m.xx * m.yy - m.xy * m.yx) < 0;
  bool ccw = (dc->st.arcDir == AD_COUNTERCLOCKWISE) != flipped;
  double sweep = a1 - a0;
  if (ccw) {
    while (sweep >= 0) sweep -= 2 * M_PI;
  } else {
    while (sweep <= 0) sweep += 2 * M_PI;
  }
  if (std::fabs(std::fabs(sweep) - 2 * M_PI) < 1e-12 && !(a0 == a1)) sweep = ccw ? -2 * M_PI : 2 * M_PI;
  if (kind == 2) {
    o->Move(cx, cy);
    EllipseArc(o, cx, cy, rx, ry, a0, sweep, false);
    o->Close();
    o->closed = true;
  } else if (kind == 1) {
    double x, y;
    Pt(dc, dc->st.cur, &x, &y);
    o->Move(x, y);
    EllipseArc(o, cx, cy, rx, ry, a0, sweep, false);
  } else {
    EllipseArc(o, cx, cy, rx, ry, a0, sweep, true);
    if (kind == 3) {
      o->Close();
      o->closed = true;
    }
  }
}

static bool BuildOutlineIn(Dc* dc, const KvGdiCall& c, Outline* o) {
  const int* a = c.args;
  double x, y;
  auto points = [&](std::size_t from, std::size_t n, bool move) {
    for (std::size_t i = 0; i < n; ++i) {
      Pt(dc, c.points[from + i], &x, &y);
      if (i == 0 && move)
        o->Move(x, y);
      else
        o->Line(x, y);
    }
  };
  auto beziers = [&](std::size_t from, std::size_t n) {
    for (std::size_t i = 0; i + 2 < n; i += 3) {
      double p[6];
      for (int k = 0; k < 3; ++k) Pt(dc, c.points[from + i + k], &p[2 * k], &p[2 * k + 1]);
      o->Curve(p[0], p[1], p[2], p[3], p[4], p[5]);
    }
  };
  switch (c.op) {
    case KvGdiOp::LineTo:
      Pt(dc, dc->st.cur, &x, &y);
      o->Move(x, y);
      Pt(dc, POINT{a[0], a[1]}, &x, &y);
      o->Line(x, y);
      return true;
    case KvGdiOp::Polyline: points(0, c.points.size(), true); return true;
    case KvGdiOp::PolylineTo:
      Pt(dc, dc->st.cur, &x, &y);
      o->Move(x, y);
      points(0, c.points.size(), false);
      return true;
    case KvGdiOp::PolyPolyline: {
      std::size_t at = 0;
      for (int n : c.counts) {
        points(at, std::size_t(n), true);
        at += std::size_t(n);
      }
      return true;
    }
    case KvGdiOp::PolyBezier:
      Pt(dc, c.points[0], &x, &y);
      o->Move(x, y);
      beziers(1, c.points.size() - 1);
      return true;
    case KvGdiOp::PolyBezierTo:
      Pt(dc, dc->st.cur, &x, &y);
      o->Move(x, y);
      beziers(0, c.points.size());
      return true;
    case KvGdiOp::Polygon:
      points(0, c.points.size(), true);
      o->Close();
      o->closed = true;
      return true;
    case KvGdiOp::PolyPolygon: {
      std::size_t at = 0;
      for (int n : c.counts) {
        points(at, std::size_t(n), true);
        o->Close();
        at += std::size_t(n);
      }
      o->closed = true;
      return true;
    }
    case KvGdiOp::Rectangle: {
      cairo_matrix_t m = dc->Matrix();
      if (AxisAligned(m)) {
        Frame f = ShapeFrame(dc, a[0], a[1], a[2], a[3]);
        o->Move(f.l, f.t);
        o->Line(f.r, f.t);
        o->Line(f.r, f.b);
        o->Line(f.l, f.b);
      } else {
        POINT q[4] = {{a[0], a[1]}, {a[2], a[1]}, {a[2], a[3]}, {a[0], a[3]}};
        for (int i = 0; i < 4; ++i) {
          Pt(dc, q[i], &x, &y);
          i ? o->Line(x, y) : o->Move(x, y);
        }
      }
      o->Close();
      o->closed = true;
      return true;
    }
    case KvGdiOp::Ellipse: {
      Frame f = ShapeFrame(dc, a[0], a[1], a[2], a[3]);
      double cx = (f.l + f.r) / 2, cy = (f.t + f.b) / 2;
      EllipseArc(o, cx, cy, (f.r - f.l) / 2, (f.b - f.t) / 2, 0, -2 * M_PI, true);
      o->Close();
      o->closed = true;
      return true;
    }
    case KvGdiOp::RoundRect: {
      Frame f = ShapeFrame(dc, a[0], a[1], a[2], a[3]);
      double sx = DeviceScale(dc);
      double rx = std::min(std::fabs(a[4] * sx) / 2, (f.r - f.l) / 2), ry = std::min(std::fabs(a[5] * sx) / 2, (f.b - f.t) / 2);
      if (rx <= 0 || ry <= 0) {
        o->Move(f.l, f.t);
        o->Line(f.r, f.t);
        o->Line(f.r, f.b);
        o->Line(f.l, f.b);
      } else {
        EllipseArc(o, f.r - rx, f.t + ry, rx, ry, -M_PI / 2, M_PI / 2, true);
        EllipseArc(o, f.r - rx, f.b - ry, rx, ry, 0, M_PI / 2, false);
        EllipseArc(o, f.l + rx, f.b - ry, rx, ry, M_PI / 2, M_PI / 2, false);
        EllipseArc(o, f.l + rx, f.t + ry, rx, ry, M_PI, M_PI / 2, false);
      }
      o->Close();
      o->closed = true;
      return true;
    }
    case KvGdiOp::Arc: ArcOutline(dc, a, o, 0); return true;
    case KvGdiOp::ArcTo: ArcOutline(dc, a, o, 1); return true;
    case KvGdiOp::Pie: ArcOutline(dc, a, o, 2); return true;
    case KvGdiOp::Chord: ArcOutline(dc, a, o, 3); return true;
    default: return false;
  }
}

// Shapes given by a box turn with a rotating or shearing transform: they are
// built in logical units, then every point is transformed.
static bool BuildOutline(Dc* dc, const KvGdiCall& c, Outline* o) {
  bool boxed = c.op == KvGdiOp::Ellipse || c.op == KvGdiOp::RoundRect || c.op == KvGdiOp::Arc ||
               c.op == KvGdiOp::ArcTo || c.op == KvGdiOp::Pie || c.op == KvGdiOp::Chord;
  cairo_matrix_t m = dc->Matrix();
  if (!boxed || AxisAligned(m)) return BuildOutlineIn(dc, c, o);
  DcState saved = dc->st;
  dc->st.graphicsMode = GM_COMPATIBLE;
  dc->st.mapMode = MM_TEXT;
  dc->st.wOrg = dc->st.vOrg = {0, 0};
  dc->st.wExt = dc->st.vExt = {1, 1};
  bool ok = BuildOutlineIn(dc, c, o);
  dc->st = std::move(saved);
  for (PathPoint& p : o->pts) cairo_matrix_transform_point(&m, &p.x, &p.y);
  return ok;
}

static RECT OutlineBounds(const Outline& o, double pad) {
  if (o.pts.empty()) return {0, 0, 0, 0};
  double l = o.pts[0].x, t = o.pts[0].y, r = l, b = t;
  for (const PathPoint& p : o.pts) {
    l = std::min(l, p.x);
    t = std::min(t, p.y);
    r = std::max(r, p.x);
    b = std::max(b, p.y);
  }
  return {ToLong(std::floor(l - pad)), ToLong(std::floor(t - pad)), ToLong(std::ceil(r + pad) + 1), ToLong(std::ceil(b + pad) + 1)};
}

// Pulls the open ends of a cosmetic line back by half a pixel so that the
// last pixel is left out and the first is in, as GDI draws lines.
static std::vector<PathPoint> CosmeticEnds(const std::vector<PathPoint>& pts) {
  std::vector<PathPoint> out = pts;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if ((out[i].type & ~PT_CLOSEFIGURE) != PT_MOVETO) continue;
    std::size_t end = i + 1;
    while (end < out.size() && (out[end].type & ~PT_CLOSEFIGURE) == PT_LINETO) ++end;
    if (end - i < 2 || (out[end - 1].type & PT_CLOSEFIGURE)) continue;
    if (end < out.size() && (out[end].type & ~PT_CLOSEFIGURE) == PT_BEZIERTO) continue;
    auto pull = [](PathPoint& p, const PathPoint& toward, double d) {
      double dx = p.x - toward.x, dy = p.y - toward.y, len = std::hypot(dx, dy);
      if (len > 0) {
        p.x -= dx / len * d;
        p.y -= dy / len * d;
      }
    };
    PathPoint s = out[i];
    pull(out[i], out[i + 1], -0.5);  // away from the next point: back by half a pixel
    pull(out[end - 1], out[end - 2], 0.5);
    (void)s;
  }
  return out;
}

static bool AllFiguresClosed(const std::vector<PathPoint>& pts) {
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const bool last = i + 1 == pts.size() || (pts[i + 1].type & ~PT_CLOSEFIGURE) == PT_MOVETO;
    if (last && !(pts[i].type & PT_CLOSEFIGURE)) return false;
  }
  return true;
}

struct ShapeJob {
  const std::vector<PathPoint>* pts;
  bool fill, stroke;
};

static void FillStroke(Dc* dc, cairo_t* cr, const std::vector<PathPoint>& pts, bool fill, bool stroke) {
  if (fill && SetBrushSource(dc, cr, dc->st.brush)) {
    cairo_set_fill_rule(cr, dc->st.fillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    // The fill's inset of 1/256 pixel keeps a raster fill to the pixels GDI
    // fills; a page has no pixels, and there the fill follows the outline
    // exactly, on the very path of the stroke: the document then holds the
    // path once, filled and stroked by one operator.
    const double offset = IsRaster(dc) ? kFillOffset : kStrokeOffset;
    if (!StampCoverage(dc, cr, pts, offset, false)) {
      cairo_new_path(cr);
      AddOutlineToCairo(cr, pts, offset);
      cairo_fill(cr);
    }
  }
  bool cosmetic = false;
  double w = 1;
  if (stroke && SetPenSource(dc, cr, &cosmetic, &w)) {
    // Closed figures have no ends to pull back: no copy for them.
    std::vector<PathPoint> pulled;
    if (cosmetic && !AllFiguresClosed(pts)) pulled = CosmeticEnds(pts);
    const std::vector<PathPoint>& line = pulled.empty() ? pts : pulled;
    if (PenStyled(dc) && dc->st.bkMode == OPAQUE) {
      cairo_save(cr);
      cairo_set_dash(cr, nullptr, 0, 0);
      SetColor(cr, dc->st.bkColor);
      cairo_new_path(cr);
      AddOutlineToCairo(cr, line, kStrokeOffset);
      cairo_stroke(cr);
      cairo_restore(cr);
    }
    if (!StampCoverage(dc, cr, line, kStrokeOffset, true)) {
      cairo_new_path(cr);
      AddOutlineToCairo(cr, line, kStrokeOffset);
      cairo_stroke(cr);
    }
  }
}

static void AppendToPath(Dc* dc, const Outline& o, bool continues) {
  for (std::size_t i = 0; i < o.pts.size(); ++i) {
    PathPoint p = o.pts[i];
    if (i == 0 && continues && !dc->path.empty() && !(dc->path.back().type & PT_CLOSEFIGURE) &&
        dc->path.back().x == p.x && dc->path.back().y == p.y)
      continue;  // the figure goes on from the current position
    dc->path.push_back(p);
  }
}

static void DevToLog(Dc* dc, double x, double y, POINT* out) {
  cairo_matrix_t m = dc->Matrix();
  if (cairo_matrix_invert(&m) != CAIRO_STATUS_SUCCESS) return;
  cairo_matrix_transform_point(&m, &x, &y);
  *out = {ToLong(x), ToLong(y)};
}

static BOOL DrawCall(HDC hdc, KvGdiCall& c, bool fill, bool stroke) {
  Dc* dc = GetDc(hdc);
  if (!dc) return FALSE;
  Outline o;
  // Room for a box or an ellipse (thirteen points) in one allocation.
  o.pts.reserve(16);
  if (!BuildOutline(dc, c, &o)) return FALSE;
  Pen* p = GetPen(dc->st.pen);
  c.bounds = OutlineBounds(o, p ? std::max(1.0, p->width * DeviceScale(dc)) / 2 + 1 : 1);
  dc->Send(c);
  bool continues = c.op == KvGdiOp::LineTo || c.op == KvGdiOp::PolylineTo || c.op == KvGdiOp::PolyBezierTo ||
                   c.op == KvGdiOp::ArcTo;
  if (dc->inPath) {
    AppendToPath(dc, o, continues);
  } else if (dc->cr) {
    RenderMode(
        dc, dc->st.rop2, [&](Dc* d, cairo_t* cr) { FillStroke(d, cr, o.pts, fill && o.closed, stroke); }, &c.bounds,
        true);
  }
  if (continues) {
    if (c.op == KvGdiOp::LineTo)
      dc->st.cur = {c.args[0], c.args[1]};
    else if (c.op == KvGdiOp::ArcTo)
      DevToLog(dc, o.pts.back().x, o.pts.back().y, &dc->st.cur);
    else
      dc->st.cur = c.points.back();
  }
  return TRUE;
}

static KvGdiCall MakeCall(KvGdiOp op) {
  KvGdiCall c;
  c.op = op;
  return c;
}

static void FillDeviceRect(Dc*, cairo_t* cr, const RECT& r) {
  cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
  cairo_fill(cr);
}

}  // namespace kvgdi

using namespace kvgdi;

// ---- lines and shapes ---------------------------------------------------------------------
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
  Dc* dc = GetDc(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->st.cur;
  dc->st.cur = {x, y};
  KvGdiCall c = MakeCall(KvGdiOp::MoveToEx);
  c.args[0] = x;
  c.args[1] = y;
  dc->Send(c);
  if (dc->inPath) {
    double dx, dy;
    dc->LpToDp(x, y, &dx, &dy);
    if (!dc->path.empty() && (dc->path.back().type & ~PT_CLOSEFIGURE) == PT_MOVETO) dc->path.pop_back();
    dc->path.push_back({std::round(dx), std::round(dy), PT_MOVETO});
  }
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, LPPOINT pt) {
  Dc* dc = GetDc(hdc);
  if (!dc || !pt) return FALSE;
  *pt = dc->st.cur;
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  KvGdiCall c = MakeCall(KvGdiOp::LineTo);
  c.args[0] = x;
  c.args[1] = y;
  return DrawCall(hdc, c, false, true);
}

static BOOL PointsCall(HDC hdc, KvGdiOp op, const POINT* pts, std::size_t n, bool fill) {
  if (!pts) return FALSE;
  KvGdiCall c = MakeCall(op);
  c.points.assign(pts, pts + n);
  return DrawCall(hdc, c, fill, true);
}

BOOL Polyline(HDC hdc, const POINT* pts, int count) {
  if (count < 2) return FALSE;
  return PointsCall(hdc, KvGdiOp::Polyline, pts, std::size_t(count), false);
}
BOOL PolylineTo(HDC hdc, const POINT* pts, DWORD count) {
  if (count < 1) return FALSE;
  return PointsCall(hdc, KvGdiOp::PolylineTo, pts, count, false);
}
BOOL PolyBezier(HDC hdc, const POINT* pts, DWORD count) {
  if (count < 1 || (count - 1) % 3 != 0) return FALSE;
  return PointsCall(hdc, KvGdiOp::PolyBezier, pts, count, false);
}
BOOL PolyBezierTo(HDC hdc, const POINT* pts, DWORD count) {
  if (count < 3 || count % 3 != 0) return FALSE;
  return PointsCall(hdc, KvGdiOp::PolyBezierTo, pts, count, false);
}
BOOL Polygon(HDC hdc, const POINT* pts, int count) {
  if (count < 2) return FALSE;
  return PointsCall(hdc, KvGdiOp::Polygon, pts, std::size_t(count), true);
}

template <class N>
static BOOL PolyPoly(HDC hdc, KvGdiOp op, const POINT* pts, const N* counts, long polys, bool fill) {
  if (!pts || !counts || polys <= 0) return FALSE;
  KvGdiCall c = MakeCall(op);
  std::size_t total = 0;
  for (long i = 0; i < polys; ++i) {
    if (long(counts[i]) < 2) return FALSE;
    c.counts.push_back(int(counts[i]));
    total += std::size_t(counts[i]);
  }
  c.points.assign(pts, pts + total);
  return DrawCall(hdc, c, fill, true);
}
BOOL PolyPolygon(HDC hdc, const POINT* pts, const INT* counts, int polys) {
  return PolyPoly(hdc, KvGdiOp::PolyPolygon, pts, counts, polys, true);
}
BOOL PolyPolyline(HDC hdc, const POINT* pts, const DWORD* counts, DWORD polys) {
  return PolyPoly(hdc, KvGdiOp::PolyPolyline, pts, counts, long(polys), false);
}

static BOOL BoxCall(HDC hdc, KvGdiOp op, std::initializer_list<int> args, bool fill) {
  KvGdiCall c = MakeCall(op);
  int i = 0;
  for (int v : args) c.args[i++] = v;
  return DrawCall(hdc, c, fill, true);
}
BOOL Arc(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return BoxCall(hdc, KvGdiOp::Arc, {l, t, r, b, xs, ys, xe, ye}, false);
}
BOOL ArcTo(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return BoxCall(hdc, KvGdiOp::ArcTo, {l, t, r, b, xs, ys, xe, ye}, false);
}
BOOL Pie(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return BoxCall(hdc, KvGdiOp::Pie, {l, t, r, b, xs, ys, xe, ye}, true);
}
BOOL Chord(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return BoxCall(hdc, KvGdiOp::Chord, {l, t, r, b, xs, ys, xe, ye}, true);
}
BOOL Ellipse(HDC hdc, int l, int t, int r, int b) { return BoxCall(hdc, KvGdiOp::Ellipse, {l, t, r, b}, true); }
BOOL Rectangle(HDC hdc, int l, int t, int r, int b) { return BoxCall(hdc, KvGdiOp::Rectangle, {l, t, r, b}, true); }
BOOL RoundRect(HDC hdc, int l, int t, int r, int b, int w, int h) {
  return BoxCall(hdc, KvGdiOp::RoundRect, {l, t, r, b, w, h}, true);
}

bool KvGdiCallToCairoPath(HDC hdc, const KvGdiCall& call, cairo_t* cr) {
  Dc* dc = GetDc(hdc);
  if (!dc || !cr) return false;
  if (call.op == KvGdiOp::Polyline || call.op == KvGdiOp::PolyBezier || call.op == KvGdiOp::Polygon ||
      call.op == KvGdiOp::PolyPolygon || call.op == KvGdiOp::PolyPolyline || call.op == KvGdiOp::PolylineTo ||
      call.op == KvGdiOp::PolyBezierTo)
    if (call.points.empty()) return false;
  Outline o;
  if (!BuildOutline(dc, call, &o)) return false;
  AddOutlineToCairo(cr, o.pts, kStrokeOffset);
  return true;
}

// ---- rectangles with brushes ------------------------------------------------------------
// Records a call on a logical rectangle (with its brush, if any) and answers
// the rectangle in device units.
static RECT SendRectCall(Dc* dc, KvGdiOp op, const RECT& rc, HBRUSH brush = nullptr) {
  KvGdiCall c = MakeCall(op);
  c.rect = rc;
  c.hasRect = true;
  if (brush) c.object = G(brush);
  const RECT d = DevBox(dc, rc.left, rc.top, rc.right, rc.bottom);
  c.bounds = d;
  dc->Send(c);
  return d;
}

int FillRect(HDC hdc, const RECT* rc, HBRUSH brush) {
  Dc* dc = GetDc(hdc);
  if (!dc || !rc || !GetBrush(brush)) return 0;
  const RECT d = SendRectCall(dc, KvGdiOp::FillRect, *rc, brush);
  RenderMode(dc, R2_COPYPEN, [&](Dc* x, cairo_t* cr) {
    if (SetBrushSource(x, cr, brush)) FillDeviceRect(x, cr, d);
  });
  return 1;
}

int FrameRect(HDC hdc, const RECT* rc, HBRUSH brush) {
  Dc* dc = GetDc(hdc);
  if (!dc || !rc || !GetBrush(brush)) return 0;
  const RECT d = SendRectCall(dc, KvGdiOp::FrameRect, *rc, brush);
  if (IsRectEmpty(&d)) return 1;
  RenderMode(dc, R2_COPYPEN, [&](Dc* x, cairo_t* cr) {
    if (!SetBrushSource(x, cr, brush)) return;
    cairo_rectangle(cr, d.left, d.top, d.right - d.left, d.bottom - d.top);
    if (d.right - d.left > 2 && d.bottom - d.top > 2)
      cairo_rectangle(cr, d.right - 1, d.top + 1, -(d.right - d.left - 2), d.bottom - d.top - 2);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr);
  });
  return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rc) {
  Dc* dc = GetDc(hdc);
  if (!dc || !rc) return FALSE;
  const RECT d = SendRectCall(dc, KvGdiOp::InvertRect, *rc);
  if (IsRaster(dc))
    RenderMode(
        dc, R2_NOT,
        [&](Dc* x, cairo_t* cr) {
          cairo_set_source_rgb(cr, 0, 0, 0);
          FillDeviceRect(x, cr, d);
        },
        &d);
  return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rc) {
  Dc* dc = GetDc(hdc);
  if (!dc || !rc) return FALSE;
  const RECT d = SendRectCall(dc, KvGdiOp::DrawFocusRect, *rc);
  if (!IsRaster(dc) || IsRectEmpty(&d)) return TRUE;
  // Every other pixel of the border, inverted: drawing it twice restores.
  // Only the part on the surface is walked.
  RECT on{0, 0, cairo_image_surface_get_width(dc->surface), cairo_image_surface_get_height(dc->surface)};
  RECT grown{d.left - 1, d.top - 1, d.right + 1, d.bottom + 1};
  if (!IntersectRect(&on, &on, &grown)) return TRUE;
  RenderMode(
      dc, R2_XORPEN,
      [&](Dc*, cairo_t* cr) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        for (int x = std::max(d.left, on.left); x < std::min(d.right, on.right); ++x)
          for (int y : {int(d.top), int(d.bottom - 1)})
            if (((x + y) & 1) == 0 && (y == d.top || d.bottom - 1 > d.top) && y >= on.top && y < on.bottom)
              cairo_rectangle(cr, x, y, 1, 1);
        for (int y = std::max(d.top + 1, on.top); y < std::min(d.bottom - 1, on.bottom); ++y)
          for (int x : {int(d.left), int(d.right - 1)})
            if (((x + y) & 1) == 0 && (x == d.left || d.right - 1 > d.left) && x >= on.left && x < on.right)
              cairo_rectangle(cr, x, y, 1, 1);
        cairo_fill(cr);
      },
      &d);
  return TRUE;
}

// ---- pixels --------------------------------------------------------------------------------
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Dc* dc = GetDc(hdc);
  if (!dc) return CLR_INVALID;
  POINT p = dc->LpToDpPt(x, y);
  KvGdiCall c = MakeCall(KvGdiOp::SetPixel);
  c.args[0] = x;
  c.args[1] = y;
  c.color = color & 0xFFFFFF;
  c.bounds = {p.x, p.y, p.x + 1, p.y + 1};
  dc->Send(c);
  if (dc->surface) {
    int W = cairo_image_surface_get_width(dc->surface), H = cairo_image_surface_get_height(dc->surface);
    if (p.x < 0 || p.y < 0 || p.x >= W || p.y >= H || (dc->st.clip && !dc->st.clip->Contains(p.x, p.y)))
      return CLR_INVALID;
  }
  RenderMode(dc, R2_COPYPEN, [&](Dc*, cairo_t* cr) {
    SetColor(cr, color);
    cairo_rectangle(cr, p.x, p.y, 1, 1);
    cairo_fill(cr);
  });
  return color & 0xFFFFFF;
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) { return SetPixel(hdc, x, y, color) != CLR_INVALID; }

COLORREF GetPixel(HDC hdc, int x, int y) {
  Dc* dc = GetDc(hdc);
  if (!dc || !dc->surface) return CLR_INVALID;
  POINT p = dc->LpToDpPt(x, y);
  int W = cairo_image_surface_get_width(dc->surface), H = cairo_image_surface_get_height(dc->surface);
  if (p.x < 0 || p.y < 0 || p.x >= W || p.y >= H || (dc->st.clip && !dc->st.clip->Contains(p.x, p.y)))
    return CLR_INVALID;
  return ToColor(GetPixels(dc->surface, p.x, p.y, 1, 1)[0]);
}

// ---- regions drawn -------------------------------------------------------------------------
static BOOL RegionCall(HDC hdc, KvGdiOp op, HRGN rgn, HBRUSH brush, const Rgn& area, int rop2) {
  Dc* dc = GetDc(hdc);
  if (!dc) return FALSE;
  KvGdiCall c = MakeCall(op);
  c.object = G(rgn);
  c.object2 = G(brush);
  c.bounds = area.Box();
  dc->Send(c);
  if (rop2 != R2_COPYPEN && !IsRaster(dc)) return TRUE;
  RenderMode(dc, rop2, [&](Dc* x, cairo_t* cr) {
    // Regions are in device units: drawn relative to the viewport origin.
    if (op == KvGdiOp::InvertRgn)
      cairo_set_source_rgb(cr, 0, 0, 0);
    else if (!SetBrushSource(x, cr, brush))
      return;
    area.AddToCairo(cr);
    cairo_fill(cr);
  }, &c.bounds);
  return TRUE;
}

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush) {
  RegionObj* r = GetRegion(rgn);
  if (!r || !GetBrush(brush)) return FALSE;
  return RegionCall(hdc, KvGdiOp::FillRgn, rgn, brush, r->rgn, R2_COPYPEN);
}
BOOL PaintRgn(HDC hdc, HRGN rgn) {
  Dc* dc = GetDc(hdc);
  RegionObj* r = GetRegion(rgn);
  if (!dc || !r) return FALSE;
  return RegionCall(hdc, KvGdiOp::PaintRgn, rgn, dc->st.brush, r->rgn, dc->st.rop2);
}
BOOL InvertRgn(HDC hdc, HRGN rgn) {
  RegionObj* r = GetRegion(rgn);
  if (!r) return FALSE;
  return RegionCall(hdc, KvGdiOp::InvertRgn, rgn, nullptr, r->rgn, R2_NOT);
}
BOOL FrameRgn(HDC hdc, HRGN rgn, HBRUSH brush, int w, int h) {
  RegionObj* r = GetRegion(rgn);
  if (!r || !GetBrush(brush) || w < 0 || h < 0) return FALSE;
  Rgn inner = r->rgn;
  for (auto [dx, dy] : {std::pair{w, 0}, {-w, 0}, {0, h}, {0, -h}}) {
    Rgn moved = r->rgn;
    moved.Offset(dx, dy);
    inner = Rgn::Combine(inner, moved, RGN_AND);
  }
  Rgn frame = Rgn::Combine(r->rgn, inner, RGN_DIFF);
  Dc* dc = GetDc(hdc);
  if (!dc) return FALSE;
  KvGdiCall c = MakeCall(KvGdiOp::FrameRgn);
  c.object = G(rgn);
  c.object2 = G(brush);
  c.args[0] = w;
  c.args[1] = h;
  c.bounds = r->rgn.Box();
  dc->Send(c);
  RenderMode(dc, R2_COPYPEN, [&](Dc* x, cairo_t* cr) {
    if (!SetBrushSource(x, cr, brush)) return;
    frame.AddToCairo(cr);
    cairo_fill(cr);
  });
  return TRUE;
}

// ---- paths ---------------------------------------------------------------------------------
static BOOL PathStep(HDC hdc, KvGdiOp op) {
  Dc* dc = GetDc(hdc);
  if (!dc) return FALSE;
  switch (op) {
    case KvGdiOp::BeginPath:
      dc->inPath = true;
      dc->havePath = false;
      dc->path.clear();
      {
        double x, y;
        dc->LpToDp(dc->st.cur.x, dc->st.cur.y, &x, &y);
        dc->path.push_back({std::round(x), std::round(y), PT_MOVETO});
      }
      break;
    case KvGdiOp::EndPath:
      if (!dc->inPath) return FALSE;
      dc->inPath = false;
      dc->havePath = true;
      // A lone move at the end draws nothing.
      while (!dc->path.empty() && (dc->path.back().type & ~PT_CLOSEFIGURE) == PT_MOVETO) dc->path.pop_back();
      {
        std::vector<PathPoint> kept;
        for (std::size_t i = 0; i < dc->path.size(); ++i) {
          bool move = (dc->path[i].type & ~PT_CLOSEFIGURE) == PT_MOVETO;
          bool nextMove = i + 1 >= dc->path.size() || (dc->path[i + 1].type & ~PT_CLOSEFIGURE) == PT_MOVETO;
          if (move && nextMove) continue;
          kept.push_back(dc->path[i]);
        }
        dc->path = std::move(kept);
      }
      break;
    case KvGdiOp::AbortPath:
      dc->inPath = false;
      dc->havePath = false;
      dc->path.clear();
      break;
    case KvGdiOp::CloseFigure:
      if (!dc->inPath || dc->path.empty()) return FALSE;
      if ((dc->path.back().type & ~PT_CLOSEFIGURE) != PT_MOVETO) dc->path.back().type |= PT_CLOSEFIGURE;
      break;
    default: break;
  }
  KvGdiCall c = MakeCall(op);
  dc->Send(c);
  return TRUE;
}
BOOL BeginPath(HDC hdc) { return PathStep(hdc, KvGdiOp::BeginPath); }
BOOL EndPath(HDC hdc) { return PathStep(hdc, KvGdiOp::EndPath); }
BOOL AbortPath(HDC hdc) { return PathStep(hdc, KvGdiOp::AbortPath); }
BOOL CloseFigure(HDC hdc) { return PathStep(hdc, KvGdiOp::CloseFigure); }

static BOOL UsePath(HDC hdc, KvGdiOp op, bool fill, bool stroke) {
  Dc* dc = GetDc(hdc);
  if (!dc || dc->inPath || !dc->havePath) return FALSE;
  KvGdiCall c = MakeCall(op);
  Outline o;
  o.pts = dc->path;
  c.bounds = OutlineBounds(o, 2);
  dc->Send(c);
  std::vector<PathPoint> pts = std::move(dc->path);
  dc->path.clear();
  dc->havePath = false;
  if (fill) {
    // Filled figures are closed.
    for (std::size_t i = 0; i < pts.size(); ++i)
      if (i + 1 == pts.size() || (pts[i + 1].type & ~PT_CLOSEFIGURE) == PT_MOVETO) pts[i].type |= PT_CLOSEFIGURE;
  }
  RenderMode(dc, dc->st.rop2, [&](Dc* x, cairo_t* cr) { FillStroke(x, cr, pts, fill, stroke); }, &c.bounds);
  return TRUE;
}
BOOL FillPath(HDC hdc) { return UsePath(hdc, KvGdiOp::FillPath, true, false); }
BOOL StrokePath(HDC hdc) { return UsePath(hdc, KvGdiOp::StrokePath, false, true); }
BOOL StrokeAndFillPath(HDC hdc) { return UsePath(hdc, KvGdiOp::StrokeAndFillPath, true, true); }

static std::vector<PathPoint> Flatten(const std::vector<PathPoint>& pts) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(s);
  cairo_set_tolerance(cr, 0.25);
  AddOutlineToCairo(cr, pts, 0);
  cairo_path_t* p = cairo_copy_path_flat(cr);
  std::vector<PathPoint> out;
  for (int i = 0; i < p->num_data; i += p->data[i].header.length) {
    const cairo_path_data_t& d = p->data[i];
    switch (d.header.type) {
      case CAIRO_PATH_MOVE_TO: out.push_back({p->data[i + 1].point.x, p->data[i + 1].point.y, PT_MOVETO}); break;
      case CAIRO_PATH_LINE_TO: out.push_back({p->data[i + 1].point.x, p->data[i + 1].point.y, PT_LINETO}); break;
      case CAIRO_PATH_CLOSE_PATH:
        if (!out.empty()) out.back().type |= PT_CLOSEFIGURE;
        break;
      default: break;
    }
  }
  cairo_path_destroy(p);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  // cairo repeats the start point after a close: drop those moves.
  std::vector<PathPoint> clean;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if ((out[i].type & ~PT_CLOSEFIGURE) == PT_MOVETO &&
        (i + 1 == out.size() || (out[i + 1].type & ~PT_CLOSEFIGURE) == PT_MOVETO))
      continue;
    clean.push_back(out[i]);
  }
  return clean;
}

BOOL FlattenPath(HDC hdc) {
  Dc* dc = GetDc(hdc);
  if (!dc || dc->inPath || !dc->havePath) return FALSE;
  dc->path = Flatten(dc->path);
  dc->Send(MakeCall(KvGdiOp::FlattenPath));
  return TRUE;
}

BOOL WidenPath(HDC hdc) {
  // The widened path is the area the pen would paint, in whole device
  // pixels: one rectangle figure per run of pixels.
  Dc* dc = GetDc(hdc);
  if (!dc || dc->inPath || !dc->havePath) return FALSE;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(s);
  bool cosmetic = false;
  double w = 1;
  if (!SetPenSource(dc, cr, &cosmetic, &w)) cairo_set_line_width(cr, 1);
  cairo_set_dash(cr, nullptr, 0, 0);
  AddOutlineToCairo(cr, dc->path, kStrokeOffset);
  double x1, y1, x2, y2;
  cairo_stroke_extents(cr, &x1, &y1, &x2, &y2);
  int l = ToLong(std::floor(x1) - 1), t = ToLong(std::floor(y1) - 1), r = ToLong(std::ceil(x2) + 1), b = ToLong(std::ceil(y2) + 1);
  Rgn area;
  if (r > l && b > t && double(r - l) * (b - t) <= 1e8) {
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, r - l, b - t);
    cairo_t* m = cairo_create(mask);
    cairo_translate(m, -l, -t);
    cairo_path_t* p = cairo_copy_path(cr);
    cairo_append_path(m, p);
    cairo_path_destroy(p);
    cairo_set_line_width(m, cairo_get_line_width(cr));
    cairo_set_line_cap(m, cairo_get_line_cap(cr));
    cairo_set_line_join(m, cairo_get_line_join(cr));
    cairo_set_miter_limit(m, cairo_get_miter_limit(cr));
    cairo_set_antialias(m, CAIRO_ANTIALIAS_NONE);
    cairo_stroke(m);
    cairo_destroy(m);
    // Runs of set mask pixels become the region.
    area = Rgn::FromMask(mask, l, t);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  dc->path.clear();
  for (const RECT& rc : area.Rects()) {
    // Fills cover centres inside the figure moved by just under half a pixel.
    dc->path.push_back({double(rc.left), double(rc.top), PT_MOVETO});
    dc->path.push_back({double(rc.right), double(rc.top), PT_LINETO});
    dc->path.push_back({double(rc.right), double(rc.bottom), PT_LINETO});
    dc->path.push_back({double(rc.left), double(rc.bottom), BYTE(PT_LINETO | PT_CLOSEFIGURE)});
  }
  dc->Send(MakeCall(KvGdiOp::WidenPath));
  return TRUE;
}

int GetPath(HDC hdc, LPPOINT pts, BYTE* types, int count) {
  Dc* dc = GetDc(hdc);
  if (!dc || dc->inPath || !dc->havePath) return -1;
  int n = int(dc->path.size());
  if (count == 0) return n;
  if (!pts || !types || count < n) return -1;
  for (int i = 0; i < n; ++i) {
    DevToLog(dc, dc->path[std::size_t(i)].x, dc->path[std::size_t(i)].y, &pts[i]);
    types[i] = dc->path[std::size_t(i)].type;
  }
  return n;
}

static Rgn PathRegion(Dc* dc) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(s);
  cairo_set_fill_rule(cr, dc->st.fillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  std::vector<PathPoint> pts = dc->path;
  for (std::size_t i = 0; i < pts.size(); ++i)
    if (i + 1 == pts.size() || (pts[i + 1].type & ~PT_CLOSEFIGURE) == PT_MOVETO) pts[i].type |= PT_CLOSEFIGURE;
  AddOutlineToCairo(cr, pts, kFillOffset);
  Rgn g = Rgn::FromCairoFill(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return g;
}

HRGN PathToRegion(HDC hdc) {
  Dc* dc = GetDc(hdc);
  if (!dc || dc->inPath || !dc->havePath) return nullptr;
  auto obj = std::make_unique<RegionObj>();
  obj->rgn = PathRegion(dc);
  dc->path.clear();
  dc->havePath = false;
  return static_cast<HRGN>(AddObject(std::move(obj)));
}

BOOL SelectClipPath(HDC hdc, int mode) {
  Dc* dc = GetDc(hdc);
  if (!dc || dc->inPath || !dc->havePath || mode < RGN_AND || mode > RGN_COPY) return FALSE;
  Rgn g = PathRegion(dc);
  dc->path.clear();
  dc->havePath = false;
  dc->st.clipShapes.clear();
  dc->st.clipBase.reset();
  if (mode == RGN_COPY || !dc->st.clip) {
    if (mode == RGN_COPY || mode == RGN_AND)
      dc->st.clip = g;
    else if (mode == RGN_DIFF) {
      RECT whole{INT32_MIN / 4, INT32_MIN / 4, INT32_MAX / 4, INT32_MAX / 4};
      dc->st.clip = Rgn::Combine(Rgn(whole), g, RGN_DIFF);
    }
  } else {
    dc->st.clip = Rgn::Combine(*dc->st.clip, g, mode);
  }
  dc->ApplyClip();
  KvGdiCall c = MakeCall(KvGdiOp::SelectClipPath);
  c.args[0] = mode;
  dc->Send(c);
  return TRUE;
}

// ---- block transfers ----------------------------------------------------------------------
namespace {
// The ROP3 code's truth table applied to pattern, source and destination bits.
unsigned Rop3(BYTE table, unsigned p, unsigned s, unsigned d) {
  unsigned r = 0;
  for (int i = 0; i < 8; ++i)
    if (table & (1 << i)) {
      unsigned pp = (i & 4) ? p : ~p, ss = (i & 2) ? s : ~s, dd = (i & 1) ? d : ~d;
      r |= pp & ss & dd;
    }
  return r & 0xFFFFFF;
}
bool UsesSource(DWORD rop) {
  BYTE t = BYTE(rop >> 16);
  return ((t >> 2) & 0x33) != (t & 0x33);
}
bool UsesPattern(DWORD rop) {
  BYTE t = BYTE(rop >> 16);
  return ((t >> 4) & 0x0F) != (t & 0x0F);
}

struct Image {
  int w = 0, h = 0;
  std::vector<std::uint32_t> px;  // 0x00RRGGBB, or premultiplied ARGB for alpha blends
};

// Combines an image stretched onto the device rectangle, pixel by pixel, on a raster DC.
void BlitRaster(Dc* dc, const RECT& dst, const Image* src, int sx, int sy, int sw, int sh, DWORD rop, int alpha,
                bool srcAlpha) {
  int W = cairo_image_surface_get_width(dc->surface), H = cairo_image_surface_get_height(dc->surface);
  RECT area;
  RECT whole{0, 0, W, H};
  if (!IntersectRect(&area, &dst, &whole)) return;
  std::vector<RECT> clips = dc->st.clip ? dc->st.clip->Rects() : std::vector<RECT>{area};
  // Pattern pixels from the brush over the area, when the operation uses
  // them (hatch gaps in the background colour).
  std::vector<std::uint32_t> pattern;
  int pw = area.right - area.left, ph = area.bottom - area.top;
  if (UsesPattern(rop)) {
    cairo_surface_t* ps = cairo_image_surface_create(CAIRO_FORMAT_RGB24, pw, ph);
    cairo_t* pcr = cairo_create(ps);
    SetColor(pcr, dc->st.bkColor);
    cairo_paint(pcr);
    cairo_translate(pcr, -area.left, -area.top);
    if (SetBrushSource(dc, pcr, dc->st.brush)) cairo_paint(pcr);
    cairo_destroy(pcr);
    pattern = GetPixels(ps, 0, 0, pw, ph);
    cairo_surface_destroy(ps);
  }
  cairo_surface_flush(dc->surface);
  unsigned char* data = cairo_image_surface_get_data(dc->surface);
  int stride = cairo_image_surface_get_stride(dc->surface);
  BYTE table = BYTE(rop >> 16);
  int dw = dst.right - dst.left, dh = dst.bottom - dst.top;
  // BLACKNESS and WHITENESS ignore every input: the rows are filled whole.
  const bool constant = !src && alpha < 0 && (table == 0x00 || table == 0xFF);
  const std::uint32_t fill = table ? 0xFFFFFFFFu : 0xFF000000u;
  for (const RECT& c : clips) {
    RECT r;
    if (!IntersectRect(&r, &c, &area)) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      std::uint32_t* row = reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
      if (constant) {
        std::fill(row + r.left, row + r.right, fill);
        continue;
      }
      for (int x = r.left; x < r.right; ++x) {
        unsigned d = row[x] & 0xFFFFFF, s = 0, p = 0;
        std::uint32_t sv = 0;
        if (src) {
          int ix = sx + int((long long)(x - dst.left) * sw / dw), iy = sy + int((long long)(y - dst.top) * sh / dh);
          if (ix < 0 || iy < 0 || ix >= src->w || iy >= src->h) continue;
          sv = src->px[std::size_t(iy) * src->w + ix];
          s = sv & 0xFFFFFF;
        }
        if (!pattern.empty()) {
          p = pattern[std::size_t(y - area.top) * pw + (x - area.left)];
        }
        unsigned out;
        if (alpha >= 0) {
          // Source over destination with a constant and optional per-pixel alpha.
          unsigned sa = srcAlpha ? (sv >> 24) : 255;
          unsigned a = sa * unsigned(alpha) / 255;
          out = 0;
          for (int k = 0; k < 24; k += 8) {
            unsigned sc = (s >> k) & 0xFF, dcn = (d >> k) & 0xFF;
            unsigned v = srcAlpha ? (sc * unsigned(alpha) / 255 + dcn * (255 - a) / 255)
                                  : (sc * a + dcn * (255 - a)) / 255;
            out |= std::min(v, 255u) << k;
          }
        } else {
          out = Rop3(table, p, s, d);
        }
        row[x] = 0xFF000000u | out;
      }
    }
  }
  cairo_surface_mark_dirty(dc->surface);
}

// Vector sinks: the source image painted into the rectangle, or the brush.
void BlitVector(Dc* dc, const RECT& dst, const Image* src, int sx, int sy, int sw, int sh, DWORD rop, int alpha,
                bool srcAlpha) {
  if (!dc->cr) return;
  RenderMode(dc, R2_COPYPEN, [&](Dc* x, cairo_t* cr) {
    cairo_rectangle(cr, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top);
    if (src && UsesSource(rop)) {
      // A blend keeps its transparency on the page, as on a raster target:
      // premultiplied pixels (opaque ones without their own alpha) laid over
      // what is there with the constant alpha.
      const bool blend = alpha >= 0;
      cairo_surface_t* s = cairo_image_surface_create(blend ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, src->w, src->h);
      if (blend) {
        cairo_surface_flush(s);
        unsigned char* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        for (int y = 0; y < src->h; ++y) {
          auto* row = reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
          for (int x = 0; x < src->w; ++x) {
            const std::uint32_t v = src->px[std::size_t(y) * src->w + x];
            const unsigned a = srcAlpha ? v >> 24 : 255u;
            std::uint32_t out = std::uint32_t(a) << 24;
            for (int k = 0; k < 24; k += 8) out |= std::min((v >> k) & 0xFFu, a) << k;
            row[x] = out;
          }
        }
        cairo_surface_mark_dirty(s);
      } else {
        PutPixels(s, 0, 0, src->w, src->h, src->px.data());
      }
      cairo_pattern_t* pat = cairo_pattern_create_for_surface(s);
      cairo_matrix_t m;
      cairo_matrix_init_translate(&m, sx, sy);
      cairo_matrix_scale(&m, double(sw) / (dst.right - dst.left), double(sh) / (dst.bottom - dst.top));
      cairo_matrix_translate(&m, -dst.left, -dst.top);
      cairo_pattern_set_matrix(pat, &m);
      cairo_pattern_set_filter(pat, CAIRO_FILTER_NEAREST);
      cairo_set_source(cr, pat);
      cairo_pattern_destroy(pat);
      cairo_surface_destroy(s);
      if (blend && alpha < 255) {
        cairo_save(cr);
        cairo_clip(cr);
        cairo_paint_with_alpha(cr, std::clamp(alpha, 0, 255) / 255.0);
        cairo_restore(cr);
      } else {
        cairo_fill(cr);
      }
    } else if (rop == BLACKNESS || rop == WHITENESS) {
      cairo_set_source_rgb(cr, rop == WHITENESS, rop == WHITENESS, rop == WHITENESS);
      cairo_fill(cr);
    } else if (UsesPattern(rop) && SetBrushSource(x, cr, x->st.brush)) {
      cairo_fill(cr);
    }
    cairo_new_path(cr);
  });
}

bool SourceImage(Dc* src, int xs, int ys, int ws, int hs, Image* out, RECT* devSrc) {
  if (!src || !src->surface) return false;
  POINT a = src->LpToDpPt(xs, ys), b = src->LpToDpPt(double(xs) + ws, double(ys) + hs);
  *devSrc = {a.x, a.y, b.x, b.y};
  int l = std::min(a.x, b.x), t = std::min(a.y, b.y), w = std::abs(b.x - a.x), h = std::abs(b.y - a.y);
  if (w == 0 || h == 0 || double(w) * h > double(1 << 28)) return false;
  out->w = w;
  out->h = h;
  out->px = GetPixels(src->surface, l, t, w, h);
  // Mirrored copies: flip the image.
  if (b.x < a.x)
    for (int y = 0; y < h; ++y) std::reverse(out->px.begin() + std::ptrdiff_t(y) * w, out->px.begin() + std::ptrdiff_t(y + 1) * w);
  if (b.y < a.y)
    for (int y = 0; y < h / 2; ++y)
      std::swap_ranges(out->px.begin() + std::ptrdiff_t(y) * w, out->px.begin() + std::ptrdiff_t(y + 1) * w,
                       out->px.begin() + std::ptrdiff_t(h - 1 - y) * w);
  return true;
}

BOOL Blit(HDC hdc, KvGdiOp op, int x, int y, int w, int h, Image* src, DWORD rop, int alpha, bool srcAlpha,
          const int* srcArgs, int nSrcArgs) {
  Dc* dc = GetDc(hdc);
  if (!dc) return FALSE;
  KvGdiCall c = MakeCall(op);
  c.args[0] = x;
  c.args[1] = y;
  c.args[2] = w;
  c.args[3] = h;
  for (int i = 0; i < nSrcArgs; ++i) c.args[4 + i] = srcArgs[i];
  c.rop = rop;
  POINT a = dc->LpToDpPt(x, y), b = dc->LpToDpPt(double(x) + w, double(y) + h);
  RECT dst{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  c.bounds = dst;
  if (src) {
    c.imageWidth = src->w;
    c.imageHeight = src->h;
    c.image = src->px;
  }
  dc->Send(c);
  if (IsRectEmpty(&dst)) return TRUE;
  // Mirroring by the destination: flip the source to match.
  Image flipped;
  if (src && ((b.x < a.x) || (b.y < a.y))) {
    flipped = *src;
    int W = src->w, H = src->h;
    for (int yy = 0; yy < H; ++yy)
      for (int xx = 0; xx < W; ++xx)
        flipped.px[std::size_t(yy) * W + xx] =
            src->px[std::size_t(b.y < a.y ? H - 1 - yy : yy) * W + (b.x < a.x ? W - 1 - xx : xx)];
    src = &flipped;
  }
  if (IsRaster(dc))
    BlitRaster(dc, dst, src, 0, 0, src ? src->w : 0, src ? src->h : 0, rop, alpha, srcAlpha);
  else
    BlitVector(dc, dst, src, 0, 0, src ? src->w : 0, src ? src->h : 0, rop, alpha, srcAlpha);
  return TRUE;
}
}  // namespace

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  if (UsesSource(rop)) return FALSE;
  return Blit(hdc, KvGdiOp::PatBlt, x, y, w, h, nullptr, rop, -1, false, nullptr, 0);
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, DWORD rop) {
  if (!GetDc(dst)) return FALSE;
  if (!UsesSource(rop)) return Blit(dst, KvGdiOp::StretchBlt, x, y, w, h, nullptr, rop, -1, false, nullptr, 0);
  Image img;
  RECT devSrc;
  if (!SourceImage(GetDc(src), xs, ys, ws, hs, &img, &devSrc)) return FALSE;
  int sa[4] = {xs, ys, ws, hs};
  return Blit(dst, KvGdiOp::StretchBlt, x, y, w, h, &img, rop, -1, false, sa, 4);
}

namespace {
// A plain copy between two raster contexts of different surfaces at the same
// scale, the destination wanting no description of its calls (a window
// flipping its back buffer): the rows are copied straight from surface to
// surface, inside the destination's clip. False, with nothing done, when
// the copy is not of that kind or reaches outside the source; the general
// path then combines pixel by pixel.
bool CopyRows(Dc* d, const RECT& dst, Dc* s, const RECT& src) {
  if (!IsRaster(d) || !s->surface || s->surface == d->surface || d->sink->WantsCalls()) return false;
  if (dst.right - dst.left != src.right - src.left || dst.bottom - dst.top != src.bottom - src.top) return false;
  if (src.left < 0 || src.top < 0 || src.right > cairo_image_surface_get_width(s->surface) ||
      src.bottom > cairo_image_surface_get_height(s->surface))
    return false;
  const int W = cairo_image_surface_get_width(d->surface), H = cairo_image_surface_get_height(d->surface);
  RECT area;
  const RECT whole{0, 0, W, H};
  if (!IntersectRect(&area, &dst, &whole)) return true;
  const std::vector<RECT> clips = d->st.clip ? d->st.clip->Rects() : std::vector<RECT>{area};
  cairo_surface_flush(s->surface);
  cairo_surface_flush(d->surface);
  const unsigned char* sd = cairo_image_surface_get_data(s->surface);
  unsigned char* dd = cairo_image_surface_get_data(d->surface);
  const int ss = cairo_image_surface_get_stride(s->surface), ds = cairo_image_surface_get_stride(d->surface);
  const int dx = src.left - dst.left, dy = src.top - dst.top;
  for (const RECT& c : clips) {
    RECT r;
    if (!IntersectRect(&r, &c, &area)) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      const auto* from = reinterpret_cast<const std::uint32_t*>(sd + std::ptrdiff_t(y + dy) * ss) + (r.left + dx);
      auto* to = reinterpret_cast<std::uint32_t*>(dd + std::ptrdiff_t(y) * ds) + r.left;
      for (int x = 0; x < r.right - r.left; ++x) to[x] = 0xFF000000u | from[x];
    }
  }
  cairo_surface_mark_dirty(d->surface);
  return true;
}
}  // namespace

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, DWORD rop) {
  if (!GetDc(dst)) return FALSE;
  if (!UsesSource(rop)) return Blit(dst, KvGdiOp::BitBlt, x, y, w, h, nullptr, rop, -1, false, nullptr, 0);
  Dc* s = GetDc(src);
  if (!s) return FALSE;
  // The source extent is the destination extent measured in source units.
  Dc* d = GetDc(dst);
  POINT a = d->LpToDpPt(x, y), b = d->LpToDpPt(double(x) + w, double(y) + h);
  POINT sa = s->LpToDpPt(xs, ys);
  int dw = ToLong(double(b.x) - a.x), dh = ToLong(double(b.y) - a.y);
  Image img;
  RECT devSrc;
  POINT sb{ToLong(double(sa.x) + dw), ToLong(double(sa.y) + dh)};
  POINT lp[2] = {sa, sb};
  DPtoLP(src, lp, 2);
  if (rop == SRCCOPY && a.x <= b.x && a.y <= b.y) {
    const POINT f = s->LpToDpPt(lp[0].x, lp[0].y), t = s->LpToDpPt(lp[1].x, lp[1].y);
    if (f.x <= t.x && f.y <= t.y && CopyRows(d, RECT{a.x, a.y, b.x, b.y}, s, RECT{f.x, f.y, t.x, t.y})) return TRUE;
  }
  if (!SourceImage(s, lp[0].x, lp[0].y, lp[1].x - lp[0].x, lp[1].y - lp[0].y, &img, &devSrc)) return FALSE;
  int args[2] = {xs, ys};
  return Blit(dst, KvGdiOp::BitBlt, x, y, w, h, &img, rop, -1, false, args, 2);
}

BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, BLENDFUNCTION fn) {
  Dc* s = GetDc(src);
  if (!GetDc(dst) || !s || fn.BlendOp != AC_SRC_OVER || w < 0 || h < 0 || ws < 0 || hs < 0) return FALSE;
  Image img;
  RECT devSrc;
  if (!SourceImage(s, xs, ys, ws, hs, &img, &devSrc)) return FALSE;
  bool srcAlpha = (fn.AlphaFormat & AC_SRC_ALPHA) != 0;
  if (srcAlpha) {
    // Per-pixel alpha lives in the high byte of 32-bit DIB sections.
    Bitmap* bm = GetBitmap(s->st.bitmap);
    if (bm && bm->dib) {
      cairo_surface_flush(bm->surface);
      const unsigned char* data = cairo_image_surface_get_data(bm->surface);
      int stride = cairo_image_surface_get_stride(bm->surface);
      int l = std::min(devSrc.left, devSrc.right), t = std::min(devSrc.top, devSrc.bottom);
      for (int yy = 0; yy < img.h; ++yy)
        for (int xx = 0; xx < img.w; ++xx) {
          int sx = l + xx, sy = t + yy;
          if (sx < 0 || sy < 0 || sx >= bm->width || sy >= bm->height) continue;
          std::uint32_t v = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(sy) * stride)[sx];
          img.px[std::size_t(yy) * img.w + xx] |= v & 0xFF000000u;
        }
    } else {
      for (auto& v : img.px) v |= 0xFF000000u;
    }
  }
  int args[5] = {xs, ys, ws, hs, int(fn.BlendOp | (fn.BlendFlags << 8) | (fn.SourceConstantAlpha << 16) | (fn.AlphaFormat << 24))};
  return Blit(dst, KvGdiOp::AlphaBlend, x, y, w, h, &img, SRCCOPY, fn.SourceConstantAlpha, srcAlpha, args, 5);
}

int StretchDIBits(HDC hdc, int x, int y, int w, int h, int xs, int ys, int ws, int hs, const void* bits,
                  const BITMAPINFO* bmi, UINT usage, DWORD rop) {
  Dc* dc = GetDc(hdc);
  if (!dc || usage != DIB_RGB_COLORS) return 0;
  Image full;
  if (!DecodeDib(bmi, bits, &full.px, &full.w, &full.h)) return 0;
  // Source coordinates count from the bottom-left corner in bottom-up DIBs.
  int top = bmi->bmiHeader.biHeight > 0 ? full.h - ys - hs : ys;
  if (ws <= 0 || hs <= 0) return 0;
  Image img;
  img.w = ws;
  img.h = hs;
  img.px.assign(std::size_t(ws) * hs, 0);
  for (int yy = 0; yy < hs; ++yy)
    for (int xx = 0; xx < ws; ++xx) {
      int sx = xs + xx, sy = top + yy;
      if (sx >= 0 && sy >= 0 && sx < full.w && sy < full.h) img.px[std::size_t(yy) * ws + xx] = full.px[std::size_t(sy) * full.w + sx];
    }
  int args[4] = {xs, ys, ws, hs};
  return Blit(hdc, KvGdiOp::StretchBlt, x, y, w, h, &img, rop, -1, false, args, 4) ? hs : 0;
}

int SetDIBitsToDevice(HDC hdc, int x, int y, DWORD w, DWORD h, int xs, int ys, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* bmi, UINT usage) {
  (void)startScan;
  (void)lines;
  return StretchDIBits(hdc, x, y, int(w), int(h), xs, ys, int(w), int(h), bits, bmi, usage, SRCCOPY);
}

// ---- gradients -----------------------------------------------------------------------------

BOOL KvRadialGradientFill(HDC hdc, const RECT* rc, const KvRadialGradient& g) {
  Dc* dc = GetDc(hdc);
  if (!dc || !rc || !dc->sink || dc->sink->Kind() != KvSinkKind::Pdf || !dc->Renders()) return FALSE;
  if (!(g.rx > 0) || !(g.ry > 0) || !(g.innerAt <= g.outerAt)) return FALSE;
  const RECT box = DevBox(dc, rc->left, rc->top, rc->right, rc->bottom);
  if (IsRectEmpty(&box)) return TRUE;
  // The ellipses in device units: centre, focus and radii through the mapping.
  double ax, ay, bx, by, fx, fy;
  dc->LpToDp(g.cx - g.rx, g.cy - g.ry, &ax, &ay);
  dc->LpToDp(g.cx + g.rx, g.cy + g.ry, &bx, &by);
  dc->LpToDp(g.fx, g.fy, &fx, &fy);
  const double rx = std::abs(bx - ax) / 2, ry = std::abs(by - ay) / 2;
  if (!(rx > 0) || !(ry > 0)) return FALSE;
  const double cx = (ax + bx) / 2, cy = (ay + by) / 2;
  RenderMode(dc, R2_COPYPEN, [&](Dc*, cairo_t* cr) {
    // In a space scaled so that the outer ellipse is the unit circle, the
    // ellipses are cairo's circles between the focus (radius 0) and the centre.
    cairo_pattern_t* pat = cairo_pattern_create_radial(fx / rx, fy / ry, 0, cx / rx, cy / ry, 1);
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, 1 / rx, 1 / ry);
    cairo_pattern_set_matrix(pat, &m);
    cairo_pattern_set_extend(pat, CAIRO_EXTEND_PAD);
    auto stop = [pat](double at, COLORREF c) {
      cairo_pattern_add_color_stop_rgb(pat, std::clamp(at, 0.0, 1.0), GetRValue(c) / 255.0, GetGValue(c) / 255.0,
                                       GetBValue(c) / 255.0);
    };
    stop(g.innerAt, g.inner);
    stop(g.outerAt, g.outer);
    cairo_set_source(cr, pat);
    cairo_rectangle(cr, box.left, box.top, box.right - box.left, box.bottom - box.top);
    cairo_fill(cr);
    cairo_pattern_destroy(pat);
  });
  return TRUE;
}

BOOL GradientFill(HDC hdc, const TRIVERTEX* v, ULONG nv, const void* mesh, ULONG nm, ULONG mode) {
  Dc* dc = GetDc(hdc);
  if (!dc || !v || !mesh || nv == 0 || mode > GRADIENT_FILL_TRIANGLE) return FALSE;
  KvGdiCall c = MakeCall(KvGdiOp::GradientFill);
  c.vertices.assign(v, v + nv);
  c.args[0] = int(mode);
  const ULONG* idx = static_cast<const ULONG*>(mesh);
  ULONG per = mode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
  c.mesh.assign(idx, idx + nm * per);
  for (ULONG i : c.mesh)
    if (i >= nv) return FALSE;
  Outline o;
  for (ULONG i = 0; i < nv; ++i) {
    double x, y;
    dc->LpToDp(v[i].x, v[i].y, &x, &y);
    o.pts.push_back({x, y, PT_LINETO});
  }
  c.bounds = OutlineBounds(o, 0);
  dc->Send(c);
  auto col = [](const TRIVERTEX& t, int k) { return ((k == 0 ? t.Red : k == 1 ? t.Green : t.Blue) >> 8) / 255.0; };
  RenderMode(dc, R2_COPYPEN, [&](Dc* d, cairo_t* cr) {
    for (ULONG m = 0; m < nm; ++m) {
      if (mode == GRADIENT_FILL_TRIANGLE) {
        cairo_pattern_t* pat = cairo_pattern_create_mesh();
        cairo_mesh_pattern_begin_patch(pat);
        double px[3], py[3];
        for (int k = 0; k < 3; ++k) {
          const TRIVERTEX& t = v[c.mesh[m * 3 + k]];
          d->LpToDp(t.x, t.y, &px[k], &py[k]);
          (k ? cairo_mesh_pattern_line_to : cairo_mesh_pattern_move_to)(pat, px[k], py[k]);
        }
        for (int k = 0; k < 3; ++k) {
          const TRIVERTEX& t = v[c.mesh[m * 3 + k]];
          cairo_mesh_pattern_set_corner_color_rgb(pat, unsigned(k), col(t, 0), col(t, 1), col(t, 2));
        }
        cairo_mesh_pattern_end_patch(pat);
        cairo_set_source(cr, pat);
        cairo_move_to(cr, px[0], py[0]);
        cairo_line_to(cr, px[1], py[1]);
        cairo_line_to(cr, px[2], py[2]);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_pattern_destroy(pat);
      } else {
        const TRIVERTEX& a = v[c.mesh[m * 2]];
        const TRIVERTEX& b = v[c.mesh[m * 2 + 1]];
        RECT r = DevBox(d, a.x, a.y, b.x, b.y);
        if (IsRectEmpty(&r)) continue;
        POINT pa = d->LpToDpPt(a.x, a.y), pb = d->LpToDpPt(b.x, b.y);
        cairo_pattern_t* pat = mode == GRADIENT_FILL_RECT_H ? cairo_pattern_create_linear(pa.x, 0, pb.x, 0)
                                                            : cairo_pattern_create_linear(0, pa.y, 0, pb.y);
        cairo_pattern_add_color_stop_rgb(pat, 0, col(a, 0), col(a, 1), col(a, 2));
        cairo_pattern_add_color_stop_rgb(pat, 1, col(b, 0), col(b, 1), col(b, 2));
        cairo_set_source(cr, pat);
        cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
        cairo_fill(cr);
        cairo_pattern_destroy(pat);
      }
    }
  });
  return TRUE;
}
