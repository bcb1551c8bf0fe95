// The metafile canvas, and the line-by-line text it shares with the report
// canvases.
#include "sym/render/symcanvmeta.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "win/emf.h"

KV_IMPLEMENT_CLASSINFO(SSymCanvasMetafile, SSymCanvas);

namespace {

constexpr double kHiMetricScale = 0.3527777777777778;  // 0.01 mm per diagram unit

int ClampInt(long long v) { return static_cast<int>(std::clamp<long long>(v, -0x7FFFFFFFLL, 0x7FFFFFFFLL)); }

// An enhanced metafile of old-style records drawn in 0.01 mm: a placeable
// header (1 inch = 2540 units) tells the size when the box fits its words.
HENHMETAFILE ToEnhanced(HMETAFILE hmf, const RECT& device) {
  const UINT n = GetMetaFileBitsEx(hmf, 0, nullptr);
  if (!n) return nullptr;
  std::vector<BYTE> bytes(22 + static_cast<std::size_t>(n));
  if (GetMetaFileBitsEx(hmf, n, bytes.data() + 22) != n) return nullptr;
  const BYTE* data = bytes.data() + 22;
  UINT size = n;
  if (device.right > 0 && device.bottom > 0 && device.right <= 0x7FFF && device.bottom <= 0x7FFF) {
    std::uint16_t w[11] = {};
    w[0] = 0xCDD7;
    w[1] = 0x9AC6;  // key
    w[3] = 0;
    w[4] = 0;
    w[5] = static_cast<std::uint16_t>(device.right);
    w[6] = static_cast<std::uint16_t>(device.bottom);
    w[7] = 2540;  // units per inch
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= w[i];
    w[10] = sum;
    for (int i = 0; i < 11; ++i) {
      bytes[static_cast<std::size_t>(2 * i)] = static_cast<BYTE>(w[i] & 0xFF);
      bytes[static_cast<std::size_t>(2 * i + 1)] = static_cast<BYTE>(w[i] >> 8);
    }
    data = bytes.data();
    size = n + 22;
  }
  return SetWinMetaFileBits(size, data, nullptr, nullptr);
}

}  // namespace

// ---- line-by-line text ------------------------------------------------------------------------

void SSymDrawTextLines(SSymCanvas& c, SDC* dc, const SString& text, const SSymRect& r, int flags, bool band) {
  if (!dc || !dc->IsValid() || text.IsEmpty()) return;
  const RECT rc = c.VPtoDPRect(r);
  const SSymCanvasScaler& s = c.GetZoom() < 100.0 ? c.m_scaler : c.m_scalerInit;
  SSymFont font;
  c.GetFont(font);
  const LONG angle = font.m_angle;
  // Lines are written over a transparent background; an opaque background
  // asked for by the text's style (the background mode the canvas chose)
  // becomes the box of each line's cell, filled with the background colour.
  const bool opaque = dc->GetBkMode() == OPAQUE;
  dc->SetBkMode(TRANSPARENT);
  auto out = [&](long long x, long long y, const RECT& cell, const SString& line) {
    RECT box = rc;
    UINT options = ETO_CLIPPED;
    if (opaque && ::IntersectRect(&box, &rc, &cell)) options |= ETO_OPAQUE;
    else box = rc;
    dc->ExtTextOut(ClampInt(x), ClampInt(y), options, &box, line);
  };
  // An empty line takes the height of a blank.
  const SSymSize blank = c.GetTextExtent(SString(u" "));
  auto size = [&](const SString& line) {
    const SSymSize e = line.IsEmpty() ? SSymSize(0, blank.cy) : c.GetTextExtent(line);
    return SIZE{static_cast<LONG>(e.cx * s.GetScaleX()), static_cast<LONG>(e.cy * s.GetScaleY())};
  };
  const std::vector<SString> lines = SSplitLines(text);
  if (angle == 900 || angle == 2700) {
    bool first = true;
    long long x = rc.left;
    for (const SString& line : lines) {
      const SIZE sz = size(line);
      if (first && (flags & DT_CENTER)) x = (rc.left + rc.right) / 2 - sz.cy / 2;
      first = false;
      if (x >= rc.right) break;
      if (sz.cy <= 0) break;  // nothing measurable: no column can advance
      long long y;
      if (angle == 900) {
        // Upward from the bottom: DT_RIGHT ends the line at the top.
        if (flags & DT_CENTER)
          y = (rc.top + rc.bottom) / 2 + sz.cx / 2;
        else if (flags & DT_RIGHT)
          y = static_cast<long long>(rc.top) + sz.cx + 1;
        else
          y = rc.bottom - 1;
        y = std::min<long long>(y, rc.bottom - 1);
        const RECT cell{ClampInt(x), ClampInt(y - sz.cx), ClampInt(x + sz.cy), ClampInt(y)};
        if (!line.IsEmpty()) out(x, y, cell, line);
      } else {
        // Downward from the top; the glyphs lie left of the reference point,
        // so the column's reference is its right edge.
        if (flags & DT_CENTER)
          y = (rc.top + rc.bottom) / 2 - sz.cx / 2;
        else if (flags & DT_RIGHT)
          y = static_cast<long long>(rc.bottom) - 1 - sz.cx;
        else
          y = rc.top;
        y = std::max<long long>(y, rc.top);
        const RECT cell{ClampInt(x), ClampInt(y), ClampInt(x + sz.cy), ClampInt(y + sz.cx)};
        if (!line.IsEmpty()) out(x + sz.cy, y, cell, line);
      }
      x += sz.cy;
    }
    return;
  }
  long long y = rc.top;
  // One line placed in the middle or at the bottom, as the platform DrawText
  // would place it (ExtTextOut knows no vertical alignment).
  if (!band && (flags & DT_SINGLELINE) && (flags & (DT_VCENTER | DT_BOTTOM)) && !lines.empty()) {
    const long long h = size(lines.front()).cy;
    y = (flags & DT_VCENTER) ? rc.top + (static_cast<long long>(rc.bottom) - rc.top - h) / 2
                             : static_cast<long long>(rc.bottom) - h;
    y = std::max<long long>(y, rc.top);
  }
  for (const SString& line : lines) {
    if (y >= rc.bottom) break;
    const SIZE sz = size(line);
    if (!line.IsEmpty()) {
      if (band) {
        RECT b{rc.left, ClampInt(y), rc.right, rc.bottom};
        dc->DrawText(line, &b, static_cast<UINT>(flags));
      } else {
        long long x = rc.left;
        if (flags & DT_CENTER)
          x = (rc.left + rc.right) / 2 - sz.cx / 2;
        else if (flags & DT_RIGHT)
          x = static_cast<long long>(rc.right) - sz.cx - 1;
        out(x, y, RECT{ClampInt(x), ClampInt(y), ClampInt(x + sz.cx), ClampInt(y + sz.cy)}, line);
      }
    }
    if (sz.cy <= 0) break;
    y += sz.cy;
  }
}

// ---- metafile canvas ----------------------------------------------------------------------------

SSymCanvasMetafile::SSymCanvasMetafile(int enhanced) : m_bEnhanced(enhanced ? 1 : 0) {}

SSymCanvasMetafile::~SSymCanvasMetafile() {
  if (m_bMetaLocked || m_bLocked) Unlock(nullptr);
}

void SSymCanvasMetafile::Lock(const SSymRect& r) {
  if (m_bMetaLocked || m_bLocked) Unlock(nullptr);  // a recording left open is dropped
  m_rcLock = r;
  SSymRect n(r);
  n.Normalize();
  const long long w = static_cast<long long>(n.x2) - n.x1 + 1, h = static_cast<long long>(n.y1) - n.y2 + 1;
  m_dZoom = 100.0;
  m_nZoom = 100;
  m_sizeVP = SIZE{ClampInt(w), ClampInt(h)};
  HDC rec = nullptr;
  if (m_bEnhanced) {
    SScreenDC screen;
    const int px = screen.GetDeviceCaps(LOGPIXELSX), py = screen.GetDeviceCaps(LOGPIXELSY);
    m_rcDevice = RECT{0, 0, MulDiv(px, ClampInt(w), 7200), MulDiv(py, ClampInt(h), 7200)};
    m_ptOrg = POINT{0, 0};
    m_scaleX = px / 7200.0;
    m_scaleY = py / 7200.0;
    m_sizeDP = SIZE{m_rcDevice.right, m_rcDevice.bottom};
    m_rcView = n;
    BuildTransformationMatrices();
    // The frame: the extent corrected by the screen's ratio of logical to
    // physical pixels per inch, grown by 75 units on every side, in 0.01 mm.
    double cw = static_cast<double>(w), ch = static_cast<double>(h);
    const int hres = screen.GetDeviceCaps(HORZRES), vres = screen.GetDeviceCaps(VERTRES);
    const int hsize = screen.GetDeviceCaps(HORZSIZE), vsize = screen.GetDeviceCaps(VERTSIZE);
    if (hres > 0 && hsize > 0) cw *= px / (hres * 25.4 / hsize);
    if (vres > 0 && vsize > 0) ch *= py / (vres * 25.4 / vsize);
    auto hm = [](double v) { return static_cast<LONG>(std::clamp(v * 254.0 / 720.0, -2e9, 2e9)); };
    m_rcFrame = RECT{hm(-75), hm(-75), hm(cw + 75), hm(ch + 75)};
    rec = ::CreateEnhMetaFileW(nullptr, nullptr, &m_rcFrame, nullptr);
  } else {
    const LONG dw = ClampInt(w * 254 / 720), dh = ClampInt(h * 254 / 720);
    m_rcDevice = RECT{0, 0, dw, dh};
    m_scaleX = m_scaleY = kHiMetricScale;
    m_ptOrg = POINT{0, dh};
    m_sizeDP = SIZE{dw, dh};
    m_rcView = SSymRect(n.x1, n.y2, n.x2, n.y1);
    BuildTransformationMatrices();
    m_rcFrame = m_rcDevice;
    rec = ::CreateMetaFileW(nullptr);
  }
  if (!rec) return;  // no context: drawing does nothing
  m_dc.Attach(rec);
  m_bMetaLocked = 1;
  SSymCanvas::Lock(m_dc);
}

void SSymCanvasMetafile::Unlock(SMetaFile* mf) {
  SSymCanvas::Unlock();
  HENHMETAFILE emf = nullptr;
  if (m_bMetaLocked && m_dc.IsValid()) {
    HDC rec = m_dc.Detach();
    if (m_bEnhanced) {
      emf = ::CloseEnhMetaFile(rec);
    } else if (HMETAFILE wmf = ::CloseMetaFile(rec)) {
      emf = ToEnhanced(wmf, m_rcDevice);
      ::DeleteMetaFile(wmf);
    }
  }
  m_bMetaLocked = 0;
  if (mf) {
    mf->DeleteMetaFile();
    if (emf) mf->Attach(emf);
  } else if (emf) {
    ::DeleteEnhMetaFile(emf);
  }
}

SDC* SSymCanvasMetafile::GetCanvasDC() { return m_bEnhanced ? m_pDC : m_pMeasureDC; }

void SSymCanvasMetafile::DrawText(const SString& text, const SSymRect& r, int flags) {
  // Glyphs filled with the brush (a gradient or a picture) are a path of the
  // text filled as the other targets fill it.
  if (m_bFillText) {
    SSymCanvas::DrawText(text, r, flags);
    return;
  }
  SSymDrawTextLines(*this, m_pDC, text, r, flags, false);
}
