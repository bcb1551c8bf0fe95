// SRepTreePropDlg: a modal dialog of property pages chosen from a category
// list on its left, the chosen page shown in the place of a hidden control
// of the dialog's own template. The categories are the pages' captions, in
// the order the pages were added. A page's window is made the first time it
// is chosen (OnInitDialog, then OnSetActive); choosing another category
// first asks the shown page to let itself be left (OnKillActive).
//
// OK asks the shown page to be left, then runs OnApply on each page whose
// window was made, in order; a page that answers FALSE is shown and the
// dialog stays open. Cancel runs OnReset on the made pages. The dialog opens
// a repository context of its own around the pages' work through the
// CreateContext, CommitContext and CancelContext hooks, which answer TRUE
// here (no context) and which a derived dialog may fill.
#pragma once

#include <vector>

#include "kvcore/smodulestate.h"
#include "kvcore/spropertypage.h"
#include "kvrep/srepextras.h"

class SRepTreePropDlg : public SDlg, public SRepControlHolder {
 public:
  // The category list of the templates.
  static constexpr int CategoryId = 12320;

  // The dialog on its template; the pages take the place of control
  // `pageAreaId`. `state` (may be null) is made current while the dialog
  // runs; `flags` is kept for derived dialogs.
  SRepTreePropDlg(UINT templateId, int pageAreaId, SModuleState* state, SWnd* parent = nullptr, int flags = 0);
  ~SRepTreePropDlg() override;

  // The dialog does not own its pages; they are added before it shows.
  void AddPage(SPropertyPage* page);
  int GetPageCount() const { return int(m_pages.size()); }
  SPropertyPage* GetPage(int index) const;
  int GetPageIndex(const SPropertyPage* page) const;
  SPropertyPage* GetActivePage() const { return GetPage(m_nActive); }
  int GetActiveIndex() const { return m_nActive; }
  // Shows the page: FALSE when the shown page refuses to be left, the new
  // one refuses to become active, or the index names no page. Before the
  // dialog shows, it chooses the first page.
  BOOL SetActivePage(int index);

  // -1 (nothing shown) for a dialog without pages.
  INT_PTR DoModal() override;
  // Lists the categories and shows the chosen page.
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  // The pages apply as for OK, without ending; FALSE when a page refused.
  virtual BOOL OnApply();

  virtual BOOL CreateContext() { return TRUE; }
  virtual BOOL CommitContext() { return TRUE; }
  virtual BOOL CancelContext() { return TRUE; }

  KV_DECLARE_MESSAGE_MAP()

 protected:
  SModuleState* m_pModuleState;
  int m_nFlags;

 private:
  BOOL Show(int index);
  BOOL ApplyPages();
  void OnCategoryChange();
  std::vector<SPropertyPage*> m_pages;
  int m_nPageAreaId;
  int m_nActive = 0;
};
