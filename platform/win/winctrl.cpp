// The dialog controls: state behind each handle, messages, painting, and the
// driver that plays a person's actions on them.
#include "win/winctrl.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <memory>
#include <string>

#include "win/gdisink.h"
#include "win/winres.h"
#include "win/winutf8.h"

namespace {

// ---- common parts -------------------------------------------------------------

DWORD StyleOf(HWND h) { return DWORD(GetWindowLongPtrW(h, GWL_STYLE)); }
int IdOf(HWND h) { return GetDlgCtrlID(h); }

std::u16string TextOf(HWND h) {
  std::u16string s(std::size_t(GetWindowTextLengthW(h)) + 1, u'\0');
  s.resize(std::size_t(std::max(0, GetWindowTextW(h, s.data(), int(s.size())))));
  return s;
}

// A label as shown: '&' marks the mnemonic, "&&" is one ampersand.
std::u16string Shown(const std::u16string& s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'&' && i + 1 < s.size()) ++i;
    out += s[i];
  }
  return out;
}

bool SameNoCase(const std::u16string& a, const std::u16string& b, std::size_t n) {
  if (a.size() < n || b.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::towlower(wint_t(a[i])) != std::towlower(wint_t(b[i]))) return false;
  return true;
}

std::size_t CopyOut(const std::u16string& s, LPWSTR buffer) {
  if (buffer) {
    std::copy(s.begin(), s.end(), buffer);
    buffer[s.size()] = u'\0';
  }
  return s.size();
}

// Notifications to the parent. The handler may destroy the control (or the
// whole dialog): callers check IsWindow before touching the control again.
void Command(HWND h, UINT code) {
  if (HWND p = GetParent(h)) SendMessageW(p, WM_COMMAND, MAKEWPARAM(IdOf(h), int(code)), reinterpret_cast<LPARAM>(h));
}
LRESULT Notify(HWND h, NMHDR* nm, UINT code) {
  nm->hwndFrom = h;
  nm->idFrom = UINT_PTR(IdOf(h));
  nm->code = code;
  HWND p = GetParent(h);
  return p ? SendMessageW(p, WM_NOTIFY, nm->idFrom, reinterpret_cast<LPARAM>(nm)) : 0;
}
void Scroll(HWND h, bool vertical, int code, int pos) {
  if (HWND p = GetParent(h))
    SendMessageW(p, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(h));
}

// ---- painting helpers ----

struct Painter {
  HDC dc;
  RECT rc;
  bool enabled;
  void Fill(const RECT& r, int sysColor) const { FillRect(dc, &r, GetSysColorBrush(sysColor)); }
  void FillColor(const RECT& r, COLORREF c) const {
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  void Frame(const RECT& r, int sysColor) const { FrameRect(dc, &r, GetSysColorBrush(sysColor)); }
  void Text(const std::u16string& s, RECT r, UINT format, int sysColor = COLOR_BTNTEXT) const {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? sysColor : COLOR_GRAYTEXT));
    const std::u16string shown = Shown(s);
    DrawTextW(dc, shown.c_str(), int(shown.size()), &r, format | DT_NOPREFIX);
  }
  void Line(int x0, int y0, int x1, int y1, COLORREF c, int width = 1) const {
    HPEN pen = CreatePen(0, width, c);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  // A sunken field: window background, dark frame.
  void Field(const RECT& r, bool readOnly = false) const {
    Fill(r, enabled && !readOnly ? COLOR_WINDOW : COLOR_BTNFACE);
    Frame(r, COLOR_BTNSHADOW);
  }
  // A small arrow, pointing down (or up) in the box.
  void Arrow(const RECT& box, bool up) const {
    const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    POINT pts[3] = {{cx - 3, up ? cy + 2 : cy - 2}, {cx + 4, up ? cy + 2 : cy - 2}, {cx, up ? cy - 2 : cy + 2}};
    HBRUSH b = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    HGDIOBJ oldBrush = SelectObject(dc, b);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Polygon(dc, pts, 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
  }
};

constexpr int kRowHeight = 16;

// Every control's state, behind its handle (the window's first extra word).
struct Ctrl {
  virtual ~Ctrl() = default;
  // A message of this kind of control; false leaves it to DefWindowProcW.
  virtual bool Handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) = 0;
  virtual void Paint(HWND h, const Painter& p) = 0;
  virtual void Focus(HWND, bool) {}
  virtual void Created(HWND, const CREATESTRUCTW*) {}
  HFONT font = nullptr;
  bool focused = false;
};

Ctrl* StateOf(HWND h) { return reinterpret_cast<Ctrl*>(GetWindowLongPtrW(h, 0)); }
template <class T>
T* As(HWND h) {
  return dynamic_cast<T*>(StateOf(h));
}

template <class T>
LRESULT CtrlProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_NCCREATE) {
    SetWindowLongPtrW(h, 0, reinterpret_cast<LONG_PTR>(static_cast<Ctrl*>(new T())));
    return DefWindowProcW(h, m, w, l);
  }
  Ctrl* s = StateOf(h);
  if (!s) return DefWindowProcW(h, m, w, l);
  switch (m) {
    case WM_NCDESTROY:
      SetWindowLongPtrW(h, 0, 0);
      delete s;
      return DefWindowProcW(h, m, w, l);
    case WM_CREATE: s->Created(h, reinterpret_cast<const CREATESTRUCTW*>(l)); return 0;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(w);
      if (LOWORD(l)) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_ENABLE: InvalidateRect(h, nullptr, TRUE); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s->focused = m == WM_SETFOCUS;
      InvalidateRect(h, nullptr, TRUE);
      s->Focus(h, m == WM_SETFOCUS);
      return 0;
    case WM_ERASEBKGND: return 1;  // each paint fills its whole surface
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      Painter p{dc, {}, IsWindowEnabled(h) != FALSE};
      GetClientRect(h, &p.rc);
      HGDIOBJ old = SelectObject(dc, s->font ? reinterpret_cast<HGDIOBJ>(s->font) : GetStockObject(DEFAULT_GUI_FONT));
      s->Paint(h, p);
      SelectObject(dc, old);
      EndPaint(h, &ps);
      return 0;
    }
    default: break;
  }
  LRESULT r = 0;
  if (s->Handle(h, m, w, l, r)) return r;
  if (m == WM_SETTEXT) InvalidateRect(h, nullptr, TRUE);
  return DefWindowProcW(h, m, w, l);
}

// ---- buttons ----------------------------------------------------------------

struct Button : Ctrl {
  int check = BST_UNCHECKED;
  static DWORD Type(HWND h) { return StyleOf(h) & BS_TYPEMASK; }
  static bool Checkable(DWORD t) {
    return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_RADIOBUTTON || t == BS_3STATE ||
           t == BS_AUTO3STATE || t == BS_AUTORADIOBUTTON;
  }
  static bool ThreeState(DWORD t) { return t == BS_3STATE || t == BS_AUTO3STATE; }

  // The other auto radio buttons of the group: from the group's first
  // control (WS_GROUP) to the next group.
  static void UncheckGroup(HWND h) {
    HWND first = h;
    while (!(StyleOf(first) & WS_GROUP)) {
      HWND prev = GetWindow(first, GW_HWNDPREV);
      if (!prev) break;
      first = prev;
    }
    for (HWND c = first; c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (c != first && (StyleOf(c) & WS_GROUP)) break;
      if (c != h && Type(c) == BS_AUTORADIOBUTTON) SendMessageW(c, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }

  bool Handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) override {
    const DWORD t = Type(h);
    switch (m) {
      case BM_GETCHECK: r = Checkable(t) ? check : 0; return true;
      case BM_SETCHECK: {
        if (!Checkable(t)) return true;
        int c = int(w);
        if (c == BST_INDETERMINATE && !ThreeState(t)) c = BST_CHECKED;
        if (c != BST_UNCHECKED && c != BST_CHECKED && c != BST_INDETERMINATE) c = BST_UNCHECKED;
        if (c != check) InvalidateRect(h, nullptr, TRUE);
        check = c;
        return true;
      }
      case BM_GETSTATE: r = (Checkable(t) ? check : 0) | (focused ? BST_FOCUS : 0); return true;
      case BM_SETSTYLE:
        SetWindowLongPtrW(h, GWL_STYLE, LONG_PTR((StyleOf(h) & ~BS_TYPEMASK) | (DWORD(w) & BS_TYPEMASK)));
        if (LOWORD(l)) InvalidateRect(h, nullptr, TRUE);
        return true;
      case BM_CLICK:
        // A click a disabled button never receives.
        if (!IsWindowEnabled(h) || t == BS_GROUPBOX) return true;
        if (t == BS_AUTOCHECKBOX) SendMessageW(h, BM_SETCHECK, check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
        if (t == BS_AUTO3STATE) SendMessageW(h, BM_SETCHECK, WPARAM((check + 1) % 3), 0);
        if (t == BS_AUTORADIOBUTTON) {
          SendMessageW(h, BM_SETCHECK, BST_CHECKED, 0);
          UncheckGroup(h);
        }
        Command(h, BN_CLICKED);
        return true;
      case WM_GETDLGCODE: r = 0; return true;
      default: return false;
    }
  }

  void Paint(HWND h, const Painter& p) override {
    const DWORD t = Type(h);
    const std::u16string text = TextOf(h);
    p.Fill(p.rc, COLOR_BTNFACE);
    if (t == BS_GROUPBOX) {
      RECT f = p.rc;
      f.top += 6;
      p.Frame(f, COLOR_BTNSHADOW);
      RECT label{p.rc.left + 8, p.rc.top, p.rc.right - 8, p.rc.top + 14};
      if (!text.empty()) {
        RECT calc = label;
        const std::u16string shown = Shown(text);
        DrawTextW(p.dc, shown.c_str(), int(shown.size()), &calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        calc.right += 2;
        calc.left -= 2;
        p.Fill(calc, COLOR_BTNFACE);
      }
      p.Text(text, label, DT_LEFT | DT_SINGLELINE);
      return;
    }
    if (!Checkable(t)) {
      p.Frame(p.rc, COLOR_3DDKSHADOW);
      if (t == BS_DEFPUSHBUTTON) {
        RECT inner{p.rc.left + 1, p.rc.top + 1, p.rc.right - 1, p.rc.bottom - 1};
        p.Frame(inner, COLOR_3DDKSHADOW);
      }
      p.Text(text, p.rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      if (focused) {
        RECT fr{p.rc.left + 3, p.rc.top + 3, p.rc.right - 3, p.rc.bottom - 3};
        DrawFocusRect(p.dc, &fr);
      }
      return;
    }
    const int cy = (p.rc.top + p.rc.bottom) / 2;
    RECT box{p.rc.left, cy - 6, p.rc.left + 13, cy + 7};
    const COLORREF ink = GetSysColor(p.enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    if (t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON) {
      HGDIOBJ oldBrush = SelectObject(p.dc, GetSysColorBrush(COLOR_WINDOW));
      Ellipse(p.dc, box.left, box.top, box.right, box.bottom);
      if (check == BST_CHECKED) {
        SelectObject(p.dc, GetSysColorBrush(p.enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        Ellipse(p.dc, box.left + 4, box.top + 4, box.right - 4, box.bottom - 4);
      }
      SelectObject(p.dc, oldBrush);
    } else {
      p.Fill(box, check == BST_INDETERMINATE ? COLOR_BTNSHADOW : COLOR_WINDOW);
      p.Frame(box, COLOR_BTNSHADOW);
      if (check != BST_UNCHECKED) {
        p.Line(box.left + 3, cy, box.left + 5, cy + 3, ink, 2);
        p.Line(box.left + 5, cy + 3, box.left + 10, cy - 3, ink, 2);
      }
    }
    RECT label{box.right + 4, p.rc.top, p.rc.right, p.rc.bottom};
    p.Text(text, label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (focused) DrawFocusRect(p.dc, &label);
  }
};

// ---- statics and the preview frame ----

struct Static : Ctrl {
  bool Handle(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
  void Paint(HWND h, const Painter& p) override {
    const DWORD t = StyleOf(h) & SS_TYPEMASK;
    p.Fill(p.rc, COLOR_BTNFACE);
    if (t == SS_BLACKFRAME || t == SS_ETCHEDFRAME) {
      p.Frame(p.rc, t == SS_BLACKFRAME ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW);
      return;
    }
    const UINT align = t == SS_CENTER ? DT_CENTER : t == SS_RIGHT ? DT_RIGHT : DT_LEFT;
    p.Text(TextOf(h), p.rc, align | DT_WORDBREAK);
  }
};

struct Preview : Ctrl {
  bool Handle(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
  void Paint(HWND, const Painter& p) override {
    p.Fill(p.rc, COLOR_WINDOW);
    p.Frame(p.rc, COLOR_BTNSHADOW);
  }
};

// ---- edit and rich edit ----

struct Edit : Ctrl {
  bool rich = false;
  std::size_t limit = 0;  // 0: the class's own maximum
  DWORD events = ENM_NONE;
  DWORD selStart = 0, selEnd = 0;
  BOOL modified = FALSE;
  LPARAM lineWidth = 0;
  COLORREF background = 0;
  LRESULT textMode = 1;

  std::size_t Limit() const { return limit ? limit : rich ? 32767 : 0x7FFFFFFE; }
  static bool Multi(HWND h) { return (StyleOf(h) & ES_MULTILINE) != 0; }

  // EN_CHANGE and EN_UPDATE reach a rich edit's parent only when its event
  // mask asks for them.
  void Changed(HWND h) {
    if (!rich || (events & ENM_UPDATE)) Command(h, EN_UPDATE);
    if (!IsWindow(h)) return;
    if (!rich || (events & ENM_CHANGE)) Command(h, EN_CHANGE);
  }

  // What typing the text over the whole field leaves: one line for a
  // single-line field, the limit kept.
  void Type(HWND h, std::u16string text) {
    if (StyleOf(h) & ES_READONLY) return;
    if (!Multi(h)) {
      const std::size_t eol = text.find_first_of(u"\r\n");
      if (eol != std::u16string::npos) text.resize(eol);
    }
    bool full = false;
    if (text.size() > Limit()) {
      text.resize(Limit());
      full = true;
    }
    DefWindowProcW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    selStart = selEnd = DWORD(text.size());
    modified = TRUE;
    InvalidateRect(h, nullptr, TRUE);
    if (full) Command(h, EN_MAXTEXT);
    if (IsWindow(h)) Changed(h);
  }

  void Focus(HWND h, bool gained) override { Command(h, gained ? EN_SETFOCUS : EN_KILLFOCUS); }

  bool Handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) override {
    switch (m) {
      case WM_SETTEXT:
        r = DefWindowProcW(h, m, w, l);
        selStart = selEnd = 0;
        modified = FALSE;
        InvalidateRect(h, nullptr, TRUE);
        // A plain single-line field tells its parent of any new text.
        if (!rich && !Multi(h)) Changed(h);
        return true;
      case EM_GETSEL:
        if (w) *reinterpret_cast<DWORD*>(w) = selStart;
        if (l) *reinterpret_cast<DWORD*>(l) = selEnd;
        r = MAKELONG(WORD(std::min<DWORD>(selStart, 0xFFFF)), WORD(std::min<DWORD>(selEnd, 0xFFFF)));
        return true;
      case EM_SETSEL: {
        const DWORD n = DWORD(GetWindowTextLengthW(h));
        if (int(w) == -1) {
          selStart = selEnd = std::min(selEnd, n);
          return true;
        }
        selStart = std::min(DWORD(w), n);
        selEnd = int(l) == -1 ? n : std::min(DWORD(l), n);
        if (selStart > selEnd) std::swap(selStart, selEnd);
        return true;
      }
      case EM_REPLACESEL: {
        std::u16string text = TextOf(h);
        const std::u16string add = l ? reinterpret_cast<LPCWSTR>(l) : u"";
        const std::size_t a = std::min<std::size_t>(selStart, text.size()), b = std::min<std::size_t>(selEnd, text.size());
        text.replace(a, b - a, add);
        if (text.size() > Limit()) return true;
        DefWindowProcW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        selStart = selEnd = DWORD(a + add.size());
        modified = TRUE;
        InvalidateRect(h, nullptr, TRUE);
        Changed(h);
        return true;
      }
      case EM_LIMITTEXT: limit = std::size_t(w); return true;
      case EM_EXLIMITTEXT: limit = std::size_t(l); return true;
      case EM_GETLIMITTEXT: r = LRESULT(Limit()); return true;
      case EM_SETREADONLY:
        SetWindowLongPtrW(h, GWL_STYLE, LONG_PTR(w ? StyleOf(h) | ES_READONLY : StyleOf(h) & ~ES_READONLY));
        InvalidateRect(h, nullptr, TRUE);
        r = TRUE;
        return true;
      case EM_GETMODIFY: r = modified; return true;
      case EM_SETMODIFY: modified = BOOL(w); return true;
      case EM_SCROLLCARET: r = TRUE; return true;
      case EM_GETLINECOUNT: {
        const std::u16string t = TextOf(h);
        r = Multi(h) ? 1 + std::count(t.begin(), t.end(), u'\n') : 1;
        return true;
      }
      case WM_GETDLGCODE: r = 0; return true;
      default: break;
    }
    if (!rich) return false;
    switch (m) {
      case EM_GETEVENTMASK: r = LRESULT(events); return true;
      case EM_SETEVENTMASK:
        r = LRESULT(events);
        events = DWORD(l);
        return true;
      case EM_SETTARGETDEVICE: lineWidth = l; r = TRUE; return true;
      case EM_SETBKGNDCOLOR:
        r = LRESULT(background);
        background = w ? GetSysColor(COLOR_WINDOW) : COLORREF(l);
        InvalidateRect(h, nullptr, TRUE);
        return true;
      case EM_SETTEXTMODE:
        // The mode changes only while the control is empty.
        if (GetWindowTextLengthW(h) != 0) {
          r = 1;
          return true;
        }
        textMode = LRESULT(w);
        r = 0;
        return true;
      case EM_GETTEXTMODE: r = textMode; return true;
      default: return false;
    }
  }

  void Created(HWND, const CREATESTRUCTW*) override { background = GetSysColor(COLOR_WINDOW); }

  void Paint(HWND h, const Painter& p) override {
    const bool readOnly = (StyleOf(h) & ES_READONLY) != 0;
    if (rich && p.enabled) {
      p.FillColor(p.rc, background);
      p.Frame(p.rc, COLOR_BTNSHADOW);
    } else {
      p.Field(p.rc, readOnly);
    }
    RECT in{p.rc.left + 3, p.rc.top + 2, p.rc.right - 3, p.rc.bottom - 2};
    const std::u16string text = TextOf(h);
    SetBkMode(p.dc, TRANSPARENT);
    SetTextColor(p.dc, GetSysColor(p.enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    const UINT format = DT_NOPREFIX | (Multi(h) ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(p.dc, text.c_str(), int(text.size()), &in, format);
  }
};

struct RichEdit : Edit {
  RichEdit() { rich = true; }
};

// ---- lists of texts (combo, list box) ----

struct Entries {
  std::vector<std::u16string> texts;
  std::vector<ULONG_PTR> data;

  int Count() const { return int(texts.size()); }
  bool Has(WPARAM i) const { return int(i) >= 0 && int(i) < Count(); }
  int Insert(int at, std::u16string text, ULONG_PTR value, bool sorted) {
    if (sorted) {
      at = 0;
      while (at < Count() && !(text < texts[std::size_t(at)])) ++at;
    } else if (at < 0 || at > Count()) {
      at = Count();
    }
    texts.insert(texts.begin() + at, std::move(text));
    data.insert(data.begin() + at, value);
    return at;
  }
  void Erase(int at) {
    texts.erase(texts.begin() + at);
    data.erase(data.begin() + at);
  }
  // The first entry after `start` (wrapping) whose text begins with `s`
  // (`exact`: equals it), without regard to case; -1 when none.
  int Find(int start, const std::u16string& s, bool exact) const {
    const int n = Count();
    for (int k = 1; k <= n; ++k) {
      const int i = ((start < 0 ? -1 : start) + k) % n;
      const std::u16string& t = texts[std::size_t(i)];
      if (exact ? (t.size() == s.size() && SameNoCase(t, s, s.size())) : SameNoCase(t, s, s.size())) return i;
    }
    return -1;
  }
};

// ---- combo boxes ----

struct Combo : Ctrl {
  Entries entries;
  int cur = -1;
  static DWORD Kind(HWND h) { return StyleOf(h) & 0x3; }
  static bool OwnerDraw(HWND h) { return (StyleOf(h) & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }
  static bool Strings(HWND h) { return !OwnerDraw(h) || (StyleOf(h) & CBS_HASSTRINGS); }

  void Select(HWND h, int i) {
    cur = entries.Has(WPARAM(i)) ? i : -1;
    const std::u16string text = cur >= 0 ? entries.texts[std::size_t(cur)] : std::u16string();
    DefWindowProcW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    InvalidateRect(h, nullptr, TRUE);
  }

  void Focus(HWND h, bool gained) override { Command(h, gained ? CBN_SETFOCUS : CBN_KILLFOCUS); }

  bool Handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) override {
    switch (m) {
      case CB_ADDSTRING:
      case CB_INSERTSTRING: {
        const bool strings = Strings(h);
        std::u16string text = strings && l ? reinterpret_cast<LPCWSTR>(l) : u"";
        const int at = m == CB_ADDSTRING ? -1 : int(w);
        if (m == CB_INSERTSTRING && at > entries.Count()) {
          r = CB_ERR;
          return true;
        }
        r = entries.Insert(at, std::move(text), strings ? 0 : ULONG_PTR(l),
                           m == CB_ADDSTRING && (StyleOf(h) & CBS_SORT) && strings);
        if (cur >= int(r)) ++cur;
        return true;
      }
      case CB_DELETESTRING:
        if (!entries.Has(w)) {
          r = CB_ERR;
          return true;
        }
        entries.Erase(int(w));
        if (cur == int(w)) Select(h, -1);
        else if (cur > int(w)) --cur;
        r = entries.Count();
        return true;
      case CB_RESETCONTENT:
        entries = Entries();
        Select(h, -1);
        return true;
      case CB_GETCOUNT: r = entries.Count(); return true;
      case CB_GETCURSEL: r = cur; return true;
      case CB_SETCURSEL:
        Select(h, int(w));
        r = entries.Has(w) ? LRESULT(w) : CB_ERR;
        return true;
      case CB_GETLBTEXT:
        r = entries.Has(w) ? LRESULT(CopyOut(entries.texts[w], reinterpret_cast<LPWSTR>(l))) : CB_ERR;
        return true;
      case CB_GETLBTEXTLEN: r = entries.Has(w) ? LRESULT(entries.texts[w].size()) : CB_ERR; return true;
      case CB_FINDSTRING:
      case CB_FINDSTRINGEXACT:
      case CB_SELECTSTRING: {
        const std::u16string s = l ? reinterpret_cast<LPCWSTR>(l) : u"";
        const int i = entries.Find(int(w), s, m == CB_FINDSTRINGEXACT);
        if (m == CB_SELECTSTRING && i >= 0) Select(h, i);
        r = i;
        return true;
      }
      case CB_GETITEMDATA: r = entries.Has(w) ? LRESULT(entries.data[w]) : CB_ERR; return true;
      case CB_SETITEMDATA:
        if (!entries.Has(w)) {
          r = CB_ERR;
          return true;
        }
        entries.data[w] = ULONG_PTR(l);
        r = TRUE;
        return true;
      case CB_LIMITTEXT: r = TRUE; return true;
      case WM_GETDLGCODE: r = 0; return true;
      default: return false;
    }
  }

  void Paint(HWND h, const Painter& p) override {
    RECT field{p.rc.left, p.rc.top, p.rc.right, std::min<LONG>(p.rc.bottom, p.rc.top + 21)};
    p.Fill(p.rc, COLOR_BTNFACE);
    p.Field(field);
    RECT arrow{field.right - 17, field.top + 1, field.right - 1, field.bottom - 1};
    p.Fill(arrow, COLOR_BTNFACE);
    p.Frame(arrow, COLOR_BTNSHADOW);
    p.Arrow(arrow, false);
    RECT item{field.left + 2, field.top + 2, arrow.left - 1, field.bottom - 2};
    if (OwnerDraw(h)) {
      DRAWITEMSTRUCT di{};
      di.CtlType = ODT_COMBOBOX;
      di.CtlID = UINT(IdOf(h));
      di.itemID = UINT(cur);
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = ODS_COMBOBOXEDIT | (focused ? ODS_SELECTED : 0u);
      di.hwndItem = h;
      di.hDC = p.dc;
      di.rcItem = item;
      di.itemData = cur >= 0 ? entries.data[std::size_t(cur)] : 0;
      if (HWND parent = GetParent(h)) SendMessageW(parent, WM_DRAWITEM, WPARAM(di.CtlID), reinterpret_cast<LPARAM>(&di));
      return;
    }
    if (focused && Kind(h) == CBS_DROPDOWNLIST) p.Fill(item, COLOR_HIGHLIGHT);
    RECT text{item.left + 2, item.top, item.right, item.bottom};
    p.Text(TextOf(h), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE,
           focused && Kind(h) == CBS_DROPDOWNLIST ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
  }
};

// ---- list boxes ----

struct ListBox : Ctrl {
  Entries entries;
  std::vector<bool> sel;
  int cur = -1;  // the selection (single), the caret (multiple)
  static bool Multi(HWND h) { return (StyleOf(h) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
  static bool Notifies(HWND h) { return (StyleOf(h) & LBS_NOTIFY) != 0; }

  void Focus(HWND h, bool gained) override {
    if (Notifies(h)) Command(h, gained ? LBN_SETFOCUS : LBN_KILLFOCUS);
  }

  bool Handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) override {
    const bool multi = Multi(h);
    switch (m) {
      case LB_ADDSTRING:
      case LB_INSERTSTRING: {
        std::u16string text = l ? reinterpret_cast<LPCWSTR>(l) : u"";
        const int at = m == LB_ADDSTRING ? -1 : int(w);
        if (m == LB_INSERTSTRING && at > entries.Count()) {
          r = LB_ERR;
          return true;
        }
        r = entries.Insert(at, std::move(text), 0, m == LB_ADDSTRING && (StyleOf(h) & LBS_SORT));
        sel.insert(sel.begin() + r, false);
        if (cur >= int(r)) ++cur;
        InvalidateRect(h, nullptr, TRUE);
        return true;
      }
      case LB_DELETESTRING:
        if (!entries.Has(w)) {
          r = LB_ERR;
          return true;
        }
        entries.Erase(int(w));
        sel.erase(sel.begin() + int(w));
        if (cur == int(w)) cur = -1;
        else if (cur > int(w)) --cur;
        r = entries.Count();
        InvalidateRect(h, nullptr, TRUE);
        return true;
      case LB_RESETCONTENT:
        entries = Entries();
        sel.clear();
        cur = -1;
        InvalidateRect(h, nullptr, TRUE);
        return true;
      case LB_GETCOUNT: r = entries.Count(); return true;
      case LB_GETTEXT:
        r = entries.Has(w) ? LRESULT(CopyOut(entries.texts[w], reinterpret_cast<LPWSTR>(l))) : LB_ERR;
        return true;
      case LB_GETTEXTLEN: r = entries.Has(w) ? LRESULT(entries.texts[w].size()) : LB_ERR; return true;
      case LB_GETITEMDATA: r = entries.Has(w) ? LRESULT(entries.data[w]) : LB_ERR; return true;
      case LB_SETITEMDATA:
        if (!entries.Has(w)) {
          r = LB_ERR;
          return true;
        }
        entries.data[w] = ULONG_PTR(l);
        r = TRUE;
        return true;
      case LB_FINDSTRINGEXACT:
        r = entries.Find(int(w), l ? reinterpret_cast<LPCWSTR>(l) : u"", true);
        return true;
      case LB_SETCURSEL:
        // Single selection only; -1 (or an entry it lacks) clears it.
        if (multi) {
          r = LB_ERR;
          return true;
        }
        cur = entries.Has(w) ? int(w) : -1;
        r = cur >= 0 ? cur : LB_ERR;
        InvalidateRect(h, nullptr, TRUE);
        return true;
      case LB_GETCURSEL: r = cur >= 0 ? cur : LB_ERR; return true;
      case LB_SETSEL:
        // Multiple selection only; index -1 sets every entry.
        if (!multi || (int(l) != -1 && !entries.Has(WPARAM(l)))) {
          r = LB_ERR;
          return true;
        }
        if (int(l) == -1) std::fill(sel.begin(), sel.end(), w != 0);
        else {
          sel[std::size_t(l)] = w != 0;
          cur = int(l);
        }
        InvalidateRect(h, nullptr, TRUE);
        r = 0;
        return true;
      case LB_GETSEL:
        r = !entries.Has(w) ? LB_ERR : multi ? LRESULT(sel[w]) : LRESULT(cur == int(w));
        return true;
      case LB_GETSELCOUNT:
        r = multi ? LRESULT(std::count(sel.begin(), sel.end(), true)) : LB_ERR;
        return true;
      case LB_GETSELITEMS: {
        if (!multi) {
          r = LB_ERR;
          return true;
        }
        auto* out = reinterpret_cast<int*>(l);
        int n = 0;
        for (int i = 0; i < entries.Count() && n < int(w); ++i)
          if (sel[std::size_t(i)]) {
            if (out) out[n] = i;
            ++n;
          }
        r = n;
        return true;
      }
      case WM_GETDLGCODE: r = 0; return true;
      default: return false;
    }
  }

  bool Selected(HWND h, int i) const { return Multi(h) ? bool(sel[std::size_t(i)]) : cur == i; }

  void Paint(HWND h, const Painter& p) override {
    p.Field(p.rc);
    for (int i = 0; i < entries.Count(); ++i) {
      RECT row{p.rc.left + 1, p.rc.top + 1 + i * kRowHeight, p.rc.right - 1, p.rc.top + 1 + (i + 1) * kRowHeight};
      if (row.top >= p.rc.bottom) break;
      const bool on = Selected(h, i);
      if (on) p.Fill(row, COLOR_HIGHLIGHT);
      RECT text{row.left + 2, row.top, row.right, row.bottom};
      p.Text(entries.texts[std::size_t(i)], text, DT_LEFT | DT_VCENTER | DT_SINGLELINE,
             on ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
      if (focused && i == cur) DrawFocusRect(p.dc, &row);
    }
  }
};

// ---- image lists ----

struct ImageList {
  int cx, cy;
  std::vector<HBITMAP> images;
  // The transparent colour of each image (CLR_NONE: none).
  std::vector<COLORREF> masks;
};
std::vector<std::unique_ptr<ImageList>>& ImageLists() {
  static std::vector<std::unique_ptr<ImageList>> lists;
  return lists;
}
ImageList* ImageListOf(HIMAGELIST h) {
  for (auto& l : ImageLists())
    if (reinterpret_cast<HIMAGELIST>(l.get()) == h) return l.get();
  return nullptr;
}

// ---- list view ----

struct ListView : Ctrl {
  struct Item {
    std::u16string text;
    int image = -1;
    LPARAM param = 0;
    UINT state = 0;
  };
  std::vector<Item> items;
  HIMAGELIST normal = nullptr, small = nullptr;

  bool Has(WPARAM i) const { return int(i) >= 0 && int(i) < int(items.size()); }

  // Sets an item's state bits and tells the parent when they changed.
  void SetState(HWND h, int i, UINT state, UINT mask) {
    Item& it = items[std::size_t(i)];
    const UINT old = it.state;
    const UINT now = (old & ~mask) | (state & mask);
    if (now == old) return;
    it.state = now;
    InvalidateRect(h, nullptr, TRUE);
    NMLISTVIEW nm{};
    nm.iItem = i;
    nm.uNewState = now;
    nm.uOldState = old;
    nm.uChanged = LVIF_STATE;
    nm.lParam = it.param;
    Notify(h, &nm.hdr, LVN_ITEMCHANGED);
  }
  // Selects one item (with the focus) and deselects the others, the others first.
  void SelectOnly(HWND h, int i) {
    for (int k = 0; IsWindow(h) && k < int(items.size()); ++k)
      if (k != i) SetState(h, k, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (IsWindow(h) && As<ListView>(h) == this) SetState(h, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }

  bool Handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) override {
    auto* lv = reinterpret_cast<LVITEMW*>(l);
    switch (m) {
      case LVM_SETIMAGELIST: {
        HIMAGELIST& slot = int(w) == LVSIL_SMALL ? small : normal;
        r = reinterpret_cast<LRESULT>(slot);
        slot = reinterpret_cast<HIMAGELIST>(l);
        InvalidateRect(h, nullptr, TRUE);
        return true;
      }
      case LVM_GETIMAGELIST: r = reinterpret_cast<LRESULT>(int(w) == LVSIL_SMALL ? small : normal); return true;
      case LVM_GETITEMCOUNT: r = LRESULT(items.size()); return true;
      case LVM_INSERTITEMW: {
        if (!lv) {
          r = -1;
          return true;
        }
        Item it;
        if ((lv->mask & LVIF_TEXT) && lv->pszText) it.text = lv->pszText;
        if (lv->mask & LVIF_IMAGE) it.image = lv->iImage;
        if (lv->mask & LVIF_PARAM) it.param = lv->lParam;
        if (lv->mask & LVIF_STATE) it.state = lv->state & lv->stateMask;
        const int at = std::clamp(lv->iItem, 0, int(items.size()));
        items.insert(items.begin() + at, std::move(it));
        InvalidateRect(h, nullptr, TRUE);
        r = at;
        return true;
      }
      case LVM_SETITEMW:
      case LVM_GETITEMW: {
        if (!lv || !Has(WPARAM(lv->iItem)) || lv->iSubItem != 0) {
          r = FALSE;
          return true;
        }
        Item& it = items[std::size_t(lv->iItem)];
        if (m == LVM_SETITEMW) {
          if ((lv->mask & LVIF_TEXT) && lv->pszText) it.text = lv->pszText;
          if (lv->mask & LVIF_IMAGE) it.image = lv->iImage;
          if (lv->mask & LVIF_PARAM) it.param = lv->lParam;
          InvalidateRect(h, nullptr, TRUE);
          if (lv->mask & LVIF_STATE) SetState(h, lv->iItem, lv->state, lv->stateMask);
        } else {
          if ((lv->mask & LVIF_TEXT) && lv->pszText && lv->cchTextMax > 0) {
            const std::u16string t = it.text.substr(0, std::size_t(lv->cchTextMax - 1));
            CopyOut(t, lv->pszText);
          }
          if (lv->mask & LVIF_IMAGE) lv->iImage = it.image;
          if (lv->mask & LVIF_PARAM) lv->lParam = it.param;
          if (lv->mask & LVIF_STATE) lv->state = it.state & lv->stateMask;
        }
        r = TRUE;
        return true;
      }
      case LVM_GETITEMTEXTW:
        if (!lv || !Has(w) || !lv->pszText || lv->cchTextMax <= 0) {
          r = 0;
          return true;
        }
        r = LRESULT(CopyOut(items[w].text.substr(0, std::size_t(lv->cchTextMax - 1)), lv->pszText));
        return true;
      case LVM_DELETEITEM:
        if (!Has(w)) {
          r = FALSE;
          return true;
        }
        items.erase(items.begin() + int(w));
        InvalidateRect(h, nullptr, TRUE);
        r = TRUE;
        return true;
      case LVM_DELETEALLITEMS:
        items.clear();
        InvalidateRect(h, nullptr, TRUE);
        r = TRUE;
        return true;
      case LVM_SETITEMSTATE: {
        if (!lv || (int(w) != -1 && !Has(w))) {
          r = FALSE;
          return true;
        }
        const bool single = (StyleOf(h) & LVS_SINGLESEL) != 0;
        for (int i = 0; IsWindow(h) && i < int(items.size()); ++i) {
          if (int(w) != -1 && i != int(w)) {
            // A single-selection view keeps one selected item.
            if (single && (lv->stateMask & lv->state & LVIS_SELECTED)) SetState(h, i, 0, LVIS_SELECTED);
            continue;
          }
          SetState(h, i, lv->state, lv->stateMask);
        }
        r = TRUE;
        return true;
      }
      case LVM_GETITEMSTATE: r = Has(w) ? LRESULT(items[w].state & UINT(l)) : 0; return true;
      case LVM_GETITEMRECT: {
        auto* rc = reinterpret_cast<RECT*>(l);
        if (!rc || !Has(w) || rc->left != LVIR_BOUNDS) {
          r = FALSE;
          return true;
        }
        RECT client{};
        GetClientRect(h, &client);
        *rc = CellOf(Layout(h, client), client, int(w));
        r = TRUE;
        return true;
      }
      case LVM_GETNEXTITEM: {
        const UINT want = UINT(l) & (LVNI_SELECTED | LVNI_FOCUSED);
        r = -1;
        for (int i = int(w) + 1; i < int(items.size()); ++i) {
          const UINT s = items[std::size_t(i)].state;
          if (((want & LVNI_SELECTED) && !(s & LVIS_SELECTED)) || ((want & LVNI_FOCUSED) && !(s & LVIS_FOCUSED))) continue;
          r = i;
          break;
        }
        return true;
      }
      case WM_GETDLGCODE: r = 0; return true;
      default: return false;
    }
  }

  // Where the items stand: icon view lays them out in a grid of cells
  // (the image with the text below it, as wide as the system's icon
  // spacing for an image of that width), the other views in rows.
  struct Geometry {
    bool icons;
    ImageList* list;
    int imgW, imgH, cellW, cellH, perRow;
  };
  Geometry Layout(HWND h, const RECT& client) const {
    Geometry g{};
    g.icons = (StyleOf(h) & 0x3) == LVS_ICON;
    g.list = ImageListOf(g.icons ? normal : small);
    if (!g.list && !g.icons) g.list = ImageListOf(normal);
    g.imgW = g.list ? g.list->cx : 0;
    g.imgH = g.list ? g.list->cy : 0;
    g.cellW = g.icons ? std::max(g.imgW, 32) + kIconSpacing : int(client.right - client.left) - 2;
    g.cellH = g.icons ? g.imgH + 22 : std::max(g.imgH, kRowHeight) + 2;
    g.perRow = g.icons ? std::max(1, int((client.right - client.left - 2) / g.cellW)) : 1;
    return g;
  }
  static RECT CellOf(const Geometry& g, const RECT& client, int i) {
    const int x = client.left + 1 + (i % g.perRow) * g.cellW, y = client.top + 1 + (i / g.perRow) * g.cellH;
    return RECT{x, y, x + g.cellW, y + g.cellH};
  }
  // The room an icon leaves beside it in its cell (the system's icon
  // spacing less the width of a standard icon).
  static constexpr int kIconSpacing = 42;

  void Paint(HWND h, const Painter& p) override {
    p.Field(p.rc);
    const Geometry g = Layout(h, p.rc);
    ImageList* list = g.list;
    const bool icons = g.icons;
    const int imgW = g.imgW, imgH = g.imgH, cellW = g.cellW, cellH = g.cellH;
    for (int i = 0; i < int(items.size()); ++i) {
      const Item& it = items[std::size_t(i)];
      const RECT cell = CellOf(g, p.rc, i);
      const int x = cell.left, y = cell.top;
      const bool on = (it.state & LVIS_SELECTED) != 0;
      RECT text;
      if (icons) {
        if (list) ImageList_Draw(reinterpret_cast<HIMAGELIST>(list), it.image, p.dc, x + (cellW - imgW) / 2, y + 2, ILD_NORMAL);
        text = {x, y + imgH + 4, x + cellW, y + cellH};
      } else {
        if (list) ImageList_Draw(reinterpret_cast<HIMAGELIST>(list), it.image, p.dc, x + 2, y + 1, ILD_NORMAL);
        text = {x + imgW + 4, y, x + cellW, y + cellH};
      }
      if (on) p.Fill(text, COLOR_HIGHLIGHT);
      p.Text(it.text, text, (icons ? DT_CENTER : DT_LEFT) | DT_VCENTER | DT_SINGLELINE,
             on ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    }
  }
};

// ---- up-down ----

struct UpDown : Ctrl {
  // The default range runs from 100 down to 0, as the system's does.
  int lo = 100, hi = 0, pos = 0;
  HWND buddy = nullptr;
  std::vector<UDACCEL> accel{{0, 1}};

  int Min() const { return std::min(lo, hi); }
  int Max() const { return std::max(lo, hi); }
  static std::u16string Format(int v, bool thousands) {
    long long n = v < 0 ? -(long long)v : v;
    std::u16string out;
    int digits = 0;
    do {
      if (thousands && digits > 0 && digits % 3 == 0) out += u',';
      out += char16_t(u'0' + n % 10);
      n /= 10;
      ++digits;
    } while (n > 0);
    if (v < 0) out += u'-';
    return std::u16string(out.rbegin(), out.rend());
  }
  void ShowInBuddy(HWND h) {
    if (!(StyleOf(h) & UDS_SETBUDDYINT) || !IsWindow(buddy)) return;
    const std::u16string s = Format(pos, !(StyleOf(h) & UDS_NOTHOUSANDS));
    SetWindowTextW(buddy, s.c_str());
  }
  // The buddy's number, when it holds one.
  bool ReadBuddy(HWND h, int* out) const {
    if (!(StyleOf(h) & UDS_SETBUDDYINT) || !IsWindow(buddy)) return false;
    std::u16string s = TextOf(buddy);
    s.erase(std::remove(s.begin(), s.end(), u','), s.end());
    if (s.empty()) return false;
    std::size_t i = s[0] == u'-' ? 1 : 0;
    if (i == s.size()) return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
      if (s[i] < u'0' || s[i] > u'9') return false;
      v = std::min<long long>(v * 10 + (s[i] - u'0'), 1LL << 40);
    }
    *out = int(std::clamp<long long>(s[0] == u'-' ? -v : v, INT32_MIN, INT32_MAX));
    return true;
  }
  int SetPos(HWND h, int v) {
    const int old = pos;
    pos = std::clamp(v, Min(), Max());
    ShowInBuddy(h);
    return old;
  }

  void Created(HWND h, const CREATESTRUCTW*) override {
    if (StyleOf(h) & UDS_AUTOBUDDY) buddy = GetWindow(h, GW_HWNDPREV);
  }

  // The arrows, `steps` times up (negative: down); a parent that answers
  // UDN_DELTAPOS with non-zero keeps the position.
  void Spin(HWND h, int steps) {
    int fromBuddy = 0;
    if (ReadBuddy(h, &fromBuddy)) pos = std::clamp(fromBuddy, Min(), Max());
    int delta = steps * int(accel.empty() ? 1 : accel[0].nInc);
    if (lo > hi) delta = -delta;  // up moves toward the maximum, which lies below
    NMUPDOWN nm{};
    nm.iPos = pos;
    nm.iDelta = delta;
    if (Notify(h, &nm.hdr, UDN_DELTAPOS) != 0 || !IsWindow(h)) return;
    long long next = (long long)pos + nm.iDelta;
    if (next < Min() || next > Max()) {
      if (StyleOf(h) & UDS_WRAP) next = next < Min() ? Max() : Min();
      else next = std::clamp<long long>(next, Min(), Max());
    }
    SetPos(h, int(next));  // the buddy's new text may reach a handler that ends it all
    if (!IsWindow(h)) return;
    const bool vertical = !(StyleOf(h) & UDS_HORZ);
    const int now = pos;
    Scroll(h, vertical, SB_THUMBPOSITION, now);
    if (IsWindow(h)) Scroll(h, vertical, SB_ENDSCROLL, now);
  }

  bool Handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) override {
    switch (m) {
      case UDM_SETRANGE:
        hi = short(LOWORD(DWORD(l)));
        lo = short(HIWORD(DWORD(l)));
        pos = std::clamp(pos, Min(), Max());
        return true;
      case UDM_GETRANGE: r = MAKELONG(WORD(hi), WORD(lo)); return true;
      case UDM_SETRANGE32:
        lo = int(w);
        hi = int(l);
        pos = std::clamp(pos, Min(), Max());
        return true;
      case UDM_GETRANGE32:
        if (w) *reinterpret_cast<int*>(w) = lo;
        if (l) *reinterpret_cast<int*>(l) = hi;
        return true;
      case UDM_SETPOS: r = SetPos(h, short(LOWORD(DWORD(l)))); return true;
      case UDM_SETPOS32: r = SetPos(h, int(l)); return true;
      case UDM_GETPOS:
      case UDM_GETPOS32: {
        int v = pos;
        const bool bad = (StyleOf(h) & UDS_SETBUDDYINT) && IsWindow(buddy) && !ReadBuddy(h, &v);
        if (!bad) pos = std::clamp(v, Min(), Max());
        if (m == UDM_GETPOS) r = MAKELONG(WORD(pos), bad ? 1 : 0);
        else {
          if (l) *reinterpret_cast<BOOL*>(l) = bad ? TRUE : FALSE;
          r = pos;
        }
        return true;
      }
      case UDM_SETBUDDY:
        r = reinterpret_cast<LRESULT>(buddy);
        buddy = reinterpret_cast<HWND>(w);
        return true;
      case UDM_GETBUDDY: r = reinterpret_cast<LRESULT>(IsWindow(buddy) ? buddy : nullptr); return true;
      case UDM_SETACCEL: {
        const auto* a = reinterpret_cast<const UDACCEL*>(l);
        if (!a || w == 0) {
          r = FALSE;
          return true;
        }
        accel.assign(a, a + w);
        r = TRUE;
        return true;
      }
      case UDM_GETACCEL: {
        auto* out = reinterpret_cast<UDACCEL*>(l);
        for (std::size_t i = 0; out && i < std::min<std::size_t>(accel.size(), w); ++i) out[i] = accel[i];
        r = LRESULT(accel.size());
        return true;
      }
      default: return false;
    }
  }

  void Paint(HWND h, const Painter& p) override {
    p.Fill(p.rc, COLOR_BTNFACE);
    const bool horz = (StyleOf(h) & UDS_HORZ) != 0;
    RECT a = p.rc, b = p.rc;
    if (horz) a.right = b.left = (p.rc.left + p.rc.right) / 2;
    else a.bottom = b.top = (p.rc.top + p.rc.bottom) / 2;
    p.Frame(a, COLOR_BTNSHADOW);
    p.Frame(b, COLOR_BTNSHADOW);
    p.Arrow(a, true);
    p.Arrow(b, false);
  }
};

// ---- track bar ----

struct TrackBar : Ctrl {
  int lo = 0, hi = 100, pos = 0, page = 20, line = 1, freq = 1;

  void Clamp() { pos = std::clamp(pos, lo, std::max(lo, hi)); }
  void Slide(HWND h, int to) {
    pos = to;
    Clamp();
    InvalidateRect(h, nullptr, TRUE);
    const bool vertical = (StyleOf(h) & TBS_VERT) != 0;
    const int now = pos;
    Scroll(h, vertical, TB_THUMBTRACK, now);
    if (IsWindow(h)) Scroll(h, vertical, TB_THUMBPOSITION, now);
    if (IsWindow(h)) Scroll(h, vertical, TB_ENDTRACK, 0);
  }

  bool Handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) override {
    switch (m) {
      case TBM_GETPOS: r = pos; return true;
      case TBM_GETRANGEMIN: r = lo; return true;
      case TBM_GETRANGEMAX: r = hi; return true;
      case TBM_SETPOS: pos = int(l); break;
      case TBM_SETRANGE:
        lo = short(LOWORD(DWORD(l)));
        hi = short(HIWORD(DWORD(l)));
        break;
      case TBM_SETRANGEMIN: lo = int(l); break;
      case TBM_SETRANGEMAX: hi = int(l); break;
      case TBM_SETTICFREQ: freq = std::max(1, int(w)); break;
      case TBM_SETPAGESIZE:
        r = page;
        page = int(l);
        return true;
      case TBM_SETLINESIZE:
        r = line;
        line = int(l);
        return true;
      default: return false;
    }
    Clamp();
    InvalidateRect(h, nullptr, TRUE);
    return true;
  }

  void Paint(HWND h, const Painter& p) override {
    p.Fill(p.rc, COLOR_BTNFACE);
    const bool vertical = (StyleOf(h) & TBS_VERT) != 0;
    const int len = (vertical ? p.rc.bottom - p.rc.top : p.rc.right - p.rc.left) - 12;
    const int mid = vertical ? (p.rc.left + p.rc.right) / 2 : (p.rc.top + p.rc.bottom) / 2;
    const int span = std::max(1, hi - lo);
    const int at = 6 + int((long long)(pos - lo) * len / span);
    const COLORREF ink = GetSysColor(COLOR_BTNSHADOW);
    if (vertical) p.Line(mid, 6, mid, 6 + len, ink, 2);
    else p.Line(6, mid, 6 + len, mid, ink, 2);
    for (int v = lo; v <= hi && span / freq <= 200; v += freq) {
      const int t = 6 + int((long long)(v - lo) * len / span);
      if (vertical) p.Line(mid + 8, t, mid + 11, t, ink);
      else p.Line(t, mid + 8, t, mid + 11, ink);
    }
    RECT thumb = vertical ? RECT{mid - 8, at - 4, mid + 8, at + 4} : RECT{at - 4, mid - 8, at + 4, mid + 8};
    p.Fill(thumb, focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    p.Frame(thumb, COLOR_3DDKSHADOW);
  }
};

// ---- tab control ----

struct Tab : Ctrl {
  std::vector<std::u16string> texts;
  std::vector<LPARAM> params;
  int cur = -1;

  // A person's pick: the parent may refuse the change (TCN_SELCHANGING).
  void Pick(HWND h, int i) {
    NMHDR nm{};
    if (Notify(h, &nm, TCN_SELCHANGING) != 0 || !IsWindow(h)) return;
    cur = i;
    InvalidateRect(h, nullptr, TRUE);
    NMHDR done{};
    Notify(h, &done, TCN_SELCHANGE);
  }

  bool Handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) override {
    switch (m) {
      case TCM_INSERTITEMW: {
        const auto* it = reinterpret_cast<const TCITEMW*>(l);
        if (!it) {
          r = -1;
          return true;
        }
        const int at = std::clamp(int(w), 0, int(texts.size()));
        texts.insert(texts.begin() + at, (it->mask & TCIF_TEXT) && it->pszText ? it->pszText : u"");
        params.insert(params.begin() + at, it->lParam);
        if (cur < 0) cur = 0;
        else if (cur >= at && texts.size() > 1) ++cur;
        InvalidateRect(h, nullptr, TRUE);
        r = at;
        return true;
      }
      case TCM_GETITEMW: {
        auto* it = reinterpret_cast<TCITEMW*>(l);
        if (!it || int(w) < 0 || int(w) >= int(texts.size())) {
          r = FALSE;
          return true;
        }
        if ((it->mask & TCIF_TEXT) && it->pszText && it->cchTextMax > 0)
          CopyOut(texts[w].substr(0, std::size_t(it->cchTextMax - 1)), it->pszText);
        it->lParam = params[w];
        r = TRUE;
        return true;
      }
      case TCM_GETITEMCOUNT: r = LRESULT(texts.size()); return true;
      case TCM_GETCURSEL: r = cur; return true;
      case TCM_SETCURSEL:
        if (int(w) < 0 || int(w) >= int(texts.size())) {
          r = -1;
          return true;
        }
        r = cur;
        cur = int(w);
        InvalidateRect(h, nullptr, TRUE);
        return true;
      case TCM_DELETEALLITEMS:
        texts.clear();
        params.clear();
        cur = -1;
        InvalidateRect(h, nullptr, TRUE);
        r = TRUE;
        return true;
      default: return false;
    }
  }

  void Paint(HWND, const Painter& p) override {
    p.Fill(p.rc, COLOR_BTNFACE);
    RECT body{p.rc.left, p.rc.top + 22, p.rc.right, p.rc.bottom};
    p.Frame(body, COLOR_BTNSHADOW);
    int x = p.rc.left + 2;
    for (int i = 0; i < int(texts.size()); ++i) {
      const std::u16string shown = Shown(texts[std::size_t(i)]);
      RECT calc{0, 0, 1000, 20};
      DrawTextW(p.dc, shown.c_str(), int(shown.size()), &calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
      const bool on = i == cur;
      RECT head{x, p.rc.top + (on ? 0 : 3), x + calc.right + 14, p.rc.top + 23};
      p.Fill(head, COLOR_BTNFACE);
      p.Frame(head, COLOR_BTNSHADOW);
      if (on) p.Line(head.left + 1, head.bottom - 1, head.right - 1, head.bottom - 1, GetSysColor(COLOR_BTNFACE));
      p.Text(texts[std::size_t(i)], head, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      x = head.right;
    }
  }
};

// ---- the colour well ----

// The well's colours: a row of greys, then rows of hues from dark to light.
COLORREF WellColor(int i) {
  constexpr int kCols = 8;
  const int row = i / kCols, col = i % kCols;
  if (row == 0) {
    const int g = col * 255 / (kCols - 1);
    return RGB(g, g, g);
  }
  static const COLORREF hues[kCols] = {RGB(255, 0, 0),   RGB(255, 128, 0), RGB(255, 255, 0), RGB(0, 192, 0),
                                       RGB(0, 192, 192), RGB(0, 0, 255),   RGB(128, 0, 192), RGB(255, 0, 255)};
  const COLORREF base = hues[col];
  // Rows 1..3 darken, row 4 is the pure hue, rows 5.. lighten.
  const double f = (row - 4) / 4.0;
  auto mix = [&](int c) {
    return f < 0 ? int(c * (1 + f)) : int(c + (255 - c) * f);
  };
  return RGB(mix(GetRValue(base)), mix(GetGValue(base)), mix(GetBValue(base)));
}

struct ColorWell : Ctrl {
  std::vector<COLORREF> cells;
  int sel = -1;

  void Created(HWND, const CREATESTRUCTW* cs) override {
    int n = CW_DEFAULTCELLS;
    if (cs && cs->lpCreateParams) n = std::clamp(*static_cast<const int*>(cs->lpCreateParams), 1, 256);
    for (int i = 0; i < n; ++i) cells.push_back(WellColor(i));
  }
  bool Handle(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) override {
    switch (m) {
      case CWM_SETCOLOR: {
        const auto it = std::find(cells.begin(), cells.end(), COLORREF(w));
        sel = it == cells.end() ? -1 : int(it - cells.begin());
        InvalidateRect(h, nullptr, TRUE);
        r = sel;
        return true;
      }
      case CWM_GETCELLCOLOR: {
        const int i = short(LOWORD(DWORD(l)));
        if (!w || !(DWORD(l) & 0x10000) || i < 0 || i >= int(cells.size())) {
          r = FALSE;
          return true;
        }
        *reinterpret_cast<COLORREF*>(w) = cells[std::size_t(i)];
        r = TRUE;
        return true;
      }
      case CWM_GETSEL: r = sel; return true;
      case WM_GETDLGCODE: r = 0; return true;
      default: return false;
    }
  }
  void Click(HWND h, int cell) {
    NMCOLORWELL nm{};
    nm.cell = cell;
    Notify(h, &nm.hdr, CWN_CLICK);
  }
  void Paint(HWND h, const Painter& p) override {
    p.Fill(p.rc, COLOR_BTNFACE);
    constexpr int kCols = 8;
    const int rows = (int(cells.size()) + kCols - 1) / kCols;
    const int size = std::max(4, std::min(int(p.rc.right - p.rc.left) / kCols, int(p.rc.bottom - p.rc.top - 22) / std::max(1, rows)));
    for (int i = 0; i < int(cells.size()); ++i) {
      RECT c{p.rc.left + (i % kCols) * size, p.rc.top + (i / kCols) * size, 0, 0};
      c.right = c.left + size;
      c.bottom = c.top + size;
      RECT in{c.left + 2, c.top + 2, c.right - 2, c.bottom - 2};
      p.FillColor(in, cells[std::size_t(i)]);
      p.Frame(in, COLOR_BTNSHADOW);
      if (i == sel) p.Frame(c, COLOR_3DDKSHADOW);
    }
    RECT more{p.rc.left, p.rc.top + rows * size + 2, p.rc.left + kCols * size, p.rc.top + rows * size + 20};
    p.Frame(more, COLOR_BTNSHADOW);
    p.Text(u"More Colors...", more, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    NMHDR nm{};
    Notify(h, &nm, CWN_DRAWSTATUS);
  }
};

// ---- classes ----

struct ClassEntry {
  LPCWSTR name;
  WNDPROC proc;
  int background;
};
const ClassEntry kClasses[] = {
    {WC_BUTTONW, &CtrlProc<Button>, COLOR_BTNFACE},
    {WC_STATICW, &CtrlProc<Static>, COLOR_BTNFACE},
    {WC_EDITW, &CtrlProc<Edit>, COLOR_WINDOW},
    {RICHEDIT_CLASSW, &CtrlProc<RichEdit>, COLOR_WINDOW},
    {WC_COMBOBOXW, &CtrlProc<Combo>, COLOR_WINDOW},
    {WC_LISTBOXW, &CtrlProc<ListBox>, COLOR_WINDOW},
    {WC_LISTVIEWW, &CtrlProc<ListView>, COLOR_WINDOW},
    {UPDOWN_CLASSW, &CtrlProc<UpDown>, COLOR_BTNFACE},
    {TRACKBAR_CLASSW, &CtrlProc<TrackBar>, COLOR_BTNFACE},
    {WC_TABCONTROLW, &CtrlProc<Tab>, COLOR_BTNFACE},
    {KV_COLORWELL_CLASSW, &CtrlProc<ColorWell>, COLOR_BTNFACE},
    {KV_PREVIEW_CLASSW, &CtrlProc<Preview>, COLOR_WINDOW},
};

// ---- the driver ----

HWND FindIn(HWND parent, int id, bool wantShown) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (GetDlgCtrlID(c) == id && (!wantShown || IsWindowVisible(c))) return c;
  return nullptr;
}

// The container whose tab order a control belongs to.
HWND TabContainer(HWND dialog, HWND control) {
  if (!control || !IsChild(dialog, control)) return dialog;
  return GetParent(control);
}

bool IsPushButton(HWND h) {
  if (!As<Button>(h)) return false;
  const DWORD t = Button::Type(h);
  return t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON;
}

// Enter, as the dialog manager reads it: a new line in a multi-line field
// that wants it, a click on a focused push button, else the default button.
BOOL PressReturn(HWND dialog) {
  HWND focus = GetFocus();
  if (focus && IsChild(dialog, focus)) {
    if (auto* e = As<Edit>(focus); e && (StyleOf(focus) & ES_MULTILINE) && (StyleOf(focus) & ES_WANTRETURN)) {
      e->Type(focus, TextOf(focus) + u"\r\n");
      return TRUE;
    }
    if (IsPushButton(focus)) {
      SendMessageW(focus, BM_CLICK, 0, 0);
      return TRUE;
    }
  }
  int id = IDOK;
  const LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
  if (HIWORD(DWORD(def)) == DC_HASDEFID) {
    id = LOWORD(DWORD(def));
  } else {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (As<Button>(c) && Button::Type(c) == BS_DEFPUSHBUTTON) {
        id = GetDlgCtrlID(c);
        break;
      }
  }
  HWND button = GetDlgItem(dialog, id);
  // A disabled default button takes no Enter.
  if (button && !IsWindowEnabled(button)) return TRUE;
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return TRUE;
}

BOOL PlayKey(HWND dialog, const KvControlAction& a) {
  HWND focus = GetFocus();
  switch (a.value) {
    case VK_TAB: {
      HWND next = GetNextDlgTabItem(TabContainer(dialog, focus), focus && IsChild(dialog, focus) ? focus : nullptr, a.on);
      if (next) SetFocus(next);
      return TRUE;
    }
    case VK_RETURN: return PressReturn(dialog);
    case VK_ESCAPE: {
      HWND button = GetDlgItem(dialog, IDCANCEL);
      if (button && !IsWindowEnabled(button)) return TRUE;
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(button));
      return TRUE;
    }
    case VK_SPACE:
      if (focus && IsChild(dialog, focus) && As<Button>(focus)) SendMessageW(focus, BM_CLICK, 0, 0);
      return TRUE;
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
  }
}

// Whether the control takes the action, with the entry it names.
bool Takes(HWND c, const KvControlAction& a) {
  switch (a.kind) {
    case KvActionKind::Click: return As<Button>(c) && Button::Type(c) != BS_GROUPBOX;
    case KvActionKind::Pick:
      if (auto* x = As<Combo>(c)) return x->entries.Has(WPARAM(a.value));
      if (auto* x = As<ListBox>(c)) return x->entries.Has(WPARAM(a.value));
      if (auto* x = As<ListView>(c)) return x->Has(WPARAM(a.value));
      if (auto* x = As<Tab>(c)) return a.value >= 0 && a.value < int(x->texts.size());
      if (auto* x = As<ColorWell>(c)) return a.value == CW_DIALOGCELL || (a.value >= 0 && a.value < int(x->cells.size()));
      return false;
    case KvActionKind::Select: {
      auto* x = As<ListBox>(c);
      return x && x->entries.Has(WPARAM(a.value)) && (a.on || ListBox::Multi(c));
    }
    case KvActionKind::Type:
      return As<Edit>(c) || (As<Combo>(c) && Combo::Kind(c) != CBS_DROPDOWNLIST);
    case KvActionKind::Leave: return StateOf(c) != nullptr;
    case KvActionKind::Spin: return As<UpDown>(c) != nullptr;
    case KvActionKind::Slide: return As<TrackBar>(c) != nullptr;
    default: return false;
  }
}

// Gives the control the focus as a click does; false when a handler of
// that change destroyed it.
bool FocusFor(HWND c, const KvControlAction& a) {
  if (a.kind == KvActionKind::Spin) return true;  // the arrows take no focus
  if (GetFocus() != c) SetFocus(c);
  return IsWindow(c) != FALSE;
}

void PlayOn(HWND dialog, HWND c, const KvControlAction& a) {
  switch (a.kind) {
    case KvActionKind::Click: SendMessageW(c, BM_CLICK, 0, 0); return;
    case KvActionKind::Pick:
      if (auto* x = As<Combo>(c)) {
        Command(c, CBN_DROPDOWN);
        if (!IsWindow(c)) return;
        x = As<Combo>(c);
        x->Select(c, a.value);
        Command(c, CBN_SELCHANGE);
        if (IsWindow(c)) Command(c, CBN_SELENDOK);
        if (IsWindow(c)) Command(c, CBN_CLOSEUP);
      } else if (auto* lb = As<ListBox>(c)) {
        if (ListBox::Multi(c)) {
          lb->sel[std::size_t(a.value)] = !lb->sel[std::size_t(a.value)];
        }
        lb->cur = a.value;
        InvalidateRect(c, nullptr, TRUE);
        if (ListBox::Notifies(c)) Command(c, LBN_SELCHANGE);
      } else if (auto* lv = As<ListView>(c)) {
        lv->SelectOnly(c, a.value);
      } else if (auto* tab = As<Tab>(c)) {
        tab->Pick(c, a.value);
      } else if (auto* well = As<ColorWell>(c)) {
        well->Click(c, a.value);
      }
      return;
    case KvActionKind::Select: {
      auto* lb = As<ListBox>(c);
      if (ListBox::Multi(c)) lb->sel[std::size_t(a.value)] = a.on;
      lb->cur = a.value;
      InvalidateRect(c, nullptr, TRUE);
      if (ListBox::Notifies(c)) Command(c, LBN_SELCHANGE);
      return;
    }
    case KvActionKind::Type:
      if (auto* e = As<Edit>(c)) {
        e->Type(c, a.text);
      } else if (auto* cb = As<Combo>(c)) {
        DefWindowProcW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a.text.c_str()));
        cb->cur = -1;
        InvalidateRect(c, nullptr, TRUE);
        Command(c, CBN_EDITUPDATE);
        if (IsWindow(c)) Command(c, CBN_EDITCHANGE);
      }
      return;
    case KvActionKind::Leave: {
      HWND next = GetNextDlgTabItem(TabContainer(dialog, c), c, FALSE);
      SetFocus(next && next != c ? next : dialog);
      return;
    }
    case KvActionKind::Spin: As<UpDown>(c)->Spin(c, a.value); return;
    case KvActionKind::Slide: As<TrackBar>(c)->Slide(c, a.value); return;
    default: return;
  }
}

// Paints a window now, whatever its update region.
void PaintNow(HWND h) { RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

void Compose(cairo_t* cr, HWND h, int x, int y) {
  if (!IsWindowVisible(h)) return;
  PaintNow(h);
  if (cairo_surface_t* s = KvWindowSurface(h)) {
    cairo_surface_flush(s);
    cairo_set_source_surface(cr, s, x, y);
    cairo_paint(cr);
  }
  // Later children lie over earlier ones (a group box under its buttons).
  for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    POINT at{0, 0};
    MapWindowPoints(c, h, &at, 1);
    Compose(cr, c, x + at.x, y + at.y);
  }
}

}  // namespace

void InitCommonControls() {
  for (const ClassEntry& e : kClasses) {
    WNDCLASSW wc{};
    if (GetClassInfoW(nullptr, e.name, &wc)) continue;
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
    wc.lpfnWndProc = e.proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(e.background + 1));
    wc.lpszClassName = e.name;
    RegisterClassW(&wc);
  }
}

// ---- image lists ----

HIMAGELIST ImageList_Create(int cx, int cy, UINT, int, int) {
  if (cx <= 0 || cy <= 0) return nullptr;
  ImageLists().push_back(std::make_unique<ImageList>(ImageList{cx, cy, {}, {}}));
  return reinterpret_cast<HIMAGELIST>(ImageLists().back().get());
}

BOOL ImageList_Destroy(HIMAGELIST list) {
  ImageList* l = ImageListOf(list);
  if (!l) return FALSE;
  for (HBITMAP b : l->images) DeleteObject(b);
  auto& all = ImageLists();
  all.erase(std::find_if(all.begin(), all.end(), [&](const auto& p) { return p.get() == l; }));
  return TRUE;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP) { return ImageList_AddMasked(list, image, CLR_NONE); }

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask) {
  ImageList* l = ImageListOf(list);
  BITMAP bm{};
  if (!l || !image || !GetObjectW(image, sizeof bm, &bm)) return -1;
  const int first = int(l->images.size());
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  HGDIOBJ oldFrom = SelectObject(from, image);
  for (int x = 0; x + l->cx <= bm.bmWidth; x += l->cx) {
    HBITMAP piece = CreateCompatibleBitmap(screen, l->cx, l->cy);
    HGDIOBJ old = SelectObject(to, piece);
    BitBlt(to, 0, 0, l->cx, l->cy, from, x, 0, SRCCOPY);
    SelectObject(to, old);
    l->images.push_back(piece);
    l->masks.push_back(mask);
  }
  SelectObject(from, oldFrom);
  DeleteDC(from);
  DeleteDC(to);
  ReleaseDC(nullptr, screen);
  return int(l->images.size()) > first ? first : -1;
}

int ImageList_GetImageCount(HIMAGELIST list) {
  ImageList* l = ImageListOf(list);
  return l ? int(l->images.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
  ImageList* l = ImageListOf(list);
  if (!l || !cx || !cy) return FALSE;
  *cx = l->cx;
  *cy = l->cy;
  return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT) {
  ImageList* l = ImageListOf(list);
  if (!l || index < 0 || index >= int(l->images.size()) || !dc) return FALSE;
  HDC from = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(from, l->images[std::size_t(index)]);
  const COLORREF mask = l->masks[std::size_t(index)];
  if (mask == CLR_NONE) {
    BitBlt(dc, x, y, l->cx, l->cy, from, 0, 0, SRCCOPY);
  } else {
    // The transparent colour lets what lies below show.
    for (int py = 0; py < l->cy; ++py)
      for (int px = 0; px < l->cx; ++px) {
        const COLORREF c = GetPixel(from, px, py);
        if (c != mask && c != CLR_INVALID) SetPixelV(dc, x + px, y + py, c);
      }
  }
  SelectObject(from, old);
  DeleteDC(from);
  return TRUE;
}

HIMAGELIST ImageList_LoadImageW(HINSTANCE module, LPCWSTR name, int cx, int grow, COLORREF mask, UINT type, UINT) {
  if (type != IMAGE_BITMAP || cx <= 0) return nullptr;
  HRSRC found = FindResourceW(module, name, RT_BITMAP);
  const DWORD size = SizeofResource(module, found);
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  if (!bytes || size < sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER header;
  std::memcpy(&header, bytes, sizeof header);
  if (header.biSize > size) return nullptr;
  const LONG width = header.biWidth, height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  // Only uncompressed true-colour bitmaps: their pixels follow the header.
  if (header.biSize < sizeof header || width <= 0 || height <= 0 || width > 0x4000 || height > 0x4000 ||
      (header.biBitCount != 24 && header.biBitCount != 32) || header.biCompression != 0)
    return nullptr;
  const std::size_t stride = (std::size_t(width) * header.biBitCount / 8 + 3) & ~std::size_t(3);
  if (size - header.biSize < stride * std::size_t(height)) return nullptr;
  std::vector<BYTE> info(sizeof(BITMAPINFO));
  std::memcpy(info.data(), &header, sizeof header);
  reinterpret_cast<BITMAPINFO*>(info.data())->bmiHeader.biSize = sizeof header;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const bool read = bitmap && SetDIBits(screen, bitmap, 0, UINT(height), bytes + header.biSize,
                                        reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS) == height;
  ReleaseDC(nullptr, screen);
  HIMAGELIST list = read ? ImageList_Create(cx, height, ILC_COLOR32 | ILC_MASK, 0, grow) : nullptr;
  if (list && ImageList_AddMasked(list, bitmap, mask) < 0) {
    ImageList_Destroy(list);
    list = nullptr;
  }
  if (bitmap) DeleteObject(bitmap);
  return list;
}

BOOL ImageList_Remove(HIMAGELIST list, int index) {
  ImageList* l = ImageListOf(list);
  if (!l || index < -1 || index >= int(l->images.size())) return FALSE;
  if (index == -1) {
    for (HBITMAP b : l->images) DeleteObject(b);
    l->images.clear();
    l->masks.clear();
  } else {
    DeleteObject(l->images[std::size_t(index)]);
    l->images.erase(l->images.begin() + index);
    l->masks.erase(l->masks.begin() + index);
  }
  return TRUE;
}

// ---- dialog helpers ----

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND b = GetDlgItem(dialog, id);
  if (!b) return FALSE;
  SendMessageW(b, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) { return UINT(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0)); }

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
  if (!IsWindow(dialog)) return FALSE;
  for (int id = first; id <= last; ++id)
    if (HWND b = GetDlgItem(dialog, id)) SendMessageW(b, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  HWND c = GetDlgItem(dialog, id);
  if (!c) return 0;
  std::u16string s = TextOf(c);
  std::size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  bool negative = false;
  if (isSigned && i < s.size() && s[i] == u'-') {
    negative = true;
    ++i;
  }
  if (i == s.size()) return 0;
  unsigned long long v = 0;
  for (; i < s.size() && s[i] != u' '; ++i) {
    if (s[i] < u'0' || s[i] > u'9') return 0;
    v = v * 10 + unsigned(s[i] - u'0');
    if (v > (isSigned ? 0x80000000ull : 0xFFFFFFFFull)) return 0;
  }
  while (i < s.size() && s[i] == u' ') ++i;
  if (i != s.size() || (isSigned && !negative && v > 0x7FFFFFFFull)) return 0;
  if (translated) *translated = TRUE;
  return negative ? UINT(-(long long)v) : UINT(v);
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  const std::string s = isSigned ? std::to_string(int(value)) : std::to_string(value);
  return SetDlgItemTextW(dialog, id, std::u16string(s.begin(), s.end()).c_str());
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> stops;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if ((StyleOf(c) & WS_TABSTOP) && IsWindowVisible(c) && IsWindowEnabled(c)) stops.push_back(c);
  if (stops.empty()) return nullptr;
  const auto it = std::find(stops.begin(), stops.end(), control);
  if (it == stops.end()) return previous ? stops.back() : stops.front();
  const std::size_t at = std::size_t(it - stops.begin());
  return previous ? stops[(at + stops.size() - 1) % stops.size()] : stops[(at + 1) % stops.size()];
}

HWND KvFindDlgControl(HWND dialog, int id) {
  if (!IsWindow(dialog)) return nullptr;
  if (HWND c = FindIn(dialog, id, false)) return c;
  // The pages of a sheet: a shown page first.
  HWND hidden = nullptr;
  for (HWND page = GetWindow(dialog, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT)) {
    HWND c = FindIn(page, id, false);
    if (!c) continue;
    if (IsWindowVisible(page)) return c;
    if (!hidden) hidden = c;
  }
  if (!hidden) SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return hidden;
}

BOOL KvPlayControlAction(HWND dialog, const KvControlAction& a) {
  if (!IsWindow(dialog)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (a.kind == KvActionKind::Snapshot) {
    if (KvSaveWindowTreePng(dialog, KvUtf16ToUtf8(a.text).c_str())) return TRUE;
    SetLastError(ERROR_CANNOT_MAKE);
    return FALSE;
  }
  if (a.kind == KvActionKind::Key) return PlayKey(dialog, a);
  HWND c = KvFindDlgControl(dialog, a.id);
  if (!c) return FALSE;  // ERROR_CONTROL_ID_NOT_FOUND
  if (!IsWindowVisible(c) || !IsWindowEnabled(c)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!Takes(c, a)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (a.kind != KvActionKind::Leave && !FocusFor(c, a)) return TRUE;
  if (IsWindow(dialog) && IsWindow(c)) {
    if (a.kind == KvActionKind::Leave && GetFocus() != c) SetFocus(c);
    if (IsWindow(c)) PlayOn(dialog, c, a);
  }
  return TRUE;
}

BOOL KvSaveWindowTreePng(HWND hwnd, const char* path) {
  if (!IsWindow(hwnd) || !path) return FALSE;
  PaintNow(hwnd);
  RECT client;
  GetClientRect(hwnd, &client);
  const bool caption = (StyleOf(hwnd) & WS_CAPTION) == WS_CAPTION;
  const int top = caption ? GetSystemMetrics(SM_CYCAPTION) : 0;
  const int w = std::max<LONG>(1, client.right), h = std::max<LONG>(1, client.bottom + top);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  if (caption) {
    RECT bar{0, 0, w, top};
    FillRect(dc, &bar, GetSysColorBrush(COLOR_ACTIVECAPTION));
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    const std::u16string title = TextOf(hwnd);
    RECT text{6, 0, w - 6, top};
    DrawTextW(dc, title.c_str(), int(title.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
  }
  cairo_surface_t* out = KvGetBitmapSurface(bitmap);
  BOOL ok = FALSE;
  if (out) {
    cairo_surface_flush(out);
    cairo_t* cr = cairo_create(out);
    // The window itself even when hidden (a dialog being built); its
    // children as they show.
    if (cairo_surface_t* s = KvWindowSurface(hwnd)) {
      cairo_surface_flush(s);
      cairo_set_source_surface(cr, s, 0, top);
      cairo_paint(cr);
    }
    for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      POINT at{0, 0};
      MapWindowPoints(c, hwnd, &at, 1);
      Compose(cr, c, at.x, at.y + top);
    }
    cairo_destroy(cr);
    cairo_surface_mark_dirty(out);
    ok = cairo_surface_write_to_png(out, path) == CAIRO_STATUS_SUCCESS ? TRUE : FALSE;
  }
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return ok;
}
