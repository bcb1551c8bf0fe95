// Composite and group symbols: their types, faces and class records; an
// empty composite's values; a group's members kept both in the repository
// and in memory (links first, the last Remove deleting the group, an
// emptied group covering nothing, nesting, undo, duplication, deletion);
// drawing, moving, transforming and formats reaching every member.
#include <gtest/gtest.h>

#include "support/link_fixture.h"
#include "support/recording_canvas.h"
#include "sym/composite/symcomposite.h"
#include "sym/composite/symgroup.h"
#include "sym/foundation/sympropmap.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

const SSymRect kZero(0, 0, 0, 0);

class CompGroup : public LinkFixture {
 protected:
  void TearDown() override {
    for (SSymComposite* c : m_composites) c->Release();
    LinkFixture::TearDown();
  }
  // A group made by the repository, placed in the diagram.
  SSymGroup* Group() {
    auto* g = New<SSymGroup>(CLSID_SSymGroup);
    m_diagram->Add(g->Sym());
    return g;
  }
  // A rectangle made by the repository, member of nothing yet.
  SSymRectangle* Member(const SSymRect& r) { return Box(r); }
  // A plain composite of the given symbols, as the lasso tool makes one.
  SSymComposite* Composite(std::initializer_list<SSymBase*> children) {
    SSymCollection col;
    for (SSymBase* c : children) col.Add(c->Sym());
    auto* c = new SSymComposite(col, Session());
    c->AddRef();
    c->SetSession(Session());
    m_composites.push_back(c);
    return c;
  }
  static std::vector<ISSymbol*> InMemory(SSymComposite* c) {
    std::vector<ISSymbol*> out;
    for (ISSymbol* s : c->m_children.GetList()) out.push_back(s);
    return out;
  }
  static std::vector<ISSymbol*> InRepository(SSymComposite* c) {
    std::vector<ISSymbol*> out;
    if (SRepCollection* col = c->FindCollection(SymAttr::Symbols))
      for (SRepObject* o : col->Items()) out.push_back(SComWrap<ISSymbol>(o).Get());
    return out;
  }
  std::vector<SSymComposite*> m_composites;
};

// ---- types, faces and class records ---------------------------------------------------------------
TEST_F(CompGroup, TypesFormTypesAndFaces) {
  SSymGroup* g = Group();
  SSymComposite* c = Composite({});
  struct Case {
    const char* name;
    SSymBase* sym;
    int type, form;
    bool owner;
  };
  const Case cases[] = {{"composite", c, 79, 79, false}, {"group", g, 9, 3, true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(k.sym->Sym()->GetSymbolType(), k.type);
    EXPECT_EQ(k.sym->GetSymbolFormType(), k.form);
    for (const IID* iid :
         {&IID_ISSymGroup, &IID_ISSymPen, &IID_ISSymLine, &IID_ISSymShadow, &IID_ISSymBrush, &IID_ISSymFont}) {
      SComOut<IUnknown> face;
      EXPECT_EQ(k.sym->Sym()->QueryInterface(*iid, face.Void()), S_OK);
    }
    SComOut<IUnknown> owner, comp;
    EXPECT_EQ(k.sym->Sym()->QueryInterface(IID_ISSymOwner, owner.Void()) == S_OK, k.owner);
    EXPECT_NE(k.sym->Sym()->QueryInterface(IID_ISSymCompSym, comp.Void()), S_OK);
  }
}

TEST_F(CompGroup, OnlyTheGroupHasACreationFunction) {
  EXPECT_EQ(SSymGetClassRecord(SYMCLS_SSymComposite)->create, nullptr);
  EXPECT_NE(SSymGetClassRecord(SYMCLS_SSymGroup)->create, nullptr);
  EXPECT_TRUE(SSymIsClassRegistered(SYMCLS_SSymComposite));
  EXPECT_TRUE(SSymIsClassRegistered(SYMCLS_SSymGroup));
  void* p = nullptr;
  EXPECT_NE(m_session->CreateObject(CLSID_SSymComposite, IID_ISRepObject, &p), S_OK);
  EXPECT_EQ(p, nullptr);
  // A copy made by the creation function takes the look, not the members.
  SSymGroup* g = Group();
  g->Add(Member(SSymRect(0, 1000, 1000, 0))->Sym());
  ISRepObject* copy = nullptr;
  ASSERT_EQ(SSymGetClassRecord(SYMCLS_SSymGroup)->create(&copy, Session(), g->Obj()), S_OK);
  ASSERT_NE(copy, nullptr);
  auto* made = dynamic_cast<SSymGroup*>(SRepObject::FromInterface(copy));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetCount(), 0);
  copy->Delete();
  copy->Release();
  EXPECT_TRUE(SSymCheckClassBindings().empty());
}

// ---- an empty composite ---------------------------------------------------------------------------
TEST_F(CompGroup, AnEmptyCompositeAnswersDefaults) {
  SSymComposite* c = Composite({});
  const SSymPen pen = c->GetPen();
  EXPECT_EQ(pen.m_style, 1);
  EXPECT_EQ(pen.m_width, 0);
  EXPECT_EQ(pen.m_color.GetColor(), 0u);
  for (const SSymBrush* b : {&c->GetBrush(), &c->GetShadow()}) {
    EXPECT_EQ(b->m_style, SSymBrush::Solid);
    EXPECT_EQ(b->m_color.GetColor(), 0xFFFFFFu);
    EXPECT_EQ(b->m_bitmapMode, 12);
    EXPECT_EQ(b->m_endColor.GetColor(), 0x767676u);
  }
  EXPECT_EQ(c->GetFont().GetFaceName(), SString(u"Arial"));
  EXPECT_EQ(c->GetFont().GetSize(), 8);
  c->m_rect = SSymRect(10, 20, 30, 0);
  c->RecomputeClipRect(0);
  EXPECT_EQ(c->m_rect, kZero);
  // The resize flag: false, and setting it changes nothing.
  SRepVariant v;
  ASSERT_EQ(c->GetAttribute(SymAttr::IsManuallyResized, &v), S_OK);
  EXPECT_FALSE(v.GetLONG());
  EXPECT_EQ(c->SetIsManuallyResized(true), S_FALSE);
  EXPECT_FALSE(c->GetIsManuallyResized());
}

TEST_F(CompGroup, TheResizeFlagSpeaksForTheChildrenThatHaveIt) {
  SSymRectangle* a = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Member(SSymRect(2000, 1000, 3000, 0));
  a->SetAttribute(SymAttr::IsAutoAdjusted, [] {
    SRepVariant v;
    v.SetBOOL(TRUE);
    return v;
  }());
  SSymComposite* c = Composite({a, b});
  EXPECT_FALSE(c->GetIsManuallyResized());
  EXPECT_EQ(c->SetIsManuallyResized(false), S_FALSE);
  SRepVariant yes;
  yes.SetBOOL(TRUE);
  ASSERT_EQ(c->SetAttribute(SymAttr::IsManuallyResized, yes), S_OK);
  for (SSymRectangle* r : {a, b}) {
    EXPECT_EQ(r->m_bManuallyResized, 1);
    EXPECT_EQ(r->m_bAutoAdjusted, 0);
  }
  EXPECT_TRUE(c->GetIsManuallyResized());
  b->m_bManuallyResized = 0;
  EXPECT_FALSE(c->GetIsManuallyResized());
  // Children without the attribute do not count.
  SSymComposite* plain = Composite({Make<TSym>()});
  EXPECT_TRUE(plain->GetIsManuallyResized());
}

TEST_F(CompGroup, TheBackgroundPictureIsThatOfAnOnlyChild) {
  SSymRectangle* a = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Member(SSymRect(2000, 1000, 3000, 0));
  SSymComposite* two = Composite({a, b});
  ASSERT_EQ(two->SetBackgroundPictureFile(SString(u"sky.bmp")), S_OK);
  EXPECT_EQ(a->GetBackgroundPictureFile(), b->GetBackgroundPictureFile());
  EXPECT_EQ(two->GetBackgroundPictureFile(), SString());
  EXPECT_EQ(two->GetBackgroundPicture(), nullptr);
  SSymComposite* one = Composite({a, Make<TSym>()});
  EXPECT_EQ(one->GetBackgroundPictureFile(), a->GetBackgroundPictureFile());
}

// ---- membership ------------------------------------------------------------------------------------
TEST_F(CompGroup, ALinkJoinsAGroupFirstAndAnotherSymbolLast) {
  SSymGroup* g = Group();
  SSymRectangle* a = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Member(SSymRect(3000, 1000, 4000, 0));
  SSymLinkBase* l = Link(a, b, SSymListPt({SSymPoint(1000, 500), SSymPoint(3000, 500)}));
  SSymRectangle* c = Member(SSymRect(6000, 1000, 7000, 0));
  for (SSymBase* s : std::initializer_list<SSymBase*>{a, b, l, c}) ASSERT_EQ(g->Add(s->Sym()), S_OK);
  EXPECT_EQ(InMemory(g), (std::vector<ISSymbol*>{l->Sym(), a->Sym(), b->Sym(), c->Sym()}));
  EXPECT_EQ(InRepository(g), (std::vector<ISSymbol*>{a->Sym(), b->Sym(), l->Sym(), c->Sym()}));
  // A member again changes nothing.
  EXPECT_EQ(g->Add(b->Sym()), S_FALSE);
  EXPECT_EQ(g->GetCount(), 4);
  EXPECT_EQ(g->m_rect, SSymRect(0, 1000, 7000, 0));
  // The members know their owner.
  SComOut<ISSymGroup> owner;
  ASSERT_EQ(c->Sym()->GetGroupOwner(&owner, 0), S_OK);
  EXPECT_EQ(owner.Get(), static_cast<ISSymGroup*>(g));
}

TEST_F(CompGroup, BadMembersAreRefused) {
  SSymGroup* g = Group();
  SSymGroup* outer = Group();
  ASSERT_EQ(outer->Add(g->Sym()), S_OK);
  EXPECT_EQ(g->Add(nullptr), E_POINTER);
  EXPECT_EQ(g->Remove(nullptr), E_POINTER);
  EXPECT_EQ(g->Add(g->Sym()), E_INVALIDARG);
  EXPECT_EQ(g->Add(outer->Sym()), E_INVALIDARG);  // would close a cycle
  EXPECT_EQ(g->GetCount(), 0);
  EXPECT_FALSE(g->IsDeleted());
  SSymGroup** none = nullptr;
  EXPECT_EQ(SSymGroup::CreateFromCollection(SSymCollection(), Session(), none), E_POINTER);
}

TEST_F(CompGroup, TheLastRemoveDeletesTheGroup) {
  SSymGroup* g = Group();
  SSymRectangle* a = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Member(SSymRect(2000, 3000, 3000, 2000));
  g->Add(a->Sym());
  g->Add(b->Sym());
  ASSERT_EQ(g->Remove(a->Sym()), S_OK);
  EXPECT_FALSE(g->IsDeleted());
  EXPECT_EQ(g->m_rect, b->m_rect);
  EXPECT_FALSE(a->IsDeleted());
  ASSERT_EQ(g->Remove(b->Sym()), S_OK);
  EXPECT_TRUE(g->IsDeleted());
  EXPECT_FALSE(b->IsDeleted());
  EXPECT_FALSE(m_diagram->Contains(g->Sym(), 0));
}

TEST_F(CompGroup, AGroupEmptiedOtherwiseStaysAndCoversNothing) {
  // Clear: the repository collection empties, the members follow.
  SSymGroup* g = Group();
  g->Add(Member(SSymRect(0, 1000, 1000, 0))->Sym());
  g->Add(Member(SSymRect(2000, 1000, 3000, 0))->Sym());
  ASSERT_EQ(g->Clear(1), S_OK);
  EXPECT_EQ(g->GetCount(), 0);
  EXPECT_TRUE(InRepository(g).empty());
  EXPECT_FALSE(g->IsDeleted());
  EXPECT_EQ(g->m_rect, kZero);
  // The last member taken out by the repository alone: no rectangle is left
  // over the area where the member was.
  SSymGroup* h = Group();
  SSymRectangle* m = Member(SSymRect(5000, 6000, 9000, 5000));
  h->Add(m->Sym());
  EXPECT_EQ(h->m_rect, m->m_rect);
  SRepCollection* col = h->FindCollection(SymAttr::Symbols);
  ASSERT_EQ(col->Remove(0), S_OK);
  EXPECT_EQ(h->GetCount(), 0);
  EXPECT_FALSE(h->IsDeleted());
  EXPECT_EQ(h->m_rect, kZero);
  EXPECT_EQ(h->Sym()->GetClipRect(1, 1), kZero);
}

TEST_F(CompGroup, NestedGroupsContainAndFollowTheirMembers) {
  SSymGroup* outer = Group();
  SSymGroup* inner = New<SSymGroup>(CLSID_SSymGroup);
  SSymRectangle* deep = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* near = Member(SSymRect(2000, 1000, 3000, 0));
  inner->Add(deep->Sym());
  outer->Add(inner->Sym());
  outer->Add(near->Sym());
  EXPECT_TRUE(outer->Contains(near->Sym(), 0));
  EXPECT_FALSE(outer->Contains(deep->Sym(), 0));
  EXPECT_TRUE(outer->Contains(deep->Sym(), 1));
  EXPECT_FALSE(outer->Contains(nullptr, 1));
  // A member moved inside the inner group: its resize reaches both.
  deep->MoveBy(SSymSize(-5000, 0), 0);
  ASSERT_EQ(inner->SymResize(deep->Sym()), S_OK);
  EXPECT_EQ(inner->m_rect, SSymRect(-5000, 1000, -4000, 0));
  EXPECT_EQ(outer->m_rect, SSymRect(-5000, 1000, 3000, 0));
  // A member's redraw reaches the diagram through the groups.
  SComOut<ISSymOwner> top;
  ISSymOwner* t = nullptr;
  inner->GetTopOwner(&t);
  top = SComOut<ISSymOwner>(t);
  EXPECT_TRUE(SRepAreSameObjects(top.Get(), Diagram()));
}

TEST_F(CompGroup, MembersLiveInTheRepositoryAndInMemoryThroughUndo) {
  SSymGroup* g = Group();
  SSymRectangle* a = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Member(SSymRect(2000, 1000, 3000, 0));
  g->Add(a->Sym());
  {
    SRepCreateContext step(Session());
    g->Add(b->Sym());
  }
  EXPECT_EQ(InMemory(g), InRepository(g));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(InMemory(g), (std::vector<ISSymbol*>{a->Sym()}));
  EXPECT_EQ(g->m_rect, a->m_rect);
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(InMemory(g), (std::vector<ISSymbol*>{a->Sym(), b->Sym()}));
  EXPECT_EQ(InMemory(g), InRepository(g));
  // A duplicate holds copies of the members in both places.
  ISRepObject* copy = nullptr;
  ASSERT_EQ(g->Duplicate(&copy, TRUE), S_OK);
  auto* dup = dynamic_cast<SSymGroup*>(SRepObject::FromInterface(copy));
  ASSERT_NE(dup, nullptr);
  EXPECT_EQ(dup->GetCount(), 2);
  EXPECT_EQ(InMemory(dup), InRepository(dup));
  EXPECT_FALSE(dup->Contains(a->Sym(), 0));
  copy->Delete();
  copy->Release();
  EXPECT_EQ(g->Duplicate(nullptr, TRUE), E_POINTER);
}

TEST_F(CompGroup, AGroupOfACollectionHoldsItsMembersInBothPlaces) {
  SSymRectangle* a = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Member(SSymRect(2000, 1000, 3000, 0));
  SSymCollection col;
  col.Add(a->Sym());
  col.Add(b->Sym());
  SSymGroup* g = nullptr;
  ASSERT_EQ(SSymGroup::CreateFromCollection(col, Session(), &g), S_OK);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(InMemory(g), InRepository(g));
  EXPECT_EQ(g->GetCount(), 2);
  EXPECT_EQ(g->m_rect, SSymRect(0, 1000, 3000, 0));
  g->Obj()->Delete();
  g->Release();
}

TEST_F(CompGroup, DeletingAGroupDeletesItsMembersButAPlainCompositeDoesNot) {
  SSymRectangle* a = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Member(SSymRect(2000, 1000, 3000, 0));
  SSymComposite* c = Composite({a, b});
  ASSERT_EQ(c->Obj()->Delete(), S_OK);
  EXPECT_FALSE(a->IsDeleted());
  EXPECT_EQ(c->GetCount(), 0);
  SSymGroup* g = Group();
  g->Add(a->Sym());
  g->Add(b->Sym());
  ASSERT_EQ(g->Obj()->Delete(), S_OK);
  EXPECT_TRUE(a->IsDeleted());
  EXPECT_TRUE(b->IsDeleted());
  EXPECT_EQ(g->GetCount(), 0);
}

// ---- drawing, moving, transforming ---------------------------------------------------------------
TEST_F(CompGroup, AGroupDrawsItsMembersLinksFirst) {
  SSymGroup* g = Group();
  SSymRectangle* a = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Member(SSymRect(3000, 1000, 4000, 0));
  SSymLinkBase* l = Link(a, b, SSymListPt({SSymPoint(1000, 500), SSymPoint(3000, 500)}));
  g->Add(a->Sym());
  g->Add(b->Sym());
  g->Add(l->Sym());
  RecordingCanvas canvas;
  EXPECT_EQ(g->Draw(canvas), S_OK);
  const int line = canvas.IndexOf("Polyline");
  const int first = canvas.IndexOf("Rectangle 0 1000 1000 0");
  const int second = canvas.IndexOf("Rectangle 3000 1000 4000 0");
  ASSERT_GE(line, 0);
  ASSERT_GE(first, 0);
  EXPECT_LT(line, first);
  EXPECT_LT(first, second);
  // Hidden with its members: nothing is drawn.
  g->Show(0);
  EXPECT_TRUE(a->IsHidden());
  canvas.ClearCalls();
  EXPECT_EQ(g->Draw(canvas), 1);
  EXPECT_TRUE(canvas.Only("Rectangle").empty());
  g->Show(1);
  EXPECT_FALSE(b->IsHidden());
}

TEST_F(CompGroup, MovingAndTransformingTakeEveryMember) {
  SSymGroup* g = Group();
  SSymRectangle* a = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Member(SSymRect(2000, 3000, 3000, 2000));
  g->Add(a->Sym());
  g->Add(b->Sym());
  // A link from outside attached to the group follows the group's move.
  SSymRectangle* outside = Box(SSymRect(10000, 1000, 11000, 0));
  m_diagram->Add(outside->Sym());
  SSymLinkBase* l = Link(g, outside, SSymListPt({SSymPoint(3000, 2500), SSymPoint(10000, 500)}));
  ASSERT_EQ(g->MoveBy(SSymSize(100, -200), 0), S_OK);
  EXPECT_EQ(a->m_rect, SSymRect(100, 800, 1100, -200));
  EXPECT_EQ(b->m_rect, SSymRect(2100, 2800, 3100, 1800));
  EXPECT_EQ(g->m_rect, SSymRect(100, 2800, 3100, -200));
  EXPECT_EQ(l->ListPt[0], SSymPoint(3100, 2300));
  // Twice as wide about the group's left edge.
  SSymMatrix m;
  m.SetTransform(g->m_rect, SSymRect(100, 2800, 6100, -200));
  ASSERT_EQ(g->Transform(m, 0), S_OK);
  EXPECT_EQ(g->m_rect, SSymRect(100, 2800, 6100, -200));
  EXPECT_EQ(a->m_rect, SSymRect(100, 800, 2100, -200));
  EXPECT_EQ(b->m_rect, SSymRect(4100, 2800, 6100, 1800));
  // Undone as one step: the members come back with the group.
  {
    SRepCreateContext step(Session());
    g->MoveBy(SSymSize(5000, 0), 1);
  }
  EXPECT_EQ(a->m_rect, SSymRect(5100, 800, 7100, -200));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(a->m_rect, SSymRect(100, 800, 2100, -200));
  EXPECT_EQ(g->m_rect, SSymRect(100, 2800, 6100, -200));
}

TEST_F(CompGroup, ALockoutDefersMembershipAndMovesUntilItApplies) {
  SSymGroup* g = Group();
  SSymRectangle* a = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Member(SSymRect(2000, 1000, 3000, 0));
  g->Add(a->Sym());
  {
    SRepLockoutContext lock(Session());
    ASSERT_TRUE(g->InLockoutContext());
    ASSERT_EQ(g->Add(b->Sym()), S_OK);
    EXPECT_EQ(InMemory(g), (std::vector<ISSymbol*>{a->Sym()}));
    // Refused by the base: the pending record makes the move later.
    ASSERT_EQ(g->MoveBy(SSymSize(500, 0), 0), S_OK);
    EXPECT_EQ(a->m_rect, SSymRect(0, 1000, 1000, 0));
    ASSERT_EQ(lock.Apply(), S_OK);
  }
  EXPECT_EQ(InMemory(g), InRepository(g));
  EXPECT_EQ(g->GetCount(), 2);
  EXPECT_EQ(a->m_rect, SSymRect(500, 1000, 1500, 0));
  EXPECT_EQ(b->m_rect, SSymRect(2500, 1000, 3500, 0));
  EXPECT_EQ(g->m_rect, SSymRect(500, 1000, 3500, 0));
}

// ---- formats ---------------------------------------------------------------------------------------
TEST_F(CompGroup, FormatsReachEveryMember) {
  SSymGroup* g = Group();
  SSymRectangle* a = Member(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Member(SSymRect(2000, 3000, 3000, 2000));
  // An empty group takes no format.
  SSymFormatEx red;
  red.m_flags =
      SSymFormatEx::FlagPen | SSymFormatEx::FlagBrush | SSymFormatEx::FlagShadowColor | SSymFormatEx::FlagShadowStyle;
  red.m_pen = SSymPen(1, 40, SSymColor(0x0000FF));
  red.m_brush = SSymBrush(SSymColor(0x00FFFF));
  red.m_shadowColor = SSymColor(0x123456);
  red.m_shadowStyle = 1;
  SSymFonts font;
  font.m_font = SSymFont(SString(u"Courier New"), 12);
  red.m_fonts.Add(font);
  EXPECT_EQ(g->SetFormat(red), S_OK);
  g->Add(a->Sym());
  g->Add(b->Sym());
  ASSERT_EQ(g->SetFormat(red), S_OK);
  for (SSymRectangle* r : {a, b}) {
    EXPECT_EQ(r->m_pen.m_color.GetColor(), 0x0000FFu);
    EXPECT_EQ(r->m_pen.m_width, 40);
    EXPECT_EQ(r->GetBrush().m_color.GetColor(), 0x00FFFFu);
    EXPECT_EQ(r->GetShadow().m_color.GetColor(), 0x123456u);
    EXPECT_EQ(r->GetShadowStyle(), 1);
    EXPECT_EQ(r->GetFont().GetFaceName(), SString(u"Courier New"));
  }
  SSymFormatEx back;
  ASSERT_EQ(g->GetFormat(back), S_OK);
  EXPECT_EQ(back.m_flags & red.m_flags, red.m_flags);
  EXPECT_EQ(back.m_pen.m_color.GetColor(), 0x0000FFu);
  EXPECT_EQ(back.m_brush.m_color.GetColor(), 0x00FFFFu);
  EXPECT_EQ(back.m_shadowColor.GetColor(), 0x123456u);
  ASSERT_EQ(back.m_fonts.GetCount(), 1);
  EXPECT_EQ(back.m_fonts.GetAt(0).m_font.GetFaceName(), SString(u"Courier New"));
  // The shadow the members took (style 1: 300 to the right and downward)
  // widens their clip rectangles, which the group fits at once.
  EXPECT_EQ(back.m_size, SSymSize(3301, 3301));
  // Members that differ report the mixed pen.
  b->SetPen(SSymPen(1, 80, SSymColor(0x00FF00)), 0);
  const SSymPen mixed = g->GetPen();
  EXPECT_EQ(mixed.m_width, -1);
  EXPECT_EQ(mixed.m_color.GetColor(), SSymCollection::MixedColor);
  // The fill mode is the group's own.
  ASSERT_EQ(g->SetFillMode(1), S_OK);
  EXPECT_EQ(g->GetFillMode(), 0);
  EXPECT_EQ(a->GetFillMode(), 1);
}

}  // namespace
