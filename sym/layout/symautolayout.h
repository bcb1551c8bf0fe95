// Automatic layout of a diagram: the parameters of one run, the layout
// objects that carry a run (the library's own layout, the external engine's
// run and its style classes) and the state shared by the runs.
//
// A run is started by the diagram (ISSymDiagram::AutoLayout): it builds an
// SSymAutoLayoutParam on itself, fills it from the defaults of the layout
// kind (LoadDefaultOptions), asks itself for a layout object
// (ISSymDiagram::CreateAutoLayoutMgr, which uses
// SSymAutoLayoutOptionMgr::IsUseInternalAlgorithms), calls Invoke and
// deletes the object.
//
// The layout objects:
//   SSymAutoLayout          the library's own layout ("Basic"), and the base
//                           of all: the symbols of the run, the options, the
//                           option queries over the class's option table and
//                           the user's defaults in the registry; its run
//                           makes the symbols a graph, cut into structures
//                           that are placed, packed and written back in one
//                           undo step (symlayoutrun.h, symlayoutgraph.h);
//   SSymAutoLayoutEx        the external engine's run: PreLayout, then the
//                           engine's "SDoAutoLayout" with the run's
//                           parameters as one undoable step, then PostLayout;
//   the style classes       the engine's run with the option table and the
//                           registry sub key of a kind of diagram (General,
//                           ProcFlow, HorzFlow, TreeHier, Block, Composite,
//                           ConstrActivity, ConstrSequence); TreeHier and
//                           Composite prepare the run.
// The layout graph the own run builds (SSymAutoLayoutStruct, Node, Link) is
// made through the factories CreateStruct, CreateALNode and CreateALLink.
#pragma once

#include <array>

#include "kvcore/scomds.h"
#include "kvcore/sobject.h"
#include "kvcore/stable.h"
#include "kvcore/sstring.h"
#include "kvrep/srepvariant.h"
#include "sym/foundation/symgeom.h"
#include "sym/layout/symlayoutoptions.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfsymbol.h"

struct ISSymLink;
// The layout graph of the library's own run.
class SSymAutoLayoutStruct;
class SSymAutoLayoutNode;
class SSymAutoLayoutLink;

// The keys of the per-symbol values handed to the external engine.
struct SSymAutoLayoutValueMapKey {
  enum Key : int {
    // The layout group of a composite symbol (a 32-bit integer).
    CompositeGroup = 1,
  };
};

// Values per symbol (the symbols are not counted).
template <class K>
class SSymValueMap : public SMap<K, SRepVariant> {};

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
  using ValueMaps = SMap<SSymAutoLayoutValueMapKey::Key, SSymValueMap<ISSymbol*>>;
  // The numbers handed to the external engine with the parameters; their
  // meaning is the engine's.
  using EngineNumbers = std::array<LONG, 7>;
  static constexpr EngineNumbers DefaultEngineNumbers = {0, 4, -1, 600, 1650, 600, 600};

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
  // (ISSymDiagram::CreateAutoLayoutMgr with null): the user's defaults in
  // the registry where they are valid, else the kind's option table; and
  // clears the whole-diagram flag. Nothing happens without a diagram, or
  // when the diagram makes no layout object.
  void LoadDefaultOptions();

  // The create-synonyms flag of the run: the synonyms-all flag when the
  // whole diagram is laid out, else the synonyms-partial flag.
  bool GetCreateSynonyms() const;
  void SetCreateSynonyms(bool create);

  // The values of a key, or null when there are none.
  SSymValueMap<ISSymbol*>* FindValueMap(SSymAutoLayoutValueMapKey::Key key) { return m_valueMaps.Find(key); }
  // The values of a key, created empty when absent.
  SSymValueMap<ISSymbol*>& GetValueMap(SSymAutoLayoutValueMapKey::Key key) { return m_valueMaps[key]; }
  const ValueMaps& GetValueMaps() const { return m_valueMaps; }

  // The symbols to lay out (the selection), or null for all in scope.
  SComTable<ISSymbol>* m_pSubset = nullptr;
  // The symbols to consider, or null for all symbols of the diagram.
  SComTable<ISSymbol>* m_pScope = nullptr;
  SOptions m_options;
  EngineNumbers m_engineNumbers = DefaultEngineNumbers;

 private:
  ISSymDiagram* m_pDiagram = nullptr;
  ValueMaps m_valueMaps;
};

// Whether the library's own run is in progress (for the host and the other
// components; the layout itself never asks).
class SSymAutoLayoutSession {
 public:
  static bool IsInSession() { return m_bInSession; }
  static void SetInSession(bool in) { m_bInSession = in; }

  // Sets the flag for its lifetime and gives it its former value back, also
  // when an exception leaves the run.
  class Scope {
   public:
    Scope() : m_bWas(m_bInSession) { m_bInSession = true; }
    ~Scope() { m_bInSession = m_bWas; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    bool m_bWas;
  };

 private:
  static bool m_bInSession;
};

// The layout ids handed out to the engine's groups: 1, 2, 3, ... until the
// next Reset.
class SSymAutoLayoutIdDistributor {
 public:
  static int CreateID() { return m_nCurId++; }
  static void Reset() { m_nCurId = 1; }

 private:
  static int m_nCurId;
};

// The library's own layout, and the base of every layout object. It keeps
// counted tables of the symbols to lay out (subset), to consider (scope)
// and of the synonyms a run creates.
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
  // Writes the options as the user's defaults of this kind of layout, in
  // the order "Style", "Placement", "SynonymsAll", "SynonymsPartial". The
  // status of the last write (0), or the negated error of the first that
  // failed (the values written before it stay).
  virtual LONG SetOptionsToRegistry(const SSymAutoLayoutParam::SOptions& options);
  virtual const SSymAutoLayoutOptionTable& GetOptionTable() const;
  // The key of this kind of layout below the diagram class's options key,
  // ending with a backslash.
  virtual SString GetRegistrySubKey() const;
  // The user's defaults: true with the value when a valid one was read. A
  // style out of range reads as Hierarchic (and false), a placement out of
  // range as the fallback (and false). The synonyms value read is
  // "SynonymsAll" for a key of the whole diagram, else "SynonymsPartial";
  // allowed exactly when it is 1.
  virtual bool GetDefaultStyleFromRegistry(SSymAutoLayoutStyle::Style& style) const;
  virtual bool GetDefaultPlacementFromRegistry(SSymAutoLayoutPlacement::Placement& placement,
                                               SSymAutoLayoutPlacement::Placement fallback) const;
  virtual bool GetDefaultAllowSynonymsFromRegistry(const SSymAllowSynonymsKey& key, bool& allow) const;
  // The factories of the layout graph of the own run: a structure over the
  // created-symbols table, the node of a symbol, the layout link of a link
  // symbol. A subclass may answer its own kinds; null is an error of the run.
  virtual SSymAutoLayoutStruct* CreateStruct(SComTable<ISSymbol>& created);
  virtual SSymAutoLayoutNode* CreateALNode(ISSymbol* symbol);
  virtual SSymAutoLayoutLink* CreateALLink(ISSymbol* symbol);
  // Non-zero keeps a link out of the layout graph; none is kept out here.
  virtual int ShouldIgnoreLink(ISSymLink* link);

  // ---- the option queries, over GetOptionTable.
  // The table's styles (the list is emptied first).
  void GetAvailableStyles(SList<SSymAutoLayoutStyle::Style>& out) const;
  // The user's default style when asked for and valid, else the table's.
  SSymAutoLayoutStyle::Style GetDefaultStyle(bool fromRegistry) const;
  // The placements of a style: its entry's list (possibly empty), or the
  // single Basic placement for a style without an entry.
  void GetAvailablePlacements(LONG style, SList<SSymAutoLayoutPlacement::Placement>& out) const;
  // The user's default placement when asked for and valid (whatever the
  // style offers), else the entry's default (None for an empty list), else
  // Basic for a style without an entry.
  SSymAutoLayoutPlacement::Placement GetDefaultPlacement(LONG style, bool fromRegistry) const;
  bool GetAllowSynonymsAvailable(const SSymAllowSynonymsKey& key) const;
  // The user's choice when asked for and stored, else the table's rule.
  bool GetDefaultAllowSynonyms(const SSymAllowSynonymsKey& key, bool fromRegistry) const;

  ISSymDiagram* GetDiagram() const { return m_pDiagram; }
  const SComTable<ISSymbol>& GetSubset() const { return m_subset; }
  const SComTable<ISSymbol>& GetScope() const { return m_scope; }
  SComTable<ISSymbol>& GetCreatedSymbols() { return m_created; }
  const SSymAutoLayoutParam::SOptions& GetOptions() const { return m_options; }
  const SSymRect& GetResultRect() const { return m_resultRect; }
  bool IsReady() const { return m_bReady; }
  // The user's key of this layout's options: the options key, the public
  // name of the diagram's class (nothing without a diagram) and the sub key.
  SString GetRegistryKey() const;

  // The spacings of the own run (diagram units).
  static constexpr LONG kFirstSpacing = 5000;
  static constexpr LONG kSecondSpacing = 2000;
  static constexpr LONG kThirdSpacing = 2500;

 protected:
  SComTable<ISSymbol> m_scope{50, 50};
  SComTable<ISSymbol> m_subset{50, 50};
  // Synonyms created during the run.
  SComTable<ISSymbol> m_created{50, 50};
  ISSymDiagram* m_pDiagram = nullptr;
  // The union of the laid-out structures.
  SSymRect m_resultRect;
  LONG m_nFirstSpacing = kFirstSpacing;
  LONG m_nSecondSpacing = kSecondSpacing;
  LONG m_nThirdSpacing = kThirdSpacing;
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

  // 0 when the object is not ready; else PreLayout, PerformLayout (whose
  // answer this is) and PostLayout.
  int Invoke() override;
  const SSymAutoLayoutOptionTable& GetOptionTable() const override;
  SString GetRegistrySubKey() const override;

  // Prepares the parameters before the engine runs; nothing here.
  virtual void PreLayout() {}
  // The engine's run as one undoable step (one creation context): 1 when
  // the engine laid the symbols out, else 0.
  virtual int PerformLayout();
  // After the engine ran; nothing here.
  virtual void PostLayout() {}
  // Calls the engine's "SDoAutoLayout" with the parameters: 1 when it
  // answered 0; 0 when it failed, could not be loaded or lacks the entry.
  virtual int CallAutoLayoutMethod(SSymAutoLayoutParam& param);

  const SSymAutoLayoutParam& GetParam() const { return m_param; }

 protected:
  SSymAutoLayoutParam m_param;
};

// The style classes: the engine's run with the option table and the
// registry sub key of a kind of diagram. `members` declares what a class
// adds to those two.
#define KV_SYM_AUTOLAYOUT_STYLE_CLASS(cls, members)                       \
  class cls : public SSymAutoLayoutEx {                                   \
    KV_DECLARE_CLASSINFO()                                                \
                                                                          \
   public:                                                                \
    explicit cls(SSymAutoLayoutParam& param) : SSymAutoLayoutEx(param) {} \
    explicit cls(ISSymDiagram* diagram) : SSymAutoLayoutEx(diagram) {}    \
    const SSymAutoLayoutOptionTable& GetOptionTable() const override;     \
    SString GetRegistrySubKey() const override;                           \
    members                                                               \
  };

KV_SYM_AUTOLAYOUT_STYLE_CLASS(SSymAutoLayoutGeneral, )
KV_SYM_AUTOLAYOUT_STYLE_CLASS(SSymAutoLayoutProcFlow, )
KV_SYM_AUTOLAYOUT_STYLE_CLASS(SSymAutoLayoutHorzFlow, )
// PreLayout keeps the diagram's tree orientation and the placement in step:
// a placement the user chose becomes the display preferences' orientation
// (top to bottom or bottom to top: vertical trees; left to right or right
// to left: horizontal ones), saved with the diagram; an automatic run takes
// its placement from the preferences (vertical: top to bottom, else left to
// right). Nothing happens for a diagram without display preferences.
KV_SYM_AUTOLAYOUT_STYLE_CLASS(SSymAutoLayoutTreeHier, void PreLayout() override;)
KV_SYM_AUTOLAYOUT_STYLE_CLASS(SSymAutoLayoutBlock, )
// PreLayout, for the circular and tree styles, gives every composite symbol
// of the diagram a layout group of its own: a new id of
// SSymAutoLayoutIdDistributor under the parameters' CompositeGroup values.
KV_SYM_AUTOLAYOUT_STYLE_CLASS(SSymAutoLayoutComposite, void PreLayout() override;)
KV_SYM_AUTOLAYOUT_STYLE_CLASS(SSymAutoLayoutConstrActivity, )
KV_SYM_AUTOLAYOUT_STYLE_CLASS(SSymAutoLayoutConstrSequence, )
#undef KV_SYM_AUTOLAYOUT_STYLE_CLASS
