// Shared helpers of the GDI tests: handle casts and white raster contexts.
#pragma once

#include "win/wingdi.h"

template <class T>
HGDIOBJ Obj(T h) {
  return reinterpret_cast<HGDIOBJ>(h);
}

// A white raster context of w x h pixels.
struct Raster {
  HDC dc = nullptr;
  HBITMAP bm = nullptr;
  HGDIOBJ old = nullptr;
  Raster(int w, int h) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bm = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, Obj(bm));
    PatBlt(dc, 0, 0, w, h, WHITENESS);
  }
  ~Raster() {
    SelectObject(dc, old);
    DeleteObject(Obj(bm));
    DeleteDC(dc);
  }
  Raster(const Raster&) = delete;
  Raster& operator=(const Raster&) = delete;
};
