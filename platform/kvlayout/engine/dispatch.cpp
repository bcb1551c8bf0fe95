#include "kvlayout/engine/dispatch.h"

#include "kvlayout/engine/pack.h"

#include "kvlayout/engine/circular.h"
#include "kvlayout/engine/layered.h"
#include "kvlayout/engine/organic.h"
#include "kvlayout/engine/orthogonal.h"
#include "kvlayout/engine/route.h"
#include "kvlayout/engine/tree.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kvl {

namespace {
// Every node where it stands, every route left as it is.
void KeepAll(const LGraph& graph, LResult& result) {
  result.centres.clear();
  for (const LNode& n : graph.nodes) result.centres.push_back(n.box.Centre());
  result.routes.assign(graph.edges.size(), {});
  result.reversed.assign(graph.edges.size(), 0);
}

// Styles that pack their own components (packing again would undo how they
// keep clear of the nodes that stay).
// The orthogonal style packs before it routes, so that its routes keep
// clear of the other components too.
bool PacksItself(LStyle style) {
  return style == LStyle::Organic || style == LStyle::Hierarchic || style == LStyle::Orthogonal;
}

// A drawing laid out again stays where it stood: when at least half of the
// nodes keep their places once the whole drawing is moved by the median of
// the nodes' moves, it is moved so, provided nothing leaves the drawing area.
// Drawings with nodes that stay are left as packed (they go beside them).
void StandWhereItStood(const LGraph& graph, LResult& result) {
  std::vector<double> dxs, dys;
  for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
    if (graph.nodes[i].fixed) return;
    const LPoint was = graph.nodes[i].box.Centre();
    dxs.push_back(was.x - result.centres[i].x);
    dys.push_back(was.y - result.centres[i].y);
  }
  if (dxs.size() < 2) return;
  auto median = [](std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
  };
  const double dx = median(dxs), dy = median(dys);
  std::size_t still = 0;
  for (std::size_t i = 0; i < dxs.size(); ++i) still += std::hypot(dxs[i] - dx, dys[i] - dy) <= 1;
  if (2 * still < dxs.size()) return;
  auto inside = [&](double x0, double y0, double x1, double y1) {
    return x0 + dx >= -kLimit && x1 + dx <= kLimit && y0 + dy >= -kLimit && y1 + dy <= kLimit;
  };
  for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
    const LBox& b = graph.nodes[i].box;
    const LPoint& c = result.centres[i];
    if (!inside(c.x - b.Width() / 2, c.y - b.Height() / 2, c.x + b.Width() / 2, c.y + b.Height() / 2)) return;
  }
  for (const auto& r : result.routes)
    for (const LPoint& p : r)
      if (!inside(p.x, p.y, p.x, p.y)) return;
  for (LPoint& c : result.centres) c = {c.x + dx, c.y + dy};
  for (auto& r : result.routes)
    for (LPoint& p : r) p = {p.x + dx, p.y + dy};
}

// The style's own placement.
LStatus RunStyle(const LGraph& graph, const LRequest& request, LResult& result) {
  switch (request.style) {
    case LStyle::Organic: {
      LOrganicOptions options;
      options.spacing = request.spacing;
      return LayoutOrganic(graph, options, result);
    }
    case LStyle::Hierarchic: {
      LLayeredOptions options;
      options.spacing = request.spacing;
      options.orientation = request.orientation;
      return LayoutLayered(graph, options, result);
    }
    case LStyle::Tree:
      return LayoutTree(graph, {request.spacing, request.orientation}, result);
    case LStyle::Snowflake:
      return LayoutSnowflake(graph, request.spacing, result);
    case LStyle::Circular: {
      LCircularOptions options;
      options.spacing = request.spacing;
      options.oneCircle = request.oneCircle;
      return LayoutCircular(graph, options, result);
    }
    case LStyle::Orthogonal: {
      LOrthogonalOptions options;
      options.spacing = request.spacing;
      options.orientation = request.orientation;
      return LayoutOrthogonal(graph, options, result);
    }
  }
  return LStatus::BadInput;
}
}  // namespace

bool HasStyle(LStyle style) {
  switch (style) {
    case LStyle::Hierarchic:
    case LStyle::Organic:
    case LStyle::Orthogonal:
    case LStyle::Circular:
    case LStyle::Tree:
    case LStyle::Snowflake:
      return true;
  }
  return false;
}

LStatus Lay(const LGraph& graph, const LRequest& request, LResult& result) {
  if (const LStatus s = Validate(graph); s != LStatus::Ok) return s;
  KeepAll(graph, result);
  if (!request.keepNodes) {
    if (const LStatus s = RunStyle(graph, request, result); s != LStatus::Ok) return s;
    if (PacksItself(request.style)) return LStatus::Ok;
    if (const LStatus s = Pack(graph, request.spacing, result); s != LStatus::Ok) return s;
    StandWhereItStood(graph, result);
    return LStatus::Ok;
  }
  return Pack(graph, request.spacing, result);
}

bool Routes() { return true; }

LStatus Route(const LGraph& graph, const LRequest& request, const std::vector<int>& which, LResult& result) {
  if (const LStatus s = Validate(graph); s != LStatus::Ok) return s;
  KeepAll(graph, result);
  if (which.empty()) return LStatus::Ok;
  LRouteOptions options;
  options.spacing = request.spacing;
  return RouteOrthogonal(graph, which, options, result.routes);
}

}  // namespace kvl
