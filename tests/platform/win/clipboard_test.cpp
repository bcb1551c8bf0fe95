// The clipboard: delayed formats rendered only when a reader asks, the owner
// told when another empties it or when it goes, registered names, the text
// and bitmap conversions, and the failures of calls made without opening it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "win/winclip.h"

namespace {

std::vector<std::string> g_log;
std::map<HWND, std::string> g_names;
std::function<void(HWND, UINT, WPARAM)> g_onMessage;

LRESULT OwnerProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  const char* what = m == WM_RENDERFORMAT        ? "RENDERFORMAT"
                     : m == WM_RENDERALLFORMATS  ? "RENDERALLFORMATS"
                     : m == WM_DESTROYCLIPBOARD  ? "DESTROYCLIPBOARD"
                     : m == WM_DESTROY           ? "DESTROY"
                                                 : nullptr;
  if (what) {
    std::string entry = g_names[h] + ":" + what;
    if (m == WM_RENDERFORMAT) entry += "(" + std::to_string(w) + ")";
    g_log.push_back(entry);
    if (g_onMessage) g_onMessage(h, m, w);
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

HGLOBAL Block(const void* bytes, std::size_t n) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, n);
  std::memcpy(GlobalLock(mem), bytes, n);
  GlobalUnlock(mem);
  return mem;
}
HGLOBAL Text16(const std::u16string& s) { return Block(s.c_str(), (s.size() + 1) * 2); }

std::u16string ReadText16(HANDLE h) {
  const auto* p = static_cast<const char16_t*>(GlobalLock(static_cast<HGLOBAL>(h)));
  std::u16string s = p ? p : u"";
  GlobalUnlock(static_cast<HGLOBAL>(h));
  return s;
}
std::string ReadText8(HANDLE h) {
  const auto* p = static_cast<const char*>(GlobalLock(static_cast<HGLOBAL>(h)));
  std::string s = p ? p : "";
  GlobalUnlock(static_cast<HGLOBAL>(h));
  return s;
}

class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    KvWindowsReset();
    KvClipboardReset();
    g_log.clear();
    g_names.clear();
    g_onMessage = nullptr;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"ClipOwner";
    ASSERT_TRUE(RegisterClassW(&wc));
    a = Make("A");
    b = Make("B");
    blocks = KvGlobalBlockCount();
  }
  void TearDown() override {
    g_onMessage = nullptr;
    KvWindowsReset();
    KvClipboardReset();
    EXPECT_EQ(KvGlobalBlockCount(), blocks) << "clipboard data leaked";
  }
  HWND Make(const char* name) {
    HWND h = CreateWindowExW(0, u"ClipOwner", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    g_names[h] = name;
    return h;
  }
  HWND a = nullptr, b = nullptr;
  std::size_t blocks = 0;
};

TEST_F(Clipboard, DelayedFormatIsRenderedOnlyWhenAReaderAsks) {
  const UINT own = RegisterClipboardFormatW(u"Diagram Objects");
  g_onMessage = [](HWND, UINT m, WPARAM w) {
    if (m == WM_RENDERFORMAT && w == CF_UNICODETEXT) {
      EXPECT_TRUE(SetClipboardData(CF_UNICODETEXT, Text16(u"late")));
    }
  };
  ASSERT_TRUE(OpenClipboard(a));
  ASSERT_TRUE(EmptyClipboard());
  const char bytes[] = "objects";
  ASSERT_TRUE(SetClipboardData(own, Block(bytes, sizeof bytes)));
  EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, nullptr), nullptr);  // delayed: a null answer, no error
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS)) << GetLastError();
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(GetClipboardOwner(), a);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_TRUE(g_log.empty());

  ASSERT_TRUE(OpenClipboard(b));
  EXPECT_EQ(ReadText8(GetClipboardData(own)), "objects");
  EXPECT_TRUE(g_log.empty()) << "data already there needs no owner";
  EXPECT_EQ(ReadText16(GetClipboardData(CF_UNICODETEXT)), u"late");
  EXPECT_EQ(ReadText16(GetClipboardData(CF_UNICODETEXT)), u"late");
  EXPECT_EQ(ReadText8(GetClipboardData(CF_TEXT)), "late");  // converted, not rendered again
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(g_log, (std::vector<std::string>{"A:RENDERFORMAT(13)"}));
}

TEST_F(Clipboard, DelayedFormatNotRenderedGivesNothing) {
  ASSERT_TRUE(OpenClipboard(a));
  ASSERT_TRUE(EmptyClipboard());
  SetClipboardData(CF_UNICODETEXT, nullptr);
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);  // the owner did not answer
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  ASSERT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, SecondOwnerEmptyingTellsTheFirst) {
  ASSERT_TRUE(OpenClipboard(a));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(SetClipboardData(CF_UNICODETEXT, Text16(u"first")));
  ASSERT_TRUE(CloseClipboard());

  ASSERT_TRUE(OpenClipboard(b));
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(g_log, (std::vector<std::string>{"A:DESTROYCLIPBOARD"}));
  EXPECT_EQ(GetClipboardOwner(), b);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_EQ(KvGlobalBlockCount(), blocks) << "the first owner's data is freed";
  ASSERT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, OwnerGoingRendersWhatItCanFirst) {
  g_onMessage = [this](HWND h, UINT m, WPARAM) {
    if (m != WM_RENDERALLFORMATS) return;
    ASSERT_TRUE(OpenClipboard(h));
    EXPECT_EQ(GetClipboardOwner(), a);
    SetClipboardData(CF_UNICODETEXT, Text16(u"kept"));
    CloseClipboard();
  };
  ASSERT_TRUE(OpenClipboard(a));
  ASSERT_TRUE(EmptyClipboard());
  SetClipboardData(CF_UNICODETEXT, nullptr);
  SetClipboardData(CF_DIB, nullptr);
  ASSERT_TRUE(CloseClipboard());
  ASSERT_TRUE(DestroyWindow(a));
  EXPECT_EQ(g_log, (std::vector<std::string>{"A:RENDERALLFORMATS", "A:DESTROY"}));
  EXPECT_EQ(GetClipboardOwner(), nullptr);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB)) << "left unrendered: dropped";
  ASSERT_TRUE(OpenClipboard(b));
  EXPECT_EQ(ReadText16(GetClipboardData(CF_UNICODETEXT)), u"kept");
  ASSERT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, CallsWithoutOpeningFail) {
  HGLOBAL mem = Text16(u"x");
  struct Case {
    const char* call;
    std::function<bool()> fails;
  };
  const Case cases[] = {
      {"CloseClipboard", [] { return !CloseClipboard(); }},
      {"EmptyClipboard", [] { return !EmptyClipboard(); }},
      {"SetClipboardData", [&] { return !SetClipboardData(CF_UNICODETEXT, mem); }},
      {"GetClipboardData", [] { return !GetClipboardData(CF_UNICODETEXT); }},
      {"EnumClipboardFormats", [] { return EnumClipboardFormats(0) == 0; }},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_TRUE(c.fails()) << c.call;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CLIPBOARD_NOT_OPEN)) << c.call;
  }
  EXPECT_EQ(GlobalFree(mem), nullptr) << "a refused block stays the caller's";

  ASSERT_TRUE(OpenClipboard(a));
  EXPECT_TRUE(OpenClipboard(a)) << "the opener may open again";
  EXPECT_FALSE(OpenClipboard(b));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetOpenClipboardWindow(), a);
  ASSERT_TRUE(CloseClipboard());
  HWND gone = Make("gone");
  DestroyWindow(gone);
  EXPECT_FALSE(OpenClipboard(gone));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Clipboard, OpenerDestroyedClosesIt) {
  ASSERT_TRUE(OpenClipboard(a));
  DestroyWindow(a);
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
  EXPECT_TRUE(OpenClipboard(b));
  EXPECT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, BadDataAndFormatsAreRefused) {
  ASSERT_TRUE(OpenClipboard(a));
  ASSERT_TRUE(EmptyClipboard());
  HGLOBAL mem = Text16(u"x");
  SetLastError(0);
  EXPECT_EQ(SetClipboardData(CF_BITMAP, mem), nullptr) << "a block is no bitmap";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SetClipboardData(0, mem), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  GlobalFree(mem);
  EXPECT_EQ(SetClipboardData(CF_TEXT, reinterpret_cast<HANDLE>(std::uintptr_t(0x5551))), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  const UINT never = 0xC000 + 0x3FFF;
  EXPECT_EQ(GetClipboardData(never), nullptr);
  EXPECT_FALSE(IsClipboardFormatAvailable(never));
  ASSERT_TRUE(CloseClipboard());

  // Without an owner nobody could render a delayed format.
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(GetClipboardOwner(), nullptr);
  EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  ASSERT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, RegisteredNames) {
  const char16_t* names[] = {CFSTR_EMBEDSOURCE, CFSTR_OBJECTDESCRIPTOR, CFSTR_LINKSOURCE, CFSTR_LINKSRCDESCRIPTOR,
                             u"Diagram Objects"};
  std::vector<UINT> ids;
  for (const char16_t* n : names) {
    const UINT id = RegisterClipboardFormatW(n);
    EXPECT_GE(id, 0xC000u);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 0);
    ids.push_back(id);
    char16_t back[64];
    EXPECT_EQ(GetClipboardFormatNameW(id, back, 64), int(std::char_traits<char16_t>::length(n)));
    EXPECT_EQ(std::u16string(back), n);
  }
  EXPECT_EQ(RegisterClipboardFormatW(u"embed SOURCE"), ids[0]) << "names compare without case";
  char16_t cut[6];
  EXPECT_EQ(GetClipboardFormatNameW(ids[0], cut, 6), 5);
  EXPECT_EQ(std::u16string(cut), u"Embed");

  char16_t buf[8];
  for (UINT bad : {CF_TEXT, UINT(CF_ENHMETAFILE), 0xC000u + 0x3FFFu}) {
    SetLastError(0);
    EXPECT_EQ(GetClipboardFormatNameW(bad, buf, 8), 0) << bad;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  EXPECT_EQ(RegisterClipboardFormatW(nullptr), 0u);
  EXPECT_EQ(RegisterClipboardFormatW(u""), 0u);
}

TEST_F(Clipboard, FormatsListInOrderSetWithConversionsAfter) {
  const UINT own = RegisterClipboardFormatW(u"Diagram Objects");
  ASSERT_TRUE(OpenClipboard(a));
  ASSERT_TRUE(EmptyClipboard());
  SetClipboardData(own, nullptr);
  SetClipboardData(CF_TEXT, Block("abc", 4));
  SetClipboardData(CF_ENHMETAFILE, nullptr);
  std::vector<UINT> listed;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) listed.push_back(f);
  EXPECT_EQ(listed, (std::vector<UINT>{own, CF_TEXT, CF_ENHMETAFILE, CF_UNICODETEXT}));
  EXPECT_EQ(CountClipboardFormats(), 4);
  EXPECT_EQ(ReadText16(GetClipboardData(CF_UNICODETEXT)), u"abc");
  // Text set again makes the converted form stale: it is made anew.
  SetClipboardData(CF_TEXT, Block("xyz", 4));
  EXPECT_EQ(ReadText16(GetClipboardData(CF_UNICODETEXT)), u"xyz");
  ASSERT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, TextConversionKeepsLatin1AndMarksTheRest) {
  ASSERT_TRUE(OpenClipboard(a));
  ASSERT_TRUE(EmptyClipboard());
  SetClipboardData(CF_UNICODETEXT, Text16(u"caf\u00e9 \u20ac \U0001F600"));
  EXPECT_EQ(ReadText8(GetClipboardData(CF_TEXT)), "caf\xe9 ? ?");
  ASSERT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, BitmapAndDibConvert) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(3, 2, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  SetPixel(dc, 2, 1, RGB(255, 0, 0));
  SelectObject(dc, old);
  ASSERT_TRUE(OpenClipboard(a));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(SetClipboardData(CF_BITMAP, bmp));
  HANDLE dib = GetClipboardData(CF_DIB);
  ASSERT_TRUE(dib);
  BITMAPINFOHEADER h{};
  std::memcpy(&h, GlobalLock(static_cast<HGLOBAL>(dib)), sizeof h);
  const auto* bits = static_cast<const BYTE*>(GlobalLock(static_cast<HGLOBAL>(dib))) + sizeof h;
  EXPECT_EQ(h.biWidth, 3);
  EXPECT_EQ(h.biHeight, 2);
  EXPECT_EQ(h.biBitCount, 32);
  // Bottom-up: the lower row comes first; blue, green, red order.
  EXPECT_EQ(bits[2 * 4 + 2], 255);
  EXPECT_EQ(bits[2 * 4 + 0], 0);
  GlobalUnlock(static_cast<HGLOBAL>(dib));
  GlobalUnlock(static_cast<HGLOBAL>(dib));

  // And back: a DIB set alone gives a bitmap of its pixels.
  const SIZE_T n = GlobalSize(static_cast<HGLOBAL>(dib));
  std::vector<BYTE> copy(n);
  std::memcpy(copy.data(), GlobalLock(static_cast<HGLOBAL>(dib)), n);
  GlobalUnlock(static_cast<HGLOBAL>(dib));
  ASSERT_TRUE(EmptyClipboard());
  SetClipboardData(CF_DIB, Block(copy.data(), copy.size()));
  auto back = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  ASSERT_TRUE(back);
  old = SelectObject(dc, back);
  EXPECT_EQ(GetPixel(dc, 2, 1), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
  SelectObject(dc, old);

  // A DIB whose block is shorter than its header says gives no bitmap.
  ASSERT_TRUE(EmptyClipboard());
  SetClipboardData(CF_DIB, Block(copy.data(), copy.size() - 1));
  EXPECT_EQ(GetClipboardData(CF_BITMAP), nullptr);
  BITMAPINFOHEADER huge = h;
  huge.biWidth = 0x7FFFFFFF;
  SetClipboardData(CF_DIB, Block(&huge, sizeof huge));
  EXPECT_EQ(GetClipboardData(CF_BITMAP), nullptr);
  ASSERT_TRUE(CloseClipboard());
  DeleteDC(dc);
}

}  // namespace
