// SString: the core library's counted UTF-16 text.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win/windef.h"
#include "win/winutf8.h"

class SString {
 public:
  SString() = default;
  SString(const char16_t* text);  // null gives the empty text
  SString(const char16_t* text, int count);
  SString(std::u16string text) : m_s(std::move(text)) {}
  SString(std::u16string_view text) : m_s(text) {}
  // From UTF-8 (plain ASCII in practice); invalid sequences become U+FFFD.
  SString(const char* utf8);
  SString(const std::string& utf8);
  SString(char16_t c, int repeat);

  static SString FromUtf8(std::string_view utf8);
  static SString FromInt(long long value);
  static SString FromUInt(unsigned long long value);
  // "%.*g"-like shortest text of a double, always with '.' as separator.
  static SString FromDouble(double value);
  // printf-style formatting of narrow arguments; the result is converted from UTF-8.
  static SString Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

  int GetLength() const { return static_cast<int>(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }
  const char16_t* c_str() const { return m_s.c_str(); }
  operator const char16_t*() const { return m_s.c_str(); }
  const std::u16string& str() const { return m_s; }
  std::u16string& str() { return m_s; }
  std::u16string_view view() const { return m_s; }

  // Out of range reads answer 0.
  char16_t GetAt(int i) const { return i >= 0 && i < GetLength() ? m_s[static_cast<std::size_t>(i)] : 0; }
  void SetAt(int i, char16_t c) {
    if (i >= 0 && i < GetLength()) m_s[static_cast<std::size_t>(i)] = c;
  }

  std::string ToUtf8() const;
  // True when every character has a single-byte form in the Latin-1 code page.
  bool CanConvertToMBCS() const;
  // Leading sign and decimal digits after optional blanks; 0 when none.
  long ToLONG() const;
  double ToDouble() const;

  int Compare(const SString& other) const;        // -1, 0, 1, by code unit
  int CompareNoCase(const SString& other) const;  // -1, 0, 1, case-folded
  bool EqualsNoCase(const SString& other) const { return CompareNoCase(other) == 0; }

  int Find(char16_t c, int start = 0) const;
  int Find(const SString& sub, int start = 0) const;
  int ReverseFind(char16_t c) const;
  int FindOneOf(const SString& set) const;
  SString Mid(int first) const;
  SString Mid(int first, int count) const;
  SString Left(int count) const;
  SString Right(int count) const;

  SString& MakeUpper();
  SString& MakeLower();
  SString& Trim();
  SString& TrimLeft();
  SString& TrimRight();
  SString& Trim(const SString& chars);
  SString& TrimLeft(const SString& chars);
  SString& TrimRight(const SString& chars);
  int Replace(const SString& from, const SString& to);
  int Replace(char16_t from, char16_t to);
  int Remove(char16_t c);
  void Insert(int at, const SString& text);
  void Delete(int at, int count = 1);

  SString& operator+=(const SString& other) {
    m_s += other.m_s;
    return *this;
  }
  SString& operator+=(char16_t c) {
    m_s += c;
    return *this;
  }
  SString& operator+=(const char* utf8) { return *this += SString(utf8); }

  friend SString operator+(SString a, const SString& b) { return a += b; }
  friend SString operator+(SString a, const char* b) { return a += SString(b); }
  friend SString operator+(const char* a, const SString& b) { return SString(a) += b; }
  friend SString operator+(SString a, char16_t c) { return a += c; }

  friend bool operator==(const SString& a, const SString& b) { return a.m_s == b.m_s; }
  friend bool operator==(const SString& a, const char16_t* b) { return a.m_s == (b ? b : u""); }
  friend bool operator==(const SString& a, const char* b) { return a == SString(b); }
  friend std::strong_ordering operator<=>(const SString& a, const SString& b) { return a.m_s <=> b.m_s; }

 private:
  std::u16string m_s;
};

// Splits a text into tokens at any of the separator characters; empty tokens
// between adjacent separators are skipped unless keepEmpty is set.
//
// In quoted mode a token that starts with a double quote runs to the
// matching unescaped double quote, separators included; inside it, and in
// unquoted tokens, a backslash takes the next character as it stands (so
// `\"` is a quote and `\\` a backslash). `""` is an empty token. A quote
// that is never closed takes the rest of the text and marks the tokenizer
// damaged (IsDamaged), so a reader can tell a cut text from a whole one.
class SStringTokenizer {
 public:
  enum Mode { Plain, Quoted };
  SStringTokenizer(const SString& text, const SString& separators, bool keepEmpty = false);
  SStringTokenizer(const SString& text, const SString& separators, Mode mode);
  bool IsDamaged() const { return m_damaged; }
  bool HasMoreTokens() const;
  SString NextToken();
  int CountTokens() const;

 private:
  std::vector<SString> m_tokens;
  std::size_t m_pos = 0;
  bool m_damaged = false;
};

// Splits into lines at "\r\n", "\n" or "\r"; a final line break gives no extra empty line.
std::vector<SString> SSplitLines(const SString& text);

// The UTF-8 <-> UTF-16 helpers used across the platform (KvUtf8ToUtf16,
// KvUtf16ToUtf8) live with the Windows layer, which needs them first.
