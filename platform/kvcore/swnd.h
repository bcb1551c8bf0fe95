// SWnd: a C++ object bound to a window. The object is attached to its
// handle in a process-wide map and receives the window's messages through
// its message map once it subclasses the window (or creates it, in which
// case it sees the window's first message). Messages that no map entry
// takes go to the procedure the window had before (DefWindowProcW for
// windows created by the object's own class).
//
// Lifetime: the final message (WM_NCDESTROY) detaches the object and calls
// PostNcDestroy, which objects allocated per window override to delete
// themselves. An object destroyed while its window lives destroys the
// window first, so no window is left calling into freed memory.
//
// SWndBag is a set of window objects, for code that must know which objects
// it allocated itself (those it deletes in PostNcDestroy).
#pragma once

#include <set>
#include <vector>

#include "kvcore/scmdtarget.h"
#include "kvcore/sdc.h"
#include "kvcore/sstring.h"

class SWnd : public SCmdTarget {
 public:
  SWnd() = default;
  ~SWnd() override;
  SWnd(const SWnd&) = delete;
  SWnd& operator=(const SWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // ---- binding ----
  // The permanent object of a handle, else a temporary one kept until
  // DeleteTempMap (null for a null or stale handle).
  static SWnd* FromHandle(HWND hwnd);
  static SWnd* FromHandlePermanent(HWND hwnd);
  static void DeleteTempMap();
  BOOL Attach(HWND hwnd);  // FALSE for a stale handle or one already attached
  HWND Detach();
  // Attaches and routes the window's messages to this object.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, SWnd* parent);
  HWND UnsubclassWindow();
  // The message being handled (the innermost), or null.
  static const MSG* GetCurrentMessage();

  // ---- creation ----
  virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
  BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                SWnd* parent, UINT id, LPVOID param = nullptr);
  BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, SWnd* parent, UINT id);
  virtual BOOL DestroyWindow();

  // ---- messages ----
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  // A control's notification to its parent (WM_COMMAND, WM_NOTIFY,
  // WM_DRAWITEM, WM_HSCROLL, WM_VSCROLL), offered to the control's own
  // object first; TRUE keeps it from the parent. The default answers from
  // the control's reflected map entries (KV_ON_CONTROL_REFLECT,
  // KV_ON_NOTIFY_REFLECT).
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The current message to DefWindowProc.
  LRESULT Default();
  virtual void PostNcDestroy() {}
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  // ---- relations and text ----
  SWnd* GetParent() const;
  SWnd* SetParent(SWnd* parent);
  SWnd* GetOwner() const;
  SWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const;
  void SetWindowText(LPCWSTR text);
  int GetWindowText(SString& text) const;
  int GetWindowTextLength() const;
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add);

  // ---- geometry and state ----
  void GetClientRect(LPRECT rc) const;
  void GetWindowRect(LPRECT rc) const;
  void ClientToScreen(LPPOINT pt) const;
  void ClientToScreen(LPRECT rc) const;
  void ScreenToClient(LPPOINT pt) const;
  void ScreenToClient(LPRECT rc) const;
  void MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE);
  BOOL SetWindowPos(const SWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  BOOL ShowWindow(int cmd);
  BOOL IsWindowVisible() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;

  // ---- painting ----
  void Invalidate(BOOL erase = TRUE);
  void InvalidateRect(const RECT* rc, BOOL erase = TRUE);
  void ValidateRect(const RECT* rc);
  void UpdateWindow();
  HDC GetDC();
  int ReleaseDC(HDC dc);

  // ---- input ----
  SWnd* SetCapture();
  static SWnd* GetCapture();
  SWnd* SetFocus();
  static SWnd* GetFocus();
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr);
  BOOL KillTimer(UINT_PTR id);

  // ---- scroll bars ----
  BOOL SetScrollInfo(int bar, SCROLLINFO* si, BOOL redraw = TRUE);
  BOOL GetScrollInfo(int bar, SCROLLINFO* si, UINT mask = SIF_ALL) const;
  int SetScrollPos(int bar, int pos, BOOL redraw = TRUE);
  int GetScrollPos(int bar) const;
  // The separate scroll-bar control for a bar; null for the window's own bars.
  virtual SWnd* GetScrollBarCtrl(int bar) const;

  // ---- handlers of the standard map entries (each does the default) ----
  int OnCreate(LPCREATESTRUCTW cs);
  void OnDestroy();
  void OnPaint();
  BOOL OnEraseBkgnd(SDC* dc);
  void OnSize(UINT type, int cx, int cy);
  void OnTimer(UINT_PTR id);
  void OnMouseMove(UINT flags, POINT pt);
  void OnLButtonDown(UINT flags, POINT pt);
  void OnLButtonUp(UINT flags, POINT pt);
  void OnLButtonDblClk(UINT flags, POINT pt);
  void OnRButtonDown(UINT flags, POINT pt);
  void OnRButtonUp(UINT flags, POINT pt);
  BOOL OnMouseWheel(UINT flags, short delta, POINT pt);
  void OnKeyDown(UINT key, UINT repeat, UINT flags);
  void OnKeyUp(UINT key, UINT repeat, UINT flags);
  void OnChar(UINT ch, UINT repeat, UINT flags);
  void OnSetFocus(SWnd* old);
  virtual void OnKillFocus(SWnd* newWnd);
  // WM_KILLFOCUS reaches OnKillFocus through here: a window handle that is
  // no longer valid arrives as null rather than as a dangling object.
  void SafeOnKillFocus(HWND newWnd);
  void OnHScroll(UINT code, UINT pos, SWnd* bar);
  void OnVScroll(UINT code, UINT pos, SWnd* bar);
  BOOL OnSetCursor(SWnd* wnd, UINT hitTest, UINT message);
  void OnCancelMode();
  void OnCaptureChanged(SWnd* wnd);
  void OnContextMenu(SWnd* wnd, POINT pt);
  void OnClose();

  KV_DECLARE_CLASSINFO()
  KV_DECLARE_MESSAGE_MAP()

 protected:
  WNDPROC m_pfnSuper = nullptr;  // the procedure the window had before

 private:
  static LRESULT StdWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CreateHook(int code, WPARAM wParam, LPARAM lParam);
  void OnNcDestroyFinal();
  bool m_subclassed = false;
};

// A set of window objects; the bag neither owns nor deletes them.
class SWndBag {
 public:
  void Add(SWnd* wnd);
  // True when the object was in the bag (and is no longer).
  bool Remove(SWnd* wnd);
  bool Contains(const SWnd* wnd) const;
  int GetCount() const { return int(m_set.size()); }

 private:
  std::set<const SWnd*> m_set;
};

// ---- map entries of standard window messages (handlers named as in SWnd) ----
#define KV_ON_WM_CREATE() \
  {WM_CREATE, 0, 0, 0, KV_MSG_THUNK(c_.result = KV_THIS->OnCreate(reinterpret_cast<LPCREATESTRUCTW>(c_.lParam)))},
#define KV_ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, KV_MSG_THUNK(KV_THIS->OnDestroy())},
#define KV_ON_WM_PAINT() {WM_PAINT, 0, 0, 0, KV_MSG_THUNK(KV_THIS->OnPaint())},
#define KV_ON_WM_ERASEBKGND() \
  {WM_ERASEBKGND, 0, 0, 0, KV_MSG_THUNK(c_.result = SWndEraseBkgndCall(KV_THIS, c_.wParam))},
#define KV_ON_WM_SIZE() \
  {WM_SIZE, 0, 0, 0,    \
   KV_MSG_THUNK(KV_THIS->OnSize(UINT(c_.wParam), LOWORD(DWORD(c_.lParam)), HIWORD(DWORD(c_.lParam))))},
#define KV_ON_WM_TIMER() {WM_TIMER, 0, 0, 0, KV_MSG_THUNK(KV_THIS->OnTimer(UINT_PTR(c_.wParam)))},
#define KV_MOUSE_ENTRY(msg, fn) \
  {msg, 0, 0, 0, KV_MSG_THUNK(KV_THIS->fn(UINT(c_.wParam), POINT{GET_X_LPARAM(c_.lParam), GET_Y_LPARAM(c_.lParam)}))},
#define KV_ON_WM_MOUSEMOVE() KV_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define KV_ON_WM_LBUTTONDOWN() KV_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define KV_ON_WM_LBUTTONUP() KV_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define KV_ON_WM_LBUTTONDBLCLK() KV_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define KV_ON_WM_RBUTTONDOWN() KV_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define KV_ON_WM_RBUTTONUP() KV_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define KV_ON_WM_MOUSEWHEEL()                                                                              \
  {WM_MOUSEWHEEL, 0, 0, 0,                                                                                 \
   KV_MSG_THUNK(c_.result = KV_THIS->OnMouseWheel(LOWORD(c_.wParam), GET_WHEEL_DELTA_WPARAM(c_.wParam),   \
                                                  POINT{GET_X_LPARAM(c_.lParam), GET_Y_LPARAM(c_.lParam)}))},
#define KV_KEY_ENTRY(msg, fn)                                                                \
  {msg, 0, 0, 0,                                                                             \
   KV_MSG_THUNK(KV_THIS->fn(UINT(c_.wParam), LOWORD(DWORD(c_.lParam)), HIWORD(DWORD(c_.lParam))))},
#define KV_ON_WM_KEYDOWN() KV_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define KV_ON_WM_KEYUP() KV_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define KV_ON_WM_CHAR() KV_KEY_ENTRY(WM_CHAR, OnChar)
#define KV_ON_WM_SETFOCUS() \
  {WM_SETFOCUS, 0, 0, 0, KV_MSG_THUNK(KV_THIS->OnSetFocus(SWnd::FromHandle(reinterpret_cast<HWND>(c_.wParam))))},
#define KV_ON_WM_KILLFOCUS() \
  {WM_KILLFOCUS, 0, 0, 0, KV_MSG_THUNK(KV_THIS->SafeOnKillFocus(reinterpret_cast<HWND>(c_.wParam)))},
#define KV_SCROLL_ENTRY(msg, fn)                                                          \
  {msg, 0, 0, 0,                                                                          \
   KV_MSG_THUNK(KV_THIS->fn(LOWORD(c_.wParam), HIWORD(c_.wParam),                         \
                            SWnd::FromHandle(reinterpret_cast<HWND>(c_.lParam))))},
#define KV_ON_WM_HSCROLL() KV_SCROLL_ENTRY(WM_HSCROLL, OnHScroll)
#define KV_ON_WM_VSCROLL() KV_SCROLL_ENTRY(WM_VSCROLL, OnVScroll)
#define KV_ON_WM_SETCURSOR()                                                                            \
  {WM_SETCURSOR, 0, 0, 0,                                                                               \
   KV_MSG_THUNK(c_.result = KV_THIS->OnSetCursor(SWnd::FromHandle(reinterpret_cast<HWND>(c_.wParam)),   \
                                                 LOWORD(DWORD(c_.lParam)), HIWORD(DWORD(c_.lParam))))},
#define KV_ON_WM_CANCELMODE() {WM_CANCELMODE, 0, 0, 0, KV_MSG_THUNK(KV_THIS->OnCancelMode())},
#define KV_ON_WM_CAPTURECHANGED()  \
  {WM_CAPTURECHANGED, 0, 0, 0,     \
   KV_MSG_THUNK(KV_THIS->OnCaptureChanged(SWnd::FromHandle(reinterpret_cast<HWND>(c_.lParam))))},
#define KV_ON_WM_CONTEXTMENU()                                                   \
  {WM_CONTEXTMENU, 0, 0, 0,                                                      \
   KV_MSG_THUNK(KV_THIS->OnContextMenu(SWnd::FromHandle(reinterpret_cast<HWND>(c_.wParam)), \
                                       POINT{GET_X_LPARAM(c_.lParam), GET_Y_LPARAM(c_.lParam)}))},
#define KV_ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, KV_MSG_THUNK(KV_THIS->OnClose())},

// WM_ERASEBKGND hands the handler the DC as a temporary SDC (not owned).
template <class T>
LRESULT SWndEraseBkgndCall(T* wnd, WPARAM wParam) {
  SDC dc(reinterpret_cast<HDC>(wParam));
  const BOOL erased = wnd->OnEraseBkgnd(&dc);
  dc.Detach();
  return erased;
}
