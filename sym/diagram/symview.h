// SSymView: the diagram window, in its least form until the diagram
// subsystem brings the real one: the state word, the background and
// watermark painters and a log of the invalidations made on the view.
// The canvases reach it through ISSymViewSite and the symbol core through
// ISSymViewQueries; this file fills both when the library loads.
#pragma once

#include <vector>

#include "kvcore/sdrawbackground.h"
#include "sym/render/symviewsite.h"
#include "win/windef.h"

class SSymView {
 public:
  // State word bits.
  static constexpr int StateAllowErase = ISSymViewSite::StateAllowErase;  // invalidations may erase the background
  static constexpr int StateSuspended = ISSymViewSite::StateSuspended;    // drawing is suspended

  // One invalidation: the whole window (whole set) or a device rectangle.
  struct Invalidation {
    bool whole = false;
    RECT rect = {0, 0, 0, 0};
    int erase = 0;
  };

  SSymView() = default;
  virtual ~SSymView() = default;

  int GetState() const { return m_nState; }
  void SetState(int state) { m_nState = state; }
  SDrawBackground* GetDrawBackground() { return &m_background; }
  SDrawBackground* GetDrawWatermark() { return &m_watermark; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  // What the window does for a canvas's invalidation: nothing while drawing
  // is suspended; the erase flag is kept only when the view allows erasing.
  void InvalidateAll(int erase);
  void InvalidateRect(const RECT& rc, int erase);
  const std::vector<Invalidation>& GetInvalidations() const { return m_invalidations; }
  void ClearInvalidations() { m_invalidations.clear(); }

  HWND m_hWnd = nullptr;
  int m_nState = 0;
  int m_bBackgroundPicture = 0;  // a further setting asking for a background picture

 private:
  SDrawBackground m_background;
  SDrawBackground m_watermark;
  std::vector<Invalidation> m_invalidations;
};
