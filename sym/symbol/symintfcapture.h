// The callbacks of a mouse capture: a tool that drags hands the diagram
// window an ISSymViewCapture, and the window's capture loop calls it back
// with logical points and a snapshot of the buttons and modifier keys.
//
// The contract a tool relies on:
//   - CaptureStart once before the loop (0 refuses the drag);
//   - for every mouse message, every press or release of Shift, Ctrl or Alt
//     and every auto-scroll tick: CaptureOver (0 cancels), then
//     CaptureQueryContinue with the message number (Continue, Drop, or any
//     other value to cancel);
//   - CapturePreScroll and CapturePostScroll around each scroll of the view
//     (a tool hides its feedback before and shows it again after);
//   - exactly one of CaptureDrop and CaptureCancel at the end, CaptureCancel
//     alone when the drag never started.
// The class is plain (no reference count): the tool owns itself and usually
// takes it as a second base.
#pragma once

#include "kvcore/sobject.h"
#include "sym/foundation/symgeom.h"

// The mouse buttons and modifier keys of one mouse event. The bits of a
// mouse message's key-state word are kept as they are; Alt is the one bit
// the library adds.
class SMouseFlags : public SObject {
 public:
  enum : UINT { Left = 1, Right = 2, Shift = 4, Control = 8, Middle = 16, Alt = 32 };

  // A full snapshot of the key state: Ctrl, Shift, Alt and the three buttons.
  SMouseFlags();
  // A mouse message's key-state word, with Alt added when it is down.
  explicit SMouseFlags(UINT keyState);

  UINT GetFlags() const { return m_nFlags; }
  bool Has(UINT bits) const { return (m_nFlags & bits) == bits; }

 private:
  UINT m_nFlags = 0;
};

class ISSymViewCapture {
 public:
  // Answers of CaptureQueryContinue (and of SSymView::CaptureMouse).
  static constexpr DWORD Continue = 0;
  static constexpr DWORD Drop = 1;
  static constexpr DWORD Cancel = 0xFFFFFFFF;

  virtual ~ISSymViewCapture() = default;
  virtual int CaptureOver(SMouseFlags flags, const SSymPoint& point) = 0;
  virtual DWORD CaptureQueryContinue(UINT message, SMouseFlags flags, const SSymPoint& point) = 0;
  virtual int CaptureStart(SMouseFlags flags, const SSymPoint& point) = 0;
  virtual void CapturePreScroll() = 0;
  virtual void CapturePostScroll() = 0;
  virtual void CaptureCancel() = 0;
  virtual void CaptureDrop(SMouseFlags flags, const SSymPoint& point) = 0;
};
