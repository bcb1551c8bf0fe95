// Choosing a colour in a colour well: the fill and shadow pages and the
// gradient dialog all take a colour the same way when a cell of their well
// is clicked. A colour cell gives its own colour; the further cell
// (CW_DIALOGCELL) opens the full colour dialog on the current colour, and
// only its OK chooses anything.
#pragma once

#include "kvcore/sctrl.h"
#include "win/windef.h"

class SWnd;

// A colour word that is a colour (its high byte clear), not a mark such as
// mixed or none.
inline bool SSymIsPlainColor(COLORREF color) { return (color & 0xFF000000u) == 0; }

// The cell a CWN_CLICK notification of a well carries; -1 without one.
int SSymWellClickedCell(const NMHDR* notify);

// Resolves a click on `cell` of `well`. A colour cell gives its colour. The
// dialog cell opens the colour dialog (SColorDlg) owned by `owner` on
// `current` (white when `current` is a mark); after the dialog the focus
// goes back to the well. True, with the colour in `chosen` and selected in
// the well, when a colour was chosen; false, with `chosen` and the well's
// selection untouched, when the dialog was cancelled, the well has no
// window or no such cell.
bool SSymPickWellColor(SColorWellCtrl& well, int cell, COLORREF current, SWnd* owner, COLORREF& chosen);
