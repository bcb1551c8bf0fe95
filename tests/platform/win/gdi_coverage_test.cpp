// Curved figures drawn again from the coverage kept of their first drawing
// give exactly the pixels of figures scan-converted anew, whatever the pen,
// brush, clip, mapping or mix mode.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "win/gdisink.h"
#include "win/wingdi.h"

namespace {

constexpr int kW = 420, kH = 300;

// Every figure of the scene drawn with every pen and brush, each at a few
// places a whole number of pixels apart (a ramp like a soft shadow's, and
// repeats across the picture), some crossing the picture's edges.
void DrawFigures(HDC dc) {
  std::vector<HGDIOBJ> trash;
  auto use = [&](auto o) {
    SelectObject(dc, o);
    trash.push_back(reinterpret_cast<HGDIOBJ>(o));
  };
  LOGBRUSH red{BS_SOLID, RGB(200, 30, 30), 0};
  const HPEN pens[] = {
      CreatePen(PS_SOLID, 1, RGB(0, 0, 160)),
      CreatePen(PS_DASH, 1, RGB(0, 90, 0)),
      CreatePen(PS_DOT, 1, RGB(90, 0, 90)),
      CreatePen(PS_SOLID, 3, RGB(20, 20, 20)),
      CreatePen(PS_INSIDEFRAME, 4, RGB(0, 120, 120)),
      ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_MITER, 5, &red, 0, nullptr),
      ExtCreatePen(PS_GEOMETRIC | PS_DASHDOT | PS_ENDCAP_FLAT | PS_JOIN_BEVEL, 2, &red, 0, nullptr),
      reinterpret_cast<HPEN>(GetStockObject(NULL_PEN)),
  };
  const HBRUSH brushes[] = {
      CreateSolidBrush(RGB(250, 220, 120)),
      CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 200)),
      reinterpret_cast<HBRUSH>(GetStockObject(NULL_BRUSH)),
  };
  for (HPEN o : pens) trash.push_back(reinterpret_cast<HGDIOBJ>(o));
  for (HBRUSH o : brushes) trash.push_back(reinterpret_cast<HGDIOBJ>(o));
  SetBkColor(dc, RGB(255, 255, 190));
  int slot = 0;
  for (HPEN pen : pens) {
    for (HBRUSH brush : brushes) {
      SelectObject(dc, pen);
      SelectObject(dc, brush);
      SetBkMode(dc, slot % 2 ? OPAQUE : TRANSPARENT);
      const int x = (slot % 8) * 52 - 10, y = (slot / 8) * 60 - 8;
      for (int step = 0; step < 4; ++step) {
        const int d = 3 - step;
        switch (slot % 5) {
          case 0: Ellipse(dc, x + d, y + d, x + 37 + d, y + 27 + d); break;
          case 1: RoundRect(dc, x + d, y + d, x + 40 + d, y + 30 + d, 14, 10); break;
          case 2: Pie(dc, x + d, y + d, x + 36 + d, y + 36 + d, x + 40 + d, y + d, x + d, y + 18 + d); break;
          case 3: Chord(dc, x + d, y + d, x + 33 + d, y + 25 + d, x + 33 + d, y + d, x + d, y + 25 + d); break;
          default: Arc(dc, x + d, y + d, x + 35 + d, y + 35 + d, x + 35 + d, y + d, x + d, y + d); break;
        }
      }
      ++slot;
    }
  }
  // Many sizes of one figure, more than are kept, then the first ones again.
  use(CreatePen(PS_SOLID, 1, RGB(10, 10, 10)));
  use(CreateSolidBrush(RGB(160, 200, 255)));
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < 90; ++i) Ellipse(dc, 5 + i * 4, 230 + pass * 4, 12 + i * 4 + i % 7, 240 + pass * 4 + i % 5);
  // Through a clip, through a scaling map and a rotation, and in a mix mode.
  HRGN clip = CreateEllipticRgn(60, 60, 300, 220);
  SelectClipRgn(dc, clip);
  DeleteObject(clip);
  for (int d = 0; d < 5; ++d) RoundRect(dc, 50 + d * 40, 50 + d, 120 + d * 40, 110 + d, 20, 20);
  SelectClipRgn(dc, nullptr);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 3, 3, nullptr);
  SetViewportExtEx(dc, 2, 2, nullptr);
  for (int d = 0; d < 6; ++d) Ellipse(dc, 30 + d * 3, 300 + d * 3, 90 + d * 3, 345 + d * 3);
  SetMapMode(dc, MM_TEXT);
  SetGraphicsMode(dc, GM_ADVANCED);
  XFORM turn{std::cos(0.4f), std::sin(0.4f), -std::sin(0.4f), std::cos(0.4f), 250, 150};
  SetWorldTransform(dc, &turn);
  for (int d = 0; d < 4; ++d) Ellipse(dc, d, d, 40 + d, 24 + d);
  ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
  SetGraphicsMode(dc, GM_COMPATIBLE);
  SetROP2(dc, R2_XORPEN);
  for (int d = 0; d < 4; ++d) Ellipse(dc, 300 + d * 2, 200 + d * 2, 340 + d * 2, 230 + d * 2);
  SetROP2(dc, R2_COPYPEN);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  for (HGDIOBJ o : trash) DeleteObject(o);
}

std::vector<std::uint32_t> Render(bool cache) {
  KvSetCoverageCache(cache);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(dc, kW, kH);
  HGDIOBJ old = SelectObject(dc, bm);
  RECT all{0, 0, kW, kH};
  FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawFigures(dc);
  cairo_surface_t* s = KvGetBitmapSurface(bm);
  cairo_surface_flush(s);
  const int stride = cairo_image_surface_get_stride(s);
  std::vector<std::uint32_t> px;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      px.push_back(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) + y * stride)[x] & 0xFFFFFF);
  SelectObject(dc, old);
  DeleteObject(bm);
  DeleteDC(dc);
  KvSetCoverageCache(true);
  return px;
}

TEST(GdiCoverage, KeptCoverageDrawsTheSamePixels) {
  const std::vector<std::uint32_t> fresh = Render(false), kept = Render(true);
  ASSERT_EQ(fresh.size(), kept.size());
  int differ = 0, firstX = -1, firstY = -1, drawn = 0;
  for (std::size_t i = 0; i < fresh.size(); ++i) {
    if (fresh[i] != 0xFFFFFF) ++drawn;
    if (fresh[i] != kept[i] && differ++ == 0) {
      firstX = int(i % kW);
      firstY = int(i / kW);
    }
  }
  EXPECT_GT(drawn, kW * kH / 5);  // the scene covers the picture
  EXPECT_EQ(differ, 0) << "first different pixel at " << firstX << ", " << firstY;
}

}  // namespace
