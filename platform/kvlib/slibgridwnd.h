// The grid windows of the user-interface library: a table of settings edited
// cell by cell.
//
// SGridClientProxy: what the grid control asks of its client: the grid's
//   size and cell values, a click on a cell, whether the row being edited
//   may be left, and whether one value may be given to a whole column.
// SGridWndTB: the grid control window with its toolbar band. It shows the
//   cell texts it is given and a line in the band, maps a left click to a
//   cell and calls its client: first, when the click leaves the row being
//   edited, the row's validation (a refused row stays in edit and the click
//   is dropped), then the click itself.
// SLibGridWnd: the library's grid window: the control with a warning shown
//   in its band.
// SLibGridWndTB: the toolbar grid window over the library's grid model: the
//   rows and columns of its factories are the cells the control shows, and
//   the window is the control's client.
//
// Rows and columns count from 0; a warning at row and column -1 belongs to
// no particular cell.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "kvcore/sstring.h"
#include "kvcore/swnd.h"
#include "kvlib/slibgrid.h"

class SGridClientProxy {
 public:
  virtual ~SGridClientProxy() = default;
  // The grid's size as the control shows it.
  virtual unsigned long GetGridRowCount() const = 0;
  virtual unsigned long GetGridColCount() const = 0;
  // E_INVALIDARG for a cell outside the grid.
  virtual HRESULT GetCellValue(unsigned long row, unsigned long col, SString& text) const = 0;
  // flag 1: the value comes from the user.
  virtual HRESULT SetCellValue(unsigned long row, unsigned long col, const SString& text, int flag) = 0;
  // A click on a cell; 1 when the client handled it.
  virtual int OnGridRowColClick(unsigned long, unsigned long, UINT) { return 0; }
  // May the row being edited be left? 0 keeps it in edit; the client may
  // move the cell to show (row, col).
  virtual int OnValidateRow(unsigned long&, unsigned long&) { return 1; }
  // May one value be given to every row of a column? Non-zero allows it
  // (any existing column here); *out (when given) is 1 when the answer is
  // final for the column.
  virtual int CanMassChange(unsigned long col, int, int* out);
};

class SGridWndTB : public SWnd {
 public:
  static constexpr int ToolbarHeight = 24;  // pixels, the warning band
  static constexpr int RowHeight = 18;      // pixels
  static constexpr int DefaultColWidth = 100;
  static constexpr unsigned long NoRow = ~0UL;

  SGridWndTB() = default;

  SGridClientProxy* GetClient() const { return m_pClient; }
  void SetClient(SGridClientProxy* client) { m_pClient = client; }

  // The text shown in a cell (the values stay with the client).
  void SetGridCellText(unsigned long row, unsigned long col, const SString& text);
  SString GetGridCellText(unsigned long row, unsigned long col) const;
  void SetColWidth(unsigned long col, int width);
  int GetColWidth(unsigned long col) const;
  // The line shown in the toolbar band.
  void SetToolbarText(const SString& text);
  const SString& GetToolbarText() const { return m_toolbarText; }

  // The cell under a client point; false outside every cell.
  bool HitTest(POINT pt, unsigned long& row, unsigned long& col) const;
  // The row being edited (NoRow: none) and its column.
  unsigned long GetEditRow() const { return m_nEditRow; }
  unsigned long GetEditCol() const { return m_nEditCol; }
  // Leaves the row being edited when the client lets it: 1 left (or none
  // in edit), 0 refused.
  int EndRowEdit();
  // Gives one value to every row of a column when the client allows it:
  // the number of cells stored, 0 when refused.
  int MassChange(unsigned long col, const SString& text);

  void OnLButtonDown(UINT flags, POINT pt);
  void OnPaint();

  KV_DECLARE_CLASSINFO()
  KV_DECLARE_MESSAGE_MAP()

 private:
  SGridClientProxy* m_pClient = nullptr;
  std::map<std::pair<unsigned long, unsigned long>, SString> m_cellTexts;
  std::vector<int> m_colWidths;
  SString m_toolbarText;
  unsigned long m_nEditRow = NoRow;
  unsigned long m_nEditCol = 0;
};

class SLibGridWnd : public SGridWndTB {
 public:
  SLibGridWnd() = default;

  // Shows a warning in the toolbar band, for a cell or (-1, -1) none.
  void SetWarning(const SString& text, LONG row, LONG col);
  const SString& GetWarning() const { return m_warning; }
  LONG GetWarningRow() const { return m_nWarningRow; }
  LONG GetWarningCol() const { return m_nWarningCol; }

  KV_DECLARE_CLASSINFO()

 private:
  SString m_warning;
  LONG m_nWarningRow = -1;
  LONG m_nWarningCol = -1;
};

class SLibGridWndTB : public SLibGridWnd, public SLibGrid, public SGridClientProxy {
 public:
  SLibGridWndTB() { SetClient(this); }

  // ---- SGridClientProxy over the grid model
  unsigned long GetGridRowCount() const override { return GetRowCount(); }
  unsigned long GetGridColCount() const override { return GetColCount(); }
  HRESULT GetCellValue(unsigned long row, unsigned long col, SString& text) const override;
  HRESULT SetCellValue(unsigned long row, unsigned long col, const SString& text, int flag) override;

  // ---- SLibGrid hooks: the window shows the change
  void Redraw() override;
  void RedrawCol(unsigned long col) override;
  void RedrawRow(unsigned long row) override;
  void RedrawRowCol(unsigned long row, unsigned long col) override;

  KV_DECLARE_CLASSINFO()
};
