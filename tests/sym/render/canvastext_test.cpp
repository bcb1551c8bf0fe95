// Text: zoom-free measuring, the style word, wrapping and truncation.
#include "support/canvas_fixture.h"

namespace {

// Records what reaches the device text call instead of drawing it.
class CaptureCanvas : public TestCanvas {
 public:
  struct Call {
    std::u16string text;
    SSymRect r;
    int flags;
  };
  std::vector<Call> calls;
  using TestCanvas::DrawText;

 protected:
  void DrawText(const SString& text, const SSymRect& r, int flags) override {
    calls.push_back({text.str(), r, flags});
  }
};

const SSymFont kFont(u"Arial", 10);

}  // namespace

TEST(CanvasText, MeasuringIgnoresZoom) {
  RecordingDC rec;
  TestCanvas c;
  c.LockOn(rec.dc, {800, 600});
  c.SetFont(kFont);
  EXPECT_EQ(c.GetTextExtent(SString()), SSymSize(0, 0));
  const SSymSize one = c.GetTextExtent(SString(u"Customer Order"));
  EXPECT_GT(one.cx, 0);
  EXPECT_GT(one.cy, 0);
  const SSymSize two = c.GetTextExtent(SString(u"Customer Order\r\nx"));
  EXPECT_EQ(two.cx, one.cx);
  EXPECT_NEAR(two.cy, 2 * one.cy, 1);
  EXPECT_EQ(c.GetTextHeight(SString(u"Customer Order")), one.cy);
  const SSymSize wrap = c.GetWrapTextExtent(SString(u"Customer Order"), one.cx / 2 + 200);
  for (double zoom : {2.0, 37.0, 200.0, 5000.0}) {
    c.SetZoomLevel(zoom, SSymPoint(0, 0));
    c.SetFont(kFont);
    EXPECT_EQ(c.GetTextExtent(SString(u"Customer Order")), one) << zoom;
    EXPECT_EQ(c.GetTextExtent(SString(u"Customer Order"), kFont), one) << zoom;
    EXPECT_EQ(c.GetWrapTextExtent(SString(u"Customer Order"), one.cx / 2 + 200), wrap) << zoom;
  }
  // A canvas made at another zoom measures at its own first scale: still the same.
  TestCanvas d;
  d.InitScale(rec.dc);
  d.SetZoomLevel(400, SSymPoint(0, 0));
  d.SSymCanvas::m_scalerInit = SSymCanvasScaler();
  d.BuildTransformationMatrices();
  d.LockOnly(rec.dc);
  d.SetFont(kFont);
  const SSymSize at400 = d.GetTextExtent(SString(u"Customer Order"));
  EXPECT_NEAR(at400.cx, one.cx, one.cx / 20);
}

TEST(CanvasText, StyleWordToFlags) {
  RecordingDC rec;
  CaptureCanvas c;
  c.LockOn(rec.dc);
  c.SetFont(kFont);
  const SSymRect r(0, 0, 72000, -36000);
  struct {
    int style;
    int flags;
  } cases[] = {
      {0x211, DT_NOPREFIX | DT_EXPANDTABS},
      {0x112, DT_NOPREFIX | DT_EXPANDTABS | DT_SINGLELINE | DT_CENTER},
      {0x124, DT_NOPREFIX | DT_EXPANDTABS | DT_SINGLELINE | DT_RIGHT | DT_VCENTER},
      {0x541, DT_NOPREFIX | DT_EXPANDTABS | DT_SINGLELINE | DT_NOCLIP | DT_BOTTOM},
  };
  for (const auto& k : cases) {
    c.calls.clear();
    c.DrawText(r, SString(u"Label"), k.style);
    ASSERT_EQ(c.calls.size(), 1u);
    EXPECT_EQ(c.calls[0].flags, k.flags) << std::hex << k.style;
    EXPECT_EQ(c.calls[0].r, r) << std::hex << k.style;
  }
  EXPECT_EQ(rec.dc.GetBkMode(), TRANSPARENT);
  c.SetBkBrush(SSymBrush(SSymColor(0x00FFFF)));
  c.DrawText(r, SString(u"Label"), 0x811);
  EXPECT_EQ(rec.dc.GetBkMode(), OPAQUE);
  EXPECT_EQ(rec.dc.GetBkColor(), 0x00FFFFu);
  // Multi-line text centred vertically: the top edge moves down by half the free room.
  c.calls.clear();
  const int h = c.GetTextHeight(SString(u"Label"));
  c.DrawText(r, SString(u"Label"), 0x221);
  ASSERT_EQ(c.calls.size(), 1u);
  EXPECT_EQ(c.calls[0].r.y1, -(36001 - h) / 2);
  // An empty text draws nothing.
  c.calls.clear();
  c.DrawText(r, SString(), 0x211);
  EXPECT_TRUE(c.calls.empty());
}

TEST(CanvasText, WrappingCutsLongWordsIntoPiecesOfFiveOrMore) {
  RecordingDC rec;
  CaptureCanvas c;
  c.LockOn(rec.dc);
  c.SetFont(kFont);
  const SString word(u"aaaaaaaaaaaaaaaaaaaa");  // 20 letters
  const int w8 = c.GetTextExtent(SString(u"aaaaaaaa")).cx;
  STable<SWrapLine> lines;
  int lh = 0;
  ASSERT_EQ(c.GetDetailWrapText(word, w8, lines, lh), 3);
  EXPECT_EQ(lines[0].m_strText.GetLength(), 8);
  EXPECT_EQ(lines[1].m_strText.GetLength(), 8);
  EXPECT_EQ(lines[2].m_strText.GetLength(), 4);
  EXPECT_GT(lh, 0);
  // Narrower than five letters: pieces never go below five.
  lines.RemoveAll();
  c.GetDetailWrapText(word, c.GetTextExtent(SString(u"aa")).cx, lines, lh);
  EXPECT_EQ(lines[0].m_strText.GetLength(), 5);
  // Words go whole to the next line, the separator that did not fit leading it;
  // the style word 0x1000 draws the wrapped lines.
  const SString text(u"one two three");
  const int w = c.GetTextExtent(SString(u"one two")).cx + 10;
  c.DrawText(SSymRect(0, 0, w - 1, -36000), text, 0x1211);
  ASSERT_EQ(c.calls.size(), 1u);
  EXPECT_EQ(c.calls[0].text, u"one two\r\n three\r\n");
  EXPECT_EQ(c.calls[0].flags & DT_SINGLELINE, 0);
  const SSymSize ext = c.GetWrapTextExtent(text, w);
  EXPECT_NEAR(ext.cy, 2 * c.GetTextHeight(SString(u"x")), 1);
  // Lines that do not fit vertically are dropped after the one that passes the bottom.
  c.calls.clear();
  c.DrawText(SSymRect(0, 0, w - 1, -(c.GetTextHeight(SString(u"x")) / 2)), SString(u"one two three four five six"),
             0x1211);
  ASSERT_EQ(c.calls.size(), 1u);
  EXPECT_EQ(c.calls[0].text, u"one two\r\n");
}

TEST(CanvasText, TruncationWithEllipsis) {
  RecordingDC rec;
  CaptureCanvas c;
  c.LockOn(rec.dc);
  c.SetFont(kFont);
  const int W = c.GetTextExtent(SString(u"aaaaaa...")).cx;
  c.DrawText(SSymRect(0, 0, W - 1, -10000), SString(u"aaaaaaaaaa\r\nshort\r\naaaa"), 0x2211);
  // Line 1 truncated; "short" fits; the 4-letter line fits too.
  ASSERT_EQ(c.calls.size(), 3u);
  EXPECT_EQ(c.calls[0].text, u"aaaaaa...");
  EXPECT_EQ(c.calls[1].text, u"short");
  const int e = c.GetTextExtent(SString(u"...")).cy;
  EXPECT_EQ(c.calls[1].r.y1, -e);
  EXPECT_EQ(c.GetTruncTextExtent(SString(u"aaaaaaaaaa"), W).cx, W);
  // A line of four letters that does not fit draws nothing.
  c.calls.clear();
  c.DrawText(SSymRect(0, 0, c.GetTextExtent(SString(u"aa")).cx, -10000), SString(u"aaaa"), 0x2211);
  EXPECT_TRUE(c.calls.empty());
}

TEST(CanvasText, TextWidthByWrapPreferences) {
  RecordingDC rec;
  TestCanvas c;
  c.LockOn(rec.dc);
  const SString text(u"abcdefghijklmnop");
  const int whole = c.GetTextWidth(text, kFont);
  EXPECT_EQ(whole, c.GetTextExtent(text, kFont).cx);
  SPrefDataWrap wrap;
  wrap.m_nWrapMode = SPrefDataWrap::Truncate;
  wrap.m_nTruncLength = 6;
  c.SetDataWrap(wrap);
  EXPECT_EQ(c.GetDataWrap(), wrap);
  EXPECT_NEAR(c.GetTextWidth(text, kFont), c.GetTextExtent(SString(u"abcdef..."), kFont).cx, 1);
  wrap.m_nWrapMode = SPrefDataWrap::Wrap;
  wrap.m_nWrapLength = 5;
  c.SetDataWrap(wrap);
  EXPECT_LT(c.GetTextWidth(text, kFont), whole);
  const int wrapped = c.GetTextWidth(text, kFont);
  // Like every other measure, the width does not change with the zoom.
  c.SetZoomLevel(300, SSymPoint(0, 0));
  EXPECT_EQ(c.GetTextWidth(text, kFont), wrapped);
  wrap.m_nWrapMode = SPrefDataWrap::Truncate;
  c.SetDataWrap(wrap);
  EXPECT_NEAR(c.GetTextWidth(text, kFont), c.GetTextExtent(SString(u"abcdef..."), kFont).cx, 1);
  wrap.m_nWrapMode = SPrefDataWrap::Wrap;
  wrap.m_nWrapLength = 4;  // below five: the whole width
  c.SetDataWrap(wrap);
  EXPECT_EQ(c.GetTextWidth(text, kFont), whole);
}

TEST(CanvasText, RtfExtentsAndDrawing) {
  RasterDC ras(200, 100);
  TestCanvas c;
  c.LockOn(ras.dc);
  const SString rtf(u"{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Hello RTF}");
  const SSymSize ext = c.GetRTFTextExtent(rtf, 72000, 0, -1);
  EXPECT_GT(ext.cx, 0);
  EXPECT_LT(ext.cx, 72000);
  EXPECT_EQ(c.GetRTFTextLength(SString(), 1000, 1000, 0), 0);
  EXPECT_EQ(c.GetRTFTextLength(rtf, 72000, 7200, 0), 9);
  int end = -1;
  c.DrawRtfText(SSymRect(0, 0, 14399, -7199), rtf, 0, -1, &end);
  EXPECT_EQ(end, 9);
  bool inked = false;
  for (COLORREF p : ras.Pixels()) inked |= p != 0xFFFFFFu;
  EXPECT_TRUE(inked);
}

TEST(CanvasText, RotatedTextStaysInItsBox) {
  for (LONG angle : {900, 2700}) {
    RasterDC ras(200, 200);
    TestCanvas c;
    c.LockOn(ras.dc, {200, 200});
    SSymFont f(u"Arial", 12);
    c.SetFont(f);
    const SSymSize ext = c.GetTextExtent(SString(u"Rotated"));
    f.m_angle = angle;
    c.SetFont(f);
    c.SetFontColor(SSymColor(0));
    // A box exactly as high as the text is long, left of the centre.
    const SSymRect box(-ext.cy, ext.cx / 2, 0, -ext.cx / 2);
    c.DrawText(box, SString(u"Rotated"), 0x111);
    const RECT d = c.VPtoDPRect(box);
    int inside = 0;
    for (int y = d.top; y < d.bottom; ++y)
      for (int x = d.left; x < d.right; ++x) inside += ras.dc.GetPixel(x, y) != 0xFFFFFFu;
    EXPECT_GT(inside, 40) << angle;
  }
}
