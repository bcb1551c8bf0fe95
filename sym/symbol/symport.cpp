#include "sym/symbol/symport.h"

#include <unordered_set>

#include "sym/symbol/symbase.h"
#include "sym/symbol/symdepth.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// The owner's Symbols collection, or empty.
SComOut<ISRepClassCol> Members(ISRepObject* owner) {
  SComOut<ISRepClassCol> col;
  if (owner && owner->GetCollection(SymAttr::Symbols, &col) != S_OK) col.Reset();
  return col;
}
}  // namespace

HRESULT SSymOwnerImpl::Add(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  ISRepObject* owner = GetOwnerObject();
  if (!owner) return S_OK;
  RepObjWrap obj(symbol);
  if (obj.IsNull() || SRepAreSameObjects(obj, owner)) return S_OK;
  SComWrap<ISSymTree> tree(owner);
  if (!tree.IsNull()) return tree->Add(symbol);
  SComWrap<ISSymCompSym> comp(owner);
  if (!comp.IsNull()) return comp->Add(symbol);
  SComOut<ISRepClassCol> col = Members(owner);
  if (!col) return E_FAIL;
  if (col->GetPos(obj) >= 0) return S_FALSE;
  if (const HRESULT hr = SSymTakeFromOtherOwners(symbol, owner); FAILED(hr)) return hr;
  if (const HRESULT hr = SSymCheckNesting(symbol, GetOwnerSymbol()); FAILED(hr)) return hr;
  return col->Insert(obj, -1);
}

HRESULT SSymOwnerImpl::Remove(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  ISRepObject* owner = GetOwnerObject();
  if (!owner) return S_OK;
  SComWrap<ISSymTree> tree(owner);
  if (!tree.IsNull()) return tree->Remove(symbol, 0);
  RepObjWrap obj(symbol);
  SComOut<ISRepClassCol> col = Members(owner);
  if (!col || obj.IsNull()) return S_OK;
  const LONG at = col->GetPos(obj);
  return at >= 0 ? col->Remove(at) : S_FALSE;
}

BOOL SSymOwnerImpl::Contains(ISSymbol* symbol, int deep) {
  SSymDepthGuard guard;
  ISRepObject* owner = GetOwnerObject();
  if (!symbol || !owner || !guard.ok) return 0;
  RepObjWrap obj(symbol);
  SComOut<ISRepClassCol> col = Members(owner);
  if (!col) return 0;
  BOOL found = 0;
  for (LONG i = 0, n = col->GetCount(); i < n && !found; ++i) {
    SComOut<ISRepObject> item;
    if (col->Item(i, &item) != S_OK || !item) continue;
    if (item == obj.Get() || SRepAreSameObjects(item, symbol)) {
      found = 1;
    } else if (deep) {
      SComWrap<ISSymOwner> sub(item.Get());
      if (!sub.IsNull() && sub.Get() != this && sub->Contains(symbol, 1)) found = 1;
    }
  }
  return found;
}

HRESULT SSymClimbToTopOwner(ISSymbol* self, ISSymOwner** out) {
  if (!out) return E_POINTER;
  if (!self) return S_OK;
  ISSymOwner* const before = *out;
  SComOut<ISSymOwner> up;
  if (self->GetOwner(&up) != S_OK || !up) return S_OK;
  std::unordered_set<ISSymbol*> passed{SComWrap<ISSymbol>(self).Get()};
  for (;;) {
    SComWrap<ISSymbol> symbol(up.Get());
    if (symbol.IsNull()) {
      up->GetTopOwner(out);
      break;
    }
    SComOut<ISSymOwner> next;
    if (!passed.insert(symbol.Get()).second || symbol->GetOwner(&next) != S_OK || !next) break;
    up = std::move(next);
  }
  if (*out == before && up.Get() != before) *out = up.Detach();
  return S_OK;
}

HRESULT SSymOwnerImpl::GetTopOwner(ISSymOwner** out) {
  if (!out) return E_POINTER;
  return SSymClimbToTopOwner(GetOwnerSymbol(), out);
}

HRESULT SSymOwnerImpl::SymResize(ISSymbol* symbol) { return symbol ? SymRedraw(symbol) : S_OK; }

HRESULT SSymOwnerImpl::SymRedraw(ISSymbol* symbol) {
  if (!symbol) return S_OK;
  ISSymOwner* top = this;
  GetTopOwner(&top);
  if (top == this) return S_OK;
  SComOut<ISSymOwner> counted(top);  // any owner but this one came counted
  counted->SymRedraw(symbol);
  return S_OK;
}

HRESULT SSymOwnerImpl::CreateChildrenSym(int flag) {
  SComWrap<ISSymCompSym> comp(GetOwnerObject());
  return comp.IsNull() ? S_OK : comp->CreateChildrenSym(flag);
}

// ---- ports ----------------------------------------------------------------------------------------
void SSymPortBase::CopyDirection(ISSymbol* symbol) {
  SComWrap<ISSymPort> other(symbol);
  if (!other.IsNull()) m_direction = static_cast<SHORT>(other->GetDirection());
}

SSymPoint SSymPortBase::ComputeNewCenter(const SSymPoint& pt, int recompute) {
  SComOut<ISSymbol> self;
  if (GetPortSymbol(&self) != S_OK || !self) return pt;
  SComOut<ISSymOwner> o;
  self->GetOwner(&o);
  self.Reset();
  SComWrap<ISSymbol> owner(o.Get());
  if (owner.IsNull()) return pt;
  const SSymRect r = owner->GetClipRect(0, 0);
  SSymPoint p = pt;
  if (recompute) {
    const LONG left = p.x - r.x1, right = r.x2 - p.x, bottom = p.y - r.y2, top = r.y1 - p.y;
    const LONG horz = left < right ? left : right;
    const LONG vert = bottom < top ? bottom : top;
    const SHORT previous = m_direction;
    if (horz <= vert) m_direction = left < right ? PortLeft : PortRight;
    else m_direction = bottom < top ? PortBottom : PortTop;
    OnDirectionChanged(previous);
  }
  switch (m_direction) {
    case PortRight: p.x = r.x2; break;
    case PortLeft: p.x = r.x1; break;
    case PortTop: p.y = r.y1; break;
    default: p.y = r.y2; break;
  }
  if (p.x < r.x1) p.x = r.x1 + 300;
  else if (p.x > r.x2) p.x = r.x2 - 300;
  if (p.y < r.y2) p.y = r.y2 + 300;
  else if (p.y > r.y1) p.y = r.y1 - 300;
  return PlaceCenter(p, r);
}
