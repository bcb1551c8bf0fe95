// Property pages: the modified state and its notice to the sheet, the
// sibling query, and the page window.
#include "kvcore/spropertypage.h"

KV_IMPLEMENT_CLASSINFO(SPropertyPage, SDlg);

void SPropertyPage::SetModified(BOOL changed) {
  m_modifiedCalls.push_back(changed ? TRUE : FALSE);
  m_bModified = changed != FALSE;
  if (!m_hWnd) return;
  if (HWND sheet = ::GetParent(m_hWnd))
    ::SendMessageW(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL SPropertyPage::OnApply() {
  OnOK();
  return TRUE;
}

LRESULT SPropertyPage::QuerySiblings(WPARAM wParam, LPARAM lParam) {
  HWND sheet = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
  return sheet ? ::SendMessageW(sheet, PSM_QUERYSIBLINGS, wParam, lParam) : 0;
}

SString SPropertyPage::GetCaption() const {
  if (!m_strCaption.IsEmpty()) return m_strCaption;
  return SString(GetTemplate().caption);
}

BOOL SPropertyPage::CreatePage(HWND sheet, int x, int y) {
  if (!CreateFromTemplate(sheet, WS_CHILD | WS_TABSTOP)) return FALSE;
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}
