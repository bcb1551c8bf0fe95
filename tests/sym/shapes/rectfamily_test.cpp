// The rectangle family: drawing calls read from a canvas that records in
// diagram units, text margins, hit and link tests, creation through the
// class functions, persistence through the repository, undo of moves and
// formats.
#include <gtest/gtest.h>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sstream.h"
#include "kvrep/srepstream.h"
#include "support/recording_canvas.h"
#include "support/reload.h"
#include "support/symtest.h"
#include "sym/shapes/symrectfamily.h"

namespace {

class RectFamily : public SymFixture {
 protected:
  // A symbol of class clsid made through its class functions in the session.
  template <class T>
  T* Create(REFCLSID clsid, const SSymRect& rect = SSymRect(0, 3600, 4800, 0)) {
    void* p = nullptr;
    EXPECT_EQ(m_session->CreateObject(clsid, IID_ISRepObject, &p), S_OK);
    auto* obj = static_cast<ISRepObject*>(p);
    T* t = dynamic_cast<T*>(SRepObject::FromInterface(obj));
    EXPECT_NE(t, nullptr);
    m_own.push_back(obj);
    t->m_rect = rect;
    if (auto* std = dynamic_cast<SSymStd*>(t)) std->m_shadowStyle = 0;
    return t;
  }
  void TearDown() override {
    for (ISRepObject* o : m_own) o->Release();
    SymFixture::TearDown();
  }
  std::vector<std::string> Draw(ISSymbol* s) {
    RecordingCanvas canvas;
    canvas.ClearCalls();
    EXPECT_EQ(s->Draw(canvas), S_OK);
    return canvas.Calls();
  }
  static std::vector<std::string> Figures(const std::vector<std::string>& calls) {
    std::vector<std::string> out;
    for (const auto& c : calls)
      for (const char* f : {"Rectangle", "RoundRect", "Ellipse", "Pie", "Arc", "OffsetViewport"})
        if (c.rfind(f, 0) == 0) out.push_back(c);
    return out;
  }
  RecordingCanvas m_canvas;
  std::vector<ISRepObject*> m_own;
};

TEST_F(RectFamily, ClassFunctionsCreateEachClassWithItsTypes) {
  struct {
    CLSID clsid;
    int type, kind;
  } cases[] = {{CLSID_SSymRectangle, 3, 3}, {CLSID_SSymBlankRectangle, 3, 3}, {CLSID_SSymRoundRect, 4, 4},
               {CLSID_SSymEllipse, 5, 5},   {CLSID_SSymPie, 16, 16},          {CLSID_SSymArc, 6, 79}};
  for (const auto& c : cases) {
    SSymBase* s = Create<SSymBase>(c.clsid);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetSymbolType(), c.type);
    EXPECT_EQ(s->GetSymbolFormType(), c.kind);
    EXPECT_TRUE(SSymIsClassRegistered(SSymFindClassIndex(c.clsid)));
    // The copy the class function makes from a source is of the same class.
    ISRepObject* copy = nullptr;
    ASSERT_EQ(SSymGetClassRecord(SSymFindClassIndex(c.clsid))->create(&copy, nullptr, s), S_OK);
    EXPECT_EQ(SSymBase::FromInterface(copy)->GetSymbolType(), c.type);
    EXPECT_EQ(SSymBase::FromInterface(copy)->m_rect, s->m_rect);
    copy->Release();
  }
}

TEST_F(RectFamily, FilledFiguresDrawPenBrushFigureText) {
  struct {
    CLSID clsid;
    SSymRect rect;
    std::string figure;
  } cases[] = {
      {CLSID_SSymRectangle, {4800, 0, 0, 3600}, "Rectangle 0 3600 4800 0"},
      {CLSID_SSymBlankRectangle, {0, 3600, 4800, 0}, "Rectangle 0 3600 4800 0"},
      {CLSID_SSymRoundRect, {0, 0, 4800, 3600}, "RoundRect 0 3600 4800 0 -1 -1"},
      {CLSID_SSymEllipse, {4800, 3600, 0, 0}, "Ellipse 0 3600 4800 0"},
      // the upper half of an ellipse standing on the bottom edge
      {CLSID_SSymPie, {0, 3600, 4800, 0}, "Pie 0 3600 4800 -3601 4800 0 0 0 0 3600 4800 0"},
  };
  for (const auto& c : cases) {
    auto* s = Create<SSymSolidText>(c.clsid, c.rect);
    s->m_text = SString(u"txt");
    const auto calls = Draw(s->Sym());
    EXPECT_EQ(Figures(calls), std::vector<std::string>{c.figure});
    auto at = [&](const std::string& p) {
      for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].rfind(p, 0) == 0) return static_cast<int>(i);
      return -1;
    };
    // The base selects the brush, then the figure sets the pen and the brush.
    const std::string name = c.figure.substr(0, c.figure.find(' '));
    ASSERT_GE(at(name), 2);
    EXPECT_EQ(calls[static_cast<size_t>(at(name)) - 2].rfind("SetPen", 0), 0u);
    EXPECT_EQ(calls[static_cast<size_t>(at(name)) - 1].rfind("SetBrush", 0), 0u);
    EXPECT_LT(at(c.figure.substr(0, c.figure.find(' '))), at("DrawText"));
  }
}

TEST_F(RectFamily, ShadowsAreDrawnFirstWithTheShadowPenAndBrush) {
  auto* r = Create<SSymRectangle>(CLSID_SSymRectangle);
  r->m_shadowStyle = 1;
  r->m_shadowPen = SSymPen(1, 0, SSymColor(0x808080));
  r->m_shadowBrush = SSymBrush(SSymColor(0x404040));
  r->m_pen = SSymPen(1, 0, SSymColor(0x0000ff));
  const auto calls = Draw(r->Sym());
  const std::vector<std::string> figures = Figures(calls);
  ASSERT_EQ(figures.size(), 3u);
  EXPECT_EQ(figures[0], "OffsetViewport 300 -300");
  EXPECT_EQ(figures[1], "Rectangle 0 3600 4800 0");
  EXPECT_EQ(figures[2], "Rectangle 0 3600 4800 0");
  std::vector<std::string> penCalls;
  for (const auto& c : calls)
    if (c.rfind("SetPen", 0) == 0 || c.rfind("SetBrush", 0) == 0) penCalls.push_back(c);
  ASSERT_GE(penCalls.size(), 4u);
  EXPECT_EQ(penCalls.front(), "SetPen 1 0 808080");
  EXPECT_EQ(penCalls.back(), "SetBrush 1 ffffff");
}

// Drawing uses copies: the blank rectangle's outline and the hollow brush of
// a transparent symbol never reach the stored format.
TEST_F(RectFamily, DrawingLeavesTheStoredFormatAlone) {
  auto* blank = Create<SSymBlankRectangle>(CLSID_SSymBlankRectangle);
  blank->m_pen = SSymPen(1, 0, SSymColor(0x0000ff));
  blank->m_brush = SSymBrush(SSymColor(0x00ff00));
  auto calls = Draw(blank->Sym());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetPen 1 0 00ff00"), calls.end());
  EXPECT_EQ(blank->m_pen.m_color.GetColor(), 0x0000ffu);

  auto* e = Create<SSymEllipse>(CLSID_SSymEllipse);
  e->m_pen = SSymPen(1, 0, SSymColor(0x0000ff));
  e->m_brush = SSymBrush(SSymColor(0x00ff00));
  calls = Draw(e->Sym());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetPen 1 0 0000ff"), calls.end());
  e->m_bOutlineInFillColor = 1;
  calls = Draw(e->Sym());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetPen 1 0 00ff00"), calls.end());
  EXPECT_EQ(e->m_pen.m_color.GetColor(), 0x0000ffu);

  e->SetTransparent(1);
  calls = Draw(e->Sym());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetBrush 4 00ff00"), calls.end());
  EXPECT_EQ(e->m_brush.m_style, SSymBrush::Solid);
  e->SetTransparent(0);
  calls = Draw(e->Sym());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetBrush 1 00ff00"), calls.end());
}

TEST_F(RectFamily, ArcDrawsTheDefaultQuarterByDrawingDirection) {
  struct {
    SSymRect rect;
    std::string arc;
    bool shadowShifted;
  } cases[] = {
      {{0, 3600, 4800, 0}, "Arc -4800 7200 4800 0 0 0 4800 3600", false},
      {{4800, 0, 0, 3600}, "Arc 0 3600 9600 -3600 4800 3600 0 0", false},
      {{4800, 3600, 0, 0}, "Arc -4800 3600 4800 -3600 4800 0 0 3600", true},
      {{0, 0, 4800, 3600}, "Arc 0 7200 9600 0 0 3600 4800 0", true},
  };
  for (const auto& c : cases) {
    auto* a = Create<SSymArc>(CLSID_SSymArc, c.rect);
    EXPECT_EQ(Figures(Draw(a->Sym())), std::vector<std::string>{c.arc});
    a->m_shadowStyle = 1;
    std::vector<std::string> expected = {"OffsetViewport 300 -300"};
    if (c.shadowShifted) expected.push_back("OffsetViewport -600 0");
    expected.push_back(c.arc);
    if (c.shadowShifted) expected.push_back("OffsetViewport 600 0");
    expected.push_back(c.arc);
    EXPECT_EQ(Figures(Draw(a->Sym())), expected) << c.arc;
  }
  // Points of its own: drawn on the stored rectangle.
  auto* a = Create<SSymArc>(CLSID_SSymArc, SSymRect(4800, 0, 0, 3600));
  a->m_start = SSymPoint(0, 0);
  a->m_end = SSymPoint(4800, 3600);
  EXPECT_EQ(Figures(Draw(a->Sym())), std::vector<std::string>{"Arc 4800 0 0 3600 0 0 4800 3600"});
}

TEST_F(RectFamily, TextMarginsOfRoundedRectangleAndEllipse) {
  struct {
    CLSID clsid;
    SSymRect rect;
    SSymRect margin;
  } cases[] = {
      {CLSID_SSymRoundRect, {0, 16, 16, 0}, {151, 151, 151, 151}},
      {CLSID_SSymRoundRect, {0, 3600, 4800, 0}, {282, 282, 282, 282}},
      {CLSID_SSymRoundRect, {0, 0, 0, 0}, {150, 150, 150, 150}},
      {CLSID_SSymEllipse, {0, 3600, 4800, 0}, {1350, 392, 1350, 392}},
      // twice as wide as high (a = 2400, b = 1200): d = 2400, side margins
      // d + 150 even beyond half the width
      {CLSID_SSymEllipse, {0, 2400, 4800, 0}, {2550, 150, 2550, 150}},
      // four times (a = 3600, b = 900): d = 4800, height there 900 * sqrt(8/9)
      {CLSID_SSymEllipse, {0, 1800, 7200, 0}, {4950, 202, 4950, 202}},
      // taller than wide and flat: d = 1200 wherever it stands
      {CLSID_SSymEllipse, {0, 4800, 2400, 0}, {1350, 150, 1350, 150}},
      {CLSID_SSymEllipse, {0, 0, 4800, 0}, {1350, 150, 1350, 150}},
      // degenerate: d beyond the far side (thin, small, wide and low) and one
      // unit wide; defined and held within half the size, at least 150
      {CLSID_SSymEllipse, {0, 4800, 100, 0}, {150, 2400, 150, 2400}},
      {CLSID_SSymEllipse, {0, 1000, 1000, 0}, {500, 500, 500, 500}},
      {CLSID_SSymEllipse, {0, 100, 4800, 0}, {2400, 150, 2400, 150}},
      {CLSID_SSymEllipse, {0, 100, 0, 0}, {150, 150, 150, 150}},
  };
  for (const auto& c : cases) {
    auto* s = Create<SSymSolidText>(c.clsid, c.rect);
    const SSymRect m = s->GetMargin();
    const SSymRect cr = s->GetClipRect(0, 0);
    EXPECT_EQ(m, c.margin) << m.x1 << " " << m.y1 << " " << m.x2 << " " << m.y2 << " clip " << cr.x1 << " " << cr.y1 << " " << cr.x2 << " " << cr.y2;
  }
  // The other filled classes keep the base's margins.
  EXPECT_EQ(Create<SSymPie>(CLSID_SSymPie)->GetMargin(),
            SSymRect(SSymSolidText::MarginX, SSymSolidText::MarginY, SSymSolidText::MarginX, SSymSolidText::MarginY));
}

TEST_F(RectFamily, HitTestsOfRoundFiguresAndTransparentOnes) {
  auto* e = Create<SSymEllipse>(CLSID_SSymEllipse, SSymRect(0, 6000, 12000, 0));
  auto* rr = Create<SSymRoundRect>(CLSID_SSymRoundRect, SSymRect(0, 6000, 12000, 0));
  struct {
    SSymPoint pt;
    bool opaque, transparent;
  } cases[] = {
      {{6000, 3000}, true, false},   // the middle
      {{6000, 5900}, true, true},    // 100 inside the outline
      {{6000, 6200}, false, true},   // 200 outside
      {{6000, 6400}, false, false},  // 400 outside
      {{6000, 5500}, true, false},   // 500 inside
  };
  for (SSymRoundFigure* s : {static_cast<SSymRoundFigure*>(e), static_cast<SSymRoundFigure*>(rr)}) {
    for (const auto& c : cases) {
      s->SetTransparent(0);
      EXPECT_EQ(s->IsPtInSym(m_canvas, c.pt, nullptr, nullptr) != 0, c.opaque) << c.pt.y;
      s->SetTransparent(1);
      EXPECT_EQ(s->IsPtInSym(m_canvas, c.pt, nullptr, nullptr) != 0, c.transparent) << c.pt.y;
      EXPECT_EQ(s->IsLinkPtInSym(m_canvas, c.pt, nullptr, 0) != 0, c.transparent) << c.pt.y;
    }
    s->SetTransparent(0);
  }
  // The corner of the rectangle lies outside the ellipse.
  EXPECT_FALSE(e->IsPtInSym(m_canvas, SSymPoint(200, 5800), nullptr, nullptr));
  e->Flags |= SSymBase::FlagHidden;
  EXPECT_FALSE(e->IsPtInSym(m_canvas, SSymPoint(6000, 3000), nullptr, nullptr));
}

TEST_F(RectFamily, KeptSizeEllipseReportsNoHandleButIsHit) {
  auto* e = Create<SSymEllipse>(CLSID_SSymEllipse, SSymRect(0, 6000, 12000, 0));
  const SSymRect clip = e->GetClipRect(1, 0);
  int handle = 7;
  ASSERT_TRUE(e->IsPtInSym(m_canvas, SSymPoint(clip.x2, clip.y1), &handle, nullptr));
  EXPECT_EQ(handle, 2);
  e->SetKeepSize(true);
  struct {
    SSymPoint pt;
  } presses[] = {{{clip.x2, clip.y1}}, {{(clip.x1 + clip.x2) / 2, clip.y1}}, {{clip.x2, (clip.y1 + clip.y2) / 2}}};
  for (const auto& p : presses) {
    handle = 7;
    EXPECT_TRUE(e->IsPtInSym(m_canvas, p.pt, &handle, nullptr));
    EXPECT_EQ(handle, -1);
  }
}

TEST_F(RectFamily, IntersectionsWithTheOutlines) {
  auto* e = Create<SSymEllipse>(CLSID_SSymEllipse, SSymRect(0, 6000, 12000, 0));
  auto* rr = Create<SSymRoundRect>(CLSID_SSymRoundRect, SSymRect(0, 6000, 12000, 0));
  auto* arc = Create<SSymArc>(CLSID_SSymArc, SSymRect(0, 6000, 12000, 0));
  const SSymSegment in(SSymPoint(6000, 3000), SSymPoint(20000, 3000));
  for (ISSymLinkable* l : {e->Linkable(), rr->Linkable(), arc->Linkable()}) {
    SSymPoint out(-1, -1);
    ASSERT_TRUE(l->GetIntersection(in, &out));
    EXPECT_NEAR(out.x, 12000, 5);
    EXPECT_EQ(out.y, 3000);
    SSymPoint kept(-1, -1);
    EXPECT_FALSE(l->GetIntersection(SSymSegment(SSymPoint(20000, 0), SSymPoint(30000, 0)), &kept));
    EXPECT_EQ(kept, SSymPoint(-1, -1));
  }
  // The ellipse is met on its curve, inside the corner of its rectangle.
  SSymPoint out;
  ASSERT_TRUE(e->Linkable()->GetIntersection(SSymSegment(SSymPoint(6000, 3000), SSymPoint(20000, 10000)), &out));
  EXPECT_LT(out.x, 11000);
}

TEST_F(RectFamily, ArcPointsFollowMovesAndTransformsAndUndo) {
  auto* a = Create<SSymArc>(CLSID_SSymArc, SSymRect(0, 3600, 4800, 0));
  m_diagram->Add(a->Sym());
  a->m_start = SSymPoint(0, 0);
  a->m_end = SSymPoint(4800, 3600);
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(a->MoveBy(SSymSize(100, 200), 0), S_OK);
    // The move record knows the diagram of the symbols it moves.
    auto* move = dynamic_cast<SSymActionMove*>(step.GetContext()->GetLastAction());
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(move->m_diagram.Get(), Diagram());
  }
  EXPECT_EQ(a->m_rect, SSymRect(100, 3800, 4900, 200));
  EXPECT_EQ(a->m_start, SSymPoint(100, 200));
  EXPECT_EQ(a->m_end, SSymPoint(4900, 3800));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(a->m_rect, SSymRect(0, 3600, 4800, 0));
  EXPECT_EQ(a->m_start, SSymPoint(0, 0));
  EXPECT_EQ(a->m_end, SSymPoint(4800, 3600));

  SSymMatrix m;
  m.SetTransform(SSymRect(0, 3600, 4800, 0), SSymRect(0, 7200, 9600, 0));
  ASSERT_EQ(a->Transform(m, 0), S_OK);
  EXPECT_EQ(a->m_end, m.Transform(SSymPoint(4800, 3600)));

  // Equal points (a default quarter) stay equal.
  auto* q = Create<SSymArc>(CLSID_SSymArc);
  q->MoveBy(SSymSize(50, 50), 0);
  EXPECT_EQ(q->m_start, q->m_end);
  EXPECT_EQ(q->m_start, SSymPoint());
}

TEST_F(RectFamily, MovesAndFormatsUndo) {
  for (const CLSID& clsid : {CLSID_SSymRectangle, CLSID_SSymBlankRectangle, CLSID_SSymRoundRect, CLSID_SSymEllipse,
                             CLSID_SSymPie}) {
    auto* s = Create<SSymSolidText>(clsid);
    m_diagram->Add(s->Sym());
    {
      SRepCreateContext step(Session());
      s->MoveBy(SSymSize(300, -300), 0);
    }
    {
      SRepCreateContext step(Session());
      ASSERT_EQ(s->SetFillColor(0x123456), S_OK);
    }
    EXPECT_EQ(s->m_rect, SSymRect(300, 3300, 5100, -300));
    EXPECT_EQ(s->GetFillColor(), 0x123456);
    ASSERT_EQ(m_session->Undo(), S_OK);
    EXPECT_NE(s->GetFillColor(), 0x123456);
    ASSERT_EQ(m_session->Undo(), S_OK);
    EXPECT_EQ(s->m_rect, SSymRect(0, 3600, 4800, 0));
  }
}

TEST_F(RectFamily, AttributesPersistThroughTheRepository) {
  std::vector<ISRepObject*> written;
  const CLSID classes[] = {CLSID_SSymRectangle, CLSID_SSymBlankRectangle, CLSID_SSymRoundRect,
                           CLSID_SSymEllipse,   CLSID_SSymPie,            CLSID_SSymArc};
  LONG n = 0;
  for (const CLSID& clsid : classes) {
    auto* s = Create<SSymStd>(clsid, SSymRect(n, 3600 + n, 4800 + n, n));
    s->m_pen = SSymPen(1, 0, SSymColor(0x000100 * static_cast<DWORD>(n + 1)));
    if (auto* solid = dynamic_cast<SSymSolidText*>(s)) {
      solid->m_text = SString(u"text");
      solid->m_brush = SSymBrush(SSymColor(0x010101 * static_cast<DWORD>(n + 1)));
    }
    written.push_back(s->Obj());
    ++n;
  }
  kvtest::Reloaded reloaded;
  kvtest::ReloadInNewSession(written, reloaded);
  ASSERT_EQ(reloaded.saved, S_OK);
  ASSERT_EQ(reloaded.loaded, S_OK);
  EXPECT_TRUE(reloaded.silent);  // the empty standard blob reads back silently
  const std::vector<ISRepObject*>& loaded = reloaded.objects;
  ASSERT_EQ(loaded.size(), written.size());
  for (size_t i = 0; i < loaded.size(); ++i) {
    auto* was = dynamic_cast<SSymStd*>(SRepObject::FromInterface(written[i]));
    auto* now = dynamic_cast<SSymStd*>(SRepObject::FromInterface(loaded[i]));
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->GetSymbolType(), was->GetSymbolType());
    EXPECT_EQ(now->m_rect, was->m_rect);
    EXPECT_EQ(now->m_pen, was->m_pen);
    if (auto* solid = dynamic_cast<SSymSolidText*>(was)) {
      auto* back = dynamic_cast<SSymSolidText*>(now);
      ASSERT_NE(back, nullptr);
      EXPECT_EQ(back->m_text.ToUtf8(), "text");
      EXPECT_EQ(back->GetFillColor(), solid->GetFillColor());
    }
  }
}

// Zero-sized and inverted rectangles and the edge of the drawing area:
// defined figures, margins and hit tests.
TEST_F(RectFamily, ZeroSizedInvertedAndEdgeRectangles) {
  // The drawing area ends at 900000 units; point lists may reach 1800000.
  const SSymRect rects[] = {{0, 0, 0, 0},
                            {100, -100, -100, 100},
                            {899990, 900000, 900000, 899990},
                            {-900000, -899990, -899990, -900000},
                            {-1800000, 1800000, 1800000, -1800000}};
  for (const SSymRect& r : rects) {
    for (const CLSID& clsid : {CLSID_SSymRoundRect, CLSID_SSymEllipse, CLSID_SSymPie, CLSID_SSymArc}) {
      auto* s = Create<SSymStd>(clsid, r);
      EXPECT_FALSE(Draw(s->Sym()).empty());
      s->IsPtInSym(m_canvas, SSymPoint(r.x1, r.y1), nullptr, nullptr);
      if (auto* t = dynamic_cast<SSymSolidText*>(s)) {
        const SSymRect m = t->GetMargin();
        EXPECT_GE(m.x1, 150);
        EXPECT_GE(m.y1, 150);
      }
    }
  }
}

}  // namespace
