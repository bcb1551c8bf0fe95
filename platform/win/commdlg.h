// The common dialogs, scripted: a test or a host queues the answers the user
// would give, each call takes the next one (Cancel when none is left, as a
// user who closes the dialog), and every call is logged with what the
// dialog was opened with.
#pragma once

#include <optional>
#include <string>
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

// ---- the colour dialog ----
constexpr DWORD CC_RGBINIT = 0x00000001;
constexpr DWORD CC_FULLOPEN = 0x00000002;
constexpr DWORD CC_ANYCOLOR = 0x00000100;
struct CHOOSECOLORW {
  DWORD lStructSize;
  HWND hwndOwner;
  HWND hInstance;
  COLORREF rgbResult;
  COLORREF* lpCustColors;  // sixteen colours, shown and kept
  DWORD Flags;
  LPARAM lCustData;
  LPCFHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
};
// TRUE for OK with rgbResult the chosen colour (and the answer's custom
// colours written back); FALSE for Cancel, or a bad record (CDERR_STRUCTSIZE;
// CDERR_INITIALIZATION without the custom colours).
BOOL ChooseColorW(CHOOSECOLORW* cc);

// ---- the file dialogs ----
constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;
struct OPENFILENAMEW {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCWSTR lpstrFilter;  // pairs of texts, each ended by a null, the list by two
  LPWSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;  // 1-based; the chosen filter on OK
  LPWSTR lpstrFile;    // in: the initial name; out: the chosen path
  DWORD nMaxFile;
  LPWSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCWSTR lpstrInitialDir;
  LPCWSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;  // where the name starts in the path
  WORD nFileExtension;  // where the extension starts (0: none)
  LPCWSTR lpstrDefExt;  // added to a chosen name without an extension
  LPARAM lCustData;
  LPCFHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
};
// TRUE for OK with the chosen path in lpstrFile; FALSE for Cancel, or a bad
// record (CDERR_STRUCTSIZE; CDERR_INITIALIZATION without a buffer), or a path
// longer than the buffer (FNERR_BUFFERTOOSMALL, the needed size in
// characters in the buffer's first two characters).
BOOL GetOpenFileNameW(OPENFILENAMEW* ofn);
BOOL GetSaveFileNameW(OPENFILENAMEW* ofn);

// ---- the test driver ----
// One answer of the colour dialog: Cancel, or OK with a colour.
struct KvColorDialogAnswer {
  bool ok = false;
  COLORREF color = 0;
};
void KvQueueColorDialogAnswer(const KvColorDialogAnswer& answer);
// What each call was opened with: owner, flags, initial colour.
struct KvColorDialogCall {
  HWND owner;
  DWORD flags;
  COLORREF color;
};
const std::vector<KvColorDialogCall>& KvColorDialogCalls();
// One answer of a file dialog: Cancel, or OK with a path (and the filter
// the user chose, 0 keeping the one shown).
struct KvFileDialogAnswer {
  bool ok = false;
  std::u16string path;
  DWORD filterIndex = 0;
};
void KvQueueFileDialogAnswer(const KvFileDialogAnswer& answer);
// What each call was opened with: open or save, owner, flags, title, the
// initial name and the filter texts.
struct KvFileDialogCall {
  bool save;
  HWND owner;
  DWORD flags;
  std::u16string title;
  std::u16string initialName;
  std::vector<std::u16string> filters;
};
const std::vector<KvFileDialogCall>& KvFileDialogCalls();

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
