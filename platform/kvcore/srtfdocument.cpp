#include "kvcore/srtfdocument.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string_view>
#include <vector>

namespace {

// Windows-1252 bytes 0x80..0x9F; the rest of the code page is Latin-1.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
char16_t FromCp1252(int b) { return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b); }

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
int Hex(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Destinations whose content is not document text.
bool IsSkippedDestination(std::string_view w) {
  static const char* const kSkip[] = {
      "fonttbl",  "colortbl", "stylesheet", "info",     "pict",       "object",    "themedata", "colorschememapping",
      "latentstyles", "datastore", "xmlnstbl", "listtable", "listoverridetable", "rsidtbl", "generator", "filetbl",
      "revtbl",   "pgdsctbl", "header",     "headerl",  "headerr",    "headerf",   "footer",    "footerl",
      "footerr",  "footerf",  "footnote",   "fldinst",  "bkmkstart",  "bkmkend",   "nonshppict", "mmathPr",
      "userprops", "template", "docvar",    "protusertbl", "wgrffmtfilter", "listtext", "pntext"};
  for (const char* s : kSkip)
    if (w == s) return true;
  return false;
}

struct GroupState {
  bool skip = false;  // inside a destination without text
  int uc = 1;         // characters to skip after \uN
  bool hidden = false;
  int font = -1;
  int fs = 24;
  bool bold = false, italic = false, underline = false, strike = false;
  int color = 0;
  // Table being read: 0 none, 1 font table, 2 colour table.
  int table = 0;
};

struct Parsed {
  std::u16string text;
  bool haveFormat = false;
  GroupState format;
  std::map<int, std::u16string> fonts;
  std::vector<COLORREF> colors;
  int defaultFont = -1;
};

class Reader {
 public:
  explicit Reader(std::u16string_view s) : s_(s) {}

  Parsed Run() {
    std::vector<GroupState> stack;
    GroupState st;
    int pendingSkip = 0;  // characters still to skip after a \uN
    // Font-table entry being read.
    int tableFont = -1;
    std::u16string tableFace;
    int red = 0, green = 0, blue = 0;
    bool colorSet = false;

    auto emit = [&](char16_t c) {
      if (pendingSkip > 0) {
        --pendingSkip;
        return;
      }
      if (st.table == 1) {
        if (c == u';') {
          if (tableFont >= 0 && !out_.fonts.count(tableFont)) out_.fonts[tableFont] = Trimmed(tableFace);
          tableFace.clear();
        } else {
          tableFace += c;
        }
        return;
      }
      if (st.table == 2) {
        if (c == u';') {
          out_.colors.push_back(colorSet ? RGB(static_cast<BYTE>(red), static_cast<BYTE>(green), static_cast<BYTE>(blue))
                                         : 0);
          red = green = blue = 0;
          colorSet = false;
        }
        return;
      }
      if (st.skip || st.hidden) return;
      if (!out_.haveFormat && c != u'\r' && c != u'\t' && c != u' ') {
        out_.haveFormat = true;
        out_.format = st;
      }
      out_.text += c;
    };

    while (pos_ < s_.size()) {
      const char16_t c = s_[pos_++];
      if (c == u'{') {
        stack.push_back(st);
        pendingSkip = 0;
        continue;
      }
      if (c == u'}') {
        if (st.table == 1 && tableFont >= 0 && !tableFace.empty() && !out_.fonts.count(tableFont))
          out_.fonts[tableFont] = Trimmed(tableFace);
        if (st.table == 1) tableFace.clear();
        if (!stack.empty()) {
          st = stack.back();
          stack.pop_back();
        }
        pendingSkip = 0;
        continue;
      }
      if (c == u'\r' || c == u'\n') continue;
      if (c != u'\\') {
        emit(c);
        continue;
      }
      if (pos_ >= s_.size()) break;  // a lone backslash at the end
      const char16_t n = s_[pos_];
      if (!IsLetter(n)) {
        ++pos_;
        switch (n) {
          case u'\\':
          case u'{':
          case u'}':
            emit(n);
            break;
          case u'~':
            emit(u'\u00A0');
            break;
          case u'_':
            emit(u'\u2011');
            break;
          case u'-':
          case u':':
          case u'|':
            if (pendingSkip > 0) --pendingSkip;
            break;
          case u'*':
            // An ignorable destination: its group holds nothing we read
            // (unless it names a destination we know, none here).
            st.skip = true;
            break;
          case u'\'': {
            const int h1 = pos_ < s_.size() ? Hex(s_[pos_]) : -1;
            const int h2 = pos_ + 1 < s_.size() ? Hex(s_[pos_ + 1]) : -1;
            if (h1 >= 0 && h2 >= 0) {
              pos_ += 2;
              emit(FromCp1252(h1 * 16 + h2));
            } else if (h1 >= 0) {
              ++pos_;
              emit(FromCp1252(h1));
            }
            break;
          }
          case u'\r':
          case u'\n':
            emit(u'\r');
            break;
          default:
            break;  // unknown control symbol
        }
        continue;
      }
      // A control word and its optional parameter.
      std::string word;
      while (pos_ < s_.size() && IsLetter(s_[pos_]) && word.size() < 32) word += static_cast<char>(s_[pos_++]);
      while (pos_ < s_.size() && IsLetter(s_[pos_])) ++pos_;  // overlong words are cut
      bool hasParam = false, negative = false;
      long long param = 0;
      if (pos_ < s_.size() && s_[pos_] == u'-' && pos_ + 1 < s_.size() && IsDigit(s_[pos_ + 1])) {
        negative = true;
        ++pos_;
      }
      while (pos_ < s_.size() && IsDigit(s_[pos_])) {
        hasParam = true;
        if (param < 100000000) param = param * 10 + (s_[pos_] - u'0');
        ++pos_;
      }
      if (negative) param = -param;
      if (pos_ < s_.size() && s_[pos_] == u' ') ++pos_;  // the delimiting space
      const int p = static_cast<int>(param);

      if (word == "u") {
        int code = p;
        if (code < 0) code += 65536;
        if (code >= 0 && code <= 0xFFFF) {
          const int skip = st.uc;
          pendingSkip = 0;
          emit(static_cast<char16_t>(code));
          pendingSkip = skip;
        }
        continue;
      }
      if (pendingSkip > 0) {  // a control word counts as one skipped character
        --pendingSkip;
        continue;
      }
      if (word == "bin") {
        const std::size_t n2 = hasParam && param > 0 ? static_cast<std::size_t>(param) : 0;
        pos_ = std::min(s_.size(), pos_ + n2);
        continue;
      }
      if (IsSkippedDestination(word)) {
        if (word == "fonttbl") st.table = 1;
        else if (word == "colortbl") st.table = 2;
        else st.skip = true;
        if (st.table) st.skip = true;
        continue;
      }
      if (st.table == 1 && word == "f") {
        tableFont = p;
        tableFace.clear();
        continue;
      }
      if (st.table == 2) {
        if (word == "red") red = std::clamp(p, 0, 255), colorSet = true;
        if (word == "green") green = std::clamp(p, 0, 255), colorSet = true;
        if (word == "blue") blue = std::clamp(p, 0, 255), colorSet = true;
        continue;
      }
      if (st.table == 1) continue;  // \fnil, \fcharset... of a font entry
      if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row") emit(u'\r');
      else if (word == "tab" || word == "cell") emit(u'\t');
      else if (word == "uc") st.uc = std::clamp(p, 0, 16);
      else if (word == "v") st.hidden = !hasParam || p != 0;
      else if (word == "deff") out_.defaultFont = p;
      else if (word == "f") st.font = p;
      else if (word == "fs") st.fs = p > 0 ? std::min(p, 3276) : 24;
      else if (word == "b") st.bold = !hasParam || p != 0;
      else if (word == "i") st.italic = !hasParam || p != 0;
      else if (word == "ul") st.underline = !hasParam || p != 0;
      else if (word == "ulnone") st.underline = false;
      else if (word == "strike") st.strike = !hasParam || p != 0;
      else if (word == "cf") st.color = p;
      else if (word == "plain") {
        st.bold = st.italic = st.underline = st.strike = st.hidden = false;
        st.fs = 24;
      } else if (word == "emdash") emit(u'\u2014');
      else if (word == "endash") emit(u'\u2013');
      else if (word == "bullet") emit(u'\u2022');
      else if (word == "lquote") emit(u'\u2018');
      else if (word == "rquote") emit(u'\u2019');
      else if (word == "ldblquote") emit(u'\u201C');
      else if (word == "rdblquote") emit(u'\u201D');
      else if (word == "emspace" || word == "enspace" || word == "qmspace") emit(u' ');
    }
    if (!out_.haveFormat) out_.format = st;
    return out_;
  }

 private:
  static std::u16string Trimmed(std::u16string s) {
    while (!s.empty() && s.back() == u' ') s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && s[i] == u' ') ++i;
    return s.substr(i);
  }

  std::u16string_view s_;
  std::size_t pos_ = 0;
  Parsed out_;
};

SString WithCrLf(std::u16string_view text) {
  std::u16string r;
  r.reserve(text.size() + 8);
  for (char16_t c : text) {
    if (c == u'\r') r += u"\r\n";
    else r += c;
  }
  return SString(std::move(r));
}

}  // namespace

bool SRtfDocument::IsRtf(const SString& text) {
  const auto& s = text.str();
  std::size_t i = 0;
  while (i < s.size() && (s[i] == u' ' || s[i] == u'\t' || s[i] == u'\r' || s[i] == u'\n')) ++i;
  return s.compare(i, 5, u"{\\rtf") == 0;
}

void SRtfDocument::SetRtf(const SString& rtf) {
  m_rtf = rtf;
  m_format = CharFormat();
  if (!IsRtf(rtf)) {
    // Plain text: keep its line breaks as paragraph marks.
    std::u16string t;
    const auto& s = rtf.str();
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
      t += s[i] == u'\n' ? u'\r' : s[i];
    }
    m_text = SString(std::move(t));
    return;
  }
  Parsed p = Reader(rtf.view()).Run();
  // The last paragraph mark of a document closes its last paragraph.
  if (!p.text.empty() && p.text.back() == u'\r') p.text.pop_back();
  m_text = SString(std::move(p.text));
  const int font = p.format.font >= 0 ? p.format.font : p.defaultFont;
  auto it = p.fonts.find(font);
  if (it != p.fonts.end() && !it->second.empty()) m_format.face = SString(it->second);
  else m_format.face = SString("Arial");
  m_format.halfPoints = p.format.fs;
  m_format.bold = p.format.bold;
  m_format.italic = p.format.italic;
  m_format.underline = p.format.underline;
  m_format.strike = p.format.strike;
  // \cf0 and \cfN past the table are the automatic colour.
  if (p.format.color > 0 && static_cast<std::size_t>(p.format.color) < p.colors.size())
    m_format.color = p.colors[static_cast<std::size_t>(p.format.color)];
}

SString SRtfDocument::RtfToText() const {
  if (!IsRtf(m_rtf)) return m_rtf;
  return WithCrLf(m_text.view());
}

SString SRtfDocument::RtfToText(const SString& rtf) { return SRtfDocument(rtf).RtfToText(); }

HFONT SRtfDocument::MakeFont(HDC hdc) const {
  LOGFONTW lf = {};
  int dpi = GetDeviceCaps(hdc, LOGPIXELSY);
  if (dpi <= 0) dpi = 96;
  lf.lfHeight = -MulDiv(m_format.halfPoints, dpi, 144);
  lf.lfWeight = m_format.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = m_format.italic;
  lf.lfUnderline = m_format.underline;
  lf.lfStrikeOut = m_format.strike;
  lf.lfCharSet = DEFAULT_CHARSET;
  const SString& face = m_format.face.IsEmpty() ? SString("Arial") : m_format.face;
  for (int i = 0; i < LF_FACESIZE - 1 && i < face.GetLength(); ++i) lf.lfFaceName[i] = face.GetAt(i);
  return CreateFontIndirectW(&lf);
}

namespace {

// Height of text[first, end) laid out `width` pixels wide.
int MeasureHeight(HDC hdc, const std::u16string& crlf, int width) {
  if (crlf.empty()) return 0;
  RECT rc = {0, 0, width, 0};
  DrawTextW(hdc, crlf.c_str(), static_cast<int>(crlf.size()), &rc,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  return rc.bottom - rc.top;
}

std::u16string Slice(const SString& text, int first, int end) {
  return WithCrLf(text.view().substr(static_cast<std::size_t>(first), static_cast<std::size_t>(end - first))).str();
}

}  // namespace

int SRtfDocument::FormatRange(HDC hdc, HDC target, const RECT& rcTwips, const RECT& pageTwips, int first, int last,
                              BOOL render) {
  if (!hdc) {
    FreeFormatCache();
    return 0;
  }
  const int len = GetTextLength();
  if (first < 0) first = 0;
  if (last < 0 || last > len) last = len;
  if (first >= last) return first;
  HDC measure = target ? target : hdc;
  int dpiX = GetDeviceCaps(measure, LOGPIXELSX), dpiY = GetDeviceCaps(measure, LOGPIXELSY);
  if (dpiX <= 0) dpiX = 96;
  if (dpiY <= 0) dpiY = 96;
  RECT rc = {MulDiv(rcTwips.left, dpiX, 1440), MulDiv(rcTwips.top, dpiY, 1440), MulDiv(rcTwips.right, dpiX, 1440),
             MulDiv(rcTwips.bottom, dpiY, 1440)};
  const int pageBottom = MulDiv(pageTwips.bottom, dpiY, 1440);
  if (pageBottom > rc.top && pageBottom < rc.bottom) rc.bottom = pageBottom;
  const int width = rc.right - rc.left, height = rc.bottom - rc.top;
  if (width <= 0 || height <= 0) return first;

  HFONT font = MakeFont(hdc);
  HGDIOBJ old = font ? SelectObject(hdc, reinterpret_cast<HGDIOBJ>(font)) : nullptr;
  // Whole paragraphs while they fit, then as many characters of the next
  // one as fit (found by bisection).
  int end = first;
  for (;;) {
    if (end >= last) break;
    int next = end;
    while (next < last && m_text.GetAt(next) != u'\r') ++next;
    const int paraEnd = next < last ? next + 1 : last;
    if (MeasureHeight(hdc, Slice(m_text, first, paraEnd), width) <= height) {
      end = paraEnd;
      continue;
    }
    int lo = end, hi = paraEnd;  // lo fits, hi does not
    while (hi - lo > 1) {
      const int mid = lo + (hi - lo) / 2;
      if (MeasureHeight(hdc, Slice(m_text, first, mid), width) <= height) lo = mid;
      else hi = mid;
    }
    end = lo;
    break;
  }
  if (render && end > first) {
    const std::u16string s = Slice(m_text, first, end);
    const COLORREF oldColor = SetTextColor(hdc, m_format.color);
    const int oldMode = SetBkMode(hdc, TRANSPARENT);
    RECT r = rc;
    DrawTextW(hdc, s.c_str(), static_cast<int>(s.size()), &r, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SetBkMode(hdc, oldMode);
    SetTextColor(hdc, oldColor);
  }
  if (font) {
    SelectObject(hdc, old);
    DeleteObject(reinterpret_cast<HGDIOBJ>(font));
  }
  return end;
}

SIZE SRtfDocument::GetExtent(HDC hdc, int width, int first, int last) {
  SIZE size = {0, 0};
  const int len = GetTextLength();
  if (first < 0) first = 0;
  if (last < 0 || last > len) last = len;
  if (!hdc || first >= last) return size;
  HFONT font = MakeFont(hdc);
  HGDIOBJ old = font ? SelectObject(hdc, reinterpret_cast<HGDIOBJ>(font)) : nullptr;
  const std::u16string s = Slice(m_text, first, last);
  RECT rc = {0, 0, width > 0 ? width : 0, 0};
  UINT flags = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
  if (width > 0) flags |= DT_WORDBREAK;
  DrawTextW(hdc, s.c_str(), static_cast<int>(s.size()), &rc, flags);
  size = {rc.right - rc.left, rc.bottom - rc.top};
  if (font) {
    SelectObject(hdc, old);
    DeleteObject(reinterpret_cast<HGDIOBJ>(font));
  }
  return size;
}
