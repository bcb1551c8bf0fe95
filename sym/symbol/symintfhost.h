// The faces the host implements on its own symbols: the model object a
// symbol shows, clone numbering and sub-symbols.
#pragma once

#include <cstdint>

#include "kvcore/scomwrap.h"
#include "kvrep/srepintf.h"
#include "sym/foundation/symclassid.h"
#include "win/windef.h"

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

struct ISSymSubSym : IUnknown {
  static constexpr IID iid = IID_ISSymSubSym;
  virtual int SubSymFirst() = 0;
  virtual int SubSymSecond() = 0;
};
