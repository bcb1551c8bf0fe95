// A tree symbol for tests: a test symbol that answers ISSymTree with the
// library's tree implementation, and a fixture that builds a parent with
// children in a diagram that has display preferences.
#pragma once

#include <vector>

#include "support/diagram_fixture.h"
#include "sym/composite/symtreeimpl.h"
#include "sym/shapes/symtreeline.h"

class TTreeSym : public TSym {
 public:
  explicit TTreeSym(ISRepSession* s, SSymRect r = SSymRect(0, 3600, 4800, 0)) : TSym(s, r), m_tree(new SSymTreeImpl(*this)) {
    m_tree->AddRef();
  }
  ~TTreeSym() override { m_tree->Release(); }
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override {
    if (iid == IID_ISSymTree || iid == IID_ISSymOwner) return m_tree->QueryInterface(iid, ppv);
    return TSym::InternalQueryInterface(iid, ppv);
  }
  SSymTreeImpl& Tree() { return *m_tree; }
  // The branch line (null before the first child).
  SSymTreeLine* Line() {
    ISSymbol* line = m_tree->GetBranchLine();
    return line ? static_cast<SSymTreeLine*>(SSymBase::FromInterface(line)) : nullptr;
  }

 private:
  SSymTreeImpl* m_tree;
};

class TreeFixture : public DiagramFixture {
 protected:
  void SetUp() override {
    DiagramFixture::SetUp();
    m_diag = NewDiagram();
  }
  void TearDown() override {
    // The trees' collections hold their children and lines: let go first.
    for (TTreeSym* t : m_trees) t->ReleaseAll();
    DiagramFixture::TearDown();
  }
  SSymDispPref* Prefs() { return static_cast<SSymDispPref*>(SSymGetDispPrefPtr(m_diag)); }
  void SetVertical(int vertical) { Prefs()->m_bTreeVert = vertical; }
  // A tree symbol in the diagram.
  TTreeSym* NewTree(SSymRect r = SSymRect(0, 3600, 4800, 0)) {
    TTreeSym* t = AddTo<TTreeSym>(m_diag, r);
    m_trees.push_back(t);
    return t;
  }
  // A child symbol of `tree` with the given rectangle.
  template <class T = TSym>
  T* AddChild(TTreeSym* tree, SSymRect r) {
    T* c = Make<T>(r);
    EXPECT_EQ(tree->Tree().Add(c->Sym()), S_OK);
    if constexpr (std::is_same_v<T, TTreeSym>) m_trees.push_back(c);
    return c;
  }
  TPrefDiagram* m_diag = nullptr;
  std::vector<TTreeSym*> m_trees;
};
