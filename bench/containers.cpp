// Sorted map insertion and lookup, and sorted reference bag insertion.
#include <benchmark/benchmark.h>

#include <vector>

#include "kvcore/scomds.h"
#include "kvcore/stree.h"

namespace {

void BM_SMapInsert(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    SMap<int, int> m;
    for (int i = 0; i < n; ++i) m.SetAt((i * 7919) % n, i);
    benchmark::DoNotOptimize(m.GetCount());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SMapInsert)->Arg(1000)->Arg(100000);

void BM_SMapFind(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  SMap<int, int> m;
  for (int i = 0; i < n; ++i) m.SetAt(i, i);
  int k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(m.Find(k));
    k = (k + 7919) % n;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SMapFind)->Arg(1000)->Arg(100000);

struct Obj final : IUnknown {
  HRESULT QueryInterface(REFIID, void** ppv) override {
    *ppv = this;
    return S_OK;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
};
}  // namespace

template <>
struct SComTraits<Obj> {
  [[maybe_unused]] static constexpr const IID* piid = &IID_IUnknown;
};

namespace {
void BM_SComBagInsert(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<Obj> objs(static_cast<std::size_t>(n));
  for (auto _ : state) {
    SComBag<Obj> bag;
    for (int i = 0; i < n; ++i) bag.Add(&objs[static_cast<std::size_t>((i * 7919) % n)]);
    benchmark::DoNotOptimize(bag.GetCount());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SComBagInsert)->Arg(1000)->Arg(10000)->Arg(100000);

// The same fill read back by position after each tenth of it (every read
// merges what was appended since the last one).
void BM_SComBagInsertAndRead(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<Obj> objs(static_cast<std::size_t>(n));
  for (auto _ : state) {
    SComBag<Obj> bag;
    for (int i = 0; i < n; ++i) {
      bag.Add(&objs[static_cast<std::size_t>((i * 7919) % n)]);
      if (i % (n / 10) == 0) benchmark::DoNotOptimize(bag.GetAt(0));
    }
    benchmark::DoNotOptimize(bag.GetCount());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SComBagInsertAndRead)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace
