// SSymCanvasBitmap: a canvas that draws a diagram rectangle into a new
// memory bitmap at the screen's resolution, white before drawing.
#pragma once

#include "kvcore/sdc.h"
#include "sym/render/symcanv.h"

class SSymCanvasBitmap : public SSymCanvas {
 public:
  SSymCanvasBitmap();
  ~SSymCanvasBitmap() override;

  // Makes the bitmap of r at zoom 100 and locks on it. When the bitmap
  // cannot be made (too large) the canvas stays without a context: drawing
  // does nothing and Unlock gives no bitmap.
  virtual void Lock(const SSymRect& r);
  // Hands the bitmap over to `out` (the canvas keeps none); with a null
  // `out` the bitmap is deleted. `out` is left empty when there was none.
  virtual void Unlock(SBitmap* out);

  int GetCanvasType() override { return 4; }

  KV_DECLARE_CLASSINFO()

 protected:
  using SSymCanvas::Lock;
  using SSymCanvas::Unlock;

  SSymRect m_rcLock;
  SDC m_dc;
  int m_bBitmapLocked = 0;
  SBitmap m_bitmap;
  HGDIOBJ m_oldBitmap = nullptr;
};
