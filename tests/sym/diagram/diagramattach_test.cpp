// Composite attachment and editability: a symbol goes into the first
// composite (or the lane of the first pool) that takes it, comes back out to
// the diagram, pools and lane groups are attached only where the diagram has
// swimlanes, and the editability of composite contents follows the show key
// of the class, the symbol's content text over the preferences.
#include <gtest/gtest.h>

#include "sym/foundation/sdsym.h"
#include "support/repfixture.h"
#include "support/swim_fixture.h"
#include "sym/composite/symswimgroup.h"

namespace {
constexpr LONG kContentText = 0x020100BB;

// Preferences whose composite behaviour (one class) and drop hook a test sets.
class TAttachPref : public TDispPref {
 public:
  using TDispPref::TDispPref;
  DWORD GetSymbolBehaviors(const GUID& clsid) override { return clsid == m_behaving ? m_bits : 0; }
  int CanDrop() override { return m_drop; }
  GUID m_behaving = CLSID_TNode;
  DWORD m_bits = 0;
  int m_drop = 1;
};

class TAttachDiagram : public TPrefDiagram {
 public:
  explicit TAttachDiagram(ISRepSession* s) : TPrefDiagram(s) { m_swimlanes = 1; }
  HRESULT CreateDispPref() override {
    SetDispPrefPtr(new TAttachPref(RepObject(), m_module, m_swimlanes));
    return S_OK;
  }
  TAttachPref* Prefs() { return static_cast<TAttachPref*>(GetDispPrefPtr()); }
};

// A composite whose answers a test sets: whether it accepts the object
// offered and the child type it gives the symbol.
class TTakingComp : public TComp {
 public:
  using TComp::TComp;
  int CanAddAsChild(ISRepObject* candidate, LONG, const SString&) override { return candidate ? m_accept : 0; }
  int GetChildType(ISSymbol* s) override { return s ? m_childType : -1; }
  int m_accept = 1;
  int m_childType = 3;
};

// A lane that holds children, with its body its whole rectangle.
class TTakingLane : public TSwimLane {
 public:
  using TSwimLane::TSwimLane;
  int IsPtInLane(const SSymPoint& p) override {
    SSymRect r = m_rect;
    return r.Normalize().PtInRect(p) ? 1 : 0;
  }
  int CanAddAsChild(ISRepObject* candidate, LONG, const SString&) override { return candidate ? m_accept : 0; }
  int GetChildType(ISSymbol* s) override { return s ? 3 : -1; }
  int m_accept = 1;
};

// A model-object symbol that keeps a content text.
class TContentSym : public TObjSym {
 public:
  using TObjSym::TObjSym;
  HRESULT GetModelObject(ISRepObject** out) override {
    *out = m_model;
    if (!m_model) return S_FALSE;
    m_model->AddRef();
    return S_OK;
  }
  HRESULT GetAttribute(LONG id, SRepVariant* v) override {
    if (id != kContentText || !m_keepsContent) return TObjSym::GetAttribute(id, v);
    *v = SRepVariant::Text(m_content);
    return S_OK;
  }
  HRESULT SetAttribute(LONG id, const SRepVariant& v) override {
    if (id != kContentText || !m_keepsContent) return TObjSym::SetAttribute(id, v);
    m_content = v.GetTEXT();
    return S_OK;
  }
  ISRepObject* m_model = nullptr;  // not counted
  SString m_content;
  bool m_keepsContent = true;
};

class DiagramAttach : public DiagramFixture {
 protected:
  void SetUp() override {
    TNodeRegistry();
    DiagramFixture::SetUp();
    m_d = NewDiagram<TAttachDiagram>();
    m_d->SetName(SString(u"Model"));  // members entering a pool are arranged only in a named diagram
  }
  // A symbol of 2000 x 2000 centred on (x, y), at the top level (placed,
  // not drawn by a tool: a lane under it does not take it on its own).
  TSym* SymAt(LONG x, LONG y) {
    SetSymFirstCreation placed(false);
    return AddTo<TSym>(m_d, SSymRect(x - 1000, y + 1000, x + 1000, y - 1000));
  }
  TTakingComp* Comp(const SSymRect& r) {
    SetSymFirstCreation placed(false);
    return AddTo<TTakingComp>(m_d, r);
  }
  // A vertical pool at the origin with two lanes of 10000 side by side.
  SSymSwimLane* PoolWithTwoLanes() {
    m_d->Prefs()->m_bSwimlaneVert = 1;
    SSymSwimLane* pool = Make<SSymSwimLane>();
    pool->InitialSymRect(SSymRect(0, 20000, 20000, 0));
    m_d->Add(pool->Sym());
    for (int i = 0; i < 2; ++i) {
      m_lanes[i] = Make<TTakingLane>(SSymRect(10000 * i, 20000, 10000 * (i + 1), 0));
      EXPECT_EQ(static_cast<ISSymOwner*>(pool)->Add(m_lanes[i]->Sym()), S_OK);
    }
    return pool;
  }
  static SSymRect Rect(ISSymbol* s) { return s->GetClipRect(0, 0).Normalize(); }
  static SSymPoint Centre(ISSymbol* s) {
    const SSymRect r = Rect(s);
    return SSymPoint((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);
  }
  static bool Holds(ISSymOwner* owner, ISSymbol* s) { return owner->Contains(s, 0) != 0; }
  SString ShowKey() { return m_d->Prefs()->ConstructShowRegKey(CLSID_TNode, 0x02010015); }

  TAttachDiagram* m_d = nullptr;
  TTakingLane* m_lanes[2] = {nullptr, nullptr};
};

TEST_F(DiagramAttach, TheFirstCompositeThatTakesTheSymbolGetsIt) {
  TTakingComp* refusing = Comp(SSymRect(0, 36000, 48000, 0));
  refusing->m_accept = 0;
  TTakingComp* notInside = Comp(SSymRect(0, 36000, 48000, 0));
  notInside->m_childType = 2;
  TTakingComp* taking = Comp(SSymRect(0, 36000, 48000, 0));
  TTakingComp* later = Comp(SSymRect(0, 36000, 48000, 0));
  TSym* s = SymAt(5000, 5000);

  EXPECT_EQ(m_d->AttachToComposite(s->Sym()), taking->Sym());
  EXPECT_TRUE(Holds(taking, s->Sym()));
  for (TTakingComp* c : {refusing, notInside, later}) EXPECT_FALSE(Holds(c, s->Sym()));
}

TEST_F(DiagramAttach, NothingTakesTheSymbol) {
  EXPECT_EQ(m_d->AttachToComposite(nullptr), nullptr);
  Comp(SSymRect(0, 36000, 48000, 0))->m_accept = 0;
  TSym* s = SymAt(5000, 5000);
  const int at = m_d->GetPos(s->Sym());
  EXPECT_EQ(m_d->AttachToComposite(s->Sym()), nullptr);
  EXPECT_EQ(m_d->GetPos(s->Sym()), at);
  // Through the diagram's face as well.
  EXPECT_EQ(m_d->Diagram()->AttachToComposite(s->Sym()), nullptr);
}

TEST_F(DiagramAttach, TheLaneUnderTheCentreTakesTheSymbolAndThePoolAnswers) {
  SSymSwimLane* pool = PoolWithTwoLanes();
  TSym* s = SymAt(0, 0);
  s->MoveBy(SSymSize(Centre(m_lanes[1]->Sym()).x, Centre(m_lanes[1]->Sym()).y), 0);
  EXPECT_EQ(m_d->AttachToComposite(s->Sym()), pool->Sym());
  EXPECT_TRUE(Holds(m_lanes[1], s->Sym()));
  EXPECT_FALSE(Holds(m_lanes[0], s->Sym()));
}

TEST_F(DiagramAttach, TheFirstPoolEndsTheSearch) {
  SSymSwimLane* pool = PoolWithTwoLanes();
  // A composite after the pool that would take anything.
  TTakingComp* after = Comp(SSymRect(-100000, 100000, 100000, -100000));
  m_d->MoveTo(after->Sym(), m_d->GetCount() - 1);
  ASSERT_LT(m_d->GetPos(pool->Sym()), m_d->GetPos(after->Sym()));

  // A centre outside every lane.
  TSym* outside = SymAt(50000, 50000);
  EXPECT_EQ(m_d->AttachToComposite(outside->Sym()), nullptr);
  // A lane under the centre that refuses the symbol.
  m_lanes[0]->m_accept = 0;
  TSym* refused = SymAt(0, 0);
  refused->MoveBy(SSymSize(Centre(m_lanes[0]->Sym()).x, Centre(m_lanes[0]->Sym()).y), 0);
  EXPECT_EQ(m_d->AttachToComposite(refused->Sym()), nullptr);
  EXPECT_FALSE(Holds(m_lanes[0], refused->Sym()));
  EXPECT_FALSE(Holds(after, outside->Sym()));
  EXPECT_FALSE(Holds(after, refused->Sym()));
}

TEST_F(DiagramAttach, DetachGivesTheSymbolBackToTheDiagram) {
  TTakingComp* c = Comp(SSymRect(0, 36000, 48000, 0));
  TSym* s = Make<TSym>(SSymRect(1000, 3000, 3000, 1000));
  ASSERT_EQ(c->Add(s->Sym()), S_OK);
  ASSERT_LT(m_d->GetPos(s->Sym()), 0);

  EXPECT_EQ(m_d->Diagram()->DetachFromComposite(s->Sym()), c->Sym());
  EXPECT_FALSE(Holds(c, s->Sym()));
  EXPECT_GE(m_d->GetPos(s->Sym()), 0);
  // A top-level symbol has no composite to leave; nothing is no symbol.
  EXPECT_EQ(m_d->DetachFromComposite(s->Sym()), nullptr);
  EXPECT_EQ(m_d->DetachFromComposite(nullptr), nullptr);
}

TEST_F(DiagramAttach, PoolsAndLaneGroupsAttachOnlyWhereTheDiagramHasSwimlanes) {
  SSymSwimLane* pool = Make<SSymSwimLane>();
  SSymSwimGroup* userGroup = Make<SSymSwimGroup>();
  SSymSwimGroup* parentGroup = Make<SSymSwimGroup>();
  parentGroup->SetObject(static_cast<ISRepObject*>(Make<TNode>()));
  TSym* plain = Make<TSym>();

  // Without preferences nothing may come.
  SSymDiagram* bare = NewDiagram<SSymDiagram>();
  EXPECT_FALSE(bare->CanAttachSymbol(plain->Sym()));
  // Preferences without swimlanes: anything but pools and lane groups.
  TAttachDiagram* noSwim = NewDiagram<TAttachDiagram>();
  noSwim->m_swimlanes = 0;
  EXPECT_TRUE(noSwim->CanAttachSymbol(plain->Sym()));
  EXPECT_FALSE(noSwim->CanAttachSymbol(pool->Sym()));
  EXPECT_FALSE(noSwim->CanAttachSymbol(userGroup->Sym()));
  EXPECT_FALSE(noSwim->CanAttachSymbol(nullptr));

  // With swimlanes: a group of the user's own making, not one standing for an object.
  EXPECT_TRUE(m_d->CanAttachSymbol(userGroup->Sym()));
  EXPECT_FALSE(m_d->CanAttachSymbol(parentGroup->Sym()));
  // A pool into an empty diagram always; otherwise as the drop hook says.
  m_d->Prefs()->m_drop = 0;
  EXPECT_TRUE(m_d->CanAttachSymbol(pool->Sym()));
  SymAt(0, 0);
  EXPECT_FALSE(m_d->CanAttachSymbol(pool->Sym()));
  m_d->Prefs()->m_drop = 1;
  EXPECT_TRUE(m_d->Diagram()->CanAttachSymbol(pool->Sym()));
  parentGroup->SetObject(nullptr);
}

TEST_F(DiagramAttach, CompositesAreEditableUnlessTheirShowKeySaysOtherwise) {
  TNode* model = Make<TNode>();
  ISRepObject* o = model;
  TTakingComp* comp = Comp(SSymRect(0, 36000, 48000, 0));
  TSym* plain = SymAt(0, 0);

  // Without composite behaviour: composites are, other symbols not.
  EXPECT_EQ(m_d->IsSymEditable(comp->Sym(), o), 1);
  EXPECT_EQ(m_d->IsSymEditable(plain->Sym(), o), 0);
  EXPECT_EQ(m_d->IsSymEditable(nullptr, o), 0);
  EXPECT_EQ(m_d->IsSymEditable(comp->Sym(), nullptr), 0);
  EXPECT_EQ(NewDiagram<SSymDiagram>()->IsSymEditable(comp->Sym(), o), 0);
  // Through the free test the composites ask.
  EXPECT_EQ(SSymIsEditable(comp->Sym(), o, m_d->Diagram()), 1);

  // With it, the preference of the class's show key decides...
  m_d->Prefs()->m_bits = SSymDispPref::BehaviorComposite;
  EXPECT_TRUE(m_d->HasCompositeBehavior(o));
  EXPECT_FALSE(m_d->HasCompositeBehavior(nullptr));
  EXPECT_EQ(m_d->IsSymEditable(comp->Sym(), o), 1);
  m_d->Prefs()->WriteBoolOptProfile(SSymDispPref::GetObjectPath(), ShowKey(), 0, SSymDispPref::LocDiagram);
  EXPECT_EQ(m_d->IsSymEditable(comp->Sym(), o), 0);
  m_d->Prefs()->WriteBoolOptProfile(SSymDispPref::GetObjectPath(), ShowKey(), 1, SSymDispPref::LocDiagram);
  EXPECT_EQ(m_d->IsSymEditable(plain->Sym(), o), 1);

  // ...and the symbol's own content text over the preference.
  TContentSym* shown = AddTo<TContentSym>(m_d);
  shown->m_content = ShowKey() + u" 0";
  EXPECT_EQ(m_d->IsSymEditable(shown->Sym(), o), 0);
  shown->m_content = SString(u"Other 1\r\n") + ShowKey() + u" 1";
  m_d->Prefs()->WriteBoolOptProfile(SSymDispPref::GetObjectPath(), ShowKey(), 0, SSymDispPref::LocDiagram);
  EXPECT_EQ(m_d->IsSymEditable(shown->Sym(), o), 1);
}

TEST_F(DiagramAttach, SetCompEditableWritesTheShowKeyIntoTheContentText) {
  TNode* model = Make<TNode>();
  TContentSym* s = AddTo<TContentSym>(m_d);
  s->m_model = model;
  s->m_content = SString(u"Other 1");
  m_d->Prefs()->m_bits = SSymDispPref::BehaviorComposite;

  // The preference's default (1) is in force: setting it changes nothing.
  EXPECT_EQ(m_d->SetCompEditable(s->Sym(), 1), 0);
  EXPECT_EQ(s->m_content, u"Other 1");
  EXPECT_EQ(m_d->Diagram()->SetCompEditable(s->Sym(), 0), 1);
  EXPECT_EQ(s->m_content, SString(u"Other 1\r\n") + ShowKey() + u" 0");
  EXPECT_EQ(m_d->IsSymEditable(s->Sym(), model), 0);
  EXPECT_EQ(m_d->SetCompEditable(s->Sym(), 0), 0);
  EXPECT_EQ(m_d->SetCompEditable(s->Sym(), 5), 1);  // any non-zero value is "editable"
  EXPECT_EQ(s->m_content, SString(u"Other 1\r\n") + ShowKey() + u" 1");
  EXPECT_EQ(m_d->IsSymEditable(s->Sym(), model), 1);
}

TEST_F(DiagramAttach, SetCompEditableRefusesWhatItCannotWrite) {
  TNode* model = Make<TNode>();
  TContentSym* s = AddTo<TContentSym>(m_d);
  s->m_model = model;
  // No composite behaviour for the class.
  EXPECT_EQ(m_d->SetCompEditable(s->Sym(), 0), 0);
  m_d->Prefs()->m_bits = SSymDispPref::BehaviorComposite;
  // No model object; no model-object symbol; nothing.
  s->m_model = nullptr;
  EXPECT_EQ(m_d->SetCompEditable(s->Sym(), 0), 0);
  s->m_model = model;
  EXPECT_EQ(m_d->SetCompEditable(SymAt(0, 0)->Sym(), 0), 0);
  EXPECT_EQ(m_d->SetCompEditable(nullptr, 0), 0);
  // A symbol that keeps no content text changes nothing and says so.
  s->m_keepsContent = false;
  EXPECT_EQ(m_d->SetCompEditable(s->Sym(), 0), 0);
  EXPECT_TRUE(s->m_content.IsEmpty());
}
}  // namespace
