// The factories of the layout graph that the library's own run builds: a
// structure, the node of a symbol, the layout link of a link symbol.
#include "sym/layout/symautolayout.h"

// The layout graph is not part of the library yet: no factory makes an
// object, and the own run does not ask them.
SSymAutoLayoutStruct* SSymAutoLayout::CreateStruct(SComTable<ISSymbol>& created) {
  (void)created;
  return nullptr;
}

SSymAutoLayoutNode* SSymAutoLayout::CreateALNode(ISSymbol* symbol) {
  (void)symbol;
  return nullptr;
}

SSymAutoLayoutLink* SSymAutoLayout::CreateALLink(ISSymbol* symbol) {
  (void)symbol;
  return nullptr;
}
