// The SVG export canvas: the document's frame, the conversion of diagram
// units, shapes, fills, texts, pictures, paths and groups, and the hand-over.
// Every document saved here is checked against the SVG 1.1 DTD and rendered.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kvcore/spicture.h"
#include "sym/render/symcanvsvg.h"

#include "support/file_fixture.h"

namespace {

using namespace kvtest;

// Valid against the SVG 1.1 DTD and rendered by rsvg-convert (each check
// skipped when its tool is missing).
void ExpectValidSvg(const fs::path& file) {
  if (HaveTool("xmllint") && fs::exists(kSvgDtd)) {
    const std::string cmd =
        std::string("xmllint --noout --nonet --dtdvalid ") + kSvgDtd + " " + file.string() + " 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << ReadFile(file);
  }
  if (HaveTool("rsvg-convert")) {
    const fs::path png = file.string() + ".png";
    const std::string cmd = "rsvg-convert -o " + png.string() + " " + file.string() + " 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(ReadFile(png).substr(0, 4), "\x89PNG");
  }
}

// A canvas locked on an area of 7050 x 7050 units (98 x 98 pixels).
class SvgCanvas : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas.SetFilePath(SString((dir.path / "model.svg").string()));
    ASSERT_EQ(canvas.Lock(SSymRect(0, 7050, 7050, 0)), 1);
  }
  std::vector<DOM_Element> All(const char* name = "") {
    std::vector<DOM_Element> v;
    Collect(canvas.GetSvg().GetSvgElement(), SString(name), v);
    return v;
  }
  // Unlocks into a new document, saves it and checks it.
  void SaveAndCheck(const char* name = "model.svg") {
    SSVG out;
    canvas.Unlock(out);
    const fs::path file = dir.path / name;
    ASSERT_EQ(out.SaveDocument(SString(file.string()), 3), 1);
    ExpectValidSvg(file);
  }
  TempDir dir;
  SSymCanvasSVG canvas;
};

}  // namespace

TEST(CanvasSvg, LockBuildsTheDocumentFrame) {
  // The document declares the box's size at 96 pixels an inch, in points
  // (exact: three quarters of a point a pixel), so viewers do not scale it.
  struct Case {
    SSymRect area;
    LONG pixels, mm;
    const char* points;
  };
  const Case cases[] = {
      {SSymRect(0, 0, 0, 0), 4, 1, "3pt"},            // grown to 300 x 300 units
      {SSymRect(0, 74, 74, 0), 5, 1, "3.75pt"},       // 374 x 374 after growing
      {SSymRect(0, 7050, 7050, 0), 98, 25, "73.5pt"},  // 7350 x 7350 after growing
      {SSymRect(7050, 0, 0, 7050), 98, 25, "73.5pt"},  // any corner order
  };
  for (const Case& c : cases) {
    SSymCanvasSVG canvas;
    EXPECT_EQ(canvas.GetCanvasType(), 9);
    ASSERT_EQ(canvas.Lock(c.area), 1);
    EXPECT_TRUE(canvas.IsLocked());
    EXPECT_EQ(canvas.GetSvgBox().right, c.pixels);
    EXPECT_EQ(canvas.GetSvgBox().bottom, c.pixels);
    EXPECT_EQ(canvas.GetSizeMm().cx, c.mm);
    EXPECT_EQ(canvas.GetSizeMm().cy, c.mm);
    const DOM_Element root = canvas.GetSvg().GetSvgElement();
    EXPECT_EQ(Attr(root, "width"), c.points);
    EXPECT_EQ(Attr(root, "height"), c.points);
    EXPECT_EQ(Attr(root, "viewBox"), "0 0 " + std::to_string(c.pixels) + " " + std::to_string(c.pixels));
    EXPECT_EQ(Attr(root, "version"), "1.1");
    EXPECT_EQ(Attr(root, "xmlns"), "http://www.w3.org/2000/svg");
    EXPECT_EQ(Attr(root, "xmlns:xlink"), "http://www.w3.org/1999/xlink");
  }
  // The top-left corner of the grown area is the SVG origin; 75 units right
  // and below it is (1, 1); its bottom edge is the bottom of the view box.
  SSymCanvasSVG canvas;
  canvas.Lock(SSymRect(0, 7050, 7050, 0));
  const POINT o = canvas.VPtoDP(SSymPoint(-150, 7200));
  const POINT p = canvas.VPtoDP(SSymPoint(-75, 7125));
  const POINT b = canvas.VPtoDP(SSymPoint(-150, -150));
  EXPECT_EQ(o.x, 0);
  EXPECT_EQ(o.y, 0);
  EXPECT_EQ(p.x, 1);
  EXPECT_EQ(p.y, 1);
  EXPECT_EQ(b.y, 98);
}

TEST_F(SvgCanvas, EmptyDocumentIsDeclaredAndValid) {
  EXPECT_TRUE(All().empty());
  SaveAndCheck("empty.svg");
  const std::string text = ReadFile(dir.path / "empty.svg");
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>", 0), 0u) << text;
  EXPECT_NE(text.find("<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" "
                      "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">"),
            std::string::npos)
      << text;
  EXPECT_LT(text.find("<!DOCTYPE"), text.find("<svg"));
}

TEST_F(SvgCanvas, ShapesStrokesAndCorners) {
  canvas.SetPen(SSymPen(SSymPen::Dash, 150, SSymColor(0x0000FF)));
  canvas.SetBrush(SSymBrush(SSymColor(0x00FF00)), 0);
  // A box 40 pixels high (3000 units): corner (30, 40), written halved.
  canvas.Oval(SSymRect(0, 3000, 6000, 0));
  // Corner (0, 0) over 100 x 60 pixels: a quarter of the smaller side plus one.
  canvas.RoundRect(SSymRect(0, 4500, 7500, 0), SSymSize(0, 0));
  canvas.Ellipse(SSymRect(0, 750, 1500, 0));
  canvas.Line(SSymPoint(0, 0), SSymPoint(7050, 7050));
  canvas.RoundPolyline(SSymListPt{SSymPoint(0, 0), SSymPoint(750, 750)});
  canvas.PolyBezier(SSymListPt{SSymPoint(0, 0), SSymPoint(750, 750)}, 0, 0);
  canvas.PolyBezier(SSymListPt{SSymPoint(0, 0), SSymPoint(750, 750), SSymPoint(1500, 0)}, 0, 0);
  canvas.Polygon(SSymListPt{SSymPoint(0, 0), SSymPoint(750, 750), SSymPoint(1500, 0)});
  canvas.Polygon(SSymListPt{});  // nothing
  canvas.Arc(SSymRect(0, 1500, 1500, 0), SSymPoint(1500, 750), SSymPoint(0, 750));
  canvas.FillRect(SSymRect(0, 750, 750, 0), SSymBrush(SSymColor(0xFF0000)));

  const auto rects = All("rect");
  ASSERT_EQ(rects.size(), 3u);
  EXPECT_EQ(Attr(rects[0], "rx"), "15");
  EXPECT_EQ(Attr(rects[0], "ry"), "20");
  EXPECT_EQ(Attr(rects[1], "width"), "100");
  EXPECT_EQ(Attr(rects[1], "height"), "60");
  EXPECT_EQ(Attr(rects[1], "rx"), "7");
  EXPECT_EQ(Attr(rects[1], "ry"), "7");
  EXPECT_EQ(Attr(rects[0], "stroke"), "#ff0000");
  EXPECT_EQ(Attr(rects[0], "stroke-dasharray"), "16,8");
  EXPECT_EQ(Attr(rects[0], "stroke-width"), "2");  // 150 x 96 / 75 / 72
  EXPECT_EQ(Attr(rects[0], "fill"), "#00ff00");
  // FillRect: the given brush, no outline, and the pen and brush come back.
  EXPECT_EQ(Attr(rects[2], "stroke"), "none");
  EXPECT_EQ(Attr(rects[2], "fill"), "#0000ff");
  SSymPen pen;
  SSymBrush brush;
  canvas.GetPen(pen);
  canvas.GetBrush(brush);
  EXPECT_EQ(pen, SSymPen(SSymPen::Dash, 150, SSymColor(0x0000FF)));
  EXPECT_EQ(brush.GetColor().GetColor(), 0x00FF00u);

  // Two-point curves are plain polylines; three points make a path.
  const auto polylines = All("polyline");
  ASSERT_EQ(polylines.size(), 2u);
  EXPECT_EQ(Attr(polylines[0], "points"), Attr(polylines[1], "points"));
  EXPECT_EQ(All("polygon").size(), 1u);
  EXPECT_EQ(All("ellipse").size(), 1u);
  EXPECT_EQ(All("line").size(), 1u);
  EXPECT_EQ(All("path").size(), 2u);  // the Bézier run and the arc
  SaveAndCheck();
}

TEST_F(SvgCanvas, GradientsFollowColourAndPaths) {
  SSymBrush gradient(SSymColor(0xFF0000));
  gradient.SetStyle(SSymBrush::Gradient);
  gradient.SetGradientMode(0x21);  // left to right, colours exchanged
  gradient.SetEndColor(SSymColor(0x00FFFF));
  canvas.SetBrush(gradient, 0);
  EXPECT_EQ(canvas.GetSvg().GetUseFillEffect(), 1);
  canvas.Rectangle(SSymRect(0, 3000, 3000, 0));
  auto rects = All("rect");
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(Attr(rects[0], "fill"), "url(#Gradient1)");
  const auto grads = All("linearGradient");
  ASSERT_EQ(grads.size(), 1u);
  EXPECT_EQ(Attr(grads[0], "id"), "Gradient1");
  EXPECT_EQ(Attr(grads[0], "x2"), "100%");

  // No fill effect while a path is recorded; an aborted path gives it back.
  canvas.BeginPath();
  canvas.SetBrush(gradient, 0);
  EXPECT_EQ(canvas.GetSvg().GetUseFillEffect(), 0);
  canvas.AbortPath();
  canvas.SetBrush(gradient, 0);
  EXPECT_EQ(canvas.GetSvg().GetUseFillEffect(), 1);

  // In black and white a gradient becomes its solid colour; colours stay.
  canvas.m_bColor = 0;
  canvas.SetBrush(gradient, 0);
  canvas.SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0x00FF00)));
  canvas.Rectangle(SSymRect(3000, 3000, 6000, 0));
  rects = All("rect");
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(Attr(rects[1], "fill"), "#0000ff");
  EXPECT_EQ(Attr(rects[1], "stroke"), "#00ff00");
  EXPECT_EQ(All("linearGradient").size(), 1u);
  SaveAndCheck();
}

TEST_F(SvgCanvas, TextsInTheirFontAndColour) {
  canvas.SetFont(SSymFont(SGetArialString(), 12, SSymFont::Bold | SSymFont::Italic));
  canvas.SetFontColor(SSymColor(0x008000));
  canvas.DrawText(SSymRect(0, 7050, 7050, 0), SString(u"Customer\r\nOrder"), 0x22);
  canvas.DrawText(SSymRect(0, 7050, 7050, 0), SString(), 0);  // nothing
  const auto texts = All("text");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(Attr(texts[0], "font-family"), "Arial");
  EXPECT_EQ(Attr(texts[0], "font-weight"), "bold");
  EXPECT_EQ(Attr(texts[0], "font-style"), "italic");
  EXPECT_EQ(Attr(texts[0], "fill"), "#008000");
  EXPECT_EQ(Attr(texts[0], "text-anchor"), "middle");
  EXPECT_EQ(Attr(texts[0], "x"), "49");  // the centre of the 98-pixel box
  EXPECT_EQ(texts[0].getFirstChild().getNodeValue().str().ToUtf8(), "Customer");
  EXPECT_LT(std::stoi(Attr(texts[0], "y")), std::stoi(Attr(texts[1], "y")));
  // The platform's text colour follows black and white; the SVG keeps the colour.
  canvas.m_bColor = 0;
  canvas.SetFontColor(SSymColor(0x0000FF));
  EXPECT_EQ(canvas.GetCanvasDC()->GetTextColor(), 0u);
  canvas.DrawText(SSymRect(0, 7050, 7050, 0), SString(u"Red"), 0);
  EXPECT_EQ(Attr(All("text").back(), "fill"), "#ff0000");
  SaveAndCheck();
}

TEST_F(SvgCanvas, TruncatedTextIsCutWithAnEllipsis) {
  canvas.SetFont(SSymFont(SGetArialString(), 10, SSymFont::Normal));
  // A box about 12 mm wide: the long first line is cut, the short second kept,
  // a short line that does not fit is dropped.
  canvas.DrawText(SSymRect(0, 2000, 1200, 0), SString(u"Customer order lines\r\nId\r\nWWWWWWWWW"), 0x2000);
  const auto texts = All("text");
  ASSERT_EQ(texts.size(), 3u);
  const std::string first = texts[0].getFirstChild().getNodeValue().str().ToUtf8();
  EXPECT_EQ(first.substr(0, 5), "Custo");
  EXPECT_EQ(first.substr(first.size() - 3), "...");
  EXPECT_LT(first.size(), 20u);
  EXPECT_EQ(texts[1].getFirstChild().getNodeValue().str().ToUtf8(), "Id");
  EXPECT_EQ(texts[2].getFirstChild().getNodeValue().str().ToUtf8().substr(0, 5), "WWWWW");
  SaveAndCheck();
}

TEST_F(SvgCanvas, PicturesAreLinkedBesideTheDocument) {
  std::vector<std::uint32_t> bits(16, 0x00FF8000);
  SBitmap bm;
  ASSERT_TRUE(bm.CreateBitmap(4, 4, 1, 32, bits.data()));
  canvas.DrawBitmap(SSymRect(0, 300, 300, 0), &bm);
  canvas.DrawBitmap(SSymRect(3000, 300, 3300, 0), &bm);  // the same file again
  canvas.DrawBitmap(SSymRect(0, 300, 300, 0), nullptr);
  // A picture-filled polygon: its image clipped to the polygon, its outline closed.
  SSymBrush fill(SSymColor(0xFFFFFF));
  fill.SetStyle(SSymBrush::Picture);
  fill.SetBitmapMode(11);
  fill.SetPicture(SmallPicture(8, 8, 0xFF0080FF));
  canvas.SetBrush(fill, 0);
  canvas.Polygon(SSymListPt{SSymPoint(0, 6000), SSymPoint(3000, 6000), SSymPoint(1500, 3000)});
  // RTF text becomes a picture too.
  canvas.DrawRtfText(SSymRect(3600, 7000, 7000, 3600), SString(u"{\\rtf1 Hello}"), 0, -1, nullptr);

  const auto images = All("image");
  ASSERT_EQ(images.size(), 4u);
  EXPECT_EQ(Attr(images[0], "xlink:href"), "model_svg_Files/svg_bitmap1.png");
  EXPECT_EQ(Attr(images[1], "xlink:href"), "model_svg_Files/svg_bitmap1.png");
  EXPECT_EQ(Attr(images[0], "width"), "4");  // 300 units: exactly 4 pixels
  EXPECT_FALSE(images[0].hasAttribute("clip-path"));
  EXPECT_EQ(Attr(images[2], "xlink:href"), "model_svg_Files/svg_bitmap2.png");
  EXPECT_EQ(Attr(images[2], "clip-path"), "url(#Clipping1)");
  EXPECT_EQ(All("clipPath").size(), 1u);
  EXPECT_EQ(Attr(images[3], "xlink:href"), "model_svg_Files/svg_bitmap3.png");
  for (const char* f : {"svg_bitmap1.png", "svg_bitmap2.png", "svg_bitmap3.png"})
    EXPECT_EQ(ReadFile(dir.path / "model_svg_Files" / f).substr(0, 4), "\x89PNG") << f;
  SaveAndCheck();
}

TEST_F(SvgCanvas, PathsGroupsAndIgnoredDrawing) {
  // Nothing for pixels, focus rectangles and backgrounds; no device paths.
  canvas.SetPixel(SSymPoint(0, 0), 0);
  canvas.FocusRect(SSymRect(0, 750, 750, 0));
  SDrawBackground painter;
  canvas.DrawBackground(painter, RECT{0, 0, 10, 10}, 1, 1);
  canvas.DrawBackground(painter, SSymRect(0, 750, 750, 0), SSymRect(0, 750, 750, 0), 1, 1);
  EXPECT_TRUE(All().empty());
  EXPECT_EQ(canvas.FlattenPath(), 0);
  EXPECT_EQ(canvas.WidenPath(), 0);
  EXPECT_EQ(canvas.GetPath(nullptr, nullptr, 0), 0);
  EXPECT_EQ(canvas.PathToRegion(), nullptr);

  canvas.BeginSymbol(SString(u"sym1"));
  EXPECT_EQ(canvas.BeginPath(), 1);
  EXPECT_EQ(canvas.IsDrawingPath(), 1);
  canvas.Line(SSymPoint(0, 0), SSymPoint(750, 0));
  canvas.Line(SSymPoint(750, 0), SSymPoint(750, 750));
  EXPECT_EQ(canvas.CloseFigure(), 1);
  EXPECT_EQ(canvas.EndPath(), 1);
  EXPECT_EQ(canvas.IsDrawingPath(), 0);
  EXPECT_EQ(canvas.StrokeAndFillPath(SSymRect(0, 750, 750, 0)), 1);
  canvas.BeginLink(SString(u"https://example.org/a?b=1"), 1);
  canvas.Rectangle(SSymRect(0, 750, 750, 0));
  canvas.EndLink();
  canvas.Ellipse(SSymRect(0, 750, 750, 0));

  const auto paths = All("path");
  ASSERT_EQ(paths.size(), 1u);
  const std::string d = Attr(paths[0], "d");
  EXPECT_EQ(d.front(), 'M');
  EXPECT_EQ(d.back(), 'Z');
  EXPECT_EQ(All("line").size(), 0u);  // recorded into the path
  const DOM_Element root = canvas.GetSvg().GetSvgElement();
  std::vector<std::string> top;
  for (DOM_Node c = root.getFirstChild(); !c.isNull(); c = c.getNextSibling())
    if (c.getNodeType() == DOM_Node::ELEMENT_NODE) top.push_back(DOM_Element(c).getTagName().str().ToUtf8());
  EXPECT_EQ(top, (std::vector<std::string>{"g", "a", "ellipse"}));
  EXPECT_EQ(Attr(All("g")[0], "id"), "sym1");
  EXPECT_EQ(Attr(All("a")[0], "target"), "_self");
  SaveAndCheck();
}

TEST_F(SvgCanvas, UnlockHandsTheDocumentOver) {
  canvas.Rectangle(SSymRect(0, 750, 750, 0));
  SSVG out;
  canvas.Unlock(out);
  EXPECT_FALSE(canvas.IsLocked());
  std::vector<DOM_Element> rects;
  Collect(out.GetSvgElement(), SString(u"rect"), rects);
  EXPECT_EQ(rects.size(), 1u);
  EXPECT_EQ(out.GetFilePath(), canvas.GetFilePath());
  const fs::path file = dir.path / "handed.svg";
  ASSERT_EQ(out.SaveDocument(SString(file.string()), 3), 1);
  ExpectValidSvg(file);
}
