#include "kvcore/scolor.h"

#include <algorithm>
#include <cmath>

SString SColor::GetAsString() const {
  return SString::Format("%u, %u, %u", unsigned(GetRed()), unsigned(GetGreen()), unsigned(GetBlue()));
}

bool SColor::SetAsString(const SString& text, DWORD fallback) {
  const std::u16string& s = text.str();
  int parts[3];
  int count = 0;
  std::size_t i = 0;
  auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  while (i < s.size() && isBlank(s[i])) ++i;
  while (i < s.size()) {
    if (count == 3) {
      m_color = fallback;
      return false;
    }
    if (s[i] < u'0' || s[i] > u'9') {
      m_color = fallback;
      return false;
    }
    int v = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
      v = v * 10 + (s[i] - u'0');
      if (v > 255) {
        m_color = fallback;
        return false;
      }
      ++i;
    }
    parts[count++] = v;
    // One comma at most between components, blanks around it.
    bool comma = false;
    while (i < s.size() && (isBlank(s[i]) || (s[i] == u',' && !comma))) {
      if (s[i] == u',') comma = true;
      ++i;
    }
    if (comma && i == s.size()) {
      m_color = fallback;
      return false;
    }
  }
  if (count != 3) {
    m_color = fallback;
    return false;
  }
  m_color = RGB(static_cast<BYTE>(parts[0]), static_cast<BYTE>(parts[1]), static_cast<BYTE>(parts[2]));
  return true;
}

void SColor::GetHSLColor(double& hue, double& saturation, double& lightness) const {
  const double r = GetRed() / 255.0, g = GetGreen() / 255.0, b = GetBlue() / 255.0;
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  lightness = (mx + mn) / 2.0;
  if (mx == mn) {
    hue = 0.0;
    saturation = 0.0;
    return;
  }
  const double d = mx - mn;
  saturation = lightness > 0.5 ? d / (2.0 - mx - mn) : d / (mx + mn);
  double h;
  if (mx == r)
    h = (g - b) / d + (g < b ? 6.0 : 0.0);
  else if (mx == g)
    h = (b - r) / d + 2.0;
  else
    h = (r - g) / d + 4.0;
  hue = h / 6.0;
}

namespace {
double HueToRgb(double p, double q, double t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (t < 1.0 / 6) return p + (q - p) * 6 * t;
  if (t < 1.0 / 2) return q;
  if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
  return p;
}
BYTE ToByte(double v) { return static_cast<BYTE>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }
}  // namespace

void SColor::SetHSLColor(double hue, double saturation, double lightness) {
  hue = std::clamp(hue, 0.0, 1.0);
  saturation = std::clamp(saturation, 0.0, 1.0);
  lightness = std::clamp(lightness, 0.0, 1.0);
  if (saturation == 0.0) {
    const BYTE v = ToByte(lightness);
    m_color = RGB(v, v, v);
    return;
  }
  const double q = lightness < 0.5 ? lightness * (1 + saturation) : lightness + saturation - lightness * saturation;
  const double p = 2 * lightness - q;
  m_color = RGB(ToByte(HueToRgb(p, q, hue + 1.0 / 3)), ToByte(HueToRgb(p, q, hue)), ToByte(HueToRgb(p, q, hue - 1.0 / 3)));
}
