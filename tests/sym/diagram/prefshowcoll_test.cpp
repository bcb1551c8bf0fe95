#include <gtest/gtest.h>

#include "support/symtest.h"
#include "sym/diagram/symprefshowcoll.h"

namespace {
struct FormatCase {
  std::string name;
  const char16_t* value;
  const char16_t* written;
};
class FormatValueTest : public ::testing::TestWithParam<FormatCase> {};
}  // namespace

TEST_P(FormatValueTest, WritesAndReadsBack) {
  const FormatCase& c = GetParam();
  const SString written = SPrefShowColl::FormatValue(SString(c.value));
  EXPECT_EQ(written, SString(c.written));
  // Between other values, the written form reads back as the value.
  bool damaged = false;
  const std::vector<SString> read = SPrefShowColl::ReadValues(SString(u"a ") + written + u" z", &damaged);
  EXPECT_FALSE(damaged);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[1], SString(c.value));
  EXPECT_EQ(read[2], SString(u"z"));
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatValueTest,
    ::testing::Values(FormatCase{"Empty", u"", u"\"\""}, FormatCase{"Plain", u"Name", u"Name"},
                      FormatCase{"QuoteNoBlank", u"a\"b", u"a\\\"b"},
                      FormatCase{"Blank", u"Two Words", u"\"Two Words\""},
                      FormatCase{"BlankAndQuote", u"say \"hi\"", u"\"say \\\"hi\\\"\""},
                      FormatCase{"TabIsNoBlank", u"a\tb", u"a\tb"},
                      FormatCase{"LeadingQuote", u"\"x", u"\\\"x"},
                      FormatCase{"BackslashStays", u"a\\b c", u"\"a\\b c\""},
                      FormatCase{"BackslashBeforeQuote", u"a\\\" b", u"\"a\\\\\" b\""},
                      FormatCase{"OnlyQuotes", u"\"\"", u"\\\"\\\""}),
    CaseName());

TEST(PrefValues, UnclosedQuoteTakesTheRestAndIsDamaged) {
  bool damaged = false;
  const std::vector<SString> read = SPrefShowColl::ReadValues(SString(u"a \"b c \\\" d"), &damaged);
  EXPECT_TRUE(damaged);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1], SString(u"b c \" d"));
}
