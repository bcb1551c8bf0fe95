// The gradient dialog and the colour wells it shares with the fill page:
// which shading style and variant each style code opens on, what the
// samples show, the one- and two-colour modes, the wells' cells and their
// further colour through the colour dialog, what OK answers (a mixed
// gradient left undecided is kept, never switched off), and the values it
// refuses before showing anything.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kvcore/scolor.h"
#include "kvcore/scolordlg.h"
#include "kvcore/sdlg.h"
#include "support/temp_files.h"
#include "sym/dialogs/symcolorwell.h"
#include "sym/dialogs/symdlggradient.h"
#include "win/commdlg.h"
#include "win/wingdi.h"

namespace {

using G = SSymDlgGradient;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kGrey = 0x767676;

bool Near(COLORREF a, COLORREF b) {
  auto d = [](int x, int y) { return x > y ? x - y : y - x; };
  return d(GetRValue(a), GetRValue(b)) < 64 && d(GetGValue(a), GetGValue(b)) < 64 && d(GetBValue(a), GetBValue(b)) < 64;
}

class GradientDialog : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override {
    m_dialog.reset();
    Reset();
    EXPECT_EQ(KvWindowCount(), 0u);
  }
  static void Reset() {
    KvDialogReset();
    KvCommDlgReset();
    KvWindowsReset();
  }
  // The dialog, modeless, on these values.
  HWND Open(LONG style, COLORREF start = kWhite, COLORREF end = kGrey) {
    m_dialog = std::make_unique<G>(nullptr, style, start, end);
    EXPECT_TRUE(m_dialog->Create());
    return m_dialog->m_hWnd;
  }
  bool Checked(int id) const { return ::IsDlgButtonChecked(m_dialog->m_hWnd, id) == BST_CHECKED; }
  bool Visible(int id) const { return ::IsWindowVisible(::GetDlgItem(m_dialog->m_hWnd, id)) != FALSE; }
  bool Enabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(m_dialog->m_hWnd, id)) != FALSE; }
  int CheckedRow() const {
    for (int r = 0; r < G::RowCount; ++r)
      if (Checked(G::FirstRowId + r)) return r;
    return -1;
  }
  int SelectedVariant() const {
    for (int i = 0; i < G::VariantCount; ++i)
      if (m_dialog->GetSample(i).IsSelected()) return i;
    return -1;
  }
  std::u16string Text(int id) const {
    HWND h = ::GetDlgItem(m_dialog->m_hWnd, id);
    std::u16string text(std::size_t(::GetWindowTextLengthW(h)) + 1, u'\0');
    text.resize(std::size_t(::GetWindowTextW(h, text.data(), int(text.size()))));
    return text;
  }
  COLORREF Cell(int id, int cell) const {
    COLORREF c = 0;
    ::SendMessageW(::GetDlgItem(m_dialog->m_hWnd, id), CWM_GETCELLCOLOR, reinterpret_cast<WPARAM>(&c),
                   LPARAM(cell | 0x10000));
    return c;
  }
  BOOL Play(const KvControlAction& a) { return KvPlayControlAction(m_dialog->m_hWnd, a); }
  std::unique_ptr<G> m_dialog;
};

// ---- the style table: which radio and which sample each code opens on ----

TEST_F(GradientDialog, EachStyleCodeOpensOnItsShadingStyleAndVariant) {
  struct Case {
    LONG style;
    int row;
    const char16_t* radio;
    int variant;
  } const cases[] = {
      {0x10, 0, u"&Horizontal and vertical", 0},
      {0x13, 0, u"&Horizontal and vertical", 3},
      {0x23, 0, u"&Horizontal and vertical", 7},
      {0x40, 1, u"&Diagonal", 0},
      {0x83, 1, u"&Diagonal", 7},
      {0x100, 2, u"&Center and corner", 0},
      {0x201, 2, u"&Center and corner", 3},
      {0x103, 2, u"&Center and corner", 4},
      {0x102, 2, u"&Center and corner", 5},
      {0x801, 2, u"&Center and corner", 7},
      {0x400, 3, u"3D &button", 0},
      {0x407, 3, u"3D &button", 7},
      {0x1001, 4, u"&Gradient button", 0},
      {0x1008, 4, u"&Gradient button", 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << "style 0x" << c.style);
    int row = -1, variant = -1;
    ASSERT_TRUE(G::FindStyle(c.style, row, variant));
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(variant, c.variant);
    EXPECT_EQ(G::StyleAt(row, variant), c.style);
    Open(c.style);
    EXPECT_EQ(CheckedRow(), c.row);
    EXPECT_EQ(Text(G::FirstRowId + c.row), c.radio);
    EXPECT_EQ(SelectedVariant(), c.variant);
    EXPECT_TRUE(Checked(G::EnableId));
    // The samples show the row's eight codes between the two colours.
    for (int i = 0; i < G::VariantCount; ++i) {
      const SSymGradientSample& s = m_dialog->GetSample(i);
      EXPECT_EQ(s.GetStyle(), G::StyleAt(c.row, i));
      EXPECT_EQ(s.GetStartColor(), kWhite);
      EXPECT_EQ(s.GetEndColor(), kGrey);
      EXPECT_TRUE(s.IsWindowVisible());
    }
    m_dialog->DestroyWindow();
  }
}

TEST_F(GradientDialog, TheTableHasFortyDistinctCodesAndNothingElse) {
  std::vector<LONG> seen;
  for (int r = 0; r < G::RowCount; ++r)
    for (int v = 0; v < G::VariantCount; ++v) {
      const LONG code = G::StyleAt(r, v);
      EXPECT_EQ(std::count(seen.begin(), seen.end(), code), 0) << code;
      seen.push_back(code);
    }
  EXPECT_EQ(seen.size(), 40u);
  int row = 0, variant = 0;
  for (LONG other : {G::NoStyle, G::MixedStyle, LONG(0x1), LONG(0x202), LONG(0x1009), LONG(-1)})
    EXPECT_FALSE(G::FindStyle(other, row, variant)) << other;
  EXPECT_EQ(G::StyleAt(5, 0), G::NoStyle);
  EXPECT_EQ(G::StyleAt(0, 8), G::NoStyle);
  EXPECT_EQ(G::StyleAt(-1, 0), G::NoStyle);
}

// ---- no gradient and a mixed selection ----

TEST_F(GradientDialog, NoGradientAndMixedOpenOnTheFirstStyleWithEverythingOff) {
  struct Case {
    LONG style;
    int enable;
  } const cases[] = {{G::NoStyle, BST_UNCHECKED}, {G::MixedStyle, BST_INDETERMINATE}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    Open(c.style);
    EXPECT_EQ(int(::IsDlgButtonChecked(m_dialog->m_hWnd, G::EnableId)), c.enable);
    EXPECT_EQ(CheckedRow(), 0);
    EXPECT_EQ(SelectedVariant(), 0);
    for (int i = 0; i < G::VariantCount; ++i) EXPECT_FALSE(m_dialog->GetSample(i).IsWindowVisible()) << i;
    for (int r = 0; r < G::RowCount; ++r) EXPECT_FALSE(Enabled(G::FirstRowId + r));
    EXPECT_FALSE(Enabled(G::StartColorId));
    EXPECT_FALSE(Enabled(G::TwoColorsId));
    // Switching it on brings the samples and the choices back.
    EXPECT_TRUE(Play(KvClick(G::EnableId)));
    if (c.style == G::MixedStyle) {
      EXPECT_TRUE(Play(KvClick(G::EnableId)));  // indeterminate, off, on
    }
    EXPECT_TRUE(Checked(G::EnableId));
    EXPECT_TRUE(m_dialog->GetSample(0).IsWindowVisible());
    EXPECT_TRUE(Enabled(G::FirstRowId + 4));
    EXPECT_TRUE(Enabled(G::StartColorId));
    m_dialog->DestroyWindow();
  }
}

// ---- what OK gives the caller ----

TEST_F(GradientDialog, OkAnswersTheChosenStyleOffOrTheMixedGradientsKept) {
  struct Case {
    const char* name;
    LONG style;
    std::vector<KvControlAction> actions;
    bool ok;
    HRESULT hr;
    LONG stored;
  } const cases[] = {
      {"mixed, untouched", G::MixedStyle, {}, true, S_OK, G::MixedStyle},
      {"mixed, box cycled back to indeterminate", G::MixedStyle,
       {KvClick(G::EnableId), KvClick(G::EnableId), KvClick(G::EnableId)}, true, S_OK, G::MixedStyle},
      {"mixed, switched off", G::MixedStyle, {KvClick(G::EnableId)}, true, S_OK, G::NoStyle},
      {"mixed, switched on", G::MixedStyle, {KvClick(G::EnableId), KvClick(G::EnableId)}, true, S_OK, 0x10},
      {"kept as it was", 0x201, {}, true, S_OK, 0x201},
      {"switched off", 0x201, {KvClick(G::EnableId)}, true, S_OK, G::NoStyle},
      {"another shading style", 0x201, {KvClick(G::FirstRowId + 1)}, true, S_OK, 0x40},
      {"another variant", 0x201, {KvClick(G::FirstSampleId + 5)}, true, S_OK, 0x102},
      {"style and variant", 0x201, {KvClick(G::FirstRowId + 3), KvClick(G::FirstSampleId + 7)}, true, S_OK, 0x407},
      {"switched on from none", G::NoStyle,
       {KvClick(G::EnableId), KvClick(G::FirstRowId + 4), KvClick(G::FirstSampleId + 7)}, true, S_OK, 0x1008},
      {"none stays none", G::NoStyle, {}, true, S_OK, G::NoStyle},
      {"cancelled", 0x201, {KvClick(G::FirstRowId + 1)}, false, S_FALSE, 0x201},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KvQueueDialogAnswer({{}, c.ok, c.actions});
    SSymGradientFill fill{c.style, 0x0000FF, 0x00FF00};
    EXPECT_EQ(SSymEditGradient(nullptr, fill), c.hr);
    EXPECT_EQ(fill.style, c.stored);
    EXPECT_EQ(fill.start, COLORREF(0x0000FF));
    EXPECT_EQ(fill.end, COLORREF(0x00FF00));
    ASSERT_FALSE(KvDialogCalls().empty());
    EXPECT_EQ(KvDialogCalls().back().templateId, G::TemplateId);
    EXPECT_EQ(KvDialogCalls().back().caption, SString(u"Gradient Fill Options"));
    for (DWORD outcome : KvDialogCalls().back().actions) EXPECT_EQ(outcome, 0u);
  }
  EXPECT_EQ(KvWindowCount(), 0u);
}

TEST_F(GradientDialog, ASwitchedOffGradientTakesNoClicksOnItsChoices) {
  Open(0x201);
  EXPECT_TRUE(Play(KvClick(G::EnableId)));
  for (int id : {G::FirstRowId + 1, G::FirstSampleId, G::StartColorId}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(Play(id == G::StartColorId ? KvPick(id, 0) : KvClick(id)));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  }
  EXPECT_EQ(SelectedVariant(), 3);
  EXPECT_EQ(m_dialog->GetStartColor(), kWhite);
}

// ---- bad input: refused before anything is shown ----

TEST_F(GradientDialog, RefusesUnknownStylesAndColoursThatAreNoColours) {
  struct Case {
    LONG style;
    COLORREF start, end;
  } const cases[] = {
      {0x1, kWhite, kGrey},      {0x202, kWhite, kGrey},         {0x1009, kWhite, kGrey},
      {-1, kWhite, kGrey},       {0x10FFFF, kWhite, kGrey},      {0x10, 0x01000000, kGrey},
      {0x10, kWhite, 0xFF000000}, {G::MixedStyle, 0xFFFFFFFF, kGrey},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.style << " " << c.start << " " << c.end);
    EXPECT_EQ(G::CheckInput(c.style, c.start, c.end), E_INVALIDARG);
    KvQueueDialogAnswer({{}, true, {}});
    SSymGradientFill fill{c.style, c.start, c.end};
    EXPECT_EQ(SSymEditGradient(nullptr, fill), E_INVALIDARG);
    EXPECT_EQ(fill.style, c.style);
    EXPECT_EQ(fill.start, c.start);
    EXPECT_EQ(fill.end, c.end);
    G dialog(nullptr, c.style, c.start, c.end);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(dialog.Create());
    EXPECT_TRUE(KvDialogCalls().empty());
    KvDialogReset();
  }
  EXPECT_EQ(KvWindowCount(), 0u);
}

// ---- the colours ----

TEST_F(GradientDialog, OneColourModeWhenTheEndIsTheStartInAnotherLuminosity) {
  Open(0x10, RGB(255, 0, 0), RGB(255, 128, 128));
  EXPECT_TRUE(m_dialog->IsOneColorMode());
  EXPECT_FALSE(Checked(G::TwoColorsId));
  for (int id : {G::LuminosityLabelId, G::SliderId, G::DarkId, G::LightId, G::SliderValueId})
    EXPECT_TRUE(Visible(id)) << id;
  EXPECT_FALSE(Visible(G::EndColorId));
  EXPECT_FALSE(Visible(G::EndLabelId));
  EXPECT_TRUE(Enabled(G::SliderId));
  // Luminosity (255 + 128) / 510: 191.5 + 0.5 cut to 192.
  EXPECT_EQ(::SendMessageW(::GetDlgItem(m_dialog->m_hWnd, G::SliderId), TBM_GETPOS, 0, 0), 192);
  EXPECT_EQ(Text(G::SliderValueId), u"192");
  // The slider at its end makes the end colour white.
  EXPECT_TRUE(Play(KvSlide(G::SliderId, 255)));
  EXPECT_EQ(m_dialog->GetEndColor(), kWhite);
  EXPECT_EQ(Text(G::SliderValueId), u"255");
  EXPECT_EQ(m_dialog->GetSample(0).GetEndColor(), kWhite);
  // Two colours: the end colour's well instead of the slider.
  EXPECT_TRUE(Play(KvClick(G::TwoColorsId)));
  EXPECT_FALSE(m_dialog->IsOneColorMode());
  EXPECT_TRUE(Visible(G::EndColorId));
  EXPECT_TRUE(Enabled(G::EndColorId));
  EXPECT_FALSE(Visible(G::SliderId));
}

TEST_F(GradientDialog, DifferentColoursOpenInTwoColourMode) {
  Open(0x10, RGB(255, 0, 0), RGB(0, 0, 255));
  EXPECT_FALSE(m_dialog->IsOneColorMode());
  EXPECT_TRUE(Checked(G::TwoColorsId));
  EXPECT_TRUE(Visible(G::EndColorId));
  EXPECT_FALSE(Visible(G::SliderId));
  // Back to one colour: the end becomes the start's hue at the slider's
  // luminosity (pure blue: 0.5, position 128).
  EXPECT_TRUE(Play(KvClick(G::TwoColorsId)));
  EXPECT_TRUE(m_dialog->IsOneColorMode());
  double h = 0, s = 0, l = 0;
  SColor(m_dialog->GetEndColor()).GetHSLColor(h, s, l);
  EXPECT_DOUBLE_EQ(h, 0.0);
  EXPECT_DOUBLE_EQ(s, 1.0);
  EXPECT_NEAR(l, 128 / 255.0, 0.01);
}

TEST_F(GradientDialog, WellCellsAndTheColourDialogChooseTheColours) {
  Open(0x201, RGB(255, 0, 0), RGB(0, 0, 255));
  const COLORREF cell5 = Cell(G::StartColorId, 5);
  ASSERT_NE(cell5, COLORREF(RGB(255, 0, 0)));
  EXPECT_TRUE(Play(KvPick(G::StartColorId, 5)));
  EXPECT_EQ(m_dialog->GetStartColor(), cell5);
  EXPECT_EQ(::SendMessageW(::GetDlgItem(m_dialog->m_hWnd, G::StartColorId), CWM_GETSEL, 0, 0), 5);
  for (int i = 0; i < G::VariantCount; ++i) EXPECT_EQ(m_dialog->GetSample(i).GetStartColor(), cell5);
  EXPECT_TRUE(KvColorDialogCalls().empty());

  // The further colour: the colour dialog opened on the current colour.
  KvQueueColorDialogAnswer({true, RGB(10, 20, 30)});
  EXPECT_TRUE(Play(KvPick(G::EndColorId, CW_DIALOGCELL)));
  ASSERT_EQ(KvColorDialogCalls().size(), 1u);
  EXPECT_EQ(KvColorDialogCalls()[0].color, COLORREF(RGB(0, 0, 255)));
  EXPECT_EQ(KvColorDialogCalls()[0].owner, m_dialog->m_hWnd);
  EXPECT_EQ(m_dialog->GetEndColor(), COLORREF(RGB(10, 20, 30)));
  EXPECT_EQ(m_dialog->GetSample(3).GetEndColor(), COLORREF(RGB(10, 20, 30)));
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(m_dialog->m_hWnd, G::EndColorId));
  // The slider follows the end colour's luminosity.
  double h = 0, s = 0, l = 0;
  SColor(RGB(10, 20, 30)).GetHSLColor(h, s, l);
  EXPECT_EQ(::SendMessageW(::GetDlgItem(m_dialog->m_hWnd, G::SliderId), TBM_GETPOS, 0, 0), int(l * 255 + 0.5));

  // Cancelled: the colour stays.
  KvQueueColorDialogAnswer({false, RGB(1, 2, 3)});
  EXPECT_TRUE(Play(KvPick(G::EndColorId, CW_DIALOGCELL)));
  EXPECT_EQ(KvColorDialogCalls().size(), 2u);
  EXPECT_EQ(m_dialog->GetEndColor(), COLORREF(RGB(10, 20, 30)));
}

TEST_F(GradientDialog, OkStoresTheColoursChosenInTheWells) {
  KvQueueColorDialogAnswer({true, RGB(1, 2, 3)});
  KvQueueDialogAnswer({{}, true, {KvPick(G::StartColorId, CW_DIALOGCELL), KvPick(G::EndColorId, 0)}});
  SSymGradientFill fill{0x201, RGB(255, 0, 0), RGB(0, 0, 255)};
  EXPECT_EQ(SSymEditGradient(nullptr, fill), S_OK);
  EXPECT_EQ(fill.style, 0x201);
  EXPECT_EQ(fill.start, COLORREF(RGB(1, 2, 3)));
  EXPECT_NE(fill.end, COLORREF(RGB(0, 0, 255)));
}

// ---- the preview ----

TEST_F(GradientDialog, SamplesPaintTheirGradientAndMarkTheChosenOne) {
  Open(0x10, RGB(255, 0, 0), RGB(0, 0, 255));
  // Variant 0 (0x10): top to bottom, red at the top, blue at the bottom;
  // variant 1 (0x11) the other way round.
  struct Case {
    int variant;
    COLORREF top, bottom;
  } const cases[] = {{0, RGB(255, 0, 0), RGB(0, 0, 255)}, {1, RGB(0, 0, 255), RGB(255, 0, 0)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variant);
    HWND h = m_dialog->GetSample(c.variant).m_hWnd;
    ::RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT rc{};
    ::GetClientRect(h, &rc);
    HDC dc = ::GetDC(h);
    const int x = rc.right / 2;
    // Near each end the colour is close to that end's own.
    EXPECT_TRUE(Near(::GetPixel(dc, x, 4), c.top)) << std::hex << ::GetPixel(dc, x, 4);
    EXPECT_TRUE(Near(::GetPixel(dc, x, rc.bottom - 5), c.bottom)) << std::hex << ::GetPixel(dc, x, rc.bottom - 5);
    // The chosen sample is ringed in black; the others are not.
    EXPECT_EQ(::GetPixel(dc, 0, rc.bottom / 2) == RGB(0, 0, 0), c.variant == 0);
    ::ReleaseDC(h, dc);
  }
  // For a person to look at, when pictures are kept.
  const std::filesystem::path keep = kvtest::KeepFolder("dialogs");
  if (!keep.empty()) {
    EXPECT_TRUE(KvSaveWindowTreePng(m_dialog->m_hWnd, (keep / "gradient.png").string().c_str()));
  }
}

// ---- the keyboard among the samples ----

TEST_F(GradientDialog, HomeEndAndArrowsMoveTheChoiceThroughTheGridOfSamples) {
  struct Case {
    WPARAM key;
    int from, to;
  } const cases[] = {
      {VK_HOME, 5, 0}, {VK_END, 3, 7},  {VK_LEFT, 3, 2},  {VK_LEFT, 4, 4}, {VK_RIGHT, 0, 1},
      {VK_RIGHT, 3, 3}, {VK_DOWN, 1, 5}, {VK_DOWN, 5, 5}, {VK_UP, 6, 2},   {VK_UP, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " from " << c.from);
    Open(G::StyleAt(2, c.from));
    ::SetFocus(m_dialog->GetSample(c.from).m_hWnd);
    MSG msg{m_dialog->GetSample(c.from).m_hWnd, WM_KEYDOWN, c.key, 0, 0, {0, 0}};
    EXPECT_TRUE(m_dialog->PreTranslateMessage(&msg));
    EXPECT_EQ(SelectedVariant(), c.to);
    EXPECT_EQ(::GetFocus(), m_dialog->GetSample(c.to).m_hWnd);
    m_dialog->DestroyWindow();
  }
  // Away from the chosen sample the keys are the dialog's as usual.
  Open(0x201);
  ::SetFocus(::GetDlgItem(m_dialog->m_hWnd, G::TwoColorsId));
  MSG home{::GetFocus(), WM_KEYDOWN, VK_HOME, 0, 0, {0, 0}};
  EXPECT_FALSE(m_dialog->PreTranslateMessage(&home));
  EXPECT_EQ(SelectedVariant(), 3);
}

TEST_F(GradientDialog, TabLeadsBetweenTheShadingStylesAndTheChosenSample) {
  Open(0x201);
  HWND sample = m_dialog->GetSample(3).m_hWnd;
  HWND row = ::GetDlgItem(m_dialog->m_hWnd, G::FirstRowId + 2);
  auto tab = [&](bool shift) {
    KvSetKeyState(VK_SHIFT, shift);
    MSG msg{::GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    const BOOL taken = m_dialog->PreTranslateMessage(&msg);
    KvSetKeyState(VK_SHIFT, false);
    return taken;
  };
  ::SetFocus(::GetDlgItem(m_dialog->m_hWnd, G::FirstRowId + 4));
  EXPECT_TRUE(tab(false));
  EXPECT_EQ(::GetFocus(), sample);
  EXPECT_TRUE(tab(true));
  EXPECT_EQ(::GetFocus(), row);  // the checked style, not the one Tab left
  ::SetFocus(::GetDlgItem(m_dialog->m_hWnd, IDOK));
  EXPECT_TRUE(tab(true));
  EXPECT_EQ(::GetFocus(), sample);
  ::SetFocus(::GetDlgItem(m_dialog->m_hWnd, IDOK));
  EXPECT_FALSE(tab(false));
  // Switched off, the samples are hidden and Tab goes its usual way.
  EXPECT_TRUE(Play(KvClick(G::EnableId)));
  ::SetFocus(::GetDlgItem(m_dialog->m_hWnd, IDOK));
  EXPECT_FALSE(tab(true));
}

// ---- the wells' choice on its own ----

TEST_F(GradientDialog, AWellClickOutsideItsCellsChoosesNothing) {
  Open(0x10);
  SColorWellCtrl well;
  COLORREF chosen = 0x123456;
  EXPECT_FALSE(SSymPickWellColor(well, 0, kWhite, nullptr, chosen));  // no window
  // A well as the fill page makes one (control 100).
  ASSERT_TRUE(SCreateColorWell(m_dialog.get(), &well, 0x10830000, 30, 26, 64));
  ASSERT_EQ(::GetDlgItem(m_dialog->m_hWnd, SColorWellId), well.m_hWnd);
  for (int cell : {-1, -3, CW_DEFAULTCELLS, 1000}) EXPECT_FALSE(SSymPickWellColor(well, cell, kWhite, nullptr, chosen));
  EXPECT_EQ(chosen, COLORREF(0x123456));
  EXPECT_TRUE(KvColorDialogCalls().empty());
  // A mark is no colour to open the dialog on: it opens on white.
  KvQueueColorDialogAnswer({false, 0});
  EXPECT_FALSE(SSymPickWellColor(well, CW_DIALOGCELL, 0xFF000000, nullptr, chosen));
  ASSERT_EQ(KvColorDialogCalls().size(), 1u);
  EXPECT_EQ(KvColorDialogCalls()[0].color, kWhite);
  EXPECT_EQ(well.GetSelectedCell(), -1);
  EXPECT_EQ(SSymWellClickedCell(nullptr), -1);
}

}  // namespace
