// The "Symbol Format" sheet as windows: its pages by mask, what a person's
// actions on each page store in the format, OK and Apply as one undoable
// change of the selection that keeps what was not touched, and the bad
// input each page or the sheet refuses with nothing written.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "kvcore/sdlg.h"
#include "support/link_fixture.h"
#include "support/picture_bytes.h"
#include "support/session_state.h"
#include "support/symsolid_fixture.h"
#include "support/temp_files.h"
#include "sym/diagram/symdisppref.h"
#include "sym/diagram/symview.h"
#include "sym/dialogs/symcolorwell.h"
#include "sym/dialogs/symdialog.h"
#include "sym/edit/symselection.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symstd.h"
#include "win/commdlg.h"
#include "win/winmsgbox.h"

namespace {

using D = SSymDialog;
constexpr UINT kCaption = 1066;

class FormatSheet : public LinkFixture {
 protected:
  void SetUp() override {
    LinkFixture::SetUp();
    KvDialogReset();
    KvClearMessageBoxLog();
    KvSetMessageBoxQuiet(true);
  }
  void TearDown() override {
    KvDialogReset();
    KvClearMessageBoxLog();
    LinkFixture::TearDown();
  }
  // Runs a sheet over `format` with `mask`, the person doing `actions` and
  // then OK (or Cancel); answers DoModal's code.
  INT_PTR Run(SSymFormat& format, DWORD mask, std::vector<KvControlAction> actions, bool ok = true,
              SSymSelection* selection = nullptr, SSymAllowOption* allowOut = nullptr) {
    SSymAllowOption allow;
    allow.m_mask = mask;
    SSymAllowOption& a = allowOut ? *allowOut : allow;
    if (allowOut) allowOut->m_mask = mask;
    D sheet(&format, &a, kCaption, selection);
    KvDialogAnswer answer;
    answer.ok = ok;
    answer.actions = std::move(actions);
    KvQueueDialogAnswer(answer);
    const INT_PTR result = sheet.DoModal();
    m_pages = sheet.GetPageCount();
    return result;
  }
  // Every action of the last run was played.
  static bool AllPlayed() {
    for (DWORD a : KvDialogCalls().front().actions)
      if (a != 0) return false;
    return true;
  }
  // Two boxes with their own colours, selected, and a format that shows
  // their colours as mixed.
  SSymSelection* TwoBoxes() {
    m_a = PutBox(SSymRect(0, 3600, 4800, 0));
    m_b = PutBox(SSymRect(9000, 3600, 13800, 0));
    m_a->m_brush.m_color = SSymColor(0x0000FF);
    m_b->m_brush.m_color = SSymColor(0x00FF00);
    m_selection.SetDiagram(Diagram());
    m_selection.Add(m_a->Sym(), 0);
    m_selection.Add(m_b->Sym(), 0);
    m_mixed.m_brush.m_color = SSymColor(0xFF000000);
    m_mixed.m_pen.m_color = SSymColor(0xFF000000);
    m_mixed.m_shadowColor = SSymColor(0xFF000000);
    m_mixed.m_size = SSymSize(4800, 3600);
    return &m_selection;
  }
  SessionState State() { return SessionState::Take(m_diagram, m_seen); }

  int m_pages = 0;
  SSymRectangle* m_a = nullptr;
  SSymRectangle* m_b = nullptr;
  SSymSelection m_selection;
  SSymFormat m_mixed;
  std::set<SRepObject*> m_seen;
};

TEST_F(FormatSheet, ShowsItsPagesByMaskUnderItsCaption) {
  const struct {
    DWORD mask;
    int pages;
    UINT firstTemplate;
  } cases[] = {
      {0x1, 1, 142}, {0x2001, 1, 201}, {0x180, 1, 147}, {0x2080, 1, 200}, {0x1 | 0x8 | 0x10 | 0x80 | 0x200, 5, 147},
      {0x200, 1, 144}, {0x2200, 1, 144},
  };
  for (const auto& c : cases) {
    KvDialogReset();
    SSymFormat format;
    EXPECT_EQ(Run(format, c.mask, {}, false), IDCANCEL) << std::hex << c.mask;
    EXPECT_EQ(m_pages, c.pages) << std::hex << c.mask;
    ASSERT_EQ(KvDialogCalls().size(), 1u);
    EXPECT_EQ(KvDialogCalls()[0].caption, SString(u"Symbol Format"));
    SSymAllowOption allow;
    allow.m_mask = c.mask;
    D sheet(&format, &allow, kCaption, nullptr);
    ASSERT_GT(sheet.GetPageCount(), 0);
    EXPECT_EQ(sheet.GetPage(0)->GetTemplateId(), c.firstTemplate) << std::hex << c.mask;
  }
}

TEST_F(FormatSheet, RefusesMasksWithUnknownBitsAndMissingRecords) {
  SSymFormat format;
  const SSymFormat before = format;
  EXPECT_EQ(Run(format, 0x4001, {}), -1);
  EXPECT_TRUE(KvDialogCalls().empty());  // nothing shown
  SSymAllowOption allow;
  allow.m_mask = 0x1;
  D noFormat(nullptr, &allow, kCaption, nullptr);
  EXPECT_EQ(noFormat.DoModal(), -1);
  D noAllow(&format, nullptr, kCaption, nullptr);
  EXPECT_EQ(noAllow.DoModal(), -1);
  EXPECT_EQ(format.m_pen, before.m_pen);
}

TEST_F(FormatSheet, TextAlignmentPageSetsTheStyleBits) {
  const KvControlAction kAlignTab = KvPick(SPropertySheet::TabControlId, 1);
  const struct {
    LONG style;
    DWORD mask;
    std::vector<KvControlAction> actions;
    LONG expected;
  } cases[] = {
      // With the font page the text alignment page is the second tab.
      {0x211, 0x240, {kAlignTab, KvClick(SSymDlgTextAlign::CenterId)}, 0x222},
      {0x211, 0x240, {kAlignTab, KvClick(SSymDlgTextAlign::HCenterId), KvClick(SSymDlgTextAlign::VCenterId)}, 0x222},
      {0x222, 0x240, {kAlignTab, KvClick(SSymDlgTextAlign::CenterId)}, 0x222},  // unchecking leaves the style
      {0x211, 0x240, {kAlignTab, KvClick(SSymDlgTextAlign::WordWrapId), KvClick(SSymDlgTextAlign::BottomId)}, 0x1241},
      {0x214, 0x200, {}, 0x211},  // without the font page a right-aligned text opens as left-aligned
      {0, 0x200, {}, 0},  // texts aligned differently stay so
  };
  for (const auto& c : cases) {
    KvDialogReset();
    SSymFormat format;
    format.m_textStyle = c.style;
    EXPECT_EQ(Run(format, c.mask, c.actions), IDOK);
    EXPECT_TRUE(AllPlayed());
    EXPECT_EQ(format.m_textStyle, c.expected) << std::hex << c.style;
  }
  // Without the font page the horizontal controls cannot be used.
  SSymFormat format;
  Run(format, 0x200, {KvClick(SSymDlgTextAlign::RightId)});
  EXPECT_EQ(KvDialogCalls().back().actions.back(), DWORD(ERROR_ACCESS_DENIED));
}

TEST_F(FormatSheet, LinePageStoresTheChosenEntries) {
  const struct {
    LONG width, shape;
    std::vector<KvControlAction> actions;
    LONG wantWidth, wantShape, wantStyle;
  } cases[] = {
      {299, 11, {KvPick(SSymDlgLine::WidthId, 1)}, 150, 11, 1},
      {0, 11, {KvPick(SSymDlgLine::CornersId, 2)}, 0, 2, 1},  // rounded drops the perpendicular arrow
      {0, 0, {KvClick(SSymDlgLine::PerpendicularId)}, 0, 8, 1},
      {0, 0, {KvPick(SSymDlgLine::StyleId, 1)}, 0, 0, 7},  // "Invisible"
  };
  for (const auto& c : cases) {
    KvDialogReset();
    SSymFormat format;
    format.m_pen.m_width = c.width;
    format.m_lineStyle = c.shape;
    EXPECT_EQ(Run(format, 0x7 | 0x400, c.actions), IDOK);
    EXPECT_TRUE(AllPlayed());
    EXPECT_EQ(format.m_pen.m_width, c.wantWidth);
    EXPECT_EQ(format.m_lineStyle, c.wantShape);
    EXPECT_EQ(format.m_pen.m_style, c.wantStyle);
  }
  // The centre's inheritance mark, and "Notation".
  SSymFormat format;
  Run(format, 0x7, {KvPick(SSymDlgLine::CentreArrowId, 21), KvPick(SSymDlgLine::SourceArrowId, 0)});
  EXPECT_EQ(format.m_arrows[SSymDlgLine::Centre], 41);
  EXPECT_EQ(format.m_arrows[SSymDlgLine::Source], -1);
  // Without mask bit 0x4 the arrows cannot be chosen.
  Run(format, 0x1, {KvPick(SSymDlgLine::CentreArrowId, 2)});
  EXPECT_EQ(KvDialogCalls().back().actions.back(), DWORD(ERROR_ACCESS_DENIED));
}

TEST_F(FormatSheet, SizePageReadsTypedSizes) {
  SSymFormat format;
  format.m_size = SSymSize(7200, 3600);
  format.m_textFlag = 1;
  EXPECT_EQ(Run(format, 0x180, {KvType(SSymDlgSize::WidthId, u"2")}), IDOK);
  EXPECT_EQ(format.m_size.cx, 14400);
  EXPECT_EQ(format.m_size.cy, 3600);
  EXPECT_EQ(format.m_textFlag, 0);  // a manual size is no longer adjusted to the text
  // Keep size turns the adjustment off; a kept size opens without it.
  format.m_textFlag = 1;
  Run(format, 0x180, {KvClick(SSymDlgSize::KeepSizeId)});
  EXPECT_EQ(format.m_margins[2], 1);
  EXPECT_EQ(format.m_textFlag, 0);
}

TEST_F(FormatSheet, SizePageShowsAndReadsItsUnit) {
  SSymFormat format;
  format.m_size = SSymSize(7200, 3600);
  SSymAllowOption allow;
  allow.m_mask = 0x180;
  D sheet(&format, &allow, kCaption, nullptr);
  static_cast<SSymDlgSize*>(sheet.GetFormatPage(D::Size))->SetUnit(SSymDlgSize::Millimetre);
  KvQueueDialogAnswer({{}, true, {KvType(SSymDlgSize::HeightId, u"50.8")}});
  EXPECT_EQ(sheet.DoModal(), IDOK);
  EXPECT_EQ(format.m_size.cx, 7200);  // shown as 25.4 and read back unchanged
  EXPECT_EQ(format.m_size.cy, 14400);
}

TEST_F(FormatSheet, SizePageRefusesBadSizesAndWritesNothing) {
  for (const char16_t* typed : {u"two", u"-1", u"0", u"99999999", u"1e3", u"2 inches"}) {
    KvDialogReset();
    KvClearMessageBoxLog();
    SSymFormat format;
    format.m_size = SSymSize(7200, 3600);
    SSymAllowOption allow;
    EXPECT_EQ(Run(format, 0x180, {KvType(SSymDlgSize::WidthId, typed), KvClick(SSymDlgSize::KeepAspectId)}, true,
                  nullptr, &allow),
              IDCANCEL)
        << std::u16string(typed).size();
    EXPECT_EQ(format.m_size.cx, 7200);
    EXPECT_EQ(format.m_margins[0], 0);
    ASSERT_EQ(KvMessageBoxLog().size(), 1u);
    EXPECT_FALSE(KvMessageBoxLog()[0].text.empty());
  }
}

TEST_F(FormatSheet, OkWritesOneStepThatKeepsWhatWasNotTouched) {
  SSymSelection* selection = TwoBoxes();
  const int steps = m_session->GetUndoCount();
  const SessionState first = State();
  SSymFormat format = m_mixed;
  EXPECT_EQ(Run(format, 0x1 | 0x8 | 0x10 | 0x80, {KvPick(SPropertySheet::TabControlId, 3), KvClick(SSymDlgShadow::ThreeDId)},
                true, selection),
            IDOK);
  EXPECT_TRUE(AllPlayed());
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1);
  EXPECT_EQ(m_a->GetShadowStyle(), 2);
  EXPECT_EQ(m_b->GetShadowStyle(), 2);
  // The fill colours were mixed and untouched: each box keeps its own.
  EXPECT_EQ(m_a->GetBrush().m_color.GetColor(), 0x0000FFu);
  EXPECT_EQ(m_b->GetBrush().m_color.GetColor(), 0x00FF00u);
  EXPECT_EQ(format.m_shadowStyle, 2);  // the caller's record has the result
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(SessionState::Diff(first, State()), "");
}

TEST_F(FormatSheet, ApplyWritesAndASecondApplyOnlyTheNewChange) {
  SSymSelection* selection = TwoBoxes();
  const int steps = m_session->GetUndoCount();
  SSymFormat format = m_mixed;
  EXPECT_EQ(Run(format, 0x10,
                {KvClick(SSymDlgShadow::StandardId), KvClick(SPropertySheet::ApplyButtonId),
                 KvClick(SSymDlgShadow::GradientId), KvClick(SPropertySheet::ApplyButtonId)},
                false, selection),
            IDCANCEL);
  EXPECT_TRUE(AllPlayed());
  EXPECT_EQ(m_session->GetUndoCount(), steps + 2);
  EXPECT_EQ(m_a->GetShadowStyle(), 3);
  EXPECT_EQ(format.m_shadowStyle, 3);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(m_a->GetShadowStyle(), 1);
}

TEST_F(FormatSheet, ADeletedSelectionIsRefusedWithNothingWritten) {
  SSymSelection* selection = TwoBoxes();
  ASSERT_EQ(m_b->Delete(), S_OK);
  const int steps = m_session->GetUndoCount();
  const SessionState first = State();
  SSymFormat format = m_mixed;
  EXPECT_EQ(Run(format, 0x10, {KvClick(SSymDlgShadow::ThreeDId)}, true, selection), IDCANCEL);
  EXPECT_EQ(m_session->GetUndoCount(), steps);
  EXPECT_EQ(SessionState::Diff(first, State()), "");
  EXPECT_EQ(format.m_shadowStyle, m_mixed.m_shadowStyle);
  ASSERT_EQ(KvMessageBoxLog().size(), 1u);
  EXPECT_NE(KvMessageBoxLog()[0].text.find(u"deleted"), std::u16string::npos);
}

TEST_F(FormatSheet, ShadowPageLeavesAMixedStyleAlone) {
  SSymFormat format;
  format.m_shadowStyle = 65535;
  format.m_shadowColor = SSymColor(0x123456);
  EXPECT_EQ(Run(format, 0x10, {}), IDOK);
  EXPECT_EQ(format.m_shadowStyle, 65535);
  EXPECT_EQ(format.m_shadowColor.GetColor(), 0x123456u);
  Run(format, 0x10, {KvPick(SSymDlgShadow::WellId, 3)});
  EXPECT_NE(format.m_shadowColor.GetColor(), 0x123456u);
  EXPECT_TRUE(SSymIsPlainColor(format.m_shadowColor.GetColor()));
  // An imposed shadow cannot be edited outside template mode.
  SSymAllowOption allow;
  allow.m_category[SSymAllowOption::SHADOW] = SSymAllowOption::AllowApply;
  Run(format, 0x10, {KvClick(SSymDlgShadow::NoneId)}, true, nullptr, &allow);
  EXPECT_EQ(KvDialogCalls().back().actions.back(), DWORD(ERROR_ACCESS_DENIED));
}

TEST_F(FormatSheet, FillPageTakesColourFillAndGradient) {
  SSymFormat format;
  format.m_fill = 2;  // mixed
  format.m_brush.m_color = SSymColor(0xFF000000);
  // The gradient dialog opens from the page and is answered in its turn.
  KvDialogAnswer gradient;
  gradient.ok = true;
  gradient.actions = {KvClick(SSymDlgGradient::EnableId)};
  SSymAllowOption allow;
  allow.m_mask = 0x28;
  D sheet(&format, &allow, kCaption, nullptr);
  // From indeterminate a click unchecks the box, a second one checks it.
  KvQueueDialogAnswer({{},
                       true,
                       {KvClick(SSymDlgColor::FillId), KvClick(SSymDlgColor::FillId),
                        KvClick(SSymDlgColor::GradientButtonId)}});
  KvQueueDialogAnswer(gradient);
  EXPECT_EQ(sheet.DoModal(), IDOK);
  ASSERT_EQ(KvDialogCalls().size(), 2u);
  EXPECT_EQ(KvDialogCalls()[0].templateId, SSymDlgGradient::TemplateId);
  EXPECT_EQ(format.m_fill, 1);  // the indeterminate box checked
  EXPECT_NE(format.m_brush.m_gradientMode, 0);
  EXPECT_EQ(format.m_brush.m_style, SSymBrush::Gradient);
  EXPECT_EQ(format.m_brush.m_color.GetColor(), 0xFFFFFFu);  // the gradient's start
  // A colour cell of the well.
  Run(format, 0x8, {KvPick(SSymDlgColor::WellId, 5)});
  EXPECT_TRUE(SSymIsPlainColor(format.m_brush.m_color.GetColor()));
  EXPECT_NE(format.m_brush.m_color.GetColor(), 0xFFFFFFu);
  // Without bit 0x20 the box is hidden and the fill mode is not the page's.
  Run(format, 0x8, {KvClick(SSymDlgColor::FillId)});
  EXPECT_EQ(KvDialogCalls().back().actions.back(), DWORD(ERROR_ACCESS_DENIED));
}

TEST_F(FormatSheet, FillPageShownOverAMixedSelectionWritesNoBrushKind) {
  SSymSelection* selection = TwoBoxes();
  m_b->m_brush.m_style = SSymBrush::Hatched;
  SSymFormat format = m_mixed;
  format.m_brush.m_gradientMode = SSymDlgGradient::MixedStyle;
  EXPECT_EQ(Run(format, 0x8 | 0x10, {KvPick(SPropertySheet::TabControlId, 1), KvClick(SSymDlgShadow::StandardId),
                 KvPick(SPropertySheet::TabControlId, 0)},
                true, selection),
            IDOK);
  EXPECT_EQ(m_b->GetBrush().m_style, SSymBrush::Hatched);
  EXPECT_EQ(m_a->GetBrush().m_style, SSymBrush::Solid);
  EXPECT_EQ(m_a->GetShadowStyle(), 1);
}

TEST_F(FormatSheet, RefusesAGradientItCannotShow) {
  SSymFormat format;
  format.m_brush.m_gradientMode = 0x7777;  // no such style
  EXPECT_EQ(Run(format, 0x8, {KvClick(SSymDlgColor::GradientButtonId)}), IDOK);
  ASSERT_EQ(KvMessageBoxLog().size(), 1u);
  EXPECT_EQ(KvDialogCalls().size(), 1u);  // the gradient dialog was not shown
  EXPECT_EQ(format.m_brush.m_gradientMode, 0x7777);
}

TEST_F(FormatSheet, TemplateModeBoxesEditTheCategoryBits) {
  SSymFormat format;
  SSymAllowOption allow;
  Run(format, 0x2000 | 0x1, {KvClick(SSymXemFrmtOption::ApplyToId)}, true, nullptr, &allow);
  EXPECT_TRUE(AllPlayed());
  EXPECT_EQ(allow.m_category[SSymAllowOption::LINE], SSymAllowOption::AllowModify);
  // With apply unchecked, allow-modify is disabled.
  allow.InitAllFlags();
  Run(format, 0x2000 | 0x1, {KvClick(SSymXemFrmtOption::ApplyToId), KvClick(SSymXemFrmtOption::AllowModifyId)}, true,
      nullptr, &allow);
  EXPECT_EQ(KvDialogCalls().back().actions.back(), DWORD(ERROR_ACCESS_DENIED));
}

TEST_F(FormatSheet, PagesShareOnePreviewDiagram) {
  SSymFormat format;
  // What the selection does not share is drawn plainly: a solid line, no arrowheads.
  format.m_pen.m_style = 0;
  for (LONG& arrow : format.m_arrows) arrow = 255;
  SSymAllowOption allow;
  allow.m_mask = 0x1 | 0x8 | 0x10;
  D sheet(&format, &allow, kCaption, nullptr);
  KvQueueDialogAnswer({{}, true, {KvPick(SPropertySheet::TabControlId, 1), KvPick(SPropertySheet::TabControlId, 2)}});
  EXPECT_EQ(sheet.DoModal(), IDOK);
  ISSymDiagram* shared = sheet.GetFormatPage(D::Line)->GetPreviewDiagram();
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(sheet.GetFormatPage(D::Fill)->GetPreviewDiagram(), shared);
  EXPECT_EQ(sheet.GetFormatPage(D::Shadow)->GetPreviewDiagram(), shared);
  EXPECT_EQ(shared->GetCount(), 2);  // the sample line and box
  SComOut<ISRepClassCol> symbols;
  ASSERT_EQ(shared->GetSymbols(&symbols), S_OK);
  int lines = 0;
  for (LONG i = 0; i < symbols->GetCount(); ++i) {
    SComOut<ISRepObject> object;
    ASSERT_EQ(symbols->Item(i, &object), S_OK);
    SComWrap<ISSymPen> pen(object.Get());
    ASSERT_FALSE(pen.IsNull());
    EXPECT_EQ(pen->GetPen().m_style, SSymPen::Solid);
    SComWrap<ISSymPolyline> line(object.Get());
    if (line.IsNull()) continue;
    ++lines;
    for (int end : {2, 4, 8}) EXPECT_EQ(line->GetArrow(end), 24) << end;
  }
  EXPECT_EQ(lines, 1);
}

TEST_F(FormatSheet, SizePageTakesItsUnitFromTheDiagramsPreferences) {
  SSymSelection* selection = TwoBoxes();
  auto* prefs = new SSymDispPref(m_diagram->RepObject());  // the diagram owns it
  m_diagram->SetDispPrefPtr(prefs);
  const int ppi = SSymDlgSize::ScreenPixelsPerInch(0);
  const struct {
    LONG unit;
    int shown;  // the unit the page uses
    std::u16string typed;  // a height of 2 inches
  } cases[] = {
      {0, SSymDlgSize::Inch, u"2"},
      {1, SSymDlgSize::Millimetre, u"50.8"},
      {2, SSymDlgSize::Pixel, std::u16string(SString::FromInt(2 * ppi).str())},
      {7, SSymDlgSize::Inch, u"2"},  // a damaged preference is not guessed at
      {-1, SSymDlgSize::Inch, u"2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.unit);
    KvDialogReset();
    prefs->m_nGraphUnit = c.unit;
    SSymFormat format = m_mixed;
    SSymAllowOption allow;
    allow.m_mask = 0x180;
    D sheet(&format, &allow, kCaption, selection);
    EXPECT_EQ(sheet.GetDiagram(), Diagram());
    KvQueueDialogAnswer({{}, true, {KvType(SSymDlgSize::HeightId, c.typed)}});
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(static_cast<SSymDlgSize*>(sheet.GetFormatPage(D::Size))->GetUnit(), c.shown);
    EXPECT_EQ(format.m_size.cy, 14400);
    EXPECT_EQ(format.m_size.cx, 4800);
  }
}

TEST_F(FormatSheet, HoldsTheDiagramItIsGivenUnlessAViewIsItsParent) {
  SSymFormat format;
  SSymAllowOption allow;
  allow.m_mask = 0x80;
  D loose(&format, &allow, kCaption, nullptr);
  EXPECT_EQ(loose.GetDiagram(), nullptr);
  loose.SetDiagram(Diagram());
  EXPECT_EQ(loose.GetDiagram(), Diagram());
  loose.SetDiagram(nullptr);
  EXPECT_EQ(loose.GetDiagram(), nullptr);
  // A view's sheet formats for the view's diagram, whatever it is given.
  TDiagram* other = Make<TDiagram>();
  auto* view = new SSymView();  // counted: it goes with its last reference
  view->AddRef();
  view->SetDiagram(other);
  {
    D onView(&format, &allow, kCaption, nullptr, view);
    EXPECT_EQ(onView.GetDiagram(), other);
    onView.SetDiagram(Diagram());
    EXPECT_EQ(onView.GetDiagram(), other);
  }
  view->SetDiagram(nullptr);
  view->Release();
}

TEST_F(FormatSheet, PreviewShowsTheFillAsTheOneSymbolShowsItInItsComposites) {
  SSymDispPref prefs;
  prefs.m_nDarkenPercent = 20;
  SSymAttachDispPref(Diagram(), &prefs);
  const DWORD blue = 0xC08040;
  TSolidComp* outer = Place<TSolidComp>(DiagramOwner());
  outer->m_brush.m_color = blue;
  TSolid* child = Make<TSolid>();
  outer->Add(child->Sym());
  child->m_brush.m_color = blue;
  SSymColor darker(blue);
  ASSERT_EQ(GetDarkenColor(child->Sym(), darker), 1);
  ASSERT_NE(darker.GetColor(), blue);
  const struct {
    bool both;  // the composite selected too
    DWORD shown;
  } cases[] = {{false, darker.GetColor()}, {true, blue}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.both);
    KvDialogReset();
    SSymSelection selection;
    selection.SetDiagram(Diagram());
    selection.Add(child->Sym(), 0);
    if (c.both) selection.Add(outer->Sym(), 0);
    SSymFormat format;
    format.m_brush.m_color = SSymColor(blue);
    SSymAllowOption allow;
    allow.m_mask = 0x8;
    D sheet(&format, &allow, kCaption, &selection);
    KvQueueDialogAnswer({{}, false, {}});
    sheet.DoModal();
    SSymDlgBase* page = sheet.GetFormatPage(D::Fill);
    EXPECT_EQ(page->ShownColor(format.m_brush), c.shown);
    ISSymDiagram* preview = page->GetPreviewDiagram();
    ASSERT_NE(preview, nullptr);
    SComOut<ISRepClassCol> symbols;
    ASSERT_EQ(preview->GetSymbols(&symbols), S_OK);
    int filled = 0;
    for (LONG i = 0; i < symbols->GetCount(); ++i) {
      SComOut<ISRepObject> object;
      ASSERT_EQ(symbols->Item(i, &object), S_OK);
      SComWrap<ISSymBrush> brush(object.Get());
      if (brush.IsNull()) continue;
      ++filled;
      EXPECT_EQ(brush->GetBrush().m_color.GetColor(), c.shown);
    }
    EXPECT_EQ(filled, 1);
    // The shown colour is the preview's only: the format keeps its own.
    EXPECT_EQ(format.m_brush.m_color.GetColor(), blue);
  }
  // A symbol deleted while the sheet is open shows in no composite.
  SSymSelection selection;
  selection.SetDiagram(Diagram());
  selection.Add(child->Sym(), 0);
  SSymFormat format;
  format.m_brush.m_color = SSymColor(blue);
  SSymAllowOption allow;
  allow.m_mask = 0x8;
  D sheet(&format, &allow, kCaption, &selection);
  ASSERT_EQ(child->Delete(), S_OK);
  EXPECT_EQ(sheet.GetFormatPage(D::Fill)->ShownColor(format.m_brush), blue);
  SSymAttachDispPref(Diagram(), nullptr);
}

TEST(SSymView, APreviewKeepsItsFramingUnderTheWheel) {
  for (bool preview : {false, true}) {
    auto* view = new SSymView();
    view->AddRef();
    if (preview) view->SetState(view->GetState() | SSymView::StatePreview);
    const double zoom = view->GetCanvas().GetZoom();
    view->OnMouseWheel(MK_CONTROL, 120, POINT{0, 0});
    EXPECT_EQ(view->GetCanvas().GetZoom() == zoom, preview);
    view->Release();
  }
}

// The fill page's picture: a picture file chosen in the picker becomes the
// brush's picture, shown centred; a file that holds no picture is refused
// and the brush keeps what it had.
TEST_F(FormatSheet, FillPagePicksAPictureOrRefusesAFileWithNone) {
  kvtest::TempDir dir("fillpicture");
  const SString png = dir.Name("fill.png");
  const SString text = dir.Name("notes.png");
  ASSERT_TRUE(kvtest::WriteBytes(png.ToUtf8(), kvtest::PngBytes(8, 8, 0xFF336699u)));
  ASSERT_TRUE(kvtest::WriteBytes(text.ToUtf8(), {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}));
  const struct {
    const char* name;
    KvFileDialogAnswer answer;
    std::vector<KvControlAction> after;
    bool picture;
    LONG mode, kind;
    size_t refusals;
  } cases[] = {
      {"picked", {true, png.str()}, {}, true, 8, SSymBrush::Picture, 0},
      {"picked, then none", {true, png.str()}, {KvPick(SSymDlgColor::ModeId, 0)}, false, 12, SSymBrush::Solid, 0},
      {"picked, then tiled", {true, png.str()}, {KvPick(SSymDlgColor::ModeId, 4)}, true, 9, SSymBrush::Picture, 0},
      {"no picture in the file", {true, text.str()}, {}, false, 12, SSymBrush::Solid, 1},
      {"cancelled", {false, {}}, {}, false, 12, SSymBrush::Solid, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KvDialogReset();
    KvClearMessageBoxLog();
    SSymFormat format;
    KvQueueFileDialogAnswer(c.answer);
    std::vector<KvControlAction> actions = {KvClick(SSymDlgColor::PictureButtonId)};
    actions.insert(actions.end(), c.after.begin(), c.after.end());
    EXPECT_EQ(Run(format, 0x28, actions), IDOK);
    EXPECT_TRUE(AllPlayed());
    EXPECT_EQ(format.m_brush.GetPicture() != nullptr, c.picture);
    EXPECT_EQ(format.m_brush.m_bitmapMode, c.mode);
    EXPECT_EQ(format.m_brush.m_style, c.kind);
    EXPECT_EQ(KvMessageBoxLog().size(), c.refusals);
  }
  // A fill the template imposes cannot take a picture.
  SSymFormat format;
  SSymAllowOption allow;
  allow.m_category[SSymAllowOption::FILL] = SSymAllowOption::AllowApply;
  Run(format, 0x28, {KvClick(SSymDlgColor::PictureButtonId)}, true, nullptr, &allow);
  EXPECT_EQ(KvDialogCalls().back().actions.back(), DWORD(ERROR_ACCESS_DENIED));
}

// Display preferences that give the format sheet a page of their own.
class TExtraPagePrefs : public SSymDispPref {
 public:
  using SSymDispPref::SSymDispPref;
  SPropertyPage* CreateFormatPage(ISSymbol* symbol, SSymDialog* sheet) override {
    m_asked.push_back(symbol);
    EXPECT_NE(sheet, nullptr);
    return new SPropertyPage(SSymDlgShadow::TemplateId);
  }
  std::vector<ISSymbol*> m_asked;
};

TEST_F(FormatSheet, OneSelectedSymbolsPreferencesMayAddAPageLast) {
  SSymSelection* selection = TwoBoxes();
  auto* prefs = new TExtraPagePrefs(m_diagram->RepObject());  // the diagram owns it
  m_diagram->SetDispPrefPtr(prefs);
  SSymAllowOption allow;
  allow.m_mask = 0x1 | 0x10;
  SSymFormatEx flagged(m_mixed);
  flagged.m_flags = SSymFormatEx::FlagPen | SSymFormatEx::MarkLine;
  {
    D two(&flagged, &allow, kCaption, selection);
    EXPECT_EQ(two.GetPageCount(), 2);  // asked only for one symbol
    EXPECT_EQ(two.GetExtraPage(), nullptr);
  }
  EXPECT_TRUE(prefs->m_asked.empty());
  SSymSelection one;
  one.SetDiagram(Diagram());
  one.Add(m_a->Sym(), 0);
  D sheet(&flagged, &allow, kCaption, &one);
  ASSERT_EQ(prefs->m_asked.size(), 1u);
  EXPECT_EQ(prefs->m_asked[0], m_a->Sym());
  ASSERT_EQ(sheet.GetPageCount(), 3);
  EXPECT_NE(sheet.GetExtraPage(), nullptr);
  EXPECT_EQ(sheet.GetPage(2), sheet.GetExtraPage());
  EXPECT_EQ(sheet.GetWorkingFormat().m_flags, flagged.m_flags);
  // A mask the sheet refuses adds no page of any kind.
  allow.m_mask = 0x4001;
  D refused(&flagged, &allow, kCaption, &one);
  EXPECT_EQ(refused.GetPageCount(), 0);
  EXPECT_EQ(prefs->m_asked.size(), 1u);
}

}  // namespace
