// Device contexts: creation on sinks (raster, PDF, recording, foreign), state,
// coordinate spaces, clipping, saved states, object selection and documents.
#include <cairo-pdf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>

#include <cstring>

#include "win/gdi_internal.h"
#include "win/winutf8.h"

namespace kvgdi {

// A raster sink over an image surface; memory DCs switch its surface when a
// bitmap is selected.
class RasterSink : public KvGdiSink {
 public:
  RasterSink(cairo_surface_t* s, KvDeviceInfo info) : info_(info) { SetSurface(s); }
  ~RasterSink() override {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
  }
  KvSinkKind Kind() const override { return KvSinkKind::Raster; }
  KvDeviceInfo DeviceInfo() const override { return info_; }
  bool WantsCalls() const override { return false; }
  cairo_t* Cairo() override { return cr_; }
  cairo_surface_t* Surface() override { return surface_; }
  void SetSurface(cairo_surface_t* s) {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
    surface_ = cairo_surface_reference(s);
    cr_ = cairo_create(s);
  }

 private:
  KvDeviceInfo info_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
};

class PdfSink : public KvGdiSink {
 public:
  PdfSink(cairo_surface_t* s, KvDeviceInfo info) : info_(info), surface_(s) {
    cr_ = cairo_create(s);
    cairo_scale(cr_, 72.0 / info.dpiX, 72.0 / info.dpiY);
  }
  ~PdfSink() override {
    Finish();
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  KvSinkKind Kind() const override { return KvSinkKind::Pdf; }
  KvDeviceInfo DeviceInfo() const override { return info_; }
  cairo_t* Cairo() override { return cr_; }
  bool StartDoc(const std::u16string& name) override {
    if (!name.empty()) cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, KvUtf16ToUtf8(name).c_str());
    return true;
  }
  bool StartPage() override {
    dirty_ = true;
    // A page starts as white paper. Painting it opaque is also what keeps
    // cairo's account of the page's drawn area one rectangle: without it
    // that account grows with every shape of another extent, and every
    // later shape pays for all earlier ones (quadratic in the drawing).
    cairo_save(cr_);
    cairo_reset_clip(cr_);
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
    cairo_restore(cr_);
    return true;
  }
  bool EndPage() override {
    cairo_show_page(cr_);
    dirty_ = false;
    pages_++;
    return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
  }
  bool EndDoc() override {
    Finish();
    return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
  }
  void Finish() override {
    if (finished_) return;
    finished_ = true;
    if (dirty_ || pages_ == 0) cairo_show_page(cr_);
    cairo_surface_finish(surface_);
  }
  void MarkDrawn() { dirty_ = true; }

 private:
  KvDeviceInfo info_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
  bool dirty_ = false, finished_ = false;
  int pages_ = 0;
};

Dc::~Dc() {
  FreeCoverageCache(coverage);
  for (const HatchTile& t : hatchTiles) cairo_surface_destroy(t.surface);
  if (session.penSource) cairo_pattern_destroy(session.penSource);
  if (session.brushSource) cairo_pattern_destroy(session.brushSource);
}

// Gives the context back as it was before the session's first drawing.
void EndCairoSession(Dc* dc) {
  Dc::CairoSession& s = dc->session;
  if (!s.open) return;
  s.open = false;
  if (dc->cr) cairo_restore(dc->cr);
}

void SetDcAntialias(Dc* dc, cairo_t* cr, cairo_antialias_t mode) {
  if (dc->session.open && cr == dc->cr) {
    if (dc->session.antialias == int(mode)) return;
    dc->session.antialias = int(mode);
  }
  cairo_set_antialias(cr, mode);
}

static bool SameMapping(const Dc::MatrixMemo& k, const DcState& st) {
  return k.valid && k.wOrg.x == st.wOrg.x && k.wOrg.y == st.wOrg.y && k.vOrg.x == st.vOrg.x && k.vOrg.y == st.vOrg.y &&
         k.wExt.cx == st.wExt.cx && k.wExt.cy == st.wExt.cy && k.vExt.cx == st.vExt.cx && k.vExt.cy == st.vExt.cy &&
         k.graphicsMode == st.graphicsMode &&
         (st.graphicsMode != GM_ADVANCED ||
          std::memcmp(&k.world, &st.world, sizeof st.world) == 0);
}

cairo_matrix_t Dc::Matrix() const {
  if (SameMapping(matrixMemo, st)) return matrixMemo.m;
  const cairo_matrix_t m = MakeMatrix();
  matrixMemo.valid = true;
  matrixMemo.wOrg = st.wOrg;
  matrixMemo.vOrg = st.vOrg;
  matrixMemo.wExt = st.wExt;
  matrixMemo.vExt = st.vExt;
  matrixMemo.graphicsMode = st.graphicsMode;
  matrixMemo.world = st.world;
  matrixMemo.m = m;
  return m;
}

cairo_matrix_t Dc::MakeMatrix() const {
  cairo_matrix_t page;
  double sx = double(st.vExt.cx) / st.wExt.cx, sy = double(st.vExt.cy) / st.wExt.cy;
  cairo_matrix_init(&page, sx, 0, 0, sy, st.vOrg.x - st.wOrg.x * sx, st.vOrg.y - st.wOrg.y * sy);
  if (st.graphicsMode != GM_ADVANCED) return page;
  cairo_matrix_t world, out;
  cairo_matrix_init(&world, st.world.eM11, st.world.eM12, st.world.eM21, st.world.eM22, st.world.eDx, st.world.eDy);
  cairo_matrix_multiply(&out, &world, &page);
  return out;
}

void Dc::LpToDp(double x, double y, double* dx, double* dy) const {
  cairo_matrix_t m = Matrix();
  cairo_matrix_transform_point(&m, &x, &y);
  *dx = x;
  *dy = y;
}

POINT Dc::LpToDpPt(double x, double y) const {
  double dx, dy;
  LpToDp(x, y, &dx, &dy);
  return {ToLong(dx), ToLong(dy)};
}

void Dc::ApplyClip() {
  if (!cr) return;
  EndCairoSession(this);
  cairo_reset_clip(cr);
  if (!st.clip) return;
  // Paths are built in device units and clipped to after the restore (the
  // clip is part of the state a restore would undo).
  auto clipTo = [this](auto&& build) {
    cairo_save(cr);
    cairo_set_matrix(cr, &base);
    cairo_new_path(cr);
    build();
    cairo_restore(cr);
    cairo_clip(cr);
    cairo_new_path(cr);
  };
  if (st.clipShapes.empty()) {
    clipTo([&] { st.clip->AddToCairo(cr); });
    return;
  }
  if (st.clipBase) clipTo([&] { st.clipBase->AddToCairo(cr); });
  for (const ShapeOutline& shape : st.clipShapes) clipTo([&] { AddOutlineToCairo(cr, *shape, 0); });
}

void SelectBitmapSurface(Dc* dc, Bitmap* bm) {
  EndCairoSession(dc);
  auto* rs = static_cast<RasterSink*>(dc->sink.get());
  rs->SetSurface(bm->surface);
  dc->cr = rs->Cairo();
  dc->surface = rs->Surface();
  cairo_get_matrix(dc->cr, &dc->base);
  dc->ApplyClip();
}

void HealDc(Dc* dc) {
  if (!dc->cr || cairo_status(dc->cr) == CAIRO_STATUS_SUCCESS) return;
  // A context that went into an error state (a caller's bad matrix through
  // KvGetDCCairo...) is made again on the same pixels.
  if (auto* rs = dynamic_cast<RasterSink*>(dc->sink.get())) {
    dc->session.open = false;
    rs->SetSurface(rs->Surface());
    dc->cr = rs->Cairo();
    cairo_get_matrix(dc->cr, &dc->base);
    dc->ApplyClip();
  }
}

static void InitState(Dc* dc) {
  dc->st.pen = Stock<HPEN>(BLACK_PEN);
  dc->st.brush = Stock<HBRUSH>(WHITE_BRUSH);
  dc->st.font = Stock<HFONT>(SYSTEM_FONT);
}

static HDC AddDc(std::unique_ptr<Dc> dc) {
  Dc* raw = dc.get();
  InitState(raw);
  if (raw->sink) {
    raw->info = raw->sink->DeviceInfo();
    raw->cr = raw->sink->Cairo();
    raw->surface = raw->sink->Surface();
    if (raw->cr) cairo_get_matrix(raw->cr, &raw->base);
  }
  HDC h = static_cast<HDC>(AddObject(std::move(dc)));
  if (raw->sink) raw->sink->Attach(h);
  return h;
}

KvDeviceInfo ScreenInfo() {
  KvDeviceInfo i;
  i.widthPx = 1920;
  i.heightPx = 1080;
  return i;
}

static cairo_surface_t* ScreenSurface() {
  static cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1920, 1080);
  return s;
}

static KvWindowDCProvider g_windowProvider = nullptr;

// One DC fewer holds the object; one deleted while selected goes now.
static void Unselect(const void* h) {
  Object* o = Lookup(h);
  if (!o) return;
  o->selected = std::max(0, o->selected - 1);
  if (o->selected == 0 && o->pendingDelete) RemoveObject(h);
}

static KvGdiCall Call(KvGdiOp op) {
  KvGdiCall c;
  c.op = op;
  return c;
}

// The whole device in device units (for clip operations without a clip).
static Rgn DeviceRgn(Dc* dc) {
  if (dc->surface)
    return Rgn(RECT{0, 0, cairo_image_surface_get_width(dc->surface), cairo_image_surface_get_height(dc->surface)});
  return Rgn(RECT{0, 0, std::max(dc->info.widthPx, 1), std::max(dc->info.heightPx, 1)});
}

}  // namespace kvgdi

using namespace kvgdi;

// ---- creation -----------------------------------------------------------------------
HDC KvCreateDCOnSink(std::unique_ptr<KvGdiSink> sink) {
  if (!sink) return nullptr;
  auto dc = std::make_unique<Dc>();
  dc->sink = std::move(sink);
  return AddDc(std::move(dc));
}

HDC CreateCompatibleDC(HDC hdc) {
  KvDeviceInfo info = ScreenInfo();
  if (hdc) {
    Dc* ref = GetDc(hdc);
    if (!ref) return nullptr;
    info.dpiX = ref->info.dpiX;
    info.dpiY = ref->info.dpiY;
  }
  info.technology = DT_RASDISPLAY;
  Bitmap* def = GetBitmap(DefaultBitmap());
  auto dc = std::make_unique<Dc>();
  dc->memory = true;
  dc->sink = std::make_unique<RasterSink>(def->surface, info);
  HDC h = AddDc(std::move(dc));
  GetDc(h)->st.bitmap = DefaultBitmap();
  return h;
}

HDC KvCreatePdfDC(const char* path, double widthPt, double heightPt, int dpi) {
  if (!path || !(widthPt > 0) || !(heightPt > 0) || dpi <= 0 || widthPt > 14400 || heightPt > 14400) return nullptr;
  cairo_surface_t* s = cairo_pdf_surface_create(path, widthPt, heightPt);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  // A fixed date keeps the files of the same drawing identical.
  cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_CREATE_DATE, "2000-01-01T00:00:00Z");
  cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_MOD_DATE, "2000-01-01T00:00:00Z");
  KvDeviceInfo info;
  info.technology = DT_RASPRINTER;
  info.dpiX = info.dpiY = dpi;
  info.widthPx = int(std::lround(widthPt * dpi / 72.0));
  info.heightPx = int(std::lround(heightPt * dpi / 72.0));
  info.bitsPixel = 24;
  return KvCreateDCOnSink(std::make_unique<PdfSink>(s, info));
}

BOOL DeleteDC(HDC hdc) {
  Dc* dc = GetDc(hdc);
  if (!dc) return FALSE;
  for (const void* h : {static_cast<const void*>(dc->st.pen), static_cast<const void*>(dc->st.brush),
                        static_cast<const void*>(dc->st.font), static_cast<const void*>(dc->st.bitmap)})
    Unselect(h);
  if (Bitmap* bm = GetBitmap(dc->st.bitmap)) bm->selectedIn = nullptr;
  EndCairoSession(dc);
  if (dc->sink) dc->sink->Finish();
  RemoveObject(hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (hwnd) return g_windowProvider ? g_windowProvider(hwnd, false) : nullptr;
  auto dc = std::make_unique<Dc>();
  dc->screen = true;
  dc->sink = std::make_unique<RasterSink>(ScreenSurface(), ScreenInfo());
  return AddDc(std::move(dc));
}

HDC GetWindowDC(HWND hwnd) {
  if (!hwnd) return GetDC(nullptr);
  return g_windowProvider ? g_windowProvider(hwnd, true) : nullptr;
}

int ReleaseDC(HWND, HDC hdc) { return DeleteDC(hdc) ? 1 : 0; }

void KvSetWindowDCProvider(KvWindowDCProvider provider) { g_windowProvider = provider; }

KvGdiSink* KvGetDCSink(HDC hdc) {
  Dc* dc = GetDc(hdc);
  if (dc) EndCairoSession(dc);
  return dc ? dc->sink.get() : nullptr;
}

cairo_t* KvGetDCCairo(HDC hdc) {
  Dc* dc = GetDc(hdc);
  if (!dc || !dc->cr) return nullptr;
  HealDc(dc);
  EndCairoSession(dc);
  cairo_set_matrix(dc->cr, &dc->base);
  return dc->cr;
}

int GetDeviceCaps(HDC hdc, int index) {
  Dc* dc = GetDc(hdc);
  if (!dc) return 0;
  const KvDeviceInfo& i = dc->info;
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return i.technology;
    case HORZSIZE: return i.widthMm ? i.widthMm : int(std::lround(i.widthPx * 25.4 / i.dpiX));
    case VERTSIZE: return i.heightMm ? i.heightMm : int(std::lround(i.heightPx * 25.4 / i.dpiY));
    case HORZRES:
    case DESKTOPHORZRES: return i.widthPx;
    case VERTRES:
    case DESKTOPVERTRES: return i.heightPx;
    case BITSPIXEL: return i.bitsPixel;
    case PLANES: return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS: return -1;
    case NUMFONTS: return 0;
    case CURVECAPS: return 0xFF;
    case LINECAPS: return 0xFE;
    case POLYGONALCAPS: return 0xFF;
    case TEXTCAPS: return 0x7807;
    case CLIPCAPS: return 1;
    case RASTERCAPS: return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case ASPECTX:
    case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case LOGPIXELSX: return i.dpiX;
    case LOGPIXELSY: return i.dpiY;
    case SIZEPALETTE:
    case NUMRESERVED: return 0;
    case COLORRES: return 24;
    case PHYSICALWIDTH: return i.physicalWidth ? i.physicalWidth : i.widthPx;
    case PHYSICALHEIGHT: return i.physicalHeight ? i.physicalHeight : i.heightPx;
    case PHYSICALOFFSETX: return i.physicalOffsetX;
    case PHYSICALOFFSETY: return i.physicalOffsetY;
    case VREFRESH: return i.technology == DT_RASDISPLAY ? 60 : 0;
    case SHADEBLENDCAPS: return 0x3F;
    default: return 0;
  }
}

// ---- object selection ------------------------------------------------------------------
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  Dc* dc = GetDc(hdc);
  Object* o = Lookup(obj);
  if (!dc || !o) return nullptr;
  auto swap = [&](auto& slot) -> HGDIOBJ {
    using H = std::remove_reference_t<decltype(slot)>;
    HGDIOBJ old = reinterpret_cast<HGDIOBJ>(slot);
    Unselect(old);
    slot = reinterpret_cast<H>(obj);
    o->selected++;
    KvGdiCall c = Call(KvGdiOp::SelectObject);
    c.object = obj;
    dc->Send(c);
    return old;
  };
  switch (o->kind) {
    case Kind::Pen: return swap(dc->st.pen);
    case Kind::Brush: return swap(dc->st.brush);
    case Kind::Font: return swap(dc->st.font);
    case Kind::Bitmap: {
      Bitmap* bm = static_cast<Bitmap*>(o);
      if (!dc->memory) return nullptr;
      // A bitmap goes into one DC at a time; the stock 1 x 1 bitmap into any.
      if (!bm->stock && bm->selectedIn && bm->selectedIn != hdc) return nullptr;
      if (Bitmap* prev = GetBitmap(dc->st.bitmap)) prev->selectedIn = nullptr;
      if (!bm->stock) bm->selectedIn = hdc;
      SelectBitmapSurface(dc, bm);
      return swap(dc->st.bitmap);
    }
    case Kind::Region: {
      int r = SelectClipRgn(hdc, reinterpret_cast<HRGN>(obj));
      return r == ERROR ? HGDI_ERROR : reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(r));
    }
    default: return nullptr;
  }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  Dc* dc = GetDc(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
    case OBJ_EXTPEN: return dc->st.pen ? reinterpret_cast<HGDIOBJ>(dc->st.pen) : nullptr;
    case OBJ_BRUSH: return reinterpret_cast<HGDIOBJ>(dc->st.brush);
    case OBJ_FONT: return reinterpret_cast<HGDIOBJ>(dc->st.font);
    case OBJ_BITMAP: return reinterpret_cast<HGDIOBJ>(dc->st.bitmap);
    default: return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ obj) {
  Object* o = Lookup(obj);
  if (!o || o->kind == Kind::Dc) return FALSE;
  if (o->stock) return TRUE;
  if (o->kind == Kind::Bitmap && (static_cast<Bitmap*>(o)->selectedIn || o->selected > 0)) return FALSE;
  if (o->selected > 0) {
    // Pens, brushes and fonts still selected go when the last DC lets go.
    o->pendingDelete = true;
    return TRUE;
  }
  RemoveObject(obj);
  return TRUE;
}

// ---- simple attributes ------------------------------------------------------------------
template <class T, class V>
static V SetAttr(HDC hdc, T DcState::*field, V value, V fail, KvGdiOp op, bool (*valid)(V)) {
  Dc* dc = GetDc(hdc);
  if (!dc || (valid && !valid(value))) return fail;
  V old = V(dc->st.*field);
  dc->st.*field = T(value);
  KvGdiCall c = Call(op);
  if constexpr (std::is_same_v<V, COLORREF>)
    c.color = value;
  else
    c.args[0] = int(value);
  dc->Send(c);
  return old;
}

int SetROP2(HDC hdc, int v) {
  return SetAttr<int, int>(hdc, &DcState::rop2, v, 0, KvGdiOp::SetROP2, [](int x) { return x >= R2_BLACK && x <= R2_WHITE; });
}
int GetROP2(HDC hdc) {
  Dc* dc = GetDc(hdc);
  return dc ? dc->st.rop2 : 0;
}
int SetBkMode(HDC hdc, int v) {
  return SetAttr<int, int>(hdc, &DcState::bkMode, v, 0, KvGdiOp::SetBkMode, [](int x) { return x == TRANSPARENT || x == OPAQUE; });
}
int GetBkMode(HDC hdc) {
  Dc* dc = GetDc(hdc);
  return dc ? dc->st.bkMode : 0;
}
COLORREF SetBkColor(HDC hdc, COLORREF v) {
  return SetAttr<COLORREF, COLORREF>(hdc, &DcState::bkColor, v & 0xFFFFFF, CLR_INVALID, KvGdiOp::SetBkColor, nullptr);
}
COLORREF GetBkColor(HDC hdc) {
  Dc* dc = GetDc(hdc);
  return dc ? dc->st.bkColor : CLR_INVALID;
}
COLORREF SetTextColor(HDC hdc, COLORREF v) {
  return SetAttr<COLORREF, COLORREF>(hdc, &DcState::textColor, v & 0xFFFFFF, CLR_INVALID, KvGdiOp::SetTextColor, nullptr);
}
COLORREF GetTextColor(HDC hdc) {
  Dc* dc = GetDc(hdc);
  return dc ? dc->st.textColor : CLR_INVALID;
}
COLORREF SetDCBrushColor(HDC hdc, COLORREF v) {
  Dc* dc = GetDc(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->st.dcBrushColor;
  dc->st.dcBrushColor = v & 0xFFFFFF;
  return old;
}
COLORREF SetDCPenColor(HDC hdc, COLORREF v) {
  Dc* dc = GetDc(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->st.dcPenColor;
  dc->st.dcPenColor = v & 0xFFFFFF;
  return old;
}
int SetPolyFillMode(HDC hdc, int v) {
  return SetAttr<int, int>(hdc, &DcState::fillMode, v, 0, KvGdiOp::SetPolyFillMode, [](int x) { return x == ALTERNATE || x == WINDING; });
}
int GetPolyFillMode(HDC hdc) {
  Dc* dc = GetDc(hdc);
  return dc ? dc->st.fillMode : 0;
}
UINT SetTextAlign(HDC hdc, UINT v) {
  return SetAttr<UINT, UINT>(hdc, &DcState::textAlign, v, GDI_ERROR, KvGdiOp::SetTextAlign, nullptr);
}
UINT GetTextAlign(HDC hdc) {
  Dc* dc = GetDc(hdc);
  return dc ? dc->st.textAlign : GDI_ERROR;
}
int SetTextCharacterExtra(HDC hdc, int v) {
  return SetAttr<int, int>(hdc, &DcState::charExtra, v, int(0x80000000u), KvGdiOp::SetTextCharacterExtra, nullptr);
}
int GetTextCharacterExtra(HDC hdc) {
  Dc* dc = GetDc(hdc);
  return dc ? dc->st.charExtra : int(0x80000000u);
}
int SetStretchBltMode(HDC hdc, int v) {
  return SetAttr<int, int>(hdc, &DcState::stretchMode, v, 0, KvGdiOp::SetStretchBltMode, [](int x) { return x >= BLACKONWHITE && x <= HALFTONE; });
}
int GetStretchBltMode(HDC hdc) {
  Dc* dc = GetDc(hdc);
  return dc ? dc->st.stretchMode : 0;
}
int SetArcDirection(HDC hdc, int v) {
  return SetAttr<int, int>(hdc, &DcState::arcDir, v, 0, KvGdiOp::SetArcDirection, [](int x) { return x == AD_COUNTERCLOCKWISE || x == AD_CLOCKWISE; });
}
int GetArcDirection(HDC hdc) {
  Dc* dc = GetDc(hdc);
  return dc ? dc->st.arcDir : 0;
}
int SetGraphicsMode(HDC hdc, int v) {
  return SetAttr<int, int>(hdc, &DcState::graphicsMode, v, 0, KvGdiOp::SetGraphicsMode, [](int x) { return x == GM_COMPATIBLE || x == GM_ADVANCED; });
}
int GetGraphicsMode(HDC hdc) {
  Dc* dc = GetDc(hdc);
  return dc ? dc->st.graphicsMode : 0;
}

static void SendPair(Dc* dc, KvGdiOp op, int a, int b) {
  KvGdiCall c = Call(op);
  c.args[0] = a;
  c.args[1] = b;
  dc->Send(c);
}

// The window, viewport and brush origins: set (recorded, the old one answered).
static BOOL SetOrg(HDC hdc, POINT DcState::*org, KvGdiOp op, int x, int y, LPPOINT old) {
  Dc* dc = GetDc(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->st.*org;
  dc->st.*org = {x, y};
  SendPair(dc, op, x, y);
  return TRUE;
}

// Reads a point or size of the state (origins and extents).
template <class T>
static BOOL GetField(HDC hdc, T DcState::*field, T* out) {
  Dc* dc = GetDc(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->st.*field;
  return TRUE;
}

BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  return SetOrg(hdc, &DcState::brushOrg, KvGdiOp::SetBrushOrgEx, x, y, old);
}
BOOL GetBrushOrgEx(HDC hdc, LPPOINT pt) { return GetField(hdc, &DcState::brushOrg, pt); }
BOOL SetMiterLimit(HDC hdc, FLOAT limit, FLOAT* old) {
  Dc* dc = GetDc(hdc);
  if (!dc || !(limit >= 1.0f)) return FALSE;
  if (old) *old = dc->st.miter;
  dc->st.miter = limit;
  KvGdiCall c = Call(KvGdiOp::SetMiterLimit);
  c.real = limit;
  dc->Send(c);
  return TRUE;
}
BOOL GetMiterLimit(HDC hdc, FLOAT* limit) {
  Dc* dc = GetDc(hdc);
  if (!dc || !limit) return FALSE;
  *limit = dc->st.miter;
  return TRUE;
}

// ---- coordinate spaces ------------------------------------------------------------------
static void FixIsotropic(Dc* dc) {
  if (dc->st.mapMode != MM_ISOTROPIC) return;
  DcState& s = dc->st;
  double xr = std::fabs(double(s.vExt.cx) / s.wExt.cx), yr = std::fabs(double(s.vExt.cy) / s.wExt.cy);
  if (xr > yr) {
    long v = std::lround(yr * std::abs(s.wExt.cx));
    s.vExt.cx = LONG(s.vExt.cx < 0 ? -v : v);
  } else if (yr > xr) {
    long v = std::lround(xr * std::abs(s.wExt.cy));
    s.vExt.cy = LONG(s.vExt.cy < 0 ? -v : v);
  }
  if (s.vExt.cx == 0) s.vExt.cx = 1;
  if (s.vExt.cy == 0) s.vExt.cy = 1;
}

int SetMapMode(HDC hdc, int mode) {
  Dc* dc = GetDc(hdc);
  if (!dc || mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
  int old = dc->st.mapMode;
  DcState& s = dc->st;
  int per = 0;  // units per inch
  switch (mode) {
    case MM_LOMETRIC: per = 254; break;
    case MM_HIMETRIC: per = 2540; break;
    case MM_LOENGLISH: per = 100; break;
    case MM_HIENGLISH: per = 1000; break;
    case MM_TWIPS: per = 1440; break;
    case MM_ISOTROPIC:
      if (old == MM_TEXT || old == MM_ANISOTROPIC) per = 254;
      break;
    default: break;
  }
  if (mode == MM_TEXT) {
    s.wExt = {1, 1};
    s.vExt = {1, 1};
  } else if (per) {
    s.wExt = {per, per};
    s.vExt = {dc->info.dpiX, -dc->info.dpiY};
  }
  s.mapMode = mode;
  FixIsotropic(dc);
  KvGdiCall c = Call(KvGdiOp::SetMapMode);
  c.args[0] = mode;
  dc->Send(c);
  return old;
}
int GetMapMode(HDC hdc) {
  Dc* dc = GetDc(hdc);
  return dc ? dc->st.mapMode : 0;
}

BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  return SetOrg(hdc, &DcState::wOrg, KvGdiOp::SetWindowOrgEx, x, y, old);
}
BOOL GetWindowOrgEx(HDC hdc, LPPOINT pt) { return GetField(hdc, &DcState::wOrg, pt); }
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  return SetOrg(hdc, &DcState::vOrg, KvGdiOp::SetViewportOrgEx, x, y, old);
}
BOOL GetViewportOrgEx(HDC hdc, LPPOINT pt) { return GetField(hdc, &DcState::vOrg, pt); }
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old) {
  Dc* dc = GetDc(hdc);
  if (!dc) return FALSE;
  return SetViewportOrgEx(hdc, dc->st.vOrg.x + dx, dc->st.vOrg.y + dy, old);
}
BOOL OffsetWindowOrgEx(HDC hdc, int dx, int dy, LPPOINT old) {
  Dc* dc = GetDc(hdc);
  if (!dc) return FALSE;
  return SetWindowOrgEx(hdc, dc->st.wOrg.x + dx, dc->st.wOrg.y + dy, old);
}

static BOOL SetExt(HDC hdc, bool window, int cx, int cy, LPSIZE old) {
  Dc* dc = GetDc(hdc);
  if (!dc) return FALSE;
  SIZE& e = window ? dc->st.wExt : dc->st.vExt;
  if (old) *old = e;
  if (dc->st.mapMode != MM_ISOTROPIC && dc->st.mapMode != MM_ANISOTROPIC) return TRUE;
  if (cx == 0 || cy == 0) return FALSE;
  e = {cx, cy};
  FixIsotropic(dc);
  SendPair(dc, window ? KvGdiOp::SetWindowExtEx : KvGdiOp::SetViewportExtEx, cx, cy);
  return TRUE;
}
BOOL SetWindowExtEx(HDC hdc, int cx, int cy, LPSIZE old) { return SetExt(hdc, true, cx, cy, old); }
BOOL SetViewportExtEx(HDC hdc, int cx, int cy, LPSIZE old) { return SetExt(hdc, false, cx, cy, old); }
BOOL GetWindowExtEx(HDC hdc, LPSIZE sz) { return GetField(hdc, &DcState::wExt, sz); }
BOOL GetViewportExtEx(HDC hdc, LPSIZE sz) { return GetField(hdc, &DcState::vExt, sz); }
static BOOL ScaleExt(HDC hdc, bool window, int xn, int xd, int yn, int yd, LPSIZE old) {
  Dc* dc = GetDc(hdc);
  if (!dc || xd == 0 || yd == 0) return FALSE;
  SIZE e = window ? dc->st.wExt : dc->st.vExt;
  if (old) *old = e;
  return SetExt(hdc, window, MulDiv(e.cx, xn, xd), MulDiv(e.cy, yn, yd), nullptr);
}
BOOL ScaleViewportExtEx(HDC hdc, int xn, int xd, int yn, int yd, LPSIZE old) { return ScaleExt(hdc, false, xn, xd, yn, yd, old); }
BOOL ScaleWindowExtEx(HDC hdc, int xn, int xd, int yn, int yd, LPSIZE old) { return ScaleExt(hdc, true, xn, xd, yn, yd, old); }

BOOL SetWorldTransform(HDC hdc, const XFORM* xf) {
  Dc* dc = GetDc(hdc);
  if (!dc || !xf || dc->st.graphicsMode != GM_ADVANCED) return FALSE;
  // Singular or non-finite transforms are refused: cairo could not use them.
  double det = double(xf->eM11) * xf->eM22 - double(xf->eM12) * xf->eM21;
  if (!std::isfinite(det) || det == 0 || !std::isfinite(xf->eDx) || !std::isfinite(xf->eDy)) return FALSE;
  dc->st.world = *xf;
  KvGdiCall c = Call(KvGdiOp::SetWorldTransform);
  c.xform = *xf;
  dc->Send(c);
  return TRUE;
}
BOOL GetWorldTransform(HDC hdc, LPXFORM xf) {
  Dc* dc = GetDc(hdc);
  if (!dc || !xf) return FALSE;
  *xf = dc->st.world;
  return TRUE;
}
BOOL ModifyWorldTransform(HDC hdc, const XFORM* xf, DWORD mode) {
  Dc* dc = GetDc(hdc);
  if (!dc || dc->st.graphicsMode != GM_ADVANCED) return FALSE;
  XFORM id{1, 0, 0, 1, 0, 0};
  if (mode == MWT_IDENTITY) return SetWorldTransform(hdc, &id);
  if (!xf || (mode != MWT_LEFTMULTIPLY && mode != MWT_RIGHTMULTIPLY)) return FALSE;
  const XFORM& a = mode == MWT_LEFTMULTIPLY ? *xf : dc->st.world;
  const XFORM& b = mode == MWT_LEFTMULTIPLY ? dc->st.world : *xf;
  XFORM r{a.eM11 * b.eM11 + a.eM12 * b.eM21, a.eM11 * b.eM12 + a.eM12 * b.eM22,
          a.eM21 * b.eM11 + a.eM22 * b.eM21, a.eM21 * b.eM12 + a.eM22 * b.eM22,
          a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx, a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy};
  return SetWorldTransform(hdc, &r);
}

BOOL LPtoDP(HDC hdc, LPPOINT pts, int count) {
  Dc* dc = GetDc(hdc);
  if (!dc || (!pts && count > 0) || count < 0) return FALSE;
  for (int i = 0; i < count; ++i) pts[i] = dc->LpToDpPt(pts[i].x, pts[i].y);
  return TRUE;
}
BOOL DPtoLP(HDC hdc, LPPOINT pts, int count) {
  Dc* dc = GetDc(hdc);
  if (!dc || (!pts && count > 0) || count < 0) return FALSE;
  cairo_matrix_t m = dc->Matrix();
  if (cairo_matrix_invert(&m) != CAIRO_STATUS_SUCCESS) return FALSE;
  for (int i = 0; i < count; ++i) {
    double x = pts[i].x, y = pts[i].y;
    cairo_matrix_transform_point(&m, &x, &y);
    pts[i] = {ToLong(x), ToLong(y)};
  }
  return TRUE;
}

// ---- saved states ------------------------------------------------------------------------
int SaveDC(HDC hdc) {
  Dc* dc = GetDc(hdc);
  if (!dc) return 0;
  dc->saved.push_back(dc->st);
  dc->Send(Call(KvGdiOp::SaveDC));
  return int(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int level) {
  Dc* dc = GetDc(hdc);
  if (!dc || level == 0) return FALSE;
  int n = int(dc->saved.size());
  int target = level > 0 ? level : n + level + 1;
  if (target < 1 || target > n) return FALSE;
  DcState s = dc->saved[std::size_t(target - 1)];
  dc->saved.resize(std::size_t(target - 1));
  // Objects deleted since the save fall back to the defaults.
  if (!GetPen(s.pen)) s.pen = Stock<HPEN>(BLACK_PEN);
  if (!GetBrush(s.brush)) s.brush = Stock<HBRUSH>(WHITE_BRUSH);
  if (!GetFont(s.font)) s.font = Stock<HFONT>(SYSTEM_FONT);
  Bitmap* bm = GetBitmap(s.bitmap);
  if (dc->memory && (!bm || (!bm->stock && bm->selectedIn && bm->selectedIn != hdc))) {
    s.bitmap = dc->st.bitmap;
    bm = GetBitmap(s.bitmap);
  }
  auto move = [](const void* from, const void* to) {
    if (from == to) return;
    Unselect(from);
    if (Object* o = Lookup(to)) o->selected++;
  };
  move(dc->st.pen, s.pen);
  move(dc->st.brush, s.brush);
  move(dc->st.font, s.font);
  move(dc->st.bitmap, s.bitmap);
  if (dc->memory && s.bitmap != dc->st.bitmap && bm) {
    if (Bitmap* prev = GetBitmap(dc->st.bitmap)) prev->selectedIn = nullptr;
    if (!bm->stock) bm->selectedIn = hdc;
    dc->st = s;
    SelectBitmapSurface(dc, bm);
  } else {
    dc->st = s;
    dc->ApplyClip();
  }
  KvGdiCall c = Call(KvGdiOp::RestoreDC);
  c.args[0] = level;
  dc->Send(c);
  return TRUE;
}

// ---- clipping ----------------------------------------------------------------------------
static int ClipResult(Dc* dc) { return dc->st.clip ? dc->st.clip->Complexity() : SIMPLEREGION; }

// Before the region `r` is combined into the clip by `mode`: on a page, a
// shape's region ANDed in (or copied) is kept as its outline too; anything
// else leaves the clip to its region alone.
static void NoteClipShape(Dc* dc, const RegionObj* r, int mode) {
  DcState& s = dc->st;
  const bool exact = r && r->outline && (mode == RGN_AND || mode == RGN_COPY) && dc->sink &&
                     dc->sink->Kind() == KvSinkKind::Pdf;
  if (!exact || mode == RGN_COPY) {
    s.clipShapes.clear();
    s.clipBase.reset();
  } else if (s.clipShapes.empty()) {
    s.clipBase = s.clip;
  }
  if (exact) s.clipShapes.push_back(r->outline);
}

int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode) {
  Dc* dc = GetDc(hdc);
  if (!dc || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  RegionObj* r = GetRegion(rgn);
  if (!r && (rgn || mode != RGN_COPY)) return ERROR;
  NoteClipShape(dc, r, mode);
  if (!r) {
    dc->st.clip.reset();
  } else if (mode == RGN_COPY) {
    dc->st.clip = r->rgn;
  } else {
    Rgn cur = dc->st.clip ? *dc->st.clip : DeviceRgn(dc);
    dc->st.clip = Rgn::Combine(cur, r->rgn, mode);
  }
  dc->ApplyClip();
  KvGdiCall c = Call(KvGdiOp::SelectClipRgn);
  c.object = G(rgn);
  c.args[0] = mode;
  dc->Send(c);
  return ClipResult(dc);
}
int SelectClipRgn(HDC hdc, HRGN rgn) { return ExtSelectClipRgn(hdc, rgn, RGN_COPY); }

static RECT DeviceRect(Dc* dc, int l, int t, int r, int b) {
  POINT a = dc->LpToDpPt(l, t), c = dc->LpToDpPt(r, b);
  return {std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
}

static int ClipRect(HDC hdc, int l, int t, int r, int b, int mode, KvGdiOp op) {
  Dc* dc = GetDc(hdc);
  if (!dc) return ERROR;
  Rgn rect(DeviceRect(dc, l, t, r, b));
  Rgn cur = dc->st.clip ? *dc->st.clip : DeviceRgn(dc);
  dc->st.clip = Rgn::Combine(cur, rect, mode);
  if (!dc->st.clipShapes.empty())  // the rectangle goes with the region under the shapes
    dc->st.clipBase = Rgn::Combine(dc->st.clipBase ? *dc->st.clipBase : DeviceRgn(dc), rect, mode);
  dc->ApplyClip();
  KvGdiCall c = Call(op);
  c.rect = {l, t, r, b};
  c.hasRect = true;
  dc->Send(c);
  return ClipResult(dc);
}
int IntersectClipRect(HDC hdc, int l, int t, int r, int b) {
  return ClipRect(hdc, l, t, r, b, RGN_AND, KvGdiOp::IntersectClipRect);
}
int ExcludeClipRect(HDC hdc, int l, int t, int r, int b) {
  return ClipRect(hdc, l, t, r, b, RGN_DIFF, KvGdiOp::ExcludeClipRect);
}

int OffsetClipRgn(HDC hdc, int dx, int dy) {
  Dc* dc = GetDc(hdc);
  if (!dc) return ERROR;
  if (dc->st.clip) {
    POINT a = dc->LpToDpPt(0, 0), b = dc->LpToDpPt(dx, dy);
    dc->st.clip->Offset(b.x - a.x, b.y - a.y);
    dc->st.clipShapes.clear();
    dc->st.clipBase.reset();
    dc->ApplyClip();
  }
  SendPair(dc, KvGdiOp::OffsetClipRgn, dx, dy);
  return ClipResult(dc);
}

int GetClipBox(HDC hdc, LPRECT rc) {
  Dc* dc = GetDc(hdc);
  if (!dc || !rc) return ERROR;
  Rgn vis = DeviceRgn(dc);
  Rgn clip = dc->st.clip ? Rgn::Combine(*dc->st.clip, vis, RGN_AND) : vis;
  RECT box = clip.Box();
  POINT p[2] = {{box.left, box.top}, {box.right, box.bottom}};
  DPtoLP(hdc, p, 2);
  *rc = {std::min(p[0].x, p[1].x), std::min(p[0].y, p[1].y), std::max(p[0].x, p[1].x), std::max(p[0].y, p[1].y)};
  return clip.Complexity();
}

int GetClipRgn(HDC hdc, HRGN rgn) {
  Dc* dc = GetDc(hdc);
  RegionObj* r = GetRegion(rgn);
  if (!dc || !r) return -1;
  if (!dc->st.clip) return 0;
  r->rgn = *dc->st.clip;
  r->outline.reset();  // the region is the clip now, not the shape it may have been
  return 1;
}

BOOL PtVisible(HDC hdc, int x, int y) {
  Dc* dc = GetDc(hdc);
  if (!dc) return -1;
  POINT p = dc->LpToDpPt(x, y);
  return dc->st.clip ? dc->st.clip->Contains(p.x, p.y) : DeviceRgn(dc).Contains(p.x, p.y);
}

BOOL RectVisible(HDC hdc, const RECT* rc) {
  Dc* dc = GetDc(hdc);
  if (!dc || !rc) return FALSE;
  RECT d = DeviceRect(dc, rc->left, rc->top, rc->right, rc->bottom);
  return dc->st.clip ? dc->st.clip->Intersects(d) : DeviceRgn(dc).Intersects(d);
}

// ---- documents -------------------------------------------------------------------------------
static int g_jobs = 0;

int StartDocW(HDC hdc, const DOCINFOW* info) {
  Dc* dc = GetDc(hdc);
  if (!dc || dc->jobId) return SP_ERROR;
  std::u16string name = info && info->lpszDocName ? std::u16string(info->lpszDocName) : std::u16string();
  EndCairoSession(dc);
  if (dc->sink && !dc->sink->StartDoc(name)) return SP_ERROR;
  dc->jobId = ++g_jobs;
  KvGdiCall c = Call(KvGdiOp::StartDoc);
  c.text = name;
  dc->Send(c);
  return dc->jobId;
}

static int DocStep(HDC hdc, KvGdiOp op) {
  Dc* dc = GetDc(hdc);
  if (!dc) return SP_ERROR;
  dc->Send(Call(op));
  bool ok = true;
  EndCairoSession(dc);
  if (dc->sink) {
    switch (op) {
      case KvGdiOp::StartPage: ok = dc->sink->StartPage(); break;
      case KvGdiOp::EndPage: ok = dc->sink->EndPage(); break;
      case KvGdiOp::EndDoc:
      case KvGdiOp::AbortDoc: ok = dc->sink->EndDoc(); break;
      default: break;
    }
  }
  if (op == KvGdiOp::EndDoc || op == KvGdiOp::AbortDoc) dc->jobId = 0;
  return ok ? 1 : SP_ERROR;
}
int EndDoc(HDC hdc) { return DocStep(hdc, KvGdiOp::EndDoc); }
int AbortDoc(HDC hdc) { return DocStep(hdc, KvGdiOp::AbortDoc); }
int StartPage(HDC hdc) { return DocStep(hdc, KvGdiOp::StartPage); }
int EndPage(HDC hdc) { return DocStep(hdc, KvGdiOp::EndPage); }

// ---- names and the call log -----------------------------------------------------------
const char* KvGdiOpName(KvGdiOp op) {
  static const char* const names[] = {
      "SelectObject", "SelectClipRgn", "IntersectClipRect", "ExcludeClipRect", "OffsetClipRgn", "SelectClipPath",
      "SaveDC", "RestoreDC", "SetROP2", "SetBkMode", "SetBkColor", "SetTextColor", "SetPolyFillMode", "SetTextAlign",
      "SetTextCharacterExtra", "SetStretchBltMode", "SetBrushOrgEx", "SetArcDirection", "SetMiterLimit", "SetMapMode",
      "SetWindowOrgEx", "SetWindowExtEx", "SetViewportOrgEx", "SetViewportExtEx", "SetGraphicsMode",
      "SetWorldTransform", "MoveToEx", "LineTo", "Polyline", "PolylineTo", "PolyPolyline", "PolyBezier",
      "PolyBezierTo", "Polygon", "PolyPolygon", "Arc", "ArcTo", "Pie", "Chord", "Ellipse", "Rectangle", "RoundRect",
      "FillRect", "FrameRect", "InvertRect", "DrawFocusRect", "FillRgn", "FrameRgn", "PaintRgn", "InvertRgn",
      "SetPixel", "ExtTextOut", "PatBlt", "BitBlt", "StretchBlt", "AlphaBlend", "GradientFill", "BeginPath",
      "EndPath", "AbortPath", "CloseFigure", "FillPath", "StrokePath", "StrokeAndFillPath", "FlattenPath",
      "WidenPath", "StartDoc", "StartPage", "EndPage", "EndDoc", "AbortDoc"};
  std::size_t i = std::size_t(op);
  return i < sizeof names / sizeof names[0] ? names[i] : "?";
}

static std::string Hex(COLORREF c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
  return buf;
}

static std::string DescribeObject(HGDIOBJ h) {
  Object* o = Lookup(h);
  if (!o) return "null";
  char buf[128];
  switch (o->kind) {
    case Kind::Pen: {
      Pen* p = static_cast<Pen*>(o);
      std::snprintf(buf, sizeof buf, "pen %#x %d %s", unsigned(p->style), p->width, Hex(p->color).c_str());
      return buf;
    }
    case Kind::Brush: {
      Brush* b = static_cast<Brush*>(o);
      std::snprintf(buf, sizeof buf, "brush %u %d %s", b->style, b->hatch, Hex(b->color).c_str());
      return buf;
    }
    case Kind::Font: {
      Font* f = static_cast<Font*>(o);
      std::snprintf(buf, sizeof buf, "font \"%s\" %d %d", KvUtf16ToUtf8(f->lf.lfFaceName).c_str(),
                    int(f->lf.lfHeight), int(f->lf.lfWeight));
      return buf;
    }
    case Kind::Bitmap: {
      Bitmap* b = static_cast<Bitmap*>(o);
      std::snprintf(buf, sizeof buf, "bitmap %dx%d", b->width, b->height);
      return buf;
    }
    case Kind::Region: {
      RECT r = static_cast<RegionObj*>(o)->rgn.Box();
      std::snprintf(buf, sizeof buf, "region %d,%d,%d,%d", int(r.left), int(r.top), int(r.right), int(r.bottom));
      return buf;
    }
    default: return "?";
  }
}

std::string KvFormatGdiCall(const KvGdiCall& c) {
  std::string s = KvGdiOpName(c.op);
  std::vector<std::string> parts;
  auto num = [&](int n) {
    for (int i = 0; i < n; ++i) parts.push_back(std::to_string(c.args[i]));
  };
  auto pts = [&] {
    std::string p;
    for (const POINT& pt : c.points) p += (p.empty() ? "" : " ") + std::to_string(pt.x) + "," + std::to_string(pt.y);
    parts.push_back(p);
  };
  auto rect = [&] {
    parts.push_back(std::to_string(c.rect.left) + "," + std::to_string(c.rect.top) + "," + std::to_string(c.rect.right) +
                    "," + std::to_string(c.rect.bottom));
  };
  switch (c.op) {
    case KvGdiOp::SelectObject: parts.push_back(DescribeObject(c.object)); break;
    case KvGdiOp::SelectClipRgn: parts.push_back(DescribeObject(c.object)); num(1); break;
    case KvGdiOp::IntersectClipRect:
    case KvGdiOp::ExcludeClipRect:
    case KvGdiOp::InvertRect:
    case KvGdiOp::DrawFocusRect: rect(); break;
    case KvGdiOp::FillRect:
    case KvGdiOp::FrameRect: rect(); parts.push_back(DescribeObject(c.object)); break;
    case KvGdiOp::FillRgn:
    case KvGdiOp::FrameRgn: parts.push_back(DescribeObject(c.object)); parts.push_back(DescribeObject(c.object2)); break;
    case KvGdiOp::PaintRgn:
    case KvGdiOp::InvertRgn: parts.push_back(DescribeObject(c.object)); break;
    case KvGdiOp::SetBkColor:
    case KvGdiOp::SetTextColor: parts.push_back(Hex(c.color)); break;
    case KvGdiOp::SetMiterLimit: parts.push_back(std::to_string(c.real)); break;
    case KvGdiOp::SetROP2:
    case KvGdiOp::SetBkMode:
    case KvGdiOp::SetPolyFillMode:
    case KvGdiOp::SetTextAlign:
    case KvGdiOp::SetTextCharacterExtra:
    case KvGdiOp::SetStretchBltMode:
    case KvGdiOp::SetArcDirection:
    case KvGdiOp::SetMapMode:
    case KvGdiOp::SetGraphicsMode:
    case KvGdiOp::RestoreDC:
    case KvGdiOp::SelectClipPath: num(1); break;
    case KvGdiOp::OffsetClipRgn:
    case KvGdiOp::SetBrushOrgEx:
    case KvGdiOp::SetWindowOrgEx:
    case KvGdiOp::SetWindowExtEx:
    case KvGdiOp::SetViewportOrgEx:
    case KvGdiOp::SetViewportExtEx:
    case KvGdiOp::MoveToEx:
    case KvGdiOp::LineTo: num(2); break;
    case KvGdiOp::Polyline:
    case KvGdiOp::PolylineTo:
    case KvGdiOp::PolyBezier:
    case KvGdiOp::PolyBezierTo:
    case KvGdiOp::Polygon: pts(); break;
    case KvGdiOp::PolyPolyline:
    case KvGdiOp::PolyPolygon: {
      std::string n;
      for (int k : c.counts) n += (n.empty() ? "" : " ") + std::to_string(k);
      parts.push_back(n);
      pts();
      break;
    }
    case KvGdiOp::Arc:
    case KvGdiOp::ArcTo:
    case KvGdiOp::Pie:
    case KvGdiOp::Chord: num(8); break;
    case KvGdiOp::Ellipse:
    case KvGdiOp::Rectangle: num(4); break;
    case KvGdiOp::RoundRect: num(6); break;
    case KvGdiOp::SetPixel: num(2); parts.push_back(Hex(c.color)); break;
    case KvGdiOp::ExtTextOut:
      num(2);
      parts.push_back("\"" + KvUtf16ToUtf8(c.text) + "\"");
      if (c.hasRect) rect();
      break;
    case KvGdiOp::PatBlt: {
      num(4);
      char b[16];
      std::snprintf(b, sizeof b, "%#x", unsigned(c.rop));
      parts.push_back(b);
      break;
    }
    case KvGdiOp::BitBlt:
    case KvGdiOp::StretchBlt:
    case KvGdiOp::AlphaBlend: {
      num(c.op == KvGdiOp::BitBlt ? 6 : 8);
      char b[16];
      std::snprintf(b, sizeof b, "%#x", unsigned(c.rop));
      parts.push_back(b);
      break;
    }
    case KvGdiOp::GradientFill:
      parts.push_back(std::to_string(c.vertices.size()));
      num(1);
      break;
    case KvGdiOp::StartDoc: parts.push_back("\"" + KvUtf16ToUtf8(c.text) + "\""); break;
    default: break;
  }
  s += "(";
  for (std::size_t i = 0; i < parts.size(); ++i) s += (i ? "," : "") + parts[i];
  return s + ")";
}

void KvRecordingSink::OnCall(const KvGdiCall& call) { log_.push_back(KvFormatGdiCall(call)); }

KvDeviceInfo KvRecordingSink::DefaultInfo() {
  KvDeviceInfo i;
  i.widthPx = 1920;
  i.heightPx = 1080;
  return i;
}
