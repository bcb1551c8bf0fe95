// Enhanced-metafile record codec.
#include "win/emfrecord.h"

#include <algorithm>
#include <array>
#include <limits>

namespace emf {
namespace {

enum class Tail : std::uint8_t { None, Pts16, Pts32, PolyPoly16, PolyPoly32, Text, Font, ExtPen, Dib, Gradient, Region };

struct Layout {
  std::uint32_t type;
  const char* name;
  bool bounds;
  std::uint8_t words;
  Tail tail;
  std::int8_t offBmi;  // word index of the DIB's offBmi (Dib and ExtPen tails)
};

constexpr Layout kLayouts[] = {
    {EMR_POLYBEZIER, "EMR_POLYBEZIER", true, 1, Tail::Pts32, -1},
    {EMR_POLYGON, "EMR_POLYGON", true, 1, Tail::Pts32, -1},
    {EMR_POLYLINE, "EMR_POLYLINE", true, 1, Tail::Pts32, -1},
    {EMR_POLYBEZIERTO, "EMR_POLYBEZIERTO", true, 1, Tail::Pts32, -1},
    {EMR_POLYLINETO, "EMR_POLYLINETO", true, 1, Tail::Pts32, -1},
    {EMR_POLYPOLYLINE, "EMR_POLYPOLYLINE", true, 2, Tail::PolyPoly32, -1},
    {EMR_POLYPOLYGON, "EMR_POLYPOLYGON", true, 2, Tail::PolyPoly32, -1},
    {EMR_SETWINDOWEXTEX, "EMR_SETWINDOWEXTEX", false, 2, Tail::None, -1},
    {EMR_SETWINDOWORGEX, "EMR_SETWINDOWORGEX", false, 2, Tail::None, -1},
    {EMR_SETVIEWPORTEXTEX, "EMR_SETVIEWPORTEXTEX", false, 2, Tail::None, -1},
    {EMR_SETVIEWPORTORGEX, "EMR_SETVIEWPORTORGEX", false, 2, Tail::None, -1},
    {EMR_SETBRUSHORGEX, "EMR_SETBRUSHORGEX", false, 2, Tail::None, -1},
    {EMR_EOF, "EMR_EOF", false, 3, Tail::None, -1},
    {EMR_SETPIXELV, "EMR_SETPIXELV", false, 3, Tail::None, -1},
    {EMR_SETMAPPERFLAGS, "EMR_SETMAPPERFLAGS", false, 1, Tail::None, -1},
    {EMR_SETMAPMODE, "EMR_SETMAPMODE", false, 1, Tail::None, -1},
    {EMR_SETBKMODE, "EMR_SETBKMODE", false, 1, Tail::None, -1},
    {EMR_SETPOLYFILLMODE, "EMR_SETPOLYFILLMODE", false, 1, Tail::None, -1},
    {EMR_SETROP2, "EMR_SETROP2", false, 1, Tail::None, -1},
    {EMR_SETSTRETCHBLTMODE, "EMR_SETSTRETCHBLTMODE", false, 1, Tail::None, -1},
    {EMR_SETTEXTALIGN, "EMR_SETTEXTALIGN", false, 1, Tail::None, -1},
    {EMR_SETTEXTCOLOR, "EMR_SETTEXTCOLOR", false, 1, Tail::None, -1},
    {EMR_SETBKCOLOR, "EMR_SETBKCOLOR", false, 1, Tail::None, -1},
    {EMR_OFFSETCLIPRGN, "EMR_OFFSETCLIPRGN", false, 2, Tail::None, -1},
    {EMR_MOVETOEX, "EMR_MOVETOEX", false, 2, Tail::None, -1},
    {EMR_EXCLUDECLIPRECT, "EMR_EXCLUDECLIPRECT", false, 4, Tail::None, -1},
    {EMR_INTERSECTCLIPRECT, "EMR_INTERSECTCLIPRECT", false, 4, Tail::None, -1},
    {EMR_SAVEDC, "EMR_SAVEDC", false, 0, Tail::None, -1},
    {EMR_RESTOREDC, "EMR_RESTOREDC", false, 1, Tail::None, -1},
    {EMR_SETWORLDTRANSFORM, "EMR_SETWORLDTRANSFORM", false, 6, Tail::None, -1},
    {EMR_MODIFYWORLDTRANSFORM, "EMR_MODIFYWORLDTRANSFORM", false, 7, Tail::None, -1},
    {EMR_SELECTOBJECT, "EMR_SELECTOBJECT", false, 1, Tail::None, -1},
    {EMR_CREATEPEN, "EMR_CREATEPEN", false, 5, Tail::None, -1},
    {EMR_CREATEBRUSHINDIRECT, "EMR_CREATEBRUSHINDIRECT", false, 4, Tail::None, -1},
    {EMR_DELETEOBJECT, "EMR_DELETEOBJECT", false, 1, Tail::None, -1},
    {EMR_ELLIPSE, "EMR_ELLIPSE", false, 4, Tail::None, -1},
    {EMR_RECTANGLE, "EMR_RECTANGLE", false, 4, Tail::None, -1},
    {EMR_ROUNDRECT, "EMR_ROUNDRECT", false, 6, Tail::None, -1},
    {EMR_ARC, "EMR_ARC", false, 8, Tail::None, -1},
    {EMR_CHORD, "EMR_CHORD", false, 8, Tail::None, -1},
    {EMR_PIE, "EMR_PIE", false, 8, Tail::None, -1},
    {EMR_LINETO, "EMR_LINETO", false, 2, Tail::None, -1},
    {EMR_ARCTO, "EMR_ARCTO", false, 8, Tail::None, -1},
    {EMR_SETARCDIRECTION, "EMR_SETARCDIRECTION", false, 1, Tail::None, -1},
    {EMR_SETMITERLIMIT, "EMR_SETMITERLIMIT", false, 1, Tail::None, -1},
    {EMR_BEGINPATH, "EMR_BEGINPATH", false, 0, Tail::None, -1},
    {EMR_ENDPATH, "EMR_ENDPATH", false, 0, Tail::None, -1},
    {EMR_CLOSEFIGURE, "EMR_CLOSEFIGURE", false, 0, Tail::None, -1},
    {EMR_FILLPATH, "EMR_FILLPATH", true, 0, Tail::None, -1},
    {EMR_STROKEANDFILLPATH, "EMR_STROKEANDFILLPATH", true, 0, Tail::None, -1},
    {EMR_STROKEPATH, "EMR_STROKEPATH", true, 0, Tail::None, -1},
    {EMR_FLATTENPATH, "EMR_FLATTENPATH", false, 0, Tail::None, -1},
    {EMR_WIDENPATH, "EMR_WIDENPATH", false, 0, Tail::None, -1},
    {EMR_SELECTCLIPPATH, "EMR_SELECTCLIPPATH", false, 1, Tail::None, -1},
    {EMR_ABORTPATH, "EMR_ABORTPATH", false, 0, Tail::None, -1},
    {EMR_EXTSELECTCLIPRGN, "EMR_EXTSELECTCLIPRGN", false, 2, Tail::Region, -1},
    {EMR_BITBLT, "EMR_BITBLT", true, bitblt::kCount, Tail::Dib, bitblt::kOffBmi},
    {EMR_STRETCHDIBITS, "EMR_STRETCHDIBITS", true, stretch::kCount, Tail::Dib, stretch::kOffBmi},
    {EMR_EXTCREATEFONTINDIRECTW, "EMR_EXTCREATEFONTINDIRECTW", false, font::kCount, Tail::Font, -1},
    {EMR_EXTTEXTOUTW, "EMR_EXTTEXTOUTW", true, ext_text::kCount, Tail::Text, -1},
    {EMR_POLYBEZIER16, "EMR_POLYBEZIER16", true, 1, Tail::Pts16, -1},
    {EMR_POLYGON16, "EMR_POLYGON16", true, 1, Tail::Pts16, -1},
    {EMR_POLYLINE16, "EMR_POLYLINE16", true, 1, Tail::Pts16, -1},
    {EMR_POLYBEZIERTO16, "EMR_POLYBEZIERTO16", true, 1, Tail::Pts16, -1},
    {EMR_POLYLINETO16, "EMR_POLYLINETO16", true, 1, Tail::Pts16, -1},
    {EMR_POLYPOLYLINE16, "EMR_POLYPOLYLINE16", true, 2, Tail::PolyPoly16, -1},
    {EMR_POLYPOLYGON16, "EMR_POLYPOLYGON16", true, 2, Tail::PolyPoly16, -1},
    {EMR_CREATEDIBPATTERNBRUSHPT, "EMR_CREATEDIBPATTERNBRUSHPT", false, dibbrush::kCount, Tail::Dib, dibbrush::kOffBmi},
    {EMR_EXTCREATEPEN, "EMR_EXTCREATEPEN", false, ext_pen::kCount, Tail::ExtPen, ext_pen::kOffBmi},
    {EMR_GRADIENTFILL, "EMR_GRADIENTFILL", true, 3, Tail::Gradient, -1},
};

const Layout* Find(std::uint32_t type) {
  for (const Layout& l : kLayouts)
    if (l.type == type) return &l;
  return nullptr;
}

// ---- byte helpers ------------------------------------------------------------
void Put32(std::vector<std::uint8_t>& o, std::uint32_t v) {
  o.push_back(static_cast<std::uint8_t>(v));
  o.push_back(static_cast<std::uint8_t>(v >> 8));
  o.push_back(static_cast<std::uint8_t>(v >> 16));
  o.push_back(static_cast<std::uint8_t>(v >> 24));
}
void Put16(std::vector<std::uint8_t>& o, std::uint16_t v) {
  o.push_back(static_cast<std::uint8_t>(v));
  o.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Set32(std::vector<std::uint8_t>& o, std::size_t at, std::uint32_t v) {
  o[at] = static_cast<std::uint8_t>(v);
  o[at + 1] = static_cast<std::uint8_t>(v >> 8);
  o[at + 2] = static_cast<std::uint8_t>(v >> 16);
  o[at + 3] = static_cast<std::uint8_t>(v >> 24);
}
void Pad4(std::vector<std::uint8_t>& o, std::size_t start) {
  while ((o.size() - start) % 4) o.push_back(0);
}
void PutRect(std::vector<std::uint8_t>& o, const RECTL& r) {
  Put32(o, static_cast<std::uint32_t>(r.left));
  Put32(o, static_cast<std::uint32_t>(r.top));
  Put32(o, static_cast<std::uint32_t>(r.right));
  Put32(o, static_cast<std::uint32_t>(r.bottom));
}
std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::int32_t GetI32(const std::uint8_t* p) { return static_cast<std::int32_t>(Get32(p)); }
RECTL GetRect(const std::uint8_t* p) { return RECTL{GetI32(p), GetI32(p + 4), GetI32(p + 8), GetI32(p + 12)}; }

bool Fits16(const POINTL& pt) {
  return pt.x >= std::numeric_limits<std::int16_t>::min() && pt.x <= std::numeric_limits<std::int16_t>::max() &&
         pt.y >= std::numeric_limits<std::int16_t>::min() && pt.y <= std::numeric_limits<std::int16_t>::max();
}

// [off, off + len) lies within [0, size).
bool Within(std::uint64_t off, std::uint64_t len, std::uint64_t size) { return off <= size && len <= size - off; }

std::size_t GradientIndexWords(std::int32_t mode) { return mode == 2 ? 3 : 2; }  // GRADIENT_FILL_TRIANGLE

}  // namespace

bool IsKnownType(std::uint32_t type) { return Find(type) != nullptr; }
const char* TypeName(std::uint32_t type) {
  if (type == EMR_HEADER) return "EMR_HEADER";
  const Layout* l = Find(type);
  return l ? l->name : "EMR_UNKNOWN";
}
bool HasBounds(std::uint32_t type) {
  const Layout* l = Find(type);
  return l && l->bounds;
}
std::size_t WordCount(std::uint32_t type) {
  const Layout* l = Find(type);
  return l ? l->words : 0;
}
std::vector<std::uint32_t> KnownTypes() {
  std::vector<std::uint32_t> v;
  for (const Layout& l : kLayouts) v.push_back(l.type);
  return v;
}

std::size_t DibBitsSize(const std::uint8_t* bmi, std::size_t bmiSize) {
  if (!bmi || bmiSize < 40) return 0;
  const std::uint32_t hdr = Get32(bmi);
  if (hdr < 40 || hdr > bmiSize) return 0;
  const std::int64_t w = GetI32(bmi + 4);
  std::int64_t h = GetI32(bmi + 8);
  const std::uint16_t bpp = Get16(bmi + 14);
  const std::uint32_t compression = Get32(bmi + 16);
  if (compression != 0 && compression != 3) return 0;  // BI_RGB, BI_BITFIELDS
  if (h < 0) h = -h;
  if (w <= 0 || h <= 0 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)) return 0;
  const std::uint64_t stride = ((static_cast<std::uint64_t>(w) * bpp + 31) / 32) * 4;
  const std::uint64_t total = stride * static_cast<std::uint64_t>(h);
  if (total > (std::uint64_t{1} << 31)) return 0;
  return static_cast<std::size_t>(total);
}

// ---- encoding ------------------------------------------------------------------
bool EncodeRecord(const Record& r, std::vector<std::uint8_t>& out) {
  std::vector<std::uint8_t> o;
  std::vector<std::int32_t> w = r.words;
  if (const Layout* l = Find(r.type)) {
    if (w.size() != l->words) return false;
    const std::size_t fixed = 8 + (l->bounds ? 16 : 0) + 4 * w.size();
    // Payload first (after the fixed part), filling count and offset words.
    std::vector<std::uint8_t> tail;
    auto putDib = [&](std::size_t idx) {
      if (r.bmi.empty()) {
        w[idx] = w[idx + 1] = w[idx + 2] = w[idx + 3] = 0;
        return;
      }
      w[idx] = static_cast<std::int32_t>(fixed + tail.size());
      w[idx + 1] = static_cast<std::int32_t>(r.bmi.size());
      tail.insert(tail.end(), r.bmi.begin(), r.bmi.end());
      Pad4(tail, 0);
      w[idx + 2] = static_cast<std::int32_t>(fixed + tail.size());
      w[idx + 3] = static_cast<std::int32_t>(r.bits.size());
      tail.insert(tail.end(), r.bits.begin(), r.bits.end());
      Pad4(tail, 0);
    };
    // The record's points, 16 or 32 bits a coordinate; false when a point
    // does not fit in 16 bits.
    auto putPoints = [&](bool small) {
      for (const POINTL& pt : r.points) {
        if (small) {
          if (!Fits16(pt)) return false;
          Put16(tail, static_cast<std::uint16_t>(pt.x));
          Put16(tail, static_cast<std::uint16_t>(pt.y));
        } else {
          Put32(tail, static_cast<std::uint32_t>(pt.x));
          Put32(tail, static_cast<std::uint32_t>(pt.y));
        }
      }
      Pad4(tail, 0);
      return true;
    };
    switch (l->tail) {
      case Tail::None:
        if (r.type == EMR_EOF) w[2] = static_cast<std::int32_t>(fixed);  // SizeLast
        break;
      case Tail::Pts16:
      case Tail::Pts32:
        w[0] = static_cast<std::int32_t>(r.points.size());
        if (!putPoints(l->tail == Tail::Pts16)) return false;
        break;
      case Tail::PolyPoly16:
      case Tail::PolyPoly32: {
        std::uint64_t sum = 0;
        for (std::uint32_t c : r.counts) sum += c;
        if (sum != r.points.size()) return false;
        w[0] = static_cast<std::int32_t>(r.counts.size());
        w[1] = static_cast<std::int32_t>(r.points.size());
        for (std::uint32_t c : r.counts) Put32(tail, c);
        if (!putPoints(l->tail == Tail::PolyPoly16)) return false;
        break;
      }
      case Tail::Text: {
        const bool pdy = (w[ext_text::kOptions] & 0x2000) != 0;  // ETO_PDY: x and y advances
        const std::size_t dxCount = r.text.size() * (pdy ? 2 : 1);
        if (!r.dx.empty() && r.dx.size() != dxCount) return false;
        w[ext_text::kChars] = static_cast<std::int32_t>(r.text.size());
        w[ext_text::kOffString] = static_cast<std::int32_t>(fixed);
        for (char16_t c : r.text) Put16(tail, static_cast<std::uint16_t>(c));
        Pad4(tail, 0);
        w[ext_text::kOffDx] = r.dx.empty() ? 0 : static_cast<std::int32_t>(fixed + tail.size());
        for (std::int32_t d : r.dx) Put32(tail, static_cast<std::uint32_t>(d));
        break;
      }
      case Tail::Font: {
        for (std::size_t i = 0; i < 32; ++i) Put16(tail, i < r.text.size() && i < 31 ? static_cast<std::uint16_t>(r.text[i]) : 0);
        tail.resize(kFontRecordElw - 28, 0);  // the LOGFONTW's first 28 bytes are words 1..7
        break;
      }
      case Tail::ExtPen:
        w[ext_pen::kNumEntries] = static_cast<std::int32_t>(r.counts.size());
        for (std::uint32_t c : r.counts) Put32(tail, c);
        putDib(static_cast<std::size_t>(l->offBmi));
        break;
      case Tail::Dib:
        putDib(static_cast<std::size_t>(l->offBmi));
        break;
      case Tail::Gradient: {
        const std::size_t per = GradientIndexWords(w[2]);
        if (r.counts.size() % per) return false;
        w[0] = static_cast<std::int32_t>(r.vertices.size());
        w[1] = static_cast<std::int32_t>(r.counts.size() / per);
        for (const Vertex& v : r.vertices) {
          Put32(tail, static_cast<std::uint32_t>(v.x));
          Put32(tail, static_cast<std::uint32_t>(v.y));
          Put16(tail, v.red);
          Put16(tail, v.green);
          Put16(tail, v.blue);
          Put16(tail, v.alpha);
        }
        for (std::uint32_t c : r.counts) Put32(tail, c);
        break;
      }
      case Tail::Region: {
        if (r.rects.empty()) {
          w[0] = 0;
          break;
        }
        RECTL b = r.rects.front();
        for (const RECTL& rc : r.rects) {
          b.left = std::min(b.left, rc.left);
          b.top = std::min(b.top, rc.top);
          b.right = std::max(b.right, rc.right);
          b.bottom = std::max(b.bottom, rc.bottom);
        }
        w[0] = static_cast<std::int32_t>(32 + 16 * r.rects.size());
        Put32(tail, 32);
        Put32(tail, 1);  // RDH_RECTANGLES
        Put32(tail, static_cast<std::uint32_t>(r.rects.size()));
        Put32(tail, static_cast<std::uint32_t>(16 * r.rects.size()));
        PutRect(tail, b);
        for (const RECTL& rc : r.rects) PutRect(tail, rc);
        break;
      }
    }
    Put32(o, r.type);
    Put32(o, 0);
    if (l->bounds) PutRect(o, r.bounds);
    for (std::int32_t v : w) Put32(o, static_cast<std::uint32_t>(v));
    o.insert(o.end(), tail.begin(), tail.end());
  } else {
    if (r.type == EMR_HEADER || r.type == 0) return false;
    Put32(o, r.type);
    Put32(o, 0);
    o.insert(o.end(), r.raw.begin(), r.raw.end());
    Pad4(o, 0);
  }
  if (o.size() > std::numeric_limits<std::uint32_t>::max()) return false;
  Set32(o, 4, static_cast<std::uint32_t>(o.size()));
  out.insert(out.end(), o.begin(), o.end());
  return true;
}

void EncodeHeader(const Header& h, std::vector<std::uint8_t>& o) {
  const std::size_t start = o.size();
  const std::size_t nDesc = h.description.empty() ? 0 : h.description.size() + 1;
  Put32(o, EMR_HEADER);
  Put32(o, 0);
  PutRect(o, h.bounds);
  PutRect(o, h.frame);
  Put32(o, kSignature);
  Put32(o, kVersion);
  Put32(o, h.bytes);
  Put32(o, h.records);
  Put16(o, h.handles);
  Put16(o, 0);
  Put32(o, static_cast<std::uint32_t>(nDesc));
  Put32(o, nDesc ? 108 : 0);
  Put32(o, h.palEntries);
  Put32(o, static_cast<std::uint32_t>(h.device.cx));
  Put32(o, static_cast<std::uint32_t>(h.device.cy));
  Put32(o, static_cast<std::uint32_t>(h.millimeters.cx));
  Put32(o, static_cast<std::uint32_t>(h.millimeters.cy));
  Put32(o, 0);  // cbPixelFormat
  Put32(o, 0);  // offPixelFormat
  Put32(o, 0);  // bOpenGL
  Put32(o, static_cast<std::uint32_t>(h.millimeters.cx) * 1000);
  Put32(o, static_cast<std::uint32_t>(h.millimeters.cy) * 1000);
  if (nDesc) {
    for (char16_t c : h.description) Put16(o, static_cast<std::uint16_t>(c));
    Put16(o, 0);
  }
  Pad4(o, start);
  Set32(o, start + 4, static_cast<std::uint32_t>(o.size() - start));
}

bool EncodeFile(Header h, const std::vector<Record>& records, std::vector<std::uint8_t>& out) {
  if (records.empty() || records.back().type != EMR_EOF) return false;
  std::vector<std::uint8_t> body;
  for (const Record& r : records)
    if (!EncodeRecord(r, body)) return false;
  std::vector<std::uint8_t> head;
  EncodeHeader(h, head);
  h.bytes = static_cast<std::uint32_t>(head.size() + body.size());
  h.records = static_cast<std::uint32_t>(records.size() + 1);
  head.clear();
  EncodeHeader(h, head);
  out = std::move(head);
  out.insert(out.end(), body.begin(), body.end());
  return true;
}

// ---- decoding ------------------------------------------------------------------
bool DecodeRecord(const std::uint8_t* p, std::size_t size, Record& r) {
  r = Record{};
  if (!p || size < 8 || size % 4) return false;
  r.type = Get32(p);
  if (Get32(p + 4) != size) return false;
  const Layout* l = Find(r.type);
  if (!l) {
    if (r.type == EMR_HEADER || r.type == 0) return false;
    r.raw.assign(p + 8, p + size);
    return true;
  }
  const std::size_t fixed = 8 + (l->bounds ? 16 : 0) + 4 * std::size_t{l->words};
  if (size < fixed) return false;
  std::size_t at = 8;
  if (l->bounds) {
    r.bounds = GetRect(p + at);
    at += 16;
  }
  r.words.resize(l->words);
  for (auto& v : r.words) {
    v = GetI32(p + at);
    at += 4;
  }
  auto getPoints = [&](std::uint64_t off, std::uint64_t count, bool small) {
    const std::uint64_t each = small ? 4 : 8;
    if (count > size || !Within(off, count * each, size)) return false;
    r.points.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < r.points.size(); ++i) {
      const std::uint8_t* q = p + off + i * each;
      if (small)
        r.points[i] = POINTL{static_cast<std::int16_t>(Get16(q)), static_cast<std::int16_t>(Get16(q + 2))};
      else
        r.points[i] = POINTL{GetI32(q), GetI32(q + 4)};
    }
    return true;
  };
  auto getDib = [&](std::size_t idx) {
    const std::uint32_t offBmi = static_cast<std::uint32_t>(r.words[idx]);
    const std::uint32_t cbBmi = static_cast<std::uint32_t>(r.words[idx + 1]);
    const std::uint32_t offBits = static_cast<std::uint32_t>(r.words[idx + 2]);
    const std::uint32_t cbBits = static_cast<std::uint32_t>(r.words[idx + 3]);
    if (cbBmi == 0) return true;
    if (!Within(offBmi, cbBmi, size) || !Within(offBits, cbBits, size)) return false;
    r.bmi.assign(p + offBmi, p + offBmi + cbBmi);
    r.bits.assign(p + offBits, p + offBits + cbBits);
    return true;
  };
  switch (l->tail) {
    case Tail::None:
      return true;
    case Tail::Pts16:
    case Tail::Pts32:
      return getPoints(at, static_cast<std::uint32_t>(r.words[0]), l->tail == Tail::Pts16);
    case Tail::PolyPoly16:
    case Tail::PolyPoly32: {
      const std::uint64_t n = static_cast<std::uint32_t>(r.words[0]);
      const std::uint64_t total = static_cast<std::uint32_t>(r.words[1]);
      if (n > size || !Within(at, n * 4, size)) return false;
      std::uint64_t sum = 0;
      r.counts.resize(static_cast<std::size_t>(n));
      for (auto& c : r.counts) {
        c = Get32(p + at);
        sum += c;
        at += 4;
      }
      if (sum != total) return false;
      return getPoints(at, total, l->tail == Tail::PolyPoly16);
    }
    case Tail::Text: {
      const std::uint64_t chars = static_cast<std::uint32_t>(r.words[ext_text::kChars]);
      const std::uint64_t offString = static_cast<std::uint32_t>(r.words[ext_text::kOffString]);
      const std::uint64_t offDx = static_cast<std::uint32_t>(r.words[ext_text::kOffDx]);
      const bool pdy = (r.words[ext_text::kOptions] & 0x2000) != 0;
      if (chars > size || !Within(offString, chars * 2, size)) return false;
      r.text.resize(static_cast<std::size_t>(chars));
      for (std::size_t i = 0; i < r.text.size(); ++i) r.text[i] = static_cast<char16_t>(Get16(p + offString + 2 * i));
      if (offDx) {
        const std::uint64_t n = chars * (pdy ? 2 : 1);
        if (!Within(offDx, n * 4, size)) return false;
        r.dx.resize(static_cast<std::size_t>(n));
        for (std::size_t i = 0; i < r.dx.size(); ++i) r.dx[i] = GetI32(p + offDx + 4 * i);
      }
      return true;
    }
    case Tail::Font: {
      if (size < 12 + kLogFontSize) return false;
      for (std::size_t i = 0; i < 32; ++i) {
        const char16_t c = static_cast<char16_t>(Get16(p + at + 2 * i));
        if (!c) break;
        r.text.push_back(c);
      }
      return true;
    }
    case Tail::ExtPen: {
      const std::uint64_t n = static_cast<std::uint32_t>(r.words[ext_pen::kNumEntries]);
      if (n > size || !Within(at, n * 4, size)) return false;
      r.counts.resize(static_cast<std::size_t>(n));
      for (auto& c : r.counts) {
        c = Get32(p + at);
        at += 4;
      }
      return getDib(static_cast<std::size_t>(l->offBmi));
    }
    case Tail::Dib:
      return getDib(static_cast<std::size_t>(l->offBmi));
    case Tail::Gradient: {
      const std::uint64_t nVer = static_cast<std::uint32_t>(r.words[0]);
      const std::uint64_t nTri = static_cast<std::uint32_t>(r.words[1]);
      const std::uint64_t per = GradientIndexWords(r.words[2]);
      if (nVer > size || nTri > size || !Within(at, nVer * 16 + nTri * per * 4, size)) return false;
      r.vertices.resize(static_cast<std::size_t>(nVer));
      for (auto& v : r.vertices) {
        v.x = GetI32(p + at);
        v.y = GetI32(p + at + 4);
        v.red = Get16(p + at + 8);
        v.green = Get16(p + at + 10);
        v.blue = Get16(p + at + 12);
        v.alpha = Get16(p + at + 14);
        at += 16;
      }
      r.counts.resize(static_cast<std::size_t>(nTri * per));
      for (auto& c : r.counts) {
        c = Get32(p + at);
        at += 4;
      }
      return true;
    }
    case Tail::Region: {
      const std::uint64_t cb = static_cast<std::uint32_t>(r.words[0]);
      if (cb == 0) return true;
      if (cb < 32 || !Within(at, cb, size)) return false;
      const std::uint64_t n = Get32(p + at + 8);
      if (Get32(p + at) != 32 || n > cb || 32 + n * 16 > cb) return false;
      at += 32;
      r.rects.resize(static_cast<std::size_t>(n));
      for (auto& rc : r.rects) {
        rc = GetRect(p + at);
        at += 16;
      }
      return true;
    }
  }
  return false;
}

bool DecodeHeader(const std::uint8_t* p, std::size_t size, Header& h) {
  h = Header{};
  if (!p || size < 88 || size % 4) return false;
  if (Get32(p) != EMR_HEADER || Get32(p + 4) != size || Get32(p + 40) != kSignature) return false;
  h.bounds = GetRect(p + 8);
  h.frame = GetRect(p + 24);
  h.bytes = Get32(p + 48);
  h.records = Get32(p + 52);
  h.handles = Get16(p + 56);
  const std::uint64_t nDesc = Get32(p + 60);
  const std::uint64_t offDesc = Get32(p + 64);
  h.palEntries = Get32(p + 68);
  h.device = SIZE{GetI32(p + 72), GetI32(p + 76)};
  h.millimeters = SIZE{GetI32(p + 80), GetI32(p + 84)};
  if (nDesc) {
    if (offDesc < 88 || !Within(offDesc, nDesc * 2, size)) return false;
    for (std::uint64_t i = 0; i < nDesc; ++i) {
      const char16_t c = static_cast<char16_t>(Get16(p + offDesc + 2 * i));
      if (!c && i + 1 == nDesc) break;
      h.description.push_back(c);
    }
  }
  return true;
}

bool LooksLikeEmf(const std::uint8_t* p, std::size_t size) {
  if (!p || size < 88) return false;
  const std::uint32_t hs = Get32(p + 4);
  return Get32(p) == EMR_HEADER && Get32(p + 40) == kSignature && (hs == 88 || hs == 100 || hs >= 108);
}

bool DecodeFile(const std::uint8_t* p, std::size_t size, Header& h, std::vector<Record>& records) {
  records.clear();
  if (!p || size < 88) return false;
  const std::uint32_t hs = Get32(p + 4);
  if (hs > size || !DecodeHeader(p, hs, h)) return false;
  if (h.bytes < hs || h.bytes > size) return false;
  std::size_t at = hs;
  while (at < h.bytes) {
    if (h.bytes - at < 8) return false;
    const std::uint32_t rs = Get32(p + at + 4);
    if (rs < 8 || rs > h.bytes - at) return false;
    Record r;
    if (!DecodeRecord(p + at, rs, r)) return false;
    at += rs;
    const bool eof = r.type == EMR_EOF;
    records.push_back(std::move(r));
    if (eof) return true;
  }
  return false;
}

}  // namespace emf
