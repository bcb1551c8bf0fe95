#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "support/temp_files.h"
#include "win/image.h"
#include "win/winuser.h"

namespace {

// Every window of these tests runs RecordingProc: it logs "name:message"
// for the messages named below and then asks the test's own behaviour.
std::vector<std::string> g_log;
std::map<HWND, std::string> g_names;
std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> g_behaviour;

const char* MsgName(UINT m) {
  switch (m) {
    case WM_NCCREATE: return "NCCREATE";
    case WM_CREATE: return "CREATE";
    case WM_SIZE: return "SIZE";
    case WM_MOVE: return "MOVE";
    case WM_SHOWWINDOW: return "SHOWWINDOW";
    case WM_DESTROY: return "DESTROY";
    case WM_NCDESTROY: return "NCDESTROY";
    case WM_PARENTNOTIFY: return "PARENTNOTIFY";
    case WM_SETFOCUS: return "SETFOCUS";
    case WM_KILLFOCUS: return "KILLFOCUS";
    case WM_CAPTURECHANGED: return "CAPTURECHANGED";
    default: return nullptr;
  }
}

LRESULT RecordingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (const char* n = MsgName(m)) {
    auto it = g_names.find(h);
    g_log.push_back((it == g_names.end() ? std::string("?") : it->second) + ":" + n);
  }
  LRESULT r = 0;
  if (g_behaviour && g_behaviour(h, m, w, l, &r)) return r;
  return DefWindowProcW(h, m, w, l);
}

class WinUser : public ::testing::Test {
 protected:
  void SetUp() override {
    KvWindowsReset();
    g_log.clear();
    g_names.clear();
    g_behaviour = nullptr;
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &RecordingProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_WINDOW + 1));
    wc.lpszClassName = u"TestWnd";
    ASSERT_NE(RegisterClassW(&wc), 0);
  }
  void TearDown() override {
    g_behaviour = nullptr;
    KvWindowsReset();
    EXPECT_EQ(KvWindowCount(), 0u);
  }
  HWND Make(const std::string& name, DWORD style, int x, int y, int cx, int cy, HWND parent = nullptr, int id = 0) {
    HWND h = CreateWindowExW(0, u"TestWnd", nullptr, style, x, y, cx, cy, parent,
                             reinterpret_cast<HMENU>(std::intptr_t(id)), nullptr, nullptr);
    g_names[h] = name;
    return h;
  }
  // Pumps with GetMessage until the loop hands out WM_CANCELMODE.
  static std::vector<MSG> PumpToCancel(HWND filter = nullptr) {
    std::vector<MSG> got;
    MSG m;
    while (GetMessageW(&m, filter, 0, 0) > 0) {
      got.push_back(m);
      if (m.message == WM_CANCELMODE) break;
      DispatchMessageW(&m);
    }
    return got;
  }
};

TEST_F(WinUser, ClassesAnswerAsWindowsDoes) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &RecordingProc;
  wc.lpszClassName = u"testwnd";  // names compare without case
  SetLastError(0);
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_ALREADY_EXISTS));
  wc.lpfnWndProc = nullptr;
  wc.lpszClassName = u"NoProc";
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  // A full class table refuses a new class.
  KvSetClassLimit(KvClassCount());
  wc.lpfnWndProc = &RecordingProc;
  wc.lpszClassName = u"OneTooMany";
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  KvSetClassLimit(KvClassCount() + 1);
  EXPECT_NE(RegisterClassW(&wc), 0);
  EXPECT_TRUE(UnregisterClassW(u"OneTooMany", nullptr));

  EXPECT_EQ(CreateWindowExW(0, u"Nowhere", nullptr, 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CANNOT_FIND_WND_CLASS));
  WNDCLASSW out{};
  EXPECT_FALSE(GetClassInfoW(nullptr, u"Nowhere", &out));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_DOES_NOT_EXIST));
  ASSERT_TRUE(GetClassInfoW(nullptr, u"TESTWND", &out));
  EXPECT_EQ(out.lpfnWndProc, &RecordingProc);
  EXPECT_EQ(out.style, UINT(CS_DBLCLKS));

  // A child without a parent is refused.
  EXPECT_EQ(CreateWindowExW(0, u"TestWnd", nullptr, WS_CHILD, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_TLW_WITH_WSCHILD));

  HWND h = Make("w", 0, 0, 0, 10, 10);
  EXPECT_FALSE(UnregisterClassW(u"TestWnd", nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_HAS_WINDOWS));
  DestroyWindow(h);
  EXPECT_TRUE(UnregisterClassW(u"TestWnd", nullptr));
  EXPECT_FALSE(UnregisterClassW(u"TestWnd", nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_DOES_NOT_EXIST));
}

TEST_F(WinUser, NullAndStaleHandlesGetTheFailureAnswer) {
  HWND stale = Make("w", WS_VISIBLE, 0, 0, 50, 50);
  ASSERT_TRUE(DestroyWindow(stale));
  RECT rc;
  POINT pt{1, 1};
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  MSG msg;
  for (HWND h : {stale, static_cast<HWND>(nullptr), reinterpret_cast<HWND>(std::uintptr_t(0x12345678))}) {
    SCOPED_TRACE(reinterpret_cast<std::uintptr_t>(h));
    auto expectBad = [&](bool failed) {
      EXPECT_TRUE(failed);
      EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
      SetLastError(0);
    };
    expectBad(SendMessageW(h, WM_USER, 0, 0) == 0);
    expectBad(!DestroyWindow(h));
    expectBad(!GetWindowRect(h, &rc));
    expectBad(!GetClientRect(h, &rc));
    expectBad(!ScreenToClient(h, &pt));
    expectBad(GetWindowLongPtrW(h, GWL_STYLE) == 0);
    expectBad(SetWindowLongPtrW(h, GWLP_USERDATA, 5) == 0);
    expectBad(!ShowWindow(h, SW_SHOW));
    expectBad(!SetScrollInfo(h, SB_VERT, &si, TRUE));
    expectBad(!BeginPaint(h, nullptr));
    expectBad(!KvSaveWindowPng(h, "/dev/null"));
    EXPECT_FALSE(IsWindow(h));
    if (h) {  // null is the screen, every window or nobody for these
      EXPECT_EQ(GetDC(h), nullptr);
      expectBad(!InvalidateRect(h, nullptr, TRUE));
      expectBad(SetFocus(h) == nullptr);
      expectBad(!PostMessageW(h, WM_USER, 0, 0));
      expectBad(SetTimer(h, 1, 10, nullptr) == 0);
      expectBad(SetCapture(h) == nullptr);
      EXPECT_EQ(GetMessageW(&msg, h, 0, 0), -1);
    }
  }
  // Extra bytes outside the window's own give ERROR_INVALID_INDEX.
  HWND w = Make("w", 0, 0, 0, 10, 10);
  SetLastError(0);
  EXPECT_EQ(SetWindowLongPtrW(w, 0, 1), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);

  // Extreme positions and sizes are kept within range, and point sums wrap
  // as 32-bit words rather than overflow.
  ASSERT_TRUE(MoveWindow(w, INT_MAX, INT_MIN, INT_MAX, -5, FALSE));
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 1 << 24);
  EXPECT_EQ(r.top, -(1 << 24));
  EXPECT_EQ(r.bottom, r.top);
  POINT far{INT_MAX, INT_MIN};
  EXPECT_TRUE(ClientToScreen(w, &far));
  SetCapture(w);
  EXPECT_TRUE(KvPlayInput({KvMouseItem(2000, WM_LBUTTONDOWN, INT_MAX, INT_MIN)}));
  KvSetClock(2000);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, w);
  DispatchMessageW(&m);
}

TEST_F(WinUser, CreationAndDestructionMessagesInOrder) {
  HWND top = Make("top", WS_VISIBLE, 10, 20, 300, 200);
  HWND a = Make("a", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, top, 1);
  HWND a1 = Make("a1", WS_CHILD | WS_VISIBLE, 5, 5, 20, 20, a, 11);
  HWND b = Make("b", WS_CHILD, 100, 0, 100, 100, top, 2);
  (void)a1;
  // g_names is filled after creation: the creation messages log as "?".
  EXPECT_EQ(g_log[0], "?:NCCREATE");
  EXPECT_EQ(g_log[1], "?:CREATE");
  EXPECT_EQ(g_log[2], "?:SIZE");
  EXPECT_EQ(g_log[3], "?:MOVE");
  EXPECT_EQ(g_log[4], "?:SHOWWINDOW");
  EXPECT_EQ(g_log[9], "top:PARENTNOTIFY");  // a's creation told to the parent
  EXPECT_EQ(GetParent(a), top);
  EXPECT_EQ(GetDlgItem(top, 2), b);
  EXPECT_EQ(GetDlgCtrlID(b), 2);
  EXPECT_EQ(GetWindow(top, GW_CHILD), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
  EXPECT_EQ(GetAncestor(a1, GA_ROOT), top);
  EXPECT_TRUE(IsChild(top, a1));
  EXPECT_FALSE(IsWindowVisible(b));

  // Focus and capture inside the tree are given up before the destruction.
  SetFocus(a1);
  SetCapture(a);
  g_log.clear();
  ASSERT_TRUE(DestroyWindow(top));
  const std::vector<std::string> expected = {
      "a:CAPTURECHANGED", "a1:KILLFOCUS", "top:DESTROY",  "a:DESTROY",    "a1:DESTROY",
      "b:DESTROY",        "a1:NCDESTROY", "a:NCDESTROY",  "b:NCDESTROY",  "top:NCDESTROY"};
  EXPECT_EQ(g_log, expected);
  EXPECT_EQ(KvWindowCount(), 0u);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WinUser, RefusedCreationsLeaveNothingBehind) {
  struct Case {
    UINT refuseAt;
    LRESULT answer;
    std::vector<std::string> log;
  } cases[] = {
      {WM_NCCREATE, FALSE, {"?:NCCREATE", "?:NCDESTROY"}},
      {WM_CREATE, -1, {"?:NCCREATE", "?:CREATE", "?:DESTROY", "?:NCDESTROY"}},
  };
  for (const Case& c : cases) {
    g_log.clear();
    g_behaviour = [&](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
      if (m != c.refuseAt) return false;
      *r = c.answer;
      return true;
    };
    EXPECT_EQ(Make("x", WS_VISIBLE, 0, 0, 10, 10), nullptr);
    EXPECT_EQ(g_log, c.log);
    EXPECT_EQ(KvWindowCount(), 0u);
  }
}

// What the paint tests draw: a filled rectangle of the current colour.
COLORREF g_paintColor = RGB(0, 0, 255);
LRESULT SubclassPaint(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    HBRUSH brush = CreateSolidBrush(g_paintColor);
    RECT r{20, 20, 180, 80};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    EndPaint(h, &ps);
    return 0;
  }
  return CallWindowProcW(original, h, m, w, l);
}

std::uint32_t PixelAt(const KvImage& img, int x, int y) { return img.At(x, y) & 0xFFFFFF; }

TEST_F(WinUser, SubclassedWindowPaintsItsUpdateRegionIntoAPng) {
  HWND h = Make("view", WS_VISIBLE | WS_BORDER, 100, 100, 202, 102);
  RECT client;
  GetClientRect(h, &client);
  EXPECT_EQ(client.right, 200);  // a one-pixel border on each side
  EXPECT_EQ(client.bottom, 100);
  LONG_PTR original = SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassPaint));
  SetWindowLongPtrW(h, GWLP_USERDATA, original);

  g_paintColor = RGB(0, 0, 255);
  PumpToCancel();  // the first paint: background erased by the class brush, blue rectangle
  RECT upd;
  EXPECT_FALSE(GetUpdateRect(h, &upd, FALSE));

  // Only the right half is invalid: the green drawing reaches only there.
  KvClearInvalidationLog();
  g_paintColor = RGB(0, 160, 0);
  RECT right{100, 0, 200, 100};
  InvalidateRect(h, &right, FALSE);
  ASSERT_EQ(KvInvalidationLog().size(), 1u);
  EXPECT_EQ(KvInvalidationLog()[0].hwnd, h);
  EXPECT_EQ(KvInvalidationLog()[0].rect.left, 100);
  EXPECT_FALSE(KvInvalidationLog()[0].whole);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_PAINT);
  DispatchMessageW(&m);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));  // validated

  // GetDC draws on the same surface, outside any paint.
  HDC dc = GetDC(h);
  ASSERT_NE(dc, nullptr);
  SetPixel(dc, 1, 1, RGB(255, 0, 0));
  ReleaseDC(h, dc);

  kvtest::TempDir dir("winuser");
  const std::string path = (dir.path / "winuser_paint.png").string();
  ASSERT_TRUE(KvSaveWindowPng(h, path.c_str()));
  std::ifstream f(path, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  KvImage img;
  ASSERT_TRUE(KvReadPng(bytes.data(), bytes.size(), img));
  EXPECT_EQ(img.width, 200);
  EXPECT_EQ(img.height, 100);
  EXPECT_EQ(PixelAt(img, 5, 5), 0xFFFFFFu);     // background
  EXPECT_EQ(PixelAt(img, 1, 1), 0xFF0000u);
  EXPECT_EQ(PixelAt(img, 50, 50), 0x0000FFu);   // blue, left of the invalid part
  EXPECT_EQ(PixelAt(img, 150, 50), 0x00A000u);  // green where it was invalid
}

TEST_F(WinUser, HiddenWindowsKeepNoUpdateRegionUntilShown) {
  HWND top = Make("top", 0, 0, 0, 100, 100);
  HWND kid = Make("kid", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top, 1);
  KvClearInvalidationLog();
  InvalidateRect(kid, nullptr, TRUE);
  EXPECT_EQ(KvInvalidationLog().size(), 1u);  // asked for, and logged
  RECT rc;
  EXPECT_FALSE(GetUpdateRect(kid, &rc, FALSE));  // but nothing to paint while the parent is hidden
  ShowWindow(top, SW_SHOW);
  EXPECT_TRUE(GetUpdateRect(top, &rc, FALSE));
  EXPECT_TRUE(GetUpdateRect(kid, &rc, FALSE));
  std::vector<HWND> painted;
  for (const MSG& m : PumpToCancel())
    if (m.message == WM_PAINT) painted.push_back(m.hwnd);
  EXPECT_EQ(painted, (std::vector<HWND>{top, kid}));  // parents first
}

TEST_F(WinUser, ScriptedDragWithCaptureAndVirtualTime) {
  const HWND h = Make("view", WS_VISIBLE, 100, 100, 300, 200);
  ASSERT_NE(h, nullptr);
  struct Seen {
    UINT msg;
    POINT client;
    DWORD time;
    bool leftDown;
    POINT pos;
  };
  std::vector<Seen> seen;
  g_behaviour = [&](HWND hw, UINT m, WPARAM, LPARAM l, LRESULT*) {
    if (m < WM_MOUSEFIRST || m > WM_MOUSELAST) return false;
    const DWORD pos = GetMessagePos();
    seen.push_back({m, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}, GetMessageTime(), GetKeyState(VK_LBUTTON) < 0,
                    POINT{short(LOWORD(pos)), short(HIWORD(pos))}});
    if (m == WM_LBUTTONDOWN) SetCapture(hw);
    if (m == WM_LBUTTONUP) ReleaseCapture();
    return true;
  };
  ASSERT_TRUE(KvPlayInput({KvMouseItem(1010, WM_LBUTTONDOWN, 150, 150), KvMouseItem(1030, WM_MOUSEMOVE, 200, 160),
                           KvMouseItem(1050, WM_MOUSEMOVE, 600, 500),  // far outside: the capture keeps it
                           KvMouseItem(1070, WM_LBUTTONUP, 610, 510)}));
  g_log.clear();
  auto got = PumpToCancel();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].msg, WM_LBUTTONDOWN);
  EXPECT_EQ(seen[0].client.x, 50);
  EXPECT_EQ(seen[0].time, 1010u);
  EXPECT_TRUE(seen[0].leftDown);
  EXPECT_EQ(seen[1].client.x, 100);
  EXPECT_EQ(seen[1].client.y, 60);
  EXPECT_EQ(seen[1].time, 1030u);
  EXPECT_EQ(seen[2].client.x, 500);  // converted even outside the window
  EXPECT_EQ(seen[2].client.y, 400);
  EXPECT_EQ(seen[2].pos.x, 600);  // the message position is in screen coordinates
  EXPECT_EQ(seen[3].msg, WM_LBUTTONUP);
  EXPECT_FALSE(seen[3].leftDown);
  EXPECT_EQ(seen[3].time, 1070u);
  EXPECT_EQ(GetTickCount(), 1070u);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(g_log, std::vector<std::string>{"view:CAPTURECHANGED"});
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, 610);
  EXPECT_EQ(got.back().message, UINT(WM_CANCELMODE));
}

TEST_F(WinUser, DoubleClickNeedsTheClassStyleTimeAndPlace) {
  HWND h = Make("view", WS_VISIBLE, 0, 0, 100, 100);
  std::vector<UINT> seen;
  g_behaviour = [&](HWND, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m == WM_LBUTTONDOWN || m == WM_LBUTTONDBLCLK) seen.push_back(m);
    return false;
  };
  KvPlayInput({KvMouseItem(1010, WM_LBUTTONDOWN, 10, 10), KvMouseItem(1020, WM_LBUTTONUP, 10, 10),
               KvMouseItem(1100, WM_LBUTTONDOWN, 11, 10), KvMouseItem(1110, WM_LBUTTONUP, 11, 10),
               KvMouseItem(1200, WM_LBUTTONDOWN, 11, 10), KvMouseItem(1210, WM_LBUTTONUP, 11, 10),
               KvMouseItem(2000, WM_LBUTTONDOWN, 11, 10)});  // too late for a double click
  PumpToCancel(h);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
}

TEST_F(WinUser, RepeatingTimerAndScriptComeInVirtualTimeOrder) {
  HWND h = Make("view", WS_VISIBLE, 0, 0, 100, 100);
  UpdateWindow(h);
  KvSetClock(1000);
  ASSERT_EQ(SetTimer(h, 7, 30, nullptr), UINT_PTR(7));
  ASSERT_TRUE(KvPlayInput({KvMouseItem(1045, WM_MOUSEMOVE, 10, 10), KvMouseItem(1100, WM_MOUSEMOVE, 20, 20)}));
  std::vector<std::pair<UINT, DWORD>> order;
  for (const MSG& m : PumpToCancel())
    if (m.message != WM_PAINT) order.emplace_back(m.message, m.time);
  const std::vector<std::pair<UINT, DWORD>> expected = {
      {WM_TIMER, 1030}, {WM_MOUSEMOVE, 1045}, {WM_TIMER, 1060}, {WM_TIMER, 1090}, {WM_MOUSEMOVE, 1100},
      {WM_CANCELMODE, 1100}};  // the next tick (1120) is not due: the exhausted script ends the wait
  EXPECT_EQ(order, expected);

  // The fastest timer does not starve a script item far ahead.
  SetTimer(h, 8, 1, nullptr);  // kept at the 10 ms minimum
  KillTimer(h, 7);
  KvPlayInput({KvMouseItem(1500, WM_KEYDOWN, 0, 0)});
  KvPlayInput({KvKeyItem(1600, WM_KEYDOWN, 'A')});
  EXPECT_FALSE(KvPlayInput({KvKeyItem(1550, WM_KEYUP, 'A')}));  // behind the last item
  int ticks = 0;
  bool sawKey = false;
  SetFocus(h);
  for (const MSG& m : PumpToCancel()) {
    ticks += m.message == WM_TIMER;
    sawKey |= m.message == WM_KEYDOWN && m.time == 1600;
  }
  EXPECT_TRUE(sawKey);
  EXPECT_EQ(ticks, 50);  // 1110 .. 1600 every 10 ms
  EXPECT_EQ(KvPendingInput(), 0u);
  EXPECT_LT(GetKeyState('A'), 0);
}

std::vector<std::pair<UINT_PTR, DWORD>> g_timerCalls;
void TimerProc(HWND, UINT, UINT_PTR id, DWORD now) { g_timerCalls.emplace_back(id, now); }

TEST_F(WinUser, ThreadTimersCallTheirProcedure) {
  g_timerCalls.clear();
  const UINT_PTR id = SetTimer(nullptr, 0, 20, &TimerProc);
  ASSERT_NE(id, 0u);
  EXPECT_NE(SetTimer(nullptr, 0, 20, &TimerProc), id);  // each unnamed thread timer is a new one
  EXPECT_TRUE(KillTimer(nullptr, id + 1));
  EXPECT_FALSE(KillTimer(nullptr, 999));
  MSG m;
  while (g_timerCalls.size() < 2) {
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  EXPECT_EQ(g_timerCalls[0], (std::pair<UINT_PTR, DWORD>{id, 1020}));
  EXPECT_EQ(g_timerCalls[1], (std::pair<UINT_PTR, DWORD>{id, 1040}));
  EXPECT_TRUE(KillTimer(nullptr, id));
}

TEST_F(WinUser, ExhaustedScriptEndsAModalLoopButNeverAPeek) {
  HWND h = Make("view", WS_VISIBLE, 0, 0, 100, 100);
  UpdateWindow(h);
  // A capture loop as a tracking tool writes it.
  SetCapture(h);
  KvPlayInput({KvMouseItem(1020, WM_MOUSEMOVE, 5, 5), KvMouseItem(1040, WM_MOUSEMOVE, 6, 6)});
  int moves = 0;
  bool cancelled = false;
  MSG m;
  while (GetCapture() == h) {
    ASSERT_GT(GetMessageW(&m, h, 0, 0), 0);
    if (m.message == WM_CANCELMODE) {
      cancelled = true;
      DispatchMessageW(&m);  // the default answer gives the capture up
      continue;
    }
    moves += m.message == WM_MOUSEMOVE;
    DispatchMessageW(&m);
  }
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(moves, 2);

  // Peeking finds nothing, lets time pass in spin steps, and makes no WM_CANCELMODE.
  const DWORD before = GetTickCount();
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetTickCount(), before + 50);
  // A poll for a future item reaches it without passing it.
  KvPlayInput({KvMouseItem(GetTickCount() + 25, WM_MOUSEMOVE, 7, 7)});
  int polls = 0;
  while (!PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) ++polls;
  EXPECT_EQ(polls, 3);
  EXPECT_EQ(m.time, GetTickCount());
  EXPECT_EQ(m.time, before + 75);
}

TEST_F(WinUser, BadScriptsAreRefusedWhole) {
  KvSetClock(5000);
  struct Case {
    std::vector<KvInputItem> items;
  } cases[] = {
      {{KvMouseItem(5100, WM_MOUSEMOVE, 1, 1), KvMouseItem(5050, WM_MOUSEMOVE, 2, 2)}},  // backwards
      {{KvMouseItem(4000, WM_MOUSEMOVE, 1, 1)}},                                          // before the clock
      {{KvMouseItem(5100, WM_PAINT, 1, 1)}},                                              // not input
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(KvPlayInput(c.items));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(KvPendingInput(), 0u);
  }
}

TEST_F(WinUser, ReentrantSendsAndSelfDestructionAreSafe) {
  HWND h = Make("w", WS_VISIBLE, 0, 0, 50, 50);
  int depth = 0;
  g_behaviour = [&](HWND hw, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m == WM_USER) {  // sends itself for ever
      ++depth;
      *r = SendMessageW(hw, WM_USER, 0, 0) + 1;
      return true;
    }
    if (m == WM_USER + 1) {  // destroyed inside its own message, then looks at itself
      DestroyWindow(hw);
      *r = GetWindowLongPtrW(hw, GWL_STYLE);
      return true;
    }
    return false;
  };
  SetLastError(0);
  const LRESULT r = SendMessageW(h, WM_USER, 0, 0);
  EXPECT_GT(depth, 50);
  EXPECT_EQ(r, depth);  // the innermost send was refused with 0
  EXPECT_EQ(GetLastError(), DWORD(ERROR_STACK_OVERFLOW));

  PostMessageW(h, WM_USER + 1, 0, 0);
  PostMessageW(h, WM_USER + 2, 0, 0);  // dropped with the window
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER, WM_USER + 5, PM_REMOVE));
  EXPECT_EQ(DispatchMessageW(&m), 0);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_USER, WM_USER + 5, PM_REMOVE));
  EXPECT_EQ(KvWindowCount(), 0u);
}

TEST_F(WinUser, FocusKeysAndCoordinates) {
  HWND top = Make("top", WS_VISIBLE | WS_CAPTION, 50, 60, 400, 300);
  HWND a = Make("a", WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, top, 1);
  HWND b = Make("b", WS_CHILD | WS_VISIBLE, 200, 10, 100, 100, top, 2);
  POINT p{0, 0};
  ClientToScreen(b, &p);
  EXPECT_EQ(p.x, 50 + 3 + 200);  // dialog frame of 3, then the child's place
  EXPECT_EQ(p.y, 60 + 3 + 23 + 10);  // frame, caption
  EXPECT_EQ(WindowFromPoint(POINT{p.x + 5, p.y + 5}), b);
  EXPECT_EQ(WindowFromPoint(POINT{5, 5}), GetDesktopWindow());
  POINT pts[1] = {{0, 0}};
  MapWindowPoints(a, b, pts, 1);
  EXPECT_EQ(pts[0].x, -190);

  g_log.clear();
  SetFocus(a);
  SetFocus(b);
  EXPECT_EQ(g_log, (std::vector<std::string>{"a:SETFOCUS", "a:KILLFOCUS", "b:SETFOCUS"}));
  std::vector<std::pair<HWND, UINT>> keys;
  g_behaviour = [&](HWND hw, UINT m, WPARAM w, LPARAM, LRESULT*) {
    if (m == WM_KEYDOWN || m == WM_KEYUP) keys.emplace_back(hw, UINT(w));
    return false;
  };
  KvPlayInput({KvKeyItem(1010, WM_KEYDOWN, VK_SHIFT), KvKeyItem(1020, WM_KEYUP, VK_SHIFT)});
  MSG m;
  while (!PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  DispatchMessageW(&m);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EnableWindow(b, FALSE);  // a disabled window loses the focus and takes no keys
  EXPECT_EQ(GetFocus(), nullptr);
  PumpToCancel();
  EXPECT_EQ(keys, (std::vector<std::pair<HWND, UINT>>{{b, UINT(VK_SHIFT)}}));
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);  // the state still follows the input
}

TEST_F(WinUser, ScrollBarsFollowTheirRange) {
  HWND h = Make("view", WS_VISIBLE, 0, 0, 300, 200);
  std::vector<int> widths;
  g_behaviour = [&](HWND, UINT m, WPARAM, LPARAM l, LRESULT*) {
    if (m == WM_SIZE) widths.push_back(LOWORD(DWORD(l)));
    return false;
  };
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 999, 100, 950, 0};
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, TRUE), 900);  // the last page starts at 900
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VSCROLL);
  RECT rc;
  GetClientRect(h, &rc);
  EXPECT_EQ(rc.right, 300 - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(widths, std::vector<int>{283});
  SCROLLINFO out{sizeof out, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &out));
  EXPECT_EQ(out.nMax, 999);
  EXPECT_EQ(out.nPage, 100u);
  EXPECT_EQ(SetScrollPos(h, SB_VERT, -5, TRUE), 900);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 0);
  // The whole range on one page: the bar goes, unless it is to stay disabled.
  si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 50, 100, 0, 0};
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VSCROLL);
  si.fMask = SIF_RANGE | SIF_PAGE;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  EXPECT_FALSE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(widths.back(), 300);
  EXPECT_FALSE(SetScrollInfo(h, 7, &si, TRUE));
}

TEST_F(WinUser, SystemValuesAt96Dpi) {
  struct {
    int index, value;
  } metrics[] = {{SM_CXSCREEN, 1920}, {SM_CYSCREEN, 1080}, {SM_CXVSCROLL, 17}, {SM_CYCAPTION, 23},
                 {SM_CXDRAG, 4},      {SM_CXDOUBLECLK, 4}, {SM_CXEDGE, 2},     {-1, 0},
                 {9999, 0}};
  for (auto& c : metrics) EXPECT_EQ(GetSystemMetrics(c.index), c.value) << c.index;
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(240, 240, 240));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(0, 120, 215));
  EXPECT_EQ(GetSysColor(99), 0u);
  HBRUSH b = GetSysColorBrush(COLOR_BTNFACE);
  ASSERT_NE(b, nullptr);
  DeleteObject(b);  // a system brush survives its deletion
  EXPECT_EQ(GetObjectType(GetSysColorBrush(COLOR_BTNFACE)), OBJ_BRUSH);
  EXPECT_EQ(GetSysColorBrush(-1), nullptr);
  EXPECT_EQ(GetDoubleClickTime(), 500u);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  ReleaseDC(nullptr, screen);
}

}  // namespace
