// SSymTreeImpl: the tree behaviour a tree symbol attaches to itself and
// answers ISSymTree with. The tree keeps its branch line (SSymTreeLine) as
// the first item of the symbol's Symbols collection and its child symbols
// after it; the branch line is made with the first child. This is the least
// form the branch line needs: children, expansion and the anchoring
// rectangle; completion from the model and the tree layout are not here.
#pragma once

#include <vector>

#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfowner.h"

class SSymTreeImpl : public ISSymTree {
 public:
  // `symbol` is the tree symbol; it owns this object (not counted back).
  explicit SSymTreeImpl(SSymBase& symbol) : m_symbol(symbol) {}
  virtual ~SSymTreeImpl() = default;
  SSymTreeImpl(const SSymTreeImpl&) = delete;
  SSymTreeImpl& operator=(const SSymTreeImpl&) = delete;

  // ---- IUnknown: IUnknown, ISSymOwner and ISSymTree
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override;

  // ---- ISSymTree
  // Takes a child symbol (a branch line only goes to the end); the first
  // child brings the branch line. S_FALSE for null or the tree symbol
  // itself; E_INVALIDARG, with nothing changed, for a tree that holds this
  // one (the tree would contain itself).
  HRESULT Add(ISSymbol* symbol) override;
  HRESULT RemoveChild(ISSymbol* symbol, int flag) override;
  // ---- ISSymOwner
  HRESULT Remove(ISSymbol* symbol) override { return symbol ? RemoveChild(symbol, 0) : S_OK; }
  // The branch line counts as held.
  BOOL Contains(ISSymbol* symbol, int deep) override;
  HRESULT GetTopOwner(ISSymOwner** out) override;
  HRESULT SymResize(ISSymbol* symbol) override { return symbol ? SymRedraw(symbol) : S_OK; }
  HRESULT SymRedraw(ISSymbol* symbol) override;
  HRESULT CreateChildrenSym(int) override { return S_OK; }
  // E_UNEXPECTED when the walk met a tree a second time (a cycle); each
  // tree is then entered once and the listing stays finite.
  HRESULT GetAllChildren(SComTable<ISSymbol>& out, int recursive, int withLine) override;
  int IsExpand(int recursive) override;
  // The symbol's own rectangle, normalised.
  SSymRect GetNodeRect(ISSymbol* symbol) override;

  // ---- own operations
  // Shows (show 1) or hides the subtree; collapsing hides every symbol below
  // the tree, expanding shows the children and the subtrees that are
  // expanded themselves (recursive: expands those too).
  HRESULT Expand(int show, int recursive);
  // The branch line (not counted), or null before the first child.
  ISSymbol* GetBranchLine();
  // Places the branch line again (after the children moved).
  HRESULT UpdateTreeLine();

 private:
  HRESULT Walk(SComTable<ISSymbol>& out, int recursive, int withLine, std::vector<SSymTreeImpl*>& entered);
  // True when the symbol is the tree symbol or holds it at any depth.
  bool IsInSubtreeOf(ISSymbol* symbol);
  SSymBase& m_symbol;
  ULONG m_cRef = 0;
  bool m_bExpanded = true;
};
