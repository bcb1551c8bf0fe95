// Tables and lists: element copying and relocation, sorting, plain tables,
// lists, and the cursors with their reports of bad dereferences.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kvcore/scomwrap.h"
#include "kvcore/sexceptiondlg.h"
#include "kvcore/sstring.h"
#include "kvcore/stable.h"

namespace {

class RefCounted : public IUnknown {
 public:
  int refs = 0;
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG Release() override { return static_cast<ULONG>(--refs); }
};

// Shapes of the selection's element records: a word and a counted reference,
// and a group of them.
struct Data {
  int word = 0;
  SComWrap<IUnknown> ref;
};
struct GroupData {
  SComWrap<IUnknown> ref;
  int word = 0;
  STable<Data> items;
};

template <class Table>
std::vector<int> Values(const Table& t) {
  std::vector<int> v;
  for (int i = 0; i < t.GetCount(); ++i) v.push_back(t.GetAt(i));
  return v;
}

class CursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SExceptionDialog::SetQuiet(true);
    SExceptionDialog::ClearLog();
  }
};

TEST_F(CursorTest, ForwardAndReverseStepping) {
  STable<int> t;
  for (int v : {10, 20, 30}) t.Add(v);
  // Forward: -1 steps to 0; a negative index becomes its complement.
  struct Step {
    int start;
    int after;
  };
  for (const Step& s : {Step{-1, 0}, Step{-3, 2}, Step{0, 1}, Step{2, 3}}) {
    STbl_const_iterator<int, STable<int>> it(t, s.start);
    ++it;
    EXPECT_EQ(it.GetIndex(), s.after) << s.start;
  }
  std::vector<int> forward;
  for (STbl_const_iterator<int, STable<int>> it(t, -1); (++it).IsValid();) forward.push_back(*it);
  EXPECT_EQ(forward, (std::vector<int>{10, 20, 30}));
  // Reverse: at the count it designates the last element; count steps later
  // it is no longer valid.
  STbl_const_reverse_iterator<int, STable<int>> r(t);
  EXPECT_EQ(r.GetPosition(), 3);
  std::vector<int> backward;
  for (int i = 0; i < 3; ++i, ++r) {
    ASSERT_TRUE(r.IsValid());
    backward.push_back(*r);
  }
  EXPECT_FALSE(r.IsValid());
  EXPECT_EQ(backward, (std::vector<int>{30, 20, 10}));
  ++r;  // stays at 0
  EXPECT_EQ(r.GetPosition(), 0);
  STbl_const_reverse_iterator<int, STable<int>> neg(t, -3);  // complement 2, then 1
  ++neg;
  EXPECT_EQ(neg.GetPosition(), 1);
  EXPECT_TRUE(SExceptionDialog::Log().empty());
}

TEST_F(CursorTest, BadDereferenceIsReportedAndStaysInsideTheTable) {
  const char* forwardText =
      "table const_iterator growing table!\nPlease report this exception (this will soon become fatal real exception)!";
  const char* reverseText =
      "table const_reverse_iterator growing table!\nPlease report this exception (this will soon become fatal real "
      "exception)!";
  struct Case {
    const char* what;
    bool reverse;
    int count;
    int at;  // index, or position for a reverse cursor
    int line;
    const char* text;
    int yields;
  };
  const Case cases[] = {
      {"forward at the count", false, 3, 3, 752, forwardText, 3},
      {"forward far beyond", false, 3, 100, 752, forwardText, 3},
      {"forward negative", false, 3, -2, 752, forwardText, 3},
      {"forward on an empty table", false, 0, 0, 752, forwardText, 0},
      {"reverse above the count", true, 3, 4, 579, reverseText, 3},
      {"reverse at 0", true, 3, 0, 579, reverseText, 3},
      {"reverse on an empty table", true, 0, 0, 579, reverseText, 0},
  };
  for (const Case& c : cases) {
    SExceptionDialog::ClearLog();
    STableDumb<int> t;
    for (int i = 1; i <= c.count; ++i) t.Add(i);
    int got = -1;
    if (c.reverse)
      got = *STbl_const_reverse_iterator<int, STableDumb<int>>(t, c.at);
    else
      got = *STbl_const_iterator<int, STableDumb<int>>(t, c.at);
    EXPECT_EQ(got, c.yields) << c.what;
    ASSERT_EQ(SExceptionDialog::Log().size(), 1u) << c.what;
    const SExceptionDialogEntry& e = SExceptionDialog::Log()[0];
    EXPECT_EQ(e.file.ToUtf8(), "core/h/tablemem") << c.what;
    EXPECT_EQ(e.line, c.line) << c.what;
    EXPECT_EQ(e.text.ToUtf8(), c.text) << c.what;
    EXPECT_NE(e.function.ToUtf8().find(c.reverse ? "STbl_const_reverse_iterator" : "STbl_const_iterator"),
              std::string::npos)
        << e.function.ToUtf8();
    EXPECT_NE(e.function.ToUtf8().find("operator*"), std::string::npos) << e.function.ToUtf8();
  }
}

TEST(STableTest, CopyCopiesNestedTablesAndTakesReferences) {
  RefCounted a, b;
  {
    STable<GroupData> groups;
    GroupData g;
    g.ref = &a;
    g.word = 7;
    g.items.Add(Data{1, SComWrap<IUnknown>(&b)});
    g.items.Add(Data{2, SComWrap<IUnknown>(nullptr)});
    groups.Add(g);
    EXPECT_EQ(a.refs, 2);
    EXPECT_EQ(b.refs, 2);
    STable<GroupData> copy(groups);
    EXPECT_EQ(a.refs, 3);
    EXPECT_EQ(b.refs, 3);
    copy.GetAt(0).items.Add(Data{3, SComWrap<IUnknown>(&b)});
    EXPECT_EQ(groups.GetAt(0).items.GetCount(), 2);
    EXPECT_EQ(copy.GetAt(0).items.GetCount(), 3);
    STable<GroupData> assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetAt(0).items.GetAt(2).word, 3);
  }
  EXPECT_EQ(a.refs, 0);
  EXPECT_EQ(b.refs, 0);
}

TEST(STableTest, InsertRemoveAndSelfReferenceWithNonTrivialElements) {
  STable<SString> t;
  for (const char* s : {"alpha", "a long text that is not stored inline at all", "gamma"}) t.Add(SString(s));
  t.Insert(0, t.GetAt(2));  // an element of the table itself, moved by the insertion
  t.Add(t.GetAt(1));        // may grow the storage
  for (int i = 0; i < 20; ++i) t.Add(t.GetAt(i % 3));
  EXPECT_EQ(t.GetAt(0), SString("gamma"));
  EXPECT_EQ(t.GetAt(1), SString("alpha"));
  EXPECT_EQ(t.GetAt(4), SString("alpha"));
  t.Remove(1);
  EXPECT_EQ(t.GetAt(1), SString("a long text that is not stored inline at all"));
  t.Swap(0, 1);
  EXPECT_EQ(t.GetAt(0), SString("a long text that is not stored inline at all"));
  EXPECT_EQ(t.GetCount(), 24);
  EXPECT_THROW(t.GetAt(24), SException);
  EXPECT_THROW(t.Insert(-1, SString("x")), SException);
  int* pointers[2] = {nullptr, nullptr};
  STable<int*> ptrs;
  int x = 0, y = 0;
  ptrs.Add(&x);
  EXPECT_TRUE(ptrs.Contains(&x));
  EXPECT_FALSE(ptrs.Contains(&y));
  (void)pointers;
}

TEST(STableTest, SortCases) {
  struct Case {
    std::vector<int> in;
    int lo, hi;
    std::vector<int> out;
  };
  const Case cases[] = {
      {{}, 0, -1, {}},
      {{5}, 0, 0, {5}},
      {{3, 1, 2}, 0, 2, {1, 2, 3}},
      {{2, 1, 2, 1, 2}, 0, 4, {1, 1, 2, 2, 2}},
      {{9, 3, 1, 2, 0}, 1, 3, {9, 1, 2, 3, 0}},  // only lo..hi
      {{1, 2, 3, 4, 5}, 0, 4, {1, 2, 3, 4, 5}},
      {{5, 4, 3, 2, 1}, 0, 4, {1, 2, 3, 4, 5}},
  };
  auto asc = [](int a, int b) { return a - b; };
  for (const Case& c : cases) {
    STable<int> t;
    for (int v : c.in) t.Add(v);
    t.Sort(asc, c.lo, c.hi);
    EXPECT_EQ(Values(t), c.out);
  }
  // A larger run against the standard sort, with a weight-like compare.
  STable<double> w;
  std::vector<double> ref;
  for (int i = 0; i < 3000; ++i) {
    const double v = ((i * 7919) % 1009) / 7.0;
    w.Add(v);
    ref.push_back(v);
  }
  w.Sort([](double a, double b) { return a - b; }, 0, w.GetCount() - 1);
  std::sort(ref.begin(), ref.end());
  EXPECT_TRUE(std::equal(ref.begin(), ref.end(), w.begin()));
}

struct SelfRemoving {
  static int deleted;
  STableDumb<SelfRemoving*>* table = nullptr;
  virtual ~SelfRemoving() {
    ++deleted;
    if (table) table->Remove(table->Find(this));
  }
};
int SelfRemoving::deleted = 0;

TEST(STableDumbTest, AddReverseCopyArrayAndDeleteAll) {
  STableDumb<int> t;
  EXPECT_EQ(t.Add(4), 0);
  EXPECT_EQ(t.Add(5), 1);
  t.Insert(0, t.GetAt(1));
  EXPECT_EQ(Values(t), (std::vector<int>{5, 4, 5}));
  t.Reverse();
  EXPECT_EQ(Values(t), (std::vector<int>{5, 4, 5}));
  t.Remove(0);
  t.Reverse();
  EXPECT_EQ(Values(t), (std::vector<int>{5, 4}));
  const int block[] = {1, 2, 3};
  t.CopyArray(block, 3);
  EXPECT_EQ(Values(t), (std::vector<int>{1, 2, 3}));
  STableDumb<int> copy(t);
  t.Clear();
  EXPECT_EQ(Values(copy), (std::vector<int>{1, 2, 3}));
  EXPECT_THROW(t.GetAt(0), SException);

  SelfRemoving::deleted = 0;
  STableDumb<SelfRemoving*> objects;
  objects.Add(nullptr);
  objects.Add(new SelfRemoving);
  SelfRemoving* self = new SelfRemoving;
  self->table = &objects;
  objects.Add(self);
  objects.Add(nullptr);
  objects.DeleteAll();
  EXPECT_EQ(objects.GetCount(), 0);
  EXPECT_EQ(SelfRemoving::deleted, 2);
}

TEST(STableMemTest, AddNewBuildsDefaultElementsInPlace) {
  STableMem<SString> t;
  t.AddNew() = SString("first");
  t.AddNew();
  ASSERT_EQ(t.GetCount(), 2);
  EXPECT_EQ(t.GetAt(0), SString("first"));
  EXPECT_TRUE(t.GetAt(1).IsEmpty());
  STableMem<SString> copy(t);
  EXPECT_EQ(copy.GetAt(0), SString("first"));
}

TEST(SListTest, CopyKeepsOrderAndRemoveUnlinks) {
  SList<SString> l;
  l.AddTail(SString("b"));
  l.AddTail(SString("c"));
  l.AddHead(SString("a"));
  SList<SString> copy(l);
  l.Remove(l.GetHead()->next);
  std::vector<std::string> a, b;
  for (const SString& s : l) a.push_back(s.ToUtf8());
  for (const SString& s : copy) b.push_back(s.ToUtf8());
  EXPECT_EQ(a, (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(b, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(copy.Contains(SString("b")));
  copy = l;
  EXPECT_EQ(copy.GetCount(), 2);
  l.Clear();
  EXPECT_TRUE(l.IsEmpty());
  EXPECT_EQ(l.GetHead(), l.GetEnd());
}

}  // namespace
