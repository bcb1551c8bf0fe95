// The canvas frame: constants, the scaler and its rounding, zoom, the lock
// protocol with the shared off-screen bitmap, precise mode and paths.
#include "sym/render/symcanv.h"

#include <algorithm>
#include <cmath>

#include "sym/foundation/symterminators.h"

const double SSymCanvas::ResDPI = 7200.0;
const double SSymCanvas::ScaleMin = 2.0;
const double SSymCanvas::ScaleMax = 5000.0;
const double SSymCanvas::ScaleNorm = 100.0;
const int SSymCanvas::MinX = -900000;
const int SSymCanvas::MaxX = 900000;
const int SSymCanvas::MinY = -900000;
const int SSymCanvas::MaxY = 900000;
const int SSymCanvas::SizeX = 1800000;
const int SSymCanvas::SizeY = 1800000;

KV_IMPLEMENT_CLASSINFO(SSymCanvas, SObject);

namespace {

// Process-wide state of the canvas family.
SDC* g_pSharedDC = nullptr;
SBitmap* g_pSharedBitmap = nullptr;
SIZE g_sharedSize = {0, 0};
int g_bPreciseMode = 0;
bool g_failOffScreen = false;

SSymTerminatorInstaller s_installSharedDC(SSymTerminatorSlot::SharedDC, &SSymCanvas::TerminateSharedDC);

// Half away from zero, saturated to 32 bits.
LONG RoundHalf(double v) { return SSymRoundAway(v); }

// Device coordinates are kept within +-2^27 pixels (far beyond any real
// drawing: the whole diagram at the largest zoom on a 600 dpi printer spans
// less than 2^23), so that the platform can take differences of them.
constexpr double kDeviceLimit = 134217728.0;
LONG RoundDevice(double v) { return RoundHalf(std::clamp(v, -kDeviceLimit, kDeviceLimit)); }

}  // namespace

// ---- scaler ---------------------------------------------------------------------------

SSymCanvasScaler::SSymCanvasScaler() = default;

void SSymCanvasScaler::Setup(const SSymCanvas& c) {
  m_bInit = 1;
  m_scaleX = c.m_scaleX;
  m_scaleY = c.m_scaleY;
  const double x1 = c.m_rcView.x1, y1 = c.m_rcView.y1;
  const double ox = c.m_ptOrg.x, oy = c.m_ptOrg.y;
  // X = (x - x1) * sx + ox; Y = (y1 - y) * sy + oy
  m_vp2dp = S2DMatrix(m_scaleX, 0.0, ox - x1 * m_scaleX, 0.0, -m_scaleY, oy + y1 * m_scaleY);
  // x = (X - ox) / sx + x1; y = y1 - (Y - oy) / sy
  if (m_scaleX != 0.0 && m_scaleY != 0.0)
    m_dp2vp = S2DMatrix(1.0 / m_scaleX, 0.0, x1 - ox / m_scaleX, 0.0, -1.0 / m_scaleY, y1 + oy / m_scaleY);
  else
    m_dp2vp.SetIdentity();
}

void SSymCanvasScaler::TranslateVP(SSymSize d) {
  // The translation applies before what the matrix already does.
  m_vp2dp = m_vp2dp * S2DMatrix(1.0, 0.0, d.cx, 0.0, 1.0, d.cy);
  m_dp2vp = S2DMatrix(1.0, 0.0, -static_cast<double>(d.cx), 0.0, 1.0, -static_cast<double>(d.cy)) * m_dp2vp;
}

POINT SSymCanvasScaler::VPtoDP(SSymPoint p) const {
  const S2DVector v = m_vp2dp.Transform(S2DVector(p.x, p.y));
  return POINT{RoundDevice(v.x), RoundDevice(v.y)};
}

SIZE SSymCanvasScaler::VPtoDP(SSymSize s) const {
  return SIZE{SSymTruncate(std::clamp(s.cx * m_scaleX, -kDeviceLimit, kDeviceLimit)),
              SSymTruncate(std::clamp(s.cy * m_scaleY, -kDeviceLimit, kDeviceLimit))};
}

SSymSize SSymCanvasScaler::DPtoVP(SIZE s) const {
  if (m_scaleX == 0.0 || m_scaleY == 0.0) return SSymSize(0, 0);
  return SSymSize(SSymTruncate(s.cx / m_scaleX + 0.5), SSymTruncate(s.cy / m_scaleY + 0.5));
}

SSymPoint SSymCanvasScaler::DPtoVP(POINT p) const {
  const S2DVector v = m_dp2vp.Transform(S2DVector(p.x, p.y));
  return SSymPoint(RoundHalf(v.x), RoundHalf(v.y));
}

void SSymCanvasScaler::Corners(const S2DMatrix& m, double ax, double ay, double bx, double by, LONG out[4],
                               bool device) const {
  LONG (*round)(double) = device ? RoundDevice : RoundHalf;
  const S2DVector a = m.Transform(S2DVector(ax, ay));
  S2DVector b = m.Transform(S2DVector(bx, by));
  out[0] = round(a.x);
  out[1] = round(a.y);
  if (SSymCanvas::GetPreciseMode()) {
    b.x += out[0] - a.x;
    b.y += out[1] - a.y;
  }
  out[2] = round(b.x);
  out[3] = round(b.y);
}

RECT SSymCanvasScaler::VPtoDP(const SSymRect& r) const {
  LONG c[4];
  Corners(m_vp2dp, r.x1, r.y2, r.x2, r.y1, c, true);
  RECT rc{std::min(c[0], c[2]), std::min(c[1], c[3]), std::max(c[0], c[2]), std::max(c[1], c[3])};
  return rc;
}

RECT SSymCanvasScaler::VPtoDPRect(const SSymRect& r) const {
  RECT rc = VPtoDP(r);
  ++rc.right;
  ++rc.bottom;
  return rc;
}

SSymRect SSymCanvasScaler::DPtoVP(const RECT& r) const {
  LONG c[4];
  Corners(m_dp2vp, r.left, r.top, r.right, r.bottom, c, false);
  return SSymRect(std::min(c[0], c[2]), std::max(c[1], c[3]), std::max(c[0], c[2]), std::min(c[1], c[3]));
}

SSymRect SSymCanvasScaler::DPtoVPRect(const RECT& r) const {
  RECT f{r.left, r.top, r.right - 1, r.bottom - 1};
  return DPtoVP(f);
}

Gdiplus::Point SSymCanvasScaler::VPtoGdiDP(SSymPoint p) const {
  const POINT d = VPtoDP(p);
  return Gdiplus::Point(d.x, d.y);
}

Gdiplus::Rect SSymCanvasScaler::VPtoGdiDP(const SSymRect& r) const {
  const RECT d = VPtoDP(r);
  return Gdiplus::Rect(d.left, d.top, d.right - d.left, d.bottom - d.top);
}

SSymPoint SSymCanvasScaler::GdiDPtoVP(const Gdiplus::Point& p) const { return DPtoVP(POINT{p.X, p.Y}); }

SSymRect SSymCanvasScaler::GdiDPtoVP(const Gdiplus::Rect& r) const {
  return DPtoVP(RECT{r.X, r.Y, r.X + r.Width, r.Y + r.Height});
}

// ---- construction -----------------------------------------------------------------------

SSymCanvas::SSymCanvas() {
  m_font = SSymFont(SGetArialString(), 8, SSymFont::Normal);
}

SSymCanvas::~SSymCanvas() {
  delete m_pGdiPen;
  m_pGdiPen = nullptr;
  ClearCaches();
  m_normFonts.RemoveAll();
}

// ---- simple state ----------------------------------------------------------------------

SSymBrush SSymCanvas::GetBkBrush() { return m_bkBrush; }
void SSymCanvas::SetBkBrush(const SSymBrush& brush) { m_bkBrush = brush; }
SPrefDataWrap SSymCanvas::GetDataWrap() { return m_dataWrap; }
void SSymCanvas::SetDataWrap(SPrefDataWrap& wrap) { m_dataWrap = wrap; }

int SSymCanvas::GetPreciseMode() { return g_bPreciseMode; }
int SSymCanvas::SetPreciseMode(int mode) {
  const int old = g_bPreciseMode;
  g_bPreciseMode = mode;
  return old;
}

SIZE SSymCanvas::GetSharedBitmapSize() { return g_sharedSize; }
void SSymCanvas::SetFailOffScreenBitmap(bool fail) { g_failOffScreen = fail; }

SSymRect SSymCanvas::GetViewportVP() const {
  SSymRect r(std::min(m_rcView.x1, m_rcView.x2), std::max(m_rcView.y1, m_rcView.y2),
             std::max(m_rcView.x1, m_rcView.x2), std::min(m_rcView.y1, m_rcView.y2));
  return r;
}

RECT SSymCanvas::GetViewportDP() const {
  return VPtoDP(SSymRect(m_rcView.x1, m_rcView.y2, m_rcView.x2, m_rcView.y1));
}

// ---- scale -----------------------------------------------------------------------------

void SSymCanvas::InitScale(SDC& dc) {
  m_dZoom = ScaleNorm;
  ScaleToDC(dc);
}

void SSymCanvas::ScaleToDC(SDC& dc) {
  m_scaleX = m_dZoom * dc.GetDeviceCaps(LOGPIXELSX) / 720000.0;
  m_scaleY = m_dZoom * dc.GetDeviceCaps(LOGPIXELSY) / 720000.0;
  m_ptOrg = POINT{0, 0};
  m_rcView = SSymRect(0, 0, 0, 0);
  BuildTransformationMatrices();
}

void SSymCanvas::BuildTransformationMatrices() {
  m_scaler.Setup(*this);
  if (!m_scalerInit.IsInitialize()) m_scalerInit.Setup(*this);
}

void SSymCanvas::SetSizeDP(SIZE size) {
  if (!m_pDC) {
    m_sizeDP = size;
    m_sizeVP.cx = m_scaleX != 0.0 ? SSymTruncate(size.cx / m_scaleX) : 0;
    m_sizeVP.cy = m_scaleY != 0.0 ? SSymTruncate(size.cy / m_scaleY) : 0;
    m_rcView.x2 = m_rcView.x1 + m_sizeVP.cx;
    m_rcView.y2 = m_rcView.y1 - m_sizeVP.cy;
  }
  // Centre on the view centre (the core rectangle's centre: integer halves).
  const LONG cx = (m_rcView.x1 + m_rcView.x2) / 2, cy = (m_rcView.y1 + m_rcView.y2) / 2;
  const LONG dx = m_ptCenter.x - cx, dy = m_ptCenter.y - cy;
  m_rcView.x1 += dx;
  m_rcView.x2 += dx;
  m_rcView.y1 += dy;
  m_rcView.y2 += dy;
  BuildTransformationMatrices();
}

void SSymCanvas::SetViewportRect(RECT& r) {
  m_rcView = SSymRect(r.left, r.top, r.right, r.bottom);
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  m_sizeVP = SIZE{r.right - r.left, r.bottom - r.top};
}

void SSymCanvas::OffsetViewport(SSymSize d) { m_scaler.TranslateVP(d); }

void SSymCanvas::SetZoomLevel(double zoom, SSymPoint center) {
  if (!(zoom >= ScaleMin)) zoom = ScaleMin;  // NaN clamps to the smallest zoom
  if (zoom > ScaleMax) zoom = ScaleMax;
  bool changed = false;
  if (zoom != m_dZoom) {
    const double ratio = m_dZoom != 0.0 ? zoom / m_dZoom : 1.0;
    m_dZoom = zoom;
    m_nZoom = static_cast<int>(zoom + 0.5);
    m_scaleX *= ratio;
    m_scaleY *= ratio;
    ClearCaches();
    changed = true;
  }
  if (!(center == m_ptCenter)) {
    m_ptCenter = center;
    changed = true;
  }
  if (!changed) return;
  m_sizeVP.cx = m_scaleX != 0.0 ? SSymTruncate(m_sizeDP.cx / m_scaleX) : 0;
  m_sizeVP.cy = m_scaleY != 0.0 ? SSymTruncate(m_sizeDP.cy / m_scaleY) : 0;
  const LONG cx = m_sizeVP.cx, cy = m_sizeVP.cy;
  if (m_rcView.x1 >= m_rcView.x2) {
    m_rcView.x1 = center.x + cx / 2;
    m_rcView.x2 = m_rcView.x1 - cx;
  } else {
    m_rcView.x1 = center.x - cx / 2;
    m_rcView.x2 = m_rcView.x1 + cx;
  }
  if (m_rcView.y2 >= m_rcView.y1) {
    m_rcView.y1 = center.y - cy / 2;
    m_rcView.y2 = m_rcView.y1 + cy;
  } else {
    m_rcView.y1 = center.y + cy / 2;
    m_rcView.y2 = m_rcView.y1 - cy;
  }
  BuildTransformationMatrices();
}

namespace {
void ZoomFactor(const SSymCanvas& c, const SSymRect& r, double& f, SSymPoint& centre) {
  const double w = std::max<double>(1.0, std::fabs(static_cast<double>(r.x2) - r.x1) + 1);
  const double h = std::max<double>(1.0, std::fabs(static_cast<double>(r.y1) - r.y2) + 1);
  f = std::min(c.GetSizeVP().cx / w, c.GetSizeVP().cy / h);
  centre = SSymPoint(static_cast<LONG>((static_cast<long long>(r.x1) + r.x2) / 2),
                     static_cast<LONG>((static_cast<long long>(r.y1) + r.y2) / 2));
}
}  // namespace

void SSymCanvas::ZoomRect(const SSymRect& r) {
  double f;
  SSymPoint c;
  ZoomFactor(*this, r, f, c);
  SetZoomLevel(m_dZoom * f * 0.95, c);
}

void SSymCanvas::ZoomRectNoMargin(const SSymRect& r) {
  double f;
  SSymPoint c;
  ZoomFactor(*this, r, f, c);
  SetZoomLevel(m_dZoom * f, c);
}

void SSymCanvas::ZoomOutRect(const SSymRect& r) {
  double f;
  SSymPoint c;
  ZoomFactor(*this, r, f, c);
  SetZoomLevel(f != 0.0 ? m_dZoom / f * 1.05 : ScaleMax, c);
}

// ---- lock protocol ----------------------------------------------------------------------

void SSymCanvas::Lock(SDC& dc) {
  if (m_bOffScreen) {
    if (!g_pSharedDC) g_pSharedDC = new SDC();
    if (!g_pSharedBitmap) g_pSharedBitmap = new SBitmap();
    m_pTargetDC = &dc;
    m_pDC = g_pSharedDC;
    if (g_sharedSize.cx >= m_sizeDP.cx && g_sharedSize.cy >= m_sizeDP.cy && g_pSharedDC->IsValid() &&
        g_sharedSize.cx > 0 && g_sharedSize.cy > 0) {
      m_bLocked = 1;
      return;
    }
    if (g_pSharedDC->IsValid()) {
      g_pSharedDC->SelectStockObject(DEFAULT_PALETTE);  // no-op when palettes are absent
      g_pSharedDC->DeleteDC();
      g_pSharedBitmap->DeleteObject();
    }
    bool ok = g_pSharedDC->CreateCompatibleDC(&dc) != FALSE;
    if (ok && !g_failOffScreen)
      ok = g_pSharedBitmap->CreateCompatibleBitmap(&dc, m_sizeDP.cx, m_sizeDP.cy) != FALSE;
    else
      ok = false;
    if (ok) {
      g_pSharedDC->SelectObject(*g_pSharedBitmap);
      g_pSharedDC->SetBkColor(m_bkBrush.GetColor().GetColor());
      g_sharedSize = m_sizeDP;
    } else {
      m_bOffScreen = 0;
      g_pSharedDC->DeleteDC();
      g_pSharedBitmap->DeleteObject();
      m_pTargetDC = nullptr;
      m_pDC = &dc;
      g_sharedSize = SIZE{0, 0};
    }
  } else {
    m_pDC = &dc;
  }
  m_bLocked = 1;
}

void SSymCanvas::Unlock() {
  if (m_bOffScreen && m_pTargetDC && m_pDC) {
    m_pTargetDC->BitBlt(m_rcCopy.left, m_rcCopy.top, m_rcCopy.right - m_rcCopy.left, m_rcCopy.bottom - m_rcCopy.top,
                        m_pDC, m_rcCopy.left, m_rcCopy.top, SRCCOPY);
    m_pTargetDC = nullptr;
  }
  m_bLocked = 0;
  m_pDC = nullptr;
  m_bDrawingPath = 0;
}

void SSymCanvas::TerminateSharedDC() {
  if (g_pSharedDC) {
    g_pSharedDC->DeleteDC();
    delete g_pSharedDC;
    g_pSharedDC = nullptr;
  }
  if (g_pSharedBitmap) {
    g_pSharedBitmap->DeleteObject();
    delete g_pSharedBitmap;
    g_pSharedBitmap = nullptr;
  }
  g_sharedSize = SIZE{0, 0};
}

// ---- paths -----------------------------------------------------------------------------------

int SSymCanvas::BeginPath() {
  if (!m_pDC) return 0;
  m_bDrawingPath = 1;
  return m_pDC->BeginPath();
}
int SSymCanvas::EndPath() {
  if (!m_pDC) return 0;
  m_bDrawingPath = 0;
  return m_pDC->EndPath();
}
int SSymCanvas::AbortPath() {
  if (!m_pDC) return 0;
  m_bDrawingPath = 0;
  return m_pDC->AbortPath();
}
int SSymCanvas::CloseFigure() { return m_pDC ? m_pDC->CloseFigure() : 0; }
int SSymCanvas::StrokePath() { return m_pDC ? m_pDC->StrokePath() : 0; }
int SSymCanvas::FlattenPath() { return m_pDC ? m_pDC->FlattenPath() : 0; }
int SSymCanvas::WidenPath() { return m_pDC ? m_pDC->WidenPath() : 0; }
int SSymCanvas::GetPath(POINT* pts, unsigned char* types, int count) const {
  return m_pDC ? m_pDC->GetPath(pts, types, count) : 0;
}
HRGN SSymCanvas::PathToRegion() { return m_pDC ? m_pDC->PathToRegion() : nullptr; }
