// The faces of where a symbol sits: ports on the edge of an owner, and
// swimlanes and their pools.
#pragma once

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintfsymbol.h"
#include "win/windef.h"

struct ISSymDiagram;
struct ISRepObject;
class SSymFont;

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

  // The pool that holds the lane, found up the owners past any lane groups
  // between them (not counted), or null for a lane outside a pool.
  virtual ISSymbol* GetPoolSym() = 0;
  // The separator line at the lane's far edge (not counted); null until the
  // lane is first placed under a parent.
  virtual ISSymbol* GetColnSym() = 0;
  // Places the lane into the diagram's pool, making the pool when there is none.
  virtual void AddSymInSwim(ISSymDiagram* diagram) = 0;
  // Model-specific lanes tell which symbols they carry along; none here.
  virtual int IsSymAttached(ISSymbol* symbol) = 0;
  virtual void MoveAllAttachedSym() = 0;
  // The smallest rectangle the lane may shrink to.
  virtual void GetValidBord(int vertical, SSymRect& out) = 0;
  // Non-zero for an inner lane, 0 for an end lane.
  virtual int IsInnerLane() = 0;
  virtual SString GetLaneText() = 0;
  virtual SSymFont GetLaneFont() = 0;
  // While moving is non-zero the lane ignores MoveBy (see SSymMoveSwimlane).
  virtual void SetMoving(int moving, int option) = 0;
  // Whether a point lies in the lane's body, where symbols are dropped.
  virtual int IsPtInLane(const SSymPoint& pt) = 0;
  // The id of the model collection whose first object is the parent of the
  // lane's model object; 0 for none.
  virtual LONG GetParentCollectionId() = 0;
  // Non-zero when the lane, as a composite, refuses the candidate as a child.
  virtual int RefusesChildObject(ISRepObject* candidate) = 0;
};

// Scope guard: while it lives, a lane given to it ignores MoveBy (so that a
// pool moving its lanes and their contents does not move a lane twice).
// Symbols that are not lanes are left alone.
class SSymMoveSwimlane {
 public:
  SSymMoveSwimlane(ISSymbol* symbol, int flag) : m_lane(symbol) {
    if (!m_lane.IsNull()) m_lane->SetMoving(1, flag);
  }
  ~SSymMoveSwimlane() {
    if (!m_lane.IsNull()) m_lane->SetMoving(0, 1);
  }
  SSymMoveSwimlane(const SSymMoveSwimlane&) = delete;
  SSymMoveSwimlane& operator=(const SSymMoveSwimlane&) = delete;

 private:
  SComWrap<ISSwimlane> m_lane;
};
