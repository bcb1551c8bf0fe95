// The counted-element repository iterator SRepIter over collections and
// tables, the forward and reverse object iterators under it, and the object
// map's references.
#include <gtest/gtest.h>

#include <vector>

#include "kvcore/scomds.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepiter.h"
#include "support/com_helpers.h"
#include "support/repfixture.h"

namespace {

inline constexpr IID IID_ITMark = MakeGUID("{5E7A0001-0000-4000-8000-0000000000A1}");

// A face only some test objects answer.
struct ITMark : IUnknown {
  static constexpr IID iid = IID_ITMark;
  virtual int Mark() = 0;

 protected:
  ~ITMark() = default;
};

class TMarked : public TNode, public ITMark {
 public:
  TMarked(ISRepSession* s, int mark) : TNode(s), m_mark(mark) {}
  HRESULT QueryInterface(REFIID iid, void** ppv) override { return TNode::QueryInterface(iid, ppv); }
  ULONG AddRef() override { return TNode::AddRef(); }
  ULONG Release() override { return TNode::Release(); }
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override {
    if (iid != IID_ITMark) return TNode::InternalQueryInterface(iid, ppv);
    *ppv = static_cast<ITMark*>(this);
    AddRef();
    return S_OK;
  }
  int Mark() override { return m_mark; }
  int m_mark;
};

using ObjIter = SRepIter<ISRepObject, &IID_ISRepObject>;
using MarkIter = SRepIter<ITMark>;

class IterTest : public RepTest {
 protected:
  void SetUp() override {
    RepTest::SetUp();
    c = NewNode(session);
    ASSERT_EQ(S_OK, root->Collection(kKids)->Insert(c, -1));  // root: a, b, c
  }
  void TearDown() override {
    c->Release();
    RepTest::TearDown();
  }
  // The walk from the start, as the objects seen (null where an element did
  // not answer the interface).
  template <class It>
  static std::vector<IUnknown*> Walk(It& it) {
    std::vector<IUnknown*> seen;
    for (it.Reset(); !it.IsDone(); it.Step()) seen.push_back(it.Get());
    return seen;
  }
  std::vector<IUnknown*> Seq(std::initializer_list<TNode*> nodes) {
    std::vector<IUnknown*> v;
    for (TNode* n : nodes) v.push_back(n ? static_cast<ISRepObject*>(n) : nullptr);
    return v;
  }
  TNode* c = nullptr;
};

TEST_F(IterTest, WalksCollectionsForwardAndReverse) {
  SRepClassColPtr kids(root, kKids);
  const auto fwd = Seq({a, b, c}), rev = Seq({c, b, a});

  ObjIter byMember(root, kKids), byMemberRev(root, kKids, true);
  ObjIter byColPtr(kids), byColPtrRev(kids, true);
  ObjIter byCol(kids.Get()), byColRev(kids.Get(), true);
  EXPECT_EQ(fwd, Walk(byMember));
  EXPECT_EQ(rev, Walk(byMemberRev));
  EXPECT_EQ(fwd, Walk(byColPtr));
  EXPECT_EQ(rev, Walk(byColPtrRev));
  EXPECT_EQ(fwd, Walk(byCol));
  EXPECT_EQ(rev, Walk(byColRev));
  EXPECT_EQ(SRepIterModeCollection, byMember.GetFlags());
  EXPECT_EQ(SRepIterModeCollection | SRepIterReverse, byMemberRev.GetFlags());
  EXPECT_EQ(3, byColRev.GetCount());

  // The object iterators under it walk the same ways.
  SRepObjIterator objFwd(root, kKids), objCol(kids.Get());
  SRepObjReverseIterator objRev(root, kKids), objRevCol(kids);
  for (auto* it : {&objFwd, &objCol}) {
    std::vector<IUnknown*> seen;
    while (ISRepObject* o = it->Next()) seen.push_back(o);
    EXPECT_EQ(fwd, seen);
  }
  for (SRepObjReverseIterator* it : {&objRev, &objRevCol}) {
    EXPECT_TRUE(it->IsReverse());
    std::vector<IUnknown*> seen;
    while (ISRepObject* o = it->Next()) seen.push_back(o);
    EXPECT_EQ(rev, seen);
  }

  // Nothing to walk: a null object, a null collection, an empty collection.
  ObjIter none(static_cast<ISRepObject*>(nullptr), kKids), noCol(static_cast<ISRepClassCol*>(nullptr)),
      empty(a, kKids, true), unset;
  for (ObjIter* it : {&none, &noCol, &empty, &unset}) {
    EXPECT_TRUE(it->IsDone());
    EXPECT_TRUE(it->Fetch());
    EXPECT_EQ(nullptr, it->Get());
    it->Step();
    EXPECT_TRUE(it->IsDone());
  }
  EXPECT_EQ(E_POINTER, none.Init(nullptr, kKids));
}

TEST_F(IterTest, CurrentElementIsOneCountedReference) {
  const ULONG base = Refs(b), ra = Refs(a), rc = Refs(c);
  {
    ObjIter it(root, kKids);
    const ULONG walking = Refs(b);  // the walk holds each member once
    it.Step();
    ASSERT_EQ(static_cast<ISRepObject*>(b), it.Get());
    EXPECT_EQ(walking + 1, Refs(b)) << "the current element holds one reference";
    EXPECT_FALSE(it.Fetch());
    EXPECT_FALSE(it.Fetch());
    EXPECT_EQ(walking + 1, Refs(b)) << "fetching again replaces the reference";
    {
      ObjIter::Wrap copy = it.Current();
      EXPECT_EQ(walking + 2, Refs(b));
    }
    it.Step();
    EXPECT_EQ(walking, Refs(b)) << "moving on releases it";
    it.Step();
    EXPECT_TRUE(it.IsDone());
    EXPECT_EQ(nullptr, it.Get());
    it.Reset();
    EXPECT_EQ(static_cast<ISRepObject*>(a), it.Get());
    it.Step();
  }
  EXPECT_EQ(base, Refs(b));
  EXPECT_EQ(ra, Refs(a));
  EXPECT_EQ(rc, Refs(c));
}

TEST_F(IterTest, ElementsThatDoNotAnswerReadAsNull) {
  auto* m1 = new TMarked(session, 1);
  auto* m2 = new TMarked(session, 2);
  m1->AddRef();
  m2->AddRef();
  SRepCollection* kids = root->Collection(kKids);
  kids->Insert(m1, 0);
  kids->Insert(m2, -1);  // m1, a, b, c, m2
  const ULONG m1Refs = Refs(static_cast<ITMark*>(m1));

  MarkIter it(root, kKids);
  std::vector<int> marks;
  int nulls = 0;
  for (; !it.IsDone(); ++it) {
    if (it.Get())
      marks.push_back(it->Mark());
    else
      ++nulls;
  }
  EXPECT_EQ((std::vector<int>{1, 2}), marks);
  EXPECT_EQ(3, nulls) << "the walk goes on past members without the interface";

  it.Reset();
  it.Step();  // on a, which has no mark
  EXPECT_FALSE(it.IsDone());
  EXPECT_TRUE(it.Fetch());
  try {
    it->Mark();
    ADD_FAILURE() << "no current element";
  } catch (const SECOMException& e) {
    EXPECT_EQ(E_POINTER, e.GetResult());
  }

  MarkIter rev(root, kKids, true);
  ASSERT_NE(nullptr, rev.Get());
  EXPECT_EQ(2, rev->Mark());
  rev.Reset();
  rev.Init(root, kKids);  // a new walk
  EXPECT_EQ(1, rev->Mark());
  EXPECT_FALSE(rev.IsReverse());

  kids->Remove(kids->GetPos(m1));
  kids->Remove(kids->GetPos(m2));
  it.Init(static_cast<ISRepObject*>(nullptr), kKids);
  rev.Init(static_cast<ISRepObject*>(nullptr), kKids);
  EXPECT_EQ(m1Refs - 1, Refs(static_cast<ITMark*>(m1))) << "only the collection's reference is gone";
  m1->Release();
  m2->Release();
}

TEST_F(IterTest, CollectionChangedWhileWalking) {
  SRepCollection* kids = root->Collection(kKids);
  const ULONG base = Refs(b);
  {
    ObjIter it(root, kKids);
    ASSERT_EQ(static_cast<ISRepObject*>(a), it.Get());
    // b and c leave the collection, b is deleted, a new member arrives.
    kids->Remove(kids->GetPos(b));
    kids->Remove(kids->GetPos(c));
    b->Delete();
    TNode* d = NewNode(session);
    kids->Insert(d, 1);
    // The walk keeps the members it started with, alive while it holds them.
    std::vector<IUnknown*> rest;
    for (it.Step(); !it.IsDone(); it.Step()) rest.push_back(it.Get());
    EXPECT_EQ(Seq({b, c}), rest);
    d->Release();
  }
  EXPECT_EQ(base - 1, Refs(b)) << "the walk gave back its references";
}

TEST_F(IterTest, ColIteratorLeavesTheCollectionWhenItEnds) {
  const ULONG rr = Refs(root), ra = Refs(a), rb = Refs(b);
  {
    SRepColIterator it(root, kKids);
    EXPECT_EQ(static_cast<ISRepObject*>(a), it.Next());
    root->Collection(kKids)->Remove(root->Collection(kKids)->GetPos(b));
    EXPECT_EQ(static_cast<ISRepObject*>(c), it.Next());
  }
  // No notice may reach the ended walk.
  root->Collection(kKids)->Remove(root->Collection(kKids)->GetPos(c));
  root->Collection(kKids)->Insert(b, 0);
  root->Collection(kKids)->Insert(c, -1);
  EXPECT_EQ(rr, Refs(root));
  EXPECT_EQ(ra, Refs(a));
  EXPECT_EQ(rb, Refs(b));

  SRepColIterator none(nullptr, kKids);
  EXPECT_EQ(nullptr, none.Next());
}

// The walk is a local object: the collection's hold on it is counted while
// it listens and gone once it stops, and no release ever ends it.
TEST_F(IterTest, ColIteratorIsHeldByItsCollectionOnlyWhileItListens) {
  SRepColIterator it(root, kKids);
  EXPECT_EQ(1u, it.GetOutstandingRefs());

  void* face = nullptr;
  ASSERT_EQ(S_OK, it.QueryInterface(IID_ISRepClassColSink, &face));
  EXPECT_EQ(static_cast<ISRepClassColSink*>(&it), face);
  EXPECT_EQ(2u, it.GetOutstandingRefs());
  EXPECT_NE(0u, static_cast<IUnknown*>(face)->Release());
  ASSERT_EQ(S_OK, it.QueryInterface(IID_IUnknown, &face));
  static_cast<IUnknown*>(face)->Release();
  EXPECT_EQ(E_NOINTERFACE, it.QueryInterface(IID_ISRepObject, &face));
  EXPECT_EQ(nullptr, face);
  EXPECT_EQ(E_POINTER, it.QueryInterface(IID_IUnknown, nullptr));
  EXPECT_EQ(1u, it.GetOutstandingRefs());

  it.Unadvise();
  EXPECT_EQ(0u, it.GetOutstandingRefs());
  // A release too many neither reports a last release nor counts below none.
  EXPECT_NE(0u, it.Release());
  EXPECT_EQ(0u, it.GetOutstandingRefs());
  // It still walks what it took at the start.
  EXPECT_EQ(static_cast<ISRepObject*>(a), it.Next());

  SRepColIterator none(nullptr, kKids);
  EXPECT_EQ(0u, none.GetOutstandingRefs());
}

TEST_F(IterTest, WalksTablesOfRawPointers) {
  SComTbl<ISRepObject> table;
  table.Add(a);
  table.Add(nullptr);
  table.Add(b);
  const ULONG base = Refs(a);

  ObjIter fwd(table), rev(table, true);
  EXPECT_EQ(SRepIterModeTable, fwd.GetFlags());
  EXPECT_EQ(SRepIterModeTable | SRepIterReverse, rev.GetFlags());
  EXPECT_EQ(Seq({a, nullptr, b}), Walk(fwd));
  EXPECT_EQ(Seq({b, nullptr, a}), Walk(rev));
  rev.Reset();
  EXPECT_EQ(3, rev.GetPos()) << "a reverse walk stands after its element";
  EXPECT_EQ(base + 1, Refs(b));

  // The table shrinks under both walks: what left reads as null, nothing
  // beyond the table is read, and both walks still end.
  fwd.Reset();
  fwd.Step();
  table.RemoveAt(2);
  table.RemoveAt(1);
  EXPECT_TRUE(rev.Fetch());
  EXPECT_FALSE(rev.IsDone());
  EXPECT_TRUE(fwd.Fetch());
  EXPECT_TRUE(fwd.IsDone());
  std::vector<IUnknown*> rest;
  for (rev.Step(); !rev.IsDone(); rev.Step()) rest.push_back(rev.Get());
  EXPECT_EQ(Seq({nullptr, a}), rest);

  // A table of another interface: items are queried.
  SComTbl<ISRepObject> marked;
  auto* m = new TMarked(session, 7);
  m->AddRef();
  marked.Add(a);
  marked.Add(m);
  MarkIter marks(marked);
  EXPECT_EQ(nullptr, marks.Get());
  marks.Step();
  EXPECT_EQ(7, marks->Mark());
  marks.Init(table);
  m->Release();

  fwd.Init(root, kKids);  // back to a collection
  EXPECT_EQ(Seq({a, b, c}), Walk(fwd));
}

TEST_F(IterTest, MapOwnsOneReferencePerValueAndNoneToKeys) {
  const ULONG ra = Refs(a), rb = Refs(b), rc = Refs(c);
  {
    SRepMapObject map;
    EXPECT_EQ(1, map.SetAt(a, b));
    EXPECT_EQ(0, map.SetAt(a, b)) << "same value again";
    EXPECT_EQ(ra, Refs(a)) << "keys are not counted";
    EXPECT_EQ(rb + 1, Refs(b));

    EXPECT_EQ(0, map.SetAt(a, c)) << "a replaced value";
    EXPECT_EQ(rb, Refs(b));
    EXPECT_EQ(rc + 1, Refs(c));
    EXPECT_EQ(static_cast<ISRepObject*>(c), map.Find(a));

    EXPECT_EQ(0, map.SetAt(a, nullptr)) << "a cleared value";
    EXPECT_EQ(rc, Refs(c));
    EXPECT_EQ(nullptr, map.Find(a));
    EXPECT_EQ(1, map.SetAt(a, b)) << "a null entry takes a value again";

    EXPECT_EQ(0, map.SetAt(b, nullptr)) << "a key with no value";
    EXPECT_EQ(1, map.SetAt(c, b));
    EXPECT_EQ(rb + 2, Refs(b));
    map.RemoveAll();
    EXPECT_EQ(rb, Refs(b));
    EXPECT_EQ(nullptr, map.Find(c));

    map.SetAt(b, a);
    map.SetAt(c, c);
    EXPECT_EQ(ra + 1, Refs(a));
  }
  EXPECT_EQ(ra, Refs(a)) << "the map's end releases its values";
  EXPECT_EQ(rb, Refs(b));
  EXPECT_EQ(rc, Refs(c));
}

}  // namespace
