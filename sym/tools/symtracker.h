// Trackers: the rubber-band feedback a tool or the editing window draws on a
// view's canvas while a symbol is moved, sized or created, or a selection
// rectangle is pulled open. A tracker only draws; its owner feeds it every
// pointer position through TrackTo, reads back the accepted point and the
// final shape, hides it and deletes it, and then makes the change itself.
//
// Every tracker draws by inverting pixels (the dotted focus rectangle, or an
// exclusive-or pen), so drawing twice restores the screen exactly: Hide and
// Show each draw once, and a tracker is shown after construction.
//
// The rectangle family lives here; the point-list trackers are in
// symtrackerpoly.h. Rectangles are in diagram units (y upward) and handles
// are numbered as SSymRect::GetPoint numbers them: 0 top-left, 1 top-middle,
// 2 top-right, 3 right-middle, 4 bottom-right, 5 bottom-middle, 6 bottom-left,
// 7 left-middle, 8 centre; the handle opposite h is (h + 4) % 8.
#pragma once

#include "kvcore/sobject.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintfcapture.h"

class SSymCanvas;
class SSymViewEdit;
struct ISSymDataSrc;

class SSymTrackerBase : public SObject {
  KV_DECLARE_CLASSINFO()

 public:
  ~SSymTrackerBase() override = default;
  SSymTrackerBase(const SSymTrackerBase&) = delete;
  SSymTrackerBase& operator=(const SSymTrackerBase&) = delete;

  // Follows `point` under the key state `flags`; answers the point the
  // tracker accepted, which the owner uses instead of the raw one.
  virtual SSymPoint TrackTo(SSymPoint point, SMouseFlags flags) = 0;
  virtual void Hide() { Draw(); }
  virtual void Show() { Draw(); }
  // Draws the feedback once.
  virtual void Draw() = 0;

 protected:
  SSymTrackerBase() = default;
};

// A tracker that draws on a canvas (not owned). A tracker without a canvas,
// or on a canvas without a device context, draws nothing.
class SSymTrackerStd : public SSymTrackerBase {
  KV_DECLARE_CLASSINFO()

 public:
  SSymCanvas* GetCanvas() const { return m_pCanvas; }

 protected:
  explicit SSymTrackerStd(SSymCanvas* canvas) : m_pCanvas(canvas) {}
  SSymCanvas* m_pCanvas;
};

// A rectangle drawn as the dotted focus rectangle; nothing while it is a
// single point.
class SSymTrackerRect : public SSymTrackerStd {
  KV_DECLARE_CLASSINFO()

 public:
  void Draw() override;
  // The rectangle as tracked (corners in any order).
  const SSymRect& GetRect() const { return m_rect; }

 protected:
  // Stores the rectangle and draws it.
  SSymTrackerRect(SSymCanvas* canvas, const SSymRect& rect);
  // Replaces the rectangle: hidden, stored, shown again.
  void Retrack(const SSymRect& rect);
  SSymRect m_rect;
};

// Moves a rectangle with the pointer, keeping the pointer's grip on it.
// While sub-object marks are dragged over a symbol that takes them, an
// insertion line shows where they would go instead of the rectangle.
class SSymTrackerMover : public SSymTrackerRect {
  KV_DECLARE_CLASSINFO()

 public:
  // The rectangle `rect` gripped at `start`; nothing shows before the
  // first TrackTo.
  SSymTrackerMover(SSymCanvas* canvas, const SSymPoint& start, const SSymRect& rect);
  // A rectangle of `size` (inclusive counts) gripped at `offset` from its
  // lower-left corner.
  SSymTrackerMover(SSymCanvas* canvas, const SSymPoint& start, const SSymSize& size, const SSymSize& offset);
  // An outline and its drop point without a canvas: what a drop that did
  // not come through a window hands the diagram. It never draws.
  SSymTrackerMover(const SSymRect& outline, const SSymPoint& drop);

  SSymPoint TrackTo(SSymPoint point, SMouseFlags flags) override;
  void Draw() override;
  // Draws the insertion line of dragged sub-object marks at `point` and
  // answers 1, or draws nothing and answers 0.
  int DrawSubSymPosLine(const SSymPoint& point);

  void SetRect(const SSymRect& rect) { m_rect = rect; }
  const SSymPoint& GetStartPoint() const { return m_start; }
  const SSymPoint& GetCurrentPoint() const { return m_current; }
  void SetCurrentPoint(const SSymPoint& point) { m_current = point; }
  const SSymSize& GetSize() const { return m_size; }
  const SSymSize& GetOffset() const { return m_offset; }
  // What a drag from another window carries (not counted), and the window
  // it is over; the editing window sets both.
  void SetDragData(ISSymDataSrc* data) { m_pDragData = data; }
  ISSymDataSrc* GetDragData() const { return m_pDragData; }
  void SetTargetView(SSymViewEdit* view) { m_pTargetView = view; }
  SSymViewEdit* GetTargetView() const { return m_pTargetView; }

  // The offset of an insertion line's ends from the target's edges, the
  // spread of its three strokes and the half height of its end ticks.
  static constexpr LONG LineInset = 225;
  static constexpr LONG LineSpread = 75;
  static constexpr LONG TickHalf = 150;
  // The colour an insertion line takes when the canvas pen is black.
  static constexpr DWORD LineColor = 0xC0C0C0;

 private:
  SSymPoint m_start;
  SSymPoint m_current;
  SSymSize m_size;
  SSymSize m_offset;
  ISSymDataSrc* m_pDragData = nullptr;
  SSymViewEdit* m_pTargetView = nullptr;
};

// Sizes a rectangle by one of its handles. Shift keeps the first
// proportions, Control sizes about the centre; the mode flags fix the
// centre (bits 1 and 2), the width (4) or the height (8).
class SSymTrackerSizer : public SSymTrackerRect {
  KV_DECLARE_CLASSINFO()

 public:
  enum : unsigned int { ModeKeepCenter = 3, ModeWidthFixed = 4, ModeHeightFixed = 8 };

  SSymTrackerSizer(SSymCanvas* canvas, const SSymPoint& start, const SSymRect& rect, int handle, int keepProportions,
                   unsigned int modeFlags);

  SSymPoint TrackTo(SSymPoint point, SMouseFlags flags) override;

  const SSymRect& GetInitialRect() const { return m_initial; }
  const SSymPoint& GetAnchor() const { return m_anchor; }
  const SSymPoint& GetCurrentPoint() const { return m_current; }
  // The handle dragged, corners reduced to edges where an extent is fixed.
  int GetHandle() const { return m_nHandle; }

 protected:
  // Whether Shift may keep the proportions (a selection rectangle never
  // snaps to a square).
  virtual bool ShiftKeepsProportions() const { return true; }

 private:
  SSymRect m_initial;
  SSymPoint m_start;
  SSymPoint m_current;
  SSymPoint m_anchor;
  SSymPoint m_center;
  int m_bKeepCenter = 0;
  int m_bKeepProportions = 0;
  int m_bXLocked = 0;
  int m_bYLocked = 0;
  int m_bWidthFixed = 0;
  int m_bHeightFixed = 0;
  double m_width = 1.0;
  double m_height = 1.0;
  int m_nHandle = 4;
  UINT m_lastFlags = 0;
};

// The selection rectangle pulled open from a point.
class SSymTrackerFocus : public SSymTrackerSizer {
  KV_DECLARE_CLASSINFO()

 public:
  SSymTrackerFocus(SSymCanvas* canvas, const SSymPoint& start);

 protected:
  bool ShiftKeepsProportions() const override { return false; }
};

// The bounding rectangle of an ellipse (or any shape) being created; Shift
// makes it square.
class SSymTrackerEllipse : public SSymTrackerSizer {
  KV_DECLARE_CLASSINFO()

 public:
  SSymTrackerEllipse(SSymCanvas* canvas, const SSymPoint& start);
  SSymTrackerEllipse(SSymCanvas* canvas, const SSymPoint& start, const SSymRect& rect, int handle, int keepProportions,
                     int modeFlags);
};
