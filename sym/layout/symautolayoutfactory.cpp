// The factories of the layout graph that the library's own run builds: a
// structure, the node of a symbol, the layout link of a link symbol. A
// subclass may answer kinds of its own; the run owns what they answer.
#include "sym/layout/symautolayout.h"
#include "sym/layout/symlayoutgraph.h"

SSymAutoLayoutStruct* SSymAutoLayout::CreateStruct(SComTable<ISSymbol>& created) {
  // The run hands the structure its synonyms (over `created`) itself.
  (void)created;
  return new SSymAutoLayoutStruct(nullptr);
}

SSymAutoLayoutNode* SSymAutoLayout::CreateALNode(ISSymbol* symbol) { return new SSymAutoLayoutNode(symbol); }

SSymAutoLayoutLink* SSymAutoLayout::CreateALLink(ISSymbol* symbol) { return new SSymAutoLayoutLink(symbol); }
