// Composite children layout: new children in rows below the existing ones,
// and the matrix that keeps children enclosed when the composite is moved or
// resized.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "sym/composite/symcompimpl.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"

namespace {

using i64 = std::int64_t;

// Distances of the layout, in diagram units: children keep this far from the
// composite's sides and from the title, and rows and neighbours keep a gap.
constexpr i64 kInset = 600;
constexpr i64 kGap = 300;
// A matrix is left alone when the children lie within this distance of the
// transformed composite.
constexpr LONG kEnclosedSlack = 10;

LONG Clamp32(i64 v) {
  return static_cast<LONG>(std::clamp<i64>(v, INT32_MIN, INT32_MAX));
}

SSymRect Normalized(SSymRect r) {
  r.Normalize();
  return r;
}

}  // namespace

HRESULT SSymCompImpl::LayoutChildrenSym(SUnsortedComBag<ISSymbol>& added) {
  if (!m_pSymbol) return E_UNEXPECTED;
  ISSymbol* self = m_pSymbol->Sym();
  // R: the part of the composite the children are placed in (y up: y1 top).
  SSymRect area = Normalized(self->GetClipRect(0, 0));
  SComWrap<ISSymSubSym> sub(self);
  if (sub.IsNull()) return S_FALSE;  // no title service: nothing is laid out
  if (m_pCompDef && (m_pCompDef->nFlags & SSymCompDef::CompAdjustChildRect)) {
    LONG left = 0, right = 0, top = 0, bottom = 0;
    if (sub->GetSubSymMargins(&left, &right, &top, &bottom)) {
      area.x1 = Clamp32(static_cast<i64>(area.x1) + left);
      area.x2 = Clamp32(static_cast<i64>(area.x2) - right);
      area.y1 = Clamp32(static_cast<i64>(area.y1) - top);
      area.y2 = Clamp32(static_cast<i64>(area.y2) + bottom);
    }
  }

  // The children to place follow the collection order; the others are the
  // occupied area the new ones go below. Links and excluded children are
  // neither.
  std::vector<SComWrap<ISSymbol>> place;
  SSymRect occupied;
  bool anyOccupied = false;
  if (SComOut<ISRepClassCol> col = GetSymbols(); col) {
    std::vector<SComWrap<ISSymbol>> members;
    for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
      SComOut<ISRepObject> item;
      if (col->Item(i, &item) != S_OK || !item) continue;
      SComWrap<ISSymbol> child(item.Get());
      if (!child.IsNull()) members.push_back(child);
    }
    for (const SComWrap<ISSymbol>& child : members) {
      if (SComWrap<ISSymbolInit> init(child); !init.IsNull()) init->InitialSym(child.Get());
      if (!SComWrap<ISSymLink>(child).IsNull() || IsExcludedChild(child.Get())) continue;
      if (added.Contains(child.Get())) {
        place.push_back(child);
        continue;
      }
      const SSymRect r = Normalized(child->GetClipRect(0, 0));
      if (!anyOccupied) occupied = r;
      else occupied = SSymRect(std::min(occupied.x1, r.x1), std::max(occupied.y1, r.y1),
                               std::max(occupied.x2, r.x2), std::min(occupied.y2, r.y2));
      anyOccupied = true;
    }
  }
  if (place.empty()) return S_OK;

  // About as many per row as rows: n = 5 gives 3, 10 gives 4, 26 gives 5.
  const i64 perRow = static_cast<i64>(std::sqrt(static_cast<double>(place.size())) + 0.9);
  i64 x = static_cast<i64>(area.x1) + kInset;
  i64 y;
  if (occupied.IsDegenerate()) {
    LONG titleWidth = 0, titleHeight = 0;
    sub->GetSubSymSize(&titleWidth, &titleHeight);
    y = static_cast<i64>(area.y1) - (static_cast<i64>(titleHeight) + kInset);
  } else {
    y = static_cast<i64>(occupied.y2) - kGap;
    area.y1 = occupied.y2;  // the overflow test looks at the part below the existing children
  }

  int outside = 0;
  i64 inRow = 0, rowHeight = 0;
  for (const SComWrap<ISSymbol>& child : place) {
    const SSymRect c = child->GetClipRect(1, 1);
    const i64 w = std::llabs(static_cast<i64>(c.x2) - c.x1);
    const i64 h = std::llabs(static_cast<i64>(c.y1) - c.y2) + 1;
    if (inRow >= perRow && x + w + 1 > static_cast<i64>(area.x2) - kInset) {
      y = y - kGap - rowHeight;
      x = static_cast<i64>(area.x1) + kInset;
      inRow = 0;
      rowHeight = 0;
    }
    rowHeight = std::max(rowHeight, h);
    // The upper left corner lands on (x, y).
    const SSymSize by(Clamp32(x - std::min(c.x1, c.x2)), Clamp32(y - std::max(c.y1, c.y2)));
    child->MoveBy(by, 1);
    SSymRect moved = Normalized(c);
    moved.OffsetRect(by.cx, by.cy);
    if (!area.ContainsRect(moved)) ++outside;
    ++inRow;
    x += w + kGap + 1;
  }

  if (SComWrap<ISSymAdjust> adjust(self); !adjust.IsNull() && adjust->IsAdjusted()) adjust->AutoAdjustText(0, 0);
  if (outside > 0) UpdateRect();
  return S_OK;
}

HRESULT SSymCompImpl::RecomputeMatrix(const SSymMatrix& move, SSymMatrix& children) {
  if (!m_pSymbol) return E_UNEXPECTED;
  const SSymRect r = m_pSymbol->Sym()->GetClipRect(0, 0);
  SSymRect moved = Normalized(move.Transform(r));
  moved.Inflate(kEnclosedSlack, kEnclosedSlack);
  const SSymRect need = Normalized(GetChildrenRect(1));
  SSymRect common = moved;
  common &= need;
  if (common == need) return S_FALSE;  // the children stay inside: unchanged
  children.SetTransform(r, Union(moved, need));
  return S_OK;
}
