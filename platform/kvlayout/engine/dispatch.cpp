#include "kvlayout/engine/dispatch.h"

#include "kvlayout/engine/pack.h"

namespace kvl {

namespace {
// Every node where it stands, every route left as it is.
void KeepAll(const LGraph& graph, LResult& result) {
  result.centres.clear();
  for (const LNode& n : graph.nodes) result.centres.push_back(n.box.Centre());
  result.routes.assign(graph.edges.size(), {});
  result.reversed.assign(graph.edges.size(), 0);
}

// The style's own placement. The styles are added here as they are built;
// until then a style answers Unsupported and the run writes nothing.
LStatus RunStyle(const LGraph& /*graph*/, const LRequest& request, LResult& /*result*/) {
  switch (request.style) {
    case LStyle::Hierarchic:
    case LStyle::Organic:
    case LStyle::Orthogonal:
    case LStyle::Circular:
    case LStyle::Tree:
    case LStyle::Snowflake:
      return LStatus::Unsupported;
  }
  return LStatus::BadInput;
}
}  // namespace

LStatus Lay(const LGraph& graph, const LRequest& request, LResult& result) {
  if (const LStatus s = Validate(graph); s != LStatus::Ok) return s;
  KeepAll(graph, result);
  if (!request.keepNodes) {
    if (const LStatus s = RunStyle(graph, request, result); s != LStatus::Ok) return s;
  }
  return Pack(graph, request.spacing, result);
}

bool Routes() { return false; }

LStatus Route(const LGraph& graph, const LRequest& /*request*/, LResult& result) {
  if (const LStatus s = Validate(graph); s != LStatus::Ok) return s;
  KeepAll(graph, result);
  return LStatus::Unsupported;
}

}  // namespace kvl
