// The host's package tree over the host's model: completion level by level
// through the diagram, the child test that refuses cycles in the model's
// parent chain, the layout's gaps and offsets, the drawing of the expand
// box, branch line and connectors, collapse and expansion by a click with
// the links between the children shown again, the model following a drop
// and a removal, the branch pen undone, and deleted objects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/model/hostpackagetree.h"
#include "apps/symhost/samplediagram.h"
#include "support/recording_canvas.h"
#include "sym/diagram/symdisppref.h"
#include "sym/shapes/symtreeline.h"
#include "sym/symbol/symintflink.h"
#include "win/winreg.h"

namespace {

using namespace SHostId;

SSymRect RectOf(ISSymbol* s) {
  SSymRect r = s->GetClipRect(0, 0);
  return r.Normalize();
}

std::string P(LONG x1, LONG y1, LONG x2, LONG y2) {
  return "Line " + std::to_string(x1) + " " + std::to_string(y1) + " " + std::to_string(x2) + " " + std::to_string(y2);
}

class HostPackageTree : public ::testing::Test {
 protected:
  void SetUp() override {
    KvRegReset();
    view = holder.Model();
    ASSERT_NE(nullptr, view);
    static_cast<SSymDispPref*>(SSymGetDispPrefPtr(view))->m_bTreeVert = 1;
    model = SHostNewModel(holder.Session(), SString(u"M"));
    sales = SHostAddPackage(Model(), SString(u"Sales"));
    quotes = SHostAddPackage(sales, SString(u"Quotes"));
    returns = SHostAddPackage(sales, SString(u"Returns"));
    billing = SHostAddPackage(Model(), SString(u"Billing"));
    entity = SHostAddEntity(Model(), SString(u"Customer"));  // of another class: never a node
  }
  void TearDown() override {
    model->Release();
    KvRegReset();
  }
  ISRepObject* Model() { return static_cast<ISRepObjectBase*>(model); }
  // A tree node for the package in the diagram (the holder lets go of it).
  ISSymbol* Node(ISRepObject* package) {
    ISSymbol* s = view->AttachObject(package, SSymPoint(0, 0), 1);
    holder.Track(s);
    return s;
  }
  static ISSymTree* Tree(ISSymbol* s) { return SComWrap<ISSymTree>(s).Get(); }
  static ISRepObject* Shown(ISSymbol* s) { return s ? SHostBoundObject(SSymBase::FromInterface(s)->Obj()) : nullptr; }
  // The descendants' names in pre-order.
  static std::vector<std::string> Names(ISSymbol* root) {
    SComTable<ISSymbol> all;
    Tree(root)->GetAllChildren(all, 1, 0);
    std::vector<std::string> out;
    for (int i = 0; i < all.GetCount(); ++i) out.push_back(SHostNameOf(Shown(all.GetAt(i))).ToUtf8());
    return out;
  }
  // The tree implementation of a host node.
  static SSymTreeImpl& Impl(ISSymbol* s) { return dynamic_cast<SHostPackageTree*>(SSymBase::FromInterface(s))->Tree(); }
  // The descendant that shows the object (not counted), or null.
  static ISSymbol* NodeOf(ISSymbol* root, ISRepObject* object) {
    SComTable<ISSymbol> all;
    Tree(root)->GetAllChildren(all, 1, 0);
    for (int i = 0; i < all.GetCount(); ++i)
      if (Shown(all.GetAt(i)) == object) return all.GetAt(i);
    return nullptr;
  }
  static SRepObject* ParentOf(ISRepObject* o) {
    SComOut<ISRepObject> p;
    o->GetParent(&p);
    return SRepObject::FromInterface(p.Get());
  }

  SHostDiagram holder;
  SHostModelDiagram* view = nullptr;
  SHostPackage* model = nullptr;
  SRepObject *sales = nullptr, *quotes = nullptr, *returns = nullptr, *billing = nullptr, *entity = nullptr;
};

using NameList = std::vector<std::string>;

TEST_F(HostPackageTree, CompletedFromTheModelLevelByLevelAndLaidOut) {
  ISSymbol* root = Node(Model());
  ASSERT_NE(root, nullptr);
  ISSymTree* tree = Tree(root);
  EXPECT_EQ(tree->HasObjChildren(), 1);
  EXPECT_EQ(tree->IsComplete(1), 0);
  EXPECT_EQ(tree->Complete(1, 0), 1);  // looks only
  EXPECT_TRUE(Names(root).empty());
  EXPECT_EQ(tree->Complete(1, 1), 1);
  EXPECT_EQ(Names(root), (NameList{"Sales", "Quotes", "Returns", "Billing"}));
  EXPECT_EQ(tree->IsComplete(1), 1);
  EXPECT_EQ(tree->Complete(1, 1), 0);  // nothing more to make
  EXPECT_EQ(Names(root).size(), 4u);
  // The nodes left the diagram's top level for their trees.
  ISSymbol* s = NodeOf(root, sales);
  EXPECT_FALSE(view->Contains(s, 0));
  EXPECT_EQ(Tree(s)->GetParentSym(0), root);
  EXPECT_EQ(Tree(NodeOf(root, quotes))->GetParentSym(1), root);

  // Each level lies 2000 below its parent, its leaves 1000 apart, the row
  // centred on the parent.
  ASSERT_EQ(tree->LayoutChildrenSym(1), S_OK);
  const SSymRect r = RectOf(root), rs = RectOf(s), rb = RectOf(NodeOf(root, billing));
  const SSymRect rq = RectOf(NodeOf(root, quotes)), rr = RectOf(NodeOf(root, returns));
  EXPECT_EQ(rs.y1, r.y2 - 2000);
  EXPECT_EQ(rb.y1, r.y2 - 2000);
  EXPECT_EQ(rq.y1, rs.y2 - 2000);
  EXPECT_EQ(rr.x1 - rq.x2, 1001);
  EXPECT_EQ(rb.x1 - std::max(rs.x2, rr.x2), 1001);
  const LONG left = std::min(rs.x1, rq.x1), right = std::max(rb.x2, rr.x2);
  EXPECT_LE(std::abs((left + right) / 2 - (r.x1 + r.x2) / 2), 1);
  EXPECT_EQ(tree->GetChildrenRect(), SSymRect(left, r.y1, right, rq.y2));
}

TEST_F(HostPackageTree, CyclesInTheModelsParentChainAreRefused) {
  ISSymbol* root = Node(Model());
  Tree(root)->Complete(1, 1);
  ISSymbol* s = NodeOf(root, sales);
  ISSymbol* q = NodeOf(root, quotes);
  ISSymTree* salesTree = Tree(s);
  // Its own object, an ancestor and another class are refused; a child at
  // once, a sibling package too.
  EXPECT_EQ(salesTree->CanBeChild(sales), 0);
  EXPECT_EQ(salesTree->CanBeChild(Model()), 0);
  EXPECT_EQ(salesTree->CanBeChild(entity), 0);
  EXPECT_EQ(salesTree->CanBeChild(quotes), 1);
  EXPECT_EQ(salesTree->CanBeChild(billing), 1);
  EXPECT_EQ(salesTree->CanBeChild(SSymBase::FromInterface(root)->Obj()), 0);  // a symbol of the model
  EXPECT_EQ(Tree(q)->CanBeChild(sales), 0);

  // A node of Sales dropped into the tree of Quotes: refused, nothing moves.
  ISSymbol* loose = Node(sales);
  EXPECT_EQ(Tree(q)->Add(loose), E_INVALIDARG);
  EXPECT_EQ(ParentOf(sales), SRepObject::FromInterface(Model()));
  EXPECT_TRUE(view->Contains(loose, 0));
  // The tree of the root dropped below itself: refused.
  EXPECT_EQ(Tree(q)->Add(root), E_INVALIDARG);

  // A cycle made in the model behind the trees' back (the model below
  // Quotes): completion ends, refuses the package on the cycle and keeps
  // no symbol made for it.
  SRepCollection* below = quotes->Collection(Packages);
  ASSERT_EQ(below->Insert(model, -1), S_OK);
  ISSymbol* again = Node(Model());
  const int before = view->GetCount();
  EXPECT_EQ(Tree(again)->Complete(1, 1), 1);
  EXPECT_EQ(Names(again), (NameList{"Billing"}));
  EXPECT_EQ(view->GetCount(), before);
  EXPECT_EQ(NodeOf(again, Model()), nullptr);
  EXPECT_EQ(Tree(q)->CanBeChild(Model()), 0);
  below->Remove(below->GetPos(model));
}

TEST_F(HostPackageTree, DrawnWithExpandBoxBranchLineAndConnectors) {
  ISSymbol* root = Node(Model());
  ISSymTree* tree = Tree(root);
  tree->Complete(1, 1);
  tree->LayoutChildrenSym(1);
  SSymFormat branch;
  branch.m_pen = SSymPen(SSymPen::Solid, 30, SSymColor(RGB(0x2F, 0x55, 0x97)));
  tree->SetBranchFormat(branch, 1);

  RecordingCanvas canvas;
  canvas.ClearCalls();
  ASSERT_EQ(tree->DrawChildren(canvas), S_OK);
  const SSymRect box = Impl(root).GetExpandBox();
  const SSymPoint c = box.GetCenter();
  auto* line = dynamic_cast<SSymTreeLine*>(SSymBase::FromInterface(Impl(root).GetBranchLine()));
  ASSERT_NE(line, nullptr);
  const LONG y = line->m_start.y;
  const SSymRect rs = RectOf(NodeOf(root, sales)), rb = RectOf(NodeOf(root, billing));
  const LONG sx = (rs.x1 + rs.x2) / 2, bx = (rb.x1 + rb.x2) / 2;
  EXPECT_EQ(canvas.IndexOf("Rectangle " + RecordingCanvas::R(box)), canvas.IndexOf("Rectangle"));
  const std::vector<std::string> lines = canvas.Only("Line");
  ASSERT_GE(lines.size(), 5u);
  // A minus (expanded), the branch line over the children's centres, the
  // connector from the box to the line, one connector per child.
  const std::vector<std::string> head(lines.begin(), lines.begin() + 5);
  EXPECT_EQ(head, (std::vector<std::string>{P(c.x - 150, c.y, c.x + 150, c.y), P(sx, y, bx, y),
                                             P(c.x, box.GetMinY(), c.x, y), P(sx, rs.y1, sx, y),
                                             P(bx, rb.y1, bx, y)}));
  EXPECT_EQ(y, RectOf(root).y2 - 1000);
  // The connectors use the branch line's pen.
  EXPECT_NE(canvas.IndexOf("SetPen 1 30 97552f"), -1);

  // Collapsed: a plus, and neither line nor children.
  tree->Expand(0, 1);
  canvas.ClearCalls();
  tree->DrawChildren(canvas);
  EXPECT_EQ(canvas.Only("Line"), (std::vector<std::string>{P(c.x - 150, c.y, c.x + 150, c.y),
                                                          P(c.x, c.y - 150, c.x, c.y + 150)}));
}

TEST_F(HostPackageTree, CollapsedAndExpandedByAClickWithTheirLinksShownAgain) {
  ISSymbol* root = Node(Model());
  ISSymTree* tree = Tree(root);
  tree->Complete(1, 1);
  tree->LayoutChildrenSym(1);
  ISSymbol* q = NodeOf(root, quotes);
  ISSymbol* b = NodeOf(root, billing);
  // A link between two nodes of different levels.
  auto* link = new SHostRelationLink(holder.Session());
  link->AddRef();
  link->SetSession(holder.Session());
  const SSymListPt pts{RectOf(q).GetCenter(), RectOf(b).GetCenter()};
  link->SetListPt(pts, 0, 0, 0);
  link->AttachSym(0, SSymBase::FromInterface(q)->Linkable(), pts[0]);
  link->AttachSym(1, SSymBase::FromInterface(b)->Linkable(), pts[1]);
  ASSERT_TRUE(SUCCEEDED(view->Add(link->Sym())));
  holder.Track(link->Sym());
  link->Release();

  const SSymPoint inBox = Impl(root).GetExpandBox().GetCenter();
  ASSERT_EQ(tree->DoAction(inBox), 1);
  for (ISRepObject* o : {sales, quotes, returns, billing}) EXPECT_TRUE(NodeOf(root, o)->IsHidden());
  EXPECT_TRUE(link->IsHidden());
  EXPECT_EQ(tree->IsExpand(0), 0);
  EXPECT_EQ(tree->HasChildren(), 0);
  // Undone and redone as one step.
  ASSERT_EQ(holder.Session()->Undo(), S_OK);
  EXPECT_FALSE(q->IsHidden());
  ASSERT_EQ(holder.Session()->Redo(), S_OK);
  EXPECT_TRUE(q->IsHidden());

  ASSERT_EQ(tree->DoAction(inBox), 1);
  for (ISRepObject* o : {sales, quotes, returns, billing}) EXPECT_FALSE(NodeOf(root, o)->IsHidden());
  EXPECT_FALSE(link->IsHidden());
  EXPECT_EQ(tree->IsExpand(1), 1);

  // Showing one level brings back only the links whose two ends are visible.
  tree->Expand(0, 1);
  tree->Show(1, 0, 0);
  EXPECT_FALSE(b->IsHidden());
  EXPECT_TRUE(q->IsHidden());
  EXPECT_TRUE(link->IsHidden());
  Tree(NodeOf(root, sales))->Show(1, 0, 0);
  EXPECT_FALSE(link->IsHidden());

  // A click on a tree without child symbols makes every level.
  ISSymbol* fresh = Node(Model());
  ASSERT_EQ(Tree(fresh)->DoAction(Impl(fresh).GetExpandBox().GetCenter()), 1);
  EXPECT_EQ(Names(fresh), (NameList{"Sales", "Quotes", "Returns", "Billing"}));
  EXPECT_EQ(RectOf(NodeOf(fresh, sales)).y1, RectOf(fresh).y2 - 2000);
}

TEST_F(HostPackageTree, TheModelFollowsADropAndARemoval) {
  ISSymbol* root = Node(Model());
  Tree(root)->Complete(1, 1);
  ISSymbol* s = NodeOf(root, sales);
  ISSymbol* b = NodeOf(root, billing);
  ASSERT_EQ(Tree(s)->Add(b), S_OK);
  EXPECT_EQ(ParentOf(billing), sales);
  EXPECT_EQ(Tree(b)->GetParentSym(0), s);
  EXPECT_FALSE(Tree(root)->Contains(b, 0));
  EXPECT_TRUE(Tree(root)->Contains(b, 1));
  EXPECT_EQ(Names(root), (NameList{"Sales", "Quotes", "Returns", "Billing"}));

  SRepVariant date;
  ASSERT_EQ(Tree(s)->Remove(b, 1), S_OK);
  EXPECT_EQ(SRepClassColPtr(sales, Packages).GetPos(billing), -1);
  ASSERT_EQ(sales->GetAttribute(ModificationDate, &date), S_OK);
  EXPECT_NE(date.GetDATE(), 0);
  EXPECT_EQ(Tree(s)->Remove(b, 1), S_FALSE);
  EXPECT_EQ(Tree(s)->Remove(nullptr, 1), S_FALSE);
}

TEST_F(HostPackageTree, TheBranchPenIsOneUndoableStep) {
  ISSymbol* root = Node(Model());
  Tree(root)->Complete(1, 1);
  auto* line = dynamic_cast<SSymTreeLine*>(SSymBase::FromInterface(Impl(root).GetBranchLine()));
  ASSERT_NE(line, nullptr);
  const SSymPen before = line->m_pen;
  SSymFormat format;
  format.m_pen = SSymPen(SSymPen::Dash, 45, SSymColor(0x00FF00));
  {
    SRepCreateContext step(holder.Session());
    Tree(root)->SetBranchFormat(format, 1);
  }
  EXPECT_EQ(line->m_pen, format.m_pen);
  ASSERT_EQ(holder.Session()->Undo(), S_OK);
  EXPECT_EQ(line->m_pen, before);
}

TEST_F(HostPackageTree, DeletedObjectsGiveNoNodes) {
  returns->Delete();
  ISSymbol* root = Node(Model());
  EXPECT_EQ(Tree(root)->Complete(1, 1), 1);
  EXPECT_EQ(Names(root), (NameList{"Sales", "Quotes", "Billing"}));
  // A node whose package goes away shows no model any more.
  ISSymbol* gone = Node(billing);
  SHostAddPackage(billing, SString(u"Payments"));
  billing->Delete();
  EXPECT_EQ(Tree(gone)->HasObjChildren(), 0);
  EXPECT_EQ(Tree(gone)->Complete(1, 1), 0);
  EXPECT_EQ(Tree(gone)->Expand(1, 1), S_FALSE);
  EXPECT_EQ(Tree(gone)->CanBeChild(quotes), 0);
  // Neither a null nor a deleted object is given a node.
  EXPECT_EQ(view->AttachObject(nullptr, SSymPoint(0, 0), 1), nullptr);
  EXPECT_EQ(view->AttachObject(returns, SSymPoint(0, 0), 1), nullptr);
}

}  // namespace
