// The library's own layout run on a diagram of N boxes and 1.5 N links (a
// grid of boxes, each linked to its right neighbour, every other one to the
// box below, and further links to the box two rows down), at N = 1,000,
// 3,000 and 10,000; the growth is fitted over the three. Each run is undone
// outside the timing, so every run starts from the same diagram.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/boxlinkscene.h"
#include "sym/diagram/symdiagram.h"
#include "sym/layout/symautolayout.h"

namespace {

struct Scene : BoxLinkScene {
  explicit Scene(int n) {
    void* p = nullptr;
    session->CreateObject(CLSID_SSymDiagram, IID_ISRepObject, &p);
    diagramObj = static_cast<ISRepObject*>(p);
    diagram = SSymDiagram::FromInterface(diagramObj);
    const int columns = 40;
    for (int i = 0; i < n; ++i) {
      const LONG x = (i % columns) * 3000, y = (i / columns) * 3000;
      auto* b = Make<SSymRectangle>(CLSID_SSymRectangle);
      b->InitialSymRect(SSymRect(x, y + 1000, x + 1000, y));
      diagram->Add(b->Sym());
      boxes.push_back(b);
    }
    const std::size_t want = static_cast<std::size_t>(n) * 3 / 2;
    for (int i = 0; i < n && links.size() < want; ++i) {
      if (i % columns != columns - 1 && i + 1 < n) Link(i, i + 1);
      if (i % 2 == 0 && i + columns + 1 < n) Link(i, i + columns + 1);
    }
    for (int i = 0; links.size() < want && i + 2 * columns < n; ++i) Link(i, i + 2 * columns);
  }
  void Link(int a, int b) { diagram->Add(BoxLinkScene::Link(a, b)->Sym()); }
  SSymDiagram* diagram;
};

void BM_OwnLayout(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    SSymAutoLayoutParam param(scene.diagram->Diagram());
    param.m_options.m_bAutomatic = 0;
    SSymAutoLayout layout(param);
    benchmark::DoNotOptimize(layout.Invoke());
    state.PauseTiming();
    scene.session->Undo();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
  state.counters["links"] = static_cast<double>(scene.links.size());
}
BENCHMARK(BM_OwnLayout)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
