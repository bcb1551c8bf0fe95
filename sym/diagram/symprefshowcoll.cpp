#include "sym/diagram/symprefshowcoll.h"

const SString SPrefShowColl::g_szNewCodeRequest(u"<NewOIDRequested>");

SPrefShowColl::SPrefShowColl(long collectionId) : m_nCollectionId(collectionId) {}

// ---- values ------------------------------------------------------------------------------

SString SPrefShowColl::FormatValue(const SString& value) {
  if (value.IsEmpty()) return SString(u"\"\"");
  SString out;
  for (char16_t c : value.view()) {
    if (c == u'"') out += u'\\';
    out += c;
  }
  if (value.Find(u' ') >= 0) return SString(u"\"") + out + u'"';
  return out;
}

bool SPrefShowColl::ReadValue(const SString& text, int& pos, SString& value, bool* damaged) {
  const std::u16string_view s = text.view();
  const int n = static_cast<int>(s.size());
  int i = pos < 0 ? 0 : pos;
  while (i < n && s[static_cast<std::size_t>(i)] == u' ') ++i;
  if (i >= n) {
    pos = n;
    return false;
  }
  std::u16string_view raw;
  if (s[static_cast<std::size_t>(i)] == u'"') {
    // The closing quote is the first one without a backslash before it.
    int j = i + 1;
    while (j < n && !(s[static_cast<std::size_t>(j)] == u'"' && s[static_cast<std::size_t>(j - 1)] != u'\\')) ++j;
    raw = s.substr(static_cast<std::size_t>(i + 1), static_cast<std::size_t>(j - i - 1));
    if (j >= n) {
      if (damaged) *damaged = true;
      pos = n;
    } else {
      pos = j + 1;
    }
  } else {
    int j = i;
    while (j < n && s[static_cast<std::size_t>(j)] != u' ') ++j;
    raw = s.substr(static_cast<std::size_t>(i), static_cast<std::size_t>(j - i));
    pos = j;
  }
  std::u16string out;
  out.reserve(raw.size());
  for (std::size_t k = 0; k < raw.size(); ++k) {
    if (raw[k] == u'\\' && k + 1 < raw.size() && raw[k + 1] == u'"') continue;  // the quote follows
    out += raw[k];
  }
  value = SString(std::move(out));
  return true;
}

std::vector<SString> SPrefShowColl::ReadValues(const SString& text, bool* damaged) {
  std::vector<SString> values;
  int pos = 0;
  SString v;
  while (ReadValue(text, pos, v, damaged)) values.push_back(v);
  return values;
}
