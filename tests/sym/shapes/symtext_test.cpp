// The free text symbol: creation and defaults, the rectangle fitted to plain,
// wrapped and rich texts with real Arial metrics, editing in place, what its
// drawing asks of the canvas (and leaves alone), rich text drawn into a raster
// context and into SVG, the older font blob, and persistence.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sstream.h"
#include "kvrep/srepstream.h"
#include "support/canvas_fixture.h"
#include "support/reload.h"
#include "support/file_fixture.h"
#include "support/symtest.h"
#include "sym/foundation/symstream.h"
#include "sym/render/symcanvsvg.h"
#include "sym/render/symdeftcanv.h"
#include "sym/shapes/symtext.h"
#include "sym/tools/symeditinplace.h"

namespace {

const SString kRich(
    u"{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs20\\cf1 Rich "
    u"text}");

// A measuring canvas that keeps the text calls, the rectangles of the rich
// ones, and whether the glyphs were to be filled when each was made.
class TextCalls : public SSymDeftCanvas {
 public:
  struct Call {
    std::string kind, text;
    SSymRect rect;
    int style;
    int fillText;
    DWORD color;
  };
  void SetFontColor(SSymColor color) override {
    m_color = color.GetColor();
    SSymDeftCanvas::SetFontColor(color);
  }
  void DrawText(const SSymRect& r, const SString& text, int style) override {
    calls.push_back({"text", text.ToUtf8(), r, style, m_bFillText, m_color});
  }
  void DrawRtfText(const SSymRect& r, const SString& rtf, int, int, int*) override {
    calls.push_back({"rtf", rtf.ToUtf8(), r, 0, m_bFillText, m_color});
  }
  void SetBrush(const SSymBrush& brush, int dark) override {
    brushKind = brush.m_style;
    SSymDeftCanvas::SetBrush(brush, dark);
  }
  std::vector<Call> calls;
  LONG brushKind = 0;
  DWORD m_color = 0;
};

class SymTextTest : public SymFixture {
 protected:
  SSymText* Create(const SSymRect& rect = SSymRect(0, 3600, 4800, 0), const char16_t* text = u"Order") {
    void* p = nullptr;
    EXPECT_EQ(m_session->CreateObject(CLSID_SSymText, IID_ISRepObject, &p), S_OK);
    auto* obj = static_cast<ISRepObject*>(p);
    m_own.push_back(obj);
    auto* t = dynamic_cast<SSymText*>(SRepObject::FromInterface(obj));
    EXPECT_NE(t, nullptr);
    if (t) {
      t->m_rect = rect;
      t->m_text = SString(text);
    }
    return t;
  }
  void TearDown() override {
    for (ISRepObject* o : m_own) o->Release();
    SymFixture::TearDown();
  }
  std::vector<ISRepObject*> m_own;
  SSymDeftCanvas m_canvas;
};

TEST_F(SymTextTest, ClassFunctionsAndDefaults) {
  SSymText* t = Create();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetSymbolType(), 7);
  EXPECT_EQ(t->GetSymbolFormType(), 3);
  EXPECT_EQ(t->GetTextStyle(), 0x1022);
  EXPECT_EQ(t->GetPen().m_style, SSymPen::NoLine);
  EXPECT_EQ(t->EnumVerbs(), E_NOTIMPL);
  // The copy the class function makes carries the text and the font.
  t->SetFont(SSymFont(SString(u"Courier New"), 12, SSymFont::Bold), 0);
  ISRepObject* copy = nullptr;
  ASSERT_EQ(SSymGetClassRecord(SYMCLS_SSymText)->create(&copy, nullptr, t->Obj()), S_OK);
  auto* c = dynamic_cast<SSymText*>(SRepObject::FromInterface(copy));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->m_text.ToUtf8(), "Order");
  EXPECT_EQ(c->GetFont(), t->GetFont());
  copy->Release();
  // Made from a rectangle and a text, outside any session.
  SSymText loose(SSymRect(0, 100, 100, 0), SString(u"Loose"));
  EXPECT_EQ(loose.m_text.ToUtf8(), "Loose");
  EXPECT_EQ(loose.GetTextStyle(), 0x1022);
  EXPECT_EQ(loose.GetPen().m_style, SSymPen::NoLine);
}

// The fitted rectangle, measured with the same canvas (real Arial metrics):
// centred where the rectangle was, corners in the direction drawn, never
// below 4800 x 3600.
TEST_F(SymTextTest, AdjustRectFitsTheText) {
  const SString line(u"A free text that is a good deal wider than the least width of a text symbol");
  struct Case {
    const char* name;
    SString text;
    LONG style;
    SSymRect start;
  };
  const Case cases[] = {
      {"one word in a tiny box", SString(u"Order"), 0x1022, SSymRect(0, 100, 100, 0)},
      {"drawn right to left, bottom up", SString(u"Order"), 0x1022, SSymRect(100, 0, 0, 100)},
      {"empty", SString(), 0x1022, SSymRect(0, 100, 100, 0)},
      {"one long line", line, 0x22, SSymRect(0, 3600, 4800, 0)},
      {"wrapped", line, 0x1022, SSymRect(0, 3600, 9600, 0)},
      {"rich", kRich, 0x1022, SSymRect(0, 3600, 9600, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymText* t = Create(c.start, u"");
    t->m_text = c.text;
    t->m_textStyle = c.style;
    SSymRect out = c.start;
    EXPECT_EQ(t->GetAdjustRect(m_canvas, c.start, out), 1);
    // What the text needs, measured as the symbol measures it.
    SSymRect wide = c.start;
    if (wide.Width() < 4800) wide.SetWidth(4800);
    m_canvas.SetFont(t->GetFont());
    SSymSize need = m_canvas.GetTextExtent(c.text, t->GetFont());
    if (c.text == kRich)
      need = m_canvas.GetRTFTextExtent(c.text, wide.Width(), 0, -1);
    else if (c.style & 0x1000)
      need = m_canvas.GetWrapTextExtent(c.text, wide.Width());
    EXPECT_EQ(out.Width(), std::max<LONG>(4800, need.cx));
    EXPECT_EQ(out.Height(), std::max<LONG>(3600, need.cy));
    EXPECT_EQ(out.x1 < out.x2, c.start.x1 < c.start.x2);
    EXPECT_EQ(out.y1 > out.y2, c.start.y1 > c.start.y2);
    EXPECT_LE(std::abs(out.GetCenter().x - c.start.GetCenter().x), 1);
    EXPECT_LE(std::abs(out.GetCenter().y - c.start.GetCenter().y), 1);
    // Fitted once, it stays as it is.
    SSymRect again = out;
    EXPECT_EQ(t->GetAdjustRect(m_canvas, out, again), 0);
    EXPECT_EQ(again, out);
  }
  SSymText* wrapped = Create(SSymRect(0, 3600, 9600, 0), u"");
  wrapped->m_text = line;
  SSymRect out = wrapped->m_rect;
  wrapped->GetAdjustRect(m_canvas, out, out);
  EXPECT_GT(out.Height(), m_canvas.GetTextExtent(line, wrapped->GetFont()).cy) << "more than one line";
}

TEST_F(SymTextTest, AdjustRectReportsMovesOfMoreThanFortyUnits) {
  SSymText* t = Create();
  SSymRect fitted = t->m_rect;
  t->GetAdjustRect(m_canvas, fitted, fitted);
  struct Case {
    LONG dx1, dy1, dx2, dy2;
    HRESULT expected;
  } cases[] = {{40, 0, 0, 0, 0}, {41, 0, 0, 0, 1}, {10, -10, 10, -10, 0}, {10, -10, 10, 11, 1}, {0, 0, 0, -41, 1}};
  for (const Case& c : cases) {
    const SSymRect current(fitted.x1 + c.dx1, fitted.y1 + c.dy1, fitted.x2 + c.dx2, fitted.y2 + c.dy2);
    SSymRect out = fitted;
    EXPECT_EQ(t->GetAdjustRect(m_canvas, current, out), c.expected)
        << c.dx1 << " " << c.dy1 << " " << c.dx2 << " " << c.dy2;
    EXPECT_EQ(out, fitted);
  }
}

TEST_F(SymTextTest, EditInPlaceResults) {
  SSymText* t = Create(SSymRect(0, 3600, 4800, 0), u"Order lines");
  t->SetFont(SSymFont(SString(u"Times New Roman"), 14, SSymFont::Italic), 0);
  t->m_shadowStyle = 1;
  SSymView view;
  SSymEditInPlaceController::s_lastText = SString(u"untouched");
  EXPECT_EQ(t->EditInPlace(nullptr, SSymPoint()), E_POINTER);
  SSymText* empty = Create(SSymRect(0, 3600, 4800, 0), u"");
  EXPECT_EQ(empty->EditInPlace(&view, SSymPoint()), 1);
  EXPECT_EQ(SSymEditInPlaceController::s_lastText.ToUtf8(), "untouched") << "no editor for an empty text";
  SSymEditInPlaceController::s_bFailNextCreate = true;
  EXPECT_EQ(t->EditInPlace(&view, SSymPoint()), E_OUTOFMEMORY);
  SSymEditInPlaceController::s_nNextResult = -1;
  EXPECT_EQ(t->EditInPlace(&view, SSymPoint()), E_FAIL);
  EXPECT_EQ(t->EditInPlace(&view, SSymPoint()), S_OK);
  EXPECT_EQ(SSymEditInPlaceController::s_lastText.ToUtf8(), "Order lines");
  EXPECT_EQ(SSymEditInPlaceController::s_lastFont, t->GetFont());
  EXPECT_EQ(SSymEditInPlaceController::s_lastRect, t->GetClipRect(1, 1));
  EXPECT_EQ(SSymEditInPlaceController::s_nLive, 0);  // no controller left behind, whatever the outcome
  EXPECT_EQ(t->m_text.ToUtf8(), "Order lines");
}

// The text is the whole figure: no outline or box is drawn, the style word
// gains the unclipped bit, and a gradient or picture fill fills the glyphs
// for that call only. Drawing never changes the stored brush.
TEST_F(SymTextTest, DrawingAsksOnlyForTheText) {
  SSymText* t = Create(SSymRect(4800, 0, 0, 3600));
  t->m_fontColor = 0x0000FF;
  SSymBrush gradient(SSymBrush::Gradient, 0, SSymColor(0xFFFFFF));
  t->m_brush = gradient;
  TextCalls canvas;
  canvas.m_bFillText = 0;
  ASSERT_EQ(t->DrawSymbol(canvas), S_OK);
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].rect, SSymRect(0, 3600, 4800, 0));
  EXPECT_EQ(canvas.calls[0].style, 0x1022 | 0x400);
  EXPECT_EQ(canvas.calls[0].fillText, 1);
  EXPECT_EQ(canvas.calls[0].color, 0x0000FFu);
  EXPECT_EQ(canvas.m_bFillText, 0);

  // Transparent: a hollow brush, so no glyph fill; the stored brush keeps its kind.
  t->Flags |= SSymBase::FlagTransparent;
  canvas.calls.clear();
  t->DrawSymbol(canvas);
  EXPECT_EQ(canvas.brushKind, SSymBrush::Hollow);
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].fillText, 0);
  EXPECT_EQ(t->m_brush.m_style, SSymBrush::Gradient);
}

// A rich text is measured at the symbol's width and moved down to the middle
// or to the bottom when it is lower than the symbol.
TEST_F(SymTextTest, RichTextPlacedByTheStyle) {
  const SSymRect r(0, 7200, 9600, 0);
  const SSymSize ext = m_canvas.GetRTFTextExtent(kRich, r.Width(), 0, -1);
  ASSERT_GT(ext.cy, 0);
  ASSERT_LT(ext.cy, r.Height());
  struct Case {
    LONG style;
    LONG top;
  } cases[] = {{0x1000, 7200},
               {0x1020, 7200 - (r.Height() - ext.cy) / 2},
               {0x1040, ext.cy},
               {0x1060, 7200 - (r.Height() - ext.cy) / 2}};
  for (const Case& c : cases) {
    SSymText* t = Create(r, u"");
    t->m_text = kRich;
    t->m_textStyle = c.style;
    TextCalls canvas;
    t->DrawSymbol(canvas);
    ASSERT_EQ(canvas.calls.size(), 1u);
    EXPECT_EQ(canvas.calls[0].kind, "rtf");
    EXPECT_EQ(canvas.calls[0].rect, SSymRect(0, c.top, 9600, 0)) << std::hex << c.style;
  }
}

// The shadow: the text in the shadow colour, clipped as the style says; a
// rich text's shadow is its plain text, never its RTF source.
TEST_F(SymTextTest, ShadowsDrawTheTextInTheShadowColour) {
  SSymText* plain = Create();
  plain->SetShadowColor(0x808080);
  TextCalls canvas;
  plain->DrawShadow(canvas);
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].style, 0x1022);
  EXPECT_EQ(canvas.calls[0].color, 0x808080u);

  SSymText* rich = Create(SSymRect(0, 7200, 9600, 0), u"");
  rich->m_text = kRich;
  rich->m_textStyle = 0x1040;
  rich->SetShadowColor(0x808080);
  canvas.calls.clear();
  rich->DrawShadow(canvas);
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].kind, "text");
  EXPECT_EQ(canvas.calls[0].text, "Rich text");
  EXPECT_EQ(canvas.calls[0].color, 0x808080u);
  TextCalls drawn;
  rich->DrawSymbol(drawn);
  EXPECT_EQ(canvas.calls[0].rect, drawn.calls[0].rect) << "where the rich text is";
}

// Into a raster context: the plain text in its font colour, the rich text in
// its own colour, each inside the symbol, the bottom-placed one low.
TEST_F(SymTextTest, TextsDrawnIntoARasterContext) {
  struct Case {
    const char* name;
    SString text;
    LONG style;
    COLORREF ink;  // the dominant channel tells it
  } cases[] = {{"plain", SString(u"Plain text"), 0x1022, RGB(0, 0, 255)},
               {"rich", kRich, 0x1000, RGB(255, 0, 0)},
               {"rich at the bottom", kRich, 0x1040, RGB(255, 0, 0)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RasterDC ras(200, 100);  // 15000 x 7500 units
    TestCanvas canvas;
    canvas.LockOn(ras.dc);
    SSymText* t = Create(SSymRect(0, 0, 14399, -7199), u"");
    t->m_text = c.text;
    t->m_textStyle = c.style;
    t->m_fontColor = RGB(0, 0, 255);
    t->SetFont(SSymFont(SGetArialString(), 12), 0);
    ASSERT_EQ(t->Draw(canvas), S_OK);
    int inked = 0, top = 100, bottom = -1;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) {
        const COLORREF p = ras.dc.GetPixel(x, y);
        if (p == 0xFFFFFFu) continue;
        ++inked;
        EXPECT_LT(x, 192) << "outside the symbol";
        EXPECT_LT(y, 96) << "outside the symbol";
        const int r = GetRValue(p), b = GetBValue(p);
        if (c.ink == RGB(255, 0, 0)) {
          EXPECT_GE(r, b);
        } else {
          EXPECT_GE(b, r);
        }
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    EXPECT_GT(inked, 20);
    if (c.style & 0x40) {
      EXPECT_GT(top, 48) << "placed at the bottom";
    }
    if (c.style == 0x1000) {
      EXPECT_LT(bottom, 48) << "placed at the top";
    }
  }
}

// Into SVG: the plain text as text, the rich text as a picture.
TEST_F(SymTextTest, TextsDrawnIntoSvg) {
  kvtest::TempDir dir;
  SSymCanvasSVG canvas;
  canvas.SetFilePath(SString((dir.path / "text.svg").string()));
  ASSERT_EQ(canvas.Lock(SSymRect(0, 7200, 19200, 0)), 1);
  Create(SSymRect(0, 7200, 9600, 0), u"Plain text")->Draw(canvas);
  SSymText* rich = Create(SSymRect(9600, 7200, 19200, 0), u"");
  rich->m_text = kRich;
  rich->Draw(canvas);
  std::vector<DOM_Element> texts, images;
  kvtest::Collect(canvas.GetSvg().GetSvgElement(), SString(u"text"), texts);
  kvtest::Collect(canvas.GetSvg().GetSvgElement(), SString(u"image"), images);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].getFirstChild().getNodeValue().str().ToUtf8(), "Plain text");
  EXPECT_EQ(images.size(), 1u);
  SSVG out;
  canvas.Unlock(out);
  EXPECT_EQ(out.SaveDocument(SString((dir.path / "text.svg").string()), 3), 1);
}

// Rectangles at the ends of the coordinate range: drawn and fitted without
// overflow (the sanitizer build checks), corners kept in their direction.
TEST_F(SymTextTest, ExtremeRectangles) {
  const LONG lo = INT32_MIN, hi = INT32_MAX;
  const SSymRect rects[] = {{lo, hi, hi, lo}, {hi, lo, lo, hi}, {lo, lo + 10, lo + 10, lo}, {hi - 10, hi, hi, hi - 10}};
  for (const SSymRect& r : rects) {
    for (const SString& text : {SString(u"Plain"), kRich}) {
      SSymText* t = Create(r, u"");
      t->m_text = text;
      t->m_textStyle = 0x1060;
      TextCalls canvas;
      EXPECT_EQ(t->DrawSymbol(canvas), S_OK);
      EXPECT_EQ(t->DrawShadow(canvas), S_OK);
      SSymRect out = r;
      t->GetAdjustRect(m_canvas, r, out);
      EXPECT_EQ(out.x1 <= out.x2, r.x1 <= r.x2);
      EXPECT_EQ(out.y1 >= out.y2, r.y1 >= r.y2);
    }
  }
}

// The older blob form is the font's text form as one string.
std::vector<BYTE> FontBlob(const char16_t* form) {
  SOutputGlobal global;
  SSymOutputStream out(global);
  out << SString(form);
  return global.GetBytes();
}

TEST_F(SymTextTest, OlderFontBlobs) {
  const std::vector<BYTE> courier = FontBlob(u"Courier New,10,BI");
  std::vector<BYTE> trailing = courier;
  for (BYTE b : {0x01, 0x02, 0x03}) trailing.push_back(b);
  const std::vector<BYTE> longFace = FontBlob(u"A face name far longer than any face may be,10,B");
  std::vector<BYTE> lying = courier;
  lying[0] = 0x40;  // says 64 bytes, holds 18
  auto cut = [&](size_t n) { return std::vector<BYTE>(courier.begin(), courier.end() - static_cast<long>(n)); };
  struct Case {
    const char* name;
    std::vector<BYTE> bytes;
    HRESULT hr;
    const char* font;  // what the font reads afterwards
  } cases[] = {
      {"a font", courier, S_OK, "Courier New,10,BI"},
      {"bytes after the form", trailing, S_OK, "Courier New,10,BI"},
      {"normal style", FontBlob(u"Times New Roman,14,N"), S_OK, "Times New Roman,14,N"},
      {"empty blob", {}, S_OK, "Arial,8,N"},
      {"a form too short to parse", FontBlob(u"Ar,8"), S_FALSE, "Arial,8,N"},
      {"a face too long", longFace, S_FALSE, "Arial,8,N"},
      {"cut in the text", cut(3), E_FAIL, "Arial,8,N"},
      {"cut before the zero", cut(1), E_FAIL, "Arial,8,N"},
      {"the count alone", cut(courier.size() - 1), E_FAIL, "Arial,8,N"},
      {"a count larger than the blob", lying, E_FAIL, "Arial,8,N"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymText* t = Create();
    const SString before = t->GetFontName();
    EXPECT_EQ(t->SetBlobData(SBlob(c.bytes.data(), c.bytes.size())), c.hr);
    EXPECT_EQ(t->GetFontName().ToUtf8(), c.font);
    if (c.hr != S_OK) {
      EXPECT_EQ(t->GetFontName(), before);
    }
    EXPECT_EQ(t->m_text.ToUtf8(), "Order");
  }
  // Through the attribute, as the repository sets it; the getter writes no
  // older form back.
  SSymText* t = Create();
  SRepVariant blob;
  blob.SetBINARY(courier);
  EXPECT_EQ(t->SetAttribute(SymAttr::BlobData, blob), S_OK);
  EXPECT_EQ(t->GetFontName().ToUtf8(), "Courier New,10,BI");
  SRepVariant back;
  ASSERT_EQ(t->GetAttribute(SymAttr::BlobData, &back), S_OK);
  EXPECT_TRUE(back.GetBINARY().empty());
}

// Saved and loaded through the repository: the text, the rich text, the
// font (taken from a blob before saving), colours, style and rectangle.
TEST_F(SymTextTest, PersistsThroughTheRepository) {
  SSymText* plain = Create(SSymRect(0, 3600, 4800, 0), u"Plain");
  const std::vector<BYTE> font = FontBlob(u"Courier New,11,U");
  ASSERT_EQ(plain->SetBlobData(SBlob(font.data(), font.size())), S_OK);
  plain->SetFontColor(SSymColor(0x00AA00), 0);
  plain->SetTextStyle(0x1044, 0);
  SSymText* rich = Create(SSymRect(100, -100, 9700, -3700), u"");
  rich->SetText(kRich, 0);
  std::vector<ISRepObject*> written{plain->Obj(), rich->Obj()};
  kvtest::Reloaded reloaded;
  kvtest::ReloadInNewSession(written, reloaded);
  ASSERT_EQ(reloaded.saved, S_OK);
  ASSERT_EQ(reloaded.loaded, S_OK);
  EXPECT_TRUE(reloaded.silent);
  const std::vector<ISRepObject*>& loaded = reloaded.objects;
  ASSERT_EQ(loaded.size(), 2u);
  for (size_t i = 0; i < loaded.size(); ++i) {
    auto* was = dynamic_cast<SSymText*>(SRepObject::FromInterface(written[i]));
    auto* now = dynamic_cast<SSymText*>(SRepObject::FromInterface(loaded[i]));
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->m_text, was->m_text);
    EXPECT_EQ(now->GetFontName(), was->GetFontName());
    EXPECT_EQ(now->GetFontColor().GetColor(), was->GetFontColor().GetColor());
    EXPECT_EQ(now->GetTextStyle(), was->GetTextStyle());
    EXPECT_EQ(now->m_rect, was->m_rect);
    EXPECT_EQ(now->GetPen().m_style, SSymPen::NoLine);
  }
}

}  // namespace
