// The rectangle trackers: where the mover, the sizer (by handle, with the
// keys and the mode flags), the focus and the ellipse rectangles go, and
// that their feedback on the window leaves the pixels as they were once
// taken away.
#include <gtest/gtest.h>

#include <memory>

#include "support/tools_fixture.h"
#include "sym/symbol/symintfdrag.h"
#include "sym/tools/symtracker.h"

namespace {

SMouseFlags Keys(UINT flags) { return SMouseFlags(flags); }

TEST(TrackerMover, KeepsItsGripAndSpansOneUnitMore) {
  SSymTrackerMover mover(nullptr, SSymPoint(500, 500), SSymRect(0, 1000, 1999, 0));
  EXPECT_EQ(mover.GetSize(), SSymSize(2000, 1001));
  EXPECT_EQ(mover.GetOffset(), SSymSize(500, 500));
  // Nothing is shown before the first move.
  EXPECT_TRUE(mover.GetRect().IsDegenerate());
  EXPECT_EQ(mover.TrackTo(SSymPoint(1500, 700), Keys(0)), SSymPoint(1500, 700));
  EXPECT_EQ(mover.GetRect(), SSymRect(1000, 1201, 3000, 200));
  // Corners in either order grip the same corner; keys change nothing.
  SSymTrackerMover flipped(nullptr, SSymPoint(500, 500), SSymRect(1999, 0, 0, 1000));
  flipped.TrackTo(SSymPoint(1500, 700), Keys(SMouseFlags::Shift | SMouseFlags::Control));
  EXPECT_EQ(flipped.GetRect(), mover.GetRect());
}

struct SizerCase {
  const char* name;
  int handle;
  unsigned int mode;
  SSymPoint start;
  SSymPoint to;
  UINT keys;
  SSymRect expected;
};

// All on (0, 1000, 2000, 0): centre (1000, 500).
const SizerCase kSizerCases[] = {
    {"corner", 4, 0, {2000, 0}, {2500, -300}, 0, {0, -300, 2500, 1000}},
    {"bottom edge changes the height only", 5, 0, {1000, 0}, {1500, -500}, 0, {0, -500, 2000, 1000}},
    {"right edge changes the width only", 3, 0, {2000, 500}, {3000, 777}, 0, {0, 0, 3000, 1000}},
    {"control sizes about the centre", 4, 0, {2000, 0}, {2500, -500}, SMouseFlags::Control, {-500, -500, 2500, 1500}},
    {"fixed width: a corner is its edge's middle", 4, 4, {2000, 0}, {1500, -500}, 0, {0, -500, 2000, 1000}},
    {"fixed width: a side handle moves", 3, 4, {2000, 500}, {2500, 900}, 0, {500, 1000, 2500, 0}},
    {"fixed height: a top handle moves", 1, 8, {1000, 1000}, {1200, 1400}, 0, {0, 1400, 2000, 400}},
    {"both fixed: the rectangle moves", 4, 12, {2000, 0}, {2100, 50}, 0, {100, 1050, 2100, 50}},
    {"keep centre", 4, 1, {2000, 0}, {2500, -500}, 0, {-250, -250, 2250, 1250}},
};

TEST(TrackerSizer, FollowsItsHandleUnderKeysAndModes) {
  for (const SizerCase& c : kSizerCases) {
    SCOPED_TRACE(c.name);
    SSymTrackerSizer sizer(nullptr, c.start, SSymRect(0, 1000, 2000, 0), c.handle, 0, c.mode);
    sizer.TrackTo(c.to, Keys(c.keys));
    EXPECT_EQ(sizer.GetRect(), c.expected);
  }
}

TEST(TrackerSizer, ShiftKeepsTheProportionsOfTheFirstRectangle) {
  // 200 x 100 as counted; the pointer (300, -50) from the anchor (0, 99).
  SSymTrackerSizer sizer(nullptr, SSymPoint(199, 0), SSymRect(0, 99, 199, 0), 4, 0, 0);
  sizer.TrackTo(SSymPoint(300, 49), Keys(SMouseFlags::Shift));
  EXPECT_EQ(sizer.GetRect(), SSymRect(0, -51, 300, 99));
  EXPECT_EQ(sizer.GetCurrentPoint(), SSymPoint(300, -51));
  // The same point without Shift: the key state changed, the shape is free.
  sizer.TrackTo(SSymPoint(300, 49), Keys(0));
  EXPECT_EQ(sizer.GetRect(), SSymRect(0, 49, 300, 99));
  // A symbol that keeps its proportions does so without Shift; a pointer
  // on the anchor's line keeps the other offset at 0.
  SSymTrackerSizer kept(nullptr, SSymPoint(199, 0), SSymRect(0, 99, 199, 0), 4, 1, 0);
  kept.TrackTo(SSymPoint(300, 49), Keys(0));
  EXPECT_EQ(kept.GetRect(), SSymRect(0, -51, 300, 99));
  kept.TrackTo(SSymPoint(0, 99), Keys(0));
  EXPECT_EQ(kept.GetRect(), SSymRect(0, 99, 0, 99));
}

TEST(TrackerSizer, ControlWhileStillRecomputesAboutTheCentre) {
  SSymTrackerSizer sizer(nullptr, SSymPoint(2000, 0), SSymRect(0, 1000, 2000, 0), 4, 0, 0);
  sizer.TrackTo(SSymPoint(2500, -500), Keys(0));
  EXPECT_EQ(sizer.GetRect(), SSymRect(0, -500, 2500, 1000));
  sizer.TrackTo(SSymPoint(2500, -500), Keys(SMouseFlags::Control));
  EXPECT_EQ(sizer.GetRect(), SSymRect(-500, -500, 2500, 1500));
}

TEST(TrackerFromPoint, TheEllipseSquaresWithShiftTheFocusNever) {
  SSymTrackerEllipse ellipse(nullptr, SSymPoint(100, 100));
  SSymTrackerFocus focus(nullptr, SSymPoint(100, 100));
  EXPECT_TRUE(ellipse.GetRect().IsDegenerate());
  ellipse.TrackTo(SSymPoint(400, 200), Keys(SMouseFlags::Shift));
  focus.TrackTo(SSymPoint(400, 200), Keys(SMouseFlags::Shift));
  EXPECT_EQ(ellipse.GetRect(), SSymRect(100, 400, 400, 100));
  EXPECT_EQ(focus.GetRect(), SSymRect(100, 200, 400, 100));
  EXPECT_TRUE(focus.IsKindOf(&SSymTrackerSizer::__clsinf));
  EXPECT_FALSE(focus.IsKindOf(&SSymTrackerMover::__clsinf));
}

// ---- on the window ------------------------------------------------------------------------------

class TrackerOnWindow : public ToolsFixture {
 protected:
  // A rectangle of the window's client area in diagram units.
  SSymRect Area(SSymView* v, RECT r) { return SSymRect(Logical(v, {r.left, r.bottom}).x, Logical(v, {r.left, r.bottom}).y,
                                                       Logical(v, {r.right, r.top}).x, Logical(v, {r.right, r.top}).y); }
};

TEST_F(TrackerOnWindow, DrawingTwiceRestoresTheSurfaceExactly) {
  SSymViewEdit* v = OpenEdit();
  SSymView::LockCanvas lock(v);
  SSymCanvas* canvas = &v->GetCanvas();
  const SSymRect box = Area(v, RECT{40, 30, 200, 160});
  const SSymPoint grip = box.GetCenter();
  struct Made {
    const char* name;
    std::function<SSymTrackerBase*()> make;
    SSymPoint to;
  };
  const Made made[] = {
      {"mover", [&] { return new SSymTrackerMover(canvas, grip, box); }, Logical(v, {150, 120})},
      {"sizer", [&] { return new SSymTrackerSizer(canvas, SSymRect(box).GetPoint(4), box, 4, 0, 0); },
       Logical(v, {260, 220})},
      {"focus", [&] { return new SSymTrackerFocus(canvas, grip); }, Logical(v, {300, 250})},
      {"ellipse", [&] { return new SSymTrackerEllipse(canvas, grip); }, Logical(v, {20, 10})},
  };
  for (const Made& m : made) {
    SCOPED_TRACE(m.name);
    const std::vector<unsigned char> before = SurfaceBytes(v->GetSafeHwnd());
    ASSERT_FALSE(before.empty());
    std::unique_ptr<SSymTrackerBase> tracker(m.make());
    tracker->TrackTo(m.to, Keys(0));
    const std::vector<unsigned char> shown = SurfaceBytes(v->GetSafeHwnd());
    EXPECT_NE(shown, before);
    // Each frame hides the old feedback and shows the new.
    tracker->TrackTo(Logical(v, {100, 100}), Keys(0));
    tracker->TrackTo(m.to, Keys(0));
    EXPECT_EQ(SurfaceBytes(v->GetSafeHwnd()), shown);
    // The same point and keys again: nothing is drawn.
    tracker->TrackTo(m.to, Keys(0));
    EXPECT_EQ(SurfaceBytes(v->GetSafeHwnd()), shown);
    tracker->Hide();
    EXPECT_EQ(SurfaceBytes(v->GetSafeHwnd()), before);
    tracker->Show();
    EXPECT_EQ(SurfaceBytes(v->GetSafeHwnd()), shown);
    tracker->Hide();
  }
}

// Drag data holding one plain symbol: the mover shows its rectangle, not
// an insertion line.
class TDragData : public ISSymDataSrc {
 public:
  explicit TDragData(ISSymbol* s) : symbol(s) {}
  HRESULT QueryInterface(const IID&, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  int GetSymbolCount() override { return 1; }
  ISSymbol* GetSymbolAt(int i) override { return i == 0 ? symbol : nullptr; }
  void SetDropResult(LONG) override {}
  ISSymbol* symbol;
};

TEST_F(TrackerOnWindow, DraggedPlainSymbolsShowTheRectangleNotTheInsertionLine) {
  SSymViewEdit* v = OpenEdit();
  TSym* box = AddTo(m_diagram, Area(v, RECT{40, 30, 200, 160}));
  ::UpdateWindow(v->GetSafeHwnd());
  SSymView::LockCanvas lock(v);
  const SSymRect moved = Area(v, RECT{60, 40, 120, 90});
  const SSymPoint to = Logical(v, {100, 80});
  TDragData data(box->Sym());
  SSymTrackerMover plain(&v->GetCanvas(), moved.GetCenter(), moved);
  plain.TrackTo(to, Keys(0));
  const std::vector<unsigned char> expected = SurfaceBytes(v->GetSafeHwnd());
  plain.Hide();
  SSymTrackerMover dragged(&v->GetCanvas(), moved.GetCenter(), moved);
  dragged.SetDragData(&data);
  dragged.SetTargetView(v);
  EXPECT_EQ(dragged.DrawSubSymPosLine(to), 0);
  dragged.TrackTo(to, Keys(0));
  EXPECT_EQ(SurfaceBytes(v->GetSafeHwnd()), expected);
  dragged.Hide();
}

}  // namespace
