// Owners, diagram lookup, relative positions, tree functions, default attach
// points, the owner implementation and ports.
#include "support/symtest.h"

using SymOwner = SymFixture;

namespace {
// A port on its owner's border: its centre is placed where it is told.
class TPort : public SRepFaces<TPort, TSym, ISSymPort, SRepFaceImpl<SSymPortBase>> {
 public:
  explicit TPort(ISRepSession* s) : SRepFaces(s, SSymRect(0, 100, 100, 0)) {}
  HRESULT GetPortSymbol(ISSymbol** out) override {
    *out = Sym();
    AddRef();
    return S_OK;
  }
  void OnDirectionChanged(int previous) override { m_previous = previous; }
  SSymPoint PlaceCenter(const SSymPoint& c, const SSymRect&) override { return c; }
  int m_previous = -1;
};
}  // namespace

TEST_F(SymOwner, NestedOwnersDiagramAndHidden) {
  TComp* outer = Place<TComp>(DiagramOwner());
  TComp* inner = Place<TComp>(static_cast<ISSymOwner*>(outer));
  TSym* leaf = Place(static_cast<ISSymOwner*>(inner));
  TSym* top = Place(DiagramOwner());

  EXPECT_EQ(leaf->GetDiagramObject(), m_diagram->GetOwnerObject());
  ISSymDiagram* d = nullptr;
  ASSERT_EQ(leaf->GetDiagram(&d), S_OK);
  EXPECT_EQ(d, Diagram());
  d->Release();
  ISSymOwner* o = nullptr;
  ASSERT_EQ(leaf->GetOwner(&o), S_OK);
  EXPECT_EQ(o, static_cast<ISSymOwner*>(inner));
  o->Release();
  EXPECT_EQ(leaf->_HasOwner(), 1);

  // The cache is refilled from the parent collection when empty.
  leaf->m_owner = nullptr;
  ISSymCompSym* comp = nullptr;
  ASSERT_EQ(leaf->_GetOwner(reinterpret_cast<void**>(&comp), IID_ISSymCompSym), S_OK);
  EXPECT_EQ(comp, static_cast<ISSymCompSym*>(inner));
  comp->Release();
  EXPECT_FALSE(leaf->m_owner.IsNull());

  TSym* loose = Make<TSym>();
  EXPECT_EQ(loose->_GetOwner(reinterpret_cast<void**>(&o), IID_ISSymOwner), E_FAIL);
  EXPECT_EQ(o, nullptr);
  EXPECT_EQ(loose->_GetOwner(nullptr, IID_ISSymOwner), E_POINTER);
  EXPECT_EQ(loose->GetDiagramObject(), nullptr);
  // The questions give the loose symbol no (empty) parent collection: the
  // close of a step asks every symbol it deleted.
  EXPECT_EQ(loose->FindCollection(SymAttr::ParentColl), nullptr);

  // The common owner: never the diagram.
  TSym* sibling = Place(static_cast<ISSymOwner*>(outer));
  EXPECT_EQ(SGetCommonOwnerSym(leaf->Sym(), sibling->Sym()), static_cast<ISSymOwner*>(outer));
  EXPECT_EQ(SGetCommonOwnerSym(leaf->Sym(), top->Sym()), nullptr);
  EXPECT_EQ(SGetCommonOwnerSym(nullptr, top->Sym()), nullptr);

  outer->Show(0);
  EXPECT_TRUE(leaf->IsHidden());
  EXPECT_EQ(PostOleInCast(leaf->Obj()), leaf->Sym());
  EXPECT_EQ(PostOleInCast(m_diagram->GetOwnerObject()), nullptr);
}

TEST_F(SymOwner, CycleOfOwnersEndsTheWalks) {
  TComp* a = Place<TComp>(DiagramOwner());
  TComp* b = Place<TComp>(static_cast<ISSymOwner*>(a));
  // a becomes b's child as well: a cycle of owners with no diagram on it.
  m_diagram->Remove(a->Sym());
  static_cast<ISSymCompSym*>(b)->Add(a->Sym());
  a->m_owner = nullptr;
  b->m_owner = nullptr;
  EXPECT_EQ(a->GetDiagramObject(), nullptr);
  EXPECT_FALSE(a->IsHidden());
  // The walks end; what they answer within the cycle is one of its members.
  ISSymbol* hider = SSymGetPrntCompHideChild(a->Sym(), nullptr);
  EXPECT_TRUE(hider == a->Sym() || hider == b->Sym());
  ISSymOwner* common = SGetCommonOwnerSym(a->Sym(), b->Sym());
  EXPECT_TRUE(common == static_cast<ISSymOwner*>(a) || common == static_cast<ISSymOwner*>(b));
  EXPECT_TRUE(static_cast<ISSymOwner*>(a)->Contains(a->Sym(), 1));
  ISSymOwner* top = a;
  static_cast<ISSymOwner*>(a)->GetTopOwner(&top);
  if (top != static_cast<ISSymOwner*>(a)) top->Release();
  // The owner caches of a cycle hold each other; they are dropped by hand here.
  a->m_owner = nullptr;
  b->m_owner = nullptr;
}

TEST_F(SymOwner, RelativePositionMovesOnce) {
  TComp* owner = Place<TComp>(DiagramOwner());  // centre (24000, 18000)
  TSym* child = Place(static_cast<ISSymOwner*>(owner));  // centre (2400, 1800)
  EXPECT_EQ(child->GetRelPos(), (SRep_Point{21600, 16200}));
  ASSERT_EQ(child->SetRelPos(SRep_Point{1000, -2000}), S_OK);
  EXPECT_EQ(child->GetRelPos(), (SRep_Point{1000, -2000}));
  EXPECT_GT(owner->m_childChanged, 0);
  // Closer than 72 units in both axes: nothing moves.
  const SSymRect kept = child->m_rect;
  EXPECT_EQ(child->SetRelPos(SRep_Point{1050, -1950}), S_FALSE);
  EXPECT_EQ(child->m_rect, kept);
  // Without a composite owner.
  TSym* top = Place(DiagramOwner());
  EXPECT_EQ(top->GetRelPos(), (SRep_Point{0, 0}));
  EXPECT_EQ(top->SetRelPos(SRep_Point{5000, 5000}), S_FALSE);
}

TEST_F(SymOwner, ParallelLinksGetSeparateDefaultPoints) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner(), SSymRect(10000, 3600, 14800, 0));
  TLink* l1 = Place<TLink>(DiagramOwner());
  TLink* l2 = Place<TLink>(DiagramOwner());
  l1->AttachSym(0, a->Linkable(), SSymPoint(2400, 1800));
  l1->AttachSym(1, b->Linkable(), SSymPoint(12400, 1800));
  l2->AttachSym(0, a->Linkable(), SSymPoint(2400, 1800));
  l2->AttachSym(1, b->Linkable(), SSymPoint(12400, 1800));
  SSymPoint pt(2400, 1800);
  EXPECT_EQ(a->GetDefAttachPt(l2, 0, pt), 1);
  EXPECT_EQ(pt, SSymPoint(2550, 1950));
  SSymPoint far(12400, 1800);
  EXPECT_EQ(b->GetDefAttachPt(l2, 1, far), 1);
  EXPECT_EQ(far, SSymPoint(12550, 1950));
  // A point that leaves the rectangle falls back to the centre.
  SSymPoint corner(4800, 3600);
  l1->m_pt[0] = corner;
  EXPECT_EQ(a->GetDefAttachPt(l2, 0, corner), 1);
  EXPECT_EQ(corner, SSymPoint(2400, 1800));
  EXPECT_EQ(a->GetDefAttachPt(nullptr, 0, corner), 0);
  EXPECT_EQ(a->HasLinkBetween(b->Linkable()), 1);
  TSym* c = Place(DiagramOwner());
  EXPECT_EQ(a->HasLinkBetween(c->Linkable()), 0);
  // Detaching a link that is not attached changes nothing.
  m_session->SetModified(FALSE);
  c->DetachLink(l1);
  EXPECT_FALSE(m_session->IsModified());
}

TEST_F(SymOwner, NonEditableCompositeAnswersForItsChild) {
  TComp* comp = Place<TComp>(DiagramOwner(), SSymRect(0, 10000, 10000, 0));
  TSym* child = Place(static_cast<ISSymOwner*>(comp), SSymRect(2000, 4000, 4000, 2000));
  TSym* other = Place(DiagramOwner(), SSymRect(20000, 10000, 30000, 0));
  // Without a model object the composite is not editable: it hides its child.
  EXPECT_EQ(SSymGetPrntCompHideChild(child->Sym(), nullptr), comp->Sym());
  EXPECT_EQ(SSymGetPrntCompHideChild(child->Sym(), child->Sym()), nullptr);
  SSymPoint hit;
  ASSERT_TRUE(child->GetIntersection(SSymSegment(25000, 5000, 5000, 5000), &hit));
  EXPECT_EQ(hit.x, 10000);  // the composite's outline
  // Composite children's links are re-placed on the children by default.
  TLink* l = Place<TLink>(DiagramOwner());
  l->AttachSym(0, child->Linkable(), SSymPoint(50000, 50000));
  l->AttachSym(1, other->Linkable(), SSymPoint(25000, 5000));
  SSymGetDefAttachPtInComp(comp);
  EXPECT_EQ(l->m_pt[0], SSymPoint(3000, 3000));
  SSymGetDefAttachPtInComp(nullptr);
}

TEST_F(SymOwner, OwnerImplementationAddsOnceAndLooksDeep) {
  TComp* outer = Place<TComp>(DiagramOwner());
  TComp* inner = Place<TComp>(static_cast<ISSymOwner*>(outer));
  TSym* leaf = Place(static_cast<ISSymOwner*>(inner));
  ISSymOwner* d = DiagramOwner();
  EXPECT_EQ(d->Add(outer->Sym()), S_FALSE);  // already there
  EXPECT_EQ(m_diagram->Collection(SymAttr::Symbols)->GetCount(), 1);
  EXPECT_EQ(d->Add(nullptr), E_POINTER);
  EXPECT_TRUE(d->Contains(outer->Sym(), 0));
  EXPECT_FALSE(d->Contains(leaf->Sym(), 0));
  EXPECT_TRUE(d->Contains(leaf->Sym(), 1));
  EXPECT_FALSE(d->Contains(nullptr, 1));
  ISSymOwner* top = inner;
  static_cast<ISSymOwner*>(inner)->GetTopOwner(&top);
  EXPECT_EQ(top, d);
  top->Release();
  ASSERT_EQ(d->Remove(outer->Sym()), S_OK);
  EXPECT_FALSE(d->Contains(outer->Sym(), 1));
  EXPECT_TRUE(outer->m_owner.IsNull());
}

TEST_F(SymOwner, PortsTakeTheNearestSide) {
  TComp* owner = Place<TComp>(DiagramOwner(), SSymRect(0, 10000, 20000, 0));
  TPort* port = Place<TPort>(static_cast<ISSymOwner*>(owner));
  struct Case {
    SSymPoint in;
    int direction;
    SSymPoint out;
  } cases[] = {
      {{10000, 9000}, PortTop, {10000, 10000}},
      {{10000, 1000}, PortBottom, {10000, 0}},
      {{500, 5000}, PortLeft, {0, 5000}},
      {{19000, 5000}, PortRight, {20000, 5000}},
      {{10000, 5000}, PortTop, {10000, 10000}},  // between bottom and top: top
      {{5000, 5000}, PortLeft, {0, 5000}},       // equal distances: a vertical side
  };
  for (const Case& c : cases) {
    EXPECT_EQ(port->ComputeNewCenter(c.in, 1), c.out) << c.in.x << "," << c.in.y;
    EXPECT_EQ(port->GetDirection(), c.direction);
  }
  EXPECT_EQ(port->m_previous, PortTop);  // the side before the last change
  // Without recomputing, the side stays.
  EXPECT_EQ(port->ComputeNewCenter(SSymPoint(19000, 5000), 0), SSymPoint(0, 5000));
  TPort* loose = Make<TPort>();
  EXPECT_EQ(loose->ComputeNewCenter(SSymPoint(7, 8), 1), SSymPoint(7, 8));
  loose->CopyDirection(port->Sym());
  EXPECT_EQ(loose->GetDirection(), PortLeft);
}

TEST_F(SymOwner, GroupOwnerWalksToTheOutermostGroup) {
  TComp* outer = Place<TComp>(DiagramOwner());
  TComp* inner = Place<TComp>(static_cast<ISSymOwner*>(outer));
  TSym* leaf = Place(static_cast<ISSymOwner*>(inner));
  ISSymGroup* g = nullptr;
  ASSERT_EQ(leaf->GetGroupOwner(&g, 0), S_OK);
  EXPECT_EQ(g, static_cast<ISSymGroup*>(inner));
  g->Release();
  ASSERT_EQ(leaf->GetGroupOwner(&g, 1), S_OK);
  EXPECT_EQ(g, static_cast<ISSymGroup*>(outer));
  g->Release();
  ASSERT_EQ(outer->GetGroupOwner(&g, 0), S_OK);  // its owner is the diagram
  EXPECT_EQ(g, nullptr);
  ASSERT_EQ(outer->GetGroupOwner(&g, 1), S_OK);  // then the symbol itself
  EXPECT_EQ(g, static_cast<ISSymGroup*>(outer));
  g->Release();
}
