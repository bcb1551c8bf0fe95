// SSymListPt: the ordered point list of polylines, polygons and links, and
// its split at crossings, which the canvas uses to draw line bridges.
#pragma once

#include <initializer_list>

#include "kvcore/stable.h"
#include "sym/foundation/symgeom.h"
#include "sym/foundation/symweighted.h"

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
