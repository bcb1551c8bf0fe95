// ISSymViewSite: what a view canvas asks of the diagram window it draws in
// (its state word, its background and watermark painters, its window and
// its invalidations). The window belongs to the diagram subsystem, above the
// canvases: canvases hold it as an opaque SSymView pointer and reach it
// through the one site that subsystem installs when the library loads.
#pragma once

#include "win/windef.h"

class SDrawBackground;
class SSymView;

class ISSymViewSite {
 public:
  // Bits of the view's state word that canvases test.
  static constexpr int StateAllowErase = 0x10;  // invalidations may erase the background
  static constexpr int StateSuspended = 0x40;   // drawing is suspended

  virtual ~ISSymViewSite() = default;
  virtual int GetState(SSymView* view) = 0;
  virtual SDrawBackground* GetDrawBackground(SSymView* view) = 0;
  virtual SDrawBackground* GetDrawWatermark(SSymView* view) = 0;
  // True when a further setting of the view asks for a background picture.
  virtual bool HasBackgroundPicture(SSymView* view) = 0;
  virtual HWND GetSafeHwnd(SSymView* view) = 0;
  virtual void InvalidateAll(SSymView* view, int erase) = 0;
  virtual void InvalidateRect(SSymView* view, const RECT& rc, int erase) = 0;
};

// The installed site, or null while no diagram subsystem is loaded (a canvas
// then behaves as one without a view).
ISSymViewSite* SSymGetViewSite();
void SSymSetViewSite(ISSymViewSite* site);
