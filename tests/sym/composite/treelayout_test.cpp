// The tree's geometry and its answers without a model: the row of children
// with its gaps and offsets in both orientations, subtree sizes, the branch
// line's distance, the limits kept on moves and resizes, the expand box,
// the first child of a tree in a diagram without display preferences, and
// a tree symbol that shows no model object.
#include <gtest/gtest.h>

#include "support/recording_canvas.h"
#include "support/tree_fixture.h"

namespace {

class TreeLayout : public TreeFixture {
 protected:
  static SSymRect RectOf(TSym* s) {
    SSymRect r = s->Sym()->GetClipRect(0, 0);
    return r.Normalize();
  }
};

// Parent 1000 x 1000 with (left to right) a child tree, a plain symbol and
// another child tree, each 1000 x 1000.
TEST_F(TreeLayout, ChildrenAreCentredInSlotsUnderTheParentWithTheirGaps) {
  struct Case {
    const char* name;
    int vertical;
    bool plainBetween;
    SSymPoint first, second;  // upper left corners after the layout
  } cases[] = {
      // Vertical: T = 2 x 1000 + 1000, the row starts at 499 - 1500 and
      // lies 2000 below the parent's lower edge (1).
      {"vertical", 1, false, {-1001, -1999}, {999, -1999}},
      // A plain child counts toward the gaps (T = 4000) but is not moved.
      {"vertical, plain child between", 1, true, {-1501, -1999}, {499, -1999}},
      // Horizontal: the column starts 2000 right of the parent (999) at
      // the centre (500) + T / 2, and goes down.
      {"horizontal", 0, false, {2999, 2000}, {2999, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetVertical(c.vertical);
    TTreeSym* parent = NewTree(SSymRect(0, 1000, 999, 1));
    TTreeSym* a = AddChild<TTreeSym>(parent, SSymRect(20000, 9000, 20999, 8001));
    TSym* plain = c.plainBetween ? AddChild(parent, SSymRect(30000, 9000, 30999, 8001)) : nullptr;
    TTreeSym* b = AddChild<TTreeSym>(parent, SSymRect(40000, 9000, 40999, 8001));
    EXPECT_EQ(a->Tree().GetSize(0), 1000);  // a leaf is its node's extent
    ASSERT_EQ(parent->Tree().LayoutChildrenSym(0), S_OK);
    EXPECT_EQ(SSymPoint(RectOf(a).x1, RectOf(a).y1), c.first);
    EXPECT_EQ(SSymPoint(RectOf(b).x1, RectOf(b).y1), c.second);
    if (plain) {
      EXPECT_EQ(RectOf(plain), SSymRect(30000, 9000, 30999, 8001));
    }
    // The node is the clip rectangle: the branch line keeps exactly 1000.
    EXPECT_EQ(parent->Line()->m_nDistance, 1000);
    EXPECT_EQ(c.vertical ? parent->Line()->m_start.y : parent->Line()->m_start.x, c.vertical ? 1 - 1000 : 999 + 1000);
    // The parent is wider than its one-level row only when the row is narrow.
    EXPECT_EQ(parent->Tree().GetSize(0), c.plainBetween ? 4000 : 3000);
  }
}

TEST_F(TreeLayout, RecursiveLayoutPlacesParentsBeforeTheirChildrenAndSizesSubtrees) {
  SetVertical(1);
  TTreeSym* root = NewTree(SSymRect(0, 1000, 999, 1));
  TTreeSym* mid = AddChild<TTreeSym>(root, SSymRect(5000, 0, 5999, -999));
  TTreeSym* leaf1 = AddChild<TTreeSym>(mid, SSymRect(9000, 0, 9999, -999));
  TTreeSym* leaf2 = AddChild<TTreeSym>(mid, SSymRect(12000, 0, 12999, -999));
  // mid's subtree is 3000 wide; the root's row is mid alone.
  EXPECT_EQ(mid->Tree().GetSize(0), 3000);
  EXPECT_EQ(root->Tree().GetSize(0), 3000);
  ASSERT_EQ(root->Tree().LayoutChildrenSym(1), S_OK);
  // mid centred in its 3000-wide slot under the root, its children 2000 below it.
  EXPECT_EQ(RectOf(mid), SSymRect(-1, -1999, 998, -2998));
  EXPECT_EQ(RectOf(leaf1).x1, 498 - 1500);
  EXPECT_EQ(RectOf(leaf2).x1, 498 - 1500 + 2000);
  EXPECT_EQ(RectOf(leaf1).y1, -2998 - 2000);
  // The children rectangle covers every descendant and the node.
  EXPECT_EQ(root->Tree().GetChildrenRect(), SSymRect(-1002, 1000, 1997, -5997));
}

TEST_F(TreeLayout, MovesAndResizesKeepTheirDistances) {
  SetVertical(1);
  TTreeSym* parent = NewTree(SSymRect(0, 1000, 999, 1));
  TTreeSym* child = AddChild<TTreeSym>(parent, SSymRect(9000, 0, 9999, -999));
  ASSERT_EQ(parent->Tree().LayoutChildrenSym(0), S_OK);  // child top at -1999, line at -999
  // A move that would bring the child within 1000 of the line stops at 1000.
  SSymSize up(0, 1500);
  child->Tree().RecomputeMoveSize(up);
  EXPECT_EQ(up.cy, 0);
  SSymSize down(40, -300);
  child->Tree().RecomputeMoveSize(down);
  EXPECT_EQ(down, SSymSize(40, -300));

  // The branch line follows the lower edge only past 70 units.
  TSym* grandchild = AddChild(child, SSymRect(0, -4000, 999, -4999));
  child->Tree().UpdateTreeLine();
  SSymTreeLine* line = child->Line();
  const LONG lineY = line->m_start.y;
  for (LONG by : {70, 71}) {
    SSymRect before = RectOf(child), after = before;
    after.y2 -= by;
    child->PutRect(after);
    child->Tree().PostResize(before, after);
    EXPECT_EQ(line->m_start.y, by == 70 ? lineY : lineY - 71) << by;
  }
  (void)grandchild;

  // A child resized to within 2000 of its parent's edge is pushed back to
  // 2000, unless the push would be 30 or less.
  struct Case {
    LONG top;
    LONG expectedTop;
  } cases[] = {{-1000, -1999}, {-1970, -1970}};
  for (const Case& c : cases) {
    SSymRect before = RectOf(child), after(before.x1, c.top, before.x2, c.top - 999);
    child->PutRect(after);
    child->Tree().PostResize(before, after);
    EXPECT_EQ(RectOf(child).y1, c.expectedTop) << c.top;
    EXPECT_EQ(child->Tree().GetSpacing(), 2000);
  }
}

TEST_F(TreeLayout, ExpandBoxTouchesTheEdgeTheChildrenGrowFrom) {
  struct Case {
    int vertical;
    SSymRect box;
  } cases[] = {{1, {2100, 0, 2699, -599}}, {0, {4800, 2100, 5399, 1501}}};
  for (const Case& c : cases) {
    SetVertical(c.vertical);
    TTreeSym* t = NewTree();  // (0, 3600, 4800, 0)
    EXPECT_EQ(t->Tree().GetExpandBox(), c.box);
    const SSymRect& b = c.box;
    EXPECT_EQ(t->Tree().InExpendZone(SSymPoint(b.x1, b.y1)), 1);  // the edge counts
    EXPECT_EQ(t->Tree().InExpendZone(SSymPoint(b.x2, b.y2)), 1);
    EXPECT_EQ(t->Tree().InExpendZone(SSymPoint(b.x1 - 1, b.y1)), 0);
    EXPECT_EQ(t->Tree().InExpendZone(SSymPoint(b.x2, b.y2 - 1)), 0);
    // A click outside answers 0 and changes nothing.
    EXPECT_EQ(t->Tree().DoAction(SSymPoint(b.x1 - 1, b.y1)), 0);
  }
}

TEST_F(TreeLayout, TheFirstChildOfATreeWithoutDisplayPreferencesIsKept) {
  // A diagram whose type makes no preferences, and no diagram at all.
  SSymDiagram* plain = NewDiagram<SSymDiagram>();
  ASSERT_EQ(SSymGetDispPrefPtr(plain), nullptr);
  for (bool inDiagram : {true, false}) {
    SCOPED_TRACE(inDiagram ? "diagram without preferences" : "no diagram");
    TTreeSym* t = inDiagram ? AddTo<TTreeSym>(plain) : Make<TTreeSym>();
    m_trees.push_back(t);
    TSym* child = Make<TSym>(SSymRect(0, -3000, 1000, -4000));
    ASSERT_EQ(t->Tree().Add(child->Sym()), S_OK);
    SRepCollection* col = t->FindCollection(SymAttr::Symbols);
    ASSERT_NE(col, nullptr);
    ASSERT_EQ(col->GetCount(), 2);
    EXPECT_EQ(col->GetAt(0), t->Line());
    EXPECT_EQ(col->GetAt(1), child);
    // Without preferences the tree grows downward.
    EXPECT_TRUE(t->Tree().IsVertical());
    t->Tree().LayoutChildrenSym(0);
    EXPECT_EQ(t->Line()->m_start.y, 0 - 1000);
  }
}

TEST_F(TreeLayout, PreferencesGiveTheBranchPenAndTheGridSpacing) {
  // A new branch line takes the preferences' pen for branch lines, or the
  // default format's while they keep none.
  SSymFormat format;
  format.m_pen = SSymPen(SSymPen::Dot, 55, SSymColor(0x123456));
  for (const bool kept : {false, true}) {
    if (kept) Prefs()->SetClassSymbolFormat(CLSID_SSymTreeLine, format);
    TTreeSym* t = NewTree();
    AddChild(t, SSymRect(0, -3000, 1000, -4000));
    ASSERT_NE(t->Line(), nullptr);
    EXPECT_EQ(t->Line()->m_pen, kept ? format.m_pen : SSymFormat().m_pen) << kept;
  }
  // 2000 moves up to the next grid step while snapping is on.
  struct Case {
    int snap;
    LONG grid, spacing;
  } cases[] = {{1, 500, 2500}, {1, 300, 2100}, {0, 500, 2000}, {1, 0, 2000}};
  for (const Case& c : cases) {
    Prefs()->m_bSnapGrid = c.snap;
    Prefs()->m_nGridSize = c.grid;
    EXPECT_EQ(NewTree()->Tree().GetSpacing(), c.spacing) << c.grid;
  }
}

TEST_F(TreeLayout, ATreeWithoutModelObjectRefusesTheModelOperations) {
  TTreeSym* t = NewTree();
  TSym* child = AddChild(t, SSymRect(0, -3000, 1000, -4000));
  SSymTreeLine* loose = Make<SSymTreeLine>();
  EXPECT_EQ(t->Tree().HasObjChildren(), 0);
  EXPECT_EQ(t->Tree().Complete(1, 1), 0);
  EXPECT_EQ(t->Tree().IsComplete(1), 0);
  EXPECT_EQ(t->Tree().CanBeChild(nullptr), 0);
  EXPECT_EQ(t->Tree().CanBeChild(loose->Obj()), 0);  // a branch line
  EXPECT_EQ(t->Tree().CanBeChild(child->Obj()), 0);  // plain symbols not allowed by the flags
  EXPECT_EQ(t->Tree().Expand(0, 1), S_FALSE);
  EXPECT_FALSE(child->IsHidden());
  // No model children: no expand box, and nothing else is drawn.
  RecordingCanvas canvas;
  canvas.ClearCalls();
  EXPECT_EQ(t->Tree().DrawChildren(canvas), S_OK);
  EXPECT_TRUE(canvas.Calls().empty());
  EXPECT_EQ(t->Tree().GetNodeRect(nullptr), SSymRect(0, 0, 0, 0));
  // A diagram is no parent symbol.
  EXPECT_EQ(t->Tree().GetParentSym(1), nullptr);
}

}  // namespace
