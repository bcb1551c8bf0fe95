// Fonts and text: LOGFONTW realised through pango on fontconfig, hinted
// integer metrics per device pixel, kerning and ligatures off; ExtTextOut,
// DrawText and the measuring calls.
//
// Every DC lays text out on one pango context with one font-options object,
// whatever its surface, so that bitmaps, PDF and metafiles place glyphs alike.
#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_map>
#include <memory>
#include <mutex>
#include <string_view>

#include "win/gdi_internal.h"
#include "win/winutf8.h"

namespace kvgdi {

namespace {

struct TextEngine {
  PangoFontMap* map;
  PangoContext* ctx;
  cairo_font_options_t* options;
  PangoAttrList* attrs;
  PangoAttribute* features;  // the feature settings of `attrs`, copied onto items
  PangoGlyphString* shaped;  // the glyphs of one item, shaped outside a layout
  TextEngine() {
    // Fontconfig loads its configuration here, once, before pango's own
    // thread could race with this one to load it too.
    FcInit();
    map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    ctx = pango_font_map_create_context(map);
    options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    pango_cairo_context_set_font_options(ctx, options);
    pango_cairo_context_set_resolution(ctx, 72.0);
    pango_context_set_base_gravity(ctx, PANGO_GRAVITY_SOUTH);
    // Kerning and ligatures off: advances are the letters' own.
    attrs = pango_attr_list_new();
    features = pango_attr_font_features_new("kern 0, liga 0, clig 0, calt 0, dlig 0");
    pango_attr_list_insert(attrs, pango_attribute_copy(features));
    shaped = pango_glyph_string_new();
  }
};

std::mutex& TextMutex() {
  static std::mutex m;
  return m;
}

TextEngine*& EnginePtr() {
  static TextEngine* e = nullptr;
  return e;
}

void ReleaseText();

TextEngine& Engine() {
  TextEngine*& e = EnginePtr();
  if (!e) {
    e = new TextEngine();
    std::atexit(ReleaseText);
  }
  return *e;
}

struct RealFont {
  PangoFontDescription* desc = nullptr;
  int em = 0;  // character height in device pixels
  TEXTMETRICW tm{};
  int underlinePos = 0, underlineThick = 1;  // below the baseline
  int strikePos = 0;  // above the baseline
  std::string family;  // as fontconfig resolved it
  PangoFont* font = nullptr;  // loaded on first use of glyph indices
  // Every text of this font that needs the layout's own work (see
  // PlainText) is shaped on this one layout, which keeps the font and the
  // feature attributes set once.
  PangoLayout* layout = nullptr;
  PangoAttrList* itemAttrs = nullptr;  // the font, for itemizing plain texts
};

std::map<std::string, RealFont>& FontCache() {
  static auto* m = new std::map<std::string, RealFont>();
  return *m;
}

std::u16string FaceOf(const LOGFONTW& lf) {
  std::u16string face(lf.lfFaceName, std::find(lf.lfFaceName, lf.lfFaceName + LF_FACESIZE, u'\0'));
  if (!face.empty()) return face;
  if ((lf.lfPitchAndFamily & 3) == FIXED_PITCH || (lf.lfPitchAndFamily & 0xF0) == FF_MODERN) return u"Courier New";
  if ((lf.lfPitchAndFamily & 0xF0) == FF_ROMAN) return u"Times New Roman";
  return u"Arial";
}

PangoFontDescription* Describe(const LOGFONTW& lf, double em) {
  PangoFontDescription* d = pango_font_description_new();
  std::string family = KvUtf16ToUtf8(FaceOf(lf));
  pango_font_description_set_family(d, family.c_str());
  pango_font_description_set_weight(d, PangoWeight(lf.lfWeight > 0 ? std::clamp<LONG>(lf.lfWeight, 100, 1000) : 400));
  pango_font_description_set_style(d, lf.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_font_description_set_absolute_size(d, em * PANGO_SCALE);
  return d;
}

struct FaceUnits {
  int upem = 2048, winAscent = 1854, winDescent = 434, lineGap = 0, avgWidth = 0, maxAdvance = 0;
  bool fixed = false;
};

FaceUnits UnitsOf(PangoFont* font) {
  FaceUnits u;
  cairo_scaled_font_t* sf = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
  if (!sf || cairo_scaled_font_get_type(sf) != CAIRO_FONT_TYPE_FT) return u;
  FT_Face face = cairo_ft_scaled_font_lock_face(sf);
  if (!face) return u;
  u.upem = face->units_per_EM ? face->units_per_EM : 2048;
  u.maxAdvance = face->max_advance_width;
  u.fixed = FT_IS_FIXED_WIDTH(face);
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    u.winAscent = os2->usWinAscent;
    u.winDescent = os2->usWinDescent;
    u.avgWidth = os2->xAvgCharWidth;
  } else {
    u.winAscent = face->ascender;
    u.winDescent = -face->descender;
  }
  if (hhea) u.lineGap = std::max(0, int(hhea->Line_Gap) - ((u.winAscent + u.winDescent) - (hhea->Ascender - hhea->Descender)));
  cairo_ft_scaled_font_unlock_face(sf);
  return u;
}

// Realises a logical font at a device scale (device pixels per logical unit).
RealFont& Realise(const LOGFONTW& lf, double scale) {
  // Character heights beyond 16384 pixels are drawn at that height.
  long h = std::min(16384L, std::lround(std::min(std::fabs(double(lf.lfHeight) * scale), 1e6)));
  std::string key(reinterpret_cast<const char*>(&lf), sizeof lf);
  key += "@" + std::to_string(h) + (lf.lfHeight < 0 ? "c" : "p");
  auto& cache = FontCache();
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  RealFont rf;
  TextEngine& e = Engine();
  // Cell heights (positive lfHeight) turn into character heights by the
  // font's own ascent and descent.
  PangoFontDescription* probe = Describe(lf, 100);
  PangoFont* pf = pango_font_map_load_font(e.map, e.ctx, probe);
  FaceUnits u = pf ? UnitsOf(pf) : FaceUnits{};
  if (pf) {
    PangoFontDescription* got = pango_font_describe(pf);
    rf.family = pango_font_description_get_family(got) ? pango_font_description_get_family(got) : "";
    pango_font_description_free(got);
    g_object_unref(pf);
  }
  pango_font_description_free(probe);
  int em;
  if (lf.lfHeight < 0)
    em = int(std::max(1L, h));
  else if (lf.lfHeight > 0)
    em = std::max(1, int(std::lround(double(h) * u.upem / (u.winAscent + u.winDescent))));
  else
    em = int(std::lround(16.0 * u.upem / (u.winAscent + u.winDescent)));
  rf.em = em;
  rf.desc = Describe(lf, em);
  double k = double(em) / u.upem;
  TEXTMETRICW& tm = rf.tm;
  tm.tmAscent = LONG(std::ceil(u.winAscent * k - 1e-6));
  tm.tmDescent = LONG(std::ceil(u.winDescent * k - 1e-6));
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0L, long(tm.tmHeight - em));
  tm.tmExternalLeading = LONG(std::lround(u.lineGap * k));
  tm.tmAveCharWidth = LONG(std::lround((u.avgWidth ? u.avgWidth : u.upem / 2) * k));
  tm.tmMaxCharWidth = LONG(std::lround((u.maxAdvance ? u.maxAdvance : u.upem) * k));
  tm.tmWeight = lf.lfWeight > 0 ? lf.lfWeight : FW_NORMAL;
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x20;
  tm.tmLastChar = 0xFFFC;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = lf.lfItalic ? 1 : 0;
  tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
  tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
  BYTE fam = lf.lfPitchAndFamily & 0xF0;
  tm.tmPitchAndFamily = BYTE((u.fixed ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE | (fam ? fam : FF_SWISS));
  tm.tmCharSet = lf.lfCharSet;
  rf.underlineThick = std::max(1, int(std::lround(em / 14.0)));
  rf.underlinePos = std::max(1, int(std::lround(tm.tmDescent / 2.0)));
  rf.strikePos = std::max(1, int(std::lround(tm.tmAscent / 3.0)));
  return cache.emplace(key, rf).first->second;
}

double FontScale(Dc* dc) {
  cairo_matrix_t m = dc->Matrix();
  return std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
}

const LOGFONTW& DcLogFont(Dc* dc) {
  Font* f = GetFont(dc->st.font);
  if (!f) f = GetFont(GetStockObject(SYSTEM_FONT));
  return f->lf;
}

// One shaped item of a text: its font (one reference) and its glyphs, a
// slice of the run's glyph arrays.
struct GlyphRun {
  PangoFont* font = nullptr;
  int offset = 0, length = 0;  // the item's UTF-8 bytes
  int first = 0, count = 0;  // its glyphs in Run::glyphs and Run::clusters
  bool plain = true;  // no glyph is drawn as a missing-glyph box
  double x = 0;  // once placed: the x of its first glyph
  int shownFrom = 0, shownTo = 0;  // once placed: its glyphs in Run::shown
};

// The realised font of the DC's selected font at its present scale. The DC
// keeps it and realises again only when another font record or scale comes.
RealFont& DcFont(Dc* dc) {
  const double scale = FontScale(dc);
  Font* f = GetFont(dc->st.font);
  if (!f) f = GetFont(GetStockObject(SYSTEM_FONT));
  const LOGFONTW& lf = f->lf;
  if (dc->realFont && dc->realScale == scale && std::memcmp(&dc->realLf, &lf, sizeof lf) == 0)
    return *static_cast<RealFont*>(dc->realFont);
  if (!f->realFont || f->realScale != scale) {
    f->realFont = &Realise(lf, scale);
    f->realScale = scale;
  }
  RealFont& rf = *static_cast<RealFont*>(f->realFont);
  dc->realFont = &rf;
  dc->realLf = lf;
  dc->realScale = scale;
  return rf;
}

// A laid-out run of text: its glyph runs plus the device advance of every
// UTF-16 unit. The glyphs are copied out of the shared layout into the run's
// own arrays (the layout moves on to other texts), and placed once, at the
// run's own advances, as cairo glyphs ready to show.
struct Run {
  std::vector<GlyphRun> runs;
  std::vector<PangoGlyphInfo> glyphs;
  std::vector<int> clusters;  // per glyph: its byte in the item
  std::vector<int> adv;  // device pixels per UTF-16 unit (0 inside clusters)
  std::vector<int> byteToUnit;  // UTF-8 byte offset -> UTF-16 index
  std::vector<cairo_glyph_t> shown;  // the glyphs shown, once placed (baseline y 0)
  bool placed = false;  // the glyphs stand at `adv`
  Run() = default;
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;
  ~Run() {
    for (GlyphRun& g : runs)
      if (g.font) g_object_unref(g.font);
  }
  // A glyph string over a glyph run's slice of the arrays (not to be freed).
  PangoGlyphString View(const GlyphRun& g) {
    PangoGlyphString v{};
    v.num_glyphs = g.count;
    v.glyphs = glyphs.data() + g.first;
    v.log_clusters = clusters.data() + g.first;
    v.space = g.count;
    return v;
  }
};

// Texts the layout shapes item by item with nothing else to do: printable
// Latin-1 (no controls, tabs or line ends, no soft hyphen, nothing written
// right to left), which is what labels mostly are.
bool PlainText(const std::u16string& text) {
  for (char16_t c : text)
    if (c < 0x20 || (c > 0x7E && c < 0xA0) || c == 0xAD || c > 0xFF) return false;
  return true;
}

bool& DirectShapingFlag() {
  static bool on = true;
  return on;
}
bool DirectShaping() { return DirectShapingFlag(); }

void LayOut(RealFont& rf, const std::u16string& text, Run* run) {
  TextEngine& e = Engine();
  std::string utf8;
  utf8.reserve(text.size());
  run->byteToUnit.clear();
  run->byteToUnit.reserve(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    std::size_t unit = i;
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (cp == 0) cp = 0x20;
    char buf[4];
    int n = cp < 0x80 ? (buf[0] = char(cp), 1)
            : cp < 0x800 ? (buf[0] = char(0xC0 | (cp >> 6)), buf[1] = char(0x80 | (cp & 0x3F)), 2)
            : cp < 0x10000 ? (buf[0] = char(0xE0 | (cp >> 12)), buf[1] = char(0x80 | ((cp >> 6) & 0x3F)),
                              buf[2] = char(0x80 | (cp & 0x3F)), 3)
                           : (buf[0] = char(0xF0 | (cp >> 18)), buf[1] = char(0x80 | ((cp >> 12) & 0x3F)),
                              buf[2] = char(0x80 | ((cp >> 6) & 0x3F)), buf[3] = char(0x80 | (cp & 0x3F)), 4);
    for (int k = 0; k < n; ++k) run->byteToUnit.push_back(int(unit));
    utf8.append(buf, std::size_t(n));
  }
  run->byteToUnit.push_back(int(text.size()));
  run->adv.assign(text.size(), 0);
  // One item's glyphs copied into the run's arrays, its widths added to the
  // advance of the unit each glyph's cluster starts at.
  auto add = [&](PangoItem* item, const PangoGlyphString* gs) {
    GlyphRun g;
    g.font = item->analysis.font;
    if (g.font) g_object_ref(g.font);
    g.offset = item->offset;
    g.length = item->length;
    g.first = int(run->glyphs.size());
    g.count = gs->num_glyphs;
    run->glyphs.insert(run->glyphs.end(), gs->glyphs, gs->glyphs + gs->num_glyphs);
    run->clusters.insert(run->clusters.end(), gs->log_clusters, gs->log_clusters + gs->num_glyphs);
    for (int k = 0; k < gs->num_glyphs; ++k) {
      // Missing-glyph boxes and raised or lowered glyphs are left to pango.
      if ((gs->glyphs[k].glyph & PANGO_GLYPH_UNKNOWN_FLAG) || gs->glyphs[k].geometry.y_offset != 0) g.plain = false;
      int byte = item->offset + gs->log_clusters[k];
      int unit = byte < int(run->byteToUnit.size()) ? run->byteToUnit[std::size_t(byte)] : 0;
      if (unit < int(run->adv.size())) run->adv[std::size_t(unit)] += gs->glyphs[k].geometry.width;
    }
    run->runs.push_back(g);
  };
  if (DirectShaping() && PlainText(text)) {
    // Itemized and shaped as the layout would, without its line breaking,
    // attribute splitting and extents: one line of left-to-right text with
    // nothing to break or to show in its place has the layout's glyphs.
    if (!rf.itemAttrs) {
      rf.itemAttrs = pango_attr_list_new();
      pango_attr_list_insert(rf.itemAttrs, pango_attr_font_desc_new(rf.desc));
    }
    GList* items = pango_itemize(e.ctx, utf8.data(), 0, int(utf8.size()), rf.itemAttrs, nullptr);
    const PangoShapeFlags flags =
        pango_context_get_round_glyph_positions(e.ctx) ? PANGO_SHAPE_ROUND_POSITIONS : PANGO_SHAPE_NONE;
    for (GList* l = items; l; l = l->next) {
      auto* item = static_cast<PangoItem*>(l->data);
      item->analysis.extra_attrs = g_slist_prepend(item->analysis.extra_attrs, pango_attribute_copy(e.features));
      pango_shape_item(item, utf8.data(), int(utf8.size()), nullptr, e.shaped, flags);
      add(item, e.shaped);
    }
    g_list_free_full(items, reinterpret_cast<GDestroyNotify>(pango_item_free));
  } else {
    if (!rf.layout) {
      rf.layout = pango_layout_new(e.ctx);
      pango_layout_set_single_paragraph_mode(rf.layout, TRUE);
      pango_layout_set_font_description(rf.layout, rf.desc);
      pango_layout_set_attributes(rf.layout, e.attrs);
    }
    pango_layout_set_text(rf.layout, utf8.data(), int(utf8.size()));
    PangoLayoutLine* line = pango_layout_get_line_readonly(rf.layout, 0);
    std::size_t total = 0;
    for (GSList* l = line ? line->runs : nullptr; l; l = l->next)
      total += std::size_t(static_cast<PangoGlyphItem*>(l->data)->glyphs->num_glyphs);
    run->glyphs.reserve(total);
    run->clusters.reserve(total);
    for (GSList* l = line ? line->runs : nullptr; l; l = l->next) {
      auto* gi = static_cast<PangoGlyphItem*>(l->data);
      add(gi->item, gi->glyphs);
    }
  }
  for (int& a : run->adv) a = (a + PANGO_SCALE / 2) / PANGO_SCALE;
}

struct RunKey {
  const RealFont* font;
  std::u16string text;
  bool operator==(const RunKey&) const = default;
};
// Looked up without copying the text.
struct RunKeyView {
  const RealFont* font;
  std::u16string_view text;
};
struct RunKeyHash {
  using is_transparent = void;
  std::size_t operator()(const RunKeyView& k) const {
    return std::hash<std::u16string_view>()(k.text) ^ (std::hash<const void*>()(k.font) * 0x9E3779B97F4A7C15ull);
  }
  std::size_t operator()(const RunKey& k) const { return (*this)(RunKeyView{k.font, k.text}); }
};
struct RunKeyEqual {
  using is_transparent = void;
  static RunKeyView View(const RunKey& k) { return {k.font, k.text}; }
  static RunKeyView View(const RunKeyView& k) { return k; }
  template <class A, class B>
  bool operator()(const A& a, const B& b) const {
    const RunKeyView x = View(a), y = View(b);
    return x.font == y.font && x.text == y.text;
  }
};
using RunMap = std::unordered_map<RunKey, std::shared_ptr<Run>, RunKeyHash, RunKeyEqual>;
RunMap& RunCache() {
  static auto* cache = [] {
    auto* m = new RunMap();
    m->reserve(16384);
    return m;
  }();
  return *cache;
}

// The texts of a frame's labels, keyed by font and text: measuring a label
// (often more than once) and then drawing it lays it out once. When the
// cache is full it starts again empty, which keeps the cost of a miss flat.
// The last run found is kept aside: measuring and then drawing the same text
// finds it again without hashing.
//
// A text goes into the cache only when it comes a second time: frames of
// texts never seen again (a scroll through new labels) would otherwise fill
// it with runs that are only freed later, and the memory they take costs more
// than their layouts. The texts seen once are remembered by a hash each, in
// a small table that starts again empty when half full.
constexpr std::size_t kRunCacheSize = 16384;
constexpr std::size_t kSeenSlots = 32768;  // a power of two
struct LastRun {
  const RealFont* font = nullptr;
  std::u16string text;
  std::shared_ptr<Run> run;
};
LastRun& LastFound() {
  static auto* last = new LastRun();
  return *last;
}
struct SeenTexts {
  std::vector<std::uint64_t> slots = std::vector<std::uint64_t>(kSeenSlots, 0);
  std::size_t count = 0;
  // True when the hash was there; else it is added.
  bool CheckAndAdd(std::uint64_t h) {
    if (h == 0) h = 1;
    std::size_t i = std::size_t(h * 0x9E3779B97F4A7C15ull >> 49) & (kSeenSlots - 1);
    for (; slots[i] != 0; i = (i + 1) & (kSeenSlots - 1))
      if (slots[i] == h) return true;
    if (count >= kSeenSlots / 2) {
      std::fill(slots.begin(), slots.end(), 0);
      count = 0;
      i = std::size_t(h * 0x9E3779B97F4A7C15ull >> 49) & (kSeenSlots - 1);
    }
    slots[i] = h;
    ++count;
    return false;
  }
};
SeenTexts& Seen() {
  static auto* seen = new SeenTexts();
  return *seen;
}
std::shared_ptr<Run> CachedRun(RealFont& rf, const std::u16string& text) {
  LastRun& last = LastFound();
  if (last.run && last.font == &rf && last.text == text) return last.run;
  RunMap& cache = RunCache();
  const RunKeyView key{&rf, text};
  auto it = cache.find(key);
  std::shared_ptr<Run> run;
  if (it != cache.end()) {
    run = it->second;
  } else {
    run = std::make_shared<Run>();
    LayOut(rf, text, run.get());
    if (Seen().CheckAndAdd(RunKeyHash()(key))) {
      if (cache.size() >= kRunCacheSize) cache.clear();
      cache.emplace(RunKey{&rf, text}, run);
    }
  }
  last.font = &rf;
  last.text = text;
  last.run = run;
  return run;
}

// The cairo font of a realised font, for text given as glyph indices.
cairo_scaled_font_t* ScaledFont(RealFont& rf) {
  if (!rf.font) rf.font = pango_font_map_load_font(Engine().map, Engine().ctx, rf.desc);
  return rf.font ? pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(rf.font)) : nullptr;
}

std::vector<int> GlyphAdvances(RealFont& rf, const std::u16string& ids) {
  std::vector<int> adv(ids.size(), 0);
  cairo_scaled_font_t* sf = ScaledFont(rf);
  if (!sf) return adv;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    cairo_glyph_t g{ids[i], 0, 0};
    cairo_text_extents_t ext;
    cairo_scaled_font_glyph_extents(sf, &g, 1, &ext);
    adv[i] = int(std::lround(ext.x_advance));
  }
  return adv;
}

// At exit: the layouts, fonts, context and font map go, so that leak checkers
// see only what fontconfig and cairo keep for the process.
void ReleaseText() {
  std::lock_guard<std::mutex> lock(TextMutex());
  RunCache().clear();
  LastFound() = LastRun();
  for (auto& [key, rf] : FontCache()) {
    pango_font_description_free(rf.desc);
    if (rf.font) g_object_unref(rf.font);
    if (rf.layout) g_object_unref(rf.layout);
    if (rf.itemAttrs) pango_attr_list_unref(rf.itemAttrs);
  }
  FontCache().clear();
  TextEngine*& e = EnginePtr();
  if (!e) return;
  pango_attr_list_unref(e->attrs);
  pango_attribute_destroy(e->features);
  pango_glyph_string_free(e->shaped);
  g_object_unref(e->ctx);
  g_object_unref(e->map);
  cairo_font_options_destroy(e->options);
  delete e;
  e = nullptr;
}

}  // namespace

std::vector<int> TextAdvances(Dc* dc, const std::u16string& text) {
  std::lock_guard<std::mutex> lock(TextMutex());
  RealFont& rf = DcFont(dc);
  std::vector<int> adv = CachedRun(rf, text)->adv;
  if (dc->st.charExtra)
    for (int& a : adv) a += int(std::lround(dc->st.charExtra * FontScale(dc)));
  return adv;
}

int TextHeight(Dc* dc) {
  std::lock_guard<std::mutex> lock(TextMutex());
  return DcFont(dc).tm.tmHeight;
}

int AvgCharWidth(Dc* dc) {
  std::lock_guard<std::mutex> lock(TextMutex());
  return DcFont(dc).tm.tmAveCharWidth;
}

// The glyphs of one glyph run placed at the device advances `adv` (as
// running starts `start`): the last glyph of each cluster advances to the
// start of the next cluster. Answers the x of the run's first glyph.
// `shaped` is the glyph run as shaped; `gs` (its glyphs, or a copy) receives
// the widths, or is null when only the x is wanted.
static double Place(const Run& run, const GlyphRun& gr, const std::vector<double>& start, const PangoGlyphString& shaped,
                    PangoGlyphString* gs) {
  const std::size_t n = start.size() - 1;
  auto unitOf = [&](int byte) {
    return byte < int(run.byteToUnit.size()) ? run.byteToUnit[std::size_t(byte)] : int(n);
  };
  int firstByte = gr.offset + (shaped.num_glyphs ? shaped.log_clusters[0] : 0);
  int firstUnit = firstByte < int(run.byteToUnit.size()) ? run.byteToUnit[std::size_t(firstByte)] : 0;
  double x = start[std::min<std::size_t>(std::size_t(firstUnit), n)];
  if (!gs) return x;
  int endUnit = unitOf(gr.offset + gr.length);
  for (int g = 0; g < gs->num_glyphs; ++g) {
    int unit = std::min(unitOf(gr.offset + gs->log_clusters[g]), int(n));
    bool last = g + 1 == gs->num_glyphs || gs->log_clusters[g + 1] != gs->log_clusters[g];
    int next = g + 1 < gs->num_glyphs ? unitOf(gr.offset + gs->log_clusters[g + 1]) : endUnit;
    next = std::clamp(next, 0, int(n));
    gs->glyphs[g].geometry.width =
        last ? int(std::lround((start[std::size_t(next)] - start[std::size_t(unit)]) * PANGO_SCALE)) : 0;
  }
  return x;
}

static std::vector<double> Starts(const std::vector<int>& adv) {
  std::vector<double> start(adv.size() + 1, 0);
  for (std::size_t i = 0; i < adv.size(); ++i) start[i + 1] = start[i] + adv[i];
  return start;
}

// Places the run's glyphs once at its own advances, which is how almost
// every text is drawn (called with the text lock held), and makes the cairo
// glyphs of its plain glyph runs: each where pango would show it from the
// run's origin (x + (position + x offset) / PANGO_SCALE), empty glyphs left
// out.
static void PlaceAtOwnAdvances(Run& run) {
  if (run.placed) return;
  std::vector<double> start = Starts(run.adv);
  run.shown.clear();
  run.shown.reserve(run.glyphs.size());
  for (GlyphRun& gr : run.runs) {
    PangoGlyphString v = run.View(gr);
    const double x = Place(run, gr, start, v, &v);
    gr.x = x;
    gr.shownFrom = gr.shownTo = int(run.shown.size());
    if (!gr.plain) continue;
    int position = 0;
    for (int g = 0; g < v.num_glyphs; ++g) {
      const PangoGlyphInfo& gi = v.glyphs[g];
      if (gi.glyph != PANGO_GLYPH_EMPTY)
        run.shown.push_back({gi.glyph, x + double(position + gi.geometry.x_offset) / PANGO_SCALE, 0.0});
      position += gi.geometry.width;
    }
    gr.shownTo = int(run.shown.size());
  }
  run.placed = true;
}

// Draws (or adds to the path) a run at device position (ox, oy) of the
// reference point, with device advances `adv`.
static void ShowRun(Dc* dc, cairo_t* cr, const RealFont& rf, const Run& constRun, const std::vector<int>& adv, double ox,
                    double oy, double angle, double baselineDy, bool toPath) {
  Run& run = const_cast<Run&>(constRun);  // only views of its arrays are made
  cairo_matrix_t saved;
  cairo_get_matrix(cr, &saved);
  cairo_translate(cr, ox, oy);
  cairo_rotate(cr, angle);
  const bool own = run.placed && adv == run.adv;
  std::vector<double> start;
  if (!own) start = Starts(adv);
  // Unturned text placed at its own advances goes to cairo as it was placed,
  // on the baseline (an exact translation: glyph y is 0). Only on raster
  // targets: a vector surface hints the font for its own transform, and the
  // glyphs pango shows there land where the screen's do, these do not.
  cairo_matrix_t m;
  cairo_get_matrix(cr, &m);
  const bool raster = dc && dc->sink && dc->sink->Kind() == KvSinkKind::Raster;
  const bool direct = raster && own && !toPath && m.xy == 0 && m.yx == 0;
  for (std::size_t i = 0; i < run.runs.size(); ++i) {
    const GlyphRun& gr = run.runs[i];
    if (direct && gr.plain) {
      cairo_scaled_font_t* sf = gr.font ? pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(gr.font)) : nullptr;
      if (sf && cairo_scaled_font_status(sf) == CAIRO_STATUS_SUCCESS) {
        const int from = gr.shownFrom, to = gr.shownTo;
        cairo_translate(cr, 0, baselineDy);
        cairo_set_scaled_font(cr, sf);
        if (to > from) cairo_show_glyphs(cr, run.shown.data() + from, to - from);
        cairo_set_matrix(cr, &m);
        continue;
      }
    }
    // Other advances: a copy placed for this call only.
    PangoGlyphString view = run.View(gr);
    PangoGlyphString* gs = own ? &view : pango_glyph_string_copy(&view);
    double x = own ? gr.x : Place(run, gr, start, view, gs);
    cairo_move_to(cr, x, baselineDy);
    if (toPath)
      pango_cairo_glyph_string_path(cr, gr.font, gs);
    else
      pango_cairo_show_glyph_string(cr, gr.font, gs);
    if (gs != &view) pango_glyph_string_free(gs);
  }
  long width = 0;
  for (int a : adv) width += a;
  if (!toPath && (rf.tm.tmUnderlined || rf.tm.tmStruckOut) && width > 0) {
    if (rf.tm.tmUnderlined) cairo_rectangle(cr, 0, baselineDy + rf.underlinePos, double(width), rf.underlineThick);
    if (rf.tm.tmStruckOut) cairo_rectangle(cr, 0, baselineDy - rf.strikePos, double(width), rf.underlineThick);
    cairo_fill(cr);
  }
  cairo_set_matrix(cr, &saved);
}

bool DrawTextRun(Dc* dc, int x, int y, UINT options, const RECT* rc, const std::u16string& text,
                 const std::vector<int>& dxLogical) {
  cairo_matrix_t m = dc->Matrix();
  double sx = std::sqrt(m.xx * m.xx + m.yx * m.yx);
  // At one device pixel per logical unit the advances are the logical ones.
  std::vector<int> scaled;
  bool same = sx == 1.0;
  for (std::size_t i = 0; same && i < dxLogical.size(); ++i) same = dxLogical[i] >= -(1 << 30) && dxLogical[i] <= (1 << 30);
  if (!same) {
    scaled.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) scaled[i] = ToLong(dxLogical[i] * sx);
  }
  const std::vector<int>& adv = same ? dxLogical : scaled;
  std::unique_lock<std::mutex> lock(TextMutex());
  const LOGFONTW& lf = DcLogFont(dc);
  RealFont& rf = DcFont(dc);
  const bool glyphs = (options & ETO_GLYPH_INDEX) != 0;
  std::shared_ptr<Run> held = glyphs ? std::make_shared<Run>() : CachedRun(rf, text);
  const Run& run = *held;
  if (!glyphs && adv == held->adv) PlaceAtOwnAdvances(*held);
  cairo_scaled_font_t* sf = glyphs ? ScaledFont(rf) : nullptr;
  if (glyphs && !sf) return false;
  lock.unlock();
  // Glyph indices are shown as they are, at the advances given.
  auto show = [&](cairo_t* cr, double px, double py, double ang, double base, const std::vector<int>& a, bool toPath) {
    if (!glyphs) {
      ShowRun(dc, cr, rf, run, a, px, py, ang, base, toPath);
      return;
    }
    std::vector<cairo_glyph_t> gl(text.size());
    double at = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      gl[i] = {text[i], at, base};
      at += a[i];
    }
    cairo_save(cr);
    cairo_translate(cr, px, py);
    cairo_rotate(cr, ang);
    cairo_set_scaled_font(cr, sf);
    if (toPath)
      cairo_glyph_path(cr, gl.data(), int(gl.size()));
    else
      cairo_show_glyphs(cr, gl.data(), int(gl.size()));
    cairo_restore(cr);
  };
  long width = 0;
  for (int a : adv) width += a;
  double angle = -(lf.lfEscapement / 10.0) * M_PI / 180.0;
  // Escapement is counted from the device's x axis, or the world's in the
  // advanced mode.
  if (dc->st.graphicsMode == GM_ADVANCED) {
    if ((m.xx * m.yy - m.xy * m.yx) < 0) angle = -angle;
    angle += std::atan2(m.yx, m.xx);
  }
  // Reference point and alignment, in the rotated frame.
  double ox, oy;
  UINT align = dc->st.textAlign;
  POINT at = (align & TA_UPDATECP) ? dc->st.cur : POINT{x, y};
  dc->LpToDp(at.x, at.y, &ox, &oy);
  ox = std::round(ox);
  oy = std::round(oy);
  double dx0 = 0;
  if ((align & TA_CENTER) == TA_CENTER)
    dx0 = -double(width / 2);
  else if (align & TA_RIGHT)
    dx0 = -double(width);
  double baseline;
  if ((align & TA_BASELINE) == TA_BASELINE)
    baseline = 0;
  else if (align & TA_BOTTOM)
    baseline = -rf.tm.tmDescent;
  else
    baseline = rf.tm.tmAscent;
  if (align & TA_UPDATECP) {
    // The position moves along by the text's width (in logical units).
    long lw = 0;
    for (int d : dxLogical) lw += d;
    if ((align & TA_CENTER) != TA_CENTER) dc->st.cur.x += (align & TA_RIGHT) ? -LONG(lw) : LONG(lw);
  }
  RECT devRc{};
  if (rc) {
    POINT a = dc->LpToDpPt(rc->left, rc->top), b = dc->LpToDpPt(rc->right, rc->bottom);
    devRc = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  }
  if (dc->inPath) {
    // Unbounded, so that no glyph is culled as lying outside the surface.
    cairo_surface_t* s = cairo_recording_surface_create(CAIRO_CONTENT_ALPHA, nullptr);
    cairo_t* cr = cairo_create(s);
    show(cr, ox + dx0 * std::cos(angle), oy + dx0 * std::sin(angle), angle, baseline, adv, true);
    cairo_path_t* p = cairo_copy_path(cr);
    for (int i = 0; i < p->num_data; i += p->data[i].header.length) {
      const cairo_path_data_t* d = &p->data[i];
      switch (d->header.type) {
        case CAIRO_PATH_MOVE_TO: dc->path.push_back({d[1].point.x, d[1].point.y, PT_MOVETO}); break;
        case CAIRO_PATH_LINE_TO: dc->path.push_back({d[1].point.x, d[1].point.y, PT_LINETO}); break;
        case CAIRO_PATH_CURVE_TO:
          for (int k = 1; k <= 3; ++k) dc->path.push_back({d[k].point.x, d[k].point.y, PT_BEZIERTO});
          break;
        case CAIRO_PATH_CLOSE_PATH:
          if (!dc->path.empty()) dc->path.back().type |= PT_CLOSEFIGURE;
          break;
      }
    }
    cairo_path_destroy(p);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    return true;
  }
  if (!dc->cr) return true;
  // Text is not touched by the mix mode. It draws within the context's
  // session: it leaves only the antialias mode (kept track of) and its
  // colour (sources are set anew for every drawing). Text clipped to its box
  // saves and restores around its drawing, so that the clip and all it set
  // go away again and the session's record stays true.
  const bool clipped = rc && (options & ETO_CLIPPED);
  RenderMode(dc, R2_COPYPEN, [&](Dc* d, cairo_t* cr) {
    if (clipped) {
      cairo_save(cr);
      cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    } else {
      SetDcAntialias(d, cr, CAIRO_ANTIALIAS_DEFAULT);
    }
    if (rc && (options & ETO_OPAQUE)) {
      SetColor(cr, dc->st.bkColor);
      cairo_rectangle(cr, devRc.left, devRc.top, devRc.right - devRc.left, devRc.bottom - devRc.top);
      cairo_fill(cr);
    }
    if (clipped) {
      cairo_rectangle(cr, devRc.left, devRc.top, devRc.right - devRc.left, devRc.bottom - devRc.top);
      cairo_clip(cr);
    }
    if (dc->st.bkMode == OPAQUE && width > 0) {
      cairo_save(cr);
      cairo_translate(cr, ox, oy);
      cairo_rotate(cr, angle);
      SetColor(cr, dc->st.bkColor);
      cairo_rectangle(cr, dx0, baseline - rf.tm.tmAscent, double(width), rf.tm.tmHeight);
      cairo_fill(cr);
      cairo_restore(cr);
    }
    SetColor(cr, dc->st.textColor);
    show(cr, ox + dx0 * std::cos(angle), oy + dx0 * std::sin(angle), angle, baseline, adv, false);
    if (clipped) cairo_restore(cr);
  }, nullptr, true);
  return true;
}

}  // namespace kvgdi

using namespace kvgdi;

// Leak checkers: fontconfig loses a few bytes of its configuration on every
// FcInit of this version; nothing of ours.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

const cairo_font_options_t* KvGdiFontOptions() {
  std::lock_guard<std::mutex> lock(TextMutex());
  return Engine().options;
}

std::string KvResolveFontFamily(LPCWSTR face) {
  LOGFONTW lf{};
  lf.lfHeight = -12;
  for (int i = 0; face && face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  std::lock_guard<std::mutex> lock(TextMutex());
  return Realise(lf, 1.0).family;
}

void KvSetDirectShaping(bool on) {
  std::lock_guard<std::mutex> lock(TextMutex());
  DirectShapingFlag() = on;
  // Runs laid out the other way go, so that what comes next is shaped anew.
  RunCache().clear();
  LastFound() = LastRun();
  Seen() = SeenTexts();
}

static std::u16string Text(LPCWSTR text, int count) {
  if (!text) return {};
  if (count < 0) return std::u16string(text);
  return std::u16string(text, std::size_t(count));
}

// Device advances in logical units (per UTF-16 unit).
static std::vector<int> LogicalAdvances(Dc* dc, const std::u16string& text) {
  std::vector<int> adv = TextAdvances(dc, text);
  cairo_matrix_t m = dc->Matrix();
  double sx = std::sqrt(m.xx * m.xx + m.yx * m.yx);
  if (std::fabs(sx - 1.0) > 1e-12) {
    // Keep the running sum exact: logical positions of the device positions.
    long dev = 0, prevLog = 0;
    for (int& a : adv) {
      dev += a;
      long lg = std::lround(dev / sx);
      a = int(lg - prevLog);
      prevLog = lg;
    }
  }
  return adv;
}

static int LogicalHeight(Dc* dc) {
  cairo_matrix_t m = dc->Matrix();
  double sy = std::sqrt(m.yy * m.yy + m.xy * m.xy);
  return ToLong(TextHeight(dc) / sy);
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rc, LPCWSTR text, UINT count, const INT* dx) {
  Dc* dc = GetDc(hdc);
  if (!dc || (!text && count > 0) || count > (1u << 24)) return FALSE;
  std::u16string s = text ? std::u16string(text, count) : std::u16string();
  std::vector<int> adv;
  if (dx) {
    adv.assign(dx, dx + count);
  } else if (options & ETO_GLYPH_INDEX) {
    std::lock_guard<std::mutex> lock(TextMutex());
    adv = GlyphAdvances(DcFont(dc), s);
    double sc = FontScale(dc);
    for (int& a : adv) a = ToLong(a / sc);
  } else {
    adv = LogicalAdvances(dc, s);
  }
  if (!dc->sink || !dc->sink->WantsCalls()) return DrawTextRun(dc, x, y, options, rc, s, adv);
  KvGdiCall c;
  c.op = KvGdiOp::ExtTextOut;
  c.args[0] = x;
  c.args[1] = y;
  c.options = options;
  if (rc) {
    c.rect = *rc;
    c.hasRect = true;
  }
  // The call keeps the text and advances; drawing reads them from there.
  c.text = std::move(s);
  c.dx = std::move(adv);
  long w = 0;
  for (int a : c.dx) w += a;
  POINT a = dc->LpToDpPt(x, y);
  int h = TextHeight(dc);
  // Generous bounds around the run, turned with the font's escapement so
  // that a turned text lies inside its own bounds.
  {
    const double turn = -(DcLogFont(dc).lfEscapement / 10.0) * M_PI / 180.0;
    const double cs = std::cos(turn), sn = std::sin(turn);
    double l = 1e300, t = 1e300, r = -1e300, b = -1e300;
    for (double along : {-double(h), double(w) + h})
      for (double across : {-2.0 * h, 2.0 * h}) {
        const double px = a.x + along * cs - across * sn, py = a.y + along * sn + across * cs;
        l = std::min(l, px);
        t = std::min(t, py);
        r = std::max(r, px);
        b = std::max(b, py);
      }
    c.bounds = {ToLong(std::floor(l)), ToLong(std::floor(t)), ToLong(std::ceil(r)), ToLong(std::ceil(b))};
  }
  if (rc) {
    RECT d{dc->LpToDpPt(rc->left, rc->top).x, dc->LpToDpPt(rc->left, rc->top).y,
           dc->LpToDpPt(rc->right, rc->bottom).x, dc->LpToDpPt(rc->right, rc->bottom).y};
    if (options & ETO_CLIPPED) IntersectRect(&c.bounds, &c.bounds, &d);
    if (options & ETO_OPAQUE) UnionRect(&c.bounds, &c.bounds, &d);
  }
  dc->Send(c);
  return DrawTextRun(dc, x, y, options, rc, c.text, c.dx);
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOutW(hdc, x, y, 0, nullptr, text, UINT(count), nullptr);
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size) {
  Dc* dc = GetDc(hdc);
  if (!dc || !size || count < 0 || (!text && count > 0)) return FALSE;
  std::vector<int> adv = LogicalAdvances(dc, Text(text, count));
  long w = 0;
  for (int a : adv) w += a;
  size->cx = LONG(w);
  size->cy = LogicalHeight(dc);
  return TRUE;
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, LPINT fit, LPINT dx, LPSIZE size) {
  Dc* dc = GetDc(hdc);
  if (!dc || count < 0 || (!text && count > 0)) return FALSE;
  std::vector<int> adv = LogicalAdvances(dc, Text(text, count));
  long w = 0;
  int n = 0;
  for (std::size_t i = 0; i < adv.size(); ++i) {
    w += adv[i];
    if (dx) dx[i] = int(w);
    if (maxExtent < 0 || w <= maxExtent) n = int(i) + 1;
  }
  if (fit) *fit = n;
  if (size) {
    size->cx = LONG(w);
    size->cy = LogicalHeight(dc);
  }
  return TRUE;
}

// Tab expansion: with no stops, every 8 average character widths; one stop
// repeats; more stops are positions, then the last step repeats.
static long NextTab(long x, int nTabs, const INT* tabs, int avg, int origin) {
  if (nTabs <= 0 || !tabs) {
    long step = std::max(1, 8 * avg);
    return ((x - origin) / step + 1) * step + origin;
  }
  if (nTabs == 1) {
    long step = std::max(1, std::abs(tabs[0]));
    return ((x - origin) / step + 1) * step + origin;
  }
  for (int i = 0; i < nTabs; ++i)
    if (origin + std::abs(tabs[i]) > x) return origin + std::abs(tabs[i]);
  long step = std::max(1, std::abs(tabs[nTabs - 1]) - std::abs(tabs[nTabs - 2]));
  long last = origin + std::abs(tabs[nTabs - 1]);
  return last + ((x - last) / step + 1) * step;
}

struct Segment {
  std::u16string text;
  long x;
  long width;
  std::vector<int> adv;  // logical advances, as measured
};

static std::vector<Segment> TabSegments(Dc* dc, const std::u16string& s, int nTabs, const INT* tabs, int origin,
                                        long* total) {
  std::vector<Segment> out;
  int avg = -1;  // the average character width, taken at the first tab
  long x = origin;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    if (i < s.size() && s[i] != u'\t') continue;
    Segment seg{s.substr(start, i - start), x, 0, {}};
    seg.adv = LogicalAdvances(dc, seg.text);
    for (int a : seg.adv) seg.width += a;
    x += seg.width;
    if (!seg.text.empty()) out.push_back(std::move(seg));
    if (i < s.size()) {
      if (avg < 0) avg = int(std::lround(AvgCharWidth(dc) / std::max(1e-9, FontScale(dc))));
      x = NextTab(x, nTabs, tabs, avg, origin);
    }
    start = i + 1;
  }
  *total = x - origin;
  return out;
}

DWORD GetTabbedTextExtentW(HDC hdc, LPCWSTR text, int count, int nTabs, const INT* tabs) {
  Dc* dc = GetDc(hdc);
  if (!dc || count < 0 || (!text && count > 0)) return 0;
  long total;
  TabSegments(dc, Text(text, count), nTabs, tabs, 0, &total);
  return MAKELONG(WORD(total), WORD(LogicalHeight(dc)));
}

LONG TabbedTextOutW(HDC hdc, int x, int y, LPCWSTR text, int count, int nTabs, const INT* tabs, int origin) {
  Dc* dc = GetDc(hdc);
  if (!dc || count < 0 || (!text && count > 0)) return 0;
  long total;
  std::vector<Segment> segs = TabSegments(dc, Text(text, count), nTabs, tabs, origin, &total);
  for (const Segment& s : segs) ExtTextOutW(hdc, int(x + s.x - origin), y, 0, nullptr, s.text.data(), UINT(s.text.size()), nullptr);
  return LONG(MAKELONG(WORD(total), WORD(LogicalHeight(dc))));
}

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* tm) {
  Dc* dc = GetDc(hdc);
  if (!dc || !tm) return FALSE;
  std::lock_guard<std::mutex> lock(TextMutex());
  double scale = FontScale(dc);
  *tm = Realise(DcLogFont(dc), scale).tm;
  if (std::fabs(scale - 1.0) > 1e-12) {
    auto lg = [&](LONG v) { return LONG(std::lround(v / scale)); };
    tm->tmHeight = lg(tm->tmHeight);
    tm->tmAscent = lg(tm->tmAscent);
    tm->tmDescent = tm->tmHeight - tm->tmAscent;
    tm->tmInternalLeading = lg(tm->tmInternalLeading);
    tm->tmExternalLeading = lg(tm->tmExternalLeading);
    tm->tmAveCharWidth = lg(tm->tmAveCharWidth);
    tm->tmMaxCharWidth = lg(tm->tmMaxCharWidth);
  }
  return TRUE;
}

BOOL GetCharWidth32W(HDC hdc, UINT first, UINT last, LPINT widths) {
  Dc* dc = GetDc(hdc);
  if (!dc || !widths || last < first || last - first > 0x10000) return FALSE;
  for (UINT c = first; c <= last; ++c) {
    std::u16string s(1, char16_t(c));
    widths[c - first] = LogicalAdvances(dc, s)[0];
  }
  return TRUE;
}
BOOL GetCharWidthW(HDC hdc, UINT first, UINT last, LPINT widths) { return GetCharWidth32W(hdc, first, last, widths); }

BOOL GetCharABCWidthsW(HDC hdc, UINT first, UINT last, ABC* abc) {
  Dc* dc = GetDc(hdc);
  if (!dc || !abc || last < first || last - first > 0x10000) return FALSE;
  for (UINT c = first; c <= last; ++c) {
    std::u16string s(1, char16_t(c));
    abc[c - first] = {0, UINT(std::max(0, LogicalAdvances(dc, s)[0])), 0};
  }
  return TRUE;
}

int GetTextFaceW(HDC hdc, int count, LPWSTR face) {
  Dc* dc = GetDc(hdc);
  if (!dc) return 0;
  std::u16string f = FaceOf(DcLogFont(dc));
  if (!face) return int(f.size()) + 1;
  if (count <= 0) return 0;
  int n = std::min<int>(count - 1, int(f.size()));
  std::copy(f.begin(), f.begin() + n, face);
  face[n] = 0;
  return n;
}

// ---- DrawText --------------------------------------------------------------------------------
namespace {
struct DtLine {
  std::u16string text;
  long width;
  std::vector<Segment> segs;  // what is drawn, measured once
};

// The width of a line; `segs` (when given) receives the pieces to draw with
// their advances, so that drawing measures nothing again.
long Width(Dc* dc, const std::u16string& s, UINT fmt, int tabLen, std::vector<Segment>* segs = nullptr) {
  if (fmt & DT_EXPANDTABS) {
    long total;
    INT tab = tabLen;
    std::vector<Segment> got = TabSegments(dc, s, tabLen ? 1 : 0, tabLen ? &tab : nullptr, 0, &total);
    if (segs) *segs = std::move(got);
    return total;
  }
  Segment one{s, 0, 0, LogicalAdvances(dc, s)};
  for (int a : one.adv) one.width += a;
  const long w = one.width;
  if (segs) {
    segs->clear();
    segs->push_back(std::move(one));
  }
  return w;
}

DtLine MeasuredLine(Dc* dc, const std::u16string& s, UINT fmt, int tabLen) {
  DtLine l{s, 0, {}};
  l.width = Width(dc, s, fmt, tabLen, &l.segs);
  return l;
}

// Removes the prefix signs: "&&" is "&", "&x" is x underlined (its index in
// the result goes to `marks`).
std::u16string StripPrefix(const std::u16string& s, UINT fmt, std::vector<std::size_t>* marks) {
  if (fmt & DT_NOPREFIX) return s;
  std::u16string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'&') {
      if (i + 1 < s.size() && s[i + 1] == u'&') {
        out += u'&';
        ++i;
      } else if (i + 1 < s.size()) {
        marks->push_back(out.size());
      }
      continue;
    }
    out += s[i];
  }
  return out;
}

// Breaks one paragraph into lines that fit `maxW` at blanks; a word wider than
// the line stays whole on its own line.
void WordBreak(Dc* dc, const std::u16string& para, long maxW, UINT fmt, int tabLen, std::vector<DtLine>* out) {
  if (para.empty()) {
    out->push_back(MeasuredLine(dc, u"", fmt, tabLen));
    return;
  }
  // Tokens: a word with the blanks after it; every token moves the line on.
  std::vector<std::u16string> tokens;
  for (std::size_t i = 0; i < para.size();) {
    std::size_t j = i;
    while (j < para.size() && para[j] != u' ' && para[j] != u'\t') ++j;
    while (j < para.size() && (para[j] == u' ' || para[j] == u'\t')) ++j;
    tokens.push_back(para.substr(i, j - i));
    i = j;
  }
  auto trimmed = [](std::u16string t) {
    while (!t.empty() && t.back() == u' ') t.pop_back();
    return t;
  };
  std::u16string line;
  for (const std::u16string& t : tokens) {
    if (!line.empty() && Width(dc, trimmed(line + t), fmt, tabLen) > maxW) {
      out->push_back(MeasuredLine(dc, trimmed(line), fmt, tabLen));
      line.clear();
    }
    line += t;
  }
  out->push_back(MeasuredLine(dc, trimmed(line), fmt, tabLen));
}
}  // namespace

int DrawTextExW(HDC hdc, LPWSTR text, int count, LPRECT rc, UINT fmt, DRAWTEXTPARAMS* params) {
  Dc* dc = GetDc(hdc);
  if (!dc || !rc || (!text && count != 0)) return 0;
  std::u16string s = Text(text, count);
  int tabLen = 0;
  if (fmt & DT_TABSTOP) tabLen = int((fmt >> 8) & 0xFF) * int(std::lround(AvgCharWidth(dc) / FontScale(dc)));
  if (params && params->iTabLength > 0)
    tabLen = params->iTabLength * int(std::lround(AvgCharWidth(dc) / FontScale(dc)));
  UINT f = (fmt & DT_TABSTOP) ? (fmt & ~0xFF00u) | DT_TABSTOP : fmt;
  RECT r = *rc;
  if (params) {
    r.left += params->iLeftMargin;
    r.right -= params->iRightMargin;
  }
  std::vector<std::size_t> marks;
  if (!(f & DT_NOPREFIX)) s = StripPrefix(s, f, &marks);
  long lineH = LogicalHeight(dc);
  if (f & DT_EXTERNALLEADING) {
    TEXTMETRICW tm;
    GetTextMetricsW(hdc, &tm);
    lineH += tm.tmExternalLeading;
  }
  // Lines.
  std::vector<DtLine> lines;
  long maxW = r.right - r.left;
  if (f & DT_SINGLELINE) {
    std::u16string one;
    if (s.find_first_of(u"\r\n") == std::u16string::npos) {
      one = s;
    } else {
      for (char16_t ch : s)
        if (ch != u'\r' && ch != u'\n') one += ch;
    }
    lines.push_back(MeasuredLine(dc, one, f, tabLen));
  } else {
    std::size_t pos = 0;
    while (true) {
      std::size_t nl = s.find_first_of(u"\r\n", pos);
      std::u16string para = s.substr(pos, nl == std::u16string::npos ? std::u16string::npos : nl - pos);
      if (f & DT_WORDBREAK)
        WordBreak(dc, para, maxW, f, tabLen, &lines);
      else
        lines.push_back(MeasuredLine(dc, para, f, tabLen));
      if (nl == std::u16string::npos) break;
      pos = nl + ((s[nl] == u'\r' && nl + 1 < s.size() && s[nl + 1] == u'\n') ? 2 : 1);
      if (pos >= s.size()) break;
    }
  }
  // End ellipsis: cut the line and add "..." so that it fits.
  if (f & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) {
    for (DtLine& l : lines) {
      if (l.width <= maxW) continue;
      std::u16string t = l.text;
      while (!t.empty() && Width(dc, t + u"...", f, tabLen) > maxW) t.pop_back();
      l = MeasuredLine(dc, t + u"...", f, tabLen);
    }
  }
  long widest = 0;
  for (const DtLine& l : lines) widest = std::max(widest, l.width);
  long totalH = lineH * long(lines.size());
  long y = r.top;
  if (f & DT_SINGLELINE) {
    if (f & DT_VCENTER)
      y = r.top + (r.bottom - r.top - lineH) / 2;
    else if (f & DT_BOTTOM)
      y = r.bottom - lineH;
  }
  if (f & DT_CALCRECT) {
    if (lines.size() <= 1 || !(f & DT_WORDBREAK) || widest > maxW)
      rc->right = rc->left + LONG(widest) + (params ? params->iLeftMargin + params->iRightMargin : 0);
    rc->bottom = rc->top + LONG(totalH);
    if (params) params->uiLengthDrawn = UINT(s.size());
    return int(totalH);
  }
  UINT savedAlign = dc->st.textAlign;
  dc->st.textAlign = TA_LEFT | TA_TOP;
  std::size_t from = 0;  // where the line starts in the text
  TEXTMETRICW tm{};
  if (!marks.empty()) GetTextMetricsW(hdc, &tm);
  for (const DtLine& l : lines) {
    long x = r.left;
    if (f & DT_CENTER)
      x = r.left + (maxW - l.width) / 2;
    else if (f & DT_RIGHT)
      x = r.right - l.width;
    UINT opts = (f & DT_NOCLIP) ? 0 : ETO_CLIPPED;
    if (f & DT_PREFIXONLY) {
      // Only the underlines.
    } else {
      for (const Segment& seg : l.segs)
        ExtTextOutW(hdc, int(x + seg.x), int(y), opts, &r, seg.text.data(), UINT(seg.text.size()), seg.adv.data());
    }
    // Prefixed characters are underlined, one pixel below the baseline.
    std::size_t at = l.text.empty() ? std::u16string::npos : s.find(l.text, from);
    if (at != std::u16string::npos && !(f & DT_HIDEPREFIX)) {
      for (std::size_t m : marks) {
        if (m < at || m >= at + l.text.size()) continue;
        long x0 = x + Width(dc, l.text.substr(0, m - at), f, tabLen);
        long x1 = x + Width(dc, l.text.substr(0, m - at + 1), f, tabLen);
        RECT u{LONG(x0), LONG(y + tm.tmAscent + 1), LONG(x1), LONG(y + tm.tmAscent + 2)};
        if (!(f & DT_NOCLIP)) IntersectRect(&u, &u, &r);
        HBRUSH ink = CreateSolidBrush(dc->st.textColor);
        FillRect(hdc, &u, ink);
        DeleteObject(ink);
      }
      from = at + l.text.size();
    }
    y += lineH;
  }
  dc->st.textAlign = savedAlign;
  if (params) params->uiLengthDrawn = UINT(s.size());
  if (f & DT_SINGLELINE && (f & (DT_VCENTER | DT_BOTTOM))) return int(y - r.top);
  return int(totalH);
}

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rc, UINT format) {
  return DrawTextExW(hdc, const_cast<LPWSTR>(text), count, rc, format, nullptr);
}
