// Drop targets by window and the drag loop played from the input script.
#include <algorithm>
#include <utility>
#include <vector>

#include "win/winoledata.h"

namespace {

struct Registered {
  HWND hwnd;
  IDropTarget* target;  // one reference
};

struct DragTables {
  std::vector<Registered> targets;
  bool hooked = false;
};

DragTables& T() {
  static DragTables* t = new DragTables();
  return *t;
}

// A destroyed window takes its registration with it, so that no target is
// left held (or asked) for a window that is gone.
void OnDestroy(HWND h) {
  auto& v = T().targets;
  auto it = std::find_if(v.begin(), v.end(), [&](const Registered& r) { return r.hwnd == h; });
  if (it == v.end()) return;
  IDropTarget* target = it->target;
  v.erase(it);
  target->Release();
}

void Hook() {
  if (T().hooked) return;
  KvAddWindowDestroyHook(&OnDestroy);
  T().hooked = true;
}

IDropTarget* Lookup(HWND h) {
  for (const Registered& r : T().targets)
    if (r.hwnd == h) return r.target;
  return nullptr;
}

// The registered target under a screen point: the window there or its
// nearest registered ancestor.
IDropTarget* TargetAt(POINT pt, HWND* where) {
  HWND desktop = GetDesktopWindow();
  for (HWND h = WindowFromPoint(pt); h && h != desktop; h = GetAncestor(h, GA_PARENT)) {
    if (IDropTarget* t = Lookup(h)) {
      *where = h;
      return t;
    }
  }
  *where = nullptr;
  return nullptr;
}

DWORD KeyState() {
  DWORD k = 0;
  if (GetKeyState(VK_LBUTTON) < 0) k |= MK_LBUTTON;
  if (GetKeyState(VK_RBUTTON) < 0) k |= MK_RBUTTON;
  if (GetKeyState(VK_MBUTTON) < 0) k |= MK_MBUTTON;
  if (GetKeyState(VK_SHIFT) < 0) k |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) k |= MK_CONTROL;
  if (GetKeyState(VK_MENU) < 0) k |= MK_ALT;
  return k;
}

bool IsMouseMessage(UINT m) { return m >= WM_MOUSEFIRST && m <= WM_MOUSELAST; }
bool IsKeyMessage(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

class Drag {
 public:
  Drag(IDataObject* data, IDropSource* source, DWORD ok) : m_data(data), m_source(source), m_ok(ok) {}
  ~Drag() { Abandon(); }

  // One step at a screen point: S_OK goes on, anything else ends the drag.
  HRESULT Step(BOOL escape, POINT pt) {
    const DWORD keys = KeyState();
    const HRESULT q = m_source->QueryContinueDrag(escape, keys);
    if (q == DRAGDROP_S_DROP) return Drop(keys, pt);
    if (q != S_OK) {
      Leave();
      m_effect = DROPEFFECT_NONE;
      return q;
    }
    if (m_current && !IsWindow(m_currentWnd)) Leave();
    HWND where = nullptr;
    IDropTarget* target = TargetAt(pt, &where);
    const POINTL p{pt.x, pt.y};
    DWORD e = DROPEFFECT_NONE;
    if (target != m_current || where != m_currentWnd) {
      Leave();
      if (target) {
        target->AddRef();
        m_current = target;
        m_currentWnd = where;
        e = m_ok;
        if (FAILED(target->DragEnter(m_data, keys, p, &e))) {
          // Refused: not a target for this drag; asked again on the next move.
          m_current = nullptr;
          m_currentWnd = nullptr;
          target->Release();
          e = DROPEFFECT_NONE;
        }
      }
    } else if (m_current) {
      e = m_ok;
      if (FAILED(m_current->DragOver(keys, p, &e))) e = DROPEFFECT_NONE;
    }
    m_effect = e & (m_ok | DROPEFFECT_SCROLL);
    if (m_source->GiveFeedback(m_effect) == DRAGDROP_S_USEDEFAULTCURSORS) SetCursor(KvOleDragCursor(m_effect));
    return S_OK;
  }

  HRESULT Cancel() {
    Leave();
    m_effect = DROPEFFECT_NONE;
    return DRAGDROP_S_CANCEL;
  }

  // Leaves the target without letting anything escape (the drag is over).
  void Abandon() {
    try {
      Leave();
    } catch (...) {
    }
    m_effect = DROPEFFECT_NONE;
  }

  DWORD Effect() const { return m_effect & ~DROPEFFECT_SCROLL; }

 private:
  HRESULT Drop(DWORD keys, POINT pt) {
    if (!m_current || !IsWindow(m_currentWnd) || (m_effect & ~DROPEFFECT_SCROLL) == DROPEFFECT_NONE) {
      Leave();
      m_effect = DROPEFFECT_NONE;
      return DRAGDROP_S_DROP;
    }
    IDropTarget* target = std::exchange(m_current, nullptr);
    m_currentWnd = nullptr;
    Releaser hold{target};
    DWORD e = m_ok;
    const HRESULT hr = target->Drop(m_data, keys, POINTL{pt.x, pt.y}, &e);
    // A failed drop took nothing: the source must not remove what it offered.
    m_effect = FAILED(hr) ? DROPEFFECT_NONE : (e & m_ok);
    return DRAGDROP_S_DROP;
  }

  struct Releaser {
    IDropTarget* t;
    ~Releaser() { t->Release(); }
  };

  void Leave() {
    if (!m_current) return;
    IDropTarget* target = std::exchange(m_current, nullptr);
    m_currentWnd = nullptr;
    Releaser hold{target};
    target->DragLeave();
  }

  IDataObject* m_data;
  IDropSource* m_source;
  DWORD m_ok;
  IDropTarget* m_current = nullptr;  // one reference while entered
  HWND m_currentWnd = nullptr;
  DWORD m_effect = DROPEFFECT_NONE;
};

// Runs the drag's loop; answers how it ended.
HRESULT Run(Drag& drag) {
  POINT pt{};
  GetCursorPos(&pt);
  HRESULT hr = drag.Step(FALSE, pt);
  MSG msg{};
  while (hr == S_OK) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(int(msg.wParam));  // the loop outside must still see it
      return drag.Cancel();
    }
    if (msg.message == WM_CANCELMODE) return drag.Cancel();
    if (IsMouseMessage(msg.message)) {
      hr = drag.Step(FALSE, msg.pt);
    } else if (IsKeyMessage(msg.message)) {
      const bool esc = (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == WPARAM(VK_ESCAPE);
      GetCursorPos(&pt);
      hr = drag.Step(esc ? TRUE : FALSE, pt);
    } else {
      DispatchMessageW(&msg);
    }
  }
  return hr;
}

}  // namespace

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target) {
  Hook();
  if (!hwnd || !IsWindow(hwnd)) return DRAGDROP_E_INVALIDHWND;
  if (!target) return E_INVALIDARG;
  if (Lookup(hwnd)) return DRAGDROP_E_ALREADYREGISTERED;
  target->AddRef();
  T().targets.push_back(Registered{hwnd, target});
  return S_OK;
}

HRESULT RevokeDragDrop(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd)) return DRAGDROP_E_INVALIDHWND;
  if (!Lookup(hwnd)) return DRAGDROP_E_NOTREGISTERED;
  OnDestroy(hwnd);
  return S_OK;
}

std::size_t KvDropTargetCount() { return T().targets.size(); }

HCURSOR KvOleDragCursor(DWORD effect) {
  std::uintptr_t index = 0;  // no drop
  if (effect & DROPEFFECT_COPY)
    index = 1;
  else if (effect & DROPEFFECT_MOVE)
    index = 2;
  else if (effect & DROPEFFECT_LINK)
    index = 3;
  if (effect & DROPEFFECT_SCROLL) index += 4;
  return reinterpret_cast<HCURSOR>(std::uintptr_t{0x7D00} + index);
}

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) {
  if (effect) *effect = DROPEFFECT_NONE;
  if (!data || !source || !effect) return E_INVALIDARG;
  Hook();
  data->AddRef();
  source->AddRef();
  const HCURSOR cursor = GetCursor();
  HWND window = KvOleWindow();
  if (window) SetCapture(window);
  HRESULT hr;
  DWORD result = DROPEFFECT_NONE;
  {
    Drag drag(data, source, okEffects);
    try {
      hr = Run(drag);
      result = drag.Effect();
    } catch (...) {
      drag.Abandon();
      hr = E_UNEXPECTED;
    }
  }
  if (window && GetCapture() == window) ReleaseCapture();
  SetCursor(cursor);
  source->Release();
  data->Release();
  *effect = hr == DRAGDROP_S_DROP ? result : DROPEFFECT_NONE;
  return hr;
}
