// What a user does to a large diagram, at 1,000, 10,000 and 100,000: creating
// labelled boxes with one and a half links per box through the diagram's Add,
// selecting everything, deleting everything as one step with its undo and
// redo, and hit tests in the diagram window. Every figure is processor time.
// The hit test reports kB_per_symbol: the resident memory its scene took
// (boxes, links, the window's first drawing) per labelled box with its one
// and a half links; run it alone (--benchmark_filter=HitTest) for a figure
// that freed memory of earlier scenes does not hide.
//
// The scene: boxes on a square grid, each linked to its right neighbour, every
// other one to the box below and the rest to the box two to the right, every
// link with an arrowhead at its target.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "apps/symhost/hostsymbols.h"
#include "bench/boxlinkscene.h"
#include "bench/resident.h"
#include "kvrep/srepsession.h"
#include "sym/diagram/symdiagram.h"
#include "sym/edit/symviewedit.h"
#include "sym/links/symlinksym.h"
#include "win/winuser.h"

namespace {

constexpr LONG kPitch = 3000, kBoxW = 1600, kBoxH = 1000;

struct Scene {
  Scene(int boxes, int links) {
    KvWindowsReset();
    session = new SRepSession();
    session->AddRef();
    void* p = nullptr;
    session->CreateObject(CLSID_SSymDiagram, IID_ISRepObject, &p);
    diagramObj = static_cast<ISRepObject*>(p);
    diagram = SSymDiagram::FromInterface(diagramObj);
    side = std::max(2, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(boxes)))));
    for (int i = 0; i < boxes; ++i) {
      const LONG x = (i % side) * kPitch, y = -(i / side) * kPitch;
      auto* b = new SHostBox(session, SSymRect(x, y, x + kBoxW, y - kBoxH));
      b->AddRef();
      b->SetSession(session);
      b->SetText(SString::Format("N%d", i), 0);
      made.push_back(SSymGetRepObject(b->Sym()));
      box.push_back(b);
      diagram->Add(b->Sym());
    }
    for (int i = 0; static_cast<int>(link.size()) < links; ++i) {
      const int a = i % boxes, round = i / boxes;
      const int b = round == 0 ? a + 1 : (round == 1 && a % 2 == 0 ? a + side : a + 2);
      // Links stay within their row (no link runs back across the diagram).
      if (b < boxes && (b - a == side || a % side < side - (b - a))) Link(a, b);
      if (round > 3 && link.empty()) break;
    }
  }
  ~Scene() {
    view.reset();
    KvWindowsReset();
    for (SSymLinkBase* l : link) {
      l->DetachEnd(0);
      l->DetachEnd(1);
    }
    for (auto it = made.rbegin(); it != made.rend(); ++it) (*it)->Release();
    diagramObj->Release();
    session->Release();
  }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  void Link(int a, int b) {
    void* p = nullptr;
    session->CreateObject(CLSID_SSymLinkSym, IID_ISRepObject, &p);
    made.push_back(static_cast<ISRepObject*>(p));
    auto* l = dynamic_cast<SSymLinkBase*>(SRepObject::FromInterface(static_cast<ISRepObject*>(p)));
    const SSymPoint pa = box[static_cast<std::size_t>(a)]->m_rect.GetCenter();
    const SSymPoint pb = box[static_cast<std::size_t>(b)]->m_rect.GetCenter();
    l->ListPt = SSymListPt{pa, pb};
    l->AttachSym(0, box[static_cast<std::size_t>(a)]->Linkable(), pa);
    l->AttachSym(1, box[static_cast<std::size_t>(b)]->Linkable(), pb);
    l->SetArrow(2, 1, 0);
    link.push_back(l);
    diagram->Add(l->Sym());
  }
  SSymRect Extent() const {
    const int rows = (static_cast<int>(box.size()) + side - 1) / side;
    return SSymRect(-kPitch, kPitch, (side + 1) * kPitch, -(rows + 1) * kPitch);
  }
  // An editing window on the diagram (its selection selects).
  SSymViewEdit& View(SIZE window = SIZE{400, 300}) {
    if (!view) {
      view = std::make_unique<SSymViewEdit>();
      view->CreateEx(0, nullptr, u"", WS_VISIBLE, RECT{0, 0, window.cx, window.cy}, nullptr, 0);
      view->SetDiagram(diagram->Diagram());
      view->SetState(view->GetState() & ~SSymView::StateSuspended);
    }
    return *view;
  }

  SRepSession* session;
  ISRepObject* diagramObj;
  SSymDiagram* diagram;
  int side = 2;
  std::vector<ISRepObject*> made;  // each counted once
  std::vector<SHostBox*> box;
  std::vector<SSymLinkBase*> link;
  std::unique_ptr<SSymViewEdit> view;
};

// N boxes and 1.5 N links, each made and added through the diagram.
void BM_CreateThroughDiagram(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto scene = std::make_unique<Scene>(n, n * 3 / 2);
    state.PauseTiming();
    if (scene->diagram->GetCount() != n + n * 3 / 2) state.SkipWithError("symbols missing");
    scene.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_CreateThroughDiagram)->Arg(1000)->Arg(3000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

// Selecting all N symbols (0.4 N boxes, 0.6 N links) by a frame around the
// whole diagram.
void BM_SelectAll(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Scene scene(n * 2 / 5, n * 3 / 5);
  SSymViewEdit& view = scene.View();
  for (auto _ : state) {
    scene.diagram->AddSymInRectToSel(scene.Extent(), view.GetSelection(), 1);
    benchmark::DoNotOptimize(view.GetSelection()->GetCount());
  }
  if (view.GetSelection()->GetCount() != n) state.SkipWithError("not all selected");
  state.SetComplexityN(n);
}
BENCHMARK(BM_SelectAll)->Arg(1000)->Arg(3000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

// Deleting all N symbols (0.4 N boxes, 0.6 N links) as one step (phase 0),
// undoing it (1) and redoing it (2); only the phase named is timed.
void BM_DeleteStep(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int phase = static_cast<int>(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    auto scene = std::make_unique<Scene>(n * 2 / 5, n * 3 / 5);
    auto run = [&](int which) {
      if (which == phase) state.ResumeTiming();
      if (which == 0) {
        SRepCreateContext step(static_cast<ISRepSession*>(scene->session));
        for (ISRepObject* o : scene->made) o->Delete();
      } else if (which == 1) {
        scene->session->Undo();
      } else {
        scene->session->Redo();
      }
      if (which == phase) state.PauseTiming();
    };
    for (int which = 0; which <= phase; ++which) run(which);
    const int expected = phase == 1 ? n : 0;
    if (scene->diagram->GetCount() != expected) state.SkipWithError("wrong count after the phase");
    scene.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_DeleteStep)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1, 2}})
    ->ArgNames({"symbols", "phase"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Hit tests at random points of a diagram of N boxes and 1.5 N links.
void BM_HitTestWithLinks(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const double before = ResidentKB();
  Scene scene(n, n * 3 / 2);
  SSymViewEdit& view = scene.View();
  view.GetCanvas().SetZoomLevel(100.0, SSymPoint(0, 0));
  ::InvalidateRect(view.GetSafeHwnd(), nullptr, TRUE);
  ::UpdateWindow(view.GetSafeHwnd());  // first drawing: symbols initialised, the index built
  // Taken at the first scene of each size: later runs of the benchmark
  // build theirs in the memory the earlier ones freed.
  static std::map<int, double> perSymbol;
  perSymbol.try_emplace(n, (ResidentKB() - before) / n);
  state.counters["kB_per_symbol"] = perSymbol[n];
  const std::vector<SSymPoint> points = RandomPointsIn(scene.Extent(), 4096);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(view.HitTest(points[i], 0, nullptr));
    i = (i + 1) & 4095;
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_HitTestWithLinks)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kNanosecond);

}  // namespace
