#include "sym/symbol/symseams2.h"

#include <map>

#include "sym/render/symdeftcanv.h"

namespace {
std::map<ISSymDiagram*, SSymDispPref*>& DispPrefs() {
  static std::map<ISSymDiagram*, SSymDispPref*> map;
  return map;
}
std::function<SPictureInfo*(int)>& PictureFinder() {
  static std::function<SPictureInfo*(int)> finder;
  return finder;
}
}  // namespace

SSymDispPref* SSymGetDispPrefPtr(ISSymDiagram* diagram) {
  if (!diagram) return nullptr;
  auto it = DispPrefs().find(diagram);
  return it == DispPrefs().end() ? nullptr : it->second;
}

void SSymAttachDispPref(ISSymDiagram* diagram, SSymDispPref* prefs) {
  if (!diagram) return;
  if (prefs) DispPrefs()[diagram] = prefs;
  else DispPrefs().erase(diagram);
}

SPictureInfo* SSymFindSymbolPicture(int shapeType) {
  return PictureFinder() ? PictureFinder()(shapeType) : nullptr;
}

void SSymSetSymbolPictureFinder(std::function<SPictureInfo*(int)> finder) { PictureFinder() = std::move(finder); }

SSymSize SSymPixelsToUnits(SSymView*, SIZE pixels) {
  // The view canvas scaler comes with the diagram window; the screen at the
  // normal scale converts alike for a view at 100 %.
  SSymDeftCanvas canvas;
  canvas.Lock();
  SSymSize s = canvas.DPtoVP(pixels);
  if (s.cx < 0) s.cx = -s.cx;
  if (s.cy < 0) s.cy = -s.cy;
  return s;
}
