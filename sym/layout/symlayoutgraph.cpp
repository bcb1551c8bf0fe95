#include "sym/layout/symlayoutgraph.h"

#include <algorithm>

#include "kvcore/scomwrap.h"
#include "kvcore/sexception.h"
#include "kvrep/srepobject.h"
#include "sym/symbol/symintfhost.h"

LONG SSymAutoLayoutSpacing::s_nVert = 5000;
LONG SSymAutoLayoutSpacing::s_nLink = 2000;
LONG SSymAutoLayoutSpacing::s_nHorz = 2500;

namespace {

unsigned long g_nextId = 0;

// Classification re-examines neighbours recursively; on large graphs that
// could go deep or long. Past these bounds a node keeps the style its degree
// gives it, which only makes its placement plainer.
constexpr int kMaxClassifyDepth = 200;
int g_classifyDepth = 0;
long g_classifyBudget = 1000000;

struct DepthGuard {
  DepthGuard() { ++g_classifyDepth; }
  ~DepthGuard() { --g_classifyDepth; }
  bool Deep() const { return g_classifyDepth > kMaxClassifyDepth; }
};

// The chain walk's own nesting counter: a walk deeper than 100 gives up.
int g_chainDepth = 0;

bool IsLinkish(int style) { return style == GraphStyleLink || style == GraphStyleLinkedGraph; }
bool IsResolved(int style) {
  return style == GraphStyleEnd || style == GraphStyleHierarchy || style == GraphStyleLoop ||
         style == GraphStyleHierGraph;
}

// The set of nodes to reset and classify again: copied first, since
// classifying a neighbour may change the sets being walked.
std::vector<SSymAutoLayoutNode*> Copy(const SSymAutoLayoutNodeSet& set) { return {set.begin(), set.end()}; }

void Reclassify(SSymAutoLayoutNode* n) {
  n->m_nGraphStyle = GraphStyleUnset;
  n->ComputeGraphStyle();
}

bool Joined(const SSymAutoLayoutNode* a, const SSymAutoLayoutNode* b) {
  for (SSymAutoLayoutLink* l : a->m_links)
    if ((l->GetSourceNode() == a && l->GetDestNode() == b) || (l->GetSourceNode() == b && l->GetDestNode() == a))
      return true;
  return false;
}
}  // namespace

// ---- symbols and links ------------------------------------------------------------------------------

SSymAutoLayoutSymbol::SSymAutoLayoutSymbol(ISSymbol* symbol) : m_pSymbol(symbol), m_nId(++g_nextId) {
  if (m_pSymbol) m_pSymbol->AddRef();
}

SSymAutoLayoutSymbol::~SSymAutoLayoutSymbol() {
  if (m_pSymbol) m_pSymbol->Release();
}

SSymAutoLayoutLink::SSymAutoLayoutLink(ISSymbol* link) : SSymAutoLayoutSymbol(link) {
  // A symbol that is no link is accepted; any other failure of the query throws.
  SComWrap<ISSymLink> check(link);
}

void SSymAutoLayoutLink::SetEnd(SSymAutoLayoutNode*& end, SSymAutoLayoutNode*& other, SSymAutoLayoutNode* node) {
  if (end == node) return;
  if (SSymAutoLayoutNode* old = end) {
    end = nullptr;
    if (old != other) old->m_links.Remove(this);
    // Another link between the same two nodes keeps them adjacent.
    if (other && other != old && !Joined(old, other)) {
      old->m_adjacent.Remove(other);
      other->m_adjacent.Remove(old);
    }
  }
  end = node;
  if (node && other) {
    node->m_links.Add(this);
    other->m_links.Add(this);
    if (node != other) {
      node->m_adjacent.Add(other);
      other->m_adjacent.Add(node);
    }
  }
}

void SSymAutoLayoutLink::SetSourceNode(SSymAutoLayoutNode* node) { SetEnd(m_pSource, m_pDest, node); }
void SSymAutoLayoutLink::SetDestNode(SSymAutoLayoutNode* node) { SetEnd(m_pDest, m_pSource, node); }

SSymAutoLayoutNode* SSymAutoLayoutLink::GetOtherNode(const SSymAutoLayoutNode* node) const {
  if (m_pSource == node) return m_pDest;
  if (m_pDest == node) return m_pSource;
  return nullptr;
}

// ---- nodes: the basics ---------------------------------------------------------------------------------

SSymAutoLayoutNode::SSymAutoLayoutNode(ISSymbol* symbol) : SSymAutoLayoutSymbol(symbol) {
  if (!symbol) throw SEConstructor("SSymAutoLayoutNode::SSymAutoLayoutNode(ISSymbol*)", __FILE__, __LINE__);
  m_nHierWidth = SymLayoutWidth(symbol->GetClipRect(0, 0));
}

SSymRect SSymAutoLayoutNode::GetClipRect() const {
  if (!m_pSymbol) return SSymRect();
  SSymRect r = SymLayoutAreaOf(m_pSymbol);
  r.OffsetRect(m_dx, m_dy);
  return r;
}

bool SSymAutoLayoutNode::IsDependantStyle() const {
  return m_nGraphStyle == GraphStyleEnd || m_nGraphStyle == GraphStyleHierarchy || m_nGraphStyle == GraphStyleLoop ||
         m_nGraphStyle == GraphStyleHierGraph;
}

int SSymAutoLayoutNode::ReplaceSymbol(ISSymbol* symbol) {
  if (!symbol || !m_pSymbol) return 0;
  SComWrap<ISSymClone> mine(m_pSymbol), theirs(symbol);
  if (mine.IsNull() || theirs.IsNull()) return 0;
  symbol->AddRef();
  m_pSymbol->Release();
  m_pSymbol = symbol;
  return 1;
}

namespace {
// The nodes reached along the links' direction (forward: from source to
// destination), self-links left out; with `recursive`, all the way.
void Follow(const SSymAutoLayoutNode* start, SSymAutoLayoutNodeSet& out, bool recursive, bool forward) {
  std::vector<const SSymAutoLayoutNode*> todo{start};
  while (!todo.empty()) {
    const SSymAutoLayoutNode* n = todo.back();
    todo.pop_back();
    for (SSymAutoLayoutLink* l : n->m_links) {
      SSymAutoLayoutNode* from = forward ? l->GetSourceNode() : l->GetDestNode();
      SSymAutoLayoutNode* to = forward ? l->GetDestNode() : l->GetSourceNode();
      if (from == n && to && to != n && out.Add(to) && recursive) todo.push_back(to);
    }
  }
}
}  // namespace

void SSymAutoLayoutNode::GetPredecessors(SSymAutoLayoutNodeSet& out, bool recursive) const {
  Follow(this, out, recursive, false);
}

void SSymAutoLayoutNode::GetSuccessors(SSymAutoLayoutNodeSet& out, bool recursive) const {
  Follow(this, out, recursive, true);
}

// ---- classification ---------------------------------------------------------------------------------------

void SSymAutoLayoutNode::BeginClassification(long nodes) { g_classifyBudget = 64 * nodes + 10000; }

void SSymAutoLayoutNode::ResetGraphStyle() {
  // Iterative: the reset spreads through every non-graph neighbour.
  std::vector<SSymAutoLayoutNode*> todo{this};
  while (!todo.empty()) {
    SSymAutoLayoutNode* n = todo.back();
    todo.pop_back();
    if (n->m_nGraphStyle == GraphStyleUnset || n->m_nVertDir != 0) continue;
    n->m_nGraphStyle = GraphStyleUnset;
    for (SSymAutoLayoutNode* a : n->m_adjacent) {
      if (a->m_nGraphStyle == GraphStyleGraph) {
        if (a->m_nVertDir == 0) a->m_nGraphStyle = GraphStyleUnset;
      } else {
        todo.push_back(a);
      }
    }
  }
}

void SSymAutoLayoutNode::RecomputeGraphStyle() {
  if (m_nVertDir != 0) return;
  ResetGraphStyle();
  ComputeGraphStyle();
}

void SSymAutoLayoutNode::ComputeGraphStyle() {
  if (m_nGraphStyle != GraphStyleUnset) return;
  DepthGuard depth;
  const int degree = GetDegree();
  if (degree == 0) {
    m_nGraphStyle = GraphStyleIsolated;
    return;
  }
  const bool explore = !depth.Deep() && --g_classifyBudget > 0;
  if (degree == 1) {
    m_nGraphStyle = GraphStyleEnd;
  } else {
    m_nGraphStyle = degree == 2 ? GraphStyleLink : GraphStyleGraph;
    if (!explore) return;
    for (SSymAutoLayoutNode* a : Copy(m_adjacent))
      if (a->m_nGraphStyle == GraphStyleUnset) a->ComputeGraphStyle();
    int ends = 0, hiers = 0, loops = 0, hierGraphs = 0, others = 0;
    for (SSymAutoLayoutNode* a : m_adjacent) {
      switch (a->m_nGraphStyle) {
        case GraphStyleEnd: ++ends; break;
        case GraphStyleHierarchy: ++hiers; break;
        case GraphStyleLoop: ++loops; break;
        case GraphStyleHierGraph: ++hierGraphs; break;
        default: ++others; break;
      }
      if (others > 2) break;
    }
    if (m_nGraphStyle == GraphStyleLink || m_nGraphStyle == GraphStyleGraph ||
        m_nGraphStyle == GraphStyleLinkedGraph) {
      if (degree == 2) {
        if (ends > 0)
          m_nGraphStyle = GraphStyleEnd;
        else if (hiers > 0)
          m_nGraphStyle = GraphStyleHierarchy;
        else if (loops > 0)
          m_nGraphStyle = GraphStyleLoop;
        else if (hierGraphs == 0)
          ChangeGraphStyleLinkToLoop();
        else
          m_nGraphStyle = GraphStyleHierGraph;
      } else {
        const int s = ends + loops + hiers;
        if (s >= degree - 1)
          m_nGraphStyle = GraphStyleHierarchy;
        else if (s + hierGraphs >= degree - 1 && hierGraphs <= 2)
          m_nGraphStyle = GraphStyleHierGraph;
        else if (others == 2 || m_nGraphStyle == GraphStyleGraph)
          ChangeGraphStyleGraphToHier();
      }
    }
  }
  // A resolved node lets its unresolved neighbours see it.
  if (explore && IsResolved(m_nGraphStyle))
    for (SSymAutoLayoutNode* a : Copy(m_adjacent))
      if (a->m_nVertDir == 0 && (a->m_nGraphStyle == GraphStyleUnset || IsLinkish(a->m_nGraphStyle) ||
                                 a->m_nGraphStyle == GraphStyleGraph))
        Reclassify(a);
}

SSymAutoLayoutNode* SSymAutoLayoutNode::GetEndOfLinkNode(SSymAutoLayoutNode* node, SSymAutoLayoutNode* stop) {
  struct Nest {
    Nest() { ++g_chainDepth; }
    ~Nest() { g_chainDepth = 0; }
  } nest;
  if (g_chainDepth > 100) return nullptr;
  if (!node || !stop) return nullptr;
  if (node->GetDegree() != 2 && node->m_nGraphStyle != GraphStyleLinkedGraph) return nullptr;
  if (node == stop) return stop;
  SSymAutoLayoutNode* next = nullptr;
  for (SSymAutoLayoutNode* a : node->m_adjacent) {
    if (a == this) continue;
    if (node->m_nGraphStyle == GraphStyleLinkedGraph && !IsLinkish(a->m_nGraphStyle) &&
        a->m_nGraphStyle != GraphStyleGraph)
      continue;
    next = a;
    break;
  }
  if (!next) return nullptr;
  switch (next->m_nGraphStyle) {
    case GraphStyleEnd: node->m_nGraphStyle = GraphStyleEnd; return nullptr;
    case GraphStyleLoop: node->m_nGraphStyle = GraphStyleLoop; return nullptr;
    case GraphStyleGraph: return next;
    case GraphStyleHierGraph:
      if (node->GetDegree() == 2) {
        node->m_nGraphStyle = GraphStyleHierGraph;
        return nullptr;
      }
      return next;
    case GraphStyleLink: {
      SSymAutoLayoutNode* end = node->GetEndOfLinkNode(next, stop);
      if (!end && !IsLinkish(next->m_nGraphStyle) && m_nGraphStyle == GraphStyleLink) {
        const int s = next->m_nGraphStyle;
        if ((s == GraphStyleHierGraph && next->GetDegree() == 2) || s == GraphStyleLoop || s == GraphStyleEnd)
          m_nGraphStyle = s;
      }
      return end;
    }
    case GraphStyleLinkedGraph: {
      SSymAutoLayoutNode* end = node->GetEndOfLinkNode(next, stop);
      if (!end && !IsLinkish(next->m_nGraphStyle) && m_nGraphStyle == GraphStyleLinkedGraph) {
        const int s = next->m_nGraphStyle;
        if ((s == GraphStyleHierGraph && next->GetDegree() == 2) || s == GraphStyleLoop)
          m_nGraphStyle = GraphStyleHierGraph;
        else if (s == GraphStyleHierarchy)
          m_nGraphStyle = GraphStyleHierarchy;
      }
      return end;
    }
    default: return nullptr;
  }
}

void SSymAutoLayoutNode::ChangeGraphStyleLinkToLoop() {
  if (m_nGraphStyle != GraphStyleLink || GetDegree() < 2) return;
  SSymAutoLayoutNode* a = m_adjacent.GetAt(0);
  SSymAutoLayoutNode* b = m_adjacent.GetAt(1);
  SSymAutoLayoutNode* endA = IsLinkish(a->m_nGraphStyle) ? GetEndOfLinkNode(a, this) : a;
  SSymAutoLayoutNode* endB = IsLinkish(b->m_nGraphStyle) ? GetEndOfLinkNode(b, this) : b;
  if (!endA || endA != endB) return;
  m_nGraphStyle = GraphStyleLoop;
  for (SSymAutoLayoutNode* n : {a, b})
    if (IsLinkish(n->m_nGraphStyle)) Reclassify(n);
}

int SSymAutoLayoutNode::CountGraphMembers(SSymAutoLayoutNodeSet& members) {
  int count = 0;
  for (SSymAutoLayoutNode* a : Copy(m_adjacent)) {
    if (a->m_nGraphStyle == GraphStyleGraph) {
      members.Add(a);
      ++count;
    } else if (IsLinkish(a->m_nGraphStyle)) {
      if (SSymAutoLayoutNode* end = GetEndOfLinkNode(a, this)) {
        if (end != this) members.Add(end);
        ++count;
      }
    }
  }
  return count;
}

void SSymAutoLayoutNode::ChangeGraphStyleGraphToHier() {
  if (m_nGraphStyle != GraphStyleGraph || m_nVertDir != 0) return;
  if (g_classifyDepth > kMaxClassifyDepth || --g_classifyBudget <= 0) return;
  DepthGuard depth;
  SSymAutoLayoutNodeSet members;
  const int count = CountGraphMembers(members);
  if (members.GetCount() < 2) {
    m_nGraphStyle = count < 2 ? GraphStyleHierarchy : GraphStyleHierGraph;
    for (SSymAutoLayoutNode* a : Copy(m_adjacent))
      if (a->m_nVertDir == 0 && (IsLinkish(a->m_nGraphStyle) || a->m_nGraphStyle == GraphStyleGraph)) Reclassify(a);
    if (members.GetCount() == 1) members.GetAt(0)->ChangeGraphStyleGraphToHier();
  } else if (members.GetCount() == 2) {
    m_nGraphStyle = GraphStyleLinkedGraph;
    for (SSymAutoLayoutNode* a : Copy(m_adjacent)) {
      if (a->m_nVertDir != 0) continue;
      if (a->m_nGraphStyle == GraphStyleLink || a->m_nGraphStyle == GraphStyleGraph) {
        Reclassify(a);
      } else if (a->m_nGraphStyle == GraphStyleLinkedGraph) {
        SSymAutoLayoutNodeSet theirs;
        a->CountGraphMembers(theirs);
        if (theirs.GetCount() < 2) Reclassify(a);
      }
    }
    SSymAutoLayoutNode* first = members.GetAt(0);
    SSymAutoLayoutNode* second = members.GetAt(1);
    first->ChangeGraphStyleGraphToHier();
    second->ChangeGraphStyleGraphToHier();
    if ((first->m_nGraphStyle != GraphStyleGraph || second->m_nGraphStyle != GraphStyleGraph) &&
        m_nGraphStyle == GraphStyleLinkedGraph)
      m_nGraphStyle = GraphStyleHierGraph;
  }
}

SSymAutoLayoutNode* SSymAutoLayoutNode::GetNextLinkNode(SSymAutoLayoutNode* node) {
  if (!node) return nullptr;
  if (node->GetDegree() != 2 && node->m_nGraphStyle != GraphStyleHierGraph) return nullptr;
  for (SSymAutoLayoutNode* a : node->m_adjacent) {
    if (a == this) continue;
    if (node->m_nGraphStyle == GraphStyleHierGraph && (a->m_nGraphStyle != GraphStyleHierGraph || a->m_bPlaced))
      continue;
    return a;
  }
  return nullptr;
}

void SSymAutoLayoutNode::ComputeAdjGraphNodes() {
  if (m_nGraphStyle != GraphStyleGraph) return;
  for (SSymAutoLayoutNode* a : m_adjacent)
    if (a->m_nGraphStyle == GraphStyleGraph && !m_graphNeighbours.count(a)) m_graphNeighbours[a] = a;
  for (SSymAutoLayoutNode* a : Copy(m_adjacent))
    if (IsLinkish(a->m_nGraphStyle))
      if (SSymAutoLayoutNode* end = GetEndOfLinkNode(a, this); end && end != this) m_graphNeighbours[a] = end;
}

int SSymAutoLayoutNode::CountGraphNeighbours() const {
  SSymAutoLayoutNodeSet distinct;
  for (const auto& [key, value] : m_graphNeighbours)
    if (value && value->m_nGraphStyle == GraphStyleGraph) distinct.Add(value);
  return distinct.GetCount();
}

bool SSymAutoLayoutNode::HasHierarchy() const {
  if (m_nGraphStyle != GraphStyleGraph) return false;
  for (SSymAutoLayoutNode* a : m_adjacent)
    if (a != this && a->IsDependantStyle()) return true;
  return false;
}

// ---- structures -----------------------------------------------------------------------------------------

void SSymAutoLayoutNode::SetStruct(SSymAutoLayoutStruct* structure) {
  // Iterative, so that a long chain cannot exhaust the stack.
  std::vector<SSymAutoLayoutNode*> todo{this};
  while (!todo.empty()) {
    SSymAutoLayoutNode* n = todo.back();
    todo.pop_back();
    if (n->m_pStruct == structure) continue;
    if (n->m_pStruct) n->m_pStruct->m_pending.Remove(n);
    n->m_pStruct = structure;
    if (structure) structure->m_pending.Add(n);
    for (SSymAutoLayoutNode* a : n->m_adjacent) todo.push_back(a);
  }
}

void SSymAutoLayoutNode::AssignStruct(SSymAutoLayoutStruct* isolated, SSymAutoLayoutStruct* connected) {
  if (m_pStruct) return;
  if (GetDegree() > 0) {
    if (connected) SetStruct(connected);
  } else if (isolated) {
    m_pStruct = isolated;
    isolated->m_pending.Add(this);
  }
}

SSymAutoLayoutStruct::SSymAutoLayoutStruct(SSymAutoLayoutSynonyms* synonyms) : m_pSynonyms(synonyms) {}

void SSymAutoLayoutStruct::AddCreatedSymbol(ISSymbol* symbol) {
  if (!symbol || !m_pSynonyms) return;
  for (int i = 0; i < m_pSynonyms->m_created.GetCount(); ++i)
    if (m_pSynonyms->m_created.GetAt(i) == symbol) return;
  m_pSynonyms->m_created.Add(symbol);
}

int SSymAutoLayoutStruct::DetectGraphType() {
  if (m_pending.IsEmpty()) return 0;
  SSymAutoLayoutNode::BeginClassification(m_pending.GetCount());
  for (SSymAutoLayoutNode* n : m_pending) {
    n->ResetGraphStyle();
    n->m_graphNeighbours.clear();
  }
  for (SSymAutoLayoutNode* n : m_pending) n->ComputeGraphStyle();
  for (SSymAutoLayoutNode* n : m_pending) n->ComputeAdjGraphNodes();
  return 1;
}

namespace {
// The order of start nodes: the higher style, then more distinct graph
// neighbours, more graph-neighbour entries, a higher degree.
struct NodeKey {
  int style, neighbours, entries, degree;
  auto operator<=>(const NodeKey&) const = default;
};
NodeKey KeyOf(const SSymAutoLayoutNode* n) {
  return {n->m_nGraphStyle, n->CountGraphNeighbours(), static_cast<int>(n->m_graphNeighbours.size()),
          n->GetDegree()};
}
}  // namespace

SSymAutoLayoutNode* SSymAutoLayoutStruct::GetBestMovableNode(int unmarkedOnly) {
  if (m_pForcedNext) return m_pForcedNext;
  SSymAutoLayoutNode* best = nullptr;
  NodeKey bestKey{};
  for (SSymAutoLayoutNode* n : m_pending) {
    if (n->m_bPlaced || (unmarkedOnly && n->m_nVertDir != 0)) continue;
    const NodeKey key = KeyOf(n);
    if (!best || key > bestKey) {
      best = n;
      bestKey = key;
    }
  }
  return best;
}

bool SSymAutoLayoutStruct::ShouldIsolateComplexGraphs(SSymAutoLayoutNode* node) const {
  return node && node->m_nGraphStyle == GraphStyleGraph && node->CountGraphNeighbours() >= 6;
}

int SSymAutoLayoutStruct::GetOrientedInitiatorNodes(SSymAutoLayoutNodeSet& out) const {
  for (SSymAutoLayoutNode* n : m_pending) {
    SSymAutoLayoutNodeSet pred;
    n->GetPredecessors(pred, false);
    if (pred.IsEmpty()) out.Add(n);
  }
  return out.GetCount();
}

// The part of the structure reached from `start` without crossing a node
// that has a grid place.
std::vector<SSymAutoLayoutNode*> SSymAutoLayoutStruct::CollectPart(SSymAutoLayoutNode* start,
                                                                   SSymAutoLayoutNodeSet& seen) {
  std::vector<SSymAutoLayoutNode*> part, todo{start};
  seen.Add(start);
  while (!todo.empty()) {
    SSymAutoLayoutNode* n = todo.back();
    todo.pop_back();
    part.push_back(n);
    for (SSymAutoLayoutNode* b : n->m_adjacent)
      if (b->m_pStruct == this && b->m_nVertDir == 0 && seen.Add(b)) todo.push_back(b);
  }
  return part;
}

SSymAutoLayoutStruct* SSymAutoLayoutStruct::SplitOff(const std::vector<SSymAutoLayoutNode*>& part,
                                                      std::vector<SSymAutoLayoutStruct*>& added) {
  auto* split = new SSymAutoLayoutStruct(m_pSynonyms);
  added.push_back(split);
  for (SSymAutoLayoutNode* n : part) {
    m_pending.Remove(n);
    n->m_pStruct = split;
    split->m_pending.Add(n);
  }
  return split;
}

int SSymAutoLayoutStruct::SimplifyComplexGraphs(SSymAutoLayoutSymbolMap& map, std::vector<SSymAutoLayoutStruct*>& added) {
  if (m_pending.IsEmpty()) return 0;
  m_pForcedNext = nullptr;
  SSymAutoLayoutNode* start = GetBestMovableNode(1);
  if (!start || start->m_nGraphStyle != GraphStyleGraph) return 0;
  start->m_nVertDir = -1;
  start->m_nHorzDir = 0;
  start->m_pLeft = start->m_pRight = start->m_pUp = nullptr;
  BuildGraphGrid(start, map);
  // A part of the graph the grid did not reach, and that still holds a graph
  // node, becomes a structure of its own; chains and trees that hang on the
  // grid stay and are placed with it.
  std::vector<SSymAutoLayoutNode*> order(m_pending.begin(), m_pending.end());
  SSymAutoLayoutNodeSet seen;
  for (SSymAutoLayoutNode* n : order) {
    if (n->m_nVertDir != 0 || n->m_pStruct != this || seen.Contains(n)) continue;
    std::vector<SSymAutoLayoutNode*> part = CollectPart(n, seen);
    bool graph = false;
    for (SSymAutoLayoutNode* p : part) graph = graph || p->m_nGraphStyle == GraphStyleGraph;
    if (graph) SplitOff(part, added);
  }
  m_pForcedNext = nullptr;
  return 1;
}

int SSymAutoLayoutStruct::IsolateComplexGraph(SSymAutoLayoutNode* node, std::vector<SSymAutoLayoutStruct*>& added) {
  if (!node || node->m_pStruct != this) return 0;
  // The node starts a grid of its own; every part it joins, other than its
  // own leaves, becomes a structure.
  node->m_nVertDir = -1;
  node->m_nHorzDir = 0;
  std::vector<SSymAutoLayoutNode*> order(m_pending.begin(), m_pending.end());
  SSymAutoLayoutNodeSet seen;
  for (SSymAutoLayoutNode* n : order) {
    if (n == node || n->m_nVertDir != 0 || seen.Contains(n)) continue;
    std::vector<SSymAutoLayoutNode*> part = CollectPart(n, seen);
    if (part.size() == 1 && part[0]->GetDegree() <= 1) continue;
    SplitOff(part, added);
  }
  return 1;
}

// ---- the rectangle and its shift ---------------------------------------------------------------------------

void SSymAutoLayoutStruct::ComputeClipRect() {
  if (m_rect.x1 || m_rect.y1 || m_rect.x2 || m_rect.y2) return;
  bool first = true;
  for (SSymAutoLayoutNode* n : m_placed) {
    SSymRect r = n->GetClipRect();
    if (first) {
      m_rect = r;
      m_rect.Normalize();
      first = false;
      continue;
    }
    m_rect = SSymRect(std::min(m_rect.GetMinX(), r.GetMinX()), std::max(m_rect.GetMaxY(), r.GetMaxY()),
                      std::max(m_rect.GetMaxX(), r.GetMaxX()), std::min(m_rect.GetMinY(), r.GetMinY()));
  }
}

void SSymAutoLayoutStruct::MoveStruct(LONG dx, LONG dy) {
  const bool point = m_rect.x1 == m_rect.x2 && m_rect.y1 == m_rect.y2;
  if (!point) {
    // In 64 bits: a shift and an edge near the limits must not wrap.
    const long long right = m_rect.GetMaxX(), left = m_rect.GetMinX(), top = m_rect.GetMaxY(),
                    bottom = m_rect.GetMinY();
    if (dx > 0 && right + dx > kSymLayoutEdge) dx = static_cast<LONG>(kSymLayoutEdge - right);
    if (dx <= 0 && left + dx < -kSymLayoutEdge) dx = static_cast<LONG>(-kSymLayoutEdge - left);
    if (dy > 0 && top + dy > kSymLayoutEdge) dy = static_cast<LONG>(kSymLayoutEdge - top);
    if (dy <= 0 && bottom + dy < -kSymLayoutEdge) dy = static_cast<LONG>(-kSymLayoutEdge - bottom);
  }
  for (SSymAutoLayoutNode* n : m_placed) {
    n->Shift(dx, dy);
  }
  m_rect.OffsetRect(dx, dy);
  m_bMoved = 1;
}
