// The sizes of the "Custom Shape" page of the symbol format sheet: how big
// its sample draws a symbol shape, and the size a symbol takes when a
// symbol shape is chosen for it.
#pragma once

#include "sym/foundation/symgeom.h"

class SSymDlgCustomShape {
 public:
  // The sample's frame: shapes are drawn 5600 wide, at most 7200 high.
  static constexpr LONG SampleWidth = 5600;
  static constexpr LONG SampleHeight = 4800;
  static constexpr LONG SampleMaxHeight = 7200;

  // The sample size of a shape of natural size w x h: 5600 wide at the
  // shape's proportions, narrowed to keep a height above 7200 at 7200; the
  // plain 5600 x 4800 for a shape without a natural size (w or h below 1).
  static SSymSize SampleSize(LONG w, LONG h);
  // The size a symbol of initial size W x H takes for a shape of natural
  // size w x h, at the shape's proportions: the width W when H / h is at
  // most W / w, else the height H; the natural size itself when that
  // result is outside half to twice the natural size (an empty W x H
  // included). W x H unchanged for a shape without a natural size.
  static SSymSize FittedSize(const SSymSize& initial, LONG w, LONG h);
};
