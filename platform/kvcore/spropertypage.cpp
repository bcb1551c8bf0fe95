// Property pages: the modified state and its notice to the sheet.
#include "kvcore/spropertypage.h"

KV_IMPLEMENT_CLASSINFO(SPropertyPage, SWnd);

void SPropertyPage::SetModified(BOOL changed) {
  m_modifiedCalls.push_back(changed ? TRUE : FALSE);
  m_bModified = changed != FALSE;
  if (!m_hWnd) return;
  if (HWND sheet = ::GetParent(m_hWnd))
    ::SendMessageW(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}
