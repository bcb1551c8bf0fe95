// The pictures of the predefined shapes, in their least form until the
// shapes subsystem brings its library: there are none yet. The finder is
// installed for the symbol core when the library loads.
#include "sym/symbol/symintfshapes.h"

namespace {
SPictureInfo* FindShapePicture(int) { return nullptr; }

struct ShapePictureInstaller {
  ShapePictureInstaller() { SSymSetSymbolPictureFinder(&FindShapePicture); }
  ~ShapePictureInstaller() { SSymSetSymbolPictureFinder(nullptr); }
} g_shapePictureInstaller;
}  // namespace
