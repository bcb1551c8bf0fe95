// The predefined shape library: one outline object per shape type, shared by
// every symbol that shows the shape. A shape keeps nothing of a call: each
// operation gets the caller's rectangle (normalised, y growing upward, y1 the
// top edge), canvas and transparency.
//
// SSymShapePolygon describes its outline as a closed corner list;
// SSymShapePath builds it as a path on the canvas and hit-tests the path's
// region. The rest draw with the canvas primitives directly.
#pragma once

#include "kvcore/sstring.h"
#include "sym/foundation/symgeom.h"
#include "sym/foundation/symlistpt.h"
#include "sym/render/symcanv.h"
#include "win/windef.h"

class SSymCanvasView;

class SSymShape {
 public:
  SSymShape() = default;
  virtual ~SSymShape() = default;
  SSymShape(const SSymShape&) = delete;
  SSymShape& operator=(const SSymShape&) = delete;

  virtual int GetShapeType() const { return m_nType; }
  // The identifier text parsed; the null GUID when it is empty or no GUID.
  virtual GUID GetShapeGUID() const;
  // The display name: the part after the first line feed of the loaded
  // text, or the whole text when it has none; empty for name id 0.
  virtual SString GetShapeName() const;
  virtual int IsPolygonShape() const { return 0; }
  virtual int IsPathShape() const { return 0; }
  virtual void Draw(SSymCanvas&, const SSymRect&, int) {}
  virtual void DrawShadow(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
    Draw(canvas, rect, transparent);
  }
  virtual int GetPolygon(const SSymRect&, SSymListPt&) const { return 0; }
  virtual int BuildPath(SSymCanvas&, const SSymRect&) const { return 0; }
  // Selection handles: 1 with the handle index in *handle (-1 when none).
  virtual int IsPtInHandle(const SSymCanvas& canvas, const SSymRect& rect, int x, int y, int* handle) const;
  virtual int IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                          int transparent) const;
  virtual int IsLinkPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt,
                              int transparent) const {
    return IsPtInShape(canvas, rect, pt, nullptr, transparent);
  }
  virtual int GetIntersection(SSymCanvas* canvas, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const;
  virtual int GetIntersection(int* canAnswer, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const;
  // The text insets (left, top, right, bottom) in the rectangle's fields.
  virtual SSymRect GetMargin(const SSymRect&) const { return SSymRect(0, 0, 0, 0); }
  // Grows a text rectangle to the shape around it; 0 when not supported.
  virtual int AdjustRectToText(SSymRect&) const { return 0; }
  virtual int GetCapabilityA() const { return 0; }
  virtual int GetCapabilityB() const { return 0; }
  virtual int GetDefaultWidth() const { return m_nWidth; }
  virtual void SetDefaultWidth(int w) { m_nWidth = w; }
  virtual int GetDefaultHeight() const { return m_nHeight; }
  virtual void SetDefaultHeight(int h) { m_nHeight = h; }
  virtual int GetKeepRatio() const { return m_bKeepRatio; }
  virtual void SetKeepRatio(int k) { m_bKeepRatio = k; }
  virtual int GetSpareValue() const { return m_nSpare; }
  virtual void SetSpareValue(int v) { m_nSpare = v; }
  virtual void SetShapeType(int type) { m_nType = type; }

  const SString& GetIdentifierText() const { return m_strID; }
  UINT GetNameID() const { return m_nNameID; }

 protected:
  void SetIdentity(int type, const char* id, UINT nameId, int w, int h, int keepRatio = 0) {
    m_nType = type;
    m_strID = SString(id);
    m_nNameID = nameId;
    m_nWidth = w;
    m_nHeight = h;
    m_bKeepRatio = keepRatio;
  }
  // 6 x 6 device pixels in diagram units.
  static SSymSize HandleBox(const SSymCanvas& canvas);

  int m_nType = 0;
  SString m_strID;
  UINT m_nNameID = 0;
  int m_nWidth = 6000;
  int m_nHeight = 4800;
  int m_bKeepRatio = 0;
  int m_nSpare = 0;
};

class SSymShapePolygon : public SSymShape {
 public:
  int IsPolygonShape() const override { return 1; }
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  int IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                  int transparent) const override;
  using SSymShape::GetIntersection;
  int GetIntersection(int* canAnswer, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const override;
};

class SSymShapePath : public SSymShape {
 public:
  int IsPathShape() const override { return 1; }
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  int IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                  int transparent) const override;
  int GetIntersection(SSymCanvas* canvas, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const override;
  int GetIntersection(int* canAnswer, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const override;
};

// Inclusive extents of a normalised rectangle.
inline LONG ShapeW(const SSymRect& r) { return (r.x2 > r.x1 ? r.x2 - r.x1 : r.x1 - r.x2) + 1; }
inline LONG ShapeH(const SSymRect& r) { return (r.y1 > r.y2 ? r.y1 - r.y2 : r.y2 - r.y1) + 1; }
// Resizes about the centre to (w, h); a dimension of unchanged size keeps
// its edges.
void ShapeResize(SSymRect& r, LONG w, LONG h);

// ---- the general and flowchart shapes ----
#define KV_SHAPE_CAPS(a, b)                        \
  int GetCapabilityA() const override { return a; } \
  int GetCapabilityB() const override { return b; }

// The faces of a curved shape: drawn, hit, crossed and inset by its own
// curve rather than by a polygon.
#define KV_CURVED_SHAPE_FACES                                                                                       \
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;                                  \
  int IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part, int transparent) \
      const override;                                                                                             \
  using SSymShape::GetIntersection;                                                                               \
  int GetIntersection(int* canAnswer, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const override; \
  SSymRect GetMargin(const SSymRect& rect) const override;                                                        \
  int AdjustRectToText(SSymRect& rect) const override;

class SSymShapeRectangle : public SSymShape {
 public:
  SSymShapeRectangle();
  KV_SHAPE_CAPS(1, 1)
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};

class SSymShapeEllipse : public SSymShape {
 public:
  SSymShapeEllipse();
  KV_CURVED_SHAPE_FACES
};

class SSymShapeRoundRect : public SSymShape {
 public:
  SSymShapeRoundRect();
  KV_SHAPE_CAPS(1, 0)
  KV_CURVED_SHAPE_FACES
};

class SSymShapeOvale : public SSymShape {
 public:
  SSymShapeOvale();
  KV_SHAPE_CAPS(1, 0)
  KV_CURVED_SHAPE_FACES
};

// A polygon shape given by its corners and margins.
#define KV_POLYGON_SHAPE(Name, A, B)                                          \
  class Name : public SSymShapePolygon {                                       \
   public:                                                                     \
    Name();                                                                    \
    KV_SHAPE_CAPS(A, B)                                                        \
    int GetPolygon(const SSymRect& rect, SSymListPt& points) const override;   \
    SSymRect GetMargin(const SSymRect& rect) const override;                   \
    void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override; \
    int AdjustRectToText(SSymRect& rect) const override;                       \
  };
KV_POLYGON_SHAPE(SSymShapeTriangle1, 0, 0)
KV_POLYGON_SHAPE(SSymShapeTriangle2, 0, 0)
KV_POLYGON_SHAPE(SSymShapeParallelogram, 0, 0)
KV_POLYGON_SHAPE(SSymShapeTrapezoid, 0, 0)
KV_POLYGON_SHAPE(SSymShapeDiamond, 0, 0)
KV_POLYGON_SHAPE(SSymShapePentagon, 0, 0)
KV_POLYGON_SHAPE(SSymShapeHexagon, 0, 0)
KV_POLYGON_SHAPE(SSymShapeOctagon, 1, 0)
KV_POLYGON_SHAPE(SSymShapeStar5, 0, 0)
KV_POLYGON_SHAPE(SSymShapeStar6, 0, 0)
KV_POLYGON_SHAPE(SSymShapeManualInput, 1, 0)
KV_POLYGON_SHAPE(SSymShapeCard, 1, 0)
KV_POLYGON_SHAPE(SSymShapeConnector, 0, 0)
KV_POLYGON_SHAPE(SSymShapeFolder, 1, 0)
KV_POLYGON_SHAPE(SSymShapeFile, 1, 0)
KV_POLYGON_SHAPE(SSymShapeMultiRect, 1, 1)
KV_POLYGON_SHAPE(SSymShapeProcessArrow, 1, 0)

class SSymShape3DRectangle : public SSymShapePolygon {
 public:
  SSymShape3DRectangle();
  KV_SHAPE_CAPS(1, 1)
  int GetPolygon(const SSymRect& rect, SSymListPt& points) const override;
  SSymRect GetMargin(const SSymRect& rect) const override;
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  void DrawShadow(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  int AdjustRectToText(SSymRect& rect) const override;
  virtual int GetDepthDivisor() const { return m_nDivisor; }
  virtual void SetDepthDivisor(int v) { m_nDivisor = v; }
  virtual int GetLargestDepth() const { return m_nLargest; }
  virtual void SetLargestDepth(int v) { m_nLargest = v; }
  virtual int GetSmallestDepth() const { return m_nSmallest; }
  virtual void SetSmallestDepth(int v) { m_nSmallest = v; }
  // The depth of the faces for a rectangle.
  int GetDepth(const SSymRect& rect) const;

 protected:
  int m_nDivisor = 10;
  int m_nLargest = 800;
  int m_nSmallest = 10;
};

class SSymShapeCube : public SSymShape3DRectangle {
 public:
  SSymShapeCube();
  SSymRect GetMargin(const SSymRect& rect) const override;
  int AdjustRectToText(SSymRect& rect) const override;
};

// The rectangle drawn with inner lines.
class SSymShapePredefinedProcess : public SSymShapeRectangle {
 public:
  SSymShapePredefinedProcess();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  SSymRect GetMargin(const SSymRect& rect) const override;
};
class SSymShapeInternalStorage : public SSymShapeRectangle {
 public:
  SSymShapeInternalStorage();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  SSymRect GetMargin(const SSymRect& rect) const override;
};

class SSymShapeDocument : public SSymShapePath {
 public:
  SSymShapeDocument();
  KV_SHAPE_CAPS(1, 0)
  int BuildPath(SSymCanvas& canvas, const SSymRect& rect) const override;
  SSymRect GetMargin(const SSymRect& rect) const override;
  int AdjustRectToText(SSymRect& rect) const override;
};
class SSymShapeMultiDocument : public SSymShapeDocument {
 public:
  SSymShapeMultiDocument();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  int BuildPath(SSymCanvas& canvas, const SSymRect& rect) const override;
  SSymRect GetMargin(const SSymRect& rect) const override;
};

class SSymShapeDataStore : public SSymShapePath {
 public:
  SSymShapeDataStore();
  KV_SHAPE_CAPS(1, 0)
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  int BuildPath(SSymCanvas& canvas, const SSymRect& rect) const override;
  int IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                  int transparent) const override;
  SSymRect GetMargin(const SSymRect& rect) const override;
  int AdjustRectToText(SSymRect& rect) const override;
};

class SSymShapeActor : public SSymShapePath {
 public:
  SSymShapeActor();
  int BuildPath(SSymCanvas& canvas, const SSymRect& rect) const override;
};
class SSymShapeActress : public SSymShapePath {
 public:
  SSymShapeActress();
  int BuildPath(SSymCanvas& canvas, const SSymRect& rect) const override;
};

// The analysis shapes: an ellipse with a bar or lines; only the ellipse is
// hit and crossed.
class SSymShapeAnalysis : public SSymShape {
 public:
  int IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                  int transparent) const override;
  int GetIntersection(SSymCanvas* canvas, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const override;
  int GetIntersection(int* canAnswer, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const override;
  virtual SSymRect GetEllipseRect(const SSymRect& rect) const = 0;
};
class SSymShapeBoundaryObject : public SSymShapeAnalysis {
 public:
  SSymShapeBoundaryObject();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  SSymRect GetEllipseRect(const SSymRect& rect) const override;
};
class SSymShapeEntityObject : public SSymShapeAnalysis {
 public:
  SSymShapeEntityObject();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  SSymRect GetEllipseRect(const SSymRect& rect) const override;
};
class SSymShapeControlObject : public SSymShapeAnalysis {
 public:
  SSymShapeControlObject();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  SSymRect GetEllipseRect(const SSymRect& rect) const override;
};

// ---- the method-specific shapes ----
class SSymShapeXMLFile : public SSymShapeFile {
 public:
  SSymShapeXMLFile();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeFlatFile : public SSymShapeFile {
 public:
  SSymShapeFlatFile();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeDataAccApp : public SSymShapeRoundRect {
 public:
  SSymShapeDataAccApp();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeCnctData : public SSymShapeDataStore {
 public:
  SSymShapeCnctData();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeBussPrcs : public SSymShapeEllipse {
 public:
  SSymShapeBussPrcs();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeRlctPrcs : public SSymShapeRectangle {
 public:
  SSymShapeRlctPrcs();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeTrsfPrcs : public SSymShapeRectangle {
 public:
  SSymShapeTrsfPrcs();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeYourdon : public SSymShapeRectangle {
 public:
  SSymShapeYourdon();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeGane : public SSymShapeYourdon {
 public:
  SSymShapeGane();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeActor1 : public SSymShape {
 public:
  SSymShapeActor1();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeCompnt : public SSymShapeRectangle {
 public:
  SSymShapeCompnt();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  SSymRect GetMargin(const SSymRect& rect) const override;
  int AdjustRectToText(SSymRect& rect) const override;
};
class SSymShapeEnd : public SSymShapeEllipse {
 public:
  SSymShapeEnd();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeFlowEnd : public SSymShapeEnd {
 public:
  SSymShapeFlowEnd();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapePie : public SSymShape {
 public:
  SSymShapePie();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeInhrComp : public SSymShape {
 public:
  SSymShapeInhrComp();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeInhrIDEF : public SSymShape {
 public:
  SSymShapeInhrIDEF();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeInhrIDEFComp : public SSymShapeInhrIDEF {
 public:
  SSymShapeInhrIDEFComp();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeEnvelope : public SSymShapeRectangle {
 public:
  SSymShapeEnvelope();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
class SSymShapeERType : public SSymShapeRectangle {
 public:
  SSymShapeERType();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
  SSymRect GetMargin(const SSymRect& rect) const override;
  int AdjustRectToText(SSymRect& rect) const override;

 protected:
  static LONG PointDepth(const SSymRect& rect);
};
class SSymShapeRType : public SSymShapeERType {
 public:
  SSymShapeRType();
  void Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) override;
};
