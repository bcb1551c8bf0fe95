#include "sym/edit/symselection.h"

#include <memory>
#include <vector>

#include "kvcore/snotify.h"
#include "kvrep/srepsession.h"
#include "sym/diagram/symviewedit.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfplace.h"

namespace {
// Owner chains are short; a longer one is a loop in the owner links.
constexpr int kMaxOwnerDepth = 256;
}  // namespace

SSymSelection::SSymSelection(SSymView* view) : m_pView(view) {}

SSymSelection::~SSymSelection() = default;

void SSymSelection::Add(ISSymbol* symbol, int) {
  if (!symbol || Contains(symbol)) return;
  if (m_pView && !CanSelect(symbol)) return;
  m_symbols.Add(symbol);
  NotifyChanged();
}

void SSymSelection::Clear(int) {
  m_symbols.RemoveAll();
  NotifyChanged();
}

void SSymSelection::Remove(ISSymbol* symbol, int) {
  const int i = symbol ? m_symbols.IndexOf(symbol) : -1;
  if (i < 0) return;
  m_symbols.RemoveAt(i);
  NotifyChanged();
}

SSymRect SSymSelection::GetClipRect() const {
  SSymRect r(0, 0, 0, 0);
  for (ISSymbol* s : m_symbols) r = Union(r, s->GetClipRect(1, 1));
  return r;
}

bool SSymSelection::Contains(ISSymbol* symbol) const { return m_symbols.Contains(symbol); }

int SSymSelection::CanSelect(ISSymbol* symbol) {
  if (!symbol || symbol->IsHidden()) return 0;
  // Sub-objects and ports belong to their symbol's face, not to its content.
  if (symbol->IsSubObject() || !SComWrap<ISSymPort>(symbol).IsNull()) return 1;
  // A child of a composite is selectable only while every composite it lies
  // in shows its content as editable.
  std::vector<SComWrap<ISSymbol>> met{SComWrap<ISSymbol>(symbol)};
  for (int depth = 0; depth < kMaxOwnerDepth; ++depth) {
    SComOut<ISSymOwner> owner;
    if (FAILED(met.back()->GetOwner(&owner)) || !owner) break;
    SComWrap<ISSymbol> up(owner.Get());
    if (up.IsNull()) break;  // the diagram
    for (const auto& m : met)
      if (SRepAreSameObjects(m, up)) return 1;  // a loop in the owner links ends the walk
    if (!SComWrap<ISSymCompSym>(up).IsNull() && !SSymIsEditable(up, nullptr, m_diagram.Get())) return 0;
    met.push_back(up);
  }
  return 1;
}

namespace {
// Whether one of the owners above the symbol is selected as well.
bool OwnerSelected(ISSymbol* symbol, const SComTable<ISSymbol>& selected) {
  SComWrap<ISSymbol> at(symbol);
  for (int depth = 0; depth < kMaxOwnerDepth; ++depth) {
    SComOut<ISSymOwner> owner;
    if (FAILED(at->GetOwner(&owner)) || !owner) return false;
    SComWrap<ISSymbol> up(owner.Get());
    if (up.IsNull()) return false;  // the diagram
    for (int i = 0; i < selected.GetCount(); ++i)
      if (SRepAreSameObjects(selected.GetAt(i), up)) return true;
    at = up;
  }
  return false;
}
}  // namespace

void SSymSelection::MoveBy(const SSymSize& offset, int redraw, int update) {
  if (m_diagram.IsNull() || m_symbols.GetCount() == 0) return;
  SComBag<ISSymbol> moved;
  for (int i = 0; i < m_symbols.GetCount(); ++i)
    if (!OwnerSelected(m_symbols.GetAt(i), m_symbols)) moved.Add(m_symbols.GetAt(i));
  SComWrap<ISRepObject, &IID_ISRepObject> diagramObj(m_diagram);
  // One step for the moves and the diagram's follow-up; it closes on every
  // exit, so a failure of the follow-up leaves a whole step behind.
  std::unique_ptr<SRepCreateContext> step;
  if (!diagramObj.IsNull()) step = std::make_unique<SRepCreateContext>(diagramObj.Get());
  for (int i = 0; i < moved.GetCount(); ++i) moved.GetAt(i)->MoveBy(offset, redraw);
  if (update) m_diagram->UpdateSymMove(moved, offset, dynamic_cast<SSymViewEdit*>(m_pView));
}

void SSymSelection::NotifyChanged() {
  if (!m_diagram.IsNull() && SSymGetSelChangeNotify())
    SNotificationManager::Notify(SSymNotifySelChanged, m_diagram.Get(), 0);
}
