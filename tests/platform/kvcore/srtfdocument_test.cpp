#include <gtest/gtest.h>

#include <string>

#include "kvcore/srtfdocument.h"

namespace {

TEST(SRtfDocument, TextOfRtfTable) {
  struct {
    const char16_t* rtf;
    const char16_t* text;
  } cases[] = {
      {u"{\\rtf1\\ansi Hello World}", u"Hello World"},
      {u"{\\rtf1 a\\par b\\line c\\tab d\\par}", u"a\r\nb\r\nc\td"},  // the last \par closes the paragraph
      {u"{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 Times;}}{\\colortbl;\\red255\\green0\\blue0;}"
       u"{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}\\f0\\fs20 Body}",
       u"Body"},
      {u"{\\rtf1 x{\\b bold{\\i both}}y}", u"xboldbothy"},  // nested groups
      {u"{\\rtf1 \\{braces\\} \\\\ back}", u"{braces} \\ back"},
      {u"{\\rtf1 caf\\'e9 \\'80}", u"caf\u00e9 \u20ac"},  // Windows-1252 escapes
      {u"{\\rtf1 \\u8364?x}", u"\u20acx"},                // \uN skips one character
      {u"{\\rtf1\\uc2 \\u8364\\'80\\'81x}", u"\u20acx"},  // \uc2: two escapes skipped
      {u"{\\rtf1\\uc0 \\u-3913 y}", u"\uf0b7y"},           // negative code, no skip
      {u"{\\rtf1 {\\uc3 \\u937 ab}c\\u937 de}", u"\u03a9c\u03a9e"},  // group end stops skipping; \uc back to 1
      {u"{\\rtf1 a{\\*\\unknowndest junk}b}", u"ab"},
      {u"{\\rtf1 a{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}b}", u"alinkb"},
      {u"{\\rtf1 vis{\\v hidden}\\v more\\v0  end}", u"vis end"},
      {u"{\\rtf1 a\\bin3 }}}b}", u"ab"},
      {u"{\\rtf1 \\ldblquote q\\rdblquote\\~\\emdash}", u"\u201cq\u201d\u00a0\u2014"},
      {u"{\\rtf1 line1\r\nline2}", u"line1line2"},  // source line breaks are not text
      {u"plain text\r\nkept", u"plain text\r\nkept"},  // not RTF: unchanged
  };
  for (const auto& c : cases)
    EXPECT_EQ(SRtfDocument::RtfToText(SString(c.rtf)).str(), std::u16string(c.text)) << SString(c.rtf).ToUtf8();
}

TEST(SRtfDocument, MalformedInputNeverFails) {
  const char16_t* bad[] = {u"{\\rtf1",
                           u"{\\rtf1 abc",
                           u"{\\rtf1 abc\\",
                           u"{\\rtf1 \\'",
                           u"{\\rtf1 \\'4",
                           u"{\\rtf1 \\u",
                           u"{\\rtf1 \\u99999999999999 x}",
                           u"{\\rtf1 }}}}} tail",
                           u"{\\rtf1 {{{{{{{{{{{{{{{{{{{{{{{{ deep",
                           u"{\\rtf1 \\bin999999 x",
                           u"{\\rtf1 \\aVeryLongControlWordThatKeepsGoingAndGoingAndGoingOnAndOn7 z}",
                           u"{\\rtf1{\\fonttbl{\\f0 Unterminated"};
  for (const char16_t* b : bad) {
    SRtfDocument doc{SString(b)};
    (void)doc.RtfToText();
  }
  EXPECT_EQ(SRtfDocument::RtfToText(SString(u"{\\rtf1 abc")), "abc");
  EXPECT_EQ(SRtfDocument::RtfToText(SString(u"{\\rtf1 }}}}} tail")), " tail");
  EXPECT_EQ(SRtfDocument::RtfToText(SString(u"{\\rtf1 \\'4")), "\x04");
  std::u16string deep = u"{\\rtf1 ";
  for (int i = 0; i < 100000; ++i) deep += u"{";
  deep += u"x";
  EXPECT_EQ(SRtfDocument::RtfToText(SString(deep)), "x");
}

TEST(SRtfDocument, FormatOfTheFirstText) {
  SRtfDocument doc(SString(u"{\\rtf1\\deff1{\\fonttbl{\\f0 Courier New;}{\\f1\\fswiss Liberation Sans;}}"
                           u"{\\colortbl;\\red0\\green0\\blue255;}\\fs32\\b\\cf1 Title\\b0  rest}"));
  EXPECT_EQ(doc.GetText(), "Title rest");
  EXPECT_EQ(doc.GetCharFormat().face, "Liberation Sans");  // \deff when no \f is given
  EXPECT_EQ(doc.GetCharFormat().halfPoints, 32);
  EXPECT_TRUE(doc.GetCharFormat().bold);
  EXPECT_EQ(doc.GetCharFormat().color, RGB(0, 0, 255));
  EXPECT_TRUE(SRtfDocument::IsRtf(SString("  {\\rtf1 x}")));
  EXPECT_FALSE(SRtfDocument::IsRtf(SString("{rtf")));
  // Positions count one character per paragraph mark.
  SRtfDocument two(SString(u"{\\rtf1 ab\\par cd}"));
  EXPECT_EQ(two.GetTextLength(), 5);
  EXPECT_EQ(two.RtfToText(), "ab\r\ncd");
}

}  // namespace
