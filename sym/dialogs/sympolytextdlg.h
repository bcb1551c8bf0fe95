// SSymPolyTextDlg: the modeless "Link Symbol Text" sheet of a line (caption
// string 1073), one per repository object (kept in SRepDialogMap while
// open). Its three SSymDlgText pages edit the line's centre, source and
// destination texts, in that order, each in a rich edit with a plain/RTF
// choice; the second and third pages take the names of the line's
// source-text and destination-text attributes as captions. OK writes back,
// as one undoable step, each text that the person saw and changed, with a
// text record per label changed; a line deleted while the sheet is open is
// refused with a message (nothing written, the sheet stays open). The lines
// open it through the opener this subsystem installs when the library loads.
#pragma once

#include "kvcore/spropertysheet.h"
#include "sym/dialogs/symtextdlg.h"
#include "sym/links/symlinetext.h"
#include "win/windef.h"

struct ISRepObject;

// One text of the line: the rich edit (1074) and the mode buttons.
class SSymDlgText : public SPropertyPage {
 public:
  static constexpr UINT TemplateId = 532;

  SSymDlgText() : SPropertyPage(TemplateId) {}
  BOOL OnInitDialog() override;
  // Takes the rich edit's text as the page's text.
  BOOL OnApply() override;
  const SString& GetText() const { return m_text; }
  void SetText(const SString& text) { m_text = text; }
  SSymTextEditPart& GetEditPart() { return m_part; }

  static const SDlgTemplate& Template();

  KV_DECLARE_MESSAGE_MAP()

 private:
  void OnPlain() { m_part.SwitchMode(false); }
  void OnRtf() { m_part.SwitchMode(true); }
  SSymTextEditPart m_part;
  SString m_text;
};

class SSymPolyTextDlg : public SPropertySheet {
 public:
  static constexpr UINT CaptionId = 1073;
  // The window style a line shows its sheet with.
  static constexpr DWORD SheetStyle = 0x90C82044;
  // The pages: the line's text numbers.
  enum Page { CentrePage = 0, SourcePage = 1, DestinationPage = 2, PageTotal = 3 };

  // The sheet of the line's texts (the line is held while the sheet lives).
  SSymPolyTextDlg(SSymLineTextHelper* helper, ISSymbol* line);
  ~SSymPolyTextDlg() override;
  SSymPolyTextDlg(const SSymPolyTextDlg&) = delete;
  SSymPolyTextDlg& operator=(const SSymPolyTextDlg&) = delete;

  // Shows the sheet modeless, owned by `owner` (when it is a window), or
  // brings the open one to the top. FALSE when the window cannot be made.
  BOOL Display(HWND owner, DWORD style = SheetStyle);
  // The sheet deletes itself when its window goes (a sheet made by new).
  void SetAutoDelete(bool autoDelete) { m_bAutoDelete = autoDelete; }

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  SSymLineTextHelper* GetHelper() const { return m_pHelper; }
  ISSymbol* GetLine() const { return m_pLine; }
  int GetShowCount() const { return m_nShown; }
  HWND GetOwner() const { return m_owner; }
  DWORD GetStyle() const { return m_style; }
  SSymDlgText* GetTextPage(int page) { return page >= 0 && page < PageTotal ? &m_pages[page] : nullptr; }
  // The text a page holds (the line's when the sheet was made, until the
  // page applies what the person typed).
  SString GetPageText(int page) const { return page >= 0 && page < PageTotal ? m_pages[page].GetText() : SString(); }
  // Closes the sheet without writing: it leaves the map (and is deleted
  // when made by new).
  void Close();
  // The open sheet of a repository object, or null.
  static SSymPolyTextDlg* Find(ISRepObject* object);

 protected:
  void PostNcDestroy() override;

 private:
  // Writes the changed texts; false, nothing written, when the line is gone.
  bool WriteBack();

  SSymLineTextHelper* m_pHelper;
  ISSymbol* m_pLine;  // counted
  ISRepObject* m_pObject;
  SSymDlgText m_pages[PageTotal];
  HWND m_owner = nullptr;
  DWORD m_style = 0;
  int m_nShown = 0;
  bool m_bRegistered = false;
  bool m_bAutoDelete = false;
};
