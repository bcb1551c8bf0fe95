// SSymCompUpdate: the scope that suspends the growth of composites while
// their children are made. While a composite creates its missing child
// symbols one after the other, its rectangle is not recomputed for each
// child that arrives: UpdateRect asks CanUpdate first and does nothing while
// it answers true. The owner of the scope calls Done and then UpdateRect once
// at the end. A library-wide switch suspends every composite at once.
//
// Guards nest: two guards on one composite register it twice, and it stays
// suspended until both have let go. Each guard lets go of its own
// registration once (Done or its end, whichever comes first), so Done never
// takes away another guard's registration. The switch is restored to what it
// was when the guard began (a guard made with false inside one made with
// true keeps every composite suspended; the outer guard's end lifts it).
//
// IsSymInCompAncestors is the other half of keeping children inside their
// composites: a child is taken into a selection only while it lies within
// the inner areas of the composites above it.
//
// User-interface thread only: the registry is not locked.
#pragma once

#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfsymbol.h"

class SSymCompUpdate {
 public:
  // Registers the composite (when not null; the guard holds a reference
  // until it ends) and sets the switch when `all` is true.
  SSymCompUpdate(ISSymCompSym* composite, bool all);
  ~SSymCompUpdate();
  SSymCompUpdate(const SSymCompUpdate&) = delete;
  SSymCompUpdate& operator=(const SSymCompUpdate&) = delete;

  // Lets go of this guard's registration now; the switch stays as it is.
  // A second call, and the guard's end after it, change nothing more.
  void Done();

  // True while the composite's growth is suspended: the switch is set, or a
  // guard holds the composite registered. A null composite answers the switch.
  static bool CanUpdate(ISSymCompSym* composite);
  // How many guards hold the composite registered (0 for none).
  static ULONG GetCount(ISSymCompSym* composite);
  static bool IsAllSuspended();

 private:
  ISSymCompSym* m_pComposite;  // counted while the guard lives
  bool m_bPrevAll;     // the switch before this guard
  bool m_bRegistered;  // this guard's registration not yet let go
};

// The margin along the inside of a composite's edge where a child counts as
// lying outside it (the band the composite's own outline and handles take).
inline constexpr LONG SSymCompInnerInset = 75;

// 1 when the symbol's rectangle meets the inner area (the clip rectangle
// shrunk by SSymCompInnerInset on every side) of every composite met walking
// the owner chain up from `start` (start included when it is a composite);
// 0 when it misses one of them, or for a null symbol. A start that is not a
// composite and lies in none gives 1. The walk ends at the top, at a symbol
// met before (owner links that loop) and after a bounded depth.
int IsSymInCompAncestors(ISSymbol* symbol, ISSymbol* start);
