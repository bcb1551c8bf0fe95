// The same scene as gdi_rects (10,000 outlined, filled, labelled rectangles
// on a 1000 x 1000 bitmap) drawn through the symbol canvas: pen, brush and
// font set per box, the label centred in its box.
#include <benchmark/benchmark.h>

#include <string>

#include "kvcore/sdc.h"
#include "sym/render/symcanv.h"

namespace {

constexpr int kSize = 1000, kCount = 10000;

class BenchCanvas : public SSymCanvas {
 public:
  void LockOn(SDC& dc) {
    InitScale(dc);
    SetSizeDP(SIZE{kSize, kSize});
    Lock(dc);
  }
  using SSymCanvas::Unlock;
};

void Cell(int i, int* x, int* y) {
  *x = (i * 37) % (kSize - 60);
  *y = (i * 53) % (kSize - 30);
}

// `fresh`: every frame's labels are new texts (nothing laid out before).
void Draw(benchmark::State& state, bool fresh) {
  SDC dc;
  dc.CreateCompatibleDC(nullptr);
  SScreenDC screen;
  SBitmap bitmap;
  bitmap.CreateCompatibleBitmap(&screen, kSize, kSize);
  HGDIOBJ old = dc.SelectObject(bitmap);
  BenchCanvas c;
  c.LockOn(dc);
  const SSymPen pen(SSymPen::Solid, 0, SSymColor(0));
  const SSymBrush brush(SSymColor(0xFFC878));
  const SSymFont font(SString(u"Arial"), 8);
  long frame = 0;
  for (auto _ : state) {
    for (int i = 0; i < kCount; ++i) {
      int x, y;
      Cell(i, &x, &y);
      const SSymPoint a = c.DPtoVP(POINT{x, y}), b = c.DPtoVP(POINT{x + 60, y + 30});
      const SSymRect r(a.x, a.y, b.x, b.y);
      c.SetPen(pen);
      c.SetBrush(brush, 0);
      c.Rectangle(r);
      c.SetFont(font);
      c.DrawText(r, SString::FromInt(fresh ? frame * kCount + i : i), 0x122);
    }
    ++frame;
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  c.Unlock();
  dc.SelectObject(old);
}

void ThroughCanvas(benchmark::State& state) { Draw(state, false); }
void ThroughCanvasFreshLabels(benchmark::State& state) { Draw(state, true); }
BENCHMARK(ThroughCanvas)->Unit(benchmark::kMillisecond);
BENCHMARK(ThroughCanvasFreshLabels)->Unit(benchmark::kMillisecond);

}  // namespace
