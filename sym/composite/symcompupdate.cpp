#include "sym/composite/symcompupdate.h"

#include <map>
#include <vector>

#include "kvcore/scomwrap.h"
#include "kvrep/srepobject.h"

namespace {
// The suspended composites and how many guards hold each; an entry leaves at 0.
std::map<ISSymCompSym*, ULONG>& Registry() {
  static std::map<ISSymCompSym*, ULONG> registry;
  return registry;
}
bool g_bCompUpdateAll = false;

void Unregister(ISSymCompSym* composite) {
  auto& reg = Registry();
  auto it = reg.find(composite);
  if (it == reg.end()) return;
  if (--it->second == 0) reg.erase(it);
}
}  // namespace

SSymCompUpdate::SSymCompUpdate(ISSymCompSym* composite, bool all)
    : m_pComposite(composite), m_bPrevAll(g_bCompUpdateAll), m_bRegistered(composite != nullptr) {
  g_bCompUpdateAll = g_bCompUpdateAll || all;
  if (m_pComposite) {
    m_pComposite->AddRef();
    ++Registry()[m_pComposite];
  }
}

SSymCompUpdate::~SSymCompUpdate() {
  g_bCompUpdateAll = m_bPrevAll;
  Done();
  if (m_pComposite) m_pComposite->Release();
}

void SSymCompUpdate::Done() {
  if (!m_bRegistered) return;
  m_bRegistered = false;
  Unregister(m_pComposite);
}

bool SSymCompUpdate::CanUpdate(ISSymCompSym* composite) {
  if (g_bCompUpdateAll) return true;
  return composite && Registry().count(composite) != 0;
}

ULONG SSymCompUpdate::GetCount(ISSymCompSym* composite) {
  auto it = Registry().find(composite);
  return it == Registry().end() ? 0 : it->second;
}

bool SSymCompUpdate::IsAllSuspended() { return g_bCompUpdateAll; }

int IsSymInCompAncestors(ISSymbol* symbol, ISSymbol* start) {
  if (!symbol) return 0;
  const SSymRect rect = symbol->GetClipRect(0, 0);
  // The composites from start upwards, each once. Every symbol met is kept so
  // that owner links that loop end the walk instead of running forever.
  constexpr int kMaxDepth = 256;
  std::vector<SComWrap<ISSymbol>> met;
  std::vector<SComWrap<ISSymbol>> composites;
  SComWrap<ISSymbol> at(start);
  for (int depth = 0; depth < kMaxDepth && !at.IsNull(); ++depth) {
    bool seen = false;
    for (const auto& m : met) seen = seen || SRepAreSameObjects(m, at);
    if (seen) break;
    met.push_back(at);
    if (!SComWrap<ISSymCompSym>(at).IsNull()) composites.push_back(at);
    SComOut<ISSymOwner> owner;
    if (FAILED(at->GetOwner(&owner)) || !owner) break;
    at = SComWrap<ISSymbol>(owner.Get());
  }
  for (const auto& comp : composites) {
    SSymRect inner = comp->GetClipRect(0, 0);
    inner.Inflate(-SSymCompInnerInset, -SSymCompInnerInset);
    const SSymRect common = Intersect(inner, rect);
    // Rectangles that miss each other intersect in the all-zero rectangle.
    if (common.x1 == common.x2 && common.y1 == common.y2) return 0;
  }
  return 1;
}
