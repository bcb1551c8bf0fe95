// The peer of kvexport drawn with cairo and pango alone: the same N boxes
// (rectangles, rounded rectangles and ellipses; solid, hatched and gradient
// fills; offset shadows; a centred Arial 7 label each) on the same grid, to
// cairo's SVG surface, its PDF surface (one page the size of the drawing, at
// 96 pixels per inch like the others) or its image surface written as PNG
// (by extension).
// With --plain the boxes have one-pixel solid outlines and solid fills only,
// as kvexport --plain draws them.
//   cairoboxes [--plain] <boxes> <file>
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
// One unit is 1/7200 inch; 96 pixels per inch.
constexpr double kPx = 96.0 / 7200.0;

void Shape(cairo_t* cr, int kind, double x, double y, double w, double h) {
  if (kind == 0) {
    cairo_rectangle(cr, x, y, w, h);
  } else if (kind == 1) {
    const double r = std::min(900 * kPx, std::min(w, h) / 2);  // the host box's corner: 1/8 inch
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
  } else {
    cairo_save(cr);
    cairo_new_sub_path(cr);  // no line from the current point (the last label's)
    cairo_translate(cr, x + w / 2, y + h / 2);
    cairo_scale(cr, w / 2, h / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
  }
}
}  // namespace

int main(int argc, char** argv) {
  const bool plain = argc > 1 && std::strcmp(argv[1], "--plain") == 0;
  if (plain) {
    --argc;
    ++argv;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: cairoboxes [--plain] <boxes> <file.svg|file.pdf|file.png>\n");
    return 2;
  }
  const int n = std::atoi(argv[1]);
  if (n <= 0) return 2;
  const int side = int(std::ceil(std::sqrt(double(n))));
  const int rows = (n + side - 1) / side;
  const double bw = 2400 * kPx, bh = 1800 * kPx, pitchX = 3000 * kPx, pitchY = 2400 * kPx, margin = 1800 * kPx;
  const int W = int(std::lround(side * pitchX + 2 * margin)), H = int(std::lround(rows * pitchY + 2 * margin));
  const std::string file = argv[2];
  auto ends = [&file](const char* ext) { return file.size() > 4 && file.compare(file.size() - 4, 4, ext) == 0; };
  const bool svg = ends(".svg"), pdf = ends(".pdf");
  cairo_surface_t* s = svg   ? cairo_svg_surface_create(file.c_str(), W, H)
                       : pdf ? cairo_pdf_surface_create(file.c_str(), W * 0.75, H * 0.75)
                             : cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H);
  cairo_t* cr = cairo_create(s);
  if (pdf) cairo_scale(cr, 0.75, 0.75);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* normal = pango_font_description_from_string("Arial");
  pango_font_description_set_absolute_size(normal, 7 * 96.0 / 72 * PANGO_SCALE);
  PangoFontDescription* bold = pango_font_description_copy(normal);
  pango_font_description_set_weight(bold, PANGO_WEIGHT_BOLD);
  const unsigned fills[] = {0xDDEBF7, 0xFFF2CC, 0xE2F0D9, 0xF4B183};
  auto rgb = [&](unsigned c) { cairo_set_source_rgb(cr, (c >> 16) / 255.0, ((c >> 8) & 255) / 255.0, (c & 255) / 255.0); };
  char label[16];
  for (int i = 0; i < n; ++i) {
    const double x = margin + (i % side) * pitchX, y = margin + (i / side) * pitchY;
    const int kind = i % 3;
    if (i % 4 && !plain) {  // shadow
      cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
      Shape(cr, kind, x + 2, y + 2, bw, bh);
      cairo_fill(cr);
    }
    if (i % 5 == 2 && !plain) {
      cairo_pattern_t* g = i % 2 ? cairo_pattern_create_linear(x, y, x + bw, y)
                                 : cairo_pattern_create_radial(x + bw / 2, y + bh / 2, 0, x + bw / 2, y + bh / 2, bw / 2);
      const unsigned c = fills[i % 4];
      cairo_pattern_add_color_stop_rgb(g, 0, 1, 1, 1);
      cairo_pattern_add_color_stop_rgb(g, 1, (c >> 16) / 255.0, ((c >> 8) & 255) / 255.0, (c & 255) / 255.0);
      cairo_set_source(cr, g);
      cairo_pattern_destroy(g);
    } else {
      rgb(fills[i % 4]);
    }
    Shape(cr, kind, x, y, bw, bh);
    cairo_fill_preserve(cr);
    if (i % 7 == 3 && !plain) {  // hatch lines over the fill
      cairo_save(cr);
      cairo_clip_preserve(cr);
      rgb(0x2F5597);
      cairo_set_line_width(cr, 1);
      for (double hx = x - bh; hx < x + bw; hx += 6) {
        cairo_move_to(cr, hx, y + bh);
        cairo_line_to(cr, hx + bh, y);
      }
      cairo_stroke(cr);
      cairo_restore(cr);
    }
    rgb(0x2F5597);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    std::snprintf(label, sizeof label, "N%d", i);
    pango_layout_set_font_description(layout, i % 11 == 0 ? bold : normal);
    pango_layout_set_text(layout, label, -1);
    int tw, th;
    pango_layout_get_pixel_size(layout, &tw, &th);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, x + (bw - tw) / 2, y + (bh - th) / 2);
    pango_cairo_show_layout(cr, layout);
  }
  pango_font_description_free(normal);
  pango_font_description_free(bold);
  g_object_unref(layout);
  cairo_destroy(cr);
  int rc = 0;
  if (!svg && !pdf && cairo_surface_write_to_png(s, file.c_str()) != CAIRO_STATUS_SUCCESS) rc = 1;
  cairo_surface_finish(s);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) rc = 1;
  cairo_surface_destroy(s);
  return rc;
}
