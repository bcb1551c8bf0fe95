// Faces that a host's symbol classes give their symbols so that the pointer
// tool lets them handle the user's gestures themselves; no symbol class of
// the library answers them.
#pragma once

#include "kvcore/scomwrap.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symgeom.h"

// A symbol that reacts to clicks on it (a button, a check box drawn in a
// symbol...). Each operation answers 1 when it leaves the gesture to the
// editing window's own rules, anything else when it took it.
struct ISSymAction : IUnknown {
  static constexpr IID iid = IID_ISSymAction;
  virtual int DoClickAction(const SSymPoint& point) = 0;
  virtual int DoDblClickAction(const SSymPoint& point) = 0;
};

// A point-list symbol that is resized as a whole rather than bent: only the
// vertices it names may be dragged one by one.
struct ISSymComplex : IUnknown {
  static constexpr IID iid = IID_ISSymComplex;
  // Non-zero when the point lies on a vertex that may be dragged.
  virtual int IsPtOnVertex(const SSymPoint& point) = 0;
};
