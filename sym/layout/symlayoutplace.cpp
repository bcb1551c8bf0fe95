// Placement of one structure: free rows, levels hanging on a node, the
// radial star, the oriented hierarchy and layered graph, and the grid of
// graph nodes. Every step only adds to the nodes' offsets; a structure is
// laid out in its own coordinates from the origin, rows and levels going
// down (y decreasing) and x growing to the right.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

#include "kvcore/scomwrap.h"
#include "sym/layout/symlayoutgraph.h"

namespace {
using Levels = std::map<int, std::vector<SSymAutoLayoutNode*>>;

LONG H() { return SSymAutoLayoutSpacing::s_nHorz; }
LONG V() { return SSymAutoLayoutSpacing::s_nVert; }
LONG L() { return SSymAutoLayoutSpacing::s_nLink; }

LONG Centre(LONG a, LONG b) { return static_cast<LONG>((static_cast<long long>(a) + b) / 2); }

// An oriented tree deeper than this is laid out freely instead: its levels
// would be built by a walk as deep as the tree.
constexpr int kMaxOrientedDepth = 2000;

// The nodes an oriented build has reached, with their levels.
std::map<SSymAutoLayoutNode*, int>* g_orientedSeen = nullptr;

// The ordering key of start nodes, computed once per structure: the styles do
// not change while a structure is placed.
struct StartKey {
  int style, neighbours, entries, degree;
  auto operator<=>(const StartKey&) const = default;
};
}  // namespace

int SSymAutoLayoutStruct::PerformAutoLayout() {
  if (m_pending.IsEmpty()) return 0;
  std::vector<std::pair<StartKey, SSymAutoLayoutNode*>> order;
  order.reserve(static_cast<std::size_t>(m_pending.GetCount()));
  for (SSymAutoLayoutNode* n : m_pending)
    order.push_back({{n->m_nGraphStyle, n->CountGraphNeighbours(), static_cast<int>(n->m_graphNeighbours.size()),
                      n->GetDegree()},
                     n});
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (auto& [key, n] : order) {
    m_pForcedNext = nullptr;
    if (n->m_bPlaced || n->m_pStruct != this) continue;
    PerformAutoLayoutOnNode(n);
  }
  m_pForcedNext = nullptr;
  SeparateOverlaps();
  ComputeClipRect();
  return 1;
}

void SSymAutoLayoutStruct::SeparateOverlaps() {
  // The placements of chains, levels and grid places are each sound on their
  // own but may meet; a node that comes to lie on one placed before it moves
  // right, past it, until it is clear. A grid of cells finds the neighbours.
  constexpr long long kCell = 8192;
  constexpr long long kMaxCells = 256;
  struct CellHash {
    std::size_t operator()(const std::pair<long long, long long>& k) const {
      return std::hash<long long>()(k.first * 1000003LL ^ k.second);
    }
  };
  std::unordered_map<std::pair<long long, long long>, std::vector<SSymAutoLayoutNode*>, CellHash> cells;
  std::vector<SSymAutoLayoutNode*> large;
  auto span = [&](const SSymRect& r, auto&& visit) {
    const long long cx1 = r.GetMinX() / kCell - 1, cx2 = r.GetMaxX() / kCell + 1;
    const long long cy1 = r.GetMinY() / kCell - 1, cy2 = r.GetMaxY() / kCell + 1;
    if ((cx2 - cx1 + 1) * (cy2 - cy1 + 1) > kMaxCells) return false;
    for (long long x = cx1; x <= cx2; ++x)
      for (long long y = cy1; y <= cy2; ++y) visit(std::make_pair(x, y));
    return true;
  };
  auto overlaps = [](const SSymRect& a, const SSymRect& b) {
    return a.GetMinX() <= b.GetMaxX() && b.GetMinX() <= a.GetMaxX() && a.GetMinY() <= b.GetMaxY() &&
           b.GetMinY() <= a.GetMaxY();
  };
  for (SSymAutoLayoutNode* n : m_placed) {
    for (int tries = 0; tries < 1000; ++tries) {
      const SSymRect r = n->GetClipRect();
      SSymAutoLayoutNode* blocker = nullptr;
      auto check = [&](SSymAutoLayoutNode* other) {
        if (!blocker && other != n && overlaps(r, other->GetClipRect())) blocker = other;
      };
      if (!span(r, [&](const auto& key) {
            if (auto it = cells.find(key); it != cells.end())
              for (SSymAutoLayoutNode* o : it->second) check(o);
          }))
        for (auto& [key, list] : cells)
          for (SSymAutoLayoutNode* o : list) check(o);
      for (SSymAutoLayoutNode* o : large) check(o);
      if (!blocker) break;
      n->Shift(static_cast<long long>(blocker->GetClipRect().GetMaxX()) + 1 + H() - r.GetMinX(), 0);
    }
    const SSymRect r = n->GetClipRect();
    if (!span(r, [&](const auto& key) { cells[key].push_back(n); })) large.push_back(n);
  }
}

int SSymAutoLayoutStruct::PerformAutoLayoutOnNode(SSymAutoLayoutNode* node) {
  if (!node) return 0;
  int done = 0;
  switch (node->m_nGraphStyle) {
    case GraphStyleHierarchy:
      done = PerformRadialLayout(node);
      if (!done) done = PerformOrientedHierarchyLayout(node);
      break;
    case GraphStyleLoop:
    case GraphStyleHierGraph: done = PerformOrientedGraphLayout(node); break;
    case GraphStyleEnd: done = PerformOrientedHierarchyLayout(node); break;
    default: break;
  }
  if (!done) FixNode(node);
  return 1;
}

void SSymAutoLayoutStruct::FixNode(SSymAutoLayoutNode* node, LONG x, LONG y) {
  if (!node || node->m_bPlaced || node->m_pStruct != this) return;
  m_pending.Remove(node);
  m_placed.Add(node);
  node->m_bPlaced = 1;
  const SSymRect r = node->GetClipRect();
  node->Shift(static_cast<long long>(x) - r.GetMinX(), static_cast<long long>(y) - r.GetMaxY());
}

void SSymAutoLayoutStruct::FixNode(SSymAutoLayoutNode* node) {
  if (!node || node->m_bPlaced || node->m_pStruct != this) return;
  const SSymRect r = node->GetClipRect();
  m_nRowHeight = std::max(m_nRowHeight, SymLayoutHeight(r));
  FixNode(node, m_x, m_y);
  m_x = SymLayoutFit(static_cast<long long>(m_x) + SymLayoutWidth(r) + H());
  if (node->m_nVertDir != 0) {
    FixGraph(node);
  } else {
    switch (node->m_nGraphStyle) {
      case GraphStyleUnset: node->m_nGraphStyle = GraphStyleHierarchy; break;
      case GraphStyleEnd:
      case GraphStyleHierarchy:
      case GraphStyleLoop:
      case GraphStyleHierGraph: FixHierarchy(node); break;
      case GraphStyleLink:
      case GraphStyleLinkedGraph: FixGraph(node); break;
      default: break;
    }
  }
  if (node->m_nGraphStyle != GraphStyleIsolated) return;
  if (m_nRowLimit == 0) {
    double sum = 0;
    for (SSymAutoLayoutNode* n : m_pending) {
      const SSymRect p = n->GetClipRect();
      const double w = SymLayoutWidth(p), h = SymLayoutHeight(p);
      sum += w * w + h * h;
    }
    m_nRowLimit = static_cast<LONG>(std::clamp(std::sqrt(1.5 * sum), 50000.0, 1790000.0));
  }
  if (m_x > m_nRowLimit) {
    m_y = SymLayoutFit(static_cast<long long>(m_y) - m_nRowHeight - V());
    m_x = 0;
    m_nRowHeight = 0;
  }
}

// ---- levels hanging on a node ------------------------------------------------------------------------

LONG SSymAutoLayoutStruct::FixHierarchy(SSymAutoLayoutNode* node) {
  if (!node) return 0;
  if (node->m_bHierDone) return node->m_nHierWidth;
  node->m_bHierDone = 1;
  const int down = node->m_nVertDir != 1;
  const SSymRect r = node->GetClipRect();
  LONG y = down ? r.GetMinY() - V() : r.GetMaxY() + V();
  const LONG centre = Centre(r.GetMinX(), r.GetMaxX());
  LONG widest = SymLayoutWidth(r);
  for (int level = 1;; ++level) {
    std::vector<SSymAutoLayoutNode*> table;
    if (!node->GetHierLevelNodes(level, table, nullptr)) break;
    const int before = m_placed.GetCount();
    widest = std::max(widest, FixHierarchyLevel(table, down, centre, y));
    if (m_placed.GetCount() == before) break;  // nothing new on this level: nothing deeper either
  }
  node->m_nHierWidth = std::max(node->m_nHierWidth, widest);
  return node->m_nHierWidth;
}

int SSymAutoLayoutNode::GetHierLevelNodes(int level, std::vector<SSymAutoLayoutNode*>& table,
                                          SSymAutoLayoutNode* exclude) {
  auto dependant = [&](SSymAutoLayoutNode* a) {
    return a != exclude && a != this && a->m_pStruct == m_pStruct && a->IsDependantStyle();
  };
  auto has = [&](SSymAutoLayoutNode* a) { return std::find(table.begin(), table.end(), a) != table.end(); };
  if (level <= 0) return !table.empty();
  if (level == 1) {
    const std::size_t startCount = table.size();
    std::size_t insertAt = startCount > 0 ? startCount - 1 : 0;
    bool loopMet = false;
    for (SSymAutoLayoutNode* d : m_adjacent) {
      if (!dependant(d) || d->m_bPlaced) continue;
      if (d->m_nGraphStyle == GraphStyleEnd || d->m_nGraphStyle == GraphStyleHierarchy) {
        if (loopMet)
          table.insert(table.begin() + static_cast<std::ptrdiff_t>(insertAt++), d);
        else
          table.push_back(d);
        continue;
      }
      if (has(d)) continue;
      loopMet = true;
      // A loop that closes through this node: its degree-2 members that touch
      // this node stand in for it.
      std::vector<SSymAutoLayoutNode*> twos;
      if (d->GetDegree() > 2)
        for (SSymAutoLayoutNode* t : d->m_adjacent)
          if (t != exclude && t->GetDegree() == 2 && m_adjacent.Contains(t)) twos.push_back(t);
      if (twos.size() >= 2) {
        for (std::size_t i = 1; i < twos.size(); ++i)
          if (!has(twos[i])) table.push_back(twos[i]);
        if (!has(twos[0])) table.push_back(twos[0]);
        continue;
      }
      table.push_back(d);
      // The farthest member of the chain that continues from it.
      SSymAutoLayoutNodeSet met;
      met.Add(d);
      SSymAutoLayoutNode *prev = this, *cur = d;
      for (;;) {
        SSymAutoLayoutNode* next = prev->GetNextLinkNode(cur);
        if (!next || next->m_bPlaced || next->m_pStruct != m_pStruct || !met.Add(next)) break;
        const int s = next->m_nGraphStyle;
        if (s != GraphStyleLoop && s != GraphStyleHierGraph && s != GraphStyleLink && s != GraphStyleLinkedGraph) break;
        prev = cur;
        cur = next;
      }
      if (cur != d && !cur->m_bPlaced && !has(cur)) table.push_back(cur);
    }
    return !table.empty();
  }
  for (SSymAutoLayoutNode* d : m_adjacent) {
    if (!dependant(d)) continue;
    if (!d->m_bPlaced)
      table.push_back(d);
    else
      d->GetHierLevelNodes(level - 1, table, this);
  }
  return !table.empty();
}

LONG SSymAutoLayoutStruct::FixHierarchyLevel(std::vector<SSymAutoLayoutNode*>& table, int down, LONG centreX,
                                             LONG& y) {
  std::vector<SSymAutoLayoutNode*> nodes;
  SSymAutoLayoutNodeSet seen;
  for (SSymAutoLayoutNode* n : table)
    if (n && !n->m_bPlaced && n->m_pStruct == this && seen.Add(n)) nodes.push_back(n);
  table = nodes;
  const std::size_t n = nodes.size();
  if (n == 0) return 0;
  const std::size_t rows = n <= 20 ? 1 : (n + 19) / 20;
  const std::size_t columns = (n + rows - 1) / rows;
  std::vector<LONG> rowH(rows, 0), colW(columns, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const SSymRect r = nodes[i]->GetClipRect();
    rowH[i % rows] = std::max(rowH[i % rows], SymLayoutHeight(r));
    colW[i / rows] = std::max(colW[i / rows], SymLayoutWidth(r));
  }
  long long width = 0;
  for (LONG w : colW) width += w;
  width += 2LL * H() * static_cast<long long>(columns - 1);
  const LONG levelW = static_cast<LONG>(std::min<long long>(width, kSymLayoutEdge * 4LL));
  long long x = static_cast<long long>(centreX) - levelW / 2;
  long long firstOffset = 0, right = x;
  for (std::size_t c = 0; c < columns; ++c) {
    long long offset = rows > 1 ? V() : 0;
    for (std::size_t j = 0; j < rows && c * rows + j < n; ++j) {
      SSymAutoLayoutNode* node = nodes[c * rows + j];
      const LONG h = SymLayoutHeight(node->GetClipRect());
      FixNode(node, SymLayoutFit(x), SymLayoutFit(down ? y - offset : static_cast<long long>(y) + h + offset));
      offset += static_cast<long long>(rowH[j]) + V();
    }
    if (c == 0) firstOffset = offset;
    right = x + colW[c];
    x += static_cast<long long>(colW[c]) + V();
  }
  const LONG entryY = y;
  const long long height = V() + firstOffset;
  y = SymLayoutFit(down ? y - height : y + height);
  m_x = std::max(m_x, SymLayoutFit(std::max(right, static_cast<long long>(centreX) + H())));
  m_y = std::min(m_y, down ? y : entryY);
  return levelW;
}

// ---- the radial star ---------------------------------------------------------------------------------------

int SSymAutoLayoutStruct::PerformRadialLayout(SSymAutoLayoutNode* node) {
  if (!node || node->m_bPlaced || node->m_nGraphStyle != GraphStyleHierarchy) return 0;
  if (m_pending.GetCount() < 1 || m_pending.GetCount() > 20) return 0;
  std::vector<SSymAutoLayoutNode*> leaves;
  long long sumW = 0, sumH = 0;
  for (SSymAutoLayoutNode* a : node->m_adjacent) {
    if (a->m_nGraphStyle != GraphStyleEnd || a->GetDegree() > 1 || a->m_pStruct != this || a->m_bPlaced) return 0;
    if (!a->GetSymbol()) continue;
    const SSymRect r = a->GetClipRect();
    sumW += SymLayoutWidth(r);
    sumH += SymLayoutHeight(r);
    leaves.push_back(a);
  }
  if (leaves.empty()) return 0;
  const double pi = std::numbers::pi;
  const SSymRect c = node->GetClipRect();
  const double cw = SymLayoutWidth(c), ch = SymLayoutHeight(c);
  const LONG radius = std::max(SymLayoutFit(static_cast<double>(std::max(sumW, sumH)) / (2 * pi)),
                               SymLayoutFit(std::sqrt((cw * cw + ch * ch) / 2) + H()));
  // The centre node, its centre on the origin.
  FixNode(node, c.GetMinX() - Centre(c.GetMinX(), c.GetMaxX()), c.GetMaxY() - Centre(c.GetMinY(), c.GetMaxY()));
  const double step = 2 * pi / static_cast<double>(leaves.size());
  int i = 0;
  std::vector<std::pair<SSymAutoLayoutNode*, double>> placed;
  for (SSymAutoLayoutNode* leaf : leaves) {
    const double angle = i * step, ux = std::cos(angle), uy = std::sin(angle);
    const SSymRect r = leaf->GetSymbol()->GetClipRect(0, 1);
    const SSymPoint lc(Centre(r.GetMinX(), r.GetMaxX()), Centre(r.GetMinY(), r.GetMaxY()));
    const double reach = 2.0 * std::max(SymLayoutWidth(r), SymLayoutHeight(r));
    const SSymSegment toward(lc, SSymPoint(SymLayoutFit(lc.x - reach * ux), SymLayoutFit(lc.y - reach * uy)));
    // Where the segment towards the centre leaves the leaf's outline; the
    // leaf's rectangle stands in for a symbol that cannot tell.
    SSymPoint hit;
    SComWrap<ISSymLinkable> linkable(leaf->GetSymbol());
    bool found = !linkable.IsNull() && linkable->GetIntersection(toward, &hit);
    if (!found) {
      SSymRect box = r;
      box.Normalize();
      const double hx = (SymLayoutWidth(box) - 1) / 2.0, hy = (SymLayoutHeight(box) - 1) / 2.0;
      const double t = std::min(std::abs(ux) > 1e-9 ? hx / std::abs(ux) : 1e18, std::abs(uy) > 1e-9 ? hy / std::abs(uy) : 1e18);
      hit = SSymPoint(SymLayoutFit(lc.x - t * ux), SymLayoutFit(lc.y - t * uy));
      found = true;
    }
    const double d = std::hypot(static_cast<double>(hit.x - lc.x), static_cast<double>(hit.y - lc.y));
    const LONG tx = SymLayoutFit((radius + d) * ux), ty = SymLayoutFit((radius + d) * uy);
    const SSymRect now = leaf->GetClipRect();
    const LONG nowCx = Centre(now.GetMinX(), now.GetMaxX()), nowCy = Centre(now.GetMinY(), now.GetMaxY());
    FixNode(leaf, SymLayoutFit(static_cast<long long>(now.GetMinX()) + tx - nowCx),
            SymLayoutFit(static_cast<long long>(now.GetMaxY()) + ty - nowCy));
    placed.push_back({leaf, angle});
    ++i;
  }
  // Larger leaves first: a leaf that comes within the margin of one placed
  // before it moves out along its ray until it is clear.
  if (placed.size() > 2) {
    constexpr LONG kMargin = 800;
    auto area = [](SSymAutoLayoutNode* n) {
      const SSymRect r = n->GetClipRect();
      return static_cast<long long>(SymLayoutWidth(r)) * SymLayoutHeight(r);
    };
    std::stable_sort(placed.begin(), placed.end(), [&](const auto& a, const auto& b) { return area(a.first) > area(b.first); });
    auto clash = [&](const SSymRect& a, const SSymRect& b) {
      return a.GetMinX() - kMargin <= b.GetMaxX() && b.GetMinX() - kMargin <= a.GetMaxX() &&
             a.GetMinY() - kMargin <= b.GetMaxY() && b.GetMinY() - kMargin <= a.GetMaxY();
    };
    for (std::size_t k = 1; k < placed.size(); ++k) {
      SSymAutoLayoutNode* leaf = placed[k].first;
      const double ux = std::cos(placed[k].second), uy = std::sin(placed[k].second);
      for (int tries = 0; tries < 64; ++tries) {
        bool hit = false;
        for (std::size_t j = 0; j < k && !hit; ++j) hit = clash(leaf->GetClipRect(), placed[j].first->GetClipRect());
        if (!hit) break;
        leaf->Shift(SymLayoutFit(kMargin * ux), SymLayoutFit(kMargin * uy));
      }
    }
  }
  return 1;
}

// ---- oriented hierarchy and layered graph ----------------------------------------------------------------

int SSymAutoLayoutStruct::PerformOrientedHierarchyLayout(SSymAutoLayoutNode* node) {
  if (!node || node->m_bPlaced) return 0;
  Levels levels;
  std::map<SSymAutoLayoutNode*, int> seen;
  g_orientedSeen = &seen;
  auto build = [&](int reversed) {
    levels.clear();
    seen.clear();
    levels[50].push_back(node);
    seen[node] = 50;
    return node->BuildOrientedLevels(nullptr, 50, reversed, levels);
  };
  const bool built = build(0) || build(1);
  g_orientedSeen = nullptr;
  if (!built) return 0;
  FixOrientedHierarchy(levels, 0);
  return 1;
}

int SSymAutoLayoutNode::BuildOrientedLevels(SSymAutoLayoutNode* from, int level, int reversed, Levels& levels) {
  if (m_nGraphStyle > GraphStyleHierarchy) return 0;
  if (level < 50 - kMaxOrientedDepth || level > 50 + kMaxOrientedDepth) return 0;
  SSymAutoLayoutNode* parent = nullptr;
  int away = 0;
  std::vector<SSymAutoLayoutNode*> children;
  for (SSymAutoLayoutLink* l : m_links) {
    SSymAutoLayoutNode* first = reversed ? l->GetDestNode() : l->GetSourceNode();
    SSymAutoLayoutNode* second = reversed ? l->GetSourceNode() : l->GetDestNode();
    if (!first || !second || first == second) continue;
    if (first == this) {
      if (++away > 1) return 0;
      parent = second;
    } else if (first != from) {
      children.push_back(first);
    }
  }
  auto claim = [&](SSymAutoLayoutNode* n, int at) {
    // A node reached again must stand where it stood.
    if (auto it = g_orientedSeen->find(n); it != g_orientedSeen->end()) return it->second == at ? 0 : -1;
    (*g_orientedSeen)[n] = at;
    levels[at].push_back(n);
    return 1;
  };
  for (SSymAutoLayoutNode* c : children) {
    const int claimed = claim(c, level - 1);
    if (claimed < 0 || (claimed > 0 && !c->BuildOrientedLevels(this, level - 1, reversed, levels))) return 0;
  }
  if (parent && parent != from) {
    const int claimed = claim(parent, level + 1);
    if (claimed < 0 || (claimed > 0 && !parent->BuildOrientedLevels(this, level + 1, reversed, levels))) return 0;
  }
  return 1;
}

int SSymAutoLayoutStruct::PerformOrientedGraphLayout(SSymAutoLayoutNode* node) {
  if (!node || node->m_bPlaced) return 0;
  SSymAutoLayoutNodeSet initiators;
  if (!GetOrientedInitiatorNodes(initiators)) return 0;
  Levels levels;
  std::map<SSymAutoLayoutNode*, int> levelOf;
  for (SSymAutoLayoutNode* n : initiators) {
    levels[1].push_back(n);
    levelOf[n] = 1;
  }
  if (!ComputeStructOrientedGraphLevels(1, levels, levelOf)) return 0;
  FixOrientedHierarchy(levels, 1);
  return 1;
}

int SSymAutoLayoutStruct::ComputeStructOrientedGraphLevels(int level, Levels& levels,
                                                           std::map<SSymAutoLayoutNode*, int>& levelOf) {
  for (;; ++level) {
    auto it = levels.find(level);
    if (it == levels.end()) return 0;
    const std::vector<SSymAutoLayoutNode*> current = it->second;
    bool postponed = false, added = false;
    for (SSymAutoLayoutNode* n : current) {
      SSymAutoLayoutNodeSet successors;
      n->GetSuccessors(successors, false);
      for (SSymAutoLayoutNode* s : successors) {
        if (s->m_pStruct != this) continue;
        if (auto known = levelOf.find(s); known != levelOf.end()) {
          if (known->second != level + 1) return 0;
          continue;
        }
        SSymAutoLayoutNodeSet preds;
        s->GetPredecessors(preds, false);
        bool wait = false;
        for (SSymAutoLayoutNode* p : preds) {
          if (p == n || p->m_pStruct != this) continue;
          auto lp = levelOf.find(p);
          if (lp == levelOf.end() || lp->second > level) wait = true;
        }
        if (wait) {
          levels[level + 1].push_back(n);
          postponed = true;
        } else {
          levels[level + 1].push_back(s);
          levelOf[s] = level + 1;
          added = true;
        }
      }
    }
    if (!added) return postponed ? 0 : 1;
  }
}

LONG SSymAutoLayoutStruct::FixOrientedHierarchy(Levels& levels, int down) {
  LONG y = 0, widest = 0;
  for (auto& [number, table] : levels) widest = std::max(widest, FixHierarchyLevel(table, down, 0, y));
  return widest;
}

// ---- moves after placement ----------------------------------------------------------------------------

void SSymAutoLayoutNode::MoveSym(LONG dx, LONG dy, SSymAutoLayoutNodeSet& visited) {
  if (!dx && !dy) return;
  visited.Add(this);
  std::vector<SSymAutoLayoutNode*> todo{this};
  while (!todo.empty()) {
    SSymAutoLayoutNode* n = todo.back();
    todo.pop_back();
    for (SSymAutoLayoutNode* a : n->m_adjacent)
      if (a->m_pStruct == m_pStruct && a->IsDependantStyle() && visited.Add(a)) todo.push_back(a);
    n->Shift(dx, dy);
  }
}

void SSymAutoLayoutNode::MoveHorz(LONG dx, SSymAutoLayoutNodeSet& visited) {
  if (!dx) return;
  std::vector<SSymAutoLayoutNode*> todo{this};
  while (!todo.empty()) {
    SSymAutoLayoutNode* n = todo.back();
    todo.pop_back();
    if (!visited.Add(n)) continue;
    const bool linkish = n->m_nGraphStyle == GraphStyleLink || n->m_nGraphStyle == GraphStyleLinkedGraph;
    for (SSymAutoLayoutNode* a : n->m_adjacent) {
      if (visited.Contains(a) || a->m_pStruct != m_pStruct) continue;
      bool moves;
      if (a->IsDependantStyle())
        moves = true;
      else if (a->m_nGraphStyle == GraphStyleLink)
        moves = linkish;
      else if (a->m_nGraphStyle == GraphStyleLinkedGraph)
        moves = true;
      else
        moves = a->m_bPlaced && (a == n->m_pUp || a->m_pUp == n || a->m_nGraphStyle != GraphStyleGraph);
      if (moves) todo.push_back(a);
    }
    n->Shift(dx, 0);
  }
}

// ---- the grid of graph nodes ----------------------------------------------------------------------------

void SSymAutoLayoutStruct::FixGraph(SSymAutoLayoutNode* start) {
  // Rows are followed with a stack rather than recursion: a row can be long.
  std::vector<SSymAutoLayoutNode*> todo{start};
  SSymAutoLayoutNodeSet done;
  while (!todo.empty()) {
    SSymAutoLayoutNode* node = todo.back();
    todo.pop_back();
    if (!node || !done.Add(node)) continue;
    SSymAutoLayoutNode* up = node->GetUpNode();
    SSymAutoLayoutNode* left = node->GetLeftNode();
    SSymAutoLayoutNode* right = node->GetRightNode();
    SSymAutoLayoutNode* upLeft = node->GetLeftDiagNode();
    SSymAutoLayoutNode* upRight = node->GetRightDiagNode();
    FixHierarchy(node);
    if (up && !up->m_bPlaced && up->m_pStruct == this) {
      node->m_nLinkWidth = FixLink(node, up, 1, 1);
      if (node->m_nLinkWidth > node->m_nHierWidth || up->m_nHierWidth > node->m_nHierWidth) {
        const LONG wider = std::max(node->m_nLinkWidth, up->m_nHierWidth);
        const LONG gap = wider - node->m_nHierWidth;
        node->m_nHierWidth = wider;
        SSymAutoLayoutNodeSet visited;
        if (node->m_nHorzDir > 0) node->MoveHorz(gap, visited);
        if (node->m_nHorzDir < 0) node->MoveHorz(-gap, visited);
      }
      if (left && left->m_bPlaced) FixLink(left, up, 3, 0);
      if (right && right->m_bPlaced) FixLink(right, up, 3, 1);
      if (upLeft && upLeft->m_bPlaced) FixLink(upLeft, up, 2, 0);
      if (upRight && upRight->m_bPlaced) FixLink(upRight, up, 2, 1);
      FixHierarchy(up);
    }
    bool leftNew = false, rightNew = false;
    if (left && !left->m_bPlaced && left->m_pStruct == this) {
      FixLink(node, left, 2, 1);
      leftNew = left->m_bPlaced != 0;
      if (up && up->m_bPlaced) FixLink(left, up, 3, 0);
      if (upLeft && upLeft->m_bPlaced) FixLink(left, upLeft, 1, 1);
    }
    if (right && !right->m_bPlaced && right->m_pStruct == this) {
      FixLink(node, right, 2, 0);
      rightNew = right->m_bPlaced != 0;
      if (up && up->m_bPlaced) FixLink(right, up, 3, 1);
      if (upRight && upRight->m_bPlaced) {
        FixLink(right, upRight, 1, 1);
        if (up && up->m_bPlaced) FixLink(up, upRight, 2, 0);
      }
    }
    // The left side first, as a recursion would.
    if (rightNew) todo.push_back(right);
    if (leftNew) todo.push_back(left);
  }
}

LONG SSymAutoLayoutStruct::FixLink(SSymAutoLayoutNode* a, SSymAutoLayoutNode* b, int position, int side) {
  if (!a || !b || position < 1 || position > 3) return 0;
  const SSymRect ra = a->GetClipRect();
  const LONG aw = SymLayoutWidth(ra), aLeft = ra.GetMinX(), aRight = ra.GetMaxX(), aTop = ra.GetMaxY();
  // The heads of the chains from a towards b.
  std::vector<SSymAutoLayoutNode*> heads;
  if (a->m_nGraphStyle == GraphStyleGraph)
    for (SSymAutoLayoutNode* m : a->m_adjacent)
      if (m != b && m->m_pStruct == this)
        if (auto it = a->m_graphNeighbours.find(m); it != a->m_graphNeighbours.end() && it->second == b)
          heads.push_back(m);
  auto extent = [&](SSymAutoLayoutNode* m) {
    const SSymRect r = m->GetClipRect();
    return position == 1 ? SymLayoutWidth(r) : SymLayoutHeight(r);
  };
  long long sum = 0;
  for (std::size_t i = 1; i < heads.size(); ++i) sum += extent(heads[i]) + L();
  LONG offset = static_cast<LONG>(-sum / 2);
  LONG reach = position == 1 ? aTop : (side == 0 ? aRight : aLeft);  // how far the chains went
  long long spread = 0;
  for (SSymAutoLayoutNode* head : heads) {
    const SSymRect rm = head->GetClipRect();
    const LONG mw = SymLayoutWidth(rm), mh = SymLayoutHeight(rm);
    if (!head->m_bPlaced) {
      LONG x, y;
      if (position == 1) {
        x = aLeft + (aw - mw) / 2 + offset;
        y = aTop + V() + mh;
      } else if (position == 2) {
        x = side == 0 ? aRight + 1 + V() : aLeft - mw - V();
        y = aTop + offset;
      } else {
        y = aTop + V() + mh + offset;
        x = aLeft + (aw - mw) / 2 + (side == 0 ? aw + V() : -(mw + V()));
      }
      FixNode(head, x, y);
      // The rest of the chain continues outward, one spacing apart.
      SSymAutoLayoutNode *prev = a, *cur = head;
      for (int guard = 0; guard < 10000; ++guard) {
        SSymAutoLayoutNode* next = prev->GetNextLinkNode(cur);
        if (!next || next == b || next->m_bPlaced || next->m_pStruct != this) break;
        const SSymRect rc = cur->GetClipRect(), rn = next->GetClipRect();
        if (position == 1)
          FixNode(next, rc.GetMinX(), rc.GetMaxY() + V() + SymLayoutHeight(rn));
        else if (side == 0)
          FixNode(next, rc.GetMaxX() + 1 + V(), rc.GetMaxY());
        else
          FixNode(next, rc.GetMinX() - SymLayoutWidth(rn) - V(), rc.GetMaxY());
        prev = cur;
        cur = next;
      }
      const SSymRect last = cur->GetClipRect();
      reach = position == 1 ? std::max(reach, last.GetMaxY())
                            : (side == 0 ? std::max(reach, last.GetMaxX()) : std::min(reach, last.GetMinX()));
    } else if (position != 1) {
      // Pushed clear of a on the side given.
      const LONG gap = side == 0 ? rm.GetMinX() - aRight : aLeft - rm.GetMaxX();
      if (gap < H()) {
        const LONG shortfall = H() - gap;
        SSymAutoLayoutNodeSet visited;
        const bool aMoves = head->m_nVertDir != 0 && a->m_nVertDir != 0 &&
                            std::abs(a->m_nHorzDir) > std::abs(head->m_nHorzDir);
        if (aMoves)
          a->MoveHorz(side == 0 ? -shortfall : shortfall, visited);
        else
          head->MoveHorz(side == 0 ? shortfall : -shortfall, visited);
      }
    }
    if (head->m_bPlaced && position != 2) {
      const SSymRect now = head->GetClipRect();
      if (now.GetMinY() - aTop < H()) {
        SSymAutoLayoutNodeSet visited;
        head->MoveSym(0, H() - (now.GetMinY() - aTop), visited);
      }
    }
    spread += (position == 1 ? mw : mh) + L();
    offset += (position == 1 ? mw : mh) + L();
  }
  const SSymRect rb = b->GetClipRect();
  const LONG bw = SymLayoutWidth(rb), bh = SymLayoutHeight(rb);
  if (!b->m_bPlaced) {
    if (position == 2)
      FixNode(b, side == 0 ? reach + 1 + V() : reach - bw - V(), aTop);
    else
      FixNode(b, aLeft + (aw - bw) / 2, (heads.empty() ? aTop : reach) + V() + bh);
  } else if (position != 1) {
    const SSymRect now = b->GetClipRect();
    const LONG gap = side == 0 ? now.GetMinX() - aRight : aLeft - now.GetMaxX();
    if (position == 2 && gap < H() && gap > -aw) {
      SSymAutoLayoutNodeSet visited;
      b->MoveHorz(side == 0 ? H() - gap : gap - H(), visited);
    }
  }
  return static_cast<LONG>(std::max<long long>(spread > 0 ? spread - L() : 0, position == 1 ? bw : bh));
}
