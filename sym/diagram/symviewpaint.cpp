// Painting of the diagram window.
#include "kvcore/sdc.h"
#include "sym/diagram/symview.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfsymbol.h"

void SSymView::OnPaint() {
  if (DeferPaintWhileSuppressed()) return;
  SPaintDC dc(m_hWnd);
  if (!dc.GetSafeHdc()) return;
  const bool wasLocked = m_canvas.IsLocked();
  if (wasLocked) m_canvas.Unlock();
  m_canvas.Lock(dc);
  m_background.DrawBackground(m_canvas.GetCanvasDC(), dc.m_ps.rcPaint, dc.m_ps.fErase, 1);
  if (!(m_nState & StateSuspended)) {
    SSymRect area = m_canvas.DPtoVP(dc.m_ps.rcPaint);
    area.Normalize();
    area.Inflate(300, 300);
    OnDraw(area);
  }
  m_canvas.Unlock();
}

void SSymView::OnDraw(const SSymRect& area) {
  if (!m_pDiagram) return;
  LockPaint lock(this, 0);
  const int drawing = m_nState & StateDrawing;
  m_nState |= StateDrawing;
  ISRepClassCol* col = nullptr;
  if (SUCCEEDED(m_pDiagram->GetSymbols(&col)) && col) {
    for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
      ISRepObject* obj = nullptr;
      if (FAILED(col->Item(i, &obj)) || !obj) continue;
      ISSymbol* s = nullptr;
      obj->QueryInterface(IID_ISSymbol, reinterpret_cast<void**>(&s));
      obj->Release();
      if (!s) continue;
      if (s->IsVisibleInRect(m_canvas, area)) s->Draw(m_canvas);
      s->Release();
    }
    col->Release();
  }
  DrawAfterSymbols(area);
  m_nState = (m_nState & ~StateDrawing) | drawing;
}

void SSymView::DrawWatermark(const SSymRect&) {}

void SSymView::DrawFocusMark() {}

void SSymView::DrawSelectionMark() {}

void SSymView::OnLButtonUp(UINT, POINT) {}

void SSymView::OnRButtonUp(UINT, POINT) {}
