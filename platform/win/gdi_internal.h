// Inside the GDI layer: the handle table, the objects behind the handles and
// the device-context state. Not for use outside platform/win/gdi_*.cpp.
#pragma once

#include <cairo.h>

#include <cmath>
#include <memory>
#include <optional>
#include <type_traits>
#include <string>
#include <vector>

#include "win/gdisink.h"
#include "win/wingdi.h"

namespace kvgdi {

enum class Kind { Pen, Brush, Font, Bitmap, Region, Dc };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
  bool stock = false;
  int selected = 0;  // DCs that hold it selected (current state only)
  bool pendingDelete = false;  // deleted while selected: goes when deselected
};

// ---- regions: sorted bands of sorted, disjoint x spans --------------------------
struct Span {
  int l, r;  // [l, r)
  bool operator==(const Span&) const = default;
};
struct Band {
  int t, b;  // [t, b)
  std::vector<Span> spans;
};
class Rgn {
 public:
  Rgn() = default;
  explicit Rgn(const RECT& rc);
  static Rgn FromRows(int top, const std::vector<std::vector<Span>>& rows);
  // The set pixels (value 128 and above) of an A8 mask whose top-left pixel
  // stands at (left, top); the mask is destroyed.
  static Rgn FromMask(cairo_surface_t* mask, int left, int top);
  // Everything cairo fills with the current path (antialias off), in device units.
  static Rgn FromCairoFill(cairo_t* cr);
  bool Empty() const { return bands_.empty(); }
  int Complexity() const;  // NULLREGION, SIMPLEREGION, COMPLEXREGION
  RECT Box() const;
  bool Contains(int x, int y) const;
  bool Intersects(const RECT& rc) const;
  void Offset(int dx, int dy);
  std::vector<RECT> Rects() const;
  static Rgn Combine(const Rgn& a, const Rgn& b, int mode);
  void AddToCairo(cairo_t* cr) const;  // rectangles into the current path
  bool operator==(const Rgn& o) const;
  const std::vector<Band>& Bands() const { return bands_; }

 private:
  void Normalise();
  std::vector<Band> bands_;
};

// ---- objects ------------------------------------------------------------------------
struct Pen : Object {
  Pen() : Object(Kind::Pen) {}
  bool ext = false;  // made by ExtCreatePen: GetObject answers EXTLOGPEN
  DWORD style = PS_SOLID;  // whole style word (type, style, cap, join)
  int width = 1;
  COLORREF color = 0;
  UINT brushStyle = BS_SOLID;
  ULONG_PTR hatch = 0;
  std::vector<DWORD> user;
  bool Null() const { return (style & PS_STYLE_MASK) == PS_NULL; }
  bool Geometric() const { return (style & PS_TYPE_MASK) == PS_GEOMETRIC; }
};

struct Bitmap;
struct Brush : Object {
  Brush() : Object(Kind::Brush) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
  HBITMAP original = nullptr;  // as given to CreatePatternBrush (for GetObject)
  cairo_surface_t* pattern = nullptr;  // own copy of the pattern pixels (RGB24)
  bool monoPattern = false;  // 1-bit pattern: black = text colour, white = background
  ~Brush() override;
};

struct Font : Object {
  Font() : Object(Kind::Font) {}
  LOGFONTW lf{};
  // Its last realised form and that form's scale (kept by gdi_text.cpp), so
  // that switching between fonts back and forth realises nothing again.
  void* realFont = nullptr;
  double realScale = 0;
};

struct Bitmap : Object {
  Bitmap() : Object(Kind::Bitmap) {}
  ~Bitmap() override;
  cairo_surface_t* surface = nullptr;  // RGB24 (or ARGB32 for 32-bit DIB sections)
  int width = 0, height = 0;
  int bitsPixel = 32;  // as reported (1 for monochrome bitmaps)
  bool dib = false;
  BITMAPINFOHEADER header{};  // DIB sections
  std::vector<unsigned char> own;  // pixels of the surface when not cairo-allocated
  HDC selectedIn = nullptr;
};

// ---- device contexts -------------------------------------------------------------------
struct PathPoint {
  double x, y;  // device units
  BYTE type;
};

// The curve a region was made from (an ellipse, a rounded rectangle), in
// device units: a page clips to the curve itself rather than to the region's
// pixel rows, which would be a score of rectangles for every clipped shape.
using ShapeOutline = std::shared_ptr<const std::vector<PathPoint>>;

struct RegionObj : Object {
  RegionObj() : Object(Kind::Region) {}
  Rgn rgn;
  ShapeOutline outline;  // none once the region is anything but the shape (moved along with it)
};

struct DcState {
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HBITMAP bitmap = nullptr;
  int rop2 = R2_COPYPEN;
  int bkMode = OPAQUE;
  COLORREF bkColor = RGB(255, 255, 255);
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF dcBrushColor = RGB(255, 255, 255);
  COLORREF dcPenColor = RGB(0, 0, 0);
  int fillMode = ALTERNATE;
  UINT textAlign = TA_LEFT | TA_TOP;
  int charExtra = 0;
  int stretchMode = BLACKONWHITE;
  POINT brushOrg{0, 0};
  int arcDir = AD_COUNTERCLOCKWISE;
  float miter = 10.0f;
  int mapMode = MM_TEXT;
  POINT wOrg{0, 0}, vOrg{0, 0};
  SIZE wExt{1, 1}, vExt{1, 1};
  int graphicsMode = GM_COMPATIBLE;
  XFORM world{1, 0, 0, 1, 0, 0};
  POINT cur{0, 0};
  std::optional<Rgn> clip;  // device units; none = whole surface
  // On a page, the clip as drawn when shapes were ANDed into it: clipBase
  // (none: the whole surface) within every one of clipShapes. `clip` stays
  // the region every question about the clip is answered from.
  std::optional<Rgn> clipBase;
  std::vector<ShapeOutline> clipShapes;
};

struct CoverageCache;  // gdi_coverage.cpp
void FreeCoverageCache(CoverageCache* cache);

struct Dc : Object {
  Dc() : Object(Kind::Dc) {}
  ~Dc() override;
  std::unique_ptr<KvGdiSink> sink;
  bool memory = false;  // SelectObject(bitmap) allowed
  bool screen = false;  // released by ReleaseDC
  cairo_t* cr = nullptr;  // rendering context (memory DCs: on the selected bitmap)
  cairo_surface_t* surface = nullptr;  // raster surface or null
  cairo_matrix_t base{};  // device pixels -> the sink's cairo user space
  DcState st;
  std::vector<DcState> saved;
  bool inPath = false;  // between BeginPath and EndPath
  bool havePath = false;  // a closed path waits for FillPath & co.
  std::vector<PathPoint> path;
  int jobId = 0;
  KvDeviceInfo info{};
  // The realised form of the selected font at the scale it was realised for
  // (kept by gdi_text.cpp; realised again when either differs).
  void* realFont = nullptr;
  LOGFONTW realLf{};
  double realScale = 0;
  // Shapes and plain text keep their cairo state between calls: one
  // cairo_save opens the session, and whatever needs the context as it was
  // (a clip, another drawing, a caller of KvGetDCCairo) ends it first with
  // EndCairoSession. Within it the context stands at `base` between calls,
  // and the pen's line settings and the sources of the last pen and solid
  // brush are kept, with the selections they were made for.
  struct CairoSession {
    bool open = false;
    int antialias = -1;  // the context's antialias mode, -1 unknown
    bool penSet = false;  // the line settings below are in the context
    HPEN pen = nullptr;
    COLORREF penDcColor = 0;
    double penScale = 0, penMiter = 0;
    bool penCosmetic = false;
    double penWidth = 1;
    cairo_pattern_t* penSource = nullptr;
    HBRUSH brush = nullptr;  // solid brushes only
    COLORREF brushDcColor = 0;
    cairo_pattern_t* brushSource = nullptr;
  } session;
  // Coverage masks of curved figures drawn on this context (gdi_coverage.cpp).
  CoverageCache* coverage = nullptr;
  // The hatch tiles drawn on this context, each made once: a document
  // (PDF, SVG) then holds one picture per hatch instead of one per shape.
  struct HatchTile {
    int hatch = 0;
    COLORREF fg = 0, bg = 0;
    bool opaque = false;
    cairo_surface_t* surface = nullptr;
  };
  std::vector<HatchTile> hatchTiles;

  // Logical -> device transform.
  cairo_matrix_t Matrix() const;
  // The last transform made and the mapping it was made from: drawing asks
  // for it several times per call.
  struct MatrixMemo {
    bool valid = false;
    POINT wOrg{}, vOrg{};
    SIZE wExt{}, vExt{};
    int graphicsMode = 0;
    XFORM world{};
    cairo_matrix_t m{};
  };
  mutable MatrixMemo matrixMemo;
  cairo_matrix_t MakeMatrix() const;
  void LpToDp(double x, double y, double* dx, double* dy) const;
  POINT LpToDpPt(double x, double y) const;
  bool Renders() const { return cr != nullptr; }
  void ApplyClip();  // resets cairo's clip to st.clip
  void Send(const KvGdiCall& call) {
    if (sink) sink->OnCall(call);
  }
};

// ---- the handle table -----------------------------------------------------------------
void* AddObject(std::unique_ptr<Object> obj);
Object* Lookup(const void* handle);
template <class T>
T* As(const void* handle, Kind kind) {
  Object* o = Lookup(handle);
  return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
}
inline Dc* GetDc(const void* h) { return As<Dc>(h, Kind::Dc); }
inline Pen* GetPen(const void* h) { return As<Pen>(h, Kind::Pen); }
inline Brush* GetBrush(const void* h) { return As<Brush>(h, Kind::Brush); }
inline Font* GetFont(const void* h) { return As<Font>(h, Kind::Font); }
inline Bitmap* GetBitmap(const void* h) { return As<Bitmap>(h, Kind::Bitmap); }
inline RegionObj* GetRegion(const void* h) { return As<RegionObj>(h, Kind::Region); }
// Handles of every kind as the generic object handle, and back.
template <class H>
inline HGDIOBJ G(H h) {
  return reinterpret_cast<HGDIOBJ>(h);
}
template <class T>
inline T Stock(int index) {
  return reinterpret_cast<T>(GetStockObject(index));
}
inline bool Same(const void* a, const void* b) { return a == b; }
void RemoveObject(const void* handle);  // destroys it

HBITMAP DefaultBitmap();  // the 1 x 1 monochrome bitmap of new memory DCs

// ---- drawing helpers (gdi_draw.cpp) ----------------------------------------------------
// An outline in device units: cairo path data built from pixel-centre points.
struct Outline {
  std::vector<PathPoint> pts;  // PT_MOVETO / PT_LINETO / PT_BEZIERTO (| PT_CLOSEFIGURE)
  bool closed = false;  // fillable shape
  void Move(double x, double y) { pts.push_back({x, y, PT_MOVETO}); }
  void Line(double x, double y) { pts.push_back({x, y, PT_LINETO}); }
  void Curve(double x1, double y1, double x2, double y2, double x3, double y3) {
    pts.push_back({x1, y1, PT_BEZIERTO});
    pts.push_back({x2, y2, PT_BEZIERTO});
    pts.push_back({x3, y3, PT_BEZIERTO});
  }
  void Close() {
    if (!pts.empty()) pts.back().type |= PT_CLOSEFIGURE;
  }
};
void AddOutlineToCairo(cairo_t* cr, const std::vector<PathPoint>& pts, double offset);
// Fills (stroke false) or strokes the figure `pts` moved by `offset` with the
// context's settings through a kept coverage mask, when the figure has curves,
// `cr` is the raster context of the DC's open session and the same figure
// was seen before; false (nothing drawn) otherwise: the caller draws it.
bool StampCoverage(Dc* dc, cairo_t* cr, const std::vector<PathPoint>& pts, double offset, bool stroke);
void SetCoverageCacheEnabled(bool on);
// Sets a pen or brush as cairo's source; false when it paints nothing.
bool SetBrushSource(Dc* dc, cairo_t* cr, HBRUSH brush);
bool SetPenSource(Dc* dc, cairo_t* cr, bool* cosmetic, double* width);
// Runs `draw` on the DC's cairo context (device pixels, antialiasing off on
// raster sinks): directly for R2_COPYPEN and vector sinks, else through a
// coverage layer combined bitwise into the surface. `bounds` (device units,
// may be null) limits the layer.
// `inSession`: the drawing leaves in the context only what the session keeps
// track of (see Dc::CairoSession), so that no save and restore is needed.
void RenderRop(Dc* dc, int rop2, void (*fn)(Dc*, cairo_t*, void*), void* ctx, const RECT* bounds = nullptr,
               bool inSession = false);
void EndCairoSession(Dc* dc);
// The antialias mode of the DC's own context, set only when it changes.
void SetDcAntialias(Dc* dc, cairo_t* cr, cairo_antialias_t mode);
template <class F>
void RenderMode(Dc* dc, int rop2, F&& draw, const RECT* bounds = nullptr, bool inSession = false) {
  RenderRop(
      dc, rop2, [](Dc* d, cairo_t* cr, void* c) { (*static_cast<std::remove_reference_t<F>*>(c))(d, cr); },
      const_cast<void*>(static_cast<const void*>(&draw)), bounds, inSession);
}
void HealDc(Dc* dc);  // remakes a raster context that went into an error state
unsigned RopPixel(int rop2, unsigned pen, unsigned dst);  // 0x00RRGGBB words
void SelectBitmapSurface(Dc* dc, Bitmap* bm);

// ---- text (gdi_text.cpp) ----------------------------------------------------------------
struct TextRun;
// Advances of each UTF-16 unit of `text` in device pixels with the DC's font.
std::vector<int> TextAdvances(Dc* dc, const std::u16string& text);
bool DrawTextRun(Dc* dc, int x, int y, UINT options, const RECT* rc, const std::u16string& text,
                 const std::vector<int>& dxLogical);
void TextOutline(Dc* dc, int x, int y, const std::u16string& text, std::vector<PathPoint>* path);
int TextHeight(Dc* dc);
int AvgCharWidth(Dc* dc);

// A device or logical coordinate from a double: rounded, kept within
// +-2^30 so that sums and edges never overflow; NaN gives 0.
inline LONG ToLong(double v) {
  if (!(v == v)) return 0;
  constexpr double lim = 1073741824.0;
  return LONG(v < -lim ? -lim : v > lim ? lim : std::round(v));
}

inline COLORREF ToColor(unsigned rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
inline unsigned ToRgb(COLORREF c) {
  return (unsigned(GetRValue(c)) << 16) | (unsigned(GetGValue(c)) << 8) | GetBValue(c);
}
inline void SetColor(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

}  // namespace kvgdi
