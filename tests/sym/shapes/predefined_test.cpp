// The predefined shape library: outlines, margins, growth, hit tests and
// intersections of the shapes, and the picture manager's lookups.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "kvcore/smodulestate.h"
#include "kvcore/swinapp.h"
#include "sym/render/symshapedraw.h"
#include "sym/shapes/symshape.h"
#include "sym/shapes/symshapemap.h"
#include "support/recording_canvas.h"

namespace {
const SSymRect kBox(0, 4799, 5999, 0);  // 6000 x 4800, normalised (y1 top)

SSymShape* Shape(int type) {
  SSymShape* s = SSymPictureManager::FindSymbolShape(type);
  EXPECT_NE(s, nullptr) << "type " << type;
  return s;
}
std::string Corners(SSymShape* s, const SSymRect& r) {
  SSymListPt p;
  if (!s->GetPolygon(r, p)) return "none";
  std::string out;
  for (int i = 0; i < p.GetCount(); ++i)
    out += (i ? " " : "") + std::to_string(p.GetAt(i).x) + "," + std::to_string(p.GetAt(i).y);
  return out;
}
std::string Insets(const SSymRect& m) {
  return std::to_string(m.x1) + " " + std::to_string(m.y1) + " " + std::to_string(m.x2) + " " + std::to_string(m.y2);
}
}  // namespace

TEST(PredefinedShapes, PolygonCornersAndMargins) {
  const struct {
    int type;
    const char* corners;
    const char* margins;
  } kCases[] = {
      {21, "0,0 2999,4799 5999,0 0,0", "1799 2399 1799 150"},
      {22, "0,0 0,4799 5999,0 0,0", "300 2399 3299 150"},
      {23, "0,0 1500,4799 5999,4799 4499,0 0,0", "1500 150 1500 150"},
      {25, "0,2399 2999,4799 5999,2399 2999,0 0,2399", "1000 1200 1000 1200"},
      {27, "0,2400 1500,4799 4499,4799 5999,2400 4499,0 1500,0 0,2400", "1050 1200 1050 1200"},
      {44, "0,0 0,3599 5999,4799 5999,0 0,0", "300 1200 300 150"},
      {52, "3000,0 0,1200 0,4799 5999,4799 5999,1200 3000,0", "300 150 300 1200"},
      {38, "0,0 0,4799 5199,4799 5999,3999 5999,0 0,0", "300 150 800 150"},
      {34, "0,0 0,4320 480,4799 5999,4799 5999,480 5520,0 0,0", "0 0 480 480"},
      {76, "0,0 4499,0 5999,2400 4499,4799 0,4799 1500,2400 0,0", "1500 150 750 150"},
  };
  for (const auto& c : kCases) {
    SSymShape* s = Shape(c.type);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Corners(s, kBox), c.corners) << "type " << c.type;
    EXPECT_EQ(Insets(s->GetMargin(kBox)), c.margins) << "type " << c.type;
  }
}

TEST(PredefinedShapes, SizeRules) {
  // The octagon cuts corners by the smaller side: a very wide one keeps the
  // cuts of its height.
  SSymListPt wide, square;
  Shape(28)->GetPolygon(SSymRect(0, 999, 99999, 0), wide);
  Shape(28)->GetPolygon(SSymRect(0, 999, 999, 0), square);
  EXPECT_EQ(wide.GetAt(0).y, square.GetAt(0).y);
  // Diamond insets stay at least 600 at the top and bottom.
  EXPECT_EQ(Shape(25)->GetMargin(SSymRect(0, 99, 5999, 0)).y1, 600);
  // 3D rectangle depths.
  auto* box3d = dynamic_cast<SSymShape3DRectangle*>(Shape(34));
  ASSERT_NE(box3d, nullptr);
  EXPECT_EQ(box3d->GetDepth(kBox), 480);
  EXPECT_EQ(box3d->GetDepth(SSymRect(0, 99, 5999, 0)), 10);
  EXPECT_EQ(box3d->GetDepth(SSymRect(0, 19999, 19999, 0)), 800);
  // The cube has no upper bound.
  EXPECT_EQ(dynamic_cast<SSymShape3DRectangle*>(Shape(33))->GetDepth(SSymRect(0, 19999, 19999, 0)), 4000);
}

TEST(PredefinedShapes, PentagonTopMarginDoesNotOverflowForLargeShapes) {
  const SSymRect big(0, 99999, 99999, 0);
  const LONG W = 100000, H = 100000;
  const LONG s = (W - static_cast<LONG>(W / 1.62)) >> 1;
  const LONG d = static_cast<LONG>(static_cast<LONG>(H / 1.54) * 0.59);
  const long long expected = static_cast<long long>(d) * (W / 2 - s) * 2 / W;
  const SSymRect m = Shape(26)->GetMargin(big);
  EXPECT_EQ(m.y1, expected);
  EXPECT_GT(m.y1, 0);
  EXPECT_LT(m.y1, H);
}

TEST(PredefinedShapes, GrowthToText) {
  const struct {
    int type;
    SSymRect in;
    SSymRect out;
  } kCases[] = {
      // Diamond: 1.5 times as wide, height plus twice max(H / 2, 600).
      {25, SSymRect(0, 999, 1999, 0), SSymRect(-500, 1599, 2499, -600)},
      // Nearly square ellipse: a circle of the width plus 100.
      {5, SSymRect(0, 1989, 1999, 0), SSymRect(-50, 2044, 2049, -55)},
      // Document: height times 5 / 4, width unchanged.
      {41, SSymRect(0, 3999, 5999, 0), SSymRect(0, 4499, 5999, -500)},
      // Entity type: widened about its centre, the left edge taking the
      // smaller half of an even growth. Growth 4/3 of the width (2000):
      {19, SSymRect(0, 4799, 5999, 0), SSymRect(-999, 4799, 7000, 0)},
      // growth half the height, even (1000) and odd (1001):
      {19, SSymRect(0, 2000, 5999, 0), SSymRect(-499, 2000, 6500, 0)},
      {19, SSymRect(0, 2002, 5999, 0), SSymRect(-500, 2002, 6500, 0)},
      // a growth of one unit leaves it as it is
      {19, SSymRect(0, 2, 5999, 0), SSymRect(0, 2, 5999, 0)},
  };
  for (const auto& c : kCases) {
    SSymRect r = c.in;
    EXPECT_EQ(Shape(c.type)->AdjustRectToText(r), 1);
    EXPECT_EQ(r, c.out) << "type " << c.type << " got " << Insets(r);
  }
  SSymRect r = kBox;
  EXPECT_EQ(Shape(21)->AdjustRectToText(r), 0);  // not supported
  EXPECT_EQ(r, kBox);
}

TEST(PredefinedShapes, IdentityNamesAndGuids) {
  SSymShape* rect = Shape(3);
  EXPECT_EQ(rect->GetShapeName().ToUtf8(), "Rectangle");
  GUID g{};
  ASSERT_TRUE(GuidFromString(std::string("{600858ED-983F-42dc-9228-DB7014108060}"), &g));
  EXPECT_TRUE(rect->GetShapeGUID() == g);
  // Shapes of the notations without identity: empty name, null GUID.
  SSymShape* pie = Shape(16);
  EXPECT_TRUE(pie->GetShapeName().IsEmpty());
  EXPECT_TRUE(pie->GetShapeGUID() == GUID{});
  // Method shapes built on a general one keep its identifier and name.
  EXPECT_EQ(Shape(80)->GetShapeName().ToUtf8(), "File");
  EXPECT_EQ(Shape(80)->GetDefaultHeight(), 6000);
  EXPECT_EQ(Shape(77)->GetDefaultHeight(), 4000);

  struct BadId : SSymShape {
    BadId() { SetIdentity(1, "not a guid", 0, 10, 10); }
  } bad;
  EXPECT_TRUE(bad.GetShapeGUID() == GUID{});
  EXPECT_TRUE(bad.GetShapeName().IsEmpty());
}

TEST(PredefinedShapes, NameLoadsUnderTheLibraryModuleAndRestoresTheCaller) {
  SModuleState mine;
  const std::map<UINT, const char*> texts = {{2707, "NoLineFeed"}};
  mine.SetStringTable(&texts);
  SSetModuleState scope(&mine);
  EXPECT_EQ(LoadString(2707).ToUtf8(), "NoLineFeed");
  // The shape loads from the interface library, not from the caller's module...
  EXPECT_EQ(Shape(3)->GetShapeName().ToUtf8(), "Rectangle");
  // ...and the caller's module is current again afterwards.
  EXPECT_EQ(SGetCurrentModuleState(), &mine);
  EXPECT_TRUE(LoadString(1).IsEmpty());
}

class ShapeHits : public ::testing::Test {
 protected:
  RecordingCanvas canvas;
};

TEST_F(ShapeHits, TransparentRectangleIsHitNearItsEdgesOnly) {
  SSymShape* rect = Shape(3);
  const SSymRect r(0, 5999, 5999, 0);
  const struct {
    SSymPoint pt;
    int hit;
  } kCases[] = {
      {{3000, 3000}, 0},   // the middle
      {{250, 3000}, 1},    // inside, near the left edge
      {{-200, 3000}, 1},   // outside, within 225
      {{-300, 3000}, 0},   // too far out
      {{3000, 6200}, 1},   // above the top edge, within 225
      {{3000, 5750}, 1},   // below the top edge, within 300
      {{3000, 5650}, 0},   // further in
  };
  for (const auto& c : kCases) {
    int part = 99;
    EXPECT_EQ(rect->IsPtInShape(canvas, r, c.pt, nullptr, 1), c.hit) << c.pt.x << "," << c.pt.y;
    if (c.hit) {
      EXPECT_EQ(rect->IsPtInShape(canvas, r, c.pt, &part, 1), 1);
    }
  }
  EXPECT_EQ(rect->IsPtInShape(canvas, r, {3000, 3000}, nullptr, 0), 1);
}

TEST_F(ShapeHits, PolygonAndEllipseHits) {
  // Diamond: the centre is in, a corner of the box is out.
  EXPECT_EQ(Shape(25)->IsPtInShape(canvas, kBox, {3000, 2400}, nullptr, 0), 1);
  EXPECT_EQ(Shape(25)->IsPtInShape(canvas, kBox, {300, 4500}, nullptr, 0), 0);
  // Transparent diamond: near an edge is a hit, the middle is not.
  EXPECT_EQ(Shape(25)->IsPtInShape(canvas, kBox, {3000, 2400}, nullptr, 1), 0);
  EXPECT_EQ(Shape(25)->IsPtInShape(canvas, kBox, {1500, 3600}, nullptr, 1), 1);
  // Ellipse: the box corner is out.
  EXPECT_EQ(Shape(5)->IsPtInShape(canvas, kBox, {3000, 2400}, nullptr, 0), 1);
  EXPECT_EQ(Shape(5)->IsPtInShape(canvas, kBox, {200, 4600}, nullptr, 0), 0);
  // The boundary object's bar is never hit, its ellipse is.
  EXPECT_EQ(Shape(67)->IsPtInShape(canvas, kBox, {100, 2400}, nullptr, 0), 0);
  EXPECT_EQ(Shape(67)->IsPtInShape(canvas, kBox, {3600, 2400}, nullptr, 0), 1);
}

TEST_F(ShapeHits, APolygonOfTwoPointsIsNeitherDrawnNorHit) {
  struct Flat : SSymShapePolygon {
    int GetPolygon(const SSymRect& r, SSymListPt& p) const override {
      p.RemoveAll();
      p.Add({r.x1, r.y1});
      p.Add({r.x2, r.y2});
      return 1;
    }
  } flat;
  canvas.ClearCalls();
  flat.Draw(canvas, kBox, 0);
  EXPECT_TRUE(canvas.Calls().empty());
  EXPECT_EQ(flat.IsPtInShape(canvas, kBox, {0, 4799}, nullptr, 0), 0);
  int can = 1;
  EXPECT_EQ(flat.GetIntersection(&can, kBox, SSymSegment(-10, 0, 7000, 4000), nullptr), 0);
}

TEST_F(ShapeHits, PathShapeHitAndBisection) {
  SSymShape* doc = Shape(41);
  const SSymRect r(0, 3999, 7199, 0);
  EXPECT_EQ(doc->IsPtInShape(canvas, r, {3600, 2000}, nullptr, 0), 1);
  EXPECT_EQ(doc->IsPtInShape(canvas, r, {3600, 6000}, nullptr, 0), 0);
  // From the middle out through the top edge: the crossing lies within a
  // pixel of the top.
  SSymPoint at(-1, -1);
  ASSERT_EQ(doc->GetIntersection(&canvas, r, SSymSegment(3600, 2000, 3600, 9000), &at), 1);
  const SSymSize pixel = canvas.DPtoVP(SIZE{1, 1});
  EXPECT_LE(std::abs(at.y - 3999), 2 * std::abs(pixel.cy) + 1) << at.y;
  EXPECT_NEAR(at.x, 3600, 2 * std::abs(pixel.cx) + 1);
  // Both ends inside, or both outside: no crossing and `at` untouched.
  at = SSymPoint(-1, -1);
  EXPECT_EQ(doc->GetIntersection(&canvas, r, SSymSegment(3000, 2000, 4000, 2500), &at), 0);
  EXPECT_EQ(doc->GetIntersection(&canvas, r, SSymSegment(-5000, 9000, -4000, 9500), &at), 0);
  EXPECT_EQ(at, SSymPoint(-1, -1));
  // Without a canvas a path shape cannot answer.
  int can = 1;
  EXPECT_EQ(doc->GetIntersection(&can, r, SSymSegment(3600, 2000, 3600, 9000), &at), 0);
  EXPECT_EQ(can, 0);
}

// The command lookups read the tables the shape map's build fills: after a
// termination they answer 0 and build nothing; a build fills them again.
TEST(PictureManager, CommandLookupsAnswerZeroAfterTerminationUntilTheMapIsBuilt) {
  const struct {
    int command;
    int type;
    int cursor;
  } kCommands[] = {{2900, 20, 133}, {2952, 78, 185}, {2953, 19, 186}};
  SSymPictureManager::GetSymbolTypeShapeMap();
  for (const auto& c : kCommands) {
    EXPECT_EQ(SSymPictureManager::FindSymbolType(c.command), c.type) << c.command;
    EXPECT_EQ(SSymPictureManager::FindSymbolCursor(c.command), c.cursor) << c.command;
  }
  SSymPictureManager::TerminatePictureManager();
  for (const auto& c : kCommands) {
    EXPECT_EQ(SSymPictureManager::FindSymbolType(c.command), 0) << c.command;
    EXPECT_EQ(SSymPictureManager::FindSymbolCursor(c.command), 0) << c.command;
  }
  // A picture manager builds the map, and with it the command tables.
  { SSymPictureManager builds; }
  for (const auto& c : kCommands) {
    EXPECT_EQ(SSymPictureManager::FindSymbolType(c.command), c.type) << c.command;
    EXPECT_EQ(SSymPictureManager::FindSymbolCursor(c.command), c.cursor) << c.command;
  }
}

TEST(PictureManager, Lookups) {
  // Rebuilt here: other tests of the program may empty the core picture table.
  SSymPictureManager::TerminatePictureManager();
  SSymPictureManager::GetSymbolTypeShapeMap();
  EXPECT_EQ(SSymPictureManager::FindSymbolType(2900), 20);
  EXPECT_EQ(SSymPictureManager::FindSymbolCursor(2900), 133);
  EXPECT_EQ(SSymPictureManager::FindSymbolType(2952), 78);
  EXPECT_EQ(SSymPictureManager::FindSymbolCursor(2953), 186);
  EXPECT_EQ(SSymPictureManager::FindSymbolType(12345), 0);
  EXPECT_EQ(SSymPictureManager::FindSymbolCursor(12345), 0);
  EXPECT_EQ(SSymPictureManager::FindSymbolType(0), 0);  // the shapes without a tool
  for (int t : {80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 16, 93, 94, 95})
    EXPECT_NE(SSymPictureManager::FindSymbolShape(t), nullptr) << t;
  EXPECT_EQ(SSymPictureManager::FindSymbolShape(0), nullptr);
  EXPECT_EQ(SSymPictureManager::FindSymbolShape(17), nullptr);
  EXPECT_EQ(SSymPictureManager::GetSymbolTypeShapeMap().GetCount(), 36);
  EXPECT_EQ(SSymPictureManager::GetMethodShapeMap().GetCount(), 17);
  EXPECT_EQ(SSymPictureManager::FindSymbolType(SString("Diamond")), 25);
  EXPECT_EQ(SSymPictureManager::FindSymbolType(SString("diamond")), 0);
  EXPECT_EQ(SSymPictureManager::FindSymbolType(SString()), 0);
  SPictureInfo* pic = SSymPictureManager::FindSymbolPicture(25);
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->GetType(), 1);
  EXPECT_EQ(pic->GetName().ToUtf8(), "Diamond");
  EXPECT_NE(SSymPictureManager::FindSymbolPicture(3), nullptr);
  EXPECT_EQ(SSymPictureManager::FindSymbolPicture(80), nullptr);  // method shapes have none
}

TEST(PictureManager, TableReplacesAndStaysSorted) {
  SSymShapeTable table;
  EXPECT_EQ(table.Find(5), -1);
  EXPECT_EQ(table.Insert(30, new SSymShapeStar6), 0);
  EXPECT_EQ(table.Insert(20, new SSymShapeOvale), 0);
  auto* replacement = new SSymShapeStar5;
  EXPECT_EQ(table.Insert(30, replacement), 1);
  EXPECT_EQ(table.GetCount(), 2);
  EXPECT_EQ(table.Lookup(30), replacement);
  EXPECT_EQ(table.Find(25), -2);
}

TEST(PictureManager, RebuildsAfterTerminateAndStaysEmptyWhileExiting) {
  EXPECT_EQ(SSymPictureManager::TerminatePictureManager(), 1);
  {
    SWinApp app;
    ASSERT_EQ(SGetApp(), &app);
    app.ExitInstance();
    EXPECT_EQ(SSymPictureManager::FindSymbolShape(3), nullptr);
    EXPECT_EQ(SSymPictureManager::FindSymbolType(2900), 0);
    EXPECT_EQ(SSymPictureManager::GetSymbolTypeShapeMap().GetCount(), 0);
  }
  EXPECT_EQ(SSymPictureManager::FindSymbolShape(3), nullptr);  // built empty until unloaded
  SSymPictureManager::TerminatePictureManager();
  EXPECT_NE(SSymPictureManager::FindSymbolShape(3), nullptr);
  EXPECT_EQ(SSymPictureManager::FindSymbolType(2900), 20);
  // The picture records were kept, not duplicated.
  int diamonds = 0;
  for (SPictureInfo* p : SPictureManager().GetPictureInfoTable())
    if (p->GetType() == 1 && p->GetSymbolType() == 25) ++diamonds;
  EXPECT_EQ(diamonds, 1);
}

// Every shape draws through the canvas, into a sound box and into a
// degenerate one, without a crash; the sound box gives some drawing.
TEST(PredefinedShapeDrawing, EveryShapeDraws) {
  RecordingCanvas canvas;
  auto check = [&](const SSymShapeTable& map) {
    for (int i = 0; i < map.GetCount(); ++i) {
      SSymShape* s = map.GetAt(i).second;
      canvas.ClearCalls();
      s->Draw(canvas, SSymRect(0, s->GetDefaultHeight() - 1, s->GetDefaultWidth() - 1, 0), 0);
      // The recording canvas logs neither ovals nor curves.
      if (s->GetShapeType() != 20 && s->GetShapeType() != 41) {
        EXPECT_FALSE(canvas.Calls().empty()) << "type " << s->GetShapeType();
      }
      s->Draw(canvas, SSymRect(0, 0, 0, 0), 1);
      int part = 0;
      s->IsPtInShape(canvas, SSymRect(0, 0, 0, 0), {0, 0}, &part, 0);
      SSymPoint at;
      s->GetIntersection(&canvas, SSymRect(0, 0, 0, 0), SSymSegment(-5, -5, 5, 5), &at);
      SSymRect grow(0, 0, 0, 0);
      s->AdjustRectToText(grow);
      s->GetMargin(SSymRect(0, 0, 0, 0));
    }
  };
  check(SSymPictureManager::GetSymbolTypeShapeMap());
  check(SSymPictureManager::GetMethodShapeMap());
}

TEST(PredefinedShapeDrawing, MarksAndNotations) {
  RecordingCanvas canvas;
  // The Gane store's extra line has length: the left side.
  Shape(88)->Draw(canvas, kBox, 0);
  EXPECT_EQ(canvas.Only("Line").back(), "Line 0 4799 0 0");
  // The end mark: a circle of the smaller side centred in the box, its inner
  // disc 300 smaller on each side.
  canvas.ClearCalls();
  Shape(91)->Draw(canvas, kBox, 0);
  const auto ellipses = canvas.Only("Ellipse");
  ASSERT_EQ(ellipses.size(), 2u);
  EXPECT_EQ(ellipses[0], "Ellipse 600 4799 5399 0");
  EXPECT_EQ(ellipses[1], "Ellipse 900 4499 5099 300");
  // No component mark at 1500 units or less.
  canvas.ClearCalls();
  Shape(90)->Draw(canvas, SSymRect(0, 1499, 1499, 0), 0);
  EXPECT_EQ(canvas.Calls().size(), 1u);
  // An entity type four times as wide as high: point depth of half the height.
  canvas.ClearCalls();
  EXPECT_EQ(Shape(19)->GetMargin(SSymRect(0, 999, 3999, 0)).x1, 500);
}

TEST(PredefinedShapeDrawing, PicturesOfKindOneDrawTheirShape) {
  SSymPictureManager::TerminatePictureManager();
  RecordingCanvas canvas;
  SPictureInfo* pic = SSymPictureManager::FindSymbolPicture(25);
  ASSERT_NE(pic, nullptr);
  canvas.DrawPicture(kBox, pic, 0);
  EXPECT_EQ(canvas.Only("Polygon").size(), 1u);
  // A zero-sized box draws nothing.
  canvas.ClearCalls();
  canvas.DrawPicture(SSymRect(10, 10, 10, 10), pic, 0);
  EXPECT_TRUE(canvas.Calls().empty());
}
