#include "win/windef.h"

#include <cstdio>

bool operator<(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1) return a.Data1 < b.Data1;
  if (a.Data2 != b.Data2) return a.Data2 < b.Data2;
  if (a.Data3 != b.Data3) return a.Data3 < b.Data3;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return a.Data4[i] < b.Data4[i];
  return false;
}

std::string GuidToString(const GUID& g) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buf;
}

std::u16string GuidToString16(const GUID& g) {
  std::string s = GuidToString(g);
  return std::u16string(s.begin(), s.end());
}

namespace {
int Digit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

template <class Str>
bool Parse(const Str& text, GUID* out) {
  if (!out) return false;
  std::size_t n = text.size();
  std::size_t start = 0;
  if (n == 38) {
    if (text[0] != '{' || text[37] != '}') return false;
    start = 1;
  } else if (n != 36) {
    return false;
  }
  std::uint8_t nib[32];
  int k = 0;
  for (std::size_t i = 0; i < 36; ++i) {
    char16_t c = static_cast<char16_t>(text[start + i]);
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != u'-') return false;
      continue;
    }
    int d = Digit(c);
    if (d < 0) return false;
    nib[k++] = static_cast<std::uint8_t>(d);
  }
  auto take = [&](int from, int count) {
    std::uint64_t v = 0;
    for (int i = 0; i < count; ++i) v = v * 16 + nib[from + i];
    return v;
  };
  GUID g{};
  g.Data1 = static_cast<std::uint32_t>(take(0, 8));
  g.Data2 = static_cast<std::uint16_t>(take(8, 4));
  g.Data3 = static_cast<std::uint16_t>(take(12, 4));
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<std::uint8_t>(take(16 + 2 * i, 2));
  *out = g;
  return true;
}
}  // namespace

bool GuidFromString(const std::string& text, GUID* out) { return Parse(text, out); }
bool GuidFromString(const std::u16string& text, GUID* out) { return Parse(text, out); }

void GuidToBytes(const GUID& g, std::uint8_t out[16]) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(g.Data1 >> (8 * i));
  out[4] = static_cast<std::uint8_t>(g.Data2);
  out[5] = static_cast<std::uint8_t>(g.Data2 >> 8);
  out[6] = static_cast<std::uint8_t>(g.Data3);
  out[7] = static_cast<std::uint8_t>(g.Data3 >> 8);
  for (int i = 0; i < 8; ++i) out[8 + i] = g.Data4[i];
}

GUID GuidFromBytes(const std::uint8_t in[16]) {
  GUID g{};
  g.Data1 = static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
            (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
  g.Data2 = static_cast<std::uint16_t>(in[4] | (in[5] << 8));
  g.Data3 = static_cast<std::uint16_t>(in[6] | (in[7] << 8));
  for (int i = 0; i < 8; ++i) g.Data4[i] = in[8 + i];
  return g;
}
