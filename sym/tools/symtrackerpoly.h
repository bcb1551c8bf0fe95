// The point-list trackers: a line drawn vertex by vertex (SSymTrackerPolyline)
// and one vertex or one segment of an existing line dragged
// (SSymTrackerPoly). Both draw with a dotted exclusive-or pen, so drawing
// twice restores the screen; they follow the tracker protocol of
// symtracker.h.
#pragma once

#include "kvcore/scomwrap.h"
#include "sym/foundation/symlistpt.h"
#include "sym/foundation/symvalues.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintflink.h"
#include "sym/tools/symtracker.h"

// A line being drawn: the vertices fixed so far and one that follows the
// pointer.
class SSymTrackerPolyline : public SSymTrackerStd {
  KV_DECLARE_CLASSINFO()

 public:
  // The points given, the vertex at `index` following the pointer.
  SSymTrackerPolyline(SSymCanvas* canvas, const SSymListPt& points, int index);
  // Two copies of `start`, the second following the pointer (pending).
  SSymTrackerPolyline(SSymCanvas* canvas, const SSymPoint& start);

  SSymPoint TrackTo(SSymPoint point, SMouseFlags flags) override;
  void Draw() override;
  // Fixes the moving vertex: a copy of it is appended and moves on (pending).
  virtual void AddLastHandle();
  // Confirms the vertex just added.
  virtual void CommitHandle() { m_bPending = 0; }
  // Takes back the vertex just added.
  virtual void RollbackHandle();

  const SSymListPt& GetPoints() const { return m_points; }
  int GetMovingIndex() const { return m_nMoving; }
  int IsPending() const { return m_bPending; }

 private:
  SSymListPt m_points;
  int m_nMoving = 1;
  SSymPen m_pen{SSymPen::Dot, 0, 0};
  int m_bPending = 0;
};

// One vertex (index below the point count) or one segment (index = count +
// i: between point i and point i + 1, wrapping on a closed outline) of a
// line dragged. Only the part that moves is drawn: the dragged points and
// their neighbours. A swimlane separator line moves its segments along one
// axis and keeps its vertices; a link keeps an end segment's end on the
// symbol it is attached to.
class SSymTrackerPoly : public SSymTrackerStd {
  KV_DECLARE_CLASSINFO()

 public:
  SSymTrackerPoly(SSymCanvas* canvas, const SSymListPt& points, int index, const SSymPoint& start,
                  ISSymPolyline* symbol, int closed, int extra);
  ~SSymTrackerPoly() override;

  SSymPoint TrackTo(SSymPoint point, SMouseFlags flags) override;
  void Draw() override;
  // 1 when the dragged vertex is an end of the line.
  virtual int IsEndPoint();
  // The symbol a dragged link end would land on at `point` in the window:
  // the lane under the point rather than its pool. Not counted; null
  // without a window.
  virtual ISSymbol* GetFinalSym(SSymViewEdit* view, const SSymPoint& point);
  // The symbol's points with the band written back.
  const SSymListPt& GetFinalListPt();

  const SSymListPt& GetBand() const { return m_band; }
  int GetIndex() const { return m_nIndex; }
  int GetExtra() const { return m_nExtra; }
  // 0 none, 1 segments move vertically only, 2 horizontally only.
  int GetAxisLock() const { return m_nAxisLock; }

 private:
  // The band position of the dragged vertex or of the segment's first point.
  int BandStart() const { return m_bHasPredecessor ? 1 : 0; }

  SSymListPt m_band;
  SSymListPt m_points;
  int m_nIndex;
  SSymPen m_pen{SSymPen::Dot, 0, 0};
  SSymPoint m_last;
  SComWrap<ISSymPolyline> m_symbol;
  SComWrap<ISSymLink> m_link;
  int m_bClosed;
  int m_nExtra;
  int m_nAxisLock = 0;
  bool m_bHasPredecessor = false;
};
