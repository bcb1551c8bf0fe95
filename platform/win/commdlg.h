// The common dialogs, scripted: a test or a host queues the answers the user
// would give, each call takes the next one (Cancel when none is left, as a
// user who closes the dialog), and every call is logged with what the
// dialog was opened with.
#pragma once

#include <optional>
#include <vector>

#include "win/windef.h"
#include "win/wingdi.h"

// ---- the font dialog ----
constexpr DWORD CF_SCREENFONTS = 0x00000001;
constexpr DWORD CF_PRINTERFONTS = 0x00000002;
constexpr DWORD CF_BOTH = CF_SCREENFONTS | CF_PRINTERFONTS;
constexpr DWORD CF_SHOWHELP = 0x00000004;
constexpr DWORD CF_ENABLEHOOK = 0x00000008;
constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x00000040;
constexpr DWORD CF_USESTYLE = 0x00000080;
constexpr DWORD CF_EFFECTS = 0x00000100;
constexpr DWORD CF_LIMITSIZE = 0x00002000;
constexpr DWORD CF_FORCEFONTEXIST = 0x00010000;
constexpr DWORD CF_TTONLY = 0x00040000;
constexpr DWORD CF_NOSCRIPTSEL = 0x00800000;
constexpr WORD SCREEN_FONTTYPE = 0x2000;

// Extended errors (CommDlgExtendedError).
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;

using LPCFHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct CHOOSEFONTW {
  DWORD lStructSize;
  HWND hwndOwner;
  HDC hDC;
  LOGFONTW* lpLogFont;
  INT iPointSize;  // tenths of a point
  DWORD Flags;
  COLORREF rgbColors;
  LPARAM lCustData;
  LPCFHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
  HINSTANCE hInstance;
  LPWSTR lpszStyle;
  WORD nFontType;
  WORD reserved;
  INT nSizeMin;
  INT nSizeMax;
};

// TRUE for OK: *lpLogFont, iPointSize (whole points, from the font's
// height at 96 dots per inch) and, with CF_EFFECTS, rgbColors are the
// chosen ones. FALSE for Cancel (CommDlgExtendedError 0) or a bad record
// (CDERR_STRUCTSIZE, CDERR_INITIALIZATION).
BOOL ChooseFontW(CHOOSEFONTW* cf);
DWORD CommDlgExtendedError();

// ---- the test driver ----
// One answer of the font dialog: Cancel, or OK with a font and a colour
// (either left empty keeps what the dialog was opened with).
struct KvFontDialogAnswer {
  bool ok = false;
  std::optional<LOGFONTW> font;
  std::optional<COLORREF> color;
};
void KvQueueFontDialogAnswer(const KvFontDialogAnswer& answer);
// What each call was opened with: owner, flags, the initial font (when
// CF_INITTOLOGFONTSTRUCT; zeroes otherwise) and colour.
struct KvFontDialogCall {
  HWND owner;
  DWORD flags;
  LOGFONTW font;
  COLORREF color;
};
const std::vector<KvFontDialogCall>& KvFontDialogCalls();
// Forgets the queued answers and the log.
void KvCommDlgReset();
