// Selection by rectangle: what a selection frame takes (enclosed symbols,
// polylines by their points, children inside composites and lanes), where the
// search descends, the one notification per rebuild and bad input.
#include <gtest/gtest.h>

#include <set>

#include "kvcore/snotify.h"
#include "support/comp_fixture.h"
#include "support/lane_face.h"
#include "sym/composite/symswimpool.h"
#include "support/tree_fixture.h"
#include "sym/edit/symselection.h"

namespace {

// A lane of a pool: a composite that answers the lane face.
class TLaneCompSym : public SRepFaces<TLaneCompSym, TCompSym, ISSwimlane, SRepFaceImpl<TLaneFace>> {
 public:
  TLaneCompSym(ISRepSession* s, SSymRect r) : SRepFaces(s, r, &TCompSym::DefaultDef()) { m_symType = 14; }
};

class RectSel : public CompFixture {
 protected:
  void SetUp() override {
    CompFixture::SetUp();
    m_sel.SetDiagram(Diagram());
  }
  void TearDown() override {
    m_sel.Clear(0);
    m_sel.SetDiagram(nullptr);
    SSymSetSelChangeNotify(true);
    CompFixture::TearDown();
  }
  // A composite of a given symbol type, bound to a model object, in `owner`
  // (the diagram when null).
  TCompSym* Comp(SSymRect r, int type = 9, TCompSym* owner = nullptr) {
    TCompSym* c = Make<TCompSym>(r, &TCompSym::DefaultDef());
    Bind(c, Node());
    c->m_symType = type;
    if (owner)
      Put(owner, c);
    else
      DiagramOwner()->Add(c->Sym());
    return c;
  }
  // A symbol in a composite, placed without growing it.
  void Put(TCompSym* comp, SSymBase* s) {
    SSymCompUpdate hold(comp->CompSym(), false);
    comp->Collection(SymAttr::Symbols)->Insert(s->Obj(), -1);
  }
  TSym* In(TCompSym* comp, SSymRect r) {
    TSym* t = Make<TSym>(r);
    Put(comp, t);
    return t;
  }
  // Rebuilds the selection and answers what it holds; `notes` gets the
  // selection-change notifications sent meanwhile.
  std::set<ISSymbol*> Select(SSymRect frame, int children = 1, int* notes = nullptr) {
    SNotificationManager::ClearLog();
    EXPECT_EQ(m_diagram->AddSymInRectToSel(frame, &m_sel, children), S_OK);
    int n = 0;
    for (const SNotificationRecord& r : SNotificationManager::Log())
      if (r.code == SSymNotifySelChanged) {
        EXPECT_EQ(r.ptr, static_cast<void*>(Diagram()));
        ++n;
      }
    if (notes) *notes = n;
    std::set<ISSymbol*> out;
    for (int i = 0; i < m_sel.GetCount(); ++i) out.insert(m_sel.GetAt(i));
    EXPECT_EQ(static_cast<int>(out.size()), m_sel.GetCount());  // each once
    return out;
  }
  SSymView m_view;
  SSymSelection m_sel{&m_view};
};

using Set = std::set<ISSymbol*>;

TEST_F(RectSel, EnclosedSymbolsWithOneNotification) {
  TSym* a = Place(DiagramOwner(), SSymRect(1000, 4000, 5000, 1000));
  TSym* b = Place(DiagramOwner(), SSymRect(6000, 4000, 9000, 1000));
  TSym* crossing = Place(DiagramOwner(), SSymRect(20000, 4000, 26000, 1000));
  TSym* edge = Place(DiagramOwner(), SSymRect(0, 10000, 22000, 9000));  // on the frame's border
  int notes = 0;
  EXPECT_EQ(Select(SSymRect(0, 10000, 22000, 0), 1, &notes), (Set{a->Sym(), b->Sym(), edge->Sym()}));
  EXPECT_EQ(notes, 1);
  (void)crossing;
}

TEST_F(RectSel, FrameEnclosingNothingEmptiesTheSelection) {
  TSym* a = Place(DiagramOwner(), SSymRect(1000, 4000, 5000, 1000));
  Place(DiagramOwner(), SSymRect(0, 0, 0, 0));  // no extent yet: not in every frame
  m_sel.Add(a->Sym(), 1);
  int notes = 0;
  EXPECT_TRUE(Select(SSymRect(50000, 60000, 60000, 50000), 1, &notes).empty());
  EXPECT_EQ(notes, 1);
}

TEST_F(RectSel, PolylinesAreJudgedByTheirPoints) {
  TLink* inside = Place<TLink>(DiagramOwner());
  inside->SetListPt(SSymListPt{{1000, 1000}, {4000, 3000}, {8000, 500}}, 0, 0);
  TLink* oneOut = Place<TLink>(DiagramOwner());
  oneOut->SetListPt(SSymListPt{{1000, 1000}, {4000, 3000}, {10001, 500}}, 0, 0);
  TLink* onBorder = Place<TLink>(DiagramOwner());
  onBorder->SetListPt(SSymListPt{{0, 0}, {10000, 5000}}, 0, 0);
  // A line without points yet is judged by its rectangle, not taken by every frame.
  TLink* empty = Place<TLink>(DiagramOwner());
  empty->PutRect(SSymRect(20000, 3000, 30000, 1000));
  // Their clip rectangles (all zero here) would say otherwise.
  EXPECT_EQ(Select(SSymRect(0, 5000, 10000, 0)), (Set{inside->Sym(), onBorder->Sym()}));
  EXPECT_EQ(Select(SSymRect(19000, 5000, 31000, 0)), (Set{empty->Sym()}));
}

TEST_F(RectSel, CornersInAnyOrderSelectTheSame) {
  TSym* a = Place(DiagramOwner(), SSymRect(1000, 4000, 5000, 1000));
  TLink* l = Place<TLink>(DiagramOwner());
  l->SetListPt(SSymListPt{{2000, 2000}, {3000, 3000}}, 0, 0);
  Place(DiagramOwner(), SSymRect(20000, 4000, 26000, 1000));
  const Set expected{a->Sym(), l->Sym()};
  for (SSymRect frame : {SSymRect(0, 10000, 10000, 0), SSymRect(10000, 10000, 0, 0), SSymRect(0, 0, 10000, 10000),
                         SSymRect(10000, 0, 0, 10000)})
    EXPECT_EQ(Select(frame), expected) << frame.x1 << "," << frame.y1 << "," << frame.x2 << "," << frame.y2;
}

TEST_F(RectSel, CrossedCompositeIsSearchedWithinItsInnerArea) {
  TCompSym* c = Comp(SSymRect(30000, 30000, 60000, 10000));
  TSym* inside = In(c, SSymRect(32000, 28000, 36000, 24000));
  TSym* band = In(c, SSymRect(30010, 20000, 30070, 15000));  // within the composite's edge band
  TSym* beyond = In(c, SSymRect(50000, 28000, 54000, 24000));  // outside the frame
  const SSymRect frame(29000, 29000, 45000, 11000);
  EXPECT_EQ(Select(frame), (Set{inside->Sym()}));
  // A composite whose content is not editable is not searched.
  m_diagram->m_locked.push_back(c->Sym());
  EXPECT_TRUE(Select(frame).empty());
  (void)band, (void)beyond;
}

TEST_F(RectSel, EnclosedCompositeBringsItsChildrenWhenAsked) {
  TCompSym* c = Comp(SSymRect(30000, 30000, 60000, 10000));
  TSym* c1 = In(c, SSymRect(32000, 28000, 36000, 24000));
  In(c, SSymRect(30010, 20000, 30070, 15000));  // in the edge band: stays out
  TCompSym* nested = Comp(SSymRect(40000, 28000, 58000, 12000), 9, c);
  TSym* deep = In(nested, SSymRect(42000, 26000, 44000, 20000));
  TSym* hiddenChild = In(c, SSymRect(33000, 15000, 35000, 12000));
  hiddenChild->Show(0);
  const SSymRect frame(28000, 32000, 62000, 8000);
  EXPECT_EQ(Select(frame, 0), (Set{c->Sym()}));
  EXPECT_EQ(Select(frame, 1), (Set{c->Sym(), c1->Sym(), nested->Sym(), deep->Sym()}));
}

TEST_F(RectSel, PoolTakesTheChildrenOfItsShownLanes) {
  SSymSwimLane* pool = Make<SSymSwimLane>();
  pool->InitialSymRect(SSymRect(0, 40000, 60000, 0));
  DiagramOwner()->Add(pool->Sym());
  // Members go straight into their holders, where they are drawn.
  auto member = [&](TCompSym* made, SRepObject* holder) {
    Bind(made, Node());
    holder->Collection(SymAttr::Symbols)->Insert(made->Obj(), -1);
    return made;
  };
  TCompSym* lane1 = member(Make<TLaneCompSym>(SSymRect(0, 40000, 20000, 0)), pool);
  TCompSym* lane2 = member(Make<TLaneCompSym>(SSymRect(20000, 40000, 40000, 0)), pool);
  TCompSym* group = Make<TCompSym>(SSymRect(40000, 40000, 60000, 0), &TCompSym::DefaultDef());
  group->m_symType = 17;
  member(group, pool);
  TCompSym* lane3 = member(Make<TLaneCompSym>(SSymRect(40000, 40000, 60000, 0)), group);
  TSym* s1 = In(lane1, SSymRect(1000, 30000, 5000, 20000));
  TSym* s2 = In(lane2, SSymRect(21000, 30000, 25000, 20000));
  TSym* s3 = In(lane3, SSymRect(41000, 30000, 45000, 20000));
  lane2->Show(0);
  const SSymRect all(-1000, 41000, 61000, -1000);
  EXPECT_EQ(Select(all, 0), (Set{pool->Sym()}));
  EXPECT_EQ(Select(all, 1), (Set{pool->Sym(), s1->Sym(), s3->Sym()}));
  // A frame across the pool searches into it: lanes and the swim group.
  EXPECT_EQ(Select(SSymRect(500, 31000, 50000, 19000)), (Set{s1->Sym(), s3->Sym()}));
  (void)s2;
}

TEST_F(RectSel, DescentIsDecidedPerKind) {
  TSym* plain = Place(DiagramOwner(), SSymRect(1000, 4000, 5000, 1000));
  TCompSym* comp = Comp(SSymRect(0, 40000, 60000, 0));
  TCompSym* pool = Comp(SSymRect(0, 40000, 60000, 0), 12);
  TCompSym* group = Comp(SSymRect(0, 40000, 60000, 0), 17);
  EXPECT_EQ(m_diagram->ShouldAddSubSymToSel(nullptr), 0);
  EXPECT_EQ(m_diagram->ShouldAddSubSymToSel(plain->Sym()), 0);
  EXPECT_EQ(m_diagram->ShouldAddSubSymToSel(comp->Sym()), 1);
  m_diagram->m_locked = {comp->Sym(), pool->Sym(), group->Sym()};
  EXPECT_EQ(m_diagram->ShouldAddSubSymToSel(comp->Sym()), 0);
  EXPECT_EQ(m_diagram->ShouldAddSubSymToSel(pool->Sym()), 1);  // pools and groups whatever their content
  EXPECT_EQ(m_diagram->ShouldAddSubSymToSel(group->Sym()), 1);
}

TEST_F(RectSel, SwitchIsRestoredAndBadInputLosesNothing) {
  TSym* a = Place(DiagramOwner(), SSymRect(1000, 4000, 5000, 1000));
  const SSymRect frame(0, 10000, 10000, 0);
  SSymSetSelChangeNotify(false);
  int notes = 0;
  EXPECT_EQ(Select(frame, 1, &notes), (Set{a->Sym()}));
  EXPECT_FALSE(SSymGetSelChangeNotify());
  EXPECT_EQ(notes, 1);  // the rebuild's own notification is sent anyway
  SSymSetSelChangeNotify(true);

  // A null selection is refused and the switch is left alone.
  EXPECT_EQ(m_diagram->AddSymInRectToSel(frame, nullptr, 1), E_POINTER);
  EXPECT_TRUE(SSymGetSelChangeNotify());
  EXPECT_EQ(m_sel.GetCount(), 1);

  // A selection without a view is only emptied, without a notification.
  SSymSelection detached;
  detached.SetDiagram(Diagram());
  detached.Add(a->Sym(), 0);
  SNotificationManager::ClearLog();
  EXPECT_EQ(m_diagram->AddSymInRectToSel(frame, &detached, 1), S_OK);
  EXPECT_EQ(detached.GetCount(), 0);
  for (const SNotificationRecord& r : SNotificationManager::Log()) EXPECT_NE(r.code, SSymNotifySelChanged);
  EXPECT_TRUE(SSymGetSelChangeNotify());
}

}  // namespace

namespace {

using RectSelTree = TreeFixture;

// A frame across a tree symbol searches its children.
TEST_F(RectSelTree, FrameAcrossATreeTakesTheChildrenItEncloses) {
  TTreeSym* tree = NewTree();
  AddChild(tree, SSymRect(0, -5000, 4800, -8600));
  TSym* second = AddChild(tree, SSymRect(10000, -5000, 14800, -8600));
  SSymRect frame = second->GetClipRect(0, 0);
  frame.Normalize();
  frame.Inflate(100, 100);
  ASSERT_FALSE(frame.ContainsRect(tree->GetClipRect(0, 0)));
  SSymView view;
  SSymSelection sel(&view);
  ASSERT_EQ(static_cast<SSymDiagramImpl*>(m_diag)->AddSymInRectToSel(frame, &sel, 1), S_OK);
  // (The branch line, not placed before it is first drawn, has no extent.)
  ASSERT_EQ(sel.GetCount(), 1);
  EXPECT_EQ(sel.GetAt(0), second->Sym());
  sel.Clear(0);
}

}  // namespace
