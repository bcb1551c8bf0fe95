#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "kvlayout/bridge/lsymbols.h"
#include "sym/foundation/symlistpt.h"
#include "kvrep/srepintf.h"
#include "sym/layout/symlayoutmove.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintflink.h"

namespace kvl {

namespace {
// The attribute that tells what a person did to a link's route.
constexpr LONG kRoutingState = 0x02010030;
// Composites nest shallowly; the bound keeps a corrupt owner chain finite.
constexpr int kMaxNesting = 64;
constexpr double kMaxSpacing = 100000;

std::unordered_set<ISSymbol*> TopLevel(ISSymDiagram* diagram) {
  std::unordered_set<ISSymbol*> out;
  SymForEachDiagramSymbol(diagram, [&out](ISSymbol* s) { out.insert(s); });
  return out;
}

bool IsLink(ISSymDiagram* diagram, ISSymbol* s) { return diagram->IsLink(s) || !SComWrap<ISSymLink>(s).IsNull(); }

LRouteKeep KeepOf(ISSymbol* link) {
  SComWrap<ISRepObject, &IID_ISRepObject> obj(link);
  SRepVariant value;
  if (obj.IsNull() || FAILED(obj->GetAttribute(kRoutingState, &value))) return LRouteKeep::Nothing;
  const LONG state = value.GetLONG();
  if (state == 4) return LRouteKeep::Route;
  return state >= 1 && state <= 3 ? LRouteKeep::Ends : LRouteKeep::Nothing;
}

class Reader {
 public:
  Reader(ISSymDiagram* diagram, LGraph& graph, LSymbols& symbols)
      : m_diagram(diagram), m_top(TopLevel(diagram)), m_graph(graph), m_symbols(symbols) {}

  void AddNode(ISSymbol* s, bool fixed, const SSymValueMap<ISSymbol*>* groups) {
    if (!s || !m_top.count(s) || m_index.count(s) || s->IsHidden() || IsLink(m_diagram, s)) return;
    SSymRect r = SymLayoutAreaOf(s);
    r.Normalize();
    LNode node;
    node.box = {double(r.GetMinX()), double(r.GetMinY()), double(r.GetMaxX()), double(r.GetMaxY())};
    node.fixed = fixed;
    if (groups && !SComWrap<ISSymCompSym>(s).IsNull())
      if (const SRepVariant* id = groups->Find(s)) node.group = id->GetLONG();
    m_index[s] = static_cast<int>(m_graph.nodes.size());
    m_graph.nodes.push_back(node);
    m_symbols.nodes.push_back(s);
  }

  void AddLink(ISSymbol* s) {
    if (!s || !m_top.count(s) || m_links.count(s) || s->IsHidden()) return;
    SComWrap<ISSymLink> link(s);
    if (link.IsNull()) return;
    SComOut<ISSymbol> first, second;
    link->GetAttachSym(0, &first);
    link->GetAttachSym(1, &second);
    if (!first || !second) return;
    const int from = NodeOf(first.Get()), to = NodeOf(second.Get());
    if (from < 0 || to < 0) return;
    // Two symbols inside one composite: the composite's own business.
    if (from == to && first.Get() != second.Get()) return;
    LEdge edge;
    edge.from = from;
    edge.to = to;
    SComWrap<ISSymPolyline> poly(s);
    SSymListPt points;
    if (!poly.IsNull() && SUCCEEDED(poly->GetListPt(points)))
      for (int i = 0; i < points.GetCount(); ++i) edge.points.push_back({double(points[i].x), double(points[i].y)});
    edge.keep = KeepOf(s);
    m_links.insert(s);
    m_graph.edges.push_back(std::move(edge));
    m_symbols.links.push_back(s);
  }

 private:
  // The node a link's end belongs to: the symbol, or the composite it is in.
  int NodeOf(ISSymbol* end) {
    SComWrap<ISSymbol> at(end);
    for (int depth = 0; !at.IsNull() && depth < kMaxNesting; ++depth) {
      if (auto it = m_index.find(at.Get()); it != m_index.end()) return it->second;
      SComOut<ISSymOwner> owner;
      if (FAILED(at->GetOwner(&owner)) || !owner) return -1;
      at = SComWrap<ISSymbol>(owner.Get());
    }
    return -1;
  }

  ISSymDiagram* m_diagram;
  std::unordered_set<ISSymbol*> m_top;
  std::unordered_map<ISSymbol*, int> m_index;
  std::unordered_set<ISSymbol*> m_links;
  LGraph& m_graph;
  LSymbols& m_symbols;
};

double Spacing(LONG v, double fallback) { return v < 0 ? fallback : std::min<double>(v, kMaxSpacing); }

// A seed from the graph itself: the same diagram gives the same layout.
std::uint64_t SeedOf(const LGraph& graph) {
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&h](double v) {
    h ^= static_cast<std::uint64_t>(static_cast<long long>(v));
    h *= 1099511628211ull;
  };
  for (const LNode& n : graph.nodes) mix(n.box.Width()), mix(n.box.Height());
  for (const LEdge& e : graph.edges) mix(e.from), mix(e.to);
  return h;
}
}  // namespace

LStatus ReadRun(const SSymAutoLayoutParam& param, LGraph& graph, LSymbols& symbols, LRequest& request) {
  ISSymDiagram* diagram = param.GetDiagram();
  const SComTable<ISSymbol>* subset = param.m_pSubset;
  const SComTable<ISSymbol>* scope = param.m_pScope ? param.m_pScope : subset;
  if (!diagram || !scope) return LStatus::BadInput;
  if (!subset) subset = scope;
  const SSymAutoLayoutParam::ValueMaps& maps = param.GetValueMaps();
  const SSymValueMap<ISSymbol*>* groups = maps.Find(SSymAutoLayoutValueMapKey::CompositeGroup);

  Reader reader(diagram, graph, symbols);
  std::unordered_set<ISSymbol*> moving;
  for (int i = 0; i < subset->GetCount(); ++i) moving.insert(subset->GetAt(i));
  for (int i = 0; i < subset->GetCount(); ++i) reader.AddNode(subset->GetAt(i), false, groups);
  for (int i = 0; i < scope->GetCount(); ++i)
    if (!moving.count(scope->GetAt(i))) reader.AddNode(scope->GetAt(i), true, groups);
  for (const SComTable<ISSymbol>* table : {subset, scope})
    for (int i = 0; i < table->GetCount(); ++i) reader.AddLink(table->GetAt(i));

  const SSymAutoLayoutParam::SOptions& o = param.m_options;
  if (o.m_nStyle < 0 || o.m_nStyle > static_cast<LONG>(LStyle::Snowflake)) return LStatus::Unsupported;
  request.style = static_cast<LStyle>(o.m_nStyle);
  const LONG placement = o.m_nPlacement - SSymAutoLayoutPlacement::TopToBottom;
  request.orientation = placement >= 0 && placement <= 3 ? static_cast<LOrientation>(placement) : LOrientation::TopToBottom;
  request.keepNodes = o.m_nMode != 0;
  request.oneCircle = o.m_nPlacement == SSymAutoLayoutPlacement::Cycle;
  const SSymAutoLayoutParam::EngineNumbers& n = param.m_engineNumbers;
  const LSpacing defaults;
  request.spacing = {Spacing(n[3], defaults.node), Spacing(n[4], defaults.layer), Spacing(n[5], defaults.edgeNode),
                     Spacing(n[6], defaults.edgeEdge)};
  request.seed = n[2] >= 0 ? static_cast<std::uint64_t>(n[2]) : SeedOf(graph);
  return LStatus::Ok;
}

LStatus ReadDiagram(ISSymDiagram* diagram, LGraph& graph, LSymbols& symbols) {
  if (!diagram) return LStatus::BadInput;
  SComTable<ISSymbol> all;
  SymForEachDiagramSymbol(diagram, [&all](ISSymbol* s) { all.Add(s); });
  Reader reader(diagram, graph, symbols);
  for (int i = 0; i < all.GetCount(); ++i) reader.AddNode(all.GetAt(i), true, nullptr);
  for (int i = 0; i < all.GetCount(); ++i) reader.AddLink(all.GetAt(i));
  return LStatus::Ok;
}

}  // namespace kvl
