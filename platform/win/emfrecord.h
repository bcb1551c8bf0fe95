// Enhanced-metafile records: the byte form (little-endian, every record a
// multiple of 4 bytes) and a decoded form that the writer fills and the
// player reads. The decoder checks every size, count and offset against the
// bytes it is given, so that truncated or corrupt files fail cleanly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "win/windef.h"

namespace emf {

// Record types.
enum : std::uint32_t {
  EMR_HEADER = 1,
  EMR_POLYBEZIER = 2,
  EMR_POLYGON = 3,
  EMR_POLYLINE = 4,
  EMR_POLYBEZIERTO = 5,
  EMR_POLYLINETO = 6,
  EMR_POLYPOLYLINE = 7,
  EMR_POLYPOLYGON = 8,
  EMR_SETWINDOWEXTEX = 9,
  EMR_SETWINDOWORGEX = 10,
  EMR_SETVIEWPORTEXTEX = 11,
  EMR_SETVIEWPORTORGEX = 12,
  EMR_SETBRUSHORGEX = 13,
  EMR_EOF = 14,
  EMR_SETPIXELV = 15,
  EMR_SETMAPPERFLAGS = 16,
  EMR_SETMAPMODE = 17,
  EMR_SETBKMODE = 18,
  EMR_SETPOLYFILLMODE = 19,
  EMR_SETROP2 = 20,
  EMR_SETSTRETCHBLTMODE = 21,
  EMR_SETTEXTALIGN = 22,
  EMR_SETTEXTCOLOR = 24,
  EMR_SETBKCOLOR = 25,
  EMR_OFFSETCLIPRGN = 26,
  EMR_MOVETOEX = 27,
  EMR_EXCLUDECLIPRECT = 29,
  EMR_INTERSECTCLIPRECT = 30,
  EMR_SAVEDC = 33,
  EMR_RESTOREDC = 34,
  EMR_SETWORLDTRANSFORM = 35,
  EMR_MODIFYWORLDTRANSFORM = 36,
  EMR_SELECTOBJECT = 37,
  EMR_CREATEPEN = 38,
  EMR_CREATEBRUSHINDIRECT = 39,
  EMR_DELETEOBJECT = 40,
  EMR_ELLIPSE = 42,
  EMR_RECTANGLE = 43,
  EMR_ROUNDRECT = 44,
  EMR_ARC = 45,
  EMR_CHORD = 46,
  EMR_PIE = 47,
  EMR_LINETO = 54,
  EMR_ARCTO = 55,
  EMR_SETARCDIRECTION = 57,
  EMR_SETMITERLIMIT = 58,
  EMR_BEGINPATH = 59,
  EMR_ENDPATH = 60,
  EMR_CLOSEFIGURE = 61,
  EMR_FILLPATH = 62,
  EMR_STROKEANDFILLPATH = 63,
  EMR_STROKEPATH = 64,
  EMR_FLATTENPATH = 65,
  EMR_WIDENPATH = 66,
  EMR_SELECTCLIPPATH = 67,
  EMR_ABORTPATH = 68,
  EMR_GDICOMMENT = 70,
  EMR_EXTSELECTCLIPRGN = 75,
  EMR_BITBLT = 76,
  EMR_STRETCHDIBITS = 81,
  EMR_EXTCREATEFONTINDIRECTW = 82,
  EMR_EXTTEXTOUTW = 84,
  EMR_POLYBEZIER16 = 85,
  EMR_POLYGON16 = 86,
  EMR_POLYLINE16 = 87,
  EMR_POLYBEZIERTO16 = 88,
  EMR_POLYLINETO16 = 89,
  EMR_POLYPOLYLINE16 = 90,
  EMR_POLYPOLYGON16 = 91,
  EMR_CREATEDIBPATTERNBRUSHPT = 94,
  EMR_EXTCREATEPEN = 95,
  EMR_GRADIENTFILL = 118,
};

constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kVersion = 0x10000;
constexpr std::uint32_t kStockObject = 0x80000000;  // SELECTOBJECT of stock object n: kStockObject + n
constexpr std::size_t kLogFontSize = 92;            // LOGFONTW on file
constexpr std::size_t kFontRecordElw = 320;         // font records carry a LOGFONTW padded to this size

// A vertex of a gradient fill, as on file (16 bytes).
struct Vertex {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::uint16_t red = 0, green = 0, blue = 0, alpha = 0;
  bool operator==(const Vertex&) const = default;
};

// The header record.
struct Header {
  RECTL bounds{};  // inclusive, device pixels
  RECTL frame{};   // inclusive, 0.01 mm
  std::uint32_t bytes = 0;    // whole file
  std::uint32_t records = 0;  // header and EOF included
  std::uint16_t handles = 1;  // object table size, slot 0 reserved
  std::uint32_t palEntries = 0;
  SIZE device{};       // reference device in pixels
  SIZE millimeters{};  // reference device in millimetres
  std::u16string description;
};

// One decoded record. Which members a record kind uses is fixed by the
// layout table in emfrecord.cpp:
// - bounds: records that carry a bounding rectangle;
// - words: the fixed 32-bit fields after the bounds in file order (offset and
//   count fields included; the encoder recomputes them from the payload);
// - points (poly records), counts (poly-poly counts, pen style entries,
//   gradient indices), vertices (gradients), rects (clip regions), text
//   (ExtTextOutW string, font face name), dx (character advances), bmi and
//   bits (packed device-independent bitmap);
// - raw: the body of a kind that has no layout here, kept as read.
struct Record {
  std::uint32_t type = 0;
  RECTL bounds{};
  std::vector<std::int32_t> words;
  std::vector<POINTL> points;
  std::vector<std::uint32_t> counts;
  std::vector<Vertex> vertices;
  std::vector<RECTL> rects;
  std::u16string text;
  std::vector<std::int32_t> dx;
  std::vector<std::uint8_t> bmi;
  std::vector<std::uint8_t> bits;
  std::vector<std::uint8_t> raw;

  std::int32_t W(std::size_t i) const { return i < words.size() ? words[i] : 0; }
};

// Word positions of the records whose words the player and writer name.
namespace ext_text {  // EMR_EXTTEXTOUTW
enum { kGraphicsMode, kExScale, kEyScale, kRefX, kRefY, kChars, kOffString, kOptions, kLeft, kTop, kRight, kBottom, kOffDx, kCount };
}
namespace ext_pen {  // EMR_EXTCREATEPEN
enum { kIndex, kOffBmi, kCbBmi, kOffBits, kCbBits, kStyle, kWidth, kBrushStyle, kColor, kHatch, kNumEntries, kCount };
}
namespace font {  // EMR_EXTCREATEFONTINDIRECTW; two packed byte words follow the five ints
enum { kIndex, kHeight, kWidth, kEscapement, kOrientation, kWeight, kBytes1, kBytes2, kCount };
}
namespace stretch {  // EMR_STRETCHDIBITS
enum { kXDest, kYDest, kXSrc, kYSrc, kCxSrc, kCySrc, kOffBmi, kCbBmi, kOffBits, kCbBits, kUsage, kRop, kCxDest, kCyDest, kCount };
}
namespace bitblt {  // EMR_BITBLT; the transform is six floats stored as their bits
enum { kXDest, kYDest, kCxDest, kCyDest, kRop, kXSrc, kYSrc, kXform, kBkColor = kXform + 6, kUsage, kOffBmi, kCbBmi, kOffBits, kCbBits, kCount };
}
namespace dibbrush {  // EMR_CREATEDIBPATTERNBRUSHPT
enum { kIndex, kUsage, kOffBmi, kCbBmi, kOffBits, kCbBits, kCount };
}

// Whether the type has a layout here, its name ("EMR_RECTANGLE"), whether it
// carries bounds, and the number of fixed words it needs.
bool IsKnownType(std::uint32_t type);
const char* TypeName(std::uint32_t type);
bool HasBounds(std::uint32_t type);
std::size_t WordCount(std::uint32_t type);
// Every type with a layout (EMR_HEADER excluded), for tests and tools.
std::vector<std::uint32_t> KnownTypes();

// Appends one record; false (nothing appended) when the record does not fit
// its layout (missing words, a point out of 16-bit range in a *16 kind, a
// count that does not match the payload).
bool EncodeRecord(const Record& r, std::vector<std::uint8_t>& out);
// Header record, description included. `recordBytes` and `recordCount` are
// those of the records that follow (EOF included).
void EncodeHeader(const Header& h, std::vector<std::uint8_t>& out);
// A whole file: header (its bytes and records fields computed) and records.
// The records must end with EMR_EOF; false when a record does not encode.
bool EncodeFile(Header h, const std::vector<Record>& records, std::vector<std::uint8_t>& out);

// Decodes one record body (type and size words included) of `size` bytes.
bool DecodeRecord(const std::uint8_t* p, std::size_t size, Record& r);
bool DecodeHeader(const std::uint8_t* p, std::size_t size, Header& h);
// A whole file: a valid header first, records that lie within the header's
// byte count and the given bytes, and an EMR_EOF record last.
bool DecodeFile(const std::uint8_t* p, std::size_t size, Header& h, std::vector<Record>& records);

// The header test of raw metafile content: record type 1, signature at 40,
// header size 88, 100 or at least 108.
bool LooksLikeEmf(const std::uint8_t* p, std::size_t size);

// Size in bytes of the pixel bits a BITMAPINFOHEADER at bmi describes
// (uncompressed kinds), 0 when not computable.
std::size_t DibBitsSize(const std::uint8_t* bmi, std::size_t bmiSize);

}  // namespace emf
