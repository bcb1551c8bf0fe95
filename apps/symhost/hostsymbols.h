// The host's own symbol: a text box drawn as a rectangle, a rounded
// rectangle or an ellipse, with its text inside the margins. It stands in for
// the shape classes of the library until those exist, and the export
// benchmark fills its large diagrams with it.
#pragma once

#include "kvrep/srepsession.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symsolidtext.h"

class SHostBox : public SSymSolidText {
 public:
  enum Shape { Rect = 3, RoundRect = 4, Ellipse = 5 };

  SHostBox(ISRepSession* session, const SSymRect& rect, Shape shape = Rect)
      : SSymSolidText(rect, session), m_shape(shape) {}

  int GetSymbolType() override { return m_shape; }

  // The outline and fill, then the text.
  HRESULT DrawSymbol(SSymCanvas& canvas) override {
    DrawOutline(canvas);
    DrawTextW(canvas);
    return S_OK;
  }
  // The shadow is the outline alone.
  HRESULT DrawShadow(SSymCanvas& canvas) override {
    DrawOutline(canvas);
    return S_OK;
  }

  Shape m_shape;

 private:
  void DrawOutline(SSymCanvas& canvas) {
    SSymRect r = m_rect;
    r.Normalize();
    switch (m_shape) {
      case RoundRect: canvas.RoundRect(r, SSymSize(1800, 1800)); break;
      case Ellipse: canvas.Ellipse(r); break;
      default: canvas.Rectangle(r); break;
    }
  }
};
