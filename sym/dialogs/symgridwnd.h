// SSymGridWnd: the grid window in which the font table of a symbol's sub grid
// is edited; column 1 of a row holds a font as text (see SSymDlgFrmtObjt)
// and a click on that cell opens the font dialog.
//
// The window has a class of its own ("SSymGridWnd"), so that a dialog
// template can name it: the class procedure gives every window of the class
// an object on its first message, and the object deletes itself at the
// window's final message. Objects made that way are kept in a bag, so that
// an object the caller made and subclassed itself is never deleted here.
//
// The font text of a cell is the one SSymDlgFrmtObjt reads and writes.
#pragma once

#include "kvcore/sstring.h"
#include "kvlib/slibgridwnd.h"
#include "win/windef.h"

class SSymSubGrid;

class SSymGridWnd : public SLibGridWndTB {
 public:
  // The string shown when a font cell cannot be read.
  static constexpr UINT InvalidFontString = 1404;
  // The column that holds the font text.
  static constexpr unsigned long FontCol = 1;

  SSymGridWnd() = default;
  ~SSymGridWnd() override;

  // The sub grid whose fonts are edited (not owned; null until set).
  SSymSubGrid* GetSymGrid() const { return m_pSymGrid; }
  void SetSymGrid(SSymSubGrid* grid) { m_pSymGrid = grid; }

  // Registers the class for the module's instance (or the given one) unless
  // it is found there already; answers the class name. Throws SException
  // "Unable to register class" when the registration fails.
  static LPCWSTR RegisterClassW();
  static LPCWSTR RegisterClassW(HINSTANCE instance);
  static void UnregisterClassW();
  static void UnregisterClassW(HINSTANCE instance);
  // The class's window procedure: it runs for the first message of a new
  // window, gives the window an object that subclasses it, and passes the
  // message to DefWindowProcW.
  static LRESULT WndProcHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static SObject* CreateObject();
  // The objects the class procedure made and not yet deleted.
  static int GetHookedCount();

  // The cell stored as the base stores it; a grid window inside a property
  // page (its grandparent) then marks the page modified.
  HRESULT SetCellValue(unsigned long row, unsigned long col, const SString& text, int flag) override;
  // A click on a font cell edits the font: 1 when a font was chosen.
  int OnGridRowColClick(unsigned long row, unsigned long col, UINT flags) override;
  // A font cell whose non-empty text cannot be read keeps the row in edit
  // with the warning of string 1404: 0; any other row: 1.
  int OnValidateRow(unsigned long& row, unsigned long& col) override;
  // The font column never takes one value for all rows.
  int CanMassChange(unsigned long col, int flag, int* out) override;

  // Runs the font dialog on a font text: 1 and the text rewritten when the
  // user chose a font, 0 (the text unchanged) when the dialog was cancelled.
  static int EditFont(SString& fontText, SWnd* parent);

  void PostNcDestroy() override;

  KV_DECLARE_CLASSINFO()

 private:
  SSymSubGrid* m_pSymGrid = nullptr;
};
