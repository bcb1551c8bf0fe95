// The faces of what holds symbols: owners, the diagram (its subsystem
// implements it), and composites, groups and trees.
#pragma once

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "kvcore/sstring.h"
#include "kvrep/srepintf.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symgeom.h"
#include "win/windef.h"

class SSymView;
class SSymViewEdit;
class SSymCanvas;
class SSymFormat;
class SSymCollection;
class SRepMapObject;
struct SSymCompDef;

struct ISSymbol;
struct ISSymLink;
class SSymAutoLayout;
class SSymAutoLayoutParam;

// ---- owners ------------------------------------------------------------------------------------
struct ISSymOwner : IUnknown {
  static constexpr IID iid = IID_ISSymOwner;
  virtual HRESULT Add(ISSymbol* symbol) = 0;
  virtual HRESULT Remove(ISSymbol* symbol) = 0;
  virtual BOOL Contains(ISSymbol* symbol, int deep) = 0;
  // The outermost owner; *out is left as the caller set it when there is none above.
  virtual HRESULT GetTopOwner(ISSymOwner** out) = 0;
  virtual HRESULT SymResize(ISSymbol* symbol) = 0;
  virtual HRESULT SymRedraw(ISSymbol* symbol) = 0;
  virtual HRESULT CreateChildrenSym(int flag) = 0;
};

// ---- the diagram (its subsystem implements it) ---------------------------------------------------
struct ISSymDiagram : IUnknown {
  static constexpr IID iid = IID_ISSymDiagram;
  virtual BOOL AdjustSymbolToText(ISSymbol* symbol, int a, int b) = 0;
  virtual SSymView* GetFirstView() = 0;
  virtual int GetViewCount() = 0;
  // Null for an index out of range.
  virtual SSymView* GetView(int index) = 0;
  virtual BOOL IsSymEditable(ISSymbol* symbol, ISRepObject* object) = 0;
  virtual HRESULT SnapToGrid(SSymRect& rect) = 0;
  virtual HRESULT Remove(ISSymbol* symbol) = 0;
  // The repository collection of the diagram's symbols (counted).
  virtual HRESULT GetSymbols(ISRepClassCol** out) = 0;
  // True when the diagram's control holder reports a change in its own context.
  virtual BOOL ChangeInContext() = 0;

  // Places a new top-level symbol at the position its kind asks for.
  virtual HRESULT Add(ISSymbol* symbol) = 0;
  // Inserts at a position of the drawing order (-1 appends).
  virtual HRESULT Insert(int pos, ISSymbol* symbol) = 0;
  virtual HRESULT MoveTo(ISSymbol* symbol, int pos) = 0;
  // Whether the symbol is a top-level symbol (include: also inside nested owners).
  virtual BOOL Contains(ISSymbol* symbol, int include) = 0;
  virtual int GetPos(ISSymbol* symbol) = 0;
  virtual int GetCount() = 0;
  // The union of the visible top-level symbols; all zero when none.
  virtual SSymRect GetClipRect() = 0;
  virtual HRESULT SnapToGrid(SSymPoint& point) = 0;
  // Gives a new symbol the default format (when asked) and adds it.
  virtual ISSymbol* AttachSymbol(ISSymbol* symbol, int setDefaults) = 0;
  virtual int IsLink(ISSymbol* symbol) = 0;
  virtual void AddView(SSymView* view) = 0;
  virtual void RemoveView(SSymView* view) = 0;
  virtual BOOL ContainsView(SSymView* view) = 0;
  virtual LONG RedrawAllViews() = 0;
  // Writes a picture of every symbol: a metafile for ".emf", else a bitmap file.
  virtual HRESULT ExportImage(const SString& file) = 0;

  // ---- host operations: the symbols of model objects. The library's own
  // diagram answers null to each; a host's diagram type makes, finds and
  // copies the symbols of its model objects. The symbol answered is not
  // counted: the diagram (or the owner it was placed in) holds it.
  // A new symbol for a model object, placed at (x, y) (add: 1 adds it to the diagram).
  virtual ISSymbol* CreateSymbolForObject(ISRepObject* object, int x, int y, int add) = 0;
  // A new link symbol for a link object, attached to the symbols of its two ends.
  virtual ISSymbol* CreateLinkSymbolForObject(ISRepObject* link, ISSymbol* first, ISSymbol* second) = 0;
  // A copy of source bound to the destination object, moved by offset (add:
  // 1 adds it to the diagram; map, when given, receives source -> copy).
  virtual ISSymbol* CopySymbolForObject(ISRepObject* object, ISSymbol* source, int add, const SSymSize& offset,
                                        int flag, SRepMapObject* map) = 0;
  // A copy of the source link bound to the destination object, between the copies of its ends.
  virtual ISSymbol* CopyLinkSymbolForObject(ISRepObject* object, ISSymbol* first, ISSymbol* second,
                                            ISSymLink* source, const SSymSize& offset) = 0;
  // The symbol that shows the model object in the diagram, or null.
  virtual ISSymbol* FindSymbolOfObject(ISRepObject* object, int flag) = 0;

  // ---- composite membership: what a composite asks of its diagram before
  // it takes a child. The library's own diagram answers as a plain diagram.
  // A new symbol for a model object placed at its centre point (complete:
  // 1 completes it from the model as well), held by the diagram; null when
  // the diagram makes none, which the library's own diagram never does.
  virtual ISSymbol* AttachObject(ISRepObject* object, const SSymPoint& centre, int complete) {
    (void)object, (void)centre, (void)complete;
    return nullptr;
  }
  // The kind of the diagram (0 for the library's own; the host's kinds are its own).
  virtual int GetDiagramKind() { return 0; }
  // The class of the symbol the diagram would make for a model object:
  // S_OK and the class, or S_FALSE (and GUID_NULL) when it makes none.
  virtual HRESULT GetSymbolClassForObject(ISRepObject* object, int flag, CLSID* out) {
    (void)object, (void)flag;
    if (!out) return E_POINTER;
    *out = GUID_NULL;
    return S_FALSE;
  }

  // ---- swimlanes: fits the heading height shared by the diagram's lanes
  // to their titles ("AdjustSwimlaneHeaderHeight"). The library's own
  // diagram keeps its height as it is.
  virtual void AdjustSwimHeight(int redraw) { (void)redraw; }

  // ---- automatic layout: whether the diagram may be laid out and the run
  // itself (SSymAutoLayout and its parameters belong to the layout
  // subsystem). These defaults are those of a diagram that does not lay
  // itself out; the library's own diagram answers them all.
  // Whether a layout may run on the selection (null or empty: no selection).
  virtual bool CanAutoLayout(const SComTable<ISSymbol>* selection = nullptr) {
    (void)selection;
    return false;
  }
  // The layout with the default options: AutoLayout(-1, -1, false).
  virtual bool AutoLayout() { return AutoLayout(-1, -1, false); }
  // The layout with a style and an orientation (metamodel values, -1 for the
  // defaults) and whether synonyms may be made; true when it ran.
  virtual bool AutoLayout(short style, short orientation = -1, bool createSynonyms = false) {
    (void)style, (void)orientation, (void)createSynonyms;
    return false;
  }
  // The layout with the caller's parameters; true when it ran.
  virtual bool AutoLayout(SSymAutoLayoutParam& param) {
    (void)param;
    return false;
  }
  // A new layout object for the parameters (null: for no particular run),
  // owned by the caller, who deletes it; null when none can be made.
  virtual SSymAutoLayout* CreateAutoLayoutMgr(SSymAutoLayoutParam* param) {
    (void)param;
    return nullptr;
  }
  // ---- after a move: tree order and swimlane follow-up ----
  // Called by the selection once it has moved the symbols in `moved` by
  // `offset` (one undoable step, which this call joins): children of trees
  // take the order of their new positions and, for a mouse move in `view`
  // (may be null) of a diagram with swimlanes, lanes and pools are re-filed.
  // The library's own diagram does so; other implementers do nothing.
  virtual void UpdateSymMove(const SComBag<ISSymbol>& moved, const SSymSize& offset, SSymViewEdit* view) {
    (void)moved, (void)offset, (void)view;
  }
  // Brings the swimlane pools into line with the display preferences:
  // dissolved when swimlanes are not shown, turned into the preferred
  // orientation otherwise.
  virtual void ApplyDispPref() {}

  // ---- composite attachment and editability: where a symbol belongs among
  // the composites and lanes, and whether a composite's contents may be
  // edited. These bodies answer as a diagram that attaches nothing; the
  // library's own diagram answers them from its symbols and preferences.
  // Puts the symbol into the composite or lane that lies under its centre:
  // the top-level symbol that took it (a composite, or the pool whose lane
  // did), else null. Not counted: the diagram holds it.
  virtual ISSymbol* AttachToComposite(ISSymbol* symbol) {
    (void)symbol;
    return nullptr;
  }
  // Takes the symbol out of its composite owner and gives it to the
  // diagram: the former owner (not counted), or null when the owner is no
  // composite.
  virtual ISSymbol* DetachFromComposite(ISSymbol* symbol) {
    (void)symbol;
    return nullptr;
  }
  // Whether the symbol may be attached to the diagram at all (pools and
  // lane groups only where the diagram has swimlanes).
  virtual BOOL CanAttachSymbol(ISSymbol* symbol) {
    (void)symbol;
    return 0;
  }
  // Switches the editability of one composite in its own content text: 1
  // when the text changed, else 0.
  virtual int SetCompEditable(ISSymbol* symbol, int editable) {
    (void)symbol, (void)editable;
    return 0;
  }
};

// ---- composites, groups, trees (their subsystem implements them) -------------------------------------
// The composite part of a symbol: a symbol whose child symbols stand for the
// sub-objects of its model object. The children are the members of the
// composite symbol's Symbols collection. The operations keep their order:
// callers elsewhere reach them by position, the owner operations first.
struct ISSymCompSym : ISSymOwner {
  static constexpr IID iid = IID_ISSymCompSym;
  using ISSymOwner::Remove;
  // The rectangle the children need (all zero when none contributes);
  // header non-zero reserves the title's height above them and adds the
  // class's margins.
  virtual SSymRect GetChildrenRect(int header) = 0;
  // Grows the composite around its children (never shrinks it) and passes
  // the growth on to its own composite owner; 1 when it grew or when growth
  // is suspended or the composite is going away, 0 otherwise.
  virtual int UpdateRect() = 0;
  // Non-zero when the model object may become a child (collection -1: any).
  virtual int CanAddAsChild(ISRepObject* candidate, LONG collection, const SString& text) = 0;
  // Appends the child symbols (counted) without clearing the table; deep
  // non-zero lists all descendants in pre-order.
  virtual HRESULT GetAllChildren(SComTable<ISSymbol>& out, int deep) = 0;
  // Takes a child out; withObject non-zero takes its model object out of the
  // composite's model object too.
  virtual HRESULT Remove(ISSymbol* symbol, int withObject) = 0;
  // -1 no child kind, 0 excluded, 1 listed in the class's first type table,
  // 2 any other, 3 a symbol that belongs inside.
  virtual int GetChildType(ISSymbol* symbol) = 0;
  // 1 with the rectangle a child takes up, 0 when it takes none.
  virtual int GetChildRect(ISSymbol* symbol, SSymRect& rect) = 0;
  // Draws the children: plain shapes and links first, unclipped; the boxes
  // links attach to within the draw rectangle; ports last.
  virtual HRESULT DrawChildren(SSymCanvas& canvas) = 0;
  // Creates the missing child symbols (and links) from the model object.
  virtual HRESULT CompleteAllChildrenSym(int recursive) = 0;
  virtual int HasAllChildrenSym(int recursive) = 0;
  virtual int HasHiddenChildrenSym() = 0;
  // Gives destination a copy of every child of source (map, when given,
  // receives source child -> copy).
  virtual HRESULT CopyChildrenSym(ISSymbol* source, ISSymbol* destination, int deep,
                                  SMap<ISSymbol*, ISSymbol*>* map) = 0;
  // Places the new children in rows inside the composite.
  virtual HRESULT LayoutChildrenSym(SUnsortedComBag<ISSymbol>& added) = 0;
  // The matrix that keeps the children enclosed when the composite is
  // transformed by move (children is left as it is when they stay inside).
  virtual HRESULT RecomputeMatrix(const SSymMatrix& move, SSymMatrix& children) = 0;
  // Stamps the children's modification date with one time.
  virtual HRESULT UpdateAllSubSymMdat() = 0;
  // The child symbol that shows the model object (not counted), or null.
  virtual ISSymbol* FindChildSymbol(ISRepObject* object) = 0;
  // The deriving class's own test: non-zero keeps a child out of the
  // composite's bookkeeping (child type 0, not laid out).
  virtual int IsExcludedChild(ISSymbol* symbol) = 0;
  // The composite symbol (not counted), or null once it is gone.
  virtual ISSymbol* GetCompSymbol() = 0;
  // The class's definition record, or null.
  virtual const SSymCompDef* GetCompDef() = 0;
  // The part of the composite its children may use (below the title).
  virtual SSymRect GetDrawRect() = 0;
};

// A symbol made of member symbols (composites, groups). Its pen and line
// style are the faces ISSymPen and ISSymLine of the same symbol.
struct ISSymGroup : IUnknown {
  static constexpr IID iid = IID_ISSymGroup;
  // Takes every member out of the symbol's Symbols collection (redraw
  // non-zero redraws first).
  virtual HRESULT Clear(int redraw) = 0;
  virtual int GetCount() = 0;
  // 1 when the symbol is a member (deep: also a member of a member group).
  virtual BOOL Contains(ISSymbol* symbol, int deep) = 0;
  // Appends the members in drawing order (counted) to the table.
  virtual HRESULT GetListSym(SComTable<ISSymbol>& out) = 0;
  // The in-memory member collection (not counted, owned by the group), or null.
  virtual SSymCollection* GetListSym() = 0;
  // The rectangle becomes the union of the members' (all zero without one).
  virtual HRESULT RecomputeClipRect(int redraw) = 0;
};

// A tree symbol's face, an owner of its children: its branch line is the
// first item of the tree symbol's Symbols collection, its child symbols
// follow. The operations keep their order.
struct ISSymTree : ISSymOwner {
  static constexpr IID iid = IID_ISSymTree;
  using ISSymOwner::Remove;
  // The node rectangle united with the clip rectangles of all descendants.
  virtual SSymRect GetChildrenRect() = 0;
  // Shows (1) or hides (0) the children (recursive: all descendants); a tree
  // without child symbols is completed from the model instead.
  virtual HRESULT Expand(int show, int recursive) = 0;
  // 0 as soon as a child is hidden (recursive: or a tree below is collapsed).
  virtual int IsExpand(int recursive) = 0;
  // Non-zero when the repository object (a model object or a symbol) may
  // become a child of the tree.
  virtual int CanBeChild(ISRepObject* object) = 0;
  // Appends the child symbols in depth-first pre-order (recursive: the
  // children of child trees too; withLine: the branch lines as well).
  virtual HRESULT GetAllChildren(SComTable<ISSymbol>& out, int recursive, int withLine) = 0;
  // Takes a child out; withModel non-zero takes its model object out of the
  // tree's model object too.
  virtual HRESULT Remove(ISSymbol* symbol, int withModel) = 0;
  // The expand box, the branch line with its connectors, and the visible children.
  virtual HRESULT DrawChildren(SSymCanvas& canvas) = 0;
  // Creates (create 1) or only looks for (create 0) the symbols of the
  // model children: 1 when something was created, or something is missing.
  virtual int Complete(int recursive, int create) = 0;
  virtual int IsComplete(int recursive) = 0;
  // 1 when a direct child symbol is visible.
  virtual int HasChildren() = 0;
  // Arranges the children in a row below (or beside) the node.
  virtual HRESULT LayoutChildrenSym(int recursive) = 0;
  // Keeps a move from bringing the symbol onto its parent's branch line.
  virtual HRESULT RecomputeMoveSize(SSymSize& offset) = 0;
  // Spans the branch line over the centres of the visible children.
  virtual HRESULT UpdateTreeLine() = 0;
  // Follows a resize of the tree symbol: the branch line moves with the
  // growing edge, the symbol keeps its distance from its parent.
  virtual HRESULT PostResize(SSymRect& oldRect, SSymRect& newRect) = 0;
  // The parent symbol (toRoot: the root of the chain of trees); not counted.
  virtual ISSymbol* GetParentSym(int toRoot) = 0;
  // The extent of the subtree across the direction of growth.
  virtual int GetSize(int start) = 0;
  // 1 when the point lies in the expand box.
  virtual int InExpendZone(const SSymPoint& point) = 0;
  // A click: 1 when it was in the expand box (the tree collapsed or expanded).
  virtual int DoAction(const SSymPoint& point) = 0;
  // Gives the branch line (recursive: those below too) the format's pen.
  virtual HRESULT SetBranchFormat(SSymFormat& format, int recursive) = 0;
  virtual LONG GetCollectionId() = 0;
  virtual GUID GetChildClassId() = 0;
  virtual HRESULT Show(int show, int recursive, int quiet) = 0;
  // 1 when the model object has child objects.
  virtual int HasObjChildren() = 0;
  // The rectangle the tree logic treats as the symbol's node.
  virtual SSymRect GetNodeRect(ISSymbol* symbol) = 0;
};
