// A scene with every pen style, every hatch, gradients, arcs, pies, rounded
// rectangles, Bézier curves, paths, clipping and rotated text, drawn to a PNG
// and a PDF file in the build folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/outside_readers.h"
#include "support/temp_files.h"
#include "win/emf.h"
#include "win/gdisink.h"
#include "win/wingdi.h"

namespace {

constexpr int kW = 800, kH = 600;

HFONT Font(int height, int escapement, LONG weight = FW_NORMAL, const char16_t* face = u"Arial") {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfEscapement = escapement;
  lf.lfOrientation = escapement;
  lf.lfWeight = weight;
  std::u16string f = face;
  f.copy(lf.lfFaceName, f.size());
  return CreateFontIndirectW(&lf);
}

template <class H>
void Use(HDC dc, H obj, std::vector<HGDIOBJ>* trash) {
  SelectObject(dc, obj);
  trash->push_back(reinterpret_cast<HGDIOBJ>(obj));
}

void DrawScene(HDC dc) {
  std::vector<HGDIOBJ> trash;
  RECT all{0, 0, kW, kH};
  FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  HFONT label = Font(-11, 0);
  SelectObject(dc, label);
  // Pen styles: cosmetic and geometric.
  const DWORD styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
  for (int i = 0; i < 7; ++i) {
    Use(dc, CreatePen(int(styles[i]), 1, RGB(0, 0, 160)), &trash);
    MoveToEx(dc, 10, 15 + i * 12, nullptr);
    LineTo(dc, 150, 15 + i * 12);
    LOGBRUSH lb{BS_SOLID, RGB(160, 0, 0), 0};
    Use(dc, ExtCreatePen(PS_GEOMETRIC | styles[i] | PS_ENDCAP_FLAT | PS_JOIN_MITER, 3, &lb, 0, nullptr), &trash);
    MoveToEx(dc, 160, 15 + i * 12, nullptr);
    LineTo(dc, 300, 15 + i * 12);
  }
  LOGBRUSH lb{BS_SOLID, RGB(0, 120, 0), 0};
  Use(dc, ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &lb, 0, nullptr), &trash);
  MoveToEx(dc, 10, 100, nullptr);
  LineTo(dc, 150, 100);
  DWORD user[] = {6, 2, 1, 2};
  Use(dc, ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 4, &lb, 4, user), &trash);
  POINT zig[] = {{160, 110}, {200, 96}, {240, 110}, {280, 96}, {300, 110}};
  Polyline(dc, zig, 5);
  // Hatches, opaque on a yellow background and transparent.
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SetBkColor(dc, RGB(255, 255, 180));
  for (int h = HS_HORIZONTAL; h <= HS_DIAGCROSS; ++h) {
    Use(dc, CreateHatchBrush(h, RGB(0, 0, 0)), &trash);
    SetBkMode(dc, h % 2 ? OPAQUE : TRANSPARENT);
    Rectangle(dc, 320 + h * 40, 10, 355 + h * 40, 45);
  }
  SetBkMode(dc, TRANSPARENT);
  // Pattern brush from a small bitmap.
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP tile = CreateCompatibleBitmap(dc, 4, 4);
  HGDIOBJ oldTile = SelectObject(mem, tile);
  RECT t1{0, 0, 4, 4}, t2{0, 0, 2, 2};
  HBRUSH c1 = CreateSolidBrush(RGB(255, 160, 0)), c2 = CreateSolidBrush(RGB(0, 90, 200));
  FillRect(mem, &t1, c1);
  FillRect(mem, &t2, c2);
  SelectObject(mem, oldTile);
  Use(dc, CreatePatternBrush(tile), &trash);
  RoundRect(dc, 320, 55, 440, 100, 20, 20);
  // Gradients.
  TRIVERTEX v[] = {{460, 55, 0xff00, 0, 0, 0}, {560, 100, 0, 0, 0xff00, 0}, {580, 55, 0, 0xff00, 0, 0},
                   {680, 100, 0xff00, 0xff00, 0, 0}, {700, 100, 0, 0, 0xff00, 0}, {790, 100, 0xff00, 0, 0, 0},
                   {745, 50, 0, 0xff00, 0, 0}};
  GRADIENT_RECT gr0{0, 1}, gr1{2, 3};
  GradientFill(dc, v, 7, &gr0, 1, GRADIENT_FILL_RECT_H);
  GradientFill(dc, v, 7, &gr1, 1, GRADIENT_FILL_RECT_V);
  GRADIENT_TRIANGLE tri{4, 5, 6};
  GradientFill(dc, v, 7, &tri, 1, GRADIENT_FILL_TRIANGLE);
  // Arcs, pies, chords, ellipses, rounded rectangles.
  Use(dc, CreatePen(PS_SOLID, 2, RGB(0, 0, 0)), &trash);
  Use(dc, CreateSolidBrush(RGB(120, 200, 255)), &trash);
  Arc(dc, 10, 130, 110, 210, 110, 170, 60, 130);
  Pie(dc, 120, 130, 220, 210, 220, 170, 170, 130);
  Chord(dc, 230, 130, 330, 210, 330, 130, 230, 210);
  Ellipse(dc, 340, 130, 440, 210);
  RoundRect(dc, 450, 130, 560, 210, 30, 20);
  Rectangle(dc, 570, 130, 680, 210);
  // Béziers.
  Use(dc, CreatePen(PS_SOLID, 1, RGB(200, 0, 120)), &trash);
  POINT bez[] = {{10, 300}, {60, 220}, {110, 380}, {160, 300}, {210, 220}, {260, 380}, {310, 300}};
  PolyBezier(dc, bez, 7);
  // Paths: a star with text outlines, stroked and filled.
  HFONT big = Font(-48, 0, FW_BOLD);
  SelectObject(dc, big);
  BeginPath(dc);
  POINT star[] = {{380, 230}, {400, 290}, {340, 252}, {420, 252}, {360, 290}};
  Polygon(dc, star, 5);
  TextOutW(dc, 430, 235, u"Path", 4);
  EndPath(dc);
  SetPolyFillMode(dc, WINDING);
  Use(dc, CreateHatchBrush(HS_BDIAGONAL, RGB(0, 130, 0)), &trash);
  StrokeAndFillPath(dc);
  SelectObject(dc, label);
  // A turned frame: world transform of 30 degrees about (450, 360).
  SetGraphicsMode(dc, GM_ADVANCED);
  XFORM turn{0.8660254f, -0.5f, 0.5f, 0.8660254f, 0, 0};
  turn.eDx = 450 - 450 * turn.eM11 - 360 * turn.eM21;
  turn.eDy = 360 - 450 * turn.eM12 - 360 * turn.eM22;
  SetWorldTransform(dc, &turn);
  Use(dc, CreateSolidBrush(RGB(255, 220, 120)), &trash);
  Rectangle(dc, 400, 335, 500, 385);
  Ellipse(dc, 410, 340, 490, 380);
  XFORM id{1, 0, 0, 1, 0, 0};
  SetWorldTransform(dc, &id);
  SetGraphicsMode(dc, GM_COMPATIBLE);
  // Clipping: stripes inside an elliptic region.
  int saved = SaveDC(dc);
  POINT org;
  GetViewportOrgEx(dc, &org);
  HRGN clip = CreateEllipticRgn(620 + org.x, 230 + org.y, 780 + org.x, 330 + org.y);
  SelectClipRgn(dc, clip);
  DeleteObject(clip);
  for (int i = 0; i < 20; ++i) {
    RECT s{600 + i * 10, 220, 605 + i * 10, 340};
    HBRUSH b = CreateSolidBrush(RGB(i * 12, 80, 255 - i * 12));
    FillRect(dc, &s, b);
    DeleteObject(b);
  }
  RestoreDC(dc, saved);
  // Rotated text.
  SetTextColor(dc, RGB(0, 0, 0));
  const int angles[] = {0, 450, 900, 2700, 1800};
  for (int i = 0; i < 5; ++i) {
    HFONT f = Font(-16, angles[i]);
    SelectObject(dc, f);
    TextOutW(dc, 120 + i * 120, 480, u"Rotated", 7);
    SelectObject(dc, label);
    DeleteObject(f);
  }
  // Text boxes with DrawText flags.
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  RECT box{10, 400, 110, 460};
  Rectangle(dc, box.left, box.top, box.right, box.bottom);
  DrawTextW(dc, u"Word-wrapped text in a box, centred", -1, &box, DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
  RECT box2{10, 530, 200, 560};
  Rectangle(dc, box2.left, box2.top, box2.right, box2.bottom);
  DrawTextW(dc, u"Single line, right, centred vertically and far too long", -1, &box2,
            DT_SINGLELINE | DT_RIGHT | DT_VCENTER | DT_END_ELLIPSIS);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 230, 230));
  TextOutW(dc, 220, 540, u"Opaque \u00e9t\u00e9 fi AV", 16);
  RECT focus{215, 535, 360, 560};
  DrawFocusRect(dc, &focus);
  // Clean up.
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  for (HGDIOBJ h : trash) EXPECT_TRUE(DeleteObject(h));
  DeleteObject(label);
  DeleteObject(big);
  DeleteObject(tile);
  DeleteObject(c1);
  DeleteObject(c2);
  DeleteDC(mem);
}

using kvtest::ReadFile;

std::string RenderPng(const std::string& path) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(dc, kW, kH);
  HGDIOBJ old = SelectObject(dc, bm);
  DrawScene(dc);
  SelectObject(dc, old);
  EXPECT_TRUE(KvSaveBitmapPng(bm, path.c_str()));
  DeleteObject(bm);
  DeleteDC(dc);
  return ReadFile(path);
}

TEST(GdiScene, PngIsDecodableAndDeterministic) {
  kvtest::TempDir dir("gdi_scene");
  std::size_t before = KvGdiObjectCount();
  std::string path = (dir.path / "gdi_scene.png").string();
  std::string first = RenderPng(path);
  EXPECT_EQ(KvGdiObjectCount(), before);  // nothing leaked
  std::string second = RenderPng((dir.path / "gdi_scene2.png").string());
  EXPECT_EQ(first, second);
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(s), kW);
  EXPECT_EQ(cairo_image_surface_get_height(s), kH);
  // The file holds the drawn pixels, channel for channel.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(dc, kW, kH);
  HGDIOBJ old = SelectObject(dc, bm);
  DrawScene(dc);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  int differing = 0;
  for (int y = 0; y < kH; y += 3)
    for (int x = 0; x < kW; x += 3) {
      const std::uint32_t v = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y) * stride)[x];
      const COLORREF c = GetPixel(dc, x, y);
      if (RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) != c) ++differing;
    }
  EXPECT_EQ(differing, 0);
  SelectObject(dc, old);
  DeleteObject(bm);
  DeleteDC(dc);
  cairo_surface_destroy(s);
}

// The scene recorded as an enhanced metafile: the same bytes each time, read
// by emf2svg, and played back into a bitmap close to the direct drawing.
TEST(GdiScene, EmfRecordsReadBackAndReplay) {
  kvtest::TempDir dir("gdi_scene");
  std::string path = (dir.path / "gdi_scene.emf").string();
  HDC screen = GetDC(nullptr);
  RECT frame{0, 0, LONG(kW * 2540 / 96), LONG(kH * 2540 / 96)};
  ReleaseDC(nullptr, screen);
  auto record = [&] {
    HDC dc = CreateEnhMetaFileW(nullptr, std::u16string(path.begin(), path.end()).c_str(), &frame, nullptr);
    EXPECT_NE(dc, nullptr);
    DrawScene(dc);
    return CloseEnhMetaFile(dc);
  };
  HENHMETAFILE emf = record();
  ASSERT_NE(emf, nullptr);
  std::string first = ReadFile(path);
  DeleteEnhMetaFile(record());
  EXPECT_EQ(ReadFile(path), first);
  std::string cmd = "emf2svg-conv -i '" + path + "' -o '" + path + ".svg' > /dev/null 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  // Replay into a bitmap and compare with the direct drawing.
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP played = CreateCompatibleBitmap(mem, kW, kH);
  HGDIOBJ old = SelectObject(mem, played);
  RECT all{0, 0, kW, kH};
  FillRect(mem, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_TRUE(PlayEnhMetaFile(mem, emf, &all));
  SelectObject(mem, old);
  EXPECT_TRUE(KvSaveBitmapPng(played, (path + ".png").c_str()));
  HBITMAP direct = CreateCompatibleBitmap(mem, kW, kH);
  old = SelectObject(mem, direct);
  DrawScene(mem);
  SelectObject(mem, old);
  cairo_surface_t* a = KvGetBitmapSurface(played);
  cairo_surface_t* b = KvGetBitmapSurface(direct);
  cairo_surface_flush(a);
  cairo_surface_flush(b);
  long same = 0;
  for (int y = 0; y < kH; ++y) {
    auto* ra = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(a) + y * cairo_image_surface_get_stride(a));
    auto* rb = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(b) + y * cairo_image_surface_get_stride(b));
    for (int x = 0; x < kW; ++x) same += (ra[x] & 0xFFFFFF) == (rb[x] & 0xFFFFFF);
  }
  EXPECT_GT(double(same) / (kW * kH), 0.97);
  DeleteObject(played);
  DeleteObject(direct);
  DeleteDC(mem);
  DeleteEnhMetaFile(emf);
}

TEST(GdiScene, PdfPassesPdfinfoWithFixedDate) {
  kvtest::TempDir dir("gdi_scene");
  std::string path = (dir.path / "gdi_scene.pdf").string();
  auto render = [&] {
    // 96 device pixels per inch: the page is the bitmap's size.
    HDC dc = KvCreatePdfDC(path.c_str(), kW * 0.75, kH * 0.75, 96);
    EXPECT_NE(dc, nullptr);
    DOCINFOW di{sizeof(DOCINFOW), u"Scene", nullptr, nullptr, 0};
    EXPECT_GT(StartDocW(dc, &di), 0);
    EXPECT_GT(StartPage(dc), 0);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), kW);
    DrawScene(dc);
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_GT(StartPage(dc), 0);  // a second page
    Rectangle(dc, 100, 100, 300, 200);
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
    return ReadFile(path);
  };
  std::string first = render();
  EXPECT_EQ(render(), first);  // the same drawing gives the same file
  std::string cmd = "pdfinfo '" + path + "' > '" + path + ".txt' 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << ReadFile(path + ".txt");
  std::string info = ReadFile(path + ".txt");
  auto field = [&](const std::string& name) {
    std::size_t at = info.find(name + ":");
    if (at == std::string::npos) return std::string();
    std::size_t from = info.find_first_not_of(' ', at + name.size() + 1);
    return info.substr(from, info.find('\n', from) - from);
  };
  EXPECT_EQ(field("Pages"), "2");
  EXPECT_EQ(field("Title"), "Scene");
  EXPECT_EQ(field("Page size"), "600 x 450 pts");
  EXPECT_NE(field("CreationDate").find("2000"), std::string::npos) << info;
  EXPECT_EQ(KvCreatePdfDC("/nonexistent-dir/x.pdf", 100, 100), nullptr);
}

// A hatch is one picture in the document however many shapes it fills (a
// transparent hatch with its soft mask), not one per shape.
TEST(GdiScene, PdfHoldsEachHatchTileOnce) {
  struct Case {
    const char* what;
    int bkMode;
    std::size_t images;  // image objects in the file
  } cases[] = {{"transparent gaps: the tile and its mask", TRANSPARENT, 2}, {"opaque gaps: the tile", OPAQUE, 1}};
  kvtest::TempDir dir("gdi_scene");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = (dir.path / "hatches.pdf").string();
    HDC dc = KvCreatePdfDC(path.c_str(), kW * 0.75, kH * 0.75, 96);
    ASSERT_NE(dc, nullptr);
    DOCINFOW di{sizeof(DOCINFOW), u"Hatches", nullptr, nullptr, 0};
    EXPECT_GT(StartDocW(dc, &di), 0);
    EXPECT_GT(StartPage(dc), 0);
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(0x2F, 0x55, 0x97));
    HGDIOBJ old = SelectObject(dc, hatch);
    SetBkMode(dc, c.bkMode);
    SetBkColor(dc, RGB(255, 255, 200));
    for (int i = 0; i < 40; ++i) Rectangle(dc, (i % 8) * 70, (i / 8) * 80, (i % 8) * 70 + 60, (i / 8) * 80 + 70);
    SelectObject(dc, old);
    DeleteObject(hatch);
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
    const std::string pdf = ReadFile(path);
    std::size_t images = 0;
    for (std::size_t at = pdf.find("/Subtype /Image"); at != std::string::npos; at = pdf.find("/Subtype /Image", at + 1))
      ++images;
    EXPECT_EQ(images, c.images);
  }
}

// A one-page PDF document the size of the scene at 96 dots per inch, its page started.
HDC StartPdfPage(const std::filesystem::path& path) {
  HDC dc = KvCreatePdfDC(path.string().c_str(), kW * 0.75, kH * 0.75, 96);
  if (!dc) return nullptr;
  DOCINFOW di{sizeof(DOCINFOW), u"Clip", nullptr, nullptr, 0};
  EXPECT_GT(StartDocW(dc, &di), 0);
  EXPECT_GT(StartPage(dc), 0);
  return dc;
}
// Ends the page and the document that StartPdfPage began.
void EndPdfPage(HDC dc) {
  EXPECT_GT(EndPage(dc), 0);
  EXPECT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
}

// On a page an elliptic clip is the curve itself, not the pixel rows of its
// region (a score of rectangles for every clipped gradient fill): rendered at
// four times the page's resolution, the clip's edge moves within a page
// pixel's height. The clip keeps its place and extent through what is done
// to it, and is gone after the restore.
TEST(GdiScene, PdfClipsToTheCurveOfAnEllipticRegion) {
  if (!kvtest::HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm is missing";
  constexpr int kX = 100, kY = 100, kEw = 400, kEh = 200;  // the ellipse's box in page pixels
  struct Case {
    const char* what;
    void (*clip)(HDC dc, HRGN ellipse);
    POINT at;  // where the ellipse's box lies after the clip is set
    int cutRight;  // pixels of the box's right side clipped away besides
    bool curve;  // the edge follows the curve (false: the region's rows)
  } cases[] = {
      {"copied", [](HDC dc, HRGN e) { SelectClipRgn(dc, e); }, {kX, kY}, 0, true},
      {"within a rectangle, then narrowed",
       [](HDC dc, HRGN e) {
         IntersectClipRect(dc, 0, 0, kW, kH - 10);
         ExtSelectClipRgn(dc, e, RGN_AND);
         IntersectClipRect(dc, 0, 0, kX + kEw - 100, kH);
       },
       {kX, kY}, 100, true},
      {"the region moved first",
       [](HDC dc, HRGN e) {
         OffsetRgn(e, 50, 30);
         ExtSelectClipRgn(dc, e, RGN_AND);
       },
       {kX + 50, kY + 30}, 0, true},
      {"the clip moved after",
       [](HDC dc, HRGN e) {
         SelectClipRgn(dc, e);
         OffsetClipRgn(dc, 50, 30);
       },
       {kX + 50, kY + 30}, 0, false},
  };
  kvtest::TempDir dir("gdi_scene");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::filesystem::path path = dir.path / "clip.pdf";
    HDC dc = StartPdfPage(path);
    ASSERT_NE(dc, nullptr);
    RECT all{0, 0, kW, kH};
    HBRUSH black = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    const int saved = SaveDC(dc);
    HRGN ellipse = CreateEllipticRgn(kX, kY, kX + kEw, kY + kEh);
    c.clip(dc, ellipse);
    DeleteObject(ellipse);
    FillRect(dc, &all, black);
    RestoreDC(dc, saved);
    RECT corner{kW - 20, kH - 20, kW, kH};  // outside the clip that was
    FillRect(dc, &corner, black);
    EndPdfPage(dc);
    KvImage img;
    ASSERT_TRUE(kvtest::RenderPdf(path, 4 * 96, img));
    ASSERT_EQ(img.width, 4 * kW);
    auto dark = [&img](int x, int y) { return (img.At(x, y) & 0xFF) < 128; };
    const int cx = 4 * (c.at.x + kEw / 2), cy = 4 * (c.at.y + kEh / 2);
    EXPECT_TRUE(dark(cx, cy));
    EXPECT_FALSE(dark(4 * c.at.x + 8, 4 * c.at.y + 8));  // the box's corner, outside the ellipse
    EXPECT_EQ(dark(4 * (c.at.x + kEw - 20), cy), c.cutRight == 0);  // inside the ellipse, unless cut away
    EXPECT_TRUE(dark(4 * kW - 8, 4 * kH - 8));
    // The left edge in each quarter of the page pixel rows of the ellipse's top half.
    int movesWithinARow = 0;
    for (int row = c.at.y + 5; row < c.at.y + kEh / 2; ++row) {
      int first = -1;
      for (int sub = 0; sub < 4; ++sub) {
        int x = 4 * c.at.x;
        while (x < cx && !dark(x, 4 * row + sub)) ++x;
        if (first < 0) first = x;
        if (x != first) {
          ++movesWithinARow;
          break;
        }
      }
    }
    if (c.curve)
      EXPECT_GT(movesWithinARow, 10);
    else
      EXPECT_EQ(movesWithinARow, 0);
  }
}

// A region that is made into something other than its ellipse clips a page
// to what it has become, not to the curve it came from.
TEST(GdiScene, PdfClipsToWhatAnEllipticRegionBecame) {
  if (!kvtest::HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm is missing";
  constexpr int kX = 100, kY = 100, kEw = 400, kEh = 200;
  struct Case {
    const char* what;
    void (*change)(HDC dc, HRGN ellipse);  // leaves the region the ellipse's box
  } cases[] = {
      {"combined with its box", [](HDC, HRGN e) {
         HRGN box = CreateRectRgn(kX, kY, kX + kEw, kY + kEh);
         CombineRgn(e, e, box, RGN_OR);
         DeleteObject(box);
       }},
      {"set to its box", [](HDC, HRGN e) { SetRectRgn(e, kX, kY, kX + kEw, kY + kEh); }},
      {"given the context's clip", [](HDC dc, HRGN e) {
         SaveDC(dc);
         IntersectClipRect(dc, kX, kY, kX + kEw, kY + kEh);
         GetClipRgn(dc, e);
         RestoreDC(dc, -1);
       }},
  };
  kvtest::TempDir dir("gdi_scene");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::filesystem::path path = dir.path / "became.pdf";
    HDC dc = StartPdfPage(path);
    ASSERT_NE(dc, nullptr);
    HRGN ellipse = CreateEllipticRgn(kX, kY, kX + kEw, kY + kEh);
    c.change(dc, ellipse);
    SelectClipRgn(dc, ellipse);
    DeleteObject(ellipse);
    RECT all{0, 0, kW, kH};
    FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPdfPage(dc);
    KvImage img;
    ASSERT_TRUE(kvtest::RenderPdf(path, 96, img));
    auto dark = [&img](int x, int y) { return (img.At(x, y) & 0xFF) < 128; };
    EXPECT_TRUE(dark(kX + 3, kY + 3));  // the box's corner, outside the ellipse
    EXPECT_FALSE(dark(kX - 3, kY - 3));
  }
}

}  // namespace
