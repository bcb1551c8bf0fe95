// The same scene as gdi_rects (10,000 outlined, filled, labelled rectangles
// on a 1000 x 1000 bitmap) drawn through the symbol canvas: pen, brush and
// font set per box, the label centred in its box; next to it the same
// picture made with cairo and pango directly (each label measured and
// centred and clipped to its box, the same texts, font options and features
// as the canvas uses).
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <string>

#include "bench/keptlayouts.h"
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
// The frame count goes on from one run of a benchmark to the next (a warm-up,
// repetitions), so that a later run does not draw an earlier run's texts
// again; each side counts its own frames, so both draw the same texts.
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
  static long frame = 0;
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
    if (fresh) ++frame;
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  c.Unlock();
  dc.SelectObject(old);
}

void ThroughCanvas(benchmark::State& state) { Draw(state, false); }
void ThroughCanvasFreshLabels(benchmark::State& state) { Draw(state, true); }
BENCHMARK(ThroughCanvas)->Unit(benchmark::kMillisecond);
BENCHMARK(ThroughCanvasFreshLabels)->Unit(benchmark::kMillisecond);

void CairoPangoCentred(benchmark::State& state, bool fresh) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSize, kSize);
  cairo_t* cr = cairo_create(s);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoContext* context = pango_layout_get_context(layout);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context, options);
  pango_cairo_context_set_resolution(context, 72.0);
  pango_layout_context_changed(layout);
  PangoAttrList* attrs = pango_attr_list_new();
  pango_attr_list_insert(attrs, pango_attr_font_features_new("kern 0, liga 0, clig 0, calt 0, dlig 0"));
  pango_layout_set_attributes(layout, attrs);
  pango_layout_set_single_paragraph_mode(layout, TRUE);
  PangoFontDescription* desc = pango_font_description_from_string("Arial");
  pango_font_description_set_absolute_size(desc, 11 * PANGO_SCALE);
  pango_layout_set_font_description(layout, desc);
  const SKeptLayouts kept(layout, fresh ? 0 : kCount);
  static long frame = 0;
  for (auto _ : state) {
    for (int i = 0; i < kCount; ++i) {
      int x, y;
      Cell(i, &x, &y);
      cairo_rectangle(cr, x, y, 60, 30);
      cairo_set_source_rgb(cr, 120 / 255.0, 200 / 255.0, 1.0);
      cairo_fill(cr);
      cairo_rectangle(cr, x + 0.5, y + 0.5, 59, 29);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_stroke(cr);
      PangoLayout* shown = fresh ? SKeptLayouts::Fresh(layout, frame * kCount + i) : kept.layouts[std::size_t(i)];
      int w = 0, h = 0;
      pango_layout_get_pixel_size(shown, &w, &h);
      // Clipped to its box, as the canvas draws a label.
      cairo_save(cr);
      cairo_rectangle(cr, x, y, 60, 30);
      cairo_clip(cr);
      cairo_move_to(cr, x + (60 - w) / 2, y + (30 - h) / 2);
      pango_cairo_show_layout(cr, shown);
      cairo_restore(cr);
    }
    if (fresh) ++frame;
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  pango_font_description_free(desc);
  pango_attr_list_unref(attrs);
  cairo_font_options_destroy(options);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}
void DirectCairoPangoCentred(benchmark::State& state) { CairoPangoCentred(state, false); }
void DirectCairoPangoCentredFreshLabels(benchmark::State& state) { CairoPangoCentred(state, true); }
BENCHMARK(DirectCairoPangoCentred)->Unit(benchmark::kMillisecond);
BENCHMARK(DirectCairoPangoCentredFreshLabels)->Unit(benchmark::kMillisecond);

}  // namespace
