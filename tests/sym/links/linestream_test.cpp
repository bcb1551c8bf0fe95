// Polygons and polylines written in the repository's data format and read
// back into another session: points, brush, transparency, corner style,
// label texts, font and the labels' kept offsets.
#include <gtest/gtest.h>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sstream.h"
#include "kvrep/srepstream.h"
#include "sym/links/sympolygon.h"
#include "sym/links/sympolyline.h"
#include "support/lines_fixture.h"
#include "support/reload.h"

namespace {

class LineStream : public LineFixture {};

TEST_F(LineStream, PolygonsAndPolylinesReadBackWhole) {
  auto* g = MakeLine<SSymPolygon>(CLSID_SSymPolygon, Pts({{0, 0}, {4000, 0}, {2000, 3000}}));
  g->SetLineStyle(3, 0);
  g->SetFillColor(0x336699);
  g->OnSetTransparent(true);
  auto* l = MakeLine<SSymPolyline>(CLSID_SSymPolyline, Pts({{0, 0}, {6000, 0}, {6000, 5000}}));
  l->InitialSym(l->Sym());
  l->SetFontName(SString(u"Courier New,10,B"));
  l->SetCtrText(SString(u"middle"));
  l->SetDstText(SString(u"end"));
  l->SetTextStyle(0x22, 0);
  SSymSubText* end = l->GetLabel(2);
  end->MoveBy(SSymSize(-900, 400), 0);
  l->OnSubSymMove(end->SymFace(), 0);
  const SSymPoint offset = l->Record(2).offset;
  ASSERT_NE(offset, SSymPoint(0, 0));
  const SSymRect placed = end->GetClipRect(0, 0);

  kvtest::Reloaded reloaded;
  kvtest::ReloadInNewSession(std::vector<ISRepObject*>{g->Obj(), l->Obj()}, reloaded);
  ASSERT_EQ(reloaded.saved, S_OK);
  ASSERT_EQ(reloaded.loaded, S_OK);
  EXPECT_TRUE(reloaded.silent);
  const std::vector<ISRepObject*>& loaded = reloaded.objects;
  ASSERT_EQ(loaded.size(), 2u);
  auto* g2 = dynamic_cast<SSymPolygon*>(SRepObject::FromInterface(loaded[0]));
  auto* l2 = dynamic_cast<SSymPolyline*>(SRepObject::FromInterface(loaded[1]));
  ASSERT_NE(g2, nullptr);
  ASSERT_NE(l2, nullptr);
  ASSERT_EQ(g2->ListPoints().GetCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(g2->ListPoints()[i], g->ListPoints()[i]) << i;
  ASSERT_EQ(l2->ListPoints().GetCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(l2->ListPoints()[i], l->ListPoints()[i]) << i;
  EXPECT_EQ(g2->LineStyle, 3);
  EXPECT_EQ(g2->GetFillColor(), 0x336699);
  EXPECT_TRUE(g2->OnGetTransparent());
  EXPECT_EQ(l2->GetCtrText(), SString(u"middle"));
  EXPECT_EQ(l2->GetDstText(), SString(u"end"));
  EXPECT_EQ(l2->GetSrcText(), SString());
  EXPECT_EQ(l2->GetFontName(), SString(u"Courier New,10,B"));
  EXPECT_EQ(l2->GetTextStyle(), 0x22);
  EXPECT_EQ(l2->Record(2).offset, offset);
  // Laid out on its first drawing, the label stands where it was left.
  l2->InitialSym(l2->Sym());
  EXPECT_EQ(l2->GetLabel(2)->GetClipRect(0, 0).GetCenter(), placed.GetCenter());
}

}  // namespace
