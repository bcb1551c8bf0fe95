// GDI+ calls: lines, curves and arcs on contexts and bitmaps; bitmaps from DC
// bitmaps, icons, files and metafiles; pixel reads; PNG encoding.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "win/gdiplus.h"
#include "win/gdisink.h"
#include "win/imageicon.h"

#include "support/raster_fixture.h"
#include "support/temp_files.h"

using namespace Gdiplus;

namespace {

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Pixels of a row that are neither white nor the pure pen colour.
int Blended(HDC dc, int y, int x0, int x1, COLORREF pen) {
  int n = 0;
  for (int x = x0; x < x1; ++x) {
    const COLORREF c = GetPixel(dc, x, y);
    if (c != RGB(255, 255, 255) && c != pen) ++n;
  }
  return n;
}

}  // namespace

TEST(GdiplusGraphics, AntiAliasedLinesBlendAndPlainLinesDoNot) {
  for (SmoothingMode mode : {SmoothingModeHighQuality, SmoothingModeNone}) {
    Raster r(60, 60);
    Graphics g(r.dc);
    ASSERT_EQ(g.SetSmoothingMode(mode), Ok);
    Pen pen(Color(255, 0, 0, 0), 1.0f);
    ASSERT_EQ(g.DrawLine(&pen, 5.0f, 5.0f, 55.0f, 30.0f), Ok);
    int ink = 0;
    for (int x = 0; x < 60; ++x)
      for (int y = 0; y < 60; ++y)
        if (GetPixel(r.dc, x, y) != RGB(255, 255, 255)) ++ink;
    EXPECT_GT(ink, 40);
    int blended = 0;
    for (int y = 0; y < 60; ++y) blended += Blended(r.dc, y, 0, 60, RGB(0, 0, 0));
    if (mode == SmoothingModeHighQuality) {
      EXPECT_GT(blended, 10);
    } else {
      EXPECT_EQ(blended, 0);
    }
  }
}

TEST(GdiplusGraphics, ArcsBeziersAndDashesLandWhereExpected) {
  Raster r(100, 100);
  Graphics g(r.dc);
  g.SetSmoothingMode(SmoothingModeNone);
  Pen pen(Color(255, 0, 0, 255), 3.0f);
  // A quarter from 0 degrees clockwise to 90: the right and bottom of the circle.
  ASSERT_EQ(g.DrawArc(&pen, 10.0f, 10.0f, 80.0f, 80.0f, 0.0f, 90.0f), Ok);
  EXPECT_EQ(GetPixel(r.dc, 50, 89), RGB(0, 0, 255));  // bottom
  EXPECT_EQ(GetPixel(r.dc, 89, 50), RGB(0, 0, 255));  // right
  EXPECT_EQ(GetPixel(r.dc, 50, 10), RGB(255, 255, 255));  // top: not in the sweep
  EXPECT_EQ(GetPixel(r.dc, 10, 50), RGB(255, 255, 255));  // left
  const PointF bez[4] = {{10, 95}, {30, 95}, {70, 95}, {90, 95}};
  ASSERT_EQ(g.DrawBeziers(&pen, bez, 4), Ok);
  EXPECT_EQ(GetPixel(r.dc, 50, 95), RGB(0, 0, 255));
  // Bad counts are refused.
  EXPECT_EQ(g.DrawBeziers(&pen, bez, 3), InvalidParameter);
  EXPECT_EQ(g.DrawLines(&pen, bez, 1), InvalidParameter);
  EXPECT_EQ(g.DrawLine(nullptr, 0.0f, 0.0f, 1.0f, 1.0f), InvalidParameter);
  // A dashed line has gaps.
  Raster d(100, 10);
  Graphics gd(d.dc);
  Pen dash(Color(255, 0, 0, 0), 2.0f);
  dash.SetDashStyle(DashStyleDash);
  gd.DrawLine(&dash, 0.0f, 5.0f, 100.0f, 5.0f);
  int on = 0;
  for (int x = 0; x < 100; ++x)
    if (GetPixel(d.dc, x, 5) == RGB(0, 0, 0)) ++on;
  EXPECT_GT(on, 60);
  EXPECT_LT(on, 90);
}

TEST(GdiplusGraphics, RecordingContextsGetEquivalentGdiCalls) {
  auto sink = std::make_unique<KvRecordingSink>();
  KvRecordingSink* log = sink.get();
  HDC dc = KvCreateDCOnSink(std::move(sink));
  ASSERT_NE(dc, nullptr);
  {
    Graphics g(dc);
    Pen pen(Color(255, 255, 0, 0), 2.0f);
    EXPECT_EQ(g.DrawLine(&pen, 1.0f, 2.0f, 30.0f, 40.0f), Ok);
    const PointF bez[4] = {{0, 0}, {10, 0}, {20, 10}, {30, 10}};
    EXPECT_EQ(g.DrawBeziers(&pen, bez, 4), Ok);
    EXPECT_EQ(g.DrawArc(&pen, 0.0f, 0.0f, 20.0f, 20.0f, 0.0f, 90.0f), Ok);
  }
  std::string all;
  for (const std::string& line : log->Log()) all += line + "\n";
  EXPECT_NE(all.find("Polyline"), std::string::npos) << all;
  EXPECT_NE(all.find("PolyBezier"), std::string::npos) << all;
  EXPECT_NE(all.find("Arc"), std::string::npos) << all;
  DeleteDC(dc);
}

TEST(GdiplusBitmap, FromDcBitmapsIconsAndPixelReads) {
  Raster r(20, 10);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT rc{5, 2, 10, 6};
  FillRect(r.dc, &rc, red);
  DeleteObject(Obj(red));
  SelectObject(r.dc, r.old);  // a bitmap is read while not selected
  Bitmap b(r.bm, nullptr);
  ASSERT_EQ(b.GetLastStatus(), Ok);
  EXPECT_EQ(b.GetWidth(), 20u);
  EXPECT_EQ(b.GetHeight(), 10u);
  EXPECT_EQ(b.GetPixelFormat(), PixelFormat32bppRGB);
  Color c;
  ASSERT_EQ(b.GetPixel(6, 3, &c), Ok);
  EXPECT_EQ(c.GetValue(), 0xFFFF0000u);
  ASSERT_EQ(b.GetPixel(0, 0, &c), Ok);
  EXPECT_EQ(c.GetValue(), 0xFFFFFFFFu);
  EXPECT_EQ(b.GetPixel(20, 0, &c), InvalidParameter);
  EXPECT_EQ(b.GetPixel(0, -1, &c), InvalidParameter);
  r.old = SelectObject(r.dc, Obj(r.bm));

  KvImage im;
  im.width = 2;
  im.height = 1;
  im.px = {0x80FF0000u, 0x00000000u};
  im.hasAlpha = true;
  HICON icon = KvCreateIconFromImage(im);
  Bitmap fromIcon(icon);
  ASSERT_EQ(fromIcon.GetLastStatus(), Ok);
  ASSERT_EQ(fromIcon.GetPixel(0, 0, &c), Ok);
  EXPECT_EQ(c.GetA(), 0x80);
  EXPECT_GE(c.GetR(), 0xFE);
  fromIcon.GetPixel(1, 0, &c);
  EXPECT_EQ(c.GetA(), 0);
  EXPECT_TRUE(KvDestroyIcon(icon));
  EXPECT_FALSE(KvDestroyIcon(icon));

  // Bad sources leave a bitmap whose status says so.
  Bitmap none(static_cast<HBITMAP>(nullptr), nullptr);
  EXPECT_EQ(none.GetLastStatus(), InvalidParameter);
  EXPECT_EQ(none.GetWidth(), 0u);
  Bitmap stale(icon);
  EXPECT_EQ(stale.GetLastStatus(), InvalidParameter);
  GpBitmap* out = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromHICON(icon, &out), InvalidParameter);
  EXPECT_EQ(out, nullptr);
}

TEST(GdiplusBitmap, PngFilesAreDeterministicAndReadBack) {
  Bitmap b(16, 8);
  Graphics g(&b);
  g.Clear(Color(255, 255, 255, 255));
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  Pen pen(Color(200, 0, 128, 0), 2.0f);
  g.DrawLine(&pen, 0.0f, 0.0f, 16.0f, 8.0f);
  CLSID png{};
  ASSERT_TRUE(GetEncoderClsid(u"image/png", &png));
  EXPECT_EQ(png, CLSID_PngEncoder);
  EXPECT_FALSE(GetEncoderClsid(u"image/x-none", nullptr));
  UINT n = 0, size = 0;
  ASSERT_EQ(GetImageEncodersSize(&n, &size), Ok);
  std::vector<std::uint8_t> buf(size);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(buf.data());
  ASSERT_EQ(GetImageEncoders(n, size, codecs), Ok);
  EXPECT_EQ(std::u16string(codecs[1].MimeType), u"image/png");

  kvtest::TempDir dir("gdip");
  const std::string p1 = (dir.path / "a.png").string(), p2 = (dir.path / "b.png").string();
  ASSERT_EQ(b.Save(Wide(p1).c_str(), &png), Ok);
  ASSERT_EQ(b.Save(Wide(p2).c_str(), &png), Ok);
  auto read = [](const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  };
  EXPECT_EQ(read(p1), read(p2));
  Bitmap back(Wide(p1).c_str());
  ASSERT_EQ(back.GetLastStatus(), Ok);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      Color a, c;
      b.GetPixel(x, y, &a);
      back.GetPixel(x, y, &c);
      EXPECT_EQ(a.GetValue(), c.GetValue()) << x << "," << y;
    }
  EXPECT_EQ(b.Save(u"/nonexistent/dir/x.png", &png), Win32Error);

  Bitmap missing(u"/nonexistent/x.png");
  EXPECT_EQ(missing.GetLastStatus(), FileNotFound);
  const char junk[] = "\x89PNG\r\n\x1a\nnot really";
  Bitmap bad(junk, sizeof junk);
  EXPECT_EQ(bad.GetLastStatus(), UnknownImageFormat);
  EXPECT_EQ(bad.GetLastStatus(), Ok);  // read and reset
}

TEST(GdiplusMetafile, RendersIntoABitmapWithTransparentBackground) {
  HDC screen = GetDC(nullptr);
  const RECT frame{0, 0, MulDiv(40, GetDeviceCaps(screen, HORZSIZE) * 100, GetDeviceCaps(screen, HORZRES)),
                   MulDiv(20, GetDeviceCaps(screen, VERTSIZE) * 100, GetDeviceCaps(screen, VERTRES))};
  ReleaseDC(nullptr, screen);
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  HGDIOBJ old = SelectObject(rec, Obj(blue));
  Rectangle(rec, 0, 0, 40, 20);
  SelectObject(rec, old);
  DeleteObject(Obj(blue));
  HENHMETAFILE emf = CloseEnhMetaFile(rec);
  ASSERT_NE(emf, nullptr);
  GpMetafile* mf = nullptr;
  ASSERT_EQ(GdipCreateMetafileFromEmf(emf, FALSE, &mf), Ok);
  EXPECT_EQ(mf->GetWidth(), 40u);
  EXPECT_EQ(mf->GetHeight(), 20u);
  Bitmap bmp(80, 40);
  Graphics g(&bmp);
  ASSERT_EQ(g.DrawImage(mf, 0, 0, 80, 40), Ok);
  Color c;
  bmp.GetPixel(40, 20, &c);
  EXPECT_EQ(c.GetValue(), 0xFF0000FFu);
  bmp.GetPixel(0, 10, &c);  // the outline: a cosmetic pen stays one pixel wide
  EXPECT_EQ(c.GetValue(), 0xFF000000u);
  GdipDisposeImage(mf);
  EXPECT_TRUE(KvIsEnhMetaFile(emf));  // not deleted without deleteEmf
  EXPECT_EQ(GdipCreateMetafileFromEmf(emf, TRUE, &mf), Ok);
  EXPECT_FALSE(KvIsEnhMetaFile(emf));
  // A bitmap straight from the metafile bytes: transparent around the picture.
  const std::vector<std::uint8_t> bytes = KvEnhMetaFileBytes(reinterpret_cast<Metafile*>(mf)->GetHENHMETAFILE());
  Bitmap fromBytes(bytes.data(), bytes.size());
  ASSERT_EQ(fromBytes.GetLastStatus(), Ok);
  EXPECT_EQ(fromBytes.GetWidth(), 40u);
  GdipDisposeImage(mf);
  EXPECT_EQ(GdipCreateMetafileFromEmf(emf, FALSE, &mf), InvalidParameter);  // deleted handle
}

// A metafile whose frame claims a huge size (as a damaged file may) is drawn
// into a bitmap of at most 8 million pixels with its proportions.
TEST(GdiplusMetafile, AHugeFrameIsDrawnSmallerWithItsProportions) {
  HDC screen = GetDC(nullptr);
  const int w = 20000, h = 10000;  // device pixels
  const RECT frame{0, 0, MulDiv(w, GetDeviceCaps(screen, HORZSIZE) * 100, GetDeviceCaps(screen, HORZRES)),
                   MulDiv(h, GetDeviceCaps(screen, VERTSIZE) * 100, GetDeviceCaps(screen, VERTRES))};
  ReleaseDC(nullptr, screen);
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  Rectangle(rec, 0, 0, w, h);
  HENHMETAFILE emf = CloseEnhMetaFile(rec);
  ASSERT_NE(emf, nullptr);
  const std::vector<std::uint8_t> bytes = KvEnhMetaFileBytes(emf);
  DeleteEnhMetaFile(emf);
  Bitmap bmp(bytes.data(), bytes.size());
  ASSERT_EQ(bmp.GetLastStatus(), Ok);
  const std::uint64_t px = std::uint64_t{bmp.GetWidth()} * bmp.GetHeight();
  EXPECT_LE(px, 8u * 1024 * 1024);
  EXPECT_GT(px, 7u * 1024 * 1024);
  EXPECT_NEAR(static_cast<double>(bmp.GetWidth()) / bmp.GetHeight(), 2.0, 0.01);
}

TEST(GdiplusHelpers, PensFollowTheirGdiPenAndIconsDrawBlended) {
  EXTLOGPEN geo{PS_GEOMETRIC | PS_DASH | PS_ENDCAP_SQUARE | PS_JOIN_BEVEL, 4, BS_SOLID, RGB(10, 20, 30), 0, 0, {0}};
  std::unique_ptr<Pen> p(PenFromExtLogPen(geo));
  EXPECT_EQ(p->GetWidth(), 4.0f);
  EXPECT_EQ(p->GetDashStyle(), DashStyleDash);
  EXPECT_EQ(p->GetStartCap(), LineCapSquare);
  EXPECT_EQ(p->GetLineJoin(), LineJoinBevel);
  Color c;
  p->GetColor(&c);
  EXPECT_EQ(c.GetValue(), 0xFF0A141Eu);
  EXTLOGPEN cosmetic{PS_COSMETIC | PS_SOLID, 7, BS_SOLID, 0, 0, 0, {0}};
  std::unique_ptr<Pen> q(PenFromExtLogPen(cosmetic));
  EXPECT_EQ(q->GetWidth(), 1.0f);

  KvImage im;
  im.width = im.height = 2;
  im.px = {0xFFFF0000u, 0x00000000u, 0x800000FFu, 0xFF00FF00u};
  im.hasAlpha = true;
  HICON icon = KvCreateIconFromImage(im);
  Raster r(4, 4);
  ASSERT_TRUE(DrawIconImage(r.dc, 0, 0, 4, 4, icon));
  EXPECT_EQ(GetPixel(r.dc, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(r.dc, 3, 0), RGB(255, 255, 255));  // transparent: the background stays
  EXPECT_EQ(GetPixel(r.dc, 3, 3), RGB(0, 255, 0));
  const COLORREF half = GetPixel(r.dc, 0, 3);
  EXPECT_NEAR(GetRValue(half), 127, 2);
  EXPECT_EQ(GetBValue(half), 255);
  KvDestroyIcon(icon);
  EXPECT_FALSE(DrawIconImage(r.dc, 0, 0, 4, 4, icon));
}

TEST(GdiplusGraphics, PenWidthsAreDevicePixelsOnPdfPages) {
  // 600 pixels per inch: a 12-pixel line is 1.44 points thick.
  kvtest::TempDir dir("gdip");
  const std::string pdf = (dir.path / "line.pdf").string(), png = (dir.path / "line").string();
  HDC dc = KvCreatePdfDC(pdf.c_str(), 200, 100, 600);
  ASSERT_NE(dc, nullptr);
  DOCINFOW di{static_cast<int>(sizeof(DOCINFOW)), u"line", nullptr, nullptr, 0};
  StartDocW(dc, &di);
  StartPage(dc);
  {
    Graphics g(dc);
    Pen pen(Color(255, 0, 0, 0), 12.0f);
    EXPECT_EQ(g.DrawLine(&pen, 100.0f, 400.0f, 1500.0f, 400.0f), Ok);
  }
  EndPage(dc);
  EndDoc(dc);
  DeleteDC(dc);
  // Rendered at 720 pixels per inch the line is about 14 pixels thick.
  ASSERT_EQ(std::system(("pdftoppm -r 720 -gray -png -singlefile '" + pdf + "' '" + png + "' > /dev/null 2>&1").c_str()), 0);
  KvImage im;
  ASSERT_TRUE(KvReadImageFile(png + ".png", im));
  int dark = 0;
  for (int y = 0; y < im.height; ++y)
    if ((im.At(im.width / 2, y) & 0xFF) < 128) ++dark;
  EXPECT_GE(dark, 12);
  EXPECT_LE(dark, 16);
}
