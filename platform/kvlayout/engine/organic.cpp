#include "kvlayout/engine/organic.h"

#include "kvlayout/engine/pack.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <queue>
#include <unordered_map>
#include <utility>

namespace kvl {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// A link's own length counts for as much as this many distant pivots: the
// pivots stand for whole regions and would otherwise outweigh the links.
constexpr double kNeighbourWeight = 30;
// The room a group gets before overlaps are removed, in multiples of its
// boxes' area: spreading costs no crossings, pushing boxes apart does.
constexpr double kRoom = 16;
// The strength of the push between near nodes against the pull of links.
constexpr double kRepulsion = 0.1;

// Undirected adjacency of the nodes being placed (compressed rows): no
// self-links, each linked pair once, each with its ideal length.
struct Adjacency {
  std::vector<int> start;  // size n + 1
  std::vector<int> to;
  std::vector<double> length;
  int Degree(int v) const { return start[std::size_t(v) + 1] - start[std::size_t(v)]; }
};

Adjacency BuildAdjacency(const LGraph& graph, const std::vector<int>& local, const std::vector<double>& radius,
                         double gap) {
  const int n = int(radius.size());
  std::vector<std::pair<int, int>> pairs;
  pairs.reserve(graph.edges.size() * 2);
  for (const LEdge& e : graph.edges) {
    const int a = local[std::size_t(e.from)], b = local[std::size_t(e.to)];
    if (a < 0 || b < 0 || a == b) continue;
    pairs.emplace_back(a, b);
    pairs.emplace_back(b, a);
  }
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  Adjacency adj;
  adj.start.assign(std::size_t(n) + 1, 0);
  for (const auto& p : pairs) ++adj.start[std::size_t(p.first) + 1];
  std::partial_sum(adj.start.begin(), adj.start.end(), adj.start.begin());
  adj.to.reserve(pairs.size());
  adj.length.reserve(pairs.size());
  for (const auto& p : pairs) {
    adj.to.push_back(p.second);
    adj.length.push_back(radius[std::size_t(p.first)] + radius[std::size_t(p.second)] + gap);
  }
  return adj;
}

// Connected groups, each listed in ascending node order, ordered by their
// first node.
std::vector<std::vector<int>> Components(const Adjacency& adj, int n) {
  std::vector<int> seen(static_cast<std::size_t>(n), 0);
  std::vector<std::vector<int>> out;
  std::vector<int> stack;
  for (int s = 0; s < n; ++s) {
    if (seen[std::size_t(s)]) continue;
    std::vector<int> comp;
    seen[std::size_t(s)] = 1;
    stack.push_back(s);
    while (!stack.empty()) {
      const int v = stack.back();
      stack.pop_back();
      comp.push_back(v);
      for (int k = adj.start[std::size_t(v)]; k < adj.start[std::size_t(v) + 1]; ++k) {
        const int w = adj.to[std::size_t(k)];
        if (!seen[std::size_t(w)]) {
          seen[std::size_t(w)] = 1;
          stack.push_back(w);
        }
      }
    }
    std::sort(comp.begin(), comp.end());
    out.push_back(std::move(comp));
  }
  return out;
}

// Shortest path lengths from one node over the ideal lengths.
void Distances(const Adjacency& adj, int source, std::vector<double>& dist) {
  std::fill(dist.begin(), dist.end(), kInf);
  using Item = std::pair<double, int>;
  std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue;
  dist[std::size_t(source)] = 0;
  queue.emplace(0.0, source);
  while (!queue.empty()) {
    const auto [d, v] = queue.top();
    queue.pop();
    if (d > dist[std::size_t(v)]) continue;
    for (int k = adj.start[std::size_t(v)]; k < adj.start[std::size_t(v) + 1]; ++k) {
      const int w = adj.to[std::size_t(k)];
      const double nd = d + adj.length[std::size_t(k)];
      if (nd < dist[std::size_t(w)]) {
        dist[std::size_t(w)] = nd;
        queue.emplace(nd, w);
      }
    }
  }
}

// The top eigenvector of a symmetric k x k matrix (row-major) by power
// iteration, orthogonal to `against` when given. Its eigenvalue in `value`.
std::vector<double> TopEigen(const std::vector<double>& m, int k, const std::vector<double>* against, double& value) {
  std::vector<double> v(static_cast<std::size_t>(k)), next(static_cast<std::size_t>(k));
  for (int i = 0; i < k; ++i) v[std::size_t(i)] = 1.0 + 0.37 * ((i * 7919) % 13);
  value = 0;
  for (int iter = 0; iter < 200; ++iter) {
    if (against) {
      double dot = 0;
      for (int i = 0; i < k; ++i) dot += v[std::size_t(i)] * (*against)[std::size_t(i)];
      for (int i = 0; i < k; ++i) v[std::size_t(i)] -= dot * (*against)[std::size_t(i)];
    }
    double norm = 0;
    for (int i = 0; i < k; ++i) {
      double s = 0;
      for (int j = 0; j < k; ++j) s += m[std::size_t(i) * std::size_t(k) + std::size_t(j)] * v[std::size_t(j)];
      next[std::size_t(i)] = s;
      norm += s * s;
    }
    norm = std::sqrt(norm);
    if (!(norm > 1e-300)) return std::vector<double>(std::size_t(k), 0.0);
    double change = 0;
    for (int i = 0; i < k; ++i) {
      const double nv = next[std::size_t(i)] / norm;
      change += std::abs(nv - v[std::size_t(i)]);
      v[std::size_t(i)] = nv;
    }
    value = norm;
    if (change < 1e-10) break;
  }
  return v;
}

struct Pivots {
  std::vector<int> nodes;  // local indices in the component
  std::vector<std::vector<double>> d;  // d[p][v]: distance from pivot p to v
  std::vector<int> region;  // nodes nearest to each pivot
};

// Pivots chosen far apart: the best-linked node first, then each time the
// node farthest from all pivots so far (ties to the lower index).
Pivots ChoosePivots(const Adjacency& adj, const std::vector<int>& comp, const std::vector<int>& inComp, int count) {
  const int n = int(comp.size());
  Pivots p;
  int first = 0;
  for (int i = 1; i < n; ++i)
    if (adj.Degree(comp[std::size_t(i)]) > adj.Degree(comp[std::size_t(first)])) first = i;
  std::vector<double> nearest(static_cast<std::size_t>(n), kInf), dist(adj.start.size() - 1);
  int next = first;
  for (int c = 0; c < count && next >= 0; ++c) {
    p.nodes.push_back(next);
    Distances(adj, comp[std::size_t(next)], dist);
    std::vector<double> local(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) local[std::size_t(i)] = dist[std::size_t(comp[std::size_t(i)])];
    p.d.push_back(std::move(local));
    next = -1;
    double far = -1;
    for (int i = 0; i < n; ++i) {
      nearest[std::size_t(i)] = std::min(nearest[std::size_t(i)], p.d.back()[std::size_t(i)]);
      if (nearest[std::size_t(i)] > far && nearest[std::size_t(i)] > 0) {
        far = nearest[std::size_t(i)];
        next = i;
      }
    }
  }
  (void)inComp;
  p.region.assign(p.nodes.size(), 0);
  for (int i = 0; i < n; ++i) {
    std::size_t best = 0;
    for (std::size_t q = 1; q < p.nodes.size(); ++q)
      if (p.d[q][std::size_t(i)] < p.d[best][std::size_t(i)]) best = q;
    ++p.region[best];
  }
  return p;
}

// A first placement by classical scaling of the pivots' distances (pivot
// MDS): two dimensions of the double-centred squared distances.
void PivotMds(const Pivots& p, int n, std::vector<LPoint>& pos) {
  const int k = int(p.nodes.size());
  std::vector<double> b(static_cast<std::size_t>(n) * std::size_t(k));
  std::vector<double> rowMean(static_cast<std::size_t>(n), 0), colMean(static_cast<std::size_t>(k), 0);
  double all = 0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < k; ++j) {
      const double d = p.d[std::size_t(j)][std::size_t(i)];
      const double sq = d * d;
      b[std::size_t(i) * std::size_t(k) + std::size_t(j)] = sq;
      rowMean[std::size_t(i)] += sq / k;
      colMean[std::size_t(j)] += sq / n;
      all += sq / (double(n) * k);
    }
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < k; ++j) {
      double& v = b[std::size_t(i) * std::size_t(k) + std::size_t(j)];
      v = -0.5 * (v - rowMean[std::size_t(i)] - colMean[std::size_t(j)] + all);
    }
  std::vector<double> c(static_cast<std::size_t>(k) * std::size_t(k), 0);
  for (int i = 0; i < n; ++i)
    for (int a = 0; a < k; ++a) {
      const double ba = b[std::size_t(i) * std::size_t(k) + std::size_t(a)];
      for (int e = 0; e < k; ++e)
        c[std::size_t(a) * std::size_t(k) + std::size_t(e)] += ba * b[std::size_t(i) * std::size_t(k) + std::size_t(e)];
    }
  double l1 = 0, l2 = 0;
  const std::vector<double> v1 = TopEigen(c, k, nullptr, l1);
  const std::vector<double> v2 = TopEigen(c, k, &v1, l2);
  for (int i = 0; i < n; ++i) {
    double x = 0, y = 0;
    for (int j = 0; j < k; ++j) {
      x += b[std::size_t(i) * std::size_t(k) + std::size_t(j)] * v1[std::size_t(j)];
      y += b[std::size_t(i) * std::size_t(k) + std::size_t(j)] * v2[std::size_t(j)];
    }
    pos[std::size_t(i)] = {x, y};
  }
}

// Sparse stress: each node answers to its neighbours at their ideal length
// and to every pivot at its graph distance, weighted by the pivot's region.
void SparseStress(const Adjacency& adj, const std::vector<int>& comp, const std::vector<int>& inComp, const Pivots& p,
                  int iterations, std::vector<LPoint>& pos) {
  const int n = int(comp.size());
  // The scale that best fits the first placement to the distances.
  double num = 0, den = 0;
  for (int i = 0; i < n; ++i)
    for (std::size_t q = 0; q < p.nodes.size(); ++q) {
      const int j = p.nodes[q];
      if (j == i) continue;
      const double d = p.d[q][std::size_t(i)];
      const double e =
          std::hypot(pos[std::size_t(i)].x - pos[std::size_t(j)].x, pos[std::size_t(i)].y - pos[std::size_t(j)].y);
      if (!(d > 0) || !std::isfinite(d)) continue;
      num += e / d;
      den += e * e / (d * d);
    }
  const double scale = den > 0 ? num / den : 1.0;
  for (LPoint& q : pos) q = {q.x * scale, q.y * scale};

  std::vector<char> isPivot(static_cast<std::size_t>(n), 0);
  for (int j : p.nodes) isPivot[std::size_t(j)] = 1;
  for (int it = 0; it < iterations; ++it) {
    for (int i = 0; i < n; ++i) {
      const LPoint me = pos[std::size_t(i)];
      double sx = 0, sy = 0, sw = 0;
      auto term = [&](int j, double d, double w) {
        const LPoint other = pos[std::size_t(j)];
        double dx = me.x - other.x, dy = me.y - other.y;
        double dist = std::hypot(dx, dy);
        if (dist < 1e-9) {
          // Stacked on another: step aside by a direction fixed by the pair.
          const double a = 0.61803398875 * double((i + 1) * 131 + j);
          dx = std::cos(a);
          dy = std::sin(a);
          dist = 1;
        }
        sx += w * (other.x + d * dx / dist);
        sy += w * (other.y + d * dy / dist);
        sw += w;
      };
      const int v = comp[std::size_t(i)];
      for (int k = adj.start[std::size_t(v)]; k < adj.start[std::size_t(v) + 1]; ++k) {
        const int j = inComp[std::size_t(adj.to[std::size_t(k)])];
        const double d = adj.length[std::size_t(k)];
        term(j, d, kNeighbourWeight / (d * d));
      }
      for (std::size_t q = 0; q < p.nodes.size(); ++q) {
        const int j = p.nodes[q];
        if (j == i) continue;
        const double d = p.d[q][std::size_t(i)];
        if (!(d > 0) || !std::isfinite(d)) continue;
        term(j, d, double(p.region[q]) / (d * d));
      }
      if (sw > 0) pos[std::size_t(i)] = {sx / sw, sy / sw};
    }
  }
}

// Spring-electrical refinement (adaptive steps): links pull their ends
// together with d^2 / K, nodes closer than a few K push apart with K^2 / d.
// Only nodes within 2 K push (a grid of cells 2 K wide finds them): far
// ones add little but cost the most.
void SpringElectrical(const Adjacency& adj, const std::vector<int>& comp, const std::vector<int>& inComp,
                      int iterations, std::vector<LPoint>& pos) {
  const int n = int(comp.size());
  double k = 0;
  int links = 0;
  for (int v : comp)
    for (int e = adj.start[std::size_t(v)]; e < adj.start[std::size_t(v) + 1]; ++e) {
      k += adj.length[std::size_t(e)];
      ++links;
    }
  if (links == 0 || n < 3) return;
  k /= links;
  const double cell = 2 * k, repulse = kRepulsion * k * k;
  double step = k, energyBefore = kInf;
  int progress = 0;
  std::unordered_map<std::int64_t, std::vector<int>> grid;
  auto key = [](std::int64_t cx, std::int64_t cy) { return (cx << 32) ^ (cy & 0xffffffff); };
  for (int it = 0; it < iterations; ++it) {
    grid.clear();
    for (int i = 0; i < n; ++i)
      grid[key(std::int64_t(std::floor(pos[std::size_t(i)].x / cell)),
               std::int64_t(std::floor(pos[std::size_t(i)].y / cell)))]
          .push_back(i);
    double energy = 0;
    for (int i = 0; i < n; ++i) {
      LPoint& me = pos[std::size_t(i)];
      double fx = 0, fy = 0;
      const std::int64_t cx = std::int64_t(std::floor(me.x / cell)), cy = std::int64_t(std::floor(me.y / cell));
      for (std::int64_t gx = cx - 1; gx <= cx + 1; ++gx)
        for (std::int64_t gy = cy - 1; gy <= cy + 1; ++gy) {
          const auto found = grid.find(key(gx, gy));
          if (found == grid.end()) continue;
          for (int j : found->second) {
            if (j == i) continue;
            double dx = me.x - pos[std::size_t(j)].x, dy = me.y - pos[std::size_t(j)].y;
            double d2 = dx * dx + dy * dy;
            if (d2 > cell * cell) continue;
            if (d2 < 1e-6) {
              dx = (i < j ? 1 : -1);
              dy = 0;
              d2 = 1;
            }
            fx += repulse * dx / d2;
            fy += repulse * dy / d2;
          }
        }
      const int v = comp[std::size_t(i)];
      for (int e = adj.start[std::size_t(v)]; e < adj.start[std::size_t(v) + 1]; ++e) {
        const LPoint& o = pos[std::size_t(inComp[std::size_t(adj.to[std::size_t(e)])])];
        const double dx = o.x - me.x, dy = o.y - me.y;
        const double d = std::hypot(dx, dy);
        fx += d * dx / k;
        fy += d * dy / k;
      }
      const double f = std::hypot(fx, fy);
      energy += f * f;
      if (f > 0) me = {me.x + step * fx / f, me.y + step * fy / f};
    }
    if (energy < energyBefore) {
      if (++progress >= 5) {
        progress = 0;
        step /= 0.9;
      }
    } else {
      progress = 0;
      step *= 0.9;
    }
    energyBefore = energy;
  }
}

// Pairs of boxes closer than `gap` on both axes (a negative gap asks for
// overlaps deeper than its size). A sweep over the left sides.
std::vector<std::pair<int, int>> ClosePairs(const std::vector<LPoint>& c, const std::vector<LPoint>& s, double gap) {
  const int n = int(c.size());
  std::vector<int> order(static_cast<std::size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  auto left = [&](int i) { return c[std::size_t(i)].x - s[std::size_t(i)].x / 2; };
  auto right = [&](int i) { return c[std::size_t(i)].x + s[std::size_t(i)].x / 2; };
  std::sort(order.begin(), order.end(),
            [&](int a, int b) { return left(a) < left(b) || (left(a) == left(b) && a < b); });
  std::vector<std::pair<int, int>> out;
  std::vector<int> open;
  for (int i : order) {
    const double l = left(i);
    open.erase(std::remove_if(open.begin(), open.end(), [&](int o) { return right(o) + gap <= l; }), open.end());
    for (int o : open) {
      const double needY = (s[std::size_t(i)].y + s[std::size_t(o)].y) / 2 + gap;
      const double needX = (s[std::size_t(i)].x + s[std::size_t(o)].x) / 2 + gap;
      if (std::abs(c[std::size_t(i)].y - c[std::size_t(o)].y) < needY &&
          std::abs(c[std::size_t(i)].x - c[std::size_t(o)].x) < needX)
        out.emplace_back(std::min(i, o), std::max(i, o));
    }
    open.push_back(i);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Tells apart centres that coincide by a small step along x in index order.
void SeparateStacked(std::vector<LPoint>& c) {
  std::vector<int> order(c.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    const LPoint& p = c[std::size_t(a)];
    const LPoint& q = c[std::size_t(b)];
    return p.x < q.x || (p.x == q.x && (p.y < q.y || (p.y == q.y && a < b)));
  });
  for (std::size_t k = 1, run = 0; k < order.size(); ++k) {
    if (c[std::size_t(order[k])] == c[std::size_t(order[k - 1 - run])]) {
      ++run;
      c[std::size_t(order[k])].x += double(run);
    } else {
      run = 0;
    }
  }
}

// Distances keep the shape of a dense graph but not the room its boxes
// need: spread it from its middle until its extent holds kRoom times their
// area, so the overlaps left are few and local; never further than the one
// factor that would separate every box by itself.
void GiveRoom(std::vector<LPoint>& c, const std::vector<LPoint>& s, double gap) {
  const auto pairs = ClosePairs(c, s, gap);
  if (pairs.empty()) return;
  double separating = 1;
  for (const auto& [a, b] : pairs) {
    const double dx = std::abs(c[std::size_t(b)].x - c[std::size_t(a)].x);
    const double dy = std::abs(c[std::size_t(b)].y - c[std::size_t(a)].y);
    const double needX = dx > 0 ? ((s[std::size_t(a)].x + s[std::size_t(b)].x) / 2 + gap) / dx : kInf;
    const double needY = dy > 0 ? ((s[std::size_t(a)].y + s[std::size_t(b)].y) / 2 + gap) / dy : kInf;
    separating = std::max(separating, std::min(needX, needY));
  }
  double need = 0;
  LBox box{kInf, kInf, -kInf, -kInf};
  for (std::size_t i = 0; i < c.size(); ++i) {
    need += (s[i].x + gap) * (s[i].y + gap);
    box = {std::min(box.x0, c[i].x - s[i].x / 2), std::min(box.y0, c[i].y - s[i].y / 2),
           std::max(box.x1, c[i].x + s[i].x / 2), std::max(box.y1, c[i].y + s[i].y / 2)};
  }
  const double have = std::max(box.Width(), 1.0) * std::max(box.Height(), 1.0);
  const double factor = std::min(separating, std::sqrt(kRoom * need / have));
  if (!(factor > 1) || !std::isfinite(factor)) return;
  const LPoint mid = box.Centre();
  for (LPoint& p : c) p = {mid.x + (p.x - mid.x) * factor, mid.y + (p.y - mid.y) * factor};
}

// Whether two segments cross strictly inside both: segments that share an
// end, touch or run along each other do not.
bool SegmentsCross(const LPoint& a, const LPoint& b, const LPoint& c, const LPoint& d) {
  auto side = [](const LPoint& p, const LPoint& q, const LPoint& r) {
    return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
  };
  const double d1 = side(c, d, a), d2 = side(c, d, b), d3 = side(a, b, c), d4 = side(a, b, d);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

// Local moves that take crossings out of a placed group: each node in turn
// tries a few nearby places (a ring around where it stands, towards its
// neighbours' middle, and for a node with one link a ring around its
// neighbour) and takes the one where its links cross the fewest others,
// when that is fewer than now and its box keeps room from every other box.
// A node's links are its only ones that change, so every move lowers the
// total; the boxes stay apart as the overlap removal left them, and inside
// the group's extent.
//
// The links are found through a grid of cells about a link long over that
// extent: each link is listed in every cell its line passes (stale entries
// of moved links are harmless, since the lines are tested where they are
// now), and a place's lines are tested only against the links of the cells
// they pass. A second grid, of cells as large as the largest box, holds
// the nodes for the test of free room.
class Untangler {
 public:
  Untangler(const Adjacency& adj, const std::vector<int>& comp, const std::vector<int>& inComp,
            const std::vector<LPoint>& sizes, double gap, std::vector<LPoint>& pos)
      : m_sizes(sizes), m_gap(kClearance * gap), m_pos(pos), m_incident(pos.size()) {
    double total = 0;
    for (std::size_t i = 0; i < comp.size(); ++i) {
      const int v = comp[i];
      for (int k = adj.start[std::size_t(v)]; k < adj.start[std::size_t(v) + 1]; ++k) {
        const int j = inComp[std::size_t(adj.to[std::size_t(k)])];
        if (j <= int(i)) continue;
        m_incident[i].push_back(int(m_edges.size()));
        m_incident[std::size_t(j)].push_back(int(m_edges.size()));
        m_edges.push_back({int(i), j});
        total += Length(int(m_edges.size()) - 1);
      }
    }
    m_area = {kInf, kInf, -kInf, -kInf};
    for (std::size_t i = 0; i < pos.size(); ++i) {
      m_box = std::max({m_box, sizes[i].x + gap, sizes[i].y + gap});
      m_area = {std::min(m_area.x0, pos[i].x), std::min(m_area.y0, pos[i].y), std::max(m_area.x1, pos[i].x),
                std::max(m_area.y1, pos[i].y)};
    }
    m_length = m_edges.empty() ? 0 : total / double(m_edges.size());
    if (!(m_length > 0) || !(m_box > 0) || !(m_area.x0 <= m_area.x1)) return;
    const double most = 4.0 * double(m_edges.size() + pos.size()) + 64;
    m_links.Reset(m_area, std::max(m_length, m_box), most);
    m_nodes.Reset(m_area, m_box, most);
    m_stamp.assign(m_edges.size(), 0);
    for (std::size_t e = 0; e < m_edges.size(); ++e) List(int(e));
    for (std::size_t i = 0; i < pos.size(); ++i) m_nodes.At(pos[i]).push_back(int(i));
  }

  void Pass() {
    if (m_links.cells.empty()) return;
    std::vector<LPoint> candidates;
    for (std::size_t i = 0; i < m_pos.size(); ++i) {
      const int v = int(i);
      if (m_incident[i].empty() || m_incident[i].size() > kMaxDegree) continue;
      const LPoint now = m_pos[i];
      int best = Crossings(v, now);
      if (best == 0) continue;
      LPoint bestAt = now;
      Candidates(v, candidates);
      for (const LPoint& c : candidates) {
        if (!Inside(c) || !Free(v, c)) continue;
        const int k = Crossings(v, c, best);
        if (k < best) {
          best = k;
          bestAt = c;
        }
      }
      if (!(bestAt == now)) Move(v, bestAt);
    }
  }

 private:
  // Busier nodes stay: their many links cross wherever they go, and trying
  // places for them costs the most.
  static constexpr std::size_t kMaxDegree = 8;
  // A node moves only where it keeps this many gaps from every other box:
  // a place just one gap from its neighbours would narrow the channels the
  // router later needs between them (re-routing after a move then searches
  // far longer).
  static constexpr double kClearance = 3;

  // Square cells over an area; a point outside goes to the nearest cell.
  struct Grid {
    double x0 = 0, y0 = 0, cell = 1;
    int nx = 0, ny = 0;
    std::vector<std::vector<int>> cells;
    // Cells of at least `size`, larger where the area would otherwise take
    // more than about `most` of them (a sparse group spread far).
    void Reset(const LBox& area, double size, double most) {
      const double w = area.Width(), h = area.Height();
      x0 = area.x0, y0 = area.y0;
      cell = std::max({size, std::sqrt(w * h / most), w / most, h / most});
      nx = int(std::floor(w / cell)) + 1;
      ny = int(std::floor(h / cell)) + 1;
      cells.assign(std::size_t(nx) * std::size_t(ny), {});
    }
    int Column(double x) const { return std::clamp(int(std::floor((x - x0) / cell)), 0, nx - 1); }
    int Row(double y) const { return std::clamp(int(std::floor((y - y0) / cell)), 0, ny - 1); }
    std::vector<int>& At(int cx, int cy) { return cells[std::size_t(cy) * std::size_t(nx) + std::size_t(cx)]; }
    std::vector<int>& At(const LPoint& p) { return At(Column(p.x), Row(p.y)); }
  };

  bool Inside(const LPoint& p) const {
    return p.x >= m_area.x0 && p.x <= m_area.x1 && p.y >= m_area.y0 && p.y <= m_area.y1;
  }
  double Length(int e) const {
    const LPoint& a = m_pos[std::size_t(m_edges[std::size_t(e)].first)];
    const LPoint& b = m_pos[std::size_t(m_edges[std::size_t(e)].second)];
    return std::hypot(b.x - a.x, b.y - a.y);
  }

  // Calls `visit` with every cell of the links' grid the segment passes (a
  // walk along its line from cell to cell; both ends lie inside the area).
  template <class Visit>
  void Cells(const LPoint& a, const LPoint& b, Visit&& visit) {
    const Grid& g = m_links;
    const double ax = (a.x - g.x0) / g.cell, ay = (a.y - g.y0) / g.cell;
    const double bx = (b.x - g.x0) / g.cell, by = (b.y - g.y0) / g.cell;
    int cx = g.Column(a.x), cy = g.Row(a.y);
    const int ex = g.Column(b.x), ey = g.Row(b.y);
    const double dx = bx - ax, dy = by - ay;
    const int sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
    double tx = dx != 0 ? ((sx > 0 ? cx + 1.0 : double(cx)) - ax) / dx : kInf;
    double ty = dy != 0 ? ((sy > 0 ? cy + 1.0 : double(cy)) - ay) / dy : kInf;
    const double stepX = dx != 0 ? std::abs(1 / dx) : kInf, stepY = dy != 0 ? std::abs(1 / dy) : kInf;
    for (int left = g.nx + g.ny; left >= 0; --left) {
      visit(m_links.At(cx, cy));
      if (cx == ex && cy == ey) break;
      if (tx < ty) {
        cx = std::clamp(cx + sx, 0, g.nx - 1);
        tx += stepX;
      } else {
        cy = std::clamp(cy + sy, 0, g.ny - 1);
        ty += stepY;
      }
    }
  }

  void List(int e) {
    const auto [a, b] = m_edges[std::size_t(e)];
    Cells(m_pos[std::size_t(a)], m_pos[std::size_t(b)], [&](std::vector<int>& cell) { cell.push_back(e); });
  }

  // The crossings of v's links, were v at `at`, with the links not at v;
  // counting stops at `enough`.
  int Crossings(int v, const LPoint& at, int enough = std::numeric_limits<int>::max()) {
    int count = 0;
    for (int e : m_incident[std::size_t(v)]) {
      ++m_round;
      m_stamp[std::size_t(e)] = m_round;
      const auto [a, b] = m_edges[std::size_t(e)];
      const LPoint other = m_pos[std::size_t(a == v ? b : a)];
      Cells(at, other, [&](const std::vector<int>& cell) {
        for (int f : cell) {
          if (m_stamp[std::size_t(f)] == m_round) continue;
          m_stamp[std::size_t(f)] = m_round;
          const auto [c, d] = m_edges[std::size_t(f)];
          if (c == v || d == v) continue;
          if (SegmentsCross(at, other, m_pos[std::size_t(c)], m_pos[std::size_t(d)])) ++count;
        }
      });
      if (count >= enough) return count;
    }
    return count;
  }

  void Candidates(int v, std::vector<LPoint>& out) const {
    out.clear();
    constexpr double kTurn = 6.283185307179586 / 8;
    const LPoint now = m_pos[std::size_t(v)];
    const double r = 0.5 * m_length;
    for (int a = 0; a < 8; ++a) out.push_back({now.x + r * std::cos(a * kTurn), now.y + r * std::sin(a * kTurn)});
    LPoint mid;
    const auto& incident = m_incident[std::size_t(v)];
    for (int e : incident) {
      const auto [a, b] = m_edges[std::size_t(e)];
      const LPoint& o = m_pos[std::size_t(a == v ? b : a)];
      mid = {mid.x + o.x / double(incident.size()), mid.y + o.y / double(incident.size())};
    }
    out.push_back({(now.x + mid.x) / 2, (now.y + mid.y) / 2});
    if (incident.size() == 1) {
      const double around = std::hypot(now.x - mid.x, now.y - mid.y);
      for (int a = 0; a < 8; ++a)
        out.push_back({mid.x + around * std::cos((a + 0.5) * kTurn), mid.y + around * std::sin((a + 0.5) * kTurn)});
    }
  }

  // Whether v's box at `at` keeps the gap from every other box.
  bool Free(int v, const LPoint& at) {
    const int cx = m_nodes.Column(at.x), cy = m_nodes.Row(at.y);
    const LPoint& s = m_sizes[std::size_t(v)];
    for (int gx = std::max(0, cx - 1); gx <= std::min(m_nodes.nx - 1, cx + 1); ++gx)
      for (int gy = std::max(0, cy - 1); gy <= std::min(m_nodes.ny - 1, cy + 1); ++gy)
        for (int j : m_nodes.At(gx, gy)) {
          if (j == v) continue;
          const LPoint& q = m_pos[std::size_t(j)];
          const LPoint& t = m_sizes[std::size_t(j)];
          if (std::abs(at.x - q.x) < (s.x + t.x) / 2 + m_gap && std::abs(at.y - q.y) < (s.y + t.y) / 2 + m_gap)
            return false;
        }
    return true;
  }

  void Move(int v, const LPoint& to) {
    std::vector<int>& was = m_nodes.At(m_pos[std::size_t(v)]);
    if (const auto at = std::find(was.begin(), was.end(), v); at != was.end()) was.erase(at);
    m_pos[std::size_t(v)] = to;
    m_nodes.At(to).push_back(v);
    for (int e : m_incident[std::size_t(v)]) List(e);
  }

  const std::vector<LPoint>& m_sizes;
  double m_gap;
  std::vector<LPoint>& m_pos;
  std::vector<std::vector<int>> m_incident;
  std::vector<std::pair<int, int>> m_edges;
  double m_length = 0, m_box = 0;
  LBox m_area;
  Grid m_links, m_nodes;
  std::vector<int> m_stamp;
  int m_round = 0;
};


// A second run after a small edit. The graph looks laid out when no two
// boxes (fixed ones too) come nearer than half a gap, every box lies inside
// the drawing area, the links' typical length is what a layout gives them
// (a few times their ideal length, not a hand-drawn spread) and only a few
// links are far longer than that: those are taken for what the edit
// changed. Their ends and the ends' neighbours are then freed; every other
// node stays exactly where it stands. The freed ones take a few sweeps
// towards their links' ideal lengths, each held back by its place now, and
// then settle, one after the other in index order, on the nearest free
// place around where they want to be. Returns false (and leaves `pos`
// unspecified) when the graph does not look laid out: then it gets a
// layout of its own.
class InPlace {
 public:
  InPlace(const LGraph& graph, const std::vector<int>& local, const std::vector<int>& global,
          const std::vector<LPoint>& size, const Adjacency& adj, double gap)
      : m_graph(graph), m_local(local), m_global(global), m_size(size), m_adj(adj), m_gap(gap) {}

  bool Run(std::vector<LPoint>& pos) {
    const int n = int(m_global.size());
    if (n < 2) return false;
    // Boxes apart and inside the area.
    std::vector<LPoint> centres, sizes;
    for (const LNode& node : m_graph.nodes) {
      const LBox& b = node.box;
      if (b.x0 < -kLimit || b.x1 > kLimit || b.y0 < -kLimit || b.y1 > kLimit) return false;
      centres.push_back(b.Centre());
      sizes.push_back({b.Width(), b.Height()});
    }
    if (!ClosePairs(centres, sizes, std::max(m_gap / 2, 1.0)).empty()) return false;
    pos.resize(std::size_t(n));
    for (int i = 0; i < n; ++i) pos[std::size_t(i)] = centres[std::size_t(m_global[std::size_t(i)])];

    // Links as long as a layout makes them, a few much longer.
    std::vector<double> stretch;  // per adjacency entry: length / ideal length
    stretch.reserve(m_adj.to.size());
    for (int v = 0; v < n; ++v)
      for (int k = m_adj.start[std::size_t(v)]; k < m_adj.start[std::size_t(v) + 1]; ++k) {
        const LPoint& a = pos[std::size_t(v)];
        const LPoint& b = pos[std::size_t(m_adj.to[std::size_t(k)])];
        stretch.push_back(std::hypot(a.x - b.x, a.y - b.y) / std::max(m_adj.length[std::size_t(k)], 1.0));
      }
    if (stretch.empty()) return false;
    std::vector<double> sorted = stretch;
    std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2), sorted.end());
    const double typical = sorted[sorted.size() / 2];
    if (typical > kMostTypicalStretch) return false;
    const double far = std::max(kFar * typical, kFarAtLeast);
    // The stretched links, most stretched first, each once (from its lower end).
    struct Stretched {
      double by;
      int a, b;
      bool operator<(const Stretched& o) const { return by > o.by || (by == o.by && (a < o.a || (a == o.a && b < o.b))); }
    };
    std::vector<Stretched> links;
    for (int v = 0; v < n; ++v)
      for (int k = m_adj.start[std::size_t(v)]; k < m_adj.start[std::size_t(v) + 1]; ++k)
        if (v < m_adj.to[std::size_t(k)] && stretch[std::size_t(k)] > far)
          links.push_back({stretch[std::size_t(k)], v, m_adj.to[std::size_t(k)]});
    if (links.size() > std::max<std::size_t>(kFewLinks, stretch.size() / 2 / 10)) return false;
    std::sort(links.begin(), links.end());
    // Their ends, then the ends' neighbours, while they are few.
    const std::size_t most = std::max<std::size_t>(8, std::size_t(n) / 20);
    std::vector<char> freed(std::size_t(n), 0);
    std::vector<int> chosen;
    auto release = [&](int v) {
      if (freed[std::size_t(v)] || chosen.size() >= most) return;
      freed[std::size_t(v)] = 1;
      chosen.push_back(v);
    };
    for (const Stretched& link : links) {
      release(link.a);
      release(link.b);
    }
    const std::size_t ends = chosen.size();
    for (std::size_t e = 0; e < ends; ++e) {
      const int v = chosen[e];
      for (int k = m_adj.start[std::size_t(v)]; k < m_adj.start[std::size_t(v) + 1]; ++k) release(m_adj.to[std::size_t(k)]);
    }
    if (chosen.empty()) return true;
    Relax(freed, pos);
    return Settle(freed, pos);
  }

 private:
  // Above this typical stretch the links are a hand-drawn spread, not a layout.
  static constexpr double kMostTypicalStretch = 24;
  // A link is stretched beyond this many times the typical stretch (and
  // never below kFarAtLeast times its ideal length).
  static constexpr double kFar = 4;
  static constexpr double kFarAtLeast = 3;
  static constexpr std::size_t kFewLinks = 4;
  static constexpr int kSweeps = 30;

  // Sweeps of sparse stress over the freed nodes only: each goes to the
  // weighted middle of the places its links' ideal lengths ask for, with
  // its own place now as one more such place.
  void Relax(const std::vector<char>& freed, std::vector<LPoint>& pos) const {
    const std::vector<LPoint> start = pos;
    const int n = int(pos.size());
    for (int it = 0; it < kSweeps; ++it)
      for (int i = 0; i < n; ++i) {
        if (!freed[std::size_t(i)]) continue;
        const LPoint me = pos[std::size_t(i)];
        double sx = 0, sy = 0, sw = 0;
        for (int k = m_adj.start[std::size_t(i)]; k < m_adj.start[std::size_t(i) + 1]; ++k) {
          const int j = m_adj.to[std::size_t(k)];
          const double d = std::max(m_adj.length[std::size_t(k)], 1.0);
          const LPoint other = pos[std::size_t(j)];
          double dx = me.x - other.x, dy = me.y - other.y;
          double dist = std::hypot(dx, dy);
          if (dist < 1e-9) {
            dx = 1;
            dy = 0;
            dist = 1;
          }
          const double w = 1 / (d * d);
          sx += w * (other.x + d * dx / dist);
          sy += w * (other.y + d * dy / dist);
          sw += w;
        }
        if (!(sw > 0)) continue;
        const double anchor = sw / double(m_adj.Degree(i));
        sx += anchor * start[std::size_t(i)].x;
        sy += anchor * start[std::size_t(i)].y;
        sw += anchor;
        pos[std::size_t(i)] = {sx / sw, sy / sw};
      }
  }

  // Whether node i's box at `at` keeps the gap from every box in `placed`
  // and lies inside the drawing area.
  bool Free(const LPoint& at, const LPoint& s, const std::vector<LPoint>& c, const std::vector<LPoint>& sz) const {
    if (at.x - s.x / 2 < -kLimit || at.x + s.x / 2 > kLimit || at.y - s.y / 2 < -kLimit || at.y + s.y / 2 > kLimit)
      return false;
    for (std::size_t j = 0; j < c.size(); ++j)
      if (std::abs(at.x - c[j].x) < (s.x + sz[j].x) / 2 + m_gap && std::abs(at.y - c[j].y) < (s.y + sz[j].y) / 2 + m_gap)
        return false;
    return true;
  }

  // The freed nodes, in index order, each on the nearest free place to
  // where it wants to be: that place itself, or the first ring of places
  // around it that has a free one.
  bool Settle(const std::vector<char>& freed, std::vector<LPoint>& pos) const {
    std::vector<LPoint> c, sz;  // what stands: kept nodes, fixed nodes, freed nodes settled so far
    double step = 1;
    for (std::size_t i = 0; i < m_graph.nodes.size(); ++i) {
      const int l = m_local[i];
      const LBox& b = m_graph.nodes[i].box;
      step = std::max({step, b.Width() + m_gap, b.Height() + m_gap});
      if (l >= 0 && freed[std::size_t(l)]) continue;
      c.push_back(l >= 0 ? pos[std::size_t(l)] : b.Centre());
      sz.push_back({b.Width(), b.Height()});
    }
    step /= 2;
    constexpr int kRings = 100;
    constexpr double kTurn = 6.283185307179586;
    for (std::size_t i = 0; i < pos.size(); ++i) {
      if (!freed[i]) continue;
      const LPoint want = pos[i];
      const LPoint& s = m_size[i];
      bool found = Free(want, s, c, sz);
      for (int ring = 1; ring <= kRings && !found; ++ring) {
        const int around = 8 * ring;
        double best = kInf;
        for (int a = 0; a < around; ++a) {
          const double r = step * ring;
          const LPoint at{want.x + r * std::cos(kTurn * a / around), want.y + r * std::sin(kTurn * a / around)};
          if (!Free(at, s, c, sz)) continue;
          const double d = std::hypot(at.x - want.x, at.y - want.y);
          if (d < best) {
            best = d;
            pos[i] = at;
            found = true;
          }
        }
      }
      if (!found) return false;
      c.push_back(pos[i]);
      sz.push_back(s);
    }
    return true;
  }

  const LGraph& m_graph;
  const std::vector<int>& m_local;
  const std::vector<int>& m_global;
  const std::vector<LPoint>& m_size;
  const Adjacency& m_adj;
  double m_gap;
};

}  // namespace

LPoint BorderPoint(const LPoint& from, const LPoint& towards, const LBox& box) {
  const double dx = towards.x - from.x, dy = towards.y - from.y;
  const double hw = box.Width() / 2, hh = box.Height() / 2;
  double t = 1;
  if (dx != 0) t = std::min(t, hw / std::abs(dx));
  if (dy != 0) t = std::min(t, hh / std::abs(dy));
  return {from.x + t * dx, from.y + t * dy};
}

std::vector<std::vector<LPoint>> StraightRoutes(const LGraph& graph, const std::vector<LPoint>& centres) {
  std::vector<std::vector<LPoint>> routes(graph.edges.size());
  for (std::size_t k = 0; k < graph.edges.size(); ++k) {
    const LEdge& e = graph.edges[k];
    if (e.from == e.to || e.keep == LRouteKeep::Route) continue;
    const LPoint a = centres[std::size_t(e.from)], b = centres[std::size_t(e.to)];
    routes[k] = {BorderPoint(a, b, graph.nodes[std::size_t(e.from)].box),
                 BorderPoint(b, a, graph.nodes[std::size_t(e.to)].box)};
  }
  return routes;
}

std::int64_t CountOverlaps(const std::vector<LPoint>& centres, const std::vector<LPoint>& sizes, double tolerance) {
  return std::int64_t(ClosePairs(centres, sizes, -tolerance).size());
}

void RemoveOverlaps(std::vector<LPoint>& c, const std::vector<LPoint>& s, double gap) {
  if (c.size() < 2) return;
  SeparateStacked(c);
  // Local pushes first: each close pair moves apart along the axis where it
  // overlaps least, one pair after the other.
  for (int round = 0; round < 20; ++round) {
    const auto pairs = ClosePairs(c, s, gap);
    if (pairs.empty()) return;
    for (const auto& [a, b] : pairs) {
      LPoint& pa = c[std::size_t(a)];
      LPoint& pb = c[std::size_t(b)];
      const double dx = pb.x - pa.x, dy = pb.y - pa.y;
      const double ox = (s[std::size_t(a)].x + s[std::size_t(b)].x) / 2 + gap - std::abs(dx);
      const double oy = (s[std::size_t(a)].y + s[std::size_t(b)].y) / 2 + gap - std::abs(dy);
      if (ox <= 0 || oy <= 0) continue;
      if (ox <= oy) {
        const double half = (dx < 0 ? -ox : ox) / 2;
        pa.x -= half;
        pb.x += half;
      } else {
        const double half = (dy < 0 ? -oy : oy) / 2;
        pa.y -= half;
        pb.y += half;
      }
    }
  }
  if (ClosePairs(c, s, gap).empty()) return;
  // What is left is settled for good: in the order of their left sides,
  // each box moves right past every box before it that it still meets.
  std::vector<int> order(c.size());
  std::iota(order.begin(), order.end(), 0);
  auto left = [&](int i) { return c[std::size_t(i)].x - s[std::size_t(i)].x / 2; };
  std::sort(order.begin(), order.end(),
            [&](int a, int b) { return left(a) < left(b) || (left(a) == left(b) && a < b); });
  std::vector<int> done;
  for (int i : order) {
    LPoint& p = c[std::size_t(i)];
    // A box that ends before this one begins ends before every later one.
    const double begins = left(i);
    done.erase(std::remove_if(done.begin(), done.end(),
                              [&](int j) { return c[std::size_t(j)].x + s[std::size_t(j)].x / 2 + gap <= begins; }),
               done.end());
    double x = p.x;
    for (int j : done) {
      const LPoint& q = c[std::size_t(j)];
      const double needY = (s[std::size_t(i)].y + s[std::size_t(j)].y) / 2 + gap;
      const double needX = (s[std::size_t(i)].x + s[std::size_t(j)].x) / 2 + gap;
      if (std::abs(p.y - q.y) < needY) x = std::max(x, q.x + needX);
    }
    p.x = x;
    done.push_back(i);
  }
}

LStatus LayoutOrganic(const LGraph& graph, const LOrganicOptions& options, LResult& result) {
  if (const LStatus s = Validate(graph); s != LStatus::Ok) return s;
  const double gap = std::max(0.0, options.spacing.node);
  const double componentGap = std::max(gap, options.spacing.layer);
  if (!std::isfinite(gap) || !std::isfinite(componentGap)) return LStatus::BadInput;

  // The nodes to place, numbered in graph order.
  std::vector<int> local(graph.nodes.size(), -1), global;
  for (std::size_t i = 0; i < graph.nodes.size(); ++i)
    if (!graph.nodes[i].fixed) {
      local[i] = int(global.size());
      global.push_back(int(i));
    }
  const int n = int(global.size());
  std::vector<double> radius(static_cast<std::size_t>(n));
  std::vector<LPoint> size(static_cast<std::size_t>(n));
  LPoint was;
  for (int i = 0; i < n; ++i) {
    const LBox& b = graph.nodes[std::size_t(global[std::size_t(i)])].box;
    size[std::size_t(i)] = {b.Width(), b.Height()};
    radius[std::size_t(i)] = 0.4 * std::hypot(b.Width(), b.Height());
    was = {was.x + b.Centre().x / n, was.y + b.Centre().y / n};
  }
  const Adjacency adj = BuildAdjacency(graph, local, radius, gap);
  if (options.keepLaidOut) {
    std::vector<LPoint> pos;
    if (InPlace(graph, local, global, size, adj, gap).Run(pos)) {
      LResult out;
      out.centres.resize(graph.nodes.size());
      for (std::size_t i = 0; i < graph.nodes.size(); ++i)
        out.centres[i] = local[i] < 0 ? graph.nodes[i].box.Centre() : pos[std::size_t(local[i])];
      out.routes = StraightRoutes(graph, out.centres);
      out.reversed.assign(graph.edges.size(), 0);
      result = std::move(out);
      return LStatus::Ok;
    }
  }

  // Each connected group on its own, then the groups packed in rows.
  struct Placed {
    std::vector<int> nodes;
    std::vector<LPoint> pos;
    LBox box;
  };
  std::vector<Placed> groups;
  std::vector<int> inComp(static_cast<std::size_t>(n), -1);
  for (std::vector<int>& comp : Components(adj, n)) {
    const int m = int(comp.size());
    for (int i = 0; i < m; ++i) inComp[std::size_t(comp[std::size_t(i)])] = i;
    Placed g;
    g.pos.assign(std::size_t(m), LPoint{});
    if (m > 1) {
      const Pivots pivots = ChoosePivots(adj, comp, inComp, std::max(2, std::min(options.pivots, m)));
      PivotMds(pivots, m, g.pos);
      SparseStress(adj, comp, inComp, pivots, std::max(0, options.iterations), g.pos);
      SpringElectrical(adj, comp, inComp, std::max(0, options.refinements), g.pos);
      std::vector<LPoint> sizes(static_cast<std::size_t>(m));
      for (int i = 0; i < m; ++i) sizes[std::size_t(i)] = size[std::size_t(comp[std::size_t(i)])];
      GiveRoom(g.pos, sizes, gap);
      RemoveOverlaps(g.pos, sizes, gap);
      if (options.untangle > 0) {
        Untangler untangler(adj, comp, inComp, sizes, gap, g.pos);
        for (int pass = 0; pass < options.untangle; ++pass) untangler.Pass();
      }
    }
    g.box = {kInf, kInf, -kInf, -kInf};
    for (int i = 0; i < m; ++i) {
      const LPoint& p = g.pos[std::size_t(i)];
      const LPoint& sz = size[std::size_t(comp[std::size_t(i)])];
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) return LStatus::TooLarge;
      g.box = {std::min(g.box.x0, p.x - sz.x / 2), std::min(g.box.y0, p.y - sz.y / 2),
               std::max(g.box.x1, p.x + sz.x / 2), std::max(g.box.y1, p.y + sz.y / 2)};
    }
    g.nodes = std::move(comp);
    groups.push_back(std::move(g));
  }

  // Rows of groups, tallest first, a little wider than the whole is high.
  std::vector<LPoint> extents;
  for (const Placed& g : groups) extents.push_back({g.box.Width(), g.box.Height()});
  const LRows rows = PackRows(extents, componentGap, 1.2, kInf, true);
  std::vector<LPoint> placed(static_cast<std::size_t>(n));
  const LBox all{0, -rows.height, rows.width, 0};
  for (std::size_t gi = 0; gi < groups.size(); ++gi) {
    const Placed& g = groups[gi];
    const double dx = rows.corner[gi].x - g.box.x0, dy = rows.corner[gi].y - g.box.y1;
    for (std::size_t i = 0; i < g.nodes.size(); ++i)
      placed[std::size_t(g.nodes[i])] = {g.pos[i].x + dx, g.pos[i].y + dy};
  }

  // Where the placed nodes were, unless that is where the fixed ones stand:
  // then below them.
  LPoint target = n > 0 ? was : LPoint{};
  LBox fixedBox{kInf, kInf, -kInf, -kInf};
  for (const LNode& node : graph.nodes)
    if (node.fixed)
      fixedBox = {std::min(fixedBox.x0, node.box.x0), std::min(fixedBox.y0, node.box.y0),
                  std::max(fixedBox.x1, node.box.x1), std::max(fixedBox.y1, node.box.y1)};
  if (n > 0) {
    const double w = all.Width(), h = all.Height();
    if (w > 2 * kLimit || h > 2 * kLimit) return LStatus::TooLarge;
    LBox block{target.x - w / 2, target.y - h / 2, target.x + w / 2, target.y + h / 2};
    if (fixedBox.x0 <= fixedBox.x1 && block.x0 < fixedBox.x1 + componentGap && fixedBox.x0 < block.x1 + componentGap &&
        block.y0 < fixedBox.y1 + componentGap && fixedBox.y0 < block.y1 + componentGap)
      target = {fixedBox.Centre().x, fixedBox.y0 - 5000 - h / 2};
    // Inside the drawing area.
    target.x = std::clamp(target.x, -kLimit + w / 2, kLimit - w / 2);
    target.y = std::clamp(target.y, -kLimit + h / 2, kLimit - h / 2);
  }
  const LPoint move{target.x - all.Centre().x, target.y - all.Centre().y};

  LResult out;
  out.centres.resize(graph.nodes.size());
  for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
    const int l = local[i];
    out.centres[i] = l < 0 ? graph.nodes[i].box.Centre()
                           : LPoint{placed[std::size_t(l)].x + move.x, placed[std::size_t(l)].y + move.y};
  }
  out.routes = StraightRoutes(graph, out.centres);
  out.reversed.assign(graph.edges.size(), 0);
  result = std::move(out);
  return LStatus::Ok;
}

}  // namespace kvl
