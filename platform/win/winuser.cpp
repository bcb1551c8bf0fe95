// The headless window system: class and window tables, sent and posted
// messages, the loop on the virtual clock, timers, script input, capture and
// focus, update regions and window surfaces, scroll bars, system values.
#include "win/winuser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <unordered_map>

#include "win/gdisink.h"
#include "win/winreg.h"  // ERROR_NOT_ENOUGH_MEMORY

namespace kvuser {

// ---- tables -------------------------------------------------------------------

struct Class {
  std::u16string name;
  std::u16string menuName;
  ATOM atom = 0;
  WNDCLASSW wc{};
  int windows = 0;
};

struct ScrollBar {
  SCROLLINFO si{sizeof(SCROLLINFO), 0, 0, 0, 0, 0, 0};
  bool set = false;  // some value was given
  UINT arrows = ESB_ENABLE_BOTH;
};

struct Wnd {
  HWND h = nullptr;
  std::shared_ptr<Class> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0, exStyle = 0;
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;  // child windows: the id; others: the menu
  LONG_PTR userData = 0;
  HWND parent = nullptr;  // null for top-level windows
  HWND owner = nullptr;
  std::vector<HWND> children;  // top of the z-order first
  std::u16string text;
  RECT rect{};  // window rectangle in the parent's client coordinates (screen for top-level)
  std::vector<unsigned char> extra;
  HRGN update = nullptr;  // client coordinates; null when valid
  bool erase = false;
  unsigned paints = 0;  // BeginPaint calls, to see whether WM_PAINT validated
  bool destroying = false;
  cairo_surface_t* surface = nullptr;
  ScrollBar bars[3];
  ~Wnd() {
    if (update) DeleteObject(update);
    if (surface) cairo_surface_destroy(surface);
  }
};

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT elapse;
  TIMERPROC proc;
  DWORD due;
  std::uint64_t seq;  // start order breaks ties
};

struct Hook {
  HHOOK h;
  HOOKPROC proc;
};

// The string atoms (0xC000 to 0xFFFF) a class can be given.
constexpr std::size_t kAtomCount = 0x4000;

struct State {
  std::unordered_map<std::uintptr_t, std::shared_ptr<Wnd>> windows;
  std::vector<std::shared_ptr<Class>> classes;
  std::vector<HWND> topLevel;  // top of the z-order first
  std::uintptr_t nextHandle = 0x10000;
  ATOM nextAtom = 0xC000;
  std::size_t classLimit = kAtomCount;
  HWND desktop = nullptr;
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
  std::vector<Timer> timers;
  std::uint64_t timerSeq = 0;
  UINT_PTR nextThreadTimer = 0x7FF0;
  std::deque<KvInputItem> script;
  DWORD clock = 1000;
  DWORD peekSpin = 10;
  DWORD msgTime = 0;
  POINT msgPos{0, 0};
  POINT cursor{0, 0};
  HCURSOR cursorHandle = nullptr;
  unsigned char keys[256] = {};  // 0x80 down, 0x01 toggled
  HWND capture = nullptr;
  HWND focus = nullptr;
  HWND active = nullptr;
  std::vector<Hook> hooks;
  std::uintptr_t nextHook = 0x100;
  std::vector<KvInvalidation> log;
  int sendDepth = 0;
  // The last button press, for double clicks.
  UINT lastDown = 0;
  HWND lastDownWnd = nullptr;
  DWORD lastDownTime = 0;
  POINT lastDownPt{0, 0};
  HBRUSH sysBrushes[31] = {};
};

State& S() {
  static State* s = new State();  // outlives every static destructor that may still send
  return *s;
}

constexpr int kMaxSendDepth = 200;
// Window positions and sizes are kept within +-2^24 pixels, so that sums
// along a chain of parents never overflow.
constexpr long kMaxCoord = 1L << 24;
constexpr int kMaxSurface = 8192;
constexpr std::size_t kExtraLimit = 1 << 16;

HWND NewHandle() {
  State& s = S();
  s.nextHandle += 4;
  return reinterpret_cast<HWND>(s.nextHandle);
}

Wnd* Get(HWND h) {
  if (!h) return nullptr;
  auto it = S().windows.find(reinterpret_cast<std::uintptr_t>(h));
  return it == S().windows.end() ? nullptr : it->second.get();
}
std::shared_ptr<Wnd> Hold(HWND h) {
  if (!h) return nullptr;
  auto it = S().windows.find(reinterpret_cast<std::uintptr_t>(h));
  return it == S().windows.end() ? nullptr : it->second;
}
Wnd* Check(HWND h) {
  Wnd* w = Get(h);
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

LONG Clamp(long v) { return LONG(std::clamp(v, -kMaxCoord, kMaxCoord)); }
RECT MakeRect(long x, long y, long cx, long cy) {
  const LONG l = Clamp(x), t = Clamp(y);
  return RECT{l, t, Clamp(long(l) + std::max(cx, 0L)), Clamp(long(t) + std::max(cy, 0L))};
}
// Point arithmetic wraps as the 32-bit words of Windows do.
LONG Add(LONG a, long b) { return LONG(static_cast<std::uint32_t>(std::int64_t(a) + b)); }

bool IsAtom(LPCWSTR name) { return reinterpret_cast<std::uintptr_t>(name) < 0x10000; }

std::u16string Lower(std::u16string s) {
  for (auto& c : s)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return s;
}

std::shared_ptr<Class> FindClass(LPCWSTR name, HINSTANCE inst, bool exactInstance) {
  if (!name) return nullptr;
  State& s = S();
  auto match = [&](const std::shared_ptr<Class>& c) {
    if (IsAtom(name)) return c->atom == static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
    return Lower(c->name) == Lower(name);
  };
  for (auto& c : s.classes)
    if (match(c) && c->wc.hInstance == inst) return c;
  if (exactInstance) return nullptr;
  for (auto& c : s.classes)
    if (match(c) && (c->wc.style & CS_GLOBALCLASS)) return c;
  for (auto& c : s.classes)
    if (match(c)) return c;  // one process: a class of another module is still found
  return nullptr;
}

// ---- geometry -------------------------------------------------------------------

// Frame, caption and scroll bars around the client area.
RECT Insets(const Wnd* w) {
  int frame = 0;
  if (w->style & WS_THICKFRAME)
    frame = 4;
  else if ((w->style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME))
    frame = 3;
  else if (w->style & WS_BORDER)
    frame = 1;
  if (w->exStyle & WS_EX_CLIENTEDGE) frame += 2;
  if (w->exStyle & WS_EX_STATICEDGE) frame += 1;
  RECT r{frame, frame, frame, frame};
  if ((w->style & WS_CAPTION) == WS_CAPTION) r.top += 23;
  if (w->style & WS_VSCROLL) r.right += 17;
  if (w->style & WS_HSCROLL) r.bottom += 17;
  return r;
}

SIZE ClientSize(const Wnd* w) {
  RECT in = Insets(w);
  long cx = long(w->rect.right) - w->rect.left - in.left - in.right;
  long cy = long(w->rect.bottom) - w->rect.top - in.top - in.bottom;
  return {LONG(std::max(0L, cx)), LONG(std::max(0L, cy))};
}

// Screen position of the window's client origin.
POINT ClientOrigin(const Wnd* w) {
  RECT in = Insets(w);
  POINT p{w->rect.left + in.left, w->rect.top + in.top};
  if (Wnd* parent = Get(w->parent)) {
    POINT q = ClientOrigin(parent);
    p.x += q.x;
    p.y += q.y;
  }
  return p;
}

cairo_surface_t* Surface(Wnd* w) {
  SIZE sz = ClientSize(w);
  int cx = std::min<int>(sz.cx, kMaxSurface), cy = std::min<int>(sz.cy, kMaxSurface);
  if (w->surface && cairo_image_surface_get_width(w->surface) == cx && cairo_image_surface_get_height(w->surface) == cy)
    return w->surface;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, cx, cy);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  if (w->surface) {  // keep what was drawn
    cairo_set_source_surface(cr, w->surface, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(w->surface);
  }
  cairo_destroy(cr);
  w->surface = s;
  return s;
}

bool Visible(const Wnd* w) {
  for (; w; w = Get(w->parent))
    if (!(w->style & WS_VISIBLE)) return false;
  return true;
}

bool Enabled(const Wnd* w) { return !(w->style & WS_DISABLED); }

bool IsDescendant(HWND ancestor, HWND h) {
  for (Wnd* w = Get(h); w; w = Get(w->parent))
    if (w->h == ancestor) return true;
  return false;
}

// ---- sending ----------------------------------------------------------------------

struct DepthScope {
  DepthScope() { ++S().sendDepth; }
  ~DepthScope() { --S().sendDepth; }
};

LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  std::shared_ptr<Wnd> w = Hold(h);  // the window object outlives a destruction inside its own message
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (S().sendDepth >= kMaxSendDepth) {
    SetLastError(ERROR_STACK_OVERFLOW);
    return 0;
  }
  DepthScope depth;
  WNDPROC proc = w->proc;
  return proc ? proc(h, msg, wp, lp) : DefWindowProcW(h, msg, wp, lp);
}

LRESULT CallHooks(int code, WPARAM wp, LPARAM lp) {
  std::vector<Hook> hooks = S().hooks;  // a hook may unhook itself
  if (hooks.empty()) return 0;
  return hooks.back().proc(code, wp, lp);
}

// ---- update regions -----------------------------------------------------------------

void Log(HWND h, const RECT& rc, BOOL erase, bool whole) { S().log.push_back({h, rc, erase, whole}); }

void AddUpdate(Wnd* w, HRGN rgn, const RECT* rc, BOOL erase) {
  if (!Visible(w)) return;
  SIZE sz = ClientSize(w);
  HRGN add = CreateRectRgn(0, 0, sz.cx, sz.cy);
  if (rgn) {
    CombineRgn(add, add, rgn, RGN_AND);
  } else if (rc) {
    HRGN r = CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom);
    CombineRgn(add, add, r, RGN_AND);
    DeleteObject(r);
  }
  RECT box;
  if (GetRgnBox(add, &box) == NULLREGION) {
    DeleteObject(add);
    return;
  }
  if (!w->update) {
    w->update = add;
  } else {
    CombineRgn(w->update, w->update, add, RGN_OR);
    DeleteObject(add);
  }
  if (erase) w->erase = true;
}

void SubUpdate(Wnd* w, HRGN rgn, const RECT* rc) {
  if (!w->update) return;
  if (!rgn && !rc) {
    DeleteObject(w->update);
    w->update = nullptr;
    w->erase = false;
    return;
  }
  HRGN sub = rgn ? nullptr : CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom);
  CombineRgn(w->update, w->update, rgn ? rgn : sub, RGN_DIFF);
  if (sub) DeleteObject(sub);
  RECT box;
  if (GetRgnBox(w->update, &box) == NULLREGION) {
    DeleteObject(w->update);
    w->update = nullptr;
    w->erase = false;
  }
}

bool NeedsPaint(const Wnd* w) { return w->update && Visible(w); }

// ---- window surfaces as DCs -------------------------------------------------------------

class WindowSink : public KvGdiSink {
 public:
  explicit WindowSink(cairo_surface_t* s) : surface_(cairo_surface_reference(s)), cr_(cairo_create(s)) {}
  ~WindowSink() override {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  KvSinkKind Kind() const override { return KvSinkKind::Raster; }
  bool WantsCalls() const override { return false; }
  KvDeviceInfo DeviceInfo() const override {
    KvDeviceInfo i;
    i.widthPx = cairo_image_surface_get_width(surface_);
    i.heightPx = cairo_image_surface_get_height(surface_);
    return i;
  }
  cairo_t* Cairo() override { return cr_; }
  cairo_surface_t* Surface() override { return surface_; }

 private:
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

HDC WindowDc(HWND h, bool) {
  Wnd* w = Check(h);
  if (!w) return nullptr;
  return KvCreateDCOnSink(std::make_unique<WindowSink>(Surface(w)));
}

const bool g_providerSet = (KvSetWindowDCProvider(&WindowDc), true);

// ---- layout ---------------------------------------------------------------------------

void Relayout(Wnd* w, const RECT& newRect, bool repaint) {
  SIZE before = ClientSize(w);
  POINT beforePos{w->rect.left, w->rect.top};
  w->rect = newRect;
  SIZE after = ClientSize(w);
  HWND h = w->h;
  if (after.cx != before.cx || after.cy != before.cy) {
    if (repaint) {
      AddUpdate(w, nullptr, nullptr, TRUE);
      Log(h, RECT{0, 0, after.cx, after.cy}, TRUE, true);
    }
    Send(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(after.cx, after.cy));
  }
  if (Wnd* ww = Get(h); ww && (beforePos.x != newRect.left || beforePos.y != newRect.top)) {
    RECT in = Insets(ww);
    Send(h, WM_MOVE, 0, MAKELPARAM(newRect.left + in.left, newRect.top + in.top));
  }
}

// The style changed in a way that moves the client area (scroll bars).
void FrameChanged(Wnd* w) {
  SIZE sz = ClientSize(w);
  HWND h = w->h;
  AddUpdate(w, nullptr, nullptr, TRUE);
  Send(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(sz.cx, sz.cy));
}

// ---- destruction ---------------------------------------------------------------------------

void RemoveFromParent(Wnd* w) {
  std::vector<HWND>& list = w->parent ? Get(w->parent)->children : S().topLevel;
  list.erase(std::remove(list.begin(), list.end(), w->h), list.end());
}

std::vector<KvWindowDestroyHook>& DestroyHooks() {
  static auto* hooks = new std::vector<KvWindowDestroyHook>();
  return *hooks;
}

void SendDestroy(HWND h) {
  Wnd* w = Get(h);
  if (!w) return;
  w->destroying = true;
  for (KvWindowDestroyHook hook : std::vector<KvWindowDestroyHook>(DestroyHooks())) hook(h);
  if (!Get(h)) return;
  Send(h, WM_DESTROY, 0, 0);
  w = Get(h);
  if (!w) return;
  std::vector<HWND> kids = w->children;
  for (HWND k : kids) {
    Wnd* kw = Get(k);
    if (kw && !kw->destroying) SendDestroy(k);
  }
}

void Free(HWND h) {
  State& s = S();
  auto it = s.windows.find(reinterpret_cast<std::uintptr_t>(h));
  if (it == s.windows.end()) return;
  std::shared_ptr<Wnd> w = it->second;
  RemoveFromParent(w.get());
  s.windows.erase(it);
  w->cls->windows--;
  s.posted.erase(std::remove_if(s.posted.begin(), s.posted.end(), [&](const MSG& m) { return m.hwnd == h; }),
                 s.posted.end());
  s.timers.erase(std::remove_if(s.timers.begin(), s.timers.end(), [&](const Timer& t) { return t.hwnd == h; }),
                 s.timers.end());
  if (s.capture == h) s.capture = nullptr;
  if (s.focus == h) s.focus = nullptr;
  if (s.active == h) s.active = nullptr;
  if (s.lastDownWnd == h) s.lastDownWnd = nullptr;
}

void SendNcDestroy(HWND h) {
  Wnd* w = Get(h);
  if (!w) return;
  std::vector<HWND> kids = w->children;
  for (HWND k : kids) SendNcDestroy(k);
  // A child made during WM_DESTROY has had no WM_DESTROY of its own yet.
  if (Wnd* again = Get(h)) {
    for (HWND k : std::vector<HWND>(again->children)) {
      if (Wnd* kw = Get(k); kw && !kw->destroying) SendDestroy(k);
      SendNcDestroy(k);
    }
  }
  if (!Get(h)) return;
  Send(h, WM_NCDESTROY, 0, 0);
  Free(h);
}

// ---- classes' own colours ------------------------------------------------------------------

const COLORREF kSysColors[31] = {
    RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
    RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255),
    RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234), RGB(215, 228, 242), RGB(51, 153, 255),
    RGB(240, 240, 240)};

// A class background given as COLOR_* + 1 stands for the system colour's brush.
HBRUSH ClassBrush(const Class& c) {
  auto v = reinterpret_cast<std::uintptr_t>(c.wc.hbrBackground);
  if (v > 0 && v <= 31) return GetSysColorBrush(int(v - 1));
  return c.wc.hbrBackground;
}

// ---- the queue ----------------------------------------------------------------------------

bool InRange(UINT msg, UINT lo, UINT hi) { return (lo == 0 && hi == 0) || (msg >= lo && msg <= hi); }

bool MatchesWindow(HWND filter, HWND target) {
  if (!filter) return true;
  return target == filter || IsDescendant(filter, target);
}

bool IsMouse(UINT m) { return m >= WM_MOUSEFIRST && m <= WM_MOUSELAST; }
bool IsKey(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

WPARAM MouseKeys() {
  const State& s = S();
  WPARAM k = 0;
  if (s.keys[VK_LBUTTON] & 0x80) k |= MK_LBUTTON;
  if (s.keys[VK_RBUTTON] & 0x80) k |= MK_RBUTTON;
  if (s.keys[VK_MBUTTON] & 0x80) k |= MK_MBUTTON;
  if (s.keys[VK_SHIFT] & 0x80) k |= MK_SHIFT;
  if (s.keys[VK_CONTROL] & 0x80) k |= MK_CONTROL;
  return k;
}

HWND DeepestAt(HWND h, POINT screen) {
  Wnd* w = Get(h);
  POINT o = ClientOrigin(w);
  for (HWND k : w->children) {
    Wnd* kw = Get(k);
    if (!kw || !(kw->style & WS_VISIBLE)) continue;
    RECT r{kw->rect.left + o.x, kw->rect.top + o.y, kw->rect.right + o.x, kw->rect.bottom + o.y};
    if (PtInRect(&r, screen)) return Enabled(kw) ? DeepestAt(k, screen) : h;
  }
  return h;
}

// Where an input item goes; null when nobody takes it.
HWND InputTarget(const KvInputItem& item) {
  State& s = S();
  if (IsMouse(item.message)) {
    if (s.capture) return s.capture;
    if (item.message == WM_MOUSEWHEEL && s.focus) return s.focus;
    HWND h = WindowFromPoint(item.pt);
    Wnd* w = Get(h);
    return w && h != s.desktop && Enabled(w) ? h : nullptr;
  }
  Wnd* f = Get(s.focus);
  return f && Enabled(f) ? s.focus : nullptr;
}

// The message an input item makes. With `commit`, the item's effects on the
// key state, cursor and double-click memory are applied.
MSG InputMessage(const KvInputItem& item, HWND target, bool commit) {
  State& s = S();
  MSG m{};
  m.hwnd = target;
  m.message = item.message;
  m.time = std::max(item.time, s.clock);
  if (IsMouse(item.message)) {
    m.pt = item.pt;
    UINT msg = item.message;
    int vk = 0;
    bool down = false, up = false;
    switch (msg) {
      case WM_LBUTTONDOWN: vk = VK_LBUTTON; down = true; break;
      case WM_LBUTTONUP: vk = VK_LBUTTON; up = true; break;
      case WM_RBUTTONDOWN: vk = VK_RBUTTON; down = true; break;
      case WM_RBUTTONUP: vk = VK_RBUTTON; up = true; break;
      case WM_MBUTTONDOWN: vk = VK_MBUTTON; down = true; break;
      case WM_MBUTTONUP: vk = VK_MBUTTON; up = true; break;
      default: break;
    }
    if (down) {
      Wnd* w = Get(target);
      const bool dbl = w && (w->cls->wc.style & CS_DBLCLKS) && s.lastDown == msg && s.lastDownWnd == target &&
                       m.time - s.lastDownTime <= GetDoubleClickTime() &&
                       std::abs(std::int64_t(item.pt.x) - s.lastDownPt.x) <= 2 &&
                       std::abs(std::int64_t(item.pt.y) - s.lastDownPt.y) <= 2;
      if (dbl) m.message = msg + 2;  // WM_xBUTTONDBLCLK
      if (commit) {
        s.lastDown = dbl ? 0 : msg;
        s.lastDownWnd = target;
        s.lastDownTime = m.time;
        s.lastDownPt = item.pt;
      }
    }
    unsigned char saved = vk ? s.keys[vk] : 0;
    if (vk) s.keys[vk] = down ? (saved | 0x80) : static_cast<unsigned char>(saved & ~0x80);
    WPARAM keys = MouseKeys();
    if (!commit && vk) s.keys[vk] = saved;
    (void)up;
    if (msg == WM_MOUSEWHEEL) {
      m.wParam = MAKEWPARAM(int(keys), item.wheel);
      m.lParam = MAKELPARAM(item.pt.x, item.pt.y);
    } else {
      POINT c = item.pt;
      if (Wnd* w = Get(target)) {
        POINT o = ClientOrigin(w);
        c.x = Add(c.x, -long(o.x));
        c.y = Add(c.y, -long(o.y));
      }
      m.wParam = keys;
      m.lParam = MAKELPARAM(c.x, c.y);
    }
    if (commit) s.cursor = item.pt;
  } else {
    m.pt = s.cursor;
    m.wParam = item.key;
    const unsigned vk = item.key & 0xFF;
    const bool wasDown = s.keys[vk] & 0x80;
    if (item.message == WM_KEYDOWN || item.message == WM_SYSKEYDOWN) {
      m.lParam = 1 | (wasDown ? 0x40000000 : 0);
      if (commit) s.keys[vk] = static_cast<unsigned char>((wasDown ? s.keys[vk] : s.keys[vk] ^ 0x01) | 0x80);
    } else if (item.message == WM_KEYUP || item.message == WM_SYSKEYUP) {
      m.lParam = static_cast<LPARAM>(0xC0000001u);
      if (commit) s.keys[vk] = static_cast<unsigned char>(s.keys[vk] & ~0x80);
    } else {
      m.lParam = 1;
    }
  }
  return m;
}

// The next timer for the filter: the earliest due, the earliest started on a tie.
Timer* NextTimer(HWND filter) {
  Timer* best = nullptr;
  for (Timer& t : S().timers) {
    if (filter && !(t.hwnd && MatchesWindow(filter, t.hwnd))) continue;
    if (!best || t.due < best->due || (t.due == best->due && t.seq < best->seq)) best = &t;
  }
  return best;
}

HWND NextPaint(HWND filter) {
  State& s = S();
  // Top-level windows from the top, each before its children.
  std::vector<HWND> stack(s.topLevel.rbegin(), s.topLevel.rend());
  while (!stack.empty()) {
    HWND h = stack.back();
    stack.pop_back();
    Wnd* w = Get(h);
    if (!w) continue;
    if (NeedsPaint(w) && MatchesWindow(filter, h)) return h;
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) stack.push_back(*it);
  }
  return nullptr;
}

void SetMsgInfo(const MSG& m) {
  State& s = S();
  s.msgTime = m.time;
  s.msgPos = m.pt;
}

MSG Made(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  MSG m{h, msg, wp, lp, S().clock, S().cursor};
  return m;
}

enum class Got { None, Message, Quit };

// One step of retrieval. `wait`: GetMessage (time moves to a future item;
// WM_CANCELMODE when the script has nothing more for this filter).
Got Retrieve(MSG* out, HWND filter, UINT lo, UINT hi, bool remove, bool wait) {
  State& s = S();
  // 1. posted messages
  for (auto it = s.posted.begin(); it != s.posted.end(); ++it) {
    if (!InRange(it->message, lo, hi) || !MatchesWindow(filter, it->hwnd)) continue;
    if (filter && !it->hwnd) continue;
    *out = *it;
    if (remove) s.posted.erase(it);
    SetMsgInfo(*out);
    return Got::Message;
  }
  if (s.quit && !filter && InRange(WM_QUIT, lo, hi)) {
    *out = Made(nullptr, WM_QUIT, WPARAM(s.quitCode), 0);
    if (remove) s.quit = false;
    return Got::Quit;
  }
  // 2. paint
  if (InRange(WM_PAINT, lo, hi)) {
    if (HWND h = NextPaint(filter)) {
      *out = Made(h, WM_PAINT, 0, 0);
      SetMsgInfo(*out);
      return Got::Message;
    }
  }
  // 3. the earliest of the timers and the script
  const bool inputWanted = [&] {
    if (s.script.empty()) return false;
    const KvInputItem& item = s.script.front();
    if (!InRange(item.message, lo, hi)) return false;
    HWND t = InputTarget(item);
    return !filter || (t && MatchesWindow(filter, t));
  }();
  Timer* timer = InRange(WM_TIMER, lo, hi) ? NextTimer(filter) : nullptr;
  const bool scriptLeft = inputWanted;
  DWORD inputAt = inputWanted ? s.script.front().time : 0;
  bool takeInput = inputWanted && (!timer || inputAt <= timer->due);
  // With nothing more to come from the script, only timers already due are given.
  if (wait && !scriptLeft && timer && timer->due > s.clock) timer = nullptr;
  if (!takeInput && !timer) {
    if (!wait) {
      // Nothing now: a spin step of virtual time, never past the next event.
      DWORD next = s.clock + s.peekSpin;
      if (!s.script.empty()) next = std::min(next, std::max(s.clock, s.script.front().time));
      for (const Timer& t : s.timers) next = std::min(next, std::max(s.clock, t.due));
      s.clock = next;
      return Got::None;
    }
    HWND to = filter ? filter : s.capture ? s.capture : s.focus;
    *out = Made(to, WM_CANCELMODE, 0, 0);
    SetMsgInfo(*out);
    return Got::Message;
  }
  const DWORD at = takeInput ? inputAt : timer->due;
  if (at > s.clock) {
    if (!wait) {
      s.clock = std::min(at, s.clock + s.peekSpin);
      return Got::None;
    }
    s.clock = at;
  }
  if (takeInput) {
    KvInputItem item = s.script.front();
    HWND target = InputTarget(item);
    if (remove) s.script.pop_front();
    *out = InputMessage(item, target, remove);
    SetMsgInfo(*out);
    if (remove && IsMouse(item.message) && !s.capture && target) {
      // The window says what lies under the pointer, then picks the cursor for it.
      const LRESULT hit = Send(target, WM_NCHITTEST, 0, MAKELPARAM(item.pt.x, item.pt.y));
      if (Get(target))
        Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(int(hit), int(out->message)));
    }
    return Got::Message;
  }
  *out = Made(timer->hwnd, WM_TIMER, timer->id, reinterpret_cast<LPARAM>(timer->proc));
  if (remove) timer->due = s.clock + timer->elapse;
  SetMsgInfo(*out);
  return Got::Message;
}

}  // namespace kvuser

using namespace kvuser;

// ---- classes ----------------------------------------------------------------------------

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc || !wc->lpszClassName || IsAtom(wc->lpszClassName) || !wc->lpfnWndProc || wc->cbWndExtra < 0 ||
      wc->cbClsExtra < 0 || std::size_t(wc->cbWndExtra) > kExtraLimit) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  State& s = S();
  for (auto& c : s.classes) {
    if (Lower(c->name) != Lower(wc->lpszClassName)) continue;
    if (c->wc.hInstance == wc->hInstance || (c->wc.style & CS_GLOBALCLASS) || (wc->style & CS_GLOBALCLASS)) {
      SetLastError(ERROR_CLASS_ALREADY_EXISTS);
      return 0;
    }
  }
  if (s.classes.size() >= s.classLimit) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  auto c = std::make_shared<Class>();
  c->name = wc->lpszClassName;
  c->wc = *wc;
  if (wc->lpszMenuName && !IsAtom(wc->lpszMenuName)) c->menuName = wc->lpszMenuName;
  c->wc.lpszClassName = c->name.c_str();
  c->wc.lpszMenuName = c->menuName.empty() ? wc->lpszMenuName : c->menuName.c_str();
  c->atom = s.nextAtom++;
  s.classes.push_back(c);
  return c->atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance) {
  std::shared_ptr<Class> c = FindClass(className, instance, true);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (c->windows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  auto& v = S().classes;
  v.erase(std::remove(v.begin(), v.end(), c), v.end());
  return TRUE;
}

BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* out) {
  std::shared_ptr<Class> c = FindClass(className, instance, false);
  if (!c || !out) {
    SetLastError(c ? ERROR_INVALID_PARAMETER : ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  *out = c->wc;
  return TRUE;
}

static int CopyText(const std::u16string& text, LPWSTR buffer, int count) {
  if (!buffer || count <= 0) return 0;
  int n = std::min<int>(int(text.size()), count - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = 0;
  return n;
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int count) {
  Wnd* w = Check(hwnd);
  return w ? CopyText(w->cls->name, buffer, count) : 0;
}

// ---- creation and destruction ---------------------------------------------------------------

static void EnsureDesktop() {
  State& s = S();
  if (s.desktop && Get(s.desktop)) return;
  static const char16_t name[] = u"#32769";
  auto c = std::make_shared<Class>();
  c->name = name;
  c->wc.lpfnWndProc = &DefWindowProcW;
  c->wc.lpszClassName = c->name.c_str();
  c->wc.hbrBackground = reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_BACKGROUND + 1));
  auto w = std::make_shared<Wnd>();
  w->h = NewHandle();
  w->cls = c;
  c->windows = 1;
  w->proc = &DefWindowProcW;
  w->style = WS_VISIBLE | WS_CLIPCHILDREN;
  w->rect = {0, 0, 1920, 1080};
  s.desktop = w->h;
  s.windows[reinterpret_cast<std::uintptr_t>(w->h)] = w;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int cx,
                     int cy, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param) {
  EnsureDesktop();
  State& s = S();
  std::shared_ptr<Class> c = FindClass(className, instance, false);
  if (!c) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if (parent == s.desktop) parent = nullptr;
  Wnd* p = nullptr;
  if (parent) {
    p = Check(parent);
    if (!p || p->destroying) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
  }
  if ((style & WS_CHILD) && !p) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  const bool child = (style & WS_CHILD) != 0;
  if (x == CW_USEDEFAULT) x = y = child ? 0 : 100;
  if (cx == CW_USEDEFAULT) {
    cx = child ? 0 : 800;
    cy = child ? 0 : 600;
  }
  auto w = std::make_shared<Wnd>();
  w->h = NewHandle();
  w->cls = c;
  w->proc = c->wc.lpfnWndProc;
  w->style = style & ~WS_VISIBLE;
  w->exStyle = exStyle;
  w->instance = instance;
  w->id = reinterpret_cast<LONG_PTR>(menuOrId);
  w->parent = child ? parent : nullptr;
  w->owner = child ? nullptr : (p ? GetAncestor(parent, GA_ROOT) : nullptr);
  w->rect = MakeRect(x, y, cx, cy);
  w->extra.assign(std::size_t(c->wc.cbWndExtra), 0);
  HWND h = w->h;
  s.windows[reinterpret_cast<std::uintptr_t>(h)] = w;
  c->windows++;
  if (child)
    p->children.push_back(h);
  else
    s.topLevel.insert(s.topLevel.begin(), h);

  CREATESTRUCTW cs{param, instance, menuOrId, parent, cy, cx, y, x, LONG(style), windowName, className, exStyle};
  CBT_CREATEWNDW cbt{&cs, nullptr};
  if (!s.hooks.empty() && CallHooks(HCBT_CREATEWND, reinterpret_cast<WPARAM>(h), reinterpret_cast<LPARAM>(&cbt))) {
    SendNcDestroy(h);
    return nullptr;
  }
  if (!Get(h)) return nullptr;
  if (!Send(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    SendNcDestroy(h);
    return nullptr;
  }
  if (!Get(h) || Send(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  Wnd* ww = Get(h);
  if (!ww) return nullptr;
  SIZE sz = ClientSize(ww);
  Send(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(sz.cx, sz.cy));
  if ((ww = Get(h))) {
    RECT in = Insets(ww);
    Send(h, WM_MOVE, 0, MAKELPARAM(ww->rect.left + in.left, ww->rect.top + in.top));
  }
  if ((ww = Get(h)) && child && !(exStyle & WS_EX_NOPARENTNOTIFY))
    Send(parent, WM_PARENTNOTIFY, MAKEWPARAM(int(WM_CREATE), int(ww->id)), reinterpret_cast<LPARAM>(h));
  if (Get(h) && (style & WS_VISIBLE)) ShowWindow(h, SW_SHOW);
  return Get(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  Wnd* w = Check(hwnd);
  if (!w) return FALSE;
  State& s = S();
  if (hwnd == s.desktop) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (w->destroying) return TRUE;  // already on its way out: no second round of messages
  if (!s.hooks.empty() && CallHooks(HCBT_DESTROYWND, reinterpret_cast<WPARAM>(hwnd), 0)) return FALSE;
  // Owned windows go first.
  for (HWND o : std::vector<HWND>(s.topLevel))
    if (Wnd* ow = Get(o); ow && ow->owner == hwnd && !ow->destroying) DestroyWindow(o);
  w = Get(hwnd);
  if (!w) return TRUE;
  if (w->parent && !(w->exStyle & WS_EX_NOPARENTNOTIFY)) {
    if (Wnd* p = Get(w->parent); p && !p->destroying)
      Send(w->parent, WM_PARENTNOTIFY, MAKEWPARAM(int(WM_DESTROY), int(w->id)), reinterpret_cast<LPARAM>(hwnd));
  }
  if (!(w = Get(hwnd))) return TRUE;
  w->style &= ~WS_VISIBLE;
  if (s.capture && (s.capture == hwnd || IsDescendant(hwnd, s.capture))) ReleaseCapture();
  if (s.focus && (s.focus == hwnd || IsDescendant(hwnd, s.focus))) {
    Wnd* cur = Get(hwnd);
    HWND next = cur && cur->parent && !Get(cur->parent)->destroying ? cur->parent : nullptr;
    SetFocus(next);
  }
  if (!Get(hwnd)) return TRUE;
  SendDestroy(hwnd);
  SendNcDestroy(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return Get(hwnd) ? TRUE : FALSE; }

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  Wnd* w = Check(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return LONG_PTR(w->style);
    case GWL_EXSTYLE: return LONG_PTR(w->exStyle);
    case GWLP_USERDATA: return w->userData;
    default: break;
  }
  if (index < 0 || std::size_t(index) + sizeof(LONG_PTR) > w->extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  LONG_PTR v;
  std::memcpy(&v, w->extra.data() + index, sizeof v);
  return v;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  Wnd* w = Check(hwnd);
  if (!w) return 0;
  LONG_PTR old = 0;
  switch (index) {
    case GWLP_WNDPROC:
      if (!value) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      old = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      old = reinterpret_cast<LONG_PTR>(w->instance);
      w->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_ID: old = w->id; w->id = value; return old;
    case GWLP_USERDATA: old = w->userData; w->userData = value; return old;
    case GWL_STYLE: {
      old = LONG_PTR(w->style);
      const DWORD frameBits = WS_CAPTION | WS_THICKFRAME | WS_VSCROLL | WS_HSCROLL;
      w->style = DWORD(value);
      if ((DWORD(old) ^ w->style) & frameBits) FrameChanged(w);
      return old;
    }
    case GWL_EXSTYLE: old = LONG_PTR(w->exStyle); w->exStyle = DWORD(value); return old;
    case GWLP_HWNDPARENT:
      old = reinterpret_cast<LONG_PTR>(w->owner);
      if (!w->parent) w->owner = reinterpret_cast<HWND>(value);
      return old;
    default: break;
  }
  if (index < 0 || std::size_t(index) + sizeof(LONG_PTR) > w->extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  std::memcpy(&old, w->extra.data() + index, sizeof old);
  std::memcpy(w->extra.data() + index, &value, sizeof value);
  return old;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  if (S().sendDepth >= kMaxSendDepth) {
    SetLastError(ERROR_STACK_OVERFLOW);
    return 0;
  }
  std::shared_ptr<Wnd> hold = Hold(hwnd);
  DepthScope depth;
  return proc(hwnd, message, wParam, lParam);
}

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Wnd* w = Get(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (message) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName && !IsAtom(cs->lpszName)) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_SETTEXT:
      w->text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"";
      return TRUE;
    case WM_GETTEXT: return CopyText(w->text, reinterpret_cast<LPWSTR>(lParam), int(wParam));
    case WM_GETTEXTLENGTH: return LRESULT(w->text.size());
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH brush = ClassBrush(*w->cls);
      if (!brush) return 0;
      RECT rc;
      GetClipBox(reinterpret_cast<HDC>(wParam), &rc);
      FillRect(reinterpret_cast<HDC>(wParam), &rc, brush);
      return 1;
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_NCHITTEST: return HTCLIENT;
    case WM_SETCURSOR:
      if (w->parent && (w->style & WS_CHILD) && Send(w->parent, message, wParam, lParam)) return TRUE;
      if (Wnd* again = Get(hwnd); again && LOWORD(DWORD(lParam)) == HTCLIENT && again->cls->wc.hCursor)
        SetCursor(again->cls->wc.hCursor);
      return FALSE;
    case WM_MOUSEWHEEL:
      if (w->parent && (w->style & WS_CHILD)) return Send(w->parent, message, wParam, lParam);
      return 0;
    case WM_CONTEXTMENU:
      if (w->parent && (w->style & WS_CHILD)) Send(w->parent, message, wParam, lParam);
      return 0;
    case WM_RBUTTONUP: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &p);
      Send(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(p.x, p.y));
      return 0;
    }
    case WM_CANCELMODE:
      if (S().capture == hwnd) ReleaseCapture();
      return 0;
    default: return 0;
  }
}

// ---- relations, ids, text ------------------------------------------------------------------

HWND GetDesktopWindow() {
  EnsureDesktop();
  return S().desktop;
}

HWND GetParent(HWND hwnd) {
  Wnd* w = Check(hwnd);
  if (!w) return nullptr;
  if (w->style & WS_CHILD) return w->parent;
  if (w->style & WS_POPUP) return w->owner;
  return nullptr;
}

HWND SetParent(HWND hwnd, HWND newParent) {
  Wnd* w = Check(hwnd);
  if (!w || hwnd == S().desktop) return nullptr;
  if (newParent == S().desktop) newParent = nullptr;
  Wnd* p = nullptr;
  if (newParent) {
    p = Check(newParent);
    if (!p) return nullptr;
    if (newParent == hwnd || IsDescendant(hwnd, newParent)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  }
  HWND old = w->parent ? w->parent : GetDesktopWindow();
  RemoveFromParent(w);
  w->parent = newParent;
  if (p)
    p->children.insert(p->children.begin(), hwnd);
  else
    S().topLevel.insert(S().topLevel.begin(), hwnd);
  return old;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  Wnd* w = Check(hwnd);
  if (!w) return nullptr;
  if (cmd == GW_OWNER) return w->owner;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (hwnd == S().desktop) return nullptr;
  const std::vector<HWND>& list = w->parent ? Get(w->parent)->children : S().topLevel;
  auto it = std::find(list.begin(), list.end(), hwnd);
  switch (cmd) {
    case GW_HWNDFIRST: return list.front();
    case GW_HWNDLAST: return list.back();
    case GW_HWNDNEXT: return it + 1 < list.end() ? *(it + 1) : nullptr;
    case GW_HWNDPREV: return it > list.begin() ? *(it - 1) : nullptr;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Wnd* w = Check(hwnd);
  if (!w || hwnd == S().desktop) return nullptr;
  if (flags == GA_PARENT) return w->parent ? w->parent : GetDesktopWindow();
  while (w->parent) w = Get(w->parent);
  return w->h;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  if (!Get(parent) || !Get(hwnd) || parent == hwnd) return FALSE;
  for (Wnd* w = Get(hwnd); w && (w->style & WS_CHILD); w = Get(w->parent))
    if (w->parent == parent) return TRUE;
  return FALSE;
}

int GetDlgCtrlID(HWND hwnd) {
  Wnd* w = Check(hwnd);
  return w && (w->style & WS_CHILD) ? int(w->id) : 0;
}

HWND GetDlgItem(HWND dialog, int id) {
  Wnd* w = Check(dialog);
  if (!w) return nullptr;
  for (HWND k : w->children)
    if (Get(k)->id == id) return k;
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessageW(item, message, wParam, lParam) : 0;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!Check(hwnd)) return FALSE;
  return Send(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int count) {
  if (!Check(hwnd) || !buffer || count <= 0) return 0;
  buffer[0] = 0;
  return int(Send(hwnd, WM_GETTEXT, WPARAM(count), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) { return Check(hwnd) ? int(Send(hwnd, WM_GETTEXTLENGTH, 0, 0)) : 0; }

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowTextW(item, text) : FALSE;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int count) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) {
    if (buffer && count > 0) buffer[0] = 0;
    return 0;
  }
  return UINT(GetWindowTextW(item, buffer, count));
}

// ---- rectangles --------------------------------------------------------------------------

BOOL GetWindowRect(HWND hwnd, LPRECT rc) {
  Wnd* w = Check(hwnd);
  if (!w || !rc) return FALSE;
  POINT o{0, 0};
  if (Wnd* p = Get(w->parent)) o = ClientOrigin(p);
  *rc = {w->rect.left + o.x, w->rect.top + o.y, w->rect.right + o.x, w->rect.bottom + o.y};
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rc) {
  Wnd* w = Check(hwnd);
  if (!w || !rc) return FALSE;
  SIZE sz = ClientSize(w);
  *rc = {0, 0, sz.cx, sz.cy};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT pt) {
  Wnd* w = Check(hwnd);
  if (!w || !pt) return FALSE;
  POINT o = ClientOrigin(w);
  pt->x = Add(pt->x, o.x);
  pt->y = Add(pt->y, o.y);
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT pt) {
  Wnd* w = Check(hwnd);
  if (!w || !pt) return FALSE;
  POINT o = ClientOrigin(w);
  pt->x = Add(pt->x, -long(o.x));
  pt->y = Add(pt->y, -long(o.y));
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT pts, UINT count) {
  POINT a{0, 0}, b{0, 0};
  if (from && from != S().desktop) {
    Wnd* w = Check(from);
    if (!w) return 0;
    a = ClientOrigin(w);
  }
  if (to && to != S().desktop) {
    Wnd* w = Check(to);
    if (!w) return 0;
    b = ClientOrigin(w);
  }
  const int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; pts && i < count; ++i) {
    pts[i].x = Add(pts[i].x, dx);
    pts[i].y = Add(pts[i].y, dy);
  }
  SetLastError(0);
  return int(MAKELONG(WORD(dx), WORD(dy)));
}

BOOL MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint) {
  Wnd* w = Check(hwnd);
  if (!w || hwnd == S().desktop) return FALSE;
  Relayout(w, MakeRect(x, y, cx, cy), repaint != FALSE);
  return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  Wnd* w = Check(hwnd);
  if (!w || hwnd == S().desktop) return FALSE;
  const RECT& cur = w->rect;
  const long nx = (flags & SWP_NOMOVE) ? cur.left : x, ny = (flags & SWP_NOMOVE) ? cur.top : y;
  const long ncx = (flags & SWP_NOSIZE) ? long(cur.right) - cur.left : cx;
  const long ncy = (flags & SWP_NOSIZE) ? long(cur.bottom) - cur.top : cy;
  Relayout(w, MakeRect(nx, ny, ncx, ncy), !(flags & SWP_NOREDRAW));
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOWNA);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  return TRUE;
}

HWND WindowFromPoint(POINT pt) {
  EnsureDesktop();
  State& s = S();
  for (HWND h : s.topLevel) {
    Wnd* w = Get(h);
    if (!w || !(w->style & WS_VISIBLE) || !Enabled(w)) continue;
    if (PtInRect(&w->rect, pt)) return DeepestAt(h, pt);
  }
  return s.desktop;
}

HWND ChildWindowFromPoint(HWND parent, POINT clientPt) {
  Wnd* w = Check(parent);
  if (!w) return nullptr;
  SIZE sz = ClientSize(w);
  RECT client{0, 0, sz.cx, sz.cy};
  if (!PtInRect(&client, clientPt)) return nullptr;
  for (HWND k : w->children)
    if (PtInRect(&Get(k)->rect, clientPt)) return k;
  return parent;
}

// ---- state --------------------------------------------------------------------------------

BOOL ShowWindow(HWND hwnd, int cmd) {
  Wnd* w = Check(hwnd);
  if (!w) return FALSE;
  const bool was = (w->style & WS_VISIBLE) != 0;
  const bool show = cmd != SW_HIDE;
  if (was == show) return was;
  Send(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (!(w = Get(hwnd))) return was;
  if (show) {
    w->style |= WS_VISIBLE;
    // The window and the visible windows inside it appear: all of them need painting.
    std::vector<HWND> stack{hwnd};
    while (!stack.empty()) {
      Wnd* v = Get(stack.back());
      stack.pop_back();
      if (!v || !(v->style & WS_VISIBLE)) continue;
      SIZE sz = ClientSize(v);
      AddUpdate(v, nullptr, nullptr, TRUE);
      Log(v->h, RECT{0, 0, sz.cx, sz.cy}, TRUE, true);
      stack.insert(stack.end(), v->children.begin(), v->children.end());
    }
  } else {
    w->style &= ~WS_VISIBLE;
    SubUpdate(w, nullptr, nullptr);
    State& s = S();
    if (s.focus && (s.focus == hwnd || IsDescendant(hwnd, s.focus))) SetFocus(w->parent);
  }
  return was;
}

BOOL IsWindowVisible(HWND hwnd) {
  Wnd* w = Get(hwnd);
  return w && Visible(w) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Wnd* w = Check(hwnd);
  if (!w) return FALSE;
  const bool wasDisabled = !Enabled(w);
  if (wasDisabled == !enable) return wasDisabled;
  if (enable) {
    w->style &= ~WS_DISABLED;
  } else {
    w->style |= WS_DISABLED;
    State& s = S();
    if (s.focus && (s.focus == hwnd || IsDescendant(hwnd, s.focus))) SetFocus(nullptr);
    if (s.capture == hwnd) ReleaseCapture();
  }
  Send(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Wnd* w = Get(hwnd);
  return w && Enabled(w) ? TRUE : FALSE;
}

// ---- messages ------------------------------------------------------------------------------

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return Send(hwnd, message, wParam, lParam);
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !Check(hwnd)) return FALSE;
  S().posted.push_back(MSG{hwnd, message, wParam, lParam, S().clock, S().cursor});
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  S().quit = true;
  S().quitCode = exitCode;
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg || (hwnd && !Check(hwnd))) {
    if (!msg) SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  Got g = Retrieve(msg, hwnd, filterMin, filterMax, true, true);
  return g == Got::Quit ? FALSE : TRUE;
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg || (hwnd && !Check(hwnd))) return FALSE;
  return Retrieve(msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0, false) != Got::None;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    // Only a timer that is still running may call its procedure.
    for (const Timer& t : S().timers)
      if (t.hwnd == msg->hwnd && t.id == msg->wParam && t.proc == proc) {
        proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
      }
    return 0;
  }
  if (!msg->hwnd) return 0;
  Wnd* w = Check(msg->hwnd);
  if (!w) return 0;
  if (msg->message != WM_PAINT) return Send(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  // A paint handler that does not validate would be asked again for ever:
  // what it left is taken as painted.
  const unsigned before = w->paints;
  LRESULT r = Send(msg->hwnd, WM_PAINT, 0, 0);
  if (Wnd* again = Get(msg->hwnd); again && again->paints == before) SubUpdate(again, nullptr, nullptr);
  return r;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return FALSE;
  const UINT vk = UINT(msg->wParam);
  const bool shift = (S().keys[VK_SHIFT] & 0x80) != 0;
  char16_t ch = 0;
  if (vk >= 'A' && vk <= 'Z')
    ch = char16_t(shift ? vk : vk - 'A' + 'a');
  else if (vk >= '0' && vk <= '9')
    ch = char16_t(vk);
  else if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_BACK || vk == VK_ESCAPE || vk == VK_TAB)
    ch = char16_t(vk);
  if (!ch) return FALSE;
  PostMessageW(msg->hwnd, WM_CHAR, ch, msg->lParam);
  return TRUE;
}

DWORD GetMessageTime() { return S().msgTime; }
DWORD GetMessagePos() { return MAKELONG(WORD(S().msgPos.x), WORD(S().msgPos.y)); }

BOOL GetInputState() {
  State& s = S();
  if (!s.script.empty() && s.script.front().time <= s.clock) return TRUE;
  for (const Timer& t : s.timers)
    if (t.due <= s.clock) return TRUE;
  return FALSE;
}

// ---- time and timers ----------------------------------------------------------------------

DWORD GetTickCount() { return S().clock; }

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  State& s = S();
  if (hwnd && !Check(hwnd)) return 0;
  elapse = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  if (!hwnd) {
    // Thread timers get an id of their own unless an existing one is named.
    bool known = false;
    for (const Timer& t : s.timers) known |= (!t.hwnd && t.id == id && id);
    if (!known) id = ++s.nextThreadTimer;
  }
  for (Timer& t : s.timers)
    if (t.hwnd == hwnd && t.id == id) {
      t.elapse = elapse;
      t.proc = proc;
      t.due = s.clock + elapse;
      t.seq = ++s.timerSeq;
      return hwnd ? (id ? id : 1) : id;
    }
  s.timers.push_back(Timer{hwnd, id, elapse, proc, s.clock + elapse, ++s.timerSeq});
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& v = S().timers;
  auto it = std::find_if(v.begin(), v.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == v.end()) {
    SetLastError(hwnd && !Get(hwnd) ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  v.erase(it);
  return TRUE;
}

UINT GetDoubleClickTime() { return 500; }

// ---- keys, mouse, capture, focus ------------------------------------------------------------

SHORT GetKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  unsigned char k = S().keys[vk];
  if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) {
    // The generic keys follow their left and right forms too.
    const int l = vk == VK_SHIFT ? 0xA0 : vk == VK_CONTROL ? 0xA2 : 0xA4;
    k |= (S().keys[l] | S().keys[l + 1]) & 0x80;
  }
  return SHORT(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int vk) { return SHORT(GetKeyState(vk) & 0x8000); }

BOOL GetCursorPos(LPPOINT pt) {
  if (!pt) return FALSE;
  *pt = S().cursor;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  S().cursor = {std::clamp(x, 0, 1919), std::clamp(y, 0, 1079)};
  return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old = S().cursorHandle;
  S().cursorHandle = cursor;
  return old;
}

HCURSOR GetCursor() { return S().cursorHandle; }

HWND SetCapture(HWND hwnd) {
  State& s = S();
  HWND old = s.capture;
  if (!hwnd) return old;
  if (!Check(hwnd)) return nullptr;
  if (old == hwnd) return old;
  s.capture = hwnd;
  if (old && Get(old)) Send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return old;
}

BOOL ReleaseCapture() {
  State& s = S();
  HWND old = s.capture;
  s.capture = nullptr;
  if (old && Get(old)) Send(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return S().capture; }

HWND SetFocus(HWND hwnd) {
  State& s = S();
  HWND old = s.focus;
  if (hwnd) {
    Wnd* w = Check(hwnd);
    if (!w || !Enabled(w) || w->destroying) return nullptr;
  }
  if (old == hwnd) return old;
  s.focus = hwnd;
  if (hwnd) s.active = GetAncestor(hwnd, GA_ROOT);
  if (old && Get(old)) Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && Get(hwnd) && s.focus == hwnd) Send(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() { return S().focus; }
HWND GetActiveWindow() { return S().active; }

HWND SetActiveWindow(HWND hwnd) {
  if (hwnd && !Check(hwnd)) return nullptr;
  HWND old = S().active;
  S().active = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
  return old;
}

// ---- painting -------------------------------------------------------------------------------

static bool InvalidateOne(HWND hwnd, HRGN rgn, const RECT* rc, BOOL erase) {
  Wnd* w = Check(hwnd);
  if (!w) return false;
  SIZE sz = ClientSize(w);
  RECT logged = rc ? *rc : RECT{0, 0, sz.cx, sz.cy};
  if (rgn) GetRgnBox(rgn, &logged);
  Log(hwnd, logged, erase, !rc && !rgn);
  AddUpdate(w, rgn, rc, erase);
  return true;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase) {
  if (!hwnd) {
    for (HWND h : std::vector<HWND>(S().topLevel)) InvalidateOne(h, nullptr, nullptr, erase);
    return TRUE;
  }
  return InvalidateOne(hwnd, nullptr, rc, erase) ? TRUE : FALSE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  if (rgn && GetObjectType(rgn) != OBJ_REGION) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return InvalidateOne(hwnd, rgn, nullptr, erase) ? TRUE : FALSE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rc) {
  Wnd* w = Check(hwnd);
  if (!w) return FALSE;
  SubUpdate(w, nullptr, rc);
  return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN rgn) {
  Wnd* w = Check(hwnd);
  if (!w) return FALSE;
  if (rgn && GetObjectType(rgn) != OBJ_REGION) return FALSE;
  SubUpdate(w, rgn, nullptr);
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rc, BOOL) {
  Wnd* w = Check(hwnd);
  if (!w) return FALSE;
  RECT box{0, 0, 0, 0};
  if (w->update) GetRgnBox(w->update, &box);
  if (rc) *rc = box;
  return w->update ? TRUE : FALSE;
}

int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL) {
  Wnd* w = Check(hwnd);
  if (!w || !rgn || GetObjectType(rgn) != OBJ_REGION) return ERROR;
  if (!w->update) {
    SetRectRgn(rgn, 0, 0, 0, 0);
    return NULLREGION;
  }
  return CombineRgn(rgn, w->update, nullptr, RGN_COPY);
}

BOOL UpdateWindow(HWND hwnd) {
  Wnd* w = Check(hwnd);
  if (!w) return FALSE;
  if (!NeedsPaint(w)) return TRUE;
  const unsigned before = w->paints;
  Send(hwnd, WM_PAINT, 0, 0);
  if (Wnd* again = Get(hwnd); again && again->paints == before) SubUpdate(again, nullptr, nullptr);
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rc, HRGN rgn, UINT flags) {
  if (!hwnd) hwnd = GetDesktopWindow();
  Wnd* w = Check(hwnd);
  if (!w) return FALSE;
  if (flags & RDW_INVALIDATE) InvalidateOne(hwnd, rgn, rgn ? nullptr : rc, (flags & RDW_ERASE) ? TRUE : FALSE);
  if (flags & RDW_VALIDATE) SubUpdate(w, rgn, rgn ? nullptr : rc);
  if ((flags & RDW_ALLCHILDREN) && (w = Get(hwnd)))
    for (HWND k : std::vector<HWND>(w->children)) RedrawWindow(k, nullptr, nullptr, flags & ~RDW_UPDATENOW);
  if (flags & RDW_UPDATENOW) UpdateWindow(hwnd);
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  Wnd* w = Check(hwnd);
  if (!w || !ps) return nullptr;
  std::memset(ps, 0, sizeof *ps);
  w->paints++;
  HDC dc = WindowDc(hwnd, false);
  HRGN clip = w->update ? w->update : CreateRectRgn(0, 0, 0, 0);
  w->update = nullptr;
  const bool erase = w->erase;
  w->erase = false;
  SelectClipRgn(dc, clip);
  GetRgnBox(clip, &ps->rcPaint);
  DeleteObject(clip);
  ps->hdc = dc;
  // fErase stays set when the window did not erase its background itself.
  ps->fErase = FALSE;
  if (erase && !IsRectEmpty(&ps->rcPaint))
    ps->fErase = Send(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (!ps || !ps->hdc) return FALSE;
  DeleteDC(ps->hdc);
  return TRUE;
}

// ---- scroll bars --------------------------------------------------------------------------------

static ScrollBar* Bar(HWND hwnd, int bar) {
  Wnd* w = Check(hwnd);
  if (!w) return nullptr;
  if (bar < SB_HORZ || bar > SB_CTL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return &w->bars[bar];
}

static int ClampPos(const SCROLLINFO& si, int pos) {
  const long hi = long(si.nMax) - std::max<long>(long(si.nPage) - 1, 0);
  return int(std::max<long>(si.nMin, std::min<long>(pos, std::max<long>(hi, si.nMin))));
}

static void ShowBar(Wnd* w, int bar, bool show) {
  const DWORD bit = bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
  if (((w->style & bit) != 0) == show) return;
  if (show)
    w->style |= bit;
  else
    w->style &= ~bit;
  FrameChanged(w);
}

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* si, BOOL) {
  ScrollBar* b = Bar(hwnd, bar);
  if (!b || !si) return 0;
  SCROLLINFO& cur = b->si;
  if (si->fMask & SIF_RANGE) {
    cur.nMin = si->nMin;
    cur.nMax = std::max(si->nMin, si->nMax);
  }
  if (si->fMask & SIF_PAGE)
    cur.nPage = UINT(std::min<long>(si->nPage, long(cur.nMax) - cur.nMin + 1));
  if (si->fMask & SIF_POS) cur.nPos = si->nPos;
  cur.nPos = ClampPos(cur, cur.nPos);
  cur.nTrackPos = cur.nPos;
  b->set = true;
  const int pos = cur.nPos;
  if (bar != SB_CTL && (si->fMask & (SIF_RANGE | SIF_PAGE))) {
    const long range = long(cur.nMax) - cur.nMin + 1;
    const bool needed = cur.nMax > cur.nMin && long(cur.nPage) < range;
    if (needed || !(si->fMask & SIF_DISABLENOSCROLL)) ShowBar(Get(hwnd), bar, needed);
  }
  return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* si) {
  ScrollBar* b = Bar(hwnd, bar);
  if (!b || !si) return FALSE;
  Wnd* w = Get(hwnd);
  const DWORD bit = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : 0;
  if (!b->set && !(w->style & bit)) return FALSE;
  if (si->fMask & SIF_RANGE) {
    si->nMin = b->si.nMin;
    si->nMax = b->si.nMax;
  }
  if (si->fMask & SIF_PAGE) si->nPage = b->si.nPage;
  if (si->fMask & SIF_POS) si->nPos = b->si.nPos;
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = b->si.nTrackPos;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  ScrollBar* b = Bar(hwnd, bar);
  if (!b) return 0;
  const int old = b->si.nPos;
  SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, pos, 0};
  SetScrollInfo(hwnd, bar, &si, redraw);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  ScrollBar* b = Bar(hwnd, bar);
  return b ? b->si.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  if (!Bar(hwnd, bar)) return FALSE;
  SCROLLINFO si{sizeof si, SIF_RANGE, minPos, maxPos, 0, 0, 0};
  SetScrollInfo(hwnd, bar, &si, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
  ScrollBar* b = Bar(hwnd, bar);
  if (!b || !minPos || !maxPos) return FALSE;
  *minPos = b->si.nMin;
  *maxPos = b->si.nMax;
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  Wnd* w = Check(hwnd);
  if (!w) return FALSE;
  if (bar == SB_HORZ || bar == SB_BOTH) ShowBar(w, SB_HORZ, show);
  if ((w = Get(hwnd)) && (bar == SB_VERT || bar == SB_BOTH)) ShowBar(w, SB_VERT, show);
  return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows) {
  Wnd* w = Check(hwnd);
  if (!w || bar > UINT(SB_BOTH)) return FALSE;
  if (bar == UINT(SB_BOTH)) {
    w->bars[SB_HORZ].arrows = w->bars[SB_VERT].arrows = arrows;
  } else {
    w->bars[bar].arrows = arrows;
  }
  return TRUE;
}

// ---- hooks ------------------------------------------------------------------------------------

HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE, DWORD) {
  if (idHook != WH_CBT || !proc) {
    SetLastError(idHook != WH_CBT ? ERROR_INVALID_HOOK_FILTER : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  State& s = S();
  HHOOK h = reinterpret_cast<HHOOK>(s.nextHook += 4);
  s.hooks.push_back(Hook{h, proc});
  return h;
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
  auto& v = S().hooks;
  auto it = std::find_if(v.begin(), v.end(), [&](const Hook& h) { return h.h == hook; });
  if (it == v.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  v.erase(it);
  return TRUE;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  auto& v = S().hooks;
  // Hooks run newest first: the next one is the one installed before.
  for (std::size_t i = v.size(); i-- > 0;)
    if (v[i].h == hook) return i > 0 ? v[i - 1].proc(code, wParam, lParam) : 0;
  return 0;
}

// ---- system values ------------------------------------------------------------------------------

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: case SM_CXVIRTUALSCREEN: return 1920;
    case SM_CYSCREEN: case SM_CYVIRTUALSCREEN: return 1080;
    case SM_CYFULLSCREEN: return 1017;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVTHUMB: case SM_CXHTHUMB: case SM_CYVSCROLL:
    case SM_CXHSCROLL: return 17;
    case SM_CYCAPTION: case SM_CYSMCAPTION: return 23;
    case SM_CXBORDER: case SM_CYBORDER: case SM_CXFOCUSBORDER: case SM_CYFOCUSBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 20;
    case SM_MOUSEPRESENT: case SM_MOUSEWHEELPRESENT: case SM_CMONITORS: return 1;
    case SM_SWAPBUTTON: case SM_XVIRTUALSCREEN: case SM_YVIRTUALSCREEN: return 0;
    case SM_CXMIN: case SM_CXMINTRACK: return 136;
    case SM_CYMIN: case SM_CYMINTRACK: return 39;
    case SM_CXSIZE: return 36;
    case SM_CYSIZE: return 22;
    case SM_CXFRAME: case SM_CYFRAME: case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: case SM_CXDRAG: case SM_CYDRAG:
    case SM_CXPADDEDBORDER: return 4;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CXMAXIMIZED: return 1936;
    case SM_CYMAXIMIZED: return 1056;
    default: return 0;
  }
}

DWORD GetSysColor(int index) { return index >= 0 && index < 31 ? kSysColors[index] : 0; }

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= 31) return nullptr;
  HBRUSH& b = S().sysBrushes[index];
  if (!b || GetObjectType(b) != OBJ_BRUSH) b = CreateSolidBrush(kSysColors[index]);
  return b;
}

UINT GetDpiForWindow(HWND hwnd) { return Check(hwnd) ? 96 : 0; }

// ---- the test driver ------------------------------------------------------------------------------

void KvAddWindowDestroyHook(KvWindowDestroyHook hook) {
  auto& hooks = DestroyHooks();
  if (hook && std::find(hooks.begin(), hooks.end(), hook) == hooks.end()) hooks.push_back(hook);
}

BOOL KvPlayInput(const std::vector<KvInputItem>& items) {
  State& s = S();
  DWORD last = s.script.empty() ? s.clock : std::max(s.clock, s.script.back().time);
  for (const KvInputItem& i : items) {
    const bool input = IsMouse(i.message) || i.message == WM_KEYDOWN || i.message == WM_KEYUP ||
                       i.message == WM_SYSKEYDOWN || i.message == WM_SYSKEYUP || i.message == WM_CHAR;
    if (!input || i.time < last) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    last = i.time;
  }
  s.script.insert(s.script.end(), items.begin(), items.end());
  return TRUE;
}

std::size_t KvPendingInput() { return S().script.size(); }
void KvClearInput() { S().script.clear(); }
void KvAdvanceClock(DWORD ms) { S().clock += ms; }
void KvSetClock(DWORD now) { S().clock = now; }
void KvSetPeekSpin(DWORD ms) { S().peekSpin = std::max<DWORD>(ms, 1); }

void KvSetKeyState(int vk, bool down, bool toggled) {
  if (vk < 0 || vk > 255) return;
  S().keys[vk] = static_cast<unsigned char>((down ? 0x80 : 0) | (toggled ? 0x01 : 0));
}

bool KvWindowsIdle() {
  State& s = S();
  if (!s.posted.empty() || s.quit || !s.script.empty() || NextPaint(nullptr)) return false;
  for (const Timer& t : s.timers)
    if (t.due <= s.clock) return false;
  return true;
}

const std::vector<KvInvalidation>& KvInvalidationLog() { return S().log; }
void KvClearInvalidationLog() { S().log.clear(); }

cairo_surface_t* KvWindowSurface(HWND hwnd) {
  Wnd* w = Check(hwnd);
  return w ? Surface(w) : nullptr;
}

BOOL KvSaveWindowPng(HWND hwnd, const char* path) {
  Wnd* w = Check(hwnd);
  if (!w || !path) return FALSE;
  cairo_surface_t* s = Surface(w);
  cairo_surface_flush(s);
  return cairo_surface_write_to_png(s, path) == CAIRO_STATUS_SUCCESS ? TRUE : FALSE;
}

std::size_t KvWindowCount() {
  std::size_t n = S().windows.size();
  return S().desktop && Get(S().desktop) ? n - 1 : n;
}

void KvSetClassLimit(std::size_t limit) { S().classLimit = std::min(limit, kAtomCount); }

std::size_t KvClassCount() { return S().classes.size(); }

void KvWindowsReset() {
  State& s = S();
  s.capture = s.focus = nullptr;  // no messages about them while everything goes
  for (HWND h : std::vector<HWND>(s.topLevel))
    if (Get(h)) DestroyWindow(h);
  s.topLevel.clear();
  for (HBRUSH& b : s.sysBrushes) {
    if (b && GetObjectType(b) == OBJ_BRUSH) DeleteObject(b);
    b = nullptr;
  }
  HWND desktop = s.desktop;
  s.windows.clear();
  s.classes.clear();
  s.classLimit = kAtomCount;
  s.posted.clear();
  s.quit = false;
  s.timers.clear();
  s.script.clear();
  s.hooks.clear();
  s.log.clear();
  s.clock = 1000;
  s.peekSpin = 10;
  s.msgTime = 0;
  s.msgPos = s.cursor = {0, 0};
  s.cursorHandle = nullptr;
  std::memset(s.keys, 0, sizeof s.keys);
  s.active = nullptr;
  s.lastDown = 0;
  s.lastDownWnd = nullptr;
  s.desktop = nullptr;
  (void)desktop;
}
