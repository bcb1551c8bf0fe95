// A session with rectangles joined by links of the link base: boxes and
// links made through the session's class functions, links attached outside
// any context, and the ends let go before the objects are released (links
// and their end symbols hold each other). LinkFixtureOf puts the same
// helpers over another session fixture (one that also makes composites).
#pragma once

#include <vector>

#include "kvrep/srepsession.h"
#include "support/symtest.h"
#include "sym/links/symlinkbase.h"
#include "sym/shapes/symrectfamily.h"

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
    auto* obj = static_cast<ISRepObject*>(p);
    m_own.push_back(obj);
    return dynamic_cast<T*>(SRepObject::FromInterface(obj));
  }
  SSymRectangle* Box(const SSymRect& r) {
    auto* b = New<SSymRectangle>(CLSID_SSymRectangle);
    b->m_rect = r;
    return b;
  }
  // A link of class clsid (the link base unless told) from a to b along pts
  // (no arrowhead), made outside any context;
  // the points are set again after attaching, so the link starts exactly on
  // pts.
  SSymLinkBase* Link(SSymBase* a, SSymBase* b, SSymListPt pts, LONG lineStyle = 0,
                     REFCLSID clsid = CLSID_SSymLinkBase) {
    SCurrentContextChange outside(Session(), nullptr);
    auto* l = New<SSymLinkBase>(clsid);
    l->DelSymArrow(3);
    l->ListPt = pts;
    EXPECT_EQ(l->AttachSym(0, a->Linkable(), pts[0]), S_OK);
    EXPECT_EQ(l->AttachSym(1, b->Linkable(), pts[pts.GetCount() - 1]), S_OK);
    l->LineStyle = lineStyle;
    l->ListPt = pts;
    return l;
  }
  static ISSymbol* End(SSymLinkBase* l, int end) {
    SComOut<ISSymbol> s;
    l->GetAttachSym(end, &s);
    return s.Get();
  }
  static SSymPoint Last(SSymLinkBase* l) { return l->ListPt[l->ListPt.GetCount() - 1]; }
  std::vector<ISRepObject*> m_own;
};

using LinkFixture = LinkFixtureOf<>;
