// The text dialogs' shared editor part and SSymTextDlg, the modeless "Text"
// dialog of a text symbol.
//
// SSymTextEditPart is the rich edit of a text (control 1074) with its two
// mode buttons, "&Plain text" (1126) and "&RTF" (1127): it starts in the
// mode of the text it shows, and switching to plain text turns an RTF text
// into its plain text. The formatting toolbar (control 210, where the
// dialog has one) is enabled in RTF mode only.
//
// SSymTextDlg edits the text of one text symbol; there is one per
// repository object (kept in SRepDialogMap while open), and opening it again
// brings the open one to the top. OK writes the text back as one undoable
// step, and only when it changed; a symbol deleted while the dialog is open
// is refused with a message (nothing is written, the dialog stays open). A
// type-20 symbol (a note) shows the title "Note". With the repository's
// keep-size option on, the dialog remembers its client size, and with the
// single-mode option also its position, per user under the dialog
// preferences ("PropertiesOfText": "Size" and "Position", each "%d %d").
// The symbol core opens it through the opener this subsystem installs when
// the library loads.
#pragma once

#include <vector>

#include "kvcore/scomwrap.h"
#include "kvcore/sctrl.h"
#include "kvcore/sdlg.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintftextdlg.h"

class SSymTextEditPart {
 public:
  enum : int { RichEditId = 1074, PlainId = 1126, RtfId = 1127, ToolbarId = 210 };

  // Binds the controls of the dialog's window, checks the button of the
  // text's mode and shows the text.
  void Init(SDlg& dialog, const SString& text);
  // A mode button was clicked: a different mode is taken and the text shown
  // again in it (an RTF text becomes its plain text when going plain).
  void SwitchMode(bool rtf);
  bool IsRtf() const { return m_bRtf; }
  // The rich edit at (x, y), cx wide and editHeight high, with the mode
  // label and buttons on a row below it (dialog units).
  static void AddTemplateItems(std::vector<SDlgItem>& items, int x, int y, int cx, int editHeight, DWORD scrollBars);
  SString GetText() const { return m_edit.GetText(); }
  SRichEditCtrl& GetEdit() { return m_edit; }

 private:
  void ShowMode();
  SDlg* m_pDialog = nullptr;
  SRichEditCtrl m_edit;
  SButtonCtrl m_plain;
  SButtonCtrl m_rtf;
  bool m_bRtf = false;
};

class SSymTextDlg : public SDlg {
 public:
  static constexpr UINT TemplateId = 146;
  static constexpr UINT NoteTitleId = 1105;
  static constexpr int NoteSymbolType = 20;
  // The text style bit of a text that wraps at the symbol's width.
  static constexpr LONG WordWrapStyle = 0x1000;
  // The remembered placement: its key below the dialog preferences, values.
  static constexpr const char16_t* PlacementKey = u"PropertiesOfText";
  static constexpr const char16_t* PositionValue = u"Position";
  static constexpr const char16_t* SizeValue = u"Size";

  // The dialog on a text symbol (counted while the object lives).
  explicit SSymTextDlg(ISSymText* text);
  ~SSymTextDlg() override;
  SSymTextDlg(const SSymTextDlg&) = delete;
  SSymTextDlg& operator=(const SSymTextDlg&) = delete;

  // Shows the dialog modeless on `parent`, or brings the open one to the
  // top; FALSE when its window cannot be made (or there is no text).
  BOOL Open(SWnd* parent = nullptr);
  HWND GetWnd() const { return m_hWnd; }
  // Closes the dialog without writing.
  void Cancel() { OnCancel(); }
  // The dialog deletes itself when its window goes (a dialog made by new).
  void SetAutoDelete(bool autoDelete) { m_bAutoDelete = autoDelete; }

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  ISSymText* GetText() const { return m_text.Get(); }
  bool IsRtfMode() const { return m_part.IsRtf(); }
  SSymTextEditPart& GetEditPart() { return m_part; }
  // How many times it was opened or brought to the top.
  int GetShowCount() const { return m_nShown; }
  // Closes the dialog: it leaves the map and is deleted (a dialog made by new).
  void Close();
  // The open dialog of a repository object, or null.
  static SSymTextDlg* Find(ISRepObject* object);

  static const SDlgTemplate& Template();

  KV_DECLARE_MESSAGE_MAP()

 protected:
  void PostNcDestroy() override;

 private:
  void OnSize(UINT type, int cx, int cy);
  LRESULT OnMoveMsg(WPARAM wParam, LPARAM lParam);
  void OnPlain() { m_part.SwitchMode(false); }
  void OnRtf() { m_part.SwitchMode(true); }
  void RestorePlacement();
  // Ends the dialog: a modal one with the code, a modeless one's window goes.
  void Leave(int result);

  SComWrap<ISSymText> m_text;
  ISRepObject* m_pObject = nullptr;  // the symbol's repository object (held through the text)
  SSymTextEditPart m_part;
  bool m_bInitialized = false;
  bool m_bRegistered = false;
  bool m_bAutoDelete = false;
  int m_nShown = 0;
};
