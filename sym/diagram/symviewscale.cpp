// Zoom, scrolling and the mouse capture of the diagram window, in the least
// form the window's binding and locks need: the zoom and the view centre go
// through the canvas, and every change repaints unless the view is
// suppressed.
#include <algorithm>

#include "sym/diagram/symview.h"
#include "sym/symbol/symintfowner.h"

void SSymView::ScaleSave() {
  if (m_nHistPos >= HistorySize) {
    std::move(m_history + 1, m_history + HistorySize, m_history);
    m_nHistPos = HistorySize - 1;
  }
  const SSymPoint c = m_canvas.GetViewCenter();
  m_history[m_nHistPos] = HistoryEntry{c.x, c.y, m_canvas.GetZoom()};
  m_nHistCount = ++m_nHistPos;
}

void SSymView::ScalePrevView() {
  if (m_nHistCount == 0 || m_nHistPos == 0) return;
  if (m_nHistPos == m_nHistCount && m_nHistCount < HistorySize) {
    ScaleSave();
    --m_nHistPos;
  }
  const HistoryEntry& e = m_history[--m_nHistPos];
  ScaleTo(e.zoom, SSymPoint(e.x, e.y));
}

void SSymView::ScaleNextView() {
  if (m_nHistPos + 1 >= m_nHistCount) return;
  const HistoryEntry& e = m_history[++m_nHistPos];
  ScaleTo(e.zoom, SSymPoint(e.x, e.y));
}

void SSymView::ScaleTo(double zoom, const SSymPoint& center) {
  zoom = std::clamp(zoom, double(SSymCanvas::ScaleMin), double(SSymCanvas::ScaleMax));
  m_canvas.SetZoomLevel(zoom, center);
  UpdateScrollBars(1);
  m_canvas.Invalidate(1);
}

void SSymView::ScaleTo(double zoom) { ScaleTo(zoom, m_canvas.GetViewCenter()); }

void SSymView::ScaleToRect(const SSymRect& r, int margin) {
  if (margin)
    m_canvas.ZoomRect(r);
  else
    m_canvas.ZoomRectNoMargin(r);
  UpdateScrollBars(1);
  m_canvas.Invalidate(1);
}

void SSymView::ScaleOutToRect(const SSymRect& r) {
  m_canvas.ZoomOutRect(r);
  UpdateScrollBars(1);
  m_canvas.Invalidate(1);
}

void SSymView::ScaleToUsedPages() {
  if (!m_pDiagram) return;
  const SSymRect used = m_pDiagram->GetClipRect();
  if (used.x1 == 0 && used.y1 == 0 && used.x2 == 0 && used.y2 == 0) return;
  ScaleToRect(m_canvas.GetPaperRect(used), 1);
}

void SSymView::UpdateScrollBars(int) {}

void SSymView::OnScroll(const SSymSize& offset, int redraw, int) {
  const SSymPoint c = m_canvas.GetViewCenter();
  m_canvas.SetZoomLevel(m_canvas.GetZoom(), SSymPoint(c.x + offset.cx, c.y + offset.cy));
  if (redraw) m_canvas.Invalidate(1);
}

void SSymView::OnScroll(int, int, int, int) {}

BOOL SSymView::OnMouseWheel(UINT, short, POINT) { return FALSE; }

void SSymView::SetViewportRect(SSymRect& r) { m_viewport = r; }

int SSymView::CaptureMouse(ISSymViewCapture*, int) { return 0; }
