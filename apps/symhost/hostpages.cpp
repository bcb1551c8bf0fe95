#include "apps/symhost/hostpages.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "kvcore/scomwrap.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfowner.h"

namespace {

// One axis: a block of `count` cells of `cell` units holds a drawing of
// `length` units whose boxes span [a, b] from the drawing's start.
SHostPageShift BestShift(long long cell, long long count, long long length,
                         const std::vector<std::pair<long long, long long>>& spans) {
  const long long room = std::max(0LL, count * cell - length);
  const long long middle = room / 2;
  SHostPageShift best{static_cast<LONG>(middle), static_cast<std::size_t>(-1)};
  auto attempt = [&](long long shift) {
    std::size_t cuts = 0;
    for (const auto& [a, b] : spans)
      if ((a + shift) / cell != (b + shift) / cell) ++cuts;
    if (cuts < best.cuts || (cuts == best.cuts && std::llabs(shift - middle) < std::llabs(best.room - middle)))
      best = SHostPageShift{static_cast<LONG>(shift), cuts};
  };
  // Whole pixels of the screen (75 units) are fine enough; the middle and
  // the whole room are tried too.
  attempt(middle);
  for (long long shift = 0; shift < room; shift += 75) attempt(shift);
  attempt(room);
  return best;
}

}  // namespace

SHostPagePlacement SHostPlaceOnPages(const SSymSize& page, const SSymRect& used, const std::vector<SSymRect>& boxes) {
  SHostPagePlacement p;
  if (page.cx <= 0 || page.cy <= 0) return p;
  const long long w = static_cast<long long>(used.x2) - used.x1 + 1, h = static_cast<long long>(used.y1) - used.y2 + 1;
  p.across = (w + page.cx - 1) / page.cx;
  p.down = (h + page.cy - 1) / page.cy;
  // Boxes measured from the drawing's left edge and from its top (the pages
  // run downward); parts outside the drawing count from its edges.
  std::vector<std::pair<long long, long long>> xs, ys;
  for (const SSymRect& r : boxes) {
    xs.emplace_back(std::clamp<long long>(r.x1 - used.x1, 0, w - 1), std::clamp<long long>(r.x2 - used.x1, 0, w - 1));
    ys.emplace_back(std::clamp<long long>(used.y1 - r.y1, 0, h - 1), std::clamp<long long>(used.y1 - r.y2, 0, h - 1));
  }
  p.x = BestShift(page.cx, p.across, w, xs);
  p.y = BestShift(page.cy, p.down, h, ys);
  return p;
}

std::vector<SSymRect> SHostBoxesOf(const std::vector<ISSymbol*>& symbols) {
  std::vector<SSymRect> out;
  auto add = [&out](ISSymbol* s) {
    if (!s || s->IsHidden() || !SComWrap<ISSymLink>(s).IsNull()) return;
    SSymRect r = s->GetClipRect(1, 0);
    out.push_back(r.Normalize());
  };
  for (ISSymbol* s : symbols) {
    add(s);
    SComTable<ISSymbol> inside;
    if (SComWrap<ISSymTree> tree(s); !tree.IsNull()) tree->GetAllChildren(inside, 1, 0);
    else if (SComWrap<ISSymCompSym> comp(s); !comp.IsNull()) comp->GetAllChildren(inside, 1);
    for (int i = 0; i < inside.GetCount(); ++i) add(inside.GetAt(i));
  }
  return out;
}
