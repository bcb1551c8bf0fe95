// The property dialog with a category list: its module state and context.
#include "kvrep/sreptreepropdlg.h"

KV_BEGIN_MESSAGE_MAP(SRepTreePropDlg, SPropertySheet)
KV_ON_CONTROL(LBN_SELCHANGE, SRepTreePropDlg::CategoryId, OnCategoryChange)
KV_END_MESSAGE_MAP()

SRepTreePropDlg::SRepTreePropDlg(UINT templateId, int pageAreaId, SModuleState* state, SWnd* parent, int flags)
    : SPropertySheet(templateId, CategoryId, pageAreaId, parent), m_pModuleState(state), m_nFlags(flags) {}

SRepTreePropDlg::~SRepTreePropDlg() = default;

INT_PTR SRepTreePropDlg::DoModal() {
  if (!m_pModuleState) return SPropertySheet::DoModal();
  SSetModuleState module(m_pModuleState);
  return SPropertySheet::DoModal();
}

void SRepTreePropDlg::OnOK() {
  if (!OnApply() || !m_hWnd || !CommitContext()) return;
  EndDialog(IDOK);
}

void SRepTreePropDlg::OnCancel() {
  SPropertyPage* shown = GetActivePage();
  if (shown && shown->m_hWnd && !shown->OnQueryCancel()) return;
  CancelContext();
  SPropertySheet::OnCancel();
}
