// Reading pending state: with N changes pending in a lockout context (a
// move and a change of the modification date for each of N / 2 symbols),
// every symbol's date and rectangle are read once. The context indexes its pending records per
// object, so a read pays only for its own object's records and the whole
// pass grows linearly with N (reported per change as time_per_change).
#include <benchmark/benchmark.h>

#include <vector>

#include "kvrep/srepsession.h"
#include "sym/symbol/symbase.h"

namespace {

class BSym : public SSymBase {
 public:
  explicit BSym(ISRepSession* s) : SSymBase(SSymRect(0, 3600, 4800, 0), s) {}
  HRESULT Draw(SSymCanvas&) override { return S_OK; }
  int GetSymbolType() override { return 3; }
};

void BM_ReadPendingState(benchmark::State& state) {
  const int changes = static_cast<int>(state.range(0));
  const int count = changes / 2;
  auto* session = new SRepSession();
  session->AddRef();
  std::vector<BSym*> symbols;
  symbols.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    auto* s = new BSym(session);
    s->AddRef();
    s->SetSession(session);
    symbols.push_back(s);
  }
  {
    SRepLockoutContext lock(session);
    // Each symbol: a move, then a date change (which also keeps the next
    // symbol's move from joining this one's record).
    SRepVariant date;
    date.SetDATE(7);
    for (BSym* s : symbols) {
      s->MoveBy(SSymSize(100, 100), 0);
      s->SetAttribute(SymAttr::MDAT, date);
    }
    if (lock.GetContext()->GetActionCount() != changes) state.SkipWithError("changes were not all pending");
    for (auto _ : state) {
      long sum = 0;
      SRepVariant value;
      for (BSym* s : symbols) {
        s->GetAttribute(SymAttr::MDAT, &value);
        sum += s->GetClipRect(0, 0).x1 + value.GetLONG();
      }
      benchmark::DoNotOptimize(sum);
      if (sum != static_cast<long>(count) * (100 + 7)) state.SkipWithError("a read missed its pending records");
    }
  }
  state.counters["time_per_change"] =
      benchmark::Counter(static_cast<double>(changes), benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
  for (BSym* s : symbols) s->Release();
  session->Release();
}
BENCHMARK(BM_ReadPendingState)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
