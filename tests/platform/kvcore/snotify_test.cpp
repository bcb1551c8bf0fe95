#include <gtest/gtest.h>

#include <vector>

#include "kvcore/snotify.h"

namespace {
// A sink that records what it hears and may act on the manager meanwhile.
struct Sink : ISNotificationSink {
  std::vector<int> heard;
  Sink* unadviseOnNotify = nullptr;
  bool notifyAgain = false;
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT OnNotify(int code, void*, unsigned long) override {
    heard.push_back(code);
    if (unadviseOnNotify) SNotificationManager::UnadviseAll(unadviseOnNotify);
    if (notifyAgain && code < 100) SNotificationManager::Notify(code + 100, nullptr, 0);
    return S_OK;
  }
};

class NotifyTest : public ::testing::Test {
 protected:
  void SetUp() override { SNotificationManager::ClearLog(); }
  void TearDown() override {
    for (Sink* s : {&a, &b}) SNotificationManager::UnadviseAll(s);
  }
  Sink a, b;
};
}  // namespace

TEST_F(NotifyTest, SinksHearNotificationsInAdviseOrderAndTheLogKeepsAll) {
  int x = 0;
  SNotificationManager::Notify(1, nullptr, 0);  // no sink yet: logged only
  SNotificationManager::Advise(&a);
  SNotificationManager::Advise(&b);
  SNotificationManager::Advise(nullptr);  // ignored
  SNotificationManager::Notify(2, &x, 7);
  EXPECT_EQ(a.heard, std::vector<int>{2});
  EXPECT_EQ(b.heard, std::vector<int>{2});
  EXPECT_EQ(SNotificationManager::Log(),
            (std::vector<SNotificationRecord>{{1, nullptr, 0}, {2, &x, 7}}));
  SNotificationManager::ClearLog();
  EXPECT_TRUE(SNotificationManager::Log().empty());
}

TEST_F(NotifyTest, UnadviseRemovesOneRegistrationUnadviseAllEvery) {
  const int before = SNotificationManager::GetSinkCount();
  SNotificationManager::Advise(&a);
  SNotificationManager::Advise(&a);
  SNotificationManager::Notify(1, nullptr, 0);
  EXPECT_EQ(a.heard, (std::vector<int>{1, 1}));
  EXPECT_TRUE(SNotificationManager::Unadvise(&a));
  SNotificationManager::Notify(2, nullptr, 0);
  EXPECT_EQ(a.heard, (std::vector<int>{1, 1, 2}));
  SNotificationManager::Advise(&a);
  SNotificationManager::UnadviseAll(&a);
  EXPECT_FALSE(SNotificationManager::Unadvise(&a));
  EXPECT_EQ(SNotificationManager::GetSinkCount(), before);
}

// A sink removed by another sink during a notification is not called.
TEST_F(NotifyTest, SinkRemovedDuringNotificationIsSkipped) {
  a.unadviseOnNotify = &b;
  SNotificationManager::Advise(&a);
  SNotificationManager::Advise(&b);
  SNotificationManager::Notify(5, nullptr, 0);
  EXPECT_EQ(a.heard, std::vector<int>{5});
  EXPECT_TRUE(b.heard.empty());
}

TEST_F(NotifyTest, NotificationSentFromASinkReachesEverySink) {
  a.notifyAgain = true;
  SNotificationManager::Advise(&a);
  SNotificationManager::Advise(&b);
  SNotificationManager::Notify(5, nullptr, 0);
  EXPECT_EQ(a.heard, (std::vector<int>{5, 105}));
  EXPECT_EQ(b.heard, (std::vector<int>{105, 5}));
  ASSERT_EQ(SNotificationManager::Log().size(), 2u);
  EXPECT_EQ(SNotificationManager::Log()[1].code, 105);
}

// Notifications go on for as long as the process runs: the log holds the
// newest ones, in order, and stays bounded.
TEST_F(NotifyTest, TheLogKeepsTheNewestAndStaysBounded) {
  const std::size_t kept = SNotificationManager::kLogKept;
  for (std::size_t i = 0; i < 5 * kept + 3; ++i) SNotificationManager::Notify(1, nullptr, i);
  const std::vector<SNotificationRecord> log = SNotificationManager::Log();
  ASSERT_GE(log.size(), kept);
  EXPECT_LT(log.size(), 2 * kept);
  for (std::size_t i = 1; i < log.size(); ++i) ASSERT_EQ(log[i].num, log[i - 1].num + 1);
  EXPECT_EQ(log.back().num, 5 * kept + 2);
}
