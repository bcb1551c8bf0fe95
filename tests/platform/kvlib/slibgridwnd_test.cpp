// The grid window: clicks reach the client on the cell under the point, a
// row the client refuses to leave keeps the edit, and one value goes to a
// whole column only when the client allows it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvlib/slibgridwnd.h"
#include "support/textgrid_fixture.h"
#include "win/winuser.h"

namespace {

class RecordingGrid : public SLibGridWndTB {
 public:
  int OnGridRowColClick(unsigned long row, unsigned long col, UINT) override {
    calls.push_back("click " + std::to_string(row) + "," + std::to_string(col));
    return 1;
  }
  int OnValidateRow(unsigned long& row, unsigned long& col) override {
    calls.push_back("validate " + std::to_string(row) + "," + std::to_string(col));
    return acceptRow ? 1 : 0;
  }
  std::vector<std::string> calls;
  bool acceptRow = true;
};

class GridWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvWindowsReset();
    TFillTextGrid(grid, 3, 3);
    ASSERT_TRUE(grid.CreateEx(0, nullptr, nullptr, WS_VISIBLE, RECT{0, 0, 400, 200}, nullptr, 0));
  }
  void TearDown() override {
    grid.DestroyWindow();
    KvWindowsReset();
  }
  // A click in the middle of a cell.
  void Click(unsigned long row, unsigned long col) {
    const int x = int(col) * SGridWndTB::DefaultColWidth + SGridWndTB::DefaultColWidth / 2;
    const int y = SGridWndTB::ToolbarHeight + int(row) * SGridWndTB::RowHeight + SGridWndTB::RowHeight / 2;
    grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  }
  RecordingGrid grid;
};

TEST_F(GridWndTest, ClicksReachTheCellUnderThePoint) {
  Click(1, 2);
  Click(1, 0);
  // Outside the grid: the toolbar band, below the last row, right of the last column.
  grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
  grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, SGridWndTB::ToolbarHeight + 3 * SGridWndTB::RowHeight));
  grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3 * SGridWndTB::DefaultColWidth + 1, 30));
  EXPECT_EQ(grid.calls, (std::vector<std::string>{"click 1,2", "click 1,0"}));
  EXPECT_EQ(grid.GetEditRow(), 1u);
  EXPECT_EQ(grid.GetEditCol(), 0u);
}

TEST_F(GridWndTest, ARefusedRowKeepsTheEdit) {
  Click(0, 1);
  grid.acceptRow = false;
  Click(2, 0);
  EXPECT_EQ(grid.calls, (std::vector<std::string>{"click 0,1", "validate 0,1"}));
  EXPECT_EQ(grid.GetEditRow(), 0u);
  EXPECT_EQ(grid.EndRowEdit(), 0);
  grid.acceptRow = true;
  Click(2, 0);
  EXPECT_EQ(grid.calls.back(), "click 2,0");
  EXPECT_EQ(grid.EndRowEdit(), 1);
  EXPECT_EQ(grid.GetEditRow(), SGridWndTB::NoRow);
}

TEST_F(GridWndTest, CellsAreTheGridModelsAndMassChangesAskTheClient) {
  EXPECT_EQ(grid.SetCellValue(2, 2, SString(u"x"), 1), S_OK);
  SString text(u"unchanged");
  EXPECT_EQ(grid.GetCellValue(0, 0, text), S_OK);
  EXPECT_EQ(text, SString());
  EXPECT_EQ(grid.GetCellValue(2, 2, text), S_OK);
  EXPECT_EQ(text, SString(u"x"));
  EXPECT_TRUE(FAILED(grid.SetCellValue(3, 0, SString(u"x"), 1)));
  EXPECT_TRUE(FAILED(grid.GetCellValue(0, 3, text)));

  EXPECT_EQ(grid.MassChange(1, SString(u"v")), 3);
  EXPECT_EQ(grid.GetCellValue(2, 1, text), S_OK);
  EXPECT_EQ(text, SString(u"v"));
  EXPECT_EQ(grid.GetGridCellText(2, 1), SString(u"v"));
  EXPECT_EQ(grid.MassChange(5, SString(u"v")), 0);  // no such column

  grid.SetWarning(SString(u"look"), -1, -1);
  EXPECT_EQ(grid.GetToolbarText(), SString(u"look"));
  EXPECT_EQ(grid.GetWarningRow(), -1);
}

}  // namespace
