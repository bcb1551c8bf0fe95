#include <cstring>

#include "kvcore/sdrawbackground.h"
#include "kvcore/sexceptiondlg.h"
#include "sym/foundation/symstream.h"
#include "support/symsolid_fixture.h"

class StdTest : public SolidFixture {};

TEST_F(StdTest, NewSymbolsHaveTheirShadowDefaults) {
  TStd* withRect = Make<TStd>();
  EXPECT_EQ(withRect->GetShadowStyle(), 1);
  EXPECT_EQ(withRect->GetShadow().m_color.GetColor(), 0x808080u);
  EXPECT_EQ(withRect->m_shadowPen, SSymPen(1, 0, SSymColor(0x808080)));
  EXPECT_EQ(withRect->m_pen, SSymPen(1, 0, SSymColor(0)));
  TStd* bare = Make<TStd>(0);
  EXPECT_EQ(bare->GetShadowStyle(), 0);
  EXPECT_EQ(bare->GetShadow().m_color.GetColor(), 0xFFFFFFu);
  EXPECT_EQ(bare->m_shadowPen.m_color.GetColor(), 0u);
  // Both faces are answered; the pen face reads the pen.
  SComWrap<ISSymPen> pen(withRect->Sym());
  SComWrap<ISSymShadow> shadow(withRect->Sym());
  ASSERT_FALSE(pen.IsNull());
  ASSERT_FALSE(shadow.IsNull());
  EXPECT_EQ(shadow->GetShadowStyle(), 1);
  EXPECT_EQ(pen->CanChangePenStyle(), 1);
}

TEST_F(StdTest, LineWidthList) {
  struct Case {
    SHORT index;
    LONG width;
    SHORT readBack;
  } cases[] = {{0, 0, 0},     {1, 150, 1},   {2, 225, 2},   {5, 450, 5},
               {103, 224, 103}, {104, 299, 104}, {106, 449, 106}};
  for (const Case& c : cases) {
    TStd* s = Make<TStd>();
    s->m_pen.m_width = 75;  // reads as 0 ("Single")
    ASSERT_EQ(s->GetLineWidth(), 0);
    const HRESULT hr = SetAttr(s, SymAttr::LineWidth, c.index, SRepVT_SHORT);
    EXPECT_EQ(hr, c.index == 0 ? 1 : S_OK) << c.index;
    if (c.index != 0) {
      EXPECT_EQ(s->m_pen.m_width, c.width) << c.index;
    }
    EXPECT_EQ(Attr(s, SymAttr::LineWidth), c.readBack) << c.index;
  }
  // Widths that are not list entries read as the entry below them.
  EXPECT_EQ(SSymPenToLineWidth(300), 3);
  EXPECT_EQ(SSymPenToLineWidth(100000), 9);
  EXPECT_EQ(SSymLineWidthToPen(-3), 0);
}

TEST_F(StdTest, PenStyleRules) {
  struct Case {
    SHORT style;
    HRESULT result;
  } cases[] = {{0x108, S_OK},  {0x1001, S_OK}, {7, S_OK},    {8, E_FAIL}, {15, E_FAIL},
               {0x10, E_FAIL}, {0x20, E_FAIL}, {-1, E_FAIL}, {1, 1}};
  for (const Case& c : cases) {
    TStd* s = Make<TStd>();
    EXPECT_EQ(SetAttr(s, SymAttr::DashStyle, c.style, SRepVT_SHORT), c.result) << std::hex << c.style;
    EXPECT_EQ(s->m_pen.m_style, c.result == S_OK ? static_cast<LONG>(c.style) : 1) << std::hex << c.style;
  }
  // SetPen with style 0 keeps the style; the shadow outline follows style and width only.
  TStd* s = Make<TStd>();
  s->SetPen(SSymPen(0, 150, SSymColor(0xFF)), 0);
  EXPECT_EQ(s->m_pen, SSymPen(1, 150, SSymColor(0xFF)));
  EXPECT_EQ(s->m_shadowPen, SSymPen(1, 150, SSymColor(0x808080)));
}

TEST_F(StdTest, ShadowSetters) {
  TStd* s = Make<TStd>();
  EXPECT_EQ(SetAttr(s, SymAttr::HasAShadow, 0, SRepVT_BOOL), S_OK);
  EXPECT_EQ(s->GetShadowStyle(), 0);
  EXPECT_EQ(SetAttr(s, SymAttr::HasAShadow, 1, SRepVT_BOOL), S_OK);
  EXPECT_EQ(s->GetShadowStyle(), 1);
  s->SetShadowStyle(2, 0);
  EXPECT_EQ(SetAttr(s, SymAttr::HasAShadow, 1, SRepVT_BOOL), 1);
  EXPECT_EQ(s->GetShadowStyle(), 2);
  s->SetShadowStyle(-1, 1);
  EXPECT_EQ(s->GetShadowStyle(), 2);
  s->Flags |= 0x40;
  s->SetShadowStyle(0, 1);
  EXPECT_EQ(s->GetShadowStyle(), 2);
  s->Flags &= ~0x40u;
  // The shadow colour goes to the brush and the outline.
  EXPECT_EQ(SetAttr(s, SymAttr::ShadowColor, 0x123456), S_OK);
  EXPECT_EQ(s->m_shadowBrush.m_color.GetColor(), 0x123456u);
  EXPECT_EQ(s->m_shadowPen.m_color.GetColor(), 0x123456u);
  SSymBrush b(1, 0, SSymColor(0xABCDEF));
  s->SetShadow(b, 0);
  EXPECT_EQ(s->m_shadowPen.m_color.GetColor(), 0xABCDEFu);
}

TEST_F(StdTest, ClipRectGrowsByTheShadow) {
  struct Case {
    SHORT style;
    SSymRect grown;
  } cases[] = {{0, SSymRect(0, 3600, 4800, 0)},
               {1, SSymRect(0, 3600, 5100, -300)},
               {2, SSymRect(-150, 3750, 4950, -150)},
               {3, SSymRect(0, 3600, 5250, -450)}};
  for (const Case& c : cases) {
    TStd* s = Make<TStd>();
    s->SetShadowStyle(c.style, 0);
    EXPECT_EQ(s->GetClipRect(1, 0), c.grown) << c.style;
    EXPECT_EQ(s->GetClipRect(0, 0), SSymRect(0, 3600, 4800, 0)) << c.style;
  }
}

TEST_F(StdTest, ShadowIsDrawnFirstOnAnOffsetViewport) {
  TStd* s = Place<TStd>(DiagramOwner());
  RecordingDC rec;
  TestCanvas canvas;
  canvas.LockOn(rec.dc, {800, 600});
  const POINT before = canvas.VPtoDP(SSymPoint(0, 0));
  EXPECT_EQ(s->Draw(canvas), S_OK);
  EXPECT_EQ(canvas.VPtoDP(SSymPoint(0, 0)).x, before.x);  // scaler put back
  EXPECT_EQ(canvas.m_bDrawShadow, 0);
  EXPECT_EQ(s->m_state & SSymBase::StateNoRedraw, 0u);
  EXPECT_TRUE(s->IsSymInitialized());
  canvas.Unlock();
  const auto rects = Only(rec.Log(), "Rectangle(");
  ASSERT_EQ(rects.size(), 2u);
  // 300 units are 4 pixels: right and down.
  EXPECT_EQ(rects[0], "Rectangle(404,256,469,305)");
  EXPECT_EQ(rects[1], "Rectangle(400,252,465,301)");
  const auto brushes = Only(rec.Log(), "SelectObject(brush");
  ASSERT_FALSE(brushes.empty());
  EXPECT_EQ(brushes[0], "SelectObject(brush 0 0 #808080)");
}

TEST_F(StdTest, ThreeDimensionalEffect) {
  TStd* s = Place<TStd>(DiagramOwner());
  s->SetShadowStyle(2, 0);
  const auto calls = Record(s->Sym());
  const COLORREF c = 0x808080;
  auto hex = [](COLORREF v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", GetRValue(v), GetGValue(v), GetBValue(v));
    return std::string(buf);
  };
  const std::string d40 = hex(SDrawGradient::GetMediumColor(c, 0, 40, 100));
  const std::string l60 = hex(SDrawGradient::GetMediumColor(c, 0xFFFFFF, 60, 100));
  const std::string d20 = hex(SDrawGradient::GetMediumColor(c, 0, 20, 100));
  const std::string l30 = hex(SDrawGradient::GetMediumColor(c, 0xFFFFFF, 30, 100));
  const auto brushes = Only(calls, "SelectObject(brush");
  ASSERT_EQ(brushes.size(), 4u);
  EXPECT_EQ(brushes[0], "SelectObject(brush 0 0 " + d40 + ")");
  EXPECT_EQ(brushes[1], "SelectObject(brush 0 0 " + l60 + ")");
  EXPECT_EQ(brushes[2], "SelectObject(brush 0 0 " + d20 + ")");
  EXPECT_EQ(brushes[3], "SelectObject(brush 0 0 " + l30 + ")");
  // 150 units are 2 pixels, 75 one: inflated 2; inflated 1 and moved up-left 1;
  // inflated 1; moved up-left 1; then the shape.
  const std::vector<std::string> rects = {"Rectangle(398,250,467,303)", "Rectangle(398,250,465,301)",
                                          "Rectangle(399,251,466,302)", "Rectangle(399,251,464,300)",
                                          "Rectangle(400,252,465,301)"};
  EXPECT_EQ(Only(calls, "Rectangle("), rects);
  EXPECT_EQ(s->m_rect, SSymRect(0, 3600, 4800, 0));
  EXPECT_EQ(s->m_shadowBrush.m_color.GetColor(), c);
  EXPECT_EQ(s->m_shadowPen.m_color.GetColor(), c);
}

TEST_F(StdTest, ThreeDimensionalEffectOfALine) {
  TPolyStd* s = Place<TPolyStd>(DiagramOwner());
  s->m_pen = SSymPen(1, 0, SSymColor(0x0000FF));
  s->SetShadowStyle(2, 0);
  const auto lines = Only(Record(s->Sym()), "Polyline(");
  // Four passes at (1,1), (-1,-1), none and (-1,-1) pixels, the line in D20,
  // then the line itself.
  const std::vector<std::string> expected = {"Polyline(401,253 465,301)", "Polyline(399,251 463,299)",
                                             "Polyline(400,252 464,300)", "Polyline(399,251 463,299)",
                                             "Polyline(400,252 464,300)", "Polyline(400,252 464,300)"};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(s->m_pen, SSymPen(1, 0, SSymColor(0x0000FF)));
  EXPECT_EQ(s->m_shadowPen, SSymPen(1, 0, SSymColor(0x808080)));
  EXPECT_EQ(s->m_shadowBrush.m_color.GetColor(), 0x808080u);
}

TEST_F(StdTest, SoftShadowRampsOnePixelAPass) {
  TStd* s = Place<TStd>(DiagramOwner());
  s->SetShadowStyle(3, 0);
  const auto calls = Record(s->Sym());
  const auto rects = Only(calls, "Rectangle(");
  // 450 units span 6 pixels: six passes from (6,6) back to (1,1), then the shape.
  ASSERT_EQ(rects.size(), 7u);
  EXPECT_EQ(rects[0], "Rectangle(406,258,471,307)");
  EXPECT_EQ(rects[5], "Rectangle(401,253,466,302)");
  EXPECT_EQ(rects[6], "Rectangle(400,252,465,301)");
  const auto brushes = Only(calls, "SelectObject(brush");
  ASSERT_EQ(brushes.size(), 6u);
  EXPECT_EQ(brushes[0], "SelectObject(brush 0 0 #ffffff)");  // the background first
  EXPECT_NE(brushes[3], brushes[5]);
  EXPECT_EQ(s->m_shadowBrush.m_color.GetColor(), 0x808080u);
  EXPECT_EQ(s->m_shadowPen.m_color.GetColor(), 0x808080u);
}

TEST_F(StdTest, HiddenOrBusySymbolDrawsNothing) {
  TStd* s = Place<TStd>(DiagramOwner());
  s->Flags |= SSymBase::FlagHidden;
  HRESULT hr = S_OK;
  EXPECT_TRUE(Record(s->Sym(), &hr).empty() || Count(Record(s->Sym()), "Rectangle(") == 0);
  EXPECT_EQ(hr, 1);
  s->Flags &= ~SSymBase::FlagHidden;
  s->m_state |= SSymBase::StateNoRedraw;
  EXPECT_EQ(Count(Record(s->Sym(), &hr), "Rectangle("), 0);
  EXPECT_EQ(hr, 1);
}

// The four shadow styles side by side (on filled symbols), written as a PNG
// beside the test program for a person to look at.
TEST_F(StdTest, ShadowStylesPicture) {
  RasterDC ras(480, 160);
  TestCanvas canvas;
  canvas.LockOn(ras.dc, {480, 160});
  canvas.SetZoomLevel(100.0, SSymPoint(0, 0));
  std::vector<TSolid*> symbols;
  for (int style = 0; style < 4; ++style) {
    const LONG x = -16000 + style * 8400;
    TSolid* s = Place<TSolid>(DiagramOwner(), SSymRect(x, 2400, x + 6000, -2400));
    s->m_pen = SSymPen(1, 0, SSymColor(0x804000));
    s->SetShadowStyle(static_cast<SHORT>(style), 0);
    s->SetFillColor(0xE0FFFF);
    s->Draw(canvas);
    symbols.push_back(s);
  }
  canvas.Unlock();
  kvtest::TempDir dir("symstd");
  EXPECT_TRUE(ras.bitmap.SaveBitmap(dir.Name("symstd_shadow_styles.png")));
  // Right below each shape's bottom edge, inside the shadow band: white
  // without a shadow, grey with one.
  auto below = [&](TSolid* s) {
    const POINT p = canvas.VPtoDP(SSymPoint((s->m_rect.x1 + s->m_rect.x2) / 2, s->m_rect.y2));
    return ras.dc.GetPixel(p.x, p.y + 3);
  };
  EXPECT_EQ(below(symbols[0]), 0xFFFFFFu);
  EXPECT_EQ(below(symbols[1]), 0x808080u);
  EXPECT_NE(below(symbols[3]), 0xFFFFFFu);
  // The 3D effect frames the shape on every side.
  const POINT top = canvas.VPtoDP(SSymPoint((symbols[2]->m_rect.x1 + symbols[2]->m_rect.x2) / 2, 2400));
  EXPECT_NE(ras.dc.GetPixel(top.x, top.y - 1), 0xFFFFFFu);
}

// ---- undo of property setters ----------------------------------------------------------------
struct PropCase {
  LONG id;
  LONG value;
  WORD type;
  const char* name;
};
void PrintTo(const PropCase& c, std::ostream* os) { *os << c.name; }

class StdUndoTest : public SolidFixture, public ::testing::WithParamInterface<PropCase> {};

TEST_P(StdUndoTest, RecordingContextRecordsAFormatAndUndoRestores) {
  const PropCase c = GetParam();
  TStd* s = Place<TStd>(DiagramOwner());
  const LONG before = Attr(s, c.id);
  {
    SRepCreateContext step(Session());
    EXPECT_EQ(SetAttr(s, c.id, c.value, c.type), S_OK);
    SRepContext* ctx = m_session->Current();
    ASSERT_NE(ctx, nullptr);
    ASSERT_GE(ctx->GetActionCount(), 1);
    EXPECT_EQ(ctx->GetAction(0)->m_type, SSymAction_Format);
  }
  EXPECT_EQ(Attr(s, c.id), c.value);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(Attr(s, c.id), before);
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(Attr(s, c.id), c.value);
}

TEST_P(StdUndoTest, LockoutContextKeepsAPendingRecord) {
  const PropCase c = GetParam();
  TStd* s = Place<TStd>(DiagramOwner());
  const LONG before = Attr(s, c.id);
  SRepLockoutContext lockout(Session());
  EXPECT_EQ(SetAttr(s, c.id, c.value, c.type), S_OK);
  EXPECT_EQ(Attr(s, c.id), before);  // not stored yet
  SRepContext* ctx = m_session->Current();
  ASSERT_NE(ctx, nullptr);
  ASSERT_EQ(ctx->GetActionCount(), 1);
  EXPECT_EQ(ctx->GetAction(0)->m_type, SSymAction_Format);
  // Applying runs the record (the width's record carries the new width too).
  EXPECT_EQ(lockout.Apply(), S_OK);
  EXPECT_EQ(Attr(s, c.id), c.value);
}

INSTANTIATE_TEST_SUITE_P(Props, StdUndoTest,
                         ::testing::Values(PropCase{SymAttr::LineColor, 0x00FF00, SRepVT_LONG, "LineColor"},
                                           PropCase{SymAttr::DashStyle, 3, SRepVT_SHORT, "DashStyle"},
                                           PropCase{SymAttr::LineWidth, 2, SRepVT_SHORT, "LineWidth"},
                                           PropCase{SymAttr::ShadowColor, 0x0000FF, SRepVT_LONG, "ShadowColor"},
                                           PropCase{SymAttr::HasAShadow, 0, SRepVT_BOOL, "HasAShadow"}),
                         CaseName());

// ---- formats ------------------------------------------------------------------------------------------
TEST_F(StdTest, FormatsCarryPenAndShadow) {
  TStd* a = Place<TStd>(DiagramOwner());
  a->m_pen = SSymPen(2, 150, SSymColor(0xFF));
  a->SetShadowColor(0x00FF00);
  a->SetShadowStyle(3, 0);
  SSymFormatEx f;
  a->GetFormat(f);
  EXPECT_EQ(f.m_flags & 0x31u, 0x31u);
  TStd* b = Place<TStd>(DiagramOwner());
  b->SetFormat(f);
  EXPECT_EQ(b->m_pen, a->m_pen);
  EXPECT_EQ(b->m_shadowPen, SSymPen(2, 150, SSymColor(0x00FF00)));
  EXPECT_EQ(b->m_shadowBrush.m_color.GetColor(), 0x00FF00u);
  EXPECT_EQ(b->GetShadowStyle(), 3);
}

TEST_F(StdTest, BlobKeepFlagsAndFormats) {
  TBlob* b = Place<TBlob>(DiagramOwner());
  b->SetKeepCenter(true);
  EXPECT_TRUE(b->GetKeepCenter());
  EXPECT_EQ(b->m_display & 0x30u, 0x30u);
  b->m_display &= ~0x10u;  // half a group reads false
  EXPECT_FALSE(b->GetKeepCenter());
  SSymFormatEx f;
  f.m_flags = 0x700;
  f.m_margins[0] = 1;
  f.m_margins[2] = 1;
  b->SetFormat(f);
  EXPECT_TRUE(b->GetKeepAspect());
  EXPECT_FALSE(b->GetKeepCenter());
  EXPECT_TRUE(b->GetKeepSize());
  SSymFormatEx g;
  b->GetFormat(g);
  EXPECT_EQ(g.m_flags & 0x700u, 0x700u);
  EXPECT_EQ(g.m_margins[0], 1);
  EXPECT_EQ(g.m_margins[1], 0);
  EXPECT_EQ(g.m_margins[2], 1);
}

// ---- blobs --------------------------------------------------------------------------------------------
namespace {
std::vector<std::uint8_t> OldStdBlob(const SSymPen& pen, LONG outline, LONG shadow) {
  SOutputGlobal out;
  SSymOutputStream s(out);
  s << pen;
  s << outline;
  s << shadow;
  return out.GetBytes();
}
}  // namespace

TEST_F(StdTest, OlderBlobFormOfAStandardSymbol) {
  TStd* s = Place<TStd>(DiagramOwner());
  SRepVariant v;
  v.SetBINARY(OldStdBlob(SSymPen(2, 300, SSymColor(0x0000FF)), 0x111111, 0x222222));
  EXPECT_EQ(s->SetAttribute(SymAttr::BlobData, v), S_OK);
  EXPECT_EQ(s->m_pen, SSymPen(2, 0, SSymColor(0x0000FF)));  // widths above 225 reset
  EXPECT_EQ(s->m_shadowPen.m_color.GetColor(), 0x111111u);
  EXPECT_EQ(s->m_shadowBrush.m_color.GetColor(), 0x222222u);
  // The standard symbol writes no blob.
  EXPECT_TRUE(s->GetBlobData().IsEmpty());
}

TEST_F(StdTest, TruncatedBlobIsShownAndChangesNothing) {
  SExceptionDialog::ClearLog();
  SExceptionDialog::SetQuiet(true);
  TStd* s = Place<TStd>(DiagramOwner());
  auto bytes = OldStdBlob(SSymPen(2, 150, SSymColor(0x0000FF)), 0x111111, 0x222222);
  bytes.resize(bytes.size() - 2);
  const HRESULT hr = s->SetBlobData(SBlob(bytes.data(), bytes.size()));
  EXPECT_TRUE(FAILED(hr));
  EXPECT_EQ(s->m_pen, SSymPen(1, 0, SSymColor(0)));
  EXPECT_EQ(s->m_shadowBrush.m_color.GetColor(), 0x808080u);
  ASSERT_FALSE(SExceptionDialog::Log().empty());
  EXPECT_EQ(SExceptionDialog::Log().back().text.ToUtf8().rfind("Set Blob Data of ", 0), 0u);
  SExceptionDialog::SetQuiet(false);
}

// The reader's answer is passed on: a blob it refuses is not reported as success.
TEST_F(StdTest, BlobReaderErrorIsPassedOn) {
  TBlob* b = Place<TBlob>(DiagramOwner());
  b->m_word = 0x01020304;
  const SBlob data = b->GetBlobData();
  ASSERT_EQ(data.GetSize(), 4u);
  TBlob* c = Place<TBlob>(DiagramOwner());
  EXPECT_EQ(c->SetBlobData(data), S_OK);
  EXPECT_EQ(c->m_word, 0x01020304);
  const BYTE shortBlob[2] = {1, 2};
  EXPECT_EQ(c->SetBlobData(SBlob(shortBlob, 2)), E_INVALIDARG);
  SRepVariant v;
  v.SetBINARY(std::vector<std::uint8_t>(shortBlob, shortBlob + 2));
  EXPECT_EQ(c->SetAttribute(SymAttr::BlobData, v), E_INVALIDARG);
  EXPECT_EQ(c->m_word, 0x01020304);
}
