// The library's menus and cursors as a host loads them through the library's
// module state: the positions and labels the menu updates rely on.
#include <gtest/gtest.h>

#include <string>

#include "kvcore/smenu.h"
#include "sym/foundation/sdsym.h"
#include "win/wininput.h"

namespace {

class LibraryMenus : public ::testing::Test {
 protected:
  void TearDown() override { SMenu::DeleteTempMap(); }
};

TEST_F(LibraryMenus, ContextMenusKeepTheirPositionsAndLabels) {
  SMenu menu;
  {
    SSetModuleState scope(SSymGetModuleState());
    ASSERT_TRUE(menu.LoadMenuW(115));
  }
  ASSERT_EQ(menu.GetMenuItemCount(), 3);
  struct Case {
    int popup;
    const char16_t* label;
    int pos;
  } cases[] = {
      {0, u"&Related Diagram", 3}, {0, u"&Composite View", 5}, {0, u"A&lign", 18},  {0, u"&Disposition", 19},
      {0, u"&Order", 20},          {0, u"&Swimlane Group Type", 26}, {0, u"&Edit", 28},
      {1, u"&Edit", 0},            {1, u"&Diagram", 2},         {2, u"&Edit", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.label, c.label + std::char_traits<char16_t>::length(c.label)));
    SMenu* popup = menu.GetSubMenu(c.popup);
    ASSERT_TRUE(popup);
    int pos = -1;
    EXPECT_TRUE(popup->GetPositionByLabel(c.label, pos));
    EXPECT_EQ(pos, c.pos);
  }
  // The entries the diagram pop-up's read-only pruning takes by position.
  SMenu* diagram = menu.GetSubMenu(1);
  EXPECT_EQ(diagram->GetSubMenu(0)->GetMenuItemID(6), 2115u);  // Replicate Objects
  EXPECT_EQ(diagram->GetMenuItemID(7), 2601u);  // Check Model
  EXPECT_EQ(diagram->GetMenuItemID(5), 2600u);  // Model Options
  EXPECT_EQ(diagram->GetSubMenu(2)->GetMenuItemID(8), 1110u);  // Convert to Package
  SMenu* object = menu.GetSubMenu(0);
  EXPECT_EQ(object->GetSubMenu(28)->GetSubMenu(9)->GetMenuItemID(0), 129u);  // the synonym placeholder
  for (UINT id : {116u, 117u, 118u, 102u}) {
    SMenu single;
    SSetModuleState scope(SSymGetModuleState());
    EXPECT_TRUE(single.LoadMenuW(id)) << id;
  }
}

TEST_F(LibraryMenus, ToolCursorsLoadFromTheLibrary) {
  for (UINT id : {112u, 113u, 118u, 125u, 130u, 131u, 132u}) {
    HCURSOR c = LoadCursorW(SSymGetInstanceHandle(), MAKEINTRESOURCEW(id));
    ASSERT_TRUE(c) << id;
    std::string name = "#" + std::to_string(id);
    EXPECT_EQ(KvCursorName(c), std::u16string(name.begin(), name.end()));
  }
  EXPECT_FALSE(LoadCursorW(SSymGetInstanceHandle(), MAKEINTRESOURCEW(114)));
}

}  // namespace
