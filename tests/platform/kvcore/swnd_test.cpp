#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "kvcore/sfontdlg.h"
#include "kvcore/spropertypage.h"
#include "kvcore/swinapp.h"
#include "kvcore/swnd.h"

namespace {

class WndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvWindowsReset();
    KvCommDlgReset();
  }
  void TearDown() override {
    KvWindowsReset();
    KvCommDlgReset();
    SWnd::DeleteTempMap();
    EXPECT_EQ(KvWindowCount(), 0u);
  }
};

// A view with a map of window messages, commands and update requests.
class TestView : public SWnd {
 public:
  std::vector<std::string> calls;
  RECT painted{-1, -1, -1, -1};
  bool enableRange = true;

  int OnCreate(LPCREATESTRUCTW cs) {
    calls.push_back("create");
    return SWnd::OnCreate(cs);
  }
  void OnPaint() {
    SPaintDC dc(m_hWnd);
    painted = dc.m_ps.rcPaint;
    RECT r{0, 0, 10, 10};
    ::FillRect(dc, &r, reinterpret_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
  void OnLButtonDown(UINT, POINT pt) { calls.push_back("down " + std::to_string(pt.x) + "," + std::to_string(pt.y)); }
  void OnSave() { calls.push_back("save"); }
  void OnUpdateSave(SCmdUI* ui) { ui->Enable(FALSE); }
  void OnRange(UINT id) { calls.push_back("range " + std::to_string(id)); }
  void OnUpdateRange(SCmdUI* ui) {
    ui->Enable(enableRange);
    ui->SetCheck(1);
  }
  void OnClicked() { calls.push_back("clicked"); }
  void OnNotifyCode(NMHDR* nm, LRESULT* r) {
    calls.push_back("notify " + std::to_string(nm->idFrom));
    *r = 42;
  }
  LRESULT OnUser(WPARAM w, LPARAM) { return LRESULT(w * 2); }
  void OnKillFocus(SWnd* next) override {
    calls.push_back(next ? "killfocus to window" : "killfocus to none");
    SWnd::OnKillFocus(next);
  }

  KV_DECLARE_MESSAGE_MAP()
};

KV_BEGIN_MESSAGE_MAP(TestView, SWnd)
KV_ON_WM_CREATE()
KV_ON_WM_PAINT()
KV_ON_WM_LBUTTONDOWN()
KV_ON_COMMAND(100, OnSave)
KV_ON_UPDATE_COMMAND_UI(100, OnUpdateSave)
KV_ON_COMMAND_RANGE(200, 210, OnRange)
KV_ON_UPDATE_COMMAND_UI_RANGE(200, 210, OnUpdateRange)
KV_ON_BN_CLICKED(300, OnClicked)
KV_ON_NOTIFY(77, 400, OnNotifyCode)
KV_ON_MESSAGE(WM_USER + 3, OnUser)
KV_END_MESSAGE_MAP()

// A derived view whose own entry for command 100 wins over its base's.
class DerivedView : public TestView {
 public:
  void OnSaveAgain() { calls.push_back("derived save"); }
  KV_DECLARE_MESSAGE_MAP()
};
KV_BEGIN_MESSAGE_MAP(DerivedView, TestView)
KV_ON_COMMAND(100, OnSaveAgain)
KV_END_MESSAGE_MAP()

TEST_F(WndTest, MessageMapsRouteMessagesCommandsAndUpdates) {
  DerivedView view;
  ASSERT_TRUE(view.CreateEx(0, nullptr, u"view", WS_VISIBLE, RECT{0, 0, 200, 100}, nullptr, 0));
  EXPECT_EQ(SWnd::FromHandlePermanent(view.m_hWnd), &view);
  ASSERT_FALSE(view.calls.empty());
  EXPECT_EQ(view.calls[0], "create");  // the object saw the window's creation
  view.calls.clear();

  view.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0), 0);
  view.SendMessage(WM_COMMAND, MAKEWPARAM(205, 0), 0);
  view.SendMessage(WM_COMMAND, MAKEWPARAM(300, BN_CLICKED), 0);
  view.SendMessage(WM_COMMAND, MAKEWPARAM(300, 5), 0);  // another notification: no handler
  view.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 7));
  NMHDR nm{nullptr, 400, 77};
  EXPECT_EQ(view.SendMessage(WM_NOTIFY, 400, reinterpret_cast<LPARAM>(&nm)), 42);
  EXPECT_EQ(view.SendMessage(WM_USER + 3, 21, 0), 42);
  const std::vector<std::string> expected = {"derived save", "range 205", "clicked", "down -3,7", "notify 400"};
  EXPECT_EQ(view.calls, expected);

  struct Case {
    UINT id;
    BOOL handled;
    BOOL enabled;
    int check;
  } cases[] = {
      {100, TRUE, FALSE, -1},  // the base's update handler disables it
      {205, TRUE, TRUE, 1},    // range handler
      {150, FALSE, FALSE, -1},  // no handler at all: disabled
      {300, FALSE, TRUE, -1},  // a command handler and no update handler: left enabled
  };
  for (const Case& c : cases) {
    SCmdUI ui;
    ui.m_nID = c.id;
    EXPECT_EQ(ui.DoUpdate(&view, TRUE), c.handled) << c.id;
    EXPECT_EQ(ui.m_bEnabled, c.enabled) << c.id;
    EXPECT_EQ(ui.m_nCheck, c.check) << c.id;
  }
  view.enableRange = false;
  SCmdUI ui;
  ui.m_nID = 210;
  ui.DoUpdate(&view, FALSE);
  EXPECT_FALSE(ui.m_bEnabled);
}

TEST_F(WndTest, PaintDCGoesThroughBeginPaint) {
  TestView view;
  ASSERT_TRUE(view.CreateEx(0, nullptr, nullptr, WS_VISIBLE, RECT{0, 0, 100, 100}, nullptr, 0));
  view.UpdateWindow();
  EXPECT_EQ(view.painted.right, 100);  // first paint: everything
  RECT part{30, 40, 50, 60};
  view.InvalidateRect(&part, FALSE);
  view.UpdateWindow();
  EXPECT_EQ(view.painted.left, 30);
  EXPECT_EQ(view.painted.bottom, 60);
  RECT upd;
  EXPECT_FALSE(::GetUpdateRect(view.m_hWnd, &upd, FALSE));
  // Outside WM_PAINT there is nothing to paint: an empty paint rectangle.
  SPaintDC dc(view.m_hWnd);
  EXPECT_TRUE(dc.IsValid());
  EXPECT_TRUE(::IsRectEmpty(&dc.m_ps.rcPaint));
  SPaintDC none(nullptr);
  EXPECT_FALSE(none.IsValid());
}

// Objects made by a class's own first-message hook, kept in a bag, deleted
// at the window's last message; counts tell what was made and freed.
int g_live = 0;
SWndBag g_bag;
class HookedWnd : public SWnd {
 public:
  HookedWnd() { ++g_live; }
  ~HookedWnd() override { --g_live; }
  void PostNcDestroy() override {
    if (g_bag.Remove(this)) delete this;
  }
  static LRESULT WndProcHook(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* obj = new HookedWnd();
    ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
    obj->SubclassWindow(h);
    g_bag.Add(obj);
    return ::DefWindowProcW(h, m, w, l);
  }
  void OnLButtonDown(UINT, POINT) { DestroyWindow(); }  // destroyed inside its own message
  KV_DECLARE_MESSAGE_MAP()
};
KV_BEGIN_MESSAGE_MAP(HookedWnd, SWnd)
KV_ON_WM_LBUTTONDOWN()
KV_END_MESSAGE_MAP()

TEST_F(WndTest, ObjectsMadeByAClassHookLiveAsLongAsTheirWindow) {
  WNDCLASSW wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
  wc.lpfnWndProc = &HookedWnd::WndProcHook;
  wc.lpszClassName = u"HookedWnd";
  ASSERT_NE(::RegisterClassW(&wc), 0);
  HWND parent = ::CreateWindowExW(0, u"HookedWnd", u"p", WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
  HWND child = ::CreateWindowExW(0, u"HookedWnd", u"c", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, parent, nullptr,
                                 nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(g_live, 2);
  EXPECT_EQ(g_bag.GetCount(), 2);
  SWnd* obj = SWnd::FromHandlePermanent(child);
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->GetParent()->m_hWnd, parent);
  SString text;
  obj->GetWindowText(text);
  EXPECT_EQ(text, SString(u"c"));

  // A click destroys the child inside its own handler; its object goes with it.
  ::SendMessageW(child, WM_LBUTTONDOWN, 0, 0);
  EXPECT_FALSE(::IsWindow(child));
  EXPECT_EQ(g_live, 1);
  ::DestroyWindow(parent);
  EXPECT_EQ(g_live, 0);
  EXPECT_EQ(g_bag.GetCount(), 0);

  // An object freed while its window lives takes the window with it.
  auto* loose = new TestView();
  ASSERT_TRUE(loose->CreateEx(0, nullptr, nullptr, 0, RECT{0, 0, 10, 10}, nullptr, 0));
  HWND h = loose->m_hWnd;
  delete loose;
  EXPECT_FALSE(::IsWindow(h));
  EXPECT_EQ(SWnd::FromHandlePermanent(h), nullptr);
}

TEST_F(WndTest, FocusLossReachesTheVirtualHandlerSafely) {
  TestView a, b;
  ASSERT_TRUE(a.CreateEx(0, nullptr, nullptr, WS_VISIBLE, RECT{0, 0, 10, 10}, nullptr, 0));
  ASSERT_TRUE(b.CreateEx(0, nullptr, nullptr, WS_VISIBLE, RECT{20, 0, 30, 10}, nullptr, 0));
  a.SetFocus();
  a.calls.clear();
  b.SetFocus();
  EXPECT_EQ(a.calls, std::vector<std::string>{"killfocus to window"});
  EXPECT_EQ(SWnd::GetFocus(), &b);
  // A stale handle in WM_KILLFOCUS arrives as null.
  HWND gone = ::CreateWindowExW(0, u"SWnd", nullptr, 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ::DestroyWindow(gone);
  b.calls.clear();
  b.SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(gone), 0);
  EXPECT_EQ(b.calls, std::vector<std::string>{"killfocus to none"});
}

class ThrowingView : public SWnd {
 public:
  int OnCreate(LPCREATESTRUCTW) { throw std::runtime_error("no"); }
  KV_DECLARE_MESSAGE_MAP()
};
KV_BEGIN_MESSAGE_MAP(ThrowingView, SWnd)
KV_ON_WM_CREATE()
KV_END_MESSAGE_MAP()

TEST_F(WndTest, AThrowingCreationLeavesTheNextOneIntact) {
  {
    ThrowingView bad;
    EXPECT_THROW(bad.CreateEx(0, nullptr, nullptr, 0, RECT{0, 0, 10, 10}, nullptr, 0), std::runtime_error);
  }  // its half-made window goes with it
  TestView good;
  ASSERT_TRUE(good.CreateEx(0, nullptr, nullptr, 0, RECT{0, 0, 10, 10}, nullptr, 0));
  ASSERT_FALSE(good.calls.empty());
  EXPECT_EQ(good.calls[0], "create");
  // A plain window made later is no object's.
  HWND plain = ::CreateWindowExW(0, u"SWnd", nullptr, 0, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SWnd::FromHandlePermanent(plain), nullptr);
}

TEST_F(WndTest, CaptureThroughTheWrappers) {
  TestView view;
  ASSERT_TRUE(view.CreateEx(0, nullptr, nullptr, WS_VISIBLE, RECT{0, 0, 10, 10}, nullptr, 0));
  EXPECT_EQ(view.SetCapture(), nullptr);
  EXPECT_EQ(SWnd::GetCapture(), &view);
  EXPECT_EQ(view.GetScrollBarCtrl(SB_VERT), nullptr);
  ::ReleaseCapture();
  EXPECT_EQ(SWnd::GetCapture(), nullptr);
}

TEST_F(WndTest, FontDialogAnswersAsTheScriptSays) {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(10, 96, 72);
  lf.lfWeight = 700;
  lf.lfItalic = 1;
  std::u16string face = u"Arial";
  std::copy(face.begin(), face.end(), lf.lfFaceName);

  TestView parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, nullptr, 0, RECT{0, 0, 10, 10}, nullptr, 0));
  {
    SFontDlg dlg(nullptr, 0x141, nullptr, &parent);
    dlg.m_lf = lf;
    dlg.m_cf.rgbColors = RGB(0, 0, 255);
    KvQueueFontDialogAnswer({true, std::nullopt, std::nullopt});  // OK, unchanged
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetFaceName(), SString(u"Arial"));
    EXPECT_EQ(dlg.GetSize(), 100);  // a 10-point font comes back as 10 points
    EXPECT_TRUE(dlg.IsBold());
    EXPECT_TRUE(dlg.IsItalic());
    EXPECT_EQ(dlg.GetColor(), RGB(0, 0, 255));
    ASSERT_EQ(KvFontDialogCalls().size(), 1u);
    const KvFontDialogCall& call = KvFontDialogCalls()[0];
    EXPECT_EQ(call.owner, parent.m_hWnd);
    EXPECT_EQ(call.flags, 0x141u);
    EXPECT_EQ(call.font.lfWeight, 700);
    EXPECT_EQ(call.color, RGB(0, 0, 255));
  }
  {
    SFontDlg dlg(&lf);
    LOGFONTW chosen = lf;
    chosen.lfHeight = -16;  // 12 points
    chosen.lfWeight = 400;
    chosen.lfUnderline = 1;
    KvQueueFontDialogAnswer({true, chosen, RGB(255, 0, 0)});
    KvQueueFontDialogAnswer({false, std::nullopt, std::nullopt});
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetSize(), 120);
    EXPECT_FALSE(dlg.IsBold());
    EXPECT_TRUE(dlg.IsUnderline());
    EXPECT_EQ(dlg.GetColor(), RGB(255, 0, 0));
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);  // the queued Cancel
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);  // nothing left: the user closes it
    EXPECT_EQ(CommDlgExtendedError(), 0u);
  }
  CHOOSEFONTW bad{};
  EXPECT_FALSE(::ChooseFontW(&bad));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  EXPECT_FALSE(::ChooseFontW(nullptr));
}

// A sheet window that hears its pages' change notices.
class Sheet : public SWnd {
 public:
  std::vector<std::pair<UINT, HWND>> heard;
  LRESULT OnChanged(WPARAM w, LPARAM) {
    heard.emplace_back(PSM_CHANGED, reinterpret_cast<HWND>(w));
    return 0;
  }
  LRESULT OnUnchanged(WPARAM w, LPARAM) {
    heard.emplace_back(PSM_UNCHANGED, reinterpret_cast<HWND>(w));
    return 0;
  }
  KV_DECLARE_MESSAGE_MAP()
};
KV_BEGIN_MESSAGE_MAP(Sheet, SWnd)
KV_ON_MESSAGE(PSM_CHANGED, OnChanged)
KV_ON_MESSAGE(PSM_UNCHANGED, OnUnchanged)
KV_END_MESSAGE_MAP()

TEST_F(WndTest, PropertyPageRecordsSetModifiedAndTellsItsSheet) {
  Sheet sheet;
  ASSERT_TRUE(sheet.CreateEx(0, nullptr, nullptr, 0, RECT{0, 0, 100, 100}, nullptr, 0));
  SPropertyPage page(190);
  ASSERT_TRUE(page.Create(nullptr, nullptr, 0, RECT{0, 0, 50, 50}, &sheet, 1));
  // The grid window's way up: its parent's parent is the page.
  TestView grid;
  ASSERT_TRUE(grid.Create(nullptr, nullptr, 0, RECT{0, 0, 10, 10}, &page, 2));
  auto* found = dynamic_cast<SPropertyPage*>(grid.GetParent());
  ASSERT_EQ(found, &page);
  found->SetModified(TRUE);
  EXPECT_TRUE(page.IsModified());
  page.SetModified(FALSE);
  EXPECT_FALSE(page.IsModified());
  EXPECT_EQ(page.GetModifiedCalls(), (std::vector<BOOL>{TRUE, FALSE}));
  EXPECT_EQ(sheet.heard, (std::vector<std::pair<UINT, HWND>>{{PSM_CHANGED, page.m_hWnd}, {PSM_UNCHANGED, page.m_hWnd}}));
  SPropertyPage unbound;
  unbound.SetModified();  // no window, no sheet: only recorded
  EXPECT_TRUE(unbound.IsModified());
}

// An application whose main window filters one message before dispatch.
class FilterView : public TestView {
 public:
  int filtered = 0;
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message != WM_USER + 9) return FALSE;
    ++filtered;
    return TRUE;
  }
};

TEST_F(WndTest, ApplicationRunsTheLoopUntilNothingMoreCanCome) {
  SWinApp app(u"Test application");
  ASSERT_EQ(SGetApp(), &app);
  FilterView view;
  ASSERT_TRUE(view.CreateEx(0, nullptr, nullptr, WS_VISIBLE, RECT{0, 0, 100, 100}, nullptr, 0));
  app.m_pMainWnd = &view;
  view.calls.clear();
  view.PostMessage(WM_USER + 9);
  view.PostMessage(WM_COMMAND, MAKEWPARAM(100, 0));
  KvPlayInput({KvMouseItem(GetTickCount() + 100, WM_LBUTTONDOWN, 5, 6)});
  EXPECT_FALSE(app.IsExiting());
  EXPECT_EQ(app.Run(), 0);
  EXPECT_TRUE(app.IsExiting());
  EXPECT_EQ(view.filtered, 1);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"save", "down 5,6"}));
  EXPECT_EQ(view.painted.right, 100);

  // WM_QUIT ends it with its code.
  ::PostQuitMessage(3);
  EXPECT_EQ(app.Run(), 3);
}

}  // namespace
