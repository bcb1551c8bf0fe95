#include "kvlayout/engine/dispatch.h"

#include "kvlayout/engine/pack.h"

#include "kvlayout/engine/circular.h"
#include "kvlayout/engine/layered.h"
#include "kvlayout/engine/organic.h"
#include "kvlayout/engine/orthogonal.h"
#include "kvlayout/engine/route.h"
#include "kvlayout/engine/tree.h"

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
