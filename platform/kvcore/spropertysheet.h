// SPropertySheet: a modal dialog of pages behind tabs, with OK, Cancel,
// Apply and Help. The pages keep the order they were added in. A page's
// window is made the first time the page is shown (OnInitDialog, then
// OnSetActive); moving to another tab first asks the shown page to let
// itself be left (OnKillActive may refuse, and the sheet stays on it).
// A derived sheet may lay out its own template, the pages chosen from a list.
// Apply and OK ask the shown page to be left and then run OnApply on each
// page whose window was made, in order (a page that answers FALSE is shown
// and the sheet stays open); Cancel runs OnReset on them. Apply is enabled
// while a page holds changes (SPropertyPage::SetModified).
#pragma once

#include <set>
#include <string>
#include <vector>

#include "kvcore/spropertypage.h"

class SPropertySheet : public SDlg {
 public:
  static constexpr int TabControlId = 0x3020;
  static constexpr int ApplyButtonId = 0x3021;

  explicit SPropertySheet(const SString& caption = SString(), SWnd* parent = nullptr, UINT startPage = 0);
  ~SPropertySheet() override;

  // The sheet does not own its pages. Pages are added before the sheet shows.
  void AddPage(SPropertyPage* page);
  int GetPageCount() const { return int(m_pages.size()); }
  SPropertyPage* GetPage(int index) const;
  int GetPageIndex(const SPropertyPage* page) const;
  SPropertyPage* GetActivePage() const { return GetPage(m_nActive); }
  int GetActiveIndex() const { return m_nActive; }
  // Shows the page: FALSE when the shown page refuses to be left, the new
  // one refuses to become active, or the index names no page. Before the
  // sheet shows, it chooses the first page.
  BOOL SetActivePage(int index);
  BOOL SetActivePage(SPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }
  void SetNextActivePage(int index) { SetActivePage(index); }
  void SetTitle(const SString& title) { m_title = title.c_str(); }

  // -1 (nothing shown) for a sheet without pages.
  INT_PTR DoModal() override;
  // Makes the sheet modeless, owned by `owner`, with the window style given
  // (shown when it holds WS_VISIBLE); it stays until its window is
  // destroyed. FALSE, nothing made, for a sheet without pages or one open.
  BOOL CreateModeless(HWND owner, DWORD style);
  BOOL OnInitDialog() override;
  // OK: the shown page is left, every made page applies, the sheet ends
  // with IDOK; it stays open when a page refuses.
  void OnOK() override;
  // Cancel: unless the shown page refuses (OnQueryCancel), every made page
  // forgets its values and the sheet ends with IDCANCEL.
  void OnCancel() override;
  // Apply: as OK without ending; FALSE when a page refused.
  virtual BOOL OnApply();
  void OnHelp() override;
  // The PSM_QUERYSIBLINGS answer: the first non-zero one of the made pages.
  LRESULT QuerySiblings(WPARAM wParam, LPARAM lParam);
  // Presses a button as PSM_PRESSBUTTON does (PSBTN_*).
  BOOL PressButton(int button);

  KV_DECLARE_CLASSINFO()
  KV_DECLARE_MESSAGE_MAP()

 protected:
  // A sheet on a template of its own, without tabs: the pages are chosen
  // from the list box `listId` (a derived sheet sends its LBN_SELCHANGE to
  // ChooseFromList) and take the place of the control `pageAreaId`.
  SPropertySheet(UINT templateId, int listId, int pageAreaId, SWnd* parent);
  // Shows the page chosen in the list; a page that will not show, or a shown
  // one that will not be left, keeps the list on the shown page.
  void ChooseFromList();

 private:
  BOOL Show(int index);
  BOOL ApplyPages();
  // The shown page is left, then every made page applies.
  BOOL ApplyNow();
  void BuildTemplate();
  // The template built and the first page chosen, before the window is made.
  void PrepareWindow();
  void OnTabChanging(NMHDR* nm, LRESULT* result);
  void OnTabChange(NMHDR* nm, LRESULT* result);
  void OnApplyNow() { OnApply(); }
  LRESULT OnChanged(WPARAM wParam, LPARAM lParam);
  LRESULT OnUnchanged(WPARAM wParam, LPARAM lParam);
  LRESULT OnQuerySiblings(WPARAM wParam, LPARAM lParam) { return QuerySiblings(wParam, lParam); }
  LRESULT OnPressButton(WPARAM wParam, LPARAM) { return PressButton(int(wParam)); }
  LRESULT OnSetCurSel(WPARAM wParam, LPARAM) { return SetActivePage(int(wParam)); }
  void EnableApply();

  std::vector<SPropertyPage*> m_pages;
  std::set<HWND> m_changed;
  std::u16string m_title;
  SDlgTemplate m_template;
  int m_nActive = 0;
  int m_nListId = 0;
  int m_nPageAreaId = 0;
};
