// Picture fills land in the same place whether the core background painter
// draws them (screen, PNG, EMF, PDF) or the SVG writer writes them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcore/sdrawbackground.h"
#include "kvcore/spicturefill.h"
#include "sym/render/ssvg.h"

#include "support/canvas_fixture.h"
#include "support/file_fixture.h"

namespace {

using namespace kvtest;

std::string Str(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) + "," +
         std::to_string(r.bottom - r.top);
}

TEST(PictureFill, PainterAndSvgPlaceThePictureAlike) {
  SPictureInfo* info = SmallPicture(6, 4, 0xFF0000FF);  // blue
  ASSERT_NE(info, nullptr);
  TempDir dir("picturefill_test");
  const RECT box{10, 10, 50, 40};
  const RECT inner{11, 11, 49, 39};  // the SVG writer shrinks the box by 1 first
  struct Case {
    int mode;
    const char* where;  // x,y,width,height
  } cases[] = {
      {pfmTopLeft, "11,11,6,4"},       {pfmTop, "27,11,6,4"},        {pfmTopRight, "43,11,6,4"},
      {pfmRight, "43,23,6,4"},         {pfmBottomRight, "43,35,6,4"}, {pfmBottom, "27,35,6,4"},
      {pfmBottomLeft, "11,35,6,4"},    {pfmLeft, "11,23,6,4"},       {pfmCentre, "27,23,6,4"},
      {pfmProportional, "11,13,38,25"}, {pfmStretched, "11,11,38,28"}, {13, "27,23,6,4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    // SVG: the image element of a filled rectangle.
    SSVGDomDocument doc;
    ASSERT_EQ(doc.CreateDocument(SIZE{100, 50}, RECT{0, 0, 378, 189}), 1);
    doc.SetFilePath(dir.Name("fill.svg"));  // pictures are written beside it
    SSymBrush brush(SSymColor(0xFFFFFF));
    brush.SetStyle(SSymBrush::Picture);
    brush.SetBitmapMode(c.mode);
    brush.SetPicture(info);
    doc.SetBrush(brush);
    doc.SetUseFillEffect(1);
    doc.Rectangle(box);
    std::vector<DOM_Element> images;
    Collect(doc.GetSvgElement(), SString("image"), images);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(Attr(images[0], "x") + "," + Attr(images[0], "y") + "," + Attr(images[0], "width") + "," +
                  Attr(images[0], "height"),
              c.where);

    // Raster: the pixels the painter changes over the same box (a scaled
    // picture is smoothed at its edges).
    RasterDC raster(60, 50);
    SDrawBackground painter(nullptr, c.mode, 0);
    painter.SetBackColor(RGB(255, 255, 255));
    painter.SetPicture(info);
    ASSERT_TRUE(painter.UsePicture());
    ASSERT_TRUE(painter.DrawBackground(&raster.dc, inner));
    RECT painted{1000, 1000, -1, -1};
    for (int y = 0; y < raster.height; ++y)
      for (int x = 0; x < raster.width; ++x)
        if (raster.dc.GetPixel(x, y) != RGB(255, 255, 255)) {
          painted.left = std::min<LONG>(painted.left, x), painted.top = std::min<LONG>(painted.top, y);
          painted.right = std::max<LONG>(painted.right, x + 1), painted.bottom = std::max<LONG>(painted.bottom, y + 1);
        }
    EXPECT_EQ(Str(painted), c.where);
  }
  // Mode 12 shows no picture in either.
  SDrawBackground none(nullptr, pfmNone, 0);
  none.SetPicture(info);
  EXPECT_FALSE(none.UsePicture());
  SSymBrush brush(SSymColor(0xFFFFFF));
  brush.SetStyle(SSymBrush::Picture);
  brush.SetBitmapMode(pfmNone);
  brush.SetPicture(info);
  EXPECT_FALSE(brush.UsePicture());
}

}  // namespace
