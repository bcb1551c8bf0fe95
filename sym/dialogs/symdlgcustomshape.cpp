#include "sym/dialogs/symdlgcustomshape.h"

#include <cstdlib>

SSymSize SSymDlgCustomShape::SampleSize(LONG w, LONG h) {
  if (w < 1 || h < 1) return SSymSize(SampleWidth, SampleHeight);
  long long width = SampleWidth;
  long long height = static_cast<long long>(h) * SampleWidth / w;
  if (height > SampleMaxHeight) {
    width = static_cast<long long>(SampleWidth) * SampleMaxHeight / height;
    height = SampleMaxHeight;
  }
  return SSymSize(LONG(width), LONG(height));
}

SSymSize SSymDlgCustomShape::FittedSize(const SSymSize& initial, LONG w, LONG h) {
  if (w < 1 || h < 1) return initial;
  const long long W = std::llabs(initial.cx), H = std::llabs(initial.cy);
  long long width = 0, height = 0;
  if (double(H) / h <= double(W) / w) {
    width = W;
    height = W * h / w;
  } else {
    height = H;
    width = H * w / h;
  }
  if (width < w / 2 || width > 2LL * w || height < h / 2 || height > 2LL * h) return SSymSize(w, h);
  return SSymSize(LONG(width), LONG(height));
}
