// The layout engine's reading of a run's symbols into plain arrays and its
// writing of a result back: what becomes a node, a fixed obstacle or an
// edge (self-links, multi-links, hidden symbols, loose ends, size-0 nodes),
// and a result written all or nothing: refused when it does not match, is
// not finite or leaves the drawing area, taken back when a symbol refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "kvlayout/bridge/lsymbols.h"
#include "support/comp_fixture.h"
#include "support/link_fixture.h"

namespace {

class LayoutSymbols : public LinkFixture {
 protected:
  void SetUp() override {
    LinkFixture::SetUp();
    a = PutBox(SSymRect(0, 1000, 2000, 0));
    b = PutBox(SSymRect(10000, 1000, 12000, 0));
    c = PutBox(SSymRect(20000, 3000, 20000, 3000));  // size 0
    ab = PutLink(a, b, SSymListPt{{1000, 500}, {5000, 4000}, {11000, 500}});
  }
  // Reads a run over the subset (null: everything), among every symbol of
  // the diagram.
  kvl::LStatus Read(std::vector<SSymBase*> subset, bool all = false) {
    SComTable<ISSymbol> sub, scope;
    for (SSymBase* s : subset) sub.Add(s->Sym());
    SComOut<ISRepClassCol> col;
    Diagram()->GetSymbols(&col);
    for (LONG i = 0; col && i < col->GetCount(); ++i) {
      SComOut<ISRepObject> item;
      col->Item(i, &item);
      scope.Add(SComWrap<ISSymbol>(item.Get()).Get());
    }
    SSymAutoLayoutParam param(Diagram(), all ? &scope : &sub, &scope);
    param.m_options.m_nPlacement = SSymAutoLayoutPlacement::LeftToRight;
    param.m_engineNumbers[3] = 800;
    param.m_engineNumbers[4] = -5;  // out of range: the default
    graph = kvl::LGraph();
    symbols = kvl::LSymbols();
    return kvl::ReadRun(param, graph, symbols, request);
  }
  int NodeOf(SSymBase* s) const {
    for (size_t i = 0; i < symbols.nodes.size(); ++i)
      if (symbols.nodes[i] == s->Sym()) return int(i);
    return -1;
  }
  kvl::LResult AsTheyStand() const {
    kvl::LResult r;
    for (const kvl::LNode& n : graph.nodes) r.centres.push_back(n.box.Centre());
    r.routes.resize(graph.edges.size());
    return r;
  }
  std::vector<SSymRect> Rects() const { return {a->m_rect, b->m_rect, c->m_rect}; }
  static std::vector<SSymPoint> Points(const SSymListPt& list) {
    std::vector<SSymPoint> out;
    for (int i = 0; i < list.GetCount(); ++i) out.push_back(list[i]);
    return out;
  }

  SSymRectangle *a = nullptr, *b = nullptr, *c = nullptr;
  SSymLinkBase* ab = nullptr;
  kvl::LGraph graph;
  kvl::LSymbols symbols;
  kvl::LRequest request;
};

TEST_F(LayoutSymbols, NodesEdgesAndObstaclesAreReadInTheSubsetsOrder) {
  SSymLinkBase* again = PutLink(a, b, SSymListPt{{1000, 500}, {11000, 500}});  // a multi-link
  SSymLinkBase* self = PutLink(a, a, SSymListPt{{0, 500}, {-3000, 500}, {-3000, -2000}, {1000, 0}});
  SSymRectangle* hidden = PutBox(SSymRect(30000, 1000, 31000, 0));
  SSymLinkBase* toHidden = PutLink(b, hidden, SSymListPt{{11000, 500}, {30500, 500}});
  hidden->Sym()->Show(0);
  SSymLinkBase* loose = PutLink(a, c, SSymListPt{{1000, 500}, {20000, 3000}});
  loose->DetachEnd(1);
  self->ARState = 4;
  again->ARState = 2;

  ASSERT_EQ(Read({b, a}), kvl::LStatus::Ok);
  // b and a move, in that order; c stays; the hidden box is not read.
  ASSERT_EQ(graph.nodes.size(), 3u);
  EXPECT_EQ(NodeOf(b), 0);
  EXPECT_EQ(NodeOf(a), 1);
  EXPECT_EQ(NodeOf(c), 2);
  EXPECT_EQ(NodeOf(hidden), -1);
  EXPECT_FALSE(graph.nodes[0].fixed);
  EXPECT_TRUE(graph.nodes[2].fixed);
  EXPECT_EQ(graph.nodes[2].box, (kvl::LBox{20000, 3000, 20000, 3000})) << "size 0";
  EXPECT_EQ(graph.nodes[1].box, (kvl::LBox{0, 0, 2000, 1000}));
  // Both links between a and b, and the self-link; not the link to the
  // hidden box nor the loose one.
  ASSERT_EQ(graph.edges.size(), 3u);
  std::vector<ISSymbol*> links = symbols.links;
  EXPECT_NE(std::find(links.begin(), links.end(), ab->Sym()), links.end());
  EXPECT_NE(std::find(links.begin(), links.end(), again->Sym()), links.end());
  EXPECT_EQ(std::find(links.begin(), links.end(), toHidden->Sym()), links.end());
  EXPECT_EQ(std::find(links.begin(), links.end(), loose->Sym()), links.end());
  for (size_t k = 0; k < links.size(); ++k) {
    const kvl::LEdge& e = graph.edges[k];
    if (links[k] == ab->Sym()) {
      EXPECT_EQ(e.from, 1);
      EXPECT_EQ(e.to, 0);
      EXPECT_EQ(e.points.size(), 3u);
      EXPECT_EQ(e.keep, kvl::LRouteKeep::Nothing);
    } else if (links[k] == self->Sym()) {
      EXPECT_EQ(e.from, e.to);
      EXPECT_EQ(e.keep, kvl::LRouteKeep::Route);
    } else {
      EXPECT_EQ(e.keep, kvl::LRouteKeep::Ends);
    }
  }
  // The options: placement, spacings (out of range: the default), a seed
  // of the graph's own.
  EXPECT_EQ(request.orientation, kvl::LOrientation::LeftToRight);
  EXPECT_EQ(request.spacing.node, 800);
  EXPECT_EQ(request.spacing.layer, kvl::LSpacing().layer);
  const std::uint64_t seed = request.seed;
  ASSERT_EQ(Read({b, a}), kvl::LStatus::Ok);
  EXPECT_EQ(request.seed, seed);
}

TEST_F(LayoutSymbols, BadParametersAreRefused) {
  SComTable<ISSymbol> none;
  struct {
    const char* name;
    ISSymDiagram* diagram;
    SComTable<ISSymbol>*subset, *scope;
    LONG style;
    kvl::LStatus status;
  } cases[] = {
      {"no diagram", nullptr, &none, &none, 0, kvl::LStatus::BadInput},
      {"no tables", Diagram(), nullptr, nullptr, 0, kvl::LStatus::BadInput},
      {"the Basic style", Diagram(), &none, &none, SSymAutoLayoutStyle::Basic, kvl::LStatus::Unsupported},
      {"a style out of range", Diagram(), &none, &none, -7, kvl::LStatus::Unsupported},
      {"nothing to lay out", Diagram(), &none, &none, 0, kvl::LStatus::Ok},
  };
  for (const auto& k : cases) {
    SSymAutoLayoutParam param(k.diagram, k.subset, k.scope);
    param.m_options.m_nStyle = k.style;
    kvl::LGraph g;
    kvl::LSymbols s;
    kvl::LRequest r;
    EXPECT_EQ(kvl::ReadRun(param, g, s, r), k.status) << k.name;
  }
}

TEST_F(LayoutSymbols, AResultIsWrittenAllOrNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct {
    const char* name;
    double ax, ay;                     // a's new centre
    std::vector<kvl::LPoint> route;    // ab's new route
    size_t centres;                    // how many centres the result has
    int answer;
  } cases[] = {
      {"a centre that is not a number", nan, 0, {}, 3, int(kvl::LStatus::BadInput)},
      {"a node past the edge", 899500, 0, {}, 3, int(kvl::LStatus::TooLarge)},
      {"a route past the edge", 1000, 500, {{1000, 500}, {1000, -950000}, {11000, 500}}, 3, int(kvl::LStatus::TooLarge)},
      {"a route of one point", 1000, 500, {{1000, 500}}, 3, int(kvl::LStatus::BadInput)},
      {"centres missing", 1000, 500, {}, 2, int(kvl::LStatus::BadInput)},
      {"a good result", -5000, 2500, {{-5000, 2500}, {-5000, 500}, {11000, 500}}, 3, 0},
  };
  ASSERT_EQ(Read({a, b, c}), kvl::LStatus::Ok);
  const std::vector<SSymRect> before = Rects();
  const std::vector<SSymPoint> route = Points(ab->ListPt);
  for (const auto& k : cases) {
    kvl::LResult r = AsTheyStand();
    r.centres[size_t(NodeOf(a))] = {k.ax, k.ay};
    r.routes[0] = k.route;
    r.centres.resize(k.centres);
    const int steps = m_session->GetUndoCount();
    {
      SRepCreateContext step(Session());
      EXPECT_EQ(kvl::WriteResult(graph, symbols, r), k.answer) << k.name;
    }
    if (k.answer != 0) {
      EXPECT_EQ(Rects(), before) << k.name;
      EXPECT_EQ(Points(ab->ListPt), route) << k.name;
      continue;
    }
    EXPECT_EQ(a->m_rect, SSymRect(-6000, 3000, -4000, 2000)) << k.name;
    EXPECT_EQ(b->m_rect, before[1]) << k.name;
    EXPECT_EQ(Points(ab->ListPt), (std::vector<SSymPoint>{{-5000, 2500}, {-5000, 500}, {11000, 500}})) << k.name;
    // One undo step takes it all back.
    EXPECT_EQ(m_session->GetUndoCount(), steps + 1) << k.name;
    ASSERT_EQ(m_session->Undo(), S_OK);
    EXPECT_EQ(Rects(), before) << k.name;
    EXPECT_EQ(Points(ab->ListPt), route) << k.name;
  }
}

TEST_F(LayoutSymbols, ASymbolThatRefusesTakesBackWhatWasWritten) {
  TSym* stubborn = Make<TSym>(SSymRect(50000, 1000, 52000, 0));
  m_diagram->Add(stubborn->Sym());
  stubborn->m_failMove = 1;
  ASSERT_EQ(Read({a, stubborn}), kvl::LStatus::Ok);
  const std::vector<SSymRect> before = Rects();
  const SSymRect stubbornBefore = stubborn->m_rect;
  kvl::LResult r = AsTheyStand();
  for (kvl::LPoint& p : r.centres) p.x += 7000;
  SRepCreateContext step(Session());
  EXPECT_EQ(kvl::WriteResult(graph, symbols, r), kvl::kRefused);
  EXPECT_EQ(Rects(), before);
  EXPECT_EQ(stubborn->m_rect, stubbornBefore);
}

// ---- composites ---------------------------------------------------------------------------------------------

class LayoutComposites : public LinkFixtureOf<CompFixture> {
 protected:
  // Puts a symbol inside a composite, through the composite's own children.
  static void Into(TCompSym* comp, SSymBase* s) {
    static_cast<SSymBase*>(SSymBase::FromInterface(comp->CompSym()->GetCompSymbol()))
        ->Collection(SymAttr::Symbols)
        ->Insert(s->Obj(), -1);
  }
};

TEST_F(LayoutComposites, ACompositeIsOneNodeAndLinksInsideItAreItsOwn) {
  TCompSym* outer = Place<TCompSym>(DiagramOwner(), SSymRect(0, 36000, 48000, 0));
  TCompSym* inner = Make<TCompSym>(SSymRect(1000, 20000, 20000, 1000));
  Into(outer, inner);
  SSymRectangle* deep = Box(SSymRect(2000, 5000, 4000, 3000));
  Into(inner, deep);
  SSymRectangle* beside = Box(SSymRect(30000, 5000, 32000, 3000));
  Into(outer, beside);
  SSymRectangle* away = PutBox(SSymRect(90000, 5000, 92000, 3000));
  SSymLinkBase* out = PutLink(deep, away, SSymListPt{{4000, 4000}, {90000, 4000}});
  SSymLinkBase* within = PutLink(deep, beside, SSymListPt{{4000, 4000}, {30000, 4000}});

  SComTable<ISSymbol> all;
  for (SSymBase* sym : std::vector<SSymBase*>{outer, away, out, within}) all.Add(sym->Sym());
  SSymAutoLayoutParam param(Diagram(), &all, &all);
  param.GetValueMap(SSymAutoLayoutValueMapKey::CompositeGroup).SetAt(outer->Sym(), SRepVariant::Long(7));
  kvl::LGraph graph;
  kvl::LSymbols symbols;
  kvl::LRequest request;
  ASSERT_EQ(kvl::ReadRun(param, graph, symbols, request), kvl::LStatus::Ok);
  // The outer composite and the box away: the symbols inside move with it.
  ASSERT_EQ(symbols.nodes, (std::vector<ISSymbol*>{outer->Sym(), away->Sym()}));
  EXPECT_EQ(graph.nodes[0].group, 7);
  EXPECT_EQ(graph.nodes[1].group, -1);
  // The link that leaves it ends on it; the one inside is not the layout's.
  ASSERT_EQ(symbols.links, std::vector<ISSymbol*>{out->Sym()});
  EXPECT_EQ(graph.edges[0].from, 0);
  EXPECT_EQ(graph.edges[0].to, 1);
}

}  // namespace
