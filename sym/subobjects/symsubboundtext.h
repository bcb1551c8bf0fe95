// What the texts bound to the model share beyond the attribute text itself:
// measuring a compartment where its owner is seen, and the location line of
// a shortcut that the child-object text and the title add under their value.
#pragma once

#include "kvcore/sstring.h"
#include "sym/foundation/symgeom.h"

class SSymSubs;
struct ISSymbol;
struct ISRepObject;

// The rectangle the sub-object's content needs (ComputeTextRect), measured on
// the canvas of its owner diagram's first view when that view has one (the
// canvas locked for the call), otherwise on a default screen canvas;
// normalised.
SSymRect SSymMeasureSubText(SSymSubs& sub);

// Where the shortcut `bound` leads, as the display preferences of the
// owner's diagram ask it to be shown:
//  - within the model: the full path when the full-path preference is on,
//    else the last package when that preference is on, else nothing; all
//    only while the location preference is on;
//  - into another model: "<" the other model's Name (Code when its session
//    shows codes, option bit 0x40 clear) ">" while the include-model
//    preference is on, then, while the location preference is on, the full
//    path or else the last package.
// Empty without an owner, a diagram or display preferences, and for a bound
// object that is not a shortcut.
SString SSymShortcutLocation(ISRepObject* bound, ISSymbol* owner);

// The repository session option bit that makes names (not codes) shown and edited.
inline constexpr unsigned long SSymSessionShowsNames = 0x40;
