// The display preferences applied to the diagram's swimlane pools: pools
// dissolved when swimlanes are not shown, turned into the preferred
// orientation and placed one after another when they are.
#include <algorithm>
#include <utility>
#include <vector>

#include "sym/composite/symswimpool.h"
#include "sym/diagram/symdiagram.h"
#include "sym/symbol/symintfplace.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// Gives the children of every lane of the pool to the diagram, where they
// stand, and deletes the pool.
void Dissolve(SSymDiagramImpl& diagram, SSymSwimLane* pool) {
  RepObjWrap hold(pool->Sym());
  SUnsortedComBag<ISSymbol> lanes;
  pool->GetAllLane(lanes, 1);
  for (int i = 0; i < lanes.GetOrderCount(); ++i) {
    SComWrap<ISSymCompSym> comp(lanes.GetOrderAt(i));
    RepObjWrap laneObj(lanes.GetOrderAt(i));
    if (comp.IsNull() || laneObj.IsNull()) continue;
    SComOut<ISRepClassCol> col;
    if (laneObj->GetCollection(SymAttr::Symbols, &col) != S_OK || !col) continue;
    // The walk starts again from the front after each child leaves; a child
    // the lane does not let go ends it rather than being met forever.
    for (LONG count = col->GetCount(); count > 0;) {
      SComOut<ISRepObject> item;
      if (col->Item(0, &item) != S_OK || !item) break;
      SComWrap<ISSymbol> child(item.Get());
      if (child.IsNull()) break;
      comp->Remove(child.Get(), 0);
      diagram.Add(child.Get());
      const LONG left = col->GetCount();
      if (left >= count) break;
      count = left;
    }
  }
  pool->Delete();
}
}  // namespace

void SSymDiagramImpl::ApplyDispPref() {
  if (GetCount() == 0) return;
  SSymDispPref* prefs = GetDispPrefPtr();
  if (!prefs) return;
  // The stored values, not what a preview shows.
  const int show = prefs->m_bShowSwimlane;
  const bool vertical = prefs->m_bSwimlaneVert != 0;

  std::vector<SComWrap<ISSymbol>> snapshot;
  for (SRepObject* item : Collection(IdSymbols)->Items()) {
    SComWrap<ISSymbol> s(static_cast<ISRepObject*>(item));
    if (!s.IsNull()) snapshot.push_back(s);
  }

  // The pools to turn, by their place along the axis they were lined up
  // on: bottom edges for pools that were stacked (now to stand side by
  // side), left edges for pools that stood side by side. Pools at one place
  // all stay, in diagram order.
  std::vector<std::pair<long long, SSymSwimLane*>> turning;
  for (const SComWrap<ISSymbol>& s : snapshot) {
    SSymSwimLane* pool = SSymSwimLane::FromInterface(s.Get());
    if (!pool || pool->IsDeleted()) continue;
    if (!show) {
      Dissolve(*this, pool);
      continue;
    }
    if ((pool->IsVertical() != 0) == vertical) continue;
    SSymRect r = s->GetClipRect(0, 0);
    r.Normalize();
    turning.emplace_back(vertical ? r.y2 : r.x1, pool);
  }
  if (turning.empty()) return;
  std::stable_sort(turning.begin(), turning.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

  for (const auto& [key, pool] : turning) pool->ChangeOrientation();

  // Each later pool is placed after the one placed before it, at the
  // distance their places had before the turn (never less than the previous
  // pool's extent, so that none lies over another): side by side from the
  // previous pool's bottom-left corner, or stacked from its bottom-right
  // corner. Placing every pool from the first pool's corner would lay the
  // third and later ones over one another.
  for (std::size_t i = 1; i < turning.size(); ++i) {
    ISSymbol* previous = turning[i - 1].second->Sym();
    ISSymbol* pool = turning[i].second->Sym();
    SSymRect before = previous->GetClipRect(0, 0);
    const SSymPoint anchor = before.GetPoint(vertical ? 6 : 4);
    const long long extent = vertical ? static_cast<long long>(before.x2) - before.x1
                                      : static_cast<long long>(before.y1) - before.y2;
    const long long gap = std::max(turning[i].first - turning[i - 1].first, extent);
    SSymRect r = pool->GetClipRect(0, 0);
    r.Normalize();
    const SSymSize move = vertical ? SSymSize(static_cast<LONG>(anchor.x + gap - r.x1), anchor.y - r.y2)
                                   : SSymSize(anchor.x - r.x2, static_cast<LONG>(anchor.y + gap - r.y2));
    if (move.cx != 0 || move.cy != 0) pool->MoveBy(move, 0);
  }

  for (const auto& [key, pool] : turning) {
    SUnsortedComBag<ISSymbol> lanes;
    pool->GetAllLane(lanes, 1);
    for (int i = 0; i < lanes.GetOrderCount(); ++i) {
      SComWrap<ISSymCompSym> comp(lanes.GetOrderAt(i));
      if (!comp.IsNull()) comp->UpdateRect();
    }
    pool->ArrangeLanes(1);
  }
}
