// The canvas's object caches fill and clear inside labelled handle
// counters: each new pen, brush and font counts one object made under its
// label, a cache hit opens no counter, and clearing counts what it freed.
#include <gtest/gtest.h>

#include "kvlib/scounthelper.h"
#include "support/canvas_fixture.h"

namespace {

TEST(CanvasCounters, CacheFillingAndClearing) {
  RasterDC raster(200, 100);
  TestCanvas canvas;
  canvas.LockOn(raster.dc, {200, 100});
  SBaseCountHelper::ResetTotals();

  canvas.LookupPen(SSymPen(1, 0, SSymColor(0x0000FF)));
  canvas.LookupPen(SSymPen(1, 0, SSymColor(0x0000FF)));  // found again: no counter
  canvas.LookupBrush(SSymBrush(1, 0, SSymColor(0x00FF00)));
  SSymFont font;
  canvas.LookupFont(font);
  struct Case {
    const char* label;
    long calls, total;
  } cases[] = {
      {"AddPenInCanvasCache", 1, 1},
      {"AddBrushInCanvasCache", 1, 1},
      {"AddFontInCanvasCache", 1, 1},
      {"AddFontInCanvasCacheNorm", 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SBaseCountHelper::GetCalls(c.label), c.calls) << c.label;
    EXPECT_EQ(SBaseCountHelper::GetTotal(c.label), c.total) << c.label;
  }
  canvas.ClearCaches();
  EXPECT_EQ(SBaseCountHelper::GetCalls("ClearCanvasCache"), 1);
  EXPECT_EQ(SBaseCountHelper::GetTotal("ClearCanvasCache"), -3) << "the pen, the brush and the font freed";
  canvas.Unlock();
  SBaseCountHelper::ResetTotals();
}

}  // namespace
