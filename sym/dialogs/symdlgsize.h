// SSymDlgSize: lengths of the diagram (graphic units of 1/7200 inch) as the
// user reads and types them in dialogs, in inches (unit 0), millimetres
// (unit 1) or screen pixels (unit 2), in its least form: the two
// conversions the preference pages rely on.
#pragma once

class SSymDlgSize {
 public:
  enum Unit { Inch = 0, Millimetre = 1, Pixel = 2 };

  // A graphic length in `unit`. Pixels use the screen's logical pixels per
  // inch across (horizontal non-zero) or down, rounded half up to a whole
  // pixel. Any other unit answers the length in inches.
  static double UnitToGraphic(int unit, long graphic, int horizontal);
  // The inverse: a length typed in `unit` as graphic units, cut toward zero
  // and kept within the range of a long (a value that is not a number is 0).
  static long GraphicToUnit(int unit, double value, int horizontal);
  // The screen's logical pixels per inch across or down (96 without a screen).
  static int ScreenPixelsPerInch(int horizontal);
};
