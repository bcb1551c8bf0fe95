#include "sym/composite/symcompupdate.h"

#include <map>

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
