// The lane and its separator line: thickness changes and their threshold,
// the separator's drag with its minimum and its composite limit, a lane's
// moves merged into one undo step, hit tests, drawing, and a lane that has
// no separator yet. The pool here is a test pool that records what the
// lane asks of it, so that the lane's own rules are what is checked.
#include <gtest/gtest.h>

#include "support/comp_fixture.h"
#include "support/recording_canvas.h"
#include "sym/composite/symswim.h"
#include "sym/composite/symswimcoln.h"

namespace {

// A pool as the lanes see it: an orientation, the rectangle for a new lane,
// a count of arrangements, and an owner that appends to its SubSymbols.
class TPoolSym : public SRepFaces<TPoolSym, TCompOf<TPoolSym, TSym>, ISSymSwimPool> {
 public:
  explicit TPoolSym(ISRepSession* s, SSymRect r = SSymRect(0, 20000, 40000, 0)) : SRepFaces(s, r) { m_symType = 12; }
  int IsVertical() override { return m_vertical; }
  void ChangeOrientation() override {}
  void GetNewSwimlaneRect(SSymRect& rect) override { rect = m_newLane; }
  ISSymbol* GetLineSym() override { return nullptr; }
  void ArrangeLanes(int) override { ++m_arranged; }
  void GetAllChildrenSym(SUnsortedComBag<ISSymbol>&, int) override {}
  int m_vertical = 0;
  int m_arranged = 0;
  SSymRect m_newLane;
};

// A lane group between a pool and its lanes: an owner, not a pool.
class TGroupSym : public TCompOf<TGroupSym, TSym> {
 public:
  explicit TGroupSym(ISRepSession* s) : TCompOf(s) { m_symType = 17; }
};

// A composite lane whose children take a rectangle the test sets.
class TFixedChildren : public SSymCompImpl {
 public:
  using SSymCompImpl::SSymCompImpl;
  SSymRect GetChildrenRect(int) override { return m_children; }
  int IsExcludedChild(ISSymbol*) override { return 0; }
  SSymRect m_children;
};
class TCompLane : public SSymSwim {
 public:
  explicit TCompLane(ISRepSession* s) : SSymSwim(s), m_comp(new TFixedChildren(this, &TCompSym::DefaultDef())) {
    m_comp->AddRef();
  }
  ~TCompLane() override {
    m_comp->Detach();
    m_comp->Release();
  }
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override {
    if (iid == IID_ISSymCompSym) return m_comp->QueryInterface(iid, ppv);
    return SSymSwim::InternalQueryInterface(iid, ppv);
  }
  TFixedChildren* m_comp;  // counted
};

class SwimLane : public CompFixture {
 protected:
  // A pool in the diagram (stacked lanes unless vertical).
  TPoolSym* NewPool(int vertical, SSymRect r = SSymRect(0, 20000, 40000, 0)) {
    TPoolSym* p = Place<TPoolSym>(DiagramOwner(), r);
    p->m_vertical = vertical;
    return p;
  }
  // A lane with the rectangle r placed into an owner.
  template <class L = SSymSwim>
  L* NewLane(ISSymOwner* owner, const SSymRect& r) {
    L* l = Make<L>();
    l->PutRect(r);
    if (owner) owner->Add(l->Sym());
    return l;
  }
  static SSymSwimColn* Line(SSymSwim* lane) { return SSymSwimColn::FromInterface(lane->GetColnSym()); }
  static SSymListPt Pts(SSymPoint a, SSymPoint b) { return SSymListPt{a, b}; }
  void TearDown() override {
    // The separators are the lanes' own objects: the fixture lets go of
    // their collections as of every other object it made.
    for (SRepObject* o : m_made)
      if (SSymSwim* l = dynamic_cast<SSymSwim*>(o); l && Line(l)) SSymSwimColn::FromInterface(l->GetColnSym())->ReleaseAll();
    CompFixture::TearDown();
  }
};

// ---- thickness --------------------------------------------------------------------------------
// The first lane of the pool changes at its start edge (bottom, or left),
// every other lane at its far edge (top, or right); the pool follows. A
// change under 75 units, or along the wrong axis, changes nothing (1).
TEST_F(SwimLane, ThicknessSettersMoveOneEdgeAndThePool) {
  struct Case {
    const char* name;
    int vertical;
    int lane;          // 0 the pool's first lane, 1 the second
    char setter;       // 'h' SetHeight, 'w' SetWidth, 's' SetSize
    int value;
    HRESULT result;
    SSymRect laneAfter, poolAfter;
  };
  const SSymRect pool(0, 20000, 40000, 0);
  // Stacked: lane 0 is 0..10000 high, lane 1 10000..20000.
  // Side by side: lane 0 is 0..20000 wide, lane 1 20000..40000.
  const Case cases[] = {
      {"Stacked74Less", 0, 1, 'h', 9926, 1, SSymRect(0, 20000, 40000, 10000), pool},
      {"Stacked74More", 0, 1, 'h', 10074, 1, SSymRect(0, 20000, 40000, 10000), pool},
      {"Stacked75More", 0, 1, 'h', 10075, 0, SSymRect(0, 20075, 40000, 10000), SSymRect(0, 20075, 40000, 0)},
      {"StackedFirst", 0, 0, 'h', 12000, 0, SSymRect(0, 10000, 40000, -2000), SSymRect(0, 20000, 40000, -2000)},
      {"StackedSize", 0, 1, 's', 8000, 0, SSymRect(0, 18000, 40000, 10000), SSymRect(0, 18000, 40000, 0)},
      {"StackedWidth", 0, 1, 'w', 5000, 1, SSymRect(0, 20000, 40000, 10000), pool},
      {"StackedNothing", 0, 1, 'h', 0, 1, SSymRect(0, 20000, 40000, 10000), pool},
      {"SideFirst", 1, 0, 'w', 25000, 0, SSymRect(-5000, 20000, 20000, 0), SSymRect(-5000, 20000, 40000, 0)},
      {"SideOther", 1, 1, 'w', 15000, 0, SSymRect(20000, 20000, 35000, 0), SSymRect(0, 20000, 35000, 0)},
      {"SideSize", 1, 1, 's', 30000, 0, SSymRect(20000, 20000, 50000, 0), SSymRect(0, 20000, 50000, 0)},
      {"SideHeight", 1, 1, 'h', 5000, 1, SSymRect(20000, 20000, 40000, 0), pool},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TPoolSym* p = NewPool(k.vertical, pool);
    SSymSwim* lanes[2];
    for (int i = 0; i < 2; ++i)
      lanes[i] = NewLane(p, k.vertical ? SSymRect(20000 * i, 20000, 20000 * (i + 1), 0)
                                       : SSymRect(0, 10000 * (i + 1), 40000, 10000 * i));
    SSymSwim* l = lanes[k.lane];
    const HRESULT hr = k.setter == 'h' ? l->SetHeight(k.value)
                       : k.setter == 'w' ? l->SetWidth(k.value)
                                         : l->SetSize(SRep_Point{k.value, k.value});
    EXPECT_EQ(hr, k.result);
    EXPECT_EQ(l->m_rect, k.laneAfter);
    EXPECT_EQ(p->m_rect, k.poolAfter);
  }
}

TEST_F(SwimLane, ThicknessOfALaneOutsideAPoolIsRefused) {
  SSymSwim* l = NewLane(DiagramOwner(), SSymRect(0, 10000, 40000, 0));
  EXPECT_EQ(l->SetHeight(5000), 1);
  EXPECT_EQ(l->SetWidth(5000), 1);
  EXPECT_EQ(l->m_rect, SSymRect(0, 10000, 40000, 0));
}

// The property map reaches the lane's own rule through the base's setter.
TEST_F(SwimLane, HeightAttributeGoesThroughTheLaneRule) {
  TPoolSym* p = NewPool(0);
  NewLane(p, SSymRect(0, 10000, 40000, 0));
  SSymSwim* l = NewLane(p, SSymRect(0, 20000, 40000, 10000));
  ASSERT_EQ(l->SetAttribute(SymAttr::Height, SRepVariant::Long(12000)), S_OK);
  EXPECT_EQ(l->m_rect, SSymRect(0, 22000, 40000, 10000));
  EXPECT_EQ(p->m_rect, SSymRect(0, 22000, 40000, 0));
}

// ---- the pool, through lane groups ----------------------------------------------------------
TEST_F(SwimLane, ALaneInAGroupFindsThePoolAboveIt) {
  TPoolSym* p = NewPool(1);
  TGroupSym* g = Place<TGroupSym>(p);
  SSymSwim* l = NewLane(g, SSymRect(0, 20000, 10000, 0));
  EXPECT_EQ(l->GetPoolSym(), p->Sym());
  // The separator, made on placing, finds the pool the same way.
  ASSERT_NE(Line(l), nullptr);
  EXPECT_EQ(Line(l)->GetSwimSym(), p->Sym());
  EXPECT_EQ(Line(l)->GetObjSym(), l->Sym());
  // Side by side: the line stands on the lane's right edge, across the group.
  EXPECT_EQ(Line(l)->ListPoints()[0].x, 10000);
  EXPECT_EQ(NewLane(DiagramOwner(), SSymRect(0, 1, 1, 0))->GetPoolSym(), nullptr);
}

// ---- a lane not placed yet has no separator --------------------------------------------------
TEST_F(SwimLane, ALaneWithoutSeparatorWorksWithoutIt) {
  SSymSwim* l = NewLane(nullptr, SSymRect(0, 10000, 40000, 0));
  ASSERT_EQ(l->GetColnSym(), nullptr);
  RecordingCanvas canvas;
  EXPECT_FALSE(l->IsPtInSym(canvas, SSymPoint(100, 100), nullptr, nullptr));
  ISSymbol* hit = nullptr;
  EXPECT_FALSE(l->IsPtInSym(canvas, SSymPoint(100, 100), nullptr, &hit));
  EXPECT_EQ(hit, nullptr);
  EXPECT_EQ(l->MoveBy(SSymSize(100, 0), 0), S_OK);
  EXPECT_EQ(l->m_rect, SSymRect(100, 10000, 40100, 0));
  l->GetActiveRect(canvas, 0);
  l->DrawHandles(canvas);
  EXPECT_EQ(l->Draw(canvas), E_FAIL);  // no pool to draw in
  EXPECT_EQ(l->Delete(), S_OK);
}

// ---- hit tests ----------------------------------------------------------------------------------
// Side by side, H = 2000: the heading band is the pool's top 2000 units.
// It picks the lane but is not its body; the body starts 75 units inside.
TEST_F(SwimLane, HeadingPicksTheLaneAndTheBodyTakesSymbols) {
  TPoolSym* p = NewPool(1);
  SSymSwim* l = NewLane(p, SSymRect(0, 20000, 10000, 0));
  RecordingCanvas canvas;
  struct Case {
    SSymPoint pt;
    BOOL picks;
    int body;
  };
  const Case cases[] = {
      {SSymPoint(5000, 19000), 1, 0},   // in the heading band
      {SSymPoint(5000, 17000), 0, 1},   // in the body
      {SSymPoint(5000, 17926), 0, 0},
      {SSymPoint(5000, 17925), 0, 1},
      {SSymPoint(74, 10000), 0, 0},     // 74 inside the left edge
      {SSymPoint(75, 10000), 0, 1},
      {SSymPoint(11000, 10000), 0, 0},  // beside the lane
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(RecordingCanvas::P(k.pt));
    EXPECT_EQ(l->IsPtInSym(canvas, k.pt, nullptr, nullptr), k.picks);
    EXPECT_EQ(l->IsPtInLane(k.pt), k.body);
  }
  // A point on the separator picks the separator.
  ISSymbol* hit = nullptr;
  ASSERT_TRUE(l->IsPtInSym(canvas, SSymPoint(10000, 10000), nullptr, &hit));
  EXPECT_EQ(hit, l->GetColnSym());
  if (hit) hit->Release();
}

// ---- moving ---------------------------------------------------------------------------------------
// Two lanes moved by one offset in one step: one move record lists both
// lanes and their separators, and one undo puts all four back.
TEST_F(SwimLane, MovesOfLanesMergeIntoOneUndoStep) {
  TPoolSym* p = NewPool(0);
  SSymSwim* a = NewLane(p, SSymRect(0, 10000, 40000, 0));
  SSymSwim* b = NewLane(p, SSymRect(0, 20000, 40000, 10000));
  const SSymRect lineA = Line(a)->m_rect, lineB = Line(b)->m_rect;
  const int undos = m_session->GetUndoCount();
  {
    SRepCreateContext step(Session());
    ISRepContext* ctx = step.GetContext();
    const int start = ctx->GetActionCount();
    a->MoveBy(SSymSize(0, 500), 0);
    b->MoveBy(SSymSize(0, 500), 0);
    ASSERT_EQ(ctx->GetActionCount(), start + 1);
    auto* move = dynamic_cast<SSymActionMove*>(ctx->GetLastAction());
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(move->m_offset, SSymSize(0, -500));
    EXPECT_TRUE(move->Contains(a->Sym()));
    EXPECT_TRUE(move->Contains(b->Sym()));
    EXPECT_TRUE(move->Contains(a->GetColnSym()));
  }
  EXPECT_EQ(a->m_rect, SSymRect(0, 10500, 40000, 500));
  EXPECT_EQ(Line(b)->m_rect.y1, lineB.y1 + 500);
  ASSERT_EQ(m_session->GetUndoCount(), undos + 1);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(a->m_rect, SSymRect(0, 10000, 40000, 0));
  EXPECT_EQ(b->m_rect, SSymRect(0, 20000, 40000, 10000));
  EXPECT_EQ(Line(a)->m_rect, lineA);
  EXPECT_EQ(Line(b)->m_rect, lineB);
}

// While the guard lives the lane ignores moves (its pool moves it), and
// its separator stays with it.
TEST_F(SwimLane, MovingGuardHoldsTheLaneAndItsSeparator) {
  TPoolSym* p = NewPool(0);
  SSymSwim* l = NewLane(p, SSymRect(0, 10000, 40000, 0));
  const SSymRect line = Line(l)->m_rect;
  {
    SSymMoveSwimlane hold(l->Sym(), 7);
    EXPECT_EQ(l->GetMoving(), 1);
    EXPECT_EQ(l->GetMovingOption(), 7);
    EXPECT_EQ(l->MoveBy(SSymSize(300, 300), 0), 0);
    EXPECT_EQ(l->m_rect, SSymRect(0, 10000, 40000, 0));
    EXPECT_EQ(Line(l)->m_rect, line);
  }
  EXPECT_EQ(l->GetMoving(), 0);
  EXPECT_EQ(l->GetMovingOption(), 1);
  l->MoveBy(SSymSize(300, 300), 0);
  EXPECT_EQ(Line(l)->m_rect.y1, line.y1 + 300);
  SSymMoveSwimlane ignored(p->Sym(), 1);  // not a lane: nothing to hold
}

// ---- the separator's drag -----------------------------------------------------------------------
// Stacked lanes: the line is the lane's top edge. Dragging it down stops at
// 8000 units of lane; up makes lane and pool taller by as much. Each drag
// that changes something arranges the pool.
TEST_F(SwimLane, SeparatorDragKeepsTheLeastThickness) {
  struct Case {
    const char* name;
    LONG to;  // the dragged line's y
    SSymRect laneAfter, poolAfter;
    int arranged;
  };
  const Case cases[] = {
      {"Up", 21000, SSymRect(0, 21000, 40000, 10000), SSymRect(0, 21000, 40000, 0), 1},
      {"DownALittle", 19000, SSymRect(0, 19000, 40000, 10000), SSymRect(0, 19000, 40000, 0), 1},
      {"DownPastTheLeast", 12000, SSymRect(0, 18000, 40000, 10000), SSymRect(0, 18000, 40000, 0), 1},
      {"DownPastTheLane", -5000, SSymRect(0, 18000, 40000, 10000), SSymRect(0, 18000, 40000, 0), 1},
      {"NotAtAll", 20000, SSymRect(0, 20000, 40000, 10000), SSymRect(0, 20000, 40000, 0), 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TPoolSym* p = NewPool(0);
    NewLane(p, SSymRect(0, 10000, 40000, 0));
    SSymSwim* l = NewLane(p, SSymRect(0, 20000, 40000, 10000));
    SRepCreateContext step(Session());
    const int start = step.GetContext()->GetActionCount();
    Line(l)->SetListPt(Pts(SSymPoint(0, k.to), SSymPoint(40000, k.to)), 0, 0, 0);
    EXPECT_EQ(l->m_rect, k.laneAfter);
    EXPECT_EQ(p->m_rect, k.poolAfter);
    EXPECT_EQ(p->m_arranged, k.arranged);
    EXPECT_EQ(Line(l)->ListPoints()[0].y, k.laneAfter.y1);
    if (!k.arranged) {
      EXPECT_EQ(step.GetContext()->GetActionCount(), start);  // nothing recorded
    }
  }
}

// Side by side the line is the lane's right edge; a composite lane's
// children stop it, an empty composite (its children's area a point) does not.
TEST_F(SwimLane, SeparatorDragStopsAtTheChildren) {
  TPoolSym* p = NewPool(1);
  TCompLane* l = NewLane<TCompLane>(p, SSymRect(0, 20000, 30000, 0));
  l->m_comp->m_children = SSymRect(1000, 15000, 25000, 5000);
  {
    SRepCreateContext step(Session());
    Line(l)->SetListPt(Pts(SSymPoint(10000, 20000), SSymPoint(10000, 0)), 0, 0, 0);
  }
  EXPECT_EQ(l->m_rect, SSymRect(0, 20000, 25000, 0));
  EXPECT_EQ(p->m_rect, SSymRect(0, 20000, 35000, 0));
  l->m_comp->m_children = SSymRect();
  {
    SRepCreateContext step(Session());
    Line(l)->SetListPt(Pts(SSymPoint(12000, 20000), SSymPoint(12000, 0)), 0, 0, 0);
  }
  EXPECT_EQ(l->m_rect, SSymRect(0, 20000, 12000, 0));
}

// Stacked, the children's top stops the line; a lane with none stops at 8000.
TEST_F(SwimLane, SeparatorDragOfStackedCompositeLanes) {
  TPoolSym* p = NewPool(0);
  TCompLane* l = NewLane<TCompLane>(p, SSymRect(0, 30000, 40000, 0));
  l->m_comp->m_children = SSymRect(5000, 20000, 9000, 12000);
  SRepCreateContext step(Session());
  Line(l)->SetListPt(Pts(SSymPoint(0, 9000), SSymPoint(40000, 9000)), 0, 0, 0);
  EXPECT_EQ(l->m_rect, SSymRect(0, 20000, 40000, 0));
  l->m_comp->m_children = SSymRect();
  Line(l)->SetListPt(Pts(SSymPoint(0, 3000), SSymPoint(40000, 3000)), 0, 0, 0);
  EXPECT_EQ(l->m_rect, SSymRect(0, 8000, 40000, 0));
}

// Outside undo recording the points are taken as given; a list of any other
// length than two while recording changes nothing.
TEST_F(SwimLane, SeparatorPointsOutsideADrag) {
  TPoolSym* p = NewPool(0);
  SSymSwim* l = NewLane(p, SSymRect(0, 20000, 40000, 10000));
  Line(l)->SetListPt(Pts(SSymPoint(0, 15000), SSymPoint(40000, 15000)), 0, 0, 0);
  EXPECT_EQ(l->m_rect, SSymRect(0, 20000, 40000, 10000));
  EXPECT_EQ(Line(l)->ListPoints()[0].y, 15000);
  SRepCreateContext step(Session());
  const SSymListPt three{SSymPoint(0, 17000), SSymPoint(20000, 17000), SSymPoint(40000, 17000)};
  Line(l)->SetListPt(three, 0, 0, 0);
  EXPECT_EQ(Line(l)->ListPoints().GetCount(), 2);
  EXPECT_EQ(l->m_rect, SSymRect(0, 20000, 40000, 10000));
  EXPECT_EQ(p->m_arranged, 0);
}

// ---- drawing -------------------------------------------------------------------------------------
// The lane fills and outlines its stretch of the pool, draws its heading
// line and its text; its separator, stored off the edge, is put back on it.
TEST_F(SwimLane, LaneAndSeparatorAreDrawn) {
  TPoolSym* p = NewPool(0, SSymRect(-500, 20000, 40000, 0));
  SSymSwim* l = NewLane(p, SSymRect(0, 20000, 40000, 10000));
  l->SetText(SString(u"Sales"), 0);
  RecordingCanvas canvas;
  EXPECT_EQ(l->Draw(canvas), 0);
  // Stored 500 off the pool's start: moved onto it (more than 70 away).
  EXPECT_EQ(l->m_rect, SSymRect(-500, 20000, 39500, 10000));
  const std::vector<std::string> want = {
      "FillRect -500 20000 40000 10000",      "Line -500 20000 40000 20000", "Line 40000 20000 40000 10000",
      "Line 40000 10000 -500 10000",          "Line -500 10000 -500 20000",
      "Line 1500 20000 1500 10000",  // the heading band's edge, H = 2000
  };
  EXPECT_EQ(canvas.Only("FillRect").front(), want[0]);
  EXPECT_EQ(canvas.Only("Line"), std::vector<std::string>(want.begin() + 1, want.end()));
  EXPECT_EQ(canvas.Only("DrawText"), std::vector<std::string>{"DrawText -500 20000 39500 10000 Sales"});

  SSymSwimColn* line = Line(l);
  line->ListPt = Pts(SSymPoint(3, 17000), SSymPoint(9, 17000));
  canvas.ClearCalls();
  line->DrawSymbol(canvas);
  EXPECT_EQ(canvas.Only("Polyline"), std::vector<std::string>{"Polyline 2"});
  EXPECT_EQ(line->ListPoints()[0], SSymPoint(-500, 20000));
  EXPECT_EQ(line->ListPoints()[1], SSymPoint(39500, 20000));
  // A line whose lane left every pool draws nothing.
  p->Remove(l->Sym());
  canvas.ClearCalls();
  line->DrawSymbol(canvas);
  EXPECT_TRUE(canvas.Only("Polyline").empty());
}

// ---- placing into a pool --------------------------------------------------------------------------
// The diagram's pool proposes the new lane's rectangle; a lane drawn 4000
// units thick or more keeps its thickness, a thinner one takes the proposal.
TEST_F(SwimLane, PlacedLaneKeepsItsThicknessFrom4000) {
  struct Case {
    LONG thickness;
    SSymRect after;
  };
  const Case cases[] = {{3999, SSymRect(40000, 20000, 48000, 0)}, {4000, SSymRect(40000, 20000, 44000, 0)}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.thickness);
    TPoolSym* p = NewPool(1);
    p->m_newLane = SSymRect(40000, 20000, 48000, 0);
    SSymSwim* l = NewLane(nullptr, SSymRect(5000, 9000, 5000 + k.thickness, 1000));
    l->AddSymInSwim(Diagram());
    EXPECT_EQ(l->m_rect, k.after);
    EXPECT_EQ(l->GetPoolSym(), p->Sym());
    EXPECT_TRUE(l->IsSymInitialized());
    ASSERT_EQ(l->Delete(), S_OK);
    p->Delete();
  }
  SSymSwim* l = NewLane(nullptr, SSymRect(0, 1, 1, 0));
  l->AddSymInSwim(nullptr);  // no diagram: nothing
  EXPECT_EQ(l->GetPoolSym(), nullptr);
}

// ---- deleting --------------------------------------------------------------------------------------
// Deleting a lane takes it out of its pool and deletes its separator; with
// no undo being recorded the lane lets go of the separator at once.
TEST_F(SwimLane, DeletingALaneDeletesItsSeparator) {
  TPoolSym* p = NewPool(0);
  SSymSwim* l = NewLane(p, SSymRect(0, 10000, 40000, 0));
  SComWrap<ISSymbol> line(l->GetColnSym());
  ASSERT_FALSE(line.IsNull());
  ASSERT_EQ(l->Delete(), S_OK);
  EXPECT_EQ(l->GetColnSym(), nullptr);
  EXPECT_FALSE(p->Contains(l->Sym(), 0));
  EXPECT_TRUE(SSymSwimColn::FromInterface(line.Get())->IsDeleted());
  EXPECT_EQ(SSymSwimColn::FromInterface(line.Get())->GetObjSym(), nullptr);
}

// ---- the class ----------------------------------------------------------------------------------------
TEST_F(SwimLane, PlainLaneAnswers) {
  SSymSwim* l = NewLane(nullptr, SSymRect(0, 10000, 40000, 0));
  EXPECT_EQ(l->GetSymbolType(), 14);
  EXPECT_EQ(l->IsInnerLane(), 0);
  EXPECT_EQ(l->GetParentCollectionId(), 0);
  EXPECT_EQ(l->RefusesChildObject(nullptr), 1);
  EXPECT_EQ(l->IsSymAttached(l->Sym()), 0);
  EXPECT_TRUE(l->GetLaneText().IsEmpty());
  EXPECT_EQ(l->InitialSym(l->Sym()), 0);
  EXPECT_EQ(l->InitialSym(l->Sym()), 1);
  SSymRect bord;
  l->GetValidBord(1, bord);
  EXPECT_EQ(bord, SSymRect(0, 10000, 8000, 0));
  l->GetValidBord(0, bord);
  EXPECT_EQ(bord, SSymRect(0, 8000, 0, 0));
  SComOut<ISRepObject> made;
  ASSERT_EQ(Session()->CreateObject(CLSID_SSymSwim, IID_ISRepObject, made.Void()), S_OK);
  EXPECT_NE(SSymSwim::FromInterface(made.Get()), nullptr);
  made->Delete();
}

}  // namespace
