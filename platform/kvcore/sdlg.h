// SDlg: a dialog made from a control table. There is no screen: DoModal
// makes the dialog window and its controls (the control classes of
// win/winctrl.h), sends WM_INITDIALOG (OnInitDialog), then plays the next
// scripted answer: texts put into controls, then a person's actions on the
// controls (each firing the notifications the real action fires, into the
// dialog's message map), then OK or Cancel when the actions did not end the
// dialog (Cancel when no answer is queued, as a user who closes it). The
// map sends IDOK to OnOK and IDCANCEL to OnCancel, which end the dialog
// with EndDialog; the windows are destroyed and the code returned.
//
// Create makes the same dialog modeless: it stays until DestroyWindow, and
// a test drives it with KvPlayControlAction on its window.
//
// Every modal run is logged with the edit fields' texts after
// initialisation and at the end and the outcome of each action, so a test
// sees what the dialog showed and what it read.
#pragma once

#include <utility>
#include <vector>

#include "kvcore/sctrl.h"
#include "kvcore/sstring.h"
#include "kvcore/swnd.h"
#include "win/winctrl.h"

// ---- the control table ----
enum class SDlgItemKind {
  Static,
  Edit,
  Button,
  ComboBox,
  ListBox,
  ListView,
  UpDown,
  Slider,
  Tab,
  RichEdit,
  ColorWell,
  Preview,
  Custom,  // a control of the window class `className`
};

// One control: id (-1 for a static nobody reads), kind, text, position and
// size in dialog units, window styles, and the class of a Custom control.
struct SDlgItem {
  int id;
  SDlgItemKind kind;
  const char16_t* text;
  int x, y, cx, cy;
  DWORD style;
  const char16_t* className = nullptr;
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

// The templates a module offers by id, as its resources: a registered
// template stays known until unregistered (a later one of the same id
// replaces it).
void SRegisterDlgTemplate(const SDlgTemplate& dialogTemplate);
void SUnregisterDlgTemplate(UINT id);
const SDlgTemplate* SFindDlgTemplate(UINT id);

// Dialog units of the dialog font in pixels.
POINT SDlgUnitsToPixels(int x, int y);

class SDlg : public SWnd {
 public:
  explicit SDlg(const SDlgTemplate& dialogTemplate, SWnd* parent = nullptr);
  // The registered template of that id, looked up when the window is made.
  explicit SDlg(UINT templateId, SWnd* parent = nullptr);
  ~SDlg() override;

  // The code EndDialog was given: IDOK or IDCANCEL from the standard
  // handlers. -1 when the dialog window cannot be made (no such template:
  // ERROR_RESOURCE_NAME_NOT_FOUND; a control of an unknown class:
  // ERROR_CANNOT_FIND_WND_CLASS; nothing is left behind), when the dialog is
  // already open, or when a handler destroyed the dialog before it ended.
  virtual INT_PTR DoModal();
  // Makes the dialog modeless, shown; FALSE as DoModal fails.
  virtual BOOL Create(SWnd* parent = nullptr);
  using SWnd::Create;
  // Called once the controls exist; TRUE lets the first tab stop take the focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  // Close the dialog with IDOK and IDCANCEL.
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // The Help button (IDHELP) and F1: a help request for the help context.
  virtual void OnHelp();
  // Ends a modal dialog with the code; hides a modeless one.
  void EndDialog(int result);
  void SetHelpContext(DWORD context) { m_nHelpContext = context; }
  DWORD GetHelpContext() const { return m_nHelpContext; }

  // Binds a wrapper to the control of that id while the dialog is open
  // (FALSE without such a control).
  BOOL AttachDlgItem(int id, SWnd* control);
  // The template; an empty one when the id names none.
  const SDlgTemplate& GetTemplate() const;
  UINT GetTemplateId() const { return m_nIDTemplate; }
  BOOL IsModal() const { return m_bModal ? TRUE : FALSE; }
  // The window of a dialog: its client surface shows its controls once saved
  // with KvSaveWindowTreePng (win/winctrl.h).

  void OnClose();
  // The wrappers bound to its controls are let go with the window.
  void OnDestroy();

  KV_DECLARE_CLASSINFO()
  KV_DECLARE_MESSAGE_MAP()

 protected:
  // Makes the dialog window (with `style`) and its controls as children of
  // `parent`, subclasses it and sends WM_INITDIALOG. FALSE when the window
  // or a control cannot be made; nothing is left then.
  BOOL CreateFromTemplate(HWND parent, DWORD style);
  // Forgets the wrappers bound with AttachDlgItem.
  void DetachItems();
  // A template made by the dialog itself (a property sheet's), used from
  // the next window on; the dialog keeps it alive.
  void SetTemplate(const SDlgTemplate* dialogTemplate) { m_pTemplate = dialogTemplate; }
  SWnd* m_pParentWnd;

 private:
  LRESULT OnInitDialogMsg(WPARAM, LPARAM);
  void OnOKCommand() { OnOK(); }
  void OnCancelCommand() { OnCancel(); }
  void OnHelpCommand() { OnHelp(); }
  const SDlgTemplate* m_pTemplate;
  UINT m_nIDTemplate;
  std::vector<SWnd*> m_attached;
  DWORD m_nHelpContext = 0;
  int m_nResult = 0;
  bool m_bEnded = false;
  bool m_bModal = false;
};

// ---- the test driver ----
using SDlgTexts = std::vector<std::pair<int, SString>>;
// One answer of a dialog: texts put into controls (by id, with no
// notification, as initial values), then a person's actions, then OK or
// Cancel when the actions leave the dialog open.
struct KvDialogAnswer {
  SDlgTexts texts;
  bool ok = false;
  std::vector<KvControlAction> actions = {};
};
void KvQueueDialogAnswer(const KvDialogAnswer& answer);
// What each run showed and ended with: the template, the texts of the edit
// fields after initialisation and at the end, the outcome of each action
// played (0, or the error KvPlayControlAction gave; actions after the
// dialog ended are not played) and the result.
struct KvDialogCall {
  UINT templateId = 0;
  SString caption;
  SDlgTexts shown;
  SDlgTexts final;
  std::vector<DWORD> actions;
  INT_PTR result = 0;
};
const std::vector<KvDialogCall>& KvDialogCalls();
// Forgets the queued answers and the log.
void KvDialogReset();
