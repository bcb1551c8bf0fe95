// SSymViewEdit: the editing window of a diagram. A diagram window (SSymView)
// that adds a selection of its own, the editing tools, a tooltip and an OLE
// drop target, and a message map for the host's commands. A command the
// window's map does not take goes on to the selection's command target; the
// zoom commands, the snap grid, the handles of the selection and the hit
// test that knows the selection are the window's own.
//
// A move made with the mouse lends the window its tracker for the length of
// the drag; the diagram's follow-up to the move reads the dragged outline
// and the drop point from it through the move site the window installs
// (sym/diagram/symmovesite.h). The window's swimlane commands switch the
// diagram's swimlanes on and off.
//
// Host classes derive from it to fill the hooks whose library bodies are
// trivial (the folder that receives new objects, the display name...).
#pragma once

#include <memory>
#include <utility>

#include "kvcore/scomds.h"
#include "kvcore/sshellview.h"
#include "kvcore/stooltipctrl.h"
#include "kvlib/soledroptarget.h"
#include "sym/diagram/symview.h"
#include "sym/edit/symseldispatch.h"
#include "sym/edit/symselection.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symgeom.h"
#include "sym/tools/symtracker.h"
#include "sym/tools/symtrackerpoly.h"

class SSymToolBase;

// The export-in-colour setting of the process: 2 until the first editing
// window reads the user's "ExportInColor" (1 when unset).
extern int g_nExportInColor;

class SSymViewEdit : public SSymView, private ISDropTarget {
  KV_DECLARE_CLASSINFO()
  KV_DECLARE_MESSAGE_MAP()

 public:
  // The host's command ids the window and its selection's target answer.
  enum : UINT {
    CmdPreview = 104,
    CmdProperties = 118,
    CmdOleLinks = 2161,
    CmdViewScaleFirst = 2500,  // 2500 .. 2510: the fixed zoom table
    CmdViewScaleLast = 2510,
    CmdViewZoomIn = 2511,
    CmdViewZoomOut = 2512,
    CmdViewZoomSel = 2513,
    CmdViewGlobal = 2514,
    CmdViewUsed = 2517,
    CmdViewPage = 2518,
    CmdViewAllPages = 2519,
    CmdViewScaleActual = 2531,  // as 2505: actual size
    CmdActvSwimlane = 2820,
    CmdDesactvSwimlane = 2821,
    CmdCtrlSubstract = 60000,
    CmdToolPointer = 2700,
    CmdToolFirst = 2701,  // 2701 .. 2714: the tools of the toolbar (GetToolRecord)
    CmdToolLast = 2714,
  };
  // The entries of the "&Composite View" pop-up of a symbol's context menu,
  // by command id; the pop-up's positions are bit 1 << position of the mask
  // GetCompViewMenuID fills (the separator stands at position 3).
  enum : UINT {
    CmdCompShowHidden = 2220,        // position 4
    CmdCompCreateAllChildren = 2221, // position 5
    CmdCompEditable = 2222,          // position 2
    CmdCompReadOnly = 2223,          // position 1
    CmdCompNone = 2224,              // position 0
    CmdCompAdjustReadOnly = 2225,    // position 6
  };
  // The repository class whose objects keep no diagram of their own.
  static constexpr CLSID NoDiagramClass = SSymMakeClassId(0x2000024);
  // The factor of one zoom step in or out.
  static constexpr double ZoomStep = 1.4;
  // The grid is drawn only while its spacing, at the current zoom, is at
  // least this many diagram units at actual size.
  static constexpr LONG MinGridSpacing = 600;
  // The edge of the drawing area: the current point while there is none.
  static constexpr LONG NoPoint = 900000;
  // The page size of a new window (8.5 x 11 inches).
  static constexpr LONG DefPaperWidth = 61200;
  static constexpr LONG DefPaperHeight = 79200;
  static constexpr double MinPageScale = 2.0;
  static constexpr double MaxPageScale = 5000.0;

  // The window owns `selection`, or a selection it makes when null.
  explicit SSymViewEdit(SSymSelection* selection = nullptr);
  ~SSymViewEdit() override;

  // ---- window and command routing
  BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
  // The window's own map first, then the selection's command target; TRUE
  // when either took the command (or the update request).
  BOOL OnCmdMsg(UINT id, int code, void* extra, SCmdHandlerInfo* info) override;
  // Mouse messages are shown to the tooltip; Ctrl+N and Ctrl+I on a
  // selected row of a symbol add a row object.
  BOOL PreTranslateMessage(MSG* msg) override;
  int OnCreate(LPCREATESTRUCTW cs);
  void OnDestroy();
  // Binds the window and its selection to the diagram (null allowed); with
  // a diagram: the current tool serves the window again, the zoom is the
  // diagram's Scale, and the text fitting and layout the diagram put off
  // are done once.
  void SetDiagram(ISSymDiagram* diagram) override;
  // A symbol leaving the diagram leaves the selection.
  void NotifyRemove(ISSymbol* symbol) override;

  // ---- drawing, hit testing and snapping
  // The page grid and the snap grid under the symbols, the handles of the
  // selection over them (while the window is active).
  void OnDraw(const SSymRect& area) override;
  // flags 0 or 1: the selection first, then the diagram; flags with bit 2:
  // the selection only; any other: the unselected symbols only. Bit 1 lets
  // `part` through. No reference is added to the answer.
  ISSymbol* HitTest(const SSymPoint& point, unsigned long flags, int* part) override;
  // To the nearest grid point (halves upward) while snapping is on with a
  // grid above 0; unchanged otherwise (no diagram, a deleted one, none of
  // its preferences).
  virtual SSymPoint SnapToGrid(const SSymPoint& point);
  // The lower-left corner to the nearest grid point, the whole rectangle
  // moved with it, then the far corner rounded the same way: width and
  // height become multiples of the grid.
  virtual SSymRect SnapToGrid(const SSymRect& rect);
  // Whether a grid of `size` is drawn at the current zoom.
  bool IsSnapGridVisible(LONG size) const;

  // ---- zoom
  virtual double GetScale();
  // Held within 2 .. 5000; a request without a number changes nothing.
  virtual void SetScale(double percent);
  // Fits the diagram's symbols, or shows them at actual size about their
  // centre when they fit so; actual size about the origin for an empty
  // diagram. SECOMException E_POINTER without a diagram.
  virtual void ScaleToSymbols();
  // The same for the selection's extent.
  virtual void ScaleToSelection();
  // Fits the page under the current tool's last right-button press.
  virtual void ScaleToCurrentPage();
  // Fits the whole drawing area.
  virtual void ScaleToAllPages();
  // Lays the page grid at a print scale in percent (held within 2 .. 5000)
  // and shows the pages the diagram uses.
  void ScalePageSize(double percent) override;
  // ---- placing the diagram on printed pages
  // Scales the diagram (its stored zoom, held within 2 .. 5000) so that its
  // symbols fill a grid of pages across x down centred on the origin, and
  // centres them there; nothing for an empty diagram or one already inside
  // the pages at zoom 100. One undo step when `undoable`.
  virtual void FitToPages(int across, int down, int undoable);
  // Centres the symbols on the whole pages that cover them.
  virtual void CenterInPages(int undoable);
  // Moves every symbol of the diagram by `offset` (one undo step when
  // `undoable`), redrawing the window when `redraw`.
  virtual void MoveAllSymbols(const SSymSize& offset, int redraw, int undoable);

  // The zoom of the fixed table for a command id; 0 for an id outside it.
  static double GetTableScale(UINT id);

  // ---- command handlers
  void OnViewZoomIn();
  void OnViewZoomOut();
  void OnViewScaleX(UINT id);
  void OnViewZoomSel();
  void OnViewGlobal();
  void OnViewUsed();
  void OnViewPage();
  void OnViewAllPages();
  void OnCtrlSubstract() {}
  // Preview and links to other documents are not offered: disabled.
  void OnUpdatePreview(SCmdUI* ui);
  // The commands that show and hide the swimlanes: the display preference
  // is set and the diagram brings its pools into line (ApplyDispPref).
  // Nothing without a diagram or preferences, or for a diagram type without
  // swimlanes.
  void OnActvSwimlane();
  void OnDesactvSwimlane();

  // ---- hooks a host view fills (the library's bodies are trivial)
  // The repository folder that receives new objects (not counted).
  virtual ISRepObject* GetFolder() { return nullptr; }
  virtual ISRepObject* GetTargetFolder() { return GetFolder(); }
  // The diagram's session (counted) into *out; nothing without a diagram.
  virtual void GetSession(ISRepSession** out);
  virtual BOOL ShouldConfirmSymbolDeletion(ISRepObject* object) { return object != nullptr; }
  // Whether a model object may have diagrams of its own: 0 for null and for
  // an object of NoDiagramClass (or a class derived from it), else 1.
  virtual int IsObjHasDiagram(ISRepObject* object);
  // Sets the command's enabled state and answers it.
  virtual int EnableSelectionCmd(SCmdUI* ui, int enable);
  // The diagram's attaching of a new symbol; null without a diagram.
  virtual ISSymbol* AttachSymbol(ISSymbol* symbol, int setDefaults);
  virtual SString GetDispName() { return SString(); }
  virtual int CanShowCompositeViews() { return 1; }
  virtual int UpdateCollection() { return 1; }
  virtual void DisplayPref() {}
  // Called once the window exists.
  virtual int PostCreate() { return 1; }

  // ---- state
  SSymSelection* GetSelection() { return m_pSelection; }
  // The selection's command target.
  SCmdTarget* GetSelectionCmdTarget() { return &m_dispatch; }
  int IsMovingSelection() const { return m_bMovingSelection; }
  void SetMovingSelection(int moving) { m_bMovingSelection = moving; }
  SShellView* GetShellView() const { return m_pShellView; }
  void SetShellView(SShellView* view) { m_pShellView = view; }
  // The host's window commands go to: the first window of the shell view's
  // sites; null without one.
  HWND GetRoutingWindow() const;
  SWnd* GetRoutingWndPtr() const;
  SSymView* GetCompView() const { return m_pCompView; }
  void SetCompView(SSymView* view) { m_pCompView = view; }
  int IsLongClick() const { return m_bLongClick; }
  void SetLongClick(int on) { m_bLongClick = on; }
  const SSymPoint& GetCurrentPoint() const { return m_currentPoint; }
  void SetCurrentPoint(const SSymPoint& point) { m_currentPoint = point; }
  // The class of the default tool made when the window is created.
  void SetDefaultToolClass(const SClassInfo* info) { m_pToolClass = info; }
  SSymToolBase* GetDefaultTool() const { return m_pDefaultTool; }
  SSymToolBase* GetCurrentTool() const { return m_pCurrentTool; }
  SSymToolBase* GetPreviousTool() const { return m_pPreviousTool; }

  // ---- tools (sym/edit/symviewtools.cpp)
  // Switches the current tool: null returns to the pointer tool; the tool
  // that is current already only takes the parameter; the previous tool is
  // swapped back when asked for again, else a new tool is made and the tool
  // pushed out of the previous place is deleted. A toolbar double-click
  // re-activates the current tool, then brings the previous one back with
  // the restore-tool flag raised during its activation. A record that makes
  // no tool changes nothing.
  virtual void SetTool(const SClassInfo* record, unsigned long parameter);
  // Between the pointer tool and the last other tool; the selection is
  // cleared. Nothing without a previous tool, nor between a right
  // double-click and the next right-button release.
  void OnToolFlip();
  int IsFlipLocked() const { return m_bFlipLocked; }
  // The tool commands: 2700 the pointer tool, 2701 .. 2714 lasso, grabber,
  // zoom in, zoom out, properties, delete, rectangle, ellipse, line, arc,
  // polyline, polygon, rounded rectangle, text. Always enabled; checked
  // while the current tool is exactly of the command's class.
  static const SClassInfo* GetToolRecord(UINT id);
  void OnToolPointer() { SetTool(nullptr, 0); }
  void OnToolBasic(UINT id);
  void OnUpdateToolPointer(SCmdUI* ui);
  void OnUpdateToolBasic(SCmdUI* ui);
  // Trackers on the window's canvas, handed to the caller who deletes them:
  // the mover of a rectangle gripped at a point; the sizer of a symbol's
  // handle (none for a symbol that may not be resized), with the symbol's
  // keep-proportions and keep-centre settings; the point-list tracker of a
  // vertex or segment of a line.
  virtual SSymTrackerMover* CreateTrackerMove(const SSymPoint& point, const SSymRect& rect);
  virtual SSymTrackerSizer* CreateTrackerSize(ISSymbol* symbol, const SSymPoint& point, int handle);
  virtual SSymTrackerPoly* CreateTrackerPoly(ISSymPolyline* symbol, int vertex, const SSymPoint& point, int control);
  // The mouse, passed on to the current tool in diagram units with Alt
  // added to the key state; the cursor over the client area is the tool's.
  void OnMouseMove(UINT flags, POINT point);
  void OnLButtonDown(UINT flags, POINT point);
  void OnLButtonUp(UINT flags, POINT point);
  void OnLButtonDblClk(UINT flags, POINT point);
  void OnRButtonDown(UINT flags, POINT point);
  void OnRButtonUp(UINT flags, POINT point);
  void OnRButtonDblClk(UINT flags, POINT point);
  BOOL OnSetCursor(SWnd* wnd, UINT hitTest, UINT message);
  // The timer that starts in-place editing: the pointer tool starts it on a
  // second release over the only selected symbol.
  enum : UINT_PTR { TimerEditInPlace = 0xE000 };
  // On TimerEditInPlace: the timer stops, the armed flag (IsLongClick) is
  // cleared and, with exactly one symbol selected, editing starts at the
  // current point.
  void OnTimer(UINT_PTR id);
  // Starts in-place editing of the symbol at the point (the user's
  // "EditInPlace" setting, read once, may turn it off); 1 when an editor
  // started.
  virtual int EnableEditInPlace(ISSymbol* symbol, const SSymPoint& point);
  // The symbol's tooltip text in the host's status bar (empty clears it);
  // null takes the symbol under the pointer. Nothing while the pointer is
  // outside the window or without a shell view.
  virtual void ShowStatusBarText(ISSymbol* symbol);
  // Whether a left press reached the window since the last check.
  int TakeLeftPress() { return std::exchange(m_bLeftPressed, 0); }
  // The tooltip; null before creation, after destruction or when it could
  // not be made.
  SToolTipCtrl* GetToolTip() const { return m_pToolTip; }
  // The top-level symbols of a diagram, in its order (none without one).
  static SComTable<ISSymbol> DiagramSymbols(ISSymDiagram* diagram);
  // Whether the window is registered as a drop target.
  bool IsDropTargetRegistered() const { return m_dropTarget.IsRegistered() != 0; }

  // ---- a move with the mouse
  // The tracker of the mouse move in progress (not owned); null while
  // symbols are not moved with the mouse.
  SSymTrackerMover* GetMoveTracker() const { return m_pMoveTracker; }
  void SetMoveTracker(SSymTrackerMover* tracker) { m_pMoveTracker = tracker; }
  // Where the dragged symbols are dropped: the tracker's current point (the
  // origin without a tracker).
  SSymPoint GetDropPoint() const;

  // ---- dragging the selection (sym/edit/symviewdrop.cpp)
  // Drags the selection out of the window from the point (diagram units);
  // answers what the selection's drag answers, or 0 when the window went
  // during the drag. The window object outlives the drag.
  int DragSelection(const SSymPoint& start);
  // Whether a drag is shown over the window (its outline on the surface).
  bool IsDropActive() const { return m_bDropActive != 0; }

 protected:
  // The grid points inside `area`, one black pixel each.
  void DrawSnapGrid(const SSymRect& area);
  // The drop effects the window takes for the data: move (2) for symbols
  // dragged out of an editing window, else none. A derived window may widen
  // it.
  virtual DWORD GetDropEffects(SOleDataObject& data);

 private:
  // ---- drop target (sym/edit/symviewdrop.cpp). Symbols dragged inside
  // this window show their outline following the snapped pointer and are
  // moved by the drop as one undo step; any other data is refused.
  DWORD DropEnter(SOleDataObject& data, DWORD keyState, POINT point) override;
  void DropExit(SOleDataObject& data) override;
  DWORD DropOver(SOleDataObject& data, DWORD keyState, POINT point) override;
  void DropScroll(UINT horizontal, UINT vertical) override;
  BOOL Drop(SOleDataObject& data, DWORD effect, POINT point) override;
  // The effect of the keys held (MK_* bits) for data the window accepts.
  DWORD DropEffectOfKeys(DWORD keyState, bool ownWindow) const;
  // Takes the outline away and lets the canvas go; back to no drag.
  void EndDropFeedback();

  void ShowSwimlanes(int show);
  // Zooms to fit `r`, or to actual size about its centre when it fits so.
  void ScaleToExtent(const SSymRect& r);
  // Runs a zoom command; an error is shown, not thrown.
  template <class F>
  void RunZoomCommand(const char* name, F&& zoom);
  // The fitting and layout the diagram put off, done once.
  void WorkOffDiagramFlags(ISSymDiagram* diagram);
  void DeleteTools();

  SSymSelection* m_pSelection;
  SSymSelectionDispatch m_dispatch;
  int m_bMovingSelection = 0;
  const SClassInfo* m_pToolClass;
  SShellView* m_pShellView = nullptr;
  SSymView* m_pCompView = nullptr;
  SSymToolBase* m_pDefaultTool = nullptr;
  SSymToolBase* m_pCurrentTool = nullptr;
  SSymToolBase* m_pPreviousTool = nullptr;
  int m_bFlipLocked = 0;
  int m_bLeftPressed = 0;
  SOleDropTarget m_dropTarget;
  SSymTrackerMover* m_pMoveTracker = nullptr;
  // The drag passing over the window.
  int m_bDropRightButton = 0;
  DWORD m_dwDropEffects = 0;
  std::unique_ptr<SSymTrackerMover> m_pDropTracker;
  std::unique_ptr<LockCanvas> m_pDropLock;
  int m_bDropActive = 0;
  SToolTipCtrl* m_pToolTip = nullptr;
  int m_bLongClick = 0;
  SSymPoint m_currentPoint{NoPoint, NoPoint};

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
  // Selects every top-level symbol of the diagram; one notification in all.
  void OnSelectAll();
  // The composite view a symbol's context menu offers: the command id of
  // the mode the symbol's content is shown in (CmdCompNone, CmdCompReadOnly
  // or CmdCompEditable); `mask` receives the entries of the pop-up that do
  // not apply, and `opensDiagram` 1 when the symbol's model object may have
  // diagrams of its own (IsObjHasDiagram). 0, with the outs left as they
  // are, for a null symbol, a window without display preferences, or a
  // symbol that shows no model object of composite behaviour. Either out may
  // be null.
  virtual int GetCompViewMenuID(ISSymbol* symbol, int* mask, int* opensDiagram);
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

  // Whether the pointer tool is the active tool (none here: the tools come
  // with their subsystem, which answers for the window).
  virtual bool IsPointerToolActive() { return false; }

 private:
  void TrimForCopyOrMove(SSymSelection& selection, int operation);
};

// Moves by `offset`, with redraw, every swimlane pool of the window's
// diagram that `moved` does not hold. Nothing without a window or a diagram.
void MoveSymbolsNotInBag(SSymViewEdit* view, const SComBag<ISSymbol>& moved, const SSymSize& offset);
