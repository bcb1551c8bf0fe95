#include <gtest/gtest.h>

#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symcoll.h"
#include "support/swimgroup_fixture.h"

namespace {

using RepObj = SComWrap<ISRepObject, &IID_ISRepObject>;
// The model collection leading from an object to its parent.
constexpr LONG kUp = 0x02000777;

// A lane showing a model object whose parent is found through kUp.
class TModelLane : public SRepFaces<TModelLane, TGroupLane, ISSymObject> {
 public:
  TModelLane(ISRepSession* s, SSymRect r) : SRepFaces(s, r) {}
  HRESULT GetModelObject(ISRepObject** out) override {
    *out = m_model.Get();
    if (!*out) return S_FALSE;
    (*out)->AddRef();
    return S_OK;
  }
  LONG GetParentCollectionId() override { return kUp; }
  std::uintptr_t GetIdent() override { return reinterpret_cast<std::uintptr_t>(this); }
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}
  RepObj m_model;
};

class SwimPoolGroups : public SwimGroupFixture {
 protected:
  // A vertical pool of n lanes side by side, 8000 wide each.
  SSymSwimLane* PoolOfLanes(int n, std::vector<TGroupLane*>& lanes) {
    SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 8000 * n, 0), 1);
    for (int i = 0; i < n; ++i) lanes.push_back(NewLane(pool->Obj(), SSymRect(8000 * i, 40000, 8000 * (i + 1), 0)));
    SSymDeftCanvas screen;
    pool->GetHeadSize(screen);
    return pool;
  }
  static SSymSwimGroup* GroupAt(SSymSwimLane* pool, int pos) {
    return SSymSwimGroup::FromInterface(MembersOf(pool->Obj()).at(pos));
  }
  // A model object under parent (none when null).
  ISRepObject* Model(ISRepObject* parent) {
    TSym* o = Make<TSym>();
    if (parent) SRepObject::FromInterface(o->Obj())->OneSidedCollection(kUp)->Insert(parent, -1);
    return o->Obj();
  }
  // A vertical pool grouping by parents, with one lane for each object.
  SSymSwimLane* ParentPool(const std::vector<ISRepObject*>& objects, std::vector<TModelLane*>& lanes) {
    SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 8000 * static_cast<LONG>(objects.size()), 0), 1);
    pool->m_nGroupType = 1;
    for (size_t i = 0; i < objects.size(); ++i) {
      const LONG x = 8000 * static_cast<LONG>(i);
      TModelLane* lane = Make<TModelLane>(SSymRect(x, 40000, x + 8000, 0));
      lane->m_model = RepObj(objects[i]);
      Put(pool->Obj(), lane->Sym());
      lanes.push_back(lane);
    }
    return pool;
  }
  static int LiveGroups() { return SSymSwimGroup::m_allocator.GetInUse(); }
};

// ---- user groups -------------------------------------------------------------------------------
TEST_F(SwimPoolGroups, UserGroupOfScatteredLanesTakesTheLowestPlaceInPoolOrder) {
  std::vector<TGroupLane*> l;
  SSymSwimLane* pool = PoolOfLanes(6, l);
  ASSERT_EQ(pool->m_nHeadSize, 2000);
  const SSymRect before = Rect(pool->Sym());
  SSymCollection selection;
  selection.Add(l[5]->Sym());
  selection.Add(l[2]->Sym());
  selection.Add(l[3]->Sym());
  ASSERT_EQ(pool->CreateUserGroup(selection), S_OK);
  EXPECT_FALSE(g_bInSwimGroupUpdate);

  SSymSwimGroup* g = GroupAt(pool, 2);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(MembersOf(pool->Obj()), (std::vector<ISSymbol*>{l[0]->Sym(), l[1]->Sym(), g->Sym(), l[4]->Sym()}));
  EXPECT_EQ(MembersOf(g->Obj()), (std::vector<ISSymbol*>{l[2]->Sym(), l[3]->Sym(), l[5]->Sym()}));
  SString title;
  g->GetText(title);
  EXPECT_EQ(title.ToUtf8(), "Group");
  EXPECT_EQ(pool->GetGrpLevel(), 1);

  // The heading counts the group's band: the pool's top edge rises by it.
  EXPECT_EQ(pool->m_nHeadSize, 4000);
  const SSymRect after = Rect(pool->Sym());
  EXPECT_EQ(after.y1, before.y1 + 2000);
  // The group follows the first two lanes, its band at the pool's top, its
  // lanes below the band and side by side.
  const SSymRect gr = Rect(g->Sym());
  EXPECT_EQ(gr.x1, Rect(l[1]->Sym()).x2);
  EXPECT_EQ(gr.y1, after.y1);
  EXPECT_EQ(Rect(l[2]->Sym()).y1, after.y1 - 2000);
  EXPECT_EQ(Rect(l[3]->Sym()).x1, Rect(l[2]->Sym()).x2);
  EXPECT_EQ(Rect(l[4]->Sym()).x1, gr.x2);
}

TEST_F(SwimPoolGroups, AUserGroupMustBeLedByALane) {
  std::vector<TGroupLane*> l;
  SSymSwimLane* pool = PoolOfLanes(4, l);
  SSymCollection first;
  first.Add(l[0]->Sym());
  first.Add(l[1]->Sym());
  ASSERT_EQ(pool->CreateUserGroup(first), S_OK);
  SSymSwimGroup* inner = GroupAt(pool, 0);
  // The first symbol must be a lane: the group leads, so it is refused
  // that way round and taken with a lane in front.
  SSymCollection second;
  second.Add(inner->Sym());
  second.Add(l[2]->Sym());
  EXPECT_EQ(pool->CreateUserGroup(second), E_INVALIDARG);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(pool->GetGrpLevel(), 1);
  EXPECT_EQ(pool->m_nHeadSize, 4000);

  SUnsortedComBag<ISSymbol> groups;
  pool->GetAllGrp(groups);
  EXPECT_EQ(groups.GetOrderCount(), 1);
}

// Bad selections are refused before anything is made: the pool keeps its
// members, no group object is left behind, the update flag is clear.
TEST_F(SwimPoolGroups, BadSelectionsAreRefusedAndLeaveNothingBehind) {
  std::vector<TGroupLane*> l;
  SSymSwimLane* pool = PoolOfLanes(3, l);
  std::vector<TGroupLane*> others;
  FreshDiagram();
  SSymSwimLane* other = PoolOfLanes(2, others);
  TSym* plain = Make<TSym>();
  SSymSwimGroup* held = NewGroup(pool->Obj(), SSymRect(24000, 40000, 32000, 0));
  TGroupLane* nested = NewLane(held->Obj(), SSymRect(24000, 38000, 32000, 0));
  (void)other;

  struct Case {
    const char* what;
    std::vector<ISSymbol*> selection;
    HRESULT expected;
  };
  const std::vector<Case> cases = {
      {"nothing", {}, E_INVALIDARG},
      {"one lane", {l[0]->Sym()}, E_INVALIDARG},
      {"a lane of another pool", {l[0]->Sym(), others[1]->Sym()}, E_INVALIDARG},
      {"a lane inside a group", {l[0]->Sym(), nested->Sym()}, E_INVALIDARG},
      {"a symbol that is no lane", {l[0]->Sym(), plain->Sym()}, E_INVALIDARG},
  };
  const std::vector<ISSymbol*> members = MembersOf(pool->Obj());
  const int live = LiveGroups();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SSymCollection selection;
    for (ISSymbol* s : c.selection) selection.Add(s);
    EXPECT_EQ(pool->CreateUserGroup(selection), c.expected);
    EXPECT_EQ(MembersOf(pool->Obj()), members);
    EXPECT_EQ(LiveGroups(), live);
    EXPECT_FALSE(g_bInSwimGroupUpdate);
  }
  // Grouping by parent objects takes no user group.
  pool->m_nGroupType = 1;
  SSymCollection two;
  two.Add(l[0]->Sym());
  two.Add(l[1]->Sym());
  EXPECT_EQ(pool->CreateUserGroup(two), S_FALSE);
  EXPECT_EQ(LiveGroups(), live);
  // A pool without a diagram neither.
  SSymSwimLane* loose = Make<SSymSwimLane>();
  loose->m_nGroupType = 0;
  EXPECT_EQ(loose->CreateUserGroup(two), S_FALSE);
  EXPECT_EQ(LiveGroups(), live);
}

// ---- parent groups -----------------------------------------------------------------------------
// Lanes of parents X, X, Y under R: X's group holds the first two, Y's the
// third; R, the common ancestor, gets none.
TEST_F(SwimPoolGroups, ParentGroupsStopBelowTheCommonAncestor) {
  ISRepObject* r = Model(nullptr);
  ISRepObject* x = Model(r);
  ISRepObject* y = Model(r);
  std::vector<TModelLane*> l;
  SSymSwimLane* pool = ParentPool({Model(x), Model(x), Model(y)}, l);
  pool->CreatePrntGroup(nullptr);
  EXPECT_FALSE(g_bInSwimGroupUpdate);
  const std::vector<ISSymbol*> members = MembersOf(pool->Obj());
  ASSERT_EQ(members.size(), 2u);
  SSymSwimGroup* gx = SSymSwimGroup::FromInterface(members[0]);
  SSymSwimGroup* gy = SSymSwimGroup::FromInterface(members[1]);
  ASSERT_TRUE(gx && gy);
  EXPECT_EQ(gx->GetGroupObject(), x);
  EXPECT_EQ(gy->GetGroupObject(), y);
  EXPECT_EQ(MembersOf(gx->Obj()), (std::vector<ISSymbol*>{l[0]->Sym(), l[1]->Sym()}));
  EXPECT_EQ(MembersOf(gy->Obj()), (std::vector<ISSymbol*>{l[2]->Sym()}));
  EXPECT_EQ(pool->GetGrpLevel(), 1);
  EXPECT_EQ(pool->m_nHeadSize, 4000);

  // Dissolved keeping formats, and built again with them.
  SSymSwimLane::GroupFormats formats;
  pool->DeleteAllGroup(&formats);
  EXPECT_NE(formats.Find(x), nullptr);
  EXPECT_EQ(MembersOf(pool->Obj()), (std::vector<ISSymbol*>{l[0]->Sym(), l[1]->Sym(), l[2]->Sym()}));
  pool->CreatePrntGroup(&formats);
  EXPECT_EQ(pool->GetGrpLevel(), 1);
  pool->DeleteAllGroup(nullptr);
}

// Switching the pool's GroupType to parent grouping builds the parent
// groups; switching back dissolves them.
TEST_F(SwimPoolGroups, GroupTypeBuildsAndDissolvesParentGroups) {
  ISRepObject* r = Model(nullptr);
  ISRepObject* x = Model(r);
  ISRepObject* y = Model(r);
  std::vector<TModelLane*> l;
  SSymSwimLane* pool = ParentPool({Model(x), Model(x), Model(y)}, l);
  pool->m_nGroupType = 0;
  SRepVariant mode;
  mode.SetSHORT(1);
  ASSERT_TRUE(SUCCEEDED(pool->SetAttribute(SymAttr::Group, mode)));
  EXPECT_EQ(pool->GetGrpLevel(), 1);
  EXPECT_EQ(MembersOf(pool->Obj()).size(), 2u);
  mode.SetSHORT(0);
  ASSERT_TRUE(SUCCEEDED(pool->SetAttribute(SymAttr::Group, mode)));
  EXPECT_EQ(pool->GetGrpLevel(), 0);
  EXPECT_EQ(MembersOf(pool->Obj()), (std::vector<ISSymbol*>{l[0]->Sym(), l[1]->Sym(), l[2]->Sym()}));
}

// Two levels under the ancestor nest: the outer group stands for the
// grandparent and takes the lane's place.
TEST_F(SwimPoolGroups, ParentChainsNestInnermostFirst) {
  ISRepObject* r = Model(nullptr);
  ISRepObject* g = Model(r);
  ISRepObject* x = Model(g);
  ISRepObject* y = Model(r);
  std::vector<TModelLane*> l;
  SSymSwimLane* pool = ParentPool({Model(x), Model(y)}, l);
  pool->CreatePrntGroup(nullptr);
  const std::vector<ISSymbol*> members = MembersOf(pool->Obj());
  ASSERT_EQ(members.size(), 2u);
  SSymSwimGroup* outer = SSymSwimGroup::FromInterface(members[0]);
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(outer->GetGroupObject(), g);
  const std::vector<ISSymbol*> inside = MembersOf(outer->Obj());
  ASSERT_EQ(inside.size(), 1u);
  SSymSwimGroup* inner = SSymSwimGroup::FromInterface(inside[0]);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->GetGroupObject(), x);
  EXPECT_EQ(MembersOf(inner->Obj()), (std::vector<ISSymbol*>{l[0]->Sym()}));
  EXPECT_EQ(pool->GetGrpLevel(), 2);
  pool->DeleteAllGroup(nullptr);
}

// A single lane and lanes of one parent get no group.
TEST_F(SwimPoolGroups, NoGroupWhereTheParentIsTheCommonAncestor) {
  ISRepObject* x = Model(Model(nullptr));
  const int live = LiveGroups();
  {
    std::vector<TModelLane*> l;
    SSymSwimLane* pool = ParentPool({Model(x)}, l);
    pool->CreatePrntGroup(nullptr);
    EXPECT_EQ(MembersOf(pool->Obj()), (std::vector<ISSymbol*>{l[0]->Sym()}));
  }
  {
    FreshDiagram();
    std::vector<TModelLane*> l;
    SSymSwimLane* pool = ParentPool({Model(x), Model(x)}, l);
    pool->CreatePrntGroup(nullptr);
    EXPECT_EQ(MembersOf(pool->Obj()), (std::vector<ISSymbol*>{l[0]->Sym(), l[1]->Sym()}));
    // User grouping builds no parent groups.
    pool->m_nGroupType = 0;
    pool->CreatePrntGroup(nullptr);
    EXPECT_EQ(pool->GetGrpLevel(), 0);
  }
  EXPECT_EQ(LiveGroups(), live);
}

// ---- dissolving and ungrouping ------------------------------------------------------------------
TEST_F(SwimPoolGroups, DeleteAllGroupPutsTheLanesWhereTheirGroupsStood) {
  std::vector<TGroupLane*> l;
  SSymSwimLane* pool = PoolOfLanes(5, l);
  SSymCollection inner;
  inner.Add(l[2]->Sym());
  inner.Add(l[3]->Sym());
  ASSERT_EQ(pool->CreateUserGroup(inner), S_OK);
  SSymSwimGroup* g = GroupAt(pool, 2);
  // Nest it by hand under an outer group holding lane 1 first.
  SSymSwimGroup* outer = NewGroup(pool->Obj(), SSymRect(0, 40000, 8000, 0));
  ASSERT_EQ(static_cast<ISSymOwner*>(outer)->Add(l[1]->Sym()), S_OK);
  ASSERT_EQ(static_cast<ISSymOwner*>(outer)->Add(g->Sym()), S_OK);
  EXPECT_EQ(pool->GetGrpLevel(), 2);
  SUnsortedComBag<ISSymbol> groups;
  pool->GetAllGrp(groups);
  ASSERT_EQ(groups.GetOrderCount(), 2);
  EXPECT_EQ(groups.GetOrderAt(0), outer->Sym());
  EXPECT_EQ(groups.GetOrderAt(1), g->Sym());

  // Parent grouping keeps the formats of groups standing for an object.
  TSym* model = Make<TSym>();
  outer->SetObject(model->Obj());
  pool->m_nGroupType = 1;
  SSymSwimLane::GroupFormats formats;
  pool->DeleteAllGroup(&formats);
  EXPECT_NE(formats.Find(model->Obj()), nullptr);
  EXPECT_FALSE(g_bInSwimGroupUpdate);

  std::vector<ISSymbol*> order = MembersOf(pool->Obj());
  ASSERT_EQ(order.size(), 5u);
  EXPECT_EQ(order[0], l[0]->Sym());
  // The outer group stood last (it was appended): its lanes come there, in its order.
  EXPECT_EQ(std::vector<ISSymbol*>(order.begin() + 1, order.end()),
            (std::vector<ISSymbol*>{l[4]->Sym(), l[1]->Sym(), l[2]->Sym(), l[3]->Sym()}));
  EXPECT_TRUE(outer->IsDeleted());
  EXPECT_TRUE(g->IsDeleted());
  EXPECT_EQ(pool->GetGrpLevel(), 0);
  EXPECT_EQ(pool->m_nHeadSize, 2000);
}

TEST_F(SwimPoolGroups, UngroupGivesBackThePlacesAndTheHeading) {
  std::vector<TGroupLane*> l;
  SSymSwimLane* pool = PoolOfLanes(4, l);
  const SSymRect before = Rect(pool->Sym());
  SSymCollection selection;
  selection.Add(l[1]->Sym());
  selection.Add(l[2]->Sym());
  ASSERT_EQ(pool->CreateUserGroup(selection), S_OK);
  GroupAt(pool, 1)->Ungroup();
  EXPECT_EQ(MembersOf(pool->Obj()), (std::vector<ISSymbol*>{l[0]->Sym(), l[1]->Sym(), l[2]->Sym(), l[3]->Sym()}));
  EXPECT_EQ(pool->GetGrpLevel(), 0);
  EXPECT_EQ(pool->m_nHeadSize, 2000);
  EXPECT_EQ(Rect(pool->Sym()).y1, before.y1);
}

// ---- heading size -------------------------------------------------------------------------------
TEST_F(SwimPoolGroups, HeadingFirstOnlyCachesThenMovesTheStartEdge) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 16000, 0), 0);
  TGroupLane* a = NewLane(pool->Obj(), SSymRect(0, 8000, 40000, 0));
  NewLane(pool->Obj(), SSymRect(0, 16000, 40000, 8000));
  pool->m_nHeadSize = 0;
  const SSymRect before = Rect(pool->Sym());
  SSymDeftCanvas screen;
  EXPECT_EQ(pool->GetHeadSize(screen), 2000);
  EXPECT_EQ(Rect(pool->Sym()), before);
  // A group of two levels (its band and the lane's H) widens it: the left
  // edge of a horizontal pool moves left by the change.
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 24000, 40000, 16000));
  ASSERT_EQ(static_cast<ISSymOwner*>(g)->Add(a->Sym()), S_OK);
  // (the lane joining the group had the pool measure itself again)
  EXPECT_EQ(pool->GetHeadSize(screen), 4000);
  EXPECT_EQ(Rect(pool->Sym()).x1, before.x1 - 2000);
  // Without a diagram the cached size is answered.
  SSymSwimLane* loose = Make<SSymSwimLane>();
  loose->m_nHeadSize = 1234;
  EXPECT_EQ(loose->GetHeadSize(screen), 1234);
  EXPECT_EQ(loose->GetGrpLevel(), 0);
}

// A pool whose heading was never measured (not yet drawn, as in a picture
// built in one go) measures it before its groups come: the group's band
// moves the heading edge instead of being taken for what the rectangle
// already holds.
TEST_F(SwimPoolGroups, GroupsOfAPoolNeverMeasuredStillMoveItsHeadingEdge) {
  std::vector<TGroupLane*> l;
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 24000, 0), 1);
  for (int i = 0; i < 3; ++i) l.push_back(NewLane(pool->Obj(), SSymRect(8000 * i, 40000, 8000 * (i + 1), 0)));
  ASSERT_EQ(pool->m_nHeadSize, 0);
  SSymCollection two;
  two.Add(l[0]->Sym());
  two.Add(l[1]->Sym());
  ASSERT_EQ(pool->CreateUserGroup(two), S_OK);
  EXPECT_EQ(pool->m_nHeadSize, 4000);
  EXPECT_EQ(Rect(pool->Sym()).y1, 42000);
  EXPECT_EQ(Rect(l[0]->Sym()).y1, 40000);

  ISRepObject* r = Model(nullptr);
  ISRepObject* x = Model(r);
  std::vector<TModelLane*> m;
  FreshDiagram();  // a second pool of a diagram would be lined up with the first, and measured for it
  SSymSwimLane* parents = ParentPool({Model(x), Model(x), Model(r)}, m);
  ASSERT_EQ(parents->m_nHeadSize, 0);
  const LONG top = Rect(parents->Sym()).y1;
  parents->CreatePrntGroup(nullptr);
  EXPECT_EQ(parents->GetGrpLevel(), 1);
  EXPECT_EQ(parents->m_nHeadSize, 4000);
  EXPECT_EQ(Rect(parents->Sym()).y1, top + 2000);
}

}  // namespace
