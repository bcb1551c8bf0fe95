// Fonts: face resolution, metrics and text extents measured against the
// font file's own units.
#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <string>

#include "support/temp_files.h"
#include "win/gdisink.h"
#include "win/wingdi.h"

namespace {

TEST(GdiFonts, ArialResolvesToLiberationSans) {
  EXPECT_EQ(KvResolveFontFamily(u"Arial"), "Liberation Sans");
  EXPECT_EQ(KvResolveFontFamily(u"Courier New"), "Liberation Mono");
}

// Opens the font file fontconfig gives for a family and hands its face to
// `use`; false when the file does not open.
template <class Use>
bool WithFontFace(const char* family, Use&& use) {
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* match = FcFontMatch(nullptr, pat, &res);
  FcChar8* file = nullptr;
  FcPatternGetString(match, FC_FILE, 0, &file);
  FT_Library lib;
  FT_Init_FreeType(&lib);
  FT_Face face;
  const bool opened = FT_New_Face(lib, reinterpret_cast<const char*>(file), 0, &face) == 0;
  if (opened) {
    use(face);
    FT_Done_Face(face);
  }
  FT_Done_FreeType(lib);
  FcPatternDestroy(match);
  FcPatternDestroy(pat);
  return opened;
}

// Advance of each character at `ppem` pixels per em, rounded to whole pixels
// as hinted metrics are, read straight from the font file.
long FileWidth(const char* family, const std::u16string& text, int ppem) {
  long total = 0;
  EXPECT_TRUE(WithFontFace(family, [&](FT_Face face) {
    for (char16_t c : text) {
      FT_Load_Char(face, c, FT_LOAD_NO_SCALE);
      total += std::lround(double(face->glyph->metrics.horiAdvance) * ppem / face->units_per_EM);
    }
  }));
  return total;
}

// Glyph index of a character in the font fontconfig gives for a family.
unsigned GlyphIndex(const char* family, char16_t c) {
  unsigned index = 0;
  WithFontFace(family, [&](FT_Face face) { index = FT_Get_Char_Index(face, c); });
  return index;
}

struct ScreenFont {
  HDC dc = GetDC(nullptr);
  HFONT font;
  HGDIOBJ old;
  explicit ScreenFont(int points, LONG weight = FW_NORMAL) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = weight;
    std::u16string face = u"Arial";
    face.copy(lf.lfFaceName, face.size());
    font = CreateFontIndirectW(&lf);
    old = SelectObject(dc, font);
  }
  ~ScreenFont() {
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
  }
};

TEST(GdiFonts, HelloWorldInArial8PointHasArialWidths) {
  ScreenFont f(8);
  SIZE sz{};
  ASSERT_TRUE(GetTextExtentPoint32W(f.dc, u"Hello World", 11, &sz));
  EXPECT_EQ(sz.cx, FileWidth("Arial", u"Hello World", 11));
  // 11-pixel Arial: H 8, e 6, l 2, l 2, o 6, space 3, W 10, o 6, r 4, l 2, d 6.
  EXPECT_EQ(sz.cx, 55);
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(f.dc, &tm));
  EXPECT_EQ(sz.cy, tm.tmHeight);
  EXPECT_EQ(tm.tmAscent, 10);
  EXPECT_EQ(tm.tmDescent, 3);
  EXPECT_EQ(tm.tmInternalLeading, 2);
  // Without kerning, "AV" is the sum of its letters.
  SIZE a, v, av;
  GetTextExtentPoint32W(f.dc, u"A", 1, &a);
  GetTextExtentPoint32W(f.dc, u"V", 1, &v);
  GetTextExtentPoint32W(f.dc, u"AV", 2, &av);
  EXPECT_EQ(av.cx, a.cx + v.cx);
  // Without ligatures, "fi" too.
  SIZE fi, f1, i1;
  GetTextExtentPoint32W(f.dc, u"fi", 2, &fi);
  GetTextExtentPoint32W(f.dc, u"f", 1, &f1);
  GetTextExtentPoint32W(f.dc, u"i", 1, &i1);
  EXPECT_EQ(fi.cx, f1.cx + i1.cx);
  INT widths[3];
  ASSERT_TRUE(GetCharWidth32W(f.dc, 'H', 'J', widths));
  SIZE h;
  GetTextExtentPoint32W(f.dc, u"H", 1, &h);
  EXPECT_EQ(widths[0], h.cx);
}

TEST(GdiFonts, MetricsScaleWithMappingAndStayIntegers) {
  ScreenFont f(10, FW_BOLD);
  SIZE px;
  GetTextExtentPoint32W(f.dc, u"Diagram", 7, &px);
  // Same text on a 600 dpi PDF page: widths follow the resolution.
  kvtest::TempDir dir("gdi_text");
  std::string path = (dir.path / "gdi_text_measure.pdf").string();
  HDC pdf = KvCreatePdfDC(path.c_str(), 612, 792);
  ASSERT_NE(pdf, nullptr);
  LOGFONTW lf{};
  GetObject(f.font, sizeof lf, &lf);
  lf.lfHeight = -MulDiv(10, 600, 72);
  HFONT big = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(pdf, big);
  SIZE dev;
  GetTextExtentPoint32W(pdf, u"Diagram", 7, &dev);
  EXPECT_NEAR(double(dev.cx) / px.cx, 600.0 / 96, 0.6);
  SelectObject(pdf, old);
  DeleteObject(big);
  DeleteDC(pdf);
}

// Text given as glyph indices (as metafiles carry it) looks like the text.
TEST(GdiText, GlyphIndicesDrawTheirGlyphs) {
  ScreenFont f(12);
  auto render = [&](bool glyphs) {
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bm = CreateCompatibleBitmap(mem, 40, 24);
    HGDIOBJ oldBm = SelectObject(mem, bm);
    HGDIOBJ oldFont = SelectObject(mem, f.font);
    RECT all{0, 0, 40, 24};
    FillRect(mem, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    std::u16string text = glyphs ? std::u16string{char16_t(GlyphIndex("Arial", u'H')), char16_t(GlyphIndex("Arial", u'i'))}
                                 : std::u16string(u"Hi");
    EXPECT_TRUE(ExtTextOutW(mem, 2, 2, glyphs ? ETO_GLYPH_INDEX : 0, nullptr, text.data(), 2, nullptr));
    std::vector<COLORREF> px;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 40; ++x) px.push_back(GetPixel(mem, x, y));
    SelectObject(mem, oldFont);
    SelectObject(mem, oldBm);
    DeleteObject(bm);
    DeleteDC(mem);
    return px;
  };
  std::vector<COLORREF> text = render(false);
  EXPECT_EQ(render(true), text);
  EXPECT_NE(std::count(text.begin(), text.end(), RGB(255, 255, 255)), long(text.size()));
}

TEST(GdiText, DrawTextFlags) {
  ScreenFont f(8);
  TEXTMETRICW tm;
  GetTextMetricsW(f.dc, &tm);
  RECT r{0, 0, 60, 0};
  int h = DrawTextW(f.dc, u"one two three four five", -1, &r, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
  EXPECT_GT(h, tm.tmHeight);  // wrapped on several lines
  EXPECT_EQ(h % tm.tmHeight, 0);
  EXPECT_EQ(r.bottom, h);
  // Blanks and tabs at a break move the text on (this once looped forever).
  RECT tight{0, 0, 1, 0};
  EXPECT_EQ(DrawTextW(f.dc, u"a\tb \t c\t\td", -1, &tight, DT_WORDBREAK | DT_EXPANDTABS | DT_CALCRECT),
            4 * tm.tmHeight);
  RECT one{0, 0, 500, 0};
  DrawTextW(f.dc, u"a&bc", -1, &one, DT_SINGLELINE | DT_CALCRECT);
  SIZE abc;
  GetTextExtentPoint32W(f.dc, u"abc", 3, &abc);
  EXPECT_EQ(one.right, abc.cx);  // the prefix sign is not drawn
  // The prefixed letter is underlined one pixel below the baseline.
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(mem, 60, 20);
  HGDIOBJ oldBm = SelectObject(mem, bm);
  HGDIOBJ oldFont = SelectObject(mem, f.font);
  RECT all{0, 0, 60, 20};
  FillRect(mem, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawTextW(mem, u"&File", -1, &all, DT_SINGLELINE);
  SIZE fw;
  GetTextExtentPoint32W(mem, u"F", 1, &fw);
  EXPECT_EQ(GetPixel(mem, 1, tm.tmAscent + 1), 0u);
  EXPECT_EQ(GetPixel(mem, fw.cx + 2, tm.tmAscent + 1), RGB(255, 255, 255));
  SelectObject(mem, oldFont);
  SelectObject(mem, oldBm);
  DeleteObject(bm);
  DeleteDC(mem);
  RECT tabs{0, 0, 500, 0};
  DrawTextW(f.dc, u"a\tb", -1, &tabs, DT_SINGLELINE | DT_CALCRECT | DT_EXPANDTABS);
  EXPECT_GE(tabs.right, 8 * tm.tmAveCharWidth);
  RECT narrow{0, 0, 30, 20};
  RECT calc = narrow;
  DrawTextW(f.dc, u"a long line of text", -1, &calc, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
  EXPECT_LE(calc.right, 30);
}

}  // namespace
