// Scopes around drawing on a canvas: a clip region narrowed to a diagram
// rectangle, and the canvas's brushes saved and put back.
#pragma once

#include "sym/render/symcanv.h"

// Narrows drawing to a diagram rectangle for the life of the scope.
class SCanvasClipRgn {
 public:
  SCanvasClipRgn(SSymCanvas& canvas, SSymRect& r);
  ~SCanvasClipRgn();
  SCanvasClipRgn(const SCanvasClipRgn&) = delete;
  SCanvasClipRgn& operator=(const SCanvasClipRgn&) = delete;

 private:
  SDC* m_pDC = nullptr;
  int m_nSaved = 0;
};

// Saves a canvas's brush and background brush; puts them back at scope end.
class saveCanvasColor {
 public:
  explicit saveCanvasColor(SSymCanvas& canvas);
  ~saveCanvasColor();
  saveCanvasColor(const saveCanvasColor&) = delete;
  saveCanvasColor& operator=(const saveCanvasColor&) = delete;

 private:
  SSymCanvas& m_canvas;
  SSymBrush m_brush;
  SSymBrush m_bkBrush;
};
