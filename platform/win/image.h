// Image files: PNG (libpng), BMP and packed DIBs, ICO and CUR, read into
// plain ARGB pixels; PNG written with the same bytes for the same pixels.
// Every reader checks sizes and offsets against the bytes it is given:
// truncated or corrupt input answers false, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Pixels top-down, each 0xAARRGGBB, not premultiplied.
struct KvImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> px;
  bool hasAlpha = false;  // false: every pixel is opaque
  std::uint32_t At(int x, int y) const { return px[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
};

// Largest image accepted by the readers (pixels).
constexpr std::uint64_t kKvMaxImagePixels = std::uint64_t{1} << 26;

enum class KvImageFormat { Unknown, Png, Bmp, Ico, Cur, Emf };
// The format told by the first bytes.
KvImageFormat KvSniffImage(const std::uint8_t* data, std::size_t size);

bool KvReadPng(const std::uint8_t* data, std::size_t size, KvImage& out);
// A BMP file (file header, info header, colour table, bits).
bool KvReadBmp(const std::uint8_t* data, std::size_t size, KvImage& out);
// A DIB given as its header with colour table (`bmi`) and its bits. 1, 4, 8,
// 16, 24 and 32 bits, BI_RGB and BI_BITFIELDS; the alpha of 32-bit pixels is
// used only with `alpha32` (icons) or an alpha mask in the header.
bool KvReadDib(const std::uint8_t* bmi, std::size_t bmiSize, const std::uint8_t* bits, std::size_t bitsSize,
               bool alpha32, KvImage& out);
// A packed DIB (header, colour table and bits in one block).
bool KvReadPackedDib(const std::uint8_t* data, std::size_t size, bool alpha32, KvImage& out);

// One image of an icon or cursor file.
struct KvIconEntry {
  KvImage image;
  int bitCount = 32;  // colour depth of the entry
  int hotX = 0;  // cursors
  int hotY = 0;
};
// An icon (type 1) or cursor (type 2) file: every entry that decodes (PNG or
// DIB with its AND mask). False when the directory is bad or no entry decodes.
bool KvReadIco(const std::uint8_t* data, std::size_t size, std::vector<KvIconEntry>& out, bool* isCursor = nullptr);
// The entry that best fits a size and depth: the exact size with the largest
// depth not above `bitCount`, else the smallest larger one, else the largest.
// -1 for an empty list.
int KvPickIconEntry(const std::vector<KvIconEntry>& entries, int width, int height, int bitCount);

// Any of the formats above (an icon gives its first entry).
bool KvReadImage(const std::uint8_t* data, std::size_t size, KvImage& out);
bool KvReadImageFile(const std::string& path, KvImage& out);

// PNG bytes: 8-bit RGBA when the image has alpha, else RGB; no time or text
// chunks, so the same pixels always give the same bytes.
bool KvWritePng(const KvImage& image, std::vector<std::uint8_t>& out);
bool KvWritePngFile(const KvImage& image, const std::string& path);
// A BMP file: 24-bit bottom-up, or 32-bit with alpha when the image has alpha.
bool KvWriteBmp(const KvImage& image, std::vector<std::uint8_t>& out);
