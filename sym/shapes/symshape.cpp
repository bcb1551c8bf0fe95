#include "sym/shapes/symshape.h"

#include <string>

#include "kvcore/smodulestate.h"
#include "kvlib/sshapenames.h"

GUID SSymShape::GetShapeGUID() const {
  GUID id{};
  if (m_strID.IsEmpty()) return id;
  if (!GuidFromString(std::u16string(m_strID.c_str()), &id)) return GUID{};
  return id;
}

SString SSymShape::GetShapeName() const {
  if (m_nNameID == 0) return SString();
  SString text;
  {
    SSetModuleState scope(SKvLibGetModuleState());
    text = LoadString(m_nNameID);
  }
  const int lf = text.Find(SString(u"\n"));
  if (!text.IsEmpty() && lf >= 0) return text.Mid(lf + 1);
  return text;
}

SSymSize SSymShape::HandleBox(const SSymCanvas& canvas) {
  SSymSize box = canvas.DPtoVP(SIZE{6, 6});
  if (box.cx < 0) box.cx = -box.cx;
  if (box.cy < 0) box.cy = -box.cy;
  return box;
}

namespace {
bool InBox(const SSymPoint& centre, const SSymSize& box, LONG x, LONG y) {
  const LONG hx = box.cx / 2, hy = box.cy / 2;
  return x >= centre.x - hx && x <= centre.x + hx && y >= centre.y - hy && y <= centre.y + hy;
}
SSymRect BoxAround(const SSymPoint& p, const SSymSize& box) {
  return SSymRect(p.x - box.cx / 2, p.y + box.cy / 2, p.x + box.cx / 2, p.y - box.cy / 2);
}
}  // namespace

int SSymShape::IsPtInHandle(const SSymCanvas& canvas, const SSymRect& rect, int x, int y, int* handle) const {
  if (!handle) return 0;
  const SSymSize box = HandleBox(canvas);
  SSymRect r = rect;
  // A miss leaves the part as it was: a walk over many symbols must not
  // answer a part of a symbol it did not hit.
  for (int i = 0; i < 8; ++i) {
    if (InBox(r.GetPoint(i), box, x, y)) {
      *handle = i;
      return 1;
    }
  }
  return 0;
}

int SSymShape::IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                           int transparent) const {
  if (IsPtInHandle(canvas, rect, pt.x, pt.y, part)) return 1;
  SSymRect r = rect;
  r.Normalize();
  if (!transparent) {
    if (r.PtInRect(pt)) {
      if (part) *part = -1;
      return 1;
    }
    return 0;
  }
  SSymRect outer = r;
  outer.Inflate(-75, -75);
  outer.Inflate(300, 300);
  SSymRect inner = r;
  inner.Inflate(-300, -300);
  if (inner.PtInRect(pt)) return 0;
  if (outer.PtInRect(pt)) {
    if (part) *part = -1;
    return 1;
  }
  return 0;
}

int SSymShape::GetIntersection(SSymCanvas*, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const {
  int canAnswer = 1;
  return GetIntersection(&canAnswer, rect, seg, at);
}

int SSymShape::GetIntersection(int*, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const {
  SSymRect r = rect;
  r.Normalize();
  return Intersects(seg, r, at) ? 1 : 0;
}

void ShapeResize(SSymRect& r, LONG w, LONG h) {
  const LONG W = ShapeW(r), H = ShapeH(r);
  if (w != W) {
    r.x1 -= (w - W) / 2;
    r.x2 = r.x1 + w - 1;
  }
  if (h != H) {
    r.y2 -= (h - H) / 2;
    r.y1 = r.y2 + h - 1;
  }
}

// ---- polygon shapes ----
void SSymShapePolygon::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  SSymListPt points;
  if (!GetPolygon(rect, points) || points.GetCount() <= 2) return;
  if (transparent)
    canvas.Polyline(points, 0);
  else
    canvas.Polygon(points);
}

int SSymShapePolygon::IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                                  int transparent) const {
  SSymListPt points;
  if (!GetPolygon(rect, points) || points.GetCount() < 3) return 0;
  const std::span<const SSymPoint> span(&points.GetAt(0), static_cast<size_t>(points.GetCount()));
  if (!transparent) {
    if (!IsPtInPolygon(pt, span)) return 0;
    if (part) *part = -1;
    return 1;
  }
  const SSymSize box = HandleBox(canvas);
  bool hit = false;
  if (part)
    for (int i = 0; i < points.GetCount() && !hit; ++i) hit = InBox(points.GetAt(i), box, pt.x, pt.y);
  if (!hit) {
    SSymRect around = BoxAround(pt, box);
    around.Normalize();
    for (int i = 0; i + 1 < points.GetCount() && !hit; ++i)
      hit = Intersects(SSymSegment(points.GetAt(i), points.GetAt(i + 1)), around, nullptr);
  }
  if (!hit) return 0;
  if (part) *part = -1;
  return 1;
}

int SSymShapePolygon::GetIntersection(int*, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const {
  SSymListPt points;
  if (!GetPolygon(rect, points) || points.GetCount() < 3) return 0;
  return IntersectsPolygon(seg, std::span<const SSymPoint>(&points.GetAt(0), static_cast<size_t>(points.GetCount())), at)
             ? 1
             : 0;
}

// ---- path shapes ----
void SSymShapePath::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  if (!BuildPath(canvas, rect)) return;
  if (transparent)
    canvas.StrokePath();
  else
    canvas.StrokeAndFillPath(rect);
}

namespace {
// The region of a shape's path on the canvas; null when no path was built.
struct PathRegion {
  HRGN rgn = nullptr;
  ~PathRegion() {
    if (rgn) DeleteObject(rgn);
  }
};
bool RegionHolds(HRGN rgn, POINT p) { return PtInRegion(rgn, p.x, p.y) != 0; }
}  // namespace

int SSymShapePath::IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                               int) const {
  // Building the path and turning it into a region leaves the canvas as it
  // was: the region consumes the path.
  SSymCanvas& c = const_cast<SSymCanvas&>(canvas);
  if (!BuildPath(c, rect)) return 0;
  PathRegion region;
  region.rgn = c.PathToRegion();
  if (!region.rgn) return 0;
  if (!RegionHolds(region.rgn, c.VPtoDP(pt))) return 0;
  if (part) *part = -1;
  return 1;
}

int SSymShapePath::GetIntersection(SSymCanvas* canvas, const SSymRect& rect, const SSymSegment& seg,
                                   SSymPoint* at) const {
  if (!canvas || !BuildPath(*canvas, rect)) return 0;
  PathRegion region;
  region.rgn = canvas->PathToRegion();
  if (!region.rgn) return 0;
  POINT a = canvas->VPtoDP(SSymPoint(seg.x1, seg.y1));
  POINT b = canvas->VPtoDP(SSymPoint(seg.x2, seg.y2));
  const bool inA = RegionHolds(region.rgn, a), inB = RegionHolds(region.rgn, b);
  if (inA == inB) return 0;
  POINT in = inA ? a : b, out = inA ? b : a;
  while (std::abs(in.x - out.x) > 1 || std::abs(in.y - out.y) > 1) {
    // 64-bit sums: device points far off the view must not overflow.
    const POINT mid{static_cast<LONG>((static_cast<long long>(in.x) + out.x) / 2),
                    static_cast<LONG>((static_cast<long long>(in.y) + out.y) / 2)};
    if (RegionHolds(region.rgn, mid))
      in = mid;
    else
      out = mid;
  }
  if (at) *at = canvas->DPtoVP(in);
  return 1;
}

int SSymShapePath::GetIntersection(int* canAnswer, const SSymRect&, const SSymSegment&, SSymPoint*) const {
  if (canAnswer) *canAnswer = 0;
  return 0;
}
