// The links row of the sample sheet: below the rest of the sheet, every
// corner style, a self loop, double lines, and one crossing drawn as a
// bridge; every link attached at both ends.
#include <gtest/gtest.h>

#include <set>

#include "apps/symhost/samplelinks.h"
#include "support/recording_canvas.h"
#include "sym/layout/symedgerouter.h"
#include "sym/links/symlinkbase.h"

namespace {

TEST(SampleLinks, RowShowsEveryKindOfLinkAttachedAtBothEnds) {
  SHostDiagram d;
  SBuildSampleDiagram(d);
  const LONG sheetBottom = d.GetExtent(0).y2;
  const std::vector<ISSymbol*> row = SBuildLinkRow(d);
  std::vector<SSymLinkBase*> links;
  for (ISSymbol* s : row) {
    EXPECT_LT(s->GetClipRect(1, 0).GetMaxY(), sheetBottom);
    if (auto* l = dynamic_cast<SSymLinkBase*>(SSymBase::FromInterface(s))) links.push_back(l);
  }
  ASSERT_EQ(links.size(), 9u);
  std::set<LONG> styles;
  int selfLoops = 0, doubles = 0, crossings = 0;
  for (SSymLinkBase* l : links) {
    SComOut<ISSymbol> a, b;
    l->GetAttachSym(0, &a);
    l->GetAttachSym(1, &b);
    ASSERT_TRUE(a && b);
    styles.insert(l->LineStyle);
    if (SSymLinkBase::IsSelfLink(a.Get(), b.Get(), nullptr)) {
      ++selfLoops;
      EXPECT_EQ(l->ListPt.GetCount(), 5);
    }
    if ((l->m_pen.m_width + 1) % 75 == 0) ++doubles;
    crossings += SSymEdgeRouter::Instance().GetIntersections(l->Sym()).GetCount();
  }
  EXPECT_EQ(styles, (std::set<LONG>{0, 1, 2, 3}));
  EXPECT_EQ(selfLoops, 1);
  EXPECT_EQ(doubles, 2);
  EXPECT_EQ(crossings, 1);
  // Drawn, the crossing link stores the four points of its bridge.
  RecordingCanvas canvas;
  for (SSymLinkBase* l : links) l->Draw(canvas);
  int bridged = 0;
  for (SSymLinkBase* l : links) bridged += SSymEdgeRouter::Instance().GetBridges(l->Sym()).GetCount();
  EXPECT_EQ(bridged, 4);
}

}  // namespace
