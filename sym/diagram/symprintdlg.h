// SSymPrintDlg in its least form: what a diagram window in page-selection
// mode uses of the print dialog. The dialog keeps a table of the pages that
// cover the diagram (rows from the top, columns from the left, one int per
// page, non-zero = selected) and a print range; SetSelect switches the range
// to the selection (its radio button checked, the other two unchecked, the
// two page-number edits disabled and emptied). The dialogs subsystem grows
// the dialog around this.
#pragma once

#include <vector>

#include "kvcore/sstring.h"

class SSymPrintDlg {
 public:
  enum Range { RangeAll = 0, RangePages = 1, RangeSelection = 2 };

  virtual ~SSymPrintDlg() = default;

  // A table of rows x cols pages, none selected.
  void SetPageTable(int rows, int cols) {
    m_nRows = rows > 0 ? rows : 0;
    m_nCols = cols > 0 ? cols : 0;
    m_pages.assign(static_cast<std::size_t>(m_nRows) * static_cast<std::size_t>(m_nCols), 0);
  }
  int GetPageRows() const { return m_nRows; }
  int GetPageCols() const { return m_nCols; }
  // The cell of a page (row from the top, column from the left), or null
  // outside the table.
  int* GetPage(int row, int col) {
    if (row < 0 || col < 0 || row >= m_nRows || col >= m_nCols) return nullptr;
    return &m_pages[static_cast<std::size_t>(row) * static_cast<std::size_t>(m_nCols) + static_cast<std::size_t>(col)];
  }
  std::vector<int>& GetPages() { return m_pages; }

  virtual void SetSelect() {
    m_nRange = RangeSelection;
    m_bPageEditsEnabled = false;
    m_fromPage = SString();
    m_toPage = SString();
  }
  int GetRange() const { return m_nRange; }

  int m_nRange = RangeAll;
  bool m_bPageEditsEnabled = true;
  SString m_fromPage, m_toPage;

 private:
  int m_nRows = 0;
  int m_nCols = 0;
  std::vector<int> m_pages;
};
