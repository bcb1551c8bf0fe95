#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "kvcore/spicture.h"
#include "sym/render/ssvg.h"
#include "win/imageicon.h"
#include "win/wingdi.h"

#include "support/file_fixture.h"

namespace {

using namespace kvtest;

// Checks a saved SVG against the SVG 1.1 DTD (or, without it, that it is
// well-formed) and that it renders.
void ExpectValidSvg(const fs::path& file) {
  if (!HaveTool("xmllint")) {
    GTEST_SKIP() << "xmllint is not installed";
  }
  std::string cmd = "xmllint --noout --nonet ";
  if (fs::exists(kSvgDtd)) cmd += std::string("--dtdvalid ") + kSvgDtd + " ";
  cmd += file.string() + " 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << ReadFile(file);
  if (HaveTool("rsvg-convert")) {
    const fs::path png = file.string() + ".render.png";
    const std::string r = "rsvg-convert -o " + png.string() + " " + file.string() + " 2>&1";
    EXPECT_EQ(std::system(r.c_str()), 0);
    const std::string bytes = ReadFile(png);
    EXPECT_EQ(bytes.substr(0, 4), "\x89PNG");
  }
}

class SvgDoc : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(doc.CreateDocument(SIZE{100, 50}, RECT{0, 0, 378, 189}), 1); }
  std::vector<DOM_Element> All(const char* name) const {
    std::vector<DOM_Element> v;
    Collect(doc.GetSvgElement(), SString(name), v);
    return v;
  }
  std::string Text() const { return doc.ToString(3).ToUtf8(); }
  void UseGradientBrush(LONG mode, DWORD c1 = 0x0000FF, DWORD c2 = 0xFF0000) {
    SSymBrush b{SSymColor(c1)};
    b.SetStyle(SSymBrush::Gradient);
    b.SetGradientMode(mode);
    b.SetEndColor(SSymColor(c2));
    doc.SetBrush(b);
    doc.SetUseFillEffect(1);
  }

  SSVGDomDocument doc;
};

TEST_F(SvgDoc, EmptyDocumentIsPrologAndRootWithItsSixAttributes) {
  EXPECT_EQ(Text(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
            "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" \"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n"
            "<svg width=\"100mm\" height=\"50mm\" viewBox=\"0 0 378 189\" xmlns=\"http://www.w3.org/2000/svg\" "
            "version=\"1.1\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" />\n");
  TempDir dir;
  const fs::path file = dir.path / "empty.svg";
  EXPECT_EQ(doc.SaveDocument(SString(file.string()), 3), 1);
  EXPECT_EQ(ReadFile(file), Text());
  ExpectValidSvg(file);
}

// Pens are as wide as on the device context at 96 pixels an inch (1000
// units: 13 pixels), at least one pixel.
TEST_F(SvgDoc, StrokesAndDashArrays) {
  struct Case {
    LONG style, width;
    const char* stroke;
    const char* width_attr;
    const char* dash;  // null: no dash array
  } cases[] = {
      {7, 5000, "none", "0", nullptr},       {1, 0, "#563412", "1", nullptr},     {1, 1000, "#563412", "13", nullptr},
      {2, 0, "#563412", "1", "16,8"},        {3, 0, "#563412", "1", "3,3"},       {4, 0, "#563412", "1", "8,4,2,4"},
      {5, 0, "#563412", "1", "8,4,2,4,2,4"}, {6, 0, "#563412", "1", "1,1"},       {0x102, 0, "#563412", "1", nullptr},
  };
  for (const Case& c : cases) {
    doc.SetPen(SSymPen(c.style, c.width, SSymColor(0x123456)));
    doc.Line(POINT{1, 2}, POINT{3, 4});
  }
  auto lines = All("line");
  ASSERT_EQ(lines.size(), std::size(cases));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Attr(lines[i], "x1") + Attr(lines[i], "y1") + Attr(lines[i], "x2") + Attr(lines[i], "y2"), "1234");
    EXPECT_EQ(Attr(lines[i], "stroke"), cases[i].stroke);
    EXPECT_EQ(Attr(lines[i], "stroke-width"), cases[i].width_attr);
    EXPECT_EQ(lines[i].hasAttribute("stroke-dasharray"), cases[i].dash != nullptr);
    if (cases[i].dash) {
      EXPECT_EQ(Attr(lines[i], "stroke-dasharray"), cases[i].dash);
    }
  }
}

TEST_F(SvgDoc, FillsAndGradients) {
  // Solid colour; a hollow brush stays unfilled even with a gradient set up.
  doc.SetBrush(SSymBrush(SSymColor(0x112233)));
  doc.Rectangle(RECT{0, 0, 10, 10});
  UseGradientBrush(0x1004);
  SSymBrush hollow = doc.GetBrush();
  hollow.SetStyle(SSymBrush::Hollow);
  doc.SetBrush(hollow);
  doc.Rectangle(RECT{0, 0, 10, 10});
  auto rects = All("rect");
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(Attr(rects[0], "fill"), "#332211");
  EXPECT_EQ(Attr(rects[1], "fill"), "none");

  // Without fill effects a gradient brush is its solid colour.
  UseGradientBrush(0x1004);
  doc.SetUseFillEffect(0);
  doc.Rectangle(RECT{0, 0, 10, 10});
  EXPECT_EQ(Attr(All("rect").back(), "fill"), "#ff0000");
}

TEST_F(SvgDoc, GradientDirectionsStopsAndRadialFocus) {
  struct Case {
    LONG mode;
    int kind;  // 1 rectangle, 2 ellipse
    const char* element;
    std::vector<std::pair<const char*, const char*>> attrs;
    std::vector<std::pair<const char*, const char*>> stops;
  };
  // c1 = #ff0000 (0x0000FF), c2 = #0000ff (0xFF0000)
  const std::vector<Case> cases = {
      {0x1004, 1, "linearGradient",
       {{"gradientUnits", "objectBoundingBox"}, {"x1", "0%"}, {"x2", "0%"}, {"y1", "0%"}, {"y2", "100%"}},
       {{"5%", "#ff0000"}, {"95%", "#0000ff"}}},
      // an older code: bottom-left to top-right
      {0x103, 1, "linearGradient",
       {{"x1", "0%"}, {"x2", "100%"}, {"y1", "100%"}, {"y2", "0%"}},
       {{"5%", "#ff0000"}, {"95%", "#0000ff"}}},
      {0x22, 1, "linearGradient",
       {{"x1", "0%"}, {"x2", "100%"}, {"y1", "0%"}, {"y2", "0%"}},
       {{"5%", "#ff0000"}, {"50%", "#0000ff"}, {"95%", "#ff0000"}}},
      // As the device context spreads them: ellipses circumscribing the box
      // (half-sides times 1.41), from the end colour at the focus to the
      // brush colour; the corner form's focus halfway to the bottom-right
      // corner, the ellipses grown by half.
      {0x802, 1, "radialGradient",
       {{"gradientUnits", "objectBoundingBox"}, {"cx", "50%"}, {"cy", "50%"}, {"r", "106%"}, {"fx", "75%"}, {"fy", "75%"}},
       {{"0%", "#0000ff"}, {"100%", "#ff0000"}}},
      {0x201, 2, "radialGradient",
       {{"cx", "50%"}, {"cy", "50%"}, {"r", "71%"}, {"fx", "50%"}, {"fy", "50%"}},
       {{"0%", "#ff0000"}, {"100%", "#0000ff"}}},
      {0x401, 1, "linearGradient",
       {{"x1", "0%"}, {"x2", "100%"}, {"y1", "0%"}, {"y2", "0%"}},
       {{"0%", "#ff0000"}, {"100%", "#ff0000"}}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    UseGradientBrush(c.mode);
    if (c.kind == 2)
      doc.Ellipse(RECT{0, 0, 100, 60});
    else
      doc.Rectangle(RECT{0, 0, 100, 60});
    ++n;
    auto defs = All("defs");
    ASSERT_EQ(defs.size(), static_cast<std::size_t>(n));
    // The defs come right before the shape that uses them.
    DOM_Node shape = defs.back().getNextSibling();
    ASSERT_FALSE(shape.isNull());
    EXPECT_EQ(Attr(DOM_Element(shape), "fill"), "url(#Gradient" + std::to_string(n) + ")");
    std::vector<DOM_Element> grads;
    Collect(defs.back(), SString(c.element), grads);
    ASSERT_EQ(grads.size(), 1u);
    EXPECT_EQ(Attr(grads[0], "id"), "Gradient" + std::to_string(n));
    for (auto& [k, v] : c.attrs) EXPECT_EQ(Attr(grads[0], k), v) << k;
    std::vector<DOM_Element> stops;
    Collect(grads[0], SString("stop"), stops);
    ASSERT_EQ(stops.size(), c.stops.size());
    for (std::size_t i = 0; i < stops.size(); ++i) {
      EXPECT_EQ(Attr(stops[i], "offset"), c.stops[i].first);
      EXPECT_EQ(Attr(stops[i], "stop-color"), c.stops[i].second);
    }
  }
  TempDir dir;
  ASSERT_EQ(doc.SaveDocument(SString((dir.path / "g.svg").string()), 3), 1);
  ExpectValidSvg(dir.path / "g.svg");
}

// Each hatch style written as a pattern of its lines, rendered by rsvg,
// shows the pixels the device context's hatch brush paints: the same
// lines in the hatch colour on the same 8-pixel grid, the gaps clear.
TEST_F(SvgDoc, HatchesShowTheDeviceContextsLines) {
  if (!HaveTool("rsvg-convert")) GTEST_SKIP() << "rsvg-convert is missing";
  constexpr int kSize = 480;  // 127 mm at 96 pixels an inch: one pixel a pixel
  constexpr COLORREF kInk = RGB(0x20, 0x40, 0xC0);
  const LONG styles[] = {SSymBrush::Horizontal, SSymBrush::Vertical, SSymBrush::FDiagonal,
                         SSymBrush::BDiagonal,  SSymBrush::Cross,    SSymBrush::DiagCross};
  TempDir dir;
  for (LONG style : styles) {
    SCOPED_TRACE(style);
    SSVGDomDocument one;
    ASSERT_EQ(one.CreateDocument(SIZE{127, 127}, RECT{0, 0, kSize, kSize}), 1);
    one.SetPen(SSymPen(SSymPen::NoLine, 0, SSymColor(0)));
    one.SetBrush(SSymBrush(style, SSymColor(kInk)));
    one.Rectangle(RECT{0, 0, kSize, kSize});
    std::vector<DOM_Element> rects, patterns;
    Collect(one.GetSvgElement(), SString("rect"), rects);
    Collect(one.GetSvgElement(), SString("pattern"), patterns);
    ASSERT_EQ(rects.size(), 1u);
    ASSERT_EQ(patterns.size(), 1u);
    EXPECT_EQ(Attr(rects[0], "fill"), "url(#" + Attr(patterns[0], "id") + ")");
    const fs::path file = dir.path / ("hatch" + std::to_string(style) + ".svg");
    ASSERT_EQ(one.SaveDocument(SString(file.string()), 3), 1);
    KvImage svg;
    ASSERT_TRUE(RenderSvg(file, kSize, svg));
    ASSERT_EQ(svg.width, kSize);

    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bm = CreateCompatibleBitmap(dc, kSize, kSize);
    HGDIOBJ oldBitmap = SelectObject(dc, bm);
    PatBlt(dc, 0, 0, kSize, kSize, WHITENESS);
    SetBkMode(dc, TRANSPARENT);
    HBRUSH hatch = CreateHatchBrush(static_cast<int>(style) - 1, kInk);
    RECT all{0, 0, kSize, kSize};
    FillRect(dc, &all, hatch);
    const fs::path png = dir.path / ("hatch" + std::to_string(style) + ".png");
    ASSERT_TRUE(KvSaveBitmapPng(bm, png.string().c_str()));
    SelectObject(dc, oldBitmap);
    DeleteObject(hatch);
    DeleteObject(bm);
    DeleteDC(dc);
    KvImage gdi;
    ASSERT_TRUE(ReadPictureOnWhite(png, gdi));
    int inked = 0, differing = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const bool a = ((gdi.At(x, y) >> 8) & 0xFF) < 128, b = ((svg.At(x, y) >> 8) & 0xFF) < 128;
        inked += a;
        differing += a != b;
      }
    EXPECT_GT(inked, kSize * kSize / 16);
    EXPECT_EQ(differing, 0);
  }
}

// Glyphs filled with a gradient brush: the text's lines take the gradient
// written for the text's box; without fill effects, the text colour.
TEST_F(SvgDoc, TextFilledWithAGradient) {
  UseGradientBrush(0x21);
  doc.SetTextColorValue(SSymColor(0x000000));
  doc.SetTextGradient(1);
  doc.DrawText(RECT{10, 20, 210, 80}, SString(u"Gradient\r\nglyphs"), 0);
  doc.SetUseFillEffect(0);
  doc.DrawText(RECT{10, 20, 210, 80}, SString(u"Plain"), 0);
  auto texts = All("text");
  ASSERT_EQ(texts.size(), 3u);
  ASSERT_EQ(All("linearGradient").size(), 1u);
  EXPECT_EQ(Attr(texts[0], "fill"), "url(#Gradient1)");
  EXPECT_EQ(Attr(texts[1], "fill"), "url(#Gradient1)");
  EXPECT_EQ(Attr(texts[2], "fill"), "#000000");
}

// An opaque text background is a box of the background colour behind each
// line, as wide as the line and one line high, turned with a turned text.
TEST_F(SvgDoc, OpaqueTextBackgroundsLieBehindEachLine) {
  doc.SetTextBackColor(SSymColor(RGB(0x12, 0x34, 0x56)));
  doc.DrawText(RECT{10, 20, 210, 80}, SString(u"One\r\nTwo lines"), 0x800 | 2);
  SSymFont up(SString("Arial"), 8);
  up.m_angle = 900;
  doc.SetFontInfo(up);
  doc.DrawText(RECT{10, 20, 110, 60}, SString(u"Up"), 0x800);
  doc.DrawText(RECT{10, 20, 110, 60}, SString(u"Clear"), 0);
  auto rects = All("rect");
  auto texts = All("text");
  ASSERT_EQ(rects.size(), 3u);
  ASSERT_EQ(texts.size(), 4u);
  const int h = doc.GetFontHeight();
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    DOM_Node next = rects[i].getNextSibling();
    ASSERT_FALSE(next.isNull());
    EXPECT_EQ(DOM_Element(next).getTagName().str().ToUtf8(), "text");  // the box right behind its line
    EXPECT_EQ(Attr(rects[i], "fill"), "#123456");
    EXPECT_EQ(Attr(rects[i], "height"), std::to_string(h));
    EXPECT_EQ(Attr(rects[i], "transform"), Attr(texts[i], "transform"));
    const SString line = texts[i].getFirstChild().getNodeValue().str();
    EXPECT_EQ(Attr(rects[i], "width"), std::to_string(doc.GetTextWidth(line)));
  }
  // Centred lines: the box is centred on the anchor.
  EXPECT_EQ(std::atoi(Attr(rects[1], "x").c_str()) + doc.GetTextWidth(SString(u"Two lines")) / 2, 110);
  EXPECT_NE(Attr(rects[2], "transform"), "");
}

TEST_F(SvgDoc, ShapesAndTooSmallInput) {
  doc.Ellipse(RECT{-10, 4, 10, 4});  // centred on x = 0, no height
  doc.Ellipse(RECT{5, 0, 5, 20});    // no width
  doc.RoundRect(RECT{0, 0, 50, 30}, SIZE{0, 9});
  const POINT pts[] = {{0, 0}, {10, 0}, {10, 10}};
  doc.Polyline(pts, 1);
  doc.Polyline(nullptr, 3);
  doc.Polygon(pts, 2);
  doc.Polygon(pts, 3);
  doc.Polyline(pts, 3);
  doc.DrawText(RECT{0, 0, 10, 10}, SString(), 0);
  auto ell = All("ellipse");
  ASSERT_EQ(ell.size(), 2u);
  EXPECT_EQ(Attr(ell[0], "cx"), "0");  // the centre is not moved
  EXPECT_EQ(Attr(ell[0], "cy"), "4");
  EXPECT_EQ(Attr(ell[0], "rx"), "10");
  EXPECT_EQ(Attr(ell[0], "ry"), "1");
  EXPECT_EQ(Attr(ell[1], "rx"), "1");
  auto rr = All("rect");
  ASSERT_EQ(rr.size(), 1u);
  EXPECT_EQ(Attr(rr[0], "width") + "," + Attr(rr[0], "height"), "50,30");
  EXPECT_EQ(Attr(rr[0], "rx") + "," + Attr(rr[0], "ry"), "1,4");
  auto poly = All("polygon");
  ASSERT_EQ(poly.size(), 1u);
  EXPECT_EQ(Attr(poly[0], "points"), "0,0 10,0 10,10");
  EXPECT_EQ(Attr(poly[0], "stroke-linejoin"), "miter");
  auto pl = All("polyline");
  ASSERT_EQ(pl.size(), 1u);
  EXPECT_EQ(Attr(pl[0], "fill"), "none");
  EXPECT_TRUE(All("text").empty());
  DOM_Element clip = doc.CreateElement("rect");
  doc.SetCoordinate(clip, RECT{5, 5, 4, 3});  // a 1-pixel box shrunk by 1
  EXPECT_EQ(Attr(clip, "width") + "," + Attr(clip, "height"), "0,0");
}

TEST_F(SvgDoc, PathsArcsBeziersAndRoundedCorners) {
  SSVG svg;
  ASSERT_EQ(svg.CreateDocument(SIZE{10, 10}, RECT{0, 0, 100, 100}), 1);
  svg.BeginPath();
  svg.Line(POINT{0, 0}, POINT{10, 0});          // into the path while recording
  const POINT pl[] = {{10, 0}, {10, 10}, {0, 10}};
  svg.Polyline(pl, 3);
  svg.CloseFigure();
  svg.CloseFigure();
  svg.EndPath();
  EXPECT_EQ(svg.GetDocument().GetPathData().ToUtf8(), "M0,0 L10,0 L10,10 L0,10 Z");
  svg.StrokePath();
  SSVGDomDocument& d = svg.GetDocument();
  d.SetDrawingPath(1);
  d.PathMove(POINT{1, 1});
  d.PathLine(POINT{1, 1}, POINT{2, 2});
  svg.AbortPath();
  EXPECT_TRUE(d.GetPathData().IsEmpty());

  // Arcs: the sweep follows the quarter the arc runs through.
  d.BeginPath();
  d.PathArc(RECT{0, 0, 100, 60}, POINT{100, 30}, POINT{50, 0});
  EXPECT_EQ(d.GetPathData().ToUtf8(), "M100,30 A50,30 0 0,0 50,0");
  d.AbortPath();
  d.PathArc(RECT{0, 0, 100, 60}, POINT{50, 60}, POINT{100, 30});
  EXPECT_EQ(d.GetPathData().ToUtf8(), "M50,60 A50,30 0 0,0 100,30");
  d.AbortPath();
  d.PathArc(RECT{0, 0, 100, 60}, POINT{0, 30}, POINT{50, 0});
  EXPECT_EQ(d.GetPathData().ToUtf8(), "M0,30 A50,30 0 0,1 50,0");
  d.AbortPath();
  d.SetDrawingPath(0);

  const POINT bz[] = {{0, 0}, {10, 20}, {30, 20}, {40, 0}};
  svg.PolyBezier(bz, 2);  // too few: nothing
  svg.PolyBezier(bz, 4);
  const POINT corner[] = {{0, 0}, {0, 40}, {40, 40}, {40, 43}};
  svg.RoundPolyline(corner, 3);
  svg.RoundPolyline(corner, 4);  // second bend too tight to round (d < 4)

  std::vector<DOM_Element> paths;
  Collect(svg.GetSvgElement(), SString("path"), paths);
  ASSERT_EQ(paths.size(), 4u);
  EXPECT_EQ(Attr(paths[0], "d"), "M0,0 L10,0 L10,10 L0,10 Z");
  EXPECT_EQ(Attr(paths[0], "fill"), "none");
  EXPECT_EQ(Attr(paths[1], "d"), "M0,0 Q10,20 20,20 Q30,20 35,10 T40,0");
  EXPECT_EQ(Attr(paths[2], "d"), "M0,0 L0,32 A8,8 0 0,0 8,40 L40,40");
  EXPECT_EQ(Attr(paths[3], "d"), "M0,0 L0,32 A8,8 0 0,0 8,40 L40,40 L40,43");
}

TEST_F(SvgDoc, TextFontsAlignmentAndRotation) {
  doc.SetFontInfo(SSymFont(SString("Arial"), 8, SSymFont::Bold | SSymFont::Italic | SSymFont::Underline |
                                                    SSymFont::StrikeOut));
  doc.SetTextColorValue(SSymColor(0x0000FF));
  doc.DrawText(RECT{10, 20, 110, 60}, SString(u"Ab\r\n\u4E2D"), 2);
  auto texts = All("text");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(Attr(texts[0], "font-weight"), "bold");
  EXPECT_EQ(Attr(texts[0], "font-style"), "italic");
  EXPECT_EQ(Attr(texts[0], "text-decoration"), "underline line-through");
  EXPECT_EQ(Attr(texts[0], "font-size"), "10");  // 8 points at 96 per inch
  EXPECT_EQ(Attr(texts[0], "fill"), "#ff0000");
  EXPECT_EQ(Attr(texts[0], "font-family"), "Arial");
  EXPECT_EQ(Attr(texts[0], "x"), "60");
  EXPECT_EQ(Attr(texts[0], "y"), "28");  // top - height / 5 + height
  EXPECT_EQ(Attr(texts[0], "text-anchor"), "middle");
  EXPECT_EQ(Attr(texts[1], "y"), "38");  // next line
  EXPECT_EQ(Attr(texts[1], "font-family"), "'Arial Unicode MS','Arial'");
  EXPECT_EQ(texts[1].getFirstChild().getNodeValue().str(), SString(u"\u4E2D"));

  // Turned text: in reading order (a search finds it), turned about its
  // reference point. At 90 degrees it reads upward from the bottom of the
  // box, its baseline four fifths of a line right of the column's left
  // edge; at 270 degrees downward from the top, the baseline a fifth of a
  // line right of it.
  struct Turn {
    LONG angle;
    const char* x;
    const char* y;
    const char* transform;
  };
  const Turn turns[] = {{900, "18", "60", "rotate(-90 18 60)"}, {2700, "12", "20", "rotate(90 12 20)"}};
  for (const Turn& turn : turns) {
    SSymFont font(SString("Arial"), 8);
    font.m_angle = turn.angle;
    doc.SetFontInfo(font);
    doc.DrawText(RECT{10, 20, 110, 60}, SString(u"ab\U0001F600"), 0);
  }
  auto groups = All("g");
  ASSERT_EQ(groups.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(turns[i].angle);
    EXPECT_EQ(Attr(groups[i], "writing-mode"), "");
    std::vector<DOM_Element> inner;
    Collect(groups[i], SString("text"), inner);
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(Attr(inner[0], "text-anchor"), "");
    EXPECT_EQ(Attr(inner[0], "x"), turns[i].x);
    EXPECT_EQ(Attr(inner[0], "y"), turns[i].y);
    EXPECT_EQ(Attr(inner[0], "transform"), turns[i].transform);
    EXPECT_EQ(Attr(inner[0], "glyph-orientation-vertical"), "");
    EXPECT_EQ(inner[0].getFirstChild().getNodeValue().str(), SString(u"ab\U0001F600"));
  }

  // Wrapped text: lines that fit the width, in order, none of them empty.
  doc.SetFontInfo(SSymFont(SString("Arial"), 8));
  const std::size_t before = All("text").size();
  doc.DrawText(RECT{0, 0, 60, 1000}, SString("alpha beta gamma delta epsilon"), 0x1000);
  auto wrapped = All("text");
  ASSERT_GT(wrapped.size(), before + 1);
  std::string joined;
  for (std::size_t i = before; i < wrapped.size(); ++i) {
    const SString line = wrapped[i].getFirstChild().getNodeValue().str();
    EXPECT_LE(doc.GetTextWidth(SString(line).Trim()), 60) << line.ToUtf8();
    joined += line.ToUtf8() + "|";
  }
  for (const char* w : {"alpha", "beta", "gamma", "delta", "epsilon"}) EXPECT_NE(joined.find(w), std::string::npos);
  EXPECT_LT(joined.find("alpha"), joined.find("epsilon"));

  TempDir dir;
  ASSERT_EQ(doc.SaveDocument(SString((dir.path / "t.svg").string()), 3), 1);
  ExpectValidSvg(dir.path / "t.svg");
}

TEST_F(SvgDoc, PicturesAreWrittenOnceBesideTheDocument) {
  TempDir dir;
  doc.SetFilePath(SString((dir.path / "model.svg").string()));
  EXPECT_EQ(doc.GetBitmapFileName(1).ToUtf8(), "model_svg_Files/svg_bitmap1.png");
  EXPECT_EQ(doc.GetBitmapFilePath(1).ToUtf8(), (dir.path / "model_svg_Files/svg_bitmap1.png").string());
  SSVGDomDocument other;
  EXPECT_EQ(other.GetBitmapFileName(1).ToUtf8(), "svg_Files/svg_bitmap1.png");  // no file path yet

  SPictureInfo* info = SmallPicture(4, 3, 0xFF00FF00);
  ASSERT_NE(info, nullptr);
  Gdiplus::Bitmap* image = info->GetBitmap(1);
  doc.DrawImage(RECT{0, 0, 4, 3}, image, info);
  doc.DrawImage(RECT{10, 10, 14, 13}, image, info);
  doc.DrawImage(RECT{10, 10, 14, 13}, image, nullptr);  // no record: nothing
  auto images = All("image");
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(Attr(images[0], "xlink:href"), "model_svg_Files/svg_bitmap1.png");
  EXPECT_EQ(Attr(images[1], "xlink:href"), "model_svg_Files/svg_bitmap1.png");
  EXPECT_EQ(Attr(images[1], "x") + Attr(images[1], "y") + Attr(images[1], "width") + Attr(images[1], "height"),
            "101043");
  EXPECT_FALSE(images[0].hasAttribute("clip-path"));
  const fs::path png = dir.path / "model_svg_Files" / "svg_bitmap1.png";
  EXPECT_EQ(ReadFile(png).substr(0, 4), "\x89PNG");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "model_svg_Files"), fs::directory_iterator()), 1);

  // Icons with a picture identifier share one file; Clear forgets them.
  KvImage px;
  px.width = px.height = 2;
  px.px.assign(4, 0xFF0000FF);
  HICON icon = KvCreateIconFromImage(px);
  const GUID id = MakeGUID("{01234567-89AB-CDEF-0123-456789ABCDEF}");
  doc.DrawIcon(RECT{0, 0, 2, 2}, icon, 0, &id);
  doc.DrawIcon(RECT{5, 5, 7, 7}, icon, 0, &id);
  images = All("image");
  ASSERT_EQ(images.size(), 4u);
  EXPECT_EQ(Attr(images[3], "xlink:href"), "model_svg_Files/svg_bitmap2.png");
  doc.Clear();
  doc.DrawIcon(RECT{0, 0, 2, 2}, icon, 0, &id);  // written anew, not linked to the old number
  images = All("image");
  EXPECT_EQ(Attr(images.back(), "xlink:href"), "model_svg_Files/svg_bitmap1.png");
  KvDestroyIcon(icon);

  ASSERT_EQ(doc.SaveDocument(SString((dir.path / "model.svg").string()), 3), 1);
  ExpectValidSvg(dir.path / "model.svg");
}

TEST_F(SvgDoc, FailedPictureWritesAreReportedAndNotLinked) {
  TempDir dir;
  const fs::path blocker = dir.path / "blocked";
  std::ofstream(blocker) << "x";  // a file where the picture folder would go
  doc.SetFilePath(SString((blocker / "model.svg").string()));
  SPictureInfo* info = SmallPicture(2, 2, 0xFFFF0000);
  doc.DrawImage(RECT{0, 0, 2, 2}, info->GetBitmap(1), info);
  EXPECT_TRUE(All("image").empty());
  EXPECT_TRUE(doc.HasPictureFailure());
  // The next picture that can be written takes the first number.
  doc.SetFilePath(SString((dir.path / "ok.svg").string()));
  doc.DrawImage(RECT{0, 0, 2, 2}, info->GetBitmap(1), info);
  auto images = All("image");
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(Attr(images[0], "xlink:href"), "ok_svg_Files/svg_bitmap1.png");
  // The document is written, but the save reports the lost picture.
  EXPECT_EQ(doc.SaveDocument(SString((dir.path / "ok.svg").string()), 3), 0);
  EXPECT_TRUE(fs::exists(dir.path / "ok.svg"));

  // An unwritable document path: 0 and no file.
  SSVGDomDocument plain;
  ASSERT_EQ(plain.CreateDocument(SIZE{1, 1}, RECT{0, 0, 4, 4}), 1);
  EXPECT_EQ(plain.SaveDocument(SString((dir.path / "nowhere" / "x.svg").string()), 3), 0);
  EXPECT_FALSE(fs::exists(dir.path / "nowhere"));
  // Drawing and saving without a document do nothing and fail cleanly.
  SSVGDomDocument none;
  none.Rectangle(RECT{0, 0, 5, 5});
  none.DrawText(RECT{0, 0, 5, 5}, SString("x"), 0);
  EXPECT_EQ(none.SaveDocument(SString((dir.path / "none.svg").string()), 3), 0);
  EXPECT_FALSE(fs::exists(dir.path / "none.svg"));
}

TEST_F(SvgDoc, PictureFillsClipOnlyTheirOwnImagesAndRedrawClosedOutlines) {
  TempDir dir;
  doc.SetFilePath(SString((dir.path / "fill.svg").string()));
  SSymBrush brush(SSymColor(0xFFFFFF));
  brush.SetStyle(SSymBrush::Picture);
  brush.SetBitmapMode(11);  // stretched
  SPictureInfo* info = SmallPicture(8, 8, 0xFF0080FF);
  brush.SetPicture(info);
  doc.SetBrush(brush);
  doc.SetUseFillEffect(1);
  ASSERT_EQ(doc.GetUseBackgroundImage(), 1);

  const POINT tri[] = {{0, 0}, {40, 0}, {20, 30}};
  doc.Polygon(tri, 3);
  auto clips = All("clipPath");
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(Attr(clips[0], "id"), "Clipping1");
  auto images = All("image");
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(Attr(images[0], "clip-path"), "url(#Clipping1)");
  EXPECT_EQ(Attr(images[0], "x") + "," + Attr(images[0], "y") + "," + Attr(images[0], "width") + "," +
                Attr(images[0], "height"),
            "1,1,38,28");  // the bounding box shrunk by 1
  auto polys = All("polygon");  // clip child, the shape, and its outline again
  ASSERT_EQ(polys.size(), 3u);
  EXPECT_EQ(Attr(polys[2], "points"), "0,0 40,0 20,30");
  EXPECT_EQ(Attr(polys[2], "fill"), "none");
  EXPECT_TRUE(All("polyline").empty());

  // A picture drawn for itself while the fill applies is not clipped.
  doc.DrawImage(RECT{50, 50, 58, 58}, info->GetBitmap(1), info);
  images = All("image");
  ASSERT_EQ(images.size(), 2u);
  EXPECT_FALSE(images[1].hasAttribute("clip-path"));

  // Shapes with their clip path first; the tiled mode fills with whole tiles.
  doc.Rectangle(RECT{0, 0, 20, 20});
  doc.Ellipse(RECT{0, 0, 20, 20});
  brush.SetBitmapMode(9);
  doc.SetBrush(brush);
  doc.RoundRect(RECT{0, 0, 20, 12}, SIZE{6, 6});
  EXPECT_EQ(All("clipPath").size(), 4u);
  images = All("image");
  ASSERT_EQ(images.size(), 2u + 1 + 1 + 6);  // 18 x 10 inside: 3 x 2 tiles of 8 x 8, cut at the edges
  EXPECT_EQ(Attr(images.back(), "clip-path"), "url(#Clipping4)");
  EXPECT_EQ(Attr(images.back(), "width") + "x" + Attr(images.back(), "height"), "2x2");

  ASSERT_EQ(doc.SaveDocument(SString((dir.path / "fill.svg").string()), 3), 1);
  ExpectValidSvg(dir.path / "fill.svg");
}

TEST_F(SvgDoc, GroupsLinksAndHandOver) {
  SSVG source;
  ASSERT_EQ(source.CreateDocument(SIZE{20, 20}, RECT{0, 0, 76, 76}), 1);
  source.CreateGraphicElement(SString("sym1"), 1, 1, 1);
  source.Rectangle(RECT{1, 1, 10, 10});
  source.CreateLinkElement(SString("http://example.com/a?b=1&c=2"), 1, 1, 1, 0);
  source.Ellipse(RECT{1, 1, 10, 10});
  source.SetHasCurrentElement(0);
  source.Line(POINT{0, 0}, POINT{5, 5});
  source.DrawText(RECT{0, 0, 50, 20}, SString(), 0);
  source.SetBrush(SSymBrush(SSymColor(0x00FF00)));
  SSymBrush g(SSymColor(0x0000FF));
  g.SetStyle(SSymBrush::Gradient);
  g.SetGradientMode(0x21);
  source.SetBrush(g);
  source.SetUseFillEffect(1);
  source.Rectangle(RECT{20, 20, 40, 40});

  SSVG target;
  source.Detach(target);
  EXPECT_EQ(source.GetUseFillEffect(), 0);
  EXPECT_EQ(target.GetUseFillEffect(), 1);
  // The target goes on numbering where the source stopped.
  target.Rectangle(RECT{20, 20, 40, 40});
  DOM_Element root = target.GetSvgElement();
  std::vector<DOM_Element> gs, as;
  Collect(root, SString("g"), gs);
  Collect(root, SString("a"), as);
  ASSERT_EQ(gs.size(), 1u);
  ASSERT_EQ(as.size(), 1u);
  EXPECT_EQ(Attr(gs[0], "id"), "sym1");
  EXPECT_EQ(gs[0].getParentNode(), DOM_Node(root));
  EXPECT_EQ(as[0].getParentNode(), DOM_Node(root));  // never nested
  EXPECT_EQ(Attr(as[0], "target"), "_parent");
  EXPECT_EQ(DOM_Element(gs[0].getFirstChild()).getTagName().str(), SString("rect"));
  EXPECT_EQ(root.getLastChild().getNodeName().str(), SString("rect"));
  std::vector<DOM_Element> grads;
  Collect(root, SString("linearGradient"), grads);
  ASSERT_EQ(grads.size(), 2u);
  EXPECT_EQ(Attr(grads[1], "id"), "Gradient2");

  TempDir dir;
  ASSERT_EQ(target.SaveDocument(SString((dir.path / "h.svg").string()), 3), 1);
  const std::string text = ReadFile(dir.path / "h.svg");
  EXPECT_NE(text.find("xlink:href=\"http://example.com/a?b=1&amp;c=2\""), std::string::npos);
  ExpectValidSvg(dir.path / "h.svg");
}

}  // namespace

namespace {

TEST_F(SvgDoc, PiesFilledPathsMetafilesAndBitmaps) {
  TempDir dir;
  doc.SetFilePath(SString((dir.path / "more.svg").string()));
  doc.SetPen(SSymPen(1, 150, SSymColor(0x000000)));  // 2 pixels
  UseGradientBrush(0x1001);
  // A pie: the path refers to the gradient written for its fill box.
  doc.Pie(RECT{0, 0, 100, 100}, POINT{100, 50}, POINT{50, 0}, RECT{50, 0, 100, 50});
  auto paths = All("path");
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(Attr(paths[0], "d"), "M100,50 A50,50 0 0,0 50,0 L50,50 Z");
  EXPECT_EQ(Attr(paths[0], "fill"), "url(#Gradient2)");
  EXPECT_EQ(Attr(paths[0], "stroke-width"), "2");

  doc.BeginPath();
  doc.PathMove(POINT{0, 0});
  doc.PathLine(POINT{0, 0}, POINT{10, 0});
  doc.PathLine(POINT{10, 0}, POINT{10, 10});
  doc.EndPath();
  doc.FillPath(RECT{0, 0, 10, 10});
  doc.StrokeAndFillPath(RECT{0, 0, 10, 10});
  paths = All("path");
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(Attr(paths[1], "d"), "M0,0 L10,0 L10,10 Z");
  EXPECT_EQ(Attr(paths[1], "stroke"), "none");
  EXPECT_EQ(Attr(paths[1], "fill"), "url(#Gradient3)");
  EXPECT_EQ(Attr(paths[2], "stroke"), "#000000");
  EXPECT_EQ(Attr(paths[2], "fill"), "url(#Gradient4)");

  // A metafile and a DC bitmap become PNG files, each written once.
  RECT frame{0, 0, 1000, 1000};
  HDC mdc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  ASSERT_NE(mdc, nullptr);
  ::Rectangle(mdc, 0, 0, 20, 20);
  SMetaFile mf(CloseEnhMetaFile(mdc));
  ASSERT_TRUE(mf.IsValid());
  doc.DrawMetaFile(RECT{0, 0, 20, 20}, mf);
  doc.DrawMetaFile(RECT{30, 0, 50, 20}, mf);
  std::vector<std::uint32_t> bits(16, 0x00FF8000);
  SBitmap bm;
  ASSERT_TRUE(bm.CreateBitmap(4, 4, 1, 32, bits.data()));
  doc.DrawBitmap(RECT{0, 30, 4, 34}, &bm);
  doc.DrawBitmap(RECT{10, 30, 14, 34}, &bm);
  doc.DrawBitmap(RECT{10, 30, 14, 34}, nullptr);
  auto images = All("image");
  ASSERT_EQ(images.size(), 4u);
  EXPECT_EQ(Attr(images[1], "xlink:href"), "more_svg_Files/svg_bitmap1.png");
  EXPECT_EQ(Attr(images[3], "xlink:href"), "more_svg_Files/svg_bitmap2.png");
  for (const char* f : {"svg_bitmap1.png", "svg_bitmap2.png"})
    EXPECT_EQ(ReadFile(dir.path / "more_svg_Files" / f).substr(0, 4), "\x89PNG") << f;

  ASSERT_EQ(doc.SaveDocument(SString((dir.path / "more.svg").string()), 3), 1);
  ExpectValidSvg(dir.path / "more.svg");
}

// Pictures are keyed by what they show: an object freed and made again at
// the same address with another picture gets a file of its own, while equal
// pictures from different objects share one.
TEST_F(SvgDoc, PicturesAtOneAddressAreKeptApartByContent) {
  TempDir dir;
  doc.SetFilePath(SString((dir.path / "model.svg").string()));
  std::vector<std::uint32_t> red(16, 0x00FF0000), blue(16, 0x000000FF);
  SBitmap bm;  // one object, two pictures in turn
  ASSERT_TRUE(bm.CreateBitmap(4, 4, 1, 32, red.data()));
  doc.DrawBitmap(RECT{0, 0, 4, 4}, &bm);
  bm.DeleteObject();
  ASSERT_TRUE(bm.CreateBitmap(4, 4, 1, 32, blue.data()));
  doc.DrawBitmap(RECT{10, 0, 14, 4}, &bm);
  SBitmap sameAsRed;
  ASSERT_TRUE(sameAsRed.CreateBitmap(4, 4, 1, 32, red.data()));
  doc.DrawBitmap(RECT{20, 0, 24, 4}, &sameAsRed);

  // The same for images: two in turn in one piece of storage.
  SPictureInfo* info = SmallPicture(2, 2, 0xFF00FF00);
  alignas(Gdiplus::Bitmap) unsigned char storage[sizeof(Gdiplus::Bitmap)];
  auto* first = new (storage) Gdiplus::Bitmap(3, 3);
  first->SetPixel(0, 0, Gdiplus::Color(255, 255, 0, 0));
  doc.DrawImage(RECT{0, 10, 3, 13}, first, info);
  first->~Bitmap();
  auto* second = new (storage) Gdiplus::Bitmap(3, 3);
  second->SetPixel(0, 0, Gdiplus::Color(255, 0, 0, 255));
  doc.DrawImage(RECT{10, 10, 13, 13}, second, info);
  second->~Bitmap();

  // Metafiles too: a metafile deleted and another recorded, which may take
  // the same handle.
  for (int size : {20, 40}) {
    RECT frame{0, 0, 1000, 1000};
    HDC mdc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    ::Rectangle(mdc, 0, 0, size, size);
    SMetaFile mf(CloseEnhMetaFile(mdc));
    doc.DrawMetaFile(RECT{0, 20, 20, 40}, mf);
  }

  const auto images = All("image");
  ASSERT_EQ(images.size(), 7u);
  std::vector<std::string> hrefs;
  for (const auto& e : images) hrefs.push_back(Attr(e, "xlink:href"));
  EXPECT_NE(hrefs[0], hrefs[1]);  // red, then blue from the same SBitmap
  EXPECT_EQ(hrefs[0], hrefs[2]);  // red again from another object
  EXPECT_NE(hrefs[3], hrefs[4]);  // two images in one storage
  EXPECT_NE(hrefs[5], hrefs[6]);  // two metafiles
  EXPECT_EQ(std::set<std::string>(hrefs.begin(), hrefs.end()).size(), 6u);
  auto pixel = [&](const std::string& href) {
    std::unique_ptr<Gdiplus::Bitmap> b(SBitmapPlus::CreateBitmap(SString((dir.path / href).string())));
    Gdiplus::Color c;
    if (b) b->GetPixel(0, 0, &c);
    return c.GetValue();
  };
  EXPECT_EQ(pixel(hrefs[0]), 0xFFFF0000u);
  EXPECT_EQ(pixel(hrefs[1]), 0xFF0000FFu);
  EXPECT_EQ(pixel(hrefs[3]), 0xFFFF0000u);
  EXPECT_EQ(pixel(hrefs[4]), 0xFF0000FFu);
}

}  // namespace
