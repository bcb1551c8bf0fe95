// SFontDlg: the font dialog. The caller fills m_lf (and m_cf.rgbColors),
// DoModal shows the dialog (ChooseFontW, scripted: see win/commdlg.h) and
// answers IDOK or IDCANCEL; the getters read the choice.
#pragma once

#include "kvcore/sstring.h"
#include "kvcore/swnd.h"
#include "win/commdlg.h"

class SFontDlg : public SCmdTarget {
 public:
  // The initial font is copied into m_lf (and CF_INITTOLOGFONTSTRUCT added)
  // when given.
  explicit SFontDlg(const LOGFONTW* initial = nullptr, DWORD flags = CF_EFFECTS | CF_SCREENFONTS,
                    HDC printerDc = nullptr, SWnd* parent = nullptr);
  SFontDlg(const SFontDlg&) = delete;
  SFontDlg& operator=(const SFontDlg&) = delete;

  virtual int DoModal();

  void GetCurrentFont(LOGFONTW* lf) const;
  SString GetFaceName() const;
  int GetSize() const { return m_cf.iPointSize; }  // tenths of a point
  COLORREF GetColor() const { return m_cf.rgbColors; }
  int GetWeight() const { return int(m_lf.lfWeight); }
  BOOL IsBold() const { return m_lf.lfWeight >= 600 ? TRUE : FALSE; }
  BOOL IsItalic() const { return m_lf.lfItalic ? TRUE : FALSE; }
  BOOL IsUnderline() const { return m_lf.lfUnderline ? TRUE : FALSE; }
  BOOL IsStrikeOut() const { return m_lf.lfStrikeOut ? TRUE : FALSE; }

  CHOOSEFONTW m_cf{};
  LOGFONTW m_lf{};

  KV_DECLARE_CLASSINFO()

 private:
  SWnd* m_pParent;
};
