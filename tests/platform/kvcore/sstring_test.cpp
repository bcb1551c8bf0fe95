#include <gtest/gtest.h>

#include "kvcore/sexception.h"
#include "kvcore/sstring.h"

TEST(SString, Utf8RoundTripAndInvalidBytes) {
  SString s("a\xC3\xA9\xF0\x9F\x98\x80z");  // a, e-acute, an emoji (surrogate pair), z
  EXPECT_EQ(s.GetLength(), 5);
  EXPECT_EQ(s.ToUtf8(), "a\xC3\xA9\xF0\x9F\x98\x80z");
  EXPECT_EQ(SString("\xFF\xC3").GetAt(0), 0xFFFD);
  EXPECT_EQ(SString(static_cast<const char*>(nullptr)).GetLength(), 0);
  EXPECT_EQ(s.GetAt(99), 0);
}

TEST(SString, ToLONGTable) {
  struct {
    const char* text;
    long value;
  } cases[] = {{"", 0}, {"  42", 42}, {"-17x", -17}, {"+8", 8}, {"abc", 0}, {"99999999999", 2147483647},
               {"-99999999999", -2147483647 - 1}};
  for (auto& c : cases) EXPECT_EQ(SString(c.text).ToLONG(), c.value) << c.text;
}

TEST(SString, EditingOperations) {
  SString s("  Hello, World  ");
  s.Trim();
  EXPECT_EQ(s, "Hello, World");
  EXPECT_EQ(s.Find(u','), 5);
  EXPECT_EQ(s.Mid(7), "World");
  EXPECT_EQ(s.Left(5), "Hello");
  EXPECT_EQ(s.Right(5), "World");
  EXPECT_EQ(s.Mid(50), "");
  EXPECT_EQ(SString("ABC").CompareNoCase(SString("abd")), -1);
  EXPECT_EQ(SString("x-y-z").Replace(SString("-"), SString("--")), 2);
  SStringTokenizer tok(SString("a,,b;c"), SString(",;"));
  EXPECT_EQ(tok.CountTokens(), 3);
  EXPECT_EQ(tok.NextToken(), "a");
  EXPECT_FALSE(SString(u"\u0394").CanConvertToMBCS());
  EXPECT_EQ(SString::FromDouble(0.5), "0.5");
}

TEST(SException, DescriptionJoinsClassTextAndLocation) {
  SECOMException empty("f()", "lib/h/scomwrap", 87, E_POINTER);
  SString d = empty.GetDescription();
  EXPECT_EQ(d.Find(SString("SECOMException: Invalid pointer. (0x80004003)")), 0);
  EXPECT_EQ(empty.GetLine(), 87);
  SException plain(SString(), SString("@here"));
  EXPECT_EQ(plain.GetDescription(), "SException@here");
  SEConstructor c("g()", "x", 1);
  EXPECT_EQ(c.GetText(), "Constructor exception");
  EXPECT_STREQ(SEOutOfMemory().GetClassName(), "SEOutOfMemory");
  EXPECT_EQ(SEOutOfMemory().GetResult(), E_OUTOFMEMORY);
}
