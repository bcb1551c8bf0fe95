// The clipboard: opener, owner, formats with their data or delayed, the
// registered names and the text and bitmap conversions.
#include "win/winclip.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "win/emf.h"

namespace {

struct Entry {
  UINT format;
  HANDLE data;    // null: delayed
  UINT from = 0;  // the format it was converted from, 0 when set
};

struct Clipboard {
  bool open = false;
  HWND openBy = nullptr;
  HWND owner = nullptr;
  std::vector<Entry> entries;  // in the order set; converted formats appended when made
  UINT rendering = 0;          // the format the owner is asked for, 0 when none
  std::vector<std::u16string> names;  // registered: format 0xC000 + index
  bool hooked = false;
};

Clipboard& C() {
  static Clipboard* c = new Clipboard();  // outlives static destructors that may still destroy windows
  return *c;
}

constexpr UINT kFirstRegistered = 0xC000;

std::u16string Lower(std::u16string s) {
  for (auto& ch : s)
    if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch - u'A' + u'a');
  return s;
}

// ---- data by kind ----

bool IsLiveData(UINT format, HANDLE h) {
  if (format == CF_BITMAP) return GetObjectType(static_cast<HGDIOBJ>(h)) == OBJ_BITMAP;
  if (format == CF_ENHMETAFILE) return GetEnhMetaFileBits(static_cast<HENHMETAFILE>(h), 0, nullptr) > 0;
  HGLOBAL mem = static_cast<HGLOBAL>(h);
  if (!GlobalLock(mem)) return false;
  GlobalUnlock(mem);
  return true;
}

void FreeData(UINT format, HANDLE h) {
  if (!h) return;
  if (format == CF_BITMAP)
    DeleteObject(static_cast<HGDIOBJ>(h));
  else if (format == CF_ENHMETAFILE)
    DeleteEnhMetaFile(static_cast<HENHMETAFILE>(h));
  else
    GlobalFree(static_cast<HGLOBAL>(h));
}

Entry* Find(UINT format) {
  for (Entry& e : C().entries)
    if (e.format == format) return &e;
  return nullptr;
}

void DropAll() {
  for (const Entry& e : C().entries) FreeData(e.format, e.data);
  C().entries.clear();
}

// ---- conversions ----

// The format a missing one is made from, 0 when none.
UINT ConvertedFrom(UINT format) {
  UINT from = 0;
  switch (format) {
    case CF_TEXT: from = CF_UNICODETEXT; break;
    case CF_UNICODETEXT: from = CF_TEXT; break;
    case CF_DIB: from = CF_BITMAP; break;
    case CF_BITMAP: from = CF_DIB; break;
    default: return 0;
  }
  return Find(from) ? from : 0;
}

HGLOBAL BlockOf(const void* bytes, std::size_t n) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, n);
  if (!mem) return nullptr;
  if (n) std::memcpy(GlobalLock(mem), bytes, n);
  GlobalUnlock(mem);
  return mem;
}

HGLOBAL TextToAnsi(HGLOBAL src) {
  const SIZE_T size = GlobalSize(src);
  const auto* p = static_cast<const char16_t*>(GlobalLock(src));
  if (!p) return nullptr;
  std::string out;
  for (SIZE_T i = 0; i < size / 2 && p[i]; ++i) {
    const char16_t c = p[i];
    if (c >= 0xDC00 && c <= 0xDFFF && i > 0 && p[i - 1] >= 0xD800 && p[i - 1] <= 0xDBFF) continue;  // pair: one '?'
    out += c < 0x100 ? static_cast<char>(c) : '?';
  }
  GlobalUnlock(src);
  return BlockOf(out.c_str(), out.size() + 1);
}

HGLOBAL TextToUnicode(HGLOBAL src) {
  const SIZE_T size = GlobalSize(src);
  const auto* p = static_cast<const unsigned char*>(GlobalLock(src));
  if (!p) return nullptr;
  std::u16string out;
  for (SIZE_T i = 0; i < size && p[i]; ++i) out += static_cast<char16_t>(p[i]);
  GlobalUnlock(src);
  return BlockOf(out.c_str(), (out.size() + 1) * sizeof(char16_t));
}

constexpr LONG kMaxSide = 16384;

HGLOBAL BitmapToDib(HBITMAP bmp) {
  BITMAP bm{};
  if (!GetObjectW(bmp, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
  if (bm.bmWidth > kMaxSide || bm.bmHeight > kMaxSide) return nullptr;
  const std::size_t bits = std::size_t(bm.bmWidth) * std::size_t(bm.bmHeight) * 4;
  std::vector<BYTE> dib(sizeof(BITMAPINFOHEADER) + bits);
  BITMAPINFO info{};
  info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), bm.bmWidth, bm.bmHeight, 1, 32, BI_RGB,
                                    DWORD(bits), 0, 0, 0, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  const int lines = GetDIBits(dc, bmp, 0, UINT(bm.bmHeight), dib.data() + sizeof(BITMAPINFOHEADER), &info,
                              DIB_RGB_COLORS);
  DeleteDC(dc);
  if (lines != bm.bmHeight) return nullptr;
  std::memcpy(dib.data(), &info.bmiHeader, sizeof(BITMAPINFOHEADER));
  return BlockOf(dib.data(), dib.size());
}

// A bitmap of an uncompressed DIB whose block holds all its bytes; null for
// anything short or strange.
HBITMAP DibToBitmap(HGLOBAL src) {
  const SIZE_T size = GlobalSize(src);
  const auto* p = static_cast<const BYTE*>(GlobalLock(src));
  if (!p) return nullptr;
  HBITMAP result = nullptr;
  BITMAPINFOHEADER h{};
  if (size >= sizeof h) std::memcpy(&h, p, sizeof h);
  const long long height = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
  const WORD bpp = h.biBitCount;
  const bool known = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
  if (size >= sizeof h && h.biSize >= sizeof h && h.biSize <= size && h.biCompression == BI_RGB && known &&
      h.biWidth > 0 && h.biWidth <= kMaxSide && height > 0 && height <= kMaxSide) {
    const std::size_t colors = h.biClrUsed ? h.biClrUsed : (bpp <= 8 ? std::size_t(1) << bpp : 0);
    const std::size_t stride = ((std::size_t(h.biWidth) * bpp + 31) / 32) * 4;
    const std::size_t need = h.biSize + colors * 4 + stride * std::size_t(height);
    if (colors <= 256 && need <= size) {
      // SetDIBits reads the header with its colour table right behind it.
      std::vector<BYTE> info(std::max(sizeof(BITMAPINFO), sizeof(BITMAPINFOHEADER) + colors * 4));
      std::memcpy(info.data(), &h, sizeof h);
      reinterpret_cast<BITMAPINFOHEADER*>(info.data())->biSize = sizeof(BITMAPINFOHEADER);
      std::memcpy(info.data() + sizeof h, p + h.biSize, colors * 4);
      HDC dc = CreateCompatibleDC(nullptr);
      result = CreateBitmap(h.biWidth, int(height), 1, 32, nullptr);
      if (result && SetDIBits(dc, result, 0, UINT(height), p + h.biSize + colors * 4,
                              reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS) != height) {
        DeleteObject(result);
        result = nullptr;
      }
      DeleteDC(dc);
    }
  }
  GlobalUnlock(src);
  return result;
}

HANDLE Render(UINT format);

// Makes a converted format from its source (rendered first when delayed).
HANDLE Convert(UINT format, UINT from) {
  HANDLE src = Render(from);
  if (!src) return nullptr;
  HANDLE made = nullptr;
  switch (format) {
    case CF_TEXT: made = TextToAnsi(static_cast<HGLOBAL>(src)); break;
    case CF_UNICODETEXT: made = TextToUnicode(static_cast<HGLOBAL>(src)); break;
    case CF_DIB: made = BitmapToDib(static_cast<HBITMAP>(src)); break;
    case CF_BITMAP: made = DibToBitmap(static_cast<HGLOBAL>(src)); break;
    default: break;
  }
  if (made) C().entries.push_back(Entry{format, made, from});
  return made;
}

// The data of a format, asking the owner for a delayed one.
HANDLE Render(UINT format) {
  Clipboard& c = C();
  Entry* e = Find(format);
  if (!e) {
    const UINT from = ConvertedFrom(format);
    return from ? Convert(format, from) : nullptr;
  }
  if (e->data) return e->data;
  if (c.rendering == format || !c.owner || !IsWindow(c.owner)) return nullptr;
  const UINT outer = c.rendering;
  c.rendering = format;
  SendMessageW(c.owner, WM_RENDERFORMAT, format, 0);
  c.rendering = outer;
  e = Find(format);
  return e ? e->data : nullptr;
}

// Formats listed: those set, then those that can be converted.
std::vector<UINT> Listed() {
  std::vector<UINT> out;
  for (const Entry& e : C().entries) out.push_back(e.format);
  for (UINT f : {CF_TEXT, CF_UNICODETEXT, CF_DIB, CF_BITMAP})
    if (!Find(f) && ConvertedFrom(f)) out.push_back(f);
  return out;
}

void OnDestroy(HWND h) {
  Clipboard& c = C();
  if (h == c.owner) {
    const bool delayed = std::any_of(c.entries.begin(), c.entries.end(), [](const Entry& e) { return !e.data; });
    if (delayed) SendMessageW(h, WM_RENDERALLFORMATS, 0, 0);
    auto& v = c.entries;
    v.erase(std::remove_if(v.begin(), v.end(), [](const Entry& e) { return !e.data; }), v.end());
    c.owner = nullptr;
  }
  if (c.open && h == c.openBy) {
    c.open = false;
    c.openBy = nullptr;
  }
}

void Hook() {
  if (C().hooked) return;
  KvAddWindowDestroyHook(&OnDestroy);
  C().hooked = true;
}

bool CheckOpen() {
  if (C().open) return true;
  SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  return false;
}

}  // namespace

BOOL OpenClipboard(HWND hwnd) {
  Hook();
  Clipboard& c = C();
  if (hwnd && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (c.open && c.openBy != hwnd) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  c.open = true;
  c.openBy = hwnd;
  return TRUE;
}

BOOL CloseClipboard() {
  if (!CheckOpen()) return FALSE;
  C().open = false;
  C().openBy = nullptr;
  return TRUE;
}

BOOL EmptyClipboard() {
  if (!CheckOpen()) return FALSE;
  Clipboard& c = C();
  if (c.owner && IsWindow(c.owner)) SendMessageW(c.owner, WM_DESTROYCLIPBOARD, 0, 0);
  DropAll();
  c.owner = c.open ? c.openBy : nullptr;  // the old owner may have closed it meanwhile
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  Clipboard& c = C();
  if (!c.open && !c.rendering) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  if (format == 0 || (!data && !(c.owner && IsWindow(c.owner)))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (data && !IsLiveData(format, data)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (Entry* e = Find(format)) {
    if (e->data != data) FreeData(format, e->data);
    *e = Entry{format, data};
  } else {
    c.entries.push_back(Entry{format, data});
  }
  // A changed source makes the formats converted from it stale.
  for (auto it = c.entries.begin(); it != c.entries.end();) {
    if (it->from != format) {
      ++it;
      continue;
    }
    FreeData(it->format, it->data);
    it = c.entries.erase(it);
  }
  SetLastError(ERROR_SUCCESS);  // a delayed format answers null with no error
  return data;
}

HANDLE GetClipboardData(UINT format) {
  if (!CheckOpen()) return nullptr;
  HANDLE h = Render(format);
  if (!h) SetLastError(ERROR_SUCCESS);
  return h;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (format == 0) return FALSE;
  return Find(format) || ConvertedFrom(format) ? TRUE : FALSE;
}

UINT EnumClipboardFormats(UINT format) {
  if (!CheckOpen()) return 0;
  SetLastError(ERROR_SUCCESS);
  const std::vector<UINT> list = Listed();
  if (format == 0) return list.empty() ? 0 : list.front();
  auto it = std::find(list.begin(), list.end(), format);
  return it == list.end() || it + 1 == list.end() ? 0 : *(it + 1);
}

int CountClipboardFormats() { return int(Listed().size()); }

HWND GetClipboardOwner() { return C().owner; }

HWND GetOpenClipboardWindow() { return C().open ? C().openBy : nullptr; }

UINT RegisterClipboardFormatW(LPCWSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto& names = C().names;
  const std::u16string key = Lower(name);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (Lower(names[i]) == key) return kFirstRegistered + UINT(i);
  if (names.size() >= 0x4000) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  names.emplace_back(name);
  return kFirstRegistered + UINT(names.size() - 1);
}

int GetClipboardFormatNameW(UINT format, LPWSTR buffer, int count) {
  const auto& names = C().names;
  if (format < kFirstRegistered || format - kFirstRegistered >= names.size() || !buffer || count <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::u16string& name = names[format - kFirstRegistered];
  const int n = std::min<int>(int(name.size()), count - 1);
  std::copy_n(name.data(), n, buffer);
  buffer[n] = 0;
  return n;
}

void KvClipboardReset() {
  Clipboard& c = C();
  if (c.owner && IsWindow(c.owner)) SendMessageW(c.owner, WM_DESTROYCLIPBOARD, 0, 0);
  DropAll();
  c.open = false;
  c.openBy = nullptr;
  c.owner = nullptr;
  c.rendering = 0;
}
