// Compartment test kit: a repository symbol that holds a group of
// compartments and answers the host's compartment face (sizes, margins, the
// sub-object list, per-compartment adjustment) and the parent sink, with an
// elliptic outline on request; and a box compartment whose measured size is
// scripted (it keeps its top-left corner, as a text does).
#pragma once

#include <functional>

#include "support/subs_fixture.h"
#include "support/symtest.h"
#include "sym/foundation/symgeom.h"
#include "sym/subobjects/symsubgroup.h"
#include "sym/symbol/symintfhost.h"

class THost : public SRepFaces<THost, TSym, ISSymSubSym, ISSymSubSink> {
 public:
  explicit THost(ISRepSession* s, SSymRect r = SSymRect(0, 10000, 10000, 0)) : SRepFaces(s, r), m_group(Sym()) {}

  HRESULT Draw(SSymCanvas& canvas) override {
    m_group.DrawSubSymbol(canvas);
    return S_OK;
  }
  // ---- ISSymSubSym
  int IsSubSymReady() override { return 1; }
  int PrepareSubSym() override { return 0; }
  int AdjustSubSymRect(SSymRect&) override { return 0; }
  int SubSymReserved() override { return 0; }
  int GetSubSymSize(LONG*, LONG*) override { return 0; }
  int GetSubSymMinSize(LONG* w, LONG* h) override {
    *w = m_minW;
    *h = m_minH;
    return m_minW || m_minH;
  }
  int GetSubSymMargins(LONG* l, LONG* r, LONG* t, LONG* b) override {
    *l = *r = *t = *b = m_margin;
    return m_margin != 0;
  }
  int GetSubSymList(STable<SSymSubsFonts*>& list, int nested) override {
    const int before = list.GetCount();
    m_group.GetSubSymList(list, nested);
    return list.GetCount() - before;
  }
  int GetSubSymCount(int nested) override { return m_group.GetCount(nested); }
  SSymSubsFonts* GetSubSymbol(int index, int nested) override { return m_group.GetSubSymbol(index, nested); }
  int AdjustSubSymbol(SSymSubsFonts* sub, SSymRect* rect, SSymCanvas&) override {
    if (m_adjust) m_adjust(sub, *rect);
    return 1;
  }
  // ---- ISSymSubSink
  HRESULT OnSubSymResize(ISSymbol*, int) override { return S_OK; }
  HRESULT OnSubSymMove(ISSymbol*, int) override { return S_OK; }
  HRESULT RedrawSubSym(ISSymbol*) override { return S_OK; }
  int IsSubSink() override { return 1; }
  // ---- the outline: the rectangle's, or its ellipse
  BOOL GetIntersection(const SSymSegment& seg, SSymPoint* out) override {
    if (!m_ellipse) return TSym::GetIntersection(seg, out);
    SSymRect r = GetClipRect(0, 0);
    r.Normalize();
    return IntersectsEllipse(seg, r, out) ? 1 : 0;
  }

  // Adds a compartment to the group (or to a layout), parent set and not
  // counted: the group holds the compartment, the compartment only points back.
  template <class T>
  T* Add(T* sub, SSymSubGroup* group = nullptr) {
    sub->AddRef();
    sub->SetParent(static_cast<ISSymSubSink*>(this), false);
    (group ? group : &m_group)->Add(sub);
    return sub;
  }

  SSymSubGroup m_group;
  LONG m_minW = 0, m_minH = 0, m_margin = 0;
  bool m_ellipse = false;
  std::function<void(SSymSubsFonts*, SSymRect&)> m_adjust;
};

// A compartment of a scripted size: measuring keeps the top-left corner and
// takes the size (exclusive extents); kind as given.
class TBox : public TSub {
 public:
  TBox(LONG w, LONG h, LONG kind = 1) : m_w(w), m_h(h) { _SetKind(kind); }
  HRESULT DrawOrAdjust(SSymCanvas& canvas, int adjust) override {
    if (!adjust) return TSub::DrawOrAdjust(canvas, 0);
    SSymRect r = m_rect;
    r.Normalize();
    m_rect = SSymRect(r.x1, r.y1, r.x1 + m_w, r.y1 - m_h);
    return S_OK;
  }
  BOOL IsEmpty() const override { return m_empty; }
  LONG m_w, m_h;
  bool m_empty = false;
};
