// SSymCanvas: the one drawing surface of the library. Diagram coordinates
// (1/7200 inch, y upward) are mapped to device pixels (y downward) by the
// scaler; drawing happens only between Lock and Unlock; pens, brushes and
// fonts are realised once per scale and kept in caches.
#pragma once

#include <cstdint>
#include <vector>

#include "kvcore/s2dmatrix.h"
#include "kvcore/sdc.h"
#include "kvcore/sdrawbackground.h"
#include "kvcore/sgdiobj.h"
#include "kvcore/sobject.h"
#include "kvcore/spicture.h"
#include "kvcore/stree.h"
#include "sym/foundation/symgeom.h"
#include "sym/foundation/symlistpt.h"
#include "sym/foundation/symprefwrap.h"
#include "sym/foundation/symvalues.h"
#include "sym/foundation/symweighted.h"
#include "win/gdiplus.h"
#include "win/wingdi.h"

class SSymCanvas;
struct IViewObject;
class SSymView;  // the diagram window (diagram subsystem), reached through ISSymViewSite

// ---- the conversion interface ------------------------------------------------------

// Conversions between diagram units and device pixels, and invalidation of
// what a canvas shows. Every canvas implements it.
class SLibScale {
 public:
  virtual ~SLibScale() = default;
  virtual SIZE VPtoDP(SSymSize s) const = 0;
  virtual RECT VPtoDP(SSymRect r) const = 0;
  virtual POINT VPtoDP(SSymPoint p) const = 0;
  virtual SSymSize DPtoVP(SIZE s) const = 0;
  virtual SSymRect DPtoVP(RECT r) const = 0;
  virtual SSymPoint DPtoVP(POINT p) const = 0;
  virtual void Invalidate(int erase) = 0;
  virtual void InvalidateRectLP(const SSymRect& r, int erase) = 0;
  virtual void InvalidateRectDP(const RECT& r, int erase) = 0;
  virtual SSymRect GetViewportVP() const = 0;
  virtual RECT GetViewportDP() const = 0;
};

// The transform pair between diagram units and device pixels. A plain value.
class SSymCanvasScaler {
 public:
  SSymCanvasScaler();

  // Builds both transforms from the canvas's scale, visible rectangle and
  // device origin.
  void Setup(const SSymCanvas& canvas);
  int IsInitialize() const { return m_bInit; }
  // Moves diagram points by d before they are scaled.
  void TranslateVP(SSymSize d);

  POINT VPtoDP(SSymPoint p) const;
  SIZE VPtoDP(SSymSize s) const;
  RECT VPtoDP(const SSymRect& r) const;
  RECT VPtoDPRect(const SSymRect& r) const;  // right and bottom + 1
  SSymPoint DPtoVP(POINT p) const;
  SSymSize DPtoVP(SIZE s) const;
  SSymSize DPtoVP(const SIZE& s, int) const = delete;
  SSymRect DPtoVP(const RECT& r) const;
  SSymRect DPtoVPRect(const RECT& r) const;  // far corner (right - 1, bottom - 1)
  Gdiplus::Point VPtoGdiDP(SSymPoint p) const;
  Gdiplus::Rect VPtoGdiDP(const SSymRect& r) const;
  SIZE VPtoGdiDP(SSymSize s) const { return VPtoDP(s); }
  SSymPoint GdiDPtoVP(const Gdiplus::Point& p) const;
  SSymRect GdiDPtoVP(const Gdiplus::Rect& r) const;
  SSymSize GdiDPtoVP(SIZE s) const { return DPtoVP(s); }

  double GetScaleX() const { return m_scaleX; }
  double GetScaleY() const { return m_scaleY; }
  const S2DMatrix& GetDPtoVP() const { return m_dp2vp; }
  const S2DMatrix& GetVPtoDP() const { return m_vp2dp; }

  S2DMatrix m_dp2vp;
  S2DMatrix m_vp2dp;
  double m_scaleX = 0.0;
  double m_scaleY = 0.0;
  int m_bInit = 0;

 private:
  // Corners converted with the precise-mode shift of the second corner.
  void Corners(const S2DMatrix& m, double ax, double ay, double bx, double by, LONG out[4], bool device) const;
};

// Cache key orders: every field of the value takes part.
struct SSymPenOrder {
  int operator()(const SSymPen& a, const SSymPen& b) const;
};
struct SSymBrushOrder {
  int operator()(const SSymBrush& a, const SSymBrush& b) const;
};
struct SSymFontOrder {
  int operator()(const SSymFont& a, const SSymFont& b) const;
};

// One wrapped line: its width in diagram units and its text.
struct SWrapLine {
  int m_nWidth = 0;
  SString m_strText;
};

class SSymCanvas : public SObject, public SLibScale {
 public:
  // ---- class constants ----
  static const double ResDPI;
  static const double ScaleMin;
  static const double ScaleMax;
  static const double ScaleNorm;
  static const int MinX;
  static const int MaxX;
  static const int MinY;
  static const int MaxY;
  static const int SizeX;
  static const int SizeY;

  // A platform font and its metrics, as realised on the canvas's context.
  struct FontLine {
    SFont m_font;
    TEXTMETRICW m_tm{};
  };
  using PenCache = SPtrOwnMap<SSymPen, SPen, SSymPenOrder>;
  using BrushCache = SPtrOwnMap<SSymBrush, SBrush, SSymBrushOrder>;
  using FontCache = SPtrOwnMap<SSymFont, FontLine, SSymFontOrder>;

  // The selection-handle painter every canvas carries: 6 x 6 pixel boxes
  // drawn by inverting the pixels under them.
  class SSymHandle {
   public:
    SSymHandle();
    void SetupDC(SDC* dc);
    void RestoreDC(SDC* dc);
    void HatchRect(SDC* dc, const RECT& r);
    // Centres the handle box on p and draws it.
    void Draw(SDC* dc, POINT p);

    RECT m_rect = {-3, -3, 3, 3};
    int m_halfX = 3;
    int m_halfY = 3;
    SPen m_pen;
    HGDIOBJ m_oldPen = nullptr;
    SBrush m_brush;
    HGDIOBJ m_oldBrush = nullptr;
    int m_oldRop = 0;
    SPen m_hatchPen;
    SBrush m_hatchBrush;
  };

  ~SSymCanvas() override;
  SSymCanvas(const SSymCanvas&) = delete;
  SSymCanvas& operator=(const SSymCanvas&) = delete;

  // ---- pens, brushes, fonts ----
  virtual void SetPen(const SSymPen& pen);
  virtual int GetPen(SSymPen& pen) const;
  virtual void SetBrush(const SSymBrush& brush, int dark);
  virtual int GetBrush(SSymBrush& brush) const;
  virtual void SetFont(const SSymFont& font);
  virtual int GetFont(SSymFont& font) const;
  virtual void SetFontColor(SSymColor color);
  virtual SSymBrush GetBkBrush();
  virtual void SetBkBrush(const SSymBrush& brush);
  virtual SPrefDataWrap GetDataWrap();
  virtual void SetDataWrap(SPrefDataWrap& wrap);
  virtual SIZE GetFontSize(SSymCanvasScaler& scaler, LOGFONTW& lf);

  virtual SSymView* GetView() { return nullptr; }
  virtual int IsLocked() { return m_bLocked; }
  virtual int HasBackgroundBitmap() { return 0; }
  virtual int GetCanvasType() { return 0; }

  // ---- drawing ----
  virtual void SetPixel(const SSymPoint& p, unsigned long color);
  virtual void Line(const SSymPoint& a, const SSymPoint& b);
  virtual void Arc(const SSymRect& r, const SSymPoint& start, const SSymPoint& end);
  virtual void Pie(const SSymRect& r, const SSymPoint& start, const SSymPoint& end, const SSymRect& area);
  virtual void Ellipse(const SSymRect& r);
  virtual void Oval(const SSymRect& r);
  virtual void Rectangle(const SSymRect& r);
  virtual void RoundRect(const SSymRect& r, const SSymSize& corner);
  virtual void FillRect(const SSymRect& r, const SSymBrush& brush);
  virtual void FocusRect(const SSymRect& r);
  virtual void Polyline(const SSymListPt& pts, int to);
  virtual SSymListPt PolylineWithBridges(const SSymListPt& pts, const STable<SWeighted<SSymPoint, double>>& crossings,
                                         int radius, int rounded);
  virtual void RoundPolyline(const SSymListPt& pts);
  virtual void PolyBezier(const SSymListPt& pts, int to, int exact);
  virtual void Polygon(const SSymListPt& pts);

  virtual void DrawPicture(const SSymRect& r, SPictureInfo* pic, int flag);
  virtual void DrawImage(const SSymRect& r, Gdiplus::Image* image, SPictureInfo* pic);
  virtual void DrawIcon(const SSymRect& r, SIconFile* icon, SPictureInfo* pic);
  virtual void DrawIcon(const SSymRect& r, HICON icon, unsigned flags);
  virtual void DrawCursor(const SSymRect& r, SCursorFile* cursor, SPictureInfo* pic);
  virtual void DrawBitmap(const SSymRect& r, SBitmap* bitmap);
  virtual void DrawMetaFile(const SSymRect& r, const SMetaFile& mf);
  // Draws an OLE object through its view object in r (no view object: the
  // object is not drawn); an object that is open in its server's own window
  // is hatched over, as users know it from every OLE container.
  virtual void DrawViewObject(const SSymRect& r, IViewObject* view, DWORD aspect, LONG index, int open);

  // ---- text ----
  virtual void DrawText(const SSymRect& r, const SString& text, int style);
  virtual void DrawRtfText(const SSymRect& r, const SString& rtf, int first, int last, int* end);

  virtual void DrawBackground(SDrawBackground& painter, const RECT& r, int erase, int picture);
  virtual void DrawBackground(SDrawBackground& painter, const SSymRect& shape, const SSymRect& clip, int erase,
                              int picture);
  virtual int UseFillEffect();

  virtual int GetTextWidth(const SString& text, const SSymFont& font);
  virtual int GetTextHeight(const SString& text, const SSymFont& font);
  virtual int GetTextHeight(const SString& text, int style, int width);
  virtual int GetTextHeight(const SString& text);
  virtual SSymSize GetTextExtent(const SString& text, const SSymFont& font);
  virtual SSymSize GetTextExtent(const SString& text);
  virtual SSymSize GetWrapTextExtent(const SString& text, const SSymFont& font, int width);
  virtual SSymSize GetWrapTextExtent(const SString& text, int width);
  virtual SSymSize GetTruncTextExtent(const SString& text, const SSymFont& font, int width);
  virtual SSymSize GetTruncTextExtent(const SString& text, int width);
  virtual SSymSize GetRTFTextExtent(const SString& rtf, int width, int a, int b);
  virtual int GetRTFTextLength(const SString& rtf, int width, int height, int first);
  virtual int RTFToEMF(SMetaFile& mf, const SString& rtf, const SSymRect& r, int first, int last, int* end,
                       const char16_t* file);

  // ---- handles ----
  virtual void DrawHandle(const SSymPoint& p);
  virtual void DrawHandles(const SSymRect& r);
  SSymSize GetHandleSize();
  int HitTestHandles(const SSymRect& r, int* index, const SSymPoint& pt);
  SSymHandle& GetHandle() { return m_handle; }

  // ---- coordinates ----
  virtual void OffsetViewport(SSymSize d);
  virtual void SetSizeDP(SIZE size);
  void SetViewportRect(RECT& r);
  Gdiplus::Point VPtoGdiDP(SSymPoint p) const { return m_scaler.VPtoGdiDP(p); }
  Gdiplus::Rect VPtoGdiDP(const SSymRect& r) const { return m_scaler.VPtoGdiDP(r); }
  SIZE VPtoGdiDP(SSymSize s) const { return m_scaler.VPtoGdiDP(s); }
  SSymPoint GdiDPtoVP(const Gdiplus::Point& p) const { return m_scaler.GdiDPtoVP(p); }
  SSymRect GdiDPtoVP(const Gdiplus::Rect& r) const { return m_scaler.GdiDPtoVP(r); }
  SSymSize GdiDPtoVP(SIZE s) const { return m_scaler.GdiDPtoVP(s); }
  RECT VPtoDPRect(const SSymRect& r) const { return m_scaler.VPtoDPRect(r); }
  SSymRect DPtoVPRect(const RECT& r) const { return m_scaler.DPtoVPRect(r); }

  // SLibScale
  SIZE VPtoDP(SSymSize s) const override { return m_scaler.VPtoDP(s); }
  RECT VPtoDP(SSymRect r) const override { return m_scaler.VPtoDP(r); }
  POINT VPtoDP(SSymPoint p) const override { return m_scaler.VPtoDP(p); }
  SSymSize DPtoVP(SIZE s) const override { return m_scaler.DPtoVP(s); }
  SSymRect DPtoVP(RECT r) const override { return m_scaler.DPtoVP(r); }
  SSymPoint DPtoVP(POINT p) const override { return m_scaler.DPtoVP(p); }
  void Invalidate(int) override {}
  void InvalidateRectLP(const SSymRect&, int) override {}
  void InvalidateRectDP(const RECT&, int) override {}
  SSymRect GetViewportVP() const override;
  RECT GetViewportDP() const override;

  // ---- paths ----
  virtual int BeginPath();
  virtual int EndPath();
  virtual int AbortPath();
  virtual int CloseFigure();
  virtual int FillPath(const SSymRect& r);
  virtual int StrokeAndFillPath(const SSymRect& r);
  virtual int StrokePath();
  virtual int FlattenPath();
  virtual int WidenPath();
  virtual int GetPath(POINT* pts, unsigned char* types, int count) const;
  virtual HRGN PathToRegion();
  virtual int IsDrawingPath() { return m_bDrawingPath; }
  virtual SDC* GetCanvasDC() { return m_pDC; }
  virtual HDC GetCanvasHDC() { return m_pDC ? m_pDC->GetSafeHdc() : nullptr; }

  // ---- zoom ----
  void ZoomRect(const SSymRect& r);
  void ZoomOutRect(const SSymRect& r);
  void ZoomRectNoMargin(const SSymRect& r);
  double GetZoom() const { return m_dZoom; }
  int GetZoomLevel() const { return m_nZoom; }
  SSymPoint GetViewCenter() const { return m_ptCenter; }
  double GetScaleX() const { return m_scaleX; }
  double GetScaleY() const { return m_scaleY; }
  SIZE GetSizeDP() const { return m_sizeDP; }
  SIZE GetSizeVP() const { return m_sizeVP; }

  static int GetPreciseMode();
  static int SetPreciseMode(int mode);
  // Releases the shared off-screen context and bitmap (at unload).
  static void TerminateSharedDC();
  // Size of the shared off-screen bitmap (0 x 0 while there is none).
  static SIZE GetSharedBitmapSize();

  // Test hooks: forget the "DisableGDIDraw" setting read so far (the next
  // line drawing reads it again), and fail the next off-screen bitmaps.
  static void ResetDisableGDIDraw();
  static void SetFailOffScreenBitmap(bool fail);

  // ---- public state ----
  int m_bColor = 1;
  // In black-and-white output (colour flag clear), every brush but a hollow
  // one is the stock black brush while this is set (filled arrowheads).
  int m_bBlackFill = 0;
  // Non-zero: the end-mark shapes draw only their outer circle.
  int m_nFlags = 0;
  int m_bDrawShadow = 0;
  int m_bOffScreen = 0;
  RECT m_rcCopy = {0, 0, 0, 0};
  int m_bFillText = 0;
  SSymCanvasScaler m_scaler;
  SSymCanvasScaler m_scalerSave;
  SSymCanvasScaler m_scalerInit;

  friend class SSymCanvasScaler;
  friend class SCanvasClipRgn;

  KV_DECLARE_CLASSINFO()

 protected:
  // Runs measure() with `font` as the current font, then restores the font.
  template <class Measure>
  auto WithFont(const SSymFont& font, Measure&& measure) {
    const SSymFont saved = m_font;
    SetFont(font);
    const auto result = measure();
    SetFont(saved);
    return result;
  }
  SSymCanvas();

  virtual void DrawText(const SString& text, const SSymRect& r, int flags);
  virtual void DrawNormText(const SSymRect& r, const SString& text, int style);
  virtual void DrawWrapText(const SSymRect& r, const SString& text, int style);
  virtual void DrawTruncText(const SSymRect& r, const SString& text, int style);
  // One line cut to `width` with "..." (ellipsisWidth wide): the whole line
  // when it fits, else its first n characters (n from 5 up, as many as fit
  // beside the ellipsis) and "..."; empty for a line of 5 characters or fewer
  // that does not fit.
  SString TruncateLine(const SString& line, int width, int ellipsisWidth);
  // Every non-empty line of `text` cut to the width of r, joined by CR LF.
  SString TruncateLines(const SSymRect& r, const SString& text);
  int GetDrawStyle(SSymRect& r, const SString& text, int style);
  int GetDetailWrapText(const SString& text, int width, STable<SWrapLine>& lines, int& lineHeight);

  virtual void InitScale(SDC& dc);
  virtual void Lock(SDC& dc);
  virtual void Unlock();

  virtual SPen* LookupPen(const SSymPen& pen);
  virtual SBrush* LookupBrush(const SSymBrush& brush);
  virtual SFont* LookupFont(const SSymFont& font);
  virtual void ClearCaches();
  virtual SGdiPen* GetGdiPen(SPen& pen);

  virtual void ScaleToDC(SDC& dc);
  virtual void SetZoomLevel(double zoom, SSymPoint center);
  virtual void BuildTransformationMatrices();

  void TransformLstPt(const SSymListPt& pts);
  POINT* GetListPoints() { return m_points.data(); }
  int GetNbPoints() const { return static_cast<int>(m_points.size()); }
  static int GetDisableGDIDraw();

  // The line rule: true when lines and curves go through GDI+.
  bool UseGdiPlus();
  // Draws a polygon whose pen is wider than a pixel smoothly through GDI+;
  // false when it is not such a polygon or the context cannot (nothing drawn).
  bool SmoothWidePolygon(const POINT* p, int n);
  // A GDI+ pen for the pen selected in the context.
  SGdiPen* CurrentGdiPen();
  // The normal-scale entry of a font, made when missing (null without a context).
  FontLine* LookupNormFont(const SSymFont& font);
  FontLine* MakeFontLine(const SSymFont& font, int height, int width);
  // Device width of a line with the selected font, in diagram units at the normal scale.
  int LineWidthVP(const SString& line);
  // Paints the fill effect of the current brush for a shape; true when painted.
  bool FillEffect(int shape, const RECT& rc, const RECT& test, const POINT* pts = nullptr, int count = 0,
                  SIZE corner = {0, 0}, POINT ps = {0, 0}, POINT pe = {0, 0});
  void GdiArc(const RECT& rc, POINT s, POINT e);
  // Draws the wrapped output of `text` into `r` (shared by drawing and measuring).
  int WrapLines(const SString& text, int width, STable<SWrapLine>& lines, int* lineHeight, int roomTop, int roomBottom,
                bool limit);

  SDC* m_pDC = nullptr;
  SDC* m_pTargetDC = nullptr;
  SGdiPen* m_pGdiPen = nullptr;
  double m_scaleX = 0.0;
  double m_scaleY = 0.0;
  int m_nZoom = 100;
  POINT m_ptOrg = {0, 0};
  SIZE m_sizeDP = {0, 0};
  SIZE m_sizeVP = {0, 0};
  SSymRect m_rcView;  // (x1, y1) is shown at the device origin
  double m_dZoom = 100.0;
  SPrefDataWrap m_dataWrap;
  int m_bDrawingPath = 0;
  int m_bLocked = 0;
  SSymPoint m_ptCenter;
  SSymHandle m_handle;
  PenCache m_penCache;
  BrushCache m_brushCache;
  FontCache m_fontCache;
  SSymPen m_pen;
  SSymFont m_font;
  FontLine* m_pFontLine = nullptr;
  // The cached pen and brush last selected for m_pen and m_brush (colour
  // output), null when something else was selected for them.
  SPen* m_pSelPen = nullptr;
  SBrush* m_pSelBrush = nullptr;
  SSymBrush m_brush;
  SSymBrush m_bkBrush;
  std::vector<POINT> m_points;
  FontCache m_normFonts;
};

