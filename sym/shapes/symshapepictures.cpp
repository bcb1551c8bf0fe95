// Installs what the lower subsystems ask of the predefined shapes when the
// library loads: the picture record of a shape type (the symbol core's
// custom shapes), the drawing of pictures of kind 1 (the canvas) and the
// unload of the shape maps.
#include "sym/foundation/symterminators.h"
#include "sym/render/symshapedraw.h"
#include "sym/shapes/symshapemap.h"
#include "sym/symbol/symintfshapes.h"

namespace {
SPictureInfo* FindShapePicture(int type) { return SSymPictureManager::FindSymbolPicture(type); }

void DrawShapePicture(SSymCanvas& canvas, const SSymRect& rect, int type) {
  SSymRect r = rect;
  r.Normalize();
  if (r.IsDegenerate()) return;
  if (SSymShape* shape = SSymPictureManager::FindSymbolShape(type)) shape->Draw(canvas, r, 0);
}

void TerminateShapes() { SSymPictureManager::TerminatePictureManager(); }

struct ShapePictureInstaller {
  ShapePictureInstaller() {
    SSymSetSymbolPictureFinder(&FindShapePicture);
    SSymSetShapePictureDrawer(&DrawShapePicture);
    SSymInstallTerminator(SSymTerminatorSlot::PictureManager, &TerminateShapes);
  }
  ~ShapePictureInstaller() {
    SSymSetSymbolPictureFinder(nullptr);
    SSymSetShapePictureDrawer(nullptr);
  }
} g_shapePictureInstaller;
}  // namespace
