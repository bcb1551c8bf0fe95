// Owners, diagram and view of a symbol, the face links attach to, and the
// functions over the owner tree. Every walk up a chain of owners is bounded,
// so that a cycle of owners ends the walk instead of looping.
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "kvcore/scascade.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfview.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
// Walks up a chain of owners are loops, not recursion: the bound only ends
// a cycle a damaged repository may close, far past any real nest.
constexpr int kMaxDepth = 1 << 16;

SSymPoint Centre(const SSymRect& r) { return SSymPoint((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2); }

bool Inside(const SSymPoint& p, const SSymRect& r) {
  return p.x >= r.GetMinX() && p.x <= r.GetMaxX() && p.y >= r.GetMinY() && p.y <= r.GetMaxY();
}

// The first member of an object's parent collection (empty for none). An
// object without one is not given an empty collection by the question: the
// close of a step that deleted a whole diagram asks every deleted symbol.
SComOut<ISRepObject> FirstParent(ISRepObject* obj) {
  SComOut<ISRepClassCol> col;
  SComOut<ISRepObject> first;
  if (!obj || obj->IsCollectionEmpty(SymAttr::ParentColl) == S_OK) return first;
  if (obj->GetCollection(SymAttr::ParentColl, &col) != S_OK || col.IsNull()) return first;
  if (col->GetCount() > 0) col->Item(0, &first);
  return first;
}

// The owner of a symbol queried for I (counted wrapper), empty for none.
template <class I>
SComWrap<I> OwnerAs(ISSymbol* symbol) {
  SComWrap<I> out;
  if (!symbol) return out;
  SComOut<ISSymOwner> o;
  if (symbol->GetOwner(&o) == S_OK && o) out = SComWrap<I>(o.Get());
  return out;
}
}  // namespace

ISRepObject* SSymGetRepObject(ISSymbol* symbol) {
  for (int depth = 0; symbol && depth < kMaxDepth; ++depth) {
    RepObjWrap obj(symbol);
    if (!obj.IsNull()) return obj.Get();  // the symbol keeps the object alive
    SComWrap<ISSymbol> next;
    if (symbol->IsSubObject()) {
      SComOut<ISSymbol> main;
      if (symbol->GetMainSymbol(&main) == S_OK && main) next = main.Get();
    } else {
      next = OwnerAs<ISSymbol>(symbol);
    }
    if (next.IsNull()) return nullptr;
    symbol = next.Get();  // held by its own owner or main symbol
  }
  return nullptr;
}

HRESULT SSymTakeFromOtherOwners(ISSymbol* symbol, ISRepObject* owner) {
  if (!symbol) return E_POINTER;
  RepObjWrap obj(symbol);
  SComOut<ISRepClassCol> col;
  if (obj.IsNull() || obj->GetCollection(SymAttr::ParentColl, &col) != S_OK || col.IsNull()) return S_OK;
  // A snapshot: each removal changes the collection.
  std::vector<RepObjWrap> others;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> holder;
    if (col->Item(i, &holder) == S_OK && holder && !SRepAreSameObjects(holder.Get(), owner))
      others.emplace_back(holder.Get());
  }
  SComWrap<ISSymbol> hold(symbol);  // the former owner may hold the only reference
  for (const RepObjWrap& other : others) {
    SComWrap<ISSymOwner> former(other.Get());
    if (!former.IsNull()) former->Remove(symbol);
  }
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> holder;
    if (col->Item(i, &holder) == S_OK && holder && !SRepAreSameObjects(holder.Get(), owner)) return E_INVALIDARG;
  }
  return S_OK;
}

HRESULT SSymCheckNesting(ISSymbol* symbol, ISSymbol* owner, int extra) {
  if (!symbol) return E_POINTER;
  // Owner levels above the place the symbol takes: the owner and its owners up to the diagram.
  int above = extra;
  for (SComWrap<ISSymbol> at(owner); !at.IsNull(); at = OwnerAs<ISSymbol>(at.Get()))
    if (++above > SSymMaxNesting) return E_INVALIDARG;
  // Levels of owners the symbol brings, level by level through the Symbols
  // collections (each object once: a damaged repository may hold a cycle).
  std::vector<SRepObject*> level, next;
  std::unordered_set<SRepObject*> seen;
  if (SRepObject* self = SRepObject::FromInterface(RepObjWrap(symbol).Get())) level.push_back(self);
  for (int depth = above; !level.empty(); ++depth) {
    next.clear();
    for (SRepObject* o : level) {
      SRepCollection* col = o->FindCollection(SymAttr::Symbols);
      if (!col) continue;
      for (SRepObject* member : col->Items())
        if (seen.insert(member).second) next.push_back(member);
    }
    if (!next.empty() && depth + 1 > SSymMaxNesting) return E_INVALIDARG;
    level.swap(next);
  }
  return S_OK;
}

// ---- owner lookups ------------------------------------------------------------------------------
HRESULT SSymBase::_GetOwner(void** out, REFIID iid) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (m_owner.IsNull() && !IsDeleted()) {
    if (SComOut<ISRepObject> first = FirstParent(Obj()); first) {
      HRESULT hr = first->QueryInterface(iid, out);
      m_owner = SComWrap<ISSymOwner>(first.Get());
      return hr;
    }
  }
  if (SRepObjectMem::InLockoutContext()) {
    if (SComOut<ISRepObject> first = FirstParent(Obj()); first) return first->QueryInterface(iid, out);
  }
  if (!m_owner.IsNull()) return m_owner->QueryInterface(iid, out);
  return E_FAIL;
}

int SSymBase::_HasOwner() {
  SComOut<ISSymOwner> o;
  return _GetOwner(o.Void(), IID_ISSymOwner) == S_OK && o ? 1 : 0;
}

namespace {
// The diagrams found while an SSymDiagramLookupScope lives (null outside one).
std::unordered_map<SSymBase*, ISRepObject*>*& DiagramMemo() {
  thread_local std::unordered_map<SSymBase*, ISRepObject*>* memo = nullptr;
  return memo;
}
}  // namespace

SSymDiagramLookupScope::SSymDiagramLookupScope() : m_outermost(DiagramMemo() == nullptr) {
  if (m_outermost) DiagramMemo() = new std::unordered_map<SSymBase*, ISRepObject*>();
}

SSymDiagramLookupScope::~SSymDiagramLookupScope() {
  if (!m_outermost) return;
  delete DiagramMemo();
  DiagramMemo() = nullptr;
}

ISRepObject* SSymBase::GetDiagramObject() {
  {
    SComWrap<ISSymDiagram> d(m_owner);
    if (!d.IsNull()) return RepObjWrap(d).Get();  // held by the owner cache
  }
  std::unordered_map<SSymBase*, ISRepObject*>* memo = DiagramMemo();
  std::vector<SSymBase*> climbed;
  auto found = [&](ISRepObject* d) {
    if (memo)
      for (SSymBase* s : climbed) (*memo)[s] = d;
    return d;
  };
  RepObjWrap current(Obj());
  climbed.push_back(this);
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    if (memo) {
      auto known = memo->find(climbed.back());
      if (known != memo->end()) return found(known->second);
    }
    SComOut<ISRepObject> parent = FirstParent(current);
    if (!parent) return found(nullptr);
    RepObjWrap held(parent.Get());
    if (!SComWrap<ISSymDiagram>(held).IsNull()) return found(held.Get());  // held by its child's collection
    SSymBase* sym = FromInterface(held);
    if (!sym) {
      SComWrap<ISSymbol> other(held);
      if (other.IsNull()) return found(nullptr);
      SComOut<ISSymDiagram> d;
      if (other->GetDiagram(&d) != S_OK || !d) return found(nullptr);
      return found(RepObjWrap(d.Get()).Get());  // held by the other symbol's owner tree
    }
    SComWrap<ISSymDiagram> cached(sym->m_owner);
    if (!cached.IsNull()) return found(RepObjWrap(cached).Get());
    current = held;
    if (memo) climbed.push_back(sym);
  }
  return nullptr;
}

HRESULT SSymBase::GetDiagram(ISSymDiagram** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ISRepObject* d = GetDiagramObject();
  if (d) d->QueryInterface(IID_ISSymDiagram, reinterpret_cast<void**>(out));
  return S_OK;
}

HRESULT SSymBase::GetGroupOwner(ISSymGroup** out, int walk) {
  if (!out) return E_POINTER;
  *out = nullptr;
  SComWrap<ISSymGroup> group;
  {
    SComOut<ISSymGroup> g;
    if (_GetOwner(g.Void(), IID_ISSymGroup) == S_OK && g) group = g.Get();
  }
  if (!walk) {
    *out = group.Get();
    if (*out) (*out)->AddRef();
    return S_OK;
  }
  if (group.IsNull()) {
    // Not inside a group: the symbol itself when it is one.
    if (Sym()->QueryInterface(IID_ISSymGroup, reinterpret_cast<void**>(out)) != S_OK) *out = nullptr;
    return S_OK;
  }
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    RepObjWrap obj(group);
    SComOut<ISRepObject> parent;
    if (obj.IsNull() || obj->GetParent(&parent) != S_OK || !parent) break;
    SComWrap<ISSymGroup> up(parent.Get());
    if (up.IsNull()) break;
    group = up;
  }
  *out = group.Get();
  if (*out) (*out)->AddRef();
  return S_OK;
}

SSymView* SSymBase::GetView() {
  SComWrap<ISSymDiagram> d(GetDiagramObject());
  if (d.IsNull()) return nullptr;
  SSymView* last = nullptr;
  for (int i = 0, n = d->GetViewCount(); i < n; ++i) {
    last = d->GetView(i);
    if (last && SSymIsEditView(last)) return last;
  }
  return last;
}

SSymCanvasView* SSymBase::GetCanvasPtr() {
  SSymView* view = GetView();
  return view ? SSymGetViewCanvas(view) : nullptr;
}

SRep_Point SSymBase::GetRelPos() {
  SComOut<ISSymbol> o;
  if (_GetOwner(o.Void(), IID_ISSymbol) != S_OK || !o) return SRep_Point{0, 0};
  SComWrap<ISSymbol> owner(o.Get());
  SComWrap<ISSymCompSym> comp(owner);
  if (comp.IsNull()) {
    SComWrap<ISSymbolInit> init(owner);
    if (!init.IsNull()) init->InitReserved();
    comp = owner;
  }
  if (comp.IsNull()) return SRep_Point{0, 0};
  const SSymPoint oc = Centre(owner->GetClipRect(0, 0));
  const SSymPoint sc = Centre(GetClipRect(0, 0));
  return SRep_Point{oc.x - sc.x, oc.y - sc.y};
}

HRESULT SSymBase::SetRelPos(const SRep_Point& p) {
  SComOut<ISSymbol> o;
  if (_GetOwner(o.Void(), IID_ISSymbol) != S_OK || !o) return S_FALSE;
  SComWrap<ISSymbol> owner(o.Get());
  if (SComWrap<ISSymCompSym>(owner).IsNull()) return S_FALSE;
  // The move that makes GetRelPos answer p: owner centre - (centre + d) = p.
  const SSymPoint oc = Centre(owner->GetClipRect(0, 0));
  const SSymPoint sc = Centre(GetClipRect(0, 0));
  const SSymSize d(oc.x - p.x - sc.x, oc.y - p.y - sc.y);
  if (d.cx > -72 && d.cx < 72 && d.cy > -72 && d.cy < 72) return S_FALSE;
  return Sym()->MoveBy(d, 1);
}

// ---- the linkable face ------------------------------------------------------------------------------
HRESULT SSymBase::AttachLink(ISSymLink* link) {
  if (!link) return E_POINTER;
  if (SRepAreSameObjects(RepObjWrap(link).Get(), Obj())) return E_INVALIDARG;  // a link does not end on itself
  m_links.Add(link);
  SetChanged();
  SetSessionModified();
  return S_OK;
}

HRESULT SSymBase::DetachLink(ISSymLink* link) {
  if (!link || !m_links.Remove(link)) return S_OK;
  SetChanged();
  SetSessionModified();
  return S_OK;
}

int SSymBase::HasLinkBetween(ISSymLinkable* other) {
  for (int i = 0; i < m_links.GetCount(); ++i) {
    ISSymLink* link = m_links.GetAt(i);
    SComOut<ISSymbol> a, b;
    link->GetAttachSym(0, &a);
    link->GetAttachSym(1, &b);
    const bool joins = (SRepAreSameObjects(a, Sym()) && b && SRepAreSameObjects(b, other)) ||
                       (SRepAreSameObjects(b, Sym()) && a && SRepAreSameObjects(a, other));
    if (joins) return 1;
  }
  return 0;
}

bool SSymBase::AcceptsPoint(const SSymPoint& pt, const SSymRect& rect) { return Inside(pt, rect); }

BOOL SSymBase::GetIntersection(const SSymSegment& segment, SSymPoint* out) {
  if (ISSymbol* hider = SSymGetPrntCompHideChild(Sym(), nullptr)) {
    SComWrap<ISSymLinkable> l(hider);
    if (!l.IsNull() && l.Get() != Linkable()) return l->GetIntersection(segment, out);
  }
  SSymRect r = GetClipRectWithBorder();
  SComWrap<ISSymbol> up(Sym());
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    SComWrap<ISSymCompSym> comp = OwnerAs<ISSymCompSym>(up);
    if (comp.IsNull()) break;
    SComWrap<ISSymbol> cs(comp);
    if (cs.IsNull() || !SComWrap<ISSwimlane>(cs).IsNull()) break;
    SSymRect cr = cs->GetClipRect(0, 0);
    cr.Normalize();
    r = Intersect(r, cr);
    up = cs;
  }
  SSymPoint p;
  if (!Intersects(segment, r, &p)) return 0;
  if (out) *out = p;
  return 1;
}

BOOL SSymBase::GetDefAttachPt(ISSymLink* link, int, SSymPoint& pt) {
  if (!link) return 0;
  SComWrap<ISSymbol> linkSym(link);
  SSymRect rect = m_rect;
  rect.Normalize();
  if (g_IsDefaultAllowed()) {
    SComOut<ISSymbol> a0, a1;
    link->GetAttachSym(0, &a0);
    link->GetAttachSym(1, &a1);
    ISSymbol* far = SRepAreSameObjects(a0, Sym()) ? a1 : a0;
    std::vector<SSymPoint> taken;
    for (int i = 0; i < m_links.GetCount(); ++i) {
      ISSymLink* other = m_links.GetAt(i);
      if (SRepAreSameObjects(other, link)) continue;
      SComOut<ISSymbol> b0, b1;
      other->GetAttachSym(0, &b0);
      other->GetAttachSym(1, &b1);
      SSymPoint q;
      if (SRepAreSameObjects(b0, Sym()) && far && SRepAreSameObjects(b1, far)) {
        other->GetAttachPoint(q, 0);
        taken.push_back(q);
      } else if (SRepAreSameObjects(b1, Sym()) && far && SRepAreSameObjects(b0, far)) {
        other->GetAttachPoint(q, 1);
        taken.push_back(q);
      }
    }
    for (std::size_t guard = 0; guard <= taken.size(); ++guard) {
      bool clash = false;
      for (const SSymPoint& q : taken) clash = clash || q == pt;
      if (!clash) break;
      pt.x += 150;
      pt.y += 150;
    }
    if (!AcceptsPoint(pt, rect)) {
      bool ok = false;
      if (ISSymbol* hider = SSymGetPrntCompHideChild(Sym(), nullptr)) {
        SSymRect hr = hider->GetClipRect(0, 0);
        hr.Normalize();
        ok = Inside(pt, hr);
      }
      if (!ok) pt = Centre(rect);
    }
    GetCompDefAttachPt(pt, linkSym, nullptr);
    return 1;
  }
  if (AcceptsPoint(pt, rect)) return 0;
  SComWrap<ISSymSubSym> sub(Sym());
  if (!sub.IsNull() && sub->IsSubSymReady() == 0) sub->PrepareSubSym();
  SSymRect cr = GetClipRect(0, 0);
  cr.Normalize();
  if (!Inside(pt, cr)) pt = Centre(cr);
  int moved = 0;
  GetCompDefAttachPt(pt, linkSym, &moved);
  return 0;
}

int SSymBase::GetCompDefAttachPt(SSymPoint& pt, ISSymbol* symbol, int* moved) {
  ISSymbol* hider = SSymGetPrntCompHideChild(Sym(), symbol);
  if (!hider || !moved) return 0;
  SSymRect r = hider->GetClipRect(0, 0);
  r.Normalize();
  if (!Inside(pt, r)) {
    pt = Centre(r);
    *moved = 1;
  } else {
    *moved = 0;
  }
  return 1;
}

// ---- functions over the owner tree -------------------------------------------------------------------
ISSymOwner* SGetCommonOwnerSym(ISSymbol* a, ISSymbol* b) {
  if (!a || !b) return nullptr;
  auto chain = [](ISSymbol* s) {
    std::vector<SComWrap<ISSymOwner>> owners;
    SComWrap<ISSymbol> at(s);
    for (int depth = 0; depth < kMaxDepth && !at.IsNull(); ++depth) {
      SComWrap<ISSymOwner> o = OwnerAs<ISSymOwner>(at);
      if (o.IsNull() || !SComWrap<ISSymDiagram>(o).IsNull()) break;
      owners.push_back(o);
      at = SComWrap<ISSymbol>(o);
    }
    return owners;
  };
  if (!SComWrap<ISSymDiagram>(OwnerAs<ISSymOwner>(b)).IsNull()) return nullptr;
  const auto ob = chain(b);
  for (const auto& o : chain(a))
    for (const auto& p : ob)
      if (SRepAreSameObjects(o, p)) return o.Get();  // held by the owner tree
  return nullptr;
}

int SSymIsEditable(ISSymbol* symbol, ISRepObject* object, ISSymDiagram* diagram) {
  if (!symbol) return 0;
  SComWrap<ISRepObject, &IID_ISRepObject> self(symbol);
  if (!self.IsNull() && self->HasAttribute(0x02001494) == S_OK) {
    SRepVariant v;
    if (self->GetAttribute(0x02001494, &v) == S_OK && v.GetLONG() == 2) return 0;
  }
  SComWrap<ISRepObject, &IID_ISRepObject> model(object);
  if (model.IsNull()) {
    SComWrap<ISSymObject> so(symbol);
    SComOut<ISRepObject> m;
    if (!so.IsNull() && so->GetModelObject(&m) == S_OK && m) model = m.Get();
    if (model.IsNull()) return 0;
  }
  SComWrap<ISSymDiagram> d(diagram);
  if (d.IsNull()) {
    SComOut<ISSymDiagram> dd;
    if (symbol->GetDiagram(&dd) == S_OK && dd) d = dd.Get();
    if (d.IsNull()) return 0;
  }
  return d->IsSymEditable(symbol, model) ? 1 : 0;
}

ISSymbol* SSymGetPrntCompHideChild(ISSymbol* symbol, ISSymbol* other) {
  if (!symbol || !SComWrap<ISSymPort>(symbol).IsNull()) return nullptr;
  SComWrap<ISSymDiagram> diagram;
  {
    SComOut<ISSymDiagram> d;
    if (symbol->GetDiagram(&d) == S_OK && d) diagram = d.Get();
  }
  ISSymbol* candidate = nullptr;
  SComWrap<ISSymbol> at(symbol);
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    SComWrap<ISSymCompSym> comp = OwnerAs<ISSymCompSym>(at);
    if (comp.IsNull()) break;
    if (other && comp->Contains(other, 0)) return nullptr;
    SComWrap<ISSymbol> cs(comp);
    if (cs.IsNull()) break;
    if (!SSymIsEditable(cs, nullptr, diagram)) candidate = cs.Get();  // held by the owner tree
    at = cs;
  }
  return candidate;
}

void SSymGetDefAttachPtInComp(ISSymCompSym* composite) {
  if (!composite) return;
  SComTable<ISSymbol> children;
  composite->GetAllChildren(children, 1);
  auto isChild = [&](ISSymbol* s) {
    for (int i = 0; i < children.GetCount(); ++i)
      if (SRepAreSameObjects(children.GetAt(i), s)) return true;
    return false;
  };
  SComBag<ISSymLink> handled;
  for (int i = 0; i < children.GetCount(); ++i) {
    SComWrap<ISSymLinkable> child(children.GetAt(i));
    if (child.IsNull()) continue;
    SComBag<ISSymLink> links(child->GetLinks());
    for (int k = 0; k < links.GetCount(); ++k) {
      ISSymLink* link = links.GetAt(k);
      if (handled.Contains(link)) continue;
      SComOut<ISSymbol> a0, a1;
      link->GetAttachSym(0, &a0);
      link->GetAttachSym(1, &a1);
      const int end = SRepAreSameObjects(a0, children.GetAt(i)) ? 0 : 1;
      ISSymbol* far = end == 0 ? a1 : a0;
      const bool farInside = far && isChild(far);
      if (farInside) continue;
      SSymPoint pt;
      link->GetAttachPoint(pt, end);
      if (child->GetDefAttachPt(link, 0, pt)) link->AttachSym(end, child, pt);
      handled.Add(link);
    }
  }
}

ISSymbol* PostOleInCast(ISRepObject* object) {
  if (!object) return nullptr;
  SComOut<ISSymbol> s;
  if (object->QueryInterface(IID_ISSymbol, s.Void()) != S_OK || !s) return nullptr;
  return s.Get();  // the object keeps the face alive
}
