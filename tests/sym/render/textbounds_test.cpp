// Huge texts: a label of several megabytes is wrapped and measured in linear
// time (a label of words and a label of one unbroken word), and measures of
// texts too tall for the coordinates saturate instead of overflowing.
#include "support/canvas_fixture.h"

namespace {

// The sanitizer build runs every step many times slower: a smaller label
// walks the same paths there.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KV_TEXTBOUNDS_SMALL 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KV_TEXTBOUNDS_SMALL 1
#endif
#ifdef KV_TEXTBOUNDS_SMALL
constexpr std::size_t kLabelBytes = 1 << 20;
#else
constexpr std::size_t kLabelBytes = 10 << 20;
#endif

const SSymFont kFont(u"Arial", 10);

SString Repeat(std::u16string_view piece, std::size_t chars) {
  std::u16string s;
  s.reserve(chars + piece.size());
  while (s.size() < chars) s += piece;
  return SString(std::move(s));
}

class TextBounds : public ::testing::Test {
 protected:
  void SetUp() override {
    m_canvas.LockOn(m_dc.dc, {800, 600});
    m_canvas.SetFont(kFont);
  }
  RecordingDC m_dc;
  TestCanvas m_canvas;
};

// Every wrapped line fits (but for pieces of the least length), and the
// extent is the lines' count times the line height, as for a short label.
TEST_F(TextBounds, AHugeLabelWrapsInLinearTime) {
  struct Case {
    const char* name;
    std::u16string_view piece;
  };
  const Case cases[] = {{"words", u"Customer Order "}, {"one word", u"CustomerOrder"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const SString label = Repeat(k.piece, kLabelBytes / sizeof(char16_t));
    const int width = 20000;
    STable<SWrapLine> lines;
    int lineHeight = 0;
    const int n = m_canvas.GetDetailWrapText(label, width, lines, lineHeight);
    ASSERT_GT(n, 1000);
    std::size_t chars = 0;
    for (int i = 0; i < n; ++i) {
      EXPECT_LE(lines[i].m_nWidth, width) << i;
      chars += static_cast<std::size_t>(lines[i].m_strText.GetLength());
      if (::testing::Test::HasFailure()) break;
    }
    // Cut words lose nothing; wrapped words lose only the blanks at the breaks.
    EXPECT_LE(chars, static_cast<std::size_t>(label.GetLength()));
    EXPECT_GE(chars, static_cast<std::size_t>(label.GetLength()) * 9 / 10);
    const SSymSize extent = m_canvas.GetWrapTextExtent(label, width);
    EXPECT_LE(extent.cx, width);
    EXPECT_NEAR(static_cast<double>(extent.cy), static_cast<double>(lineHeight) * n, lineHeight);
  }
}

// So many lines that their height passes the coordinates: the measures stop
// at the largest coordinate instead of wrapping round to negative values.
TEST_F(TextBounds, MeasuresOfTextsTallerThanTheCoordinatesSaturate) {
  m_canvas.SetFont(SSymFont(u"Arial", 3000));
  const long long one = m_canvas.GetTextHeight(SString(u"x"));
  ASSERT_GT(one, 0);
  const long long lines = 0x7FFFFFFFLL / one + 2;  // the true height is past the coordinates
  ASSERT_LT(lines, 2'000'000);
  const SString tall = Repeat(u"x\n", static_cast<std::size_t>(lines) * 2);
  EXPECT_EQ(m_canvas.GetTextHeight(tall), 0x7FFFFFFF);
  EXPECT_EQ(m_canvas.GetTextExtent(tall).cy, 0x7FFFFFFF);
  EXPECT_GT(m_canvas.GetWrapTextExtent(tall, 20000).cy, 0);
}

}  // namespace
