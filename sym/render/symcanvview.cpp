// The diagram window's canvas and the paper grid.
#include "sym/render/symcanvview.h"

#include <algorithm>

#include "sym/render/symviewsite.h"

KV_IMPLEMENT_CLASSINFO(SSymCanvasView, SSymCanvas);

namespace {

LONG Clamp32(long long v) {
  return static_cast<LONG>(std::clamp<long long>(v, -0x7FFFFFFFLL - 1, 0x7FFFFFFFLL));
}

// The page index division of the grid: truncating toward zero, and the
// offset left undivided for a non-positive paper dimension.
long long Corner(long long p, long long origin, long long paper) {
  const long long off = p - origin;
  if (paper <= 0) return off + origin;
  return (off / paper) * paper + origin;
}

}  // namespace

// ---- paper grid ---------------------------------------------------------------------------

void SSymPaperGrid::SetPaperSize(const SSymSize& s) {
  if (s.cx <= 0 || s.cy <= 0) return;
  m_paper = s;
  m_pagesX = SSymCanvas::SizeX / s.cx;
  if (m_pagesX % 2 == 0) ++m_pagesX;
  m_pagesY = SSymCanvas::SizeY / s.cy;
  if (m_pagesY % 2 == 0) ++m_pagesY;
  m_origin = SSymPoint(Clamp32(-(static_cast<long long>(s.cx) * m_pagesX) / 2),
                       Clamp32(-(static_cast<long long>(s.cy) * m_pagesY) / 2));
}

SSymSize SSymPaperGrid::GetPaperTotalSize() const {
  return SSymSize(Clamp32(static_cast<long long>(m_paper.cx) * m_pagesX),
                  Clamp32(static_cast<long long>(m_paper.cy) * m_pagesY));
}

SSymPoint SSymPaperGrid::GetPaperCorner(const SSymPoint& p) const {
  return SSymPoint(Clamp32(Corner(p.x, m_origin.x, m_paper.cx)), Clamp32(Corner(p.y, m_origin.y, m_paper.cy)));
}

SSymRect SSymPaperGrid::GetPaperRect(const SSymPoint& p) const {
  const SSymPoint c = GetPaperCorner(p);
  return SSymRect(c.x, Clamp32(static_cast<long long>(c.y) + m_paper.cy), Clamp32(static_cast<long long>(c.x) + m_paper.cx),
                  c.y);
}

SSymRect SSymPaperGrid::GetPaperRect(SSymRect& r) const {
  r.Normalize();
  const SSymPoint low = GetPaperCorner(SSymPoint(r.x1, r.y2));
  const SSymPoint high = GetPaperCorner(SSymPoint(r.x2, r.y1));
  SSymRect out(low.x, Clamp32(static_cast<long long>(high.y) + m_paper.cy),
               Clamp32(static_cast<long long>(high.x) + m_paper.cx), low.y);
  out.Normalize();
  return out;
}

void SSymPaperGrid::DrawPaperGrid(SSymCanvas& canvas, const SSymRect& rect) const {
  if (m_paper.cx <= 0 || m_paper.cy <= 0) return;
  SSymRect r(rect);
  r.Normalize();
  const long long gx1 = m_origin.x, gy1 = m_origin.y;
  const long long gx2 = gx1 + static_cast<long long>(m_paper.cx) * m_pagesX;
  const long long gy2 = gy1 + static_cast<long long>(m_paper.cy) * m_pagesY;
  // The part of r within the grid: where the lines run.
  const long long lx1 = std::max<long long>(r.x1, gx1), lx2 = std::min<long long>(r.x2, gx2);
  const long long ly1 = std::max<long long>(r.y2, gy1), ly2 = std::min<long long>(r.y1, gy2);
  if (lx1 > lx2 || ly1 > ly2) return;
  // Horizontal lines: the first grid y not below r's lower edge, up to the
  // smaller of r's upper edge and the grid's top.
  long long k = r.y2 > gy1 ? (static_cast<long long>(r.y2) - gy1 + m_paper.cy - 1) / m_paper.cy : 0;
  for (long long y = gy1 + k * m_paper.cy; y <= ly2; y += m_paper.cy)
    canvas.Line(SSymPoint(Clamp32(lx1), Clamp32(y)), SSymPoint(Clamp32(lx2), Clamp32(y)));
  k = r.x1 > gx1 ? (static_cast<long long>(r.x1) - gx1 + m_paper.cx - 1) / m_paper.cx : 0;
  for (long long x = gx1 + k * m_paper.cx; x <= lx2; x += m_paper.cx)
    canvas.Line(SSymPoint(Clamp32(x), Clamp32(ly2)), SSymPoint(Clamp32(x), Clamp32(ly1)));
}

// ---- view canvas ------------------------------------------------------------------------------

SSymCanvasView::SSymCanvasView() = default;

SSymCanvasView::~SSymCanvasView() {
  if (m_bLocked) SSymCanvas::Unlock();
}

void SSymCanvasView::Init(SSymView* view) {
  m_pView = view;
  ISSymViewSite* site = view ? SSymGetViewSite() : nullptr;
  const HWND hwnd = site ? site->GetSafeHwnd(view) : nullptr;
  SClientDC client(hwnd);
  if (client.IsValid() && hwnd) {
    InitScale(client);
  } else {
    // No window context (no window yet, or no window layer): the screen's
    // resolution, so that the canvas never scales by zero.
    SScreenDC screen;
    InitScale(screen);
  }
}

void SSymCanvasView::Lock(SDC& dc) {
  m_bLockChanged = 0;
  if (m_bLocked) {
    // The context drawn on by the interrupted lock (the target when buffering).
    SDC* current = m_pTargetDC ? m_pTargetDC : m_pDC;
    SSymCanvas::Unlock();
    m_pRememberedDC = current;
  }
  SSymCanvas::Lock(dc);
}

void SSymCanvasView::Unlock() {
  m_bLockChanged = 0;
  SSymCanvas::Unlock();
  if (m_pRememberedDC) {
    SDC* dc = m_pRememberedDC;
    m_pRememberedDC = nullptr;
    SSymCanvas::Lock(*dc);
  }
}

SSymRect SSymCanvasView::GetPaperRect(const SSymRect& r) {
  SSymRect n(r);
  return m_grid.GetPaperRect(n);
}

int SSymCanvasView::HasBackgroundBitmap() {
  ISSymViewSite* site = m_pView ? SSymGetViewSite() : nullptr;
  if (!site) return 0;
  SDrawBackground* bg = site->GetDrawBackground(m_pView);
  SDrawBackground* wm = site->GetDrawWatermark(m_pView);
  if ((bg && bg->HasPicture()) || (wm && wm->HasPicture())) return 1;
  return site->HasBackgroundPicture(m_pView) ? 1 : 0;
}

void SSymCanvasView::Invalidate(int erase) {
  ISSymViewSite* site = m_pView ? SSymGetViewSite() : nullptr;
  if (!site || (site->GetState(m_pView) & ISSymViewSite::StateSuspended)) return;
  site->InvalidateAll(m_pView, erase);
}

void SSymCanvasView::InvalidateRectLP(const SSymRect& r, int erase) { InvalidateRectDP(VPtoDP(r), erase); }

void SSymCanvasView::InvalidateRectDP(const RECT& r, int erase) {
  ISSymViewSite* site = m_pView ? SSymGetViewSite() : nullptr;
  if (!site || (site->GetState(m_pView) & ISSymViewSite::StateSuspended)) return;
  site->InvalidateRect(m_pView, r, erase);
}
