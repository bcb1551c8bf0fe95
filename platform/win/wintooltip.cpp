// The tooltip control: tools, relayed mouse messages, the show and pop
// timers on the virtual clock, callback text and the tip as shown.
#include "win/wintooltip.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "win/winres.h"  // IS_INTRESOURCE

namespace {

struct Tool {
  TTTOOLINFOW ti{};
  bool callback = false;
  std::u16string text;
};

struct Tip {
  std::vector<Tool> tools;
  bool active = true;
  bool shown = false;
  int current = -1;  // the tool under the pointer
  int tracked = -1;  // the tool shown by TTM_TRACKACTIVATE
  POINT lastPt{0, 0};
  POINT trackPt{0, 0};
  DWORD poppedAt = 0;
  bool popped = false;
  KvToolTipInfo info;
};

std::map<HWND, Tip>& Tips() {
  static auto* tips = new std::map<HWND, Tip>();
  return *tips;
}

Tip* Find(HWND h) {
  auto it = Tips().find(h);
  return it == Tips().end() ? nullptr : &it->second;
}

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kPopTimer = 2;
// Characters of the tip measured at a fixed pitch: there is no screen font to ask.
constexpr int kCharWidth = 7, kLineHeight = 16, kMargin = 4;

int DefaultDelay(WPARAM which) {
  const int base = int(GetDoubleClickTime());
  return which == TTDT_AUTOPOP ? base * 10 : which == TTDT_RESHOW ? base / 5 : base;
}

bool InfoOk(LPARAM lp) {
  auto* ti = reinterpret_cast<const TTTOOLINFOW*>(lp);
  return ti && ti->cbSize >= sizeof(TTTOOLINFOW);
}

int FindTool(const Tip& t, const TTTOOLINFOW* ti) {
  for (std::size_t i = 0; i < t.tools.size(); ++i)
    if (t.tools[i].ti.hwnd == ti->hwnd && t.tools[i].ti.uId == ti->uId) return int(i);
  return -1;
}

void SetText(Tool& tool, LPWSTR text) {
  tool.callback = text == LPSTR_TEXTCALLBACKW;
  tool.text = tool.callback || !text || IS_INTRESOURCE(text) ? u"" : text;
  tool.ti.lpszText = nullptr;
}

int ToolAt(const Tip& t, const MSG& m) {
  for (std::size_t i = 0; i < t.tools.size(); ++i) {
    const TTTOOLINFOW& ti = t.tools[i].ti;
    if (ti.uFlags & TTF_IDISHWND) {
      if (m.hwnd == reinterpret_cast<HWND>(ti.uId)) return int(i);
    } else if (m.hwnd == ti.hwnd) {
      POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
      if (PtInRect(&ti.rect, p)) return int(i);
    }
  }
  return -1;
}

void Notify(HWND tip, const TTTOOLINFOW& ti, UINT code) {
  NMHDR hdr{tip, ti.uId, code};
  SendMessageW(ti.hwnd, WM_NOTIFY, WPARAM(ti.uId), reinterpret_cast<LPARAM>(&hdr));
}

void Hide(HWND tip) {
  Tip* t = Find(tip);
  if (!t || !t->shown) return;
  t->shown = false;
  t->info.shown = false;
  t->popped = true;
  t->poppedAt = GetTickCount();
  KillTimer(tip, kPopTimer);
  ShowWindow(tip, SW_HIDE);
  const int index = t->tracked >= 0 ? t->tracked : t->current;
  if (index >= 0 && std::size_t(index) < t->tools.size()) Notify(tip, t->tools[std::size_t(index)].ti, TTN_POP);
}

// The text of a tool, asked for when it is a callback. False when the tip
// went away while its owner answered.
bool ToolText(HWND tip, int index, std::u16string* out) {
  Tip* t = Find(tip);
  Tool tool = t->tools[std::size_t(index)];
  if (!tool.callback) {
    *out = tool.text;
    return true;
  }
  NMTTDISPINFOW di{};
  di.hdr = {tip, tool.ti.uId, TTN_NEEDTEXTW};
  di.hinst = tool.ti.hinst;
  di.uFlags = tool.ti.uFlags;
  di.lParam = tool.ti.lParam;
  ++t->info.textRequests;
  SendMessageW(tool.ti.hwnd, WM_NOTIFY, WPARAM(tool.ti.uId), reinterpret_cast<LPARAM>(&di));
  if (!Find(tip)) return false;
  if (di.lpszText && di.lpszText != LPSTR_TEXTCALLBACKW && !IS_INTRESOURCE(di.lpszText)) {
    *out = di.lpszText;
  } else {
    const WCHAR* end = std::find(di.szText, di.szText + 80, WCHAR(0));
    out->assign(static_cast<const WCHAR*>(di.szText), end);
  }
  return true;
}

void Show(HWND tip, int index, POINT at, bool autoPop) {
  std::u16string text;
  if (!ToolText(tip, index, &text)) return;
  Tip* t = Find(tip);
  if (!t || std::size_t(index) >= t->tools.size()) return;
  if (text.empty()) {  // nothing to say: no tip
    Hide(tip);
    return;
  }
  t->shown = true;
  t->info.shown = true;
  t->info.text = text;
  t->info.pos = at;
  ++t->info.shows;
  int width = int(std::min<std::size_t>(text.size(), 4096)) * kCharWidth + 2 * kMargin;
  int lines = 1;
  if (t->info.maxWidth > 2 * kMargin && width > t->info.maxWidth) {
    const int inner = t->info.maxWidth - 2 * kMargin;
    lines = (width - 2 * kMargin + inner - 1) / inner;
    width = t->info.maxWidth;
  }
  SetWindowTextW(tip, text.c_str());
  SetWindowPos(tip, nullptr, at.x, at.y, width, lines * kLineHeight + 2 * kMargin,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  const TTTOOLINFOW ti = t->tools[std::size_t(index)].ti;
  if (autoPop) SetTimer(tip, kPopTimer, UINT(std::max(t->info.delays[TTDT_AUTOPOP], 1)), nullptr);
  Notify(tip, ti, TTN_SHOW);
}

void Relay(HWND tip, const MSG* m) {
  Tip* t = Find(tip);
  if (!m || !t || m->message < WM_MOUSEFIRST || m->message > WM_MBUTTONDBLCLK) return;
  if (m->message != WM_MOUSEMOVE) {  // a click puts the tip away until the pointer moves to another tool
    KillTimer(tip, kShowTimer);
    Hide(tip);
    return;
  }
  const int index = ToolAt(*t, *m);
  t->lastPt = m->pt;
  if (index == t->current) return;
  KillTimer(tip, kShowTimer);
  const bool wasShown = t->shown;
  Hide(tip);
  if (!(t = Find(tip))) return;
  t->current = index;
  if (index < 0 || !t->active) return;
  // A tip that just went away is followed quickly by the next one.
  const bool reshow = wasShown || (t->popped && GetTickCount() - t->poppedAt < DWORD(t->info.delays[TTDT_RESHOW]));
  const int delay = reshow ? t->info.delays[TTDT_RESHOW] : t->info.delays[TTDT_INITIAL];
  SetTimer(tip, kShowTimer, UINT(std::max(delay, 1)), nullptr);
}

LRESULT ToolTipProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    Tip& t = Tips()[h];
    t = Tip{};
    t.info.valid = true;
    for (WPARAM w : {TTDT_RESHOW, TTDT_AUTOPOP, TTDT_INITIAL}) t.info.delays[w] = DefaultDelay(w);
    return DefWindowProcW(h, msg, wp, lp);
  }
  if (msg == WM_NCDESTROY) {
    Tips().erase(h);
    return DefWindowProcW(h, msg, wp, lp);
  }
  Tip* t = Find(h);
  if (!t) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_TIMER:
      KillTimer(h, wp);
      if (wp == kShowTimer && t->active && t->current >= 0 && std::size_t(t->current) < t->tools.size())
        Show(h, t->current, POINT{t->lastPt.x, t->lastPt.y + 20}, true);
      else if (wp == kPopTimer)
        Hide(h);
      return 0;
    case TTM_ACTIVATE:
      t->active = wp != 0;
      t->info.active = t->active;
      if (!t->active) {
        KillTimer(h, kShowTimer);
        Hide(h);
      }
      return 0;
    case TTM_SETDELAYTIME: {
      const short v = static_cast<short>(LOWORD(DWORD(lp)));
      if (wp == TTDT_AUTOMATIC) {
        const int base = v < 0 ? DefaultDelay(TTDT_INITIAL) : v;
        t->info.delays[TTDT_INITIAL] = base;
        t->info.delays[TTDT_AUTOPOP] = base * 10;
        t->info.delays[TTDT_RESHOW] = base / 5;
      } else if (wp <= TTDT_INITIAL) {
        t->info.delays[wp] = v < 0 ? DefaultDelay(wp) : v;
      }
      return 0;
    }
    case TTM_GETDELAYTIME: return wp >= 1 && wp <= TTDT_INITIAL ? t->info.delays[wp] : 0;
    case TTM_SETMAXTIPWIDTH: {
      const int prev = t->info.maxWidth;
      t->info.maxWidth = int(lp);
      return prev;
    }
    case TTM_GETMAXTIPWIDTH: return t->info.maxWidth;
    case TTM_RELAYEVENT: Relay(h, reinterpret_cast<const MSG*>(lp)); return 0;
    case TTM_GETTOOLCOUNT: return LRESULT(t->tools.size());
    case TTM_ADDTOOLW: {
      if (!InfoOk(lp)) return FALSE;
      Tool tool;
      tool.ti = *reinterpret_cast<const TTTOOLINFOW*>(lp);
      SetText(tool, tool.ti.lpszText);
      t->tools.push_back(std::move(tool));
      t->info.tools = int(t->tools.size());
      return TRUE;
    }
    case TTM_DELTOOLW: {
      if (!InfoOk(lp)) return 0;
      const int i = FindTool(*t, reinterpret_cast<const TTTOOLINFOW*>(lp));
      if (i < 0) return 0;
      if (i == t->current || i == t->tracked) {
        KillTimer(h, kShowTimer);
        Hide(h);
        if (!(t = Find(h))) return 0;
      }
      t->tools.erase(t->tools.begin() + i);
      for (int* idx : {&t->current, &t->tracked})
        *idx = *idx == i ? -1 : *idx > i ? *idx - 1 : *idx;
      t->info.tools = int(t->tools.size());
      return 0;
    }
    case TTM_NEWTOOLRECTW:
    case TTM_SETTOOLINFOW: {
      if (!InfoOk(lp)) return 0;
      const auto* ti = reinterpret_cast<const TTTOOLINFOW*>(lp);
      const int i = FindTool(*t, ti);
      if (i < 0) return 0;
      Tool& tool = t->tools[std::size_t(i)];
      tool.ti.rect = ti->rect;
      if (msg == TTM_SETTOOLINFOW) {
        tool.ti.uFlags = ti->uFlags;
        tool.ti.lParam = ti->lParam;
        tool.ti.hinst = ti->hinst;
        SetText(tool, ti->lpszText);
      }
      return 0;
    }
    case TTM_UPDATETIPTEXTW: {
      if (!InfoOk(lp)) return 0;
      const auto* ti = reinterpret_cast<const TTTOOLINFOW*>(lp);
      const int i = FindTool(*t, ti);
      if (i < 0) return 0;
      SetText(t->tools[std::size_t(i)], ti->lpszText);
      if (t->shown && (i == t->current || i == t->tracked)) SendMessageW(h, TTM_UPDATE, 0, 0);
      return 0;
    }
    case TTM_GETTOOLINFOW:
    case TTM_GETTEXTW: {
      if (!InfoOk(lp)) return FALSE;
      auto* ti = reinterpret_cast<TTTOOLINFOW*>(lp);
      const int i = FindTool(*t, ti);
      if (i < 0) return FALSE;
      const Tool& tool = t->tools[std::size_t(i)];
      LPWSTR buffer = ti->lpszText;
      if (msg == TTM_GETTOOLINFOW) {
        *ti = tool.ti;
        ti->cbSize = sizeof(TTTOOLINFOW);
      }
      // Texts go into the caller's buffer: wParam characters for TTM_GETTEXTW,
      // the 80 of a tooltip text buffer otherwise.
      const std::size_t room = msg == TTM_GETTEXTW ? std::size_t(wp) : 80;
      if (tool.callback) {
        ti->lpszText = LPSTR_TEXTCALLBACKW;
      } else if (buffer && buffer != LPSTR_TEXTCALLBACKW && !IS_INTRESOURCE(buffer) && room > 0) {
        const std::size_t n = std::min(tool.text.size(), room - 1);
        tool.text.copy(buffer, n);
        buffer[n] = 0;
        ti->lpszText = buffer;
      }
      return TRUE;
    }
    case TTM_POP: Hide(h); return 0;
    case TTM_UPDATE: {
      const int index = t->tracked >= 0 ? t->tracked : t->current;
      if (t->shown && index >= 0) Show(h, index, t->info.pos, false);
      return 0;
    }
    case TTM_TRACKACTIVATE: {
      if (!InfoOk(lp)) return 0;
      const int i = FindTool(*t, reinterpret_cast<const TTTOOLINFOW*>(lp));
      if (!wp) {
        if (i >= 0 && i == t->tracked) {
          Hide(h);
          if ((t = Find(h))) t->tracked = -1;
        }
        return 0;
      }
      if (i < 0) return 0;
      t->tracked = i;
      Show(h, i, t->trackPt, false);
      return 0;
    }
    case TTM_TRACKPOSITION:
      t->trackPt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (t->shown && t->tracked >= 0) {
        t->info.pos = t->trackPt;
        SetWindowPos(h, nullptr, t->trackPt.x, t->trackPt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    default: return DefWindowProcW(h, msg, wp, lp);
  }
}

}  // namespace

BOOL KvRegisterToolTipClass() {
  WNDCLASSW wc{};
  if (GetClassInfoW(nullptr, TOOLTIPS_CLASSW, &wc)) return TRUE;
  wc.style = CS_GLOBALCLASS;
  wc.lpfnWndProc = ToolTipProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(std::intptr_t(COLOR_INFOBK + 1));
  wc.lpszClassName = TOOLTIPS_CLASSW;
  return RegisterClassW(&wc) ? TRUE : FALSE;
}

KvToolTipInfo KvGetToolTipInfo(HWND tooltip) {
  Tip* t = Find(tooltip);
  return t && IsWindow(tooltip) ? t->info : KvToolTipInfo{};
}
