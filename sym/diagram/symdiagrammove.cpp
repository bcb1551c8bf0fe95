// The diagram's follow-up to a move of symbols: tree children put in the
// order of their new positions, and lanes, lane groups and pools re-filed
// where a mouse move dropped them. It runs inside the mover's undoable step
// and records nothing of its own: every change it makes is a model change
// of that step.
#include <algorithm>
#include <utility>
#include <vector>

#include "kvcore/sexception.h"
#include "kvrep/srepsession.h"
#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symviewedit.h"
#include "sym/symbol/symintfplace.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
using ColWrap = SComWrap<ISRepClassCol, &IID_ISRepClassCol>;

constexpr int kTypeTreeLine = 15;

// Symbols with the key of their position along an axis. Sorted stably, so
// symbols of equal keys all stay, in the order they were collected.
using KeyedSyms = std::vector<std::pair<long long, ISSymbol*>>;

void SortByKey(KeyedSyms& syms) {
  std::stable_sort(syms.begin(), syms.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

std::vector<ISSymbol*> InKeyOrder(KeyedSyms syms) {
  SortByKey(syms);
  std::vector<ISSymbol*> out;
  out.reserve(syms.size());
  for (const auto& s : syms) out.push_back(s.second);
  return out;
}

SSymRect NormalClip(ISSymbol* s) {
  SSymRect r = s->GetClipRect(0, 0);
  return r.Normalize();
}

// The key of a lane or lane group along the pools' axis: its start edge
// across the lanes, x1 for lanes side by side, y2 for lanes stacked from
// the bottom up.
long long LaneKey(ISSymbol* s, bool vertical) {
  const SSymRect r = NormalClip(s);
  return vertical ? r.x1 : r.y2;
}

// The collection Symbols of a symbol's repository object; null when it has none.
ColWrap SymbolsOf(IUnknown* holder) {
  ColWrap out;
  RepObjWrap obj(holder);
  SComOut<ISRepClassCol> col;
  if (!obj.IsNull() && obj->GetCollection(SymAttr::Symbols, &col) == S_OK && col) out = col.Get();
  return out;
}

// The members of a collection as symbols, in collection order (counted).
std::vector<SComWrap<ISSymbol>> MembersOf(ISRepClassCol* col) {
  std::vector<SComWrap<ISSymbol>> out;
  if (!col) return out;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> item;
    if (col->Item(i, &item) != S_OK || !item) continue;
    SComWrap<ISSymbol> s(item.Get());
    if (!s.IsNull()) out.push_back(s);
  }
  return out;
}

LONG PosIn(ISRepClassCol* col, ISSymbol* s) {
  RepObjWrap obj(s);
  return obj.IsNull() ? -1 : col->GetPos(obj.Get());
}

// Whether anything a pool arranges (a lane or a lane group) is left in it.
bool HasLanes(SSymSwimLane* pool) {
  for (const SComWrap<ISSymbol>& m : pool->Members())
    if (m->GetSymbolType() == SSymSwimLane::GroupTypeCode || !SComWrap<ISSwimlane>(m).IsNull()) return true;
  return false;
}

// A pool emptied while its own clean-up was held back (lanes are re-filed
// under the group-update guard) goes as it would have gone by itself.
void DeleteIfEmpty(SSymSwimLane* pool) {
  if (pool && !pool->IsDeleted() && !pool->IsDeleting() && !HasLanes(pool)) pool->Delete();
}

// ---- tree children -------------------------------------------------------------------------------
// Puts the children of a tree in the order of their positions. The children
// keep the slots of the collection they occupy (the branch line stays where
// it is); the child with the smallest key takes the first of them.
void ReorderTreeChildren(ISSymbol* parent, bool vertical) {
  ColWrap col = SymbolsOf(parent);
  if (col.IsNull()) return;
  KeyedSyms children;
  std::vector<LONG> slots;
  const std::vector<SComWrap<ISSymbol>> members = MembersOf(col.Get());
  for (const SComWrap<ISSymbol>& m : members) {
    if (m->GetSymbolType() == kTypeTreeLine) continue;
    const SSymRect r = m->GetClipRect(0, 0);
    // Centres truncate towards zero; computed wide so that no sum overflows.
    const long long key = vertical ? (static_cast<long long>(r.x1) + r.x2) / 2
                                   : -((static_cast<long long>(r.y1) + r.y2) / 2);
    children.emplace_back(key, m.Get());
    slots.push_back(PosIn(col.Get(), m.Get()));
  }
  std::sort(slots.begin(), slots.end());
  const std::vector<ISSymbol*> ordered = InKeyOrder(std::move(children));
  for (std::size_t k = 0; k < ordered.size(); ++k) {
    const LONG at = PosIn(col.Get(), ordered[k]);
    if (at >= 0 && at != slots[k]) col->Move(at, slots[k]);
  }
}
}  // namespace

void SSymDiagramImpl::UpdateSymMove(const SComBag<ISSymbol>& moved, const SSymSize& offset, SSymViewEdit* view) {
  if (moved.GetCount() == 0) return;
  SSymDispPref* prefs = GetDispPrefPtr();
  if (!prefs) return;

  // ---- tree children: each tree whose node moved is put in order once.
  SComBag<ISSymbol> reordered;
  for (int i = 0; i < moved.GetCount(); ++i) {
    ISSymbol* s = moved.GetAt(i);
    if (!s || SComWrap<ISSymTree>(s).IsNull()) continue;
    ISSymbol* parent = s->GetTreeParentSym();
    if (!parent || SComWrap<ISSymTree>(parent).IsNull() || reordered.Contains(parent)) continue;
    reordered.Add(parent);
    ReorderTreeChildren(parent, prefs->GetTreeVert() != 0);
  }

  // ---- swimlanes: only for a mouse move in a diagram type with pools.
  SSymTrackerMover* tracker = view ? view->GetMoveTracker() : nullptr;
  if (!tracker || !IsSupportSwimSymbol()) return;
  const bool vertical = prefs->GetSwimlaneVert() != 0;
  SSymRect outline = tracker->GetRect();
  outline.Normalize();
  const SSymPoint drop = view->GetDropPoint();
  // Hit by the drop: the drop point inside, or the outline overlapping.
  auto overlaps = [&](const SSymRect& r) { return r.Intersects(outline); };
  auto hit = [&](const SSymRect& r) { return r.PtInRect(drop) || overlaps(r); };

  // The top-level symbols, taken before anything changes them.
  std::vector<SComWrap<ISSymbol>> top;
  for (SRepObject* item : Collection(IdSymbols)->Items()) {
    SComWrap<ISSymbol> s(static_cast<ISRepObject*>(item));
    if (!s.IsNull()) top.push_back(s);
  }

  std::vector<SSymSwimLane*> movedPools;
  for (int i = 0; i < moved.GetCount(); ++i) {
    ISSymbol* s = moved.GetAt(i);
    if (s && s->GetSymbolType() == SSymSwimLane::TypeCode)
      if (SSymSwimLane* pool = SSymSwimLane::FromInterface(s)) movedPools.push_back(pool);
  }

  // ---- pools were moved.
  if (!movedPools.empty()) {
    if (static_cast<int>(movedPools.size()) == static_cast<int>(top.size())) return;
    SSymSwimLane* moving = movedPools.front();
    // A single pool dropped on a pool of its grouping merges into it; a
    // pool without lanes has nothing to bring and merges into none.
    if (movedPools.size() == 1 && HasLanes(moving)) {
      const SHORT g = moving->m_nGroupType;
      SSymSwimLane* target = nullptr;
      for (const SComWrap<ISSymbol>& s : top) {
        SSymSwimLane* pool = SSymSwimLane::FromInterface(s.Get());
        if (!pool || pool == moving || pool->m_nGroupType != g) continue;
        if (hit(s->GetClipRect(0, 0))) {
          target = pool;
          break;
        }
      }
      if (target) {
        RepObjWrap holdTarget(target->Sym()), holdMoving(moving->Sym());
        if (g == 1) {
          moving->DeleteAllGroup(nullptr);
          target->DeleteAllGroup(nullptr);
        }
        KeyedSyms lanes;
        for (const SComWrap<ISSymbol>& m : moving->Members()) lanes.emplace_back(LaneKey(m.Get(), vertical), m.Get());
        std::vector<SComWrap<ISSymbol>> held;  // the lanes live through their change of pool
        for (const auto& l : lanes) held.emplace_back(l.second);
        SSymSwimReparentMovedSymbolsToLane(InKeyOrder(std::move(lanes)), drop, target);
        if (g == 1 && !target->IsDeleted()) target->CreatePrntGroup(nullptr);
        DeleteIfEmpty(moving);
        return;
      }
    }
    // The other pools follow along the axis the pools are lined up on.
    SSymSize follow = offset;
    if (vertical) follow.cx = 0;
    else follow.cy = 0;
    MoveSymbolsNotInBag(view, moved, follow);
    return;
  }

  // ---- lanes and lane groups moved: gather them and their pools.
  std::vector<SSymSwimLane*> pools;  // in the order first met
  KeyedSyms keyed;
  std::vector<SComWrap<ISSymbol>> held;  // what is re-filed lives to the end
  for (int i = 0; i < moved.GetCount(); ++i) {
    ISSymbol* s = moved.GetAt(i);
    if (!s) continue;
    ISSymbol* poolSym = nullptr;
    SSymSwimGroup* group = nullptr;
    if (SComWrap<ISSwimlane> lane(s); !lane.IsNull()) {
      // Up past the lane groups it may lie in: a lane's direct owner is a
      // group when the pool groups its lanes.
      poolSym = lane->GetPoolSym();
    } else if (s->GetSymbolType() == SSymSwimLane::GroupTypeCode) {
      group = SSymSwimGroup::FromInterface(s);
      poolSym = group ? group->GetSwimSym() : nullptr;
    }
    SSymSwimLane* pool = poolSym ? SSymSwimLane::FromInterface(poolSym) : nullptr;
    if (!pool) continue;
    if (std::find(pools.begin(), pools.end(), pool) == pools.end()) pools.push_back(pool);
    if (pool->m_nGroupType == 1 && group) {
      SUnsortedComBag<ISSymbol> lanes;
      group->GetAllLane(lanes, 1);
      for (int l = 0; l < lanes.GetOrderCount(); ++l) {
        keyed.emplace_back(LaneKey(lanes.GetOrderAt(l), vertical), lanes.GetOrderAt(l));
        held.emplace_back(lanes.GetOrderAt(l));
      }
    } else {
      keyed.emplace_back(LaneKey(s, vertical), s);
      held.emplace_back(s);
    }
  }
  if (pools.empty()) return;
  const std::vector<ISSymbol*> ordered = InKeyOrder(std::move(keyed));
  std::vector<RepObjWrap> holdPools;
  for (SSymSwimLane* p : pools) holdPools.emplace_back(p->Sym());

  bool outside = false;
  if (pools.size() == 1) {
    // ---- within one pool: re-ordered among its lanes where dropped.
    SSymSwimLane* pool = pools.front();
    const SSymRect rect = pool->Sym()->GetClipRect(0, 0);
    if (prefs->CanDrop() && !hit(rect)) {
      outside = true;
    } else {
      const SHORT g = pool->m_nGroupType;
      SSymSwimLane::GroupFormats formats;
      if (g == 1) pool->DeleteAllGroup(&formats);
      ISSymbol* target = nullptr;
      int index = 0;
      if (overlaps(rect)) {
        SComBag<ISSymbol> excluded(moved);
        target = pool->GetLanePosition(drop, &excluded, index);
      } else {
        index = outline.x1 > NormalClip(pool->Sym()).x1 ? -1 : 0;
      }
      ColWrap col = SymbolsOf(target ? target : pool->Sym());
      if (col.IsNull() || col->GetCount() == 1) {
        if (g == 1) pool->CreatePrntGroup(&formats);
        return;
      }
      {
        // The pool and its groups hold still while members leave and come
        // back: no arranging, no deleting of a group emptied meanwhile.
        SSymSwimGroupUpdate filing;
        LONG remembered = col->GetCount();
        for (ISSymbol* x : ordered) {
          SComOut<ISSymOwner> owner;
          if (x->GetOwner(&owner) != S_OK || !owner) continue;
          const bool inCol = PosIn(col.Get(), x) >= 0;
          owner->Remove(x);
          if (inCol) --remembered;
        }
        if (index == -1) index = static_cast<int>(col->GetCount());
        if (index > remembered) index = static_cast<int>(remembered);
        const bool intoGroup = target && target->GetSymbolType() == SSymSwimLane::GroupTypeCode;
        for (ISSymbol* x : ordered) {
          index = std::clamp(index, 0, static_cast<int>(col->GetCount()));
          if (intoGroup && x->GetSymbolType() == SSymSwimLane::GroupTypeCode) {
            // A group dropped into a group gives it its lanes and goes.
            SUnsortedComBag<ISSymbol> lanes;
            if (SSymSwimGroup* g2 = SSymSwimGroup::FromInterface(x)) g2->GetAllLane(lanes, 1);
            for (int l = 0; l < lanes.GetOrderCount(); ++l) {
              ISSymbol* lane = lanes.GetOrderAt(l);
              SComOut<ISSymOwner> laneOwner;
              if (lane->GetOwner(&laneOwner) == S_OK && laneOwner) laneOwner->Remove(lane);
              col->Insert(RepObjWrap(lane).Get(), index++);
            }
            RepObjWrap(x).Get()->Delete();
            continue;
          }
          col->Insert(RepObjWrap(x).Get(), index++);
        }
      }
      if (g == 1) pool->CreatePrntGroup(&formats);
      pool->ArrangeLanes(1);
      return;
    }
  } else {
    // ---- from several pools: only a drop outside all of them re-files.
    for (SSymSwimLane* p : pools)
      if (hit(p->Sym()->GetClipRect(0, 0))) return;
    outside = true;
  }
  if (!outside) return;

  // ---- dropped outside the pools they came from: into the pool under the
  // drop, or into a new pool. Only a pool is taken as the target.
  SSymSwimLane* target = nullptr;
  for (const SComWrap<ISSymbol>& s : top) {
    SSymSwimLane* pool = SSymSwimLane::FromInterface(s.Get());
    if (!pool || pool->IsDeleted() || std::find(pools.begin(), pools.end(), pool) != pools.end()) continue;
    if (hit(s->GetClipRect(0, 0))) {
      target = pool;
      break;
    }
  }
  SSymSwimLane* first = pools.front();
  SSymPoint lookup = drop;
  SComWrap<ISSymbol> made;
  if (!target) {
    SComOut<ISRepSession> session;
    if (FAILED(GetSession(&session)) || !session) throw SECOMException(__func__, __FILE__, __LINE__, E_POINTER);
    SComOut<ISSymbol> created;
    const HRESULT hr = session->CreateObject(CLSID_SSymSwimLane, IID_ISSymbol, created.Void());
    if (FAILED(hr) || !created) throw SECOMException(__func__, __FILE__, __LINE__, FAILED(hr) ? hr : E_POINTER);
    made = created.Get();
    // The new pool starts at the dragged outline's start edge, with no
    // extent across its lanes (the lanes give it one), and its heading
    // where the first pool's heading band would be at the diagram's height.
    const LONG h = first->GetHeadHeight() - SSymSwimHeadingHeight(Diagram());
    SSymRect r = NormalClip(first->Sym());
    if (vertical) {
      r.y1 -= h;
      r.x1 = r.x2 = outline.x1;
    } else {
      r.x1 += h;
      r.y1 = r.y2 = outline.y1;
    }
    if (SComWrap<ISSymbolInit> init(made); !init.IsNull()) init->InitialSymRect(r);
    Add(made.Get());
    target = SSymSwimLane::FromInterface(made.Get());
    if (!target) throw SECOMException(__func__, __FILE__, __LINE__, E_NOINTERFACE);
    SHORT g = first->m_nGroupType;
    for (SSymSwimLane* p : pools)
      if (p->m_nGroupType != g) g = 0;
    if (g == 1) {
      SRepVariant v;
      v.SetSHORT(1);
      target->SetAttribute(SymAttr::Group, v);
    }
    // The symbols enter at the new pool's start edge along its axis.
    if (vertical) lookup.x = r.x1;
    else lookup.y = r.y2;
  }
  RepObjWrap holdTarget(target->Sym());
  const SHORT g = target->m_nGroupType;
  SSymSwimLane::GroupFormats formats;
  if (g == 1) target->DeleteAllGroup(&formats);
  SSymSwimReparentMovedSymbolsToLane(ordered, lookup, target);
  if (g == 1 && !target->IsDeleted()) target->CreatePrntGroup(&formats);
  for (SSymSwimLane* p : pools) {
    DeleteIfEmpty(p);
    if (p->IsDeleted() || p->IsDeleting()) continue;
    if (p->m_nGroupType == 1) {
      SSymSwimLane::GroupFormats fresh;
      p->DeleteAllGroup(&fresh);
      p->CreatePrntGroup(&fresh);
    } else {
      p->ArrangeLanes(1);
    }
  }
}
