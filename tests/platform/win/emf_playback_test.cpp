// Enhanced metafiles recorded through a device context, written, read back,
// replayed and checked by an outside reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "win/emf.h"
#include "win/emfrecord.h"
#include "win/gdisink.h"

#include "support/raster_fixture.h"
#include "support/temp_files.h"

namespace {

// Pixels that differ between two contexts of w x h, counted in [x0, x1) x [y0, y1).
int Differences(HDC a, HDC b, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (GetPixel(a, x, y) != GetPixel(b, x, y)) ++n;
  return n;
}

// Pixels of a w x h context that are not white.
int Ink(HDC dc, int w, int h) {
  int n = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (GetPixel(dc, x, y) != RGB(255, 255, 255)) ++n;
  return n;
}

constexpr int kW = 240, kH = 160;

// A scene of shapes, pens, hatches, paths, clipping and gradients (no text).
void DrawShapes(HDC dc) {
  const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
  for (int i = 0; i < 5; ++i) {
    HPEN p = CreatePen(styles[i], 1, RGB(200, 0, 40 * i));
    HGDIOBJ old = SelectObject(dc, Obj(p));
    MoveToEx(dc, 5, 5 + 4 * i, nullptr);
    LineTo(dc, 115, 5 + 4 * i);
    SelectObject(dc, old);
    DeleteObject(Obj(p));
  }
  LOGBRUSH lb{BS_SOLID, RGB(0, 90, 0), 0};
  HPEN thick = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER, 3, &lb, 0, nullptr);
  HGDIOBJ oldPen = SelectObject(dc, Obj(thick));
  for (int h = HS_HORIZONTAL; h <= HS_DIAGCROSS; ++h) {
    HBRUSH b = CreateHatchBrush(h, RGB(0, 0, 160));
    HGDIOBJ old = SelectObject(dc, Obj(b));
    Rectangle(dc, 5 + 19 * h, 30, 22 + 19 * h, 50);
    SelectObject(dc, old);
    DeleteObject(Obj(b));
  }
  SelectObject(dc, oldPen);
  DeleteObject(Obj(thick));
  HBRUSH solid = CreateSolidBrush(RGB(250, 200, 0));
  HGDIOBJ oldBrush = SelectObject(dc, Obj(solid));
  Ellipse(dc, 120, 5, 170, 40);
  RoundRect(dc, 175, 5, 235, 40, 12, 12);
  Pie(dc, 120, 45, 160, 85, 160, 65, 140, 45);
  Chord(dc, 165, 45, 205, 85, 205, 65, 165, 65);
  Arc(dc, 205, 45, 235, 75, 235, 60, 205, 60);
  const POINT tri[] = {{10, 60}, {60, 90}, {10, 95}};
  SetPolyFillMode(dc, WINDING);
  Polygon(dc, tri, 3);
  const POINT bez[] = {{65, 60}, {80, 100}, {100, 40}, {115, 90}};
  PolyBezier(dc, bez, 4);
  const POINT zig[] = {{5, 100}, {20, 110}, {35, 100}, {50, 110}};
  Polyline(dc, zig, 4);
  // A path, filled and stroked.
  BeginPath(dc);
  MoveToEx(dc, 60, 100, nullptr);
  LineTo(dc, 110, 100);
  LineTo(dc, 85, 150);
  CloseFigure(dc);
  EndPath(dc);
  StrokeAndFillPath(dc);
  // Clipping inside a saved state.
  SaveDC(dc);
  IntersectClipRect(dc, 130, 100, 170, 130);
  HBRUSH red = CreateSolidBrush(RGB(220, 0, 0));
  SelectObject(dc, Obj(red));
  Ellipse(dc, 120, 90, 180, 150);
  RestoreDC(dc, -1);
  SelectObject(dc, oldBrush);
  DeleteObject(Obj(red));
  DeleteObject(Obj(solid));
  TRIVERTEX v[2] = {{180, 95, 0xFF00, 0, 0, 0}, {235, 150, 0, 0, 0xFF00, 0}};
  GRADIENT_RECT gr{0, 1};
  GradientFill(dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_H);
  SetPixel(dc, 2, 155, RGB(1, 2, 3));
  RECT fill{5, 120, 50, 150};
  FillRect(dc, &fill, reinterpret_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

void DrawText(HDC dc) {
  LOGFONTW lf{};
  lf.lfHeight = -16;
  lf.lfWeight = 400;
  std::u16string face = u"Arial";
  for (std::size_t i = 0; i < face.size(); ++i) lf.lfFaceName[i] = face[i];
  HFONT f = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, Obj(f));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 120));
  const std::u16string text = u"Hello World";
  ExtTextOutW(dc, 10, 10, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  lf.lfEscapement = 900;
  HFONT up = CreateFontIndirectW(&lf);
  SelectObject(dc, Obj(up));
  ExtTextOutW(dc, 200, 150, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  SelectObject(dc, old);
  DeleteObject(Obj(f));
  DeleteObject(Obj(up));
}

// The frame, in 0.01 mm, of w x h pixels of the screen.
RECT FrameOf(int w, int h) {
  HDC screen = GetDC(nullptr);
  const double mmx = GetDeviceCaps(screen, HORZSIZE), pxx = GetDeviceCaps(screen, HORZRES);
  const double mmy = GetDeviceCaps(screen, VERTSIZE), pxy = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
  return RECT{0, 0, static_cast<LONG>(w * mmx * 100 / pxx + 0.5), static_cast<LONG>(h * mmy * 100 / pxy + 0.5)};
}

HENHMETAFILE Recorded(void (*draw)(HDC), const char16_t* file = nullptr) {
  const RECT frame = FrameOf(kW, kH);
  HDC dc = CreateEnhMetaFileW(nullptr, file, &frame, u"test\0scene\0");
  EXPECT_NE(dc, nullptr);
  draw(dc);
  return CloseEnhMetaFile(dc);
}

}  // namespace

TEST(EmfPlayback, ShapesReplayToTheSamePixels) {
  Raster direct(kW, kH), played(kW, kH);
  DrawShapes(direct.dc);
  HENHMETAFILE mf = Recorded(DrawShapes);
  ASSERT_NE(mf, nullptr);
  const RECT rc{0, 0, kW, kH};
  EXPECT_TRUE(PlayEnhMetaFile(played.dc, mf, &rc));
  EXPECT_EQ(Differences(direct.dc, played.dc, 0, 0, kW, kH), 0);
  EXPECT_TRUE(DeleteEnhMetaFile(mf));
}

// Shapes given by a box, drawn under a turning world transform.
void DrawTurnedShapes(HDC dc) {
  const int mode = SetGraphicsMode(dc, GM_ADVANCED);
  const double a = 0.5235987755982988;  // 30 degrees
  const FLOAT c = static_cast<FLOAT>(std::cos(a)), s = static_cast<FLOAT>(std::sin(a));
  const XFORM turn{c, s, -s, c, static_cast<FLOAT>(120 - 120 * c + 80 * s), static_cast<FLOAT>(80 - 120 * s - 80 * c)};
  SetWorldTransform(dc, &turn);
  HBRUSH b = CreateSolidBrush(RGB(0, 160, 0));
  HPEN p = CreatePen(PS_SOLID, 3, RGB(200, 0, 0));
  HGDIOBJ oldBrush = SelectObject(dc, Obj(b)), oldPen = SelectObject(dc, Obj(p));
  Rectangle(dc, 60, 65, 180, 95);  // a wide, low frame: turned, never a thin bar
  Ellipse(dc, 20, 20, 80, 40);
  RoundRect(dc, 150, 110, 220, 140, 16, 16);
  Pie(dc, 150, 10, 210, 60, 210, 35, 180, 10);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(Obj(b));
  DeleteObject(Obj(p));
  const XFORM identity{1, 0, 0, 1, 0, 0};
  SetWorldTransform(dc, &identity);
  SetGraphicsMode(dc, mode);
}

TEST(EmfPlayback, TurnedShapesReplayTurned) {
  Raster direct(kW, kH), played(kW, kH);
  DrawTurnedShapes(direct.dc);
  HENHMETAFILE mf = Recorded(DrawTurnedShapes);
  ASSERT_NE(mf, nullptr);
  const RECT rc{0, 0, kW, kH};
  EXPECT_TRUE(PlayEnhMetaFile(played.dc, mf, &rc));
  const int ink = Ink(direct.dc, kW, kH);
  EXPECT_GT(ink, 4000);
  EXPECT_LE(Differences(direct.dc, played.dc, 0, 0, kW, kH), ink / 100);
  // The frame's turned corner (its top-left, about (81, 38)) is drawn.
  EXPECT_EQ(GetPixel(played.dc, 82, 42), GetPixel(direct.dc, 82, 42));
  EXPECT_NE(GetPixel(played.dc, 82, 42), RGB(255, 255, 255));
  // The target's own mode and transform are as they were.
  EXPECT_EQ(GetGraphicsMode(played.dc), GM_COMPATIBLE);

  // Played twice as large: the shapes and their pens as drawn at scale 2.
  Raster direct2(2 * kW, 2 * kH), played2(2 * kW, 2 * kH);
  SetMapMode(direct2.dc, MM_ANISOTROPIC);
  SetWindowExtEx(direct2.dc, 1, 1, nullptr);
  SetViewportExtEx(direct2.dc, 2, 2, nullptr);
  DrawTurnedShapes(direct2.dc);
  SetMapMode(direct2.dc, MM_TEXT);
  const RECT rc2{0, 0, 2 * kW, 2 * kH};
  EXPECT_TRUE(PlayEnhMetaFile(played2.dc, mf, &rc2));
  const int ink2 = Ink(direct2.dc, 2 * kW, 2 * kH);
  EXPECT_GT(ink2, 3 * ink);
  EXPECT_LE(Differences(direct2.dc, played2.dc, 0, 0, 2 * kW, 2 * kH), ink2 / 50);
  DeleteEnhMetaFile(mf);
}

TEST(EmfPlayback, TextReplaysCloseToDirectDrawing) {
  Raster direct(kW, kH), played(kW, kH);
  DrawText(direct.dc);
  HENHMETAFILE mf = Recorded(DrawText);
  const RECT rc{0, 0, kW, kH};
  EXPECT_TRUE(PlayEnhMetaFile(played.dc, mf, &rc));
  const int ink = Ink(direct.dc, kW, kH);
  EXPECT_GT(ink, 100);
  EXPECT_LE(Differences(direct.dc, played.dc, 0, 0, kW, kH), ink / 20);
  DeleteEnhMetaFile(mf);
}

TEST(EmfPlayback, FrameIsScaledToTheTargetRectangle) {
  HENHMETAFILE mf = Recorded([](HDC dc) {
    HBRUSH b = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ old = SelectObject(dc, Obj(b));
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 40, 40, 81, 81);  // the null pen fills 40..79
    SelectObject(dc, old);
    DeleteObject(Obj(b));
  });
  Raster target(2 * kW, 2 * kH);
  const RECT rc{10, 20, 10 + 2 * kW, 20 + 2 * kH};
  EXPECT_TRUE(PlayEnhMetaFile(target.dc, mf, &rc));
  EXPECT_EQ(GetPixel(target.dc, 10 + 80 + 2, 20 + 80 + 2), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(target.dc, 10 + 158, 20 + 158), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(target.dc, 10 + 78, 20 + 100), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(target.dc, 10 + 162, 20 + 100), RGB(255, 255, 255));
  DeleteEnhMetaFile(mf);
}

TEST(EmfFiles, SameDrawingSameBytesAndOutsideReaderAccepts) {
  kvtest::TempDir dir("emf");
  const std::string path = (dir.path / "scene.emf").string();
  const std::u16string wpath(path.begin(), path.end());
  HENHMETAFILE a = Recorded([](HDC dc) {
    DrawShapes(dc);
    DrawText(dc);
  }, wpath.c_str());
  HENHMETAFILE b = Recorded([](HDC dc) {
    DrawShapes(dc);
    DrawText(dc);
  });
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  const UINT n = GetEnhMetaFileBits(a, 0, nullptr);
  ASSERT_GT(n, 108u);
  std::vector<BYTE> ba(n), bb(GetEnhMetaFileBits(b, 0, nullptr));
  EXPECT_EQ(GetEnhMetaFileBits(a, n - 1, ba.data()), 0u);  // too small a buffer
  ASSERT_EQ(GetEnhMetaFileBits(a, n, ba.data()), n);
  GetEnhMetaFileBits(b, static_cast<UINT>(bb.size()), bb.data());
  EXPECT_EQ(ba, bb);

  // The file holds the same bytes and reads back.
  std::ifstream in(path, std::ios::binary);
  std::vector<BYTE> onDisk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(onDisk, ba);
  EXPECT_TRUE(KvLooksLikeEmf(onDisk.data(), onDisk.size()));
  EXPECT_FALSE(KvLooksLikeWmf(onDisk.data(), onDisk.size()));
  HENHMETAFILE back = GetEnhMetaFileW(wpath.c_str());
  ASSERT_NE(back, nullptr);
  ENHMETAHEADER h{};
  ASSERT_EQ(GetEnhMetaFileHeader(back, sizeof h, &h), sizeof h);
  EXPECT_EQ(h.dSignature, ENHMETA_SIGNATURE);
  EXPECT_EQ(h.nVersion, 0x10000u);
  EXPECT_EQ(h.nBytes, n);
  EXPECT_EQ(h.rclFrame.right, FrameOf(kW, kH).right);
  EXPECT_GT(h.nHandles, 1);
  EXPECT_LE(h.rclBounds.left, 5);  // the bounds hold the drawing
  EXPECT_GE(h.rclBounds.right, 234);
  EXPECT_EQ(GetEnhMetaFileDescriptionW(back, 0, nullptr), 12u);  // "test\0scene\0\0"

  // emf2svg reads it without error.
  const std::string svg = path + ".svg";
  const std::string cmd = "emf2svg-conv -i '" + path + "' -o '" + svg + "' > /dev/null 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream s(svg);
  const std::string text((std::istreambuf_iterator<char>(s)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("<svg"), std::string::npos);
  EXPECT_NE(text.find("Hello World"), std::string::npos);
  for (HENHMETAFILE m : {a, b, back}) DeleteEnhMetaFile(m);
}

TEST(EmfFiles, BadHandlesAndBadBytesFailCleanly) {
  HENHMETAFILE mf = Recorded(DrawShapes);
  std::vector<BYTE> bytes(GetEnhMetaFileBits(mf, 0, nullptr));
  GetEnhMetaFileBits(mf, static_cast<UINT>(bytes.size()), bytes.data());
  const std::size_t live = KvEnhMetaFileCount();
  EXPECT_TRUE(DeleteEnhMetaFile(mf));
  EXPECT_EQ(KvEnhMetaFileCount(), live - 1);
  // A deleted handle.
  Raster r(10, 10);
  const RECT rc{0, 0, 10, 10};
  EXPECT_FALSE(DeleteEnhMetaFile(mf));
  EXPECT_FALSE(PlayEnhMetaFile(r.dc, mf, &rc));
  EXPECT_EQ(GetEnhMetaFileBits(mf, 0, nullptr), 0u);
  EXPECT_EQ(GetEnhMetaFileHeader(mf, 0, nullptr), 0u);
  EXPECT_EQ(CopyEnhMetaFileW(mf, nullptr), nullptr);
  EXPECT_EQ(CloseEnhMetaFile(r.dc), nullptr);  // not a recording
  EXPECT_EQ(GetEnhMetaFileW(u"/nonexistent/x.emf"), nullptr);
  // Truncated bytes never make a metafile.
  for (std::size_t n = 0; n < bytes.size(); n += 13) EXPECT_EQ(SetEnhMetaFileBits(static_cast<UINT>(n), bytes.data()), nullptr);
  EXPECT_EQ(SetEnhMetaFileBits(0, nullptr), nullptr);
  HENHMETAFILE whole = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
  ASSERT_NE(whole, nullptr);
  DeleteEnhMetaFile(whole);
}

TEST(EmfPlayback, BadObjectIndexesFailTheRecordOnly) {
  using namespace emf;
  Header h;
  h.frame = RECTL{0, 0, 264, 264};  // ~10 px
  h.device = SIZE{1920, 1080};
  h.millimeters = SIZE{508, 286};
  h.handles = 2;
  auto rec = [](std::uint32_t type, std::vector<std::int32_t> w) {
    emf::Record r;
    r.type = type;
    r.words = std::move(w);
    return r;
  };
  std::vector<emf::Record> recs = {
      rec(EMR_SELECTOBJECT, {7}),                       // never created
      rec(EMR_DELETEOBJECT, {1}),                       // empty slot
      rec(EMR_CREATEBRUSHINDIRECT, {9, 0, 0xFF, 0}),    // beyond the table
      rec(EMR_SELECTOBJECT, {static_cast<std::int32_t>(kStockObject + 99)}),
      rec(EMR_RESTOREDC, {-3}),                         // nothing saved
      rec(EMR_CREATEBRUSHINDIRECT, {1, 0, 0xFF0000, 0}),
      rec(EMR_SELECTOBJECT, {1}),
      rec(EMR_SELECTOBJECT, {static_cast<std::int32_t>(kStockObject + NULL_PEN)}),
      rec(EMR_RECTANGLE, {0, 0, 11, 11}),
      rec(EMR_EOF, {0, 16, 0}),
  };
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(EncodeFile(h, recs, bytes));
  HENHMETAFILE mf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
  ASSERT_NE(mf, nullptr);
  Raster r(10, 10);
  const RECT rc{0, 0, 10, 10};
  EXPECT_FALSE(PlayEnhMetaFile(r.dc, mf, &rc));
  EXPECT_EQ(GetPixel(r.dc, 5, 5), RGB(0, 0, 255));  // the good records still drew
  DeleteEnhMetaFile(mf);
}

TEST(EmfPlayback, PlaysIntoAnotherRecordingAndRestoresTheTargetState) {
  HENHMETAFILE inner = Recorded(DrawShapes);
  const RECT frame = FrameOf(kW, kH);
  HDC outer = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  SetTextColor(outer, RGB(1, 2, 3));
  const RECT rc{0, 0, kW, kH};
  EXPECT_TRUE(PlayEnhMetaFile(outer, inner, &rc));
  EXPECT_EQ(GetTextColor(outer), RGB(1, 2, 3));
  HENHMETAFILE copy = CloseEnhMetaFile(outer);
  ASSERT_NE(copy, nullptr);
  Raster a(kW, kH), b(kW, kH);
  PlayEnhMetaFile(a.dc, inner, &rc);
  PlayEnhMetaFile(b.dc, copy, &rc);
  EXPECT_EQ(Differences(a.dc, b.dc, 0, 0, kW, kH), 0);
  DeleteEnhMetaFile(inner);
  DeleteEnhMetaFile(copy);
}

TEST(EmfPlayback, PlaysIntoAPdfDocument) {
  HENHMETAFILE mf = Recorded([](HDC dc) {
    DrawShapes(dc);
    DrawText(dc);
  });
  kvtest::TempDir dir("emf");
  const std::string path = (dir.path / "scene.pdf").string();
  HDC pdf = KvCreatePdfDC(path.c_str(), 300, 200, 96);
  ASSERT_NE(pdf, nullptr);
  DOCINFOW di{static_cast<int>(sizeof(DOCINFOW)), u"scene", nullptr, nullptr, 0};
  ASSERT_GT(StartDocW(pdf, &di), 0);
  StartPage(pdf);
  const RECT rc{10, 10, 10 + kW, 10 + kH};
  EXPECT_TRUE(PlayEnhMetaFile(pdf, mf, &rc));
  EndPage(pdf);
  EndDoc(pdf);
  DeleteDC(pdf);
  EXPECT_EQ(std::system(("pdfinfo '" + path + "' > /dev/null 2>&1").c_str()), 0);
  DeleteEnhMetaFile(mf);
}
