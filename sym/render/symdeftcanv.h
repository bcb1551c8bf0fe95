// SSymDeftCanvas: a canvas on the screen for measuring only. It is locked for
// its whole life; pens, brushes, fonts and measuring work as on any canvas,
// and every shape, picture and text drawing does nothing.
#pragma once

#include "sym/render/symcanv.h"

class SSymDeftCanvas : public SSymCanvas {
 public:
  SSymDeftCanvas();
  ~SSymDeftCanvas() override;

  // Locks the canvas on the screen again after Unlock (nothing while it is
  // locked); Unlock releases the screen until the next Lock. The canvas is
  // locked when made and unlocked when destroyed.
  void Lock();
  void Unlock() override;
  int GetCanvasType() override { return 1; }

  void SetPixel(const SSymPoint&, unsigned long) override {}
  void Line(const SSymPoint&, const SSymPoint&) override {}
  void Arc(const SSymRect&, const SSymPoint&, const SSymPoint&) override {}
  void Pie(const SSymRect&, const SSymPoint&, const SSymPoint&, const SSymRect&) override {}
  void Ellipse(const SSymRect&) override {}
  void Oval(const SSymRect&) override {}
  void Rectangle(const SSymRect&) override {}
  void RoundRect(const SSymRect&, const SSymSize&) override {}
  void FillRect(const SSymRect&, const SSymBrush&) override {}
  void FocusRect(const SSymRect&) override {}
  void Polyline(const SSymListPt&, int) override {}
  void RoundPolyline(const SSymListPt&) override {}
  void PolyBezier(const SSymListPt&, int, int) override {}
  void Polygon(const SSymListPt&) override {}
  void DrawPicture(const SSymRect&, SPictureInfo*, int) override {}
  void DrawImage(const SSymRect&, Gdiplus::Image*, SPictureInfo*) override {}
  void DrawIcon(const SSymRect&, SIconFile*, SPictureInfo*) override {}
  void DrawIcon(const SSymRect&, HICON, unsigned) override {}
  void DrawCursor(const SSymRect&, SCursorFile*, SPictureInfo*) override {}
  void DrawBitmap(const SSymRect&, SBitmap*) override {}
  void DrawMetaFile(const SSymRect&, const SMetaFile&) override {}
  void DrawViewObject(const SSymRect&, IViewObject*, DWORD, LONG, int) override {}
  void DrawText(const SSymRect&, const SString&, int) override {}
  void Invalidate(int) override {}
  void InvalidateRectLP(const SSymRect&, int) override {}
  void InvalidateRectDP(const RECT&, int) override {}

  KV_DECLARE_CLASSINFO()

 protected:
  void DrawText(const SString&, const SSymRect&, int) override {}
  void DrawNormText(const SSymRect&, const SString&, int) override {}
  void DrawWrapText(const SSymRect&, const SString&, int) override {}
  void DrawTruncText(const SSymRect&, const SString&, int) override {}
  using SSymCanvas::Lock;

 private:
  SScreenDC m_screenDC;
};
