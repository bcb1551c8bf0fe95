// The base symbol: attribute defaults and result codes, interfaces, the
// property map, lockout-aware rectangle and visibility, copies.
#include "sym/render/symcanv.h"
#include "support/symtest.h"

using SymBase = SymFixture;

TEST_F(SymBase, AttributeDefaultsAndResultCodes) {
  TSym* s = Make<TSym>();
  struct Case {
    LONG id;
    HRESULT hr;
    LONG value;
  } cases[] = {
      {0x02010007, S_OK, 0x211},     // text style
      {0x020100B2, S_OK, 0x767676},  // gradient end colour
      {0x02010020, S_OK, 1},         // brush style
      {0x02010019, S_OK, -1},        // line colour: none
      {0x0201001A, S_OK, 1},         // dash style
      {0x020100B3, S_OK, 12},        // picture fill mode
      {0x0200141A, S_OK, 1000},      // distance
      {0x02010009, S_OK, 1},         // auto-adjusted
      {0x02010012, S_OK, 0},         // flags
      {0x0100000A, E_NOTIMPL, 0},
      {0x02010008, E_NOTIMPL, 0},
      {0x0201000A, E_NOTIMPL, 0},
  };
  for (const Case& c : cases) {
    SRepVariant v;
    EXPECT_EQ(s->GetAttributeDefault(c.id, &v), c.hr) << std::hex << c.id;
    if (c.hr == S_OK) {
      EXPECT_EQ(v.GetLONG(), c.value) << std::hex << c.id;
    }
  }
  SRepVariant rect;
  ASSERT_EQ(s->GetAttributeDefault(SymAttr::ClipRect, &rect), S_OK);
  EXPECT_EQ(SSymBase::RectOf(rect), SSymRect(0, 0, 4800, 3600));
  SRepVariant untouched = SRepVariant::Long(77);
  EXPECT_EQ(s->GetAttributeDefault(-1, &untouched), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(untouched.GetLONG(), 77);
  SRepVariant v;
  EXPECT_EQ(s->GetAttributeDefault(0x0777ABCD, &v), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(s->GetAttributeDefault(SymAttr::ClipRect, nullptr), E_POINTER);

  // Attributes the symbol has, by its faces.
  EXPECT_EQ(s->HasAttribute(SymAttr::ClipRect), S_OK);
  EXPECT_EQ(s->HasAttribute(SymAttr::Pos), S_OK);
  EXPECT_EQ(s->HasAttribute(0x02010019), S_FALSE);  // line colour needs a pen
  EXPECT_EQ(s->HasAttribute(0x0777ABCD), S_FALSE);
  TRich* r = Make<TRich>();
  EXPECT_EQ(r->HasAttribute(0x02010018), S_OK);  // shadow style
  EXPECT_EQ(r->HasAttribute(0x020100B9), S_OK);  // manually resized: adjust face
  TLink* l = Make<TLink>();
  EXPECT_EQ(l->HasAttribute(SymAttr::Size), S_FALSE);  // point lists have no size
}

TEST_F(SymBase, InterfacesAndIdentity) {
  TSym* s = Make<TSym>();
  IUnknown* faces[] = {s->Sym(), s->Linkable(), s->Obj()};
  for (IUnknown* f : faces) {
    IUnknown* u = nullptr;
    ASSERT_EQ(f->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u)), S_OK);
    EXPECT_EQ(u, static_cast<IUnknown*>(s->Sym()));
    u->Release();
    EXPECT_EQ(SSymBase::FromInterface(f), s);
  }
  void* p = nullptr;
  for (const IID* iid : {&IID_ISSymbolInit, &IID_ISSymTooltip, &IID_ISSymEditInPlace}) {
    ASSERT_EQ(s->QueryInterface(*iid, &p), S_OK);
    EXPECT_EQ(p, static_cast<void*>(s->Sym()));
    s->Release();
  }
  // Linkable only while the linkable bit is set.
  s->m_display &= ~static_cast<DWORD>(SSymBase::DispLinkable);
  EXPECT_EQ(s->QueryInterface(IID_ISSymLinkable, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(s->QueryInterface(IID_ISRepObject, &p), S_OK);
  s->Release();
  EXPECT_EQ(s->QueryInterface(IID_SSymBase, &p), S_OK);
  EXPECT_EQ(p, static_cast<void*>(s));
  s->Release();
}

TEST_F(SymBase, PropertyMapAccessors) {
  TSym* s = Place(DiagramOwner());
  ISRepObject* o = s->Obj();
  SRepVariant v;
  ASSERT_EQ(o->GetAttribute(SymAttr::Pos, &v), S_OK);
  EXPECT_EQ(v.GetPOINT(), (SRep_Point{2400, 1800}));
  ASSERT_EQ(o->GetAttribute(SymAttr::Size, &v), S_OK);
  EXPECT_EQ(v.GetPOINT(), (SRep_Point{4801, 3601}));

  SRepVariant pos;
  pos.SetPOINT(SRep_Point{2400, 1800});
  EXPECT_EQ(o->SetAttribute(SymAttr::Pos, pos), S_FALSE);  // the current centre: nothing happens
  pos.SetPOINT(SRep_Point{3400, 1700});
  EXPECT_EQ(o->SetAttribute(SymAttr::Pos, pos), S_OK);
  EXPECT_EQ(s->m_rect, SSymRect(1000, 3500, 5800, -100));

  SRepVariant size;
  size.SetPOINT(SRep_Point{4801, 3601});
  EXPECT_EQ(o->SetAttribute(SymAttr::Size, size), S_FALSE);
  ASSERT_EQ(o->SetAttribute(SymAttr::Width, SRepVariant::Long(2001)), S_OK);
  EXPECT_EQ(s->GetWidth(), 2001);
  EXPECT_EQ(s->GetHeight(), 3601);

  ASSERT_EQ(o->SetAttribute(SymAttr::Hidden, SRepVariant::Bool(true)), S_OK);
  ASSERT_EQ(o->GetAttribute(SymAttr::Hidden, &v), S_OK);
  EXPECT_TRUE(v.GetBOOL());
  ASSERT_EQ(o->SetAttribute(SymAttr::Protected, SRepVariant::Bool(true)), S_OK);
  EXPECT_TRUE(s->IsProtected());

  ASSERT_EQ(o->GetAttribute(SymAttr::Diagram, &v), S_OK);
  EXPECT_EQ(v.GetIOBJECT(), m_diagram->GetOwnerObject());
  ASSERT_EQ(o->GetAttribute(SymAttr::Name, &v), S_OK);
  EXPECT_EQ(v.GetSTRING(), SString("Rectangle"));
}

TEST_F(SymBase, RectangleWriteTransformsAttachedLinks) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner(), SSymRect(10000, 3600, 14800, 0));
  TLink* l = Place<TLink>(DiagramOwner());
  l->AttachSym(0, a->Linkable(), SSymPoint(4800, 1800));
  l->AttachSym(1, b->Linkable(), SSymPoint(10000, 1800));
  // Doubling the rectangle about its lower left corner moves the end point with it.
  ASSERT_EQ(a->SetAttrRect(SSymRect(0, 7200, 9600, 0)), S_OK);
  EXPECT_EQ(l->m_pt[0], SSymPoint(9600, 3600));
  EXPECT_EQ(l->m_pt[1], SSymPoint(10000, 1800));
}

TEST_F(SymBase, LockoutDefersMovesSizesAndVisibility) {
  TSym* s = Place(DiagramOwner());
  {
    SRepLockoutContext lock(Session());
    ASSERT_TRUE(s->InLockoutContext());
    s->MoveBy(SSymSize(100, 200), 0);
    s->Show(0);
    EXPECT_EQ(s->m_rect, SSymRect(0, 3600, 4800, 0));  // the members stay
    EXPECT_EQ(s->Flags & SSymBase::FlagHidden, 0u);
    EXPECT_EQ(s->GetClipRect(0, 0), SSymRect(100, 3800, 4900, 200));
    EXPECT_TRUE(s->IsHidden());
    s->SetAttrRect(SSymRect(0, 1000, 1000, 0));  // a pending attribute record replaces the rectangle
    EXPECT_EQ(s->GetClipRect(0, 0), SSymRect(0, 1000, 1000, 0));
    ASSERT_EQ(lock.Apply(), S_OK);
  }
  EXPECT_FALSE(s->InLockoutContext());
  EXPECT_EQ(s->m_rect, SSymRect(0, 1000, 1000, 0));
  EXPECT_TRUE(s->IsHidden());
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(s->m_rect, SSymRect(0, 3600, 4800, 0));
  EXPECT_FALSE(s->IsHidden());
}

TEST_F(SymBase, HidingHidesLinksAndOwnerHidesChildren) {
  TComp* c = Place<TComp>(DiagramOwner());
  TSym* a = Place(static_cast<ISSymOwner*>(c));
  TSym* b = Place(DiagramOwner());
  TLink* l = Place<TLink>(DiagramOwner());
  l->AttachSym(0, a->Linkable(), SSymPoint());
  l->AttachSym(1, b->Linkable(), SSymPoint());
  b->Show(0);
  EXPECT_TRUE(l->IsHidden());
  b->Show(1);
  EXPECT_FALSE(b->IsHidden());
  EXPECT_TRUE(l->IsHidden());  // links stay hidden
  c->Show(0);
  EXPECT_TRUE(a->IsHidden());
  EXPECT_EQ(a->Flags & SSymBase::FlagHidden, 0u);
  // Protection is for top-level symbols only.
  a->ProtectSymbol(1);
  EXPECT_FALSE(a->IsProtected());
  b->ProtectSymbol(1);
  EXPECT_TRUE(b->IsProtected());
}

TEST_F(SymBase, CopyHasNoLinksNorOwnerAndInitialisesOnce) {
  TSym* a = Place(DiagramOwner());
  TLink* l = Place<TLink>(DiagramOwner());
  l->AttachSym(0, a->Linkable(), SSymPoint());
  a->Flags = 0x1A;
  a->m_display = SSymBase::DispLinkable | 0x40;
  TSym copy(*a);
  copy.AddRef();
  EXPECT_EQ(copy.GetLinks().GetCount(), 0);
  EXPECT_TRUE(copy.m_owner.IsNull());
  EXPECT_EQ(copy.Flags, 0x1Au);
  EXPECT_EQ(copy.m_display, SSymBase::DispLinkable | 0x10u);
  EXPECT_EQ(copy.InitialSym(nullptr), S_OK);
  EXPECT_TRUE(copy.m_display & SSymBase::DispFormatBit3);
  EXPECT_EQ(copy.InitialSym(nullptr), S_FALSE);
  EXPECT_EQ(a->GetDispName(), SString("Rectangle"));
}

TEST_F(SymBase, DeleteDetachesLinksAndDropsLinkable) {
  TSym* a = Place(DiagramOwner());
  TLink* l = Place<TLink>(DiagramOwner());
  l->AttachSym(0, a->Linkable(), SSymPoint());
  ASSERT_EQ(a->Obj()->Delete(), S_OK);
  EXPECT_TRUE(l->m_end[0].IsNull());
  EXPECT_EQ(a->GetLinks().GetCount(), 0);
  void* p = nullptr;
  EXPECT_EQ(a->QueryInterface(IID_ISSymLinkable, &p), E_NOINTERFACE);
}

namespace {
// A canvas of 10 diagram units per pixel that keeps its invalidations.
class TCanvas : public SSymCanvas {
 public:
  SSymSize DPtoVP(SIZE s) const override { return SSymSize(s.cx * 10, s.cy * 10); }
  void InvalidateRectLP(const SSymRect& r, int) override { m_invalid.push_back(r); }
  std::vector<SSymRect> m_invalid;
};
}  // namespace

TEST_F(SymBase, CanvasRectanglesHitsAndRedraw) {
  TSym* s = Place(DiagramOwner());
  TCanvas canvas;
  EXPECT_EQ(s->GetActiveRect(canvas, 1), SSymRect(-60, 3660, 4860, -60));
  EXPECT_TRUE(s->IsVisibleInRect(canvas, SSymRect(4850, 100, 9000, 0)));
  EXPECT_FALSE(s->IsVisibleInRect(canvas, SSymRect(4900, 100, 9000, 0)));
  int second = 7;
  s->DrawIfVisible(canvas, SSymRect(9000, 100, 9900, 0), &second);
  EXPECT_EQ(second, 0);

  s->Redraw(&canvas);
  ASSERT_EQ(canvas.m_invalid.size(), 1u);
  EXPECT_EQ(canvas.m_invalid[0], s->GetActiveRect(canvas, 1));
  s->m_state |= SSymBase::StateNoRedraw;
  s->Redraw(&canvas);
  EXPECT_EQ(canvas.m_invalid.size(), 1u);

  int handle = -2;
  EXPECT_TRUE(s->IsPtInSym(canvas, SSymPoint(4800, 1800), &handle, nullptr));  // right-middle handle
  EXPECT_EQ(handle, 3);
  s->m_display |= SSymBase::DispLockHandlesA;
  EXPECT_TRUE(s->IsPtInSym(canvas, SSymPoint(4800, 1800), &handle, nullptr));
  EXPECT_EQ(handle, -1);
  EXPECT_TRUE(s->IsPtInSym(canvas, SSymPoint(4870, 3670), nullptr, nullptr));  // within 75 units
  EXPECT_FALSE(s->IsPtInSym(canvas, SSymPoint(4880, 1800), nullptr, nullptr));
  ISSymbol* sub = s->Sym();
  EXPECT_FALSE(s->IsPtInSym(canvas, SSymPoint(9000, 1800), nullptr, &sub));
  EXPECT_EQ(sub, nullptr);
  s->Show(0);
  EXPECT_FALSE(s->IsPtInSym(canvas, SSymPoint(4800, 1800), &handle, nullptr));
  EXPECT_FALSE(s->IsVisibleInRect(canvas, SSymRect(0, 100, 100, 0)));
  EXPECT_FALSE(s->IsLinkPtInSym(canvas, SSymPoint(10, 10), nullptr, 0));
}

TEST_F(SymBase, TextInDisplayNameAndRelatedObjects) {
  TRich* r = Place<TRich>(DiagramOwner());
  r->m_text = SString("first\r\nsecond\nthird");
  EXPECT_EQ(r->GetDispName(), SString("Rectangle: first second third"));
  EXPECT_EQ(r->GetName(), r->GetDispName());
  r->m_text = SString(std::string(400, 'x').c_str());
  EXPECT_EQ(r->GetDispName().GetLength(), 253);

  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner());
  TSym* c = Place(DiagramOwner());
  TLink* ab = Place<TLink>(DiagramOwner());
  TLink* ac = Place<TLink>(DiagramOwner());
  ab->AttachSym(0, a->Linkable(), SSymPoint());
  ab->AttachSym(1, b->Linkable(), SSymPoint());
  ac->AttachSym(0, a->Linkable(), SSymPoint());
  ac->AttachSym(1, c->Linkable(), SSymPoint());
  SRepListObject all;
  ASSERT_EQ(a->GetRelatedObjectList(&all, nullptr, 0, nullptr, 0, 0), S_OK);
  EXPECT_EQ(all.GetCount(), 2);
  SRepBagObject bag;
  bag.Add(a->Obj());
  bag.Add(b->Obj());
  SRepListObject inBag;
  a->GetRelatedObjectList(&inBag, nullptr, 0, &bag, 0, 0);
  ASSERT_EQ(inBag.GetCount(), 1);
  EXPECT_EQ(inBag.GetAt(0), ab->Obj());
  SRepListObject ends;
  ab->GetRelatedObjectList(&ends, nullptr, 0, &bag, 0, 0);  // a link names its two ends
  EXPECT_EQ(ends.GetCount(), 2);
  EXPECT_EQ(a->GetRelatedObjectList(nullptr, nullptr, 0, nullptr, 0, 0), E_INVALIDARG);
  SRepListObject none;
  a->GetRelatedObjectList(&none, nullptr, 0, nullptr, 0, 1);
  EXPECT_EQ(none.GetCount(), 0);
}

TEST_F(SymBase, CopiedAttributesTakeFormatVisibilityAndSize) {
  TRich* from = Place<TRich>(DiagramOwner());
  TRich* to = Place<TRich>(DiagramOwner());
  from->m_pen = SSymPen(3, 7, SSymColor(0x00FF00));
  from->SetAttrRect(SSymRect(0, 1000, 2000, 0));
  from->Show(0);
  ASSERT_EQ(to->CopySymAttributes(from->Sym(), 1), S_OK);
  EXPECT_EQ(to->m_pen, from->m_pen);
  EXPECT_TRUE(to->IsHidden());
  EXPECT_EQ(to->GetSize(), (SRep_Point{2001, 1001}));
  EXPECT_EQ(to->CopySymAttributes(nullptr, 1), S_OK);
  EXPECT_EQ(to->CopySymAttributes(to->Sym(), 1), S_OK);
}

TEST_F(SymBase, ForcedSizeChangeWithoutStepMakesItsOwnStep) {
  TSym* s = Place(DiagramOwner());
  const int steps = m_session->GetUndoCount();
  class Probe : public TSym {
   public:
    using TSym::CreateUndoSizeInfo;
    using TSym::TSym;
  };
  auto* p = Place<Probe>(DiagramOwner());
  EXPECT_EQ(p->CreateUndoSizeInfo(SSymRect(0, 100, 100, 0), 1), 0);  // the record made the change
  EXPECT_EQ(p->m_rect, SSymRect(0, 100, 100, 0));
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(p->m_rect, SSymRect(0, 3600, 4800, 0));
  (void)s;
}

TEST_F(SymBase, OtherSessionsAndGlobalLockoutSwitch) {
  SRepSession* other = new SRepSession();
  other->AddRef();
  {
    auto* stranger = new TSym(static_cast<ISRepSession*>(other));
    stranger->AddRef();
    stranger->SetSession(other);
    EXPECT_NE(DiagramOwner()->Add(stranger->Sym()), S_OK);  // refused by the repository
    EXPECT_FALSE(DiagramOwner()->Contains(stranger->Sym(), 1));
    EXPECT_TRUE(stranger->m_owner.IsNull());
    stranger->Release();
  }
  other->Release();

  TSym* s = Place(DiagramOwner());
  SRepLockoutContext lock(Session());
  EXPECT_TRUE(s->InLockoutContext());
  SSymBase::g_bUpdAllInLockout = true;
  EXPECT_FALSE(s->InLockoutContext());
  ASSERT_EQ(s->SetAttrRect(SSymRect(0, 10, 10, 0)), S_OK);  // stored at once
  EXPECT_EQ(s->m_rect, SSymRect(0, 10, 10, 0));
  EXPECT_NE(s->MDAT, 0);
  SSymBase::g_bUpdAllInLockout = false;
}

// A rectangle that spans the whole coordinate range (as a damaged stream may
// set it) gives a position and a move without overflowing.
TEST_F(SymBase, PositionOfAHugeRectangle) {
  TSym* s = Make<TSym>(SSymRect(-2147483647, 2147483647, 2147483647, -2147483647));
  const SRep_Point p = s->GetPos();
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  s->SetPos(SRep_Point{2147483647, -2147483647});
  // Its size saturates, and size and format writes start from that.
  EXPECT_EQ(s->GetSize(), (SRep_Point{2147483647, 2147483647}));
  s->SetHeight(100);
  s->SetWidth(100);
  EXPECT_EQ(s->GetSize(), (SRep_Point{100, 100}));
  SSymFormatEx f;
  s->GetFormat(f);
  s->GetClipRectWithBorder();
}
