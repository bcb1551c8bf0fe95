// The selection in its least form: the selection-change notification and
// its library-wide switch, and which symbols the selection's view accepts.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

#include "kvcore/snotify.h"
#include "support/comp_fixture.h"
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
