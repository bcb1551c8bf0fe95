// The groups row of the sample sheet: below the rest of the sheet, three
// groups and a composite that hold their members (not the diagram), a
// format taken by every member of the first group, the nested group moved
// with the outer one and the stretched group twice as wide as it was made.
#include <gtest/gtest.h>

#include "apps/symhost/samplegroups.h"
#include "support/recording_canvas.h"
#include "sym/composite/symgroup.h"

namespace {

TEST(SampleGroups, RowHoldsGroupsThatDrawTheirMembers) {
  SHostDiagram d;
  SBuildSampleDiagram(d);
  const LONG sheetBottom = d.GetExtent(0).y2;
  const std::vector<ISSymbol*> row = SBuildGroupRow(d);
  std::vector<SSymComposite*> groups;
  for (ISSymbol* s : row) {
    EXPECT_LT(s->GetClipRect(1, 0).GetMaxY(), sheetBottom);
    if (auto* c = dynamic_cast<SSymComposite*>(SSymBase::FromInterface(s))) groups.push_back(c);
  }
  ASSERT_EQ(groups.size(), 4u);
  const int counts[] = {4, 2, 2, 3};
  for (std::size_t i = 0; i < groups.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(groups[i]->GetCount(), counts[i]);
    for (ISSymbol* m : groups[i]->m_children.GetList()) EXPECT_FALSE(d.Model()->Contains(m, 0));
    EXPECT_FALSE(groups[i]->m_rect.IsDegenerate());
  }
  // One format through the group: every member took the red pen.
  for (ISSymbol* m : groups[0]->m_children.GetList()) {
    SComWrap<ISSymPen> pen(m);
    ASSERT_FALSE(pen.IsNull());
    EXPECT_EQ(pen->GetPen().m_color.GetColor(), RGB(0xC0, 0x39, 0x2B));
  }
  EXPECT_EQ(groups[0]->GetListSym()->GetAt(0)->GetSymbolType(), 8);  // the link first
  // The outer group moved its inner group along.
  SComWrap<ISSymGroup> inner(groups[1]->m_children.GetAt(0));
  ASSERT_FALSE(inner.IsNull());
  EXPECT_EQ(groups[1]->m_rect.GetMinX(), 2 * (10800 + 1800) + 3900);
  // Stretched: twice as wide as the members were made (3600 + 5400 - 600 ... 600).
  EXPECT_EQ(groups[2]->m_rect.Width() - 1, 2 * (5400 + 3000 - 600));
  // Drawing the row draws the members' figures.
  RecordingCanvas canvas;
  for (ISSymbol* s : row) s->Draw(canvas);
  EXPECT_GE(canvas.Only("Ellipse").size(), 4u);
}

}  // namespace
