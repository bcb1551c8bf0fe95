#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcore/stooltipctrl.h"

namespace {

// A view whose one tool is itself, its text asked for when the tip shows.
class TipView : public SWnd {
 public:
  SToolTipCtrl tip;
  std::u16string text = u"Entity: Customer";
  std::u16string longText;
  std::vector<UINT> notifications;
  void OnNeedText(UINT, NMHDR* nm, LRESULT*) {
    notifications.push_back(nm->code);
    auto* di = reinterpret_cast<TOOLTIPTEXTW*>(nm);
    if (!longText.empty()) {
      di->lpszText = longText.data();
      return;
    }
    text.copy(di->szText, 79);
    di->szText[std::min<std::size_t>(text.size(), 79)] = 0;
  }
  void OnShowOrPop(UINT, NMHDR* nm, LRESULT*) { notifications.push_back(nm->code); }
  KV_DECLARE_MESSAGE_MAP()
};

KV_BEGIN_MESSAGE_MAP(TipView, SWnd)
KV_ON_NOTIFY_RANGE(TTN_NEEDTEXTW, 0, 0xFFFFFFFF, OnNeedText)
KV_ON_NOTIFY_RANGE(TTN_SHOW, 0, 0xFFFFFFFF, OnShowOrPop)
KV_ON_NOTIFY_RANGE(TTN_POP, 0, 0xFFFFFFFF, OnShowOrPop)
KV_END_MESSAGE_MAP()

class ToolTipTest : public ::testing::Test {
 protected:
  void SetUp() override { KvWindowsReset(); }
  void TearDown() override {
    KvWindowsReset();
    SWnd::DeleteTempMap();
    EXPECT_EQ(KvWindowCount(), 0u);
  }
  // Plays the script through a loop that relays mouse messages to the tip,
  // and answers what the tip looked like after each message of the view.
  static std::vector<KvToolTipInfo> Play(TipView& view, const std::vector<KvInputItem>& items) {
    EXPECT_TRUE(KvPlayInput(items));
    std::vector<KvToolTipInfo> seen;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) && msg.message != WM_CANCELMODE) {
      if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MBUTTONDBLCLK) view.tip.RelayEvent(&msg);
      DispatchMessageW(&msg);
      if (msg.message != WM_PAINT) seen.push_back(KvGetToolTipInfo(view.tip));
    }
    return seen;
  }
};

TEST_F(ToolTipTest, CallbackTextShowsAfterTheInitialDelay) {
  TipView view;
  ASSERT_TRUE(view.CreateEx(0, nullptr, u"view", WS_VISIBLE | WS_POPUP, RECT{100, 100, 300, 300}, nullptr, 0));
  ASSERT_TRUE(view.tip.Create(&view));
  ASSERT_TRUE(view.tip.AddTool(&view));
  EXPECT_EQ(view.tip.SetMaxTipWidth(300), -1);
  view.tip.SetDelayTime(TTDT_AUTOPOP, 32767);
  view.tip.SetDelayTime(TTDT_INITIAL, 200);
  view.tip.SetDelayTime(TTDT_RESHOW, 200);
  KvToolTipInfo info = KvGetToolTipInfo(view.tip);
  EXPECT_EQ(info.maxWidth, 300);
  EXPECT_EQ(info.delays[TTDT_AUTOPOP], 32767);
  EXPECT_EQ(view.tip.GetDelayTime(TTDT_INITIAL), 200);
  EXPECT_EQ(view.tip.GetToolCount(), 1);
  EXPECT_FALSE(info.shown);

  // A move over the view, a rest of 300 ms: the text is asked for and shown below the pointer.
  const auto seen = Play(view, {KvMouseItem(1010, WM_MOUSEMOVE, 150, 150), KvMouseItem(1500, WM_MOUSEMOVE, 151, 150)});
  ASSERT_EQ(seen.size(), 3u);  // move, the tip's timer, move
  EXPECT_FALSE(seen[0].shown);
  EXPECT_TRUE(seen[1].shown);
  EXPECT_EQ(seen[1].text, u"Entity: Customer");
  EXPECT_EQ(seen[1].pos.x, 150);
  EXPECT_EQ(seen[1].pos.y, 170);
  EXPECT_TRUE(seen[2].shown);  // moving on the same tool keeps it
  EXPECT_TRUE(IsWindowVisible(view.tip));
  SString shown;
  view.tip.GetWindowText(shown);
  EXPECT_EQ(shown, u"Entity: Customer");
  EXPECT_EQ(view.notifications, (std::vector<UINT>{TTN_NEEDTEXTW, TTN_SHOW}));

  // Deactivated, the tip goes and stays away; TTM_UPDATE asks for the text again.
  view.tip.Activate(FALSE);
  EXPECT_FALSE(IsWindowVisible(view.tip));
  EXPECT_FALSE(KvGetToolTipInfo(view.tip).active);
  view.tip.Activate(TRUE);
  view.longText = std::u16string(120, u'x');
  view.tip.SendMessage(TTM_TRACKACTIVATE, TRUE, [&] {
    static TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = view.m_hWnd;
    ti.uId = reinterpret_cast<UINT_PTR>(view.m_hWnd);
    return reinterpret_cast<LPARAM>(&ti);
  }());
  info = KvGetToolTipInfo(view.tip);
  EXPECT_TRUE(info.shown);
  EXPECT_EQ(info.text.size(), 120u);  // a long text through the pointer
  RECT rc;
  GetWindowRect(view.tip, &rc);
  EXPECT_EQ(rc.right - rc.left, 300);  // no wider than the limit
  view.tip.Pop();
  EXPECT_FALSE(KvGetToolTipInfo(view.tip).shown);
  EXPECT_EQ(view.notifications.back(), TTN_POP);
}

TEST_F(ToolTipTest, ToolsWithFixedTextAndBadInput) {
  TipView view;
  ASSERT_TRUE(view.CreateEx(0, nullptr, u"view", WS_VISIBLE | WS_POPUP, RECT{0, 0, 200, 200}, nullptr, 0));
  ASSERT_TRUE(view.tip.Create(&view));
  RECT left{0, 0, 100, 200};
  EXPECT_FALSE(view.tip.AddTool(&view, u"no id", &left));  // an area needs an id
  EXPECT_FALSE(view.tip.AddTool(nullptr));
  ASSERT_TRUE(view.tip.AddTool(&view, u"Left half", &left, 1));
  SString text;
  ASSERT_TRUE(view.tip.GetText(text, &view, 1));
  EXPECT_EQ(text, u"Left half");
  view.tip.UpdateTipText(u"West", &view, 1);
  view.tip.GetText(text, &view, 1);
  EXPECT_EQ(text, u"West");
  EXPECT_FALSE(view.tip.GetText(text, &view, 2));
  // Relayed messages outside any tool, null messages and bad records change nothing.
  MSG outside{view.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(150, 10), 0, {150, 10}};
  view.tip.RelayEvent(&outside);
  view.tip.RelayEvent(nullptr);
  EXPECT_EQ(view.tip.SendMessage(TTM_ADDTOOLW, 0, 0), FALSE);
  TTTOOLINFOW small{};
  small.cbSize = 8;
  EXPECT_EQ(view.tip.SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&small)), FALSE);
  view.tip.DelTool(&view, 7);  // no such tool
  EXPECT_EQ(view.tip.GetToolCount(), 1);
  // The rest on the tool shows its fixed text without asking anyone.
  const auto seen = Play(view, {KvMouseItem(1010, WM_MOUSEMOVE, 10, 10), KvMouseItem(2000, WM_LBUTTONDOWN, 10, 10)});
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].text, u"West");
  EXPECT_TRUE(seen[1].shown);
  EXPECT_FALSE(seen[2].shown);  // a click puts it away
  EXPECT_EQ(KvGetToolTipInfo(view.tip).textRequests, 0);
  view.tip.DelTool(&view, 1);
  EXPECT_EQ(view.tip.GetToolCount(), 0);
  // A destroyed tooltip is no longer one.
  HWND h = view.tip.m_hWnd;
  view.tip.DestroyWindow();
  EXPECT_FALSE(KvGetToolTipInfo(h).valid);
}

}  // namespace
