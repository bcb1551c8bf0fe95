// Coverage masks of curved figures, kept per raster context and drawn again
// wherever the same figure comes back moved by whole pixels.
//
// Flattening and scan-converting a curve is most of what an ellipse or a
// rounded rectangle costs, and diagrams draw the same figure again and again:
// boxes of one size, shadows drawn as a ramp of copies a pixel apart, rings of
// a radial fill. Cairo converts a path to 24.8 fixed point before anything
// else and works on it in integer arithmetic, so a path moved by whole pixels
// covers exactly the same pixels moved by as much. The cache keys a fill or a
// stroke by what decides its coverage (the path in fixed point relative to a
// whole pixel, and the fill rule or line settings, tolerance and antialias
// mode) and keeps the coverage as an A8 mask; the figure is then drawn by
// compositing the context's source through the mask, which with an all-or-
// nothing mask gives every pixel the value the fill or stroke would have given
// it. A figure gets a mask the second time it is seen, so a drawing of
// figures that never repeat pays only for the key.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "win/gdi_internal.h"

namespace kvgdi {

namespace {

bool g_coverageEnabled = true;

constexpr std::size_t kCapacity = 64;

struct CoverageEntry {
  std::uint64_t hash = 0;
  std::vector<std::int32_t> key;
  cairo_surface_t* mask = nullptr;  // null: seen once, no mask yet
  cairo_pattern_t* pattern = nullptr;
  int dx = 0, dy = 0;  // the mask's origin relative to the anchor pixel
  std::uint64_t used = 0;
  void Drop() {
    if (pattern) cairo_pattern_destroy(pattern);
    if (mask) cairo_surface_destroy(mask);
    pattern = nullptr;
    mask = nullptr;
  }
};

std::uint64_t Mix(std::uint64_t h, std::uint32_t v) {
  h ^= v;
  h *= 0x100000001B3ull;
  return h;
}

// A double's bits, as two words of the key.
void PushBits(std::vector<std::int32_t>* key, double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  key->push_back(std::int32_t(std::uint32_t(b)));
  key->push_back(std::int32_t(std::uint32_t(b >> 32)));
}

}  // namespace

struct CoverageCache {
  std::vector<CoverageEntry> entries;
  std::vector<std::int32_t> key;  // scratch
  std::vector<std::int32_t> fixed;  // scratch: the path in 24.8, x y pairs
  std::uint64_t clock = 0;
  ~CoverageCache() {
    for (CoverageEntry& e : entries) e.Drop();
  }
};

void FreeCoverageCache(CoverageCache* cache) { delete cache; }

void SetCoverageCacheEnabled(bool on) { g_coverageEnabled = on; }

namespace {

// The line settings or the fill rule, the tolerance and the antialias mode:
// what besides the path decides which pixels a fill or stroke covers. False
// when the context draws something a mask cannot stand for.
bool AppendSettings(cairo_t* cr, bool stroke, std::vector<std::int32_t>* key, double* pad) {
  if (cairo_get_antialias(cr) != CAIRO_ANTIALIAS_NONE || cairo_get_operator(cr) != CAIRO_OPERATOR_OVER) return false;
  key->push_back(stroke ? 1 : 0);
  PushBits(key, cairo_get_tolerance(cr));
  if (!stroke) {
    key->push_back(int(cairo_get_fill_rule(cr)));
    *pad = 1;
    return true;
  }
  // Dashes are laid along the path from its start, as moved as the path.
  const int dashes = cairo_get_dash_count(cr);
  if (dashes > 64) return false;
  double dash[64], dashOffset = 0;
  cairo_get_dash(cr, dash, &dashOffset);
  key->push_back(dashes);
  for (int i = 0; i < dashes; ++i) PushBits(key, dash[i]);
  PushBits(key, dashOffset);
  const double w = cairo_get_line_width(cr), miter = cairo_get_miter_limit(cr);
  const cairo_line_join_t join = cairo_get_line_join(cr);
  if (!(w > 0 && w < 4096) || !(miter < 4096)) return false;
  PushBits(key, w);
  key->push_back(int(cairo_get_line_cap(cr)));
  key->push_back(int(join));
  PushBits(key, miter);
  // A miter reaches miter limit x half the width from its point; square caps
  // half the width times the square root of two.
  *pad = w / 2 * (join == CAIRO_LINE_JOIN_MITER ? std::max(miter, 2.0) : 2.0) + 2;
  return true;
}

}  // namespace

bool StampCoverage(Dc* dc, cairo_t* cr, const std::vector<PathPoint>& pts, double off, bool stroke) {
  if (!g_coverageEnabled || cr != dc->cr || !dc->session.open || pts.empty()) return false;
  // Only curves: straight figures are cheap to draw as they are.
  if (std::none_of(pts.begin(), pts.end(), [](const PathPoint& p) { return (p.type & ~PT_CLOSEFIGURE) == PT_BEZIERTO; }))
    return false;
  // The path reaches the pixels as the context's matrix and the target's
  // device transform leave it: both must be whole-pixel moves for the fixed
  // points worked out here to be cairo's own.
  cairo_matrix_t m;
  cairo_get_matrix(cr, &m);
  if (m.xx != 1 || m.yy != 1 || m.xy != 0 || m.yx != 0 || m.x0 != std::floor(m.x0) || m.y0 != std::floor(m.y0) ||
      std::fabs(m.x0) > 1e6 || std::fabs(m.y0) > 1e6)
    return false;
  cairo_surface_t* target = cairo_get_group_target(cr);
  if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) return false;
  double tx, ty;
  cairo_surface_get_device_offset(target, &tx, &ty);
  if (tx != 0 || ty != 0) return false;
  cairo_surface_get_device_scale(target, &tx, &ty);
  if (tx != 1 || ty != 1) return false;

  CoverageCache*& cache = dc->coverage;
  if (!cache) cache = new CoverageCache();
  std::vector<std::int32_t>& key = cache->key;
  std::vector<std::int32_t>& fx = cache->fixed;
  key.clear();
  fx.clear();
  double pad = 0;
  if (!AppendSettings(cr, stroke, &key, &pad)) return false;
  // The fixed-point path, as cairo rounds it (to the nearest 1/256, ties to
  // even), relative to the whole pixel of its first point.
  constexpr double kLimit = 1 << 22;
  std::int32_t minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
  for (const PathPoint& p : pts) {
    const double x = (p.x + off) + m.x0, y = (p.y + off) + m.y0;
    if (!(std::fabs(x) < kLimit && std::fabs(y) < kLimit)) return false;
    const auto ix = std::int32_t(std::nearbyint(x * 256)), iy = std::int32_t(std::nearbyint(y * 256));
    fx.push_back(ix);
    fx.push_back(iy);
    minX = std::min(minX, ix);
    minY = std::min(minY, iy);
    maxX = std::max(maxX, ix);
    maxY = std::max(maxY, iy);
  }
  const std::int32_t ax = fx[0] & ~255, ay = fx[1] & ~255;
  key.push_back(std::int32_t(pts.size()));
  for (std::size_t i = 0; i < pts.size(); ++i) {
    key.push_back(pts[i].type);
    key.push_back(fx[2 * i] - ax);
    key.push_back(fx[2 * i + 1] - ay);
  }
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (std::int32_t v : key) hash = Mix(hash, std::uint32_t(v));

  CoverageEntry* hit = nullptr;
  for (CoverageEntry& e : cache->entries)
    if (e.hash == hash && e.key == key) {
      hit = &e;
      break;
    }
  ++cache->clock;
  if (!hit) {
    // First sighting: remember the key, draw as usual.
    CoverageEntry* slot;
    if (cache->entries.size() < kCapacity) {
      cache->entries.emplace_back();
      slot = &cache->entries.back();
    } else {
      slot = &*std::min_element(cache->entries.begin(), cache->entries.end(),
                                [](const CoverageEntry& a, const CoverageEntry& b) { return a.used < b.used; });
      slot->Drop();
    }
    slot->hash = hash;
    slot->key = key;
    slot->used = cache->clock;
    return false;
  }
  hit->used = cache->clock;
  const int px = ax >> 8, py = ay >> 8;  // the anchor pixel
  if (!hit->mask) {
    // Second sighting: the coverage into a mask wide enough for every pixel
    // the figure can touch, made from the same fixed points moved to it.
    const int ipad = int(std::ceil(pad));
    const int ox = (minX >> 8) - ipad, oy = (minY >> 8) - ipad;
    const int w = (maxX >> 8) - ox + ipad + 2, h = (maxY >> 8) - oy + ipad + 2;
    if (w <= 0 || h <= 0 || double(w) * h > 4e6) return false;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    cairo_t* mc = cairo_create(mask);
    cairo_set_antialias(mc, CAIRO_ANTIALIAS_NONE);
    cairo_set_tolerance(mc, cairo_get_tolerance(cr));
    if (stroke) {
      cairo_set_line_width(mc, cairo_get_line_width(cr));
      cairo_set_line_cap(mc, cairo_get_line_cap(cr));
      cairo_set_line_join(mc, cairo_get_line_join(cr));
      cairo_set_miter_limit(mc, cairo_get_miter_limit(cr));
      const int dashes = cairo_get_dash_count(cr);
      double dash[64], dashOffset = 0;
      cairo_get_dash(cr, dash, &dashOffset);
      cairo_set_dash(mc, dash, dashes, dashOffset);
    } else {
      cairo_set_fill_rule(mc, cairo_get_fill_rule(cr));
    }
    std::vector<PathPoint> moved(pts.size());
    for (std::size_t i = 0; i < pts.size(); ++i)
      moved[i] = {(fx[2 * i] - ox * 256) / 256.0, (fx[2 * i + 1] - oy * 256) / 256.0, pts[i].type};
    AddOutlineToCairo(mc, moved, 0);
    if (stroke)
      cairo_stroke(mc);
    else
      cairo_fill(mc);
    const bool ok = cairo_status(mc) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(mc);
    cairo_surface_flush(mask);
    if (!ok || cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(mask);
      return false;
    }
    hit->mask = mask;
    hit->pattern = cairo_pattern_create_for_surface(mask);
    cairo_pattern_set_filter(hit->pattern, CAIRO_FILTER_NEAREST);
    hit->dx = ox - px;
    hit->dy = oy - py;
  }
  // The mask's origin in the context's user space (a whole-pixel move of
  // device space, checked above).
  cairo_matrix_t pm;
  cairo_matrix_init_translate(&pm, -(px + hit->dx - m.x0), -(py + hit->dy - m.y0));
  cairo_pattern_set_matrix(hit->pattern, &pm);
  cairo_mask(cr, hit->pattern);
  return true;
}

}  // namespace kvgdi

void KvSetCoverageCache(bool on) { kvgdi::SetCoverageCacheEnabled(on); }
