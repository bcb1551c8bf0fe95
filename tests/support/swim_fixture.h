// Swimlane fixtures: a test lane (a composite that holds child symbols and
// answers the lane face, inner or end lane as a test sets it), a lane group
// stand-in, and a fixture with a named diagram whose display preferences
// carry swimlanes, with helpers that place a pool and lanes in it.
#pragma once

#include <optional>

#include "sym/composite/symswim.h"
#include "sym/composite/symswimcoln.h"
#include "sym/composite/symswimpool.h"
#include "support/diagram_fixture.h"
#include "support/lane_face.h"

// A lane that holds children; m_inner makes it an inner lane, m_validBord
// the bounds its contents need (none by default).
class TSwimLane : public SRepFaces<TSwimLane, TCompOf<TSwimLane, TSym>, ISSwimlane, SRepFaceImpl<TLaneFace>> {
 public:
  explicit TSwimLane(ISRepSession* s, SSymRect r = SSymRect(0, 20000, 8000, 0)) : SRepFaces(s, r) {
    m_symType = SSymSwimLane::LaneTypeCode;
  }
  int IsInnerLane() override { return m_inner; }
  void GetValidBord(int, SSymRect& out) override { out = m_validBord ? *m_validBord : SSymRect(); }
  ISSymbol* GetPoolSym() override { return SSymSwimFindPool(Sym()); }
  int m_inner = 0;
  std::optional<SSymRect> m_validBord;
};

// A lane group as the pool sees it: a holder of lanes of symbol type 17.
class TSwimGroup : public SRepFaces<TSwimGroup, TCompOf<TSwimGroup, TSym>> {
 public:
  explicit TSwimGroup(ISRepSession* s, SSymRect r = SSymRect(0, 20000, 8000, 0)) : SRepFaces(s, r) {
    m_symType = SSymSwimLane::GroupTypeCode;
  }
};

class SwimFixture : public DiagramFixture {
 protected:
  void SetUp() override {
    DiagramFixture::SetUp();
    FreshDiagram();
  }
  void TearDown() override {
    // The separators are objects of the library's lanes and pools: let go
    // of their collections as of every other object made here.
    for (SRepObject* o : m_made) {
      ISSymbol* line = nullptr;
      if (SSymSwim* l = dynamic_cast<SSymSwim*>(o)) line = l->GetColnSym();
      if (SSymSwimLane* p = dynamic_cast<SSymSwimLane*>(o)) line = p->GetLineSym();
      if (SSymSwimColn* c = SSymSwimColn::FromInterface(line)) c->ReleaseAll();
    }
    DiagramFixture::TearDown();
  }
  // A lane of the library on a rectangle, not yet in a pool.
  SSymSwim* LibLane(const SSymRect& r) {
    SSymSwim* l = Make<SSymSwim>();
    l->PutRect(r);
    return l;
  }
  // Pools of one diagram keep one extent along their lanes: a test that
  // wants unrelated pools takes a new diagram for each.
  void FreshDiagram() {
    m_d = NewDiagram();
    m_d->m_swimlanes = 1;
    // Members entering a pool are arranged only in a named diagram.
    m_d->SetName(SString(u"Model"));
  }
  void SetVertical(int vertical) { m_d->GetDispPrefPtr()->m_bSwimlaneVert = vertical; }
  // A pool of the given rectangle and orientation, placed in the diagram.
  SSymSwimLane* NewPool(const SSymRect& r, int vertical) {
    SetVertical(vertical);
    SSymSwimLane* pool = Make<SSymSwimLane>();
    pool->InitialSymRect(r);
    m_d->Add(pool->Sym());
    return pool;
  }
  // A lane added to a pool through its owner face.
  TSwimLane* AddLane(SSymSwimLane* pool, const SSymRect& r, int inner = 0) {
    TSwimLane* lane = Make<TSwimLane>(r);
    lane->m_inner = inner;
    EXPECT_EQ(static_cast<ISSymOwner*>(pool)->Add(lane->Sym()), S_OK);
    return lane;
  }
  static SSymRect Rect(ISSymbol* s) { return s->GetClipRect(0, 0); }
  static int CountOf(SSymSwimLane* pool) { return static_cast<int>(pool->Members().size()); }

  TPrefDiagram* m_d = nullptr;
};
