// Cursors and keyboard text, headless. Cursors are tokens: a system cursor
// (LoadCursorW with no module) or a module's cursor resource (RT_GROUP_CURSOR,
// found through the module's resource table) answers the same handle on each
// load, as shared cursors do; nothing is drawn, but the cursor the window
// system shows (GetCursor) can be named by tests. The current cursor,
// SetCursor, the cursor position and the key state live in winuser.h.
#pragma once

#include <string>

#include "win/winres.h"
#include "win/winuser.h"

// The system cursors.
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_IBEAM MAKEINTRESOURCEW(32513)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_CROSS MAKEINTRESOURCEW(32515)
#define IDC_UPARROW MAKEINTRESOURCEW(32516)
#define IDC_SIZENWSE MAKEINTRESOURCEW(32642)
#define IDC_SIZENESW MAKEINTRESOURCEW(32643)
#define IDC_SIZEWE MAKEINTRESOURCEW(32644)
#define IDC_SIZENS MAKEINTRESOURCEW(32645)
#define IDC_SIZEALL MAKEINTRESOURCEW(32646)
#define IDC_NO MAKEINTRESOURCEW(32648)
#define IDC_HAND MAKEINTRESOURCEW(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEW(32650)
#define IDC_HELP MAKEINTRESOURCEW(32651)

// The cursor resource types.
#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)

#ifndef KV_ERROR_RESOURCE_NAME_NOT_FOUND
#define KV_ERROR_RESOURCE_NAME_NOT_FOUND
constexpr LONG ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
#endif

// A system cursor (null module: one of the IDC_* ids) or a module's cursor
// resource (by number or name); null with ERROR_RESOURCE_NAME_NOT_FOUND
// when there is no such cursor.
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
// Loaded cursors are shared: destroying one leaves it usable. FALSE for a
// handle that is no cursor.
BOOL DestroyCursor(HCURSOR cursor);

// Converts OEM (code page 437) text to the ANSI code page (1252); a
// character the ANSI page lacks becomes '?'. The source and the
// destination may be the same buffer. FALSE for a null buffer.
BOOL OemToCharBuffA(LPCSTR src, LPSTR dst, DWORD length);

// ---- the test driver ---------------------------------------------------------
// The name of a cursor handle: "IDC_ARROW" and so on for system cursors,
// "#112" for a module's numbered cursor resource, the resource's name for a
// named one; "" for null, "?" for a handle this layer did not make.
std::u16string KvCursorName(HCURSOR cursor);
// The name of the cursor shown now (GetCursor).
inline std::u16string KvCurrentCursorName() { return KvCursorName(GetCursor()); }
