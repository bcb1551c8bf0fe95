// The point-list trackers: a line drawn vertex by vertex, and a vertex or
// segment of an existing line dragged.
#include "sym/tools/symtrackerpoly.h"

#include "kvcore/scomds.h"
#include "kvcore/sdc.h"
#include "sym/composite/symswimcoln.h"
#include "sym/composite/symswimpool.h"
#include "sym/diagram/symview.h"
#include "sym/links/sympolybase.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symintfsymbol.h"
#include "sym/tools/symtoolview.h"

KV_IMPLEMENT_CLASSINFO(SSymTrackerPolyline, SSymTrackerStd);
KV_IMPLEMENT_CLASSINFO(SSymTrackerPoly, SSymTrackerStd);

namespace {
// Draws a point list with a pen under the exclusive-or mix, the context's
// mix restored after. A point repeated in a row is drawn once: a segment
// without length adds nothing, so a vertex just added (a copy of the last)
// leaves the drawing as it was and the next Hide takes it away exactly.
void XorPolyline(SSymCanvas* canvas, const SSymPen& pen, const SSymListPt& points) {
  SDC* dc = canvas ? canvas->GetCanvasDC() : nullptr;
  if (!dc || points.GetCount() < 2) return;
  SSymListPt drawn;
  for (const SSymPoint& p : points)
    if (drawn.GetCount() == 0 || !(drawn[drawn.GetCount() - 1] == p)) drawn.Add(p);
  if (drawn.GetCount() < 2) return;
  const int former = dc->SetROP2(R2_XORPEN);
  canvas->SetPen(pen);
  canvas->Polyline(drawn, 0);
  dc->SetROP2(former);
}
}  // namespace

// ---- a line drawn vertex by vertex --------------------------------------------------------------

SSymTrackerPolyline::SSymTrackerPolyline(SSymCanvas* canvas, const SSymListPt& points, int index)
    : SSymTrackerStd(canvas), m_points(points), m_nMoving(index) {
  SSymTrackerPolyline::Draw();
}

SSymTrackerPolyline::SSymTrackerPolyline(SSymCanvas* canvas, const SSymPoint& start)
    : SSymTrackerStd(canvas), m_points{start, start}, m_nMoving(1), m_bPending(1) {
  SSymTrackerPolyline::Draw();
}

SSymPoint SSymTrackerPolyline::TrackTo(SSymPoint p, SMouseFlags) {
  if (m_nMoving < 0 || m_nMoving >= m_points.GetCount()) return p;
  if (m_points[m_nMoving] == p) return p;
  Hide();
  m_points[m_nMoving] = p;
  Show();
  return m_points[m_nMoving];
}

void SSymTrackerPolyline::Draw() { XorPolyline(m_pCanvas, m_pen, m_points); }

void SSymTrackerPolyline::AddLastHandle() {
  if (m_nMoving < 0 || m_nMoving >= m_points.GetCount()) return;
  // The new segment has no length yet: nothing to redraw.
  const SSymPoint moving = m_points[m_nMoving];
  m_points.Add(moving);
  ++m_nMoving;
  m_bPending = 1;
}

void SSymTrackerPolyline::RollbackHandle() {
  // The first vertex of the line is never taken back.
  if (m_nMoving < 1 || m_nMoving >= m_points.GetCount()) return;
  Hide();
  m_points.Remove(m_nMoving);
  --m_nMoving;
  m_bPending = 0;
  Show();
}

// ---- a vertex or a segment of a line dragged ---------------------------------------------------

SSymTrackerPoly::SSymTrackerPoly(SSymCanvas* canvas, const SSymListPt& points, int index, const SSymPoint& start,
                                 ISSymPolyline* symbol, int closed, int extra)
    : SSymTrackerStd(canvas),
      m_points(points),
      m_nIndex(index),
      m_last(start),
      m_symbol(symbol),
      m_link(symbol),
      m_bClosed(closed),
      m_nExtra(extra) {
  const int n = m_points.GetCount();
  // An index outside the points and segments drags nothing.
  if (n > 0 && index >= 0 && index < 2 * n) {
    const bool segment = index >= n;
    const int i = segment ? index - n : index;
    if (i != 0 || closed) {
      m_band.Add(m_points[i == 0 ? n - 1 : i - 1]);
      m_bHasPredecessor = true;
    }
    m_band.Add(m_points[i]);
    int j = (i + 1) % n;
    if (segment) {
      m_band.Add(m_points[j]);
      j = (j + 1) % n;
    }
    if (j != 0 || closed) m_band.Add(m_points[j]);
  }
  SComWrap<ISSymbol> shape(symbol);
  if (!shape.IsNull() && shape->GetSymbolType() == SSymSwimLane::SeparatorTypeCode) {
    SSymSwimColn* line = SSymSwimColn::FromInterface(shape);
    SComWrap<ISSymSwimPool> pool(line ? line->GetSwimSym() : nullptr);
    m_nAxisLock = !pool.IsNull() && pool->IsVertical() ? 2 : 1;
  }
  SSymTrackerPoly::Draw();
}

SSymTrackerPoly::~SSymTrackerPoly() = default;

SSymPoint SSymTrackerPoly::TrackTo(SSymPoint p, SMouseFlags) {
  const int n = m_points.GetCount();
  const int b = BandStart();
  if (m_band.GetCount() < b + 1) return p;
  if (m_nIndex < n) {
    if (m_band[b] == p) return p;
    // A separator line is reshaped only by its segments.
    if (m_link.IsNull() && m_nAxisLock) return m_band[b];
    Hide();
    m_band[b] = p;
    Show();
    return m_band[b];
  }
  if (p == m_last || m_band.GetCount() < b + 2) return m_last;
  SSymSize d(p.x - m_last.x, p.y - m_last.y);
  bool moveFirst = true, moveLast = true;
  if (!m_link.IsNull()) {
    // An end segment of a link keeps its end on the attached symbol.
    auto staysOn = [this, &d](int end, const SSymPoint& at) {
      SComWrap<ISSymbol> attached;
      if (FAILED(m_link->GetAttachSym(end, &attached)) || attached.IsNull() || !m_pCanvas) return true;
      SComWrap<ISSymLinkable> linkable(attached);
      return linkable.IsNull() || linkable->IsLinkPtInSym(*m_pCanvas, SSymPoint(at.x + d.cx, at.y + d.cy), m_link, end);
    };
    if (m_nIndex == n) moveFirst = staysOn(0, m_band[b]);
    if (m_nIndex == 2 * n - 2) moveLast = staysOn(1, m_band[b + 1]);
  } else if (m_nAxisLock == 1) {
    d.cx = 0;
  } else if (m_nAxisLock == 2) {
    d.cy = 0;
  }
  Hide();
  m_last = p;
  if (moveFirst) m_band[b] = SSymPoint(m_band[b].x + d.cx, m_band[b].y + d.cy);
  if (moveLast) m_band[b + 1] = SSymPoint(m_band[b + 1].x + d.cx, m_band[b + 1].y + d.cy);
  Show();
  return m_last;
}

void SSymTrackerPoly::Draw() {
  if (m_band.GetCount() < 2) return;
  SSymListPt shown = m_band;
  if (!m_link.IsNull()) {
    // The link rebuilds its path between the two ends (a routed path).
    auto* line = dynamic_cast<SSymPolyBase*>(SSymBase::FromInterface(m_symbol));
    if (line && line->ConstructTempListPt(&shown, 0)) {
      shown.Insert(0, m_band[0]);
      shown.Add(m_band[m_band.GetCount() - 1]);
    }
  }
  XorPolyline(m_pCanvas, m_pen, shown);
}

int SSymTrackerPoly::IsEndPoint() {
  const int n = m_points.GetCount();
  return m_nIndex == 0 || m_nIndex == n - 1 ? 1 : 0;
}

ISSymbol* SSymTrackerPoly::GetFinalSym(SSymViewEdit* view, const SSymPoint& point) {
  SSymView* v = SSymToolDiagramView(view);
  if (!v) return nullptr;
  ISSymbol* hit = v->HitTest(point, 0, nullptr);
  SSymSwimLane* pool = hit ? SSymSwimLane::FromInterface(hit) : nullptr;
  if (!pool) return hit;
  SUnsortedComBag<ISSymbol> lanes;
  pool->GetAllLane(lanes, 1);
  for (int i = 0; i < lanes.GetOrderCount(); ++i) {
    ISSymbol* lane = lanes.GetOrderAt(i);
    if (lane && lane->GetClipRect(0, 0).PtInRect(point)) return lane;
  }
  return hit;
}

const SSymListPt& SSymTrackerPoly::GetFinalListPt() {
  const int n = m_points.GetCount();
  if (n == 0 || m_band.GetCount() == 0) return m_points;
  int i = m_nIndex % n;
  int k = (i != 0 || m_bClosed) ? 1 : 0;
  if (m_nIndex >= n && k < m_band.GetCount()) {
    m_points[i] = m_band[k];
    ++k;
    i = (i + 1) % n;
  }
  if (k < m_band.GetCount()) m_points[i] = m_band[k];
  return m_points;
}
