// The shortcuts of a line's hit test: a point away from every stored segment
// (and from the bridges' reach, where the diagram shows bridges) is tested
// against the labels only, without building the drawn line. Turned off, every
// hit test builds the line in full; comparisons use that as their yardstick.
#pragma once

void SSymSetLineHitShortcuts(bool enabled);
bool SSymLineHitShortcuts();
