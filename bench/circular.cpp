// The circular style on data models of 100 to 3,000 tables, in both
// placements, against graphviz's circo run as a process on the same graph
// (under a time limit: it takes minutes where we take milliseconds). Every
// drawing is counted the same way: crossings of the straight lines between
// centres, and overlapping boxes.
#include <benchmark/benchmark.h>

#include "bench/layoutyardstick.h"
#include "kvlayout/engine/circular.h"
#include "kvlayout/engine/organic.h"
#include "tests/support/layout_graphs.h"

namespace {

void Report(benchmark::State& state, const kvl::LGraph& g, const std::vector<kvl::LPoint>& centres) {
  state.counters["crossings"] = double(yardstick::CountCrossings(yardstick::StraightRoutes(g, centres)));
  state.counters["overlaps"] = double(kvl::CountOverlaps(centres, yardstick::Sizes(g), 1));
  double reach = 0;
  for (std::size_t i = 0; i < centres.size(); ++i)
    reach = std::max({reach, std::abs(centres[i].x) + g.nodes[i].box.Width() / 2,
                      std::abs(centres[i].y) + g.nodes[i].box.Height() / 2});
  state.counters["reach"] = reach;
}

void Circular(benchmark::State& state, bool oneCircle) {
  const kvl::LGraph g = kvtest::MakeLayoutGraph(kvtest::LayoutFamily::DataModel, int(state.range(0)), 11);
  kvl::LCircularOptions options;
  options.oneCircle = oneCircle;
  kvl::LResult r;
  for (auto _ : state) {
    kvl::LResult out;
    if (kvl::LayoutCircular(g, options, out) != kvl::LStatus::Ok) state.SkipWithError("layout failed");
    benchmark::DoNotOptimize(out.centres.data());
    r = std::move(out);
  }
  if (r.centres.size() == g.nodes.size()) Report(state, g, r.centres);
}
void BM_CircularRadiation(benchmark::State& state) { Circular(state, false); }
void BM_CircularCycle(benchmark::State& state) { Circular(state, true); }
BENCHMARK(BM_CircularRadiation)->Arg(100)->Arg(300)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CircularCycle)->Arg(100)->Arg(300)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

// circo with its own overlap removal; stopped after two minutes.
void BM_Circo(benchmark::State& state) {
  const kvl::LGraph g = kvtest::MakeLayoutGraph(kvtest::LayoutFamily::DataModel, int(state.range(0)), 11);
  const std::string dot = yardstick::ToDot(g, false, "overlap=false;");
  std::vector<kvl::LPoint> centres;
  for (auto _ : state)
    if (!yardstick::RunGraphviz("timeout 120 circo", dot, centres))
      state.SkipWithError("circo is not installed or did not finish in 120 s");
  if (centres.size() == g.nodes.size()) Report(state, g, centres);
}
BENCHMARK(BM_Circo)->Arg(100)->Arg(300)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
