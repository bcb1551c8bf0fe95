// The tooltip control, headless: a pop-up window of class TOOLTIPS_CLASSW
// that keeps a list of tools (a window, or a rectangle of a window) and
// shows a tip when the mouse messages relayed to it (TTM_RELAYEVENT) rest on
// a tool for the initial delay of virtual time. A tool whose text is
// LPSTR_TEXTCALLBACKW asks for it each time the tip shows, through
// WM_NOTIFY with TTN_NEEDTEXTW sent to the tool's window. Showing makes the
// window visible at the pointer with the text as its window text, so a test
// reads what a person would see (KvToolTipInfo gathers it).
#pragma once

#include <string>

#include "win/winuser.h"

#define TOOLTIPS_CLASSW u"tooltips_class32"
#define LPSTR_TEXTCALLBACKW (reinterpret_cast<LPWSTR>(static_cast<std::intptr_t>(-1)))

constexpr DWORD TTS_ALWAYSTIP = 0x01;
constexpr DWORD TTS_NOPREFIX = 0x02;

constexpr UINT TTF_IDISHWND = 0x0001;
constexpr UINT TTF_CENTERTIP = 0x0002;
constexpr UINT TTF_SUBCLASS = 0x0010;
constexpr UINT TTF_TRACK = 0x0020;
constexpr UINT TTF_ABSOLUTE = 0x0080;
constexpr UINT TTF_TRANSPARENT = 0x0100;

constexpr WPARAM TTDT_AUTOMATIC = 0;
constexpr WPARAM TTDT_RESHOW = 1;
constexpr WPARAM TTDT_AUTOPOP = 2;
constexpr WPARAM TTDT_INITIAL = 3;

constexpr UINT TTM_ACTIVATE = WM_USER + 1;
constexpr UINT TTM_SETDELAYTIME = WM_USER + 3;
constexpr UINT TTM_RELAYEVENT = WM_USER + 7;
constexpr UINT TTM_GETTOOLCOUNT = WM_USER + 13;
constexpr UINT TTM_TRACKACTIVATE = WM_USER + 17;
constexpr UINT TTM_TRACKPOSITION = WM_USER + 18;
constexpr UINT TTM_GETDELAYTIME = WM_USER + 21;
constexpr UINT TTM_SETMAXTIPWIDTH = WM_USER + 24;
constexpr UINT TTM_GETMAXTIPWIDTH = WM_USER + 25;
constexpr UINT TTM_POP = WM_USER + 28;
constexpr UINT TTM_UPDATE = WM_USER + 29;
constexpr UINT TTM_ADDTOOLW = WM_USER + 50;
constexpr UINT TTM_DELTOOLW = WM_USER + 51;
constexpr UINT TTM_NEWTOOLRECTW = WM_USER + 52;
constexpr UINT TTM_GETTOOLINFOW = WM_USER + 53;
constexpr UINT TTM_SETTOOLINFOW = WM_USER + 54;
constexpr UINT TTM_GETTEXTW = WM_USER + 56;
constexpr UINT TTM_UPDATETIPTEXTW = WM_USER + 57;

constexpr UINT TTN_FIRST = 0u - 520u;
constexpr UINT TTN_GETDISPINFOW = TTN_FIRST - 10;  // -530
constexpr UINT TTN_NEEDTEXTW = TTN_GETDISPINFOW;
constexpr UINT TTN_SHOW = TTN_FIRST - 1;
constexpr UINT TTN_POP = TTN_FIRST - 2;

struct TTTOOLINFOW {
  UINT cbSize;
  UINT uFlags;
  HWND hwnd;  // the window that holds the tool and hears its notifications
  UINT_PTR uId;  // the tool's id, or its window with TTF_IDISHWND
  RECT rect;  // the tool's area in hwnd's client coordinates (not with TTF_IDISHWND)
  HINSTANCE hinst;
  LPWSTR lpszText;  // the text, or LPSTR_TEXTCALLBACKW
  LPARAM lParam;
  void* lpReserved;
};
using TOOLINFOW = TTTOOLINFOW;
using LPTTTOOLINFOW = TTTOOLINFOW*;

struct NMTTDISPINFOW {
  NMHDR hdr;
  LPWSTR lpszText;  // the answer: a text (kept alive by the answerer), or null to use szText
  WCHAR szText[80];
  HINSTANCE hinst;
  UINT uFlags;
  LPARAM lParam;
};
using TOOLTIPTEXTW = NMTTDISPINFOW;

// Registers the tooltip window class when it is not registered yet (TRUE
// once it is).
BOOL KvRegisterToolTipClass();

// ---- the test driver ---------------------------------------------------------
struct KvToolTipInfo {
  bool valid = false;  // a live tooltip window
  bool active = true;  // TTM_ACTIVATE
  bool shown = false;
  std::u16string text;  // the text shown (or last shown)
  POINT pos{0, 0};  // the tip's upper-left corner, screen coordinates
  int maxWidth = -1;
  int delays[4] = {0, 0, 0, 0};  // indexed by TTDT_*: reshow, autopop and initial (0 unused)
  int tools = 0;
  int shows = 0;  // how many times a tip was shown
  int textRequests = 0;  // TTN_NEEDTEXTW notifications sent
};
KvToolTipInfo KvGetToolTipInfo(HWND tooltip);
