#include "kvlayout/engine/lgraph.h"

#include <cmath>

namespace kvl {

namespace {
bool Finite(const LPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }
}  // namespace

LStatus Validate(const LGraph& graph) {
  for (const LNode& n : graph.nodes) {
    const LBox& b = n.box;
    if (!std::isfinite(b.x0) || !std::isfinite(b.y0) || !std::isfinite(b.x1) || !std::isfinite(b.y1))
      return LStatus::BadInput;
    if (b.x1 < b.x0 || b.y1 < b.y0) return LStatus::BadInput;
  }
  const auto count = static_cast<long long>(graph.nodes.size());
  for (const LEdge& e : graph.edges) {
    if (e.from < 0 || e.to < 0 || e.from >= count || e.to >= count) return LStatus::BadInput;
    for (const LPoint& p : e.points)
      if (!Finite(p)) return LStatus::BadInput;
  }
  return LStatus::Ok;
}

}  // namespace kvl
