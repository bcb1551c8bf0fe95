// Picture fill modes: how a brush's or a background painter's picture is laid
// into a shape. One numbering for every target (screen, PNG, EMF, PDF, SVG).
#pragma once

#include "win/windef.h"

enum SPictureFillMode : int {
  pfmTopLeft = 0,        // natural size, anchored at the top-left corner
  pfmTop = 1,            // natural size, centred along the top edge
  pfmTopRight = 2,
  pfmRight = 3,          // centred along the right edge
  pfmBottomRight = 4,
  pfmBottom = 5,
  pfmBottomLeft = 6,
  pfmLeft = 7,
  pfmCentre = 8,         // natural size, centred (also any unknown mode)
  pfmTiled = 9,          // repeated at natural size from the top-left corner
  pfmProportional = 10,  // as large as fits, aspect kept, centred
  pfmStretched = 11,     // stretched over the whole box
  pfmNone = 12,          // the picture is not used
};

// Calls place(RECT) with every rectangle that receives the whole picture when
// a picture of natural size (w, h) fills `box` in `mode`. Tiles are given
// whole (columns left to right, each top to bottom) and may reach past the
// box; the caller clips or trims them. Halvings truncate toward zero.
// Nothing for pfmNone, for a proportional fill that comes out empty, or for
// tiling a picture without size.
template <class Place>
void SPlacePicture(int mode, const RECT& box, LONG w, LONG h, Place&& place) {
  const LONG L = box.left, T = box.top, R = box.right, B = box.bottom;
  auto at = [&](LONG x, LONG y) { place(RECT{x, y, x + w, y + h}); };
  const LONG midX = L + (R - w - L) / 2, midY = T + (B - h - T) / 2;
  switch (mode) {
    case pfmTopLeft: at(L, T); break;
    case pfmTop: at(midX, T); break;
    case pfmTopRight: at(R - w, T); break;
    case pfmRight: at(R - w, midY); break;
    case pfmBottomRight: at(R - w, B - h); break;
    case pfmBottom: at(midX, B - h); break;
    case pfmBottomLeft: at(L, B - h); break;
    case pfmLeft: at(L, midY); break;
    case pfmTiled:
      if (w <= 0 || h <= 0) break;
      for (LONG x = L; x < R; x += w)
        for (LONG y = T; y < B; y += h) at(x, y);
      break;
    case pfmProportional: {
      if (w <= 0 || h <= 0) break;
      long long pw = R - L, ph = static_cast<long long>(R - L) * h / w;
      if (ph > B - T) {
        ph = B - T;
        pw = static_cast<long long>(w) * (B - T) / h;
      }
      if (pw > 0 && ph > 0) {
        const LONG cx = (L + R) / 2 - static_cast<LONG>(pw / 2), cy = (T + B) / 2 - static_cast<LONG>(ph / 2);
        place(RECT{cx, cy, cx + static_cast<LONG>(pw), cy + static_cast<LONG>(ph)});
      }
      break;
    }
    case pfmStretched: place(box); break;
    case pfmNone: break;
    default: at(midX, midY); break;
  }
}
