#include "sym/dialogs/symdlgsize.h"

#include <climits>
#include <cmath>

#include "win/wingdi.h"

namespace {
constexpr double kGraphicPerInch = 7200.0;
constexpr double kMillimetresPerInch = 25.4;
}  // namespace

int SSymDlgSize::ScreenPixelsPerInch(int horizontal) {
  HDC screen = GetDC(nullptr);
  int ppi = screen ? GetDeviceCaps(screen, horizontal ? LOGPIXELSX : LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return ppi > 0 ? ppi : 96;
}

double SSymDlgSize::UnitToGraphic(int unit, long graphic, int horizontal) {
  const double v = static_cast<double>(graphic);
  switch (unit) {
    case Millimetre: return v * kMillimetresPerInch / kGraphicPerInch;
    case Pixel: return std::trunc(v * ScreenPixelsPerInch(horizontal) / kGraphicPerInch + 0.5);
    default: return v / kGraphicPerInch;
  }
}

long SSymDlgSize::GraphicToUnit(int unit, double value, int horizontal) {
  double g;
  switch (unit) {
    case Millimetre: g = value * kGraphicPerInch / kMillimetresPerInch; break;
    case Pixel: g = value * kGraphicPerInch / ScreenPixelsPerInch(horizontal); break;
    default: g = value * kGraphicPerInch; break;
  }
  // A typed value can be anything: never convert outside the range of a long.
  if (std::isnan(g)) return 0;
  if (g >= static_cast<double>(LONG_MAX)) return LONG_MAX;
  if (g <= static_cast<double>(LONG_MIN)) return LONG_MIN;
  return static_cast<long>(std::trunc(g));
}
