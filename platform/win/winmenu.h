// Menus, headless: menus are trees in a handle table; a pop-up menu that is
// tracked is not shown but logged (owner, point, flags and its entries as a
// person would read them) and answered from a script of command ids.
//
// Menu resources are tables (KvMenuTemplateItem) registered as module
// resources of type RT_MENU: each row is an entry at a depth, a pop-up's
// entries follow it one level deeper.
//
// Handles are never reused: a destroyed menu's handle answers
// ERROR_INVALID_MENU_HANDLE. Lookups by command search nested pop-ups too,
// depth first; an unknown command or position answers as the system does
// (FALSE, or -1 for the calls that answer a state, an id or a count).
#pragma once

#include <string>
#include <vector>

#include "win/winres.h"
#include "win/winuser.h"

constexpr LONG ERROR_INVALID_MENU_HANDLE = 1401;
constexpr LONG ERROR_MENU_ITEM_NOT_FOUND = 1456;
#ifndef KV_ERROR_RESOURCE_NAME_NOT_FOUND
#define KV_ERROR_RESOURCE_NAME_NOT_FOUND
constexpr LONG ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
#endif

// The menu resource type.
#define RT_MENU MAKEINTRESOURCEW(4)

// ---- flags of the classic calls (InsertMenuW, AppendMenuW, CheckMenuItem...) ----
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_BITMAP = 0x0004;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_HILITE = 0x0080;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_DEFAULT = 0x1000;

// ---- MENUITEMINFOW ----
constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_CHECKMARKS = 0x0008;
constexpr UINT MIIM_TYPE = 0x0010;
constexpr UINT MIIM_DATA = 0x0020;
constexpr UINT MIIM_STRING = 0x0040;
constexpr UINT MIIM_BITMAP = 0x0080;
constexpr UINT MIIM_FTYPE = 0x0100;
constexpr UINT MFT_STRING = 0x0000;
constexpr UINT MFT_BITMAP = 0x0004;
constexpr UINT MFT_OWNERDRAW = 0x0100;
constexpr UINT MFT_RADIOCHECK = 0x0200;
constexpr UINT MFT_SEPARATOR = 0x0800;
constexpr UINT MFS_ENABLED = 0x0000;
constexpr UINT MFS_UNCHECKED = 0x0000;
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_DISABLED = MFS_GRAYED;
constexpr UINT MFS_CHECKED = 0x0008;
constexpr UINT MFS_HILITE = 0x0080;
constexpr UINT MFS_DEFAULT = 0x1000;

struct MENUITEMINFOW {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HBITMAP hbmpChecked;
  HBITMAP hbmpUnchecked;
  ULONG_PTR dwItemData;
  LPWSTR dwTypeData;  // the text (in: a buffer of cch characters; null asks for the length)
  UINT cch;
  HBITMAP hbmpItem;
};
using LPMENUITEMINFOW = MENUITEMINFOW*;

// ---- TrackPopupMenu ----
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

// Sent to the owner before a pop-up is tracked (unless TPM_NONOTIFY):
// wParam the menu, lParam MAKELPARAM(position, FALSE).
constexpr UINT WM_INITMENUPOPUP = 0x0117;

// ---- creation and destruction ----
HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and the pop-ups it holds.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
// A menu resource of the module (RT_MENU, a KvMenuTemplateItem table); null
// with ERROR_RESOURCE_NAME_NOT_FOUND when there is none, ERROR_INVALID_DATA
// for a table whose depths do not nest.
HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name);

// ---- entries ----
// `idOrPopup` is the command id, or the pop-up's HMENU with MF_POPUP. A
// position past the end appends. A pop-up cannot be put inside itself.
BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR text);
BOOL InsertMenuW(HMENU menu, UINT item, UINT flags, UINT_PTR idOrPopup, LPCWSTR text);
BOOL ModifyMenuW(HMENU menu, UINT item, UINT flags, UINT_PTR idOrPopup, LPCWSTR text);
// DeleteMenu destroys a pop-up it removes; RemoveMenu leaves it to the caller.
BOOL DeleteMenu(HMENU menu, UINT item, UINT flags);
BOOL RemoveMenu(HMENU menu, UINT item, UINT flags);
// The previous check state (MF_CHECKED or 0), -1 when there is no such entry.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
// Checks `check` with a radio mark and clears the others of first..last.
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
// The previous state (MF_GRAYED, MF_DISABLED or 0), -1 when there is none.
BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
// The state flags (for a pop-up the entry count in the high byte); -1 when there is none.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuItemCount(HMENU menu);  // -1 for a bad handle
// The command id at a position; -1 for a pop-up or a bad position (0 for a separator).
UINT GetMenuItemID(HMENU menu, int pos);
HMENU GetSubMenu(HMENU menu, int pos);  // null unless a pop-up stands there
// The text's length, copied (cut to max - 1 characters) when a buffer is given; 0 when there is none.
int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int max, UINT flags);
BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOW info);
BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info);
BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info);
BOOL SetMenuItemBitmaps(HMENU menu, UINT item, UINT flags, HBITMAP unchecked, HBITMAP checked);
BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition);

// Tracks a pop-up: WM_INITMENUPOPUP to the owner (unless TPM_NONOTIFY), then
// the next scripted answer. With TPM_RETURNCMD the answer is the command
// chosen, 0 when the script cancels, is empty or names no entry that can be
// chosen (a grayed, disabled or missing one); otherwise a chosen command is
// posted to the owner as WM_COMMAND and the answer is TRUE. FALSE with
// ERROR_INVALID_MENU_HANDLE or ERROR_INVALID_WINDOW_HANDLE for bad handles.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const void* params);

// ---- the menu resource table ------------------------------------------------
// One row: an entry at `depth` (0 for the menu itself). MF_POPUP opens a
// pop-up whose entries follow at depth + 1; MF_SEPARATOR is a separator (no
// text); other flags (MF_GRAYED, MF_CHECKED...) give the entry's state.
struct KvMenuTemplateItem {
  int depth;
  UINT flags;
  UINT id;
  LPCWSTR text;
};
// Builds a menu from rows; null with ERROR_INVALID_DATA when the depths do not nest.
HMENU KvMenuFromTemplate(const KvMenuTemplateItem* rows, std::size_t count);

// ---- the test driver ---------------------------------------------------------
// The entries as a person reads them, one line per entry, two spaces of
// indent per level: "-" for a separator, "> text" for a pop-up, else the
// text and " #id", followed by " checked", " radio", " grayed", " default"
// as they apply. Empty for a bad handle.
std::u16string KvMenuText(HMENU menu);
struct KvTrackedMenu {
  HWND owner = nullptr;
  UINT flags = 0;
  POINT pt{0, 0};
  std::u16string text;  // KvMenuText when it was shown
  UINT answer = 0;  // the command chosen, 0 for none
};
const std::vector<KvTrackedMenu>& KvMenuLog();
void KvClearMenuLog();
// Appends answers to the script: a command id, or 0 to cancel.
void KvScriptMenuAnswers(const std::vector<UINT>& ids);
std::size_t KvPendingMenuAnswers();
// Live menus, for leak checks.
std::size_t KvMenuCount();
// Empties the script and the log (menus stay: their owners destroy them).
void KvMenusReset();
