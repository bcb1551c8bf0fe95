// SPropertyPage: one page of a property sheet (SPropertySheet), a dialog
// made from its template as a child of the sheet when the sheet first shows
// it. The sheet asks it to become active (OnSetActive), to let itself be
// left (OnKillActive, which may refuse), to apply its values (OnApply, on
// Apply and OK for every page made) or forget them (OnReset, on Cancel).
// The page knows whether it holds changes not yet applied and tells its
// sheet with PSM_CHANGED and PSM_UNCHANGED, which enable and disable the
// sheet's Apply button; each SetModified call is recorded, so that a test
// sees what a control asked.
#pragma once

#include <vector>

#include "kvcore/sdlg.h"

constexpr UINT PSM_SETCURSEL = WM_USER + 101;
constexpr UINT PSM_CHANGED = WM_USER + 104;
constexpr UINT PSM_QUERYSIBLINGS = WM_USER + 108;
constexpr UINT PSM_UNCHANGED = WM_USER + 109;
constexpr UINT PSM_PRESSBUTTON = WM_USER + 113;
// The buttons PSM_PRESSBUTTON presses.
constexpr int PSBTN_OK = 3;
constexpr int PSBTN_APPLYNOW = 4;
constexpr int PSBTN_CANCEL = 5;
constexpr int PSBTN_HELP = 6;

class SPropertySheet;

class SPropertyPage : public SDlg {
 public:
  explicit SPropertyPage(UINT templateId = 0) : SDlg(templateId) {}
  explicit SPropertyPage(const SDlgTemplate& dialogTemplate) : SDlg(dialogTemplate) {}

  // TRUE lets the page become the active one.
  virtual BOOL OnSetActive() { return TRUE; }
  // FALSE keeps the page active (its values are not acceptable yet).
  virtual BOOL OnKillActive() { return TRUE; }
  // Stores the page's values (OnOK); FALSE keeps the sheet open on this page.
  virtual BOOL OnApply();
  // Cancel: forgets the page's values (OnCancel).
  virtual void OnReset() { OnCancel(); }
  // FALSE keeps the sheet open when Cancel is pressed on this page.
  virtual BOOL OnQueryCancel() { return TRUE; }
  // A page never ends the sheet itself.
  void OnOK() override {}
  void OnCancel() override {}

  void SetModified(BOOL changed = TRUE);
  BOOL IsModified() const { return m_bModified ? TRUE : FALSE; }
  const std::vector<BOOL>& GetModifiedCalls() const { return m_modifiedCalls; }
  // Asks the sheet's pages, in order, until one answers non-zero; 0 when
  // none does or the page is not on a sheet.
  LRESULT QuerySiblings(WPARAM wParam, LPARAM lParam);
  // The tab's text: the one set, else the template's caption.
  SString GetCaption() const;
  void SetCaption(const SString& caption) { m_strCaption = caption; }

  KV_DECLARE_CLASSINFO()

 protected:
  bool m_bModified = false;
  std::vector<BOOL> m_modifiedCalls;

 private:
  friend class SPropertySheet;
  // The page's window as a hidden child of the sheet at (x, y).
  BOOL CreatePage(HWND sheet, int x, int y);
  SString m_strCaption;
};
