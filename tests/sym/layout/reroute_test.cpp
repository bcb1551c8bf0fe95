// Re-routing through the layout engine plug-in between calls: the engine
// keeps each diagram's routes and crossings, and after every edit (a symbol
// moved with its links told, or moved without the engine being told) a call
// answers what the same call gives with nothing kept. A re-routing writes
// only the links of the changed symbols and the links that now run through
// one, and moves no symbol.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/link_fixture.h"
#include "sym/layout/symedgerouter.h"
#include "sym/layout/symlayoutengine.h"
#include "sym/symbol/symaction.h"
#include "win/winloader.h"

namespace {

class ReRoute : public LinkFixture {
 protected:
  void SetUp() override {
    LinkFixture::SetUp();
    SSymEdgeRouter::Instance().ResetEngine(SString());
    m_engine = LoadLibraryW(SSymLayoutEngine::File().c_str());
    ASSERT_NE(m_engine, nullptr);
    m_route = reinterpret_cast<SDoEdgeRoutingFn>(GetProcAddress(m_engine, "SDoEdgeRouting"));
    m_drop = reinterpret_cast<void (*)()>(GetProcAddress(m_engine, "KvLayoutDropCaches"));
    m_count = reinterpret_cast<int (*)()>(GetProcAddress(m_engine, "KvLayoutCachedDiagrams"));
    m_unsync = reinterpret_cast<SDoUnsyncDiagramFn>(GetProcAddress(m_engine, "SDoUnsyncDiagram"));
    ASSERT_NE(m_count, nullptr);
    ASSERT_NE(m_unsync, nullptr);
    ASSERT_NE(m_route, nullptr);
    ASSERT_NE(m_drop, nullptr);
    // A grid of boxes, each linked to its right and lower neighbours and
    // some to the box diagonally below.
    for (int row = 0; row < kSide; ++row)
      for (int col = 0; col < kSide; ++col) {
        const LONG x = col * 20000, y = -row * 15000;
        m_boxes.push_back(PutBox(SSymRect(x, y + 4000, x + 6000, y)));
      }
    auto link = [this](int a, int b) {
      m_links.push_back(PutLink(m_boxes[size_t(a)], m_boxes[size_t(b)],
                                SSymListPt{m_boxes[size_t(a)]->m_rect.GetCenter(), m_boxes[size_t(b)]->m_rect.GetCenter()}));
    };
    for (int row = 0; row < kSide; ++row)
      for (int col = 0; col < kSide; ++col) {
        const int i = row * kSide + col;
        if (col + 1 < kSide) link(i, i + 1);
        if (row + 1 < kSide) link(i, i + kSide);
        if (col + 1 < kSide && row + 1 < kSide && (i % 3) == 0) link(i, i + kSide + 1);
      }
  }
  void TearDown() override {
    SSymEdgeRouter::Instance().Clear();
    if (m_engine) FreeLibrary(m_engine);
    LinkFixture::TearDown();
  }
  std::vector<SSymListPt> Routes() const {
    std::vector<SSymListPt> out;
    for (SSymLinkBase* l : m_links) out.push_back(l->ListPt);
    return out;
  }
  void SetRoutes(const std::vector<SSymListPt>& routes) {
    for (size_t i = 0; i < m_links.size(); ++i) m_links[i]->ListPt = routes[i];
  }
  std::vector<SSymRect> Rects() const {
    std::vector<SSymRect> out;
    for (SSymRectangle* b : m_boxes) out.push_back(b->m_rect);
    return out;
  }
  int Route(const std::vector<ISSymbol*>& symbols) {
    SComBag<ISSymbol> bag;
    for (ISSymbol* s : symbols) bag.Add(s);
    return m_route(bag);
  }
  SSymEdgeRouter::CrossingMap Crossings() {
    SComBag<ISSymbol> bag;
    for (SSymLinkBase* l : m_links) bag.Add(l->Sym());
    return SSymEdgeRouter::Instance().ComputeIntersections(bag);
  }
  static bool Same(const SSymListPt& a, const SSymListPt& b) { return SSymPointsAccess::Same(a, b); }
  static bool Same(const SSymEdgeRouter::CrossingMap& a, const SSymEdgeRouter::CrossingMap& b) {
    if (a.size() != b.size()) return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
      if (i->first != j->first || i->second.GetCount() != j->second.GetCount()) return false;
      for (int k = 0; k < i->second.GetCount(); ++k)
        if (!(i->second[k].m_value == j->second[k].m_value) || i->second[k].m_weight != j->second[k].m_weight)
          return false;
    }
    return true;
  }
  bool Touches(SSymLinkBase* l, ISSymbol* s) const { return End(l, 0) == s || End(l, 1) == s; }

  static constexpr int kSide = 5;
  HMODULE m_engine = nullptr;
  SDoEdgeRoutingFn m_route = nullptr;
  void (*m_drop)() = nullptr;
  int (*m_count)() = nullptr;
  SDoUnsyncDiagramFn m_unsync = nullptr;
  std::vector<SSymRectangle*> m_boxes;
  std::vector<SSymLinkBase*> m_links;
};

TEST_F(ReRoute, EveryCallAnswersWhatACallWithNothingKeptGives) {
  std::vector<ISSymbol*> all;
  for (SSymRectangle* b : m_boxes) all.push_back(b->Sym());
  ASSERT_EQ(Route(all), 0);
  SSymEdgeRouter::CrossingMap crossings = Crossings();
  std::mt19937 rng(7);
  int rerouted = 0;
  for (int step = 0; step < 24; ++step) {
    SCOPED_TRACE(step);
    // One box moves with the engine told; every third step another moves
    // without it (the engine finds the change itself, or answers as if it
    // had never seen the diagram).
    SSymRectangle* moved = m_boxes[rng() % m_boxes.size()];
    const SSymSize by(LONG(rng() % 24001) - 12000, LONG(rng() % 18001) - 9000);
    moved->Sym()->MoveBy(by, 0);
    if (step % 3 == 2) m_boxes[rng() % m_boxes.size()]->Sym()->MoveBy(SSymSize(7000, -3000), 0);
    const std::vector<SSymListPt> before = Routes();
    const std::vector<SSymRect> rects = Rects();
    ASSERT_EQ(Route({moved->Sym()}), 0);
    const std::vector<SSymListPt> kept = Routes();
    EXPECT_EQ(Rects(), rects) << "a re-routing moves no symbol";
    const SSymEdgeRouter::CrossingMap keptCrossings = Crossings();
    // The same call with nothing kept.
    SetRoutes(before);
    m_drop();
    ASSERT_EQ(Route({moved->Sym()}), 0);
    const std::vector<SSymListPt> fresh = Routes();
    for (size_t i = 0; i < m_links.size(); ++i) {
      EXPECT_TRUE(Same(kept[i], fresh[i])) << "link " << i;
      if (!Same(before[i], kept[i])) ++rerouted;
      // Only the moved box's links and links that now run through it change.
      if (!Touches(m_links[i], moved->Sym()) && !Same(before[i], kept[i])) {
        const SSymRect r = moved->m_rect;
        bool through = false;
        for (int k = 0; k < before[i].GetCount() && !through; ++k) through = r.PtInRect(before[i][k]);
        for (int k = 0; k + 1 < before[i].GetCount() && !through; ++k) {
          const SSymPoint& p = before[i][k];
          const SSymPoint& q = before[i][k + 1];
          const LONG lo = std::min(p.x, q.x), hi = std::max(p.x, q.x), bot = std::min(p.y, q.y), top = std::max(p.y, q.y);
          through = lo < r.GetMaxX() && hi > r.GetMinX() && bot < r.GetMaxY() && top > r.GetMinY();
        }
        EXPECT_TRUE(through) << "link " << i << " changed without reason";
      }
    }
    m_drop();
    EXPECT_TRUE(Same(keptCrossings, Crossings())) << "crossings from the kept index and a fresh one";
    crossings = keptCrossings;
  }
  EXPECT_FALSE(crossings.empty()) << "the scene has crossings to compare";
  EXPECT_GT(rerouted, 24) << "the moves re-route links";
}

TEST_F(ReRoute, ADiagramKeepsItsCacheWhenUnsyncedAndLosesItWhenDeleted) {
  m_drop();
  ASSERT_EQ(Route({m_boxes[0]->Sym()}), 0);
  EXPECT_EQ(m_count(), 1);
  // The library unsyncs a diagram just before each re-routing: what the
  // cache holds is checked on every call, so it stays.
  EXPECT_EQ(m_unsync(Diagram()), 0);
  EXPECT_EQ(m_count(), 1);
  EXPECT_EQ(m_unsync(nullptr), 0);
  EXPECT_EQ(m_count(), 1);
  // A deleted diagram's cache goes.
  TDiagram* gone = Make<TDiagram>();
  SSymRectangle* a = Box(SSymRect(0, 4000, 6000, 0));
  SSymRectangle* b = Box(SSymRect(30000, 4000, 36000, 0));
  gone->Add(a->Sym());
  gone->Add(b->Sym());
  SSymLinkBase* l = Link(a, b, SSymListPt{a->m_rect.GetCenter(), b->m_rect.GetCenter()});
  gone->Add(l->Sym());
  ASSERT_EQ(Route({a->Sym()}), 0);
  EXPECT_EQ(m_count(), 2);
  {
    // The link and its ends hold each other: let go before the diagram goes.
    SCurrentContextChange outside(Session(), nullptr);
    l->DetachEnd(0);
    l->DetachEnd(1);
  }
  ASSERT_EQ(gone->Delete(), S_OK);
  EXPECT_EQ(m_unsync(gone), 0);
  EXPECT_EQ(m_count(), 1);
}

}  // namespace
