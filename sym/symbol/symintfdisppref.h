// ISSymDispPref: a diagram's display preferences as the symbol core reads
// them (the darkening of symbols nested in composites of their colour, the
// per-class icon flag). The diagram subsystem owns the preferences and
// installs the finder that answers a diagram's when the library loads.
#pragma once

#include "sym/foundation/symprefwrap.h"
#include "sym/foundation/symformat.h"
#include "win/windef.h"

struct ISSymDiagram;

class ISSymDispPref {
 public:
  // Bit of GetClassFlags: the class is shown as an icon.
  static constexpr DWORD ClassIcon = 0x1;
  virtual ~ISSymDispPref() = default;
  // Darkening percentage for symbols nested in composites of their colour
  // (used when above 0).
  virtual LONG GetDarkenPercent() const = 0;
  // The flags of a model class, by its extended class identifier.
  virtual DWORD GetClassFlags(const CLSID& clsid) const = 0;
  // True when link crossings are shown as line bridges ("Show Links
  // intersections").
  virtual bool ShowsLinkIntersections() const { return false; }
  // True when links are routed again by the layout engine at the end of
  // each change ("Activate automatic link routing").
  virtual bool ActivatesLinkRouting() const { return false; }
  // The general preference "Constrain Labels": while on, a line label placed
  // too far from its line is pulled back onto its anchor.
  virtual bool GetConstrainLabels() const { return true; }
  // How texts are wrapped or truncated (mode, lengths, wrap characters).
  virtual SPrefDataWrap GetDataWrap() const { return {}; }
  // The orientation of trees: 0 horizontal (children beside their parent),
  // otherwise vertical (children below).
  virtual int GetTreeOrientation() const { return 0; }
  // Makes trees vertical (non-zero) or horizontal as the user's choice for
  // the diagram, and saves the preferences with it; false when the
  // preferences keep no orientation.
  virtual bool SetTreeOrientation(int vertical) {
    (void)vertical;
    return false;
  }
  // The grid step that placements snap to: the grid size while snapping to
  // the grid is on, else 0.
  virtual LONG GetSnapGridSize() const { return 0; }
  // The orientation of swimlane pools: non-zero lanes side by side
  // (columns), 0 stacked (rows).
  virtual int GetSwimlaneVert() const { return 1; }
  // The default format of the symbols of a class; false when the
  // preferences keep none for it.
  virtual bool GetClassSymbolFormat(const CLSID& clsid, SSymFormat& out) const {
    (void)clsid, (void)out;
    return false;
  }
  // How shortcuts show where their target lies (non-zero = on). Within the
  // model: the location, as full path or else as last package; into another
  // model: the model's name, the location, as full path or else as last
  // package. Preferences that keep none answer off.
  virtual int GetShortcutInLoct() const { return 0; }
  virtual int GetShortcutInFullPath() const { return 0; }
  virtual int GetShortcutInLastPckg() const { return 0; }
  virtual int GetShortcutExIncludeModl() const { return 0; }
  virtual int GetShortcutExLoct() const { return 0; }
  virtual int GetShortcutExFullPath() const { return 0; }
  virtual int GetShortcutExLastPckg() const { return 0; }
  // How lane group titles fit their heading band: 2 wrapped to the group's
  // length, 1 on one line, 0 as the group's own text style says.
  virtual int GetSwimlaneHeadingMode() const { return 0; }
};

// The display preferences of a diagram (not counted), or null.
ISSymDispPref* SSymGetDispPrefPtr(ISSymDiagram* diagram);
// Installs the finder; answers the one it replaces.
using SSymDispPrefFinder = ISSymDispPref* (*)(ISSymDiagram* diagram);
SSymDispPrefFinder SSymSetDispPrefFinder(SSymDispPrefFinder finder);
