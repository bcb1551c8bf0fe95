// Device contexts on raster bitmaps: pixel coverage, mix modes, clipping,
// saved states, paths, regions and bad handles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "win/gdisink.h"
#include "win/imageicon.h"
#include "win/wingdi.h"

namespace {

// A memory DC holding a white w x h bitmap.
struct Canvas {
  HDC dc;
  HBITMAP bm;
  HGDIOBJ old;
  Canvas(int w, int h) {
    dc = CreateCompatibleDC(nullptr);
    bm = CreateCompatibleBitmap(dc, w, h);
    old = SelectObject(dc, bm);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(static_cast<void*>(GetStockObject(WHITE_BRUSH))));
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bm);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  std::vector<std::uint32_t> Pixels() const {
    cairo_surface_t* s = KvGetBitmapSurface(bm);
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    std::vector<std::uint32_t> out;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        out.push_back(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) + y * stride)[x] & 0xFFFFFF);
    return out;
  }
};

HBRUSH Brush(int stock) { return reinterpret_cast<HBRUSH>(GetStockObject(stock)); }

constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST(GdiRaster, RectangleWithOnePixelPenCoversLeftToRightMinusOne) {
  Canvas c(20, 20);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(c.dc, pen);
  SelectObject(c.dc, brush);
  ASSERT_TRUE(Rectangle(c.dc, 2, 3, 10, 8));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      bool inside = x >= 2 && x <= 9 && y >= 3 && y <= 7;
      bool border = inside && (x == 2 || x == 9 || y == 3 || y == 7);
      COLORREF want = border ? RGB(255, 0, 0) : inside ? RGB(0, 0, 255) : kWhite;
      ASSERT_EQ(c.At(x, y), want) << x << "," << y;
    }
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
}

TEST(GdiRaster, NullPenRectangleAndFillRectEdges) {
  Canvas c(12, 12);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  Rectangle(c.dc, 1, 1, 6, 6);  // interior only: 1..4
  EXPECT_EQ(c.At(1, 1), 0u);
  EXPECT_EQ(c.At(4, 4), 0u);
  EXPECT_EQ(c.At(5, 5), kWhite);
  RECT r{7, 7, 10, 9};
  FillRect(c.dc, &r, Brush(BLACK_BRUSH));
  EXPECT_EQ(c.At(7, 7), 0u);
  EXPECT_EQ(c.At(9, 8), 0u);
  EXPECT_EQ(c.At(10, 8), kWhite);
  EXPECT_EQ(c.At(9, 9), kWhite);
}

TEST(GdiRaster, LineLeavesOutItsLastPixel) {
  Canvas c(10, 10);
  MoveToEx(c.dc, 1, 2, nullptr);
  LineTo(c.dc, 6, 2);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(c.At(x, 2), x >= 1 && x <= 5 ? 0u : kWhite) << x;
  POINT p;
  GetCurrentPositionEx(c.dc, &p);
  EXPECT_EQ(p.x, 6);
}

// Mix modes that invert: drawing the same figures twice restores every pixel.
TEST(GdiRaster, XorAndNotDrawnTwiceRestorePixels) {
  Canvas c(64, 48);
  HBRUSH grad = CreateHatchBrush(HS_DIAGCROSS, RGB(10, 120, 200));
  SelectObject(c.dc, grad);
  Ellipse(c.dc, 3, 3, 40, 30);
  const auto before = c.Pixels();
  HPEN pen = CreatePen(PS_DOT, 1, RGB(200, 30, 90));
  HPEN wide = CreatePen(PS_SOLID, 5, RGB(40, 220, 10));
  for (int rop : {R2_XORPEN, R2_NOT}) {
    SetROP2(c.dc, rop);
    for (int pass = 0; pass < 2; ++pass) {
      SelectObject(c.dc, pen);
      SelectObject(c.dc, GetStockObject(NULL_BRUSH));
      Rectangle(c.dc, 5, 5, 50, 40);
      POINT pts[] = {{1, 1}, {60, 20}, {10, 44}};
      Polyline(c.dc, pts, 3);
      SelectObject(c.dc, wide);
      SelectObject(c.dc, GetStockObject(GRAY_BRUSH));
      Pie(c.dc, 20, 10, 60, 45, 60, 10, 20, 45);
      RECT fr{12, 12, 30, 25};
      DrawFocusRect(c.dc, &fr);
      InvertRect(c.dc, &fr);
      if (pass == 0) {
        EXPECT_NE(c.Pixels(), before) << rop;
      }
    }
    EXPECT_EQ(c.Pixels(), before) << "mix mode " << rop;
  }
  SetROP2(c.dc, R2_COPYPEN);
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(wide);
  DeleteObject(grad);
}

TEST(GdiRaster, MaskNotPenClearsPenBits) {
  Canvas c(8, 8);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  SelectObject(c.dc, pen);
  SetROP2(c.dc, R2_MASKNOTPEN);
  MoveToEx(c.dc, 0, 1, nullptr);
  LineTo(c.dc, 8, 1);
  EXPECT_EQ(c.At(3, 1), RGB(0, 255, 255));
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiRaster, ClipAndSaveRestore) {
  Canvas c(30, 30);
  int level = SaveDC(c.dc);
  EXPECT_EQ(level, 1);
  EXPECT_EQ(IntersectClipRect(c.dc, 5, 5, 15, 15), SIMPLEREGION);
  EXPECT_EQ(ExcludeClipRect(c.dc, 8, 8, 10, 10), COMPLEXREGION);
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 5);
  EXPECT_EQ(box.right, 15);
  RECT all{0, 0, 30, 30};
  FillRect(c.dc, &all, Brush(BLACK_BRUSH));
  EXPECT_EQ(c.At(5, 5), 0u);
  EXPECT_EQ(c.At(14, 14), 0u);
  EXPECT_EQ(c.At(4, 4), CLR_INVALID);  // GetPixel sees only the clip
  SetTextColor(c.dc, RGB(1, 2, 3));
  EXPECT_TRUE(RestoreDC(c.dc, -1));
  EXPECT_EQ(c.At(4, 4), kWhite);
  EXPECT_EQ(c.At(15, 15), kWhite);
  EXPECT_EQ(c.At(9, 9), kWhite);
  EXPECT_EQ(GetTextColor(c.dc), 0u);
  EXPECT_FALSE(RestoreDC(c.dc, -1));  // nothing saved any more
  FillRect(c.dc, &all, Brush(GRAY_BRUSH));
  EXPECT_EQ(c.At(0, 0), RGB(128, 128, 128));
  // Region clip in device units, moved by the viewport origin for drawing only.
  HRGN rgn = CreateEllipticRgn(0, 0, 20, 20);
  EXPECT_EQ(SelectClipRgn(c.dc, rgn), COMPLEXREGION);
  SetViewportOrgEx(c.dc, 5, 0, nullptr);
  FillRect(c.dc, &all, Brush(BLACK_BRUSH));
  EXPECT_EQ(c.At(-5 + 10, 10), 0u);  // device (10, 10)
  EXPECT_EQ(c.At(-5 + 0, 0), CLR_INVALID);  // outside the clip
  DeleteObject(rgn);
}

TEST(GdiRegions, CombineAndHitTest) {
  HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15), d = CreateRectRgn(0, 0, 0, 0);
  struct Case {
    int mode, kind;
    POINT in, out;
    RECT box;
  } cases[] = {
      {RGN_AND, SIMPLEREGION, {7, 7}, {2, 2}, {5, 5, 10, 10}},
      {RGN_OR, COMPLEXREGION, {2, 2}, {12, 2}, {0, 0, 15, 15}},
      {RGN_XOR, COMPLEXREGION, {12, 12}, {7, 7}, {0, 0, 15, 15}},
      {RGN_DIFF, COMPLEXREGION, {2, 7}, {7, 7}, {0, 0, 10, 10}},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(CombineRgn(d, a, b, k.mode), k.kind) << k.mode;
    EXPECT_TRUE(PtInRegion(d, k.in.x, k.in.y)) << k.mode;
    EXPECT_FALSE(PtInRegion(d, k.out.x, k.out.y)) << k.mode;
    RECT box;
    GetRgnBox(d, &box);
    EXPECT_TRUE(EqualRect(&box, &k.box)) << k.mode;
  }
  EXPECT_FALSE(PtInRegion(a, 10, 5));  // right edge is outside
  HRGN tri;
  POINT pts[] = {{0, 0}, {20, 0}, {0, 20}};
  tri = CreatePolygonRgn(pts, 3, ALTERNATE);
  EXPECT_TRUE(PtInRegion(tri, 2, 2));
  EXPECT_FALSE(PtInRegion(tri, 15, 15));
  DWORD need = GetRegionData(tri, 0, nullptr);
  std::vector<char> buf(need);
  EXPECT_EQ(GetRegionData(tri, need, reinterpret_cast<RGNDATA*>(buf.data())), need);
  HRGN copy = ExtCreateRegion(nullptr, need, reinterpret_cast<RGNDATA*>(buf.data()));
  EXPECT_TRUE(EqualRgn(copy, tri));
  for (HRGN r : {a, b, d, tri, copy}) EXPECT_TRUE(DeleteObject(r));
}

TEST(GdiPaths, FillPathAndPathToRegion) {
  Canvas c(40, 40);
  BeginPath(c.dc);
  MoveToEx(c.dc, 5, 5, nullptr);
  LineTo(c.dc, 30, 5);
  LineTo(c.dc, 30, 30);
  CloseFigure(c.dc);
  Rectangle(c.dc, 2, 32, 10, 38);
  EndPath(c.dc);
  std::vector<POINT> pts(16);
  std::vector<BYTE> types(16);
  int n = GetPath(c.dc, pts.data(), types.data(), 16);
  ASSERT_GE(n, 7);
  EXPECT_EQ(types[0], PT_MOVETO);
  EXPECT_EQ(types[2], PT_LINETO | PT_CLOSEFIGURE);
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  EXPECT_TRUE(FillPath(c.dc));
  EXPECT_EQ(c.At(25, 10), 0u);
  EXPECT_EQ(c.At(10, 25), kWhite);
  EXPECT_FALSE(FillPath(c.dc));  // the path was used up
  BeginPath(c.dc);
  Ellipse(c.dc, 0, 0, 20, 20);
  EndPath(c.dc);
  HRGN r = PathToRegion(c.dc);
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(PtInRegion(r, 10, 10));
  EXPECT_FALSE(PtInRegion(r, 1, 1));
  DeleteObject(r);
  // A widened line fills the band the pen would paint.
  HPEN wide = CreatePen(PS_SOLID, 5, RGB(0, 0, 0));
  HGDIOBJ oldPen = SelectObject(c.dc, wide);
  BeginPath(c.dc);
  MoveToEx(c.dc, 5, 35, nullptr);
  LineTo(c.dc, 35, 35);
  EndPath(c.dc);
  EXPECT_TRUE(WidenPath(c.dc));
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  EXPECT_TRUE(FillPath(c.dc));
  EXPECT_EQ(c.At(20, 33), 0u);
  EXPECT_EQ(c.At(20, 37), 0u);
  EXPECT_EQ(c.At(20, 39), kWhite);
  SelectObject(c.dc, oldPen);
  DeleteObject(wide);
}

TEST(GdiObjects, PensReadBackAndSelectionRules) {
  LOGBRUSH lb{BS_SOLID, RGB(1, 2, 3), 0};
  DWORD user[] = {4, 2};
  HPEN ext = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_MITER, 6, &lb, 2, user);
  ASSERT_NE(ext, nullptr);
  EXPECT_EQ(GetObjectType(ext), OBJ_EXTPEN);
  int size = GetObject(ext, 0, nullptr);
  std::vector<char> buf(size);
  ASSERT_EQ(GetObject(ext, size, buf.data()), size);
  auto* elp = reinterpret_cast<EXTLOGPEN*>(buf.data());
  EXPECT_EQ(elp->elpPenStyle, PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_MITER);
  EXPECT_EQ(elp->elpWidth, 6u);
  EXPECT_EQ(elp->elpColor, RGB(1, 2, 3));
  EXPECT_EQ(elp->elpNumEntries, 2u);
  EXPECT_EQ(elp->elpStyleEntry[1], 2u);
  // Cosmetic pens are one pixel wide with a solid brush.
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 3, &lb, 0, nullptr), nullptr);
  // Pattern brushes keep their own pixels: the bitmap may go.
  HBITMAP bits = CreateBitmap(8, 8, 1, 1, nullptr);
  HBRUSH pattern = CreatePatternBrush(bits);
  DeleteObject(bits);
  bool mono = false;
  cairo_surface_t* px = KvGetBrushPattern(pattern, &mono);
  ASSERT_NE(px, nullptr);
  EXPECT_TRUE(mono);
  EXPECT_EQ(cairo_image_surface_get_width(px), 8);
  EXPECT_EQ(KvGetBrushPattern(reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), &mono), nullptr);
  DeleteObject(pattern);
  LOGPEN lp{PS_DASH, {1, 0}, RGB(9, 8, 7)};
  HPEN old = CreatePenIndirect(&lp);
  LOGPEN back{};
  EXPECT_EQ(GetObject(old, sizeof back, &back), int(sizeof back));
  EXPECT_EQ(back.lopnStyle, UINT(PS_DASH));
  EXPECT_EQ(back.lopnColor, RGB(9, 8, 7));
  HPEN wideDash = CreatePen(PS_DASH, 3, 0);  // drawn solid, read back as made
  GetObject(wideDash, sizeof back, &back);
  EXPECT_EQ(back.lopnStyle, UINT(PS_DASH));
  EXPECT_EQ(back.lopnWidth.x, 3);
  EXPECT_EQ(GetObjectType(wideDash), OBJ_PEN);
  DeleteObject(wideDash);
  Canvas c(4, 4);
  HGDIOBJ prev = SelectObject(c.dc, ext);
  EXPECT_TRUE(DeleteObject(ext));  // still selected: goes when deselected
  EXPECT_EQ(GetObjectType(ext), OBJ_EXTPEN);
  EXPECT_TRUE(LineTo(c.dc, 3, 3));
  SelectObject(c.dc, prev);
  EXPECT_EQ(GetObjectType(ext), 0u);
  EXPECT_TRUE(DeleteObject(old));
  // A bitmap is in one DC at a time; the default bitmap goes back into many.
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HBITMAP ba = CreateCompatibleBitmap(a, 4, 4), bb = CreateCompatibleBitmap(b, 4, 4);
  HGDIOBJ defA = SelectObject(a, ba), defB = SelectObject(b, bb);
  EXPECT_EQ(SelectObject(b, ba), nullptr);
  EXPECT_FALSE(DeleteObject(ba));
  EXPECT_NE(SelectObject(a, defA), nullptr);
  EXPECT_NE(SelectObject(b, defB), nullptr);
  EXPECT_TRUE(DeleteObject(ba));
  EXPECT_TRUE(DeleteObject(bb));
  DeleteDC(a);
  DeleteDC(b);
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));  // stock objects stay
  EXPECT_NE(GetObjectType(GetStockObject(BLACK_PEN)), 0u);
}

// Bad and stale handles fail the way GDI fails, never crash.
TEST(GdiObjects, NullAndStaleHandles) {
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  DeleteObject(pen);
  HDC dc = CreateCompatibleDC(nullptr);
  DeleteDC(dc);
  HDC bad[] = {nullptr, dc, reinterpret_cast<HDC>(pen)};
  for (HDC h : bad) {
    EXPECT_EQ(SelectObject(h, GetStockObject(BLACK_PEN)), nullptr);
    EXPECT_FALSE(Rectangle(h, 0, 0, 5, 5));
    EXPECT_FALSE(LineTo(h, 1, 1));
    EXPECT_EQ(GetPixel(h, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetBkColor(h, 0), CLR_INVALID);
    EXPECT_EQ(SaveDC(h), 0);
    EXPECT_EQ(GetDeviceCaps(h, LOGPIXELSX), 0);
    SIZE sz;
    EXPECT_FALSE(GetTextExtentPoint32W(h, u"x", 1, &sz));
    RECT r{0, 0, 10, 10};
    EXPECT_EQ(DrawTextW(h, u"x", 1, &r, 0), 0);
    EXPECT_EQ(GetClipBox(h, &r), ERROR);
    EXPECT_FALSE(BitBlt(h, 0, 0, 1, 1, h, 0, 0, SRCCOPY));
    EXPECT_FALSE(DeleteDC(h));
  }
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(GetObjectType(pen), 0u);
  EXPECT_EQ(GetObject(pen, 0, nullptr), 0);
  EXPECT_EQ(SelectObject(nullptr, nullptr), nullptr);
  EXPECT_EQ(CombineRgn(nullptr, nullptr, nullptr, RGN_OR), ERROR);
  EXPECT_FALSE(PtInRegion(nullptr, 0, 0));
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 10, 10), nullptr);
  EXPECT_FALSE(KvSaveBitmapPng(nullptr, "/tmp/x.png"));
  // Zero-sized bitmaps are 1 x 1 monochrome, as GDI makes them.
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP z = CreateCompatibleBitmap(mem, 0, 0);
  BITMAP info{};
  ASSERT_EQ(GetObject(z, sizeof info, &info), int(sizeof info));
  EXPECT_EQ(info.bmWidth, 1);
  EXPECT_EQ(info.bmBitsPixel, 1);
  DeleteObject(z);
  DeleteDC(mem);
}

TEST(GdiBlt, BitBltCopiesAndInverts) {
  Canvas src(10, 10), dst(10, 10);
  SetPixel(src.dc, 2, 3, RGB(10, 20, 30));
  EXPECT_TRUE(BitBlt(dst.dc, 1, 1, 5, 5, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.At(3, 4), RGB(10, 20, 30));
  EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 10, 10, nullptr, 0, 0, DSTINVERT));
  EXPECT_EQ(dst.At(3, 4), RGB(245, 235, 225));
  EXPECT_TRUE(PatBlt(dst.dc, 0, 0, 2, 2, BLACKNESS));
  EXPECT_EQ(dst.At(1, 1), 0u);
  // Pattern operations take the brush pixel under each destination pixel.
  HBRUSH hatch = CreateHatchBrush(HS_VERTICAL, RGB(0, 0, 255));
  HGDIOBJ oldBrush = SelectObject(dst.dc, hatch);
  SetBkColor(dst.dc, RGB(0, 255, 0));
  EXPECT_TRUE(PatBlt(dst.dc, 0, 8, 10, 2, PATCOPY));
  EXPECT_EQ(dst.At(7, 8), RGB(0, 0, 255));
  EXPECT_EQ(dst.At(6, 8), RGB(0, 255, 0));
  EXPECT_TRUE(PatBlt(dst.dc, 0, 8, 10, 2, PATINVERT));  // xor with itself: black
  EXPECT_EQ(dst.At(7, 9), 0u);
  EXPECT_EQ(dst.At(2, 9), 0u);
  SelectObject(dst.dc, oldBrush);
  DeleteObject(hatch);
  // GetDIBits reads bottom-up rows.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 10;
  bi.bmiHeader.biHeight = 10;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> px(100);
  SelectObject(src.dc, src.old);
  EXPECT_EQ(GetDIBits(src.dc, src.bm, 0, 10, px.data(), &bi, DIB_RGB_COLORS), 10);
  EXPECT_EQ(px[(9 - 3) * 10 + 2] & 0xFFFFFF, 0x0A141Eu);
  src.old = SelectObject(src.dc, src.bm);
  // A bottom-up 32-bit section: its first row in memory is the bottom line.
  bi.bmiHeader.biHeight = 4;
  bi.bmiHeader.biWidth = 3;
  void* bits = nullptr;
  HBITMAP sec = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(sec, nullptr);
  static_cast<std::uint32_t*>(bits)[1] = 0x00112233;
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, sec);
  EXPECT_EQ(GetPixel(mem, 1, 3), RGB(0x11, 0x22, 0x33));
  SetPixel(mem, 2, 0, RGB(1, 2, 3));
  EXPECT_EQ(static_cast<std::uint32_t*>(bits)[3 * 3 + 2] & 0xFFFFFF, 0x010203u);
  SelectObject(mem, old);
  DeleteObject(sec);
  DeleteDC(mem);
  bi.bmiHeader.biBitCount = 24;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
}

// A plain copy takes a shortcut between raster contexts; it must leave every
// pixel as the general combination does (StretchBlt at the same size):
// clipped, offset, mapped, reaching outside the source or the destination.
TEST(GdiBlt, PlainCopyMatchesTheGeneralCombination) {
  struct Case {
    const char* what;
    int x, y, w, h, xs, ys;
    bool clip;
    bool mapped;  // destination origin moved by a viewport offset
  } cases[] = {
      {"whole", 0, 0, 16, 12, 0, 0, false, false},
      {"offset", 3, 2, 7, 5, 4, 1, false, false},
      {"clipped", 0, 0, 16, 12, 0, 0, true, false},
      {"past the destination", 10, 8, 12, 9, 0, 0, true, false},
      {"past the source", 0, 0, 10, 10, 9, 5, false, false},
      {"mapped", 1, 1, 8, 6, 2, 2, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Canvas src(16, 12), fast(16, 12), general(16, 12);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) SetPixel(src.dc, x, y, RGB(x * 15, y * 20, (x * y) & 0xFF));
    for (Canvas* d : {&fast, &general}) {
      if (c.clip) {
        HRGN r = CreateRectRgn(2, 1, 11, 9);
        HRGN r2 = CreateRectRgn(12, 3, 15, 11);
        CombineRgn(r, r, r2, RGN_OR);
        SelectClipRgn(d->dc, r);
        DeleteObject(r);
        DeleteObject(r2);
      }
      if (c.mapped) SetViewportOrgEx(d->dc, 2, 1, nullptr);
    }
    EXPECT_TRUE(BitBlt(fast.dc, c.x, c.y, c.w, c.h, src.dc, c.xs, c.ys, SRCCOPY));
    EXPECT_TRUE(StretchBlt(general.dc, c.x, c.y, c.w, c.h, src.dc, c.xs, c.ys, c.w, c.h, SRCCOPY));
    EXPECT_EQ(fast.Pixels(), general.Pixels());
  }
}

TEST(GdiBlt, IconsKeepTheirAlpha) {
  KvImage img;
  img.width = 2;
  img.height = 1;
  img.hasAlpha = true;
  img.px = {0xFFFF0000u, 0x00000000u};  // opaque red, then fully transparent
  HICON icon = KvCreateIconFromImage(img);
  Canvas c(8, 8);
  EXPECT_TRUE(DrawIconEx(c.dc, 2, 2, icon, 4, 2, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(c.At(2, 2), RGB(255, 0, 0));
  EXPECT_EQ(c.At(3, 3), RGB(255, 0, 0));
  EXPECT_EQ(c.At(5, 2), kWhite);
  EXPECT_TRUE(DrawIconEx(c.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_MASK));
  EXPECT_EQ(c.At(0, 0), 0u);
  EXPECT_EQ(c.At(1, 0), kWhite);
  KvDestroyIcon(icon);
  EXPECT_FALSE(DrawIconEx(c.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_FALSE(DrawIcon(nullptr, 0, 0, icon));
}

TEST(GdiRaster, ContextInErrorIsMadeAgain) {
  Canvas c(8, 8);
  cairo_t* cr = KvGetDCCairo(c.dc);
  ASSERT_NE(cr, nullptr);
  cairo_scale(cr, 0, 0);  // puts the context into an error state
  EXPECT_NE(cairo_status(cr), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(SetPixel(c.dc, 1, 1, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(c.At(1, 1), RGB(1, 2, 3));
}

TEST(GdiMisc, MulDivLineDdaAndCaps) {
  EXPECT_EQ(MulDiv(8, 96, 72), 11);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  std::vector<POINT> pts;
  LineDDA(0, 0, 4, 2, [](int x, int y, LPARAM p) { reinterpret_cast<std::vector<POINT>*>(p)->push_back({x, y}); },
          reinterpret_cast<LPARAM>(&pts));
  ASSERT_EQ(pts.size(), 4u);
  EXPECT_EQ(pts.back().x, 3);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, TECHNOLOGY), DT_RASDISPLAY);
  ReleaseDC(nullptr, screen);
}

TEST(GdiCoordinates, MapModesAndTransforms) {
  Canvas c(400, 400);
  struct Case {
    int mode;
    POINT logical, device;
  } cases[] = {
      {MM_TEXT, {7, 9}, {7, 9}},
      {MM_LOMETRIC, {254, -254}, {96, 96}},
      {MM_HIENGLISH, {1000, -500}, {96, 48}},
      {MM_TWIPS, {1440, -720}, {96, 48}},
  };
  for (const Case& k : cases) {
    SetMapMode(c.dc, k.mode);
    POINT p = k.logical;
    LPtoDP(c.dc, &p, 1);
    EXPECT_EQ(p.x, k.device.x) << k.mode;
    EXPECT_EQ(p.y, k.device.y) << k.mode;
    DPtoLP(c.dc, &p, 1);
    EXPECT_EQ(p.x, k.logical.x) << k.mode;
  }
  SetMapMode(c.dc, MM_ANISOTROPIC);
  SetWindowExtEx(c.dc, 100, 100, nullptr);
  SetViewportExtEx(c.dc, 200, -200, nullptr);
  SetViewportOrgEx(c.dc, 10, 300, nullptr);
  POINT p{50, 50};
  LPtoDP(c.dc, &p, 1);
  EXPECT_EQ(p.x, 110);
  EXPECT_EQ(p.y, 200);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  Rectangle(c.dc, 0, 0, 20, 20);  // device 10..50 x 260..300
  EXPECT_EQ(c.At(0, 10), 0u);  // logical (0, 10) is device (10, 280)
  RECT box;
  GetClipBox(c.dc, &box);
  EXPECT_EQ(box.left, -5);
  EXPECT_EQ(box.top, -50);
  // Isotropic mode keeps the aspect: the smaller scale wins.
  SetMapMode(c.dc, MM_ISOTROPIC);
  SetWindowExtEx(c.dc, 100, 100, nullptr);
  SetViewportExtEx(c.dc, 400, 200, nullptr);
  SIZE v;
  GetViewportExtEx(c.dc, &v);
  EXPECT_EQ(v.cx, 200);
  EXPECT_EQ(v.cy, 200);
  // Arcs run counter-clockwise on the device whatever the mapping: from the
  // right (3 o'clock) to the top, through the upper right quarter.
  SetMapMode(c.dc, MM_TEXT);
  SetViewportOrgEx(c.dc, 0, 0, nullptr);
  RECT white{0, 0, 400, 400};
  FillRect(c.dc, &white, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  SetMapMode(c.dc, MM_ANISOTROPIC);
  SetWindowExtEx(c.dc, 1, 1, nullptr);
  SetViewportExtEx(c.dc, 1, -1, nullptr);
  SetViewportOrgEx(c.dc, 0, 400, nullptr);  // y up
  Arc(c.dc, 100, 300, 300, 100, 300, 200, 200, 300);  // logical y up: (200, 300) is the top
  auto inked = [&](int l, int t, int r, int b) {
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x)
        if (GetPixel(c.dc, x, y) == 0) return true;
    return false;
  };
  EXPECT_TRUE(inked(240, 240, 300, 300));  // upper right
  EXPECT_FALSE(inked(100, 100, 160, 160));  // lower left
  SetMapMode(c.dc, MM_TEXT);
  SetViewportOrgEx(c.dc, 0, 0, nullptr);
  // World transforms need the advanced mode.
  XFORM twice{2, 0, 0, 2, 5, 0};
  EXPECT_FALSE(SetWorldTransform(c.dc, &twice));
  SetGraphicsMode(c.dc, GM_ADVANCED);
  EXPECT_TRUE(SetWorldTransform(c.dc, &twice));
  XFORM flat{1, 2, 2, 4, 0, 0}, bad{std::nanf(""), 0, 0, 1, 0, 0};
  EXPECT_FALSE(SetWorldTransform(c.dc, &flat));
  EXPECT_FALSE(SetWorldTransform(c.dc, &bad));
  p = {10, 10};
  LPtoDP(c.dc, &p, 1);
  EXPECT_EQ(p.x, 25);
  EXPECT_EQ(p.y, 20);
}

TEST(GdiSinks, RecordingSinkLogsCalls) {
  auto sink = std::make_unique<KvRecordingSink>();
  KvRecordingSink* log = sink.get();
  HDC dc = KvCreateDCOnSink(std::move(sink));
  HPEN pen = CreatePen(PS_DASH, 1, RGB(255, 0, 0));
  SelectObject(dc, pen);
  Rectangle(dc, 10, 10, 50, 40);
  TextOutW(dc, 1, 2, u"ab", 2);
  ASSERT_EQ(log->Log().size(), 3u);
  EXPECT_EQ(log->Log()[0], "SelectObject(pen 0x1 1 #ff0000)");
  EXPECT_EQ(log->Log()[1], "Rectangle(10,10,50,40)");
  EXPECT_EQ(log->Log()[2], "ExtTextOut(1,2,\"ab\")");
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  DeleteDC(dc);
}

}  // namespace
