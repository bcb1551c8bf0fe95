// The sample sheet's free texts: below the rest, apart from each other,
// plain and rich, and each already fitted to its text.
#include <gtest/gtest.h>

#include "apps/symhost/samplefreetexts.h"
#include "kvcore/srtfdocument.h"
#include "sym/render/symdeftcanv.h"
#include "sym/shapes/symtext.h"

namespace {

TEST(SampleFreeTexts, RowOfFittedPlainAndRichTexts) {
  SHostDiagram d;
  SBuildSampleDiagram(d);
  const LONG bottom = d.GetExtent(0).y2;
  const std::vector<ISSymbol*> row = SBuildFreeTextRow(d);
  ASSERT_EQ(row.size(), 7u);
  int rich = 0;
  SSymDeftCanvas measure;
  for (std::size_t i = 0; i < row.size(); ++i) {
    auto* t = dynamic_cast<SSymText*>(SSymBase::FromInterface(row[i]));
    ASSERT_NE(t, nullptr);
    EXPECT_LT(row[i]->GetClipRect(1, 0).GetMaxY(), bottom);
    rich += SRtfDocument::IsRtf(t->m_text) ? 1 : 0;
    if (i > 0) {  // the title fills the row's width as it is
      SSymRect again = t->m_rect;
      EXPECT_EQ(t->GetAdjustRect(measure, t->m_rect, again), 0) << i;
    }
    for (std::size_t j = i + 1; j < row.size(); ++j)
      EXPECT_FALSE(row[i]->GetClipRect(0, 0).Intersects(row[j]->GetClipRect(0, 0))) << i << " " << j;
  }
  EXPECT_EQ(rich, 2);
}

}  // namespace
