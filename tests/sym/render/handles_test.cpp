// Selection handles: their size, layout, hit test and drawing by inversion.
#include "support/canvas_fixture.h"

TEST(CanvasHandles, SizeAndLayout) {
  RecordingDC rec;  // 96/7200 px per unit
  TestCanvas c;
  c.LockOn(rec.dc);
  EXPECT_EQ(c.GetHandleSize(), SSymSize(450, 450));
  struct {
    SSymRect r;
    int handles;
  } cases[] = {
      {SSymRect(0, 0, 999, -7199), 4},     // 1000 wide: less than 2.5 handles
      {SSymRect(0, 0, 7199, -999), 4},     // 1000 high
      {SSymRect(0, 0, 1123, -1123), 4},    // 2 x 1124 < 5 x 450
      {SSymRect(0, 0, 1124, -1124), 8},    // 2 x 1125 = 5 x 450: not less
      {SSymRect(0, 0, 7199, -7199), 8},
  };
  for (const auto& k : cases) {
    const size_t before = rec.Log().size();
    c.DrawHandles(k.r);
    int n = 0;
    for (size_t i = before; i < rec.Log().size(); ++i) n += rec.Log()[i].rfind("Rectangle(", 0) == 0;
    EXPECT_EQ(n, k.handles) << k.r.x2;
  }
  // The four handles of a narrow rectangle are the edge middles (1, 3, 5, 7).
  rec.rec->Clear();
  c.DrawHandles(SSymRect(0, 0, 999, -7199));
  std::vector<std::string> rects;
  for (const auto& l : rec.Log())
    if (l.rfind("Rectangle(", 0) == 0) rects.push_back(l);
  const std::vector<std::string> want{"Rectangle(4,-3,10,3)", "Rectangle(11,45,17,51)", "Rectangle(4,94,10,100)",
                                      "Rectangle(-3,45,3,51)"};
  EXPECT_EQ(rects, want);
  EXPECT_TRUE(rec.Has("SetROP2(6)"));
  EXPECT_EQ(rec.dc.GetROP2(), R2_COPYPEN);  // restored
}

TEST(CanvasHandles, HitTestFindsCornerIndices) {
  TestCanvas c;  // needs no context once scaled
  RecordingDC rec;
  c.InitScale(rec.dc);
  const SSymRect r(0, 7200, 7200, 0);
  struct {
    SSymPoint pt;
    int index;
  } cases[] = {
      {{0, 7200}, 0},   {{3600, 7200}, 1}, {{7200, 7200}, 2}, {{7200, 3600}, 3}, {{7200, 0}, 4},
      {{3600, 0}, 5},   {{0, 0}, 6},       {{0, 3600}, 7},    {{225, 7425}, 0},  {{226, 7200}, -1},
      {{3600, 3600}, -1}, {{-225, -225}, 6},
  };
  for (const auto& k : cases) {
    int index = 99;
    EXPECT_EQ(c.HitTestHandles(r, &index, k.pt), k.index >= 0 ? 1 : 0) << k.pt.x << "," << k.pt.y;
    EXPECT_EQ(index, k.index) << k.pt.x << "," << k.pt.y;
  }
  // A rectangle small enough to draw four handles still hits its corners;
  // where boxes overlap the lower index wins.
  const SSymRect small(0, 600, 600, 0);
  int index = -5;
  EXPECT_EQ(c.HitTestHandles(small, &index, SSymPoint(0, 600)), 1);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(c.HitTestHandles(small, &index, SSymPoint(600, 0)), 1);
  EXPECT_EQ(index, 4);
  EXPECT_EQ(c.HitTestHandles(small, &index, SSymPoint(200, 400)), 1);  // in boxes 0, 1 and 7
  EXPECT_EQ(index, 0);
}

TEST(CanvasHandles, DrawnTwiceLeaveNoTrace) {
  RasterDC ras(120, 120);
  TestCanvas c;
  c.LockOn(ras.dc, {120, 120});
  c.SetBrush(SSymBrush(SSymColor(0x3366CC)), 0);
  c.Ellipse(SSymRect(-3000, 3000, 3000, -3000));
  const auto before = ras.Pixels();
  const SSymRect r(-2500, 2500, 2500, -2500);
  c.DrawHandles(r);
  EXPECT_NE(ras.Pixels(), before);
  c.DrawHandles(r);
  EXPECT_EQ(ras.Pixels(), before);
  c.DrawHandle(SSymPoint(0, 0));
  c.DrawHandle(SSymPoint(0, 0));
  EXPECT_EQ(ras.Pixels(), before);
  // Without a context nothing is drawn.
  c.Unlock();
  c.DrawHandles(r);
  EXPECT_EQ(ras.Pixels(), before);
}
