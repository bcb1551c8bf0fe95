// 10,000 filled and outlined rectangles with labels, drawn through a device
// context and drawn directly with cairo and pango, on a 1000 x 1000 bitmap.
// The ...FreshLabels runs give every frame new label texts, so that nothing
// laid out for an earlier frame is drawn again (the frame count goes on from
// one run of a benchmark to the next: a warm-up, repetitions); each side is
// compared with the peer run of the same name.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <string>

#include "bench/keptlayouts.h"
#include "win/gdisink.h"
#include "win/wingdi.h"

namespace {

constexpr int kSize = 1000, kCount = 10000;

void Cell(int i, int* x, int* y) {
  *x = (i * 37) % (kSize - 60);
  *y = (i * 53) % (kSize - 30);
}

void DcScene(benchmark::State& state, bool fresh) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(dc, kSize, kSize);
  HGDIOBJ oldBm = SelectObject(dc, bm);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  HBRUSH brush = CreateSolidBrush(RGB(120, 200, 255));
  LOGFONTW lf{};
  lf.lfHeight = -11;
  std::u16string face = u"Arial";
  face.copy(lf.lfFaceName, face.size());
  HFONT font = CreateFontIndirectW(&lf);
  SelectObject(dc, pen);
  SelectObject(dc, brush);
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  char16_t label[24];
  static long frame = 0;
  for (auto _ : state) {
    for (int i = 0; i < kCount; ++i) {
      int x, y;
      Cell(i, &x, &y);
      Rectangle(dc, x, y, x + 60, y + 30);
      int n = 0;
      for (char c : std::to_string(fresh ? frame * kCount + i : i)) label[n++] = char16_t(c);
      TextOutW(dc, x + 4, y + 8, label, n);
    }
    if (fresh) ++frame;
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  SelectObject(dc, oldBm);
  DeleteObject(pen);
  DeleteObject(brush);
  DeleteObject(font);
  DeleteObject(bm);
  DeleteDC(dc);
}
void ThroughDc(benchmark::State& state) { DcScene(state, false); }
void ThroughDcFreshLabels(benchmark::State& state) { DcScene(state, true); }
BENCHMARK(ThroughDc)->Unit(benchmark::kMillisecond);
BENCHMARK(ThroughDcFreshLabels)->Unit(benchmark::kMillisecond);

// The peer does what the device context does for the same picture: the same
// label texts (repeated or new every frame), laid out with the same font
// options (hinted metrics, no hinting, grey antialiasing, 72 dpi) and with
// kerning and ligatures off; new labels on one reused layout, repeated ones
// each on its own layout made before the first frame and kept.
void CairoPangoScene(benchmark::State& state, bool fresh) {
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
      cairo_move_to(cr, x + 4, y + 8);
      pango_cairo_show_layout(cr, shown);
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
void DirectCairoPango(benchmark::State& state) { CairoPangoScene(state, false); }
void DirectCairoPangoFreshLabels(benchmark::State& state) { CairoPangoScene(state, true); }
BENCHMARK(DirectCairoPango)->Unit(benchmark::kMillisecond);
BENCHMARK(DirectCairoPangoFreshLabels)->Unit(benchmark::kMillisecond);

}  // namespace
