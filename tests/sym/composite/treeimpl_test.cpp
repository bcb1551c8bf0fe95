// The tree implementation: the branch line made with the first child, the
// pre-order listing, showing and hiding, and trees that would contain
// themselves.
#include <gtest/gtest.h>

#include "support/tree_fixture.h"

namespace {

class TreeImpl : public TreeFixture {
 protected:
  static std::vector<ISSymbol*> List(TTreeSym* t, int recursive, int withLine, HRESULT* hr = nullptr) {
    SComTable<ISSymbol> table;
    const HRESULT r = t->Tree().GetAllChildren(table, recursive, withLine);
    if (hr) *hr = r;
    std::vector<ISSymbol*> out;
    for (int i = 0; i < table.GetCount(); ++i) out.push_back(table.GetAt(i));
    return out;
  }
};

TEST_F(TreeImpl, FirstChildBringsTheBranchLineAndListingIsPreOrder) {
  TTreeSym* root = NewTree();
  EXPECT_EQ(root->Line(), nullptr);
  TTreeSym* sub = AddChild<TTreeSym>(root, SSymRect(9000, 3600, 12000, 0));
  TSym* leaf = AddChild(sub, SSymRect(15000, 3600, 18000, 0));
  TSym* last = AddChild(root, SSymRect(9000, -2000, 12000, -5000));
  ASSERT_NE(root->Line(), nullptr);
  EXPECT_EQ(root->Line()->GetParentSym(), root->Sym());
  // Adding a symbol twice keeps one entry; adding the tree to itself does nothing.
  EXPECT_EQ(root->Tree().Add(last->Sym()), S_OK);
  EXPECT_EQ(root->Tree().Add(root->Sym()), S_FALSE);
  EXPECT_EQ(root->Tree().Add(nullptr), E_POINTER);

  // A symbol of another owner moves into the tree.
  TSym* moved = AddTo<TSym>(m_diag);
  ASSERT_EQ(root->Tree().Add(moved->Sym()), S_OK);
  EXPECT_FALSE(m_diag->Contains(moved->Sym(), 0));
  EXPECT_TRUE(root->Tree().Contains(moved->Sym(), 0));
  EXPECT_EQ(root->Tree().Remove(moved->Sym(), 0), S_OK);

  using V = std::vector<ISSymbol*>;
  EXPECT_EQ(List(root, 0, 0), (V{sub->Sym(), last->Sym()}));
  EXPECT_EQ(List(root, 1, 0), (V{sub->Sym(), leaf->Sym(), last->Sym()}));
  EXPECT_EQ(List(root, 1, 1), (V{root->Line()->Sym(), sub->Sym(), sub->Line()->Sym(), leaf->Sym(), last->Sym()}));
  EXPECT_EQ(root->Tree().Remove(last->Sym(), 0), S_OK);
  EXPECT_EQ(root->Tree().Remove(last->Sym(), 0), S_FALSE);
  EXPECT_EQ(List(root, 0, 0), (V{sub->Sym()}));
}

TEST_F(TreeImpl, HidingAndShowingFollowTheLevelsAsked) {
  TTreeSym* root = NewTree();
  TTreeSym* sub = AddChild<TTreeSym>(root, SSymRect(9000, 3600, 12000, 0));
  TSym* leaf = AddChild(sub, SSymRect(15000, 3600, 18000, 0));
  ASSERT_EQ(sub->Tree().Show(0, 0, 0), S_OK);
  EXPECT_TRUE(leaf->IsHidden());
  EXPECT_EQ(root->Tree().IsExpand(0), 1);
  EXPECT_EQ(root->Tree().IsExpand(1), 0);
  root->Tree().Show(0, 0, 0);
  EXPECT_TRUE(sub->IsHidden());
  // Showing the root's level leaves the level below as it was.
  root->Tree().Show(1, 0, 0);
  EXPECT_FALSE(sub->IsHidden());
  EXPECT_TRUE(leaf->IsHidden());
  // Quiet: only the recursion runs, nothing is shown.
  root->Tree().Show(1, 1, 1);
  EXPECT_TRUE(leaf->IsHidden());
  root->Tree().Show(1, 1, 0);
  EXPECT_FALSE(leaf->IsHidden());
  EXPECT_EQ(root->Tree().IsExpand(1), 1);
  EXPECT_EQ(root->Tree().HasChildren(), 1);
  root->Tree().Show(0, 0, 0);
  EXPECT_EQ(root->Tree().HasChildren(), 0);
}

TEST_F(TreeImpl, ATreeThatWouldHoldItselfIsRefusedAndNothingChanges) {
  TTreeSym* root = NewTree();
  TTreeSym* sub = AddChild<TTreeSym>(root, SSymRect(9000, 3600, 12000, 0));
  TTreeSym* deep = AddChild<TTreeSym>(sub, SSymRect(15000, 3600, 18000, 0));
  for (TTreeSym* ancestor : {root, sub}) {
    SCOPED_TRACE(ancestor == root ? "root" : "sub");
    const auto before = List(deep, 1, 1);
    EXPECT_EQ(deep->Tree().Add(ancestor->Sym()), E_INVALIDARG);
    EXPECT_EQ(List(deep, 1, 1), before);
    EXPECT_EQ(deep->Line(), nullptr);
  }
  // A cycle made behind the tree's back still gives a finite listing and says so.
  AddChild(deep, SSymRect(21000, 3600, 24000, 0));
  SRepCollection* col = deep->Collection(SymAttr::Symbols);
  col->Insert(root->Obj(), -1);
  HRESULT hr = S_OK;
  const auto listed = List(root, 1, 0, &hr);
  EXPECT_EQ(hr, E_UNEXPECTED);
  EXPECT_EQ(listed.size(), 4u);  // sub, deep, its leaf, root
  col->Remove(col->GetPos(root->Obj()));
}

}  // namespace
