// Enhanced-metafile records: byte layout, round trips and rejection of bad bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "win/emfrecord.h"

using namespace emf;

namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// A record of the type with sample words and the payload its layout carries.
Record Sample(std::uint32_t type) {
  Record r;
  r.type = type;
  if (HasBounds(type)) r.bounds = RECTL{1, 2, 30, 40};
  for (std::size_t i = 0; i < WordCount(type); ++i) r.words.push_back(static_cast<std::int32_t>(i * 7) - 3);
  const std::vector<POINTL> pts = {{10, 20}, {-30, 40}, {500, -600}, {7, 8}};
  switch (type) {
    case EMR_POLYBEZIER16: case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16:
      r.points = pts;
      break;
    case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
      r.points = {{100000, -200000}, {3, 4}};
      break;
    case EMR_POLYPOLYGON16: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE:
      r.points = pts;
      r.counts = {3, 1};
      break;
    case EMR_EXTTEXTOUTW:
      r.words[ext_text::kOptions] = 0;
      r.text = u"Hi\u00e9";
      r.dx = {5, 6, 7};
      break;
    case EMR_EXTCREATEFONTINDIRECTW:
      r.text = u"Liberation Sans";
      break;
    case EMR_EXTCREATEPEN:
      r.counts = {3, 1, 2, 5};
      r.bmi.assign(40, 1);
      r.bits = {1, 2, 3};
      break;
    case EMR_BITBLT: case EMR_STRETCHDIBITS: case EMR_CREATEDIBPATTERNBRUSHPT:
      r.bmi.assign(44, 2);
      r.bits = {9, 8, 7, 6, 5};
      break;
    case EMR_GRADIENTFILL:
      r.words[2] = 2;  // triangles
      r.vertices = {{0, 0, 0xFF00, 0, 0, 0}, {10, 0, 0, 0xFF00, 0, 0}, {0, 10, 0, 0, 0xFF00, 0x8000}};
      r.counts = {0, 1, 2};
      break;
    case EMR_EXTSELECTCLIPRGN:
      r.words[1] = 5;
      r.rects = {{0, 0, 10, 10}, {20, 5, 30, 15}};
      break;
    default:
      break;
  }
  return r;
}

}  // namespace

TEST(EmfRecord, EveryKindRoundTrips) {
  for (std::uint32_t type : KnownTypes()) {
    SCOPED_TRACE(TypeName(type));
    const Record r = Sample(type);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(EncodeRecord(r, bytes));
    ASSERT_EQ(bytes.size() % 4, 0u);
    EXPECT_EQ(U32(bytes, 0), type);
    EXPECT_EQ(U32(bytes, 4), bytes.size());
    Record d;
    ASSERT_TRUE(DecodeRecord(bytes.data(), bytes.size(), d));
    EXPECT_EQ(d.type, type);
    EXPECT_EQ(d.bounds.left, r.bounds.left);
    EXPECT_EQ(d.bounds.bottom, r.bounds.bottom);
    EXPECT_EQ(d.points.size(), r.points.size());
    for (std::size_t i = 0; i < d.points.size() && i < r.points.size(); ++i) {
      EXPECT_EQ(d.points[i].x, r.points[i].x);
      EXPECT_EQ(d.points[i].y, r.points[i].y);
    }
    EXPECT_EQ(d.counts, r.counts);
    EXPECT_EQ(d.vertices, r.vertices);
    EXPECT_EQ(d.text, r.text);
    EXPECT_EQ(d.dx, r.dx);
    EXPECT_EQ(d.bmi, r.bmi);
    EXPECT_EQ(d.bits, r.bits);
    ASSERT_EQ(d.rects.size(), r.rects.size());
    // Words that are not counts or offsets come back as they were.
    if (type == EMR_RECTANGLE || type == EMR_ARC || type == EMR_CREATEPEN || type == EMR_SETWINDOWEXTEX) {
      EXPECT_EQ(d.words, r.words);
    }
    std::vector<std::uint8_t> again;
    ASSERT_TRUE(EncodeRecord(d, again));
    EXPECT_EQ(again, bytes);
  }
}

TEST(EmfRecord, LayoutsHaveTheFileSizes) {
  struct Case {
    Record r;
    std::size_t size;
  };
  Record rect = Sample(EMR_RECTANGLE);
  Record line16 = Sample(EMR_POLYLINE16);
  line16.points.resize(3);
  Record text = Sample(EMR_EXTTEXTOUTW);
  text.text = u"Hi";
  text.dx = {4, 5};
  const Case cases[] = {
      {rect, 24},                              // type, size, box
      {Sample(EMR_SAVEDC), 8},                 //
      {Sample(EMR_CREATEPEN), 28},             // index and LOGPEN
      {Sample(EMR_CREATEBRUSHINDIRECT), 24},   // index and LOGBRUSH
      {Sample(EMR_EXTCREATEFONTINDIRECTW), 332},  // index and the padded LOGFONTW
      {line16, 8 + 16 + 4 + 12},               // bounds, count, 16-bit points
      {text, 76 + 4 + 8},                      // fixed part, string padded, advances
      {Sample(EMR_EOF), 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TypeName(c.r.type));
    std::vector<std::uint8_t> b;
    ASSERT_TRUE(EncodeRecord(c.r, b));
    EXPECT_EQ(b.size(), c.size);
  }
  // The string of EXTTEXTOUTW sits right after the fixed part, advances after it.
  std::vector<std::uint8_t> b;
  ASSERT_TRUE(EncodeRecord(text, b));
  EXPECT_EQ(U32(b, 8 + 16 + 4 * ext_text::kOffString), 76u);
  EXPECT_EQ(U32(b, 8 + 16 + 4 * ext_text::kOffDx), 80u);
  EXPECT_EQ(b[76], 'H');
  EXPECT_EQ(U32(b, 80), 4u);
}

TEST(EmfRecord, RefusesRecordsThatDoNotFitTheirLayout) {
  Record wide = Sample(EMR_POLYLINE16);
  wide.points.push_back(POINTL{40000, 0});  // beyond 16 bits
  Record counts = Sample(EMR_POLYPOLYGON16);
  counts.counts = {3, 3};  // more than the points
  Record words = Sample(EMR_RECTANGLE);
  words.words.pop_back();
  Record dx = Sample(EMR_EXTTEXTOUTW);
  dx.dx.pop_back();
  Record header;
  header.type = EMR_HEADER;
  for (const Record* r : {&wide, &counts, &words, &dx, &header}) {
    std::vector<std::uint8_t> b;
    EXPECT_FALSE(EncodeRecord(*r, b)) << TypeName(r->type);
    EXPECT_TRUE(b.empty());
  }
}

namespace {
std::vector<std::uint8_t> SampleFile() {
  Header h;
  h.bounds = RECTL{0, 0, 99, 49};
  h.frame = RECTL{0, 0, 2646, 1323};
  h.device = SIZE{1920, 1080};
  h.millimeters = SIZE{508, 286};
  h.handles = 2;
  h.description = std::u16string(u"app\0title", 9);
  std::vector<Record> recs = {Sample(EMR_CREATEPEN), Sample(EMR_SELECTOBJECT), Sample(EMR_POLYLINE16),
                              Sample(EMR_EXTTEXTOUTW), Sample(EMR_STRETCHDIBITS), Sample(EMR_EOF)};
  std::vector<std::uint8_t> out;
  EXPECT_TRUE(EncodeFile(h, recs, out));
  return out;
}
}  // namespace

TEST(EmfFile, HeaderAndRecordsRoundTrip) {
  const auto bytes = SampleFile();
  EXPECT_TRUE(LooksLikeEmf(bytes.data(), bytes.size()));
  EXPECT_EQ(U32(bytes, 40), kSignature);
  EXPECT_EQ(U32(bytes, 44), kVersion);
  EXPECT_EQ(U32(bytes, 48), bytes.size());
  EXPECT_EQ(U32(bytes, 52), 7u);  // header, five records, EOF
  EXPECT_GE(U32(bytes, 4), 108u);
  Header h;
  std::vector<Record> recs;
  ASSERT_TRUE(DecodeFile(bytes.data(), bytes.size(), h, recs));
  EXPECT_EQ(h.frame.right, 2646);
  EXPECT_EQ(h.device.cx, 1920);
  EXPECT_EQ(h.millimeters.cy, 286);
  EXPECT_EQ(h.handles, 2);
  EXPECT_EQ(h.description, std::u16string(u"app\0title", 9));
  ASSERT_EQ(recs.size(), 6u);
  EXPECT_EQ(recs.back().type, EMR_EOF);
  EXPECT_EQ(recs[3].text, u"Hi\u00e9");
  // The same input gives the same bytes.
  EXPECT_EQ(SampleFile(), bytes);
}

TEST(EmfFile, TruncatedAndCorruptFilesAreRejected) {
  const auto good = SampleFile();
  Header h;
  std::vector<Record> recs;
  for (std::size_t n = 0; n < good.size(); ++n) {
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_FALSE(DecodeFile(cut.data(), cut.size(), h, recs)) << n;
  }
  const std::size_t first = U32(good, 4);  // the first record after the header
  struct Patch {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  };
  const Patch patches[] = {
      {"signature", 40, 0x12345678},
      {"file size beyond the bytes", 48, static_cast<std::uint32_t>(good.size() + 4)},
      {"record size not a multiple of 4", first + 4, 30},
      {"record size beyond the file", first + 4, 0x7FFFFFF0},
      {"record size zero", first + 4, 0},
      {"header inside the records", first, EMR_HEADER},
      {"description beyond the header", 64, 0xFFFF0},
  };
  for (const Patch& p : patches) {
    auto bad = good;
    for (int i = 0; i < 4; ++i) bad[p.at + i] = static_cast<std::uint8_t>(p.value >> (8 * i));
    EXPECT_FALSE(DecodeFile(bad.data(), bad.size(), h, recs)) << p.what;
  }
}

TEST(EmfRecord, CountsAndOffsetsBeyondTheRecordAreRejected) {
  struct Case {
    std::uint32_t type;
    std::size_t word;  // word whose value is made too large
  };
  const Case cases[] = {
      {EMR_POLYLINE16, 0},
      {EMR_POLYPOLYGON16, 0},
      {EMR_POLYPOLYGON16, 1},
      {EMR_EXTTEXTOUTW, ext_text::kChars},
      {EMR_EXTTEXTOUTW, ext_text::kOffString},
      {EMR_EXTTEXTOUTW, ext_text::kOffDx},
      {EMR_STRETCHDIBITS, stretch::kCbBits},
      {EMR_STRETCHDIBITS, stretch::kOffBmi},
      {EMR_EXTCREATEPEN, ext_pen::kNumEntries},
      {EMR_GRADIENTFILL, 0},
      {EMR_GRADIENTFILL, 1},
      {EMR_EXTSELECTCLIPRGN, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TypeName(c.type));
    std::vector<std::uint8_t> b;
    ASSERT_TRUE(EncodeRecord(Sample(c.type), b));
    const std::size_t at = 8 + (HasBounds(c.type) ? 16 : 0) + 4 * c.word;
    for (std::uint32_t v : {0x7FFFFFFFu, 0xFFFFFFFFu, static_cast<std::uint32_t>(b.size())}) {
      auto bad = b;
      for (int i = 0; i < 4; ++i) bad[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
      Record d;
      EXPECT_FALSE(DecodeRecord(bad.data(), bad.size(), d)) << v;
    }
  }
}

TEST(EmfRecord, UnknownKindsAreKeptAsRawBodies) {
  const std::vector<std::uint8_t> comment = {70, 0, 0, 0, 16, 0, 0, 0, 4, 0, 0, 0, 'a', 'b', 'c', 'd'};
  Record d;
  ASSERT_TRUE(DecodeRecord(comment.data(), comment.size(), d));
  EXPECT_EQ(d.type, EMR_GDICOMMENT);
  EXPECT_EQ(d.raw.size(), 8u);
  std::vector<std::uint8_t> again;
  ASSERT_TRUE(EncodeRecord(d, again));
  EXPECT_EQ(again, comment);
}
