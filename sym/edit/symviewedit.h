// SSymViewEdit: the editing window of a diagram, in its least form until the
// editing subsystem brings the real one: a diagram window with its selection
// and the folder that receives new objects. Host classes derive from it to
// name their folder; a merge reads the diagram, the selection and the folder
// from it.
//
// A move made with the mouse lends the window its tracker for the length of
// the drag; the diagram's follow-up to the move reads the dragged outline
// and the drop point from it through the move site the window installs
// (sym/diagram/symmovesite.h). The window's swimlane commands switch the
// diagram's swimlanes on and off.
#pragma once

#include "kvcore/scomds.h"
#include "sym/diagram/symview.h"
#include "sym/edit/symselection.h"
#include "sym/foundation/symgeom.h"

// The rectangle tracker of a mouse move, as far as the diagram reads it
// after the move: the outline of what was dragged and the mouse's current
// point, where the symbols are dropped. The tools make it and lend it to the
// window for the length of the drag; the window does not own it.
class SSymTrackerMover {
 public:
  SSymTrackerMover() = default;
  SSymTrackerMover(const SSymRect& rect, const SSymPoint& point) : m_rect(rect), m_point(point) {}
  virtual ~SSymTrackerMover() = default;

  // The outline of the dragged symbols where they are (corners in any order).
  const SSymRect& GetRect() const { return m_rect; }
  void SetRect(const SSymRect& rect) { m_rect = rect; }
  // The mouse's current point (logical units).
  const SSymPoint& GetCurrentPoint() const { return m_point; }
  void SetCurrentPoint(const SSymPoint& point) { m_point = point; }

 private:
  SSymRect m_rect;
  SSymPoint m_point;
};

class SSymViewEdit : public SSymView {
  KV_DECLARE_CLASSINFO()

 public:
  SSymViewEdit();
  ~SSymViewEdit() override;

  // Binds the window to the diagram and names the diagram in the
  // selection's notifications.
  void SetDiagram(ISSymDiagram* diagram) override;
  // Lays the page grid at a print scale in percent (held within 2 .. 5000)
  // and shows the pages the diagram uses.
  void ScalePageSize(double percent) override;
  static constexpr double MinPageScale = 2.0;
  static constexpr double MaxPageScale = 5000.0;

  // The selection of the window (owned by it).
  SSymSelection* GetSelection() { return &m_selection; }
  // The repository folder that receives new objects (not counted); none in
  // the library's own window, a host class supplies it.
  virtual ISRepObject* GetTargetFolder() { return nullptr; }

  // ---- a move with the mouse, and the swimlane switch
  // The tracker of the mouse move in progress (not owned); null while
  // symbols are not moved with the mouse.
  SSymTrackerMover* GetMoveTracker() const { return m_pTracker; }
  void SetMoveTracker(SSymTrackerMover* tracker) { m_pTracker = tracker; }
  // Where the dragged symbols are dropped: the tracker's current point (the
  // origin without a tracker).
  SSymPoint GetDropPoint() const;
  // The commands that show and hide the swimlanes: the display preference
  // is set and the diagram brings its pools into line (ApplyDispPref).
  // Nothing without a diagram or preferences, or for a diagram type without
  // swimlanes.
  void OnActvSwimlane();
  void OnDesactvSwimlane();

 private:
  void ShowSwimlanes(int show);

  SSymSelection m_selection;
  SSymTrackerMover* m_pTracker = nullptr;

  // ==== selecting symbols, and what each selection operation may act on ====
  // (sym/edit/symviewselect.cpp). Virtual where a host's window may answer
  // otherwise.
 public:
  // The operations UpdateSelection trims the selection for.
  enum SelectionOperation : int { OpCopy = 0, OpMove = 2, OpClone = 4, OpProtect = 6, OpHide = 8, OpFlip = 10 };

  int SelectionCount() { return GetSelection()->GetCount(); }
  // Toggles the symbol's selection; `exclusive` first empties the selection.
  // Nothing for a null, protected or hidden symbol, nor when the symbol is
  // the one selected symbol already.
  virtual void SelectSymbol(ISSymbol* symbol, int exclusive);
  // Takes the symbol out of the selection, or out of the one selected group,
  // and takes away the sub-object marks of the symbol.
  void UnselectSymbol(ISSymbol* symbol);
  // Empties the selection, its handles erased.
  void ClearSelection();
  // 1 when the symbol is selected or lies in a selected group.
  int SelectionContains(ISSymbol* symbol);
  // 1 when the symbol or one of its owners is in the selection.
  virtual int IsSymInSelection(const SSymSelection& selection, ISSymbol* symbol);
  // Whether the symbol may join the selection: not null, protected or
  // hidden; no mixing of sub-object marks with symbols; every composite it
  // lies in editable (sub-objects and ports excepted).
  virtual int CanSelect(ISSymbol* symbol);
  // Adds every top-level symbol of the kind, and, for other kinds than the
  // pool, those of that kind inside the pools; one notification in all.
  virtual void SelectTypeOf(int kind);
  // Whether a command applies to several selected symbols, or to one.
  virtual bool IsMultiSelectionAllowed(UINT id);
  virtual bool IsSingleSelectionAllowed(UINT id);
  // 1 for a lane or a lane group.
  virtual int IsSwimlaneSymbol(ISSymbol* symbol);

  // Trims the selection to what the operation (SelectionOperation) may act
  // on; any other code leaves it as it is.
  virtual void UpdateSelection(SSymSelection& selection, int operation);
  // The selected symbols with a repository object.
  virtual int UpdateSelectionCount(const SSymSelection& selection);
  // Takes out of the symbols to delete those a delete leaves alone (tree lines).
  virtual void UpdateDeleteSelection(SSymCollection& symbols);
  // Non-zero when the symbols may be grouped: top-level symbols, or adjacent
  // lanes of one pool that groups its lanes by the user's choice; more than one.
  virtual int CanGroupSelection(const SSymCollection& symbols);
  // Outlines the heading band of the pool under the point while the pointer
  // tool is active and the preferences offer swimlanes, or takes it away.
  void DrawSwimSelection(const SSymPoint& point);
  // The pool whose band is outlined (counted library-wide), or null.
  static ISSymbol* GetSwimHighlight();

  // Set while the edit-in-place timer runs: a click on the selected symbol.
  int IsLongClick() const { return m_bLongClick; }
  void SetLongClick(int on) { m_bLongClick = on; }
  // Whether the pointer tool is the active tool (none here: the tools come
  // with their subsystem, which answers for the window).
  virtual bool IsPointerToolActive() { return false; }

 private:
  void TrimForCopyOrMove(SSymSelection& selection, int operation);
  int m_bLongClick = 0;
};

// Moves by `offset`, with redraw, every swimlane pool of the window's
// diagram that `moved` does not hold. Nothing without a window or a diagram.
void MoveSymbolsNotInBag(SSymViewEdit* view, const SComBag<ISSymbol>& moved, const SSymSize& offset);
