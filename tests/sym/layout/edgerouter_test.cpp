// The edge router: crossings from the layout engine plug-in, ordered along
// each link; links drawn with bridges on a raster and in SVG, the bridge
// points stored per link and hit; the engine missing.
#include <gtest/gtest.h>

#include "kvrep/srepsession.h"
#include "sym/layout/symedgerouter.h"
#include "sym/layout/symlayoutengine.h"
#include "sym/links/symlinkbase.h"
#include "sym/render/symcanvsvg.h"
#include "sym/shapes/symrectfamily.h"
#include "support/recording_canvas.h"
#include "support/symtest.h"
#include "sym/symbol/symintfdisppref.h"
#include "kvcore/sexceptiondlg.h"
#include "kvcore/sloadlib.h"
#include "kvlib/suserregistry.h"
#include "sym/layout/testengine/testengine_load.h"
#include "win/winloader.h"
#include "win/winmsgbox.h"

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

TEST(LayoutEngineName, MessagesNameTheSharedObjectTheLoaderLooksFor) {
  EXPECT_EQ(SSymLayoutEngine::SharedObjectName(SString(SSymLayoutEngine::FileName())).ToUtf8(), "libkvlayout16.so");
  EXPECT_EQ(SSymLayoutEngine::SharedObjectName(SString("KvLayout16.DLL")).ToUtf8(), "libkvlayout16.so");
  EXPECT_EQ(SSymLayoutEngine::SharedObjectName(SString("/opt/x/libother.so")).ToUtf8(), "libother.so");
}

TEST_F(EdgeRouter, MissingEngineIsReportedOnceAndLocksItOut) {
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  router.ResetEngine(SString("kvlayout16-missing.dll"));
  KvClearMessageBoxLog();
  SComBag<ISSymbol> links;
  router.ComputeIntersections(links);
  router.ComputeIntersections(links);
  EXPECT_TRUE(router.IsEngineLocked());
  // Absent, not outdated: named by the file the loader looked for.
  EXPECT_EQ(router.GetEngineMessage(), SString("Could not load the auto layout library (libkvlayout16-missing.so)."));
  // Shown once, as an error box.
  ASSERT_EQ(KvMessageBoxLog().size(), 1u);
  EXPECT_EQ(KvMessageBoxLog()[0].text, router.GetEngineMessage().str());
  EXPECT_EQ(KvMessageBoxLog()[0].type, MB_OK | MB_ICONERROR);
  router.ResetEngine(SString());
  // The engine routes nothing: the symbols stay to route.
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  router.AddSymbol(SComWrap<ISSymbol>(a->Sym()));
  EXPECT_FALSE(router.CallEdgeRoutingMethod());
  // A symbol without a diagram: nothing asks for routing, it is dropped.
  EXPECT_FALSE(router.Contains(a->Sym()));
  EXPECT_EQ(router.GetBridges(a->Sym()).GetCount(), 0);
  EXPECT_EQ(router.GetBridgeRadius(), 400);
}

TEST_F(EdgeRouter, LibraryWithoutTheEntryPointsIsReportedAsNotUpToDate) {
  // A library that loads but exports none of the engine's entry points.
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  router.ResetEngine(SString((KvLibraryFolder() + "/libkvcore.so").c_str()));
  KvSetMessageBoxQuiet(true);
  KvClearMessageBoxLog();
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SComBag<ISSymbol> links;
  links.Add(a->Sym());
  EXPECT_TRUE(router.ComputeIntersections(links).empty());
  EXPECT_TRUE(router.IsEngineLocked());
  ASSERT_EQ(KvMessageBoxLog().size(), 1u);
  EXPECT_EQ(KvMessageBoxLog()[0].text, u"The auto layout library (libkvcore.so) is not up to date.");
  router.ComputeIntersections(links);  // not asked again, not shown again
  EXPECT_EQ(KvMessageBoxLog().size(), 1u);
  KvSetMessageBoxQuiet(false);
  router.ResetEngine(SString());
}

// ---- the end of change contexts --------------------------------------------------------------------------------

// Display preferences of every diagram, as a test sets them.
struct TestPref : ISSymDispPref {
  LONG GetDarkenPercent() const override { return 0; }
  DWORD GetClassFlags(const CLSID&) const override { return 0; }
  bool ShowsLinkIntersections() const override { return show; }
  bool ActivatesLinkRouting() const override { return route; }
  bool show = false, route = false;
};
TestPref g_pref;
ISSymDispPref* FindTestPref(ISSymDiagram*) { return &g_pref; }

class RouterNotify : public EdgeRouter {
 protected:
  void SetUp() override {
    EdgeRouter::SetUp();
    m_formerFinder = SSymSetDispPrefFinder(&FindTestPref);
    g_pref = TestPref();
    // The engine is only asked to forget a diagram while it is loaded.
    m_engine = LoadLibraryW(SSymEdgeRouter::EngineName());
    ASSERT_NE(m_engine, nullptr) << KvLastLoadError();
    KvSetMessageBoxQuiet(true);
  }
  void TearDown() override {
    KvSetMessageBoxQuiet(false);
    if (m_engine) FreeLibrary(m_engine);
    SSymSetDispPrefFinder(m_formerFinder);
    EdgeRouter::TearDown();
  }
  SSymDispPrefFinder m_formerFinder = nullptr;
  HMODULE m_engine = nullptr;
};

TEST_F(RouterNotify, EndOfAContextRoutesOnlyWhenTheDiagramAsks) {
  struct {
    const char* name;
    bool show, route, lockout;
    bool forgotten;  // the engine was asked to forget the diagram
    bool kept;       // the symbol is still to route afterwards
  } cases[] = {
      {"nothing shown", false, false, false, false, true},
      {"crossings shown", true, false, false, true, false},  // routing not wanted: dropped
      {"routing on", false, true, false, true, false},       // routed (the engine declines): emptied
      {"routing on, lockout", false, true, true, true, true},
  };
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  TSym* s = Place<TSym>(DiagramOwner());
  for (const auto& c : cases) {
    g_pref.show = c.show;
    g_pref.route = c.route;
    router.Reset();
    router.AddSymbol(SComWrap<ISSymbol>(s->Sym()));
    const int unsynced = router.GetUnsyncCount();
    if (c.lockout) {
      SRepLockoutContext lock(Session());
    } else {
      SRepCreateContext step(Session());
    }
    EXPECT_EQ(router.GetUnsyncCount() - unsynced, c.forgotten ? 1 : 0) << c.name;
    EXPECT_EQ(router.Contains(s->Sym()), c.kept) << c.name;
    EXPECT_FALSE(router.IsEngineLocked()) << c.name;
  }
  // A symbol without a diagram decides nothing.
  router.Reset();
  auto* loose = Make<TSym>();
  router.AddSymbol(SComWrap<ISSymbol>(loose->Sym()));
  g_pref.route = true;
  { SRepCreateContext step(Session()); }
  EXPECT_TRUE(router.Contains(loose->Sym()));
  router.Reset();
}

TEST_F(RouterNotify, AddDiagramTakesEverySymbolOfItsCollection) {
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  router.Reset();
  TSym* a = Place<TSym>(DiagramOwner());
  TSym* b = Place<TSym>(DiagramOwner());
  router.Reset();  // placing them added them already
  router.AddDiagram(SComWrap<ISSymDiagram>());
  EXPECT_EQ(router.GetCount(), 0);
  router.AddDiagram(SComWrap<ISSymDiagram>(Diagram()));
  router.AddDiagram(SComWrap<ISSymDiagram>(Diagram()));  // once each
  EXPECT_EQ(router.GetCount(), 2);
  EXPECT_TRUE(router.Contains(a->Sym()));
  EXPECT_TRUE(router.Contains(b->Sym()));
  router.Reset();
  EXPECT_EQ(router.GetCount(), 0);
}

TEST_F(RouterNotify, ForgettingAnObjectLetsGoOfEverythingHeld) {
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  SSymRectangle* a = Box(SSymRect(0, 6000, 1000, 5000));
  SSymRectangle* b = Box(SSymRect(19000, 6000, 20000, 5000));
  SSymRectangle* c = Box(SSymRect(9500, 20000, 10500, 19000));
  SSymRectangle* d = Box(SSymRect(9500, 1000, 10500, 0));
  TBridgedLink* h = Link(a, b, SSymListPt{{1000, 5500}, {19000, 5500}});
  TBridgedLink* v = Link(c, d, SSymListPt{{10000, 19000}, {10000, 1000}});
  SComBag<ISSymbol> links;
  links.Add(h->Sym());
  links.Add(v->Sym());
  router.ComputeIntersections(links);
  ISSymbol* over = links.GetAt(1);
  ASSERT_EQ(router.GetIntersections(over).GetCount(), 1);
  router.AddSymbol(SComWrap<ISSymbol>(a->Sym()));
  const int unsynced = router.GetUnsyncCount();
  SNotificationManager::Notify(SRepNotifyForgetObject, Session(),
                               reinterpret_cast<unsigned long>(m_diagram->GetOwnerObject()));
  EXPECT_EQ(router.GetUnsyncCount() - unsynced, 1);  // the diagram given
  EXPECT_EQ(router.GetCount(), 0);
  EXPECT_EQ(router.GetIntersections(over).GetCount(), 0);
  // The notification face.
  void* p = nullptr;
  EXPECT_EQ(router.QueryInterface(IID_ISNotificationSink, &p), S_OK);
  EXPECT_EQ(p, static_cast<ISNotificationSink*>(&router));
  EXPECT_EQ(router.QueryInterface(IID_ISRepObject, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(router.QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

// ---- the router's calls of the engine, with the recording engine -----------------------------------------------

class RouterProbe : public RouterNotify {
 protected:
  void SetUp() override {
    RouterNotify::SetUp();
    m_state = LoadTestEngine(m_probe);
    ASSERT_NE(m_state, nullptr) << KvLastLoadError();
    SSymEdgeRouter::Instance().ResetEngine(TestEngineFile("kvlayoutprobe"));
    SExceptionDialog::SetQuiet(true);
    SExceptionDialog::ClearLog();
    g_pref.route = true;
  }
  void TearDown() override {
    KvSetMixedCallerDisabled(false);
    SExceptionDialog::SetQuiet(false);
    SSymEdgeRouter::Instance().ResetEngine(SString());
    if (m_probe) FreeLibrary(m_probe);
    RouterNotify::TearDown();
  }
  HMODULE m_probe = nullptr;
  TestEngineState* m_state = nullptr;
};

TEST_F(RouterProbe, RoutingSucceedsOnlyWhenTheEngineRoutedAndAlwaysEmptiesTheBag) {
  struct {
    const char* name;
    int answer;
    bool throws, forbidden, outdated;
    bool routed;
    int calls;
    size_t reported;  // exceptions shown
  } cases[] = {
      {"routed", 0, false, false, false, true, 1, 0},
      {"the engine answers 3", 3, false, false, false, false, 1, 0},
      {"the engine throws", 0, true, false, false, false, 1, 1},
      {"loading forbidden", 0, false, true, false, false, 0, 0},
      {"out of date", 0, false, false, true, false, 0, 0},
  };
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  TSym* a = Place<TSym>(DiagramOwner());
  TSym* b = Place<TSym>(DiagramOwner());
  for (const auto& c : cases) {
    router.ResetEngine(c.outdated ? SString((KvLibraryFolder() + "/libkvcore.so").c_str())
                                  : TestEngineFile("kvlayoutprobe"));
    KvSetMixedCallerDisabled(c.forbidden);
    SExceptionDialog::ClearLog();
    m_state->Reset();
    m_state->answer = c.answer;
    m_state->throwInCall = c.throws;
    router.Reset();
    router.AddSymbol(SComWrap<ISSymbol>(a->Sym()));
    router.AddSymbol(SComWrap<ISSymbol>(b->Sym()));
    EXPECT_EQ(router.CallEdgeRoutingMethod(), c.routed) << c.name;
    EXPECT_EQ(m_state->routings, c.calls) << c.name;
    if (c.calls) {
      EXPECT_EQ(m_state->bag, 2) << c.name;
    }
    EXPECT_EQ(router.GetCount(), 0) << c.name << ": the bag is emptied";
    EXPECT_EQ(SExceptionDialog::Log().size(), c.reported) << c.name;
    EXPECT_FALSE(SSymLayoutEngine::IsWorking()) << c.name;
    EXPECT_EQ(router.IsEngineLocked(), c.outdated) << c.name;
  }
}

TEST_F(RouterProbe, ACallWhileTheEngineRoutesLeavesTheBagToTheRunningCall) {
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  TSym* a = Place<TSym>(DiagramOwner());
  router.Reset();
  router.AddSymbol(SComWrap<ISSymbol>(a->Sym()));
  bool nested = true;
  int held = -1;
  m_state->during = [&] {
    nested = router.CallEdgeRoutingMethod();
    held = router.GetCount();
  };
  EXPECT_TRUE(router.CallEdgeRoutingMethod());
  EXPECT_FALSE(nested);
  EXPECT_EQ(held, 1);
  EXPECT_EQ(m_state->routings, 1);
  EXPECT_EQ(router.GetCount(), 0);
}

TEST_F(RouterProbe, CrossingsComeBackInOrderAlongTheLink) {
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(9000, 1000, 10000, 0));
  TBridgedLink* l = Link(a, b, SSymListPt{{1000, 500}, {9000, 500}});
  m_state->crossings = {{SSymPoint(7000, 500), 0.7}, {SSymPoint(2000, 500), 0.2}, {SSymPoint(5000, 500), 0.5}};
  SComBag<ISSymbol> links;
  links.Add(l->Sym());
  router.ComputeIntersections(links);
  const SSymCrossings got = router.GetIntersections(l->Sym());
  ASSERT_EQ(got.GetCount(), 3);
  EXPECT_EQ(got[0].m_weight, 0.2);
  EXPECT_EQ(got[1].m_weight, 0.5);
  EXPECT_EQ(got[2].m_weight, 0.7);
  EXPECT_EQ(got[0].m_value, SSymPoint(2000, 500));
  EXPECT_EQ(m_state->retrievals, 1);
  // An engine that throws: reported, no crossings kept, the lock cleared.
  m_state->throwInCall = true;
  EXPECT_TRUE(router.ComputeIntersections(links).empty());
  EXPECT_EQ(SExceptionDialog::Log().size(), 1u);
  EXPECT_FALSE(router.IsEngineLocked());
}

TEST_F(RouterProbe, TheBridgeRadiusIsReadOnce) {
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  EXPECT_EQ(router.GetBridgeRadius(), 400);
  SUserRegistry(SUserRegistry::sApplicationGeneral).WriteProfile(SString("BridgesRadius"), 900L);
  EXPECT_EQ(router.GetBridgeRadius(), 400) << "until the next start";
}

TEST_F(EdgeRouter, TheRealEngineStaysLoadedSoItCanForgetDiagrams) {
  const SString engine(SSymLayoutEngine::FileName());
  if (GetModuleHandleW(engine.c_str())) GTEST_SKIP() << "loaded before the test";
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  SComBag<ISSymbol> links;
  router.ComputeIntersections(links);
  ASSERT_FALSE(router.IsEngineLocked()) << router.GetEngineMessage().ToUtf8();
  // Freed by the bridge after the call, and still in the process.
  ASSERT_NE(GetModuleHandleW(engine.c_str()), nullptr);
  const int before = router.GetUnsyncCount();
  router.UnsyncDiagram(Diagram());
  EXPECT_EQ(router.GetUnsyncCount(), before + 1);
}

}  // namespace
