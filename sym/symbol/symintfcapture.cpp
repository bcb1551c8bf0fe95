// The mouse flags of a capture.
#include "sym/symbol/symintfcapture.h"

#include "win/winuser.h"

namespace {
bool Down(int vk) { return GetKeyState(vk) < 0; }
}  // namespace

SMouseFlags::SMouseFlags() {
  if (Down(VK_CONTROL)) m_nFlags |= Control;
  if (Down(VK_SHIFT)) m_nFlags |= Shift;
  if (Down(VK_MENU)) m_nFlags |= Alt;
  if (Down(VK_LBUTTON)) m_nFlags |= Left;
  if (Down(VK_MBUTTON)) m_nFlags |= Middle;
  if (Down(VK_RBUTTON)) m_nFlags |= Right;
}

SMouseFlags::SMouseFlags(UINT keyState) : m_nFlags(keyState) {
  if (Down(VK_MENU)) m_nFlags |= Alt;
}
