// The point-list base: the packed arrow word, unknown arrow types, the clamp
// of far coordinates, the clip rectangle, moves, and point-list undo in a
// recording and in a lockout context.
#include <gtest/gtest.h>

#include "kvrep/srepsession.h"
#include "sym/links/sympolybase.h"
#include "support/recording_canvas.h"
#include "support/symtest.h"

namespace {

// Notes which path operation drew.
class PathCanvas : public RecordingCanvas {
 public:
  void Polyline(const SSymListPt& pts, int to) override {
    paths.push_back("Polyline");
    RecordingCanvas::Polyline(pts, to);
  }
  void RoundPolyline(const SSymListPt& pts) override {
    paths.push_back("RoundPolyline");
    RecordingCanvas::RoundPolyline(pts);
  }
  void PolyBezier(const SSymListPt& pts, int to, int exact) override {
    paths.push_back("PolyBezier");
    RecordingCanvas::PolyBezier(pts, to, exact);
  }
  std::vector<std::string> paths;
};

// Keeps the rectangles it is asked to invalidate.
class InvalidCanvas : public RecordingCanvas {
 public:
  void InvalidateRectLP(const SSymRect& r, int) override { invalid.push_back(r); }
  std::vector<SSymRect> invalid;
};

// A diagram that counts the redraws its symbols ask for.
class RedrawDiagram : public TDiagram {
 public:
  using TDiagram::TDiagram;
  HRESULT SymRedraw(ISSymbol*) override {
    ++redraws;
    return S_OK;
  }
  int redraws = 0;
};

bool Inside(const SSymRect& outer, SSymRect inner) {
  inner.Normalize();
  return outer.PtInRect(SSymPoint(inner.x1, inner.y1)) && outer.PtInRect(SSymPoint(inner.x2, inner.y2));
}

class PolyBase : public SymFixture {
 protected:
  SSymPolyBase* Create(const SSymListPt& pts = {SSymPoint(0, 0), SSymPoint(1000, 0)}) {
    void* p = nullptr;
    EXPECT_EQ(m_session->CreateObject(CLSID_SSymPolyBase, IID_ISRepObject, &p), S_OK);
    auto* obj = static_cast<ISRepObject*>(p);
    m_own.push_back(obj);
    auto* poly = dynamic_cast<SSymPolyBase*>(SRepObject::FromInterface(obj));
    EXPECT_NE(poly, nullptr);
    {
      SCurrentContextChange outside(Session(), nullptr);
      poly->SetListPt(pts, 0, 0, 0);
    }
    return poly;
  }
  void TearDown() override {
    for (ISRepObject* o : m_own) o->Release();
    SymFixture::TearDown();
  }
  static SSymListPt Pts(std::initializer_list<SSymPoint> p) { return SSymListPt(p); }
  static bool Same(const SSymListPt& a, const SSymListPt& b) {
    if (a.GetCount() != b.GetCount()) return false;
    for (int i = 0; i < a.GetCount(); ++i)
      if (a[i] != b[i]) return false;
    return true;
  }
  std::vector<ISRepObject*> m_own;
};

TEST_F(PolyBase, ArrowWordRoundTripsSlotByByte) {
  struct {
    LONG word;
    LONG a0, a1, a2, a3;  // types by mask 1, 2, 4, 8
  } cases[] = {
      {0x00000000, 24, 24, 24, 24},
      {0x00000002, 24, 24, 24, 1},
      {0x00000100, 24, 24, 0, 24},
      {0x01020304, 0, 1, 2, 3},
      {0x00004700, 24, 24, 70, 24},
  };
  for (const auto& c : cases) {
    SSymPolyBase* p = Create();
    ASSERT_EQ(p->SetArrows(c.word), S_OK);
    EXPECT_EQ(p->GetArrow(1), c.a0) << std::hex << c.word;
    EXPECT_EQ(p->GetArrow(2), c.a1) << std::hex << c.word;
    EXPECT_EQ(p->GetArrow(4), c.a2) << std::hex << c.word;
    EXPECT_EQ(p->GetArrow(8), c.a3) << std::hex << c.word;
    EXPECT_EQ(p->GetArrows(), c.word);
    SRepVariant v;
    ASSERT_EQ(p->GetAttribute(SymAttr::Arrows, &v), S_OK);
    SSymPolyBase* q = Create();
    ASSERT_EQ(q->SetAttribute(SymAttr::Arrows, v), S_OK);
    EXPECT_EQ(q->GetArrows(), c.word);
  }
}

TEST_F(PolyBase, ArrowTypesOutsideTheCatalogueAreNoArrow) {
  SSymPolyBase* p = Create();
  for (LONG type : {-1L, 71L, 255L, 100000L}) {
    p->SetArrow(8, type, 0);
    EXPECT_EQ(p->GetArrow(8), 24) << type;
    EXPECT_EQ(p->GetArrowHead(3), nullptr) << type;
  }
  // A word whose byte gives type 200: no arrow, and the word reads back 0.
  p->SetArrows(0xC9);
  EXPECT_EQ(p->GetArrows(), 0);
  EXPECT_EQ(p->GetArrow(0), 24);   // not a mask
  EXPECT_EQ(p->GetArrow(16), 24);  // not a mask
  p->SetArrow(1 | 2 | 4 | 8, 5, 0);
  EXPECT_EQ(p->GetArrows(), 0x06060606);
  p->SetArrow(0, 5, 0);  // mask 0 clears every slot
  EXPECT_EQ(p->GetArrows(), 0);
}

TEST_F(PolyBase, FarCoordinatesClampOnTheirOwnSide) {
  struct {
    SSymListPt in, out;
  } cases[] = {
      {Pts({{2000000, 0}, {10, 10}}), Pts({{1794000, 0}, {10, 10}})},
      {Pts({{-2000000, 5}, {10, -1900000}}), Pts({{-1794000, 5}, {10, -5995}})},
      // A later far coordinate goes 6,000 beyond the previous one towards
      // its own side, never across the origin and never out of range.
      {Pts({{-100000, 0}, {1900000, 0}}), Pts({{-100000, 0}, {-94000, 0}})},
      {Pts({{100000, 0}, {-1900000, 0}}), Pts({{100000, 0}, {94000, 0}})},
      {Pts({{1793000, 0}, {1900000, 0}}), Pts({{1793000, 0}, {1794000, 0}})},
      {Pts({{0, 0}, {1800000, -1800000}}), Pts({{0, 0}, {1800000, -1800000}})},
  };
  for (const auto& c : cases) {
    SSymPolyBase* p = Create(c.in);
    EXPECT_TRUE(Same(p->ListPoints(), c.out)) << p->ListPoints()[1].x << "," << p->ListPoints()[1].y;
  }
}

TEST_F(PolyBase, ClipRectOfAHorizontalLineGetsHeight) {
  SSymPolyBase* p = Create(Pts({{0, 0}, {1000, 0}}));
  EXPECT_EQ(p->m_rect, SSymRect(0, 100, 1000, 0));
  SSymPolyBase* v = Create(Pts({{50, 0}, {50, 900}}));
  EXPECT_EQ(v->m_rect, SSymRect(50, 900, 150, 0));
  SSymPolyBase* d = Create(Pts({{0, 0}, {400, 300}, {-100, 50}}));
  EXPECT_EQ(d->m_rect, SSymRect(-100, 300, 400, 0));
}

TEST_F(PolyBase, ArrowheadsReachingOutOfTheLineAreInItsActiveRect) {
  // Each arrowhead sits at a corner of the line's box, turned or upright,
  // and reaches out of it.
  struct {
    const char* name;
    SSymListPt pts;
    int slot;
    LONG type;
  } cases[] = {
      {"diagonal, turned", Pts({{0, 0}, {4000, 4000}}), 3, 18},
      {"diagonal, upright", Pts({{0, 0}, {4000, 4000}}), 2, 41},
      {"bent, at the source", Pts({{0, 0}, {0, 3000}, {3000, 3000}}), 2, 54},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SSymPolyBase* p = Create(c.pts);
    p->SetArrow(1 << c.slot, c.type, 0);
    SSymArrow* a = p->GetArrowHead(c.slot);
    ASSERT_NE(a, nullptr);
    SSymRect head = a->GetClipRect(0, 0);
    head.Normalize();
    InvalidCanvas canvas;
    SSymRect lineOnly = p->SSymStd::GetActiveRect(canvas, 1);
    ASSERT_FALSE(Inside(lineOnly, head)) << "the case must reach out of the line's own rectangle";
    const SSymRect active = p->GetActiveRect(canvas, 1);
    EXPECT_TRUE(Inside(active, head));
    EXPECT_TRUE(Inside(active, lineOnly));
    // The hit test looks there too: the arrowhead's far corner is not
    // dismissed before the line is asked.
    EXPECT_TRUE(active.PtInRect(SSymPoint(head.x2, head.y2)));
  }
}

TEST_F(PolyBase, RedrawAsksTheOwnerAndInvalidatesEachArrowheadOnTheCanvas) {
  auto* diagram = Make<RedrawDiagram>();
  SSymPolyBase* p = Create(Pts({{0, 0}, {4000, 4000}}));
  ASSERT_EQ(diagram->Add(p->Sym()), S_OK);
  p->SetArrow(8, 18, 0);
  p->SetArrow(4, 41, 0);
  diagram->redraws = 0;

  InvalidCanvas canvas;
  EXPECT_EQ(p->Redraw(&canvas), S_OK);
  EXPECT_EQ(diagram->redraws, 1);
  ASSERT_EQ(canvas.invalid.size(), 2u);
  // Slot order: the source arrowhead (slot 2), then the destination's.
  EXPECT_EQ(canvas.invalid[0], p->GetArrowHead(2)->GetActiveRect(canvas, 1));
  EXPECT_EQ(canvas.invalid[1], p->GetArrowHead(3)->GetActiveRect(canvas, 1));

  // Without a canvas only the owner is asked.
  EXPECT_EQ(p->Redraw(nullptr), S_OK);
  EXPECT_EQ(diagram->redraws, 2);
  EXPECT_EQ(canvas.invalid.size(), 2u);

  // While drawing is suppressed nothing happens.
  p->m_state |= SSymBase::StateNoRedraw;
  EXPECT_EQ(p->Redraw(&canvas), S_FALSE);
  EXPECT_EQ(diagram->redraws, 2);
  EXPECT_EQ(canvas.invalid.size(), 2u);
  p->m_state &= ~DWORD(SSymBase::StateNoRedraw);
}

TEST_F(PolyBase, MoveByZeroRecordsNothingAndMovesNothing) {
  SSymPolyBase* p = Create(Pts({{0, 0}, {1000, 0}}));
  {
    SRepCreateContext step(Session());
    EXPECT_EQ(p->MoveBy(SSymSize(0, 0), 0), S_OK);
  }
  EXPECT_EQ(m_session->GetUndoCount(), 0);
  {
    SRepCreateContext step(Session());
    EXPECT_EQ(p->MoveBy(SSymSize(10, 20), 0), S_OK);
  }
  EXPECT_EQ(m_session->GetUndoCount(), 1);
  EXPECT_TRUE(Same(p->ListPoints(), Pts({{10, 20}, {1010, 20}})));
}

TEST_F(PolyBase, SetListPtIsUndoneAndDeferredInALockout) {
  SSymPolyBase* p = Create(Pts({{0, 0}, {1000, 0}}));
  const SSymListPt first = p->ListPoints();
  const SSymListPt second = Pts({{0, 0}, {500, 500}, {1000, 0}});
  {
    SRepCreateContext step(Session());
    p->SetListPt(second, 0, 0, 0);
  }
  EXPECT_TRUE(Same(p->ListPoints(), second));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_TRUE(Same(p->ListPoints(), first));
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_TRUE(Same(p->ListPoints(), second));

  const SSymListPt third = Pts({{0, 0}, {3000000, 0}});
  {
    SRepLockoutContext lock(Session());
    p->SetListPt(third, 0, 0, 0);
    EXPECT_TRUE(Same(p->ListPoints(), second));  // deferred
    SRepVariant v;
    auto* ctx = dynamic_cast<SRepContext*>(lock.GetContext());
    ASSERT_NE(ctx, nullptr);
    ASSERT_EQ(ctx->OverlayPending(p, {SRepFacet::Points()}, v), 1);  // the pending record answers, clamped
    SRep_PtList pending;
    ASSERT_EQ(SRepFromVariant(v, pending), S_OK);
    ASSERT_EQ(pending.pts.size(), 2u);
    EXPECT_EQ(pending.pts[1].x, 6000);
    ASSERT_EQ(lock.Apply(), S_OK);
  }
  EXPECT_TRUE(Same(p->ListPoints(), Pts({{0, 0}, {6000, 0}})));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_TRUE(Same(p->ListPoints(), second));
}

TEST_F(PolyBase, LineStyleAndFormat) {
  SSymPolyBase* p = Create(Pts({{0, 0}, {3000, 2000}}));
  p->SetLineStyle(SSymLineStyle::Corner, 0);
  EXPECT_EQ(p->GetLineStyle(), SSymLineStyle::Corner);
  EXPECT_GE(p->ListPoints().GetCount(), 3);  // squared
  SSymFormatEx f;
  p->SetArrow(8, 3, 0);
  ASSERT_EQ(p->GetFormat(f), S_OK);
  EXPECT_EQ(f.m_lineStyle, SSymLineStyle::Corner);
  EXPECT_EQ(f.m_arrows[2], 3);
  EXPECT_EQ(f.m_arrows[0], 24);

  SSymPolyBase* q = Create();
  SSymFormatEx g;
  g.m_flags = SSymFormatEx::FlagLineStyle | SSymFormatEx::FlagArrows;
  g.m_lineStyle = SSymLineStyle::BezierPerpendicularArrow;  // a non-link gets 11 - 7
  g.m_arrows[0] = 2;
  g.m_arrows[1] = 99;  // unknown: no arrow
  g.m_arrows[2] = 24;
  ASSERT_EQ(q->SetFormat(g), S_OK);
  EXPECT_EQ(q->GetLineStyle(), 4);
  EXPECT_EQ(q->GetArrow(4), 2);
  EXPECT_EQ(q->GetArrow(2), 24);
}

TEST_F(PolyBase, DrawsThePathByLineStyle) {
  struct {
    LONG style;
    const char* call;
  } cases[] = {{0, "Polyline"}, {2, "RoundPolyline"}, {3, "PolyBezier"}, {11, "PolyBezier"}, {1, "Polyline"}};
  for (const auto& c : cases) {
    SSymPolyBase* p = Create(Pts({{0, 0}, {1000, 0}, {1000, 1000}}));
    p->m_shadowStyle = 0;
    p->LineStyle = c.style;
    PathCanvas canvas;
    ASSERT_EQ(p->DrawSymbol(canvas), S_OK);
    ASSERT_FALSE(canvas.paths.empty()) << c.style;
    EXPECT_EQ(canvas.paths.front(), c.call) << c.style;
  }
}

}  // namespace
