// The pictures of the predefined shapes (picture type 1) by shape type, as
// the custom-shape face asks for them. The shapes subsystem installs the
// finder when the library loads; tests install their own.
#pragma once

#include <functional>

class SPictureInfo;

// The picture of a predefined shape type, or null when the type is unknown
// or no finder is installed.
SPictureInfo* SSymFindSymbolPicture(int shapeType);
void SSymSetSymbolPictureFinder(std::function<SPictureInfo*(int)> finder);
