#include "sym/diagram/symviewedit.h"

#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symdisppref.h"
#include "sym/symbol/symintfsymbol.h"

SSymPoint SSymViewEdit::GetDropPoint() const { return m_pTracker ? m_pTracker->GetCurrentPoint() : SSymPoint(); }

void SSymViewEdit::OnActvSwimlane() { ShowSwimlanes(1); }

void SSymViewEdit::OnDesactvSwimlane() { ShowSwimlanes(0); }

void SSymViewEdit::ShowSwimlanes(int show) {
  ISSymDiagram* diagram = GetDiagramPtr();
  SSymDispPref* prefs = GetDispPrefPtr();
  if (!diagram || !prefs || !prefs->IsSupportSwimSymbol()) return;
  prefs->SetShowSwimlane(show);
  diagram->ApplyDispPref();
  InvalidateAll(1);
}

void MoveSymbolsNotInBag(SSymViewEdit* view, const SComBag<ISSymbol>& moved, const SSymSize& offset) {
  if (!view) return;
  SSymDiagramImpl* diagram = SSymDiagramImpl::FromDiagram(view->GetDiagramPtr());
  if (!diagram) return;
  const SComTable<ISSymbol> pools = diagram->GetSwimLaneList();
  for (int i = 0; i < pools.GetCount(); ++i) {
    ISSymbol* pool = pools.GetAt(i);
    if (pool && !moved.Contains(pool)) pool->MoveBy(offset, 1);
  }
}
