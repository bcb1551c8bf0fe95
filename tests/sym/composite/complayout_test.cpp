// The layout of new children in rows (the start below the title or below
// the children already there, the row length, the gaps, the collection's
// order, what is left alone, growth when children overflow), the matrix
// that keeps children enclosed, and the area children may use.
#include <gtest/gtest.h>

#include "support/compmember_fixture.h"

namespace {

SSymRect Rect(ISSymbol* s) {
  SSymRect r = s->GetClipRect(1, 1);
  r.Normalize();
  return r;
}

class CompLayout : public CompMemberFixture {
 protected:
  // A titled composite of the given rectangle with children of the given
  // sizes, all new; gives the children in the order made.
  std::vector<TModelSym*> Lay(TTitledComp* comp, const std::vector<SSymSize>& sizes) {
    std::vector<TModelSym*> kids;
    SUnsortedComBag<ISSymbol> added;
    for (const SSymSize& s : sizes) {
      // Made inside, so that nothing grows the composite before the layout.
      const SSymRect c = Rect(comp->Sym());
      TModelSym* k = Place<TModelSym>(comp->CompSym(), SSymRect(c.x1 + 10, c.y1 - 10, c.x1 + 10 + s.cx, c.y1 - 10 - s.cy));
      kids.push_back(k);
      added.Add(k->Sym());
    }
    EXPECT_EQ(S_OK, comp->CompSym()->LayoutChildrenSym(added));
    return kids;
  }
  SSymCompDef m_def;
};

// Where children land: their upper left corners, row by row.
TEST_F(CompLayout, NewChildrenGoInRowsBelowTheTitle) {
  struct Case {
    const char* name;
    SSymRect comp;
    std::vector<SSymSize> sizes;
    std::vector<SSymPoint> corners;  // upper left corners after the layout
  } cases[] = {
      {"one", SSymRect(0, 36000, 48000, 0), {{1000, 600}}, {{600, 36000 - 900 - 600}}},
      // x2 - x1 = 1000: the second starts 1000 + 301 to the right (a gap of 300).
      {"two_widths", SSymRect(0, 36000, 48000, 0), {{1000, 600}, {2000, 600}}, {{600, 34500}, {1901, 34500}}},
      // Five in a wide composite: three per row, but a row only breaks
      // where the next would pass the right inset: all in one row.
      {"five_wide",
       SSymRect(0, 36000, 48000, 0),
       {{1000, 600}, {1000, 600}, {1000, 600}, {1000, 600}, {1000, 600}},
       {{600, 34500}, {1901, 34500}, {3202, 34500}, {4503, 34500}, {5804, 34500}}},
      // Four in a narrow one: two per row; the next row starts the tallest
      // child's inclusive height and 300 below.
      {"four_narrow",
       SSymRect(0, 36000, 3000, 0),
       {{1000, 600}, {1000, 900}, {1000, 600}, {1000, 600}},
       {{600, 34500}, {1901, 34500}, {600, 34500 - 901 - 300}, {1901, 34500 - 901 - 300}}},
  };
  for (const Case& c : cases) {
    TTitledComp* comp = NewTitled(&m_def, c.comp);
    const std::vector<TModelSym*> kids = Lay(comp, c.sizes);
    for (std::size_t i = 0; i < kids.size(); ++i) {
      const SSymRect r = Rect(kids[i]->Sym());
      EXPECT_EQ(c.corners[i], SSymPoint(r.x1, r.y1)) << c.name << " child " << i;
      EXPECT_EQ(c.sizes[i].cx, r.x2 - r.x1) << c.name << " keeps its size";
    }
  }
}

// With the margins flag the title service's margins move the start; the
// margins count only when the service says it gave them.
TEST_F(CompLayout, MarginsMoveTheStartWhenTheClassAsks) {
  for (DWORD flags : {0u, static_cast<DWORD>(SSymCompDef::CompAdjustChildRect)}) {
    for (int given : {0, 1}) {
      SSymCompDef def;
      def.nFlags = flags;
      TTitledComp* comp = NewTitled(&def);
      comp->m_hasMargins = given;
      comp->m_margins[0] = 100, comp->m_margins[2] = 200;
      const SSymRect r = Rect(Lay(comp, {{1000, 600}})[0]->Sym());
      const bool moved = flags && given;
      EXPECT_EQ(moved ? 700 : 600, r.x1) << flags << given;
      EXPECT_EQ(moved ? 34300 : 34500, r.y1) << flags << given;
    }
  }
}

// Existing children stay; the new ones start below them. Links and
// excluded children neither move nor count as occupied; the new ones
// follow the collection's order, not the bag's.
TEST_F(CompLayout, NewChildrenGoBelowTheExistingOnesInCollectionOrder) {
  TTitledComp* comp = NewTitled(&m_def);
  TModelSym* old = Place<TModelSym>(comp->CompSym(), SSymRect(9000, 30000, 11000, 28000));
  TModelSym* excluded = Place<TModelSym>(comp->CompSym(), SSymRect(100, 100, 200, -20000));
  comp->Comp().m_excluded.push_back(excluded->Sym());
  TLink* link = Make<TLink>();
  link->PutRect(SSymRect(0, 0, 40000, -30000));
  comp->CompSym()->Add(link->Sym());
  TModelSym* first = Place<TModelSym>(comp->CompSym(), SSymRect(0, 0, 1000, -600));
  TModelSym* second = Place<TModelSym>(comp->CompSym(), SSymRect(0, 0, 1000, -600));
  SUnsortedComBag<ISSymbol> added;
  added.Add(second->Sym());
  added.Add(first->Sym());
  ASSERT_EQ(S_OK, comp->CompSym()->LayoutChildrenSym(added));
  EXPECT_EQ(SSymRect(9000, 30000, 11000, 28000), Rect(old->Sym()));
  EXPECT_EQ(SSymRect(100, 100, 200, -20000), Rect(excluded->Sym()));
  EXPECT_EQ(SSymPoint(600, 28000 - 300), SSymPoint(Rect(first->Sym()).x1, Rect(first->Sym()).y1));
  EXPECT_EQ(SSymPoint(1901, 28000 - 300), SSymPoint(Rect(second->Sym()).x1, Rect(second->Sym()).y1));
}

// Children that do not fit make the composite grow around them; children
// that fit leave it as it is. A composite without a title service lays out nothing.
TEST_F(CompLayout, OverflowGrowsTheCompositeAndNoTitleServiceLaysOutNothing) {
  TTitledComp* fits = NewTitled(&m_def);
  Lay(fits, {{1000, 600}});
  EXPECT_EQ(SSymRect(0, 36000, 48000, 0), Rect(fits->Sym()));

  // Bound to a model object: a composite grows only when it is editable.
  TTitledComp* small = NewTitled(&m_def, SSymRect(0, 3000, 2000, 0), Node());
  const std::vector<TModelSym*> kids = Lay(small, {{1500, 1500}, {1500, 1500}});
  const SSymRect grown = Rect(small->Sym());
  for (TModelSym* k : kids) EXPECT_TRUE(grown.ContainsRect(Rect(k->Sym())));

  TCompSym* plain = NewComp(&m_def);
  TModelSym* k = Place<TModelSym>(plain->CompSym(), SSymRect(5000, -5000, 6000, -5600));
  SUnsortedComBag<ISSymbol> added;
  added.Add(k->Sym());
  EXPECT_EQ(S_FALSE, plain->CompSym()->LayoutChildrenSym(added));
  EXPECT_EQ(SSymRect(5000, -5000, 6000, -5600), Rect(k->Sym()));
}

// A transform that keeps the children within 10 units of the new rectangle
// leaves their matrix alone; one that would leave them outside maps the
// composite onto the box that holds both.
TEST_F(CompLayout, RecomputeMatrixKeepsTheChildrenEnclosed) {
  TTitledComp* comp = NewTitled(&m_def, SSymRect(0, 20000, 20000, 0));
  comp->m_title = 0;
  Place<TModelSym>(comp->CompSym(), SSymRect(5000, 15000, 15000, 5000));  // needs 4400..15600 with the inset
  const SSymMatrix none;
  struct Case {
    const char* name;
    SSymRect to;
    bool changed;
  } cases[] = {
      {"moved_along", SSymRect(0, 20000, 20000, 0), false},
      {"shrunk_to_the_children_plus_ten", SSymRect(4410, 15600, 15590, 4400), false},
      {"shrunk_past_them", SSymRect(8000, 12000, 12000, 8000), true},
  };
  for (const Case& c : cases) {
    SSymMatrix move;
    move.SetTransform(SSymRect(0, 20000, 20000, 0), c.to);
    SSymMatrix children;
    comp->CompSym()->RecomputeMatrix(move, children);
    if (!c.changed) {
      EXPECT_EQ(none.Transform(SSymRect(1, 2, 3, 4)), children.Transform(SSymRect(1, 2, 3, 4))) << c.name;
      continue;
    }
    SSymRect onto = children.Transform(SSymRect(0, 20000, 20000, 0));
    onto.Normalize();
    EXPECT_EQ(SSymRect(4400, 15600, 15600, 4400), onto) << c.name;
  }
}

// The draw area: 75 in from each side, below the title; the whole
// rectangle without a title service; a narrow composite collapses to its centre.
TEST_F(CompLayout, DrawRectIsBelowTheTitleAndInFromTheSides) {
  TTitledComp* comp = NewTitled(&m_def, SSymRect(0, 36000, 48000, 0));
  EXPECT_EQ(SSymRect(75, 35100, 47925, 0), comp->CompSym()->GetDrawRect());
  TTitledComp* narrow = NewTitled(&m_def, SSymRect(0, 36000, 100, 0));
  const SSymRect n = narrow->CompSym()->GetDrawRect();
  EXPECT_EQ(n.x1, n.x2);
  TCompSym* plain = NewComp(&m_def);
  EXPECT_EQ(SSymRect(0, 36000, 48000, 0), plain->CompSym()->GetDrawRect());
}

}  // namespace
