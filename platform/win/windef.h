// Windows base types on Linux: integer words, result codes, GUIDs, the
// IUnknown interface and the plain geometry records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using INT = int;
using UINT = unsigned int;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using HRESULT = std::int32_t;
using WCHAR = char16_t;
using LPWSTR = char16_t*;
using LPCWSTR = const char16_t*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
// Pointer-sized words: they held pointers in 32-bit records.
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = DWORD;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// Handles are distinct opaque pointer types, as with STRICT.
#define KV_DECLARE_HANDLE(name) \
  struct name##__ {             \
    int unused;                 \
  };                            \
  using name = name##__*
using HANDLE = void*;
KV_DECLARE_HANDLE(HINSTANCE);
using HMODULE = HINSTANCE;
KV_DECLARE_HANDLE(HWND);
KV_DECLARE_HANDLE(HDC);
KV_DECLARE_HANDLE(HGDIOBJ);
KV_DECLARE_HANDLE(HPEN);
KV_DECLARE_HANDLE(HBRUSH);
KV_DECLARE_HANDLE(HFONT);
KV_DECLARE_HANDLE(HBITMAP);
KV_DECLARE_HANDLE(HRGN);
KV_DECLARE_HANDLE(HPALETTE);
KV_DECLARE_HANDLE(HENHMETAFILE);
KV_DECLARE_HANDLE(HMETAFILE);
KV_DECLARE_HANDLE(HICON);
KV_DECLARE_HANDLE(HCURSOR);
KV_DECLARE_HANDLE(HMENU);
KV_DECLARE_HANDLE(HKEY);
KV_DECLARE_HANDLE(HGLOBAL);
KV_DECLARE_HANDLE(HRSRC);
KV_DECLARE_HANDLE(HACCEL);

// ---- result codes -------------------------------------------------------
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT STG_E_FILENOTFOUND = static_cast<HRESULT>(0x80030002u);
constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001Eu);
constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);
constexpr HRESULT OLE_E_BLANK = static_cast<HRESULT>(0x80040007u);
constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr HRESULT HRESULT_FROM_WIN32(DWORD err) {
  return err == 0 ? 0 : static_cast<HRESULT>((err & 0xFFFFu) | 0x80070000u);
}

// ---- GUID ------------------------------------------------------------------
struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
constexpr bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
// Total order over the 16 bytes in field order, for sorted tables.
bool operator<(const GUID& a, const GUID& b);
inline bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// Makes a GUID from "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" (braces optional)
// at compile time; a malformed text does not compile.
namespace kvwin_detail {
constexpr int HexDigit(char c) {
  return c >= '0' && c <= '9'   ? c - '0'
         : c >= 'a' && c <= 'f' ? c - 'a' + 10
         : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                : throw "bad hex digit in GUID";
}
constexpr std::uint64_t Hex(const char* s, int n) {
  std::uint64_t v = 0;
  for (int i = 0; i < n; ++i) v = v * 16 + static_cast<std::uint64_t>(HexDigit(s[i]));
  return v;
}
}  // namespace kvwin_detail

template <std::size_t N>
constexpr GUID MakeGUID(const char (&text)[N]) {
  const char* s = text;
  if (*s == '{') ++s;
  GUID g{};
  g.Data1 = static_cast<std::uint32_t>(kvwin_detail::Hex(s, 8));
  if (s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-') throw "bad GUID text";
  g.Data2 = static_cast<std::uint16_t>(kvwin_detail::Hex(s + 9, 4));
  g.Data3 = static_cast<std::uint16_t>(kvwin_detail::Hex(s + 14, 4));
  g.Data4[0] = static_cast<std::uint8_t>(kvwin_detail::Hex(s + 19, 2));
  g.Data4[1] = static_cast<std::uint8_t>(kvwin_detail::Hex(s + 21, 2));
  for (int i = 0; i < 6; ++i) g.Data4[2 + i] = static_cast<std::uint8_t>(kvwin_detail::Hex(s + 24 + 2 * i, 2));
  return g;
}

// Text forms: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
std::string GuidToString(const GUID& g);
std::u16string GuidToString16(const GUID& g);
// Parses the text form, braces optional, either case; false on bad text.
bool GuidFromString(const std::string& text, GUID* out);
bool GuidFromString(const std::u16string& text, GUID* out);
// The 16 bytes as laid out in memory (little-endian fields).
void GuidToBytes(const GUID& g, std::uint8_t out[16]);
GUID GuidFromBytes(const std::uint8_t in[16]);

// ---- IUnknown -------------------------------------------------------------
inline constexpr IID IID_IUnknown = MakeGUID("{00000000-0000-0000-C000-000000000046}");

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

// ---- plain records ----------------------------------------------------------
struct POINT {
  LONG x;
  LONG y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
struct POINTL {
  LONG x;
  LONG y;
};
struct RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPPOINT = POINT*;
using LPRECT = RECT*;
using LPCRECT = const RECT*;

// The smallest rectangle holding n > 0 points (right and bottom inclusive).
inline RECT KvPointsBounds(const POINT* p, int n) {
  RECT box{p[0].x, p[0].y, p[0].x, p[0].y};
  for (int i = 1; i < n; ++i) {
    box.left = p[i].x < box.left ? p[i].x : box.left;
    box.top = p[i].y < box.top ? p[i].y : box.top;
    box.right = p[i].x > box.right ? p[i].x : box.right;
    box.bottom = p[i].y > box.bottom ? p[i].y : box.bottom;
  }
  return box;
}

constexpr DWORD RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<DWORD>(r) | (static_cast<DWORD>(g) << 8) | (static_cast<DWORD>(b) << 16);
}
constexpr BYTE GetRValue(DWORD c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(DWORD c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(DWORD c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
constexpr WORD LOWORD(DWORD_PTR v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(DWORD_PTR v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr DWORD MAKELONG(WORD lo, WORD hi) { return static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16); }

// Process attach/detach reasons of a library's entry point.
constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;
