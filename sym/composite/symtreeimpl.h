// SSymTreeImpl: the tree behaviour a tree symbol attaches to itself and
// answers ISSymOwner and ISSymTree with. A tree symbol shows one model object
// with the hierarchy of model objects below it: each child object appears
// as a child symbol, placed below (vertical trees) or to the right of
// (horizontal trees) its parent and joined to it by a branch line.
//
// The tree keeps its branch line (SSymTreeLine) as the first item of the
// symbol's Symbols collection and its child symbols after it; the branch
// line is made with the first child. The tree decides which model objects
// may become children (never one that would close a cycle in the model),
// creates the missing child symbols from the model through the diagram
// (completion), keeps the model in step when a symbol is dropped into or
// taken out of a tree, arranges and draws the children, and expands and
// collapses.
//
// What the tree knows of the model comes from the host's TreeSymData record
// and from ISSymObject, the host's face that gives the model object a
// symbol shows.
#pragma once

#include <vector>

#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfowner.h"

class SSymTreeLine;

// What the host tells a tree about its model; kept by reference for the
// life of the tree.
struct TreeSymData {
  // Bit 0: a symbol that shows no model object but is linkable may become a
  // child. Other bits are not read.
  DWORD flags = 0;
  // The collection, on a parent model object, of its child objects; 0
  // disables completion. The same id with bit 0x800000 toggled is the
  // collection on a child object that holds its parent.
  LONG childCollection = 0;
  // The class a model object must have to become a child.
  CLSID childClass = GUID_NULL;
  // The collection tested on shortcut children before they are completed.
  LONG shortcutCollection = 0;
};

class SSymTreeImpl : public ISSymTree {
 public:
  // `symbol` is the tree symbol; it owns this object (not counted back).
  // `data` must outlive the tree; without it the tree shows no model.
  explicit SSymTreeImpl(SSymBase& symbol, const TreeSymData& data = NoModel());
  virtual ~SSymTreeImpl() = default;
  SSymTreeImpl(const SSymTreeImpl&) = delete;
  SSymTreeImpl& operator=(const SSymTreeImpl&) = delete;

  // The record of a tree that completes nothing.
  static const TreeSymData& NoModel();

  // ---- IUnknown: IUnknown, ISSymOwner and ISSymTree
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override;

  // ---- ISSymOwner
  // Takes a child symbol (a branch line only goes to the end); the first
  // child brings the branch line. E_POINTER for null, S_FALSE for the tree
  // symbol itself; E_INVALIDARG, with nothing changed, for a symbol that holds
  // this tree or whose model object would close a cycle in the model.
  HRESULT Add(ISSymbol* symbol) override;
  HRESULT Remove(ISSymbol* symbol) override { return symbol ? Remove(symbol, 0) : E_POINTER; }
  // The branch line counts as held.
  BOOL Contains(ISSymbol* symbol, int recursive) override;
  HRESULT GetTopOwner(ISSymOwner** out) override;
  HRESULT SymResize(ISSymbol* symbol) override { return symbol ? SymRedraw(symbol) : S_OK; }
  HRESULT SymRedraw(ISSymbol* symbol) override;
  HRESULT CreateChildrenSym(int) override { return S_OK; }

  // ---- ISSymTree
  SSymRect GetChildrenRect() override;
  HRESULT Expand(int show, int recursive) override;
  int IsExpand(int recursive) override;
  int CanBeChild(ISRepObject* object) override;
  // E_UNEXPECTED when the walk met a tree a second time (a cycle); each
  // tree is then entered once and the listing stays finite.
  HRESULT GetAllChildren(SComTable<ISSymbol>& out, int recursive, int withLine) override;
  // S_FALSE when the symbol is not a child.
  HRESULT Remove(ISSymbol* symbol, int withModel) override;
  HRESULT DrawChildren(SSymCanvas& canvas) override;
  int Complete(int recursive, int create) override;
  int IsComplete(int recursive) override;
  int HasChildren() override;
  HRESULT LayoutChildrenSym(int recursive) override;
  HRESULT RecomputeMoveSize(SSymSize& offset) override;
  HRESULT UpdateTreeLine() override;
  HRESULT PostResize(SSymRect& oldRect, SSymRect& newRect) override;
  ISSymbol* GetParentSym(int toRoot) override;
  int GetSize(int start) override;
  int InExpendZone(const SSymPoint& point) override;
  int DoAction(const SSymPoint& point) override;
  HRESULT SetBranchFormat(SSymFormat& format, int recursive) override;
  LONG GetCollectionId() override { return m_data.childCollection; }
  GUID GetChildClassId() override { return m_data.childClass; }
  HRESULT Show(int show, int recursive, int quiet) override;
  int HasObjChildren() override;
  SSymRect GetNodeRect(ISSymbol* symbol) override;

  // ---- own operations
  // The branch line (not counted), or null before the first child.
  ISSymbol* GetBranchLine();
  // The expand box: a 600 x 600 square beside the edge the children grow from.
  SSymRect GetExpandBox();
  // True for a vertical tree (children below the parent).
  bool IsVertical();
  // The spacing the grid asks for (2000 rounded up to the next grid step
  // while the diagram snaps to its grid); a resize sets it back to 2000.
  LONG GetSpacing();

 protected:
  // Adds child to the owner face of parent unless it holds it already.
  void UpdateTreeSymbol(ISSymbol* parent, ISSymbol* child);
  // 1 when both objects are given and of one class.
  int CanMoveToParent(ISRepObject* a, ISRepObject* b);
  // 0 for null and for a shortcut whose shortcut collection holds anything.
  int CanComplet(ISRepObject* object);

 private:
  HRESULT Walk(SComTable<ISSymbol>& out, int recursive, int withLine, std::vector<SSymTreeImpl*>& entered);
  // True when the symbol is the tree symbol or holds it at any depth.
  bool IsInSubtreeOf(ISSymbol* symbol);
  // True when making `object` a child of the model object `model` would
  // close a cycle in the model (replicas included).
  bool ClosesCycle(ISRepObject* object, ISRepObject* model);
  // True when a tree symbol up the chain from this one (this one included)
  // shows the object.
  bool ShownAbove(ISRepObject* object);
  SSymTreeLine* Line();
  void ShowLinksBetweenVisible(ISSymbol* symbol);
  int CompleteStep(int recursive, int create);

  SSymBase& m_symbol;
  const TreeSymData& m_data;
  ULONG m_cRef = 0;
  LONG m_nSpacing = 2000;
  bool m_bSpacingKnown = false;
};
