#include "sym/links/symlinkutil.h"

#include <cstdlib>
#include <vector>

#include "kvcore/scomwrap.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symintfsymbol.h"
#include "sym/symbol/symintfview.h"

namespace {
// Owner chains are short; the bound keeps a corrupt cyclic chain from
// looping for ever.
constexpr int kMaxDepth = 1024;

// The owner of a symbol as a symbol (counted), or empty.
SComWrap<ISSymbol> OwnerSymbol(ISSymbol* symbol) {
  SComOut<ISSymOwner> owner;
  if (FAILED(symbol->GetOwner(&owner)) || !owner) return SComWrap<ISSymbol>();
  return SComWrap<ISSymbol>(owner.Get());
}

template <class I>
bool Answers(ISSymbol* symbol) {
  return !SComWrap<I>(symbol).IsNull();
}
}  // namespace

int IsSymInSwimlane(ISSymbol* symbol) {
  if (!symbol) return 0;
  SComWrap<ISSymbol> up = OwnerSymbol(symbol);
  for (int depth = 0; depth < kMaxDepth && !up.IsNull(); ++depth) {
    if (Answers<ISSwimlane>(up.Get())) return 1;
    up = OwnerSymbol(up.Get());
  }
  return 0;
}

int IsSymInMovingSelection(ISSymbol* symbol) {
  if (!symbol) return 0;
  SSymBase* base = SSymBase::FromInterface(symbol);
  if (!base) return 0;
  SSymView* view = base->GetView();
  if (!view || !SSymIsEditView(view) || !SSymViewIsMovingSelection(view)) return 0;
  if (SSymViewSelectionContains(view, symbol)) return 1;
  SComWrap<ISSymbol> up = OwnerSymbol(symbol);
  for (int depth = 0; depth < kMaxDepth && !up.IsNull(); ++depth) {
    if (SSymViewSelectionContains(view, up.Get())) return 1;
    up = OwnerSymbol(up.Get());
  }
  return 0;
}

int IsPtClippedByComposite(ISSymbol* symbol, SSymPoint point) {
  if (!symbol) return 1;
  if (Answers<ISSymPort>(symbol)) {
    const SSymRect r = symbol->GetClipRect(0, 0);
    const SSymPoint centre(static_cast<LONG>((static_cast<long long>(r.x1) + r.x2) / 2),
                           static_cast<LONG>((static_cast<long long>(r.y1) + r.y2) / 2));
    SComWrap<ISSymbol> owner = OwnerSymbol(symbol);
    return IsPtClippedByComposite(owner.IsNull() ? nullptr : owner.Get(), centre);
  }
  std::vector<SComWrap<ISSymCompSym>> composites;
  SComWrap<ISSymbol> up = OwnerSymbol(symbol);
  for (int depth = 0; depth < kMaxDepth && !up.IsNull(); ++depth) {
    if (Answers<ISSwimlane>(up.Get())) break;
    SComWrap<ISSymCompSym> comp(up.Get());
    if (!comp.IsNull()) {
      bool seen = false;
      for (const auto& c : composites) seen = seen || c.Get() == comp.Get();
      if (!seen) composites.push_back(comp);
    }
    up = OwnerSymbol(up.Get());
  }
  for (auto& comp : composites) {
    SSymRect r = comp->GetDrawRect();
    r.Inflate(-75, -75);
    if (!r.PtInRect(point)) return 1;
  }
  return 0;
}

bool IsPointNear(const SSymPoint& reference, const SSymPoint& point) {
  return std::llabs(static_cast<long long>(point.x) - reference.x) < 45 &&
         std::llabs(static_cast<long long>(point.y) - reference.y) < 45;
}
