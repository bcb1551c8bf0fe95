// The peer of kvexport drawn with cairo and pango alone: the same N boxes
// (rectangles, rounded rectangles and ellipses; solid, hatched and gradient
// fills; outlines solid, dashed, dotted, dash-dotted and dash-dot-dotted; a
// centred Arial 7 label each) with the library's three shadows (an offset
// copy, a raised edge of four copies and a soft ramp of five), on the same
// grid, to cairo's SVG surface, its PDF surface (one page the size of the
// drawing, at 96 pixels per inch like the others) or its image surface
// written as PNG (by extension). Every copy, fill and outline the library
// writes is drawn here too, with the same colours, offsets, dashes, hatch
// tiles (8 x 8 pixels, transparent between the lines) and gradients (a linear
// one from the fill colour to white, a radial one from the fill colour in
// the middle), so that the two files hold the same content.
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
// The library's 8 x 8 hatch tile: lines in `c`, transparent between them.
cairo_surface_t* HatchTile(int hatch, unsigned c) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_surface_flush(s);
  unsigned char* d = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      switch (hatch) {
        case 1: on = y == 7; break;
        case 2: on = x == 7; break;
        case 3: on = x == y; break;
        case 4: on = x == 7 - y; break;
        case 5: on = x == 7 || y == 7; break;
        default: on = x == y || x == 7 - y; break;
      }
      reinterpret_cast<unsigned*>(d + y * stride)[x] = on ? 0xFF000000u | c : 0;
    }
  cairo_surface_mark_dirty(s);
  return s;
}

// The outline's dashes by pen style (1 solid .. 5 dash-dot-dot), in pixels.
void SetDash(cairo_t* cr, int style) {
  static const double dash[] = {18, 6}, dot[] = {3, 3}, dashDot[] = {9, 6, 3, 6}, dashDotDot[] = {9, 3, 3, 3, 3, 3};
  switch (style) {
    case 2: cairo_set_dash(cr, dash, 2, 0); break;
    case 3: cairo_set_dash(cr, dot, 2, 0); break;
    case 4: cairo_set_dash(cr, dashDot, 4, 0); break;
    case 5: cairo_set_dash(cr, dashDotDot, 6, 0); break;
    default: cairo_set_dash(cr, nullptr, 0, 0); break;
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
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);  // as the library fills
  cairo_set_line_width(cr, 1);
  cairo_surface_t* tiles[6][4] = {};
  char label[16];
  for (int i = 0; i < n; ++i) {
    const double x = margin + (i % side) * pitchX, y = margin + (i / side) * pitchY;
    const int kind = i % 3;
    const int pen = plain ? 1 : 1 + i % 5;
    SetDash(cr, pen);
    // A copy of the shape filled and outlined in one grey, `grow` pixels
    // larger on every side.
    auto copy = [&](double dx, double dy, double grow, unsigned grey) {
      rgb(grey);
      Shape(cr, kind, x + dx - grow, y + dy - grow, bw + 2 * grow, bh + 2 * grow);
      cairo_fill_preserve(cr);
      cairo_stroke(cr);
    };
    switch (plain ? 0 : i % 4) {
      case 1: copy(4, 4, 0, 0x808080); break;  // offset
      case 2:  // raised edge: darker, lighter, dark and light copies
        copy(0, 0, 2, 0x4D4D4D);
        copy(-1, -1, 1, 0xCCCCCC);
        copy(0, 0, 1, 0x676767);
        copy(-1, -1, 0, 0xA6A6A6);
        break;
      case 3: {  // soft: from the paper's white to the shadow's grey, a pixel a step
        static const unsigned ramp[] = {0xFFFFFF, 0xE6E6E6, 0xCDCCCC, 0xB4B3B3, 0x9A9A9A};
        for (int k = 0; k < 5; ++k) copy(6 - k, 6 - k, 0, ramp[k]);
        break;
      }
      default: break;
    }
    const unsigned fill = fills[i % 4];
    const bool hatched = !plain && i % 7 == 3 && i % 5 != 2, gradient = !plain && i % 5 == 2;
    if (gradient) {  // clipped to the shape, then the outline
      const double cx = x + bw / 2, cy = y + bh / 2;
      cairo_pattern_t* g;
      if (i % 2) {
        g = cairo_pattern_create_linear(x, y, x + bw, y);
      } else {  // an elliptical radial fill reaching past the corners
        g = cairo_pattern_create_radial(0, 0, 0.0345, 0, 0, 1);
        cairo_matrix_t m;
        cairo_matrix_init_scale(&m, 1 / (bw / 2 * 1.32), 1 / (bh / 2 * 1.32));
        cairo_matrix_translate(&m, -(cx - 1), -(cy - 1));
        cairo_pattern_set_matrix(g, &m);
      }
      cairo_pattern_add_color_stop_rgb(g, 0, (fill >> 16) / 255.0, ((fill >> 8) & 255) / 255.0, (fill & 255) / 255.0);
      cairo_pattern_add_color_stop_rgb(g, 1, 1, 1, 1);
      cairo_save(cr);
      Shape(cr, kind, x, y, bw, bh);
      cairo_clip(cr);
      cairo_set_source(cr, g);
      cairo_paint(cr);
      cairo_restore(cr);
      cairo_pattern_destroy(g);
      Shape(cr, kind, x, y, bw, bh);
    } else if (hatched) {  // the tile's lines over what lies below, then the outline
      const int hatch = 1 + i % 6;
      cairo_surface_t*& tile = tiles[hatch - 1][i % 4];
      if (!tile) tile = HatchTile(hatch, fill);
      cairo_pattern_t* p = cairo_pattern_create_for_surface(tile);
      cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
      cairo_pattern_set_filter(p, CAIRO_FILTER_NEAREST);
      cairo_set_source(cr, p);
      cairo_pattern_destroy(p);
      Shape(cr, kind, x, y, bw, bh);
      cairo_fill_preserve(cr);
    } else {
      rgb(fill);
      Shape(cr, kind, x, y, bw, bh);
      cairo_fill_preserve(cr);
    }
    rgb(0x2F5597);
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
  for (auto& row : tiles)
    for (cairo_surface_t* t : row)
      if (t) cairo_surface_destroy(t);
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
