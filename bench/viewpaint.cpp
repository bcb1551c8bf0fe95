// The diagram window on a diagram of 10,000 boxes (a 100 x 100 grid, one
// inch apart): a full-window paint at 100 percent, a
// paint of a 200-pixel invalid rectangle, and hit tests at random points.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "kvrep/srepsession.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symview.h"
#include "sym/shapes/symrectfamily.h"
#include "win/winuser.h"

namespace {

struct Scene {
  explicit Scene(SIZE window) {
    KvWindowsReset();
    session = new SRepSession();
    session->AddRef();
    void* p = nullptr;
    session->CreateObject(CLSID_SSymDiagram, IID_ISRepObject, &p);
    diagramObj = static_cast<ISRepObject*>(p);
    diagram = SSymDiagram::FromInterface(diagramObj);
    for (int i = 0; i < 10000; ++i) {
      const LONG x = (i % 100) * 7200 - 360000, y = (i / 100) * 7200 - 360000;
      void* q = nullptr;
      session->CreateObject(CLSID_SSymRectangle, IID_ISRepObject, &q);
      made.push_back(static_cast<ISRepObject*>(q));
      auto* b = dynamic_cast<SSymRectangle*>(SRepObject::FromInterface(static_cast<ISRepObject*>(q)));
      b->InitialSymRect(SSymRect(x, y + 3600, x + 4800, y));
      diagram->Add(b->Sym());
    }
    view = new SSymView();
    view->CreateEx(0, nullptr, u"", WS_VISIBLE, RECT{0, 0, window.cx, window.cy}, nullptr, 0);
    view->SetDiagram(diagram->Diagram());
    view->SetState((view->GetState() | SSymView::StateAllowErase) & ~SSymView::StateSuspended);
    view->GetCanvas().SetZoomLevel(100.0, SSymPoint(0, 0));
    Paint(nullptr);  // first drawing: symbols initialised, the index built
  }
  ~Scene() {
    view->DestroyWindow();
    KvWindowsReset();
    for (auto it = made.rbegin(); it != made.rend(); ++it) (*it)->Release();
    diagramObj->Release();
    session->Release();
  }
  void Paint(const RECT* r) {
    ::InvalidateRect(view->GetSafeHwnd(), r, TRUE);
    ::UpdateWindow(view->GetSafeHwnd());
  }
  SRepSession* session;
  ISRepObject* diagramObj;
  SSymDiagram* diagram;
  SSymView* view;
  std::vector<ISRepObject*> made;
};

void BM_PaintFullWindowOf10000(benchmark::State& state) {
  Scene s(SIZE{1280, 1024});
  for (auto _ : state) s.Paint(nullptr);
}
BENCHMARK(BM_PaintFullWindowOf10000)->Unit(benchmark::kMillisecond);

void BM_Paint200PixelRectOf10000(benchmark::State& state) {
  Scene s(SIZE{1280, 1024});
  const RECT r{500, 400, 700, 600};
  for (auto _ : state) s.Paint(&r);
}
BENCHMARK(BM_Paint200PixelRectOf10000)->Unit(benchmark::kMicrosecond);

void BM_HitTestOf10000(benchmark::State& state) {
  Scene s(SIZE{400, 300});
  std::mt19937 rng(7);
  std::uniform_int_distribution<LONG> at(-370000, 370000);
  std::vector<SSymPoint> points;
  for (int i = 0; i < 4096; ++i) points.emplace_back(at(rng), at(rng));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.view->HitTest(points[i], 0, nullptr));
    i = (i + 1) & 4095;
  }
}
BENCHMARK(BM_HitTestOf10000)->Unit(benchmark::kNanosecond);

}  // namespace
