// The automatic layout row of the sample sheet: below the rest of the
// sheet, its boxes stand in a square grid in the order they were made, none
// over another, and the title keeps its place.
#include <gtest/gtest.h>

#include "apps/symhost/samplelayout.h"

namespace {

TEST(SampleLayout, BoxesStandInAGridInTheirOrder) {
  SHostDiagram d;
  SBuildSampleDiagram(d);
  const LONG sheetBottom = d.GetExtent(0).y2;
  const std::vector<ISSymbol*> row = SBuildLayoutRow(d);
  ASSERT_EQ(row.size(), 8u);
  const SSymRect title = row[0]->GetClipRect(0, 0);
  EXPECT_LT(title.GetMaxY(), sheetBottom);
  // Three columns of cells as large as the largest box plus the gap, from
  // the top-left corner of the scattered boxes (the first, at x 0 under the title).
  const LONG top = title.GetMinY() - 300;
  const LONG cellW = 7200 + 2000, cellH = 3000 + 2000;
  for (std::size_t i = 1; i < row.size(); ++i) {
    SCOPED_TRACE(i);
    const SSymRect r = row[i]->GetClipRect(0, 0);
    const LONG k = static_cast<LONG>(i - 1);
    EXPECT_EQ(r.GetMinX(), (k % 3) * cellW);
    EXPECT_EQ(r.GetMaxY(), top - (k / 3) * cellH);
    for (std::size_t j = 1; j < i; ++j) {
      SSymRect other = row[j]->GetClipRect(0, 0);
      EXPECT_TRUE(other.GetMaxX() < r.GetMinX() || r.GetMaxX() < other.GetMinX() || other.GetMaxY() < r.GetMinY() ||
                  r.GetMaxY() < other.GetMinY())
          << "overlaps box " << j;
    }
  }
}

}  // namespace
