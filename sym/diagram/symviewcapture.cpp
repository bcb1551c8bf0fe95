// The mouse capture of the diagram window: every drag of a tool runs here.
//
// The view takes the capture, optionally waits until the user really drags,
// then runs a message loop of its own on the window's messages until the
// tool accepts (drop) or the drag is cancelled: Esc, WM_CANCELMODE, the
// capture taken by another window, or the tool refusing a point. The tool
// sees the drag only through ISSymViewCapture, always in logical units.
//
// Auto-scroll: while the cursor is held near or beyond the window's border
// (outside the client area deflated by the drag-scroll inset), timer 100
// gives the first tick and timer 101 the repeats. Each tick scrolls at most
// one line per axis, paced by how far the cursor is beyond the inner edge:
// right at the edge once every 21 ticks, 65 pixels beyond it on every tick.
// Inside the inner rectangle the timers stop and nothing scrolls.
#include <exception>
#include <optional>

#include "kvcore/sexceptionhook.h"
#include "kvlib/sliboleconst.h"
#include "sym/diagram/symview.h"
#include "sym/symbol/symintfcapture.h"
#include "win/winuser.h"

int SSymView::m_nAutoScrollPace = 0;

namespace {

// Whether a tick with the cursor `d` pixels beyond an edge may scroll. One
// counter paces both axes: the further out, the fewer ticks are skipped.
bool PaceAllows(long long d) {
  const long long e = d <= 5 ? d : (d - 5) / 4 + 5;
  const long long wait = std::max<long long>(20 - e, 0);
  if (SSymView::m_nAutoScrollPace >= wait) {
    SSymView::m_nAutoScrollPace = 0;
    return true;
  }
  ++SSymView::m_nAutoScrollPace;
  return false;
}

POINT MessagePosIn(HWND hwnd) {
  const DWORD pos = GetMessagePos();
  POINT pt{GET_X_LPARAM(LPARAM(pos)), GET_Y_LPARAM(LPARAM(pos))};
  ::ScreenToClient(hwnd, &pt);
  return pt;
}

bool IsModifier(WPARAM key) { return key == WPARAM(VK_SHIFT) || key == WPARAM(VK_CONTROL) || key == WPARAM(VK_MENU); }

// The loop's state: the tool, the answer so far, the timers running and the
// last flags and point the tool saw.
struct CaptureRun {
  CaptureRun(SSymView* v, ISSymViewCapture* t) : view(v), tool(t) {}
  SSymView* view;
  ISSymViewCapture* tool;
  RECT inner{};
  DWORD result = ISSymViewCapture::Continue;
  bool start = false;   // timer 100 runs
  bool repeat = false;  // timer 101 runs
  SMouseFlags flags{0};
  SSymPoint point;

  void KillTimers() {
    if (start) view->KillTimer(SSymView::TimerScrollStart);
    if (repeat) view->KillTimer(SSymView::TimerScrollRepeat);
    start = repeat = false;
  }

  // A mouse message or a modifier key: the timers follow where the cursor
  // is, then the tool is asked about the point.
  void Point(UINT message, const SMouseFlags& f, POINT client) {
    if (!PtInRect(&inner, client)) {
      if (!start && !repeat) start = view->SetTimer(SSymView::TimerScrollStart, g_oleConst.m_nDragScrollInset) != 0;
    } else {
      KillTimers();
    }
    flags = f;
    point = view->GetCanvas().DPtoVP(client);
    if (!tool->CaptureOver(flags, point)) {
      result = ISSymViewCapture::Cancel;
      return;
    }
    // A dialog the tool shows meanwhile handles WM_CANCELMODE normally.
    SSymView::m_bCaptureInProgress = 0;
    try {
      result = tool->CaptureQueryContinue(message, flags, point);
    } catch (...) {
      SSymView::m_bCaptureInProgress = 1;
      // Shown and ignored: the drag goes on. A targeted exception passes on.
      VectoredExceptionReporter::Report(__func__, "sym/src/symview", __LINE__, [](const SString& text) {
        return SString(u"Tool mouse capture continue") + text;
      });
      result = ISSymViewCapture::Continue;
    }
    SSymView::m_bCaptureInProgress = 1;
  }

  // A tick of timer 100 or 101.
  void Tick(UINT_PTR id) {
    if (id == SSymView::TimerScrollStart) {
      view->KillTimer(SSymView::TimerScrollStart);
      start = false;
      repeat = view->SetTimer(SSymView::TimerScrollRepeat, g_oleConst.m_nDragScrollInterval) != 0;
    }
    const POINT c = MessagePosIn(view->GetSafeHwnd());
    if (PtInRect(&inner, c)) {
      if (repeat) view->KillTimer(SSymView::TimerScrollRepeat);
      repeat = false;
      return;
    }
    flags = SMouseFlags();
    point = view->GetCanvas().DPtoVP(c);
    if (!tool->CaptureOver(flags, point)) {
      result = ISSymViewCapture::Cancel;
      return;
    }
    result = tool->CaptureQueryContinue(WM_TIMER, flags, point);
    // A drag that has just ended scrolls no more.
    if (result != ISSymViewCapture::Continue) return;
    auto scroll = [this](UINT message, long long at, long long lo, long long hi) {
      if (at <= lo) {
        if (PaceAllows(lo - at)) view->PostMessage(message, MAKEWPARAM(SB_LINEUP, 0), 0);
      } else if (at >= hi) {
        if (PaceAllows(at - hi)) view->PostMessage(message, MAKEWPARAM(SB_LINEDOWN, 0), 0);
      }
    };
    scroll(WM_HSCROLL, c.x, inner.left, inner.right);
    scroll(WM_VSCROLL, c.y, inner.top, inner.bottom);
  }
};

}  // namespace

DWORD SSymView::CaptureMouse(ISSymViewCapture* tool, int waitForDrag) {
  if (!tool) return ISSymViewCapture::Cancel;
  // A view without a window has no mouse to capture.
  if (!m_hWnd || ::GetCapture()) {
    tool->CaptureCancel();
    return ISSymViewCapture::Cancel;
  }
  // The window may be destroyed while the loop runs (a tool closing it):
  // the view lives until the capture has been given back.
  AddRef();
  CaptureRun run(this, tool);
  const POINT at = MessagePosIn(m_hWnd);
  run.point = m_canvas.DPtoVP(at);
  run.flags = SMouseFlags();
  const HWND hwnd = m_hWnd;
  const HWND former = ::SetCapture(hwnd);
  auto giveBack = [hwnd, former] {
    if (::GetCapture() != hwnd) return;
    if (former && ::IsWindow(former))
      ::SetCapture(former);
    else
      ::ReleaseCapture();
  };
  if (waitForDrag && !StartCapture()) {
    giveBack();
    tool->CaptureCancel();
    Release();
    return ISSymViewCapture::Cancel;
  }
  RECT client{};
  ::GetClientRect(hwnd, &client);
  const int inset = int(g_oleConst.m_nDragScrollInset);
  run.inner = RECT{client.left + inset, client.top + inset, client.right - inset, client.bottom - inset};

  try {
    LockCanvas lock(this);
    if (!tool->CaptureStart(run.flags, run.point)) {
      run.result = ISSymViewCapture::Cancel;
    } else {
      m_bCaptureInProgress = 1;
      ::KillTimer(hwnd, TimerScrollStart);
      ::KillTimer(hwnd, TimerScrollRepeat);
      UpdateWindow();
      while (run.result == ISSymViewCapture::Continue) {
        MSG msg{};
        if (::GetMessageW(&msg, hwnd, 0, 0) <= 0 || ::GetCapture() != hwnd) {
          run.result = ISSymViewCapture::Cancel;  // the window went, or another took the mouse
          break;
        }
        const UINT m = msg.message;
        if (m >= WM_MOUSEFIRST && m <= WM_MBUTTONDBLCLK) {
          const POINT pt{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
          run.Point(m, SMouseFlags(UINT(msg.wParam)), pt);
        } else if ((m == WM_KEYDOWN || m == WM_KEYUP) && IsModifier(msg.wParam)) {
          // A modifier changes the tool's feedback without a mouse move.
          run.Point(m, SMouseFlags(), MessagePosIn(hwnd));
        } else if (m == WM_KEYDOWN && msg.wParam == WPARAM(VK_ESCAPE)) {
          run.result = ISSymViewCapture::Cancel;
        } else if (m == WM_CANCELMODE) {
          run.result = ISSymViewCapture::Cancel;
        } else if (m == WM_TIMER && (msg.wParam == TimerScrollStart || msg.wParam == TimerScrollRepeat)) {
          run.Tick(msg.wParam);
        } else if (m == WM_HSCROLL || m == WM_VSCROLL) {
          tool->CapturePreScroll();
          ::DispatchMessageW(&msg);
          if (::IsWindow(hwnd)) UpdateWindow();
          tool->CapturePostScroll();
        } else {
          ::DispatchMessageW(&msg);
        }
      }
    }
  } catch (...) {
    // An exception addressed further out: the drag ends as cancelled and the
    // mouse and timers are given back before it passes on.
    if (::IsWindow(hwnd)) run.KillTimers();
    m_bCaptureInProgress = 0;
    giveBack();
    try {
      std::optional<LockCanvas> lock;
      if (::IsWindow(hwnd)) lock.emplace(this);
      tool->CaptureCancel();
    } catch (...) {
    }
    Release();
    throw;
  }
  if (::IsWindow(hwnd)) run.KillTimers();
  m_bCaptureInProgress = 0;
  {
    // The tool takes its feedback away on the window it drew on; a window
    // that went meanwhile has nothing left to clean.
    std::optional<LockCanvas> lock;
    if (::IsWindow(hwnd)) lock.emplace(this);
    if (run.result == ISSymViewCapture::Drop)
      tool->CaptureDrop(run.flags, run.point);
    else
      tool->CaptureCancel();
  }
  giveBack();
  const DWORD result = run.result;
  Release();
  return result;
}

int SSymView::StartCapture() {
  const DWORD started = GetTickCount();
  int result = 0;
  while (result == 0) {
    if (::GetCapture() != m_hWnd) return result;
    MSG msg{};
    if (::PeekMessageW(&msg, m_hWnd, WM_MOUSEFIRST, WM_MBUTTONDBLCLK, PM_REMOVE) ||
        ::PeekMessageW(&msg, m_hWnd, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
      switch (msg.message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP: return result;  // a click, not a drag
        case WM_KEYDOWN:
          if (msg.wParam == WPARAM(VK_ESCAPE)) return result;
          break;
        case WM_MOUSEMOVE: result = 1; break;  // any movement drags
        default: break;
      }
    }
    if (GetTickCount() - started > g_oleConst.m_nDragDelay) return 1;
  }
  return result;
}
