// The diagram window on a diagram of 10,000 labelled boxes (a 100 x 100
// grid, one inch apart, a text each) and 9,999 links (each box to its right
// neighbour, the last of a row to the box below): a full-window paint at 100
// percent, a paint of a 200-pixel invalid rectangle, and hit tests at random
// points.
//
// Counter: the resident memory the scene took per labelled box with its
// link (kB_per_symbol: the process's resident memory after building and
// painting the diagram once, less before, over the number of boxes).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "kvrep/srepsession.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symview.h"
#include "sym/links/symlinksym.h"
#include "sym/shapes/symrectfamily.h"
#include "win/winuser.h"

namespace {

constexpr int kSide = 100;

// Resident memory of the process in kB ("VmRSS:" of /proc/self/status).
double ResidentKB() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr);
  return 0;
}

struct Scene {
  explicit Scene(SIZE window) {
    const double before = ResidentKB();
    KvWindowsReset();
    session = new SRepSession();
    session->AddRef();
    diagramObj = Make(CLSID_SSymDiagram);
    diagram = SSymDiagram::FromInterface(diagramObj);
    std::vector<SSymSolidText*> boxes;
    for (int i = 0; i < kSide * kSide; ++i) {
      const LONG x = (i % kSide) * 7200 - 360000, y = (i / kSide) * 7200 - 360000;
      auto* b = dynamic_cast<SSymSolidText*>(SRepObject::FromInterface(Make(CLSID_SSymRectangle)));
      b->InitialSymRect(SSymRect(x, y + 3600, x + 4800, y));
      b->SetText(SString::Format("N%d", i), 0);
      diagram->Add(b->Sym());
      boxes.push_back(b);
    }
    for (int i = 0; i + 1 < kSide * kSide; ++i) {
      const int j = i % kSide == kSide - 1 ? i + kSide : i + 1;
      if (j >= kSide * kSide) continue;
      auto* l = dynamic_cast<SSymLinkBase*>(SRepObject::FromInterface(Make(CLSID_SSymLinkSym)));
      const SSymPoint pa = boxes[i]->m_rect.GetCenter(), pb = boxes[j]->m_rect.GetCenter();
      l->ListPt = SSymListPt{pa, pb};
      l->AttachSym(0, boxes[i]->Linkable(), pa);
      l->AttachSym(1, boxes[j]->Linkable(), pb);
      diagram->Add(l->Sym());
      links.push_back(l);
    }
    view = new SSymView();
    view->CreateEx(0, nullptr, u"", WS_VISIBLE, RECT{0, 0, window.cx, window.cy}, nullptr, 0);
    view->SetDiagram(diagram->Diagram());
    view->SetState((view->GetState() | SSymView::StateAllowErase) & ~SSymView::StateSuspended);
    view->GetCanvas().SetZoomLevel(100.0, SSymPoint(0, 0));
    Paint(nullptr);  // first drawing: symbols initialised, the index built
    kBPerSymbol = (ResidentKB() - before) / (kSide * kSide);
  }
  ~Scene() {
    view->DestroyWindow();
    KvWindowsReset();
    for (SSymLinkBase* l : links) {
      l->DetachEnd(0);
      l->DetachEnd(1);
    }
    for (auto it = made.rbegin(); it != made.rend(); ++it) (*it)->Release();
    session->Release();
  }
  ISRepObject* Make(REFCLSID clsid) {
    void* p = nullptr;
    session->CreateObject(clsid, IID_ISRepObject, &p);
    if (clsid != CLSID_SSymDiagram) made.push_back(static_cast<ISRepObject*>(p));
    return static_cast<ISRepObject*>(p);
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
  std::vector<SSymLinkBase*> links;
  double kBPerSymbol = 0;
};

void BM_PaintFullWindowOf10000(benchmark::State& state) {
  Scene s(SIZE{1280, 1024});
  for (auto _ : state) s.Paint(nullptr);
  state.counters["kB_per_symbol"] = s.kBPerSymbol;
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
