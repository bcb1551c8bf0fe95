// Selection handles: 6 x 6 pixel boxes drawn by inverting the pixels under
// them (so that drawing them again removes them), their size in diagram
// units, and the hit test over the eight handles of a rectangle.
#include "sym/render/symcanv.h"

SSymCanvas::SSymHandle::SSymHandle() {
  m_pen.CreatePen(PS_SOLID, 0, 0);
  m_brush.CreateSolidBrush(0xFFFFFF);
  m_hatchPen.CreateStockObject(NULL_PEN);
  // Diagonal stripes four pixels apart.
  static const WORD rows[8] = {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88};
  SBitmap pattern;
  pattern.CreateBitmap(8, 8, 1, 1, rows);
  m_hatchBrush.CreatePatternBrush(pattern);
}

void SSymCanvas::SSymHandle::SetupDC(SDC* dc) {
  if (!dc) return;
  m_oldPen = dc->SelectObject(m_pen);
  m_oldBrush = dc->SelectObject(m_brush);
  m_oldRop = dc->SetROP2(R2_NOT);
}

void SSymCanvas::SSymHandle::RestoreDC(SDC* dc) {
  if (!dc) return;
  if (m_oldPen) dc->SelectObject(m_oldPen);
  if (m_oldBrush) dc->SelectObject(m_oldBrush);
  if (m_oldRop) dc->SetROP2(m_oldRop);
  m_oldPen = nullptr;
  m_oldBrush = nullptr;
  m_oldRop = 0;
}

void SSymCanvas::SSymHandle::Draw(SDC* dc, POINT p) {
  m_rect = RECT{p.x - m_halfX, p.y - m_halfY, p.x + m_halfX, p.y + m_halfY};
  dc->Rectangle(m_rect);
}

void SSymCanvas::SSymHandle::HatchRect(SDC* dc, const RECT& r) {
  if (!dc) return;
  m_hatchBrush.UnrealizeObject();
  HGDIOBJ oldBrush = dc->SelectObject(m_hatchBrush);
  HGDIOBJ oldPen = dc->SelectObject(m_hatchPen);
  const int oldBk = dc->SetBkMode(TRANSPARENT);
  const int oldRop = dc->SetROP2(R2_MASKNOTPEN);
  dc->Rectangle(r.left + 1, r.top + 1, r.right, r.bottom);
  dc->SetROP2(oldRop);
  dc->SetBkMode(oldBk);
  if (oldPen) dc->SelectObject(oldPen);
  if (oldBrush) dc->SelectObject(oldBrush);
}

void SSymCanvas::DrawHandle(const SSymPoint& p) {
  if (!m_pDC) return;
  m_handle.SetupDC(m_pDC);
  m_handle.Draw(m_pDC, VPtoDP(p));
  m_handle.RestoreDC(m_pDC);
}

SSymSize SSymCanvas::GetHandleSize() {
  return DPtoVP(SIZE{2 * m_handle.m_halfX, 2 * m_handle.m_halfY});
}

void SSymCanvas::DrawHandles(const SSymRect& r) {
  if (!m_pDC) return;
  const SSymSize hs = GetHandleSize();
  SSymRect n(r);
  const long long w = n.Width(), h = n.Height();
  const bool four = 2 * w < 5LL * hs.cx || 2 * h < 5LL * hs.cy;
  // The device rectangle's handle points (the core rectangle's numbering).
  const RECT d = VPtoDPRect(r);
  const LONG cx = (d.left + d.right) / 2, cy = (d.top + d.bottom) / 2;
  const POINT pts[8] = {{d.left, d.top},     {cx, d.top},      {d.right, d.top},  {d.right, cy},
                        {d.right, d.bottom}, {cx, d.bottom},   {d.left, d.bottom}, {d.left, cy}};
  m_handle.SetupDC(m_pDC);
  for (int i = 0; i < 8; ++i)
    if (!four || (i & 1)) m_handle.Draw(m_pDC, pts[i]);
  m_handle.RestoreDC(m_pDC);
}

int SSymCanvas::HitTestHandles(const SSymRect& r, int* index, const SSymPoint& pt) {
  int found = -1;
  const SSymSize s = DPtoVP(SIZE{2 * m_handle.m_halfX, 2 * m_handle.m_halfY});
  SSymRect rect(r);
  for (int i = 0; i < 8 && found < 0; ++i) {
    const SSymPoint p = rect.GetPoint(i);
    // The box (0, cy, cx, 0) moved so that its centre lies on p.
    const long long x1 = p.x - s.cx / 2, y2 = p.y - s.cy / 2;
    const long long x2 = x1 + s.cx, y1 = y2 + s.cy;
    if (pt.x >= x1 && pt.x <= x2 && pt.y >= y2 && pt.y <= y1) found = i;
  }
  if (index) *index = found;
  return found >= 0 ? 1 : 0;
}
