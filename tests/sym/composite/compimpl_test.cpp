// The composite implementation: the children rectangle, growth by the snap
// rule and up the chain of composite owners, child kinds, the listing of
// descendants, the drawing order of the children, the completeness tests,
// and composites that are gone or have no definition.
#include <gtest/gtest.h>

#include "support/comp_fixture.h"
#include "support/lane_face.h"
#include "support/recording_canvas.h"

namespace {

// A link that draws the line between its attach points, as links do only
// while both ends are shown.
class TDrawLink : public TLink {
 public:
  using TLink::TLink;
  HRESULT Draw(SSymCanvas& canvas) override {
    for (int end = 0; end < 2; ++end) {
      SComOut<ISSymbol> s;
      if (GetAttachSym(end, &s) != S_OK || !s || s->IsHidden()) return S_OK;
    }
    SSymPoint a, b;
    GetAttachPoint(a, 0);
    GetAttachPoint(b, 1);
    canvas.Line(a, b);
    return S_OK;
  }
};

// A port that draws its rectangle.
class TDrawPort : public SRepFaces<TDrawPort, TModelSym, ISSymPort, SRepFaceImpl<SSymPortBase>> {
 public:
  using SRepFaces::SRepFaces;
  HRESULT GetPortSymbol(ISSymbol** out) override {
    *out = Sym();
    Sym()->AddRef();
    return S_OK;
  }
  void OnDirectionChanged(int) override {}
  SSymPoint PlaceCenter(const SSymPoint& c, const SSymRect&) override { return c; }
};

const SSymRect kComp(0, 36000, 48000, 0);

class CompImpl : public CompFixture {
 protected:
  // A composite in the diagram, bound to a model object (growth needs an
  // editable composite, and editability needs a model object).
  TCompSym* Composite(const SSymCompDef* def = &TCompSym::DefaultDef(), SSymRect r = kComp) {
    TCompSym* c = NewComp(def, r);
    Bind(c, Node());
    return c;
  }
  // A child symbol put straight into the composite's Symbols collection.
  template <class T = TModelSym>
  T* Child(TCompSym* comp, SSymRect r) {
    T* t = Make<T>(r);
    comp->Collection(SymAttr::Symbols)->Insert(t->Obj(), -1);
    return t;
  }
  TDrawLink* Link(TCompSym* comp, SSymBase* a, SSymBase* b) {
    TDrawLink* l = Make<TDrawLink>();
    m_links.push_back(l);
    l->AttachSym(0, a->Linkable(), a->m_rect.GetCenter());
    l->AttachSym(1, b->Linkable(), b->m_rect.GetCenter());
    comp->Collection(SymAttr::Symbols)->Insert(l->Obj(), -1);
    return l;
  }
};

TEST_F(CompImpl, ChildrenRectIsTheUnionInflatedOrEmpty) {
  TCompSym* c = Composite();
  EXPECT_EQ(c->CompSym()->GetChildrenRect(0), SSymRect());
  EXPECT_EQ(c->CompSym()->GetChildrenRect(1), SSymRect());  // the header step comes after the emptiness test
  TModelSym* a = Child(c, SSymRect(1000, 5000, 3000, 1000));
  EXPECT_EQ(c->CompSym()->GetChildrenRect(0), SSymRect(400, 5600, 3600, 400));
  Child(c, SSymRect(8000, 9000, 9000, 7000));
  EXPECT_EQ(c->CompSym()->GetChildrenRect(0), SSymRect(400, 9600, 9600, 400));
  // Hidden and excluded children, and links, take no room.
  TModelSym* far = Child(c, SSymRect(40000, 30000, 41000, 29000));
  far->Show(0);
  c->Comp().m_excluded.push_back(Child(c, SSymRect(-9000, 30000, -8000, 29000))->Sym());
  Link(c, a, far)->m_rect = SSymRect(-20000, 40000, 60000, -9000);
  EXPECT_EQ(c->CompSym()->GetChildrenRect(0), SSymRect(400, 9600, 9600, 400));
}

// Each edge of the children rectangle within 10 units of the composite's
// snaps to it; growth only ever widens the composite.
TEST_F(CompImpl, GrowthFollowsTheSnapRule) {
  struct Case {
    const char* name;
    SSymRect child;
    int result;
    SSymRect after;
  };
  // The children rectangle is the child's inflated by 600.
  const Case cases[] = {
      {"Inside", SSymRect(1000, 5000, 3000, 1000), 0, kComp},
      {"RightNineOutside", SSymRect(46000, 5000, 47409, 1000), 0, kComp},
      {"RightTenOutside", SSymRect(46000, 5000, 47410, 1000), 1, SSymRect(0, 36000, 48010, 0)},
      {"BelowAndLeft", SSymRect(-1000, 2000, 3000, -2000), 1, SSymRect(-1600, 36000, 48000, -2600)},
      {"TopNineOutside", SSymRect(1000, 35409, 3000, 30000), 0, kComp},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TCompSym* c = Composite();
    Child(c, k.child);
    EXPECT_EQ(c->CompSym()->UpdateRect(), k.result);
    EXPECT_EQ(c->m_rect, k.after);
  }
}

TEST_F(CompImpl, GrowthRunsUpTheChainOfOwners) {
  TCompSym* outer = Composite();
  TCompSym* inner = Composite(&TCompSym::DefaultDef(), SSymRect(1000, 20000, 20000, 1000));
  outer->Collection(SymAttr::Symbols)->Insert(inner->Obj(), -1);
  ASSERT_EQ(outer->CompSym()->UpdateRect(), 0);  // encloses its child already
  // The grandchild reaches out of both composites.
  Child(inner, SSymRect(19000, 5000, 50000, 2000));
  EXPECT_EQ(inner->CompSym()->UpdateRect(), 1);
  EXPECT_EQ(inner->m_rect, SSymRect(1000, 20000, 50600, 1000));
  EXPECT_EQ(outer->m_rect, SSymRect(0, 36000, 51200, 0));
}

TEST_F(CompImpl, GuardSuspendsGrowthUntilDone) {
  TCompSym* c = Composite();
  Child(c, SSymRect(46000, 5000, 50000, 1000));
  SSymCompUpdate guard(c->CompSym(), false);
  EXPECT_EQ(c->CompSym()->UpdateRect(), 1);
  EXPECT_EQ(c->m_rect, kComp);
  guard.Done();
  EXPECT_EQ(c->CompSym()->UpdateRect(), 1);
  EXPECT_EQ(c->m_rect, SSymRect(0, 36000, 50600, 0));
}

// A composite that cannot grow changes nothing: one without a definition, a
// deleted one, one without a model object (not editable), one whose state
// forbids it, and one whose symbol is gone.
TEST_F(CompImpl, CompositesThatCannotGrowChangeNothing) {
  struct Case {
    const char* name;
    int result;
  };
  const Case cases[] = {{"NoDefinition", 0}, {"Deleted", 1}, {"NoModel", 0}, {"NoRectUpdate", 1}, {"NoGrow", 0}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const std::string name = k.name;
    TCompSym* c = name == "NoDefinition" ? Composite(nullptr) : name == "NoModel" ? NewComp(&TCompSym::DefaultDef())
                                                                                  : Composite();
    Child(c, SSymRect(46000, 5000, 50000, 1000));
    if (name == "Deleted") c->Delete();
    if (name == "NoRectUpdate") c->m_state |= SSymCompImpl::StateNoRectUpdate;
    if (name == "NoGrow") c->m_state |= 0x8000;
    EXPECT_EQ(c->CompSym()->UpdateRect(), k.result);
    EXPECT_EQ(c->m_rect, kComp);
  }
  TCompSym* gone = Composite();
  ISSymCompSym* comp = gone->CompSym();
  comp->AddRef();
  gone->Comp().Detach();  // as the symbol's end does
  void* any = nullptr;
  EXPECT_EQ(comp->QueryInterface(IID_ISSymbol, &any), E_NOINTERFACE);
  EXPECT_EQ(comp->UpdateRect(), 1);
  SComTable<ISSymbol> kids;
  EXPECT_EQ(comp->GetAllChildren(kids, 1), E_UNEXPECTED);
  EXPECT_EQ(comp->GetChildrenRect(1), SSymRect());
  comp->Release();
}

TEST_F(CompImpl, ChildTypesFollowTheTables) {
  SSymCompDef all;
  all.tabType3 = {0};
  all.tabType1 = {80};
  SSymCompDef some;
  some.tabType3 = {5};
  struct Case {
    const char* name;
    const SSymCompDef* def;
    int type;
    int expected;
  };
  const Case cases[] = {
      {"Below79WithZero", &all, 78, 3}, {"At79WithZero", &all, 79, 2},  {"TypeOne", &all, 80, 1},
      {"Pool", &all, 12, -1},           {"LaneGroup", &some, 17, -1},   {"Listed", &some, 5, 3},
      {"Other", &some, 6, 2},           {"NoDefinition", nullptr, 5, -1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TCompSym* c = Composite(k.def);
    TModelSym* s = Child(c, SSymRect(0, 100, 100, 0));
    s->m_symType = k.type;
    EXPECT_EQ(c->CompSym()->GetChildType(s->Sym()), k.expected);
  }
  TCompSym* c = Composite();
  TModelSym* s = Child(c, SSymRect(0, 100, 100, 0));
  c->Comp().m_excluded.push_back(s->Sym());
  EXPECT_EQ(c->CompSym()->GetChildType(s->Sym()), 0);
  EXPECT_EQ(c->CompSym()->GetChildType(nullptr), -1);
  SSymRect r;
  EXPECT_EQ(c->CompSym()->GetChildRect(s->Sym(), r), 0);
}

TEST_F(CompImpl, AllChildrenArePreOrderAndAppended) {
  TCompSym* c = Composite();
  TModelSym* a = Child(c, SSymRect(0, 100, 100, 0));
  TCompSym* n = Child<TCompSym>(c, SSymRect(0, 9000, 9000, 0));
  TModelSym* g = Child(n, SSymRect(0, 100, 100, 0));
  TModelSym* b = Child(c, SSymRect(0, 100, 100, 0));
  SComTable<ISSymbol> t;
  t.Add(b->Sym());  // kept: the table is not cleared
  ASSERT_EQ(c->CompSym()->GetAllChildren(t, 1), S_OK);
  const std::vector<ISSymbol*> deep = {b->Sym(), a->Sym(), n->Sym(), g->Sym(), b->Sym()};
  ASSERT_EQ(t.GetCount(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(t.GetAt(i), deep[static_cast<size_t>(i)]) << i;
  SComTable<ISSymbol> flat;
  c->CompSym()->GetAllChildren(flat, 0);
  EXPECT_EQ(flat.GetCount(), 3);
}

// Plain shapes (at any depth) and links first, each once and unclipped;
// then the boxes links attach to; ports last; hidden children not at all.
TEST_F(CompImpl, DrawChildrenOrderOnTheRecordingSink) {
  TCompSym* c = Composite();
  TDrawPort* port = Child<TDrawPort>(c, SSymRect(47000, 20000, 49000, 18000));
  TModelSym* a = Child(c, SSymRect(1000, 5000, 3000, 1000));
  TModelSym* plain = Child(c, SSymRect(5000, 5000, 6000, 4000));
  plain->m_display &= ~static_cast<DWORD>(SSymBase::DispLinkable);
  TModelSym* b = Child(c, SSymRect(10000, 5000, 12000, 1000));
  TDrawLink* ab = Link(c, a, b);
  TModelSym* hidden = Child(c, SSymRect(20000, 5000, 21000, 4000));
  Link(c, b, hidden);
  hidden->Show(0);
  TCompSym* nested = Child<TCompSym>(c, SSymRect(30000, 9000, 40000, 1000));
  TModelSym* inner = Child(nested, SSymRect(31000, 3000, 32000, 2000));
  inner->m_display &= ~static_cast<DWORD>(SSymBase::DispLinkable);

  RecordingCanvas canvas;
  ASSERT_EQ(c->CompSym()->DrawChildren(canvas), S_OK);
  using R = RecordingCanvas;
  SSymPoint p0, p1;
  ab->GetAttachPoint(p0, 0);
  ab->GetAttachPoint(p1, 1);
  const std::vector<std::string> expected = {
      "Line " + R::P(p0) + " " + R::P(p1), "Rectangle " + R::R(plain->m_rect),  "Rectangle " + R::R(inner->m_rect),
      "Rectangle " + R::R(a->m_rect),      "Rectangle " + R::R(b->m_rect),      "Rectangle " + R::R(nested->m_rect),
      "Rectangle " + R::R(port->m_rect),
  };
  std::vector<std::string> drawn;
  for (const auto& call : canvas.Calls())
    if (call.rfind("Rectangle ", 0) == 0 || call.rfind("Line ", 0) == 0) drawn.push_back(call);
  EXPECT_EQ(drawn, expected);
  // On the recording context: two shapes before the clip, the three boxes
  // inside it, the port after it.
  std::string device;
  for (const auto& line : canvas.DeviceLog()) {
    if (line.rfind("SaveDC", 0) == 0) device += '(';
    if (line.rfind("RestoreDC", 0) == 0) device += ')';
    if (line.rfind("Rectangle", 0) == 0) device += 'R';
  }
  EXPECT_EQ(device, "RR(RRR)R");

  canvas.ClearCalls();
  c->m_state |= SSymCompImpl::StateNoChildDraw;
  c->CompSym()->DrawChildren(canvas);
  EXPECT_TRUE(canvas.Calls().empty());
}

TEST_F(CompImpl, HiddenChildrenAndCompletenessWithoutModel) {
  TCompSym* bare = NewComp(&TCompSym::DefaultDef());
  Child(bare, SSymRect(0, 100, 100, 0))->Show(0);
  // Without a model object all children count as present and none as hidden.
  EXPECT_EQ(bare->CompSym()->HasHiddenChildrenSym(), 0);
  EXPECT_EQ(bare->CompSym()->HasAllChildrenSym(1), 1);
  TCompSym* c = Composite();
  TModelSym* s = Child(c, SSymRect(0, 100, 100, 0));
  EXPECT_EQ(c->CompSym()->HasHiddenChildrenSym(), 0);
  s->Show(0);
  EXPECT_EQ(c->CompSym()->HasHiddenChildrenSym(), 1);
}

TEST_F(CompImpl, IdentityIsTheSymbols) {
  TCompSym* c = Composite();
  SComWrap<ISSymbol> sym(c->CompSym());
  EXPECT_EQ(sym.Get(), c->Sym());
  EXPECT_TRUE(SRepAreSameObjects(c->CompSym(), c->Sym()));
  SComWrap<ISSymCompSym> back(c->Sym());
  EXPECT_EQ(back.Get(), c->CompSym());
  EXPECT_EQ(c->CompSym()->GetCompSymbol(), c->Sym());
}

}  // namespace

namespace {

// A composite with a title: the sub-symbol reserves its height above the
// children and may adjust the children rectangle first.
class TTitledComp : public SRepFaces<TTitledComp, TCompSym, ISSymSubSym> {
 public:
  using SRepFaces::SRepFaces;
  int IsSubSymReady() override { return m_ready; }
  int PrepareSubSym() override {
    ++m_prepared;
    m_ready = 1;
    return 1;
  }
  int GetSubSymMinSize(LONG*, LONG*) override { return 0; }
  int GetSubSymMargins(LONG*, LONG*, LONG*, LONG*) override { return 0; }
  int AdjustSubSymRect(SSymRect& r) override {
    r.x1 -= 100;
    return 1;
  }
  int SubSymReserved() override { return 0; }
  int GetSubSymList(STable<SSymSubsFonts*>&, int) override { return 0; }
  int GetSubSymCount(int) override { return 0; }
  SSymSubsFonts* GetSubSymbol(int, int) override { return nullptr; }
  int GetSubSymSize(LONG* w, LONG* h) override {
    *w = 0;
    *h = 1200;
    return 1;
  }
  int AdjustSubSymbol(SSymSubsFonts*, SSymRect*, SSymCanvas&) override { return 0; }
  int m_ready = 0;
  int m_prepared = 0;
};

TEST_F(CompImpl, HeaderReservesTheTitleAndAddsTheMargins) {
  SSymCompDef adjusting;
  adjusting.nMarginX = 300;
  adjusting.nMarginY = 200;
  adjusting.nFlags = SSymCompDef::CompAdjustChildRect;
  SSymCompDef plain = adjusting;
  plain.nFlags = 0;
  struct Case {
    const char* name;
    const SSymCompDef* def;
    int header;
    SSymRect expected;
  };
  const Case cases[] = {
      {"NoHeader", &adjusting, 0, SSymRect(400, 5600, 3600, 400)},
      {"Adjusted", &adjusting, 1, SSymRect(0, 7000, 3900, 200)},
      {"NotAdjusted", &plain, 1, SSymRect(100, 7000, 3900, 200)},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTitledComp* c = Place<TTitledComp>(DiagramOwner(), kComp, k.def);
    Child(c, SSymRect(1000, 5000, 3000, 1000));
    EXPECT_EQ(c->CompSym()->GetChildrenRect(k.header), k.expected);
    EXPECT_EQ(c->m_prepared, k.header);  // prepared once, when not ready
  }
}

// The children area lies below the title, 75 units in from each side; a
// composite narrower than 150 units collapses to its centre line.
TEST_F(CompImpl, ChildrenAreaIsBelowTheTitle) {
  TTitledComp* titled = Place<TTitledComp>(DiagramOwner(), kComp, &TCompSym::DefaultDef());
  EXPECT_EQ(titled->CompSym()->GetDrawRect(), SSymRect(75, 34800, 47925, 0));
  TTitledComp* narrow = Place<TTitledComp>(DiagramOwner(), SSymRect(0, 5000, 100, 0), &TCompSym::DefaultDef());
  EXPECT_EQ(narrow->CompSym()->GetDrawRect(), SSymRect(50, 3800, 50, 0));
  EXPECT_EQ(Composite()->CompSym()->GetDrawRect(), kComp);  // no title: the whole rectangle
}

// A pool that reports its orientation.
class TPool : public SRepFaces<TPool, TCompOf<TPool, TSym>, ISSymSwimPool> {
 public:
  using SRepFaces::SRepFaces;
  int IsVertical() override { return m_orientation; }
  void ChangeOrientation() override {}
  void GetNewSwimlaneRect(SSymRect&) override {}
  ISSymbol* GetLineSym() override { return nullptr; }
  void ArrangeLanes(int) override {}
  void GetAllChildrenSym(SUnsortedComBag<ISSymbol>&, int) override {}
  int m_orientation = 0;
};
class TLaneComp : public SRepFaces<TLaneComp, TCompSym, ISSwimlane, SRepFaceImpl<TLaneFace>> {
 public:
  using SRepFaces::SRepFaces;
  // The pool: the first owner up the chain that is one.
  ISSymbol* GetPoolSym() override {
    SComWrap<ISSymbol> at(Sym());
    for (int depth = 0; depth < 8 && !at.IsNull(); ++depth) {
      SComOut<ISSymOwner> owner;
      if (at->GetOwner(&owner) != S_OK || !owner) return nullptr;
      at = SComWrap<ISSymbol>(owner.Get());
      if (!SComWrap<ISSymSwimPool>(at).IsNull()) return at.Get();
    }
    return nullptr;
  }
};

// A lane grows with its pool, by as much as the lane grew: side by side
// lanes (orientation 1) widen the pool upward and downward, stacked lanes
// (0) to the left and right.
TEST_F(CompImpl, LaneGrowthWidensItsPool) {
  struct Case {
    const char* name;
    int orientation;
    SSymRect child;
    SSymRect lane, pool;
  };
  const Case cases[] = {
      {"ColumnsUp", 1, SSymRect(1000, 12000, 2000, 9000), SSymRect(0, 12600, 10000, 0),
       SSymRect(0, 13600, 30000, -1000)},
      {"ColumnsDown", 1, SSymRect(1000, 9000, 2000, -3000), SSymRect(0, 10000, 10000, -3600),
       SSymRect(0, 11000, 30000, -4600)},
      {"RowsRight", 0, SSymRect(9000, 5000, 12000, 4000), SSymRect(0, 10000, 12600, 0),
       SSymRect(0, 11000, 32600, -1000)},
      {"RowsLeft", 0, SSymRect(-3000, 5000, 2000, 4000), SSymRect(-3600, 10000, 10000, 0),
       SSymRect(-3600, 11000, 30000, -1000)},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TPool* pool = Place<TPool>(DiagramOwner(), SSymRect(0, 11000, 30000, -1000));
    pool->m_orientation = k.orientation;
    TLaneComp* lane = Make<TLaneComp>(SSymRect(0, 10000, 10000, 0), &TCompSym::DefaultDef());
    Bind(lane, Node());
    pool->Collection(SymAttr::Symbols)->Insert(lane->Obj(), -1);
    Child(lane, k.child);
    EXPECT_EQ(lane->CompSym()->UpdateRect(), 1);
    EXPECT_EQ(lane->m_rect, k.lane);
    EXPECT_EQ(pool->m_rect, k.pool);
  }
  // A lane outside a pool writes nothing.
  TLaneComp* stray = Place<TLaneComp>(DiagramOwner(), SSymRect(0, 10000, 10000, 0), &TCompSym::DefaultDef());
  Bind(stray, Node());
  Child(stray, SSymRect(9000, 5000, 12000, 4000));
  EXPECT_EQ(stray->CompSym()->UpdateRect(), 0);
  EXPECT_EQ(stray->m_rect, SSymRect(0, 10000, 10000, 0));
  // A lane inside a lane group widens the pool above the group.
  TPool* pool = Place<TPool>(DiagramOwner(), SSymRect(0, 11000, 30000, -1000));
  TComp* group = Place<TComp>(pool);
  TLaneComp* grouped = Place<TLaneComp>(group, SSymRect(0, 10000, 10000, 0), &TCompSym::DefaultDef());
  Bind(grouped, Node());
  Child(grouped, SSymRect(9000, 5000, 12000, 4000));
  EXPECT_EQ(grouped->CompSym()->UpdateRect(), 1);
  EXPECT_EQ(pool->m_rect, SSymRect(0, 11000, 32600, -1000));
}

// Removal with the model object: a child of a directly kept relation leaves
// the collection and stays where the model keeps it; an owned child with no
// new home to go to keeps its place in the model (it would be lost).
TEST_F(CompImpl, RemoveWithTheModelObject) {
  constexpr LONG kDirect = 0x02000040, kOwned = 0x02000041;
  SSymCompDef def;
  def.mapTypeToColl2 = {{3, kDirect}};
  def.mapTypeToColl = {{4, kOwned}};
  TCompSym* c = Composite(&def);
  ISRepObject* model = c->Collection(kShows)->Items()[0];
  TNode* direct = Node();
  TNode* owned = Node();
  SRepObject::FromInterface(model)->Collection(kDirect)->Insert(direct, -1);
  SRepObject::FromInterface(model)->Collection(kOwned)->Insert(owned, -1);
  TModelSym* a = Child(c, SSymRect(0, 100, 100, 0));
  a->m_symType = 3;
  Bind(a, direct);
  TModelSym* b = Child(c, SSymRect(0, 100, 100, 0));
  b->m_symType = 4;
  Bind(b, owned);

  EXPECT_EQ(c->CompSym()->Remove(a->Sym(), 1), S_OK);
  EXPECT_FALSE(c->CompSym()->Contains(a->Sym(), 0) || c->Collection(SymAttr::Symbols)->GetPos(a->Obj()) >= 0);
  EXPECT_EQ(SRepObject::FromInterface(model)->Collection(kDirect)->GetPos(direct), -1);

  EXPECT_EQ(c->CompSym()->Remove(b->Sym(), 1), S_FALSE);
  EXPECT_EQ(c->Collection(SymAttr::Symbols)->GetPos(b->Obj()), -1);  // the symbol side is done
  EXPECT_EQ(SRepObject::FromInterface(model)->Collection(kOwned)->GetPos(owned), 0);

  // Not a child, and null: nothing.
  EXPECT_EQ(c->CompSym()->Remove(a->Sym(), 1), S_OK);
  EXPECT_EQ(c->CompSym()->Remove(nullptr, 1), S_OK);
}

}  // namespace

namespace {

// Growth that does not nest the old rectangle in the children's need (or
// the other way round) ends the fitting of a solid composite to its text;
// growth that encloses the old rectangle keeps it.
TEST_F(CompImpl, GrowthOnOneSideEndsTextFitting) {
  struct Case {
    const char* name;
    SSymRect child;
    bool adjusted;
  };
  const Case cases[] = {
      {"OneSide", SSymRect(46000, 5000, 50000, 1000), false},
      {"AllAround", SSymRect(-1000, 37000, 49000, -1000), true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TSolidCompSym* c = Place<TSolidCompSym>(DiagramOwner(), kComp, &TSolidCompSym::DefaultDef());
    Bind(c, Node());
    ASSERT_TRUE(c->IsAdjusted());
    TModelSym* child = Make<TModelSym>(k.child);
    c->Collection(SymAttr::Symbols)->Insert(child->Obj(), -1);
    EXPECT_EQ(c->CompSym()->UpdateRect(), 1);
    EXPECT_EQ(c->IsAdjusted() != 0, k.adjusted);
  }
}

}  // namespace

namespace {

// A deleted child is no child: not listed, no room, not drawn.
TEST_F(CompImpl, DeletedChildrenAreNoChildren) {
  TCompSym* c = Composite();
  TModelSym* kept = Child(c, SSymRect(1000, 5000, 3000, 1000));
  TModelSym* gone = Child(c, SSymRect(46000, 5000, 50000, 1000));
  gone->Delete();
  SComTable<ISSymbol> t;
  c->CompSym()->GetAllChildren(t, 1);
  ASSERT_EQ(t.GetCount(), 1);
  EXPECT_EQ(t.GetAt(0), kept->Sym());
  EXPECT_EQ(c->CompSym()->UpdateRect(), 0);
  EXPECT_EQ(c->m_rect, kComp);
  RecordingCanvas canvas;
  c->CompSym()->DrawChildren(canvas);
  EXPECT_EQ(canvas.Only("Rectangle"), std::vector<std::string>{"Rectangle " + RecordingCanvas::R(kept->m_rect)});
}

}  // namespace

namespace {

constexpr LONG kExtraColl = 0x02000050;

// Every sub-object of the model object needs its child symbol; deep asks
// the child composites too; the further collections are asked one level.
TEST_F(CompImpl, HasAllChildrenFollowsTheModel) {
  SSymCompDef def;
  def.tabChildColls = {kExtraColl};
  TCompSym* c = NewComp(&def);
  TNode* model = Node();
  Bind(c, model);
  TNode* x = Node();
  TNode* y = Node();
  TNode* z = Node();
  model->Collection(kSubObjects)->Insert(x, -1);
  model->Collection(kSubObjects)->Insert(y, -1);
  y->Collection(kSubObjects)->Insert(z, -1);
  Bind(Child(c, SSymRect(0, 100, 100, 0)), x);
  EXPECT_EQ(c->CompSym()->HasAllChildrenSym(0), 0);  // y has no symbol
  TCompSym* ys = Child<TCompSym>(c, SSymRect(0, 9000, 9000, 0));
  Bind(ys, y);
  EXPECT_EQ(c->CompSym()->HasAllChildrenSym(0), 1);
  EXPECT_EQ(c->CompSym()->HasAllChildrenSym(1), 0);  // z, below y, has none
  Bind(Child(ys, SSymRect(0, 100, 100, 0)), z);
  EXPECT_EQ(c->CompSym()->HasAllChildrenSym(1), 1);
  TNode* w = Node();
  model->Collection(kExtraColl)->Insert(w, -1);
  EXPECT_EQ(c->CompSym()->HasAllChildrenSym(0), 0);
  Bind(Child(c, SSymRect(0, 100, 100, 0)), w);
  EXPECT_EQ(c->CompSym()->HasAllChildrenSym(1), 1);
}

// A link among the children takes the room of its path without the end the
// composite holds, and only while both ends are shown children.
TEST_F(CompImpl, LinkChildRectNeedsTwoShownChildren) {
  TCompSym* c = Composite();
  TModelSym* a = Child(c, SSymRect(1000, 4000, 3000, 2000));
  TModelSym* b = Child(c, SSymRect(10000, 4000, 12000, 2000));
  TDrawLink* l = Link(c, a, b);
  l->m_list = SSymListPt({SSymPoint(2000, 3000), SSymPoint(20000, 20000), SSymPoint(11000, 3000)});
  SSymRect r;
  ASSERT_EQ(c->CompSym()->GetChildRect(l->Sym(), r), 1);
  EXPECT_EQ(r, SSymRect(11000, 20000, 20000, 3000));
  // Links never widen the children rectangle.
  EXPECT_EQ(c->CompSym()->GetChildrenRect(0), SSymRect(400, 4600, 12600, 1400));
  b->Show(0);
  EXPECT_EQ(c->CompSym()->GetChildRect(l->Sym(), r), 0);
}

}  // namespace
