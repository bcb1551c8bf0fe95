// The library's own layout run on a diagram: its placement of one symbol and
// of a partial run, the moves written back (grid rounding, links straightened
// past the threshold, self-links keeping their loops), one undo step per run
// that undo takes back exactly, synonyms as the options say, the trace file,
// and bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "kvlib/suserregistry.h"
#include "kvrep/srepextras.h"
#include "support/link_fixture.h"
#include "support/temp_files.h"
#include "sym/layout/symautolayout.h"
#include "sym/layout/symlayoutdump.h"
#include "sym/layout/symlayoutgraph.h"
#include "sym/layout/symlayoutrun.h"
#include "sym/symbol/symintfhost.h"
#include "win/winreg.h"

namespace {

// A symbol the layout may show twice.
class TCloneSym : public SRepFaces<TCloneSym, TSym, ISSymClone> {
 public:
  explicit TCloneSym(ISRepSession* s, SSymRect r = SSymRect(0, 999, 999, 0)) : SRepFaces(s, r) {}
  BOOL IsCloneNumbering() override { return 0; }
  void CloneText(SString&) override {}
};

// Whether two rectangles leave room between them.
bool Apart(const SSymRect& a, const SSymRect& b) {
  return a.GetMaxX() < b.GetMinX() || b.GetMaxX() < a.GetMinX() || a.GetMaxY() < b.GetMinY() ||
         b.GetMaxY() < a.GetMinY();
}

class LayoutRun : public LinkFixture {
 protected:
  void SetUp() override {
    KvRegReset();
    LinkFixture::SetUp();
  }
  void TearDown() override {
    SRepOption::m_sOutputLogPath = SString();
    LinkFixture::TearDown();
    KvRegReset();
  }
  static void SetGeneral(const char* name, long value) {
    SUserRegistry(SUserRegistry::sApplicationGeneral).WriteProfile(SString(name), value);
  }
  template <class T = TSym>
  T* Put(SSymRect r) {
    T* t = Make<T>(r);
    m_diagram->Add(t->Sym());
    return t;
  }
  TLink* Tie(TSym* a, TSym* b) {
    TLink* l = Make<TLink>();
    l->AttachSym(0, a->Linkable(), a->GetClipRect(0, 0).GetCenter());
    l->AttachSym(1, b->Linkable(), b->GetClipRect(0, 0).GetCenter());
    m_diagram->Add(l->Sym());
    return l;
  }
  // A run over the diagram (all of it, or a subset), as a program starts it.
  int Run(SComTable<ISSymbol>* subset = nullptr, BYTE automatic = 0, BYTE partial = 1) {
    SSymAutoLayoutParam param(Diagram(), subset);
    param.m_options.m_bAutomatic = automatic;
    param.m_options.m_bSynonymsPartial = partial;
    SSymAutoLayout layout(param);
    return layout.Invoke();
  }
  static ISSymbol* EndOf(TLink* l, int end) {
    SComOut<ISSymbol> s;
    l->GetAttachSym(end, &s);
    return s.Get();
  }
  // Real boxes and links of the link base, in the diagram.
  SSymRectangle* PutBox(const SSymRect& r) {
    SSymRectangle* b = Box(r);
    m_diagram->Add(b->Sym());
    return b;
  }
  SSymLinkBase* PutLink(SSymBase* a, SSymBase* b, SSymListPt pts) {
    SSymLinkBase* l = Link(a, b, pts);
    m_diagram->Add(l->Sym());
    return l;
  }
};

// ---- placement through the run ----------------------------------------------------------------------

TEST_F(LayoutRun, OneSymbolIsCentredOnTheOrigin) {
  TSym* s = Put(SSymRect(40000, 70999, 40999, 70000));
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(s->GetClipRect(0, 0), SSymRect(-501, 501, 498, -498));
}

TEST_F(LayoutRun, APartialRunGoesOneSpacingBelowTheSymbolsThatStay) {
  TSym* stays = Put(SSymRect(0, 10000, 4800, 6400));
  TSym* low = Put(SSymRect(30000, -2000, 34800, -5600));
  TSym* moved = Put(SSymRect(90000, 90000, 94800, 86400));
  SComTable<ISSymbol> subset;
  subset.Add(moved->Sym());
  EXPECT_EQ(Run(&subset), 1);
  EXPECT_EQ(stays->GetClipRect(0, 0), SSymRect(0, 10000, 4800, 6400)) << "outside the subset: not moved";
  EXPECT_EQ(low->GetClipRect(0, 0), SSymRect(30000, -2000, 34800, -5600));
  EXPECT_NEAR(moved->GetClipRect(0, 0).GetMaxY(), -5600 - 5000, 1) << "below the lowest that stays";
}

TEST_F(LayoutRun, LinkedGroupsAreStructuresPackedApart) {
  std::vector<TSym*> s;
  for (int i = 0; i < 8; ++i) s.push_back(Put(SSymRect(i * 100, 999, i * 100 + 999, 0)));  // all on each other
  Tie(s[0], s[1]);
  Tie(s[2], s[3]);
  Tie(s[4], s[5]);
  SComTable<ISSymbol> all;
  for (TSym* t : s) all.Add(t->Sym());
  SSymAutoLayoutParam param(Diagram(), &all);
  SSymAutoLayout layout(param);
  SSymAutoLayoutRun run(layout);
  run.CreateNodes();
  run.CreateStructures();
  ASSERT_EQ(run.GetStructures().size(), 4u) << "three pairs, then the lone symbols together";
  EXPECT_EQ(run.GetStructures()[3]->m_pending.GetCount(), 2);
  EXPECT_EQ(layout.Invoke(), 1);
  for (std::size_t i = 0; i < s.size(); ++i)
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_TRUE(Apart(s[i]->GetClipRect(0, 0), s[j]->GetClipRect(0, 0))) << i << " over " << j;
    }
}

// ---- applying -----------------------------------------------------------------------------------------------

TEST_F(LayoutRun, OffsetsRoundToTheGridHalvesUpward) {
  struct Case {
    LONG offset, moved;
  } cases[] = {{1499, 1000}, {1500, 2000}, {-1500, -1000}, {-1501, -2000}, {499, 0}, {500, 1000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    TSym* t = Make<TSym>(SSymRect(0, 999, 999, 0));
    SSymAutoLayoutNode node(t->Sym());
    SSymAutoLayoutStruct s(nullptr);
    s.m_placed.Add(&node);
    node.m_dx = c.offset;
    node.m_dy = c.offset;
    EXPECT_EQ(s.MoveSymbols(nullptr, 1000), 1);
    EXPECT_EQ(t->GetClipRect(0, 0).x1, c.moved);
    EXPECT_EQ(t->GetClipRect(0, 0).y2, c.moved);
  }
}

TEST_F(LayoutRun, MovesKeepTheCentreInsideTheDrawingArea) {
  TSym* t = Make<TSym>(SSymRect(898500, 1000, 899499, 0));  // centre x 898999
  SSymAutoLayoutNode node(t->Sym());
  SSymAutoLayoutStruct s(nullptr);
  s.m_placed.Add(&node);
  node.m_dx = 5000;
  node.m_dy = -2000000;
  s.MoveSymbols(nullptr, 0);
  const SSymRect r = t->GetClipRect(0, 0);
  EXPECT_EQ((r.x1 + r.x2) / 2, 900000);
  EXPECT_EQ((r.y1 + r.y2) / 2, -900000);
}

TEST_F(LayoutRun, LinksAreStraightenedOnlyPastTheThreshold) {
  struct Case {
    LONG dx, dy;
    int points;
  } cases[] = {{600, 200, 2}, {600, 100, 3}, {0, -700, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dy);
    SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
    SSymRectangle* b = Box(SSymRect(20000, 1000, 21000, 0));
    SSymLinkBase* l = Link(a, b, SSymListPt{{1000, 500}, {10000, 8000}, {20000, 500}});
    SSymAutoLayoutNode na(a->Sym()), nb(b->Sym());
    SSymAutoLayoutLink link(l->Sym());
    link.SetSourceNode(&na);
    link.SetDestNode(&nb);
    SSymAutoLayoutStruct s(nullptr);
    s.m_placed.Add(&na);
    na.m_dx = c.dx;
    na.m_dy = c.dy;
    s.MoveSymbols(nullptr, 0);
    EXPECT_EQ(l->ListPt.GetCount(), c.points);
    EXPECT_EQ(l->ListPt[0], SSymPoint(1000 + c.dx, 500 + c.dy)) << "the end follows its symbol";
  }
}

TEST_F(LayoutRun, ASelfLinkKeepsItsLoop) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  const SSymListPt loop{{1000, 500}, {2000, 500}, {2000, 2000}, {500, 2000}, {500, 1000}};
  SSymLinkBase* l = Link(a, a, loop);
  SSymAutoLayoutNode na(a->Sym());
  SSymAutoLayoutLink link(l->Sym());
  link.SetSourceNode(&na);
  link.SetDestNode(&na);
  EXPECT_EQ(na.GetDegree(), 0);
  SSymAutoLayoutStruct s(nullptr);
  s.m_placed.Add(&na);
  na.m_dx = 50000;
  na.m_dy = -3000;
  s.MoveSymbols(nullptr, 0);
  ASSERT_EQ(l->ListPt.GetCount(), loop.GetCount());
  for (int i = 0; i < loop.GetCount(); ++i)
    EXPECT_EQ(l->ListPt[i], SSymPoint(loop[i].x + 50000, loop[i].y - 3000)) << i;
}

// ---- one undo step -----------------------------------------------------------------------------------------

TEST_F(LayoutRun, EveryRunIsOneUndoStepThatRestoresEverything) {
  std::vector<SSymRectangle*> boxes;
  for (int i = 0; i < 6; ++i) boxes.push_back(PutBox(SSymRect(i * 7000, 3000 + i * 900, i * 7000 + 4000, i * 900)));
  std::vector<SSymLinkBase*> links;
  auto centre = [&](int i) { return boxes[i]->m_rect.GetCenter(); };
  links.push_back(PutLink(boxes[0], boxes[1], SSymListPt{centre(0), {3000, 9000}, centre(1)}));
  links.push_back(PutLink(boxes[1], boxes[2], SSymListPt{centre(1), centre(2)}));
  links.push_back(PutLink(boxes[0], boxes[2], SSymListPt{centre(0), {8000, -9000}, {9000, -9000}, centre(2)}));
  links.push_back(PutLink(boxes[3], boxes[4], SSymListPt{centre(3), centre(4)}));
  std::vector<SSymRect> rects;
  std::vector<std::vector<SSymPoint>> lists;
  auto snapshot = [&] {
    rects.clear();
    lists.clear();
    for (SSymRectangle* b : boxes) rects.push_back(b->m_rect);
    for (SSymLinkBase* l : links) {
      lists.emplace_back();
      for (int i = 0; i < l->ListPt.GetCount(); ++i) lists.back().push_back(l->ListPt[i]);
    }
  };
  snapshot();
  const auto rectsBefore = rects;
  const auto listsBefore = lists;
  const int steps = m_session->GetUndoCount();
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1) << "one step";
  snapshot();
  EXPECT_NE(rects, rectsBefore) << "the run moved something";
  ASSERT_EQ(m_session->Undo(), S_OK);
  snapshot();
  EXPECT_EQ(rects, rectsBefore);
  EXPECT_EQ(lists, listsBefore);
}

// ---- synonyms --------------------------------------------------------------------------------------------------

TEST_F(LayoutRun, APartialRunShowsASymbolAgainWhereItsLinkLeavesThePart) {
  struct Case {
    const char* name;
    BYTE automatic, partial;
    long inAutoLayout;  // -1: not set
    bool synonym;
  } cases[] = {
      {"chosen by the user, synonyms for parts", 0, 1, -1, true},
      {"chosen by the user, no synonyms", 0, 0, -1, false},
      {"automatic, default setting", 1, 0, -1, true},
      {"automatic, setting off", 1, 1, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.inAutoLayout >= 0) SetGeneral("SynonymsInAutoLayout", c.inAutoLayout);
    TCloneSym* inside = Put<TCloneSym>(SSymRect(0, 999, 999, 0));
    TSym* outside = Put(SSymRect(50000, 999, 50999, 0));
    TLink* leaving = Tie(inside, outside);
    const int before = m_diagram->GetCount();
    SComTable<ISSymbol> subset;
    subset.Add(inside->Sym());
    EXPECT_EQ(Run(&subset, c.automatic, c.partial), 1);
    EXPECT_EQ(m_diagram->GetCount(), before + (c.synonym ? 1 : 0));
    EXPECT_EQ(EndOf(leaving, 0) != inside->Sym(), c.synonym) << "the link goes to the synonym";
    EXPECT_EQ(EndOf(leaving, 1), outside->Sym());
    KvRegReset();
  }
}

TEST_F(LayoutRun, LinksGoBackBeforeTheSynonymsAreDeleted) {
  TSym* original = Put(SSymRect(0, 999, 999, 0));
  TSym* other = Put(SSymRect(9000, 999, 9999, 0));
  TSym* clone = Put(SSymRect(0, 999, 999, 0));
  TLink* l = Tie(original, other);
  SSymAutoLayoutSynonyms synonyms;
  synonyms.m_created.Add(clone->Sym());
  SSymPoint was;
  l->GetAttachPoint(was, 0);
  l->AttachSym(0, clone->Linkable(), SSymPoint(500, 500));
  synonyms.m_movedEnds.push_back({SComWrap<ISSymLink>(l->Sym()), 0, SComWrap<ISSymLinkable>(original->Sym()), was});
  synonyms.Undo();
  EXPECT_EQ(EndOf(l, 0), original->Sym());
  SSymPoint now;
  l->GetAttachPoint(now, 0);
  EXPECT_EQ(now, was);
  EXPECT_TRUE(clone->IsDeleted());
  EXPECT_FALSE(l->IsDeleted()) << "the link survives its synonym";
  EXPECT_EQ(synonyms.m_created.GetCount(), 0);
}

// ---- the trace file --------------------------------------------------------------------------------------------

TEST_F(LayoutRun, TheTraceIsWrittenOnlyWhenAskedAndStartsAfreshEachRun) {
  kvtest::TempDir dir("kvlayoutlog");
  SRepOption::m_sOutputLogPath = SString(dir.path.string());
  const std::string file = (dir.path / SSymAutoLayoutDumpFile::kDefaultName).string();
  std::vector<TSym*> s;
  for (int i = 0; i < 4; ++i) s.push_back(Put(SSymRect(i * 5000, 999, i * 5000 + 999, 0)));
  Tie(s[0], s[1]);

  SetGeneral("LogAutoLayout", 0);
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(dir.Files().empty()) << "no trace with 0";

  SetGeneral("LogAutoLayout", 1);
  EXPECT_EQ(Run(), 1);
  const std::string first = kvtest::ReadFile(file);
  EXPECT_NE(first.find("AutoLayout: 5 symbols"), std::string::npos) << first;
  EXPECT_NE(first.find("structure 2"), std::string::npos) << first;
  // A shorter trace leaves nothing of the longer one behind.
  SComTable<ISSymbol> one;
  one.Add(s[3]->Sym());
  EXPECT_EQ(Run(&one), 1);
  const std::string second = kvtest::ReadFile(file);
  EXPECT_LT(second.size(), first.size());
  EXPECT_EQ(second.find("structure 2"), std::string::npos) << second;
  EXPECT_EQ(second.rfind("AutoLayout:"), 0u) << second;
  // With or without a separator at the folder's end: the same file.
  SRepOption::m_sOutputLogPath = SString(dir.path.string() + "/");
  EXPECT_EQ(SSymAutoLayoutDumpFile::PathOf(SString("x.log")).ToUtf8(), (dir.path / "x.log").string());
  SRepOption::m_sOutputLogPath = SString((dir.path / "missing").string());
  SSymAutoLayoutDumpFile nowhere;
  EXPECT_FALSE(nowhere.IsEnabled()) << "a folder that does not exist leaves the trace off";
}

// ---- bad input -------------------------------------------------------------------------------------------------

TEST_F(LayoutRun, BadInputGivesACleanResultInsideTheDrawingArea) {
  enum Kind { Empty, EmptySubset, ZeroSize, MissingEnd, AtTheEdge, OnlyLinks, Huge };
  struct Case {
    const char* name;
    Kind kind;
  } cases[] = {
      {"an empty diagram", Empty},          {"an empty subset", EmptySubset},
      {"symbols of size 0", ZeroSize},      {"a link with a missing end", MissingEnd},
      {"symbols at the edge", AtTheEdge},   {"a subset of links only", OnlyLinks},
      {"a symbol as large as coordinates go", Huge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_diagram = Make<TDiagram>();  // a fresh diagram per case
    SComTable<ISSymbol> subset;
    SComTable<ISSymbol>* use = nullptr;
    switch (c.kind) {
      case Empty: break;
      case EmptySubset:
        Put(SSymRect(0, 999, 999, 0));
        use = &subset;
        break;
      case ZeroSize:
        Put(SSymRect(0, 0, 0, 0));
        Put(SSymRect(100, 100, 100, 100));
        Tie(Put(SSymRect(7, 7, 7, 7)), Put(SSymRect(9, 9, 9, 9)));
        break;
      case MissingEnd: {
        TSym* a = Put(SSymRect(0, 999, 999, 0));
        TLink* l = Make<TLink>();
        l->AttachSym(0, a->Linkable(), SSymPoint(500, 500));
        m_diagram->Add(l->Sym());
        Put(SSymRect(5000, 999, 5999, 0));
        break;
      }
      case AtTheEdge:
        Tie(Put(SSymRect(899000, 900000, 900000, 899000)), Put(SSymRect(-900000, -899000, -899000, -900000)));
        for (int i = 0; i < 30; ++i) Put(SSymRect(899000 - i, -899000, 900000 - i, -900000));
        break;
      case Huge:
        Tie(Put(SSymRect(-2147483000, 2147483000, 2147483000, -2147483000)), Put(SSymRect(0, 999, 999, 0)));
        Put(SSymRect(-2147483000, 5, 2147483000, 0));
        Put(SSymRect(0, 999, 999, 0));
        break;
      case OnlyLinks: {
        TLink* l = Tie(Put(SSymRect(0, 999, 999, 0)), Put(SSymRect(5000, 999, 5999, 0)));
        subset.Add(l->Sym());
        use = &subset;
        break;
      }
    }
    const int steps = m_session->GetUndoCount();
    EXPECT_EQ(Run(use), 1);
    EXPECT_LE(m_session->GetUndoCount(), steps + 1) << "one undo step or none";
    for (SRepObject* o : m_made) {
      auto* sym = dynamic_cast<TSym*>(o);
      if (!sym || dynamic_cast<TLink*>(o)) continue;
      const SSymRect r = sym->GetClipRect(0, 0);
      EXPECT_LE(std::abs((static_cast<long long>(r.x1) + r.x2) / 2), 900000);
      EXPECT_LE(std::abs((static_cast<long long>(r.y1) + r.y2) / 2), 900000);
    }
  }
}

TEST_F(LayoutRun, ALayoutObjectWithoutDiagramOrNotReadyDoesNotRun) {
  SSymAutoLayoutParam none(nullptr);
  SSymAutoLayout layout(none);
  EXPECT_EQ(layout.Invoke(), 0);
  SSymAutoLayout bare(Diagram());
  EXPECT_EQ(bare.Invoke(), 0);
}

// Grids of boxes, each linked to its right and lower neighbour: graph nodes
// laid out on the grid of graph places, no box on another.
TEST_F(LayoutRun, GraphsAreLaidOutWithoutOverlaps) {
  for (int side : {3, 5, 8, 12}) {
    SCOPED_TRACE(side);
    m_diagram = Make<TDiagram>();
    std::vector<TSym*> s;
    for (int i = 0; i < side * side; ++i) s.push_back(Put(SSymRect(0, 999, 999, 0)));
    for (int i = 0; i < side * side; ++i) {
      if (i % side != side - 1) Tie(s[i], s[i + 1]);
      if (i + side < side * side) Tie(s[i], s[i + side]);
    }
    EXPECT_EQ(Run(), 1);
    for (std::size_t i = 0; i < s.size(); ++i)
      for (std::size_t j = 0; j < i; ++j) {
        EXPECT_TRUE(Apart(s[i]->GetClipRect(0, 0), s[j]->GetClipRect(0, 0))) << i << " over " << j;
      }
  }
}

}  // namespace
