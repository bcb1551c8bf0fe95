// Every path that changes a symbol's rectangle tells the rectangle
// observers, once per change, with the rectangles before and after.
#include "sym/symbol/symrectnotify.h"

#include <functional>

#include "support/symtest.h"

namespace {

struct Recorder final : ISSymRectObserver {
  struct Change {
    ISSymbol* symbol;
    SSymRect from, to;
  };
  std::vector<Change> changes;
  Recorder() { SSymAddRectObserver(this); }
  ~Recorder() { SSymRemoveRectObserver(this); }
  void OnSymbolRectChanged(ISSymbol* symbol, const SSymRect& from, const SSymRect& to) override {
    changes.push_back({symbol, from, to});
  }
};

}  // namespace

using SymRectNotify = SymFixture;

TEST_F(SymRectNotify, EachPathTellsTheObservers) {
  TSym* a = Place(DiagramOwner());
  struct Case {
    const char* what;
    std::function<void()> change;
  };
  const Case cases[] = {
      {"attribute", [&] { ASSERT_EQ(a->SetAttribute(SymAttr::ClipRect, SSymBase::RectValue(SSymRect(0, 4000, 5000, 0))), S_OK); }},
      {"move", [&] { a->MoveBy(SSymSize(300, -200), 0); }},
      {"size", [&] { ASSERT_EQ(a->SetSize(SRep_Point{2001, 1001}), S_OK); }},
      {"transform", [&] { ASSERT_EQ(a->TransformOnto(SSymRect(100, 900, 700, 100), 0), S_OK); }},
      {"initial", [&] { a->InitialSymRect(SSymRect(5, 50, 55, 5)); }},
  };
  for (const Case& c : cases) {
    Recorder rec;
    const SSymRect before = a->m_rect;
    c.change();
    ASSERT_EQ(rec.changes.size(), 1u) << c.what;
    EXPECT_EQ(rec.changes[0].symbol, a->Sym()) << c.what;
    EXPECT_EQ(rec.changes[0].from, before) << c.what;
    EXPECT_EQ(rec.changes[0].to, a->m_rect) << c.what;
    EXPECT_NE(before, a->m_rect) << c.what;
  }
  // The same rectangle again is no change.
  Recorder same;
  a->InitialSymRect(a->m_rect);
  a->MoveBy(SSymSize(0, 0), 0);
  EXPECT_TRUE(same.changes.empty());
}

TEST_F(SymRectNotify, UndoAndRedoTellTheObservers) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner(), SSymRect(10000, 3600, 14800, 0));
  const SSymRect a0 = a->m_rect, b0 = b->m_rect;
  {
    SRepCreateContext step(Session());
    a->MoveBy(SSymSize(500, 500), 0);
    ASSERT_EQ(b->SetSize(SRep_Point{2001, 1001}), S_OK);
  }
  const SSymRect a1 = a->m_rect, b1 = b->m_rect;
  auto last = [](const Recorder& r, ISSymbol* s) {
    const Recorder::Change* found = nullptr;
    for (const auto& c : r.changes)
      if (c.symbol == s) found = &c;
    return found;
  };
  {
    Recorder rec;
    ASSERT_EQ(m_session->Undo(), S_OK);
    ASSERT_NE(last(rec, a->Sym()), nullptr);
    ASSERT_NE(last(rec, b->Sym()), nullptr);
    EXPECT_EQ(last(rec, a->Sym())->to, a0);
    EXPECT_EQ(last(rec, b->Sym())->to, b0);
  }
  {
    Recorder rec;
    ASSERT_EQ(m_session->Redo(), S_OK);
    ASSERT_NE(last(rec, a->Sym()), nullptr);
    ASSERT_NE(last(rec, b->Sym()), nullptr);
    EXPECT_EQ(last(rec, a->Sym())->to, a1);
    EXPECT_EQ(last(rec, b->Sym())->to, b1);
  }
  // An observer removed hears nothing more.
  Recorder gone;
  SSymRemoveRectObserver(&gone);
  a->MoveBy(SSymSize(1, 1), 0);
  EXPECT_TRUE(gone.changes.empty());
}
