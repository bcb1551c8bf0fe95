// Drawing OLE objects through their view objects. Context canvases (screen,
// bitmap, metafile, printer, report) hand the view object their own context
// and the device rectangle; the SVG canvas records the view object's drawing
// as a metafile and writes that as a picture.
//
// An object open in its server's window is hatched over with black diagonal
// lines, so what it showed stays readable.
#include <algorithm>

#include "sym/render/symcanvsvg.h"
#include "win/emf.h"
#include "win/winole.h"

namespace {

// Keeps the precise-rounding flag set for the life of the scope.
struct PreciseScope {
  int old;
  PreciseScope() : old(SSymCanvas::SetPreciseMode(1)) {}
  ~PreciseScope() { SSymCanvas::SetPreciseMode(old); }
};

HRESULT DrawView(IViewObject* view, DWORD aspect, LONG index, HDC hdc, const RECT& rc) {
  const RECTL bounds{rc.left, rc.top, rc.right, rc.bottom};
  // The view object may leave its own pens, brushes and mapping behind.
  const int saved = SaveDC(hdc);
  const HRESULT hr = view->Draw(aspect, index, nullptr, nullptr, nullptr, hdc, &bounds, nullptr, nullptr, 0);
  RestoreDC(hdc, saved);
  return hr;
}

// Black lines rising to the right every 8 pixels, drawn as lines rather than
// with a hatch brush so that every context (metafiles included) leaves what
// lies between them as it was.
void HatchOver(HDC hdc, const RECT& rc) {
  const LONG l = std::min(rc.left, rc.right), r = std::max(rc.left, rc.right);
  const LONG t = std::min(rc.top, rc.bottom), b = std::max(rc.top, rc.bottom);
  if (r - l < 1 || b - t < 1) return;
  const HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  const HGDIOBJ old = SelectObject(hdc, pen);
  for (LONG k = l + t + 7; k <= r + b - 2; k += 8) {
    // The points of x + y = k inside the rectangle.
    const LONG x0 = std::max(l, k - (b - 1)), x1 = std::min(r - 1, k - t);
    if (x0 > x1) continue;
    MoveToEx(hdc, x0, k - x0, nullptr);
    LineTo(hdc, x1 + 1, k - x1 - 1);  // the end point is not drawn
  }
  SelectObject(hdc, old);
  DeleteObject(pen);
}

}  // namespace

void SSymCanvas::DrawViewObject(const SSymRect& r, IViewObject* view, DWORD aspect, LONG index, int open) {
  if (!m_pDC) return;
  RECT rc;
  {
    PreciseScope precise;
    rc = VPtoDPRect(r);
  }
  const HDC hdc = m_pDC->GetSafeHdc();
  if (view) DrawView(view, aspect, index, hdc, rc);
  if (open) HatchOver(hdc, rc);
}

void SSymCanvasSVG::DrawViewObject(const SSymRect& r, IViewObject* view, DWORD aspect, LONG index, int open) {
  const RECT box = PictureRect(r);
  const LONG w = box.right - box.left, h = box.bottom - box.top;
  if (view && w > 0 && h > 0) {
    // The frame is the box itself (0.01 mm on the screen that the recording
    // refers to), so the picture is stretched onto the box as it was drawn.
    const HDC screen = GetDC(nullptr);
    const RECT frame{0, 0, MulDiv(w, GetDeviceCaps(screen, HORZSIZE) * 100, GetDeviceCaps(screen, HORZRES)),
                     MulDiv(h, GetDeviceCaps(screen, VERTSIZE) * 100, GetDeviceCaps(screen, VERTRES))};
    ReleaseDC(nullptr, screen);
    HDC rec = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    if (rec) {
      DrawView(view, aspect, index, rec, RECT{0, 0, w, h});
      SMetaFile mf(CloseEnhMetaFile(rec));
      if (mf.IsValid()) DrawMetaFile(r, mf);
    }
  }
  if (open) {
    SSymBrush hatch(SSymBrush::BDiagonal, SSymColor(RGB(0, 0, 0)));
    FillRect(r, hatch);
  }
}
