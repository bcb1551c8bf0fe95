#include "kvcore/slayoutmap.h"

#include "win/winuser.h"

BOOL SLayoutMap::Init(HWND dialog, const SLayoutMapEntry* entries, int count) {
  m_controls.clear();
  m_hDialog = nullptr;
  if (!::IsWindow(dialog)) return FALSE;
  m_hDialog = dialog;
  RECT client{};
  ::GetClientRect(dialog, &client);
  m_cx = client.right;
  m_cy = client.bottom;
  for (int i = 0; entries && i < count; ++i) {
    HWND c = ::GetDlgItem(dialog, entries[i].id);
    if (!c) continue;
    RECT r{};
    ::GetWindowRect(c, &r);
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ::ScreenToClient(dialog, &corners[0]);
    ::ScreenToClient(dialog, &corners[1]);
    m_controls.push_back({entries[i].id, entries[i].mode, {corners[0].x, corners[0].y, corners[1].x, corners[1].y}});
  }
  return TRUE;
}

void SLayoutMap::Apply() const {
  if (!::IsWindow(m_hDialog)) return;
  RECT client{};
  ::GetClientRect(m_hDialog, &client);
  const LONG dx = client.right - m_cx, dy = client.bottom - m_cy;
  for (const Control& c : m_controls) {
    HWND h = ::GetDlgItem(m_hDialog, c.id);
    if (!h) continue;
    RECT r = c.place;
    if (c.mode & MoveX) r.left += dx, r.right += dx;
    if (c.mode & MoveY) r.top += dy, r.bottom += dy;
    if (c.mode & StretchX) r.right += dx;
    if (c.mode & StretchY) r.bottom += dy;
    ::MoveWindow(h, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }
}
