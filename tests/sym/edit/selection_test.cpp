// The selection in its least form: the selection-change notification and
// its library-wide switch, and which symbols the selection's view accepts.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/snotify.h"
#include "support/comp_fixture.h"
#include "support/diagram_fixture.h"
#include "sym/render/symdeftcanv.h"
#include "sym/subobjects/symselsubsym.h"
#include "sym/symbol/symintfrouter.h"
#include "sym/edit/symselection.h"
#include "sym/edit/symviewedit.h"

namespace {

class Selection : public CompFixture {
 protected:
  void SetUp() override {
    CompFixture::SetUp();
    SNotificationManager::ClearLog();
  }
  void TearDown() override {
    SSymSetSelChangeNotify(true);
    CompFixture::TearDown();
  }
  // The selection-change notifications sent since the last look, each
  // checked to name the diagram.
  int Changes() {
    int n = 0;
    for (const SNotificationRecord& r : SNotificationManager::Log()) {
      if (r.code != SSymNotifySelChanged) continue;
      EXPECT_EQ(r.ptr, static_cast<void*>(Diagram()));
      EXPECT_EQ(r.num, 0u);
      ++n;
    }
    SNotificationManager::ClearLog();
    return n;
  }
  // An editable composite (bound to a model object) in the diagram.
  TCompSym* Composite() {
    TCompSym* c = NewComp(&TCompSym::DefaultDef());
    Bind(c, Node());
    return c;
  }
  template <class T = TSym>
  T* Child(TCompSym* comp, SSymRect r = SSymRect(1000, 9000, 5000, 5000)) {
    SSymCompUpdate hold(comp->CompSym(), false);  // no growth around the child
    T* t = Make<T>(r);
    comp->Collection(SymAttr::Symbols)->Insert(t->Obj(), -1);
    return t;
  }
  SSymView m_view;
};

TEST_F(Selection, EveryChangeNotifiesOnceWhileTheSwitchIsOn) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner());
  SSymSelection sel(&m_view);
  sel.Add(a->Sym(), 1);
  EXPECT_EQ(Changes(), 0);  // no diagram to name: nothing sent
  sel.SetDiagram(Diagram());
  sel.Add(b->Sym(), 1);
  EXPECT_EQ(Changes(), 1);
  sel.Add(b->Sym(), 1);  // already selected: no change
  sel.Add(nullptr, 1);
  EXPECT_EQ(Changes(), 0);
  sel.Clear(1);
  EXPECT_EQ(Changes(), 1);
  {
    SSymSelChangeNotifyOff quiet;
    sel.Add(a->Sym(), 1);
    sel.Clear(1);
    EXPECT_EQ(Changes(), 0);
  }
  EXPECT_TRUE(SSymGetSelChangeNotify());
  sel.Add(a->Sym(), 1);
  EXPECT_EQ(Changes(), 1);
}

TEST_F(Selection, SwitchScopesRestoreWhatTheyFound) {
  {
    SSymSelChangeNotifyOff outer;
    {
      SSymSelChangeNotifyOff inner;
      EXPECT_FALSE(SSymGetSelChangeNotify());
    }
    EXPECT_FALSE(SSymGetSelChangeNotify());  // the inner scope found it off
  }
  EXPECT_TRUE(SSymGetSelChangeNotify());
  EXPECT_THROW(
      {
        SSymSelChangeNotifyOff quiet;
        throw std::runtime_error("failed bulk change");
      },
      std::runtime_error);
  EXPECT_TRUE(SSymGetSelChangeNotify());
}

TEST_F(Selection, ViewAcceptsOnlyVisibleSymbolsInEditableComposites) {
  TCompSym* open = Composite();
  TCompSym* locked = Composite();
  m_diagram->m_locked.push_back(locked->Sym());
  TSym* free = Place(DiagramOwner());
  TSym* hidden = Place(DiagramOwner());
  hidden->Show(0);
  TSym* inOpen = Child(open);
  TSym* inLocked = Child(locked);
  TCompSym* nested = Make<TCompSym>(SSymRect(1000, 9000, 9000, 1000), &TCompSym::DefaultDef());
  Bind(nested, Node());
  {
    SSymCompUpdate hold(locked->CompSym(), false);
    locked->Collection(SymAttr::Symbols)->Insert(nested->Obj(), -1);
  }
  TSym* deep = Child(nested, SSymRect(2000, 8000, 3000, 7000));

  SSymSelection sel(&m_view);
  sel.SetDiagram(Diagram());
  EXPECT_EQ(sel.CanSelect(nullptr), 0);
  EXPECT_EQ(sel.CanSelect(hidden->Sym()), 0);
  EXPECT_EQ(sel.CanSelect(free->Sym()), 1);
  EXPECT_EQ(sel.CanSelect(locked->Sym()), 1);  // the composite itself is selectable
  EXPECT_EQ(sel.CanSelect(inOpen->Sym()), 1);
  EXPECT_EQ(sel.CanSelect(inLocked->Sym()), 0);
  EXPECT_EQ(sel.CanSelect(deep->Sym()), 0);  // a locked composite further up

  // Add asks the view; a selection without a view takes anything.
  sel.Add(inLocked->Sym(), 1);
  sel.Add(inOpen->Sym(), 1);
  EXPECT_EQ(sel.GetCount(), 1);
  EXPECT_TRUE(sel.Contains(inOpen->Sym()));
  SSymSelection detached;
  detached.Add(inLocked->Sym(), 0);
  EXPECT_TRUE(detached.Contains(inLocked->Sym()));
}

// The class records: a selection made through its record belongs to no
// view and takes any symbol; the editing window is known by its record as a
// diagram window, but only the host makes one.
TEST_F(Selection, ClassRecordsOfTheSelectionAndTheEditingWindow) {
  const SClassInfo* selInfo = SClassInfo::Find("SSymSelection");
  ASSERT_NE(selInfo, nullptr);
  EXPECT_EQ(selInfo->GetBase(), &SObject::__clsinf);
  std::unique_ptr<SObject> made(selInfo->CreateObject());
  auto* sel = dynamic_cast<SSymSelection*>(made.get());
  ASSERT_NE(sel, nullptr);
  EXPECT_EQ(sel->GetClassInfo(), selInfo);
  EXPECT_EQ(sel->GetView(), nullptr);
  TCompSym* locked = Composite();
  m_diagram->m_locked.push_back(locked->Sym());
  TSym* inLocked = Child(locked);
  sel->SetDiagram(Diagram());
  sel->Add(inLocked->Sym(), 0);
  EXPECT_TRUE(sel->Contains(inLocked->Sym()));
  EXPECT_EQ(Changes(), 1);

  const SClassInfo* editInfo = SClassInfo::Find("SSymViewEdit");
  ASSERT_NE(editInfo, nullptr);
  EXPECT_EQ(editInfo->GetBase(), &SSymView::__clsinf);
  EXPECT_FALSE(editInfo->CanCreate());
  EXPECT_EQ(editInfo->CreateObject(), nullptr);
  SSymViewEdit edit;
  EXPECT_EQ(edit.GetClassInfo(), editInfo);
  EXPECT_TRUE(edit.IsKindOf(&SSymView::__clsinf));
  EXPECT_FALSE(m_view.IsKindOf(editInfo));
  std::unique_ptr<SObject> view(SSymView::__clsinf.CreateObject());
  ASSERT_NE(view, nullptr);
  EXPECT_FALSE(view->IsKindOf(editInfo));
}

// A composite that carries its children when it moves, as the library's
// composites do.
class TCarryingComp : public TCompSym {
 public:
  using TCompSym::TCompSym;
  HRESULT MoveBy(const SSymSize& offset, int redraw) override {
    SComTable<ISSymbol> children;
    CompSym()->GetAllChildren(children, 0);
    for (ISSymbol* c : children) c->MoveBy(offset, redraw);
    return TCompSym::MoveBy(offset, redraw);
  }
};

// A child selected with its composite moves once, with the composite.
TEST_F(Selection, ChildSelectedWithItsCompositeMovesOnce) {
  TCarryingComp* comp = Make<TCarryingComp>(SSymRect(0, 36000, 48000, 0), &TCompSym::DefaultDef());
  Bind(comp, Node());
  TSym* child = Child(comp);
  TSym* free = Place(DiagramOwner());
  const SSymRect childBefore = child->Sym()->GetClipRect(0, 0);
  const SSymRect freeBefore = free->Sym()->GetClipRect(0, 0);
  SSymSelection sel;
  sel.SetDiagram(Diagram());
  sel.Add(child->Sym(), 0);
  sel.Add(comp->Sym(), 0);
  sel.Add(free->Sym(), 0);
  sel.MoveBy(SSymSize(1000, -500), 0, 0);
  const SSymRect childAfter = child->Sym()->GetClipRect(0, 0);
  const SSymRect freeAfter = free->Sym()->GetClipRect(0, 0);
  EXPECT_EQ(childAfter.x1 - childBefore.x1, 1000);
  EXPECT_EQ(childAfter.y1 - childBefore.y1, -500);
  EXPECT_EQ(freeAfter.x1 - freeBefore.x1, 1000);
  EXPECT_EQ(sel.GetCount(), 3);
}

}  // namespace

// The selection's order after long runs of adds, removals and clearing
// matches a plain list that appends what is new and drops what is removed.
TEST_F(Selection, OrderAfterManyChangesMatchesAPlainList) {
  std::vector<TSym*> symbols;
  for (int i = 0; i < 40; ++i) symbols.push_back(Place(DiagramOwner()));
  struct Run {
    unsigned seed;
    int removeIn, clearIn;
  };
  for (const Run run : {Run{3, 2, 0}, Run{11, 3, 0}, Run{29, 2, 150}}) {
    SCOPED_TRACE(run.seed);
    SSymSelection sel;
    std::vector<ISSymbol*> model;
    std::mt19937 rng(run.seed);
    std::uniform_int_distribution<int> pick(0, 39), roll(0, 299);
    for (int i = 0; i < 1500; ++i) {
      ISSymbol* s = symbols[static_cast<std::size_t>(pick(rng))]->Sym();
      const int r = roll(rng);
      const auto at = std::find(model.begin(), model.end(), s);
      if (run.clearIn && r % run.clearIn == 0) {
        sel.Clear(1);
        model.clear();
      } else if (r % run.removeIn == 0) {
        sel.Remove(s, 1);
        if (at != model.end()) model.erase(at);
      } else {
        sel.Add(s, 1);
        if (at == model.end()) model.push_back(s);
      }
      ASSERT_EQ(sel.GetCount(), static_cast<int>(model.size())) << "step " << i;
    }
    for (int i = 0; i < sel.GetCount(); ++i) EXPECT_EQ(sel.GetAt(i), model[static_cast<std::size_t>(i)]);
    for (TSym* t : symbols)
      EXPECT_EQ(sel.Contains(t->Sym()), std::find(model.begin(), model.end(), t->Sym()) != model.end());
  }
}

// ---- the full selection set ------------------------------------------------------------------------

namespace {

// A symbol that counts the drawings of its handles (they toggle: an odd
// count leaves them on the screen) and of its bare shape.
class THandles : public SRepFaces<THandles, TSym, ISSymShadow> {
 public:
  explicit THandles(ISRepSession* s, SSymRect r = SSymRect(0, 3600, 4800, 0), int type = 3) : SRepFaces(s, r) {
    m_symType = type;
  }
  HRESULT DrawHandles(SSymCanvas&) override {
    ++m_handles;
    return S_OK;
  }
  const SSymBrush& GetShadow() override { return m_brush; }
  HRESULT SetShadow(const SSymBrush&, int) override { return S_OK; }
  SHORT GetShadowStyle() override { return 0; }
  HRESULT SetShadowStyle(SHORT, int) override { return S_OK; }
  int IsShadowsStyleSupported(SHORT) override { return 0; }
  HRESULT DrawSymbol(SSymCanvas&) override {
    ++m_shapes;
    return S_OK;
  }
  HRESULT DrawShadow(SSymCanvas&) override { return S_OK; }
  HRESULT DrawSymbolInRect(SSymCanvas&, const SSymRect&) override { return S_OK; }
  HRESULT DrawShadowInRect(SSymCanvas&, const SSymRect&) override { return S_OK; }
  int m_handles = 0;
  int m_shapes = 0;
  SSymBrush m_brush;
};

// A router that counts the bridge computations asked of it.
class TBridgeRouter : public ISSymEdgeRouter {
 public:
  void AddSymbol(const SComWrap<ISSymbol>&) override {}
  SSymCrossings GetIntersections(ISSymbol*) override { return {}; }
  SSymListPt GetBridges(ISSymbol*) override { return {}; }
  void UpdateBridgesIndex(ISSymbol*, const SSymListPt&) override {}
  LONG GetBridgeRadius() override { return 0; }
  void ComputeBridges(SComBag<ISSymbol>& symbols) override {
    ++m_calls;
    m_last = symbols.GetCount();
    if (m_fail) throw SECOMException(E_FAIL);
  }
  int m_calls = 0, m_last = 0;
  bool m_fail = false;
};

// The selection of a diagram, with its own view.
class SelectionSet : public Selection {
 protected:
  void SetUp() override {
    Selection::SetUp();
    m_sel.SetDiagram(Diagram());
  }
  THandles* Sym(int type = 3, SSymRect r = SSymRect(0, 3600, 4800, 0)) {
    return Place<THandles>(DiagramOwner(), r, type);
  }
  TLink* LinkOf(TSym* a, TSym* b) {
    TLink* l = Place<TLink>(DiagramOwner());
    l->AttachSym(0, a->Linkable(), SSymPoint());
    l->AttachSym(1, b->Linkable(), SSymPoint());
    return l;
  }
  // A sub-object mark of a row shown by `owner`, held by the test.
  SSymSelSubSym* Mark(TSym* owner) {
    SSymSelSubSymData data;
    data.m_rect = SSymRect(0, 1000, 1000, 0);
    auto* m = new SSymSelSubSym(nullptr, owner->Sym(), data);
    m_marks.emplace_back(m->Sym());
    return m;
  }
  static bool Deleted(ISSymbol* s) { return SSymGetRepObject(s)->IsDeleted() != 0; }
  std::vector<ISSymbol*> Order() const {
    std::vector<ISSymbol*> out;
    for (int i = 0; i < m_sel.GetCount(); ++i) out.push_back(m_sel.GetAt(i));
    return out;
  }
  SSymSelection m_sel{&m_view};
  std::vector<SComWrap<ISSymbol>> m_marks;
};

TEST_F(SelectionSet, PoolsStandFirstThenLinksThenTheRest) {
  THandles* pool = Sym(12);
  THandles* rect = Sym();
  TLink* link = LinkOf(pool, rect);
  m_sel.Add(pool->Sym(), 0);
  m_sel.Add(rect->Sym(), 0);
  m_sel.Add(link->Sym(), 0);
  EXPECT_EQ(Order(), (std::vector<ISSymbol*>{pool->Sym(), link->Sym(), rect->Sym()}));
  THandles* pool2 = Sym(12);
  m_sel.Add(pool2->Sym(), 0);
  TLink* link2 = LinkOf(rect, pool2);
  m_sel.Add(link2->Sym(), 0);  // behind the pool standing first
  EXPECT_EQ(Order(), (std::vector<ISSymbol*>{pool2->Sym(), link2->Sym(), pool->Sym(), link->Sym(), rect->Sym()}));
  // Insert places a symbol where it is told, whatever its kind; a member stays.
  THandles* late = Sym(12);
  m_sel.Insert(3, late->Sym(), 0);
  m_sel.Insert(0, rect->Sym(), 0);
  EXPECT_EQ(m_sel.GetAt(3), late->Sym());
  EXPECT_EQ(m_sel.GetAt(5), rect->Sym());
  THandles* end = Sym();
  m_sel.Insert(99, end->Sym(), 0);
  EXPECT_EQ(m_sel.GetAt(m_sel.GetCount() - 1), end->Sym());
  // Without a view nothing is inserted; a link without a pool goes first.
  SSymSelection detached;
  detached.Insert(0, rect->Sym(), 0);
  EXPECT_EQ(detached.GetCount(), 0);
  detached.Add(rect->Sym(), 0);
  detached.Add(link->Sym(), 0);
  EXPECT_EQ(detached.GetAt(0), link->Sym());
}

TEST_F(SelectionSet, EachChangeNotifiesOnceAndDrawsTheHandlesOnce) {
  THandles* a = Sym();
  THandles* b = Sym();
  m_sel.Add(a->Sym(), 1);
  m_sel.Add(a->Sym(), 1);  // a member already: nothing drawn, nothing sent
  EXPECT_EQ(Changes(), 1);
  EXPECT_EQ(a->m_handles, 1);
  EXPECT_EQ(m_sel.GetCount(), 1);
  m_sel.Add(b->Sym(), 0);
  EXPECT_EQ(b->m_handles, 0);
  EXPECT_EQ(Changes(), 1);
  m_sel.Remove(a->Sym(), 1);  // erased: drawn a second time
  EXPECT_EQ(a->m_handles, 2);
  EXPECT_EQ(Changes(), 1);
  // A symbol that is not selected has no handles on the screen to erase.
  m_sel.Remove(a->Sym(), 1);
  EXPECT_EQ(a->m_handles, 2);
  EXPECT_EQ(Changes(), 1);
  m_sel.Remove(nullptr, 1);
  EXPECT_EQ(Changes(), 0);
  m_sel.Add(a->Sym(), 1);
  m_sel.Clear(1);  // every member's handles erased
  EXPECT_EQ(a->m_handles, 4);
  EXPECT_EQ(b->m_handles, 1);
  EXPECT_EQ(Changes(), 2);
  EXPECT_EQ(m_sel.GetCount(), 0);
  EXPECT_FALSE(m_sel.Contains(a->Sym()));
}

// Within a handle batch the set and its notifications change as ever, but
// handles are drawn only when the outermost batch closes, and only for the
// symbols toggled an odd number of times: one erased and selected again
// draws nothing, one that left is erased once, one that joined is drawn once.
TEST_F(SelectionSet, HandleBatchDrawsOnlyTheNetChangeWhenItCloses) {
  THandles* kept = Sym();
  THandles* gone = Sym();
  THandles* joined = Sym();
  THandles* passing = Sym();
  m_sel.Add(kept->Sym(), 1);
  m_sel.Add(gone->Sym(), 1);
  Changes();
  {
    SSymSelHandleBatch outer(&m_sel);
    {
      SSymSelHandleBatch inner(&m_sel);
      m_sel.Clear(1);
      m_sel.Add(kept->Sym(), 1);
      m_sel.Add(joined->Sym(), 1);
      m_sel.Add(passing->Sym(), 1);
      m_sel.Remove(passing->Sym(), 1);
    }
    EXPECT_EQ(Order(), (std::vector<ISSymbol*>{kept->Sym(), joined->Sym()}));
    EXPECT_EQ(Changes(), 5);
    EXPECT_EQ(kept->m_handles + gone->m_handles + joined->m_handles + passing->m_handles, 2);  // the two before
  }
  EXPECT_EQ(kept->m_handles, 1);
  EXPECT_EQ(gone->m_handles, 2);
  EXPECT_EQ(joined->m_handles, 1);
  EXPECT_EQ(passing->m_handles, 0);
  // Once closed, changes draw at once again; a selection without a view
  // draws nothing in or out of a batch.
  m_sel.Remove(joined->Sym(), 1);
  EXPECT_EQ(joined->m_handles, 2);
  SSymSelection detached;
  {
    SSymSelHandleBatch batch(&detached);
    detached.Add(joined->Sym(), 1);
    detached.Clear(1);
  }
  EXPECT_EQ(joined->m_handles, 2);
  SSymSelHandleBatch none(nullptr);
}

// A mark taken out of the selection is erased and deleted; one that is not
// a member (never was, or taken out already) is left to whoever holds it.
TEST_F(SelectionSet, OnlyAMemberMarkIsErasedAndDeleted) {
  THandles* owner = Sym();
  SSymSelSubSym* mark = Mark(owner);
  SSymSelSubSym* stranger = Mark(owner);
  m_sel.Add(mark->Sym(), 0);
  m_sel.Remove(stranger->Sym(), 1);
  EXPECT_FALSE(Deleted(stranger->Sym()));
  EXPECT_EQ(m_sel.GetCount(), 1);
  m_sel.Remove(mark->Sym(), 0);
  EXPECT_TRUE(Deleted(mark->Sym()));
  EXPECT_EQ(m_sel.GetCount(), 0);
  m_sel.Remove(mark->Sym(), 0);  // twice: nothing more happens to it
  EXPECT_TRUE(Deleted(mark->Sym()));
  EXPECT_EQ(Changes(), 4);       // every removal still tells the listeners

  // Clear with drawing deletes the marks and draws each owner once; the
  // marks' handles are not drawn again.
  THandles* other = Sym();
  std::vector<SSymSelSubSym*> marks{Mark(owner), Mark(owner), Mark(other)};
  for (SSymSelSubSym* m : marks) m_sel.Add(m->Sym(), 0);
  EXPECT_EQ(m_sel.CanSelect(owner->Sym()), 1);  // a plain window mixes them
  m_sel.Clear(1);
  for (SSymSelSubSym* m : marks) EXPECT_TRUE(Deleted(m->Sym()));
  EXPECT_EQ(owner->m_shapes, 1);
  EXPECT_EQ(other->m_shapes, 1);
  EXPECT_EQ(owner->m_handles, 0);
  // Without drawing, marks are only let go.
  SSymSelSubSym* kept = Mark(owner);
  m_sel.Add(kept->Sym(), 0);
  m_sel.Clear(0);
  EXPECT_FALSE(Deleted(kept->Sym()));
  EXPECT_EQ(owner->m_shapes, 1);
}

TEST_F(SelectionSet, DeepContainsLooksIntoSelectedGroups) {
  TComp* group = Place<TComp>(DiagramOwner());
  TSym* member = Place(group);
  TSym* outside = Place(DiagramOwner());
  m_sel.Add(group->Sym(), 0);
  EXPECT_TRUE(m_sel.Contains(group->Sym(), 0));
  EXPECT_FALSE(m_sel.Contains(member->Sym(), 0));
  EXPECT_TRUE(m_sel.Contains(member->Sym(), 1));
  EXPECT_FALSE(m_sel.Contains(outside->Sym(), 1));
  EXPECT_FALSE(m_sel.Contains(nullptr, 1));
  EXPECT_EQ(m_sel.CountRepSymbols(), 1);
}

// Of the members under a point, the one latest in selection order answers;
// the diagram's index narrows the search to the same answer as a walk,
// also for members inside composites and after a member changed owner.
TEST_F(SelectionSet, HitTestAnswersTheLatestMemberUnderThePoint) {
  TComp* comp = Place<TComp>(DiagramOwner(), SSymRect(20000, 30000, 40000, 10000));
  TSym* child = Place(comp, SSymRect(21000, 29000, 25000, 25000));
  std::vector<TSym*> grid;
  for (int i = 0; i < 12; ++i)
    grid.push_back(Place(DiagramOwner(), SSymRect((i % 4) * 3000, (i / 4) * 3000 + 4000, (i % 4) * 3000 + 4000,
                                                  (i / 4) * 3000)));
  SSymDeftCanvas canvas;
  SSymSelection sel;  // no window: it takes the child of the plain composite
  sel.SetDiagram(Diagram());
  EXPECT_EQ(sel.HitTest(canvas, SSymPoint(100, 100), nullptr), nullptr);  // empty
  for (int i = 11; i >= 0; i -= 2) sel.Add(grid[static_cast<std::size_t>(i)]->Sym(), 0);
  sel.Add(child->Sym(), 0);
  auto walk = [&](const SSymPoint& p) {
    for (int i = sel.GetCount() - 1; i >= 0; --i)
      if (sel.GetAt(i)->IsPtInSym(canvas, p, nullptr, nullptr)) return sel.GetAt(i);
    return static_cast<ISSymbol*>(nullptr);
  };
  auto compare = [&] {
    for (LONG x = -500; x < 16000; x += 700)
      for (LONG y = -500; y < 14000; y += 700) ASSERT_EQ(sel.HitTest(canvas, SSymPoint(x, y), nullptr), walk(SSymPoint(x, y))) << x << ", " << y;
  };
  compare();
  EXPECT_EQ(sel.HitTest(canvas, SSymPoint(3500, 3500), nullptr), grid[1]->Sym());  // 1 overlaps 3, 5, ...
  EXPECT_EQ(sel.HitTest(canvas, SSymPoint(22000, 27000), nullptr), child->Sym());
  // A member taken into a composite leaves the diagram's index and is still found.
  Diagram()->Remove(grid[1]->Sym());
  comp->Add(grid[1]->Sym());
  grid[1]->PutRect(SSymRect(30000, 29000, 34000, 25000));
  EXPECT_EQ(sel.HitTest(canvas, SSymPoint(31000, 27000), nullptr), grid[1]->Sym());
  sel.Remove(grid[1]->Sym(), 0);
  EXPECT_EQ(sel.HitTest(canvas, SSymPoint(31000, 27000), nullptr), nullptr);
  compare();
}

TEST_F(SelectionSet, BridgesAreWorkedOutAboveSixtyPercentOnly) {
  THandles* a = Sym();
  THandles* b = Sym();
  LinkOf(a, b);
  m_sel.Add(a->Sym(), 0);
  m_sel.Add(b->Sym(), 0);
  // A diagram whose preferences show the bridges.
  m_sel.SetDiagram(Make<TPrefDiagram>()->Diagram());
  TBridgeRouter router;
  ISSymEdgeRouter* installed = SSymGetEdgeRouter();
  SSymSetEdgeRouter(&router);
  SSymCanvasView& canvas = m_view.GetCanvas();
  canvas.SetZoomLevel(60.0, SSymPoint());
  m_sel.Draw(canvas);
  EXPECT_EQ(router.m_calls, 0);
  canvas.SetZoomLevel(60.5, SSymPoint());
  m_sel.Draw(canvas);
  EXPECT_EQ(router.m_calls, 1);
  EXPECT_EQ(router.m_last, 2);
  // A failure there is shown, and the members are drawn all the same.
  router.m_fail = true;
  SExceptionDialog::ClearLog();
  SExceptionActivateDialog shown(true);
  SExceptionDialog::SetQuiet(true);
  m_sel.Draw(canvas);
  ASSERT_EQ(SExceptionDialog::Log().size(), 1u);
  EXPECT_EQ(SExceptionDialog::Log()[0].text.Find(SString(u"Computing link intersections for ")), 0);
  SExceptionDialog::SetQuiet(false);
  SSymSetEdgeRouter(installed);
  // Without a diagram there is nothing to ask the preferences of.
  SSymSelection detached;
  EXPECT_THROW(detached.Draw(canvas), SECOMException);
}

// The sort gives the order of a plain sort for any table.
TEST_F(SelectionSet, SortSymbolTableOrdersLikeAPlainSort) {
  std::vector<TSym*> symbols;
  for (int i = 0; i < 64; ++i) symbols.push_back(Make<TSym>(SSymRect(i % 7, 0, 0, 0)));
  auto key = [](ISSymbol* s) { return s->GetClipRect(0, 0).x1; };
  static auto byKey = +[](ISSymbol* a, ISSymbol* b) {
    const LONG ka = a->GetClipRect(0, 0).x1, kb = b->GetClipRect(0, 0).x1;
    return ka < kb ? -1 : (ka > kb ? 1 : 0);
  };
  std::mt19937 rng(5);
  for (int run = 0; run < 50; ++run) {
    std::vector<ISSymbol*> table;
    for (TSym* t : symbols) table.push_back(t->Sym());
    std::shuffle(table.begin(), table.end(), rng);
    const int n = 1 + run % 64;
    std::vector<ISSymbol*> expected(table.begin(), table.begin() + n);
    std::stable_sort(expected.begin(), expected.end(), [&](ISSymbol* a, ISSymbol* b) { return key(a) < key(b); });
    SSymSelection::SortSymbolTable(table.data(), byKey, 0, n - 1);
    for (int i = 0; i < n; ++i) ASSERT_EQ(key(table[static_cast<std::size_t>(i)]), key(expected[static_cast<std::size_t>(i)]));
    EXPECT_TRUE(std::is_permutation(table.begin(), table.begin() + n, expected.begin()));
  }
  SSymSelection::SortSymbolTable(nullptr, byKey, 0, 3);  // nothing to sort
}

}  // namespace
