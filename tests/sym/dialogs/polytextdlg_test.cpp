// The line-text sheet of a polyline: any verb shows it modeless for the
// line's labels, with the sheet's window style and its three pages; a
// second verb shows the sheet already open.
#include <gtest/gtest.h>

#include "sym/dialogs/sympolytextdlg.h"
#include "sym/links/sympolyline.h"
#include "support/lines_fixture.h"

namespace {

class PolyTextSheet : public LineFixture {};

TEST_F(PolyTextSheet, VerbShowsTheSheetOncePerLine) {
  auto* p = MakeLine<SSymPolyline>(CLSID_SSymPolyline, Pts({{0, 0}, {10000, 0}}));
  p->SetCtrText(SString(u"centre"));
  p->SetSrcText(SString(u"source"));
  SComWrap<ISVerbSource> verbs(p->Sym());
  ASSERT_FALSE(verbs.IsNull());
  EXPECT_EQ(verbs->EnumVerbs(), 1);
  const HWND owner = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(verbs->DoVerb(0, nullptr, owner, nullptr), 1);
  ISRepObject* obj = static_cast<ISRepObjectBase*>(p);
  SSymPolyTextDlg* sheet = SSymPolyTextDlg::Find(obj);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->GetHelper(), static_cast<SSymLineTextHelper*>(p));
  EXPECT_EQ(sheet->GetLine(), p->Sym());
  EXPECT_EQ(sheet->GetOwner(), owner);
  EXPECT_EQ(sheet->GetStyle(), 0x90C82044u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(sheet->GetPage(i), i);
  EXPECT_EQ(sheet->GetPageText(SSymPolyTextDlg::SourcePage), SString(u"source"));
  EXPECT_EQ(sheet->GetPageText(SSymPolyTextDlg::CentrePage), SString(u"centre"));
  EXPECT_EQ(sheet->GetPageText(SSymPolyTextDlg::DestinationPage), SString());
  EXPECT_EQ(sheet->GetShowCount(), 1);
  // Another verb: the same sheet, shown again.
  EXPECT_EQ(verbs->DoVerb(7, nullptr, owner, nullptr), 1);
  EXPECT_EQ(SSymPolyTextDlg::Find(obj), sheet);
  EXPECT_EQ(sheet->GetShowCount(), 2);
  sheet->Close();
  EXPECT_EQ(SSymPolyTextDlg::Find(obj), nullptr);
  EXPECT_EQ(SSymPolyTextDlg::Find(nullptr), nullptr);
}

}  // namespace
