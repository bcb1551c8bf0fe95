#include "sym/edit/symselection.h"

#include <memory>
#include <new>
#include <vector>

#include "kvcore/snotify.h"
#include "kvrep/srepsession.h"
#include "sym/edit/symviewedit.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfplace.h"

namespace {
// Owner chains are short; a longer one is a loop in the owner links.
constexpr int kMaxOwnerDepth = 256;
}  // namespace

namespace {
// Whether one of the owners above the symbol is selected as well: such a
// symbol moves with that owner and must not move once more on its own.
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

SClassInfo SSymSelection::__clsinf("SSymSelection", sizeof(SSymSelection), &SObject::__clsinf,
                                   &SSymSelection::CreateObject);

SSymSelection::SSymSelection(SSymView* view) : m_pView(view) {}

SObject* SSymSelection::CreateObject() { return new (std::nothrow) SSymSelection(); }

SSymSelection::~SSymSelection() = default;

void SSymSelection::Add(ISSymbol* symbol, int) {
  if (!symbol || Contains(symbol)) return;
  if (m_pView && !CanSelect(symbol)) return;
  m_symbols.Add(symbol);
  m_members.Insert(symbol);
  NotifyChanged();
}

void SSymSelection::Clear(int) {
  m_symbols.RemoveAll();
  m_members.Clear();
  NotifyChanged();
}

void SSymSelection::Remove(ISSymbol* symbol, int) {
  if (!Contains(symbol)) return;
  m_symbols.RemoveAt(m_symbols.IndexOf(symbol));
  m_members.Erase(symbol);
  NotifyChanged();
}

SSymRect SSymSelection::GetClipRect() const {
  SSymRect r(0, 0, 0, 0);
  for (ISSymbol* s : m_symbols) r = Union(r, s->GetClipRect(1, 1));
  return r;
}

HRESULT SSymSelection::MoveBy(const SSymSize& offset, int redraw, int) {
  if (m_symbols.IsEmpty() || (offset.cx == 0 && offset.cy == 0)) return S_OK;
  // A copy: a move may change the membership (a symbol taken into a lane).
  // A symbol whose owner is selected too moves with that owner only.
  SComTable<ISSymbol> moved;
  for (ISSymbol* s : m_symbols)
    if (!OwnerSelected(s, m_symbols)) moved.Add(s);
  // One step of the session the symbols live in; symbols without a session
  // move without a record.
  std::unique_ptr<SRepCreateOrReuseContext> step;
  if (ISRepObject* o = SSymGetRepObject(moved.GetAt(0))) step = std::make_unique<SRepCreateOrReuseContext>(o);
  HRESULT result = S_OK;
  for (ISSymbol* s : moved) {
    const HRESULT hr = s->MoveBy(offset, redraw);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  // The diagram's follow-up belongs to the same step.
  if (!m_diagram.IsNull()) {
    SComBag<ISSymbol> bag;
    for (ISSymbol* s : moved) bag.Add(s);
    m_diagram->UpdateSymMove(bag, offset, dynamic_cast<SSymViewEdit*>(m_pView));
  }
  return result;
}

bool SSymSelection::Contains(ISSymbol* symbol) const { return m_members.Contains(symbol); }

int SSymSelection::CanSelect(ISSymbol* symbol) {
  if (!symbol || symbol->IsHidden()) return 0;
  // Sub-objects and ports belong to their symbol's face, not to its content.
  if (symbol->IsSubObject() || !SComWrap<ISSymPort>(symbol).IsNull()) return 1;
  // A child of a composite is selectable only while every composite it lies
  // in shows its content as editable.
  // The owners met on the way up (the list is made only below a top-level
  // symbol: most symbols asked lie on the diagram itself).
  std::vector<SComWrap<ISSymbol>> met;
  ISSymbol* at = symbol;
  for (int depth = 0; depth < kMaxOwnerDepth; ++depth) {
    SComOut<ISSymOwner> owner;
    if (FAILED(at->GetOwner(&owner)) || !owner) break;
    SComWrap<ISSymbol> up(owner.Get());
    if (up.IsNull()) break;  // the diagram
    if (met.empty()) met.emplace_back(symbol);
    for (const auto& m : met)
      if (SRepAreSameObjects(m, up)) return 1;  // a loop in the owner links ends the walk
    if (!SComWrap<ISSymCompSym>(up).IsNull() && !SSymIsEditable(up, nullptr, m_diagram.Get())) return 0;
    met.push_back(up);
    at = met.back().Get();
  }
  return 1;
}

void SSymSelection::NotifyChanged() {
  if (!m_diagram.IsNull() && SSymGetSelChangeNotify())
    SNotificationManager::Notify(SSymNotifySelChanged, m_diagram.Get(), 0);
}
