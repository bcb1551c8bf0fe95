// Test symbols of the symbol core: a concrete symbol, a diagram, a composite
// group, a link and a symbol with the smaller faces (shadow, fonts, text,
// line, point list, adjust), and a fixture that owns a session.
#pragma once

#include <optional>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvrep/srepsession.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symview.h"
#include "sym/edit/symselection.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symport.h"

// Names the cases of a parametrised test after their `name` member.
struct CaseName {
  template <class P>
  std::string operator()(const ::testing::TestParamInfo<P>& info) const {
    return info.param.name;
  }
};

class TSym : public SSymBase {
 public:
  explicit TSym(ISRepSession* s, SSymRect r = SSymRect(0, 3600, 4800, 0)) : SSymBase(r, s) {}
  TSym(const TSym& o) : SSymBase(o) {}
  HRESULT Draw(SSymCanvas&) override { return S_OK; }
  int GetSymbolType() override { return m_symType; }
  HRESULT MoveBy(const SSymSize& o, int redraw) override {
    if (m_failMove) return E_FAIL;
    return SSymBase::MoveBy(o, redraw);
  }
  HRESULT Transform(const SSymMatrix& m, int redraw) override {
    if (m_failMove) return E_FAIL;
    return SSymBase::Transform(m, redraw);
  }
  HRESULT Clone(ISSymbol** out, int) override;
  int m_symType = 3;
  int m_failMove = 0;
  int m_refreshed = 0;
};

// The library's diagram with the test hooks of the symbol core's tests: one
// view a test gives it, symbols a test locks, and an owner face that
// appends (the symbol tests place symbols in the order they make them).
class TDiagram : public SRepFaces<TDiagram, SSymDiagram, ISSymOwner, SRepFaceImpl<SSymOwnerImpl>> {
 public:
  explicit TDiagram(ISRepSession* s) : SRepFaces(s) {}
  using SSymOwnerImpl::Add;
  // Notes the symbols it is asked to fit to their texts.
  BOOL AdjustSymbolToText(ISSymbol* s, int, int) override {
    m_fitted.push_back(s);
    return 0;
  }
  std::vector<ISSymbol*> m_fitted;
  SSymView* GetFirstView() override { return m_view; }
  int GetViewCount() override { return m_view ? 1 : 0; }
  SSymView* GetView(int i) override { return i == 0 ? m_view : nullptr; }
  SSymView* m_view = nullptr;  // the one view a test gives the diagram
  BOOL IsSymEditable(ISSymbol* s, ISRepObject*) override {
    for (ISSymbol* n : m_locked)
      if (n == s) return 0;
    return 1;
  }
  HRESULT Remove(ISSymbol* s) override { return SSymOwnerImpl::Remove(s); }
  BOOL Contains(ISSymbol* s, int deep) override { return SSymOwnerImpl::Contains(s, deep); }
  HRESULT GetTopOwner(ISSymOwner** out) override { return SSymOwnerImpl::GetTopOwner(out); }
  HRESULT SymResize(ISSymbol* s) override { return SSymOwnerImpl::SymResize(s); }
  HRESULT SymRedraw(ISSymbol* s) override { return SSymOwnerImpl::SymRedraw(s); }
  HRESULT CreateChildrenSym(int flag) override { return SSymOwnerImpl::CreateChildrenSym(flag); }
  ISRepObject* GetOwnerObject() override { return RepObject(); }
  ISSymbol* GetOwnerSymbol() override { return nullptr; }
  std::vector<ISSymbol*> m_locked;  // symbols that are not editable
};

// A composite group: its children are its Symbols collection.
// The composite part of a test composite over the base symbol `Base`: its
// children are its Symbols collection, and it is their owner.
template <class T, class Base>
class TCompOf : public SRepFaces<TCompOf<T, Base>, Base, ISSymCompSym, ISSymOwner> {
  using Faces = SRepFaces<TCompOf<T, Base>, Base, ISSymCompSym, ISSymOwner>;

  // The library's shared owner implementation over this composite, kept
  // apart so that the composite has one owner face.
  struct OwnerPart final : ISSymOwnerImpl<TCompOf> {
    explicit OwnerPart(TCompOf* c) : m_c(c) {}
    ~OwnerPart() = default;
    TCompOf* GetOwnerT() override { return m_c; }
    HRESULT QueryInterface(REFIID iid, void** ppv) override { return m_c->QueryInterface(iid, ppv); }
    ULONG AddRef() override { return m_c->AddRef(); }
    ULONG Release() override { return m_c->Release(); }
    TCompOf* m_c;
  };

 public:
  explicit TCompOf(ISRepSession* s, SSymRect r = SSymRect(0, 36000, 48000, 0)) : Faces(s, r), m_ownerPart(this) {}
  // ---- the owner operations (the shared owner implementation's, but Add appends)
  HRESULT Add(ISSymbol* s) override {
    SComWrap<ISRepObject, &IID_ISRepObject> o(s);
    return this->Collection(SymAttr::Symbols)->Insert(o, -1);
  }
  HRESULT Remove(ISSymbol* s) override { return m_ownerPart.Remove(s); }
  BOOL Contains(ISSymbol* s, int deep) override { return m_ownerPart.Contains(s, deep); }
  HRESULT GetTopOwner(ISSymOwner** out) override { return m_ownerPart.GetTopOwner(out); }
  HRESULT SymResize(ISSymbol* s) override { return SymRedraw(s); }
  HRESULT SymRedraw(ISSymbol* s) override {
    if (!s) return S_OK;
    ISSymOwner* top = this;
    GetTopOwner(&top);
    if (top == this) return S_OK;
    SComOut<ISSymOwner> counted(top);
    return counted->SymRedraw(s);
  }
  HRESULT CreateChildrenSym(int) override { return S_OK; }
  // ---- the composite operations the symbol tests use; the others answer nothing
  HRESULT GetAllChildren(SComTable<ISSymbol>& out, int) override {
    for (SRepObject* o : this->Collection(SymAttr::Symbols)->Items()) out.Add(SComWrap<ISSymbol>(o).Get());
    return S_OK;
  }
  int UpdateRect() override { return 0; }
  SSymRect GetChildrenRect(int) override { return SSymRect(); }
  int CanAddAsChild(ISRepObject*, LONG, const SString&) override { return 0; }
  HRESULT Remove(ISSymbol* s, int) override { return Remove(s); }
  int GetChildType(ISSymbol* s) override { return s ? 2 : -1; }
  int GetChildRect(ISSymbol*, SSymRect&) override { return 0; }
  HRESULT DrawChildren(SSymCanvas&) override { return S_OK; }
  HRESULT CompleteAllChildrenSym(int) override { return S_OK; }
  int HasAllChildrenSym(int) override { return 1; }
  int HasHiddenChildrenSym() override { return 0; }
  HRESULT CopyChildrenSym(ISSymbol*, ISSymbol*, int, SMap<ISSymbol*, ISSymbol*>*) override { return S_OK; }
  HRESULT LayoutChildrenSym(SUnsortedComBag<ISSymbol>&) override { return S_OK; }
  HRESULT RecomputeMatrix(const SSymMatrix&, SSymMatrix&) override { return S_OK; }
  HRESULT UpdateAllSubSymMdat() override { return S_OK; }
  ISSymbol* FindChildSymbol(ISRepObject*) override { return nullptr; }
  int IsExcludedChild(ISSymbol*) override { return 0; }
  ISSymbol* GetCompSymbol() override { return this->Sym(); }
  const SSymCompDef* GetCompDef() override { return nullptr; }
  // The children's area: the composite's own rectangle, or the one a test sets.
  SSymRect GetDrawRect() override { return m_childRect ? *m_childRect : this->m_rect; }
  std::optional<SSymRect> m_childRect;

 private:
  OwnerPart m_ownerPart;
};

class TComp : public SRepFaces<TComp, TCompOf<TComp, TSym>, ISSymGroup> {
 public:
  explicit TComp(ISRepSession* s, SSymRect r = SSymRect(0, 36000, 48000, 0)) : SRepFaces(s, r) { m_symType = 9; }
  // Counts the growth requests its children send.
  int UpdateRect() override {
    ++m_childChanged;
    return 0;
  }
  int GetCount() override { return Collection(SymAttr::Symbols)->GetCount(); }
  HRESULT Clear(int) override { return S_OK; }
  BOOL Contains(ISSymbol* s, int deep) override { return TCompOf::Contains(s, deep); }
  HRESULT GetListSym(SComTable<ISSymbol>& out) override { return GetAllChildren(out, 0); }
  SSymCollection* GetListSym() override { return nullptr; }
  HRESULT RecomputeClipRect(int) override {
    ++m_recomputed;
    return S_OK;
  }
  int m_childChanged = 0;
  int m_recomputed = 0;
};

// A link between two symbols: its ends and their points.
class TLink : public SRepFaces<TLink, TSym, ISSymLink, ISSymPolyline> {
 public:
  explicit TLink(ISRepSession* s) : SRepFaces(s, SSymRect(0, 0, 0, 0)) { m_symType = 8; }
  HRESULT GetAttachSym(int end, ISSymbol** out) override {
    *out = m_end[end & 1].Get();
    if (*out) (*out)->AddRef();
    return S_OK;
  }
  HRESULT GetAttachPoint(SSymPoint& pt, int end) override {
    pt = m_pt[end & 1];
    return S_OK;
  }
  HRESULT SetAttachPoint(int end, const SSymPoint& pt, int) override {
    m_pt[end & 1] = pt;
    ++m_rerouted;
    return S_OK;
  }
  HRESULT AttachSym(int end, ISSymLinkable* l, const SSymPoint& pt) override {
    DetachEnd(end);
    m_end[end & 1] = SComWrap<ISSymbol>(l);
    m_pt[end & 1] = pt;
    if (l) l->AttachLink(this);
    return S_OK;
  }
  HRESULT DetachSym(ISSymLinkable* l) override {
    for (int e = 0; e < 2; ++e)
      if (!m_end[e].IsNull() && SRepAreSameObjects(m_end[e], l)) DetachEnd(e);
    return S_OK;
  }
  HRESULT DetachEnd(int end) override {
    SComWrap<ISSymLinkable> old(m_end[end & 1]);
    m_end[end & 1] = nullptr;
    if (!old.IsNull()) old->DetachLink(this);
    return S_OK;
  }
  HRESULT MoveLinkPt(ISSymLinkable* moved, const SSymSize& o, int) override {
    for (int e = 0; e < 2; ++e)
      if (!m_end[e].IsNull() && SRepAreSameObjects(m_end[e], moved)) {
        m_pt[e].x += o.cx;
        m_pt[e].y += o.cy;
      }
    return S_OK;
  }
  HRESULT TransformLinkPt(ISSymLinkable* l, const SSymMatrix& m, int) override {
    for (int e = 0; e < 2; ++e)
      if (!m_end[e].IsNull() && SRepAreSameObjects(m_end[e], l)) m_pt[e] = m.Transform(m_pt[e]);
    return S_OK;
  }
  HRESULT InverseLink() override {
    std::swap(m_end[0], m_end[1]);
    std::swap(m_pt[0], m_pt[1]);
    return S_OK;
  }
  int GetNotationValue(int*) override { return 0; }
  HRESULT GetListPt(SSymListPt& out) override {
    out = m_list;
    return S_OK;
  }
  HRESULT SetListPt(const SSymListPt& pts, int, int) override {
    m_list = pts;
    return S_OK;
  }
  LONG GetLineStyle() override { return m_lineStyle; }
  LONG GetArrow(int end) override { return m_arrows[end == 2 ? 1 : end == 8 ? 2 : 0]; }
  HRESULT SetArrow(int end, LONG type, int) override {
    m_arrows[end == 2 ? 1 : end == 8 ? 2 : 0] = type;
    return S_OK;
  }
  LONG m_arrows[3] = {24, 24, 24};
  HRESULT Clone(ISSymbol** out, int) override {
    if (!out) return E_POINTER;
    auto* c = new TLink(GetSessionImpl());
    c->AddRef();
    c->SetSession(GetSessionImpl());
    *out = c->Sym();
    return S_OK;
  }
  SComWrap<ISSymbol> m_end[2];
  SSymPoint m_pt[2];
  SSymListPt m_list;
  LONG m_lineStyle = 1;
  int m_rerouted = 0;
};

// A symbol with the smaller faces.
class TRich : public SRepFaces<TRich, TSym, ISSymShadow, ISSymFont, ISSymText, ISSymLine, ISSymAdjust> {
 public:
  explicit TRich(ISRepSession* s) : SRepFaces(s) {}
  const SSymBrush& GetShadow() override { return m_shadowBrush; }
  HRESULT SetShadow(const SSymBrush& b, int) override {
    m_shadowBrush = b;
    return S_OK;
  }
  SHORT GetShadowStyle() override { return m_shadow; }
  HRESULT SetShadowStyle(SHORT s, int) override {
    m_shadow = s;
    return S_OK;
  }
  int IsShadowsStyleSupported(SHORT) override { return 1; }
  HRESULT DrawSymbol(SSymCanvas&) override { return S_OK; }
  HRESULT DrawShadow(SSymCanvas&) override { return S_OK; }
  HRESULT DrawSymbolInRect(SSymCanvas&, const SSymRect&) override { return S_OK; }
  HRESULT DrawShadowInRect(SSymCanvas&, const SSymRect&) override { return S_OK; }
  const SSymFont& GetFont() override { return m_font; }
  HRESULT SetFont(const SSymFont& f, int) override {
    m_font = f;
    return S_OK;
  }
  SSymColor GetFontColor() override { return m_fontColor; }
  HRESULT SetFontColor(SSymColor c, int) override {
    m_fontColor = c;
    return S_OK;
  }
  LONG GetFontStyle() override { return m_fontStyle; }
  HRESULT SetFontStyle(LONG s, int) override {
    m_fontStyle = s;
    return S_OK;
  }
  LONG GetTextStyle() override { return m_textStyle; }
  HRESULT SetTextStyle(LONG s, int) override {
    m_textStyle = s;
    return S_OK;
  }
  HRESULT GetText(SString& t) override {
    t = m_text;
    return S_OK;
  }
  HRESULT SetText(const SString& t, int) override {
    m_text = t;
    return S_OK;
  }
  HRESULT Draw(SSymCanvas& c) override { return TSym::Draw(c); }
  LONG GetLineStyle() override { return m_lineStyle; }
  HRESULT SetLineStyle(LONG s, int) override {
    m_lineStyle = s;
    return S_OK;
  }
  // The brush face under ISSymAdjust (answered as ISSymAdjust only).
  const SSymBrush& GetBrush() override { return m_brush; }
  HRESULT SetBrush(const SSymBrush& b, int) override {
    m_brush = b;
    return S_OK;
  }
  int CanFill() override { return 1; }
  int GetFillMode() override { return 1; }
  HRESULT SetFillMode(int) override { return S_OK; }
  GUID GetBackgroundPictureID() override { return GUID{}; }
  HRESULT SetBackgroundPictureID(const GUID&) override { return S_OK; }
  SPictureInfo* GetBackgroundPicture() override { return nullptr; }
  BOOL SetBackgroundPicture(SPictureInfo*) override { return 0; }
  SString GetBackgroundPictureFile() override { return SString(); }
  HRESULT SetBackgroundPictureFile(const SString&) override { return S_OK; }
  BOOL IsAdjusted() override { return m_adjusted; }
  HRESULT SetAdjust(bool a, int) override {
    m_adjusted = a;
    return S_OK;
  }
  HRESULT AdjustText(SSymCanvas& c, int a, int b) override { return TSym::AdjustText(c, a, b); }
  HRESULT AutoAdjustText(int, int) override { return S_OK; }
  HRESULT GetFormat(SSymFormatEx& f) override {
    SSymBase::GetFormat(f);
    f.m_pen = m_pen;
    return S_OK;
  }
  HRESULT SetFormat(const SSymFormatEx& f) override {
    m_pen = f.m_pen;
    return SSymBase::SetFormat(f);
  }
  SHORT m_shadow = 0;
  LONG m_fontStyle = 1, m_textStyle = 0x211, m_lineStyle = 1;
  SString m_text;
  BOOL m_adjusted = 0;
  SSymPen m_pen;
  SSymBrush m_brush, m_shadowBrush;
  SSymFont m_font;
  SSymColor m_fontColor;
};

inline HRESULT TSym::Clone(ISSymbol** out, int) {
  if (!out) {
    ++m_refreshed;
    return E_POINTER;
  }
  ISRepSession* s = GetSessionImpl();
  auto* c = new TSym(*this);
  c->AddRef();
  c->SetSession(s);
  *out = c->Sym();
  return S_OK;
}

// A session with a diagram; objects made through Make live with the session.
class SymFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    m_session = new SRepSession();
    m_session->AddRef();
    m_diagram = Make<TDiagram>();
  }
  void TearDown() override {
    for (TLink* l : m_links) {
      l->DetachEnd(0);
      l->DetachEnd(1);
    }
    for (SRepObject* o : m_made) o->Release();
    m_session->Release();
  }
  template <class T, class... A>
  T* Make(A... args) {
    T* t = new T(static_cast<ISRepSession*>(m_session), args...);
    t->AddRef();
    t->SetSession(m_session);
    m_made.push_back(t);
    if constexpr (std::is_same_v<T, TLink>) m_links.push_back(t);
    return t;
  }
  // A symbol placed in an owner (the diagram by default).
  template <class T = TSym, class... A>
  T* Place(ISSymOwner* owner, A... args) {
    T* t = Make<T>(args...);
    owner->Add(t->Sym());
    return t;
  }
  ISSymOwner* DiagramOwner() { return m_diagram; }
  ISSymDiagram* Diagram() { return m_diagram; }
  ISRepSession* Session() { return m_session; }

  SRepSession* m_session = nullptr;
  TDiagram* m_diagram = nullptr;
  std::vector<SRepObject*> m_made;
  std::vector<TLink*> m_links;
};
