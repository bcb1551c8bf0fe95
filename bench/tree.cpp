// The tree and snowflake styles on trees of 1,000 nodes, random (each node
// below a random earlier one; second argument 0) and balanced (four
// children each; second argument 1), run as the bridge runs them (Lay: the style,
// then packing inside the drawing area), against graphviz's dot and twopi
// run as processes on the same graph. Every drawing is counted the same
// way: crossings of its links (the engine's routes; straight lines between
// centres for graphviz), overlapping boxes, and whether it fits inside
// ±900,000 units.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "bench/layoutyardstick.h"
#include "kvlayout/engine/dispatch.h"
#include "kvlayout/engine/organic.h"
#include "tests/support/layout_graphs.h"

namespace {

kvl::LGraph Tree(const benchmark::State& state) {
  const int n = int(state.range(0));
  kvl::LGraph g = kvtest::MakeLayoutGraph(kvtest::LayoutFamily::Tree, n, 11);
  if (state.range(1) == 1)
    for (int i = 1; i < n; ++i) g.edges[std::size_t(i - 1)].from = (i - 1) / 4;
  return g;
}

void Report(benchmark::State& state, const kvl::LGraph& g, const std::vector<kvl::LPoint>& centres,
            const std::vector<std::vector<kvl::LPoint>>& routes) {
  std::vector<kvl::LPoint> sizes;
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (std::size_t i = 0; i < g.nodes.size(); ++i) {
    const kvl::LBox& b = g.nodes[i].box;
    sizes.push_back({b.Width(), b.Height()});
    x0 = std::min(x0, centres[i].x - b.Width() / 2);
    x1 = std::max(x1, centres[i].x + b.Width() / 2);
    y0 = std::min(y0, centres[i].y - b.Height() / 2);
    y1 = std::max(y1, centres[i].y + b.Height() / 2);
  }
  state.counters["crossings"] = double(yardstick::CountCrossings(routes));
  state.counters["overlaps"] = double(kvl::CountOverlaps(centres, sizes, 1));
  state.counters["width"] = x1 - x0;
  state.counters["height"] = y1 - y0;
  // Whether the drawing, wherever it was put, could stand inside the area.
  state.counters["fits"] = (x1 - x0 <= 2 * kvl::kLimit && y1 - y0 <= 2 * kvl::kLimit) ? 1 : 0;
}

void Engine(benchmark::State& state, kvl::LStyle style, kvl::LOrientation orientation) {
  const kvl::LGraph g = Tree(state);
  kvl::LRequest request;
  request.style = style;
  request.orientation = orientation;
  kvl::LResult r;
  for (auto _ : state) {
    kvl::LResult out;
    const kvl::LStatus status = kvl::Lay(g, request, out);
    if (status == kvl::LStatus::TooLarge) state.SkipWithError("refused: does not fit the drawing area");
    else if (status != kvl::LStatus::Ok) state.SkipWithError("layout failed");
    benchmark::DoNotOptimize(out.centres.data());
    r = std::move(out);
  }
  if (r.centres.size() == g.nodes.size()) Report(state, g, r.centres, r.routes);
}
void BM_TreeTopToBottom(benchmark::State& s) { Engine(s, kvl::LStyle::Tree, kvl::LOrientation::TopToBottom); }
void BM_TreeLeftToRight(benchmark::State& s) { Engine(s, kvl::LStyle::Tree, kvl::LOrientation::LeftToRight); }
void BM_Snowflake(benchmark::State& s) { Engine(s, kvl::LStyle::Snowflake, kvl::LOrientation::TopToBottom); }
BENCHMARK(BM_TreeTopToBottom)->Args({1000, 0})->Args({1000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeLeftToRight)->Args({1000, 0})->Args({1000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Snowflake)->Args({1000, 0})->Args({1000, 1})->Unit(benchmark::kMillisecond);

void Graphviz(benchmark::State& state, const char* program) {
  const kvl::LGraph g = Tree(state);
  const std::string dot = yardstick::ToDot(g, true, "");
  std::vector<kvl::LPoint> centres;
  for (auto _ : state)
    if (!yardstick::RunGraphviz(program, dot, centres)) state.SkipWithError("graphviz is not installed");
  if (centres.size() == g.nodes.size()) Report(state, g, centres, yardstick::StraightRoutes(g, centres));
}
void BM_Dot(benchmark::State& state) { Graphviz(state, "dot"); }
void BM_Twopi(benchmark::State& state) { Graphviz(state, "twopi"); }
BENCHMARK(BM_Dot)->Args({1000, 0})->Args({1000, 1})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Twopi)->Args({1000, 0})->Args({1000, 1})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
