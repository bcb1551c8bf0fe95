// Image readers and writers: PNG, BMP, DIB, ICO; bad input fails cleanly.
#include <gtest/gtest.h>

#include <cstring>

#include "win/image.h"

namespace {

KvImage Pattern(int w, int h, bool alpha) {
  KvImage im;
  im.width = w;
  im.height = h;
  im.hasAlpha = alpha;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t a = alpha ? static_cast<std::uint32_t>((x * 40 + y * 10) & 0xFF) : 0xFF;
      im.px.push_back((a << 24) | (static_cast<std::uint32_t>(x * 30) << 16) | (static_cast<std::uint32_t>(y * 50) << 8) | 0x11);
    }
  return im;
}

void Put32(std::vector<std::uint8_t>& o, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) o.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& o, std::uint16_t v) {
  o.push_back(static_cast<std::uint8_t>(v));
  o.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A BITMAPINFOHEADER.
void Info(std::vector<std::uint8_t>& o, int w, int h, int bpp, std::uint32_t clrUsed = 0) {
  Put32(o, 40);
  Put32(o, static_cast<std::uint32_t>(w));
  Put32(o, static_cast<std::uint32_t>(h));
  Put16(o, 1);
  Put16(o, static_cast<std::uint16_t>(bpp));
  Put32(o, 0);
  Put32(o, 0);
  Put32(o, 0);
  Put32(o, 0);
  Put32(o, clrUsed);
  Put32(o, 0);
}

}  // namespace

TEST(Png, WritesTheSameBytesAndReadsThePixelsBack) {
  for (bool alpha : {false, true}) {
    SCOPED_TRACE(alpha);
    const KvImage im = Pattern(7, 5, alpha);
    std::vector<std::uint8_t> a, b;
    ASSERT_TRUE(KvWritePng(im, a));
    ASSERT_TRUE(KvWritePng(im, b));
    EXPECT_EQ(a, b);
    EXPECT_EQ(KvSniffImage(a.data(), a.size()), KvImageFormat::Png);
    // No time or text chunks.
    const std::string s(a.begin(), a.end());
    EXPECT_EQ(s.find("tIME"), std::string::npos);
    EXPECT_EQ(s.find("tEXt"), std::string::npos);
    KvImage back;
    ASSERT_TRUE(KvReadPng(a.data(), a.size(), back));
    EXPECT_EQ(back.width, 7);
    EXPECT_EQ(back.height, 5);
    EXPECT_EQ(back.hasAlpha, alpha);
    EXPECT_EQ(back.px, im.px);
  }
}

TEST(Bmp, RoundTripsAndReadsPalettesBitfieldsAndTopDownRows) {
  for (bool alpha : {false, true}) {
    const KvImage im = Pattern(5, 3, alpha);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(KvWriteBmp(im, bytes));
    KvImage back;
    ASSERT_TRUE(KvReadBmp(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.px, im.px) << alpha;
  }
  // A 1-bit, 3 x 2, top-down packed DIB: black and white from its table.
  std::vector<std::uint8_t> dib;
  Info(dib, 3, -2, 1, 2);
  Put32(dib, 0x000000);
  Put32(dib, 0xFFFFFF);
  Put32(dib, 0x000000A0);  // row 0: 1 0 1
  Put32(dib, 0x00000040);  // row 1: 0 1 0
  KvImage one;
  ASSERT_TRUE(KvReadPackedDib(dib.data(), dib.size(), false, one));
  EXPECT_EQ(one.At(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(one.At(1, 0), 0xFF000000u);
  EXPECT_EQ(one.At(1, 1), 0xFFFFFFFFu);
  // 16-bit 5-6-5 bit fields, 1 x 1, pure green.
  std::vector<std::uint8_t> bf;
  Info(bf, 1, 1, 16);
  bf[16] = 3;  // BI_BITFIELDS
  Put32(bf, 0xF800);
  Put32(bf, 0x07E0);
  Put32(bf, 0x001F);
  Put32(bf, 0x07E0);
  KvImage green;
  ASSERT_TRUE(KvReadPackedDib(bf.data(), bf.size(), false, green));
  EXPECT_EQ(green.At(0, 0), 0xFF00FF00u);
}

TEST(Ico, ReadsDibEntriesWithTheirMaskAndPngEntries) {
  // Entry 1: a 2 x 2 24-bit DIB (height doubled) whose AND mask hides (1, 0).
  std::vector<std::uint8_t> dib;
  Info(dib, 2, 4, 24);
  for (int row = 0; row < 2; ++row) {  // bottom-up: row 0 is the image's last row
    for (int x = 0; x < 2; ++x) {
      dib.push_back(0x30);
      dib.push_back(0x20);
      dib.push_back(0x10);
    }
    dib.push_back(0);
    dib.push_back(0);
  }
  Put32(dib, 0x00000000);  // mask of the bottom row
  Put32(dib, 0x00000040);  // top row: bit of x = 1 set
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(KvWritePng(Pattern(16, 16, true), png));
  std::vector<std::uint8_t> ico;
  Put16(ico, 0);
  Put16(ico, 1);
  Put16(ico, 2);
  const std::uint32_t off1 = 6 + 32, off2 = off1 + static_cast<std::uint32_t>(dib.size());
  for (auto [w, len, off] : {std::tuple{2, dib.size(), off1}, std::tuple{16, png.size(), off2}}) {
    ico.push_back(static_cast<std::uint8_t>(w));
    ico.push_back(static_cast<std::uint8_t>(w));
    ico.push_back(0);
    ico.push_back(0);
    Put16(ico, 1);
    Put16(ico, 32);
    Put32(ico, static_cast<std::uint32_t>(len));
    Put32(ico, off);
  }
  ico.insert(ico.end(), dib.begin(), dib.end());
  ico.insert(ico.end(), png.begin(), png.end());
  std::vector<KvIconEntry> entries;
  bool cursor = true;
  ASSERT_TRUE(KvReadIco(ico.data(), ico.size(), entries, &cursor));
  EXPECT_FALSE(cursor);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].image.width, 2);
  EXPECT_EQ(entries[0].image.height, 2);
  EXPECT_EQ(entries[0].image.At(0, 0), 0xFF102030u);
  EXPECT_EQ(entries[0].image.At(1, 0) >> 24, 0u);  // masked out
  EXPECT_EQ(entries[1].image.width, 16);
  EXPECT_EQ(KvPickIconEntry(entries, 16, 16, 32), 1);
  EXPECT_EQ(KvPickIconEntry(entries, 2, 2, 32), 0);
  EXPECT_EQ(KvPickIconEntry(entries, 8, 8, 32), 1);  // the smallest larger one

  // Every truncation of the three formats fails cleanly.
  std::vector<std::uint8_t> bmp;
  ASSERT_TRUE(KvWriteBmp(Pattern(4, 4, false), bmp));
  for (const auto* file : {&ico, &png, &bmp}) {
    for (std::size_t n = 0; n + 1 < file->size(); n += (n < 64 ? 1 : 7)) {
      KvImage im;
      std::vector<std::uint8_t> cut(file->begin(), file->begin() + static_cast<std::ptrdiff_t>(n));
      if (file == &ico) {
        // An icon cut inside its second entry still has its first.
        std::vector<KvIconEntry> e;
        if (KvReadIco(cut.data(), cut.size(), e)) {
          EXPECT_GE(n, off2);
        }
      } else if (KvReadImage(cut.data(), cut.size(), im)) {
        // Only a PNG cut at or inside its closing IEND chunk still has all its pixels.
        EXPECT_TRUE(file == &png && n + 12 >= file->size()) << n << " of " << file->size();
        EXPECT_EQ(im.px, Pattern(16, 16, true).px);
      }
    }
  }
}

TEST(ImageReaders, RejectHostileHeaders) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<std::uint8_t> huge;  // 1-bit 100000 x 100000 with no bits
  Info(huge, 100000, 100000, 1);
  std::vector<std::uint8_t> bpp;
  Info(bpp, 1, 1, 7);
  Put32(bpp, 0);
  std::vector<std::uint8_t> rle;
  Info(rle, 1, 1, 8);
  rle[16] = 1;  // BI_RLE8
  Put32(rle, 0);
  std::vector<std::uint8_t> palette;  // claims 200 colours it does not have
  Info(palette, 1, 1, 8, 200);
  Put32(palette, 0);
  std::vector<std::uint8_t> neg;
  Info(neg, -5, 1, 24);
  Put32(neg, 0);
  const Case cases[] = {{"huge", huge}, {"7 bits", bpp}, {"run-length", rle}, {"short palette", palette}, {"negative width", neg}};
  for (const Case& c : cases) {
    KvImage im;
    EXPECT_FALSE(KvReadPackedDib(c.bytes.data(), c.bytes.size(), false, im)) << c.what;
  }
  const std::vector<std::uint8_t> icoBadOffset = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0xFF, 0xFF, 0, 0, 0x10, 0, 0, 0};
  std::vector<KvIconEntry> e;
  EXPECT_FALSE(KvReadIco(icoBadOffset.data(), icoBadOffset.size(), e));
  KvImage im;
  EXPECT_FALSE(KvReadImage(nullptr, 0, im));
  EXPECT_FALSE(KvReadImageFile("/nonexistent/file.png", im));
}
