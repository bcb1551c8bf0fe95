// The layout graph of one run of the library's own layout: a node per laid-out
// symbol, a link record per link symbol between two nodes, and structures
// (groups of connected nodes) laid out one by one.
//
// Placement only records an offset in each node; the symbols are moved at
// the end (MoveSymbols). Every set of nodes or links is ordered by the
// element's identity, a number given in order of creation, so that a run
// over the same diagram always makes the same choices; ties go to the
// element met first.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "kvcore/scomds.h"
#include "kvcore/sobject.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfsymbol.h"

class SSymAutoLayoutNode;
class SSymAutoLayoutLink;
class SSymAutoLayoutStruct;
struct ISRepContext;

// The spacings of the current run, in diagram units: the vertical spacing V
// (between rows and levels; also the gap between a laid-out part and the rest
// of the diagram), the link spacing L (between chains side by side) and the
// horizontal spacing H (between the nodes of a row; also the gap between
// packed structures).
struct SSymAutoLayoutSpacing {
  static LONG s_nVert;
  static LONG s_nLink;
  static LONG s_nHorz;
};

// The drawing area: no layout puts a symbol's centre or a structure's edge
// past these coordinates.
constexpr LONG kSymLayoutEdge = 900000;

// A value of the layout's 64-bit or floating sums brought back into what a
// LONG holds: extreme rectangles saturate instead of wrapping.
inline LONG SymLayoutFit(long long v) {
  return static_cast<LONG>(std::clamp<long long>(v, -0x7fffffffLL, 0x7fffffffLL));
}
inline LONG SymLayoutFit(double v) {
  return v != v ? 0 : static_cast<LONG>(std::clamp(v, -2147483647.0, 2147483647.0));
}

// Inclusive sizes of a rectangle, the measure of every layout step.
inline LONG SymLayoutWidth(const SSymRect& r) {
  return SymLayoutFit(std::llabs(static_cast<long long>(r.x2) - r.x1) + 1);
}
inline LONG SymLayoutHeight(const SSymRect& r) {
  return SymLayoutFit(std::llabs(static_cast<long long>(r.y1) - r.y2) + 1);
}

// The area a symbol takes up (a tree's node with everything below it), and
// its move (a tree moves with everything below it; false when a move failed).
SSymRect SymLayoutAreaOf(ISSymbol* symbol);
bool SymLayoutMoveWhole(ISSymbol* symbol, const SSymSize& offset);

// The common base of nodes and links: the symbol (counted) and the placed flag.
class SSymAutoLayoutSymbol : public SObject {
 public:
  explicit SSymAutoLayoutSymbol(ISSymbol* symbol);
  ~SSymAutoLayoutSymbol() override;
  SSymAutoLayoutSymbol(const SSymAutoLayoutSymbol&) = delete;
  SSymAutoLayoutSymbol& operator=(const SSymAutoLayoutSymbol&) = delete;

  virtual bool IsNode() const = 0;
  ISSymbol* GetSymbol() const { return m_pSymbol; }
  // The identity that orders the sets of the graph.
  unsigned long GetId() const { return m_nId; }

  int m_bPlaced = 0;

 protected:
  ISSymbol* m_pSymbol = nullptr;
  unsigned long m_nId;
};

// A set of graph elements without duplicates, ordered by identity.
template <class T>
class SSymAutoLayoutSet {
 public:
  bool Add(T* t) {
    auto it = Find(t);
    if (it != m_v.end() && *it == t) return false;
    m_v.insert(it, t);
    return true;
  }
  bool Remove(T* t) {
    auto it = Find(t);
    if (it == m_v.end() || *it != t) return false;
    m_v.erase(it);
    return true;
  }
  bool Contains(T* t) const {
    auto it = std::lower_bound(m_v.begin(), m_v.end(), t, Less);
    return it != m_v.end() && *it == t;
  }
  int GetCount() const { return static_cast<int>(m_v.size()); }
  bool IsEmpty() const { return m_v.empty(); }
  T* GetAt(int i) const { return m_v[static_cast<std::size_t>(i)]; }
  void Clear() { m_v.clear(); }
  typename std::vector<T*>::const_iterator begin() const { return m_v.begin(); }
  typename std::vector<T*>::const_iterator end() const { return m_v.end(); }

 private:
  static bool Less(const T* a, const T* b) { return a->GetId() < b->GetId(); }
  typename std::vector<T*>::iterator Find(T* t) { return std::lower_bound(m_v.begin(), m_v.end(), t, Less); }
  std::vector<T*> m_v;
};

using SSymAutoLayoutNodeSet = SSymAutoLayoutSet<SSymAutoLayoutNode>;
using SSymAutoLayoutLinkSet = SSymAutoLayoutSet<SSymAutoLayoutLink>;

// The run's map from symbol to its node or link; it owns them.
using SSymAutoLayoutSymbolMap = std::map<ISSymbol*, std::unique_ptr<SSymAutoLayoutSymbol>>;

// One link symbol between two nodes.
class SSymAutoLayoutLink : public SSymAutoLayoutSymbol {
 public:
  explicit SSymAutoLayoutLink(ISSymbol* link);
  bool IsNode() const override { return false; }

  // Join the link to an end node. A pair of nodes stays adjacent while any
  // link still joins them.
  void SetSourceNode(SSymAutoLayoutNode* node);
  void SetDestNode(SSymAutoLayoutNode* node);
  SSymAutoLayoutNode* GetSourceNode() const { return m_pSource; }
  SSymAutoLayoutNode* GetDestNode() const { return m_pDest; }
  // The end node other than `node` (null when the link does not end at it).
  SSymAutoLayoutNode* GetOtherNode(const SSymAutoLayoutNode* node) const;

 private:
  void SetEnd(SSymAutoLayoutNode*& end, SSymAutoLayoutNode*& other, SSymAutoLayoutNode* node);
  SSymAutoLayoutNode* m_pSource = nullptr;
  SSymAutoLayoutNode* m_pDest = nullptr;
};

// A node's class by the shape of the graph around it.
enum SSymAutoLayoutGraphStyle : int {
  GraphStyleUnset = 0,
  GraphStyleIsolated = 1,
  GraphStyleEnd = 2,
  GraphStyleHierarchy = 3,
  GraphStyleLink = 4,
  GraphStyleLoop = 5,
  GraphStyleHierGraph = 6,
  GraphStyleLinkedGraph = 7,
  GraphStyleGraph = 8,
};

// One laid-out symbol.
class SSymAutoLayoutNode : public SSymAutoLayoutSymbol {
 public:
  // Throws SEConstructor for a null symbol.
  explicit SSymAutoLayoutNode(ISSymbol* symbol);
  bool IsNode() const override { return true; }

  // The symbol's area (SymLayoutAreaOf) moved by the decided offset.
  SSymRect GetClipRect() const;
  // Adds to the decided offset, saturating.
  void Shift(long long dx, long long dy) {
    m_dx = SymLayoutFit(m_dx + dx);
    m_dy = SymLayoutFit(m_dy + dy);
  }
  int GetDegree() const { return m_adjacent.GetCount(); }

  // ---- classification
  // Bounds the work of the next classification of about `nodes` nodes.
  static void BeginClassification(long nodes);
  void ComputeGraphStyle();
  void ResetGraphStyle();
  void RecomputeGraphStyle();
  void ComputeAdjGraphNodes();
  SSymAutoLayoutNode* GetEndOfLinkNode(SSymAutoLayoutNode* node, SSymAutoLayoutNode* stop);
  void ChangeGraphStyleLinkToLoop();
  void ChangeGraphStyleGraphToHier();
  SSymAutoLayoutNode* GetNextLinkNode(SSymAutoLayoutNode* node);
  int CountGraphNeighbours() const;
  bool HasHierarchy() const;
  bool IsDependantStyle() const;
  // The ancestors (predecessors) or descendants (successors) along the links'
  // direction, self-links left out.
  void GetPredecessors(SSymAutoLayoutNodeSet& out, bool recursive) const;
  void GetSuccessors(SSymAutoLayoutNodeSet& out, bool recursive) const;

  // ---- structures
  void SetStruct(SSymAutoLayoutStruct* structure);
  void AssignStruct(SSymAutoLayoutStruct* isolated, SSymAutoLayoutStruct* connected);

  // ---- placement
  int GetHierLevelNodes(int level, std::vector<SSymAutoLayoutNode*>& table, SSymAutoLayoutNode* exclude);
  int BuildOrientedLevels(SSymAutoLayoutNode* from, int level, int reversed,
                          std::map<int, std::vector<SSymAutoLayoutNode*>>& levels);
  void MoveSym(LONG dx, LONG dy, SSymAutoLayoutNodeSet& visited);
  void MoveHorz(LONG dx, SSymAutoLayoutNodeSet& visited);

  // ---- the graph grid
  SSymAutoLayoutNode* GetLeftNode() const { return m_pLeft; }
  SSymAutoLayoutNode* GetRightNode() const { return m_pRight; }
  SSymAutoLayoutNode* GetUpNode() const { return m_pUp; }
  SSymAutoLayoutNode* GetLeftDiagNode() const;
  SSymAutoLayoutNode* GetRightDiagNode() const;
  void SetLeftNode(SSymAutoLayoutNode* n);
  void SetRightNode(SSymAutoLayoutNode* n);
  void SetUpNode(SSymAutoLayoutNode* n);
  SSymAutoLayoutNode* GetBestAdjacentNode(const SSymAutoLayoutNodeSet& required, int lastPlace,
                                          SSymAutoLayoutSymbolMap& map);
  SSymAutoLayoutNode* CreateSynonym(SSymAutoLayoutNode* x, SSymAutoLayoutSymbolMap& map, int* created,
                                    int recompute);
  bool FindGraphNeighbour(SSymAutoLayoutNode* node, int* direct) const;
  void DetachGraphNeighbours();
  int MoveLinksTo(SSymAutoLayoutNode* newNode, SSymAutoLayoutNode* other);
  // Takes over another symbol when both can be cloned; 1 when it did.
  int ReplaceSymbol(ISSymbol* symbol);

  SSymAutoLayoutNodeSet m_adjacent;
  // For a graph node: adjacent node -> graph node reached through it.
  std::map<SSymAutoLayoutNode*, SSymAutoLayoutNode*> m_graphNeighbours;
  SSymAutoLayoutLinkSet m_links;
  int m_nGraphStyle = GraphStyleUnset;
  LONG m_nHierWidth = 0;
  LONG m_nLinkWidth = 0;
  LONG m_dx = 0;
  LONG m_dy = 0;
  SSymAutoLayoutStruct* m_pStruct = nullptr;
  SSymAutoLayoutNode* m_pLeft = nullptr;
  SSymAutoLayoutNode* m_pRight = nullptr;
  SSymAutoLayoutNode* m_pUp = nullptr;
  int m_nVertDir = 0;
  int m_nHorzDir = 0;
  int m_bHierDone = 0;

 private:
  int CountGraphMembers(SSymAutoLayoutNodeSet& members);
};

// A record of a link end moved onto a synonym, to put it back when the
// synonym goes.
struct SSymAutoLayoutMovedEnd {
  SComWrap<ISSymLink> link;
  int end;
  SComWrap<ISSymLinkable> original;
  SSymPoint point;
};

// The synonyms of one run: the symbols made and the link ends moved onto
// them. Shared by all structures of the run.
struct SSymAutoLayoutSynonyms {
  // Whether the run may make synonyms at all: decided once, before any is made.
  bool m_bAllowed = false;
  SComTable<ISSymbol> m_created{50, 50};
  std::vector<SSymAutoLayoutMovedEnd> m_movedEnds;
  // Puts every moved link end back on its original symbol, then deletes the
  // synonyms (the run's clean-up after a failure).
  void Undo();
};

// One structure of a run.
class SSymAutoLayoutStruct : public SObject {
 public:
  explicit SSymAutoLayoutStruct(SSymAutoLayoutSynonyms* synonyms);

  // ---- classification and the choice of the next node
  int DetectGraphType();
  SSymAutoLayoutNode* GetBestMovableNode(int unmarkedOnly);
  bool ShouldIsolateComplexGraphs(SSymAutoLayoutNode* node) const;
  int SimplifyComplexGraphs(SSymAutoLayoutSymbolMap& map, std::vector<SSymAutoLayoutStruct*>& added);
  // Cuts the structure around a complex node: every part the node joins
  // becomes a structure of its own (appended to `added`); the node keeps its
  // leaves.
  int IsolateComplexGraph(SSymAutoLayoutNode* node, std::vector<SSymAutoLayoutStruct*>& added);
  int GetOrientedInitiatorNodes(SSymAutoLayoutNodeSet& out) const;

  // ---- the rectangle and its shift
  void ComputeClipRect();
  SSymRect GetClipRect() const { return m_rect; }
  LONG GetWidth() const { return SymLayoutWidth(m_rect); }
  LONG GetHeight() const { return SymLayoutHeight(m_rect); }
  void MoveStruct(LONG dx, LONG dy);
  void AddCreatedSymbol(ISSymbol* symbol);

  // ---- placement
  int PerformAutoLayout();
  int PerformAutoLayoutOnNode(SSymAutoLayoutNode* node);
  // Moves every placed node that lies on one placed before it to the right
  // until it is clear.
  void SeparateOverlaps();
  void FixNode(SSymAutoLayoutNode* node, LONG x, LONG y);
  void FixNode(SSymAutoLayoutNode* node);
  LONG FixHierarchy(SSymAutoLayoutNode* node);
  LONG FixHierarchyLevel(std::vector<SSymAutoLayoutNode*>& table, int down, LONG centreX, LONG& y);
  LONG FixOrientedHierarchy(std::map<int, std::vector<SSymAutoLayoutNode*>>& levels, int down);
  int PerformRadialLayout(SSymAutoLayoutNode* node);
  int PerformOrientedHierarchyLayout(SSymAutoLayoutNode* node);
  int PerformOrientedGraphLayout(SSymAutoLayoutNode* node);
  int ComputeStructOrientedGraphLevels(int level, std::map<int, std::vector<SSymAutoLayoutNode*>>& levels,
                                       std::map<SSymAutoLayoutNode*, int>& levelOf);
  void FixGraph(SSymAutoLayoutNode* node);
  LONG FixLink(SSymAutoLayoutNode* a, SSymAutoLayoutNode* b, int position, int side);

  // ---- the graph grid
  void BuildGraphGrid(SSymAutoLayoutNode* node, SSymAutoLayoutSymbolMap& map);

  // ---- applying
  int MoveSymbols(ISRepContext* context, LONG grid);
  int ArrangeAttachPoints(ISSymLink* link);

  SSymAutoLayoutNodeSet m_pending;
  SSymAutoLayoutNodeSet m_placed;
  LONG m_x = 0;
  LONG m_y = 0;
  LONG m_nRowHeight = 0;
  LONG m_nRowLimit = 0;
  SSymRect m_rect;
  int m_bMoved = 0;
  int m_bPlacedInPack = 0;
  SSymAutoLayoutNode* m_pForcedNext = nullptr;
  SSymAutoLayoutSynonyms* m_pSynonyms = nullptr;

 private:
  std::vector<SSymAutoLayoutNode*> CollectPart(SSymAutoLayoutNode* start, SSymAutoLayoutNodeSet& seen);
  SSymAutoLayoutStruct* SplitOff(const std::vector<SSymAutoLayoutNode*>& part,
                                 std::vector<SSymAutoLayoutStruct*>& added);
  void FillGridPlaces(SSymAutoLayoutNode* node, SSymAutoLayoutSymbolMap& map, std::vector<SSymAutoLayoutNode*>& next);
};

// Packing the structures of a run into one rectangle centred on the origin:
// the largest first at the upper left of the area, the rest into the bands
// left beside and below it.
struct SSymAutoLayoutPacking {
  static void PackStructures(std::vector<SSymAutoLayoutStruct*>& structs, int depth, LONG x1, LONG y1, LONG x2,
                             LONG y2);
  static SSymAutoLayoutStruct* FindLargestFittingStruct(std::vector<SSymAutoLayoutStruct*>& structs, int depth,
                                                       LONG x1, LONG y1, LONG x2, LONG y2);
};
