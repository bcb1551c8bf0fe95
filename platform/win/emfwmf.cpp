// Old-style Windows metafiles: reading (with or without the placeable
// header), conversion to enhanced records, playing, and a recording context
// that writes old-style records (16-bit coordinates, no paths or Béziers:
// curves are written as polylines).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

#include "win/emfstore.h"
#include "win/gdisink.h"
#include "win/image.h"

namespace emf {
namespace wmf {

enum : std::uint16_t {
  META_EOF = 0x0000,
  META_SAVEDC = 0x001E,
  META_SETBKMODE = 0x0102,
  META_SETMAPMODE = 0x0103,
  META_SETROP2 = 0x0104,
  META_SETPOLYFILLMODE = 0x0106,
  META_SETSTRETCHBLTMODE = 0x0107,
  META_RESTOREDC = 0x0127,
  META_SELECTOBJECT = 0x012D,
  META_SETTEXTALIGN = 0x012E,
  META_DIBCREATEPATTERNBRUSH = 0x0142,
  META_DELETEOBJECT = 0x01F0,
  META_CREATEPATTERNBRUSH = 0x01F9,
  META_SETBKCOLOR = 0x0201,
  META_SETTEXTCOLOR = 0x0209,
  META_SETWINDOWORG = 0x020B,
  META_SETWINDOWEXT = 0x020C,
  META_SETVIEWPORTORG = 0x020D,
  META_SETVIEWPORTEXT = 0x020E,
  META_LINETO = 0x0213,
  META_MOVETO = 0x0214,
  META_CREATEPENINDIRECT = 0x02FA,
  META_CREATEFONTINDIRECT = 0x02FB,
  META_CREATEBRUSHINDIRECT = 0x02FC,
  META_CREATEPALETTE = 0x00F7,
  META_POLYGON = 0x0324,
  META_POLYLINE = 0x0325,
  META_EXCLUDECLIPRECT = 0x0415,
  META_INTERSECTCLIPRECT = 0x0416,
  META_ELLIPSE = 0x0418,
  META_RECTANGLE = 0x041B,
  META_SETPIXEL = 0x041F,
  META_TEXTOUT = 0x0521,
  META_POLYPOLYGON = 0x0538,
  META_ROUNDRECT = 0x061C,
  META_PATBLT = 0x061D,
  META_CREATEREGION = 0x06FF,
  META_ARC = 0x0817,
  META_PIE = 0x081A,
  META_CHORD = 0x0830,
  META_DIBBITBLT = 0x0940,
  META_EXTTEXTOUT = 0x0A32,
  META_DIBSTRETCHBLT = 0x0B41,
  META_STRETCHDIB = 0x0F43,
};

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

struct WRec {
  std::uint16_t func = 0;
  std::vector<std::uint16_t> p;  // parameters, 16-bit words
  std::int16_t S(std::size_t i) const { return i < p.size() ? static_cast<std::int16_t>(p[i]) : 0; }
  std::uint16_t U(std::size_t i) const { return i < p.size() ? p[i] : 0; }
  std::uint32_t U32(std::size_t i) const { return U(i) | (static_cast<std::uint32_t>(U(i + 1)) << 16); }
  // Parameter bytes from word i on.
  std::vector<std::uint8_t> Bytes(std::size_t i, std::size_t n) const {
    std::vector<std::uint8_t> b;
    for (std::size_t k = 0; k < n && i + k / 2 < p.size(); ++k)
      b.push_back(static_cast<std::uint8_t>(k % 2 ? p[i + k / 2] >> 8 : p[i + k / 2]));
    return b;
  }
};

struct Placeable {
  bool present = false;
  std::int16_t left = 0, top = 0, right = 0, bottom = 0;
  std::uint16_t inch = 0;
};

std::uint16_t G16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t G32(const std::uint8_t* p) { return G16(p) | (static_cast<std::uint32_t>(G16(p + 2)) << 16); }

// The records of an old-style metafile, EOF excluded; false unless the header
// is valid and the records lie within the bytes and end with EOF.
bool Parse(const std::uint8_t* d, std::size_t n, std::vector<WRec>& out, Placeable& pl, std::uint16_t& objects) {
  out.clear();
  pl = Placeable{};
  if (!d) return false;
  std::size_t at = 0;
  if (n >= 22 && G32(d) == kPlaceableKey) {
    pl.present = true;
    pl.left = static_cast<std::int16_t>(G16(d + 6));
    pl.top = static_cast<std::int16_t>(G16(d + 8));
    pl.right = static_cast<std::int16_t>(G16(d + 10));
    pl.bottom = static_cast<std::int16_t>(G16(d + 12));
    pl.inch = G16(d + 14);
    at = 22;
  }
  if (n - at < 18) return false;
  const std::uint8_t* h = d + at;
  const std::uint16_t type = G16(h), headerWords = G16(h + 2), version = G16(h + 4);
  if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0300 && version != 0x0100)) return false;
  objects = G16(h + 10);
  at += 18;
  while (n - at >= 6) {
    const std::uint64_t words = G32(d + at);
    const std::uint16_t func = G16(d + at + 4);
    if (words < 3 || words * 2 > n - at) return false;
    if (func == META_EOF) return true;
    WRec r;
    r.func = func;
    r.p.resize(static_cast<std::size_t>(words - 3));
    for (std::size_t i = 0; i < r.p.size(); ++i) r.p[i] = G16(d + at + 6 + 2 * i);
    out.push_back(std::move(r));
    at += static_cast<std::size_t>(words * 2);
  }
  return false;
}

bool LooksLikeWmf(const std::uint8_t* d, std::size_t n) {
  if (!d) return false;
  std::size_t at = 0;
  if (n >= 22 && G32(d) == kPlaceableKey) at = 22;
  if (n - at < 18) return false;
  const std::uint16_t type = G16(d + at), hw = G16(d + at + 2), v = G16(d + at + 4);
  return (type == 1 || type == 2) && hw == 9 && (v == 0x0300 || v == 0x0100);
}

// A packed DIB split into header with colour table, and bits; false when it
// does not decode.
bool SplitDib(const std::vector<std::uint8_t>& dib, std::vector<std::uint8_t>& bmi, std::vector<std::uint8_t>& bits) {
  KvImage probe;
  if (!KvReadPackedDib(dib.data(), dib.size(), false, probe)) return false;
  const std::uint32_t hdr = G32(dib.data());
  std::size_t end = hdr;
  const int bpp = hdr == 12 ? G16(dib.data() + 10) : G16(dib.data() + 14);
  const std::uint32_t compression = hdr == 12 ? 0 : G32(dib.data() + 16);
  const std::uint32_t used = hdr == 12 ? 0 : G32(dib.data() + 32);
  if (compression == 3 && hdr == 40) end += 12;
  if (bpp <= 8) end += (hdr == 12 ? 3 : 4) * std::min<std::uint32_t>(used ? used : (1u << bpp), 256);
  if (end > dib.size()) return false;
  bmi.assign(dib.begin(), dib.begin() + static_cast<std::ptrdiff_t>(end));
  bits.assign(dib.begin() + static_cast<std::ptrdiff_t>(end), dib.end());
  return true;
}

std::u16string Latin1(const std::vector<std::uint8_t>& b) {
  std::u16string s;
  for (std::uint8_t c : b) s.push_back(static_cast<char16_t>(c));
  return s;
}

// Converts old-style records to enhanced ones, with a header whose frame is
// the placeable box, else the window the records set, else the extent of
// their coordinates.
bool ToEmf(const std::vector<WRec>& in, const Placeable& pl, bool fit, Metafile& out) {
  std::vector<Record> recs;
  std::vector<int> slots;  // 0 free, 1 an object, 2 a placeholder (kinds not converted)
  auto take = [&]() {
    for (std::size_t i = 0; i < slots.size(); ++i)
      if (!slots[i]) return static_cast<int>(i);
    slots.push_back(0);
    return static_cast<int>(slots.size() - 1);
  };
  auto add = [&](std::uint32_t type, std::vector<std::int32_t> w = {}) -> Record& {
    Record r;
    r.type = type;
    r.words = std::move(w);
    recs.push_back(std::move(r));
    return recs.back();
  };
  bool haveWindow = false;
  LONG wx = 0, wy = 0, ww = 0, wh = 0;
  LONG minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool any = false;
  auto seen = [&](LONG x, LONG y) {
    if (!any) {
      minX = maxX = x;
      minY = maxY = y;
      any = true;
    }
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  };
  auto points = [&](const WRec& r, std::size_t from, std::size_t count, Record& e) {
    for (std::size_t i = 0; i < count; ++i) {
      const POINTL p{r.S(from + 2 * i), r.S(from + 2 * i + 1)};
      e.points.push_back(p);
      seen(p.x, p.y);
    }
  };
  for (const WRec& r : in) {
    const std::size_t n = r.p.size();
    switch (r.func) {
      case META_SAVEDC: add(EMR_SAVEDC); break;
      case META_RESTOREDC: add(EMR_RESTOREDC, {r.S(0)}); break;
      case META_SETBKMODE: add(EMR_SETBKMODE, {r.U(0)}); break;
      case META_SETMAPMODE: add(EMR_SETMAPMODE, {r.U(0)}); break;
      case META_SETROP2: add(EMR_SETROP2, {r.U(0)}); break;
      case META_SETPOLYFILLMODE: add(EMR_SETPOLYFILLMODE, {r.U(0)}); break;
      case META_SETSTRETCHBLTMODE: add(EMR_SETSTRETCHBLTMODE, {r.U(0)}); break;
      case META_SETTEXTALIGN: add(EMR_SETTEXTALIGN, {r.U(0)}); break;
      case META_SETBKCOLOR: add(EMR_SETBKCOLOR, {static_cast<std::int32_t>(r.U32(0))}); break;
      case META_SETTEXTCOLOR: add(EMR_SETTEXTCOLOR, {static_cast<std::int32_t>(r.U32(0))}); break;
      case META_SETWINDOWORG:
        add(EMR_SETWINDOWORGEX, {r.S(1), r.S(0)});
        if (!any) {
          wx = r.S(1);
          wy = r.S(0);
        }
        break;
      case META_SETWINDOWEXT:
        add(EMR_SETWINDOWEXTEX, {r.S(1), r.S(0)});
        if (!any) {
          ww = r.S(1);
          wh = r.S(0);
          haveWindow = ww != 0 && wh != 0;
        }
        break;
      case META_SETVIEWPORTORG: add(EMR_SETVIEWPORTORGEX, {r.S(1), r.S(0)}); break;
      case META_SETVIEWPORTEXT: add(EMR_SETVIEWPORTEXTEX, {r.S(1), r.S(0)}); break;
      case META_MOVETO: add(EMR_MOVETOEX, {r.S(1), r.S(0)}); break;
      case META_LINETO:
        add(EMR_LINETO, {r.S(1), r.S(0)});
        seen(r.S(1), r.S(0));
        break;
      case META_EXCLUDECLIPRECT:
      case META_INTERSECTCLIPRECT:
        add(r.func == META_EXCLUDECLIPRECT ? EMR_EXCLUDECLIPRECT : EMR_INTERSECTCLIPRECT, {r.S(3), r.S(2), r.S(1), r.S(0)});
        break;
      case META_RECTANGLE:
      case META_ELLIPSE:
        add(r.func == META_RECTANGLE ? EMR_RECTANGLE : EMR_ELLIPSE, {r.S(3), r.S(2), r.S(1), r.S(0)});
        seen(r.S(3), r.S(2));
        seen(r.S(1), r.S(0));
        break;
      case META_ROUNDRECT:
        add(EMR_ROUNDRECT, {r.S(5), r.S(4), r.S(3), r.S(2), r.S(1), r.S(0)});
        seen(r.S(5), r.S(4));
        seen(r.S(3), r.S(2));
        break;
      case META_ARC:
      case META_PIE:
      case META_CHORD:
        add(r.func == META_ARC ? EMR_ARC : r.func == META_PIE ? EMR_PIE : EMR_CHORD,
            {r.S(7), r.S(6), r.S(5), r.S(4), r.S(3), r.S(2), r.S(1), r.S(0)});
        seen(r.S(7), r.S(6));
        seen(r.S(5), r.S(4));
        break;
      case META_SETPIXEL:
        add(EMR_SETPIXELV, {r.S(3), r.S(2), static_cast<std::int32_t>(r.U32(0))});
        seen(r.S(3), r.S(2));
        break;
      case META_POLYGON:
      case META_POLYLINE: {
        const std::size_t count = r.U(0);
        if (1 + 2 * count > n) return false;
        Record& e = add(r.func == META_POLYGON ? EMR_POLYGON16 : EMR_POLYLINE16, {0});
        points(r, 1, count, e);
        break;
      }
      case META_POLYPOLYGON: {
        const std::size_t polys = r.U(0);
        if (1 + polys > n) return false;
        std::size_t total = 0;
        Record& e = add(EMR_POLYPOLYGON16, {0, 0});
        for (std::size_t i = 0; i < polys; ++i) {
          e.counts.push_back(r.U(1 + i));
          total += r.U(1 + i);
        }
        if (1 + polys + 2 * total > n) return false;
        points(r, 1 + polys, total, e);
        break;
      }
      case META_TEXTOUT: {
        const std::size_t count = r.U(0);
        const std::size_t words = (count + 1) / 2;
        if (1 + words + 2 > n) return false;
        Record& e = add(EMR_EXTTEXTOUTW, std::vector<std::int32_t>(ext_text::kCount, 0));
        e.words[ext_text::kGraphicsMode] = GM_COMPATIBLE;
        e.words[ext_text::kRefX] = r.S(1 + words + 1);
        e.words[ext_text::kRefY] = r.S(1 + words);
        e.text = Latin1(r.Bytes(1, count));
        seen(e.words[ext_text::kRefX], e.words[ext_text::kRefY]);
        break;
      }
      case META_EXTTEXTOUT: {
        const std::size_t count = r.U(2);
        const std::uint16_t options = r.U(3);
        std::size_t at = 4;
        Record& e = add(EMR_EXTTEXTOUTW, std::vector<std::int32_t>(ext_text::kCount, 0));
        e.words[ext_text::kGraphicsMode] = GM_COMPATIBLE;
        e.words[ext_text::kRefX] = r.S(1);
        e.words[ext_text::kRefY] = r.S(0);
        e.words[ext_text::kOptions] = options & (ETO_OPAQUE | ETO_CLIPPED);
        if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
          if (at + 4 > n) return false;
          e.words[ext_text::kLeft] = r.S(at);
          e.words[ext_text::kTop] = r.S(at + 1);
          e.words[ext_text::kRight] = r.S(at + 2);
          e.words[ext_text::kBottom] = r.S(at + 3);
          at += 4;
        }
        const std::size_t words = (count + 1) / 2;
        if (at + words > n) return false;
        e.text = Latin1(r.Bytes(at, count));
        at += words;
        if (at + count <= n)
          for (std::size_t i = 0; i < count; ++i) e.dx.push_back(r.S(at + i));
        seen(e.words[ext_text::kRefX], e.words[ext_text::kRefY]);
        break;
      }
      case META_PATBLT: {
        Record& e = add(EMR_BITBLT, std::vector<std::int32_t>(bitblt::kCount, 0));
        e.words[bitblt::kXDest] = r.S(5);
        e.words[bitblt::kYDest] = r.S(4);
        e.words[bitblt::kCxDest] = r.S(3);
        e.words[bitblt::kCyDest] = r.S(2);
        e.words[bitblt::kRop] = static_cast<std::int32_t>(r.U32(0));
        seen(r.S(5), r.S(4));
        seen(r.S(5) + r.S(3), r.S(4) + r.S(2));
        break;
      }
      case META_STRETCHDIB:
      case META_DIBSTRETCHBLT:
      case META_DIBBITBLT: {
        // rop, [usage], source and destination boxes, then the DIB.
        const bool stretchDib = r.func == META_STRETCHDIB, bitblt = r.func == META_DIBBITBLT;
        const std::size_t fixed = stretchDib ? 11 : bitblt ? 8 : 10;
        if (n <= fixed) break;  // no bitmap: nothing this player draws
        std::size_t i = 2 + (stretchDib ? 1 : 0);
        LONG srcH = 0, srcW = 0;
        if (!bitblt) {
          srcH = r.S(i);
          srcW = r.S(i + 1);
          i += 2;
        }
        const LONG ySrc = r.S(i), xSrc = r.S(i + 1), dstH = r.S(i + 2), dstW = r.S(i + 3), yDst = r.S(i + 4), xDst = r.S(i + 5);
        if (bitblt) {
          srcW = dstW;
          srcH = dstH;
        }
        Record& e = add(EMR_STRETCHDIBITS, std::vector<std::int32_t>(stretch::kCount, 0));
        e.words[stretch::kXDest] = xDst;
        e.words[stretch::kYDest] = yDst;
        e.words[stretch::kCxDest] = dstW;
        e.words[stretch::kCyDest] = dstH;
        e.words[stretch::kXSrc] = xSrc;
        e.words[stretch::kYSrc] = ySrc;
        e.words[stretch::kCxSrc] = srcW;
        e.words[stretch::kCySrc] = srcH;
        e.words[stretch::kRop] = static_cast<std::int32_t>(r.U32(0));
        e.words[stretch::kUsage] = stretchDib ? r.U(2) : 0;
        if (!SplitDib(r.Bytes(fixed, (n - fixed) * 2), e.bmi, e.bits)) recs.pop_back();
        seen(xDst, yDst);
        seen(xDst + dstW, yDst + dstH);
        break;
      }
      case META_CREATEPENINDIRECT: {
        const int slot = take();
        slots[static_cast<std::size_t>(slot)] = 1;
        add(EMR_CREATEPEN, {slot + 1, r.U(0), r.S(1), 0, static_cast<std::int32_t>(r.U32(3))});
        break;
      }
      case META_CREATEBRUSHINDIRECT: {
        const int slot = take();
        slots[static_cast<std::size_t>(slot)] = 1;
        add(EMR_CREATEBRUSHINDIRECT, {slot + 1, r.U(0), static_cast<std::int32_t>(r.U32(1)), r.U(3)});
        break;
      }
      case META_CREATEFONTINDIRECT: {
        const int slot = take();
        slots[static_cast<std::size_t>(slot)] = 1;
        Record& e = add(EMR_EXTCREATEFONTINDIRECTW,
                        {slot + 1, r.S(0), r.S(1), r.S(2), r.S(3), r.S(4), static_cast<std::int32_t>(r.U32(5)),
                         static_cast<std::int32_t>(r.U32(7))});
        for (std::uint8_t c : r.Bytes(9, 32)) {
          if (!c) break;
          e.text.push_back(static_cast<char16_t>(c));
        }
        break;
      }
      case META_DIBCREATEPATTERNBRUSH: {
        const int slot = take();
        Record e;
        e.type = EMR_CREATEDIBPATTERNBRUSHPT;
        e.words = {slot + 1, 0, 0, 0, 0, 0};
        if (n > 2 && SplitDib(r.Bytes(2, (n - 2) * 2), e.bmi, e.bits)) {
          slots[static_cast<std::size_t>(slot)] = 1;
          recs.push_back(std::move(e));
        } else {
          slots[static_cast<std::size_t>(slot)] = 2;
        }
        break;
      }
      case META_CREATEPATTERNBRUSH:
      case META_CREATEPALETTE:
      case META_CREATEREGION:
        slots[static_cast<std::size_t>(take())] = 2;  // holds its place in the table
        break;
      case META_SELECTOBJECT: {
        const std::size_t i = r.U(0);
        if (i < slots.size() && slots[i] == 1) add(EMR_SELECTOBJECT, {static_cast<std::int32_t>(i + 1)});
        break;
      }
      case META_DELETEOBJECT: {
        const std::size_t i = r.U(0);
        if (i < slots.size() && slots[i]) {
          if (slots[i] == 1) add(EMR_DELETEOBJECT, {static_cast<std::int32_t>(i + 1)});
          slots[i] = 0;
        }
        break;
      }
      default:
        break;  // escapes, palettes, regions and other kinds are skipped
    }
  }
  Record eof;
  eof.type = EMR_EOF;
  eof.words = {0, 16, 0};
  recs.push_back(eof);

  Header h;
  h.device = SIZE{1920, 1080};
  h.millimeters = SIZE{508, 286};  // 96 pixels per inch
  h.handles = static_cast<std::uint16_t>(std::min<std::size_t>(slots.size() + 1, 0xFFFF));
  auto hm = [](double px) { return static_cast<LONG>(std::lround(px * 2540.0 / 96.0)); };
  LONG fx = 0, fy = 0, fw = 0, fh = 0;  // the picture in logical units
  if (pl.present && pl.inch > 0 && pl.right != pl.left && pl.bottom != pl.top) {
    fx = std::min(pl.left, pl.right);
    fy = std::min(pl.top, pl.bottom);
    fw = std::abs(pl.right - pl.left);
    fh = std::abs(pl.bottom - pl.top);
    // The box is in units of 1/inch of an inch: the frame in 0.01 mm.
    h.frame = RECTL{0, 0, static_cast<LONG>(std::lround(fw * 2540.0 / pl.inch)), static_cast<LONG>(std::lround(fh * 2540.0 / pl.inch))};
  } else {
    if (haveWindow) {
      fx = std::min(wx, wx + ww);
      fy = std::min(wy, wy + wh);
      fw = std::abs(ww);
      fh = std::abs(wh);
    } else if (any) {
      fx = minX;
      fy = minY;
      fw = maxX - minX + 1;
      fh = maxY - minY + 1;
    }
    fw = std::max<LONG>(fw, 1);
    fh = std::max<LONG>(fh, 1);
    h.frame = RECTL{0, 0, hm(fw), hm(fh)};
  }
  // The picture's logical box fills the frame.
  const LONG pxW = std::max<LONG>(1, static_cast<LONG>(std::lround(h.frame.right * 96.0 / 2540.0)));
  const LONG pxH = std::max<LONG>(1, static_cast<LONG>(std::lround(h.frame.bottom * 96.0 / 2540.0)));
  std::vector<Record> prefix;
  if (fit) {
    auto pre = [&](std::uint32_t type, std::vector<std::int32_t> w) {
      Record r;
      r.type = type;
      r.words = std::move(w);
      prefix.push_back(std::move(r));
    };
    pre(EMR_SETMAPMODE, {MM_ANISOTROPIC});
    pre(EMR_SETWINDOWORGEX, {fx, fy});
    pre(EMR_SETWINDOWEXTEX, {fw, fh});
    pre(EMR_SETVIEWPORTORGEX, {0, 0});
    pre(EMR_SETVIEWPORTEXTEX, {pxW, pxH});
  }
  // Fitted, the picture's own mapping records would undo the fit; played in
  // a context's own units, they apply as they stand.
  for (Record& r : recs)
    if (!fit || (r.type != EMR_SETMAPMODE && r.type != EMR_SETWINDOWORGEX && r.type != EMR_SETWINDOWEXTEX &&
                 r.type != EMR_SETVIEWPORTORGEX && r.type != EMR_SETVIEWPORTEXTEX))
      prefix.push_back(std::move(r));
  h.bounds = RECTL{0, 0, pxW - 1, pxH - 1};
  std::vector<std::uint8_t> bytes;
  if (!EncodeFile(h, prefix, bytes)) return false;
  out.bytes = bytes;
  return DecodeFile(bytes.data(), bytes.size(), out.header, out.records);
}

// ---- handles ------------------------------------------------------------------------
std::mutex g_mutex;
std::map<std::uintptr_t, std::shared_ptr<const std::vector<std::uint8_t>>>& Table() {
  static std::map<std::uintptr_t, std::shared_ptr<const std::vector<std::uint8_t>>> table;
  return table;
}
std::uintptr_t g_next = 1;
constexpr std::uintptr_t kTag = 0x3A000000;

HMETAFILE Add(std::vector<std::uint8_t> bytes) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const std::uintptr_t id = g_next++;
  Table()[id] = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
  return reinterpret_cast<HMETAFILE>(kTag + id * 8);
}
std::shared_ptr<const std::vector<std::uint8_t>> Find(HMETAFILE h) {
  const auto v = reinterpret_cast<std::uintptr_t>(h);
  if (v <= kTag || (v - kTag) % 8) return nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = Table().find((v - kTag) / 8);
  return it == Table().end() ? nullptr : it->second;
}

// ---- the recording sink ---------------------------------------------------------------
void Put16(std::vector<std::uint8_t>& o, std::uint16_t v) {
  o.push_back(static_cast<std::uint8_t>(v));
  o.push_back(static_cast<std::uint8_t>(v >> 8));
}
std::uint16_t C16(LONG v) { return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp<LONG>(v, -32768, 32767))); }

class WmfSink : public KvGdiSink {
 public:
  WmfSink(const KvDeviceInfo& info, std::string file) : info_(info), file_(std::move(file)) {}
  KvSinkKind Kind() const override { return KvSinkKind::Other; }
  KvDeviceInfo DeviceInfo() const override { return info_; }
  void OnCall(const KvGdiCall& c) override;
  std::vector<std::uint8_t> Build() const;
  const std::string& File() const { return file_; }

 private:
  void Rec(std::uint16_t func, const std::vector<std::uint16_t>& p) {
    const std::size_t words = 3 + p.size();
    Put16(body_, static_cast<std::uint16_t>(words));
    Put16(body_, static_cast<std::uint16_t>(words >> 16));
    Put16(body_, func);
    for (std::uint16_t v : p) Put16(body_, v);
    maxRecord_ = std::max(maxRecord_, words);
  }
  static void Color(std::vector<std::uint16_t>& p, COLORREF c) {
    p.push_back(static_cast<std::uint16_t>(c));
    p.push_back(static_cast<std::uint16_t>(c >> 16));
  }
  int Slot(HGDIOBJ obj);
  void Points(std::uint16_t func, const std::vector<POINT>& pts) {
    std::vector<std::uint16_t> p{static_cast<std::uint16_t>(std::min<std::size_t>(pts.size(), 8000))};
    for (std::size_t i = 0; i < pts.size() && i < 8000; ++i) {
      p.push_back(C16(pts[i].x));
      p.push_back(C16(pts[i].y));
    }
    Rec(func, p);
  }
  // Béziers as polylines of 16 steps a segment.
  static std::vector<POINT> Flatten(POINT start, const std::vector<POINT>& ctrl) {
    std::vector<POINT> out{start};
    for (std::size_t i = 0; i + 2 < ctrl.size(); i += 3) {
      const POINT a = out.back(), b = ctrl[i], c = ctrl[i + 1], d = ctrl[i + 2];
      for (int k = 1; k <= 16; ++k) {
        const double t = k / 16.0, u = 1 - t;
        out.push_back(POINT{static_cast<LONG>(std::lround(u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * c.x + t * t * t * d.x)),
                            static_cast<LONG>(std::lround(u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * c.y + t * t * t * d.y))});
      }
    }
    return out;
  }

  KvDeviceInfo info_;
  std::string file_;
  std::vector<std::uint8_t> body_;
  std::size_t maxRecord_ = 3;
  std::vector<HGDIOBJ> slots_;
  POINT pos_{0, 0};
};

int WmfSink::Slot(HGDIOBJ obj) {
  for (std::size_t i = 0; i < slots_.size(); ++i)
    if (slots_[i] == obj) return static_cast<int>(i);
  // Deleted objects give their places back.
  for (std::size_t i = 0; i < slots_.size(); ++i)
    if (slots_[i] && !KvIsLiveGdiHandle(slots_[i]) && KvStockObjectIndex(slots_[i]) < 0) {
      Rec(META_DELETEOBJECT, {static_cast<std::uint16_t>(i)});
      slots_[i] = nullptr;
    }
  const DWORD type = GetObjectType(obj);
  std::vector<std::uint16_t> p;
  std::uint16_t func = 0;
  if (type == OBJ_PEN || type == OBJ_EXTPEN) {
    DWORD style = 0, width = 0;
    COLORREF color = 0;
    if (type == OBJ_PEN) {
      LOGPEN lp{};
      if (!GetObjectW(obj, sizeof lp, &lp)) return -1;
      style = lp.lopnStyle;
      width = static_cast<DWORD>(lp.lopnWidth.x);
      color = lp.lopnColor;
    } else {
      const int n = GetObjectW(obj, 0, nullptr);
      if (n < static_cast<int>(sizeof(EXTLOGPEN))) return -1;
      std::vector<std::uint8_t> buf(static_cast<std::size_t>(n));
      if (!GetObjectW(obj, n, buf.data())) return -1;
      const auto* lp = reinterpret_cast<const EXTLOGPEN*>(buf.data());
      style = lp->elpPenStyle & (PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK);
      width = lp->elpWidth;
      color = lp->elpColor;
    }
    func = META_CREATEPENINDIRECT;
    p = {static_cast<std::uint16_t>(style), C16(static_cast<LONG>(width)), 0};
    Color(p, color);
  } else if (type == OBJ_BRUSH) {
    LOGBRUSH lb{};
    if (!GetObjectW(obj, sizeof lb, &lb)) return -1;
    UINT style = lb.lbStyle;
    if (style != BS_SOLID && style != BS_HATCHED && style != BS_NULL) style = BS_SOLID;
    func = META_CREATEBRUSHINDIRECT;
    p = {static_cast<std::uint16_t>(style)};
    Color(p, lb.lbColor);
    p.push_back(style == BS_HATCHED ? static_cast<std::uint16_t>(lb.lbHatch) : 0);
  } else if (type == OBJ_FONT) {
    LOGFONTW lf{};
    if (!GetObjectW(obj, sizeof lf, &lf)) return -1;
    func = META_CREATEFONTINDIRECT;
    p = {C16(lf.lfHeight), C16(lf.lfWidth), C16(lf.lfEscapement), C16(lf.lfOrientation), C16(lf.lfWeight),
         static_cast<std::uint16_t>(lf.lfItalic | (lf.lfUnderline << 8)), static_cast<std::uint16_t>(lf.lfStrikeOut | (lf.lfCharSet << 8)),
         static_cast<std::uint16_t>(lf.lfOutPrecision | (lf.lfClipPrecision << 8)),
         static_cast<std::uint16_t>(lf.lfQuality | (lf.lfPitchAndFamily << 8))};
    std::uint8_t face[32] = {};
    for (int i = 0; i < 31 && lf.lfFaceName[i]; ++i) face[i] = lf.lfFaceName[i] < 256 ? static_cast<std::uint8_t>(lf.lfFaceName[i]) : '?';
    for (int i = 0; i < 32; i += 2) p.push_back(static_cast<std::uint16_t>(face[i] | (face[i + 1] << 8)));
  } else {
    return -1;
  }
  std::size_t slot = 0;
  while (slot < slots_.size() && slots_[slot]) ++slot;
  if (slot == slots_.size()) slots_.push_back(nullptr);
  slots_[slot] = obj;
  Rec(func, p);
  return static_cast<int>(slot);
}

void WmfSink::OnCall(const KvGdiCall& c) {
  const int* a = c.args;
  auto rect = [&](std::uint16_t func, LONG l, LONG t, LONG r, LONG b) { Rec(func, {C16(b), C16(r), C16(t), C16(l)}); };
  switch (c.op) {
    case KvGdiOp::SelectObject: {
      const int slot = Slot(c.object);
      if (slot >= 0) Rec(META_SELECTOBJECT, {static_cast<std::uint16_t>(slot)});
      break;
    }
    case KvGdiOp::IntersectClipRect: rect(META_INTERSECTCLIPRECT, c.rect.left, c.rect.top, c.rect.right, c.rect.bottom); break;
    case KvGdiOp::ExcludeClipRect: rect(META_EXCLUDECLIPRECT, c.rect.left, c.rect.top, c.rect.right, c.rect.bottom); break;
    case KvGdiOp::SaveDC: Rec(META_SAVEDC, {}); break;
    case KvGdiOp::RestoreDC: Rec(META_RESTOREDC, {C16(a[0])}); break;
    case KvGdiOp::SetROP2: Rec(META_SETROP2, {static_cast<std::uint16_t>(a[0])}); break;
    case KvGdiOp::SetBkMode: Rec(META_SETBKMODE, {static_cast<std::uint16_t>(a[0])}); break;
    case KvGdiOp::SetPolyFillMode: Rec(META_SETPOLYFILLMODE, {static_cast<std::uint16_t>(a[0])}); break;
    case KvGdiOp::SetTextAlign: Rec(META_SETTEXTALIGN, {static_cast<std::uint16_t>(a[0])}); break;
    case KvGdiOp::SetStretchBltMode: Rec(META_SETSTRETCHBLTMODE, {static_cast<std::uint16_t>(a[0])}); break;
    case KvGdiOp::SetMapMode: Rec(META_SETMAPMODE, {static_cast<std::uint16_t>(a[0])}); break;
    case KvGdiOp::SetBkColor:
    case KvGdiOp::SetTextColor: {
      std::vector<std::uint16_t> p;
      Color(p, c.color);
      Rec(c.op == KvGdiOp::SetBkColor ? META_SETBKCOLOR : META_SETTEXTCOLOR, p);
      break;
    }
    case KvGdiOp::SetWindowOrgEx: Rec(META_SETWINDOWORG, {C16(a[1]), C16(a[0])}); break;
    case KvGdiOp::SetWindowExtEx: Rec(META_SETWINDOWEXT, {C16(a[1]), C16(a[0])}); break;
    case KvGdiOp::SetViewportOrgEx: Rec(META_SETVIEWPORTORG, {C16(a[1]), C16(a[0])}); break;
    case KvGdiOp::SetViewportExtEx: Rec(META_SETVIEWPORTEXT, {C16(a[1]), C16(a[0])}); break;
    case KvGdiOp::MoveToEx:
      pos_ = POINT{a[0], a[1]};
      Rec(META_MOVETO, {C16(a[1]), C16(a[0])});
      break;
    case KvGdiOp::LineTo:
      pos_ = POINT{a[0], a[1]};
      Rec(META_LINETO, {C16(a[1]), C16(a[0])});
      break;
    case KvGdiOp::Polyline: Points(META_POLYLINE, c.points); break;
    case KvGdiOp::PolylineTo: {
      std::vector<POINT> pts{pos_};
      pts.insert(pts.end(), c.points.begin(), c.points.end());
      Points(META_POLYLINE, pts);
      if (!c.points.empty()) {
        pos_ = c.points.back();
        Rec(META_MOVETO, {C16(pos_.y), C16(pos_.x)});
      }
      break;
    }
    case KvGdiOp::PolyBezier:
      if (!c.points.empty()) Points(META_POLYLINE, Flatten(c.points[0], std::vector<POINT>(c.points.begin() + 1, c.points.end())));
      break;
    case KvGdiOp::PolyBezierTo:
      if (!c.points.empty()) {
        Points(META_POLYLINE, Flatten(pos_, c.points));
        pos_ = c.points.back();
        Rec(META_MOVETO, {C16(pos_.y), C16(pos_.x)});
      }
      break;
    case KvGdiOp::Polygon: Points(META_POLYGON, c.points); break;
    case KvGdiOp::PolyPolygon:
    case KvGdiOp::PolyPolyline: {
      std::size_t at = 0;
      if (c.op == KvGdiOp::PolyPolyline) {
        for (INT n : c.counts) {
          if (n < 0 || at + static_cast<std::size_t>(n) > c.points.size()) break;
          Points(META_POLYLINE, std::vector<POINT>(c.points.begin() + static_cast<std::ptrdiff_t>(at),
                                                   c.points.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(n))));
          at += static_cast<std::size_t>(n);
        }
        break;
      }
      std::vector<std::uint16_t> p{static_cast<std::uint16_t>(c.counts.size())};
      for (INT n : c.counts) p.push_back(static_cast<std::uint16_t>(n));
      for (const POINT& pt : c.points) {
        p.push_back(C16(pt.x));
        p.push_back(C16(pt.y));
      }
      Rec(META_POLYPOLYGON, p);
      break;
    }
    case KvGdiOp::Rectangle: rect(META_RECTANGLE, a[0], a[1], a[2], a[3]); break;
    case KvGdiOp::Ellipse: rect(META_ELLIPSE, a[0], a[1], a[2], a[3]); break;
    case KvGdiOp::RoundRect: Rec(META_ROUNDRECT, {C16(a[5]), C16(a[4]), C16(a[3]), C16(a[2]), C16(a[1]), C16(a[0])}); break;
    case KvGdiOp::Arc:
    case KvGdiOp::Pie:
    case KvGdiOp::Chord:
      Rec(c.op == KvGdiOp::Arc ? META_ARC : c.op == KvGdiOp::Pie ? META_PIE : META_CHORD,
          {C16(a[7]), C16(a[6]), C16(a[5]), C16(a[4]), C16(a[3]), C16(a[2]), C16(a[1]), C16(a[0])});
      break;
    case KvGdiOp::SetPixel: {
      std::vector<std::uint16_t> p;
      Color(p, c.color);
      p.push_back(C16(a[1]));
      p.push_back(C16(a[0]));
      Rec(META_SETPIXEL, p);
      break;
    }
    case KvGdiOp::ExtTextOut: {
      const std::size_t n = std::min<std::size_t>(c.text.size(), 4000);
      std::vector<std::uint16_t> p{C16(a[1]), C16(a[0]), static_cast<std::uint16_t>(n),
                                   static_cast<std::uint16_t>(c.options & (ETO_OPAQUE | ETO_CLIPPED))};
      if (c.options & (ETO_OPAQUE | ETO_CLIPPED)) {
        p.push_back(C16(c.rect.left));
        p.push_back(C16(c.rect.top));
        p.push_back(C16(c.rect.right));
        p.push_back(C16(c.rect.bottom));
      }
      for (std::size_t i = 0; i < n; i += 2) {
        auto ch = [&](std::size_t k) -> std::uint16_t { return k < n ? (c.text[k] < 256 ? c.text[k] : u'?') : 0; };
        p.push_back(static_cast<std::uint16_t>(ch(i) | (ch(i + 1) << 8)));
      }
      if (c.dx.size() >= n && !(c.options & ETO_PDY))
        for (std::size_t i = 0; i < n; ++i) p.push_back(C16(c.dx[i]));
      Rec(META_EXTTEXTOUT, p);
      break;
    }
    case KvGdiOp::FillRect: {
      const int slot = Slot(c.object);
      if (slot < 0) break;
      HGDIOBJ current = GetCurrentObject(Dc(), OBJ_BRUSH);
      Rec(META_SELECTOBJECT, {static_cast<std::uint16_t>(slot)});
      std::vector<std::uint16_t> p;
      Color(p, PATCOPY);
      p.push_back(C16(c.rect.bottom - c.rect.top));
      p.push_back(C16(c.rect.right - c.rect.left));
      p.push_back(C16(c.rect.top));
      p.push_back(C16(c.rect.left));
      Rec(META_PATBLT, p);
      const int back = current ? Slot(current) : -1;
      if (back >= 0) Rec(META_SELECTOBJECT, {static_cast<std::uint16_t>(back)});
      break;
    }
    case KvGdiOp::PatBlt: {
      std::vector<std::uint16_t> p;
      Color(p, c.rop);
      p.push_back(C16(a[3]));
      p.push_back(C16(a[2]));
      p.push_back(C16(a[1]));
      p.push_back(C16(a[0]));
      Rec(META_PATBLT, p);
      break;
    }
    case KvGdiOp::BitBlt:
    case KvGdiOp::StretchBlt:
    case KvGdiOp::AlphaBlend: {
      const int w = c.imageWidth, h = c.imageHeight;
      if (w <= 0 || h <= 0 || c.image.size() < static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) break;
      if (static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) * 4 > (1u << 26)) break;
      std::vector<std::uint16_t> p;
      Color(p, c.op == KvGdiOp::AlphaBlend ? SRCCOPY : c.rop);
      p.push_back(DIB_RGB_COLORS);
      for (LONG v : {static_cast<LONG>(h), static_cast<LONG>(w), LONG{0}, LONG{0}, static_cast<LONG>(a[3]), static_cast<LONG>(a[2]),
                     static_cast<LONG>(a[1]), static_cast<LONG>(a[0])})
        p.push_back(C16(v));
      const std::uint32_t header[10] = {40, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), 1u | (32u << 16), 0, 0, 0, 0, 0, 0};
      for (std::uint32_t v : header) Color(p, v);
      for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) Color(p, c.image[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] & 0xFFFFFF);
      Rec(META_STRETCHDIB, p);
      break;
    }
    default:
      break;  // paths, gradients, regions and world transforms have no old-style records here
  }
}

std::vector<std::uint8_t> WmfSink::Build() const {
  std::vector<std::uint8_t> out;
  const std::size_t words = 9 + body_.size() / 2 + 3;
  Put16(out, 1);  // in memory
  Put16(out, 9);
  Put16(out, 0x0300);
  Put16(out, static_cast<std::uint16_t>(words));
  Put16(out, static_cast<std::uint16_t>(words >> 16));
  Put16(out, static_cast<std::uint16_t>(std::max<std::size_t>(slots_.size(), 1)));
  Put16(out, static_cast<std::uint16_t>(maxRecord_));
  Put16(out, static_cast<std::uint16_t>(maxRecord_ >> 16));
  Put16(out, 0);
  out.insert(out.end(), body_.begin(), body_.end());
  Put16(out, 3);
  Put16(out, 0);
  Put16(out, META_EOF);
  return out;
}

std::shared_ptr<const Metafile> Convert(const std::uint8_t* d, std::size_t n, bool fit = true) {
  std::vector<WRec> recs;
  Placeable pl;
  std::uint16_t objects = 0;
  if (!Parse(d, n, recs, pl, objects)) return nullptr;
  auto mf = std::make_shared<Metafile>();
  if (!ToEmf(recs, pl, fit, *mf)) return nullptr;
  return mf;
}

}  // namespace wmf
}  // namespace emf

using namespace emf;

HDC CreateMetaFileW(LPCWSTR file) {
  KvDeviceInfo info;
  info.technology = DT_METAFILE;
  info.widthPx = 1920;
  info.heightPx = 1080;
  return KvCreateDCOnSink(std::make_unique<wmf::WmfSink>(info, PathFromWide(file)));
}

HMETAFILE CloseMetaFile(HDC hdc) {
  auto* sink = dynamic_cast<wmf::WmfSink*>(KvGetDCSink(hdc));
  if (!sink) return nullptr;
  std::vector<std::uint8_t> bytes = sink->Build();
  const std::string file = sink->File();
  DeleteDC(hdc);
  if (!file.empty() && !WriteFileBytes(file, bytes)) return nullptr;
  return wmf::Add(std::move(bytes));
}

BOOL DeleteMetaFile(HMETAFILE hmf) {
  const auto v = reinterpret_cast<std::uintptr_t>(hmf);
  if (v <= wmf::kTag || (v - wmf::kTag) % 8) return FALSE;
  std::lock_guard<std::mutex> lock(wmf::g_mutex);
  return wmf::Table().erase((v - wmf::kTag) / 8) ? TRUE : FALSE;
}

UINT GetMetaFileBitsEx(HMETAFILE hmf, UINT size, LPVOID data) {
  auto b = wmf::Find(hmf);
  if (!b) return 0;
  if (!data) return static_cast<UINT>(b->size());
  if (size < b->size()) return 0;
  std::memcpy(data, b->data(), b->size());
  return static_cast<UINT>(b->size());
}

HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data) {
  if (!data || !wmf::Convert(data, size)) return nullptr;
  return wmf::Add(std::vector<std::uint8_t>(data, data + size));
}

BOOL PlayMetaFile(HDC hdc, HMETAFILE hmf) {
  auto b = wmf::Find(hmf);
  if (!b || GetObjectType(reinterpret_cast<HGDIOBJ>(hdc)) == 0) return FALSE;
  auto mf = wmf::Convert(b->data(), b->size(), false);
  return mf ? Play(hdc, *mf, nullptr) : FALSE;
}

HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data, HDC, const METAFILEPICT*) {
  if (!data) return nullptr;
  return AddHandle(wmf::Convert(data, size));
}

bool KvLooksLikeWmf(const std::uint8_t* data, std::size_t size) { return wmf::LooksLikeWmf(data, size); }
