// SSymDispPref: a diagram's display preferences (darkening percentage of
// nested symbols, the per-class icon flag), in their least form until the
// diagram subsystem brings the real ones. Until then a diagram's preferences
// are the ones attached to it here; the symbol core finds them through the
// finder this file installs when the library loads.
#pragma once

#include <cstring>
#include <map>

#include "sym/symbol/symintfdisppref.h"
#include "win/windef.h"

class SSymDispPref : public ISSymDispPref {
 public:
  // Darkening percentage for symbols nested in composites of their colour
  // (used when above 0).
  LONG m_nDarkenPercent = 0;
  LONG GetDarkenPercent() const override { return m_nDarkenPercent; }
  // The flags of a model class, by its extended class identifier.
  DWORD GetClassFlags(const CLSID& clsid) const override {
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

// Attaches preferences to a diagram (null detaches them); not counted.
void SSymAttachDispPref(ISSymDiagram* diagram, SSymDispPref* prefs);
