// Window objects: the handle maps, subclassing, creation through a creation
// hook, message dispatch through the message maps, and the wrappers.
#include "kvcore/swnd.h"

#include "win/winctrl.h"

#include <map>
#include <memory>
#include <unordered_map>

namespace {

std::unordered_map<HWND, SWnd*>& Permanent() {
  static std::unordered_map<HWND, SWnd*> map;
  return map;
}

std::map<HWND, std::unique_ptr<SWnd>>& Temporary() {
  static std::map<HWND, std::unique_ptr<SWnd>> map;
  return map;
}

std::vector<MSG>& CurrentMessages() {
  static std::vector<MSG> stack;
  return stack;
}

struct CurrentScope {
  explicit CurrentScope(const MSG& m) { CurrentMessages().push_back(m); }
  ~CurrentScope() { CurrentMessages().pop_back(); }
};

SWnd* g_creating = nullptr;  // the object whose window CreateEx is making

const char16_t kDefaultClass[] = u"SWnd";

}  // namespace

KV_IMPLEMENT_CLASSINFO(SWnd, SCmdTarget);

KV_BEGIN_MESSAGE_MAP(SWnd, SCmdTarget)
KV_END_MESSAGE_MAP()

SWnd::~SWnd() {
  if (m_hWnd && m_subclassed && ::IsWindow(m_hWnd)) {
    // The window would otherwise go on calling into this object.
    ::DestroyWindow(m_hWnd);
  }
  if (m_hWnd) Detach();
}

// ---- binding ---------------------------------------------------------------------

SWnd* SWnd::FromHandlePermanent(HWND hwnd) {
  auto it = Permanent().find(hwnd);
  return it == Permanent().end() ? nullptr : it->second;
}

SWnd* SWnd::FromHandle(HWND hwnd) {
  if (!hwnd || !::IsWindow(hwnd)) return nullptr;
  if (SWnd* w = FromHandlePermanent(hwnd)) return w;
  auto& temp = Temporary();
  auto it = temp.find(hwnd);
  if (it != temp.end()) return it->second.get();
  auto w = std::make_unique<SWnd>();
  w->m_hWnd = hwnd;
  return temp.emplace(hwnd, std::move(w)).first->second.get();
}

void SWnd::DeleteTempMap() {
  auto& temp = Temporary();
  for (auto& [h, w] : temp) w->m_hWnd = nullptr;
  temp.clear();
}

BOOL SWnd::Attach(HWND hwnd) {
  if (!hwnd || m_hWnd || !::IsWindow(hwnd) || FromHandlePermanent(hwnd)) return FALSE;
  auto& temp = Temporary();
  if (auto it = temp.find(hwnd); it != temp.end()) {
    it->second->m_hWnd = nullptr;
    temp.erase(it);
  }
  m_hWnd = hwnd;
  Permanent()[hwnd] = this;
  return TRUE;
}

HWND SWnd::Detach() {
  HWND h = m_hWnd;
  if (h) {
    auto it = Permanent().find(h);
    if (it != Permanent().end() && it->second == this) Permanent().erase(it);
  }
  m_hWnd = nullptr;
  m_subclassed = false;
  return h;
}

BOOL SWnd::SubclassWindow(HWND hwnd) {
  if (!Attach(hwnd)) return FALSE;
  auto old = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StdWndProc)));
  if (old != &StdWndProc) m_pfnSuper = old;
  m_subclassed = true;
  return TRUE;
}

BOOL SWnd::SubclassDlgItem(UINT id, SWnd* parent) {
  if (!parent || !parent->m_hWnd) return FALSE;
  HWND item = ::GetDlgItem(parent->m_hWnd, int(id));
  return item ? SubclassWindow(item) : FALSE;
}

HWND SWnd::UnsubclassWindow() {
  if (!m_hWnd || !m_subclassed) return nullptr;
  ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(m_pfnSuper ? m_pfnSuper : &::DefWindowProcW));
  m_pfnSuper = nullptr;
  return Detach();
}

const MSG* SWnd::GetCurrentMessage() {
  auto& s = CurrentMessages();
  return s.empty() ? nullptr : &s.back();
}

// ---- creation ----------------------------------------------------------------------

BOOL SWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!cs.lpszClass) {
    WNDCLASSW wc{};
    if (!::GetClassInfoW(nullptr, kDefaultClass, &wc)) {
      wc.style = CS_DBLCLKS;
      wc.lpfnWndProc = &::DefWindowProcW;
      wc.hbrBackground = reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_WINDOW + 1));
      wc.lpszClassName = kDefaultClass;
      if (!::RegisterClassW(&wc)) return FALSE;
    }
    cs.lpszClass = kDefaultClass;
  }
  return TRUE;
}

LRESULT SWnd::CreateHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_creating && !g_creating->m_hWnd) {
    SWnd* w = g_creating;
    g_creating = nullptr;  // windows made while this one is created are not this object's
    w->SubclassWindow(reinterpret_cast<HWND>(wParam));
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL SWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                    SWnd* parent, UINT id, LPVOID param) {
  if (m_hWnd) return FALSE;
  CREATESTRUCTW cs{param,
                   nullptr,
                   reinterpret_cast<HMENU>(std::uintptr_t(id)),
                   parent ? parent->m_hWnd : nullptr,
                   rect.bottom - rect.top,
                   rect.right - rect.left,
                   rect.top,
                   rect.left,
                   LONG(style),
                   windowName,
                   className,
                   exStyle};
  if (!PreCreateWindow(cs)) return FALSE;
  // The hook and the pending object are put back even when a handler throws.
  struct CreatingScope {
    SWnd* outer;
    HHOOK hook;
    explicit CreatingScope(SWnd* w) : outer(g_creating), hook(nullptr) {
      g_creating = w;
      hook = ::SetWindowsHookExW(WH_CBT, &CreateHook, nullptr, 0);
    }
    ~CreatingScope() {
      ::UnhookWindowsHookEx(hook);
      g_creating = outer;
    }
  };
  HWND h;
  {
    CreatingScope scope(this);
    h = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, DWORD(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                          cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  }
  // A failed creation may have deleted this object (PostNcDestroy): only the handle is looked at.
  return h ? TRUE : FALSE;
}

BOOL SWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, SWnd* parent, UINT id) {
  return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL SWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

// ---- messages ----------------------------------------------------------------------

LRESULT SWnd::StdWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SWnd* wnd = FromHandlePermanent(hwnd);
  if (!wnd) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  POINT pt{};
  const DWORD pos = ::GetMessagePos();
  pt.x = static_cast<short>(LOWORD(pos));
  pt.y = static_cast<short>(HIWORD(pos));
  LRESULT r;
  {
    CurrentScope scope(MSG{hwnd, message, wParam, lParam, ::GetMessageTime(), pt});
    r = wnd->WindowProc(message, wParam, lParam);  // may destroy the window and delete the object
  }
  if (message == WM_NCDESTROY && FromHandlePermanent(hwnd) == wnd) wnd->OnNcDestroyFinal();
  return r;
}

void SWnd::OnNcDestroyFinal() {
  m_pfnSuper = nullptr;
  Detach();
  PostNcDestroy();  // may delete this
}

LRESULT SWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

namespace {
// The control a notification comes from, null for other messages.
HWND NotifyingChild(UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL: return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY: return lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_DRAWITEM: return lParam ? reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    default: return nullptr;
  }
}
}  // namespace

BOOL SWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  UINT code = 0;
  if (message == WM_COMMAND) code = HIWORD(wParam);
  else if (message == WM_NOTIFY) code = reinterpret_cast<const NMHDR*>(lParam)->code;
  else return FALSE;
  const SMsgMapEntry* e = FindEntry(KV_WM_REFLECT_BASE + message, code, 0);
  if (!e) return FALSE;
  SMsgCall call;
  call.message = message;
  call.wParam = wParam;
  call.lParam = lParam;
  e->thunk(this, call);
  if (result) *result = call.result;
  return TRUE;
}

BOOL SWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  LRESULT r = 0;
  BOOL handled = FALSE;
  if (HWND from = NotifyingChild(message, wParam, lParam); from && from != m_hWnd) {
    if (SWnd* child = FromHandlePermanent(from); child && child->OnChildNotify(message, wParam, lParam, &r)) {
      if (result) *result = r;
      return TRUE;
    }
  }
  if (message == WM_COMMAND) {
    handled = OnCommand(wParam, lParam);
  } else if (message == WM_NOTIFY) {
    handled = OnNotify(wParam, lParam, &r);
  } else if (const SMsgMapEntry* e = FindEntry(message, 0, 0)) {
    SMsgCall call;
    call.message = message;
    call.wParam = wParam;
    call.lParam = lParam;
    e->thunk(this, call);  // nothing of this object is touched afterwards
    r = call.result;
    handled = TRUE;
  } else if (message == WM_KILLFOCUS) {
    SafeOnKillFocus(reinterpret_cast<HWND>(wParam));
    handled = TRUE;
  }
  if (handled && result) *result = r;
  return handled;
}

BOOL SWnd::OnCommand(WPARAM wParam, LPARAM) {
  return OnCmdMsg(LOWORD(wParam), int(HIWORD(wParam)), nullptr, nullptr);
}

BOOL SWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  auto* nm = reinterpret_cast<NMHDR*>(lParam);
  if (!nm) return FALSE;
  const SMsgMapEntry* e = FindEntry(WM_NOTIFY, nm->code, UINT(nm->idFrom));
  if (!e) return FALSE;
  SMsgCall call;
  call.message = WM_NOTIFY;
  call.id = UINT(nm->idFrom);
  call.wParam = wParam;
  call.lParam = lParam;
  e->thunk(this, call);
  if (result) *result = call.result;
  return TRUE;
}

BOOL SWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT SWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT SWnd::Default() {
  const MSG* m = GetCurrentMessage();
  return m ? DefWindowProc(m->message, m->wParam, m->lParam) : 0;
}

LRESULT SWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL SWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return m_hWnd ? ::PostMessageW(m_hWnd, message, wParam, lParam) : FALSE;
}

// ---- relations and text ---------------------------------------------------------------

SWnd* SWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

SWnd* SWnd::SetParent(SWnd* parent) { return FromHandle(::SetParent(m_hWnd, parent ? parent->m_hWnd : nullptr)); }

SWnd* SWnd::GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }

SWnd* SWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }

int SWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

void SWnd::SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }

int SWnd::GetWindowText(SString& text) const {
  const int n = ::GetWindowTextLengthW(m_hWnd);
  std::u16string buf(std::size_t(n) + 1, u'\0');
  const int got = ::GetWindowTextW(m_hWnd, buf.data(), n + 1);
  buf.resize(std::size_t(got));
  text = SString(std::move(buf));
  return got;
}

int SWnd::GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }

DWORD SWnd::GetStyle() const { return DWORD(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
DWORD SWnd::GetExStyle() const { return DWORD(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }

BOOL SWnd::ModifyStyle(DWORD remove, DWORD add) {
  const DWORD style = GetStyle();
  const DWORD next = (style & ~remove) | add;
  if (next == style) return FALSE;
  ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, LONG_PTR(next));
  return TRUE;
}

// ---- geometry and state ---------------------------------------------------------------------

void SWnd::GetClientRect(LPRECT rc) const { ::GetClientRect(m_hWnd, rc); }
void SWnd::GetWindowRect(LPRECT rc) const { ::GetWindowRect(m_hWnd, rc); }
void SWnd::ClientToScreen(LPPOINT pt) const { ::ClientToScreen(m_hWnd, pt); }
void SWnd::ScreenToClient(LPPOINT pt) const { ::ScreenToClient(m_hWnd, pt); }

void SWnd::ClientToScreen(LPRECT rc) const {
  if (!rc) return;
  ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(rc), 2);
}

void SWnd::ScreenToClient(LPRECT rc) const {
  if (!rc) return;
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(rc), 2);
}

void SWnd::MoveWindow(int x, int y, int cx, int cy, BOOL repaint) { ::MoveWindow(m_hWnd, x, y, cx, cy, repaint); }

BOOL SWnd::SetWindowPos(const SWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

BOOL SWnd::ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
BOOL SWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL SWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL SWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }

// ---- painting ----------------------------------------------------------------------------------

void SWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }

void SWnd::InvalidateRect(const RECT* rc, BOOL erase) {
  // A null window handle would mean every window: an unbound object invalidates nothing.
  if (m_hWnd) ::InvalidateRect(m_hWnd, rc, erase);
}

void SWnd::ValidateRect(const RECT* rc) { ::ValidateRect(m_hWnd, rc); }
void SWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
HDC SWnd::GetDC() { return m_hWnd ? ::GetDC(m_hWnd) : nullptr; }
int SWnd::ReleaseDC(HDC dc) { return ::ReleaseDC(m_hWnd, dc); }

// ---- input ----------------------------------------------------------------------------------------

SWnd* SWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
SWnd* SWnd::GetCapture() { return FromHandle(::GetCapture()); }
SWnd* SWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
SWnd* SWnd::GetFocus() { return FromHandle(::GetFocus()); }

UINT_PTR SWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) {
  return m_hWnd ? ::SetTimer(m_hWnd, id, elapse, proc) : 0;
}

BOOL SWnd::KillTimer(UINT_PTR id) { return m_hWnd ? ::KillTimer(m_hWnd, id) : FALSE; }

// ---- scroll bars ----------------------------------------------------------------------------------

BOOL SWnd::SetScrollInfo(int bar, SCROLLINFO* si, BOOL redraw) {
  if (!si || !m_hWnd) return FALSE;
  si->cbSize = sizeof(SCROLLINFO);
  ::SetScrollInfo(m_hWnd, bar, si, redraw);
  return TRUE;
}

BOOL SWnd::GetScrollInfo(int bar, SCROLLINFO* si, UINT mask) const {
  if (!si) return FALSE;
  si->cbSize = sizeof(SCROLLINFO);
  si->fMask = mask;
  return ::GetScrollInfo(m_hWnd, bar, si);
}

int SWnd::SetScrollPos(int bar, int pos, BOOL redraw) { return ::SetScrollPos(m_hWnd, bar, pos, redraw); }
int SWnd::GetScrollPos(int bar) const { return ::GetScrollPos(m_hWnd, bar); }
SWnd* SWnd::GetScrollBarCtrl(int) const { return nullptr; }

// ---- default handlers ----------------------------------------------------------------------------

int SWnd::OnCreate(LPCREATESTRUCTW) { return int(Default()); }
void SWnd::OnDestroy() { Default(); }
void SWnd::OnPaint() { Default(); }
BOOL SWnd::OnEraseBkgnd(SDC*) { return BOOL(Default()); }
void SWnd::OnSize(UINT, int, int) { Default(); }
void SWnd::OnTimer(UINT_PTR) { Default(); }
void SWnd::OnMouseMove(UINT, POINT) { Default(); }
void SWnd::OnLButtonDown(UINT, POINT) { Default(); }
void SWnd::OnLButtonUp(UINT, POINT) { Default(); }
void SWnd::OnLButtonDblClk(UINT, POINT) { Default(); }
void SWnd::OnRButtonDown(UINT, POINT) { Default(); }
void SWnd::OnRButtonUp(UINT, POINT) { Default(); }
BOOL SWnd::OnMouseWheel(UINT, short, POINT) { return BOOL(Default()); }
void SWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void SWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void SWnd::OnChar(UINT, UINT, UINT) { Default(); }
void SWnd::OnSetFocus(SWnd*) { Default(); }
void SWnd::OnKillFocus(SWnd*) { Default(); }
void SWnd::SafeOnKillFocus(HWND newWnd) { OnKillFocus(::IsWindow(newWnd) ? FromHandle(newWnd) : nullptr); }
void SWnd::OnHScroll(UINT, UINT, SWnd*) { Default(); }
void SWnd::OnVScroll(UINT, UINT, SWnd*) { Default(); }
BOOL SWnd::OnSetCursor(SWnd*, UINT, UINT) { return BOOL(Default()); }
void SWnd::OnCancelMode() { Default(); }
void SWnd::OnCaptureChanged(SWnd*) { Default(); }
void SWnd::OnContextMenu(SWnd*, POINT) { Default(); }
void SWnd::OnClose() { Default(); }

// ---- the bag ----------------------------------------------------------------------------------------

void SWndBag::Add(SWnd* wnd) {
  if (wnd) m_set.insert(wnd);
}

bool SWndBag::Remove(SWnd* wnd) { return m_set.erase(wnd) > 0; }

bool SWndBag::Contains(const SWnd* wnd) const { return m_set.count(wnd) > 0; }
