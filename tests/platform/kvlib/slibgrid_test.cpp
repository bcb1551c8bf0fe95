// The grid model: factories tell the grid of rows and columns as they come
// and go, cells read and write through rows and columns, and the grid lets
// go of its factories without being called back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvlib/slibgrid.h"

namespace {

// A row holding one text per column index.
class TRow : public SLibGridRow {
 public:
  explicit TRow(std::vector<SString> cells) : m_cells(std::move(cells)) {}
  HRESULT GetValue(const SLibGridCol* col, SString& text) const override {
    const auto i = static_cast<std::size_t>(col->GetConf().m_nIndex);
    text = i < m_cells.size() ? m_cells[i] : SString();
    return S_OK;
  }
  HRESULT SetValue(const SLibGridCol* col, const SString& text) override {
    const auto i = static_cast<std::size_t>(col->GetConf().m_nIndex);
    if (i >= m_cells.size()) return E_INVALIDARG;
    m_cells[i] = text;
    return S_OK;
  }
  std::vector<SString> m_cells;
};

// A grid that notes its hooks.
class TGrid : public SLibGrid {
 public:
  void RedrawRowCol(unsigned long row, unsigned long col) override { Note("cell " + N(row) + " " + N(col)); }
  void OnAddRow(unsigned long i, SLibGridRow*) override { Note("add row " + N(i)); }
  void OnRemoveRow(unsigned long i) override { Note("remove row " + N(i)); }
  void OnAddCol(unsigned long i, SLibGridCol*) override { Note("add col " + N(i)); }
  void OnRemoveCol(unsigned long i) override { Note("remove col " + N(i)); }
  std::vector<std::string> m_log;

 private:
  static std::string N(unsigned long v) { return std::to_string(v); }
  void Note(std::string s) { m_log.push_back(std::move(s)); }
};

SGridColConf Conf(LONG index) {
  SGridColConf c;
  c.m_nIndex = index;
  return c;
}

TEST(SLibGrid, FactoriesTellTheGridAndCellsGoThroughRows) {
  TGrid grid;
  auto* rows = new SLibGridRowFactory(&grid);
  auto* cols = new SLibGridColFactory(&grid);
  grid.SetRowFactory(rows);
  grid.SetColFactory(cols);
  cols->AddCol(std::make_unique<SLibGridCol>(), Conf(0));
  cols->AddCol(std::make_unique<SLibGridCol>(), Conf(1));
  rows->AddRow(-1, std::make_unique<TRow>(std::vector<SString>{SString(u"a"), SString(u"b")}));
  rows->AddRow(0, std::make_unique<TRow>(std::vector<SString>{SString(u"c"), SString(u"d")}));
  rows->AddRow(9, nullptr);  // nothing
  EXPECT_EQ((std::vector<std::string>{"add col 0", "add col 1", "add row 0", "add row 0"}), grid.m_log);
  ASSERT_EQ(2ul, grid.GetRowCount());
  ASSERT_EQ(2ul, grid.GetColCount());
  EXPECT_EQ(1, grid.IsFilterEnabled());

  SString text;
  EXPECT_EQ(S_OK, grid.GetCellValue(1, 1, text));
  EXPECT_EQ(SString(u"b"), text);
  EXPECT_EQ(S_OK, grid.SetCellValue(0, 0, SString(u"x"), 0));
  EXPECT_EQ(S_OK, grid.GetCellValue(0, 0, text));
  EXPECT_EQ(SString(u"x"), text);
  EXPECT_EQ("cell 0 0", grid.m_log.back());
  // Out of range: no row or column, a clear error.
  EXPECT_EQ(nullptr, grid.GetGridRow(2));
  EXPECT_EQ(nullptr, grid.GetGridCol(7));
  EXPECT_EQ(E_INVALIDARG, grid.GetCellValue(2, 0, text));
  EXPECT_EQ(E_INVALIDARG, grid.SetCellValue(0, 5, text, 0));
  // A row that knows no data.
  rows->AddRow(-1, std::make_unique<SLibGridRow>());
  EXPECT_EQ(E_NOTIMPL, grid.GetCellValue(2, 0, text));

  rows->MoveRowTo(0, 1);
  EXPECT_EQ(S_OK, grid.GetCellValue(1, 0, text));
  EXPECT_EQ(SString(u"x"), text);
  grid.m_log.clear();
  rows->Terminate();
  cols->Terminate();
  EXPECT_EQ((std::vector<std::string>{"remove row 2", "remove row 1", "remove row 0", "remove col 1", "remove col 0"}),
            grid.m_log);
}

TEST(SLibGrid, WithoutFactoriesTheGridIsEmpty) {
  SLibGrid grid;
  EXPECT_EQ(0ul, grid.GetRowCount());
  EXPECT_EQ(0ul, grid.GetColCount());
  EXPECT_EQ(0, grid.IsFilterEnabled());
  EXPECT_EQ(nullptr, grid.GetGridRow(0));
  SLibGridCol col;
  SString text(u"kept?");
  EXPECT_EQ(E_POINTER, col.OnGetValue(nullptr, text));
  EXPECT_TRUE(text.IsEmpty());
}

}  // namespace
