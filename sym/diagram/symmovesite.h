// The port through which the diagram reaches the editing window after a
// move. The editing window (sym/edit) lies above the diagram: it installs
// the two entries when the library loads, and the diagram calls them with
// the window the selection's move names. Without an installed site the
// diagram sees no mouse move and moves no pools along.
#pragma once

#include "kvcore/scomds.h"
#include "sym/foundation/symgeom.h"

struct ISSymbol;
class SSymViewEdit;

struct SSymMoveSite {
  // Whether the window moves symbols with the mouse (it has a move
  // tracker); then the dragged outline and the drop point.
  bool (*getDrop)(SSymViewEdit* view, SSymRect& outline, SSymPoint& drop) = nullptr;
  // Moves by the offset, with redraw, every pool of the window's diagram
  // that `moved` does not hold.
  void (*moveNotInBag)(SSymViewEdit* view, const SComBag<ISSymbol>& moved, const SSymSize& offset) = nullptr;
};

// Installs the site; answers the one it replaces.
SSymMoveSite SSymSetMoveSite(const SSymMoveSite& site);
const SSymMoveSite& SSymGetMoveSite();
