// Image readers and writers.
#include "win/image.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
void Put32(std::vector<std::uint8_t>& o, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) o.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& o, std::uint16_t v) {
  o.push_back(static_cast<std::uint8_t>(v));
  o.push_back(static_cast<std::uint8_t>(v >> 8));
}

bool SizeOk(std::int64_t w, std::int64_t h) {
  return w > 0 && h > 0 && static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) <= kKvMaxImagePixels;
}

// Value of a channel under a bit mask, scaled to 0..255.
struct Mask {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Mask(std::uint32_t m = 0) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (bits < 32 - shift && ((m >> (shift + bits)) & 1)) ++bits;
  }
  std::uint32_t Get(std::uint32_t v) const {
    if (!mask || !bits) return 0;
    const std::uint32_t x = (v & mask) >> shift;
    const std::uint32_t max = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(std::min(x, max)) * 255 + max / 2) / max);
  }
};

bool FromPngImage(png_image& img, KvImage& out) {
  if (!SizeOk(img.width, img.height)) {
    png_image_free(&img);
    return false;
  }
  img.format = PNG_FORMAT_BGRA;  // little-endian words of 0xAARRGGBB
  out.width = static_cast<int>(img.width);
  out.height = static_cast<int>(img.height);
  out.px.assign(static_cast<std::size_t>(img.width) * img.height, 0);
  if (!png_image_finish_read(&img, nullptr, out.px.data(), static_cast<png_int_32>(img.width * 4), nullptr)) {
    png_image_free(&img);
    out = KvImage{};
    return false;
  }
  out.hasAlpha = std::any_of(out.px.begin(), out.px.end(), [](std::uint32_t v) { return (v >> 24) != 0xFF; });
  return true;
}

}  // namespace

KvImageFormat KvSniffImage(const std::uint8_t* d, std::size_t n) {
  if (!d) return KvImageFormat::Unknown;
  if (n >= 8 && std::memcmp(d, "\x89PNG\r\n\x1a\n", 8) == 0) return KvImageFormat::Png;
  if (n >= 2 && d[0] == 'B' && d[1] == 'M') return KvImageFormat::Bmp;
  if (n >= 44 && Get32(d) == 1 && Get32(d + 40) == 0x464D4520) return KvImageFormat::Emf;
  if (n >= 6 && Get16(d) == 0 && (Get16(d + 2) == 1 || Get16(d + 2) == 2) && Get16(d + 4) > 0)
    return Get16(d + 2) == 1 ? KvImageFormat::Ico : KvImageFormat::Cur;
  return KvImageFormat::Unknown;
}

bool KvReadPng(const std::uint8_t* data, std::size_t size, KvImage& out) {
  out = KvImage{};
  if (!data || size < 8) return false;
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&img, data, size)) return false;
  return FromPngImage(img, out);
}

bool KvReadDib(const std::uint8_t* bmi, std::size_t bmiSize, const std::uint8_t* bits, std::size_t bitsSize,
               bool alpha32, KvImage& out) {
  out = KvImage{};
  if (!bmi || bmiSize < 12) return false;
  const std::uint32_t hdr = Get32(bmi);
  std::int64_t w = 0, h = 0;
  int bpp = 0;
  std::uint32_t compression = 0, clrUsed = 0;
  std::size_t palEntry = 4;
  if (hdr == 12) {  // BITMAPCOREHEADER
    w = Get16(bmi + 4);
    h = static_cast<std::int16_t>(Get16(bmi + 6));
    bpp = Get16(bmi + 10);
    palEntry = 3;
  } else if (hdr >= 40 && hdr <= bmiSize) {
    w = static_cast<std::int32_t>(Get32(bmi + 4));
    h = static_cast<std::int32_t>(Get32(bmi + 8));
    bpp = Get16(bmi + 14);
    compression = Get32(bmi + 16);
    clrUsed = Get32(bmi + 32);
  } else {
    return false;
  }
  if (hdr > bmiSize) return false;
  const bool topDown = h < 0;
  if (topDown) h = -h;
  if (!SizeOk(w, h)) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  std::size_t at = hdr;
  // Channel masks.
  Mask r, g, b, a;
  if (compression == 3 || compression == 6) {  // BI_BITFIELDS, BI_ALPHABITFIELDS
    if (bpp != 16 && bpp != 32) return false;
    const std::size_t n = compression == 6 ? 4 : 3;
    const std::uint8_t* m = nullptr;
    if (hdr >= 40 + 4 * n) {
      m = bmi + 40;
    } else {
      if (at + 4 * n > bmiSize) return false;
      m = bmi + at;
      at += 4 * n;
    }
    r = Mask(Get32(m));
    g = Mask(Get32(m + 4));
    b = Mask(Get32(m + 8));
    if (n == 4) a = Mask(Get32(m + 12));
    else if (hdr >= 56) a = Mask(Get32(bmi + 52));
  } else if (compression != 0) {
    return false;  // run-length and embedded formats are not read
  } else if (bpp == 16) {
    r = Mask(0x7C00);
    g = Mask(0x03E0);
    b = Mask(0x001F);
  } else if (bpp >= 24) {
    r = Mask(0xFF0000);
    g = Mask(0x00FF00);
    b = Mask(0x0000FF);
    if (bpp == 32 && alpha32) a = Mask(0xFF000000);
  }
  // Colour table.
  std::vector<std::uint32_t> pal;
  if (bpp <= 8) {
    std::uint64_t n = clrUsed ? clrUsed : (1u << bpp);
    n = std::min<std::uint64_t>(n, 256);
    if (at + n * palEntry > bmiSize) {
      if (clrUsed) return false;
      n = (bmiSize - at) / palEntry;  // a short default table: the rest is black
    }
    for (std::uint64_t i = 0; i < n; ++i) {
      const std::uint8_t* p = bmi + at + i * palEntry;
      pal.push_back(0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[0]);
    }
  }
  const std::uint64_t stride = ((static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(bpp) + 31) / 32) * 4;
  if (!bits || stride * static_cast<std::uint64_t>(h) > bitsSize) return false;
  out.width = static_cast<int>(w);
  out.height = static_cast<int>(h);
  out.px.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
  bool anyAlpha = false;
  for (std::int64_t y = 0; y < h; ++y) {
    const std::uint8_t* row = bits + static_cast<std::size_t>(stride) * static_cast<std::size_t>(topDown ? y : h - 1 - y);
    std::uint32_t* dst = &out.px[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)];
    for (std::int64_t x = 0; x < w; ++x) {
      std::uint32_t v = 0;
      if (bpp <= 8) {
        const std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(bpp);
        const std::uint32_t idx = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        v = idx < pal.size() ? pal[idx] : 0xFF000000u;
      } else {
        std::uint32_t raw = 0;
        const std::uint8_t* p = row + static_cast<std::size_t>(x) * static_cast<std::size_t>(bpp / 8);
        if (bpp == 16) raw = Get16(p);
        else if (bpp == 24) raw = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
        else raw = Get32(p);
        const std::uint32_t al = a.mask ? a.Get(raw) : 255;
        if (a.mask && al) anyAlpha = true;
        v = (al << 24) | (r.Get(raw) << 16) | (g.Get(raw) << 8) | b.Get(raw);
      }
      dst[x] = v;
    }
  }
  // A 32-bit image whose alpha is zero everywhere carries no alpha at all.
  if (a.mask && !anyAlpha)
    for (auto& v : out.px) v |= 0xFF000000u;
  out.hasAlpha = a.mask && anyAlpha &&
                 std::any_of(out.px.begin(), out.px.end(), [](std::uint32_t v) { return (v >> 24) != 0xFF; });
  return true;
}

bool KvReadPackedDib(const std::uint8_t* data, std::size_t size, bool alpha32, KvImage& out) {
  out = KvImage{};
  if (!data || size < 12) return false;
  const std::uint32_t hdr = Get32(data);
  if (hdr != 12 && (hdr < 40 || hdr > size)) return false;
  std::size_t tableEnd = hdr;
  int bpp = 0;
  std::uint32_t clrUsed = 0, compression = 0;
  std::size_t entry = 4;
  if (hdr == 12) {
    bpp = Get16(data + 10);
    entry = 3;
  } else {
    bpp = Get16(data + 14);
    compression = Get32(data + 16);
    clrUsed = Get32(data + 32);
  }
  if (compression == 3 && hdr == 40) tableEnd += 12;
  if (compression == 6 && hdr == 40) tableEnd += 16;
  if (bpp <= 8 && bpp > 0) tableEnd += entry * std::min<std::uint32_t>(clrUsed ? clrUsed : (1u << bpp), 256);
  if (tableEnd > size) return false;
  return KvReadDib(data, tableEnd, data + tableEnd, size - tableEnd, alpha32, out);
}

bool KvReadBmp(const std::uint8_t* data, std::size_t size, KvImage& out) {
  out = KvImage{};
  if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
  const std::uint32_t offBits = Get32(data + 10);
  const std::uint32_t hdr = Get32(data + 14);
  if (offBits < 14 + 12 || offBits > size) return false;
  if (hdr != 12 && (hdr < 40 || 14 + static_cast<std::uint64_t>(hdr) > offBits)) return false;
  // With alpha only when the header has an alpha mask (V3 and later).
  return KvReadDib(data + 14, offBits - 14, data + offBits, size - offBits, false, out);
}

bool KvReadIco(const std::uint8_t* data, std::size_t size, std::vector<KvIconEntry>& out, bool* isCursor) {
  out.clear();
  if (!data || size < 6 || Get16(data) != 0) return false;
  const std::uint16_t type = Get16(data + 2);
  const std::uint16_t count = Get16(data + 4);
  if ((type != 1 && type != 2) || count == 0 || 6 + 16 * static_cast<std::size_t>(count) > size) return false;
  if (isCursor) *isCursor = type == 2;
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint8_t* e = data + 6 + 16 * static_cast<std::size_t>(i);
    const std::uint32_t len = Get32(e + 8);
    const std::uint32_t off = Get32(e + 12);
    if (off > size || len > size - off || len < 12) continue;
    const std::uint8_t* p = data + off;
    KvIconEntry entry;
    if (type == 2) {
      entry.hotX = Get16(e + 4);
      entry.hotY = Get16(e + 6);
    }
    if (len >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0) {
      if (!KvReadPng(p, len, entry.image)) continue;
      entry.bitCount = 32;
      out.push_back(std::move(entry));
      continue;
    }
    // A DIB whose height counts the colour image and the AND mask.
    const std::uint32_t hdr = Get32(p);
    if (hdr < 40 || hdr > len) continue;
    std::vector<std::uint8_t> head(p, p + len);
    const std::int32_t fullH = static_cast<std::int32_t>(Get32(p + 8));
    const std::int32_t w = static_cast<std::int32_t>(Get32(p + 4));
    if (fullH <= 0 || fullH % 2 || w <= 0) continue;
    const std::int32_t h = fullH / 2;
    for (int k = 0; k < 4; ++k) head[8 + k] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(h) >> (8 * k));
    const int bpp = Get16(p + 14);
    KvImage img;
    if (!KvReadPackedDib(head.data(), head.size(), true, img)) continue;
    // The AND mask follows the colour bits.
    const std::uint64_t colorStride = ((static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(bpp) + 31) / 32) * 4;
    std::size_t table = hdr;
    const std::uint32_t clrUsed = Get32(p + 32);
    if (bpp <= 8) table += 4 * std::min<std::uint32_t>(clrUsed ? clrUsed : (1u << bpp), 256);
    const std::uint64_t maskOff = table + colorStride * static_cast<std::uint64_t>(h);
    const std::uint64_t maskStride = ((static_cast<std::uint64_t>(w) + 31) / 32) * 4;
    const bool hasMask = maskOff + maskStride * static_cast<std::uint64_t>(h) <= len;
    if (!img.hasAlpha && hasMask) {
      for (std::int32_t y = 0; y < h; ++y) {
        const std::uint8_t* row = p + maskOff + maskStride * static_cast<std::uint64_t>(h - 1 - y);
        for (std::int32_t x = 0; x < w; ++x)
          if ((row[x / 8] >> (7 - x % 8)) & 1) {
            img.px[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] = 0;
            img.hasAlpha = true;
          }
      }
    }
    entry.image = std::move(img);
    entry.bitCount = bpp;
    out.push_back(std::move(entry));
  }
  return !out.empty();
}

int KvPickIconEntry(const std::vector<KvIconEntry>& entries, int width, int height, int bitCount) {
  if (entries.empty()) return -1;
  int best = -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const KvIconEntry& e = entries[i];
    if (e.image.width != width || e.image.height != height || e.bitCount > bitCount) continue;
    if (best < 0 || e.bitCount > entries[static_cast<std::size_t>(best)].bitCount) best = static_cast<int>(i);
  }
  if (best >= 0) return best;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const KvImage& im = entries[i].image;
    if (im.width < width || im.height < height) continue;
    if (best < 0 || static_cast<std::int64_t>(im.width) * im.height <
                        static_cast<std::int64_t>(entries[static_cast<std::size_t>(best)].image.width) *
                            entries[static_cast<std::size_t>(best)].image.height)
      best = static_cast<int>(i);
  }
  if (best >= 0) return best;
  best = 0;
  for (std::size_t i = 1; i < entries.size(); ++i)
    if (static_cast<std::int64_t>(entries[i].image.width) * entries[i].image.height >
        static_cast<std::int64_t>(entries[static_cast<std::size_t>(best)].image.width) *
            entries[static_cast<std::size_t>(best)].image.height)
      best = static_cast<int>(i);
  return best;
}

bool KvReadImage(const std::uint8_t* data, std::size_t size, KvImage& out) {
  switch (KvSniffImage(data, size)) {
    case KvImageFormat::Png: return KvReadPng(data, size, out);
    case KvImageFormat::Bmp: return KvReadBmp(data, size, out);
    case KvImageFormat::Ico:
    case KvImageFormat::Cur: {
      std::vector<KvIconEntry> entries;
      if (!KvReadIco(data, size, entries)) return false;
      out = std::move(entries.front().image);
      return true;
    }
    default:
      out = KvImage{};
      return false;
  }
}

bool KvReadImageFile(const std::string& path, KvImage& out) {
  out = KvImage{};
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  return KvReadImage(bytes.data(), bytes.size(), out);
}

bool KvWritePng(const KvImage& image, std::vector<std::uint8_t>& out) {
  out.clear();
  if (!SizeOk(image.width, image.height) ||
      image.px.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
    return false;
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  img.width = static_cast<png_uint_32>(image.width);
  img.height = static_cast<png_uint_32>(image.height);
  img.format = image.hasAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
  std::vector<std::uint8_t> rows;
  const void* buffer = image.px.data();
  png_int_32 stride = image.width * 4;
  if (!image.hasAlpha) {  // packed BGR rows
    rows.reserve(image.px.size() * 3);
    for (std::uint32_t v : image.px) {
      rows.push_back(static_cast<std::uint8_t>(v));
      rows.push_back(static_cast<std::uint8_t>(v >> 8));
      rows.push_back(static_cast<std::uint8_t>(v >> 16));
    }
    buffer = rows.data();
    stride = image.width * 3;
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&img, nullptr, &size, 0, buffer, stride, nullptr) || size == 0) {
    png_image_free(&img);
    return false;
  }
  out.resize(size);
  if (!png_image_write_to_memory(&img, out.data(), &size, 0, buffer, stride, nullptr)) {
    png_image_free(&img);
    out.clear();
    return false;
  }
  out.resize(size);
  return true;
}

bool KvWritePngFile(const KvImage& image, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!KvWritePng(image, bytes)) return false;
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

bool KvWriteBmp(const KvImage& image, std::vector<std::uint8_t>& out) {
  out.clear();
  if (!SizeOk(image.width, image.height) ||
      image.px.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
    return false;
  const int bpp = image.hasAlpha ? 32 : 24;
  const std::uint32_t stride = ((static_cast<std::uint32_t>(image.width) * bpp + 31) / 32) * 4;
  const std::uint32_t bitsSize = stride * static_cast<std::uint32_t>(image.height);
  const std::uint32_t hdr = image.hasAlpha ? 56 : 40;  // with channel masks when there is alpha
  const std::uint32_t off = 14 + hdr;
  out.push_back('B');
  out.push_back('M');
  Put32(out, off + bitsSize);
  Put32(out, 0);
  Put32(out, off);
  Put32(out, hdr);
  Put32(out, static_cast<std::uint32_t>(image.width));
  Put32(out, static_cast<std::uint32_t>(image.height));
  Put16(out, 1);
  Put16(out, static_cast<std::uint16_t>(bpp));
  Put32(out, image.hasAlpha ? 3 : 0);
  Put32(out, bitsSize);
  Put32(out, 3780);
  Put32(out, 3780);
  Put32(out, 0);
  Put32(out, 0);
  if (image.hasAlpha) {
    Put32(out, 0x00FF0000);
    Put32(out, 0x0000FF00);
    Put32(out, 0x000000FF);
    Put32(out, 0xFF000000);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t start = out.size();
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t v = image.At(x, y);
      out.push_back(static_cast<std::uint8_t>(v));
      out.push_back(static_cast<std::uint8_t>(v >> 8));
      out.push_back(static_cast<std::uint8_t>(v >> 16));
      if (bpp == 32) out.push_back(static_cast<std::uint8_t>(v >> 24));
    }
    while ((out.size() - start) % 4) out.push_back(0);
  }
  return true;
}
