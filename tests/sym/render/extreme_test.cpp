// Extreme coordinates, sizes and zooms on every drawing target: the canvas
// turns many doubles into device integers, and none may overflow (the
// sanitizer build checks float-to-integer conversions).
#include <gtest/gtest.h>

#include <climits>

#include "support/canvas_fixture.h"
#include "sym/render/symcanvbitmap.h"
#include "sym/render/symcanvmeta.h"
#include "sym/render/symcanvsvg.h"

namespace {

void DrawExtremes(SSymCanvas& c) {
  const LONG lo = INT_MIN + 1, hi = INT_MAX;
  const SSymRect rects[] = {SSymRect(lo, hi, hi, lo), SSymRect(0, hi, hi, 0), SSymRect(lo, 0, 0, lo),
                            SSymRect(hi - 10, hi, hi, hi - 10), SSymRect(-5, 5, 5, -5)};
  SSymFont font(SString(u"Arial"), 400);
  font.m_angle = 900;
  for (const SSymRect& r : rects) {
    c.SetPen(SSymPen(SSymPen::Dash, 100000, SSymColor(0xFF)));
    c.SetBrush(SSymBrush(SSymColor(0x00FF00)), 0);
    c.SetFont(font);
    c.Rectangle(r);
    c.Ellipse(r);
    c.RoundRect(r, SSymSize(hi, hi));
    c.Line(SSymPoint(r.x1, r.y1), SSymPoint(r.x2, r.y2));
    c.Arc(r, SSymPoint(r.x1, r.y2), SSymPoint(r.x2, r.y1));
    c.Polygon(SSymListPt{SSymPoint(r.x1, r.y1), SSymPoint(r.x2, r.y2), SSymPoint(r.x1, r.y2)});
    c.PolyBezier(SSymListPt{SSymPoint(r.x1, r.y1), SSymPoint(r.x2, r.y2), SSymPoint(r.x1, r.y2),
                            SSymPoint(r.x2, r.y1)},
                 0, 0);
    c.DrawText(r, SString(u"extreme"), 0);
    c.DrawText(r, SString(u"wrapped extreme text"), 0x10);
    c.DrawRtfText(r, SString(u"{\\rtf1 Extreme}"), 0, -1, nullptr);
  }
  for (LONG size : {1, 400, 100000, INT_MAX}) {
    c.SetFont(SSymFont(SString(u"Arial"), size));
    (void)c.GetTextHeight(SString(u"a\nb\nc"), 0x10, hi);
    (void)c.GetWrapTextExtent(SString(u"some words to wrap"), hi);
    (void)c.GetRTFTextExtent(SString(u"{\\rtf1 Extreme}"), hi, 0, 0);
    (void)c.GetRTFTextLength(SString(u"{\\rtf1 Extreme}"), hi, hi, 0);
    c.DrawText(SSymRect(0, 7200, 7200, 0), SString(u"sized"), 0);
  }
}

TEST(ExtremeCoordinates, EveryTargetAtEveryZoom) {
  for (double zoom : {SSymCanvas::ScaleMin, 100.0, SSymCanvas::ScaleMax}) {
    RasterDC raster(64, 64);
    TestCanvas canvas;
    canvas.LockOn(raster.dc);
    canvas.SetZoomLevel(zoom, SSymPoint(INT_MAX, INT_MIN + 1));
    DrawExtremes(canvas);
    canvas.Unlock();
  }
  const SSymRect area(0, 7200, 7200, 0);
  SSymCanvasBitmap bitmap;
  bitmap.Lock(area);
  DrawExtremes(bitmap);
  bitmap.Unlock(nullptr);
  SSymCanvasMetafile meta(1);
  meta.Lock(area);
  DrawExtremes(meta);
  meta.Unlock(nullptr);
  SSymCanvasSVG svg;
  ASSERT_TRUE(svg.Lock(SSymRect(SSymCanvas::MinX, SSymCanvas::MaxY, SSymCanvas::MaxX, SSymCanvas::MinY)));
  DrawExtremes(svg);
  SSVG out;
  svg.Unlock(out);
}

}  // namespace
