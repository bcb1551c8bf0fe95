#include "sym/dialogs/symdlgfrmtobjt.h"

#include <optional>
#include <vector>

namespace {

// A whole decimal number (an optional sign, then digits only).
std::optional<long> ReadWhole(const SString& part) {
  const std::u16string& s = part.str();
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
  if (i == s.size()) return std::nullopt;
  long value = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return std::nullopt;
    if (value > 100000000L) return std::nullopt;  // far beyond any size or component
    value = value * 10 + (s[i] - u'0');
  }
  return negative ? -value : value;
}

}  // namespace

SString SSymDlgFrmtObjt::FontToString(const SSymFonts& font) {
  const SSymFont& f = font.m_font;
  const LONG style = f.GetStyle();
  SString letters;
  if (style & SSymFont::Bold) letters += u'B';
  if (style & SSymFont::Italic) letters += u'I';
  if (style & SSymFont::Underline) letters += u'U';
  if (style & SSymFont::StrikeOut) letters += u'S';
  if (letters.IsEmpty()) letters = SString(u"N");
  const COLORREF color = font.m_color.GetColor();
  return f.GetFaceName() + "," + SString::FromInt(f.GetSize()) + "," + letters + "," +
         SString::FromInt(color & 0xFF) + "," + SString::FromInt((color >> 8) & 0xFF) + "," +
         SString::FromInt((color >> 16) & 0xFF);
}

bool SSymDlgFrmtObjt::StringToFont(const SString& text, SSymFonts* font) {
  if (!font) return false;
  std::vector<SString> parts;
  SStringTokenizer tok(text, SString(u","), true);
  while (tok.HasMoreTokens()) parts.push_back(tok.NextToken());
  if (parts.size() != 6) return false;
  const SString blanks(u" \t\r\n");
  for (SString& p : parts) p.Trim(blanks);

  const SString& face = parts[0];
  if (face.IsEmpty() || face.GetLength() > 31) return false;
  const std::optional<long> size = ReadWhole(parts[1]);
  if (!size || *size < 1) return false;
  if (parts[2].IsEmpty()) return false;
  LONG style = 0;
  for (char16_t c : parts[2].str()) {
    switch (c) {
      case u'N': break;
      case u'B': style |= SSymFont::Bold; break;
      case u'I': style |= SSymFont::Italic; break;
      case u'U': style |= SSymFont::Underline; break;
      case u'S': style |= SSymFont::StrikeOut; break;
      default: return false;
    }
  }
  COLORREF color = 0;
  for (int i = 0; i < 3; ++i) {
    const std::optional<long> c = ReadWhole(parts[std::size_t(3 + i)]);
    if (!c || *c < 0 || *c > 255) return false;
    color |= COLORREF(*c) << (8 * i);
  }
  font->m_font.SetFaceName(face);
  font->m_font.SetSize(*size);
  font->m_font.SetStyle(style ? style : LONG(SSymFont::Normal));
  font->m_color = color;
  return true;
}
