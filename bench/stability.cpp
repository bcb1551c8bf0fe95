// Stability of the engine's styles: a random DAG of 1,000 nodes (1.5 links
// a node; a random tree for the tree style) laid out, one random link added, and laid out again from where
// the first run put the nodes, as a person's second run starts. Counted:
// the share of nodes that moved (by more than a unit) and the median move
// of all nodes, in diagram units. The time is that of the second run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "kvlayout/engine/dispatch.h"
#include "tests/support/layout_graphs.h"

namespace {

void Stability(benchmark::State& state, kvl::LStyle style) {
  const auto family = style == kvl::LStyle::Tree ? kvtest::LayoutFamily::Tree : kvtest::LayoutFamily::Dag;
  kvl::LGraph g = kvtest::MakeLayoutGraph(family, int(state.range(0)), 11);
  kvl::LRequest request;
  request.style = style;
  request.orientation = style == kvl::LStyle::Tree ? kvl::LOrientation::LeftToRight : kvl::LOrientation::TopToBottom;
  kvl::LResult first;
  if (kvl::Lay(g, request, first) != kvl::LStatus::Ok) {
    state.SkipWithError("the first layout failed");
    return;
  }
  for (std::size_t i = 0; i < g.nodes.size(); ++i) g.nodes[i].box = kvtest::PlacedBox(g, first, i);
  kvtest::LayoutRng rng(99);
  const int a = rng.Below(int(g.nodes.size())), b = rng.Below(int(g.nodes.size()));
  g.edges.push_back({std::min(a, b), std::max(a, b) == std::min(a, b) ? (a + 1) % int(g.nodes.size()) : std::max(a, b)});
  kvl::LResult second;
  for (auto _ : state) {
    kvl::LResult out;
    if (kvl::Lay(g, request, out) != kvl::LStatus::Ok) state.SkipWithError("the second layout failed");
    benchmark::DoNotOptimize(out.centres.data());
    second = std::move(out);
  }
  if (second.centres.size() != g.nodes.size()) return;
  std::vector<double> moves;
  int moved = 0;
  for (std::size_t i = 0; i < g.nodes.size(); ++i) {
    const double d = std::hypot(second.centres[i].x - first.centres[i].x, second.centres[i].y - first.centres[i].y);
    moves.push_back(d);
    moved += d > 1;
  }
  std::nth_element(moves.begin(), moves.begin() + std::ptrdiff_t(moves.size() / 2), moves.end());
  state.counters["moved_share"] = double(moved) / double(g.nodes.size());
  state.counters["median_move"] = moves[moves.size() / 2];
}
void BM_StabilityHierarchic(benchmark::State& s) { Stability(s, kvl::LStyle::Hierarchic); }
void BM_StabilityOrganic(benchmark::State& s) { Stability(s, kvl::LStyle::Organic); }
void BM_StabilityOrthogonal(benchmark::State& s) { Stability(s, kvl::LStyle::Orthogonal); }
void BM_StabilityCircular(benchmark::State& s) { Stability(s, kvl::LStyle::Circular); }
void BM_StabilityTree(benchmark::State& s) { Stability(s, kvl::LStyle::Tree); }
BENCHMARK(BM_StabilityHierarchic)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StabilityOrganic)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StabilityOrthogonal)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StabilityCircular)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StabilityTree)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
