// The composite's identity, and the measuring, growth, testing and drawing
// of its children.
#include "sym/composite/symcompimpl.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

#include "kvcore/sflagscope.h"
#include "kvrep/srepmodel.h"
#include "sym/composite/symcompupdate.h"
#include "sym/foundation/symdate.h"
#include "sym/render/symclip.h"
#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symsolid.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// Composites nest through their owners and their Symbols collections; a
// damaged repository may close a cycle. Walks up or down stop at this depth.
constexpr int kMaxDepth = 256;
thread_local int g_depth = 0;
struct DepthGuard {
  bool ok;
  DepthGuard() : ok(g_depth < kMaxDepth) { ++g_depth; }
  ~DepthGuard() { --g_depth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
};

// Symbol types that are never children: swimlane pools and lane groups.
constexpr int kTypePool = 12;
constexpr int kTypeLaneGroup = 17;
// tabType3 holding 0 stands for every type below this one.
constexpr int kTypeAllBelow = 79;

// A sum held in the coordinate range (a host's title height or a
// damaged rectangle may lie at its end).
LONG Saturate(long long v) {
  return static_cast<LONG>(std::clamp<long long>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}

template <class I>
bool Answers(IUnknown* unk) {
  return unk && !SComWrap<I>(unk).IsNull();
}

// The members of a collection (counted), so that a walk survives changes to
// it; a member already deleted (still listed while its deletion is pending)
// is no child any more.
std::vector<SComWrap<ISRepObject, &IID_ISRepObject>> Members(ISRepClassCol* col) {
  std::vector<RepObjWrap> out;
  if (!col) return out;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> item;
    if (col->Item(i, &item) == S_OK && item && !item->IsDeleted()) out.emplace_back(item.Get());
  }
  return out;
}
}  // namespace

// ---- identity -------------------------------------------------------------------------------------
HRESULT SSymCompImpl::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (iid == IID_ISSymCompSym || iid == IID_ISSymOwner) {
    *ppv = static_cast<ISSymCompSym*>(this);
    AddRef();
    return S_OK;
  }
  // The identity is the symbol's, so that two faces of one composite compare
  // equal; once the symbol is gone nothing else is answered.
  if (!m_pSymbol) return E_NOINTERFACE;
  return m_pSymbol->QueryInterface(iid, ppv);
}

ULONG SSymCompImpl::Release() {
  const ULONG left = --m_cRef;
  if (left == 0) FinalRelease();
  return left;
}

// ---- shared helpers -----------------------------------------------------------------------------------
SComOut<ISRepObject> SSymCompImpl::GetModelObject() {
  SComOut<ISRepObject> model;
  if (!m_pSymbol) return model;
  SComWrap<ISSymObject> shows(m_pSymbol->Obj());
  if (shows.IsNull() || shows->GetModelObject(&model) != S_OK) model.Reset();
  return model;
}

SComOut<ISRepClassCol> SSymCompImpl::GetSymbols() {
  SComOut<ISRepClassCol> col;
  if (m_pSymbol && m_pSymbol->GetCollection(SymAttr::Symbols, &col) != S_OK) col.Reset();
  return col;
}

// ---- measuring ------------------------------------------------------------------------------------------
SSymRect SSymCompImpl::GetChildrenRect(int header) {
  SSymRect r;
  if (!m_pSymbol || !m_pCompDef) return r;
  ISRepObject* self = m_pSymbol->Obj();
  // A composite drawn as a picture shows no children.
  SComWrap<ISSymCustomShape> custom(self);
  if (!custom.IsNull() && custom->GetCustomPicture()) return r;

  for (const RepObjWrap& item : Members(GetSymbols())) {
    SComWrap<ISSymbol> child(item.Get());
    if (child.IsNull() || Answers<ISSymLink>(child.Get())) continue;
    SComWrap<ISSymSubSym> sub(child.Get());
    if (!sub.IsNull() && sub->IsSubSymReady() == 0) sub->PrepareSubSym();
    SSymRect cr;
    if (GetChildRect(child.Get(), cr)) r = Union(r, cr);
  }
  if (r.IsDegenerate()) return r;
  r.Inflate(ChildInflate, ChildInflate);

  SComWrap<ISSymSubSym> sub(self);
  if (header && !sub.IsNull()) {
    if (m_pCompDef->nFlags & SSymCompDef::CompAdjustChildRect) sub->AdjustSubSymRect(r);
    // The title sits above the children: the top edge rises by its height.
    LONG top = r.y1 >= r.y2 ? r.y1 : r.y2;
    if (sub->IsSubSymReady() == 0) sub->PrepareSubSym();
    LONG w = 0, h = 0;
    sub->GetSubSymSize(&w, &h);
    if (h) top = Saturate(static_cast<long long>(top) + h);
    if (r.y1 >= r.y2) r.y1 = top;
    else r.y2 = top;
    r.Inflate(m_pCompDef->nMarginX, m_pCompDef->nMarginY);
  }
  return r;
}

SSymRect SSymCompImpl::GetDrawRect() {
  if (!m_pSymbol) return SSymRect();
  SSymRect r = m_pSymbol->GetClipRect(0, 0);
  r.Normalize();
  SComWrap<ISSymSubSym> sub(m_pSymbol->Obj());
  if (sub.IsNull()) return r;
  LONG w = 0, h = 0;
  sub->GetSubSymSize(&w, &h);
  r.Inflate(-75, 0);  // a composite narrower than 150 collapses to its centre
  return SSymRect(r.x1, Saturate(static_cast<long long>(r.y1) - h), r.x2, r.y2);
}

int SSymCompImpl::UpdateRect() {
  DepthGuard depth;
  // A composite that is gone, suspended or being deleted is left alone.
  if (!m_pSymbol || !depth.ok) return 1;
  if (SSymCompUpdate::CanUpdate(this) || (m_pSymbol->m_state & StateNoRectUpdate)) return 1;
  ISRepObject* self = m_pSymbol->Obj();
  if (self->IsDeleting() || self->IsDeleted()) return 1;
  if (!m_pCompDef) return 0;
  ISSymbol* sym = m_pSymbol->Sym();
  if (!SSymIsEditable(sym, nullptr, nullptr)) return 0;

  SSymRect c = GetChildrenRect(1);
  if (c.IsDegenerate() || (m_pSymbol->m_state & StateNoGrow)) return 0;
  SSymRect r = sym->GetClipRect(0, 0);
  r.Normalize();  // compared edge by edge with the normalised children rectangle

  // Edges within the snap distance of the composite's take its edges, so
  // rounding in the children never grows the composite by a few units.
  auto snap = [](LONG& edge, LONG to) {
    if (std::llabs(static_cast<long long>(edge) - to) < SnapDistance) edge = to;
  };
  snap(c.x1, r.x1);
  snap(c.x2, r.x2);
  snap(c.y2, r.y2);
  snap(c.y1, r.y1);

  const bool nested = c.ContainsRect(r) || (c.x1 <= r.x1 && c.x2 >= r.x2 && c.y2 >= r.y2 && c.y1 <= r.y1) ||
                      (c.x1 >= r.x1 && c.x2 <= r.x2 && c.y2 <= r.y2 && c.y1 >= r.y1);
  SSymRect grown = r;
  grown |= c;  // never shrinks
  SSymSolid* solid = SSymSolid::FromInterface(self);

  if (grown == r) {
    SComWrap<ISSymCustomShape> adjust(self);
    if (!adjust.IsNull() && adjust->IsAdjusted()) {
      SSymDeftCanvas canvas;
      SSymRect fit = r;
      if (adjust->GetAdjustRect(canvas, r, fit) && solid && solid->CreateUndoAdjust(0)) adjust->SetAdjust(false, 1);
    }
    return 0;
  }

  SComOut<ISRepSession> session;
  self->GetSession(&session);
  ISRepContext* applying = session ? SRepGetApplyingContext(session) : nullptr;
  const SRepVariant value = SSymBase::RectValue(grown);

  // A lane grows with its pool: the pool widens on the side the lane grew.
  // A lane inside a lane group asks past the group: the lane finds its pool.
  if (SComWrap<ISSwimlane> lane(self); !lane.IsNull()) {
    SComWrap<ISSymbol> poolSym(lane->GetPoolSym());
    if (poolSym.IsNull()) return 0;
    SComWrap<ISSymSwimPool> pool(poolSym);
    if (pool.IsNull()) return 0;  // nothing written for a lane outside a pool
    const SSymRect p = poolSym->GetClipRect(0, 0);
    SSymRect q = p;
    // Saturating: a damaged pool may sit at the end of the coordinate range.
    auto shift = [](LONG& edge, LONG to, LONG from) {
      edge = Saturate(static_cast<long long>(edge) + (static_cast<long long>(to) - from));
    };
    if (pool->IsVertical() != 0) {
      if (grown.y1 > r.y1) shift(q.y1, grown.y1, r.y1);
      if (grown.y2 < r.y2) shift(q.y2, grown.y2, r.y2);
    } else {
      if (grown.x2 > r.x2) shift(q.x2, grown.x2, r.x2);
      if (grown.x1 < r.x1) shift(q.x1, grown.x1, r.x1);
    }
    if (q != p) {
      // Onto the exact rectangle where the pool is one of ours, so that
      // rounding in the matrix never moves the far edges.
      if (SSymBase* base = SSymBase::FromInterface(poolSym.Get())) {
        base->TransformOnto(q, 1);
      } else {
        SSymMatrix m;
        m.SetTransform(p, q);
        poolSym->Transform(m, 1);
      }
    }
  }

  if (applying) {
    SCurrentContextChange scope(session.Get(), applying);
    self->SetAttribute(SymAttr::ClipRect, value);
  } else {
    struct LockoutOff final : SFlagScope {
      LockoutOff() : SFlagScope(SSymBase::g_bUpdAllInLockout, false) {}
    } off;
    self->SetAttribute(SymAttr::ClipRect, value);
  }

  if (!nested && solid && solid->IsAdjusted() && solid->CreateUndoAdjust(0)) solid->SetAdjust(false, 1);

  // Growth runs up the chain of composite owners.
  SComOut<ISSymOwner> owner;
  if (sym->GetOwner(&owner) == S_OK && owner) {
    SComWrap<ISSymCompSym> up(owner.Get());
    if (!up.IsNull() && up.Get() != this) up->UpdateRect();
  }
  return 1;
}

// ---- children --------------------------------------------------------------------------------------------
HRESULT SSymCompImpl::GetAllChildren(SComTable<ISSymbol>& out, int deep) {
  DepthGuard depth;
  if (!m_pSymbol) return E_UNEXPECTED;
  if (!depth.ok) return E_UNEXPECTED;  // a cycle: the listing stays finite
  SComOut<ISRepClassCol> col = GetSymbols();
  if (!col) return S_OK;
  HRESULT hr = S_OK;
  for (const RepObjWrap& item : Members(col)) {
    SComWrap<ISSymbol> child(item.Get());
    if (child.IsNull()) continue;
    out.Add(child.Get());
    if (!deep) continue;
    SComWrap<ISSymCompSym> sub(child.Get());
    if (!sub.IsNull() && sub.Get() != this && sub->GetAllChildren(out, 1) != S_OK) hr = E_UNEXPECTED;
  }
  return hr;
}

HRESULT SSymCompImpl::Remove(ISSymbol* symbol, int withObject) {
  if (!symbol) return S_OK;
  if (!m_pSymbol) return E_UNEXPECTED;
  ISRepObject* self = m_pSymbol->Obj();
  RepObjWrap childObj(symbol);
  SComOut<ISRepClassCol> col = GetSymbols();
  if (childObj.IsNull() || !col) return S_FALSE;
  const LONG at = col->GetPos(childObj);
  if (at >= 0) col->Remove(at);

  SComWrap<ISSymAdjust> adjust(self);
  if (!adjust.IsNull() && adjust->IsAdjusted()) {
    SRepVariant manual;
    const bool manually = self->GetAttribute(SymAttr::IsManuallyResized, &manual) == S_OK && manual.GetLONG() != 0;
    if (!manually) adjust->AutoAdjustText(0, 0);
  }
  if (!withObject || !m_pCompDef) return S_OK;

  // The model side: the child's object leaves the composite's model object.
  SComOut<ISRepObject> model = GetModelObject();
  SComWrap<ISSymObject> shows(symbol);
  if (!model || shows.IsNull()) return S_OK;
  SComOut<ISRepObject> object;
  if (shows->GetModelObject(&object) != S_OK || !object) return S_OK;
  // The model of a deleted object is left to its deletion.
  if (model->IsDeleted() || model->IsDeleting() || object->IsDeleted() || object->IsDeleting()) return S_FALSE;
  const LONG type = symbol->GetSymbolType();
  const bool direct = SSymCompDef::Find(m_pCompDef->mapTypeToColl2, type) != 0;
  LONG id = m_pCompDef->GetCollForType(type);
  if (!id) id = SSymCompDef::Find(m_pCompDef->mapTypeToColl, 0);
  if (!id) return S_OK;
  SComOut<ISRepClassCol> holder;
  if (model->GetCollection(id, &holder) != S_OK || !holder) return S_OK;
  const LONG pos = holder->GetPos(object);
  if (pos < 0) return S_OK;

  // An object the composite's model object owns gets a new home first: its
  // old home is left only when the new one took it, so it is never lost.
  SComOut<ISRepClassCol> home;
  if (!direct) {
    SComOut<ISRepObject> folder;
    SComOut<ISSymDiagram> diagram;
    if (m_pSymbol->GetDiagram(&diagram) == S_OK && diagram) {
      RepObjWrap diagramObj(diagram.Get());
      if (!diagramObj.IsNull()) diagramObj->GetParent(&folder);
    }
    if (!folder) model->GetParent(&folder);
    CLSID clsid{};
    if (!folder || object->GetCLSID(&clsid) != S_OK || SRepGetClassCollection(folder, clsid, &home) != S_OK || !home)
      return S_FALSE;
  }
  holder->Remove(pos);
  SRepVariant now;
  now.SetDATE(SSymNowDate());
  object->SetAttribute(SymAttr::MDAT, now);
  if (direct) return S_OK;
  if (home->GetPos(object) < 0) home->Insert(object, -1);
  SComWrap<ISRepObjectBase, &IID_ISRepObjectBase> base(object.Get());
  SComOut<ISRepObject> top;
  if (!base.IsNull() && base->GetModel(&top) == S_OK && top) {
    SComWrap<ISRepModelServiceProvider, &IID_ISRepModelServiceProvider> provider(top.Get());
    ISRepObject* moved = object.Get();
    if (!provider.IsNull()) provider->ObjectsReparented(&moved, 1, 1);
  }
  return S_OK;
}

int SSymCompImpl::GetChildType(ISSymbol* symbol) {
  if (!symbol || !m_pCompDef) return -1;
  if (IsExcludedChild(symbol)) return 0;
  const int t = symbol->GetSymbolType();
  if (t == kTypePool || t == kTypeLaneGroup) return -1;
  if (SSymCompDef::Lists(m_pCompDef->tabType3, t)) return 3;
  if (t < kTypeAllBelow && SSymCompDef::Lists(m_pCompDef->tabType3, 0)) return 3;
  if (SSymCompDef::Lists(m_pCompDef->tabType1, t)) return 1;
  return 2;
}

int SSymCompImpl::GetChildRect(ISSymbol* symbol, SSymRect& rect) {
  if (!symbol || !m_pSymbol || symbol->IsHidden()) return 0;
  const int type = GetChildType(symbol);
  if (type == 0) return 0;
  if (type == 3 && Answers<ISSwimlane>(m_pSymbol->Obj())) return 0;
  SComWrap<ISSymLink> link(symbol);
  if (link.IsNull()) {
    rect = symbol->GetClipRect(1, 1);
    return 1;
  }
  // A link counts only between two visible children of the composite's model.
  for (int end = 0; end < 2; ++end) {
    SComOut<ISSymbol> at;
    if (link->GetAttachSym(end, &at) != S_OK || !at || at->IsHidden() || GetChildType(at) == 0) return 0;
  }
  if (!GetModelObject()) return 0;
  return GetChildLinkRect(symbol, rect);
}

// ---- drawing -------------------------------------------------------------------------------------------------
HRESULT SSymCompImpl::DrawChildren(SSymCanvas& canvas) {
  if (!m_pSymbol) return E_UNEXPECTED;
  if (m_pSymbol->m_state & StateNoChildDraw) return S_OK;

  // Unclipped: plain shapes and the links of the boxes, each once; they may
  // overflow the composite. A link counts as a link, never as a box, though
  // links here answer the linkable face too.
  {
    SComTable<ISSymbol> all;
    GetAllChildren(all, 1);
    SComBag<ISSymbol> drawn;
    auto drawOnce = [&](ISSymbol* s) {
      if (drawn.Contains(s)) return;
      drawn.Add(s);
      s->Draw(canvas);
    };
    for (int i = 0; i < all.GetCount(); ++i) {
      ISSymbol* s = all.GetAt(i);
      if (!s || s->IsHidden() || drawn.Contains(s)) continue;
      SComWrap<ISSymLinkable> linkable(s);
      if (linkable.IsNull() || Answers<ISSymLink>(s)) {
        drawOnce(s);
        continue;
      }
      SComBag<ISSymLink> links(linkable->GetLinks());
      for (int k = 0; k < links.GetCount(); ++k) {
        SComWrap<ISSymbol> line(links.GetAt(k));
        if (!line.IsNull()) drawOnce(line.Get());
      }
    }
  }

  // Clipped to the draw rectangle: the boxes links attach to, over their
  // links; ports wait for the end.
  std::vector<SComWrap<ISSymbol>> ports;
  {
    SComOut<ISRepClassCol> col = GetSymbols();
    SSymRect area = GetDrawRect();
    SCanvasClipRgn clip(canvas, area);
    for (const RepObjWrap& item : Members(col)) {
      SComWrap<ISSymbol> child(item.Get());
      if (child.IsNull() || child->IsHidden()) continue;
      if (Answers<ISSymPort>(child.Get())) {
        bool seen = false;
        for (const auto& p : ports) seen = seen || p.Get() == child.Get();
        if (!seen) ports.push_back(child);
      } else if (Answers<ISSymLinkable>(child.Get()) && !Answers<ISSymLink>(child.Get())) {
        child->Draw(canvas);
      }
    }
  }
  // Ports sit on the boundary: drawn last and unclipped.
  for (const auto& p : ports) p->Draw(canvas);
  return S_OK;
}

// ---- completeness ------------------------------------------------------------------------------------------
int SSymCompImpl::HasAllChildrenSym(int recursive) {
  DepthGuard depth;
  SComOut<ISRepObject> model = GetModelObject();
  if (!model || model->IsShortcut() || !m_pCompDef || !depth.ok) return 1;
  if (!HasChildSymbolsOfCollection(m_pCompDef->GetSubObjColl(), recursive)) return 0;
  for (LONG id : m_pCompDef->tabChildColls)
    if (!HasChildSymbolsOfCollectionFlat(id)) return 0;
  return 1;
}

int SSymCompImpl::HasHiddenChildrenSym() {
  SComOut<ISRepObject> model = GetModelObject();
  if (!model || model->IsShortcut()) return 0;
  for (const RepObjWrap& item : Members(GetSymbols())) {
    SComWrap<ISSymbol> child(item.Get());
    if (!child.IsNull() && child->IsHidden()) return 1;
  }
  return 0;
}
