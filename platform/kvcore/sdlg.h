// SDlg: a modal dialog made from a control table, and SEditCtrl, the
// wrapper of an edit control. There is no screen: DoModal makes the dialog
// window and its controls (hidden, in the window layer's handle table),
// runs OnInitDialog, then plays the next scripted answer (the texts a user
// types into controls, then OK or Cancel; Cancel when none is queued, as a
// user who closes the dialog), calls OnOK or OnCancel, and destroys the
// windows. Every run is logged with the edit controls' texts after
// initialisation and at the end, so a test sees what the dialog showed and
// what it read.
#pragma once

#include <utility>
#include <vector>

#include "kvcore/sstring.h"
#include "kvcore/swnd.h"

// ---- the control table ----
enum class SDlgItemKind { Static, Edit, Button };

// One control: id (-1 for a static nobody reads), kind, text, position and
// size in dialog units, window styles.
struct SDlgItem {
  int id;
  SDlgItemKind kind;
  const char16_t* text;
  int x, y, cx, cy;
  DWORD style;
};

// A dialog template: its id, caption, font and size (dialog units), controls.
struct SDlgTemplate {
  UINT id;
  const char16_t* caption;
  const char16_t* fontName;
  int pointSize;
  int cx, cy;
  std::vector<SDlgItem> items;
};

// Control styles used by the templates.
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;

class SDlg : public SWnd {
 public:
  explicit SDlg(const SDlgTemplate& dialogTemplate, SWnd* parent = nullptr);
  ~SDlg() override;

  // IDOK or IDCANCEL (the code EndDialog was given); -1 when the dialog
  // window cannot be made.
  virtual INT_PTR DoModal();
  // Called once the controls exist; TRUE lets the first control take the focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  // Close the dialog with IDOK and IDCANCEL.
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  void EndDialog(int result);

  // Binds a wrapper to the control of that id while the dialog is open
  // (FALSE without such a control).
  BOOL AttachDlgItem(int id, SWnd* control);
  const SDlgTemplate& GetTemplate() const { return m_template; }

 private:
  const SDlgTemplate& m_template;
  SWnd* m_pParent;
  std::vector<SWnd*> m_attached;
  int m_nResult = 0;
  bool m_bEnded = false;
};

class SEditCtrl : public SWnd {
 public:
  void SetText(const SString& text) { SetWindowText(text.c_str()); }
  SString GetText() const {
    SString text;
    GetWindowText(text);
    return text;
  }
};

// ---- the test driver ----
using SDlgTexts = std::vector<std::pair<int, SString>>;
// One answer of a dialog: texts typed into controls (by id), then OK or Cancel.
struct KvDialogAnswer {
  SDlgTexts texts;
  bool ok = false;
};
void KvQueueDialogAnswer(const KvDialogAnswer& answer);
// What each run showed and ended with: the template, the texts of the edit
// controls after initialisation and at the end, and the result.
struct KvDialogCall {
  UINT templateId = 0;
  SString caption;
  SDlgTexts shown;
  SDlgTexts final;
  INT_PTR result = 0;
};
const std::vector<KvDialogCall>& KvDialogCalls();
// Forgets the queued answers and the log.
void KvDialogReset();
