// Sorted containers: ordering by key type, one entry per key, find-or-create,
// walks and removal under a cursor, owning maps, insertion order, sorted tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcore/sstring.h"
#include "kvcore/stree.h"

namespace {

template <class Container>
std::vector<typename Container::Key> KeysOf(const Container& c) {
  std::vector<typename Container::Key> keys;
  for (__STreeEntry* e = c.GetFirstEntry(); e; e = __STree::Successor(e)) keys.push_back(Container::GetKey(e));
  return keys;
}

TEST(SAscTest, OrderByKeyType) {
  struct Case {
    const char* what;
    int got;
    int expected;
  };
  int objects[2];
  const GUID g1 = MakeGUID("{00000001-0000-0000-0000-000000000000}");
  const GUID g256 = MakeGUID("{00000100-0000-0000-0000-000000000000}");
  const Case cases[] = {
      {"signed ints", SAsc<int>::Compare(-5, 3), -1},
      {"equal ints", SAsc<int>::Compare(7, 7), 0},
      {"pointers by address", SAsc<int*>::Compare(&objects[1], &objects[0]), 1},
      {"pointers unsigned (high bit)",
       SAsc<void*>::Compare(reinterpret_cast<void*>(~std::uintptr_t{0}), reinterpret_cast<void*>(std::uintptr_t{1})), 1},
      {"prefix before longer text", SAsc<SString>::Compare(SString("ab"), SString("abc")), -1},
      {"empty text first", SAsc<SString>::Compare(SString(""), SString("a")), -1},
      {"upper-case B before lower-case a", SAsc<SString>::Compare(SString("B"), SString("a")), -1},
      {"code units unsigned", SAsc<SString>::Compare(SString(u"\xFFFF"), SString(u"a")), 1},
      {"GUID low byte of first field counts first", SAsc<GUID>::Compare(g1, g256), 1},
      {"equal GUIDs", SAsc<GUID>::Compare(g1, g1), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(SMapTest, WalksInKeyOrderWithOneEntryPerKey) {
  SMap<int, SString> m;
  m.SetAt(3, SString("three"));
  m.SetAt(1, SString("one"));
  m.SetAt(2, SString("two"));
  m.SetAt(2, SString("TWO"));
  EXPECT_EQ(KeysOf(m), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(m.GetCount(), 3);
  ASSERT_NE(m.Find(2), nullptr);
  EXPECT_EQ(*m.Find(2), SString("TWO"));
  EXPECT_EQ(m.Find(4), nullptr);
  EXPECT_FALSE(m.Contains(4));
  EXPECT_FALSE(m.Remove(4));
  EXPECT_TRUE(m.Remove(2));
  EXPECT_EQ(KeysOf(m), (std::vector<int>{1, 3}));
  // Descending walk.
  std::vector<int> down;
  for (__STreeEntry* e = m.GetLastEntry(); e; e = __STree::Predecessor(e)) down.push_back(m.GetKey(e));
  EXPECT_EQ(down, (std::vector<int>{3, 1}));
}

TEST(SMapTest, SubscriptCreatesDefaultValue) {
  SMap<SString, int> m;
  EXPECT_EQ(m[SString("x")], 0);
  m[SString("x")] += 5;
  m[SString("y")];
  EXPECT_EQ(m.GetCount(), 2);
  EXPECT_EQ(*m.Find(SString("x")), 5);
}

TEST(SMapTest, CopyHoldsSeparateValues) {
  SMap<int, STable<int>> m;
  EXPECT_EQ((SMap<int, STable<int>>(m).GetCount()), 0);
  m[1].Add(10);
  m[2].Add(20);
  SMap<int, STable<int>> copy(m);
  copy[1].Add(11);
  EXPECT_EQ(m.Find(1)->GetCount(), 1);
  EXPECT_EQ(copy.Find(1)->GetCount(), 2);
  SMap<int, STable<int>> assigned;
  assigned[9];
  assigned = m;
  EXPECT_EQ(KeysOf(assigned), (std::vector<int>{1, 2}));
  EXPECT_EQ(assigned.Find(2)->GetAt(0), 20);
}

TEST(SMapTest, StaysOrderedUnderManyInsertionsAndRemovals) {
  SMap<int, int> m;
  for (int i = 0; i < 2000; ++i) m.SetAt((i * 7919) % 2003, i);
  for (int i = 0; i < 2003; i += 3) m.Remove(i);
  std::vector<int> keys = KeysOf(m);
  std::vector<int> expected;
  for (int i = 0; i < 2003; ++i)
    if (i % 3 != 0 && m.Contains(i)) expected.push_back(i);
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(static_cast<int>(keys.size()), m.GetCount());
}

TEST(SBagTest, AddKeepsOneEntryAndReturnsTheStoredKey) {
  SBag<SString> bag;
  const SString& first = bag.Add(SString("k"));
  const SString& again = bag.Add(SString("k"));
  EXPECT_EQ(&first, &again);
  EXPECT_EQ(bag.GetCount(), 1);
  EXPECT_EQ(bag.Find(SString("k")), &first);
  EXPECT_EQ(bag.Find(SString("z")), nullptr);
  SBag<int> ints;
  for (int k : {5, -1, 3, 5}) ints.Add(k);
  EXPECT_EQ(KeysOf(ints), (std::vector<int>{-1, 3, 5}));
  SBag<int> copy(ints);
  EXPECT_EQ(KeysOf(copy), (std::vector<int>{-1, 3, 5}));
}

TEST(SPtrBagTest, FindGivesThePointer) {
  int a = 0, b = 0;
  SPtrBag<int> bag;
  bag.Add(&a);
  EXPECT_EQ(bag.Find(&a), &a);
  EXPECT_EQ(bag.Find(&b), nullptr);
}

TEST(SMapIteratorTest, RemovingTheCurrentEntryContinuesWithItsSuccessor) {
  struct Case {
    std::vector<int> keys;
    int removeKey;
    std::vector<int> visited;
    std::vector<int> left;
  };
  const Case cases[] = {
      {{1, 2, 3, 4}, 2, {1, 2, 3, 4}, {1, 3, 4}},
      {{1, 2, 3}, 1, {1, 2, 3}, {2, 3}},
      {{1, 2, 3}, 3, {1, 2, 3}, {1, 2}},
      {{7}, 7, {7}, {}},
  };
  for (const Case& c : cases) {
    SMap<int, int> m;
    for (int k : c.keys) m.SetAt(k, k * 10);
    std::vector<int> visited;
    for (SMapIterator<SMap<int, int>> it(m); it.IsValid(); it.Next()) {
      visited.push_back(it.GetKey());
      if (it.GetKey() == c.removeKey) it.Remove();
    }
    EXPECT_EQ(visited, c.visited) << "remove " << c.removeKey;
    EXPECT_EQ(KeysOf(m), c.left) << "remove " << c.removeKey;
  }
}

TEST(SMapIteratorTest, RemovingEveryEntryEndsTheWalk) {
  SMap<int, int> m;
  for (int k : {1, 2, 3}) m.SetAt(k, 0);
  int steps = 0;
  for (SMapIterator<SMap<int, int>> it(m); it.IsValid(); it.Next()) {
    it.Remove();
    ASSERT_LT(++steps, 10);
  }
  EXPECT_EQ(steps, 3);
  EXPECT_TRUE(m.IsEmpty());
}

struct Counted {
  static int deleted;
  SPtrOwnMap<int, Counted>* owner = nullptr;
  int removeOnDelete = -1;
  virtual ~Counted() {
    ++deleted;
    if (owner && removeOnDelete >= 0) {
      Counted* other = owner->Find(removeOnDelete);
      owner->Remove(removeOnDelete);
      delete other;
    }
  }
};
int Counted::deleted = 0;

TEST(SPtrOwnMapTest, RemoveAllDeletesEveryValueOnce) {
  Counted::deleted = 0;
  {
    SPtrOwnMap<int, Counted> m;
    for (int k = 0; k < 5; ++k) m.SetAt(k, new Counted);
    m.SetAt(5, nullptr);
    // The value of 1 removes (and deletes) the entry of 3 when it goes.
    Counted* v1 = m.Find(1);
    v1->owner = &m;
    v1->removeOnDelete = 3;
    m.RemoveAll();
    EXPECT_TRUE(m.IsEmpty());
    EXPECT_EQ(Counted::deleted, 5);
    m.SetAt(9, new Counted);
  }
  EXPECT_EQ(Counted::deleted, 6);  // the destructor ran RemoveAll
}

TEST(SUnsortedMapTest, KeepsInsertionOrderBesideKeyOrder) {
  SUnsortedMap<int, SString> m;
  m.SetAt(3, SString("c"));
  m.SetAt(1, SString("a"));
  m.SetAt(2, SString("b"));
  m.SetAt(3, SString("C"));  // keeps its place
  std::vector<int> order;
  for (int i = 0; i < m.GetOrderCount(); ++i) order.push_back(m.GetOrderAt(i)->key);
  EXPECT_EQ(order, (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(KeysOf(m), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(m.GetOrderAt(0)->value, SString("C"));
  EXPECT_TRUE(m.Remove(1));
  ASSERT_EQ(m.GetOrderCount(), 2);
  EXPECT_EQ(m.GetOrderAt(1)->key, 2);
  SUnsortedMap<int, SString> copy(m);
  EXPECT_EQ(copy.GetOrderAt(0)->key, 3);
  m.RemoveAll();
  EXPECT_EQ(m.GetOrderCount(), 0);
  EXPECT_TRUE(m.IsEmpty());
}

TEST(STableMapTest, FindAnswersIndexOrComplementOfInsertionPoint) {
  int objects[4];
  int* const p0 = &objects[0];
  int* const p1 = &objects[1];
  int* const p2 = &objects[2];
  int* const p3 = &objects[3];
  STableMap<int*, short> m;
  EXPECT_EQ(m.Find(p1), -1);
  EXPECT_EQ(m.SetAt(p2, 2), 0);
  EXPECT_EQ(m.SetAt(p0, 0), 0);
  EXPECT_EQ(m.SetAt(p1, 1), 1);
  EXPECT_EQ(m.SetAt(p1, 11), 1);
  struct Case {
    int* key;
    int expected;
  };
  const Case cases[] = {{p0, 0}, {p1, 1}, {p2, 2}, {p3, ~3}};
  for (const Case& c : cases) EXPECT_EQ(m.Find(c.key), c.expected);
  ASSERT_EQ(m.GetCount(), 3);
  EXPECT_EQ(m.GetAt(1).value, 11);
  EXPECT_EQ(*m.Lookup(p2), 2);
  EXPECT_EQ(m.Lookup(p3), nullptr);
}

TEST(SSortTest, AddKeepsAscendingOrder) {
  SSort<SPair<int, int>, SPAsc<int, int>> s;
  for (int k : {5, 1, 3, 1}) s.Add(SPair<int, int>(k, k * 2));
  ASSERT_EQ(s.GetCount(), 3);
  EXPECT_EQ(s.GetAt(0).key, 1);
  EXPECT_EQ(s.GetAt(1).key, 3);
  EXPECT_EQ(s.GetAt(2).key, 5);
  EXPECT_EQ(s.Find(4), ~2);
}

// A value whose copy can be made to fail.
struct Fragile {
  static bool failCopies;
  int v = 0;
  Fragile() = default;
  explicit Fragile(int x) : v(x) {}
  Fragile(const Fragile& o) : v(o.v) {
    if (failCopies) throw SException(SString("copy failed"), SString());
  }
  Fragile& operator=(const Fragile&) = default;
};
bool Fragile::failCopies = false;

TEST(SMapTest, FailedCopyLeavesNoHalfBuiltEntry) {
  SMap<int, Fragile> m;
  m.SetAt(1, Fragile(1));
  SUnsortedMap<int, Fragile> u;
  u.SetAt(1, Fragile(1));
  SMap<int, Fragile> target;
  target.SetAt(5, Fragile(5));
  Fragile::failCopies = true;
  EXPECT_THROW(m.SetAt(2, Fragile(2)), SException);
  EXPECT_THROW(u.SetAt(2, Fragile(2)), SException);
  EXPECT_THROW(target = m, SException);
  Fragile::failCopies = false;
  EXPECT_EQ(KeysOf(m), (std::vector<int>{1}));
  EXPECT_FALSE(m.Contains(2));
  EXPECT_EQ(u.GetCount(), 1);
  EXPECT_EQ(u.GetOrderCount(), 1);
  EXPECT_TRUE(target.IsEmpty());  // cleared, and the failed entry given up
  m.SetAt(2, Fragile(2));
  EXPECT_EQ(KeysOf(m), (std::vector<int>{1, 2}));
}

}  // namespace
