// Cursor tokens and OEM text.
#include "win/wininput.h"

#include <cstdint>
#include <map>
#include <utility>

namespace {

struct CursorTable {
  // (module, resource key) -> handle, and back to a name.
  std::map<std::pair<std::uintptr_t, std::u16string>, HCURSOR> loaded;
  std::map<std::uintptr_t, std::u16string> names;
  std::uintptr_t next = 0x7C000;
};

CursorTable& T() {
  static CursorTable* t = new CursorTable();  // handles stay valid for the whole process
  return *t;
}

struct SystemCursor {
  unsigned id;
  const char16_t* name;
};
constexpr SystemCursor kSystem[] = {
    {32512, u"IDC_ARROW"},  {32513, u"IDC_IBEAM"},   {32514, u"IDC_WAIT"},       {32515, u"IDC_CROSS"},
    {32516, u"IDC_UPARROW"}, {32642, u"IDC_SIZENWSE"}, {32643, u"IDC_SIZENESW"},   {32644, u"IDC_SIZEWE"},
    {32645, u"IDC_SIZENS"}, {32646, u"IDC_SIZEALL"}, {32648, u"IDC_NO"},         {32649, u"IDC_HAND"},
    {32650, u"IDC_APPSTARTING"}, {32651, u"IDC_HELP"},
};

HCURSOR Token(HINSTANCE instance, const std::u16string& key, const std::u16string& name) {
  CursorTable& t = T();
  auto k = std::make_pair(reinterpret_cast<std::uintptr_t>(instance), key);
  if (auto it = t.loaded.find(k); it != t.loaded.end()) return it->second;
  t.next += 4;
  HCURSOR h = reinterpret_cast<HCURSOR>(t.next);
  t.loaded.emplace(k, h);
  t.names.emplace(t.next, name);
  return h;
}

std::u16string Number(unsigned id) {
  std::string s = "#" + std::to_string(id);
  return std::u16string(s.begin(), s.end());
}

// Code page 437, 0x80 to 0xFF.
constexpr char16_t kOem[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// A character of code page 1252, or '?' when the page lacks it.
char ToAnsi(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
  if (c == 0x0192) return char(0x83);  // the one character 437 shares with 1252's 0x80-0x9F row
  return '?';
}

}  // namespace

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  if (!name) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  if (!instance) {
    const auto id = unsigned(reinterpret_cast<std::uintptr_t>(name));
    if (IS_INTRESOURCE(name))
      for (const SystemCursor& c : kSystem)
        if (c.id == id) return Token(nullptr, Number(id), c.name);
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  if (!FindResourceW(instance, name, RT_GROUP_CURSOR)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const std::u16string key =
      IS_INTRESOURCE(name) ? Number(unsigned(reinterpret_cast<std::uintptr_t>(name))) : std::u16string(name);
  return Token(instance, key, key);
}

BOOL DestroyCursor(HCURSOR cursor) {
  return T().names.count(reinterpret_cast<std::uintptr_t>(cursor)) ? TRUE : FALSE;
}

BOOL OemToCharBuffA(LPCSTR src, LPSTR dst, DWORD length) {
  if (!src || !dst) return FALSE;
  for (DWORD i = 0; i < length; ++i) {
    const auto b = static_cast<unsigned char>(src[i]);
    dst[i] = b < 0x80 ? char(b) : ToAnsi(kOem[b - 0x80]);
  }
  return TRUE;
}

std::u16string KvCursorName(HCURSOR cursor) {
  if (!cursor) return u"";
  auto it = T().names.find(reinterpret_cast<std::uintptr_t>(cursor));
  return it == T().names.end() ? u"?" : it->second;
}
