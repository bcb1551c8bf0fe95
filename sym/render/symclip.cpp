// Clip and colour scopes around drawing on a canvas.
#include "sym/render/symclip.h"

SCanvasClipRgn::SCanvasClipRgn(SSymCanvas& canvas, SSymRect& r) : m_pDC(canvas.GetCanvasDC()) {
  if (!m_pDC) return;
  const RECT rc = canvas.VPtoDP(r);
  m_nSaved = m_pDC->SaveDC();
  SRgn rgn;
  rgn.CreateRectRgnIndirect(&rc);
  m_pDC->SelectClipRgn(&rgn, RGN_AND);
}

SCanvasClipRgn::~SCanvasClipRgn() {
  if (m_pDC && m_nSaved) m_pDC->RestoreDC(m_nSaved);
}

saveCanvasColor::saveCanvasColor(SSymCanvas& canvas) : m_canvas(canvas) {
  m_canvas.GetBrush(m_brush);
  m_bkBrush = m_canvas.GetBkBrush();
}

saveCanvasColor::~saveCanvasColor() {
  m_canvas.SetBrush(m_brush, 0);
  m_canvas.SetBkBrush(m_bkBrush);
}
