// The line and link predicates over owner chains, on chains of test
// composites, swimlanes and ports.
#include <gtest/gtest.h>

#include "support/lane_face.h"
#include "support/symtest.h"
#include "sym/links/symlinkutil.h"
#include "sym/symbol/symintfview.h"

namespace {

// A composite that is a swimlane.
class TLane : public SRepFaces<TLane, TCompOf<TLane, TSym>, ISSwimlane, SRepFaceImpl<TLaneFace>> {
 public:
  using SRepFaces::SRepFaces;
};

// A composite that is not a swimlane.
class TBox : public TCompOf<TBox, TSym> {
 public:
  using TCompOf::TCompOf;
};

// A port: a small symbol answering ISSymPort.
class TPortSym : public SRepFaces<TPortSym, TSym, ISSymPort, SRepFaceImpl<SSymPortBase>> {
 public:
  using SRepFaces::SRepFaces;
  HRESULT GetPortSymbol(ISSymbol** out) override {
    *out = Sym();
    Sym()->AddRef();
    return S_OK;
  }
  void OnDirectionChanged(int) override {}
  SSymPoint PlaceCenter(const SSymPoint& c, const SSymRect&) override { return c; }
};

using LinkUtil = SymFixture;

TEST_F(LinkUtil, SwimlaneAnywhereUpTheChain) {
  TLane* lane = Place<TLane>(m_diagram);
  TBox* box = Place<TBox>(lane);
  TSym* inBox = Place<TSym>(box);
  TSym* inLane = Place<TSym>(lane);
  TSym* top = Place<TSym>(m_diagram);
  TBox* outer = Place<TBox>(m_diagram);
  TSym* inOuter = Place<TSym>(outer);
  struct {
    ISSymbol* symbol;
    int expected;
  } cases[] = {{inLane->Sym(), 1}, {inBox->Sym(), 1}, {box->Sym(), 1}, {lane->Sym(), 0},
               {top->Sym(), 0},    {inOuter->Sym(), 0}, {nullptr, 0}};
  for (const auto& c : cases) EXPECT_EQ(IsSymInSwimlane(c.symbol), c.expected);
}

TEST_F(LinkUtil, CompositeBorderZoneClipsLinkEnds) {
  TBox* outer = Place<TBox>(m_diagram);
  outer->m_childRect = SSymRect(-100000, 100000, 100000, -100000);
  TLane* lane = Place<TLane>(outer);
  TBox* box = Place<TBox>(lane);
  box->m_childRect = SSymRect(0, 10000, 10000, 0);
  TSym* s = Place<TSym>(box);
  struct {
    SSymPoint pt;
    int clipped;
  } cases[] = {
      {{5000, 5000}, 0},  {{75, 5000}, 0},     {{74, 5000}, 1},    {{9925, 9925}, 0},
      {{9926, 5000}, 1},  {{5000, 9926}, 1},   {{-20, 5000}, 1},   {{5000, 75}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(IsPtClippedByComposite(s->Sym(), c.pt), c.clipped) << c.pt.x << "," << c.pt.y;
  // Only the composites below the swimlane count: the outer box would clip this.
  outer->m_childRect = SSymRect(0, 100, 100, 0);
  EXPECT_EQ(IsPtClippedByComposite(s->Sym(), SSymPoint(5000, 5000)), 0);
  // No composite owner, and a null symbol.
  EXPECT_EQ(IsPtClippedByComposite(Place<TSym>(m_diagram)->Sym(), SSymPoint(-999999, 0)), 0);
  EXPECT_EQ(IsPtClippedByComposite(nullptr, SSymPoint()), 1);
}

// A port answers as its owner (the symbol it sits on) would for the port's
// centre: the composites above that owner decide.
TEST_F(LinkUtil, PortAnswersForItsCentreOnItsOwner) {
  TBox* outer = Place<TBox>(m_diagram);
  outer->m_childRect = SSymRect(0, 10000, 10000, 0);
  TBox* host = Place<TBox>(outer);
  host->m_childRect = SSymRect(4500, 5500, 5500, 4500);
  TPortSym* inside = Place<TPortSym>(host, SSymRect(4000, 6000, 6000, 4000));
  TPortSym* onEdge = Place<TPortSym>(host, SSymRect(-1000, 6000, 1000, 4000));
  // The point given is not used.
  EXPECT_EQ(IsPtClippedByComposite(inside->Sym(), SSymPoint(-50000, 0)), 0);
  EXPECT_EQ(IsPtClippedByComposite(onEdge->Sym(), SSymPoint(5000, 5000)), 1);
}

// An editing view that reports a move of its selection.
class MovingQueries : public ISSymViewQueries {
 public:
  bool IsEditView(SSymView* v) override { return v == view; }
  void NotifyRemove(SSymView*, ISSymbol*) override {}
  SSymCanvasView* GetCanvas(SSymView*) override { return nullptr; }
  SSymSize PixelsToUnits(SSymView*, SIZE) override { return {}; }
  SSymCanvas* LockCanvas(SSymView*, std::unique_ptr<SSymCanvas>&) override { return nullptr; }
  bool IsMovingSelection(SSymView* v) override { return v == view && moving; }
  bool SelectionContains(SSymView*, ISSymbol* s) override { return s == selected; }
  SSymView* view = nullptr;
  bool moving = false;
  ISSymbol* selected = nullptr;
};

TEST_F(LinkUtil, MovingSelectionHoldsTheSymbolOrAnOwner) {
  TBox* box = Place<TBox>(m_diagram);
  TSym* child = Place<TSym>(box);
  TSym* other = Place<TSym>(m_diagram);
  MovingQueries queries;
  SSymView* view = reinterpret_cast<SSymView*>(&queries);  // an identity only
  ISSymViewQueries* before = SSymGetViewQueries();
  SSymSetViewQueries(&queries);
  struct {
    const char* what;
    SSymView* diagramView;
    SSymView* editView;
    bool moving;
    ISSymbol* selected;
    ISSymbol* asked;
    int expected;
  } cases[] = {
      {"selected and moving", view, view, true, child->Sym(), child->Sym(), 1},
      {"owner selected", view, view, true, box->Sym(), child->Sym(), 1},
      {"not in the selection", view, view, true, box->Sym(), other->Sym(), 0},
      {"not moving", view, view, false, child->Sym(), child->Sym(), 0},
      {"not an editing view", view, nullptr, true, child->Sym(), child->Sym(), 0},
      {"no view", nullptr, view, true, child->Sym(), child->Sym(), 0},
      {"null symbol", view, view, true, child->Sym(), nullptr, 0},
  };
  for (const auto& c : cases) {
    static_cast<TDiagram*>(m_diagram)->m_view = c.diagramView;
    queries.view = c.editView;
    queries.moving = c.moving;
    queries.selected = c.selected;
    EXPECT_EQ(IsSymInMovingSelection(c.asked), c.expected) << c.what;
  }
  static_cast<TDiagram*>(m_diagram)->m_view = nullptr;
  SSymSetViewQueries(before);
}

TEST(LinkUtilNear, WithinFortyFiveUnitsOnBothAxes) {
  struct {
    SSymPoint pt;
    bool near;
  } cases[] = {{{0, 0}, true},      {{44, -44}, true},   {{45, 0}, false},
               {{0, -45}, false},   {{-44, 44}, true},   {{INT_MIN, INT_MAX}, false}};
  for (const auto& c : cases) EXPECT_EQ(IsPointNear(SSymPoint(0, 0), c.pt), c.near) << c.pt.x << "," << c.pt.y;
  EXPECT_FALSE(IsPointNear(SSymPoint(INT_MAX, 0), SSymPoint(INT_MIN, 0)));
}

}  // namespace
