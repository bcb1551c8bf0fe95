// The printer canvas.
#include "sym/render/symcanvprinter.h"

#include <algorithm>

const int SSymCanvasPrinter::CornerSize = 1417;
const int SSymCanvasPrinter::HorzMargin = 500;
const int SSymCanvasPrinter::VertMargin = 500;

KV_IMPLEMENT_CLASSINFO(SSymCanvasPrinter, SSymCanvas);

namespace {
int ClampInt(double v) { return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0)); }
}  // namespace

SSymCanvasPrinter::SSymCanvasPrinter(const SPrinterCache& cache, const SString& title, SSymPrintData& data,
                                     SSymSize pageSize)
    : m_cache(cache), m_data(data), m_title(title), m_pageSize(pageSize) {
  m_dZoom = 100.0;
}

SSymCanvasPrinter::~SSymCanvasPrinter() {
  if (m_bLockedDoc || m_bLocked) Unlock();
  if (m_dc.IsValid()) {
    m_dc.m_nFlag = 0;
    m_dc.DeleteDC();
  }
}

void SSymCanvasPrinter::AttachDC(HDC hdc, bool own) {
  if (m_bLockedDoc) return;
  if (m_dc.IsValid()) m_dc.DeleteDC();
  if (hdc) m_dc.Attach(hdc, own);
  m_bMadeDC = false;
}

// ---- scale -----------------------------------------------------------------------------------

void SSymCanvasPrinter::InitScale(SDC& dc) {
  m_ppiX = dc.GetDeviceCaps(LOGPIXELSX);
  m_ppiY = dc.GetDeviceCaps(LOGPIXELSY);
  // The printable resolution in thousandths of an inch (pixels when the
  // pixels per inch are unknown).
  int resX = dc.GetDeviceCaps(HORZRES), resY = dc.GetDeviceCaps(VERTRES);
  if (m_ppiX > 0) resX = MulDiv(resX, 1000, m_ppiX);
  if (m_ppiY > 0) resY = MulDiv(resY, 1000, m_ppiY);
  const RECT m = m_cache.GetMargins();
  long long availW = static_cast<long long>(resX) - m.left - m.right;
  long long availH = static_cast<long long>(resY) - m.top - m.bottom;
  // Margins that leave nothing give the whole paper (never a scale of zero
  // or below, which would turn the drawing over).
  if (availW <= 0) availW = resX;
  if (availH <= 0) availH = resY;
  const double scale = GetPrintScale();
  // A page size that is not positive is taken as the printable size.
  const double fitX = m_pageSize.cx > 0 ? availW * 7.2 / m_pageSize.cx : 1.0;
  const double fitY = m_pageSize.cy > 0 ? availH * 7.2 / m_pageSize.cy : 1.0;
  m_scaleX = fitX * scale * m_ppiX / 720000.0;
  m_scaleY = fitY * scale * m_ppiY / 720000.0;
  m_ptOrg = POINT{0, 0};
  BuildTransformationMatrices();
}

SIZE SSymCanvasPrinter::GetFontSize(SSymCanvasScaler& s, LOGFONTW& lf) {
  const double k = std::min(s.GetScaleX(), s.GetScaleY());
  return SIZE{0, static_cast<LONG>(k * lf.lfHeight * 100.0)};
}

void SSymCanvasPrinter::SetFont(const SSymFont& font) {
  if (m_pMeasure) m_pMeasure->SetFont(font);
  SSymCanvas::SetFont(font);
}

// ---- document ------------------------------------------------------------------------------

int SSymCanvasPrinter::Lock() {
  if (m_bLockedDoc) return 1;
  if (!m_dc.IsValid()) {
    HDC h = m_cache.CreatePrinterDC();
    if (!h) {
      m_bFailed = true;
      return 0;
    }
    m_dc.Attach(h, true);
    m_bMadeDC = true;
  }
  m_dc.m_nFlag = 1;
  InitScale(m_dc);
  const RECT m = m_cache.GetMargins();
  m_ptOrg = POINT{m_ppiX > 0 ? MulDiv(m.left, m_ppiX, 1000) : m.left, m_ppiY > 0 ? MulDiv(m.top, m_ppiY, 1000) : m.top};
  BuildTransformationMatrices();
  SSymCanvas::Lock(m_dc);
  DOCINFOW info{static_cast<int>(sizeof(DOCINFOW)), m_title.c_str(), nullptr, nullptr, 0};
  if (m_dc.StartDoc(&info) <= 0) {
    SSymCanvas::Unlock();
    m_bFailed = true;
    return 0;
  }
  m_bLockedDoc = 1;
  m_bStarted = true;
  return 1;
}

int SSymCanvasPrinter::StartPage(const SSymRect& r, const SString& header, const SString& footer) {
  if (!m_bLockedDoc || !m_pDC) return 0;
  if (m_bInPage) EndPage();
  SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0)));
  SSymRect n(r);
  n.Normalize();
  const double w = static_cast<double>(n.x2) - n.x1 + 1, h = static_cast<double>(n.y1) - n.y2 + 1;
  m_sizeDP = SIZE{ClampInt(w * m_scaleX + 0.5), ClampInt(h * m_scaleY + 0.5)};
  m_sizeVP = SIZE{ClampInt(w), ClampInt(h)};
  m_rcView = n;
  BuildTransformationMatrices();
  if (m_dc.StartPage() <= 0) {
    m_bFailed = true;
    return 0;
  }
  m_bInPage = 1;
  const LONG c = GetCornerLength();
  m_dc.SelectClipRgn(nullptr);
  if (m_data.m_bFrame) {
    SetBrush(SSymBrush(SSymBrush::Hollow, 0, SSymColor(0xFFFFFF)), 0);
    Rectangle(n);
  }
  if (m_data.m_bCorner) {
    const SSymPoint corners[4] = {{n.x1, n.y1}, {n.x2, n.y1}, {n.x2, n.y2}, {n.x1, n.y2}};
    for (const SSymPoint& p : corners) {
      const LONG dx = p.x == n.x1 ? c : -c;  // into the page
      const LONG dy = p.y == n.y1 ? -c : c;
      Line(p, SSymPoint(p.x + dx, p.y));
      Line(p, SSymPoint(p.x, p.y + dy));
    }
  }
  if (!header.IsEmpty() || !footer.IsEmpty()) {
    SSymFont font(SGetArialString(), 8, SSymFont::Normal);
    SetFont(font);
    SetFontColor(SSymColor(0));
    const LONG mid = static_cast<LONG>((static_cast<long long>(n.x1) + n.x2) / 2);
    if (!header.IsEmpty()) {
      const SSymSize e = GetTextExtent(header);
      const SSymRect box(mid - e.cx / 2 - 300, n.y1 + 30 + e.cy, mid + e.cx / 2 + 300, n.y1 + 30);
      DrawText(box, header, 0x211);
    }
    if (!footer.IsEmpty()) {
      const SSymSize e = GetTextExtent(footer);
      const SSymRect box(mid - e.cx / 2 - 300, n.y2 - 30, mid + e.cx / 2 + 300, n.y2 - 30 - e.cy);
      DrawText(box, footer, 0x211);
    }
  }
  RECT clip = VPtoDPRect(n);
  m_dc.IntersectClipRect(clip.left + 1, clip.top + 1, clip.right - 1, clip.bottom - 1);
  return 1;
}

int SSymCanvasPrinter::EndPage() {
  if (!m_bInPage) return 0;
  m_bInPage = 0;
  m_dc.SelectClipRgn(nullptr);
  if (m_dc.EndPage() <= 0) {
    m_bFailed = true;
    return 0;
  }
  return 1;
}

void SSymCanvasPrinter::Unlock() {
  if (m_bInPage) EndPage();
  SSymCanvas::Unlock();
  if (m_bLockedDoc) {
    m_bLockedDoc = 0;
    if (m_dc.EndDoc() <= 0) m_bFailed = true;
  }
  if (m_dc.IsValid()) {
    m_dc.m_nFlag = 0;
    m_dc.DeleteDC();
  }
  m_bMadeDC = false;
}

// ---- measuring ---------------------------------------------------------------------------------

int SSymCanvasPrinter::GetTextWidth(const SString& t, const SSymFont& f) {
  return m_pMeasure ? m_pMeasure->GetTextWidth(t, f) : SSymCanvas::GetTextWidth(t, f);
}
int SSymCanvasPrinter::GetTextHeight(const SString& t, const SSymFont& f) {
  return m_pMeasure ? m_pMeasure->GetTextHeight(t, f) : SSymCanvas::GetTextHeight(t, f);
}
int SSymCanvasPrinter::GetTextHeight(const SString& t, int style, int width) {
  return m_pMeasure ? m_pMeasure->GetTextHeight(t, style, width) : SSymCanvas::GetTextHeight(t, style, width);
}
int SSymCanvasPrinter::GetTextHeight(const SString& t) {
  return m_pMeasure ? m_pMeasure->GetTextHeight(t) : SSymCanvas::GetTextHeight(t);
}
SSymSize SSymCanvasPrinter::GetTextExtent(const SString& t, const SSymFont& f) {
  return m_pMeasure ? m_pMeasure->GetTextExtent(t, f) : SSymCanvas::GetTextExtent(t, f);
}
SSymSize SSymCanvasPrinter::GetTextExtent(const SString& t) {
  return m_pMeasure ? m_pMeasure->GetTextExtent(t) : SSymCanvas::GetTextExtent(t);
}
SSymSize SSymCanvasPrinter::GetWrapTextExtent(const SString& t, const SSymFont& f, int width) {
  return m_pMeasure ? m_pMeasure->GetWrapTextExtent(t, f, width) : SSymCanvas::GetWrapTextExtent(t, f, width);
}
SSymSize SSymCanvasPrinter::GetWrapTextExtent(const SString& t, int width) {
  return m_pMeasure ? m_pMeasure->GetWrapTextExtent(t, width) : SSymCanvas::GetWrapTextExtent(t, width);
}
SSymSize SSymCanvasPrinter::GetTruncTextExtent(const SString& t, const SSymFont& f, int width) {
  return m_pMeasure ? m_pMeasure->GetTruncTextExtent(t, f, width) : SSymCanvas::GetTruncTextExtent(t, f, width);
}
SSymSize SSymCanvasPrinter::GetTruncTextExtent(const SString& t, int width) {
  return m_pMeasure ? m_pMeasure->GetTruncTextExtent(t, width) : SSymCanvas::GetTruncTextExtent(t, width);
}
SSymSize SSymCanvasPrinter::GetRTFTextExtent(const SString& rtf, int width, int a, int b) {
  return m_pMeasure ? m_pMeasure->GetRTFTextExtent(rtf, width, a, b) : SSymCanvas::GetRTFTextExtent(rtf, width, a, b);
}
int SSymCanvasPrinter::GetRTFTextLength(const SString& rtf, int width, int height, int first) {
  return m_pMeasure ? m_pMeasure->GetRTFTextLength(rtf, width, height, first)
                    : SSymCanvas::GetRTFTextLength(rtf, width, height, first);
}
