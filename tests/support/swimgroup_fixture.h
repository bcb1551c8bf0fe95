// Lane group fixtures: a test lane that answers the lane face and counts
// its drawings, and a fixture with a diagram whose display preferences carry
// swimlanes, with helpers that make a pool, lanes and lane groups and put
// members straight into a holder's SubSymbols collection (so that a test
// sees the group's own handling, not the pool's placing; the pool still
// arranges its members as they come, so a test gives its groups the place
// the pool would give them).
#pragma once

#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "support/diagram_fixture.h"
#include "support/lane_face.h"

class TGroupLane : public SRepFaces<TGroupLane, TSym, ISSwimlane, SRepFaceImpl<TLaneFace>> {
 public:
  explicit TGroupLane(ISRepSession* s, SSymRect r = SSymRect(0, 20000, 8000, 0)) : SRepFaces(s, r) {
    m_symType = SSymSwimLane::LaneTypeCode;
  }
  HRESULT Draw(SSymCanvas&) override {
    ++m_drawn;
    return S_OK;
  }
  int m_drawn = 0;
};

// A diagram that counts its requests to fit the lanes' heading height.
class TSwimDiagram : public TPrefDiagram {
 public:
  explicit TSwimDiagram(ISRepSession* s) : TPrefDiagram(s) {}
  void AdjustSwimHeight(int redraw) override { m_adjusted.push_back(redraw); }
  std::vector<int> m_adjusted;
};

class SwimGroupFixture : public DiagramFixture {
 protected:
  void SetUp() override {
    DiagramFixture::SetUp();
    FreshDiagram();
  }
  // Pools of one diagram share their extent along the lanes: a case that
  // wants a pool of its own takes a new diagram.
  void FreshDiagram() {
    m_d = NewDiagram<TSwimDiagram>();
    m_d->m_swimlanes = 1;
  }
  SSymDispPref* Prefs() { return m_d->GetDispPrefPtr(); }
  // A pool of the given rectangle and orientation, in the diagram.
  SSymSwimLane* NewPool(const SSymRect& r, int vertical) {
    Prefs()->m_bSwimlaneVert = vertical;
    SSymSwimLane* pool = Make<SSymSwimLane>();
    pool->InitialSymRect(r);
    m_d->Add(pool->Sym());
    pool->m_bVertical = vertical;
    return pool;
  }
  SSymSwimGroup* NewGroup(ISRepObject* holder, const SSymRect& r, const char16_t* title = u"") {
    SSymSwimGroup* g = Make<SSymSwimGroup>();
    g->InitialSymRect(r);
    g->m_text = SString(title);
    Put(holder, g->Sym());
    return g;
  }
  TGroupLane* NewLane(ISRepObject* holder, const SSymRect& r) {
    TGroupLane* lane = Make<TGroupLane>(r);
    Put(holder, lane->Sym());
    return lane;
  }
  // Appends a symbol to a holder's SubSymbols collection.
  static void Put(ISRepObject* holder, ISSymbol* s) {
    SComOut<ISRepClassCol> col;
    ASSERT_EQ(holder->GetCollection(SymAttr::Symbols, &col), S_OK);
    ASSERT_EQ(col->Insert(SComWrap<ISRepObject, &IID_ISRepObject>(s).Get(), -1), S_OK);
  }
  // The members of a holder, in order.
  static std::vector<ISSymbol*> MembersOf(ISRepObject* holder) {
    std::vector<ISSymbol*> out;
    SComOut<ISRepClassCol> col;
    if (holder->GetCollection(SymAttr::Symbols, &col) != S_OK || !col) return out;
    for (LONG i = 0; i < col->GetCount(); ++i) {
      SComOut<ISRepObject> item;
      col->Item(i, &item);
      out.push_back(SComWrap<ISSymbol>(item.Get()).Get());
    }
    return out;
  }
  static SSymRect Rect(ISSymbol* s) { return s->GetClipRect(0, 0); }

  TSwimDiagram* m_d = nullptr;
};
