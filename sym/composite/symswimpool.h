// SSymSwimLane: the swimlane pool, a symbol that holds an ordered row of
// lanes (SSymSwim) and lane groups in its SubSymbols collection, keeps them
// packed edge to edge across the pool, draws them and keeps one separator
// line (SSymSwimColn) along its start edge.
//
// A vertical pool (m_bVertical non-zero) places its lanes as columns from
// left to right, each spanning the pool's full height, with the heading band
// at the top; a horizontal pool stacks them as rows from the bottom upward,
// each spanning the pool's full width, with the heading band at the left.
// The collection order is the order of the lanes across the pool and the
// drawing order. Geometry the pool writes into its members while arranging
// them is not recorded for undo; sizes and turns that the user asks for go
// through the rectangle attribute and are.
//
// Lanes answer ISSwimlane; IsInnerLane divides them into inner lanes
// (non-zero) and end lanes (0, every plain SSymSwim). Only inner lanes and
// groups keep a pool alive when a member leaves it.
//
// The bodies live in two files: data, arrangement, turning, sizes,
// notifications and drawing here (symswimpool.cpp); ownership, the active
// rectangle and the position searches (symswimpoolown.cpp).
#pragma once

#include <vector>

#include "kvcore/scomds.h"
#include "sym/foundation/symclassreg.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symstd.h"

// Set while a pool's orientation or its lane groups are rebuilt: lane
// arrangement and the self-deletion of emptied pools and groups are skipped
// meanwhile. False at load; one flag for the whole library.
extern bool g_bInSwimGroupUpdate;

// Sets g_bInSwimGroupUpdate for its life and gives it its previous value back.
class SSymSwimGroupUpdate {
 public:
  SSymSwimGroupUpdate() : m_prev(g_bInSwimGroupUpdate) { g_bInSwimGroupUpdate = true; }
  ~SSymSwimGroupUpdate() { g_bInSwimGroupUpdate = m_prev; }
  SSymSwimGroupUpdate(const SSymSwimGroupUpdate&) = delete;
  SSymSwimGroupUpdate& operator=(const SSymSwimGroupUpdate&) = delete;

 private:
  bool m_prev;
};

// H, the swimlane heading height of a diagram: its SwimHeight attribute
// ("SwimlaneHeaderHeight"), DefaultHeadingHeight when unset or without a
// diagram.
LONG SSymSwimHeadingHeight(ISSymDiagram* diagram);
// The diagram's swimlane orientation preference (SwimlaneVert): non-zero
// for lanes side by side; 1 without a diagram or preferences.
int SSymSwimIsVertical(ISSymDiagram* diagram);

// The pool a symbol lies in: up its owners, past any lane groups between,
// to the first owner that answers ISSymSwimPool; null when there is none.
// No reference added (the owner chain holds it).
ISSymbol* SSymSwimFindPool(ISSymbol* symbol);

class SSymSwimLane;
// Around a change of a pool's lanes: when `ctx` records, the step keeps the
// rectangles of the pool and of its members before and after, so that an
// undo ends with the ones before and a redo with the ones after. Only the
// outermost of nested ones records: it covers what the inner ones saw.
class SSymSwimArrangeStep {
 public:
  SSymSwimArrangeStep(SSymSwimLane* pool, ISRepContext* ctx);
  ~SSymSwimArrangeStep();
  SSymSwimArrangeStep(const SSymSwimArrangeStep&) = delete;
  SSymSwimArrangeStep& operator=(const SSymSwimArrangeStep&) = delete;

 private:
  static int s_open;
  SSymSwimLane* m_pool;
  ISRepContext* m_ctx;
};

inline constexpr IID IID_SSymSwimLane = MakeGUID("{8692E610-F401-4440-AEA3-E01913056293}");

class SSymSwimLane
    : public SRepFaces<SSymSwimLane, SSymBasePen, ISSymOwner, ISSymSwimPool, SRepFaceSelf<IID_SSymSwimLane>> {
  KV_SYM_DECLARE_POOL()

 public:
  // Symbol type codes of the swimlane family.
  static constexpr int TypeCode = 12;
  static constexpr int SeparatorTypeCode = 13;
  static constexpr int LaneTypeCode = 14;
  static constexpr int GroupTypeCode = 17;
  static constexpr LONG DefaultHeadingHeight = 2000;
  // The pool's title band lies this far outside its rectangle.
  static constexpr LONG TitleBand = 1200;
  // The length of a new lane's heading band along the pool, and the
  // smallest pool an empty pool's first lane fills entirely.
  static constexpr LONG NewLaneLength = 8000;
  static constexpr LONG FillEmptyPoolFrom = 4000;
  // Fitting the pool to its lanes ignores a change of this much or less
  // (the sum of the four corner moves).
  static constexpr LONG ArrangeTolerance = 50;
  // The repository-object state bit that stops ArrangeLanes.
  static constexpr DWORD RepStateNoArrange = 0x2;

  explicit SSymSwimLane(ISRepSession* session);
  SSymSwimLane(const SSymSwimLane& source);
  ~SSymSwimLane() override;
  // The session lets go of its objects: the line goes first, so that the
  // pool and its line do not keep each other alive.
  void ForgetSession() override;
  KV_SYM_CLASS_TABLES()

  // The repository's creation function of the class.
  static HRESULT CreateInstance(ISRepObject** out, ISRepSession* session, ISRepObject* source);
  // The pool behind any face of it (no reference added), or null.
  static SSymSwimLane* FromInterface(IUnknown* unk) { return SRepFromInterface<SSymSwimLane>(unk, IID_SSymSwimLane); }
  // The pool a symbol belongs to: the first owner up the chain (through
  // lane groups) that is a pool; null when there is none. No reference.
  static SSymSwimLane* PoolOf(ISSymbol* symbol);

  // ---- ISSymSwimPool
  int IsVertical() override { return m_bVertical; }
  void ChangeOrientation() override;
  void GetNewSwimlaneRect(SSymRect& rect) override;
  ISSymbol* GetLineSym() override { return m_pLineSym.Get(); }
  void ArrangeLanes(int redraw) override;
  void GetAllChildrenSym(SUnsortedComBag<ISSymbol>& bag, int all) override;

  // ---- ISSymOwner (symswimpoolown.cpp)
  HRESULT Add(ISSymbol* symbol) override;
  HRESULT Remove(ISSymbol* symbol) override;
  BOOL Contains(ISSymbol* symbol, int deep) override;
  HRESULT GetTopOwner(ISSymOwner** out) override;
  HRESULT SymResize(ISSymbol*) override { return S_OK; }
  HRESULT SymRedraw(ISSymbol* symbol) override;
  HRESULT CreateChildrenSym(int) override { return S_OK; }

  // ---- ISSymbol
  HRESULT Draw(SSymCanvas& canvas) override;
  int GetSymbolType() override { return TypeCode; }
  SSymRect GetActiveRect(SSymCanvas& canvas, int a) override;
  HRESULT DrawHandles(SSymCanvas& canvas) override;
  HRESULT GetDiagram(ISSymDiagram** out) override;
  HRESULT GetRelatedObjectList(SRepListObject* list, ISRepObject* object, int a, SRepBagObject* bag, int b,
                               int mode) override;

  // ---- size setters: along the lanes the pool never gets shorter than
  // its lanes' contents plus the heading; across them it takes the size.
  HRESULT SetSize(const SRep_Point& size) override;
  HRESULT SetHeight(int height) override;
  HRESULT SetWidth(int width) override;

  // ---- repository notifications
  void OnCollectionInsert(LONG id, ISRepObject* other, int pos) override;
  void OnCollectionRemove(LONG id, ISRepObject* other) override;

  // Completes the links of every shown lane and of its children (the host's
  // link completion of ISSymObject, given flag).
  void CompleteLink(int flag);

  // ---- lanes and the heading
  // All lanes of the pool, through its groups, in order (all = 0: hidden
  // members and the lanes of hidden groups left out). Each lane once.
  void GetAllLane(SUnsortedComBag<ISSymbol>& bag, int all);
  // Measures the heading band on a canvas; when it changed (and was known)
  // the pool's heading edge moves by the change. Cached and answered.
  int GetHeadSize(SSymCanvas& canvas);
  // The cached heading size, measured once on a screen canvas when unknown.
  int GetHeadHeight();
  // The extent along the lanes that their contents need, widening lo and hi.
  void GetLanesValidSpan(LONG& lo, LONG& hi);

  // ---- position searches (symswimpoolown.cpp)
  // Where a point falls along the lane axis: the innermost lane group that
  // holds it (null when none does) and, in index, the position among the members.
  // Members in `excluded` (may be null) are skipped.
  ISSymbol* GetLanePosition(const SSymPoint& point, SComBag<ISSymbol>* excluded, int& index);
  // The number of members before the point (by their midpoints).
  int GetPointPosition(const SSymPoint& point);

  // ---- turning
  // Turns one lane (and its content) a quarter into the orientation the
  // pool now has, its start corner on anchor.
  void RotateLaneAt(ISSymbol* lane, const SSymPoint& anchor);
  // Maps a point of a lane's rectangle `from` onto its turned rectangle `to`
  // (both normalised) for a pool now vertical or horizontal; the two
  // mappings undo each other.
  static SSymPoint RotatePointInLane(const SSymPoint& p, const SSymRect& from, const SSymRect& to, int nowVertical);

  // The members of SubSymbols, in order (counted wrappers).
  std::vector<SComWrap<ISSymbol>> Members();

  SHORT m_nGroupType = 0;
  int m_bVertical = 1;
  int m_nHeadSize = 0;
  SComWrap<ISSymbol> m_pLineSym;

  // ---- moving, resizing and picking (symswimpoolmove.cpp)
  // The pool moves with its separator and members (outside undo replay);
  // its title band above or left of it is invalidated first. E_FAIL
  // without a diagram.
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  // A resize keeps every pool of the diagram one extent along its lanes,
  // never cuts into lane contents, never shrinks the pool across its lanes
  // and shares growth across them among the lanes. 0 when nothing changes,
  // 1 without a diagram or without lanes to share growth with.
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  HRESULT IsPtInSubSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** out) override;
  // How far inside its edge a point must lie to pick the pool itself.
  static constexpr LONG BorderTolerance = 75;

  // ---- lane groups (symswimpoolgrp.cpp)
  // The formats of parent groups kept over a rebuild, by model object.
  using GroupFormats = SMap<ISRepObject*, SSymFormatEx>;
  // Dissolves every group of the pool: their lanes take each group's place,
  // in the group's lane order. With parent grouping and a map, the format of
  // every group standing for a model object is saved first (a format
  // already saved is kept).
  void DeleteAllGroup(GroupFormats* formats);
  // With parent grouping, gathers lanes whose model objects share a parent
  // under a group standing for that parent, and so on up the parent chain
  // to the lanes' common ancestor (which gets no group: a single lane, or
  // lanes of one parent, stay ungrouped). Saved formats are given back.
  void CreatePrntGroup(GroupFormats* formats);
  // With user grouping, gathers the selected lanes under one new group that
  // takes the place of the lowest of them; the others follow in pool order.
  // Refused (E_INVALIDARG, nothing changed, nothing made) unless the
  // selection holds at least two distinct lanes or groups that are all
  // direct members of this pool; S_FALSE without a diagram, its display
  // preferences, or with parent grouping.
  HRESULT CreateUserGroup(const SSymCollection& selection);
  // The deepest nesting of groups in the pool; 0 without groups.
  int GetGrpLevel();
  // Every group of the pool, depth first, a group before its inner groups.
  void GetAllGrp(SUnsortedComBag<ISSymbol>& bag);

  // ---- persistence: attributes, deleting, duplicating, formats
  // (symswimpoolpersist.cpp)
  // The regrouping a change of GroupType asks for: dissolve every lane group,
  // then, for mode 1, build the groups over the lanes' model parents. Tests
  // may put another function in its place; null only stores the value.
  using RegroupFn = void (*)(SSymSwimLane& pool, int mode);
  static RegroupFn s_regroup;
  HRESULT HasAttribute(LONG id) override;
  HRESULT GetAttributeDefault(LONG id, SRepVariant* value) override;
  // Stores the value; a new GroupType rebuilds the groups while cascading
  // is allowed.
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  // Deletes the members (the last first) and the separator, then the pool.
  HRESULT Delete() override;
  // A copy with its own separator; with flag 1 or 4 also copies of the
  // members, in the source's order (a member found in map is not copied
  // again). The plain repository copy goes through it (flag 1 for
  // withChildren, no map).
  HRESULT Duplicate(ISRepObject** out, ISRepSession* session, DWORD flags, SRepMapObject* map);
  HRESULT Duplicate(ISRepObject** out, BOOL withChildren) override;
  // Formats the pool and spreads the format to its groups (with their
  // lanes) and loose lanes. The caller's record is left as it is.
  HRESULT SetFormat(const SSymFormatEx& format) override;
  // E_POINTER without a source, 1 for a source that is not a pool; else
  // takes its GroupType (not its orientation) and the symbol attributes.
  HRESULT CopySymAttributes(ISSymbol* source, int copySize) override;
  // ---- end of persistence

 private:
  // Lets go of the line and clears its pointer back to this pool.
  void ReleaseLine();
  // The two points of the separator line along the pool's start edge.
  void LinePoints(SSymPoint& a, SSymPoint& b);
  // Makes the separator line when it is missing (nothing when its class is
  // not available), and puts it on the start edge.
  void EnsureLineSym(int placeOnCreate);
  // Reads the orientation from the diagram the pool was placed in.
  void ReadOrientation();
  // Draws the links of the lanes' children and those attached to lanes.
  void DrawLaneLinks(SSymCanvas& canvas);
  // For its life, the visible composite lanes of a pool leave their
  // children undrawn (the pool draws them); each lane gets its own child
  // drawing back afterwards unless it had it paused already.
  class LaneChildDrawPause {
   public:
    explicit LaneChildDrawPause(SSymSwimLane& pool);
    ~LaneChildDrawPause();
    LaneChildDrawPause(const LaneChildDrawPause&) = delete;
    LaneChildDrawPause& operator=(const LaneChildDrawPause&) = delete;

   private:
    std::vector<SComWrap<ISSymbol>> m_paused;
  };
  // The size setter along the lanes.
  HRESULT SetAlong(LONG extent);
};

// ---- moving, resizing and picking the pool (symswimpoolmove.cpp) ----------------------------------
// The ISSymbol operations of SSymSwimLane that move, resize and pick it, and
// the two routines that re-home symbols after a move. Kept apart from the
// class body above so that each group of operations stays in one place.
//
//   HRESULT SSymSwimLane::MoveBy(const SSymSize&, int)     the pool carries its separator and members
//   HRESULT SSymSwimLane::Transform(const SSymMatrix&, int) resize sharing growth among the lanes
//   BOOL    SSymSwimLane::IsPtInSym(...)                   zones: separator, members, handles, border, links
//   HRESULT SSymSwimLane::IsPtInSubSym(...)                the hit member in *out, answer always 0
//
// Children of the pool's lanes whose centre no longer lies in their lane's
// body are handed to the diagram as top-level symbols. Nothing without a
// diagram.
void SSymSwimReleaseOutsideChildren(SSymSwimLane* pool, ISSymDiagram* diagram);
// Files symbols just moved into a pool into the lane group (or the pool)
// under the drop point, at the drop position; lane groups that stand for
// model objects, or any group in a pool grouped by parents, are dissolved
// into their lanes. The symbols enter in their order along the pool.
void SSymSwimReparentMovedSymbolsToLane(const SComBag<ISSymbol>& moved, const SSymPoint& point, SSymSwimLane* pool);
// The same for symbols in a given order (null entries are skipped): they
// enter the target one after another in that order.
void SSymSwimReparentMovedSymbolsToLane(const std::vector<ISSymbol*>& moved, const SSymPoint& point,
                                        SSymSwimLane* pool);
