// Pictures of the same drawing from different targets (bitmap, SVG, EMF,
// PDF) compared with a stated tolerance: each picture is cut to the
// rectangle its ink covers and scaled onto the reference's, both are
// blurred a little (so that a line one pixel aside, or anti-aliased on one
// side only, counts as nearly the same), and the difference is measured per
// square tile and per pixel. Regions of known, listed differences can be
// left out.
#pragma once

#include <string>
#include <vector>

#include "win/image.h"

namespace kvtest {

// A rectangle of pixels, right and bottom exclusive.
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
};

// The smallest rectangle holding every pixel with a channel below
// `paper` (white and near-white are paper); empty for a blank picture.
PixelRect InkBounds(const KvImage& image, int paper = 245);

// The part `from` of `image` scaled to w x h by averaging the source pixels
// that each target pixel covers.
KvImage CropAndScale(const KvImage& image, const PixelRect& from, int w, int h);

// Each channel averaged over the (2r+1) x (2r+1) square around the pixel.
KvImage BoxBlur(const KvImage& image, int r);

struct CompareOptions {
  // Same grid: the other picture is drawn on the reference's pixel grid (a
  // reader given the same size), compared where they overlap. By ink: the
  // other picture is cut to its ink rectangle and scaled onto the
  // reference's (a page at another resolution and place).
  enum class Align { SameGrid, ByInk } align = Align::SameGrid;
  int blurRadius = 2;
  int tile = 16;  // side of the square tiles, in pixels
  int pixelThreshold = 48;  // a blurred pixel differs when its channel mean moves more than this
  std::vector<PixelRect> masks;  // left out, in the reference's coordinates
};

struct PictureDifference {
  double worstTileMean = 0;  // the largest mean channel difference of a tile (0 .. 255)
  PixelRect worstTile;  // where, in the reference's coordinates
  double differingShare = 0;  // the share of compared pixels that differ (0 .. 1)
  double meanDifference = 0;  // the mean channel difference of the compared pixels
  long long compared = 0;  // pixels compared (outside the masks)
  KvImage difference;  // the blurred difference, for a person to look at
  std::string Describe() const;
};

// Compares `other` with `reference` inside the reference's ink rectangle,
// aligned as `options.align` says.
PictureDifference ComparePictures(const KvImage& reference, const KvImage& other, const CompareOptions& options);

// A picture made of the pixels of `image` inside `r` painted with `argb`:
// for planting a difference.
void FillRect(KvImage& image, const PixelRect& r, std::uint32_t argb);

}  // namespace kvtest
