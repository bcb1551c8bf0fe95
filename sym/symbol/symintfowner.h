// The faces of what holds symbols: owners, the diagram (its subsystem
// implements it), and composites, groups and trees.
#pragma once

#include <cstdint>

#include "kvcore/sblob.h"
#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "kvcore/sstring.h"
#include "kvrep/srepintf.h"
#include "sym/foundation/symclassdesc.h"
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
class SStringTable;
class SPrinterCache;
class SSymDispPref;
class SRepControlHolder;
class ISSymSelection;
struct SSymPrintData;

// ---- owners ------------------------------------------------------------------------------------
// Every owner answers E_POINTER to Add and Remove of a null symbol. A symbol
// has one owner: Add of a symbol that another owner holds takes it from
// that owner (its Remove) first; when that owner keeps it, Add is refused
// with E_INVALIDARG.
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
// The diagram's stored members, one typed getter and setter each, in the
// order of the class description: Get<Code>() and Set<Code>(value), for
// example GetScale() and SetScale(LONG). The C++ type of each metamodel type:
#define KV_SYM_DIAG_CTYPE_STR SString
#define KV_SYM_DIAG_CTYPE_TEXT SString
#define KV_SYM_DIAG_CTYPE_INT LONG
#define KV_SYM_DIAG_CTYPE_FLAGS LONG
#define KV_SYM_DIAG_CTYPE_PT SRep_Point
#define KV_SYM_DIAG_CTYPE_RECT SRep_Rect
// KV_SYM_DIAG_STORED(X) calls X(Code, Type, Id) for each stored member.
#define KV_SYM_DIAG_STORED_IF_FIELD(X, code, type, id) X(code, type, id)
#define KV_SYM_DIAG_STORED_IF_GET(X, code, type, id)
#define KV_SYM_DIAG_STORED(X) KV_SYM_DESC_SSymDiagram(KV_SYM_SKIP, KV_SYM_DIAG_STORED_ROW_##X, KV_SYM_SKIP, \
                                                      KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP)
// The declarations of the interface.
#define KV_SYM_DIAG_STORED_ROW_DECL(konst, code, name, id, type, store, ...) \
  KV_SYM_DIAG_STORED_IF_##store(KV_SYM_DIAG_STORED_DECL, code, type, id)
#define KV_SYM_DIAG_STORED_DECL(code, type, id)         \
  virtual KV_SYM_DIAG_CTYPE_##type Get##code() = 0; \
  virtual HRESULT Set##code(const KV_SYM_DIAG_CTYPE_##type& value) = 0;

// The diagram is a repository object: its interface extends the
// repository's, and adds the operations below.
struct ISSymDiagram : ISRepObjectBase {
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
  // to their titles ("AdjustSwimlaneHeaderHeight"); non-zero `force` brings
  // the pools in step even when the height stays. This body keeps the
  // height as it is; the library's own diagram fits it.
  virtual void AdjustSwimHeight(int force) { (void)force; }

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

  // ---- the repository object's operations that the diagram answers itself
  // (every other one is the repository's own, through ISRepObjectBase).
  using ISRepObjectBase::GetCollection;
  // The collection for objects of a class: the Symbols collection for a
  // symbol class, else the diagram's collection for that class (S_FALSE and
  // null when it keeps none). E_POINTER for a null out.
  virtual HRESULT GetCollection(REFCLSID elementClass, ISRepClassCol** out) = 0;
  // Whether the object holds changes not yet saved (its state word's changed bit).
  virtual BOOL IsChanged() = 0;
  // Creates an object of a class in the diagram's session and places it: a
  // symbol among the top-level symbols, any other object in the diagram's
  // collection `kind` (-1: the one for its class).
  virtual HRESULT CreateObject(const CLSID& clsid, void** out, const IID& iid, LONG kind, int pos, bool unused) = 0;
  // 0 when an object of clsid may be created in collection id at pos.
  virtual HRESULT CanCreateObject(LONG id, const CLSID& clsid, LONG pos, SString* message = nullptr) = 0;
  // The repository's consistency check; the number of repairs made.
  virtual LONG InternalAutoFix(SStringTable& messages, int checkParents) = 0;
  // True for the diagram's class and the two repository classes it is made of.
  virtual BOOL IsKindOf(REFGUID clsid) = 0;
  // The flags and the type word (type << 16 | maximum length) of a member; 0 for id -1.
  virtual DWORD GetAttributeFlags(LONG id) = 0;
  virtual DWORD GetAttributeType(LONG id) = 0;
  // The close hooks: the object's own close hook runs, the second time with
  // the application's viewer mode on for the call. Both answer 0.
  virtual LONG OnClose() = 0;
  virtual LONG OnCloseInViewer() = 0;
  // The creation date (repository date, 0 when never stored) and the name
  // of the user who created the object.
  virtual std::int64_t GetCreationDate() = 0;
  virtual SString GetCreationUser() = 0;

  // ---- collections shared with picture files (counted; S_FALSE and null
  // when there is none)
  // The shortcuts that stand for the diagram elsewhere.
  virtual HRESULT GetShortcutCol(ISRepClassCol** out) = 0;
  // The repository collections 0x04800311 and 0x04800312.
  virtual HRESULT GetRepCol311(ISRepClassCol** out) = 0;
  virtual HRESULT GetRepCol312(ISRepClassCol** out) = 0;
  // The generated dependencies on objects outside the model.
  virtual HRESULT GetExtlGenDepdCol(ISRepClassCol** out) = 0;

  // ---- the stored members, typed
  KV_SYM_DIAG_STORED(DECL)

  // ---- the computed members. The setters change nothing and answer
  // S_FALSE for the current value; otherwise they store it and report the
  // change to the repository.
  virtual SString GetDispName() = 0;
  virtual HRESULT SetDispName(const SString& name) = 0;
  virtual BOOL GetHasNote() = 0;
  virtual LONG GetPgSize() = 0;
  virtual HRESULT SetPgSize(LONG size) = 0;
  virtual LONG GetPgFormat() = 0;
  virtual HRESULT SetPgFormat(LONG format) = 0;
  virtual SBlob GetContent() = 0;
  virtual HRESULT SetContent(const SBlob& content) = 0;

  // ---- page setup and printing
  // The page setup and printer dialogs: 0 when none was shown or taken.
  virtual int PageSetup() = 0;
  virtual int PrinterSetup() = 0;
  // The standard margins into the attributes and the printer settings; 1.
  virtual int V6PageSetup() = 0;
  // The printer settings in step with the page attributes (null once disposed).
  virtual SPrinterCache* GetPageSetup() = 0;
  // Replaces the printer settings by a copy of `source`; the attributes
  // stay, and the next GetPageSetup fills only those still unset.
  virtual void DuplicatePageSetup(const SPrinterCache& source) = 0;
  // Prints the whole diagram (null: with the user's last choices).
  virtual HRESULT Print(SSymPrintData* data = nullptr) = 0;

  // ---- display preferences, grid, attaching
  // The diagram's preferences, created on first request; null for a diagram
  // type that creates none.
  virtual SSymDispPref* GetDispPrefPtr() = 0;
  // Snaps the rectangle of an object to the grid; the object itself (may
  // be null) is left alone.
  virtual HRESULT SnapObjToGrid(ISSymbol* symbol, SSymRect& rect) = 0;
  // Diagram types create their preferences here; E_NOTIMPL when they create none.
  virtual HRESULT CreateDispPref() = 0;

  // ---- control holder
  virtual SRepControlHolder* GetHolder() = 0;
  virtual void SetHolder(SRepControlHolder* holder) = 0;

  // ---- selection, pictures, classes
  // Rebuilds the selection from the symbols the frame encloses (children:
  // also inside enclosed composites). E_POINTER for a null selection.
  virtual HRESULT AddSymInRectToSel(const SSymRect& frame, ISSymSelection* selection, int children) = 0;
  // Whether symbols of the class may be shown (0 for the null class).
  virtual BOOL CanShowSym(REFCLSID clsid) = 0;
  // A picture taken into or out of the diagram's use; the library's own
  // diagram keeps no pictures of its own (S_OK).
  virtual HRESULT AddPicture(const void* picture) = 0;
  virtual HRESULT RemovePicture(const void* picture) = 0;
  // The picture file of a picture identifier, not counted; null here.
  virtual ISRepObject* FindPicture(LONG pictureId) = 0;

  // ---- the metamodel's object attachment. The host's diagram types make
  // and find the symbols of their model objects (see the host operations
  // above for the forms they fill); the library's own diagram attaches
  // nothing: false, or a null symbol.
  virtual BOOL CanAttachObject(ISRepObject* object) = 0;
  virtual ISSymbol* AttachObject(ISRepObject* object, ISSymbol* owner) = 0;
  virtual ISSymbol* AttachObject(ISRepObject* object, const SSymRect& rect, ISSymbol* owner) = 0;
  // A link symbol for a link object between the symbols of its ends (route: routed).
  virtual ISSymbol* AttachLinkObject(ISRepObject* link, int route) = 0;
  virtual ISSymbol* AttachLinkObject(ISRepObject* link, ISRepObject* source, ISRepObject* destination, int route) = 0;

  // ---- swimlanes, composites, preview
  // The swimlane pools among the top-level symbols, in insertion order.
  virtual SComTable<ISSymbol> GetSwimLaneList() = 0;
  // True when the preferences give the object's class composite behaviour.
  virtual BOOL HasCompositeBehavior(ISRepObject* object) = 0;
  // Whether the diagram answers a command in a print preview: none here.
  virtual BOOL SupportPreviewCommand(UINT command) = 0;
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
