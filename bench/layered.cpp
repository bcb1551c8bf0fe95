// The layered style on random connected DAGs of N nodes and 1.5 N links
// (boxes of 8,000 x 3,000 units, default spacings), at N = 300, 1,000 and
// 3,000: the whole run, routes included, is timed. Outside the timing the
// counters give the crossings of our routes and, when graphviz's `dot` is on
// the path, of `dot`'s drawing of the same graph with the same box sizes and
// spacings (run as a separate process, its splines flattened, both counted
// by bench/layoutyardstick.h), `dot`'s wall time, and whether each drawing fits
// the drawing area (±900,000 units).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "bench/layoutyardstick.h"
#include "kvlayout/engine/layered.h"

namespace {

using Polyline = std::vector<kvl::LPoint>;
constexpr double kBoxW = 8000, kBoxH = 3000, kUnitsPerInch = 7200;

kvl::LGraph RandomDag(int n, std::uint64_t seed) {
  std::uint64_t s = seed;
  auto below = [&](int k) {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((s >> 33) % static_cast<std::uint64_t>(k));
  };
  kvl::LGraph g;
  for (int i = 0; i < n; ++i) g.nodes.push_back({{0, 0, kBoxW, kBoxH}, false, -1});
  for (int i = 1; i < n; ++i) g.edges.push_back({below(i), i, {}, kvl::LRouteKeep::Nothing});
  while (static_cast<int>(g.edges.size()) < n * 3 / 2) {
    const int a = below(n - 1), b = a + 1 + below(n - 1 - a);
    g.edges.push_back({a, b, {}, kvl::LRouteKeep::Nothing});
  }
  return g;
}

bool Fits(const std::vector<Polyline>& lines, const std::vector<kvl::LBox>& boxes) {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool first = true;
  auto cover = [&](const kvl::LPoint& p) {
    if (first) x0 = x1 = p.x, y0 = y1 = p.y, first = false;
    x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
  };
  for (const auto& l : lines)
    for (const auto& p : l) cover(p);
  for (const auto& b : boxes) cover({b.x0, b.y0}), cover({b.x1, b.y1});
  return x1 - x0 <= 2 * kvl::kLimit && y1 - y0 <= 2 * kvl::kLimit;
}

// A cubic B-spline's control points (dot's -Tplain), as a polyline.
Polyline Flatten(const std::vector<kvl::LPoint>& c) {
  Polyline out;
  if (c.empty()) return out;
  out.push_back(c[0]);
  for (std::size_t i = 0; i + 3 < c.size(); i += 3)
    for (int k = 1; k <= 8; ++k) {
      const double t = k / 8.0, u = 1 - t;
      out.push_back({u * u * u * c[i].x + 3 * u * u * t * c[i + 1].x + 3 * u * t * t * c[i + 2].x + t * t * t * c[i + 3].x,
                     u * u * u * c[i].y + 3 * u * u * t * c[i + 1].y + 3 * u * t * t * c[i + 2].y + t * t * t * c[i + 3].y});
    }
  return out;
}

struct DotRun {
  bool ran = false;
  double seconds = 0;
  long long crossings = 0;
  bool fits = false;
};

// dot's drawing of the graph: its time as a process, its edges' splines
// flattened and counted by the same counter as ours.
DotRun RunDot(const kvl::LGraph& g, const kvl::LSpacing& sp) {
  DotRun run;
  std::ostringstream attributes;
  attributes << "nodesep=" << sp.node / kUnitsPerInch << "; ranksep=" << sp.layer / kUnitsPerInch << ";";
  const std::string dot = yardstick::ToDot(g, true, attributes.str());
  std::string out;
  const auto t0 = std::chrono::steady_clock::now();
  if (!yardstick::RunGraphvizPlain("dot", dot, out)) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::istringstream f(out);
  std::string line;
  std::vector<Polyline> lines;
  std::vector<kvl::LBox> boxes;
  while (std::getline(f, line)) {
    std::istringstream s(line);
    std::string kind;
    s >> kind;
    if (kind == "node") {
      std::string name;
      double x, y, w, h;
      s >> name >> x >> y >> w >> h;
      boxes.push_back({(x - w / 2) * kUnitsPerInch, (y - h / 2) * kUnitsPerInch, (x + w / 2) * kUnitsPerInch,
                       (y + h / 2) * kUnitsPerInch});
    } else if (kind == "edge") {
      std::string tail, head;
      int count = 0;
      s >> tail >> head >> count;
      std::vector<kvl::LPoint> control(static_cast<std::size_t>(std::max(count, 0)));
      for (auto& p : control) {
        s >> p.x >> p.y;
        p.x *= kUnitsPerInch, p.y *= kUnitsPerInch;
      }
      lines.push_back(Flatten(control));
    }
  }
  run.ran = true;
  run.crossings = yardstick::CountCrossings(lines);
  run.fits = Fits(lines, boxes);
  return run;
}

void BM_Layered(benchmark::State& state) {
  const kvl::LGraph g = RandomDag(static_cast<int>(state.range(0)), 1);
  const kvl::LLayeredOptions options;
  kvl::LResult result;
  kvl::LStatus status = kvl::LStatus::Ok;
  for (auto _ : state) {
    status = kvl::LayoutLayered(g, options, result);
    benchmark::DoNotOptimize(result);
  }
  if (status != kvl::LStatus::Ok) {
    state.SkipWithError("layout failed");
    return;
  }
  std::vector<kvl::LBox> boxes;
  for (std::size_t i = 0; i < g.nodes.size(); ++i) {
    const kvl::LPoint c = result.centres[i];
    boxes.push_back({c.x - kBoxW / 2, c.y - kBoxH / 2, c.x + kBoxW / 2, c.y + kBoxH / 2});
  }
  state.counters["crossings"] = static_cast<double>(yardstick::CountCrossings(result.routes));
  state.counters["fits"] = Fits(result.routes, boxes);
  const DotRun dot = RunDot(g, options.spacing);
  if (dot.ran) {
    state.counters["dot_crossings"] = static_cast<double>(dot.crossings);
    state.counters["dot_s"] = dot.seconds;
    state.counters["dot_fits"] = dot.fits;
  }
}
BENCHMARK(BM_Layered)->Arg(300)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace
