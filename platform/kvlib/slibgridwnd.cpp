#include "kvlib/slibgridwnd.h"

// ---- SGridClientProxy ------------------------------------------------------------------

int SGridClientProxy::CanMassChange(unsigned long col, int, int* out) {
  if (out) *out = 0;
  return col < GetGridColCount() ? 1 : 0;
}

// ---- SGridWndTB ------------------------------------------------------------------------

KV_IMPLEMENT_CLASSINFO(SGridWndTB, SWnd);

// clang-format off
KV_BEGIN_MESSAGE_MAP(SGridWndTB, SWnd)
  KV_ON_WM_LBUTTONDOWN()
  KV_ON_WM_PAINT()
KV_END_MESSAGE_MAP()
// clang-format on

void SGridWndTB::SetGridCellText(unsigned long row, unsigned long col, const SString& text) {
  m_cellTexts[{row, col}] = text;
  if (m_hWnd) Invalidate(FALSE);
}

SString SGridWndTB::GetGridCellText(unsigned long row, unsigned long col) const {
  auto it = m_cellTexts.find({row, col});
  return it == m_cellTexts.end() ? SString() : it->second;
}

void SGridWndTB::SetColWidth(unsigned long col, int width) {
  if (col >= 4096) return;  // no grid of the library has that many columns
  if (m_colWidths.size() <= col) m_colWidths.resize(col + 1, DefaultColWidth);
  m_colWidths[col] = width < 0 ? 0 : width;
}

int SGridWndTB::GetColWidth(unsigned long col) const { return col < m_colWidths.size() ? m_colWidths[col] : DefaultColWidth; }

void SGridWndTB::SetToolbarText(const SString& text) {
  m_toolbarText = text;
  if (m_hWnd) Invalidate(FALSE);
}

bool SGridWndTB::HitTest(POINT pt, unsigned long& row, unsigned long& col) const {
  if (!m_pClient || pt.x < 0 || pt.y < ToolbarHeight) return false;
  const auto r = static_cast<unsigned long>((pt.y - ToolbarHeight) / RowHeight);
  if (r >= m_pClient->GetGridRowCount()) return false;
  int left = 0;
  for (unsigned long c = 0; c < m_pClient->GetGridColCount(); ++c) {
    const int right = left + GetColWidth(c);
    if (pt.x < right) {
      row = r;
      col = c;
      return true;
    }
    left = right;
  }
  return false;
}

int SGridWndTB::EndRowEdit() {
  if (m_nEditRow == NoRow) return 1;
  if (m_pClient) {
    unsigned long row = m_nEditRow, col = m_nEditCol;
    if (!m_pClient->OnValidateRow(row, col)) return 0;
  }
  m_nEditRow = NoRow;
  m_nEditCol = 0;
  return 1;
}

int SGridWndTB::MassChange(unsigned long col, const SString& text) {
  if (!m_pClient) return 0;
  int final = 0;
  if (!m_pClient->CanMassChange(col, 0, &final)) return 0;
  int stored = 0;
  for (unsigned long r = 0; r < m_pClient->GetGridRowCount(); ++r) {
    if (FAILED(m_pClient->SetCellValue(r, col, text, 1))) continue;
    SetGridCellText(r, col, text);
    ++stored;
  }
  return stored;
}

void SGridWndTB::OnLButtonDown(UINT flags, POINT pt) {
  unsigned long row = 0, col = 0;
  if (!HitTest(pt, row, col)) return;
  // Leaving a row asks for its validation first; a refused row keeps the edit.
  if (m_nEditRow != NoRow && m_nEditRow != row && !EndRowEdit()) return;
  m_nEditRow = row;
  m_nEditCol = col;
  if (m_pClient) m_pClient->OnGridRowColClick(row, col, flags);
}

void SGridWndTB::OnPaint() {
  SPaintDC dc(m_hWnd);
  RECT client{};
  GetClientRect(&client);
  dc.FillSolidRect(&client, RGB(255, 255, 255));
  RECT band{client.left, client.top, client.right, client.top + ToolbarHeight};
  dc.FillSolidRect(&band, RGB(240, 240, 240));
  dc.SetBkMode(TRANSPARENT);
  if (!m_toolbarText.IsEmpty()) dc.TextOut(4, 4, m_toolbarText);
  if (!m_pClient) return;
  for (unsigned long r = 0; r < m_pClient->GetGridRowCount(); ++r) {
    const int top = ToolbarHeight + int(r) * RowHeight;
    if (top > client.bottom) break;
    int left = 0;
    for (unsigned long c = 0; c < m_pClient->GetGridColCount() && left < client.right; ++c) {
      const int width = GetColWidth(c);
      RECT cell{left, top, left + width, top + RowHeight};
      dc.FrameRect(&cell, reinterpret_cast<HBRUSH>(::GetStockObject(LTGRAY_BRUSH)));
      RECT inner{cell.left + 2, cell.top, cell.right - 2, cell.bottom};
      dc.DrawText(GetGridCellText(r, c), &inner, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      left += width;
    }
  }
}

// ---- SLibGridWnd -----------------------------------------------------------------------

KV_IMPLEMENT_CLASSINFO(SLibGridWnd, SGridWndTB);

void SLibGridWnd::SetWarning(const SString& text, LONG row, LONG col) {
  m_warning = text;
  m_nWarningRow = row;
  m_nWarningCol = col;
  SetToolbarText(m_warning);
}

// ---- SLibGridWndTB ---------------------------------------------------------------------

KV_IMPLEMENT_CLASSINFO(SLibGridWndTB, SLibGridWnd);

HRESULT SLibGridWndTB::GetCellValue(unsigned long row, unsigned long col, SString& text) const {
  return SLibGrid::GetCellValue(row, col, text);
}

HRESULT SLibGridWndTB::SetCellValue(unsigned long row, unsigned long col, const SString& text, int flag) {
  return SLibGrid::SetCellValue(row, col, text, flag);
}

void SLibGridWndTB::Redraw() {
  if (m_hWnd) Invalidate(FALSE);
}
void SLibGridWndTB::RedrawCol(unsigned long) { Redraw(); }
void SLibGridWndTB::RedrawRow(unsigned long) { Redraw(); }
void SLibGridWndTB::RedrawRowCol(unsigned long, unsigned long) { Redraw(); }
