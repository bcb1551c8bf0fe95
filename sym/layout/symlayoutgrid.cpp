// The grid of graph nodes: every graph node may have a left and a right
// neighbour in its row, an up neighbour and the two diagonal places above.
// A graph neighbour that cannot stand next to its node is shown a second
// time, as a synonym: a clone of its symbol placed next to that node, which
// takes over the links between the two.
#include <algorithm>

#include "kvcore/scomwrap.h"
#include "kvrep/srepobject.h"
#include "sym/layout/symlayoutgraph.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintfowner.h"

// ---- grid neighbours ---------------------------------------------------------------------------------

SSymAutoLayoutNode* SSymAutoLayoutNode::GetLeftDiagNode() const {
  if (m_pLeft && m_pLeft->m_pUp) return m_pLeft->m_pUp;
  if (m_pUp && m_pUp->m_pLeft) return m_pUp->m_pLeft;
  return nullptr;
}

SSymAutoLayoutNode* SSymAutoLayoutNode::GetRightDiagNode() const {
  if (m_pRight && m_pRight->m_pUp) return m_pRight->m_pUp;
  if (m_pUp && m_pUp->m_pRight) return m_pUp->m_pRight;
  return nullptr;
}

void SSymAutoLayoutNode::SetLeftNode(SSymAutoLayoutNode* n) {
  if (!n || n == m_pLeft) return;
  m_pLeft = n;
  n->SetRightNode(this);
}

void SSymAutoLayoutNode::SetRightNode(SSymAutoLayoutNode* n) {
  if (!n || n == m_pRight) return;
  m_pRight = n;
  n->SetLeftNode(this);
}

void SSymAutoLayoutNode::SetUpNode(SSymAutoLayoutNode* n) {
  if (!n || n == m_pUp) return;
  m_pUp = n;
  if (m_pLeft && m_pLeft->m_pUp) m_pLeft->m_pUp->SetRightNode(n);
  if (m_pRight && m_pRight->m_pUp) m_pRight->m_pUp->SetLeftNode(n);
}

bool SSymAutoLayoutNode::FindGraphNeighbour(SSymAutoLayoutNode* node, int* direct) const {
  bool found = false;
  if (direct) *direct = 1;
  for (const auto& [key, value] : m_graphNeighbours) {
    if (value != node) continue;
    found = true;
    if (key != node) {
      if (direct) *direct = 0;
      break;
    }
  }
  if (!found && direct) *direct = 0;
  return found;
}

void SSymAutoLayoutNode::DetachGraphNeighbours() {
  std::vector<SSymAutoLayoutNode*> todo{this};
  SSymAutoLayoutNodeSet done;
  while (!todo.empty()) {
    SSymAutoLayoutNode* n = todo.back();
    todo.pop_back();
    if (!done.Add(n)) continue;
    if (n->m_nVertDir != 0) n->m_nGraphStyle = GraphStyleGraph;
    if (n->m_nGraphStyle == GraphStyleGraph) {
      for (auto it = n->m_graphNeighbours.begin(); it != n->m_graphNeighbours.end();) {
        SSymAutoLayoutNode* v = it->second;
        if (v && v->m_nGraphStyle != GraphStyleGraph && v->m_nVertDir == 0) {
          todo.push_back(v);
          it = n->m_graphNeighbours.erase(it);
        } else {
          ++it;
        }
      }
      continue;
    }
    std::vector<SSymAutoLayoutNode*> former;
    for (const auto& [key, value] : n->m_graphNeighbours)
      if (value && std::find(former.begin(), former.end(), value) == former.end()) former.push_back(value);
    n->m_graphNeighbours.clear();
    for (SSymAutoLayoutNode* f : former) {
      for (auto it = f->m_graphNeighbours.begin(); it != f->m_graphNeighbours.end();)
        it = it->second == n ? f->m_graphNeighbours.erase(it) : std::next(it);
      if (n->m_nGraphStyle == GraphStyleLink || n->m_nGraphStyle == GraphStyleLinkedGraph) f->ComputeAdjGraphNodes();
    }
  }
}

// ---- synonyms ---------------------------------------------------------------------------------------------

int SSymAutoLayoutNode::MoveLinksTo(SSymAutoLayoutNode* newNode, SSymAutoLayoutNode* other) {
  if (!newNode || !m_pSymbol || !newNode->GetSymbol()) return 0;
  SComWrap<ISSymLinkable> mine(m_pSymbol), theirs(newNode->GetSymbol());
  if (mine.IsNull() || theirs.IsNull()) return 0;
  SSymAutoLayoutSynonyms* synonyms = m_pStruct ? m_pStruct->m_pSynonyms : nullptr;
  int moved = 0;
  const std::vector<SSymAutoLayoutLink*> links(m_links.begin(), m_links.end());
  for (SSymAutoLayoutLink* l : links) {
    SComWrap<ISSymLink> link(l->GetSymbol());
    if (link.IsNull() || l->GetOtherNode(this) != other || other == this) continue;
    int match = -1, matches = 0;
    for (int end = 0; end < 2; ++end) {
      SComOut<ISSymbol> at;
      if (SUCCEEDED(link->GetAttachSym(end, &at)) && at && SRepAreSameObjects(at.Get(), m_pSymbol)) {
        match = end;
        ++matches;
      }
    }
    if (matches != 1) continue;
    SSymPoint before;
    link->GetAttachPoint(before, match);
    const SSymRect r = newNode->GetSymbol()->GetClipRect(0, 1);
    if (FAILED(link->AttachSym(match, theirs.Get(), r.GetCenter()))) continue;
    if (synonyms) synonyms->m_movedEnds.push_back({link, match, mine, before});
    if (l->GetSourceNode() == this)
      l->SetSourceNode(newNode);
    else
      l->SetDestNode(newNode);
    moved = 1;
  }
  return moved;
}

SSymAutoLayoutNode* SSymAutoLayoutNode::CreateSynonym(SSymAutoLayoutNode* x, SSymAutoLayoutSymbolMap& map,
                                                      int* created, int recompute) {
  if (created) *created = 0;
  if (!x || !x->GetSymbol() || !m_pSymbol) return nullptr;
  SSymAutoLayoutSynonyms* synonyms = x->m_pStruct ? x->m_pStruct->m_pSynonyms : nullptr;
  // Synonyms are decided once for the whole run, before any is made.
  if (!synonyms || !synonyms->m_bAllowed) return nullptr;
  SComWrap<ISSymClone> clonable(x->GetSymbol());
  SComOut<ISSymDiagram> diagram;
  if (!clonable.IsNull() && SUCCEEDED(m_pSymbol->GetDiagram(&diagram)) && diagram) {
    SComOut<ISSymbol> clone;
    if (FAILED(x->GetSymbol()->Clone(&clone, 0)) || !clone) return nullptr;
    if (FAILED(diagram->Add(clone.Get()))) return nullptr;
    // Recorded at once, so that a failure below still takes it away.
    synonyms->m_created.Add(clone.Get());
    auto owned = std::make_unique<SSymAutoLayoutNode>(clone.Get());
    SSymAutoLayoutNode* node = owned.get();
    map[clone.Get()] = std::move(owned);
    node->m_pStruct = x->m_pStruct;
    x->m_pStruct->m_pending.Add(node);
    // The links through which x reaches this node go to the synonym.
    std::vector<SSymAutoLayoutNode*> via;
    for (SSymAutoLayoutNode* a : x->m_adjacent) {
      auto it = x->m_graphNeighbours.find(a);
      if (a == this || (it != x->m_graphNeighbours.end() && it->second == this)) via.push_back(a);
    }
    for (SSymAutoLayoutNode* a : via) x->MoveLinksTo(node, a);
    if (recompute) {
      for (SSymAutoLayoutNode* a : std::vector<SSymAutoLayoutNode*>(node->m_adjacent.begin(), node->m_adjacent.end()))
        a->RecomputeGraphStyle();
    }
    node->m_nGraphStyle = GraphStyleUnset;
    node->ComputeGraphStyle();
    x->RecomputeGraphStyle();
    x->DetachGraphNeighbours();
    return node;
  }
  if (created) {
    // x cannot be shown twice: show this node again next to x instead.
    SSymAutoLayoutNode* node = x->CreateSynonym(this, map, nullptr, recompute);
    if (node) *created = 1;
    return node;
  }
  return nullptr;
}

void SSymAutoLayoutSynonyms::Undo() {
  // Links first: a synonym deleted while a link still ends on it would take
  // the link with it.
  for (auto it = m_movedEnds.rbegin(); it != m_movedEnds.rend(); ++it)
    it->link->AttachSym(it->end, it->original.Get(), it->point);
  m_movedEnds.clear();
  for (int i = 0; i < m_created.GetCount(); ++i)
    if (ISSymbol* s = m_created.GetAt(i)) {
      SComWrap<ISRepObject, &IID_ISRepObject> object(s);
      if (!object.IsNull()) object->Delete();
    }
  m_created.RemoveAll();
}

// ---- building the grid ----------------------------------------------------------------------------------

SSymAutoLayoutNode* SSymAutoLayoutNode::GetBestAdjacentNode(const SSymAutoLayoutNodeSet& required, int lastPlace,
                                                            SSymAutoLayoutSymbolMap& map) {
  SSymAutoLayoutNodeSet candidates;
  for (const auto& [key, value] : m_graphNeighbours)
    if (value && value != this && value->m_nVertDir == 0 && value->m_pStruct == m_pStruct) candidates.Add(value);
  const int room = std::max(0, 4 - required.GetCount());
  struct Score {
    int shared = 0, marked = 0, a = 0, b = 0;
  };
  auto score = [&](SSymAutoLayoutNode* c) {
    Score s;
    SSymAutoLayoutNodeSet distinct;
    for (const auto& [key, value] : c->m_graphNeighbours)
      if (value && value != this && value != c) distinct.Add(value);
    for (SSymAutoLayoutNode* v : distinct) {
      if (required.Contains(v))
        ++s.shared;
      else if (v->m_nVertDir != 0)
        ++s.marked;
      else if (candidates.Contains(v))
        ++s.a;
      else
        ++s.b;
    }
    return s;
  };
  SSymAutoLayoutNode* best = nullptr;
  Score bestScore;
  bool first = true;
  for (SSymAutoLayoutNode* c : candidates) {
    const Score s = score(c);
    bool better = first;
    if (!first) {
      if (s.shared != bestScore.shared)
        better = s.shared > bestScore.shared;
      else if (s.marked != bestScore.marked)
        better = s.marked < bestScore.marked;
      else if (s.a != bestScore.a)
        better = s.a > bestScore.a;
      else
        better = s.b >= bestScore.b;
    }
    first = false;
    if (!better) continue;
    if (lastPlace || (s.marked == 0 && s.a + s.b <= room)) {
      best = c;
      bestScore = s;
    }
  }
  if (best && lastPlace) {
    const int surplus = bestScore.marked + std::max(0, bestScore.a + bestScore.b - room);
    if (surplus > 0) {
      int removeA = bestScore.a - room, removeAB = bestScore.a + bestScore.b - room;
      std::vector<SSymAutoLayoutNode*> split;
      SSymAutoLayoutNodeSet distinct;
      for (const auto& [key, value] : best->m_graphNeighbours)
        if (value && value != this && value != best && !required.Contains(value)) distinct.Add(value);
      for (SSymAutoLayoutNode* v : distinct) {
        if (v->m_nVertDir != 0) {
          split.push_back(v);
        } else if (candidates.Contains(v)) {
          if (removeA-- > 0) split.push_back(v);
        } else if (removeAB-- > 0) {
          split.push_back(v);
        }
      }
      const int vert = best->m_nVertDir, horz = best->m_nHorzDir;
      best->m_nVertDir = -1;
      best->m_nHorzDir = 0;
      for (SSymAutoLayoutNode* v : split) best->CreateSynonym(v, map, nullptr, 1);
      best->m_nVertDir = vert;
      best->m_nHorzDir = horz;
    }
  }
  return best;
}

void SSymAutoLayoutStruct::BuildGraphGrid(SSymAutoLayoutNode* node, SSymAutoLayoutSymbolMap& map) {
  // Rows are followed with a stack rather than recursion: a row can be long.
  std::vector<SSymAutoLayoutNode*> todo{node};
  SSymAutoLayoutNodeSet done;
  while (!todo.empty()) {
    SSymAutoLayoutNode* n = todo.back();
    todo.pop_back();
    if (!n || !done.Add(n)) continue;
    std::vector<SSymAutoLayoutNode*> next;
    FillGridPlaces(n, map, next);
    // The right neighbour's row first, then the left one's.
    for (auto it = next.rbegin(); it != next.rend(); ++it) todo.push_back(*it);
  }
}

void SSymAutoLayoutStruct::FillGridPlaces(SSymAutoLayoutNode* node, SSymAutoLayoutSymbolMap& map,
                                          std::vector<SSymAutoLayoutNode*>& next) {
  auto give = [](SSymAutoLayoutNode* n, int vert, int horz) {
    n->m_nVertDir = vert;
    n->m_nHorzDir = horz;
    n->m_pLeft = n->m_pRight = n->m_pUp = nullptr;
  };
  SSymAutoLayoutNode* foundRight = nullptr;
  SSymAutoLayoutNode* foundLeft = nullptr;
  for (int pass = 0; pass < 2; ++pass) {
    const int last = pass == 1;
    SSymAutoLayoutNode* up = node->GetUpNode();
    SSymAutoLayoutNode* left = node->GetLeftNode();
    SSymAutoLayoutNode* right = node->GetRightNode();
    SSymAutoLayoutNode* upLeft = node->GetLeftDiagNode();
    SSymAutoLayoutNode* upRight = node->GetRightDiagNode();
    const int free = 5 - !!up - !!left - !!right - !!upLeft - !!upRight;
    if (free == 0) break;
    if (!up) {
      SSymAutoLayoutNodeSet req;
      if (right) {
        req.Add(right);
        if (SSymAutoLayoutNode* d = upRight ? upRight : right->GetRightDiagNode()) req.Add(d);
      } else if (left) {
        req.Add(left);
        if (SSymAutoLayoutNode* d = upLeft ? upLeft : left->GetLeftDiagNode()) req.Add(d);
      }
      SSymAutoLayoutNode* c = node->GetBestAdjacentNode(req, last, map);
      if (!c && (upRight || upLeft)) {
        SSymAutoLayoutNode* diag = upRight ? upRight : upLeft;
        SSymAutoLayoutNodeSet req2;
        req2.Add(node);
        if (right) req2.Add(right);
        if (left) req2.Add(left);
        if (upLeft && upLeft != diag) req2.Add(upLeft);
        c = diag->GetBestAdjacentNode(req2, 1, map);
      }
      if (c) {
        give(c, 1, node->m_nHorzDir);
        node->SetUpNode(c);
        if (upLeft) upLeft->SetRightNode(c);
        if (upRight) upRight->SetLeftNode(c);
        up = c;
      }
    }
    if (!right) {
      SSymAutoLayoutNodeSet req;
      if (up)
        req.Add(up);
      else if (upLeft)
        req.Add(upLeft);
      SSymAutoLayoutNode* c = node->GetBestAdjacentNode(req, last, map);
      if (!c && up) {
        SSymAutoLayoutNodeSet req2;
        req2.Add(node);
        if (upRight) req2.Add(upRight);
        c = up->GetBestAdjacentNode(req2, last, map);
      }
      if (c) {
        give(c, -1, node->m_nHorzDir + 1);
        node->SetRightNode(c);
        right = foundRight = c;
      }
    }
    if (!left) {
      SSymAutoLayoutNodeSet req;
      if (up)
        req.Add(up);
      else if (upRight)
        req.Add(upRight);
      SSymAutoLayoutNode* c = node->GetBestAdjacentNode(req, last, map);
      if (!c && up) {
        SSymAutoLayoutNodeSet req2;
        req2.Add(node);
        if (upLeft) req2.Add(upLeft);
        c = up->GetBestAdjacentNode(req2, last, map);
      }
      if (c) {
        give(c, -1, node->m_nHorzDir - 1);
        node->SetLeftNode(c);
        left = foundLeft = c;
      }
    }
    upRight = node->GetRightDiagNode();
    if (!upRight && right) {
      SSymAutoLayoutNodeSet req;
      if (up) req.Add(up);
      req.Add(right);
      if (SSymAutoLayoutNode* c = node->GetBestAdjacentNode(req, last, map)) {
        give(c, 1, node->m_nHorzDir + 1);
        right->SetUpNode(c);
        if (up) up->SetRightNode(c);
      }
    }
    upLeft = node->GetLeftDiagNode();
    if (!upLeft && left) {
      SSymAutoLayoutNodeSet req;
      if (up) req.Add(up);
      req.Add(left);
      if (SSymAutoLayoutNode* c = node->GetBestAdjacentNode(req, last, map)) {
        give(c, 1, node->m_nHorzDir - 1);
        left->SetUpNode(c);
        if (up) up->SetLeftNode(c);
      }
    }
    const int stillFree = 5 - !!node->GetUpNode() - !!node->GetLeftNode() - !!node->GetRightNode() -
                          !!node->GetLeftDiagNode() - !!node->GetRightDiagNode();
    if (stillFree == 0) break;
  }
  // The graph neighbours that cannot stay attached to the node.
  SSymAutoLayoutNode* up = node->GetUpNode();
  SSymAutoLayoutNode* left = node->GetLeftNode();
  SSymAutoLayoutNode* right = node->GetRightNode();
  SSymAutoLayoutNode* upLeft = node->GetLeftDiagNode();
  SSymAutoLayoutNode* upRight = node->GetRightDiagNode();
  SSymAutoLayoutNodeSet away;
  for (const auto& [key, value] : node->m_graphNeighbours) {
    if (!value || value == node) continue;
    if (value->m_nVertDir == 0 ||
        (value != up && value != left && value != right && value != upLeft && value != upRight))
      away.Add(value);
  }
  int d1 = 0, d2 = 0;
  if (upRight && up && right && node->FindGraphNeighbour(upRight, &d1) && up->FindGraphNeighbour(right, &d2) &&
      !(d1 && d2))
    away.Add(upRight);
  if (upLeft && up && left && node->FindGraphNeighbour(upLeft, &d1) && up->FindGraphNeighbour(left, &d2) &&
      !(d1 && d2))
    away.Add(upLeft);
  // Only a neighbour already standing in the grid elsewhere is shown again
  // here; one without a place is still laid out from its own chain.
  for (SSymAutoLayoutNode* x : away)
    if (x->m_nGraphStyle == GraphStyleGraph && x->m_nVertDir != 0) node->CreateSynonym(x, map, nullptr, 1);
  if (foundRight) next.push_back(foundRight);
  if (foundLeft) next.push_back(foundLeft);
}
