// Background painting: colour gradients (SDrawGradient) and the painter of
// shape backgrounds with a colour, a gradient and a picture (SDrawBackground).
//
// Gradient mode words: one reading for every target (screen, PNG, EMF, PDF
// and the SVG writer), given by SDecodeGradient below. The family is
// mode & 0xFFF0 and the variant mode & 0xF:
//   0x10 top to bottom, 0x20 left to right, 0x40 top-left to bottom-right,
//   0x80 bottom-left to top-right: linear; variants 1 and 3 exchange the
//   colours, variants 2 and 3 mirror the gradient (c1, c2, c1);
//   0x200 radial from the centre (0x201 exchanges the colours), 0x800 to
//   0x803 radial with the focus halfway toward the top-left, top-right,
//   bottom-right or bottom-left corner and the radius one and a half times
//   as large. A radial gradient has c2 at the focus and c1 outside.
//   Older codes are translated first (0x100 -> 0x40, 0x101 -> 0x81,
//   0x102 -> 0x41, 0x103 -> 0x80, 0x1001 -> 0x21, 0x1002 -> 0x20,
//   0x1003 -> 0x11, 0x1004 -> 0x10, 0x1005 -> 0x41, 0x1006 -> 0x40,
//   0x1007 -> 0x81, 0x1008 -> 0x80).
//   Any other family (0x1 to 0xF included) fills with c1.
// 0x400 paints the gradient even when both colours are equal; mode 0 is no
// gradient.
//
// Picture modes (the bitmap mode of brushes): SPictureFillMode
// (kvcore/spicturefill.h), shared with every other target.
#pragma once

#include <vector>

#include "kvcore/sdc.h"
#include "kvcore/spicture.h"
#include "kvcore/spicturefill.h"

struct SGradientForm {
  enum Kind { gfPlain, gfLinear, gfRadial };
  enum Direction { gdTopToBottom, gdLeftToRight, gdDiagonalDown, gdDiagonalUp };
  Kind kind = gfPlain;
  Direction direction = gdLeftToRight;  // linear only
  bool swap = false;                    // exchange c1 and c2 first
  bool mirrored = false;                // linear: c1, c2, c1
  int corner = -1;                      // radial focus: -1 centre, 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left
};

// The one reading of a gradient mode word (see above).
SGradientForm SDecodeGradient(int mode);
// True when a gradient of `mode` between c1 and c2 is painted at all.
inline bool SIsGradient(int mode, COLORREF c1, COLORREF c2) { return mode != 0 && ((mode & 0x400) || c1 != c2); }

class SDrawGradient {
 public:
  // The colour num/den of the way from c1 to c2, channel by channel
  // (truncated toward c1); den 0 gives c1.
  static COLORREF GetMediumColor(COLORREF c1, COLORREF c2, int num, int den);

  SDrawGradient() = default;
  // Start and end rectangles, the two colours, the mode word and the frame
  // type (0 none, 1 a one-pixel frame in the mix of the colours).
  void SetGradient(const RECT& start, const RECT& end, COLORREF c1, COLORREF c2, int mode, int frame);
  void SetColors(COLORREF c1, COLORREF c2) { m_c1 = c1, m_c2 = c2; }
  void SetMode(int mode) { m_mode = mode; }
  int GetMode() const { return m_mode; }
  bool IsGradient() const { return SIsGradient(m_mode, m_c1, m_c2); }
  // Paints the gradient over the end rectangle (device units); FALSE
  // without a context or with an empty rectangle.
  BOOL Draw(SDC* dc) const;
  // Paints the gradient of `mode` from c1 to c2 over rc.
  static BOOL Paint(HDC hdc, const RECT& rc, COLORREF c1, COLORREF c2, int mode);

 private:
  RECT m_start = {0, 0, 0, 0};
  RECT m_end = {0, 0, 0, 0};
  COLORREF m_c1 = 0xFFFFFF;
  COLORREF m_c2 = 0x767676;
  int m_mode = 0;
  int m_frame = 0;
};

class SDrawBackground : public SPictureHolder {
 public:
  enum Shape { shapeRect = 1, shapeEllipse = 2, shapeRoundRect = 3, shapePie = 4, shapePolygon = 5, shapePath = 6 };

  // `hwnd` the window painted (may be null), `drawMode` the picture mode.
  SDrawBackground(HWND hwnd = nullptr, int drawMode = 12, int border = 0);

  // ---- the record a brush fills ----
  void SetDrawMode(int mode) { m_nDrawMode = mode; }
  int GetDrawMode() const { return m_nDrawMode; }
  void SetBackColor(COLORREF color, int transparent = 0) { m_crBack = color, m_bTransparent = transparent; }
  COLORREF GetBackColor() const { return m_crBack; }
  void SetGradientMode(int mode) { m_nGradientMode = mode; }
  int GetGradientMode() const { return m_nGradientMode; }
  void SetGradientColors(COLORREF start, COLORREF end) { m_crStart = start, m_crEnd = end; }
  COLORREF GetStartColor() const { return m_crStart; }
  COLORREF GetEndColor() const { return m_crEnd; }
  void SetBorder(int border) { m_nBorder = border; }
  int GetBorder() const { return m_nBorder; }
  HWND GetWindow() const { return m_hWnd; }
  void SetWindow(HWND hwnd) { m_hWnd = hwnd; }

  bool UsePicture() const override { return m_nDrawMode != pfmNone && SPictureHolder::UsePicture(); }
  bool UseGradient() const {
    return SIsGradient(m_nGradientMode, m_crStart, m_crEnd);
  }

  // ---- the shape (device units) ----
  void SetShape(int shape) { m_nShape = shape; }
  int GetShape() const { return m_nShape; }
  void SetRoundCorner(SIZE corner) { m_corner = corner; }
  void SetPie(POINT start, POINT end, const RECT& rect) { m_pieStart = start, m_pieEnd = end, m_pieRect = rect; }
  void SetPolygon(const POINT* pts, int count, int fillMode);
  // Start and end rectangles of the gradient (default: the shape rectangle).
  void SetGradientRects(const RECT& start, const RECT& end) { m_start = start, m_end = end, m_bRects = true; }
  void SetZoom(double zoomX, double zoomY) { m_zoomX = zoomX, m_zoomY = zoomY; }

  // True when a shape of this size cannot show a gradient or picture
  // (narrower or lower than 2 pixels).
  static bool IsRectTooSmall(const RECT& rc);

  // Paints the background of the shape over `shape` (device units), limited
  // to `area`: the colour (unless transparent or `erase` is 0), then the
  // gradient, then the picture. Shape 6 clips to the context's current path.
  // The context's state is restored afterwards. FALSE without a context.
  BOOL DrawBackground(SDC* dc, const RECT& shape, const RECT& area, int erase = 1, int picture = 1);
  BOOL DrawBackground(SDC* dc, const RECT& rect, int erase = 1, int picture = 1) {
    return DrawBackground(dc, rect, rect, erase, picture);
  }

 private:
  HRGN MakeShapeRegion(HDC hdc, const RECT& shape) const;
  void DrawPicture(SDC* dc, const RECT& shape);

  HWND m_hWnd;
  int m_nDrawMode;
  int m_nBorder;
  COLORREF m_crBack = 0xFFFFFF;
  int m_bTransparent = 0;
  int m_nGradientMode = 0;
  COLORREF m_crStart = 0xFFFFFF;
  COLORREF m_crEnd = 0x767676;
  int m_nShape = shapeRect;
  SIZE m_corner = {0, 0};
  POINT m_pieStart = {0, 0};
  POINT m_pieEnd = {0, 0};
  RECT m_pieRect = {0, 0, 0, 0};
  std::vector<POINT> m_points;
  int m_nFillMode = ALTERNATE;
  RECT m_start = {0, 0, 0, 0};
  RECT m_end = {0, 0, 0, 0};
  bool m_bRects = false;
  double m_zoomX = 100.0;
  double m_zoomY = 100.0;
};
