// SLayoutMap: keeps a dialog's controls in place when the dialog changes
// size. Each entry names a control and how it follows the dialog's client
// area: moved with its right or bottom edge, or stretched with it; the
// places are taken from where the controls stand when the map is set up.
#pragma once

#include <vector>

#include "win/windef.h"

struct SLayoutMapEntry {
  int id;
  UINT mode;  // SLayoutMap::Mode bits
};

class SLayoutMap {
 public:
  enum Mode : UINT {
    Fixed = 0x0,
    MoveX = 0x1,     // keeps its distance to the right edge
    MoveY = 0x2,     // keeps its distance to the bottom edge
    StretchX = 0x4,  // grows as wide as the dialog does
    StretchY = 0x8,  // grows as high as the dialog does
  };

  // Takes the dialog's client size and the places of the entries' controls
  // (a control the dialog lacks is left out). FALSE for a stale dialog.
  BOOL Init(HWND dialog, const SLayoutMapEntry* entries, int count);
  // Moves and sizes the controls for the dialog's current client size.
  void Apply() const;
  bool IsEmpty() const { return m_controls.empty(); }

 private:
  struct Control {
    int id;
    UINT mode;
    RECT place;  // in the dialog's client area, at Init
  };
  HWND m_hDialog = nullptr;
  LONG m_cx = 0, m_cy = 0;
  std::vector<Control> m_controls;
};
