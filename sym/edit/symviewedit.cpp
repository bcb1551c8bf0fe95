#include "sym/edit/symviewedit.h"

#include <algorithm>

#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symdisppref.h"
#include "sym/diagram/symmovesite.h"

// The host makes its editing windows itself: the record creates none.
KV_IMPLEMENT_CLASSINFO(SSymViewEdit, SSymView);

SSymViewEdit::SSymViewEdit() : m_selection(this) {}

SSymViewEdit::~SSymViewEdit() {
  // The selection lets go of its symbols, quietly, before the window
  // leaves its diagram.
  m_selection.SetDiagram(nullptr);
  m_selection.Clear(0);
}

void SSymViewEdit::SetDiagram(ISSymDiagram* diagram) {
  SSymView::SetDiagram(diagram);
  m_selection.SetDiagram(GetDiagramPtr());
}

void SSymViewEdit::ScalePageSize(double percent) {
  SetPaperScale(std::clamp(percent, MinPageScale, MaxPageScale));
  ScaleToUsedPages();
}

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

// ---- the diagram's way to the window after a move --------------------------------------------------
namespace {
bool GetDrop(SSymViewEdit* view, SSymRect& outline, SSymPoint& drop) {
  SSymTrackerMover* tracker = view ? view->GetMoveTracker() : nullptr;
  if (!tracker) return false;
  outline = tracker->GetRect();
  drop = view->GetDropPoint();
  return true;
}

struct MoveSiteInstaller {
  MoveSiteInstaller() { SSymSetMoveSite(SSymMoveSite{&GetDrop, &MoveSymbolsNotInBag}); }
  ~MoveSiteInstaller() { SSymSetMoveSite(SSymMoveSite{}); }
} g_moveSiteInstaller;
}  // namespace
