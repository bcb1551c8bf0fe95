// The faces through which the hit tests reach pictures and canvases, and the
// picture symbol size reaches a scaler. Picture records answer through an
// adapter of their own (symgeom); the rendering subsystem's view canvas and
// scaler implement the canvas and scale faces.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "win/windef.h"

struct SSymPoint;
struct SSymSize;
struct SSymRect;

// A picture image as 32-bit ARGB pixels, rows from the top.
struct SSymPixelImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
  // Reads one pixel in place of argb when set.
  std::function<std::uint32_t(int column, int row)> reader;
  // 0xFF000000 when the pixel cannot be read.
  std::uint32_t GetPixel(int column, int row) const {
    if (column < 0 || row < 0 || column >= width || row >= height) return 0xFF000000u;
    if (reader) return reader(column, row);
    const std::size_t i = static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(column);
    return i < argb.size() ? argb[i] : 0xFF000000u;
  }
};

// The picture of a picture symbol, as the hit tests see it.
class ISSymHitPicture {
 public:
  enum Kind { MetaFile = 2, Bitmap = 3, Icon = 4, Cursor = 5 };
  virtual ~ISSymHitPicture() = default;
  virtual int GetKind() const = 0;
  // The bitmap's pixels; false when none can be had.
  virtual bool GetBitmap(SSymPixelImage& image) const = 0;
  // The picture's mask at a size in pixels (width or height 0: its own size),
  // drawn pixels opaque and the others opaque white; false when none can be had.
  virtual bool GetMask(int width, int height, SSymPixelImage& image) const = 0;
};

// The view canvas's conversions between diagram units and device pixels.
class ISSymHitCanvas {
 public:
  virtual ~ISSymHitCanvas() = default;
  virtual POINT ToDevice(const SSymPoint& pt) const = 0;
  virtual SSymPoint ToDiagram(const POINT& pt) const = 0;
  // The rectangle in device pixels (exclusive right and bottom).
  virtual RECT ToDevice(const SSymRect& rect) const = 0;
};

// The conversion of a picture's pixel size to diagram units (the scaler).
class ISSymPixelScale {
 public:
  virtual ~ISSymPixelScale() = default;
  virtual SSymSize PixelsToUnits(const SSymSize& pixels) const = 0;
};
