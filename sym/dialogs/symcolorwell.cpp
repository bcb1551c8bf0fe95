#include "sym/dialogs/symcolorwell.h"

#include "kvcore/scolordlg.h"
#include "kvcore/swnd.h"

int SSymWellClickedCell(const NMHDR* notify) {
  if (!notify || notify->code != CWN_CLICK) return -1;
  return reinterpret_cast<const NMCOLORWELL*>(notify)->cell;
}

bool SSymPickWellColor(SColorWellCtrl& well, int cell, COLORREF current, SWnd* owner, COLORREF& chosen) {
  if (!well.m_hWnd || !::IsWindow(well.m_hWnd)) return false;
  COLORREF color = 0;
  if (cell == CW_DIALOGCELL) {
    SColorDlg dialog(SSymIsPlainColor(current) ? current : 0xFFFFFF, 0, owner);
    const int answer = dialog.DoModal();
    // The dialog took the focus from the well, OK or not.
    if (::IsWindow(well.m_hWnd)) well.SetFocus();
    if (answer != IDOK || !SSymIsPlainColor(dialog.GetColor())) return false;
    color = dialog.GetColor();
  } else if (cell < 0 || !well.GetCellColor(cell, color)) {
    return false;
  }
  well.SetColor(color);
  chosen = color;
  return true;
}
