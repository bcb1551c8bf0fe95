#include "kvlayout/engine/dispatch.h"

#include "kvlayout/engine/pack.h"

// The styles are separate pieces of the engine, each in its own file; the
// dispatch takes those that are part of this build.
#if __has_include("kvlayout/engine/organic.h")
#include "kvlayout/engine/organic.h"
#define KVL_HAS_ORGANIC 1
#endif

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
bool PacksItself(LStyle style) { return style == LStyle::Organic; }

// The style's own placement. The styles are added here as they are built;
// until then a style answers Unsupported and the run writes nothing.
LStatus RunStyle([[maybe_unused]] const LGraph& graph, const LRequest& request, [[maybe_unused]] LResult& result) {
  switch (request.style) {
    case LStyle::Organic: {
#ifdef KVL_HAS_ORGANIC
      LOrganicOptions options;
      options.spacing = request.spacing;
      return LayoutOrganic(graph, options, result);
#else
      return LStatus::Unsupported;
#endif
    }
    case LStyle::Hierarchic:
    case LStyle::Orthogonal:
    case LStyle::Circular:
    case LStyle::Tree:
    case LStyle::Snowflake:
      return LStatus::Unsupported;
  }
  return LStatus::BadInput;
}
}  // namespace

bool HasStyle(LStyle style) {
#ifdef KVL_HAS_ORGANIC
  if (style == LStyle::Organic) return true;
#endif
  (void)style;
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

bool Routes() { return false; }

LStatus Route(const LGraph& graph, const LRequest& /*request*/, LResult& result) {
  if (const LStatus s = Validate(graph); s != LStatus::Ok) return s;
  KeepAll(graph, result);
  return LStatus::Unsupported;
}

}  // namespace kvl
