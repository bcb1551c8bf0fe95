// The handle table and the GDI objects: pens, brushes, fonts, bitmaps;
// SelectObject, DeleteObject, GetObject; DIB conversions and PNG output.
#include <png.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "win/gdi_internal.h"

namespace kvgdi {

namespace {
std::mutex& TableMutex() {
  static std::mutex m;
  return m;
}
std::unordered_map<std::uintptr_t, std::unique_ptr<Object>>& Table() {
  static auto* t = new std::unordered_map<std::uintptr_t, std::unique_ptr<Object>>();
  return *t;
}
std::uintptr_t g_next = 0x10000;
std::size_t g_stockCount = 0;
}  // namespace

void* AddObject(std::unique_ptr<Object> obj) {
  std::lock_guard<std::mutex> lock(TableMutex());
  g_next += 16;
  if (obj->stock) ++g_stockCount;
  Table()[g_next] = std::move(obj);
  return reinterpret_cast<void*>(g_next);
}

// Every drawing call looks up its DC and the objects selected into it, many
// times over: each thread keeps its last hits in a small direct-mapped cache.
// Handles are never given out twice, so a hit stays right until an object
// is removed, which empties every thread's cache (by the removal count).
namespace {
std::atomic<std::uint64_t> g_removals{0};
struct LookupCache {
  static constexpr std::size_t kSlots = 16;
  std::uint64_t removals = 0;
  std::uintptr_t handle[kSlots] = {};
  Object* object[kSlots] = {};
};
thread_local LookupCache t_lookups;
}  // namespace

Object* Lookup(const void* handle) {
  if (!handle) return nullptr;
  const auto h = reinterpret_cast<std::uintptr_t>(handle);
  LookupCache& c = t_lookups;
  const std::uint64_t removals = g_removals.load(std::memory_order_acquire);
  if (c.removals != removals) {
    c = LookupCache{};
    c.removals = removals;
  }
  const std::size_t slot = (h >> 4) % LookupCache::kSlots;
  if (c.handle[slot] == h) return c.object[slot];
  Object* found = nullptr;
  {
    std::lock_guard<std::mutex> lock(TableMutex());
    auto it = Table().find(h);
    if (it != Table().end()) found = it->second.get();
  }
  if (found) {
    c.handle[slot] = h;
    c.object[slot] = found;
  }
  return found;
}

void RemoveObject(const void* handle) {
  std::unique_ptr<Object> doomed;
  {
    std::lock_guard<std::mutex> lock(TableMutex());
    auto it = Table().find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == Table().end()) return;
    doomed = std::move(it->second);
    Table().erase(it);
    g_removals.fetch_add(1, std::memory_order_acq_rel);
  }
}

Brush::~Brush() {
  if (pattern) cairo_surface_destroy(pattern);
}

Bitmap::~Bitmap() {
  if (surface) cairo_surface_destroy(surface);
}

static cairo_surface_t* NewSurface(int w, int h) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  return s;
}

static HBITMAP NewBitmap(int w, int h, int bpp, bool stock = false) {
  if (w <= 0 || h <= 0 || double(w) * double(h) > double(1 << 28)) return nullptr;
  cairo_surface_t* s = NewSurface(w, h);
  if (!s) return nullptr;
  auto bm = std::make_unique<Bitmap>();
  bm->surface = s;
  bm->width = w;
  bm->height = h;
  bm->bitsPixel = bpp;
  bm->stock = stock;
  if (bpp == 1) {  // monochrome bitmaps start white... GDI starts them black
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
  }
  return static_cast<HBITMAP>(AddObject(std::move(bm)));
}

HBITMAP DefaultBitmap() {
  static HBITMAP h = NewBitmap(1, 1, 1, true);
  return h;
}

// Decodes a packed or separate DIB into top-down 0x00RRGGBB words.
bool DecodeDib(const BITMAPINFO* bmi, const void* bits, std::vector<std::uint32_t>* out, int* w, int* h) {
  if (!bmi || !bits || bmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return false;
  const BITMAPINFOHEADER& hd = bmi->bmiHeader;
  int width = hd.biWidth, height = std::abs(hd.biHeight);
  int bpp = hd.biBitCount;
  if (width <= 0 || height <= 0 || double(width) * height > double(1 << 28)) return false;
  if (hd.biCompression != BI_RGB && !(hd.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32))) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  const RGBQUAD* pal = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const char*>(bmi) + hd.biSize);
  int palSize = bpp <= 8 ? (hd.biClrUsed ? int(std::min<DWORD>(hd.biClrUsed, 1u << bpp)) : 1 << bpp) : 0;
  std::size_t stride = ((std::size_t(width) * bpp + 31) / 32) * 4;
  const unsigned char* src = static_cast<const unsigned char*>(bits);
  out->assign(std::size_t(width) * height, 0);
  for (int y = 0; y < height; ++y) {
    int srcRow = hd.biHeight > 0 ? height - 1 - y : y;
    const unsigned char* row = src + stride * srcRow;
    std::uint32_t* dst = out->data() + std::size_t(y) * width;
    for (int x = 0; x < width; ++x) {
      std::uint32_t v = 0;
      switch (bpp) {
        case 1:
        case 4:
        case 8: {
          int idx = bpp == 8 ? row[x] : bpp == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15 : (row[x / 8] >> (7 - x % 8)) & 1;
          if (idx < palSize) v = (unsigned(pal[idx].rgbRed) << 16) | (unsigned(pal[idx].rgbGreen) << 8) | pal[idx].rgbBlue;
          break;
        }
        case 16: {
          unsigned p = row[2 * x] | (row[2 * x + 1] << 8);
          v = (((p >> 10) & 31) * 255 / 31) << 16 | (((p >> 5) & 31) * 255 / 31) << 8 | ((p & 31) * 255 / 31);
          break;
        }
        case 24:
          v = (unsigned(row[3 * x + 2]) << 16) | (unsigned(row[3 * x + 1]) << 8) | row[3 * x];
          break;
        case 32:
          v = (unsigned(row[4 * x + 2]) << 16) | (unsigned(row[4 * x + 1]) << 8) | row[4 * x];
          break;
      }
      dst[x] = v;
    }
  }
  *w = width;
  *h = height;
  return true;
}

void PutPixels(cairo_surface_t* s, int x0, int y0, int w, int h, const std::uint32_t* px) {
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  int sw = cairo_image_surface_get_width(s), sh = cairo_image_surface_get_height(s);
  for (int y = 0; y < h; ++y) {
    if (y0 + y < 0 || y0 + y >= sh) continue;
    std::uint32_t* row = reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t(y0 + y) * stride);
    for (int x = 0; x < w; ++x)
      if (x0 + x >= 0 && x0 + x < sw) row[x0 + x] = 0xFF000000u | px[std::size_t(y) * w + x];
  }
  cairo_surface_mark_dirty(s);
}

std::vector<std::uint32_t> GetPixels(cairo_surface_t* s, int x0, int y0, int w, int h) {
  std::vector<std::uint32_t> out(std::size_t(std::max(w, 0)) * std::max(h, 0), 0);
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  int sw = cairo_image_surface_get_width(s), sh = cairo_image_surface_get_height(s);
  for (int y = 0; y < h; ++y) {
    if (y0 + y < 0 || y0 + y >= sh) continue;
    const std::uint32_t* row = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y0 + y) * stride);
    for (int x = 0; x < w; ++x)
      if (x0 + x >= 0 && x0 + x < sw) out[std::size_t(y) * w + x] = row[x0 + x] & 0xFFFFFFu;
  }
  return out;
}

}  // namespace kvgdi

using namespace kvgdi;

// ---- stock objects -----------------------------------------------------------------------
static HGDIOBJ MakeStock(int index) {
  std::unique_ptr<Object> obj;
  auto brush = [](UINT style, COLORREF c) {
    auto b = std::make_unique<Brush>();
    b->style = style;
    b->color = c;
    return b;
  };
  auto pen = [](DWORD style, COLORREF c) {
    auto p = std::make_unique<Pen>();
    p->style = style;
    p->color = c;
    return p;
  };
  auto font = [](const char16_t* face, LONG height, LONG weight, BYTE pitch) {
    auto f = std::make_unique<Font>();
    f->lf.lfHeight = height;
    f->lf.lfWeight = weight;
    f->lf.lfPitchAndFamily = pitch;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) f->lf.lfFaceName[i] = face[i];
    return f;
  };
  switch (index) {
    case WHITE_BRUSH: obj = brush(BS_SOLID, RGB(255, 255, 255)); break;
    case LTGRAY_BRUSH: obj = brush(BS_SOLID, RGB(192, 192, 192)); break;
    case GRAY_BRUSH: obj = brush(BS_SOLID, RGB(128, 128, 128)); break;
    case DKGRAY_BRUSH: obj = brush(BS_SOLID, RGB(64, 64, 64)); break;
    case BLACK_BRUSH: obj = brush(BS_SOLID, RGB(0, 0, 0)); break;
    case NULL_BRUSH: obj = brush(BS_NULL, 0); break;
    case DC_BRUSH: obj = brush(BS_SOLID, RGB(255, 255, 255)); break;
    case WHITE_PEN: obj = pen(PS_SOLID, RGB(255, 255, 255)); break;
    case BLACK_PEN: obj = pen(PS_SOLID, 0); break;
    case NULL_PEN: obj = pen(PS_NULL, 0); break;
    case DC_PEN: obj = pen(PS_SOLID, 0); break;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT: obj = font(u"Courier New", 16, FW_NORMAL, FIXED_PITCH | FF_MODERN); break;
    case ANSI_VAR_FONT:
    case DEVICE_DEFAULT_FONT:
    case SYSTEM_FONT: obj = font(u"Arial", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS); break;
    case DEFAULT_GUI_FONT: obj = font(u"Arial", -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS); break;
    default: return nullptr;
  }
  obj->stock = true;
  return static_cast<HGDIOBJ>(AddObject(std::move(obj)));
}

static HGDIOBJ g_stock[20];
static std::once_flag g_stockOnce;

HGDIOBJ GetStockObject(int index) {
  std::call_once(g_stockOnce, [] {
    for (int i = 0; i < 20; ++i) g_stock[i] = MakeStock(i);
  });
  return index >= 0 && index < 20 ? g_stock[index] : nullptr;
}

int KvStockObjectIndex(HGDIOBJ obj) {
  if (!obj) return -1;
  GetStockObject(0);
  for (int i = 0; i < 20; ++i)
    if (g_stock[i] == obj) return i;
  return -1;
}

bool KvIsLiveGdiHandle(const void* handle) { return Lookup(handle) != nullptr; }

std::size_t KvGdiObjectCount() {
  std::lock_guard<std::mutex> lock(TableMutex());
  return Table().size() - g_stockCount;
}

// ---- pens ----------------------------------------------------------------------------------
HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < 0 || style > int(PS_INSIDEFRAME)) return nullptr;
  auto p = std::make_unique<Pen>();
  p->style = DWORD(style);
  p->width = std::max(width, 0);
  p->color = color & 0xFFFFFF;
  return static_cast<HPEN>(AddObject(std::move(p)));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  return lp ? CreatePen(int(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor) : nullptr;
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles) {
  if (!brush) return nullptr;
  DWORD type = style & PS_TYPE_MASK, kind = style & PS_STYLE_MASK;
  if (type != PS_COSMETIC && type != PS_GEOMETRIC) return nullptr;
  if (kind > PS_ALTERNATE) return nullptr;
  if (type == PS_COSMETIC && (width != 1 || brush->lbStyle != BS_SOLID || (style & (PS_ENDCAP_MASK | PS_JOIN_MASK))))
    return nullptr;
  if (type == PS_GEOMETRIC && kind == PS_ALTERNATE) return nullptr;
  if (kind == PS_USERSTYLE) {
    if (!styles || styleCount == 0 || styleCount > 16) return nullptr;
  } else if (styleCount != 0 || styles) {
    return nullptr;
  }
  if ((style & PS_ENDCAP_MASK) > PS_ENDCAP_FLAT || (style & PS_JOIN_MASK) > PS_JOIN_MITER) return nullptr;
  auto p = std::make_unique<Pen>();
  p->ext = true;
  p->style = style;
  p->width = int(std::min<DWORD>(width, 1u << 20));
  p->brushStyle = brush->lbStyle;
  p->color = brush->lbColor & 0xFFFFFF;
  p->hatch = brush->lbHatch;
  if (kind == PS_USERSTYLE) p->user.assign(styles, styles + styleCount);
  return static_cast<HPEN>(AddObject(std::move(p)));
}

// ---- brushes ---------------------------------------------------------------------------------
HBRUSH CreateSolidBrush(COLORREF color) {
  auto b = std::make_unique<Brush>();
  b->color = color & 0xFFFFFF;
  return static_cast<HBRUSH>(AddObject(std::move(b)));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  auto b = std::make_unique<Brush>();
  b->style = BS_HATCHED;
  b->hatch = hatch;
  b->color = color & 0xFFFFFF;
  return static_cast<HBRUSH>(AddObject(std::move(b)));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  Bitmap* bm = GetBitmap(bitmap);
  if (!bm) return nullptr;
  auto b = std::make_unique<Brush>();
  b->style = BS_PATTERN;
  b->original = bitmap;
  b->monoPattern = bm->bitsPixel == 1;
  cairo_surface_t* s = NewSurface(bm->width, bm->height);
  if (!s) return nullptr;
  auto px = GetPixels(bm->surface, 0, 0, bm->width, bm->height);
  PutPixels(s, 0, 0, bm->width, bm->height, px.data());
  b->pattern = s;
  return static_cast<HBRUSH>(AddObject(std::move(b)));
}

HBRUSH CreateDIBPatternBrushPt(const void* packedDib, UINT usage) {
  if (!packedDib || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFO* bmi = static_cast<const BITMAPINFO*>(packedDib);
  const BITMAPINFOHEADER& hd = bmi->bmiHeader;
  if (hd.biSize < sizeof(BITMAPINFOHEADER)) return nullptr;
  int colors = hd.biBitCount <= 8 ? (hd.biClrUsed ? int(hd.biClrUsed) : 1 << hd.biBitCount) : 0;
  if (hd.biCompression == BI_BITFIELDS) colors = 3;
  const char* bits = static_cast<const char*>(packedDib) + hd.biSize + colors * 4;
  std::vector<std::uint32_t> px;
  int w, h;
  if (!DecodeDib(bmi, bits, &px, &w, &h)) return nullptr;
  cairo_surface_t* s = NewSurface(w, h);
  if (!s) return nullptr;
  PutPixels(s, 0, 0, w, h, px.data());
  auto b = std::make_unique<Brush>();
  b->style = BS_DIBPATTERNPT;
  b->pattern = s;
  return static_cast<HBRUSH>(AddObject(std::move(b)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_HATCHED: return CreateHatchBrush(int(lb->lbHatch), lb->lbColor);
    case BS_NULL: {
      auto b = std::make_unique<Brush>();
      b->style = BS_NULL;
      return static_cast<HBRUSH>(AddObject(std::move(b)));
    }
    case BS_PATTERN:
    case BS_PATTERN8X8: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    case BS_DIBPATTERNPT: return CreateDIBPatternBrushPt(reinterpret_cast<const void*>(lb->lbHatch), UINT(lb->lbColor));
    default: return nullptr;
  }
}

// ---- fonts -----------------------------------------------------------------------------------
HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  auto f = std::make_unique<Font>();
  f->lf = *lf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return static_cast<HFONT>(AddObject(std::move(f)));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR face) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = BYTE(italic);
  lf.lfUnderline = BYTE(underline);
  lf.lfStrikeOut = BYTE(strikeOut);
  lf.lfCharSet = BYTE(charSet);
  lf.lfOutPrecision = BYTE(outPrecision);
  lf.lfClipPrecision = BYTE(clipPrecision);
  lf.lfQuality = BYTE(quality);
  lf.lfPitchAndFamily = BYTE(pitchAndFamily);
  for (int i = 0; face && face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  return CreateFontIndirectW(&lf);
}

// ---- bitmaps -------------------------------------------------------------------------------
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  if (!GetDc(hdc) || cx < 0 || cy < 0) return nullptr;
  if (cx == 0 || cy == 0) return NewBitmap(1, 1, 1);
  return NewBitmap(cx, cy, 32);
}

HBITMAP CreateBitmap(int cx, int cy, UINT planes, UINT bpp, const void* bits) {
  if (cx < 0 || cy < 0 || planes != 1 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32))
    return nullptr;
  if (cx == 0 || cy == 0) return NewBitmap(1, 1, 1);
  HBITMAP h = NewBitmap(cx, cy, bpp == 1 ? 1 : 32);
  if (!h || !bits) return h;
  // Device-dependent bitmaps: rows padded to 16 bits, top-down; 1-bit: 1 = white.
  Bitmap* bm = GetBitmap(h);
  std::size_t stride = ((std::size_t(cx) * bpp + 15) / 16) * 2;
  const unsigned char* src = static_cast<const unsigned char*>(bits);
  std::vector<std::uint32_t> px(std::size_t(cx) * cy);
  for (int y = 0; y < cy; ++y) {
    const unsigned char* row = src + stride * y;
    for (int x = 0; x < cx; ++x) {
      std::uint32_t v = 0;
      if (bpp == 1) v = (row[x / 8] >> (7 - x % 8)) & 1 ? 0xFFFFFF : 0;
      else if (bpp == 32) v = (unsigned(row[4 * x + 2]) << 16) | (unsigned(row[4 * x + 1]) << 8) | row[4 * x];
      else if (bpp == 24) v = (unsigned(row[3 * x + 2]) << 16) | (unsigned(row[3 * x + 1]) << 8) | row[3 * x];
      else if (bpp == 8) v = row[x] * 0x010101u;
      else if (bpp == 16) {
        unsigned p = row[2 * x] | (row[2 * x + 1] << 8);
        v = (((p >> 10) & 31) * 255 / 31) << 16 | (((p >> 5) & 31) * 255 / 31) << 8 | ((p & 31) * 255 / 31);
      } else v = ((row[x / 2] >> (x % 2 ? 0 : 4)) & 15) * 0x111111u;
      px[std::size_t(y) * cx + x] = v;
    }
  }
  PutPixels(bm->surface, 0, 0, cx, cy, px.data());
  return h;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* bmi, UINT usage, void** bits, HANDLE section, DWORD offset) {
  if (bits) *bits = nullptr;
  if (!bmi || section || offset || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& hd = bmi->bmiHeader;
  if (hd.biSize < sizeof(BITMAPINFOHEADER) || hd.biBitCount != 32 || hd.biPlanes != 1 ||
      (hd.biCompression != BI_RGB && hd.biCompression != BI_BITFIELDS))
    return nullptr;
  int w = hd.biWidth, h = std::abs(hd.biHeight);
  if (w <= 0 || h <= 0 || double(w) * h > double(1 << 28)) return nullptr;
  auto bm = std::make_unique<Bitmap>();
  bm->own.assign(std::size_t(w) * h * 4, 0);
  unsigned char* data = bm->own.data();
  // Bottom-up sections: the surface starts at the last row and steps back.
  cairo_surface_t* s = hd.biHeight > 0
                           ? cairo_image_surface_create_for_data(data + std::size_t(w) * 4 * (h - 1), CAIRO_FORMAT_RGB24,
                                                                 w, h, -w * 4)
                           : cairo_image_surface_create_for_data(data, CAIRO_FORMAT_RGB24, w, h, w * 4);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  bm->surface = s;
  bm->width = w;
  bm->height = h;
  bm->dib = true;
  bm->header = hd;
  bm->header.biSize = sizeof(BITMAPINFOHEADER);
  bm->header.biSizeImage = DWORD(w * 4 * h);
  if (bits) *bits = data;
  return static_cast<HBITMAP>(AddObject(std::move(bm)));
}

int GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* bmi, UINT usage) {
  Bitmap* bm = GetBitmap(bitmap);
  if (!GetDc(hdc) || !bm || !bmi || usage != DIB_RGB_COLORS) return 0;
  BITMAPINFOHEADER& hd = bmi->bmiHeader;
  if (hd.biSize < sizeof(BITMAPINFOHEADER)) return 0;
  if (!bits) {
    if (hd.biBitCount == 0) {
      hd.biWidth = bm->width;
      hd.biHeight = bm->height;
      hd.biPlanes = 1;
      hd.biBitCount = WORD(bm->bitsPixel == 1 ? 1 : 32);
      hd.biCompression = BI_RGB;
    }
    std::size_t stride = ((std::size_t(bm->width) * hd.biBitCount + 31) / 32) * 4;
    hd.biSizeImage = DWORD(stride * bm->height);
    return bm->height;
  }
  int bpp = hd.biBitCount;
  if (bpp != 24 && bpp != 32) return 0;
  if (hd.biWidth != bm->width) hd.biWidth = bm->width;
  int h = bm->height;
  if (start >= UINT(h)) return 0;
  lines = std::min<UINT>(lines, UINT(h) - start);
  auto px = GetPixels(bm->surface, 0, 0, bm->width, h);
  std::size_t stride = ((std::size_t(bm->width) * bpp + 31) / 32) * 4;
  unsigned char* dst = static_cast<unsigned char*>(bits);
  bool bottomUp = hd.biHeight > 0;
  for (UINT i = 0; i < lines; ++i) {
    // Scan line numbers count from the bottom for bottom-up DIBs.
    UINT scan = start + i;
    int y = bottomUp ? h - 1 - int(scan) : int(scan);
    unsigned char* row = dst + stride * i;
    std::memset(row, 0, stride);
    for (int x = 0; x < bm->width; ++x) {
      std::uint32_t v = px[std::size_t(y) * bm->width + x];
      unsigned char* p = row + x * (bpp / 8);
      p[0] = v & 0xFF;
      p[1] = (v >> 8) & 0xFF;
      p[2] = (v >> 16) & 0xFF;
    }
  }
  return int(lines);
}

int SetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage) {
  Bitmap* bm = GetBitmap(bitmap);
  if (!bm || !bits || !bmi || usage != DIB_RGB_COLORS) return 0;
  std::vector<std::uint32_t> px;
  int w, h;
  BITMAPINFO copy = *bmi;
  // Decode only the lines given: a DIB of `lines` rows.
  int fullH = std::abs(bmi->bmiHeader.biHeight);
  if (start >= UINT(fullH)) return 0;
  lines = std::min<UINT>(lines, UINT(fullH) - start);
  copy.bmiHeader.biHeight = bmi->bmiHeader.biHeight > 0 ? LONG(lines) : -LONG(lines);
  // The palette follows the header: decode with the caller's header memory when it has one.
  const BITMAPINFO* use = bmi->bmiHeader.biBitCount <= 8 ? bmi : &copy;
  if (use == bmi) {
    std::vector<unsigned char> buf(bmi->bmiHeader.biSize + 256 * 4);
    std::memcpy(buf.data(), bmi, bmi->bmiHeader.biSize + std::min<std::size_t>(256, bmi->bmiHeader.biClrUsed ? bmi->bmiHeader.biClrUsed : (1u << bmi->bmiHeader.biBitCount)) * 4);
    reinterpret_cast<BITMAPINFO*>(buf.data())->bmiHeader.biHeight = copy.bmiHeader.biHeight;
    if (!DecodeDib(reinterpret_cast<BITMAPINFO*>(buf.data()), bits, &px, &w, &h)) return 0;
  } else if (!DecodeDib(use, bits, &px, &w, &h)) {
    return 0;
  }
  int y0 = bmi->bmiHeader.biHeight > 0 ? fullH - int(start) - int(lines) : int(start);
  PutPixels(bm->surface, 0, y0, std::min(w, bm->width), h, px.data());
  return int(lines);
}

cairo_surface_t* KvGetBitmapSurface(HBITMAP bitmap) {
  Bitmap* bm = GetBitmap(bitmap);
  return bm ? bm->surface : nullptr;
}

// PNG as 8-bit RGB, rows read straight from the surface. Drawings are large
// flat areas: the "up" filter with fast deflate (level 2) writes files about
// as small as the default adaptive filtering at level 6 would, in a third of
// the time. The settings are fixed, so the same pixels give the same file.
BOOL KvSaveBitmapPng(HBITMAP bitmap, const char* path) {
  Bitmap* bm = GetBitmap(bitmap);
  if (!bm || !path) return FALSE;
  FILE* f = std::fopen(path, "wb");
  if (!f) return FALSE;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    if (png) png_destroy_write_struct(&png, nullptr);
    std::fclose(f);
    return FALSE;
  }
  cairo_surface_flush(bm->surface);
  const unsigned char* data = cairo_image_surface_get_data(bm->surface);
  const int stride = cairo_image_surface_get_stride(bm->surface);
  std::vector<unsigned char> row(std::size_t(bm->width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return FALSE;
  }
  png_init_io(png, f);
  png_set_compression_level(png, 2);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_set_IHDR(png, info, png_uint_32(bm->width), png_uint_32(bm->height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // A bitmap holds the screen's pixels: its resolution is the screen's, in
  // pixels per metre, so that a reader shows the picture at its real size.
  const KvDeviceInfo screen;
  png_set_pHYs(png, info, png_uint_32(std::lround(screen.dpiX / 0.0254)), png_uint_32(std::lround(screen.dpiY / 0.0254)),
               PNG_RESOLUTION_METER);
  png_write_info(png, info);
  for (int y = 0; y < bm->height; ++y) {
    const auto* px = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
    for (int x = 0; x < bm->width; ++x) {
      const std::uint32_t v = px[x];
      row[3 * std::size_t(x)] = (v >> 16) & 0xFF;
      row[3 * std::size_t(x) + 1] = (v >> 8) & 0xFF;
      row[3 * std::size_t(x) + 2] = v & 0xFF;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

// ---- generic object calls --------------------------------------------------------------
DWORD GetObjectType(HGDIOBJ h) {
  Object* o = Lookup(h);
  if (!o) return 0;
  switch (o->kind) {
    case Kind::Pen: return static_cast<Pen*>(o)->ext ? OBJ_EXTPEN : OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Region: return OBJ_REGION;
    case Kind::Dc: {
      Dc* dc = static_cast<Dc*>(o);
      if (dc->memory) return OBJ_MEMDC;
      return dc->sink && dc->sink->Kind() == KvSinkKind::Emf ? OBJ_ENHMETADC : OBJ_DC;
    }
  }
  return 0;
}

int GetObjectW(HGDIOBJ h, int size, LPVOID out) {
  Object* o = Lookup(h);
  if (!o || size < 0) return 0;
  auto give = [&](const void* src, int n) -> int {
    if (!out) return n;
    if (size < n) {
      // Windows copies what fits for fonts; the others fail.
      if (o->kind != Kind::Font || size == 0) return 0;
      n = size;
    }
    std::memcpy(out, src, std::size_t(n));
    return n;
  };
  switch (o->kind) {
    case Kind::Pen: {
      Pen* p = static_cast<Pen*>(o);
      if (!p->ext) {
        LOGPEN lp{p->style, {p->width, 0}, p->color};
        return give(&lp, sizeof lp);
      }
      int n = int(offsetof(EXTLOGPEN, elpStyleEntry) + std::max<std::size_t>(p->user.size(), 1) * sizeof(DWORD));
      std::vector<unsigned char> buf(std::size_t(n), 0);
      EXTLOGPEN* e = reinterpret_cast<EXTLOGPEN*>(buf.data());
      e->elpPenStyle = p->style;
      e->elpWidth = DWORD(p->width);
      e->elpBrushStyle = p->brushStyle;
      e->elpColor = p->color;
      e->elpHatch = p->hatch;
      e->elpNumEntries = DWORD(p->user.size());
      for (std::size_t i = 0; i < p->user.size(); ++i) e->elpStyleEntry[i] = p->user[i];
      return give(buf.data(), n);
    }
    case Kind::Brush: {
      Brush* b = static_cast<Brush*>(o);
      LOGBRUSH lb{b->style, b->color, ULONG_PTR(b->hatch)};
      if (b->style == BS_PATTERN) lb.lbHatch = reinterpret_cast<ULONG_PTR>(b->original);
      return give(&lb, sizeof lb);
    }
    case Kind::Font: return give(&static_cast<Font*>(o)->lf, sizeof(LOGFONTW));
    case Kind::Bitmap: {
      Bitmap* bm = static_cast<Bitmap*>(o);
      DIBSECTION ds{};
      ds.dsBm.bmWidth = bm->width;
      ds.dsBm.bmHeight = bm->height;
      ds.dsBm.bmPlanes = 1;
      ds.dsBm.bmBitsPixel = WORD(bm->bitsPixel);
      ds.dsBm.bmWidthBytes = bm->dib ? bm->width * 4 : ((bm->width * bm->bitsPixel + 15) / 16) * 2;
      if (bm->dib) {
        ds.dsBm.bmBits = bm->own.data();
        ds.dsBmih = bm->header;
        if (size >= int(sizeof(DIBSECTION)) || !out) return give(&ds, sizeof ds);
      }
      return give(&ds.dsBm, sizeof(BITMAP));
    }
    default: return 0;
  }
}

// ---- little helpers ------------------------------------------------------------------------
int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  long long p = static_cast<long long>(number) * numerator;
  long long d = denominator;
  if (d < 0) {
    d = -d;
    p = -p;
  }
  long long q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
  if (q > INT32_MAX || q < INT32_MIN) return -1;
  return int(q);
}

BOOL LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data) {
  if (!proc) return FALSE;
  // Every point of the line from (x1, y1) up to, not including, (x2, y2).
  long dx = std::labs(long(x2) - x1), dy = std::labs(long(y2) - y1);
  int sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
  long x = x1, y = y1;
  if (dx >= dy) {
    long err = dx / 2;
    for (long i = 0; i < dx; ++i) {
      proc(int(x), int(y), data);
      x += sx;
      err -= dy;
      if (err < 0) {
        y += sy;
        err += dx;
      }
    }
  } else {
    long err = dy / 2;
    for (long i = 0; i < dy; ++i) {
      proc(int(x), int(y), data);
      y += sy;
      err -= dx;
      if (err < 0) {
        x += sx;
        err += dy;
      }
    }
  }
  return TRUE;
}

BOOL GdiFlush() { return TRUE; }

BOOL UnrealizeObject(HGDIOBJ obj) { return GetBrush(obj) != nullptr; }

cairo_surface_t* KvGetBrushPattern(HBRUSH brush, bool* mono) {
  Brush* b = GetBrush(brush);
  if (mono) *mono = b && b->monoPattern;
  return b ? b->pattern : nullptr;
}
