// The automatic layout row of the sample sheet: its boxes stand in a row in
// the order they were made, one spacing below the rest of the sheet, none
// over another, and the title keeps its place.
#include <gtest/gtest.h>

#include "apps/symhost/samplelayout.h"

namespace {

TEST(SampleLayout, BoxesStandInARowBelowTheSheetInTheirOrder) {
  SHostDiagram d;
  SBuildSampleDiagram(d);
  const LONG sheetBottom = d.GetExtent(0).y2;
  const std::vector<ISSymbol*> row = SBuildLayoutRow(d);
  ASSERT_EQ(row.size(), 8u);
  const SSymRect title = row[0]->GetClipRect(0, 0);
  EXPECT_LT(title.GetMaxY(), sheetBottom);
  for (std::size_t i = 1; i < row.size(); ++i) {
    SCOPED_TRACE(i);
    const SSymRect r = row[i]->GetClipRect(0, 0);
    EXPECT_LE(r.GetMaxY(), title.GetMinY() - 4000) << "below everything that stayed";
    if (i > 1) {
      EXPECT_GT(r.GetMinX(), row[i - 1]->GetClipRect(0, 0).GetMaxX()) << "in the order made";
    }
    for (std::size_t j = 1; j < i; ++j) {
      SSymRect other = row[j]->GetClipRect(0, 0);
      EXPECT_TRUE(other.GetMaxX() < r.GetMinX() || r.GetMaxX() < other.GetMinX() || other.GetMaxY() < r.GetMinY() ||
                  r.GetMaxY() < other.GetMinY())
          << "overlaps box " << j;
    }
  }
}

}  // namespace
