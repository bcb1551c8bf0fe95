#include "kvlayout/engine/orthogonal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <numeric>
#include <unordered_set>
#include <utility>
#include <vector>

#include "kvlayout/engine/organic.h"
#include "kvlayout/engine/pack.h"
#include "kvlayout/engine/route.h"

namespace kvl {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// What the compaction places: a node, or the dummy standing for a crossing
// of two links (a point).
struct Item {
  double w = 0, h = 0;
  LPoint at;  // where the topology put it: the order of rows and columns
  bool dummy = false;
  int band = -1;  // a node's depth along the placement (-1 for a dummy or none)
};

// Rows or columns: classes of items that share one, with their members.
class Classes {
 public:
  explicit Classes(std::size_t n) : m_parent(n), m_members(n) {
    std::iota(m_parent.begin(), m_parent.end(), 0);
    for (std::size_t i = 0; i < n; ++i) m_members[i] = {int(i)};
  }
  int Find(int i) {
    while (m_parent[std::size_t(i)] != i) {
      m_parent[std::size_t(i)] = m_parent[std::size_t(m_parent[std::size_t(i)])];
      i = m_parent[std::size_t(i)];
    }
    return i;
  }
  const std::vector<int>& Members(int root) const { return m_members[std::size_t(root)]; }
  void Join(int a, int b) {
    a = Find(a);
    b = Find(b);
    if (a == b) return;
    if (m_members[std::size_t(a)].size() < m_members[std::size_t(b)].size()) std::swap(a, b);
    m_parent[std::size_t(b)] = a;
    std::vector<int>& into = m_members[std::size_t(a)];
    std::vector<int>& from = m_members[std::size_t(b)];
    into.insert(into.end(), from.begin(), from.end());
    from.clear();
    from.shrink_to_fit();
  }

 private:
  std::vector<int> m_parent;
  std::vector<std::vector<int>> m_members;
};

// Puts a and b in one row (or column, `lines` being the columns and
// `across` the rows) unless some member of the one shares a line across
// with some member of the other: those two would stand on one spot.
bool JoinApart(Classes& lines, Classes& across, int a, int b) {
  const int ra = lines.Find(a), rb = lines.Find(b);
  if (ra == rb) return true;
  std::vector<int> taken;
  for (const int m : lines.Members(ra)) taken.push_back(across.Find(m));
  std::sort(taken.begin(), taken.end());
  for (const int m : lines.Members(rb))
    if (std::binary_search(taken.begin(), taken.end(), across.Find(m))) return false;
  lines.Join(ra, rb);
  return true;
}

// The classes of `of` (a class id per item) as lists of items, ordered by
// their members' mean position along x or y (ties by their first item).
std::vector<std::vector<int>> Ordered(const std::vector<int>& of, const std::vector<Item>& items, bool alongX) {
  std::vector<int> index(items.size(), -1);
  std::vector<std::vector<int>> groups;
  std::vector<double> sum;
  for (std::size_t i = 0; i < items.size(); ++i) {
    int& g = index[std::size_t(of[i])];
    if (g < 0) {
      g = int(groups.size());
      groups.emplace_back();
      sum.push_back(0);
    }
    groups[std::size_t(g)].push_back(int(i));
    sum[std::size_t(g)] += alongX ? items[i].at.x : items[i].at.y;
  }
  std::vector<std::size_t> order(groups.size());
  std::iota(order.begin(), order.end(), std::size_t(0));
  std::stable_sort(order.begin(), order.end(), [&](std::size_t p, std::size_t q) {
    return sum[p] / double(groups[p].size()) < sum[q] / double(groups[q].size());
  });
  std::vector<std::vector<int>> out;
  out.reserve(groups.size());
  for (const std::size_t g : order) out.push_back(std::move(groups[g]));
  return out;
}

// The room kept between two items: a route and its margins between two
// nodes, less beside a crossing.
struct Gaps {
  double node = 0, dummy = 0;
  double Between(const Item& a, const Item& b) const { return a.dummy || b.dummy ? dummy : node; }
};

// The metrics: a position for every item, each row one y and each column
// one x, rows and columns in the order of the topology. Columns first stand
// as a plain grid (no two columns' items can overlap), rows are then as
// close as the items sharing a column allow, and last the columns as close
// as the items now sharing a row allow: no two items overlap.
// With `bands` along y (or x), the nodes of one band stand wholly beyond
// those of the bands before, so that links between bands point along the
// placement.
enum class Bands { None, AlongX, AlongY };

// Where a line of items must start at least: past every node of the bands
// before its own (the line's band being that of any node on it), by the gap
// and the room of the channel between the two bands (`channel[d]` between
// bands d and d + 1, when given).
struct BandFloor {
  const std::vector<double>* channel = nullptr;
  int band = -1;
  double floor = -kInf, reach = -kInf;
  double Enter(const std::vector<Item>& items, const std::vector<int>& line, double gap) {
    for (const int m : line) {
      const int b = items[std::size_t(m)].band;
      if (b < 0 || b == band) continue;
      const std::size_t between = std::size_t(std::min(b, band));
      const double room = band >= 0 && channel && between < channel->size() ? (*channel)[between] : 0;
      band = b;
      floor = reach + gap + room;
      break;
    }
    return floor;
  }
  void Placed(const Item& item, double far) {
    if (!item.dummy) reach = std::max(reach, far);
  }
};

std::vector<LPoint> Compact(const std::vector<Item>& items, const std::vector<int>& rowOf, const std::vector<int>& colOf,
                            const Gaps& gaps, Bands bands, const std::vector<double>* channel = nullptr) {
  const std::size_t n = items.size();
  std::vector<LPoint> at(n);
  const std::vector<std::vector<int>> cols = Ordered(colOf, items, true);
  const std::vector<std::vector<int>> rows = Ordered(rowOf, items, false);
  std::vector<int> colIndex(n);
  // The grid of columns.
  double reach = -kInf, prev = 0;
  for (std::size_t k = 0; k < cols.size(); ++k) {
    double half = 0;
    for (const int m : cols[k]) half = std::max(half, items[std::size_t(m)].w / 2);
    const double x = k == 0 ? 0 : std::max(prev, reach + gaps.node + half);
    reach = std::max(reach, x + half);
    prev = x;
    for (const int m : cols[k]) {
      at[std::size_t(m)].x = x;
      colIndex[std::size_t(m)] = int(k);
    }
  }
  // Rows: in the grid only items of one column can overlap in x, so each
  // column keeps the top of what it holds so far (beside nodes and beside
  // crossings apart, as their gaps differ).
  std::vector<double> topNode(cols.size(), -kInf), topDummy(cols.size(), -kInf);
  prev = 0;
  BandFloor rowFloor{channel};
  for (std::size_t k = 0; k < rows.size(); ++k) {
    double y = k == 0 ? 0 : prev;
    if (bands == Bands::AlongY) {
      const double floor = rowFloor.Enter(items, rows[k], gaps.node);
      for (const int m : rows[k]) y = std::max(y, floor + items[std::size_t(m)].h / 2);
    }
    for (const int m : rows[k]) {
      const Item& b = items[std::size_t(m)];
      const std::size_t c = std::size_t(colIndex[std::size_t(m)]);
      const double fromNode = b.dummy ? gaps.dummy : gaps.node;
      y = std::max({y, topNode[c] + fromNode + b.h / 2, topDummy[c] + gaps.dummy + b.h / 2});
    }
    for (const int m : rows[k]) {
      const Item& b = items[std::size_t(m)];
      const std::size_t c = std::size_t(colIndex[std::size_t(m)]);
      at[std::size_t(m)].y = y;
      double& top = b.dummy ? topDummy[c] : topNode[c];
      top = std::max(top, y + b.h / 2);
      rowFloor.Placed(b, y + b.h / 2);
    }
    prev = y;
  }
  // Columns again, against every item placed before that shares a row.
  std::vector<int> done;
  done.reserve(n);
  prev = 0;
  BandFloor colFloor{channel};
  for (std::size_t k = 0; k < cols.size(); ++k) {
    double x = k == 0 ? 0 : prev;
    if (bands == Bands::AlongX) {
      const double floor = colFloor.Enter(items, cols[k], gaps.node);
      for (const int m : cols[k]) x = std::max(x, floor + items[std::size_t(m)].w / 2);
    }
    for (const int m : cols[k]) {
      const Item& b = items[std::size_t(m)];
      for (const int o : done) {
        const Item& a = items[std::size_t(o)];
        const double g = gaps.Between(a, b);
        if (std::abs(at[std::size_t(o)].y - at[std::size_t(m)].y) < (a.h + b.h) / 2 + g)
          x = std::max(x, at[std::size_t(o)].x + (a.w + b.w) / 2 + g);
      }
    }
    for (const int m : cols[k]) {
      at[std::size_t(m)].x = x;
      done.push_back(m);
      colFloor.Placed(items[std::size_t(m)], x + items[std::size_t(m)].w / 2);
    }
    prev = x;
  }
  return at;
}

// Where the open segments ab and cd cross, as the fractions along each;
// false when they do not cross properly.
bool Cross(const LPoint& a, const LPoint& b, const LPoint& c, const LPoint& d, double& s, double& t) {
  const double rx = b.x - a.x, ry = b.y - a.y, qx = d.x - c.x, qy = d.y - c.y;
  const double den = rx * qy - ry * qx;
  if (std::abs(den) < 1e-9) return false;
  s = ((c.x - a.x) * qy - (c.y - a.y) * qx) / den;
  t = ((c.x - a.x) * ry - (c.y - a.y) * rx) / den;
  constexpr double e = 1e-9;
  return s > e && s < 1 - e && t > e && t < 1 - e;
}

// The sides of a node by direction, counter-clockwise from the right.
enum Side : int { kEast = 0, kNorth = 1, kWest = 2, kSouth = 3 };

// The topology and the shape of one component: its links straightened
// through crossing dummies, each end on the side nearest its direction, and
// the links whose ends are the best of their sides put on one row or
// column. Fills the items of the dummies and the rows and columns.
void Shape(const std::vector<std::pair<int, int>>& links, Bands bands, std::vector<Item>& items,
           std::vector<int>& rowOf, std::vector<int>& colOf) {
  const std::size_t nodes = items.size();
  // Planarization: a dummy where two links cross (links sharing an end
  // cannot); past a bound the remaining crossings stay, as the router will
  // take them anyway and dummies only add rows.
  const std::size_t maxDummies = 3 * nodes + 16;
  std::vector<std::vector<std::pair<double, int>>> along(links.size());
  std::vector<int> horizontalLink;  // per dummy: which of its two links runs horizontally
  for (std::size_t i = 0; i < links.size() && items.size() - nodes < maxDummies; ++i) {
    const auto [a, b] = links[i];
    for (std::size_t j = i + 1; j < links.size() && items.size() - nodes < maxDummies; ++j) {
      const auto [c, d] = links[j];
      if (a == c || a == d || b == c || b == d) continue;
      const LPoint pa = items[std::size_t(a)].at, pb = items[std::size_t(b)].at;
      const LPoint pc = items[std::size_t(c)].at, pd = items[std::size_t(d)].at;
      double s = 0, t = 0;
      if (!Cross(pa, pb, pc, pd, s, t)) continue;
      const int dummy = int(items.size());
      items.push_back({0, 0, {pa.x + s * (pb.x - pa.x), pa.y + s * (pb.y - pa.y)}, true, -1});
      along[i].push_back({s, dummy});
      along[j].push_back({t, dummy});
      const double flatI = std::abs(pb.x - pa.x) * std::hypot(pd.x - pc.x, pd.y - pc.y);
      const double flatJ = std::abs(pd.x - pc.x) * std::hypot(pb.x - pa.x, pb.y - pa.y);
      horizontalLink.push_back(flatI >= flatJ ? int(i) : int(j));
    }
  }
  // The planar graph's segments, each with the link it belongs to.
  struct Segment {
    int a, b, link;
  };
  std::vector<Segment> segments;
  for (std::size_t i = 0; i < links.size(); ++i) {
    std::sort(along[i].begin(), along[i].end());
    int last = links[i].first;
    for (const auto& [s, dummy] : along[i]) {
      segments.push_back({last, dummy, int(i)});
      last = dummy;
    }
    segments.push_back({last, links[i].second, int(i)});
  }
  // The shape: each segment end's side, and for each side of each vertex
  // the end that deviates least from it.
  const std::size_t count = items.size();
  struct End {
    int side = -1;
    double deviation = 0;
  };
  std::vector<End> ends(2 * segments.size());
  std::vector<int> best(4 * count, -1);
  std::vector<double> bestDeviation(4 * count, kInf);
  for (std::size_t s = 0; s < segments.size(); ++s)
    for (int e = 0; e < 2; ++e) {
      const int v = e == 0 ? segments[s].a : segments[s].b;
      const int w = e == 0 ? segments[s].b : segments[s].a;
      const double dx = items[std::size_t(w)].at.x - items[std::size_t(v)].at.x;
      const double dy = items[std::size_t(w)].at.y - items[std::size_t(v)].at.y;
      int side;
      if (items[std::size_t(v)].dummy) {
        // Through a crossing one link runs horizontally, the other vertically.
        const bool flat = horizontalLink[std::size_t(v) - nodes] == segments[s].link;
        side = flat ? (dx >= 0 ? kEast : kWest) : (dy >= 0 ? kNorth : kSouth);
      } else {
        side = std::abs(dx) >= std::abs(dy) ? (dx >= 0 ? kEast : kWest) : (dy >= 0 ? kNorth : kSouth);
      }
      const double length = std::hypot(dx, dy);
      const double off = length > 0 ? (side == kEast || side == kWest ? std::abs(dy) : std::abs(dx)) / length : 0;
      ends[2 * s + std::size_t(e)] = {side, off};
      const std::size_t slot = 4 * std::size_t(v) + std::size_t(side);
      if (off < bestDeviation[slot]) {
        bestDeviation[slot] = off;
        best[slot] = int(s);
      }
    }
  // Straight segments, the best aligned first.
  std::vector<std::pair<double, int>> straight;
  for (std::size_t s = 0; s < segments.size(); ++s) {
    const End& ea = ends[2 * s];
    const End& eb = ends[2 * s + 1];
    if (best[4 * std::size_t(segments[s].a) + std::size_t(ea.side)] == int(s) &&
        best[4 * std::size_t(segments[s].b) + std::size_t(eb.side)] == int(s))
      straight.push_back({ea.deviation + eb.deviation, int(s)});
  }
  std::stable_sort(straight.begin(), straight.end(),
                   [](const auto& p, const auto& q) { return p.first < q.first; });
  Classes rows(count), cols(count);
  for (const auto& [deviation, s] : straight) {
    const Segment& seg = segments[std::size_t(s)];
    const int side = ends[2 * std::size_t(s)].side;
    const LPoint& pa = items[std::size_t(seg.a)].at;
    const LPoint& pb = items[std::size_t(seg.b)].at;
    // A line across the placement holds only what stands at one depth.
    if (side == kEast || side == kWest) {
      if (bands != Bands::AlongY || pa.y == pb.y) JoinApart(rows, cols, seg.a, seg.b);
    } else {
      if (bands != Bands::AlongX || pa.x == pb.x) JoinApart(cols, rows, seg.a, seg.b);
    }
  }
  rowOf.resize(count);
  colOf.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    rowOf[i] = rows.Find(int(i));
    colOf[i] = cols.Find(int(i));
  }
}

// A large component: each node to the nearest free cell of a grid as wide
// and high as its largest node and a gap, in the graph's order.
void Snap(std::vector<Item>& items, double gap, std::vector<int>& rowOf, std::vector<int>& colOf) {
  double pitchX = 1, pitchY = 1, x0 = kInf, y0 = kInf;
  for (const Item& it : items) {
    pitchX = std::max(pitchX, it.w + gap);
    pitchY = std::max(pitchY, it.h + gap);
    x0 = std::min(x0, it.at.x);
    y0 = std::min(y0, it.at.y);
  }
  auto key = [](std::int64_t cx, std::int64_t cy) {
    return (std::uint64_t(cx) << 32) ^ (std::uint64_t(cy) & 0xFFFFFFFFu);
  };
  std::unordered_set<std::uint64_t> taken;  // looked up only: its order reaches nothing
  std::map<std::int64_t, int> rowIds, colIds;
  rowOf.resize(items.size());
  colOf.resize(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto wantX = std::int64_t(std::llround((items[i].at.x - x0) / pitchX));
    const auto wantY = std::int64_t(std::llround((items[i].at.y - y0) / pitchY));
    std::int64_t cx = wantX, cy = wantY;
    // Rings around the wanted cell, the nearest free cell of the first ring
    // that has one.
    for (std::int64_t r = 0;; ++r) {
      double nearest = kInf;
      for (std::int64_t dy = -r; dy <= r; ++dy)
        for (std::int64_t dx = -r; dx <= r; ++dx) {
          if (std::max(std::abs(dx), std::abs(dy)) != r || taken.count(key(wantX + dx, wantY + dy))) continue;
          const double d = std::hypot(double(dx) * pitchX, double(dy) * pitchY);
          if (d < nearest) {
            nearest = d;
            cx = wantX + dx;
            cy = wantY + dy;
          }
        }
      if (nearest < kInf) break;
    }
    taken.insert(key(cx, cy));
    items[i].at = {double(cx) * pitchX, double(cy) * pitchY};
    rowOf[i] = rowIds.emplace(cy, int(i)).first->second;
    colOf[i] = colIds.emplace(cx, int(i)).first->second;
  }
}

// The turn or mirror of the first placement under which the most links
// point along the placement (ties: the first of the list).
LPoint Turned(int turn, const LPoint& p) {
  switch (turn) {
    case 1: return {p.x, -p.y};
    case 2: return {-p.x, p.y};
    case 3: return {-p.x, -p.y};
    case 4: return {p.y, p.x};
    case 5: return {p.y, -p.x};
    case 6: return {-p.y, p.x};
    case 7: return {-p.y, -p.x};
    default: return p;
  }
}

double Forward(LOrientation o, const LPoint& a, const LPoint& b) {
  switch (o) {
    case LOrientation::TopToBottom: return a.y - b.y;
    case LOrientation::BottomToTop: return b.y - a.y;
    case LOrientation::LeftToRight: return b.x - a.x;
    case LOrientation::RightToLeft: return a.x - b.x;
  }
  return 0;
}

int BestTurn(const std::vector<LPoint>& at, const std::vector<std::pair<int, int>>& directed, LOrientation o) {
  int best = 0;
  long long bestScore = std::numeric_limits<long long>::min();
  for (int turn = 0; turn < 8; ++turn) {
    long long score = 0;
    for (const auto& [a, b] : directed) {
      const double f = Forward(o, Turned(turn, at[std::size_t(a)]), Turned(turn, at[std::size_t(b)]));
      score += (f > 0) - (f < 0);
    }
    if (score > bestScore) {
      bestScore = score;
      best = turn;
    }
  }
  return best;
}

// Each node's depth along the links: breadth first from the nodes no link
// enters (from the first node when every node is entered), then from the
// first node not yet reached, until every node has one.
std::vector<int> Depths(std::size_t n, const std::vector<std::pair<int, int>>& directed) {
  std::vector<std::vector<int>> out(n);
  std::vector<int> in(n, 0), depth(n, -1), queue;
  for (const auto& [a, b] : directed) {
    out[std::size_t(a)].push_back(b);
    ++in[std::size_t(b)];
  }
  auto grow = [&](std::size_t head) {
    for (; head < queue.size(); ++head) {
      const int v = queue[head];
      for (const int w : out[std::size_t(v)])
        if (depth[std::size_t(w)] < 0) {
          depth[std::size_t(w)] = depth[std::size_t(v)] + 1;
          queue.push_back(w);
        }
    }
  };
  for (std::size_t v = 0; v < n; ++v)
    if (in[v] == 0) {
      depth[v] = 0;
      queue.push_back(int(v));
    }
  grow(0);
  for (std::size_t v = 0; v < n; ++v)
    if (depth[v] < 0) {
      depth[v] = 0;
      const std::size_t head = queue.size();
      queue.push_back(int(v));
      grow(head);
    }
  return depth;
}

// Places across the placement, band by band (a band being one depth): the
// organic order to start with, then sweeps down and up in which each node
// goes to the mean of its neighbours in the bands already swept, the band
// keeping that order and `gap` between neighbours. A parent with one child
// so stands right above it and their link can be straight.
void SweepAcross(const std::vector<int>& depth, const std::vector<std::pair<int, int>>& links,
                 const std::vector<double>& size, double gap, std::vector<double>& across) {
  const std::size_t n = depth.size();
  int deepest = 0;
  for (const int d : depth) deepest = std::max(deepest, d);
  std::vector<std::vector<int>> band(std::size_t(deepest) + 1), next(n);
  for (std::size_t v = 0; v < n; ++v) band[std::size_t(depth[v])].push_back(int(v));
  for (const auto& [a, b] : links) {
    next[std::size_t(a)].push_back(b);
    next[std::size_t(b)].push_back(a);
  }
  // One band in the order of `want`, spread to keep the gaps, and centred
  // where its wishes are.
  auto settle = [&](std::vector<int>& nodes, const std::vector<double>& want) {
    std::stable_sort(nodes.begin(), nodes.end(),
                     [&](int p, int q) { return want[std::size_t(p)] < want[std::size_t(q)]; });
    double wished = 0, got = 0, last = -kInf, lastHalf = 0;
    for (const int v : nodes) {
      const double half = size[std::size_t(v)] / 2;
      const double x = std::max(want[std::size_t(v)], last + lastHalf + gap + half);
      across[std::size_t(v)] = x;
      wished += want[std::size_t(v)];
      got += x;
      last = x;
      lastHalf = half;
    }
    const double shift = nodes.empty() ? 0 : (wished - got) / double(nodes.size());
    for (const int v : nodes) across[std::size_t(v)] += shift;
  };
  std::vector<double> want = across;
  for (std::vector<int>& nodes : band) settle(nodes, want);
  for (int round = 0; round < 4; ++round) {
    const bool down = round % 2 == 0;
    for (int k = down ? 1 : deepest - 1; down ? k <= deepest : k >= 0; k += down ? 1 : -1) {
      std::vector<int>& nodes = band[std::size_t(k)];
      for (const int v : nodes) {
        double sum = 0;
        int count = 0;
        for (const int w : next[std::size_t(v)])
          if (down ? depth[std::size_t(w)] < k : depth[std::size_t(w)] > k) {
            sum += across[std::size_t(w)];
            ++count;
          }
        want[std::size_t(v)] = count > 0 ? sum / count : across[std::size_t(v)];
      }
      settle(nodes, want);
    }
  }
}

// The topology's point of a node at `depth` along the placement, `across`
// being its place across it.
LPoint AlongPlacement(LOrientation o, double depth, double across) {
  switch (o) {
    case LOrientation::TopToBottom: return {across, -depth};
    case LOrientation::BottomToTop: return {across, depth};
    case LOrientation::LeftToRight: return {depth, across};
    case LOrientation::RightToLeft: return {-depth, across};
  }
  return {across, -depth};
}

// The topology, shape and metrics of one component (its nodes `m`, where
// the organic style put them `at`, to be turned by `turn`): along the
// placement the nodes go by their depth along the links, across it they
// keep the organic order, evened by sweeps.
std::vector<LPoint> Shaped(const LGraph& graph, const std::vector<int>& m, const std::vector<LPoint>& at, int turn,
                           const std::vector<std::pair<int, int>>& directed, const LOrthogonalOptions& options,
                           const Gaps& gaps) {
  const LOrientation o = options.orientation;
  const bool vertical = o == LOrientation::TopToBottom || o == LOrientation::BottomToTop;
  const std::vector<int> depth = Depths(m.size(), directed);
  double pitch = options.spacing.layer;
  std::vector<double> across, size;
  for (std::size_t k = 0; k < m.size(); ++k) {
    const LBox& b = graph.nodes[std::size_t(m[k])].box;
    pitch = std::max(pitch, (vertical ? b.Height() : b.Width()) + options.spacing.layer);
    const LPoint turned = Turned(turn, at[k]);
    across.push_back(vertical ? turned.x : turned.y);
    size.push_back(vertical ? b.Width() : b.Height());
  }
  SweepAcross(depth, directed, size, gaps.node, across);
  std::vector<Item> items;
  for (std::size_t k = 0; k < m.size(); ++k) {
    const LBox& b = graph.nodes[std::size_t(m[k])].box;
    items.push_back({b.Width(), b.Height(), AlongPlacement(o, double(depth[k]) * pitch, across[k]), false, depth[k]});
  }
  std::vector<std::pair<int, int>> links;
  for (const auto& [a, b] : directed) links.push_back({std::min(a, b), std::max(a, b)});
  std::sort(links.begin(), links.end());
  links.erase(std::unique(links.begin(), links.end()), links.end());
  const Bands bands = vertical ? Bands::AlongY : Bands::AlongX;
  std::vector<int> rowOf, colOf;
  Shape(links, bands, items, rowOf, colOf);
  // Room between two bands for the links that pass between them: the
  // router lays their segments side by side there.
  int deepest = 0;
  for (const int d : depth) deepest = std::max(deepest, d);
  std::vector<int> load(std::size_t(deepest) + 1, 0);
  for (const auto& [a, b] : links)
    for (int d = std::min(depth[std::size_t(a)], depth[std::size_t(b)]); d < std::max(depth[std::size_t(a)], depth[std::size_t(b)]); ++d)
      ++load[std::size_t(d)];
  std::vector<double> channel;
  for (const int l : load) channel.push_back(options.spacing.edgeEdge * std::ceil(std::sqrt(double(l))));
  std::vector<LPoint> placed = Compact(items, rowOf, colOf, gaps, bands, &channel);
  placed.resize(m.size());  // the dummies' places served their purpose
  return placed;
}

// Whether the component's nodes at `placed` span no more than the drawing area.
bool Fits(const LGraph& graph, const std::vector<int>& m, const std::vector<LPoint>& placed) {
  double x0 = kInf, y0 = kInf, x1 = -kInf, y1 = -kInf;
  for (std::size_t k = 0; k < m.size(); ++k) {
    const LBox& b = graph.nodes[std::size_t(m[k])].box;
    x0 = std::min(x0, placed[k].x - b.Width() / 2);
    x1 = std::max(x1, placed[k].x + b.Width() / 2);
    y0 = std::min(y0, placed[k].y - b.Height() / 2);
    y1 = std::max(y1, placed[k].y + b.Height() / 2);
  }
  return x1 - x0 <= 2 * kLimit && y1 - y0 <= 2 * kLimit;
}

bool SpacingOk(const LSpacing& s) {
  for (const double v : {s.node, s.layer, s.edgeNode, s.edgeEdge})
    if (!std::isfinite(v) || v < 0) return false;
  return true;
}

}  // namespace

LStatus LayoutOrthogonal(const LGraph& graph, const LOrthogonalOptions& options, LResult& result) {
  if (Validate(graph) != LStatus::Ok || !SpacingOk(options.spacing)) return LStatus::BadInput;
  const LSpacing& spacing = options.spacing;
  LResult r;
  for (const LNode& n : graph.nodes) r.centres.push_back(n.box.Centre());
  r.routes.assign(graph.edges.size(), {});
  r.reversed.assign(graph.edges.size(), 0);

  // The topology starts from the organic style's placement: few crossings.
  LOrganicOptions organic;
  organic.spacing = spacing;
  LResult first;
  if (const LStatus s = LayoutOrganic(graph, organic, first); s != LStatus::Ok) return s;

  int count = 0;
  const std::vector<int> comp = Components(graph, count);
  std::vector<std::vector<int>> members(static_cast<std::size_t>(count));
  std::vector<int> local(graph.nodes.size(), -1);
  for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
    if (comp[i] < 0) continue;
    std::vector<int>& m = members[std::size_t(comp[i])];
    local[i] = int(m.size());
    m.push_back(int(i));
  }
  std::vector<std::vector<std::pair<int, int>>> directed(static_cast<std::size_t>(count));
  for (const LEdge& e : graph.edges) {
    if (e.from == e.to || comp[std::size_t(e.from)] < 0 || comp[std::size_t(e.from)] != comp[std::size_t(e.to)]) continue;
    directed[std::size_t(comp[std::size_t(e.from)])].push_back({local[std::size_t(e.from)], local[std::size_t(e.to)]});
  }
  const Gaps gaps{std::max(spacing.node, 2 * spacing.edgeNode + spacing.edgeEdge),
                  std::max(spacing.edgeEdge, spacing.edgeNode)};
  for (std::size_t c = 0; c < members.size(); ++c) {
    const std::vector<int>& m = members[c];
    std::vector<LPoint> at;
    for (const int v : m) at.push_back(first.centres[std::size_t(v)]);
    const int turn = BestTurn(at, directed[c], options.orientation);
    std::vector<LPoint> placed;
    if (int(m.size()) <= options.shapeNodes) placed = Shaped(graph, m, at, turn, directed[c], options, gaps);
    // Large, or too broad in bands: the organic placement snapped to a grid.
    if (placed.empty() || !Fits(graph, m, placed)) {
      std::vector<Item> items;
      for (std::size_t k = 0; k < m.size(); ++k) {
        const LBox& b = graph.nodes[std::size_t(m[k])].box;
        items.push_back({b.Width(), b.Height(), Turned(turn, at[k]), false, -1});
      }
      std::vector<int> rowOf, colOf;
      Snap(items, gaps.node, rowOf, colOf);
      placed = Compact(items, rowOf, colOf, gaps, Bands::None);
    }
    for (std::size_t k = 0; k < m.size(); ++k) r.centres[std::size_t(m[k])] = placed[k];
  }

  if (const LStatus s = Pack(graph, spacing, r); s != LStatus::Ok) return s;
  // Whole units, as the symbols take them.
  for (std::size_t i = 0; i < graph.nodes.size(); ++i)
    if (!graph.nodes[i].fixed) r.centres[i] = {std::round(r.centres[i].x), std::round(r.centres[i].y)};

  std::vector<int> which;
  for (std::size_t k = 0; k < graph.edges.size(); ++k) {
    const LEdge& e = graph.edges[k];
    const bool moved = !graph.nodes[std::size_t(e.from)].fixed || !graph.nodes[std::size_t(e.to)].fixed;
    if (e.from != e.to && moved && e.keep != LRouteKeep::Route) which.push_back(int(k));
  }
  if (const LStatus s = RouteMoved(graph, r.centres, which, spacing, r.routes); s != LStatus::Ok) return s;
  result = std::move(r);
  return LStatus::Ok;
}

}  // namespace kvl
