// The canvas frame: constants, zoom clamping, device mapping and rounding,
// the lock protocol and the shared off-screen bitmap.
#include <cmath>

#include "support/canvas_fixture.h"
#include "support/temp_files.h"
#include "sym/diagram/symview.h"
#include "sym/foundation/symterminators.h"

TEST(CanvasFrame, Constants) {
  EXPECT_EQ(SSymCanvas::ResDPI, 7200.0);
  EXPECT_EQ(SSymCanvas::ScaleMin, 2.0);
  EXPECT_EQ(SSymCanvas::ScaleMax, 5000.0);
  EXPECT_EQ(SSymCanvas::ScaleNorm, 100.0);
  EXPECT_EQ(SSymCanvas::MinX, -900000);
  EXPECT_EQ(SSymCanvas::MaxY, 900000);
  EXPECT_EQ(SSymCanvas::SizeX, 1800000);
  EXPECT_EQ(SSymCanvas::SizeY, 1800000);
}

TEST(CanvasFrame, ZoomIsClamped) {
  RecordingDC rec;
  TestCanvas c;
  c.LockOn(rec.dc, {960, 480});
  struct {
    double in, exact;
    int level;
  } cases[] = {{1.0, 2.0, 2}, {6000.0, 5000.0, 5000}, {-5.0, 2.0, 2}, {NAN, 2.0, 2}, {150.4, 150.4, 150}, {150.5, 150.5, 151}};
  for (const auto& k : cases) {
    c.SetZoomLevel(k.in, SSymPoint(0, 0));
    EXPECT_DOUBLE_EQ(c.GetZoom(), k.exact) << k.in;
    EXPECT_EQ(c.GetZoomLevel(), k.level) << k.in;
    EXPECT_NEAR(c.GetScaleX(), k.exact * 96 / 720000.0, 1e-12) << k.in;
  }
  // The current zoom and centre again: nothing is rebuilt (an offset stays).
  c.OffsetViewport(SSymSize(7200, 0));
  const POINT before = c.VPtoDP(SSymPoint(0, 0));
  c.SetZoomLevel(c.GetZoom(), c.GetViewCenter());
  EXPECT_EQ(c.VPtoDP(SSymPoint(0, 0)).x, before.x);
}

TEST(CanvasFrame, DeviceMappingAtZoom100) {
  RecordingDC rec;  // 96 pixels per inch
  TestCanvas c;
  c.LockOn(rec.dc);  // visible rectangle (0, 0, 0, 0): (0, 0) is the device origin
  EXPECT_EQ(c.VPtoDP(SSymSize(7200, 7200)).cx, 96);
  const POINT o = c.VPtoDP(SSymPoint(0, 0));
  EXPECT_EQ(o.x, 0);
  EXPECT_EQ(o.y, 0);
  const POINT p = c.VPtoDP(SSymPoint(75, -75));  // right and below
  EXPECT_EQ(p.x, 1);
  EXPECT_EQ(p.y, 1);
  EXPECT_EQ(c.DPtoVP(SIZE{1, 1}).cx, 75);
  const SSymPoint back = c.DPtoVP(POINT{2, 2});
  EXPECT_EQ(back.x, 150);
  EXPECT_EQ(back.y, -150);
  // Sizes truncate: below one pixel is 0.
  EXPECT_EQ(c.VPtoDP(SSymSize(74, 0)).cx, 0);
  // Points round half away from zero: 37.5 units is 0.5 px -> 1, -0.5 -> -1.
  EXPECT_EQ(c.VPtoDP(SSymPoint(-38, 0)).x, -1);
  EXPECT_EQ(c.VPtoDP(SSymPoint(37, 0)).x, 0);

  // The visible rectangle follows the view centre once a device size is set.
  TestCanvas v;
  v.InitScale(rec.dc);
  v.SetSizeDP(SIZE{960, 480});
  EXPECT_EQ(v.GetSizeVP().cx, 72000);
  EXPECT_EQ(v.GetSizeVP().cy, 36000);
  const SSymRect vp = v.GetViewportVP();
  EXPECT_EQ(vp.x1, -36000);
  EXPECT_EQ(vp.y1, 18000);
  const POINT corner = v.VPtoDP(SSymPoint(vp.x1, vp.y1));
  EXPECT_EQ(corner.x, 0);
  EXPECT_EQ(corner.y, 0);
  const RECT all = v.GetViewportDP();
  EXPECT_EQ(all.right - all.left, 960);
  EXPECT_EQ(all.bottom - all.top, 480);
}

TEST(CanvasFrame, RectanglesAndPreciseMode) {
  RecordingDC rec;
  TestCanvas c;
  c.LockOn(rec.dc);
  const SSymRect r(0, 0, 7199, -3599);
  const RECT d = c.VPtoDP(r), e = c.VPtoDPRect(r);
  EXPECT_EQ(d.right - d.left + 1, e.right - e.left);
  EXPECT_EQ(d.bottom - d.top + 1, e.bottom - e.top);
  const SSymRect exact(0, 0, 7200 - 75, -3600 + 75);
  EXPECT_EQ(c.DPtoVPRect(c.VPtoDPRect(exact)), exact);
  EXPECT_EQ(c.VPtoGdiDP(r).Width, d.right - d.left);

  // 112 units are 1.49 px: at x 0 it spans 1 px, at x 37 (0.49 px) 2 px,
  // unless precise rounding carries the first corner's error over.
  const SSymRect a(0, 0, 112, -10), b(37, 0, 149, -10);
  auto width = [&](const SSymRect& q) {
    const RECT x = c.VPtoDP(q);
    return x.right - x.left;
  };
  EXPECT_NE(width(a), width(b));
  const int old = SSymCanvas::SetPreciseMode(1);
  EXPECT_EQ(SSymCanvas::GetPreciseMode(), 1);
  EXPECT_EQ(width(a), width(b));
  SSymCanvas::SetPreciseMode(old);
}

TEST(CanvasFrame, OffsetViewportMovesDrawing) {
  RecordingDC rec;
  TestCanvas c;
  c.LockOn(rec.dc);
  c.m_scalerSave = c.m_scaler;
  c.OffsetViewport(SSymSize(300, -300));
  const POINT p = c.VPtoDP(SSymPoint(0, 0));
  EXPECT_EQ(p.x, 4);
  EXPECT_EQ(p.y, 4);
  const SSymPoint q = c.DPtoVP(POINT{4, 4});
  EXPECT_EQ(q.x, 0);
  EXPECT_EQ(q.y, 0);
  c.m_scaler = c.m_scalerSave;
  EXPECT_EQ(c.VPtoDP(SSymPoint(0, 0)).x, 0);
}

TEST(CanvasFrame, ZoomToRectangles) {
  RecordingDC rec;
  TestCanvas c;
  c.InitScale(rec.dc);
  c.SetSizeDP(SIZE{960, 480});  // 72000 x 36000 units visible
  c.ZoomRectNoMargin(SSymRect(0, 3599, 7199, 0));
  EXPECT_DOUBLE_EQ(c.GetZoom(), 1000.0);
  EXPECT_EQ(c.GetViewCenter(), SSymPoint(3599, 1799));
  EXPECT_EQ(c.GetSizeVP().cx, 7200);
  c.SetZoomLevel(100.0, SSymPoint(0, 0));
  c.ZoomRect(SSymRect(0, 3599, 7199, 0));
  EXPECT_NEAR(c.GetZoom(), 950.0, 1e-9);
  c.SetZoomLevel(100.0, SSymPoint(0, 0));
  c.ZoomOutRect(SSymRect(0, 35999, 71999, 0));
  EXPECT_NEAR(c.GetZoom(), 105.0, 1e-9);
  // A rectangle of no extent counts as one unit: the zoom clamps.
  c.ZoomRectNoMargin(SSymRect(5, 5, 5, 5));
  EXPECT_DOUBLE_EQ(c.GetZoom(), 5000.0);
  EXPECT_EQ(c.GetViewCenter(), SSymPoint(5, 5));
}

TEST(CanvasFrame, NothingHappensWhileUnlocked) {
  RecordingDC rec;
  TestCanvas c;
  c.InitScale(rec.dc);
  EXPECT_FALSE(c.IsLocked());
  const SSymRect r(0, 0, 1000, -1000);
  SSymListPt pts{{0, 0}, {100, 100}, {200, 0}};
  c.SetPen(SSymPen(1, 100, SSymColor(0xFF)));
  c.SetBrush(SSymBrush(SSymColor(0xFF)), 0);
  c.SetFont(SSymFont(u"Arial", 10));
  c.Rectangle(r);
  c.Ellipse(r);
  c.RoundRect(r, SSymSize(100, 100));
  c.Oval(r);
  c.Line(SSymPoint(0, 0), SSymPoint(100, 100));
  c.Polyline(pts, 0);
  c.Polygon(pts);
  c.PolyBezier(pts, 0, 0);
  c.RoundPolyline(pts);
  c.DrawText(r, SString(u"text"), 0x211);
  c.DrawHandles(r);
  c.FillRect(r, SSymBrush());
  EXPECT_EQ(c.FillPath(r), 0);
  EXPECT_EQ(c.StrokeAndFillPath(r), 0);
  EXPECT_EQ(c.BeginPath(), 0);
  EXPECT_EQ(c.PathToRegion(), nullptr);
  EXPECT_EQ(c.GetTextExtent(SString(u"text")), SSymSize(0, 0));
  EXPECT_EQ(c.GetRTFTextExtent(SString(u"{\\rtf1 x}"), 1000, 0, -1), SSymSize(600, 600));
  EXPECT_EQ(c.GetCanvasHDC(), nullptr);
  EXPECT_TRUE(rec.Log().empty());
  // The values set while unlocked are kept.
  SSymPen pen;
  c.GetPen(pen);
  EXPECT_EQ(pen.m_width, 100);

  c.LockOnly(rec.dc);
  EXPECT_TRUE(c.IsLocked());
  EXPECT_EQ(c.GetCanvasDC(), &rec.dc);
  c.Rectangle(r);
  EXPECT_TRUE(rec.Has("Rectangle("));
  c.Unlock();
  EXPECT_FALSE(c.IsLocked());
  EXPECT_EQ(c.GetCanvasDC(), nullptr);
}

TEST(CanvasFrame, PathsForwardToTheContext) {
  RecordingDC rec;
  TestCanvas c;
  c.LockOn(rec.dc);
  EXPECT_NE(c.BeginPath(), 0);
  EXPECT_TRUE(c.IsDrawingPath());
  c.Rectangle(SSymRect(0, 0, 7200, -7200));
  EXPECT_NE(c.EndPath(), 0);
  EXPECT_FALSE(c.IsDrawingPath());
  std::vector<POINT> pts(16);
  std::vector<unsigned char> types(16);
  EXPECT_GT(c.GetPath(pts.data(), types.data(), 16), 0);
  EXPECT_NE(c.StrokePath(), 0);
  EXPECT_TRUE(rec.Has("BeginPath") && rec.Has("EndPath") && rec.Has("StrokePath"));
}

TEST(CanvasFrame, SharedOffScreenBitmapGrowsOnly) {
  SSymCanvas::TerminateSharedDC();
  RasterDC target(300, 200);
  {
    TestCanvas c;
    c.m_bOffScreen = 1;
    c.InitScale(target.dc);
    c.SetSizeDP(SIZE{100, 50});
    c.LockOnly(target.dc);
    EXPECT_NE(c.GetCanvasDC(), &target.dc);
    EXPECT_EQ(SSymCanvas::GetSharedBitmapSize().cx, 100);
    EXPECT_EQ(SSymCanvas::GetSharedBitmapSize().cy, 50);
    // Draw black into the buffer; the target shows it only after Unlock.
    RECT rc{0, 0, 100, 50};
    c.GetCanvasDC()->FillRect(&rc, KvHandleCast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(target.dc.GetPixel(10, 10), 0xFFFFFFu);
    c.m_rcCopy = RECT{0, 0, 20, 20};
    c.Unlock();
    EXPECT_EQ(target.dc.GetPixel(10, 10), 0u);
    EXPECT_EQ(target.dc.GetPixel(30, 10), 0xFFFFFFu);  // outside the copied area
  }
  {
    TestCanvas big;
    big.m_bOffScreen = 1;
    big.InitScale(target.dc);
    big.SetSizeDP(SIZE{200, 80});
    big.LockOnly(target.dc);
    big.Unlock();
    EXPECT_EQ(SSymCanvas::GetSharedBitmapSize().cx, 200);
    TestCanvas small;
    small.m_bOffScreen = 1;
    small.InitScale(target.dc);
    small.SetSizeDP(SIZE{50, 50});
    small.LockOnly(target.dc);
    small.Unlock();
    EXPECT_EQ(SSymCanvas::GetSharedBitmapSize().cx, 200);
    EXPECT_EQ(SSymCanvas::GetSharedBitmapSize().cy, 80);
  }
  // The terminator installed for unload releases it.
  SSymRunTerminator(SSymTerminatorSlot::SharedDC);
  EXPECT_EQ(SSymCanvas::GetSharedBitmapSize().cx, 0);
}

TEST(CanvasFrame, OffScreenFailureDrawsOnTheTarget) {
  SSymCanvas::TerminateSharedDC();
  SSymCanvas::SetFailOffScreenBitmap(true);
  RasterDC target(50, 50);
  TestCanvas c;
  c.m_bOffScreen = 1;
  c.InitScale(target.dc);
  c.SetSizeDP(SIZE{50, 50});
  c.LockOnly(target.dc);
  SSymCanvas::SetFailOffScreenBitmap(false);
  EXPECT_EQ(c.m_bOffScreen, 0);
  EXPECT_EQ(c.GetCanvasDC(), &target.dc);
  EXPECT_EQ(SSymCanvas::GetSharedBitmapSize().cx, 0);
  c.SetPen(SSymPen(1, 0, SSymColor(0)));
  c.SetBrush(SSymBrush(SSymColor(0)), 0);
  c.Rectangle(SSymRect(-750, 750, 750, -750));
  c.Unlock();
  EXPECT_EQ(target.dc.GetPixel(25, 25), 0u);
  SSymCanvas::TerminateSharedDC();
}

namespace {

// A test scene of every kind of primitive, in diagram units around (0, 0).
void DrawScene(TestCanvas& c) {
  const SSymColor black(0), blue(0xC06020), red(0x2020D0), green(0x40A040);
  c.SetPen(SSymPen(SSymPen::Solid, 0, black));
  c.SetBrush(SSymBrush(SSymColor(0xF4F4F4)), 0);
  c.Rectangle(SSymRect(-29000, 21500, 29000, -21500));

  c.SetPen(SSymPen(SSymPen::Solid, 100, black));
  c.SetBrush(SSymBrush(SSymColor(0xFFE0C0)), 0);
  c.Rectangle(SSymRect(-27000, 20000, -12000, 11000));
  c.SetFont(SSymFont(u"Arial", 12, SSymFont::Bold));
  c.SetFontColor(blue);
  c.DrawText(SSymRect(-27000, 20000, -12000, 11000), SString(u"Customer"), 0x122);

  SSymBrush gradient(SSymColor(0xFFFFFF));
  gradient.m_style = SSymBrush::Gradient;
  gradient.m_gradientMode = 0x10;
  gradient.m_endColor = SSymColor(0xD09050);
  c.SetBrush(gradient, 0);
  c.SetPen(SSymPen(SSymPen::Solid, 300, blue));
  c.RoundRect(SSymRect(-8000, 20000, 8000, 11000), SSymSize(2400, 2400));
  c.SetFont(SSymFont(u"Arial", 10));
  c.SetFontColor(black);
  c.DrawText(SSymRect(-7500, 19500, 7500, 11500), SString(u"A rounded rectangle whose label wraps into its width"),
             0x1222);

  c.SetBrush(SSymBrush(red), 0);
  c.SetPen(SSymPen(SSymPen::Dash, 0, black));
  c.Ellipse(SSymRect(12000, 20000, 27000, 11000));
  c.SetBrush(SSymBrush(SSymColor(0xA0F0A0)), 0);
  c.SetPen(SSymPen(SSymPen::Solid, 200, green));
  c.Oval(SSymRect(-27000, 7000, -12000, 1000));
  c.SetFont(SSymFont(u"Arial", 10, SSymFont::Italic));
  c.DrawText(SSymRect(-26000, 7000, -13000, 1000), SString(u"An oval with a label far too long to fit"), 0x2121);

  c.SetBrush(SSymBrush(SSymBrush::DiagCross, SSymColor(0x808000)), 0);
  c.SetPen(SSymPen(SSymPen::Solid, 0, black));
  c.Polygon(SSymListPt{{-8000, 1000}, {0, 8000}, {8000, 1000}});
  c.SetBrush(SSymBrush(SSymColor(0x60C0F0)), 0);
  c.Pie(SSymRect(12000, 7000, 20000, -1000), SSymPoint(20000, 3000), SSymPoint(16000, 7000),
        SSymRect(12000, 7000, 20000, -1000));

  // Links: a route with a bridge over a vertical line, a rounded route, a curve.
  c.SetPen(SSymPen(SSymPen::Solid, 100, black));
  c.Line(SSymPoint(0, 0), SSymPoint(0, -20000));
  STable<SWeighted<SSymPoint, double>> crossings;
  crossings.Add(SWeighted<SSymPoint, double>(SSymPoint(0, -4000), 0.5));
  c.SetPen(SSymPen(SSymPen::Solid, 100, red));
  c.PolylineWithBridges(SSymListPt{{-20000, -4000}, {20000, -4000}}, crossings, 450, 0);
  c.SetPen(SSymPen(SSymPen::Solid, 150, blue));
  c.RoundPolyline(SSymListPt{{-27000, -8000}, {-27000, -18000}, {-12000, -18000}, {-12000, -10000}, {-4000, -10000}});
  c.SetPen(SSymPen(SSymPen::Solid, 150, green));
  c.PolyBezier(SSymListPt{{4000, -8000}, {10000, -19000}, {18000, -8000}, {27000, -19000}}, 0, 0);
  SSymFont vertical(u"Arial", 10);
  vertical.m_angle = 900;
  c.SetFont(vertical);
  c.SetFontColor(red);
  c.DrawText(SSymRect(24000, 7000, 28000, -6000), SString(u"Upward"), 0x112);
  SSymFont downward(u"Arial", 10);
  downward.m_angle = 2700;
  c.SetFont(downward);
  c.DrawText(SSymRect(-29000, 7000, -27500, -6000), SString(u"Downward"), 0x112);
  // Text filled with the brush's gradient.
  c.SetFont(SSymFont(u"Arial", 20, SSymFont::Bold));
  c.SetBrush(gradient, 0);
  c.SetPen(SSymPen(SSymPen::Solid, 0, blue));
  c.m_bFillText = 1;
  c.DrawText(SSymRect(-10000, -12000, 0, -17000), SString(u"Filled"), 0x122);
  c.m_bFillText = 0;
  c.SetFont(SSymFont(u"Arial", 8));
  c.DrawHandles(SSymRect(-27000, 20000, -12000, 11000));
}

}  // namespace

TEST(CanvasFrame, ViewStandInLogsInvalidations) {
  SSymView view;
  view.InvalidateAll(1);
  view.SetState(SSymView::StateAllowErase);
  view.InvalidateRect(RECT{1, 2, 3, 4}, 1);
  view.SetState(SSymView::StateSuspended | SSymView::StateAllowErase);
  view.InvalidateAll(1);
  ASSERT_EQ(view.GetInvalidations().size(), 2u);
  EXPECT_TRUE(view.GetInvalidations()[0].whole);
  EXPECT_EQ(view.GetInvalidations()[0].erase, 0);  // erasing not allowed
  EXPECT_EQ(view.GetInvalidations()[1].rect.right, 3);
  EXPECT_EQ(view.GetInvalidations()[1].erase, 1);
  // The base canvas invalidates nothing and has no view.
  TestCanvas c;
  EXPECT_EQ(c.GetView(), nullptr);
  EXPECT_EQ(c.GetCanvasType(), 0);
}

// Writes the scene at zoom 2, 100 and 5000 as PNG files; checks that each
// shows something.
TEST(CanvasFrame, SceneAtThreeZooms) {
  kvtest::TempDir dir("canvas_scene");
  for (double zoom : {2.0, 100.0, 5000.0}) {
    RasterDC ras(800, 600);
    TestCanvas c;
    c.LockOn(ras.dc, {800, 600});
    // At 5000 % the view shows the bridge where the red route crosses the line.
    c.SetZoomLevel(zoom, zoom == 5000.0 ? SSymPoint(0, -4000) : SSymPoint(0, 0));
    DrawScene(c);
    c.Unlock();
    EXPECT_TRUE(ras.bitmap.SaveBitmap(dir.Name(("canvas_scene_zoom" + std::to_string(static_cast<int>(zoom)) + ".png").c_str())));
    int inked = 0;
    for (COLORREF p : ras.Pixels()) inked += p != 0xFFFFFFu;
    EXPECT_GT(inked, 20) << zoom;
  }
}
