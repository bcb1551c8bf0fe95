// Gradient mode words read alike by the core background painter (screen,
// PNG, EMF, PDF) and the SVG writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kvcore/sdrawbackground.h"
#include "sym/render/ssvg.h"

#include "support/canvas_fixture.h"
#include "support/file_fixture.h"
#include "support/outside_readers.h"
#include "support/temp_files.h"

namespace {

using namespace kvtest;

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

// 'r' when the pixel is mostly red, 'b' mostly blue, '-' otherwise.
char Tone(COLORREF c) {
  const int r = GetRValue(c), b = GetBValue(c);
  return r > 2 * b && r > 150 ? 'r' : b > 2 * r && b > 150 ? 'b' : '-';
}

TEST(GradientFill, PainterAndSvgReadTheModeAlike) {
  // c1 red, c2 blue; tones at the left, right, top, bottom, centre, top-left corner.
  struct Case {
    int mode;
    const char* tones;         // painter: left right top bottom centre top-left
    const char* svgElement;    // SVG writer
    const char* firstStop;     // colour of the first stop
  } cases[] = {
      {0x20, "rb---r", "linearGradient", "#ff0000"},    // left to right
      {0x21, "br---b", "linearGradient", "#0000ff"},    // exchanged
      {0x10, "--rb-r", "linearGradient", "#ff0000"},    // top to bottom
      {0x22, "rrbbbr", "linearGradient", "#ff0000"},    // mirrored: c1, c2, c1
      {0x1004, "--rb-r", "linearGradient", "#ff0000"},  // older code of 0x10
      {0x200, "rrrrbr", "radialGradient", "#0000ff"},   // c2 at the centre, c1 outside
      {0x201, "bbbbrb", "radialGradient", "#ff0000"},
      {0x440, "rrrrrr", "linearGradient", "#ff0000"},   // another family: a plain c1 fill
  };
  const RECT box{0, 0, 40, 40};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    RasterDC raster(40, 40);
    SDrawBackground painter(nullptr, 12, 0);
    painter.SetGradientMode(c.mode);
    painter.SetGradientColors(kRed, kBlue);
    ASSERT_TRUE(painter.UseGradient());
    ASSERT_TRUE(painter.DrawBackground(&raster.dc, box));
    const POINT at[] = {{1, 20}, {38, 20}, {20, 1}, {20, 38}, {20, 20}, {1, 1}};
    std::string tones;
    for (const POINT& p : at) tones += Tone(raster.dc.GetPixel(p.x, p.y));
    EXPECT_EQ(tones, c.tones);

    SSVGDomDocument doc;
    ASSERT_EQ(doc.CreateDocument(SIZE{100, 50}, RECT{0, 0, 378, 189}), 1);
    SSymBrush brush{SSymColor(kRed)};
    brush.SetStyle(SSymBrush::Gradient);
    brush.SetGradientMode(c.mode);
    brush.SetEndColor(SSymColor(kBlue));
    doc.SetBrush(brush);
    doc.SetUseFillEffect(1);
    doc.Rectangle(box);
    std::vector<DOM_Element> grads, stops;
    Collect(doc.GetSvgElement(), SString(c.svgElement), grads);
    ASSERT_EQ(grads.size(), 1u);
    Collect(grads[0], SString("stop"), stops);
    ASSERT_FALSE(stops.empty());
    EXPECT_EQ(Attr(stops[0], "stop-color"), c.firstStop);
  }
}

// On paper a radial fill is one smooth shading of the ellipses the screen
// draws as stepped rings: the printed page shows the screen's colours (within
// about a ring's step) and the document holds a shading instead of rings.
TEST(GradientFill, RadialOnPaperMatchesTheRingsOnScreen) {
  if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm is missing";
  constexpr int kW = 120, kH = 80;
  const RECT box{10, 10, 110, 70};
  TempDir dir("gradientfill");
  for (const int mode : {0x200, 0x201, 0x802}) {
    SCOPED_TRACE(mode);
    SDrawBackground painter(nullptr, 12, 0);
    painter.SetGradientMode(mode);
    painter.SetGradientColors(kRed, kBlue);
    RasterDC raster(kW, kH);
    ASSERT_TRUE(painter.DrawBackground(&raster.dc, box));

    const std::string path = (dir.path / "radial.pdf").string();
    HDC pdf = KvCreatePdfDC(path.c_str(), kW * 0.75, kH * 0.75, 96);
    ASSERT_NE(pdf, nullptr);
    DOCINFOW di{sizeof(DOCINFOW), u"Radial", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(pdf, &di), 0);
    ASSERT_GT(StartPage(pdf), 0);
    {
      SDC dc(pdf);
      EXPECT_TRUE(painter.DrawBackground(&dc, box));
      dc.Detach();
    }
    EXPECT_GT(EndPage(pdf), 0);
    EXPECT_GT(EndDoc(pdf), 0);
    DeleteDC(pdf);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(bytes.find("/ShadingType 3"), std::string::npos);

    KvImage page;
    ASSERT_TRUE(RenderPdf(path, 96, page));
    ASSERT_EQ(page.width, kW);
    ASSERT_EQ(page.height, kH);
    int worst = 0;
    for (int y = box.top + 1; y < box.bottom - 1; y += 3)
      for (int x = box.left + 1; x < box.right - 1; x += 3) {
        const COLORREF screen = raster.dc.GetPixel(x, y);
        const std::uint32_t paper = page.At(x, y);
        const int d = std::max({std::abs(int(GetRValue(screen)) - int((paper >> 16) & 0xFF)),
                                std::abs(int(GetGValue(screen)) - int((paper >> 8) & 0xFF)),
                                std::abs(int(GetBValue(screen)) - int(paper & 0xFF))});
        worst = std::max(worst, d);
      }
    EXPECT_LE(worst, 16);
  }
}

}  // namespace
