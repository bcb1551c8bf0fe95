// Counted interface references: queries on conversion, failure codes, texts
// and lines, reference balance, and the identity order.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "kvcore/scomwrap.h"
#include "kvcore/stree.h"

namespace {

struct IFoo : IUnknown {
  static constexpr IID iid = MakeGUID("{96381B60-1253-11D1-83D9-444553540000}");
};
struct IBar : IUnknown {
  static constexpr IID iid = MakeGUID("{155E214F-0445-11D1-83D9-444553540000}");
};
struct IBaz : IUnknown {
  static constexpr IID iid = MakeGUID("{155E214D-0445-11D1-83D9-444553540000}");
};

// A counted object with two faces; queries answer from a table first.
class FakeObject : public IFoo, public IBar {
 public:
  std::vector<std::pair<IID, HRESULT>> answers;
  int refs = 0;
  int queries = 0;
  IUnknown* identity = nullptr;  // the IUnknown face, when not the IFoo one

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    ++queries;
    *ppv = nullptr;
    for (const auto& [id, hr] : answers)
      if (id == riid && FAILED(hr)) return hr;
    if (riid == IID_IUnknown) {
      IUnknown* unk = identity ? identity : static_cast<IFoo*>(this);
      unk->AddRef();
      *ppv = unk;
      return S_OK;
    }
    if (riid == IFoo::iid) *ppv = static_cast<IFoo*>(this);
    if (riid == IBar::iid) *ppv = static_cast<IBar*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG Release() override { return static_cast<ULONG>(--refs); }
};

// An IUnknown face placed at a chosen address.
class Stub final : public IUnknown {
 public:
  int refs = 0;
  HRESULT QueryInterface(REFIID, void** ppv) override {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG Release() override { return static_cast<ULONG>(--refs); }
};

using FooWrap = SComWrap<IFoo>;
using BarWrap = SComWrap<IBar>;
using BazWrap = SComWrap<IBaz>;

struct Thrown {
  HRESULT hr = S_OK;
  std::string function;
  std::string file;
  int line = 0;
};

template <class F>
Thrown Catch(F f) {
  Thrown t;
  try {
    f();
  } catch (const SECOMException& e) {
    t.hr = e.GetResult();
    t.function = e.GetFunction().ToUtf8();
    t.file = e.GetFile().ToUtf8();
    t.line = e.GetLine();
  }
  return t;
}

TEST(SComWrapTest, ConversionsQueryAndFailOnlyOnRealErrors) {
  enum class Way { CtorRaw, CtorWrap, AssignWrap, AssignRaw };
  struct Case {
    const char* what;
    Way way;
    HRESULT answer;  // what the object answers for IBaz; S_OK: not in its table
    bool holds;
    HRESULT thrown;
    int line;
    const char* member;
  };
  const Case cases[] = {
      {"ctor raw, missing", Way::CtorRaw, S_OK, false, S_OK, 0, ""},
      {"ctor raw, failure", Way::CtorRaw, E_FAIL, false, E_FAIL, 53, ">(struct IFoo *)"},
      {"ctor wrap, missing", Way::CtorWrap, S_OK, false, S_OK, 0, ""},
      {"ctor wrap, failure", Way::CtorWrap, E_UNEXPECTED, false, E_UNEXPECTED, 53, ">(const class SComWrap<struct IFoo,"},
      {"assign wrap, missing", Way::AssignWrap, E_NOINTERFACE, false, S_OK, 0, ""},
      {"assign wrap, failure", Way::AssignWrap, E_FAIL, false, E_FAIL, 70, "::operator =(const class"},
      {"assign raw, missing", Way::AssignRaw, S_OK, false, S_OK, 0, ""},
      {"assign raw, failure", Way::AssignRaw, E_ACCESSDENIED, false, E_ACCESSDENIED, 73, "::operator =(struct"},
  };
  for (const Case& c : cases) {
    FakeObject obj;
    if (c.answer != S_OK) obj.answers.push_back({IBaz::iid, c.answer});
    FakeObject other;
    {
      FooWrap foo(static_cast<IFoo*>(&obj));
      BazWrap target;
      Thrown t = Catch([&] {
        switch (c.way) {
          case Way::CtorRaw: target = BazWrap(static_cast<IFoo*>(&obj)); break;
          case Way::CtorWrap: target = BazWrap(foo); break;
          case Way::AssignWrap: target = foo; break;
          case Way::AssignRaw: target = static_cast<IBar*>(&obj); break;
        }
      });
      EXPECT_EQ(t.hr, c.thrown) << c.what;
      EXPECT_EQ(t.line, c.line) << c.what;
      if (c.line) {
        EXPECT_EQ(t.file, "lib/h/scomwrap") << c.what;
        EXPECT_NE(t.function.find("SComWrap<struct IBaz,&struct __s_GUID const _GUID_155e214d_0445_11d1_83d9_444553540000>"),
                  std::string::npos)
            << t.function;
        EXPECT_NE(t.function.find(c.member), std::string::npos) << t.function;
      }
      EXPECT_EQ(!target.IsNull(), c.holds) << c.what;
    }
    EXPECT_EQ(obj.refs, 0) << c.what;
  }
}

TEST(SComWrapTest, ConversionFindsTheOtherFace) {
  FakeObject obj;
  {
    FooWrap foo(static_cast<IFoo*>(&obj));
    BarWrap bar(foo);
    EXPECT_EQ(bar.Get(), static_cast<IBar*>(&obj));
    EXPECT_EQ(obj.refs, 2);
    BarWrap fromRaw(static_cast<IFoo*>(&obj));
    EXPECT_EQ(fromRaw.Get(), static_cast<IBar*>(&obj));
    BarWrap empty(FooWrap{});
    EXPECT_TRUE(empty.IsNull());
    BarWrap fromNull(static_cast<IFoo*>(nullptr));
    EXPECT_TRUE(fromNull.IsNull());
    EXPECT_EQ(obj.refs, 3);
    // An implementing class converts to its own face without a query.
    const int queries = obj.queries;
    BarWrap direct(&obj);
    EXPECT_EQ(direct.Get(), static_cast<IBar*>(&obj));
    EXPECT_EQ(obj.queries, queries);
  }
  EXPECT_EQ(obj.refs, 0);
}

TEST(SComWrapTest, FailedAssignmentLeavesTheWrapperEmpty) {
  FakeObject held, source;
  source.answers.push_back({IBar::iid, E_FAIL});
  BarWrap bar(static_cast<IBar*>(&held));
  FooWrap foo(static_cast<IFoo*>(&source));
  EXPECT_EQ(Catch([&] { bar = foo; }).line, 70);
  EXPECT_TRUE(bar.IsNull());
  EXPECT_EQ(held.refs, 0);
}

TEST(SComWrapTest, EmptyWrapperMembers) {
  FooWrap empty;
  Thrown arrow = Catch([&] { (void)empty.operator->(); });
  EXPECT_EQ(arrow.hr, E_POINTER);
  EXPECT_EQ(arrow.line, 87);
  EXPECT_EQ(arrow.file, "lib/h/scomwrap");
  EXPECT_NE(arrow.function.find(
                "struct IFoo *__thiscall SComWrap<struct IFoo,&struct __s_GUID const "
                "_GUID_96381b60_1253_11d1_83d9_444553540000>::operator ->(void) const"),
            std::string::npos)
      << arrow.function;
  Thrown rel = Catch([&] { empty.Release(); });
  EXPECT_EQ(rel.hr, E_POINTER);
  EXPECT_EQ(rel.line, 112);
  EXPECT_NE(rel.function.find("::Release(void)"), std::string::npos);
  EXPECT_NO_THROW(empty.Reset());
}

TEST(SComWrapTest, ReferenceCountsStayBalanced) {
  FakeObject a, b;
  {
    FooWrap w1(static_cast<IFoo*>(&a));
    FooWrap w2(w1);
    EXPECT_EQ(a.refs, 2);
    w2 = static_cast<IFoo*>(&b);
    EXPECT_EQ(a.refs, 1);
    EXPECT_EQ(b.refs, 1);
    FooWrap& self = w2;
    w2 = self;
    w2 = static_cast<IFoo*>(&b);
    EXPECT_EQ(b.refs, 1);
    FooWrap w3(std::move(w2));
    EXPECT_TRUE(w2.IsNull());
    EXPECT_EQ(b.refs, 1);
    w3.Release();
    EXPECT_TRUE(w3.IsNull());
    EXPECT_EQ(b.refs, 0);
    IFoo** out = &w1;  // operator& empties the wrapper first
    EXPECT_TRUE(w1.IsNull());
    EXPECT_EQ(a.refs, 0);
    *out = static_cast<IFoo*>(&a);
    a.AddRef();  // the reference an out-parameter call hands over
    EXPECT_FALSE(w1 == FooWrap(static_cast<IFoo*>(&b)));
    EXPECT_TRUE(w1 != FooWrap(static_cast<IFoo*>(&b)));
    EXPECT_EQ(a.refs, 1);
    EXPECT_EQ(b.refs, 0);
  }
  EXPECT_EQ(a.refs, 0);
  EXPECT_EQ(b.refs, 0);
}

TEST(SComWrapTest, IdentityOrder) {
  FakeObject a, b;
  FooWrap fa(static_cast<IFoo*>(&a));
  BarWrap ba(fa);
  FooWrap fb(static_cast<IFoo*>(&b));
  FooWrap empty;
  EXPECT_TRUE(fa == ba);  // two faces of one object
  EXPECT_EQ(fa._CompareUnknown(ba), 0);
  const bool aFirst = reinterpret_cast<std::uintptr_t>(static_cast<IUnknown*>(static_cast<IFoo*>(&a))) <
                      reinterpret_cast<std::uintptr_t>(static_cast<IUnknown*>(static_cast<IFoo*>(&b)));
  EXPECT_EQ(fa._CompareUnknown(fb), aFirst ? -1 : 1);
  EXPECT_EQ(fb._CompareUnknown(fa), aFirst ? 1 : -1);
  EXPECT_EQ(fa < fb, aFirst);
  EXPECT_EQ(empty._CompareUnknown(fa), -1);
  EXPECT_EQ(fa._CompareUnknown(empty), 1);
  EXPECT_EQ(empty._CompareUnknown(FooWrap{}), 0);
  // Equal raw pointers answer without a query.
  const int queries = a.queries;
  EXPECT_FALSE(fa != static_cast<IFoo*>(&a));
  EXPECT_EQ(a.queries, queries);
  EXPECT_EQ(a.refs, 2);
}

TEST(SComWrapTest, IdentityQueryFailures) {
  FakeObject good, bad;
  bad.answers.push_back({IID_IUnknown, E_FAIL});
  FooWrap g(static_cast<IFoo*>(&good));
  FooWrap b(static_cast<IFoo*>(&bad));
  Thrown held = Catch([&] { (void)b._CompareUnknown(g); });
  EXPECT_EQ(held.hr, E_FAIL);
  EXPECT_EQ(held.line, 169);
  EXPECT_NE(held.function.find("_CompareUnknown"), std::string::npos);
  Thrown other = Catch([&] { (void)g._CompareUnknown(b); });
  EXPECT_EQ(other.line, 177);
  EXPECT_EQ(good.refs, 1);
  EXPECT_EQ(bad.refs, 1);
}

// Identities whose difference does not fit in 32 bits, with a low half that
// reads as negative: the order must follow the full unsigned addresses.
TEST(SComWrapTest, IdentityOrderUsesFullAddresses) {
  const std::uintptr_t hiAddr = std::uintptr_t{0x3000} << 32 | 0x1000;  // 0x3000_0000_1000
  const std::uintptr_t loAddr = std::uintptr_t{0x2000} << 32 | 0x80000000u;  // 0x2000_8000_0000
  void* pages[2] = {};
  const std::uintptr_t addrs[2] = {hiAddr & ~std::uintptr_t{0xFFF}, loAddr};
  for (int i = 0; i < 2; ++i) {
    pages[i] = mmap(reinterpret_cast<void*>(addrs[i]), 4096, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (pages[i] == MAP_FAILED || reinterpret_cast<std::uintptr_t>(pages[i]) != addrs[i]) {
      if (pages[i] != MAP_FAILED) munmap(pages[i], 4096);
      if (i == 1) munmap(pages[0], 4096);
      GTEST_SKIP() << "address range not available";
    }
  }
  Stub* hiStub = ::new (reinterpret_cast<void*>(hiAddr)) Stub;
  Stub* loStub = ::new (pages[1]) Stub;
  ASSERT_LT(static_cast<std::int32_t>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(
                static_cast<IUnknown*>(hiStub)) - reinterpret_cast<std::uintptr_t>(static_cast<IUnknown*>(loStub)))),
            0);
  {
    FakeObject hi, lo;
    hi.identity = hiStub;
    lo.identity = loStub;
    FooWrap h(static_cast<IFoo*>(&hi));
    FooWrap l(static_cast<IFoo*>(&lo));
    EXPECT_EQ(h._CompareUnknown(l), 1);
    EXPECT_EQ(l._CompareUnknown(h), -1);
    EXPECT_TRUE(l < h);
  }
  EXPECT_EQ(hiStub->refs, 0);
  EXPECT_EQ(loStub->refs, 0);
  hiStub->~Stub();
  loStub->~Stub();
  munmap(pages[0], 4096);
  munmap(pages[1], 4096);
}

// Maps keyed by counted references order and find their keys by identity.
TEST(SComWrapTest, MapKeyedByWrappers) {
  FakeObject objs[3];
  {
    SMap<FooWrap, int> m;
    for (int i : {2, 0, 1, 0}) m.SetAt(FooWrap(static_cast<IFoo*>(&objs[i])), i);
    EXPECT_EQ(m.GetCount(), 3);
    std::vector<std::uintptr_t> keys;
    for (__STreeEntry* e = m.GetFirstEntry(); e; e = __STree::Successor(e))
      keys.push_back(reinterpret_cast<std::uintptr_t>(static_cast<IUnknown*>(m.GetKey(e).Get())));
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    ASSERT_NE(m.Find(FooWrap(static_cast<IFoo*>(&objs[1]))), nullptr);
    EXPECT_EQ(*m.Find(FooWrap(static_cast<IFoo*>(&objs[1]))), 1);
    for (FakeObject& o : objs) EXPECT_EQ(o.refs, 1);  // one reference per stored key
  }
  for (FakeObject& o : objs) EXPECT_EQ(o.refs, 0);
}

}  // namespace

// The out-parameter holder: filled through &holder or Void(), releases what
// it holds when refilled and at its end, hands its reference on through
// Detach and move, takes its own reference through Assign.
TEST(SComOut, BalancesTheReferencesItIsGiven) {
  FakeObject a, b;
  {
    SComOut<IFoo> out;
    EXPECT_TRUE(out.IsNull());
    ASSERT_EQ(a.QueryInterface(IFoo::iid, out.Void()), S_OK);
    EXPECT_EQ(a.refs, 1);
    ASSERT_EQ(b.QueryInterface(IFoo::iid, reinterpret_cast<void**>(&out)), S_OK);  // refilled
    EXPECT_EQ(a.refs, 0);
    EXPECT_EQ(b.refs, 1);
    EXPECT_EQ(out.Get(), static_cast<IFoo*>(&b));
    SComOut<IFoo> moved(std::move(out));
    EXPECT_TRUE(out.IsNull());
    EXPECT_EQ(b.refs, 1);
    moved.Assign(&a);
    EXPECT_EQ(a.refs, 1);
    EXPECT_EQ(b.refs, 0);
    IFoo* kept = moved.Detach();
    EXPECT_EQ(kept, static_cast<IFoo*>(&a));
    EXPECT_TRUE(moved.IsNull());
    SComOut<IFoo> owned(kept);  // takes the detached reference back
  }
  EXPECT_EQ(a.refs, 0);
  EXPECT_EQ(b.refs, 0);
  {
    SComOut<IFoo> failed;
    a.answers = {{IFoo::iid, E_FAIL}};
    EXPECT_EQ(a.QueryInterface(IFoo::iid, failed.Void()), E_FAIL);
    EXPECT_TRUE(failed.IsNull());
  }
  EXPECT_EQ(a.refs, 0);
}
