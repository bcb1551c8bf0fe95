// The orthogonal style on random connected DAGs of 100 and 300 nodes (the
// shaped placement) and 1,000 nodes (the grid placement), 1.5 links a node,
// routes included, against graphviz's neato with orthogonal splines run as
// a process on the same graph (under a time limit). Our drawings are
// counted on their routes: crossings, bends, overlapping boxes, reach (the
// drawing area ends at 900,000); neato's only by its time and overlaps.
#include <benchmark/benchmark.h>

#include "bench/layoutyardstick.h"
#include "kvlayout/engine/organic.h"
#include "kvlayout/engine/orthogonal.h"
#include "tests/support/layout_graphs.h"

namespace {

void BM_Orthogonal(benchmark::State& state) {
  const kvl::LGraph g = kvtest::MakeLayoutGraph(kvtest::LayoutFamily::Dag, int(state.range(0)), 11);
  kvl::LResult r;
  for (auto _ : state) {
    kvl::LResult out;
    if (kvl::LayoutOrthogonal(g, {}, out) != kvl::LStatus::Ok) state.SkipWithError("layout failed");
    benchmark::DoNotOptimize(out.centres.data());
    r = std::move(out);
  }
  if (r.centres.size() != g.nodes.size()) return;
  double bends = 0, reach = 0;
  for (const auto& route : r.routes) bends += route.size() > 2 ? double(route.size() - 2) : 0;
  for (std::size_t i = 0; i < r.centres.size(); ++i)
    reach = std::max({reach, std::abs(r.centres[i].x) + g.nodes[i].box.Width() / 2,
                      std::abs(r.centres[i].y) + g.nodes[i].box.Height() / 2});
  state.counters["crossings"] = double(yardstick::CountCrossings(r.routes));
  state.counters["bends"] = bends;
  state.counters["overlaps"] = double(kvl::CountOverlaps(r.centres, yardstick::Sizes(g), 1));
  state.counters["reach"] = reach;
}
BENCHMARK(BM_Orthogonal)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

// neato with orthogonal splines and overlap removal; stopped after two minutes.
void BM_NeatoOrtho(benchmark::State& state) {
  const kvl::LGraph g = kvtest::MakeLayoutGraph(kvtest::LayoutFamily::Dag, int(state.range(0)), 11);
  const std::string dot = yardstick::ToDot(g, false, "overlap=false; splines=ortho;");
  std::vector<kvl::LPoint> centres;
  for (auto _ : state)
    if (!yardstick::RunGraphviz("timeout 120 neato", dot, centres))
      state.SkipWithError("neato is not installed or did not finish in 120 s");
  if (centres.size() == g.nodes.size())
    state.counters["overlaps"] = double(kvl::CountOverlaps(centres, yardstick::Sizes(g), 1));
}
BENCHMARK(BM_NeatoOrtho)->Arg(100)->Arg(300)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
