// The library frame seen from a program linked with the library: module
// state, flags and their scopes, delayed notifications, exception texts.
#include <gtest/gtest.h>

#include <vector>

#include "kvcore/scascade.h"
#include "kvcore/sexception.h"
#include "kvcore/snotify.h"
#include "kvlib/slibmodule.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symnotify.h"
#include "win/winloader.h"

TEST(SymFrame, ModuleStateIsInitialisedTwiceWithTheLibraryInstance) {
  HMODULE h = GetModuleHandleW(u"kvsym16.dll");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(SSymGetInstanceHandle(), h);
  ASSERT_NE(SSymGetModuleState(), nullptr);
  EXPECT_EQ(SSymGetModuleState()->GetInstanceHandle(), h);
  SLibModuleState* module = SSymGetLibModuleState();
  EXPECT_EQ(static_cast<SModuleState*>(module), SSymGetModuleState());
  EXPECT_EQ(module->GetInitCount(), 2);
  EXPECT_EQ(module->GetTermCount(), 0);
  // The object map of the attach is the library's empty map.
  ASSERT_NE(module->GetObjectMap(), nullptr);
  EXPECT_EQ(module->GetObjectCount(), 0);
  EXPECT_TRUE(KvThreadLibraryCallsDisabled(h));
}

// ---- flags and scopes -------------------------------------------------------------

TEST(SymFrame, FlagsStartFalseAndTrue) {
  EXPECT_FALSE(g_IsSymbolResized());
  EXPECT_TRUE(g_IsSymFirstCreation());
}

TEST(SymFrame, NestedScopesRestoreTheOuterValue) {
  const bool before = g_IsSymFirstCreation();
  {
    SetSymFirstCreation outer(false);
    EXPECT_FALSE(g_IsSymFirstCreation());
    EXPECT_EQ(outer.GetOldValue(), before);
    {
      SetSymFirstCreation inner(true);
      EXPECT_TRUE(g_IsSymFirstCreation());
      EXPECT_FALSE(inner.GetOldValue());
    }
    EXPECT_FALSE(g_IsSymFirstCreation());
  }
  EXPECT_EQ(g_IsSymFirstCreation(), before);
  {
    SetSymbolResized outer(true);
    {
      SetSymbolResized inner(false);
      EXPECT_FALSE(g_IsSymbolResized());
    }
    EXPECT_TRUE(g_IsSymbolResized());
  }
  EXPECT_FALSE(g_IsSymbolResized());
}

TEST(SymFrame, RestoreRunsOnce) {
  SetSymbolResized a(true);  // saved false
  a.Restore();
  EXPECT_FALSE(g_IsSymbolResized());
  SetSymbolResized b(true);  // saved false, flag true
  a.Restore();               // already restored: no change
  EXPECT_TRUE(g_IsSymbolResized());
  b.Restore();
  EXPECT_FALSE(g_IsSymbolResized());
  // a's and b's destructors restore nothing more.
}

TEST(SymFrame, CascadeScopesSwitchOffAndRestoreOnce) {
  ASSERT_TRUE(g_IsCascadeAllowed());
  ASSERT_TRUE(g_IsDefaultAllowed());
  {
    SetCascadeAllowed off;
    EXPECT_FALSE(g_IsCascadeAllowed());
    EXPECT_TRUE(off.GetOldValue());
    {
      SetCascadeAllowed on(true);
      EXPECT_TRUE(g_IsCascadeAllowed());
    }
    EXPECT_FALSE(g_IsCascadeAllowed());
    SetDefaultAllowed noDefaults;
    EXPECT_FALSE(g_IsDefaultAllowed());
    noDefaults.Restore();
    EXPECT_TRUE(g_IsDefaultAllowed());
    SetDefaultAllowed again;  // closes first: restores false, then noDefaults does nothing
  }
  EXPECT_TRUE(g_IsCascadeAllowed());
  EXPECT_TRUE(g_IsDefaultAllowed());
}

// ---- module part ---------------------------------------------------------------------

namespace {
std::vector<int> g_termed;
void TermFunc(DWORD_PTR data) { g_termed.push_back(static_cast<int>(data)); }
}  // namespace

TEST(SymFrame, ModuleTermRunsTheTermListOnceLastAddedFirst) {
  g_termed.clear();
  {
    SLibModuleState module;
    int dummy = 0;
    module.Init(reinterpret_cast<HINSTANCE>(&dummy), nullptr);
    EXPECT_EQ(module.GetResourceHandle(), reinterpret_cast<HINSTANCE>(&dummy));
    EXPECT_EQ(module.GetObjectCount(), 0);
    module.AddTermFunc(&TermFunc, 1);
    module.AddTermFunc(&TermFunc, 2);
    module.AddTermFunc(nullptr, 3);  // ignored
    module.Term();
    EXPECT_EQ(g_termed, (std::vector<int>{2, 1}));
    module.Term();
    EXPECT_EQ(g_termed.size(), 2u);
    module.AddTermFunc(&TermFunc, 4);  // run by the destructor
  }
  EXPECT_EQ(g_termed, (std::vector<int>{2, 1, 4}));
}

// ---- delayed notifications ---------------------------------------------------------

namespace {
class PendingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SPendingNotify::BagPendings.RemoveAll();
    SNotificationManager::ClearLog();
    m_sinks = SNotificationManager::GetSinkCount();
  }
  void TearDown() override {
    SPendingNotify::BagPendings.RemoveAll();
    EXPECT_EQ(SNotificationManager::GetSinkCount(), m_sinks);
  }
  // True when the entry's own notification (code 900) went out.
  static bool Fired() {
    for (const SNotificationRecord& r : SNotificationManager::Log())
      if (r.code == 900) return true;
    return false;
  }
  int m_sinks = 0;
};

int g_a, g_b;
}  // namespace

TEST_F(PendingTest, FiringRuleFollowsTheFilters) {
  void* const A = &g_a;
  void* const B = &g_b;
  struct Case {
    void* ptrFilter;
    unsigned long numFilter;
    void* ptr;
    unsigned long num;
    bool fires;
  };
  const Case cases[] = {
      {nullptr, 0, B, 7, true},   // both filters unset: the first notification fires
      {A, 0, B, 0, false},        // another non-null pointer is ignored
      {A, 0, nullptr, 0, true},   // a null pointer passes the pointer filter
      {A, 0, A, 3, true},         // the same pointer passes
      {nullptr, 5, nullptr, 6, false},
      {nullptr, 5, nullptr, 0, true},
      {nullptr, 5, A, 5, true},
      {A, 5, A, 6, false},        // both filters must pass
      {A, 5, nullptr, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "filters " << c.ptrFilter << "/" << c.numFilter << " got " << c.ptr << "/"
                                    << c.num);
    SPendingNotify::BagPendings.RemoveAll();
    SNotificationManager::ClearLog();
    SPendingNotify* entry = SPendingNotify::Post(900, A, 42, 0, c.ptrFilter, c.numFilter);
    ASSERT_NE(entry, nullptr);
    SNotificationManager::Notify(1, c.ptr, c.num);
    EXPECT_EQ(Fired(), c.fires);
    EXPECT_EQ(SPendingNotify::BagPendings.GetCount(), c.fires ? 0 : 1);
    if (c.fires) {
      // The trigger, then the entry's own notification with its own arguments.
      std::vector<SNotificationRecord> log = SNotificationManager::Log();
      ASSERT_EQ(log.size(), 2u);
      EXPECT_EQ(log[1], (SNotificationRecord{900, A, 42}));
    }
  }
}

TEST_F(PendingTest, FiredEntryLeavesQueueAndManagerAndFiresOnce) {
  SPendingNotify::Post(900, nullptr, 0);
  EXPECT_EQ(SNotificationManager::GetSinkCount(), m_sinks + 1);
  SNotificationManager::Notify(1, nullptr, 0);
  SNotificationManager::Notify(2, nullptr, 0);
  int fired = 0;
  for (const SNotificationRecord& r : SNotificationManager::Log()) fired += r.code == 900;
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(SPendingNotify::BagPendings.GetCount(), 0);
  EXPECT_EQ(SNotificationManager::GetSinkCount(), m_sinks);
}

TEST_F(PendingTest, QueueIsOrderedByTheSixFieldsWithoutDuplicates) {
  int x;
  SPendingNotify* e1 = SPendingNotify::Post(5, nullptr, 0, 2);
  SPendingNotify* e2 = SPendingNotify::Post(5, nullptr, 0, 1);  // differs only in the key: kept
  SPendingNotify* e3 = SPendingNotify::Post(-3, &x, 9);
  SPendingNotify* e4 = SPendingNotify::Post(5, nullptr, 0, 1, nullptr, 4);
  SPendingNotify* again = SPendingNotify::Post(5, nullptr, 0, 2);  // identical: kept once
  EXPECT_EQ(again, e1);
  EXPECT_EQ(SPendingNotify::BagPendings.GetEntries(), (std::vector<SPendingNotify*>{e3, e2, e4, e1}));
  EXPECT_EQ(SNotificationManager::GetSinkCount(), m_sinks + 4);
  // Signed comparison of the code; keys compare as signed numbers too.
  SPendingNotify probeLow(-1, nullptr, 0, 0, nullptr, 0), probeHigh(1, nullptr, 0, 0, nullptr, 0);
  EXPECT_LT(SAscPendings::Compare(probeLow, probeHigh), 0);
  EXPECT_EQ(SAscPendings::Compare(probeLow, probeLow), 0);
  SPendingNotify keyLow(0, nullptr, 0, 0xFFFFFFFFu, nullptr, 0), keyHigh(0, nullptr, 0, 1, nullptr, 0);
  EXPECT_LT(SAscPendings::Compare(keyLow, keyHigh), 0);
}

TEST_F(PendingTest, SinkAnswersItsInterfacesOnly) {
  SPendingNotify* entry = SPendingNotify::Post(900, nullptr, 0);
  void* out = &out;
  EXPECT_EQ(entry->QueryInterface(IID_ISNotificationSink, &out), S_OK);
  EXPECT_EQ(out, static_cast<ISNotificationSink*>(entry));
  EXPECT_EQ(entry->QueryInterface(IID_IUnknown, &out), S_OK);
  EXPECT_EQ(out, static_cast<ISNotificationSink*>(entry));
  EXPECT_EQ(entry->QueryInterface(MakeGUID("{155E214F-0445-11D1-83D9-444553540000}"), &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(entry->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(entry->AddRef(), 1u);
  EXPECT_EQ(entry->Release(), 1u);
  EXPECT_EQ(SPendingNotify::BagPendings.GetCount(), 1);
}

// ---- exception descriptions ---------------------------------------------------------

TEST(SymFrame, ExceptionDescriptions) {
  SException plain(SString(), "f()", "file", 12);
  EXPECT_EQ(plain.GetDescription(), SString("SException") + plain.GetLocation());
  SException withText(SString("went wrong"), "f()", "file", 12);
  EXPECT_EQ(withText.GetDescription(), SString("SException: went wrong") + withText.GetLocation());
  SECOMException com("g()", "lib/h/scomwrap", 7, E_NOINTERFACE);
  EXPECT_EQ(com.GetDescription(), SString("SECOMException: ") + com.GetText() + com.GetLocation());
  SEConstructor ctor("h()", "x", 1);
  EXPECT_EQ(ctor.GetDescription(), SString("SEConstructor: Constructor exception") + ctor.GetLocation());
  SEOutOfMemory oom("k()", "y", 2);
  EXPECT_EQ(oom.GetResult(), E_OUTOFMEMORY);
  EXPECT_STREQ(oom.GetClassName(), "SEOutOfMemory");
  // Copies keep both texts.
  SException copy = withText;
  EXPECT_EQ(copy.GetDescription(), withText.GetDescription());
}
