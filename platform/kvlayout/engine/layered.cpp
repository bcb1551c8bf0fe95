#include "kvlayout/engine/layered.h"

#include "kvlayout/engine/pack.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace kvl {

namespace {

// The drawing area's side, less a little room so that rounding to whole
// units by the writer never takes a point outside.
constexpr double kMargin = 100;
constexpr double kRoom = 2 * kLimit - 2 * kMargin;

// Work counter of the crossing reduction.
struct Budget {
  long long left;
  bool Spend(long long n) {
    left -= n;
    return left > 0;
  }
};

// An edge of one component in the component's own node numbers.
struct CEdge {
  int a = 0, b = 0;  // as the graph has it
  int edge = 0;      // index in the graph
};

// ---------------------------------------------------------------------------
// Cycle breaking: Eades, Lin and Smyth's greedy sequence. Sinks go to the
// back, sources to the front, otherwise the node with the most outgoing
// minus incoming edges goes to the front; edges pointing backwards in the
// sequence are the ones to reverse. Ties go to the lower node number.
std::vector<int> GreedySequence(int n, const std::vector<CEdge>& edges) {
  std::vector<std::vector<int>> out(n), in(n);
  for (const CEdge& e : edges) {
    out[e.a].push_back(e.b);
    in[e.b].push_back(e.a);
  }
  std::vector<int> indeg(n), outdeg(n);
  for (int v = 0; v < n; ++v) {
    indeg[v] = static_cast<int>(in[v].size());
    outdeg[v] = static_cast<int>(out[v].size());
  }
  auto key = [&](int v) {
    if (outdeg[v] == 0) return std::make_tuple(0, 0, v);
    if (indeg[v] == 0) return std::make_tuple(1, 0, v);
    return std::make_tuple(2, indeg[v] - outdeg[v], v);
  };
  std::set<std::tuple<int, int, int>> ready;
  for (int v = 0; v < n; ++v) ready.insert(key(v));
  std::vector<char> gone(n, 0);
  std::vector<int> front, back;
  while (!ready.empty()) {
    const auto [kind, delta, v] = *ready.begin();
    ready.erase(ready.begin());
    gone[v] = 1;
    (kind == 0 ? back : front).push_back(v);
    for (int w : out[v])
      if (!gone[w]) {
        ready.erase(key(w));
        --indeg[w];
        ready.insert(key(w));
      }
    for (int w : in[v])
      if (!gone[w]) {
        ready.erase(key(w));
        --outdeg[w];
        ready.insert(key(w));
      }
  }
  front.insert(front.end(), back.rbegin(), back.rend());
  return front;
}

// ---------------------------------------------------------------------------
// One component laid out in its own frame: u along the layers (the order
// axis), v across them, growing in the direction of the placement.
struct Frame {
  std::vector<double> u, v;                 // node centres
  std::vector<std::vector<LPoint>> routes;  // per component edge, from a to b
  std::vector<char> reversed;               // per component edge
  double u0 = 0, u1 = 0, v0 = 0, v1 = 0;   // extent, nodes and routes
  // The nodes kept the layers and places they stood in (a drawing this
  // style made before, with a small edit since).
  bool kept = false;
};

class Component {
 public:
  Component(const std::vector<double>& along, const std::vector<double>& across,
            const std::vector<double>& wasU, const std::vector<double>& wasV,
            const std::vector<CEdge>& edges, const std::vector<int>& selfLoops,
            const LLayeredOptions& options, Budget& budget)
      : n_(static_cast<int>(along.size())),
        wasU_(wasU),
        wasV_(wasV),
        alongReal_(along),
        acrossReal_(across),
        edges_(edges),
        selfLoops_(selfLoops),
        sp_(options.spacing),
        budget_(budget) {}

  // False when the component cannot fit the drawing area.
  bool Run(Frame& frame) {
    if (edges_.empty()) {
      // A lone node (a component without edges has one node): one layer.
      rank_.assign(n_, 0);
      seqPos_.assign(n_, 0);
      in_.assign(n_, {});
      out_.assign(n_, {});
      if (Layout(rank_, false) < 0) return false;
    } else if (FromBands()) {
      kept_ = true;
      KeepOrient();
      if (Layout(rank_, false) < 0) return false;
    } else if (!Choose()) {
      return false;
    }
    if (kept_)
      KeptCoordinates();
    else
      Coordinates(kRoom - sp_.node);
    frame.kept = kept_;
    Route(frame);
    return frame.v1 - frame.v0 <= kRoom && frame.u1 - frame.u0 <= kRoom;
  }

 private:
  // ----- a drawing kept --------------------------------------------------------
  // A layout run again after a small edit keeps what the person sees: when
  // the nodes stand in bands across the placement as this style leaves
  // them (bands at least a layer spacing apart, no two nodes of a band
  // closer than the spacing, the edges pointing along the placement from
  // band to band but for a few), the bands become the layers and each node
  // keeps its place along its layer; only what the edit needs moves: the
  // ends of an edge inside one band go down a layer (their successors
  // follow), and routes take the nearest room between the nodes.
  bool FromBands() {
    // Small components are laid out afresh: the same drawing as before
    // when nothing changed in them, and placed where they stood.
    if (n_ < 8 || edges_.empty()) return false;
    std::vector<int> byV(n_);
    for (int i = 0; i < n_; ++i) byV[i] = i;
    std::sort(byV.begin(), byV.end(), [&](int a, int b) { return wasV_[a] != wasV_[b] ? wasV_[a] < wasV_[b] : a < b; });
    rank_.assign(n_, 0);
    int bands = 0;
    double at = 0;
    for (int x : byV) {
      if (!std::isfinite(wasV_[x]) || !std::isfinite(wasU_[x])) return false;
      if (bands == 0 || wasV_[x] - at > 0.5) {
        if (bands && wasV_[x] - at < sp_.layer - 0.5) return false;
        ++bands;
        at = wasV_[x];
      }
      rank_[x] = bands - 1;
    }
    if (bands < 2 || 2 * bands > n_) return false;
    std::vector<std::vector<int>> band(bands);
    for (int x = 0; x < n_; ++x) band[rank_[x]].push_back(x);
    for (auto& b : band) {
      std::sort(b.begin(), b.end(), [&](int a, int c) { return wasU_[a] != wasU_[c] ? wasU_[a] < wasU_[c] : a < c; });
      for (std::size_t i = 0; i + 1 < b.size(); ++i)
        if (wasU_[b[i + 1]] - wasU_[b[i]] < (alongReal_[b[i]] + alongReal_[b[i + 1]]) / 2 + sp_.node - 0.5) return false;
    }
    band_ = rank_;
    std::size_t against = 0;
    for (const CEdge& e : edges_) against += rank_[e.a] >= rank_[e.b];
    return against <= std::max<std::size_t>(1, edges_.size() / 20);
  }

  // Edges pointing from band to band. An edge inside a band needs its ends
  // a layer apart: of the four ways (either end goes down a layer, or up,
  // with what must follow it) the one that moves the fewest nodes.
  void KeepOrient() {
    in_.assign(n_, {});
    out_.assign(n_, {});
    s_.resize(edges_.size());
    t_.resize(edges_.size());
    rev_.assign(edges_.size(), 0);
    auto orient = [&](std::size_t i, bool reversed) {
      const CEdge& e = edges_[i];
      rev_[i] = reversed;
      s_[i] = reversed ? e.b : e.a;
      t_[i] = reversed ? e.a : e.b;
      out_[s_[i]].push_back(t_[i]);
      in_[t_[i]].push_back(s_[i]);
    };
    std::vector<std::size_t> flat;
    for (std::size_t i = 0; i < edges_.size(); ++i) {
      const CEdge& e = edges_[i];
      if (rank_[e.a] == rank_[e.b])
        flat.push_back(i);
      else
        orient(i, rank_[e.a] > rank_[e.b]);
    }
    std::vector<int> moved(n_, INT_MIN), touched;
    // Moves x a layer down (dir 1) or up (-1) with the nodes the oriented
    // edges drag along; answers how many moved, and keeps the move only
    // when `apply`.
    auto cascade = [&](int x, int dir, bool apply) {
      touched.clear();
      auto at = [&](int v) { return moved[v] == INT_MIN ? rank_[v] : moved[v]; };
      moved[x] = rank_[x] + dir;
      touched.push_back(x);
      for (std::size_t k = 0; k < touched.size(); ++k) {
        const int v = touched[k];
        for (int w : dir > 0 ? out_[v] : in_[v]) {
          const int want = moved[v] + dir;
          if (dir > 0 ? at(w) >= want : at(w) <= want) continue;
          if (moved[w] == INT_MIN) touched.push_back(w);
          moved[w] = want;
        }
      }
      const int count = static_cast<int>(touched.size());
      for (int v : touched) {
        if (apply) rank_[v] = moved[v];
        moved[v] = INT_MIN;
      }
      return count;
    };
    for (std::size_t i : flat) {
      const CEdge& e = edges_[i];
      if (rank_[e.a] != rank_[e.b]) {
        orient(i, rank_[e.a] > rank_[e.b]);
        continue;
      }
      // (node, direction, edge reversed): b down, a down, a up, b up.
      const std::tuple<int, int, bool> ways[] = {{e.b, 1, false}, {e.a, 1, true}, {e.a, -1, false}, {e.b, -1, true}};
      int best = 0, fewest = INT_MAX;
      for (int w = 0; w < 4; ++w) {
        const int c = cascade(std::get<0>(ways[w]), std::get<1>(ways[w]), false);
        if (c < fewest) fewest = c, best = w;
      }
      cascade(std::get<0>(ways[best]), std::get<1>(ways[best]), true);
      orient(i, std::get<2>(ways[best]));
    }
    const int low = *std::min_element(rank_.begin(), rank_.end());
    for (int x = 0; x < n_; ++x) rank_[x] -= low, band_[x] -= low;
    seq_.resize(n_);
    for (int i = 0; i < n_; ++i) seq_[i] = i;
    std::sort(seq_.begin(), seq_.end(), [&](int a, int b) {
      if (rank_[a] != rank_[b]) return rank_[a] < rank_[b];
      return wasU_[a] != wasU_[b] ? wasU_[a] < wasU_[b] : a < b;
    });
    seqPos_.assign(n_, 0);
    for (int i = 0; i < n_; ++i) seqPos_[seq_[i]] = i;
  }

  // The layers as the nodes stood; each long edge's dummies in the room
  // nearest to the straight line between its ends.
  long long KeptOrder() {
    for (auto& l : layers_) l.clear();
    std::vector<double> key(layer_.size(), 0.0);
    for (int x = 0; x < n_; ++x) {
      key[x] = wasU_[x];
      layers_[layer_[x]].push_back(x);
    }
    for (const auto& c : chains_) {
      const int s = c.front(), t = c.back();
      const double span = layer_[t] - layer_[s];
      for (std::size_t k = 1; k + 1 < c.size(); ++k)
        key[c[k]] = wasU_[s] + (wasU_[t] - wasU_[s]) * (layer_[c[k]] - layer_[s]) / span;
    }
    auto byKey = [&](int a, int b) { return key[a] != key[b] ? key[a] < key[b] : a < b; };
    // Nodes that left their band (pushed down, or out of a layer too wide)
    // find room as the dummies do.
    std::vector<std::vector<int>> dummies(layers_.size());
    for (auto& l : layers_)
      l.erase(std::remove_if(l.begin(), l.end(), [&](int x) {
                if (layer_[x] == band_[x]) return false;
                dummies[layer_[x]].push_back(x);
                return true;
              }),
              l.end());
    for (int x = n_; x < static_cast<int>(layer_.size()); ++x) dummies[layer_[x]].push_back(x);
    keptX_.assign(layer_.size(), 0.0);
    for (std::size_t l = 0; l < layers_.size(); ++l) {
      std::vector<int>& real = layers_[l];
      std::sort(real.begin(), real.end(), byKey);
      std::sort(dummies[l].begin(), dummies[l].end(), byKey);
      for (int x : real) keptX_[x] = wasU_[x];
      // gaps[g] holds the dummies between real[g - 1] and real[g].
      std::vector<std::vector<int>> gaps(real.size() + 1);
      auto fits = [&](std::size_t g, int d) {
        if (g == 0 || g == real.size()) return true;
        std::vector<int> run = gaps[g];
        run.insert(std::upper_bound(run.begin(), run.end(), d, byKey), d);
        double need = Gap(real[g - 1], run.front()) + Gap(run.back(), real[g]);
        for (std::size_t i = 0; i + 1 < run.size(); ++i) need += Gap(run[i], run[i + 1]);
        return need <= wasU_[real[g]] - wasU_[real[g - 1]];
      };
      for (int d : dummies[l]) {
        const std::size_t home = static_cast<std::size_t>(
            std::upper_bound(real.begin(), real.end(), d, byKey) - real.begin());
        std::size_t pick = home;
        for (std::size_t step = 0;; ++step) {
          if (home >= step && fits(home - step, d)) {
            pick = home - step;
            break;
          }
          if (home + step <= real.size() && fits(home + step, d)) {
            pick = home + step;
            break;
          }
        }
        auto& run = gaps[pick];
        run.insert(std::upper_bound(run.begin(), run.end(), d, byKey), d);
      }
      // Places: a gap's dummies centred in its room, the outer ones stacked
      // outwards from the first and the last node; a layer of dummies only
      // from its keys, pushed apart.
      std::vector<int> order;
      for (std::size_t g = 0; g <= real.size(); ++g) {
        const auto& run = gaps[g];
        if (!run.empty()) {
          if (real.empty()) {
            double x = key[run.front()];
            for (std::size_t i = 0; i < run.size(); ++i) {
              if (i) x = std::max(key[run[i]], x + Gap(run[i - 1], run[i]));
              keptX_[run[i]] = x;
            }
          } else if (g == 0) {
            double x = keptX_[real.front()];
            for (std::size_t i = run.size(); i-- > 0;) keptX_[run[i]] = x -= Gap(run[i], i + 1 < run.size() ? run[i + 1] : real.front());
          } else if (g == real.size()) {
            double x = keptX_[real.back()];
            for (std::size_t i = 0; i < run.size(); ++i) keptX_[run[i]] = x += Gap(i ? run[i - 1] : real.back(), run[i]);
          } else {
            const int a = real[g - 1], b = real[g];
            double need = Gap(a, run.front()) + Gap(run.back(), b);
            for (std::size_t i = 0; i + 1 < run.size(); ++i) need += Gap(run[i], run[i + 1]);
            double x = keptX_[a] + (keptX_[b] - keptX_[a] - need) / 2;
            for (std::size_t i = 0; i < run.size(); ++i) keptX_[run[i]] = x += Gap(i ? run[i - 1] : a, run[i]);
          }
        }
        order.insert(order.end(), run.begin(), run.end());
        if (g < real.size()) order.push_back(real[g]);
      }
      layers_[l] = std::move(order);
    }
    Renumber();
    return Crossings();
  }

  void KeptCoordinates() { x_ = keptX_; }

  // Tries the layerings and orderings and keeps the layers of the best.
  bool Choose() {
    Orient();
    // Two layerings, the balanced longest path and the shortest edges,
    // each ordered by barycentres and by medians: the heuristics' local
    // optima differ, so the fewest crossings of the four is kept.
    Rank();
    std::vector<std::vector<int>> rankings{rank_};
    NetworkSimplex();
    Normalise();
    if (rank_ != rankings.front()) rankings.push_back(rank_);
    std::vector<std::pair<std::size_t, bool>> tries;
    for (std::size_t r = 0; r < rankings.size(); ++r)
      for (bool median : {false, true}) tries.emplace_back(r, median);
    const long long total = budget_.left;
    long long fewest = -1;
    Snapshot best;
    for (std::size_t i = 0; i < tries.size(); ++i) {
      budget_.left = total / static_cast<long long>(tries.size());
      const long long c = Layout(rankings[tries[i].first], tries[i].second);
      if (c >= 0 && (fewest < 0 || c < fewest)) {
        fewest = c;
        if (i + 1 < tries.size())
          best = {layerOf_, layer_, along_, up_, down_, chains_, layers_, depth_, centre_, dummyScale_};
      } else if (i + 1 == tries.size() && fewest >= 0) {
        std::tie(layerOf_, layer_, along_, up_, down_, chains_, layers_, depth_, centre_, dummyScale_) =
            std::tie(best.layerOf, best.layer, best.along, best.up, best.down, best.chains, best.layers, best.depth,
                     best.centre, best.dummyScale);
        pos_.assign(layer_.size(), 0);
        Renumber();
      }
    }
    return fewest >= 0;
  }

  // Turn edges round so that they all point forward in the greedy sequence.
  void Orient() {
    seq_ = GreedySequence(n_, edges_);
    seqPos_.assign(n_, 0);
    for (int i = 0; i < n_; ++i) seqPos_[seq_[i]] = i;
    in_.assign(n_, {});
    out_.assign(n_, {});
    s_.resize(edges_.size());
    t_.resize(edges_.size());
    rev_.assign(edges_.size(), 0);
    for (std::size_t i = 0; i < edges_.size(); ++i) {
      const CEdge& e = edges_[i];
      rev_[i] = seqPos_[e.a] > seqPos_[e.b];
      s_[i] = rev_[i] ? e.b : e.a;
      t_[i] = rev_[i] ? e.a : e.b;
      out_[s_[i]].push_back(t_[i]);
      in_[t_[i]].push_back(s_[i]);
    }
  }

  // Longest path from the sources, then nodes with more edges on one side
  // slide towards that side while every edge keeps pointing forward: a
  // cheap descent on the total edge length.
  void Rank() {
    rank_.assign(n_, 0);
    for (int v : seq_)
      for (int w : out_[v]) rank_[w] = std::max(rank_[w], rank_[v] + 1);
    for (int pass = 0; pass < 8; ++pass) {
      bool changed = false;
      for (int v : seq_) {
        const auto indeg = in_[v].size(), outdeg = out_[v].size();
        if (indeg == outdeg) continue;
        int target = rank_[v];
        if (indeg > outdeg) {
          target = INT_MIN;
          for (int p : in_[v]) target = std::max(target, rank_[p] + 1);
        } else {
          target = INT_MAX;
          for (int w : out_[v]) target = std::min(target, rank_[w] - 1);
        }
        if (target != rank_[v]) {
          rank_[v] = target;
          changed = true;
        }
      }
      if (!changed) break;
    }
    Normalise();
  }

  void Normalise() {
    const int low = n_ ? *std::min_element(rank_.begin(), rank_.end()) : 0;
    for (int& r : rank_) r -= low;
  }

  // Layers from `ranks`, bounded in width, with dummies, ordered; the
  // crossings left, or -1 when the layers cannot fit the drawing area.
  long long Layout(const std::vector<int>& ranks, bool median) {
    rank_ = ranks;
    median_ = median;
    byRank_.resize(n_);
    for (int i = 0; i < n_; ++i) byRank_[i] = i;
    std::sort(byRank_.begin(), byRank_.end(), [&](int a, int b) {
      return rank_[a] != rank_[b] ? rank_[a] < rank_[b] : seqPos_[a] < seqPos_[b];
    });
    const double room = kRoom - sp_.node;  // self-loops stick out on one side
    // Too wide a layer: when its nodes alone overflow, fewer nodes per
    // layer; when the routes passing through it do, routes closer together
    // (down to a quarter of their spacing, and only then more layers, which
    // lengthen the routes and so add to the crowd).
    double width = room;
    for (int attempt = 0;; ++attempt) {
      BoundLayers(width);
      BuildVertices();
      dummyScale_ = 1;
      double widestNodes = 0, scale = 1;
      for (const auto& l : layers_) {
        const double packed = PackedWidth(l);
        double routes = 0;
        for (std::size_t i = 0; i + 1 < l.size(); ++i) routes += RouteGap(l[i], l[i + 1]);
        widestNodes = std::max(widestNodes, packed - routes);
        if (packed > room && routes > 0) scale = std::min(scale, std::max(0.0, room - (packed - routes)) / routes);
      }
      if (widestNodes <= room && (scale >= 0.25 || attempt == 12)) {
        dummyScale_ = scale;
        break;
      }
      if (attempt == 12) return -1;
      width *= widestNodes > room ? 0.95 * room / widestNodes : 0.8;
    }
    if (!LayerDepths()) return -1;
    return Order();
  }

  // Network simplex on the ranks (Gansner, Koutsofios, North and Vo): a
  // spanning tree of tight edges, then exchanges of a tree edge whose cut
  // value is negative for the least slack edge across its cut, until the
  // total edge length is least or the exchanges run out.
  void NetworkSimplex() {
    const int m = static_cast<int>(s_.size());
    if (n_ < 2 || m == 0) return;
    // Each step may cost a pass over the graph and there may be about as
    // many steps as nodes: run only when that bound fits a quarter of the
    // budget, so large graphs keep the balanced longest path.
    const double bound = static_cast<double>(n_) * static_cast<double>(n_ + m);
    if (bound > static_cast<double>(budget_.left) / 4) return;
    std::vector<std::vector<int>> inc(n_);
    for (int e = 0; e < m; ++e) {
      inc[s_[e]].push_back(e);
      inc[t_[e]].push_back(e);
    }
    auto slack = [&](int e) { return rank_[t_[e]] - rank_[s_[e]] - 1; };
    std::vector<char> treeEdge(m, 0), inTree(n_, 0);
    // Tight tree, grown from node 0; when it stalls, the tree moves by the
    // least slack of an edge leaving it.
    std::vector<int> stack{0}, members{0};
    inTree[0] = 1;
    while (true) {
      while (!stack.empty()) {
        const int v = stack.back();
        stack.pop_back();
        for (int e : inc[v]) {
          const int o = s_[e] == v ? t_[e] : s_[e];
          if (inTree[o] || slack(e) != 0) continue;
          inTree[o] = 1;
          treeEdge[e] = 1;
          members.push_back(o);
          stack.push_back(o);
        }
      }
      if (static_cast<int>(members.size()) == n_) break;
      int best = -1;
      for (int e = 0; e < m; ++e)
        if (inTree[s_[e]] != inTree[t_[e]] && (best < 0 || slack(e) < slack(best))) best = e;
      if (best < 0) return;  // not connected: cannot happen for a component
      const int delta = inTree[s_[best]] ? slack(best) : -slack(best);
      for (int v : members) rank_[v] += delta;
      stack = members;
    }

    std::vector<int> parentEdge(n_, -1), lim(n_), low(n_), order;
    std::vector<std::vector<int>> treeInc(n_);
    std::vector<int> cut(n_, 0), net(n_, 0);
    for (int v = 0; v < n_; ++v)
      net[v] = static_cast<int>(out_[v].size()) - static_cast<int>(in_[v].size());
    for (int e = 0; e < m; ++e)
      if (treeEdge[e]) {
        treeInc[s_[e]].push_back(e);
        treeInc[t_[e]].push_back(e);
      }
    std::vector<std::pair<int, std::size_t>> walk;
    auto rebuild = [&]() {
      // Postorder numbers: the subtree of v is the nodes numbered low[v]..lim[v].
      order.clear();
      walk.assign(1, {0, 0});
      parentEdge[0] = -1;
      int next = 0;
      low[0] = 0;
      while (!walk.empty()) {
        auto& [v, i] = walk.back();
        if (i < treeInc[v].size()) {
          const int e = treeInc[v][i++];
          if (e == parentEdge[v]) continue;
          const int o = s_[e] == v ? t_[e] : s_[e];
          parentEdge[o] = e;
          low[o] = next;
          walk.emplace_back(o, 0);
          continue;
        }
        lim[v] = next++;
        order.push_back(v);
        walk.pop_back();
      }
      // Cut value of a node's tree edge: the net outflow of its subtree,
      // signed by the edge's direction.
      for (int v : order) {
        int g = net[v];
        for (int e : treeInc[v])
          if (e != parentEdge[v]) g += sub_[s_[e] == v ? t_[e] : s_[e]];
        sub_[v] = g;
        if (parentEdge[v] >= 0) cut[v] = s_[parentEdge[v]] == v ? g : -g;
      }
    };
    sub_.assign(n_, 0);
    rebuild();
    // Late exchanges gain little: the tail of a long run is cut off.
    const long long limit = 2LL * n_;
    int start = 0;
    for (long long iter = 0; iter < limit; ++iter) {
      int v = -1;
      for (int k = 0; k < n_; ++k) {
        const int w = (start + k) % n_;
        if (parentEdge[w] >= 0 && cut[w] < 0) {
          v = w;
          break;
        }
      }
      if (v < 0) break;
      start = v;
      const int f = parentEdge[v];
      auto inSub = [&](int w) { return low[v] <= lim[w] && lim[w] <= lim[v]; };
      const bool subIsTail = s_[f] == v;
      // Entering edge: from the head side to the tail side, least slack.
      int best = -1;
      for (int e = 0; e < m; ++e) {
        if (treeEdge[e]) continue;
        const bool sIn = inSub(s_[e]), tIn = inSub(t_[e]);
        const bool fromHeadToTail = subIsTail ? (!sIn && tIn) : (sIn && !tIn);
        if (fromHeadToTail && (best < 0 || slack(e) < slack(best))) best = e;
      }
      if (!budget_.Spend(m + n_) || best < 0) break;
      const int delta = slack(best);
      for (int w = 0; w < n_; ++w)
        if (inSub(w)) rank_[w] += subIsTail ? -delta : delta;
      treeEdge[f] = 0;
      treeEdge[best] = 1;
      for (int end : {s_[f], t_[f]}) {
        auto& l = treeInc[end];
        l.erase(std::find(l.begin(), l.end(), f));
      }
      treeInc[s_[best]].push_back(best);
      treeInc[t_[best]].push_back(best);
      rebuild();
    }
  }

  // Keep each layer narrower than `width`: a node that would overflow its
  // layer goes to the next layer with room (its successors follow).
  void BoundLayers(double width) {
    layerOf_.assign(n_, 0);
    std::vector<double> used;
    for (int v : byRank_) {
      int r = rank_[v];
      for (int p : in_[v]) r = std::max(r, layerOf_[p] + 1);
      auto fill = [&](int l) -> double& {
        if (static_cast<int>(used.size()) <= l) used.resize(l + 1, 0.0);
        return used[l];
      };
      while (fill(r) > 0 && fill(r) + sp_.node + alongReal_[v] > width) ++r;
      fill(r) += (fill(r) > 0 ? sp_.node : 0.0) + alongReal_[v];
      layerOf_[v] = r;
      for (int p : in_[v])
        for (int l = layerOf_[p] + 1; l < r; ++l) fill(l) += sp_.edgeEdge;
    }
  }

  // Real nodes are vertices 0..n-1; long edges add chains of dummies.
  void BuildVertices() {
    const int layers = n_ ? 1 + *std::max_element(layerOf_.begin(), layerOf_.end()) : 0;
    layer_.assign(layerOf_.begin(), layerOf_.end());
    along_.assign(alongReal_.begin(), alongReal_.end());
    up_.assign(n_, {});
    down_.assign(n_, {});
    chains_.assign(edges_.size(), {});
    for (std::size_t i = 0; i < edges_.size(); ++i) {
      std::vector<int>& chain = chains_[i];
      chain.push_back(s_[i]);
      for (int l = layerOf_[s_[i]] + 1; l < layerOf_[t_[i]]; ++l) {
        chain.push_back(static_cast<int>(layer_.size()));
        layer_.push_back(l);
        along_.push_back(0);
        up_.emplace_back();
        down_.emplace_back();
      }
      chain.push_back(t_[i]);
      for (std::size_t k = 0; k + 1 < chain.size(); ++k) {
        down_[chain[k]].push_back(chain[k + 1]);
        up_[chain[k + 1]].push_back(chain[k]);
      }
    }
    layers_.assign(layers, {});
    for (int x = 0; x < static_cast<int>(layer_.size()); ++x) layers_[layer_[x]].push_back(x);
    pos_.assign(layer_.size(), 0);
    Renumber();
  }

  void Renumber() {
    for (const auto& l : layers_)
      for (int i = 0; i < static_cast<int>(l.size()); ++i) pos_[l[i]] = i;
  }

  bool Dummy(int x) const { return x >= n_; }

  // Room a route asks for beside its neighbours: less when dummies crowd.
  double RouteGap(int a, int b) const {
    if (!Dummy(a) && !Dummy(b)) return 0;
    return (Dummy(a) && Dummy(b) ? sp_.edgeEdge : sp_.edgeNode) * dummyScale_;
  }

  double Gap(int a, int b) const {
    const double sep = !Dummy(a) && !Dummy(b) ? sp_.node : RouteGap(a, b);
    return (along_[a] + along_[b]) / 2 + sep;
  }

  double PackedWidth(const std::vector<int>& l) const {
    if (l.empty()) return 0;
    double w = (along_[l.front()] + along_[l.back()]) / 2;
    for (std::size_t i = 0; i + 1 < l.size(); ++i) w += Gap(l[i], l[i + 1]);
    return w;
  }

  // Depth of each layer band (its tallest node) and its centre.
  bool LayerDepths() {
    depth_.assign(layers_.size(), 0.0);
    for (int x = 0; x < n_; ++x) depth_[layer_[x]] = std::max(depth_[layer_[x]], acrossReal_[x]);
    centre_.assign(layers_.size(), 0.0);
    double v = 0;
    for (std::size_t l = 0; l < layers_.size(); ++l) {
      if (l) v += sp_.layer;
      centre_[l] = v + depth_[l] / 2;
      v += depth_[l];
    }
    return v <= kRoom;
  }

  // ----- crossing reduction -------------------------------------------------

  // Crossings between layer l and l + 1 (Barth, Juenger and Mutzel: the
  // inversions of the lower ends read in the upper layer's order).
  long long CrossingsBelow(std::size_t l) {
    const int size = static_cast<int>(layers_[l + 1].size());
    int first = 1;
    while (first < size) first *= 2;
    tree_.assign(2 * first, 0);
    long long crossings = 0;
    for (int x : layers_[l]) {
      ends_.clear();
      for (int w : down_[x]) ends_.push_back(pos_[w]);
      std::sort(ends_.begin(), ends_.end());
      for (int p : ends_) {
        int i = p + first;
        ++tree_[i];
        while (i > 1) {
          if (i % 2 == 0) crossings += tree_[i + 1];
          i /= 2;
          ++tree_[i];
        }
      }
      budget_.Spend(static_cast<long long>(ends_.size()) + 1);
    }
    return crossings;
  }

  long long Crossings() {
    long long c = 0;
    for (std::size_t l = 0; l + 1 < layers_.size(); ++l) c += CrossingsBelow(l);
    return c;
  }

  // Reorder layer l by the barycentres of its neighbours on one side; a
  // vertex without neighbours there keeps its relative place.
  void SortLayer(std::size_t l, bool byUpper) {
    std::vector<int>& layer = layers_[l];
    const double size = static_cast<double>(layer.size());
    keyed_.clear();
    for (int x : layer) {
      const std::vector<int>& nb = byUpper ? up_[x] : down_[x];
      double key = (pos_[x] + 0.5) / size;
      if (!nb.empty()) {
        const double other = static_cast<double>(layers_[layer_[nb.front()]].size());
        if (median_) {
          ends_.clear();
          for (int w : nb) ends_.push_back(pos_[w]);
          std::sort(ends_.begin(), ends_.end());
          const std::size_t h = ends_.size() / 2;
          const double mid = ends_.size() % 2 ? ends_[h] : (ends_[h - 1] + ends_[h]) / 2.0;
          key = (mid + 0.5) / other;
        } else {
          double sum = 0;
          for (int w : nb) sum += (pos_[w] + 0.5) / other;
          key = sum / static_cast<double>(nb.size());
        }
      }
      keyed_.emplace_back(key, x);
      budget_.Spend(static_cast<long long>(nb.size()) + 1);
    }
    std::stable_sort(keyed_.begin(), keyed_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < layer.size(); ++i) {
      layer[i] = keyed_[i].second;
      pos_[layer[i]] = static_cast<int>(i);
    }
  }

  // Crossings among the edges of a and of b on one side, with a left of b
  // (first) and with b left of a (second); both lists sorted.
  static std::pair<long long, long long> PairCrossings(const std::vector<int>& a, const std::vector<int>& b) {
    long long ab = 0, ba = 0;
    std::size_t lt = 0, le = 0;
    for (int x : a) {
      while (lt < b.size() && b[lt] < x) ++lt;
      if (le < lt) le = lt;
      while (le < b.size() && b[le] <= x) ++le;
      ab += static_cast<long long>(lt);
      ba += static_cast<long long>(b.size() - le);
    }
    return {ab, ba};
  }

  // Adjacent exchanges in layer l while they remove crossings.
  void Transpose(std::size_t l) {
    std::vector<int>& layer = layers_[l];
    if (layer.size() < 2) return;
    auto sorted = [&](const std::vector<int>& nb, std::vector<int>& outList) {
      outList.clear();
      for (int w : nb) outList.push_back(pos_[w]);
      std::sort(outList.begin(), outList.end());
    };
    upPos_.resize(layer.size());
    downPos_.resize(layer.size());
    long long work = 0;
    for (std::size_t i = 0; i < layer.size(); ++i) {
      sorted(up_[layer[i]], upPos_[i]);
      sorted(down_[layer[i]], downPos_[i]);
      work += static_cast<long long>(upPos_[i].size() + downPos_[i].size()) + 1;
    }
    for (int pass = 0; pass < 6; ++pass) {
      bool improved = false;
      for (std::size_t i = 0; i + 1 < layer.size(); ++i) {
        const auto [upAb, upBa] = PairCrossings(upPos_[i], upPos_[i + 1]);
        const auto [dnAb, dnBa] = PairCrossings(downPos_[i], downPos_[i + 1]);
        if (upBa + dnBa < upAb + dnAb) {
          std::swap(layer[i], layer[i + 1]);
          std::swap(upPos_[i], upPos_[i + 1]);
          std::swap(downPos_[i], downPos_[i + 1]);
          pos_[layer[i]] = static_cast<int>(i);
          pos_[layer[i + 1]] = static_cast<int>(i + 1);
          improved = true;
        }
      }
      if (!budget_.Spend(work) || !improved) break;
    }
  }

  // Depth-first placement as the start: each layer in the order its
  // vertices are first reached from the nodes in sequence order.
  void InitialOrder() {
    std::vector<char> seen(layer_.size(), 0);
    for (auto& l : layers_) l.clear();
    std::vector<int> stack;
    auto visit = [&](int start) {
      if (seen[start]) return;
      stack.push_back(start);
      seen[start] = 1;
      while (!stack.empty()) {
        const int x = stack.back();
        stack.pop_back();
        layers_[layer_[x]].push_back(x);
        for (auto it = down_[x].rbegin(); it != down_[x].rend(); ++it)
          if (!seen[*it]) {
            seen[*it] = 1;
            stack.push_back(*it);
          }
      }
    };
    for (int v : byRank_) visit(v);
    for (int x = 0; x < static_cast<int>(layer_.size()); ++x) visit(x);
    Renumber();
  }

  long long Order() {
    if (kept_) return KeptOrder();
    InitialOrder();
    if (layers_.size() < 2) return 0;
    auto best = layers_;
    long long bestCrossings = Crossings();
    int stale = 0;
    for (int round = 0; round < 40 && bestCrossings > 0 && budget_.left > 0; ++round) {
      for (std::size_t l = 1; l < layers_.size(); ++l) {
        SortLayer(l, true);
        Transpose(l);
      }
      for (std::size_t l = layers_.size() - 1; l-- > 0;) {
        SortLayer(l, false);
        Transpose(l);
      }
      const long long c = Crossings();
      if (c < bestCrossings) {
        bestCrossings = c;
        best = layers_;
        stale = 0;
      } else if (++stale == 5) {
        break;
      }
    }
    layers_ = std::move(best);
    Renumber();
    return bestCrossings;
  }

  // ----- coordinates --------------------------------------------------------

  // Weight of keeping a segment straight: chains of dummies most of all.
  double Priority(int a, int b) const { return Dummy(a) && Dummy(b) ? 8.0 : (Dummy(a) || Dummy(b) ? 2.0 : 1.0); }

  // Place layer l as near as its order and spacings allow to the weighted
  // mean of its neighbours (least squares under the order: pool adjacent
  // violators on positions less their minimal offsets).
  void PlaceLayer(std::size_t l, bool useUp, bool useDown) {
    const std::vector<int>& layer = layers_[l];
    blocks_.clear();
    double offset = 0;
    offsets_.resize(layer.size());
    for (std::size_t i = 0; i < layer.size(); ++i) {
      const int x = layer[i];
      if (i) offset += Gap(layer[i - 1], x);
      offsets_[i] = offset;
      double w = 0, sum = 0;
      auto add = [&](const std::vector<int>& nb) {
        for (int y : nb) {
          const double p = Priority(x, y);
          w += p;
          sum += p * x_[y];
        }
      };
      if (useUp) add(up_[x]);
      if (useDown) add(down_[x]);
      if (w == 0) {
        w = 0.01;
        sum = w * x_[x];
      }
      Block b{w, sum - w * offset, static_cast<int>(i), static_cast<int>(i)};
      while (!blocks_.empty() && blocks_.back().sumWy * b.sumW >= b.sumWy * blocks_.back().sumW) {
        const Block& last = blocks_.back();
        b = Block{b.sumW + last.sumW, b.sumWy + last.sumWy, last.first, b.last};
        blocks_.pop_back();
      }
      blocks_.push_back(b);
    }
    for (const Block& b : blocks_) {
      const double z = b.sumWy / b.sumW;
      for (int i = b.first; i <= b.last; ++i) x_[layer[i]] = z + offsets_[i];
    }
  }

  void Coordinates(double room) {
    x_.assign(layer_.size(), 0.0);
    auto packed = [&]() {
      for (const auto& l : layers_) {
        double x = -PackedWidth(l) / 2 + (l.empty() ? 0 : along_[l.front()] / 2);
        for (std::size_t i = 0; i < l.size(); ++i) {
          if (i) x += Gap(l[i - 1], l[i]);
          x_[l[i]] = x;
        }
      }
    };
    packed();
    const std::size_t count = layers_.size();
    for (int round = 0; round < 6; ++round) {
      for (std::size_t l = 1; l < count; ++l) PlaceLayer(l, true, false);
      for (std::size_t l = count - 1; l-- > 0;) PlaceLayer(l, false, true);
    }
    for (int round = 0; round < 2; ++round) {
      for (std::size_t l = 0; l < count; ++l) PlaceLayer(l, true, true);
      for (std::size_t l = count; l-- > 0;) PlaceLayer(l, true, true);
    }
    auto extent = [&]() {
      double lo = 0, hi = 0;
      for (std::size_t x = 0; x < x_.size(); ++x) {
        lo = std::min(lo, x_[x] - along_[x] / 2);
        hi = std::max(hi, x_[x] + along_[x] / 2);
      }
      return hi - lo;
    };
    // Drift can spread the layers wider than the bound; the packed layers
    // are known to fit.
    if (extent() > room) packed();
  }

  // ----- routes -------------------------------------------------------------

  void Route(Frame& frame) {
    frame.u.assign(x_.begin(), x_.begin() + n_);
    frame.v.resize(n_);
    for (int x = 0; x < n_; ++x) frame.v[x] = centre_[layer_[x]];
    // Ports: the edges leaving a node share its lower side in the order of
    // where they go next, those entering share its upper side in the order
    // of where they come from, so that ports add no crossings.
    const std::size_t m = chains_.size();
    std::vector<double> portOut(m), portIn(m);
    std::vector<std::vector<int>> leaving(n_), entering(n_);
    for (std::size_t i = 0; i < m; ++i) {
      leaving[chains_[i].front()].push_back(static_cast<int>(i));
      entering[chains_[i].back()].push_back(static_cast<int>(i));
    }
    auto spread = [&](int node, std::vector<int>& list, std::vector<double>& port, auto&& where) {
      std::stable_sort(list.begin(), list.end(), [&](int a, int b) { return where(a) < where(b); });
      const double k = static_cast<double>(list.size());
      for (std::size_t j = 0; j < list.size(); ++j)
        port[list[j]] = x_[node] - along_[node] / 2 + along_[node] * (static_cast<double>(j) + 1) / (k + 1);
    };
    for (int x = 0; x < n_; ++x)
      spread(x, leaving[x], portOut, [&](int i) { return x_[chains_[i][1]]; });
    for (int x = 0; x < n_; ++x)
      spread(x, entering[x], portIn, [&](int i) {
        const auto& c = chains_[i];
        return c.size() == 2 ? portOut[i] : x_[c[c.size() - 2]];
      });

    frame.routes.assign(m, {});
    frame.reversed.assign(rev_.begin(), rev_.end());
    for (std::size_t i = 0; i < m; ++i) {
      const std::vector<int>& c = chains_[i];
      std::vector<LPoint>& r = frame.routes[i];
      const int s = c.front(), t = c.back();
      const int ls = layer_[s], lt = layer_[t];
      r.push_back({portOut[i], centre_[ls] + acrossReal_[s] / 2});
      if (acrossReal_[s] < depth_[ls]) r.push_back({portOut[i], centre_[ls] + depth_[ls] / 2});
      for (std::size_t k = 1; k + 1 < c.size(); ++k) {
        const int l = layer_[c[k]];
        r.push_back({x_[c[k]], centre_[l] - depth_[l] / 2});
        if (depth_[l] > 0) r.push_back({x_[c[k]], centre_[l] + depth_[l] / 2});
      }
      if (acrossReal_[t] < depth_[lt]) r.push_back({portIn[i], centre_[lt] - depth_[lt] / 2});
      r.push_back({portIn[i], centre_[lt] - acrossReal_[t] / 2});
      if (rev_[i]) std::reverse(r.begin(), r.end());
    }

    frame.u0 = frame.v0 = 0;
    frame.u1 = frame.v1 = 0;
    bool first = true;
    auto cover = [&](double u0, double v0, double u1, double v1) {
      if (first) {
        frame.u0 = u0, frame.v0 = v0, frame.u1 = u1, frame.v1 = v1;
        first = false;
        return;
      }
      frame.u0 = std::min(frame.u0, u0), frame.v0 = std::min(frame.v0, v0);
      frame.u1 = std::max(frame.u1, u1), frame.v1 = std::max(frame.v1, v1);
    };
    for (int x = 0; x < n_; ++x) {
      const double reach = selfLoops_[x] ? std::min(sp_.node, sp_.edgeNode) / 2 : 0.0;
      cover(frame.u[x] - alongReal_[x] / 2, frame.v[x] - acrossReal_[x] / 2, frame.u[x] + alongReal_[x] / 2 + reach,
            frame.v[x] + acrossReal_[x] / 2);
    }
    for (const auto& r : frame.routes)
      for (const LPoint& p : r) cover(p.x, p.y, p.x, p.y);
  }

  // The layers of the best try so far.
  struct Snapshot {
    std::vector<int> layerOf, layer;
    std::vector<double> along;
    std::vector<std::vector<int>> up, down, chains, layers;
    std::vector<double> depth, centre;
    double dummyScale = 1;
  };

  struct Block {
    double sumW, sumWy;
    int first, last;
  };

  const int n_;
  const std::vector<double>& wasU_;
  const std::vector<double>& wasV_;
  const std::vector<double>& alongReal_;
  const std::vector<double>& acrossReal_;
  const std::vector<CEdge>& edges_;
  const std::vector<int>& selfLoops_;
  const LSpacing sp_;
  Budget& budget_;

  std::vector<int> sub_;
  std::vector<int> seq_, seqPos_, rank_, byRank_, layerOf_;
  std::vector<std::vector<int>> in_, out_;
  std::vector<int> s_, t_;
  std::vector<char> rev_;

  std::vector<int> layer_, pos_;
  std::vector<double> along_;
  std::vector<std::vector<int>> up_, down_, chains_, layers_;
  std::vector<double> depth_, centre_, x_;

  bool median_ = false;
  bool kept_ = false;
  std::vector<int> band_;
  std::vector<double> keptX_;
  double dummyScale_ = 1;
  std::vector<long long> tree_;
  std::vector<int> ends_;
  std::vector<std::pair<double, int>> keyed_;
  std::vector<std::vector<int>> upPos_, downPos_;
  std::vector<Block> blocks_;
  std::vector<double> offsets_;
};

// ---------------------------------------------------------------------------
// From a component's frame to the diagram's axes (y up): the placement is a
// rotation or mirror of top to bottom.
LPoint ToDiagram(LOrientation o, double u, double v) {
  switch (o) {
    case LOrientation::TopToBottom: return {u, -v};
    case LOrientation::BottomToTop: return {u, v};
    case LOrientation::LeftToRight: return {v, -u};
    case LOrientation::RightToLeft: return {-v, -u};
  }
  return {u, -v};
}

// From the diagram's axes to a component's frame: ToDiagram undone.
LPoint ToFrame(LOrientation o, const LPoint& p) {
  switch (o) {
    case LOrientation::TopToBottom: return {p.x, -p.y};
    case LOrientation::BottomToTop: return {p.x, p.y};
    case LOrientation::LeftToRight: return {-p.y, p.x};
    case LOrientation::RightToLeft: return {-p.y, -p.x};
  }
  return {p.x, -p.y};
}

bool Horizontal(LOrientation o) { return o == LOrientation::LeftToRight || o == LOrientation::RightToLeft; }

// A loop on a node's right side (in the frame), ends on its border; the k-th
// of `count` loops reaches further out than the one before.
std::vector<LPoint> SelfLoop(double u, double v, double along, double across, int k, int count, double reach) {
  const double d = reach * (k + 1) / count;
  const double side = u + along / 2;
  const double a = across > 0 ? across / 4 * (k + 1) / (count + 1) : 0.0;
  if (a == 0) return {{side, v}, {side + d, v - d / 2}, {side + d, v + d / 2}, {side, v}};
  return {{side, v - a}, {side + d, v - a}, {side + d, v + a}, {side, v + a}};
}

// Where the segment from box a's centre towards `towards` leaves box a.
LPoint Exit(const LBox& a, const LPoint& towards) {
  const LPoint c = a.Centre();
  const double dx = towards.x - c.x, dy = towards.y - c.y;
  double t = 1;
  if (dx != 0) t = std::min(t, a.Width() / 2 / std::abs(dx));
  if (dy != 0) t = std::min(t, a.Height() / 2 / std::abs(dy));
  if (dx == 0 && dy == 0) return {c.x, a.y1};
  return {c.x + dx * t, c.y + dy * t};
}

struct Placed {
  std::vector<int> nodes;  // graph indices
  std::vector<int> edges;  // graph indices
  Frame frame;
  double w = 0, h = 0;      // extent in the diagram's axes
  double x = 0, y = 0;      // where its extent's lower left corner goes
  LBox extent;              // in the diagram's axes, before the move
};

int Find(std::vector<int>& parent, int v) {
  while (parent[v] != v) v = parent[v] = parent[parent[v]];
  return v;
}

}  // namespace

LStatus LayoutLayered(const LGraph& graph, const LLayeredOptions& options, LResult& result) {
  result = LResult{};
  if (Validate(graph) != LStatus::Ok) return LStatus::BadInput;
  const LSpacing& sp = options.spacing;
  for (double s : {sp.node, sp.layer, sp.edgeNode, sp.edgeEdge})
    if (!std::isfinite(s) || s < 0) return LStatus::BadInput;
  for (double s : {sp.node, sp.layer, sp.edgeNode, sp.edgeEdge})
    if (s > kRoom) return LStatus::TooLarge;
  const int n = static_cast<int>(graph.nodes.size());
  for (const LNode& node : graph.nodes)
    if (!node.fixed && (node.box.Width() > kRoom || node.box.Height() > kRoom)) return LStatus::TooLarge;

  const LOrientation o = options.orientation;
  const bool sideways = Horizontal(o);

  // Components of the nodes that move, in the order of their first node.
  std::vector<int> parent(n);
  for (int v = 0; v < n; ++v) parent[v] = v;
  for (const LEdge& e : graph.edges)
    if (!graph.nodes[e.from].fixed && !graph.nodes[e.to].fixed) parent[Find(parent, e.from)] = Find(parent, e.to);
  std::vector<int> slot(n, -1), local(n, -1);
  std::vector<Placed> parts;
  for (int v = 0; v < n; ++v) {
    if (graph.nodes[v].fixed) continue;
    const int root = Find(parent, v);
    if (slot[root] < 0) {
      slot[root] = static_cast<int>(parts.size());
      parts.emplace_back();
    }
    Placed& p = parts[slot[root]];
    local[v] = static_cast<int>(p.nodes.size());
    p.nodes.push_back(v);
  }
  for (int i = 0; i < static_cast<int>(graph.edges.size()); ++i) {
    const LEdge& e = graph.edges[i];
    if (!graph.nodes[e.from].fixed && !graph.nodes[e.to].fixed) parts[slot[Find(parent, e.from)]].edges.push_back(i);
  }

  result.centres.resize(n);
  result.routes.assign(graph.edges.size(), {});
  result.reversed.assign(graph.edges.size(), 0);
  std::vector<std::vector<LPoint>> loops(graph.edges.size());
  for (Placed& p : parts) {
    const std::size_t k = p.nodes.size();
    std::vector<double> along(k), across(k), wasU(k), wasV(k);
    for (std::size_t i = 0; i < k; ++i) {
      const LBox& b = graph.nodes[p.nodes[i]].box;
      along[i] = sideways ? b.Height() : b.Width();
      across[i] = sideways ? b.Width() : b.Height();
      const LPoint f = ToFrame(o, b.Centre());
      wasU[i] = f.x;
      wasV[i] = f.y;
    }
    std::vector<CEdge> edges;
    std::vector<int> selfLoops(k, 0);
    for (int i : p.edges) {
      const LEdge& e = graph.edges[i];
      if (e.from == e.to)
        ++selfLoops[local[e.from]];
      else
        edges.push_back({local[e.from], local[e.to], i});
    }
    // Budget shared out by size, so that one large component cannot starve
    // the others.
    Budget share{std::max<long long>(1, options.budget * static_cast<long long>(k + edges.size()) /
                                            std::max<long long>(1, n + static_cast<long long>(graph.edges.size())))};
    Component c(along, across, wasU, wasV, edges, selfLoops, options, share);
    if (!c.Run(p.frame)) {
      result = LResult{};
      return LStatus::TooLarge;
    }
    // Self-loops, in the frame, beside their nodes.
    const double reach = std::min(sp.node, sp.edgeNode) / 2;
    std::vector<int> seen(k, 0);
    for (int i : p.edges) {
      const LEdge& e = graph.edges[i];
      if (e.from != e.to) continue;
      const int x = local[e.from];
      loops[i] = SelfLoop(p.frame.u[x], p.frame.v[x], along[x], across[x], seen[x]++, selfLoops[x], reach);
    }
    // Extent in the diagram's axes.
    const LPoint a = ToDiagram(o, p.frame.u0, p.frame.v0), b = ToDiagram(o, p.frame.u1, p.frame.v1);
    p.extent = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    p.w = p.extent.Width();
    p.h = p.extent.Height();
  }

  // Components in rows, left to right, rows going down, in the order of
  // their first node; a row is about as wide as the drawing is tall, never
  // wider than the drawing area.
  const double gap = sp.layer;
  std::vector<LPoint> sizes;
  for (const Placed& p : parts) sizes.push_back({p.w, p.h});
  const LRows rows = PackRows(sizes, gap, 1.5, kRoom, false);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    parts[i].x = rows.corner[i].x;
    parts[i].y = rows.corner[i].y - parts[i].h;
  }
  const double totalW = rows.width, totalH = rows.height;
  if (totalW > kRoom || totalH > kRoom) {
    result = LResult{};
    return LStatus::TooLarge;
  }

  // Where the drawing goes: near where the moving nodes were, inside the
  // drawing area, and clear of the fixed nodes (below, above, right or left
  // of them, the first that fits).
  bool anyFixed = false, anyMoving = false;
  LBox fixedBox{}, movingBox{};
  for (const LNode& node : graph.nodes) {
    LBox& into = node.fixed ? fixedBox : movingBox;
    bool& any = node.fixed ? anyFixed : anyMoving;
    if (!any)
      into = node.box;
    else
      into = {std::min(into.x0, node.box.x0), std::min(into.y0, node.box.y0), std::max(into.x1, node.box.x1),
              std::max(into.y1, node.box.y1)};
    any = true;
  }
  const double lim = kLimit - kMargin;
  auto clampTo = [&](double want, double size) { return std::clamp(want, -lim, std::max(-lim, lim - size)); };
  // Lower left corner of the whole drawing.
  double ox = clampTo(movingBox.Centre().x - totalW / 2, totalW);
  double oy = clampTo(movingBox.Centre().y - totalH / 2, totalH);
  if (anyFixed && anyMoving) {
    const double fx = clampTo(fixedBox.Centre().x - totalW / 2, totalW);
    const double fy = clampTo(fixedBox.Centre().y - totalH / 2, totalH);
    const LPoint tries[] = {{fx, fixedBox.y0 - gap - totalH},
                            {fx, fixedBox.y1 + gap},
                            {fixedBox.x1 + gap, fy},
                            {fixedBox.x0 - gap - totalW, fy}};
    bool found = false;
    for (const LPoint& t : tries)
      if (t.x >= -lim && t.x + totalW <= lim && t.y >= -lim && t.y + totalH <= lim) {
        ox = t.x;
        oy = t.y;
        found = true;
        break;
      }
    if (!found) {
      result = LResult{};
      return LStatus::TooLarge;
    }
  }

  // A drawing laid out again stays where it stood: when the components
  // whose nodes keep their places (all but a few, each component moved as
  // a whole to where most of its nodes were) hold at least half of the
  // nodes, every component goes where most of its nodes were, and one that
  // would land outside the drawing area or on another goes below them all.
  // Lone nodes count for neither.
  std::vector<LPoint> shift;
  if (!anyFixed) {
    std::size_t standing = 0, counted = 0;
    for (const Placed& p : parts) {
      std::vector<double> dxs, dys;
      for (std::size_t i = 0; i < p.nodes.size(); ++i) {
        const LPoint was = graph.nodes[p.nodes[i]].box.Centre(), now = ToDiagram(o, p.frame.u[i], p.frame.v[i]);
        dxs.push_back(was.x - now.x);
        dys.push_back(was.y - now.y);
      }
      auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
      };
      const LPoint d{median(dxs), median(dys)};
      shift.push_back(d);
      if (p.nodes.size() < 2) continue;
      std::size_t still = 0;
      for (std::size_t i = 0; i < p.nodes.size(); ++i) still += std::hypot(dxs[i] - d.x, dys[i] - d.y) <= 1;
      counted += p.nodes.size();
      if (10 * still >= 9 * p.nodes.size()) standing += p.nodes.size();
    }
    if (counted == 0 || 2 * standing < counted) shift.clear();
    std::vector<LBox> boxes;
    std::vector<std::size_t> later;
    auto moved = [&](std::size_t pi) {
      const LBox& e = parts[pi].extent;
      return LBox{e.x0 + shift[pi].x, e.y0 + shift[pi].y, e.x1 + shift[pi].x, e.y1 + shift[pi].y};
    };
    for (std::size_t pi = 0; pi < shift.size(); ++pi) {
      const LBox b = moved(pi);
      bool free = b.x0 >= -lim && b.y0 >= -lim && b.x1 <= lim && b.y1 <= lim;
      for (std::size_t k = 0; free && k < boxes.size(); ++k)
        free = !(b.x0 < boxes[k].x1 && boxes[k].x0 < b.x1 && b.y0 < boxes[k].y1 && boxes[k].y0 < b.y1);
      if (free)
        boxes.push_back(b);
      else
        later.push_back(pi);
    }
    for (std::size_t pi : later) {
      if (shift.empty()) break;
      double floor = lim;
      for (const LBox& b : boxes) floor = std::min(floor, b.y0);
      const LBox b = moved(pi);
      const double x0 = clampTo(b.x0, b.Width()), y0 = floor - gap - b.Height();
      if (y0 < -lim) {
        shift.clear();
        break;
      }
      shift[pi].x += x0 - b.x0;
      shift[pi].y += y0 - b.y0;
      boxes.push_back(moved(pi));
    }
  }

  for (std::size_t pi = 0; pi < parts.size(); ++pi) {
    const Placed& p = parts[pi];
    // The component's extent moves to (ox + p.x, oy + totalH + p.y).
    const double dx = shift.empty() ? ox + p.x - p.extent.x0 : shift[pi].x;
    const double dy = shift.empty() ? oy + totalH + p.y - p.extent.y0 : shift[pi].y;
    auto place = [&](double u, double v) {
      const LPoint q = ToDiagram(o, u, v);
      return LPoint{q.x + dx, q.y + dy};
    };
    for (std::size_t i = 0; i < p.nodes.size(); ++i)
      result.centres[p.nodes[i]] = place(p.frame.u[i], p.frame.v[i]);
    std::size_t ce = 0;
    for (int i : p.edges) {
      std::vector<LPoint>& r = result.routes[i];
      if (graph.edges[i].from == graph.edges[i].to) {
        for (const LPoint& q : loops[i]) r.push_back(place(q.x, q.y));
        continue;
      }
      for (const LPoint& q : p.frame.routes[ce]) r.push_back(place(q.x, q.y));
      result.reversed[i] = p.frame.reversed[ce];
      ++ce;
    }
  }
  for (int v = 0; v < n; ++v)
    if (graph.nodes[v].fixed) result.centres[v] = graph.nodes[v].box.Centre();

  // Edges with a fixed end: straight, from border to border.
  for (std::size_t i = 0; i < graph.edges.size(); ++i) {
    const LEdge& e = graph.edges[i];
    const bool fixedFrom = graph.nodes[e.from].fixed, fixedTo = graph.nodes[e.to].fixed;
    if (!fixedFrom && !fixedTo) continue;
    if (fixedFrom && fixedTo) continue;  // nothing moved: leave the route
    auto moved = [&](int v) {
      LBox b = graph.nodes[v].box;
      const LPoint c = result.centres[v], old = b.Centre();
      return LBox{b.x0 + c.x - old.x, b.y0 + c.y - old.y, b.x1 + c.x - old.x, b.y1 + c.y - old.y};
    };
    const LBox a = moved(e.from), b = moved(e.to);
    result.routes[i] = {Exit(a, b.Centre()), Exit(b, a.Centre())};
  }
  return LStatus::Ok;
}

}  // namespace kvl
