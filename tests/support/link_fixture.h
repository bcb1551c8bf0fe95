// A session with rectangles joined by links of the link base: boxes and
// links made on the session, links attached outside any context, and the
// ends let go before the objects are released (links and their end symbols
// hold each other). LinkFixtureOf puts the same helpers over another session
// fixture (one that also makes composites).
#pragma once

#include <vector>

#include "kvrep/srepsession.h"
#include "support/symtest.h"
#include "sym/foundation/symclassreg.h"
#include "sym/links/symlinkbase.h"
#include "sym/links/symlinkstd.h"
#include "sym/shapes/symrectfamily.h"

// The link base and the standard link are abstract to the repository: the
// session makes only the concrete links. The tests of their behaviour use
// these concrete classes, made on the session by the standard creation
// function, in their place.
template <class L>
class TLinkOf : public L {
 public:
  explicit TLinkOf(ISRepSession* session) : L(session) {}
};
using TLinkBase = TLinkOf<SSymLinkBase>;
using TLinkStd = TLinkOf<SSymLinkStd>;

template <class Base = SymFixture>
class LinkFixtureOf : public Base {
 protected:
  using Base::Session;
  void SetUp() override {
    Base::SetUp();
    g_nLinkAttachPointMode = 0;
  }
  void TearDown() override {
    {
      SCurrentContextChange outside(Session(), nullptr);
      for (ISRepObject* o : m_own)
        if (auto* l = dynamic_cast<SSymLinkBase*>(SRepObject::FromInterface(o)); l && !l->IsDeleted()) {
          l->DetachEnd(0);
          l->DetachEnd(1);
        }
    }
    for (auto it = m_own.rbegin(); it != m_own.rend(); ++it) (*it)->Release();
    m_own.clear();
    g_nLinkAttachPointMode = -1;
    Base::TearDown();
  }
  template <class T>
  T* New(REFCLSID clsid) {
    void* p = nullptr;
    EXPECT_EQ(this->m_session->CreateObject(clsid, IID_ISRepObject, &p), S_OK);
    return Own<T>(static_cast<ISRepObject*>(p));
  }
  // A link of the link base (L = SSymLinkBase) or the standard link
  // (L = SSymLinkStd), made as the concrete test class on the session.
  template <class L>
  L* NewLink() {
    ISRepObject* obj = nullptr;
    EXPECT_EQ(SSymCreateStd<TLinkOf<L>>(&obj, Session(), nullptr), S_OK);
    return Own<L>(obj);
  }
  SSymRectangle* Box(const SSymRect& r) {
    auto* b = New<SSymRectangle>(CLSID_SSymRectangle);
    b->m_rect = r;
    return b;
  }
  // A link of class clsid (the link base unless told; the link base and the
  // standard link as their concrete test classes) from a to b along pts (no
  // arrowhead), made outside any context; the points are set again after
  // attaching, so the link starts exactly on pts.
  SSymLinkBase* Link(SSymBase* a, SSymBase* b, SSymListPt pts, LONG lineStyle = 0,
                     REFCLSID clsid = CLSID_SSymLinkBase) {
    SCurrentContextChange outside(Session(), nullptr);
    SSymLinkBase* l = clsid == CLSID_SSymLinkBase  ? NewLink<SSymLinkBase>()
                      : clsid == CLSID_SSymLinkStd ? NewLink<SSymLinkStd>()
                                                   : New<SSymLinkBase>(clsid);
    l->DelSymArrow(3);
    l->ListPt = pts;
    EXPECT_EQ(l->AttachSym(0, a->Linkable(), pts[0]), S_OK);
    EXPECT_EQ(l->AttachSym(1, b->Linkable(), pts[pts.GetCount() - 1]), S_OK);
    l->LineStyle = lineStyle;
    l->ListPt = pts;
    return l;
  }
  // A box and a link put in the session's diagram.
  SSymRectangle* PutBox(const SSymRect& r) {
    SSymRectangle* b = Box(r);
    this->m_diagram->Add(b->Sym());
    return b;
  }
  SSymLinkBase* PutLink(SSymBase* a, SSymBase* b, SSymListPt pts) {
    SSymLinkBase* l = Link(a, b, pts);
    this->m_diagram->Add(l->Sym());
    return l;
  }
  static ISSymbol* End(SSymLinkBase* l, int end) {
    SComOut<ISSymbol> s;
    l->GetAttachSym(end, &s);
    return s.Get();
  }
  static SSymPoint Last(SSymLinkBase* l) { return l->ListPt[l->ListPt.GetCount() - 1]; }
  // Keeps obj for the tear-down; obj as a T (null when none was made).
  template <class T>
  T* Own(ISRepObject* obj) {
    if (!obj) return nullptr;
    m_own.push_back(obj);
    return dynamic_cast<T*>(SRepObject::FromInterface(obj));
  }
  std::vector<ISRepObject*> m_own;
};

using LinkFixture = LinkFixtureOf<>;
