// Links: moving one symbol of a diagram of 1,000 symbols and 1,500 links
// (its links re-route and their crossings are recomputed), and the crossings
// of all 1,500 links at once.
#include <benchmark/benchmark.h>

#include <vector>

#include "kvrep/srepsession.h"
#include "sym/layout/symedgerouter.h"
#include "sym/links/symlinksym.h"
#include "sym/shapes/symrectfamily.h"

namespace {

struct Diagram {
  Diagram() {
    session = new SRepSession();
    session->AddRef();
    // A 40 x 25 grid of boxes; each box links to its right neighbour, and
    // every other one to the box below: 1,500 links, many of them crossing.
    for (int i = 0; i < 1000; ++i) {
      const LONG x = (i % 40) * 3000, y = (i / 40) * 3000;
      boxes.push_back(Make<SSymRectangle>(CLSID_SSymRectangle));
      boxes.back()->m_rect = SSymRect(x, y + 1000, x + 1000, y);
    }
    for (int i = 0; i < 1000 && links.size() < 1500; ++i) {
      if (i % 40 != 39) Link(i, i + 1);
      if (i % 2 == 0 && i + 41 < 1000) Link(i, i + 41);
    }
    for (int i = 0; links.size() < 1500; ++i) Link(i, i + 80);
  }
  ~Diagram() {
    SSymEdgeRouter::Instance().Clear();
    for (SSymLinkBase* l : links) {
      l->DetachEnd(0);
      l->DetachEnd(1);
    }
    for (auto it = made.rbegin(); it != made.rend(); ++it) (*it)->Release();
    session->Release();
  }
  template <class T>
  T* Make(REFCLSID clsid) {
    void* p = nullptr;
    session->CreateObject(clsid, IID_ISRepObject, &p);
    made.push_back(static_cast<ISRepObject*>(p));
    return dynamic_cast<T*>(SRepObject::FromInterface(static_cast<ISRepObject*>(p)));
  }
  void Link(int a, int b) {
    auto* l = Make<SSymLinkBase>(CLSID_SSymLinkSym);
    const SSymPoint pa = boxes[a]->m_rect.GetCenter(), pb = boxes[b]->m_rect.GetCenter();
    l->ListPt = SSymListPt{pa, pb};
    l->AttachSym(0, boxes[a]->Linkable(), pa);
    l->AttachSym(1, boxes[b]->Linkable(), pb);
    links.push_back(l);
  }
  SRepSession* session;
  std::vector<ISRepObject*> made;
  std::vector<SSymRectangle*> boxes;
  std::vector<SSymLinkBase*> links;
};

void BM_MoveOneSymbolOfAThousand(benchmark::State& state) {
  Diagram d;
  SSymRectangle* moved = d.boxes[500];
  LONG step = 100;
  for (auto _ : state) {
    moved->MoveBy(SSymSize(step, 0), 0);
    step = -step;
    SComBag<ISSymbol> touched;
    const SComBag<ISSymLink>& links = moved->GetLinks();
    for (int i = 0; i < links.GetCount(); ++i) touched.Add(SComWrap<ISSymbol>(links.GetAt(i)).Get());
    benchmark::DoNotOptimize(SSymEdgeRouter::Instance().ComputeIntersections(touched).size());
  }
}
BENCHMARK(BM_MoveOneSymbolOfAThousand)->Unit(benchmark::kMillisecond);

void BM_CrossingsOfAllLinks(benchmark::State& state) {
  Diagram d;
  SComBag<ISSymbol> all;
  for (SSymLinkBase* l : d.links) all.Add(l->Sym());
  for (auto _ : state) benchmark::DoNotOptimize(SSymEdgeRouter::Instance().ComputeIntersections(all).size());
  state.counters["links"] = static_cast<double>(all.GetCount());
}
BENCHMARK(BM_CrossingsOfAllLinks)->Unit(benchmark::kMillisecond);

}  // namespace
