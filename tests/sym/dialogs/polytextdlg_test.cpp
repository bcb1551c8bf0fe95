// The "Link Symbol Text" sheet of a line: any verb shows it modeless with
// its three pages (centre, source, destination), a second verb shows the
// sheet already open; OK writes back, as one undo step, only the texts the
// person saw and changed; a line deleted while the sheet is open is refused.
#include <gtest/gtest.h>

#include "sym/dialogs/sympolytextdlg.h"
#include "sym/links/sympolyline.h"
#include "support/lines_fixture.h"
#include "win/winmsgbox.h"

namespace {

using D = SSymPolyTextDlg;

class PolyTextSheet : public LineFixture {
 protected:
  void SetUp() override {
    LineFixture::SetUp();
    KvClearMessageBoxLog();
    KvSetMessageBoxQuiet(true);
  }
  void TearDown() override {
    KvClearMessageBoxLog();
    LineFixture::TearDown();
  }
  SSymPolyline* Labelled() {
    auto* p = MakeLine<SSymPolyline>(CLSID_SSymPolyline, Pts({{0, 0}, {10000, 0}}), true);
    SCurrentContextChange outside(Session(), nullptr);
    p->SetCtrText(SString(u"centre"));
    p->SetSrcText(SString(u"source"));
    return p;
  }
  // Shows a page and types into its rich edit.
  static void Type(D& sheet, int page, const char16_t* text) {
    ASSERT_TRUE(KvPlayControlAction(sheet.m_hWnd, KvPick(SPropertySheet::TabControlId, page)));
    ASSERT_NE(sheet.GetTextPage(page)->m_hWnd, nullptr);
    sheet.GetTextPage(page)->GetEditPart().GetEdit().SetText(SString(text));
  }
  static bool Click(D& sheet, int id) { return KvPlayControlAction(sheet.m_hWnd, KvClick(id)) != FALSE; }
};

TEST_F(PolyTextSheet, VerbShowsTheSheetOncePerLine) {
  SSymPolyline* p = Labelled();
  SComWrap<ISVerbSource> verbs(p->Sym());
  ASSERT_FALSE(verbs.IsNull());
  EXPECT_EQ(verbs->EnumVerbs(), 1);
  EXPECT_EQ(verbs->DoVerb(0, nullptr, nullptr, nullptr), 1);
  ISRepObject* obj = static_cast<ISRepObjectBase*>(p);
  D* sheet = D::Find(obj);
  ASSERT_NE(sheet, nullptr);
  ASSERT_NE(sheet->m_hWnd, nullptr);
  EXPECT_EQ(sheet->GetHelper(), static_cast<SSymLineTextHelper*>(p));
  EXPECT_EQ(sheet->GetLine(), p->Sym());
  EXPECT_EQ(sheet->GetStyle(), D::SheetStyle);
  std::u16string caption(64, u'\0');
  caption.resize(std::size_t(::GetWindowTextW(sheet->m_hWnd, caption.data(), 64)));
  EXPECT_EQ(caption, u"Link Symbol Text");
  EXPECT_EQ(sheet->GetPageText(D::CentrePage), SString(u"centre"));
  EXPECT_EQ(sheet->GetPageText(D::SourcePage), SString(u"source"));
  EXPECT_EQ(sheet->GetPageText(D::DestinationPage), SString());
  EXPECT_EQ(sheet->GetTextPage(D::CentrePage)->GetCaption(), SString(u"Center Text"));
  EXPECT_EQ(sheet->GetTextPage(D::SourcePage)->GetCaption(), SString(u"Source Text"));
  EXPECT_EQ(sheet->GetTextPage(D::DestinationPage)->GetCaption(), SString(u"Destination Text"));
  // The first page shows the centre text; no Apply and no Help.
  EXPECT_EQ(sheet->GetTextPage(D::CentrePage)->GetEditPart().GetText(), SString(u"centre"));
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(sheet->m_hWnd, SPropertySheet::ApplyButtonId)));
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(sheet->m_hWnd, IDHELP)));
  EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(sheet->m_hWnd, IDOK)));
  EXPECT_EQ(sheet->GetShowCount(), 1);
  // Another verb: the same sheet, shown again.
  EXPECT_EQ(verbs->DoVerb(7, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(D::Find(obj), sheet);
  EXPECT_EQ(sheet->GetShowCount(), 2);
  sheet->Close();
  EXPECT_EQ(D::Find(obj), nullptr);
  EXPECT_EQ(D::Find(nullptr), nullptr);
}

TEST_F(PolyTextSheet, OkWritesTheChangedTextsAsOneUndoStep) {
  SSymPolyline* p = Labelled();
  const struct {
    int page;  // -1: none touched
    const char16_t* typed;
    int steps;
  } cases[] = {
      {-1, nullptr, 0},
      {D::SourcePage, u"source", 0},  // shown and left as it was
      {D::DestinationPage, u"to", 1},
      {D::CentrePage, u"middle", 1},
  };
  for (const auto& c : cases) {
    const SString centre = p->GetText(0), source = p->GetText(1), destination = p->GetText(2);
    const int steps = m_session->GetUndoCount();
    D sheet(p, p->Sym());
    ASSERT_TRUE(sheet.Display(nullptr));
    if (c.page >= 0) Type(sheet, c.page, c.typed);
    ASSERT_TRUE(Click(sheet, IDOK));
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(m_session->GetUndoCount(), steps + c.steps) << c.page;
    for (int i = 0; i < 3; ++i) {
      const SString before = i == 0 ? centre : i == 1 ? source : destination;
      EXPECT_EQ(p->GetText(i), i == c.page ? SString(c.typed) : before) << c.page << " text " << i;
    }
    if (!c.steps) continue;
    ASSERT_EQ(m_session->Undo(), S_OK);
    EXPECT_EQ(p->GetText(0), centre);
    EXPECT_EQ(p->GetText(1), source);
    EXPECT_EQ(p->GetText(2), destination);
    ASSERT_EQ(m_session->Redo(), S_OK);
    EXPECT_EQ(p->GetText(c.page), SString(c.typed));
  }
}

// A page the person never opened keeps out of the write: a text changed
// elsewhere meanwhile is not put back to the sheet's old copy.
TEST_F(PolyTextSheet, UnseenPagesWriteNothing) {
  SSymPolyline* p = Labelled();
  D sheet(p, p->Sym());
  ASSERT_TRUE(sheet.Display(nullptr));
  {
    SCurrentContextChange outside(Session(), nullptr);
    p->SetSrcText(SString(u"renamed elsewhere"));
  }
  Type(sheet, D::CentrePage, u"new centre");
  ASSERT_TRUE(Click(sheet, IDOK));
  EXPECT_EQ(p->GetText(0), SString(u"new centre"));
  EXPECT_EQ(p->GetText(1), SString(u"renamed elsewhere"));
}

TEST_F(PolyTextSheet, ALineDeletedWhileOpenIsRefusedWithNothingWritten) {
  SSymPolyline* p = Labelled();
  D sheet(p, p->Sym());
  ASSERT_TRUE(sheet.Display(nullptr));
  Type(sheet, D::CentrePage, u"too late");
  ASSERT_EQ(p->Delete(), S_OK);
  const int steps = m_session->GetUndoCount();
  ASSERT_TRUE(Click(sheet, IDOK));
  EXPECT_EQ(p->GetText(0), SString(u"centre"));
  EXPECT_EQ(m_session->GetUndoCount(), steps);
  ASSERT_EQ(KvMessageBoxLog().size(), 1u);
  EXPECT_NE(KvMessageBoxLog()[0].text.find(u"deleted"), std::u16string::npos);
  EXPECT_NE(sheet.m_hWnd, nullptr);
  ASSERT_TRUE(Click(sheet, IDCANCEL));
  EXPECT_EQ(sheet.m_hWnd, nullptr);
}

}  // namespace
