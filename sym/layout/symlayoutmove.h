// What the library's own layout and the layout engine plug-in share: the
// walk over a diagram's symbols and the move of a symbol as a layout moves
// it (the plug-in reaches symbols only through their faces, so everything
// here is inline).
#pragma once

#include "kvcore/scomds.h"
#include "kvrep/srepintf.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfsymbol.h"

// Calls f(ISSymbol*) for every symbol of the diagram's symbol collection,
// in order.
template <class F>
void SymForEachDiagramSymbol(ISSymDiagram* diagram, F&& f) {
  SComOut<ISRepClassCol> col;
  if (!diagram || FAILED(diagram->GetSymbols(&col)) || !col) return;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> item;
    if (FAILED(col->Item(i, &item)) || !item) continue;
    SComWrap<ISSymbol> symbol(item.Get());
    if (!symbol.IsNull()) f(symbol.Get());
  }
}

// The area a symbol takes up: a tree's node with everything below it.
inline SSymRect SymLayoutAreaOf(ISSymbol* symbol) {
  SComWrap<ISSymTree> tree(symbol);
  return tree.IsNull() ? symbol->GetClipRect(0, 1) : tree->GetChildrenRect();
}

// Moves a symbol with everything that belongs to it; false when a move
// failed.
inline bool SymLayoutMoveWhole(ISSymbol* symbol, const SSymSize& offset) {
  // A tree's own move leaves its branch line and children where they are,
  // and a branch line carries its tree's children along: so the lines are
  // moved, in pre-order, and each brings the level below it.
  constexpr int kTypeTreeLine = 15;
  bool moved = SUCCEEDED(symbol->MoveBy(offset, 1));
  SComWrap<ISSymTree> tree(symbol);
  if (tree.IsNull()) return moved;
  SComTable<ISSymbol> below;
  tree->GetAllChildren(below, 1, 1);
  for (int i = 0; i < below.GetCount(); ++i) {
    ISSymbol* s = below.GetAt(i);
    if (s && s->GetSymbolType() == kTypeTreeLine && FAILED(s->MoveBy(offset, 1))) moved = false;
  }
  return moved;
}
