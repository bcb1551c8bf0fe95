#include "support/picture_compare.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace kvtest {

namespace {

std::size_t Index(const KvImage& img, int x, int y) {
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(img.width) + static_cast<std::size_t>(x);
}

int Channel(std::uint32_t p, int c) { return static_cast<int>((p >> (8 * c)) & 0xFF); }

KvImage Blank(int w, int h) {
  KvImage img;
  img.width = w;
  img.height = h;
  img.px.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0xFFFFFFFFu);
  return img;
}

bool Masked(const std::vector<PixelRect>& masks, int x, int y) {
  for (const PixelRect& m : masks)
    if (x >= m.left && x < m.right && y >= m.top && y < m.bottom) return true;
  return false;
}

}  // namespace

PixelRect InkBounds(const KvImage& image, int paper) {
  PixelRect r{image.width, image.height, 0, 0};
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t p = image.px[Index(image, x, y)];
      if (Channel(p, 0) < paper || Channel(p, 1) < paper || Channel(p, 2) < paper) {
        r.left = std::min(r.left, x);
        r.top = std::min(r.top, y);
        r.right = std::max(r.right, x + 1);
        r.bottom = std::max(r.bottom, y + 1);
      }
    }
  if (r.Empty()) return PixelRect{};
  return r;
}

KvImage CropAndScale(const KvImage& image, const PixelRect& from, int w, int h) {
  KvImage out = Blank(w, h);
  if (from.Empty() || w <= 0 || h <= 0) return out;
  const double sx = static_cast<double>(from.Width()) / w, sy = static_cast<double>(from.Height()) / h;
  for (int y = 0; y < h; ++y) {
    const int y0 = from.top + static_cast<int>(std::floor(y * sy));
    const int y1 = std::max(y0 + 1, from.top + static_cast<int>(std::ceil((y + 1) * sy)));
    for (int x = 0; x < w; ++x) {
      const int x0 = from.left + static_cast<int>(std::floor(x * sx));
      const int x1 = std::max(x0 + 1, from.left + static_cast<int>(std::ceil((x + 1) * sx)));
      long long sum[3] = {0, 0, 0};
      long long n = 0;
      for (int v = y0; v < std::min(y1, image.height); ++v)
        for (int u = x0; u < std::min(x1, image.width); ++u) {
          const std::uint32_t p = image.px[Index(image, u, v)];
          for (int c = 0; c < 3; ++c) sum[c] += Channel(p, c);
          ++n;
        }
      if (n == 0) continue;
      std::uint32_t p = 0xFF000000u;
      for (int c = 0; c < 3; ++c) p |= static_cast<std::uint32_t>((sum[c] + n / 2) / n) << (8 * c);
      out.px[Index(out, x, y)] = p;
    }
  }
  return out;
}

KvImage BoxBlur(const KvImage& image, int r) {
  if (r <= 0) return image;
  // Two passes of running sums (rows, then columns); the square is cut at the
  // picture's edges.
  const int w = image.width, h = image.height;
  std::vector<int> tmp(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
  for (int y = 0; y < h; ++y)
    for (int c = 0; c < 3; ++c) {
      int sum = 0, n = 0;
      for (int x = 0; x < std::min(r, w); ++x) sum += Channel(image.px[Index(image, x, y)], c), ++n;
      for (int x = 0; x < w; ++x) {
        if (x + r < w) sum += Channel(image.px[Index(image, x + r, y)], c), ++n;
        if (x - r - 1 >= 0) sum -= Channel(image.px[Index(image, x - r - 1, y)], c), --n;
        tmp[Index(image, x, y) * 3 + static_cast<std::size_t>(c)] = (sum + n / 2) / n;
      }
    }
  KvImage out = Blank(w, h);
  for (int x = 0; x < w; ++x)
    for (int c = 0; c < 3; ++c) {
      int sum = 0, n = 0;
      for (int y = 0; y < std::min(r, h); ++y) sum += tmp[Index(image, x, y) * 3 + static_cast<std::size_t>(c)], ++n;
      for (int y = 0; y < h; ++y) {
        if (y + r < h) sum += tmp[Index(image, x, y + r) * 3 + static_cast<std::size_t>(c)], ++n;
        if (y - r - 1 >= 0) sum -= tmp[Index(image, x, y - r - 1) * 3 + static_cast<std::size_t>(c)], --n;
        out.px[Index(out, x, y)] &= ~(0xFFu << (8 * c));
        out.px[Index(out, x, y)] |= static_cast<std::uint32_t>((sum + n / 2) / n) << (8 * c);
      }
    }
  return out;
}

PictureDifference ComparePictures(const KvImage& reference, const KvImage& other, const CompareOptions& options) {
  PictureDifference d;
  const PixelRect ink = InkBounds(reference);
  if (ink.Empty()) return d;
  // Both cut to their ink and laid on the reference's ink rectangle.
  const KvImage a = BoxBlur(CropAndScale(reference, ink, ink.Width(), ink.Height()), options.blurRadius);
  const PixelRect from = options.align == CompareOptions::Align::ByInk ? InkBounds(other) : ink;
  const KvImage b = BoxBlur(CropAndScale(other, from, ink.Width(), ink.Height()), options.blurRadius);
  d.difference = Blank(ink.Width(), ink.Height());
  std::vector<PixelRect> masks;
  for (PixelRect m : options.masks) {
    m.left -= ink.left, m.right -= ink.left, m.top -= ink.top, m.bottom -= ink.top;
    masks.push_back(m);
  }
  const int t = std::max(1, options.tile);
  long long differing = 0, total = 0;
  for (int ty = 0; ty < a.height; ty += t)
    for (int tx = 0; tx < a.width; tx += t) {
      long long sum = 0, n = 0;
      for (int y = ty; y < std::min(ty + t, a.height); ++y)
        for (int x = tx; x < std::min(tx + t, a.width); ++x) {
          const std::uint32_t pa = a.px[Index(a, x, y)], pb = b.px[Index(b, x, y)];
          int diff = 0;
          for (int c = 0; c < 3; ++c) diff += std::abs(Channel(pa, c) - Channel(pb, c));
          diff = (diff + 1) / 3;
          const std::uint32_t g = static_cast<std::uint32_t>(255 - diff);
          d.difference.px[Index(a, x, y)] = 0xFF000000u | g << 16 | g << 8 | g;
          if (Masked(masks, x, y)) continue;
          sum += diff;
          ++n;
          differing += diff > options.pixelThreshold;
        }
      if (n == 0) continue;
      d.compared += n;
      total += sum;
      const double mean = static_cast<double>(sum) / static_cast<double>(n);
      if (mean > d.worstTileMean) {
        d.worstTileMean = mean;
        d.worstTile = PixelRect{tx + ink.left, ty + ink.top, std::min(tx + t, a.width) + ink.left,
                                std::min(ty + t, a.height) + ink.top};
      }
    }
  d.meanDifference = d.compared ? static_cast<double>(total) / static_cast<double>(d.compared) : 0;
  d.differingShare = d.compared ? static_cast<double>(differing) / static_cast<double>(d.compared) : 0;
  return d;
}

std::string PictureDifference::Describe() const {
  char buf[200];
  std::snprintf(buf, sizeof buf, "worst tile mean %.1f at (%d,%d)-(%d,%d); mean %.2f; %.3f%% of %lld pixels differ",
                worstTileMean, worstTile.left, worstTile.top, worstTile.right, worstTile.bottom, meanDifference,
                differingShare * 100, compared);
  return buf;
}

void FillRect(KvImage& image, const PixelRect& r, std::uint32_t argb) {
  for (int y = std::max(0, r.top); y < std::min(r.bottom, image.height); ++y)
    for (int x = std::max(0, r.left); x < std::min(r.right, image.width); ++x) image.px[Index(image, x, y)] = argb;
}

}  // namespace kvtest
