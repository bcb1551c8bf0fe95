// SSymSelection: the set of symbols selected in one editing window. Every
// editing command reaches the selected symbols through it.
//
// The set keeps its members twice: in selection order, which every operation
// walks, and as a set of addresses, which answers membership without a
// scan. The order follows the symbols' kinds: swimlane pools stand first
// (each new pool at the very front), a link goes to the front or, behind a
// pool standing first, to the second place, and everything else is
// appended; Insert puts a symbol where its caller says. A symbol is a member
// at most once.
//
// The set may hold sub-object marks (symbol type 18): a mark lives only while
// it is selected, so taking one out of the set erases it on the window and
// deletes it.
//
// Every change sends the selection-change notification with the selection's
// diagram while the library-wide switch is on; a selection without a diagram
// sends none.
#pragma once

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "kvcore/sobject.h"
#include "kvcore/sptrset.h"
#include "sym/diagram/symrectindex.h"
#include "sym/foundation/symallowopt.h"
#include "sym/foundation/symformat.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfselection.h"
#include "sym/symbol/symintfsymbol.h"

class SSymCanvas;
class SSymDataSource;

class SSymSelection : public SObject, public ISSymSelection {
  KV_DECLARE_CLASSINFO()

 public:
  // The symbol type of a sub-object mark.
  static constexpr int MarkType = 18;
  // The symbol type of a swimlane pool, which stands first.
  static constexpr int PoolType = 12;
  // Link bridges are worked out before drawing only above this zoom (percent).
  static constexpr double BridgeZoom = 60.0;

  // A selection of `view` (may be null); `flag` is kept for the caller.
  explicit SSymSelection(SSymView* view = nullptr, int flag = 0);
  // The creator of the class record: a selection with no view, or null
  // when it cannot be allocated.
  static SObject* CreateObject();
  // Lets go of the diagram and the symbols; erases nothing on the screen and
  // sends no notification.
  ~SSymSelection() override;
  SSymSelection(const SSymSelection&) = delete;
  SSymSelection& operator=(const SSymSelection&) = delete;

  // The diagram the notifications name (counted; null allowed).
  void SetDiagram(ISSymDiagram* diagram);
  ISSymDiagram* GetDiagram() const { return m_diagram.Get(); }
  SSymView* GetView() const override { return m_pView; }
  int GetFlag() const { return m_nFlag; }

  // ---- changing the set (draw: handles are drawn or erased on the view)
  // Adds a symbol once, at the place its kind gives it. While the selection
  // has a view, a symbol the view refuses (CanSelect) is not added.
  void Add(ISSymbol* symbol, int draw) override;
  // Inserts a symbol at `index` (-1 or beyond the end appends). Needs a view
  // that accepts the symbol; a member stays where it is.
  void Insert(int index, ISSymbol* symbol, int draw);
  // Takes a member out. A mark is erased and deleted; any other symbol has
  // its handles erased when asked. Removing a symbol that is not a member
  // changes nothing but still notifies.
  void Remove(ISSymbol* symbol, int draw);
  // Takes out, quietly, every member without a repository object; notifies
  // once when one was taken.
  void RemoveSubSymbols();
  // Empties the set. With draw, the members' handles are erased, or, for a
  // set of marks, the marks deleted and their owners drawn again once each;
  // without draw, marks are only let go.
  void Clear(int draw) override;

  // ---- questions
  int GetCount() const override { return static_cast<int>(m_order.size()); }
  // The member at `i` in selection order, or null out of range.
  ISSymbol* GetAt(int i) const override;
  bool Contains(ISSymbol* symbol) const override { return m_members.Contains(symbol); }
  // Also, with deep, a symbol inside a selected group.
  bool Contains(ISSymbol* symbol, int deep) const;
  // The members that stand for model objects: those with a repository
  // object, and the sub-objects of point-list symbols. Never below 0.
  int CountRepSymbols() const;
  // Non-zero when the selection's view lets the symbol be selected: an
  // editing window answers by its own rules (SSymViewEdit::CanSelect); any
  // other window by the symbol core's: not hidden, and every composite the
  // symbol lies in editable (sub-objects and ports excepted).
  int CanSelect(ISSymbol* symbol) override;
  // A bulk change: handles are drawn or erased once, when the outermost
  // batch closes, and only for the symbols whose handles were toggled an
  // odd number of times meanwhile (see ISSymSelection).
  void BeginHandleBatch() override;
  void EndHandleBatch() override;
  // The member under `point`, latest in selection order first (no reference
  // added); `handle` receives what that member's IsPtInSym stored. Null when
  // nothing is hit.
  ISSymbol* HitTest(SSymCanvas& canvas, const SSymPoint& point, int* handle) const;

  // ---- drawing
  // The members' handles in selection order (a second call erases them).
  // Only the members whose handles reach into the canvas's visible area
  // are asked to draw.
  void DrawHandles(SSymCanvas& canvas) const;
  // The members, then their second pass, in selection order; link bridges are
  // worked out first when the diagram's preferences show them and the zoom
  // is above BridgeZoom. Throws SECOMException E_POINTER without a diagram.
  void Draw(SSymCanvas& canvas) const;
  void Redraw(SSymCanvas* canvas) const;

  // Sorts table[low..high] in place by `compare` (negative, zero, positive).
  static void SortSymbolTable(ISSymbol** table, int (*compare)(ISSymbol*, ISSymbol*), int low, int high);

  // ---- the block's extent and moving the block
  // The union of the selected symbols' clip rectangles; all 0 when empty.
  SSymRect GetClipRect() const;
  // Moves every selected symbol by the offset as one undoable step of the
  // first symbol's session (redraw: each symbol redraws as it moves); the
  // diagram then follows the move in the same step (UpdateSymMove, with the
  // moved symbols and the selection's view when it is an editing window).
  HRESULT MoveBy(const SSymSize& offset, int redraw, int flag);

  // ---- dragging the selection out (sym/edit/symseldrag.cpp) ----
  // Drags the selected symbols out of the view from `start` (diagram
  // units) as an SSymDataSource: a single selected composite is dragged as
  // its members; a tree line whose parent is selected too is first taken
  // out of the selection (its parent carries it). Answers the word the
  // receiving window left in the data source (0 for a move inside the same
  // window, which that window made itself), 0 when nothing was dragged.
  // A drop elsewhere that answers move deletes nothing yet: the originals
  // stay.
  int DoDragDrop(const SSymPoint& start);
  // Offers the formats made on demand; answers 1.
  virtual int FillDataSourceDelayed(SSymDataSource* source);

  // ---- applying a format (sym/edit/symselectformat.cpp) ----
  // Gives every selected symbol the parts of `newFormat` that differ from
  // `oldFormat` (the values the format sheet opened with), that the allow
  // options let change and that the symbol has, as one undoable step. A
  // part the new format marks as mixed (a colour 0xFF000000, an arrowhead
  // 255, a tri-state 2, a negative width, ...) or leaves as it was keeps
  // each symbol's own value. Sizes go to symbols that are neither groups
  // nor sub-objects, heights not to complex symbols (their parts make it);
  // a symbol resized by hand keeps its size and adjust words when it takes
  // its first predefined shape. E_POINTER for a missing format or a
  // selection without a diagram; CO_E_OBJNOTCONNECTED, and nothing
  // written, when a selected symbol was deleted meanwhile; S_FALSE for an
  // empty selection, whose new format goes to the diagram's display
  // preferences as the format of new symbols (SSymDispPref::SetSymDefConf).
  HRESULT UpdateLayoutFormat(const SSymFormat* oldFormat, const SSymFormat* newFormat,
                             const SSymAllowOption* allow);

 private:
  // Watches the diagram's top-level symbols: a change there may move a
  // member in or out of the diagram's spatial index.
  class TopLevelWatch;

  void NotifyChanged();
  // Takes the member at `index` out of both tables and releases it.
  void EraseAt(std::size_t index);
  void InsertAt(std::size_t index, ISSymbol* symbol);
  // The place the order rules give a new member.
  std::size_t PlaceFor(ISSymbol* symbol) const;
  // Draws (or erases) a member's handles on the view, or within a batch
  // notes the toggle.
  void DrawHandlesOf(ISSymbol* symbol);
  void ToggleInBatch(ISSymbol* symbol);
  void Changed() { m_bPlacesStale = true; }
  // Brings the positions and the nested members up to date.
  void UpdatePlaces() const;

  SSymView* m_pView;
  SComWrap<ISSymDiagram> m_diagram;
  int m_nFlag;
  // The members in selection order, each counted once.
  std::deque<ISSymbol*> m_order;
  // The same members as a set: whether one is selected without a scan.
  SPtrSet<ISSymbol> m_members;

  // For hit tests: each member's position in the order, and the members
  // that are not top-level symbols of the diagram (the diagram's index holds
  // only those), worked out again after a change.
  mutable std::unordered_map<ISSymbol*, int> m_places;
  mutable std::vector<ISSymbol*> m_nested;
  mutable bool m_bPlacesStale = true;
  // Scratch tables of the hit test, kept to spare an allocation per test.
  mutable std::vector<SSymRectIndex::Found> m_found;
  mutable std::vector<std::pair<int, ISSymbol*>> m_asked;
  TopLevelWatch* m_pWatch = nullptr;  // owned

  // The open handle batches (nested), the symbols whose handles were toggled
  // meanwhile (counted: a symbol may leave the set before its handles are
  // erased), each with whether its toggles are odd, and where each stands.
  int m_nBatch = 0;
  SSymRect m_batchReach;
  std::vector<std::pair<SComWrap<ISSymbol>, bool>> m_batch;
  SAddrMap<ISSymbol, std::uint32_t> m_batchAt;
  // The members a Clear within the batch took out (counted) and those of
  // them not selected again since: their handles are erased when the batch
  // closes. A rebuild of the set (cleared, then filled) so costs one look-up
  // per member.
  std::deque<ISSymbol*> m_clearedOrder;
  SPtrSet<ISSymbol> m_cleared;
};

// Non-zero when every composite the symbol lies in shows its content as
// editable in `diagram`; sub-objects and ports always (they belong to their
// symbol's face, not to a content). 0 for null.
int SSymEditableOwners(ISSymbol* symbol, ISSymDiagram* diagram);

class SSymViewEdit;

// Swaps an editing window's selection for a while and puts it back: the
// symbols selected before are kept (counted) until the object goes. Without
// a window every operation does nothing. No handles are drawn or erased.
class SSymSelectionChangeHelper {
 public:
  explicit SSymSelectionChangeHelper(SSymViewEdit* view) : m_pView(view) {}
  // Keeps the selected symbols and empties the selection.
  void EmptySelection();
  // EmptySelection, then selects the given symbols.
  void ChangeSelection(const SComBag<ISSymbol>& symbols);
  // Selects again what was kept, in place of what is selected now.
  void RestoreSelection();

 private:
  SSymViewEdit* m_pView;
  SComBag<ISSymbol> m_saved;
};
