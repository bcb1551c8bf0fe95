#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcore/sdc.h"
#include "kvcore/sdrawbackground.h"
#include "kvcore/srtfdocument.h"
#include "kvcore/spicture.h"
#include "kvcore/sstream.h"
#include "support/temp_files.h"

namespace {

// A memory DC on a white 64 x 48 bitmap.
struct Canvas {
  SDC dc;
  SBitmap bitmap;
  HGDIOBJ oldBitmap = nullptr;
  Canvas(int w = 64, int h = 48) {
    dc.CreateCompatibleDC(nullptr);
    bitmap.CreateCompatibleBitmap(&dc, w, h);
    oldBitmap = dc.SelectObject(bitmap);
    RECT rc = {0, 0, w, h};
    dc.FillSolidRect(&rc, 0xFFFFFF);
  }
  ~Canvas() { dc.SelectObject(oldBitmap); }
};

TEST(SDC, ScopesPutTheStateBack) {
  Canvas c;
  SPen pen(PS_SOLID, 3, RGB(255, 0, 0));
  SBrush brush(RGB(0, 255, 0));
  const HGDIOBJ pen0 = c.dc.GetCurrentObject(OBJ_PEN), brush0 = c.dc.GetCurrentObject(OBJ_BRUSH);
  {
    SSelectScope p(c.dc, pen), b(c.dc, brush);
    EXPECT_EQ(c.dc.GetCurrentObject(OBJ_PEN), pen.GetSafeHandle());
    EXPECT_EQ(c.dc.GetCurrentObject(OBJ_BRUSH), brush.GetSafeHandle());
    SSaveDCScope save(c.dc);
    ASSERT_GT(save.GetLevel(), 0);
    c.dc.SetROP2(R2_XORPEN);
    c.dc.SetBkColor(RGB(1, 2, 3));
    c.dc.SetViewportOrg(10, 20);
    c.dc.IntersectClipRect(0, 0, 5, 5);
    c.dc.SelectStockObject(NULL_PEN);
  }
  EXPECT_EQ(c.dc.GetCurrentObject(OBJ_PEN), pen0);
  EXPECT_EQ(c.dc.GetCurrentObject(OBJ_BRUSH), brush0);
  EXPECT_EQ(c.dc.GetROP2(), R2_COPYPEN);
  EXPECT_EQ(c.dc.GetBkColor(), 0xFFFFFFu);
  EXPECT_EQ(c.dc.GetViewportOrg().x, 0);
  RECT clip;
  c.dc.GetClipBox(&clip);
  EXPECT_EQ(clip.right, 64);
  // A context-less SDC answers failure, never crashes.
  SDC none;
  EXPECT_EQ(none.GetBkColor(), 0xFFFFFFu);
  EXPECT_EQ(none.SelectObject(pen), nullptr);
  EXPECT_FALSE(none.DrawBitmap({0, 0, 1, 1}, &c.bitmap));
  SSaveDCScope noop(none);
  EXPECT_EQ(noop.GetLevel(), 0);
}

TEST(SGdiObject, OwnershipAndStockObjects) {
  const std::size_t before = KvGdiObjectCount();
  {
    SPen a(PS_DASH, 1, 0);
    SPen b(std::move(a));
    EXPECT_FALSE(a.IsValid());
    EXPECT_TRUE(b.IsValid());
    SBrush stock;
    stock.CreateStockObject(NULL_BRUSH);
    stock.DeleteObject();  // a stock object stays usable
    EXPECT_NE(GetObjectType(GetStockObject(NULL_BRUSH)), 0u);
    SRgn r1, r2, r3;
    r1.CreateRectRgn(0, 0, 10, 10);
    r2.CreateRectRgn(5, 5, 20, 20);
    EXPECT_EQ(r3.CombineRgn(&r1, &r2, RGN_AND), SIMPLEREGION);
    EXPECT_TRUE(r3.PtInRegion(7, 7));
    EXPECT_FALSE(r3.PtInRegion(2, 2));
    EXPECT_EQ(r3.CombineRgn(&r1, nullptr, RGN_OR), ERROR);  // missing operand
  }
  EXPECT_EQ(KvGdiObjectCount(), before);
}

TEST(SGdiPen, FollowsTheGdiPen) {
  SPen cosmetic(PS_DOT, 0, RGB(10, 20, 30));
  EXTLOGPEN elp;
  ASSERT_TRUE(cosmetic.GetExtLogPen(&elp));
  EXPECT_EQ(elp.elpPenStyle & PS_STYLE_MASK, PS_DOT);
  EXPECT_EQ(elp.elpColor, RGB(10, 20, 30));
  SGdiPen gp(elp);
  EXPECT_EQ(gp.GetDashStyle(), Gdiplus::DashStyleDot);
  EXPECT_EQ(gp.GetWidth(), 1.0f);

  LOGBRUSH lb = {BS_SOLID, RGB(0, 0, 255), 0};
  SPen geometric;
  ASSERT_TRUE(geometric.ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER, 6, &lb));
  ASSERT_TRUE(geometric.GetExtLogPen(&elp));
  SGdiPen wide(elp);
  EXPECT_EQ(wide.GetWidth(), 6.0f);
  EXPECT_EQ(wide.GetStartCap(), Gdiplus::LineCapFlat);
  EXPECT_EQ(wide.GetLineJoin(), Gdiplus::LineJoinMiter);
  EXPECT_TRUE(wide.IsSame(elp));
  elp.elpColor = 0;
  EXPECT_FALSE(wide.IsSame(elp));
}

TEST(SBitmap, StreamAndFileForms) {
  Canvas c(8, 6);
  c.dc.SetPixel(3, 2, RGB(200, 10, 20));
  SOutputGlobal out;
  ASSERT_TRUE(c.bitmap.GetStreamBitmap(out));
  SInputGlobal in(out.GetData(), out.GetSize());
  SBitmap back;
  ASSERT_TRUE(back.CreateBitmap(in));
  EXPECT_EQ(back.GetSize().cx, 8);
  EXPECT_EQ(back.GetSize().cy, 6);
  SDC mem;
  mem.CreateCompatibleDC(nullptr);
  HGDIOBJ old = mem.SelectObject(back);
  EXPECT_EQ(mem.GetPixel(3, 2), RGB(200, 10, 20));
  EXPECT_EQ(mem.GetPixel(0, 0), 0xFFFFFFu);
  mem.SelectObject(old);

  // Truncated or foreign bytes are refused.
  SInputGlobal cut(out.GetData(), out.GetSize() / 2);
  SBitmap none;
  EXPECT_FALSE(none.CreateBitmap(cut));
  const char junk[] = "not a bitmap at all";
  SInputGlobal bad(junk, sizeof junk);
  EXPECT_FALSE(none.CreateBitmap(bad));

  kvtest::TempDir dir("sdc");
  EXPECT_TRUE(c.bitmap.SaveBitmap(dir.Name("sdc_test.png")));
  EXPECT_TRUE(c.bitmap.SaveBitmap(dir.Name("sdc_test.bmp")));
  EXPECT_FALSE(c.bitmap.SaveBitmap(SString("/nonexistent-dir/x.png")));
  EXPECT_FALSE(none.SaveBitmap(dir.Name("none.png")));
}

TEST(SDrawGradient, MediumColorTable) {
  struct {
    COLORREF a, b;
    int num, den;
    COLORREF want;
  } cases[] = {{RGB(0, 0, 0), RGB(255, 255, 255), 1, 2, RGB(127, 127, 127)},
               {RGB(200, 100, 0), 0xFFFFFF, 70, 100, RGB(238, 208, 178)},
               {RGB(10, 20, 30), RGB(40, 50, 60), 0, 5, RGB(10, 20, 30)},
               {RGB(10, 20, 30), RGB(40, 50, 60), 5, 5, RGB(40, 50, 60)},
               {RGB(10, 20, 30), RGB(40, 50, 60), 3, 0, RGB(10, 20, 30)},
               {RGB(100, 100, 100), RGB(200, 0, 0), 3, 1, RGB(255, 0, 0)}};  // clamped
  for (auto& c : cases) EXPECT_EQ(SDrawGradient::GetMediumColor(c.a, c.b, c.num, c.den), c.want) << c.num;
}

TEST(SDrawBackground, GradientInsideTheShapeOnly) {
  Canvas c;
  SDrawBackground bg(nullptr, 12, 0);
  bg.SetGradientMode(0x20);  // left to right
  bg.SetGradientColors(RGB(255, 0, 0), RGB(0, 0, 255));
  ASSERT_TRUE(bg.UseGradient());
  EXPECT_FALSE(bg.UsePicture());
  bg.SetShape(SDrawBackground::shapeEllipse);
  const RECT r = {0, 0, 64, 48};
  ASSERT_TRUE(bg.DrawBackground(&c.dc, r, r, 1, 1));
  EXPECT_EQ(c.dc.GetPixel(0, 0), 0xFFFFFFu);  // outside the ellipse
  const COLORREF left = c.dc.GetPixel(3, 24), right = c.dc.GetPixel(60, 24);
  EXPECT_GT(GetRValue(left), 200);
  EXPECT_GT(GetBValue(right), 200);
  EXPECT_EQ(c.dc.GetROP2(), R2_COPYPEN);
  EXPECT_TRUE(SDrawBackground::IsRectTooSmall({0, 0, 1, 10}));
  EXPECT_FALSE(SDrawBackground::IsRectTooSmall(r));
  // Equal colours make no gradient unless forced.
  bg.SetGradientColors(0, 0);
  EXPECT_FALSE(bg.UseGradient());
  bg.SetGradientMode(0x401);
  EXPECT_TRUE(bg.UseGradient());
  EXPECT_FALSE(bg.DrawBackground(nullptr, r, r));
}

TEST(SDrawBackground, PicturesFollowTheirMode) {
  KvImage img;
  img.width = img.height = 4;
  img.px.assign(16, 0xFF0000FFu);  // blue
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(KvWritePng(img, png));
  kvtest::TempDir dir("sdc");
  const std::string path = (dir.path / "sdc_test_picture.png").string();
  ASSERT_TRUE(SBlob(png).WriteToFile(SString(path)));
  {
    SDrawBackground bg(nullptr, pfmStretched, 0);
    bg.SetBackColor(RGB(255, 0, 0));
    ASSERT_TRUE(bg.LoadPicture(SString(path)));
    ASSERT_TRUE(bg.UsePicture());
    Canvas c;
    const RECT r = {8, 8, 40, 40};
    ASSERT_TRUE(bg.DrawBackground(&c.dc, r));
    EXPECT_EQ(c.dc.GetPixel(20, 20), RGB(0, 0, 255));
    EXPECT_EQ(c.dc.GetPixel(4, 4), 0xFFFFFFu);  // outside the shape
    // Centred at its own size: the back colour shows around it.
    bg.SetDrawMode(pfmCentre);
    ASSERT_TRUE(bg.DrawBackground(&c.dc, r));
    EXPECT_EQ(c.dc.GetPixel(24, 24), RGB(0, 0, 255));
    EXPECT_EQ(c.dc.GetPixel(10, 10), RGB(255, 0, 0));
    // Mode 12 shows no picture.
    bg.SetDrawMode(pfmNone);
    EXPECT_FALSE(bg.UsePicture());
  }
  SPictureManager::RemoveAll();
}

TEST(SRtfDocument, MeasuredAndLaidOutOnADC) {
  Canvas c(400, 300);
  SRtfDocument doc(SString(u"{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 one two three four five six\\par seven}"));
  const SIZE wide = doc.GetExtent(c.dc, 0);
  const SIZE narrow = doc.GetExtent(c.dc, 60);
  EXPECT_GT(wide.cx, narrow.cx);
  EXPECT_GT(narrow.cy, wide.cy);  // wrapping adds lines
  EXPECT_LT(doc.GetExtent(c.dc, 0, 0, 3).cx, wide.cx);  // "one" only
  EXPECT_EQ(doc.GetExtent(c.dc, 0, 5, 2).cx, 0);         // an empty range
  const int dpi = c.dc.GetDeviceCaps(LOGPIXELSX);
  const RECT all = {0, 0, 300 * 1440 / dpi, 290 * 1440 / dpi};
  EXPECT_EQ(doc.FormatRange(c.dc, c.dc, all, all, 0, -1, TRUE), doc.GetTextLength());
  // A page one line high holds only the first words.
  const RECT low = {0, 0, 60 * 1440 / dpi, (wide.cy / 2 + 2) * 1440 / dpi};
  const int end = doc.FormatRange(c.dc, c.dc, low, low, 0, -1, FALSE);
  EXPECT_GT(end, 0);
  EXPECT_LT(end, doc.GetTextLength());
  EXPECT_EQ(doc.FormatRange(nullptr, nullptr, low, low, 0, 0, FALSE), 0);  // frees the cache
}

}  // namespace
