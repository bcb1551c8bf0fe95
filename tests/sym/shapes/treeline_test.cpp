// The branch line of a tree: placement from the parent's orientation, the
// drag that never comes nearer than the minimum distance and takes the
// children along, visibility by the tree's expansion, drawing and the
// class's repository face.
#include <gtest/gtest.h>

#include "kvrep/srepsession.h"
#include "support/recording_canvas.h"
#include "support/tree_fixture.h"

namespace {

class TreeLine : public TreeFixture {};

TEST_F(TreeLine, ClassFunctionsMakeAnUnplacedLineAtTheDefaultDistance) {
  void* p = nullptr;
  ASSERT_EQ(m_session->CreateObject(CLSID_SSymTreeLine, IID_ISRepObject, &p), S_OK);
  SComOut<ISRepObject> obj(static_cast<ISRepObject*>(p));
  auto* line = dynamic_cast<SSymTreeLine*>(SRepObject::FromInterface(obj.Get()));
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->GetSymbolType(), 15);
  EXPECT_EQ(line->GetShapeKind(), 79);
  EXPECT_FALSE(line->IsPlaced());
  // The object starts at 1000 although the metamodel's default is 0.
  SRepVariant v;
  ASSERT_EQ(obj->GetAttribute(SymAttr::Distance, &v), S_OK);
  EXPECT_EQ(v.GetLONG(), 1000);
  EXPECT_EQ(obj->HasAttribute(SymAttr::Distance), S_OK);
  // No parent: not drawn, not moved, and no owner hides it.
  RecordingCanvas canvas;
  EXPECT_EQ(line->Draw(canvas), S_FALSE);
  EXPECT_TRUE(canvas.Only("Line").empty());
  EXPECT_EQ(line->MoveBy(SSymSize(100, 0), 0), E_FAIL);
  EXPECT_TRUE(line->IsHidden());
}

TEST_F(TreeLine, PlacementFollowsTheOrientationAndTheChildrenCentres) {
  struct Case {
    const char* name;
    int vertical;
    std::vector<SSymRect> children;
    SSymPoint start, end;
  } cases[] = {
      // Parent (0, 3600, 4800, 0): right edge 4800, lower edge 0, centre (2400, 1800).
      {"horizontal", 0, {{6000, 8000, 9000, 4000}, {6000, -1000, 9000, -3000}}, {5800, -2000}, {5800, 6000}},
      {"horizontal, children inside the parent's span", 0, {{6000, 2000, 9000, 1000}}, {5800, 1500}, {5800, 1800}},
      {"vertical", 1, {{-3000, -2000, -1000, -4000}, {7000, -2000, 9000, -4000}}, {-2000, -1000}, {8000, -1000}},
      // Without children the line is a point at the middle of the parent's edge.
      {"horizontal, no children", 0, {}, {5800, 1800}, {5800, 1800}},
      {"vertical, no children", 1, {}, {2400, -1000}, {2400, -1000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetVertical(c.vertical);
    TTreeSym* parent = NewTree();
    SSymTreeLine* line = nullptr;
    if (c.children.empty()) {
      // A line given to a tree without children.
      void* p = nullptr;
      ASSERT_EQ(m_session->CreateObject(CLSID_SSymTreeLine, IID_ISRepObject, &p), S_OK);
      SComOut<ISRepObject> obj(static_cast<ISRepObject*>(p));
      line = dynamic_cast<SSymTreeLine*>(SRepObject::FromInterface(obj.Get()));
      ASSERT_EQ(parent->Tree().Add(line->Sym()), S_OK);
      line->Collection(SymAttr::ParentSymbol)->Insert(parent->Obj(), -1);
    } else {
      for (const SSymRect& r : c.children) AddChild(parent, r);
      line = parent->Line();
    }
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(line->GetParentSym(), parent->Sym());
    line->UpdateDist(parent->Sym());
    EXPECT_EQ(line->m_start, c.start);
    EXPECT_EQ(line->m_end, c.end);
    // The rectangle is the line with a 300-unit band across it.
    SSymRect r = line->Sym()->GetClipRect(0, 0);
    r.Normalize();
    EXPECT_EQ(c.vertical ? r.Height() : r.Width(), 300);
    EXPECT_EQ(c.vertical ? r.GetMinX() : r.GetMinY(), c.vertical ? c.start.x : c.start.y);
    EXPECT_EQ(c.vertical ? r.GetMaxX() : r.GetMaxY(), c.vertical ? c.end.x : c.end.y);
  }
}

TEST_F(TreeLine, DistanceChangePlacesTheLineAgainAndDrawingPlacesItFirst) {
  TTreeSym* parent = NewTree();
  AddChild(parent, SSymRect(8000, 3000, 9000, 2000));
  SSymTreeLine* line = parent->Line();
  EXPECT_FALSE(line->IsPlaced());
  RecordingCanvas canvas;
  canvas.ClearCalls();
  ASSERT_EQ(line->Draw(canvas), S_OK);
  EXPECT_EQ(canvas.Only("Line"), std::vector<std::string>{"Line 5800 1800 5800 2500"});
  ASSERT_EQ(line->Obj()->SetAttribute(SymAttr::Distance, SRepVariant::Long(2000)), S_OK);
  EXPECT_EQ(line->m_start, SSymPoint(6800, 1800));
  // The same value again changes nothing and succeeds.
  EXPECT_EQ(line->Obj()->SetAttribute(SymAttr::Distance, SRepVariant::Long(2000)), S_OK);
}

TEST_F(TreeLine, DragStopsAtTheMinimumDistanceAndTheChildrenFollow) {
  struct Case {
    const char* name;
    int vertical;
    SSymSize drag, moved;
    LONG distance;
  } cases[] = {
      {"horizontal, toward the parent past the limit", 0, {-1500, 40}, {-200, 40}, 1000},
      {"horizontal, toward the parent within the limit", 0, {-100, 0}, {-100, 0}, 1100},
      {"horizontal, away from the parent", 0, {3000, 0}, {3000, 0}, 4200},
      {"vertical, toward the parent past the limit", 1, {40, 1500}, {40, 200}, 1000},
      {"vertical, away from the parent", 1, {0, -800}, {0, -800}, 2000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetVertical(c.vertical);
    TTreeSym* parent = NewTree();
    TSym* child = AddChild(parent, SSymRect(9000, 3000, 12000, -3000));
    SSymTreeLine* line = parent->Line();
    ASSERT_EQ(line->Obj()->SetAttribute(SymAttr::Distance, SRepVariant::Long(1200)), S_OK);
    const SSymPoint start = line->m_start;
    const SSymRect before = child->m_rect;
    ASSERT_EQ(line->MoveBy(c.drag, 0), S_OK);
    EXPECT_EQ(line->m_start, SSymPoint(start.x + c.moved.cx, start.y + c.moved.cy));
    EXPECT_EQ(line->m_nDistance, c.distance);
    SSymRect after = before;
    after.OffsetRect(c.moved.cx, c.moved.cy);
    EXPECT_EQ(child->m_rect, after);
  }
}

TEST_F(TreeLine, UndoOfADragPutsLineAndChildrenBackOnce) {
  TTreeSym* parent = NewTree();
  TSym* child = AddChild(parent, SSymRect(9000, 3000, 12000, -3000));
  SSymTreeLine* line = parent->Line();
  line->UpdateDist(parent->Sym());
  const SSymRect lineBefore = line->m_rect, childBefore = child->m_rect;
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(line->MoveBy(SSymSize(700, 0), 0), S_OK);
  }
  ASSERT_NE(child->m_rect, childBefore);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(line->m_rect, lineBefore);
  EXPECT_EQ(child->m_rect, childBefore);
}

TEST_F(TreeLine, AMoveWithAParentThatIsNoTreeMovesNothing) {
  TSym* plain = AddTo<TSym>(m_diag);
  SSymTreeLine* line = Make<SSymTreeLine>();
  line->Collection(SymAttr::ParentSymbol)->Insert(plain->Obj(), -1);
  // Unplaced: the placement finds no tree, and the line moves as asked.
  ASSERT_EQ(line->MoveBy(SSymSize(50, 60), 0), S_OK);
  EXPECT_EQ(line->m_start, SSymPoint(50, 60));
  // Placed: no tree, no move.
  ASSERT_EQ(line->MoveBy(SSymSize(50, 60), 0), S_FALSE);
  EXPECT_EQ(line->m_start, SSymPoint(50, 60));
}

TEST_F(TreeLine, VisibilityFollowsTheOwnerAndTheTreesExpansion) {
  TTreeSym* parent = NewTree();
  AddChild(parent, SSymRect(9000, 3000, 12000, 0));
  SSymTreeLine* line = parent->Line();
  EXPECT_FALSE(line->IsHidden());
  ASSERT_EQ(parent->Tree().Show(0, 0, 0), S_OK);
  EXPECT_TRUE(line->IsHidden());
  ASSERT_EQ(parent->Tree().Show(1, 0, 0), S_OK);
  EXPECT_FALSE(line->IsHidden());
  parent->Show(0);
  EXPECT_TRUE(line->IsHidden());
  // An owner that is not a tree shows the line.
  TComp* comp = AddTo<TComp>(m_diag);
  SSymTreeLine* loose = Make<SSymTreeLine>();
  comp->Add(loose->Sym());
  EXPECT_FALSE(loose->IsHidden());
}

TEST_F(TreeLine, HitTestFollowsTheSegmentAndIgnoresAHiddenLine) {
  TTreeSym* parent = NewTree();
  AddChild(parent, SSymRect(9000, 9000, 12000, 7000));
  SSymTreeLine* line = parent->Line();
  line->UpdateDist(parent->Sym());  // (5800, 1800) to (5800, 8000)
  RecordingCanvas canvas;
  EXPECT_TRUE(line->IsPtInSym(canvas, SSymPoint(5800, 5000), nullptr, nullptr));
  EXPECT_TRUE(line->IsPtInSym(canvas, SSymPoint(5800, 8000), nullptr, nullptr));
  EXPECT_FALSE(line->IsPtInSym(canvas, SSymPoint(7000, 5000), nullptr, nullptr));
  EXPECT_FALSE(line->IsPtInSym(canvas, SSymPoint(5800, 9500), nullptr, nullptr));
  parent->Tree().Show(0, 0, 0);
  EXPECT_FALSE(line->IsPtInSym(canvas, SSymPoint(5800, 5000), nullptr, nullptr));
}

}  // namespace
