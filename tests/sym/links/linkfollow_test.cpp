// Links following their end symbols: a moved and a transformed end symbol in
// each attach-point mode (read from the user's registry), the Manhattan
// threshold under which a recomputed end keeps its place, the redraw of a
// link clipped over a symbol, and the move of a link under the common owner
// of its ends.
#include <gtest/gtest.h>

#include <stdexcept>

#include "kvlib/suserregistry.h"
#include "support/link_fixture.h"
#include "support/recording_canvas.h"

namespace {

// The user's tool options, where the attach-point mode is kept.
SUserRegistry ToolOptions() { return SUserRegistry(SUserRegistry::sApplicationRoot + SString("ModelOptions\\Tool")); }
const SString kModeName("LinkSymbolAttachPointMode");

SSymRect BoundsOf(SSymBase* s) {
  SSymRect r = s->m_rect;
  r.Normalize();
  return r;
}

class LinkFollow : public LinkFixture {
 protected:
  void TearDown() override {
    ToolOptions().GetUser().DeleteProfile(kModeName);
    LinkFixture::TearDown();
  }
  // Stores mode in the registry and makes the links read it again.
  static void UseMode(int mode) {
    ASSERT_EQ(ToolOptions().WriteProfile(kModeName, long(mode)), ERROR_SUCCESS);
    g_nLinkAttachPointMode = -1;
  }
  static bool Orthogonal(const SSymListPt& pts) {
    for (int i = 1; i < pts.GetCount(); ++i)
      if (pts[i].x != pts[i - 1].x && pts[i].y != pts[i - 1].y) return false;
    return true;
  }
};

TEST_F(LinkFollow, ModeIsReadOnceFromTheUserRegistry) {
  g_nLinkAttachPointMode = -1;
  EXPECT_EQ(SSymGetLinkAttachPointMode(), 0);  // no value: the default
  UseMode(6);
  EXPECT_EQ(SSymGetLinkAttachPointMode(), 6);
  ASSERT_EQ(ToolOptions().WriteProfile(kModeName, 2L), ERROR_SUCCESS);
  EXPECT_EQ(SSymGetLinkAttachPointMode(), 6);  // kept for the process
  // A negative value counts as not read: the next use reads again.
  UseMode(-3);
  EXPECT_EQ(SSymGetLinkAttachPointMode(), -3);
  ASSERT_EQ(ToolOptions().WriteProfile(kModeName, 4L), ERROR_SUCCESS);
  EXPECT_EQ(SSymGetLinkAttachPointMode(), 4);
}

TEST_F(LinkFollow, MovedEndSymbolIsFollowedInEveryMode) {
  for (int mode = 0; mode <= 6; ++mode) {
    for (LONG style : {0L, 1L}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " style " << style);
      UseMode(mode);
      SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
      SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
      SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5200, 500}}, style);
      const SSymListPt before = l->ListPt;
      {
        SRepCreateContext step(Session());
        ASSERT_EQ(b->MoveBy(SSymSize(0, 300), 0), S_OK);
      }
      if (style == 0) {
        EXPECT_EQ(l->ListPt[0], SSymPoint(500, 500));
        EXPECT_EQ(Last(l), SSymPoint(5200, 800));
      } else {
        // Routed: the line stays orthogonal between the two symbols.
        EXPECT_TRUE(Orthogonal(l->ListPt));
        EXPECT_TRUE(SSymRect(0, 1000, 1000, 0).PtInRect(l->ListPt[0]));
        EXPECT_TRUE(SSymRect(5000, 1300, 6000, 300).PtInRect(Last(l)));
      }
      ASSERT_EQ(m_session->Undo(), S_OK);
      EXPECT_EQ(b->m_rect, SSymRect(5000, 1000, 6000, 0));
      ASSERT_EQ(l->ListPt.GetCount(), before.GetCount());
      for (int i = 0; i < before.GetCount(); ++i) EXPECT_EQ(l->ListPt[i], before[i]) << i;
    }
  }
}

TEST_F(LinkFollow, TransformedEndSymbolInEveryMode) {
  // b grows to twice its width about its left side: an end at (5200, y),
  // still inside b and accepted there, would go to (5400, y); the mode says
  // whether it may stay. A shift of b by 1000 leaves (5200, y) outside it:
  // then the end moves whatever the mode.
  const SSymMatrix grow = [] {
    SSymMatrix m;
    m.SetTransform(SSymRect(5000, 1000, 6000, 0), SSymRect(5000, 1000, 7000, 0));
    return m;
  }();
  const SSymMatrix shift = [] {
    SSymMatrix m;
    m.SetTransform(SSymRect(5000, 1000, 6000, 0), SSymRect(6000, 1000, 7000, 0));
    return m;
  }();
  const SSymListPt aligned{{500, 500}, {5200, 500}};  // two points, horizontal
  const SSymListPt slanted{{500, 900}, {5200, 500}};  // two points, 400 off
  const SSymListPt bent{{500, 500}, {3000, 500}, {3000, 500}, {5200, 500}};
  struct Case {
    int mode;
    LONG style;
    const SSymListPt* route;
    const SSymMatrix* matrix;
    LONG endX;  // where the end is afterwards
  } cases[] = {
      {0, 0, &aligned, &grow, 5400},  {0, 1, &aligned, &grow, 5400}, {1, 0, &aligned, &grow, 5200},
      {1, 0, &slanted, &grow, 5400},  {1, 0, &bent, &grow, 5400},    {2, 0, &aligned, &grow, 5400},
      {2, 1, &aligned, &grow, 5200},  {2, 1, &bent, &grow, 5400},    {3, 0, &aligned, &grow, 5400},
      {3, 2, &aligned, &grow, 5200},  {3, 1, &bent, &grow, 5200},    {4, 0, &aligned, &grow, 5200},
      {4, 0, &slanted, &grow, 5400},  {4, 1, &bent, &grow, 5200},    {5, 0, &slanted, &grow, 5200},
      {5, 0, &bent, &grow, 5200},     {6, 0, &slanted, &grow, 5200}, {6, 0, &aligned, &shift, 6200},
      {6, 1, &aligned, &shift, 6200}, {7, 0, &aligned, &grow, 5400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " style " << c.style << " points " << c.route->GetCount()
                                    << " end " << c.endX);
    UseMode(c.mode);
    SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
    SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
    SSymLinkBase* l = Link(a, b, *c.route, c.style);
    ASSERT_EQ(b->Transform(*c.matrix, 0), S_OK);
    EXPECT_EQ(Last(l).x, c.endX);
    EXPECT_TRUE(BoundsOf(b).PtInRect(Last(l)));
    EXPECT_EQ(l->ListPt[0].x, 500);  // the other end stays
    if (c.style != 0) {
      EXPECT_TRUE(Orthogonal(l->ListPt));
    }
  }
}

TEST_F(LinkFollow, ManhattanThresholdKeepsOrTakesTheRecomputedEnd) {
  // b moves down by 2k: the routed line is straightened half way, k from
  // each stored end. Under 75 units of Manhattan distance each end keeps its
  // place; at 75 both take the straightened line.
  struct {
    LONG k;
    SSymPoint first, last;
  } cases[] = {{74, {500, 500}, {5500, 648}}, {75, {500, 575}, {5500, 575}}, {10, {500, 500}, {5500, 520}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "k " << c.k);
    SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
    SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
    SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5500, 500}}, SSymLineStyle::Corner);
    {
      SRepCreateContext step(Session());
      ASSERT_EQ(b->MoveBy(SSymSize(0, 2 * c.k), 0), S_OK);
    }
    EXPECT_EQ(l->ListPt[0], c.first);
    EXPECT_EQ(Last(l), c.last);
    EXPECT_TRUE(Orthogonal(l->ListPt));
  }
}

// A link that counts the routes written to it while an undo or redo is
// applied, and how many of them found that step the session's current
// context.
class ProbeLink : public SSymLinkBase {
 public:
  explicit ProbeLink(ISRepSession* s) : SSymLinkBase(s) {}
  using SSymLinkBase::SetListPt;
  HRESULT SetListPt(const SSymListPt& pts, int redraw, int a, int b) override {
    SRepSession* s = GetSessionImpl();
    if (ISRepContext* applying = SRepGetApplyingContext(s)) {
      ++appliedWrites;
      if (s->Current() == applying) ++inApplyingContext;
    }
    return SSymLinkBase::SetListPt(pts, redraw, a, b);
  }
  int appliedWrites = 0;
  int inApplyingContext = 0;
};

TEST_F(LinkFollow, RouteRewrittenWhileAStepIsAppliedIsWrittenInThatStep) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  auto* l = new ProbeLink(Session());
  l->AddRef();
  ASSERT_EQ(l->SetSession(Session()), S_OK);
  m_own.push_back(l->Obj());
  const SSymListPt route{{500, 500}, {5500, 500}};
  {
    SCurrentContextChange outside(Session(), nullptr);
    l->DelSymArrow(3);
    l->ListPt = route;
    ASSERT_EQ(l->AttachSym(0, a->Linkable(), route[0]), S_OK);
    ASSERT_EQ(l->AttachSym(1, b->Linkable(), route[1]), S_OK);
    l->LineStyle = SSymLineStyle::Corner;
    l->ListPt = route;
  }
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(b->MoveBy(SSymSize(2000, 3000), 1), S_OK);
  }
  const SSymListPt moved = l->ListPt;
  ASSERT_FALSE(moved.GetCount() == route.GetCount() && moved[1] == route[1]);

  // Undo puts the recorded route back before b moves back, so the route
  // recomputed then is the same and nothing more is written.
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(m_session->Current(), nullptr);
  ASSERT_EQ(l->ListPt.GetCount(), route.GetCount());
  for (int i = 0; i < route.GetCount(); ++i) EXPECT_EQ(l->ListPt[i], route[i]) << i;

  // Redo moves b first: the route follows it and is written inside the
  // step being applied, which is no longer current afterwards.
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_GT(l->appliedWrites, 0);
  EXPECT_GT(l->inApplyingContext, 0);
  EXPECT_EQ(m_session->Current(), nullptr);
  ASSERT_EQ(l->ListPt.GetCount(), moved.GetCount());
  for (int i = 0; i < moved.GetCount(); ++i) EXPECT_EQ(l->ListPt[i], moved[i]) << i;

  ASSERT_EQ(m_session->Undo(), S_OK);
  ASSERT_EQ(l->ListPt.GetCount(), route.GetCount());
  for (int i = 0; i < route.GetCount(); ++i) EXPECT_EQ(l->ListPt[i], route[i]) << i;
}

// ---- drawing over a symbol ------------------------------------------------------------------------------------

// Notes, for each path drawn, the clip box of the context and the first
// point; throws on demand.
class ClipCanvas : public RecordingCanvas {
 public:
  void Polyline(const SSymListPt& pts, int to) override {
    if (m_throw) throw std::runtime_error("drawing failed");
    RECT box{};
    clipped.push_back(GetClipBox(GetCanvasDC()->GetSafeHdc(), &box) != NULLREGION && box.right - box.left < 800);
    RecordingCanvas::Polyline(pts, to);
  }
  std::vector<bool> clipped;
  bool m_throw = false;
};

TEST_F(LinkFollow, ClipOverASymbolFollowsTheRouteOutOfAnEnd) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  SSymRectangle* other = Box(SSymRect(2000, 3000, 3000, 2000));
  SSymRectangle* plain = Box(SSymRect(2000, 3000, 3000, 2000));
  plain->m_display &= ~SSymBase::DispLinkable;
  SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {500, 800}, {5500, 800}, {5500, 500}});
  struct {
    const char* name;
    ISSymbol* symbol;
    int fromSource;
    bool drawn;
    SSymRect clip;
  } cases[] = {
      // From the source: (500, 500), (500, 800) inside, then out through
      // the right side at (1000, 800); 501 wide, 301 high; inflated by 150.
      {"source", a->Sym(), 1, true, SSymRect(350, 950, 1150, 350)},
      // From the destination: (5500, 500), (5500, 800), out at (5000, 800).
      {"destination", b->Sym(), 0, true, SSymRect(4850, 950, 5650, 350)},
      // Not an end: the symbol's rectangle.
      {"other", other->Sym(), 1, true, SSymRect(2000, 3000, 3000, 2000)},
      {"not linkable", plain->Sym(), 1, false, SSymRect()},
  };
  for (const auto& c : cases) {
    SSymRect clip;
    EXPECT_EQ(l->GetOverSymbolClip(c.fromSource, c.symbol, clip), c.drawn) << c.name;
    if (c.drawn) {
      EXPECT_EQ(clip, c.clip) << c.name;
    }
  }
  // A piece thinner than 30 units is widened to 150 (lower side down by
  // (150 - extent) / 2), then cut by the symbol and inflated.
  l->ListPt = SSymListPt{{500, 500}, {500, 510}, {5500, 510}, {5500, 500}};
  SSymRect clip;
  ASSERT_TRUE(l->GetOverSymbolClip(1, a->Sym(), clip));
  // (500, 500) to (1000, 510): 11 high, so 431 to 580.
  EXPECT_EQ(clip, SSymRect(350, 730, 1150, 281));
  ClipCanvas canvas;
  EXPECT_EQ(SSymLinkBase::DrawOverSymbol(nullptr, canvas, 1, a->Sym()), E_POINTER);
  EXPECT_EQ(SSymLinkBase::DrawOverSymbol(l->Sym(), canvas, 1, nullptr), E_POINTER);
  EXPECT_TRUE(canvas.clipped.empty());
}

TEST_F(LinkFollow, DrawOverSymbolLeavesTheEndsAndRestoresTheCheck) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  SSymRectangle* other = Box(SSymRect(2000, 1000, 3000, 0));  // under the link
  SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5500, 500}});
  l->ListPt[0] = SSymPoint(-2000, 500);  // the source end left its symbol
  {
    ClipCanvas canvas;
    ASSERT_EQ(SSymLinkBase::DrawOverSymbol(l->Sym(), canvas, 1, other->Sym()), S_OK);
    ASSERT_FALSE(canvas.clipped.empty());
    EXPECT_TRUE(canvas.clipped[0]);
    EXPECT_EQ(l->ListPt[0], SSymPoint(-2000, 500));  // not put back while clipped
    EXPECT_TRUE(g_bCheckLinkEndsOnDraw);
  }
  {
    ClipCanvas canvas;
    canvas.m_throw = true;
    EXPECT_THROW(SSymLinkBase::DrawOverSymbol(l->Sym(), canvas, 1, other->Sym()), std::runtime_error);
    EXPECT_TRUE(g_bCheckLinkEndsOnDraw);  // restored although the drawing threw
  }
  {
    ClipCanvas canvas;
    ASSERT_EQ(l->Draw(canvas), S_OK);
    EXPECT_FALSE(canvas.clipped.empty());  // a link marked changed still draws
    EXPECT_TRUE(BoundsOf(a).PtInRect(l->ListPt[0]));  // the ordinary drawing puts it back
  }
  // A link without ends draws nothing over a symbol.
  auto* bare = NewLink<SSymLinkBase>();
  ClipCanvas canvas;
  EXPECT_EQ(SSymLinkBase::DrawOverSymbol(bare->Sym(), canvas, 1, a->Sym()), S_FALSE);
  EXPECT_TRUE(canvas.clipped.empty());
}

// ---- re-parenting ---------------------------------------------------------------------------------------------

TEST_F(LinkFollow, AttachedLinkMovesUnderTheCommonOwnerOfItsEnds) {
  TComp* comp = Place<TComp>(DiagramOwner());
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  SSymRectangle* out = Box(SSymRect(9000, 1000, 10000, 0));
  comp->Add(a->Sym());
  comp->Add(b->Sym());
  DiagramOwner()->Add(out->Sym());
  auto owner = [](SSymBase* s) {
    SComOut<ISSymOwner> o;
    s->GetOwner(&o);
    return SComWrap<ISSymOwner>(o.Get());
  };
  ISSymOwner* compOwner = SComWrap<ISSymOwner>(comp->Sym()).Get();
  auto* l = NewLink<SSymLinkBase>();
  l->DelSymArrow(3);
  l->ListPt = SSymListPt{{500, 500}, {5500, 500}};
  DiagramOwner()->Add(l->Sym());
  ASSERT_EQ(l->AttachSym(0, a->Linkable(), SSymPoint(500, 500)), S_OK);
  EXPECT_EQ(owner(l).Get(), DiagramOwner());
  EXPECT_FALSE(comp->Contains(l->Sym(), 0));  // one end only: no common owner yet
  ASSERT_EQ(l->AttachSym(1, b->Linkable(), SSymPoint(5500, 500)), S_OK);
  EXPECT_TRUE(comp->Contains(l->Sym(), 0));
  EXPECT_EQ(owner(l).Get(), compOwner);
  EXPECT_EQ(SSymLinkBase::MoveUnderExpectedSymbolParent(l->Sym()), 0);  // already there
  // A route inside the composite leaves it alone; one that goes out of it
  // makes it grow around it.
  const int changed = comp->m_childChanged;
  l->SetListPt(SSymListPt{{500, 500}, {3000, 500}, {5500, 500}}, 0, 0, 0);
  EXPECT_EQ(comp->m_childChanged, changed);
  l->SetListPt(SSymListPt{{500, 500}, {500, 40000}, {5500, 40000}, {5500, 500}}, 0, 0, 0);
  EXPECT_EQ(comp->m_childChanged, changed + 1);
  // An end outside the composite: the ends share no owner but the diagram,
  // which is never answered; the link stays.
  ASSERT_EQ(l->AttachSym(1, out->Linkable(), SSymPoint(9500, 500)), S_OK);
  EXPECT_EQ(owner(l).Get(), compOwner);
  EXPECT_EQ(SSymLinkBase::MoveUnderExpectedSymbolParent(nullptr), 0);
  // In a lockout context nothing moves.
  ASSERT_EQ(l->AttachSym(1, b->Linkable(), SSymPoint(5500, 500)), S_OK);
  {
    SRepLockoutContext lock(Session());
    EXPECT_EQ(SSymLinkBase::MoveUnderExpectedSymbolParent(l->Sym()), 0);
  }
}

}  // namespace
