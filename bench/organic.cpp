// The organic style on data models of 300, 1,000 and 3,000 tables, against
// graphviz's sfdp and neato run as processes on the same graph with overlap
// removal on. Every engine's drawing is counted the same way: crossings of
// the straight lines between centres, and overlapping boxes.
#include <benchmark/benchmark.h>

#include "bench/layoutyardstick.h"
#include "kvlayout/engine/organic.h"
#include "tests/support/layout_graphs.h"

namespace {

void Report(benchmark::State& state, const kvl::LGraph& g, const std::vector<kvl::LPoint>& centres) {
  state.counters["crossings"] = double(yardstick::CountCrossings(yardstick::StraightRoutes(g, centres)));
  state.counters["overlaps"] = double(kvl::CountOverlaps(centres, yardstick::Sizes(g), 1));
}

void BM_Organic(benchmark::State& state) {
  const kvl::LGraph g = kvtest::MakeLayoutGraph(kvtest::LayoutFamily::DataModel, int(state.range(0)), 11);
  kvl::LResult r;
  for (auto _ : state) {
    kvl::LResult out;
    if (kvl::LayoutOrganic(g, {}, out) != kvl::LStatus::Ok) state.SkipWithError("layout failed");
    benchmark::DoNotOptimize(out.centres.data());
    r = std::move(out);
  }
  Report(state, g, r.centres);
}
BENCHMARK(BM_Organic)->Arg(300)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

void Graphviz(benchmark::State& state, const char* program) {
  const kvl::LGraph g = kvtest::MakeLayoutGraph(kvtest::LayoutFamily::DataModel, int(state.range(0)), 11);
  const std::string dot = yardstick::ToDot(g, false, "overlap=false;");
  std::vector<kvl::LPoint> centres;
  for (auto _ : state)
    if (!yardstick::RunGraphviz(program, dot, centres)) state.SkipWithError("graphviz is not installed");
  if (centres.size() == g.nodes.size()) Report(state, g, centres);
}
void BM_Sfdp(benchmark::State& state) { Graphviz(state, "sfdp"); }
void BM_Neato(benchmark::State& state) { Graphviz(state, "neato"); }
BENCHMARK(BM_Sfdp)->Arg(300)->Arg(1000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Neato)->Arg(300)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
