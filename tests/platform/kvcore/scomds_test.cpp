// Containers of counted references: growth rules, ownership of references,
// allocation failures, sorted bags, insertion order and the counted map.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "kvcore/scomds.h"

namespace {

struct ISym : IUnknown {
  static constexpr IID iid = MakeGUID("{155E214F-0445-11D1-83D9-444553540000}");
};
struct IOther : IUnknown {
  static constexpr IID iid = MakeGUID("{155E2148-0445-11D1-83D9-444553540000}");
};

// A counted object with two faces (ISym is also its identity).
class Obj final : public ISym, public IOther {
 public:
  int addRefs = 0;
  int releases = 0;
  int Refs() const { return addRefs - releases; }
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == ISym::iid) *ppv = static_cast<ISym*>(this);
    if (riid == IOther::iid) *ppv = static_cast<IOther*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return static_cast<ULONG>(++addRefs - releases); }
  ULONG Release() override { return static_cast<ULONG>(addRefs - ++releases); }
};

using Tbl = SComTbl<ISym>;

ISym* P(Obj& o) { return static_cast<ISym*>(&o); }

TEST(SComTblTest, GrowthRules) {
  struct Case {
    const char* what;
    int initial;
    int grow;
    int fill;  // items added before the checked Add
    int capacityAfter;
    int growAfter;
  };
  const Case cases[] = {
      {"first growth uses the initial capacity", 50, 25, 0, 50, 25},
      {"step kept at 8 steps", 200, 25, 200, 225, 25},
      {"step doubles above 8 steps", 250, 25, 250, 300, 50},
      {"ratio 3/2", 4, Tbl::MakeRatio(3, 2), 4, 6, Tbl::MakeRatio(3, 2)},
      {"ratio 1/1 still grows by one", 4, Tbl::MakeRatio(1, 1), 4, 5, Tbl::MakeRatio(1, 1)},
      {"grow word 0 grows by one", 3, 0, 3, 4, 0},
      {"no initial room still gets one", 0, 25, 0, 1, 25},
  };
  Obj o;
  for (const Case& c : cases) {
    {
      Tbl t(c.initial, c.grow);
      EXPECT_EQ(t.GetCapacity(), 0) << c.what;
      if (c.fill > 0) {
        t.Initialize(c.initial, c.grow);
        for (int i = 0; i < c.fill; ++i) t.Add(nullptr);
        ASSERT_EQ(t.GetCapacity(), c.fill) << c.what;
      }
      t.Add(P(o));
      EXPECT_EQ(t.GetCapacity(), c.capacityAfter) << c.what;
      EXPECT_EQ(t.GetGrow(), c.growAfter) << c.what;
      EXPECT_EQ(t.GetCount(), c.fill + 1) << c.what;
      EXPECT_EQ(t.GetAt(c.fill), P(o)) << c.what;
    }
    EXPECT_EQ(o.Refs(), 0) << c.what;
  }
}

TEST(SComTblTest, DestroyedTableRestartsFromItsKeptCapacity) {
  struct Case {
    int grow;
    int keptInitial;
  };
  for (const Case& c : {Case{25, 25}, Case{Tbl::MakeRatio(3, 2), 50}}) {
    Obj o;
    Tbl t(50, c.grow);
    t.Add(P(o));
    t.Add(P(o));
    t.Destroy();
    EXPECT_EQ(o.Refs(), 0);
    EXPECT_EQ(t.GetCapacity(), 0);
    EXPECT_EQ(t.GetCount(), 0);
    EXPECT_EQ(t.GetInitialCapacity(), c.keptInitial);
    t.Add(P(o));
    EXPECT_EQ(t.GetCapacity(), c.keptInitial);
  }
}

TEST(SComTblTest, AddInsertRemoveAndReferences) {
  Obj a, b, c;
  {
    Tbl t(2, 2);
    EXPECT_EQ(t.Add(P(a)), P(a));
    t.Add(nullptr);
    t.InsertAt(-1, P(b));  // appends
    t.InsertAt(99, P(c));  // appends
    t.InsertAt(1, P(c));
    std::vector<ISym*> items(t.begin(), t.end());
    EXPECT_EQ(items, (std::vector<ISym*>{P(a), P(c), nullptr, P(b), P(c)}));
    EXPECT_EQ(c.Refs(), 2);
    t.MoveTo(3, 0);
    EXPECT_EQ(t.GetAt(0), P(b));
    EXPECT_EQ(t.GetAt(1), P(a));
    t.RemoveAt(0);
    EXPECT_EQ(b.Refs(), 0);
    EXPECT_TRUE(t.Contains(P(c)));
    EXPECT_FALSE(t.Contains(P(b)));
    // The cursor reads null outside the table.
    EXPECT_EQ(*Tbl::Cursor(t, -1), nullptr);
    EXPECT_EQ(*Tbl::Cursor(t, t.GetCount()), nullptr);
    EXPECT_EQ(*Tbl::Cursor(t, 0), P(a));
    // Another face of a held object is found by identity.
    SComWrap<IOther> other(P(a));
    EXPECT_TRUE(t.ContainsUnknown(other));
    SComWrap<IOther> otherB(P(b));
    EXPECT_FALSE(t.ContainsUnknown(otherB));
    otherB.Reset();
    const int capacity = t.GetCapacity();
    t.RemoveAll();
    EXPECT_EQ(t.GetCount(), 0);
    EXPECT_EQ(t.GetCapacity(), capacity);
    EXPECT_EQ(c.Refs(), 0);
    EXPECT_EQ(a.Refs(), 1);  // the wrapper `other`
  }
  EXPECT_EQ(a.Refs(), 0);
}

TEST(SComTblTest, CopyAndAssignTakeReferencesAndKeepNulls) {
  Obj a, b;
  {
    Tbl src(4, 3);
    src.Add(P(a));
    src.Add(nullptr);
    src.Add(P(b));
    Tbl copy(src);
    EXPECT_EQ(copy.GetCapacity(), 4);
    EXPECT_EQ(copy.GetGrow(), 3);
    EXPECT_EQ(std::vector<ISym*>(copy.begin(), copy.end()), (std::vector<ISym*>{P(a), nullptr, P(b)}));
    EXPECT_EQ(a.Refs(), 2);

    Tbl small(1, 1);
    small.Add(P(b));
    small = src;  // too small: new storage of the source capacity
    EXPECT_EQ(small.GetCapacity(), 4);
    EXPECT_EQ(b.Refs(), 3);
    Tbl& self = small;
    small = self;
    EXPECT_EQ(b.Refs(), 3);
    Tbl empty(7, 5);
    small = empty;  // an empty source frees the storage
    EXPECT_EQ(small.GetCapacity(), 0);
    EXPECT_EQ(b.Refs(), 2);

    // Sources without items: the copy's first growth.
    Tbl never(9, 5);
    EXPECT_EQ(Tbl(never).GetInitialCapacity(), 9);
    Tbl emptied(9, 5);
    emptied.Add(P(a));
    emptied.RemoveAll();
    EXPECT_EQ(Tbl(emptied).GetInitialCapacity(), 5);
    Tbl emptiedRatio(9, Tbl::MakeRatio(3, 2));
    emptiedRatio.Add(nullptr);
    emptiedRatio.RemoveAll();
    EXPECT_EQ(Tbl(emptiedRatio).GetInitialCapacity(), 0);

    ISym* list[] = {P(a), P(b), P(a)};
    Tbl fromList(list, 3);
    EXPECT_EQ(fromList.GetCapacity(), 3);
    EXPECT_EQ(fromList.GetGrow(), 1);
    EXPECT_EQ(a.Refs(), 4);
  }
  EXPECT_EQ(a.Refs(), 0);
  EXPECT_EQ(b.Refs(), 0);
}

TEST(SComTblTest, AllocationFailuresThrowOutOfMemory) {
  Obj a;
  struct Case {
    const char* what;
    int line;
    const char* member;
  };
  const Case cases[] = {
      {"initialize", 927, "::Initialize(int,int)"},
      {"resize", 892, "::Resize(int)"},
      {"copy construction", 450, "::SComTbl<struct ISym,struct ISym *>(const class"},
      {"copy assignment", 737, "::operator =(const class"},
  };
  for (const Case& c : cases) {
    Tbl src(1, 1);
    src.Add(P(a));
    Tbl dst(0, 1);
    bool thrown = false;
    try {
      kvcom_detail::g_failTableAllocations = 1;
      switch (c.line) {
        case 927: dst.Initialize(8, 1); break;
        case 892: src.Add(P(a)); break;
        case 450: {
          Tbl copy(src);
          break;
        }
        case 737: dst = src; break;
      }
    } catch (const SEOutOfMemory& e) {
      thrown = true;
      EXPECT_EQ(e.GetResult(), E_OUTOFMEMORY) << c.what;
      EXPECT_EQ(e.GetFile().ToUtf8(), "lib/h/scomds") << c.what;
      EXPECT_EQ(e.GetLine(), c.line) << c.what;
      const std::string f = e.GetFunction().ToUtf8();
      EXPECT_NE(f.find("SComTbl<struct ISym,struct ISym *>"), std::string::npos) << f;
      EXPECT_NE(f.find(c.member), std::string::npos) << f;
    }
    kvcom_detail::g_failTableAllocations = 0;
    EXPECT_TRUE(thrown) << c.what;
    EXPECT_EQ(src.GetCount(), 1) << c.what;  // the source is untouched
    EXPECT_EQ(dst.GetCount(), 0) << c.what;
  }
  EXPECT_EQ(a.Refs(), 0);
}

// Growing, copying, assigning and shrinking build no failure text (the
// type-name demangle); a failing allocation builds exactly its own.
TEST(SComTblTest, FailureTextsBuiltOnlyOnFailure) {
  Obj a;
  const long before = kvcom_detail::g_typeNamesBuilt.load();
  {
    Tbl t(0, 1);
    for (int i = 0; i < 500; ++i) t.Add(P(a));
    Tbl copy(t);
    Tbl other(1, 1);
    other = copy;
    other.Resize(3);
    other.Initialize(4, 2);
    std::vector<Obj> objs(100);
    SComBag<ISym> bag(1, 1);
    for (Obj& o : objs) bag.Add(P(o));
  }
  EXPECT_EQ(kvcom_detail::g_typeNamesBuilt.load(), before);
  Tbl t(0, 1);
  kvcom_detail::g_failTableAllocations = 1;
  EXPECT_THROW(t.Add(P(a)), SEOutOfMemory);
  kvcom_detail::g_failTableAllocations = 0;
  EXPECT_GT(kvcom_detail::g_typeNamesBuilt.load(), before);
  EXPECT_EQ(a.Refs(), 0);
}

TEST(SComBagTest, SortedByUnsignedPointerWithoutDuplicates) {
  std::vector<Obj> objs(40);
  {
    SComBag<ISym> bag;
    EXPECT_EQ(bag.GetCapacity(), 0);
    EXPECT_EQ(bag.GetGrow(), 25);
    EXPECT_EQ(bag.GetInitialCapacity(), 50);
    EXPECT_EQ(bag.Add(nullptr), 1);  // null is stored
    EXPECT_EQ(bag.Add(nullptr), 0);
    std::set<std::uintptr_t> expected{0};
    for (int i = 0; i < 120; ++i) {
      ISym* p = P(objs[(i * 17) % 40]);
      const bool fresh = expected.insert(reinterpret_cast<std::uintptr_t>(p)).second;
      EXPECT_EQ(bag.Add(p), fresh ? 1 : 0);
    }
    std::vector<std::uintptr_t> got;
    for (ISym* p : bag) got.push_back(reinterpret_cast<std::uintptr_t>(p));
    EXPECT_EQ(got, std::vector<std::uintptr_t>(expected.begin(), expected.end()));
    for (Obj& o : objs) EXPECT_EQ(o.Refs(), 1);
    for (int i = 0; i < bag.GetCount(); ++i) EXPECT_EQ(bag.Find(bag.GetAt(i)), i);
    Obj outsider;
    EXPECT_EQ(bag.Find(P(outsider)), bag.GetCount());
    EXPECT_TRUE(bag.Remove(P(objs[3])));
    EXPECT_FALSE(bag.Remove(P(objs[3])));
    EXPECT_EQ(objs[3].Refs(), 0);
  }
  for (Obj& o : objs) EXPECT_EQ(o.Refs(), 0);
}

// A large bag filled in scrambled order with repeats: every read between
// insertions (membership, a position, a copy, a removal) sees the sorted
// set of distinct members, and each member holds one reference.
TEST(SComBagTest, LargeScrambledFillStaysASortedSet) {
  constexpr int kObjects = 3000;
  std::vector<Obj> objs(kObjects);
  {
    SComBag<ISym> bag;
    std::set<std::uintptr_t> expected;
    auto sorted = [&] { return std::vector<std::uintptr_t>(expected.begin(), expected.end()); };
    auto contents = [](const SComBag<ISym>& b) {
      std::vector<std::uintptr_t> got;
      for (int i = 0; i < b.GetCount(); ++i) got.push_back(reinterpret_cast<std::uintptr_t>(b.GetAt(i)));
      return got;
    };
    for (int i = 0; i < 2 * kObjects; ++i) {
      ISym* p = P(objs[static_cast<std::size_t>((i * 7919) % kObjects)]);
      if (i % 3 == 0) p = P(objs[static_cast<std::size_t>((i * 31) % (i / 2 + 1))]);  // mostly repeats
      const bool fresh = expected.insert(reinterpret_cast<std::uintptr_t>(p)).second;
      ASSERT_EQ(bag.Add(p), fresh ? 1 : 0) << i;
      ASSERT_TRUE(bag.Contains(p));
      if (i == 500) {
        const SComBag<ISym> copy(bag);
        EXPECT_EQ(contents(copy), sorted());
      }
      if (i == 900) {
        const auto at = std::distance(expected.begin(), expected.find(reinterpret_cast<std::uintptr_t>(p)));
        EXPECT_EQ(bag.Find(p), static_cast<int>(at));
      }
      if (i == 1300) {
        EXPECT_TRUE(bag.Remove(p));
        expected.erase(reinterpret_cast<std::uintptr_t>(p));
        EXPECT_FALSE(bag.Contains(p));
      }
    }
    Obj outsider;
    EXPECT_FALSE(bag.Contains(P(outsider)));
    EXPECT_EQ(bag.GetCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(contents(bag), sorted());
    std::vector<std::uintptr_t> walked;
    for (ISym* p : bag) walked.push_back(reinterpret_cast<std::uintptr_t>(p));
    EXPECT_EQ(walked, sorted());
    for (Obj& o : objs) EXPECT_EQ(o.Refs(), expected.count(reinterpret_cast<std::uintptr_t>(P(o))) ? 1 : 0);
  }
  for (Obj& o : objs) EXPECT_EQ(o.Refs(), 0);
}

TEST(SUnsortedComBagTest, IteratesInInsertionOrder) {
  Obj objs[4];
  {
    SUnsortedComBag<ISym> bag;
    const int order[] = {2, 0, 3, 0, 1, 2};
    const int answers[] = {1, 1, 1, 0, 1, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(bag.Add(P(objs[order[i]])), answers[i]);
    std::vector<ISym*> walked(bag.begin(), bag.end());
    EXPECT_EQ(walked, (std::vector<ISym*>{P(objs[2]), P(objs[0]), P(objs[3]), P(objs[1])}));
    for (Obj& o : objs) EXPECT_EQ(o.Refs(), 1);
    EXPECT_TRUE(bag.Remove(P(objs[0])));
    EXPECT_EQ(bag.GetOrderCount(), 3);
    EXPECT_EQ(bag.GetOrderAt(1), P(objs[3]));
    EXPECT_EQ(objs[0].Refs(), 0);
  }
  for (Obj& o : objs) EXPECT_EQ(o.Refs(), 0);
}

TEST(SComMapTest, SetAtOwnsOneReferencePerValue) {
  Obj k1, k2, v1, v2;
  {
    SComMap<ISym*, ISym*> m;
    struct Step {
      ISym* key;
      ISym* value;
      int answer;
    };
    const Step steps[] = {
        {P(k1), P(v1), 1},    // new key with a value
        {P(k1), P(v1), 0},    // same value: nothing changes
        {P(k1), P(v2), 0},    // replaced: v1 released
        {P(k2), nullptr, 0},  // new key, no value
        {P(k2), P(v1), 1},    // a value where there was none
        {P(k1), nullptr, 0},  // cleared
    };
    for (const Step& s : steps) EXPECT_EQ(m.SetAt(s.key, s.value), s.answer);
    EXPECT_EQ(m.GetCount(), 2);
    EXPECT_EQ(m.Find(P(k1)), nullptr);
    EXPECT_EQ(m.Find(P(k2)), P(v1));
    EXPECT_EQ(v1.Refs(), 1);
    EXPECT_EQ(v2.Refs(), 0);
    EXPECT_EQ(k1.Refs(), 0);  // keys are not counted
    m.SetAt(P(k1), P(v2));
    m.RemoveAll();
    EXPECT_EQ(v1.Refs(), 0);
    EXPECT_EQ(v2.Refs(), 0);
    EXPECT_TRUE(m.IsEmpty());
    m.SetAt(P(k1), P(v1));
    m.SetAt(P(k2), P(v2));
    EXPECT_TRUE(m.Remove(P(k1)));
    EXPECT_EQ(v1.Refs(), 0);
  }
  EXPECT_EQ(v2.Refs(), 0);  // the destructor released it
}

}  // namespace
