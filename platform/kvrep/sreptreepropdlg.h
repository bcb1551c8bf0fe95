// SRepTreePropDlg: a modal dialog of property pages chosen from a category
// list on its left, the chosen page shown in the place of a hidden control
// of the dialog's own template. The categories are the pages' captions, in
// the order the pages were added. Pages are made, shown, left, applied and
// reset as in a property sheet (SPropertySheet).
//
// The dialog opens a repository context of its own around the pages' work
// through the CreateContext, CommitContext and CancelContext hooks, which
// answer TRUE here (no context) and which a derived dialog may fill: OK
// commits it once every page applied, Cancel cancels it.
#pragma once

#include "kvcore/smodulestate.h"
#include "kvcore/spropertysheet.h"
#include "kvrep/srepextras.h"

class SRepTreePropDlg : public SPropertySheet, public SRepControlHolder {
 public:
  // The category list of the templates.
  static constexpr int CategoryId = 12320;

  // The dialog on its template; the pages take the place of control
  // `pageAreaId`. `state` (may be null) is made current while the dialog
  // runs; `flags` is kept for derived dialogs.
  SRepTreePropDlg(UINT templateId, int pageAreaId, SModuleState* state, SWnd* parent = nullptr, int flags = 0);
  ~SRepTreePropDlg() override;

  // -1 (nothing shown) for a dialog without pages.
  INT_PTR DoModal() override;
  void OnOK() override;
  void OnCancel() override;

  virtual BOOL CreateContext() { return TRUE; }
  virtual BOOL CommitContext() { return TRUE; }
  virtual BOOL CancelContext() { return TRUE; }

  KV_DECLARE_MESSAGE_MAP()

 protected:
  SModuleState* m_pModuleState;
  int m_nFlags;

 private:
  void OnCategoryChange() { ChooseFromList(); }
};
