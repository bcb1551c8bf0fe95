#include "sym/foundation/symvalues.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

// ---- colours ------------------------------------------------------------------

namespace {
std::atomic<int> g_screenColorBits{0};

constexpr DWORD kPalette[16] = {0x000000, 0xFFFFFF, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF,
                                0xFFFF00, 0xFF00FF, 0x000080, 0x008000, 0x800000, 0x008080, 0x808000, 0x800080};
constexpr DWORD kSilver = 0xC0C0C0;
}  // namespace

void SSymNearestColor::SetScreenColorBits(int bits) { g_screenColorBits = bits; }

bool SSymNearestColor::UseHighColor() {
  int bits = g_screenColorBits;
  if (bits <= 0) {
    HDC dc = GetDC(nullptr);
    if (!dc) return true;
    bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
  }
  return bits > 8;
}

DWORD SSymNearestColor::GetNearestColor(DWORD color, int force) {
  if (force == 0 && UseHighColor()) return color;
  return ReduceToPalette(color);
}

DWORD SSymNearestColor::ReduceToPalette(DWORD color) {
  int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  // Snap near-primary components; the first rule that applies wins.
  if (r == 255 && g == 255) {
    if (b != 255) b = 0;
  } else if (r == 255 && b == 255) {
    g = 0;
  } else if (g == 255 && b == 255) {
    r = 0;
  } else if (r == 255) {
    if (g <= 128 && b <= 128) g = b = 0;
  } else if (g == 255) {
    if (r <= 224 && b <= 224) r = b = 0;
  } else if (b == 255) {
    if (g >= 129) {
      g = 255;
      r = 0;
    } else if (r <= 128) {
      r = g = 0;
    }
  } else if (r == 128 && g == 128) {
    if (b < 128) b = 0;
  } else if (r == 128 && b == 128) {
    if (g < 128) g = 0;
  } else if (g == 128 && b == 128) {
    if (r < 128) r = 0;
  }
  const bool has255 = r == 255 || g == 255 || b == 255;
  DWORD best = kPalette[0];
  long bestDist = -1;
  for (DWORD p : kPalette) {
    const long dr = r - GetRValue(p), dg = g - GetGValue(p), db = b - GetBValue(p);
    const long d = dr * dr + dg * dg + db * db;
    if (bestDist < 0) {
      bestDist = d;
      best = p;
    } else if (d < bestDist && !(p == kSilver && has255)) {
      bestDist = d;
      best = p;
    }
  }
  return best;
}

// ---- pens ---------------------------------------------------------------------

SString SSymPen::GetAsString() const {
  return SString::Format("%d %d ", static_cast<int>(m_style), static_cast<int>(m_width)) + m_color.GetAsString();
}

void SSymPen::SetAsString(const SString& text) {
  SString t(text);
  t.Trim(SString(u" \t\r\n"));
  // The first two blank-separated tokens are the style and the width; the
  // rest of the text is the colour.
  const std::u16string& s = t.str();
  auto isSep = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  std::size_t i = 0;
  SString tokens[2];
  for (auto& tok : tokens) {
    while (i < s.size() && isSep(s[i])) ++i;
    const std::size_t start = i;
    while (i < s.size() && !isSep(s[i])) ++i;
    tok = SString(s.substr(start, i - start));
  }
  m_style = tokens[0].ToLONG();
  m_width = tokens[1].ToLONG();
  m_color = SSymColor(SString(s.substr(i)), 0xFF000000);
}

LOGPEN SSymPen::GetLOGPEN() const {
  UINT code;
  switch (m_style & 0xF) {
    case Dash: code = PS_DASH; break;
    case Dot: code = PS_DOT; break;
    case DashDot: code = PS_DASHDOT; break;
    case DashDotDot: code = PS_DASHDOTDOT; break;
    case Alternate: code = PS_ALTERNATE; break;
    case NoLine: code = PS_NULL; break;
    default: code = PS_SOLID; break;
  }
  LOGPEN lp{};
  lp.lopnStyle = code | (static_cast<UINT>(m_style) & 0xFF00u);
  lp.lopnWidth.x = m_width;
  lp.lopnWidth.y = m_width;
  lp.lopnColor = m_color.GetColor();
  return lp;
}

void SSymPen::SetLOGPEN(const LOGPEN& lp) {
  LONG code;
  switch (lp.lopnStyle & PS_STYLE_MASK) {
    case PS_DASH: code = Dash; break;
    case PS_DOT: code = Dot; break;
    case PS_DASHDOT: code = DashDot; break;
    case PS_DASHDOTDOT: code = DashDotDot; break;
    case PS_NULL: code = NoLine; break;
    case PS_ALTERNATE: code = Alternate; break;
    default: code = Solid; break;
  }
  m_style = code | static_cast<LONG>(lp.lopnStyle & 0xFF00u);
  m_width = lp.lopnWidth.x;
  m_color = lp.lopnColor;
}

// ---- brushes ------------------------------------------------------------------

bool SSymBrush::UseMetaFile() const {
  if ((m_style != Picture && m_style != GradientPicture) || m_bitmapMode == 12) return false;
  return SPictureHolder::UseMetaFile();
}

bool SSymBrush::UseBitmap() const {
  if ((m_style != Picture && m_style != GradientPicture) || m_bitmapMode == 12) return false;
  return SPictureHolder::UseBitmap();
}

void SSymBrush::GetBackgroundInfo(SDrawBackground& bg) const {
  bg.SetDrawMode(m_bitmapMode);
  bg.SetPicture(GetPicture());
  bg.SetBackColor(m_color.GetColor());
  bg.SetGradientMode(m_gradientMode);
  bg.SetGradientColors(m_color.GetColor(), m_endColor.GetColor());
}

bool SSymBrush::UseGradient() const {
  return (m_style == Gradient || m_style == GradientPicture) && m_gradientMode != 0 &&
         (m_color.GetColor() != m_endColor.GetColor() || (m_gradientMode & 0x400) != 0);
}

LOGBRUSH SSymBrush::GetLOGBRUSH() const {
  LOGBRUSH lb{};
  switch (m_style) {
    case Hatched:
      lb.lbStyle = BS_HATCHED;
      lb.lbColor = m_color.GetColor();
      lb.lbHatch = m_hatch >= 1 && m_hatch <= 6 ? static_cast<ULONG_PTR>(m_hatch - 1) : 0;
      break;
    case Pattern:
      lb.lbStyle = BS_PATTERN;
      lb.lbColor = m_color.GetColor();
      break;
    case Hollow: lb.lbStyle = BS_HOLLOW; break;
    default:
      lb.lbStyle = BS_SOLID;
      lb.lbColor = m_color.GetColor();
      break;
  }
  return lb;
}

bool SSymBrush::operator==(const SSymBrush& o) const {
  return m_style == o.m_style && m_hatch == o.m_hatch && m_color.GetColor() == o.m_color.GetColor() &&
         GetPictureIdentity() == o.GetPictureIdentity() && m_bitmapMode == o.m_bitmapMode && m_gradientMode == o.m_gradientMode &&
         m_endColor.GetColor() == o.m_endColor.GetColor();
}

bool SSymBrush::operator<(const SSymBrush& o) const {
  if (m_style != o.m_style) return m_style < o.m_style;
  if (m_hatch != o.m_hatch) return m_hatch < o.m_hatch;
  return m_color.GetColor() < o.m_color.GetColor();
}

// ---- fonts --------------------------------------------------------------------

const SString& SGetArialString() {
  static const SString arial(u"Arial");
  return arial;
}

SSymFont::SSymFont(const LOGFONTW& lf) {
  int n = 0;
  while (n < LF_FACESIZE && lf.lfFaceName[n]) ++n;
  m_faceName = SString(lf.lfFaceName, n);
  m_size = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
  m_style = (lf.lfWeight > 500 ? Bold : 0) | (lf.lfItalic ? Italic : 0) | (lf.lfUnderline ? Underline : 0) |
            (lf.lfStrikeOut ? StrikeOut : 0);
  const int family = lf.lfPitchAndFamily & 0xF0;
  m_family = family <= 0x50 ? family : -1;
  // The pitch is the low two bits of the byte; the family bits beside it do
  // not make it unknown.
  const int pitch = lf.lfPitchAndFamily & 0x03;
  m_pitch = pitch <= 2 ? pitch : -1;
  m_option = 1;
  m_angle = lf.lfOrientation;
}

void SSymFont::Copy(const SSymFont& other) {
  m_faceName = other.m_faceName;
  m_size = other.m_size > 0 ? other.m_size : 8;
  m_style = other.m_style;
  m_family = other.m_family;
  m_pitch = other.m_pitch;
  m_option = other.m_option;
  m_angle = other.m_angle;
}

LOGFONTW SSymFont::GetLOGFONT() const {
  LOGFONTW lf{};
  lf.lfHeight = m_size < 1 ? -8 : -m_size;
  lf.lfWidth = 0;
  lf.lfEscapement = m_angle;
  lf.lfOrientation = m_angle;
  lf.lfWeight = (m_style & Bold) ? 700 : 400;
  lf.lfItalic = (m_style & Italic) ? 1 : 0;
  lf.lfUnderline = (m_style & Underline) ? 1 : 0;
  lf.lfStrikeOut = (m_style & StrikeOut) ? 1 : 0;
  lf.lfCharSet = 1;
  lf.lfOutPrecision = 5;
  lf.lfClipPrecision = 0;
  lf.lfQuality = 2;
  // An unknown pitch or family (-1) adds no bits.
  const int pitch = m_pitch >= 0 ? (m_pitch & 0x0F) : 0;
  const int family = m_family >= 0 ? (m_family & 0xF0) : 0;
  lf.lfPitchAndFamily = static_cast<BYTE>(pitch | family);
  const int n = std::min(m_faceName.GetLength(), LF_FACESIZE - 1);
  for (int i = 0; i < n; ++i) lf.lfFaceName[i] = m_faceName.GetAt(i);
  return lf;
}

SString SSymFont::GetAsString() const {
  SString s = m_faceName + "," + SString::FromInt(m_size) + ",";
  if (m_style == Normal) {
    s += "N";
  } else {
    if (m_style & Bold) s += "B";
    if (m_style & Italic) s += "I";
    if (m_style & Underline) s += "U";
    if (m_style & StrikeOut) s += "S";
  }
  return s;
}

void SSymFont::SetAsString(const SString& text) {
  if (text.GetLength() < 6) return;
  const SString blanks(u" \t\r\n");
  SString t(text);
  t.Trim(blanks);
  SStringTokenizer tok(t, SString(u","), true);
  SString face = tok.NextToken();
  if (face.GetLength() >= 32) return;
  SString size = tok.NextToken();
  size.Trim(blanks);
  SString letters = tok.NextToken();
  letters.Trim(blanks);
  m_faceName = face;
  m_size = size.IsEmpty() ? 8 : size.ToLONG();
  m_style = Normal;
  if (!letters.IsEmpty() && letters.GetAt(0) != u'N') {
    // Each letter sets its bit once, however often it is repeated.
    for (char16_t c : letters.str()) {
      switch (c) {
        case u'B': m_style |= Bold; break;
        case u'I': m_style |= Italic; break;
        case u'U': m_style |= Underline; break;
        case u'S': m_style |= StrikeOut; break;
        default: break;
      }
    }
  }
}

bool SSymFont::operator==(const SSymFont& o) const {
  return m_faceName == o.m_faceName && m_size == o.m_size && m_style == o.m_style && m_family == o.m_family &&
         m_pitch == o.m_pitch && m_option == o.m_option && m_angle == o.m_angle;
}

bool SSymFont::operator<(const SSymFont& o) const {
  const int c = m_faceName.Compare(o.m_faceName);
  if (c) return c < 0;
  if (m_size != o.m_size) return m_size < o.m_size;
  if (m_style != o.m_style) return m_style < o.m_style;
  if (m_family != o.m_family) return m_family < o.m_family;
  if (m_pitch != o.m_pitch) return m_pitch < o.m_pitch;
  return m_option < o.m_option;
}

// ---- font lists ---------------------------------------------------------------

const SSymFonts* SSymLstFonts::Find(const SString& name) const {
  for (const auto& e : *this)
    if (e.m_name == name) return &e;
  return nullptr;
}

SSymFonts* SSymLstFonts::Find(const SString& name) {
  for (auto& e : *this)
    if (e.m_name == name) return &e;
  return nullptr;
}

bool SSymLstFonts::operator==(const SSymLstFonts& o) const {
  if (GetCount() != o.GetCount()) return false;
  for (int i = 0; i < GetCount(); ++i) {
    const SSymFonts& a = GetAt(i);
    const SSymFonts& b = o.GetAt(i);
    if (a == b) continue;
    if (a.m_name == b.m_name) return false;
    if (std::find(o.begin(), o.end(), a) == o.end()) return false;
  }
  return true;
}
