// The pointer tool's drags: a symbol resized by a handle (held to its
// smallest size), a text of a line widened, a rubber band selecting, a
// vertex moved, removed or inserted, a link end re-attached; each drop that
// changes the model is one undo step that undo and redo take back and give
// again exactly, and every way a drag ends leaves no feedback on the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "kvrep/srepvariant.h"
#include "support/link_fixture.h"
#include "support/tools_fixture.h"
#include "sym/symbol/symbase.h"
#include "sym/links/sympolygon.h"
#include "sym/links/sympolyline.h"
#include "sym/tools/symtool.h"
#include "sym/tools/symtrackerpoly.h"

namespace {

constexpr LONG kManuallyResized = 0x020100B9;
constexpr LONG kAutoAdjustToText = 0x02010009;
constexpr LONG kRoutingState = 0x02010030;

const SMouseFlags kNone(0);
const SMouseFlags kCtrl(MK_CONTROL);
const SMouseFlags kShift(MK_SHIFT);

// The pointer tool with its capture armed as its left press arms it.
class TPointer : public SSymToolPointer {
 public:
  void Arm(int mode, ISSymbol* symbol, const SSymPoint& press) {
    m_nCaptureMode = mode;
    m_pDragSym = symbol;
    m_pressPoint = press;
  }
  int SubPart() const { return m_nSubPart; }
};

std::vector<SSymPoint> Vec(const SSymListPt& l) { return std::vector<SSymPoint>(l.begin(), l.end()); }
SSymListPt List(const std::vector<SSymPoint>& v) {
  SSymListPt l;
  for (const SSymPoint& p : v) l.Add(p);
  return l;
}

LONG Attr(ISSymbol* s, LONG id) {
  SRepVariant v;
  ISRepObject* o = SSymGetRepObject(s);
  if (!o || FAILED(o->GetAttribute(id, &v))) return -1;
  return v.GetLONG();
}

class PointerDrag : public LinkFixtureOf<ToolsFixture> {
 protected:
  void SetUp() override {
    LinkFixtureOf<ToolsFixture>::SetUp();
    m_view = OpenEdit();
    m_tool.Activate(m_view);
  }
  void TearDown() override {
    m_tool.Disactivate();
    LinkFixtureOf<ToolsFixture>::TearDown();
  }
  // A polyline (or a polygon) in the diagram on the points given.
  template <class T = SSymPolyline>
  T* PutLine(REFCLSID clsid, const SSymListPt& pts, LONG style = 0) {
    T* line = New<T>(clsid);
    {
      SCurrentContextChange outside(Session(), nullptr);
      line->SetListPt(pts, 0, 0, 0);
      line->LineStyle = style;
    }
    m_diagram->Add(line->Sym());
    return line;
  }
  int Steps() const { return SymFixture::m_session->GetUndoCount(); }
  // The whole drag without the window's loop: start, the moves, the drop.
  bool Run(int mode, ISSymbol* s, const SSymPoint& press, const std::vector<SSymPoint>& moves, SMouseFlags flags,
           const SSymPoint& drop) {
    m_tool.Arm(mode, s, press);
    if (!m_tool.CaptureStart(flags, press)) {
      m_tool.CaptureCancel();
      return false;
    }
    for (const SSymPoint& p : moves) m_tool.CaptureOver(flags, p);
    m_tool.CaptureDrop(flags, drop);
    return true;
  }
  void Snap(LONG grid) {
    // The library's own diagram makes no preferences: lend it some.
    if (!m_view->GetDispPrefPtr()) m_diagram->SetDispPrefPtr(new TDispPref(nullptr, SString(u"TST"), 0));
    SSymDispPref* prefs = m_view->GetDispPrefPtr();
    ASSERT_NE(prefs, nullptr);
    prefs->m_bSnapGrid = 1;
    prefs->m_nGridSize = grid;
  }
  // Undo then redo of the last step: `undone` holds before redo, `redone` after.
  template <class F, class G>
  void UndoRedo(F undone, G redone) {
    ASSERT_EQ(SymFixture::m_session->Undo(), S_OK);
    undone();
    ASSERT_EQ(SymFixture::m_session->Redo(), S_OK);
    redone();
  }

  SSymViewEdit* m_view = nullptr;
  TPointer m_tool;
};

// ---- resizing by a handle ------------------------------------------------------------------------

TEST_F(PointerDrag, AResizeDroppedWhereItStartedChangesNothing) {
  SSymRectangle* box = PutBox(SSymRect(0, 4000, 6000, 0));
  const SSymRect before = box->GetClipRect(0, 0);
  const int steps = Steps();
  // The lower-right handle, pulled away and brought back.
  ASSERT_TRUE(Run(SSymToolPointer::CaptureResize, box->Sym(), SSymPoint(6000, 0),
                  {SSymPoint(3000, 2000), SSymPoint(6000, 0)}, kNone, SSymPoint(6000, 0)));
  EXPECT_EQ(box->GetClipRect(0, 0), before);
  EXPECT_EQ(Steps(), steps);
  EXPECT_EQ(Attr(box->Sym(), kManuallyResized), 0);
  EXPECT_EQ(m_tool.GetTracker(), nullptr);
  EXPECT_EQ(m_tool.GetCaptureMode(), SSymToolPointer::CaptureNone);
}

struct SliverCase {
  const char* name;
  LONG grid;  // 0: no snapping
  LONG least;
};

TEST_F(PointerDrag, ASliverKeepsTheSmallestSizeAndIsOneUndoStep) {
  const SliverCase cases[] = {{"no grid", 0, 150}, {"grid of 500", 500, 800}, {"grid of 1000", 1000, 1000}};
  for (const SliverCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.grid) Snap(c.grid);
    SSymRectangle* box = PutBox(SSymRect(0, 5000, 5000, 0));
    const SSymRect before = box->GetClipRect(0, 0);
    const int steps = Steps();
    // The lower-right handle dropped next to the upper-left corner.
    ASSERT_TRUE(Run(SSymToolPointer::CaptureResize, box->Sym(), SSymPoint(5000, 0), {SSymPoint(2000, 3000)}, kNone,
                    SSymPoint(60, 4940)));
    EXPECT_EQ(m_tool.SubPart(), 4);
    const SSymRect after = box->GetClipRect(0, 0);
    // The symbol's matrix scales by inclusive extents and rounds away from
    // zero: the size lands on the least one or one unit beyond.
    EXPECT_GE(after.Width(), c.least);
    EXPECT_LE(after.Width(), c.least + 1);
    EXPECT_GE(after.Height(), c.least);
    EXPECT_LE(after.Height(), c.least + 1);
    EXPECT_EQ(Attr(box->Sym(), kManuallyResized), 1);
    EXPECT_EQ(Attr(box->Sym(), kAutoAdjustToText), 0);
    EXPECT_EQ(Steps(), steps + 1);
    UndoRedo(
        [&] {
          EXPECT_EQ(box->GetClipRect(0, 0), before);
          EXPECT_EQ(Attr(box->Sym(), kManuallyResized), 0);
        },
        [&] {
          EXPECT_EQ(box->GetClipRect(0, 0), after);
          EXPECT_EQ(Attr(box->Sym(), kManuallyResized), 1);
        });
  }
}

TEST_F(PointerDrag, APressBesideTheHandlesResizesNothing) {
  SSymRectangle* box = PutBox(SSymRect(0, 4000, 6000, 0));
  m_tool.Arm(SSymToolPointer::CaptureResize, box->Sym(), SSymPoint(3000, 2000));
  EXPECT_EQ(m_tool.CaptureStart(kNone, SSymPoint(3000, 2000)), 0);
  m_tool.CaptureCancel();
  EXPECT_EQ(m_tool.GetCaptureMode(), SSymToolPointer::CaptureNone);
}

TEST_F(PointerDrag, ASymbolTakenOutOfTheDiagramDuringTheDragIsLeftAlone) {
  SSymRectangle* box = PutBox(SSymRect(0, 4000, 6000, 0));
  SSymPolyline* line = PutLine(CLSID_SSymPolyline, SSymListPt({SSymPoint(0, 0), SSymPoint(4000, 0), SSymPoint(4000, 4000)}));
  const SSymRect rect = box->GetClipRect(0, 0);
  const std::vector<SSymPoint> points = Vec(line->ListPt);
  struct Case {
    const char* name;
    int mode;
    ISSymbol* symbol;
    SSymPoint press, drop;
  } const cases[] = {
      {"resize", SSymToolPointer::CaptureResize, box->Sym(), SSymPoint(6000, 0), SSymPoint(9000, -3000)},
      {"vertex", SSymToolPointer::CaptureVertex, line->Sym(), SSymPoint(4000, 0), SSymPoint(5000, -1000)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_tool.Arm(c.mode, c.symbol, c.press);
    ASSERT_EQ(m_tool.CaptureStart(kNone, c.press), 1);
    ASSERT_EQ(m_diagram->Remove(c.symbol), S_OK);
    const int steps = Steps();
    m_tool.CaptureOver(kNone, c.drop);
    m_tool.CaptureDrop(kNone, c.drop);
    EXPECT_EQ(Steps(), steps);
    EXPECT_EQ(m_tool.GetTracker(), nullptr);
  }
  EXPECT_EQ(box->GetClipRect(0, 0), rect);
  EXPECT_EQ(Vec(line->ListPt), points);
}

// A text of a line: a sub-object whose symbol is the line.
class TLineText : public TSym {
 public:
  TLineText(ISRepSession* s, SSymRect r) : TSym(s, r) {}
  BOOL IsSubObject() override { return TRUE; }
  HRESULT GetMainSymbol(ISSymbol** out) override {
    *out = m_main;
    if (m_main) m_main->AddRef();
    return m_main ? S_OK : S_FALSE;
  }
  ISSymbol* m_main = nullptr;
};

TEST_F(PointerDrag, ATextOfALineChangesOnlyItsWidthAndOnlyBy45OrMore) {
  SSymPolyline* line = PutLine(CLSID_SSymPolyline, SSymListPt({SSymPoint(0, 0), SSymPoint(10000, 0)}));
  TLineText* text = Make<TLineText>(SSymRect(1000, 1400, 3000, 1000));
  text->m_main = line->Sym();
  m_diagram->Add(text->Sym());
  const SSymRect before = text->GetClipRect(0, 0);
  // The right-middle handle moved by 40: too little.
  const SSymPoint handle(3000, 1200);
  ASSERT_TRUE(Run(SSymToolPointer::CaptureResize, text->Sym(), handle, {}, kNone, SSymPoint(3040, 1500)));
  EXPECT_EQ(text->GetClipRect(0, 0), before);
  // By 400 and upward: wider, the same top and bottom.
  const int steps = Steps();
  ASSERT_TRUE(Run(SSymToolPointer::CaptureResize, text->Sym(), handle, {}, kNone, SSymPoint(3400, 3000)));
  SSymRect after = text->GetClipRect(0, 0);
  after.Normalize();
  EXPECT_EQ(after.Width(), before.Width() + 400);
  EXPECT_EQ(after.y1, 1400);
  EXPECT_EQ(after.y2, 1000);
  EXPECT_EQ(Steps(), steps + 1);
  // A sub-object of a symbol that is no line is not sized at all.
  text->m_main = PutBox(SSymRect(0, 5000, 5000, 0))->Sym();
  m_tool.Arm(SSymToolPointer::CaptureResize, text->Sym(), SSymPoint(after.x2, 1200));
  EXPECT_EQ(m_tool.CaptureStart(kNone, SSymPoint(after.x2, 1200)), 0);
  m_tool.CaptureCancel();
}

// ---- the rubber band -----------------------------------------------------------------------------

TEST_F(PointerDrag, TheRubberBandSelectsWhatItEnclosesAndShiftAdds) {
  SSymRectangle* a = PutBox(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = PutBox(SSymRect(2000, 1000, 3000, 0));
  SSymRectangle* c = PutBox(SSymRect(5000, 1000, 6000, 0));
  SSymSelection* sel = m_view->GetSelection();
  const int steps = Steps();
  m_view->SelectSymbol(c->Sym(), 1);
  // Dropped on its start: the selection stays as the press left it.
  ASSERT_TRUE(Run(SSymToolPointer::CaptureBand, nullptr, SSymPoint(-500, 1500), {SSymPoint(3500, -500)}, kNone,
                  SSymPoint(-500, 1500)));
  EXPECT_EQ(sel->GetCount(), 1);
  EXPECT_TRUE(sel->Contains(c->Sym()));
  // Dragged up and to the left over a and b: they replace c.
  ASSERT_TRUE(Run(SSymToolPointer::CaptureBand, nullptr, SSymPoint(3500, -500), {}, kNone, SSymPoint(-500, 1500)));
  EXPECT_EQ(sel->GetCount(), 2);
  EXPECT_TRUE(sel->Contains(a->Sym()) && sel->Contains(b->Sym()));
  // With Shift at the drop, c joins them.
  m_view->ClearSelection();
  m_view->SelectSymbol(c->Sym(), 1);
  ASSERT_TRUE(Run(SSymToolPointer::CaptureBand, nullptr, SSymPoint(-500, 1500), {}, kShift, SSymPoint(3500, -500)));
  EXPECT_EQ(sel->GetCount(), 3);
  EXPECT_TRUE(sel->Contains(a->Sym()) && sel->Contains(b->Sym()) && sel->Contains(c->Sym()));
  // Selecting is no change of the model.
  EXPECT_EQ(Steps(), steps);
}

// ---- vertices ------------------------------------------------------------------------------------

TEST_F(PointerDrag, AVertexMovesOnlyBeyond75Units) {
  const SSymPoint p0(0, 0), p1(4000, 0), p2(4000, 4000);
  SSymPolyline* line = PutLine(CLSID_SSymPolyline, SSymListPt({p0, p1, p2}));
  const int steps = Steps();
  ASSERT_TRUE(Run(SSymToolPointer::CaptureVertex, line->Sym(), p1, {SSymPoint(5000, 800)}, kNone,
                  SSymPoint(4075, 75)));
  EXPECT_EQ(m_tool.SubPart(), 1);
  EXPECT_EQ(Vec(line->ListPt), (std::vector<SSymPoint>{p0, p1, p2}));
  EXPECT_EQ(Steps(), steps);
  ASSERT_TRUE(Run(SSymToolPointer::CaptureVertex, line->Sym(), p1, {}, kNone, SSymPoint(4076, 0)));
  const std::vector<SSymPoint> moved{p0, SSymPoint(4076, 0), p2};
  EXPECT_EQ(Vec(line->ListPt), moved);
  EXPECT_EQ(Steps(), steps + 1);
  UndoRedo([&] { EXPECT_EQ(Vec(line->ListPt), (std::vector<SSymPoint>{p0, p1, p2})); },
           [&] { EXPECT_EQ(Vec(line->ListPt), moved); });
}

struct CtrlCase {
  const char* name;
  bool closed;
  std::vector<SSymPoint> points;
  SSymPoint press;
  LONG style;
  int started;                   // a tracker drags after the press
  std::vector<SSymPoint> after;  // the points once the press is over
};

TEST_F(PointerDrag, ControlRemovesOrInsertsAVertexWithoutAMove) {
  const SSymPoint a(0, 0), b(4000, 0), c(4000, 4000), d(0, 4000);
  const CtrlCase cases[] = {
      {"first point of an open line", false, {a, b, c}, a, 0, 1, {a, b, c}},
      {"last point of an open line", false, {a, b, c}, c, 0, 1, {a, b, c}},
      {"a point of a closed outline of three", true, {a, b, c}, b, 0, 1, {a, b, c}},
      {"an inner point of an open line", false, {a, b, c}, b, 0, 0, {a, c}},
      {"a point of a closed outline of four", true, {a, b, c, d}, c, 0, 0, {a, b, d}},
      {"on a vertical segment", false, {a, b, c}, SSymPoint(4010, 1500), 0, 1, {a, b, SSymPoint(4000, 1500), c}},
      {"on a horizontal segment", false, {a, b, c}, SSymPoint(1500, 10), 0, 1, {a, SSymPoint(1500, 0), b, c}},
      {"on a slanted segment",
       false,
       {a, SSymPoint(3000, 1000), c},
       SSymPoint(1000, 340),
       0,
       1,
       {a, SSymPoint(1000, 333), SSymPoint(3000, 1000), c}},
      {"on a slanted segment going down",
       false,
       {SSymPoint(0, 1000), SSymPoint(3000, 0)},
       SSymPoint(1000, 660),
       0,
       1,
       {SSymPoint(0, 1000), SSymPoint(1000, 667), SSymPoint(3000, 0)}},
      {"on a slanted segment of a perpendicular-arrow line",
       false,
       {a, SSymPoint(3000, 1000), c},
       SSymPoint(1000, 340),
       8,
       1,
       {a, SSymPoint(1000, 0), SSymPoint(3000, 1000), c}},
      {"on the closing segment of an outline", true, {a, b, c}, SSymPoint(2000, 2010), 0, 1,
       {a, b, c, SSymPoint(2000, 2000)}},
  };
  for (const CtrlCase& k : cases) {
    SCOPED_TRACE(k.name);
    SSymPolyBase* line = k.closed ? static_cast<SSymPolyBase*>(PutLine<SSymPolygon>(CLSID_SSymPolygon,
                                                                                     List(k.points)))
                                  : PutLine(CLSID_SSymPolyline, List(k.points), k.style);
    const int steps = Steps();
    const bool changes = k.after != k.points;
    m_tool.Arm(SSymToolPointer::CaptureVertex, line->Sym(), k.press);
    EXPECT_EQ(m_tool.CaptureStart(kCtrl, k.press), k.started);
    // The right button or the release before a move: the press alone counts.
    m_tool.CaptureCancel();
    EXPECT_EQ(Vec(line->ListPt), k.after);
    EXPECT_EQ(Steps(), steps + (changes ? 1 : 0));
    if (changes && k.after.size() > k.points.size()) {
      EXPECT_EQ(Attr(line->Sym(), kRoutingState), 4);
    }
    if (changes)
      UndoRedo([&] { EXPECT_EQ(Vec(line->ListPt), k.points); }, [&] { EXPECT_EQ(Vec(line->ListPt), k.after); });
  }
}

TEST_F(PointerDrag, AnInsertedPointIsDraggedOnAndEachPartIsItsOwnStep) {
  const SSymPoint a(0, 0), b(4000, 0);
  SSymPolyline* line = PutLine(CLSID_SSymPolyline, SSymListPt({a, b}));
  const int steps = Steps();
  ASSERT_TRUE(Run(SSymToolPointer::CaptureVertex, line->Sym(), SSymPoint(2000, 0), {SSymPoint(2000, 1000)}, kCtrl,
                  SSymPoint(2000, 1500)));
  EXPECT_EQ(m_tool.SubPart(), 1);
  EXPECT_EQ(Vec(line->ListPt), (std::vector<SSymPoint>{a, SSymPoint(2000, 1500), b}));
  EXPECT_EQ(Steps(), steps + 2);
}

struct StateCase {
  const char* name;
  LONG former;
  int vertex;
  LONG state;
};

TEST_F(PointerDrag, TheRoutingStateJoinsTheFormerOneWithThePartsMoved) {
  // Five points: the second belongs to the source end, the fourth to the
  // destination end, the third to the middle.
  const SSymListPt zigzag({SSymPoint(0, 0), SSymPoint(2000, 2000), SSymPoint(4000, 0), SSymPoint(6000, 2000),
                           SSymPoint(8000, 0)});
  const StateCase cases[] = {
      {"source side", 0, 1, 1},      {"destination side", 0, 3, 2},  {"middle", 0, 2, 4},
      {"both sides", 1, 3, 3},       {"unknown former state", 7, 1, 1}, {"former 4 stays", 4, 1, 4},
      {"former 2 and source", 2, 1, 3},
  };
  for (const StateCase& c : cases) {
    SCOPED_TRACE(c.name);
    SSymPolyline* line = PutLine(CLSID_SSymPolyline, zigzag);
    line->ARState = c.former;
    const SSymPoint from = zigzag[c.vertex];
    ASSERT_TRUE(
        Run(SSymToolPointer::CaptureVertex, line->Sym(), from, {}, kNone, SSymPoint(from.x + 300, from.y + 500)));
    EXPECT_EQ(Attr(line->Sym(), kRoutingState), c.state);
    EXPECT_EQ(line->ListPt[c.vertex], SSymPoint(from.x + 300, from.y + 500));
  }
}

// ---- link ends -----------------------------------------------------------------------------------

class PointerDragLink : public PointerDrag {
 protected:
  void SetUp() override {
    PointerDrag::SetUp();
    m_a = PutBox(SSymRect(0, 2000, 2000, 0));
    m_b = PutBox(SSymRect(8000, 2000, 10000, 0));
    m_c = PutBox(SSymRect(8000, 8000, 10000, 6000));
    m_link = PutLink(m_a, m_b, SSymListPt({SSymPoint(2000, 1000), SSymPoint(8000, 1000)}));
  }
  SSymRectangle* m_a = nullptr;
  SSymRectangle* m_b = nullptr;
  SSymRectangle* m_c = nullptr;
  SSymLinkBase* m_link = nullptr;
};

TEST_F(PointerDragLink, ControlKeepsTheLastPointThatHoldsALoopOutsideItsSymbol) {
  // A loop on m_c: one inner point outside the box, one inside.
  const SSymPoint out(11000, 7000), in(9500, 7500);
  SSymLinkBase* loop = PutLink(m_c, m_c, SSymListPt({SSymPoint(10000, 7500), out, in, SSymPoint(10000, 6500)}));
  const std::vector<SSymPoint> before = Vec(loop->ListPt);
  // Without the outer point every point left lies in the box: refused, the
  // point is dragged instead.
  m_tool.Arm(SSymToolPointer::CaptureVertex, loop->Sym(), out);
  EXPECT_EQ(m_tool.CaptureStart(kCtrl, out), 1);
  m_tool.CaptureCancel();
  EXPECT_EQ(Vec(loop->ListPt), before);
  // The inner one may go (the loop still leaves the box; the link shapes
  // its loop again around what is left).
  const int steps = Steps();
  m_tool.Arm(SSymToolPointer::CaptureVertex, loop->Sym(), in);
  EXPECT_EQ(m_tool.CaptureStart(kCtrl, in), 0);
  const std::vector<SSymPoint> after = Vec(loop->ListPt);
  EXPECT_EQ(std::count(after.begin(), after.end(), in), 0);
  EXPECT_EQ(Steps(), steps + 1);
}

TEST_F(PointerDragLink, AnEndDroppedOnEmptySpaceStaysAttached) {
  const std::vector<SSymPoint> before = Vec(m_link->ListPt);
  const int steps = Steps();
  ASSERT_TRUE(Run(SSymToolPointer::CaptureVertex, m_link->Sym(), SSymPoint(8000, 1000), {SSymPoint(6000, 4000)}, kNone,
                  SSymPoint(5000, 5000)));
  EXPECT_EQ(End(m_link, 1), m_b->Sym());
  EXPECT_EQ(Vec(m_link->ListPt), before);
  EXPECT_EQ(Steps(), steps);
}

TEST_F(PointerDragLink, AnEndDroppedOnAnotherSymbolIsAttachedThere) {
  const std::vector<SSymPoint> before = Vec(m_link->ListPt);
  const int steps = Steps();
  ASSERT_TRUE(Run(SSymToolPointer::CaptureVertex, m_link->Sym(), SSymPoint(8000, 1000), {SSymPoint(8500, 4000)}, kNone,
                  SSymPoint(9000, 7000)));
  EXPECT_EQ(End(m_link, 1), m_c->Sym());
  EXPECT_EQ(End(m_link, 0), m_a->Sym());
  const std::vector<SSymPoint> after = Vec(m_link->ListPt);
  EXPECT_EQ(Steps(), steps + 1);
  UndoRedo(
      [&] {
        EXPECT_EQ(End(m_link, 1), m_b->Sym());
        EXPECT_EQ(Vec(m_link->ListPt), before);
      },
      [&] {
        EXPECT_EQ(End(m_link, 1), m_c->Sym());
        EXPECT_EQ(Vec(m_link->ListPt), after);
      });
}

TEST_F(PointerDragLink, AnEndDroppedOnItsOwnSymbolMovesItsAttachPoint) {
  const std::vector<SSymPoint> before = Vec(m_link->ListPt);
  const int steps = Steps();
  ASSERT_TRUE(Run(SSymToolPointer::CaptureVertex, m_link->Sym(), SSymPoint(8000, 1000), {}, kNone,
                  SSymPoint(8000, 1800)));
  EXPECT_EQ(End(m_link, 1), m_b->Sym());
  EXPECT_NE(Vec(m_link->ListPt), before);
  EXPECT_EQ(Steps(), steps + 1);
  const std::vector<SSymPoint> after = Vec(m_link->ListPt);
  UndoRedo([&] { EXPECT_EQ(Vec(m_link->ListPt), before); }, [&] { EXPECT_EQ(Vec(m_link->ListPt), after); });
}

// ---- through the window's capture loop -----------------------------------------------------------

KvInputItem Move(DWORD dt, POINT at) { return KvMouseItem(dt, WM_MOUSEMOVE, at.x, at.y); }
KvInputItem Mouse(DWORD dt, UINT message, POINT at) { return KvMouseItem(dt, message, at.x, at.y); }

class PointerDragWindow : public PointerDrag {
 protected:
  // The surface as a fresh paint leaves it.
  std::vector<unsigned char> Repainted() {
    m_view->InvalidateAll(1);
    ::UpdateWindow(m_view->GetSafeHwnd());
    return SurfaceBytes(m_view->GetSafeHwnd());
  }
  SSymRect BoxOnScreen(POINT from, POINT to) {
    const SSymPoint p = Logical(m_view, from), q = Logical(m_view, to);
    return SSymRect(p.x, p.y, q.x, q.y);
  }
};

TEST_F(PointerDragWindow, TheRightButtonCancelsAndLeavesNoFeedback) {
  SSymRectangle* box = PutBox(BoxOnScreen({60, 60}, {160, 140}));
  const SSymRect before = box->GetClipRect(0, 0);
  const std::vector<unsigned char> surface = Repainted();
  const int steps = Steps();
  SSymRect r = before;
  const SSymPoint corner = r.GetPoint(4);
  const POINT press = m_view->GetCanvas().VPtoDP(corner);
  m_tool.Arm(SSymToolPointer::CaptureResize, box->Sym(), corner);
  const DWORD result = Drag(m_view, m_tool, press,
                            {Move(10, {press.x + 40, press.y + 30}), Move(20, {press.x + 60, press.y + 40}),
                             Mouse(30, WM_RBUTTONDOWN, {press.x + 60, press.y + 40})});
  EXPECT_EQ(result, ISSymViewCapture::Cancel);
  EXPECT_EQ(SurfaceBytes(m_view->GetSafeHwnd()), surface);
  EXPECT_EQ(box->GetClipRect(0, 0), before);
  EXPECT_EQ(Steps(), steps);
  EXPECT_EQ(m_tool.GetTracker(), nullptr);
  EXPECT_EQ(m_tool.GetCaptureMode(), SSymToolPointer::CaptureNone);
}

TEST_F(PointerDragWindow, DropsThroughTheLoopLeaveOnlyTheChangedDiagram) {
  SSymRectangle* box = PutBox(BoxOnScreen({60, 60}, {160, 140}));
  SSymRectangle* other = PutBox(BoxOnScreen({220, 60}, {260, 100}));
  Repainted();
  // A resize by the lower-right handle: one step, nothing but the new
  // picture on the window.
  SSymRect r = box->GetClipRect(0, 0);
  const SSymPoint corner = r.GetPoint(4);
  const POINT press = m_view->GetCanvas().VPtoDP(corner);
  const int steps = Steps();
  m_tool.Arm(SSymToolPointer::CaptureResize, box->Sym(), corner);
  EXPECT_EQ(Drag(m_view, m_tool, press,
                 {Move(10, {press.x + 20, press.y + 10}), Move(20, {press.x + 40, press.y + 30}),
                  Mouse(30, WM_LBUTTONUP, {press.x + 40, press.y + 30})}),
            ISSymViewCapture::Drop);
  EXPECT_EQ(Steps(), steps + 1);
  EXPECT_GT(box->GetClipRect(0, 0).Width(), r.Width());
  // What the window shows once the symbols' own repaint is done.
  ::UpdateWindow(m_view->GetSafeHwnd());
  std::vector<unsigned char> left = SurfaceBytes(m_view->GetSafeHwnd());
  EXPECT_EQ(left, Repainted());
  // A rubber band around the other box selects it.
  const POINT from{200, 40}, to{280, 120};
  m_tool.Arm(SSymToolPointer::CaptureBand, nullptr, Logical(m_view, from));
  EXPECT_EQ(Drag(m_view, m_tool, from, {Move(10, {240, 80}), Move(20, to), Mouse(30, WM_LBUTTONUP, to)}),
            ISSymViewCapture::Drop);
  EXPECT_TRUE(m_view->SelectionContains(other->Sym()));
  EXPECT_FALSE(m_view->SelectionContains(box->Sym()));
  EXPECT_EQ(Steps(), steps + 1);
  ::UpdateWindow(m_view->GetSafeHwnd());
  left = SurfaceBytes(m_view->GetSafeHwnd());
  EXPECT_EQ(left, Repainted());
}

}  // namespace

namespace {
// Rubber bands through the window over boxes some of which stay selected,
// some leave and some join (with and without Shift): the window shows
// exactly the handles of the selection, as a fresh paint does.
TEST_F(PointerDragWindow, RubberBandsLeaveTheHandlesOfExactlyTheSelection) {
  SSymRectangle* left = PutBox(BoxOnScreen({40, 60}, {80, 100}));
  SSymRectangle* middle = PutBox(BoxOnScreen({120, 60}, {160, 100}));
  SSymRectangle* right = PutBox(BoxOnScreen({200, 60}, {240, 100}));
  Repainted();
  struct Band {
    POINT from, to;
    bool shift;
    std::vector<SSymRectangle*> selected;
  };
  const Band bands[] = {
      {{20, 40}, {180, 120}, false, {left, middle}},         // from nothing selected
      {{100, 40}, {260, 120}, false, {middle, right}},       // middle stays, left leaves, right joins
      {{100, 40}, {260, 120}, false, {middle, right}},       // the same again: nothing changes
      {{20, 40}, {90, 120}, true, {left, middle, right}},    // left joins the kept ones
      {{190, 40}, {260, 120}, false, {right}},               // everything but right leaves
  };
  for (const Band& b : bands) {
    KvSetKeyState(VK_SHIFT, b.shift);
    m_tool.Arm(SSymToolPointer::CaptureBand, nullptr, Logical(m_view, b.from));
    EXPECT_EQ(Drag(m_view, m_tool, b.from, {Move(10, b.to), Mouse(20, WM_LBUTTONUP, b.to)}), ISSymViewCapture::Drop);
    KvSetKeyState(VK_SHIFT, false);
    EXPECT_EQ(m_view->GetSelection()->GetCount(), static_cast<int>(b.selected.size())) << "band to " << b.to.x;
    for (SSymRectangle* s : b.selected) EXPECT_TRUE(m_view->SelectionContains(s->Sym()));
    ::UpdateWindow(m_view->GetSafeHwnd());
    const std::vector<unsigned char> shown = SurfaceBytes(m_view->GetSafeHwnd());
    EXPECT_EQ(shown, Repainted()) << "band to " << b.to.x;
  }
}
}  // namespace
