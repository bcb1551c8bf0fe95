// Links: moving one symbol of a diagram of 1,000 symbols and 1,500 links
// (its links follow it, and the crossings of all links are recomputed with
// every other link), and the crossings of all 1,500 links at once. The links
// really cross: every cell of the grid holds two diagonals that cross in its
// middle, besides the links along the rows.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/boxlinkscene.h"
#include "sym/layout/symedgerouter.h"

namespace {

struct Diagram : BoxLinkScene {
  Diagram() {
    // A 40 x 25 grid of boxes. Cell by cell, row after row: the two
    // diagonals of the cell (box to the box below right, and its right
    // neighbour to the box below), which cross, and the link along the row;
    // 1,500 links in all, 500 pairs of them crossing.
    for (int i = 0; i < 1000; ++i) {
      const LONG x = (i % 40) * 3000, y = (i / 40) * 3000;
      boxes.push_back(Make<SSymRectangle>(CLSID_SSymRectangle));
      boxes.back()->m_rect = SSymRect(x, y + 1000, x + 1000, y);
    }
    for (int i = 0; i + 41 < 1000 && links.size() < 1500; ++i) {
      if (i % 40 == 39) continue;
      Link(i, i + 41);
      Link(i + 1, i + 40);
      Link(i, i + 1);
    }
  }
  ~Diagram() { SSymEdgeRouter::Instance().Clear(); }
};

// The number of links that carry a crossing (of two links that cross, one
// carries it: the one drawn with the bridge).
std::size_t Crossed(const SSymEdgeRouter::CrossingMap& crossings) {
  std::size_t n = 0;
  for (const auto& [link, points] : crossings) n += points.GetCount() > 0 ? 1 : 0;
  return n;
}

void BM_MoveOneSymbolOfAThousand(benchmark::State& state) {
  Diagram d;
  SSymRectangle* moved = d.boxes[500];
  SComBag<ISSymbol> all;
  for (SSymLinkBase* l : d.links) all.Add(l->Sym());
  // The links of the moved symbol must follow it (else nothing is re-routed).
  SSymLinkBase* follower = nullptr;
  for (SSymLinkBase* l : d.links)
    if (l->ListPt.GetCount() > 0 && l->ListPt.GetAt(0) == moved->m_rect.GetCenter()) follower = l;
  const SSymPoint was = follower ? follower->ListPt.GetAt(0) : SSymPoint();
  moved->MoveBy(SSymSize(100, 0), 0);
  const bool follows = follower && !(follower->ListPt.GetAt(0) == was);
  moved->MoveBy(SSymSize(-100, 0), 0);
  if (!follows) {
    state.SkipWithError("the moved symbol's links do not follow it");
    return;
  }
  LONG step = 100;
  std::size_t crossed = 0;
  for (auto _ : state) {
    moved->MoveBy(SSymSize(step, 0), 0);
    step = -step;
    crossed = Crossed(SSymEdgeRouter::Instance().ComputeIntersections(all));
  }
  // Links with crossings (a scene without any would measure nothing).
  state.counters["crossed_links"] = static_cast<double>(crossed);
}
BENCHMARK(BM_MoveOneSymbolOfAThousand)->Unit(benchmark::kMillisecond);

void BM_CrossingsOfAllLinks(benchmark::State& state) {
  Diagram d;
  SComBag<ISSymbol> all;
  for (SSymLinkBase* l : d.links) all.Add(l->Sym());
  std::size_t crossed = 0;
  for (auto _ : state) crossed = Crossed(SSymEdgeRouter::Instance().ComputeIntersections(all));
  state.counters["links"] = static_cast<double>(all.GetCount());
  state.counters["crossed_links"] = static_cast<double>(crossed);
}
BENCHMARK(BM_CrossingsOfAllLinks)->Unit(benchmark::kMillisecond);

}  // namespace
