// The clipboard, in process: one opener at a time, an owner, formats set
// with their data or left for later (delayed rendering), registered format
// names, and the conversions the system makes on its own.
//
// Data handed to SetClipboardData belongs to the clipboard from then on:
// global memory blocks for every format but CF_BITMAP (a bitmap) and
// CF_ENHMETAFILE (an enhanced metafile). EmptyClipboard frees them.
//
// A format set with a null handle is rendered when a reader asks for it:
// GetClipboardData sends WM_RENDERFORMAT (wParam the format) to the owner,
// which answers with SetClipboardData. An owner about to be destroyed with
// formats still unrendered gets WM_RENDERALLFORMATS first; what it leaves
// unrendered then is dropped. EmptyClipboard sends WM_DESTROYCLIPBOARD to the
// owner it replaces.
//
// Text is converted between CF_UNICODETEXT and CF_TEXT (the ANSI code page
// here is Latin-1: other characters become '?'), bitmaps between CF_BITMAP
// and CF_DIB (32 bits per pixel, bottom-up). A converted format is listed
// after the formats set, and made when first read.
#pragma once

#include "win/winole.h"  // CLIPFORMAT, CF_ENHMETAFILE, global memory
#include "win/winuser.h"

// ---- messages to the owner ----
constexpr UINT WM_RENDERFORMAT = 0x0305;
constexpr UINT WM_RENDERALLFORMATS = 0x0306;
constexpr UINT WM_DESTROYCLIPBOARD = 0x0307;

constexpr LONG ERROR_CLIPBOARD_NOT_OPEN = 1418;

// ---- standard formats ----
constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_METAFILEPICT = 3;
constexpr UINT CF_OEMTEXT = 7;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_UNICODETEXT = 13;
// CF_ENHMETAFILE (14) comes with win/winole.h.

// The names of the OLE formats (registered through RegisterClipboardFormatW).
inline constexpr const char16_t* CFSTR_EMBEDSOURCE = u"Embed Source";
inline constexpr const char16_t* CFSTR_OBJECTDESCRIPTOR = u"Object Descriptor";
inline constexpr const char16_t* CFSTR_LINKSOURCE = u"Link Source";
inline constexpr const char16_t* CFSTR_LINKSRCDESCRIPTOR = u"Link Source Descriptor";

// FALSE with ERROR_ACCESS_DENIED while another window holds it open,
// ERROR_INVALID_WINDOW_HANDLE for a stale window. The window that has it
// open may open it again.
BOOL OpenClipboard(HWND hwnd);
// FALSE with ERROR_CLIPBOARD_NOT_OPEN when it is not open.
BOOL CloseClipboard();
// Frees every format and makes the opener the owner; WM_DESTROYCLIPBOARD
// goes to the owner before. ERROR_CLIPBOARD_NOT_OPEN when not open.
BOOL EmptyClipboard();
// The handle, or null: ERROR_CLIPBOARD_NOT_OPEN when not open (the owner
// may render while a reader holds it open), ERROR_INVALID_PARAMETER for
// format 0 or a delayed format without an owner to render it,
// ERROR_INVALID_HANDLE for data that is not a live object of its kind (the
// handle stays the caller's then). A format set again replaces its data.
HANDLE SetClipboardData(UINT format, HANDLE data);
// The clipboard's handle (still the clipboard's), rendering a delayed or
// converted format first; null with ERROR_CLIPBOARD_NOT_OPEN when not open,
// null for a format not there or not rendered.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
// The format after `format` (0 starts), 0 at the end (with ERROR_SUCCESS)
// or when not open (ERROR_CLIPBOARD_NOT_OPEN).
UINT EnumClipboardFormats(UINT format);
int CountClipboardFormats();
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();
// The same name (compared without regard to case) answers the same number,
// from 0xC000 up; 0 with ERROR_INVALID_PARAMETER for a null or empty name.
UINT RegisterClipboardFormatW(LPCWSTR name);
// The registered name (cut to `count` - 1 characters); 0 for a standard or
// never-registered format (ERROR_INVALID_PARAMETER).
int GetClipboardFormatNameW(UINT format, LPWSTR buffer, int count);

// ---- the test driver ----
// Closes and empties the clipboard, with no owner (a live owner hears
// WM_DESTROYCLIPBOARD first); the registered names stay, as they do for the
// life of a session.
void KvClipboardReset();
