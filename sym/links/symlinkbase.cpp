#include "sym/links/symlinkbase.h"

#include <cstdlib>
#include <optional>
#include <utility>

#include "kvcore/scascade.h"
#include "kvcore/sflagscope.h"
#include "kvlib/suserregistry.h"
#include "kvrep/sreppropmap.h"
#include "kvrep/srepregistry.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/sympropmap.h"
#include "sym/foundation/symstrings.h"
#include "sym/links/symlinkutil.h"
#include "sym/render/symclip.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfowner.h"

int g_nLinkAttachPointMode = -1;
bool g_bCheckLinkEndsOnDraw = true;

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
constexpr LONG kColSrc = 0x0201000E;
constexpr LONG kColDst = 0x0201000F;
constexpr LONG kAttrSrc = 0x02010040;
constexpr LONG kAttrDst = 0x02010041;
LONG ColOf(int end) { return end == 0 ? kColSrc : kColDst; }

// Set while a recomputed route is written: a recomputation started meanwhile
// (by the write itself) returns at once. Restored by a scope, also when the
// write throws, so one failure never stops re-routing for good.
bool g_bInLinkRecompute = false;
class FlagFor {
 public:
  FlagFor(bool& flag, bool value) : m_flag(flag), m_prev(flag) { m_flag = value; }
  ~FlagFor() { m_flag = m_prev; }
  FlagFor(const FlagFor&) = delete;
  FlagFor& operator=(const FlagFor&) = delete;

 private:
  bool& m_flag;
  bool m_prev;
};

bool Near(const SSymPoint& a, const SSymPoint& b) {
  return std::llabs(static_cast<long long>(a.x) - b.x) + std::llabs(static_cast<long long>(a.y) - b.y) <
         SSymLinkBase::NearDistance;
}
bool SameObject(IUnknown* a, IUnknown* b) { return a == b || (a && b && SRepAreSameObjects(a, b)); }
bool Answers(IUnknown* unk, REFIID iid) {
  if (!unk) return false;
  void* p = nullptr;
  if (FAILED(unk->QueryInterface(iid, &p)) || !p) return false;
  static_cast<IUnknown*>(p)->Release();
  return true;
}
SSymRect BoundsOf(ISSymbol* s, int withShadow = 0) {
  SSymRect r = s->GetClipRect(withShadow, 0);
  r.Normalize();
  return r;
}
bool SameList(const SSymListPt& a, const SSymListPt& b) {
  if (a.GetCount() != b.GetCount()) return false;
  for (int i = 0; i < a.GetCount(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

HRESULT GetSrcThunk(SRepObject* o, SRepVariant& out) {
  out.SetIOBJECT(static_cast<SSymLinkBase*>(o)->GetSrc());
  return S_OK;
}
HRESULT SetSrcThunk(SRepObject* o, const SRepVariant& in) { return static_cast<SSymLinkBase*>(o)->SetSrc(in.GetIOBJECT()); }
HRESULT GetDstThunk(SRepObject* o, SRepVariant& out) {
  out.SetIOBJECT(static_cast<SSymLinkBase*>(o)->GetDst());
  return S_OK;
}
HRESULT SetDstThunk(SRepObject* o, const SRepVariant& in) { return static_cast<SSymLinkBase*>(o)->SetDst(in.GetIOBJECT()); }
}  // namespace

int SSymGetLinkAttachPointMode() {
  if (g_nLinkAttachPointMode < 0) {
    long mode = 0;
    SUserRegistry reg(SUserRegistry::sApplicationRoot + SString("ModelOptions\\Tool"));
    reg.GetProfile(SString("LinkSymbolAttachPointMode"), &mode, 0);
    g_nLinkAttachPointMode = static_cast<int>(mode);
  }
  return g_nLinkAttachPointMode;
}

KV_SYM_ACCESSORS(SSymLinkBase) {
  KV_SYM_THUNKS(Src, &GetSrcThunk, &SetSrcThunk);
  KV_SYM_THUNKS(Dst, &GetDstThunk, &SetDstThunk);
};
KV_SYM_DEFINE_CLASS_TABLES(SSymLinkBase)
KV_SYM_IMPLEMENT_POOL(SSymLinkBase, g_symClasses[SYMCLS_SSymLinkBase].poolBlocks);
// Only the concrete link classes are made through the session.
KV_SYM_REGISTER(SSymLinkBase, nullptr);

// ---- construction --------------------------------------------------------------------------------------------
SSymLinkBase::SSymLinkBase(ISSymLinkable* src, ISSymLinkable* dst, const SSymListPt& pts, int arrowMask, int arrow,
                           ISRepSession* session, const CLSID& clsid)
    : SRepFaces(pts, session, clsid) {
  SetSymArrow(arrowMask, arrow, 0);
  RepObjWrap s(src);
  if (AddSymCollection(s.Get(), kColSrc)) {
    RepObjWrap d(dst);
    AddSymCollection(d.Get(), kColDst);
  }
}

SSymLinkBase::SSymLinkBase(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) {
  AddSymArrow(3, 0);
}

SSymLinkBase::SSymLinkBase(const SSymLinkBase& source) : SRepFaces(source) {}

SSymLinkBase::~SSymLinkBase() = default;

// ---- the end collections -----------------------------------------------------------------------------------
void SSymLinkBase::DefineEndCollections() {
  // The ends are references, not children: without these definitions the
  // repository would treat the end symbols as owned by the link and delete
  // them with it.
  SRepRegistry* reg = GetRegistry();
  if (!reg) return;
  for (LONG id : {kColSrc, kColDst})
    if (!reg->GetClassColDef(id)) reg->GetClassDef()->AddCollection(id, SRepCol_Ordered, CLSID_SSymBase);
}

int SSymLinkBase::AddSymCollection(ISRepObject* obj, LONG id) {
  DefineEndCollections();
  SComOut<ISRepClassCol> col;
  if (FAILED(GetCollection(id, &col)) || !col) return 0;
  for (LONG n = col->GetCount(); n > 0; --n) col->Remove(0);
  if (!obj) return 0;
  return col->Insert(obj, -1) == S_OK ? 1 : 0;
}

ISRepObject* SSymLinkBase::GetEndObject(int end) {
  SComWrap<ISSymLinkable> l = EndLinkable(end);
  return l.IsNull() ? nullptr : SSymGetRepObject(SComWrap<ISSymbol>(l).Get());
}

HRESULT SSymLinkBase::SetEndObject(int end, ISRepObject* obj) {
  if (!Answers(obj, IID_ISSymLinkable)) return E_FAIL;
  if (SameObject(obj, Obj())) return E_INVALIDARG;  // no end on the link itself
  DefineEndCollections();
  SComOut<ISRepClassCol> col;
  if (FAILED(GetCollection(ColOf(end), &col)) || !col) return E_INVALIDARG;
  const LONG n = col->GetCount();
  if (n > 0) {
    SComOut<ISRepObject> last;
    if (SUCCEEDED(col->Item(n - 1, &last)) && SameObject(last.Get(), obj)) return S_OK;
    const HRESULT hr = col->Remove(n - 1);
    if (FAILED(hr)) return hr;
  }
  const HRESULT hr = col->Insert(obj, -1);
  if (FAILED(hr)) return hr;
  if (ISRepContext* ctx = OpenContext(); ctx && !ctx->IsRecording()) ctx->LockObject(Obj());
  return S_OK;
}

SComWrap<ISSymLinkable> SSymLinkBase::EndLinkable(int end) {
  end = end == 0 ? 0 : 1;
  if (!GetSessionImpl()) return m_linkable[end];
  if (InLockoutContext()) {
    if (SRepContext* ctx = GetSessionImpl()->Current()) {
      SRepVariant v;
      if (ctx->OverlayPending(this, {SRepFacet::LinkEnd(end)}, v) > 0) return SComWrap<ISSymLinkable>(v.GetIOBJECT());
    }
  }
  if (!m_linkable[end].IsNull()) return m_linkable[end];
  SRepCollection* col = FindCollection(ColOf(end));
  if (!col || col->GetCount() == 0) return SComWrap<ISSymLinkable>();
  return SComWrap<ISSymLinkable>(static_cast<ISRepObjectBase*>(col->GetAt(col->GetCount() - 1)));
}

void SSymLinkBase::AttachSymbol(int end, ISSymLinkable* linkable) {
  // Also an end read from a stream: the link would hold itself and never be freed.
  if (!linkable || SameObject(linkable, Obj())) return;
  end = end == 0 ? 0 : 1;
  DetachSymbol(end);
  m_endSymbol[end] = SComWrap<ISSymbol>(linkable);
  m_linkable[end] = linkable;
  if (!SameObject(m_endSymbol[end].Get(), m_endSymbol[1 - end].Get())) linkable->AttachLink(this);
  if (!m_endSymbol[end].IsNull() && m_endSymbol[end]->IsHidden()) Show(0);
  MoveUnderExpectedSymbolParent(Sym());
  MarkModified();
}

void SSymLinkBase::DetachSymbol(int end) {
  end = end == 0 ? 0 : 1;
  if (m_endSymbol[end].IsNull() && m_linkable[end].IsNull()) return;
  SComWrap<ISSymLinkable> old = m_linkable[end];
  const bool shared = SameObject(m_endSymbol[end].Get(), m_endSymbol[1 - end].Get());
  m_endSymbol[end] = nullptr;
  m_linkable[end] = nullptr;
  if (!old.IsNull() && !shared) old->DetachLink(this);
}

void SSymLinkBase::OnCollectionInsert(LONG id, ISRepObject* other, int pos) {
  if ((id == kColSrc || id == kColDst) && !InLockoutContext()) {
    const int end = id == kColSrc ? 0 : 1;
    SComWrap<ISSymLinkable> linkable(other);
    if (pos != 0) {
      if (SRepCollection* col = FindCollection(id); col && col->GetCount() > 1) {
        SComOut<ISRepClassCol> face;
        if (SUCCEEDED(GetCollection(id, &face)) && face) face->Remove(0);
      }
    }
    SComWrap<ISSymbol> sym(other);
    SSymPoint c;
    if (!sym.IsNull()) c = BoundsOf(sym.Get()).GetCenter();
    if (ListPt.GetCount() < 2) {
      if (end == 0) ListPt.Insert(0, c);
      else ListPt.Add(c);
      SSymPoint q = EndPoint(end);
      if (!linkable.IsNull() && linkable->GetDefAttachPt(this, end, q)) EndPoint(end) = q;
    }
    bool redraw = false;
    if (!sym.IsNull() && !Answers(sym.Get(), IID_ISSymComplex) && ListPt.GetCount() >= (end == 0 ? 1 : 2) &&
        !BoundsOf(sym.Get()).PtInRect(EndPoint(end))) {
      Redraw(nullptr);
      redraw = true;
      SSymPoint q = end == 0 ? EndPoint(0) : c;
      if (!linkable.IsNull() && linkable->GetDefAttachPt(this, end, q)) EndPoint(end) = q;
    }
    AttachSymbol(end, linkable.Get());
    if (redraw) {
      RecomputeClipRect(0, 0);
      Redraw(nullptr);
    }
  }
  SSymPolyBase::OnCollectionInsert(id, other, pos);
  // The rectangle leaves room for line bridges only in a diagram that shows
  // them: a link made outside its diagram takes that room on entering it, as
  // any later recomputation would give it (else an undo that moves the link
  // back would not give its rectangle before).
  if (id == SymAttr::ParentColl && !InLockoutContext()) RecomputeClipRect(0, 0);
}

void SSymLinkBase::OnCollectionRemove(LONG id, ISRepObject* other) {
  if (!InLockoutContext()) {
    if (id == kColSrc) DetachSymbol(0);
    else if (id == kColDst) DetachSymbol(1);
  }
  SSymPolyBase::OnCollectionRemove(id, other);
}

// ---- ISSymLink -------------------------------------------------------------------------------------------------
HRESULT SSymLinkBase::GetAttachSym(int end, ISSymbol** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  SComWrap<ISSymbol> s(EndLinkable(end));
  if (!s.IsNull()) {
    *out = s.Get();
    (*out)->AddRef();
  }
  return S_OK;
}

HRESULT SSymLinkBase::GetAttachPoint(SSymPoint& pt, int end) {
  pt = SSymPoint();
  if (ListPt.GetCount() < (end == 0 ? 1 : 2)) return S_OK;
  pt = EndPoint(end);
  return S_OK;
}

HRESULT SSymLinkBase::AttachSym(int end, ISSymLinkable* linkable, const SSymPoint& pt) {
  end = end == 0 ? 0 : 1;
  RepObjWrap obj(linkable);
  if (linkable && obj.IsNull()) return E_FAIL;
  // An end on the link itself would make the link follow its own moves.
  if (obj.Get() && SameObject(obj.Get(), Obj())) return E_INVALIDARG;
  SSymPoint formerPt;
  GetAttachPoint(formerPt, end);
  SSymActionAttach* record = nullptr;  // owned by the context
  if (ISRepContext* ctx = OpenContext()) {
    if (ctx->IsRecording()) {
      auto action = std::make_unique<SSymActionAttach>(this, end, m_linkable[end].Get(), formerPt, linkable, pt);
      record = action.get();
      if (ctx->AddAction(std::move(action)) != S_OK) record = nullptr;
    } else if (InLockoutContext()) {
      SComWrap<ISSymLinkable> now = EndLinkable(end);
      ctx->AddAction(std::make_unique<SSymActionAttach>(this, end, linkable, pt, now.Get(), formerPt));
      return S_OK;
    }
  }
  Redraw(nullptr);
  if (!SameObject(m_linkable[end].Get(), linkable)) {
    DefineEndCollections();
    SComOut<ISRepClassCol> col;
    if (FAILED(GetCollection(ColOf(end), &col)) || !col) return E_INVALIDARG;
    // Checked before the collection is touched: a refused symbol leaves the
    // former end in place.
    if (obj.Get() && !Answers(obj.Get(), IID_ISSymLinkable)) return E_FAIL;
    for (LONG n = col->GetCount(); n > 0; --n) col->Remove(0);
    if (obj.Get()) {
      const HRESULT hr = col->Insert(obj.Get(), -1);
      if (FAILED(hr)) return hr;
    }
  }
  if (ListPt.GetCount() >= 2) SetAttachPoint(end, pt, 0);
  // A redo gives the point the end got here (moved off the points of
  // parallel links, say), not the one asked: a replay makes no such choice.
  if (record) GetAttachPoint(record->m_ptB, end);
  Redraw(nullptr);
  return S_OK;
}

HRESULT SSymLinkBase::DetachSym(ISSymLinkable*) {
  Redraw(nullptr);
  return Delete();
}

HRESULT SSymLinkBase::DetachEnd(int end) {
  end = end == 0 ? 0 : 1;
  if (ISRepContext* ctx = OpenContext(); ctx && InLockoutContext() && !ctx->IsRecording()) {
    SSymPoint pt;
    GetAttachPoint(pt, end);
    SComWrap<ISSymLinkable> now = EndLinkable(end);
    ctx->AddAction(std::make_unique<SSymActionAttach>(this, end, nullptr, pt, now.Get(), pt));
    return S_OK;
  }
  if (!IsDeleted()) AddSymCollection(nullptr, ColOf(end));
  DetachSymbol(end);
  return S_OK;
}

HRESULT SSymLinkBase::InverseLink() {
  SComWrap<ISSymLinkable> a = EndLinkable(0);
  SComWrap<ISSymLinkable> b = EndLinkable(1);
  if (a.IsNull() || b.IsNull()) return E_FAIL;
  SSymListPt reversed = ListPt;
  reversed.Invert();
  if (ISRepContext* ctx = OpenContext(); ctx && ctx->IsRecording() && !ListPt.IsEmpty())
    ctx->AddAction(std::make_unique<SSymActionPoly>(Sym(), ListPt));
  ListPt = reversed;
  if (a.Get() != b.Get()) {
    RepObjWrap ao(a), bo(b);
    // Both collections are emptied first, so that neither symbol is briefly
    // attached at both ends.
    AddSymCollection(nullptr, kColSrc);
    AddSymCollection(nullptr, kColDst);
    SetSrc(bo.Get());
    SetDst(ao.Get());
  }
  RecomputeClipRect(0, 0);
  Redraw(nullptr);
  return S_OK;
}

int SSymLinkBase::GetNotationValue(int* values) {
  if (!values) return 0;
  values[0] = 24;
  values[1] = 24;
  values[2] = 0;
  values[3] = 1;
  return 1;
}

int SSymLinkBase::IsSelfLink(ISSymbol* a, ISSymbol* b, int* container) {
  if (!a || !b) return 0;
  if (container) *container = 0;
  if (a == b || SameObject(a, b)) return 1;
  if (Answers(a, IID_ISSymCompSym)) {
    SComWrap<ISSymOwner> owner(a);
    if (!owner.IsNull() && owner->Contains(b, 1)) return 1;
  }
  if (Answers(b, IID_ISSymCompSym)) {
    SComWrap<ISSymOwner> owner(b);
    if (!owner.IsNull() && owner->Contains(a, 1)) {
      if (container) *container = 1;
      return 1;
    }
  }
  return 0;
}

// ---- repository ----------------------------------------------------------------------------------------------
HRESULT SSymLinkBase::CanSetAttribute(LONG id, const SRepVariant& value, SString* message) {
  if ((id == kAttrSrc || id == kAttrDst) && !Answers(value.GetIOBJECT(), IID_ISSymLinkable)) {
    if (message) *message = SSymLoadString(1415);
    return E_FAIL;
  }
  return S_OK;
}

HRESULT SSymLinkBase::SetAttribute(LONG id, const SRepVariant& value) {
  if (id == kAttrSrc || id == kAttrDst) {
    const HRESULT hr = CanSetAttribute(id, value, nullptr);
    if (FAILED(hr)) return hr;
  }
  return SSymPolyBase::SetAttribute(id, value);
}

HRESULT SSymLinkBase::HasAttribute(LONG id) {
  if (id == kAttrSrc || id == kAttrDst) return S_OK;
  return SSymPolyBase::HasAttribute(id);
}

HRESULT SSymLinkBase::Delete() {
  if (_IsDeletedOrInContext()) return SSymPolyBase::Delete();
  AddRef();
  const HRESULT hr = SSymPolyBase::Delete();
  DetachSymbol(0);
  DetachSymbol(1);
  Release();
  return hr;
}

HRESULT SSymLinkBase::Duplicate(ISRepObject** out, ISRepSession* session, DWORD flags, SSymObjectMap* map) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ISRepObject* copy = nullptr;
  HRESULT hr = SRepObjectMem::Duplicate(&copy, FALSE);
  if (FAILED(hr)) return hr;
  (void)session;
  if (flags & DupWithEnds) {
    auto* link = dynamic_cast<SSymLinkBase*>(SRepObject::FromInterface(copy));
    if (!link) {
      copy->Release();
      return E_FAIL;
    }
    for (int end = 0; end < 2; ++end) {
      ISRepObject* original = GetEndObject(end);
      ISRepObject* endCopy = nullptr;
      bool owned = false;
      if (original && map) {
        auto it = map->find(original);
        if (it != map->end()) endCopy = it->second;
      }
      if (!endCopy && original) {
        hr = original->Duplicate(&endCopy, FALSE);
        if (FAILED(hr)) {
          copy->Release();
          return hr;
        }
        owned = true;
        if (map) (*map)[original] = endCopy;
      }
      link->AddSymCollection(endCopy, ColOf(end));
      if (owned && !map) endCopy->Release();
    }
  }
  *out = copy;
  return S_OK;
}

HRESULT SSymLinkBase::Show(int show) {
  if (show && (Flags & FlagHidden))
    for (auto& s : m_endSymbol)
      if (!s.IsNull()) s->Show(show);
  return SSymPolyBase::Show(show);
}

bool SSymLinkBase::ShowsBridges() {
  SComOut<ISSymDiagram> diagram;
  if (FAILED(Sym()->GetDiagram(&diagram)) || !diagram) return false;
  const ISSymDispPref* pref = SSymGetDispPrefPtr(diagram.Get());
  return pref && pref->ShowsLinkIntersections();
}

// ---- routing ----------------------------------------------------------------------------------------------------
void SSymLinkBase::RecomputePoints(int a, int b, int c, int d) {
  if (g_bInLinkRecompute || m_endSymbol[0].IsNull() || m_endSymbol[1].IsNull()) return;
  if (IsSymInMovingSelection(Sym()) && IsSymInMovingSelection(m_endSymbol[0].Get()) &&
      IsSymInMovingSelection(m_endSymbol[1].Get()))
    return;
  SComWrap<ISSymbol> src = m_endSymbol[0], dst = m_endSymbol[1];
  const bool routed = LineStyle == SSymLineStyle::Corner || LineStyle == SSymLineStyle::RoundCorner;
  int container = 0;
  const bool self = IsSelfLink(src.Get(), dst.Get(), &container) != 0;
  ISSymbol* anchor = container ? dst.Get() : src.Get();
  bool groupOwned = false;
  {
    SComOut<ISSymGroup> group;
    groupOwned = SUCCEEDED(Sym()->GetGroupOwner(&group, 0)) && group;
  }
  const bool reroute = ((self || routed) && c && !groupOwned) ||
                       (routed && (IsSymInSwimlane(src.Get()) || IsSymInSwimlane(dst.Get())));
  if (reroute && ListPt.GetCount() >= 2) {
    const SSymRect R = BoundsOf(anchor);
    SSymListPt L = ListPt;
    const int n = L.GetCount();
    if (self && R.PtInRect(L[0])) {
      if (n < 4) {
        const SSymPoint p0 = L[0], pn = L[n - 1];
        L = SSymListPt{p0, SSymPoint(R.x2 + 1800, p0.y), SSymPoint(R.x2 + 1800, R.y1 + 1800),
                       SSymPoint(pn.x, R.y1 + 1800), pn};
      } else if (routed) {
        L.FormatLink(1, 1, R, R);
      }
    } else {
      SSymRect S = R, D = BoundsOf(dst.Get());
      if (IsEndPointFixed(0)) S = SSymRect(L[0].x - 100, L[0].y + 100, L[0].x + 100, L[0].y - 100);
      else if (IsEndPointFixed(1))
        D = SSymRect(L[n - 1].x - 100, L[n - 1].y + 100, L[n - 1].x + 100, L[n - 1].y - 100);
      L.FormatLink(0, 0, S, D);
      bool moved[2] = {false, false};
      if (!L.IsEmpty() && !ListPt.IsEmpty()) {
        for (int end = 0; end < 2; ++end) {
          SSymPoint& mine = end == 0 ? L[0] : L[L.GetCount() - 1];
          const SSymPoint stored = EndPoint(end);
          if (mine == stored) continue;
          SComWrap<ISSymLinkable> l = EndLinkable(end);
          if (l.IsNull()) return;
          SSymPoint q = mine;
          if (l->GetDefAttachPt(this, end, q)) {
            moved[end] = q != stored;
            if (Near(q, stored)) mine = stored;
          }
        }
      }
      if (moved[0] || moved[1]) L.FormatLink(moved[0] ? 1 : 0, moved[1] ? 1 : 0, R, BoundsOf(dst.Get()));
    }
    if (!SameList(L, ListPt)) {
      FlagFor guard(g_bInLinkRecompute, true);
      // A route rewritten while an undo, redo or lockout is being applied is
      // written as part of that step: its context is current for the write.
      std::optional<SCurrentContextChange> applying;
      if (SRepSession* s = GetSessionImpl(); s && !s->Current())
        if (ISRepContext* ctx = SRepGetApplyingContext(s)) applying.emplace(s, ctx);
      SetListPt(L, d, 0, 0);
    }
  }
  if (LineStyle != 0 || a) RecomputeClipRect(b, 0);
}

void SSymLinkBase::SetPtSym(int end, SSymPoint pt) {
  end = end == 0 ? 0 : 1;
  if (ListPt.IsEmpty()) return;
  if (!m_endSymbol[end].IsNull()) {
    const SSymRect R = BoundsOf(m_endSymbol[end].Get(), 1);
    if (Answers(m_endSymbol[end].Get(), IID_ISSymComplex)) {
      const LONG cx = static_cast<LONG>((static_cast<long long>(R.x1) + R.x2) / 2);
      if (std::llabs(static_cast<long long>(pt.x) - cx) > 600) pt.x = cx;
    } else if (!R.PtInRect(pt)) {
      if (m_linkable[end].IsNull()) pt = R.GetCenter();
      else m_linkable[end]->GetDefAttachPt(this, end, pt);
    }
  }
  if (!m_linkable[end].IsNull() && !IsInUndoContext()) m_linkable[end]->GetDefAttachPt(this, end, pt);
  EndPoint(end) = pt;
}

HRESULT SSymLinkBase::SetAttachPoint(int end, const SSymPoint& pt, int redraw) {
  if (ListPt.IsEmpty()) return S_OK;
  if (redraw) Redraw(nullptr);
  const SSymPoint former = EndPoint(end);
  const int count = ListPt.GetCount();
  EndPoint(end) = pt;
  SetPtSym(end, pt);
  RecomputePoints(1, 0, 1, 1);
  if (ListPt.GetCount() != count || EndPoint(end) != former) MarkModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymLinkBase::SetAttachPoint(ISSymLinkable* linkable, const SSymPoint& pt, int redraw) {
  if (ListPt.IsEmpty()) return S_OK;
  if (redraw) Redraw(nullptr);
  for (int end = 0; end < 2; ++end)
    if (!m_linkable[end].IsNull() && SameObject(m_linkable[end].Get(), linkable)) SetPtSym(end, pt);
  RecomputePoints(1, 0, 1, 1);
  MarkModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymLinkBase::MoveLinkPt(ISSymLinkable* moved, const SSymSize& offset, int redraw) {
  if (offset.cx == 0 && offset.cy == 0) return S_OK;
  if (ListPt.IsEmpty()) return S_OK;
  bool follow = true;
  ISRepContext* ctx = OpenContext();
  if (!ctx) ctx = SRepSession::m_pUndoContext;
  if (ctx) {
    if (auto* move = dynamic_cast<SSymActionMove*>(ctx->GetLastAction());
        move && move->m_type == SSymAction_Move && move->Contains(Sym()))
      follow = false;
  }
  if (redraw) Redraw(nullptr);
  int last = -1;
  for (int end = 0; end < 2; ++end) {
    if (m_linkable[end].IsNull() || !SameObject(m_linkable[end].Get(), moved)) continue;
    SSymPoint p;
    GetAttachPoint(p, end);
    p.x += offset.cx;
    p.y += offset.cy;
    if (follow) {
      SetPtSym(end, p);
    } else {
      SSymListPt copy = ListPt;
      copy[end == 0 ? 0 : copy.GetCount() - 1] = p;
      SetListPt(copy, 1, 0, 0);
    }
    last = end;
  }
  if (follow && !IsInUndoContext() && ListPt.GetCount() == 2) {
    const int other = last == 0 ? 1 : 0;
    if (!m_linkable[other].IsNull()) {
      SSymPoint q = EndPoint(other);
      if (m_linkable[other]->GetDefAttachPt(this, other, q)) SetPtSym(other, q);
    }
  }
  if (!ctx || IsSymInMovingSelection(Sym())) follow = false;
  if (g_IsCascadeAllowed()) RecomputePoints(1, 0, follow ? 1 : 0, 1);
  else RecomputeClipRect(0, 1);
  MarkModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymLinkBase::TransformLinkPt(ISSymLinkable* linkable, const SSymMatrix& m, int redraw) {
  if (redraw) Redraw(nullptr);
  for (int end = 0; end < 2 && !ListPt.IsEmpty(); ++end) {
    if (m_linkable[end].IsNull() || !SameObject(m_linkable[end].Get(), linkable)) continue;
    if (m_endSymbol[end].IsNull()) continue;
    SSymPoint p = m.Transform(EndPoint(end));
    const SSymRect R = BoundsOf(m_endSymbol[end].Get(), 1);
    if (!R.PtInRect(p)) continue;
    m_linkable[end]->GetDefAttachPt(this, end, p);
    if (p == EndPoint(end)) continue;
    const int mode = SSymGetLinkAttachPointMode();
    const bool two = ListPt.GetCount() == 2;
    const bool routed = LineStyle == SSymLineStyle::Corner || LineStyle == SSymLineStyle::RoundCorner;
    bool aligned = false;
    if (two) {
      const long long dx = std::llabs(static_cast<long long>(ListPt[1].x) - ListPt[0].x);
      const long long dy = std::llabs(static_cast<long long>(ListPt[1].y) - ListPt[0].y);
      aligned = std::min(dx, dy) < NearDistance;
    }
    bool keepTest = false;
    switch (mode) {
      case 1: keepTest = two && aligned; break;
      case 2: keepTest = two && routed; break;
      case 3: keepTest = routed; break;
      case 4: keepTest = routed || (two && aligned); break;
      case 5:
      case 6: keepTest = true; break;
      default: keepTest = false; break;
    }
    if (keepTest) {
      // The end stays where it is while it is still inside the symbol and
      // the symbol would attach it there.
      const SSymPoint q = EndPoint(end);
      if (R.PtInRect(q)) {
        SSymPoint asked = q;
        m_linkable[end]->GetDefAttachPt(this, end, asked);
        if (asked == q) continue;
      }
    }
    EndPoint(end) = p;
    RecomputePoints(1, 0, 1, 1);
    MarkModified();
  }
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymLinkBase::MoveBy(const SSymSize& offset, int redraw) {
  if (!CreateUndoMove(offset)) return S_OK;
  if (ListPt.GetCount() <= 2) return S_OK;
  if (redraw) Redraw(nullptr);
  for (int i = 1; i + 1 < ListPt.GetCount(); ++i) {
    ListPt[i].x += offset.cx;
    ListPt[i].y += offset.cy;
  }
  if (g_IsCascadeAllowed()) RecomputePoints(1, 0, 0, 1);
  else RecomputeClipRect(0, 1);
  MarkModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymLinkBase::Transform(const SSymMatrix& matrix, int redraw) {
  if (!matrix.IsFinite()) return E_INVALIDARG;
  if (ListPt.GetCount() <= 2) return S_OK;
  if (redraw) Redraw(nullptr);
  for (int i = 1; i + 1 < ListPt.GetCount(); ++i) ListPt[i] = matrix.Transform(ListPt[i]);
  RecomputePoints(1, 0, 1, 1);
  MarkModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymLinkBase::SetListPt(const SSymListPt& pts, int redraw, int a, int) {
  if (pts.GetCount() < 2) return S_OK;
  const HRESULT hr = SSymPolyBase::SetListPt(pts, redraw, a, 0);
  if (!g_IsCascadeAllowed() || IsInUndoContext() || m_endSymbol[0].IsNull() || m_endSymbol[1].IsNull()) return hr;
  // A route that leaves the composite holding both ends makes the composite
  // grow around it, as a child that moved out would.
  SComOut<ISSymOwner> owner;
  if (FAILED(Sym()->GetOwner(&owner)) || !owner) return hr;
  SComWrap<ISSymCompSym> comp(owner.Get());
  SSymBase* compBase = comp.IsNull() ? nullptr : SSymBase::FromInterface(comp.Get());
  if (!compBase || (compBase->m_state & SSymBase::StateKeepChildMoves)) return hr;
  SSymRect r = compBase->GetClipRect(0, 0);
  r.Normalize();
  bool outside = false;
  for (int i = 0; i < pts.GetCount() && !outside; ++i) outside = !r.PtInRect(pts[i]);
  if (outside && owner->Contains(m_endSymbol[0].Get(), 1) && owner->Contains(m_endSymbol[1].Get(), 1))
    comp->UpdateRect();
  return hr;
}

void SSymLinkBase::UpdateListPt() {
  if (m_endSymbol[0].IsNull() || m_endSymbol[1].IsNull() || m_linkable[0].IsNull() || m_linkable[1].IsNull())
    return;
  if (!IsEndPointFixed(0)) {
    if (!Answers(m_endSymbol[0].Get(), IID_ISSymLink)) {
      const SSymRect r = BoundsOf(m_endSymbol[0].Get());
      while (ListPt.GetCount() > 2 && r.PtInRect(ListPt[1])) ListPt.Remove(0);
    }
    if (ListPt.GetCount() >= 2) {
      SSymPoint at = ListPt[0];
      if (m_linkable[0]->GetIntersection(SSymSegment(ListPt[0], ListPt[1]), &at)) ListPt[0] = at;
    }
  }
  if (!IsEndPointFixed(1)) {
    if (!Answers(m_endSymbol[1].Get(), IID_ISSymLink)) {
      const SSymRect r = BoundsOf(m_endSymbol[1].Get());
      while (ListPt.GetCount() > 2 && r.PtInRect(ListPt[ListPt.GetCount() - 2])) ListPt.Remove(ListPt.GetCount() - 1);
    }
    const int n = ListPt.GetCount();
    if (n >= 2) {
      SSymPoint at = ListPt[n - 1];
      if (m_linkable[1]->GetIntersection(SSymSegment(ListPt[n - 2], ListPt[n - 1]), &at)) ListPt[n - 1] = at;
    }
  }
}

HRESULT SSymLinkBase::DrawSymbol(SSymCanvas& canvas) {
  for (int end = 0; g_bCheckLinkEndsOnDraw && end < 2 && ListPt.GetCount() >= 2; ++end) {
    if (m_endSymbol[end].IsNull() || m_linkable[end].IsNull()) continue;
    if (Answers(m_endSymbol[end].Get(), IID_ISSymComplex) || Answers(m_endSymbol[end].Get(), IID_ISSymSlave)) continue;
    if (BoundsOf(m_endSymbol[end].Get()).PtInRect(EndPoint(end))) continue;
    SSymPoint q = EndPoint(end);
    if (m_linkable[end]->GetDefAttachPt(this, end, q)) {
      EndPoint(end) = q;
      RecomputeClipRect(0, 0);
    }
  }
  // The drawing trims the route to the outlines; the stored route is kept.
  const SSymListPt stored = ListPt;
  struct Restore {
    SSymListPt& list;
    const SSymListPt& kept;
    ~Restore() { list = kept; }
  } restore{ListPt, stored};
  return SSymPolyBase::DrawSymbol(canvas);
}

// ---- drawing over a symbol -----------------------------------------------------------------------------------
bool SSymLinkBase::GetOverSymbolClip(int fromSource, ISSymbol* symbol, SSymRect& clip) {
  if (!symbol || m_endSymbol[0].IsNull() || m_endSymbol[1].IsNull() || ListPt.IsEmpty()) return false;
  SComWrap<ISSymLinkable> linkable(symbol);
  // A swimlane is not linkable, yet links are drawn over it.
  if (linkable.IsNull() && symbol->GetSymbolType() != 12) return false;
  const SSymRect R = BoundsOf(symbol);
  if (!SameObject(symbol, m_endSymbol[0].Get()) && !SameObject(symbol, m_endSymbol[1].Get())) {
    clip = R;
    return true;
  }
  // The route from the chosen end up to where it leaves the symbol.
  const int n = ListPt.GetCount();
  const int step = fromSource == 1 ? 1 : -1;
  int i = fromSource == 1 ? 0 : n - 1;
  SSymListPt taken{ListPt[i]};
  for (i += step; i >= 0 && i < n; i += step) {
    const SSymPoint& p = ListPt[i];
    if (R.PtInRect(p) || linkable.IsNull()) {
      taken.Add(p);
      continue;
    }
    SSymPoint at;
    if (linkable->GetIntersection(SSymSegment(taken[taken.GetCount() - 1], p), &at)) taken.Add(at);
    break;
  }
  // A piece thinner than 30 units is widened to 150 so that the line's
  // width and its arrowhead are redrawn whole.
  SSymRect B = taken.GetBoundRect();
  const long long w = static_cast<long long>(B.x2) - B.x1 + 1, h = static_cast<long long>(B.y1) - B.y2 + 1;
  if (w < 30) {
    B.x1 = static_cast<LONG>(B.x1 - (150 - w) / 2);
    B.x2 = B.x1 + 149;
  }
  if (h < 30) {
    B.y2 = static_cast<LONG>(B.y2 - (150 - h) / 2);
    B.y1 = B.y2 + 149;
  }
  clip = Intersect(B, R);
  clip.Inflate(150, 150);
  return true;
}

HRESULT SSymLinkBase::DrawOverSymbol(ISSymbol* link, SSymCanvas& canvas, int fromSource, ISSymbol* symbol) {
  auto* self = link ? dynamic_cast<SSymLinkBase*>(SSymBase::FromInterface(link)) : nullptr;
  if (!self || !symbol) return E_POINTER;
  SSymRect clip;
  if (!self->GetOverSymbolClip(fromSource, symbol, clip)) return S_FALSE;
  {
    // The ends are left where they are while the link is drawn clipped; the
    // check comes back also when the drawing throws.
    FlagFor noCheck(g_bCheckLinkEndsOnDraw, false);
    SCanvasClipRgn region(canvas, clip);
    self->Draw(canvas);
  }
  self->DrawSubSymbol(canvas);
  return S_OK;
}

// ---- re-parenting --------------------------------------------------------------------------------------------
int SSymLinkBase::MoveUnderExpectedSymbolParent(ISSymbol* link) {
  auto* self = link ? dynamic_cast<SSymLinkBase*>(SSymBase::FromInterface(link)) : nullptr;
  if (!self || self->InLockoutContext()) return 0;
  if (self->m_endSymbol[0].IsNull() || self->m_endSymbol[1].IsNull()) return 0;
  SComOut<ISSymOwner> current;
  if (FAILED(link->GetOwner(&current)) || !current) return 0;
  ISSymOwner* expected = SGetCommonOwnerSym(self->m_endSymbol[0].Get(), self->m_endSymbol[1].Get());
  if (!expected || Answers(expected, IID_ISSymSwimPool) || SameObject(expected, current.Get())) return 0;
  if (SComWrap<ISSymCompSym> comp(expected); !comp.IsNull()) return SUCCEEDED(comp->Add(link)) ? 1 : 0;
  if (SComWrap<ISSymDiagram> diagram(expected); !diagram.IsNull()) {
    // Held across the move: the former owner may hold the last reference.
    // A refused add puts the link back, so it never drops out of the tree.
    SComWrap<ISSymbol> hold(link);
    if (FAILED(current->Remove(link))) return 0;
    if (SUCCEEDED(expected->Add(link))) return 1;
    current->Add(link);
    return 0;
  }
  return 0;  // any other owner is left alone
}
