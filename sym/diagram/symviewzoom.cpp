// Zoom and scrolling of the diagram window.
//
// The canvas holds the zoom (100 = actual size) and the view centre; the
// view changes them only through the canvas's SetZoomLevel and its fitting
// operations. Every change of zoom or centre saves the view before it on a
// history of ten entries (Previous View, Next View), except a zoom request
// that leaves the zoom as it is.
//
// The scroll bars do not follow the zoom: both span the whole viewport (the
// drawable world) with the fixed range -3600..3600, so that 7200 scroll
// units always stand for the viewport's extent. A bar's page is the share of
// the viewport the window shows; a window that shows all of it gets a page
// of 7201 and cannot scroll. Logical y grows upward, a bar's position
// downward: the vertical bar measures from the viewport's top.
#include <algorithm>
#include <cmath>

#include "kvcore/sprintercache.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symview.h"
#include "win/winuser.h"

namespace {

constexpr double kZoomMin = 2.0;
constexpr double kZoomMax = 5000.0;
constexpr int kBarMin = -3600;
constexpr int kBarMax = 3600;
constexpr double kBarSpan = 7200.0;
// Scroll units a bar may run past its far end, and the margin the near end
// gets to match: the viewport's border stays in sight at both ends.
constexpr int kBarOverrun = 150;
// Logical units the view is pushed inside the viewport past a border it crossed.
constexpr long long kViewportInset = 150;

LONG Saturate(long long v) { return static_cast<LONG>(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); }

// One axis of a normalised rectangle: x for the horizontal bar, y for the
// vertical one (lo the smaller coordinate).
struct Axis {
  long long lo = 0, hi = 0;
  long long Extent() const { return hi - lo + 1; }  // inclusive
};
Axis AxisOf(const SSymRect& r, int bar) {
  return bar == SB_HORZ ? Axis{r.GetMinX(), r.GetMaxX()} : Axis{r.GetMinY(), r.GetMaxY()};
}

// Both zoom values agree to 1/100.
bool SameHundredth(double a, double b) {
  return static_cast<long long>(a * 100.0) == static_cast<long long>(b * 100.0);
}

}  // namespace

// ---- history ----------------------------------------------------------------------------------

void SSymView::ScaleSave() {
  if (m_nHistCount >= HistorySize) {
    std::move(m_history + 1, m_history + HistorySize, m_history);
    m_nHistCount = HistorySize - 1;
  }
  const SSymPoint c = m_canvas.GetViewCenter();
  m_history[m_nHistCount] = HistoryEntry{c.x, c.y, m_canvas.GetZoom()};
  m_nHistPos = ++m_nHistCount;
}

void SSymView::ScalePrevView() {
  if (m_nHistCount == 0 || m_nHistPos == 0) return;
  const HistoryEntry& e = m_history[m_nHistPos - 1];
  m_canvas.SetZoomLevel(e.zoom, SSymPoint(e.x, e.y));
  --m_nHistPos;
  UpdateScrollBars(1);
  InvalidateAll(1);
}

void SSymView::ScaleNextView() {
  if (m_nHistCount == 0 || m_nHistPos >= m_nHistCount) return;
  const HistoryEntry& e = m_history[m_nHistPos];
  m_canvas.SetZoomLevel(e.zoom, SSymPoint(e.x, e.y));
  ++m_nHistPos;
  UpdateScrollBars(1);
  InvalidateAll(1);
}

// ---- zoom -------------------------------------------------------------------------------------

// A request without a number (NaN) asks for no zoom and changes nothing;
// any other value is held within the limits.
void SSymView::ScaleTo(double zoom) {
  if (std::isnan(zoom)) return;
  zoom = std::clamp(zoom, kZoomMin, kZoomMax);
  LockCanvas lock(this);
  if (zoom == m_canvas.GetZoom()) return;
  ScaleSave();
  m_canvas.SetZoomLevel(zoom, m_canvas.GetViewCenter());
  UpdateScrollBars(1);
  InvalidateAll(1);
}

void SSymView::ScaleTo(double zoom, const SSymPoint& center) {
  if (std::isnan(zoom)) return;
  zoom = std::clamp(zoom, kZoomMin, kZoomMax);
  LockCanvas lock(this);
  if (SameHundredth(zoom, m_canvas.GetZoom()) && center == m_canvas.GetViewCenter()) return;
  ScaleSave();
  m_canvas.SetZoomLevel(zoom, center);
  KeepInViewport();
  UpdateScrollBars(1);
  InvalidateAll(1);
}

void SSymView::KeepInViewport() {
  SSymRect r = m_canvas.GetViewportVP();
  r.Normalize();
  SSymRect v = m_viewport;
  v.Normalize();
  if (Intersect(r, v) == r) return;
  // Per axis: a window wider than the viewport is centred on 0; one that
  // crosses a border is pushed back inside it with a small margin.
  auto place = [](Axis w, Axis port, bool& centre) -> long long {
    centre = port.Extent() < w.Extent();
    if (centre) return 0;
    if (w.lo < port.lo) return port.lo - w.lo + kViewportInset;
    if (w.hi > port.hi) return -(w.hi - port.hi + kViewportInset);
    return 0;
  };
  bool centreX = false, centreY = false;
  const Axis wx = AxisOf(r, SB_HORZ), wy = AxisOf(r, SB_VERT);
  const long long dx = place(wx, AxisOf(v, SB_HORZ), centreX);
  const long long dy = place(wy, AxisOf(v, SB_VERT), centreY);
  const SSymPoint c(centreX ? 0 : Saturate((wx.lo + wx.hi + 2 * dx) / 2),
                    centreY ? 0 : Saturate((wy.lo + wy.hi + 2 * dy) / 2));
  m_canvas.SetZoomLevel(m_canvas.GetZoom(), c);
}

void SSymView::ScaleToRect(const SSymRect& r, int margin) {
  ScaleSave();
  if (margin)
    m_canvas.ZoomRect(r);
  else
    m_canvas.ZoomRectNoMargin(r);
  UpdateScrollBars(1);
  InvalidateAll(1);
}

void SSymView::ScaleOutToRect(const SSymRect& r) {
  ScaleSave();
  m_canvas.ZoomOutRect(r);
  UpdateScrollBars(1);
  InvalidateAll(1);
}

void SSymView::ScaleToUsedPages() {
  if (!m_pDiagram) return;
  LockCanvas lock(this);
  // The pages as painted: the default paper until the diagram's is known.
  if (m_canvas.GetPaperSize().cx <= 0 || m_canvas.GetPaperSize().cy <= 0)
    m_canvas.SetPaperSize(m_canvas.GetDefPaperSize());
  const SSymRect used = m_pDiagram->GetClipRect();
  ScaleToRect(m_canvas.GetPaperRect(used), 1);
}

// The printable page of the diagram's printer settings, enlarged by the
// print scale: at 50 % one printed page holds twice the diagram's width. A
// scale of 0 or below (an unset or damaged attribute) counts as 100 % rather
// than dividing by zero.
void SSymView::UpdatePaperSize() {
  SSymDiagramImpl* d = SSymDiagramImpl::FromDiagram(m_pDiagram);
  if (d) SetPaperScale(d->GetEffectiveScale());
}

void SSymView::SetPaperScale(double percent) {
  SSymDiagramImpl* d = SSymDiagramImpl::FromDiagram(m_pDiagram);
  SPrinterCache* setup = d ? d->GetPageSetup() : nullptr;
  if (!setup || !(percent > 0)) return;
  const SIZE page = setup->GetAvailablePageSizeInPoints(500, 500);
  const double scale = percent / 100.0;
  m_canvas.SetPaperSize(SSymSize(SSymTruncate(page.cx / scale), SSymTruncate(page.cy / scale)));
}

// ---- scroll bars ------------------------------------------------------------------------------

void SSymView::SetViewportRect(SSymRect& r) { m_viewport = r; }

bool SSymView::ComputeScrollInfo(int bar, SCROLLINFO& si) {
  const SIZE shown = m_canvas.GetSizeVP();
  if ((bar == SB_HORZ ? shown.cx : shown.cy) <= 0) return false;
  SSymRect r = m_canvas.GetViewportVP();
  r.Normalize();
  SSymRect v = m_viewport;
  v.Normalize();
  const Axis w = AxisOf(r, bar), port = AxisOf(v, bar);
  si.cbSize = sizeof si;
  si.nMin = kBarMin;
  si.nMax = kBarMax;
  const long long page = w.Extent() * static_cast<long long>(kBarSpan) / port.Extent();
  si.nPage = page > static_cast<long long>(kBarSpan) ? UINT(kBarSpan) + 1 : UINT(page);
  // The distance from the viewport's left (top) border to the window's.
  const long long from = bar == SB_HORZ ? w.lo - port.lo : port.hi - w.hi;
  const long long pos = static_cast<long long>(double(from) / double(port.Extent()) * kBarSpan + 0.5) + kBarMin;
  si.nPos = int(std::clamp<long long>(pos, kBarMin, kBarMax));
  si.nTrackPos = si.nPos;
  return true;
}

void SSymView::UpdateScrollBars(int range) {
  if (!(m_nState & StateScrollBars) || !m_hWnd) return;
  for (int bar : {SB_HORZ, SB_VERT}) {
    SCROLLINFO si{};
    if (!ComputeScrollInfo(bar, si)) continue;
    si.fMask = SIF_POS;
    if (range) si.fMask |= SIF_RANGE | SIF_PAGE;
    // The print dialog's page selection keeps its bars in place.
    if (m_pPrintDlg) si.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(bar, &si, TRUE);
  }
}

void SSymView::OnHScroll(UINT code, UINT pos, SWnd*) { ScrollByCode(SB_HORZ, code, static_cast<short>(pos & 0xFFFF)); }
void SSymView::OnVScroll(UINT code, UINT pos, SWnd*) { ScrollByCode(SB_VERT, code, static_cast<short>(pos & 0xFFFF)); }

void SSymView::ScrollByCode(int bar, UINT code, int thumb) {
  // A view without bars of its own scrolls as its bars would.
  SCROLLINFO si{};
  const bool hasBar = m_hWnd && (m_nState & StateScrollBars) && GetScrollInfo(bar, &si, SIF_ALL);
  if (!hasBar && !ComputeScrollInfo(bar, si)) return;
  const int page = int(std::min<UINT>(si.nPage, UINT(kBarSpan) + 1));
  const int step = std::max(page / 40, 1);
  const int last = si.nMax - page + kBarOverrun;
  int save = 1;
  int p = si.nPos;
  switch (code) {
    case SB_LINEUP: p -= step; break;
    case SB_LINEDOWN: p += step; break;
    case SB_PAGEUP: p -= 2 * page / 5; break;
    case SB_PAGEDOWN: p += 2 * page / 5; break;
    case SB_THUMBPOSITION:
      p = thumb;
      m_nState &= ~StateThumbTrack;
      save = 0;
      break;
    case SB_THUMBTRACK:
      // One history entry for a whole drag of the thumb.
      p = thumb;
      save = (m_nState & StateThumbTrack) ? 0 : 1;
      m_nState |= StateThumbTrack;
      break;
    case SB_TOP: p = si.nMin; break;
    case SB_BOTTOM: p = si.nMax; break;
    case SB_ENDSCROLL: m_nState &= ~StateThumbTrack; return;
    default: return;  // not a scroll code
  }
  p = std::clamp(p, si.nMin, std::max(si.nMin, last));

  SSymRect r = m_canvas.GetViewportVP();
  r.Normalize();
  SSymRect v = m_viewport;
  v.Normalize();
  const Axis w = AxisOf(r, bar), port = AxisOf(v, bar);
  const long long along = static_cast<long long>((p - kBarMin) / kBarSpan * double(port.Extent()) + 0.5);
  long long shift;
  if (w.lo < port.lo && w.hi > port.hi) {
    shift = -(w.lo + w.hi) / 2;  // a window larger than the viewport stays centred on 0
  } else if (bar == SB_HORZ) {
    long long left = port.lo + along;
    // At the start of the range the window keeps the margin it has at the end.
    if (left == port.lo) left += static_cast<long long>((-kBarOverrun - double(port.hi - port.lo) * kBarOverrun) / kBarSpan);
    shift = left - w.lo;
  } else {
    long long top = port.hi - along;
    if (top == port.hi) top -= static_cast<long long>((-kBarOverrun - double(port.hi - port.lo) * kBarOverrun) / kBarSpan);
    shift = top - w.hi;
  }
  // Whole device pixels, so that the picture moves without resampling.
  const LONG d = Saturate(shift);
  if (bar == SB_HORZ) {
    const SIZE px = m_canvas.VPtoDP(SSymSize(d, 0));
    OnScroll(m_canvas.DPtoVP(SIZE{px.cx, 0}).cx, 0, 1, save);
  } else {
    const SIZE px = m_canvas.VPtoDP(SSymSize(0, d));
    OnScroll(0, m_canvas.DPtoVP(SIZE{0, px.cy}).cy, 1, save);
  }
}

void SSymView::OnScroll(const SSymSize& d, int invalidate, int save) {
  if (save) ScaleSave();
  if (d.cx == 0 && d.cy == 0) return;
  const SSymPoint c = m_canvas.GetViewCenter();
  m_canvas.SetZoomLevel(m_canvas.GetZoom(), SSymPoint(Saturate(static_cast<long long>(c.x) + d.cx),
                                                      Saturate(static_cast<long long>(c.y) + d.cy)));
  UpdateScrollBars(0);
  if (invalidate) InvalidateAll(1);
}

void SSymView::OnScroll(int cx, int cy, int invalidate, int save) { OnScroll(SSymSize(cx, cy), invalidate, save); }

// ---- the wheel --------------------------------------------------------------------------------

// One line per message whatever the amount turned. With Ctrl the wheel
// zooms by 10 % about the point under the cursor, which stays where it is
// (unless a zoom limit holds the zoom back).
BOOL SSymView::OnMouseWheel(UINT flags, short delta, POINT pt) {
  // A sample keeps the framing its dialog gave it.
  if (m_nState & StatePreview) return TRUE;
  LockCanvas lock(this);
  if (!(flags & MK_CONTROL)) {
    const UINT code = delta > 0 ? SB_LINEUP : SB_LINEDOWN;
    if (flags & MK_SHIFT)
      OnHScroll(code, 0, nullptr);
    else
      OnVScroll(code, 0, nullptr);
    return TRUE;
  }
  RECT wr{};
  if (m_hWnd) GetWindowRect(&wr);
  const SSymPoint p = m_canvas.DPtoVP(POINT{pt.x - wr.left, pt.y - wr.top});
  SSymRect shown = m_canvas.GetViewportVP();
  const SSymPoint c = shown.Normalize().GetCenter();
  const double z = m_canvas.GetZoom();
  auto toward = [&](LONG from, LONG centre) {
    const double off = double(centre) - from;
    return SSymTruncate(from + (delta > 0 ? off / 1.1 : off * 1.1));
  };
  ScaleTo(delta > 0 ? z * 1.1 : z / 1.1, SSymPoint(toward(p.x, c.x), toward(p.y, c.y)));
  return TRUE;
}
