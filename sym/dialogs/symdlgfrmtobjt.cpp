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

const SString& LineEnds() {
  static const SString ends(u" \t\r\n");
  return ends;
}

}  // namespace

// ---- font texts ------------------------------------------------------------------------

LONG SSymDlgFrmtObjt::StyleFromLetters(const SString& letters) {
  const int n = letters.GetLength();
  if (n == 0) return 0;
  LONG style = SSymFont::Normal;
  int next = 0;
  switch (letters.GetAt(0)) {
    case u'N': next = 1; break;
    case u'I':
      style = SSymFont::Italic;
      next = 1;
      break;
    case u'B':
      style = SSymFont::Bold;
      next = 1;
      if (n > 1 && letters.GetAt(1) == u'I') {
        style |= SSymFont::Italic;
        next = 2;
      }
      break;
    case u'U':
    case u'S': break;  // the older form: a regular font's effects alone
    default: return 0;
  }
  for (int i = next; i < n; ++i) {
    if (letters.GetAt(i) == u'U') style |= SSymFont::Underline;
    else if (letters.GetAt(i) == u'S') style |= SSymFont::StrikeOut;
    else return 0;
  }
  return style;
}

SString SSymDlgFrmtObjt::LettersFromStyle(LONG style) {
  SString letters;
  if (style & SSymFont::Bold) letters += u'B';
  if (style & SSymFont::Italic) letters += u'I';
  if (letters.IsEmpty()) letters += u'N';
  if (style & SSymFont::Underline) letters += u'U';
  if (style & SSymFont::StrikeOut) letters += u'S';
  return letters;
}

SString SSymDlgFrmtObjt::FontToString(const SSymFonts& font) {
  const SSymFont& f = font.m_font;
  const COLORREF color = font.m_color.GetColor();
  return f.GetFaceName() + "," + SString::FromInt(f.GetSize()) + "," + LettersFromStyle(f.GetStyle()) + "," +
         SString::FromInt(color & 0xFF) + "," + SString::FromInt((color >> 8) & 0xFF) + "," +
         SString::FromInt((color >> 16) & 0xFF);
}

SSymFonts* SSymDlgFrmtObjt::StringToFont(const SString& text, SSymFonts* font, const SString& defaultText) {
  if (!font || text.IsEmpty() || text == defaultText) return nullptr;
  std::vector<SString> parts;
  SStringTokenizer tok(text, SString(u","), true);
  while (tok.HasMoreTokens()) parts.push_back(tok.NextToken());
  if (parts.size() != 6) return nullptr;
  const SString blanks(u" \t");
  for (SString& p : parts) p.Trim(blanks);

  const SString& face = parts[0];
  if (face.IsEmpty() || face.GetLength() > 31) return nullptr;
  const std::optional<long> size = ReadWhole(parts[1]);
  if (!size) return nullptr;
  const LONG style = StyleFromLetters(parts[2]);
  if (style == 0) return nullptr;
  COLORREF color = 0;
  for (int i = 0; i < 3; ++i) {
    const std::optional<long> c = ReadWhole(parts[std::size_t(3 + i)]);
    if (!c || *c < 0 || *c > 255) return nullptr;
    color |= COLORREF(*c) << (8 * i);
  }
  // Every part is sound: only now does the entry change.
  font->m_font.SetFaceName(face);
  font->m_font.SetSize(*size < 1 ? 8 : *size);
  font->m_font.SetStyle(style);
  font->m_color = color;
  return font;
}

// ---- the sub-object format text ----------------------------------------------------------

HRESULT SSymDlgFrmtObjt::ReadSection(const SString& text, const SString& collection, FontMap& entries,
                                     LONG* mode) {
  if (collection.IsEmpty()) return S_FALSE;
  const SString header = collection + " ";
  // The header starts a line: neither the tail of a longer name nor a
  // piece of an entry's value counts.
  int at = -1;
  for (int from = 0; (at = text.Find(header, from)) >= 0; from = at + 1) {
    const char16_t before = at > 0 ? text.GetAt(at - 1) : u'\n';
    if (before == u'\n' || before == u'\r') break;
  }
  if (at < 0) return S_FALSE;

  const std::vector<SString> lines = SSplitLines(text.Mid(at));
  SString modeText = lines.empty() ? SString() : lines[0].Mid(header.GetLength());
  modeText.TrimRight(LineEnds());
  const std::optional<long> read = ReadWhole(modeText);
  if (!read || *read < 0 || *read > 2) return E_INVALIDARG;

  FontMap found;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    SString line = lines[i];
    line.TrimRight(LineEnds());
    if (line.IsEmpty()) break;
    if (line.GetAt(0) == u'{') {
      const int blank = line.Find(u' ');
      SString key = blank < 0 ? line : line.Left(blank);
      if (key.GetLength() < 2 || key.GetAt(key.GetLength() - 1) != u'}') return E_INVALIDARG;
      found.SetAt(key, blank < 0 ? SString() : line.Mid(blank + 1));
    } else if (line.GetAt(0) == u'#') {
      int first = 0;
      while (first < line.GetLength() && line.GetAt(first) == u'#') ++first;
      const int close = line.Find(u'#', first);
      if (close <= first) return E_INVALIDARG;
      SString value = line.Mid(close + 1);
      value.TrimLeft(LineEnds());
      found.SetAt("#" + line.Mid(first, close - first) + "#", value);
    } else {
      break;  // the next section's header
    }
  }
  for (const auto& entry : found) entries.SetAt(entry.key, entry.value);
  if (mode) *mode = *read;
  return S_OK;
}

LONG SSymDlgFrmtObjt::FindAllFont(const SString& text, const SString& collection, FontMap& entries) {
  LONG mode = -1;
  return ReadSection(text, collection, entries, &mode) == S_OK ? mode : -1;
}

// ---- the rows of the page's tabs ---------------------------------------------------------------

HRESULT SSymDlgFrmtObjt::FillTab(Tab& tab, const SString& text) {
  FontMap entries;
  LONG mode = -1;
  const HRESULT hr = ReadSection(text, tab.publicName, entries, &mode);
  if (hr != S_OK) mode = -1;
  for (Row& row : tab.rows) {
    const SString* value = row.key.IsEmpty() ? nullptr : entries.Find(row.key);
    SString font = value ? *value : SString();
    row.displayed = !(mode == 1 || (mode == 2 && !value));
    if (!font.IsEmpty() && font.GetAt(0) == u',') {
      int n = 0;
      while (n < font.GetLength() && font.GetAt(n) == u',') ++n;
      font = font.Mid(n);
      row.displayed = false;
    }
    row.font = font == tab.defaultFont ? SString() : font;
  }
  return FAILED(hr) ? hr : S_OK;
}

SString SSymDlgFrmtObjt::BuildText(const std::vector<Tab>& tabs) {
  SString text;
  for (const Tab& tab : tabs) {
    struct Kept {
      const Row* row;
      SString value;
    };
    std::vector<Kept> kept;
    std::size_t displayed = 0;
    for (const Row& row : tab.rows) {
      // A font the text form cannot hold, or the default one, is none.
      SSymFonts probe;
      const SString font = StringToFont(row.font, &probe, tab.defaultFont) ? row.font : SString();
      if (row.displayed) {
        ++displayed;
        kept.push_back({&row, font});
      } else if (!font.IsEmpty()) {
        kept.push_back({&row, "," + font});
      }
    }
    const int mode = displayed == tab.rows.size() ? 0 : displayed == 0 ? 1 : 2;
    text += tab.publicName + " " + SString::FromInt(mode) + "\n";
    for (const Kept& k : kept) {
      if (k.row->key.IsEmpty() || (mode != 2 && k.value.IsEmpty())) continue;
      text += k.row->key;
      if (!k.value.IsEmpty()) text += " " + k.value;
      text += "\n";
    }
  }
  return text;
}
