// Regions (bands of spans in device units), the region calls and the
// rectangle helpers.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "win/gdi_internal.h"

namespace kvgdi {

Rgn::Rgn(const RECT& rc) {
  int l = std::min(rc.left, rc.right), r = std::max(rc.left, rc.right);
  int t = std::min(rc.top, rc.bottom), b = std::max(rc.top, rc.bottom);
  if (l < r && t < b) bands_.push_back({t, b, {{l, r}}});
}

Rgn Rgn::FromRows(int top, const std::vector<std::vector<Span>>& rows) {
  Rgn g;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (!rows[i].empty()) g.bands_.push_back({top + int(i), top + int(i) + 1, rows[i]});
  g.Normalise();
  return g;
}

Rgn Rgn::FromCairoFill(cairo_t* cr) {
  double x1, y1, x2, y2;
  // The path's own extents size the mask (pixels outside the fill stay
  // unset in it): cairo's fill extents would tessellate the whole path once
  // more before the fill does.
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_path_extents(cr, &x1, &y1, &x2, &y2);
  cairo_restore(cr);
  int l = ToLong(std::floor(x1) - 1), t = ToLong(std::floor(y1) - 1);
  int r = ToLong(std::ceil(x2) + 1), b = ToLong(std::ceil(y2) + 1);
  if (r <= l || b <= t || double(r - l) * double(b - t) > 1e8) return {};
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, r - l, b - t);
  cairo_t* m = cairo_create(mask);
  cairo_path_t* p = cairo_copy_path(cr);
  cairo_translate(m, -l, -t);
  cairo_append_path(m, p);
  cairo_path_destroy(p);
  cairo_set_fill_rule(m, cairo_get_fill_rule(cr));
  cairo_set_antialias(m, CAIRO_ANTIALIAS_NONE);
  cairo_fill(m);
  cairo_destroy(m);
  return FromMask(mask, l, t);
}

Rgn Rgn::FromMask(cairo_surface_t* mask, int left, int top) {
  cairo_surface_flush(mask);
  const unsigned char* data = cairo_image_surface_get_data(mask);
  const int stride = cairo_image_surface_get_stride(mask);
  const int w = cairo_image_surface_get_width(mask), h = cairo_image_surface_get_height(mask);
  std::vector<std::vector<Span>> rows(std::size_t(std::max(h, 0)));
  for (int y = 0; y < h; ++y) {
    const unsigned char* row = data + y * stride;
    int x = 0;
    while (x < w) {
      while (x < w && row[x] < 128) ++x;
      if (x >= w) break;
      int s = x;
      while (x < w && row[x] >= 128) ++x;
      rows[std::size_t(y)].push_back({left + s, left + x});
    }
  }
  cairo_surface_destroy(mask);
  return FromRows(top, rows);
}

int Rgn::Complexity() const {
  if (bands_.empty()) return NULLREGION;
  return bands_.size() == 1 && bands_[0].spans.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT Rgn::Box() const {
  if (bands_.empty()) return {0, 0, 0, 0};
  RECT rc{INT_MAX, bands_.front().t, INT_MIN, bands_.back().b};
  for (const Band& b : bands_) {
    rc.left = std::min(rc.left, b.spans.front().l);
    rc.right = std::max(rc.right, b.spans.back().r);
  }
  return rc;
}

bool Rgn::Contains(int x, int y) const {
  for (const Band& b : bands_) {
    if (y < b.t) return false;
    if (y >= b.b) continue;
    for (const Span& s : b.spans)
      if (x >= s.l && x < s.r) return true;
    return false;
  }
  return false;
}

bool Rgn::Intersects(const RECT& rc) const {
  Rgn r(rc);
  return !Combine(*this, r, RGN_AND).Empty();
}

void Rgn::Offset(int dx, int dy) {
  // Edges stay within +-2^30 (see ToLong).
  for (Band& b : bands_) {
    b.t = ToLong(double(b.t) + dy);
    b.b = ToLong(double(b.b) + dy);
    for (Span& s : b.spans) {
      s.l = ToLong(double(s.l) + dx);
      s.r = ToLong(double(s.r) + dx);
    }
  }
  Normalise();
}

std::vector<RECT> Rgn::Rects() const {
  std::vector<RECT> out;
  for (const Band& b : bands_)
    for (const Span& s : b.spans) out.push_back({s.l, b.t, s.r, b.b});
  return out;
}

static std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int mode) {
  // Sweep over the x breakpoints of both lists.
  std::vector<int> xs;
  for (const Span& s : a) xs.insert(xs.end(), {s.l, s.r});
  for (const Span& s : b) xs.insert(xs.end(), {s.l, s.r});
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  std::vector<Span> out;
  std::size_t ia = 0, ib = 0;
  for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
    int x = xs[i];
    while (ia < a.size() && a[ia].r <= x) ++ia;
    while (ib < b.size() && b[ib].r <= x) ++ib;
    bool inA = ia < a.size() && a[ia].l <= x;
    bool inB = ib < b.size() && b[ib].l <= x;
    bool in = mode == RGN_AND ? (inA && inB) : mode == RGN_OR ? (inA || inB) : mode == RGN_XOR ? (inA != inB)
                                                                             : (inA && !inB);
    if (!in) continue;
    if (!out.empty() && out.back().r == x)
      out.back().r = xs[i + 1];
    else
      out.push_back({x, xs[i + 1]});
  }
  return out;
}

Rgn Rgn::Combine(const Rgn& a, const Rgn& b, int mode) {
  if (mode == RGN_COPY) return a;
  std::vector<int> ys;
  for (const Band& x : a.bands_) ys.insert(ys.end(), {x.t, x.b});
  for (const Band& x : b.bands_) ys.insert(ys.end(), {x.t, x.b});
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  Rgn out;
  static const std::vector<Span> none;
  std::size_t ia = 0, ib = 0;
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    int y = ys[i];
    while (ia < a.bands_.size() && a.bands_[ia].b <= y) ++ia;
    while (ib < b.bands_.size() && b.bands_[ib].b <= y) ++ib;
    const std::vector<Span>& sa = ia < a.bands_.size() && a.bands_[ia].t <= y ? a.bands_[ia].spans : none;
    const std::vector<Span>& sb = ib < b.bands_.size() && b.bands_[ib].t <= y ? b.bands_[ib].spans : none;
    std::vector<Span> s = CombineSpans(sa, sb, mode);
    if (!s.empty()) out.bands_.push_back({y, ys[i + 1], std::move(s)});
  }
  out.Normalise();
  return out;
}

void Rgn::Normalise() {
  std::vector<Band> merged;
  for (Band& b : bands_) {
    if (b.spans.empty() || b.t >= b.b) continue;
    if (!merged.empty() && merged.back().b == b.t && merged.back().spans == b.spans)
      merged.back().b = b.b;
    else
      merged.push_back(std::move(b));
  }
  bands_ = std::move(merged);
}

void Rgn::AddToCairo(cairo_t* cr) const {
  for (const Band& b : bands_)
    for (const Span& s : b.spans) cairo_rectangle(cr, s.l, b.t, s.r - s.l, b.b - b.t);
}

bool Rgn::operator==(const Rgn& o) const {
  if (bands_.size() != o.bands_.size()) return false;
  for (std::size_t i = 0; i < bands_.size(); ++i)
    if (bands_[i].t != o.bands_[i].t || bands_[i].b != o.bands_[i].b || bands_[i].spans != o.bands_[i].spans)
      return false;
  return true;
}

static HRGN NewRegion(Rgn g, ShapeOutline outline = {}) {
  auto obj = std::make_unique<RegionObj>();
  obj->rgn = std::move(g);
  obj->outline = std::move(outline);
  return static_cast<HRGN>(AddObject(std::move(obj)));
}

// The context's current path as outline points (curves kept).
static ShapeOutline OutlineOf(cairo_t* cr) {
  cairo_path_t* path = cairo_copy_path(cr);
  auto pts = std::make_shared<std::vector<PathPoint>>();
  for (int i = 0; path->status == CAIRO_STATUS_SUCCESS && i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t* d = &path->data[i];
    switch (d->header.type) {
      case CAIRO_PATH_MOVE_TO: pts->push_back({d[1].point.x, d[1].point.y, PT_MOVETO}); break;
      case CAIRO_PATH_LINE_TO: pts->push_back({d[1].point.x, d[1].point.y, PT_LINETO}); break;
      case CAIRO_PATH_CURVE_TO:
        for (int k = 1; k <= 3; ++k) pts->push_back({d[k].point.x, d[k].point.y, PT_BEZIERTO});
        break;
      case CAIRO_PATH_CLOSE_PATH:
        if (!pts->empty()) pts->back().type |= PT_CLOSEFIGURE;
        break;
    }
  }
  cairo_path_destroy(path);
  return pts->empty() ? nullptr : std::move(pts);
}

// A region from a shape cairo draws: antialias off, pixel centres sampled;
// `outline`, when asked for, receives the shape's own curve.
template <class F>
static Rgn ShapeRegion(F&& build, cairo_fill_rule_t rule = CAIRO_FILL_RULE_EVEN_ODD, ShapeOutline* outline = nullptr) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(s);
  cairo_set_fill_rule(cr, rule);
  build(cr);
  Rgn g = Rgn::FromCairoFill(cr);
  if (outline && !g.Empty()) *outline = OutlineOf(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return g;
}

}  // namespace kvgdi

using namespace kvgdi;

HRGN CreateRectRgn(int l, int t, int r, int b) { return NewRegion(Rgn(RECT{l, t, r, b})); }
HRGN CreateRectRgnIndirect(const RECT* rc) { return rc ? CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom) : nullptr; }

static void RoundRectPath(cairo_t* cr, double l, double t, double r, double b, double rx, double ry) {
  rx = std::min(rx, (r - l) / 2);
  ry = std::min(ry, (b - t) / 2);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, l, t, r - l, b - t);
    return;
  }
  const double k = 0.5522847498;
  cairo_move_to(cr, l + rx, t);
  cairo_line_to(cr, r - rx, t);
  cairo_curve_to(cr, r - rx + k * rx, t, r, t + ry - k * ry, r, t + ry);
  cairo_line_to(cr, r, b - ry);
  cairo_curve_to(cr, r, b - ry + k * ry, r - rx + k * rx, b, r - rx, b);
  cairo_line_to(cr, l + rx, b);
  cairo_curve_to(cr, l + rx - k * rx, b, l, b - ry + k * ry, l, b - ry);
  cairo_line_to(cr, l, t + ry);
  cairo_curve_to(cr, l, t + ry - k * ry, l + rx - k * rx, t, l + rx, t);
  cairo_close_path(cr);
}

HRGN CreateRoundRectRgn(int l, int t, int r, int b, int cw, int ch) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  ShapeOutline outline;
  Rgn g = ShapeRegion([&](cairo_t* cr) { RoundRectPath(cr, l, t, r, b, std::abs(cw) / 2.0, std::abs(ch) / 2.0); },
                      CAIRO_FILL_RULE_EVEN_ODD, &outline);
  return NewRegion(std::move(g), std::move(outline));
}

HRGN CreateEllipticRgn(int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  ShapeOutline outline;
  Rgn g = ShapeRegion(
      [&](cairo_t* cr) {
        if (r - l < 1 || b - t < 1) return;
        cairo_save(cr);
        cairo_translate(cr, (l + r) / 2.0, (t + b) / 2.0);
        cairo_scale(cr, (r - l) / 2.0, (b - t) / 2.0);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
      },
      CAIRO_FILL_RULE_EVEN_ODD, &outline);
  return NewRegion(std::move(g), std::move(outline));
}
HRGN CreateEllipticRgnIndirect(const RECT* rc) {
  return rc ? CreateEllipticRgn(rc->left, rc->top, rc->right, rc->bottom) : nullptr;
}

HRGN CreatePolyPolygonRgn(const POINT* pts, const INT* counts, int polys, int fillMode) {
  if (!pts || !counts || polys <= 0 || (fillMode != ALTERNATE && fillMode != WINDING)) return nullptr;
  long total = 0;
  for (int i = 0; i < polys; ++i) {
    if (counts[i] < 2) return nullptr;
    total += counts[i];
  }
  (void)total;
  return NewRegion(ShapeRegion(
      [&](cairo_t* cr) {
        const POINT* p = pts;
        for (int i = 0; i < polys; ++i) {
          for (int k = 0; k < counts[i]; ++k)
            (k ? cairo_line_to : cairo_move_to)(cr, p[k].x, p[k].y);
          cairo_close_path(cr);
          p += counts[i];
        }
      },
      fillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD));
}
HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
  return CreatePolyPolygonRgn(pts, &count, 1, fillMode);
}

HRGN ExtCreateRegion(const XFORM* xf, DWORD size, const RGNDATA* data) {
  if (!data || size < sizeof(RGNDATAHEADER) || data->rdh.iType != RDH_RECTANGLES) return nullptr;
  if (data->rdh.dwSize < sizeof(RGNDATAHEADER) ||
      std::uint64_t(data->rdh.dwSize) + std::uint64_t(data->rdh.nCount) * sizeof(RECT) > size)
    return nullptr;
  const char* p = reinterpret_cast<const char*>(data) + data->rdh.dwSize;
  Rgn g;
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    RECT rc;
    std::memcpy(&rc, p + i * sizeof(RECT), sizeof rc);
    if (xf) {
      double x1 = rc.left * xf->eM11 + rc.top * xf->eM21 + xf->eDx;
      double y1 = rc.left * xf->eM12 + rc.top * xf->eM22 + xf->eDy;
      double x2 = rc.right * xf->eM11 + rc.bottom * xf->eM21 + xf->eDx;
      double y2 = rc.right * xf->eM12 + rc.bottom * xf->eM22 + xf->eDy;
      rc = {ToLong(std::min(x1, x2)), ToLong(std::min(y1, y2)), ToLong(std::max(x1, x2)), ToLong(std::max(y1, y2))};
    }
    g = Rgn::Combine(g, Rgn(rc), RGN_OR);
  }
  return NewRegion(std::move(g));
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
  RegionObj* d = GetRegion(dst);
  RegionObj* a = GetRegion(src1);
  if (!d || !a || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (mode == RGN_COPY) {
    d->rgn = a->rgn;
    d->outline = a->outline;
    return d->rgn.Complexity();
  }
  RegionObj* b = GetRegion(src2);
  if (!b) return ERROR;
  d->rgn = Rgn::Combine(a->rgn, b->rgn, mode);
  d->outline.reset();
  return d->rgn.Complexity();
}

BOOL EqualRgn(HRGN a, HRGN b) {
  RegionObj* x = GetRegion(a);
  RegionObj* y = GetRegion(b);
  if (!x || !y) return ERROR;
  return x->rgn == y->rgn;
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  RegionObj* r = GetRegion(rgn);
  if (!r) return ERROR;
  r->rgn.Offset(dx, dy);
  if (r->outline) {
    auto moved = std::make_shared<std::vector<PathPoint>>(*r->outline);
    for (PathPoint& p : *moved) {
      p.x += dx;
      p.y += dy;
    }
    r->outline = std::move(moved);
  }
  return r->rgn.Complexity();
}

BOOL SetRectRgn(HRGN rgn, int l, int t, int r, int b) {
  RegionObj* o = GetRegion(rgn);
  if (!o) return FALSE;
  o->rgn = Rgn(RECT{l, t, r, b});
  o->outline.reset();
  return TRUE;
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  RegionObj* r = GetRegion(rgn);
  return r && r->rgn.Contains(x, y);
}

BOOL RectInRegion(HRGN rgn, const RECT* rc) {
  RegionObj* r = GetRegion(rgn);
  return r && rc && r->rgn.Intersects(*rc);
}

int GetRgnBox(HRGN rgn, LPRECT rc) {
  RegionObj* r = GetRegion(rgn);
  if (!r || !rc) return ERROR;
  *rc = r->rgn.Box();
  return r->rgn.Complexity();
}

DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* data) {
  RegionObj* r = GetRegion(rgn);
  if (!r) return 0;
  std::vector<RECT> rects = r->rgn.Rects();
  DWORD need = DWORD(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  if (!data) return need;
  if (size < need) return 0;
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = DWORD(rects.size());
  data->rdh.nRgnSize = DWORD(rects.size() * sizeof(RECT));
  data->rdh.rcBound = r->rgn.Box();
  if (!rects.empty()) std::memcpy(data->Buffer, rects.data(), rects.size() * sizeof(RECT));
  return need;
}

// ---- rectangles ------------------------------------------------------------------------
BOOL SetRect(LPRECT rc, int l, int t, int r, int b) {
  if (!rc) return FALSE;
  *rc = {l, t, r, b};
  return TRUE;
}
BOOL SetRectEmpty(LPRECT rc) { return SetRect(rc, 0, 0, 0, 0); }
BOOL CopyRect(LPRECT dst, const RECT* src) {
  if (!dst || !src) return FALSE;
  *dst = *src;
  return TRUE;
}
BOOL InflateRect(LPRECT rc, int dx, int dy) {
  if (!rc) return FALSE;
  rc->left -= dx;
  rc->right += dx;
  rc->top -= dy;
  rc->bottom += dy;
  return TRUE;
}
BOOL OffsetRect(LPRECT rc, int dx, int dy) {
  if (!rc) return FALSE;
  rc->left += dx;
  rc->right += dx;
  rc->top += dy;
  rc->bottom += dy;
  return TRUE;
}
BOOL IsRectEmpty(const RECT* rc) { return !rc || rc->right <= rc->left || rc->bottom <= rc->top; }
BOOL EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
BOOL PtInRect(const RECT* rc, POINT pt) {
  return rc && pt.x >= rc->left && pt.x < rc->right && pt.y >= rc->top && pt.y < rc->bottom;
}
BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    *dst = {0, 0, 0, 0};
    return FALSE;
  }
  *dst = r;
  return TRUE;
}
BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  if (IsRectEmpty(a)) {
    if (IsRectEmpty(b)) {
      *dst = {0, 0, 0, 0};
      return FALSE;
    }
    *dst = *b;
    return TRUE;
  }
  if (IsRectEmpty(b)) {
    *dst = *a;
    return TRUE;
  }
  *dst = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
          std::max(a->bottom, b->bottom)};
  return TRUE;
}
BOOL SubtractRect(LPRECT dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  RECT r = *a;
  RECT i;
  if (IntersectRect(&i, a, b)) {
    if (i.top == r.top && i.bottom == r.bottom) {
      if (i.left == r.left) r.left = i.right;
      else if (i.right == r.right) r.right = i.left;
    } else if (i.left == r.left && i.right == r.right) {
      if (i.top == r.top) r.top = i.bottom;
      else if (i.bottom == r.bottom) r.bottom = i.top;
    }
  }
  *dst = r;
  if (IsRectEmpty(dst)) {
    *dst = {0, 0, 0, 0};
    return FALSE;
  }
  return TRUE;
}
