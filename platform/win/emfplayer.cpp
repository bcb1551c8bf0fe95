// The enhanced-metafile player: replays decoded records into any device
// context. The player keeps the metafile's own mapping (window, viewport,
// world transform) and maps every coordinate itself, from the metafile's
// logical units to its reference device and from there, scaled so that the
// picture frame fills the target rectangle, to the target's logical units.
// So the target's own mapping and state are used as they stand, and they are
// restored when playing ends.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "win/emfstore.h"
#include "win/image.h"

namespace emf {
namespace {

template <class T>
HGDIOBJ Obj(T h) {
  return reinterpret_cast<HGDIOBJ>(h);
}

float FloatOf(std::int32_t bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

struct Affine {  // x' = a x + c y + e; y' = b x + d y + f
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
  Affine Then(const Affine& o) const {  // this first, then o
    return Affine{a * o.a + b * o.c, a * o.b + b * o.d, c * o.a + d * o.c, c * o.b + d * o.d, e * o.a + f * o.c + o.e,
                  e * o.b + f * o.d + o.f};
  }
};

struct Mapping {
  int mode = MM_TEXT;
  double winOrgX = 0, winOrgY = 0, winExtX = 1, winExtY = 1;
  double vpOrgX = 0, vpOrgY = 0, vpExtX = 1, vpExtY = 1;
  Affine world;
};

// Coordinates are kept within what the renderer's fixed-point arithmetic holds.
LONG Clamp(double v) {
  constexpr double kMax = 1 << 22;
  if (!(v == v)) return 0;
  v = std::clamp(v, -kMax, kMax);
  return static_cast<LONG>(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5));
}

class Player {
 public:
  Player(HDC hdc, const Metafile& mf, const RECT* target) : hdc_(hdc), mf_(mf) {
    objects_.assign(std::max<std::size_t>(mf.header.handles, 1), nullptr);
    if (!target) {  // the context's own units
      Update();
      return;
    }
    const RECT& rect = *target;
    const Header& h = mf.header;
    // The reference device's resolution; 96 pixels per inch when the header's
    // sizes give none that a device could have.
    auto perMm = [](LONG px, LONG mm) {
      const double r = px > 0 && mm > 0 ? static_cast<double>(px) / mm : 0;
      return r >= 0.1 && r <= 1000 ? r : 96 / 25.4;
    };
    pxPerMmX_ = perMm(h.device.cx, h.millimeters.cx);
    pxPerMmY_ = perMm(h.device.cy, h.millimeters.cy);
    double fl = h.frame.left * pxPerMmX_ / 100, ft = h.frame.top * pxPerMmY_ / 100;
    double fw = (static_cast<double>(h.frame.right) - h.frame.left) * pxPerMmX_ / 100;
    double fh = (static_cast<double>(h.frame.bottom) - h.frame.top) * pxPerMmY_ / 100;
    if (!(fw >= 1) || !(fh >= 1)) {  // no usable frame: the bounds
      fl = h.bounds.left;
      ft = h.bounds.top;
      fw = static_cast<double>(h.bounds.right) - h.bounds.left + 1;
      fh = static_cast<double>(h.bounds.bottom) - h.bounds.top + 1;
    }
    const double dw = static_cast<double>(rect.right) - rect.left, dh = static_cast<double>(rect.bottom) - rect.top;
    double sx = fw >= 1 ? dw / fw : 1, sy = fh >= 1 ? dh / fh : 1;
    // A frame given in 0.01 mm rounds its pixel size; a frame that is the
    // target's size within a pixel plays at exactly one pixel per pixel.
    if (std::fabs(fw - dw) < 1) {
      sx = 1;
      fl = std::round(fl);
    }
    if (std::fabs(fh - dh) < 1) {
      sy = 1;
      ft = std::round(ft);
    }
    base_ = Affine{sx, 0, 0, sy, rect.left - fl * sx, rect.top - ft * sy};
    Update();
  }

  BOOL Run() {
    const int level = SaveDC(hdc_);
    if (level <= 0) return FALSE;
    initialClip_ = CreateRectRgn(0, 0, 0, 0);
    if (initialClip_ && GetClipRgn(hdc_, initialClip_) != 1) {
      DeleteObject(Obj(initialClip_));
      initialClip_ = nullptr;
    }
    bool ok = true;
    for (const Record& r : mf_.records) {
      if (r.type == EMR_EOF) break;
      if (!Step(r)) ok = false;
    }
    RestoreDC(hdc_, level);
    for (HGDIOBJ o : objects_)
      if (o) DeleteObject(o);
    for (HGDIOBJ o : deleted_) DeleteObject(o);
    if (initialClip_) DeleteObject(Obj(initialClip_));
    return ok ? TRUE : FALSE;
  }

 private:
  // The transform from the metafile's logical units to the target's.
  void Update() {
    const Mapping& s = map_;
    double kx = 1, ky = 1;
    switch (s.mode) {
      case MM_LOMETRIC: kx = pxPerMmX_ / 10; ky = -pxPerMmY_ / 10; break;
      case MM_HIMETRIC: kx = pxPerMmX_ / 100; ky = -pxPerMmY_ / 100; break;
      case MM_LOENGLISH: kx = pxPerMmX_ * 0.254; ky = -pxPerMmY_ * 0.254; break;
      case MM_HIENGLISH: kx = pxPerMmX_ * 0.0254; ky = -pxPerMmY_ * 0.0254; break;
      case MM_TWIPS: kx = pxPerMmX_ * 25.4 / 1440; ky = -pxPerMmY_ * 25.4 / 1440; break;
      case MM_ISOTROPIC:
      case MM_ANISOTROPIC:
        kx = s.winExtX != 0 ? s.vpExtX / s.winExtX : 1;
        ky = s.winExtY != 0 ? s.vpExtY / s.winExtY : 1;
        if (s.mode == MM_ISOTROPIC) {
          const double k = std::min(std::fabs(kx), std::fabs(ky));
          kx = kx < 0 ? -k : k;
          ky = ky < 0 ? -k : k;
        }
        break;
      default: break;
    }
    const Affine page{kx, 0, 0, ky, s.vpOrgX - s.winOrgX * kx, s.vpOrgY - s.winOrgY * ky};
    m_ = s.world.Then(page).Then(base_);
    scaleX_ = std::hypot(m_.a, m_.b);
    scaleY_ = std::hypot(m_.c, m_.d);
  }
  POINT Pt(double x, double y) const { return POINT{Clamp(m_.a * x + m_.c * y + m_.e), Clamp(m_.b * x + m_.d * y + m_.f)}; }
  POINT DevPt(double x, double y) const {  // from the metafile's device units
    return POINT{Clamp(base_.a * x + base_.e), Clamp(base_.d * y + base_.f)};
  }
  RECT Box(const std::vector<std::int32_t>& w, std::size_t i) const {
    const POINT p = Pt(w[i], w[i + 1]), q = Pt(w[i + 2], w[i + 3]);
    return RECT{p.x, p.y, q.x, q.y};
  }
  LONG SizeX(double v) const { return Clamp(v * scaleX_); }
  // True when the metafile's transform turns or shears: shapes given by a
  // box cannot then be drawn from two mapped corners.
  bool Turned() const { return std::fabs(m_.b) > 1e-9 || std::fabs(m_.c) > 1e-9; }
  // Draws a shape given by a box through the target's own world transform,
  // which turns it as the metafile's transform does. The shape is given in
  // the metafile's units times k (the transform's area scale) and the world
  // transform takes the transform divided by k, so that pens, already made at
  // the target's size, keep their width. draw(k) answers whether it drew.
  template <class Draw>
  bool DrawTurned(Draw&& draw) {
    const double k = std::sqrt(std::fabs(m_.a * m_.d - m_.b * m_.c));
    if (!(k > 0) || !std::isfinite(k)) return false;
    const int mode = GetGraphicsMode(hdc_);
    XFORM saved{1, 0, 0, 1, 0, 0};
    if (mode == GM_ADVANCED) {
      if (!GetWorldTransform(hdc_, &saved)) return false;
    } else if (!SetGraphicsMode(hdc_, GM_ADVANCED)) {
      return false;
    }
    const XFORM identity{1, 0, 0, 1, 0, 0};
    const XFORM turn{static_cast<FLOAT>(m_.a / k), static_cast<FLOAT>(m_.b / k), static_cast<FLOAT>(m_.c / k),
                     static_cast<FLOAT>(m_.d / k), static_cast<FLOAT>(m_.e), static_cast<FLOAT>(m_.f)};
    // In the compatible mode the target has no world transform of its own.
    bool ok = (mode == GM_ADVANCED || SetWorldTransform(hdc_, &identity)) &&
              ModifyWorldTransform(hdc_, &turn, MWT_LEFTMULTIPLY) && draw(k);
    SetWorldTransform(hdc_, mode == GM_ADVANCED ? &saved : &identity);
    if (mode != GM_ADVANCED) SetGraphicsMode(hdc_, mode);
    return ok;
  }
  LONG SizeY(double v) const { return Clamp(v * scaleY_); }
  std::vector<POINT> Points(const Record& r) const {
    std::vector<POINT> v;
    v.reserve(r.points.size());
    for (const POINTL& p : r.points) v.push_back(Pt(p.x, p.y));
    return v;
  }
  HGDIOBJ& Slot(std::int32_t index, bool& ok) {
    static HGDIOBJ none = nullptr;
    ok = index > 0 && static_cast<std::size_t>(index) < objects_.size();
    if (!ok) {
      none = nullptr;
      return none;
    }
    return objects_[static_cast<std::size_t>(index)];
  }
  bool Store(std::int32_t index, HGDIOBJ obj) {
    bool ok = false;
    HGDIOBJ& slot = Slot(index, ok);
    if (!ok || !obj) {
      if (obj) DeleteObject(obj);
      return false;
    }
    if (slot) deleted_.push_back(slot);  // it may still be selected: deleted at the end
    slot = obj;
    return true;
  }
  // A DIB in its 32-bit form, or false when it does not decode.
  static bool Dib(const Record& r, std::uint32_t usage, std::vector<std::uint8_t>& packed, int& w, int& h) {
    if (usage != DIB_RGB_COLORS) return false;
    KvImage img;
    if (!KvReadDib(r.bmi.data(), r.bmi.size(), r.bits.data(), r.bits.size(), false, img)) return false;
    w = img.width;
    h = img.height;
    packed.assign(40, 0);
    auto put = [&](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) packed[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put(0, 40);
    put(4, static_cast<std::uint32_t>(w));
    put(8, static_cast<std::uint32_t>(h));
    packed[12] = 1;
    packed[14] = 32;
    packed.reserve(40 + img.px.size() * 4);
    for (int y = h - 1; y >= 0; --y)
      for (int x = 0; x < w; ++x) {
        const std::uint32_t v = img.At(x, y);
        packed.push_back(static_cast<std::uint8_t>(v));
        packed.push_back(static_cast<std::uint8_t>(v >> 8));
        packed.push_back(static_cast<std::uint8_t>(v >> 16));
        packed.push_back(0);
      }
    return true;
  }
  static bool NeedsSource(DWORD rop) { return (((rop >> 2) ^ rop) & 0x330000) != 0; }

  bool Clip(const Record& r) {
    const int mode = r.W(1);
    if (mode < RGN_AND || mode > RGN_COPY) return false;
    if (r.rects.empty()) {
      if (mode != RGN_COPY) return false;
      return SelectClipRgn(hdc_, initialClip_) != ERROR;
    }
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    if (!rgn) return false;
    for (const RECTL& rc : r.rects) {
      POINT pts[2] = {DevPt(rc.left, rc.top), DevPt(rc.right, rc.bottom)};
      LPtoDP(hdc_, pts, 2);
      HRGN part = CreateRectRgn(std::min(pts[0].x, pts[1].x), std::min(pts[0].y, pts[1].y), std::max(pts[0].x, pts[1].x),
                                std::max(pts[0].y, pts[1].y));
      if (part) {
        CombineRgn(rgn, rgn, part, RGN_OR);
        DeleteObject(Obj(part));
      }
    }
    if (mode == RGN_COPY && initialClip_) CombineRgn(rgn, rgn, initialClip_, RGN_AND);
    const int result = ExtSelectClipRgn(hdc_, rgn, mode);
    DeleteObject(Obj(rgn));
    return result != ERROR;
  }

  bool Step(const Record& r);

  HDC hdc_;
  const Metafile& mf_;
  double pxPerMmX_ = 96 / 25.4, pxPerMmY_ = 96 / 25.4;
  Affine base_;
  Affine m_;
  double scaleX_ = 1, scaleY_ = 1;
  Mapping map_;
  std::vector<Mapping> saved_;
  std::vector<HGDIOBJ> objects_;
  std::vector<HGDIOBJ> deleted_;
  HRGN initialClip_ = nullptr;
};

bool Player::Step(const Record& r) {
  const std::vector<std::int32_t>& w = r.words;
  switch (r.type) {
    // ---- state ----
    case EMR_SETMAPMODE:
      if (w[0] < MM_TEXT || w[0] > MM_ANISOTROPIC) return false;
      map_.mode = w[0];
      Update();
      return true;
    case EMR_SETWINDOWORGEX: map_.winOrgX = w[0]; map_.winOrgY = w[1]; Update(); return true;
    case EMR_SETWINDOWEXTEX:
      if (w[0] == 0 || w[1] == 0) return false;
      map_.winExtX = w[0];
      map_.winExtY = w[1];
      Update();
      return true;
    case EMR_SETVIEWPORTORGEX: map_.vpOrgX = w[0]; map_.vpOrgY = w[1]; Update(); return true;
    case EMR_SETVIEWPORTEXTEX:
      if (w[0] == 0 || w[1] == 0) return false;
      map_.vpExtX = w[0];
      map_.vpExtY = w[1];
      Update();
      return true;
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: {
      double v[6];
      for (int i = 0; i < 6; ++i) {
        v[i] = FloatOf(w[static_cast<std::size_t>(i)]);
        if (!std::isfinite(v[i]) || std::fabs(v[i]) > 1e7) return false;
      }
      const Affine x{v[0], v[1], v[2], v[3], v[4], v[5]};
      if (r.type == EMR_SETWORLDTRANSFORM) {
        map_.world = x;
      } else {
        switch (w[6]) {
          case static_cast<std::int32_t>(MWT_IDENTITY): map_.world = Affine{}; break;
          case static_cast<std::int32_t>(MWT_LEFTMULTIPLY): map_.world = x.Then(map_.world); break;
          case static_cast<std::int32_t>(MWT_RIGHTMULTIPLY): map_.world = map_.world.Then(x); break;
          default: return false;
        }
      }
      Update();
      return true;
    }
    case EMR_SETROP2: return SetROP2(hdc_, w[0]) != 0;
    case EMR_SETBKMODE: return SetBkMode(hdc_, w[0]) != 0;
    case EMR_SETBKCOLOR: return SetBkColor(hdc_, static_cast<COLORREF>(w[0])) != CLR_INVALID;
    case EMR_SETTEXTCOLOR: return SetTextColor(hdc_, static_cast<COLORREF>(w[0])) != CLR_INVALID;
    case EMR_SETPOLYFILLMODE: return SetPolyFillMode(hdc_, w[0]) != 0;
    case EMR_SETTEXTALIGN: return SetTextAlign(hdc_, static_cast<UINT>(w[0])) != GDI_ERROR;
    case EMR_SETSTRETCHBLTMODE: return SetStretchBltMode(hdc_, w[0]) != 0;
    case EMR_SETARCDIRECTION: return SetArcDirection(hdc_, w[0]) != 0;
    case EMR_SETMITERLIMIT: return SetMiterLimit(hdc_, static_cast<FLOAT>(w[0]), nullptr) != FALSE;
    case EMR_SETBRUSHORGEX: {
      const POINT p = Pt(w[0], w[1]);
      return SetBrushOrgEx(hdc_, p.x, p.y, nullptr) != FALSE;
    }
    case EMR_SETMAPPERFLAGS:
      return true;
    case EMR_SAVEDC:
      if (SaveDC(hdc_) <= 0) return false;
      saved_.push_back(map_);
      return true;
    case EMR_RESTOREDC: {
      const int depth = static_cast<int>(saved_.size());
      const int pops = w[0] < 0 ? (w[0] == INT32_MIN ? 0 : -w[0]) : depth - w[0] + 1;
      if (pops <= 0 || pops > depth) return false;
      if (!RestoreDC(hdc_, -pops)) return false;
      map_ = saved_[static_cast<std::size_t>(depth - pops)];
      saved_.resize(static_cast<std::size_t>(depth - pops));
      Update();
      return true;
    }
    // ---- clipping ----
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT: {
      const RECT b = Box(w, 0);
      const int l = std::min(b.left, b.right), t = std::min(b.top, b.bottom);
      const int rr = std::max(b.left, b.right), bb = std::max(b.top, b.bottom);
      return (r.type == EMR_INTERSECTCLIPRECT ? IntersectClipRect(hdc_, l, t, rr, bb) : ExcludeClipRect(hdc_, l, t, rr, bb)) != ERROR;
    }
    case EMR_OFFSETCLIPRGN: return OffsetClipRgn(hdc_, SizeX(w[0]), SizeY(w[1])) != ERROR;
    case EMR_EXTSELECTCLIPRGN: return Clip(r);
    case EMR_SELECTCLIPPATH: return SelectClipPath(hdc_, w[0]) != FALSE;
    // ---- objects ----
    case EMR_CREATEPEN: {
      const int width = w[2] > 0 ? std::max<LONG>(1, SizeX(w[2])) : 0;
      return Store(w[0], Obj(CreatePen(w[1], width, static_cast<COLORREF>(w[4]))));
    }
    case EMR_EXTCREATEPEN: {
      const DWORD style = static_cast<DWORD>(w[ext_pen::kStyle]);
      const bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
      LOGBRUSH lb{static_cast<UINT>(w[ext_pen::kBrushStyle]), static_cast<COLORREF>(w[ext_pen::kColor]),
                  static_cast<ULONG_PTR>(static_cast<std::uint32_t>(w[ext_pen::kHatch]))};
      if (lb.lbStyle != BS_SOLID && lb.lbStyle != BS_HATCHED && lb.lbStyle != BS_NULL) lb.lbStyle = BS_SOLID;
      DWORD width = static_cast<DWORD>(w[ext_pen::kWidth]);
      std::vector<DWORD> entries(r.counts.begin(), r.counts.end());
      if (geometric) {
        width = static_cast<DWORD>(std::max<LONG>(1, SizeX(static_cast<double>(width))));
        for (auto& e : entries) e = static_cast<DWORD>(std::max<LONG>(1, SizeX(static_cast<double>(e))));
      }
      if (entries.size() > 16) return false;
      return Store(w[0], Obj(ExtCreatePen(style, width, &lb, static_cast<DWORD>(entries.size()), entries.empty() ? nullptr : entries.data())));
    }
    case EMR_CREATEBRUSHINDIRECT: {
      LOGBRUSH lb{static_cast<UINT>(w[1]), static_cast<COLORREF>(w[2]), static_cast<ULONG_PTR>(static_cast<std::uint32_t>(w[3]))};
      if (lb.lbStyle != BS_SOLID && lb.lbStyle != BS_HATCHED && lb.lbStyle != BS_NULL) lb.lbStyle = BS_SOLID;
      if (lb.lbStyle == BS_HATCHED && lb.lbHatch > static_cast<ULONG_PTR>(HS_DIAGCROSS)) return false;
      return Store(w[0], Obj(CreateBrushIndirect(&lb)));
    }
    case EMR_CREATEDIBPATTERNBRUSHPT: {
      std::vector<std::uint8_t> packed;
      int bw = 0, bh = 0;
      if (!Dib(r, static_cast<std::uint32_t>(w[dibbrush::kUsage]), packed, bw, bh)) return false;
      return Store(w[0], Obj(CreateDIBPatternBrushPt(packed.data(), DIB_RGB_COLORS)));
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
      LOGFONTW lf{};
      lf.lfHeight = SizeY(w[font::kHeight]);
      if (w[font::kHeight] != 0 && lf.lfHeight == 0) lf.lfHeight = w[font::kHeight] < 0 ? -1 : 1;
      lf.lfWidth = SizeX(w[font::kWidth]);
      lf.lfEscapement = w[font::kEscapement];
      lf.lfOrientation = w[font::kOrientation];
      lf.lfWeight = w[font::kWeight];
      const auto b1 = static_cast<std::uint32_t>(w[font::kBytes1]), b2 = static_cast<std::uint32_t>(w[font::kBytes2]);
      lf.lfItalic = static_cast<BYTE>(b1);
      lf.lfUnderline = static_cast<BYTE>(b1 >> 8);
      lf.lfStrikeOut = static_cast<BYTE>(b1 >> 16);
      lf.lfCharSet = static_cast<BYTE>(b1 >> 24);
      lf.lfOutPrecision = static_cast<BYTE>(b2);
      lf.lfClipPrecision = static_cast<BYTE>(b2 >> 8);
      lf.lfQuality = static_cast<BYTE>(b2 >> 16);
      lf.lfPitchAndFamily = static_cast<BYTE>(b2 >> 24);
      for (std::size_t i = 0; i < r.text.size() && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = r.text[i];
      return Store(w[0], Obj(CreateFontIndirectW(&lf)));
    }
    case EMR_SELECTOBJECT: {
      const auto index = static_cast<std::uint32_t>(w[0]);
      HGDIOBJ obj = nullptr;
      if (index & kStockObject) {
        const std::uint32_t stock = index & ~kStockObject;
        if (stock > static_cast<std::uint32_t>(DC_PEN)) return false;
        obj = GetStockObject(static_cast<int>(stock));
      } else {
        bool ok = false;
        obj = Slot(w[0], ok);
      }
      return obj && SelectObject(hdc_, obj) != nullptr;
    }
    case EMR_DELETEOBJECT: {
      bool ok = false;
      HGDIOBJ& slot = Slot(w[0], ok);
      if (!ok || !slot) return false;
      deleted_.push_back(slot);
      slot = nullptr;
      return true;
    }
    // ---- drawing ----
    case EMR_MOVETOEX: {
      const POINT p = Pt(w[0], w[1]);
      return MoveToEx(hdc_, p.x, p.y, nullptr) != FALSE;
    }
    case EMR_LINETO: {
      const POINT p = Pt(w[0], w[1]);
      return LineTo(hdc_, p.x, p.y) != FALSE;
    }
    case EMR_POLYLINE:
    case EMR_POLYLINE16: {
      const auto p = Points(r);
      return Polyline(hdc_, p.data(), static_cast<int>(p.size())) != FALSE;
    }
    case EMR_POLYLINETO:
    case EMR_POLYLINETO16: {
      const auto p = Points(r);
      return PolylineTo(hdc_, p.data(), static_cast<DWORD>(p.size())) != FALSE;
    }
    case EMR_POLYBEZIER:
    case EMR_POLYBEZIER16: {
      const auto p = Points(r);
      return PolyBezier(hdc_, p.data(), static_cast<DWORD>(p.size())) != FALSE;
    }
    case EMR_POLYBEZIERTO:
    case EMR_POLYBEZIERTO16: {
      const auto p = Points(r);
      return PolyBezierTo(hdc_, p.data(), static_cast<DWORD>(p.size())) != FALSE;
    }
    case EMR_POLYGON:
    case EMR_POLYGON16: {
      const auto p = Points(r);
      return Polygon(hdc_, p.data(), static_cast<int>(p.size())) != FALSE;
    }
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYGON16: {
      const auto p = Points(r);
      std::vector<INT> counts;
      for (std::uint32_t c : r.counts) {
        if (c > p.size()) return false;
        counts.push_back(static_cast<INT>(c));
      }
      return PolyPolygon(hdc_, p.data(), counts.data(), static_cast<int>(counts.size())) != FALSE;
    }
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYLINE16: {
      const auto p = Points(r);
      std::vector<DWORD> counts(r.counts.begin(), r.counts.end());
      return PolyPolyline(hdc_, p.data(), counts.data(), static_cast<DWORD>(counts.size())) != FALSE;
    }
    case EMR_RECTANGLE:
    case EMR_ELLIPSE: {
      if (Turned())
        return DrawTurned([&](double k) {
          const LONG l = Clamp(w[0] * k), t = Clamp(w[1] * k), rr = Clamp(w[2] * k), bb = Clamp(w[3] * k);
          return (r.type == EMR_RECTANGLE ? Rectangle(hdc_, l, t, rr, bb) : Ellipse(hdc_, l, t, rr, bb)) != FALSE;
        });
      const RECT b = Box(w, 0);
      return (r.type == EMR_RECTANGLE ? Rectangle(hdc_, b.left, b.top, b.right, b.bottom)
                                      : Ellipse(hdc_, b.left, b.top, b.right, b.bottom)) != FALSE;
    }
    case EMR_ROUNDRECT: {
      if (Turned())
        return DrawTurned([&](double k) {
          return RoundRect(hdc_, Clamp(w[0] * k), Clamp(w[1] * k), Clamp(w[2] * k), Clamp(w[3] * k), Clamp(w[4] * k),
                           Clamp(w[5] * k)) != FALSE;
        });
      const RECT b = Box(w, 0);
      return RoundRect(hdc_, b.left, b.top, b.right, b.bottom, SizeX(w[4]), SizeY(w[5])) != FALSE;
    }
    case EMR_ARC:
    case EMR_ARCTO:
    case EMR_PIE:
    case EMR_CHORD: {
      const RECT b = Box(w, 0);
      const POINT s = Pt(w[4], w[5]), e = Pt(w[6], w[7]);
      using Fn = BOOL (*)(HDC, int, int, int, int, int, int, int, int);
      const Fn fn = r.type == EMR_ARC ? static_cast<Fn>(Arc) : r.type == EMR_ARCTO ? static_cast<Fn>(ArcTo)
                    : r.type == EMR_PIE ? static_cast<Fn>(Pie) : static_cast<Fn>(Chord);
      // The current position that ArcTo moves is kept in the target's units:
      // only the closed shapes and the plain arc are drawn turned.
      if (Turned() && r.type != EMR_ARCTO)
        return DrawTurned([&](double k) {
          LONG v[8];
          for (int i = 0; i < 8; ++i) v[i] = Clamp(w[static_cast<std::size_t>(i)] * k);
          return fn(hdc_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]) != FALSE;
        });
      return fn(hdc_, b.left, b.top, b.right, b.bottom, s.x, s.y, e.x, e.y) != FALSE;
    }
    case EMR_SETPIXELV: {
      const POINT p = Pt(w[0], w[1]);
      SetPixelV(hdc_, p.x, p.y, static_cast<COLORREF>(w[2]));
      return true;  // a pixel outside the surface is not an error of the record
    }
    case EMR_EXTTEXTOUTW: {
      const POINT p = Pt(w[ext_text::kRefX], w[ext_text::kRefY]);
      const UINT options = static_cast<UINT>(w[ext_text::kOptions]);
      RECT rc = Box(w, ext_text::kLeft);
      const bool useRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
      std::vector<INT> dx;
      if (!r.dx.empty()) {  // scaled positions, so that rounding does not add up
        const bool pdy = (options & ETO_PDY) != 0;
        dx.resize(r.dx.size());
        double sumX = 0, sumY = 0;
        LONG lastX = 0, lastY = 0;
        for (std::size_t i = 0; i < r.dx.size(); ++i) {
          const bool isY = pdy && (i % 2 == 1);
          double& sum = isY ? sumY : sumX;
          LONG& last = isY ? lastY : lastX;
          sum += r.dx[i];
          const LONG pos = isY ? SizeY(sum) : SizeX(sum);
          dx[i] = pos - last;
          last = pos;
        }
      }
      if (r.text.empty()) return useRect ? ExtTextOutW(hdc_, p.x, p.y, options, &rc, nullptr, 0, nullptr) != FALSE : true;
      return ExtTextOutW(hdc_, p.x, p.y, options, useRect ? &rc : nullptr, r.text.data(), static_cast<UINT>(r.text.size()),
                         dx.empty() ? nullptr : dx.data()) != FALSE;
    }
    case EMR_BITBLT:
    case EMR_STRETCHDIBITS: {
      const bool blt = r.type == EMR_BITBLT;
      const int x = blt ? w[bitblt::kXDest] : w[stretch::kXDest], y = blt ? w[bitblt::kYDest] : w[stretch::kYDest];
      const int cx = blt ? w[bitblt::kCxDest] : w[stretch::kCxDest], cy = blt ? w[bitblt::kCyDest] : w[stretch::kCyDest];
      const DWORD rop = static_cast<DWORD>(blt ? w[bitblt::kRop] : w[stretch::kRop]);
      const POINT p = Pt(x, y), q = Pt(static_cast<double>(x) + cx, static_cast<double>(y) + cy);
      if (r.bmi.empty()) {
        if (!blt || NeedsSource(rop)) return false;
        return PatBlt(hdc_, p.x, p.y, q.x - p.x, q.y - p.y, rop) != FALSE;
      }
      std::vector<std::uint8_t> packed;
      int bw = 0, bh = 0;
      const auto usage = static_cast<std::uint32_t>(blt ? w[bitblt::kUsage] : w[stretch::kUsage]);
      if (!Dib(r, usage, packed, bw, bh)) return false;
      const int xs = blt ? w[bitblt::kXSrc] : w[stretch::kXSrc], ys = blt ? w[bitblt::kYSrc] : w[stretch::kYSrc];
      const int ws = blt ? cx : w[stretch::kCxSrc], hs = blt ? cy : w[stretch::kCySrc];
      if (xs < 0 || ys < 0 || ws <= 0 || hs <= 0 || xs > bw || ys > bh || ws > bw - xs || hs > bh - ys) return false;
      const auto* bmi = reinterpret_cast<const BITMAPINFO*>(packed.data());
      return StretchDIBits(hdc_, p.x, p.y, q.x - p.x, q.y - p.y, xs, ys, ws, hs, packed.data() + 40, bmi, DIB_RGB_COLORS, rop) != 0;
    }
    case EMR_GRADIENTFILL: {
      const auto mode = static_cast<ULONG>(w[2]);
      if (mode > GRADIENT_FILL_TRIANGLE || r.vertices.empty()) return false;
      std::vector<TRIVERTEX> v;
      for (const Vertex& x : r.vertices) {
        const POINT p = Pt(x.x, x.y);
        v.push_back(TRIVERTEX{p.x, p.y, x.red, x.green, x.blue, x.alpha});
      }
      for (std::uint32_t i : r.counts)
        if (i >= v.size()) return false;
      // Shaded triangles cost in proportion to their size: ones beyond the
      // 16-bit coordinate space are refused.
      if (mode == GRADIENT_FILL_TRIANGLE)
        for (const TRIVERTEX& x : v)
          if (x.x < -32768 || x.x > 32767 || x.y < -32768 || x.y > 32767) return false;
      const ULONG per = mode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
      const ULONG n = static_cast<ULONG>(r.counts.size() / per);
      if (n == 0) return true;
      return GradientFill(hdc_, v.data(), static_cast<ULONG>(v.size()), r.counts.data(), n, mode) != FALSE;
    }
    // ---- paths ----
    case EMR_BEGINPATH: return BeginPath(hdc_) != FALSE;
    case EMR_ENDPATH: return EndPath(hdc_) != FALSE;
    case EMR_ABORTPATH: return AbortPath(hdc_) != FALSE;
    case EMR_CLOSEFIGURE: return CloseFigure(hdc_) != FALSE;
    case EMR_FILLPATH: return FillPath(hdc_) != FALSE;
    case EMR_STROKEPATH: return StrokePath(hdc_) != FALSE;
    case EMR_STROKEANDFILLPATH: return StrokeAndFillPath(hdc_) != FALSE;
    case EMR_FLATTENPATH: return FlattenPath(hdc_) != FALSE;
    case EMR_WIDENPATH: return WidenPath(hdc_) != FALSE;
    default:
      return true;  // comments and kinds this player does not draw are skipped
  }
}

}  // namespace

BOOL Play(HDC hdc, const Metafile& mf, const RECT* rect) {
  Player p(hdc, mf, rect);
  return p.Run();
}

}  // namespace emf
