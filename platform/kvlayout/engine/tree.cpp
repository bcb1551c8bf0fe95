#include "kvlayout/engine/tree.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

#include "kvlayout/engine/organic.h"
#include "kvlayout/engine/pack.h"
#include "kvlayout/engine/route.h"

namespace kvl {

namespace {

bool Moves(const LGraph& graph, int i) { return !graph.nodes[std::size_t(i)].fixed; }

// An edge a tree may use: between two different nodes that both move.
bool TreeCandidate(const LGraph& graph, const LEdge& e) {
  return e.from != e.to && Moves(graph, e.from) && Moves(graph, e.to);
}

bool SpacingOk(const LSpacing& s) {
  for (const double v : {s.node, s.layer, s.edgeNode, s.edgeEdge})
    if (!std::isfinite(v) || v < 0) return false;
  return true;
}

// A node's children in the forest: a run of `order`.
struct Children {
  std::vector<int> first, count, number;  // per node: where its run starts, its length, its place among siblings
  Children(const LForest& f, std::size_t n) : first(n, 0), count(n, 0), number(n, 0) {
    std::vector<int> pos(n, 0);
    for (std::size_t k = 0; k < f.order.size(); ++k) pos[std::size_t(f.order[k])] = int(k);
    for (const int v : f.order) {
      const int p = f.parent[std::size_t(v)];
      if (p < 0) continue;
      if (count[std::size_t(p)]++ == 0) first[std::size_t(p)] = pos[std::size_t(v)];
      number[std::size_t(v)] = count[std::size_t(p)] - 1;
    }
  }
};

// Tidy placement along the breadth of the levels, in linear time: subtrees
// are pushed apart only as far as their outlines (followed through threads)
// ask, shifts spread over the siblings between, parents centred over their
// outer children. Runs without recursion, so deep trees cannot exhaust the
// stack.
class Tidy {
 public:
  Tidy(const LForest& f, const Children& ch, std::vector<double> breadth, double gap)
      : m_f(f), m_ch(ch), m_breadth(std::move(breadth)), m_gap(gap) {
    const std::size_t n = m_breadth.size();
    m_prelim.assign(n, 0);
    m_mod.assign(n, 0);
    m_shift.assign(n, 0);
    m_change.assign(n, 0);
    m_mid.assign(n, 0);
    m_thread.assign(n, -1);
    m_ancestor.resize(n);
    for (std::size_t i = 0; i < n; ++i) m_ancestor[i] = int(i);
  }

  // The breadth of each node's centre, each tree's root at 0.
  std::vector<double> Run() {
    for (auto it = m_f.order.rbegin(); it != m_f.order.rend(); ++it) Process(*it);
    std::vector<double> x(m_breadth.size(), 0), acc(m_breadth.size(), 0);
    for (const int v : m_f.order) {
      const std::size_t i = std::size_t(v);
      if (m_f.parent[i] < 0) {
        m_prelim[i] = m_mid[i];
        acc[i] = -m_prelim[i];
      }
      x[i] = m_prelim[i] + acc[i];
      for (int k = 0; k < m_ch.count[i]; ++k) acc[std::size_t(Child(v, k))] = acc[i] + m_mod[i];
    }
    return x;
  }

 private:
  int Child(int v, int k) const { return m_f.order[std::size_t(m_ch.first[std::size_t(v)] + k)]; }
  int Count(int v) const { return m_ch.count[std::size_t(v)]; }
  int NextLeft(int v) const { return Count(v) ? Child(v, 0) : m_thread[std::size_t(v)]; }
  int NextRight(int v) const { return Count(v) ? Child(v, Count(v) - 1) : m_thread[std::size_t(v)]; }
  double Distance(int a, int b) const { return (m_breadth[std::size_t(a)] + m_breadth[std::size_t(b)]) / 2 + m_gap; }

  // Everything below v is placed: place v's children side by side.
  void Process(int v) {
    const int k = Count(v);
    if (k == 0) return;
    int defaultAncestor = Child(v, 0);
    for (int c = 0; c < k; ++c) {
      const int w = Child(v, c);
      const std::size_t i = std::size_t(w);
      if (c == 0) {
        m_prelim[i] = m_mid[i];
      } else {
        const int left = Child(v, c - 1);
        m_prelim[i] = m_prelim[std::size_t(left)] + Distance(left, w);
        if (Count(w)) m_mod[i] = m_prelim[i] - m_mid[i];
      }
      defaultAncestor = Apportion(w, Child(v, c - (c > 0)), Child(v, 0), defaultAncestor);
    }
    double shift = 0, change = 0;
    for (int c = k - 1; c >= 0; --c) {
      const std::size_t i = std::size_t(Child(v, c));
      m_prelim[i] += shift;
      m_mod[i] += shift;
      change += m_change[i];
      shift += m_shift[i] + change;
    }
    m_mid[std::size_t(v)] = (m_prelim[std::size_t(Child(v, 0))] + m_prelim[std::size_t(Child(v, k - 1))]) / 2;
  }

  // Pushes v's subtree clear of its left siblings' subtrees, level by level
  // down the outlines they face, and threads the shorter outline on.
  int Apportion(int v, int leftSibling, int leftmost, int defaultAncestor) {
    if (leftSibling == v) return defaultAncestor;
    int vip = v, vop = v, vim = leftSibling, vom = leftmost;
    double sip = m_mod[std::size_t(vip)], sop = m_mod[std::size_t(vop)];
    double sim = m_mod[std::size_t(vim)], som = m_mod[std::size_t(vom)];
    while (NextRight(vim) >= 0 && NextLeft(vip) >= 0) {
      vim = NextRight(vim);
      vip = NextLeft(vip);
      vom = NextLeft(vom);
      vop = NextRight(vop);
      m_ancestor[std::size_t(vop)] = v;
      const double shift = (m_prelim[std::size_t(vim)] + sim) - (m_prelim[std::size_t(vip)] + sip) + Distance(vim, vip);
      if (shift > 0) {
        MoveSubtree(AncestorOf(vim, v, defaultAncestor), v, shift);
        sip += shift;
        sop += shift;
      }
      sim += m_mod[std::size_t(vim)];
      sip += m_mod[std::size_t(vip)];
      som += m_mod[std::size_t(vom)];
      sop += m_mod[std::size_t(vop)];
    }
    if (NextRight(vim) >= 0 && NextRight(vop) < 0) {
      m_thread[std::size_t(vop)] = NextRight(vim);
      m_mod[std::size_t(vop)] += sim - sop;
    }
    if (NextLeft(vip) >= 0 && NextLeft(vom) < 0) {
      m_thread[std::size_t(vom)] = NextLeft(vip);
      m_mod[std::size_t(vom)] += sip - som;
      defaultAncestor = v;
    }
    return defaultAncestor;
  }

  int AncestorOf(int vim, int v, int defaultAncestor) const {
    const int a = m_ancestor[std::size_t(vim)];
    return m_f.parent[std::size_t(a)] == m_f.parent[std::size_t(v)] ? a : defaultAncestor;
  }

  void MoveSubtree(int wm, int wp, double shift) {
    const double per = shift / double(m_ch.number[std::size_t(wp)] - m_ch.number[std::size_t(wm)]);
    m_change[std::size_t(wp)] -= per;
    m_shift[std::size_t(wp)] += shift;
    m_change[std::size_t(wm)] += per;
    m_prelim[std::size_t(wp)] += shift;
    m_mod[std::size_t(wp)] += shift;
  }

  const LForest& m_f;
  const Children& m_ch;
  std::vector<double> m_breadth;
  double m_gap;
  std::vector<double> m_prelim, m_mod, m_shift, m_change, m_mid;
  std::vector<int> m_thread, m_ancestor;
};

// Sets the trees (each laid out around its own origin) side by side in rows
// so the router sees them apart; Pack later places the rows as a whole.
void PackTrees(const LGraph& graph, const LForest& f, const LSpacing& spacing, LResult& r) {
  std::vector<int> tree(graph.nodes.size(), -1);
  std::vector<LBox> boxes;
  for (const int v : f.order) {
    const std::size_t i = std::size_t(v);
    const LBox& b = graph.nodes[i].box;
    const LPoint c = r.centres[i];
    const LBox at{c.x - b.Width() / 2, c.y - b.Height() / 2, c.x + b.Width() / 2, c.y + b.Height() / 2};
    if (f.parent[i] < 0) {
      tree[i] = int(boxes.size());
      boxes.push_back(at);
    } else {
      tree[i] = tree[std::size_t(f.parent[i])];
      LBox& e = boxes[std::size_t(tree[i])];
      e = {std::min(e.x0, at.x0), std::min(e.y0, at.y0), std::max(e.x1, at.x1), std::max(e.y1, at.y1)};
    }
  }
  std::vector<LPoint> sizes;
  for (const LBox& b : boxes) sizes.push_back({b.Width(), b.Height()});
  const LRows rows = PackRows(sizes, spacing.node, 1.0, 2 * kLimit, true);
  std::vector<LPoint> shift;
  for (std::size_t t = 0; t < boxes.size(); ++t)
    shift.push_back({rows.corner[t].x - boxes[t].x0, rows.corner[t].y - boxes[t].y1});
  for (const int v : f.order) {
    const LPoint s = shift[std::size_t(tree[std::size_t(v)])];
    r.centres[std::size_t(v)].x += s.x;
    r.centres[std::size_t(v)].y += s.y;
    const int e = f.parentEdge[std::size_t(v)];
    if (e < 0) continue;
    for (LPoint& p : r.routes[std::size_t(e)]) {
      p.x += s.x;
      p.y += s.y;
    }
  }
}

// The links no tree uses, routed around the placed symbols.
LStatus RouteOthers(const LGraph& graph, const LForest& f, const LSpacing& spacing, LResult& r) {
  std::vector<char> inTree(graph.edges.size(), 0);
  for (const int e : f.parentEdge)
    if (e >= 0) inTree[std::size_t(e)] = 1;
  std::vector<int> which;
  for (std::size_t k = 0; k < graph.edges.size(); ++k) {
    const LEdge& e = graph.edges[k];
    if (!inTree[k] && TreeCandidate(graph, e) && e.keep != LRouteKeep::Route) which.push_back(int(k));
  }
  return RouteMoved(graph, r.centres, which, spacing, r.routes);
}

// The result every run starts from: nodes where they are, no routes.
LResult Start(const LGraph& graph) {
  LResult r;
  for (const LNode& n : graph.nodes) r.centres.push_back(n.box.Centre());
  r.routes.assign(graph.edges.size(), {});
  r.reversed.assign(graph.edges.size(), 0);
  return r;
}

// Packs the trees, routes the other links and hands the result over.
LStatus Finish(const LGraph& graph, const LForest& f, const LSpacing& spacing, LResult& r, LResult& result) {
  PackTrees(graph, f, spacing, r);
  if (const LStatus s = RouteOthers(graph, f, spacing, r); s != LStatus::Ok) return s;
  result = std::move(r);
  return LStatus::Ok;
}

}  // namespace

LForest SpanningForest(const LGraph& graph) {
  const std::size_t n = graph.nodes.size();
  LForest f;
  f.parent.assign(n, -1);
  f.parentEdge.assign(n, -1);
  f.depth.assign(n, 0);
  // Links out of and into each node, in the graph's order.
  std::vector<int> outStart(n + 1, 0), inStart(n + 1, 0), entered(n, 0);
  for (const LEdge& e : graph.edges) {
    if (!TreeCandidate(graph, e)) continue;
    ++outStart[std::size_t(e.from) + 1];
    ++inStart[std::size_t(e.to) + 1];
    entered[std::size_t(e.to)] = 1;
  }
  for (std::size_t i = 0; i < n; ++i) {
    outStart[i + 1] += outStart[i];
    inStart[i + 1] += inStart[i];
  }
  std::vector<int> outs(static_cast<std::size_t>(outStart[n])), ins(static_cast<std::size_t>(inStart[n]));
  {
    std::vector<int> o(outStart.begin(), outStart.end() - 1), in(inStart.begin(), inStart.end() - 1);
    for (std::size_t k = 0; k < graph.edges.size(); ++k) {
      const LEdge& e = graph.edges[k];
      if (!TreeCandidate(graph, e)) continue;
      outs[std::size_t(o[std::size_t(e.from)]++)] = int(k);
      ins[std::size_t(in[std::size_t(e.to)]++)] = int(k);
    }
  }
  std::vector<char> seen(n, 0);
  auto grow = [&](int root) {
    std::size_t head = f.order.size();
    seen[std::size_t(root)] = 1;
    f.order.push_back(root);
    auto reach = [&](int v, int k, int w) {
      if (seen[std::size_t(w)]) return;
      seen[std::size_t(w)] = 1;
      f.parent[std::size_t(w)] = v;
      f.parentEdge[std::size_t(w)] = k;
      f.depth[std::size_t(w)] = f.depth[std::size_t(v)] + 1;
      f.order.push_back(w);
    };
    for (; head < f.order.size(); ++head) {
      const int v = f.order[head];
      for (int j = outStart[std::size_t(v)]; j < outStart[std::size_t(v) + 1]; ++j) {
        const int k = outs[std::size_t(j)];
        reach(v, k, graph.edges[std::size_t(k)].to);
      }
      for (int j = inStart[std::size_t(v)]; j < inStart[std::size_t(v) + 1]; ++j) {
        const int k = ins[std::size_t(j)];
        reach(v, k, graph.edges[std::size_t(k)].from);
      }
    }
  };
  for (int pass = 0; pass < 2; ++pass)
    for (std::size_t i = 0; i < n; ++i)
      if (!seen[i] && Moves(graph, int(i)) && (pass == 1 || !entered[i])) grow(int(i));
  return f;
}

namespace {
// A tidy placement in abstract terms: breadth along a level, depth from
// level to level, both from the tree's root.
struct Tidied {
  std::vector<double> x, centre;  // per node: breadth and depth of its centre
  std::vector<double> top, thick; // per node: its level's start and depth
  std::vector<int> head;          // per node: the first leaf of its stack (itself when not stacked)
  std::vector<char> listed;       // per node: its children hang in a list under it (Hang); may be empty
  double widest = 0;              // the broadest tree
};

// Leaves that are children of one node stand in stacks of up to `stack`
// along the depth (1: no stacks): a wide tree gets narrower at the cost of
// deeper levels.
Tidied Place(const LForest& forest, const std::vector<double>& breadth, const std::vector<double>& extent,
             const LSpacing& spacing, int stack) {
  const std::size_t n = breadth.size();
  const Children all(forest, n);
  Tidied t;
  t.head.resize(n);
  for (std::size_t i = 0; i < n; ++i) t.head[i] = int(i);
  // The heads' forest: each stack stands in it as its first leaf, as broad
  // as its broadest leaf and as deep as the stack.
  LForest heads;
  heads.parent = forest.parent;
  heads.depth = forest.depth;
  std::vector<double> b = breadth, ext = extent;
  std::vector<int> open(n, -1), held(n, 0);  // per parent: the stack its leaves go to, and how full it is
  std::vector<char> stacked(n, 0);           // per head: whether leaves stand under it
  for (const int v : forest.order) {
    const std::size_t i = std::size_t(v);
    const int p = forest.parent[i];
    if (p >= 0 && stack > 1 && all.count[i] == 0) {
      const std::size_t q = std::size_t(p);
      if (open[q] >= 0 && held[q] < stack) {
        const std::size_t h = std::size_t(open[q]);
        t.head[i] = int(h);
        b[h] = std::max(b[h], breadth[i]);
        ext[h] += spacing.node + extent[i];
        stacked[h] = 1;
        ++held[q];
        continue;
      }
      open[q] = v;
      held[q] = 1;
    }
    heads.order.push_back(v);
  }
  const Children ch(heads, n);
  t.x = Tidy(heads, ch, b, spacing.node).Run();
  t.top.assign(n, 0);
  t.thick.assign(n, 0);
  t.centre.assign(n, 0);
  for (std::size_t s = 0, e = 0; s < heads.order.size(); s = e) {
    for (e = s + 1; e < heads.order.size() && heads.parent[std::size_t(heads.order[e])] >= 0;) ++e;
    std::vector<double> level, start;
    double lo = 0, hi = 0;
    for (std::size_t k = s; k < e; ++k) {
      const std::size_t i = std::size_t(heads.order[k]), d = std::size_t(heads.depth[i]);
      if (level.size() <= d) level.push_back(0);
      level[d] = std::max(level[d], ext[i]);
      lo = std::min(lo, t.x[i] - b[i] / 2);
      hi = std::max(hi, t.x[i] + b[i] / 2);
    }
    t.widest = std::max(t.widest, hi - lo);
    start.assign(level.size(), 0);
    for (std::size_t d = 1; d < level.size(); ++d) start[d] = start[d - 1] + level[d - 1] + spacing.layer;
    for (std::size_t k = s; k < e; ++k) {
      const std::size_t i = std::size_t(heads.order[k]), d = std::size_t(heads.depth[i]);
      t.top[i] = start[d];
      t.thick[i] = level[d];
    }
  }
  // The stacks, from the level's start down; lone nodes centred in their level.
  std::vector<double> next(n, 0);
  for (const int v : forest.order) {
    const std::size_t i = std::size_t(v), h = std::size_t(t.head[i]);
    t.x[i] = t.x[h];
    t.top[i] = t.top[h];
    t.thick[i] = t.thick[h];
    if (!stacked[h]) {
      t.centre[i] = t.top[i] + t.thick[i] / 2;
    } else {
      t.centre[i] = t.top[h] + next[h] + extent[i] / 2;
      next[h] += extent[i] + spacing.node;
    }
  }
  return t;
}

// A tree still too broad with its leaves stacked hangs its broadest parts
// as lists: a subtree that fits the area is placed tidily as a block; one
// that does not puts its root at the top left of its block and its
// children's blocks one under another to the right of a column that runs
// down from the root, each child joined to the column at its own side. The
// drawing grows deep rather than broad, still without crossings.
class Hang {
 public:
  Hang(const LForest& f, const std::vector<double>& breadth, const std::vector<double>& extent, const LSpacing& spacing,
       int stack, double room)
      : m_f(f), m_ch(f, breadth.size()), m_breadth(breadth), m_extent(extent), m_sp(spacing), m_stack(stack),
        m_room(room) {}

  Tidied Run() {
    const std::size_t n = m_breadth.size();
    m_t.x.assign(n, 0);
    m_t.centre.assign(n, 0);
    m_t.top.assign(n, 0);
    m_t.thick.assign(n, 0);
    m_t.head.resize(n);
    for (std::size_t i = 0; i < n; ++i) m_t.head[i] = int(i);
    m_t.listed.assign(n, 0);
    for (const int v : m_f.order)
      if (m_f.parent[std::size_t(v)] < 0) {
        const Extent e = Block(v, 0, 0);
        m_t.widest = std::max(m_t.widest, e.x1 - e.x0);
      }
    return std::move(m_t);
  }

 private:
  struct Extent {
    double x0, x1, y1;
  };

  // Places v's subtree with its block's left side at `left` and its top at
  // `top`; answers the block's extent.
  Extent Block(int root, double left, double top) {
    const std::size_t n = m_breadth.size();
    LForest sub;
    sub.parent = m_f.parent;
    sub.depth.assign(n, 0);
    sub.parent[std::size_t(root)] = -1;
    sub.order.push_back(root);
    for (std::size_t k = 0; k < sub.order.size(); ++k) {
      const std::size_t v = std::size_t(sub.order[k]);
      for (int j = 0; j < m_ch.count[v]; ++j) {
        const int c = m_f.order[std::size_t(m_ch.first[v] + j)];
        sub.depth[std::size_t(c)] = sub.depth[v] + 1;
        sub.order.push_back(c);
      }
    }
    Tidied t = Place(sub, m_breadth, m_extent, m_sp, m_stack);
    const std::size_t r = std::size_t(root);
    if (t.widest <= m_room || m_ch.count[r] == 0) {
      double lo = 0, hi = 0, deep = 0;
      bool first = true;
      for (const int v : sub.order) {
        const std::size_t i = std::size_t(v);
        lo = first ? t.x[i] - m_breadth[i] / 2 : std::min(lo, t.x[i] - m_breadth[i] / 2);
        hi = first ? t.x[i] + m_breadth[i] / 2 : std::max(hi, t.x[i] + m_breadth[i] / 2);
        deep = std::max({deep, t.top[i] + t.thick[i], t.centre[i] + m_extent[i] / 2});
        first = false;
      }
      for (const int v : sub.order) {
        const std::size_t i = std::size_t(v);
        m_t.x[i] = t.x[i] - lo + left;
        m_t.centre[i] = t.centre[i] + top;
        m_t.top[i] = t.top[i] + top;
        m_t.thick[i] = t.thick[i];
        m_t.head[i] = t.head[i];
      }
      return {left, left + hi - lo, top + deep};
    }
    m_t.listed[r] = 1;
    m_t.x[r] = left + m_breadth[r] / 2;
    m_t.centre[r] = top + m_extent[r] / 2;
    m_t.top[r] = top;
    m_t.thick[r] = m_extent[r];
    Extent e{left, left + m_breadth[r], top + m_extent[r]};
    for (int j = 0; j < m_ch.count[r]; ++j) {
      const int c = m_f.order[std::size_t(m_ch.first[r] + j)];
      const Extent b = Block(c, m_t.x[r] + m_sp.node, e.y1 + m_sp.layer);
      e.x1 = std::max(e.x1, b.x1);
      e.y1 = b.y1;
    }
    return e;
  }

  const LForest& m_f;
  const Children m_ch;
  const std::vector<double>& m_breadth;
  const std::vector<double>& m_extent;
  const LSpacing m_sp;
  const int m_stack;
  const double m_room;
  Tidied m_t;
};
}  // namespace

LStatus LayoutTree(const LGraph& graph, const LTreeOptions& options, LResult& result) {
  if (Validate(graph) != LStatus::Ok || !SpacingOk(options.spacing)) return LStatus::BadInput;
  const std::size_t n = graph.nodes.size();
  const LForest f = SpanningForest(graph);
  const bool across = options.orientation == LOrientation::LeftToRight || options.orientation == LOrientation::RightToLeft;
  std::vector<double> breadth(n), extent(n);
  for (std::size_t i = 0; i < n; ++i) {
    const LBox& b = graph.nodes[i].box;
    breadth[i] = across ? b.Height() : b.Width();
    extent[i] = across ? b.Width() : b.Height();
  }
  // Stacks only when the tree is too broad for the drawing area, the
  // fewest that make it fit.
  Tidied t = Place(f, breadth, extent, options.spacing, 1);
  int stack = 1;
  while (t.widest > 2 * kLimit && stack * 2 <= int(n)) t = Place(f, breadth, extent, options.spacing, stack *= 2);
  if (t.widest > 2 * kLimit) t = Hang(f, breadth, extent, options.spacing, stack, 2 * kLimit).Run();

  auto map = [&](double b, double d) -> LPoint {
    switch (options.orientation) {
      case LOrientation::TopToBottom: return {b, -d};
      case LOrientation::BottomToTop: return {b, d};
      case LOrientation::LeftToRight: return {d, -b};
      case LOrientation::RightToLeft: return {-d, -b};
    }
    return {b, -d};
  };
  LResult r = Start(graph);
  for (const int v : f.order) r.centres[std::size_t(v)] = map(t.x[std::size_t(v)], t.centre[std::size_t(v)]);
  // Tree links: out of the parent's facing side, across in the middle of the
  // gap below its level, into the child's facing side; a stacked leaf's
  // link runs down beside its stack and into the leaf's side.
  for (const int v : f.order) {
    const std::size_t c = std::size_t(v);
    const int k = f.parentEdge[c];
    if (k < 0 || graph.edges[std::size_t(k)].keep == LRouteKeep::Route) continue;
    const std::size_t p = std::size_t(f.parent[c]);
    const double from = t.centre[p] + extent[p] / 2;
    if (!t.listed.empty() && t.listed[p]) {
      // Down the column under the parent, into the child's side.
      std::vector<LPoint> route{map(t.x[p], from), map(t.x[p], t.centre[c]), map(t.x[c] - breadth[c] / 2, t.centre[c])};
      if (graph.edges[std::size_t(k)].from != f.parent[c]) std::reverse(route.begin(), route.end());
      r.routes[std::size_t(k)] = std::move(route);
      continue;
    }
    const double mid = t.top[p] + t.thick[p] + options.spacing.layer / 2;
    const bool stacked = t.head[c] != v;
    const double column = stacked ? t.x[c] - breadth[std::size_t(t.head[c])] / 2 - options.spacing.node / 2 : t.x[c];
    std::vector<LPoint> route{map(t.x[p], from)};
    if (t.x[p] != column) {
      route.push_back(map(t.x[p], mid));
      route.push_back(map(column, mid));
    }
    if (stacked) {
      route.push_back(map(column, t.centre[c]));
      route.push_back(map(t.x[c] - breadth[c] / 2, t.centre[c]));
    } else {
      route.push_back(map(t.x[c], t.centre[c] - extent[c] / 2));
    }
    if (graph.edges[std::size_t(k)].from != f.parent[c]) std::reverse(route.begin(), route.end());
    r.routes[std::size_t(k)] = std::move(route);
  }
  return Finish(graph, f, options.spacing, r, result);
}

LStatus LayoutSnowflake(const LGraph& graph, const LSpacing& spacing, LResult& result) {
  if (Validate(graph) != LStatus::Ok || !SpacingOk(spacing)) return LStatus::BadInput;
  const std::size_t n = graph.nodes.size();
  const LForest f = SpanningForest(graph);
  const Children ch(f, n);
  const double pi = std::numbers::pi;
  auto child = [&](std::size_t v, int k) { return std::size_t(f.order[std::size_t(ch.first[v] + k)]); };

  // Bottom up: the room each subtree asks for along a ring, the larger of
  // its own node's and its children's together (nodes measured by their
  // diagonals, so they keep apart whichever way they turn).
  std::vector<double> span(n, 0), weight(n, 0);
  for (std::size_t i = 0; i < n; ++i) span[i] = std::hypot(graph.nodes[i].box.Width(), graph.nodes[i].box.Height());
  for (auto it = f.order.rbegin(); it != f.order.rend(); ++it) {
    const std::size_t v = std::size_t(*it);
    double sum = 0;
    for (int c = 0; c < ch.count[v]; ++c) sum += weight[child(v, c)];
    weight[v] = std::max({span[v] + spacing.node, sum, 1.0});
  }
  // Top down: each node's wedge shared among its children by their room,
  // each child in the middle of its share, the shares together centred on
  // the node.
  std::vector<double> wedge(n, 0), angle(n, 0), rho(n, 0), mid(n, 0);
  std::vector<char> bent(n, 0);
  {
    for (const int v0 : f.order) {
      const std::size_t v = std::size_t(v0);
      if (f.parent[v] < 0) {
        wedge[v] = 2 * pi;
        angle[v] = pi / 2;
      }
      double sum = 0;
      for (int c = 0; c < ch.count[v]; ++c) sum += weight[child(v, c)];
      double from = angle[v] - (f.parent[v] < 0 ? pi : wedge[v] * sum / weight[v] / 2);
      for (int c = 0; c < ch.count[v]; ++c) {
        const std::size_t w = child(v, c);
        wedge[w] = wedge[v] * weight[w] / weight[v];
        angle[w] = from + wedge[w] / 2;
        from += wedge[w];
      }
    }
  }
  // One ring per level: clear of the ring inside by `layer`, and so far out
  // that each node's wedge holds it with `node` to spare (two nodes of a
  // ring stand at least half their wedges apart, and the chord grows with
  // the angle).
  LResult r = Start(graph);
  for (std::size_t s = 0, e = 0; s < f.order.size(); s = e) {
    for (e = s + 1; e < f.order.size() && f.parent[std::size_t(f.order[e])] >= 0;) ++e;
    std::vector<double> widest, need;
    for (std::size_t k = s; k < e; ++k) {
      const std::size_t v = std::size_t(f.order[k]), d = std::size_t(f.depth[v]);
      if (widest.size() <= d) {
        widest.push_back(0);
        need.push_back(0);
      }
      widest[d] = std::max(widest[d], span[v]);
      const double half = std::sin(std::min(wedge[v], pi) / 2);
      need[d] = std::max(need[d], (span[v] + spacing.node) / (2 * std::max(half, 1e-9)));
    }
    // Levels too crowded for the area stand on two rings, their nodes
    // alternating between the inner and the outer one (the outer a node's
    // span further out), so that neighbours on one ring are two places apart.
    std::vector<double> needSplit(widest.size(), 0);
    {
      std::vector<std::size_t> last(widest.size(), SIZE_MAX), before(widest.size(), SIZE_MAX);
      for (std::size_t k = s; k < e; ++k) {
        const std::size_t v = std::size_t(f.order[k]), d = std::size_t(f.depth[v]);
        if (before[d] != SIZE_MAX) {
          const std::size_t u = before[d];
          const double apart = std::min(angle[v] - angle[u], pi);
          needSplit[d] = std::max(needSplit[d], (std::max(span[u], span[v]) + spacing.node) /
                                                    (2 * std::max(std::sin(apart / 2), 1e-9)));
        }
        before[d] = last[d];
        last[d] = v;
      }
    }
    std::vector<char> split(widest.size(), 0);
    std::vector<double> ring(widest.size(), 0), outer(widest.size(), 0);
    for (const bool crowded : {false, true}) {
      for (std::size_t d = 1; d < ring.size(); ++d) {
        const double clear = outer[d - 1] + (widest[d - 1] + widest[d]) / 2 + spacing.layer;
        split[d] = crowded && need[d] > clear;
        ring[d] = std::max(split[d] ? needSplit[d] : need[d], clear);
        outer[d] = split[d] ? ring[d] + widest[d] + spacing.node : ring[d];
      }
      if (outer.back() + widest.back() / 2 <= kLimit) break;
    }
    std::vector<int> place(widest.size(), 0);
    for (std::size_t k = s; k < e; ++k) {
      const std::size_t v = std::size_t(f.order[k]), d = std::size_t(f.depth[v]);
      rho[v] = split[d] && place[d]++ % 2 ? outer[d] : ring[d];
      r.centres[v] = {rho[v] * std::cos(angle[v]), rho[v] * std::sin(angle[v])};
      if (d + 1 < ring.size()) {
        // Between this level's outer side and the next level's inner side.
        mid[v] = (outer[d] + widest[d] / 2 + ring[d + 1] - widest[d + 1] / 2) / 2;
        bent[v] = f.parent[v] >= 0 && (split[d] || split[d + 1]);
      }
    }
  }
  // A link stays straight when it keeps outside its parent's ring, inside
  // the parent's wedge, where no other link goes; otherwise all the links
  // of that parent run out along its ray, round an arc between the rings
  // and in along the child's ray, never crossing another.
  for (std::size_t v = 0; v < n; ++v)
    for (int c = 0; c < ch.count[v] && f.parent[v] >= 0 && !bent[v]; ++c) {
      const std::size_t w = child(v, c);
      bent[v] = std::cos(std::min(std::abs(angle[w] - angle[v]), pi)) * rho[w] < rho[v] * (1 + 1e-9);
    }
  auto polar = [&](double radius, double theta) { return LPoint{radius * std::cos(theta), radius * std::sin(theta)}; };
  for (const int v : f.order) {
    const int k = f.parentEdge[std::size_t(v)];
    if (k < 0) continue;
    const LEdge& e = graph.edges[std::size_t(k)];
    if (e.keep == LRouteKeep::Route) continue;
    const std::size_t p = std::size_t(f.parent[std::size_t(v)]), c = std::size_t(v);
    const LPoint a = r.centres[p], b = r.centres[c];
    std::vector<LPoint> route;
    if (!bent[p]) {
      route = {BorderPoint(a, b, graph.nodes[p].box), BorderPoint(b, a, graph.nodes[c].box)};
    } else {
      // The arc in steps whose chords dip at most a quarter of the layer
      // spacing inside it.
      const double m = mid[p];
      const double step = 2 * std::acos(std::clamp(1 - std::max(spacing.layer, 1.0) / 4 / std::max(m, 1.0), -1.0, 1.0));
      const LPoint out = polar(m, angle[p]), in = polar(m, angle[c]);
      route.push_back(BorderPoint(a, out, graph.nodes[p].box));
      route.push_back(out);
      // Every link of the parent bends at the same angles, so that their
      // arcs lie on one another.
      const double sweep = angle[c] - angle[p], each = std::max(step, 1e-3);
      for (int j = 1; j * each < std::abs(sweep); ++j) route.push_back(polar(m, angle[p] + std::copysign(j * each, sweep)));
      route.push_back(in);
      route.push_back(BorderPoint(b, in, graph.nodes[c].box));
    }
    if (e.from != int(p)) std::reverse(route.begin(), route.end());
    r.routes[std::size_t(k)] = std::move(route);
  }
  return Finish(graph, f, spacing, r, result);
}

}  // namespace kvl
