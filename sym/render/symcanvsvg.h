// SSymCanvasSVG: a canvas whose drawing becomes an SVG document. Symbols draw
// on it in diagram units; the canvas maps them to SVG user units (96 per
// inch, y downward) and hands shapes, texts and pictures, with the current
// pen, brush, font and text colour, to the SVG writer. One canvas serves one
// export: Lock(area), drawing, Unlock(target document).
#pragma once

#include "kvcore/sdc.h"
#include "sym/render/ssvg.h"
#include "sym/render/symcanv.h"

class SSymCanvasSVG : public SSymCanvas {
 public:
  SSymCanvasSVG();
  ~SSymCanvasSVG() override;

  // Starts the document of `area` grown by 150 units on every side, and
  // locks the canvas on its screen context. 0 when the document could not
  // be made (the canvas is then not locked).
  int Lock(const SSymRect& area);
  // Unlocks and hands the finished document over to `target`.
  void Unlock(SSVG& target);

  // Where pictures are written and how they are linked (beside this file).
  void SetFilePath(const SString& path) { m_svg.SetFilePath(path); }
  const SString& GetFilePath() const { return m_svg.GetFilePath(); }
  // Later elements go into a new group with that id, or a new link; EndLink
  // sends them to the root again. For the host; the library never calls them.
  void BeginSymbol(const SString& id);
  void BeginLink(const SString& href, int self);
  void EndLink();
  void SetUseFillEffect(int use) { m_svg.SetUseFillEffect(use); }

  const SSymRect& GetLockedRect() const { return m_rcLocked; }
  const RECT& GetSvgBox() const { return m_rcSvg; }
  const SIZE& GetSizeMm() const { return m_sizeMm; }
  // The document under construction (valid between Lock and Unlock).
  SSVG& GetSvg() { return m_svg; }

  // ---- drawing state ----
  void SetPen(const SSymPen& pen) override;
  void SetBrush(const SSymBrush& brush, int dark) override;
  void SetFont(const SSymFont& font) override;
  void SetFontColor(SSymColor color) override;
  int GetCanvasType() override { return 9; }

  // ---- shapes ----
  void SetPixel(const SSymPoint&, unsigned long) override {}
  void Line(const SSymPoint& a, const SSymPoint& b) override;
  void Arc(const SSymRect& r, const SSymPoint& start, const SSymPoint& end) override;
  void Pie(const SSymRect& r, const SSymPoint& start, const SSymPoint& end, const SSymRect& area) override;
  void Ellipse(const SSymRect& r) override;
  void Oval(const SSymRect& r) override;
  void Rectangle(const SSymRect& r) override;
  void RoundRect(const SSymRect& r, const SSymSize& corner) override;
  void FillRect(const SSymRect& r, const SSymBrush& brush) override;
  void FocusRect(const SSymRect&) override {}
  void Polyline(const SSymListPt& pts, int to) override;
  void RoundPolyline(const SSymListPt& pts) override;
  void PolyBezier(const SSymListPt& pts, int to, int exact) override;
  void Polygon(const SSymListPt& pts) override;

  // ---- pictures and text ----
  void DrawImage(const SSymRect& r, Gdiplus::Image* image, SPictureInfo* pic) override;
  void DrawIcon(const SSymRect& r, SIconFile* icon, SPictureInfo* pic) override;
  void DrawIcon(const SSymRect& r, HICON icon, unsigned flags) override;
  void DrawCursor(const SSymRect& r, SCursorFile* cursor, SPictureInfo* pic) override;
  void DrawBitmap(const SSymRect& r, SBitmap* bitmap) override;
  void DrawMetaFile(const SSymRect& r, const SMetaFile& mf) override;
  void DrawViewObject(const SSymRect& r, IViewObject* view, DWORD aspect, LONG index, int open) override;
  void DrawText(const SSymRect& r, const SString& text, int style) override;
  void DrawRtfText(const SSymRect& r, const SString& rtf, int first, int last, int* end) override;
  void DrawBackground(SDrawBackground&, const RECT&, int, int) override {}
  void DrawBackground(SDrawBackground&, const SSymRect&, const SSymRect&, int, int) override {}

  // ---- paths ----
  int BeginPath() override;
  int EndPath() override;
  int AbortPath() override;
  int CloseFigure() override;
  int FillPath(const SSymRect& r) override;
  int StrokeAndFillPath(const SSymRect& r) override;
  int StrokePath() override;
  int FlattenPath() override { return 0; }
  int WidenPath() override { return 0; }
  int GetPath(POINT*, unsigned char*, int) const override { return 0; }
  HRGN PathToRegion() override { return nullptr; }

  KV_DECLARE_CLASSINFO()

 protected:
  using SSymCanvas::DrawText;
  using SSymCanvas::Lock;
  using SSymCanvas::Unlock;
  // A picture rectangle: converted with precise rounding forced on.
  RECT PictureRect(const SSymRect& r) const;
  // The point list in the point buffer; its count (0: nothing to draw).
  int Points(const SSymListPt& pts);

  SSymRect m_rcLocked;
  RECT m_rcSvg = {0, 0, 0, 0};
  SIZE m_sizeMm = {0, 0};
  SSVG m_svg;
  SScreenDC m_screenDC;
};
