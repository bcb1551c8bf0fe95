// Copy of composite children: the destination composite gets a copy of
// every child of the source, moved by the offset between their centres,
// links last and attached to the copies of their ends.
#include "sym/composite/symcompimpl.h"

HRESULT SSymCompImpl::CopyChildrenSym(ISSymbol*, ISSymbol*, int, SMap<ISSymbol*, ISSymbol*>*) { return E_NOTIMPL; }
