// SSymPrintPages: what a diagram window in page-selection mode uses of the
// print dialog (SSymPrintDlg, which derives it). It keeps the flags of the
// pages that cover the diagram (rows from the top, columns from the left,
// one int per page, index = row x pages across + column, non-zero = print
// this page); SetSelect tells the dialog that a click in the window chose
// pages (the dialog switches its range to the selection).
#pragma once

#include <vector>

class SSymPrintPages {
 public:
  virtual ~SSymPrintPages() = default;

  // A table of rows x cols pages, all flagged `flag`.
  void SetPageTable(int rows, int cols, int flag = 0) {
    m_nRows = rows > 0 ? rows : 0;
    m_nCols = cols > 0 ? cols : 0;
    m_pages.assign(static_cast<std::size_t>(m_nRows) * static_cast<std::size_t>(m_nCols), flag);
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
  const std::vector<int>& GetPages() const { return m_pages; }

  // A page was clicked in the window.
  virtual void SetSelect() {}

 private:
  int m_nRows = 0;
  int m_nCols = 0;
  std::vector<int> m_pages;
};
