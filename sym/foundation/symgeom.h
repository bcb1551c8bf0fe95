// Geometry of the diagram space: points, sizes, rectangles, segments and
// matrices (y grows upward), with the hit tests and outline crossings that
// symbols build on.
#pragma once

#include <cstdint>
#include <span>

#include "kvcore/s2dmatrix.h"
#include "sym/foundation/symhitfaces.h"
#include "win/windef.h"

struct SSymPoint {
  LONG x = 0;
  LONG y = 0;
  SSymPoint() = default;
  SSymPoint(LONG x_, LONG y_) : x(x_), y(y_) {}
  // Euclidean distance, truncated toward zero.
  DWORD Distance(const SSymPoint& other) const;
  bool operator==(const SSymPoint&) const = default;
};

struct SSymSize {
  LONG cx = 0;
  LONG cy = 0;
  SSymSize() = default;
  SSymSize(LONG cx_, LONG cy_) : cx(cx_), cy(cy_) {}
  bool operator==(const SSymSize&) const = default;
};

struct SSymRect {
  LONG x1 = 0;
  LONG y1 = 0;
  LONG x2 = 0;
  LONG y2 = 0;
  SSymRect() = default;
  SSymRect(LONG x1_, LONG y1_, LONG x2_, LONG y2_) : x1(x1_), y1(y1_), x2(x2_), y2(y2_) {}

  LONG GetMinX() const { return x1 < x2 ? x1 : x2; }
  LONG GetMaxX() const { return x1 < x2 ? x2 : x1; }
  LONG GetMinY() const { return y1 < y2 ? y1 : y2; }
  LONG GetMaxY() const { return y1 < y2 ? y2 : y1; }
  // Inclusive extents: |x2 - x1| + 1 and |y1 - y2| + 1.
  LONG Width() const;
  LONG Height() const;
  SSymPoint GetCenter() const;

  SSymRect& Normalize();
  bool PtInRect(const SSymPoint& pt) const;
  bool IsDegenerate() const { return x1 == x2 && y1 == y2; }
  bool operator==(const SSymRect&) const = default;

  void SetWidth(LONG w);
  void SetHeight(LONG h);
  void SetSize(LONG cx, LONG cy) {
    SetWidth(cx);
    SetHeight(cy);
  }
  void SetCenter(const SSymPoint& pt);
  void OffsetRect(LONG dx, LONG dy);
  SSymRect& Inflate(LONG dx, LONG dy);
  // Normalises in place; 1 top-centre, 2 top-right, 3 right-middle,
  // 4 bottom-right, 5 bottom-centre, 6 bottom-left, 7 left-middle, 8 centre,
  // otherwise top-left.
  SSymPoint GetPoint(int i);

  SSymRect& operator&=(const SSymRect& other);
  SSymRect& operator|=(const SSymRect& other);
  bool ContainsRect(const SSymRect& r) const;
  // The intersection is not degenerate (a shared edge counts, a shared corner does not).
  bool Intersects(const SSymRect& other) const;
};

struct SSymSegment {
  LONG x1 = 0;
  LONG y1 = 0;
  LONG x2 = 0;
  LONG y2 = 0;
  SSymSegment() = default;
  SSymSegment(LONG x1_, LONG y1_, LONG x2_, LONG y2_) : x1(x1_), y1(y1_), x2(x2_), y2(y2_) {}
  SSymSegment(const SSymPoint& a, const SSymPoint& b) : x1(a.x), y1(a.y), x2(b.x), y2(b.y) {}
  SSymPoint Start() const { return {x1, y1}; }
  SSymPoint End() const { return {x2, y2}; }
  bool operator==(const SSymSegment&) const = default;

  // The segment crosses the 64-unit square around pt.
  bool Contains(const SSymPoint& pt) const;
  DWORD Distance(const SSymPoint& pt) const;
};

class SSymMatrix : public S2DMatrix {
 public:
  SSymMatrix() = default;
  SSymMatrix(const S2DMatrix& m) : S2DMatrix(m) {}
  static const SSymMatrix identity;

  void SetScaleX(LONG v) { m_m[0][0] = v; }
  void SetScaleY(LONG v) { m_m[1][1] = v; }
  void SetTranslationX(LONG v) { m_m[0][2] = v; }
  void SetTranslationY(LONG v) { m_m[1][2] = v; }
  // Maps the rectangle from onto the rectangle to.
  void SetTransform(const SSymRect& from, const SSymRect& to);
  // Rotation about c by the angle from p to q.
  void SetRotatePt(const SSymPoint& c, const SSymPoint& p, const SSymPoint& q);
  // Coordinates rounded half away from zero.
  SSymPoint Transform(const SSymPoint& pt) const;
  // Corners (x1, y2) and (x2, y1) transformed; not normalised.
  SSymRect Transform(const SSymRect& rect) const;
};

// Half away from zero, and toward zero, saturated to the 32-bit range.
LONG SSymRoundAway(double v);
LONG SSymTruncate(double v);
// The multiple of `step` (above 0) nearest to v, halves upward, saturated to
// the 32-bit range; v itself for a step of 0 or less.
LONG SSymSnapToStep(LONG v, LONG step);

SSymRect Union(const SSymRect& a, const SSymRect& b);
SSymRect Intersect(const SSymRect& a, const SSymRect& b);

// Region tests at 1/72 of the diagram resolution.
bool IsPtInEllipse(const SSymPoint& pt, const SSymRect& rect);
bool IsPtInRoundRect(const SSymPoint& pt, const SSymRect& rect, const SSymSize& corner);
bool IsPtInPolygon(const SSymPoint& pt, std::span<const SSymPoint> points);
// A chord of the curve through the points meets hitRect; index gets count + piece.
bool IsPtOnBezier(const SSymPoint& pt, std::span<const SSymPoint> points, const SSymRect& hitRect, int* index);

// Crossings; out (when given) receives the crossing found.
bool Intersects(const SSymSegment& a, const SSymSegment& b, SSymPoint* out);
bool Intersects(const SSymSegment& seg, const SSymRect& rect, SSymPoint* out);
bool IntersectsEllipse(const SSymSegment& seg, const SSymRect& rect, SSymPoint* out);
bool IntersectsEllipse(const SSymRect& rect, const SSymRect& ellipseRect, SSymPoint* out);
bool IntersectsEllipse(const SSymRect& rect, const SSymRect& ellipseRect, SSymPoint* out, const SSymPoint& start,
                       const SSymPoint& end);
bool IntersectsPolygon(const SSymSegment& seg, std::span<const SSymPoint> points, SSymPoint* out);
bool IntersectsRoundRect(const SSymSegment& seg, const SSymRect& rect, SSymPoint* out, const SSymSize& corner);

// Picture symbols.
bool IsPtInPicture(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                   const SSymPoint& pt);
bool IsPtInBitmap(const ISSymHitPicture* picture, const SSymRect& rect, const SSymPoint& pt, bool alpha);
bool IsPtInBitmap(const SSymPixelImage& bitmap, const SSymRect& rect, const SSymPoint& pt, bool alpha);
bool IsPtInIcon(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                const SSymPoint& pt);
bool IsPtInMetaFile(const ISSymHitPicture* picture, const SSymRect& rect, const SSymPoint& pt);
bool IntersectsPicture(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                       const SSymSegment& seg, SSymPoint* out);
bool IntersectsBitmap(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                      const SSymSegment& seg, SSymPoint* out);
bool IntersectsBitmap(const ISSymHitCanvas* canvas, const SSymPixelImage& bitmap, const SSymRect& rect,
                      const SSymSegment& seg, SSymPoint* out);
bool IntersectsIcon(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                    const SSymSegment& seg, SSymPoint* out);
bool IntersectsMetaFile(const ISSymHitCanvas* canvas, const ISSymHitPicture* picture, const SSymRect& rect,
                        const SSymSegment& seg, SSymPoint* out);

// The same over the picture records of the picture manager, and a GDI+ bitmap.
class SPictureInfo;
namespace Gdiplus {
class Bitmap;
}
bool IsPtInPicture(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect, const SSymPoint& pt);
bool IsPtInBitmap(SPictureInfo* picture, const SSymRect& rect, const SSymPoint& pt, bool alpha);
bool IsPtInBitmap(Gdiplus::Bitmap* bitmap, const SSymRect& rect, const SSymPoint& pt, bool alpha);
bool IsPtInIcon(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect, const SSymPoint& pt);
bool IsPtInMetaFile(SPictureInfo* picture, const SSymRect& rect, const SSymPoint& pt);
bool IntersectsPicture(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect,
                       const SSymSegment& seg, SSymPoint* out);
bool IntersectsBitmap(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect,
                      const SSymSegment& seg, SSymPoint* out);
bool IntersectsBitmap(const ISSymHitCanvas* canvas, Gdiplus::Bitmap* bitmap, const SSymRect& rect,
                      const SSymSegment& seg, SSymPoint* out);
bool IntersectsIcon(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect,
                    const SSymSegment& seg, SSymPoint* out);
bool IntersectsMetaFile(const ISSymHitCanvas* canvas, SPictureInfo* picture, const SSymRect& rect,
                        const SSymSegment& seg, SSymPoint* out);

// The symbol size for a picture of pictureSize pixels.
SSymSize ComputePictureSymbolSize(const ISSymPixelScale& scale, const SSymSize& size, const SSymSize& pictureSize);
