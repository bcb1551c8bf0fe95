// The faces of where a symbol sits: ports on the edge of an owner, and
// swimlanes and their pools.
#pragma once

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symgeom.h"
#include "win/windef.h"

struct ISSymbol;

// ---- ports ------------------------------------------------------------------------------------
struct ISSymPort : IUnknown {
  static constexpr IID iid = IID_ISSymPort;
  virtual int GetDirection() = 0;
  // Supplied by the port class: its symbol (counted), the notice of a
  // direction change, and the placing of the port's centre.
  virtual HRESULT GetPortSymbol(ISSymbol** out) = 0;
  virtual void OnDirectionChanged(int previous) = 0;
  virtual SSymPoint PlaceCenter(const SSymPoint& center, const SSymRect& ownerRect) = 0;
  virtual void CopyDirection(ISSymbol* symbol) = 0;
  virtual SSymPoint ComputeNewCenter(const SSymPoint& pt, int recompute) = 0;
};

// ---- swimlanes ------------------------------------------------------------------------------------
struct ISSymInSwim : IUnknown {
  static constexpr IID iid = IID_ISSymInSwim;
  virtual void AfterMove() = 0;
};
// A swimlane pool: its orientation (non-zero: lanes side by side as
// columns, heading band at the top; 0: lanes stacked as rows from the
// bottom upward, heading band at the left), the quarter turn, the heading
// band of a lane to be added, its separator line (not counted), the packing
// of its lanes (redraw: the old and new areas are repainted), and the child
// symbols of its lanes (all = 0: hidden lanes left out).
struct ISSymSwimPool : IUnknown {
  static constexpr IID iid = IID_ISSymSwimPool;
  virtual int IsVertical() = 0;
  virtual void ChangeOrientation() = 0;
  virtual void GetNewSwimlaneRect(SSymRect& rect) = 0;
  virtual ISSymbol* GetLineSym() = 0;
  virtual void ArrangeLanes(int redraw) = 0;
  virtual void GetAllChildrenSym(SUnsortedComBag<ISSymbol>& bag, int all) = 0;
};
struct ISSwimlane : IUnknown {
  static constexpr IID iid = IID_ISSwimlane;
};
