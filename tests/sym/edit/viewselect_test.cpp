// The editing window's selection rules: the trims of each operation (copy,
// move, clone, protect, hide, flip) with lanes, composites, trees and links,
// the grouping test and the delete filter, selecting and unselecting symbols
// and sub-object marks, and swapping the selection for a while.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "kvcore/snotify.h"
#include "support/swim_fixture.h"
#include "support/tree_fixture.h"
#include "sym/edit/symselection.h"
#include "sym/edit/symviewedit.h"
#include "sym/subobjects/symselsubsym.h"
#include "sym/symbol/symcoll.h"

namespace {

using Names = std::vector<std::string>;

// A composite that lists its descendants at every depth when asked, as the
// library's composites do.
class TDeepComp : public TComp {
 public:
  using TComp::TComp;
  HRESULT GetAllChildren(SComTable<ISSymbol>& out, int deep) override {
    SComTable<ISSymbol> children;
    TComp::GetAllChildren(children, 0);
    for (ISSymbol* c : children) {
      out.Add(c);
      SComWrap<ISSymCompSym> inner(c);
      if (deep && !inner.IsNull()) inner->GetAllChildren(out, deep);
    }
    return S_OK;
  }
};

// One diagram holding every kind a rule looks at, each symbol by name: a
// pool with three lanes (a symbol inside the first), two rectangles with a
// link between them, a composite with a child and a grandchild, a link from
// that child to the second rectangle, a tree with a node (and so its branch
// line), and a separator-type symbol.
class ViewSelect : public SwimFixture {
 protected:
  void SetUp() override {
    SwimFixture::SetUp();
    SNotificationManager::ClearLog();
    SSymSwimLane* pool = NewPool(SSymRect(0, 30000, 40000, 0), 0);
    Name("pool", pool->Sym());
    for (int i = 0; i < 3; ++i)
      Name("lane" + std::to_string(i + 1),
           AddLane(pool, SSymRect(0, 10000 * (i + 1), 40000, 10000 * i), i < 2)->Sym());
    TSym* inLane = Make<TSym>(SSymRect(5000, 8000, 9000, 2000));
    static_cast<ISSymOwner*>(static_cast<TSwimLane*>(SSymBase::FromInterface(S("lane1"))))->Add(inLane->Sym());
    Name("inlane", inLane->Sym());
    Name("a", AddTo<TSym>(m_d, SSymRect(100000, 5000, 104000, 0))->Sym());
    Name("b", AddTo<TSym>(m_d, SSymRect(110000, 5000, 114000, 0))->Sym());
    Name("link", LinkOf(S("a"), S("b")));
    TDeepComp* comp = AddTo<TDeepComp>(m_d, SSymRect(100000, 60000, 140000, 20000));
    TDeepComp* child = Make<TDeepComp>(SSymRect(101000, 59000, 120000, 40000));
    comp->Add(child->Sym());
    TSym* grandchild = Make<TSym>(SSymRect(102000, 58000, 104000, 56000));
    child->Add(grandchild->Sym());
    Name("comp", comp->Sym());
    Name("child", child->Sym());
    Name("grandchild", grandchild->Sym());
    Name("link2", LinkOf(S("child"), S("b")));
    TTreeSym* tree = AddTo<TTreeSym>(m_d, SSymRect(200000, 5000, 204000, 0));
    m_trees.push_back(tree);
    TSym* node = Make<TSym>(SSymRect(200000, -10000, 204000, -15000));
    EXPECT_EQ(tree->Tree().Add(node->Sym()), S_OK);
    Name("tree", tree->Sym());
    Name("node", node->Sym());
    ASSERT_NE(tree->Line(), nullptr);
    Name("line", tree->Line()->Sym());
    TSym* coln = AddTo<TSym>(m_d, SSymRect(300000, 5000, 304000, 0));
    coln->m_symType = 13;
    Name("coln", coln->Sym());
    m_edit = NewView<SSymViewEdit>();
    m_sel.SetDiagram(m_d->Diagram());
  }
  void TearDown() override {
    for (SSymViewEdit* v : m_views) {
      v->SetDiagram(nullptr);
      v->Release();
    }
    m_sel.Clear(0);
    for (TTreeSym* t : m_trees) t->ReleaseAll();
    SwimFixture::TearDown();
  }
  ISSymbol* LinkOf(ISSymbol* from, ISSymbol* to) {
    TLink* l = AddTo<TLink>(m_d);
    l->AttachSym(0, SSymBase::FromInterface(from)->Linkable(), SSymPoint());
    l->AttachSym(1, SSymBase::FromInterface(to)->Linkable(), SSymPoint());
    return l->Sym();
  }
  // An editing window on the diagram (windows count their references).
  template <class V>
  V* NewView() {
    auto* v = new V();
    v->AddRef();
    v->SetDiagram(m_d->Diagram());
    v->OnActivate(1);  // an editing window draws only once it is active
    m_views.push_back(v);
    return v;
  }
  void Name(const std::string& name, ISSymbol* s) { m_names[name] = s; }
  ISSymbol* S(const std::string& name) { return m_names.at(name); }
  std::string NameOf(ISSymbol* s) const {
    for (const auto& [n, x] : m_names)
      if (x == s) return n;
    return "?";
  }
  // The names of a selection's members, sorted.
  Names Members(const SSymSelection& sel) const {
    Names out;
    for (int i = 0; i < sel.GetCount(); ++i) out.push_back(NameOf(sel.GetAt(i)));
    std::sort(out.begin(), out.end());
    return out;
  }
  void Select(SSymSelection& sel, const Names& names) {
    for (const auto& n : names) sel.Add(S(n), 0);
  }
  SSymCollection Collection(const Names& names) {
    SSymCollection c;
    for (const auto& n : names) c.Add(S(n));
    return c;
  }
  static int Changes() {
    int n = 0;
    for (const SNotificationRecord& r : SNotificationManager::Log()) n += r.code == SSymNotifySelChanged ? 1 : 0;
    SNotificationManager::ClearLog();
    return n;
  }
  SSymSelSubSym* Mark(ISSymbol* owner) {
    SSymSelSubSymData data;
    data.m_rect = SSymRect(0, 1000, 1000, 0);
    auto* m = new SSymSelSubSym(nullptr, owner, data);
    m_marks.emplace_back(m->Sym());
    return m;
  }

  std::map<std::string, ISSymbol*> m_names;
  std::vector<TTreeSym*> m_trees;
  std::vector<SComWrap<ISSymbol>> m_marks;
  std::vector<SSymViewEdit*> m_views;  // counted
  SSymViewEdit* m_edit = nullptr;
  // A selection without a window: the trims are tested apart from the
  // window's own selection rules.
  SSymSelection m_sel;
};

struct TrimCase {
  const char* name;
  Names selected;
  int operation;
  Names kept;  // sorted
};

TEST_F(ViewSelect, EachOperationTrimsTheSelectionByItsRules) {
  using V = SSymViewEdit;
  const TrimCase cases[] = {
      {"CopyDropsATreeLine", {"line"}, V::OpCopy, {}},
      {"MoveKeepsATreeLineMovedAlone", {"line"}, V::OpMove, {"line"}},
      {"MoveDropsATreeLineMovedWithOthers", {"line", "a"}, V::OpMove, {"a"}},
      {"CopyKeepsACompositeWithoutItsGrandchild", {"grandchild", "comp"}, V::OpCopy, {"comp"}},
      {"CopyKeepsATreeWithoutItsNode", {"tree", "node"}, V::OpCopy, {"tree"}},
      {"MoveTakesTheLinkBetweenTwoSelected", {"a", "b"}, V::OpMove, {"a", "b", "link"}},
      {"CopyTakesALinkFromInsideASelectedComposite", {"comp", "b"}, V::OpCopy, {"b", "comp", "link2"}},
      {"CopyLeavesALinkWithOneEndSelected", {"a"}, V::OpCopy, {"a"}},
      {"MovingEveryLaneMovesThePool", {"lane1", "lane2", "lane3"}, V::OpMove, {"pool"}},
      {"MovingTwoOfThreeLanesMovesTheLanes", {"lane1", "lane2"}, V::OpMove, {"lane1", "lane2"}},
      {"CopyingEveryLaneCopiesTheLanes", {"lane1", "lane2", "lane3"}, V::OpCopy, {"lane1", "lane2", "lane3"}},
      {"ALaneGoesWithItsSelectedPool", {"pool", "lane2"}, V::OpCopy, {"pool"}},
      {"ASymbolInALaneMovesWithTheLane", {"inlane", "lane1"}, V::OpMove, {"lane1"}},
      {"ASymbolInALaneIsCopiedWithIt", {"inlane", "lane1"}, V::OpCopy, {"lane1"}},
      {"CloneKeepsTheCompositeOnly", {"comp", "child", "grandchild"}, V::OpClone, {"comp"}},
      {"CloneOfAGrandchildClimbsPastItsParent", {"grandchild", "comp"}, V::OpClone, {"comp"}},
      {"CloneOfAChildAlone", {"child", "a"}, V::OpClone, {"a", "child"}},
      {"ProtectLeavesTreeLinesAndNodes", {"line", "node", "a", "tree"}, V::OpProtect, {"a", "tree"}},
      {"HideChangesNothing", {"line", "pool", "grandchild", "comp"}, V::OpHide, {"comp", "grandchild", "line", "pool"}},
      {"FlipLeavesPoolsSeparatorsAndLanes", {"pool", "coln", "lane1", "a"}, V::OpFlip, {"a"}},
      {"AnUnknownCodeChangesNothing", {"line", "a"}, 3, {"a", "line"}},
  };
  for (const TrimCase& c : cases) {
    SCOPED_TRACE(c.name);
    m_sel.Clear(0);
    Select(m_sel, c.selected);
    m_edit->UpdateSelection(m_sel, c.operation);
    EXPECT_EQ(Members(m_sel), c.kept);
  }
  m_sel.Clear(0);
  m_edit->UpdateSelection(m_sel, V::OpMove);  // an empty selection stays empty
  EXPECT_EQ(m_sel.GetCount(), 0);
}

// Each symbol a trim takes out is one change; a link it brings in another.
TEST_F(ViewSelect, ATrimNotifiesOncePerSymbolItTakesOrAdds) {
  Select(m_sel, {"a", "b", "line"});
  Changes();
  m_edit->UpdateSelection(m_sel, SSymViewEdit::OpMove);
  EXPECT_EQ(Changes(), 2);  // the line out, the link in
}

struct GroupCase {
  const char* name;
  Names symbols;
  int groupable;
};

TEST_F(ViewSelect, OnlyTopLevelSymbolsOrAdjacentLanesOfOnePoolGroup) {
  const GroupCase cases[] = {
      {"TwoRectangles", {"a", "b"}, 1},
      {"ARectangleAndALane", {"a", "lane1"}, 0},
      {"ALaneAndARectangle", {"lane1", "a"}, 0},
      {"AdjacentLanes", {"lane2", "lane1"}, 1},
      {"LanesWithAGap", {"lane1", "lane3"}, 0},
      {"OneSymbol", {"a"}, 0},
      {"Nothing", {}, 0},
      {"AChildOfAComposite", {"child", "a"}, 0},
      {"ThePool", {"pool", "a"}, 0},
  };
  for (const GroupCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(m_edit->CanGroupSelection(Collection(c.symbols)), c.groupable);
  }
  // A pool grouping its lanes by their parents takes no groups of the user.
  static_cast<SSymSwimLane*>(SSymBase::FromInterface(S("pool")))->m_nGroupType = 1;
  EXPECT_EQ(m_edit->CanGroupSelection(Collection({"lane1", "lane2"})), 0);
}

TEST_F(ViewSelect, ADeleteLeavesTreeLinesAlone) {
  SSymCollection symbols = Collection({"line", "a", "node"});
  m_edit->UpdateDeleteSelection(symbols);
  EXPECT_EQ(symbols.GetCount(), 2);
  EXPECT_FALSE(symbols.Contains(S("line")));
  SSymCollection none = Collection({"a"});
  m_edit->UpdateDeleteSelection(none);
  EXPECT_EQ(none.GetCount(), 1);
}

TEST_F(ViewSelect, SelectingTogglesAndTheExclusiveFlagReplaces) {
  SSymSelection& sel = *m_edit->GetSelection();
  m_edit->SelectSymbol(S("a"), 0);
  EXPECT_EQ(Changes(), 1);
  m_edit->SelectSymbol(S("a"), 1);  // the one selected symbol already
  EXPECT_EQ(Changes(), 0);
  m_edit->SelectSymbol(S("b"), 0);
  EXPECT_EQ(Members(sel), (Names{"a", "b"}));
  m_edit->SelectSymbol(S("a"), 0);  // selected: taken out
  EXPECT_EQ(Members(sel), (Names{"b"}));
  m_edit->SelectSymbol(S("a"), 1);
  EXPECT_EQ(Members(sel), (Names{"a"}));
  EXPECT_EQ(m_edit->SelectionCount(), 1);
  m_edit->SelectSymbol(nullptr, 1);
  S("b")->ProtectSymbol(1);
  m_edit->SelectSymbol(S("b"), 0);
  EXPECT_EQ(m_edit->CanSelect(S("b")), 0);
  EXPECT_EQ(Members(sel), (Names{"a"}));
  EXPECT_EQ(m_edit->SelectionContains(S("a")), 1);
  EXPECT_EQ(m_edit->SelectionContains(nullptr), 0);
  m_edit->ClearSelection();
  EXPECT_EQ(m_edit->SelectionCount(), 0);
}

// Marks and symbols are never selected together: a symbol replaces the
// marks, even without the exclusive flag, and the other way round.
TEST_F(ViewSelect, MarksAndSymbolsReplaceEachOther) {
  SSymSelection& sel = *m_edit->GetSelection();
  SSymSelSubSym* mark = Mark(S("a"));
  SSymSelSubSym* second = Mark(S("a"));
  m_edit->SelectSymbol(S("b"), 0);
  EXPECT_EQ(m_edit->CanSelect(mark->Sym()), 0);
  m_edit->SelectSymbol(mark->Sym(), 0);
  ASSERT_EQ(sel.GetCount(), 1);
  EXPECT_EQ(sel.GetAt(0), mark->Sym());
  EXPECT_EQ(m_edit->CanSelect(S("b")), 0);
  m_edit->SelectSymbol(second->Sym(), 0);
  EXPECT_EQ(sel.GetCount(), 2);
  // Unselecting a symbol that is not selected takes its marks away.
  m_edit->UnselectSymbol(S("a"));
  EXPECT_EQ(sel.GetCount(), 0);
  EXPECT_TRUE(SSymGetRepObject(mark->Sym())->IsDeleted());
  SSymSelSubSym* third = Mark(S("a"));
  m_edit->SelectSymbol(third->Sym(), 0);
  m_edit->SelectSymbol(S("b"), 0);
  EXPECT_EQ(Members(sel), (Names{"b"}));
  EXPECT_TRUE(SSymGetRepObject(third->Sym())->IsDeleted());
  // A selected symbol is simply taken out.
  m_edit->UnselectSymbol(S("b"));
  EXPECT_EQ(sel.GetCount(), 0);
  EXPECT_EQ(m_edit->UpdateSelectionCount(sel), 0);
}

TEST_F(ViewSelect, SelectingByTypeLooksIntoPoolsForOtherKinds) {
  SSymSelection& sel = *m_edit->GetSelection();
  m_edit->SelectTypeOf(14);
  EXPECT_EQ(Members(sel), (Names{"lane1", "lane2", "lane3"}));
  EXPECT_EQ(Changes(), 1);
  m_edit->ClearSelection();
  Changes();
  m_edit->SelectTypeOf(12);
  EXPECT_EQ(Members(sel), (Names{"pool"}));
  EXPECT_EQ(Changes(), 1);
  EXPECT_TRUE(SSymGetSelChangeNotify());
}

struct CommandCase {
  UINT id;
  bool multiple, single;
};

TEST_F(ViewSelect, CommandsForSeveralOrOneSelectedSymbol) {
  const CommandCase cases[] = {{2106, false, true}, {2107, true, false}, {109, true, true},  {2221, true, true},
                               {2225, true, true},  {2226, false, true}, {2304, true, false}, {2320, true, false},
                               {2321, true, true},  {2323, false, true}, {2332, true, false}, {2341, true, false},
                               {2342, false, true}, {2415, true, true},  {0, false, true}};
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(m_edit->IsMultiSelectionAllowed(c.id), c.multiple);
    EXPECT_EQ(m_edit->IsSingleSelectionAllowed(c.id), c.single);
  }
}

TEST_F(ViewSelect, TheHelperSwapsTheSelectionAndPutsItBack) {
  SSymSelection& sel = *m_edit->GetSelection();
  m_edit->SelectSymbol(S("a"), 0);
  m_edit->SelectSymbol(S("tree"), 0);
  {
    SSymSelectionChangeHelper helper(m_edit);
    SComBag<ISSymbol> other;
    other.Add(S("b"));
    helper.ChangeSelection(other);
    EXPECT_EQ(Members(sel), (Names{"b"}));
    helper.RestoreSelection();
    EXPECT_EQ(Members(sel), (Names{"a", "tree"}));
  }
  SSymSelectionChangeHelper none(nullptr);
  none.EmptySelection();
  none.RestoreSelection();
  EXPECT_EQ(sel.GetCount(), 2);
}

// A window whose pointer tool is active.
class TPointerView : public SSymViewEdit {
 public:
  bool IsPointerToolActive() override { return m_pointer; }
  bool m_pointer = true;
};

TEST_F(ViewSelect, ThePoolUnderThePointerHasItsHeadingOutlined) {
  TPointerView& view = *NewView<TPointerView>();
  view.DrawSwimSelection(SSymPoint(-600, 15000));
  EXPECT_EQ(SSymViewEdit::GetSwimHighlight(), S("pool"));
  view.DrawSwimSelection(SSymPoint(-700, 16000));  // the same pool: nothing new
  EXPECT_EQ(SSymViewEdit::GetSwimHighlight(), S("pool"));
  view.ClearInvalidations();
  view.DrawSwimSelection(SSymPoint(-5000, 15000));  // off every band: repainted and let go
  EXPECT_EQ(SSymViewEdit::GetSwimHighlight(), nullptr);
  EXPECT_EQ(view.GetInvalidations().size(), 1u);
  // Without the pointer tool, or without swimlanes, nothing is outlined.
  view.m_pointer = false;
  view.DrawSwimSelection(SSymPoint(-600, 15000));
  EXPECT_EQ(SSymViewEdit::GetSwimHighlight(), nullptr);
  view.m_pointer = true;
  m_d->m_swimlanes = 0;
  static_cast<TDispPref*>(m_d->GetDispPrefPtr())->m_swimlanes = 0;
  view.DrawSwimSelection(SSymPoint(-600, 15000));
  EXPECT_EQ(SSymViewEdit::GetSwimHighlight(), nullptr);
}

}  // namespace
