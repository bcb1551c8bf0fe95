// Moving, resizing and picking the swimlane pool, and re-homing symbols
// after a move: the pool carries its separator and members when it moves,
// keeps all pools of a diagram one extent along their lanes when resized,
// shares growth across the lanes among them, and picks by zones (separator,
// members, handles, a border tolerance and the links inside).
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "kvcore/scascade.h"
#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "sym/render/symcanv.h"
#include "sym/render/symcanvview.h"
#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfview.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
using ColWrap = SComWrap<ISRepClassCol, &IID_ISRepClassCol>;

SComWrap<ISSymDiagram> DiagramOf(ISSymbol* symbol) {
  SComWrap<ISSymDiagram> out;
  SComOut<ISSymDiagram> d;
  if (symbol && symbol->GetDiagram(&d) == S_OK && d) out = d.Get();
  return out;
}

SSymRect ClipOf(ISSymbol* s) {
  SSymRect r = s->GetClipRect(0, 0);
  return r.Normalize();
}

// The other live pools of a diagram (its top-level symbols of the pool kind).
std::vector<SSymSwimLane*> OtherPools(ISSymDiagram* diagram, SSymSwimLane* self) {
  std::vector<SSymSwimLane*> out;
  SComOut<ISRepClassCol> col;
  if (!diagram || diagram->GetSymbols(&col) != S_OK || !col) return out;
  for (LONG i = 0; i < col->GetCount(); ++i) {
    SComOut<ISRepObject> item;
    if (col->Item(i, &item) != S_OK || !item) continue;
    SSymSwimLane* pool = SSymSwimLane::FromInterface(item.Get());
    if (pool && pool != self && !pool->IsDeleted()) out.push_back(pool);
  }
  return out;
}

// The collection SubSymbols of a pool or group; null when it has none.
ColWrap SubSymbolsCol(IUnknown* holder) {
  ColWrap out;
  RepObjWrap obj(holder);
  SComOut<ISRepClassCol> col;
  if (!obj.IsNull() && obj->GetCollection(SymAttr::Symbols, &col) == S_OK && col) out = col.Get();
  return out;
}
}  // namespace

// ---- moving ---------------------------------------------------------------------------------------
HRESULT SSymSwimLane::MoveBy(const SSymSize& offset, int redraw) {
  SComWrap<ISSymDiagram> diagram = DiagramOf(Sym());
  if (diagram.IsNull()) return E_FAIL;
  // The title band lies outside the rectangle, so the base move's own
  // redraw does not cover it.
  SSymView* view = diagram->GetFirstView();
  if (SSymCanvasView* canvas = view ? SSymGetViewCanvas(view) : nullptr) {
    SSymRect r = m_rect;
    r.Normalize();
    const SSymRect band = m_bVertical ? SSymRect(r.x1 - BorderTolerance, r.y1 + TitleBand, r.x2 + BorderTolerance, r.y1)
                                      : SSymRect(r.x1 - TitleBand, r.y1 + BorderTolerance, r.x1, r.y2 - BorderTolerance);
    canvas->InvalidateRectLP(band, 1);
  }
  const HRESULT hr = SSymBase::MoveBy(offset, redraw);
  // The members always go with the pool, replays included: a move record
  // that lists the pool leaves out what the pool holds. The separator has
  // no owner, so the record lists it and moves it on its own in a replay.
  if (!IsInUndoContext() && !m_pLineSym.IsNull()) m_pLineSym->MoveBy(offset, 0);
  for (const SComWrap<ISSymbol>& m : Members()) m->MoveBy(offset, redraw);
  return hr;
}

// ---- resizing -------------------------------------------------------------------------------------
HRESULT SSymSwimLane::Transform(const SSymMatrix& matrix, int redraw) {
  if (!matrix.IsFinite()) return E_INVALIDARG;
  if (IsInUndoContext()) return SSymBase::Transform(matrix, redraw);
  SSymRect r = m_rect;
  r.Normalize();
  SSymRect t = m_pExactTarget ? *m_pExactTarget : matrix.Transform(r);
  t.Normalize();
  const int vertical = m_bVertical;
  // The span along the lanes that must stay covered.
  LONG lo = vertical ? t.y2 : t.x1 + m_nHeadSize;
  LONG hi = vertical ? t.y1 - m_nHeadSize : t.x2;
  GetLanesValidSpan(lo, hi);
  SComWrap<ISSymDiagram> diagram = DiagramOf(Sym());
  if (diagram.IsNull()) return 1;
  const std::vector<SSymSwimLane*> others = OtherPools(diagram.Get(), this);
  for (SSymSwimLane* o : others) o->GetLanesValidSpan(lo, hi);

  const LONG g = vertical ? (std::labs(t.x2 - t.x1) + 1) - (std::labs(r.x2 - r.x1) + 1)
                          : (std::labs(t.y1 - t.y2) + 1) - (std::labs(r.y1 - r.y2) + 1);
  SSymRect f;
  if (vertical) {
    f = SSymRect(g > 0 ? t.x1 : r.x1, hi + m_nHeadSize, g > 0 ? t.x2 : r.x2, lo);
  } else {
    f = SSymRect(lo - m_nHeadSize, g > 0 ? t.y1 : r.y1, hi, g > 0 ? t.y2 : r.y2);
  }
  if (f == r) return 0;

  SSymMatrix onto;
  onto.SetTransform(r, f);
  const SSymRect* saved = m_pExactTarget;
  m_pExactTarget = &f;
  HRESULT hr = S_OK;
  try {
    hr = SSymBase::Transform(onto, redraw);
  } catch (...) {
    m_pExactTarget = saved;
    throw;
  }
  m_pExactTarget = saved;

  if (g > 0) {
    SUnsortedComBag<ISSymbol> lanes;
    GetAllLane(lanes, 1);
    const int n = lanes.GetOrderCount();
    if (n == 0) return 1;
    SetCascadeAllowed noCascade(false);
    LONG pos = vertical ? f.x1 : f.y2;
    for (int i = 0; i < n; ++i) {
      const LONG share = i == n - 1 ? g - (n - 1) * (g / n) : g / n;
      if (share == 0) continue;
      ISSymbol* lane = lanes.GetOrderAt(i);
      SSymRect l = ClipOf(lane);
      if (vertical) l.x2 += share;
      else l.y1 += share;
      RepObjWrap laneObj(lane);
      if (!laneObj.IsNull()) laneObj->SetAttribute(SymAttr::ClipRect, RectValue(l));
      lane->MoveBy(vertical ? SSymSize(pos - l.x1, 0) : SSymSize(0, pos - l.y2), 1);
      pos += vertical ? l.x2 - l.x1 : l.y1 - l.y2;
    }
  }
  ArrangeLanes(0);
  SSymSwimReleaseOutsideChildren(this, diagram.Get());

  // Every other pool takes the common span along its lanes.
  for (SSymSwimLane* o : others) {
    if (o->m_nHeadSize == 0) {
      SSymDeftCanvas screen;
      o->GetHeadSize(screen);
    }
    SSymRect orect = o->Sym()->GetClipRect(0, 0);
    if (vertical) {
      orect.y1 = hi + o->m_nHeadSize;
      orect.y2 = lo;
    } else {
      orect.x1 = lo - o->m_nHeadSize;
      orect.x2 = hi;
    }
    o->SetAttrRect(orect);
    o->ArrangeLanes(0);
    SSymSwimReleaseOutsideChildren(o, diagram.Get());
  }
  return hr;
}

void SSymSwimReleaseOutsideChildren(SSymSwimLane* pool, ISSymDiagram* diagram) {
  if (!pool || !diagram) return;
  SUnsortedComBag<ISSymbol> lanes;
  pool->GetAllLane(lanes, 1);
  for (int i = 0; i < lanes.GetOrderCount(); ++i) {
    ISSymbol* laneSym = lanes.GetOrderAt(i);
    SComWrap<ISSymCompSym> comp(laneSym);
    SComWrap<ISSwimlane> lane(laneSym);
    if (comp.IsNull() || lane.IsNull()) continue;
    SComTable<ISSymbol> children;
    comp->GetAllChildren(children, 0);
    for (int c = 0; c < children.GetCount(); ++c) {
      ISSymbol* child = children.GetAt(c);
      const SSymRect cr = child->GetClipRect(0, 0);
      const SSymPoint centre((cr.x1 + cr.x2) / 2, (cr.y1 + cr.y2) / 2);
      if (lane->IsPtInLane(centre)) continue;
      // Held by the table while it changes owner.
      comp->Remove(child, 0);
      diagram->Add(child);
    }
  }
}

// Takes each moved symbol from its owner and inserts it (or, for a group
// that does not survive the move, its lanes) through insert.
namespace {
template <class Insert>
void FileMoved(const std::vector<ISSymbol*>& moved, SSymSwimLane* pool, Insert& insert) {
  for (ISSymbol* each : moved) {
    SComWrap<ISSymbol> s(each);
    if (s.IsNull()) continue;
    SComOut<ISSymOwner> owner;
    if (s->GetOwner(&owner) != S_OK || !owner) continue;
    SComWrap<ISSymbol> ownerSym(owner.Get());
    if (!ownerSym.IsNull()) ownerSym->Redraw(nullptr);
    SSymSwimGroup* group =
        s->GetSymbolType() == SSymSwimLane::GroupTypeCode ? SSymSwimGroup::FromInterface(s.Get()) : nullptr;
    if (group && !(pool->m_nGroupType == 0 && !group->GetObjectW())) {
      // A group that stands for a model object, or any group of a pool
      // grouped by parents, does not survive a move: its lanes do. The
      // group is deleted while it still has its owner (a group outside any
      // diagram refuses deletion and would be left orphaned).
      SUnsortedComBag<ISSymbol> lanes;
      group->GetAllLane(lanes, 1);
      for (int l = 0; l < lanes.GetOrderCount(); ++l) {
        SComWrap<ISSymbol> lane(lanes.GetOrderAt(l));
        SComOut<ISSymOwner> laneOwner;
        if (lane->GetOwner(&laneOwner) == S_OK && laneOwner) laneOwner->Remove(lane.Get());
        insert(lane.Get());
      }
      RepObjWrap(s).Get()->Delete();
      continue;
    }
    owner->Remove(s.Get());
    insert(s.Get());
  }
}
}  // namespace

// ---- re-homing moved symbols ----------------------------------------------------------------------
void SSymSwimReparentMovedSymbolsToLane(const SComBag<ISSymbol>& moved, const SSymPoint& point, SSymSwimLane* pool) {
  // The bag's own order is by address. The symbols enter one after another
  // in their order along the pool instead (from its start edge: the left of
  // side-by-side lanes, the bottom of stacked ones), so that lanes moved
  // together keep their order.
  std::vector<ISSymbol*> ordered;
  for (int i = 0; i < moved.GetCount(); ++i)
    if (moved.GetAt(i)) ordered.push_back(moved.GetAt(i));
  if (pool) {
    const bool vertical = pool->IsVertical() != 0;
    std::stable_sort(ordered.begin(), ordered.end(), [vertical](ISSymbol* a, ISSymbol* b) {
      const SSymRect ra = ClipOf(a), rb = ClipOf(b);
      return vertical ? ra.x1 < rb.x1 : ra.y2 < rb.y2;
    });
  }
  SSymSwimReparentMovedSymbolsToLane(ordered, point, pool);
}

void SSymSwimReparentMovedSymbolsToLane(const std::vector<ISSymbol*>& moved, const SSymPoint& point,
                                        SSymSwimLane* pool) {
  if (!pool) return;
  bool anyGroup = false;
  for (ISSymbol* s : moved) {
    if (s && s->GetSymbolType() == SSymSwimLane::GroupTypeCode) anyGroup = true;
  }
  ColWrap target;
  int pos = 0;
  if (anyGroup) {
    pos = pool->GetPointPosition(point);
  } else if (ISSymbol* group = pool->GetLanePosition(point, nullptr, pos)) {
    target = SubSymbolsCol(group);
  }
  if (target.IsNull()) target = SubSymbolsCol(pool->Sym());
  if (target.IsNull()) return;

  // The position was taken before the moved symbols left their owners: an
  // insertion past the end appends rather than failing and losing the symbol.
  auto insert = [&](ISSymbol* sym) {
    pos = std::clamp(pos, 0, static_cast<int>(target->GetCount()));
    target->Insert(RepObjWrap(sym).Get(), pos++);
  };
  RepObjWrap holdPool(pool->Sym());
  {
    // A pool or group emptied for a moment while its members are re-filed
    // must not delete itself (and the lanes still on their way with it).
    SSymSwimGroupUpdate filing;
    FileMoved(moved, pool, insert);
  }
  if (pool->IsDeleted()) return;
  SSymDeftCanvas screen;
  pool->GetHeadSize(screen);
  pool->ArrangeLanes(0);
}


// ---- picking --------------------------------------------------------------------------------------
BOOL SSymSwimLane::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  if (IsHidden()) return 0;
  const int edgeHandle = m_bVertical ? 3 : 1;
  // The separator first: dragging it resizes the pool.
  if (!m_pLineSym.IsNull() && m_pLineSym->IsPtInSym(canvas, pt, handle, sub) && sub) {
    if (*sub) (*sub)->Release();
    *sub = m_pLineSym.Get();
    (*sub)->AddRef();
    if (handle) *handle = edgeHandle;
    return 1;
  }
  if (sub && *sub) {
    (*sub)->Release();
    *sub = nullptr;
  }
  for (const SComWrap<ISSymbol>& m : Members()) {
    if (m->IsHidden() || !m->IsPtInSym(canvas, pt, handle, sub) || !sub) continue;
    if (!*sub) {
      *sub = m.Get();
      m->AddRef();
    } else if (handle) {
      *handle = edgeHandle;
    }
    return 1;
  }
  if (handle && canvas.HitTestHandles(Sym()->GetClipRect(1, 0), handle, pt)) return 1;
  SSymRect inner = m_rect;
  inner.Normalize();
  inner.Inflate(-BorderTolerance, -BorderTolerance);
  if (!inner.PtInRect(pt)) return 0;
  // A link between symbols inside the lanes is picked rather than the pool.
  SUnsortedComBag<ISSymbol> lanes;
  GetAllLane(lanes, 0);
  SUnsortedComBag<ISSymbol> children;
  for (int i = 0; i < lanes.GetOrderCount(); ++i) {
    SComWrap<ISSymCompSym> comp(lanes.GetOrderAt(i));
    if (comp.IsNull()) continue;
    SComTable<ISSymbol> table;
    comp->GetAllChildren(table, 0);
    for (int c = 0; c < table.GetCount(); ++c) children.Add(table.GetAt(c));
  }
  SComBag<ISSymLink> tried;
  for (int c = 0; c < children.GetOrderCount(); ++c) {
    SComWrap<ISSymLinkable> linkable(children.GetOrderAt(c));
    if (linkable.IsNull()) continue;  // a child that takes no links has none to pick
    const SComBag<ISSymLink> links(linkable->GetLinks());
    for (int k = 0; k < links.GetCount(); ++k) {
      ISSymLink* link = links.GetAt(k);
      if (!tried.Add(link)) continue;
      SComWrap<ISSymbol> linkSym(link);
      if (linkSym.IsNull()) continue;
      ISSymbol* probe = nullptr;
      const BOOL hit = linkSym->IsPtInSym(canvas, pt, handle, sub ? &probe : nullptr);
      if (probe) probe->Release();
      if (hit) return 0;
    }
  }
  return 1;
}

HRESULT SSymSwimLane::IsPtInSubSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** out) {
  for (const SComWrap<ISSymbol>& m : Members()) {
    if (m->IsPtInSubSym(canvas, pt, handle, out) == 0 && out && *out) break;
  }
  return 0;
}
