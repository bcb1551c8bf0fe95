#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/test_module.h"
#include "support/raster_fixture.h"
#include "win/gdisink.h"
#include "win/wininput.h"

namespace {

HINSTANCE Module() { return kvtest::TestModule(); }

constexpr LRESULT kHtCaption = 2;

class WinInput : public ::testing::Test {
 protected:
  void SetUp() override { KvWindowsReset(); }
  void TearDown() override { KvWindowsReset(); }
  HWND Make(LPCWSTR cls, WNDPROC proc, HCURSOR classCursor, int x, int y) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hCursor = classCursor;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_WINDOW + 1));
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    return CreateWindowExW(0, cls, u"", WS_POPUP | WS_VISIBLE, x, y, 100, 100, nullptr, nullptr, nullptr, nullptr);
  }
};

TEST_F(WinInput, CursorsAreSharedTokens) {
  struct Case {
    LPCWSTR id;
    const char16_t* name;
  } cases[] = {{IDC_ARROW, u"IDC_ARROW"},     {IDC_CROSS, u"IDC_CROSS"}, {IDC_SIZEALL, u"IDC_SIZEALL"},
               {IDC_SIZENWSE, u"IDC_SIZENWSE"}, {IDC_SIZENS, u"IDC_SIZENS"}, {IDC_SIZENESW, u"IDC_SIZENESW"},
               {IDC_SIZEWE, u"IDC_SIZEWE"},   {IDC_NO, u"IDC_NO"},       {IDC_WAIT, u"IDC_WAIT"}};
  for (const Case& c : cases) {
    HCURSOR h = LoadCursorW(nullptr, c.id);
    ASSERT_TRUE(h);
    EXPECT_EQ(LoadCursorW(nullptr, c.id), h);  // the same cursor each time
    EXPECT_EQ(KvCursorName(h), c.name);
    EXPECT_TRUE(DestroyCursor(h));
    EXPECT_EQ(LoadCursorW(nullptr, c.id), h);  // shared: still there
  }
  // A module's cursors by number, only when the module has them.
  static const unsigned char bytes[] = {0};
  KvResourceRegistration r112(Module(), RT_GROUP_CURSOR, MAKEINTRESOURCEW(112), bytes, 1);
  KvResourceRegistration rNamed(Module(), RT_GROUP_CURSOR, u"POOLV", bytes, 1);
  HCURSOR tool = LoadCursorW(Module(), MAKEINTRESOURCEW(112));
  ASSERT_TRUE(tool);
  EXPECT_EQ(KvCursorName(tool), u"#112");
  EXPECT_NE(tool, LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(KvCursorName(LoadCursorW(Module(), u"POOLV")), u"POOLV");
  for (auto [module, id] : {std::pair{Module(), MAKEINTRESOURCEW(113)}, std::pair{HMODULE(nullptr), MAKEINTRESOURCEW(1)},
                            std::pair{HMODULE(nullptr), static_cast<LPWSTR>(nullptr)}}) {
    SetLastError(0);
    EXPECT_FALSE(LoadCursorW(module, id));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  }
  EXPECT_FALSE(DestroyCursor(nullptr));
  EXPECT_EQ(KvCursorName(nullptr), u"");
  // SetCursor answers the previous cursor.
  SetCursor(nullptr);
  EXPECT_EQ(SetCursor(tool), nullptr);
  EXPECT_EQ(SetCursor(LoadCursorW(nullptr, IDC_CROSS)), tool);
  EXPECT_EQ(KvCurrentCursorName(), u"IDC_CROSS");
}

// A window that shows the cross in its client area and the four-way cursor
// over its caption, which is its upper ten pixels.
struct SetCursorCall {
  LRESULT hit;
  UINT message;
};
std::vector<SetCursorCall> g_calls;

LRESULT CursorProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_NCHITTEST) {
    POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    ScreenToClient(h, &p);
    return p.y < 10 ? kHtCaption : HTCLIENT;
  }
  if (m == WM_SETCURSOR) {
    g_calls.push_back({LOWORD(DWORD(l)), HIWORD(DWORD(l))});
    if (reinterpret_cast<HWND>(w) == h && LOWORD(DWORD(l)) == kHtCaption) {
      SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
      return TRUE;
    }
  }
  return DefWindowProcW(h, m, w, l);
}

TEST_F(WinInput, TheLoopAsksWindowsForTheirCursor) {
  g_calls.clear();
  HWND own = Make(u"OwnCursor", &CursorProc, LoadCursorW(nullptr, IDC_CROSS), 0, 0);
  HWND plain = Make(u"PlainCursor", &DefWindowProcW, LoadCursorW(nullptr, IDC_NO), 200, 0);
  ASSERT_TRUE(own && plain);
  SetCursor(nullptr);
  ASSERT_TRUE(KvPlayInput({KvMouseItem(1010, WM_MOUSEMOVE, 50, 50), KvMouseItem(1020, WM_MOUSEMOVE, 50, 5),
                           KvMouseItem(1030, WM_LBUTTONDOWN, 50, 5), KvMouseItem(1040, WM_MOUSEMOVE, 250, 50)}));
  std::vector<std::u16string> seen;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) && msg.message != WM_CANCELMODE) {
    DispatchMessageW(&msg);
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) {
      seen.push_back(KvCurrentCursorName());
      POINT pos{GET_X_LPARAM(LPARAM(GetMessagePos())), GET_Y_LPARAM(LPARAM(GetMessagePos()))};
      POINT cur;
      GetCursorPos(&cur);
      EXPECT_EQ(pos.x, cur.x);
      EXPECT_EQ(pos.y, cur.y);
    }
  }
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"IDC_CROSS", u"IDC_SIZEALL", u"IDC_SIZEALL", u"IDC_NO"}));
  ASSERT_EQ(g_calls.size(), 3u);
  EXPECT_EQ(g_calls[0].hit, HTCLIENT);
  EXPECT_EQ(g_calls[1].hit, kHtCaption);
  EXPECT_EQ(g_calls[2].message, WM_LBUTTONDOWN);
  POINT cur;
  GetCursorPos(&cur);
  EXPECT_EQ(cur.x, 250);
}

TEST_F(WinInput, KeyStateFromTestsAndFromTheScript) {
  const int keys[] = {VK_SHIFT, VK_CONTROL, VK_MENU, VK_ESCAPE, VK_LBUTTON, VK_RBUTTON};
  for (int vk : keys) {
    KvSetKeyState(vk, true);
    EXPECT_LT(GetKeyState(vk), 0) << vk;
    EXPECT_NE(GetAsyncKeyState(vk) & 0x8000, 0) << vk;
    KvSetKeyState(vk, false);
    EXPECT_EQ(GetAsyncKeyState(vk), 0) << vk;
  }
  HWND w = Make(u"Keys", &DefWindowProcW, nullptr, 0, 0);
  SetFocus(w);
  ASSERT_TRUE(KvPlayInput({KvKeyItem(1010, WM_KEYDOWN, VK_ESCAPE), KvMouseItem(1020, WM_RBUTTONDOWN, 10, 10),
                           KvKeyItem(1030, WM_KEYUP, VK_ESCAPE), KvMouseItem(1040, WM_RBUTTONUP, 10, 10)}));
  std::vector<std::pair<bool, bool>> held;  // escape, right button
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) && msg.message != WM_CANCELMODE) {
    DispatchMessageW(&msg);
    if (msg.message != WM_PAINT) held.push_back({GetAsyncKeyState(VK_ESCAPE) < 0, GetKeyState(VK_RBUTTON) < 0});
  }
  EXPECT_EQ(held, (std::vector<std::pair<bool, bool>>{{true, false}, {true, true}, {false, true}, {false, false}}));
}

TEST(WinText, OemTextBecomesAnsi) {
  const char oem[] = "A\x80\x81\x9F\xE1 \xB3\xF8";
  char ansi[sizeof oem];
  ASSERT_TRUE(OemToCharBuffA(oem, ansi, sizeof oem));
  EXPECT_EQ(std::string(ansi), std::string("A\xC7\xFC\x83\xDF ?\xB0"));
  char inPlace[sizeof oem];
  std::memcpy(inPlace, oem, sizeof oem);
  ASSERT_TRUE(OemToCharBuffA(inPlace, inPlace, sizeof oem));
  EXPECT_EQ(std::string(inPlace), std::string(ansi));
  EXPECT_FALSE(OemToCharBuffA(nullptr, ansi, 1));
  EXPECT_FALSE(OemToCharBuffA(oem, nullptr, 1));
}

// ---- XOR feedback ----

std::vector<unsigned char> Bytes(cairo_surface_t* s) {
  cairo_surface_flush(s);
  const unsigned char* d = cairo_image_surface_get_data(s);
  return {d, d + std::size_t(cairo_image_surface_get_stride(s)) * std::size_t(cairo_image_surface_get_height(s))};
}

// The figures a tracker draws, in the DC's current mix mode.
void DrawTracker(HDC dc, HBRUSH pattern) {
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 10, 10, 70, 50);
  Ellipse(dc, 20, 15, 90, 60);
  POINT pts[] = {{5, 5}, {95, 30}, {40, 75}, {5, 5}};
  Polyline(dc, pts, 4);
  MoveToEx(dc, 0, 79, nullptr);
  LineTo(dc, 99, 0);
  RECT focus{30, 30, 61, 47};
  DrawFocusRect(dc, &focus);
  SelectObject(dc, pattern);
  PatBlt(dc, 50, 5, 33, 20, PATINVERT);
  PatBlt(dc, 2, 60, 20, 15, DSTINVERT);
}

TEST_F(WinInput, TrackersDrawnTwiceRestoreWindowsAndBitmaps) {
  HWND w = Make(u"Tracked", &DefWindowProcW, nullptr, 0, 0);
  UpdateWindow(w);
  HDC wdc = GetDC(w);
  Raster bitmap(100, 80);
  struct Surface {
    const char* what;
    HDC dc;
    cairo_surface_t* surface;
  } surfaces[] = {{"window", wdc, KvWindowSurface(w)}, {"bitmap", bitmap.dc, nullptr}};
  HPEN pen = CreatePen(PS_DOT, 1, RGB(200, 40, 90));
  HPEN wide = CreatePen(PS_SOLID, 3, RGB(20, 220, 10));
  HBRUSH pattern = CreateHatchBrush(HS_DIAGCROSS, RGB(10, 120, 200));
  for (Surface& s : surfaces) {
    SCOPED_TRACE(s.what);
    // Something under the tracker worth restoring.
    HBRUSH under = CreateSolidBrush(RGB(90, 160, 30));
    RECT band{0, 20, 100, 40};
    FillRect(s.dc, &band, under);
    DeleteObject(under);
    if (!s.surface) s.surface = KvGetBitmapSurface(bitmap.bm);
    ASSERT_TRUE(s.surface);
    const auto before = Bytes(s.surface);
    for (int rop : {R2_XORPEN, R2_NOT, R2_NOTXORPEN}) {
      SCOPED_TRACE(rop);
      EXPECT_EQ(SetROP2(s.dc, rop), R2_COPYPEN);
      for (HPEN p : {pen, wide}) {
        HGDIOBJ oldPen = SelectObject(s.dc, p);
        HGDIOBJ oldBrush = SelectObject(s.dc, pattern);
        DrawTracker(s.dc, pattern);
        EXPECT_NE(Bytes(s.surface), before);
        DrawTracker(s.dc, pattern);
        EXPECT_EQ(Bytes(s.surface), before);
        SelectObject(s.dc, oldBrush);
        SelectObject(s.dc, oldPen);
      }
      SetROP2(s.dc, R2_COPYPEN);
    }
  }
  ReleaseDC(w, wdc);
  DeleteObject(pen);
  DeleteObject(wide);
  DeleteObject(pattern);
}

}  // namespace
