// What the trackers ask of symbols dragged between windows and of the
// symbol they are dragged over: the dragged symbols a drag carries, and the
// compartment under a point of a symbol that shows compartments (answered
// by the host's symbols; a symbol that does not answer finds none).
#pragma once

#include "kvcore/scomwrap.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symgeom.h"
#include "win/windef.h"

struct ISSymbol;
class SSymCanvas;

// The identity of the compartment finder (no identifier of the host's).
inline constexpr IID IID_ISSymSubSymAt = MakeGUID("{6C1F0B52-7E2A-4C55-9F43-2B8D0E51A7C4}");

// What a drag of symbols carries from window to window: the dragged
// symbols in their order (not counted), and the word a receiving window
// leaves for the drag's source.
struct ISSymDataSrc : IUnknown {
  static constexpr IID iid = IID_ISSymDataSrc;
  virtual int GetSymbolCount() = 0;
  virtual ISSymbol* GetSymbolAt(int index) = 0;
  virtual void SetDropResult(LONG result) = 0;
};

// A compartment found under a point: two words of the finder's own, then
// the compartment's rectangle (diagram units).
struct SSymSubSymHit {
  LONG index = 0;
  LONG part = 0;
  SSymRect rect;
};

struct ISSymSubSymAt : IUnknown {
  static constexpr IID iid = IID_ISSymSubSymAt;
  // Fills `hit` (zeroed by the caller) with the compartment under the point
  // and answers non-zero, or answers 0.
  virtual int FindSubSymAt(SSymCanvas& canvas, const SSymPoint& point, SSymSubSymHit& hit) = 0;
};
