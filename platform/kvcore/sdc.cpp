#include "kvcore/sdc.h"

KV_IMPLEMENT_CLASSINFO(SDC, SObject);

SDC::~SDC() { DeleteDC(); }

BOOL SDC::Attach(HDC hdc, bool own) {
  if (!hdc) return FALSE;
  if (hdc != m_hDC) DeleteDC();
  m_hDC = m_hAttribDC = hdc;
  m_own = own;
  return TRUE;
}

HDC SDC::Detach() {
  HDC h = m_hDC;
  m_hDC = m_hAttribDC = nullptr;
  m_own = false;
  return h;
}

BOOL SDC::CreateCompatibleDC(SDC* dc) { return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr), true); }

BOOL SDC::DeleteDC() {
  if (!m_hDC) return FALSE;
  const bool own = m_own;
  HDC h = Detach();
  return own ? ::DeleteDC(h) : TRUE;
}

namespace {
// The value a GDI call answers through its last argument; zero when it fails.
template <class T, class Call>
T Answer(Call&& call) {
  T value{};
  call(&value);
  return value;
}
}  // namespace

POINT SDC::SetViewportOrg(int x, int y) {
  return Answer<POINT>([&](POINT* out) { ::SetViewportOrgEx(m_hDC, x, y, out); });
}

POINT SDC::GetViewportOrg() const {
  return Answer<POINT>([&](POINT* out) { ::GetViewportOrgEx(m_hDC, out); });
}

POINT SDC::OffsetViewportOrg(int dx, int dy) {
  return Answer<POINT>([&](POINT* out) { ::OffsetViewportOrgEx(m_hDC, dx, dy, out); });
}

SIZE SDC::SetViewportExt(int cx, int cy) {
  return Answer<SIZE>([&](SIZE* out) { ::SetViewportExtEx(m_hDC, cx, cy, out); });
}

SIZE SDC::GetViewportExt() const {
  return Answer<SIZE>([&](SIZE* out) { ::GetViewportExtEx(m_hDC, out); });
}

POINT SDC::SetWindowOrg(int x, int y) {
  return Answer<POINT>([&](POINT* out) { ::SetWindowOrgEx(m_hDC, x, y, out); });
}

POINT SDC::GetWindowOrg() const {
  return Answer<POINT>([&](POINT* out) { ::GetWindowOrgEx(m_hDC, out); });
}

SIZE SDC::SetWindowExt(int cx, int cy) {
  return Answer<SIZE>([&](SIZE* out) { ::SetWindowExtEx(m_hDC, cx, cy, out); });
}

SIZE SDC::GetWindowExt() const {
  return Answer<SIZE>([&](SIZE* out) { ::GetWindowExtEx(m_hDC, out); });
}

POINT SDC::MoveTo(int x, int y) {
  return Answer<POINT>([&](POINT* out) { ::MoveToEx(m_hDC, x, y, out); });
}

POINT SDC::GetCurrentPosition() const {
  return Answer<POINT>([&](POINT* out) { ::GetCurrentPositionEx(m_hDC, out); });
}

void SDC::FillSolidRect(const RECT* rc, COLORREF color) {
  if (!rc || !m_hDC) return;
  HBRUSH brush = ::CreateSolidBrush(color);
  ::FillRect(m_hDC, rc, brush);
  ::DeleteObject(KvHandleCast<HGDIOBJ>(brush));
}

SIZE SDC::GetTextExtent(const char16_t* text, int count) const {
  SIZE sz = {0, 0};
  if (m_hDC && text && count > 0) ::GetTextExtentPoint32W(m_hDC, text, count, &sz);
  return sz;
}

SIZE SDC::GetTextExtent(const SString& text) const { return GetTextExtent(text.c_str(), text.GetLength()); }

int SDC::StartDoc(const SString& name) {
  DOCINFOW info = {};
  info.cbSize = sizeof info;
  info.lpszDocName = name.c_str();
  return ::StartDocW(m_hDC, &info);
}

BOOL SDC::DrawBitmap(const RECT& rc, const SBitmap* bitmap) {
  if (!m_hDC || !bitmap || !bitmap->IsValid()) return FALSE;
  const SIZE size = bitmap->GetSize();
  if (size.cx <= 0 || size.cy <= 0) return FALSE;
  HDC mem = ::CreateCompatibleDC(m_hDC);
  if (!mem) return FALSE;
  HGDIOBJ old = ::SelectObject(mem, bitmap->GetSafeHandle());
  const int oldMode = ::SetStretchBltMode(m_hDC, COLORONCOLOR);
  const BOOL ok = ::StretchBlt(m_hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, mem, 0, 0, size.cx,
                               size.cy, SRCCOPY);
  if (oldMode) ::SetStretchBltMode(m_hDC, oldMode);
  if (old) ::SelectObject(mem, old);
  ::DeleteDC(mem);
  return ok;
}

// ---- screen, client and paint contexts ----------------------------------------

SScreenDC::SScreenDC() { Attach(::GetDC(nullptr)); }
SScreenDC::~SScreenDC() {
  if (m_hDC) ::ReleaseDC(nullptr, Detach());
}

SClientDC::SClientDC(HWND hwnd) : m_hWnd(hwnd) { Attach(::GetDC(hwnd)); }
SClientDC::~SClientDC() {
  if (m_hDC) ::ReleaseDC(m_hWnd, Detach());
}

SPaintDC::SPaintDC(HWND hwnd) : m_hWnd(hwnd) { Attach(::BeginPaint(hwnd, &m_ps)); }
SPaintDC::~SPaintDC() {
  if (m_hDC) {
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
  }
}
