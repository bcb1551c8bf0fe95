// The profiling counters of the user-interface library, and its grid
// configuration records.
#include "kvlib/scounthelper.h"

#include <gtest/gtest.h>

#include "kvcore/stable.h"
#include "kvlib/sconfgrid.h"
#include "win/wingdi.h"

namespace {

TEST(SHandleCountHelper, AddsTheChangeAcrossTheScopeToItsLabel) {
  SBaseCountHelper::ResetTotals();
  HPEN pen = nullptr;
  {
    SHandleCountHelper counter("MakePen");
    EXPECT_EQ(counter.GetLabel(), "MakePen");
    pen = CreatePen(PS_SOLID, 1, 0);
  }
  EXPECT_EQ(SBaseCountHelper::GetTotal("MakePen"), 1);
  EXPECT_EQ(SBaseCountHelper::GetCalls("MakePen"), 1);
  {
    SHandleCountHelper outer("FreePen");
    { SHandleCountHelper inner("Nothing"); }
    DeleteObject(pen);
  }
  EXPECT_EQ(SBaseCountHelper::GetTotal("FreePen"), -1);
  EXPECT_EQ(SBaseCountHelper::GetTotal("Nothing"), 0);
  EXPECT_EQ(SBaseCountHelper::GetCalls("Nothing"), 1);
  EXPECT_EQ(SBaseCountHelper::GetCalls("Never"), 0);
  { SHandleCountHelper unnamed(nullptr); }
  EXPECT_EQ(SBaseCountHelper::GetCalls(""), 1);
  SBaseCountHelper::ResetTotals();
  EXPECT_EQ(SBaseCountHelper::GetCalls("MakePen"), 0);
}

TEST(SConfGrid, NewColumnsAndRows) {
  STableMem<SConfCol> cols;
  SConfCol& c = cols.AddNew();
  EXPECT_EQ(c.m_nWidth, 50);
  EXPECT_EQ(c.m_nStyle, 52512);
  EXPECT_TRUE(c.m_sTitle.IsEmpty());
  EXPECT_TRUE(c.m_sTip.IsEmpty());
  c.m_sTitle = SString("Name");
  cols.AddNew();
  ASSERT_EQ(cols.GetCount(), 2);
  EXPECT_EQ(cols.GetAt(0).m_sTitle, SString("Name"));  // the first kept as the table grew

  STableMem<SConfRow> rows;
  SConfRow& r = rows.AddNew();
  r.m_sName = SString("Style");
  r.m_values.Add(SString("1"));
  r.m_texts.Add(SString("Solid"));
  STableMem<SConfRow> copy(rows);
  ASSERT_EQ(copy.GetAt(0).m_texts.GetCount(), 1);
  EXPECT_EQ(copy.GetAt(0).m_texts.GetAt(0), SString("Solid"));
  EXPECT_EQ(copy.GetAt(0).m_nFlags, 0);
}

}  // namespace
