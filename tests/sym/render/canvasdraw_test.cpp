// Drawing primitives: pen, brush and font realisation and caching, the
// colour rules, the line rule, rounded corners, curves and bad input.
#include <climits>

#include "support/canvas_fixture.h"
#include "sym/render/symclip.h"
#include "sym/render/symdeftcanv.h"

namespace {

struct PenInfo {
  DWORD type;
  DWORD style;
  DWORD width;
};

PenInfo CurrentPen(SDC& dc) {
  HPEN h = dc.GetCurrentPen();
  PenInfo info{::GetObjectType(h), 0, 0};
  if (info.type == OBJ_EXTPEN) {
    EXTLOGPEN elp{};
    ::GetObjectW(h, sizeof elp, &elp);
    info.style = elp.elpPenStyle;
    info.width = elp.elpWidth;
  } else {
    LOGPEN lp{};
    ::GetObjectW(h, sizeof lp, &lp);
    info.style = lp.lopnStyle;
    info.width = static_cast<DWORD>(lp.lopnWidth.x);
  }
  return info;
}

}  // namespace

TEST(CanvasDraw, CosmeticAndGeometricPensByWidthAndScale) {
  struct {
    int dpi;  // 72: 0.01 px per unit, 144: 0.02 px per unit (at zoom 100)
    double zoom;
    LONG width;
    DWORD type, px;
  } cases[] = {
      {72, 100, 100, OBJ_PEN, 1},      // 1 px: cosmetic
      {144, 100, 100, OBJ_EXTPEN, 2},  // 2 px: geometric
      {72, 100, 0, OBJ_PEN, 0},        // width 0 is one pixel at every zoom
      {72, 5000, 0, OBJ_PEN, 0},
      {72, 2, 100, OBJ_PEN, 0},
  };
  for (const auto& k : cases) {
    RecordingDC rec(k.dpi);
    TestCanvas c;
    c.LockOn(rec.dc, {400, 300});
    c.SetZoomLevel(k.zoom, SSymPoint(0, 0));
    c.SetPen(SSymPen(SSymPen::Solid, k.width, SSymColor(0x0000FF)));
    const PenInfo p = CurrentPen(rec.dc);
    EXPECT_EQ(p.type, k.type) << k.dpi << " " << k.width;
    EXPECT_EQ(p.width, k.px) << k.dpi << " " << k.width;
    if (k.type == OBJ_EXTPEN) {
      EXPECT_EQ(p.style & PS_TYPE_MASK, PS_GEOMETRIC);
      EXPECT_EQ(p.style & PS_ENDCAP_MASK, PS_ENDCAP_FLAT);
      EXPECT_EQ(p.style & PS_JOIN_MASK, PS_JOIN_MITER);
    }
  }
  // A no-line pen selects the stock null pen, never cached.
  RecordingDC rec;
  TestCanvas c;
  c.LockOn(rec.dc);
  c.SetPen(SSymPen(SSymPen::NoLine, 500, SSymColor(0)));
  EXPECT_EQ(KvStockObjectIndex(KvHandleCast<HGDIOBJ>(rec.dc.GetCurrentPen())), NULL_PEN);
  EXPECT_EQ(c.PenCount(), 0);
}

TEST(CanvasDraw, CacheKeysUseEveryField) {
  RecordingDC rec;
  TestCanvas c;
  c.LockOn(rec.dc);
  // Pens: equal keys share one object, different keys never do.
  EXPECT_EQ(c.LookupPen(SSymPen(1, 0, SSymColor(5))), c.LookupPen(SSymPen(1, 0, SSymColor(5))));
  EXPECT_NE(c.LookupPen(SSymPen(1, 0, SSymColor(5))), c.LookupPen(SSymPen(1, 0, SSymColor(6))));
  // Brushes differing only in bitmap mode, gradient mode or end colour.
  SSymBrush base(SSymColor(0x00FF00));
  SSymBrush mode(base), grad(base), end(base);
  mode.m_bitmapMode = 0;
  grad.m_gradientMode = 1;
  end.m_endColor = SSymColor(0x123456);
  SBrush* b0 = c.LookupBrush(base);
  EXPECT_EQ(c.LookupBrush(SSymBrush(base)), b0);
  EXPECT_NE(c.LookupBrush(mode), b0);
  EXPECT_NE(c.LookupBrush(grad), b0);
  EXPECT_NE(c.LookupBrush(end), b0);
  EXPECT_EQ(c.BrushCount(), 4);
  // Fonts differing only in angle.
  SSymFont f(u"Arial", 10), g(u"Arial", 10);
  g.m_angle = 900;
  EXPECT_NE(c.LookupFont(f), c.LookupFont(g));
  EXPECT_EQ(c.LookupFont(f), c.LookupFont(SSymFont(u"Arial", 10)));
  EXPECT_EQ(c.FontCount(), 2);
  // A change of zoom empties the caches.
  c.SetZoomLevel(200, SSymPoint(0, 0));
  EXPECT_EQ(c.PenCount() + c.BrushCount() + c.FontCount(), 0);
}

TEST(CanvasDraw, BlackAndWhiteAndShadowBrushes) {
  RecordingDC rec;
  TestCanvas c;
  c.LockOn(rec.dc);
  const SSymBrush red(SSymColor(0x0000FF));
  const SSymBrush hatched(SSymBrush::Cross, SSymColor(0x0000FF));
  SSymBrush hollow(SSymColor(0x0000FF));
  hollow.m_style = SSymBrush::Hollow;

  c.m_bColor = 0;
  c.SetBrush(red, 0);
  EXPECT_EQ(CurrentStockBrush(rec.dc), WHITE_BRUSH);
  c.SetBrush(red, 1);
  EXPECT_EQ(CurrentStockBrush(rec.dc), BLACK_BRUSH);
  rec.dc.SetBkColor(0x00FF00);
  c.SetBrush(hatched, 0);
  LOGBRUSH lb{};
  ::GetObjectW(rec.dc.GetCurrentBrush(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, BS_HATCHED);
  EXPECT_EQ(rec.dc.GetBkColor(), 0xFFFFFFu);
  for (int dark = 0; dark < 2; ++dark) {
    c.SetBrush(hollow, dark);
    EXPECT_EQ(CurrentStockBrush(rec.dc), NULL_BRUSH);
  }
  c.m_bDrawShadow = 1;
  c.SetBrush(red, 0);
  EXPECT_EQ(CurrentStockBrush(rec.dc), BLACK_BRUSH);
  c.m_bDrawShadow = 0;
  c.SetFontColor(SSymColor(0x0000FF));
  EXPECT_EQ(rec.dc.GetTextColor(), 0u);

  c.m_bColor = 1;
  c.SetBrush(hollow, 0);
  EXPECT_EQ(CurrentStockBrush(rec.dc), NULL_BRUSH);
  c.SetBrush(red, 0);
  ::GetObjectW(rec.dc.GetCurrentBrush(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, 0x0000FFu);
  SSymBrush got;
  c.GetBrush(got);
  EXPECT_EQ(got, red);
}

TEST(CanvasDraw, ShadowDrawsGradientsPlain) {
  SSymBrush gradient(SSymColor(0xFFFFFF));
  gradient.m_style = SSymBrush::Gradient;
  gradient.m_gradientMode = 0x20;
  gradient.m_endColor = SSymColor(0x0000FF);
  auto draw = [&](int shadow) {
    RecordingDC rec;
    TestCanvas c;
    c.LockOn(rec.dc);
    c.m_bDrawShadow = shadow;
    c.SetBrush(gradient, 0);
    EXPECT_EQ(c.UseFillEffect(), shadow ? 0 : 1);
    const size_t before = rec.Log().size();
    c.Rectangle(SSymRect(0, 0, 7200, -7200));
    return std::vector<std::string>(rec.Log().begin() + static_cast<long>(before), rec.Log().end());
  };
  const auto plain = draw(1);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0], "Rectangle(0,0,97,97)");
  const auto effect = draw(0);
  EXPECT_GT(effect.size(), 2u);  // the painter's fill, then the outline over a null brush
  EXPECT_EQ(effect.back(), "SelectObject(" + effect.back().substr(13));
  bool outline = false;
  for (const auto& l : effect) outline |= l == "Rectangle(0,0,97,97)";
  EXPECT_TRUE(outline);
}

TEST(CanvasDraw, LineRuleFollowsSettingAndMixMode) {
  const SSymPoint a(0, 0), b(7200, -7200);
  auto lineTo = [&](long disable, int rop) {
    GdiDrawSetting setting(disable);
    RecordingDC rec;
    TestCanvas c;
    c.LockOn(rec.dc);
    rec.dc.SetROP2(rop);
    c.Line(a, b);
    return rec.Has("LineTo(96,96)");
  };
  EXPECT_FALSE(lineTo(0, R2_COPYPEN));  // GDI+ draws it
  EXPECT_TRUE(lineTo(1, R2_COPYPEN));
  EXPECT_TRUE(lineTo(0, R2_XORPEN));
  // GDI+ does draw: on a raster context the line leaves pixels.
  RasterDC ras(100, 100);
  TestCanvas c;
  c.LockOn(ras.dc);
  c.SetPen(SSymPen(1, 150, SSymColor(0)));
  c.Line(a, b);
  EXPECT_NE(ras.dc.GetPixel(50, 50), 0xFFFFFFu);
}

TEST(CanvasDraw, GdiPlusPenFollowsThePlatformPen) {
  RasterDC ras(50, 50);
  TestCanvas c;
  c.LockOn(ras.dc);
  c.SetPen(SSymPen(SSymPen::Solid, 150, SSymColor(0x0000FF)));
  c.Line(SSymPoint(0, 0), SSymPoint(1000, -1000));
  SGdiPen* first = c.GdiPen();
  ASSERT_NE(first, nullptr);
  c.Line(SSymPoint(0, -1000), SSymPoint(1000, 0));
  EXPECT_EQ(c.GdiPen(), first);  // the same platform pen: reused
  c.SetPen(SSymPen(SSymPen::Solid, 150, SSymColor(0x00FF00)));
  c.Line(SSymPoint(0, 0), SSymPoint(1000, -1000));
  ASSERT_NE(c.GdiPen(), nullptr);
  EXPECT_EQ(c.GdiPen()->GetExtLogPen().elpColor, 0x00FF00u);
  EXPECT_EQ(c.GdiPen()->GetExtLogPen().elpPenStyle & PS_ENDCAP_MASK, PS_ENDCAP_FLAT);
}

TEST(CanvasDraw, RoundRectCornersAndOval) {
  GdiDrawSetting setting(1);
  RecordingDC rec(72);  // 0.01 px per unit
  TestCanvas c;
  c.LockOn(rec.dc);
  const SSymRect r(0, 0, 3900, -1900);  // 40 x 20 device pixels
  c.RoundRect(r, SSymSize(0, 0));
  EXPECT_EQ(rec.Log().back(), "RoundRect(0,0,40,20,5,5)");
  c.RoundRect(r, SSymSize(1000, 0));
  EXPECT_EQ(rec.Log().back(), "RoundRect(0,0,40,20,10,5)");
  c.RoundRect(r, SSymSize(600, 800));
  EXPECT_EQ(rec.Log().back(), "RoundRect(0,0,40,20,6,8)");
  c.Oval(r);
  EXPECT_EQ(rec.Log().back(), "RoundRect(0,0,40,20,15,20)");
  c.Oval(SSymRect(0, 0, 3900, 0));  // 1 px high: 0.75 truncates to 0
  EXPECT_EQ(rec.Log().back(), "Rectangle(0,0,40,1)");
}

TEST(CanvasDraw, RoundPolylineRadius) {
  GdiDrawSetting setting(1);
  RecordingDC rec(72);
  TestCanvas c;
  c.LockOn(rec.dc);
  c.RoundPolyline(SSymListPt{{0, 0}, {0, -500}, {3000, -500}});  // radius 250: sharp
  EXPECT_FALSE(rec.Has("Arc("));
  EXPECT_EQ(rec.Count("LineTo("), 2);
  c.RoundPolyline(SSymListPt{{0, 0}, {0, -2000}, {2000, -2000}});  // radius 600
  ASSERT_TRUE(rec.Has("Arc("));
  // The quarter circle's square: centre (600, -1400), half-side 600 -> device 0..12 x 8..20.
  std::string arc;
  for (const auto& l : rec.Log())
    if (l.rfind("Arc(", 0) == 0) arc = l;
  EXPECT_EQ(arc.substr(0, 16), "Arc(0,8,13,21,0,");
  EXPECT_EQ(rec.Log().back(), "LineTo(20,20)");
}

TEST(CanvasDraw, BezierPoints) {
  GdiDrawSetting setting(1);
  RecordingDC rec(72);
  TestCanvas c;
  c.LockOn(rec.dc);
  c.PolyBezier(SSymListPt{{0, 0}, {1000, -1000}}, 0, 0);
  EXPECT_EQ(rec.Log().back(), "LineTo(10,10)");
  c.PolyBezier(SSymListPt{{0, 0}, {1000, 0}, {1000, -1000}}, 0, 0);
  EXPECT_EQ(rec.Log().back(), "PolyBezier(0,0 10,0 10,0 10,10)");
  c.PolyBezier(SSymListPt{{0, 0}, {1000, 0}, {2000, -1000}, {3000, -1000}}, 0, 0);
  EXPECT_EQ(rec.Log().back(), "PolyBezier(0,0 10,0 10,0 15,5 20,10 20,10 30,10)");
  c.PolyBezier(SSymListPt{{0, 0}, {1000, 0}, {1000, -1000}, {0, -1000}}, 0, 1);
  EXPECT_EQ(rec.Log().back(), "PolyBezier(0,0 10,0 10,10 0,10)");
}

TEST(CanvasDraw, LineBridges) {
  GdiDrawSetting setting(1);
  RecordingDC rec(72);
  TestCanvas c;
  c.LockOn(rec.dc);
  const SSymListPt route{{0, 0}, {10000, 0}};
  STable<SWeighted<SSymPoint, double>> none;
  EXPECT_EQ(c.PolylineWithBridges(route, none, 300, 0).GetCount(), 0);
  EXPECT_EQ(rec.Log().back(), "Polyline(0,0 100,0)");
  STable<SWeighted<SSymPoint, double>> one;
  one.Add(SWeighted<SSymPoint, double>(SSymPoint(5000, 0), 0.5));
  const SSymListPt bridge = c.PolylineWithBridges(route, one, 300, 0);
  ASSERT_EQ(bridge.GetCount(), 4);
  EXPECT_EQ(rec.Count("Polyline("), 3);  // the plain one, then two pieces
  EXPECT_TRUE(rec.Has("Polyline(0,0 47,0)"));
  EXPECT_TRUE(rec.Has("Polyline(53,0 100,0)"));
  EXPECT_EQ(rec.Count("Arc("), 2);
  // The bridge starts and ends at the gap's ends.
  EXPECT_EQ(bridge[0].y, 0);
  EXPECT_EQ(bridge[3].y, 0);
  EXPECT_EQ(std::abs(bridge[3].x - bridge[0].x), 600);
}

TEST(CanvasDraw, BadInputIsHarmless) {
  RasterDC ras(64, 64);
  TestCanvas c;
  c.LockOn(ras.dc, {64, 64});
  SSymListPt empty;
  c.Polyline(empty, 0);
  c.Polyline(empty, 1);
  c.Polygon(empty);
  c.PolyBezier(empty, 0, 0);
  c.RoundPolyline(empty);
  c.RoundPolyline(SSymListPt{{5, 5}});
  STable<SWeighted<SSymPoint, double>> cross;
  cross.Add(SWeighted<SSymPoint, double>(SSymPoint(0, 0), 0));
  c.PolylineWithBridges(empty, cross, 300, 1);
  c.PolylineWithBridges(SSymListPt{{0, 0}, {0, 0}}, cross, 300, 1);
  const SSymRect degenerate(10, 10, 10, 10);
  c.Rectangle(degenerate);
  c.Ellipse(degenerate);
  c.Oval(degenerate);
  c.RoundRect(degenerate, SSymSize(-5, -5));
  c.Pie(degenerate, SSymPoint(10, 10), SSymPoint(10, 10), degenerate);
  c.Arc(degenerate, SSymPoint(10, 10), SSymPoint(10, 10));
  c.DrawPicture(SSymRect(0, 0, 100, -100), nullptr, 0);
  c.DrawBitmap(SSymRect(0, 0, 100, -100), nullptr);
  c.SetZoomLevel(5000, SSymPoint(0, 0));
  const SSymRect absurd(INT_MIN, INT_MAX, INT_MAX, INT_MIN);
  c.SetBrush(SSymBrush(SSymColor(0x00FF00)), 0);
  c.Rectangle(absurd);
  c.Ellipse(absurd);
  c.Line(SSymPoint(INT_MIN, INT_MIN), SSymPoint(INT_MAX, INT_MAX));
  c.Polyline(SSymListPt{{INT_MIN, 0}, {INT_MAX, 0}, {0, INT_MAX}}, 0);
  c.RoundPolyline(SSymListPt{{INT_MIN, 0}, {INT_MAX, 0}, {INT_MAX, INT_MIN}});
  c.FillRect(absurd, SSymBrush(SSymColor(0)));
  c.DrawText(absurd, SString(u"absurd"), 0x1211);
  c.DrawText(absurd, SString(u"absurd"), 0x2211);
  SUCCEED();
}

TEST(CanvasDraw, FillRectRules) {
  RasterDC ras(20, 20);
  TestCanvas c;
  c.LockOn(ras.dc);
  const SSymRect r(0, 0, 1424, -1424);  // 20 x 20 px
  c.FillRect(r, SSymBrush(SSymColor(0x0000FF)));
  EXPECT_EQ(ras.dc.GetPixel(5, 5), 0x0000FFu);
  c.m_bColor = 0;
  c.FillRect(r, SSymBrush(SSymColor(0x0000FF)));
  EXPECT_EQ(ras.dc.GetPixel(5, 5), 0xFFFFFFu);
  c.m_bColor = 1;
  SSymBrush gradient(SSymColor(0x000000));
  gradient.m_style = SSymBrush::Gradient;
  gradient.m_gradientMode = 0x20;  // left to right
  gradient.m_endColor = SSymColor(0xFFFFFF);
  c.FillRect(r, gradient);
  EXPECT_NE(ras.dc.GetPixel(1, 10), ras.dc.GetPixel(18, 10));
}

TEST(CanvasDraw, ClipAndColourScopes) {
  RecordingDC rec;
  TestCanvas c;
  {
    SSymRect r(0, 0, 100, -100);
    SCanvasClipRgn unlocked(c, r);  // no context: nothing
  }
  EXPECT_TRUE(rec.Log().empty());
  c.LockOn(rec.dc);
  RECT box{};
  {
    SSymRect outer(0, 0, 7199, -7199);
    SCanvasClipRgn a(c, outer);
    rec.dc.GetClipBox(&box);
    EXPECT_EQ(box.right, 96);
    {
      SSymRect inner(0, 0, 3599, -3599);
      SCanvasClipRgn b(c, inner);
      rec.dc.GetClipBox(&box);
      EXPECT_EQ(box.right, 48);
    }
    rec.dc.GetClipBox(&box);
    EXPECT_EQ(box.right, 96);
  }
  const SSymBrush blue(SSymColor(0xFF0000)), green(SSymColor(0x00FF00));
  c.SetBrush(blue, 0);
  c.SetBkBrush(green);
  {
    saveCanvasColor save(c);
    c.SetBrush(green, 0);
    c.SetBkBrush(blue);
  }
  SSymBrush b;
  c.GetBrush(b);
  EXPECT_EQ(b, blue);
  EXPECT_EQ(c.GetBkBrush(), green);
}

TEST(CanvasDraw, DefaultCanvasMeasuresAndDrawsNothing) {
  SSymDeftCanvas c;
  EXPECT_TRUE(c.IsLocked());
  EXPECT_EQ(c.GetCanvasType(), 1);
  const SSymSize ext = c.GetTextExtent(SString(u"Measured"));
  EXPECT_GT(ext.cx, 0);
  EXPECT_GT(ext.cy, 0);
  SScreenDC screen;
  const COLORREF before = screen.GetPixel(10, 10);
  c.SetBrush(SSymBrush(SSymColor(0x0000FF)), 0);
  c.Rectangle(SSymRect(0, 0, 100000, -100000));
  c.DrawText(SSymRect(0, 0, 100000, -100000), SString(u"x"), 0x211);
  EXPECT_EQ(screen.GetPixel(10, 10), before);
}
