// The window system, headless: window classes and a handle table of windows
// with procedures, messages sent (a direct call) and posted (a queue), a
// message loop that never blocks and runs on a virtual clock, timers, mouse
// and keyboard input played from a script, capture and focus, painting
// through update regions into each window's own raster surface, scroll-bar
// state, and the system metrics and colours of a 96 dots-per-inch display.
//
// The loop's order: posted messages (WM_QUIT once they are gone), then
// WM_PAINT for a visible window with an update region, then whichever comes
// first in virtual time of the timers and the script's items (a script item
// wins a tie). GetMessage moves the clock forward to that item when it lies
// in the future; when the script is exhausted it gives the timers that are
// due and then WM_CANCELMODE, so that every loop waiting for input ends.
// PeekMessage never makes WM_CANCELMODE and never takes a future item; when
// it finds nothing, virtual time passes (one spin step, never beyond the next
// timer or script item), so that a loop polling for a delay also ends.
//
// Each window paints into a surface of its own, the size of its client
// area: a parent's surface does not show its children. The non-client
// area (frame, caption, scroll bars) is only reckoned, never drawn.
//
// Handles are never reused: a destroyed window's handle is recognised and
// answered with ERROR_INVALID_WINDOW_HANDLE. Single-threaded.
#pragma once

#include <string>
#include <vector>

#include "win/windef.h"
#include "win/wingdi.h"
#include "win/winmsg.h"
#include "win/winreg.h"  // the ERROR_* codes

#ifndef KV_WIN_LAST_ERROR
#define KV_WIN_LAST_ERROR
DWORD GetLastError();
void SetLastError(DWORD error);
#endif

// The cairo surface type, declared here so that users of this header do not
// take in cairo itself.
typedef struct _cairo_surface cairo_surface_t;

KV_DECLARE_HANDLE(HHOOK);
using ATOM = WORD;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
using HOOKPROC = LRESULT (*)(int, WPARAM, LPARAM);

// ---- error codes of the window system ----
constexpr LONG ERROR_STACK_OVERFLOW = 1001;
constexpr LONG ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr LONG ERROR_TLW_WITH_WSCHILD = 1406;
constexpr LONG ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr LONG ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr LONG ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr LONG ERROR_CLASS_HAS_WINDOWS = 1412;
constexpr LONG ERROR_INVALID_INDEX = 1413;
constexpr LONG ERROR_CONTROL_ID_NOT_FOUND = 1421;
constexpr LONG ERROR_INVALID_HOOK_FILTER = 1426;

// ---- messages ----
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_CONTEXTMENU = 0x007B;
// Gives a window its icon: wParam ICON_SMALL or ICON_BIG, lParam the HICON.
constexpr UINT WM_SETICON = 0x0080;
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr UINT WM_KEYFIRST = 0x0100;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_KEYLAST = 0x0109;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEFIRST = 0x0200;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_MOUSELAST = 0x020A;
constexpr UINT WM_PARENTNOTIFY = 0x0210;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// Dialog answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Notification codes of WM_COMMAND and WM_NOTIFY used by the wrappers.
constexpr UINT BN_CLICKED = 0;

// ---- styles ----
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;
constexpr UINT CS_GLOBALCLASS = 0x4000;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ---- window longs, relations, show and position ----
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_HWNDPARENT = -8;
constexpr int GWLP_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWNA = 8;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SIZE_RESTORED = 0;
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_NOERASE = 0x0020;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;

// ---- the queue ----
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT USER_TIMER_MINIMUM = 0x0000000A;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// ---- keys and buttons ----
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F1 = 0x70;
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;

// ---- scroll bars ----
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int SB_BOTH = 3;
constexpr int SB_LINEUP = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_TOP = 6;
constexpr int SB_BOTTOM = 7;
constexpr int SB_ENDSCROLL = 8;
constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
constexpr UINT ESB_ENABLE_BOTH = 0;
constexpr UINT ESB_DISABLE_BOTH = 3;

// ---- hooks (creation and destruction notices only) ----
constexpr int WH_CBT = 5;
constexpr int HCBT_CREATEWND = 3;
constexpr int HCBT_DESTROYWND = 4;

// ---- records ----
struct WNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;  // a brush, or a COLOR_* index + 1
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;  // a name, or an atom (MAKEINTATOM)
};
struct CREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
};
using LPCREATESTRUCTW = CREATESTRUCTW*;
struct CBT_CREATEWNDW {
  CREATESTRUCTW* lpcs;
  HWND hwndInsertAfter;
};
struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;  // the background still has to be painted
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
struct SCROLLINFO {
  UINT cbSize;
  UINT fMask;
  int nMin;
  int nMax;
  UINT nPage;
  int nPos;
  int nTrackPos;
};
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};

inline LPCWSTR MAKEINTATOM(ATOM atom) { return reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(atom)); }
inline short GET_X_LPARAM(LPARAM l) { return static_cast<short>(LOWORD(static_cast<DWORD_PTR>(l))); }
inline short GET_Y_LPARAM(LPARAM l) { return static_cast<short>(HIWORD(static_cast<DWORD_PTR>(l))); }
inline LPARAM MAKELPARAM(int lo, int hi) {
  return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(lo), static_cast<WORD>(hi)));
}
inline WPARAM MAKEWPARAM(int lo, int hi) { return MAKELONG(static_cast<WORD>(lo), static_cast<WORD>(hi)); }
inline short GET_WHEEL_DELTA_WPARAM(WPARAM w) { return static_cast<short>(HIWORD(w)); }

// ---- classes ----
// An atom (0xC000 and up) or 0: ERROR_CLASS_ALREADY_EXISTS when the name is
// taken for the instance (or by a global class), ERROR_INVALID_PARAMETER for
// a missing name or procedure. Names compare without regard to case.
ATOM RegisterClassW(const WNDCLASSW* wc);
// ERROR_CLASS_DOES_NOT_EXIST, or ERROR_CLASS_HAS_WINDOWS while windows of it live.
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
// The class of that name for the instance, else a global class of that name.
BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* out);
int GetClassNameW(HWND hwnd, LPWSTR buffer, int count);

// ---- creation, destruction, longs ----
// Messages: (the CBT hook), WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, then
// WM_PARENTNOTIFY to the parent of a child, then WM_SHOWWINDOW for
// WS_VISIBLE. Null when WM_NCCREATE answers FALSE or WM_CREATE answers -1
// (the window is destroyed again), for an unknown class
// (ERROR_CANNOT_FIND_WND_CLASS), a child without a parent
// (ERROR_TLW_WITH_WSCHILD) or a stale parent (ERROR_INVALID_WINDOW_HANDLE).
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int cx,
                     int cy, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param);
inline HWND CreateWindowW(LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int cx, int cy,
                          HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param) {
  return CreateWindowExW(0, className, windowName, style, x, y, cx, cy, parent, menuOrId, instance, param);
}
// Owned windows go first; then WM_DESTROY to the window and then to its
// children (parents first), then WM_NCDESTROY to the children and last to
// the window. Capture and focus inside the tree are given up before.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
// The previous value; 0 with ERROR_INVALID_INDEX for an index outside the
// window's extra bytes (8-byte words from offset 0).
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---- relations, ids, text ----
HWND GetDesktopWindow();
// The parent of a child window, the owner of a pop-up, else null.
HWND GetParent(HWND hwnd);
HWND SetParent(HWND hwnd, HWND newParent);
HWND GetWindow(HWND hwnd, UINT cmd);
HWND GetAncestor(HWND hwnd, UINT flags);
BOOL IsChild(HWND parent, HWND hwnd);
int GetDlgCtrlID(HWND hwnd);
HWND GetDlgItem(HWND dialog, int id);
LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int count);
int GetWindowTextLengthW(HWND hwnd);
BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int count);

// ---- rectangles and coordinates ----
BOOL GetWindowRect(HWND hwnd, LPRECT rc);  // screen coordinates
BOOL GetClientRect(HWND hwnd, LPRECT rc);  // (0, 0, width, height)
BOOL ClientToScreen(HWND hwnd, LPPOINT pt);
BOOL ScreenToClient(HWND hwnd, LPPOINT pt);
// 0 with ERROR_INVALID_WINDOW_HANDLE for a stale handle; else the offset
// (dy in the high word) and the points mapped.
int MapWindowPoints(HWND from, HWND to, LPPOINT pts, UINT count);
BOOL MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// The deepest visible, enabled window under a screen point (the desktop when none).
HWND WindowFromPoint(POINT pt);
HWND ChildWindowFromPoint(HWND parent, POINT clientPt);

// ---- state ----
BOOL ShowWindow(HWND hwnd, int cmd);  // whether it was visible
BOOL IsWindowVisible(HWND hwnd);      // it and every ancestor
BOOL EnableWindow(HWND hwnd, BOOL enable);  // whether it was disabled
BOOL IsWindowEnabled(HWND hwnd);

// ---- messages ----
// A direct call of the window's procedure; 0 with ERROR_INVALID_WINDOW_HANDLE
// for a stale handle, 0 with ERROR_STACK_OVERFLOW when sends nest too deep.
LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queued; a null window posts to the thread.
BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// FALSE for WM_QUIT, -1 (ERROR_INVALID_WINDOW_HANDLE) for a stale filter
// window. A filter window also takes its children's messages; a range of
// (0, 0) takes every message.
BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
LRESULT DispatchMessageW(const MSG* msg);
// Posts WM_CHAR for a WM_KEYDOWN of a key that types a character.
BOOL TranslateMessage(const MSG* msg);
DWORD GetMessageTime();
DWORD GetMessagePos();  // screen x in the low word, y in the high word
BOOL GetInputState();   // script input or timers are due

// ---- time and timers ----
DWORD GetTickCount();
// The id (a new one for a null window); 0 for a stale window. The period
// is kept between USER_TIMER_MINIMUM and USER_TIMER_MAXIMUM.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
UINT GetDoubleClickTime();

// ---- keys, mouse, capture, focus ----
SHORT GetKeyState(int vk);  // high bit down, low bit toggled
SHORT GetAsyncKeyState(int vk);
BOOL GetCursorPos(LPPOINT pt);
BOOL SetCursorPos(int x, int y);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
HWND SetCapture(HWND hwnd);  // the previous holder; WM_CAPTURECHANGED to it
BOOL ReleaseCapture();
HWND GetCapture();
HWND SetFocus(HWND hwnd);  // the previous focus; WM_KILLFOCUS, then WM_SETFOCUS
HWND GetFocus();
HWND GetActiveWindow();
HWND SetActiveWindow(HWND hwnd);

// ---- painting ----
// Regions and rectangles are client coordinates. A window that is not
// visible keeps no update region (the call is still logged).
BOOL InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase);
BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rc);
BOOL ValidateRgn(HWND hwnd, HRGN rgn);
BOOL GetUpdateRect(HWND hwnd, LPRECT rc, BOOL erase);
int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase);
// Sends WM_PAINT now when the window has an update region.
BOOL UpdateWindow(HWND hwnd);
BOOL RedrawWindow(HWND hwnd, const RECT* rc, HRGN rgn, UINT flags);
// A DC on the window's surface clipped to the update region, which is
// validated; WM_ERASEBKGND first when an erase is pending.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// GetDC(hwnd) (wingdi.h) answers a DC on the window's surface.

// ---- scroll bars ----
// SB_HORZ and SB_VERT show and hide themselves with the range (the client
// area changes, WM_SIZE is sent) unless SIF_DISABLENOSCROLL; SB_CTL keeps
// the state of a scroll-bar control window. The answer is the position.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* si, BOOL redraw);
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* si);
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hwnd, int bar);
BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos);
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);
BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows);

// ---- hooks ----
HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
BOOL UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// ---- system values of a 96 dots-per-inch, 1920 x 1080 display ----
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYVTHUMB = 9;
constexpr int SM_CXHTHUMB = 10;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_MOUSEPRESENT = 19;
constexpr int SM_CYVSCROLL = 20;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_SWAPBUTTON = 23;
constexpr int SM_CXMIN = 28;
constexpr int SM_CYMIN = 29;
constexpr int SM_CXSIZE = 30;
constexpr int SM_CYSIZE = 31;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXMINTRACK = 34;
constexpr int SM_CYMINTRACK = 35;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CMOUSEBUTTONS = 43;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CYSMCAPTION = 51;
constexpr int SM_CXMAXIMIZED = 61;
constexpr int SM_CYMAXIMIZED = 62;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;
constexpr int SM_MOUSEWHEELPRESENT = 75;
constexpr int SM_XVIRTUALSCREEN = 76;
constexpr int SM_YVIRTUALSCREEN = 77;
constexpr int SM_CXVIRTUALSCREEN = 78;
constexpr int SM_CYVIRTUALSCREEN = 79;
constexpr int SM_CMONITORS = 80;
constexpr int SM_CXFOCUSBORDER = 83;
constexpr int SM_CYFOCUSBORDER = 84;
constexpr int SM_CXPADDEDBORDER = 92;
int GetSystemMetrics(int index);  // 0 for an unknown index

constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26;
constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_MENUHILIGHT = 29;
constexpr int COLOR_MENUBAR = 30;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr int COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT;
DWORD GetSysColor(int index);  // 0 for an unknown index
// A solid brush of the colour, owned by the system (DeleteObject leaves it
// usable: it is made again); null for an unknown index.
HBRUSH GetSysColorBrush(int index);
UINT GetDpiForWindow(HWND hwnd);  // 96; 0 for a stale handle

// ---- destruction notices ----
// Subsystems that keep state per window (the clipboard's owner, drop targets)
// hear of each window of a tree being destroyed, before its WM_DESTROY.
// Hooks stay for the life of the process (KvWindowsReset keeps them).
using KvWindowDestroyHook = void (*)(HWND);
void KvAddWindowDestroyHook(KvWindowDestroyHook hook);

// ---- the test driver --------------------------------------------------------
// One item of an input script: a mouse message (WM_MOUSEMOVE, the button
// messages, WM_MOUSEWHEEL with `wheel`) at a screen point, or a key message
// (WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_CHAR) with `key`.
// `time` is the virtual time at which it happens.
struct KvInputItem {
  DWORD time = 0;
  UINT message = 0;
  POINT pt = {0, 0};
  UINT key = 0;
  short wheel = 0;
};
inline KvInputItem KvMouseItem(DWORD time, UINT message, int x, int y, short wheel = 0) {
  KvInputItem i;
  i.time = time;
  i.message = message;
  i.pt = {x, y};
  i.wheel = wheel;
  return i;
}
inline KvInputItem KvKeyItem(DWORD time, UINT message, UINT key) {
  KvInputItem i;
  i.time = time;
  i.message = message;
  i.key = key;
  return i;
}
// Appends the items to the script. Refused as a whole (FALSE,
// ERROR_INVALID_PARAMETER) when their times go backwards, lie before the
// clock or before the last item already queued, or a message is not input.
// Mouse input goes to the capture window, else to the window under the
// point, which is first sent WM_NCHITTEST and then WM_SETCURSOR (wParam
// the window, lParam the hit-test code and the mouse message); keys go to
// the focus window. Retrieving an item moves the cursor,
// sets the key and button state and the message time and position.
BOOL KvPlayInput(const std::vector<KvInputItem>& items);
std::size_t KvPendingInput();  // items not yet retrieved
void KvClearInput();
// The virtual clock in milliseconds (GetTickCount).
void KvAdvanceClock(DWORD ms);
void KvSetClock(DWORD now);
// How far virtual time moves when PeekMessage finds nothing (default 10 ms).
void KvSetPeekSpin(DWORD ms);
// Key state tables: down and toggled bits of a virtual key.
void KvSetKeyState(int vk, bool down, bool toggled = false);
// True when nothing more can come: no posted message, no quit, no paint,
// no due timer and an exhausted script.
bool KvWindowsIdle();
// Every invalidation asked for, in order (client coordinates; `whole` for
// the whole client area).
struct KvInvalidation {
  HWND hwnd;
  RECT rect;
  BOOL erase;
  bool whole;
};
const std::vector<KvInvalidation>& KvInvalidationLog();
void KvClearInvalidationLog();
// The window's client surface (RGB24; owned by the window), null for a stale handle.
cairo_surface_t* KvWindowSurface(HWND hwnd);
// Writes the client surface as an RGB PNG; FALSE for a stale handle or an
// unwritable path.
BOOL KvSaveWindowPng(HWND hwnd, const char* path);
// Live windows (the desktop not counted) and registered classes, for leak checks.
std::size_t KvWindowCount();
std::size_t KvClassCount();
// The number of classes the class table holds (at most, and by default, the
// 16384 atoms of the string atom range); RegisterClassW fails with
// ERROR_NOT_ENOUGH_MEMORY once the table is full. Reset sets the default.
void KvSetClassLimit(std::size_t limit);
// Destroys every window (with their messages), unregisters every class and
// empties the queue, the script, the timers, the hooks and the logs; the
// key state, cursor, capture and focus start again, and the clock at 1000 ms
// (the clock of a new process too).
void KvWindowsReset();
