// The few services of the diagram window, its display preferences and the
// line geometry that the canvases use, in their least form: the real diagram
// window and the lines subsystem replace these declarations when they come.
//   - SPrefDataWrap: the text-wrapping preferences a canvas carries;
//   - SSymView: the view state bits, the background painters and a log of
//     the invalidations made on the view;
//   - SSymListPt, SWeighted: the ordered point list and the weighted points
//     of line crossings, with the split at crossings used by line bridges.
#pragma once

#include <memory>
#include <vector>

#include "kvcore/sdrawbackground.h"
#include "kvcore/sstring.h"
#include "kvcore/stable.h"
#include "sym/foundation/symgeom.h"
#include "win/windef.h"

// ---- wrapping preferences -------------------------------------------------------

class SPrefDataWrap {
 public:
  enum WrapMode { None = 0, Truncate = 1, Wrap = 2 };
  int m_nWrapMode = None;
  int m_nTruncLength = 0;
  int m_nWrapLength = 0;
  SString m_strBreakChars{u" "};
  bool operator==(const SPrefDataWrap&) const = default;
};

// ---- the diagram window ------------------------------------------------------------

class SSymView {
 public:
  // State word bits.
  static constexpr int StateAllowErase = 0x10;   // invalidations may erase the background
  static constexpr int StateSuspended = 0x40;    // drawing is suspended

  // One invalidation: the whole window (whole set) or a device rectangle.
  struct Invalidation {
    bool whole = false;
    RECT rect = {0, 0, 0, 0};
    int erase = 0;
  };

  SSymView() = default;
  virtual ~SSymView() = default;

  int GetState() const { return m_nState; }
  void SetState(int state) { m_nState = state; }
  SDrawBackground* GetDrawBackground() { return &m_background; }
  SDrawBackground* GetDrawWatermark() { return &m_watermark; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  // What the window does for a canvas's invalidation: nothing while drawing
  // is suspended; the erase flag is kept only when the view allows erasing.
  void InvalidateAll(int erase);
  void InvalidateRect(const RECT& rc, int erase);
  const std::vector<Invalidation>& GetInvalidations() const { return m_invalidations; }
  void ClearInvalidations() { m_invalidations.clear(); }

  HWND m_hWnd = nullptr;
  int m_nState = 0;
  int m_bBackgroundPicture = 0;  // a further setting asking for a background picture

 private:
  SDrawBackground m_background;
  SDrawBackground m_watermark;
  std::vector<Invalidation> m_invalidations;
};

// ---- point lists ----------------------------------------------------------------------

template <class T, class W>
struct SWeighted {
  T m_value{};
  W m_weight{};
  SWeighted() = default;
  SWeighted(const T& value, W weight) : m_value(value), m_weight(weight) {}
  bool operator==(const SWeighted&) const = default;
};

class SSymListPt : public STableDumb<SSymPoint> {
 public:
  SSymListPt() = default;
  SSymListPt(std::initializer_list<SSymPoint> pts) {
    for (const auto& p : pts) Add(p);
  }
  // Cuts the list at the crossings (points lying on its segments), leaving a
  // gap of `radius` on each side of each crossing; the pieces go to `out` in
  // the order of the list. No crossing gives one piece, the list itself.
  void Split(const STable<SWeighted<SSymPoint, double>>& crossings, STable<SSymListPt>& out, int radius,
             int flags) const;
};
