#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_module.h"
#include "win/winmenu.h"

namespace {

HINSTANCE Module() { return kvtest::TestModule(); }

using kvtest::Narrow;

// A pop-up with a nested pop-up and separators, as a resource table.
const KvMenuTemplateItem kRows[] = {
    {0, MF_POPUP, 0, u"0:Object"},
    {1, 0, 2113, u"Find in &Browser\tCtrl+B"},
    {1, MF_SEPARATOR, 0, nullptr},
    {1, MF_POPUP, 0, u"&Edit"},
    {2, 0, 109, u"Cu&t"},
    {2, MF_GRAYED, 110, u"&Copy"},
    {2, MF_CHECKED, 111, u"&Paste"},
    {1, 0, 118, u"&Properties"},
    {0, MF_POPUP, 0, u"1:Global Viewer"},
    {1, 0, 2200, u"&Properties"},
};

class WinMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    KvWindowsReset();
    KvMenusReset();
    baseline_ = KvMenuCount();
  }
  void TearDown() override {
    KvMenusReset();
    KvWindowsReset();
    EXPECT_EQ(KvMenuCount(), baseline_) << "menus leaked";
  }
  HWND Owner(WNDPROC proc = &DefWindowProcW) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = u"MenuOwner";
    RegisterClassW(&wc);
    return CreateWindowExW(0, u"MenuOwner", u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                           nullptr, nullptr, nullptr);
  }
  std::size_t baseline_ = 0;
};

TEST_F(WinMenu, ResourceTableLoadsAsTree) {
  HMODULE mod = Module();
  KvResourceRegistration reg(mod, RT_MENU, MAKEINTRESOURCEW(115), kRows, sizeof kRows);
  HMENU menu = LoadMenuW(mod, MAKEINTRESOURCEW(115));
  ASSERT_TRUE(menu);
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  HMENU object = GetSubMenu(menu, 0);
  ASSERT_TRUE(object);
  EXPECT_EQ(Narrow(KvMenuText(object)),
            "Find in &Browser\tCtrl+B #2113\n-\n> &Edit\n  Cu&t #109\n  &Copy #110 grayed\n  &Paste #111 checked\n"
            "&Properties #118\n");
  EXPECT_EQ(GetMenuItemID(object, 0), 2113u);
  EXPECT_EQ(GetMenuItemID(object, 1), 0u);  // a separator
  EXPECT_EQ(GetMenuItemID(object, 2), UINT(-1));  // a pop-up
  EXPECT_EQ(GetMenuState(object, 110, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_EQ(GetMenuState(object, 2, MF_BYPOSITION), (3u << 8) | MF_POPUP);
  EXPECT_TRUE(DestroyMenu(menu));
  EXPECT_FALSE(IsMenu(object));  // pop-ups go with their menu
  // A missing resource and a table whose depths do not nest.
  SetLastError(0);
  EXPECT_FALSE(LoadMenuW(mod, MAKEINTRESOURCEW(116)));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  const KvMenuTemplateItem bad[] = {{0, 0, 1, u"a"}, {1, 0, 2, u"b"}};
  EXPECT_FALSE(KvMenuFromTemplate(bad, 2));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
}

TEST_F(WinMenu, EntriesByPositionAndCommand) {
  HMENU menu = KvMenuFromTemplate(kRows, std::size(kRows));
  HMENU object = GetSubMenu(menu, 0);
  // By command the nested pop-ups are searched too.
  EXPECT_EQ(CheckMenuItem(menu, 110, MF_CHECKED), 0u);
  EXPECT_EQ(CheckMenuItem(menu, 110, MF_UNCHECKED), DWORD(MF_CHECKED));
  EXPECT_EQ(EnableMenuItem(object, 110, MF_ENABLED), BOOL(MF_GRAYED));
  EXPECT_TRUE(InsertMenuW(object, 1, MF_BYPOSITION, 2116, u"&Impact"));
  EXPECT_TRUE(InsertMenuW(object, 118, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr));  // before 118
  EXPECT_TRUE(InsertMenuW(object, 99, MF_BYPOSITION, 60999, u"&Rename"));  // past the end appends
  EXPECT_TRUE(DeleteMenu(object, 111, MF_BYCOMMAND));
  EXPECT_TRUE(ModifyMenuW(object, 2113, MF_BYCOMMAND | MF_CHECKED, 2113, u"Find"));
  EXPECT_EQ(Narrow(KvMenuText(object)),
            "Find #2113 checked\n&Impact #2116\n-\n> &Edit\n  Cu&t #109\n  &Copy #110\n-\n&Properties #118\n"
            "&Rename #60999\n");
  // Item information, text read with a short buffer and by length.
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
  info.cch = 0;
  ASSERT_TRUE(GetMenuItemInfoW(object, 3, TRUE, &info));
  EXPECT_EQ(info.cch, 5u);
  EXPECT_EQ(info.hSubMenu, GetSubMenu(object, 3));
  char16_t buf[4];
  info.dwTypeData = buf;
  info.cch = 4;
  ASSERT_TRUE(GetMenuItemInfoW(object, 3, TRUE, &info));
  EXPECT_EQ(std::u16string(buf), u"&Ed");
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<LPWSTR>(u"&Change");
  EXPECT_TRUE(SetMenuItemInfoW(object, 109, FALSE, &info));
  char16_t text[32];
  EXPECT_EQ(GetMenuStringW(menu, 109, text, 32, MF_BYCOMMAND), 7);
  EXPECT_EQ(std::u16string(text), u"&Change");
  // A nested pop-up taken out survives; deleted, it goes.
  HMENU edit = GetSubMenu(object, 3);
  EXPECT_TRUE(RemoveMenu(object, 3, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(edit));
  EXPECT_TRUE(InsertMenuW(object, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(edit), u"&Edit"));
  EXPECT_TRUE(DeleteMenu(object, 0, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(edit));
  EXPECT_TRUE(DestroyMenu(menu));
}

TEST_F(WinMenu, BadInputAnswersAsTheSystemDoes) {
  HMENU menu = KvMenuFromTemplate(kRows, std::size(kRows));
  HMENU object = GetSubMenu(menu, 0);
  struct Case {
    const char* what;
    UINT item;
    UINT flags;
  } cases[] = {{"unknown command", 4242, MF_BYCOMMAND}, {"position past the end", 9, MF_BYPOSITION}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_FALSE(DeleteMenu(object, c.item, c.flags));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MENU_ITEM_NOT_FOUND));
    EXPECT_FALSE(RemoveMenu(object, c.item, c.flags));
    EXPECT_FALSE(ModifyMenuW(object, c.item, c.flags, 1, u"x"));
    EXPECT_EQ(CheckMenuItem(object, c.item, c.flags | MF_CHECKED), DWORD(-1));
    EXPECT_EQ(EnableMenuItem(object, c.item, c.flags | MF_GRAYED), -1);
    EXPECT_EQ(GetMenuState(object, c.item, c.flags), UINT(-1));
    EXPECT_EQ(GetMenuStringW(object, c.item, nullptr, 0, c.flags), 0);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID;
    EXPECT_FALSE(GetMenuItemInfoW(object, c.item, c.flags == MF_BYPOSITION, &info));
    EXPECT_FALSE(SetMenuItemInfoW(object, c.item, c.flags == MF_BYPOSITION, &info));
  }
  EXPECT_FALSE(InsertMenuW(object, 4242, MF_BYCOMMAND, 1, u"x"));
  EXPECT_EQ(GetMenuItemID(object, 9), UINT(-1));
  EXPECT_EQ(GetMenuItemID(object, -1), UINT(-1));
  EXPECT_FALSE(GetSubMenu(object, 0));  // not a pop-up
  EXPECT_FALSE(GetSubMenu(object, 99));
  MENUITEMINFOW small{};
  small.cbSize = 4;
  EXPECT_FALSE(GetMenuItemInfoW(object, 0, TRUE, &small));
  EXPECT_FALSE(GetMenuItemInfoW(object, 0, TRUE, nullptr));
  // A pop-up cannot go into itself or into one of its own pop-ups.
  HMENU edit = GetSubMenu(object, 2);
  EXPECT_FALSE(AppendMenuW(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(object), u"loop"));
  EXPECT_FALSE(AppendMenuW(object, MF_POPUP, reinterpret_cast<UINT_PTR>(object), u"self"));
  EXPECT_FALSE(AppendMenuW(object, MF_POPUP, 0x1234, u"no such menu"));
  MENUITEMINFOW sub{};
  sub.cbSize = sizeof sub;
  sub.fMask = MIIM_SUBMENU;
  sub.hSubMenu = menu;
  EXPECT_FALSE(SetMenuItemInfoW(edit, 0, TRUE, &sub));
  // Null and destroyed handles.
  EXPECT_TRUE(DestroyMenu(menu));
  for (HMENU h : {static_cast<HMENU>(nullptr), menu, object}) {
    SetLastError(0);
    EXPECT_EQ(GetMenuItemCount(h), -1);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_MENU_HANDLE));
    EXPECT_FALSE(DestroyMenu(h));
    EXPECT_FALSE(AppendMenuW(h, 0, 1, u"x"));
    EXPECT_FALSE(DeleteMenu(h, 0, MF_BYPOSITION));
    EXPECT_EQ(CheckMenuItem(h, 1, MF_CHECKED), DWORD(-1));
    EXPECT_FALSE(GetSubMenu(h, 0));
    EXPECT_EQ(KvMenuText(h), u"");
  }
}

struct Tracked {
  std::vector<UINT> messages;
  std::vector<WPARAM> commands;
  HMENU destroyOnInit = nullptr;
};
Tracked* g_tracked = nullptr;

LRESULT TrackingOwner(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (g_tracked && m == WM_INITMENUPOPUP) {
    g_tracked->messages.push_back(m);
    // The owner prepares the menu it is shown: here it checks an entry.
    CheckMenuItem(reinterpret_cast<HMENU>(w), 109, MF_CHECKED);
    if (g_tracked->destroyOnInit) DestroyMenu(g_tracked->destroyOnInit);
  }
  if (g_tracked && m == WM_COMMAND) g_tracked->commands.push_back(w);
  return DefWindowProcW(h, m, w, l);
}

TEST_F(WinMenu, TrackPopupMenuAnswersFromTheScript) {
  Tracked tracked;
  g_tracked = &tracked;
  HWND owner = Owner(&TrackingOwner);
  HMENU menu = KvMenuFromTemplate(kRows, std::size(kRows));
  HMENU object = GetSubMenu(menu, 0);
  KvScriptMenuAnswers({109, 0, 110, 4242, 118});
  EXPECT_EQ(TrackPopupMenu(object, TPM_RETURNCMD, 30, 40, 0, owner, nullptr), 109);
  EXPECT_EQ(TrackPopupMenu(object, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0);  // cancelled
  EXPECT_EQ(TrackPopupMenu(object, TPM_RETURNCMD | TPM_NONOTIFY, 0, 0, 0, owner, nullptr), 0);  // grayed
  EXPECT_EQ(TrackPopupMenu(object, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0);  // no such entry
  // Without TPM_RETURNCMD the choice is posted to the owner.
  EXPECT_TRUE(TrackPopupMenu(object, 0, 0, 0, 0, owner, nullptr));
  EXPECT_EQ(TrackPopupMenu(object, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0);  // the script is empty
  EXPECT_TRUE(TrackPopupMenu(object, 0, 0, 0, 0, owner, nullptr));  // nothing chosen, nothing posted
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(tracked.commands, std::vector<WPARAM>{118});
  EXPECT_EQ(tracked.messages.size(), 6u);  // every tracking but the one without notification
  const auto& log = KvMenuLog();
  ASSERT_EQ(log.size(), 7u);
  EXPECT_EQ(log[0].owner, owner);
  EXPECT_EQ(log[0].pt.x, 30);
  EXPECT_EQ(log[0].pt.y, 40);
  EXPECT_EQ(log[0].answer, 109u);
  EXPECT_NE(Narrow(log[0].text).find("Cu&t #109 checked"), std::string::npos);  // as prepared by the owner
  // Bad handles, and a menu destroyed by its owner while it was prepared.
  SetLastError(0);
  EXPECT_FALSE(TrackPopupMenu(object, TPM_RETURNCMD, 0, 0, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(TrackPopupMenu(nullptr, TPM_RETURNCMD, 0, 0, 0, owner, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_MENU_HANDLE));
  tracked.destroyOnInit = menu;
  KvScriptMenuAnswers({118});
  EXPECT_FALSE(TrackPopupMenu(object, TPM_RETURNCMD, 0, 0, 0, owner, nullptr));
  EXPECT_EQ(KvPendingMenuAnswers(), 1u);  // nothing was shown, nothing answered
  g_tracked = nullptr;
}

}  // namespace
