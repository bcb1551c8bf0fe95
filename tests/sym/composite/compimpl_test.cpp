// The composite implementation: the children rectangle, growth by the snap
// rule and up the chain of composite owners, child kinds, the listing of
// descendants, the drawing order of the children, the completeness tests,
// and composites that are gone or have no definition.
#include <gtest/gtest.h>

#include "support/comp_fixture.h"
#include "support/recording_canvas.h"

namespace {

// A link that draws the line between its attach points, as links do only
// while both ends are shown.
class TDrawLink : public SRepFaces<TDrawLink, TLink> {
 public:
  using SRepFaces::SRepFaces;
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
