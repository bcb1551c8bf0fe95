// SSymViewEdit: the editing window of a diagram, in its least form until the
// editing subsystem brings the whole of it: a diagram window (SSymView) that
// has a selection, carries the rectangle tracker of a mouse move while the
// user drags symbols, and switches the diagram's swimlanes on and off.
//
// SSymTrackerMover is what the diagram reads of that tracker after a move:
// the outline of what was dragged and the point the mouse let go at. The
// tools make it and lend it to the view for the length of the drag; the view
// does not own it.
//
// MoveSymbolsNotInBag moves the pools that did not take part in a move along
// with it, so that the pools of a diagram stay together.
#pragma once

#include "kvcore/scomds.h"
#include "sym/diagram/symview.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintfsymbol.h"

class SSymSelection;

class SSymTrackerMover {
 public:
  SSymTrackerMover() = default;
  SSymTrackerMover(const SSymRect& rect, const SSymPoint& point) : m_rect(rect), m_point(point) {}
  virtual ~SSymTrackerMover() = default;

  // The outline of the dragged symbols where they were let go (corners in
  // any order).
  const SSymRect& GetRect() const { return m_rect; }
  void SetRect(const SSymRect& rect) { m_rect = rect; }
  // The mouse's current point (logical units).
  const SSymPoint& GetCurrentPoint() const { return m_point; }
  void SetCurrentPoint(const SSymPoint& point) { m_point = point; }

 private:
  SSymRect m_rect;
  SSymPoint m_point;
};

class SSymViewEdit : public SSymView {
 public:
  SSymViewEdit() = default;
  ~SSymViewEdit() override = default;

  // The repository folder that receives new objects (not counted); none in
  // the library's own window, a host class supplies it.
  virtual ISRepObject* GetTargetFolder() { return nullptr; }

  // The selection of the view (not owned; null without one).
  SSymSelection* GetSelection() const { return m_pSelection; }
  void SetSelection(SSymSelection* selection) { m_pSelection = selection; }

  // The tracker of the mouse move in progress (not owned), null when the
  // symbols are not being moved with the mouse.
  SSymTrackerMover* GetMoveTracker() const { return m_pTracker; }
  void SetMoveTracker(SSymTrackerMover* tracker) { m_pTracker = tracker; }
  // Where the dragged symbols are dropped: the tracker's current point, or
  // the origin without a tracker.
  SSymPoint GetDropPoint() const;

  // The commands that show and hide the swimlanes: the preference is set in
  // the diagram's display preferences and the diagram brings its pools into
  // line (ApplyDispPref). Nothing without a diagram or preferences, or for a
  // diagram type without swimlanes.
  void OnActvSwimlane();
  void OnDesactvSwimlane();

 private:
  void ShowSwimlanes(int show);

  SSymSelection* m_pSelection = nullptr;
  SSymTrackerMover* m_pTracker = nullptr;
};

// Moves by `offset`, with redraw, every swimlane pool of the view's diagram
// that `moved` does not hold. Nothing without a view or a diagram.
void MoveSymbolsNotInBag(SSymViewEdit* view, const SComBag<ISSymbol>& moved, const SSymSize& offset);
