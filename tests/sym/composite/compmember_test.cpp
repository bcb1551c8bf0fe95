// Composite membership and completion over test model objects: the owner
// operations (Contains flat and deep, Remove of a stranger, the top owner),
// completion through the diagram (the cascade of new children from the
// centre, no second child, recursion, links inside or at the top, pictures
// and shortcuts), the date stamp, a link child's rectangle, the child test
// on symbols, and the refusals that leave everything as it was.
#include <gtest/gtest.h>

#include "kvrep/srepextras.h"
#include "support/compmember_fixture.h"
#include "sym/symbol/symclone.h"

namespace {

constexpr LONG kLinkFirst = 0x0200001A, kLinkSecond = 0x02000019, kMdat = 0x01000012;

class CompMember : public CompMemberFixture {
 protected:
  void SetUp() override {
    CompMemberFixture::SetUp();
    m_def.nSubObjColl = kSubObjects;
  }
  // A model object with `n` sub-objects.
  TNode* WithParts(int n) {
    TNode* m = Node();
    for (int i = 0; i < n; ++i) m->Collection(kSubObjects)->Insert(Node(), -1);
    return m;
  }
  // A link object of `owner` between two of its sub-objects.
  TNode* LinkIn(TNode* owner, ISRepObject* first, ISRepObject* second) {
    TNode* l = Node();
    l->Collection(kLinkFirst)->Insert(first, -1);
    l->Collection(kLinkSecond)->Insert(second, -1);
    owner->Collection(kSubObjects)->Insert(l, -1);
    return l;
  }
  TCompSym* CompOf(TNode* model, SSymRect r = SSymRect(0, 36000, 48000, 0)) {
    TCompSym* c = Place<TCompSym>(m_model, r, &m_def);
    Bind(c, model);
    return c;
  }
  static ISRepObject* Part(TNode* m, int i) { return m->Collection(kSubObjects)->GetAt(i); }
  SSymCompDef m_def;
};

// Three missing children are asked for at the centre, then 300 right and
// up, then 600; they leave the diagram's top level for the composite. A
// second completion makes none.
TEST_F(CompMember, CompletionCascadesNewChildrenFromTheCentre) {
  TNode* m = WithParts(3);
  TCompSym* comp = CompOf(m, SSymRect(0, 36000, 48001, 1));
  ASSERT_EQ(S_OK, comp->CompSym()->CompleteAllChildrenSym(0));
  const std::vector<SSymPoint> asked = {{24000, 18000}, {24300, 18300}, {24600, 18600}};
  EXPECT_EQ(asked, m_model->m_asked);
  for (int i = 0; i < 3; ++i) {
    ISSymbol* child = comp->CompSym()->FindChildSymbol(Part(m, i));
    ASSERT_NE(nullptr, child) << i;
    EXPECT_TRUE(comp->CompSym()->Contains(child, 0));
    EXPECT_FALSE(m_model->Contains(child, 0));
    EXPECT_EQ(1, static_cast<TModelSym*>(SSymBase::FromInterface(child))->m_attached);
  }
  EXPECT_EQ(1, comp->CompSym()->HasAllChildrenSym(0));
  ASSERT_EQ(S_OK, comp->CompSym()->CompleteAllChildrenSym(0));
  EXPECT_EQ(3u, m_model->m_asked.size());
}

// A child that exists gets no second symbol; with recursion its own
// children are completed, and Contains sees them only when asked deep.
TEST_F(CompMember, RecursionCompletesChildCompositesAndContainsLooksDeepOnlyWhenAsked) {
  TNode* m = WithParts(0);
  TNode* sub = WithParts(2);
  m->Collection(kSubObjects)->Insert(sub, -1);
  TCompSym* comp = CompOf(m);
  TCompSym* inner = Make<TCompSym>(SSymRect(0, 9000, 9000, 0), &m_def);
  Bind(inner, sub);
  ASSERT_EQ(S_OK, comp->CompSym()->Add(inner->Sym()));
  ASSERT_EQ(S_OK, comp->CompSym()->CompleteAllChildrenSym(1));
  EXPECT_TRUE(m_model->m_asked.size() == 2u) << "only the inner composite's two parts";
  ISSymbol* grandchild = inner->CompSym()->FindChildSymbol(Part(sub, 0));
  ASSERT_NE(nullptr, grandchild);
  EXPECT_FALSE(comp->CompSym()->Contains(grandchild, 0));
  EXPECT_TRUE(comp->CompSym()->Contains(grandchild, 1));
  EXPECT_EQ(1, comp->CompSym()->HasAllChildrenSym(1));
  EXPECT_EQ(S_FALSE, comp->CompSym()->Remove(Make<TModelSym>()->Sym())) << "not a child: nothing";
}

// A link object whose ends are both children is drawn inside; one whose
// other end is shown only outside is drawn but stays at the top.
TEST_F(CompMember, LinksBetweenChildrenGoInsideOthersStayAtTheTop) {
  TNode* m = WithParts(2);
  TNode* far = Node();
  TModelSym* farSym = Place<TModelSym>(m_model);
  Bind(farSym, far);
  TNode* inside = LinkIn(m, Part(m, 0), Part(m, 1));
  TNode* across = LinkIn(m, Part(m, 0), far);
  TCompSym* comp = CompOf(m);
  ASSERT_EQ(S_OK, comp->CompSym()->CompleteAllChildrenSym(0));
  ISSymbol* in = m_model->FindSymbolOfObject(inside, 0);
  ISSymbol* out = m_model->FindSymbolOfObject(across, 0);
  ASSERT_NE(nullptr, in);
  ASSERT_NE(nullptr, out);
  EXPECT_TRUE(comp->CompSym()->Contains(in, 0));
  EXPECT_TRUE(m_model->Contains(out, 0));
  EXPECT_EQ(2u, m_model->m_asked.size()) << "link objects get no child symbol";
  // The inside link is first in the collection: links go to the front.
  SComTable<ISSymbol> kids;
  comp->CompSym()->GetAllChildren(kids, 0);
  ASSERT_GT(kids.GetCount(), 0);
  EXPECT_EQ(in, kids.GetAt(0));
}

// Completion does nothing for a shortcut model object, a composite without
// a definition, or a deleted model object; a diagram that makes no symbol
// leaves the object without a child.
TEST_F(CompMember, CompletionWithoutAModelOrDiagramAnswersMakesNothing) {
  TNode* m = WithParts(2);
  TCompSym* none = Place<TCompSym>(m_model, SSymRect(0, 36000, 48000, 0), nullptr);
  Bind(none, m);
  EXPECT_EQ(E_UNEXPECTED, none->CompSym()->CompleteAllChildrenSym(1));
  EXPECT_EQ(E_UNEXPECTED, none->CompSym()->Add(Make<TModelSym>()->Sym()));

  auto* sc = new SRepShortcut(m, Session());
  sc->AddRef();
  sc->SetSession(Session());
  m_made.push_back(sc);
  TCompSym* viaShortcut = Place<TCompSym>(m_model, SSymRect(0, 36000, 48000, 0), &m_def);
  viaShortcut->Collection(kShows)->Insert(sc, -1);
  EXPECT_EQ(S_FALSE, viaShortcut->CompSym()->CompleteAllChildrenSym(1));

  m_model->m_refuse = true;
  TCompSym* comp = CompOf(m);
  EXPECT_EQ(S_OK, comp->CompSym()->CompleteAllChildrenSym(1));
  EXPECT_EQ(0, comp->CompSym()->HasAllChildrenSym(0));
  m_model->m_refuse = false;

  TNode* gone = WithParts(1);
  TCompSym* dead = CompOf(gone);
  ASSERT_EQ(S_OK, gone->Delete());
  // A deleted object is no longer shown: the composite has no model object.
  EXPECT_EQ(S_FALSE, dead->CompSym()->CompleteAllChildrenSym(1));
  EXPECT_TRUE(m_model->m_asked.empty());
}

// Adding the composite to itself, to its own child, or a deleted symbol is
// refused and changes nothing; adding twice keeps one entry.
TEST_F(CompMember, AddRefusesCyclesAndDeletedSymbolsAndIsIdempotent) {
  TCompSym* outer = NewComp(&m_def);
  TCompSym* inner = Make<TCompSym>(SSymRect(0, 9000, 9000, 0), &m_def);
  ASSERT_EQ(S_OK, outer->CompSym()->Add(inner->Sym()));
  ASSERT_EQ(S_OK, outer->CompSym()->Add(inner->Sym()));
  EXPECT_EQ(1, outer->Collection(SymAttr::Symbols)->GetCount());
  EXPECT_EQ(S_FALSE, outer->CompSym()->Add(outer->Sym()));
  EXPECT_EQ(E_POINTER, outer->CompSym()->Add(nullptr));
  EXPECT_EQ(E_INVALIDARG, inner->CompSym()->Add(outer->Sym()));
  EXPECT_TRUE(DiagramOwner()->Contains(outer->Sym(), 0));
  EXPECT_EQ(0, inner->Collection(SymAttr::Symbols)->GetCount());
  TModelSym* gone = Place<TModelSym>(DiagramOwner());
  ASSERT_EQ(S_OK, gone->Delete());
  EXPECT_NE(S_OK, outer->CompSym()->Add(gone->Sym()));
  EXPECT_EQ(1, outer->Collection(SymAttr::Symbols)->GetCount());
}

// A second symbol of one model object taken into the composite is
// recorded as a copy of the first.
TEST_F(CompMember, ASecondSymbolOfOneObjectIsChainedAsAClone) {
  TCompSym* comp = NewComp(&m_def);
  TNode* shown = Node();
  TModelSym* first = Make<TModelSym>();
  TModelSym* second = Make<TModelSym>();
  Bind(first, shown);
  Bind(second, shown);
  ASSERT_EQ(S_OK, comp->CompSym()->Add(first->Sym()));
  EXPECT_EQ(0, first->Collection(SSymCloneSymbolHelper::SuccColl)->GetCount());
  ASSERT_EQ(S_OK, comp->CompSym()->Add(second->Sym()));
  EXPECT_EQ(0, first->Collection(SSymCloneSymbolHelper::SuccColl)->IndexOf(second));
}

// The owner relay: no owner leaves the caller's pointer; one composite
// holding another gives the diagram's owner as the top.
TEST_F(CompMember, TopOwnerIsTheDiagramAboveTheChainOrUnchanged) {
  TCompSym* loose = Make<TCompSym>(SSymRect(0, 9000, 9000, 0), &m_def);
  ISSymOwner* mark = reinterpret_cast<ISSymOwner*>(0x10);
  ISSymOwner* out = mark;
  EXPECT_EQ(S_OK, loose->CompSym()->GetTopOwner(&out));
  EXPECT_EQ(mark, out);
  TCompSym* outer = NewComp(&m_def);
  outer->CompSym()->Add(loose->Sym());
  out = nullptr;
  ASSERT_EQ(S_OK, loose->CompSym()->GetTopOwner(&out));
  ASSERT_NE(nullptr, out);
  EXPECT_TRUE(SRepAreSameObjects(out, Diagram()));
  out->Release();
  EXPECT_EQ(E_POINTER, loose->CompSym()->GetTopOwner(nullptr));
}

// Every child gets one and the same date.
TEST_F(CompMember, UpdateAllSubSymMdatStampsEveryChildWithOneTime) {
  TCompSym* comp = NewComp(&m_def);
  std::vector<TModelSym*> kids;
  for (int i = 0; i < 3; ++i) kids.push_back(Place<TModelSym>(comp->CompSym()));
  for (TModelSym* k : kids) k->SetAttribute(kMdat, SRepVariant());
  ASSERT_EQ(S_OK, comp->CompSym()->UpdateAllSubSymMdat());
  SRepVariant first;
  kids[0]->GetAttribute(kMdat, &first);
  EXPECT_NE(0, first.GetDATE());
  for (TModelSym* k : kids) {
    SRepVariant v;
    k->GetAttribute(kMdat, &v);
    EXPECT_EQ(first.GetDATE(), v.GetDATE());
  }
}

// A link child's rectangle leaves out the end the composite holds; with
// two points or fewer there is none; between two outsiders it is the link's own.
TEST_F(CompMember, ChildLinkRectLeavesOutTheHeldEnd) {
  TCompSym* comp = NewComp(&m_def);
  TModelSym* held = Place<TModelSym>(comp->CompSym());
  TModelSym* other = Place<TModelSym>(DiagramOwner());
  TLink* link = Make<TLink>();
  link->AttachSym(0, held->Linkable(), SSymPoint());
  link->AttachSym(1, other->Linkable(), SSymPoint());
  link->m_list = SSymListPt{{0, 0}, {1000, 500}, {3000, 2000}};
  SSymRect r;
  ASSERT_EQ(1, comp->Comp().GetChildLinkRect(link->Sym(), r));
  EXPECT_EQ(SSymRect(1000, 2000, 3000, 500), r);
  link->AttachSym(0, other->Linkable(), SSymPoint());
  link->AttachSym(1, held->Linkable(), SSymPoint());
  ASSERT_EQ(1, comp->Comp().GetChildLinkRect(link->Sym(), r));
  EXPECT_EQ(SSymRect(0, 500, 1000, 0), r);
  link->m_list = SSymListPt{{0, 0}, {1000, 500}};
  EXPECT_EQ(0, comp->Comp().GetChildLinkRect(link->Sym(), r));
  link->AttachSym(1, other->Linkable(), SSymPoint());
  EXPECT_EQ(1, comp->Comp().GetChildLinkRect(link->Sym(), r));
  EXPECT_EQ(0, comp->Comp().GetChildLinkRect(nullptr, r));
}

// The child test on symbols: a symbol of a first-table type, a group and a
// symbol without model object (unless the class takes free symbols) are
// refused; the model object of the composite's parent chain is refused up
// to the first package; a class not listed is refused.
TEST_F(CompMember, CanAddAsChildOnSymbolsAndTheParentChain) {
  TNode* top = Node();
  TNode* mid = Node();
  TNode* m = Node();
  top->Collection(kKids)->Insert(mid, -1);
  mid->Collection(kKids)->Insert(m, -1);
  const CLSID taken = MakeGUID("{5E7A0001-0000-4000-8000-0000000000AA}");
  m_model->m_symbolClass = taken;
  m_def.tabChildClasses = {taken};
  m_def.tabType1 = {7};
  TCompSym* comp = CompOf(m);
  TModelSym* bound = Make<TModelSym>();
  Bind(bound, Node());
  TModelSym* free = Make<TModelSym>();
  TModelSym* typed = Make<TModelSym>();
  typed->m_symType = 7;
  Bind(typed, Node());
  TComp* group = Make<TComp>();
  auto can = [&](IUnknown* c) {
    SComWrap<ISRepObject, &IID_ISRepObject> o(c);
    return comp->CompSym()->CanAddAsChild(o.Get(), -1, SString());
  };
  EXPECT_EQ(1, can(bound->Obj()));
  EXPECT_EQ(1, can(Node()));
  EXPECT_EQ(0, can(typed->Obj())) << "child type 1";
  EXPECT_EQ(0, can(free->Obj())) << "no model object";
  EXPECT_EQ(0, can(group->Obj()));
  EXPECT_EQ(0, can(m)) << "itself";
  EXPECT_EQ(0, can(mid)) << "its parent";
  EXPECT_EQ(0, can(top)) << "its grandparent";
  EXPECT_EQ(0, can(comp->Obj()));
  m_def.nFlags = SSymCompDef::CompFreeChildren;
  EXPECT_EQ(1, can(free->Obj()));
  m_model->m_symbolClass = GUID_NULL;
  EXPECT_EQ(0, can(Node())) << "the diagram's class for it is not taken";
}

}  // namespace
