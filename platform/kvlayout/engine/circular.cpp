#include "kvlayout/engine/circular.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <set>
#include <tuple>
#include <numbers>
#include <utility>

#include "kvlayout/engine/organic.h"
#include "kvlayout/engine/pack.h"

namespace kvl {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;
// A circle's reach (its radius and half its largest box) stays under this,
// so that a component still fits once packing centres it.
constexpr double kReach = 0.9 * kLimit;
// The swaps' work, in link pairs looked at, per circle.
constexpr long long kSwapBudget = 20'000'000;

// Angles of items of the given diameters around one circle, neighbours
// `gap` apart, on the smallest radius (at least `minRadius`) that allows it:
// the chord between two neighbours is at least their half diameters and the
// gap, and what is left of the turn is shared evenly.
struct Ring {
  double radius = 0;
  std::vector<double> angle;
};

Ring RingFor(const std::vector<double>& diam, double gap, double minRadius) {
  Ring r;
  const std::size_t k = diam.size();
  r.angle.assign(k, 0);
  if (k == 1) r.radius = minRadius;
  if (k < 2) return r;
  std::vector<double> need(k);
  double most = 0, sum = 0;
  for (std::size_t i = 0; i < k; ++i) {
    need[i] = (diam[i] + diam[(i + 1) % k]) / 2 + gap;
    most = std::max(most, need[i]);
    sum += need[i];
  }
  if (k == 2) {
    r.radius = std::max(most / 2, minRadius);
    r.angle = {0, std::numbers::pi};
    return r;
  }
  auto step = [&](std::size_t i, double radius) { return 2 * std::asin(std::min(1.0, need[i] / (2 * radius))); };
  auto total = [&](double radius) {
    double t = 0;
    for (std::size_t i = 0; i < k; ++i) t += step(i, radius);
    return t;
  };
  double lo = std::max(most / 2, minRadius);
  if (total(lo) > kTurn) {
    // 2 asin(x / 2R) <= pi x / 2R, so a quarter of the sum is always enough.
    double hi = std::max(lo, sum / 4) * 1.001;
    for (int it = 0; it < 60; ++it) {
      const double mid = (lo + hi) / 2;
      (total(mid) > kTurn ? lo : hi) = mid;
    }
    lo = hi;
  }
  r.radius = lo;
  const double extra = std::max(0.0, kTurn - total(lo)) / double(k);
  for (std::size_t i = 1; i < k; ++i) r.angle[i] = r.angle[i - 1] + step(i - 1, lo) + extra;
  return r;
}

// Offsets of boxes (sizes given, in circle order) around their circle's
// centre. One circle when it fits inside the reach, grown until no two boxes
// overlap (neighbours apart does not always keep the others apart when
// sizes differ a lot); else rings inside one another, each a box diagonal
// and a gap inside the last. False when even that does not fit.
bool CircleOffsets(const std::vector<LPoint>& sizes, double gap, std::vector<LPoint>& off) {
  const std::size_t k = sizes.size();
  std::vector<double> diam(k);
  double most = 0;
  for (std::size_t i = 0; i < k; ++i) {
    diam[i] = std::hypot(sizes[i].x, sizes[i].y);
    most = std::max(most, diam[i]);
  }
  off.assign(k, {});
  const Ring ring = RingFor(diam, gap, 0);
  std::vector<LPoint> grown(k);
  for (std::size_t i = 0; i < k; ++i) grown[i] = {sizes[i].x + gap, sizes[i].y + gap};
  for (double scale = 1; ring.radius * scale + most / 2 <= kReach; scale *= 1.15) {
    for (std::size_t i = 0; i < k; ++i)
      off[i] = {ring.radius * scale * std::cos(ring.angle[i]), ring.radius * scale * std::sin(ring.angle[i])};
    if (CountOverlaps(off, grown, gap / 2) == 0) return true;
  }
  // Rings from the outside in: every box takes the room of the largest.
  double radius = kReach - most / 2;
  std::size_t i = 0;
  while (i < k) {
    if (radius < most + gap) return false;
    const double room = 2 * std::asin(std::min(1.0, (most + gap) / (2 * radius)));
    const std::size_t fit = std::max<std::size_t>(1, std::size_t(kTurn / room));
    const std::size_t take = std::min(fit, k - i);
    for (std::size_t j = 0; j < take; ++j) {
      const double a = kTurn * double(j) / double(take);
      off[i + j] = {radius * std::cos(a), radius * std::sin(a)};
    }
    i += take;
    radius -= most + gap;
  }
  return true;
}

// The order of a circle's nodes: a depth-first walk, then rounds that sort
// the nodes by the mean direction of their neighbours (kept only while they
// cross fewer), then groups brought together, then each node moved to its
// best place and last swaps of neighbours while a swap removes crossings.
class CircleOrder {
 public:
  CircleOrder(const std::vector<int>& members, const std::vector<std::vector<int>>& adj, const LGraph& graph,
              int siftRounds, int swapPasses)
      : m_k(int(members.size())), m_adj(std::size_t(m_k)), m_group(std::size_t(m_k)) {
    std::map<int, int> local;
    for (int i = 0; i < m_k; ++i) local[members[std::size_t(i)]] = i;
    for (int i = 0; i < m_k; ++i) {
      const int v = members[std::size_t(i)];
      m_group[std::size_t(i)] = graph.nodes[std::size_t(v)].group;
      for (int w : adj[std::size_t(v)])
        if (auto it = local.find(w); it != local.end()) m_adj[std::size_t(i)].push_back(it->second);
    }
    Walk();
    Sweep();
    Gather();
    for (int round = 0; round < siftRounds && Sift(); ++round) {
    }
    Swap(swapPasses);
    m_order.clear();
    for (int i : m_seq) m_order.push_back(members[std::size_t(i)]);
  }
  const std::vector<int>& Order() const { return m_order; }

 private:
  // Greedy growth of the sequence: next comes the node with the most links
  // to nodes already placed (then the fewest to nodes not yet placed), at
  // the end of the sequence nearer to its placed neighbours. The two ends
  // meet around the circle, so a ring or chain is followed, not crossed.
  void Walk() {
    std::vector<int> placed(static_cast<std::size_t>(m_k), 0), open(static_cast<std::size_t>(m_k));
    std::set<std::tuple<int, int, int>> next;  // (-placed, open, node)
    for (int v = 0; v < m_k; ++v) {
      open[std::size_t(v)] = int(m_adj[std::size_t(v)].size());
      next.insert({0, open[std::size_t(v)], v});
    }
    std::vector<long long> at(static_cast<std::size_t>(m_k), 0);
    std::vector<char> done(static_cast<std::size_t>(m_k), 0);
    std::deque<int> seq;
    long long front = 0, back = -1;
    while (!next.empty()) {
      const int v = std::get<2>(*next.begin());
      next.erase(next.begin());
      double toFront = 0, toBack = 0;
      for (int w : m_adj[std::size_t(v)])
        if (done[std::size_t(w)]) {
          toFront += double(at[std::size_t(w)] - front + 1);
          toBack += double(back - at[std::size_t(w)] + 1);
        }
      if (toFront < toBack) {
        seq.push_front(v);
        at[std::size_t(v)] = --front;
      } else {
        seq.push_back(v);
        at[std::size_t(v)] = ++back;
      }
      done[std::size_t(v)] = 1;
      for (int w : m_adj[std::size_t(v)]) {
        if (done[std::size_t(w)]) continue;
        next.erase({-placed[std::size_t(w)], open[std::size_t(w)], w});
        ++placed[std::size_t(w)];
        --open[std::size_t(w)];
        next.insert({-placed[std::size_t(w)], open[std::size_t(w)], w});
      }
    }
    m_seq.assign(seq.begin(), seq.end());
    Places();
  }

  void Places() {
    m_at.assign(std::size_t(m_k), 0);
    for (int p = 0; p < m_k; ++p) m_at[std::size_t(m_seq[std::size_t(p)])] = p;
  }

  long long Crossings() const {
    std::vector<std::pair<int, int>> chords;
    for (int v = 0; v < m_k; ++v)
      for (int w : m_adj[std::size_t(v)])
        if (v < w) chords.push_back({m_at[std::size_t(v)], m_at[std::size_t(w)]});
    return CircleCrossings(chords, m_k);
  }

  void Sweep() {
    if (m_k < 4) return;
    long long now = Crossings();
    for (int round = 0; round < 6 && now > 0; ++round) {
      std::vector<std::pair<double, int>> key(static_cast<std::size_t>(m_k));
      for (int v = 0; v < m_k; ++v) {
        const double own = kTurn * m_at[std::size_t(v)] / m_k;
        double x = std::cos(own), y = std::sin(own);
        for (int w : m_adj[std::size_t(v)]) {
          const double a = kTurn * m_at[std::size_t(w)] / m_k;
          x += std::cos(a);
          y += std::sin(a);
        }
        key[std::size_t(v)] = {std::hypot(x, y) < 1e-9 ? own : std::atan2(y, x), m_at[std::size_t(v)]};
      }
      std::vector<int> seq = m_seq;
      std::sort(seq.begin(), seq.end(), [&](int a, int b) { return key[std::size_t(a)] < key[std::size_t(b)]; });
      const std::vector<int> was = m_seq;
      m_seq = seq;
      Places();
      const long long then = Crossings();
      if (then >= now) {
        m_seq = was;
        Places();
        break;
      }
      now = then;
    }
  }

  // Members of one group next to each other, where their mean place is.
  void Gather() {
    std::map<int, std::pair<double, int>> mean;
    for (int v = 0; v < m_k; ++v)
      if (const int g = m_group[std::size_t(v)]; g >= 0) {
        mean[g].first += m_at[std::size_t(v)];
        ++mean[g].second;
      }
    if (mean.empty()) return;
    auto key = [&](int v) {
      const int g = m_group[std::size_t(v)];
      if (g < 0) return std::pair<double, int>{double(m_at[std::size_t(v)]), -1};
      const auto& [sum, count] = mean[g];
      return std::pair<double, int>{sum / count, g};
    };
    std::stable_sort(m_seq.begin(), m_seq.end(), [&](int a, int b) { return key(a) < key(b); });
    Places();
  }

  // Swapping two neighbours u, v around the circle turns every pair of
  // their links to two other distinct nodes from crossing to not crossing
  // and back, and no other pair: what the swap gains, negative when it
  // removes crossings.
  long long SwapGain(int u, int v) {
    long long delta = 0;
    for (int x : m_adj[std::size_t(u)]) {
      if (x == v) continue;
      for (int y : m_adj[std::size_t(v)]) {
        if (y == u || y == x) continue;
        delta += Cross(u, x, v, y) ? -1 : 1;
      }
    }
    m_work += 1 + (long long)(m_adj[std::size_t(u)].size() * m_adj[std::size_t(v)].size());
    return delta;
  }

  void SwapAt(int p) {
    const std::size_t a = std::size_t(p), b = std::size_t((p + 1) % m_k);
    std::swap(m_seq[a], m_seq[b]);
    std::swap(m_at[std::size_t(m_seq[a])], m_at[std::size_t(m_seq[b])]);
  }

  // Sifting: each node not in a group walks once round the circle, one swap
  // at a time, and stays where its links crossed the fewest (never between
  // two members of one group).
  bool Sift() {
    if (m_k < 4) return false;
    bool better = false;
    const std::vector<int> nodes = m_seq;
    for (int v : nodes) {
      if (m_group[std::size_t(v)] >= 0 || m_adj[std::size_t(v)].empty()) continue;
      if (m_work > kSwapBudget) return false;
      long long now = 0, best = 0;
      int bestStep = 0;
      for (int step = 1; step < m_k; ++step) {
        const int p = m_at[std::size_t(v)];
        now += SwapGain(v, m_seq[std::size_t((p + 1) % m_k)]);
        SwapAt(p);
        const int after = m_seq[std::size_t((m_at[std::size_t(v)] + 1) % m_k)];
        const int before = m_seq[std::size_t((m_at[std::size_t(v)] + m_k - 1) % m_k)];
        const bool inGroup = m_group[std::size_t(after)] >= 0 && m_group[std::size_t(after)] == m_group[std::size_t(before)];
        if (now < best && !inGroup) {
          best = now;
          bestStep = step;
        }
      }
      // Round once: v stands between its first neighbours again.
      for (int step = 0; step < bestStep; ++step) SwapAt(m_at[std::size_t(v)]);
      better = better || bestStep > 0;
    }
    return better;
  }

  void Swap(int passes) {
    if (m_k < 4) return;
    for (int pass = 0; pass < passes && m_work < kSwapBudget; ++pass) {
      bool better = false;
      for (int p = 0; p < m_k && m_work < kSwapBudget; ++p) {
        const int u = m_seq[std::size_t(p)], v = m_seq[std::size_t((p + 1) % m_k)];
        if (m_group[std::size_t(u)] != m_group[std::size_t(v)]) continue;
        if (SwapGain(u, v) < 0) {
          SwapAt(p);
          better = true;
        }
      }
      if (!better) break;
    }
  }

  bool Cross(int a, int b, int c, int d) const {
    const int lo = std::min(m_at[std::size_t(a)], m_at[std::size_t(b)]);
    const int hi = std::max(m_at[std::size_t(a)], m_at[std::size_t(b)]);
    const int pc = m_at[std::size_t(c)], pd = m_at[std::size_t(d)];
    return (lo < pc && pc < hi) != (lo < pd && pd < hi);
  }

  int m_k;
  std::vector<std::vector<int>> m_adj;
  std::vector<int> m_group;
  std::vector<int> m_seq;  // local nodes in circle order
  std::vector<int> m_at;   // place of each local node
  std::vector<int> m_order;
  long long m_work = 0;  // link pairs looked at by the swaps
};

// The biconnected parts of a component (nodes given by index into `nodes`,
// links in `adj`), each as its nodes; a node without links is a part alone.
std::vector<std::vector<int>> Blocks(const std::vector<int>& nodes, const std::vector<std::vector<int>>& adj,
                                     std::vector<int>& localOf) {
  const int k = int(nodes.size());
  for (int i = 0; i < k; ++i) localOf[std::size_t(nodes[std::size_t(i)])] = i;
  std::vector<int> disc(std::size_t(k), -1), low(std::size_t(k), 0);
  std::vector<std::pair<int, int>> edges;
  std::vector<std::vector<int>> blocks;
  int time = 0;
  struct Frame {
    int v, parent;
    std::size_t next;
  };
  for (int root = 0; root < k; ++root) {
    if (disc[std::size_t(root)] >= 0) continue;
    disc[std::size_t(root)] = low[std::size_t(root)] = time++;
    if (adj[std::size_t(nodes[std::size_t(root)])].empty()) {
      blocks.push_back({root});
      continue;
    }
    std::vector<Frame> stack{{root, -1, 0}};
    while (!stack.empty()) {
      Frame& f = stack.back();
      const int u = f.v;
      const std::vector<int>& around = adj[std::size_t(nodes[std::size_t(u)])];
      if (f.next < around.size()) {
        const int w = localOf[std::size_t(around[f.next++])];
        if (disc[std::size_t(w)] < 0) {
          edges.push_back({u, w});
          disc[std::size_t(w)] = low[std::size_t(w)] = time++;
          stack.push_back({w, u, 0});
        } else if (w != f.parent && disc[std::size_t(w)] < disc[std::size_t(u)]) {
          edges.push_back({u, w});
          low[std::size_t(u)] = std::min(low[std::size_t(u)], disc[std::size_t(w)]);
        }
        continue;
      }
      stack.pop_back();
      if (stack.empty()) break;
      const int p = stack.back().v;
      low[std::size_t(p)] = std::min(low[std::size_t(p)], low[std::size_t(u)]);
      if (low[std::size_t(u)] >= disc[std::size_t(p)]) {
        std::vector<int> block;
        while (true) {
          const auto [a, b] = edges.back();
          edges.pop_back();
          block.push_back(a);
          block.push_back(b);
          if (a == p && b == u) break;
        }
        std::sort(block.begin(), block.end());
        block.erase(std::unique(block.begin(), block.end()), block.end());
        blocks.push_back(std::move(block));
      }
    }
  }
  return blocks;
}

// The circles of one component for the radiation: each group one circle;
// the other nodes by biconnected part, walking the parts from the largest
// outwards, a node joining the first part that reaches it; the far ends of
// the single links hanging from one node share a circle. In walking order,
// the largest part's circle first. Nodes as indices into the graph.
std::vector<std::vector<int>> Clusters(const LGraph& graph, const std::vector<int>& nodes,
                                       const std::vector<std::vector<int>>& adj, std::vector<int>& localOf) {
  const std::vector<std::vector<int>> blocks = Blocks(nodes, adj, localOf);
  const std::size_t k = nodes.size();
  std::vector<std::vector<int>> blocksOf(k);
  for (std::size_t b = 0; b < blocks.size(); ++b)
    for (int v : blocks[b]) blocksOf[std::size_t(v)].push_back(int(b));
  std::size_t root = 0;
  for (std::size_t b = 1; b < blocks.size(); ++b)
    if (blocks[b].size() > blocks[root].size()) root = b;

  std::vector<std::vector<int>> clusters;
  std::map<int, int> groupCluster, hangCluster;
  std::vector<char> placed(k, 0), walked(blocks.size(), 0);
  auto join = [&](int v, int cluster) {
    placed[std::size_t(v)] = 1;
    const int g = graph.nodes[std::size_t(nodes[std::size_t(v)])].group;
    if (g >= 0) {
      auto [it, fresh] = groupCluster.try_emplace(g, int(clusters.size()));
      if (fresh) clusters.emplace_back();
      cluster = it->second;
    } else if (cluster < 0) {
      cluster = int(clusters.size());
      clusters.emplace_back();
    }
    clusters[std::size_t(cluster)].push_back(nodes[std::size_t(v)]);
  };
  std::vector<std::size_t> queue{root};
  walked[root] = 1;
  for (std::size_t q = 0; q < queue.size(); ++q) {
    const std::vector<int>& block = blocks[queue[q]];
    int cluster = -1;
    if (block.size() == 2 && q > 0) {
      // A single link: its far end joins the others hanging from the near end.
      const int near = placed[std::size_t(block[0])] ? block[0] : block[1];
      auto [it, fresh] = hangCluster.try_emplace(near, int(clusters.size()));
      if (fresh) clusters.emplace_back();
      cluster = it->second;
    } else {
      cluster = int(clusters.size());
      clusters.emplace_back();
    }
    for (int v : block) {
      if (!placed[std::size_t(v)]) join(v, cluster);
      for (int b : blocksOf[std::size_t(v)])
        if (!walked[std::size_t(b)]) {
          walked[std::size_t(b)] = 1;
          queue.push_back(std::size_t(b));
        }
    }
  }
  std::erase_if(clusters, [](const std::vector<int>& c) { return c.empty(); });
  return clusters;
}

LPoint Rotated(const LPoint& p, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {p.x * c - p.y * s, p.x * s + p.y * c};
}

// The centre of the circle nearest (least squares) to the centres of the
// members' boxes, `mean` their mean; `mean` when they stand on a line.
LPoint FittedCentre(const LGraph& graph, const std::vector<int>& members, const LPoint& mean) {
  double suu = 0, suv = 0, svv = 0, ru = 0, rv = 0;
  for (int v : members) {
    const LPoint p = graph.nodes[std::size_t(v)].box.Centre();
    const double u = p.x - mean.x, w = p.y - mean.y;
    suu += u * u;
    suv += u * w;
    svv += w * w;
    ru += u * (u * u + w * w) / 2;
    rv += w * (u * u + w * w) / 2;
  }
  const double det = suu * svv - suv * suv;
  if (!(std::abs(det) > 1e-12 * (suu * svv)) || !std::isfinite(det)) return mean;
  return {mean.x + (ru * svv - rv * suv) / det, mean.y + (rv * suu - ru * suv) / det};
}

// The order in which a circle's nodes already stand round their circle, or
// round the rings inside one another that a circle too large for the area
// becomes (a drawing this style made before, laid out again after a small
// edit), so that they keep their places: ring by ring from the outside in,
// each counter-clockwise from its node nearest the ring's first place
// (straight right of the centre). Empty when they do not stand so.
std::vector<int> StandingOrder(const LGraph& graph, const std::vector<int>& members) {
  const std::size_t k = members.size();
  if (k < 3) return {};
  LPoint c{0, 0};
  for (int v : members) {
    const LPoint p = graph.nodes[std::size_t(v)].box.Centre();
    c = {c.x + p.x / double(k), c.y + p.y / double(k)};
  }
  std::vector<double> radius(k), angle(k);
  auto around = [&](const LPoint& centre) {
    for (std::size_t i = 0; i < k; ++i) {
      const LPoint p = graph.nodes[std::size_t(members[i])].box.Centre();
      radius[i] = std::hypot(p.x - centre.x, p.y - centre.y);
      angle[i] = std::atan2(p.y - centre.y, p.x - centre.x);
      if (!std::isfinite(radius[i]) || radius[i] < 1) return false;
    }
    return true;
  };
  auto oneRing = [&] {
    const auto [lo, hi] = std::minmax_element(radius.begin(), radius.end());
    return *hi - *lo <= 2 + 1e-4 * *hi;
  };
  // Nodes of different sizes stand unevenly round one circle, so that their
  // mean is off its centre and their distances from the mean spread as if
  // they stood on several rings: the circle through them (least squares)
  // is tried first; rings inside one another stand evenly, round their mean.
  if (const LPoint fit = FittedCentre(graph, members, c); around(fit) && oneRing()) c = fit;
  else if (!around(c)) return {};
  std::vector<std::size_t> byRadius(k);
  for (std::size_t i = 0; i < k; ++i) byRadius[i] = i;
  std::sort(byRadius.begin(), byRadius.end(), [&](std::size_t a, std::size_t b) {
    return radius[a] != radius[b] ? radius[a] > radius[b] : a < b;
  });
  std::vector<int> order;
  for (std::size_t s = 0, e = 0; s < k; s = e) {
    const double tolerance = 2 + 1e-4 * radius[byRadius[s]];
    for (e = s + 1; e < k && radius[byRadius[s]] - radius[byRadius[e]] <= tolerance;) ++e;
    // A ring of one or two nodes (but the last) is no ring of this style.
    if (e - s < 3 && e < k) return {};
    std::vector<std::size_t> ring(byRadius.begin() + std::ptrdiff_t(s), byRadius.begin() + std::ptrdiff_t(e));
    std::sort(ring.begin(), ring.end(), [&](std::size_t a, std::size_t b) {
      return angle[a] != angle[b] ? angle[a] < angle[b] : a < b;
    });
    for (std::size_t i = 1; i < ring.size(); ++i)
      if (angle[ring[i]] == angle[ring[i - 1]]) return {};
    std::size_t first = 0;
    for (std::size_t i = 1; i < ring.size(); ++i)
      if (std::abs(angle[ring[i]]) < std::abs(angle[ring[first]])) first = i;
    for (std::size_t i = 0; i < ring.size(); ++i) order.push_back(members[ring[(first + i) % ring.size()]]);
  }
  return order;
}

// Places one component's circles (each a list of nodes) around the origin:
// false when they do not fit inside the reach.
bool PlaceCircles(const LGraph& graph, std::vector<std::vector<int>> clusters, const std::vector<std::vector<int>>& adj,
                  const LCircularOptions& options, std::vector<int>& clusterOf, std::vector<LPoint>& centres) {
  const double gap = std::max(0.0, options.spacing.node);
  auto sizeOf = [&](int v) {
    return LPoint{graph.nodes[std::size_t(v)].box.Width(), graph.nodes[std::size_t(v)].box.Height()};
  };
  for (std::size_t c = 0; c < clusters.size(); ++c)
    for (int v : clusters[c]) clusterOf[std::size_t(v)] = int(c);
  // Where each circle hangs from an earlier one: the link to the earliest
  // circle, of the node with the lowest number, to the lowest-numbered node
  // there (none for the first circle). Chosen by numbers, not by places
  // round the circles, so that the same circle comes out whichever node
  // its order starts from.
  std::vector<int> hangNode(clusters.size(), -1), hangFrom(clusters.size(), -1);
  for (std::size_t c = 1; c < clusters.size(); ++c) {
    int parent = -1;
    for (int v : clusters[c])
      for (int w : adj[std::size_t(v)]) {
        const int k = clusterOf[std::size_t(w)];
        if (k >= int(c)) continue;
        if (parent < 0 || std::tie(k, v, w) < std::tie(parent, hangNode[c], hangFrom[c])) {
          parent = k;
          hangNode[c] = v;
          hangFrom[c] = w;
        }
      }
  }
  // Each circle around its own centre. Its order starts from the node that
  // hangs (else from the lowest-numbered node): the order found round a
  // circle has no start of its own, and a fixed start gives the same
  // offsets, and so the same places, every time the order comes back.
  std::vector<std::vector<LPoint>> offsets(clusters.size());
  std::vector<double> reach(clusters.size(), 0);
  for (std::size_t c = 0; c < clusters.size(); ++c) {
    if (std::vector<int> standing = StandingOrder(graph, clusters[c]); !standing.empty())
      clusters[c] = std::move(standing);
    else
      clusters[c] = CircleOrder(clusters[c], adj, graph, options.siftRounds, options.swapPasses).Order();
    std::vector<int>& order = clusters[c];
    const auto start = hangNode[c] >= 0 ? std::find(order.begin(), order.end(), hangNode[c])
                                        : std::min_element(order.begin(), order.end());
    std::rotate(order.begin(), start, order.end());
    std::vector<LPoint> sizes;
    for (int v : order) sizes.push_back(sizeOf(v));
    if (!CircleOffsets(sizes, gap, offsets[c])) return false;
    for (std::size_t i = 0; i < sizes.size(); ++i)
      reach[c] = std::max(reach[c], std::hypot(offsets[c][i].x, offsets[c][i].y) + std::hypot(sizes[i].x, sizes[i].y) / 2);
  }
  // The first circle in the middle, the others on a ring around it, each
  // in the direction of the node it hangs from (a circle hanging from an
  // outer circle in that one's direction) and turned so that its node that
  // hangs faces the middle.
  std::vector<LPoint> centre(clusters.size());
  if (clusters.size() > 1) {
    const std::size_t count = clusters.size();
    std::map<int, LPoint> inMiddle;
    for (std::size_t i = 0; i < clusters[0].size(); ++i) inMiddle[clusters[0][i]] = offsets[0][i];
    std::vector<double> direction(count, 0);
    for (std::size_t c = 1; c < count; ++c) {
      if (hangFrom[c] < 0) continue;
      const int parent = clusterOf[std::size_t(hangFrom[c])];
      if (parent == 0) {
        const LPoint o = inMiddle[hangFrom[c]];
        direction[c] = std::atan2(o.y, o.x);
        if (direction[c] < 0) direction[c] += kTurn;
      } else {
        direction[c] = direction[std::size_t(parent)];
      }
    }
    std::vector<std::size_t> around;
    for (std::size_t c = 1; c < count; ++c) around.push_back(c);
    std::stable_sort(around.begin(), around.end(),
                     [&](std::size_t x, std::size_t y) { return direction[x] < direction[y]; });
    std::vector<double> diam;
    double most = 0;
    for (std::size_t c : around) {
      diam.push_back(2 * reach[c]);
      most = std::max(most, reach[c]);
    }
    const Ring ring = RingFor(diam, gap, reach[0] + most + gap);
    double sx = 0, sy = 0;
    for (std::size_t j = 0; j < around.size(); ++j) {
      sx += std::cos(direction[around[j]] - ring.angle[j]);
      sy += std::sin(direction[around[j]] - ring.angle[j]);
    }
    const double shift = std::hypot(sx, sy) < 1e-9 ? 0 : std::atan2(sy, sx);
    if (ring.radius + most <= kReach) {
      for (std::size_t j = 0; j < around.size(); ++j) {
        const std::size_t c = around[j];
        const double a = ring.angle[j] + shift;
        centre[c] = {ring.radius * std::cos(a), ring.radius * std::sin(a)};
        const LPoint o = offsets[c][0];  // the node that hangs
        if (std::hypot(o.x, o.y) < 1e-9) continue;
        const double turn = a + std::numbers::pi - std::atan2(o.y, o.x);
        for (LPoint& p : offsets[c]) p = Rotated(p, turn);
      }
    } else {
      // Too many circles for one ring inside the area: rows of circles.
      std::vector<LPoint> boxes;
      for (double r : reach) boxes.push_back({2 * r, 2 * r});
      const LRows rows = PackRows(boxes, gap, 1.0, 2 * kReach, false);
      if (rows.width > 2 * kReach || rows.height > 2 * kReach) return false;
      for (std::size_t c = 0; c < clusters.size(); ++c)
        centre[c] = {rows.corner[c].x + reach[c] - rows.width / 2, rows.corner[c].y - reach[c] + rows.height / 2};
    }
  }
  for (std::size_t c = 0; c < clusters.size(); ++c)
    for (std::size_t i = 0; i < clusters[c].size(); ++i)
      centres[std::size_t(clusters[c][i])] = {centre[c].x + offsets[c][i].x, centre[c].y + offsets[c][i].y};
  return true;
}

}  // namespace

long long CircleCrossings(const std::vector<std::pair<int, int>>& chords, int places) {
  // Two chords (a, b) and (c, d), a < b, c < d, cross when a < c < b < d:
  // walk the chords by their first end and count, in a Fenwick tree over
  // second ends, the earlier ones whose second end lies strictly inside.
  std::vector<std::pair<int, int>> c;
  for (auto [a, b] : chords)
    if (a != b && std::min(a, b) >= 0) {
      c.push_back({std::min(a, b), std::max(a, b)});
      places = std::max(places, std::max(a, b) + 1);  // a place past the count still counts
    }
  std::sort(c.begin(), c.end());
  std::vector<int> tree(std::size_t(places) + 1, 0);
  auto add = [&](int i) {
    for (++i; i <= places; i += i & -i) ++tree[std::size_t(i)];
  };
  auto below = [&](int i) {  // second ends < i
    long long s = 0;
    for (; i > 0; i -= i & -i) s += tree[std::size_t(i)];
    return s;
  };
  long long count = 0;
  for (std::size_t i = 0; i < c.size();) {
    std::size_t j = i;
    while (j < c.size() && c[j].first == c[i].first) ++j;
    for (std::size_t t = i; t < j; ++t) count += below(c[t].second) - below(c[t].first + 1);
    for (std::size_t t = i; t < j; ++t) add(c[t].second);
    i = j;
  }
  return count;
}

LStatus LayoutCircular(const LGraph& graph, const LCircularOptions& options, LResult& result) {
  if (const LStatus s = Validate(graph); s != LStatus::Ok) return s;
  const std::size_t n = graph.nodes.size();
  std::vector<std::vector<int>> adj(n);
  for (const LEdge& e : graph.edges) {
    if (e.from == e.to || graph.nodes[std::size_t(e.from)].fixed || graph.nodes[std::size_t(e.to)].fixed) continue;
    adj[std::size_t(e.from)].push_back(e.to);
    adj[std::size_t(e.to)].push_back(e.from);
  }
  for (std::vector<int>& a : adj) {
    std::sort(a.begin(), a.end());
    a.erase(std::unique(a.begin(), a.end()), a.end());
  }
  int count = 0;
  const std::vector<int> component = Components(graph, count);
  std::vector<std::vector<int>> members(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < n; ++i)
    if (component[i] >= 0) members[std::size_t(component[i])].push_back(int(i));

  LResult out;
  out.centres.resize(n);
  for (std::size_t i = 0; i < n; ++i) out.centres[i] = graph.nodes[i].box.Centre();
  std::vector<int> localOf(n, -1), clusterOf(n, -1);
  for (const std::vector<int>& nodes : members) {
    // The radiation falls back to one circle (or rings) for the component
    // when its circles do not fit inside the area side by side.
    if (!options.oneCircle && PlaceCircles(graph, Clusters(graph, nodes, adj, localOf), adj, options, clusterOf, out.centres))
      continue;
    if (!PlaceCircles(graph, {nodes}, adj, options, clusterOf, out.centres)) return LStatus::TooLarge;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (graph.nodes[i].fixed) continue;
    const LPoint& p = out.centres[i];
    const LBox& b = graph.nodes[i].box;
    if (std::abs(p.x) + b.Width() / 2 > kLimit || std::abs(p.y) + b.Height() / 2 > kLimit) return LStatus::TooLarge;
  }
  out.routes = StraightRoutes(graph, out.centres);
  out.reversed.assign(graph.edges.size(), 0);
  result = std::move(out);
  return LStatus::Ok;
}

}  // namespace kvl
