// The library's own layout run: the symbols become a graph, the graph is cut
// into structures, each structure arranges its own symbols, the structures
// are packed into one rectangle centred on the origin (or below the symbols
// that stay, when only a part is laid out), and the symbols are moved, all in
// one undo step.
#include "sym/layout/symlayoutrun.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "kvcore/scomwrap.h"
#include "kvcore/sexception.h"
#include "kvlib/suserregistry.h"
#include "kvrep/srepsession.h"
#include "sym/layout/symautolayout.h"
#include "sym/layout/symlayoutdump.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfhost.h"

namespace {

bool IsLinkSymbol(ISSymDiagram* diagram, ISSymbol* s) {
  if (diagram && diagram->IsLink(s)) return true;
  return !SComWrap<ISSymLink>(s).IsNull();
}

// The diagram's top-level symbols, gathered once: asking the diagram symbol
// by symbol walks its whole collection each time.
std::unordered_set<ISSymbol*> TopLevelSymbols(ISSymDiagram* diagram) {
  std::unordered_set<ISSymbol*> out;
  SComOut<ISRepClassCol> col;
  if (!diagram || FAILED(diagram->GetSymbols(&col)) || !col) return out;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> item;
    if (FAILED(col->Item(i, &item)) || !item) continue;
    SComWrap<ISSymbol> symbol(item.Get());
    if (!symbol.IsNull()) out.insert(symbol.Get());
  }
  return out;
}

// Areas and shifts stay within a few times the drawing area: enough for
// every placement, and far from what a LONG holds.
LONG FitArea(long long v) { return static_cast<LONG>(std::clamp<long long>(v, -4LL * kSymLayoutEdge, 4LL * kSymLayoutEdge)); }

long long Half(long long size) { return (size + 1) / 2; }

void Trace(SSymAutoLayoutDumpFile& dump, const char* what, const SSymRect& r) {
  dump << what << " (" << static_cast<long long>(r.x1) << ", " << static_cast<long long>(r.y1) << ", "
       << static_cast<long long>(r.x2) << ", " << static_cast<long long>(r.y2) << ")";
  dump.EndLine();
}
}  // namespace

// ---- the run ------------------------------------------------------------------------------------------

SSymAutoLayoutRun::SSymAutoLayoutRun(SSymAutoLayout& layout) : m_layout(layout) {}

SSymAutoLayoutRun::~SSymAutoLayoutRun() {
  // Structures before the map: they name its nodes.
  m_structs.clear();
  m_owned.clear();
  m_map.clear();
  m_synonyms.m_created.RemoveAll();
}

SSymAutoLayoutNode* SSymAutoLayoutRun::NewNode(ISSymbol* symbol) {
  std::unique_ptr<SSymAutoLayoutNode> node(m_layout.CreateALNode(symbol));
  if (!node) throw SException(SString(u"The layout could not make the node of a symbol"), __func__, __FILE__, __LINE__);
  SSymAutoLayoutNode* raw = node.get();
  m_map[symbol] = std::move(node);
  m_nodes.push_back(raw);
  return raw;
}

SSymAutoLayoutLink* SSymAutoLayoutRun::NewLink(ISSymbol* symbol) {
  std::unique_ptr<SSymAutoLayoutLink> link(m_layout.CreateALLink(symbol));
  if (!link) throw SException(SString(u"The layout could not make the link of a symbol"), __func__, __FILE__, __LINE__);
  SSymAutoLayoutLink* raw = link.get();
  m_map[symbol] = std::move(link);
  return raw;
}

SSymAutoLayoutStruct* SSymAutoLayoutRun::NewStruct() {
  std::unique_ptr<SSymAutoLayoutStruct> made(m_layout.CreateStruct(m_synonyms.m_created));
  if (!made) throw SException(SString(u"The layout could not make a structure"), __func__, __FILE__, __LINE__);
  made->m_pSynonyms = &m_synonyms;
  m_owned.push_back(std::move(made));
  return m_owned.back().get();
}

void SSymAutoLayoutRun::Adopt(const std::vector<SSymAutoLayoutStruct*>& made) {
  for (SSymAutoLayoutStruct* s : made) {
    m_owned.emplace_back(s);
    m_structs.push_back(s);
  }
}

SSymAutoLayoutNode* SSymAutoLayoutRun::FindNode(ISSymbol* symbol) const {
  auto it = m_map.find(symbol);
  return it != m_map.end() && it->second->IsNode() ? static_cast<SSymAutoLayoutNode*>(it->second.get()) : nullptr;
}

bool SSymAutoLayoutRun::IsSynonymsInAutoLayout() {
  SUserRegistry settings(SUserRegistry::sApplicationGeneral);
  long value = 1;
  settings.GetProfile(SString(u"SynonymsInAutoLayout"), &value, 1);
  return value != 0;
}

int SSymAutoLayoutRun::CreateNodes() {
  ISSymDiagram* diagram = m_layout.GetDiagram();
  const SComTable<ISSymbol>& subset = m_layout.GetSubset();
  // Nodes: the visible top-level symbols that are not links.
  const std::unordered_set<ISSymbol*> topLevel = TopLevelSymbols(diagram);
  for (int i = 0; i < subset.GetCount(); ++i) {
    ISSymbol* s = subset.GetAt(i);
    if (!s || m_map.count(s) || s->IsHidden() || IsLinkSymbol(diagram, s)) continue;
    if (!topLevel.count(s)) continue;
    NewNode(s);
  }
  // Links whose two ends are nodes.
  for (SSymAutoLayoutNode* node : std::vector<SSymAutoLayoutNode*>(m_nodes)) {
    SComWrap<ISSymLinkable> linkable(node->GetSymbol());
    if (linkable.IsNull()) continue;
    const SComBag<ISSymLink>& bag = linkable->GetLinks();
    std::vector<ISSymLink*> links;
    for (int i = 0; i < bag.GetCount(); ++i) links.push_back(bag.GetAt(i));
    for (ISSymLink* link : links) {
      SComWrap<ISSymbol> symbol(link);
      if (symbol.IsNull() || m_map.count(symbol.Get()) || m_layout.ShouldIgnoreLink(link)) continue;
      SComOut<ISSymbol> first, second;
      link->GetAttachSym(0, &first);
      link->GetAttachSym(1, &second);
      SSymAutoLayoutNode* from = first ? FindNode(first.Get()) : nullptr;
      SSymAutoLayoutNode* to = second ? FindNode(second.Get()) : nullptr;
      if (!from || !to) continue;  // a missing end or an end outside the run
      SSymAutoLayoutLink* l = NewLink(symbol.Get());
      l->SetSourceNode(from);
      l->SetDestNode(to);
    }
  }
  // In a partial run, a laid-out symbol's links that leave the part go to a
  // synonym that stays where the symbol stood.
  if (m_synonyms.m_bAllowed && m_layout.GetSubset().GetCount() < m_layout.GetScope().GetCount())
    for (SSymAutoLayoutNode* node : std::vector<SSymAutoLayoutNode*>(m_nodes)) CloneLeavingEnds(node);
  SSymAutoLayoutNode::BeginClassification(static_cast<long>(m_nodes.size()));
  for (SSymAutoLayoutNode* n : m_nodes) n->ComputeGraphStyle();
  for (SSymAutoLayoutNode* n : m_nodes) n->ComputeAdjGraphNodes();
  return 1;
}

void SSymAutoLayoutRun::CloneLeavingEnds(SSymAutoLayoutNode* node) {
  ISSymbol* symbol = node->GetSymbol();
  SComWrap<ISSymClone> clonable(symbol);
  SComWrap<ISSymLinkable> linkable(symbol);
  if (clonable.IsNull() || linkable.IsNull()) return;
  std::vector<std::pair<SComWrap<ISSymLink>, int>> leaving;
  const SComBag<ISSymLink>& bag = linkable->GetLinks();
  for (int i = 0; i < bag.GetCount(); ++i) {
    ISSymLink* link = bag.GetAt(i);
    if (m_map.count(SComWrap<ISSymbol>(link).Get())) continue;
    SComOut<ISSymbol> first, second;
    link->GetAttachSym(0, &first);
    link->GetAttachSym(1, &second);
    if (!first || !second) continue;
    const bool mineFirst = SRepAreSameObjects(first.Get(), symbol);
    const bool mineSecond = SRepAreSameObjects(second.Get(), symbol);
    if (mineFirst == mineSecond) continue;
    ISSymbol* other = mineFirst ? second.Get() : first.Get();
    if (!m_map.count(other)) leaving.push_back({SComWrap<ISSymLink>(link), mineFirst ? 0 : 1});
  }
  if (leaving.empty()) return;
  SComOut<ISSymbol> clone;
  if (FAILED(symbol->Clone(&clone, 0)) || !clone) return;
  if (FAILED(m_layout.GetDiagram()->Add(clone.Get()))) return;
  m_synonyms.m_created.Add(clone.Get());
  SComWrap<ISSymLinkable> target(clone.Get());
  if (target.IsNull()) return;
  for (auto& [link, end] : leaving) {
    SSymPoint before;
    link->GetAttachPoint(before, end);
    if (SUCCEEDED(link->AttachSym(end, target.Get(), before)))
      m_synonyms.m_movedEnds.push_back({link, end, linkable, before});
  }
}

int SSymAutoLayoutRun::CreateStructures() {
  SSymAutoLayoutStruct* isolated = NewStruct();
  SSymAutoLayoutStruct* group = NewStruct();
  for (SSymAutoLayoutNode* n : m_nodes) {
    if (n->m_pStruct) continue;
    if (n->GetDegree() == 0) {
      n->AssignStruct(isolated, nullptr);
      continue;
    }
    n->AssignStruct(nullptr, group);
    m_structs.push_back(group);
    group = NewStruct();
  }
  // Every connected group is a structure; the unlinked nodes together make
  // one more, last.
  if (!isolated->m_pending.IsEmpty()) m_structs.push_back(isolated);
  return 1;
}

int SSymAutoLayoutRun::SplitComplexStructures(const std::vector<SSymAutoLayoutStruct*>& structs) {
  std::vector<SSymAutoLayoutStruct*> made;
  for (SSymAutoLayoutStruct* s : structs) {
    SSymAutoLayoutNode* node = s->GetBestMovableNode(1);
    if (!node || node->m_nGraphStyle != GraphStyleGraph) continue;
    if (s->ShouldIsolateComplexGraphs(node))
      s->IsolateComplexGraph(node, made);
    else
      s->SimplifyComplexGraphs(m_map, made);
  }
  Adopt(made);
  if (++m_nNesting >= kMaxNesting) return 0;
  int done = 1;
  if (!made.empty()) done = SplitComplexStructures(made);
  --m_nNesting;
  return done;
}

void SSymAutoLayoutRun::LayOutStructures() {
  for (SSymAutoLayoutStruct* s : m_structs) {
    if (m_layout.GetOptions().m_nMode == 0) {
      s->PerformAutoLayout();
      continue;
    }
    // Every node keeps its place.
    for (SSymAutoLayoutNode* n : s->m_pending) {
      s->m_placed.Add(n);
      n->m_bPlaced = 1;
    }
    s->ComputeClipRect();
  }
}

int SSymAutoLayoutRun::Execute() {
  ISSymDiagram* diagram = m_layout.GetDiagram();
  if (!diagram) return 0;
  SSymAutoLayoutSpacing::s_nVert = kFirstSpacing;
  SSymAutoLayoutSpacing::s_nLink = kSecondSpacing;
  SSymAutoLayoutSpacing::s_nHorz = kThirdSpacing;
  const SSymAutoLayoutParam::SOptions& options = m_layout.GetOptions();
  // Whether synonyms may be made is decided once, before any is made: the
  // same decision makes them and keeps them.
  m_synonyms.m_bAllowed = options.m_bAutomatic ? IsSynonymsInAutoLayout()
                                               : (options.m_bWholeDiagram ? options.m_bSynonymsAll
                                                                          : options.m_bSynonymsPartial) != 0;
  SSymAutoLayoutDumpFile dump;
  dump << "AutoLayout: " << m_layout.GetSubset().GetCount() << " symbols of " << m_layout.GetScope().GetCount()
       << ", style " << static_cast<long long>(options.m_nStyle) << ", mode " << static_cast<long long>(options.m_nMode);
  dump.EndLine();

  SComWrap<ISRepObject, &IID_ISRepObject> object(diagram);
  // Every change of the run, synonyms included, is one undo step.
  SRepCreateOrReuseContext step(object.Get(), 1, 1, 0);
  try {
    return Place(dump);
  } catch (...) {
    // Nothing half-made stays: links go back to their symbols before the
    // synonyms they were moved to are deleted.
    m_synonyms.Undo();
    throw;
  }
}

int SSymAutoLayoutRun::Place(SSymAutoLayoutDumpFile& dump) {
  ISSymDiagram* diagram = m_layout.GetDiagram();
  const ISSymDispPref* pref = SSymGetDispPrefPtr(diagram);
  const LONG grid = pref ? pref->GetSnapGridSize() : 0;
  CreateNodes();
  CreateStructures();
  m_nNesting = 0;
  SplitComplexStructures(std::vector<SSymAutoLayoutStruct*>(m_structs));
  LayOutStructures();
  PackStructures();

  long long left = 0, top = 0;
  bool first = true;
  for (SSymAutoLayoutStruct* s : m_structs) {
    const SSymRect r = s->GetClipRect();
    left = std::min<long long>(left, r.GetMinX());
    top = std::max<long long>(top, r.GetMaxY());
    m_result = first ? r : SSymRect(std::min(m_result.GetMinX(), r.GetMinX()), std::max(m_result.GetMaxY(), r.GetMaxY()),
                                    std::max(m_result.GetMaxX(), r.GetMaxX()), std::min(m_result.GetMinY(), r.GetMinY()));
    first = false;
  }
  // The symbols that stay where they are in a partial run.
  bool staying = false;
  long long stayBottom = 0;
  if (m_layout.GetSubset().GetCount() < m_layout.GetScope().GetCount()) {
    const SComTable<ISSymbol>& scope = m_layout.GetScope();
    for (int i = 0; i < scope.GetCount(); ++i) {
      ISSymbol* s = scope.GetAt(i);
      if (!s || m_map.count(s) || s->IsHidden()) continue;
      const SSymRect r = s->GetClipRect(0, 1);
      stayBottom = staying ? std::min<long long>(stayBottom, r.GetMinY()) : r.GetMinY();
      staying = true;
    }
  }
  const long long width = SymLayoutWidth(m_result), height = SymLayoutHeight(m_result);
  long long dx = -Half(width) - left;
  long long dy = Half(height) - top;
  if (dx * dx < 5) dx = 0;
  if (dy * dy < 5) dy = 0;
  if (staying) dy += stayBottom - Half(height) - kFirstSpacing;
  int result = 1;
  int index = 0;
  for (SSymAutoLayoutStruct* s : m_structs) {
    if (dx || dy) s->MoveStruct(FitArea(dx), FitArea(dy));
    dump << "structure " << ++index << ": " << s->m_placed.GetCount() << " nodes";
    dump.EndLine();
    Trace(dump, "  at", s->GetClipRect());
    if (!s->MoveSymbols(nullptr, grid)) result = 0;
  }
  dump << "synonyms: " << m_synonyms.m_created.GetCount();
  dump.EndLine();
  return result;
}

// ---- packing --------------------------------------------------------------------------------------------

SSymAutoLayoutStruct* SSymAutoLayoutPacking::FindLargestFittingStruct(std::vector<SSymAutoLayoutStruct*>& structs,
                                                                      int depth, LONG x1, LONG y1, LONG x2, LONG y2) {
  const long long areaW = std::llabs(static_cast<long long>(x2) - x1) + 1;
  const long long areaH = std::llabs(static_cast<long long>(y1) - y2) + 1;
  SSymAutoLayoutStruct* best = nullptr;
  LONG bestSize = -1;
  for (SSymAutoLayoutStruct* s : structs) {
    if (s->m_bPlacedInPack) continue;
    const LONG w = s->GetWidth(), h = s->GetHeight();
    if (depth > 0 && (w > areaW || h > areaH)) continue;
    if (std::max(w, h) > bestSize) {
      best = s;
      bestSize = std::max(w, h);
    }
  }
  return best;
}

void SSymAutoLayoutPacking::PackStructures(std::vector<SSymAutoLayoutStruct*>& structs, int depth, LONG x1, LONG y1,
                                           LONG x2, LONG y2) {
  const LONG gap = SSymAutoLayoutSpacing::s_nHorz;
  const auto fit = FitArea;
  // At depth 0 a further area takes what the first left: a loop, not a
  // recursion, however many areas it takes.
  for (;;) {
    SSymAutoLayoutStruct* s = FindLargestFittingStruct(structs, depth, x1, y1, x2, y2);
    if (!s) return;
    const long long w = s->GetWidth(), h = s->GetHeight();
    const long long big = std::max(w, h);
    const bool wide = big == w;
    if (x1 == x2 && y1 == y2) {
      long long aw = w, ah = h;
      if (structs.size() > 1) {
        // The areas of large structures overflow 32 bits and their sum 64:
        // summed in floating point (exact below 2^53), capped far below the
        // 64-bit limit.
        double sum = 0;
        for (SSymAutoLayoutStruct* t : structs) sum += static_cast<double>(t->GetWidth()) * t->GetHeight();
        const long long area = static_cast<long long>(std::min(sum * 3 / 2, 4.0e18));
        const long long side = static_cast<long long>(std::sqrt(static_cast<double>(area)));
        aw = ah = side;
        if (side < big) {
          (wide ? aw : ah) = big;
          (wide ? ah : aw) = area / big;
        }
      }
      x1 = fit(-1 - aw / 2);
      x2 = fit(aw / 2 + 1);
      y1 = fit(ah / 2 + 1);
      y2 = fit(-1 - ah / 2);
    }
    const SSymRect r = s->GetClipRect();
    s->MoveStruct(x1 - r.GetMinX(), y1 - r.GetMaxY());
    s->m_bPlacedInPack = 1;
    const long long areaW = static_cast<long long>(x2) - x1 + 1, areaH = static_cast<long long>(y1) - y2 + 1;
    if (w > areaW) x2 = fit(x2 + (w - areaW));
    if (h > areaH) y2 = fit(y2 - (h - areaH));
    const LONG right = fit(static_cast<long long>(x1) + w - 1), bottom = fit(static_cast<long long>(y1) - h + 1);
    const auto band = [&](long long bx1, long long by1, long long bx2, long long by2) {
      if (bx1 <= bx2 && by2 <= by1) PackStructures(structs, depth + 1, fit(bx1), fit(by1), fit(bx2), fit(by2));
    };
    if (wide) {
      band(x1, static_cast<long long>(bottom) - gap, x2, y2);
      band(static_cast<long long>(right) + gap, y1, x2, bottom);
    } else {
      band(static_cast<long long>(right) + gap, y1, x2, y2);
      band(x1, static_cast<long long>(bottom) - gap, right, y2);
    }
    if (depth != 0) return;
    const long long spanW = static_cast<long long>(x2) - x1, spanH = static_cast<long long>(y1) - y2;
    if (wide) {
      y1 = fit(static_cast<long long>(y2) - gap);
      y2 = fit(y1 - spanH);
    } else {
      x1 = fit(static_cast<long long>(x2) + gap);
      x2 = fit(x1 + spanW);
    }
    if (x1 == x2 && y1 == y2) return;
  }
}

// ---- the layout object's entry ----------------------------------------------------------------------------

int SSymAutoLayout::Invoke() {
  if (!m_bReady) return 0;
  SSymAutoLayoutSession::Scope session;
  SSymAutoLayoutRun run(*this);
  return run.Execute();
}
