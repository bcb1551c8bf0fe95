// Solid text symbol: defaults and faces, text margins and the fitted
// rectangle with real Arial metrics, the hit band of transparent symbols,
// setters that record (and their undo and pending forms), formats, editing
// in place and the text dialog, and the older blob form.
#include "sym/symbol/symsolidtext.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "sym/symbol/symcoll.h"

#include "kvcore/sstream.h"
#include "sym/foundation/symstream.h"
#include "sym/dialogs/symtextdlg.h"
#include "sym/render/symdeftcanv.h"
#include "support/symtest.h"
#include "sym/tools/symeditinplace.h"

namespace {

// A rectangle with its text.
class TText : public SSymSolidText {
 public:
  explicit TText(ISRepSession* s, SSymRect r = SSymRect(0, 5000, 10000, 0)) : SSymSolidText(r, s) {}
  int GetSymbolType() override { return 10; }
  // The host's icon mode of the symbol's class (0: none).
  HRESULT GetAttribute(LONG id, SRepVariant* value) override {
    if (id != SymAttr::IconMode || !m_iconMode) return SSymSolidText::GetAttribute(id, value);
    value->SetLONG(m_iconMode);
    return S_OK;
  }
  LONG m_iconMode = 0;
  HRESULT DrawSymbol(SSymCanvas& canvas) override {
    canvas.Rectangle(m_rect);
    DrawTextW(canvas);
    return S_OK;
  }
};

void ExpectFont(SSymSolidText* t, const char* face, LONG size, LONG style) {
  EXPECT_EQ(t->GetFont().m_faceName.ToUtf8(), face);
  EXPECT_EQ(t->GetFont().m_size, size);
  EXPECT_EQ(t->GetFont().m_style & style, style);
}

// A measuring canvas that keeps the text drawing calls.
class TTextCanvas : public SSymDeftCanvas {
 public:
  struct Call {
    SSymRect rect;
    std::string text;
    int style;
  };
  void DrawText(const SSymRect& r, const SString& text, int style) override {
    m_calls.push_back({r, text.ToUtf8(), style});
  }
  std::vector<Call> m_calls;
};

class SymSolidText : public SymFixture {
 protected:
  TText* Text(SSymRect r = SSymRect(0, 5000, 10000, 0)) { return Make<TText>(r); }
  SSymDeftCanvas m_canvas;
};

TEST_F(SymSolidText, DefaultsAndFaces) {
  TText* t = Text();
  SString text;
  t->GetText(text);
  EXPECT_TRUE(text.IsEmpty());
  EXPECT_EQ(t->GetFont(), SSymFont(SString(u"Arial"), 8, 1));
  EXPECT_EQ(t->m_font.m_option, 1);
  EXPECT_EQ(t->GetFontColor().GetColor(), 0u);
  EXPECT_EQ(t->GetTextStyle(), 4130);
  EXPECT_EQ(t->GetMargin(), SSymRect(700, 450, 700, 450));
  SComWrap<ISSymText> textFace(t->Sym());
  SComWrap<ISSymFont> fontFace(t->Sym());
  ASSERT_FALSE(textFace.IsNull());
  ASSERT_FALSE(fontFace.IsNull());
  // One face answers both: the text face extends the font face.
  EXPECT_EQ(static_cast<void*>(static_cast<ISSymFont*>(textFace.Get())), static_cast<void*>(fontFace.Get()));
  EXPECT_FALSE(SComWrap<ISVerbSource>(t->Sym()).IsNull());
  EXPECT_FALSE(SComWrap<ISSymBrush>(t->Sym()).IsNull());
  for (LONG id : {SymAttr::Text, SymAttr::FontColor, SymAttr::TextStyle, SymAttr::FontName, SymAttr::Transparent})
    EXPECT_EQ(t->HasAttribute(id), S_OK) << std::hex << id;

  // The properties through the repository.
  SRepVariant v;
  v.SetTEXT(SString(u"Order"));
  ASSERT_EQ(t->SetAttribute(SymAttr::Text, v), S_OK);
  EXPECT_EQ(t->m_text.ToUtf8(), "Order");
  ASSERT_EQ(t->GetAttribute(SymAttr::FontName, &v), S_OK);
  EXPECT_EQ(v.GetTEXT().ToUtf8(), t->GetFont().GetAsString().ToUtf8());
  EXPECT_EQ(t->GetFontName().ToUtf8().rfind("Arial,8", 0), 0u);
}

// Every face of the text symbol, level by level, from any of its faces: the
// subobject answered, the linkable face only while the symbol is linkable,
// and the faces of other symbol kinds refused.
TEST_F(SymSolidText, EveryFaceFromEveryLevel) {
  TText* t = Make<TText>();
  t->AddRef();
  const ULONG refs = t->Release();
  struct Row {
    const IID* iid;
    void* face;  // null: refused
  };
  void* sym = static_cast<ISSymbol*>(t->Sym());
  const Row rows[] = {
      {&IID_IUnknown, sym},
      {&IID_ISSymbol, sym},
      {&IID_ISSymbolInit, sym},
      {&IID_ISSymEditInPlace, sym},
      {&IID_ISSymTooltip, sym},
      {&IID_ISSymLinkable, static_cast<ISSymLinkable*>(t)},
      {&IID_SSymBase, static_cast<SSymBase*>(t)},
      {&IID_ISSymPen, static_cast<ISSymPen*>(t)},
      {&IID_ISSymShadow, static_cast<ISSymShadow*>(t)},
      {&IID_ISSymBrush, static_cast<ISSymCustomShape*>(t)},
      {&IID_ISSymAdjust, static_cast<ISSymCustomShape*>(t)},
      {&IID_ISSymCustomShape, static_cast<ISSymCustomShape*>(t)},
      {&IID_SSymSolid, static_cast<SSymSolid*>(t)},
      {&IID_ISSymText, static_cast<ISSymText*>(t)},
      {&IID_ISSymFont, static_cast<ISSymText*>(t)},
      {&IID_ISVerbSource, static_cast<ISVerbSource*>(t)},
      {&IID_ISRepObject, static_cast<ISRepObjectBase*>(t)},
      {&IID_ISSymLink, nullptr},
      {&IID_ISSymPolyline, nullptr},
      {&IID_ISSymFonts, nullptr},
  };
  IUnknown* from[] = {t->Sym(), static_cast<ISSymPen*>(t), static_cast<ISSymCustomShape*>(t),
                      static_cast<ISVerbSource*>(t)};
  for (IUnknown* f : from)
    for (const Row& r : rows) {
      void* p = reinterpret_cast<void*>(1);
      EXPECT_EQ(f->QueryInterface(*r.iid, &p), r.face ? S_OK : E_NOINTERFACE);
      EXPECT_EQ(p, r.face);
      if (p) static_cast<IUnknown*>(p)->Release();
      EXPECT_EQ(SSymSolid::FromInterface(f), static_cast<SSymSolid*>(t));
    }
  t->m_display &= ~static_cast<DWORD>(SSymBase::DispLinkable);
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(static_cast<ISSymText*>(t)->QueryInterface(IID_ISSymLinkable, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  t->AddRef();
  EXPECT_EQ(t->Release(), refs) << "every answer's reference was given back";
}

TEST_F(SymSolidText, AdjustRectFitsArialTextInsideMargins) {
  TText* t = Text();
  // An empty text: the margins alone, at least 4800 x 3600.
  SSymRect out(0, 1000, 1000, 0);
  EXPECT_EQ(t->GetAdjustRect(m_canvas, out, out), 1);
  EXPECT_EQ(out.Width(), 4800);
  EXPECT_EQ(out.Height(), 3600);

  // A long line: its Arial extent plus the margins.
  const SString line(u"Customer order processing and invoicing");
  t->SetText(line, 0);
  t->SetTextStyle(0x22, 0);
  m_canvas.SetFont(t->GetFont());
  const SSymSize ext = m_canvas.GetTextExtent(line, t->GetFont());
  ASSERT_GT(ext.cx, 3400);  // wider than the inner width of 4800
  ASSERT_GT(ext.cy, 0);
  SSymRect start(0, 3600, 4800, 0);
  SSymRect fit = start;
  EXPECT_EQ(t->GetAdjustRect(m_canvas, start, fit), 1);
  EXPECT_EQ(fit.Width(), ext.cx + 1400);
  EXPECT_EQ(fit.Height(), std::max<LONG>(3600, ext.cy + 900));
  EXPECT_LE(std::abs(fit.GetCenter().x - start.GetCenter().x) + std::abs(fit.GetCenter().y - start.GetCenter().y), 1);
  // Already fitting: no move beyond 40 units.
  SSymRect again = fit;
  EXPECT_EQ(t->GetAdjustRect(m_canvas, fit, again), 0);
  EXPECT_EQ(again, fit);

  // A larger font measures larger.
  SSymFont big(SString(u"Arial"), 20, SSymFont::Bold);
  t->SetFont(big, 0);
  SSymRect bigFit = start;
  t->GetAdjustRect(m_canvas, start, bigFit);
  EXPECT_GT(bigFit.Width(), fit.Width());
  EXPECT_EQ(bigFit.Width(), m_canvas.GetTextExtent(line, big).cx + 1400);

  // Wrapping keeps the width and grows the height.
  t->SetFont(SSymFont(SString(u"Arial"), 8), 0);
  t->SetTextStyle(0x1022, 0);
  SSymRect wrapped = start;
  t->GetAdjustRect(m_canvas, start, wrapped);
  EXPECT_EQ(wrapped.Width(), 4800);
  EXPECT_EQ(wrapped.Height(), std::max<LONG>(3600, m_canvas.GetWrapTextExtent(line, 3400).cy + 900));
}

TEST_F(SymSolidText, TextDrawnInsideItsMargins) {
  TText* t = Text(SSymRect(0, 5000, 10000, 0));
  TTextCanvas canvas;
  t->DrawTextW(canvas);
  EXPECT_TRUE(canvas.m_calls.empty());  // no text, nothing drawn
  t->SetText(SString(u"Order"), 0);
  t->SetFont(SSymFont(SString(u"Arial"), 10, SSymFont::Bold), 0);
  struct Case {
    LONG style;
    SSymRect rect;
  };
  const Case cases[] = {
      {0, SSymRect(700, 4550, 9300, 450)},       // the margins
      {0x2, SSymRect(0, 4550, 10000, 450)},      // the whole width
      {0x20, SSymRect(700, 5000, 9300, 0)},      // the whole height
      {0x1022, SSymRect(0, 5000, 10000, 0)},
  };
  for (const Case& c : cases) {
    canvas.m_calls.clear();
    t->SetTextStyle(c.style, 0);
    t->DrawTextW(canvas);
    ASSERT_EQ(canvas.m_calls.size(), 1u);
    EXPECT_EQ(canvas.m_calls[0].rect, c.rect) << c.style;
    EXPECT_EQ(canvas.m_calls[0].text, "Order");
    EXPECT_EQ(canvas.m_calls[0].style, c.style);
  }
  SSymFont selected;
  canvas.GetFont(selected);
  EXPECT_EQ(selected.m_size, 10);
}

TEST_F(SymSolidText, TransparentSymbolIsHitInItsBandOnly) {
  TText* t = Text(SSymRect(0, 5000, 10000, 0));
  t->m_shadowStyle = 0;
  const SSymPoint centre(5000, 2500);
  EXPECT_TRUE(t->IsPtInSym(m_canvas, centre, nullptr, nullptr));  // filled: hit everywhere inside
  t->SetTransparent(1);
  struct Case {
    SSymPoint pt;
    bool hit;
  };
  const Case cases[] = {
      {centre, false},          {{200, 2500}, true},   {{-200, 2500}, true}, {{5000, 4800}, true},
      {{5000, 5200}, true},     {{10200, 2500}, true}, {{-400, 2500}, false}, {{400, 2500}, false},
      {{5000, -299}, true},
  };
  for (const Case& c : cases) EXPECT_EQ(t->IsPtInSym(m_canvas, c.pt, nullptr, nullptr) != 0, c.hit) << c.pt.x << "," << c.pt.y;
  int handle = -1;
  EXPECT_TRUE(t->IsPtInSym(m_canvas, SSymPoint(10000, 5000), &handle, nullptr));
  EXPECT_GE(handle, 0);

  // Too small to have an inside: the band covers it all.
  TText* small = Text(SSymRect(0, 400, 400, 0));
  small->m_shadowStyle = 0;
  small->SetTransparent(1);
  EXPECT_TRUE(small->IsPtInSym(m_canvas, SSymPoint(200, 200), nullptr, nullptr));
  EXPECT_FALSE(small->IsPtInSym(m_canvas, SSymPoint(800, 200), nullptr, nullptr));
  small->Flags |= SSymBase::FlagHidden;
  EXPECT_FALSE(small->IsPtInSym(m_canvas, SSymPoint(200, 200), nullptr, nullptr));
}

TEST_F(SymSolidText, SetTextRecordsUndoAndPending) {
  TText* t = Text();
  {
    SRepCreateContext step(Session());
    t->SetText(SString(u"one"), 1);
    t->SetText(SString(u"one"), 1);  // the same text: no record
    ASSERT_NE(step.GetContext(), nullptr);
    EXPECT_EQ(step.GetContext()->GetActionCount(), 1);
  }
  EXPECT_EQ(t->m_text.ToUtf8(), "one");
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_TRUE(t->m_text.IsEmpty());
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(t->m_text.ToUtf8(), "one");

  SRepLockoutContext lock(Session());
  t->SetText(SString(u"two"), 1);
  EXPECT_EQ(t->m_text.ToUtf8(), "one");  // pending
  ASSERT_EQ(lock.Apply(), S_OK);
  EXPECT_EQ(t->m_text.ToUtf8(), "two");
}

TEST_F(SymSolidText, FontNameRecordsUndoAndPending) {
  TText* t = Text();
  EXPECT_EQ(t->SetFontName(t->GetFontName()), 1);  // unchanged
  {
    SRepCreateContext step(Session());
    EXPECT_EQ(t->SetFontName(SString(u"Courier New,12,B")), S_OK);
  }
  ExpectFont(t, "Courier New", 12, SSymFont::Bold);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(t->GetFont().m_faceName.ToUtf8(), "Arial");
  EXPECT_EQ(t->GetFont().m_size, 8);

  // In a lockout the new font waits in the record and arrives when applied.
  SRepLockoutContext lock(Session());
  EXPECT_EQ(t->SetFontName(SString(u"Times New Roman,10,I")), S_OK);
  EXPECT_EQ(t->GetFont().m_faceName.ToUtf8(), "Arial");
  ASSERT_EQ(lock.Apply(), S_OK);
  ExpectFont(t, "Times New Roman", 10, SSymFont::Italic);
}

TEST_F(SymSolidText, StyleSettersAndCollectionUndo) {
  TText* t = Text();
  t->SetTextStyle(1, 0);
  m_session->SetModified(FALSE);
  t->SetFontStyle(1, 1);  // the current font style: nothing, whatever the text style holds
  EXPECT_FALSE(m_session->IsModified());
  t->SetFontStyle(2, 1);
  EXPECT_EQ(t->GetFontStyle(), 2);
  EXPECT_TRUE(m_session->IsModified());

  SSymCollection coll;
  coll.Add(t->Sym());
  coll.Add(Text()->Sym());
  coll.SetTextStyle(0x100, 0);
  EXPECT_EQ(t->GetTextStyle(), 0x100);
  coll.SetFont(SSymFont(SString(u"Courier New"), 9), 0);
  EXPECT_EQ(t->GetFont().m_faceName.ToUtf8(), "Courier New");
  SSymFont common;
  EXPECT_TRUE(coll.GetFont(common));
  EXPECT_EQ(common.m_size, 9);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(t->GetFont().m_faceName.ToUtf8(), "Arial");
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(t->GetTextStyle(), 1);
}

TEST_F(SymSolidText, CollectionOverTextSymbols) {
  TText* a = Text();
  TText* b = Text();
  SSymCollection coll;
  coll.Add(a->Sym());
  coll.Add(b->Sym());
  a->SetBrush(SSymBrush(SSymColor(0x0000FF)), 0);
  b->SetBrush(SSymBrush(SSymColor(0xFF0000)), 0);
  SSymBrush brush;
  coll.GetBrush(brush);
  EXPECT_EQ(brush.m_color.GetColor(), 0xFF000000u);
  EXPECT_EQ(brush.m_style, 1);

  const SSymPen before = a->GetPen();
  const int steps = m_session->GetUndoCount();
  coll.SetPen(SSymPen(2, 150, SSymColor(0x00FF00)), 1);
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1);
  EXPECT_EQ(b->GetPen(), SSymPen(2, 150, SSymColor(0x00FF00)));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(a->GetPen(), before);
  EXPECT_EQ(b->GetPen(), before);

  EXPECT_EQ(coll.GetFilled(), 1);
  b->SetTransparent(1);
  EXPECT_EQ(coll.GetFilled(), 2);
  EXPECT_EQ(coll.GetKeepAspect(), 0);
  a->SetKeepAspect(true);
  EXPECT_EQ(coll.GetKeepAspect(), 2);
  b->SetKeepAspect(true);
  EXPECT_EQ(coll.GetKeepAspect(), 1);

  EXPECT_EQ(coll.GetCustomPicture(), nullptr);
  EXPECT_EQ(coll.GetCustomTextMode(), 0);
  b->m_customTextMode = 3;
  EXPECT_EQ(coll.GetCustomTextMode(), -1);
  SPictureInfo picture(1, SString(), 0, SString(u"shape"), SBlob());
  a->m_pCustomPicture = &picture;
  b->m_pCustomPicture = &picture;
  EXPECT_EQ(coll.GetCustomPicture(), &picture);
  // Shown as an icon, a member counts only with a picture of the manager's table.
  a->m_iconMode = 2;
  EXPECT_EQ(coll.GetCustomPicture(), nullptr);
  a->m_pCustomPicture = nullptr;
  b->m_pCustomPicture = nullptr;
}

TEST_F(SymSolidText, FormatsCarryTheTextFont) {
  TText* t = Text();
  t->SetFontColor(SSymColor(0x0000FF), 0);
  SSymFormatEx f;
  t->GetFormat(f);
  EXPECT_EQ(f.m_flags & 0xC0, 0xC0u);
  EXPECT_EQ(f.m_textStyle, 4130);
  ASSERT_EQ(f.m_fonts.GetCount(), 1);
  EXPECT_EQ(f.m_fonts.GetAt(0).m_color.GetColor(), 0x0000FFu);

  // "Text" names the entry to apply when it is not the first.
  SSymFormatEx g;
  g.m_flags = SSymFormatEx::FlagFonts;
  g.m_textStyle = 0x25;
  g.m_fill = 1;
  SSymFonts first, named;
  first.m_font = SSymFont(SString(u"Courier New"), 9);
  named.m_font = SSymFont(SString(u"Times New Roman"), 11);
  named.m_color = SSymColor(0x00FF00);
  named.m_name = SString(u"Text");
  g.m_fonts.Add(first);
  g.m_fonts.Add(named);
  ASSERT_EQ(t->SetFormat(g), S_OK);
  EXPECT_EQ(t->GetFont().m_faceName.ToUtf8(), "Times New Roman");
  EXPECT_EQ(t->GetFontColor().GetColor(), 0x00FF00u);
  EXPECT_EQ(t->GetTextStyle(), 0x25);
}

TEST_F(SymSolidText, EditInPlaceAndVerb) {
  TText* t = Text();
  t->SetText(SString(u"name"), 0);
  SSymView view;
  EXPECT_EQ(t->EditInPlace(nullptr, SSymPoint()), E_POINTER);
  SSymEditInPlaceController::s_bFailNextCreate = true;
  EXPECT_EQ(t->EditInPlace(&view, SSymPoint()), E_OUTOFMEMORY);
  SSymEditInPlaceController::s_nNextResult = -1;
  EXPECT_EQ(t->EditInPlace(&view, SSymPoint()), E_FAIL);
  EXPECT_EQ(t->EditInPlace(&view, SSymPoint()), S_OK);
  EXPECT_EQ(SSymEditInPlaceController::s_lastText.ToUtf8(), "name");
  EXPECT_EQ(SSymEditInPlaceController::s_lastRect, t->GetClipRect(0, 0));
  EXPECT_EQ(SSymEditInPlaceController::s_nLive, 0);  // no controller left behind, whatever the outcome

  SComWrap<ISVerbSource> verbs(t->Sym());
  ASSERT_FALSE(verbs.IsNull());
  EXPECT_EQ(verbs->DoVerb(0, nullptr, nullptr, nullptr), S_OK);
  SSymTextDlg* dialog = SSymTextDlg::Find(t->Obj());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(verbs->DoVerb(0, nullptr, nullptr, nullptr), S_OK);  // the open dialog is shown again
  EXPECT_EQ(SSymTextDlg::Find(t->Obj()), dialog);
  EXPECT_EQ(dialog->GetShowCount(), 2);
  dialog->Close();
  EXPECT_EQ(SSymTextDlg::Find(t->Obj()), nullptr);
}

// The older blob form: font text, colour, style, text, then the solid part.
SBlob OldBlob(const char16_t* font, size_t cut = 0) {
  SOutputGlobal global;
  SSymOutputStream out(global);
  out << SString(font);
  if (SString(font) != SString(u"Error")) {
    out << LONG(0x0000FF) << LONG(0x25);
    out << SString(u"Old text");
  }
  out << SSymBrush(SSymColor(0x00FF00)) << SSymPen(1, 75, SSymColor(0x123456)) << LONG(0x808080) << LONG(0x404040);
  const auto& bytes = global.GetBytes();
  return SBlob(bytes.data(), bytes.size() - cut);
}

TEST_F(SymSolidText, OlderBlobReadWholeOrNotAtAll) {
  TText* t = Text();
  ASSERT_EQ(t->SetBlobData(OldBlob(u"Courier New,10,B")), S_OK);
  EXPECT_EQ(t->m_text.ToUtf8(), "Old text");
  ExpectFont(t, "Courier New", 10, SSymFont::Bold);
  EXPECT_EQ(t->GetFontColor().GetColor(), 0x0000FFu);
  EXPECT_EQ(t->GetTextStyle(), 0x25);
  EXPECT_EQ(t->GetBrush().m_color.GetColor(), 0x00FF00u);
  EXPECT_EQ(t->GetPen().m_width, 75);

  // A blob cut short in its solid part fails and leaves the text as it was.
  TText* u = Text();
  u->SetText(SString(u"kept"), 0);
  EXPECT_TRUE(FAILED(u->SetBlobData(OldBlob(u"Courier New,10,B", 3))));
  EXPECT_EQ(u->m_text.ToUtf8(), "kept");
  EXPECT_EQ(u->GetFont().m_faceName.ToUtf8(), "Arial");
  EXPECT_EQ(u->GetTextStyle(), 4130);

  // "Error" as the font: no text part, the solid part still read.
  TText* e = Text();
  ASSERT_EQ(e->SetBlobData(OldBlob(u"Error")), S_OK);
  EXPECT_TRUE(e->m_text.IsEmpty());
  EXPECT_EQ(e->GetBrush().m_color.GetColor(), 0x00FF00u);
}

}  // namespace
