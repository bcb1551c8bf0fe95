// The "Font" page of the format sheet over several font entries: the common
// font shown, fields the entries do not share left as each entry has them
// unless the person sets them, edits kept when the selection moves, the
// undetermined effect boxes, and typed faces and sizes that are refused with
// nothing written.
#include <gtest/gtest.h>

#include <vector>

#include "sym/dialogs/symdialog.h"
#include "sym/dialogs/symdlgfont.h"
#include "win/winmsgbox.h"

namespace {

using D = SSymDialog;
using F = SSymFontPropertyPage;

SSymFonts Entry(const char16_t* name, const char16_t* face, LONG size, LONG style, COLORREF color) {
  SSymFonts f;
  f.m_name = SString(name);
  f.m_font = SSymFont(SString(face), size, style);
  f.m_color = color;
  return f;
}

class FontPage : public ::testing::Test {
 protected:
  void SetUp() override {
    KvDialogReset();
    KvClearMessageBoxLog();
    KvSetMessageBoxQuiet(true);
    // Three text parts that differ in every field.
    m_format.m_fonts.Add(Entry(u"Name", u"Arial", 10, SSymFont::Bold, RGB(255, 0, 0)));
    m_format.m_fonts.Add(Entry(u"Comment", u"Tahoma", 8, SSymFont::Italic | SSymFont::Underline, RGB(0, 0, 255)));
    m_format.m_fonts.Add(Entry(u"Stereotype", u"Arial", 12, SSymFont::Normal, RGB(255, 0, 0)));
  }
  void TearDown() override {
    KvDialogReset();
    KvClearMessageBoxLog();
  }
  // Runs the sheet with the font page over m_format; `look` sees the page
  // after the person's actions, before OK or Cancel.
  INT_PTR Run(std::vector<KvControlAction> actions, bool ok = true, DWORD mask = D::MaskFont) {
    SSymAllowOption allow;
    allow.m_mask = mask;
    D sheet(&m_format, &allow, D::CaptionId, nullptr);
    KvDialogAnswer answer;
    answer.ok = ok;
    answer.actions = std::move(actions);
    KvQueueDialogAnswer(answer);
    return sheet.DoModal();
  }
  const SSymFonts& At(int i) const { return m_format.m_fonts.GetAt(i); }
  SSymFormat m_format;
};

TEST(SSymFontChoice, CommonFieldsOfSeveralEntriesAndStoringOnlyThose) {
  SSymLstFonts fonts;
  fonts.Add(Entry(u"a", u"Arial", 10, SSymFont::Bold | SSymFont::Underline, RGB(1, 2, 3)));
  fonts.Add(Entry(u"b", u"Arial", 12, SSymFont::Normal | SSymFont::Underline, RGB(1, 2, 3)));
  const SSymFontChoice c = SSymFontChoice::Common(fonts, {0, 1});
  EXPECT_EQ(c.face, SString(u"Arial"));
  EXPECT_FALSE(c.size);
  EXPECT_FALSE(c.bold);
  EXPECT_EQ(c.italic, false);
  EXPECT_EQ(c.underline, true);
  EXPECT_EQ(c.strikeOut, false);
  EXPECT_EQ(c.color, RGB(1, 2, 3));
  EXPECT_FALSE(SSymFontChoice::Common(fonts, {}).face);
  EXPECT_FALSE(SSymFontChoice::Common(fonts, {7}).face);  // no such entry

  // Storing what is common changes nothing; a set field changes all.
  SSymFontChoice edit = c;
  edit.strikeOut = true;
  edit.StoreInto(fonts, {0, 1, 9});
  EXPECT_EQ(fonts.GetAt(0).m_font.GetStyle(), SSymFont::Bold | SSymFont::Underline | SSymFont::StrikeOut);
  EXPECT_EQ(fonts.GetAt(1).m_font.GetStyle(), SSymFont::Normal | SSymFont::Underline | SSymFont::StrikeOut);
  EXPECT_EQ(fonts.GetAt(0).m_font.GetSize(), 10);
  EXPECT_EQ(fonts.GetAt(1).m_font.GetSize(), 12);
  // Bold set on a regular entry drops its regular bit; cleared, it comes back.
  edit.bold = true;
  edit.StoreInto(fonts, {1});
  EXPECT_EQ(fonts.GetAt(1).m_font.GetStyle(), SSymFont::Bold | SSymFont::Underline | SSymFont::StrikeOut);
  edit.bold = false;
  edit.StoreInto(fonts, {1});
  EXPECT_EQ(fonts.GetAt(1).m_font.GetStyle(), SSymFont::Normal | SSymFont::Underline | SSymFont::StrikeOut);
}

TEST_F(FontPage, SeveralEntriesUntouchedKeepEachTheirOwnFont) {
  SSymLstFonts before = m_format.m_fonts;
  EXPECT_EQ(Run({KvSelect(F::ListId, 1, true), KvSelect(F::ListId, 2, true)}), IDOK);
  ASSERT_EQ(m_format.m_fonts.GetCount(), 3);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(At(i), before.GetAt(i));
  }
  EXPECT_TRUE(KvMessageBoxLog().empty());
}

TEST_F(FontPage, AnEditedFieldGoesIntoEverySelectedEntryAndNothingElse) {
  EXPECT_EQ(Run({KvSelect(F::ListId, 1, true), KvType(F::SizeId, u"14"), KvClick(F::StrikeOutId)}), IDOK);
  for (int i : {0, 1}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(At(i).m_font.GetSize(), 14);
    EXPECT_TRUE(At(i).m_font.GetStyle() & SSymFont::StrikeOut);
  }
  EXPECT_EQ(At(0).m_font.GetFaceName(), SString(u"Arial"));
  EXPECT_EQ(At(1).m_font.GetFaceName(), SString(u"Tahoma"));
  EXPECT_EQ(At(0).m_color.GetColor(), RGB(255, 0, 0));
  EXPECT_EQ(At(1).m_color.GetColor(), RGB(0, 0, 255));
  EXPECT_EQ(At(0).m_font.GetStyle(), SSymFont::Bold | SSymFont::StrikeOut);
  EXPECT_EQ(At(1).m_font.GetStyle(), SSymFont::Italic | SSymFont::Underline | SSymFont::StrikeOut);
  // The entry not selected is as it was.
  EXPECT_EQ(At(2).m_font.GetSize(), 12);
  EXPECT_EQ(At(2).m_font.GetStyle(), SSymFont::Normal);
}

TEST_F(FontPage, AnUndeterminedEffectTakesTheFirstClickAsChecked) {
  // Entries 0 and 1 differ in underline: the box is undetermined, one click
  // underlines both.
  EXPECT_EQ(Run({KvSelect(F::ListId, 1, true), KvClick(F::UnderlineId)}), IDOK);
  EXPECT_TRUE(At(0).m_font.GetStyle() & SSymFont::Underline);
  EXPECT_TRUE(At(1).m_font.GetStyle() & SSymFont::Underline);
  // Now both are underlined: the box is a plain one, and a click takes the
  // underline away from both.
  EXPECT_EQ(Run({KvSelect(F::ListId, 1, true), KvClick(F::UnderlineId)}), IDOK);
  EXPECT_FALSE(At(0).m_font.GetStyle() & SSymFont::Underline);
  EXPECT_FALSE(At(1).m_font.GetStyle() & SSymFont::Underline);
}

TEST_F(FontPage, EditsAreKeptWhenTheSelectionMoves) {
  // The first entry's face, then the second entry alone in a style of its own.
  EXPECT_EQ(Run({KvType(F::FaceId, u"Verdana"), KvSelect(F::ListId, 1, true), KvSelect(F::ListId, 0, false),
                 KvPick(F::StyleId, F::StyleBoldItalic)}),
            IDOK);
  EXPECT_EQ(At(0).m_font.GetFaceName(), SString(u"Verdana"));
  EXPECT_EQ(At(0).m_font.GetStyle(), SSymFont::Bold);
  EXPECT_EQ(At(1).m_font.GetFaceName(), SString(u"Tahoma"));
  EXPECT_EQ(At(1).m_font.GetStyle(), SSymFont::Bold | SSymFont::Italic | SSymFont::Underline);
  // The list never loses its last selected line.
  EXPECT_EQ(Run({KvSelect(F::ListId, 0, false), KvType(F::SizeId, u"20")}), IDOK);
  EXPECT_EQ(At(0).m_font.GetSize(), 20);
}

TEST_F(FontPage, DifferentFacesShowTheMultipleSelectionSample) {
  const struct {
    std::vector<KvControlAction> actions;
    const char16_t* sample;
    std::vector<int> selected;
  } cases[] = {
      {{}, u"AaBbYyZz", {0}},
      {{KvSelect(F::ListId, 1, true)}, u"Multiple selection", {0, 1}},
      {{KvSelect(F::ListId, 2, true)}, u"AaBbYyZz", {0, 2}},  // both Arial
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SString(c.sample).ToUtf8());
    SSymAllowOption allow;
    allow.m_mask = D::MaskFont;
    D sheet(&m_format, &allow, D::CaptionId, nullptr);
    auto* page = static_cast<F*>(sheet.GetFormatPage(D::Font));
    ASSERT_NE(page, nullptr);
    KvDialogAnswer answer;
    answer.actions = c.actions;
    KvQueueDialogAnswer(answer);
    sheet.DoModal();
    EXPECT_EQ(page->GetSampleText(), SString(c.sample));
    EXPECT_EQ(page->GetSelectedEntries(), c.selected);
  }
}

TEST_F(FontPage, TypedFacesAndSizesThatCannotBeAFontAreRefused) {
  const SSymLstFonts before = m_format.m_fonts;
  const struct {
    int id;
    const char16_t* text;
  } cases[] = {
      {F::SizeId, u"big"}, {F::SizeId, u"0"}, {F::SizeId, u"-3"}, {F::SizeId, u"12pt"}, {F::SizeId, u"99999"},
      {F::FaceId, u"A face name of thirty-two chars!"}, {F::FaceId, u"Arial,Bold"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SString(c.text).ToUtf8());
    KvDialogReset();
    KvClearMessageBoxLog();
    EXPECT_EQ(Run({KvSelect(F::ListId, 1, true), KvType(c.id, c.text), KvClick(F::StrikeOutId)}), IDCANCEL);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(At(i), before.GetAt(i));
    ASSERT_FALSE(KvMessageBoxLog().empty());
  }
}

TEST_F(FontPage, AnImposedFontCategoryCannotBeEdited) {
  SSymAllowOption allow;
  allow.m_mask = D::MaskFont;
  allow.m_category[SSymAllowOption::FONT] = SSymAllowOption::AllowApply;
  D sheet(&m_format, &allow, D::CaptionId, nullptr);
  KvDialogAnswer answer;
  answer.ok = true;
  answer.actions = {KvType(F::SizeId, u"30")};
  KvQueueDialogAnswer(answer);
  sheet.DoModal();
  EXPECT_EQ(At(0).m_font.GetSize(), 10);
}

}  // namespace
