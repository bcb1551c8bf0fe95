// Symbol collections: membership kept in step in list and set, common
// values with their mixed marks, tri-state answers, setters over all
// members as one undo step, undoable style changes, and link alignment.
#include "sym/symbol/symcoll.h"

#include <algorithm>
#include <map>
#include <vector>

#include "support/symsolid_fixture.h"
#include "support/symtest.h"

namespace {

// A symbol whose faces are switched on one by one; its pen, brush, shadow
// colour, font entry and arrows live in a format record, and SetFormat
// records the former values in an open recording context.
class TFmt : public SRepFaces<TFmt, TRich, SRepFaceIf<ISSymPen>, SRepFaceIf<ISSymBrush>, SRepFaceIf<ISSymFonts>,
                               SRepFaceIf<ISSymPolyline>> {
 public:
  enum Face { Pen = 1, Brush = 2, Shadow = 4, Font = 8, Poly = 16, Adjust = 32, Line = 64, Fonts = 128 };
  explicit TFmt(ISRepSession* s, int faces = Pen | Brush | Shadow | Font) : SRepFaces(s), m_faces(faces) {
    SSymFonts e;
    m_fmt.m_fonts.Add(e);
  }
  bool AnswersFace(SRepFaceTag<ISSymPen>) const { return m_faces & Pen; }
  bool AnswersFace(SRepFaceTag<ISSymBrush>) const { return m_faces & Brush; }
  bool AnswersFace(SRepFaceTag<ISSymFonts>) const { return m_faces & Fonts; }
  bool AnswersFace(SRepFaceTag<ISSymPolyline>) const { return m_faces & Poly; }
  // The faces of TRich that are switched off are refused (the text face always).
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override {
    if ((iid == ISSymShadow::iid && !(m_faces & Shadow)) || (iid == ISSymFont::iid && !(m_faces & Font)) ||
        (iid == ISSymAdjust::iid && !(m_faces & Adjust)) || (iid == ISSymLine::iid && !(m_faces & Line)) ||
        iid == ISSymText::iid)
      return E_NOINTERFACE;
    return SRepFaces::InternalQueryInterface(iid, ppv);
  }
  SSymPen GetPen() override { return m_fmt.m_pen; }
  HRESULT SetPen(const SSymPen& p, int redraw) override {
    m_fmt.m_pen = p;
    return Saw(redraw);
  }
  int CanChangePenStyle() override { return 1; }
  HRESULT GetListPt(SSymListPt& out) override {
    out = m_list;
    return S_OK;
  }
  HRESULT SetListPt(const SSymListPt& pts, int, int) override {
    m_list = pts;
    return S_OK;
  }
  LONG GetLineStyle() override { return TRich::GetLineStyle(); }
  // The feature setters write the same values the format record carries;
  // each counts the redraw flags it was given.
  LONG GetArrow(int end) override { return m_fmt.m_arrows[end == 2 ? 1 : end == 8 ? 2 : 0]; }
  HRESULT SetArrow(int end, LONG type, int redraw) override {
    m_fmt.m_arrows[end == 2 ? 1 : end == 8 ? 2 : 0] = type;
    return Saw(redraw);
  }
  HRESULT SetBrush(const SSymBrush& b, int redraw) override {
    m_fmt.m_brush = b;
    return Saw(redraw);
  }
  HRESULT SetShadow(const SSymBrush& b, int redraw) override {
    m_fmt.m_shadowColor = b.m_color;
    return Saw(redraw);
  }
  HRESULT SetFont(const SSymFont& f, int redraw) override {
    m_fmt.m_fonts.GetAt(0).m_font = f;
    return Saw(redraw);
  }
  HRESULT SetFontColor(SSymColor c, int redraw) override {
    m_fmt.m_fonts.GetAt(0).m_color = c;
    return Saw(redraw);
  }
  int SetFont(const SString& name, const SSymFonts& fonts, int redraw) override {
    for (int i = 0; i < m_fmt.m_fonts.GetCount(); ++i)
      if (m_fmt.m_fonts.GetAt(i).m_name == name) {
        m_fmt.m_fonts.GetAt(i) = fonts;
        Saw(redraw);
        return 1;
      }
    return 0;
  }
  // The rest of the named-font face, answered from the format's entries.
  HRESULT DoVerb(LONG, const MSG*, HWND, const RECT*) override { return E_FAIL; }
  LONG EnumVerbs() override { return static_cast<LONG>(E_NOTIMPL); }
  int GetFontCount() override { return m_fmt.m_fonts.GetCount(); }
  void GetFonts(SSymLstFonts* list) override {
    for (int i = 0; list && i < m_fmt.m_fonts.GetCount(); ++i) list->Add(m_fmt.m_fonts.GetAt(i));
  }
  void GetAllFonts(SSymLstFonts* list) override { GetFonts(list); }
  int GetFont(const SString& name, SSymFonts* out) override {
    const SSymFonts* e = m_fmt.m_fonts.Find(name);
    if (e && out) *out = *e;
    return e ? 1 : 0;
  }
  int CopyFont(const SString& name, const SSymFonts& fonts, int redraw) override {
    SSymFonts* e = m_fmt.m_fonts.Find(name);
    if (!e) return 0;
    e->Copy(fonts);
    Saw(redraw);
    return 1;
  }
  int SetFontsColor(SSymColor color) override {
    int changed = 0;
    for (int i = 0; i < m_fmt.m_fonts.GetCount(); ++i)
      if (m_fmt.m_fonts.GetAt(i).m_color.GetColor() != color.GetColor()) {
        m_fmt.m_fonts.GetAt(i).m_color = color;
        changed = 1;
      }
    return changed;
  }
  HRESULT Saw(int redraw) {
    m_redrawFlags.push_back(redraw);
    return S_OK;
  }
  std::vector<int> m_redrawFlags;
  HRESULT GetFormat(SSymFormatEx& f) override {
    SSymBase::GetFormat(f);
    f.m_pen = m_fmt.m_pen;
    f.m_brush = m_fmt.m_brush;
    f.m_shadowColor = m_fmt.m_shadowColor;
    f.m_fonts = m_fmt.m_fonts;
    for (int i = 0; i < 3; ++i) f.m_arrows[i] = m_fmt.m_arrows[i];
    f.m_fill = m_fill;
    return S_OK;
  }
  HRESULT SetFormat(const SSymFormatEx& f) override {
    ISRepContext* ctx = OpenContext();
    if (ctx && ctx->IsRecording()) {
      auto* a = new SSymActionFormat(ctx);
      SSymFormatEx old;
      GetFormat(old);
      old.m_flags = f.m_flags;
      a->AddSymbol(Sym(), old);
      ctx->AddAction(SRepActionPtr(a));
    }
    if (f.m_flags & SSymFormatEx::FlagPen) m_fmt.m_pen = f.m_pen;
    if (f.m_flags & SSymFormatEx::FlagBrush) m_fmt.m_brush = f.m_brush;
    if (f.m_flags & SSymFormatEx::FlagShadowColor) m_fmt.m_shadowColor = f.m_shadowColor;
    if (f.m_flags & SSymFormatEx::FlagArrows)
      for (int i = 0; i < 3; ++i) m_fmt.m_arrows[i] = f.m_arrows[i];
    if ((f.m_flags & SSymFormatEx::FlagFonts) && f.m_fonts.GetCount()) m_fmt.m_fonts = f.m_fonts;
    return S_OK;
  }
  SSymFont& Fnt() { return m_fmt.m_fonts.GetAt(0).m_font; }
  int m_faces;
  SSymFormat m_fmt;
  LONG m_fill = 1;
  SSymListPt m_list;
};

// A formatted point-list member that is a link whose notation prescribes
// `m_values` (arrows of the ends 2, 4 and 8, then the pen style) while
// `m_notation` is set; it keeps the record its caller preset.
class TNoteLink : public SRepFaces<TNoteLink, TFmt, ISSymLink> {
 public:
  explicit TNoteLink(ISRepSession* s) : SRepFaces(s, Pen | Poly) {}
  HRESULT GetAttachSym(int, ISSymbol** out) override {
    if (out) *out = nullptr;
    return S_OK;
  }
  HRESULT GetAttachPoint(SSymPoint&, int) override { return S_OK; }
  HRESULT SetAttachPoint(int, const SSymPoint&, int) override { return S_OK; }
  HRESULT AttachSym(int, ISSymLinkable*, const SSymPoint&) override { return S_OK; }
  HRESULT DetachSym(ISSymLinkable*) override { return S_OK; }
  HRESULT DetachEnd(int) override { return S_OK; }
  HRESULT MoveLinkPt(ISSymLinkable*, const SSymSize&, int) override { return S_OK; }
  HRESULT TransformLinkPt(ISSymLinkable*, const SSymMatrix&, int) override { return S_OK; }
  HRESULT InverseLink() override { return S_OK; }
  int GetNotationValue(int* values) override {
    if (!values) return 0;
    std::copy(values, values + 4, m_preset);
    if (!m_notation) return 0;
    std::copy(m_values, m_values + 4, values);
    return 1;
  }
  bool m_notation = true;
  int m_values[4] = {24, 24, 0, 1};
  int m_preset[4] = {};
};

class SymColl : public SymFixture {
 protected:
  TFmt* F(int faces = TFmt::Pen | TFmt::Brush | TFmt::Shadow | TFmt::Font) {
    TFmt* t = Make<TFmt>(faces);
    m_coll.Add(t->Sym());
    return t;
  }
  // The list and the set hold the same symbols.
  void ExpectInStep() {
    ASSERT_EQ(m_coll.GetCount(), m_coll.GetBagsym().GetCount());
    for (int i = 0; i < m_coll.GetCount(); ++i) EXPECT_TRUE(m_coll.GetBagsym().Contains(m_coll.GetAt(i)));
  }
  SSymCollection m_coll;
};

TEST_F(SymColl, MembershipKeepsOrderAndSet) {
  TSym* a = Make<TSym>();
  TSym* b = Make<TSym>();
  TSym* c = Make<TSym>();
  m_coll.Add(a->Sym());
  m_coll.Add(b->Sym());
  m_coll.Add(a->Sym());  // already present: nothing
  m_coll.Insert(-1, c->Sym());
  m_coll.Add(nullptr);
  ASSERT_EQ(m_coll.GetCount(), 3);
  EXPECT_EQ(m_coll.GetAt(2), c->Sym());
  ExpectInStep();

  m_coll.MoveTo(c->Sym(), 0);
  EXPECT_EQ(m_coll.GetAt(0), c->Sym());
  m_coll.MoveTo(c->Sym(), 99);  // clamped to the last place
  EXPECT_EQ(m_coll.GetAt(2), c->Sym());
  EXPECT_EQ(m_coll.GetAt(0), a->Sym());

  const ULONG refs = a->AddRef() - 1;
  a->Release();
  {
    SSymCollection copy(m_coll);
    EXPECT_EQ(copy.GetCount(), 3);
    EXPECT_EQ(a->AddRef() - 1, refs + 2);  // one reference in each table of the copy
    a->Release();
  }
  m_coll.Remove(a->Sym());
  m_coll.Remove(a->Sym());
  EXPECT_EQ(m_coll.GetCount(), 2);
  EXPECT_EQ(a->AddRef() - 1, refs - 2);
  a->Release();
  ExpectInStep();

  const SClassInfo* info = SClassInfo::Find("SSymCollection");
  ASSERT_NE(info, nullptr);
  std::unique_ptr<SObject> made(info->CreateObject());
  auto* made_coll = dynamic_cast<SSymCollection*>(made.get());
  ASSERT_NE(made_coll, nullptr);
  EXPECT_EQ(made_coll->GetCount(), 0);
  EXPECT_EQ(made_coll->GetList().GetInitialCapacity(), 50);
}

TEST_F(SymColl, BrushMixedMarks) {
  struct Case {
    SSymBrush first, last;
    DWORD color;
    LONG style, hatch;
  };
  const Case cases[] = {
      {SSymBrush(SSymColor(0x0000FF)), SSymBrush(SSymColor(0xFF0000)), 0xFF000000, 1, 0},  // red and blue
      {SSymBrush(SSymColor(0x00FF00)), SSymBrush(3, SSymColor(0x00FF00)), 0x00FF00, 8, 3},  // solid and hatched
      {SSymBrush(2, SSymColor(0)), SSymBrush(4, SSymColor(0)), 0, 2, 7},                    // two hatches
      {SSymBrush(2, SSymColor(0)), SSymBrush(2, SSymColor(0)), 0, 2, 2},
  };
  for (const Case& c : cases) {
    SSymCollection coll;
    TFmt* a = Make<TFmt>();
    TFmt* b = Make<TFmt>();
    a->m_fmt.m_brush = c.first;
    b->m_fmt.m_brush = c.last;
    coll.Add(a->Sym());
    coll.Add(b->Sym());
    coll.Add(Make<TFmt>(TFmt::Pen)->Sym());  // no brush: skipped
    SSymBrush r;
    coll.GetBrush(r);
    EXPECT_EQ(r.m_color.GetColor(), c.color);
    EXPECT_EQ(r.m_style, c.style);
    EXPECT_EQ(r.m_hatch, c.hatch);
  }
  SSymCollection empty;
  SSymBrush r(2, SSymColor(5));
  empty.GetBrush(r);
  EXPECT_EQ(r.m_style, 1);
  EXPECT_EQ(r.m_color.GetColor(), 0xFFFFFFu);
}

TEST_F(SymColl, PenFontArrowAndStyleMarks) {
  SSymPen pen;
  m_coll.GetPen(pen);
  EXPECT_EQ(pen, SSymPen(1, 0, SSymColor(0)));
  EXPECT_EQ(m_coll.GetArrow(2), 255);  // no point-list members

  TFmt* a = F(TFmt::Pen | TFmt::Font | TFmt::Poly | TFmt::Shadow);
  TFmt* b = F(TFmt::Pen | TFmt::Font | TFmt::Poly | TFmt::Shadow);
  a->m_fmt.m_pen = SSymPen(2, 10, SSymColor(0x112233));
  b->m_fmt.m_pen = SSymPen(2, 20, SSymColor(0x112233));
  m_coll.GetPen(pen);
  EXPECT_EQ(pen, SSymPen(2, -1, SSymColor(0x112233)));
  b->m_fmt.m_pen = SSymPen(3, 10, SSymColor(0));
  m_coll.GetPen(pen);
  EXPECT_EQ(pen, SSymPen(0, 10, SSymColor(0xFF000000)));

  a->m_fmt.m_arrows[1] = 5;
  b->m_fmt.m_arrows[1] = 5;
  EXPECT_EQ(m_coll.GetArrow(2), 5);
  EXPECT_EQ(m_coll.GetArrow(8), 24);
  b->m_fmt.m_arrows[1] = 6;
  EXPECT_EQ(m_coll.GetArrow(2), 255);

  SSymFont font;
  EXPECT_TRUE(m_coll.GetFont(font));
  EXPECT_EQ(font.m_faceName.ToUtf8(), "Arial");
  b->Fnt().m_faceName = SString(u"Courier");
  b->Fnt().m_size = 12;
  b->Fnt().m_pitch = 2;
  m_coll.GetFont(font);
  EXPECT_TRUE(font.m_faceName.IsEmpty());
  EXPECT_EQ(font.m_size, 8);
  EXPECT_EQ(font.m_pitch, -1);
  EXPECT_EQ(font.m_style, 1);
  EXPECT_EQ(m_coll.GetFontColor(), 0u);
  b->m_fmt.m_fonts.GetAt(0).m_color = SSymColor(0xFF);
  EXPECT_EQ(m_coll.GetFontColor(), 0xFF000000u);

  EXPECT_EQ(m_coll.GetShadowStyle(), 0);
  b->m_shadow = 2;
  EXPECT_EQ(m_coll.GetShadowStyle(), -1);
  EXPECT_EQ(m_coll.GetTextStyle(), 0x211);
  b->m_textStyle = 0x10;
  EXPECT_EQ(m_coll.GetTextStyle(), 0);
}


TEST_F(SymColl, LinkNotationValuesCountAsNoStyleAndNoArrow) {
  TNoteLink* link = Make<TNoteLink>();
  m_coll.Add(link->Sym());
  link->m_fmt.m_pen = SSymPen(1, 10, SSymColor(0x112233));  // the notation's pen style
  SSymPen pen;
  m_coll.GetPen(pen);
  EXPECT_EQ(pen, SSymPen(0, 10, SSymColor(0x112233)));
  EXPECT_EQ(std::vector<int>(link->m_preset, link->m_preset + 4), (std::vector<int>{24, 24, 24, 1}));
  // Arrows 24 at every end; the notation prescribes 24 at ends 2 and 4, 0 at end 8.
  EXPECT_EQ(m_coll.GetArrow(2), -1);
  EXPECT_EQ(m_coll.GetArrow(4), -1);
  EXPECT_EQ(m_coll.GetArrow(8), 24);

  link->m_fmt.m_pen.m_style = 2;  // not the notation's style: kept
  m_coll.GetPen(pen);
  EXPECT_EQ(pen.m_style, 2);
  link->m_notation = false;  // no notation: style and arrows as they are
  link->m_fmt.m_pen.m_style = 1;
  m_coll.GetPen(pen);
  EXPECT_EQ(pen.m_style, 1);
  EXPECT_EQ(m_coll.GetArrow(2), 24);

  // A notation arrow on one member and a plain arrow on another differ.
  link->m_notation = true;
  F(TFmt::Pen | TFmt::Poly);
  EXPECT_EQ(m_coll.GetArrow(2), 255);
}
TEST_F(SymColl, TriStateAnswers) {
  EXPECT_EQ(m_coll.GetAutoAdjusted(), 1);  // empty
  EXPECT_EQ(m_coll.GetFilled(), 2);        // no member with a brush
  TFmt* a = F(TFmt::Brush | TFmt::Adjust | TFmt::Font);
  TFmt* b = F(TFmt::Brush | TFmt::Adjust | TFmt::Font);
  F(TFmt::Pen);  // supports none of them
  EXPECT_EQ(m_coll.GetFilled(), 1);
  b->m_fill = 0;
  EXPECT_EQ(m_coll.GetFilled(), 2);
  a->m_fill = 0;
  EXPECT_EQ(m_coll.GetFilled(), 0);

  EXPECT_EQ(m_coll.GetAutoAdjusted(), 0);
  a->m_adjusted = 1;
  EXPECT_EQ(m_coll.GetAutoAdjusted(), 2);
  b->m_adjusted = 1;
  EXPECT_EQ(m_coll.GetAutoAdjusted(), 1);

  a->m_fontStyle = 2 | 4;
  b->m_fontStyle = 2;
  EXPECT_TRUE(m_coll.GetFontStyle(2));
  EXPECT_FALSE(m_coll.GetFontStyle(4));
  EXPECT_EQ(m_coll.GetFontStyle(), 2);
  m_coll.ToggleFontStyle(4, 0);  // not all have it: added where missing
  EXPECT_EQ(b->m_fontStyle, 6);
  m_coll.ToggleFontStyle(4, 0);  // all have it: cleared
  EXPECT_EQ(a->m_fontStyle, 2);
  EXPECT_EQ(b->m_fontStyle, 2);
}

TEST_F(SymColl, SizesSkipPointLists) {
  TFmt* a = F(TFmt::Pen);
  TFmt* b = F(TFmt::Pen);
  F(TFmt::Poly);  // a point list without a size of its own
  SSymSize size;
  m_coll.GetSize(size);
  EXPECT_EQ(size, SSymSize(4801, 3601));
  b->m_rect = SSymRect(0, 3600, 1000, 0);
  m_coll.GetSize(size);
  EXPECT_EQ(size, SSymSize(0, 3601));
  b->m_rect = SSymRect(0, 100, 4800, 0);
  m_coll.GetSize(size);
  EXPECT_EQ(size, SSymSize(0, 0));
  (void)a;
}

TEST_F(SymColl, SettersReachMembersAsOneUndoStep) {
  TFmt* a = F();
  TFmt* b = F(TFmt::Brush);  // no pen
  TFmt* c = F();
  const int steps = m_session->GetUndoCount();
  m_coll.SetPen(SSymPen(3, 15, SSymColor(0xABCDEF)), 1);
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1);
  EXPECT_EQ(a->m_fmt.m_pen, SSymPen(3, 15, SSymColor(0xABCDEF)));
  EXPECT_EQ(c->m_fmt.m_pen, SSymPen(3, 15, SSymColor(0xABCDEF)));
  EXPECT_EQ(b->m_fmt.m_pen, SSymFormat().m_pen);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(a->m_fmt.m_pen, SSymFormat().m_pen);
  EXPECT_EQ(c->m_fmt.m_pen, SSymFormat().m_pen);

  m_coll.SetBrush(SSymBrush(2, SSymColor(0x123)), 1);
  EXPECT_EQ(b->m_fmt.m_brush.m_style, 2);
  m_coll.SetFontColor(0x77, 1);
  EXPECT_EQ(a->m_fmt.m_fonts.GetAt(0).m_color.GetColor(), 0x77u);
  EXPECT_EQ(a->Fnt().m_faceName.ToUtf8(), "Arial");  // the font itself kept
  SSymFont courier;
  courier.m_faceName = SString(u"Courier");
  m_coll.SetFont(courier, 1);
  EXPECT_EQ(c->Fnt().m_faceName.ToUtf8(), "Courier");
  EXPECT_EQ(c->m_fmt.m_fonts.GetAt(0).m_color.GetColor(), 0x77u);
  EXPECT_EQ(b->m_fmt.m_fonts.GetAt(0).m_font.m_faceName.ToUtf8(), "Arial");  // no font face
  m_coll.SetShadow(SSymBrush(SSymColor(0x444444)), 1);
  EXPECT_EQ(a->m_fmt.m_shadowColor.GetColor(), 0x444444u);
  EXPECT_EQ(b->m_fmt.m_shadowColor.GetColor(), 0xC0C0C0u);
}

// A diagram that counts the redraws its symbols ask of it.
class TCountDiagram : public TDiagram {
 public:
  using TDiagram::TDiagram;
  HRESULT SymRedraw(ISSymbol* s) override {
    ++m_redraws[s];
    return S_OK;
  }
  std::map<ISSymbol*, int> m_redraws;
};

// The setters over members of different classes: each member's own setter
// runs with the caller's redraw flag (so each redraws as its class does),
// and the whole change is one undo step.
struct SetterCase {
  const char* name;
  int flag;
  // redraws asked by the standard and the solid member, and the flags the
  // recording member was given
  int stdRedraws, solidRedraws;
  std::vector<int> seen;
};
class SymCollSetters : public SymColl, public ::testing::WithParamInterface<SetterCase> {};

TEST_P(SymCollSetters, EachMemberThroughItsOwnSetter) {
  const SetterCase& c = GetParam();
  TCountDiagram* diagram = Make<TCountDiagram>();
  TStd* st = Place<TStd>(diagram);
  TSolid* solid = Place<TSolid>(diagram);
  TFmt* rec = F(TFmt::Pen);
  m_coll.Add(st->Sym());
  m_coll.Add(solid->Sym());
  const SSymPen before = st->m_pen, beforeSolid = solid->m_pen, beforeRec = rec->m_fmt.m_pen;
  const int steps = m_session->GetUndoCount();

  const SSymPen pen(3, 15, SSymColor(0xABCDEF));
  m_coll.SetPen(pen, c.flag);
  EXPECT_EQ(st->m_pen, pen);
  EXPECT_EQ(solid->m_pen, pen);
  EXPECT_EQ(rec->m_fmt.m_pen, pen);
  EXPECT_EQ(diagram->m_redraws[st->Sym()], c.stdRedraws);
  EXPECT_EQ(diagram->m_redraws[solid->Sym()], c.solidRedraws);
  EXPECT_EQ(rec->m_redrawFlags, c.seen);
  ASSERT_EQ(m_session->GetUndoCount(), steps + 1) << "one undo step for all members";
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(st->m_pen, before);
  EXPECT_EQ(solid->m_pen, beforeSolid);
  EXPECT_EQ(rec->m_fmt.m_pen, beforeRec);
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(st->m_pen, pen);
  EXPECT_EQ(solid->m_pen, pen);
}

INSTANTIATE_TEST_SUITE_P(Flags, SymCollSetters,
                         ::testing::Values(SetterCase{"Redraw", 1, 2, 2, {1}}, SetterCase{"NoRedraw", 0, 0, 0, {0}}),
                         CaseName());

TEST_F(SymColl, EverySetterPassesItsFlag) {
  TCountDiagram* diagram = Make<TCountDiagram>();
  TSolid* solid = Place<TSolid>(diagram);
  TFmt* rec = F(TFmt::Pen | TFmt::Brush | TFmt::Shadow | TFmt::Font | TFmt::Fonts | TFmt::Poly | TFmt::Line);
  m_coll.Add(solid->Sym());
  const int steps = m_session->GetUndoCount();
  const SSymBrush brush = solid->m_brush, shadow = solid->m_shadowBrush;
  const SSymFormat fmt = rec->m_fmt;
  m_coll.SetBrush(SSymBrush(2, SSymColor(0x123)), 0);
  EXPECT_EQ(solid->m_brush.m_style, 2);
  EXPECT_EQ(diagram->m_redraws[solid->Sym()], 0) << "no redraw asked, none made";
  m_coll.SetBrush(SSymBrush(1, SSymColor(0x456)), 1);
  EXPECT_EQ(diagram->m_redraws[solid->Sym()], 1);
  m_coll.SetShadow(SSymBrush(SSymColor(0x444444)), 0);
  EXPECT_EQ(solid->m_shadowBrush.m_color.GetColor(), 0x444444u);
  m_coll.SetPenStyle(4, 1);
  m_coll.SetPenWidth(30, 0);
  EXPECT_EQ(rec->m_fmt.m_pen.m_style, 4);
  EXPECT_EQ(rec->m_fmt.m_pen.m_width, 30);
  m_coll.SetFont(SSymFont(), 1);
  m_coll.SetFontColor(0x77, 0);
  m_coll.SetArrow(8, 3, 1);
  EXPECT_EQ(rec->m_fmt.m_arrows[2], 3);
  SSymFonts entry = rec->m_fmt.m_fonts.GetAt(0);
  entry.m_color = SSymColor(0x99);
  EXPECT_EQ(m_coll.SetFonts(entry, 0), 1);
  EXPECT_EQ(rec->m_fmt.m_fonts.GetAt(0).m_color.GetColor(), 0x99u);
  entry.m_name = SString(u"Nobody");
  EXPECT_EQ(m_coll.SetFonts(entry, 1), 0) << "no member has an entry of that name";
  const std::vector<int> flags = {0, 1, 0, 1, 0, 1, 0, 1, 0};
  EXPECT_EQ(rec->m_redrawFlags, flags);
  EXPECT_EQ(m_session->GetUndoCount(), steps + 10) << "one step per setter";
  for (int i = 0; i < 10; ++i) ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(solid->m_brush, brush);
  EXPECT_EQ(solid->m_shadowBrush.m_color.GetColor(), shadow.m_color.GetColor());
  EXPECT_EQ(rec->m_fmt.m_pen, fmt.m_pen);
  EXPECT_EQ(rec->m_fmt.m_arrows[2], fmt.m_arrows[2]);
  EXPECT_EQ(rec->m_fmt.m_fonts, fmt.m_fonts);
}

TEST_F(SymColl, ShadowStyleIsOneRecord) {
  F(TFmt::Pen);
  const int steps = m_session->GetUndoCount();
  m_coll.SetShadowStyle(2, 1);  // no shadowed member: no record
  EXPECT_EQ(m_session->GetUndoCount(), steps);
  TFmt* a = F();
  TFmt* b = F();
  b->m_shadow = 1;
  m_coll.SetShadowStyle(3, 1);
  EXPECT_EQ(a->m_shadow, 3);
  EXPECT_EQ(b->m_shadow, 3);
  ASSERT_EQ(m_session->GetUndoCount(), steps + 1);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(a->m_shadow, 0);
  EXPECT_EQ(b->m_shadow, 1);
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(b->m_shadow, 3);
}

TEST_F(SymColl, TextAndFontStylesUndoable) {
  TFmt* a = F();
  TFmt* b = F();
  a->m_textStyle = 0x1F3;
  b->m_textStyle = 0x022;
  m_coll.SetTextStyle(0x100, 1);
  EXPECT_EQ(a->m_textStyle, 0x1F0);  // the bits 0xF0 kept, the rest replaced
  EXPECT_EQ(b->m_textStyle, 0x120);
  m_coll.SetFontStyle(4, 1);
  EXPECT_EQ(a->m_fontStyle, 5);
  const int steps = m_session->GetUndoCount();
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(a->m_fontStyle, 1);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(a->m_textStyle, 0x1F3);
  EXPECT_EQ(b->m_textStyle, 0x022);
  EXPECT_EQ(m_session->GetUndoCount(), steps - 2);

  m_session->SetReadOnly(TRUE);  // a session that takes no change
  m_coll.SetTextStyle(0x100, 1);
  m_coll.SetFontStyle(8, 1);
  EXPECT_EQ(a->m_textStyle, 0x1F3);
  EXPECT_EQ(a->m_fontStyle, 1);
  m_session->SetReadOnly(FALSE);
}

TEST_F(SymColl, MoveByAndAlignLink) {
  TSym* a = Place(DiagramOwner(), SSymRect(0, 1000, 2000, 0));
  TSym* b = Place(DiagramOwner(), SSymRect(10005, 1004, 12005, 4));
  TLink* link = Make<TLink>();
  TLink* loop = Make<TLink>();
  link->AttachSym(0, a->Linkable(), SSymPoint());
  link->AttachSym(1, b->Linkable(), SSymPoint());
  loop->AttachSym(0, a->Linkable(), SSymPoint());
  loop->AttachSym(1, a->Linkable(), SSymPoint());
  m_coll.Add(link->Sym());
  m_coll.Add(loop->Sym());
  m_coll.AlignLink();
  ASSERT_EQ(link->m_list.GetCount(), 2);
  EXPECT_EQ(link->m_list.GetAt(0), SSymPoint(1000, 500));
  EXPECT_EQ(link->m_list.GetAt(1), SSymPoint(11005, 500));  // y within 10 units: aligned
  EXPECT_EQ(loop->m_list.GetCount(), 0);

  m_coll.Remove(link->Sym());
  m_coll.Remove(loop->Sym());
  m_coll.Add(a->Sym());
  m_coll.Add(b->Sym());
  m_coll.MoveBy(SSymSize(0, 0), 0);
  EXPECT_EQ(a->m_rect, SSymRect(0, 1000, 2000, 0));
  m_coll.MoveBy(SSymSize(100, -50), 0);
  EXPECT_EQ(a->m_rect, SSymRect(100, 950, 2100, -50));
  EXPECT_EQ(b->m_rect, SSymRect(10105, 954, 12105, -46));
  EXPECT_EQ(m_coll.GetClipRect(), Union(a->m_rect, b->m_rect));
}

}  // namespace
