// The merge of a source's carried objects into the diagram of an editing
// window: which roots it refuses without changing anything, the order in
// which objects reach the hooks (owners first, link ends by position,
// relations after their ends), the placement of the merged block, a source
// the host refuses, a symbol that stops the merge, and when it lays out.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "support/symtest.h"
#include "sym/edit/symmerge.h"
#include "sym/edit/symviewedit.h"
#include "sym/edit/symselection.h"
#include "sym/layout/symautolayout.h"

namespace {

using namespace SSymMergeId;

// The repository face of an object.
ISRepObject* ObjOf(SRepObject* o) { return static_cast<ISRepObjectBase*>(o); }

// An editing window whose new objects go to a folder of the test's.
class TViewEdit : public SSymViewEdit {
 public:
  ISRepObject* GetTargetFolder() override { return m_folder; }
  ISRepObject* m_folder = nullptr;
};

// A merge that notes what reaches its hooks and answers as the test says.
class TMerge : public SSymMerge {
 public:
  using SSymMerge::SSymMerge;
  int CanMergeObject(ISRepObject* o) override {
    admitted.push_back(o);
    return admit;
  }
  int VerifySelectedObject() override { return verify; }
  int AttachSymbol(ISSymbol* s) override { return attach ? attach(s) : 1; }
  int HasDeleted(ISRepObject* o) override { return o->IsDeleted(); }
  int NeedsAutoLayout(ISRepObject* o, DWORD flags) override {
    EXPECT_EQ(flags, 0u);
    asked.push_back(o);
    return wants ? wants(o) : 0;
  }
  std::vector<ISRepObject*> admitted, asked;
  int admit = 1, verify = 1;
  std::function<int(ISSymbol*)> attach;
  std::function<int(ISRepObject*)> wants;
};

// A diagram that notes the layout runs it is asked for.
class TLayoutDiagram : public TDiagram {
 public:
  using TDiagram::TDiagram;
  using TDiagram::AutoLayout;
  bool AutoLayout(SSymAutoLayoutParam& param) override {
    ++runs;
    subset = param.m_pSubset ? param.m_pSubset->GetCount() : -1;
    return true;
  }
  int runs = 0, subset = 0;
};

// A merge that keeps every hook of the library's class.
class TPlainMerge : public SSymMerge {
 public:
  using SSymMerge::SSymMerge;
  int NeedsAutoLayout(ISRepObject*, DWORD) override { return 1; }
};

class Merge : public SymFixture {
 protected:
  void SetUp() override {
    SymFixture::SetUp();
    m_src = new SRepSession();
    m_src->AddRef();
    m_root = In<SRepRootObject>();
    m_folder = new SRepObject();
    m_folder->AddRef();
    m_folder->SetSession(m_session);
    m_view = new TViewEdit();
    m_view->AddRef();
    m_view->m_folder = m_folder;
    m_view->SetDiagram(Diagram());
  }
  void TearDown() override {
    m_view->SetDiagram(nullptr);
    m_view->Release();
    SSymMerge::m_lstObj.RemoveAll();
    for (TLink* l : m_srcLinks) {
      l->DetachEnd(0);
      l->DetachEnd(1);
    }
    for (SRepObject* o : m_srcMade) o->Release();
    m_src->Release();
    m_folder->Release();
    SymFixture::TearDown();
  }
  // An object of the source session.
  template <class T, class... A>
  T* In(A... args) {
    T* t = nullptr;
    if constexpr (std::is_constructible_v<T, ISRepSession*, A...>)
      t = new T(static_cast<ISRepSession*>(m_src), args...);
    else
      t = new T(args...);
    t->AddRef();
    t->SetSession(m_src);
    m_srcMade.push_back(t);
    if constexpr (std::is_same_v<T, TLink>) m_srcLinks.push_back(t);
    return t;
  }
  void Carry(ISRepObject* o) { m_root->OneSidedCollection(RootObjects)->Insert(o, -1); }
  // Places a copy of a source symbol in the target diagram and selects it.
  int CopyIn(ISSymbol* s) {
    TSym* copy = Make<TSym>(s->GetClipRect(0, 0));
    m_view->GetDiagramPtr()->Add(copy->Sym());
    m_view->GetSelection()->Add(copy->Sym(), 1);
    m_copies.push_back(copy);
    return 1;
  }
  // A merge of the root into the window, attaching copies.
  std::unique_ptr<TMerge> NewMerge(SSymRect* rect = nullptr) {
    auto m = std::make_unique<TMerge>(m_view, Root(), m_view->GetSelection(), rect, m_src);
    m->attach = [this](ISSymbol* s) { return CopyIn(s); };
    return m;
  }
  ISRepObject* Root() { return ObjOf(m_root); }
  int DiagramCount() {
    SComOut<ISRepClassCol> symbols;
    Diagram()->GetSymbols(&symbols);
    return symbols ? symbols->GetCount() : -1;
  }

  SRepSession* m_src = nullptr;
  SRepRootObject* m_root = nullptr;
  SRepObject* m_folder = nullptr;
  TViewEdit* m_view = nullptr;  // counted: windows delete themselves
  std::vector<SRepObject*> m_srcMade;
  std::vector<TLink*> m_srcLinks;
  std::vector<TSym*> m_copies;
};

}  // namespace

TEST_F(Merge, RootsWithoutCarriedObjectsMergeNothingAndChangeNothing) {
  TSym* kept = Place(DiagramOwner());
  m_view->GetSelection()->Add(kept->Sym(), 1);
  SRepObject* plain = In<SRepObject>();
  SRepRootObject* gone = In<SRepRootObject>();
  gone->Delete();
  struct Case {
    const char* name;
    ISRepObject* root;
  } cases[] = {{"no root", nullptr}, {"no carried collection", ObjOf(plain)}, {"deleted root", ObjOf(gone)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMerge m(nullptr, c.root, nullptr, nullptr, m_src);
    m.SetView(m_view);
    EXPECT_EQ(m.MergeModel(1), 0);
    EXPECT_TRUE(m.admitted.empty());
    EXPECT_TRUE(m.asked.empty());
  }
  EXPECT_EQ(plain->HasCollection(RootObjects), S_FALSE);  // not made by asking
  EXPECT_EQ(DiagramCount(), 1);
  EXPECT_EQ(m_view->GetSelection()->GetCount(), 1);
  EXPECT_TRUE(m_view->GetSelection()->Contains(kept->Sym()));
}

TEST_F(Merge, OwnersReachTheHooksBeforeTheirParts) {
  // p owns e1 and e2, e1 owns a; q stands alone. Carried parts first.
  SRepObject *p = In<SRepObject>(), *e1 = In<SRepObject>(), *e2 = In<SRepObject>(), *a = In<SRepObject>(),
             *q = In<SRepObject>();
  constexpr LONG kParts = 0x02000100;
  p->Collection(kParts)->Insert(ObjOf(e1), -1);
  p->Collection(kParts)->Insert(ObjOf(e2), -1);
  e1->Collection(kParts)->Insert(ObjOf(a), -1);
  for (SRepObject* o : {a, e2, p, e1, q}) Carry(ObjOf(o));
  auto m = NewMerge();
  EXPECT_EQ(m->MergeModel(0), 1);
  const std::vector<ISRepObject*> expected{ObjOf(p), ObjOf(e1), ObjOf(a), ObjOf(e2), ObjOf(q)};
  EXPECT_EQ(m->admitted, expected);
}

TEST_F(Merge, LinkEndsComeByCollectionPositionAndRelationsAfterTheirEnds) {
  TSym* a = In<TSym>(SSymRect(0, 3600, 4800, 0));
  TSym* b = In<TSym>(SSymRect(9600, 3600, 14400, 0));
  TLink* link = In<TLink>();
  link->AttachSym(0, SComWrap<ISSymLinkable>(a->Sym()), SSymPoint{});
  link->AttachSym(1, SComWrap<ISSymLinkable>(b->Sym()), SSymPoint{});
  // A relation from x to y, each end a single reference.
  SRepObject *rel = In<SRepObject>(), *x = In<SRepObject>(), *y = In<SRepObject>();
  rel->OneSidedCollection(RelationFrom)->Insert(ObjOf(x), -1);
  rel->OneSidedCollection(RelationTo)->Insert(ObjOf(y), -1);

  struct Case {
    const char* name;
    std::vector<ISRepObject*> carried, expected;
  } cases[] = {
      // The destination end stands first in the source: it comes first.
      {"ends carried in reverse", {link->Obj(), b->Obj(), a->Obj()}, {b->Obj(), a->Obj()}},
      // Ends the source does not carry come source end first.
      {"ends not carried", {link->Obj()}, {a->Obj(), b->Obj()}},
      {"one end carried", {link->Obj(), b->Obj()}, {b->Obj(), a->Obj()}},
      {"relation before its ends", {ObjOf(rel), ObjOf(y)}, {ObjOf(y), ObjOf(x), ObjOf(rel)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SRepClassColPtr(Root(), RootObjects).ClearAll();
    for (ISRepObject* o : c.carried) Carry(o);
    auto m = NewMerge();
    std::vector<ISRepObject*> attached;
    m->attach = [&](ISSymbol* s) {
      attached.push_back(SComWrap<ISRepObject, &IID_ISRepObject>(s).Get());
      return 1;
    };
    EXPECT_EQ(m->MergeModel(0), 1);
    EXPECT_EQ(m->admitted, c.expected);  // the link symbol itself is not merged
  }
}

TEST_F(Merge, TheBlockLandsOnTheTargetCentreOrTheOrigin) {
  TSym* a = In<TSym>(SSymRect(100000, 50000, 104800, 46400));
  TSym* b = In<TSym>(SSymRect(120000, 40000, 124800, 36400));
  Carry(a->Obj());
  Carry(b->Obj());
  SSymRect target(0, 0, 20000, -10000);
  struct Case {
    const char* name;
    SSymRect* rect;
    SSymPoint centre;
  } cases[] = {{"target rectangle", &target, {10000, -5000}}, {"no rectangle", nullptr, {0, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_copies.clear();
    auto m = NewMerge(c.rect);
    ASSERT_EQ(m->MergeModel(0), 1);
    SSymSelection* sel = m_view->GetSelection();
    ASSERT_EQ(sel->GetCount(), 2);
    const SSymRect block = sel->GetClipRect();
    EXPECT_EQ((block.x1 + block.x2) / 2, c.centre.x);
    EXPECT_EQ((block.y1 + block.y2) / 2, c.centre.y);
    // The block keeps its shape: b stays 20000 right of and 10000 below a.
    const SSymRect ra = m_copies[0]->GetClipRect(0, 0), rb = m_copies[1]->GetClipRect(0, 0);
    EXPECT_EQ(rb.x1 - ra.x1, 20000);
    EXPECT_EQ(rb.y1 - ra.y1, -10000);
    EXPECT_EQ(m->GetMergeRect(), SSymRect(100000, 50000, 124800, 36400));
    // The source stays where it was.
    EXPECT_EQ(a->GetClipRect(0, 0), SSymRect(100000, 50000, 104800, 46400));
  }
}

TEST_F(Merge, ARefusedSourceIsDeletedAndNothingIsMerged) {
  SRepObject* holder = In<SRepObject>();
  TSym* s = In<TSym>();
  TSym* inner = In<TSym>();
  holder->Collection(0x02000100)->Insert(inner->Obj(), -1);
  Carry(ObjOf(holder));
  Carry(s->Obj());
  auto m = NewMerge();
  m->verify = 0;
  EXPECT_EQ(m->MergeModel(1), 0);
  EXPECT_TRUE(m->admitted.empty());
  EXPECT_EQ(DiagramCount(), 0);
  EXPECT_EQ(m_view->GetSelection()->GetCount(), 0);
  EXPECT_EQ(m_root->OneSidedCollection(RootObjects)->GetCount(), 0);
  EXPECT_TRUE(holder->IsDeleted());
  EXPECT_TRUE(s->IsDeleted());
  EXPECT_TRUE(inner->IsDeleted());
}

TEST_F(Merge, ASymbolThatStopsTheMergeLeavesWhatWasMerged) {
  TSym* a = In<TSym>(SSymRect(0, 3600, 4800, 0));
  TSym* b = In<TSym>(SSymRect(9600, 3600, 14400, 0));
  TSym* c = In<TSym>(SSymRect(19200, 3600, 24000, 0));
  for (TSym* t : {a, b, c}) Carry(t->Obj());
  auto m = NewMerge();
  int n = 0;
  m->attach = [&](ISSymbol* s) {
    // The first symbol is noted as handled, as a host may do.
    if (++n == 1) SSymMerge::m_lstObj.Add(SComWrap<ISRepObject, &IID_ISRepObject>(s).Get());
    return n == 2 ? 0 : CopyIn(s);
  };
    EXPECT_EQ(m->MergeModel(0), 0);
  EXPECT_EQ(n, 2);  // c never reached
  EXPECT_EQ(DiagramCount(), 1);
  EXPECT_EQ(SSymMerge::m_lstObj.GetCount(), 0);
}

TEST_F(Merge, DeletedObjectsArePassedOver) {
  TSym* a = In<TSym>(SSymRect(0, 3600, 4800, 0));
  TSym* gone = In<TSym>(SSymRect(9600, 3600, 14400, 0));
  Carry(a->Obj());
  Carry(gone->Obj());
  gone->Delete();  // carried, then deleted in its session
  auto m = NewMerge();
  EXPECT_EQ(m->MergeModel(0), 1);
  EXPECT_EQ(m_copies.size(), 1u);
  EXPECT_EQ(DiagramCount(), 1);
}

TEST_F(Merge, TheLibrarysHooksMergeNothing) {
  TPlainMerge empty(m_view, Root(), m_view->GetSelection(), nullptr, m_src);
  EXPECT_EQ(empty.MergeModel(1), 1);  // nothing carried: nothing to stop
  EXPECT_FALSE(empty.HasLaidOut());
  Carry(In<TSym>()->Obj());
  TPlainMerge m(m_view, Root(), m_view->GetSelection(), nullptr, m_src);
  EXPECT_EQ(m.MergeModel(1), 0);  // stopped at the admission hook
  EXPECT_EQ(DiagramCount(), 0);
}

TEST_F(Merge, LaysOutOnlyWhenAskedAndWanted) {
  TLayoutDiagram* d = Make<TLayoutDiagram>();
  m_view->SetDiagram(d);
  TSym* a = In<TSym>(SSymRect(40000, 0, 44800, -3600));
  TComp* comp = In<TComp>();
  struct Case {
    const char* name;
    bool compositeFirst;
    int autoLayout, wants;
    bool asked, laidOut;
  } cases[] = {
      {"not asked", false, 0, 1, false, false},  // autoLayout 0: not even asked
      {"not wanted", false, 1, 0, true, false},
      {"asked and wanted", false, 1, 1, true, true},
      {"a composite first cancels it", true, 1, 1, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SRepClassColPtr(Root(), RootObjects).ClearAll();
    if (c.compositeFirst) Carry(comp->Obj());
    Carry(a->Obj());
    d->runs = 0;
    auto m = NewMerge();
    m->wants = [&](ISRepObject*) { return c.wants; };
    EXPECT_EQ(m->MergeModel(c.autoLayout), 1);
    EXPECT_EQ(!m->asked.empty(), c.asked);
    EXPECT_EQ(m->HasLaidOut(), c.laidOut);
    EXPECT_EQ(d->runs, c.laidOut ? 1 : 0);
    if (c.laidOut) {
      EXPECT_EQ(d->subset, 1);  // the merged symbols
    }
    // Placed after the layout: the block is centred on the origin.
    const SSymRect block = m_view->GetSelection()->GetClipRect();
    EXPECT_EQ((block.x1 + block.x2) / 2, 0);
  }
}

TEST_F(Merge, ConstructionTakesTheWindowsDiagramFolderAndEmptiesTheSelection) {
  TSym* s = Place(DiagramOwner());
  m_view->GetSelection()->Add(s->Sym(), 1);
  TMerge m(m_view, Root(), m_view->GetSelection(), nullptr, m_src);
  EXPECT_EQ(m_view->GetSelection()->GetCount(), 0);
  EXPECT_EQ(m.GetTargetDiagram(), Diagram());
  EXPECT_TRUE(SRepAreSameObjects(m.GetFolder(), ObjOf(m_folder)));
  m.SetDiagram(Diagram());
  EXPECT_EQ(m.GetSelection(), nullptr);  // a bare diagram: no selection, no placement
  // Without a folder the merge cannot find its session.
  TMerge bare(nullptr, Root(), nullptr, nullptr, m_src);
  EXPECT_THROW(bare.MergeModel(0), SECOMException);
}
