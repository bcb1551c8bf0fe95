// The edge router: crossings from the layout engine plug-in, ordered along
// each link; links drawn with bridges on a raster and in SVG, the bridge
// points stored per link and hit; the engine missing.
#include <gtest/gtest.h>

#include "kvrep/srepsession.h"
#include "sym/layout/symedgerouter.h"
#include "sym/links/symlinkbase.h"
#include "sym/render/symcanvsvg.h"
#include "sym/shapes/symrectfamily.h"
#include "support/recording_canvas.h"
#include "support/symtest.h"

namespace {

// A link whose diagram shows crossings as bridges.
class TBridgedLink : public SSymLinkBase {
 public:
  explicit TBridgedLink(ISRepSession* s) : SSymLinkBase(s) {}
  bool ShowsBridges() override { return true; }
};

class EdgeRouter : public SymFixture {
 protected:
  void SetUp() override {
    SymFixture::SetUp();
    SSymEdgeRouter::Instance().ResetEngine(SString());
  }
  void TearDown() override {
    SSymEdgeRouter::Instance().Clear();
    // Links and their end symbols hold each other: the ends are let go first.
    {
      SCurrentContextChange outside(Session(), nullptr);
      for (ISRepObject* o : m_own)
        if (auto* l = dynamic_cast<SSymLinkBase*>(SRepObject::FromInterface(o)); l && !l->IsDeleted()) {
          l->DetachEnd(0);
          l->DetachEnd(1);
        }
    }
    for (auto it = m_own.rbegin(); it != m_own.rend(); ++it) (*it)->Release();
    SymFixture::TearDown();
  }
  SSymRectangle* Box(const SSymRect& r) {
    void* p = nullptr;
    EXPECT_EQ(m_session->CreateObject(CLSID_SSymRectangle, IID_ISRepObject, &p), S_OK);
    m_own.push_back(static_cast<ISRepObject*>(p));
    auto* b = dynamic_cast<SSymRectangle*>(SRepObject::FromInterface(static_cast<ISRepObject*>(p)));
    b->m_rect = r;
    return b;
  }
  TBridgedLink* Link(SSymBase* a, SSymBase* b, SSymListPt pts) {
    SCurrentContextChange outside(Session(), nullptr);
    auto* l = new TBridgedLink(Session());
    l->AddRef();
    l->SetSession(m_session);
    m_own.push_back(l->Obj());
    l->DelSymArrow(3);
    l->ListPt = pts;
    l->AttachSym(0, a->Linkable(), pts[0]);
    l->AttachSym(1, b->Linkable(), pts[pts.GetCount() - 1]);
    l->ListPt = pts;
    return l;
  }
  std::vector<ISRepObject*> m_own;
};

TEST_F(EdgeRouter, CrossingsOfTwoLinksGoToTheLaterOneInOrderAlongIt) {
  SSymRectangle* a = Box(SSymRect(0, 6000, 1000, 5000));
  SSymRectangle* b = Box(SSymRect(19000, 6000, 20000, 5000));
  SSymRectangle* c = Box(SSymRect(9500, 20000, 10500, 19000));
  SSymRectangle* d = Box(SSymRect(9500, 1000, 10500, 0));
  TBridgedLink* across = Link(a, b, SSymListPt{{1000, 5500}, {19000, 5500}});
  // Down, right, up and down again: three crossings with the first link.
  TBridgedLink* zigzag =
      Link(c, d, SSymListPt{{10000, 19000}, {10000, 10000}, {3000, 10000}, {3000, 2000}, {12000, 2000}, {12000, 8000},
                            {15000, 8000}, {15000, 1000}});
  SComBag<ISSymbol> links;
  links.Add(across->Sym());
  links.Add(zigzag->Sym());
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  router.ComputeIntersections(links);
  ASSERT_FALSE(router.IsEngineLocked()) << router.GetEngineMessage().ToUtf8();
  // The bag is sorted by pointer: the later link of the set carries the bridges.
  const bool zigzagLater = links.GetAt(1) == zigzag->Sym();
  ISSymbol* over = zigzagLater ? zigzag->Sym() : across->Sym();
  ISSymbol* under = zigzagLater ? across->Sym() : zigzag->Sym();
  const SSymCrossings crossings = router.GetIntersections(over);
  EXPECT_EQ(router.GetIntersections(under).GetCount(), 0);
  ASSERT_EQ(crossings.GetCount(), 3);
  for (int i = 1; i < crossings.GetCount(); ++i) EXPECT_LT(crossings[i - 1].m_weight, crossings[i].m_weight);
  if (zigzagLater) {
    EXPECT_EQ(crossings[0].m_value, SSymPoint(3000, 5500));
    EXPECT_EQ(crossings[1].m_value, SSymPoint(12000, 5500));
    EXPECT_EQ(crossings[2].m_value, SSymPoint(15000, 5500));
  } else {
    EXPECT_EQ(crossings[0].m_value, SSymPoint(3000, 5500));
    EXPECT_EQ(crossings[2].m_value, SSymPoint(15000, 5500));
  }
}

TEST_F(EdgeRouter, BridgesDrawnOnARasterAndInSvgAreStoredAndHit) {
  SSymRectangle* a = Box(SSymRect(0, 6000, 1000, 5000));
  SSymRectangle* b = Box(SSymRect(19000, 6000, 20000, 5000));
  SSymRectangle* c = Box(SSymRect(9500, 20000, 10500, 19000));
  SSymRectangle* d = Box(SSymRect(9500, 1000, 10500, 0));
  TBridgedLink* h = Link(a, b, SSymListPt{{1000, 5500}, {19000, 5500}});
  TBridgedLink* v = Link(c, d, SSymListPt{{10000, 19000}, {10000, 1000}});
  SComBag<ISSymbol> links;
  links.Add(h->Sym());
  links.Add(v->Sym());
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  router.ComputeIntersections(links);
  TBridgedLink* over = links.GetAt(1) == v->Sym() ? v : h;
  ASSERT_EQ(router.GetIntersections(over->Sym()).GetCount(), 1);
  EXPECT_EQ(router.GetIntersections(over->Sym())[0].m_value, SSymPoint(10000, 5500));
  EXPECT_EQ(router.GetBridges(over->Sym()).GetCount(), 0);  // never drawn yet

  RecordingCanvas raster;
  ASSERT_EQ(over->DrawSymbol(raster), S_OK);
  const SSymListPt bridge = router.GetBridges(over->Sym());
  ASSERT_EQ(bridge.GetCount(), 4);  // a, b, c, d of one bridge
  for (int i = 0; i < 4; ++i) {
    const SSymPoint p = bridge[i];
    EXPECT_LE(std::abs(p.x - 10000) + std::abs(p.y - 5500), 2 * router.GetBridgeRadius() + 2) << i;
  }
  EXPECT_EQ(router.GetBridges(over == v ? h->Sym() : v->Sym()).GetCount(), 0);

  // Hits: the bridge's top is on the line, the gap under it is not, and the
  // line away from the bridge still is.
  const SSymPoint top((bridge[1].x + bridge[2].x) / 2, (bridge[1].y + bridge[2].y) / 2);
  const SSymPoint gap((bridge[0].x + bridge[3].x) / 2, (bridge[0].y + bridge[3].y) / 2);
  const SSymPoint away = over == v ? SSymPoint(10000, 15000) : SSymPoint(4000, 5500);
  struct {
    SSymPoint at;
    BOOL hit;
  } cases[] = {{top, 1}, {gap, 0}, {away, 1}};
  for (const auto& c : cases) {
    int part = -1;
    EXPECT_EQ(over->IsPtInSym(raster, c.at, &part, nullptr), c.hit) << c.at.x << "," << c.at.y;
  }

  router.ClearBridgesIndex();
  SSymCanvasSVG svg;
  ASSERT_EQ(svg.Lock(SSymRect(0, 20000, 20000, 0)), 1);
  ASSERT_EQ(over->DrawSymbol(svg), S_OK);
  EXPECT_EQ(router.GetBridges(over->Sym()).GetCount(), 4);
}

TEST_F(EdgeRouter, MissingEngineIsReportedOnceAndLocksItOut) {
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  router.ResetEngine(SString("kvlayout16-missing.dll"));
  SComBag<ISSymbol> links;
  router.ComputeIntersections(links);
  EXPECT_TRUE(router.IsEngineLocked());
  EXPECT_EQ(router.GetEngineMessage(), SString("The auto layout library (kvlayout16.dll) is not up to date."));
  router.ResetEngine(SString());
  // The engine routes nothing: the symbols stay to route.
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  router.AddSymbol(SComWrap<ISSymbol>(a->Sym()));
  EXPECT_FALSE(router.CallEdgeRoutingMethod());
  EXPECT_TRUE(router.Contains(a->Sym()));
  EXPECT_EQ(router.GetBridges(a->Sym()).GetCount(), 0);
  EXPECT_EQ(router.GetBridgeRadius(), 400);
}

}  // namespace
