// The text forms of the "Sub-Objects" page: font texts read and written,
// the older form of a regular font with effects, damaged texts refused with
// the entry untouched, and the sections of the sub-object format text found
// only where a line starts.
#include <gtest/gtest.h>

#include "sym/dialogs/symdlgfrmtobjt.h"

namespace {

SSymFonts Entry(const char16_t* face, LONG size, LONG style, COLORREF color) {
  SSymFonts f;
  f.m_font = SSymFont(SString(face), size, style);
  f.m_color = color;
  return f;
}

TEST(FontTextTest, TextsAreReadIntoFaceSizeStyleAndColour) {
  const struct {
    const char16_t* text;
    const char16_t* face;
    LONG size, style;
    COLORREF color;
  } cases[] = {
      {u"Arial,0,N,0,0,0", u"Arial", 8, 1, 0},  // a size below 1 reads as 8
      {u"Arial,-4,N,0,0,0", u"Arial", 8, 1, 0},
      {u"Arial,10,BIU,255,0,0", u"Arial", 10, 14, 0x0000FF},
      {u"Arial,10,B,0,0,0", u"Arial", 10, 2, 0},
      {u"Arial,10,I,0,0,0", u"Arial", 10, 4, 0},
      {u"Arial,10,BI,0,0,0", u"Arial", 10, 6, 0},
      {u"Arial,10,NU,0,0,0", u"Arial", 10, 9, 0},
      {u"Arial,10,NSU,0,0,0", u"Arial", 10, 25, 0},
      {u"Arial,10,ISU,0,0,0", u"Arial", 10, 28, 0},
      // The older form of a regular font with effects: no weight letter.
      {u"Arial,10,U,0,0,0", u"Arial", 10, 9, 0},
      {u"Arial,10,SU,0,0,0", u"Arial", 10, 25, 0},
      {u" Times , 12 , BIS , 0 , 128 , 7 ", u"Times", 12, 22, RGB(0, 128, 7)},
      {u"Courier New,9,N,1,2,3", u"Courier New", 9, 1, RGB(1, 2, 3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SString(c.text).ToUtf8());
    SSymFonts read;
    ASSERT_EQ(SSymDlgFrmtObjt::StringToFont(SString(c.text), &read), &read);
    EXPECT_EQ(read.m_font.GetFaceName(), SString(c.face));
    EXPECT_EQ(read.m_font.GetSize(), c.size);
    EXPECT_EQ(read.m_font.GetStyle(), c.style);
    EXPECT_EQ(read.m_color.GetColor(), c.color);
  }
}

TEST(FontTextTest, DamagedTextsAreRefusedAndTheEntryIsUntouched) {
  // Beside the damaged texts the grid window's tests refuse: style letters
  // out of their order and parts left empty.
  const char16_t* bad[] = {
      u"Arial,,B,0,0,0",             // no size
      u"Arial,10,BX,0,0,0",          // an effect letter that is none
      u"Arial,10,IB,0,0,0",          // bold after italic
      u"Arial,10,UB,0,0,0",          // a weight letter after an effect
      u"Arial,10,NN,0,0,0",
      u"Arial,10,B,0,0,",            // a component missing
  };
  for (const char16_t* text : bad) {
    SCOPED_TRACE(SString(text).ToUtf8());
    SSymFonts untouched = Entry(u"Tahoma", 11, SSymFont::Italic, RGB(9, 9, 9));
    const SSymFonts before = untouched;
    EXPECT_EQ(SSymDlgFrmtObjt::StringToFont(SString(text), &untouched), nullptr);
    EXPECT_EQ(untouched, before);
  }
  EXPECT_EQ(SSymDlgFrmtObjt::StringToFont(SString(u"Arial,10,B,0,0,0"), nullptr), nullptr);
  // The default text stands for no font of its own.
  SSymFonts entry;
  EXPECT_EQ(SSymDlgFrmtObjt::StringToFont(SString(u"Arial,8,N,0,0,0"), &entry, SString(u"Arial,8,N,0,0,0")),
            nullptr);
  EXPECT_EQ(SSymDlgFrmtObjt::StringToFont(SString(u"Arial,9,N,0,0,0"), &entry, SString(u"Arial,8,N,0,0,0")),
            &entry);
}

TEST(FontTextTest, FontsAreWrittenWithTheWeightLetterFirstAndReadBack) {
  const struct {
    SSymFonts font;
    const char16_t* text;
    LONG readStyle;
  } cases[] = {
      {Entry(u"Arial", 10, 6, 0x0000FF), u"Arial,10,BI,255,0,0", 6},
      {Entry(u"Arial", 10, 14, 0x0000FF), u"Arial,10,BIU,255,0,0", 14},
      {Entry(u"Arial", 10, 1, 0), u"Arial,10,N,0,0,0", 1},
      // A regular underlined or struck-out font keeps its weight letter, so
      // the effect is read back.
      {Entry(u"Arial", 10, 9, 0), u"Arial,10,NU,0,0,0", 9},
      {Entry(u"Arial", 10, 17, 0), u"Arial,10,NS,0,0,0", 17},
      {Entry(u"Arial", 10, 25, 0), u"Arial,10,NUS,0,0,0", 25},
      {Entry(u"Arial", 10, 20, 0), u"Arial,10,IS,0,0,0", 20},
      {Entry(u"Arial", 10, 0, 0), u"Arial,10,N,0,0,0", 1},  // no common style: regular
      {Entry(u"Courier New", 0, 2, RGB(1, 2, 255)), u"Courier New,8,B,1,2,255", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SString(c.text).ToUtf8());
    EXPECT_EQ(SSymDlgFrmtObjt::FontToString(c.font), SString(c.text));
    SSymFonts back;
    ASSERT_NE(SSymDlgFrmtObjt::StringToFont(SString(c.text), &back), nullptr);
    EXPECT_EQ(back.m_font.GetStyle(), c.readStyle);
    EXPECT_EQ(back.m_color.GetColor(), c.font.m_color.GetColor());
  }
}

// ---- sections of the sub-object format text -----------------------------------------------------

TEST(FontSectionTest, ASectionIsReadUpToTheNextHeader) {
  const SString text(
      u"Attributes 2\n"
      u"{11111111-2222-3333-4444-555555555555} Arial,10,B,0,0,0\n"
      u"{AAAAAAAA-2222-3333-4444-555555555555}\n"
      u"###Code# \t ,Arial,9,N,255,0,0\r\n"
      u"{11111111-2222-3333-4444-555555555555} Arial,12,N,0,0,0\n"
      u"Operations 1\n"
      u"{BBBBBBBB-2222-3333-4444-555555555555} Arial,8,I,0,0,0\n");
  SSymDlgFrmtObjt::FontMap map;
  EXPECT_EQ(SSymDlgFrmtObjt::FindAllFont(text, SString(u"Attributes"), map), 2);
  ASSERT_EQ(map.GetCount(), 3);
  // A later key replaces the value of an equal one.
  EXPECT_EQ(*map.Find(SString(u"{11111111-2222-3333-4444-555555555555}")), SString(u"Arial,12,N,0,0,0"));
  EXPECT_EQ(*map.Find(SString(u"{AAAAAAAA-2222-3333-4444-555555555555}")), SString());
  EXPECT_EQ(*map.Find(SString(u"#Code#")), SString(u",Arial,9,N,255,0,0"));

  SSymDlgFrmtObjt::FontMap ops;
  EXPECT_EQ(SSymDlgFrmtObjt::FindAllFont(text, SString(u"Operations"), ops), 1);
  EXPECT_EQ(ops.GetCount(), 1);
}

TEST(FontSectionTest, ACollectionNameCountsOnlyAtTheStartOfALine) {
  SSymDlgFrmtObjt::FontMap map;
  // No section at all.
  EXPECT_EQ(SSymDlgFrmtObjt::FindAllFont(SString(u"Operations 0\n"), SString(u"Attributes"), map), -1);
  EXPECT_EQ(map.GetCount(), 0);
  // The tail of another collection's name.
  const SString tail(u"ClassAttributes 1\n#a# Arial,10,B,0,0,0\nAttributes 2\n#b#\n");
  EXPECT_EQ(SSymDlgFrmtObjt::FindAllFont(tail, SString(u"Attributes"), map), 2);
  ASSERT_EQ(map.GetCount(), 1);
  EXPECT_NE(map.Find(SString(u"#b#")), nullptr);
  // Inside an entry's value (a face that holds the name).
  map.RemoveAll();
  const SString inside(u"Operations 2\n#x# Attributes 1,10,N,0,0,0\n");
  EXPECT_EQ(SSymDlgFrmtObjt::FindAllFont(inside, SString(u"Attributes"), map), -1);
  EXPECT_EQ(map.GetCount(), 0);
}

TEST(FontSectionTest, DamagedSectionsAreRefusedAndNothingIsStored) {
  const char16_t* bad[] = {
      u"Attributes \n#a#\n",          // no mode
      u"Attributes x\n#a#\n",         // a mode that is no number
      u"Attributes 3\n#a#\n",         // a mode beyond 2
      u"Attributes -1\n#a#\n",
      u"Attributes 2\n{1234 Arial,10,B,0,0,0\n",  // a key without its "}"
      u"Attributes 2\n#a Arial,10,B,0,0,0\n",     // a name without its closing "#"
      u"Attributes 2\n#a#\n##\n",
  };
  for (const char16_t* text : bad) {
    SCOPED_TRACE(SString(text).ToUtf8());
    SSymDlgFrmtObjt::FontMap map;
    map.SetAt(SString(u"#kept#"), SString(u"Arial,10,B,0,0,0"));
    LONG mode = 7;
    EXPECT_EQ(SSymDlgFrmtObjt::ReadSection(SString(text), SString(u"Attributes"), map, &mode), E_INVALIDARG);
    EXPECT_EQ(mode, 7);
    EXPECT_EQ(map.GetCount(), 1);
    EXPECT_EQ(SSymDlgFrmtObjt::FindAllFont(SString(text), SString(u"Attributes"), map), -1);
    EXPECT_EQ(map.GetCount(), 1);
  }
}

}  // namespace

// ---- the rows of the page's tabs ---------------------------------------------------------------

namespace {

using Tab = SSymDlgFrmtObjt::Tab;
using Row = SSymDlgFrmtObjt::Row;
const SString kDefault(u"Arial,8,N,0,0,0");

Tab Attributes() {
  Tab t;
  t.publicName = SString(u"Attributes");
  t.defaultFont = kDefault;
  t.rows = {{SString(u"{A}"), SString(u"id"), SString(), true},
            {SString(u"#code#"), SString(u"code"), SString(), true},
            {SString(), SString(u"loose"), SString(), true}};
  return t;
}

TEST(FrmtObjtTabs, RowsFollowTheSectionOfTheirCollection) {
  const struct {
    const char16_t* text;
    const char16_t* fonts[3];
    bool displayed[3];
  } cases[] = {
      {u"", {u"", u"", u""}, {true, true, true}},
      {u"Attributes 0\n{A} Arial,10,B,0,0,0\n", {u"Arial,10,B,0,0,0", u"", u""}, {true, true, true}},
      {u"Attributes 1\n", {u"", u"", u""}, {false, false, false}},
      {u"Attributes 2\n{A}\n", {u"", u"", u""}, {true, false, false}},
      {u"Attributes 0\n#code# ,,Arial,9,I,0,0,0\n", {u"", u"Arial,9,I,0,0,0", u""}, {true, false, true}},
      // The default font counts as none.
      {u"Attributes 2\n{A} Arial,8,N,0,0,0\n", {u"", u"", u""}, {true, false, false}},
      // A damaged section: as without one.
      {u"Attributes 7\n{A} Arial,10,B,0,0,0\n", {u"", u"", u""}, {true, true, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SString(c.text).ToUtf8());
    Tab t = Attributes();
    const HRESULT hr = SSymDlgFrmtObjt::FillTab(t, SString(c.text));
    EXPECT_EQ(hr, SString(c.text).Find(SString(u" 7")) >= 0 ? E_INVALIDARG : S_OK);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(t.rows[std::size_t(i)].font, SString(c.fonts[i])) << i;
      EXPECT_EQ(t.rows[std::size_t(i)].displayed, c.displayed[i]) << i;
    }
  }
}

TEST(FrmtObjtTabs, TheTextHoldsOneSectionPerTabAndReadsBackTheSame) {
  const struct {
    std::vector<Row> rows;
    const char16_t* text;
  } cases[] = {
      {{}, u"Attributes 0\n"},
      {{{SString(u"{A}"), SString(), SString(), true}, {SString(u"#code#"), SString(), SString(), true}},
       u"Attributes 0\n"},
      {{{SString(u"{A}"), SString(), SString(u"Arial,10,BU,0,0,0"), true},
        {SString(u"#code#"), SString(), SString(u"Arial,9,N,0,0,0"), false}},
       u"Attributes 2\n{A} Arial,10,BU,0,0,0\n#code# ,Arial,9,N,0,0,0\n"},
      {{{SString(u"{A}"), SString(), SString(), false}, {SString(u"#code#"), SString(), SString(u"Arial,9,N,0,0,0"), false}},
       u"Attributes 1\n#code# ,Arial,9,N,0,0,0\n"},
      {{{SString(u"{A}"), SString(), SString(), true}, {SString(u"#code#"), SString(), SString(), false}},
       u"Attributes 2\n{A}\n"},
      // A damaged font or the default one is written as none; a row without
      // a key is left out.
      {{{SString(u"{A}"), SString(), SString(u"Arial,10,BX,0,0,0"), true},
        {SString(u"#code#"), SString(), kDefault, false},
        {SString(), SString(), SString(u"Arial,10,B,0,0,0"), true}},
       u"Attributes 2\n{A}\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SString(c.text).ToUtf8());
    Tab t = Attributes();
    t.rows = c.rows;
    Tab ops;
    ops.publicName = SString(u"Operations");
    ops.defaultFont = kDefault;
    ops.rows = {{SString(u"{O}"), SString(), SString(), false}};
    const SString text = SSymDlgFrmtObjt::BuildText({t, ops});
    EXPECT_EQ(text, SString(c.text) + "Operations 1\n");
    // Read back, the rows are what was written (damaged fonts as none).
    Tab back = t;
    ASSERT_EQ(SSymDlgFrmtObjt::FillTab(back, text), S_OK);
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
      if (t.rows[i].key.IsEmpty()) continue;
      SSymFonts probe;
      const bool sound = SSymDlgFrmtObjt::StringToFont(t.rows[i].font, &probe, kDefault) != nullptr;
      EXPECT_EQ(back.rows[i].font, sound ? t.rows[i].font : SString()) << i;
      EXPECT_EQ(back.rows[i].displayed, t.rows[i].displayed) << i;
    }
  }
}

}  // namespace
