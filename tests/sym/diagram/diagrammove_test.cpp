// The diagram's follow-up to a move: tree children taken into the order of
// their positions (children at one position all kept), the swimlane part
// left to diagram types with pools and to mouse moves, and the selection's
// move that runs it inside its own undoable step.
#include <gtest/gtest.h>

#include <vector>

#include "support/swim_fixture.h"
#include "support/tree_fixture.h"
#include "sym/diagram/symviewedit.h"
#include "sym/edit/symselection.h"

namespace {

// A tree node that names its tree parent, as a host's tree nodes do.
class TTreeNode : public TTreeSym {
 public:
  using TTreeSym::TTreeSym;
  ISSymbol* GetTreeParentSym() override { return Tree().GetParentSym(0); }
};

class DiagramMoveTree : public TreeFixture {
 protected:
  // A root with three node children A, B, C left to right (or, for a
  // horizontal tree, top to bottom).
  void Build(int vertical) {
    SetVertical(vertical);
    root = NewTree(SSymRect(0, 30000, 4800, 26400));
    for (int i = 0; i < 3; ++i) {
      TTreeNode* c = Make<TTreeNode>(SSymRect(0, 3600, 4800, 0));
      ASSERT_EQ(root->Tree().Add(c->Sym()), S_OK);
      m_trees.push_back(c);
      kids.push_back(c);
      Place(c, i);
    }
  }
  // Puts a child at slot i of the row (or column).
  void Place(TTreeSym* c, LONG i) {
    const LONG vx = 6000 * i, vy = -6000 * i;
    if (Prefs()->m_bTreeVert) c->PutRect(SSymRect(vx, 3600, vx + 4800, 0));
    else c->PutRect(SSymRect(9000, 20000 + vy, 13800, 16400 + vy));
  }
  // The children in model order, and whether the branch line is first.
  std::vector<ISSymbol*> Order() {
    std::vector<ISSymbol*> out;
    SRepCollection* col = root->Collection(SymAttr::Symbols);
    for (SRepObject* o : col->Items()) {
      SComWrap<ISSymbol> s(static_cast<ISRepObject*>(o));
      if (s->GetSymbolType() != 15) out.push_back(s.Get());
    }
    return out;
  }
  bool LineFirst() {
    SRepCollection* col = root->Collection(SymAttr::Symbols);
    return col->GetCount() > 0 && SComWrap<ISSymbol>(static_cast<ISRepObject*>(col->GetAt(0)))->GetSymbolType() == 15;
  }
  void Moved(std::initializer_list<TTreeSym*> syms, SSymDiagramImpl* d = nullptr) {
    SComBag<ISSymbol> bag;
    for (TTreeSym* s : syms) bag.Add(s->Sym());
    (d ? d : m_diag)->UpdateSymMove(bag, SSymSize(), nullptr);
  }
  using V = std::vector<ISSymbol*>;
  V Syms(std::initializer_list<int> idx) {
    V out;
    for (int i : idx) out.push_back(kids[i]->Sym());
    return out;
  }

  TTreeSym* root = nullptr;
  std::vector<TTreeSym*> kids;
};

// Moving a child before its siblings makes it the first child of the model;
// the branch line keeps its place; vertical trees go left to right,
// horizontal ones top to bottom.
TEST_F(DiagramMoveTree, ChildrenTakeTheOrderOfTheirPositions) {
  for (int vertical : {1, 0}) {
    SCOPED_TRACE(vertical ? "vertical" : "horizontal");
    kids.clear();
    Build(vertical);
    ASSERT_EQ(Order(), Syms({0, 1, 2}));
    Place(kids[2], -1);  // C before A
    Moved({kids[2]});
    EXPECT_EQ(Order(), Syms({2, 0, 1}));
    EXPECT_TRUE(LineFirst());
    Place(kids[2], 5);  // and back behind B
    Moved({kids[2]});
    EXPECT_EQ(Order(), Syms({0, 1, 2}));
  }
}

// Two children at one position both keep a place, in the order the model
// had them: A moved onto C's place lands before C, B stays first.
TEST_F(DiagramMoveTree, ChildrenAtOnePositionAreBothKeptInModelOrder) {
  Build(1);
  Place(kids[0], 2);
  Moved({kids[0]});
  EXPECT_EQ(Order(), Syms({1, 0, 2}));
  EXPECT_EQ(root->Collection(SymAttr::Symbols)->GetCount(), 4);
}

// Nothing moves in the model: for an empty bag, without display
// preferences, for a node whose tree parent is not named (the library's own
// symbols name none), and for a symbol that is no tree node.
TEST_F(DiagramMoveTree, NothingIsReorderedWithoutATreeParentOrPreferences) {
  Build(1);
  Place(kids[2], -1);
  Moved({});
  EXPECT_EQ(Order(), Syms({0, 1, 2}));
  SSymDiagram* bare = NewDiagram<SSymDiagram>();
  Moved({kids[2]}, bare);
  EXPECT_EQ(Order(), Syms({0, 1, 2}));
  TTreeSym* plain = Make<TTreeSym>(SSymRect(-9000, 3600, -4200, 0));
  ASSERT_EQ(root->Tree().Add(plain->Sym()), S_OK);
  m_trees.push_back(plain);
  Moved({plain});
  EXPECT_EQ(Order(), (V{kids[0]->Sym(), kids[1]->Sym(), kids[2]->Sym(), plain->Sym()}));
}

// The selection moves its symbols and lets the diagram follow in one step:
// one undo takes back both the move and the new order.
TEST_F(DiagramMoveTree, SelectionMoveReordersInOneUndoStep) {
  Build(1);
  SSymSelection selection;
  selection.SetDiagram(m_diag->Diagram());
  selection.Add(kids[2]->Sym(), 0);
  selection.MoveBy(SSymSize(-18000, 0), 0, 1);
  EXPECT_EQ(kids[2]->GetClipRect(0, 0).x1, -6000);
  EXPECT_EQ(Order(), Syms({2, 0, 1}));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(kids[2]->GetClipRect(0, 0).x1, 12000);
  EXPECT_EQ(Order(), Syms({0, 1, 2}));
}

// ---- the swimlane part runs only for diagram types with pools ----------------------------------
class DiagramMoveSwim : public SwimFixture {};

// The library's own diagram type has no pools of its own: a pool dragged
// with the mouse leaves the other pools where they are.
TEST_F(DiagramMoveSwim, BaseDiagramTypeLeavesOtherPoolsAlone) {
  SSymSwimLane* a = NewPool(SSymRect(0, 20000, 9000, 0), 1);
  AddLane(a, SSymRect(0, 20000, 9000, 0));
  SSymSwimLane* b = NewPool(SSymRect(20000, 20000, 29000, 0), 1);
  AddLane(b, SSymRect(20000, 20000, 29000, 0));
  const SSymRect before = Rect(b->Sym());
  auto* view = new SSymViewEdit();
  view->SetDiagram(m_d->Diagram());
  SSymTrackerMover tracker(SSymRect(300, 20500, 9300, 500), SSymPoint(4000, 10000));
  view->SetMoveTracker(&tracker);
  ASSERT_EQ(a->MoveBy(SSymSize(300, 500), 0), S_OK);
  SComBag<ISSymbol> moved;
  moved.Add(a->Sym());
  m_d->UpdateSymMove(moved, SSymSize(300, 500), view);
  EXPECT_EQ(Rect(b->Sym()), before);
  delete view;
}

}  // namespace
