#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_module.h"
#include "kvcore/smenu.h"
#include "kvcore/smodulestate.h"
#include "kvcore/swnd.h"

namespace {

HINSTANCE Module() { return kvtest::TestModule(); }

using kvtest::Narrow;

// A symbol's context menu: pruning by command leaves separators to clean.
const KvMenuTemplateItem kContext[] = {
    {0, MF_POPUP, 0, u"0:Object"},
    {1, MF_SEPARATOR, 0, nullptr},
    {1, 0, 2113, u"Find in &Browser"},
    {1, MF_SEPARATOR, 0, nullptr},
    {1, 0, 2348, u"&Reroute Link"},
    {1, MF_SEPARATOR, 0, nullptr},
    {1, 0, 2300, u"&Format..."},
    {1, 0, 2301, u"Ad&just to Text"},
    {1, MF_SEPARATOR, 0, nullptr},
    {1, MF_POPUP, 0, u"&Edit"},
    {2, 0, 109, u"Cu&t"},
    {2, 0, 110, u"&Copy"},
    {2, MF_SEPARATOR, 0, nullptr},
    {2, 0, 2322, u"P&rotect Symbols"},
    {1, MF_SEPARATOR, 0, nullptr},
    {1, 0, 118, u"&Properties"},
    {1, MF_SEPARATOR, 0, nullptr},
};

class ContextView : public SWnd {
 public:
  std::vector<UINT> commands;
  bool canCut = false;
  void OnCommandId(UINT id) { commands.push_back(id); }
  void OnUpdateCut(SCmdUI* ui) { ui->Enable(canCut); }
  void OnUpdateFormat(SCmdUI* ui) {
    ui->SetCheck(1);
    ui->SetText(u"&Format Symbol...");
  }
  // The menu is brought up to date just before it shows.
  LRESULT OnInitMenuPopup(WPARAM menu, LPARAM) {
    if (SMenu* m = SMenu::FromHandle(reinterpret_cast<HMENU>(menu))) m->UpdateCmdUI(this);
    return 0;
  }
  KV_DECLARE_MESSAGE_MAP()
};

KV_BEGIN_MESSAGE_MAP(ContextView, SWnd)
KV_ON_COMMAND_RANGE(100, 3000, OnCommandId)
KV_ON_UPDATE_COMMAND_UI(109, OnUpdateCut)
KV_ON_UPDATE_COMMAND_UI(2300, OnUpdateFormat)
KV_ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
KV_END_MESSAGE_MAP()

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvWindowsReset();
    KvMenusReset();
    baseline_ = KvMenuCount();
  }
  void TearDown() override {
    SMenu::DeleteTempMap();
    KvMenusReset();
    KvWindowsReset();
    EXPECT_EQ(KvMenuCount(), baseline_) << "menus leaked";
  }
  SModuleState module_{Module()};
  KvResourceRegistration resource_{Module(), RT_MENU, MAKEINTRESOURCEW(115), kContext, sizeof kContext};
  std::size_t baseline_ = 0;
};

TEST_F(MenuTest, ContextMenuIsPrunedUpdatedShownAndAnswered) {
  ContextView view;
  ASSERT_TRUE(view.CreateEx(0, nullptr, u"view", WS_VISIBLE, RECT{0, 0, 200, 100}, nullptr, 0));
  SMenu menu;
  {
    SSetModuleState scope(&module_);
    ASSERT_TRUE(menu.LoadMenuW(115));
  }
  SMenu* popup = menu.GetSubMenu(0);
  ASSERT_TRUE(popup);
  int pos = -1;
  ASSERT_TRUE(popup->GetPositionByLabel(u"&Edit", pos));
  EXPECT_EQ(pos, 8);
  ASSERT_TRUE(popup->GetPosition(2301, pos));
  EXPECT_EQ(pos, 6);
  int other = -1;
  EXPECT_FALSE(popup->GetPosition(109, other));  // inside a nested pop-up: not this menu's own
  EXPECT_FALSE(popup->GetPositionByLabel(u"&Missing", other));
  EXPECT_EQ(other, -1);
  // What the selection does not allow goes; the separators left over go with it.
  EXPECT_TRUE(popup->DeleteMenu(UINT(pos), MF_BYPOSITION));
  EXPECT_TRUE(popup->DeleteMenu(2348, MF_BYCOMMAND));
  EXPECT_TRUE(popup->DeleteMenu(2322, MF_BYCOMMAND));  // found in the nested pop-up
  popup->CleanSeparators();
  EXPECT_EQ(Narrow(KvMenuText(*popup)),
            "Find in &Browser #2113\n-\n&Format... #2300\n-\n> &Edit\n  Cu&t #109\n  &Copy #110\n-\n"
            "&Properties #118\n");
  // Shown: the owner's update handlers reach the entries.
  KvScriptMenuAnswers({109, 0, 110});
  EXPECT_EQ(popup->TrackPopupMenu(TPM_RETURNCMD, 10, 20, &view), 0);  // Cut is grayed: nothing chosen
  const std::string shown = Narrow(KvMenuLog().back().text);
  EXPECT_NE(shown.find("&Format Symbol... #2300 checked\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Cu&t #109 grayed\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("&Copy #110\n"), std::string::npos) << shown;
  EXPECT_EQ(popup->TrackPopupMenu(TPM_RETURNCMD, 10, 20, &view), 0);  // cancelled
  EXPECT_TRUE(popup->TrackPopupMenu(0, 10, 20, &view));  // the command arrives as a message
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(view.commands, std::vector<UINT>{110});
  view.canCut = true;
  KvScriptMenuAnswers({109});
  EXPECT_EQ(popup->TrackPopupMenu(TPM_RETURNCMD, 0, 0, &view), 109);
  EXPECT_EQ(popup->TrackPopupMenu(TPM_RETURNCMD, 0, 0, nullptr), FALSE);  // no owner
}

TEST_F(MenuTest, CopiesCleaningAndBadHandles) {
  SMenu source;
  ASSERT_TRUE(source.CreatePopupMenu());
  source.AppendMenuW(MF_STRING | MF_CHECKED, 7, u"Seven");
  SMenu nested;
  nested.CreatePopupMenu();
  nested.AppendMenuW(MF_STRING, 8, u"Eight");
  ASSERT_TRUE(source.AppendMenuW(MF_POPUP, reinterpret_cast<UINT_PTR>(nested.Detach()), u"More"));
  SMenu copy;
  copy.CreatePopupMenu();
  ASSERT_TRUE(copy.CopySubMenu(source));
  EXPECT_EQ(KvMenuText(copy), KvMenuText(source));
  EXPECT_NE(copy.GetSubMenu(1)->m_hMenu, source.GetSubMenu(1)->m_hMenu);  // a pop-up of its own
  EXPECT_FALSE(copy.CopySubMenu(copy));
  EXPECT_FALSE(copy.CopySubMenu(nullptr));
  // Separators only: nothing stays.
  SMenu bare;
  bare.CreatePopupMenu();
  for (int i = 0; i < 3; ++i) bare.AppendMenuW(MF_SEPARATOR);
  bare.CleanSeparators();
  EXPECT_EQ(bare.GetMenuItemCount(), 0);
  // A handle that is gone.
  SMenu gone;
  gone.CreatePopupMenu();
  HMENU h = gone.m_hMenu;
  ::DestroyMenu(h);
  EXPECT_EQ(gone.GetMenuItemCount(), -1);
  gone.CleanSeparators();
  gone.UpdateCmdUI(nullptr);
  EXPECT_FALSE(gone.DestroyMenu());
  EXPECT_EQ(SMenu::FromHandle(h), nullptr);
  EXPECT_FALSE(bare.Attach(source.m_hMenu));  // already holds one
  SMenu none;
  EXPECT_FALSE(none.LoadMenuW(115));  // no module is current: no resources
  EXPECT_FALSE(none.Attach(h));
}

}  // namespace
