// The faces of what holds symbols: owners, the diagram (its subsystem
// implements it), and composites, groups and trees.
#pragma once

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "kvrep/srepintf.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symgeom.h"
#include "win/windef.h"

class SSymView;
class SRepMapObject;

struct ISSymbol;
struct ISSymLink;

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
};

// ---- composites, groups, trees (their subsystem implements them) -------------------------------------
struct ISSymCompSym : IUnknown {
  static constexpr IID iid = IID_ISSymCompSym;
  virtual HRESULT Add(ISSymbol* symbol) = 0;
  virtual BOOL Contains(ISSymbol* symbol, int deep) = 0;
  virtual HRESULT GetAllChildren(SComTable<ISSymbol>& out, int deep) = 0;
  virtual HRESULT CreateChildrenSym(int flag) = 0;
  // Told when a child moved or changed size.
  virtual HRESULT ChildChanged() = 0;
  // The rectangle the composite gives its children.
  virtual SSymRect GetChildRect() = 0;
};

struct ISSymGroup : IUnknown {
  static constexpr IID iid = IID_ISSymGroup;
  virtual int GetCount() = 0;
  virtual HRESULT RecomputeClipRect(int redraw) = 0;
};

// A tree symbol's face, an owner of its children: its branch line is the
// first item of the tree symbol's Symbols collection, its child symbols
// follow.
struct ISSymTree : ISSymOwner {
  static constexpr IID iid = IID_ISSymTree;
  virtual HRESULT RemoveChild(ISSymbol* symbol, int flag) = 0;
  // Appends the child symbols in depth-first pre-order (recursive: the
  // children of child trees too; withLine: the branch lines as well).
  virtual HRESULT GetAllChildren(SComTable<ISSymbol>& out, int recursive, int withLine) = 0;
  // 0 while collapsed (recursive: while this tree or any tree below it is).
  virtual int IsExpand(int recursive) = 0;
  // The rectangle the branch line of `symbol` hangs from: its lower edge is
  // the second y, its right edge the larger x.
  virtual SSymRect GetNodeRect(ISSymbol* symbol) = 0;
};
