// SSymDrawArea: the area of the diagram a canvas is drawing now, so that
// symbols draw only the parts of themselves (labels, compartments, child
// symbols) that meet it. A view sets it for the length of a paint from its
// invalid rectangle; without one everything is drawn.
//
// The paint's clip region already keeps the pixels outside the area; the
// area saves the work of drawing them. What a symbol draws must therefore
// not depend on it: a part skipped is a part whose pixels would all have
// been clipped.
#pragma once

#include "sym/foundation/symgeom.h"

class SSymCanvas;

class SSymDrawArea {
 public:
  // Limits drawing on `canvas` to `area` (diagram units) for the scope; the
  // area held before comes back at the end.
  SSymDrawArea(SSymCanvas& canvas, const SSymRect& area);
  ~SSymDrawArea();
  SSymDrawArea(const SSymDrawArea&) = delete;
  SSymDrawArea& operator=(const SSymDrawArea&) = delete;

  // True when nothing limits drawing on `canvas`, or `extent` (normalised
  // here; a part's active rectangle) meets the area.
  static bool Meets(SSymCanvas& canvas, const SSymRect& extent);
  // The area of `canvas`, or null when none is set.
  static const SSymRect* Get(SSymCanvas& canvas);
  // Globally off: every part is drawn (to compare culled and unculled paints).
  static void SetCulling(bool on);
  static bool IsCulling();

 private:
  SSymCanvas* m_pCanvas;
  SSymRect m_area;
  SSymDrawArea* m_pOuter;
};
