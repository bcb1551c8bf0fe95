// Sub-object test kit: a concrete sub-object whose measuring is scripted, a
// repository symbol that holds sub-objects (their parent sink, with the
// adjust and verb faces), and a line label that knows its position.
#pragma once

#include <vector>

#include "support/lines_fixture.h"
#include "sym/subobjects/symsubtext.h"

// A sub-object of type 0 with a pen face that can be switched on. Adjusting
// stores m_need (or answers m_adjustResult when it is negative); GetTextSize
// gives a proposed rectangle the height m_textHeight when that is set.
class TSub : public SSymSubsFonts, public ISSymPen {
 public:
  TSub() { ++s_live; }
  explicit TSub(const SSymRect& r) : SSymSubsFonts(r) { ++s_live; }
  TSub(const TSub& o) : SSymSubsFonts(o, 0) { ++s_live; }
  ~TSub() override { --s_live; }

  HRESULT QueryInterface(REFIID iid, void** out) override { return SSymSubs::QueryInterface(iid, out); }
  ULONG AddRef() override { return SSymSubs::AddRef(); }
  ULONG Release() override { return SSymSubs::Release(); }

  HRESULT Draw(SSymCanvas& canvas) override {
    if (m_flags & (SUBS_HIDDEN | SUBS_DRAWING)) return 1;
    m_flags |= SUBS_DRAWING;
    if (!IsInitialized()) InitializeSubSym();
    const HRESULT hr = DrawOrAdjust(canvas, 0);
    m_flags &= ~SUBS_DRAWING;
    return hr;
  }
  int GetSymbolType() override { return 0; }
  HRESULT DrawOrAdjust(SSymCanvas&, int adjust) override {
    if (!adjust) {
      ++m_draws;
      return S_OK;
    }
    if (m_adjustResult < 0) return m_adjustResult;
    m_rect = m_need;
    return S_OK;
  }
  void InitValue() override {
    ++m_inits;
    m_updatingSeen = (m_flags & SUBS_UPDATING) != 0;
  }
  void GetTextSize(SSymRect& r) override {
    if (m_textHeight > 0) r.SetHeight(m_textHeight);
  }
  // Stores any rectangle, normalised or not (the base refuses the latter).
  void ForceRect(const SSymRect& r) { m_rect = r; }

  // ---- ISSymPen (answered only while m_penWidth >= 0)
  SSymPen GetPen() override { return SSymPen(1, m_penWidth, SSymColor(0)); }
  HRESULT SetPen(const SSymPen&, int) override { return S_OK; }
  int CanChangePenStyle() override { return 0; }

  ISSymbol* Sym() { return static_cast<ISSymEditInPlace*>(this); }

  SSymRect m_need;
  HRESULT m_adjustResult = S_OK;
  LONG m_textHeight = 0;
  LONG m_penWidth = -1;
  int m_draws = 0;
  int m_inits = 0;
  bool m_updatingSeen = false;
  static inline int s_live = 0;

 protected:
  void* QueryFamily(REFIID iid) override {
    if (iid == IID_ISSymPen && m_penWidth >= 0) return static_cast<ISSymPen*>(this);
    return SSymSubsFonts::QueryFamily(iid);
  }
};

// A line label that reports its position to the width bookkeeping.
class TLabel : public SSymSubText {
 protected:
  int LabelPosition() override { return GetTp(); }
};

// A repository symbol that holds sub-objects: it hears their moves and
// redraw requests, can be fitted to its texts (ISSymAdjust of TRich) and
// runs verbs.
class TSubHolder : public SRepFaces<TSubHolder, TRich, ISSymSubSink, ISVerbSource> {
 public:
  explicit TSubHolder(ISRepSession* s) : SRepFaces(s) {}
  HRESULT OnSubSymResize(ISSymbol*, int) override { return S_OK; }
  HRESULT OnSubSymMove(ISSymbol* sub, int redraw) override {
    m_moved.push_back(sub);
    m_moveRedraw = redraw;
    return S_OK;
  }
  HRESULT RedrawSubSym(ISSymbol*) override {
    ++m_subRedraws;
    return S_OK;
  }
  int IsSubSink() override { return 1; }
  HRESULT Redraw(SSymCanvas*) override {
    ++m_redraws;
    return S_OK;
  }
  HRESULT DoVerb(LONG verb, const MSG*, HWND, const RECT*) override {
    m_verbs.push_back(verb);
    return 7;
  }
  LONG EnumVerbs() override { return 0; }
  ISSymSubSink* Sink() { return this; }

  std::vector<ISSymbol*> m_moved;
  int m_moveRedraw = -1;
  int m_subRedraws = 0;
  int m_redraws = 0;
  std::vector<LONG> m_verbs;
};

// Holds one reference on a sub-object for the length of a scope.
template <class T>
struct SubRef {
  T* t;
  explicit SubRef(T* sub) : t(sub) { t->AddRef(); }
  ~SubRef() { t->Release(); }
  SubRef(const SubRef&) = delete;
  SubRef& operator=(const SubRef&) = delete;
  T* operator->() const { return t; }
};

// A line that holds labels: it notes the size notices of its labels and
// answers drops on them with m_drop.
class TLabelLine : public SRepFaces<TLabelLine, TSym, ISSymPolyline, ISSymSubSink> {
 public:
  explicit TLabelLine(ISRepSession* s) : SRepFaces(s, SSymRect(0, 0, 9000, 0)) { m_symType = 1; }
  // ---- ISSymPolyline
  HRESULT GetListPt(SSymListPt& out) override {
    out = SSymListPt();
    return S_OK;
  }
  HRESULT SetListPt(const SSymListPt&, int, int) override { return S_OK; }
  LONG GetLineStyle() override { return 1; }
  LONG GetArrow(int) override { return 24; }
  HRESULT SetArrow(int, LONG, int) override { return S_OK; }
  // ---- ISSymSubSink
  HRESULT OnSubSymResize(ISSymbol* sub, int small) override {
    m_resized.push_back(sub);
    m_small.push_back(small);
    return S_OK;
  }
  HRESULT OnSubSymMove(ISSymbol*, int) override { return S_OK; }
  HRESULT RedrawSubSym(ISSymbol*) override { return S_OK; }
  int IsSubSink() override { return 1; }
  BOOL IsDropPossible(ISSymbol* sub, SSymPoint pt) override {
    m_dropAsked = sub;
    m_dropAt = pt;
    return m_drop;
  }
  using TSym::IsDropPossible;
  ISSymSubSink* Sink() { return this; }

  std::vector<ISSymbol*> m_resized;
  std::vector<int> m_small;
  BOOL m_drop = 0;
  ISSymbol* m_dropAsked = nullptr;
  SSymPoint m_dropAt;
};
