// The colour dialog's custom colours and the string table's formatted lines.
#include "kvcore/scolordlg.h"

#include <gtest/gtest.h>

#include "kvcore/sstringtable.h"

namespace {

TEST(SColorDlg, KeepsSixteenColoursInTurn) {
  SColorDlg::ResetCustomColors();
  const COLORREF* colors = SColorDlg::GetCustomColors();
  EXPECT_EQ(colors[0], SColorDlg::UnsetColor);
  SColorDlg::AddCustomColor(0x0000FF);
  SColorDlg::AddCustomColor(0x0000FF);  // already kept: stays where it is
  SColorDlg::AddCustomColor(0xFF000000);  // a mark, not a colour
  SColorDlg::AddCustomColor(0xFFFFFFFF);
  EXPECT_EQ(colors[0], 0x0000FFu);
  EXPECT_EQ(colors[1], SColorDlg::UnsetColor);
  EXPECT_FALSE(SColorDlg::IsCustomColor(0xFF000000));
  for (COLORREF c = 1; c <= 16; ++c) SColorDlg::AddCustomColor(c);
  // Seventeen colours in sixteen places: the oldest went.
  EXPECT_FALSE(SColorDlg::IsCustomColor(0x0000FF));
  EXPECT_EQ(colors[0], 16u);
  EXPECT_EQ(colors[1], 1u);
  EXPECT_TRUE(SColorDlg::IsCustomColor(15));
  // White is a colour like the others once added, though unset places show it.
  EXPECT_FALSE(SColorDlg::IsCustomColor(SColorDlg::UnsetColor));
  SColorDlg::ResetCustomColors();
  EXPECT_FALSE(SColorDlg::IsCustomColor(15));
}

TEST(SStringTable, FormattedLines) {
  struct Case {
    const char* text;
    const char* arg;
    const char* line;
  } cases[] = {
      {"The symbol %s must have a diagram", "Ellipse", "The symbol Ellipse must have a diagram"},
      {"%s", "", ""},
      {"no place", "x", "no place"},
      {"only the first %s of %s", "one", "only the first one of %s"},
      {"%s", "100%s", "100%s"},
  };
  SStringTable table;
  for (const Case& c : cases) {
    const int i = table.AddFormat(SString(c.text), SString(c.arg));
    EXPECT_EQ(table.GetAt(i).ToUtf8(), c.line) << c.text;
  }
  EXPECT_EQ(table.GetCount(), 5);
  SStringTable copy(table);
  EXPECT_EQ(copy.GetAt(0), table.GetAt(0));
}

}  // namespace
