#include <cmath>

#include "kvlayout/bridge/lsymbols.h"
#include "sym/foundation/symlistpt.h"
#include "sym/layout/symlayoutmove.h"
#include "sym/symbol/symintfformat.h"

namespace kvl {

namespace {
bool Inside(double x, double y) {
  return std::isfinite(x) && std::isfinite(y) && std::abs(x) <= kLimit && std::abs(y) <= kLimit;
}

// The plug-in is linked without the library, so its comparisons of point
// lists are not at hand here.
bool Same(const SSymListPt& a, const SSymListPt& b) {
  if (a.GetCount() != b.GetCount()) return false;
  for (int i = 0; i < a.GetCount(); ++i)
    if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
  return true;
}

struct Move {
  ISSymbol* symbol;
  SSymSize offset;
};
struct RouteWrite {
  ISSymbol* link;
  SSymListPt points;
};

// What was written, taken back in reverse order when a symbol refuses.
class Journal {
 public:
  ~Journal() {
    if (m_kept) return;
    for (auto it = m_routes.rbegin(); it != m_routes.rend(); ++it)
      if (SComWrap<ISSymPolyline> poly(it->link); !poly.IsNull()) poly->SetListPt(it->points, 1, 0);
    for (auto it = m_moves.rbegin(); it != m_moves.rend(); ++it)
      SymLayoutMoveWhole(it->symbol, SSymSize(-it->offset.cx, -it->offset.cy));
  }
  void Moved(const Move& m) { m_moves.push_back(m); }
  void Routed(ISSymbol* link, const SSymListPt& before) { m_routes.push_back({link, before}); }
  void Keep() { m_kept = true; }

 private:
  std::vector<Move> m_moves;
  std::vector<RouteWrite> m_routes;
  bool m_kept = false;
};
}  // namespace

namespace {
// `routesOnly`: a re-routing writes the route of every edge the result has
// one for, whatever its ends, and moves no node (its nodes are all fixed);
// a layout writes no route between two nodes that stay, since such a link
// was not part of the run.
int Write(const LGraph& graph, const LSymbols& symbols, const LResult& result, bool routesOnly) {
  const size_t n = graph.nodes.size();
  if (result.centres.size() != n || result.routes.size() > graph.edges.size() || symbols.nodes.size() != n ||
      symbols.links.size() != graph.edges.size())
    return static_cast<int>(LStatus::BadInput);

  // Everything is checked before anything is written.
  std::vector<Move> moves;
  for (size_t i = 0; i < n; ++i) {
    const LNode& node = graph.nodes[i];
    if (node.fixed || routesOnly) continue;
    const LPoint c = result.centres[i];
    if (!std::isfinite(c.x) || !std::isfinite(c.y)) return static_cast<int>(LStatus::BadInput);
    const double dx = std::round(c.x - node.box.Centre().x), dy = std::round(c.y - node.box.Centre().y);
    if (!Inside(node.box.x0 + dx, node.box.y0 + dy) || !Inside(node.box.x1 + dx, node.box.y1 + dy))
      return static_cast<int>(LStatus::TooLarge);
    if (dx != 0 || dy != 0) moves.push_back({symbols.nodes[i], SSymSize(LONG(dx), LONG(dy))});
  }
  std::vector<RouteWrite> routes;
  for (size_t k = 0; k < result.routes.size(); ++k) {
    const std::vector<LPoint>& route = result.routes[k];
    const LEdge& edge = graph.edges[k];
    if (route.empty() || edge.keep == LRouteKeep::Route) continue;
    if (!routesOnly && graph.nodes[size_t(edge.from)].fixed && graph.nodes[size_t(edge.to)].fixed) continue;
    if (route.size() < 2) return static_cast<int>(LStatus::BadInput);
    SSymListPt points;
    for (const LPoint& p : route) {
      if (!Inside(p.x, p.y)) return static_cast<int>(std::isfinite(p.x) && std::isfinite(p.y) ? LStatus::TooLarge
                                                                                            : LStatus::BadInput);
      points.Add(SSymPoint(LONG(std::lround(p.x)), LONG(std::lround(p.y))));
    }
    routes.push_back({symbols.links[k], points});
  }

  // All nodes first (each drags its links along), then the routes.
  Journal journal;
  for (const Move& m : moves) {
    if (!SymLayoutMoveWhole(m.symbol, m.offset)) return kRefused;
    journal.Moved(m);
  }
  for (const RouteWrite& r : routes) {
    SComWrap<ISSymPolyline> poly(r.link);
    SSymListPt before;
    if (poly.IsNull() || FAILED(poly->GetListPt(before))) return kRefused;
    // A route that is already there records nothing.
    if (Same(before, r.points)) continue;
    if (FAILED(poly->SetListPt(r.points, 1, 0))) return kRefused;
    journal.Routed(r.link, before);
  }
  journal.Keep();
  return 0;
}
}  // namespace

int WriteResult(const LGraph& graph, const LSymbols& symbols, const LResult& result) {
  return Write(graph, symbols, result, false);
}

int WriteRoutes(const LGraph& graph, const LSymbols& symbols, const LResult& result) {
  return Write(graph, symbols, result, true);
}

}  // namespace kvl
