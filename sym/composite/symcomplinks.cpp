// Links over a symbol set: a container drawn over other symbols draws the
// set's links, the parts of other links that reach the set from below it,
// and then the set's other symbols.
#include "sym/composite/symcompimpl.h"

void DrawSymbolSetLinks(SSymCanvas&, SUnsortedComBag<ISSymbol>&, ISSymbol*) {}
