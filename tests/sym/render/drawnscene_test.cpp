// A scene of shapes and labels drawn through the device context and through
// the canvas, compared pixel for pixel with the picture committed beside this
// test. Caching and other speed-ups in the drawing path must change nothing
// that is drawn: any difference fails, and the picture drawn is kept in the
// folder named by KV_KEEP_PICTURES (when set) to compare by eye.
//
// KV_WRITE_SCENE=1 rewrites the committed picture (only after a change that
// is meant to alter the drawing).
#include <cairo.h>

#include <cstdlib>
#include <string>

#include "support/canvas_fixture.h"
#include "support/temp_files.h"
#include "win/wingdi.h"

namespace {

constexpr int kW = 480, kH = 360;

HFONT MakeFont(const char16_t* face, int height, int weight = FW_NORMAL, bool italic = false, bool underline = false,
               int escapement = 0) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfItalic = italic;
  lf.lfUnderline = underline;
  lf.lfEscapement = lf.lfOrientation = escapement;
  for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  return CreateFontIndirectW(&lf);
}

// Rectangles, ellipses and labels through the device context, with the same
// label drawn more than once and fonts switched back and forth.
void DrawDcPart(HDC dc) {
  HPEN pens[3] = {CreatePen(PS_SOLID, 1, RGB(0, 0, 0)), CreatePen(PS_DASH, 1, RGB(200, 0, 0)),
                  CreatePen(PS_SOLID, 3, RGB(0, 90, 160))};
  HBRUSH brushes[3] = {CreateSolidBrush(RGB(120, 200, 255)), CreateHatchBrush(HS_DIAGCROSS, RGB(0, 128, 0)),
                       CreateSolidBrush(RGB(255, 240, 200))};
  HFONT fonts[4] = {MakeFont(u"Arial", -11), MakeFont(u"Arial", -13, FW_BOLD, true, true),
                    MakeFont(u"Times New Roman", 16), MakeFont(u"Arial", -12, FW_NORMAL, false, false, 900)};
  HGDIOBJ oldPen = SelectObject(dc, pens[0]), oldBrush = SelectObject(dc, brushes[0]),
          oldFont = SelectObject(dc, fonts[0]);
  for (int i = 0; i < 24; ++i) {
    int x = 6 + (i % 6) * 78, y = 6 + (i / 6) * 40;
    SelectObject(dc, pens[i % 3]);
    SelectObject(dc, brushes[(i / 2) % 3]);
    SelectObject(dc, fonts[i % 3]);
    SetBkMode(dc, i % 4 == 3 ? OPAQUE : TRANSPARENT);
    SetBkColor(dc, RGB(255, 255, 0));
    SetTextColor(dc, i % 5 == 0 ? RGB(160, 0, 0) : RGB(0, 0, 0));
    if (i % 4 == 2)
      Ellipse(dc, x, y, x + 70, y + 34);
    else
      Rectangle(dc, x, y, x + 70, y + 34);
    std::u16string label = i % 3 == 0 ? u"Order" : u"Line " + std::u16string(1, char16_t(u'A' + i));
    TextOutW(dc, x + 4, y + 4, label.data(), int(label.size()));
    RECT rc{x, y + 14, x + 70, y + 34};
    std::u16string more = u"fi\tffl \u00e9t\u00e9 long caption";
    DrawTextW(dc, more.data(), int(more.size()), &rc,
              i % 2 ? DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS
                    : DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  SelectObject(dc, fonts[3]);
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 20, 340, u"Upward", 6);
  SelectObject(dc, fonts[0]);
  RECT clip{40, 330, 90, 346};
  ExtTextOutW(dc, 40, 332, ETO_CLIPPED | ETO_OPAQUE, &clip, u"Clipped & opaque", 16, nullptr);
  // A scaled mapping: fonts realised at another device size.
  int oldMode = SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 100, 100, nullptr);
  SetViewportExtEx(dc, 150, 150, nullptr);
  Rectangle(dc, 80, 200, 180, 230);
  TextOutW(dc, 84, 204, u"Scaled label", 12);
  SetMapMode(dc, oldMode);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldFont);
  for (HPEN p : pens) DeleteObject(p);
  for (HBRUSH b : brushes) DeleteObject(b);
  for (HFONT f : fonts) DeleteObject(f);
}

// Labels through the canvas: the style word's alignments, wrapping and
// truncation.
void DrawCanvasPart(SDC& dc) {
  TestCanvas c;
  c.LockOn(dc, {kW, kH});
  const int styles[] = {0x0, 0x22, 0x44, 0x122, 0x1000, 0x2000, 0x1022, 0x2044};
  for (int i = 0; i < 8; ++i) {
    const LONG x = 2000 + (i % 4) * 2800, y = -4600 - (i / 4) * 1300;
    SSymRect r(x, y, x + 2600, y - 1100);
    c.SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0x404040)));
    c.SetBrush(SSymBrush(SSymColor(i % 2 ? 0xE0F0FF : 0xFFF0E0)), 0);
    c.Rectangle(r);
    c.SetFont(SSymFont(SString(i % 2 ? u"Arial" : u"Times New Roman"), 8 + i % 3));
    c.SetFontColor(SSymColor(i % 3 ? 0x000000 : 0x000080));
    c.DrawText(r, SString(u"Customer order line with a long caption\r\nsecond"), styles[i]);
  }
  c.Unlock();
}

}  // namespace

TEST(DrawnScene, SameAsCommittedPicture) {
  RasterDC ras(kW, kH);
  DrawDcPart(ras.dc.GetSafeHdc());
  DrawCanvasPart(ras.dc);
  cairo_surface_t* got = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_surface_flush(got);
  unsigned char* data = cairo_image_surface_get_data(got);
  const int stride = cairo_image_surface_get_stride(got);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const COLORREF c = ras.dc.GetPixel(x, y);
      reinterpret_cast<std::uint32_t*>(data + y * stride)[x] =
          (unsigned(GetRValue(c)) << 16) | (unsigned(GetGValue(c)) << 8) | GetBValue(c);
    }
  cairo_surface_mark_dirty(got);
  const std::string ref = std::string(KV_SOURCE_DIR) + "/tests/sym/render/data/drawnscene.png";
  if (const char* w = std::getenv("KV_WRITE_SCENE"); w && *w == '1') cairo_surface_write_to_png(got, ref.c_str());
  cairo_surface_t* want = cairo_image_surface_create_from_png(ref.c_str());
  ASSERT_EQ(cairo_surface_status(want), CAIRO_STATUS_SUCCESS) << "missing picture " << ref;
  ASSERT_EQ(cairo_image_surface_get_width(want), kW);
  ASSERT_EQ(cairo_image_surface_get_height(want), kH);
  const unsigned char* wd = cairo_image_surface_get_data(want);
  const int ws = cairo_image_surface_get_stride(want);
  int differing = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const std::uint32_t a = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFF;
      const std::uint32_t b = reinterpret_cast<const std::uint32_t*>(wd + y * ws)[x] & 0xFFFFFF;
      if (a != b && differing++ == 0) {
        firstX = x;
        firstY = y;
      }
    }
  const std::filesystem::path keep = differing ? kvtest::KeepFolder() : std::filesystem::path();
  if (!keep.empty()) cairo_surface_write_to_png(got, (keep / "drawnscene-actual.png").c_str());
  EXPECT_EQ(differing, 0) << "first at " << firstX << "," << firstY << "; "
                          << (keep.empty() ? "set KV_KEEP_PICTURES to a folder to keep the drawn picture"
                                           : "drawn picture in " + keep.string());
  cairo_surface_destroy(want);
  cairo_surface_destroy(got);
}
