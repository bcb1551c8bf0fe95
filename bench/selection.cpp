// The selection of an editing window over a whole diagram of 10,000 symbols
// (4,000 boxes on a square grid, 6,000 links between neighbours): selecting
// every symbol, trimming that selection for a move, drawing its handles in
// the window, and hit tests among the selected symbols at random points.
// Every figure is processor time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "bench/editgridscene.h"
#include "win/winuser.h"

namespace {


struct Scene : EditGridScene {
  explicit Scene(int symbols) : EditGridScene(symbols * 2 / 5) {
    const int boxCount = static_cast<int>(boxes.size());
    // Each box to its right neighbour, then every other one to the one below.
    for (int i = 0; static_cast<int>(links.size()) < symbols - boxCount; ++i) {
      const int a = i % boxCount, b = i < boxCount ? a + 1 : a + side;
      if (b >= boxCount || (i < boxCount && a % side == side - 1)) continue;
      diagram->Add(Link(a, b)->Sym());
    }
    OpenWindow(400, 300);
    view->GetCanvas().SetZoomLevel(100.0, SSymPoint(0, 0));
    Paint();  // first drawing: symbols initialised, the index built
  }

  // Every symbol of the diagram as one bulk change: the boxes, then the links.
  void SelectAll() {
    SSymSelection& sel = *view->GetSelection();
    SSymSelChangeNotifyOff quiet;
    sel.Clear(0);
    for (SSymRectangle* b : boxes) sel.Add(b->Sym(), 0);
    for (SSymLinkBase* l : links) sel.Add(l->Sym(), 0);
  }
};

void BM_SelectEverySymbol(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    scene.SelectAll();
    benchmark::DoNotOptimize(scene.view->SelectionCount());
  }
  if (scene.view->SelectionCount() != state.range(0)) state.SkipWithError("not all selected");
}
BENCHMARK(BM_SelectEverySymbol)->Arg(10000)->Unit(benchmark::kMillisecond);

// The trim a move makes first: every link between selected symbols is
// selected already, so the selection stays as it is from run to run.
void BM_TrimSelectionForMove(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)));
  scene.SelectAll();
  SSymSelection& sel = *scene.view->GetSelection();
  for (auto _ : state) scene.view->UpdateSelection(sel, SSymViewEdit::OpMove);
  if (sel.GetCount() != state.range(0)) state.SkipWithError("the trim changed the selection");
}
BENCHMARK(BM_TrimSelectionForMove)->Arg(10000)->Unit(benchmark::kMillisecond);

// The handles of every selected symbol drawn in the window (a second
// drawing erases them: two runs leave the window as it was).
void BM_DrawSelectionHandles(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)));
  scene.SelectAll();
  SSymViewEdit& view = *scene.view;
  SSymView::LockCanvas lock(&view);
  for (auto _ : state) view.GetSelection()->DrawHandles(view.GetCanvas());
}
BENCHMARK(BM_DrawSelectionHandles)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_HitTestAmongSelected(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)));
  scene.SelectAll();
  const SSymSelection& sel = *scene.view->GetSelection();
  SSymCanvas& canvas = scene.view->GetCanvas();
  const std::vector<SSymPoint> points = RandomPointsIn(scene.Extent(), 4096);
  std::size_t i = 0;
  int handle = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sel.HitTest(canvas, points[i], &handle));
    i = (i + 1) & 4095;
  }
}
BENCHMARK(BM_HitTestAmongSelected)->Arg(10000)->Unit(benchmark::kNanosecond);

}  // namespace
