// The host's tree symbol: a package shown as a node of the package
// hierarchy. The symbol attaches the library's tree implementation, which
// keeps the symbols of the package's sub-packages as its children below it,
// joined to it by a branch line, completes them from the model through the
// diagram (SHostModelDiagram::AttachObject) and expands and collapses them.
// The node draws itself, then its expand box, branch line, connectors and
// visible children; moving it moves its subtree.
#pragma once

#include "apps/symhost/hostsymbols.h"
#include "apps/symhost/model/hostmodel.h"
#include "sym/composite/symtreeimpl.h"
#include "sym/symbol/symintfhost.h"

// What the package trees show: the packages of a package.
const TreeSymData& SHostPackageTreeData();

class SHostPackageTree : public SRepFaces<SHostPackageTree, SHostBox, ISSymObject> {
 public:
  // The symbol type of package tree nodes.
  static constexpr int Type = 21;

  SHostPackageTree(ISRepSession* session, const SSymRect& rect);
  ~SHostPackageTree() override;
  SHostPackageTree(const SHostPackageTree&) = delete;
  SHostPackageTree& operator=(const SHostPackageTree&) = delete;

  int GetSymbolType() override { return Type; }
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override;
  HRESULT Draw(SSymCanvas& canvas) override;
  // The branch line and the children move with the node (undo replays
  // their own moves).
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;

  // ---- ISSymObject
  HRESULT GetModelObject(ISRepObject** out) override;
  std::uintptr_t GetIdent() override;
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}

  SSymTreeImpl& Tree() { return *m_tree; }

 private:
  SSymTreeImpl* m_tree;  // counted
};

// A new tree node bound to `package`, centred on `centre` and as wide as its
// name needs (counted for the caller), or null for a null, deleted or
// non-package object.
SHostPackageTree* SHostNewPackageTree(ISRepSession* session, ISRepObject* package, const SSymPoint& centre);
