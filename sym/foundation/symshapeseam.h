// The faces through which the value types and geometry reach pictures,
// bitmaps and canvases. The picture and rendering subsystems fill them; the
// values and hit tests here need nothing more than what these faces give.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "win/windef.h"

class SInputBinaryStream;
class SOutputBinaryStream;
struct SSymPoint;
struct SSymSize;
struct SSymRect;

// The picture a brush may hold.
class ISSymBrushPicture {
 public:
  virtual ~ISSymBrushPicture() = default;
  virtual bool IsMetaFile() const = 0;
  virtual bool IsBitmap() const = 0;
  // Writes the picture as a bitmap in the stream-bitmap form, over an opaque
  // background of the given colour.
  virtual void WriteStreamBitmap(SOutputBinaryStream& out, COLORREF background) const = 0;
};
using SSymBrushPicturePtr = std::shared_ptr<ISSymBrushPicture>;

// Makes a picture from a bitmap in the stream-bitmap form; null (or an
// exception) when no bitmap can be made. Installed by the picture subsystem.
using SSymStreamBitmapReader = SSymBrushPicturePtr (*)(SInputBinaryStream& in);
void SSymSetStreamBitmapReader(SSymStreamBitmapReader reader);
SSymStreamBitmapReader SSymGetStreamBitmapReader();

// A picture image as 32-bit ARGB pixels, rows from the top.
struct SSymPixelImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
  // 0xFF000000 when the pixel cannot be read.
  std::uint32_t GetPixel(int column, int row) const {
    if (column < 0 || row < 0 || column >= width || row >= height) return 0xFF000000u;
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
  // The picture's mask at a size in pixels (width or height 0: its own size);
  // false when none can be had.
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
