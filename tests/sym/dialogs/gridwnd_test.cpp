// The grid window of a sub grid's font table: its window class, the objects
// its class procedure makes, the font cell editor through the scripted font
// dialog, the font text forms, row validation, the refusal of mass changes
// and the property page marked modified.
#include <gtest/gtest.h>

#include <string>

#include "kvcore/sexception.h"
#include "kvcore/spropertypage.h"
#include "sym/dialogs/symdlgfrmtobjt.h"
#include "sym/dialogs/symgridwnd.h"
#include "sym/subobjects/symsubgrid.h"
#include "support/textgrid_fixture.h"
#include "win/commdlg.h"
#include "win/winuser.h"

namespace {

class GridWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvWindowsReset();
    KvCommDlgReset();
  }
  void TearDown() override {
    KvWindowsReset();
    KvCommDlgReset();
    SWnd::DeleteTempMap();
    EXPECT_EQ(SSymGridWnd::GetHookedCount(), 0);
  }
  // Cancel when no font is given; OK with the font (and colour) otherwise.
  static void Answer(bool ok, const LOGFONTW* font = nullptr, const COLORREF* color = nullptr) {
    KvFontDialogAnswer a;
    a.ok = ok;
    if (font) a.font = *font;
    if (color) a.color = *color;
    KvQueueFontDialogAnswer(a);
  }
  static SString Face(const LOGFONTW& lf) {
    int n = 0;
    while (n < LF_FACESIZE && lf.lfFaceName[n]) ++n;
    return SString(lf.lfFaceName, n);
  }
};

// ---- the font text forms ---------------------------------------------------------------

TEST_F(GridWndTest, FontTextsRoundTripAndBadTextsAreRefused) {
  SSymFonts font;
  font.m_font = SSymFont(SString(u"Arial"), 10, SSymFont::Bold | SSymFont::Underline);
  font.m_color = RGB(1, 2, 255);
  EXPECT_EQ(SSymDlgFrmtObjt::FontToString(font), SString(u"Arial,10,BU,1,2,255"));
  font.m_font = SSymFont(SString(u"Courier New"), 0, SSymFont::Normal);
  EXPECT_EQ(SSymDlgFrmtObjt::FontToString(font), SString(u"Courier New,8,N,1,2,255"));

  SSymFonts read;
  ASSERT_TRUE(SSymDlgFrmtObjt::StringToFont(SString(u" Times , 12 , BIS , 0 , 128 , 7 "), &read));
  EXPECT_EQ(read.m_font.GetFaceName(), SString(u"Times"));
  EXPECT_EQ(read.m_font.GetSize(), 12);
  EXPECT_EQ(read.m_font.GetStyle(), SSymFont::Bold | SSymFont::Italic | SSymFont::StrikeOut);
  EXPECT_EQ(read.m_color.GetColor(), RGB(0, 128, 7));
  ASSERT_TRUE(SSymDlgFrmtObjt::StringToFont(SString(u"Arial,9,N,0,0,0"), &read));
  EXPECT_EQ(read.m_font.GetStyle(), SSymFont::Normal);

  const char16_t* bad[] = {
      u"",
      u"Arial",
      u"Arial,10,B,0,0",             // five parts
      u"Arial,10,B,0,0,0,0",         // seven parts
      u",10,B,0,0,0",                // no face
      u"Arial,ten,B,0,0,0",          // size not a number
      u"Arial,10,X,0,0,0",           // unknown style letter
      u"Arial,10,,0,0,0",            // no style
      u"Arial,10,B,256,0,0",         // a component above 255
      u"Arial,10,B,0,-1,0",          // a negative component
      u"Arial,10,B,0,0,blue",        // a component not a number
      u"A face name of thirty-two chars!,10,B,0,0,0",
  };
  for (const char16_t* text : bad) {
    SCOPED_TRACE(SString(text).ToUtf8());
    SSymFonts untouched;
    untouched.m_color = RGB(9, 9, 9);
    EXPECT_FALSE(SSymDlgFrmtObjt::StringToFont(SString(text), &untouched));
    EXPECT_EQ(untouched.m_color.GetColor(), RGB(9, 9, 9));
  }
  EXPECT_FALSE(SSymDlgFrmtObjt::StringToFont(SString(u"Arial,10,B,0,0,0"), nullptr));
}

// ---- the window class and the objects of its windows ----------------------------------------

TEST_F(GridWndTest, TheClassIsRegisteredOnce) {
  const std::size_t before = KvClassCount();
  LPCWSTR name = SSymGridWnd::RegisterClassW();
  EXPECT_EQ(SString(name), SString(u"SSymGridWnd"));
  EXPECT_EQ(SString(SSymGridWnd::RegisterClassW()), SString(u"SSymGridWnd"));
  EXPECT_EQ(KvClassCount(), before + 1);
  WNDCLASSW wc{};
  ASSERT_TRUE(::GetClassInfoW(nullptr, u"SSymGridWnd", &wc));
  EXPECT_EQ(wc.style, UINT(CS_GLOBALCLASS | CS_DBLCLKS));
  EXPECT_EQ(wc.lpfnWndProc, &SSymGridWnd::WndProcHook);
  EXPECT_EQ(wc.cbClsExtra, 0);
  EXPECT_EQ(wc.cbWndExtra, 0);
  EXPECT_EQ(wc.hbrBackground, nullptr);
  SSymGridWnd::UnregisterClassW();
  EXPECT_EQ(KvClassCount(), before);
}

TEST_F(GridWndTest, AClassThatCannotBeRegisteredThrows) {
  KvSetClassLimit(KvClassCount());  // the class table is full
  try {
    SSymGridWnd::RegisterClassW();
    FAIL() << "no exception";
  } catch (const SException& e) {
    EXPECT_EQ(e.GetMessage(), SString(u"Unable to register class"));
    EXPECT_NE(e.GetFunction().ToUtf8().find("RegisterClassW"), std::string::npos);
  }
  WNDCLASSW wc{};
  EXPECT_FALSE(::GetClassInfoW(nullptr, u"SSymGridWnd", &wc));
}

TEST_F(GridWndTest, WindowsOfTheClassGetAnObjectThatEndsWithThem) {
  SSymGridWnd::RegisterClassW();
  SWnd dialog;
  ASSERT_TRUE(dialog.CreateEx(0, nullptr, u"dialog", 0, RECT{0, 0, 300, 300}, nullptr, 0));
  HWND grid =
      ::CreateWindowExW(0, u"SSymGridWnd", u"", WS_CHILD, 0, 0, 200, 100, dialog.m_hWnd, nullptr, nullptr, nullptr);
  ASSERT_NE(grid, nullptr);
  auto* wnd = dynamic_cast<SSymGridWnd*>(SWnd::FromHandlePermanent(grid));
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(wnd->GetSymGrid(), nullptr);
  EXPECT_TRUE(wnd->IsKindOf(&SLibGridWndTB::__clsinf));
  EXPECT_EQ(SSymGridWnd::GetHookedCount(), 1);
  // The object now takes the window's messages: a click reaches it.
  TFillTextGrid(*wnd, 1, 2);
  ::SendMessageW(grid, WM_LBUTTONDOWN, 0, MAKELPARAM(5, SGridWndTB::ToolbarHeight + 2));
  EXPECT_EQ(wnd->GetEditRow(), 0u);
  dialog.DestroyWindow();  // the grid and its object go with it
  EXPECT_EQ(SSymGridWnd::GetHookedCount(), 0);

  // An object the caller made and bound itself is left to the caller.
  SSymGridWnd own;
  ASSERT_TRUE(own.CreateEx(0, nullptr, nullptr, 0, RECT{0, 0, 10, 10}, nullptr, 0));
  own.DestroyWindow();
  EXPECT_EQ(own.m_hWnd, nullptr);
  EXPECT_EQ(SSymGridWnd::GetHookedCount(), 0);

  SObject* made = SSymGridWnd::CreateObject();
  ASSERT_NE(dynamic_cast<SSymGridWnd*>(made), nullptr);
  delete made;
}

// ---- the font cell editor -------------------------------------------------------------------

TEST_F(GridWndTest, AFontTextOpensTheDialogAndComesBackTheSame) {
  SString text(u"Arial,10,BIU,0,0,255");
  Answer(true);  // OK on the font as opened
  ASSERT_EQ(SSymGridWnd::EditFont(text, nullptr), 1);
  EXPECT_EQ(text, SString(u"Arial,10,BIU,0,0,255"));
  ASSERT_EQ(KvFontDialogCalls().size(), 1u);
  const KvFontDialogCall& call = KvFontDialogCalls()[0];
  EXPECT_EQ(call.flags, DWORD(0x141));
  EXPECT_EQ(Face(call.font), SString(u"Arial"));
  EXPECT_EQ(call.font.lfHeight, -13);  // 10 points on the 96-dpi screen
  EXPECT_EQ(call.font.lfWeight, 700);
  EXPECT_TRUE(call.font.lfItalic);
  EXPECT_TRUE(call.font.lfUnderline);
  EXPECT_FALSE(call.font.lfStrikeOut);
  EXPECT_EQ(call.color, COLORREF(0xFF0000));

  // Cancel leaves the text as it was.
  Answer(false);
  EXPECT_EQ(SSymGridWnd::EditFont(text, nullptr), 0);
  EXPECT_EQ(text, SString(u"Arial,10,BIU,0,0,255"));
}

TEST_F(GridWndTest, TheDialogOpensOnTheCellsFontOrOnTheDefaultForADamagedText) {
  const struct {
    const char16_t* text;
    LONG weight;
    bool italic, underline, strike;
    COLORREF color;
  } cases[] = {
      {u"Arial,10,BS,0,0,0", 700, false, false, true, 0},
      {u"Arial,10,NU,0,0,0", 400, false, true, false, 0},
      {u"Arial,10,U,0,0,0", 400, false, true, false, 0},  // the older form of a regular underlined font
      {u"Arial,10,BIUS,1,2,3", 700, true, true, true, RGB(1, 2, 3)},
      // Damaged texts: the default entry (regular, black), nothing guessed.
      {u"Arial,10,IB,9,9,9", 400, false, false, false, 0},  // a weight letter after the effects' place
      {u"Arial,10,N,256,0,0", 400, false, false, false, 0},
      {u"Arial,10,BU,0,511,7", 400, false, false, false, 0},
      {u"Arial", 400, false, false, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SString(c.text).ToUtf8());
    KvCommDlgReset();
    Answer(false);
    SString text(c.text);
    EXPECT_EQ(SSymGridWnd::EditFont(text, nullptr), 0);
    ASSERT_EQ(KvFontDialogCalls().size(), 1u);
    const KvFontDialogCall& call = KvFontDialogCalls()[0];
    EXPECT_EQ(call.font.lfWeight, c.weight);
    EXPECT_EQ(bool(call.font.lfItalic), c.italic);
    EXPECT_EQ(bool(call.font.lfUnderline), c.underline);
    EXPECT_EQ(bool(call.font.lfStrikeOut), c.strike);
    EXPECT_EQ(call.color, c.color);
  }
}

TEST_F(GridWndTest, ChosenWeightsFromSemiBoldUpAreWrittenBold) {
  const struct {
    LONG weight;
    bool italic;
    const char16_t* text;
  } cases[] = {
      {400, false, u"Verdana,12,N,10,20,30"}, {400, true, u"Verdana,12,I,10,20,30"},
      {600, false, u"Verdana,12,B,10,20,30"}, {700, true, u"Verdana,12,BI,10,20,30"},
      {800, false, u"Verdana,12,B,10,20,30"}, {900, false, u"Verdana,12,B,10,20,30"},
      {500, false, u"Verdana,12,N,10,20,30"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.weight);
    LOGFONTW lf{};
    const SString face(u"Verdana");
    for (int i = 0; i < face.GetLength(); ++i) lf.lfFaceName[i] = face.GetAt(i);
    lf.lfHeight = -16;  // 12 points
    lf.lfWeight = c.weight;
    lf.lfItalic = c.italic;
    const COLORREF color = RGB(10, 20, 30);
    Answer(true, &lf, &color);
    SString text(u"Arial,8,N,0,0,0");
    ASSERT_EQ(SSymGridWnd::EditFont(text, nullptr), 1);
    EXPECT_EQ(text, SString(c.text));
  }
}

// ---- the grid window in a property page ----------------------------------------------------

class GridInPageTest : public GridWndTest {
 protected:
  void SetUp() override {
    GridWndTest::SetUp();
    ASSERT_TRUE(page.CreateEx(0, nullptr, nullptr, 0, RECT{0, 0, 400, 300}, nullptr, 0));
    ASSERT_TRUE(frame.CreateEx(0, nullptr, nullptr, WS_CHILD, RECT{0, 0, 400, 300}, &page, 1));
    ASSERT_TRUE(grid.CreateEx(0, nullptr, nullptr, WS_CHILD, RECT{0, 0, 400, 300}, &frame, 2));
    TFillTextGrid(grid, 2, 3);
  }
  void TearDown() override {
    page.DestroyWindow();
    GridWndTest::TearDown();
  }
  void Click(unsigned long row, unsigned long col) {
    const int x = int(col) * SGridWndTB::DefaultColWidth + 5;
    const int y = SGridWndTB::ToolbarHeight + int(row) * SGridWndTB::RowHeight + 5;
    grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  }
  SPropertyPage page;
  SWnd frame;
  SSymGridWnd grid;
};

TEST_F(GridInPageTest, OnlyTheFontColumnOpensTheDialog) {
  grid.SetCellValue(0, 1, u"Arial,10,N,0,0,0", 0);
  EXPECT_EQ(grid.OnGridRowColClick(0, 0, 0), 0);
  EXPECT_EQ(grid.OnGridRowColClick(0, 2, 0), 0);
  EXPECT_TRUE(KvFontDialogCalls().empty());
  EXPECT_EQ(grid.OnGridRowColClick(5, 1, 0), 0);  // no such row
  EXPECT_TRUE(KvFontDialogCalls().empty());

  Answer(false);
  EXPECT_EQ(grid.OnGridRowColClick(0, 1, 0), 0);
  ASSERT_EQ(KvFontDialogCalls().size(), 1u);
  EXPECT_EQ(KvFontDialogCalls()[0].owner, grid.m_hWnd);

  // A chosen font is stored, shown, and the page holds a change.
  const std::size_t marks = page.GetModifiedCalls().size();
  const COLORREF red = RGB(255, 0, 0);
  Answer(true, nullptr, &red);
  Click(0, 1);
  SString value;
  ASSERT_EQ(grid.GetCellValue(0, 1, value), S_OK);
  EXPECT_EQ(value, SString(u"Arial,10,N,255,0,0"));
  EXPECT_EQ(grid.GetGridCellText(0, 1), value);
  EXPECT_TRUE(page.IsModified());
  EXPECT_EQ(page.GetModifiedCalls().size(), marks + 1);
}

TEST_F(GridInPageTest, AnEmptyFontCellStartsFromTheSubGridsFont) {
  auto* sub = new SSymSubGrid(SSymRect(0, 1000, 1000, 0));
  sub->AddRef();
  SSymFonts own;
  own.m_font = SSymFont(SString(u"Tahoma"), 11, SSymFont::Italic | SSymFont::StrikeOut);
  own.m_color = RGB(0, 128, 0);
  sub->_SetFonts(own);
  grid.SetSymGrid(sub);
  EXPECT_EQ(grid.GetSymGrid(), sub);
  Answer(true);
  EXPECT_EQ(grid.OnGridRowColClick(1, 1, 0), 1);
  ASSERT_EQ(KvFontDialogCalls().size(), 1u);
  const KvFontDialogCall& call = KvFontDialogCalls()[0];
  EXPECT_EQ(Face(call.font), SString(u"Tahoma"));
  EXPECT_TRUE(call.font.lfItalic);
  EXPECT_TRUE(call.font.lfStrikeOut);
  EXPECT_EQ(call.color, RGB(0, 128, 0));
  SString value;
  ASSERT_EQ(grid.GetCellValue(1, 1, value), S_OK);
  EXPECT_EQ(value, SString(u"Tahoma,11,IS,0,128,0"));
  grid.SetSymGrid(nullptr);
  sub->Release();
}

TEST_F(GridInPageTest, EveryCellChangeMarksThePage) {
  EXPECT_EQ(grid.SetCellValue(1, 0, u"x", 0), S_OK);
  EXPECT_TRUE(page.IsModified());
  EXPECT_EQ(page.GetModifiedCalls(), std::vector<BOOL>{TRUE});
  // A refused value still tells the page, as the base answered for it.
  EXPECT_TRUE(FAILED(grid.SetCellValue(9, 0, u"x", 0)));
  EXPECT_EQ(page.GetModifiedCalls().size(), 2u);

  // A grid whose grandparent is no page marks nothing.
  SSymGridWnd loose;
  ASSERT_TRUE(loose.CreateEx(0, nullptr, nullptr, WS_CHILD, RECT{0, 0, 10, 10}, &page, 3));
  TFillTextGrid(loose, 1, 1);
  EXPECT_EQ(loose.SetCellValue(0, 0, u"y", 0), S_OK);
  EXPECT_EQ(page.GetModifiedCalls().size(), 2u);
  loose.DestroyWindow();
}

TEST_F(GridInPageTest, AnUnreadableFontKeepsTheRowInEditWithAWarning) {
  unsigned long row = 0, col = 1;
  EXPECT_EQ(grid.OnValidateRow(row, col), 1);  // empty
  grid.SetCellValue(0, 1, u"Arial,10,B,0,0,0", 0);
  EXPECT_EQ(grid.OnValidateRow(row, col), 1);
  EXPECT_TRUE(grid.GetWarning().IsEmpty());

  grid.SetCellValue(0, 1, u"Arial,big,B,0,0,0", 0);
  col = 0;
  EXPECT_EQ(grid.OnValidateRow(row, col), 1);  // another column is not checked
  col = 1;
  EXPECT_EQ(grid.OnValidateRow(row, col), 0);
  EXPECT_EQ(grid.GetWarning(), SString(u"The edit font is not valid !"));
  EXPECT_EQ(grid.GetWarningRow(), -1);
  EXPECT_EQ(grid.GetWarningCol(), -1);

  // Through the window: the row with the bad font is not left.
  Answer(false);
  Click(0, 1);
  Click(1, 0);
  EXPECT_EQ(grid.GetEditRow(), 0u);
  grid.SetCellValue(0, 1, u"Arial,12,B,0,0,0", 0);
  Click(1, 0);
  EXPECT_EQ(grid.GetEditRow(), 1u);
}

TEST_F(GridInPageTest, TheFontColumnRefusesMassChanges) {
  int final = 0;
  EXPECT_EQ(grid.CanMassChange(1, 0, &final), 0);
  EXPECT_EQ(final, 1);
  EXPECT_EQ(grid.CanMassChange(1, 0, nullptr), 0);
  EXPECT_EQ(grid.MassChange(1, u"Arial,10,N,0,0,0"), 0);
  SString value(u"x");
  grid.GetCellValue(1, 1, value);
  EXPECT_TRUE(value.IsEmpty());
  // Other columns are the base's to answer.
  EXPECT_EQ(grid.CanMassChange(2, 0, &final), 1);
  EXPECT_EQ(final, 0);
  EXPECT_EQ(grid.MassChange(2, u"v"), 2);
}

}  // namespace
