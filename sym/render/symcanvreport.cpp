// The report canvases.
#include "sym/render/symcanvreport.h"

#include <algorithm>

#include "sym/render/symcanvmeta.h"

KV_IMPLEMENT_CLASSINFO(SSymCanvasReport, SSymCanvas);
KV_IMPLEMENT_CLASSINFO(SSymCanvasReportPrn, SSymCanvasReport);
KV_IMPLEMENT_CLASSINFO(SSymCanvasReportRTF, SSymCanvasReport);

namespace {
int ClampInt(long long v) { return static_cast<int>(std::clamp<long long>(v, -0x7FFFFFFFLL, 0x7FFFFFFFLL)); }
constexpr double kHiMetricScale = 0.3527777777777778;  // 0.01 mm per diagram unit
}  // namespace

SSymCanvasReport::SSymCanvasReport(SDC* reference, SDC* target) : m_pRefDC(reference), m_pReportDC(target) {
  if (m_pReportDC) m_pReportDC->m_nFlag = 1;
}

SSymCanvasReport::~SSymCanvasReport() {
  if (m_bLocked) SSymCanvas::Unlock();
}

void SSymCanvasReport::LockTarget() {
  BuildTransformationMatrices();
  if (m_pReportDC && m_pReportDC->IsValid()) SSymCanvas::Lock(*m_pReportDC);
}

SSymRect SSymCanvasReport::StartLock(const SSymRect& r, long long& w, long long& h) {
  if (m_bLocked) SSymCanvas::Unlock();
  m_rcLock = r;
  SSymRect n(r);
  n.Normalize();
  w = static_cast<long long>(n.x2) - n.x1 + 1;
  h = static_cast<long long>(n.y1) - n.y2 + 1;
  return n;
}

void SSymCanvasReport::LockOnDevice(const SSymRect& n, long long w, long long h, int dw, int dh, double sx,
                                    double sy) {
  m_rcDevice = RECT{0, 0, dw, dh};
  m_dZoom = 100.0;
  m_nZoom = 100;
  m_scaleX = sx;
  m_scaleY = sy;
  m_ptOrg = POINT{0, dh};
  m_sizeDP = SIZE{dw, dh};
  m_sizeVP = SIZE{ClampInt(w), ClampInt(h)};
  m_rcView = SSymRect(n.x1, n.y2, n.x2, n.y1);
  LockTarget();
}

void SSymCanvasReport::Lock(const SSymRect& r) {
  long long w = 0, h = 0;
  const SSymRect n = StartLock(r, w, h);
  LockOnDevice(n, w, h, ClampInt(w * 254 / 720), ClampInt(h * 254 / 720), kHiMetricScale, kHiMetricScale);
}

void SSymCanvasReport::Unlock() { SSymCanvas::Unlock(); }

void SSymCanvasReport::DrawText(const SString& text, const SSymRect& r, int flags) {
  SSymDrawTextLines(*this, m_pDC, text, r, flags, true);
}

void SSymCanvasReportPrn::Lock(const SSymRect& r) {
  long long w = 0, h = 0;
  const SSymRect n = StartLock(r, w, h);
  SScreenDC screen;
  const int px = screen.GetDeviceCaps(LOGPIXELSX), py = screen.GetDeviceCaps(LOGPIXELSY);
  LockOnDevice(n, w, h, MulDiv(px, ClampInt(w), 7200), MulDiv(py, ClampInt(h), 7200), px / 7200.0, py / 7200.0);
}

void SSymCanvasReportRTF::Lock(const SSymRect& r) {
  long long w = 0, h = 0;
  const SSymRect n = StartLock(r, w, h);
  m_rcDevice = RECT{0, 0, ClampInt(w), ClampInt(h)};
  if (m_pReportDC && m_pReportDC->IsValid()) InitScale(*m_pReportDC);
  m_sizeDP = SIZE{ClampInt(static_cast<long long>(m_rcDevice.right * m_scaleX + 0.5)),
                  ClampInt(static_cast<long long>(m_rcDevice.bottom * m_scaleY + 0.5))};
  m_sizeVP = SIZE{ClampInt(w), ClampInt(h)};
  m_rcView = n;
  LockTarget();
}
