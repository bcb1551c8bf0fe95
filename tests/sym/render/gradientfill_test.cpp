// Gradient mode words read alike by the core background painter (screen,
// PNG, EMF, PDF) and the SVG writer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcore/sdrawbackground.h"
#include "sym/render/ssvg.h"

#include "support/canvas_fixture.h"
#include "support/file_fixture.h"

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

}  // namespace
