// Plain one-line texts are itemized and shaped directly, the others through a
// pango layout; the short way must give the layout's advances and glyphs to
// the pixel, in every face, weight, slant, size, mapping and angle.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "win/gdisink.h"
#include "win/wingdi.h"

namespace {

constexpr int kW = 640, kH = 560;

std::u16string Latin1() {
  std::u16string s;
  for (char16_t c = 0xA0; c <= 0xFF; ++c)
    if (c != 0xAD) s += c;
  return s;
}

std::u16string Ascii() {
  std::u16string s;
  for (char16_t c = 0x20; c <= 0x7E; ++c) s += c;
  return s;
}

// Plain texts (letters that kern or join in other settings, spaces at either
// end, one letter, digits, all of printable ASCII and Latin-1) and, for the
// layout's own cases beside them, texts that are not plain.
const std::vector<std::u16string>& Texts() {
  static const std::vector<std::u16string> t = {u"Customer order line",
                                                u"AVATAR To Wa fi ffl",
                                                u"  spaced  ",
                                                u"W",
                                                u"1234567890",
                                                Ascii(),
                                                Latin1(),
                                                u"\u00e9t\u00e9 \u00c5ngstr\u00f6m",
                                                u"tab\there",
                                                u"soft\u00adhyphen",
                                                u"\u05e9\u05dc\u05d5\u05dd abc",
                                                u"\u2013 dash \u20ac",
                                                u"line\r\nnext"};
  return t;
}

struct Face {
  const char16_t* name;
  int height, weight;
  bool italic;
  int escapement;
};
const Face kFaces[] = {{u"Arial", -11, FW_NORMAL, false, 0},          {u"Arial", -15, FW_BOLD, true, 0},
                       {u"Times New Roman", 16, FW_NORMAL, false, 0}, {u"Courier New", -12, FW_NORMAL, false, 0},
                       {u"DejaVu Sans", -9, FW_NORMAL, false, 0},     {u"Arial", -12, FW_NORMAL, false, 300}};

HFONT MakeFont(const Face& f) {
  LOGFONTW lf{};
  lf.lfHeight = f.height;
  lf.lfWeight = f.weight;
  lf.lfItalic = f.italic;
  lf.lfEscapement = lf.lfOrientation = f.escapement;
  for (int i = 0; f.name[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = f.name[i];
  return CreateFontIndirectW(&lf);
}

struct Drawn {
  std::vector<std::vector<int>> advances;  // partial extents of every text in every face
  std::vector<std::uint32_t> pixels;
};

Drawn Render(bool direct) {
  KvSetDirectShaping(direct);
  Drawn out;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(dc, kW, kH);
  HGDIOBJ old = SelectObject(dc, bm);
  RECT all{0, 0, kW, kH};
  FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = GetCurrentObject(dc, OBJ_FONT);
  int y = 4;
  for (int pass = 0; pass < 2; ++pass) {
    // The second pass under a scaled mapping: fonts realised at other sizes.
    if (pass == 1) {
      SetMapMode(dc, MM_ANISOTROPIC);
      SetWindowExtEx(dc, 100, 100, nullptr);
      SetViewportExtEx(dc, 130, 120, nullptr);
      y = 4;
    }
    const int x0 = pass == 0 ? 4 : 250;
    for (const Face& face : kFaces) {
      HFONT font = MakeFont(face);
      SelectObject(dc, font);
      for (std::size_t i = 0; i < Texts().size(); ++i) {
        const std::u16string& t = Texts()[i];
        const int n = int(t.size());
        std::vector<int> dx(t.size(), 0);
        SIZE size{};
        int fit = 0;
        GetTextExtentExPointW(dc, t.data(), n, 0, &fit, dx.data(), &size);
        dx.push_back(size.cx);
        dx.push_back(size.cy);
        out.advances.push_back(dx);
        const int x = x0 + int(i % 3) * 60;
        ExtTextOutW(dc, x, y, 0, nullptr, t.data(), UINT(n), nullptr);
        // Centred and clipped to a box narrower than most texts.
        RECT box{x + 10, y + 12, x + 70, y + 26};
        DrawTextW(dc, t.data(), n, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (i % 3 == 2) y += 10;
      }
      y += 6;
      SelectObject(dc, oldFont);
      DeleteObject(font);
    }
  }
  cairo_surface_t* s = KvGetBitmapSurface(bm);
  cairo_surface_flush(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int py = 0; py < kH; ++py)
    for (int px = 0; px < kW; ++px)
      out.pixels.push_back(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) + py * stride)[px] &
                           0xFFFFFF);
  SelectObject(dc, old);
  DeleteObject(bm);
  DeleteDC(dc);
  KvSetDirectShaping(true);
  return out;
}

TEST(GdiShaping, PlainTextsShapedDirectlyMatchTheLayout) {
  const Drawn layout = Render(false), direct = Render(true);
  ASSERT_EQ(layout.advances.size(), direct.advances.size());
  for (std::size_t i = 0; i < layout.advances.size(); ++i)
    EXPECT_EQ(layout.advances[i], direct.advances[i])
        << "face " << i / Texts().size() << ", text " << i % Texts().size();
  ASSERT_EQ(layout.pixels.size(), direct.pixels.size());
  int differ = 0, firstX = -1, firstY = -1, inked = 0;
  for (std::size_t i = 0; i < layout.pixels.size(); ++i) {
    if (layout.pixels[i] != 0xFFFFFF) ++inked;
    if (layout.pixels[i] != direct.pixels[i] && differ++ == 0) {
      firstX = int(i % kW);
      firstY = int(i / kW);
    }
  }
  EXPECT_GT(inked, kW * kH / 20);  // the texts are drawn
  EXPECT_EQ(differ, 0) << "first different pixel at " << firstX << ", " << firstY;
}

}  // namespace
