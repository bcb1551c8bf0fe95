// The canvas of a diagram window (SSymCanvasView) and the paper grid it shares
// with the report canvases: the diagram area cut into printed pages, one page
// centred on the point (0, 0).
#pragma once

#include "kvcore/sdc.h"
#include "sym/render/symcanv.h"

// Pages of one paper size laid over the whole drawing area. Diagram units.
class SSymPaperGrid {
 public:
  // Ignored unless both dimensions are positive; otherwise lays the grid.
  void SetPaperSize(const SSymSize& size);
  SSymSize GetPaperSize() const { return m_paper; }
  SSymPoint GetPaperOrigin() const { return m_origin; }
  // The paper size times the pages across and down.
  SSymSize GetPaperTotalSize() const;
  int GetPagesAcross() const { return m_pagesX; }
  int GetPagesDown() const { return m_pagesY; }
  // The lower-left corner of the page that holds p.
  SSymPoint GetPaperCorner(const SSymPoint& p) const;
  // The page that holds p.
  SSymRect GetPaperRect(const SSymPoint& p) const;
  // The whole pages that r touches; r is normalised in place.
  SSymRect GetPaperRect(SSymRect& r) const;
  // The page boundaries within r, drawn with the canvas's current pen.
  void DrawPaperGrid(SSymCanvas& canvas, const SSymRect& r) const;

 private:
  SSymSize m_paper;
  int m_pagesX = 0;
  int m_pagesY = 0;
  SSymPoint m_origin;
};

class SSymCanvasView : public SSymCanvas {
 public:
  SSymCanvasView();
  ~SSymCanvasView() override;

  // Keeps the window and takes the scale from its client context (zoom
  // 100); the screen's resolution stands in while the window has none.
  virtual void Init(SSymView* view);
  // A lock while locked remembers the current context, flushes the
  // off-screen bitmap and detaches first; the matching Unlock comes back to it.
  void Lock(SDC& dc) override;
  // Zoom and view centre, for the window's zoom commands.
  using SSymCanvas::SetZoomLevel;
  virtual void Lock(SPaintDC& dc) { Lock(static_cast<SDC&>(dc)); }
  void Unlock() override;

  virtual void DrawPaperGrid(const SSymRect& r) { m_grid.DrawPaperGrid(*this, r); }
  virtual void SetPaperSize(const SSymSize& size) { m_grid.SetPaperSize(size); }
  virtual SSymSize GetPaperSize() { return m_grid.GetPaperSize(); }
  virtual SSymPoint GetPaperOrigin() { return m_grid.GetPaperOrigin(); }
  virtual SSymSize GetPaperTotalSize() { return m_grid.GetPaperTotalSize(); }
  virtual SSymRect GetPaperRect(const SSymRect& r);
  virtual SSymRect GetPaperRect(const SSymPoint& p) { return m_grid.GetPaperRect(p); }

  void SetDefPaperSize(const SSymSize& size) { m_defPaperSize = size; }
  SSymSize GetDefPaperSize() const { return m_defPaperSize; }
  const SSymPaperGrid& GetPaperGrid() const { return m_grid; }

  SSymView* GetView() override { return m_pView; }
  int HasBackgroundBitmap() override;
  int GetCanvasType() override { return 2; }

  void Invalidate(int erase) override;
  void InvalidateRectLP(const SSymRect& r, int erase) override;
  void InvalidateRectDP(const RECT& r, int erase) override;

  // Whether a lock is interrupted by a nested one (for tests and the window).
  bool HasRememberedDC() const { return m_pRememberedDC != nullptr; }

  KV_DECLARE_CLASSINFO()

 protected:
  virtual SSymPoint GetPaperCorner(const SSymPoint& p) { return m_grid.GetPaperCorner(p); }

  int m_bLockChanged = 0;            // cleared by every Lock and Unlock
  SDC* m_pRememberedDC = nullptr;    // the context of an interrupted lock
  SSymView* m_pView = nullptr;
  SSymPaperGrid m_grid;
  SSymSize m_defPaperSize{61200, 79200};  // 8.5 x 11 inches
};
