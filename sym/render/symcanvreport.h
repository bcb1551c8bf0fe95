// The report canvases: a diagram rectangle drawn on a caller's device context
// (a report page), in 0.01 mm (SSymCanvasReport), in screen pixels
// (SSymCanvasReportPrn) or at the context's own resolution
// (SSymCanvasReportRTF). The caller owns and closes the context.
#pragma once

#include "kvcore/sdc.h"
#include "sym/render/symcanv.h"
#include "sym/render/symcanvview.h"

class SSymCanvasReport : public SSymCanvas {
 public:
  ~SSymCanvasReport() override;

  // Maps r onto the target context and locks on it (nothing without a target).
  virtual void Lock(const SSymRect& r);
  void Unlock() override;

  virtual void SetPaperSize(const SSymSize& size) { m_grid.SetPaperSize(size); }
  virtual SSymSize GetPaperSize() { return m_grid.GetPaperSize(); }
  virtual SSymPoint GetPaperOrigin() { return m_grid.GetPaperOrigin(); }
  virtual SSymSize GetPaperTotalSize() { return m_grid.GetPaperTotalSize(); }
  virtual SSymRect GetPaperRect(const SSymRect& r) {
    SSymRect n(r);
    return m_grid.GetPaperRect(n);
  }
  virtual SSymRect GetPaperRect(const SSymPoint& p) { return m_grid.GetPaperRect(p); }

  SDC* GetReferenceDC() const { return m_pRefDC; }
  SDC* GetReportDC() const { return m_pReportDC; }
  const RECT& GetDeviceRect() const { return m_rcDevice; }

  using SSymCanvas::DrawText;

  KV_DECLARE_CLASSINFO()

 protected:
  // Marks the target for the background painter (its flag word).
  SSymCanvasReport(SDC* reference, SDC* target);
  using SSymCanvas::Lock;
  virtual SSymPoint GetPaperCorner(const SSymPoint& p) { return m_grid.GetPaperCorner(p); }
  void DrawText(const SString& text, const SSymRect& r, int flags) override;
  // The base lock on the target once the scale is set.
  void LockTarget();
  // The start of every Lock: unlocks, keeps r, and answers r normalised
  // with its inclusive width and height.
  SSymRect StartLock(const SSymRect& r, long long& w, long long& h);
  // The end of a Lock onto dw x dh device pixels at zoom 100 with the scale
  // (sx, sy), the origin at the bottom-left corner.
  void LockOnDevice(const SSymRect& n, long long w, long long h, int dw, int dh, double sx, double sy);

  SDC* m_pRefDC = nullptr;
  SDC* m_pReportDC = nullptr;
  SSymPaperGrid m_grid;
  SSymRect m_rcLock;
  RECT m_rcDevice = {0, 0, 0, 0};
};

class SSymCanvasReportPrn : public SSymCanvasReport {
 public:
  SSymCanvasReportPrn(SDC* reference, SDC* target) : SSymCanvasReport(reference, target) {}
  void Lock(const SSymRect& r) override;
  int GetCanvasType() override { return 7; }
  KV_DECLARE_CLASSINFO()
};

class SSymCanvasReportRTF : public SSymCanvasReport {
 public:
  SSymCanvasReportRTF(SDC* reference, SDC* target) : SSymCanvasReport(reference, target) {}
  void Lock(const SSymRect& r) override;
  int GetCanvasType() override { return 8; }
  KV_DECLARE_CLASSINFO()
};
