#include "sym/symbol/symintfshapes.h"

namespace {
std::function<SPictureInfo*(int)>& PictureFinder() {
  static std::function<SPictureInfo*(int)> finder;
  return finder;
}
}  // namespace

SPictureInfo* SSymFindSymbolPicture(int shapeType) { return PictureFinder() ? PictureFinder()(shapeType) : nullptr; }

void SSymSetSymbolPictureFinder(std::function<SPictureInfo*(int)> finder) { PictureFinder() = std::move(finder); }
