// Icons and cursors drawn into device contexts, with their alpha.
#include <algorithm>
#include <cmath>

#include "win/gdi_internal.h"
#include "win/imageicon.h"

using namespace kvgdi;

BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker, UINT flags) {
  (void)step;
  Dc* dc = GetDc(hdc);
  const KvImage* img = KvIconImage(icon);
  if (!dc || !img || img->width <= 0 || img->height <= 0) return FALSE;
  if ((flags & DI_NORMAL) == 0) flags |= DI_NORMAL;
  if (cx == 0) cx = (flags & DI_DEFAULTSIZE) ? 32 : img->width;
  if (cy == 0) cy = (flags & DI_DEFAULTSIZE) ? 32 : img->height;
  if (cx < 0 || cy < 0) return FALSE;
  if (flicker) {
    RECT r{x, y, ToLong(double(x) + cx), ToLong(double(y) + cy)};
    if (!FillRect(hdc, &r, flicker)) return FALSE;
  }
  // Premultiplied pixels; the mask alone is the shape in black.
  const int w = img->width, h = img->height;
  std::vector<std::uint32_t> px(img->px.size());
  for (std::size_t i = 0; i < px.size(); ++i) {
    std::uint32_t v = img->px[i];
    unsigned a = img->hasAlpha ? v >> 24 : 255;
    if ((flags & DI_NORMAL) == DI_MASK) {
      px[i] = a >= 128 ? 0xFF000000u : 0;
      continue;
    }
    unsigned r = ((v >> 16) & 0xFF) * a / 255, g = ((v >> 8) & 0xFF) * a / 255, b = (v & 0xFF) * a / 255;
    px[i] = (a << 24) | (r << 16) | (g << 8) | b;
  }
  KvGdiCall c;
  c.op = KvGdiOp::AlphaBlend;
  int args[9] = {x, y, cx, cy, 0, 0, w, h, int(AC_SRC_OVER | (255 << 16) | (AC_SRC_ALPHA << 24))};
  std::copy(args, args + 9, c.args);
  c.rop = SRCCOPY;
  c.imageWidth = w;
  c.imageHeight = h;
  c.image = px;
  POINT a = dc->LpToDpPt(x, y), b = dc->LpToDpPt(double(x) + cx, double(y) + cy);
  RECT dst{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  c.bounds = dst;
  dc->Send(c);
  if (IsRectEmpty(&dst)) return TRUE;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int yy = 0; yy < h; ++yy)
    std::copy(px.begin() + std::ptrdiff_t(yy) * w, px.begin() + std::ptrdiff_t(yy + 1) * w,
              reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t(yy) * stride));
  cairo_surface_mark_dirty(s);
  RenderMode(
      dc, R2_COPYPEN,
      [&](Dc*, cairo_t* cr) {
        cairo_pattern_t* pat = cairo_pattern_create_for_surface(s);
        cairo_matrix_t m;
        cairo_matrix_init_scale(&m, double(w) / (b.x - a.x), double(h) / (b.y - a.y));
        cairo_matrix_translate(&m, -a.x, -a.y);
        cairo_pattern_set_matrix(pat, &m);
        // Enlarged icons keep sharp pixels; reduced ones are averaged.
        bool enlarge = (dst.right - dst.left) >= w && (dst.bottom - dst.top) >= h;
        cairo_pattern_set_filter(pat, enlarge ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
        cairo_set_source(cr, pat);
        cairo_rectangle(cr, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top);
        cairo_fill(cr);
        cairo_pattern_destroy(pat);
      },
      &dst);
  cairo_surface_destroy(s);
  return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
  return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}
