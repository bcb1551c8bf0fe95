// Enhanced metafiles: the recording sink, the handle table and the file calls.
#include "win/emf.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>

#include "win/emfstore.h"
#include "win/gdisink.h"

namespace emf {

// ---- handle table ----------------------------------------------------------------
namespace {
std::mutex g_mutex;
std::map<std::uintptr_t, std::shared_ptr<const Metafile>>& Table() {
  static std::map<std::uintptr_t, std::shared_ptr<const Metafile>> table;
  return table;
}
std::uintptr_t g_next = 1;
// Handle values are tagged so that they differ from small integers and from
// the GDI table's handles; they are never dereferenced.
constexpr std::uintptr_t kTag = 0x4E000000;
}  // namespace

std::shared_ptr<const Metafile> Parse(const std::uint8_t* data, std::size_t size) {
  auto mf = std::make_shared<Metafile>();
  if (!DecodeFile(data, size, mf->header, mf->records)) return nullptr;
  mf->bytes.assign(data, data + mf->header.bytes);
  return mf;
}

HENHMETAFILE AddHandle(std::shared_ptr<const Metafile> mf) {
  if (!mf) return nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  const std::uintptr_t id = g_next++;
  Table()[id] = std::move(mf);
  return reinterpret_cast<HENHMETAFILE>(kTag + id * 8);
}

namespace {
bool IdOf(HENHMETAFILE h, std::uintptr_t& id) {
  const auto v = reinterpret_cast<std::uintptr_t>(h);
  if (v <= kTag || (v - kTag) % 8) return false;
  id = (v - kTag) / 8;
  return true;
}
}  // namespace

std::shared_ptr<const Metafile> Lookup(HENHMETAFILE h) {
  std::uintptr_t id = 0;
  if (!IdOf(h, id)) return nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = Table().find(id);
  return it == Table().end() ? nullptr : it->second;
}

bool RemoveHandle(HENHMETAFILE h) {
  std::uintptr_t id = 0;
  if (!IdOf(h, id)) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  return Table().erase(id) != 0;
}

std::string PathFromWide(LPCWSTR path) {
  std::string out;
  if (!path) return out;
  for (const char16_t* p = path; *p; ++p) {
    std::uint32_t c = *p;
    if (c >= 0xD800 && c < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint32_t>(p[1]) - 0xDC00);
      ++p;
    }
    if (c == '\\') c = '/';
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  if (path.empty()) return false;
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  if (path.empty()) return false;
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  f.seekg(0, std::ios::end);
  const std::streamoff n = f.tellg();
  if (n < 0 || n > (std::streamoff{1} << 31)) return false;
  f.seekg(0);
  bytes.resize(static_cast<std::size_t>(n));
  f.read(reinterpret_cast<char*>(bytes.data()), n);
  return static_cast<bool>(f) || f.gcount() == n;
}

// ---- the recording sink ------------------------------------------------------------
namespace {

std::int32_t FloatBits(float f) {
  std::int32_t v;
  std::memcpy(&v, &f, 4);
  return v;
}

RECTL Inclusive(const RECT& r) { return RECTL{r.left, r.top, r.right - 1, r.bottom - 1}; }

// A 32-bit bottom-up BI_RGB DIB of top-down 0x00RRGGBB pixels.
void MakeDib(int w, int h, const std::vector<std::uint32_t>& px, std::vector<std::uint8_t>& bmi,
             std::vector<std::uint8_t>& bits) {
  bmi.assign(40, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmi[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, static_cast<std::uint32_t>(w));
  put32(8, static_cast<std::uint32_t>(h));
  bmi[12] = 1;
  bmi[14] = 32;
  put32(20, static_cast<std::uint32_t>(w) * static_cast<std::uint32_t>(h) * 4);
  bits.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
  std::size_t at = 0;
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t v = px[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
      bits[at++] = static_cast<std::uint8_t>(v);
      bits[at++] = static_cast<std::uint8_t>(v >> 8);
      bits[at++] = static_cast<std::uint8_t>(v >> 16);
      bits[at++] = 0;
    }
}

class EmfSink : public KvGdiSink {
 public:
  EmfSink(const KvDeviceInfo& info, std::string file, const RECT* frame, std::u16string description)
      : info_(info), file_(std::move(file)), description_(std::move(description)) {
    if (frame) {
      frame_ = RECTL{frame->left, frame->top, frame->right, frame->bottom};
      hasFrame_ = true;
    }
    slots_.push_back(nullptr);  // index 0 is reserved
  }
  KvSinkKind Kind() const override { return KvSinkKind::Emf; }
  KvDeviceInfo DeviceInfo() const override { return info_; }
  void OnCall(const KvGdiCall& c) override;

  // The finished file.
  bool Build(std::vector<std::uint8_t>& out) const;
  const std::string& File() const { return file_; }

 private:
  // A selection: kStockObject + n for stock object n, else a slot index.
  struct Sel {
    std::uint32_t pen = kStockObject + BLACK_PEN;
    std::uint32_t brush = kStockObject + WHITE_BRUSH;
    std::uint32_t font = kStockObject + SYSTEM_FONT;
  };

  Record& Add(std::uint32_t type, std::vector<std::int32_t> words = {}) {
    Record r;
    r.type = type;
    r.words = std::move(words);
    records_.push_back(std::move(r));
    return records_.back();
  }
  void Bound(Record& r, const RECT& b) {
    r.bounds = Inclusive(b);
    if (b.right <= b.left || b.bottom <= b.top) return;
    if (!hasBounds_) {
      bounds_ = r.bounds;
      hasBounds_ = true;
    } else {
      bounds_.left = std::min(bounds_.left, r.bounds.left);
      bounds_.top = std::min(bounds_.top, r.bounds.top);
      bounds_.right = std::max(bounds_.right, r.bounds.right);
      bounds_.bottom = std::max(bounds_.bottom, r.bounds.bottom);
    }
  }
  void Points(std::uint32_t t16, std::uint32_t t32, const KvGdiCall& c) {
    bool small = true;
    for (const POINT& p : c.points)
      if (p.x < -32768 || p.x > 32767 || p.y < -32768 || p.y > 32767) small = false;
    Record& r = Add(small ? t16 : t32, {0});
    Bound(r, c.bounds);
    for (const POINT& p : c.points) r.points.push_back(POINTL{p.x, p.y});
  }
  void PolyPoints(std::uint32_t t16, std::uint32_t t32, const KvGdiCall& c) {
    bool small = true;
    for (const POINT& p : c.points)
      if (p.x < -32768 || p.x > 32767 || p.y < -32768 || p.y > 32767) small = false;
    Record& r = Add(small ? t16 : t32, {0, 0});
    Bound(r, c.bounds);
    for (const POINT& p : c.points) r.points.push_back(POINTL{p.x, p.y});
    for (INT n : c.counts) r.counts.push_back(static_cast<std::uint32_t>(n));
  }
  std::uint32_t FreeSlot() {
    for (std::uint32_t i = 1; i < slots_.size(); ++i)
      if (!slots_[i]) return i;
    slots_.push_back(nullptr);
    return static_cast<std::uint32_t>(slots_.size() - 1);
  }
  bool InUse(std::uint32_t slot) const {
    auto uses = [&](const Sel& s) { return s.pen == slot || s.brush == slot || s.font == slot; };
    if (uses(cur_)) return true;
    for (const Sel& s : saved_)
      if (uses(s)) return true;
    return false;
  }
  // Frees the slots of objects that have been deleted since they were recorded.
  void Collect() {
    for (std::uint32_t i = 1; i < slots_.size(); ++i)
      if (slots_[i] && !KvIsLiveGdiHandle(slots_[i]) && !InUse(i)) {
        Add(EMR_DELETEOBJECT, {static_cast<std::int32_t>(i)});
        slots_[i] = nullptr;
      }
  }
  // The selection token of an object, recording its creation when new; 0 when
  // the object cannot be recorded.
  std::uint32_t Token(HGDIOBJ obj);
  void Select(std::uint32_t token) { Add(EMR_SELECTOBJECT, {static_cast<std::int32_t>(token)}); }
  std::uint32_t& CurrentOf(DWORD type) {
    if (type == OBJ_PEN || type == OBJ_EXTPEN) return cur_.pen;
    if (type == OBJ_FONT) return cur_.font;
    return cur_.brush;
  }
  void Blit(const RECT& bounds, int x, int y, int w, int h, DWORD rop) {
    Record& r = Add(EMR_BITBLT, std::vector<std::int32_t>(bitblt::kCount, 0));
    Bound(r, bounds);
    r.words[bitblt::kXDest] = x;
    r.words[bitblt::kYDest] = y;
    r.words[bitblt::kCxDest] = w;
    r.words[bitblt::kCyDest] = h;
    r.words[bitblt::kRop] = static_cast<std::int32_t>(rop);
    r.words[bitblt::kXform] = FloatBits(1.0f);
    r.words[bitblt::kXform + 3] = FloatBits(1.0f);
  }
  void RegionRects(HGDIOBJ rgn, std::vector<RECTL>& out) {
    out.clear();
    const DWORD n = GetRegionData(reinterpret_cast<HRGN>(rgn), 0, nullptr);
    if (n < sizeof(RGNDATAHEADER)) return;
    std::vector<std::uint8_t> buf(n);
    auto* data = reinterpret_cast<RGNDATA*>(buf.data());
    if (GetRegionData(reinterpret_cast<HRGN>(rgn), n, data) == 0) return;
    const std::size_t count = std::min<std::size_t>(data->rdh.nCount, (n - sizeof(RGNDATAHEADER)) / sizeof(RECT));
    const auto* rc = reinterpret_cast<const RECT*>(buf.data() + sizeof(RGNDATAHEADER));
    for (std::size_t i = 0; i < count; ++i) out.push_back(RECTL{rc[i].left, rc[i].top, rc[i].right, rc[i].bottom});
  }
  void FillRects(const RECT& bounds, const std::vector<RECTL>& rects, DWORD rop) {
    for (const RECTL& rc : rects) Blit(bounds, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, rop);
  }

  KvDeviceInfo info_;
  std::string file_;
  std::u16string description_;
  RECTL frame_{};
  bool hasFrame_ = false;
  RECTL bounds_{0, 0, -1, -1};
  bool hasBounds_ = false;
  std::vector<Record> records_;
  std::vector<HGDIOBJ> slots_;
  std::size_t maxSlots_ = 1;
  Sel cur_;
  std::vector<Sel> saved_;
};

std::uint32_t EmfSink::Token(HGDIOBJ obj) {
  const int stock = KvStockObjectIndex(obj);
  if (stock >= 0) return kStockObject + static_cast<std::uint32_t>(stock);
  for (std::uint32_t i = 1; i < slots_.size(); ++i)
    if (slots_[i] == obj) return i;
  const DWORD type = GetObjectType(obj);
  Record r;
  std::uint32_t slot = 0;
  switch (type) {
    case OBJ_PEN: {
      LOGPEN lp{};
      if (GetObjectW(obj, sizeof lp, &lp) == 0) return 0;
      slot = FreeSlot();
      r.type = EMR_CREATEPEN;
      r.words = {static_cast<std::int32_t>(slot), static_cast<std::int32_t>(lp.lopnStyle), lp.lopnWidth.x, 0,
                 static_cast<std::int32_t>(lp.lopnColor)};
      break;
    }
    case OBJ_EXTPEN: {
      const int n = GetObjectW(obj, 0, nullptr);
      if (n < static_cast<int>(sizeof(EXTLOGPEN))) return 0;
      std::vector<std::uint8_t> buf(static_cast<std::size_t>(n));
      if (GetObjectW(obj, n, buf.data()) == 0) return 0;
      const auto* lp = reinterpret_cast<const EXTLOGPEN*>(buf.data());
      slot = FreeSlot();
      r.type = EMR_EXTCREATEPEN;
      r.words.assign(ext_pen::kCount, 0);
      r.words[ext_pen::kIndex] = static_cast<std::int32_t>(slot);
      r.words[ext_pen::kStyle] = static_cast<std::int32_t>(lp->elpPenStyle);
      r.words[ext_pen::kWidth] = static_cast<std::int32_t>(lp->elpWidth);
      r.words[ext_pen::kBrushStyle] = static_cast<std::int32_t>(lp->elpBrushStyle);
      r.words[ext_pen::kColor] = static_cast<std::int32_t>(lp->elpColor);
      r.words[ext_pen::kHatch] = static_cast<std::int32_t>(lp->elpHatch);
      const std::size_t entries = std::min<std::size_t>(
          lp->elpNumEntries, (buf.size() - offsetof(EXTLOGPEN, elpStyleEntry)) / sizeof(DWORD));
      for (std::size_t i = 0; i < entries; ++i) r.counts.push_back(lp->elpStyleEntry[i]);
      if (r.words[ext_pen::kBrushStyle] != static_cast<std::int32_t>(BS_SOLID) &&
          r.words[ext_pen::kBrushStyle] != static_cast<std::int32_t>(BS_HATCHED) &&
          r.words[ext_pen::kBrushStyle] != static_cast<std::int32_t>(BS_NULL))
        r.words[ext_pen::kBrushStyle] = static_cast<std::int32_t>(BS_SOLID);
      break;
    }
    case OBJ_BRUSH: {
      LOGBRUSH lb{};
      if (GetObjectW(obj, sizeof lb, &lb) == 0) return 0;
      slot = FreeSlot();
      if (lb.lbStyle == BS_PATTERN) {
        cairo_surface_t* s = KvGetBitmapSurface(reinterpret_cast<HBITMAP>(lb.lbHatch));
        if (s && cairo_image_surface_get_width(s) > 0 && cairo_image_surface_get_height(s) > 0) {
          cairo_surface_flush(s);
          const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
          const int stride = cairo_image_surface_get_stride(s);
          const unsigned char* data = cairo_image_surface_get_data(s);
          std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
          for (int y = 0; y < h; ++y)
            std::memcpy(&px[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)], data + static_cast<std::size_t>(y) * stride,
                        static_cast<std::size_t>(w) * 4);
          for (auto& v : px) v &= 0xFFFFFF;
          r.type = EMR_CREATEDIBPATTERNBRUSHPT;
          r.words.assign(dibbrush::kCount, 0);
          r.words[dibbrush::kIndex] = static_cast<std::int32_t>(slot);
          r.words[dibbrush::kUsage] = static_cast<std::int32_t>(DIB_RGB_COLORS);
          MakeDib(w, h, px, r.bmi, r.bits);
          break;
        }
      }
      UINT style = lb.lbStyle;
      if (style != BS_SOLID && style != BS_HATCHED && style != BS_NULL) style = BS_SOLID;
      r.type = EMR_CREATEBRUSHINDIRECT;
      r.words = {static_cast<std::int32_t>(slot), static_cast<std::int32_t>(style), static_cast<std::int32_t>(lb.lbColor),
                 style == BS_HATCHED ? static_cast<std::int32_t>(lb.lbHatch) : 0};
      break;
    }
    case OBJ_FONT: {
      LOGFONTW lf{};
      if (GetObjectW(obj, sizeof lf, &lf) == 0) return 0;
      slot = FreeSlot();
      r.type = EMR_EXTCREATEFONTINDIRECTW;
      r.words = {static_cast<std::int32_t>(slot), lf.lfHeight, lf.lfWidth, lf.lfEscapement, lf.lfOrientation, lf.lfWeight,
                 static_cast<std::int32_t>(lf.lfItalic | (lf.lfUnderline << 8) | (lf.lfStrikeOut << 16) |
                                           (static_cast<std::uint32_t>(lf.lfCharSet) << 24)),
                 static_cast<std::int32_t>(lf.lfOutPrecision | (lf.lfClipPrecision << 8) | (lf.lfQuality << 16) |
                                           (static_cast<std::uint32_t>(lf.lfPitchAndFamily) << 24))};
      for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i) r.text.push_back(lf.lfFaceName[i]);
      break;
    }
    default:
      return 0;
  }
  slots_[slot] = obj;
  maxSlots_ = std::max(maxSlots_, slots_.size());
  records_.push_back(std::move(r));
  return slot;
}

void EmfSink::OnCall(const KvGdiCall& c) {
  const int* a = c.args;
  switch (c.op) {
    case KvGdiOp::SelectObject: {
      const DWORD type = GetObjectType(c.object);
      if (type != OBJ_PEN && type != OBJ_EXTPEN && type != OBJ_BRUSH && type != OBJ_FONT) {
        if (type == OBJ_REGION) {
          Record& r = Add(EMR_EXTSELECTCLIPRGN, {0, RGN_COPY});
          std::vector<RECTL> rects;
          RegionRects(c.object, rects);
          records_.back().rects = rects;
          (void)r;
        }
        break;
      }
      Collect();
      const std::uint32_t token = Token(c.object);
      if (!token) break;
      Select(token);
      CurrentOf(type) = token;
      break;
    }
    case KvGdiOp::SelectClipRgn: {
      std::vector<RECTL> rects;
      if (c.object) RegionRects(c.object, rects);
      Add(EMR_EXTSELECTCLIPRGN, {0, a[0]}).rects = rects;
      break;
    }
    case KvGdiOp::IntersectClipRect:
      Add(EMR_INTERSECTCLIPRECT, {c.rect.left, c.rect.top, c.rect.right, c.rect.bottom});
      break;
    case KvGdiOp::ExcludeClipRect:
      Add(EMR_EXCLUDECLIPRECT, {c.rect.left, c.rect.top, c.rect.right, c.rect.bottom});
      break;
    case KvGdiOp::OffsetClipRgn: Add(EMR_OFFSETCLIPRGN, {a[0], a[1]}); break;
    case KvGdiOp::SelectClipPath: Add(EMR_SELECTCLIPPATH, {a[0]}); break;
    case KvGdiOp::SaveDC:
      saved_.push_back(cur_);
      Add(EMR_SAVEDC);
      break;
    case KvGdiOp::RestoreDC: {
      int level = a[0];
      const int depth = static_cast<int>(saved_.size());
      const int pops = level < 0 ? -level : depth - level + 1;
      if (pops <= 0 || pops > depth) break;
      for (int i = 0; i < pops; ++i) {
        cur_ = saved_.back();
        saved_.pop_back();
      }
      Add(EMR_RESTOREDC, {-pops});
      break;
    }
    case KvGdiOp::SetROP2: Add(EMR_SETROP2, {a[0]}); break;
    case KvGdiOp::SetBkMode: Add(EMR_SETBKMODE, {a[0]}); break;
    case KvGdiOp::SetBkColor: Add(EMR_SETBKCOLOR, {static_cast<std::int32_t>(c.color)}); break;
    case KvGdiOp::SetTextColor: Add(EMR_SETTEXTCOLOR, {static_cast<std::int32_t>(c.color)}); break;
    case KvGdiOp::SetPolyFillMode: Add(EMR_SETPOLYFILLMODE, {a[0]}); break;
    case KvGdiOp::SetTextAlign: Add(EMR_SETTEXTALIGN, {a[0]}); break;
    case KvGdiOp::SetStretchBltMode: Add(EMR_SETSTRETCHBLTMODE, {a[0]}); break;
    case KvGdiOp::SetBrushOrgEx: Add(EMR_SETBRUSHORGEX, {a[0], a[1]}); break;
    case KvGdiOp::SetArcDirection: Add(EMR_SETARCDIRECTION, {a[0]}); break;
    case KvGdiOp::SetMiterLimit: Add(EMR_SETMITERLIMIT, {static_cast<std::int32_t>(c.real)}); break;
    case KvGdiOp::SetMapMode: Add(EMR_SETMAPMODE, {a[0]}); break;
    case KvGdiOp::SetWindowOrgEx: Add(EMR_SETWINDOWORGEX, {a[0], a[1]}); break;
    case KvGdiOp::SetWindowExtEx: Add(EMR_SETWINDOWEXTEX, {a[0], a[1]}); break;
    case KvGdiOp::SetViewportOrgEx: Add(EMR_SETVIEWPORTORGEX, {a[0], a[1]}); break;
    case KvGdiOp::SetViewportExtEx: Add(EMR_SETVIEWPORTEXTEX, {a[0], a[1]}); break;
    case KvGdiOp::SetWorldTransform:
      Add(EMR_SETWORLDTRANSFORM, {FloatBits(c.xform.eM11), FloatBits(c.xform.eM12), FloatBits(c.xform.eM21),
                                  FloatBits(c.xform.eM22), FloatBits(c.xform.eDx), FloatBits(c.xform.eDy)});
      break;
    case KvGdiOp::MoveToEx: Add(EMR_MOVETOEX, {a[0], a[1]}); break;
    case KvGdiOp::LineTo: Bound(Add(EMR_LINETO, {a[0], a[1]}), c.bounds); break;
    case KvGdiOp::Polyline: Points(EMR_POLYLINE16, EMR_POLYLINE, c); break;
    case KvGdiOp::PolylineTo: Points(EMR_POLYLINETO16, EMR_POLYLINETO, c); break;
    case KvGdiOp::PolyPolyline: PolyPoints(EMR_POLYPOLYLINE16, EMR_POLYPOLYLINE, c); break;
    case KvGdiOp::PolyBezier: Points(EMR_POLYBEZIER16, EMR_POLYBEZIER, c); break;
    case KvGdiOp::PolyBezierTo: Points(EMR_POLYBEZIERTO16, EMR_POLYBEZIERTO, c); break;
    case KvGdiOp::Polygon: Points(EMR_POLYGON16, EMR_POLYGON, c); break;
    case KvGdiOp::PolyPolygon: PolyPoints(EMR_POLYPOLYGON16, EMR_POLYPOLYGON, c); break;
    case KvGdiOp::Arc:
    case KvGdiOp::ArcTo:
    case KvGdiOp::Pie:
    case KvGdiOp::Chord: {
      const std::uint32_t t = c.op == KvGdiOp::Arc ? EMR_ARC : c.op == KvGdiOp::ArcTo ? EMR_ARCTO : c.op == KvGdiOp::Pie ? EMR_PIE : EMR_CHORD;
      Bound(Add(t, {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]}), c.bounds);
      break;
    }
    case KvGdiOp::Ellipse: Bound(Add(EMR_ELLIPSE, {a[0], a[1], a[2], a[3]}), c.bounds); break;
    case KvGdiOp::Rectangle: Bound(Add(EMR_RECTANGLE, {a[0], a[1], a[2], a[3]}), c.bounds); break;
    case KvGdiOp::RoundRect: Bound(Add(EMR_ROUNDRECT, {a[0], a[1], a[2], a[3], a[4], a[5]}), c.bounds); break;
    case KvGdiOp::FillRect:
    case KvGdiOp::FrameRect: {
      const std::uint32_t token = Token(c.object);
      if (!token) break;
      const std::uint32_t old = cur_.brush;
      Select(token);
      const RECT& rc = c.rect;
      if (c.op == KvGdiOp::FillRect) {
        Blit(c.bounds, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, PATCOPY);
      } else if (rc.right > rc.left && rc.bottom > rc.top) {
        const int w = rc.right - rc.left, h = rc.bottom - rc.top;
        Blit(c.bounds, rc.left, rc.top, w, 1, PATCOPY);
        Blit(c.bounds, rc.left, rc.bottom - 1, w, 1, PATCOPY);
        Blit(c.bounds, rc.left, rc.top, 1, h, PATCOPY);
        Blit(c.bounds, rc.right - 1, rc.top, 1, h, PATCOPY);
      }
      Select(old);
      break;
    }
    case KvGdiOp::InvertRect:
      Blit(c.bounds, c.rect.left, c.rect.top, c.rect.right - c.rect.left, c.rect.bottom - c.rect.top, DSTINVERT);
      break;
    case KvGdiOp::FillRgn:
    case KvGdiOp::PaintRgn:
    case KvGdiOp::InvertRgn: {
      std::vector<RECTL> rects;
      RegionRects(c.object, rects);
      if (c.op == KvGdiOp::InvertRgn) {
        FillRects(c.bounds, rects, DSTINVERT);
        break;
      }
      const std::uint32_t old = cur_.brush;
      std::uint32_t token = old;
      if (c.op == KvGdiOp::FillRgn) {
        token = Token(c.object2);
        if (!token) break;
        Select(token);
      }
      FillRects(c.bounds, rects, PATCOPY);
      if (token != old) Select(old);
      break;
    }
    case KvGdiOp::SetPixel:
      Bound(Add(EMR_SETPIXELV, {a[0], a[1], static_cast<std::int32_t>(c.color)}), c.bounds);
      break;
    case KvGdiOp::ExtTextOut: {
      Record& r = Add(EMR_EXTTEXTOUTW, std::vector<std::int32_t>(ext_text::kCount, 0));
      Bound(r, c.bounds);
      const int mmx = info_.widthMm > 0 ? info_.widthMm : static_cast<int>(std::lround(info_.widthPx * 25.4 / std::max(1, info_.dpiX)));
      const int mmy = info_.heightMm > 0 ? info_.heightMm : static_cast<int>(std::lround(info_.heightPx * 25.4 / std::max(1, info_.dpiY)));
      r.words[ext_text::kGraphicsMode] = GM_COMPATIBLE;
      r.words[ext_text::kExScale] = FloatBits(info_.widthPx > 0 ? static_cast<float>(mmx * 100.0 / info_.widthPx) : 0.f);
      r.words[ext_text::kEyScale] = FloatBits(info_.heightPx > 0 ? static_cast<float>(mmy * 100.0 / info_.heightPx) : 0.f);
      r.words[ext_text::kRefX] = a[0];
      r.words[ext_text::kRefY] = a[1];
      r.words[ext_text::kOptions] = static_cast<std::int32_t>(c.options);
      if (c.hasRect) {
        r.words[ext_text::kLeft] = c.rect.left;
        r.words[ext_text::kTop] = c.rect.top;
        r.words[ext_text::kRight] = c.rect.right;
        r.words[ext_text::kBottom] = c.rect.bottom;
      }
      r.text = c.text;
      const std::size_t need = c.text.size() * ((c.options & ETO_PDY) ? 2 : 1);
      if (c.dx.size() == need)
        r.dx.assign(c.dx.begin(), c.dx.end());
      else
        r.words[ext_text::kOptions] &= ~static_cast<std::int32_t>(ETO_PDY);
      break;
    }
    case KvGdiOp::PatBlt: Blit(c.bounds, a[0], a[1], a[2], a[3], c.rop); break;
    case KvGdiOp::BitBlt:
    case KvGdiOp::StretchBlt:
    case KvGdiOp::AlphaBlend: {
      if (c.imageWidth <= 0 || c.imageHeight <= 0 ||
          c.image.size() < static_cast<std::size_t>(c.imageWidth) * static_cast<std::size_t>(c.imageHeight)) {
        if (c.op == KvGdiOp::BitBlt) Blit(c.bounds, a[0], a[1], a[2], a[3], c.rop);
        break;
      }
      std::vector<std::uint32_t> px = c.image;
      if (c.op == KvGdiOp::AlphaBlend)  // premultiplied over white: the nearest a flat copy can show
        for (auto& v : px) {
          const std::uint32_t al = v >> 24, inv = 255 - al;
          auto ch = [&](int s) { return std::min<std::uint32_t>(255, ((v >> s) & 0xFF) + inv) << s; };
          v = ch(16) | ch(8) | ch(0);
        }
      Record* r = nullptr;
      if (c.op == KvGdiOp::BitBlt) {
        Blit(c.bounds, a[0], a[1], a[2], a[3], c.rop);
        r = &records_.back();
        r->words[bitblt::kUsage] = static_cast<std::int32_t>(DIB_RGB_COLORS);
      } else {
        r = &Add(EMR_STRETCHDIBITS, std::vector<std::int32_t>(stretch::kCount, 0));
        Bound(*r, c.bounds);
        r->words[stretch::kXDest] = a[0];
        r->words[stretch::kYDest] = a[1];
        r->words[stretch::kCxDest] = a[2];
        r->words[stretch::kCyDest] = a[3];
        r->words[stretch::kCxSrc] = c.imageWidth;
        r->words[stretch::kCySrc] = c.imageHeight;
        r->words[stretch::kUsage] = static_cast<std::int32_t>(DIB_RGB_COLORS);
        r->words[stretch::kRop] = static_cast<std::int32_t>(c.op == KvGdiOp::AlphaBlend ? SRCCOPY : c.rop);
      }
      MakeDib(c.imageWidth, c.imageHeight, px, r->bmi, r->bits);
      break;
    }
    case KvGdiOp::GradientFill: {
      Record& r = Add(EMR_GRADIENTFILL, {0, 0, a[0]});
      Bound(r, c.bounds);
      for (const TRIVERTEX& v : c.vertices) r.vertices.push_back(Vertex{v.x, v.y, v.Red, v.Green, v.Blue, v.Alpha});
      for (ULONG m : c.mesh) r.counts.push_back(m);
      if (r.counts.size() % (a[0] == static_cast<int>(GRADIENT_FILL_TRIANGLE) ? 3 : 2)) records_.pop_back();
      break;
    }
    case KvGdiOp::BeginPath: Add(EMR_BEGINPATH); break;
    case KvGdiOp::EndPath: Add(EMR_ENDPATH); break;
    case KvGdiOp::AbortPath: Add(EMR_ABORTPATH); break;
    case KvGdiOp::CloseFigure: Add(EMR_CLOSEFIGURE); break;
    case KvGdiOp::FillPath: Bound(Add(EMR_FILLPATH), c.bounds); break;
    case KvGdiOp::StrokePath: Bound(Add(EMR_STROKEPATH), c.bounds); break;
    case KvGdiOp::StrokeAndFillPath: Bound(Add(EMR_STROKEANDFILLPATH), c.bounds); break;
    case KvGdiOp::FlattenPath: Add(EMR_FLATTENPATH); break;
    case KvGdiOp::WidenPath: Add(EMR_WIDENPATH); break;
    default:
      break;  // focus rectangles, region frames, graphics mode and documents leave no record
  }
}

bool EmfSink::Build(std::vector<std::uint8_t>& out) const {
  Header h;
  h.device = SIZE{info_.widthPx, info_.heightPx};
  h.millimeters = SIZE{info_.widthMm > 0 ? info_.widthMm : static_cast<LONG>(std::lround(info_.widthPx * 25.4 / std::max(1, info_.dpiX))),
                       info_.heightMm > 0 ? info_.heightMm : static_cast<LONG>(std::lround(info_.heightPx * 25.4 / std::max(1, info_.dpiY)))};
  h.bounds = hasBounds_ ? bounds_ : RECTL{0, 0, -1, -1};
  if (hasFrame_) {
    h.frame = frame_;
  } else if (hasBounds_ && h.device.cx > 0 && h.device.cy > 0) {
    auto fx = [&](LONG v) { return static_cast<LONG>(std::lround(v * 100.0 * h.millimeters.cx / h.device.cx)); };
    auto fy = [&](LONG v) { return static_cast<LONG>(std::lround(v * 100.0 * h.millimeters.cy / h.device.cy)); };
    h.frame = RECTL{fx(bounds_.left), fy(bounds_.top), fx(bounds_.right + 1), fy(bounds_.bottom + 1)};
  } else {
    h.frame = RECTL{0, 0, -1, -1};
  }
  h.handles = static_cast<std::uint16_t>(std::min<std::size_t>(maxSlots_, 0xFFFF));
  h.description = description_;
  std::vector<Record> records = records_;
  Record eof;
  eof.type = EMR_EOF;
  eof.words = {0, 16, 0};
  records.push_back(eof);
  return EncodeFile(h, records, out);
}

KvDeviceInfo InfoOf(HDC ref) {
  HDC dc = ref ? ref : GetDC(nullptr);
  KvDeviceInfo info;
  if (dc) {
    info.technology = GetDeviceCaps(dc, TECHNOLOGY);
    info.widthPx = GetDeviceCaps(dc, HORZRES);
    info.heightPx = GetDeviceCaps(dc, VERTRES);
    info.dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    info.dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    info.bitsPixel = GetDeviceCaps(dc, BITSPIXEL);
    info.widthMm = GetDeviceCaps(dc, HORZSIZE);
    info.heightMm = GetDeviceCaps(dc, VERTSIZE);
    if (!ref) ReleaseDC(nullptr, dc);
  }
  if (info.widthPx <= 0 || info.heightPx <= 0) {
    info.widthPx = 1920;
    info.heightPx = 1080;
  }
  if (info.dpiX <= 0) info.dpiX = 96;
  if (info.dpiY <= 0) info.dpiY = 96;
  return info;
}

}  // namespace
}  // namespace emf

using namespace emf;

HDC CreateEnhMetaFileW(HDC ref, LPCWSTR file, const RECT* frame, LPCWSTR description) {
  if (ref && GetDeviceCaps(ref, HORZRES) <= 0) return nullptr;  // a bad reference context
  std::u16string desc;
  if (description) {  // "app\0title\0\0": up to the double null, which the encoder ends
    const char16_t* p = description;
    while (*p) {
      while (*p) desc.push_back(*p++);
      desc.push_back(0);
      ++p;
    }
  }
  return KvCreateDCOnSink(std::make_unique<EmfSink>(InfoOf(ref), PathFromWide(file), frame, desc));
}

HENHMETAFILE CloseEnhMetaFile(HDC hdc) {
  auto* sink = dynamic_cast<EmfSink*>(KvGetDCSink(hdc));
  if (!sink) return nullptr;
  std::vector<std::uint8_t> bytes;
  const bool ok = sink->Build(bytes);
  const std::string file = sink->File();
  DeleteDC(hdc);
  if (!ok) return nullptr;
  if (!file.empty() && !WriteFileBytes(file, bytes)) return nullptr;
  return AddHandle(Parse(bytes.data(), bytes.size()));
}

BOOL DeleteEnhMetaFile(HENHMETAFILE hemf) { return RemoveHandle(hemf) ? TRUE : FALSE; }

HENHMETAFILE CopyEnhMetaFileW(HENHMETAFILE hemf, LPCWSTR file) {
  auto mf = Lookup(hemf);
  if (!mf) return nullptr;
  if (file && !WriteFileBytes(PathFromWide(file), mf->bytes)) return nullptr;
  return AddHandle(mf);
}

UINT GetEnhMetaFileBits(HENHMETAFILE hemf, UINT size, BYTE* data) {
  auto mf = Lookup(hemf);
  if (!mf) return 0;
  const UINT n = static_cast<UINT>(mf->bytes.size());
  if (!data) return n;
  if (size < n) return 0;
  std::memcpy(data, mf->bytes.data(), n);
  return n;
}

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data) {
  if (!data) return nullptr;
  return AddHandle(Parse(data, size));
}

HENHMETAFILE GetEnhMetaFileW(LPCWSTR file) {
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(PathFromWide(file), bytes)) return nullptr;
  return AddHandle(Parse(bytes.data(), bytes.size()));
}

UINT GetEnhMetaFileHeader(HENHMETAFILE hemf, UINT size, ENHMETAHEADER* out) {
  auto mf = Lookup(hemf);
  if (!mf) return 0;
  if (!out) return sizeof(ENHMETAHEADER);
  ENHMETAHEADER h{};
  const std::uint8_t* p = mf->bytes.data();
  auto get32 = [&](std::size_t at) {
    return static_cast<DWORD>(p[at] | (p[at + 1] << 8) | (p[at + 2] << 16) | (static_cast<DWORD>(p[at + 3]) << 24));
  };
  const std::size_t hs = get32(4);
  h.iType = EMR_HEADER;
  h.nSize = static_cast<DWORD>(hs);
  h.rclBounds = mf->header.bounds;
  h.rclFrame = mf->header.frame;
  h.dSignature = ENHMETA_SIGNATURE;
  h.nVersion = get32(44);
  h.nBytes = mf->header.bytes;
  h.nRecords = mf->header.records;
  h.nHandles = mf->header.handles;
  h.nDescription = get32(60);
  h.offDescription = get32(64);
  h.nPalEntries = mf->header.palEntries;
  h.szlDevice = mf->header.device;
  h.szlMillimeters = mf->header.millimeters;
  if (hs >= 100) {
    h.cbPixelFormat = get32(88);
    h.offPixelFormat = get32(92);
    h.bOpenGL = get32(96);
  }
  if (hs >= 108) h.szlMicrometers = SIZE{static_cast<LONG>(get32(100)), static_cast<LONG>(get32(104))};
  const UINT n = std::min<UINT>(size, sizeof h);
  std::memcpy(out, &h, n);
  return n;
}

UINT GetEnhMetaFileDescriptionW(HENHMETAFILE hemf, UINT size, LPWSTR out) {
  auto mf = Lookup(hemf);
  if (!mf) return static_cast<UINT>(GDI_ERROR);
  const std::u16string& d = mf->header.description;
  if (d.empty()) return 0;
  const UINT n = static_cast<UINT>(d.size() + 1);
  if (!out) return n;
  const UINT m = std::min(size, n);
  for (UINT i = 0; i < m; ++i) out[i] = i < d.size() ? d[i] : u'\0';
  return m;
}

BOOL PlayEnhMetaFile(HDC hdc, HENHMETAFILE hemf, const RECT* rect) {
  auto mf = Lookup(hemf);
  if (!mf || !rect || GetObjectType(reinterpret_cast<HGDIOBJ>(hdc)) == 0) return FALSE;
  return Play(hdc, *mf, rect);
}

bool KvIsEnhMetaFile(HENHMETAFILE hemf) { return Lookup(hemf) != nullptr; }

bool KvLooksLikeEmf(const std::uint8_t* data, std::size_t size) { return LooksLikeEmf(data, size); }

std::vector<std::uint8_t> KvEnhMetaFileBytes(HENHMETAFILE hemf) {
  auto mf = Lookup(hemf);
  return mf ? mf->bytes : std::vector<std::uint8_t>{};
}

SIZE KvEnhMetaFileSizePx(HENHMETAFILE hemf) {
  auto mf = Lookup(hemf);
  if (!mf) return SIZE{0, 0};
  const Header& h = mf->header;
  if (h.millimeters.cx <= 0 || h.millimeters.cy <= 0) return SIZE{0, 0};
  const double w = (static_cast<double>(h.frame.right) - h.frame.left) * h.device.cx / (h.millimeters.cx * 100.0);
  const double hh = (static_cast<double>(h.frame.bottom) - h.frame.top) * h.device.cy / (h.millimeters.cy * 100.0);
  return SIZE{static_cast<LONG>(std::lround(std::max(0.0, w))), static_cast<LONG>(std::lround(std::max(0.0, hh)))};
}

BOOL KvPlayEnhMetaFileBytes(HDC hdc, const std::uint8_t* data, std::size_t size, const RECT* rect) {
  auto mf = Parse(data, size);
  if (!mf || !rect) return FALSE;
  return Play(hdc, *mf, rect);
}

std::size_t KvEnhMetaFileCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return Table().size();
}
