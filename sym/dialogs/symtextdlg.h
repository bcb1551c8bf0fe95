// SSymTextDlg: the text dialog of a text symbol, one per repository object
// (kept in SRepDialogMap while open), in its least form until the dialogs
// subsystem brings the real one. The symbol core opens it through the
// opener this subsystem installs when the library loads.
#pragma once

#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintftextdlg.h"

class SSymTextDlg {
 public:
  // Registers itself as the open dialog of the text's repository object.
  explicit SSymTextDlg(ISSymText* text);
  ~SSymTextDlg();
  SSymTextDlg(const SSymTextDlg&) = delete;
  SSymTextDlg& operator=(const SSymTextDlg&) = delete;

  void Show() { ++m_nShown; }
  int GetShowCount() const { return m_nShown; }
  ISSymText* GetText() const { return m_pText; }
  // Closes the dialog: it leaves the map and is deleted.
  void Close() { delete this; }
  // The open dialog of a repository object, or null.
  static SSymTextDlg* Find(ISRepObject* object);

 private:
  ISSymText* m_pText;  // counted
  ISRepObject* m_pObject;
  int m_nShown = 0;
};
