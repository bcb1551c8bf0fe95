#include "sym/dialogs/symdlgline.h"

#include <iterator>

namespace {
constexpr int kStyleEntries = 7;
constexpr int kCorners = 4;
// The arrow types of the source and destination tables, in entry order
// (their pictures differ, their types do not).
constexpr LONG kEndArrows[] = {24, 0,  1,  2,  33, 8,  34, 39, 3,  4,  5,  35, 6,  36, 40, 7,  38, 37, 25, 26,
                               9,  10, 14, 13, 12, 31, 32, 16, 17, 70, 18, 19, 20, 21, 22, 23, 27, 28, 29, 30};
// The centre table: the first twenty rows, then the two inheritance marks.
constexpr LONG kCentreArrows[] = {24, 0, 1, 2, 33, 8, 34, 39, 3, 4, 5, 35, 6, 36, 40, 7, 38, 37, 25, 26, 41, 42};

const LONG* RowsOf(SSymDlgLine::End end, int& count) {
  switch (end) {
    case SSymDlgLine::Source:
    case SSymDlgLine::Destination: count = int(std::size(kEndArrows)); return kEndArrows;
    case SSymDlgLine::Centre: count = int(std::size(kCentreArrows)); return kCentreArrows;
  }
  count = 0;
  return nullptr;
}
}  // namespace

int SSymDlgLine::StyleToIndex(LONG style) {
  if (style == StyleNotation) return 0;
  if (style == StyleInvisible) return 1;
  return style >= 1 && style + 1 < kStyleEntries ? int(style) + 1 : -1;
}

LONG SSymDlgLine::IndexToStyle(int index) {
  if (index == 0) return StyleNotation;
  if (index == 1) return StyleInvisible;
  return index > 1 && index < kStyleEntries ? index - 1 : -1;
}

int SSymDlgLine::WidthToIndex(LONG width, int count) {
  if (width < 0) return -1;
  if (width == 0) return 0 < count ? 0 : -1;
  // In 64 bits: the widest width must not wrap round when one is added.
  const long long w = (long long)width + 1;
  const long long q = w / 75;
  const long long index = w % 75 == 0 ? q + 2 : q - 1;
  return index >= 0 && index < count ? int(index) : -1;
}

LONG SSymDlgLine::IndexToWidth(int index) {
  if (index == 0) return 0;
  if (index >= 1 && index <= 5) return (index + 1) * 75;
  if (index >= 6 && index <= 9) return index * 75 - 151;
  return -1;
}

int SSymDlgLine::ShapeToCornerIndex(LONG shape) {
  if (shape == ShapeNone || shape < 0) return -1;
  const LONG corner = HasPerpendicular(shape) ? shape - ShapePerpendicular : shape;
  return corner < kCorners ? int(corner) : -1;
}

LONG SSymDlgLine::CornerToShape(int corner, bool perpendicularChecked) {
  if (corner < 0 || corner >= kCorners) return -1;
  return corner + (perpendicularChecked && CornerTakesPerpendicular(corner) ? ShapePerpendicular : 0);
}

int SSymDlgLine::ArrowRowCount(End end) {
  int count = 0;
  RowsOf(end, count);
  return count;
}

int SSymDlgLine::ArrowToIndex(End end, LONG type) {
  int count = 0;
  const LONG* rows = RowsOf(end, count);
  for (int i = 0; i < count; ++i)
    if (rows[i] == type) return i + 1;
  return 0;
}

LONG SSymDlgLine::IndexToArrow(End end, int index) {
  int count = 0;
  const LONG* rows = RowsOf(end, count);
  if (!rows || index < 0 || index > count) return -2;
  return index == 0 ? ArrowNotation : rows[index - 1];
}
