// The faces of where a symbol sits: ports on the edge of an owner, and
// swimlanes and their pools.
#pragma once

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
struct ISSymSwimPool : IUnknown {
  static constexpr IID iid = IID_ISSymSwimPool;
  virtual int GetOrientation() = 0;
};
struct ISSwimlane : IUnknown {
  static constexpr IID iid = IID_ISSwimlane;
};
