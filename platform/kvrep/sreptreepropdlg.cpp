// The property dialog with a category list: page activation, apply, cancel.
#include "kvrep/sreptreepropdlg.h"

#include <algorithm>

KV_BEGIN_MESSAGE_MAP(SRepTreePropDlg, SDlg)
KV_ON_CONTROL(LBN_SELCHANGE, SRepTreePropDlg::CategoryId, OnCategoryChange)
KV_END_MESSAGE_MAP()

SRepTreePropDlg::SRepTreePropDlg(UINT templateId, int pageAreaId, SModuleState* state, SWnd* parent, int flags)
    : SDlg(templateId, parent), m_pModuleState(state), m_nFlags(flags), m_nPageAreaId(pageAreaId) {}

SRepTreePropDlg::~SRepTreePropDlg() = default;

void SRepTreePropDlg::AddPage(SPropertyPage* page) {
  if (page && GetPageIndex(page) < 0) m_pages.push_back(page);
}

SPropertyPage* SRepTreePropDlg::GetPage(int index) const {
  return index >= 0 && index < int(m_pages.size()) ? m_pages[std::size_t(index)] : nullptr;
}

int SRepTreePropDlg::GetPageIndex(const SPropertyPage* page) const {
  const auto it = std::find(m_pages.begin(), m_pages.end(), page);
  return it == m_pages.end() ? -1 : int(it - m_pages.begin());
}

INT_PTR SRepTreePropDlg::DoModal() {
  if (m_pages.empty() || m_hWnd) return -1;
  if (m_nActive < 0 || m_nActive >= int(m_pages.size())) m_nActive = 0;
  if (!m_pModuleState) return SDlg::DoModal();
  SSetModuleState module(m_pModuleState);
  return SDlg::DoModal();
}

BOOL SRepTreePropDlg::OnInitDialog() {
  for (SPropertyPage* p : m_pages)
    ::SendDlgItemMessageW(m_hWnd, CategoryId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p->GetCaption().c_str()));
  // The chosen page, else the first one that will show.
  const int first = m_nActive;
  m_nActive = -1;
  if (!Show(first))
    for (int i = 0; i < int(m_pages.size()) && m_nActive < 0 && m_hWnd; ++i)
      if (i != first) Show(i);
  return SDlg::OnInitDialog();
}

BOOL SRepTreePropDlg::Show(int index) {
  SPropertyPage* page = GetPage(index);
  if (!page || !m_hWnd) return FALSE;
  if (!page->m_hWnd) {
    POINT at{0, 0};
    if (HWND area = ::GetDlgItem(m_hWnd, m_nPageAreaId)) ::MapWindowPoints(area, m_hWnd, &at, 1);
    if (!page->CreatePage(m_hWnd, at.x, at.y)) return FALSE;
  }
  if (!page->OnSetActive() || !m_hWnd || !page->m_hWnd) return FALSE;
  if (SPropertyPage* old = GetActivePage(); old && old != page && old->m_hWnd) old->ShowWindow(SW_HIDE);
  m_nActive = index;
  page->ShowWindow(SW_SHOW);
  ::SendDlgItemMessageW(m_hWnd, CategoryId, LB_SETCURSEL, WPARAM(index), 0);
  return TRUE;
}

BOOL SRepTreePropDlg::SetActivePage(int index) {
  if (!GetPage(index)) return FALSE;
  if (!m_hWnd) {
    m_nActive = index;
    return TRUE;
  }
  if (index == m_nActive) return TRUE;
  if (SPropertyPage* old = GetActivePage(); old && old->m_hWnd && !old->OnKillActive()) return FALSE;
  return Show(index);
}

void SRepTreePropDlg::OnCategoryChange() {
  const int index = int(::SendDlgItemMessageW(m_hWnd, CategoryId, LB_GETCURSEL, 0, 0));
  // A page that will not show, or will not be left, keeps the shown one chosen.
  if (!SetActivePage(index) && m_hWnd)
    ::SendDlgItemMessageW(m_hWnd, CategoryId, LB_SETCURSEL, WPARAM(m_nActive), 0);
}

BOOL SRepTreePropDlg::ApplyPages() {
  SPropertyPage* shown = GetActivePage();
  if (shown && shown->m_hWnd && !shown->OnKillActive()) return FALSE;
  for (int i = 0; i < int(m_pages.size()); ++i) {
    SPropertyPage* p = m_pages[std::size_t(i)];
    if (!p->m_hWnd) continue;  // never shown: nothing to apply
    if (!p->OnApply()) {
      if (m_hWnd && i != m_nActive) Show(i);
      return FALSE;
    }
    if (!m_hWnd) return FALSE;
    p->SetModified(FALSE);
  }
  return TRUE;
}

BOOL SRepTreePropDlg::OnApply() { return ApplyPages(); }

void SRepTreePropDlg::OnOK() {
  if (!OnApply() || !m_hWnd) return;
  if (!CommitContext()) return;
  EndDialog(IDOK);
}

void SRepTreePropDlg::OnCancel() {
  SPropertyPage* shown = GetActivePage();
  if (shown && shown->m_hWnd && !shown->OnQueryCancel()) return;
  for (SPropertyPage* p : m_pages)
    if (p->m_hWnd) p->OnReset();
  CancelContext();
  EndDialog(IDCANCEL);
}
