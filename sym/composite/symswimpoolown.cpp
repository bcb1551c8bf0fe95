// The swimlane pool as owner of its lanes: placing a lane (the pool grows
// by it at its far edge), letting one go, containment, the top owner,
// redrawing for a member, the related objects, the active rectangle with the
// title band, and the position searches along the lane axis.
#include <algorithm>
#include <limits>
#include <vector>

#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "sym/render/symcanv.h"
#include "sym/render/symcanvview.h"
#include "sym/symbol/symintfview.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
// The repository collection whose first object stands for a lane in the
// related-object list.
constexpr LONG kIdLaneModelCol = 0x04000087;
constexpr int kMaxDepth = 64;

SSymRect ClipOf(ISSymbol* s) {
  SSymRect r = s->GetClipRect(0, 0);
  return r.Normalize();
}

// 1 for an end lane (a lane that answers IsInnerLane with 0), 0 otherwise.
bool IsEndLane(ISSymbol* s) {
  SComWrap<ISSwimlane> lane(s);
  return !lane.IsNull() && lane->IsInnerLane() == 0;
}
bool IsInnerLane(ISSymbol* s) {
  SComWrap<ISSwimlane> lane(s);
  return !lane.IsNull() && lane->IsInnerLane() != 0;
}

// True when `symbol` is `pool` or holds it somewhere below (placing it in
// the pool would close a cycle of owners).
bool HoldsPool(ISSymbol* symbol, ISSymbol* pool) {
  if (SRepAreSameObjects(symbol, pool)) return true;
  SComWrap<ISSymbol> at(pool);
  for (int depth = 0; !at.IsNull() && depth < kMaxDepth; ++depth) {
    SComOut<ISSymOwner> owner;
    if (at->GetOwner(&owner) != S_OK || !owner) return false;
    if (SRepAreSameObjects(owner.Get(), symbol)) return true;
    at = SComWrap<ISSymbol>(owner.Get());
  }
  return false;
}
}  // namespace

// ---- ISSymOwner --------------------------------------------------------------------------------
HRESULT SSymSwimLane::Add(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  SRepCollection* col = Collection(SymAttr::Symbols);
  SRepObject* obj = SRepObject::FromInterface(RepObjWrap(symbol).Get());
  // Refused before anything moves, so that a refused symbol stays where it
  // was: a symbol that is not a repository object of this session, a
  // deleted one, the pool itself or one that holds the pool.
  if (!col || !obj || obj->IsDeleted() || IsDeleted()) return E_INVALIDARG;
  if (obj->GetSessionImpl() && GetSessionImpl() && obj->GetSessionImpl() != GetSessionImpl()) return E_INVALIDARG;
  if (HoldsPool(symbol, Sym())) return E_INVALIDARG;
  if (col->IndexOf(obj) >= 0) return S_FALSE;  // already a member: nothing changes
  if (const HRESULT hr = SSymCheckNesting(symbol, Sym()); FAILED(hr)) return hr;

  // The pool and its lanes take new rectangles below and in the arrangement
  // that follows the insertion; the step keeps them all.
  SSymSwimArrangeStep step(this, OpenContext());
  SSymRect s = ClipOf(symbol);
  SSymRect p = ClipOf(Sym());
  LONG at = -1;
  LONG edge = m_bVertical ? p.x2 : p.y1;
  const int count = col->GetCount();
  if (IsInnerLane(symbol) && count > 2) {
    SComWrap<ISSymbol> last(static_cast<ISRepObjectBase*>(col->GetAt(count - 1)));
    // An inner lane goes before a trailing end lane.
    if (!last.IsNull() && IsEndLane(last.Get())) {
      at = count - 1;
      const SSymRect l = ClipOf(last.Get());
      edge = (m_bVertical ? l.x1 : l.y2) + 1;
    }
  }
  if (count == 0) {
    // The first lane keeps its place; the pool takes its extent along the lane axis.
    if (m_bVertical) {
      p.x1 = s.x1;
      p.x2 = s.x2;
    } else {
      p.y1 = s.y1;
      p.y2 = s.y2;
    }
  } else {
    // Sums of huge rectangles stop at the ends of the coordinate range.
    const auto sum = [](LONG a, long long b) {
      return static_cast<LONG>(std::clamp<long long>(a + b, std::numeric_limits<LONG>::min(),
                                                     std::numeric_limits<LONG>::max()));
    };
    if (m_bVertical) {
      const long long w = static_cast<long long>(s.x2) - s.x1;
      if (edge < s.x1) {
        s.x1 = p.x2;
        s.x2 = sum(p.x2, w);
      }
      p.x2 = sum(p.x2, w);
    } else {
      const long long h = static_cast<long long>(s.y1) - s.y2;
      if (edge < s.y2) {
        s.y2 = p.y1;
        s.y1 = sum(p.y1, h);
      }
      p.y1 = sum(p.y1, h);
    }
    RepObjWrap(symbol)->SetAttribute(SymAttr::ClipRect, RectValue(s));
  }
  SetAttrRect(p);

  SComOut<ISSymOwner> previous;
  if (symbol->GetOwner(&previous) == S_OK && previous) previous->Remove(symbol);
  const HRESULT hr = col->Insert(RepObjWrap(symbol).Get(), at);
  // A symbol the collection refuses goes back to where it came from rather
  // than being left without an owner.
  if (FAILED(hr) && previous) previous->Add(symbol);
  return hr;
}

HRESULT SSymSwimLane::Remove(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  SRepCollection* col = FindCollection(SymAttr::Symbols);
  RepObjWrap obj(symbol);
  if (!col || obj.IsNull()) return S_FALSE;
  const LONG pos = col->GetPos(obj.Get());
  if (pos < 0) return S_FALSE;  // not a member (a lane of another pool, say): nothing changes
  Sym()->Redraw(nullptr);
  return col->Remove(pos);
}

BOOL SSymSwimLane::Contains(ISSymbol* symbol, int deep) {
  if (!symbol) return 0;
  for (const SComWrap<ISSymbol>& m : Members()) {
    if (m.Get() == symbol || SRepAreSameObjects(m.Get(), symbol)) return 1;
    if (!deep) continue;
    SComWrap<ISSymOwner> owner(m);
    if (!owner.IsNull() && owner->Contains(symbol, deep)) return 1;
  }
  return 0;
}

HRESULT SSymSwimLane::GetTopOwner(ISSymOwner** out) {
  if (!out) return E_POINTER;
  SComOut<ISSymOwner> owner;
  if (GetOwner(&owner) == S_OK && owner) return owner->GetTopOwner(out);
  return S_OK;
}

HRESULT SSymSwimLane::SymRedraw(ISSymbol*) {
  SComOut<ISSymDiagram> diagram;
  if (GetDiagram(&diagram) != S_OK || !diagram) return S_OK;
  SSymView* view = diagram->GetFirstView();
  SSymCanvasView* canvas = view ? SSymGetViewCanvas(view) : nullptr;
  if (!canvas) return S_OK;
  canvas->InvalidateRectLP(GetActiveRect(*canvas, 1), 1);
  return S_OK;
}

// ---- ISSymbol ----------------------------------------------------------------------------------
SSymRect SSymSwimLane::GetActiveRect(SSymCanvas& canvas, int a) {
  SSymRect r = SRepFaces::GetActiveRect(canvas, a);
  // The title band lies outside the pool's rectangle, on its heading side.
  if (m_bVertical) r.y1 += TitleBand;
  else r.x1 -= TitleBand;
  return r;
}

HRESULT SSymSwimLane::DrawHandles(SSymCanvas& canvas) {
  SCurrentContextChange none(GetDiagramObject(), nullptr);
  if (!IsHidden()) canvas.DrawHandles(GetClipRect(1, 0));
  return S_OK;
}

HRESULT SSymSwimLane::GetDiagram(ISSymDiagram** out) { return SRepFaces::GetDiagram(out); }

HRESULT SSymSwimLane::GetRelatedObjectList(SRepListObject* list, ISRepObject*, int, SRepBagObject*, int b, int) {
  if (!list) return E_INVALIDARG;
  if (b != 0) return S_OK;
  SUnsortedComBag<ISSymbol> lanes;
  GetAllLane(lanes, 1);
  for (int i = 0; i < lanes.GetOrderCount(); ++i) {
    RepObjWrap lane(lanes.GetOrderAt(i));
    SComOut<ISRepClassCol> col;
    if (lane.IsNull() || lane->GetCollection(kIdLaneModelCol, &col) != S_OK || !col || col->GetCount() == 0) continue;
    SComOut<ISRepObject> first;
    if (col->Item(0, &first) == S_OK && first) list->Add(first.Get());
  }
  return S_OK;
}

// ---- position searches -------------------------------------------------------------------------
ISSymbol* SSymSwimLane::GetLanePosition(const SSymPoint& point, SComBag<ISSymbol>* excluded, int& index) {
  index = 0;
  const std::vector<SComWrap<ISSymbol>> members = Members();
  if (members.empty()) return nullptr;
  const SSymRect p = ClipOf(Sym());
  const bool firstIsEnd = IsEndLane(members.front().Get());
  const bool before = m_bVertical ? point.x <= p.x1 : point.y <= p.y2;
  const bool after = m_bVertical ? point.x >= p.x2 : point.y >= p.y1;
  if (before) {
    index = firstIsEnd ? 1 : 0;
    return nullptr;
  }
  if (after) {
    index = static_cast<int>(members.size()) - (firstIsEnd ? 1 : 0);
    return nullptr;
  }
  for (const SComWrap<ISSymbol>& m : members) {
    if (excluded && excluded->Contains(m.Get())) continue;
    if (m->GetSymbolType() == GroupTypeCode) {
      // A point inside a group is placed among that group's members.
      if (SSymSwimGroup* group = SSymSwimGroup::FromInterface(m.Get())) {
        int inner = 0;
        if (ISSymbol* found = group->GetLanePosition(point, excluded, inner)) {
          index = inner;
          return found;
        }
      }
      ++index;
      continue;
    }
    SComWrap<ISSwimlane> lane(m);
    if (lane.IsNull()) continue;
    if (lane->IsInnerLane() == 0) {
      ++index;
      continue;
    }
    const SSymRect r = m->GetClipRect(0, 0);
    const LONG mx = (r.x1 + r.x2) / 2, my = (r.y1 + r.y2) / 2;
    if (m_bVertical ? point.x < mx : point.y < my) return nullptr;
    ++index;
  }
  if (IsEndLane(members.back().Get())) --index;
  return nullptr;
}

int SSymSwimLane::GetPointPosition(const SSymPoint& point) {
  int count = 0;
  for (const SComWrap<ISSymbol>& m : Members()) {
    const SSymRect r = m->GetClipRect(0, 0);
    const LONG mx = (r.x1 + r.x2) / 2, my = (r.y1 + r.y2) / 2;
    if (m_bVertical ? point.x < mx : point.y < my) return count;
    ++count;
  }
  return count;
}
