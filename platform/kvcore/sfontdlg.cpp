// The font dialog wrapper.
#include "kvcore/sfontdlg.h"

KV_IMPLEMENT_CLASSINFO(SFontDlg, SCmdTarget);

SFontDlg::SFontDlg(const LOGFONTW* initial, DWORD flags, HDC printerDc, SWnd* parent) : m_pParent(parent) {
  m_cf.lStructSize = sizeof(CHOOSEFONTW);
  m_cf.lpLogFont = &m_lf;
  m_cf.Flags = flags;
  m_cf.hDC = printerDc;
  if (initial) {
    m_lf = *initial;
    m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
  }
}

int SFontDlg::DoModal() {
  m_cf.lStructSize = sizeof(CHOOSEFONTW);
  m_cf.lpLogFont = &m_lf;  // the record may have been copied about
  m_cf.hwndOwner = m_pParent ? m_pParent->m_hWnd : nullptr;
  return ::ChooseFontW(&m_cf) ? IDOK : IDCANCEL;
}

void SFontDlg::GetCurrentFont(LOGFONTW* lf) const {
  if (lf) *lf = m_lf;
}

SString SFontDlg::GetFaceName() const {
  int n = 0;
  while (n < LF_FACESIZE && m_lf.lfFaceName[n]) ++n;
  return SString(m_lf.lfFaceName, n);
}
