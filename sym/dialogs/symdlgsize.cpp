#include "sym/dialogs/symdlgsize.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

#include "kvcore/smodulestate.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symstrings.h"
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

// A length in `unit` as graphic units, before cutting.
static double ToGraphic(int unit, double value, int horizontal) {
  switch (unit) {
    case SSymDlgSize::Millimetre: return value * kGraphicPerInch / kMillimetresPerInch;
    case SSymDlgSize::Pixel: return value * kGraphicPerInch / SSymDlgSize::ScreenPixelsPerInch(horizontal);
    default: return value * kGraphicPerInch;
  }
}

long SSymDlgSize::GraphicToUnit(int unit, double value, int horizontal) {
  const double g = ToGraphic(unit, value, horizontal);
  // A typed value can be anything: never convert outside the range of a long.
  if (std::isnan(g)) return 0;
  if (g >= static_cast<double>(LONG_MAX)) return LONG_MAX;
  if (g <= static_cast<double>(LONG_MIN)) return LONG_MIN;
  return static_cast<long>(std::trunc(g));
}

SSymDlgSize::ReadResult SSymDlgSize::ReadTypedLength(int unit, const SString& text, int horizontal, LONG& graphic) {
  const std::u16string& s = text.str();
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == u' ' || s[b] == u'\t')) ++b;
  while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t')) --e;
  if (b == e) return ReadEmpty;
  bool negative = false;
  if (s[b] == u'-') {
    negative = true;
    ++b;
  }
  std::string number;
  int digits = 0, points = 0;
  for (std::size_t i = b; i < e; ++i) {
    const char16_t c = s[i];
    if (c >= u'0' && c <= u'9') {
      ++digits;
      number += char(c);
    } else if (c == u'.' && points == 0) {
      ++points;
      number += '.';
    } else {
      return ReadNotANumber;
    }
  }
  if (digits == 0) return ReadNotANumber;
  const double value = std::strtod(number.c_str(), nullptr);
  if (negative && value > 0) return ReadNotPositive;
  // Measured before cutting: the cut answer is clamped, which would let a
  // huge typed size through as the largest one.
  if (ToGraphic(unit, value, horizontal) > double(MaxLength)) return ReadTooLarge;
  const long converted = GraphicToUnit(unit, value, horizontal);
  if (converted <= 0) return ReadNotPositive;
  graphic = LONG(converted);
  return ReadOk;
}

bool SSymDlgSize::ReplaceUnitText(int unit, SString& caption) {
  const std::u16string& s = caption.str();
  const std::size_t open = s.find(u'(');
  if (open == std::u16string::npos) return false;
  SSetModuleState module(SSymGetModuleState());
  const UINT id = unit == Inch ? 1061 : unit == Millimetre ? 1063 : 1065;
  // The rest from the first ")" on; a ")" before the "(" closes nothing.
  const std::size_t close = s.find(u')', open);
  std::u16string out = s.substr(0, open + 1);
  out += SSymLoadString(id).str();
  if (close != std::u16string::npos) out += s.substr(close);
  caption = SString(out);
  return true;
}
