// Orthogonal routing of every link of a laid-out data model (300, 1,000 and
// 3,000 tables with about 1.5 links each), and re-routing the links of one
// table after it moves. Crossings of the routes are reported. The last case
// is what the engine does between two calls: one table moves, the route
// cache makes again only the routes the move can change, and the crossing
// index re-indexes only those links and finds their crossings.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "bench/layoutyardstick.h"
#include "kvlayout/engine/organic.h"
#include "kvlayout/engine/route.h"
#include "kvlayout/engine/routecache.h"
#include "tests/support/layout_graphs.h"

namespace {

kvl::LGraph LaidOut(int n) {
  kvl::LGraph g = kvtest::MakeLayoutGraph(kvtest::LayoutFamily::DataModel, n, 11);
  kvl::LResult r;
  kvl::LayoutOrganic(g, {}, r);
  for (std::size_t i = 0; i < g.nodes.size(); ++i) {
    kvl::LBox& b = g.nodes[i].box;
    const double w = b.Width(), h = b.Height();
    const double x = std::round(r.centres[i].x - w / 2), y = std::round(r.centres[i].y - h / 2);
    b = {x, y, x + w, y + h};
  }
  return g;
}

void BM_RouteAll(benchmark::State& state) {
  const kvl::LGraph g = LaidOut(int(state.range(0)));
  std::vector<std::vector<kvl::LPoint>> routes;
  for (auto _ : state)
    if (kvl::RouteOrthogonal(g, {}, {}, routes) != kvl::LStatus::Ok) state.SkipWithError("routing failed");
  state.counters["links"] = double(g.edges.size());
  state.counters["crossings"] = double(yardstick::CountCrossings(routes));
}
BENCHMARK(BM_RouteAll)->Arg(300)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

// The links of one table after it moves by two widths: a table with the
// median number of links (arg 0) or the busiest hub of the model (arg 1).
void BM_RerouteOneMove(benchmark::State& state) {
  kvl::LGraph g = LaidOut(int(state.range(0)));
  std::vector<int> degree(g.nodes.size(), 0);
  for (const kvl::LEdge& e : g.edges) ++degree[std::size_t(e.from)], ++degree[std::size_t(e.to)];
  std::vector<int> sorted = degree;
  std::sort(sorted.begin(), sorted.end());
  const int want = state.range(1) ? sorted.back() : sorted[sorted.size() / 2];
  const int busiest = int(std::find(degree.begin(), degree.end(), want) - degree.begin());
  kvl::LBox& b = g.nodes[std::size_t(busiest)].box;
  b = {b.x0 + 2 * b.Width(), b.y0, b.x1 + 2 * b.Width(), b.y1};
  std::vector<int> which;
  for (std::size_t k = 0; k < g.edges.size(); ++k)
    if (g.edges[k].from == busiest || g.edges[k].to == busiest) which.push_back(int(k));
  std::vector<std::vector<kvl::LPoint>> routes;
  for (auto _ : state)
    if (kvl::RouteOrthogonal(g, which, {}, routes) != kvl::LStatus::Ok) state.SkipWithError("routing failed");
  state.counters["links"] = double(which.size());
}
BENCHMARK(BM_RerouteOneMove)->Args({1000, 0})->Args({1000, 1})->Unit(benchmark::kMillisecond);

// One table (median links) moves back and forth by two widths; each
// iteration is one call after one move: routes from the cache, then the
// crossings of the links whose route changed. Arg 1 = 0: nothing moves,
// the cost of checking that nothing changed.
void BM_CachedOneMove(benchmark::State& state) {
  kvl::LGraph g = LaidOut(int(state.range(0)));
  std::vector<std::uint64_t> nodeKeys(g.nodes.size()), edgeKeys(g.edges.size());
  for (std::size_t i = 0; i < nodeKeys.size(); ++i) nodeKeys[i] = i + 1;
  for (std::size_t k = 0; k < edgeKeys.size(); ++k) edgeKeys[k] = 1000000 + k;
  std::vector<int> degree(g.nodes.size(), 0);
  for (const kvl::LEdge& e : g.edges) ++degree[std::size_t(e.from)], ++degree[std::size_t(e.to)];
  std::vector<int> sorted = degree;
  std::sort(sorted.begin(), sorted.end());
  const int moving = int(std::find(degree.begin(), degree.end(), sorted[sorted.size() / 2]) - degree.begin());
  kvl::RouteCache cache;
  kvl::CrossingIndex crossings;
  std::vector<std::vector<kvl::LPoint>> routes, before;
  if (cache.Route(g, nodeKeys, edgeKeys, {}, routes) != kvl::LStatus::Ok) state.SkipWithError("routing failed");
  for (std::size_t k = 0; k < routes.size(); ++k) crossings.Set(edgeKeys[k], routes[k]);
  kvl::LBox& b = g.nodes[std::size_t(moving)].box;
  const double shift = state.range(1) ? 2 * b.Width() : 0;
  double sign = 1, passes = 0, firsts = 0, found = 0;
  const std::uint64_t indexedBefore = crossings.Reindexed();
  for (auto _ : state) {
    b = {b.x0 + sign * shift, b.y0, b.x1 + sign * shift, b.y1};
    sign = -sign;
    before.swap(routes);
    if (cache.Route(g, nodeKeys, edgeKeys, {}, routes) != kvl::LStatus::Ok) state.SkipWithError("routing failed");
    for (std::size_t k = 0; k < routes.size(); ++k) {
      if (routes[k] == before[k]) continue;
      crossings.Set(edgeKeys[k], routes[k]);
      const std::uint64_t me = edgeKeys[k];
      found += double(crossings.CrossingsOf(me, [me](std::uint64_t other) { return other < me; }).size());
    }
    passes += cache.LastStats().secondPasses;
    firsts += cache.LastStats().firstPasses;
  }
  state.counters["links"] = double(g.edges.size());
  state.counters["remade"] = passes / double(state.iterations());
  state.counters["sides"] = firsts / double(state.iterations());
  state.counters["reindexed"] = double(crossings.Reindexed() - indexedBefore) / double(state.iterations());
  state.counters["crossings"] = found / double(state.iterations());
}
BENCHMARK(BM_CachedOneMove)->Args({1000, 1})->Args({1000, 0})->Unit(benchmark::kMillisecond);

}  // namespace
