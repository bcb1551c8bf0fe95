// The drag constants of the user interface: how close to a window's border
// a dragging cursor starts scrolling it, how often it scrolls, and how long
// a pressed button waits before a still mouse counts as a drag. One
// process-wide record, read by every drag; hosts and tests may change it.
#pragma once

#include "win/windef.h"

struct SOleConstant {
  UINT m_nDragScrollInset = 11;     // pixels inside the client area's border
  UINT m_nDragScrollInterval = 50;  // milliseconds between repeated scrolls
  UINT m_nDragDelay = 200;          // milliseconds before a held button drags
};

extern SOleConstant g_oleConst;
