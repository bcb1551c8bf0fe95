// Automatic layout of a diagram: the parameters of one run, the option
// tables of the layout kinds, the choice between the library's own layout
// and the external layout engine, and the layout objects that carry a run.
//
// A run is started by the diagram (ISSymDiagram::AutoLayout): it builds an
// SSymAutoLayoutParam on itself, fills it from the defaults of the layout
// kind (LoadDefaultOptions), asks itself for a layout object
// (ISSymDiagram::CreateAutoLayoutMgr, which uses
// SSymAutoLayoutOptionMgr::IsUseInternalAlgorithms), calls Invoke and
// deletes the object.
//
// What runs today:
//   SSymAutoLayout          the library's own layout ("Basic"): the symbols
//                           become a graph, cut into structures that are
//                           placed, packed and written back in one undo step
//                           (symlayoutrun.h and the graph of symlayoutgraph.h);
//   SSymAutoLayoutEx,       the external engine's run: the engine's
//   SSymAutoLayoutGeneral   "SDoAutoLayout" entry with the run's parameters;
//                           an engine without that entry lays out nothing and
//                           the run answers 0.
// The registry defaults per diagram class, the layout graph and the other
// style classes are not part of this family yet: the defaults come from the
// option tables alone.
#pragma once

#include <map>

#include "kvcore/scomds.h"
#include "kvcore/sobject.h"
#include "kvcore/stable.h"
#include "kvcore/sstring.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfsymbol.h"

// The layout styles; the metamodel enumeration AutoLayoutStyle has the same
// values (-1 there stands for the default style).
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
};

// A placement is the id of its display string; the metamodel orientation n
// stands for placement TopToBottom + n.
struct SSymAutoLayoutPlacement {
  enum Placement : int {
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

// The parameters of one run. The diagram is a counted reference (released
// by the destructor); the two tables are the caller's and are not owned.
class SSymAutoLayoutParam {
 public:
  // The user's choices of one run.
  struct SOptions {
    // Synonyms may be made when a part of the diagram is laid out, and when
    // the whole diagram is.
    BYTE m_bSynonymsPartial = 1;
    BYTE m_bSynonymsAll = 0;
    // 0 lets each structure be laid out; any other value keeps the nodes
    // where they stand.
    LONG m_nMode = 0;
    LONG m_nStyle = SSymAutoLayoutStyle::Hierarchic;
    LONG m_nPlacement = SSymAutoLayoutPlacement::TopToBottom;
    // The user asked to lay out all symbols.
    BYTE m_bWholeDiagram = 0;
    // The options were not chosen by the user (a programmatic run): a small
    // selection (fewer than 10 symbols) then goes to the library's own layout.
    BYTE m_bAutomatic = 1;
  };

  // Parameters on a diagram (may be null), with the symbols to lay out
  // (subset, null for all in scope) and the symbols to consider (scope,
  // null for all symbols of the diagram).
  explicit SSymAutoLayoutParam(ISSymDiagram* diagram, SComTable<ISSymbol>* subset = nullptr,
                               SComTable<ISSymbol>* scope = nullptr);
  SSymAutoLayoutParam(const SSymAutoLayoutParam& source);
  SSymAutoLayoutParam& operator=(const SSymAutoLayoutParam& source);
  ~SSymAutoLayoutParam();

  ISSymDiagram* GetDiagram() const { return m_pDiagram; }

  // Fills style, placement and the synonym flags from the defaults of the
  // layout kind the diagram would choose for no particular parameters
  // (ISSymDiagram::CreateAutoLayoutMgr with null), and clears the
  // whole-diagram flag. Nothing happens without a diagram, or when the
  // diagram makes no layout object.
  void LoadDefaultOptions();

  // The create-synonyms flag of the run: the synonyms-all flag when the
  // whole diagram is laid out, else the synonyms-partial flag.
  bool GetCreateSynonyms() const;
  void SetCreateSynonyms(bool create);

  // The symbols to lay out (the selection), or null for all in scope.
  SComTable<ISSymbol>* m_pSubset = nullptr;
  // The symbols to consider, or null for all symbols of the diagram.
  SComTable<ISSymbol>* m_pScope = nullptr;
  SOptions m_options;

 private:
  ISSymDiagram* m_pDiagram = nullptr;
};

// The placements of one style in display order and their default (-1 when
// the list is empty).
struct SSymAutoLayoutPlacementDefaultList {
  SList<SSymAutoLayoutPlacement::Placement> m_list;
  LONG m_nDefault = -1;
};

// What a layout kind offers: its styles in display order with a default,
// the placements of each style, and whether it decides the synonym option
// for every style (fixed) and how.
struct SSymAutoLayoutOptionTable {
  SList<SSymAutoLayoutStyle::Style> m_styles;
  LONG m_nDefaultStyle = SSymAutoLayoutStyle::Basic;
  std::map<LONG, SSymAutoLayoutPlacementDefaultList> m_placements;
  BYTE m_bSynonymsFixed = 0;
  BYTE m_bSynonymsAvailable = 1;
  BYTE m_bSynonymsDefault = 1;

  bool HasStyle(LONG style) const;
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

  // The process-wide tables, filled on first use.
  static const SSymAutoLayoutOptionTable& GetBasicTable();
  static const SSymAutoLayoutOptionTable& GetExternalTable();
  static const SSymAutoLayoutOptionTable& GetGeneralTable();

  // True when the user's "ForceInternal" value under the application's
  // "AutoLayoutOptions\" key is set and not 0.
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

// The library's own layout, and the base of every layout object. It keeps
// counted tables of the symbols to lay out (subset) and to consider (scope).
class SSymAutoLayout : public SObject {
  KV_DECLARE_CLASSINFO()

 public:
  // A layout of the parameters: the scope is the parameters' scope or every
  // symbol of the diagram, the subset the parameters' subset or the scope.
  explicit SSymAutoLayout(SSymAutoLayoutParam& param);
  // A layout object of a bare diagram: it answers the option queries but
  // does not run (Invoke answers 0).
  explicit SSymAutoLayout(ISSymDiagram* diagram);
  ~SSymAutoLayout() override;
  SSymAutoLayout(const SSymAutoLayout&) = delete;
  SSymAutoLayout& operator=(const SSymAutoLayout&) = delete;

  // The run: non-zero when done; 0 for an object that is not ready or has
  // no diagram, or when a symbol refused to move (the others are placed).
  // The library's own run is SSymAutoLayoutRun (symlayoutrun.cpp).
  virtual int Invoke();
  virtual const SSymAutoLayoutOptionTable& GetOptionTable() const;

  // The placements of a style: its entry's list (possibly empty), or the
  // single Basic placement for a style without an entry.
  void GetAvailablePlacements(LONG style, SList<SSymAutoLayoutPlacement::Placement>& out) const;
  // The table's default placement of a style (-1 for an empty list, Basic
  // for a style without an entry).
  LONG GetDefaultPlacement(LONG style) const;

  ISSymDiagram* GetDiagram() const { return m_pDiagram; }
  const SComTable<ISSymbol>& GetSubset() const { return m_subset; }
  const SComTable<ISSymbol>& GetScope() const { return m_scope; }
  const SSymAutoLayoutParam::SOptions& GetOptions() const { return m_options; }
  bool IsReady() const { return m_bReady; }

 protected:
  SComTable<ISSymbol> m_scope{50, 50};
  SComTable<ISSymbol> m_subset{50, 50};
  ISSymDiagram* m_pDiagram = nullptr;
  SSymAutoLayoutParam::SOptions m_options;
  bool m_bReady = false;
};

// The external engine's run. The object keeps its own copy of the
// parameters, pointed at the object's own subset and scope tables so that it
// never names the caller's tables after the constructor.
class SSymAutoLayoutEx : public SSymAutoLayout {
  KV_DECLARE_CLASSINFO()

 public:
  explicit SSymAutoLayoutEx(SSymAutoLayoutParam& param);
  explicit SSymAutoLayoutEx(ISSymDiagram* diagram);

  // Calls the engine's "SDoAutoLayout" with the object's parameters: 1 when
  // the engine laid them out (answered 0), 0 when it failed, could not be
  // loaded or lacks the entry, or when the object is not ready.
  int Invoke() override;
  const SSymAutoLayoutOptionTable& GetOptionTable() const override;
  const SSymAutoLayoutParam& GetParam() const { return m_param; }

 protected:
  SSymAutoLayoutParam m_param;
};

// The external engine's general layout.
class SSymAutoLayoutGeneral : public SSymAutoLayoutEx {
  KV_DECLARE_CLASSINFO()

 public:
  explicit SSymAutoLayoutGeneral(SSymAutoLayoutParam& param) : SSymAutoLayoutEx(param) {}
  explicit SSymAutoLayoutGeneral(ISSymDiagram* diagram) : SSymAutoLayoutEx(diagram) {}
  const SSymAutoLayoutOptionTable& GetOptionTable() const override;
};
