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
//   SDoEdgeRouting           routes the links of the changed symbols' diagrams
//                            around the symbols (answers the router's status).
//   SDoRetrieveIntersections the crossings of a set of links.
//   SDoUnsyncDiagram         forgets a diagram (nothing is kept of one yet).
//
// The module is linked so that it stays in the process once loaded: the
// library loads and frees it for every call, and what the engine keeps
// between calls must survive that.
//
// Crossings are found with a sweep over the links' segments ordered by their
// left end: a segment is only tested against the segments still open at that
// x, so sparse diagrams cost little more than the sort. Each crossing is given
// to the later link of the set (the one drawn over the other), weighted by its
// distance from the start of that link along its path.
#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

#include "kvlayout/bridge/lsymbols.h"
#include "kvlayout/engine/routecache.h"
#include "sym/layout/symlayoutengine.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfrouter.h"

#define KV_LAYOUT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
struct Segment {
  int link;       // index in the set
  double x1, y1, x2, y2;
  double start;   // distance from the link's start to (x1, y1)
  double minX() const { return std::min(x1, x2); }
  double maxX() const { return std::max(x1, x2); }
};

// The crossing point of two segments, strictly inside both (touching ends do
// not cross); false for parallel segments.
bool Cross(const Segment& a, const Segment& b, double& x, double& y, double& ta) {
  kvl::LPoint at;
  if (!kvl::SegmentsCross({a.x1, a.y1}, {a.x2, a.y2}, {b.x1, b.y1}, {b.x2, b.y2}, at, ta)) return false;
  x = at.x;
  y = at.y;
  return true;
}
}  // namespace

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

// The crossings of the links, each given to the later link of the set.
int Crossings(SComBag<ISSymbol>& links, ISWeightedSymPointTableMap* out);
}  // namespace

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
    for (ISSymDiagram* diagram : diagrams) {
      kvl::LGraph graph;
      kvl::LSymbols symbols;
      if (const kvl::LStatus s = kvl::ReadDiagram(diagram, graph, symbols); s != kvl::LStatus::Ok) return Code(s);
      // The links that changed, and the links of the symbols that did.
      std::vector<int> which;
      auto changedOne = [&](ISSymbol* s) { return std::binary_search(touched.begin(), touched.end(), s); };
      for (std::size_t k = 0; k < graph.edges.size(); ++k) {
        const kvl::LEdge& e = graph.edges[k];
        if (changedOne(symbols.links[k]) || changedOne(symbols.nodes[std::size_t(e.from)]) ||
            changedOne(symbols.nodes[std::size_t(e.to)]))
          which.push_back(int(k));
      }
      if (which.empty()) continue;
      kvl::LResult result;
      if (const kvl::LStatus s = kvl::Route(graph, kvl::LRequest(), which, result); s != kvl::LStatus::Ok) return Code(s);
      if (const int w = kvl::WriteResult(graph, symbols, result); w != 0) return w;
    }
    return 0;
  });
}

KV_LAYOUT_EXPORT int SDoUnsyncDiagram(ISSymDiagram*) { return 0; }

KV_LAYOUT_EXPORT int SDoRetrieveIntersections(SComBag<ISSymbol>& links, ISWeightedSymPointTableMap* out) {
  return Guarded([&] { return Crossings(links, out); });
}

namespace {
int Crossings(SComBag<ISSymbol>& links, ISWeightedSymPointTableMap* out) {
  if (!out) return 1;
  const int n = links.GetCount();
  std::vector<Segment> segs;
  for (int i = 0; i < n; ++i) {
    ISSymbol* link = links.GetAt(i);
    if (!link) continue;
    SComWrap<ISSymPolyline> poly(link);
    if (poly.IsNull()) continue;
    SSymListPt pts;
    if (FAILED(poly->GetListPt(pts))) continue;
    double along = 0;
    for (int k = 0; k + 1 < pts.GetCount(); ++k) {
      Segment s{i, double(pts[k].x), double(pts[k].y), double(pts[k + 1].x), double(pts[k + 1].y), along};
      along += std::hypot(s.x2 - s.x1, s.y2 - s.y1);
      if (s.x1 == s.x2 && s.y1 == s.y2) continue;
      segs.push_back(s);
    }
  }
  std::sort(segs.begin(), segs.end(), [](const Segment& a, const Segment& b) { return a.minX() < b.minX(); });
  std::vector<SSymCrossings> found(static_cast<size_t>(n));
  std::vector<const Segment*> open;
  for (const Segment& s : segs) {
    const double left = s.minX();
    open.erase(std::remove_if(open.begin(), open.end(), [left](const Segment* o) { return o->maxX() < left; }),
               open.end());
    for (const Segment* o : open) {
      if (o->link == s.link) continue;
      if (std::max(o->y1, o->y2) < std::min(s.y1, s.y2) || std::min(o->y1, o->y2) > std::max(s.y1, s.y2)) continue;
      // The later link of the set carries the bridge.
      const Segment& over = o->link > s.link ? *o : s;
      const Segment& under = o->link > s.link ? s : *o;
      double x, y, t;
      if (!Cross(over, under, x, y, t)) continue;
      const double weight = over.start + t * std::hypot(over.x2 - over.x1, over.y2 - over.y1);
      found[static_cast<size_t>(over.link)].Add(
          SWeighted<SSymPoint, double>(SSymPoint(LONG(std::lround(x)), LONG(std::lround(y))), weight));
    }
    open.push_back(&s);
  }
  for (int i = 0; i < n; ++i)
    if (links.GetAt(i)) out->SetAt(links.GetAt(i), found[static_cast<size_t>(i)]);
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
