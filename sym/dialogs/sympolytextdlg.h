// SSymPolyTextDlg: the line-text sheet of a line (three text pages: source,
// centre and destination), one per repository object (kept in
// SRepDialogMap while open), in its least form until the dialogs subsystem
// brings the real sheet: a modeless sheet that records what it was made
// for and how it was shown. The lines open it through the opener this
// subsystem installs when the library loads.
#pragma once

#include "sym/links/symlinetext.h"
#include "win/windef.h"

struct ISRepObject;

class SSymPolyTextDlg {
 public:
  // The window style a line shows its sheet with, and the pages: source,
  // centre and destination.
  static constexpr DWORD SheetStyle = 0x90C82044;
  enum Page { SourcePage = 0, CentrePage = 1, DestinationPage = 2 };

  // Registers itself as the open sheet of the line's repository object (when
  // it has one); holds a reference on the line while open.
  SSymPolyTextDlg(SSymLineTextHelper* helper, ISSymbol* line);
  ~SSymPolyTextDlg();
  SSymPolyTextDlg(const SSymPolyTextDlg&) = delete;
  SSymPolyTextDlg& operator=(const SSymPolyTextDlg&) = delete;

  // Shows the sheet modeless, owned by `owner`, with the window style and
  // the three page arguments.
  void Display(HWND owner, DWORD style, int first, int second, int third);

  SSymLineTextHelper* GetHelper() const { return m_pHelper; }
  ISSymbol* GetLine() const { return m_pLine; }
  int GetShowCount() const { return m_nShown; }
  HWND GetOwner() const { return m_owner; }
  DWORD GetStyle() const { return m_style; }
  int GetPage(int i) const { return i >= 0 && i < 3 ? m_pages[i] : -1; }
  // The texts of the three pages as the sheet read them when shown.
  SString GetPageText(int page) const { return page >= 0 && page < 3 ? m_texts[page] : SString(); }
  // Closes the sheet: it leaves the map and is deleted.
  void Close() { delete this; }
  // The open sheet of a repository object, or null.
  static SSymPolyTextDlg* Find(ISRepObject* object);

 private:
  SSymLineTextHelper* m_pHelper;
  ISSymbol* m_pLine;  // counted
  ISRepObject* m_pObject;
  HWND m_owner = nullptr;
  DWORD m_style = 0;
  int m_pages[3] = {-1, -1, -1};
  SString m_texts[3];
  int m_nShown = 0;
};
