// The pool as a repository object: GroupType and its regrouping under the
// cascade switch, deleting with members and separator (with and without a
// diagram), duplicating with a separator and the members in order, formats
// spread to groups and lanes without touching the caller's record, and the
// copy of symbol attributes from another pool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcore/scascade.h"
#include "kvrep/srepextras.h"
#include "sym/composite/symswimcoln.h"
#include "sym/composite/symswimgroup.h"
#include "sym/foundation/symformat.h"
#include "support/swim_fixture.h"

namespace {
using RepObj = SComWrap<ISRepObject, &IID_ISRepObject>;

// A lane that writes its name into a shared log when deleted and keeps the
// formats it is given.
class TLogLane : public TSwimLane {
 public:
  TLogLane(ISRepSession* s, SSymRect r, std::string name, std::vector<std::string>* log)
      : TSwimLane(s, r), m_name(std::move(name)), m_log(log) {}
  HRESULT Delete() override {
    if (m_log) m_log->push_back(m_name);
    return TSwimLane::Delete();
  }
  HRESULT SetFormat(const SSymFormatEx& f) override {
    m_formats.push_back(f);
    return TSwimLane::SetFormat(f);
  }
  std::string m_name;
  std::vector<std::string>* m_log;
  std::vector<SSymFormatEx> m_formats;
};

// The regroupings asked for, as the modes they were asked with.
std::vector<int> g_regroups;
void RecordRegroup(SSymSwimLane&, int mode) { g_regroups.push_back(mode); }

class SwimPoolPersist : public SwimFixture {
 protected:
  void SetUp() override {
    SwimFixture::SetUp();
    g_regroups.clear();
    m_savedRegroup = SSymSwimLane::s_regroup;
    SSymSwimLane::s_regroup = &RecordRegroup;
  }
  void TearDown() override {
    SSymSwimLane::s_regroup = m_savedRegroup;
    SwimFixture::TearDown();
  }
  TLogLane* LogLane(SSymSwimLane* pool, const SSymRect& r, const char* name) {
    TLogLane* lane = Make<TLogLane>(r, std::string(name), &m_log);
    EXPECT_EQ(static_cast<ISSymOwner*>(pool)->Add(lane->Sym()), S_OK);
    return lane;
  }
  // Appends a symbol to a holder's SubSymbols straight through the collection.
  static void Put(ISRepObject* holder, ISSymbol* s) {
    SComOut<ISRepClassCol> col;
    ASSERT_EQ(holder->GetCollection(SymAttr::Symbols, &col), S_OK);
    ASSERT_EQ(col->Insert(RepObj(s).Get(), -1), S_OK);
  }
  static std::vector<ISRepObject*> MembersOf(ISRepObject* holder) {
    std::vector<ISRepObject*> out;
    SComOut<ISRepClassCol> col;
    if (holder->GetCollection(SymAttr::Symbols, &col) != S_OK || !col) return out;
    for (LONG i = 0; i < col->GetCount(); ++i) {
      SComOut<ISRepObject> item;
      if (col->Item(i, &item) == S_OK) out.push_back(item.Get());
    }
    return out;
  }
  static void SetGroupType(SSymSwimLane* pool, SHORT mode) {
    SRepVariant v;
    v.SetSHORT(mode);
    EXPECT_TRUE(SUCCEEDED(pool->SetAttribute(SymAttr::Group, v)));
  }

  std::vector<std::string> m_log;
  SSymSwimLane::RegroupFn m_savedRegroup = nullptr;
};

// ---- GroupType --------------------------------------------------------------------------------
TEST_F(SwimPoolPersist, GroupTypeAttributeAndDefault) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 8000, 0), 1);
  EXPECT_EQ(pool->HasAttribute(SymAttr::Group), S_OK);
  SRepVariant v;
  v.SetLONG(77);
  ASSERT_EQ(pool->GetAttributeDefault(SymAttr::Group, &v), S_OK);
  EXPECT_EQ(v.GetType(), SRepVT_SHORT);
  EXPECT_EQ(v.GetLONG(), 0);
  EXPECT_EQ(pool->GetAttributeDefault(SymAttr::Group, nullptr), E_POINTER);
}

// A new mode regroups (0 -> 1 builds, 1 -> 0 dissolves); the same mode again
// does nothing; with cascading off only the value is stored.
TEST_F(SwimPoolPersist, GroupTypeRegroupsOnlyWhileCascading) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 8000, 0), 1);
  SetGroupType(pool, 1);
  SetGroupType(pool, 1);
  SetGroupType(pool, 0);
  EXPECT_EQ(g_regroups, (std::vector<int>{1, 0}));
  {
    SetCascadeAllowed off;
    SetGroupType(pool, 1);
  }
  EXPECT_EQ(pool->m_nGroupType, 1);
  EXPECT_EQ(g_regroups.size(), 2u);
  SRepVariant stored;
  ASSERT_EQ(pool->GetAttribute(SymAttr::Group, &stored), S_OK);
  EXPECT_EQ(stored.GetLONG(), 1);
  // Without group building installed, a change only stores the value.
  SSymSwimLane::s_regroup = nullptr;
  SetGroupType(pool, 0);
  EXPECT_EQ(pool->m_nGroupType, 0);
}

// ---- deleting ---------------------------------------------------------------------------------
TEST_F(SwimPoolPersist, DeleteTakesLanesLastFirstAndTheSeparator) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 8000, 0), 1);
  TLogLane* a = LogLane(pool, SSymRect(0, 20000, 8000, 0), "a");
  TLogLane* b = LogLane(pool, SSymRect(8000, 20000, 16000, 0), "b");
  TLogLane* c = LogLane(pool, SSymRect(16000, 20000, 24000, 0), "c");
  SComWrap<ISSymbol> line(pool->GetLineSym());
  ASSERT_FALSE(line.IsNull());
  ASSERT_EQ(pool->Delete(), S_OK);
  EXPECT_EQ(m_log, (std::vector<std::string>{"c", "b", "a"}));
  for (TLogLane* l : {a, b, c}) EXPECT_TRUE(l->IsDeleted());
  EXPECT_TRUE(pool->IsDeleted());
  EXPECT_TRUE(SSymSwimColn::FromInterface(line.Get())->IsDeleted());
  EXPECT_TRUE(pool->m_pLineSym.IsNull());
  EXPECT_EQ(SSymSwimColn::FromInterface(line.Get())->GetObjSym(), nullptr);
}

// A pool never placed in a diagram still deletes its members with it; a
// second delete is refused with a code.
TEST_F(SwimPoolPersist, DeleteWithoutDiagram) {
  SSymSwimLane* pool = Make<SSymSwimLane>();
  pool->InitialSymRect(SSymRect(0, 20000, 16000, 0));
  TLogLane* a = Make<TLogLane>(SSymRect(0, 20000, 8000, 0), std::string("a"), &m_log);
  TLogLane* b = Make<TLogLane>(SSymRect(8000, 20000, 16000, 0), std::string("b"), &m_log);
  Put(pool->Obj(), a->Sym());
  Put(pool->Obj(), b->Sym());
  SComOut<ISSymDiagram> diagram;
  pool->GetDiagram(&diagram);
  ASSERT_FALSE(diagram);
  EXPECT_EQ(pool->Delete(), S_OK);
  EXPECT_EQ(m_log, (std::vector<std::string>{"b", "a"}));
  EXPECT_TRUE(a->IsDeleted());
  EXPECT_TRUE(b->IsDeleted());
  EXPECT_TRUE(pool->IsDeleted());
  EXPECT_TRUE(FAILED(pool->Delete()));
  EXPECT_EQ(m_log.size(), 2u);
}

// ---- duplicating ------------------------------------------------------------------------------
// The copy's separator runs along the source's start edge: the left edge
// downwards side by side, the bottom edge to the right when stacked.
TEST_F(SwimPoolPersist, DuplicateGivesTheCopyItsOwnSeparator) {
  struct Case {
    int vertical;
    SSymPoint from, to;
  };
  const Case cases[] = {{1, SSymPoint(1000, 9000), SSymPoint(1000, 2000)},
                        {0, SSymPoint(1000, 2000), SSymPoint(5000, 2000)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vertical);
    FreshDiagram();
    SSymSwimLane* pool = NewPool(SSymRect(1000, 9000, 5000, 2000), c.vertical);
    pool->m_bVertical = c.vertical;
    pool->m_nGroupType = 1;
    SComOut<ISRepObject> out;
    ASSERT_EQ(pool->Duplicate(&out, Session(), 0, nullptr), S_OK);
    SSymSwimLane* copy = SSymSwimLane::FromInterface(out.Get());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, pool);
    EXPECT_EQ(copy->m_nGroupType, 1);
    ASSERT_FALSE(copy->m_pLineSym.IsNull());
    EXPECT_NE(copy->m_pLineSym.Get(), pool->GetLineSym());
    SSymSwimColn* coln = SSymSwimColn::FromInterface(copy->m_pLineSym.Get());
    ASSERT_NE(coln, nullptr);
    EXPECT_EQ(coln->GetObjSym(), copy->Sym());
    SSymListPt pts;
    coln->GetListPt(pts);
    ASSERT_EQ(pts.GetCount(), 2);
    EXPECT_EQ(pts.GetAt(0), c.from);
    EXPECT_EQ(pts.GetAt(1), c.to);
    EXPECT_TRUE(MembersOf(out.Get()).empty());
  }
}

// With the child flag every member is copied (or taken from the map) and
// stands in the copy in the source's order; without it none is.
TEST_F(SwimPoolPersist, DuplicateCopiesMembersInOrder) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 8000, 0), 1);
  TSwimLane* lane = AddLane(pool, SSymRect(0, 20000, 8000, 0), 1);
  SSymSwimGroup* group = Make<SSymSwimGroup>();
  group->InitialSymRect(SSymRect(8000, 20000, 16000, 0));
  Put(pool->Obj(), group->Sym());
  SRepMapObject map;
  for (DWORD flags : {1u, 4u}) {
    SCOPED_TRACE(flags);
    TSwimLane* laneCopy = Make<TSwimLane>(SSymRect(0, 20000, 8000, 0));
    map.SetAt(lane->Obj(), laneCopy->Obj());
    SComOut<ISRepObject> out;
    ASSERT_EQ(pool->Duplicate(&out, Session(), flags, &map), S_OK);
    const std::vector<ISRepObject*> members = MembersOf(out.Get());
    ASSERT_EQ(members.size(), 2u);
    EXPECT_TRUE(SRepAreSameObjects(members[0], laneCopy->Obj()));
    SSymSwimGroup* groupCopy = SSymSwimGroup::FromInterface(members[1]);
    ASSERT_NE(groupCopy, nullptr);
    EXPECT_NE(groupCopy, group);
    // The source keeps its own members.
    EXPECT_EQ(CountOf(pool), 2);
  }
  SComOut<ISRepObject> plain;
  ASSERT_EQ(pool->Duplicate(&plain, Session(), 0x2, &map), S_OK);
  EXPECT_TRUE(MembersOf(plain.Get()).empty());
  // The repository's own copy goes the same way.
  SComOut<ISRepObject> repCopy;
  ASSERT_EQ(static_cast<ISRepObject*>(pool->Obj())->Duplicate(&repCopy, FALSE), S_OK);
  SSymSwimLane* rc = SSymSwimLane::FromInterface(repCopy.Get());
  ASSERT_NE(rc, nullptr);
  EXPECT_FALSE(rc->m_pLineSym.IsNull());
}

// ---- formats ----------------------------------------------------------------------------------
// The pool's pen goes to the pool, through the group to its lane, and to
// each loose lane; the caller's record keeps its bits.
TEST_F(SwimPoolPersist, SetFormatSpreadsToGroupsAndLanesOnACopy) {
  SSymSwimLane* pool = Make<SSymSwimLane>();
  pool->InitialSymRect(SSymRect(0, 20000, 24000, 0));
  SSymSwimGroup* group = Make<SSymSwimGroup>();
  TLogLane* inGroup = Make<TLogLane>(SSymRect(0, 20000, 8000, 0), std::string("g"), nullptr);
  TLogLane* loose1 = Make<TLogLane>(SSymRect(8000, 20000, 16000, 0), std::string("1"), nullptr);
  TLogLane* loose2 = Make<TLogLane>(SSymRect(16000, 20000, 24000, 0), std::string("2"), nullptr);
  Put(group->Obj(), inGroup->Sym());
  Put(pool->Obj(), group->Sym());
  Put(pool->Obj(), loose1->Sym());
  Put(pool->Obj(), loose2->Sym());

  SSymFormatEx format;
  format.m_flags = SSymFormatEx::FlagPen | 0x80 | 0x800;
  format.m_pen = SSymPen(2, 40, SSymColor(0x0000FF));
  pool->SetFormat(format);
  EXPECT_EQ(format.m_flags, static_cast<DWORD>(SSymFormatEx::FlagPen | 0x80 | 0x800));
  EXPECT_EQ(pool->GetPen(), format.m_pen);
  for (TLogLane* l : {inGroup, loose1, loose2}) {
    SCOPED_TRACE(l->m_name);
    ASSERT_EQ(l->m_formats.size(), 1u);
    EXPECT_EQ(l->m_formats[0].m_pen, format.m_pen);
    EXPECT_EQ(l->m_formats[0].m_flags & (0x80 | 0x800), 0u);
  }
}

// ---- symbol attributes ------------------------------------------------------------------------
TEST_F(SwimPoolPersist, CopySymAttributes) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 8000, 0), 1);
  EXPECT_EQ(pool->CopySymAttributes(nullptr, 0), E_POINTER);
  TSym* other = Make<TSym>();
  pool->m_nGroupType = 0;
  EXPECT_EQ(pool->CopySymAttributes(other->Sym(), 0), 1);
  EXPECT_EQ(pool->m_nGroupType, 0);

  SSymSwimLane* source = Make<SSymSwimLane>();
  source->m_nGroupType = 1;
  source->m_bVertical = 0;
  EXPECT_EQ(pool->CopySymAttributes(source->Sym(), 0), S_OK);
  EXPECT_EQ(pool->m_nGroupType, 1);
  EXPECT_EQ(pool->m_bVertical, 1);
  EXPECT_TRUE(g_regroups.empty());  // a copied mode is no user's regrouping
}

}  // namespace
