#include "kvcore/sstring.h"

#include "win/winutf8.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {
char16_t Upper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
  return c;
}
char16_t Lower(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
  return c;
}
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }
int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }
}  // namespace

SString::SString(const char16_t* text) : m_s(text ? text : u"") {}
SString::SString(const char16_t* text, int count) {
  if (text && count > 0) m_s.assign(text, static_cast<std::size_t>(count));
}
SString::SString(const char* utf8) : m_s(utf8 ? KvUtf8ToUtf16(utf8) : std::u16string()) {}
SString::SString(const std::string& utf8) : m_s(KvUtf8ToUtf16(utf8)) {}
SString::SString(char16_t c, int repeat) {
  if (repeat > 0) m_s.assign(static_cast<std::size_t>(repeat), c);
}

SString SString::FromUtf8(std::string_view utf8) { return SString(KvUtf8ToUtf16(utf8)); }
SString SString::FromInt(long long v) { return SString(std::to_string(v)); }
SString SString::FromUInt(unsigned long long v) { return SString(std::to_string(v)); }

SString SString::FromDouble(double v) {
  if (std::isnan(v)) return SString("nan");
  if (std::isinf(v)) return SString(v < 0 ? "-inf" : "inf");
  char buf[64];
  for (int prec = 6; prec <= 17; ++prec) {
    std::snprintf(buf, sizeof buf, "%.*g", prec, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  // The C library follows the locale; the texts here never do.
  for (char* p = buf; *p; ++p)
    if (*p == ',') *p = '.';
  return SString(buf);
}

SString SString::Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string buf;
  if (n > 0) {
    buf.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), fmt, ap2);
    buf.resize(static_cast<std::size_t>(n));
  }
  va_end(ap2);
  return SString(buf);
}

std::string SString::ToUtf8() const { return KvUtf16ToUtf8(m_s); }

bool SString::CanConvertToMBCS() const {
  return std::all_of(m_s.begin(), m_s.end(), [](char16_t c) { return c < 0x100; });
}

long SString::ToLONG() const {
  std::size_t i = 0;
  while (i < m_s.size() && IsBlank(m_s[i])) ++i;
  bool neg = false;
  if (i < m_s.size() && (m_s[i] == u'-' || m_s[i] == u'+')) {
    neg = m_s[i] == u'-';
    ++i;
  }
  long long v = 0;
  while (i < m_s.size() && m_s[i] >= u'0' && m_s[i] <= u'9') {
    v = v * 10 + (m_s[i] - u'0');
    if (v > 0x7FFFFFFFLL + 1) v = 0x7FFFFFFFLL + 1;  // clamp, never overflow
    ++i;
  }
  if (neg) v = -v;
  if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL;
  return static_cast<long>(v);
}

double SString::ToDouble() const {
  std::string u = ToUtf8();
  return std::strtod(u.c_str(), nullptr);
}

int SString::Compare(const SString& o) const { return Sign(m_s.compare(o.m_s)); }

int SString::CompareNoCase(const SString& o) const {
  std::size_t n = std::min(m_s.size(), o.m_s.size());
  for (std::size_t i = 0; i < n; ++i) {
    char16_t a = Lower(m_s[i]), b = Lower(o.m_s[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  return m_s.size() < o.m_s.size() ? -1 : m_s.size() > o.m_s.size() ? 1 : 0;
}

int SString::Find(char16_t c, int start) const {
  if (start < 0 || start >= GetLength()) return -1;
  auto p = m_s.find(c, static_cast<std::size_t>(start));
  return p == std::u16string::npos ? -1 : static_cast<int>(p);
}
int SString::Find(const SString& sub, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  auto p = m_s.find(sub.m_s, static_cast<std::size_t>(start));
  return p == std::u16string::npos ? -1 : static_cast<int>(p);
}
int SString::ReverseFind(char16_t c) const {
  auto p = m_s.rfind(c);
  return p == std::u16string::npos ? -1 : static_cast<int>(p);
}
int SString::FindOneOf(const SString& set) const {
  auto p = m_s.find_first_of(set.m_s);
  return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

SString SString::Mid(int first) const { return Mid(first, GetLength()); }
SString SString::Mid(int first, int count) const {
  if (first < 0) first = 0;
  if (first >= GetLength() || count <= 0) return SString();
  return SString(m_s.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}
SString SString::Left(int count) const { return Mid(0, count); }
SString SString::Right(int count) const {
  if (count <= 0) return SString();
  if (count >= GetLength()) return *this;
  return Mid(GetLength() - count);
}

SString& SString::MakeUpper() {
  for (auto& c : m_s) c = Upper(c);
  return *this;
}
SString& SString::MakeLower() {
  for (auto& c : m_s) c = Lower(c);
  return *this;
}
SString& SString::TrimLeft() {
  std::size_t i = 0;
  while (i < m_s.size() && IsBlank(m_s[i])) ++i;
  m_s.erase(0, i);
  return *this;
}
SString& SString::TrimRight() {
  while (!m_s.empty() && IsBlank(m_s.back())) m_s.pop_back();
  return *this;
}
SString& SString::Trim() { return TrimLeft().TrimRight(); }
SString& SString::TrimLeft(const SString& chars) {
  auto p = m_s.find_first_not_of(chars.m_s);
  m_s.erase(0, p == std::u16string::npos ? m_s.size() : p);
  return *this;
}
SString& SString::TrimRight(const SString& chars) {
  auto p = m_s.find_last_not_of(chars.m_s);
  m_s.erase(p == std::u16string::npos ? 0 : p + 1);
  return *this;
}
SString& SString::Trim(const SString& chars) { return TrimLeft(chars).TrimRight(chars); }

int SString::Replace(const SString& from, const SString& to) {
  if (from.IsEmpty()) return 0;
  int count = 0;
  std::size_t pos = 0;
  while ((pos = m_s.find(from.m_s, pos)) != std::u16string::npos) {
    m_s.replace(pos, from.m_s.size(), to.m_s);
    pos += to.m_s.size();
    ++count;
  }
  return count;
}
int SString::Replace(char16_t from, char16_t to) {
  int count = 0;
  for (auto& c : m_s)
    if (c == from) {
      c = to;
      ++count;
    }
  return count;
}
int SString::Remove(char16_t c) {
  auto old = m_s.size();
  m_s.erase(std::remove(m_s.begin(), m_s.end(), c), m_s.end());
  return static_cast<int>(old - m_s.size());
}
void SString::Insert(int at, const SString& text) {
  at = std::clamp(at, 0, GetLength());
  m_s.insert(static_cast<std::size_t>(at), text.m_s);
}
void SString::Delete(int at, int count) {
  if (at < 0 || at >= GetLength() || count <= 0) return;
  m_s.erase(static_cast<std::size_t>(at), static_cast<std::size_t>(count));
}

SStringTokenizer::SStringTokenizer(const SString& text, const SString& seps, bool keepEmpty) {
  std::u16string cur;
  bool any = false;
  for (char16_t c : text.view()) {
    if (seps.view().find(c) != std::u16string_view::npos) {
      if (!cur.empty() || keepEmpty) m_tokens.emplace_back(cur);
      cur.clear();
      any = true;
    } else {
      cur += c;
    }
  }
  if (!cur.empty() || (keepEmpty && any)) m_tokens.emplace_back(cur);
}
SStringTokenizer::SStringTokenizer(const SString& text, const SString& seps, Mode mode) {
  if (mode == Plain) {
    *this = SStringTokenizer(text, seps, false);
    return;
  }
  const std::u16string_view s = text.view();
  const auto isSep = [&](char16_t c) { return seps.view().find(c) != std::u16string_view::npos; };
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && isSep(s[i])) ++i;
    if (i >= s.size()) break;
    std::u16string cur;
    const bool quoted = s[i] == u'"';
    if (quoted) ++i;
    bool closed = !quoted;
    while (i < s.size()) {
      const char16_t c = s[i];
      if (c == u'\\' && i + 1 < s.size()) {
        cur += s[i + 1];
        i += 2;
        continue;
      }
      if (quoted && c == u'"') {
        closed = true;
        ++i;
        break;
      }
      if (!quoted && isSep(c)) break;
      cur += c;
      ++i;
    }
    if (!closed) m_damaged = true;
    m_tokens.emplace_back(cur);
  }
}

bool SStringTokenizer::HasMoreTokens() const { return m_pos < m_tokens.size(); }
SString SStringTokenizer::NextToken() { return HasMoreTokens() ? m_tokens[m_pos++] : SString(); }
int SStringTokenizer::CountTokens() const { return static_cast<int>(m_tokens.size() - m_pos); }

std::vector<SString> SSplitLines(const SString& text) {
  std::vector<SString> lines;
  std::u16string cur;
  const auto& s = text.str();
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'\r' || s[i] == u'\n') {
      lines.emplace_back(cur);
      cur.clear();
      if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    } else {
      cur += s[i];
    }
  }
  if (!cur.empty()) lines.emplace_back(cur);
  return lines;
}
