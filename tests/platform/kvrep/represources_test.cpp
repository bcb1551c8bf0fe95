// The repository library's own resources, loaded the way a view loads them:
// with the repository module's state current.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "kvcore/smenu.h"
#include "kvcore/smodulestate.h"
#include "kvrep/sreptypelib.h"
#include "win/wininput.h"
#include "win/winres.h"

namespace {

TEST(RepResources, DropMenuHoldsTheDiagramChoicesInItsSecondPopup) {
  SMenu menu;
  {
    SSetModuleState scope(SRepGetModuleState());
    ASSERT_TRUE(menu.LoadMenuW(1007));
  }
  ASSERT_EQ(menu.GetMenuItemCount(), 2);
  SMenu* diagram = menu.GetSubMenu(1);
  ASSERT_TRUE(diagram);
  std::vector<UINT> ids;
  for (int i = 0; i < diagram->GetMenuItemCount(); ++i) ids.push_back(diagram->GetMenuItemID(i));
  for (UINT want : {10012u, 10013u, 10014u, 10016u, 10018u})
    EXPECT_NE(std::find(ids.begin(), ids.end(), want), ids.end()) << want;
  SMenu::DeleteTempMap();
}

TEST(RepResources, ResourcesBelongToTheRepositoryModuleOnly) {
  HINSTANCE rep = SRepGetModuleState()->GetInstanceHandle();
  ASSERT_TRUE(rep);
  EXPECT_TRUE(FindResourceW(rep, MAKEINTRESOURCEW(1007), RT_MENU));
  for (UINT id : {104u, 1012u, 1016u, 1017u}) EXPECT_TRUE(LoadCursorW(rep, MAKEINTRESOURCEW(id))) << id;
  // Another module (here: none current) does not answer the repository's menu.
  SModuleState other(nullptr);
  SMenu menu;
  SSetModuleState scope(&other);
  EXPECT_FALSE(menu.LoadMenuW(1007));
}

}  // namespace
