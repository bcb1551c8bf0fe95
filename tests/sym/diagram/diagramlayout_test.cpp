// The diagram's automatic layout entry: which selections may be laid out
// when the display preferences keep layouts away from swimlane pools, the
// cleaning of the selection (tree lines dropped, tree nodes replaced by their
// top tree once), the options a programmatic run takes, and the choice
// between the library's own layout and the external engine.
#include <gtest/gtest.h>

#include <vector>

#include "kvcore/sregistry.h"
#include "kvlib/suserregistry.h"
#include "support/swim_fixture.h"
#include "support/tree_fixture.h"
#include "sym/layout/symautolayout.h"

namespace {

// Display preferences whose swimlane pool check a test switches.
class TCheckPref : public TDispPref {
 public:
  using TDispPref::TDispPref;
  int IsCheckSwimPoolForLayout(int which) override {
    m_asked = which;
    return m_check;
  }
  int m_check = 1;
  int m_asked = -1;
};

// A diagram with those preferences that notes what each layout object is
// made for: the symbols to lay out, the number of symbols to consider and
// the options.
class TLayoutDiagram : public TPrefDiagram {
 public:
  explicit TLayoutDiagram(ISRepSession* s) : TPrefDiagram(s) {}
  HRESULT CreateDispPref() override {
    auto* p = new TCheckPref(RepObject(), m_module, m_swimlanes);
    p->m_check = m_check;
    SetDispPrefPtr(p);
    return S_OK;
  }
  SSymAutoLayout* CreateAutoLayoutMgr(SSymAutoLayoutParam* param) override {
    if (param) {
      ++m_runs;
      m_subsetGiven = param->m_pSubset != nullptr;
      m_subset.clear();
      if (param->m_pSubset)
        for (int i = 0; i < param->m_pSubset->GetCount(); ++i) m_subset.push_back(param->m_pSubset->GetAt(i));
      m_scopeCount = param->m_pScope ? param->m_pScope->GetCount() : -1;
      m_options = param->m_options;
      m_createSynonyms = param->GetCreateSynonyms();
    }
    return TPrefDiagram::CreateAutoLayoutMgr(param);
  }
  int m_check = 1;
  int m_runs = 0;
  bool m_subsetGiven = false;
  std::vector<ISSymbol*> m_subset;
  int m_scopeCount = -1;
  SSymAutoLayoutParam::SOptions m_options;
  bool m_createSynonyms = false;
};

bool Yes() { return true; }
bool No() { return false; }

class DiagramLayout : public TreeFixture {
 protected:
  void SetUp() override {
    TreeFixture::SetUp();
    m_old = SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(&No);
    m_d = NewDiagram<TLayoutDiagram>();
    m_d->m_swimlanes = 1;
    m_d->SetName(SString(u"Model"));
    m_diag = m_d;
  }
  void TearDown() override {
    SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(m_old);
    TreeFixture::TearDown();
  }
  ISSymDiagram* Face() { return m_d->Diagram(); }
  static void LibraryAvailable(bool yes) { SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(yes ? &Yes : &No); }
  static void ForceInternal(long value) {
    SRegistry key(HKEY_CURRENT_USER, SUserRegistry::sApplicationRoot + SString(u"AutoLayoutOptions"), 1);
    key.WriteProfile(SString(u"ForceInternal"), value);
  }
  SSymSwimLane* NewPool(const SSymRect& r) {
    SSymSwimLane* pool = Make<SSymSwimLane>();
    pool->InitialSymRect(r);
    m_d->Add(pool->Sym());
    return pool;
  }
  TSwimLane* AddLane(SSymSwimLane* pool, const SSymRect& r) {
    TSwimLane* lane = Make<TSwimLane>(r);
    EXPECT_EQ(static_cast<ISSymOwner*>(pool)->Add(lane->Sym()), S_OK);
    return lane;
  }
  // A table of n symbols that are not in the diagram.
  SComTable<ISSymbol> Loose(int n) {
    SComTable<ISSymbol> t;
    for (int i = 0; i < n; ++i) t.Add(Make<TSym>()->Sym());
    return t;
  }

  TLayoutDiagram* m_d = nullptr;
  SSymAutoLayoutOptionMgr::LibraryProbe m_old = nullptr;
};

// ---- whether a layout may run ---------------------------------------------------------------------

TEST_F(DiagramLayout, PoolCheckRefusesSelectionsThatTouchPools) {
  TSym* a = AddTo(m_d, SSymRect(40000, 3600, 44800, 0));
  TSym* b = AddTo(m_d, SSymRect(50000, 3600, 54800, 0));
  EXPECT_TRUE(Face()->CanAutoLayout(nullptr)) << "no pool: any selection";
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 30000, 0));
  TSwimLane* lane = AddLane(pool, SSymRect(0, 20000, 15000, 0));
  TSym* inLane = Make<TSym>(SSymRect(1000, 3600, 5800, 0));
  ASSERT_EQ(lane->Add(inLane->Sym()), S_OK);

  SComTable<ISSymbol> none;
  EXPECT_FALSE(Face()->CanAutoLayout(nullptr));
  EXPECT_FALSE(Face()->CanAutoLayout(&none));
  EXPECT_EQ(static_cast<TCheckPref*>(m_d->GetDispPrefPtr())->m_asked, 0);

  struct Case {
    const char* name;
    std::vector<ISSymbol*> selection;
    bool can;
  } cases[] = {
      {"two plain symbols", {a->Sym(), b->Sym()}, true},
      {"the pool", {a->Sym(), pool->Sym()}, false},
      {"a lane", {lane->Sym()}, false},
      {"a symbol in a lane", {a->Sym(), inLane->Sym()}, false},
  };
  for (const Case& c : cases) {
    SComTable<ISSymbol> sel;
    for (ISSymbol* s : c.selection) sel.Add(s);
    EXPECT_EQ(Face()->CanAutoLayout(&sel), c.can) << c.name;
  }
}

TEST_F(DiagramLayout, WithoutThePoolCheckOrPreferencesEveryDiagramCanBeLaidOut) {
  m_d->m_check = 0;
  NewPool(SSymRect(0, 20000, 30000, 0));
  EXPECT_TRUE(Face()->CanAutoLayout(nullptr));
  // The library's own preferences keep the check off.
  SSymDispPref own(m_d->RepObject());
  EXPECT_EQ(own.IsCheckSwimPoolForLayout(0), 0);
  // A diagram type without preferences.
  SSymDiagram* bare = NewDiagram<SSymDiagram>();
  ASSERT_EQ(bare->GetDispPrefPtr(), nullptr);
  EXPECT_TRUE(bare->Diagram()->CanAutoLayout(nullptr));
}

TEST_F(DiagramLayout, RefusedSelectionRunsNothing) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 30000, 0));
  SComTable<ISSymbol> sel;
  sel.Add(pool->Sym());
  SSymAutoLayoutParam param(Face(), &sel);
  EXPECT_FALSE(Face()->AutoLayout(param));
  EXPECT_EQ(m_d->m_runs, 0);
  EXPECT_EQ(param.m_pSubset, &sel);
}

// ---- the selection a layout sees ----------------------------------------------------------------

TEST_F(DiagramLayout, TreeNodesStandForTheirTopTreeOnceAndTreeLinesGo) {
  TTreeSym* root = NewTree(SSymRect(0, 3600, 4800, 0));
  TTreeSym* left = AddChild<TTreeSym>(root, SSymRect(0, -6000, 4800, -9600));
  TTreeSym* right = AddChild<TTreeSym>(root, SSymRect(8000, -6000, 12800, -9600));
  TSym* grandchild = AddChild(left, SSymRect(0, -14000, 4800, -17600));
  TSym* plain = AddTo(m_d, SSymRect(30000, 3600, 34800, 0));
  ASSERT_NE(root->Line(), nullptr);
  ASSERT_NE(left->Line(), nullptr);

  SComTable<ISSymbol> sel;
  for (ISSymbol* s : {root->Line()->Sym(), left->Sym(), plain->Sym(), right->Sym(), left->Line()->Sym()}) sel.Add(s);
  sel.Add(grandchild->Sym());  // not a tree itself: taken as it is
  SSymAutoLayoutParam param(Face(), &sel);
  EXPECT_TRUE(Face()->AutoLayout(param));
  ASSERT_EQ(m_d->m_runs, 1);
  EXPECT_EQ(m_d->m_subset, (std::vector<ISSymbol*>{root->Sym(), plain->Sym(), grandchild->Sym()}));
  // A selection is laid out among all the diagram's symbols.
  EXPECT_EQ(m_d->m_scopeCount, m_d->GetCount());
  // The caller's tables are the parameters' again, and untouched.
  EXPECT_EQ(param.m_pSubset, &sel);
  EXPECT_EQ(param.m_pScope, nullptr);
  EXPECT_EQ(sel.GetCount(), 6);
}

TEST_F(DiagramLayout, SelectionOfTreeLinesOnlyBecomesEmpty) {
  TTreeSym* root = NewTree();
  AddChild(root, SSymRect(0, -6000, 4800, -9600));
  SComTable<ISSymbol> sel;
  sel.Add(root->Line()->Sym());
  SComTable<ISSymbol> scope;
  scope.Add(root->Sym());
  SSymAutoLayoutParam param(Face(), &sel, &scope);
  EXPECT_TRUE(Face()->AutoLayout(param));
  EXPECT_TRUE(m_d->m_subsetGiven);
  EXPECT_TRUE(m_d->m_subset.empty());
  // The caller's symbols to consider stay.
  EXPECT_EQ(m_d->m_scopeCount, 1);
}

TEST_F(DiagramLayout, WithoutSelectionNothingIsNarrowed) {
  AddTo(m_d);
  SSymAutoLayoutParam param(Face());
  EXPECT_TRUE(Face()->AutoLayout(param));
  EXPECT_FALSE(m_d->m_subsetGiven);
  EXPECT_EQ(m_d->m_scopeCount, -1);
}

// ---- the options of a programmatic run ------------------------------------------------------------

TEST_F(DiagramLayout, StyleOrientationAndSynonymsAreTakenWhereTheLayoutOffersThem) {
  struct Case {
    const char* name;
    bool library;
    short style, orientation;
    bool synonyms;
    LONG wantStyle, wantPlacement;
    bool wantSynonyms;
  } cases[] = {
      // Without the engine only the Basic style exists, without placements;
      // its synonyms are the caller's choice.
      {"basic ignores style and orientation", false, 0, 2, false, 6, -1, false},
      {"basic takes synonyms", false, -1, -1, true, 6, -1, true},
      // The general layout: default Organic without placements.
      {"defaults", true, -1, -1, false, 1, -1, true},
      {"hierarchic left to right", true, 0, 2, false, 0, 1452, true},
      {"circular cycle", true, 3, 5, false, 3, 1455, true},
      {"circular refuses left to right", true, 3, 2, false, 3, -1, true},
      {"snowflake is not offered", true, 5, 0, false, 1, -1, true},
      {"general basic takes synonyms", true, 6, 0, false, 6, -1, false},
  };
  for (const Case& c : cases) {
    LibraryAvailable(c.library);
    m_d->m_runs = 0;
    const bool ran = Face()->AutoLayout(c.style, c.orientation, c.synonyms);
    ASSERT_EQ(m_d->m_runs, 1) << c.name;
    EXPECT_EQ(m_d->m_options.m_nStyle, c.wantStyle) << c.name;
    EXPECT_EQ(m_d->m_options.m_nPlacement, c.wantPlacement) << c.name;
    EXPECT_EQ(m_d->m_createSynonyms, c.wantSynonyms) << c.name;
    EXPECT_EQ(m_d->m_options.m_bWholeDiagram, 0) << c.name;
    // The own layout runs; the engine (which cannot lay out here) is
    // reported as not having run.
    const bool internal = !c.library || c.wantStyle == 6;
    EXPECT_EQ(ran, internal) << c.name;
  }
  LibraryAvailable(false);
  m_d->m_runs = 0;
  EXPECT_TRUE(Face()->AutoLayout());
  EXPECT_EQ(m_d->m_runs, 1);
}

// ---- internal or external -----------------------------------------------------------------------

TEST_F(DiagramLayout, ChoiceBetweenOwnLayoutAndEngine) {
  struct Case {
    const char* name;
    long force;
    bool library;
    LONG style;
    BYTE automatic;
    int subset;  // -1: none
    bool internal;
    SSymAutoLayoutOptionMgr::InternalLayoutStatus status;
  } cases[] = {
      {"forced by the user", 1, true, 0, 1, 20, true, SSymAutoLayoutOptionMgr::StatusForcedByUser},
      {"forced 0 is not forced", 0, true, 0, 1, 20, false, SSymAutoLayoutOptionMgr::StatusExternal},
      {"no library", 0, false, 0, 1, 20, true, SSymAutoLayoutOptionMgr::StatusNoLibrary},
      {"basic style", 0, true, 6, 0, 20, true, SSymAutoLayoutOptionMgr::StatusBasicStyle},
      {"9 symbols automatic", 0, true, 0, 1, 9, true, SSymAutoLayoutOptionMgr::StatusSmallAutomatic},
      {"10 symbols automatic", 0, true, 0, 1, 10, false, SSymAutoLayoutOptionMgr::StatusExternal},
      {"9 symbols chosen by the user", 0, true, 0, 0, 9, false, SSymAutoLayoutOptionMgr::StatusExternal},
      {"dialog run of 3 symbols", 0, true, 0, 0, 3, false, SSymAutoLayoutOptionMgr::StatusExternal},
      {"automatic basic without library", 0, false, 6, 1, 3, true, SSymAutoLayoutOptionMgr::StatusNoLibrary},
      {"automatic without subset", 0, true, 0, 1, -1, false, SSymAutoLayoutOptionMgr::StatusExternal},
  };
  for (const Case& c : cases) {
    KvRegReset();
    if (c.force >= 0) ForceInternal(c.force);
    LibraryAvailable(c.library);
    SComTable<ISSymbol> subset = Loose(c.subset < 0 ? 0 : c.subset);
    SSymAutoLayoutParam param(Face(), c.subset < 0 ? nullptr : &subset);
    param.m_options.m_nStyle = c.style;
    param.m_options.m_bAutomatic = c.automatic;
    SSymAutoLayoutOptionMgr::InternalLayoutStatus status{};
    EXPECT_EQ(SSymAutoLayoutOptionMgr::IsUseInternalAlgorithms(&param, &status), c.internal) << c.name;
    EXPECT_EQ(status, c.status) << c.name;
    std::unique_ptr<SSymAutoLayout> layout(Face()->CreateAutoLayoutMgr(&param));
    ASSERT_NE(layout, nullptr) << c.name;
    EXPECT_EQ(layout->IsKindOf(&SSymAutoLayoutGeneral::__clsinf), !c.internal) << c.name;
    // Built from a copy of the parameters.
    EXPECT_EQ(layout->GetSubset().GetCount(), subset.GetCount()) << c.name;
    EXPECT_EQ(layout->GetOptions().m_nStyle, c.style) << c.name;
    EXPECT_EQ(layout->GetDiagram(), Face()) << c.name;
  }
}

TEST_F(DiagramLayout, WithoutParametersOnlyUserAndLibraryCount) {
  LibraryAvailable(true);
  std::unique_ptr<SSymAutoLayout> general(Face()->CreateAutoLayoutMgr(nullptr));
  ASSERT_NE(general, nullptr);
  EXPECT_TRUE(general->IsKindOf(&SSymAutoLayoutGeneral::__clsinf));
  // Fresh parameters on the diagram: ready, all the diagram's symbols.
  EXPECT_TRUE(general->IsReady());
  EXPECT_EQ(general->GetOptions().m_nStyle, 0);
  ForceInternal(1);
  std::unique_ptr<SSymAutoLayout> own(Face()->CreateAutoLayoutMgr(nullptr));
  EXPECT_FALSE(own->IsKindOf(&SSymAutoLayoutEx::__clsinf));
}

TEST_F(DiagramLayout, EngineCopyNamesItsOwnTables) {
  LibraryAvailable(true);
  SComTable<ISSymbol> subset = Loose(12);
  auto layout = std::make_unique<SSymAutoLayoutParam>(Face(), &subset);
  layout->m_options.m_bAutomatic = 0;
  std::unique_ptr<SSymAutoLayout> mgr(Face()->CreateAutoLayoutMgr(layout.get()));
  layout.reset();
  auto* ex = dynamic_cast<SSymAutoLayoutEx*>(mgr.get());
  ASSERT_NE(ex, nullptr);
  subset.RemoveAll();
  ASSERT_NE(ex->GetParam().m_pSubset, &subset);
  EXPECT_EQ(ex->GetParam().m_pSubset->GetCount(), 12);
  EXPECT_EQ(ex->GetParam().GetDiagram(), Face());
  // The engine of this build cannot lay out: the run says so.
  EXPECT_EQ(mgr->Invoke(), 0);
}

// ---- the library's own run --------------------------------------------------------------------------

TEST_F(DiagramLayout, OwnLayoutPutsUnlinkedSymbolsInARowCentredOnTheOrigin) {
  m_d->m_check = 0;
  std::vector<TSym*> syms;
  const SSymRect rects[] = {SSymRect(9000, 50000, 13800, 46400), SSymRect(0, 3600, 4800, 0),
                            SSymRect(30000, 10000, 32000, 8000), SSymRect(2000, 20000, 6800, 16400),
                            SSymRect(70000, 40000, 74800, 36400)};
  for (const SSymRect& r : rects) syms.push_back(AddTo(m_d, r));
  TLink* link = Make<TLink>();
  m_d->Add(link->Sym());
  const SSymRect linkBefore = link->GetClipRect(0, 0);

  EXPECT_TRUE(Face()->AutoLayout());
  // One row in the order given, the tops aligned, the horizontal spacing
  // between neighbours; the row as a whole centred on the origin.
  SSymRect all = syms[0]->GetClipRect(0, 0);
  for (std::size_t i = 1; i < syms.size(); ++i) {
    const SSymRect r = syms[i]->GetClipRect(0, 0), prev = syms[i - 1]->GetClipRect(0, 0);
    EXPECT_EQ(r.GetMinX(), prev.GetMaxX() + 1 + 2500) << i;
    EXPECT_EQ(r.GetMaxY(), prev.GetMaxY()) << i;
    all = Union(all, r);
  }
  EXPECT_LE(std::abs(all.GetMinX() + all.GetMaxX()), 4);
  EXPECT_LE(std::abs(all.GetMinY() + all.GetMaxY()), 4);
  EXPECT_EQ(syms[2]->GetClipRect(0, 0).Width(), rects[2].Width()) << "sizes stay";
  EXPECT_EQ(link->GetClipRect(0, 0), linkBefore) << "a link without ends is not placed";
}

TEST_F(DiagramLayout, OwnLayoutMovesATreeWithAllBelowIt) {
  TSym* first = AddTo(m_d, SSymRect(0, 3600, 4800, 0));
  TTreeSym* root = NewTree(SSymRect(40000, 3600, 44800, 0));
  TTreeSym* child = AddChild<TTreeSym>(root, SSymRect(40000, -6000, 44800, -9600));
  TSym* leaf = AddChild(child, SSymRect(40000, -14000, 44800, -17600));
  ASSERT_NE(child->Line(), nullptr);
  root->Tree().UpdateTreeLine();
  child->Tree().UpdateTreeLine();
  const SSymRect treeBefore = root->Tree().GetChildrenRect();
  const SSymRect leafBefore = leaf->GetClipRect(0, 0), lineBefore = root->Line()->GetClipRect(0, 0);
  SComTable<ISSymbol> sel;
  sel.Add(first->Sym());
  sel.Add(leaf->Sym());  // a node below a tree's top: stands for the whole tree
  sel.Add(child->Sym());
  SSymAutoLayoutParam param(Face(), &sel);
  EXPECT_TRUE(Face()->AutoLayout(param));
  EXPECT_EQ(m_d->m_subset, (std::vector<ISSymbol*>{first->Sym(), leaf->Sym(), root->Sym()}));
  // The tree takes the room of everything below it, beside the first
  // symbol, and keeps its shape.
  const SSymRect treeAfter = root->Tree().GetChildrenRect();
  const LONG dx = treeAfter.GetMinX() - treeBefore.GetMinX(), dy = treeAfter.GetMaxY() - treeBefore.GetMaxY();
  EXPECT_EQ(treeAfter.GetMinX(), first->GetClipRect(0, 0).GetMaxX() + 1 + 2500);
  EXPECT_EQ(treeAfter.GetMaxY(), first->GetClipRect(0, 0).GetMaxY());
  SSymRect moved = leafBefore;
  moved.OffsetRect(dx, dy);
  EXPECT_EQ(leaf->GetClipRect(0, 0), moved);
  moved = lineBefore;
  moved.OffsetRect(dx, dy);
  EXPECT_EQ(root->Line()->GetClipRect(0, 0), moved);
}

TEST_F(DiagramLayout, OwnLayoutReportsAFailedMove) {
  TSym* a = AddTo(m_d, SSymRect(0, 3600, 4800, 0));
  TSym* b = AddTo(m_d, SSymRect(40000, 3600, 44800, 0));
  b->m_failMove = 1;
  (void)a;
  EXPECT_FALSE(Face()->AutoLayout());
}

}  // namespace
