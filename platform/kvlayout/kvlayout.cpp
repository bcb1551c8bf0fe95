// The layout engine's entry points that the diagram library calls, each
// with C linkage and each answering a code (0 on success): no exception ever
// leaves the engine, since the library would otherwise lose its engine lock
// and the user's diagram would be left half-written.
//
//   SResolveAssemblies       1 before each call, 0 before the module is freed;
//                            nothing to resolve here.
//   SIsAutoLayoutAvailable   1: the engine is there.
//   SDoAutoLayout            reads the run's symbols, lays them out with the
//                            style asked for, writes the result back (all or
//                            nothing); the status of the first step that
//                            failed otherwise.
//   SDoEdgeRouting           routes again the links of the changed symbols and
//                            the links whose route now runs through a changed
//                            symbol, around the symbols; writes those routes
//                            only, and moves no symbol.
//   SDoRetrieveIntersections the crossings of a set of links.
//   SDoUnsyncDiagram         the diagram's cache is trusted no further (see
//                            below); a deleted diagram's cache goes.
//
// The module is linked so that it stays in the process once loaded: the
// library loads and frees it for every call, and what the engine keeps
// between calls must survive that.
//
// Each diagram met has a cache (engine/routecache.h): the routes of all its
// links, made again only where an edit reaches, and an index of its links'
// segments with their crossings, re-indexed only for links whose points
// changed. A diagram, its symbols and its links are named there by numbers
// (their addresses when met), never followed: every entry is checked against
// what it was made from on each call, so a number that comes back for
// another object (a diagram deleted, another made at its place, symbols
// changed without the engine being told) finds nothing that matches and gets
// what a fresh cache would give. The routes a call writes are those a full
// routing of the diagram gives, whatever the cache held.
//
// Unsyncing a diagram therefore needs to drop nothing for the answers to be
// right, and the library unsyncs a diagram at the end of every change that
// asks for routing, just before it asks: dropping the cache there would make
// every re-routing a full one. The cache of a diagram that is deleted goes
// at once; the caches of the diagrams least recently asked about go once more
// than a few are kept.
//
// Crossings: each crossing is given to the later link of the set (the one
// drawn over the other), weighted by its distance from the start of that
// link along its path; a link's crossings come in that order.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "kvlayout/bridge/lsymbols.h"
#include "kvlayout/engine/routecache.h"
#include "sym/layout/symlayoutengine.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfrouter.h"

#define KV_LAYOUT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
// The answer of an entry that met an exception or ran out of memory.
constexpr int kFault = 32;

template <class Body>
int Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return kFault;
  }
}

int Code(kvl::LStatus status) { return static_cast<int>(status); }

// A name for an object met in this call: a number, never followed.
std::uint64_t KeyOf(const void* p) { return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p)); }

// What the engine keeps of one diagram between calls.
struct DiagramCache {
  std::uint64_t diagram = 0;
  std::uint64_t used = 0;
  kvl::RouteCache routes;
  kvl::CrossingIndex crossings;
};

// Enough for the diagrams a person has open at once.
constexpr std::size_t kMaxDiagrams = 8;

class Caches {
 public:
  DiagramCache& Of(const void* diagram) {
    const std::uint64_t key = KeyOf(diagram);
    ++m_clock;
    for (auto& c : m_caches)
      if (c->diagram == key) {
        c->used = m_clock;
        return *c;
      }
    // The least recently used goes, never one this call uses (the call may
    // hold it).
    if (m_caches.size() >= kMaxDiagrams) {
      auto oldest = std::min_element(m_caches.begin(), m_caches.end(),
                                     [](const auto& a, const auto& b) { return a->used < b->used; });
      if ((*oldest)->used < m_callStart) m_caches.erase(oldest);
    }
    auto& c = m_caches.emplace_back(std::make_unique<DiagramCache>());
    c->diagram = key;
    c->used = m_clock;
    return *c;
  }
  void Release(const void* diagram) {
    const std::uint64_t key = KeyOf(diagram);
    std::erase_if(m_caches, [key](const auto& c) { return c->diagram == key; });
  }
  std::size_t Count() const { return m_caches.size(); }
  void Clear() { m_caches.clear(); }
  // Starts an entry's call: the caches it uses stay until the next one.
  void BeginCall() { m_callStart = m_clock + 1; }

 private:
  std::vector<std::unique_ptr<DiagramCache>> m_caches;
  std::uint64_t m_clock = 0;
  std::uint64_t m_callStart = 0;
};

Caches& TheCaches() {
  static Caches caches;
  return caches;
}

// Whether a route runs through the inside of a box (touching its outline
// does not count: a link ends there).
bool Enters(const std::vector<kvl::LPoint>& route, const kvl::LBox& b) {
  for (std::size_t i = 0; i + 1 < route.size(); ++i) {
    const kvl::LPoint& p = route[i];
    const kvl::LPoint& q = route[i + 1];
    // The segment clipped to the box (Liang-Barsky), then its middle tested.
    double t0 = 0, t1 = 1;
    const double dx = q.x - p.x, dy = q.y - p.y;
    const double num[4] = {p.x - b.x0, b.x1 - p.x, p.y - b.y0, b.y1 - p.y};
    const double den[4] = {-dx, dx, -dy, dy};
    bool out = false;
    for (int k = 0; k < 4 && !out; ++k) {
      if (den[k] == 0) {
        out = num[k] < 0;
      } else {
        const double t = num[k] / -den[k];
        if (den[k] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
      }
    }
    if (out || t0 >= t1) continue;
    const double tm = (t0 + t1) / 2;
    const double x = p.x + tm * dx, y = p.y + tm * dy;
    if (x > b.x0 && x < b.x1 && y > b.y0 && y < b.y1) return true;
  }
  return false;
}

// Routes one diagram's links again: those of the changed symbols and those
// whose route now runs through a changed symbol. Every link gets the route a
// full routing of the diagram gives (the cache makes again only what the
// edits since its last call reach); only those links are written.
int RouteDiagram(ISSymDiagram* diagram, const std::vector<ISSymbol*>& touched) {
  kvl::LGraph graph;
  kvl::LSymbols symbols;
  if (const kvl::LStatus s = kvl::ReadDiagram(diagram, graph, symbols); s != kvl::LStatus::Ok) return Code(s);
  auto changedOne = [&](ISSymbol* s) { return std::binary_search(touched.begin(), touched.end(), s); };
  std::vector<int> changedNodes;
  for (std::size_t i = 0; i < graph.nodes.size(); ++i)
    if (changedOne(symbols.nodes[i])) changedNodes.push_back(int(i));
  std::vector<int> which;
  for (std::size_t k = 0; k < graph.edges.size(); ++k) {
    const kvl::LEdge& e = graph.edges[k];
    bool redo = changedOne(symbols.links[k]) || changedOne(symbols.nodes[std::size_t(e.from)]) ||
                changedOne(symbols.nodes[std::size_t(e.to)]);
    for (std::size_t m = 0; !redo && m < changedNodes.size(); ++m)
      redo = Enters(e.points, graph.nodes[std::size_t(changedNodes[m])].box);
    if (redo) which.push_back(int(k));
  }
  if (which.empty()) return 0;
  std::vector<std::uint64_t> nodeKeys, edgeKeys;
  nodeKeys.reserve(symbols.nodes.size());
  edgeKeys.reserve(symbols.links.size());
  for (ISSymbol* s : symbols.nodes) nodeKeys.push_back(KeyOf(s));
  for (ISSymbol* s : symbols.links) edgeKeys.push_back(KeyOf(s));
  std::vector<std::vector<kvl::LPoint>> routes;
  DiagramCache& cache = TheCaches().Of(diagram);
  // Links the diagram no longer has leave its crossing index.
  cache.crossings.KeepOnly(edgeKeys);
  if (const kvl::LStatus s = cache.routes.Route(graph, nodeKeys, edgeKeys, kvl::LRouteOptions(), routes);
      s != kvl::LStatus::Ok) {
    cache.routes.Clear();
    return Code(s);
  }
  kvl::LResult result;
  for (const kvl::LNode& n : graph.nodes) result.centres.push_back(n.box.Centre());
  result.routes.resize(graph.edges.size());
  for (int k : which) result.routes[std::size_t(k)] = std::move(routes[std::size_t(k)]);
  return kvl::WriteRoutes(graph, symbols, result);
}

// The crossings of the links, each given to the later link of the set.
int Crossings(SComBag<ISSymbol>& links, ISWeightedSymPointTableMap* out);
}  // namespace

// For tests: the number of diagrams the engine keeps a cache of, and
// dropping every cache (the next call starts as the first one did).
KV_LAYOUT_EXPORT int KvLayoutCachedDiagrams() { return int(TheCaches().Count()); }
KV_LAYOUT_EXPORT void KvLayoutDropCaches() { TheCaches().Clear(); }

KV_LAYOUT_EXPORT int SResolveAssemblies(int) { return 0; }

KV_LAYOUT_EXPORT int SIsAutoLayoutAvailable() { return 1; }

KV_LAYOUT_EXPORT int SDoAutoLayout(SSymAutoLayoutParam& param) {
  return Guarded([&] {
    kvl::LGraph graph;
    kvl::LSymbols symbols;
    kvl::LRequest request;
    if (const kvl::LStatus s = kvl::ReadRun(param, graph, symbols, request); s != kvl::LStatus::Ok) return Code(s);
    kvl::LResult result;
    if (const kvl::LStatus s = kvl::Lay(graph, request, result); s != kvl::LStatus::Ok) return Code(s);
    return kvl::WriteResult(graph, symbols, result);
  });
}

KV_LAYOUT_EXPORT int SDoEdgeRouting(SComBag<ISSymbol>& changed) {
  return Guarded([&] {
    if (changed.GetCount() == 0) return 0;
    if (!kvl::Routes()) return Code(kvl::LStatus::Unsupported);
    // Our own writes add symbols to the very bag being read: work on a copy.
    std::vector<SComWrap<ISSymbol>> copy;
    for (int i = 0; i < changed.GetCount(); ++i) copy.emplace_back(changed.GetAt(i));
    std::vector<ISSymDiagram*> diagrams;
    std::vector<SComOut<ISSymDiagram>> held(copy.size());
    for (size_t i = 0; i < copy.size(); ++i) {
      if (copy[i].IsNull() || FAILED(copy[i]->GetDiagram(&held[i])) || !held[i]) continue;
      if (std::find(diagrams.begin(), diagrams.end(), held[i].Get()) == diagrams.end()) diagrams.push_back(held[i].Get());
    }
    std::vector<ISSymbol*> touched;
    for (const auto& c : copy)
      if (!c.IsNull()) touched.push_back(c.Get());
    std::sort(touched.begin(), touched.end());
    TheCaches().BeginCall();
    for (ISSymDiagram* diagram : diagrams)
      if (const int w = RouteDiagram(diagram, touched); w != 0) return w;
    return 0;
  });
}

KV_LAYOUT_EXPORT int SDoUnsyncDiagram(ISSymDiagram* diagram) {
  return Guarded([&] {
    if (!diagram) return 0;
    SComWrap<ISRepObject, &IID_ISRepObject> object(diagram);
    if (object.IsNull() || object->IsDeleted()) TheCaches().Release(diagram);
    return 0;
  });
}

KV_LAYOUT_EXPORT int SDoRetrieveIntersections(SComBag<ISSymbol>& links, ISWeightedSymPointTableMap* out) {
  return Guarded([&] { return Crossings(links, out); });
}

namespace {
int Crossings(SComBag<ISSymbol>& links, ISWeightedSymPointTableMap* out) {
  if (!out) return 1;
  const int n = links.GetCount();
  TheCaches().BeginCall();
  // Each link's diagram and place in the set; the index of its diagram
  // takes its points (re-indexing it only when they changed).
  std::vector<kvl::CrossingIndex*> indexOf(static_cast<size_t>(n), nullptr);
  std::unordered_map<std::uint64_t, int> place;
  for (int i = 0; i < n; ++i) {
    ISSymbol* link = links.GetAt(i);
    if (!link) continue;
    SComWrap<ISSymPolyline> poly(link);
    SSymListPt pts;
    if (poly.IsNull() || FAILED(poly->GetListPt(pts))) continue;
    SComOut<ISSymDiagram> diagram;
    if (FAILED(link->GetDiagram(&diagram))) diagram = SComOut<ISSymDiagram>();
    kvl::CrossingIndex& index = TheCaches().Of(diagram.Get()).crossings;
    std::vector<kvl::LPoint> points;
    points.reserve(std::size_t(pts.GetCount()));
    for (int k = 0; k < pts.GetCount(); ++k) points.push_back({double(pts[k].x), double(pts[k].y)});
    index.Set(KeyOf(link), points);
    indexOf[static_cast<size_t>(i)] = &index;
    place[KeyOf(link)] = i;
  }
  for (int i = 0; i < n; ++i) {
    ISSymbol* link = links.GetAt(i);
    if (!link) continue;
    SSymCrossings found;
    if (const kvl::CrossingIndex* index = indexOf[static_cast<size_t>(i)]) {
      // The later link of the set carries the bridge.
      const auto over = [&place, i](std::uint64_t other) {
        const auto it = place.find(other);
        return it != place.end() && it->second < i;
      };
      for (const kvl::LCrossing& c : index->CrossingsOf(KeyOf(link), over))
        found.Add(SWeighted<SSymPoint, double>(SSymPoint(LONG(std::lround(c.at.x)), LONG(std::lround(c.at.y))), c.along));
    }
    out->SetAt(link, found);
  }
  return 0;
}
}  // namespace

// The library calls the entries through these types.
static_assert(std::is_same_v<decltype(&SResolveAssemblies), SResolveAssembliesFn>);
static_assert(std::is_same_v<decltype(&SIsAutoLayoutAvailable), SIsAutoLayoutAvailableFn>);
static_assert(std::is_same_v<decltype(&SDoAutoLayout), SDoAutoLayoutFn>);
static_assert(std::is_same_v<decltype(&SDoEdgeRouting), SDoEdgeRoutingFn>);
static_assert(std::is_same_v<decltype(&SDoRetrieveIntersections), SDoRetrieveIntersectionsFn>);
static_assert(std::is_same_v<decltype(&SDoUnsyncDiagram), SDoUnsyncDiagramFn>);
