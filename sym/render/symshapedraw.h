// Pictures of kind 1 (symbol shapes) are drawn by the predefined shape of
// their symbol type, which the shapes subsystem above supplies: it installs
// the drawer when the library loads; tests may install their own.
#pragma once

#include <functional>

class SSymCanvas;
struct SSymRect;

// Draws the shape of a type into the rectangle; nothing for an unknown type.
using SSymShapePictureDrawer = std::function<void(SSymCanvas&, const SSymRect&, int shapeType)>;
void SSymSetShapePictureDrawer(SSymShapePictureDrawer drawer);
// Calls the installed drawer (nothing when none is installed).
void SSymDrawShapePicture(SSymCanvas& canvas, const SSymRect& rect, int shapeType);
