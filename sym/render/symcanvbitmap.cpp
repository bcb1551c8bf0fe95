// The bitmap canvas.
#include "sym/render/symcanvbitmap.h"

#include <algorithm>

KV_IMPLEMENT_CLASSINFO(SSymCanvasBitmap, SSymCanvas);

namespace {
int ClampInt(double v) { return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0)); }
}  // namespace

SSymCanvasBitmap::SSymCanvasBitmap() = default;

SSymCanvasBitmap::~SSymCanvasBitmap() {
  if (m_bBitmapLocked || m_bLocked) Unlock(nullptr);
}

void SSymCanvasBitmap::Lock(const SSymRect& r) {
  if (m_bBitmapLocked || m_bLocked) Unlock(nullptr);
  m_rcLock = r;
  SSymRect n(r);
  n.Normalize();
  const double w = static_cast<double>(n.x2) - n.x1 + 1, h = static_cast<double>(n.y1) - n.y2 + 1;
  SScreenDC screen;
  InitScale(screen);
  m_sizeDP = SIZE{ClampInt(w * m_scaleX + 0.5), ClampInt(h * m_scaleY + 0.5)};
  m_sizeVP = SIZE{ClampInt(w), ClampInt(h)};
  m_rcView = n;
  BuildTransformationMatrices();
  if (!m_dc.CreateCompatibleDC(&screen)) return;
  if (!m_bitmap.CreateCompatibleBitmap(&screen, m_sizeDP.cx, m_sizeDP.cy)) {
    m_dc.DeleteDC();
    return;
  }
  m_oldBitmap = m_dc.SelectObject(m_bitmap);
  const RECT all{0, 0, m_sizeDP.cx, m_sizeDP.cy};
  m_dc.FillRect(&all, KvHandleCast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  m_bBitmapLocked = 1;
  SSymCanvas::Lock(m_dc);
}

void SSymCanvasBitmap::Unlock(SBitmap* out) {
  SSymCanvas::Unlock();
  if (m_dc.IsValid()) {
    if (m_oldBitmap) m_dc.SelectObject(m_oldBitmap);
    m_oldBitmap = nullptr;
    m_dc.DeleteDC();
  }
  m_bBitmapLocked = 0;
  if (out) {
    out->DeleteObject();
    if (m_bitmap.IsValid()) out->Attach(m_bitmap.Detach());
  }
  m_bitmap.DeleteObject();
}
