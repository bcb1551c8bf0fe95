#include "sym/symbol/symintfview.h"

#include "sym/render/symdeftcanv.h"
#include "sym/render/symviewsite.h"

namespace {
constinit ISSymViewQueries* g_viewQueries = nullptr;
}  // namespace

ISSymViewQueries* SSymGetViewQueries() { return g_viewQueries; }
void SSymSetViewQueries(ISSymViewQueries* queries) { g_viewQueries = queries; }

bool SSymIsEditView(SSymView* view) { return view && g_viewQueries && g_viewQueries->IsEditView(view); }

void SSymViewNotifyRemove(SSymView* view, ISSymbol* symbol) {
  if (view && g_viewQueries) g_viewQueries->NotifyRemove(view, symbol);
}

SSymCanvasView* SSymGetViewCanvas(SSymView* view) {
  return view && g_viewQueries ? g_viewQueries->GetCanvas(view) : nullptr;
}

SSymSize SSymScreenPixelsToUnits(SIZE pixels) {
  SSymDeftCanvas canvas;
  canvas.Lock();
  SSymSize s = canvas.DPtoVP(pixels);
  if (s.cx < 0) s.cx = -s.cx;
  if (s.cy < 0) s.cy = -s.cy;
  return s;
}

SSymSize SSymPixelsToUnits(SSymView* view, SIZE pixels) {
  if (view && g_viewQueries) return g_viewQueries->PixelsToUnits(view, pixels);
  return SSymScreenPixelsToUnits(pixels);
}

SSymLockViewCanvas::SSymLockViewCanvas(SSymView* view) {
  if (view && g_viewQueries) m_pCanvas = g_viewQueries->LockCanvas(view, m_own);
  if (!m_pCanvas) {
    m_own = std::make_unique<SSymDeftCanvas>();
    m_pCanvas = m_own.get();
  }
}

SSymLockViewCanvas::~SSymLockViewCanvas() = default;

bool SSymViewIsMovingSelection(SSymView* view) {
  ISSymViewQueries* q = SSymGetViewQueries();
  return view && q && q->IsMovingSelection(view);
}

bool SSymViewSelectionContains(SSymView* view, ISSymbol* symbol) {
  ISSymViewQueries* q = SSymGetViewQueries();
  return view && symbol && q && q->SelectionContains(view, symbol);
}

bool ISSymViewQueries::DefersDrawing(SSymView* view) {
  ISSymViewSite* site = SSymGetViewSite();
  return view && site && (site->GetState(view) & ISSymViewSite::StateSuspended) != 0;
}

bool SSymViewDefersDrawing(SSymView* view) {
  ISSymViewQueries* q = SSymGetViewQueries();
  return view && q && q->DefersDrawing(view);
}
