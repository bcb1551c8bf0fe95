// The vocabulary of the layout options: the styles and placements a run can
// ask for, the option tables that say which of them each kind of layout
// offers (with their defaults and the rules for synonyms), and the option
// manager that keeps the tables and decides between the library's own
// layout and the external layout engine.
//
// The user's preferred options are kept per diagram class and per kind of
// layout under the application's "AutoLayoutOptions\" key; the layout
// objects (symautolayout.h) read and write them.
#pragma once

#include "kvcore/sstring.h"
#include "kvcore/stable.h"
#include "kvcore/stree.h"
#include "win/windef.h"

class SSymAutoLayoutParam;

// The layout styles; the metamodel enumeration AutoLayoutStyle has the same
// values (-1 there stands for the default style). The display name of style
// s is string 1405 + s.
struct SSymAutoLayoutStyle {
  enum Style : int {
    Hierarchic = 0,
    Organic = 1,
    Orthogonal = 2,
    Circular = 3,
    Tree = 4,
    Snowflake = 5,
    // The library's own layout; every other style needs the external engine.
    Basic = 6,
  };
  // The first string id of the style names.
  static constexpr UINT NameStringBase = 1405;
};

// A placement is the id of its display string; the metamodel orientation n
// stands for placement TopToBottom + n.
struct SSymAutoLayoutPlacement {
  enum Placement : int {
    // No placement: the default of a style whose list is empty.
    None = -1,
    TopToBottom = 1450,
    BottomToTop = 1451,
    LeftToRight = 1452,
    RightToLeft = 1453,
    Radiation = 1454,
    Cycle = 1455,
    Snowflake = 1456,
    // Also the placement of a style that has no entry in an option table.
    Basic = 1457,
  };
};

// The placements of one style in display order and their default (None
// when the list is empty).
struct SSymAutoLayoutPlacementDefaultList {
  SList<SSymAutoLayoutPlacement::Placement> m_list;
  SSymAutoLayoutPlacement::Placement m_nDefault = SSymAutoLayoutPlacement::None;
};

// Which synonym option is meant: the style's, for a run over the whole
// diagram (flag set) or over a part of it.
struct SSymAllowSynonymsKey {
  SSymAutoLayoutStyle::Style m_style = SSymAutoLayoutStyle::Hierarchic;
  BYTE m_bWholeDiagram = 0;
};

// What a kind of layout offers: its styles in display order with a default,
// the placements of each style, and whether it decides the synonym option
// for every style (fixed) and how.
struct SSymAutoLayoutOptionTable {
  SList<SSymAutoLayoutStyle::Style> m_styles;
  SSymAutoLayoutStyle::Style m_nDefaultStyle = SSymAutoLayoutStyle::Basic;
  SMap<SSymAutoLayoutStyle::Style, SSymAutoLayoutPlacementDefaultList> m_placements;
  BYTE m_bSynonymsFixed = 0;
  BYTE m_bSynonymsAvailable = 1;
  BYTE m_bSynonymsDefault = 1;

  bool HasStyle(LONG style) const;
  // The entry of a style, or null when the table has none for it.
  const SSymAutoLayoutPlacementDefaultList* FindPlacements(LONG style) const;
  // Whether synonyms may be chosen for the key, and whether they are by
  // default, as the table alone says: a fixed table decides; otherwise the
  // Basic style always offers them and allows them, and the other styles
  // offer them only for a part of the diagram.
  bool IsAllowSynonymsAvailable(const SSymAllowSynonymsKey& key) const;
  bool IsAllowSynonymsByDefault(const SSymAllowSynonymsKey& key) const;
};

class SSymAutoLayoutOptionMgr {
 public:
  // Why a run takes the library's own layout, or -1 for the external engine.
  enum InternalLayoutStatus : int {
    StatusExternal = -1,
    StatusBasicStyle = 0,
    StatusSmallAutomatic = 1,
    StatusForcedByUser = 2,
    StatusNoLibrary = 3,
  };

  // The process-wide tables of the kinds of layout, filled on first use.
  static const SSymAutoLayoutOptionTable& GetBasicTable();
  static const SSymAutoLayoutOptionTable& GetExternalTable();
  // The composite layout offers what the external one does: the same table.
  static const SSymAutoLayoutOptionTable& GetCompositeTable() { return GetExternalTable(); }
  static const SSymAutoLayoutOptionTable& GetGeneralTable();
  static const SSymAutoLayoutOptionTable& GetMultiDimTable();
  static const SSymAutoLayoutOptionTable& GetProcFlowTable();
  static const SSymAutoLayoutOptionTable& GetHorzFlowTable();
  static const SSymAutoLayoutOptionTable& GetTreeHierTable();
  static const SSymAutoLayoutOptionTable& GetBlockTable();
  static const SSymAutoLayoutOptionTable& GetConstrActivityTable();
  static const SSymAutoLayoutOptionTable& GetConstrSequenceTable();

  // The user's key of the layout options (below HKEY_CURRENT_USER, and the
  // machine-wide copy below HKEY_LOCAL_MACHINE), ending with a backslash.
  static SString GetOptionsKey();
  // True when the user's "ForceInternal" value under the options key (or
  // its machine-wide copy) is there and not 0.
  static bool IsRegistryForceInternal();
  // True when the layout engine loads and answers its "SIsAutoLayoutAvailable"
  // entry. The engine is loaded and freed on every call.
  static bool IsLayoutLibraryAvailable();
  // Replaces the engine test of IsLayoutLibraryAvailable (null restores it);
  // the previous test is answered. For hosts and tests that decide the
  // engine's presence themselves.
  using LibraryProbe = bool (*)();
  static LibraryProbe SetLayoutLibraryProbe(LibraryProbe probe);

  // Whether a run uses the library's own layout, first rule that holds:
  // the user forces it (status 2); the engine is not available (3); the
  // parameters' style is Basic (0); the parameters are automatic and lay out
  // a subset of fewer than 10 symbols (1). Otherwise the engine (-1, false).
  // Either pointer may be null; without parameters only the first two rules count.
  static bool IsUseInternalAlgorithms(const SSymAutoLayoutParam* param, InternalLayoutStatus* status);
};
