// The grid model of the user-interface library: a grid (SLibGrid) shows the
// rows of a row factory (SLibGridRowFactory) in the columns of a column
// factory (SLibGridColFactory). The factories own their rows and columns
// and tell the grid of every row or column added or removed through the
// grid's hooks; the grid owns both factories once they are set on it, and
// asks them to let go of their rows and columns (Terminate) when it goes.
//
// A cell's text is the column's OnGetValue of the row, which asks the row
// (SLibGridRow::GetValue); rows that know their data (a repository object,
// a configuration record) override GetValue and SetValue.
#pragma once

#include <memory>
#include <vector>

#include "kvcore/sstring.h"
#include "win/windef.h"

class SLibGrid;
class SLibGridCol;

// How a column is shown: its position, widths, option flags and the kind of
// control that edits its cells.
struct SGridColConf {
  static constexpr LONG DefaultFlags = 0xCD20;

  LONG m_nIndex = 0;
  LONG m_nWidth = 0;
  LONG m_nMinWidth = 0;
  LONG m_nFlags = 0;
  int m_nCtrlType = 0;
  LONG m_nReserved = 0;
  SString m_sTitle;
};

class SLibGridRow {
 public:
  SLibGridRow() = default;
  virtual ~SLibGridRow() = default;
  SLibGridRow(const SLibGridRow&) = delete;
  SLibGridRow& operator=(const SLibGridRow&) = delete;

  // The row's text in a column; E_NOTIMPL (text emptied) for a row that
  // knows no data.
  virtual HRESULT GetValue(const SLibGridCol* col, SString& text) const;
  // Stores a cell text; E_NOTIMPL for a row that knows no data.
  virtual HRESULT SetValue(const SLibGridCol* col, const SString& text);
};

class SLibGridCol {
 public:
  SLibGridCol() = default;
  virtual ~SLibGridCol() = default;
  SLibGridCol(const SLibGridCol&) = delete;
  SLibGridCol& operator=(const SLibGridCol&) = delete;

  // The cell text of a row in this column: the row's GetValue; E_POINTER
  // for a null row.
  virtual HRESULT OnGetValue(const SLibGridRow* row, SString& text) const;
  const SGridColConf& GetConf() const { return m_conf; }
  void SetConf(const SGridColConf& conf) { m_conf = conf; }

 private:
  SGridColConf m_conf;
};

class SLibGridRowFactory {
 public:
  // State bits of the factory's state word.
  static constexpr DWORD StateFilterInit = 0x2;  // the row filter is built
  static constexpr DWORD StateSuspended = 0x4;   // updates are suspended
  static constexpr DWORD StateLoaded = 0x8;      // the rows are loaded

  explicit SLibGridRowFactory(SLibGrid* grid = nullptr) : m_pGrid(grid) {}
  // Deletes the rows (the grid is not told any more).
  virtual ~SLibGridRowFactory();
  SLibGridRowFactory(const SLibGridRowFactory&) = delete;
  SLibGridRowFactory& operator=(const SLibGridRowFactory&) = delete;

  // Loads the rows; nothing here.
  virtual void Initialize() {}
  // Removes every row, last first, telling the grid of each.
  virtual void Terminate();

  SLibGrid* GetGrid() const { return m_pGrid; }
  void SetGrid(SLibGrid* grid) { m_pGrid = grid; }

  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  // The row at an index, or null out of range.
  SLibGridRow* GetRow(int index) const {
    return index >= 0 && index < GetRowCount() ? m_rows[static_cast<std::size_t>(index)].get() : nullptr;
  }
  // Takes the row over and puts it at index (past the end, or negative:
  // appended); the grid hears OnAddRow with the index it got. Null: nothing.
  void AddRow(int index, std::unique_ptr<SLibGridRow> row);
  // Deletes the row at index; the grid hears OnRemoveRow. Out of range: nothing.
  void RemoveRow(int index);
  // Moves the row at `from` to `to` (indexes in the table before the move);
  // out of range or equal: nothing.
  void MoveRowTo(int from, int to);

  DWORD GetState() const { return m_dwState; }
  bool HasState(DWORD bits) const { return (m_dwState & bits) == bits; }
  void SetState(DWORD bits, bool on) {
    if (on) m_dwState |= bits;
    else m_dwState &= ~bits;
  }
  // Whether the row filter applies (1 after construction).
  int IsFilterEnabled() const { return m_bFilterEnabled; }
  void EnableFilter(int on) { m_bFilterEnabled = on; }

 protected:
  SLibGrid* m_pGrid = nullptr;  // not owned
  DWORD m_dwState = 0;
  int m_bFilterEnabled = 1;
  std::vector<std::unique_ptr<SLibGridRow>> m_rows;
};

class SLibGridColFactory {
 public:
  explicit SLibGridColFactory(SLibGrid* grid = nullptr) : m_pGrid(grid) {}
  virtual ~SLibGridColFactory();
  SLibGridColFactory(const SLibGridColFactory&) = delete;
  SLibGridColFactory& operator=(const SLibGridColFactory&) = delete;

  // Makes the columns; nothing here.
  virtual void Initialize() {}
  // Removes every column, last first, telling the grid of each.
  virtual void Terminate();

  SLibGrid* GetGrid() const { return m_pGrid; }
  void SetGrid(SLibGrid* grid) { m_pGrid = grid; }

  int GetColCount() const { return static_cast<int>(m_cols.size()); }
  SLibGridCol* GetCol(int index) const {
    return index >= 0 && index < GetColCount() ? m_cols[static_cast<std::size_t>(index)].get() : nullptr;
  }
  // Takes the column over, appends it with its configuration and tells the
  // grid (OnAddCol); answers the column, or null for a null one.
  SLibGridCol* AddCol(std::unique_ptr<SLibGridCol> col, const SGridColConf& conf);
  void RemoveCol(int index);

 protected:
  SLibGrid* m_pGrid = nullptr;  // not owned
  std::vector<std::unique_ptr<SLibGridCol>> m_cols;
};

class SLibGrid {
 public:
  SLibGrid() = default;
  // Deletes the factories (the deriving grid terminates them first).
  virtual ~SLibGrid();
  SLibGrid(const SLibGrid&) = delete;
  SLibGrid& operator=(const SLibGrid&) = delete;

  // The grid takes the factory over (a former one is deleted).
  void SetRowFactory(SLibGridRowFactory* factory);
  void SetColFactory(SLibGridColFactory* factory);
  SLibGridRowFactory* GetRowFactory() const { return m_pRowFactory.get(); }
  SLibGridColFactory* GetColFactory() const { return m_pColFactory.get(); }

  // Rows and columns of the factories (0 without one).
  unsigned long GetRowCount() const;
  unsigned long GetColCount() const;
  // Null out of range or without a factory.
  SLibGridRow* GetGridRow(unsigned long index) const;
  SLibGridCol* GetGridCol(unsigned long index) const;
  // The row factory's filter switch; 0 without a row factory.
  int IsFilterEnabled() const;

  // The text of a cell (the column's OnGetValue); E_INVALIDARG out of range.
  virtual HRESULT GetCellValue(unsigned long row, unsigned long col, SString& text) const;
  // Stores a cell text through the row and redraws the cell; E_INVALIDARG
  // out of range, else the row's answer.
  virtual HRESULT SetCellValue(unsigned long row, unsigned long col, const SString& text, int flag);

  // ---- hooks: the factories call them as rows and columns come and go
  virtual void Redraw() {}
  virtual void RedrawCol(unsigned long col) { (void)col; }
  virtual void RedrawRow(unsigned long row) { (void)row; }
  virtual void RedrawRowCol(unsigned long row, unsigned long col) { (void)row, (void)col; }
  virtual void OnAddRow(unsigned long index, SLibGridRow* row) { (void)index, (void)row; }
  virtual void InsertRows(unsigned long index, unsigned long count) { (void)index, (void)count; }
  virtual void OnRemoveRow(unsigned long index) { (void)index; }
  virtual void OnAddCol(unsigned long index, SLibGridCol* col) { (void)index, (void)col; }
  virtual void OnRemoveCol(unsigned long index) { (void)index; }

 private:
  std::unique_ptr<SLibGridRowFactory> m_pRowFactory;
  std::unique_ptr<SLibGridColFactory> m_pColFactory;
};
