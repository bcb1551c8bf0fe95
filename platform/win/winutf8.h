// UTF-8 encoding of code points and decoding of UTF-16, shared by the
// layers that write text as UTF-8 (registry files, library names, XML, strings).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Appends the UTF-8 form of code point c.
inline void KvAppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point at s[i], a surrogate pair joined (i then stands on its low
// half); a lone surrogate gives U+FFFD.
inline char32_t KvCodePointAt(std::u16string_view s, std::size_t& i) {
  char32_t c = s[i];
  if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
    c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
    ++i;
  } else if (c >= 0xD800 && c <= 0xDFFF) {
    c = 0xFFFD;
  }
  return c;
}

// Whole texts between UTF-8 and UTF-16 (malformed UTF-8 gives U+FFFD).
std::u16string KvUtf8ToUtf16(std::string_view utf8);
std::string KvUtf16ToUtf8(std::u16string_view utf16);
