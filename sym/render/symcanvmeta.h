// SSymCanvasMetafile: a canvas that records its drawing into an enhanced
// metafile (at the screen's resolution, one picture per Lock / Unlock) or an
// old-style metafile (in 0.01 mm).
#pragma once

#include "kvcore/spicture.h"
#include "sym/render/symcanv.h"

class SSymCanvasMetafile : public SSymCanvas {
 public:
  // Non-zero records an enhanced metafile, zero an old-style one.
  explicit SSymCanvasMetafile(int enhanced = 1);
  ~SSymCanvasMetafile() override;

  // Starts the recording of the diagram rectangle r. When the recording
  // context cannot be made the canvas stays without a context: drawing does
  // nothing and Unlock gives no metafile.
  virtual void Lock(const SSymRect& r);
  // Ends the recording and gives the metafile to `mf` (an old-style
  // recording comes over as an enhanced metafile of the same records); `mf`
  // is left empty when nothing was recorded.
  virtual void Unlock(SMetaFile* mf);

  // The drawing context of an enhanced recording; for an old-style one the
  // measuring context that the owner gave (null when none).
  SDC* GetCanvasDC() override;
  void SetMeasureDC(SDC* dc) { m_pMeasureDC = dc; }
  int GetCanvasType() override { return 3; }
  int IsEnhanced() const { return m_bEnhanced; }
  const RECT& GetDeviceRect() const { return m_rcDevice; }
  // The picture frame given to the recording, in 0.01 mm.
  const RECT& GetFrame() const { return m_rcFrame; }

  using SSymCanvas::DrawText;

  KV_DECLARE_CLASSINFO()

 protected:
  using SSymCanvas::Lock;
  using SSymCanvas::Unlock;
  void DrawText(const SString& text, const SSymRect& r, int flags) override;

  SSymRect m_rcLock;
  RECT m_rcDevice = {0, 0, 0, 0};
  SDC m_dc;  // holds the recording context
  int m_bMetaLocked = 0;
  SDC* m_pMeasureDC = nullptr;
  int m_bEnhanced = 1;
  RECT m_rcFrame = {0, 0, 0, 0};
};

// Line-by-line text of the metafile and report canvases, each line placed
// by its own measured size (GetTextExtent of the line, scaled by the working
// scale below zoom 100 and by the first scale of the canvas otherwise).
// Horizontal lines go down from the top of r's device rectangle until the
// bottom is reached: with `band` each is drawn with the platform DrawText
// and `flags` in the band from its top to the bottom, else with ExtTextOut
// placed by DT_CENTER / DT_RIGHT. Rotated fonts (900, 2700) write each line
// as a column, left to right. Transparent background; nothing without a
// context or for an empty text.
void SSymDrawTextLines(SSymCanvas& canvas, SDC* dc, const SString& text, const SSymRect& r, int flags, bool band);
