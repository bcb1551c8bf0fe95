// SSymPolygon: the closed, fillable point-list symbol. Its outline runs from
// the last point back to the first; it is filled with its brush unless
// transparent, may show a background picture, and draws the Bezier corner
// style as one closed curve. Links attach to it; it carries no arrowheads.
#pragma once

#include "sym/links/sympolybase.h"

class SSymPolygon : public SRepFaces<SSymPolygon, SSymPolyBase, ISSymBrush> {
  KV_SYM_DECLARE_POOL()

 public:
  KV_SYM_CLASS_TABLES()

  // A polygon without a session (temporary and catalogue figures).
  explicit SSymPolygon(const SSymListPt& pts);
  ~SSymPolygon() override;

  int GetSymbolType() override { return 2; }

  // ---- ISSymbol
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  // A filled polygon answers over its area.
  bool GetHitBoxes(std::vector<SSymRect>&, std::size_t&) override { return false; }
  HRESULT GetFormat(SSymFormatEx& format) override;
  HRESULT SetFormat(const SSymFormatEx& format) override;
  HRESULT Delete() override;
  // ---- ISSymLinkable
  BOOL IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink* link, int a) override;
  BOOL GetIntersection(const SSymSegment& segment, SSymPoint* out) override;
  // ---- ISSymShadow
  HRESULT DrawSymbol(SSymCanvas& canvas) override;
  HRESULT DrawShadow(SSymCanvas& canvas) override;
  // ---- ISSymPolyline: a polygon has no arrowheads
  LONG GetArrow(int) override { return SSymArrowType::None; }
  HRESULT SetArrow(int, LONG, int) override { return S_OK; }
  int CanChangeArrow() { return 0; }
  int AddSymArrow(int, long) override { return 0; }
  HRESULT SetSymArrow(int, long, int) override { return S_OK; }

  // ---- ISSymBrush
  const SSymBrush& GetBrush() override { return m_brush; }
  HRESULT SetBrush(const SSymBrush& brush, int redraw) override;
  int CanFill() override { return 1; }
  int GetFillMode() override { return (Flags & FlagTransparent) ? 0 : 1; }
  HRESULT SetFillMode(int transparent) override;
  GUID GetBackgroundPictureID() override;
  // 0 when the picture changed, 1 when nothing changed (the null id on a
  // polygon without a picture, or an id no picture has).
  HRESULT SetBackgroundPictureID(const GUID& id) override;
  SPictureInfo* GetBackgroundPicture() override { return m_brush.GetPicture(); }
  BOOL SetBackgroundPicture(SPictureInfo* picture) override;
  SString GetBackgroundPictureFile() override;
  // 0 when the picture changed, 1 when nothing changed (an empty path on a
  // polygon without a picture, or a file that cannot be read).
  HRESULT SetBackgroundPictureFile(const SString& file) override;

  // ---- SSymStd
  void DrawSymbolShape(SSymCanvas& canvas) override;
  // The older blob: the brush, then the standard symbol's blob.
  HRESULT OnSetBlobData(SInputStream& stream) override;

  // ---- properties: 0 when the value changed, 1 when it was the same
  bool OnGetTransparent() { return (Flags & FlagTransparent) != 0; }
  HRESULT OnSetTransparent(bool on);
  LONG GetFillColor() { return static_cast<LONG>(m_brush.m_color.GetColor()); }
  HRESULT SetFillColor(LONG color);
  LONG GetBrushStyle() { return m_brush.m_style; }
  // Keeps 1 to 8, stores 1 for anything else.
  HRESULT SetBrushStyle(LONG style);
  LONG GetGradientFillMode() { return m_brush.m_gradientMode; }
  HRESULT SetGradientFillMode(LONG mode);
  LONG GetGradientEndColor() { return static_cast<LONG>(m_brush.m_endColor.GetColor()); }
  HRESULT SetGradientEndColor(LONG color);
  LONG GetPictureFillMode() { return m_brush.m_bitmapMode; }
  HRESULT SetPictureFillMode(LONG mode);

  // The closed Bezier curve through the points: M, p1, ..., p(n-1), p0, M
  // with M the midpoint of p0 and p1.
  static SSymListPt ClosedBezier(const SSymListPt& pts);

  SSymBrush m_brush;

 protected:
  explicit SSymPolygon(ISRepSession* session, const CLSID& clsid = CLSID_SSymPolygon);
  SSymPolygon(const SSymPolygon& source);
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);

 private:
  void InitBrush();
  // The figure with the canvas's current pen and brush.
  void DrawFigure(SSymCanvas& canvas);
  // Records the attribute change in the open context; true when the value
  // must not be stored now (pending in a lockout).
  bool RecordAttr(LONG id, const SRepVariant& now, const SRepVariant& next);
  // Puts the picture into the brush and the fill modes that go with it.
  void TakePicture(SPictureInfo* picture);
};
