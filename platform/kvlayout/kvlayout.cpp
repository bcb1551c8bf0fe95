// The layout engine's entry points that the diagram library calls: the
// crossings of a set of links, the automatic routing of links (not done by
// this engine: it answers "not routed"), and forgetting a diagram (this
// engine keeps nothing between calls, so there is nothing to forget).
//
// Crossings are found with a sweep over the links' segments ordered by their
// left end: a segment is only tested against the segments still open at that
// x, so sparse diagrams cost little more than the sort. Each crossing is given
// to the later link of the set (the one drawn over the other), weighted by its
// distance from the start of that link along its path.
#include <algorithm>
#include <cmath>
#include <vector>

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
  const double dxa = a.x2 - a.x1, dya = a.y2 - a.y1, dxb = b.x2 - b.x1, dyb = b.y2 - b.y1;
  const double den = dxa * dyb - dya * dxb;
  if (den == 0) return false;
  const double t = ((b.x1 - a.x1) * dyb - (b.y1 - a.y1) * dxb) / den;
  const double u = ((b.x1 - a.x1) * dya - (b.y1 - a.y1) * dxa) / den;
  constexpr double eps = 1e-9;
  if (t <= eps || t >= 1 - eps || u <= eps || u >= 1 - eps) return false;
  x = a.x1 + t * dxa;
  y = a.y1 + t * dya;
  ta = t;
  return true;
}
}  // namespace

KV_LAYOUT_EXPORT void SResolveAssemblies(int) {}

KV_LAYOUT_EXPORT int SDoEdgeRouting(SComBag<ISSymbol>&) { return 1; }

KV_LAYOUT_EXPORT void SDoUnsyncDiagram(ISSymDiagram*) {}

KV_LAYOUT_EXPORT int SDoRetrieveIntersections(SComBag<ISSymbol>& links, ISWeightedSymPointTableMap* out) {
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
