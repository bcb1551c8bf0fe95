// The faces the host implements on its own symbols: the model object a
// symbol shows, clone numbering and sub-symbols.
#pragma once

#include <cstdint>

#include "kvcore/scomwrap.h"
#include "kvrep/srepintf.h"
#include "kvcore/stable.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symgeom.h"
#include "win/windef.h"

class SSymCanvas;
class SSymSubsFonts;

// ---- model objects and clones (the host implements them) -----------------------------------------
struct ISSymObject : IUnknown {
  static constexpr IID iid = IID_ISSymObject;
  // The model object shown (counted), or S_FALSE and null.
  virtual HRESULT GetModelObject(ISRepObject** out) = 0;
  // The identifying value of the model object (0 for none).
  virtual std::uintptr_t GetIdent() = 0;
};

struct ISSymClone : IUnknown {
  static constexpr IID iid = IID_ISSymClone;
  // True when displayed names carry the clone number.
  virtual BOOL IsCloneNumbering() = 0;
};

// ---- compartments (the host answers them on symbols that hold sub-objects) -----------------------
// The group of compartments reads the host's sizes and margins and the list
// of sub-objects through this face; without it a symbol's compartments are
// not drawn. A host normally answers the list, count and index operations
// from the symbol's own SSymSubGroup.
struct ISSymSubSym : IUnknown {
  static constexpr IID iid = IID_ISSymSubSym;
  // Readiness test and preparation (the symbol core calls the second when
  // the first answers 0).
  virtual int SubSymFirst() = 0;
  virtual int SubSymSecond() = 0;
  // Minimum width and height of the compartment block; 0 when there are none.
  virtual int GetSubSymMinSize(int* width, int* height) = 0;
  // How far the compartments keep from the symbol's edges; 0 when not at all.
  virtual int GetSubSymMargins(int* left, int* right, int* top, int* bottom) = 0;
  // Appends the sub-objects in display order, nested layouts flattened when
  // nested is non-zero.
  virtual void GetSubSymList(STable<SSymSubsFonts*>& list, int nested) = 0;
  virtual int GetSubSymCount(int nested) = 0;
  // The sub-object at an index, or null.
  virtual SSymSubsFonts* GetSubSymAt(int index, int nested) = 0;
  // May change the measured rectangle of a compartment that asks for it.
  virtual int AdjustSubSym(SSymSubsFonts* sub, SSymRect* rect, SSymCanvas& canvas) = 0;
};

// A composite's own view of its compartments; the group asks only whether
// the last compartment counts as last.
struct ISSymCompView : IUnknown {
  static constexpr IID iid = IID_ISSymCompView;
  // 0 when the last compartment of a group does not count as last.
  virtual int IsLastCompartment() = 0;
};
