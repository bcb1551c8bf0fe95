// The least of the later subsystems' services that the pen, standard and
// solid symbols call, until those subsystems bring their own:
//   - SSymDispPref: the diagram's display preferences (darkening percentage
//     of nested symbols, the per-class icon flag), reached from a diagram;
//   - the predefined-shape pictures of the picture manager, by shape type;
//   - the conversion of a picture's pixel size to diagram units through a
//     view's scaler.
#pragma once

#include <cstring>
#include <functional>
#include <map>

#include "kvcore/spicture.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/syminterfaces.h"

// ---- display preferences ------------------------------------------------------------------
class SSymDispPref {
 public:
  // Bit of GetClassFlags: the class is shown as an icon.
  static constexpr DWORD ClassIcon = 0x1;
  // Darkening percentage for symbols nested in composites of their colour
  // (used when above 0).
  LONG m_nDarkenPercent = 0;
  // The flags of a model class, by its extended class identifier.
  DWORD GetClassFlags(const CLSID& clsid) const {
    auto it = m_classFlags.find(clsid);
    return it == m_classFlags.end() ? 0 : it->second;
  }
  void SetClassFlags(const CLSID& clsid, DWORD flags) { m_classFlags[clsid] = flags; }

 private:
  struct Less {
    bool operator()(const CLSID& a, const CLSID& b) const { return std::memcmp(&a, &b, sizeof(CLSID)) < 0; }
  };
  std::map<CLSID, DWORD, Less> m_classFlags;
};

// The display preferences of a diagram (not counted), or null. The diagram
// subsystem answers them itself; until then a diagram's preferences are the
// ones attached to it here.
SSymDispPref* SSymGetDispPrefPtr(ISSymDiagram* diagram);
void SSymAttachDispPref(ISSymDiagram* diagram, SSymDispPref* prefs);

// ---- predefined shapes ---------------------------------------------------------------------
// The picture of a predefined shape type (picture type 1), or null when the
// type is unknown. Until the predefined-shape library comes there are none,
// unless a finder is installed.
SPictureInfo* SSymFindSymbolPicture(int shapeType);
void SSymSetSymbolPictureFinder(std::function<SPictureInfo*(int)> finder);

// ---- picture sizes --------------------------------------------------------------------------
// A size in device pixels converted to diagram units through a view's scaler
// (null: the screen at the normal scale).
SSymSize SSymPixelsToUnits(SSymView* view, SIZE pixels);
